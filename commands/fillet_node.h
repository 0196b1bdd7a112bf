// The node editor's fillets: the arc record made at a picked node, the fillet by value at the
// current link, its removal, and the fillet that follows the pointer in the fillet drags.
#pragma once

#include <cstdint>

#include "geometry/float2d.h"

// The drag modes of a fillet: between two arcs, two straight links, a straight link and an arc.
constexpr int16_t DRAG_FILLET_ARCS = 3;
constexpr int16_t DRAG_FILLET_LINES = 23;
constexpr int16_t DRAG_FILLET_LINE_ARC = 24;
bool is_fillet_drag(int16_t mode);

// Results of fillet_at_node_by_value besides 0.
constexpr int FILLET_VALUE_FAILED = -1;
constexpr int FILLET_VALUE_TOO_LARGE = -2;  // two lines too close for the radius (told)

// At a picked node of the session's working item a zero-length flexible link is put in, for
// the fillet arc to live in; the pick becomes that link. 0, or -1 when the node has no link on
// both sides or the item could not grow.
int insert_fillet_record();
// The current link (between the previous and the next link) made the fillet of the session's
// fillet radius, tangent to both. 0 done (both joints tangent); else a failure, and the links
// are left as they were.
int fillet_at_node_by_value();
// The fillet at the current link taken out: the neighbours meet again at their crossing nearer
// the link's end. 0, or -1 when they do not meet (the user has been told).
int remove_fillet();
// One pointer step of a fillet drag: the arc through the point. 0, or -1 when that position
// gives no fillet (the links stay as they were).
int fillet_drag_step(int16_t mode, const PointF& p);
