#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "geometry/double_arc_record.h"
#include "geometry/geometry2d.h"
#include "link_fixtures.h"
#include "tests/geometry/geometry_host_log.h"

using link_test::add_item;
using link_test::arc_from;
using link_test::at;
using link_test::distance;
using link_test::Link;
using link_test::make_arc;
using link_test::make_circle;
using link_test::make_line;

namespace {

constexpr double PI = ANGLE_PI;

class Geometry2dTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_geometry2d();
    reset_float2d_state();
    free_current_list();
    reset_list_store();
    install_logging_geometry_host();
  }
  void TearDown() override { free_current_list(); }
  const IntersectionResult& hit() const { return g_geometry2d.intersection; }
};

// ---- angles ----

TEST_F(Geometry2dTest, AngleDifferencesReduceIntoHalfTurn) {
  struct Case {
    double a, b, signed_d, abs_d;
  };
  const Case cases[] = {
      {0.1, 6.2, 6.1 - 2 * PI, 2 * PI - 6.1},  // across zero: the short way round
      {6.2, 0.1, 2 * PI - 6.1, 2 * PI - 6.1},
      {1.0, 2.0, 1.0, 1.0},
      {0.0, PI, PI, PI},    // exactly half a turn stays positive
      {PI, 0.0, -PI, PI},   // and its mirror is -pi signed, pi in size
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(signed_angle_difference(c.a, c.b), c.signed_d, 1e-12) << c.a << " " << c.b;
    EXPECT_NEAR(abs_angle_difference(c.a, c.b), c.abs_d, 1e-12) << c.a << " " << c.b;
  }
  EXPECT_NEAR(signed_angle_difference(0.1, 6.2), -0.1832, 1e-4);
}

TEST_F(Geometry2dTest, ArcTangentFollowsTravel) {
  struct Case {
    bool clockwise;
    PointF p;
    double expected;
  };
  const Case cases[] = {
      {false, {1, 0}, PI / 2},
      {true, {1, 0}, 3 * PI / 2},
      {true, {0, 1}, 0.0},
      {false, {0, -1}, 0.0},  // 3pi/2 + pi/2 wraps to 0
      {false, {-1, 0}, 3 * PI / 2},
  };
  for (const Case& c : cases) {
    const Link arc = make_arc(0, 0, 1, 0, 90, c.clockwise);
    EXPECT_NEAR(arc_tangent_angle(&c.p, arc.get()), c.expected, 1e-6)
        << c.p.x << "," << c.p.y << " cw " << c.clockwise;
  }
}

TEST_F(Geometry2dTest, ArcDirectionThroughPoint) {
  struct Case {
    PointF p;
    bool clockwise;
    double start, sweep;
  };
  // Quarter from (1,0) to (0,1) about the origin.
  const Case cases[] = {
      {{0.7071f, 0.7071f}, false, 0.0, PI / 2},
      {{-1, 0}, true, PI / 2, 3 * PI / 2},
      {{0, -1}, true, PI / 2, 3 * PI / 2},
      {{0, 2}, false, 0.0, PI / 2},  // exactly at the next node's angle: counter-clockwise
  };
  for (const Case& c : cases) {
    Link arc = make_arc(0, 0, 1, 0, 90, !c.clockwise);
    set_arc_direction_through(arc.get(), &c.p);
    EXPECT_EQ((arc.r[0].link_flags & LINK_CLOCKWISE) != 0, c.clockwise) << c.p.x << "," << c.p.y;
    EXPECT_NEAR(arc.r[0].start_angle, c.start, 1e-6) << c.p.x << "," << c.p.y;
    EXPECT_NEAR(arc.r[0].sweep, c.sweep, 1e-6) << c.p.x << "," << c.p.y;
  }
}

// ---- circle through three points ----

