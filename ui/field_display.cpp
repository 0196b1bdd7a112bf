// The display pass of dialog forms: every field's value drawn at its row and the value column,
// only when its redraw flag is set.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "screen/boxes.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/float_text.h"
#include "ui/button_bar.h"
#include "ui/dialog_form.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

constexpr char PICK_GLYPH[] = "\x0C\x08:";    // the pick-list mark (glyph 25)
constexpr char TOGGLE_GLYPH[] = "\x0C\x08" "7";  // the toggle mark (glyph 22)
constexpr char MORE_GLYPH[] = "\x0C\x08;";    // the text goes on (glyph 26)
constexpr int MOST_FIELD_CELLS = 99;
constexpr uint16_t TEXT_BOX_STYLE_TEXT = 0x2000;
constexpr uint16_t TEXT_BOX_STYLE_KEPT = 0x9000;
constexpr int UNITS_BOX_CELLS = 6;
constexpr uint8_t GLYPH_BLANK = 0xA0;
constexpr int LINE_TEXT_CELLS = 80;
constexpr uint32_t LINE_TEXT_FLAGS = 0x201C0;
constexpr uint8_t DEGREE_SIGN = 0xB0;

// Decimals of the precision codes 0-4.
constexpr int DECIMALS[] = {4, 2, 1, 0, 6};

int decimals_of_code(int code) {
  return code >= 0 && code < static_cast<int>(std::size(DECIMALS)) ? DECIMALS[code] : 4;
}

// The next display call's field is flagged for drawing.
bool next_field_flagged() {
  const int next = g_field.redraw_index + 1;
  return next >= 0 && static_cast<size_t>(next) < g_field.redraw.size() &&
         g_field.redraw[static_cast<size_t>(next)] != 0;
}

// Moves on to the next field; true when its value is to be drawn. A negative width stays.
bool step_to_field(int width) {
  FieldDisplay& f = g_field;
  if (width < 0) return true;
  ++f.display_row;
  ++f.redraw_index;
  return f.redraw_index >= 0 && static_cast<size_t>(f.redraw_index) < f.redraw.size() &&
         f.redraw[static_cast<size_t>(f.redraw_index)] != 0;
}

bool is_colour_code(uint8_t c) {
  return c == TC_HIGHLIGHT || c == TC_SECOND || c == TC_THIRD || c == TC_NORMAL;
}

// The text cut after `cells` visible characters (at a newline at the latest); *cut tells
// whether anything visible was left out.
std::string cut_visible(const char* text, int cells, bool* cut) {
  std::string out;
  int visible = 0;
  *cut = false;
  for (const char* p = text; *p != 0 && *p != '\n'; ++p) {
    const uint8_t c = static_cast<uint8_t>(*p);
    if (is_colour_code(c)) {
      out.push_back(*p);
      continue;
    }
    if (visible >= cells) {
      *cut = true;
      break;
    }
    if (c == TC_GLYPH && p[1] != 0) out.push_back(*p++);
    out.push_back(*p);
    ++visible;
  }
  return out;
}

int visible_length(const std::string& text) {
  int n = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (is_colour_code(c)) continue;
    if (c == TC_GLYPH && i + 1 < text.size()) ++i;
    ++n;
  }
  return n;
}

void pad_to(std::string* text, int cells) {
  const int n = visible_length(*text);
  if (n < cells) text->append(static_cast<size_t>(cells - n), ' ');
}

void show_with_glyph(const char* text, int width, const char* glyph) {
  if (!step_to_field(width)) return;
  const int cells = std::abs(width);
  bool cut = false;
  std::string shown = cut_visible(text != nullptr ? text : "", cells, &cut);
  pad_to(&shown, cells);
  shown += glyph;
  shown += "\x13 ";
  g_text.text_field_width = static_cast<int16_t>(cells + 2);
  draw_field_value(shown.c_str());
}

void show_text_styled(const char* text, int width, const char* glyph) {
  const uint16_t saved = g_text.text_box_style;
  if (saved != TEXT_BOX_STYLE_KEPT) g_text.text_box_style = TEXT_BOX_STYLE_TEXT;
  show_with_glyph(text, width, glyph);
  g_text.text_box_style = saved;
}

void draw_units(int width, int flags) {
  const FieldDisplay& f = g_field;
  if (f.units.empty()) return;
  const int column = f.value_column + std::abs(width) + 1;
  if ((flags & FLOAT_BOXED_UNITS) != 0) {
    const uint16_t saved = g_text.text_box_style;
    g_text.text_box_style = TEXT_BOX_STYLE_TEXT;
    g_text.text_box_cells = UNITS_BOX_CELLS;
    draw_text(f.display_row, column, f.units.c_str());
    g_text.text_box_style = saved;
  } else {
    draw_text(f.display_row, column, f.units.c_str());
  }
}

}  // namespace

