// Building clean contour networks: what cleaning does to collected contours, what it
// refuses, open paths, and inputs beyond the sizes the tables were once made for.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "geometry/contour_kernel.h"
#include "geometry/contour_network.h"
#include "tests/geometry/contour_shapes.h"

using contour_test::arc_corner;
using contour_test::Corner;
using contour_test::g_shown;
using contour_test::line_corner;
using contour_test::Shape;

namespace {

constexpr double PI = CONTOUR_PI;

class ContourNetworkTest : public contour_test::KernelMessagesTest {
 protected:
  int32_t build(const Shape& s, int32_t wanted_direction, int32_t clean = 1) {
    return build_contour_network(s.links.data(), s.nodes.data(), s.firsts.data(), s.lasts.data(),
                                 static_cast<int32_t>(s.firsts.size()), &net, wanted_direction,
                                 clean);
  }

  const ContourNode& start_of(int32_t link) const { return net.nodes[net.links[link].start_node]; }
  const ContourNode& end_of(int32_t link) const { return net.nodes[net.links[link].end_node]; }

  // Every contour of the network is chained and closed.
  void expect_closed_chains() const {
    for (size_t c = 0; c < net.firsts.size(); ++c) {
      for (int32_t k = net.firsts[c]; k < net.lasts[c]; ++k) {
        EXPECT_EQ(net.links[k].end_node, net.links[k + 1].start_node) << "contour " << c;
      }
      EXPECT_EQ(net.links[net.lasts[c]].end_node, net.links[net.firsts[c]].start_node)
          << "contour " << c;
    }
  }

