// Pocket and contour rings.
#include "cam/rings.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "cam/next_contour.h"
#include "cam/ring_linking.h"
#include "cam/roughing.h"
#include "cam/toolpath_engine_internal.h"

namespace {

// A region waiting to be offset further, last in first out.
struct PendingRegion {
  OffsetRegion region;
  int32_t ring = 0;
  double spacing = 0.0;
  bool done = false;
};

// The values of one pass (roughing or finishing).
struct PassTool {
  bool finishing = false;
  double width = 0.0;
  double step = 0.0;        // stepover, tool widths
  double first_step = 0.0;  // first to second ring, tool widths
  double start = 0.0;       // distance of ring 1's edge from the wall
  int32_t limit = 0;        // the last ring number
};

// How the rings of a pass are stepped: the contour side and the number of contour passes.
struct PassShape {
  int32_t side = 0;         // +1 contour inside, -1 contour outside, 0 pocket
  int32_t passes = 0;       // contour rings kept (1 with a roughing tool)
};

// The state of one pass.
struct PassState {
  std::vector<PendingRegion> pending;
  std::vector<OffsetRegion> regions;  // of the last step
  double last_factor = 0.0;           // the factor the last step used
  int32_t region_count = 0;
  int32_t ring = 1;
  int32_t check = 0;
};

void add_ring_entries(const OffsetRegion& r, int32_t ring, double spacing) {
  ToolpathEngineState& g = g_toolpath_engine;
  g.boundary_rings.push_back({r.start, r.end, ring, spacing});
  for (size_t i = 0; i < r.island_start.size(); ++i) {
    g.island_rings.push_back({r.island_start[i], r.island_end[i], ring, spacing});
  }
}

void queue_split_regions(PassState* p, int32_t ring, double spacing) {
  for (int32_t k = 1; k < p->region_count; ++k) {
    PendingRegion pending;
    pending.region = p->regions[k];
    pending.ring = ring;
    pending.spacing = spacing;
    p->pending.push_back(std::move(pending));
  }
}

// Offsets `region` (whose ring number is `ring`) one ring further; the result's regions
// replace the pass's, the split-off ones wait in the pending list.
int32_t offset_further(const OffsetRegion& region, int32_t ring, const PassTool& tool,
                       const PassShape& shape, const ContourSettings& s, PassState* p) {
  ToolpathEngineState& g = g_toolpath_engine;
  double factor = ring == 1 ? tool.first_step : tool.step;
  int32_t check = p->check;
  if (shape.side != 0 && !tool.finishing) {
    if (shape.passes == 1) {
      // A contour keeps one roughing ring; the second only marks the end of the band.
      check = 0;
      factor = shape.side * 0.5;
    } else {
      factor *= shape.side;
    }
  }
  if (shape.side == -1 && tool.finishing) factor = -factor;
  const RegionView view = region_view(g.ring_links, g.ring_nodes, region);
  NextContourOutput out{&g.ring_links, &g.ring_nodes, &p->regions};
  const int32_t r = NextContour(view, factor, tool.width, check, tool.finishing, ring + 1, s, &out);
  if (r != ENGINE_DONE) return r;
  p->region_count = out.region_count;
  p->last_factor = out.used_factor;
  queue_split_regions(p, ring + 1, tool.width * out.used_factor);
  return ENGINE_DONE;
}

// The ring loop of one pass after the first offset: the first region of each step becomes a
// ring and is offset again; when a region vanishes the last pending region goes on.
int32_t step_rings(const PassTool& tool, const PassShape& shape, const ContourSettings& s,
                   PassState* p) {
  for (int32_t steps = 0; steps < ENGINE_MAX_STEPS; ++steps) {
    if (p->region_count > 0) {
      const OffsetRegion first = p->regions[0];
      add_ring_entries(first, p->ring, tool.width * p->last_factor);
      if (p->ring == tool.limit) {
        p->region_count = 0;
      } else {
        const int32_t r = offset_further(first, p->ring, tool, shape, s, p);
        if (r != ENGINE_DONE) return r;
      }
    } else {
      auto open = std::find_if(p->pending.rbegin(), p->pending.rend(),
                               [](const PendingRegion& q) { return !q.done; });
      if (open == p->pending.rend()) break;
      open->done = true;
      const PendingRegion taken = *open;  // the list may grow below
      if (taken.ring == tool.limit) {
        p->region_count = 0;
      } else {
        const int32_t r = offset_further(taken.region, taken.ring, tool, shape, s, p);
        if (r != ENGINE_DONE) return r;
      }
      add_ring_entries(taken.region, taken.ring, taken.spacing);
      p->ring = taken.ring;
    }
    ++p->ring;
  }
  return ENGINE_DONE;
}

PassTool pass_tool(const ContourSettings& s, bool finishing) {
  PassTool t;
  t.finishing = finishing;
  if (finishing) {
    t.width = s.finish_width;
    t.step = s.finish_stepover;
    t.first_step = s.finish_first_stepover;
    t.start = 0.0;
    t.limit = s.finish_rings;
  } else {
    t.width = s.rough_width;
    t.step = s.rough_stepover;
    t.first_step = s.rough_first_stepover;
    t.start = s.finish_allowance;
    t.limit = s.rough_rings;
  }
  return t;
}

// The rings of one pass: first offset of the working outline, then the ring loop.
int32_t make_pass_rings(int32_t start, int32_t end, const int32_t* island_start,
                        const int32_t* island_end, int32_t island_count, const PassTool& tool,
                        const PassShape& shape, const ContourSettings& s) {
  ToolpathEngineState& g = g_toolpath_engine;
  g.ring_links.clear();
  g.ring_nodes.clear();
  g.boundary_rings.clear();
  g.island_rings.clear();
  PassState p;
  double factor = tool.start / tool.width + 0.5;
  if (shape.side == -1) factor = -factor;
  RegionView outline;
  outline.links = g.work_links.data();
  outline.nodes = g.work_nodes.data();
  outline.start = start;
  outline.end = end;
  outline.island_start = island_start;
  outline.island_end = island_end;
  outline.island_count = island_count;
  g.wall_start = start;
  g.wall_end = end;
  g.wall_island_start.assign(island_start, island_start + island_count);
  g.wall_island_end.assign(island_end, island_end + island_count);
  NextContourOutput out{&g.ring_links, &g.ring_nodes, &p.regions};
  const int32_t r = NextContour(outline, factor, tool.width, 0, tool.finishing, 1, s, &out);
  if (r != ENGINE_DONE) return r;
  p.region_count = out.region_count;
  p.last_factor = out.used_factor;
  queue_split_regions(&p, 1, tool.width * out.used_factor);
  p.check = 1;
  return step_rings(tool, shape, s, &p);
}

// Links the rings of a pass into the ring path. ENGINE_DONE, or what stopped it.
int32_t link_pass_rings(const PassTool& tool, const PassShape& shape, const ContourSettings& s) {
  ToolpathEngineState& g = g_toolpath_engine;
  const int32_t r = PathGen(g.ring_links.data(), g.ring_nodes.data(), g.island_rings.data(),
                            g.boundary_rings.data(), static_cast<int32_t>(g.island_rings.size()),
                            static_cast<int32_t>(g.boundary_rings.size()), s, tool.finishing ? 1 : 0,
                            !tool.finishing && shape.side != 0 ? 1 : 0);
  if (r != 1) return ENGINE_NOTHING;
  if (tool.finishing && g.coverage.allocated && g.coverage.outline_count > 0) {
    if (corner_check(s) != 1) return ENGINE_NOTHING;
  }
  return ENGINE_DONE;
}

int32_t attempt(int32_t start, int32_t end, const int32_t* island_start, const int32_t* island_end,
                int32_t island_count, const PassShape& shape, const ContourSettings& s) {
  ToolpathEngineState& g = g_toolpath_engine;
  bool any_rings = false;
  for (const bool finishing : {false, true}) {
    if (finishing && s.finish_rings == 0) break;
    const PassTool tool = pass_tool(s, finishing);
    int32_t r = make_pass_rings(start, end, island_start, island_end, island_count, tool, shape, s);
    if (r != ENGINE_DONE) return r;
    const bool made = !g.boundary_rings.empty();
    if (made) {
      any_rings = true;
      r = link_pass_rings(tool, shape, s);
      if (r != ENGINE_DONE) return r;
    } else if (s.finish_rings == 0) {
      return ENGINE_NOTHING;
    }
    if (!finishing) {
      g.roughing_made_rings = made;
      if (s.finish_rings >= 2 && made) {
        if (build_roughing_outlines(s) != 1) return ENGINE_NOTHING;
      } else {
        free_roughing_outlines();
      }
    }
  }
  return any_rings ? ENGINE_DONE : ENGINE_NOTHING;
}

}  // namespace

