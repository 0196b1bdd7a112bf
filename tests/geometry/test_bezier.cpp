#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "geometry/bezier.h"
#include "geometry/drawing_item.h"
#include "geometry/geometry_settings.h"
#include "platform/canvas.h"
#include "platform/surface.h"
#include "records/job_settings.h"
#include "store/line_list.h"

namespace {

// The curve by repeated linear interpolation, in double: an independent route to the point.
PointD de_casteljau(const std::vector<PointF>& points, double t) {
  std::vector<PointD> p;
  for (const PointF& q : points) p.push_back(PointD{q.x, q.y});
  for (size_t level = p.size(); level > 1; --level)
    for (size_t i = 0; i + 1 < level; ++i)
      p[i] = PointD{p[i].x + t * (p[i + 1].x - p[i].x), p[i].y + t * (p[i + 1].y - p[i].y)};
  return p[0];
}

// Distance from p to the segment a-b.
double segment_distance(const PointD& p, const PointF& a, const PointF& b) {
  const double vx = static_cast<double>(b.x) - a.x;
  const double vy = static_cast<double>(b.y) - a.y;
  const double squared = vx * vx + vy * vy;
  double t = squared > 0 ? ((p.x - a.x) * vx + (p.y - a.y) * vy) / squared : 0.0;
  t = std::fmin(1.0, std::fmax(0.0, t));
  return std::hypot(p.x - a.x - t * vx, p.y - a.y - t * vy);
}

// The moves a sink received.
std::vector<PenMove> g_moves;
void record_move() {
  g_moves.push_back(g_pen_move);
}

class BezierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_bezier_state();
    reset_geometry_settings();
    g_pen_move = PenMove{};
    g_moves.clear();
  }
  void TearDown() override { free_current_list(); }

  // An open item: a Bezier run through the control points, then a straight link to `after`.
  DrawingItem* add_run(const std::vector<PointF>& control, PointF after) {
    const int n = static_cast<int>(control.size());
    EXPECT_EQ(new_geometry_block("", nullptr, n, 0, GEOMETRY_KIND_DRAWING_AID), 0);
    DrawingItem* item = g_lists.current.last;
    LinkRecord* r = item_nodes(item);
    for (int i = 0; i < n; ++i) {
      r[i].point = control[static_cast<size_t>(i)];
      r[i].code = i + 1 < n ? LINK_BEZIER : LINK_FLEXIBLE_LINE;
      if (i > 0) r[i].node_flags = NODE_TANGENT;
    }
    r[n].point = after;
    item_bounding_boxes(item);
    return item;
  }
};

TEST_F(BezierTest, BinomialWeightsByTable) {
  struct Case {
    int p;
    std::vector<double> weights;
  } cases[] = {
      {0, {1}},
      {1, {1, 1}},
      {3, {1, 3, 3, 1}},
      {5, {1, 5, 10, 10, 5, 1}},
  };
  for (const Case& c : cases) {
    double out[BEZIER_MAX_POINTS + 1] = {};
    binomial_weights(c.p, out);
    for (size_t k = 0; k < c.weights.size(); ++k)
      EXPECT_EQ(out[k], c.weights[k]) << "p " << c.p << " k " << k;
  }
  double out[BEZIER_MAX_POINTS + 1] = {};
  binomial_weights(30, out);
  EXPECT_EQ(out[15], 155117520.0);
  EXPECT_EQ(out[0], 1.0);
  EXPECT_EQ(out[30], 1.0);
}

TEST_F(BezierTest, EvaluationAgreesWithRepeatedInterpolation) {
  std::mt19937 random(3141);
  std::uniform_real_distribution<float> coordinate(-50.0f, 50.0f);
  for (int n : {2, 3, 4, 7, 12, 20, 30}) {
    std::vector<PointF> points;
    for (int i = 0; i < n; ++i) points.push_back(PointF{coordinate(random), coordinate(random)});
    // Both forms of the sum, either side of the middle and on it.
    for (double t : {0.0, 0.1, 0.37, 0.5, 0.50001, 0.50002, 0.73, 1.0}) {
      const PointF ours = bezier_point(points.data(), n, t);
      const PointD expected = de_casteljau(points, t);
      EXPECT_NEAR(ours.x, expected.x, 1e-3) << "n " << n << " t " << t;
      EXPECT_NEAR(ours.y, expected.y, 1e-3) << "n " << n << " t " << t;
    }
  }
}

