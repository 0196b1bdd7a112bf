// Walking the result loops of a combination: from crossing to crossing along the kept
// contour, changing contour where the result's boundary does, and copying the walked pieces
// out as a closed contour.
//
// Both work contours run clockwise. A contour walked forwards keeps its inside on the right,
// walked backwards on the left, so every mode turns into "follow the boundary of what lies on
// the walking side of both": at a crossing the union and the intersection take the more
// left-turning way, the differences the more right-turning way.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "geometry/contour_boolean.h"
#include "geometry/contour_boolean_internal.h"
#include "geometry/contour_kernel_internal.h"

namespace {

constexpr double AT_CROSSING = 1e-6;    // walk positions this close are the same place
constexpr double AT_NODE = 1e-6;        // a crossing this close to a node is at the node
constexpr double TRACE_AT_NODE = 1e-7;  // a section end this close to a node ends there
constexpr double TANGENT_COSINE = 0.999;
constexpr double TANGENT_SINE = 5e-6;
constexpr double SAME_CIRCLE = 0.0001;  // x the current arc's radius
constexpr double LOOK_AHEAD = 0.01;     // x the shorter outgoing segment, past a tangent crossing
constexpr double EMPTY_PIECE = 1e-9;    // x the contours' size: a piece this short is empty

bool walked_forwards(int32_t contour) { return g_contour_boolean.keep[boolean_slot(contour)] == 1; }

double position_on(const BooleanCrossing& c, int32_t contour) {
  return contour == BOOLEAN_CONTOUR_A ? c.position_a : c.position_b;
}

// The crossing the walk meets next going along `contour` from `p`. A crossing at p itself is
// the one the walk stands on: it comes round again only after a whole turn, which is what a
// walk needs when every crossing lies there (contours that touch at one point).
int32_t next_crossing(int32_t contour, double p) {
  const ContourBooleanState& st = g_contour_boolean;
  const bool forwards = walked_forwards(contour);
  const double n = boolean_segment_count(contour);
  int32_t best = -1;
  double best_d = 0.0;
  for (size_t c = 0; c < st.crossings.size(); ++c) {
    const double q = position_on(st.crossings[c], contour);
    double d = forwards ? q - p : p - q;
    if (d < 0.0) d += n;
    // The same place seen across the contour's wrap counts as the same place too.
    if (d < AT_CROSSING || d > n - AT_CROSSING) d = n;
    if (best < 0 || d < best_d) {
      best = static_cast<int32_t>(c);
      best_d = d;
    }
  }
  return best;
}

// The measure of the turn from direction u to direction w: -1 a sharp left turn, 1 straight
// on, 3 a sharp right turn, growing steadily in between.
double turn_measure(double ux, double uy, double wx, double wy) {
  const double lengths = std::hypot(ux, uy) * std::hypot(wx, wy);
  if (!(lengths > 1e-30)) return 1.0;
  const double s = (ux * wy - uy * wx) / lengths;
  const double c = (ux * wx + uy * wy) / lengths;
  return s >= 0.0 ? c : 2.0 - c;
}

// The segments a walk along `contour` arrives on and leaves on at position p.
struct SegmentsAt {
  int32_t incoming;
  int32_t outgoing;
  double at;  // p, or the node's own position when p is at a node
};

SegmentsAt segments_at(double p, int32_t contour) {
  SegmentsAt s;
  const double node = std::round(p);
  if (std::fabs(p - node) < AT_NODE) {
    const int32_t n = static_cast<int32_t>(node);
    const bool forwards = walked_forwards(contour);
    s.incoming = wrap_boolean_index(forwards ? n - 1 : n, contour);
    s.outgoing = wrap_boolean_index(forwards ? n : n - 1, contour);
    s.at = wrap_boolean_position(node, contour);
  } else {
    s.incoming = s.outgoing = wrap_boolean_index(static_cast<int32_t>(std::floor(p)), contour);
    s.at = p;
  }
  return s;
}

// The point `distance` along the contour from position p: ahead in the walking direction,
// or behind it when `ahead` is false.
void point_along(int32_t contour, int32_t segment, double p, double distance, bool ahead, double* x,
                 double* y) {
  const ContourBooleanState& st = g_contour_boolean;
  const double length = segment_length(st.links[segment], st.nodes);
  const double step = length > 0.0 ? std::min(distance / length, 1.0) : 0.0;
  const bool up = walked_forwards(contour) == ahead;
  // Positions within the one segment keep the wrap of the contour out of the way.
  double f = p - segment;
  const int32_t n = boolean_segment_count(contour);
  if (f < -0.5) f += n;
  if (f > 1.5) f -= n;
  f = std::clamp(up ? f + step : f - step, 0.0, 1.0);
  boolean_point_at(segment + std::min(f, 1.0 - 1e-15), x, y);
  if (f >= 1.0) {
    const ContourNode& e = st.nodes[st.links[segment].end_node];
    *x = e.x;
    *y = e.y;
  }
}

// Clockwise angle, in (0, 2pi], from the way back along the incoming path to the way out
// along (x, y), both seen from the crossing at (cx, cy): small for a sharp left turn, pi for
// straight on, near 2pi for a sharp right turn. Unlike a turn measured from the incoming
// direction alone, it tells a path that doubles back on the left from one that does so on
// the right.
double clockwise_from_back(double cx, double cy, double back_x, double back_y, double x, double y) {
  const double back = std::atan2(back_y - cy, back_x - cx);
  const double way = std::atan2(y - cy, x - cx);
  double a = back - way;
  while (a <= 0.0) a += CONTOUR_TWO_PI;
  while (a > CONTOUR_TWO_PI) a -= CONTOUR_TWO_PI;
  return a;
}

bool same_circle(const ContourLink& a, const ContourLink& b) {
  if (a.kind != SEGMENT_ARC || b.kind != SEGMENT_ARC) return false;
  const ContourNode& ca = g_contour_boolean.nodes[a.centre_node];
  const ContourNode& cb = g_contour_boolean.nodes[b.centre_node];
  const double band = SAME_CIRCLE * a.radius;
  return std::fabs(a.radius - b.radius) < band && std::hypot(ca.x - cb.x, ca.y - cb.y) < band;
}

bool is_arc(int32_t segment) { return g_contour_boolean.links[segment].kind == SEGMENT_ARC; }

bool difference_mode() {
  const int32_t mode = g_contour_boolean.mode;
  return mode == BOOLEAN_A_MINUS_B || mode == BOOLEAN_B_MINUS_A;
}

}  // namespace

