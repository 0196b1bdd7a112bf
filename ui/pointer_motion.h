// Moving the program's own pointer for the text windows: gliding it to a point, waiting for the
// buttons' release, and putting the editor's caret under it.
#pragma once

#include "screen/pointer.h"
#include "ui/editor_cursor.h"
#include "ui/text_window.h"

// Hides the pointer and keeps it hidden while the active window is drawn.
inline void hide_pointer_for_window() {
  hide_pointer();
  if (g_windows.active != nullptr) g_windows.active->flags |= WINDOW_ALWAYS;
}

// Stand-in: the caret goes to the line start whatever the pointer's column.
inline void caret_to_pointer_x() { cursor_to_line_start(); }
