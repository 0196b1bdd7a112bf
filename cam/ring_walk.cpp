// Ring linking: where a piece of path starts, and the depth-first walk of the boundary rings
// from the innermost ring outwards, into every deeper branch at the first bridge met.
#include <algorithm>
#include <cmath>
#include <vector>

#include "cam/ring_linking_internal.h"
#include "cam/toolpath_engine_internal.h"

namespace {

// Where on its longest link a fresh start goes down.
constexpr double START_SHARE = 0.513;

double longest_link_start(const RingLinkRun& run, const RingState& r) {
  int32_t best = r.start_link;
  double longest = -1.0;
  for (int32_t k = r.start_link; k <= r.end_link; ++k) {
    const double d = segment_length(run.links[k], run.nodes);
    if (d > longest) {
      longest = d;
      best = k;
    }
  }
  return best + START_SHARE;
}

double wall_distance_of_ring(RingLinkRun* run, int32_t ring) {
  double& d = run->wall_distance[ring];
  if (d < 0.0) {
    const ContourNode& p = run->nodes[run->links[run->boundary[ring].start_link].start_node];
    d = distance_to_walls(p.x, p.y);
  }
  return d;
}

// The first foot of (x, y) on an untouched boundary ring (with ring number `number`, or any
// when negative) within 1.01 x band; the ring and parameter are written. With from_wall the
// band is measured from the wall: each ring's own distance from the wall is taken off it.
bool foot_on_boundary(RingLinkRun* run, int32_t number, double x, double y, double band,
                      bool from_wall, int32_t* ring, double* param) {
  for (int32_t r = 0; r < static_cast<int32_t>(run->boundary.size()); ++r) {
    const RingState& s = run->boundary[r];
    if (s.state != RING_UNTOUCHED || (number >= 0 && s.ring != number)) continue;
    const double b = from_wall ? band - wall_distance_of_ring(run, r) : band;
    if (!(b > 0.0)) continue;
    for (const int32_t p : near_links(run, RingTable::BOUNDARY, r, x, y, 1.1 * 1.01 * b)) {
      double t = 0.0;
      if (accept_foot(*run, p, x, y, 1.01 * b, 1.0, &t)) {
        *ring = r;
        *param = p + t;
        return true;
      }
    }
  }
  return false;
}

bool foot_on_island(RingLinkRun* run, int32_t number, double x, double y, double band,
                    int32_t* ring, double* param) {
  for (int32_t r = 0; r < static_cast<int32_t>(run->island.size()); ++r) {
    const RingState& s = run->island[r];
    if (s.state != RING_UNTOUCHED || (number >= 0 && s.ring != number)) continue;
    for (const int32_t p : near_links(run, RingTable::ISLAND, r, x, y, 1.1 * 1.01 * band)) {
      double t = 0.0;
      if (accept_foot(*run, p, x, y, 1.01 * band, 1.0, &t)) {
        *ring = r;
        *param = p + t;
        return true;
      }
    }
  }
  return false;
}

RingStart boundary_lead_in(RingLinkRun* run, int32_t ring, double x, double y, double param) {
  append_node(run, ring, x, NODE_FREE);
  append_node(run, ring, y, NODE_FREE);
  append_node(run, ring, param, NODE_STEP);
  return {StartKind::BOUNDARY, ring, param};
}

RingStart island_lead_in(RingLinkRun* run, int32_t ring, double x, double y, double param) {
  append_node(run, ring, x, -NODE_FREE);
  append_node(run, ring, y, -NODE_FREE);
  append_node(run, ring, param, -NODE_STEP);
  walk_island_ring(run, ring, param, walk_direction(*run));
  return {StartKind::ISLAND, ring, param};
}

// Parameter distance from `from` forward to `to` on a ring of length L, in [0, L).
double forward_gap(double from, double to, double length) {
  double c = to - from;
  if (c < 0.0) c += length;
  return c;
}

}  // namespace

double distance_to_walls(double x, double y) {
  const ToolpathEngineState& g = g_toolpath_engine;
  if (g.wall_end < g.wall_start || g.work_links.empty()) return CONTOUR_NO_DISTANCE;
  return distance_to_contours(g.work_links.data(), g.work_nodes.data(), g.wall_start, g.wall_end,
                              g.wall_island_start.data(), g.wall_island_end.data(),
                              static_cast<int32_t>(g.wall_island_start.size()), x, y);
}

