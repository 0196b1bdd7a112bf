#include "geometry/item_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "geometry/construct.h"
#include "geometry/geometry2d.h"
#include "geometry/item_motion.h"
#include "geometry/point_arrays.h"

namespace {

constexpr double RIGHT_ANGLE_SNAP = 0.0005;
constexpr float ROUNDED_RADIUS_SHARE = 0.49999f;
constexpr float SMALL_RADIUS_SHARE = 0.7f;
constexpr int POLYGON_LEAST_SIDES = 3;
constexpr int POLYGON_MOST_SIDES = 500;

double into_turn(double a) {
  while (a < 0.0) a += ANGLE_TWO_PI;
  while (a >= ANGLE_TWO_PI) a -= ANGLE_TWO_PI;
  return a;
}

double direction(const PointF& a, const PointF& b) {
  return into_turn(std::atan2(static_cast<double>(b.y) - a.y, static_cast<double>(b.x) - a.x));
}

void close_frame(LinkRecord* first, int links) {
  first[links].point = first[0].point;
  for (int k = 0; k < links; ++k) link_bounding_box(first + k);
}

}  // namespace

double snap_right_angle(double angle) {
  for (int quarter = 0; quarter <= 4; ++quarter) {
    const double right = quarter * ANGLE_PI / 2.0;
    if (std::fabs(angle - right) < RIGHT_ANGLE_SNAP) return quarter == 4 ? 0.0 : right;
  }
  return angle;
}

// ---- circles ----

void rebuild_circle(LinkRecord* first, PointF centre, float radius) {
  first[0].centre = centre;
  first[0].code = radius;
  first[0].point = {centre.x + radius, centre.y};
  first[1].point = first[0].point;
  first[0].start_angle = 0.0f;
  first[0].sweep = ANGLE_TWO_PI_F;
  first[0].node_flags = NODE_FIRST;
  first[1].node_flags = NODE_CLOSING;
  link_bounding_box(first);
}

// ---- arcs ----

int fit_arc_radius(LinkRecord* arc, const PointF* side_point, float chord) {
  float working = arc->code;
  if (working <= chord / 2.0f) working = SMALL_RADIUS_SHARE * chord;
  LinkRecord a{}, b{};
  a.centre = arc->point;
  b.centre = next_point(arc);
  a.code = b.code = working;
  if (intersect_arcs(&a, &b) != 2) {
    arc->code = 0.0f;
    return 0;
  }
  const PointF p = g_geometry2d.intersection.first;
  const PointF q = g_geometry2d.intersection.second;
  arc->centre = point_distance(&q, side_point) < point_distance(&p, side_point) ? q : p;
  arc_angles_from_points(arc);
  return 1;
}

// ---- rectangles ----

void build_straight_frame(LinkRecord* first, float length, float height, double angle,
                          double slant) {
  LinkRecord* n = first;
  // The frame's turn between its first two edges tells a clockwise frame from the other kind.
  const double t = into_turn(direction(n[1].point, n[2].point) - direction(n[0].point, n[1].point));
  polar_point(&n[0].point, length, angle, &n[1].point);
  const double side = height / std::cos(slant);
  const double d = t > ANGLE_PI ? angle + 3 * ANGLE_PI / 2 - slant : angle + ANGLE_PI / 2 + slant;
  polar_point(&n[1].point, side, into_turn(d), &n[2].point);
  polar_point(&n[2].point, length, into_turn(angle + ANGLE_PI), &n[3].point);
  close_frame(n, 4);
}

void rectangle_dimensions(const LinkRecord* first, RectangleSizes* sizes) {
  const LinkRecord* n = first;
  if (code_is_arc(n[0].code)) {
    const float r2 = code_is_arc(n[2].code) ? n[2].code : 0.0f;
    sizes->length = n[0].code * n[0].sweep;
    sizes->width = std::fabs(n[0].code - r2);
    sizes->angle = static_cast<float>(into_turn(n[0].start_angle + n[0].sweep / 2.0));
    return;
  }
  sizes->length = point_distance(&n[0].point, &n[1].point);
  sizes->width = static_cast<float>(point_line_distance(&n[0].point, n + 2));
  if (sizes->length == 0.0f) {
    sizes->angle = sizes->slant = 0.0f;
    return;
  }
  const double angle = snap_right_angle(direction(n[0].point, n[1].point));
  const double b = snap_right_angle(direction(n[1].point, n[2].point));
  double d = angle - b - ANGLE_PI;
  while (d < 0.0) d += ANGLE_TWO_PI;
  double slant = d > ANGLE_PI ? into_turn(angle + ANGLE_PI / 2 + ANGLE_PI) - b
                              : b - into_turn(angle + ANGLE_PI / 2);
  if (slant <= -ANGLE_TWO_PI) slant += ANGLE_TWO_PI;
  if (std::fabs(slant) < RIGHT_ANGLE_SNAP) slant = 0.0;
  sizes->angle = static_cast<float>(angle);
  sizes->slant = static_cast<float>(slant);
}

