// Line-line, line-arc and arc-arc crossings of contour segments, and the geometry of lines and
// circles that the boolean engine's meeting test shares with them.
#include "geometry/path_intersect.h"

#include <algorithm>
#include <cmath>

#include "geometry/contour_kernel_internal.h"
#include "geometry/path_intersect_internal.h"

namespace {

// Fractions this close to an end are the end itself: touching is not crossing.
constexpr double CROSSING_LOW = 1e-12;
constexpr double CROSSING_HIGH = 0.999999999999;

bool accepted(double t) { return strictly_between(CROSSING_LOW, t, CROSSING_HIGH); }

int32_t cross_lines(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                    PathCrossings* out) {
  const ContourNode& a0 = nodes[a.start_node];
  const ContourNode& a1 = nodes[a.end_node];
  const ContourNode& b0 = nodes[b.start_node];
  const ContourNode& b1 = nodes[b.end_node];
  double det = -(a1.x - a0.x) * (b1.y - b0.y) + (b1.x - b0.x) * (a1.y - a0.y);
  // Parallel lines get a determinant so small that no fraction can be accepted.
  if (std::fabs(det) < 1e-25) det = 1e-25;
  const double u = (-(b1.y - b0.y) * (b0.x - a0.x) + (b0.y - a0.y) * (b1.x - b0.x)) / det;
  const double t = ((b0.y - a0.y) * (a1.x - a0.x) - (b0.x - a0.x) * (a1.y - a0.y)) / det;
  if (!accepted(u) || !accepted(t)) return 0;
  int32_t count = 0;
  store_crossing(out, &count, u, t, a0.x + u * (a1.x - a0.x), a0.y + u * (a1.y - a0.y));
  return count;
}

// Fraction of `bearing` along the arc, as the arc's own parameters give it.
double plain_arc_fraction(double bearing, const ContourLink& arc, const ContourNode* nodes) {
  double start, end;
  arc_end_bearings(arc, nodes, &start, &end);
  double on_arc, unused;
  arc_parameters_of_angles(bearing, bearing, start, end, arc.direction, &on_arc, &unused);
  return on_arc;
}

// A line and an arc, crossing strictly inside both; the point is taken on the line.
int32_t cross_line_arc(const ContourLink& line, const ContourLink& arc, const ContourNode* nodes,
                       bool line_first, PathCrossings* out) {
  static constexpr LineArcRule RULE = {accepted, plain_arc_fraction, false};
  return line_arc_crossings(line, arc, nodes, line_first, RULE, out);
}

int32_t cross_arcs(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                   PathCrossings* out) {
  const ContourNode& c1 = nodes[a.centre_node];
  double on_first[2], on_second[2];
  if (!circle_crossing_bearings(c1, a.radius, nodes[b.centre_node], b.radius, on_first,
                                on_second))
    return 0;
  double sa, ea, sb, eb;
  arc_end_bearings(a, nodes, &sa, &ea);
  arc_end_bearings(b, nodes, &sb, &eb);
  double ta[2], tb[2];
  arc_parameters_of_angles(on_first[0], on_first[1], sa, ea, a.direction, &ta[0], &ta[1]);
  arc_parameters_of_angles(on_second[0], on_second[1], sb, eb, b.direction, &tb[0], &tb[1]);
  const bool a_then_b = a.end_node == b.start_node;
  const bool b_then_a = b.end_node == a.start_node;
  int32_t count = 0;
  for (int k = 0; k < 2; ++k) {
    if (!accepted(ta[k]) || !accepted(tb[k])) continue;
    // Rounding at the node two arcs share would otherwise show up as a crossing there.
    if (a_then_b && ta[k] > 0.999999 && tb[k] < 0.000001) continue;
    if (b_then_a && tb[k] > 0.999999 && ta[k] < 0.000001) continue;
    double x, y;
    point_at_bearing(c1.x, c1.y, a.radius, on_first[k], &x, &y);
    store_crossing(out, &count, ta[k], tb[k], x, y);
  }
  return count;
}

}  // namespace