RingStart find_finish_start(RingLinkRun* run) {
  const ToolpathEngineState& g = g_toolpath_engine;
  const int32_t count = std::min<int32_t>(g.wall_point_next,
                                          static_cast<int32_t>(g.wall_points.size()));
  if (count <= 0) return {};
  const ContourSettings& s = run->settings;
  const double reach = s.rough_width / 2.0 + s.finish_allowance;
  int32_t top = 0;
  for (const RingState& r : run->boundary) top = std::max(top, r.ring);
  for (const RingState& r : run->island) top = std::max(top, r.ring);
  // The wall distance of each island ring's start, worked out once: it is the same for every
  // wall point tried.
  std::vector<double> island_wall(run->island.size(), -1.0);
  for (int32_t n = std::min(s.finish_rings, top); n >= 1; --n) {
    for (int32_t i = 0; i < count; ++i) {
      const ContourNode p = g.wall_points[i];
      int32_t ring = -1;
      double param = 0.0;
      if (foot_on_boundary(run, n, p.x, p.y, reach, true, &ring, &param)) {
        return boundary_lead_in(run, ring, p.x, p.y, param);
      }
      // Island rings lie by their own islands; the same band from the roughing ring.
      for (int32_t r = 0; r < static_cast<int32_t>(run->island.size()); ++r) {
        const RingState& st = run->island[r];
        if (st.state != RING_UNTOUCHED || st.ring != n) continue;
        double& wall = island_wall[static_cast<size_t>(r)];
        if (wall < 0.0) {
          const ContourNode& v = run->nodes[run->links[st.start_link].start_node];
          wall = distance_to_walls(v.x, v.y);
        }
        const double b = reach - wall;
        if (!(b > 0.0)) continue;
        for (const int32_t k : near_links(run, RingTable::ISLAND, r, p.x, p.y, 1.1 * 1.01 * b)) {
          double t = 0.0;
          if (accept_foot(*run, k, p.x, p.y, 1.01 * b, 1.0, &t)) {
            return island_lead_in(run, r, p.x, p.y, k + t);
          }
        }
      }
    }
  }
  return {};
}

RingStart find_profile_lead_in(RingLinkRun* run) {
  const double h = run->settings.rough_width / 2.0;
  auto each_vertex = [&](const RingEntry* entries, int32_t count, auto&& f) -> RingStart {
    for (int32_t i = 0; i < count; ++i) {
      if (entries[i].ring != 2) continue;
      for (int32_t j = entries[i].start_link; j <= entries[i].end_link; ++j) {
        const ContourNode& p = run->nodes[run->links[j].start_node];
        const RingStart s = f(p);
        if (s.kind != StartKind::NONE) return s;
      }
    }
    return {};
  };
  auto onto_boundary = [&](const ContourNode& p) -> RingStart {
    int32_t ring = -1;
    double param = 0.0;
    if (!foot_on_boundary(run, -1, p.x, p.y, h, false, &ring, &param)) return {};
    return boundary_lead_in(run, ring, p.x, p.y, param);
  };
  auto onto_island = [&](const ContourNode& p) -> RingStart {
    int32_t ring = -1;
    double param = 0.0;
    if (!foot_on_island(run, -1, p.x, p.y, h, &ring, &param)) return {};
    return island_lead_in(run, ring, p.x, p.y, param);
  };
  RingStart s = each_vertex(run->boundary_entries, run->boundary_entry_count, onto_boundary);
  if (s.kind == StartKind::NONE) {
    s = each_vertex(run->boundary_entries, run->boundary_entry_count, onto_island);
  }
  if (s.kind == StartKind::NONE) {
    s = each_vertex(run->island_entries, run->island_entry_count, onto_island);
  }
  return s;
}

