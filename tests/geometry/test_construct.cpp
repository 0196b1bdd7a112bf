#include <gtest/gtest.h>

#include <cmath>

#include "geometry/construct.h"
#include "geometry/geometry2d.h"
#include "link_fixtures.h"

using link_test::distance;
using link_test::Link;
using link_test::make_arc;
using link_test::make_circle;
using link_test::make_line;

namespace {

constexpr double PI = ANGLE_PI;

class ConstructTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_geometry2d();
    reset_float2d_state();
  }
};

bool clockwise(const LinkRecord* r) { return (r->link_flags & LINK_CLOCKWISE) != 0; }

// The fillet's ends lie on its circle and its centre is `radius` from both.
void expect_fillet_shape(const Link& f, float radius) {
  EXPECT_NEAR(f.r[0].code, radius, 1e-5);
  EXPECT_NEAR(distance(f.r[0].centre, f.r[0].point), radius, 2e-5);
  EXPECT_NEAR(distance(f.r[0].centre, f.r[1].point), radius, 2e-5);
}

// ---- feet ----

TEST_F(ConstructTest, FootOnLinks) {
  struct Case {
    Link link;
    PointF p;
    int result;
    PointF foot;
  };
  const Case cases[] = {
      {make_line(0, 0, 4, 0), {1, 3}, FOOT_ON_LINK, {1, 0}},
      {make_line(0, 0, 4, 0), {6, 3}, FOOT_OFF_LINK, {6, 0}},   // beyond the end: on the extension
      {make_line(0, 0, 4, 0), {-1, -3}, FOOT_OFF_LINK, {-1, 0}},
      {make_line(2, 2, 2, 2), {5, 5}, FOOT_ON_LINK, {2, 2}},    // no length: the node
      // arc from 350 degrees sweeping 20 degrees
      {make_arc(0, 0, 2, 350, 10), {std::cos(5 * 0.0174533f), std::sin(5 * 0.0174533f)}, FOOT_ON_LINK,
       {2 * std::cos(5 * 0.0174533f), 2 * std::sin(5 * 0.0174533f)}},
      {make_arc(0, 0, 2, 350, 10), {std::cos(15 * 0.0174533f), std::sin(15 * 0.0174533f)}, FOOT_OFF_LINK,
       {2 * std::cos(15 * 0.0174533f), 2 * std::sin(15 * 0.0174533f)}},
      {make_arc(0, 0, 2, 0, 90), {3, 3}, FOOT_ON_LINK, {std::sqrt(2.0f), std::sqrt(2.0f)}},
      {make_arc(0, 0, 2, 0, 90), {-3, -3}, FOOT_OFF_LINK, {-std::sqrt(2.0f), -std::sqrt(2.0f)}},
      {make_circle(0, 0, 2), {0, -5}, FOOT_ON_LINK, {0, -2}},
  };
  for (const Case& c : cases) {
    PointF foot = {};
    EXPECT_EQ(link_foot(c.link.get(), &c.p, &foot), c.result) << c.p.x << "," << c.p.y;
    EXPECT_NEAR(foot.x, c.foot.x, 1e-5) << c.p.x << "," << c.p.y;
    EXPECT_NEAR(foot.y, c.foot.y, 1e-5) << c.p.x << "," << c.p.y;
  }
}

TEST_F(ConstructTest, FootOnEllipseLiesOnTheCurve) {
  // Semi-axis 3 along the direction to the next node (30 degrees), 1 across it.
  const double beta = PI / 6;
  Link ellipse = make_line(static_cast<float>(-std::sin(beta)), static_cast<float>(std::cos(beta)),
                           static_cast<float>(3 * std::cos(beta)), static_cast<float>(3 * std::sin(beta)),
                           LINK_ELLIPSE);
  ellipse.r[0].centre = {0, 0};
  const PointF points[] = {{5, 1}, {-2, 4}, {0.1f, -0.2f}, {-6, -1}};
  for (const PointF& p : points) {
    PointF foot = {};
    EXPECT_EQ(link_foot(ellipse.get(), &p, &foot), FOOT_ON_LINK);
    const double u = foot.x * std::cos(beta) + foot.y * std::sin(beta);
    const double v = -foot.x * std::sin(beta) + foot.y * std::cos(beta);
    EXPECT_NEAR(u * u / 9 + v * v, 1.0, 1e-5) << p.x << "," << p.y;
  }
}