int32_t cross_segment_pair(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                           const SegmentCrossingRoutes& routes, PathCrossings* out) {
  const double reach = a.bound_radius + b.bound_radius;
  const double gx = a.bound_x - b.bound_x, gy = a.bound_y - b.bound_y;
  if (!(reach * reach * 1.001 > gx * gx + gy * gy)) return 0;
  const bool a_line = a.kind == SEGMENT_LINE, a_arc = a.kind == SEGMENT_ARC;
  const bool b_line = b.kind == SEGMENT_LINE, b_arc = b.kind == SEGMENT_ARC;
  if (a_line && b_line) return routes.lines(a, b, nodes, out);
  if (a_line && b_arc) return routes.line_arc(a, b, nodes, true, out);
  if (a_arc && b_line) return routes.line_arc(b, a, nodes, false, out);
  if (a_arc && b_arc) return routes.arcs(a, b, nodes, out);
  return 0;
}

int32_t line_arc_crossings(const ContourLink& line, const ContourLink& arc, const ContourNode* nodes,
                           bool line_first, const LineArcRule& rule, PathCrossings* out) {
  const ContourNode& p0 = nodes[line.start_node];
  const ContourNode& p1 = nodes[line.end_node];
  const ContourNode& c = nodes[arc.centre_node];
  double on_line[2];
  if (!line_circle_parameters(p0, p1, c, arc.radius, on_line)) return 0;
  const double dx = p1.x - p0.x, dy = p1.y - p0.y;
  const double fx = p0.x - c.x, fy = p0.y - c.y;
  int32_t count = 0;
  for (const double t : on_line) {
    if (!rule.accept(t)) continue;
    double x = p0.x + t * dx, y = p0.y + t * dy;
    // On the circle the bearing is measured from the centre's side of the line's start.
    const double bearing = rule.point_on_circle ? bearing_angle(fx + t * dx, fy + t * dy)
                                                : bearing_angle(x - c.x, y - c.y);
    const double on_arc = rule.arc_fraction(bearing, arc, nodes);
    if (!rule.accept(on_arc)) continue;
    if (rule.point_on_circle) point_at_bearing(c.x, c.y, arc.radius, bearing, &x, &y);
    if (line_first) {
      store_crossing(out, &count, t, on_arc, x, y);
    } else {
      store_crossing(out, &count, on_arc, t, x, y);
    }
  }
  return count;
}

bool line_circle_parameters(const ContourNode& p0, const ContourNode& p1, const ContourNode& centre,
                            double radius, double out_t[2]) {
  const double dx = p1.x - p0.x, dy = p1.y - p0.y;
  const double fx = p0.x - centre.x, fy = p0.y - centre.y;
  const double qa = dx * dx + dy * dy;
  const double qb = 2.0 * (dx * fx + dy * fy);
  const double qc = fx * fx + fy * fy - radius * radius;
  const double disc = qb * qb - 4.0 * qa * qc;
  if (!(disc > 0.0) || !(qa > 0.0)) return false;
  const double root = std::sqrt(disc);
  out_t[0] = (-qb - root) / (2.0 * qa);
  out_t[1] = (-qb + root) / (2.0 * qa);
  return true;
}

bool circle_crossing_bearings(const ContourNode& c1, double r1, const ContourNode& c2, double r2,
                              double out_on_first[2], double out_on_second[2]) {
  const double d = std::hypot(c2.x - c1.x, c2.y - c1.y);
  if (!(r1 + r2 - d > 0.0 && d + r1 - r2 > 0.0 && d + r2 - r1 > 0.0)) return false;
  const double alpha1 =
      std::acos(std::clamp((r1 * r1 + d * d - r2 * r2) / (2.0 * r1 * d), -1.0, 1.0));
  const double alpha2 =
      std::acos(std::clamp((r2 * r2 + d * d - r1 * r1) / (2.0 * r2 * d), -1.0, 1.0));
  const double beta12 = bearing_angle(c2.x - c1.x, c2.y - c1.y);
  const double beta21 = bearing_angle(c1.x - c2.x, c1.y - c2.y);
  out_on_first[0] = wrap_bearing(beta12 - alpha1);
  out_on_first[1] = wrap_bearing(beta12 + alpha1);
  out_on_second[0] = wrap_bearing(beta21 + alpha2);
  out_on_second[1] = wrap_bearing(beta21 - alpha2);
  return true;
}

int32_t intersect_path_links(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                             PathCrossings* out) {
  static constexpr SegmentCrossingRoutes ROUTES = {cross_lines, cross_line_arc, cross_arcs};
  return cross_segment_pair(a, b, nodes, ROUTES, out);
}
