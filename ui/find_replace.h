// Find and replace: what start-up and shutdown ask of it.
#pragma once

#include "screen/event_queue.h"

// Stand-in: no search as the user types; hands the next event code to the run loop as it is.
inline EventCode list_search_key_filter() { return wait_input_code(); }
// Stand-in: keeps no find history yet, so there is nothing to free.
inline void free_find_history() {}
