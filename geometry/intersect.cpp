// Intersections of straight links and arcs. Lines are infinite and arcs full circles here;
// intersect_links_within restricts the points to the links themselves.
#include <cmath>

#include "geometry/construct.h"
#include "geometry/geometry2d.h"
#include "geometry/geometry2d_internal.h"
#include "geometry/node_surgery.h"

// Tolerance with which intersect_links_within tests a point against each link.
static constexpr float WITHIN_LINK_TOLERANCE = 0.00005f;

static double manhattan(double x, double y) { return std::fabs(x) + std::fabs(y); }

int intersect_lines(const LinkRecord* line1, const LinkRecord* line2) {
  const PointD a1 = to_point_d(line1->point);
  const PointD b1 = to_point_d(next_point(line1));
  const PointD a2 = to_point_d(line2->point);
  const PointD b2 = to_point_d(next_point(line2));
  const PointD d1 = {a1.x - b1.x, a1.y - b1.y};
  const PointD d2 = {a2.x - b2.x, a2.y - b2.y};
  const PointD w = {a2.x - a1.x, a2.y - a1.y};
  const double k = cross_product_d(&d1, &d2);
  const double m1 = manhattan(d1.x, d1.y);
  const double m2 = manhattan(d2.x, d2.y);
  if (std::fabs(k) > m1 * 0.0001 * m2) {
    const double t = cross_product_d(&w, &d2) / k;
    g_geometry2d.intersection.first = to_point_f(a1.x + t * d1.x, a1.y + t * d1.y);
    return 1;
  }
  if (std::fabs(cross_product_d(&w, &d1)) > m1 * 1e-6) return INTERSECT_NONE;
  g_geometry2d.intersection.first = next_point(line1);
  if (point_distance(&next_point(line1), &line2->point) < 0.00001f) return INTERSECT_CONTINUING;
  return INTERSECT_COLLINEAR;
}

// Double-root tolerance of the quadratic solver for a circle of this radius: small circles
// need a finer test to tell a touching line from a crossing one.
static double root_tolerance_for_radius(double r) {
  if (r < 0.0001) return 1e-12;
  if (r < 0.001) return 1e-11;
  if (r < 0.01) return 1e-10;
  if (r < 0.1) return 1e-9;
  if (r < 1.0) return 1e-8;
  if (r < 10.0) return 1e-7;
  return 1e-6;
}

int intersect_line_circle_by_roots(const LinkRecord* line, const LinkRecord* arc) {
  const PointD node = to_point_d(line->point);
  const PointD end = to_point_d(next_point(line));
  const PointD d = {node.x - end.x, node.y - end.y};
  const PointD f = {node.x - arc->centre.x, node.y - arc->centre.y};
  const double r = arc->code;
  // The radius's tolerance serves this solve only: left in place it would decide the double
  // roots of whatever the solver is asked next.
  const double saved_tolerance = g_float2d.double_root_tolerance;
  g_float2d.double_root_tolerance = root_tolerance_for_radius(r);
  double roots[2] = {0.0, 0.0};
  const int count = quadratic_roots(dot_product_d(&d, &d), 2.0 * dot_product_d(&d, &f),
                                    dot_product_d(&f, &f) - r * r, roots);
  g_float2d.double_root_tolerance = saved_tolerance;
  if (count >= 1) {
    g_geometry2d.intersection.first = to_point_f(node.x + roots[0] * d.x, node.y + roots[0] * d.y);
  }
  if (count == 2) {
    g_geometry2d.intersection.second = to_point_f(node.x + roots[1] * d.x, node.y + roots[1] * d.y);
  }
  return count;
}

int intersect_line_arc(const LinkRecord* line, const LinkRecord* arc) {
  PointF foot = {};
  link_foot(line, &arc->centre, &foot);
  const double r = arc->code;
  const double h = point_distance(&arc->centre, &foot);
  // Near the centre the foot's direction is unreliable: solve the quadratic instead.
  if (h / r < 0.1) return intersect_line_circle_by_roots(line, arc);
  if (h - r > 0.00001) return INTERSECT_NONE;
  if (h - r > -9e-8) {
    g_geometry2d.intersection.first = foot;
    return 1;
  }
  const double s = std::sqrt(r * r - h * h);
  const double towards_foot = point_angle(&arc->centre, &foot);
  polar_point(&foot, s, towards_foot + ANGLE_PI / 2, &g_geometry2d.intersection.first);
  polar_point(&foot, s, towards_foot - ANGLE_PI / 2, &g_geometry2d.intersection.second);
  return 2;
}