TEST_F(BezierTest, EvalSamplesRunFromFirstToLastControlPoint) {
  const std::vector<PointF> points = {{0, 0}, {2, 4}, {5, -1}};
  const int n = 3;
  std::vector<PointF> out(8 * n);
  eval_bezier(points.data(), n, 8 * n, out.data());
  // The first 4n samples are t = i / (4n - 1): they end on the last control point.
  EXPECT_EQ(out[0].x, 0.0f);
  EXPECT_EQ(out[0].y, 0.0f);
  EXPECT_EQ(out[4 * n - 1].x, 5.0f);
  EXPECT_EQ(out[4 * n - 1].y, -1.0f);
  const PointD middle = de_casteljau(points, 5.0 / (4 * n - 1));
  EXPECT_NEAR(out[5].x, middle.x, 1e-5);
  EXPECT_NEAR(out[5].y, middle.y, 1e-5);
}

TEST_F(BezierTest, TwoPointRunIsOneStraightMove) {
  DrawingItem* item = add_run({{1, 1}, {4, 5}}, {9, 9});
  LinkRecord* r = item_nodes(item);
  g_pen_move.dx = 3;
  g_pen_move.dy = 4;
  g_pen_move.code = PEN_UP;
  EXPECT_EQ(bezier_run_segments(r, g_geometry_settings.tolerance, record_move), r);
  ASSERT_EQ(g_moves.size(), 1u);
  EXPECT_EQ(g_moves[0].code, PEN_LINE);
  EXPECT_EQ(g_moves[0].dx, 3.0f);  // as the caller prepared it
  EXPECT_EQ(g_moves[0].dy, 4.0f);
}

TEST_F(BezierTest, SmallCurveGivesFourChordsPerControlPointLessOne) {
  // Well within the job tolerance: the least number of chords.
  DrawingItem* item = add_run({{0, 0}, {0.01f, 0.02f}, {0.02f, 0}}, {0.03f, 0});
  LinkRecord* r = item_nodes(item);
  // The walk goes on at the link before the curve's end node.
  EXPECT_EQ(bezier_run_segments(r, g_geometry_settings.tolerance, record_move), r + 1);
  ASSERT_EQ(g_moves.size(), 11u);
  double x = 0;
  double y = 0;
  for (const PenMove& m : g_moves) {
    EXPECT_EQ(m.code, PEN_LINE);
    x += m.dx;
    y += m.dy;
  }
  EXPECT_NEAR(x, 0.02, 1e-7);
  EXPECT_NEAR(y, 0.0, 1e-7);
}

TEST_F(BezierTest, ChordsKeepWithinTheJobTolerance) {
  g_geometry_settings.tolerance = 0.002f;
  const std::vector<PointF> control = {{0, 0}, {300, 900}, {700, -400}, {1000, 200}};
  DrawingItem* item = add_run(control, {1100, 200});
  bezier_run_segments(item_nodes(item), g_geometry_settings.tolerance, record_move);
  ASSERT_GT(g_moves.size(), 16u);  // far more than four per control point
  PointF at = control[0];
  const double steps = static_cast<double>(g_moves.size());
  double worst = 0.0;
  for (size_t k = 0; k < g_moves.size(); ++k) {
    const PointF next = {at.x + g_moves[k].dx, at.y + g_moves[k].dy};
    for (int j = 1; j < 8; ++j)
      worst = std::fmax(worst,
                        segment_distance(de_casteljau(control, (k + j / 8.0) / steps), at, next));
    at = next;
  }
  // Within the tolerance, allowing for single-precision coordinates near 1000.
  EXPECT_LT(worst, 0.002 + 2e-4);
  EXPECT_NEAR(at.x, 1000, 0.01);
  EXPECT_NEAR(at.y, 200, 0.01);
}

TEST_F(BezierTest, LongRunGoesOnAsANewCurveWithoutAGap) {
  // 35 control points: the first curve takes 30, the walk goes on from the 30th.
  std::vector<PointF> control;
  for (int i = 0; i < 35; ++i)
    control.push_back(PointF{static_cast<float>(i), static_cast<float>(i % 2 == 0 ? 0 : 3)});
  DrawingItem* item = add_run(control, {40, 0});
  LinkRecord* r = item_nodes(item);
  PointF points[BEZIER_MAX_POINTS];
  LinkRecord* resume = nullptr;
  EXPECT_EQ(gather_bezier_run(r, points, &resume), 30);
  EXPECT_EQ(resume, r + 28);
  // A caller's walk: each run, then one link on.
  LinkRecord* walk = r;
  int curves = 0;
  while (walk->code == LINK_BEZIER) {
    walk = bezier_run_segments(walk, g_geometry_settings.tolerance, record_move) + 1;
    ++curves;
  }
  EXPECT_EQ(curves, 2);
  EXPECT_EQ(walk, r + 34);  // the straight link after the run
  double x = 0;
  double y = 0;
  for (const PenMove& m : g_moves) {
    x += m.dx;
    y += m.dy;
  }
  EXPECT_NEAR(x, 34.0, 1e-4);
  EXPECT_NEAR(y, 0.0, 1e-4);
}

