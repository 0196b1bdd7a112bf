// Which side of a link a point lies on, and how far: the signed distance the offset command and
// the tool-diameter trials measure a dragged pointer by.
#pragma once

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// The distance from p to its foot on the link, positive on the right-hand side of the link's
// direction (outside a counter-clockwise arc, outside a circle or an ellipse), negative on the
// other side; 0 for an ellipse of no size. `item` may be null (then the link alone decides).
double link_side_distance(const DrawingItem* item, const LinkRecord* link, const PointF* p);
