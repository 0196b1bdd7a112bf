// Ring linking, island phase: every island ring goes into the path as one whole lap, spliced
// in where a bridge joins it to a ring already in the path; boundary rings that only an island
// ring reaches are cut by an excursion that returns to the island ring's point.
#include <algorithm>
#include <cmath>

#include "cam/ring_linking_internal.h"
#include "cam/toolpath_engine_internal.h"

namespace {

enum class ShareRule { ISLAND_ON_BOUNDARY, INWARD, OUTWARD, BOUNDARY_ON_ISLAND };
enum class JoinSource { MIXED, INWARD, OUTWARD };

constexpr double WITHIN = 1e-6;  // a bridge parameter this near a node lies at it
constexpr double AT_NODE = 1e-5;  // a splice this near a node goes in at the node

double normalised(const RingState& r, double m) {
  return m > r.end_link + 1 ? m - ring_length(r) : m;
}

// Where m lies on the segment b..c (walked in the run's direction), as the rule measures it.
bool segment_share(double b, double c, double m, double length, bool increasing, ShareRule rule,
                   double* share) {
  if (increasing) {
    if (c < b) c += length;
  } else {
    if (b < c) b += length;
  }
  const bool tiny = std::fabs(b - c) < WITHIN;
  // The segment may run over the ring's seam, so the bridge's point is tried a lap on too.
  for (const double mm : {m, m + length}) {
    const bool at_b = std::fabs(mm - b) < WITHIN;
    const bool at_c = std::fabs(mm - c) < WITHIN;
    if (rule == ShareRule::BOUNDARY_ON_ISLAND) {
      if (at_c) return *share = 0.0, true;
      if (at_b) return *share = 1.0, true;
      if (strictly_between(b, mm, c)) {
        *share = tiny ? 1.0 : increasing ? (c - mm) / (c - b) : (mm - c) / (b - c);
        return true;
      }
      continue;
    }
    if (at_b) {
      if (rule == ShareRule::ISLAND_ON_BOUNDARY) continue;
      return *share = 0.0, true;
    }
    if (at_c) {
      if (rule == ShareRule::OUTWARD) continue;
      return *share = 1.0, true;
    }
    if (strictly_between(b, mm, c)) {
      *share = tiny ? 1.0 : increasing ? (mm - b) / (c - b) : (b - mm) / (b - c);
      return true;
    }
  }
  return false;
}

bool increasing_walk(const RingLinkRun& run) { return run.settings.cut_direction == 1; }

void list_bridge(RingLinkRun* run, bool island_table, int32_t i) {
  BridgesByRing& by = run->by_ring;
  if (island_table) {
    const RingBridge& b = run->island_bridges[i];
    by.island_by_a[b.ring_a].push_back(i);
    by.island_by_b[b.ring_b].push_back(i);
    run->island_has_bridge[b.ring_a] = 1;
    run->island_has_bridge[b.ring_b] = 1;
  } else {
    const RingBridge& b = run->mixed_bridges[i];
    by.mixed_by_boundary[b.ring_a].push_back(i);
    by.mixed_by_island[b.ring_b].push_back(i);
    run->boundary_has_bridge[b.ring_a] = 1;
    run->island_has_bridge[b.ring_b] = 1;
  }
}

bool over_node_limit(RingLinkRun* run) {
  if (run->too_many) return true;
  if (run->node_count <= run->node_limit) return false;
  run->too_many = true;
  engine_message_box("Too many path segments to deal with");
  return true;
}

bool stop_asked(RingLinkRun* run) {
  if (run->too_many) return true;
  if (!engine_escape_pressed()) return false;
  run->cancelled = true;
  return true;
}

bool same_ring(const PathNode& a, const PathNode& b) {
  return a.ring == b.ring && (a.kind < 0) == (b.kind < 0) && std::abs(a.kind) != NODE_FREE &&
         std::abs(b.kind) != NODE_FREE;
}

// The node after which a lap goes in at x on the segment that starts at f: f or the next node
// when one lies at x, else a new walked point at x.
int32_t split_at(RingLinkRun* run, int32_t f, int32_t ring, double x, int32_t kind) {
  PathNode probe;
  probe.ring = ring;
  probe.kind = kind;
  if (same_ring(run->path[f], probe) && std::fabs(run->path[f].param - x) < AT_NODE) return f;
  const int32_t s = run->path[f].next;
  if (s >= 0 && same_ring(run->path[s], probe) && std::fabs(run->path[s].param - x) < AT_NODE) {
    return s;
  }
  run->cursor = f;
  return append_node(run, ring, x, kind);
}

void insert_island_lap_from_boundary(RingLinkRun* run, int32_t bridge, int32_t first) {
  const RingBridge br = run->mixed_bridges[bridge];
  run->cursor = split_at(run, first, br.ring_a, br.param_a, NODE_WALK);
  append_node(run, br.ring_b, br.param_b, -NODE_STEP);
  walk_island_ring(run, br.ring_b, br.param_b, walk_direction(*run));
  append_node(run, br.ring_a, br.param_a, NODE_STEP);
}

void insert_inward_island_lap(RingLinkRun* run, int32_t bridge, int32_t first) {
  const RingBridge br = run->island_bridges[bridge];
  run->cursor = split_at(run, first, br.ring_b, br.param_b, -NODE_WALK);
  append_node(run, br.ring_a, br.param_a, -NODE_STEP);
  walk_island_ring(run, br.ring_a, br.param_a, walk_direction(*run));
  append_node(run, br.ring_b, br.param_b, -NODE_STEP);
}

void insert_outward_island_lap(RingLinkRun* run, int32_t bridge, int32_t second) {
  const RingBridge br = run->island_bridges[bridge];
  run->cursor = split_at(run, run->path[second].prev, br.ring_a, br.param_a, -NODE_WALK);
  append_node(run, br.ring_b, br.param_b, -NODE_STEP);
  walk_island_ring(run, br.ring_b, br.param_b, walk_direction(*run));
  append_node(run, br.ring_a, br.param_a, -NODE_STEP);
}

// Bridges from the point where island ring J was joined to the island rings one step nearer
// their islands, so that those are entered from the same point.
void add_inward_island_bridges(RingLinkRun* run, int32_t bridge, JoinSource source) {
  int32_t joined = 0;
  double param = 0.0;
  if (source == JoinSource::MIXED) {
    joined = run->mixed_bridges[bridge].ring_b;
    param = run->mixed_bridges[bridge].param_b;
  } else if (source == JoinSource::INWARD) {
    joined = run->island_bridges[bridge].ring_a;
    param = run->island_bridges[bridge].param_a;
  } else {
    joined = run->island_bridges[bridge].ring_b;
    param = run->island_bridges[bridge].param_b;
  }
  const RingState j = run->island[joined];
  const int32_t number = j.ring - 1;
  if (number < 0 || number >= static_cast<int32_t>(run->island_by_number.size())) return;
  double x = 0.0, y = 0.0;
  point_on_ring(*run, RingTable::ISLAND, joined, param, &x, &y);
  const std::vector<int32_t> inner = run->island_by_number[number];
  for (const int32_t k : inner) {
    const std::vector<int32_t> near =
        near_links(run, RingTable::ISLAND, k, x, y, 1.1 * j.spacing);
    for (const int32_t l : near) {
      double t = 0.0;
      if (accept_foot(*run, l, x, y, j.spacing, 1.01, &t)) {
        run->island_bridges.push_back({k, joined, l + t, param});
        list_bridge(run, true, static_cast<int32_t>(run->island_bridges.size()) - 1);
      }
    }
  }
}

int32_t best_share(RingLinkRun* run, const std::vector<int32_t>& candidates, int32_t ring,
                   double b, double c, bool largest,
                   int32_t (*share_of)(const RingLinkRun&, int32_t, int32_t, double, double,
                                       double*),
                   double* best) {
  int32_t found = -1;
  for (const int32_t i : candidates) {
    double s = 0.0;
    if (share_of(*run, i, ring, b, c, &s) == 0) continue;
    if (largest ? s > *best : s < *best) {
      *best = s;
      found = i;
    }
  }
  return found;
}

// Inward insertion, one pass backwards over the list. False when stopped.
bool insert_inward(RingLinkRun* run, bool* inserted) {
  *inserted = false;
  int32_t second = run->end_node;
  while (second > 1) {
    if (stop_asked(run)) return false;
    const int32_t first = run->path[second].prev;
    if (first <= 0) break;
    const PathNode s = run->path[second];
    const double b = run->path[first].param;
    double best = -99999.0;
    if (s.kind == NODE_WALK && run->boundary_has_bridge[s.ring]) {
      const std::vector<int32_t> list = run->by_ring.mixed_by_boundary[s.ring];
      const int32_t i = best_share(run, list, s.ring, b, s.param, true,
                                   share_of_island_bridge_on_boundary, &best);
      if (i >= 0 && best > -1.0) {
        insert_island_lap_from_boundary(run, i, first);
        add_inward_island_bridges(run, i, JoinSource::MIXED);
        *inserted = true;
      }
    } else if (s.kind == -NODE_WALK && run->island_has_bridge[s.ring]) {
      const std::vector<int32_t> list = run->by_ring.island_by_b[s.ring];
      const int32_t i =
          best_share(run, list, s.ring, b, s.param, true, share_of_inward_island_bridge, &best);
      if (i >= 0 && best > -1.0) {
        insert_inward_island_lap(run, i, first);
        add_inward_island_bridges(run, i, JoinSource::INWARD);
        *inserted = true;
      }
    }
    second = first;
  }
  return !run->too_many;
}

// Outward insertion, one pass forwards over the list. False when stopped.
bool insert_outward(RingLinkRun* run, bool* inserted) {
  *inserted = false;
  int32_t first = 1;
  for (;;) {
    const int32_t second = run->path[first].next;
    if (second < 0 || second == run->end_node) break;
    if (over_node_limit(run) || stop_asked(run)) return false;
    const PathNode s = run->path[second];
    if (s.kind == -NODE_WALK && run->island_has_bridge[s.ring]) {
      double best = 99999.0;
      const std::vector<int32_t> list = run->by_ring.island_by_a[s.ring];
      const int32_t i = best_share(run, list, s.ring, run->path[first].param, s.param, false,
                                   share_of_outward_island_bridge, &best);
      if (i >= 0 && best < 100.0) {
        insert_outward_island_lap(run, i, second);
        add_inward_island_bridges(run, i, JoinSource::OUTWARD);
        *inserted = true;
      }
    }
    first = run->path[first].next;
  }
  return true;
}

// A boundary ring that only an island ring reaches, walked from the island ring and back.
bool run_excursion(RingLinkRun* run, int32_t bridge, int32_t first, int32_t second) {
  const RingBridge br = run->mixed_bridges[bridge];
  const int32_t x = split_at(run, first, run->path[second].ring, br.param_b, -NODE_WALK);
  const PathNode back = run->path[x];
  run->cursor = x;
  append_node(run, br.ring_a, br.param_a, NODE_STEP);
  RingState& r = run->boundary[br.ring_a];
  r.entry_param = br.param_a;
  r.exit_param = br.param_a;
  r.parent = -1;
  int32_t end_ring = 0;
  double end_param = 0.0;
  if (!run_boundary_walk(run, br.ring_a, br.param_a, br.param_a, &end_ring, &end_param)) {
    return false;
  }
  const PathNode& last = run->path[run->cursor];
  const double length = ring_length(run->boundary[br.ring_a]);
  double gap = std::fabs(last.param - br.param_a);
  gap = std::min(gap, std::fabs(gap - length));
  const bool home = last.kind > 0 && last.ring == br.ring_a && gap < AT_NODE;
  append_node(run, back.ring, back.param, home ? -NODE_STEP : -NODE_MOVE);
  return true;
}

bool walk_excursions(RingLinkRun* run) {
  int32_t first = 1;
  for (;;) {
    const int32_t second = run->path[first].next;
    if (second < 0 || second == run->end_node) return true;
    if (stop_asked(run)) return false;
    const PathNode s = run->path[second];
    if (s.kind == -NODE_WALK && run->island_has_bridge[s.ring]) {
      double best = -99999.0;
      const std::vector<int32_t> list = run->by_ring.mixed_by_island[s.ring];
      const int32_t i = best_share(run, list, s.ring, run->path[first].param, s.param, true,
                                   share_of_boundary_bridge_on_island, &best);
      if (i >= 0 && best > -100.0) return run_excursion(run, i, first, second);
    }
    first = second;
  }
}

int32_t list_tail(const RingLinkRun& run) {
  int32_t n = run.cursor;
  while (run.path[n].next >= 0) n = run.path[n].next;
  return n;
}

}  // namespace

