// Roughing coverage and the corner check.
#include "cam/roughing.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "cam/toolpath_engine_internal.h"

namespace {

constexpr int32_t CORNER_CHECK_POLL_EVERY = 50;  // ring records between Esc polls

// Room behind the used links and nodes for one more swept outline.
void make_scratch_room(CoverageOutlines* cov) {
  const size_t links = static_cast<size_t>(cov->link_count) + SWEPT_OUTLINE_MAX_LINKS;
  const size_t nodes = static_cast<size_t>(cov->node_count) + SWEPT_OUTLINE_MAX_NODES;
  if (cov->links.size() < links) cov->links.resize(links * 2);
  if (cov->nodes.size() < nodes) cov->nodes.resize(nodes * 2);
}

void append_swept_outline(const ContourLink& link, const ContourNode* nodes, double radius,
                          CoverageOutlines* cov) {
  make_scratch_room(cov);
  int32_t added_links = 0, added_nodes = 0;
  segment_swept_outline(link, nodes, cov->links.data(), cov->link_count, cov->nodes.data(),
                        cov->node_count, &added_links, &added_nodes, radius);
  cov->first.push_back(cov->link_count);
  cov->last.push_back(cov->link_count + added_links - 1);
  cov->link_count += added_links;
  cov->node_count += added_nodes;
  ++cov->outline_count;
}

void add_ring_outlines(const std::vector<RingEntry>& rings, double radius, CoverageOutlines* cov) {
  const ToolpathEngineState& g = g_toolpath_engine;
  for (const RingEntry& e : rings) {
    if (e.ring != 1) continue;
    for (int32_t k = e.start_link; k <= e.end_link; ++k) {
      append_swept_outline(g.ring_links[k], g.ring_nodes.data(), radius, cov);
    }
  }
}

int32_t ring_one_link_count(const std::vector<RingEntry>& rings) {
  int32_t t = 0;
  for (const RingEntry& e : rings) {
    if (e.ring == 1) t += e.end_link - e.start_link + 1;
  }
  return t;
}

// The box of an outline's bounding circles (it holds every point of the outline).
void outline_box(const CoverageOutlines& cov, int32_t first, int32_t last, double b[4]) {
  b[0] = b[1] = 1e300;
  b[2] = b[3] = -1e300;
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& l = cov.links[k];
    const ContourNode& s = cov.nodes[l.start_node];
    b[0] = std::min({b[0], s.x, l.bound_x - l.bound_radius});
    b[1] = std::min({b[1], s.y, l.bound_y - l.bound_radius});
    b[2] = std::max({b[2], s.x, l.bound_x + l.bound_radius});
    b[3] = std::max({b[3], s.y, l.bound_y + l.bound_radius});
  }
}

int32_t grid_cell(double v, double low, double cell, int32_t count) {
  const double k = std::floor((v - low) / cell);
  if (!(k > 0.0)) return 0;
  return k >= count - 1 ? count - 1 : static_cast<int32_t>(k);
}

// Files every coverage outline in the grid cells its box covers.
void build_coverage_grid(CoverageOutlines* cov) {
  const int32_t n = cov->outline_count;
  cov->box.assign(static_cast<size_t>(n) * 4, 0.0);
  double low_x = 1e300, low_y = 1e300, high_x = -1e300, high_y = -1e300;
  for (int32_t k = 0; k < n; ++k) {
    double* b = &cov->box[static_cast<size_t>(k) * 4];
    outline_box(*cov, cov->first[k], cov->last[k], b);
    low_x = std::min(low_x, b[0]);
    low_y = std::min(low_y, b[1]);
    high_x = std::max(high_x, b[2]);
    high_y = std::max(high_y, b[3]);
  }
  if (n == 0) low_x = low_y = high_x = high_y = 0.0;
  const double w = high_x - low_x, h = high_y - low_y;
  double cell = std::sqrt(std::max(w * h, 1e-30) / std::max(n, 1));
  cell = std::max({cell, std::max(w, h) / (4.0 * n + 4.0), 1e-12});
  cov->grid_x = low_x;
  cov->grid_y = low_y;
  cov->grid_cell = cell;
  cov->grid_columns = std::max(1, static_cast<int32_t>(std::min(w / cell + 1.0, 4.0 * n + 8.0)));
  cov->grid_rows = std::max(1, static_cast<int32_t>(std::min(h / cell + 1.0, 4.0 * n + 8.0)));
  const size_t cells = static_cast<size_t>(cov->grid_columns) * cov->grid_rows;
  cov->cell_begin.assign(cells + 1, 0);
  auto each_cell = [&](int32_t k, auto&& f) {
    const double* b = &cov->box[static_cast<size_t>(k) * 4];
    const int32_t c0 = grid_cell(b[0], low_x, cell, cov->grid_columns);
    const int32_t c1 = grid_cell(b[2], low_x, cell, cov->grid_columns);
    const int32_t r0 = grid_cell(b[1], low_y, cell, cov->grid_rows);
    const int32_t r1 = grid_cell(b[3], low_y, cell, cov->grid_rows);
    for (int32_t r = r0; r <= r1; ++r) {
      for (int32_t c = c0; c <= c1; ++c) f(static_cast<size_t>(r) * cov->grid_columns + c);
    }
  };
  for (int32_t k = 0; k < n; ++k) each_cell(k, [&](size_t c) { ++cov->cell_begin[c + 1]; });
  for (size_t c = 1; c <= cells; ++c) cov->cell_begin[c] += cov->cell_begin[c - 1];
  cov->cell_items.assign(static_cast<size_t>(cov->cell_begin[cells]), 0);
  std::vector<int32_t> fill(cov->cell_begin.begin(), cov->cell_begin.end() - 1);
  for (int32_t k = 0; k < n; ++k) each_cell(k, [&](size_t c) { cov->cell_items[fill[c]++] = k; });
}

