// OFFSET: copies of an item or a link at a distance, or a link moved sideways, chosen on a
// panel above the drawing; and the typed value the offset and fillet drags share.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

// The offset's kept choices and values (for the whole run of the program).
struct OffsetState {
  float value = 0.0f;          // job units, kept positive between offsets
};
extern OffsetState g_offset;
void reset_offset_state();

// A value key (one of the typed-value characters) read as a distance in a box that opens with
// that key. 0 with the value (also kept as the offset value), -1 for another key, Esc or 0.
int read_typed_offset(EventCode code, float* value);
