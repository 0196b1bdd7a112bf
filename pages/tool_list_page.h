// The tool list page: the key handler of the tool list window and the help line shown with it.
#pragma once

#include "screen/event_queue.h"

// Stand-in: no tool list page yet; hands the next event code to the run loop as it is.
inline EventCode tool_list_key() { return wait_input_code(); }
// Stand-in: no help line until the tool list page brings its own.
constexpr char TOOL_LIST_HELP[] = "";
