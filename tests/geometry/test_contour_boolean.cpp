// The boolean engine on shapes whose results are known exactly: areas, loop counts, which
// way the loops run, containment without crossings, failures told apart from empty results,
// and the caller's arrays left alone when they are used in place.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "geometry/contour_boolean.h"
#include "geometry/contour_boolean_internal.h"
#include "geometry/contour_kernel.h"
#include "geometry/contour_network.h"
#include "tests/geometry/boolean_fixtures.h"
#include "tests/geometry/contour_shapes.h"

using boolean_test::combine;
using boolean_test::count_arcs;
using boolean_test::expect_closed_loops;
using boolean_test::join_shapes;
using boolean_test::loop_area;
using boolean_test::region_area;
using contour_test::arc_corner;
using contour_test::Corner;
using contour_test::g_shown;
using contour_test::line_corner;
using contour_test::Shape;

namespace {

constexpr double PI = CONTOUR_PI;

class ContourBooleanTest : public contour_test::KernelMessagesTest {
 protected:
  void SetUp() override {
    KernelMessagesTest::SetUp();
    reset_contour_boolean_state();
  }
  void TearDown() override {
    KernelMessagesTest::TearDown();
    reset_contour_boolean_state();
  }

  bool failed() const {
    return (g_contour_kernel.EngineStatus & ENGINE_STATUS_BOOLEAN_FAILED) != 0;
  }

