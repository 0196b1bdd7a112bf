// The Engraving list page's view of the drawing: while the page runs the drawing list holds only
// the text items, in the order of their numbers; the other items wait in g_parked_items.
#pragma once

#include "geometry/drawing_item.h"
#include "records/parked_items.h"

// Before the Engraving list page runs (and after a job was opened while it is the page): parks
// the non-text items in their drawing order, sorts the texts by number and numbers them 1..n; a
// drawing without texts gets one blank text. Works on the drawing window's list.
void enter_text_list_view();
// After the page: the parked items go back behind the text items, in their former order.
void leave_text_list_view();
