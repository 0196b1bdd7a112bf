#include "ui/list_window.h"

#include <algorithm>

#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "ui/dialog_form.h"
#include "ui/key_pushback.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

// The list mark's cells right of the window, and the list option that asks for it.
constexpr int LIST_MARK_CELLS = 4;
constexpr uint32_t LIST_OPTION_LIST_MARK = 0x4000;

// Pointer shapes whose hot spot sits in the middle of a row.
bool shape_points_at_row_middle(int shape) { return shape == 3 || shape == 5 || shape == 110; }

}  // namespace

int pointer_in_window() {
  const TextWindow* w = g_windows.active;
  const int ch = g_display.current.cell_height;
  const int cw = g_display.current.cell_width;
  if (w == nullptr || ch <= 0 || cw <= 0) return 0;
  const int x = g_pointer.wanted_x;
  const int y = g_pointer.wanted_y;
  const bool rows_ok = y >= w->top_row * ch - ch / 2 && y <= (w->bottom_row + 1) * ch + ch / 2;
  const bool columns_ok = x >= (w->left_column - 1) * cw && x < (w->right_column + 2) * cw;
  return rows_ok && columns_ok ? 1 : 0;
}

void show_list_mark() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || (w->list_options & LIST_OPTION_LIST_MARK) == 0) return;
  if (!g_caret.strip.pixels.pixels.empty()) return;
  const int row = w->top_row + w->cursor_row;
  const int column = w->right_column + 1;
  save_field_strip(row, column, LIST_MARK_CELLS - 2);
  hide_pointer();
  // A blank, two middle dots and the arrow glyph, in the highlight colour.
  draw_text(row, column, "\v \xb7\xb7\b;");
  show_pointer();
}

void keep_pointer_in_window() {
  const TextWindow* w = g_windows.active;
  const int ch = g_display.current.cell_height;
  const int cw = g_display.current.cell_width;
  if (w == nullptr || ch <= 0 || cw <= 0) return;
  g_pointer.wanted_x = std::clamp(g_pointer.wanted_x, w->left_column * cw,
                                  (w->right_column + 1) * cw - 1);
  g_pointer.wanted_y = std::clamp(g_pointer.wanted_y, w->top_row * ch, (w->bottom_row + 1) * ch - 1);
}

void pointer_to_cursor_row(int flag) {
  const TextWindow* w = g_windows.active;
  const int ch = g_display.current.cell_height;
  if (flag == 0 || w == nullptr || ch <= 0) return;
  const int row = w->top_row + w->cursor_row;
  if (g_pointer.wanted_y / ch == row) return;
  g_pointer.wanted_y = shape_points_at_row_middle(g_pointer.shape) ? row * ch + ch / 2
                                                                    : (row + 1) * ch - 2;
}

// ---- The pointer over list and form rows ----------------------------------------------------

namespace {

constexpr uint32_t LIST_OPTION_LEAVE_LEFT = 0x2000;
constexpr uint32_t LIST_OPTION_LEAVE_RIGHT = 0x4000;
constexpr int16_t POINTER_ON_ROW = 11;

int pointer_row() {
  const int ch = g_display.current.cell_height;
  return ch > 0 ? g_pointer.wanted_y / ch : 0;
}

int pointer_column() {
  const int cw = g_display.current.cell_width;
  return cw > 0 ? g_pointer.wanted_x / cw : 0;
}

}  // namespace