// ---- The pass -----------------------------------------------------------------------------------

void begin_display_pass() {
  const TextWindow* w = g_windows.active;
  g_field.display_row = (w != nullptr ? w->top_row : 0) - 1;
  g_field.redraw_index = -1;
}

void skip_field_display() {
  ++g_field.display_row;
  ++g_field.redraw_index;
}

// ---- Drawing a value ----------------------------------------------------------------------------

void draw_field_value(const char* text) {
  const TextWindow* w = g_windows.active;
  const FieldDisplay& f = g_field;
  if (w == nullptr || text == nullptr) return;
  const int room = std::min(w->right_column - f.value_column + 1, MOST_FIELD_CELLS);
  if (room <= 0) return;
  bool cut = false;
  const std::string shown = cut_visible(text, room, &cut);
  if (g_text.text_field_width > room) g_text.text_field_width = static_cast<int16_t>(room);
  draw_text(f.display_row, f.value_column, shown.c_str());
  g_text.text_field_width = 0;
}

void show_field_text(const char* text, int width) { show_with_glyph(text, width, PICK_GLYPH); }

void show_field_value(const char* text, int width) {
  if (!step_to_field(width)) return;
  const int cells = std::abs(width);
  bool cut = false;
  std::string shown = cut_visible(text != nullptr ? text : "", cells, &cut);
  if (cut) shown = cut_visible(text, std::max(cells - 1, 0), &cut) + MORE_GLYPH + "\x13";
  pad_to(&shown, cells + 1);
  g_text.text_field_width = static_cast<int16_t>(cells + 1);
  draw_field_value(shown.c_str());
}

void show_string_value(const char* text, int width) { show_field_value(text, width); }

void show_text_value(const char* text, int width) { show_text_styled(text, width, PICK_GLYPH); }

void show_choice_value(const char* const* array, int index, int width) {
  show_text_value(array != nullptr && index >= 0 ? array[index] : "", width);
}

void show_toggle_value(const char* const* array, int index, int width) {
  show_text_styled(array != nullptr ? array[index & 1] : "", width, TOGGLE_GLYPH);
}

void show_int_value(int32_t n, int width) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(n));
  show_field_value(text, width);
}

void show_int_or_blank(int32_t n, int width) {
  if (n == 0) show_field_value("", width);
  else show_int_value(n, width);
}

void show_int_pick_value(int32_t n, int width) {
  char text[16] = "";
  if (n != 0) std::snprintf(text, sizeof text, "%d", static_cast<int>(n));
  show_field_text(text, width);
}

void show_choice_or_blank(const char* const* array, int index, int width) {
  show_text_value(index >= 0 && index <= 254 && array != nullptr ? array[index] : "", width);
}

std::string float_field_text(double x, int width, int flags) {
  if (x == 0.0 && (flags & FLOAT_BLANK_ZERO) != 0) return "";
  const int code = flags & FLOAT_PRECISION_MASK;
  std::string out = format_float_text(x, code);
  // Too small for its precision: shown with every decimal, or "***" when that does not fit.
  char fixed[64];
  std::snprintf(fixed, sizeof fixed, "%.*f", decimals_of_code(code), x);
  if (x != 0.0 && std::atof(fixed) == 0.0 && static_cast<int>(out.size()) >= std::abs(width))
    return "***";
  if ((flags & FLOAT_DEGREES) != 0) out.push_back(static_cast<char>(DEGREE_SIGN));
  if ((flags & FLOAT_PERCENT) != 0) out.push_back('%');
  return out;
}

void show_float_value(double x, int width, int flags) {
  const bool flagged = width < 0 || next_field_flagged();
  show_string_value(float_field_text(x, width, flags).c_str(), width);
  const bool units = (flags & FLOAT_UNITS) != 0 && !(x == 0.0 && flags < 0);
  if (units && flagged) draw_units(width, flags);
}

void show_float_or_blank(double x, int width, int flags) {
  if (x == static_cast<double>(FIELD_UNSET) || x == 0.0) show_string_value("", width);
  else show_float_value(x, width, flags);
}

void show_float_or_unset(double x, int width, int flags) {
  if (x == static_cast<double>(FIELD_UNSET)) show_string_value("", width);
  else show_float_value(x, width, flags);
}

void show_line_text(const char* text) {
  if (!step_to_field(0)) return;
  TextWindow* w = g_windows.active;
  std::string shown = text != nullptr ? text : "";
  shown.append(LINE_TEXT_CELLS, static_cast<char>(GLYPH_BLANK));
  const uint32_t saved = w != nullptr ? w->flags : 0;
  if (w != nullptr) w->flags |= LINE_TEXT_FLAGS;
  draw_field_value(shown.c_str());
  if (w != nullptr) w->flags = saved;
}

