// The Utilities page (page 5): its key filter and the layout of its buttons.
#pragma once

#include "screen/boxes.h"
#include "ui/placeholder_page.h"

// Stand-in: shows the page frame and the page tabs and leaves on a tab click or a quit; no utility buttons yet.
inline EventCode utilities_page_loop() { return run_placeholder_page(PAGE_UTILITIES); }
// Stand-in: there are no buttons to place yet.
inline void utilities_layout() {}
