// Ring linking: the bridges, short connections between rings of neighbouring ring numbers.
// Every search tests a vertex of one ring against the links of another; a grid per ring and
// the rings' boxes skip the links whose bounding circles lie out of reach, which the test
// itself would reject first, so the tables come out as a scan of every link makes them.
#include <algorithm>
#include <cmath>

#include "cam/ring_linking_internal.h"

namespace {

// Rings of at most this many links are scanned whole.
constexpr int32_t GRID_MIN_LINKS = 24;
constexpr int32_t GRID_MAX_SIDE = 512;
// The bounding-circle test rejects links beyond this many bands.
constexpr double REACH_FACTOR = 1.1;
// Widens every box query a little, so that rounding never drops a link the test accepts.
constexpr double QUERY_SLACK = 1e-9;

struct Box {
  double low_x, low_y, high_x, high_y;
};

Box circle_box(const ContourLink& l) {
  return {l.bound_x - l.bound_radius, l.bound_y - l.bound_radius, l.bound_x + l.bound_radius,
          l.bound_y + l.bound_radius};
}

int32_t cell_of(double v, double low, double cell, int32_t count) {
  const double k = std::floor((v - low) / cell);
  if (!(k > 0.0)) return 0;
  return k >= count - 1 ? count - 1 : static_cast<int32_t>(k);
}

void build_grid(const RingLinkRun& run, const RingState& r, const LoopBox& reach, RingGrid* grid) {
  grid->built = true;
  const int32_t n = r.end_link - r.start_link + 1;
  if (n <= GRID_MIN_LINKS) return;
  const double w = std::max(reach.high_x - reach.low_x, 1e-9);
  const double h = std::max(reach.high_y - reach.low_y, 1e-9);
  grid->cell = std::max(std::sqrt(w * h / n), std::max(w, h) / GRID_MAX_SIDE);
  grid->low_x = reach.low_x;
  grid->low_y = reach.low_y;
  grid->columns = std::min(GRID_MAX_SIDE, static_cast<int32_t>(w / grid->cell) + 1);
  grid->rows = std::min(GRID_MAX_SIDE, static_cast<int32_t>(h / grid->cell) + 1);
  const size_t cells = static_cast<size_t>(grid->columns) * grid->rows;
  std::vector<int32_t> count(cells + 1, 0);
  auto for_cells = [&](const ContourLink& l, auto&& f) {
    const Box b = circle_box(l);
    const int32_t c0 = cell_of(b.low_x, grid->low_x, grid->cell, grid->columns);
    const int32_t c1 = cell_of(b.high_x, grid->low_x, grid->cell, grid->columns);
    const int32_t r0 = cell_of(b.low_y, grid->low_y, grid->cell, grid->rows);
    const int32_t r1 = cell_of(b.high_y, grid->low_y, grid->cell, grid->rows);
    for (int32_t row = r0; row <= r1; ++row) {
      for (int32_t col = c0; col <= c1; ++col) f(static_cast<size_t>(row) * grid->columns + col);
    }
  };
  for (int32_t k = r.start_link; k <= r.end_link; ++k) {
    for_cells(run.links[k], [&](size_t c) { ++count[c + 1]; });
  }
  for (size_t c = 0; c < cells; ++c) count[c + 1] += count[c];
  grid->cell_begin = count;
  grid->cell_links.assign(static_cast<size_t>(count[cells]), 0);
  std::vector<int32_t> fill(count.begin(), count.end() - 1);
  for (int32_t k = r.start_link; k <= r.end_link; ++k) {
    for_cells(run.links[k], [&](size_t c) { grid->cell_links[fill[c]++] = k; });
  }
}

bool box_near(const LoopBox& b, double x, double y, double reach) {
  return x >= b.low_x - reach && x <= b.high_x + reach && y >= b.low_y - reach &&
         y <= b.high_y + reach;
}

bool boxes_near(const LoopBox& a, const LoopBox& b, double reach) {
  return a.low_x <= b.high_x + reach && b.low_x <= a.high_x + reach &&
         a.low_y <= b.high_y + reach && b.low_y <= a.high_y + reach;
}

// A bridge found by a search with the position it takes in the search's own order.
struct FoundBridge {
  int32_t outer = 0, inner = 0, order = 0;
  RingBridge bridge;
};

void append_sorted(std::vector<FoundBridge>* found, std::vector<RingBridge>* table) {
  std::stable_sort(found->begin(), found->end(), [](const FoundBridge& a, const FoundBridge& b) {
    if (a.outer != b.outer) return a.outer < b.outer;
    if (a.inner != b.inner) return a.inner < b.inner;
    return a.order < b.order;
  });
  for (const FoundBridge& f : *found) table->push_back(f.bridge);
  found->clear();
}

const ContourNode& link_start(const RingLinkRun& run, int32_t k) {
  return run.nodes[run.links[k].start_node];
}

double arc_sweep(double from, double to, int32_t direction) {
  double d = direction == CONTOUR_CLOCKWISE ? to - from : from - to;
  while (d < 0.0) d += CONTOUR_TWO_PI;
  while (d >= CONTOUR_TWO_PI) d -= CONTOUR_TWO_PI;
  return d;
}

}  // namespace