TEST_F(ConstructTest, ChooseArcSide) {
  struct Case {
    bool clockwise_before;
    int major;
    bool clockwise_after;
    double sweep;
  };
  // From (1,0) to (0,1) about the origin: a quarter counter-clockwise, three quarters clockwise.
  const Case cases[] = {
      {false, 0, false, PI / 2},
      {true, 0, false, PI / 2},
      {false, 1, true, 3 * PI / 2},
      {true, 1, true, 3 * PI / 2},
  };
  for (const Case& c : cases) {
    Link arc = make_arc(0, 0, 1, 0, 90, c.clockwise_before);
    choose_arc_side(arc.get(), c.major);
    EXPECT_EQ(clockwise(arc.get()), c.clockwise_after) << c.clockwise_before << " " << c.major;
    EXPECT_NEAR(arc.r[0].sweep, c.sweep, 1e-5);
  }
}

// ---- offset-radius intersections ----

TEST_F(ConstructTest, CircleCircleIntersect) {
  const Link a = make_arc(0, 0, 1, 0, 90);
  const Link b = make_arc(2, 0, 1, 0, 90);
  struct Case {
    double ra, rb;
    int result;
  };
  const Case cases[] = {
      {1, 1, 1},         // touching from outside: the touching point
      {1.5, 1.5, 2},
      {-1.5, 1.5, 2},    // radii are taken by size
      {0.5, 0.5, 0},
      {0.0, 3, 0},
      {3, 1, 1},         // touching from inside
  };
  for (const Case& c : cases) {
    PointF out[2] = {};
    ASSERT_EQ(circle_circle_intersect(a.get(), b.get(), c.ra, c.rb, out), c.result) << c.ra << " " << c.rb;
    for (int i = 0; i < c.result; ++i) {
      EXPECT_NEAR(distance(out[i], a.r[0].centre), std::fabs(c.ra), 1e-5);
      EXPECT_NEAR(distance(out[i], b.r[0].centre), std::fabs(c.rb), 1e-5);
    }
  }
}

TEST_F(ConstructTest, LineCircleIntersectTouchingLiesBetweenItsNeighbours) {
  // Points 0.5 above the x axis (normal (0,-1), offset 0.5 gives the side y > 0) at distance
  // 0.5 + 0.5 from the centre (0, 1.5 + e): touching when e = 0.
  const Link circle = make_arc(0, 1.5f, 1, 0, 90);
  PointF out[2] = {};
  ASSERT_EQ(line_circle_intersect(0, -1, 0.5, 0.5, circle.get(), -1.5, out), 1);
  const PointF touching = out[0];
  EXPECT_NEAR(touching.x, 0.0, 1e-6);
  EXPECT_NEAR(touching.y, 0.5, 1e-6);
  ASSERT_EQ(line_circle_intersect(0, -1, 0.5, 0.6, circle.get(), -1.5, out), 2);
  EXPECT_NEAR(out[0].y, touching.y, 1e-6);
  EXPECT_NEAR(out[1].y, touching.y, 1e-6);
  EXPECT_NEAR(out[0].x, -out[1].x, 1e-6);
  EXPECT_LT(std::fmin(out[0].x, out[1].x), touching.x);
  EXPECT_GT(std::fmax(out[0].x, out[1].x), touching.x);
  EXPECT_EQ(line_circle_intersect(0, -1, 0.5, 0.4, circle.get(), -1.5, out), 0);
}

TEST_F(ConstructTest, FootOnUnitLine) {
  const Link circle = make_arc(3, 4, 1, 0, 90);
  // y = 1: normal (0, 1), offset -1
  foot_on_unit_line(circle.get(), 0, 1, -1);
  EXPECT_NEAR(g_geometry2d.intersection.first.x, 3.0, 1e-6);
  EXPECT_NEAR(g_geometry2d.intersection.first.y, 1.0, 1e-6);
  const double k = 1 / std::sqrt(2.0);
  foot_on_unit_line(circle.get(), k, -k, 0);  // the line y = x
  EXPECT_NEAR(g_geometry2d.intersection.first.x, 3.5, 1e-6);
  EXPECT_NEAR(g_geometry2d.intersection.first.y, 3.5, 1e-6);
}

// ---- tangents ----

