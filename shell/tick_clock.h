// The tick clock: time in 55 ms ticks, 18 to the second, advanced by every poll of the queue.
#pragma once

// Advances the clock; returns the number of whole ticks added.
int update_ticks();
