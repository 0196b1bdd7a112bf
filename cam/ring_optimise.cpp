// Ring linking: the link optimisation. Tidies the node list before it is written: repeated
// points go, steps between neighbouring rings are slanted, sharp corners of the inner rings
// of a spiral pocket get arcs, and with the soft wall entry every first ring is entered on a
// half circle and left with a short lead-out into the cleared area.
#include <algorithm>
#include <cmath>

#include "cam/ring_linking_internal.h"

namespace {

constexpr double SAME_POINT = 2e-5;  // walked points nearer than this are one
constexpr double ON_VERTEX = 1e-5;

struct Tool {
  double r = 0.0;   // radius
  double s = 0.0;   // stepover
  double s1 = 0.0;  // first stepover
  bool soft = false;
};

Tool run_tool(const RingLinkRun& run) {
  const ContourSettings& st = run.settings;
  Tool t;
  t.r = (run.finishing ? st.finish_width : st.rough_width) / 2.0;
  t.s = run.finishing ? st.finish_stepover : st.rough_stepover;
  t.s1 = run.finishing ? st.finish_first_stepover : st.rough_first_stepover;
  t.soft = st.finish_option == 1 && (run.finishing || st.finish_allowance < 1e-9);
  return t;
}

bool has_ring(const RingLinkRun& run, const PathNode& n) {
  const int32_t k = std::abs(n.kind);
  if (k == NODE_LEAD_OUT || k == NODE_UNUSED || n.ring < 0) return false;
  const size_t size = n.kind < 0 ? run.island.size() : run.boundary.size();
  return static_cast<size_t>(n.ring) < size;
}

const RingState* ring_of(const RingLinkRun& run, const PathNode& n) {
  if (!has_ring(run, n)) return nullptr;
  return &ring_state(run, node_table(n.kind), n.ring);
}

int32_t ring_number(const RingLinkRun& run, const PathNode& n) {
  const RingState* r = ring_of(run, n);
  return r ? r->ring : -1;
}

double ring_spacing(const RingLinkRun& run, const PathNode& n) {
  const RingState* r = ring_of(run, n);
  return r ? r->spacing : 0.0;
}

// True when `steps` successors of n exist before the end node.
bool reaches(const RingLinkRun& run, int32_t n, int32_t steps) {
  for (int32_t k = 0; k < steps; ++k) {
    if (n < 0 || n == run.end_node) return false;
    n = run.path[n].next;
  }
  return n >= 0 && n != run.end_node;
}

void wrap_into_ring(const RingState& r, double* p) {
  const double length = ring_length(r);
  if (*p < r.start_link) *p += length;
  if (*p > r.end_link + 1) *p -= length;
}

// Pass 1 and 3.
void remove_repeated_points(RingLinkRun* run, int32_t first) {
  int32_t n = run->path[first].next;
  while (reaches(*run, n, 2)) {
    const PathNode& a = run->path[n];
    const int32_t m = a.next;
    const PathNode& b = run->path[m];
    const bool boundary = (a.kind == NODE_WALK || a.kind == NODE_STEP) && b.kind == NODE_WALK;
    const bool island = (a.kind == -NODE_WALK || a.kind == -NODE_STEP) && b.kind == -NODE_WALK;
    if ((boundary || island) && a.ring == b.ring) {
      const double length = ring_length(*ring_of(*run, a));
      const double d = std::fabs(a.param - b.param);
      if (d < SAME_POINT || std::fabs(d - length) < ON_VERTEX) {
        unlink_node(run, m);
        n = run->path[n].next;
        continue;
      }
    }
    n = run->path[n].next;
  }
}

// How far a step between rings a apart is slanted; 0 when the step is wider than the tool.
double slant_length(double r, double a) {
  const double q = r * r - a * a / 4.0;
  if (!(q > 0.0)) return 0.0;
  return std::min(std::sqrt(q) - 0.05 * r, 2.0 * r / 3.0);
}

// Share of link k that a slant of l covers; 0 when there is no link.
double slant_share(const RingLinkRun& run, int32_t ring, double p, double q, RingTable table,
                   double l) {
  if (!(l > 0.0)) return 0.0;
  const int32_t k = link_between_params(run, ring, p, q, table);
  if (k == NO_LINK) return 0.0;
  const double len = segment_length(run.links[k], run.nodes);
  return len > 0.0 ? l / len : 0.0;
}

// The arrival point of a step onto a shallower ring moves along the walk towards the node.
void slant_arrival(RingLinkRun* run, int32_t n, int32_t sign, const Tool& tool) {
  PathNode& node = run->path[n];
  if (node.kind != sign * NODE_WALK || node.retraced != 0) return;
  PathNode& prev = run->path[node.prev];
  if (prev.kind != sign * NODE_STEP || prev.prev < 0) return;
  const PathNode& pp = run->path[prev.prev];
  if (pp.kind != sign * NODE_WALK || pp.prev < 0) return;
  const int32_t before = run->path[pp.prev].kind;
  if (!(before == sign * NODE_WALK || (sign > 0 && before == NODE_STEP))) return;
  const int32_t number = ring_number(*run, node);
  if (ring_number(*run, pp) != number + 1 || number <= 1) return;
  const RingTable table = node_table(node.kind);
  const double a = std::max(ring_spacing(*run, pp), ring_spacing(*run, node));
  const double m = slant_share(*run, node.ring, node.param, prev.param, table,
                               slant_length(tool.r, a));
  if (!(m > 0.0001)) return;
  const RingState& r = ring_state(*run, table, node.ring);
  const double length = ring_length(r);
  if (run->settings.cut_direction == 1) {
    double p = prev.param;
    if (p > node.param) p -= length;
    prev.param = std::min(p + m, node.param);
  } else {
    double target = node.param;
    if (target > prev.param) target -= length;
    prev.param = std::max(prev.param - m, target);
  }
  if (prev.param < r.start_link) prev.param += length;
}

// The departure point of a step from a deeper ring moves back along the walk.
void slant_departure(RingLinkRun* run, int32_t n, int32_t sign, const Tool& tool) {
  PathNode& node = run->path[n];
  if (node.kind != sign * NODE_WALK || node.retraced != 0) return;
  const PathNode& next = run->path[node.next];
  if (next.kind != sign * NODE_STEP || next.next < 0) return;
  const PathNode& nn = run->path[next.next];
  if (nn.kind != sign * NODE_WALK) return;
  const PathNode& prev = run->path[node.prev];
  if (!(prev.kind == sign * NODE_WALK || (sign > 0 && prev.kind == NODE_STEP))) return;
  const int32_t number = ring_number(*run, node);
  if (number != ring_number(*run, nn) + 1 || number <= 1) return;
  const RingTable table = node_table(node.kind);
  double a = ring_spacing(*run, node);
  if (prev.prev >= 0 && (run->path[prev.prev].kind < 0) == (sign < 0)) {
    a = std::max(a, ring_spacing(*run, run->path[prev.prev]));
  }
  double m = slant_share(*run, node.ring, node.param, prev.param, table,
                         slant_length(tool.r, a));
  if (tool.soft && number <= 2) m = 0.0;
  if (!(m > 0.0001)) return;
  const RingState& r = ring_state(*run, table, node.ring);
  const double length = ring_length(r);
  if (run->settings.cut_direction == 1) {
    double p = prev.param;
    if (p > node.param) p -= length;
    node.param = std::max(node.param - m, p);
  } else {
    double here = node.param;
    if (here > prev.param) here -= length;
    node.param = std::min(here + m, prev.param);
  }
  if (node.param < r.start_link) node.param += length;
}

// Pass 2.
void slant_steps(RingLinkRun* run, int32_t first, const Tool& tool) {
  if (run->node_count < 7) return;
  int32_t n = run->path[run->path[first].next].next;
  for (; n >= 0 && reaches(*run, n, 3); n = run->path[n].next) {
    slant_arrival(run, n, 1, tool);
    slant_departure(run, n, 1, tool);
    slant_arrival(run, n, -1, tool);
    slant_departure(run, n, -1, tool);
  }
}

// The vertex a walked point lies on, or -1.
int32_t vertex_of(double param) {
  const double k = std::floor(param + 0.5);
  return std::fabs(param - k) < ON_VERTEX ? static_cast<int32_t>(k) : -1;
}

int32_t wrap_link(const RingState& r, int32_t k) {
  if (k < r.start_link) return k + (r.end_link - r.start_link + 1);
  if (k > r.end_link) return k - (r.end_link - r.start_link + 1);
  return k;
}

// One corner: an arc node after n when the corner qualifies.
void round_corner(RingLinkRun* run, int32_t n, const Tool& tool) {
  const PathNode node = run->path[n];
  const PathNode prev = run->path[node.prev];
  const PathNode next = run->path[node.next];
  const int32_t sign = node.kind < 0 ? -1 : 1;
  if (node.kind != sign * NODE_WALK || next.kind != node.kind || next.ring != node.ring) return;
  if (!has_ring(*run, prev) || (prev.kind < 0) != (sign < 0) || prev.ring != node.ring ||
      std::abs(prev.kind) == NODE_FREE) {
    return;
  }
  const RingTable table = node_table(node.kind);
  const RingState& r = ring_state(*run, table, node.ring);
  if (r.ring < 2) return;
  double e = std::min((1.0 - 2.0 * tool.s) * tool.r, tool.r / 2.0);
  e = r.ring == 2 ? std::min(e, tool.r * tool.s1 / 3.0) : std::min(e, 5.0 / 6.0 * tool.s * tool.r);
  const int32_t u = link_between_params(*run, node.ring, node.param, prev.param, table);
  const int32_t v = link_between_params(*run, node.ring, next.param, node.param, table);
  if (u == NO_LINK || v == NO_LINK) return;
  const bool increasing = run->settings.cut_direction == 1;
  // Only a corner at a vertex between the two links has an angle to round.
  const int32_t vertex = vertex_of(node.param);
  if (vertex < 0) return;
  const int32_t at = wrap_link(r, vertex);
  if (increasing ? (u != wrap_link(r, at - 1) || v != at) : (u != at || v != wrap_link(r, at - 1))) {
    return;
  }
  const ContourLink& lu = run->links[u];
  const ContourLink& lv = run->links[v];
  if (lu.kind == SEGMENT_ARC || lv.kind == SEGMENT_ARC) return;
  const double length = ring_length(r);
  double span_a = node.param - prev.param;
  double span_b = next.param - node.param;
  if (!increasing) {
    span_a = -span_a;
    span_b = -span_b;
  }
  if (span_a < 0.0) span_a += length;
  if (span_b < 0.0) span_b += length;
  double c = increasing ? joint_angle(run->links, run->nodes, u, v)
                        : joint_angle(run->links, run->nodes, v, u);
  int32_t turn = increasing ? 0 : 1;
  if (c > CONTOUR_PI) {
    c = CONTOUR_TWO_PI - c;
    turn = 1 - turn;
  }
  if (!(c > 0.2 * CONTOUR_PI && c < 0.9 * CONTOUR_PI)) return;
  const double half_sin = std::sin(c / 2.0);
  const double rho = e * half_sin / (1.0 - half_sin);
  const double len_u = segment_length(lu, run->nodes);
  const double len_v = segment_length(lv, run->nodes);
  double t = std::sqrt((rho + e) * (rho + e) - rho * rho);
  t = std::min({t, len_u * std::min(span_a - 0.02, 0.48), len_v * std::min(span_b - 0.02, 0.48)});
  if (!(t > 0.1 * tool.r)) return;
  const double fillet = t * std::tan(c / 2.0);
  const double reach = std::sqrt(t * t + fillet * fillet);
  // The bearing of u's travel; the centre lies on the bisector on the side the path turns to.
  const ContourNode& us = run->nodes[lu.start_node];
  const ContourNode& ue = run->nodes[lu.end_node];
  const double g = increasing ? bearing_angle(ue.x - us.x, ue.y - us.y)
                              : bearing_angle(us.x - ue.x, us.y - ue.y);
  const double phi = turn == 1 ? g - c / 2.0 : g + c / 2.0;
  double x = 0.0, y = 0.0;
  point_on_ring(*run, table, node.ring, node.param, &x, &y);
  const double cx = x - reach * std::sin(phi);
  const double cy = y - reach * std::cos(phi);
  const double back = t / len_u, on = t / len_v;
  double moved = increasing ? node.param - back : node.param + back;
  double arc_end = increasing ? node.param + on : node.param - on;
  wrap_into_ring(r, &moved);
  wrap_into_ring(r, &arc_end);
  run->path[n].param = moved;
  run->cursor = n;
  const int32_t arc = append_node(run, node.ring, arc_end, sign * (turn == 1 ? NODE_ARC_CW : NODE_ARC_CCW));
  run->path[arc].aux_x = cx;
  run->path[arc].aux_y = cy;
  run->path[arc].retraced = node.retraced == 1 && next.retraced == 1 ? 1 : 0;
}

// Pass 4.
void round_corners(RingLinkRun* run, int32_t first, const Tool& tool) {
  if (!(tool.s < 0.48)) return;
  for (int32_t n = run->path[first].next; reaches(*run, n, 2); n = run->path[n].next) {
    round_corner(run, n, tool);
  }
}

// The point before node n: a walked point, or the free point of a pair.
bool point_before(const RingLinkRun& run, int32_t n, double* x, double* y) {
  const PathNode& prev = run.path[run.path[n].prev];
  if (std::abs(prev.kind) == NODE_FREE) {
    *x = run.path[prev.prev].param;
    *y = prev.param;
    return true;
  }
  if (prev.kind == NODE_LEAD_OUT) {
    *x = prev.aux_x;
    *y = prev.aux_y;
    return true;
  }
  if (!has_ring(run, prev)) return false;
  point_on_ring(run, node_table(prev.kind), prev.ring, prev.param, x, y);
  return true;
}

// Pass 5.
void soften_wall_entries(RingLinkRun* run, int32_t first) {
  for (int32_t n = run->path[first].next; reaches(*run, n, 2); n = run->path[n].next) {
    PathNode& node = run->path[n];
    const int32_t sign = node.kind < 0 ? -1 : 1;
    if (node.kind != sign * NODE_STEP || run->path[node.next].kind != sign * NODE_WALK) continue;
    if (ring_number(*run, node) != 1) continue;
    double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
    if (!point_before(*run, n, &x0, &y0)) continue;
    point_on_ring(*run, node_table(node.kind), node.ring, node.param, &x1, &y1);
    node.kind = sign * (run->settings.cut_direction == 1 ? NODE_ARC_CCW : NODE_ARC_CW);
    node.aux_x = (x0 + x1) / 2.0;
    node.aux_y = (y0 + y1) / 2.0;
  }
}

bool departs(int32_t kind) {
  const int32_t k = std::abs(kind);
  return k == NODE_MOVE || k == NODE_START || k == NODE_FREE;
}

// Pass 6.
void add_lead_outs(RingLinkRun* run, int32_t first, const Tool& tool) {
  for (int32_t n = run->path[first].next; n >= 0 && n != run->end_node; n = run->path[n].next) {
    const PathNode node = run->path[n];
    const int32_t sign = node.kind < 0 ? -1 : 1;
    if (node.kind != sign * NODE_WALK || ring_number(*run, node) != 1) continue;
    if (node.next < 0 || !departs(run->path[node.next].kind)) continue;
    const RingTable table = node_table(node.kind);
    double px = 0.0, py = 0.0;
    point_on_ring(*run, table, node.ring, node.param, &px, &py);
    const ContourLink& k = run->links[link_at_node(*run, node)];
    const double step = tool.r / 3.0;
    double qx = px, qy = py;
    if (k.kind == SEGMENT_ARC) {
      const ContourNode& c = run->nodes[k.centre_node];
      const double d = std::hypot(c.x - px, c.y - py);
      if (!(d > 0.0)) continue;
      const double f = (k.direction == CONTOUR_CLOCKWISE ? -step : step) / d;
      qx += f * (c.x - px);
      qy += f * (c.y - py);
    } else {
      const ContourNode& s = run->nodes[k.start_node];
      const ContourNode& e = run->nodes[k.end_node];
      const double d = std::hypot(e.x - s.x, e.y - s.y);
      if (!(d > 0.0)) continue;
      bool left = run->settings.cut_direction == 1;
      if (sign < 0) left = !left;
      const double f = (left ? step : -step) / d;
      qx += f * -(e.y - s.y);
      qy += f * (e.x - s.x);
    }
    if (!(distance_to_walls(qx, qy) > tool.r)) continue;
    run->cursor = n;
    const int32_t out = append_node(run, node.ring, 0.0, NODE_LEAD_OUT);
    run->path[out].aux_x = qx;
    run->path[out].aux_y = qy;
    n = out;
  }
}

}  // namespace

