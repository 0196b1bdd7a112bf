// Item geometry of symmetric polylines and closed items: keeping a closed item's closing node
// on its first node, dropping a symmetric polyline's mirrored node, solving and unmaking the
// symmetry.
//
// A symmetric polyline is a polyline whose records 0 and 1 are its symmetry line (the marker,
// two rigid links, record 0 carrying NODE_DUAL or NODE_PERPENDICULAR with the first-node and
// closed bits); its own m links start at record 2. Real node j is record 2 + j and mirrors real
// node m - j. With an even m the middle node (real node m/2) lies on the line; with an odd m
// the middle link crosses it, its ends mirror images of each other. The perpendicular kind is
// also symmetric about the line through the marker's start at right angles to it, so its first
// quarter decides the whole shape.
//
// The solvers never grow the node array; callers that grow it find their records again.
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

// The shortest symmetry line: a shorter one is lengthened in its own direction on every solve.
constexpr float SYMMETRY_MARKER_LEAST = 0.1f;
// The solvers leave items of this many links or fewer (the marker and one own link) alone.
constexpr int32_t SYMMETRY_LEAST_LINKS = 3;

// After node `node_index` (a record index) of a "Dual" polyline was deleted, removes its mirror
// partner: for a node of the first half the last link goes, else the first own node. The caller
// then re-applies the symmetry. 0, or -1 for other items and for three links or fewer.
int remove_symmetric_node(DrawingItem* item, int node_index);

// Rebuilds the second half from the first: 1, or 0 for three links or fewer.
int symmetry_enforce(DrawingItem* item);
// Rebuilds the first half from the second: 1, or 0 for three links or fewer.
int symmetry_enforce_from_end(DrawingItem* item);
// The perpendicular kind: the first half's second quarter from its first quarter, then the
// second half from the first. 1, or 0 for three links or fewer.
int enforce_perpendicular_symmetry(DrawingItem* item);

// Drops the two leading symmetry-line links (when the item has more than two) and the symmetry
// bits; the closed state stays.
void unmake_symmetric_polyline(DrawingItem* item);
