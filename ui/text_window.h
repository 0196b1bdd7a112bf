// Text windows: every screen of the program is a line list shown in a rectangle of character
// cells, with a key filter that turns events into commands and a line drawer that paints one
// line. A window is itself a line of a window list whose extra block is its TextWindow record;
// the window owns its lines. One window is active at a time: activating it loads its state into
// the current-window globals (g_windows, and the current list, cursor line and block lines of
// g_lists), and store_window_state writes them back.
#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

#include "screen/event_queue.h"
#include "store/line_list.h"

struct FileRecord;
struct CanvasSaveUnder;
struct EditorUndoHistory;
struct TextArea;

// The callbacks a window brings. A key filter reads events itself and returns the next code for
// run_window (0: nothing to do). A line drawer paints one line at a screen row.
using WindowKeyFilter = EventCode (*)();
using WindowLineDrawer = void (*)(int row, TextLine* line);

// ---- Window flags ----------------------------------------------------------------------------

constexpr uint32_t WINDOW_FRAME_STYLE_MASK = 0x07;      // frame style of the frame drawer
constexpr uint32_t WINDOW_SHOW_SPACES = 0x40;           // spaces (and codes) shown
constexpr uint32_t WINDOW_SHOW_LINE_ENDS = 0x80;        // pilcrow at line ends
constexpr uint32_t WINDOW_SHOW_TAB_MARKS = 0x100;       // tab mark in a tab's last cell
constexpr uint32_t WINDOW_WORD_WRAP = 0x200;            // editing buffers: word wrap on
constexpr uint32_t WINDOW_CHANGED = 0x400;              // contents changed since the last save
constexpr uint32_t WINDOW_READ_ONLY = 0x1000;           // read-only buffer
constexpr uint32_t WINDOW_OVERWRITE = 0x2000;           // typing overwrites
constexpr uint32_t WINDOW_ENTER_ACCEPTS = 0x4000;       // list windows: Enter accepts
constexpr uint32_t WINDOW_GLYPH_CONTROLS = 0x8000;      // control characters shown as glyph pairs
constexpr uint32_t WINDOW_SHOW_CONTROL_CODES = 0x20000; // rich text: colour codes are text, shown
                                                        // as glyphs with spaces; activation gives
                                                        // an empty list one line
constexpr uint32_t WINDOW_TEXT_LIST = 0x40000;          // editor-style cursor; activation marks the
                                                        // first line a paragraph start; Ctrl+Up and
                                                        // Ctrl+Down scroll
constexpr uint32_t WINDOW_LETTERS_TO_CALLER = 0x100000; // list windows: no hot-letter search
constexpr uint32_t WINDOW_FIXED_LIST = 0x400000;        // no line insertion or deletion
constexpr uint32_t WINDOW_SAVED = 0x800000;             // editing buffers: saved at least once
constexpr uint32_t WINDOW_PAGE_SCROLL = 0x08000000;     // scrolling uses PgUp/PgDn, step 2
constexpr uint32_t WINDOW_COMMENT_COLOUR = 0x10000000;  // "//" starts a comment
constexpr uint32_t WINDOW_MEDIUM_FONT = 0x20000000;     // medium font at creation
constexpr uint32_t WINDOW_FULL_REDRAW = 0x40000000;     // full redraw under way
constexpr uint32_t WINDOW_ALWAYS = 0x80000000;          // always set by create_window

// Option word bits (the low byte is the window's colour base)
constexpr uint16_t WINDOW_OPTION_COLOUR_MASK = 0x00FF;
constexpr uint16_t WINDOW_OPTION_MEDIUM_FONT = 0x100;
constexpr uint16_t WINDOW_OPTION_TINY_HELP = 0x400;     // help texts in the tiny face
constexpr uint16_t WINDOW_OPTION_SMALL_FONT = 0x800;
constexpr uint16_t WINDOW_OPTION_SMALLEST_FONT = 0x1000;

// Font modes
constexpr uint8_t FONT_MODE_NORMAL = 0;
constexpr uint8_t FONT_MODE_MEDIUM = 1;
constexpr uint8_t FONT_MODE_SMALL = 2;
constexpr uint8_t FONT_MODE_SMALLEST = 3;

// List options
constexpr uint32_t LIST_OPTION_CURSOR_MASK = 0xFFFF;    // non-zero: list-style cursor movement
constexpr uint32_t LIST_OPTION_FIRST_AREA = 0x01;       // the initial area is 1
constexpr uint32_t LIST_OPTION_POINTER_TO_ROW = 0x10000000;  // run_window brings the pointer
constexpr uint32_t LIST_OPTION_POINTER_STAYS = 0x40000000;   // ...unless it is already inside