void rectangle_from_values(LinkRecord* first, const RectangleSizes& sizes) {
  build_straight_frame(first, sizes.length, sizes.width, sizes.angle, sizes.slant);
}

// ---- rounded rectangles ----

void rounded_rect_dimensions(const LinkRecord* first, RoundedRectSizes* sizes) {
  const LinkRecord* n = first;
  sizes->radius = n[0].code;
  sizes->angle = static_cast<float>(direction(n[0].point, n[0].centre));
  sizes->length = point_distance(&n[0].centre, &n[2].centre) + 2.0f * sizes->radius;
  sizes->width = point_distance(&n[0].centre, &n[6].centre) + 2.0f * sizes->radius;
}

float rounded_rect_radius_limit(float width, float length, float radius) {
  return std::min(radius, ROUNDED_RADIUS_SHARE * std::min(width, length));
}

void build_rounded_rect(DrawingItem* item, PointF corner, float width, float length, float radius,
                        double angle, uint8_t kind) {
  LinkRecord* n = item_nodes(item);
  if (n == nullptr || item_link_count(item) != 8) return;
  const float r = rounded_rect_radius_limit(width, length, radius);
  n[0].node_flags = static_cast<uint8_t>(kind | NODE_FIRST);
  const bool ccw = (n[0].link_flags & LINK_CLOCKWISE) == 0;
  float m = r, l = length;
  if (!((kind == NODE_KIND_OTHER && ccw) || (kind == NODE_TANGENT && !ccw))) {
    m = -r;
    l = -length;
  }
  const float x = corner.x, y = corner.y, w = width;
  const PointF points[8] = {{x, y - r},         {x + m, y},         {x + l - m, y},
                            {x + l, y - r},     {x + l, y - w + r}, {x + l - m, y - w},
                            {x + m, y - w},     {x, y - w + r}};
  const PointF centres[4] = {{x + m, y - r}, {x + l - m, y - r}, {x + l - m, y - w + r},
                             {x + m, y - w + r}};
  for (int k = 0; k < 8; ++k) {
    n[k].point = points[k];
    if (k > 0) n[k].node_flags = kind;
  }
  n[8].point = n[0].point;
  n[8].node_flags = NODE_CLOSING;
  for (int k = 0; k < 8; ++k) {
    if (k % 2 == 0) {
      n[k].code = r;
      n[k].centre = centres[k / 2];
      if (ccw) n[k].link_flags &= static_cast<uint8_t>(~LINK_CLOCKWISE);
      else n[k].link_flags |= LINK_CLOCKWISE;
      arc_angles_from_points(n + k);
    } else {
      n[k].code = LINK_RIGID_LINE;
    }
  }
  if (angle != 0.0) rotate_item(item, &corner, angle);
  item_bounding_boxes(item);
}

// ---- regular polygons ----

bool set_polygon_side_count(DrawingItem* item, int sides) {
  sides = std::clamp(sides, POLYGON_LEAST_SIDES, POLYGON_MOST_SIDES);
  const int32_t n = item_link_count(item);
  if (sides > n && grow_node_array(item, sides - n) == nullptr) return false;
  if (sides < n && shrink_node_array(item, n - sides) == nullptr) return false;
  LinkRecord* r = item_nodes(item);
  const uint8_t first_flags = r[0].node_flags;
  std::memset(static_cast<void*>(r + 1), 0, LINK_RECORD_SIZE * static_cast<size_t>(sides));
  for (int k = 1; k < sides; ++k) {
    r[k].node_flags = NODE_LOOSE;
    r[k].code = LINK_RIGID_LINE;
  }
  r[0].node_flags = first_flags;
  r[sides].node_flags = NODE_CLOSING;
  renumber_nodes(item, -1);
  return true;
}

// ---- point patterns ----

void update_point_pattern_end(LinkRecord* first) {
  LinkRecord* closing = point_array_closing(first);
  if (closing == nullptr) return;
  const uint8_t kind = point_array_kind(closing);
  if (kind == POINT_ARRAY_NONE) {
    closing->point = first->point;
  } else if (kind == POINT_ARRAY_CIRCLE) {
    polar_point(&first->point, first->z, first->start_angle, &closing->point);
  } else {
    double columns = point_array_columns(closing) - 1;
    if (kind == POINT_ARRAY_STAGGERED_WIDE) columns -= 1;
    const double rows = point_array_rows(closing) - 1;
    closing->point = {static_cast<float>(first->point.x + columns * first->centre.x),
                      static_cast<float>(first->point.y + rows * first->centre.y)};
  }
}
