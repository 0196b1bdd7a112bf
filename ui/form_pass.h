// The field handlers of forms that draw every value after each field (find, numbering, editor
// settings), and the run of such a form over an editing buffer.
#pragma once

#include "screen/event_queue.h"
#include "ui/text_window.h"

// One call of the field handler: the current field edited (`edit` by row), then every value
// drawn (`show`); a repaint draws the labels first and the values after them.
EventCode field_pass_showing_values(EventCode (*edit)(int row), void (*show)());

// Runs the form over the active window: a redraw still pending is dropped, so that it cannot
// paint over the form's first values, and the page and the window are drawn again afterwards.
// 1 accepted, 0 cancelled.
int run_form_over_window(int message, WindowKeyFilter field_handler);