void boolean_travel_direction(int32_t contour, int32_t segment, double position, double* out_dx,
                              double* out_dy) {
  const ContourBooleanState& st = g_contour_boolean;
  const ContourLink& l = st.links[segment];
  const ContourNode& s = st.nodes[l.start_node];
  const ContourNode& e = st.nodes[l.end_node];
  if (l.kind == SEGMENT_ARC) {
    // The fraction along this segment; a position at the contour's wrap belongs to its end.
    double f = position - segment;
    const int32_t n = boolean_segment_count(contour);
    if (f < -0.5) f += n;
    if (f > 1.5) f -= n;
    double sb, eb;
    arc_end_bearings(l, st.nodes, &sb, &eb);
    normalise_arc_bearings(l.direction, &sb, &eb);
    const ContourNode& c = st.nodes[l.centre_node];
    double x, y;
    point_at_bearing(c.x, c.y, l.radius, (1.0 - f) * sb + f * eb, &x, &y);
    forward_direction_from(l, st.nodes, x, y, out_dx, out_dy);
  } else {
    *out_dx = e.x - s.x;
    *out_dy = e.y - s.y;
  }
  if (!walked_forwards(contour)) {
    *out_dx = -*out_dx;
    *out_dy = -*out_dy;
  }
}

int32_t classify_crossing(double position, double other_position, int32_t contour) {
  const ContourBooleanState& st = g_contour_boolean;
  const int32_t other = boolean_other(contour);
  const SegmentsAt here = segments_at(position, contour);
  const SegmentsAt there = segments_at(other_position, other);

  double ux, uy, vx, vy, wx, wy;
  boolean_travel_direction(contour, here.incoming, here.at, &ux, &uy);
  boolean_travel_direction(contour, here.outgoing, here.at, &vx, &vy);
  boolean_travel_direction(other, there.outgoing, there.at, &wx, &wy);
  double current = here.incoming == here.outgoing ? 1.0 : turn_measure(ux, uy, vx, vy);
  double turning = turn_measure(ux, uy, wx, wy);

  const double lengths = std::hypot(ux, uy) * std::hypot(wx, wy);
  const double cosine = lengths > 0.0 ? (ux * wx + uy * wy) / lengths : 0.0;
  const double sine = lengths > 0.0 ? (ux * wy - uy * wx) / lengths : 1.0;
  const bool tangent = std::fabs(cosine) > TANGENT_COSINE && std::fabs(sine) < TANGENT_SINE &&
                       (is_arc(here.outgoing) || is_arc(here.incoming) || is_arc(there.outgoing));
  if (tangent) {
    // Along a shared stretch of one circle the differences change contour, union and
    // intersection stay.
    const int32_t compared = difference_mode() ? there.incoming : there.outgoing;
    if (same_circle(st.links[here.outgoing], st.links[compared])) return difference_mode() ? 1 : 0;
    // Otherwise the ways part only further on: compare where they are a short way past the
    // crossing, the same distance along both, seen from the crossing against the way back.
    const double shorter = std::min({segment_length(st.links[here.outgoing], st.nodes),
                                     segment_length(st.links[there.outgoing], st.nodes),
                                     segment_length(st.links[here.incoming], st.nodes)});
    const double distance = LOOK_AHEAD * shorter;
    double cx, cy, bx, by;
    boolean_point_at(here.at, &cx, &cy);
    point_along(contour, here.incoming, here.at, distance, false, &bx, &by);
    point_along(contour, here.outgoing, here.at, distance, true, &vx, &vy);
    point_along(other, there.outgoing, there.at, distance, true, &wx, &wy);
    current = clockwise_from_back(cx, cy, bx, by, vx, vy);
    turning = clockwise_from_back(cx, cy, bx, by, wx, wy);
  }
  if (turning < current) return difference_mode() ? 0 : 1;
  if (turning > current) return difference_mode() ? 1 : 0;
  return 0;
}