namespace {

// The share of the walked stretch b..c that a bridge lends the ring it starts or ends on: only
// while the ring at the bridge's other end is still untouched.
int32_t share_of_bridge(const RingBridge& br, bool ring_is_a, int32_t ring,
                        const std::vector<RingState>& ring_table,
                        const std::vector<RingState>& other_table, bool increasing, double b,
                        double c, ShareRule rule, double* share) {
  const int32_t own = ring_is_a ? br.ring_a : br.ring_b;
  const int32_t other = ring_is_a ? br.ring_b : br.ring_a;
  if (own != ring || other_table[other].state != RING_UNTOUCHED) return 0;
  const RingState& r = ring_table[ring];
  const double param = ring_is_a ? br.param_a : br.param_b;
  return segment_share(b, c, normalised(r, param), ring_length(r), increasing, rule, share) ? 1
                                                                                             : 0;
}

}  // namespace

int32_t share_of_island_bridge_on_boundary(const RingLinkRun& run, int32_t bridge, int32_t ring,
                                           double b, double c, double* share) {
  return share_of_bridge(run.mixed_bridges[bridge], true, ring, run.boundary, run.island,
                         increasing_walk(run), b, c, ShareRule::ISLAND_ON_BOUNDARY, share);
}

int32_t share_of_inward_island_bridge(const RingLinkRun& run, int32_t bridge, int32_t ring,
                                      double b, double c, double* share) {
  return share_of_bridge(run.island_bridges[bridge], false, ring, run.island, run.island,
                         increasing_walk(run), b, c, ShareRule::INWARD, share);
}

