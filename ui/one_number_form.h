// The forms that ask for one number (go to line, machining group): an OK/CANCEL bar and a long
// integer field. The caller sets g_dialog_number before run_dialog and reads it after.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

inline int32_t g_dialog_number = 0;

// The field handler of both forms.
EventCode one_number_dialog_field();
