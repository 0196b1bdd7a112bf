// Keeping items sound after a node was edited by hand: a closed polyline stays closed, and a
// symmetric polyline's halves stay mirror images.
#pragma once

#include "geometry/drawing_item.h"

// End 2 (the link's end node) on the link before a closed item's closing record: the first
// node takes the closing record; any other end on the first record of a closed item that is
// not a "Dual" symmetric polyline: the closing record takes the first node.
void keep_polyline_closed(DrawingItem* item, LinkRecord* link, int end);
// After an edit at a node: a "Dual" polyline of three links or more is rebuilt from the half
// that was edited, a perpendicular one from its first quarter; other items are left alone.
void update_symmetry_after_edit(DrawingItem* item, int node_index);
// After apply_move: every symmetric polyline of the edit session's working set is solved again
// from the half that holds its first marked node (the first half when none is marked), so a moved
// node of either half keeps its place and its partner follows; the perpendicular kind stays
// four-fold.
void enforce_working_set_symmetry();