bool walk_boolean_loop(int32_t seed) {
  ContourBooleanState& st = g_contour_boolean;
  st.loop.clear();
  int32_t contour = st.seeds[seed].contour;
  double p = st.seeds[seed].position;
  // Every crossing is reached at most once on each contour before the loop closes, and the
  // closing repeats two points: a longer walk is going round in a circle that never closes.
  const size_t most = 2 * st.crossings.size() + 3;
  for (;;) {
    const int32_t c = next_crossing(contour, p);
    if (c < 0) return false;
    const int32_t other = boolean_other(contour);
    p = position_on(st.crossings[c], contour);
    const double o = position_on(st.crossings[c], other);
    const int32_t change = classify_crossing(p, o, contour);
    st.loop.push_back({contour, p, o});
    if (st.loop.size() > 2 && contour == st.loop[1].contour) {
      const double gap = std::fabs(p - st.loop[1].position);
      if (gap < AT_CROSSING || gap > boolean_segment_count(contour) - AT_CROSSING) return true;
    }
    if (st.loop.size() > most) return false;
    if (change) {
      contour = other;
      p = o;
    }
  }
}

namespace {

// The stretches a loop walked along one contour, as intervals of increasing position: plain
// ones (low, high), and those that wrap past the contour's end, which hold every position
// above their low or below their high.
struct WalkedStretches {
  std::vector<std::pair<double, double>> plain;  // sorted by low
  std::vector<double> highest;                   // highest high among plain[0..k]
  double wrap_low = 1e300;                       // lowest low of the wrapping ones
  double wrap_high = -1e300;                     // highest high of the wrapping ones
  bool whole = false;                            // one stretch went all the way round

  void add(double from, double to, bool forwards) {
    const double low = forwards ? from : to;
    const double high = forwards ? to : from;
    if (from == to) {
      whole = true;
    } else if (low < high) {
      plain.emplace_back(low, high);
    } else {
      wrap_low = std::min(wrap_low, low);
      wrap_high = std::max(wrap_high, high);
    }
  }

  void prepare() {
    std::sort(plain.begin(), plain.end());
    highest.resize(plain.size());
    double h = -1e300;
    for (size_t k = 0; k < plain.size(); ++k) highest[k] = h = std::max(h, plain[k].second);
  }

  // Strictly inside one of the stretches.
  bool hold(double q) const {
    if (whole || q > wrap_low || q < wrap_high) return true;
    auto at = std::lower_bound(plain.begin(), plain.end(), std::make_pair(q, -1e300));
    if (at == plain.begin()) return false;
    return highest[static_cast<size_t>(at - plain.begin()) - 1] > q;
  }
};

}  // namespace

void mark_seeds_on_loop() {
  ContourBooleanState& st = g_contour_boolean;
  const std::vector<BooleanLoopPoint>& loop = st.loop;
  WalkedStretches walked[2];
  for (size_t m = 1; m < loop.size(); ++m) {
    const int32_t contour = loop[m].contour;
    const BooleanLoopPoint& from = loop[m - 1];
    const double a = from.contour == contour ? from.position : from.other_position;
    walked[boolean_slot(contour)].add(a, loop[m].position, walked_forwards(contour));
  }
  walked[0].prepare();
  walked[1].prepare();
  for (BooleanSeed& seed : st.seeds) {
    if (!seed.used && walked[boolean_slot(seed.contour)].hold(seed.position)) seed.used = 1;
  }
}