double nearest_point_on_link(const ContourLink& link, const ContourNode* nodes, double x, double y,
                             double band, double* distance) {
  *distance = NO_DISTANCE_YET;
  const double gap = std::max(0.0, std::hypot(x - link.bound_x, y - link.bound_y) -
                                       link.bound_radius);
  if (gap > REACH_FACTOR * band) return LINK_OUT_OF_REACH;
  const ContourNode& s = nodes[link.start_node];
  const ContourNode& e = nodes[link.end_node];
  const double to_start = std::hypot(x - s.x, y - s.y);
  const double to_end = std::hypot(x - e.x, y - e.y);
  if (link.kind != SEGMENT_ARC) {
    const double dx = e.x - s.x, dy = e.y - s.y;
    const double q = dx * dx + dy * dy;
    double t = 0.0;
    if (q > 0.0) t = ((x - s.x) * dx + (y - s.y) * dy) / q;
    if (t > 0.0 && t < 1.0) {
      *distance = std::hypot(x - (s.x + t * dx), y - (s.y + t * dy));
      return t;
    }
    if (t <= 0.0) {
      *distance = to_start;
      return 0.0;
    }
    *distance = to_end;
    return 1.0;
  }
  const ContourNode& c = nodes[link.centre_node];
  const double a0 = bearing_angle(s.x - c.x, s.y - c.y);
  const double a1 = bearing_angle(e.x - c.x, e.y - c.y);
  const double ap = bearing_angle(x - c.x, y - c.y);
  const double sweep = arc_sweep(a0, a1, link.direction);
  const double to_p = arc_sweep(a0, ap, link.direction);
  if (to_p > 0.0 && to_p < sweep) {
    *distance = std::fabs(std::hypot(x - c.x, y - c.y) - link.radius);
    return to_p / sweep;
  }
  if (to_start <= to_end) {
    *distance = to_start;
    return 0.0;
  }
  *distance = to_end;
  return 1.0;
}

void nearest_point_on_contour(const ContourLink* links, const ContourNode* nodes, double x,
                              double y, int32_t first, int32_t last, double* param,
                              double* distance) {
  *distance = NO_DISTANCE_YET;
  *param = first;
  for (int32_t k = first; k <= last; ++k) {
    ContourLink unbounded = links[k];
    unbounded.bound_radius = 1e300;  // no bounding-circle test
    double d = 0.0;
    const double t = nearest_point_on_link(unbounded, nodes, x, y, 1.0, &d);
    if (d < *distance) {
      *distance = d;
      *param = k + t;
    }
  }
}

bool accept_foot(const RingLinkRun& run, int32_t link, double x, double y, double band,
                 double factor, double* share) {
  double d = 0.0;
  const double t = nearest_point_on_link(run.links[link], run.nodes, x, y, band, &d);
  if (!strictly_between(-1e-7, t, 1.0000001) || !(d < factor * band)) return false;
  *share = std::min(std::max(t, BRIDGE_SHARE_LOW), BRIDGE_SHARE_HIGH);
  return true;
}

