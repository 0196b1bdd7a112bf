// Ring linking: the run, its tables, its node list and the walks along rings.
#include "cam/ring_linking.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "cam/ring_linking_internal.h"
#include "cam/toolpath_engine_internal.h"

namespace {

constexpr char MEMORY_FAILURE[] = "Memory allocation failure in PathGen";

// Offsets closer than this to a whole number count as a vertex.
constexpr double VERTEX_TOLERANCE = 1e-7;
constexpr double ISLAND_VERTEX_TOLERANCE = 2e-7;

void store_wall_point(const ContourNode& p) {
  ToolpathEngineState& g = g_toolpath_engine;
  if (g.wall_points.size() < static_cast<size_t>(WALL_POINT_SLOTS)) {
    g.wall_points.resize(WALL_POINT_SLOTS);
  }
  g.wall_points[g.wall_point_next] = p;
  ++g.wall_point_next;
  // The store keeps its last slots for the newest points: where finishing starts only needs
  // points near the wall, not all of them.
  if (g.wall_point_next >= WALL_POINT_SLOTS) g.wall_point_next = WALL_POINT_WRAP;
}

void store_ring_one_points(const RingLinkRun& run, const RingEntry* entries, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    if (entries[i].ring != 1) continue;
    for (int32_t k = entries[i].start_link; k <= entries[i].end_link; ++k) {
      store_wall_point(run.nodes[run.links[k].start_node]);
    }
  }
}

void load_table(RingLinkRun* run, const RingEntry* entries, int32_t count, RingTable table) {
  std::vector<RingState>& states = table == RingTable::BOUNDARY ? run->boundary : run->island;
  int32_t& links = table == RingTable::BOUNDARY ? run->boundary_links : run->island_links;
  std::vector<std::vector<int32_t>>& by_number =
      table == RingTable::BOUNDARY ? run->boundary_by_number : run->island_by_number;
  std::vector<LoopBox>& nodes_box =
      table == RingTable::BOUNDARY ? run->boundary_nodes_box : run->island_nodes_box;
  std::vector<LoopBox>& reach_box =
      table == RingTable::BOUNDARY ? run->boundary_reach_box : run->island_reach_box;
  for (int32_t i = 0; i < count; ++i) {
    const RingEntry& e = entries[i];
    if (!run->finishing && e.ring >= run->settings.rough_rings) continue;
    RingState s;
    s.start_link = e.start_link;
    s.end_link = e.end_link;
    s.ring = e.ring;
    s.spacing = e.spacing;
    const int32_t index = static_cast<int32_t>(states.size());
    states.push_back(s);
    links += e.end_link - e.start_link + 1;
    if (e.ring >= 0) {
      if (by_number.size() <= static_cast<size_t>(e.ring)) by_number.resize(e.ring + 1);
      by_number[e.ring].push_back(index);
    }
    nodes_box.push_back(loop_node_box(run->links, run->nodes, e.start_link, e.end_link));
    reach_box.push_back(loop_reach_box(run->links, run->nodes, e.start_link, e.end_link));
  }
  (table == RingTable::BOUNDARY ? run->boundary_has_bridge : run->island_has_bridge)
      .assign(states.size(), 0);
  (table == RingTable::BOUNDARY ? run->boundary_grid : run->island_grid).resize(states.size());
}

// The offset of x forward from p0 on a ring of length L, in (0, L].
double offset_from(double x, double p0, double length) {
  double o = x - p0;
  if (o < VERTEX_TOLERANCE) o += length;
  // Parameters moved by the optimisation may lie a lap out; bring them back.
  for (int32_t k = 0; k < 4 && o < VERTEX_TOLERANCE; ++k) o += length;
  for (int32_t k = 0; k < 4 && o > length + VERTEX_TOLERANCE; ++k) o -= length;
  return o;
}