// The goal column of vertical moves
constexpr int16_t GOAL_NONE = -30000;        // follow the goal x
constexpr int16_t GOAL_LINE_END = -20000;
constexpr int16_t GOAL_LINE_START = -10000;

// Remembered area values of list windows
constexpr int16_t AREA_NONE = 255;
constexpr int16_t AREA_REDRAW_FRAME = 254;
constexpr int16_t AREA_KEPT_BELOW = 250;     // a remembered area below this becomes AREA_NONE

constexpr int WINDOW_TITLE_SIZE = 260;       // title bytes with the closing zero
constexpr int WINDOW_STACK_DESIGNED = 15;    // the stack grows beyond this instead of refusing

// ---- The record ---------------------------------------------------------------------------------

// One window. Rows and columns are cells of the window's font counted from the top and left of
// the screen. Kept in the extra block of its window-list line; trivially copyable, so owned
// memory (file record, save-under, undo steps) is held by pointer and freed by destroy_window.
struct TextWindow {
  int16_t wanted_wrap_width = 0;  // editing buffers: wrap width chosen by the user, 0 = fit
  uint32_t flags = WINDOW_ALWAYS; // WINDOW_* bits
  uint16_t options = 0;           // low byte colour base; WINDOW_OPTION_* font and help bits
  int16_t caret_x = 0;            // caret position in pixels, kept by the cursor hooks

  // Pixels, derived by compute_window_pixels from the cell fields.
  int16_t pixel_width = 0;        // columns x cell width
  int16_t pixel_height = 0;       // rows x cell height
  int16_t pixel_top = 0;          // top row x cell height
  int16_t pixel_left = 0;         // left column x cell width
  int16_t pixel_bottom = 0;       // (bottom row + 1) x cell height
  int16_t pixel_right = 0;        // right column x cell width
  int16_t pixel_wrap_width = 0;   // wrap width x cell width
  int16_t pixel_scroll = 0;       // horizontal scroll x cell width

  WindowKeyFilter key_filter = nullptr;
  WindowLineDrawer line_drawer = nullptr;
  FileRecord* file = nullptr;     // owned; null when the window has no file

  TextLine* first_line = nullptr;   // the window's lines; all null for an empty list
  TextLine* current_line = nullptr; // the cursor line when the window is not active
  TextLine* last_line = nullptr;
  TextLine* block_start = nullptr;  // marked block lines, or null
  TextLine* block_end = nullptr;
  int16_t block_start_column = 0;   // byte index on the start line
  int16_t block_end_column = 0;     // byte index on the end line, exclusive

  uint8_t font_mode = FONT_MODE_NORMAL;
  int16_t text_column = 0;        // byte index of the cursor within the cursor line's text
  int16_t cursor_column = 0;      // screen column of the caret within the window (list windows
                                  // keep their current area here)
  int16_t cursor_row = 0;         // row of the cursor line counted from the top row
  int16_t horizontal_scroll = 0;  // columns scrolled to the left
  int16_t columns = 0;            // right - left + 1
  int16_t rows = 0;               // bottom - top + 1
  int16_t top_row = 0;            // the rectangle in cells, borders included
  int16_t left_column = 0;
  int16_t bottom_row = 0;
  int16_t right_column = 0;
  int16_t wrap_width = 0;         // word-wrap width in columns
  uint8_t title_picture = 0;      // picture drawn in the frame, 0 = none (frame drawer's)
  uint8_t picture_placement = 0;  // 0 bottom-right, 1 top-left of the text area, 2 none
  uint32_t list_options = 0;      // LIST_OPTION_* and bits of the list windows

  CanvasSaveUnder* saved_background = nullptr;  // owned save-under of the window's area
  int16_t saved_left = 0;         // pixel box of the saved area (frame drawer's)
  int16_t saved_top = 0;
  int16_t saved_right = 0;
  int16_t saved_bottom = 0;
  int16_t shade_right = 0;
  int16_t shade_bottom = 0;

  char title[WINDOW_TITLE_SIZE] = {};  // zero-ended

  EditorUndoHistory* undo_history = nullptr;  // the editor's undo steps; owned, freed with the
                                              // window

