// Where a segment of one contour meets a segment of the other, for the boolean engine. Unlike
// the tool-path engine's segment crossing, meetings at the segments' ends count here: a
// crossing that passes through a node must be found on at least one of the segments that
// share the node, or the walk would miss a change of contour.
#include <algorithm>
#include <cmath>

#include "geometry/contour_boolean.h"
#include "geometry/contour_kernel_internal.h"
#include "geometry/path_intersect_internal.h"

namespace {

constexpr double LINE_BAND = 1e-6;         // lines and line-arc: fractions in (-band, 1 + band)
constexpr double ARC_ARC_BAND = 1e-11;     // two arcs: fractions in (-band, 1 + band)
constexpr double PARALLEL_SINE = 1e-6;     // lines flatter than this to each other are collinear
constexpr double COLLINEAR_REACH = 1e-6;   // an end this near the other line lies on it
constexpr double SAME_CIRCLE = 1e-6;       // centres and radii closer than this x radius
constexpr double ON_ARC_BAND = 1e-6;       // radians beyond an arc's ends still on it
constexpr double SECOND_POINT_GAP = 1e-5;  // same-circle ends nearer than this are one point

bool inside_band(double t, double band) { return t > -band && t < 1.0 + band; }

// How far the fraction t lies outside 0..1.
double beyond(double t) { return t < 0.0 ? -t : (t > 1.0 ? t - 1.0 : 0.0); }

// Fraction of `bearing` along the arc. Of the fractions a whole turn apart, the one nearest
// the arc is taken: a bearing just before the arc's start gives a small negative fraction
// and one just past its end a little over 1, so that the tolerance bands work at both ends
// alike.
double arc_fraction(double bearing, const ContourLink& arc, const ContourNode* nodes) {
  double s, e;
  arc_end_bearings(arc, nodes, &s, &e);
  double t, unused;
  arc_parameters_of_angles(bearing, bearing, s, e, arc.direction, &t, &unused);
  normalise_arc_bearings(arc.direction, &s, &e);
  const double span = std::fabs(e - s);
  if (!(span > 0.0)) return t;
  const double turn = CONTOUR_TWO_PI / span;  // one whole turn, in fractions of this arc
  for (const double other : {t - turn, t + turn}) {
    if (beyond(other) < beyond(t)) t = other;
  }
  return t;
}

// True when the bearing lies on the arc or within ON_ARC_BAND of its ends; *fraction tells
// where.
bool bearing_on_arc(double bearing, const ContourLink& arc, const ContourNode* nodes,
                    double* fraction) {
  double s, e;
  arc_end_bearings(arc, nodes, &s, &e);
  normalise_arc_bearings(arc.direction, &s, &e);
  if (s == e) return false;
  const double low = std::min(s, e) - ON_ARC_BAND;
  const double high = std::max(s, e) + ON_ARC_BAND;
  for (const double candidate : {bearing, bearing + CONTOUR_TWO_PI, bearing - CONTOUR_TWO_PI}) {
    if (candidate > low && candidate < high) {
      *fraction = (candidate - s) / (e - s);
      return true;
    }
  }
  return false;
}

// End point `node` of one arc tried on the other arc (same circle).
bool end_on_arc(int32_t node, const ContourLink& arc, const ContourNode* nodes, double* fraction) {
  const ContourNode& p = nodes[node];
  const ContourNode& c = nodes[arc.centre_node];
  return bearing_on_arc(bearing_angle(p.x - c.x, p.y - c.y), arc, nodes, fraction);
}

int32_t meet_collinear_lines(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                             double length_a, double length_b, PathCrossings* out) {
  const ContourNode& a0 = nodes[a.start_node];
  const ContourNode& b0 = nodes[b.start_node];
  int32_t count = 0;
  auto collect = [&](int32_t node, const ContourLink& other) {
    const ContourNode& p = nodes[node];
    if (!(distance_to_segment(p.x, p.y, other, nodes, 2.0 * COLLINEAR_REACH) < COLLINEAR_REACH))
      return false;
    const double on_a = std::hypot(p.x - a0.x, p.y - a0.y) / length_a;
    const double on_b = std::hypot(p.x - b0.x, p.y - b0.y) / length_b;
    if (count == 0) {
      store_crossing(out, &count, on_a, on_b, p.x, p.y);
      return false;
    }
    if (std::fabs(on_a - out->on_a[0]) > LINE_BAND) {
      store_crossing(out, &count, on_a, on_b, p.x, p.y);
      return true;  // two points are all there can be
    }
    return false;
  };
  if (collect(a.start_node, b) || collect(a.end_node, b)) return 2;
  if (collect(b.start_node, a) || collect(b.end_node, a)) return 2;
  return count;
}

int32_t meet_lines(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                   PathCrossings* out) {
  const ContourNode& a0 = nodes[a.start_node];
  const ContourNode& a1 = nodes[a.end_node];
  const ContourNode& b0 = nodes[b.start_node];
  const ContourNode& b1 = nodes[b.end_node];
  const double dax = a1.x - a0.x, day = a1.y - a0.y;
  const double dbx = b1.x - b0.x, dby = b1.y - b0.y;
  const double length_a = std::hypot(dax, day), length_b = std::hypot(dbx, dby);
  if (!(length_a * length_b > 1e-20)) return 0;
  const double cross = dax * dby - day * dbx;
  if (std::fabs(cross) / (length_a * length_b) < PARALLEL_SINE)
    return meet_collinear_lines(a, b, nodes, length_a, length_b, out);
  const double gx = b0.x - a0.x, gy = b0.y - a0.y;
  const double t = (gx * dby - gy * dbx) / cross;
  const double u = (gx * day - gy * dax) / cross;
  if (!inside_band(t, LINE_BAND) || !inside_band(u, LINE_BAND)) return 0;
  int32_t count = 0;
  store_crossing(out, &count, t, u, a0.x + t * dax, a0.y + t * day);
  return count;
}

bool inside_line_band(double t) { return inside_band(t, LINE_BAND); }

// Fractions within the line band; the point is taken on the circle, where the arc's own
// fraction puts it.
int32_t meet_line_arc(const ContourLink& line, const ContourLink& arc, const ContourNode* nodes,
                      bool line_first, PathCrossings* out) {
  static constexpr LineArcRule RULE = {inside_line_band, arc_fraction, true};
  return line_arc_crossings(line, arc, nodes, line_first, RULE, out);
}

// Two arcs of one circle meet where an end of one lies on the other.
int32_t meet_arcs_on_one_circle(const ContourLink& a, const ContourLink& b,
                                const ContourNode* nodes, PathCrossings* out) {
  int32_t count = 0;
  double t;
  if (end_on_arc(a.start_node, b, nodes, &t)) {
    store_crossing(out, &count, 0.0, t, nodes[a.start_node].x, nodes[a.start_node].y);
  }
  if (end_on_arc(a.end_node, b, nodes, &t)) {
    store_crossing(out, &count, 1.0, t, nodes[a.end_node].x, nodes[a.end_node].y);
    if (count == 2) return 2;
  }
  for (const int32_t node : {b.start_node, b.end_node}) {
    if (!end_on_arc(node, a, nodes, &t)) continue;
    const double on_b = node == b.start_node ? 0.0 : 1.0;
    if (count == 0) {
      store_crossing(out, &count, t, on_b, nodes[node].x, nodes[node].y);
    } else if (std::fabs(t - out->on_a[0]) > SECOND_POINT_GAP) {
      store_crossing(out, &count, t, on_b, nodes[node].x, nodes[node].y);
      return 2;
    }
  }
  return count;
}

int32_t meet_arcs(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                  PathCrossings* out) {
  const ContourNode& ca = nodes[a.centre_node];
  const ContourNode& cb = nodes[b.centre_node];
  const double ra = a.radius, rb = b.radius;
  const double d = std::hypot(cb.x - ca.x, cb.y - ca.y);
  if (d < ra * SAME_CIRCLE && std::fabs(ra - rb) < ra * SAME_CIRCLE)
    return meet_arcs_on_one_circle(a, b, nodes, out);
  double on_first[2], on_second[2];
  if (!circle_crossing_bearings(ca, ra, cb, rb, on_first, on_second)) return 0;
  int32_t count = 0;
  for (int k = 0; k < 2; ++k) {
    const double ta = arc_fraction(on_first[k], a, nodes);
    const double tb = arc_fraction(on_second[k], b, nodes);
    if (!inside_band(ta, ARC_ARC_BAND) || !inside_band(tb, ARC_ARC_BAND)) continue;
    double x, y;
    point_at_bearing(ca.x, ca.y, ra, on_first[k], &x, &y);
    store_crossing(out, &count, ta, tb, x, y);
  }
  return count;
}

}  // namespace

int32_t intersect_segments(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                           PathCrossings* out) {
  static constexpr SegmentCrossingRoutes ROUTES = {meet_lines, meet_line_arc, meet_arcs};
  return cross_segment_pair(a, b, nodes, ROUTES, out);
}