int32_t share_of_outward_island_bridge(const RingLinkRun& run, int32_t bridge, int32_t ring,
                                       double b, double c, double* share) {
  return share_of_bridge(run.island_bridges[bridge], true, ring, run.island, run.island,
                         increasing_walk(run), b, c, ShareRule::OUTWARD, share);
}

int32_t share_of_boundary_bridge_on_island(const RingLinkRun& run, int32_t bridge, int32_t ring,
                                           double b, double c, double* share) {
  return share_of_bridge(run.mixed_bridges[bridge], false, ring, run.island, run.boundary,
                         increasing_walk(run), b, c, ShareRule::BOUNDARY_ON_ISLAND, share);
}

void compact_bridges(RingLinkRun* run) {
  auto boundary_done = [&](int32_t r) { return run->boundary[r].state == RING_FINISHED; };
  auto island_done = [&](int32_t r) { return run->island[r].state == RING_FINISHED; };
  std::vector<RingBridge>& bb = run->boundary_bridges;
  bb.erase(std::remove_if(bb.begin(), bb.end(),
                          [&](const RingBridge& b) {
                            return boundary_done(b.ring_a) && boundary_done(b.ring_b);
                          }),
           bb.end());
  std::vector<RingBridge>& ib = run->island_bridges;
  ib.erase(std::remove_if(ib.begin(), ib.end(),
                          [&](const RingBridge& b) {
                            return island_done(b.ring_a) && island_done(b.ring_b);
                          }),
           ib.end());
  std::vector<RingBridge>& mb = run->mixed_bridges;
  mb.erase(std::remove_if(mb.begin(), mb.end(),
                          [&](const RingBridge& b) {
                            return boundary_done(b.ring_a) && island_done(b.ring_b);
                          }),
           mb.end());
  BridgesByRing& by = run->by_ring;
  const size_t nb = run->boundary.size(), ni = run->island.size();
  by.mixed_by_boundary.assign(nb, {});
  by.mixed_by_island.assign(ni, {});
  by.island_by_a.assign(ni, {});
  by.island_by_b.assign(ni, {});
  run->boundary_has_bridge.assign(nb, 0);
  run->island_has_bridge.assign(ni, 0);
  for (const RingBridge& b : bb) {
    run->boundary_has_bridge[b.ring_a] = 1;
    run->boundary_has_bridge[b.ring_b] = 1;
  }
  for (int32_t i = 0; i < static_cast<int32_t>(ib.size()); ++i) list_bridge(run, true, i);
  for (int32_t i = 0; i < static_cast<int32_t>(mb.size()); ++i) list_bridge(run, false, i);
}