  ContourNetwork out;
};

// ---- shapes ----

std::vector<Corner> rectangle(double x0, double y0, double x1, double y1) {
  return {line_corner(x0, y0), line_corner(x1, y0), line_corner(x1, y1), line_corner(x0, y1)};
}

Shape two(const std::vector<Corner>& a, const std::vector<Corner>& b) {
  Shape s;
  s.add_closed(a);
  s.add_closed(b);
  return s;
}

Shape two_circles(double ax, double ay, double ar, double bx, double by, double br) {
  Shape s;
  s.add_circle(ax, ay, ar);
  s.add_circle(bx, by, br);
  return s;
}

// Area of the lens two circles of radius r share when their centres are d apart.
double lens_area(double r, double d) {
  return 2.0 * r * r * std::acos(d / (2.0 * r)) - 0.5 * d * std::sqrt(4.0 * r * r - d * d);
}

// ---- where two segments meet ----

struct MeetCase {
  const char* name;
  // Nodes of the two segments: start, end and (arcs) centre of a, then of b.
  std::vector<ContourNode> nodes;
  bool a_arc, b_arc;
  int32_t a_direction, b_direction;
  int32_t count;
  std::vector<std::pair<double, double>> fractions;  // on a and on b of each point, in order
};

ContourLink segment(int32_t first_node, bool arc, int32_t direction,
                    const std::vector<ContourNode>& nodes) {
  ContourLink l;
  l.start_node = first_node;
  l.end_node = first_node + 1;
  if (arc) {
    l.kind = SEGMENT_ARC;
    l.centre_node = first_node + 2;
    l.radius = std::hypot(nodes[first_node].x - nodes[first_node + 2].x,
                          nodes[first_node].y - nodes[first_node + 2].y);
    l.direction = direction;
  }
  segment_bounding_circle(&l, nodes.data());
  return l;
}

// The point at `bearing` (clockwise from +Y) on the circle of radius r about (cx, cy).
ContourNode at_bearing(double cx, double cy, double r, double bearing) {
  return {cx + r * std::sin(bearing), cy + r * std::cos(bearing)};
}

// Where the unit circles about (0, 0) and (1, 0) cross above the axis: bearing pi/6 from the
// first centre, 11pi/6 from the second.
const double UPPER_CROSSING = PI / 6;

TEST_F(ContourBooleanTest, SegmentsMeet) {
  const MeetCase cases[] = {
      {"lines crossing", {{0, 0}, {2, 2}, {0, 2}, {2, 0}}, false, false, 0, 0, 1, {{0.5, 0.5}}},
      {"lines meeting end to start",
       {{0, 0}, {1, 0}, {1, 0}, {1, 1}},
       false,
       false,
       0,
       0,
       1,
       {{1, 0}}},
      {"lines overlapping along one line",
       {{0, 0}, {2, 0}, {3, 0}, {1, 0}},
       false,
       false,
       0,
       0,
       2,
       {{1, 0.5}, {0.5, 1}}},
      {"parallel lines apart", {{0, 0}, {2, 0}, {0, 1}, {2, 1}}, false, false, 0, 0, 0, {}},
      {"line through a half circle",
       {{-2, 0.5}, {2, 0.5}, {-1, 0}, {1, 0}, {0, 0}},
       false,
       true,
       0,
       CONTOUR_CLOCKWISE,
       2,
       {{0.5 - std::sqrt(0.75) / 4, 1.0 / 6}, {0.5 + std::sqrt(0.75) / 4, 5.0 / 6}}},
      {"arcs of one circle overlapping",
       {at_bearing(0, 0, 1, 0),
        at_bearing(0, 0, 1, PI),
        {0, 0},
        at_bearing(0, 0, 1, PI / 2),
        at_bearing(0, 0, 1, 3 * PI / 2),
        {0, 0}},
       true,
       true,
       CONTOUR_CLOCKWISE,
       CONTOUR_CLOCKWISE,
       2,
       {{1, 0.5}, {0.5, 0}}},
      // Each arc ends a hair (1e-13 rad) short of the other circle: the crossing still counts,
      // on whichever side of the end it falls.
      {"clockwise arc ending just short of a crossing",
       {at_bearing(0, 0, 1, 0),
        at_bearing(0, 0, 1, UPPER_CROSSING - 1e-13),
        {0, 0},
        at_bearing(1, 0, 1, 3 * PI / 2),
        at_bearing(1, 0, 1, 2 * PI - 0.1),
        {1, 0}},
       true,
       true,
       CONTOUR_CLOCKWISE,
       CONTOUR_CLOCKWISE,
       1,
       {{1, (PI / 3) / (PI / 2 - 0.1)}}},
      {"counter-clockwise arc ending just short of a crossing",
       {at_bearing(0, 0, 1, PI / 2),
        at_bearing(0, 0, 1, UPPER_CROSSING + 1e-13),
        {0, 0},
        at_bearing(1, 0, 1, 3 * PI / 2),
        at_bearing(1, 0, 1, 2 * PI - 0.1),
        {1, 0}},
       true,
       true,
       CONTOUR_COUNTER_CLOCKWISE,
       CONTOUR_CLOCKWISE,
       1,
       {{1, (PI / 3) / (PI / 2 - 0.1)}}},
  };
  for (const MeetCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t b_first = c.a_arc ? 3 : 2;
    const ContourLink a = segment(0, c.a_arc, c.a_direction, c.nodes);
    const ContourLink b = segment(b_first, c.b_arc, c.b_direction, c.nodes);
    PathCrossings found;
    ASSERT_EQ(intersect_segments(a, b, c.nodes.data(), &found), c.count);
    for (int32_t k = 0; k < c.count; ++k) {
      EXPECT_NEAR(found.on_a[k], c.fractions[k].first, 1e-9) << "point " << k;
      EXPECT_NEAR(found.on_b[k], c.fractions[k].second, 1e-9) << "point " << k;
    }
  }
}

// ---- exact results ----

struct ExactCase {
  const char* name;
  std::function<Shape()> shape;
  double area[4];    // union, A - B, B - A, intersection
  int32_t loops[4];  // -1: any number
  // Area error allowed beyond 1e-7 x (1 + the area). The network refits the two half
  // circles a circle becomes to their ends, which leaves a centre up to ~1.5e-8 x radius
  // off (the square root of the rounding of r^2 - (chord/2)^2, chord = 2r); a sliver's area
  // moves by its chord (2 units) times that.
  double slack = 0.0;
};

const double LENS = lens_area(1.0, 1.2);
const double THIN_LENS = lens_area(100.0, 199.99);

const ExactCase EXACT_CASES[] = {
    {"squares overlapping by a quarter",
     [] { return two(rectangle(0, 0, 1, 1), rectangle(0.5, 0.5, 1.5, 1.5)); },
     {1.75, 0.75, 0.75, 0.25},
     {1, 1, 1, 1}},
    {"squares given clockwise and counter-clockwise",
     [] {
       std::vector<Corner> b = rectangle(0.5, -0.5, 1.5, 0.5);
       std::reverse(b.begin(), b.end());
       return two(rectangle(0, 0, 1, 1), b);
     },
     {1.75, 0.75, 0.75, 0.25},
     {1, 1, 1, 1}},
    {"equal circles",
     [] { return two_circles(0, 0, 1, 1.2, 0, 1); },
     {2 * PI - LENS, PI - LENS, PI - LENS, LENS},
     {1, 1, 1, 1}},
    {"large circles overlapping by a sliver",
     [] { return two_circles(0, 0, 100, 199.99, 0, 100); },
     {2e4 * PI - THIN_LENS, 1e4 * PI - THIN_LENS, 1e4 * PI - THIN_LENS, THIN_LENS},
     {1, 1, 1, 1},
     1e-5},
    {"circle and its right half",
     [] {
       Shape s;
       s.add_circle(0, 0, 1);
       s.add_closed({arc_corner(0, 1, 0, 0, CONTOUR_CLOCKWISE), line_corner(0, -1)});
       return s;
     },
     {PI, PI / 2, 0, PI / 2},
     {1, 1, 0, 1}},
    {"square and a circle touching its corners",
     [] {
       Shape s;
       s.add_closed(rectangle(-1, -1, 1, 1));
       s.add_circle(1, 0, 1);
       return s;
     },
     {4 + PI / 2, 4 - PI / 2, PI / 2, PI / 2},
     {1, 1, 1, 1}},
    {"squares side by side",
     [] { return two(rectangle(0, 0, 1, 1), rectangle(1, 0, 2, 1)); },
     {2, 1, 1, 0},
     {1, 1, 1, 0}},
    {"squares sharing half an edge",
     [] { return two(rectangle(0, 0, 1, 1), rectangle(1, 0.5, 2, 1.5)); },
     {2, 1, 1, 0},
     {1, 1, 1, 0}},
    {"square in a corner of a larger one",
     [] { return two(rectangle(0, 0, 1, 1), rectangle(0, 0, 0.5, 0.5)); },
     {1, 0.75, 0, 0.25},
     {1, 1, 0, 1}},
    {"a diamond touching the inside of a square at one corner",
     [] {
       return two(rectangle(0, 0, 2, 2), {line_corner(0, 1), line_corner(0.5, 0.5),
                                          line_corner(1, 1), line_corner(0.5, 1.5)});
     },
     {4, 3.5, 0, 0.5},
     {1, -1, 0, 1}},
    {"squares touching at a corner",
     [] { return two(rectangle(0, 0, 1, 1), rectangle(1, 1, 2, 2)); },
     {2, 1, 1, 0},
     {-1, 1, 1, 0}},
    {"the same square from another corner",
     [] {
       std::vector<Corner> b = rectangle(0, 0, 1, 1);
       std::rotate(b.begin(), b.begin() + 2, b.end());
       return two(rectangle(0, 0, 1, 1), b);
     },
     {1, 0, 0, 1},
     {1, 0, 0, 1}},
    {"the same circle twice",
     [] { return two_circles(3, 4, 2, 3, 4, 2); },
     {4 * PI, 0, 0, 4 * PI},
     {1, 0, 0, 1}},
    {"a bar across a U, closing a hole",
     [] {
       return two({line_corner(0, 0), line_corner(3, 0), line_corner(3, 3), line_corner(2, 3),
                   line_corner(2, 1), line_corner(1, 1), line_corner(1, 3), line_corner(0, 3)},
                  rectangle(-0.5, 2, 3.5, 2.5));
     },
     {8, 6, 1, 1},
     {2, 3, 3, 2}},
};

TEST_F(ContourBooleanTest, ExactAreasAndLoopCounts) {
  for (const ExactCase& c : EXACT_CASES) {
    const Shape s = c.shape();
    for (int32_t mode = 0; mode < 4; ++mode) {
      SCOPED_TRACE(std::string(c.name) + ", mode " + std::to_string(mode));
      reset_contour_kernel_state();
      const int32_t loops = combine(s, mode, &out);
      EXPECT_FALSE(failed());
      if (c.loops[mode] >= 0) {
        EXPECT_EQ(loops, c.loops[mode]);
      } else {
        EXPECT_GT(loops, 0);
      }
      ASSERT_EQ(static_cast<int32_t>(out.firsts.size()), std::max(loops, 0));
      expect_closed_loops(out);
      EXPECT_NEAR(region_area(out), c.area[mode], 1e-7 * (1.0 + c.area[mode]) + c.slack);
    }
  }
}

TEST_F(ContourBooleanTest, LoopsRunClockwiseExceptTheIntersection) {
  const Shape s = two(rectangle(0, 0, 1, 1), rectangle(0.5, 0.5, 1.5, 1.5));
  for (int32_t mode = 0; mode < 5; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    ASSERT_EQ(combine(s, mode, &out), 1);
    if (mode == BOOLEAN_INTERSECTION) {
      EXPECT_GT(loop_area(out, 0), 0.0);
    } else {
      EXPECT_LT(loop_area(out, 0), 0.0);
    }
  }
  // The overlap is the square between the two crossings and the inner corners.
  ASSERT_EQ(combine(s, BOOLEAN_INTERSECTION, &out), 1);
  std::vector<std::pair<double, double>> corners;
  for (int32_t k = out.firsts[0]; k <= out.lasts[0]; ++k)
    corners.emplace_back(out.nodes[out.links[k].start_node].x,
                         out.nodes[out.links[k].start_node].y);
  std::sort(corners.begin(), corners.end());
  const std::vector<std::pair<double, double>> expected = {{0.5, 0.5}, {0.5, 1}, {1, 0.5}, {1, 1}};
  ASSERT_EQ(corners.size(), expected.size());
  for (size_t k = 0; k < corners.size(); ++k) {
    EXPECT_NEAR(corners[k].first, expected[k].first, 1e-12);
    EXPECT_NEAR(corners[k].second, expected[k].second, 1e-12);
  }
}

TEST_F(ContourBooleanTest, ArcsStayArcsOnTheirCircles) {
  const Shape s = two_circles(0, 0, 1, 1.2, 0, 1);
  for (int32_t mode = 0; mode < 4; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    ASSERT_EQ(combine(s, mode, &out), 1);
    EXPECT_EQ(count_arcs(out), static_cast<int32_t>(out.links.size()));
    for (const ContourLink& l : out.links) {
      const ContourNode& c = out.nodes[l.centre_node];
      EXPECT_NEAR(l.radius, 1.0, 1e-12);
      EXPECT_TRUE(std::hypot(c.x, c.y) < 1e-12 || std::hypot(c.x - 1.2, c.y) < 1e-12);
    }
  }
}

TEST_F(ContourBooleanTest, UnionWithAHolePutsTheOutlineFirstOnRequest) {
  const Shape s = two({line_corner(0, 0), line_corner(3, 0), line_corner(3, 3), line_corner(2, 3),
                       line_corner(2, 1), line_corner(1, 1), line_corner(1, 3), line_corner(0, 3)},
                      rectangle(-0.5, 2, 3.5, 2.5));
  ContourNetwork plain;
  ASSERT_EQ(combine(s, BOOLEAN_UNION, &plain), 2);
  ASSERT_EQ(combine(s, BOOLEAN_UNION_OUTER_FIRST, &out), 2);
  EXPECT_LT(loop_area(out, 0), 0.0);  // clockwise: the outline
  EXPECT_NEAR(loop_area(out, 0), -9.0, 1e-12);
  EXPECT_NEAR(loop_area(out, 1), 1.0, 1e-12);  // the hole, counter-clockwise
  EXPECT_NEAR(region_area(out), region_area(plain), 1e-12);
}

// ---- no crossing ----

struct ApartCase {
  const char* name;
  std::vector<Corner> a, b;
  int32_t result;  // in every mode
};

TEST_F(ContourBooleanTest, ContoursThatDoNotCross) {
  const ApartCase cases[] = {
      {"apart", rectangle(0, 0, 1, 1), rectangle(2, 0, 3, 1), 0},
      {"A inside B", rectangle(0.25, 0.25, 0.75, 0.75), rectangle(0, 0, 1, 1), BOOLEAN_A_INSIDE_B},
      {"B inside A", rectangle(0, 0, 1, 1), rectangle(0.25, 0.25, 0.75, 0.75), BOOLEAN_B_INSIDE_A},
  };
  for (const ApartCase& c : cases) {
    const Shape s = two(c.a, c.b);
    for (int32_t mode = 0; mode < 5; ++mode) {
      SCOPED_TRACE(std::string(c.name) + ", mode " + std::to_string(mode));
      reset_contour_kernel_state();
      EXPECT_EQ(combine(s, mode, &out), c.result);
      EXPECT_EQ(g_contour_kernel.EngineStatus, 0);  // not a failure
      EXPECT_TRUE(out.links.empty());
      EXPECT_TRUE(out.firsts.empty());
    }
  }
}

// ---- nearly coincident contours ----

std::vector<Corner> regular_polygon(int n, double radius, double dx, double dy) {
  std::vector<Corner> corners;
  for (int k = 0; k < n; ++k)
    corners.push_back(line_corner(dx + radius * std::cos(2 * PI * k / n),
                                  dy + radius * std::sin(2 * PI * k / n)));
  return corners;
}

// With 2 corners: a disc of two arcs.
std::vector<Corner> figure(int corners, double size, double dx, double dy) {
  if (corners == 4) return rectangle(dx, dy, dx + size, dy + size);
  if (corners == 2)
    return {arc_corner(dx + size, dy, dx, dy, CONTOUR_COUNTER_CLOCKWISE),
            arc_corner(dx - size, dy, dx, dy, CONTOUR_COUNTER_CLOCKWISE)};
  return regular_polygon(corners, size, dx, dy);
}

// A contour and its copy moved by a hair: the union and the intersection are one loop, the
// differences at most a sliver, every area right within the engine's tolerance, and all four
// are decided rather than failed. These once gave both contours for the union and
// the intersection, a whole contour for each difference, or a loop that ran round twice.
TEST_F(ContourBooleanTest, CopiesMovedByAHairCombineAsOne) {
  struct NudgeCase {
    const char* name;
    int corners;  // 4: a square of side `size`; 2 a disc, else a regular polygon, of radius size
    double size;
    double shift;  // along x
  };
  const NudgeCase cases[] = {
      {"square 1 by 1e-6", 4, 1, 1e-6},        {"square 10 by 1e-6", 4, 10, 1e-6},
      {"disc 10 by 1e-6", 2, 10, 1e-6},        {"disc 0.5 by 1e-7", 2, 0.5, 1e-7},
      {"square 10 by 1e-5", 4, 10, 1e-5},      {"square 100 by 1e-6", 4, 100, 1e-6},
      {"square 100 by 1e-4", 4, 100, 1e-4},    {"pentagon 10 by 1e-6", 5, 10, 1e-6},
      {"octagon 10 by 3e-7", 8, 10, 3e-7},     {"square 1 far out by 1e-6", 4, 1, 1e-6},
      // Beyond the tolerance the copies are told apart, and the slivers come out.
      {"square 1 by 1e-5", 4, 1, 1e-5},        {"square 1 by 1e-4", 4, 1, 1e-4},
      {"square 10 by 1e-3", 4, 10, 1e-3},
  };
  for (const NudgeCase& c : cases) {
    const bool far_out = std::string(c.name).find("far") != std::string::npos;
    const double at = far_out ? 2047.0 : 0.0;
    const Shape s =
        two(figure(c.corners, c.size, at, at), figure(c.corners, c.size, at + c.shift, at));
    const std::vector<ContourNode> outline = contour_test::flatten(s, 0, 1e-4);
    const double area = std::fabs(contour_test::polygon_area(outline));
    const double perimeter = contour_test::polygon_length(outline);
    const double extent = c.corners == 4 ? c.size : 2 * c.size;
    const double tolerance = 2 * perimeter * boolean_tolerance(extent, extent);
    // Union, A - B, B - A, intersection: the polygons' slivers are well within the tolerance.
    const double sliver = c.corners == 4 ? c.size * c.shift : 0.0;
    const double areas[4] = {area + sliver, sliver, sliver, area - sliver};
    for (int32_t mode = 0; mode < 4; ++mode) {
      SCOPED_TRACE(std::string(c.name) + ", mode " + std::to_string(mode));
      reset_contour_kernel_state();
      const int32_t loops = combine(s, mode, &out);
      EXPECT_FALSE(failed());
      EXPECT_EQ(loops, mode == BOOLEAN_UNION || mode == BOOLEAN_INTERSECTION ? 1 : loops);
      EXPECT_GE(loops, 0);
      expect_closed_loops(out);
      EXPECT_NEAR(region_area(out), areas[mode], tolerance);
    }
  }
}

// The check every result passes before it is returned: the right loops pass; both contours
// returned for the union, the wrong region, and a loop that runs round twice do not.
TEST_F(ContourBooleanTest, ResultCheckRefusesWrongLoops) {
  const Shape s = two(rectangle(0, 0, 1, 1), rectangle(0.5, 0.5, 1.5, 1.5));
  ContourNetwork net;
  ASSERT_EQ(build_contour_network(s.links.data(), s.nodes.data(), s.firsts.data(), s.lasts.data(),
                                  2, &net, CONTOUR_CLOCKWISE, 1),
            1);
  ContourNetwork both;  // the two squares as loops, as the union once came out
  ASSERT_EQ(build_contour_network(s.links.data(), s.nodes.data(), s.firsts.data(), s.lasts.data(),
                                  2, &both, CONTOUR_CLOCKWISE, 1),
            1);
  ContourNetwork right[4];
  for (int32_t mode = 0; mode < 4; ++mode) ASSERT_EQ(combine(s, mode, &right[mode]), 1);
  ContourNetwork twice = right[BOOLEAN_UNION];  // the union's loop, round twice
  const int32_t links = static_cast<int32_t>(twice.links.size());
  for (int32_t k = 0; k < links; ++k) twice.links.push_back(twice.links[k]);
  twice.lasts[0] = 2 * links - 1;

  // The state of a union of the two squares, as the engine has it when it checks.
  ContourBooleanState& st = g_contour_boolean;
  st.links = net.links.data();
  st.nodes = net.nodes.data();
  for (int c = 0; c < 2; ++c) {
    st.first[c] = net.firsts[c];
    st.last[c] = net.lasts[c];
  }
  st.tolerance = boolean_tolerance(1.0, 1.0);
  st.extent = 1.0;
  for (int32_t i = st.first[0]; i <= st.last[0]; ++i) {
    for (int32_t j = st.first[1]; j <= st.last[1]; ++j) {
      PathCrossings found;
      const int32_t count = intersect_segments(net.links[i], net.links[j], st.nodes, &found);
      for (int32_t k = 0; k < count; ++k)
        st.crossings.push_back({i, j, found.on_a[k], found.on_b[k], i + found.on_a[k],
                                j + found.on_b[k]});
    }
  }
  ASSERT_FALSE(st.crossings.empty());
  for (int32_t mode = 0; mode < 4; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    st.mode = mode;
    st.keep[0] = mode == BOOLEAN_B_MINUS_A || mode == BOOLEAN_INTERSECTION ? 0 : 1;
    st.keep[1] = mode == BOOLEAN_A_MINUS_B || mode == BOOLEAN_INTERSECTION ? 0 : 1;
    for (int32_t other = 0; other < 4; ++other)
      EXPECT_EQ(boolean_result_holds(right[other]), other == mode) << "loops of mode " << other;
    EXPECT_FALSE(boolean_result_holds(both));
    EXPECT_FALSE(boolean_result_holds(twice));
  }
}

// ---- failures ----

TEST_F(ContourBooleanTest, FailuresSetTheStatusBit) {
  struct FailCase {
    const char* name;
    std::function<Shape()> shape;
    int32_t mode;
    int32_t also;  // the more telling bit beside the failure bit, or 0
  };
  const FailCase cases[] = {
      {"A crosses itself",
       [] {
         return two({line_corner(0, 0), line_corner(1, 1), line_corner(1, 0), line_corner(0, 1)},
                    rectangle(0.5, 0.5, 2, 2));
       },
       BOOLEAN_UNION, ENGINE_STATUS_SELF_CROSSING},
      {"B is not chained",
       [] {
         Shape s = two(rectangle(0, 0, 1, 1), rectangle(0.5, 0.5, 2, 2));
         s.links[s.lasts[1]].end_node = s.links[s.lasts[1]].start_node;
         return s;
       },
       BOOLEAN_UNION, ENGINE_STATUS_NOT_CHAINED},
      {"unknown mode", [] { return two(rectangle(0, 0, 1, 1), rectangle(0.5, 0.5, 2, 2)); }, 5, 0},
      {"negative mode", [] { return two(rectangle(0, 0, 1, 1), rectangle(0.5, 0.5, 2, 2)); }, -1,
       0},
  };
  for (const FailCase& c : cases) {
    SCOPED_TRACE(c.name);
    reset_contour_kernel_state();
    const Shape s = c.shape();
    EXPECT_EQ(combine(s, c.mode, &out), 0);
    EXPECT_TRUE(failed());
    if (c.also != 0) {
      EXPECT_NE(g_contour_kernel.EngineStatus & c.also, 0);
    }
    EXPECT_TRUE(out.links.empty());
    EXPECT_TRUE(out.firsts.empty());
  }
}

TEST_F(ContourBooleanTest, TooManyLinksIsShownAndFails) {
  std::vector<Corner> many;
  const int n = CONTOUR_NETWORK_MAX_SPAN + 2;
  for (int k = 0; k < n; ++k) {
    const double a = -2 * PI * k / n;
    many.push_back(line_corner(std::cos(a), std::sin(a)));
  }
  const Shape s = two(many, rectangle(0.5, -0.5, 2, 0.5));
  EXPECT_EQ(combine(s, BOOLEAN_UNION, &out), 0);
  EXPECT_TRUE(failed());
  ASSERT_EQ(g_shown.size(), 1u);
  EXPECT_EQ(g_shown[0], "Too many links in curve");
}

TEST_F(ContourBooleanTest, EmptyRangesFail) {
  const Shape s = two(rectangle(0, 0, 1, 1), rectangle(0.5, 0.5, 2, 2));
  EXPECT_EQ(combine_contours(s.links.data(), s.nodes.data(), 3, 2, s.firsts[1], s.lasts[1], &out,
                             BOOLEAN_UNION, 1),
            0);
  EXPECT_TRUE(failed());
}

TEST_F(ContourBooleanTest, PlainCopiesAreCombinedToo) {
  // Without cleaning the copies keep the caller's orientation and get no bounding circles
  // from the network; the engine sees to both.
  std::vector<Corner> b = rectangle(0.5, 0.5, 1.5, 1.5);
  std::reverse(b.begin(), b.end());
  const Shape s = two(rectangle(0, 0, 1, 1), b);
  const double areas[4] = {1.75, 0.75, 0.75, 0.25};
  for (int32_t mode = 0; mode < 4; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    EXPECT_EQ(combine(s, mode, &out, 0), 1);
    EXPECT_NEAR(region_area(out), areas[mode], 1e-12);
  }
}

// ---- inputs used in place ----

TEST_F(ContourBooleanTest, CleanInputsAreUsedInPlaceAndLeftAlone) {
  Shape s;
  s.add_circle(0, 0, 1);
  s.add_closed({line_corner(0.5, -0.5), line_corner(2, -0.5), arc_corner(2, 0.5, 2, 0, 0),
                line_corner(0.5, 0.5)});
  ContourNetwork net;
  ASSERT_EQ(build_contour_network(s.links.data(), s.nodes.data(), s.firsts.data(), s.lasts.data(),
                                  2, &net, CONTOUR_CLOCKWISE, 1),
            1);
  const ContourNetwork before = net;
  for (int32_t mode = 0; mode < 4; ++mode) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    ContourNetwork copied;
    const int32_t expected = combine(s, mode, &copied);
    ASSERT_GT(expected, 0);
    const int32_t loops =
        combine_contours(net.links.data(), net.nodes.data(), net.firsts[0], net.lasts[0],
                         net.firsts[1], net.lasts[1], &out, mode, BOOLEAN_INPUT_IS_NETWORK);
    EXPECT_EQ(loops, expected);
    EXPECT_NEAR(region_area(out), region_area(copied), 1e-12);
    EXPECT_EQ(count_arcs(out), count_arcs(copied));
    ASSERT_EQ(net.links.size(), before.links.size());
    ASSERT_EQ(net.nodes.size(), before.nodes.size());
    EXPECT_EQ(
        std::memcmp(net.links.data(), before.links.data(), net.links.size() * sizeof(ContourLink)),
        0);
    EXPECT_EQ(
        std::memcmp(net.nodes.data(), before.nodes.data(), net.nodes.size() * sizeof(ContourNode)),
        0);
  }
}

}  // namespace
