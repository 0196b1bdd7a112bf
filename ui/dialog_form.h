// Dialog forms: most settings dialogs are catalogue forms. Message N of the catalogue gives the
// form's title, its layout code and one label line per field; message N + 1 two help lines per
// field. run_dialog builds a text window over the label lines and runs it; the caller's field
// handler is the window's key filter. Each call of the handler edits the current field (the one
// at the cursor row), redraws the fields whose values changed and tells the run loop what next.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "screen/event_queue.h"
#include "store/float_text.h"
#include "ui/field_flags.h"
#include "ui/text_window.h"

struct TextLine;
struct ScreenControl;

// The line drawer of windows whose lines are never drawn as lines (dialog forms draw their
// fields themselves; pages draw their own screens).
void no_line_hook(int row, TextLine* line);

// ---- Results of field handlers and field editors ---------------------------------------------

constexpr EventCode FORM_FIRST_PASS = 389;      // the first call: everything is drawn
constexpr EventCode FORM_FIRST_FIELD = 388;
constexpr EventCode FORM_LAST_FIELD = 374;
constexpr EventCode FIELD_CLICK = 480;          // a page asks the field under a click to open

// Layout-code style letters and their window flags and list options.
constexpr uint32_t FORM_FLAGS_PLAIN = 0x400011;
constexpr uint32_t FORM_FLAGS_FRAMELESS_SHADOW = 0x400010;
constexpr uint32_t FORM_LIST_ROW_KEYS = 0x8000;   // a click on another row becomes Up/Down keys
constexpr uint32_t FORM_LIST_LEAVE_LEFT = 0x2000;
constexpr uint32_t FORM_LIST_LEAVE_RIGHT = 0x4000;
constexpr uint16_t FORM_OPTIONS = 0x200;
// A float field's value that means "not set".
constexpr float FIELD_UNSET = 1e38f;

// show_float_value flags beyond the precision code (low four bits).
constexpr int FLOAT_BOXED_UNITS = 0x100;
constexpr int FLOAT_BLANK_ZERO = 0x200;
constexpr int FLOAT_UNITS = 0x4000;

// ---- The field display state of the running form ---------------------------------------------

struct FieldDisplay {
  // One-shot settings for the next build_dialog (reset when used, but the second frame byte).
  int next_top_row = 0;
  int next_left_column = 0;
  int next_extra_lines = 0;
  uint32_t next_list_options = 0;
  int next_label_width = 0;
  bool next_scratch_colours = false;
  // A second form whose labels (and help lines) stand over the rows from next_overlay_row on:
  // a page whose lower rows change with the item (0: none).
  int next_overlay_form = 0;
  int next_overlay_row = 0;
  uint8_t second_frame_byte = 0;
  // One-shot settings for the next run_dialog.
  int initial_field = 0;
  bool pointer_on_field = false;

  int display_row = 0;          // the row the next value is drawn in
  int value_column = 0;         // screen column of the values
  int window_width = 0;
  int field_width = 0;          // the current field's width, set by the editors
  std::vector<uint8_t> redraw;  // one flag per field row, 1 = draw its value
  int redraw_index = 0;         // the field the last display call looked at
  EventCode last_ending_event = 0;
  EventCode last_pointer_event = 0;  // 438 or 432 when the last event read was one
  EventCode step_direction = KEY_DOWN;  // where following the pointer along a row went last
  int help_topic = 0;
  int last_field_row = 0;
  uint8_t value_colour = 0;     // colour slots of the values and of the value being edited
  uint8_t edit_colour = 2;
  std::string units;            // the units text drawn after FLOAT_UNITS fields
  TextLine* running_form = nullptr;  // the window of the form run_dialog runs, or null
};
extern FieldDisplay g_field;

// The field handler's hook into the running program beyond the form.
struct FormHooks {
  void (*help)(int topic) = nullptr;   // the help key
  EventCode (*tick)() = nullptr;       // called on ticks while a field waits; 0 = nothing
  bool click_enters = false;           // a click on the current row's value acts as Enter
  // A left press that the form's caller takes before the form does (buttons of its own beside
  // the form): -1 not taken; 0 taken, the field reads on; else the code the field ends with.
  EventCode (*click)() = nullptr;
};
extern FormHooks g_form_hooks;

// The help key's hook as start-up installs it: in a running form, a box with the form's title,
// the current field's label and its help text (the form's help message); elsewhere, or for a
// field without help, the help file (show_help_file). The topic is the help file's.
void show_form_help(int topic);

// ---- Building and running ----------------------------------------------------------------------

