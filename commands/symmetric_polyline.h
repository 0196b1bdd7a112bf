// Symmetric polylines: making, re-solving and unmaking them.
#pragma once

#include "geometry/drawing_item.h"

// Stand-in: refuses (0) without asking for the symmetry angle; the item is left as it was.
inline int make_symmetric_polyline(DrawingItem* /*item*/, int /*open_flag*/) { return 0; }
// Stand-in: solves nothing; reports as the solver would by link count.
inline int symmetry_enforce(DrawingItem* item) { return item_link_count(item) <= 3 ? 0 : 1; }
// Stand-in: refuses (0) and leaves the item as it was.
inline int make_perpendicular_symmetric(DrawingItem* /*item*/) { return 0; }
// Stand-in: solves nothing; reports as the solver would by link count.
inline int enforce_perpendicular_symmetry(DrawingItem* item) {
  return item_link_count(item) <= 3 ? 0 : 1;
}
// Stand-in: drops the two leading symmetry-line links and the symmetry bits, without redrawing.
inline void unmake_symmetric_polyline(DrawingItem* item) {
  if (item_link_count(item) > 2) shrink_node_array(item, -2);
  item_nodes(item)[0].node_flags &= static_cast<uint8_t>(~(NODE_DUAL | NODE_PERPENDICULAR));
}
