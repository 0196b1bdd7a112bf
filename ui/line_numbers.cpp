#include "ui/line_numbers.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/line_fold.h"
#include "store/line_list.h"
#include "ui/editor_cursor.h"
#include "ui/message_box.h"
#include "ui/text_window.h"

namespace {

bool hidden(const TextLine* line) { return (line->kind & LINE_KIND_HIDDEN) != 0; }
const FoldRecord* fold_of(const TextLine* line) { return fold_record_of(line); }
// Unread file text stands behind the placeholder (not a folded run).
bool is_unread_text(const TextLine* line) { return is_unread_placeholder(line); }

// Numbers a folded run from the placeholder's number on; returns the last number given.
int32_t number_folded_run(const TextLine* placeholder, int32_t count) {
  const FoldRecord* fold = fold_of(placeholder);
  if (fold == nullptr || fold->first_line == nullptr) return count;
  bool first = true;
  for (TextLine* l = fold->first_line; l != nullptr; l = l->next) {
    if (!first && !hidden(l)) ++count;
    first = false;
    set_line_key(l, count);
    if (l == fold->last_line) break;
  }
  return count;
}

// Numbers backwards from the list's end: -1, -2, ...; unread text before stops the walk.
void number_from_end(TextLine* from, int32_t n) {
  for (TextLine* l = from; l != nullptr; l = l->prev) {
    if (is_placeholder(l)) {
      if (is_unread_text(l)) return;
      const FoldRecord* fold = fold_of(l);
      if (fold == nullptr || fold->first_line == nullptr) continue;
      int32_t m = n;
      for (TextLine* r = fold->last_line; r != nullptr; r = r->prev) {
        set_line_key(r, m);
        if (!hidden(r)) --m;
        if (r == fold->first_line) break;
      }
      n = m;
      continue;
    }
    if (!hidden(l)) --n;
    set_line_key(l, n);
  }
}

std::string with_thousands(int32_t value) {
  std::string digits = std::to_string(value < 0 ? -static_cast<int64_t>(value) : value);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(i, ",");
  return digits;
}

// Forwards from `start` with the first number; a placeholder ends the walk (count again).
void number_forward(TextLine* start, int32_t number) {
  TextWindow* w = g_windows.active;
  for (TextLine* l = start; l != nullptr; l = l->next) {
    if (is_placeholder(l)) {
      w->line_count = 0;
      return;
    }
    if (l != start && !hidden(l)) ++number;
    set_line_key(l, number);
  }
}

}  // namespace

int32_t number_lines(int16_t stop_early) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || w->line_count > 0) return 0;
  if (g_lists.block_start == nullptr) g_lists.block_end = nullptr;
  int32_t count = 0;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next) {
    if (is_placeholder(l)) {
      if (is_unread_text(l)) {
        w->line_count = -std::abs(w->line_count);
        number_from_end(g_lists.current.last, 0);
        return 0;
      }
      ++count;
      set_line_key(l, count);
      count = number_folded_run(l, count);
      continue;
    }
    if (!hidden(l)) ++count;
    set_line_key(l, count);
    if (l == g_lists.cursor_line && stop_early != 0 && pending_input_count() > 0 &&
        g_lists.block_end != nullptr && line_key(g_lists.block_end) != 0)
      return count;
  }
  w->line_count = count;
  return count;
}

void renumber_after_edit() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return;
  const bool has_block = g_lists.block_start != nullptr && g_lists.block_end != nullptr;
  if (!has_block) g_lists.block_end = nullptr;
  TextLine* first = has_block ? g_lists.block_start : g_lists.cursor_line;
  TextLine* last = has_block ? g_lists.block_end : g_lists.cursor_line;
  const auto not_negative = [](const TextLine* l) { return l == nullptr || line_key(l) >= 0; };
  if (not_negative(first) && not_negative(first->prev) && not_negative(last) &&
      not_negative(last->next)) {
    TextLine* before = first->prev;
    TextLine* start = before != nullptr && !is_placeholder(before) ? before : first;
    number_forward(start, before == nullptr ? 1 : std::max<int32_t>(line_key(start), 1));
    return;
  }
  // Counted from the end: the first numbered line after the region gives the number.
  TextLine* start = g_lists.current.last;
  int32_t number = -1;
  if (has_block && last != g_lists.current.last) {
    start = last->next != nullptr && is_placeholder(last->next) ? last : last->next;
    while (start != nullptr && line_key(start) == 0) start = start->next;
    if (start == nullptr) {
      start = g_lists.current.last;
    } else {
      number = line_key(start);
    }
  }
  for (TextLine* l = start; l != nullptr; l = l->prev) {
    if (is_placeholder(l)) {
      w->line_count = 0;
      return;
    }
    if (l != start && !hidden(l->next)) --number;
    set_line_key(l, number);
  }
}

void go_to_line(int32_t n) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  if (n < 0) {
    const std::string hint = w->line_count != 0
                                 ? "There are " + with_thousands(std::abs(w->line_count)) +
                                       " lines in this file"
                                 : std::string("(Enter zero to load entire file)");
    const int column = w->left_column + w->columns / 2;
    // The number is asked in an entry box (the go-to form's dialog comes with the forms).
    const int16_t answer = message_box(12, column - 11, 22, "\x1d!!Go to which line?\n\n",
                                       0x08400000, &g_line_numbering.go_to_number, 10, nullptr,
                                       20, hint.c_str());
    if (answer == 27) return;
    n = g_line_numbering.go_to_number;
  }
  int32_t number = 0;
  for (TextLine* l = g_lists.current.first; l != nullptr; l = next_visible_line(l)) {
    if (is_placeholder(l)) continue;
    set_line_key(l, ++number);
    if (number != n) continue;
    clear_marked_block();
    g_lists.cursor_line = l;
    place_cursor_row(0);
    caret_to_screen_column();
    const CellMetrics& m = g_display.current;
    g_pointer.wanted_x = w->left_column * m.cell_width;
    g_pointer.wanted_y = (w->top_row + w->cursor_row + 1) * m.cell_height - m.cell_height / 4;
    request_full_redraw();
    return;
  }
}

const char* line_counter_text(int columns, int rows, int32_t key, int32_t count, char* out,
                              int size) {
  if (size <= 0) return "";
  out[0] = 0;
  if (columns < 40 || rows < 8) return out;
  if (columns < 60) {
    std::snprintf(out, static_cast<size_t>(size), "Line %-6ld", static_cast<long>(key));
    return out;
  }
  std::snprintf(out, static_cast<size_t>(size), " %-8ld of %-8ld", static_cast<long>(key),
                static_cast<long>(std::abs(count)));
  if (count == 0 && size > 13) out[13] = ' ';
  if (count < 0 && size > 9) out[9] = '*';
  return out;
}

void draw_line_counter() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return;
  char text[40];
  line_counter_text(w->columns, w->rows, line_key(g_lists.cursor_line), w->line_count, text,
                    static_cast<int>(sizeof(text)));
  if (text[0] == 0) return;
  const CellMetrics& tiny = g_display.presets[FACE_ROLE_TINY];
  const CellMetrics& m = g_display.current;
  const int k = w->columns >= 60 ? 20 : 8;
  draw_status_text(tiny.cell_height - w->top_row * m.cell_height,
                   w->right_column * m.cell_width - k * tiny.cell_width, text);
}