// Copies the boundary and the islands into the working arrays, rewriting the island ranges.
static int32_t copy_working_outline_links(const ContourLink* links, const ContourNode* nodes,
                                          int32_t start, int32_t end, int32_t* island_start,
                                          int32_t* island_end, int32_t island_count) {
  ToolpathEngineState& g = g_toolpath_engine;
  g.work_links.clear();
  auto copy_range = [&](int32_t from, int32_t to) {
    for (int32_t k = from; k <= to; ++k) {
      ContourLink l;
      copy_segment(&l, links[k], 1);
      g.work_links.push_back(l);
    }
  };
  copy_range(start, end);
  const int32_t n = end - start + 1;
  for (int32_t i = 0; i < island_count; ++i) {
    const int32_t first = static_cast<int32_t>(g.work_links.size());
    copy_range(island_start[i], island_end[i]);
    island_start[i] = first;
    island_end[i] = static_cast<int32_t>(g.work_links.size()) - 1;
  }
  const int32_t top = max_node_index(static_cast<int32_t>(g.work_links.size()));
  g.work_nodes.assign(nodes, nodes + top + 1);
  return n;
}

int32_t prepare_working_outline(const ContourLink* links, const ContourNode* nodes, int32_t start,
                                int32_t end, int32_t* island_start, int32_t* island_end,
                                int32_t island_count) {
  ToolpathEngineState& g = g_toolpath_engine;
  const int32_t n = copy_working_outline_links(links, nodes, start, end, island_start, island_end,
                                               island_count);
  ContourLink* work = g.work_links.data();
  const ContourNode* work_nodes = g.work_nodes.data();
  if (contour_orientation(work, work_nodes, 0, n - 1) == CONTOUR_CLOCKWISE) {
    reverse_contour(work, 0, n - 1);
  }
  for (int32_t i = 0; i < island_count; ++i) {
    if (contour_orientation(work, work_nodes, island_start[i], island_end[i]) ==
        CONTOUR_COUNTER_CLOCKWISE) {
      reverse_contour(work, island_start[i], island_end[i]);
    }
  }
  return n;
}