const std::vector<int32_t>& near_links(RingLinkRun* run, RingTable table, int32_t ring, double x,
                                       double y, double reach) {
  std::vector<int32_t>& out = run->scratch;
  out.clear();
  const RingState& r = ring_state(*run, table, ring);
  const bool island = table == RingTable::ISLAND;
  RingGrid& grid = island ? run->island_grid[ring] : run->boundary_grid[ring];
  const LoopBox& box = island ? run->island_reach_box[ring] : run->boundary_reach_box[ring];
  reach += QUERY_SLACK;
  if (run->indexed && !box_near(box, x, y, reach)) return out;
  if (run->indexed && !grid.built) build_grid(*run, r, box, &grid);
  if (!run->indexed || grid.columns == 0) {
    for (int32_t k = r.start_link; k <= r.end_link; ++k) out.push_back(k);
    return out;
  }
  const int32_t c0 = cell_of(x - reach, grid.low_x, grid.cell, grid.columns);
  const int32_t c1 = cell_of(x + reach, grid.low_x, grid.cell, grid.columns);
  const int32_t r0 = cell_of(y - reach, grid.low_y, grid.cell, grid.rows);
  const int32_t r1 = cell_of(y + reach, grid.low_y, grid.cell, grid.rows);
  for (int32_t row = r0; row <= r1; ++row) {
    for (int32_t col = c0; col <= c1; ++col) {
      const size_t c = static_cast<size_t>(row) * grid.columns + col;
      for (int32_t e = grid.cell_begin[c]; e < grid.cell_begin[c + 1]; ++e) {
        out.push_back(grid.cell_links[e]);
      }
    }
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

void find_boundary_bridges(RingLinkRun* run) {
  const int32_t count = static_cast<int32_t>(run->boundary.size());
  for (int32_t a = 0; a < count; ++a) {
    const int32_t parent_number = run->boundary[a].ring - 1;
    if (parent_number < 0 || parent_number >= static_cast<int32_t>(run->boundary_by_number.size())) {
      continue;
    }
    const std::vector<int32_t> parents = run->boundary_by_number[parent_number];
    for (const int32_t b : parents) {
      const RingState& ra = run->boundary[a];
      const RingState& rb = run->boundary[b];
      if (run->indexed &&
          !box_may_hold(run->boundary_reach_box[b], run->boundary_nodes_box[a])) {
        continue;
      }
      if (contour_inside(run->links, run->nodes, ra.start_link, ra.end_link, rb.start_link,
                         rb.end_link, CONTOUR_COUNTER_CLOCKWISE) != 1) {
        continue;
      }
      const double band = ra.spacing;
      for (int32_t l = ra.start_link; l <= ra.end_link; ++l) {
        const ContourNode& p = link_start(*run, l);
        const std::vector<int32_t>& near =
            near_links(run, RingTable::BOUNDARY, b, p.x, p.y, REACH_FACTOR * band);
        for (const int32_t m : near) {
          double t = 0.0;
          if (accept_foot(*run, m, p.x, p.y, band, 1.001, &t)) {
            run->boundary_bridges.push_back({a, b, l + BRIDGE_SHARE_LOW, m + t});
          }
        }
      }
    }
  }
}

void find_island_bridges(RingLinkRun* run) {
  std::vector<FoundBridge> found;
  const int32_t count = static_cast<int32_t>(run->island.size());
  for (int32_t a = 0; a < count; ++a) {
    const size_t outer_number = static_cast<size_t>(run->island[a].ring) + 1;
    if (outer_number >= run->island_by_number.size()) continue;
    const std::vector<int32_t> outers = run->island_by_number[outer_number];
    for (const int32_t b : outers) {
      const RingState& ra = run->island[a];
      const RingState& rb = run->island[b];
      if (run->indexed && !box_may_hold(run->island_reach_box[b], run->island_nodes_box[a])) {
        continue;
      }
      if (contour_inside(run->links, run->nodes, ra.start_link, ra.end_link, rb.start_link,
                         rb.end_link, CONTOUR_CLOCKWISE) != 1) {
        continue;
      }
      const double band = rb.spacing;
      // The vertices of the outer ring against the links of the inner one; the table keeps
      // the order of the inner ring's links first.
      for (int32_t m = rb.start_link; m <= rb.end_link; ++m) {
        const ContourNode& p = link_start(*run, m);
        const std::vector<int32_t>& near =
            near_links(run, RingTable::ISLAND, a, p.x, p.y, REACH_FACTOR * band);
        for (const int32_t l : near) {
          double t = 0.0;
          if (accept_foot(*run, l, p.x, p.y, band, 1.001, &t)) {
            found.push_back({l, m, 0, {a, b, l + t, m + BRIDGE_SHARE_LOW}});
          }
        }
      }
      append_sorted(&found, &run->island_bridges);
    }
  }
}

void find_boundary_island_bridges(RingLinkRun* run) {
  const int32_t count = static_cast<int32_t>(run->boundary.size());
  for (int32_t a = 0; a < count; ++a) {
    const int32_t number = run->boundary[a].ring - 1;
    if (number < 0 || number >= static_cast<int32_t>(run->island_by_number.size())) continue;
    const std::vector<int32_t> islands = run->island_by_number[number];
    for (const int32_t b : islands) {
      const RingState& ra = run->boundary[a];
      const RingState& rb = run->island[b];
      const double band = std::max(ra.spacing, rb.spacing);
      if (run->indexed && !boxes_near(run->boundary_nodes_box[a], run->island_reach_box[b],
                                      REACH_FACTOR * band + QUERY_SLACK)) {
        continue;
      }
      for (int32_t l = ra.start_link; l <= ra.end_link; ++l) {
        const ContourNode& p = link_start(*run, l);
        const std::vector<int32_t>& near =
            near_links(run, RingTable::ISLAND, b, p.x, p.y, REACH_FACTOR * band);
        for (const int32_t m : near) {
          double t = 0.0;
          if (accept_foot(*run, m, p.x, p.y, band, 1.001, &t)) {
            run->mixed_bridges.push_back({a, b, l + BRIDGE_SHARE_LOW, m + t});
          }
        }
      }
    }
  }
}

void find_orphan_island_bridges(RingLinkRun* run, int32_t island_ring) {
  const ContourSettings& s = run->settings;
  const double w = std::min(s.rough_width, 2.0 * s.rough_width * s.rough_stepover);
  const RingState& ri = run->island[island_ring];
  if (ri.ring < 0 || ri.ring >= static_cast<int32_t>(run->boundary_by_number.size())) return;
  const std::vector<int32_t> boundaries = run->boundary_by_number[ri.ring];
  std::vector<FoundBridge> found;
  for (const int32_t a : boundaries) {
    const RingState& ra = run->boundary[a];
    if (run->indexed &&
        !box_may_hold(run->boundary_reach_box[a], run->island_nodes_box[island_ring])) {
      continue;
    }
    if (contour_inside(run->links, run->nodes, ri.start_link, ri.end_link, ra.start_link,
                       ra.end_link, CONTOUR_COUNTER_CLOCKWISE) != 1) {
      continue;
    }
    // (a) the boundary ring's vertices against the island ring's links.
    for (int32_t k = ra.start_link; k <= ra.end_link; ++k) {
      const ContourNode& p = link_start(*run, k);
      const std::vector<int32_t>& near =
          near_links(run, RingTable::ISLAND, island_ring, p.x, p.y, REACH_FACTOR * w);
      for (const int32_t l : near) {
        double t = 0.0;
        if (accept_foot(*run, l, p.x, p.y, w, 1.01, &t)) {
          found.push_back({k, l, 0, {a, island_ring, k + BRIDGE_SHARE_LOW, l + t}});
        }
      }
    }
    // (b) the island ring's vertices against the boundary ring's links.
    for (int32_t l = ri.start_link; l <= ri.end_link; ++l) {
      const ContourNode& p = link_start(*run, l);
      const std::vector<int32_t>& near =
          near_links(run, RingTable::BOUNDARY, a, p.x, p.y, REACH_FACTOR * 1.001 * w);
      for (const int32_t k : near) {
        double t = 0.0;
        if (accept_foot(*run, k, p.x, p.y, 1.001 * w, 1.01, &t)) {
          found.push_back({k, l, 1, {a, island_ring, k + t, l + BRIDGE_SHARE_LOW}});
        }
      }
    }
    append_sorted(&found, &run->mixed_bridges);
  }
}

void find_all_bridges(RingLinkRun* run) {
  find_boundary_bridges(run);
  find_island_bridges(run);
  find_boundary_island_bridges(run);
  if (run->finishing || run->contour) return;
  // Island rings that no bridge names get bridges to the boundary ring of their own number.
  std::vector<int32_t> named(run->island.size(), 0);
  for (const RingBridge& b : run->island_bridges) named[b.ring_a] = 1;
  for (const RingBridge& b : run->mixed_bridges) named[b.ring_b] = 1;
  for (size_t i = 0; i < run->island.size(); ++i) {
    if (!named[i]) find_orphan_island_bridges(run, static_cast<int32_t>(i));
  }
}