TEST_F(ConstructTest, TangentPointsFromPoint) {
  const Link circle = make_arc(2, 0, 1, 0, 90);
  struct Case {
    PointF p;
    int result;
  };
  const Case cases[] = {
      {{0, 0}, TANGENT_FROM_POINT_OK},
      {{2, 5}, TANGENT_FROM_POINT_OK},
      {{3, 0}, TANGENT_POINT_ON_CIRCLE},
      {{2.5f, 0}, TANGENT_POINT_INSIDE},
      {{2, 0}, TANGENT_POINT_AT_CENTRE},
  };
  for (const Case& c : cases) {
    PointF t1 = {}, t2 = {};
    ASSERT_EQ(tangent_points_from_point(&c.p, circle.get(), &t1, &t2), c.result) << c.p.x << "," << c.p.y;
    if (c.result != TANGENT_FROM_POINT_OK) continue;
    for (const PointF& t : {t1, t2}) {
      EXPECT_NEAR(distance(t, circle.r[0].centre), 1.0, 1e-5);
      // The radius to a tangent point is square to the line from the point.
      const double dot = (t.x - 2.0) * (t.x - c.p.x) + (t.y - 0.0) * (t.y - c.p.y);
      EXPECT_NEAR(dot, 0.0, 1e-5);
    }
    EXPECT_GT(distance(t1, t2), 0.1);
  }
  PointF t1 = {}, t2 = {};
  const PointF origin = {0, 0};
  tangent_points_from_point(&origin, circle.get(), &t1, &t2);
  EXPECT_NEAR(t1.x, 1.5, 1e-6);
  EXPECT_NEAR(t1.y, std::sqrt(0.75), 1e-6);
}

TEST_F(ConstructTest, CommonTangentsOfTwoCircles) {
  struct Case {
    Link b;
    int result;
  };
  // Circle a is about the origin with radius 1.
  const Case cases[] = {
      {make_arc(4, 0, 1.5f, 0, 90), 4},   // apart
      {make_arc(1.5f, 0, 1, 0, 90), 2},   // crossing
      {make_arc(2, 0, 1, 0, 90), 2},      // touching outside: the tangent at the touch is left out
      {make_arc(0, 0, 2, 0, 90), INTERSECT_CONCENTRIC},
  };
  const Link a = make_arc(0, 0, 1, 0, 90);
  for (const Case& c : cases) {
    PointF pairs[4][2] = {};
    ASSERT_EQ(tangent_lines_two_circles(a.get(), c.b.get(), pairs), c.result) << c.b.r[0].centre.x;
    for (int i = 0; i < c.result; ++i) {
      const PointF& pa = pairs[i][0];
      const PointF& pb = pairs[i][1];
      EXPECT_NEAR(distance(pa, a.r[0].centre), 1.0, 1e-5) << i;
      EXPECT_NEAR(distance(pb, c.b.r[0].centre), c.b.r[0].code, 1e-5) << i;
      const double dx = pb.x - pa.x;
      const double dy = pb.y - pa.y;
      EXPECT_NEAR(dx * (pa.x - a.r[0].centre.x) + dy * (pa.y - a.r[0].centre.y), 0.0, 1e-4) << i;
      EXPECT_NEAR(dx * (pb.x - c.b.r[0].centre.x) + dy * (pb.y - c.b.r[0].centre.y), 0.0, 1e-4) << i;
    }
  }
}

// ---- fillet candidates ----

TEST_F(ConstructTest, TangentCircleCentresTouchBothCircles) {
  const Link a = make_arc(0, 0, 2, 0, 90);
  const Link b = make_arc(3, 0, 2, 0, 90);
  PointF out[8] = {};
  // All four pairs of offset circles cross: eight centres.
  ASSERT_EQ(tangent_circle_centres(a.get(), b.get(), 0.4, out), 8);
  for (int i = 0; i < 8; ++i) {
    const double da = distance(out[i], a.r[0].centre);
    const double db = distance(out[i], b.r[0].centre);
    EXPECT_TRUE(std::fabs(da - 2.4) < 1e-5 || std::fabs(da - 1.6) < 1e-5) << i;
    EXPECT_TRUE(std::fabs(db - 2.4) < 1e-5 || std::fabs(db - 1.6) < 1e-5) << i;
  }
  // With 0.5 the inner offsets (1.5 and 1.5, centres 3 apart) just touch: one centre.
  EXPECT_EQ(tangent_circle_centres(a.get(), b.get(), 0.5, out), 7);
  const Link same = make_arc(0.000001f, 0, 1, 0, 90);
  EXPECT_EQ(tangent_circle_centres(a.get(), same.get(), 0.5, out), 0);
}