int intersect_circle_pair(const PointF* c1, double r1, const PointF* c2, double r2) {
  const double d = point_distance(c1, c2);
  if (d < 1e-24 || (d < 1e-6 && std::fabs(r1 - r2) < 1e-6)) return INTERSECT_CONCENTRIC;
  if (d - r1 - r2 > 1e-6) return INTERSECT_NONE;
  // The larger circle (the first on ties) and the other one.
  const bool first_larger = r1 >= r2;
  const PointF* big_centre = first_larger ? c1 : c2;
  const PointF* small_centre = first_larger ? c2 : c1;
  const double big_r = first_larger ? r1 : r2;
  const double small_r = first_larger ? r2 : r1;
  if (d - r1 - r2 <= 0.0) {
    const double x = ((big_r * big_r + d * d - small_r * small_r) / (2.0 * d * big_r)) * big_r;
    const double g = big_r * big_r - x * x;
    if (g <= -1e-16) return INTERSECT_NONE;
    if (g > 1e-16) {
      const double towards_other = point_angle(big_centre, small_centre);
      PointF chord_middle = {};
      polar_point(big_centre, x, towards_other, &chord_middle);
      const double half_chord = std::sqrt(g);
      polar_point(&chord_middle, half_chord, towards_other + ANGLE_PI / 2,
                  &g_geometry2d.intersection.first);
      polar_point(&chord_middle, half_chord, towards_other - ANGLE_PI / 2,
                  &g_geometry2d.intersection.second);
      return 2;
    }
  }
  // Touching, or apart by at most 1e-6: the point of the larger circle facing the smaller.
  polar_point(big_centre, big_r, point_angle(big_centre, small_centre),
              &g_geometry2d.intersection.first);
  return 1;
}

int intersect_arcs(const LinkRecord* arc1, const LinkRecord* arc2) {
  return intersect_circle_pair(&arc1->centre, arc1->code, &arc2->centre, arc2->code);
}

int intersect_circles_d(const CircleD* circle1, const CircleD* circle2) {
  const bool first_larger = circle1->radius > circle2->radius;
  const CircleD* big = first_larger ? circle1 : circle2;
  const CircleD* small = first_larger ? circle2 : circle1;
  const PointD w = {small->centre.x - big->centre.x, small->centre.y - big->centre.y};
  if (std::fabs(w.x) <= 1e-11 && std::fabs(w.y) <= 1e-11) return INTERSECT_CONCENTRIC;
  const double dd = w.x * w.x + w.y * w.y;
  const double e = big->radius * big->radius / dd;
  const double f = small->radius * small->radius / dd;
  // Where the common chord crosses the line of centres, as a fraction of w.
  const double tau = (e - f + 1.0) / 2.0;
  const double g = e - tau * tau;
  const PointD touching = {big->centre.x + tau * w.x, big->centre.y + tau * w.y};
  if (std::fabs(g) < 1e-16) {
    g_geometry2d.intersection.first_d = touching;
    return 1;
  }
  const double k = std::fabs(e / g);
  if (k > g_geometry2d.circle_intersection_limit || (g < 0.0 && k > 9000000.0)) {
    g_geometry2d.intersection.first_d = touching;
    return 1;
  }
  if (g < 0.0) return INTERSECT_NONE;
  const double s = std::sqrt(g);
  g_geometry2d.intersection.first_d = PointD{touching.x + s * w.y, touching.y - s * w.x};
  g_geometry2d.intersection.second_d = PointD{touching.x - s * w.y, touching.y + s * w.x};
  return 2;
}

int intersect_links(const LinkRecord* link1, const LinkRecord* link2) {
  if (link1 == link2) return INTERSECT_SAME_LINK;
  const bool straight1 = link_is_straight(link1->code);
  const bool straight2 = link_is_straight(link2->code);
  const bool arc1 = code_is_arc(link1->code);
  const bool arc2 = code_is_arc(link2->code);
  if (straight1 && straight2) return intersect_lines(link1, link2);
  if (straight1 && arc2) return intersect_line_arc(link1, link2);
  if (arc1 && straight2) return intersect_line_arc(link2, link1);
  if (arc1 && arc2) return intersect_arcs(link1, link2);
  return INTERSECT_UNHANDLED;
}

static bool point_on_link(const PointF* p, const LinkRecord* link) {
  return hit_test_link(p, link, WITHIN_LINK_TOLERANCE) >= 1;
}

int intersect_links_within(const LinkRecord* link1, const LinkRecord* link2) {
  if (link1 == link2) return INTERSECT_SAME_LINK;
  if (!link_boxes_overlap(link1, link2)) return INTERSECT_NONE;
  const int found = intersect_links(link1, link2);
  if (found <= 0) return found;
  IntersectionResult& result = g_geometry2d.intersection;
  const PointF points[2] = {result.first, result.second};
  int kept = 0;
  for (int i = 0; i < found; ++i) {
    if (!point_on_link(&points[i], link1) || !point_on_link(&points[i], link2)) continue;
    if (kept == 0) {
      result.first = points[i];
    } else {
      result.second = points[i];
    }
    ++kept;
  }
  return kept;
}
