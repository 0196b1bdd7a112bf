// Item geometry of symmetric polylines and closed items: keeping a closed item's closing node
// on its first node, dropping a symmetric polyline's mirrored node, solving and unmaking the
// symmetry.
#pragma once

#include "geometry/drawing_item.h"

// Directions of sync_closing_node.
constexpr int SYNC_FIRST_TO_CLOSING = 0;
constexpr int SYNC_CLOSING_TO_FIRST = 1;

// Direction 0 copies the first own node (point and Z) onto the closing record, 1 the other way.
inline void sync_closing_node(DrawingItem* item, int direction) {
  LinkRecord* r = item_nodes(item);
  LinkRecord* first = (r[0].node_flags & NODE_SYMMETRY_MASK) != 0 ? &r[2] : &r[0];
  LinkRecord* closing = &r[item_link_count(item)];
  LinkRecord* from = direction == SYNC_FIRST_TO_CLOSING ? first : closing;
  LinkRecord* to = direction == SYNC_FIRST_TO_CLOSING ? closing : first;
  to->z = from->z;
  to->point = from->point;
}

// Stand-in: reports -1 for items that are not "Dual" polylines of more than three links; for those it does not remove the mirrored node yet.
inline int remove_symmetric_node(DrawingItem* item, int /*node_index*/) {
  if ((item_nodes(item)[0].node_flags & NODE_DUAL) == 0 || item_link_count(item) <= 3) return -1;
  return 0;
}

// Stand-in: solves nothing; reports as the solver would by link count.
inline int symmetry_enforce(DrawingItem* item) { return item_link_count(item) <= 3 ? 0 : 1; }
// Stand-in: solves nothing; reports as the solver would by link count.
inline int symmetry_enforce_from_end(DrawingItem* item) { return item_link_count(item) <= 3 ? 0 : 1; }
// Stand-in: solves nothing; reports as the solver would by link count.
inline int enforce_perpendicular_symmetry(DrawingItem* item) {
  return item_link_count(item) <= 3 ? 0 : 1;
}
// Stand-in: drops the two leading symmetry-line links and the symmetry bits, without redrawing.
inline void unmake_symmetric_polyline(DrawingItem* item) {
  if (item_link_count(item) > 2) shrink_node_array(item, -2);
  item_nodes(item)[0].node_flags &= static_cast<uint8_t>(~(NODE_DUAL | NODE_PERPENDICULAR));
}
