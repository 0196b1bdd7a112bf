// Editing a list of lines in a window of its own: the multi-line fields of the forms and the
// texts the engines hand to the user for editing.
#pragma once

#include <cstdint>

#include "store/line_list.h"
#include "ui/text_window.h"

// Copies the lines into a window (a negative row or column is used as it stands, otherwise the
// window is centred on it), runs it, and on accept replaces the caller's lines by the edited
// ones (1); on cancel the caller's lines stay (0). A null key filter takes Esc as cancel and
// Ctrl+S or Ctrl+F4 as accept.
// Stand-in: no editor key filter, leave question or re-wrapping to the wrap width yet.
int edit_lines_in_window(LineList* lines, const char* title, int row, int column, int height,
                         int width, WindowKeyFilter key_filter, WindowLineDrawer line_drawer,
                         uint32_t window_flags, void* data1, void* data2, uint16_t options);
