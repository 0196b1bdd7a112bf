// The page handler every page runs until its own lands: it shows the page's frame with its name,
// the caption text and the page tabs, follows the pointer, and leaves (27) on a click on another
// page's tab, which becomes the page byte, or on a quit, which sets the quit bit of the page byte.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

// What the page loop asks of the page it runs next.
struct PageRequests {
  // The Drawing and Utilities page handlers test this at their next event: when it is set they
  // clear it and draw their whole page again. The page loop counts it up before the Utilities
  // page.
  uint8_t redraw = 0;
};
inline PageRequests g_page_requests;

// Stand-in: a frame with the page's name; a quit asks no save question, since no page can change the job yet.
EventCode run_placeholder_page(int page);
