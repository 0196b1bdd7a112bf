#include "editor/drawing_page_state.h"

DrawingPageState g_drawing_page;

void empty_item_clipboard() {
  LineList& clip = g_drawing_page.clipboard;
  if (clip.first != nullptr) free_list(clip.first);
  clip = LineList{};
}

void move_to_item_clipboard(DrawingItem* item) {
  LineList& clip = g_drawing_page.clipboard;
  // Out of the current list (the drawing), then behind the clipboard's last item.
  if (item->prev != nullptr) item->prev->next = item->next;
  else if (g_lists.current.first == item) g_lists.current.first = item->next;
  if (item->next != nullptr) item->next->prev = item->prev;
  else if (g_lists.current.last == item) g_lists.current.last = item->prev;
  item->prev = clip.last;
  item->next = nullptr;
  if (clip.last != nullptr) clip.last->next = item;
  else clip.first = item;
  clip.last = item;
}

int count_clipboard_items() {
  int n = 0;
  for (TextLine* item = g_drawing_page.clipboard.first; item != nullptr; item = item->next) ++n;
  return n;
}

void reset_drawing_page_state() {
  empty_item_clipboard();
  g_drawing_page = DrawingPageState{};
}
