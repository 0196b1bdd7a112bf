// Splitting items: every link of an item (or every copy of a point array) as an item of its
// own, and a polyline broken in two at a node. The pieces are appended to the current list.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

// Appends the item's pieces as new selected items with the item's layer, CAM kind and
// machining data and a new item ID each: a point array gives one point item per copy, a
// polyline one item per line, arc or box link and one per Bezier or spline run; empty gaps and
// invisible (jump) links are no pieces, and a symmetric polyline's symmetry line is dropped.
// The item itself stays in the list. Returns the number of pieces, -1 for an item of one link,
// 0 when nothing was split: an ellipse, quadratic or point link in a polyline, or memory that
// ran out part way (the pieces already made are removed again).
int separate_links(DrawingItem* item);

// Breaks the last item of the current list at the node record (its index given): a closed item
// is only opened there (the node becomes its start and its end); an open item keeps the links
// before the node and a new selected item after it takes the rest with a new item ID and the
// item's machining data. An invisible or empty-gap link at the break is dropped. Index 0 of an
// open item changes nothing, nor does a failed allocation.
void break_polyline_at_node(LinkRecord* record, int index);