TEST_F(Geometry2dTest, CircleThroughThreePoints) {
  struct Case {
    PointF p, q, r;
    int result;
    PointF centre;
    float radius;
    bool clockwise;
  };
  const Case cases[] = {
      {{0, 0}, {1, 1}, {2, 0}, 0, {1, 0}, 1.0f, true},
      {{2, 0}, {1, 1}, {0, 0}, 0, {1, 0}, 1.0f, false},
      {{5, 5}, {5, 7}, {3, 5}, 0, {4, 6}, std::sqrt(2.0f), false},
      // two points coincide: the remaining two are a diameter
      {{0, 0}, {0, 0}, {2, 0}, 1, {1, 0}, 1.0f, false},
      {{0, 0}, {3, 0}, {3, 0.00001f}, 1, {1.5f, 0}, 1.5f, false},
      {{0, 0}, {1, 1}, {0, 0}, 1, {0.5f, 0.5f}, std::sqrt(0.5f), false},
  };
  for (const Case& c : cases) {
    Link out = make_line(0, 0, 0, 0);
    ASSERT_EQ(circle_through3_points(&c.p, &c.q, &c.r, out.get()), c.result) << c.q.x << "," << c.q.y;
    EXPECT_NEAR(out.r[0].centre.x, c.centre.x, 1e-5);
    EXPECT_NEAR(out.r[0].centre.y, c.centre.y, 1e-5);
    EXPECT_NEAR(out.r[0].code, c.radius, 1e-5);
    EXPECT_EQ((out.r[0].link_flags & LINK_CLOCKWISE) != 0, c.clockwise);
  }
  EXPECT_EQ(g_host_log.pointer_shape, 0);
}

TEST_F(Geometry2dTest, CircleThroughThreePointsFailsOnLineOrHugeRadius) {
  const PointF lines[][3] = {
      {{0, 0}, {1, 1}, {2, 2}},
      {{0, 0}, {1000, 0.001f}, {2000, 0}},  // radius far above 300,000
  };
  for (const auto& pts : lines) {
    Link out = make_line(0, 0, 0, 0);
    out.r[0].code = 5.0f;
    g_host_log.pointer_shape = 0;
    EXPECT_EQ(circle_through3_points(&pts[0], &pts[1], &pts[2], out.get()), CIRCLE3_FAILED);
    EXPECT_EQ(out.r[0].code, 0.0f);
    EXPECT_EQ(g_host_log.pointer_shape, 11);
  }
}

// ---- line equations ----

TEST_F(Geometry2dTest, LineEquationIsUnitNormalForm) {
  const PointF p1 = {1, 1};
  const PointF p2 = {4, 5};
  double a = 0, b = 0, c = 0;
  line_equation(&p1, &p2, &a, &b, &c);
  EXPECT_NEAR(a * a + b * b, 1.0, 1e-12);
  EXPECT_NEAR(a * p1.x + b * p1.y + c, 0.0, 1e-12);
  EXPECT_NEAR(a * p2.x + b * p2.y + c, 0.0, 1e-12);
  line_equation(&p1, &p1, &a, &b, &c);
  EXPECT_EQ(a, 0.0);
  EXPECT_EQ(b, 0.0);
  EXPECT_EQ(c, 0.0);
}

TEST_F(Geometry2dTest, SolveTwoLines) {
  // x - 1 = 0 and y - 2 = 0 meet at (1, 2).
  EXPECT_EQ(solve_two_lines(1, 0, -1, 0, 1, -2), SOLVE_LINES_POINT);
  EXPECT_FLOAT_EQ(hit().first.x, 1.0f);
  EXPECT_FLOAT_EQ(hit().first.y, 2.0f);
  EXPECT_EQ(solve_two_lines(1, 0, -1, 1, 0, -1), SOLVE_LINES_SAME);
  EXPECT_EQ(solve_two_lines(1, 0, -1, 1, 0, -3), SOLVE_LINES_PARALLEL);
}

TEST_F(Geometry2dTest, PerpendicularLineAndDistance) {
  const Link line = make_line(0, 0, 4, 0);
  const PointF p = {3, 5};
  EXPECT_NEAR(point_line_distance(&p, line.get()), 5.0, 1e-9);
  double a = 0, b = 0, c = 0;
  perpendicular_line_through_point(&p, line.get(), &a, &b, &c);
  EXPECT_NEAR(a * 3 + b * 5 + c, 0.0, 1e-9);  // passes the point
  EXPECT_NEAR(a * 3 + b * -7 + c, 0.0, 1e-9);  // and is vertical there
}

TEST_F(Geometry2dTest, BisectorOfTwoLines) {
  const Link l1 = make_line(-2, 0, 0, 0);
  const Link l2 = make_line(0, 0, 0, 2);
  EXPECT_NEAR(bisector_angle(l1.get(), l2.get()), 3 * PI / 4, 1e-6);
  // Directions 0 and 3pi/2 from the crossing: the bisector lies below, at -pi/4.
  const Link l3 = make_line(2, 0, 0, 0);
  const Link l4 = make_line(0, 0, 0, -2);
  EXPECT_NEAR(bisector_angle(l3.get(), l4.get()), -PI / 4, 1e-6);
  const Link parallel = make_line(0, 1, 2, 1);
  EXPECT_EQ(bisector_angle(l1.get(), parallel.get()), -1.0);
}

