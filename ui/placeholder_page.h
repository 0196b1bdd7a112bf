// The page handler every page runs until its own lands: it shows the page's frame with its name,
// the caption text and the page tabs, follows the pointer, and leaves (27) on a click on another
// page's tab, which becomes the page byte, or on a quit, which sets the quit bit of the page byte.
#pragma once

#include "screen/event_queue.h"

// Stand-in: a frame with the page's name; a quit asks no save question, since no page can change the job yet.
EventCode run_placeholder_page(int page);
