// The node editor's commands as the geometry model calls them: keeping a closed item's
// closing node on its first node, dropping a symmetric polyline's mirrored node, and
// refitting the links around a node after it moved or was removed.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

// Directions of sync_closing_node.
constexpr int SYNC_FIRST_TO_CLOSING = 0;
constexpr int SYNC_CLOSING_TO_FIRST = 1;
// The node command that refits the links after a node was deleted.
constexpr int16_t NODE_COMMAND_REFIT_AFTER_DELETE = 818;

// Stand-in: copies Z and point between the first own node and the closing record; nothing else is kept in step yet.
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

// Stand-in: checks and runs nothing; the node editor's commands come with the drawing commands.
inline int node_command_check(int16_t /*command*/, int /*node_index*/, int /*flag*/) { return 0; }

// Stand-in: refits nothing; the links next to a moved node are left as they are.
inline void propagate_node_move() {}
