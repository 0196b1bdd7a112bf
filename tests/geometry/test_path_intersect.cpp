// Crossings of two contour segments: lines and arcs in both orders, touching, tangent and
// parallel segments, arcs that follow each other.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/contour_kernel.h"
#include "geometry/path_intersect.h"
#include "tests/geometry/contour_shapes.h"

using contour_test::arc_link;
using contour_test::line_link;

namespace {

constexpr double PI = CONTOUR_PI;

struct Expected {
  double x, y, on_a, on_b;
};

struct Case {
  const char* what;
  std::vector<ContourNode> nodes;
  ContourLink a, b;
  int32_t count;
  std::vector<Expected> crossings;
  bool bounds = true;
};

ContourNode on_circle(double cx, double cy, double r, double bearing) {
  return {cx + r * std::sin(bearing), cy + r * std::cos(bearing)};
}

std::vector<Case> cases() {
  const double s75 = std::sqrt(0.75);
  const double wide = 2 * PI - 0.05;  // sweep of the near-full arcs below
  // Near-full clockwise circles about (0,0) and (1,0), both from bearing 0.1 to 0.05.
  const std::vector<ContourNode> near_full = {
      on_circle(0, 0, 1, 0.1), on_circle(0, 0, 1, 0.05), {0, 0},
      on_circle(1, 0, 1, 0.1), on_circle(1, 0, 1, 0.05), {1, 0}};
  // Upper half of the unit circle, clockwise from (-1,0) to (1,0), and lines at y = 0.5 and 1.
  const std::vector<ContourNode> dome = {{-1, 0},  {1, 0},  {0, 0}, {-2, 0.5},
                                         {2, 0.5}, {-2, 1}, {2, 1}, {0, 1}};
  return {
      {"lines crossing",
       {{0, 0}, {2, 2}, {0, 2}, {2, 0}},
       line_link(0, 1),
       line_link(2, 3),
       1,
       {{1, 1, 0.5, 0.5}}},
      {"lines crossing off centre",
       {{0, 0}, {4, 0}, {1, -1}, {1, 3}},
       line_link(0, 1),
       line_link(2, 3),
       1,
       {{1, 0, 0.25, 0.25}}},
      {"lines touching end to end",
       {{0, 0}, {1, 1}, {2, 0}},
       line_link(0, 1),
       line_link(1, 2),
       0,
       {}},
      {"line ending on another",
       {{0, 0}, {2, 0}, {1, 0}, {1, 1}},
       line_link(0, 1),
       line_link(2, 3),
       0,
       {}},
      {"parallel lines", {{0, 0}, {2, 0}, {0, 1}, {2, 1}}, line_link(0, 1), line_link(2, 3), 0, {}},
      {"overlapping collinear lines",
       {{0, 0}, {2, 0}, {1, 0}, {3, 0}},
       line_link(0, 1),
       line_link(2, 3),
       0,
       {}},
      {"lines that would cross if longer",
       {{0, 0}, {1, 0}, {2, -1}, {2, 1}},
       line_link(0, 1),
       line_link(2, 3),
       0,
       {}},
      {"line through an arc twice",
       dome,
       line_link(3, 4),
       arc_link(0, 1, 2, 1, CONTOUR_CLOCKWISE),
       2,
       {{-s75, 0.5, (2 - s75) / 4, 1.0 / 6}, {s75, 0.5, (2 + s75) / 4, 5.0 / 6}}},
      {"arc crossed by a line twice",
       dome,
       arc_link(0, 1, 2, 1, CONTOUR_CLOCKWISE),
       line_link(3, 4),
       2,
       {{-s75, 0.5, 1.0 / 6, (2 - s75) / 4}, {s75, 0.5, 5.0 / 6, (2 + s75) / 4}}},
      {"line through a quarter arc once",
       dome,
       line_link(3, 4),
       arc_link(7, 1, 2, 1, CONTOUR_CLOCKWISE),
       1,
       {{s75, 0.5, (2 + s75) / 4, 2.0 / 3}}},
      {"counter-clockwise arc: fractions run the other way",
       dome,
       line_link(3, 4),
       arc_link(1, 0, 2, 1, CONTOUR_COUNTER_CLOCKWISE),
       2,
       {{-s75, 0.5, (2 - s75) / 4, 5.0 / 6}, {s75, 0.5, (2 + s75) / 4, 1.0 / 6}}},
      {"line tangent to an arc",
       dome,
       line_link(5, 6),
       arc_link(0, 1, 2, 1, CONTOUR_CLOCKWISE),
       0,
       {}},
      {"line missing the arc's sweep",
       dome,
       line_link(3, 4),
       arc_link(1, 0, 2, 1, CONTOUR_CLOCKWISE),
       0,
       {}},
      {"arcs crossing twice",
       near_full,
       arc_link(0, 1, 2, 1, CONTOUR_CLOCKWISE),
       arc_link(3, 4, 5, 1, CONTOUR_CLOCKWISE),
       2,
       {{0.5, s75, (PI / 6 - 0.1) / wide, (11 * PI / 6 - 0.1) / wide},
        {0.5, -s75, (5 * PI / 6 - 0.1) / wide, (7 * PI / 6 - 0.1) / wide}}},
      {"tangent circles",
       {on_circle(0, 0, 1, 0.1),
        on_circle(0, 0, 1, 0.05),
        {0, 0},
        on_circle(2, 0, 1, 0.1),
        on_circle(2, 0, 1, 0.05),
        {2, 0}},
       arc_link(0, 1, 2, 1, CONTOUR_CLOCKWISE),
       arc_link(3, 4, 5, 1, CONTOUR_CLOCKWISE),
       0,
       {}},
      {"concentric arcs",
       {on_circle(0, 0, 1, 0.1),
        on_circle(0, 0, 1, 0.05),
        {0, 0},
        on_circle(0, 0, 2, 0.1),
        on_circle(0, 0, 2, 0.05)},
       arc_link(0, 1, 2, 1, CONTOUR_CLOCKWISE),
       arc_link(3, 4, 2, 2, CONTOUR_CLOCKWISE),
       0,
       {}},
      {"circle inside another",
       {on_circle(0, 0, 3, 0.1),
        on_circle(0, 0, 3, 0.05),
        {0, 0},
        on_circle(0.5, 0, 1, 0.1),
        on_circle(0.5, 0, 1, 0.05),
        {0.5, 0}},
       arc_link(0, 1, 2, 3, CONTOUR_CLOCKWISE),
       arc_link(3, 4, 5, 1, CONTOUR_CLOCKWISE),
       0,
       {}},
      {"crossing lines without bounding circles",
       {{0, 0}, {2, 2}, {0, 2}, {2, 0}},
       line_link(0, 1),
       line_link(2, 3),
       0,
       {},
       false},
  };
}

TEST(PathIntersect, CrossingsOfLinesAndArcs) {
  for (const Case& c : cases()) {
    ContourLink a = c.a, b = c.b;
    if (c.bounds) {
      segment_bounding_circle(&a, c.nodes.data());
      segment_bounding_circle(&b, c.nodes.data());
    }
    PathCrossings got;
    ASSERT_EQ(intersect_path_links(a, b, c.nodes.data(), &got), c.count) << c.what;
    for (size_t k = 0; k < c.crossings.size(); ++k) {
      EXPECT_NEAR(got.x[k], c.crossings[k].x, 1e-12) << c.what << " crossing " << k;
      EXPECT_NEAR(got.y[k], c.crossings[k].y, 1e-12) << c.what << " crossing " << k;
      EXPECT_NEAR(got.on_a[k], c.crossings[k].on_a, 1e-12) << c.what << " crossing " << k;
      EXPECT_NEAR(got.on_b[k], c.crossings[k].on_b, 1e-12) << c.what << " crossing " << k;
    }
  }
}

TEST(PathIntersect, WritesOnlyTheCrossingsItReports) {
  const std::vector<ContourNode> nodes = {{0, 0}, {2, 2}, {0, 2}, {2, 0}};
  ContourLink a = line_link(0, 1), b = line_link(2, 3);
  segment_bounding_circle(&a, nodes.data());
  segment_bounding_circle(&b, nodes.data());
  PathCrossings got;
  got.x[1] = got.on_a[1] = 42.0;
  ASSERT_EQ(intersect_path_links(a, b, nodes.data(), &got), 1);
  EXPECT_EQ(got.x[1], 42.0);
  EXPECT_EQ(got.on_a[1], 42.0);
}

// Arc a ends at node 1 = (1,0); arc b starts there and its circle crosses a's circle a hair
// before that node (fraction 1 - 1e-8 on a, about 2e-8 on b), and once more far from it at
// (0.6, 0.8). The crossing next to the node counts only when the arcs do not share it.
TEST(PathIntersect, ArcsThatFollowEachOtherDoNotCrossAtTheirNode) {
  const double near = PI / 2 - 1e-8 * PI;  // bearing on a of the crossing beside the node
  const ContourNode hair = on_circle(0, 0, 1, near);
  const ContourNode c2 = {1.6, 0.8};
  const double r2 = std::hypot(hair.x - c2.x, hair.y - c2.y);
  const double b_start = std::atan2(1.0 - c2.x, 0.0 - c2.y);  // bearing of (1,0) from c2
  std::vector<ContourNode> nodes = {
      {-1, 0},
      {1, 0},
      {0, 0},                                    // a: unit circle, clockwise over the top
      on_circle(c2.x, c2.y, r2, b_start + 1.0),  // 3: b's end, one radian on
      c2,                                        // 4: b's centre
      {1, 0}};                                   // 5: a second node at a's end point
  ContourLink a = arc_link(0, 1, 2, 1, CONTOUR_CLOCKWISE);
  struct Variant {
    int32_t b_start_node;
    bool swap;
    int32_t count;
    const char* what;
  } variants[] = {
      {1, false, 1, "b starts at a's end node"},
      {5, false, 2, "b starts at a node of its own"},
      {1, true, 1, "same arcs, asked the other way round"},
  };
  for (const Variant& v : variants) {
    ContourLink b = arc_link(v.b_start_node, 3, 4, r2, CONTOUR_CLOCKWISE);
    segment_bounding_circle(&a, nodes.data());
    segment_bounding_circle(&b, nodes.data());
    PathCrossings got;
    const int32_t count = v.swap ? intersect_path_links(b, a, nodes.data(), &got)
                                 : intersect_path_links(a, b, nodes.data(), &got);
    ASSERT_EQ(count, v.count) << v.what;
    bool far_seen = false, near_seen = false;
    for (int32_t k = 0; k < count; ++k) {
      if (std::hypot(got.x[k] - 0.6, got.y[k] - 0.8) < 1e-6) far_seen = true;
      if (std::hypot(got.x[k] - 1.0, got.y[k]) < 1e-7) near_seen = true;
    }
    EXPECT_TRUE(far_seen) << v.what;
    EXPECT_EQ(near_seen, v.count == 2) << v.what;
  }
}

}  // namespace