// Appends the walked points from p0 to `end` (a whole lap when they are the same point).
void emit_walk(RingLinkRun* run, RingTable table, int32_t ring, double p0, double end,
               int32_t direction, double vertex_tolerance) {
  const RingState& r = ring_state(*run, table, ring);
  const double length = ring_length(r);
  if (!std::isfinite(p0) || !std::isfinite(end)) return;
  const bool increasing = direction == 0;
  double e = offset_from(end, p0, length);
  if (!increasing && e >= length) e -= length;
  const double k = std::floor(p0 + 0.5);
  double first;
  if (std::fabs(p0 - k) < vertex_tolerance) {
    first = increasing ? k + 1.0 : k - 1.0;
  } else {
    first = increasing ? std::floor(p0) + 1.0 : std::floor(p0);
  }
  double g = offset_from(first, p0, length);
  const int32_t kind = table == RingTable::BOUNDARY ? NODE_WALK : -NODE_WALK;
  auto emit = [&](double o) {
    double p = p0 + o;
    if (p > r.end_link + 1) p -= length;
    append_node(run, ring, p, kind);
  };
  // A lap has at most L vertices; the bound only guards against parameters that are not on
  // the ring at all.
  const int32_t most = static_cast<int32_t>(length) + 3;
  if (increasing) {
    double last = 0.0;
    for (int32_t n = 0; n < most; ++n) {
      if (last < e && e <= g) {
        emit(e);
        return;
      }
      emit(g);
      last = g;
      g += 1.0;
    }
  } else {
    double last = length;
    for (int32_t n = 0; n < most; ++n) {
      if (g <= e && e < last) {
        emit(e);
        return;
      }
      emit(g);
      last = g;
      g -= 1.0;
    }
  }
}

void show_joining_progress(const RingLinkRun& run) {
  engine_progress_count("Joining paths %d", run.node_count);
}

void size_node_list(RingLinkRun* run) {
  const int32_t rings = static_cast<int32_t>(run->boundary.size() + run->island.size());
  const int32_t links = run->boundary_links + run->island_links;
  run->node_limit = 9 * rings + links + 2000;
  run->path.assign(static_cast<size_t>(9 * rings + links + 3000), PathNode{});
  run->path[0].prev = 0;
  run->path[0].next = -1;
  run->node_count = 1;
  run->cursor = 0;
}

void report_not_linked() { g_contour_kernel.EngineStatus |= ENGINE_STATUS_NOT_LINKED; }

}  // namespace

int32_t join_ring_pieces(RingLinkRun* run) {
  for (;;) {
    const RingStart start = find_piece_start(run);
    if (start.kind == StartKind::BOUNDARY) {
      RingState& r = run->boundary[start.ring];
      r.entry_param = start.param;
      r.exit_param = start.param;
      int32_t end_ring = 0;
      double end_param = 0.0;
      if (!run_boundary_walk(run, start.ring, start.param, start.param, &end_ring, &end_param)) {
        return 0;
      }
    } else if (start.kind == StartKind::NONE && !all_rings_reached(*run)) {
      // Nothing left to start from although rings are missing: cannot happen with rings that
      // are in the tables, but never loop on it.
      return 0;
    }
    if (run->cancelled || run->too_many) return 0;
    const IslandPhase phase = run_island_phase(run);
    if (phase == IslandPhase::STOPPED) return 0;
    if (phase == IslandPhase::COMPLETE) return 1;
  }
}

const RingState& ring_state(const RingLinkRun& run, RingTable table, int32_t ring) {
  return table == RingTable::BOUNDARY ? run.boundary[ring] : run.island[ring];
}

RingState& ring_state(RingLinkRun* run, RingTable table, int32_t ring) {
  return table == RingTable::BOUNDARY ? run->boundary[ring] : run->island[ring];
}

double ring_length(const RingState& r) { return r.end_link - r.start_link + 1; }

RingTable node_table(int32_t kind) { return kind < 0 ? RingTable::ISLAND : RingTable::BOUNDARY; }

int32_t walk_direction(const RingLinkRun& run) { return 1 - run.settings.cut_direction; }

void load_ring_tables(RingLinkRun* run, const RingEntry* island_rings,
                      const RingEntry* boundary_rings, int32_t island_count,
                      int32_t boundary_count) {
  run->boundary_entries = boundary_rings;
  run->island_entries = island_rings;
  run->boundary_entry_count = boundary_count;
  run->island_entry_count = island_count;
  load_table(run, boundary_rings, boundary_count, RingTable::BOUNDARY);
  load_table(run, island_rings, island_count, RingTable::ISLAND);
  run->wall_distance.assign(run->boundary.size(), -1.0);
  if (!run->finishing) {
    g_toolpath_engine.wall_point_next = 0;
    if (run->settings.finish_rings != 0) {
      store_ring_one_points(*run, boundary_rings, boundary_count);
      store_ring_one_points(*run, island_rings, island_count);
    }
  }
  size_node_list(run);
}

