// Shared pieces of the tool-path engine tests: shapes as regions, measures of traced loops
// (exact area with arc bulges, flattening, distances) and settings for common cuts.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cam/raw_offset.h"
#include "cam/toolpath_engine.h"
#include "geometry/contour_kernel.h"
#include "geometry/path_intersect.h"
#include "nc/cam_host.h"
#include "store/line_list.h"
#include "tests/geometry/contour_shapes.h"

namespace engine_test {

using contour_test::Corner;
using contour_test::Shape;
using contour_test::arc_corner;
using contour_test::line_corner;

// A closed loop of lines through the points (counter-clockwise when given so).
inline std::vector<Corner> polygon(const std::vector<ContourNode>& points) {
  std::vector<Corner> corners;
  for (const ContourNode& p : points) corners.push_back(line_corner(p.x, p.y));
  return corners;
}

inline std::vector<Corner> rectangle(double x0, double y0, double x1, double y1) {
  return polygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
}

// A circle as two counter-clockwise (or clockwise) half circles.
inline std::vector<Corner> circle(double cx, double cy, double r, bool clockwise = false) {
  const int32_t d = clockwise ? CONTOUR_CLOCKWISE : CONTOUR_COUNTER_CLOCKWISE;
  return {arc_corner(cx + r, cy, cx, cy, d), arc_corner(cx - r, cy, cx, cy, d)};
}

// A region of a shape: contour `boundary` with the contours in `islands`.
struct Region {
  std::vector<int32_t> starts, ends;
  RegionView view;
  Region(const Shape& s, int32_t boundary, const std::vector<int32_t>& islands) {
    for (int32_t i : islands) {
      starts.push_back(s.firsts[i]);
      ends.push_back(s.lasts[i]);
    }
    view.links = s.links.data();
    view.nodes = s.nodes.data();
    view.start = s.firsts[boundary];
    view.end = s.lasts[boundary];
    view.island_start = starts.data();
    view.island_end = ends.data();
    view.island_count = static_cast<int32_t>(starts.size());
  }
};

// Counter-clockwise sweep (positive) or clockwise sweep (negative) of an arc link.
inline double arc_sweep_signed(const ContourLink& l, const ContourNode* nodes) {
  const ContourNode& s = nodes[l.start_node];
  const ContourNode& e = nodes[l.end_node];
  const ContourNode& c = nodes[l.centre_node];
  const double a0 = std::atan2(s.y - c.y, s.x - c.x);
  const double a1 = std::atan2(e.y - c.y, e.x - c.x);
  double ccw = std::fmod(a1 - a0 + 4.0 * CONTOUR_PI, 2.0 * CONTOUR_PI);
  if (l.direction == CONTOUR_COUNTER_CLOCKWISE) return ccw;
  return -(ccw == 0.0 ? 0.0 : 2.0 * CONTOUR_PI - ccw);
}

// Signed area of a loop (positive counter-clockwise), arcs exact.
inline double loop_area(const ContourLink* links, const ContourNode* nodes, int32_t first,
                        int32_t last) {
  double area = 0.0;
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& l = links[k];
    const ContourNode& s = nodes[l.start_node];
    const ContourNode& e = nodes[l.end_node];
    area += 0.5 * (s.x * e.y - e.x * s.y);
    if (l.kind == SEGMENT_ARC) {
      const double sweep = arc_sweep_signed(l, nodes);
      const double a = std::fabs(sweep);
      const double bulge = 0.5 * l.radius * l.radius * (a - std::sin(a));
      area += sweep > 0.0 ? bulge : -bulge;
    }
  }
  return area;
}

