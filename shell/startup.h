// Start-up, the page loop and shutdown: the state the form's handlers read before the page loop
// runs.
#pragma once

#include <cstdint>

// Stand-in: only the idle state; no start-up, page loop or shutdown yet.
struct Startup {
  int8_t idle_state = 1;  // > 0 at load, -1 inside the first idle call, 0 once the program waits
                          // for input; while it is not 0 the modifier, resize and move handlers
                          // ignore their events
};
inline Startup g_startup;
