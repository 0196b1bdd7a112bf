// Moving the program's own pointer for the text windows: gliding it to a point, waiting for the
// buttons' release, and putting the editor's caret under it.
#pragma once

#include <algorithm>

#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "ui/editor_cursor.h"
#include "ui/text_window.h"

// Hides the pointer and keeps it hidden while the active window is drawn.
inline void hide_pointer_for_window() {
  hide_pointer();
  if (g_windows.active != nullptr) g_windows.active->flags |= WINDOW_ALWAYS;
}

// The pointer follows the mouse's motion, kept on the screen.
inline void follow_mouse() {
  int dx = 0;
  int dy = 0;
  if (mouse_delta(&dx, &dy) == 0) return;
  hide_pointer();
  g_pointer.wanted_x =
      std::clamp(g_pointer.wanted_x + dx, 0, static_cast<int>(g_display.screen_width));
  g_pointer.wanted_y =
      std::clamp(g_pointer.wanted_y + dy, 0, static_cast<int>(g_display.screen_height));
  show_pointer();
}

// The caret to the cell edge nearest the goal x (blank space past the text included).
inline void caret_to_pointer_x() {
  TextWindow* w = g_windows.active;
  const int cw = g_display.current.cell_width;
  if (w == nullptr || cw <= 0) return;
  const int column = (w->goal_x + cw / 2) / cw;
  w->cursor_column = static_cast<int16_t>(std::clamp(column, 0, std::max(w->columns - 1, 0)));
  caret_to_screen_column();
}