TEST_F(ConstructTest, FilletCentresForLineAndArc) {
  const Link line = make_line(-5, 0, 5, 0);
  const Link arc = make_arc(0, 2, 1.5f, 0, 90);
  PointF out[8] = {};
  const int count = fillet_centres_line_arc(0.5, line.get(), arc.get(), out);
  ASSERT_GT(count, 0);
  for (int i = 0; i < count; ++i) {
    EXPECT_NEAR(std::fabs(out[i].y), 0.5, 1e-5) << i;
    const double d = distance(out[i], arc.r[0].centre);
    EXPECT_TRUE(std::fabs(d - 2.0) < 1e-5 || std::fabs(d - 1.0) < 1e-5) << i;
  }
}

// ---- fillets ----

TEST_F(ConstructTest, FilletBetweenPerpendicularLines) {
  Link l1 = make_line(-3, 0, 0, 0);
  Link l2 = make_line(0, 0, 0, 3);
  Link f = make_line(0, 0, 0, 0, 1.0f);
  ASSERT_EQ(fillet_two_lines(l1.get(), l2.get(), f.get()), FILLET_OK);
  const PointF corner = {0, 0};
  EXPECT_NEAR(distance(f.r[0].point, corner), 1.0, 1e-5);
  EXPECT_NEAR(distance(f.r[1].point, corner), 1.0, 1e-5);
  EXPECT_NEAR(distance(f.r[0].centre, corner), std::sqrt(2.0), 1e-5);
  EXPECT_NEAR(f.r[0].point.x, -1.0, 1e-5);
  EXPECT_NEAR(f.r[1].point.y, 1.0, 1e-5);
  expect_fillet_shape(f, 1.0f);
  EXPECT_FALSE(clockwise(f.get()));  // a left turn
  EXPECT_NEAR(f.r[0].sweep, PI / 2, 1e-5);
}

TEST_F(ConstructTest, FilletBetweenLinesAtManyCorners) {
  struct Case {
    PointF a, corner, b;
    bool clockwise;
  };
  const Case cases[] = {
      {{-3, 0}, {0, 0}, {0, -3}, true},      // right turn
      {{3, 0}, {0, 0}, {0, -3}, false},      // directions 0 and 3pi/2 from the corner
      {{0, 3}, {0, 0}, {3, 0.5f}, false},
      {{-2, -2}, {1, 1}, {4, -2}, true},     // 90 degrees, tilted
      {{-3, 0}, {0, 0}, {-3, 0.5f}, false},  // a hairpin
  };
  for (const Case& c : cases) {
    Link l1 = make_line(c.a.x, c.a.y, c.corner.x, c.corner.y);
    Link l2 = make_line(c.corner.x, c.corner.y, c.b.x, c.b.y);
    Link f = make_line(0, 0, 0, 0, 0.2f);
    ASSERT_EQ(fillet_two_lines(l1.get(), l2.get(), f.get()), FILLET_OK) << c.b.x << "," << c.b.y;
    expect_fillet_shape(f, 0.2f);
    EXPECT_EQ(clockwise(f.get()), c.clockwise) << c.b.x << "," << c.b.y;
    EXPECT_NEAR(point_line_distance(&f.r[0].point, l1.get()), 0.0, 1e-5);
    EXPECT_NEAR(point_line_distance(&f.r[1].point, l2.get()), 0.0, 1e-5);
    // The fillet leaves the first line in its direction of travel.
    const double travel = point_angle(&l1.r[0].point, &l1.r[1].point);
    EXPECT_LT(abs_angle_difference(travel, arc_tangent_angle(&f.r[0].point, f.get())), 1e-3);
    EXPECT_LT(f.r[0].sweep, PI);
  }
}

TEST_F(ConstructTest, FilletTooLargeForTheLines) {
  Link l1 = make_line(-3, 0, 0, 0);
  Link l2 = make_line(0, 0, 0, 0.5f);
  Link f = make_line(0, 0, 0, 0, 1.0f);
  EXPECT_EQ(fillet_two_lines(l1.get(), l2.get(), f.get()), FILLET_TOO_LARGE);
  Link l3 = make_line(-0.5f, 0, 0, 0);
  Link l4 = make_line(0, 0, 0, 3);
  EXPECT_EQ(fillet_two_lines(l3.get(), l4.get(), f.get()), FILLET_TOO_LARGE);
}