// False at once when a node of the tested outline lies outside the outline's box (its nodes
// lie on it, so they are inside any outline that holds it).
bool outline_contains(const CoverageOutlines& cov, int32_t outline, int32_t scratch_first,
                      int32_t scratch_last) {
  const double* b = &cov.box[static_cast<size_t>(outline) * 4];
  for (int32_t k = scratch_first; k <= scratch_last; ++k) {
    const ContourNode& p = cov.nodes[cov.links[k].start_node];
    if (p.x < b[0] || p.y < b[1] || p.x > b[2] || p.y > b[3]) return false;
  }
  return contour_inside(cov.links.data(), cov.nodes.data(), scratch_first, scratch_last,
                        cov.first[outline], cov.last[outline], CONTOUR_COUNTER_CLOCKWISE) == 1;
}

// Writes the swept outline of the segment into the scratch space and looks for a coverage
// outline that holds it: the one that matched last first, then all in order. Returns the
// outline found or -1.
int32_t find_covering_outline(const ContourLink& segment, const ContourNode* nodes, double radius,
                              CoverageOutlines* cov) {
  if (cov->outline_count == 0) return -1;
  make_scratch_room(cov);
  int32_t added_links = 0, added_nodes = 0;
  segment_swept_outline(segment, nodes, cov->links.data(), cov->link_count, cov->nodes.data(),
                        cov->node_count, &added_links, &added_nodes, radius);
  const int32_t first = cov->link_count;
  const int32_t last = cov->link_count + added_links - 1;
  const int32_t hint = cov->search_index < cov->outline_count ? cov->search_index : 0;
  if (outline_contains(*cov, hint, first, last)) return hint;
  // Only outlines filed in the cell of the tested outline's first point can hold it.
  const ContourNode& p = cov->nodes[cov->links[first].start_node];
  const int32_t column = grid_cell(p.x, cov->grid_x, cov->grid_cell, cov->grid_columns);
  const int32_t row = grid_cell(p.y, cov->grid_y, cov->grid_cell, cov->grid_rows);
  const size_t cell = static_cast<size_t>(row) * cov->grid_columns + column;
  for (int32_t e = cov->cell_begin[cell]; e < cov->cell_begin[cell + 1]; ++e) {
    const int32_t k = cov->cell_items[e];
    if (k != hint && outline_contains(*cov, k, first, last)) return k;
  }
  return -1;
}

// The finishing segment that ends at ring-path record i, as a link over its own three nodes.
ContourLink ring_record_segment(int32_t i, ContourNode nodes[3]) {
  const std::vector<RingPathRecord>& path = g_toolpath_engine.ring_path;
  const RingPathRecord& r = path[i];
  nodes[0] = {path[i - 1].x, path[i - 1].y};
  nodes[1] = {r.x, r.y};
  nodes[2] = {r.cx, r.cy};
  ContourLink l;
  l.start_node = 0;
  l.end_node = 1;
  if (r.code == RING_LINE) {
    l.kind = SEGMENT_LINE;
  } else {
    l.kind = SEGMENT_ARC;
    l.centre_node = 2;
    l.radius = std::hypot(r.x - r.cx, r.y - r.cy);
    l.direction = r.code == RING_ARC_CW ? CONTOUR_CLOCKWISE : CONTOUR_COUNTER_CLOCKWISE;
  }
  segment_bounding_circle(&l, nodes);
  return l;
}

