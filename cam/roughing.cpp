// Roughing coverage and the corner check.
#include "cam/roughing.h"

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

bool outline_contains(const CoverageOutlines& cov, int32_t outline, int32_t scratch_first,
                      int32_t scratch_last) {
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
  for (int32_t k = 0; k < cov->outline_count; ++k) {
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
