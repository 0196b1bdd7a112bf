// NextContour: one offset step of a region.
#include "cam/next_contour.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "cam/offset_loops.h"
#include "cam/region_index.h"
#include "cam/roughing.h"
#include "cam/toolpath_engine_internal.h"

namespace {

// Test points farther than these (in tool widths) from every ring are left uncut.
constexpr double CHECK_EDGE_REACH = 0.46;
constexpr double CHECK_BACK_REACH = 0.45;
constexpr double CHECK_BAND = 0.51;
constexpr double CHECK_EDGE_LOWER = 0.05;  // how much a failed test lowers the step
constexpr double CHECK_BACK_LOWER = 0.1;

// The scratch of one call, allocated once and reused by the repeats of the coverage test.
struct StepScratch {
  RegionIndex input_index;  // the links of the region being offset
  RegionIndex loops_index;  // the links of the loops the step traced
  RawOffset raw;
  std::vector<OffsetCrossing> crossings;
  TracedLoops loops;
  std::vector<OffsetRegion> regions;  // link indices of `loops`
  RawOffset check_raw;
  std::vector<OffsetCrossing> check_points;
};

// Sorts the traced loops into regions: every counter-clockwise loop is a boundary; every
// clockwise loop joins the shortest boundary around it.
void build_regions(const TracedLoops& loops, std::vector<OffsetRegion>* regions) {
  regions->clear();
  const ContourLink* links = loops.links.data();
  const ContourNode* nodes = loops.nodes.data();
  const size_t n = loops.first.size();
  std::vector<char> island(n, 0);
  for (size_t k = 0; k < n; ++k) {
    if (contour_orientation(links, nodes, loops.first[k], loops.last[k]) ==
        CONTOUR_COUNTER_CLOCKWISE) {
      OffsetRegion r;
      r.start = loops.first[k];
      r.end = loops.last[k];
      regions->push_back(r);
    } else {
      island[k] = 1;
    }
  }
  std::vector<LoopBox> reach(regions->size());
  std::vector<double> length(regions->size());
  for (size_t r = 0; r < regions->size(); ++r) {
    reach[r] = loop_reach_box(links, nodes, (*regions)[r].start, (*regions)[r].end);
    length[r] = contour_length(links, nodes, (*regions)[r].start, (*regions)[r].end);
  }
  int32_t chosen = -1;
  for (size_t k = 0; k < n; ++k) {
    if (!island[k]) continue;
    const LoopBox box = loop_node_box(links, nodes, loops.first[k], loops.last[k]);
    double shortest = 9e19;
    int32_t best = -1;
    for (size_t r = 0; r < regions->size(); ++r) {
      const OffsetRegion& b = (*regions)[r];
      if (!box_may_hold(reach[r], box)) continue;
      // Traced loops never cross each other, so one point of the island tells; only a point
      // on the boundary needs the whole test.
      const ContourNode& p = nodes[links[loops.first[k]].start_node];
      const int32_t side = point_side_of_contour(links, nodes, p.x, p.y, b.start, b.end,
                                                 CONTOUR_COUNTER_CLOCKWISE, 0);
      if (side < 0) continue;
      if (side == 0 && contour_inside(links, nodes, loops.first[k], loops.last[k], b.start, b.end,
                                      CONTOUR_COUNTER_CLOCKWISE) == 0) {
        continue;
      }
      if (length[r] < shortest) {
        shortest = length[r];
        best = static_cast<int32_t>(r);
      }
    }
    // An island that no boundary encloses stays with the region of the island before it.
    if (best >= 0) chosen = best;
    if (chosen < 0) chosen = regions->empty() ? -1 : 0;
    if (chosen < 0) continue;
    (*regions)[chosen].island_start.push_back(loops.first[k]);
    (*regions)[chosen].island_end.push_back(loops.last[k]);
  }
}

// Every loop lies inside the area the first roughing rings swept: nothing new to finish.
bool all_loops_covered(const TracedLoops& loops, int32_t ring, const ContourSettings& settings) {
  for (size_t k = 0; k < loops.first.size(); ++k) {
    if (!loop_covered_by_roughing(loops.links.data(), loops.nodes.data(), loops.first[k],
                                  loops.last[k], ring, COVERAGE_CORNER_ANGLE, settings)) {
      return false;
    }
  }
  return true;
}

// Distance from the point to the nearest link of the input rings or the new loops, looking
// only within `band` of it.
double nearest_ring_distance(StepScratch* s, double x, double y, double band) {
  const double to_input = index_distance(&s->input_index, x, y, band, -1, -1);
  return std::min(to_input, index_distance(&s->loops_index, x, y, band, -1, -1));
}

// Indexes every traced loop as one region, for the distance questions of the coverage test.
void index_loops(StepScratch* s) {
  RegionView all;
  all.links = s->loops.links.data();
  all.nodes = s->loops.nodes.data();
  if (!s->loops.first.empty()) {
    all.start = s->loops.first[0];
    all.end = s->loops.last[0];
    all.island_start = s->loops.first.data() + 1;
    all.island_end = s->loops.last.data() + 1;
    all.island_count = static_cast<int32_t>(s->loops.first.size()) - 1;
  }
  build_region_index(all, &s->loops_index);
}

// True when a test point of the edge `of` offset by `d` lies farther than `reach` from both
// the input rings and the new ones.
bool leaves_material(const RegionView& of, double d, double width, double reach, StepScratch* s) {
  const int32_t n = offset_raw_segments(of, d, &s->check_raw);
  intersect_raw_segments(of, s->check_raw, 0, n - 1, d, CROSSINGS_FOR_CHECK, &s->check_points);
  for (const OffsetCrossing& p : s->check_points) {
    if (nearest_ring_distance(s, p.x, p.y, width * CHECK_BAND) > width * reach) {
      return true;
    }
  }
  return false;
}

// The lowered step when the step from the input to the new loops would leave material
// between the two rings, else the same step.
double checked_step(const RegionView& input, double factor, double width, StepScratch* s) {
  index_loops(s);
  if (leaves_material(input, width * 0.5, width, CHECK_EDGE_REACH, s)) {
    return std::max(NEXT_CONTOUR_LOWEST_STEP, factor - CHECK_EDGE_LOWER);
  }
  for (const OffsetRegion& r : s->regions) {
    const RegionView view = region_view(s->loops.links, s->loops.nodes, r);
    if (leaves_material(view, -width * 0.5, width, CHECK_BACK_REACH, s)) {
      return std::max(NEXT_CONTOUR_LOWEST_STEP, factor - CHECK_BACK_LOWER);
    }
  }
  return factor;
}

// Appends the loops to the ring arrays and hands the regions over in ring-array indices.
void commit_loops(const StepScratch& s, NextContourOutput* out) {
  const int32_t link_base = static_cast<int32_t>(out->links->size());
  const int32_t node_base = static_cast<int32_t>(out->nodes->size());
  out->nodes->insert(out->nodes->end(), s.loops.nodes.begin(), s.loops.nodes.end());
  for (ContourLink l : s.loops.links) {
    l.start_node += node_base;
    l.end_node += node_base;
    if (l.kind == SEGMENT_ARC) l.centre_node += node_base;
    out->links->push_back(l);
  }
  out->regions->clear();
  for (OffsetRegion r : s.regions) {
    r.start += link_base;
    r.end += link_base;
    for (int32_t& v : r.island_start) v += link_base;
    for (int32_t& v : r.island_end) v += link_base;
    out->regions->push_back(std::move(r));
  }
  out->region_count = static_cast<int32_t>(s.regions.size());
}

int32_t step(const RegionView& region, double factor, double width, int32_t check,
             int32_t finishing, int32_t ring, const ContourSettings& settings,
             NextContourOutput* out) {
  StepScratch s;
  engine_progress("Creating path %d");
  build_region_index(region, &s.input_index);
  for (;;) {
    const double d = factor * width;
    const int32_t raw_count = offset_raw_segments(region, d, &s.raw);
    if (engine_escape_pressed()) return ENGINE_NOTHING;
    intersect_raw_segments(region, s.raw, 0, raw_count - 1, d, CROSSINGS_FOR_LOOPS, &s.crossings);
    s.loops = TracedLoops{};
    if (!s.crossings.empty()) {
      const int32_t traced = trace_offset_loops(s.raw, &s.crossings, &s.loops);
      if (traced != ENGINE_DONE) return traced;
    }
    const CoverageOutlines& cov = g_toolpath_engine.coverage;
    if (finishing && settings.finish_rings > 1 && ring > 1 && cov.allocated &&
        cov.outline_count > 0 && !s.loops.first.empty() && all_loops_covered(s.loops, ring, settings)) {
      s.loops = TracedLoops{};
    }
    build_regions(s.loops, &s.regions);
    if (check == 1 && factor > NEXT_CONTOUR_UNCHECKED_STEP) {
      const double lowered = checked_step(region, factor, width, &s);
      if (lowered != factor) {
        factor = lowered;
        continue;
      }
    }
    break;
  }
  out->used_factor = std::fabs(factor);
  commit_loops(s, out);
  return ENGINE_DONE;
}

}  // namespace

RegionView region_view(const std::vector<ContourLink>& links,
                       const std::vector<ContourNode>& nodes, const OffsetRegion& r) {
  RegionView v;
  v.links = links.data();
  v.nodes = nodes.data();
  v.start = r.start;
  v.end = r.end;
  v.island_start = r.island_start.data();
  v.island_end = r.island_end.data();
  v.island_count = static_cast<int32_t>(r.island_start.size());
  return v;
}

int32_t NextContour(const RegionView& region, double factor, double width, int32_t check,
                    int32_t finishing, int32_t ring, const ContourSettings& settings,
                    NextContourOutput* out) {
  try {
    return step(region, factor, width, check, finishing, ring, settings, out);
  } catch (const std::bad_alloc&) {
    engine_message_box("Memory allocation failure in NextContour");
    return ENGINE_NOTHING;
  }
}
