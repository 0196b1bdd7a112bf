// Symmetric polylines: making them, asking for the symmetry angle (the drawing model calls
// these through its host; solving and unmaking live in geometry/symmetric_nodes.h).
#pragma once

#include "geometry/drawing_item.h"

// Stand-in: refuses (0) without asking for the symmetry angle; the item is left as it was.
inline int make_symmetric_polyline(DrawingItem* /*item*/, int /*open_flag*/) { return 0; }
// Stand-in: refuses (0) and leaves the item as it was.
inline int make_perpendicular_symmetric(DrawingItem* /*item*/) { return 0; }
// Splits the middle link of a "Dual" polyline with an odd link count; 0, -1 refused.
// Stand-in: shows the notice and changes nothing (-1).
int split_middle_link(DrawingItem* item);
// Removes the middle node of a "Dual" polyline with an even link count; 0, -1 refused.
// Stand-in: shows the notice and changes nothing (-1).
int remove_middle_node(DrawingItem* item);
