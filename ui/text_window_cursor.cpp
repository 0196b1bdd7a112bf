// Cursor operations shared by list and editor windows, and window lists kept as histories.
#include <algorithm>

#include "screen/display_mode.h"
#include "store/line_fold.h"
#include "store/text_helpers.h"
#include "ui/load_lists.h"
#include "ui/pointer_motion.h"
#include "ui/text_window.h"
#include "ui/text_window_internal.h"

namespace {

// Past this many lines a count stops: no window is taller.
constexpr int COUNT_LIMIT = 32000;
// The cursor line stays this many lines below the top when a jump puts it out of view.
constexpr int CONTEXT_ABOVE_JUMP = 2;

// Visible lines before (after) the line, counting at most `most`.
int visible_lines_before(TextLine* line, int most) {
  int n = 0;
  for (line = prev_visible_line(line); line != nullptr && n < most; line = prev_visible_line(line))
    ++n;
  return n;
}

int visible_lines_after(TextLine* line, int most) {
  int n = 0;
  for (line = next_visible_line(line); line != nullptr && n < most; line = next_visible_line(line))
    ++n;
  return n;
}

// Lines before (after) the line in a window that is not active, skipping hidden lines.
bool shown(const TextLine* line) { return (line->kind & LINE_KIND_HIDDEN) == 0; }

TextLine* next_shown(TextLine* line) {
  for (line = line->next; line != nullptr && !shown(line); line = line->next) {
  }
  return line;
}

int shown_lines_after(TextLine* line, int most) {
  int n = 0;
  for (line = next_shown(line); line != nullptr && n < most; line = next_shown(line)) ++n;
  return n;
}

int shown_lines_before(TextLine* line, int most) {
  int n = 0;
  for (line = line->prev; line != nullptr && n < most; line = line->prev)
    if (shown(line)) ++n;
  return n;
}

// Runs `work` on the window's list as the current list. For the active window the globals are
// stored first and loaded again afterwards, so that both stay in step.
template <class Work>
void with_window_list(TextWindow* window, Work work) {
  const bool active = window == g_windows.active;
  if (active) store_window_state();
  if (push_list() < 0) return;
  g_lists.current = LineList{window->first_line, window->last_line};
  fix_list_first();
  fix_list_last();
  work();
  window->first_line = g_lists.current.first;
  window->last_line = g_lists.current.last;
  pop_list();
  if (active) {
    g_lists.current = LineList{window->first_line, window->last_line};
    g_lists.cursor_line = window->current_line;
  }
}

int row_middle_y(const TextWindow* window, int row) {
  const int ch = metrics_for_font_mode(window->font_mode).cell_height;
  return (window->top_row + row) * ch + ch / 2;
}

}  // namespace

void cursor_to_pointer_y(int pixel_y) {
  TextWindow* w = g_windows.active;
  const int ch = g_display.current.cell_height;
  if (w == nullptr || ch <= 0 || g_lists.cursor_line == nullptr) return;
  const int target = std::clamp((pixel_y - w->pixel_top) / ch, 0, std::max(w->rows - 1, 0));
  TextLine* line = g_lists.cursor_line;
  int row = w->cursor_row;
  while (row > target) {
    TextLine* previous = prev_visible_line(line);
    if (previous == nullptr) break;
    line = previous;
    --row;
  }
  while (row < target) {
    TextLine* next = next_visible_line(line);
    if (next == nullptr) break;
    line = next;
    ++row;
  }
  g_lists.cursor_line = line;
  w->cursor_row = static_cast<int16_t>(row);
}

void caret_to_pointer_column(int pixel_x) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  w->goal_x = static_cast<int16_t>(pixel_x - w->pixel_left);
  caret_to_pointer_x();
}