bool rings_mean_contour(int32_t rough_rings) {
  return rough_rings < 0 || (rough_rings > 0 && rough_rings < RINGS_WHOLE_AREA);
}

int32_t normalise_ring_settings(ContourSettings* s) {
  if (s->rough_first_stepover < 1e-8) s->rough_first_stepover = s->rough_stepover;
  if (s->finish_first_stepover < 1e-8) s->finish_first_stepover = s->finish_stepover;
  if (s->rough_rings == 0 && s->finish_rings != 0) {
    // The finishing tool alone does the roughing.
    s->rough_rings = s->finish_rings;
    s->finish_rings = 0;
    s->rough_stepover = s->finish_stepover;
    s->rough_first_stepover = s->finish_first_stepover;
    s->rough_width = s->finish_width;
    s->rough_tool = s->finish_tool;
    s->rough_step_down = s->finish_step_down;
    s->rough_last_pass = s->finish_last_pass;
    s->finish_tool = ENGINE_NO_TOOL;
  }
  if (s->finish_last_pass < 0.00001) s->finish_last_pass = s->finish_step_down;
  if (s->rough_last_pass < 0.00001) s->rough_last_pass = s->rough_step_down;
  const bool finishing = s->finish_rings != 0;
  int32_t bad = 0;
  auto stepover_bad = [](double v) { return !(v > 1e-8) || v >= 1.0; };
  if (stepover_bad(s->rough_stepover) || (finishing && stepover_bad(s->finish_stepover))) {
    bad = ENGINE_STATUS_BAD_STEPOVER;
  } else if (!(s->rough_width > 1e-8) || (finishing && !(s->finish_width > 1e-8))) {
    bad = ENGINE_STATUS_BAD_WIDTH;
  }
  g_contour_kernel.EngineStatus |= bad;
  if (s->finish_allowance < 0.0) s->finish_allowance = 0.0;
  if (s->rough_step_down < 1e-10) s->rough_step_down = 1e-10;
  if (s->rough_last_pass < 1e-10) s->rough_last_pass = s->rough_step_down;
  if (s->finish_step_down < 1e-10) s->finish_step_down = 1e-10;
  if (s->finish_last_pass < 1e-10) s->finish_last_pass = s->finish_step_down;
  if (s->finish_rings > 0) {
    const double w = s->rough_width, f = s->finish_width, a = s->finish_allowance;
    const double st = s->finish_stepover, s1 = s->finish_first_stepover;
    const double r = w / 2.0 + a;  // wall to the centre line of the first roughing ring
    int32_t u, v;
    if (r < f) {
      u = 1;
    } else if (r < f * (1.0 + s1)) {
      u = 2;
    } else {
      u = static_cast<int32_t>((r - f * (1.0 + s1)) / (f * st) + 3.0);
    }
    if (f * s1 > a) {
      v = 1;
    } else {
      v = static_cast<int32_t>((a - f * s1) / (f * st) + 2.0);
    }
    s->finish_rings = std::max(std::max(u, v), 0);
  }
  return bad == 0 ? 1 : 0;
}

