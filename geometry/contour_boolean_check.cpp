// Checking a combination's loops before they are handed out. Between two crossings each
// contour lies wholly on one side of the other, so points on both sides of every such
// stretch tell whether the loops bound the region the mode asks for: a point clear of both
// contours belongs to the result exactly when the mode says so from its sides of A and B,
// and the loops must wind once round it then and not at all otherwise. A wrong result (a
// stretch on the wrong side, a loop missing or left over, a loop that runs round twice) shows
// at one of these points; what the checks cannot see is thinner than the margin kept from
// both contours, which is within the engine's tolerance anyway.
#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/contour_boolean.h"
#include "geometry/contour_boolean_internal.h"
#include "geometry/contour_kernel_internal.h"

namespace {

// Points nearer a contour than this many tolerances are not judged: rounding at a crossing or
// a snapped corner may put them on either side.
constexpr double MARGIN_TOLERANCES = 3.0;
// Crossings are placed by fractions of a segment; on the largest segments this much of the
// larger contour's size.
constexpr double MARGIN_RELATIVE = 4e-6;
constexpr double FAR_SAMPLE = 0.1;  // x the stretch's chord: the second, deeper pair of points
constexpr double AT_NODE = 1e-6;       // a place this near a whole position is at a node
constexpr double AT_NODE_STEP = 0.05;  // x the stretch: how far on from a node to look instead

// How many times the links first..last wind round (x, y), counter-clockwise counting up:
// chords by the crossing rule, and each arc adds the piece of disc between its chord and
// itself. Exact for points clear of the links, whichever way rays would graze them.
int32_t winding_round(const ContourLink* links, const ContourNode* nodes, int32_t first,
                      int32_t last, double x, double y) {
  int32_t winding = 0;
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& l = links[k];
    const ContourNode& s = nodes[l.start_node];
    const ContourNode& e = nodes[l.end_node];
    const double side = (e.x - s.x) * (y - s.y) - (x - s.x) * (e.y - s.y);
    if (s.y <= y) {
      if (e.y > y && side > 0.0) ++winding;
    } else if (e.y <= y && side < 0.0) {
      --winding;
    }
    // Result loops hold no whole circles: a loop's arcs are pieces of the contours' arcs.
    if (l.kind != SEGMENT_ARC || (s.x == e.x && s.y == e.y)) continue;
    const ContourNode& c = nodes[l.centre_node];
    const double cx = x - c.x, cy = y - c.y;
    if (!(cx * cx + cy * cy < l.radius * l.radius)) continue;
    // A counter-clockwise arc bulges to the right of its chord, a clockwise one to the left.
    if (l.direction == CONTOUR_COUNTER_CLOCKWISE) {
      if (side < 0.0) ++winding;
    } else if (side > 0.0) {
      --winding;
    }
  }
  return winding;
}

// Inside the work contour in `slot` (clockwise): wound round once the clockwise way.
bool inside_contour(int32_t slot, double x, double y) {
  const ContourBooleanState& st = g_contour_boolean;
  return winding_round(st.links, st.nodes, st.first[slot], st.last[slot], x, y) != 0;
}

// True when a segment of the contour in `slot` comes nearer (x, y) than `margin`.
bool near_contour(int32_t slot, double x, double y, double margin) {
  const ContourBooleanState& st = g_contour_boolean;
  for (int32_t k = st.first[slot]; k <= st.last[slot]; ++k) {
    const ContourLink& l = st.links[k];
    const double gx = x - l.bound_x, gy = y - l.bound_y;
    const double reach = l.bound_radius + margin;
    if (gx * gx + gy * gy > reach * reach) continue;
    if (distance_to_segment(x, y, l, st.nodes, 0.0) < margin) return true;
  }
  return false;
}

bool wanted(bool in_a, bool in_b) {
  switch (g_contour_boolean.mode) {
    case BOOLEAN_UNION: return in_a || in_b;
    case BOOLEAN_A_MINUS_B: return in_a && !in_b;
    case BOOLEAN_B_MINUS_A: return in_b && !in_a;
    default: return in_a && in_b;
  }
}

// False when the loops disagree with the mode at (x, y); points too near a contour pass.
bool point_holds(const ContourNetwork& out, double x, double y, double margin) {
  if (near_contour(0, x, y, margin) || near_contour(1, x, y, margin)) return true;
  const int32_t winding =
      winding_round(out.links.data(), out.nodes.data(), 0,
                    static_cast<int32_t>(out.links.size()) - 1, x, y);
  if (winding < -1 || winding > 1) return false;
  return (winding != 0) == wanted(inside_contour(0, x, y), inside_contour(1, x, y));
}

// The crossings' places along one contour, in order, each place once.
std::vector<double> crossing_places(int32_t contour) {
  std::vector<double> places;
  for (const BooleanCrossing& c : g_contour_boolean.crossings)
    places.push_back(contour == BOOLEAN_CONTOUR_A ? c.position_a : c.position_b);
  std::sort(places.begin(), places.end());
  places.erase(std::unique(places.begin(), places.end()), places.end());
  return places;
}

// Checks the points beside the place at `share` of the way along the stretch from `from` to
// `to` (forward way), on both sides: near it, and further off on a long stretch.
bool place_holds(const ContourNetwork& out, int32_t contour, double from, double to,
                 double share, double margin) {
  double at = from + share * (to - from);
  // At a node the way across is unclear: a little further on it is not.
  if (std::fabs(at - std::round(at)) < AT_NODE) at += AT_NODE_STEP * (to - from);
  at = wrap_boolean_position(at, contour);
  double x, y, fx, fy, tx, ty, dx, dy;
  boolean_point_at(at, &x, &y);
  boolean_point_at(wrap_boolean_position(from, contour), &fx, &fy);
  boolean_point_at(wrap_boolean_position(to, contour), &tx, &ty);
  const int32_t segment = wrap_boolean_index(static_cast<int32_t>(std::floor(at)), contour);
  boolean_travel_direction(contour, segment, at, &dx, &dy);
  const double length = std::hypot(dx, dy);
  if (!(length > 0.0)) return true;
  const double nx = -dy / length, ny = dx / length;
  const double near = 2.0 * margin;
  const double deep = FAR_SAMPLE * std::hypot(tx - fx, ty - fy);
  for (const double h : {near, deep}) {
    if (h < near) continue;
    for (const double sign : {1.0, -1.0}) {
      if (!point_holds(out, x + sign * h * nx, y + sign * h * ny, margin)) return false;
    }
  }
  return true;
}

// Two places on each stretch: one alone may lie where the other contour runs close by.
bool stretch_holds(const ContourNetwork& out, int32_t contour, double from, double to,
                   double margin) {
  for (const double share : {0.3, 0.7}) {
    if (!place_holds(out, contour, from, to, share, margin)) return false;
  }
  return true;
}

}  // namespace

bool boolean_result_holds(const ContourNetwork& out) {
  const ContourBooleanState& st = g_contour_boolean;
  const double margin =
      std::max(MARGIN_TOLERANCES * st.tolerance, MARGIN_RELATIVE * st.extent);
  for (const int32_t contour : {BOOLEAN_CONTOUR_A, BOOLEAN_CONTOUR_B}) {
    const std::vector<double> places = crossing_places(contour);
    const double n = boolean_segment_count(contour);
    for (size_t k = 0; k < places.size(); ++k) {
      const double to = k + 1 < places.size() ? places[k + 1] : places.front() + n;
      if (!stretch_holds(out, contour, places[k], to, margin)) return false;
    }
  }
  return true;
}