// ---- drawing ----

class BezierDrawTest : public BezierTest {
 protected:
  void SetUp() override {
    BezierTest::SetUp();
    surface_resize(&surface, 200, 200);
    canvas_init(&canvas, &surface);
    canvas.pen.colour = 0xFF0000;
    view.scale = 10.0f;
    view.view_left = 0.0f;
    view.view_top = 20.0f;
  }
  // A pen pixel within one pixel of (x, y).
  bool drawn_near(int x, int y) const {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (canvas_get_pixel(canvas, x + dx, y + dy) == 0xFF0000) return true;
    return false;
  }
  Surface surface;
  Canvas canvas;
  ViewMapping view;
};

TEST_F(BezierDrawTest, CurveIsDrawnThroughItsPointsInTheView) {
  const std::vector<PointF> control = {{1, 2}, {8, 18}, {15, 2}};
  DrawingItem* item = add_run(control, {19, 2});
  LinkRecord* r = item_nodes(item);
  EXPECT_EQ(draw_bezier_run(&canvas, r, view), r + 1);
  for (int k = 0; k < 20; ++k) {
    const PointD p = de_casteljau(control, k / 20.0);
    const int x = static_cast<int>(std::lround(p.x * 10));
    const int y = static_cast<int>(std::lround((20 - p.y) * 10));
    EXPECT_TRUE(drawn_near(x, y)) << "t " << k / 20.0 << " at " << x << ", " << y;
  }
  // Inside the bend, away from the curve, nothing.
  EXPECT_FALSE(drawn_near(80, 150));
}

TEST_F(BezierDrawTest, TwoPointRunIsAStraightLine) {
  DrawingItem* item = add_run({{2, 18}, {12, 18}}, {19, 2});
  draw_bezier_run(&canvas, item_nodes(item), view);
  for (int x = 20; x < 120; x += 10) EXPECT_TRUE(drawn_near(x, 20)) << x;
}

TEST_F(BezierDrawTest, PointsFarOutsideTheViewAreClipped) {
  DrawingItem* item = add_run({{-1e30f, 5}, {1e30f, 1e30f}, {5, -1e30f}}, {0, 0});
  LinkRecord* r = item_nodes(item);
  // Coordinates far beyond any pixel range must neither crash nor hang the sampler, and the
  // walk still steps on past the run.
  EXPECT_EQ(draw_bezier_run(&canvas, r, view), r + 1);
}

// ---- flattening a run in place ----

TEST_F(BezierTest, FlattenedRunKeepsItsEndsAndStaysNearTheCurve) {
  g_geometry_settings.tolerance = 0.01f;
  const std::vector<PointF> control = {{0, 0}, {10, 30}, {20, 0}};
  DrawingItem* item = add_run(control, {30, 0});
  ASSERT_EQ(flatten_bezier_runs(item), 0);
  const LinkRecord* r = item_nodes(item);
  const int n = item_link_count(item);
  ASSERT_GT(n, 3);
  EXPECT_EQ(r[0].point.x, 0.0f);
  EXPECT_EQ(r[n - 1].point.x, 20.0f);  // the curve's end node, then the straight link
  EXPECT_EQ(r[n].point.x, 30.0f);
  for (int i = 0; i < n; ++i) EXPECT_EQ(r[i].code, LINK_FLEXIBLE_LINE);
  for (int i = 0; i < n - 1; ++i) {
    // Every node lies on the curve.
    double nearest = 1e9;
    for (int k = 0; k <= 2000; ++k) {
      const PointD p = de_casteljau(control, k / 2000.0);
      nearest = std::fmin(nearest, std::hypot(p.x - r[i].point.x, p.y - r[i].point.y));
    }
    EXPECT_LT(nearest, 0.02) << "node " << i;
  }
}

}  // namespace