namespace {

// Appends a copy of `segment` walked the contour's way, ending at its far end or, when
// `fraction` is inside the segment, at that fraction of it. Its start node is set later.
void copy_piece(ContourNetwork* out, int32_t contour, int32_t segment, bool to_end,
                double fraction) {
  const ContourBooleanState& st = g_contour_boolean;
  const ContourLink& in = st.links[segment];
  const bool forwards = walked_forwards(contour);
  ContourLink link;
  link.kind = in.kind == SEGMENT_ARC ? SEGMENT_ARC : SEGMENT_LINE;
  ContourNode end = st.nodes[forwards ? in.end_node : in.start_node];
  if (!to_end) boolean_point_at(segment + fraction, &end.x, &end.y);
  out->nodes.push_back(end);
  link.end_node = static_cast<int32_t>(out->nodes.size()) - 1;
  if (link.kind == SEGMENT_ARC) {
    link.radius = in.radius;
    link.direction = forwards ? in.direction : 1 - in.direction;
    out->nodes.push_back(st.nodes[in.centre_node]);
    link.centre_node = static_cast<int32_t>(out->nodes.size()) - 1;
  }
  out->links.push_back(link);
}

bool near_whole(double u) { return std::fabs(u - std::round(u)) < TRACE_AT_NODE; }

// Copies the stretch of `contour` from position s to position e the walking way round; the
// same position at both ends means the whole way round.
void trace_stretch(ContourNetwork* out, int32_t contour, double s, double e) {
  const int32_t first = g_contour_boolean.first[boolean_slot(contour)];
  const int32_t n = boolean_segment_count(contour);
  const bool forwards = walked_forwards(contour);
  double length = forwards ? e - s : s - e;  // in positions
  if (length < TRACE_AT_NODE) length += n;
  double u = s - first;
  const double end = forwards ? u + length : u - length;
  for (;;) {
    const double g = near_whole(u) ? std::round(u) : std::floor(u);
    const double segment_at = forwards || !near_whole(u) ? g : g - 1.0;
    const double node = forwards ? segment_at + 1.0 : segment_at;  // the node being walked to
    const int32_t segment = wrap_boolean_index(first + static_cast<int32_t>(segment_at), contour);
    const bool ends_here = forwards ? end < node + TRACE_AT_NODE : end > node - TRACE_AT_NODE;
    if (!ends_here) {
      copy_piece(out, contour, segment, true, 1.0);
      u = node;
      continue;
    }
    const bool at_node = std::fabs(end - node) < TRACE_AT_NODE;
    copy_piece(out, contour, segment, at_node, end - segment_at);
    return;
  }
}

// A stretch that starts or ends a hair from a node leaves a piece of next to no length there.
// It adds nothing to the loop, and an arc that short could be read as a whole turn, so it is
// dropped (the loop's nodes are chained after). One piece always stays.
void drop_empty_pieces(ContourNetwork* out, size_t first_link) {
  const double shortest = EMPTY_PIECE * std::max(g_contour_boolean.extent, 1.0);
  size_t kept = first_link;
  for (size_t k = first_link; k < out->links.size(); ++k) {
    const ContourNode& end = out->nodes[out->links[k].end_node];
    const size_t before = k == first_link ? out->links.size() - 1 : k - 1;
    const ContourNode& start = out->nodes[out->links[before].end_node];
    if (std::hypot(end.x - start.x, end.y - start.y) < shortest) continue;
    out->links[kept++] = out->links[k];
  }
  if (kept == first_link) kept = first_link + 1;
  out->links.resize(kept);
}

}  // namespace

void trace_boolean_loops(ContourNetwork* out) {
  const std::vector<BooleanLoopPoint>& loop = g_contour_boolean.loop;
  const size_t first_link = out->links.size();
  // The points end with a repeat of the first two, so these stretches close the loop.
  for (size_t m = 1; m + 1 < loop.size(); ++m) {
    const int32_t contour = loop[m].contour;
    const BooleanLoopPoint& from = loop[m - 1];
    const double s = from.contour == contour ? from.position : from.other_position;
    trace_stretch(out, contour, s, loop[m].position);
  }
  drop_empty_pieces(out, first_link);
  const size_t last_link = out->links.size() - 1;
  for (size_t k = first_link + 1; k <= last_link; ++k)
    out->links[k].start_node = out->links[k - 1].end_node;
  out->links[first_link].start_node = out->links[last_link].end_node;
}