void add_end_island_bridges(RingLinkRun* run, int32_t ring, double param) {
  const RingState r = run->boundary[ring];
  double x = 0.0, y = 0.0;
  point_on_ring(*run, RingTable::BOUNDARY, ring, param, &x, &y);
  if (run->by_ring.mixed_by_boundary.size() != run->boundary.size()) compact_bridges(run);
  const int32_t top = std::min<int32_t>(r.ring + 1,
                                        static_cast<int32_t>(run->island_by_number.size()) - 1);
  // Table order over the island rings of every number up to the ring's own + 1.
  std::vector<int32_t> rings;
  for (int32_t n = 0; n <= top; ++n) {
    rings.insert(rings.end(), run->island_by_number[n].begin(), run->island_by_number[n].end());
  }
  std::sort(rings.begin(), rings.end());
  for (const int32_t i : rings) {
    const double e = std::max(run->island[i].spacing, r.spacing);
    const std::vector<int32_t> near = near_links(run, RingTable::ISLAND, i, x, y, 1.1 * e);
    for (const int32_t j : near) {
      double t = 0.0;
      if (accept_foot(*run, j, x, y, e, 1.01, &t)) {
        run->mixed_bridges.push_back({ring, i, param, j + t});
        list_bridge(run, false, static_cast<int32_t>(run->mixed_bridges.size()) - 1);
      }
    }
  }
}

