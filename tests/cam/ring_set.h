// Hand-built ring sets for the ring-linking tests: rings as closed loops of lines with their
// ring numbers and spacings, and a linking run over them.
#pragma once

#include <cmath>
#include <vector>

#include "cam/ring_linking_internal.h"
#include "tests/cam/engine_fixture.h"

namespace engine_test {

struct RingSet {
  Shape shape;
  std::vector<RingEntry> boundary, island;

  // A boundary ring (counter-clockwise corners).
  void add_boundary(const std::vector<Corner>& corners, int32_t ring, double spacing) {
    shape.add_closed(corners);
    boundary.push_back({shape.firsts.back(), shape.lasts.back(), ring, spacing});
  }
  // An island ring (clockwise corners).
  void add_island(const std::vector<Corner>& corners, int32_t ring, double spacing) {
    shape.add_closed(corners);
    island.push_back({shape.firsts.back(), shape.lasts.back(), ring, spacing});
  }
  // Takes the walls of the outline (its first loop counter-clockwise) as the engine's working
  // outline, so that distances to the walls can be measured.
  static void set_walls(const std::vector<Corner>& outline) {
    Shape walls;
    walls.add_closed(outline);
    walls.set_bounds();
    ToolpathEngineState& g = g_toolpath_engine;
    g.work_links = walls.links;
    g.work_nodes = walls.nodes;
    g.wall_start = walls.firsts[0];
    g.wall_end = walls.lasts[0];
    g.wall_island_start.clear();
    g.wall_island_end.clear();
  }
  // A run over the set with its tables loaded.
  RingLinkRun run(const ContourSettings& settings, int32_t finishing = 0, int32_t contour = 0) {
    shape.set_bounds();
    RingLinkRun r;
    r.links = shape.links.data();
    r.nodes = shape.nodes.data();
    r.settings = settings;
    r.finishing = finishing;
    r.contour = contour;
    load_ring_tables(&r, island.data(), boundary.data(), static_cast<int32_t>(island.size()),
                     static_cast<int32_t>(boundary.size()));
    return r;
  }
};

// Rectangle corners, counter-clockwise, with extra corners at the middle of every side.
inline std::vector<Corner> rectangle_with_midpoints(double x0, double y0, double x1, double y1) {
  const double mx = (x0 + x1) / 2.0, my = (y0 + y1) / 2.0;
  return polygon({{x0, y0}, {mx, y0}, {x1, y0}, {x1, my}, {x1, y1}, {mx, y1}, {x0, y1}, {x0, my}});
}

inline std::vector<Corner> clockwise(std::vector<Corner> corners) {
  std::vector<Corner> out(corners.rbegin(), corners.rend());
  return out;
}

// The list from node 1 to the end node.
inline std::vector<PathNode> path_nodes(const RingLinkRun& run) {
  std::vector<PathNode> out;
  for (int32_t n = run.path[0].next; n >= 0 && n != run.end_node; n = run.path[n].next) {
    out.push_back(run.path[n]);
  }
  return out;
}

// Settings of a pocket cut with one tool of width `width` (rough_rings: the whole area).
inline ContourSettings linking_settings(double width, double stepover, int32_t cut_direction) {
  ContourSettings s;
  s.cut_direction = cut_direction;
  s.rough_rings = RINGS_WHOLE_AREA;
  s.rough_width = width;
  s.rough_stepover = stepover;
  s.rough_first_stepover = stepover;
  s.finish_stepover = stepover;
  s.finish_first_stepover = stepover;
  s.rough_tool = 3;
  s.finish_tool = 4;
  return s;
}

}  // namespace engine_test
