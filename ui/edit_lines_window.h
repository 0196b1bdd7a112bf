// Editing a line list in a text window of its own: the code texts of the settings forms are
// edited this way.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"
#include "ui/text_window.h"

struct TextLine;

// Runs a copy of the chain from *lines (null: an empty text) in a window of height x width cells
// centred on (row, column) (a negative row or column is used as it stands); on accept *lines
// becomes the edited chain and the old one is freed. 1 accepted, 0 cancelled.
// Stand-in: the lines are copied as they are (no re-wrapping to the window's width).
int edit_lines_in_window(TextLine** lines, const char* title, int row, int column, int height,
                         int width, WindowKeyFilter key_filter, WindowLineDrawer line_drawer,
                         uint32_t window_flags, void* data1, void* data2, uint16_t options);

// The key filter of code-text windows: Ctrl+S saves and leaves, Esc cancels.
// Stand-in: no Cancel/Save buttons are shown; every other code goes to the run loop.
EventCode cancel_save_key_filter();
