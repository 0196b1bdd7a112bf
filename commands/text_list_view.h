// The Engraving list page's view of the drawing: non-text items are parked aside while it runs.
#pragma once

#include "geometry/drawing_item.h"
#include "records/parked_items.h"

// Before the Engraving list page runs: parks the non-text items (in g_parked_items) and
// numbers the text items.
// Stand-in: parks and numbers nothing.
inline void enter_text_list_view() {}
// After the page: puts the parked items back behind the text items.
// Stand-in: nothing was parked, so nothing comes back.
inline void leave_text_list_view() {}