bool all_rings_reached(const RingLinkRun& run) {
  for (const RingState& r : run.boundary) {
    if (r.state == RING_UNTOUCHED) return false;
  }
  for (const RingState& r : run.island) {
    if (r.state != RING_FINISHED) return false;
  }
  return true;
}

IslandPhase run_island_phase(RingLinkRun* run) {
  if (run->end_node < 0) {
    run->cursor = list_tail(*run);
    run->end_node = append_node(run, 0, 0.0, NODE_MOVE);
  }
  run->progress_count = -10;
  for (;;) {
    bool inserted = false;
    do {
      compact_bridges(run);
      if (!insert_inward(run, &inserted)) return IslandPhase::STOPPED;
    } while (inserted);
    do {
      compact_bridges(run);
      if (!insert_outward(run, &inserted)) return IslandPhase::STOPPED;
    } while (inserted);
    compact_bridges(run);
    if (!walk_excursions(run)) return IslandPhase::STOPPED;
    if (all_rings_reached(*run)) return IslandPhase::COMPLETE;
    if (run->node_count != run->progress_count) {
      run->progress_count = run->node_count;
      continue;
    }
    // Nothing reaches the rings that are left: the piece ends, a new one starts.
    const int32_t last = run->path[run->end_node].prev;
    unlink_node(run, run->end_node);
    run->cursor = last;
    run->end_node = -1;
    return IslandPhase::NEW_PIECE;
  }
}
