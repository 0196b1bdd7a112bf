#include "screen/tick_clock.h"

// Stand-in: keeps no clock yet and never adds a tick.
int update_ticks() { return 0; }