TEST_F(ConstructTest, FilletAcrossParallelLinesIsAHalfCircle) {
  Link l1 = make_line(0, 0, 4, 0);
  Link l2 = make_line(5, 2, 0, 2);  // back the other way, starting past the first line's end
  Link f = make_line(0, 0, 0, 0, 7.0f);
  ASSERT_EQ(fillet_two_lines(l1.get(), l2.get(), f.get()), FILLET_OK);
  EXPECT_NEAR(l2.r[0].point.x, 4.0, 1e-5);  // moved onto the perpendicular from (4, 0)
  EXPECT_NEAR(l2.r[0].point.y, 2.0, 1e-5);
  EXPECT_NEAR(f.r[0].code, 1.0, 1e-6);      // half the distance, whatever was asked
  EXPECT_NEAR(f.r[0].centre.x, 4.0, 1e-5);
  EXPECT_NEAR(f.r[0].centre.y, 1.0, 1e-5);
  EXPECT_EQ(f.r[0].point.x, 4.0f);
  EXPECT_EQ(f.r[1].point.y, 2.0f);
  EXPECT_NEAR(f.r[0].sweep, PI, 1e-5);
  EXPECT_FALSE(clockwise(f.get()));

  Link same1 = make_line(0, 0, 4, 0);
  Link same2 = make_line(4, 0, 8, 0);
  EXPECT_EQ(fillet_two_lines(same1.get(), same2.get(), f.get()), FILLET_IMPOSSIBLE);
}

TEST_F(ConstructTest, FilletFromLineToArc) {
  // Along +x to (0,0), then clockwise about (3,0) upwards: a left turn into the arc.
  const Link line = make_line(-5, 0, 0, 0);
  const Link arc = make_arc(3, 0, 3, 180, 90, true);
  Link f = make_line(0, 0, 0, 0, 0.5f);
  ASSERT_EQ(fillet_line_and_arc(line.get(), arc.get(), f.get(), FILLET_LINE_THEN_ARC), FILLET_OK);
  expect_fillet_shape(f, 0.5f);
  EXPECT_NEAR(f.r[0].centre.x, 3 - std::sqrt(12.0), 1e-4);
  EXPECT_NEAR(f.r[0].centre.y, 0.5, 1e-4);
  EXPECT_NEAR(f.r[0].point.y, 0.0, 1e-5);                        // on the line
  EXPECT_NEAR(distance(f.r[1].point, arc.r[0].centre), 3.0, 1e-4);  // on the arc
  EXPECT_FALSE(clockwise(f.get()));
}

TEST_F(ConstructTest, FilletFromArcToLine) {
  // The same corner travelled backwards: down the arc to (0,0), then along -x.
  const Link arc = make_arc(3, 0, 3, 90, 180);
  const Link line = make_line(0, 0, -5, 0);
  Link f = make_line(0, 0, 0, 0, 0.5f);
  ASSERT_EQ(fillet_line_and_arc(line.get(), arc.get(), f.get(), FILLET_ARC_THEN_LINE), FILLET_OK);
  expect_fillet_shape(f, 0.5f);
  EXPECT_NEAR(f.r[0].centre.x, 3 - std::sqrt(12.0), 1e-4);
  EXPECT_NEAR(f.r[0].centre.y, 0.5, 1e-4);
  EXPECT_NEAR(distance(f.r[0].point, arc.r[0].centre), 3.0, 1e-4);  // starts on the arc
  EXPECT_NEAR(f.r[1].point.y, 0.0, 1e-5);                          // ends on the line
  EXPECT_TRUE(clockwise(f.get()));
}

TEST_F(ConstructTest, FilletThatFitsOnlyAsMajorArc) {
  // The line runs +x from (1,0); the arc runs clockwise about (1, 2.5). A fillet of radius 1
  // that leaves the line forwards must wrap more than half way round to meet the arc.
  const Link line = make_line(1, 0, 3, 0);
  const Link arc = make_arc(1, 2.5f, 1, 0, 180, true);
  Link f = make_line(0, 0, 0, 0, 1.0f);
  ASSERT_EQ(fillet_line_and_arc(line.get(), arc.get(), f.get(), FILLET_LINE_THEN_ARC), FILLET_OK);
  expect_fillet_shape(f, 1.0f);
  EXPECT_NEAR(f.r[0].centre.x, 1 + std::sqrt(1.75), 1e-4);
  EXPECT_NEAR(f.r[0].centre.y, 1.0, 1e-4);
  EXPECT_GT(f.r[0].sweep, PI);
  EXPECT_FALSE(clockwise(f.get()));
}