EventCode pointer_to_field_step(int mode) {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || g_field.last_pointer_event != EVENT_POINTER_MOVE) return 0;
  const int row = pointer_row();
  set_pointer_shape(POINTER_ON_ROW);
  for (;;) {
    const EventCode code = wait_input_code();
    if (code == EVENT_POINTER_MOVE) {
      move_pointer();
      if (pointer_row() != row) {
        g_field.step_direction = pointer_row() < row ? KEY_UP : KEY_DOWN;
        return g_field.step_direction;
      }
      if (pointer_column() < w->left_column && (w->list_options & LIST_OPTION_LEAVE_LEFT) != 0)
        return KEY_LEFT;
      if (pointer_column() > w->right_column && (w->list_options & LIST_OPTION_LEAVE_RIGHT) != 0)
        return KEY_RIGHT;
      continue;
    }
    if (code == EVENT_RIGHT_DOWN) return mode != 0 ? KEY_ESC : KEY_PGUP;
    if (code == EVENT_LEFT_DOWN && pointer_in_window() == 0) return WINDOW_CANCEL;
    if (code == EVENT_QUIT) return code;
    if (code < EVENT_CTRL_UP) return g_field.step_direction;
  }
}

EventCode pointer_row_to_keys() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr) return 0;
  const int target = pointer_row() - w->top_row;
  int row = w->cursor_row;
  if (target == row) return 0;
  // As far as lines exist from the cursor line.
  const TextLine* line = g_lists.cursor_line;
  int pushed = 0;
  while (row != target && line != nullptr) {
    line = target > row ? line->next : line->prev;
    if (line == nullptr) break;
    push_back_key(target > row ? KEY_DOWN : KEY_UP);
    row += target > row ? 1 : -1;
    ++pushed;
  }
  return pushed > 0 ? pop_pushed_key() : 0;
}

void keep_pointer_in_field(int width) {
  const int cw = g_display.current.cell_width;
  const int first = g_field.value_column * cw;
  g_pointer.wanted_x = std::clamp(g_pointer.wanted_x, first,
                                  first + std::max(width, 1) * cw - 1);
}

// ---- End marks ------------------------------------------------------------------------------

namespace {

constexpr char END_MARK_BAR[] = "\x0E\x08$";        // third colour, glyph 3
constexpr char END_MARK_MIDDLE[] = "\x0C\x08" "3";  // second colour, glyph 18
constexpr char END_MARK_FIRST[] = "\x0C\x08" "6";   // glyph 21
constexpr char END_MARK_LAST[] = "\x0C\x08" "8";    // glyph 23
constexpr int LONG_MARK_CELLS = 15;
constexpr int MORE_MARK_CELLS = 6;
constexpr int END_MARK_CELLS = 5;
constexpr int WIDE_WINDOW_CELLS = 20;

bool is_empty_line(const TextLine* line) {
  return line->text.empty() || line->text == "\n";
}

// The list goes on below this line: it has a successor that is not an empty last line.
bool list_goes_on(const TextLine* line) {
  const TextLine* next = line->next;
  return next != nullptr && !(next->next == nullptr && is_empty_line(next));
}

}  // namespace

void draw_list_end_mark(const TextLine* line, int row, std::string* text) {
  const TextWindow* w = g_windows.active;
  if (line == nullptr || text == nullptr) return;
  *text += END_MARK_BAR;
  if (line->prev == nullptr) *text += END_MARK_FIRST;
  else if (line->next == nullptr) *text += END_MARK_LAST;
  else *text += END_MARK_MIDDLE;
  if (w == nullptr || row != w->bottom_row) return;
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  const int tiny_width = g_display.presets[FACE_ROLE_TINY].cell_width;
  if (tiny_width <= 0) return;
  const int tiny_cells = w->columns * cw / tiny_width;
  const bool more = list_goes_on(line);
  const char* mark = nullptr;
  if (tiny_cells >= LONG_MARK_CELLS) mark = more ? "(more below)" : "(end of list)";
  else if (tiny_cells >= (more ? MORE_MARK_CELLS : END_MARK_CELLS)) mark = more ? "(more)" : "(end)";
  if (mark == nullptr) return;
  int column = w->left_column;
  if (tiny_cells >= WIDE_WINDOW_CELLS) column += 4;
  else if (tiny_cells >= LONG_MARK_CELLS) column += 1;
  draw_tiny_text(-((row + 1) * ch), column * cw, mark);
}
