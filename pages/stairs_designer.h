// The staircase designer's page: designs stairs of kind 1, 2 or 4 and makes drawings or NC
// programs of them.
#pragma once

#include "screen/event_queue.h"

// Runs the designer for a kind; its result goes back to the run loop.
// Stand-in: shows the notice that the designer is not in the program yet and returns 0.
EventCode stairs_designer(int kind);