bool corner_check_active(const ContourSettings& s) {
  if (s.finish_allowance > s.rough_width * 0.5) return false;
  if (s.finish_rings == 1) return false;
  if (s.finish_rings == 2 && s.finish_allowance > s.finish_first_stepover * s.finish_width) {
    return false;
  }
  return true;
}

}  // namespace

int32_t build_roughing_outlines(const ContourSettings& settings) {
  ToolpathEngineState& g = g_toolpath_engine;
  CoverageOutlines& cov = g.coverage;
  free_roughing_outlines();
  const size_t t = static_cast<size_t>(ring_one_link_count(g.boundary_rings) +
                                       ring_one_link_count(g.island_rings));
  try {
    cov.links.resize(4 * t + 16);
    cov.nodes.resize(7 * t + 28);
    cov.first.reserve(t + 4);
    cov.last.reserve(t + 4);
    const double radius = settings.rough_width * 0.5;
    add_ring_outlines(g.boundary_rings, radius, &cov);
    add_ring_outlines(g.island_rings, radius, &cov);
    build_coverage_grid(&cov);
  } catch (const std::bad_alloc&) {
    free_roughing_outlines();
    return 0;
  }
  cov.allocated = true;
  return 1;
}

void free_roughing_outlines() { g_toolpath_engine.coverage = CoverageOutlines{}; }

double corner_uncut_depth(const ContourSettings& settings, double angle_deg) {
  // A tool of radius R whose edge keeps the allowance A from both walls of a corner of angle
  // a reaches, on the corner's bisector, to A + R (1 - sin(a / 2)) from either wall.
  const double half_angle = angle_deg * CONTOUR_PI / 180.0 * 0.5;
  return settings.finish_allowance + (1.0 - std::sin(half_angle)) * 0.5 * settings.rough_width;
}

int32_t loop_covered_by_roughing(const ContourLink* links, const ContourNode* nodes, int32_t start,
                                 int32_t end, int32_t ring, double angle_deg,
                                 const ContourSettings& settings) {
  if (ring <= 1) return 0;  // the ring next to the wall always cuts the wall itself
  const double f = settings.finish_width;
  const double s = settings.finish_stepover;
  const double s1 = settings.finish_first_stepover;
  const double beyond_ring_one = ((ring - 2) * s + s1) * f;
  if (settings.finish_allowance > beyond_ring_one) return 0;
  const double reach = ring == 2 ? f * (s1 + 1.0) : f * (s1 + (ring - 3) * s + 1.0);
  if (reach < corner_uncut_depth(settings, angle_deg)) return 0;
  CoverageOutlines& cov = g_toolpath_engine.coverage;
  for (int32_t k = start; k <= end; ++k) {
    const int32_t found = find_covering_outline(links[k], nodes, f * 0.5, &cov);
    if (found < 0) return 0;
    cov.search_index = found + 1 < cov.outline_count ? found + 1 : 0;
  }
  return 1;
}

int32_t corner_check(const ContourSettings& settings) {
  ToolpathEngineState& g = g_toolpath_engine;
  CoverageOutlines& cov = g.coverage;
  const bool active = corner_check_active(settings) && cov.allocated && cov.outline_count > 0;
  bool finishing = false;
  for (int32_t i = 0; i < g.ring_path_count; ++i) {
    RingPathRecord& r = g.ring_path[i];
    if (r.code == RING_END) break;
    if (r.code == RING_END_ROUGHING) {
      finishing = true;
      continue;
    }
    if (!finishing || i == 0) continue;
    if (r.code != RING_LINE && r.code != RING_ARC_CW && r.code != RING_ARC_CCW) continue;
    if (i % CORNER_CHECK_POLL_EVERY == 0) {
      engine_progress("Corner check, %d");
      if (engine_escape_pressed()) return 0;
    }
    if (!active) continue;
    ContourNode nodes[3];
    const ContourLink segment = ring_record_segment(i, nodes);
    const int32_t found = find_covering_outline(segment, nodes, settings.finish_width * 0.5, &cov);
    if (found < 0) continue;
    r.flag = 1;
    if (settings.cut_direction == 1) {
      cov.search_index = found + 1 < cov.outline_count ? found + 1 : 0;
    } else {
      cov.search_index = found > 0 ? found - 1 : cov.outline_count - 1;
    }
  }
  return 1;
}
