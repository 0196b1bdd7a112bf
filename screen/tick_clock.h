// The tick clock: time in 55 ms ticks, 18 to the second, advanced by every poll of the queue.
#pragma once

// Advances the clock; returns the number of whole ticks added.
int update_ticks();

// Stand-in: keeps no tick counter yet, so there is nothing to reset.
inline void reset_tick_counter() {}
// Stand-in: measures nothing; the delay unit stays at its smallest.
inline void calibrate_delay() {}
