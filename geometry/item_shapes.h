// The shapes that items other than plain polylines keep in their links: circles, regular
// polygons, rectangles (straight or bent along an arc), rounded rectangles, slots, ellipses and
// point patterns. Each shape has its sizes derived from the links and its links rebuilt from
// sizes, so that the item edit pages and the creating commands share one rule per shape.
// Angles are radians here; the pages show and take degrees.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// An angle within 0.0005 of a right angle (0, pi/2, pi, 3pi/2, 2pi) becomes exactly that right
// angle (2pi becomes 0); any other angle is returned as it is.
double snap_right_angle(double angle);

// ---- circles ----
// The circle's one arc link rebuilt about the centre: its node at angle 0 on the circle, the
// closing record on the same point, a full sweep from angle 0, the box recomputed.
void rebuild_circle(LinkRecord* first, PointF centre, float radius);

// ---- arcs ----
// Places an arc's centre for its radius between its two end nodes. The working radius is the
// link's radius, or 0.7 x chord when the radius is at most half the chord (the link's own
// radius is then left as it was). The centre becomes the intersection, nearer the side point,
// of the two circles of that radius about the end nodes (the first when both are equally near)
// and the arc angles follow: 1. Without two intersections the radius becomes 0: 0.
int fit_arc_radius(LinkRecord* arc, const PointF* side_point, float chord);

// ---- rectangles ----
// The four links of a straight frame from node 0: the first edge `length` long at `angle`, the
// second `height` long across it, leaning by `slant`; a frame that turns clockwise (its second
// edge to the right of its first) stays so. The closing point and the boxes follow.
void build_straight_frame(LinkRecord* first, float length, float height, double angle,
                          double slant);
struct RectangleSizes {
  float width = 0.0f;   // straight: across the first edge; bent: the difference of the radii
  float length = 0.0f;  // straight: the first edge; bent: the arc length of link 0
  float angle = 0.0f;   // straight: direction of the first edge; bent: the middle angle
  float slant = 0.0f;   // straight only; a bent rectangle leaves the value passed in
};
// The sizes of a rectangle item from its four links (slant is read and kept when bent).
void rectangle_dimensions(const LinkRecord* first, RectangleSizes* sizes);
// The straight rectangle rebuilt from its sizes, node 0 staying where it is.
void rectangle_from_values(LinkRecord* first, const RectangleSizes& sizes);

// ---- rounded rectangles ----
struct RoundedRectSizes {
  float width = 0.0f;
  float length = 0.0f;
  float radius = 0.0f;  // of the corner arcs
  float angle = 0.0f;   // direction from node 0 to the first corner's centre
};
void rounded_rect_dimensions(const LinkRecord* first, RoundedRectSizes* sizes);
// The rounded rectangle's corner radius limit: 0.49999 of the smaller side.
float rounded_rect_radius_limit(float width, float length, float radius);
// The eight links rebuilt from the sharp corner, the sizes and the node kind (NODE_TANGENT for
// corners that round off, NODE_KIND_OTHER for corners that loop out), turned about the corner
// by the angle; the boxes follow.
void build_rounded_rect(DrawingItem* item, PointF corner, float width, float length, float radius,
                        double angle, uint8_t kind);

// ---- regular polygons ----
// The polygon's links set to n (3..500): records after the first zeroed as loose rigid lines,
// the closing record's flags 2, the nodes renumbered. False when memory refused.
bool set_polygon_side_count(DrawingItem* item, int sides);

// ---- point patterns ----
// The record after a point item's link follows its pattern: the circle's first point, the far
// corner of a grid, or the point itself.
void update_point_pattern_end(LinkRecord* first);
