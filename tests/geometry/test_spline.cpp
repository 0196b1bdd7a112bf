#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/drawing_item.h"
#include "geometry/spline.h"
#include "geometry/spline_run.h"
#include "store/line_list.h"

namespace {

constexpr double PI = ANGLE_PI;

struct Polyline {
  std::vector<double> x, y;
  int count = 0;
};

Polyline sample(const std::vector<double>& x, const std::vector<double>& y, double tolerance,
                int end_mode = SPLINE_END_NATURAL, int end_flag = SPLINE_END_NATURAL,
                double start_angle = 0.0, double end_angle = 0.0) {
  Polyline out;
  out.x.assign(SPLINE_MAX_POINTS, 0.0);
  out.y.assign(SPLINE_MAX_POINTS, 0.0);
  out.count = spline_through_points(x.data(), y.data(), static_cast<int>(x.size()), start_angle,
                                    end_angle, end_mode, end_flag, tolerance, out.x.data(),
                                    out.y.data());
  return out;
}

// Every input point appears in the output, in order.
void expect_passes_through(const Polyline& p, const std::vector<double>& x,
                           const std::vector<double>& y) {
  size_t next = 0;
  for (int i = 0; i < p.count && next < x.size(); ++i)
    if (std::fabs(p.x[i] - x[next]) < 1e-9 && std::fabs(p.y[i] - y[next]) < 1e-9) ++next;
  EXPECT_EQ(next, x.size()) << "the polyline misses input point " << next;
}

double chord_direction(const Polyline& p, int i) {
  return std::atan2(p.y[i + 1] - p.y[i], p.x[i + 1] - p.x[i]);
}

TEST(SplineTest, TwoPointsGiveTheSegment) {
  const Polyline p = sample({1, 4}, {2, 6}, 0.01);
  ASSERT_EQ(p.count, 2);
  EXPECT_EQ(p.x[0], 1);
  EXPECT_EQ(p.y[1], 6);
}

TEST(SplineTest, StraightRunGivesOneChordPerSegment) {
  const std::vector<double> x = {0, 1, 3, 4}, y = {0, 1, 3, 4};
  const Polyline p = sample(x, y, 0.001);
  EXPECT_EQ(p.count, 4);
  expect_passes_through(p, x, y);
}

TEST(SplineTest, ClosedCircleRunStaysWithinTheTargetDeviation) {
  // Thirteen points round a circle of radius 10, the last repeating the first.
  std::vector<double> x, y;
  for (int i = 0; i <= 12; ++i) {
    x.push_back(10 * std::cos(i * PI / 6));
    y.push_back(10 * std::sin(i * PI / 6));
  }
  const double tolerance = 0.01;
  const Polyline p = sample(x, y, tolerance, SPLINE_END_CLOSED);
  ASSERT_GT(p.count, 13);
  expect_passes_through(p, x, y);
  for (int i = 0; i + 1 < p.count; ++i) {
    const double mx = (p.x[i] + p.x[i + 1]) / 2, my = (p.y[i] + p.y[i + 1]) / 2;
    // The chords keep within three tolerances of the curve, which lies within a few
    // thousandths of the circle at this spacing.
    EXPECT_LT(10 - std::hypot(mx, my), 3 * tolerance + 0.01) << "chord " << i;
  }
  const Polyline finer = sample(x, y, tolerance / 10, SPLINE_END_CLOSED);
  EXPECT_GT(finer.count, p.count);
}

TEST(SplineTest, ClosedTriangleIsSmoothAcrossItsStart) {
  const std::vector<double> x = {0, 10, 5, 0}, y = {0, 0, 8, 0};
  const Polyline closed = sample(x, y, 0.001, SPLINE_END_CLOSED);
  ASSERT_GT(closed.count, 10);
  expect_passes_through(closed, x, y);
  const double turn_closed =
      std::remainder(chord_direction(closed, 0) - chord_direction(closed, closed.count - 2),
                     2 * PI);
  EXPECT_LT(std::fabs(turn_closed), 0.2) << "a periodic curve turns smoothly through its start";
  const Polyline open = sample(x, y, 0.001);
  const double turn_open =
      std::remainder(chord_direction(open, 0) - chord_direction(open, open.count - 2), 2 * PI);
  EXPECT_GT(std::fabs(turn_open), 0.5) << "natural ends meet at a corner";
}

TEST(SplineTest, VeryFineToleranceIsCoarsenedToFit) {
  std::vector<double> x, y;
  for (int i = 0; i < 300; ++i) {
    x.push_back(i);
    y.push_back(5 * std::sin(i * 1.3));
  }
  const Polyline p = sample(x, y, 1e-9);
  EXPECT_GT(p.count, 300);
  EXPECT_LE(p.count, SPLINE_MAX_POINTS);
  expect_passes_through(p, x, y);
}

// A zigzag of n points; with `doubled` every point appears twice in a row.
void zigzag(int n, bool doubled, std::vector<double>* x, std::vector<double>* y) {
  for (int i = 0; x->size() < static_cast<size_t>(n); ++i) {
    x->push_back(i);
    y->push_back(i % 2 == 0 ? 0.0 : 3.0);
    if (doubled && x->size() < static_cast<size_t>(n)) {
      x->push_back(i);
      y->push_back(i % 2 == 0 ? 0.0 : 3.0);
    }
  }
}

TEST(SplineTest, LongRunsFinishWithinTheOutputCapacity) {
  struct Case {
    int n;
    bool doubled;
  };
  const Case cases[] = {{999, false}, {1000, false}, {999, true}, {1000, true}};
  for (const Case& c : cases) {
    std::vector<double> x, y;
    zigzag(c.n, c.doubled, &x, &y);
    const Polyline p = sample(x, y, 1e-6);
    EXPECT_GE(p.count, c.doubled ? c.n / 2 : c.n) << c.n << " points, doubled " << c.doubled;
    EXPECT_LE(p.count, SPLINE_MAX_POINTS) << c.n << " points, doubled " << c.doubled;
    EXPECT_EQ(p.x[p.count - 1], x.back());
    EXPECT_EQ(p.y[p.count - 1], y.back());
    for (int i = 0; i < p.count; ++i)
      ASSERT_TRUE(std::isfinite(p.x[i]) && std::isfinite(p.y[i]))
          << "point " << i << " of " << c.n << " points, doubled " << c.doubled;
  }
}

TEST(SplineTest, RunsBeyondTheCapacityAreRefused) {
  std::vector<double> x, y;
  zigzag(SPLINE_MAX_POINTS + 1, false, &x, &y);
  EXPECT_EQ(sample(x, y, 0.01).count, 0);
}

// The evaluator's end angles are clockwise: the start tangent is (cos a, -sin a) and the
// end tangent (-cos b, sin b).
TEST(SplineTest, EndTangentAnglesAreClockwise) {
  const std::vector<double> x = {0, 10, 20}, y = {0, 0, 0};
  const Polyline start_down =
      sample(x, y, 0.001, SPLINE_END_TANGENT, SPLINE_END_NATURAL, PI / 2, 0.0);
  EXPECT_NEAR(chord_direction(start_down, 0), -PI / 2, 0.3) << "a = pi/2 leaves going down";
  const Polyline end_up =
      sample(x, y, 0.001, SPLINE_END_NATURAL, SPLINE_END_TANGENT, 0.0, PI / 2);
  EXPECT_NEAR(chord_direction(end_up, end_up.count - 2), PI / 2, 0.3)
      << "b = pi/2 arrives going up";
  const Polyline closed_ignores_end =
      sample({0, 10, 5, 0}, {0, 0, 8, 0}, 0.001, SPLINE_END_CLOSED, SPLINE_END_TANGENT, 0.0, 1.0);
  const Polyline closed = sample({0, 10, 5, 0}, {0, 0, 8, 0}, 0.001, SPLINE_END_CLOSED);
  ASSERT_EQ(closed_ignores_end.count, closed.count);
}

TEST(SplineTest, ThreeDimensionalRunInterpolatesZAlongTheXYCurve) {
  const std::vector<double> x = {0, 10, 20, 30}, y = {0, 5, 0, 5}, z = {0, -1, -2, -3};
  std::vector<double> ox(SPLINE_MAX_POINTS), oy(SPLINE_MAX_POINTS), oz(SPLINE_MAX_POINTS);
  const int count = spline_through_points_3d(x.data(), y.data(), z.data(), 4, 0, 0,
                                             SPLINE_END_NATURAL, 0, 0.001, ox.data(),
                                             oy.data(), oz.data());
  const Polyline flat = sample(x, y, 0.001);
  ASSERT_EQ(count, flat.count) << "z does not change the sampling";
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(ox[i], flat.x[i]);
    EXPECT_GE(oz[i], -3.0 - 1e-9);
    EXPECT_LE(oz[i], 0.0 + 1e-9);
    if (i > 0) {
      EXPECT_LE(oz[i], oz[i - 1] + 1e-9) << "z falls steadily along this run";
    }
  }
}

