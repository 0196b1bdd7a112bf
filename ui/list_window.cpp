#include "ui/list_window.h"

#include <algorithm>
#include <cstring>

#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "screen/main_form.h"
#include "store/line_fold.h"
#include "ui/dialog_form.h"
#include "ui/key_pushback.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

ListState g_list;

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

// ---- Areas ----------------------------------------------------------------------------------------

namespace {

constexpr uint32_t LIST_AREAS_AT_RIGHT = LIST_RIGHT_MOVE | LIST_RIGHT_CHECK | 0x10;
constexpr uint32_t LIST_SECOND_RIGHT_AREA = LIST_END_MARKS | LIST_RIGHT_BOX | LIST_RIGHT_BUTTON;
constexpr uint32_t LIST_FAR_AREA = LIST_FAR_CHECK | LIST_FAR_BUTTON;
constexpr uint32_t LIST_RIGHT_MARGIN_2 = 0x3E0;
constexpr uint32_t LIST_RIGHT_MARGIN_3 = 0x340;

uint32_t active_list_options() {
  const TextWindow* w = g_windows.active;
  return w != nullptr ? w->list_options : 0;
}

bool has_mark_column(uint32_t options) { return (options & LIST_MARK_COLUMN) != 0; }

}  // namespace

// The columns the right areas take.
int list_right_margin(uint32_t options) {
  int margin = 0;
  if ((options & LIST_RIGHT_MARGIN_2) != 0) margin = (options & LIST_RIGHT_MARGIN_3) != 0 ? 3 : 2;
  if ((options & LIST_FAR_AREA) != 0) margin += 2;
  return margin;
}

int list_area_count() {
  const uint32_t options = active_list_options();
  if ((options & LIST_AREAS_AT_RIGHT) == 0) return 1;
  int count = 2;
  if ((options & LIST_SECOND_RIGHT_AREA) != 0) ++count;
  if ((options & LIST_FAR_AREA) != 0) ++count;
  return count;
}

int list_area_kind(int area) {
  const uint32_t options = active_list_options();
  switch (area) {
    case 0:
      if ((options & LIST_MARK_MOVE) != 0) return LIST_KIND_MOVE;
      if ((options & LIST_MARK_CHECK) != 0) return LIST_KIND_CHECK;
      if ((options & LIST_MARK_SELECT) != 0) return LIST_KIND_SELECT;
      return LIST_KIND_TEXT;
    case 1:
      if ((options & LIST_RIGHT_MOVE) != 0) return LIST_KIND_MOVE;
      if ((options & LIST_RIGHT_CHECK) != 0) return LIST_KIND_CHECK;
      return LIST_KIND_TEXT;
    default:
      if ((options & (LIST_RIGHT_BOX | LIST_FAR_CHECK)) != 0) return LIST_KIND_CHECK;
      if ((options & (LIST_RIGHT_BUTTON | LIST_FAR_BUTTON)) != 0) return LIST_KIND_BUTTON;
      return LIST_KIND_MOVE;
  }
}

int list_area_at_pointer() {
  const TextWindow* w = g_windows.active;
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  if (w == nullptr || cw <= 0 || ch <= 0) return -1;
  const int row = g_pointer.wanted_y / ch;
  const int column = g_pointer.wanted_x / cw;
  if (row < w->top_row || row > w->bottom_row || column < w->left_column ||
      column > w->right_column)
    return -1;
  const uint32_t options = w->list_options;
  if (has_mark_column(options) && column < w->left_column + 2) return 0;
  const int far_start = w->right_column - 1;
  if ((options & LIST_FAR_AREA) != 0 && column >= far_start) return 3;
  const int margin = list_right_margin(options);
  if (margin > 0 && column > w->right_column - margin) {
    // With a mark column the text is area 1 and the right columns start at area 2.
    if ((options & LIST_AREAS_AT_RIGHT) == 0) return -2;
    return has_mark_column(options) ? 2 : 1;
  }
  return has_mark_column(options) ? 1 : 0;
}

void set_list_pointer_shape() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  const int area = list_area_at_pointer();
  int shape = POINTER_ARROW;
  if (area == -1) {
    shape = POINTER_OUTSIDE_WINDOW;
  } else if (area >= 0) {
    const int text_area = has_mark_column(w->list_options) ? 1 : 0;
    switch (area == text_area ? LIST_KIND_TEXT : list_area_kind(area)) {
      case LIST_KIND_MOVE: shape = 6; break;
      case LIST_KIND_CHECK:
      case LIST_KIND_SELECT: shape = 2; break;
      case LIST_KIND_BUTTON: shape = 110; break;
      default: {
        const bool left = (w->list_options & FORM_LIST_LEAVE_LEFT) != 0;
        const bool right = (w->list_options & FORM_LIST_LEAVE_RIGHT) != 0;
        shape = left && right ? 9 : left ? 7 : right ? 8 : POINTER_ARROW;
        if (w->rows == 1 && !left && !right) shape = POINTER_TEXT;
        break;
      }
    }
  }
  set_pointer_shape(shape);
}

// ---- Drawing ------------------------------------------------------------------------------------