namespace {

std::string format_varargs(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n <= 0) return "";
  std::string text(static_cast<size_t>(n) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<size_t>(n));
  return text;
}

}  // namespace

void show_formatted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = format_varargs(format, args);
  va_end(args);
  draw_field_value(text.c_str());
}

void show_formatted_text(int width, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = format_varargs(format, args);
  va_end(args);
  show_text_value(text.c_str(), width);
}

// ---- Boxes --------------------------------------------------------------------------------------

void draw_field_box(int width) {
  hide_pointer();
  draw_box(0x180, g_field.display_row, g_field.value_column, 1, width, 0);
}

void swap_field_colours() { std::swap(g_field.value_colour, g_field.edit_colour); }

// ---- Bars ---------------------------------------------------------------------------------------

namespace {

constexpr char OK_CANCEL_TEXT[] = "OK    CANCEL";
constexpr char OK_CANCEL_LETTERS[] = "OC";
constexpr int OK_CANCEL_WIDTH = 12;
// Run: the hand pointer, Down leaves for the next field, raised boxes. Drawn only: plain.
constexpr uint16_t BAR_RUN_FLAGS = BAR_HAND_POINTER | BAR_EXIT_DOWN | BAR_DIALOG;
constexpr uint16_t BAR_DRAW_FLAGS = BAR_PLAIN | BAR_DIALOG;
constexpr uint16_t BAR_CONTROL_FLAGS = BAR_HAND_POINTER | BAR_EXIT_DOWN | BAR_NO_DRAW;

bool first_field_flagged() { return !g_field.redraw.empty() && g_field.redraw[0] != 0; }

// The bar's column: the value column, or moved left so that the bar ends inside the window.
int bar_column(int bar_width) {
  const TextWindow* w = g_windows.active;
  const int column = g_field.value_column;
  if (w != nullptr && column + bar_width >= w->right_column) return w->right_column - bar_width - 1;
  return column;
}

// The selection a bar starts with: the label under the pointer after a move or a click.
int bar_selection(int fallback) {
  const EventCode last = g_field.last_pointer_event;
  return last == EVENT_POINTER_MOVE || last == EVENT_LEFT_DOWN ? BAR_SELECT_UNDER_POINTER
                                                                : fallback;
}

int form_top_row() {
  const TextWindow* w = g_windows.active;
  return w != nullptr ? w->top_row : 0;
}

}  // namespace

EventCode ok_cancel_field() {
  const TextWindow* w = g_windows.active;
  const int fallback = w != nullptr ? (w->cursor_column & 1) : 0;
  const EventCode result = run_button_bar(form_top_row(), bar_column(OK_CANCEL_WIDTH + 1),
                                          OK_CANCEL_TEXT, OK_CANCEL_LETTERS,
                                          bar_selection(fallback), BAR_RUN_FLAGS);
  if (result == 0) return WINDOW_ACCEPT;
  if (result == 1) return KEY_ESC;
  return result;
}

void draw_ok_cancel() {
  if (!first_field_flagged()) return;
  g_text.text_box_cells = 0;
  run_button_bar(form_top_row(), bar_column(OK_CANCEL_WIDTH + 1), OK_CANCEL_TEXT,
                 OK_CANCEL_LETTERS, -1, BAR_DRAW_FLAGS);
}

EventCode draw_ok_cancel_at(const ScreenControl& control, int selection) {
  int column = control.column;
  if (column < 0) column += g_display.presets[FACE_ROLE_MENU].last_column + 1;
  push_text_metrics();
  use_medium_font();
  const EventCode result = run_button_bar(control.row, column, OK_CANCEL_TEXT, OK_CANCEL_LETTERS,
                                          selection, BAR_CONTROL_FLAGS);
  pop_text_metrics();
  return result;
}

EventCode button_bar_field(const char* text, const char* letters, int selection) {
  if (text == nullptr) return 0;
  int width = 0;
  for (const char* p = text; *p != 0 && *p != '\n'; ++p)
    if (!is_colour_code(static_cast<uint8_t>(*p))) ++width;
  if (selection < 0) {
    if (first_field_flagged())
      run_button_bar(form_top_row(), bar_column(width + 1), text, letters, selection,
                     BAR_DRAW_FLAGS);
    return static_cast<EventCode>(selection);
  }
  return run_button_bar(form_top_row(), bar_column(width + 1), text, letters,
                        bar_selection(selection), BAR_RUN_FLAGS);
}
