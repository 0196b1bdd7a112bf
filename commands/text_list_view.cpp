#include "commands/text_list_view.h"

#include "store/line_list.h"
#include "text/text_items.h"
#include "text/text_numbering.h"
#include "ui/page_entries.h"
#include "ui/text_window.h"

namespace {

// Runs work() on the drawing window's list (its window active meanwhile); without a drawing
// window, on the current list.
template <typename Work>
void on_drawing_list(Work work) {
  TextLine* drawing = g_shared_windows.drawing;
  if (window_of(drawing) == nullptr) {
    work();
    return;
  }
  run_in_window(drawing, work);
}

// The parked chain's last item (the chain is short-lived, walking it is fine).
TextLine* last_parked() {
  TextLine* line = g_parked_items.first;
  while (line != nullptr && line->next != nullptr) line = line->next;
  return line;
}

void park_non_text_items() {
  TextLine* tail = last_parked();
  TextLine* line = g_lists.current.first;
  while (line != nullptr) {
    TextLine* next = line->next;
    if (line->kind != ITEM_TEXT) {
      if (line == g_lists.current.first) g_lists.current.first = next;
      if (line == g_lists.current.last) g_lists.current.last = line->prev;
      if (g_lists.cursor_line == line) g_lists.cursor_line = nullptr;
      if (g_lists.block_start == line || g_lists.block_end == line)
        g_lists.block_start = g_lists.block_end = nullptr;
      move_line_to_list(line, tail);
      if (tail == nullptr) {
        line->prev = line->next = nullptr;
        g_parked_items.first = line;
      }
      tail = line;
    }
    line = next;
  }
}

}  // namespace

void enter_text_list_view() {
  on_drawing_list([] {
    park_non_text_items();
    if (g_lists.current.first != nullptr) {
      // The ids are the numbers the links name: the sort must not renumber them itself.
      const uint8_t keep = g_lists.keep_ids;
      g_lists.keep_ids = 1;
      sort_list(compare_line_ids);
      g_lists.keep_ids = keep;
      renumber_text_items(1, 1);
    } else {
      new_text_item();
    }
    g_lists.cursor_line = g_lists.current.first;
    if (TextWindow* w = g_windows.active; w != nullptr && g_windows.active_node == g_shared_windows.drawing) {
      w->first_line = g_lists.current.first;
      w->cursor_row = 1;
      w->cursor_column = 0;
    }
  });
}

void leave_text_list_view() {
  if (g_parked_items.first == nullptr) return;
  on_drawing_list([] {
    TextLine* chain = g_parked_items.first;
    reset_parked_items();
    TextLine* last = g_lists.current.last;
    if (last == nullptr) {
      g_lists.current.first = chain;
      chain->prev = nullptr;
    } else {
      last->next = chain;
      chain->prev = last;
    }
    g_lists.current.last = chain;
    fix_list_last();
  });
}