RingStart choose_start_ring(RingLinkRun* run) {
  int32_t n = 0;
  for (const RingState& r : run->boundary) {
    if (r.state == RING_UNTOUCHED) n = std::max(n, r.ring);
  }
  if (n > 0) {
    int32_t ring = -1;
    double longest = -1.0;
    for (int32_t i = 0; i < static_cast<int32_t>(run->boundary.size()); ++i) {
      const RingState& r = run->boundary[i];
      if (r.state != RING_UNTOUCHED || r.ring != n) continue;
      const double d = contour_length(run->links, run->nodes, r.start_link, r.end_link);
      if (d > longest) {
        longest = d;
        ring = i;
      }
    }
    const RingState& r = run->boundary[ring];
    int32_t outer = -1;
    if (n > 1) {
      for (int32_t i = 0; i < static_cast<int32_t>(run->boundary.size()); ++i) {
        const RingState& o = run->boundary[i];
        if (o.state != RING_UNTOUCHED || o.ring != 1) continue;
        if (contour_inside(run->links, run->nodes, r.start_link, r.end_link, o.start_link,
                           o.end_link, CONTOUR_COUNTER_CLOCKWISE) == 1) {
          outer = i;
          break;
        }
      }
    }
    double start = 0.0;
    if (outer < 0) {
      start = longest_link_start(*run, r);
    } else {
      // Where the innermost ring comes nearest the wall side, so that the walk outwards is short.
      const RingState& o = run->boundary[outer];
      double best = 1e300;
      for (int32_t q = r.start_link; q <= r.end_link; ++q) {
        const double v = q + START_SHARE;
        double x = 0.0, y = 0.0, param = 0.0, d = 0.0;
        point_on_ring(*run, RingTable::BOUNDARY, ring, v, &x, &y);
        nearest_point_on_contour(run->links, run->nodes, x, y, o.start_link, o.end_link, &param,
                                 &d);
        const double m = d - 0.0001 * segment_length(run->links[q], run->nodes);
        if (m < best) {
          best = m;
          start = v;
        }
      }
    }
    append_node(run, ring, start, NODE_START);
    return {StartKind::BOUNDARY, ring, start};
  }
  int32_t top = -1, ring = -1;
  double longest = -1.0;
  for (int32_t i = 0; i < static_cast<int32_t>(run->island.size()); ++i) {
    const RingState& r = run->island[i];
    if (r.state != RING_UNTOUCHED) continue;
    const double d = contour_length(run->links, run->nodes, r.start_link, r.end_link);
    if (r.ring > top || (r.ring == top && d > longest)) {
      top = r.ring;
      longest = d;
      ring = i;
    }
  }
  if (ring < 0) return {};
  const double start = longest_link_start(*run, run->island[ring]);
  append_node(run, ring, start, -NODE_START);
  walk_island_ring(run, ring, start, walk_direction(*run));
  return {StartKind::ISLAND, ring, start};
}

RingStart find_piece_start(RingLinkRun* run) {
  RingStart s;
  if (run->finishing) {
    s = find_finish_start(run);
  } else if (run->contour && run->settings.entry_mode < 2) {
    s = find_profile_lead_in(run);
  }
  if (s.kind == StartKind::NONE) s = choose_start_ring(run);
  return s;
}

int32_t next_bridge_on_ring(const RingLinkRun& run, int32_t ring, double a, double b,
                            bool* exact) {
  *exact = false;
  const double length = ring_length(run.boundary[ring]);
  const bool increasing = run.settings.cut_direction == 1;
  double o = b - a;
  if (o < 0.0) o += length;
  if (!increasing) o += length;
  int32_t best = -1;
  double best_c = 0.0;
  for (int32_t i = 0; i < static_cast<int32_t>(run.boundary_bridges.size()); ++i) {
    const RingBridge& br = run.boundary_bridges[i];
    if (br.ring_b != ring || run.boundary[br.ring_a].state != RING_UNTOUCHED) continue;
    if (std::fabs(br.param_b - b) < 1e-6) {
      *exact = true;
      return i;
    }
    const double c = forward_gap(a, br.param_b, length);
    if (increasing ? (c > o && (best < 0 || c < best_c)) : (c < o && (best < 0 || c > best_c))) {
      best = i;
      best_c = c;
    }
  }
  return best;
}