  void* data1 = nullptr;          // given at creation, read by the page or dialog that made it
  void* data2 = nullptr;
  const char* help_texts[3] = {}; // help lines of the list areas
  int32_t line_count = 0;         // lines for the editor's numbering; <= 0: count again
  int16_t remembered_area = 0;    // list windows: area whose help text is shown (AREA_*)
  TextLine* line_at_activation = nullptr;
  int16_t goal_column = -1;       // where vertical moves put the caret (GOAL_* or a column)
  int16_t goal_x = 0;             // pixel offset of the caret from the left edge they aim at
  const char* legend = nullptr;   // hot letters the window answers to; null = none
  int16_t pointer_x = 0;          // pointer position in pixels saved with the window
  int16_t pointer_y = 0;
  uint8_t redraw_pending = 0;     // saved copy of the redraw request
  uint8_t value_column = 0;       // dialog forms: label width, 0 = from the first label
};

// The window record of a window-list line, or null.
TextWindow* window_of(TextLine* node);

// ---- Current-window globals ------------------------------------------------------------------

// The four movement hooks of the active window (list-style or text-style). A hook that moves
// reports 1, one that cannot reports 0.
struct CursorHooks {
  void (*line_start)() = nullptr;
  void (*line_end)() = nullptr;
  int (*right)(EventCode key) = nullptr;
  int (*left)() = nullptr;
};

struct WindowLayer {
  TextLine* active_node = nullptr;  // the active window's line, or null
  TextWindow* active = nullptr;     // its record (inside the node's extra), or null
  WindowKeyFilter key_filter = nullptr;    // copies of the active record's callbacks
  WindowLineDrawer line_drawer = nullptr;
  const char* legend = "";          // the active window's legend, never null
  CursorHooks hooks;

  int32_t full_redraw_count = 0;    // > 0: redraw every line of the window next time
  uint8_t redraw_pending = 0;       // non-zero: redraw the flagged lines next time
  bool keep_redraw_bits = false;    // the redraw leaves the lines' redraw bits set
  bool suppress_clear = false;      // the next redraw leaves rows without lines alone
  int16_t pointer_x = 0;            // pointer position saved with the active window
  int16_t pointer_y = 0;

  std::vector<TextLine*> stack;     // active-window stack, last pushed at the back; grows
  bool metrics_held = false;        // activation keeps the cell metrics (printing sets it)
  bool window_activated = false;    // a window was activated since this was last cleared
  uint8_t screen_centre_row = 0;    // rows / 2 and columns / 2 of the active font, as bytes
  uint8_t screen_centre_column = 0;
  int16_t underline_offset = 0;     // cell height - cell height / 3 - 1
  uint16_t help_options = 0;        // options word of the active window, for the help line
  uint8_t initial_area = 0;         // list windows: area chosen at activation (0 or 1)

  // The active window's scroll codes are the pointer's (g_pointer.scroll_up_key, ...).
  int16_t scroll_step = 1;              // ticks between repeats of a held scroll button, >= 1
  EventCode remembered_scroll_key = 0;  // the scroll key last used; keeps its direction

  bool status_line_used = false;    // show_status_line drew since this was last cleared
  bool help_suppressed = false;     // show_help_text_line draws nothing
  int16_t help_box_row = 0;         // >= 0: help texts go to the status line; < 0: the box below
  int16_t help_box_left = 0;        // the help box in pixels, set by a page
  int16_t help_box_top = 0;
  int16_t help_box_right = 0;
  int16_t help_box_bottom = 0;
};
extern WindowLayer g_windows;

// ---- Creating, activating, storing, destroying --------------------------------------------------

// What a new window is made with; a field left out is zero or null.
struct WindowSpec {
  int top_row = 0;                // the rectangle in cells, borders included
  int left_column = 0;
  int bottom_row = 0;
  int right_column = 0;
  uint32_t flags = 0;             // WINDOW_* bits; WINDOW_ALWAYS is added
  WindowKeyFilter key_filter = nullptr;
  WindowLineDrawer line_drawer = nullptr;
  bool with_file = false;         // the window gets a file record (not open yet)
  uint16_t options = 0;           // colour base and WINDOW_OPTION_* bits
  const char* legend = nullptr;   // hot letters the window answers to
  int wrap_width = 0;             // word-wrap width in columns
  const char* title = nullptr;    // cut to WINDOW_TITLE_SIZE - 1 bytes
  uint32_t list_options = 0;      // LIST_OPTION_* and the list windows' bits
  void* data1 = nullptr;          // for the page or dialog that makes it
  void* data2 = nullptr;
};