namespace {

constexpr char CHECKED_BOX[] = "\x0E\x08<\x08=\x13";
constexpr char UNCHECKED_BOX[] = "\x08?\x08@";
constexpr char PAD_GLYPH = '\xA0';

bool is_colour_byte(uint8_t b) { return b == 0x0B || b == 0x0C || b == 0x0E || b == 0x13; }

// Appends the line's text to *out taking at most `room` cells; control characters become glyph
// pairs when asked; a newline ends it. Returns the cells taken.
int append_cells(const std::string& text, int room, bool glyph_controls, std::string* out) {
  int cells = 0;
  for (size_t i = 0; i < text.size() && cells < room; ++i) {
    const uint8_t b = static_cast<uint8_t>(text[i]);
    if (b == '\n' || b == 0) break;
    if (is_colour_byte(b)) {
      *out += static_cast<char>(b);
      continue;
    }
    if (b == 0x08 || (b >= 1 && b <= 7)) {
      // An escape pair takes one cell.
      if (i + 1 >= text.size()) break;
      *out += static_cast<char>(b);
      *out += text[++i];
      ++cells;
      continue;
    }
    if (b < 32 && glyph_controls) {
      *out += '\x08';
      *out += static_cast<char>(b + 33);
    } else {
      *out += static_cast<char>(b < 32 ? ' ' : b);
    }
    ++cells;
  }
  return cells;
}

}  // namespace

void draw_check_list_line(int row, TextLine* line) {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || line == nullptr) return;
  const uint32_t options = w->list_options;
  const bool checked = (line->state & LINE_STATE_CHECKED) != 0;
  std::string text;
  int room = w->columns;
  if ((options & LIST_RIGHT_MARGIN_2) != 0) room -= 2;
  if ((options & LIST_FAR_AREA) != 0) room -= 2;
  if ((options & LIST_MARK_CHECK) != 0) {
    text += checked ? CHECKED_BOX : UNCHECKED_BOX;
    room -= 2;
  }
  const int cells = append_cells(line->text, std::max(room, 0),
                                 (w->flags & WINDOW_GLYPH_CONTROLS) != 0, &text);
  text += "\x13";
  if (cells < room) text.append(static_cast<size_t>(room - cells), PAD_GLYPH);
  if ((options & LIST_RIGHT_BOX) != 0) text += checked ? CHECKED_BOX : UNCHECKED_BOX;
  if ((options & (LIST_END_MARKS | LIST_RIGHT_MOVE)) != 0) draw_list_end_mark(line, row, &text);
  draw_text(row, w->left_column, text.c_str());
}

// ---- Moving and clearing lines -------------------------------------------------------------

void clear_lines(TextLine* line, int n) {
  for (int i = 0; i < n && line != nullptr; ++i, line = line->next) {
    set_line_text("\n", line);
    line->extra.clear();
    line->state |= LINE_STATE_REDRAW;
  }
  g_windows.redraw_pending = 1;
}

int is_blank_text(const char* text) {
  if (text == nullptr) return 1;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p)
    if (*p > ' ') return 0;
  return 1;
}

// ---- Waiting for the pointer ----------------------------------------------------------------

EventCode wait_pointer_in_box(int top, int left, int bottom, int right) {
  const int16_t previous = g_pointer.requested_shape;
  set_pointer_shape(POINTER_OUTSIDE_WINDOW);
  EventCode result = 0;
  while (result == 0) {
    const EventCode code = wait_input_code();
    if (code == EVENT_POINTER_MOVE) {
      int dx = 0;
      int dy = 0;
      mouse_delta(&dx, &dy);
      g_pointer.wanted_x += dx;
      g_pointer.wanted_y += dy;
      move_pointer();
      const int x = g_pointer.wanted_x;
      const int y = g_pointer.wanted_y;
      if (x >= left && x <= right && y >= top && y <= bottom) result = code;
    } else if (code >= EVENT_LEFT_DOWN && code <= EVENT_RIGHT_DOWN) {
      result = KEY_ESC;
    } else if (code > 0 && code != EVENT_TICK && code < EVENT_POINTER_MOVE) {
      result = code;
    } else if (code == EVENT_QUIT) {
      result = code;
    }
  }
  set_pointer_shape(previous);
  return result;
}

// ---- List position memory -------------------------------------------------------------------

void forget_list_position() { g_list.remembered_row = -1; }

void focus_list_lines() {
  TextWindow* w = g_windows.active;
  if (g_popups.current != nullptr) redraw_popups(0);
  if (w == nullptr) return;
  w->cursor_column = 0;
  w->text_column = 0;
}

void advance_to_remembered_row() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_list.remembered_row < 0) return;
  while (w->cursor_row < g_list.remembered_row && g_lists.cursor_line != nullptr) {
    TextLine* next = next_visible_line(g_lists.cursor_line);
    if (next == nullptr) break;
    g_lists.cursor_line = next;
    if (w->cursor_row < w->rows - 1) ++w->cursor_row;
  }
}

void restore_list_position(int n) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  w->flags |= WINDOW_PAGE_SCROLL;
  set_scroll_keys();
  if (n > 0 && (g_list.remembered_row < 0 || g_list.remembered_row > n)) g_list.remembered_row = n;
  advance_to_remembered_row();
}

int repaint_on_event(EventCode event) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return 0;
  if (event != EVENT_REDRAW && g_form.redraw_level == 0) return 0;
  hide_caret();
  ++g_windows.full_redraw_count;
  if (g_popups.current != nullptr && g_windows.active_node != g_popups.current)
    redraw_popups(0);
  draw_window_frame(0);
  return 1;
}

void reset_list_state() { g_list = ListState(); }
