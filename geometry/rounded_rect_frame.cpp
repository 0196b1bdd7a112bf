#include "geometry/rounded_rect_frame.h"

#include "geometry/geometry2d.h"

RoundedRectFrame rounded_rect_frame(const LinkRecord* first) {
  RoundedRectFrame f;
  rounded_rect_dimensions(first, &f.sizes);
  if (intersect_lines(first + 1, first + 7) > 0) f.corner = g_geometry2d.intersection.first;
  else f.corner = first[0].point;
  f.kind = (first[0].node_flags & NODE_KIND_OTHER) != 0 ? NODE_KIND_OTHER : NODE_TANGENT;
  // Corners that run against the link direction put the first centre behind the corner.
  const bool ccw = (first[0].link_flags & LINK_CLOCKWISE) == 0;
  const bool ahead = (f.kind == NODE_KIND_OTHER && ccw) || (f.kind == NODE_TANGENT && !ccw);
  f.build_angle = f.sizes.angle - (ahead ? 0.0 : ANGLE_PI);
  return f;
}

void build_rounded_rect_from_frame(DrawingItem* item, const RoundedRectFrame& frame) {
  build_rounded_rect(item, frame.corner, frame.sizes.width, frame.sizes.length,
                     frame.sizes.radius, frame.build_angle, frame.kind);
}