TEST_F(ConstructTest, FilletBetweenTwoArcs) {
  // Two humps meeting in a valley at (0,1); the fillet sits in the valley, turning left.
  const double r2 = std::sqrt(2.0);
  const Link a1 = make_arc(-1, 0, static_cast<float>(r2), 180, 45, true);
  const Link a2 = make_arc(1, 0, static_cast<float>(r2), 135, 0, true);
  Link f = make_line(0, 0, 0, 0, 0.2f);
  ASSERT_EQ(fillet_two_arcs(a1.get(), a2.get(), f.get()), FILLET_OK);
  expect_fillet_shape(f, 0.2f);
  const double y = std::sqrt((r2 + 0.2) * (r2 + 0.2) - 1.0);
  EXPECT_NEAR(f.r[0].centre.x, 0.0, 1e-4);
  EXPECT_NEAR(f.r[0].centre.y, y, 1e-4);
  EXPECT_NEAR(distance(f.r[0].point, a1.r[0].centre), r2, 1e-4);
  EXPECT_NEAR(distance(f.r[1].point, a2.r[0].centre), r2, 1e-4);
  EXPECT_LT(f.r[0].point.x, f.r[1].point.x);
  EXPECT_FALSE(clockwise(f.get()));
}

TEST_F(ConstructTest, FilletSearchesRestoreSharedTolerances) {
  struct Case {
    const char* name;
    int (*run)(LinkRecord* fillet);
    int result;
  };
  static const Link line = make_line(-5, 0, 0, 0);
  static const Link arc = make_arc(3, 0, 3, 180, 90, true);
  static const Link far_arc = make_arc(30, 30, 1, 0, 90);
  const Case cases[] = {
      {"line-arc found", [](LinkRecord* f) { return fillet_line_and_arc(line.get(), arc.get(), f, 0); }, 0},
      {"line-arc none", [](LinkRecord* f) { return fillet_line_and_arc(line.get(), far_arc.get(), f, 0); }, -1},
      {"arcs none", [](LinkRecord* f) { return fillet_two_arcs(arc.get(), far_arc.get(), f); }, -1},
  };
  for (const Case& c : cases) {
    g_geometry2d.circle_intersection_limit = 5.0;
    g_float2d.double_root_tolerance = 0.5;
    Link f = make_line(0, 0, 0, 0, 0.5f);
    EXPECT_EQ(c.run(f.get()), c.result) << c.name;
    EXPECT_EQ(g_geometry2d.circle_intersection_limit, 1e12) << c.name;
    EXPECT_EQ(g_float2d.double_root_tolerance, 1e-8) << c.name;
  }
}

TEST_F(ConstructTest, FilletIntoAnItemKeepsTheClosingRecordsOtherBytes) {
  // The fillet's next record may be an item's closing record: only its node part is written.
  const Link line = make_line(-5, 0, 0, 0);
  const Link arc = make_arc(3, 0, 3, 180, 90, true);
  Link f = make_line(0, 0, 0, 0, 0.5f);
  f.r[1].code = 123.0f;
  f.r[1].box_max = {9, 9};
  ASSERT_EQ(fillet_line_and_arc(line.get(), arc.get(), f.get(), 0), FILLET_OK);
  EXPECT_EQ(f.r[1].code, 123.0f);
  EXPECT_EQ(f.r[1].box_max.x, 9.0f);
}

// ---- choosing among candidate pairs ----

TEST_F(ConstructTest, PickNearestPair) {
  const PointF pairs[][2] = {
      {{0, 0}, {10, 0}},
      {{1, 1}, {9, 1}},
      {{5, 5}, {5, 5}},
      {{1, 1}, {9, 1}},  // a tie with pair 1: the earlier wins
  };
  Link l = make_line(0, 0, 0, 0);
  const PointF r1 = {1, 2};
  const PointF r2 = {9, 2};
  EXPECT_EQ(pick_nearest_pair(pairs, 4, l.get(), &r1, &r2), 1);
  EXPECT_EQ(l.r[0].point.x, 1.0f);
  EXPECT_EQ(l.r[1].point.x, 9.0f);
  EXPECT_EQ(pick_nearest_pair(pairs, 1, l.get(), &r1, &r2), 0);
  EXPECT_EQ(l.r[1].point.x, 10.0f);
  Link untouched = make_line(3, 3, 4, 4);
  EXPECT_EQ(pick_nearest_pair(pairs, 0, untouched.get(), &r1, &r2), 0);
  EXPECT_EQ(untouched.r[0].point.x, 3.0f);
}

}  // namespace
