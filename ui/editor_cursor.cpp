#include "ui/editor_cursor.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "screen/display_mode.h"
#include "store/line_fold.h"
#include "ui/editor_text.h"
#include "ui/editor_undo.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

int cell_width() { return g_display.current.cell_width; }

int next_tab_stop(int column) { return (column / tab_width() + 1) * tab_width(); }

// Columns a byte at `i` takes and the bytes it spans; a newline counts as one column.
struct Step {
  int bytes;
  int columns;
};
Step step_at(const std::string& text, size_t i, int column) {
  const uint8_t c = static_cast<uint8_t>(text[i]);
  if (c == '\t') return {1, next_tab_stop(column) - column};
  if (c == '\n' || c >= 32) return {1, 1};
  if (c == 8) return {i + 1 < text.size() ? 2 : 1, 1};
  if (is_escape_lead(c)) return {i + 1 < text.size() ? 2 : 1, codes_shown() ? 1 : 0};
  if (is_colour_code(c)) return {1, codes_shown() ? 1 : 0};
  return {1, 0};
}

void move_caret_columns(TextWindow* w, int columns) {
  w->cursor_column = static_cast<int16_t>(w->cursor_column + columns);
  w->caret_x = static_cast<int16_t>(w->cursor_column * cell_width());
}

}  // namespace

// ---- Hooks -------------------------------------------------------------------------------------

void cursor_to_line_start() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  if (w->horizontal_scroll != 0) request_full_redraw();
  w->cursor_column = 0;
  w->text_column = 0;
  w->horizontal_scroll = 0;
  w->caret_x = 0;
}

void cursor_to_line_end() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return;
  cursor_to_line_start();
  const std::string& text = g_lists.cursor_line->text;
  w->text_column = static_cast<int16_t>(ends_with_newline(g_lists.cursor_line) ? text.size() - 1
                                                                              : text.size());
  screen_column_from_text();
  keep_caret_in_view();
}

int cursor_right_in_line(EventCode key) {
  TextWindow* w = g_windows.active;
  TextLine* line = g_lists.cursor_line;
  if (w == nullptr || line == nullptr) return 0;
  const std::string& text = line->text;
  const int end = static_cast<int>(text.size()) - (ends_with_newline(line) ? 1 : 0);
  if (w->text_column >= end) {
    if (key == WINDOW_DRAG_RIGHT && w->cursor_column + w->horizontal_scroll < LINE_TEXT_MAX &&
        w->text_column < LINE_TEXT_MAX) {
      w->text_column++;
      move_caret_columns(w, 1);
      keep_caret_in_view();
      return 1;
    }
    return 0;
  }
  size_t i = static_cast<size_t>(w->text_column);
  while (i < text.size() && text[i] != '\n') {
    const Step s = step_at(text, i, w->cursor_column + w->horizontal_scroll);
    i += static_cast<size_t>(s.bytes);
    if (s.columns > 0) {
      w->text_column = static_cast<int16_t>(i);
      move_caret_columns(w, s.columns);
      keep_caret_in_view();
      return 1;
    }
  }
  // Only codes without a column were left before the line end: the caret goes past them.
  w->text_column = static_cast<int16_t>(i);
  keep_caret_in_view();
  return 1;
}

int cursor_left_in_line() {
  TextWindow* w = g_windows.active;
  TextLine* line = g_lists.cursor_line;
  if (w == nullptr || line == nullptr || w->text_column <= 0) return 0;
  const std::string& text = line->text;
  if (w->text_column > static_cast<int>(text.size())) {
    w->text_column--;
    if (w->cursor_column > 0) {
      move_caret_columns(w, -1);
    } else if (w->horizontal_scroll > 0) {
      w->horizontal_scroll--;
      request_full_redraw();
    }
    return 1;
  }
  // Walk the line from its start to find the last shown position before the caret.
  size_t i = 0;
  size_t stop = std::string::npos;
  while (i < static_cast<size_t>(w->text_column)) {
    const Step s = step_at(text, i, 0);
    if (s.columns > 0) stop = i;
    i += static_cast<size_t>(s.bytes);
  }
  if (stop == std::string::npos) return 0;
  w->text_column = static_cast<int16_t>(stop);
  screen_column_from_text();
  return 1;
}

void list_cursor_to_line_start() {
  if (g_windows.active != nullptr) g_windows.active->cursor_column = 0;
}

void list_cursor_to_line_end() {
  if (g_windows.active != nullptr) g_windows.active->cursor_column = 3;
}

int list_cursor_right(EventCode /*key*/) {
  if (g_windows.active == nullptr) return 0;
  g_windows.active->cursor_column++;
  return 1;
}

int list_cursor_left() {
  if (g_windows.active == nullptr) return 0;
  g_windows.active->cursor_column--;
  return 1;
}