TEST(SplineTest, NearestSegmentIsTheRunSegmentNotThePolylineSegment) {
  const std::vector<double> x = {0, 10, 20, 30}, y = {0, 5, 0, 5};
  const Polyline curve = sample(x, y, 0.001);
  ASSERT_GT(curve.count, 8);
  // The curve runs left to right: the sample nearest the middle of segment i in x lies on it.
  for (int segment = 0; segment < 3; ++segment) {
    const double mid_x = 5 + 10 * segment;
    int nearest = 0;
    for (int i = 1; i < curve.count; ++i)
      if (std::fabs(curve.x[i] - mid_x) < std::fabs(curve.x[nearest] - mid_x)) nearest = i;
    EXPECT_EQ(nearest_spline_segment(x.data(), y.data(), 4, 0, 0, SPLINE_END_NATURAL, 0, 0.5,
                                     0.001, curve.x[nearest], curve.y[nearest] + 0.2),
              segment);
  }
  EXPECT_EQ(nearest_spline_segment(x.data(), y.data(), 4, 0, 0, SPLINE_END_NATURAL, 0, 0.5,
                                   0.001, 15, 40),
            -1);
}

// ---- where the drawing's angles meet the evaluator's ----

class SplineRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_spline_samples();
  }
  void TearDown() override { free_current_list(); }

  // An open polyline through the points with the given link codes; interior nodes between
  // spline links (or a spline and anything) are tangent.
  DrawingItem* make_item(const std::vector<PointF>& points, const std::vector<float>& codes) {
    const int n = static_cast<int>(codes.size());
    EXPECT_EQ(new_geometry_block("", nullptr, n, 0, GEOMETRY_KIND_DRAWING_AID), 0);
    DrawingItem* item = g_lists.current.last;
    LinkRecord* r = item_nodes(item);
    for (int i = 0; i <= n; ++i) {
      r[i].point = points[i];
      if (i < n) r[i].code = codes[i];
      if (i > 0 && i < n)
        r[i].node_flags = (codes[i] == LINK_SPLINE || codes[i - 1] == LINK_SPLINE) ? NODE_TANGENT
                                                                                  : NODE_LOOSE;
    }
    item_bounding_boxes(item);
    return item;
  }

  Polyline sample_gathered(LinkRecord* first, int pixels) {
    int count = 0;
    gather_spline_run(first, &count, pixels, nullptr);
    const SplineSamples& s = g_spline_samples;
    std::vector<double> x(s.x, s.x + count), y(s.y, s.y + count);
    return sample(x, y, 0.0005, s.end_mode, s.end_flag, s.start_angle, s.end_angle);
  }
};

