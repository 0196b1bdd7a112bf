// Items of the drawing parked aside while a page shows only part of it (the Engraving list
// parks the non-text items). They stay part of the job: the job writer writes them after the
// drawing's list, and the page puts them back when it closes.
#pragma once

#include "store/line_list.h"

struct ParkedItems {
  TextLine* first = nullptr;  // first item of the parked chain; null while nothing is parked
};
inline ParkedItems g_parked_items;

// Forgets the chain (it does not free it: the items belong to whoever parked them).
inline void reset_parked_items() { g_parked_items = ParkedItems{}; }