int32_t max_node_index(int32_t link_count) {
  const std::vector<ContourLink>& links = g_toolpath_engine.work_links;
  int32_t top = -1;
  for (int32_t k = 0; k < link_count && k < static_cast<int32_t>(links.size()); ++k) {
    const ContourLink& l = links[k];
    top = std::max({top, l.start_node, l.end_node});
    if (l.kind == SEGMENT_ARC) top = std::max(top, l.centre_node);
  }
  return top;
}

int32_t pocket_rings(int32_t start, int32_t end, const int32_t* island_start,
                     const int32_t* island_end, int32_t island_count, ContourSettings s) {
  ToolpathEngineState& g = g_toolpath_engine;
  g.roughing_made_rings = false;
  g.ring_path_count = 0;
  free_roughing_outlines();
  PassShape shape;
  if (rings_mean_contour(s.rough_rings)) {
    // A contour: one ring per contour pass on the wanted side, then one more that only
    // bounds them (the linking keeps the rings below the limit).
    shape.side = s.rough_rings > 0 ? 1 : -1;
    shape.passes = std::abs(s.rough_rings);
    if (shape.side == -1) s.cut_direction = 1 - s.cut_direction;
    s.rough_rings = shape.passes + 1;
  }
  if (s.finish_rings < 0) s.finish_rings = -s.finish_rings;
  int32_t r;
  try {
    r = attempt(start, end, island_start, island_end, island_count, shape, s);
  } catch (const std::bad_alloc&) {
    engine_message_box("Out of memory, press enter");
    r = ENGINE_NOTHING;
  }
  free_roughing_outlines();
  return r;
}

bool count_width_retry() {
  if (++g_toolpath_engine.retry_count <= ENGINE_MAX_RETRIES) return true;
  g_contour_kernel.EngineStatus |= ENGINE_STATUS_ROUNDING;
  return false;
}

int32_t run_pocket_rings(const ContourLink* links, const ContourNode* nodes, int32_t start,
                         int32_t end, int32_t* island_start, int32_t* island_end,
                         int32_t island_count, ContourSettings s) {
  ToolpathEngineState& g = g_toolpath_engine;
  s.rough_width *= RINGS_ROUGH_WIDTH_SHRINK;
  s.finish_width *= RINGS_FINISH_WIDTH_SHRINK;
  const int32_t n =
      prepare_working_outline(links, nodes, start, end, island_start, island_end, island_count);
  for (;;) {
    int32_t r = pocket_rings(0, n - 1, island_start, island_end, island_count, s);
    if (r == ENGINE_RETRY) {
      s.rough_stepover *= RINGS_RETRY_STEPOVER_SHRINK;
      s.finish_stepover *= RINGS_RETRY_STEPOVER_SHRINK;
      s.rough_width *= RINGS_RETRY_WIDTH_SHRINK;
      s.finish_width *= RINGS_RETRY_WIDTH_SHRINK;
      if (!count_width_retry()) r = ENGINE_NOTHING;
    }
    g.ring_links.clear();
    g.ring_nodes.clear();
    if (r == ENGINE_DONE) return 1;
    if (r == ENGINE_NOTHING) return 0;
  }
}
