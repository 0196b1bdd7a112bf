// The line-number command of editing buffers: the numbering form, then the marked block (or the
// whole buffer) numbered or un-numbered.
#pragma once

#include "screen/event_queue.h"

// Runs the numbering form on the active buffer and, when it is accepted, numbers (or un-numbers)
// the lines as it says. Nothing happens to a buffer of one line. The lines changed, 0 when the
// form was cancelled or nothing changed.
int sequence_numbers();

// The field handler of the numbering form.
EventCode sequence_settings_field();