// A new window over the current list (which becomes its lines), appended to the window list
// that holds `list_node` (a new list when null). The window is neither activated nor drawn.
// Null when memory runs out. A rectangle given upside down becomes rows 1-20 or columns 1-50.
TextLine* create_window(TextLine* list_node, const WindowSpec& spec);
// Makes the window active (null does nothing).
void activate_window(TextLine* node);
// What text output reads of a window (its flags and list options), for the active one.
TextArea text_area_of(TextWindow* window);
// Writes the current-window globals back into the active record.
void store_window_state();
// Stores the active window and pushes it; pop activates the window pushed last (without storing
// the window active at the time). The stack grows as needed.
void push_active_window();
void pop_active_window();
// Runs work() with the window active (its list the current one) and gives back what work()
// returns; the window that was active comes back, or none when none was.
template <typename Work>
auto run_in_window(TextLine* window, Work work) {
  TextLine* was_active = g_windows.active_node;
  push_active_window();
  activate_window(window);
  auto finish = [was_active] {
    store_window_state();
    if (was_active != nullptr) {
      pop_active_window();
    } else {
      g_windows.stack.pop_back();
    }
  };
  if constexpr (std::is_void_v<decltype(work())>) {
    work();
    finish();
  } else {
    auto result = work();
    finish();
    return result;
  }
}
// Redraws the window on top of the stack (the one below the active window) and comes back.
void redraw_window_below();
// Frees the window and its lines; returns the window that takes its place (see the .cpp), or
// null for a null node.
TextLine* destroy_window(TextLine* node);
// Destroys a window whose lines belong to the caller (a list kept between visits): the lines
// come back, and the window, no longer holding them, frees nothing of theirs.
LineList destroy_window_keeping_lines(TextLine* node);

// ---- Window lists ------------------------------------------------------------------------------

// 1 when node belongs to the list that holds `line`.
int list_contains(TextLine* node, TextLine* line);
// Next shown window from the active one (forward or backward, wrapping once); null when the walk
// comes back to the active window. type 0 any, 1 activated before, 2 never activated.
TextLine* next_window(int type, bool forward);

// ---- Geometry -----------------------------------------------------------------------------------

// The pixel fields of the active record from its cell fields.
void compute_window_pixels();
// Chooses the active window's scroll keys and step.
void set_scroll_keys();
// Cells of the normal font in medium-font cells and back, rounded up.
int rows_to_medium_font(int n);
int cols_to_medium_font(int n);
int rows_from_medium_font(int n);
int cols_from_medium_font(int n);
// Sizes the window to its line count (least..most) around centre_row; returns the rows.
int fit_window_rows(TextWindow* window, int centre_row, int most, int least);
// Positive values replace the bottom row, left column and right column.
void set_window_bounds(TextLine* node, int bottom_row, int left_column, int right_column);
// Row < 0: top row -row - 1 at the column; else centred on (row, column). Kept on the screen.
void place_window(TextWindow* window, int row, int column);

// Centres a window's columns on the screen (normal cells); null is ignored.
void centre_window_columns(TextLine* window);

// ---- Display modes ------------------------------------------------------------------------------

// Sets the choice and applies it, lays out what depends on the cells again, activates the active
// window again in the new cells and asks for a redraw.
// Stand-in: lays out the page tabs and re-places the editing buffers; the other long-lived windows keep their places.
void set_display_mode(int choice);

// ---- Redraw ------------------------------------------------------------------------------------

// Draws what the active window needs: every line after a change or a full-redraw request,
// else only the lines flagged LINE_STATE_REDRAW.
void redraw_window_lines();
// Draws every line of the active window.
void repaint_window_lines();
void request_full_redraw();
// The display column just after the marked block's end column on its end line.
int block_end_display_column();
// The status line at the bottom of the screen, and the help line (status line or help box).
void show_status_line(const char* text);
void show_help_text_line(const char* text);

// ---- Cursor operations of the active window ---------------------------------------------------

void cursor_to_pointer_y(int pixel_y);
void caret_to_pointer_column(int pixel_x);
void cursor_to_block_start();
// Hook (line, key) returns 0 for the line wanted.
using LineMatch = int (*)(TextLine* line, const char* key);
void find_and_show_line(TextWindow* window, LineMatch hook, const char* key);
void place_cursor_row(int n);
// The window's list as a most-recent-first history. Removing compares ignoring case, adding
// compares exactly (a search for "Foo" and one for "foo" are two entries).
void remove_history_entry(const char* text, TextWindow* window);
void add_history_entry(const char* text, TextWindow* window, int most);
// The same with entries compared ignoring case: "Report.NC" moves an entry "REPORT.nc" up (as
// it is).
void add_history_entry_nocase(const char* text, TextWindow* window, int most);

// ---- Test hooks --------------------------------------------------------------------------------

// Forgets the active window, the stack and every request (frees nothing).
void reset_window_layer();