// ---- Columns -----------------------------------------------------------------------------------

void caret_to_screen_column() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return;
  const int wanted = w->cursor_column + w->horizontal_scroll;
  const std::string& text = g_lists.cursor_line->text;
  int column = 0;
  size_t i = 0;
  while (i < text.size() && column < wanted) {
    if (text[i] == '\n') break;
    const Step s = step_at(text, i, column);
    if (column + s.columns > wanted) break;
    column += s.columns;
    i += static_cast<size_t>(s.bytes);
  }
  // Codes without a column at the goal stay before the caret.
  if (column < wanted && (i >= text.size() || text[i] == '\n')) {
    i += static_cast<size_t>(wanted - column);
    column = wanted;
  }
  w->text_column = static_cast<int16_t>(std::min<size_t>(i, LINE_TEXT_MAX));
  w->cursor_column = static_cast<int16_t>(column - w->horizontal_scroll);
  w->caret_x = static_cast<int16_t>(w->cursor_column * cell_width());
}

size_t byte_at_screen_column(const std::string& text, int wanted, int* reached) {
  int column = 0;
  size_t i = 0;
  while (i < text.size() && text[i] != '\n' && column < wanted) {
    const Step s = step_at(text, i, column);
    if (column + s.columns > wanted) break;
    column += s.columns;
    i += static_cast<size_t>(s.bytes);
  }
  *reached = column;
  return i;
}

int screen_column_of_byte(const std::string& text, size_t target) {
  int column = 0;
  size_t i = 0;
  while (i < target && i < text.size()) {
    const Step s = step_at(text, i, column);
    column += s.columns;
    i += static_cast<size_t>(s.bytes);
  }
  if (target > text.size()) column += static_cast<int>(target - text.size());
  return column;
}

void screen_column_from_text() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return;
  const size_t target = static_cast<size_t>(std::max<int16_t>(w->text_column, 0));
  const int column = screen_column_of_byte(g_lists.cursor_line->text, target);
  w->cursor_column = static_cast<int16_t>(column - w->horizontal_scroll);
  if (w->cursor_column < 0) {
    w->cursor_column = 0;
    w->horizontal_scroll = 0;
    request_full_redraw();
    w->cursor_column = static_cast<int16_t>(column);
  }
  w->caret_x = static_cast<int16_t>(w->cursor_column * cell_width());
}

void keep_caret_in_view() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || w->columns <= 0) return;
  if (w->cursor_column >= w->columns) {
    w->horizontal_scroll = static_cast<int16_t>(w->horizontal_scroll + w->cursor_column -
                                                w->columns + 1);
    w->cursor_column = static_cast<int16_t>(w->columns - 1);
    w->caret_x = static_cast<int16_t>(w->cursor_column * cell_width());
    request_full_redraw();
  }
}

int16_t cursor_display_column() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return 0;
  const std::string& text = g_lists.cursor_line->text;
  int count = 0;
  for (size_t i = 0; i < text.size() && i < static_cast<size_t>(w->text_column); ++i) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (c >= 32 || c == '\t' || (is_colour_code(c) && codes_shown())) ++count;
  }
  return static_cast<int16_t>(count);
}

// ---- Lines -------------------------------------------------------------------------------------

int editor_line_up() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return 0;
  if (cursor_to_prev_line() == nullptr) {
    g_run.top_reached = 1;
    return 0;
  }
  if (w->cursor_row > 1 ||
      (w->cursor_row == 1 && prev_visible_line(g_lists.cursor_line) == nullptr)) {
    w->cursor_row--;
    return 1;
  }
  g_run.scroll_hint = 'u';
  request_full_redraw();
  return -1;
}

int editor_line_down() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return 0;
  if (cursor_to_next_line() == nullptr) {
    g_run.bottom_reached = 1;
    return 0;
  }
  TextLine* next = next_visible_line(g_lists.cursor_line);
  const bool near_end = next == nullptr || next_visible_line(next) == nullptr;
  if (w->cursor_row < w->rows - 1 && (w->rows < 6 || w->cursor_row < w->rows - 3 || near_end)) {
    w->cursor_row++;
    return 1;
  }
  g_run.scroll_hint = 'd';
  request_full_redraw();
  return -1;
}

bool auto_indent_allowed() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr) return true;
  const char* dot = std::strrchr(w->title, '.');
  if (dot == nullptr) return true;
  const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(dot[1])));
  return c != 'T' && c != 'D';
}

const char* file_extension_of(const char* path) {
  if (path == nullptr) return nullptr;
  const char* name = std::strrchr(path, '/');
  name = name != nullptr ? name + 1 : path;
  const char* dot = std::strrchr(name, '.');
  return dot != nullptr ? dot + 1 : nullptr;
}