void cursor_to_block_start() {
  TextWindow* w = g_windows.active;
  TextLine* start = g_lists.block_start;
  if (w == nullptr || start == nullptr || g_lists.block_end == nullptr) return;
  w->horizontal_scroll = 0;
  w->cursor_column = w->block_start_column;
  w->text_column = w->block_start_column;
  // The block start lies at or before the cursor line when the cursor is inside the block; look
  // that way first, then after it.
  int row = w->cursor_row;
  TextLine* line = g_lists.cursor_line;
  while (line != nullptr && line != start) {
    line = line->prev;
    if (line != nullptr && shown(line)) --row;
  }
  if (line == nullptr) {
    row = w->cursor_row;
    for (line = g_lists.cursor_line; line != nullptr && line != start; line = line->next)
      if (line->next != nullptr && shown(line->next)) ++row;
  }
  if (line == nullptr) return;
  g_lists.cursor_line = start;
  if (row < 0 || row >= w->rows) {
    row = std::min(visible_lines_before(start, CONTEXT_ABOVE_JUMP), CONTEXT_ABOVE_JUMP);
    request_full_redraw();
  }
  w->cursor_row = static_cast<int16_t>(row);
}

void find_and_show_line(TextWindow* window, LineMatch hook, const char* key) {
  if (window == nullptr) return;
  const bool active = window == g_windows.active;
  TextLine* first = active ? g_lists.current.first : window->first_line;
  TextLine* found = nullptr;
  if (key != nullptr && key[0] != 0 && hook != nullptr) {
    for (TextLine* line = first; line != nullptr;
         line = active ? next_visible_line(line) : next_shown(line)) {
      if (shown(line) && hook(line, key) == 0) {
        found = line;
        break;
      }
    }
  }
  int row = 0;
  if (found != nullptr) {
    const int rows = window->rows;
    const int after = active ? visible_lines_after(found, rows) : shown_lines_after(found, rows);
    const int before = active ? visible_lines_before(found, rows) : shown_lines_before(found, rows);
    // Half way down, but near the end of the list the window stays filled, and the row cannot
    // pass the lines there are above it.
    row = std::min(std::max(rows / 2, rows - 1 - after), before);
    row = std::max(row, 0);
  } else {
    found = first;
  }
  window->current_line = found;
  window->cursor_row = static_cast<int16_t>(row);
  if (active) g_lists.cursor_line = found;
}

void place_cursor_row(int n) {
  TextWindow* w = g_windows.active;
  TextLine* cursor = g_lists.cursor_line;
  if (w == nullptr || cursor == nullptr) return;
  const int rows = w->rows;
  if (n <= 0) n = rows / 2 - 2;
  n = std::clamp(n, 0, std::max(rows - 2, 0));
  const int above = visible_lines_before(cursor, COUNT_LIMIT);
  int row = std::min(n, above);
  const int below = visible_lines_after(cursor, rows);
  if (row + 1 + below < rows) row = std::min(rows - 1 - below, above);
  w->cursor_row = static_cast<int16_t>(std::max(row, 0));
}

void remove_history_entry(const char* text, TextWindow* window) {
  if (text == nullptr || window == nullptr) return;
  with_window_list(window, [&] {
    for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next) {
      if (same_text_ignoring_case(line->text.c_str(), text)) {
        delete_line(line);
        break;
      }
    }
    window->current_line = g_lists.current.first;
  });
  window->cursor_row = 0;
  window->pointer_y = static_cast<int16_t>(row_middle_y(window, 0));
  if (window == g_windows.active) g_windows.pointer_y = window->pointer_y;
}

void add_history_entry(const char* text, TextWindow* window, int most) {
  if (text == nullptr || text[0] == 0 || window == nullptr) return;
  int row = window->cursor_row;
  with_window_list(window, [&] {
    TextLine* same = find_line_by_text(text, g_lists.current.first);
    if (same != nullptr)
      move_line_after(same, nullptr);
    else if (insert_line(text, {}, nullptr) == nullptr)
      return;
    TextLine* last = g_lists.current.last;
    if (last != g_lists.current.first && last->text.empty()) delete_line(last);
    if (count_current_lines() > most) delete_line(g_lists.current.last);
    row = std::clamp(row, 0, std::max(count_current_lines() - 1, 0));
    window->current_line = nth_line(row);
  });
  window->cursor_row = static_cast<int16_t>(row);
  window->pointer_y = static_cast<int16_t>(row_middle_y(window, row));
  if (window == g_windows.active) g_windows.pointer_y = window->pointer_y;
}

void add_history_entry_nocase(const char* text, TextWindow* window, int most) {
  g_load_lists.compare_ignoring_case = true;
  add_history_entry(text, window, most);
  g_load_lists.compare_ignoring_case = false;
}