TEST_F(SplineRunTest, GatheredRunLeavesAndJoinsItsNeighbouringLinesSmoothly) {
  // A line arriving at 45 degrees, a spline run, a line leaving at -45 degrees.
  DrawingItem* item = make_item({{-10, -10}, {0, 0}, {10, 5}, {20, 0}, {30, -10}},
                                {LINK_FLEXIBLE_LINE, LINK_SPLINE, LINK_SPLINE, LINK_FLEXIBLE_LINE});
  LinkRecord* first = item_nodes(item) + 1;
  int count = 0;
  char has_z = 1;
  LinkRecord* last_link = gather_spline_run(first, &count, 0, &has_z);
  EXPECT_EQ(last_link, item_nodes(item) + 2);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(has_z, 0);
  EXPECT_EQ(g_spline_samples.end_mode, SPLINE_END_TANGENT);
  EXPECT_EQ(g_spline_samples.end_flag, SPLINE_END_TANGENT);

  const Polyline world = sample_gathered(first, 0);
  EXPECT_NEAR(chord_direction(world, 0), PI / 4, 0.05);
  EXPECT_NEAR(chord_direction(world, world.count - 2), -PI / 4, 0.05);

  // In pixels y points down: the same curve leaves upwards on the screen.
  set_spline_screen_map(0, 0, 1, 1);
  const Polyline screen = sample_gathered(first, 1);
  EXPECT_NEAR(chord_direction(screen, 0), -PI / 4, 0.05);
  EXPECT_NEAR(chord_direction(screen, screen.count - 2), PI / 4, 0.05);
}