int32_t link_between_params(const RingLinkRun& run, int32_t ring, double p, double q,
                            RingTable table) {
  if (!std::isfinite(p) || !std::isfinite(q) || std::fabs(p - q) < ON_VERTEX) return NO_LINK;
  const RingState& r = ring_state(run, table, ring);
  const double length = ring_length(r);
  const bool increasing = run.settings.cut_direction == 1;
  if (!increasing && p > q) {
    if (std::fabs(p - (r.end_link + 1)) < ON_VERTEX) p = r.start_link;
    if (std::fabs(q - r.start_link) < ON_VERTEX) q = r.end_link + 1;
  } else if (increasing && p < q) {
    if (std::fabs(q - (r.end_link + 1)) < ON_VERTEX) q = r.start_link;
    if (std::fabs(p - r.start_link) < ON_VERTEX) p = r.end_link + 1;
  }
  const double d = std::fabs(p - q);
  if (d < ON_VERTEX || std::fabs(d - length) < ON_VERTEX) return NO_LINK;
  // The middle of the stretch walked from q to p, so that a stretch over the ring's seam
  // names the link it lies on.
  double walked = increasing ? p - q : q - p;
  if (walked < 0.0) walked += length;
  double mid = increasing ? q + walked / 2.0 : q - walked / 2.0;
  if (mid < r.start_link) mid += length;
  if (mid >= r.end_link + 1) mid -= length;
  const int32_t k = static_cast<int32_t>(std::floor(mid));
  return std::min(std::max(k, r.start_link), r.end_link);
}

int32_t link_at_node(const RingLinkRun& run, const PathNode& node) {
  const RingState& r = ring_state(run, node_table(node.kind), node.ring);
  const int32_t k = static_cast<int32_t>(node.param);
  return std::min(std::max(k, r.start_link), r.end_link);
}

void optimise_ring_links(RingLinkRun* run) {
  if (run->node_count < 6 || run->end_node < 0) return;
  const int32_t first = run->path[0].next;
  if (first < 0 || first == run->end_node) return;
  const Tool tool = run_tool(*run);
  remove_repeated_points(run, first);
  slant_steps(run, first, tool);
  remove_repeated_points(run, first);
  round_corners(run, first, tool);
  const bool soft = tool.soft && (run->finishing || run->settings.finish_allowance == 0.0);
  if (!soft) return;
  soften_wall_entries(run, first);
  add_lead_outs(run, first, tool);
}