TEST_F(Geometry2dTest, LinkMidpoint) {
  PointF out = {};
  const Link arc = make_arc(0, 0, 2, 0, 90);
  link_midpoint(arc.get(), &out);
  EXPECT_NEAR(out.x, std::sqrt(2.0), 1e-5);
  EXPECT_NEAR(out.y, std::sqrt(2.0), 1e-5);
  Link ellipse = make_line(3, 0, 0, 1, LINK_ELLIPSE);
  ellipse.r[0].centre = {0, 0};
  link_midpoint(ellipse.get(), &out);
  EXPECT_EQ(out.x, 0.0f);
  EXPECT_EQ(out.y, 0.0f);
  const Link line = make_line(1, 1, 3, 5);
  link_midpoint(line.get(), &out);
  EXPECT_EQ(out.x, 2.0f);
  EXPECT_EQ(out.y, 3.0f);
}

// ---- intersections ----

TEST_F(Geometry2dTest, IntersectLines) {
  struct Case {
    Link a, b;
    int result;
    PointF point;
  };
  const Case cases[] = {
      {make_line(0, 0, 2, 0), make_line(1, -1, 1, 1), 1, {1, 0}},
      {make_line(0, 0, 1, 1), make_line(3, 0, 4, -1), 1, {1.5f, 1.5f}},  // infinite lines
      {make_line(0, 0, 2, 0), make_line(2, 0, 5, 0), INTERSECT_CONTINUING, {2, 0}},
      {make_line(0, 0, 2, 0), make_line(3, 0, 5, 0), INTERSECT_COLLINEAR, {2, 0}},
      {make_line(0, 0, 2, 0), make_line(0, 1, 2, 1), INTERSECT_NONE, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(intersect_lines(c.a.get(), c.b.get()), c.result) << c.b.r[0].point.x;
    if (c.result == INTERSECT_NONE) continue;
    EXPECT_NEAR(hit().first.x, c.point.x, 1e-6);
    EXPECT_NEAR(hit().first.y, c.point.y, 1e-6);
  }
}

TEST_F(Geometry2dTest, IntersectLinksDispatchesByCode) {
  const Link line = make_line(-5, 0.5f, 5, 0.5f);
  const Link arc = make_arc(0, 0, 1, 0, 90);
  const Link gap = make_line(-5, 0.5f, 5, 0.5f, LINK_GAP);
  EXPECT_EQ(intersect_links(line.get(), line.get()), INTERSECT_SAME_LINK);
  ASSERT_EQ(intersect_links(line.get(), arc.get()), 2);
  const PointF line_first = hit().first;
  ASSERT_EQ(intersect_links(arc.get(), line.get()), 2);
  EXPECT_EQ(hit().first.x, line_first.x);  // either order gives the same points
  EXPECT_EQ(intersect_links(gap.get(), arc.get()), 2);  // an empty gap counts as a line
  for (float code : {LINK_BEZIER, LINK_SPLINE, LINK_ELLIPSE, LINK_BOX}) {
    const Link curve = make_line(-5, 0, 5, 1, code);
    EXPECT_EQ(intersect_links(curve.get(), arc.get()), INTERSECT_UNHANDLED) << code;
    EXPECT_EQ(intersect_links(line.get(), curve.get()), INTERSECT_UNHANDLED) << code;
  }
}

TEST_F(Geometry2dTest, IntersectLineAndCircle) {
  struct Case {
    Link line;
    int result;
  };
  const Case cases[] = {
      {make_line(-3, 0, 3, 0), 2},              // through the centre: by roots
      {make_line(-3, 0.05f, 3, 0.05f), 2},      // near the centre: by roots
      {make_line(-3, 1.2f, 3, 1.4f), 2},        // secant
      {make_line(-3, 2, 3, 2), 1},              // tangent
      {make_line(-3, 2.001f, 3, 2.001f), 0},    // just clear
      {make_line(0, 5, 0, 3), 2},               // vertical through the centre, beyond the segment
  };
  const Link circle = make_arc(0, 0, 2, 10, 20);  // the arc's extent is not tested
  for (const Case& c : cases) {
    ASSERT_EQ(intersect_links(c.line.get(), circle.get()), c.result) << c.line.r[0].point.y;
    const PointF pts[2] = {hit().first, hit().second};
    for (int i = 0; i < c.result; ++i) {
      const PointF origin = {0, 0};
      EXPECT_NEAR(distance(pts[i], origin), 2.0, 2e-5) << c.line.r[0].point.y;
      EXPECT_NEAR(point_line_distance(&pts[i], c.line.get()), 0.0, 2e-5) << c.line.r[0].point.y;
    }
  }
  EXPECT_NEAR(hit().first.x, 0.0, 1e-6);
}

TEST_F(Geometry2dTest, ZeroLengthLineAgainstCircleByRoots) {
  const Link dot = make_line(0.01f, 0, 0.01f, 0);
  const Link circle = make_arc(0, 0, 1, 0, 90);
  EXPECT_EQ(intersect_line_circle_by_roots(dot.get(), circle.get()), -1);
}

// The radius decides the double-root tolerance of its own solve only: after a line was cut with
// a small or a big circle, the solver still tells x * x = 1e-7 from a double root.
TEST_F(Geometry2dTest, RootToleranceOfARadiusDoesNotOutliveItsSolve) {
  const Link line = make_line(-100, 0, 100, 0);
  for (const float radius : {0.00005f, 0.05f, 5.0f, 50.0f}) {
    const Link circle = make_arc(0, 0, radius, 0, 90);
    const double at_rest = g_float2d.double_root_tolerance;
    EXPECT_EQ(intersect_line_circle_by_roots(line.get(), circle.get()), 2) << radius;
    EXPECT_EQ(g_float2d.double_root_tolerance, at_rest) << radius;
    double roots[2] = {0.0, 0.0};
    EXPECT_EQ(quadratic_roots(1.0, 0.0, -1e-7, roots), 2) << radius;
  }
}

TEST_F(Geometry2dTest, IntersectArcs) {
  struct Case {
    float x2, r2;
    int result;
  };
  // Circle 1 is about the origin with radius 1.
  const Case cases[] = {
      {2.0f, 1.0f, 1},                 // touching from outside
      {2.000002f, 1.0f, 0},            // 2e-6 apart
      {2.0000005f, 1.0f, 1},           // apart by less than 1e-6 still touches
      {1.0f, 1.0f, 2},                 // crossing
      {0.5f, 0.5f, 1},                 // touching from inside
      {0.2f, 0.5f, 0},                 // one inside the other
      {0.0f, 1.0f, INTERSECT_CONCENTRIC},
      {0.0f, 3.0f, INTERSECT_CONCENTRIC},
      {5.0f, 1.0f, 0},
  };
  for (const Case& c : cases) {
    const Link a = make_arc(0, 0, 1, 0, 90);
    const Link b = make_arc(c.x2, 0, c.r2, 0, 90);
    ASSERT_EQ(intersect_arcs(a.get(), b.get()), c.result) << c.x2 << " r " << c.r2;
    const PointF pts[2] = {hit().first, hit().second};
    for (int i = 0; i < c.result; ++i) {
      EXPECT_NEAR(distance(pts[i], a.r[0].centre), 1.0, 1e-5) << c.x2;
      EXPECT_NEAR(distance(pts[i], b.r[0].centre), c.r2, 1e-5) << c.x2;
    }
  }
  const Link a = make_arc(0, 0, 1, 0, 90);
  const Link b = make_arc(1, 0, 1, 0, 90);
  intersect_arcs(a.get(), b.get());
  EXPECT_GT(hit().first.y, 0.0f);  // +pi/2 of the line of centres first
}

TEST_F(Geometry2dTest, IntersectCirclesInDouble) {
  struct Case {
    CircleD c1, c2;
    int result;
  };
  const Case cases[] = {
      {{{0, 0}, 1}, {{1, 0}, 1}, 2},
      {{{0, 0}, 1}, {{2, 0}, 1}, 1},
      {{{0, 0}, 1}, {{3, 0}, 1}, 0},
      {{{0, 0}, 1}, {{0, 0}, 2}, INTERSECT_CONCENTRIC},
      {{{0, 0}, 1}, {{2.0000000001, 0}, 1}, 1},  // a near miss counts as touching
  };
  for (const Case& c : cases) {
    ASSERT_EQ(intersect_circles_d(&c.c1, &c.c2), c.result) << c.c2.centre.x;
    const PointD pts[2] = {hit().first_d, hit().second_d};
    for (int i = 0; i < c.result; ++i) {
      EXPECT_NEAR(point_distance_d(&pts[i], &c.c1.centre), c.c1.radius, 1e-9);
      EXPECT_NEAR(point_distance_d(&pts[i], &c.c2.centre), c.c2.radius, 1e-4);
    }
  }
}

TEST_F(Geometry2dTest, CircleIntersectionLimitDecidesNearTangency) {
  // Crossing by a hair: two points at the default limit, one under the fillet limit.
  const CircleD c1 = {{0, 0}, 1};
  const CircleD c2 = {{1.999999, 0}, 1};
  EXPECT_EQ(intersect_circles_d(&c1, &c2), 2);
  g_geometry2d.circle_intersection_limit = CIRCLE_INTERSECTION_LIMIT_FILLET;
  EXPECT_EQ(intersect_circles_d(&c1, &c2), 1);
  EXPECT_NEAR(hit().first_d.x, 0.9999995, 1e-9);
}

TEST_F(Geometry2dTest, IntersectionsWithinBothLinks) {
  struct Case {
    Link a, b;
    int result;
    PointF first;
  };
  const Case cases[] = {
      {make_line(0, 0, 2, 2), make_line(0, 2, 2, 0), 1, {1, 1}},
      {make_line(0, 0, 1, 1), make_line(0, 4, 4, 0), 0, {}},        // lines cross past the ends
      {make_line(0, 0, 1, 0), make_line(5, 5, 6, 6), 0, {}},        // boxes apart
      // the quarter arc from 0 to 90 degrees meets the line only at (0.6, 0.8)
      {make_line(-2, 0.8f, 2, 0.8f), make_arc(0, 0, 1, 0, 90), 1, {0.6f, 0.8f}},
      {make_line(0, 0, 1, 0), make_line(1, 0, 3, 0), INTERSECT_CONTINUING, {}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(intersect_links_within(c.a.get(), c.b.get()), c.result) << c.a.r[1].point.y;
    if (c.result != 1) continue;
    EXPECT_NEAR(hit().first.x, c.first.x, 1e-5);
    EXPECT_NEAR(hit().first.y, c.first.y, 1e-5);
  }
  const Link line = make_line(0, 0, 1, 0);
  EXPECT_EQ(intersect_links_within(line.get(), line.get()), INTERSECT_SAME_LINK);
}

// ---- distances, lengths, boxes ----

TEST_F(Geometry2dTest, DistanceToLinkFoot) {
  const Link line = make_line(0, 0, 4, 0);
  const PointF over = {1, 3};
  const PointF beyond = {6, 3};
  EXPECT_NEAR(distance_to_link_foot(&over, line.get()), 3.0, 1e-6);
  EXPECT_EQ(distance_to_link_foot(&beyond, line.get()), 1e10);
}

TEST_F(Geometry2dTest, LinkAndItemLengths) {
  Link half = make_arc(0, 0, 2, 0, 180);
  EXPECT_NEAR(link_length(half.get()), 2 * PI, 1e-5);
  const Link circle = make_circle(0, 0, 1.5f);
  EXPECT_NEAR(link_length(circle.get()), 3 * PI, 1e-5);
  const Link line = make_line(0, 0, 3, 4);
  EXPECT_FLOAT_EQ(link_length(line.get()), 5.0f);
  const Link gap = make_line(0, 0, 0, 2, LINK_GAP);
  EXPECT_FLOAT_EQ(link_length(gap.get()), 2.0f);

  DrawingItem* item = add_item({at(0, 0), arc_from(3, 0, 4, 0), at(5, 0), at(5, 4)}, false);
  ASSERT_NE(item, nullptr);
  EXPECT_NEAR(item_length(item), 3 + PI + 4, 1e-5);
}

TEST_F(Geometry2dTest, LinkBoxesOverlapWithinSlack) {
  const Link a = make_line(0, 0, 1, 1);
  struct Case {
    Link b;
    int result;
  };
  const Case cases[] = {
      {make_line(1.00005f, 0, 2, 1), 1},
      {make_line(0, 1.00005f, 1, 2), 1},
      {make_line(1.001f, 0, 2, 1), 0},
      {make_line(0, -2, 1, -0.001f), 0},
      {make_line(0.5f, 0.5f, 3, 3), 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(link_boxes_overlap(a.get(), c.b.get()), c.result) << c.b.r[0].point.x;
    EXPECT_EQ(link_boxes_overlap(c.b.get(), a.get()), c.result) << c.b.r[0].point.x;
  }
}

// ---- placing an arc's centre ----

TEST_F(Geometry2dTest, FitArcCentreToChord) {
  struct Case {
    float radius;
    PointF side;
    int choice;
    int result;
    PointF centre;
    float code;
  };
  // Chord from (0,0) to (2,0): half chord 1.
  const float r = std::sqrt(2.0f);
  const Case cases[] = {
      {0.985f, {0, 0}, 0, 0, {}, 0},                         // 1.5% short: fails
      {0.995f, {0, 0}, 0, 1, {1, 0}, 1.0f},                  // 0.5% short: the midpoint
      {r, {1, -5}, FIT_CENTRE_NEAR_POINT, 1, {1, -1}, r},
      {r, {1, 5}, FIT_CENTRE_NEAR_POINT, 1, {1, 1}, r},
      // (1,1) is nearer the side point, but (1,-1) lies nearer one radius away from it
      {r, {1, 0.9f}, FIT_CENTRE_RADIUS_FROM_POINT, 1, {1, -1}, r},
      {r, {1, 0.9f}, FIT_CENTRE_NEAR_POINT, 1, {1, 1}, r},
  };
  for (const Case& c : cases) {
    Link arc = make_line(0, 0, 2, 0, c.radius);
    arc.r[0].centre = {7, 7};
    ASSERT_EQ(fit_arc_centre(arc.get(), &c.side, c.choice), c.result) << c.radius;
    if (c.result == 0) continue;
    EXPECT_NEAR(arc.r[0].centre.x, c.centre.x, 1e-5) << c.radius;
    EXPECT_NEAR(arc.r[0].centre.y, c.centre.y, 1e-5) << c.radius;
    EXPECT_NEAR(arc.r[0].code, c.code, 1e-6) << c.radius;
    EXPECT_GT(arc.r[0].sweep, 0.0f);  // angles recomputed
  }
}

TEST_F(Geometry2dTest, FitArcCentreOnCoincidingNodes) {
  Link arc = make_line(1, 1, 1, 1, 2.0f);
  arc.r[0].centre = {1, 5};
  const PointF side = {0, 0};
  EXPECT_EQ(fit_arc_centre(arc.get(), &side, 0), 1);
  EXPECT_NEAR(arc.r[0].centre.x, 1.0, 1e-6);
  EXPECT_NEAR(arc.r[0].centre.y, 3.0, 1e-6);  // radius 2 towards the old centre
  EXPECT_NEAR(arc.r[0].sweep, 2 * PI, 1e-5);
}

TEST_F(Geometry2dTest, FitArcCentreInDouble) {
  struct Case {
    double radius;
    PointD side;
    int result;
    PointD centre;
    double out_radius;
  };
  const double r = std::sqrt(2.0);
  const Case cases[] = {
      {0.985, {0, 0}, 0, {}, 0},
      {0.995, {0, 0}, 1, {1, 0}, 1.0},
      {1.0, {0, 0}, 1, {1, 0}, 1.0},   // touching circles: the one candidate
      {r, {1, -5}, 1, {1, -1}, r},
      {r, {1, 5}, 1, {1, 1}, r},
  };
  for (const Case& c : cases) {
    DoubleArcRecord arc = {{0, 0}, {9, 9}, c.radius, {2, 0}};
    ASSERT_EQ(fit_arc_centre_d(&arc, &c.side, FIT_CENTRE_NEAR_POINT), c.result) << c.radius;
    if (c.result == 0) continue;
    EXPECT_NEAR(arc.centre.x, c.centre.x, 1e-6) << c.radius;
    EXPECT_NEAR(arc.centre.y, c.centre.y, 1e-6) << c.radius;
    EXPECT_NEAR(arc.radius, c.out_radius, 1e-9) << c.radius;
  }
}

// ---- arcs through points and tangent circles ----

TEST_F(Geometry2dTest, ArcThroughPointKeepsRadiusDirection) {
  Link arc = make_arc(0, 0, 1, 0, 90);
  const PointF p = {0, 3};
  arc_through_point(arc.get(), &p);
  EXPECT_NEAR(arc.r[0].centre.x, -4.0, 1e-5);
  EXPECT_NEAR(arc.r[0].centre.y, 0.0, 1e-5);
  EXPECT_NEAR(arc.r[0].code, 5.0, 1e-5);
  EXPECT_NEAR(distance(arc.r[0].centre, p), 5.0, 1e-5);
}

// The circle (centre, rho) touches the circle (c, r) from outside or inside.
bool touches(const PointF& centre, double rho, const PointF& c, double r) {
  const double d = distance(centre, c);
  return std::fabs(d - (rho + r)) < 1e-4 || std::fabs(d - std::fabs(rho - r)) < 1e-4;
}

TEST_F(Geometry2dTest, TangentCirclesThroughPoint) {
  struct Case {
    Link c1, c2;
    PointF p;
    int inner;
  };
  const Case cases[] = {
      {make_arc(-3, 0, 1, 0, 90), make_arc(3, 0, 1, 0, 90), {0, 2}, 0},
      {make_arc(-3, 0, 1, 0, 90), make_arc(3, 0, 1, 0, 90), {0, 2}, 1},
      {make_arc(-2, 1, 0.5f, 0, 90), make_arc(4, -1, 1.5f, 0, 90), {1, 3}, 0},
      {make_arc(-2, 1, 0.5f, 0, 90), make_arc(4, -1, 1.5f, 0, 90), {1, 3}, 1},
  };
  for (const Case& c : cases) {
    Link out1 = make_line(0, 0, 0, 0);
    Link out2 = make_line(0, 0, 0, 0);
    ASSERT_EQ(tangent_circles_through_point(c.c1.get(), c.c2.get(), &c.p, out1.get(), out2.get(),
                                            c.inner), 0)
        << c.p.x << "," << c.p.y << " inner " << c.inner;
    for (const Link* out : {&out1, &out2}) {
      const PointF centre = out->r[0].centre;
      const double rho = out->r[0].code;
      EXPECT_NEAR(distance(centre, c.p), rho, 1e-4) << c.p.x << " inner " << c.inner;
      EXPECT_TRUE(touches(centre, rho, c.c1.r[0].centre, c.c1.r[0].code)) << c.p.x << " inner " << c.inner;
      EXPECT_TRUE(touches(centre, rho, c.c2.r[0].centre, c.c2.r[0].code)) << c.p.x << " inner " << c.inner;
    }
  }
}

TEST_F(Geometry2dTest, TangentCirclesThroughPointDegenerate) {
  Link out1 = make_line(0, 0, 0, 0);
  Link out2 = make_line(0, 0, 0, 0);
  const PointF origin = {0, 0};
  // Both circles on one ray from the point, radii in proportion: no line of centres to solve.
  const Link a = make_arc(2, 0, 1, 0, 90);
  const Link b = make_arc(4, 0, 2, 0, 90);
  EXPECT_EQ(tangent_circles_through_point(a.get(), b.get(), &origin, out1.get(), out2.get(), 0), -1);
  Link dot = make_arc(2, 0, 1, 0, 90);
  dot.r[0].code = 0.0f;
  EXPECT_EQ(tangent_circles_through_point(dot.get(), b.get(), &origin, out1.get(), out2.get(), 0), -1);
}

TEST_F(Geometry2dTest, CirclesThroughPointTangentToLine) {
  struct Case {
    Link line;
    PointF p;
    float radius;
    int result;
    PointF c1, c2;
  };
  const Case cases[] = {
      {make_line(-5, 0, 5, 0), {0, 1}, 1.0f, 2, {1, 1}, {-1, 1}},
      {make_line(5, 0, -5, 0), {0, 1}, 1.0f, 2, {1, 1}, {-1, 1}},  // reversed line, same circles
      {make_line(-5, 0, 5, 0), {0, -1}, 1.0f, 2, {-1, -1}, {1, -1}},
      {make_line(-5, 0, 5, 0), {0, 1}, 0.5f, 1, {0, 0.5f}, {0, 0.5f}},
      {make_line(-5, 0, 5, 0), {0, 1}, 0.4f, 0, {}, {}},            // too small to reach
      {make_line(-5, 0, 5, 0), {2, 0}, 1.0f, 0, {}, {}},            // on the line
      {make_line(1, 1, 1, 1.0000005f), {0, 1}, 1.0f, 0, {}, {}},    // no line
  };
  for (const Case& c : cases) {
    Link out1 = make_line(0, 0, 0, 0);
    Link out2 = make_line(0, 0, 0, 0);
    out1.r[0].code = c.radius;
    ASSERT_EQ(circles_through_point_tangent_line(c.line.get(), &c.p, out1.get(), out2.get()), c.result)
        << c.p.x << "," << c.p.y << " r " << c.radius;
    if (c.result == 0) continue;
    EXPECT_NEAR(out1.r[0].centre.x, c.c1.x, 1e-5);
    EXPECT_NEAR(out1.r[0].centre.y, c.c1.y, 1e-5);
    EXPECT_NEAR(out2.r[0].centre.x, c.c2.x, 1e-5);
    EXPECT_NEAR(out2.r[0].centre.y, c.c2.y, 1e-5);
  }
}

// ---- orientation and refitting ----

TEST_F(Geometry2dTest, PolygonOrientation) {
  struct Case {
    std::vector<link_test::Node> nodes;
    bool closed;
    uint8_t type;
    int result;
  };
  const Case cases[] = {
      {{at(0, 0), at(1, 0), at(1, 1), at(0, 1), at(0, 0)}, true, ITEM_POLYLINE, 0},
      {{at(0, 0), at(0, 1), at(1, 1), at(1, 0), at(0, 0)}, true, ITEM_POLYLINE, 1},
      // the rightmost node is the first one: the incoming link wraps from the last record
      {{at(2, 0), at(0, 1), at(0, -1), at(2, 0)}, true, ITEM_POLYLINE, 0},
      {{at(2, 0), at(0, -1), at(0, 1), at(2, 0)}, true, ITEM_POLYLINE, 1},
      // a zero-length link arriving at the rightmost node is passed over
      {{at(0, 0), at(0, 2), at(2, 2), at(2, 2), at(2, 0), at(0, 0)}, true, ITEM_POLYLINE, 1},
      // an arc bulging right past every node decides by its own direction
      {{at(0, 0), arc_from(1, 0, 1, 0.5f, false), at(1, 1), at(0, 1), at(0, 0)}, true, ITEM_POLYLINE, 0},
      {{at(0, 0), at(0, 1), arc_from(1, 1, 1, 0.5f, true), at(1, 0), at(0, 0)}, true, ITEM_POLYLINE, 1},
      // open item: the closing chord stands in for the missing link
      {{at(0, 0), at(2, 0), at(0, 2)}, false, ITEM_POLYLINE, 0},
      // the rightmost point is the open item's last one
      {{at(0, 0), at(0, 2), at(2, 0)}, false, ITEM_POLYLINE, 1},
      {{at(0, 0), at(0, -2), at(2, 0)}, false, ITEM_POLYLINE, 0},
      {{at(0, 0), at(1, 0), at(0, 1), at(0, 0)}, true, ITEM_CIRCLE, 0},
      {{at(0, 0), at(1, 0), at(0, 1), at(0, 0)}, true, ITEM_TEXT, 1},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    DrawingItem* item = add_item(cases[i].nodes, cases[i].closed, cases[i].type);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(polygon_orientation(item), cases[i].result) << "case " << i;
  }
}

TEST_F(Geometry2dTest, OrientationOfOpenFullCircleIsItsDirection) {
  for (bool clockwise : {false, true}) {
    DrawingItem* item = add_item({arc_from(1, 0, 0, 0, clockwise), at(1, 0)}, false);
    ASSERT_NE(item, nullptr);
    EXPECT_NEAR(item_nodes(item)[0].sweep, 2 * PI, 1e-5);
    EXPECT_EQ(polygon_orientation(item), clockwise ? 1 : 0);
  }
}

TEST_F(Geometry2dTest, RefitItemArcsPutsArcsBackOnTheirNodes) {
  DrawingItem* item = add_item({at(-2, 0), arc_from(0, 0, 1, 0), at(2, 0), arc_from(2, 0, 2, 1), at(2, 0)}, false);
  ASSERT_NE(item, nullptr);
  LinkRecord* r = item_nodes(item);
  // A node moved: the half circle's centre is stale.
  r[2].point = {2.4f, 0};
  r[3] = r[3];
  r[1].centre = {1.1f, 0.3f};
  // The second arc is a circle code: it is re-derived elsewhere and must keep its code here.
  r[3].sweep = SWEEP_RADIUS_CIRCLE;
  r[3].centre = r[3].point;
  r[3].code = 1.0f;
  refit_item_arcs(item);
  EXPECT_NEAR(distance(r[1].centre, r[1].point), r[1].code, 1e-5);
  EXPECT_NEAR(distance(r[1].centre, r[2].point), r[1].code, 1e-5);
  EXPECT_EQ(r[3].sweep, SWEEP_RADIUS_CIRCLE);
  EXPECT_EQ(r[3].code, 1.0f);
}

TEST_F(Geometry2dTest, CopyNodePosition) {
  Link a = make_line(1, 2, 3, 4);
  Link b = make_line(5, 6, 7, 8);
  b.r[0].z = -0.5f;
  b.r[0].code = 3.0f;
  copy_node_position(a.get(), b.get());
  EXPECT_EQ(a.r[0].point.x, 5.0f);
  EXPECT_EQ(a.r[0].point.y, 6.0f);
  EXPECT_EQ(a.r[0].z, -0.5f);
  EXPECT_EQ(a.r[0].code, 0.0f);
}

}  // namespace
