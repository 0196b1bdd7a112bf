// The 55 ms timer event of the main form.
#pragma once

#include "screen/event_queue.h"
#include "screen/tick_clock.h"

// Stand-in: advances the clock and posts the tick event 465; no serial steps, repaint, hover blinking, tick hook or cursor keeping yet.
inline void timer_tick() {
  update_ticks();
  push_input_code(EVENT_TICK);
}
