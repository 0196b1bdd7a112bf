// The Engraving list page's view of the drawing: non-text items are parked aside while it runs.
#pragma once

#include "geometry/drawing_item.h"

// Stand-in: only the chain of parked items (its first item; null while nothing is parked); the page never parks anything yet.
inline DrawingItem* parked_items = nullptr;

// Before the Engraving list page runs: parks the non-text items and numbers the text items.
// Stand-in: parks and numbers nothing.
inline void enter_text_list_view() {}
// After the page: puts the parked items back behind the text items.
// Stand-in: nothing was parked, so nothing comes back.
inline void leave_text_list_view() {}