void point_on_ring(const RingLinkRun& run, RingTable table, int32_t ring, double param, double* x,
                   double* y) {
  if (!std::isfinite(param)) {
    // Never index the links with it: the writer refuses records that carry it.
    *x = *y = std::nan("");
    return;
  }
  const RingState& r = ring_state(run, table, ring);
  // Within 1e-7 of the seam the point is the seam's vertex itself, so that the records on both
  // sides of it meet exactly (the links there are not asked for a point beyond their ends).
  if (param <= r.start_link + 1e-7 || param >= r.end_link + 1 - 1e-7) {
    const ContourNode& p = run.nodes[run.links[r.start_link].start_node];
    *x = p.x;
    *y = p.y;
    return;
  }
  point_at_contour_parameter(run.links, run.nodes, x, y, param);
}

int32_t append_node(RingLinkRun* run, int32_t ring, double param, int32_t kind) {
  if (run->node_count > run->node_limit && !run->too_many) {
    // Linking that runs away (it cannot on sound rings) stops here rather than fill memory.
    run->too_many = true;
    engine_message_box("Too many path segments to deal with");
  }
  if (static_cast<size_t>(run->node_count) >= run->path.size()) {
    run->path.resize(run->path.size() * 2 + 16);
  }
  const int32_t n = run->node_count++;
  PathNode& node = run->path[n];
  node = PathNode{};
  node.ring = ring;
  node.param = param;
  node.kind = kind;
  const int32_t before = run->cursor;
  const int32_t after = run->path[before].next;
  node.prev = before;
  node.next = after;
  run->path[before].next = n;
  if (after >= 0) run->path[after].prev = n;
  run->cursor = n;
  return n;
}

void unlink_node(RingLinkRun* run, int32_t node) {
  PathNode& n = run->path[node];
  if (n.prev >= 0) run->path[n.prev].next = n.next;
  if (n.next >= 0) run->path[n.next].prev = n.prev;
  if (run->cursor == node) run->cursor = n.prev;
}

void walk_boundary_ring(RingLinkRun* run, int32_t ring, double from, double entry, double to,
                        int32_t direction) {
  RingState& r = run->boundary[ring];
  if (r.state == RING_UNTOUCHED) {
    r.entry_param = entry;
    r.state = RING_ENTERED;
  }
  entry = r.entry_param;
  const double end = to > -0.1 ? to : entry;
  emit_walk(run, RingTable::BOUNDARY, ring, from, end, direction, VERTEX_TOLERANCE);
  run->boundary[ring].exit_param = end;
  run->boundary[ring].state = RING_ENTERED;
  show_joining_progress(*run);
}

void walk_island_ring(RingLinkRun* run, int32_t ring, double from, int32_t direction) {
  run->island[ring].state = RING_FINISHED;
  emit_walk(run, RingTable::ISLAND, ring, from, from, direction, ISLAND_VERTEX_TOLERANCE);
  show_joining_progress(*run);
}

int32_t link_rings(RingLinkRun* run) {
  find_all_bridges(run);
  compact_bridges(run);
  if (join_ring_pieces(run) != 1) {
    if (run->too_many) report_not_linked();
    return 0;
  }
  if (!write_ring_path(run)) {
    report_not_linked();
    return 0;
  }
  return 1;
}

int32_t PathGen(const ContourLink* links, const ContourNode* nodes, const RingEntry* island_rings,
                const RingEntry* boundary_rings, int32_t island_count, int32_t boundary_count,
                ContourSettings settings, int32_t finishing, int32_t contour) {
  try {
    RingLinkRun run;
    run.links = links;
    run.nodes = nodes;
    run.settings = settings;
    run.finishing = finishing;
    run.contour = finishing ? 0 : contour;
    load_ring_tables(&run, island_rings, boundary_rings, island_count, boundary_count);
    if (run.boundary.empty() && run.island.empty()) return 0;
    g_toolpath_engine.linked_rings += static_cast<int32_t>(run.boundary.size() + run.island.size());
    return link_rings(&run);
  } catch (const std::bad_alloc&) {
    engine_text_box(MEMORY_FAILURE);
    report_not_linked();
    return 0;
  }
}