  ContourNetwork net;
};

void expect_at(const ContourNode& p, double x, double y, const char* what) {
  EXPECT_NEAR(p.x, x, 1e-9) << what;
  EXPECT_NEAR(p.y, y, 1e-9) << what;
}

// A regular polygon of n corners and radius 100, counter-clockwise.
Shape polygon(int n) {
  std::vector<Corner> corners;
  for (int k = 0; k < n; ++k) {
    const double a = 2 * PI * k / n;
    corners.push_back(line_corner(100 * std::cos(a), 100 * std::sin(a)));
  }
  Shape s;
  s.add_closed(corners);
  return s;
}

TEST_F(ContourNetworkTest, ContourSpanLimit) {
  EXPECT_EQ(build(polygon(CONTOUR_NETWORK_MAX_SPAN + 1), CONTOUR_COUNTER_CLOCKWISE), 1);
  EXPECT_EQ(net.lasts[0] - net.firsts[0], CONTOUR_NETWORK_MAX_SPAN);
  EXPECT_TRUE(g_shown.empty());

  EXPECT_EQ(build(polygon(CONTOUR_NETWORK_MAX_SPAN + 2), CONTOUR_COUNTER_CLOCKWISE), 0);
  ASSERT_EQ(g_shown.size(), 1u);
  EXPECT_EQ(g_shown[0], "Too many links in curve");
}

TEST_F(ContourNetworkTest, CircleBecomesTwoClockwiseHalves) {
  Shape s;
  s.add_circle(3, 4, 2);
  ASSERT_EQ(build(s, CONTOUR_CLOCKWISE), 1);
  ASSERT_EQ(net.lasts[0] - net.firsts[0], 1);
  const double dx = 2 * std::cos(0.87), dy = 2 * std::sin(0.87);
  for (int32_t k = 0; k < 2; ++k) {
    EXPECT_EQ(net.links[k].kind, SEGMENT_ARC);
    EXPECT_EQ(net.links[k].direction, CONTOUR_CLOCKWISE);
    EXPECT_NEAR(net.links[k].radius, 2.0, 1e-12);
    // Refitting a half circle to its ends takes a square root of almost nothing, which
    // leaves the centre off by about the square root of the rounding error.
    const ContourNode& centre = net.nodes[net.links[k].centre_node];
    EXPECT_NEAR(centre.x, 3, 1e-7);
    EXPECT_NEAR(centre.y, 4, 1e-7);
    EXPECT_NEAR(net.links[k].bound_radius, 2.0, 1e-9) << "a half circle's bound is its chord";
  }
  expect_at(start_of(0), 3 + dx, 4 + dy, "first half starts");
  expect_at(start_of(1), 3 - dx, 4 - dy, "second half starts");
  expect_closed_chains();
}

TEST_F(ContourNetworkTest, ShortArcBecomesLine) {
  // Triangle-like contour with an arc of radius 1 and length 1e-4 at its second corner.
  const double a = 100.0 * PI / 180.0;
  const double qx = 2 + 1e-4 * std::cos(a), qy = 1e-4 * std::sin(a);
  const double mx = (2 + qx) / 2, my = qy / 2;
  const double off = std::sqrt(1.0 - 0.25e-8);
  Shape s;
  s.add_closed(
      {line_corner(0, 0),
       arc_corner(2, 0, mx - off * std::sin(a), my + off * std::cos(a), CONTOUR_COUNTER_CLOCKWISE),
       line_corner(qx, qy), line_corner(0, 2)});
  ASSERT_EQ(build(s, CONTOUR_COUNTER_CLOCKWISE), 1);
  ASSERT_EQ(net.lasts[0], 3);
  EXPECT_EQ(net.links[1].kind, SEGMENT_LINE);
  expect_at(start_of(1), 2, 0, "short arc's start");
  expect_at(end_of(1), qx, qy, "short arc's end");
}

TEST_F(ContourNetworkTest, CollinearRunsAreJoined) {
  struct Case {
    std::vector<Corner> corners;
    double first_x0, first_y0, first_x1, first_y1;
    const char* what;
  } cases[] = {
      {{line_corner(0, 0), line_corner(1, 0), line_corner(2, 0), line_corner(3, 0),
        line_corner(3, 3), line_corner(0, 3)},
       0,
       0,
       3,
       0,
       "three lines in a row"},
      {{line_corner(1, 0), line_corner(3, 0), line_corner(3, 3), line_corner(0, 3),
        line_corner(0, 0)},
       0,
       0,
       3,
       0,
       "run across the contour's start"},
      {{line_corner(0, 0), line_corner(3, 0), line_corner(3, 1), line_corner(3, 2),
        line_corner(3, 3), line_corner(0, 3)},
       0,
       0,
       3,
       0,
       "run in the middle"},
  };
  for (const Case& c : cases) {
    Shape s;
    s.add_closed(c.corners);
    ASSERT_EQ(build(s, CONTOUR_COUNTER_CLOCKWISE), 1) << c.what;
    EXPECT_EQ(net.lasts[0] - net.firsts[0], 3) << c.what;
    expect_at(start_of(0), c.first_x0, c.first_y0, c.what);
    expect_at(end_of(0), c.first_x1, c.first_y1, c.what);
    expect_closed_chains();
  }
  // Arcs on one circle join too: a disc of four quarter arcs comes out as two arcs, since
  // joining stops when three segments are left.
  Shape disc;
  disc.add_closed(
      {arc_corner(0, 1, 0, 0, CONTOUR_CLOCKWISE), arc_corner(1, 0, 0, 0, CONTOUR_CLOCKWISE),
       arc_corner(0, -1, 0, 0, CONTOUR_CLOCKWISE), arc_corner(-1, 0, 0, 0, CONTOUR_CLOCKWISE)});
  ASSERT_EQ(build(disc, CONTOUR_CLOCKWISE), 1);
  EXPECT_EQ(net.lasts[0] - net.firsts[0], 1);
  EXPECT_NEAR(contour_length(net.links.data(), net.nodes.data(), 0, 1), 2 * PI, 1e-9);
}

TEST_F(ContourNetworkTest, DegenerateSegmentsAreRemoved) {
  struct Case {
    std::vector<Corner> corners;
    int32_t segments;
    const char* what;
  } cases[] = {
      {{line_corner(0, 0), line_corner(1, 0), line_corner(1, 0), line_corner(1, 1),
        line_corner(0, 1)},
       4,
       "repeated corner"},
      {{line_corner(0, 0), line_corner(5e-8, 0), line_corner(1, 0), line_corner(1, 1),
        line_corner(0, 1)},
       4,
       "first segment 5e-8 long"},
      {{line_corner(0, 0), line_corner(1, 0), line_corner(1, 1), line_corner(0, 1),
        line_corner(0, 5e-8)},
       4,
       "last segment 5e-8 long"},
      {{line_corner(0, 0), line_corner(1, 0), arc_corner(1, 1, 1, 1.5, CONTOUR_CLOCKWISE),
        line_corner(1, 1), line_corner(0, 1)},
       4,
       "clockwise arc with coinciding ends"},
      // No joining removes this one: a line between arcs is never merged into them.
      {{arc_corner(10, 1, 10, 0, CONTOUR_COUNTER_CLOCKWISE), line_corner(10, -1),
        arc_corner(10, -1, 10, 0, CONTOUR_COUNTER_CLOCKWISE)},
       2,
       "repeated corner between two arcs"},
  };
  for (const Case& c : cases) {
    Shape s;
    s.add_closed(c.corners);
    ASSERT_EQ(build(s, CONTOUR_COUNTER_CLOCKWISE), 1) << c.what;
    EXPECT_EQ(net.lasts[0] - net.firsts[0] + 1, c.segments) << c.what;
    for (int32_t k = 0; k <= net.lasts[0]; ++k) {
      EXPECT_GT(segment_length(net.links[k], net.nodes.data()), 0.99) << c.what << " link " << k;
    }
    expect_closed_chains();
  }
}

TEST_F(ContourNetworkTest, OrientationIsSetPerContour) {
  Shape s;
  s.add_closed({line_corner(0, 0), line_corner(1, 0), line_corner(1, 1), line_corner(0, 1)});
  s.add_closed({line_corner(5, 1), line_corner(6, 1), line_corner(6, 0), line_corner(5, 0)});
  s.add_closed({arc_corner(10, 1, 10, 0, CONTOUR_COUNTER_CLOCKWISE),
                arc_corner(10, -1, 10, 0, CONTOUR_COUNTER_CLOCKWISE)});
  for (const int32_t wanted : {CONTOUR_CLOCKWISE, CONTOUR_COUNTER_CLOCKWISE}) {
    ASSERT_EQ(build(s, wanted), 1);
    ASSERT_EQ(net.firsts.size(), 3u);
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(
          contour_orientation(net.links.data(), net.nodes.data(), net.firsts[c], net.lasts[c]),
          wanted)
          << "contour " << c << " wanted " << wanted;
    }
    expect_closed_chains();
  }
  // The counter-clockwise square asked for clockwise runs (0,0) (0,1) (1,1) (1,0).
  ASSERT_EQ(build(s, CONTOUR_CLOCKWISE), 1);
  const double corners[][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
  for (int k = 0; k < 4; ++k)
    expect_at(start_of(k), corners[k][0], corners[k][1], "square after reversal");
}

TEST_F(ContourNetworkTest, FigureEightIsRefused) {
  Shape s;
  s.add_closed({line_corner(0, 0), line_corner(2, 2), line_corner(2, 0), line_corner(0, 2)});
  g_contour_kernel.EngineStatus = 0x40;
  EXPECT_EQ(build(s, CONTOUR_CLOCKWISE), 0);
  EXPECT_EQ(g_contour_kernel.EngineStatus, 0x40 | ENGINE_STATUS_SELF_CROSSING);
  EXPECT_FLOAT_EQ(g_contour_kernel.ProblemPoint.x, 1.0f);
  EXPECT_FLOAT_EQ(g_contour_kernel.ProblemPoint.y, 1.0f);
}

TEST_F(ContourNetworkTest, BrokenChainsAreRefused) {
  Shape s;
  s.add_closed({line_corner(0, 0), line_corner(1, 0), line_corner(1, 1), line_corner(0, 1)});
  Shape gap = s;
  gap.links[2].start_node = gap.add_node(1, 1);  // same place, but not the same node
  Shape open = s;
  open.links[3].end_node = open.add_node(0, 0);
  for (const Shape* broken : {&gap, &open}) {
    reset_contour_kernel_state();
    EXPECT_EQ(build(*broken, CONTOUR_CLOCKWISE), 0);
    EXPECT_EQ(g_contour_kernel.EngineStatus, ENGINE_STATUS_NOT_CHAINED);
  }
}

// Copying without cleaning keeps every segment as it was, but the contour ranges are still
// written: a caller has no other way to find the copied contours.
TEST_F(ContourNetworkTest, CopyOnlyKeepsSegmentsAndWritesRanges) {
  Shape s;
  s.add_closed({line_corner(0, 0), line_corner(1, 0), line_corner(1, 0), line_corner(1, 1),
                line_corner(0, 1)});
  s.add_circle(5, 5, 1);
  ASSERT_EQ(build(s, CONTOUR_CLOCKWISE, 0), 1);
  ASSERT_EQ(net.firsts.size(), 2u);
  EXPECT_EQ(net.firsts[0], 0);
  EXPECT_EQ(net.lasts[0], 4);
  EXPECT_EQ(net.firsts[1], 5);
  EXPECT_EQ(net.lasts[1], 6) << "the circle still becomes two arcs";
  const double corners[][2] = {{0, 0}, {1, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int k = 0; k < 5; ++k)
    expect_at(start_of(k), corners[k][0], corners[k][1], "kept as it was");
  EXPECT_EQ(net.links[0].bound_radius, 0.0) << "no bounding circles without cleaning";
  expect_closed_chains();
}

TEST_F(ContourNetworkTest, OpenPathRunsThereAndBack) {
  g_contour_kernel.contour_run_mode = CONTOUR_RUN_OPEN_PATH;
  Shape s;
  s.add_open({{0, 0}, {1, 0}, {1, 1}, {2, 1}});
  ASSERT_EQ(build(s, CONTOUR_CLOCKWISE), 1);
  ASSERT_EQ(net.firsts.size(), 1u);
  ASSERT_EQ(net.lasts[0] - net.firsts[0] + 1, 6);
  const double there[][2] = {{0, 0}, {1, 0}, {1, 1}, {2, 1}, {1, 1}, {1, 0}};
  for (int k = 0; k < 6; ++k) {
    expect_at(start_of(k), there[k][0], there[k][1], "path corner");
    EXPECT_GT(net.links[k].bound_radius, 0.0) << "link " << k;
  }
  expect_closed_chains();
}

// A too short first segment of an open path is dropped from the path's start; the path's
// far end stays where it is.
TEST_F(ContourNetworkTest, OpenPathKeepsItsEndWhenTheFirstSegmentIsDropped) {
  g_contour_kernel.contour_run_mode = CONTOUR_RUN_OPEN_PATH;
  Shape s;
  s.add_open({{0, 0}, {5e-8, 0}, {1, 0}, {1, 1}});
  ASSERT_EQ(build(s, CONTOUR_CLOCKWISE), 1);
  ASSERT_EQ(net.lasts[0] - net.firsts[0] + 1, 4);
  expect_at(start_of(0), 5e-8, 0, "path start");
  expect_at(end_of(1), 1, 1, "path end");
  expect_closed_chains();
}

TEST_F(ContourNetworkTest, ContoursBeyondThreeThousand) {
  Shape s;
  for (int k = 0; k < 3500; ++k) {
    const double x = 3.0 * (k % 100), y = 3.0 * (k / 100);
    s.add_closed({line_corner(x, y), line_corner(x + 1, y), line_corner(x + 1, y + 1),
                  line_corner(x, y + 1)});
  }
  ASSERT_EQ(build(s, CONTOUR_CLOCKWISE), 1);
  ASSERT_EQ(net.firsts.size(), 3500u);
  EXPECT_EQ(net.firsts[3499], 4 * 3499);
  EXPECT_EQ(net.lasts[3499], 4 * 3499 + 3);
  expect_at(net.nodes[net.links[4 * 3499].start_node], 3.0 * 99, 3.0 * 34, "last square");
  EXPECT_EQ(net.links.size(), 4u * 3500u);
}

// Two arcs meeting at (1,0) almost tangentially (the second centre is 1e-5 off the line
// through the joint and the first centre) come out exactly tangent.
TEST_F(ContourNetworkTest, NearlyTangentArcJointsAreMadeTangent) {
  Shape s;
  s.add_closed({arc_corner(-1, 0, 0, 0, CONTOUR_CLOCKWISE),
                arc_corner(1, 0, 2, 1e-5, CONTOUR_COUNTER_CLOCKWISE), line_corner(3, 0),
                line_corner(3, 2), line_corner(-2, 2), line_corner(-2, 0)});
  ASSERT_EQ(build(s, CONTOUR_CLOCKWISE), 1);
  int joints = 0;
  for (int32_t k = net.firsts[0]; k <= net.lasts[0]; ++k) {
    const int32_t next = k == net.lasts[0] ? net.firsts[0] : k + 1;
    if (net.links[k].kind != SEGMENT_ARC || net.links[next].kind != SEGMENT_ARC) continue;
    ++joints;
    const double angle = joint_angle(net.links.data(), net.nodes.data(), k, next);
    EXPECT_NEAR(angle, PI, 1e-9 * PI);
    // Both arcs still run through their own ends.
    for (const int32_t arc : {k, next}) {
      const ContourLink& l = net.links[arc];
      const ContourNode& c = net.nodes[l.centre_node];
      EXPECT_NEAR(std::hypot(start_of(arc).x - c.x, start_of(arc).y - c.y), l.radius, 1e-9);
      EXPECT_NEAR(std::hypot(end_of(arc).x - c.x, end_of(arc).y - c.y), l.radius, 1e-9);
    }
  }
  EXPECT_EQ(joints, 1);
}

// The sides x = -1 and x = 1 touch the arc's circle where they meet the arc: the path
// doubles back at both ends of the arc. The arc is opened up a little, and the joints are
// cusps no more.
TEST_F(ContourNetworkTest, CuspAtAnArcIsOpenedUp) {
  Shape s;
  s.add_closed({arc_corner(-1, 0, 0, 0, CONTOUR_CLOCKWISE), line_corner(1, 0), line_corner(1, 2),
                line_corner(-1, 2)});
  ASSERT_EQ(build(s, CONTOUR_CLOCKWISE), 1);
  for (int32_t k = net.firsts[0]; k <= net.lasts[0]; ++k) {
    const int32_t next = k == net.lasts[0] ? net.firsts[0] : k + 1;
    const double angle = joint_angle(net.links.data(), net.nodes.data(), k, next);
    EXPECT_GT(angle, 1e-3) << "joint " << k;
    EXPECT_LT(angle, 2 * PI - 1e-3) << "joint " << k;
  }
  expect_closed_chains();
}

// A line followed by an arc that swings back across it: the shared node moves to the
// crossing, cutting off the small loop.
TEST_F(ContourNetworkTest, LoopAtAJointIsCutOff) {
  const double r = std::hypot(0.5, 0.2);
  Shape s;
  s.add_closed({line_corner(0, 0), arc_corner(2, 0, 1.5, -0.2, CONTOUR_COUNTER_CLOCKWISE),
                line_corner(1.5, -0.2 - r), line_corner(0, -1)});
  ASSERT_EQ(build(s, CONTOUR_COUNTER_CLOCKWISE), 1);
  ASSERT_EQ(net.lasts[0] - net.firsts[0], 3);
  int at_crossing = 0, at_old_joint = 0;
  for (int32_t k = 0; k <= net.lasts[0]; ++k) {
    if (std::hypot(start_of(k).x - 1, start_of(k).y) < 1e-9) ++at_crossing;
    if (std::hypot(start_of(k).x - 2, start_of(k).y) < 1e-9) ++at_old_joint;
  }
  EXPECT_EQ(at_crossing, 1);
  EXPECT_EQ(at_old_joint, 0);
  EXPECT_EQ(g_contour_kernel.EngineStatus, 0);
}

}  // namespace