// The form's window, or null when message `message` does not exist.
TextLine* build_dialog(int message, WindowKeyFilter field_handler);
// Builds, runs and destroys the form: 1 when it was accepted, 0 when it was cancelled or the
// message is missing. (The form's lines are gone by then, so no line is handed back.)
int run_dialog(int message, WindowKeyFilter field_handler);
// 389 on the first call for a form, else 0 (with the redraw flags cleared).
EventCode begin_field_handler();
// What run_window does after the handler's work ended with `result`.
EventCode end_field_handler(EventCode result);
// After an editor's result: flags the current field for redraw when the value changed.
void flag_changed_field(EventCode result);
// The usual start of a field handler: begin_field_handler, and unless that was the first pass,
// edit(row) on the current row with its redraw flag raised when the value changed and a pending
// repaint served. Returns the first pass's code or the editor's result.
EventCode edit_current_field(EventCode (*edit)(int row));
// The display pass of a handler that shows every row after each field: show() draws them all.
void show_every_field(void (*show)());

// ---- The display pass ---------------------------------------------------------------------------

// Starts the pass: the next display call draws the form's first row (field 0).
void begin_display_pass();
// Steps past one field without drawing it (the OK/CANCEL bar's row).
void skip_field_display();
// Every display call steps to the next field and draws only when its flag is set; a negative
// width draws at the current row without stepping or looking at a flag.
void show_field_text(const char* text, int width);   // with the pick-list glyph
void show_field_value(const char* text, int width);  // cut with the "more" mark
void show_string_value(const char* text, int width);
void show_text_value(const char* text, int width);
void show_choice_value(const char* const* array, int index, int width);
void show_toggle_value(const char* const* array, int index, int width);
void show_int_value(int32_t n, int width);
void show_int_or_blank(int32_t n, int width);
void show_int_pick_value(int32_t n, int width);
void show_choice_or_blank(const char* const* array, int index, int width);
void show_float_value(double x, int width, int flags);
void show_float_or_blank(double x, int width, int flags);
void show_float_or_unset(double x, int width, int flags);
void show_line_text(const char* text);
// printf into a text of any length: drawn at the display row and value column as it stands
// (no step), or shown as the next field's text value.
void show_formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
void show_formatted_text(int width, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Draws the prepared text at the display row and value column, cut to the window.
void draw_field_value(const char* text);
// The text of a float field: the precision code's format, trailing zeros cut, "***" when the
// value is too small for it and even "%f" does not fit the width.
std::string float_field_text(double x, int width, int flags);

// ---- Bars and boxes -----------------------------------------------------------------------------

// Runs the OK/CANCEL bar of row 0: 450 for OK, 27 for CANCEL, else the bar's code.
EventCode ok_cancel_field();
// Draws the bar when the first field's redraw flag is set.
void draw_ok_cancel();
// Runs the bar at a control's row and column with the cursor on OK (0) or CANCEL (1): 0 OK,
// 1 CANCEL, 27 Esc, or the key that ended it.
EventCode draw_ok_cancel_at(const ScreenControl& control, int selection);
// A caller's bar on row 0; a negative selection only draws it (when field 0 is flagged).
EventCode button_bar_field(const char* text, const char* letters, int selection);
void draw_field_box(int width);
void swap_field_colours();

// ---- Layout -------------------------------------------------------------------------------------

// The visible characters up to and including the first ':' or '?'; 0 without either.
int label_width(const char* text);
// The screen column of the values of the active form.
int find_value_column();
// The widest label of form `message` (0 when it is missing): set as the next label width, every
// value starts right of every label.
int widest_form_label(int message);

// ---- Events -------------------------------------------------------------------------------------

// One event for the current field of `width` cells (the queued copy of a character dropped).
EventCode read_field_event(int width);
// One event while the field's caret blinks; a character read is put back in front of the
// queue for the field's editor.
EventCode read_window_event(int width);
// With the pointer on the value of its row (digit k of rows names row k, the same digit of
// widths its width), posts Enter and returns 1.
int click_on_current_field(const char* rows, const char* widths);
void redraw_cursor_row();
// A left click on no control or tab of a page that runs a form: on one of the form's rows, a
// click on the value of a row for which opens_row answers true posts FIELD_CLICK, and the answer
// is EVENT_LEFT_DOWN (the form's row keys take the cursor there); elsewhere 0.
EventCode click_on_form_row(bool (*opens_row)(int row));
// Redraws the form in place when a repaint is pending: 1, else 0.
int repaint_dialog();
// The key itself when it leaves a field that is not being typed in (Del, Up, Down, PgUp, PgDn,
// Esc, and Left where the form lets it leave), else 0.
EventCode field_leave_key(EventCode code);
// A letter-cycle field read through read_window_event.
EventCode cycle_field_keys(const char* letters, uint8_t* index, uint8_t base, int width);
// 0 for characters and editing keys, else the key.
EventCode non_editing_key(EventCode key);

// Test hooks
void reset_dialog_forms();
