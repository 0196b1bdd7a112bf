// What a rounded rectangle is rebuilt from: its sharp corner, sizes, kind of corner and the
// angle build_rounded_rect takes to give the present shape back. Every rebuild (a new radius,
// width, length or angle) reads the frame here and changes only the value it sets.
#pragma once

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "geometry/item_shapes.h"

struct RoundedRectFrame {
  PointF corner = {0.0f, 0.0f};  // the sharp corner: the second link met with the last
  RoundedRectSizes sizes;
  uint8_t kind = NODE_TANGENT;   // NODE_TANGENT: corners round off; NODE_KIND_OTHER: loop out
  double build_angle = 0.0;      // radians, as build_rounded_rect takes it
};

// The frame of the eight-link rounded rectangle whose records start at first.
RoundedRectFrame rounded_rect_frame(const LinkRecord* first);
// Rebuilds the item's eight links from the frame (boxes follow).
void build_rounded_rect_from_frame(DrawingItem* item, const RoundedRectFrame& frame);