TEST_F(SplineRunTest, RunAfterAnArcContinuesTheArcsDirection) {
  // A counter-clockwise quarter circle about the origin from (10, 0) to (0, 10), travelling
  // left at its end; then a spline run.
  DrawingItem* item = make_item({{10, 0}, {0, 10}, {-10, 12}, {-20, 20}},
                                {10.0f, LINK_SPLINE, LINK_SPLINE});
  LinkRecord* arc = item_nodes(item);
  arc->centre = PointF{0, 0};
  arc_angles_from_points(arc);
  const Polyline world = sample_gathered(arc + 1, 0);
  EXPECT_NEAR(chord_direction(world, 0), PI, 0.05);
}

TEST_F(SplineRunTest, ClosedItemIsOnePeriodicRun) {
  DrawingItem* item = make_item({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}},
                                {LINK_SPLINE, LINK_SPLINE, LINK_SPLINE, LINK_SPLINE});
  item_nodes(item)[0].node_flags = NODE_FIRST | NODE_TANGENT;
  int count = 0;
  gather_spline_run(item_nodes(item), &count, 0, nullptr);
  EXPECT_EQ(count, 5);
  EXPECT_EQ(g_spline_samples.end_mode, SPLINE_END_CLOSED);
}

TEST_F(SplineRunTest, RunOfTwoHundredNodesIsCutAtTheLimit) {
  std::vector<PointF> points;
  std::vector<float> codes;
  for (int i = 0; i < 250; ++i) {
    points.push_back(PointF{static_cast<float>(i), static_cast<float>(i % 2)});
    if (i < 249) codes.push_back(LINK_SPLINE);
  }
  DrawingItem* item = make_item(points, codes);
  int count = 0;
  LinkRecord* last_link = gather_spline_run(item_nodes(item), &count, 0, nullptr);
  EXPECT_EQ(count, SPLINE_RUN_MAX_NODES);
  EXPECT_EQ(last_link, item_nodes(item) + SPLINE_RUN_MAX_NODES - 2);
  EXPECT_EQ(item_nodes(item)[SPLINE_RUN_MAX_NODES - 1].node_flags, NODE_LOOSE);
  // The rest is a run of its own.
  gather_spline_run(item_nodes(item) + SPLINE_RUN_MAX_NODES - 1, &count, 0, nullptr);
  EXPECT_EQ(count, 250 - SPLINE_RUN_MAX_NODES + 1);
}

TEST_F(SplineRunTest, CoincidentNodesAreDroppedAndZIsReported) {
  DrawingItem* item = make_item({{0, 0}, {0, 0}, {5, 5}, {10, 0}},
                                {LINK_SPLINE, LINK_SPLINE, LINK_SPLINE});
  item_nodes(item)[2].z = -0.5f;
  int count = 0;
  char has_z = 0;
  gather_spline_run(item_nodes(item), &count, 0, &has_z);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(has_z, 1);
  EXPECT_EQ(g_spline_samples.z[1], -0.5);
}

}  // namespace
