// The drawing as the active window's list, as the program has it: the boxes and lists that open
// over the page give that list back when they close. Without it a box would leave the current
// list empty and the drawing's lines behind.
#pragma once

#include "store/line_list.h"
#include "ui/text_window.h"

// Makes a window over the current list's lines and activates it.
inline TextLine* open_drawing_window() {
  const LineList items = g_lists.current;
  g_lists.current = LineList{};
  TextLine* window = create_window(nullptr, {.top_row = 5, .left_column = 5, .bottom_row = 20,
                                             .right_column = 60, .flags = 0,
                                             .key_filter = nullptr, .line_drawer = nullptr,
                                             .wrap_width = 125});
  activate_window(window);
  g_lists.current = items;
  g_lists.cursor_line = items.first;
  store_window_state();
  return window;
}

// Destroys the window with the drawing's lines; the current list is empty afterwards.
inline void close_drawing_window(TextLine* window) {
  if (window == nullptr) return;
  // The active window's record is behind its list until stored; another one's is up to date.
  if (g_windows.active_node == window) store_window_state();
  else activate_window(window);
  destroy_window(window);
  g_lists.current = LineList{};
  g_lists.cursor_line = nullptr;
}
