#include "geometry/link_side.h"

#include <cmath>

#include "geometry/construct.h"

namespace {

constexpr double SMALLEST_SEMI_AXIS = 1e-9;

double length(double x, double y) { return std::sqrt(x * x + y * y); }

}  // namespace

double link_side_distance(const DrawingItem* item, const LinkRecord* link, const PointF* p) {
  const uint8_t type = item != nullptr ? item_type(item) : 0;
  const PointF& node = link[0].point;
  const PointF& next = link[1].point;
  const PointF& centre = link->centre;
  const bool ellipse = type == ITEM_ELLIPSE || link->code == LINK_ELLIPSE;
  double a = 0, b = 0;
  if (ellipse) {
    a = length(node.x - centre.x, node.y - centre.y);
    b = length(next.x - centre.x, next.y - centre.y);
    if (a < SMALLEST_SEMI_AXIS || b < SMALLEST_SEMI_AXIS) return 0;
  }
  PointF foot{};
  link_foot(link, p, &foot);
  const double magnitude = length(static_cast<double>(p->x) - foot.x, static_cast<double>(p->y) - foot.y);
  bool negative;
  if (ellipse) {
    // Into the ellipse's own axes, then scaled so that it becomes the circle of radius a.
    const double angle = std::atan2(static_cast<double>(next.y) - centre.y,
                                    static_cast<double>(next.x) - centre.x);
    const double dx = static_cast<double>(p->x) - centre.x, dy = static_cast<double>(p->y) - centre.y;
    const double c = std::cos(-angle), s = std::sin(-angle);
    const double u = (dx * c - dy * s) / (b / a);
    const double v = dx * s + dy * c;
    negative = length(u, v) <= a;
  } else if (type == ITEM_CIRCLE || code_is_arc(link->code)) {
    const double radius = length(static_cast<double>(node.x) - centre.x,
                                 static_cast<double>(node.y) - centre.y);
    negative = length(static_cast<double>(p->x) - centre.x, static_cast<double>(p->y) - centre.y) <= radius;
    if ((link->link_flags & LINK_CLOCKWISE) != 0) negative = !negative;
  } else {
    const double cross = (static_cast<double>(p->x) - foot.x) * (static_cast<double>(next.y) - node.y) -
                         (static_cast<double>(p->y) - foot.y) * (static_cast<double>(next.x) - node.x);
    negative = cross < 0;
  }
  return negative ? -magnitude : magnitude;
}