// The loop as points, arcs in steps of at most `step` radians.
inline std::vector<ContourNode> loop_points(const ContourLink* links, const ContourNode* nodes,
                                            int32_t first, int32_t last, double step = 0.05) {
  std::vector<ContourNode> out;
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& l = links[k];
    const ContourNode& s = nodes[l.start_node];
    out.push_back(s);
    if (l.kind != SEGMENT_ARC) continue;
    const ContourNode& c = nodes[l.centre_node];
    const double sweep = arc_sweep_signed(l, nodes);
    const double a0 = std::atan2(s.y - c.y, s.x - c.x);
    const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / step)));
    for (int i = 1; i < n; ++i) {
      const double a = a0 + sweep * i / n;
      out.push_back({c.x + l.radius * std::cos(a), c.y + l.radius * std::sin(a)});
    }
  }
  return out;
}

// Smallest distance from the point to any link of the shape.
inline double shape_distance(const Shape& s, double x, double y) {
  double best = 1e300;
  for (const ContourLink& l : s.links) {
    best = std::min(best, distance_to_segment(x, y, l, s.nodes.data(), 0.0));
  }
  return best;
}

// Every loop is closed: each link starts where the one before it ends.
inline bool loop_is_chained(const ContourLink* links, int32_t first, int32_t last) {
  for (int32_t k = first; k <= last; ++k) {
    const int32_t prev = k == first ? last : k - 1;
    if (links[k].start_node != links[prev].end_node) return false;
  }
  return true;
}

// True when two links of the loop cross each other. Neighbours meeting at their shared node
// at a grazing angle may report (a point rounding-close to) that node as a crossing; that is
// a touch.
inline bool loop_crosses_itself(const ContourLink* links, const ContourNode* nodes, int32_t first,
                                int32_t last) {
  PathCrossings found;
  auto at_node = [&](int32_t node, double x, double y) {
    return std::hypot(nodes[node].x - x, nodes[node].y - y) < 1e-6;
  };
  for (int32_t i = first; i <= last; ++i) {
    for (int32_t j = i + 1; j <= last; ++j) {
      const int32_t n = intersect_path_links(links[i], links[j], nodes, &found);
      for (int32_t k = 0; k < n; ++k) {
        const bool i_then_j = links[i].end_node == links[j].start_node &&
                              at_node(links[i].end_node, found.x[k], found.y[k]);
        const bool j_then_i = links[j].end_node == links[i].start_node &&
                              at_node(links[j].end_node, found.x[k], found.y[k]);
        if (!i_then_j && !j_then_i) return true;
      }
    }
  }
  return false;
}

// Settings of a spiral pocket cut with one tool (the finishing tool takes the roughing role).
inline ContourSettings pocket_settings(double width, double stepover) {
  ContourSettings s;
  s.finish_rings = RINGS_WHOLE_AREA;
  s.finish_width = width;
  s.finish_stepover = stepover;
  s.finish_first_stepover = stepover;
  s.finish_tool = 1;
  s.depth = 1.0;
  s.finish_step_down = 1.0;
  s.ramp_angle = 90.0;
  s.group_order = (1 << 16) + 1;
  return s;
}

// Settings with a roughing tool and a finishing tool.
inline ContourSettings two_tool_settings(int32_t rough_rings, double rough_width,
                                         double rough_stepover, double finish_width,
                                         int32_t finish_rings, double allowance) {
  ContourSettings s;
  s.rough_rings = rough_rings;
  s.rough_width = rough_width;
  s.rough_stepover = rough_stepover;
  s.rough_tool = 1;
  s.finish_rings = finish_rings;
  s.finish_width = finish_width;
  s.finish_stepover = 0.4;
  s.finish_first_stepover = 0.4;
  s.finish_tool = 2;
  s.finish_allowance = allowance;
  s.depth = 1.0;
  s.rough_step_down = 1.0;
  s.finish_step_down = 1.0;
  s.entry_mode = 2;
  s.group_order = (1 << 16) + 1;
  return s;
}

// Frees the tool-path items the engine appended to their list slot.
inline void free_tool_path_items() {
  load_list_slot(LIST_SLOT_TOOL_PATHS);
  free_current_list();
  save_list_slot(LIST_SLOT_TOOL_PATHS);
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_toolpath_engine();
    reset_contour_kernel_state();
    reset_cam_host();
  }
  void TearDown() override { reset_toolpath_engine(); }
};

}  // namespace engine_test