Climb climb_to_parent_ring(RingLinkRun* run, int32_t ring, double b) {
  const RingState cur = run->boundary[ring];
  if (cur.ring == 1) return {};
  // Back to the ring the bridge came from, where it left it: depth first.
  if (cur.parent >= 0 && run->boundary[cur.parent].state == RING_ENTERED) {
    Climb back;
    back.kind = ClimbKind::PARENT;
    back.ring = cur.parent;
    back.param = cur.depart_param;
    return back;
  }
  double x = 0.0, y = 0.0;
  point_on_ring(*run, RingTable::BOUNDARY, ring, b, &x, &y);
  const int32_t number = cur.ring - 1;
  Climb best;
  double best_d = 999999999999.0;
  if (number >= 0 && number < static_cast<int32_t>(run->boundary_by_number.size())) {
    const double band = 2.0 * cur.spacing;
    for (const int32_t g : run->boundary_by_number[number]) {
      const RingState& parent = run->boundary[g];
      // A finished ring is cut already: climbing onto it would cut its lap again.
      if (parent.state == RING_FINISHED) continue;
      const double limit = 1.000001 * cur.spacing + (parent.ring > 1 ? parent.spacing : 0.0);
      for (const int32_t t : near_links(run, RingTable::BOUNDARY, g, x, y, 1.1 * band)) {
        double d = 0.0;
        const double s = nearest_point_on_link(run->links[t], run->nodes, x, y, band, &d);
        if (d < limit && d < best_d) {
          best_d = d;
          best.kind = ClimbKind::PARENT;
          best.ring = g;
          best.param = t + s;
        }
      }
    }
  }
  if (best.kind == ClimbKind::PARENT) return best;
  const double length = ring_length(cur);
  const bool increasing = run->settings.cut_direction == 1;
  double best_c = 0.0;
  for (int32_t i = 0; i < static_cast<int32_t>(run->boundary_bridges.size()); ++i) {
    const RingBridge& br = run->boundary_bridges[i];
    if (br.ring_a != ring || run->boundary[br.ring_b].state != RING_UNTOUCHED) continue;
    const double c = forward_gap(b, br.param_a, length);
    const bool better = increasing ? (c > 0.0 && (best.bridge < 0 || c < best_c))
                                   : (c < length && (best.bridge < 0 || c > best_c));
    if (better) {
      best.kind = ClimbKind::RETRACE;
      best.bridge = i;
      best_c = c;
    }
  }
  return best;
}

bool run_boundary_walk(RingLinkRun* run, int32_t ring, double a, double b, int32_t* end_ring,
                       double* end_param) {
  const int32_t direction = walk_direction(*run);
  int32_t cur = ring;
  for (;;) {
    if (engine_escape_pressed()) {
      run->cancelled = true;
      return false;
    }
    if (run->too_many) return false;
    bool exact = false;
    const int32_t r = next_bridge_on_ring(*run, cur, a, b, &exact);
    if (!(r >= 0 && exact)) {
      walk_boundary_ring(run, cur, b, a, r >= 0 ? run->boundary_bridges[r].param_b : -10.0,
                         direction);
    }
    if (r >= 0) {
      const RingBridge br = run->boundary_bridges[r];
      run->boundary[cur].exit_param = br.param_b;
      RingState& deeper = run->boundary[br.ring_a];
      a = b = br.param_a;
      deeper.entry_param = a;
      deeper.depart_param = br.param_b;
      deeper.parent = cur;
      // Entered now, so that no other bridge leads into it while its walk is pending.
      deeper.state = RING_ENTERED;
      cur = br.ring_a;
      append_node(run, cur, a, NODE_STEP);
      continue;
    }
    run->boundary[cur].state = RING_FINISHED;
    b = a;
    // A retrace only moves forward along the finished ring; a lap of them finds nothing new.
    int32_t retraces = 0;
    const int32_t most = static_cast<int32_t>(ring_length(run->boundary[cur])) + 2;
    for (;;) {
      const Climb c =
          retraces > most ? Climb{} : climb_to_parent_ring(run, cur, b);
      if (c.kind == ClimbKind::NONE) {
        add_end_island_bridges(run, cur, b);
        *end_ring = cur;
        *end_param = b;
        return true;
      }
      if (c.kind == ClimbKind::RETRACE) {
        ++retraces;
        const int32_t before = run->node_count;
        const double to = run->boundary_bridges[c.bridge].param_a;
        walk_boundary_ring(run, cur, b, b, to, direction);
        b = to;
        for (int32_t n = before + 1; n < run->node_count; ++n) run->path[n].retraced = 1;
        continue;
      }
      const RingState& parent = run->boundary[c.ring];
      a = b = c.param;
      if (parent.state == RING_ENTERED) {
        a = parent.entry_param;
        // The path resumes the parent where it left it, when it came from there.
        if (run->boundary[cur].parent == c.ring) b = run->boundary[cur].depart_param;
      }
      cur = c.ring;
      append_node(run, cur, b, NODE_STEP);
      break;
    }
  }
}
