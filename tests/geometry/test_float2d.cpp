#include <gtest/gtest.h>

#include <cmath>

#include "geometry/float2d.h"

namespace {

constexpr double PI = ANGLE_PI;

class Float2dTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_float2d_state(); }
};

TEST_F(Float2dTest, PointAngleIsCounterClockwiseFromPlusXInZeroToTwoPi) {
  struct Case {
    PointF to;
    double expected;
  };
  const Case cases[] = {
      {{1, 0}, 0.0},          {{-1, 0}, PI},          {{0, 1}, PI / 2},
      {{0, -1}, 1.5 * PI},    {{1, 1}, PI / 4},       {{-1, 1}, 0.75 * PI},
      {{-1, -1}, 1.25 * PI},  {{1, -1}, 1.75 * PI},   {{0, 0}, 0.0},
  };
  const PointF origin = {0, 0};
  for (const Case& c : cases) {
    EXPECT_NEAR(point_angle(&origin, &c.to), c.expected, 1e-6)
        << "to (" << c.to.x << ", " << c.to.y << ")";
  }
}

TEST_F(Float2dTest, DirectionAngleTreatsTinyOffsetsAsAxes) {
  struct Case {
    float x2, y2;
    float expected;
  };
  const Case cases[] = {
      {1.0f, 0.0000005f, 0.0f},         // below the 1e-6 guard: along +X
      {-1.0f, 0.0000005f, ANGLE_PI_F},  // along -X
      {0.0000005f, 2.0f, ANGLE_HALF_PI_F},
      {0.0000005f, -2.0f, ANGLE_THREE_HALF_PI_F},
      {1.0f, -1.0f, static_cast<float>(1.75 * PI)},
  };
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(xy_direction_angle(0.0f, 0.0f, c.x2, c.y2), c.expected)
        << "to (" << c.x2 << ", " << c.y2 << ")";
  }
}

TEST_F(Float2dTest, NormalizeVectorRefusesTinyVectorsAndLeavesOutAlone) {
  const PointF tiny = {1e-12f, 0.0f};
  PointF out = {7.0f, 7.0f};
  EXPECT_EQ(normalize_vector(&tiny, &out), 0);
  EXPECT_EQ(out.x, 7.0f);
  const PointF v = {3.0f, 4.0f};
  ASSERT_EQ(normalize_vector(&v, &out), 1);
  EXPECT_FLOAT_EQ(out.x, 0.6f);
  EXPECT_FLOAT_EQ(out.y, 0.8f);
}

TEST_F(Float2dTest, OffsetAlongNormalMovesToTheRightOfTravel) {
  const PointF p = {2.0f, 3.0f};
  const PointF east = {1.0f, 0.0f};
  const PointF north = {0.0f, 1.0f};
  PointF out;
  offset_along_normal(&p, &east, 1.5, &out);
  EXPECT_FLOAT_EQ(out.x, 2.0f);
  EXPECT_FLOAT_EQ(out.y, 1.5f);  // travelling east, the right is south
  offset_along_normal(&p, &north, 1.5, &out);
  EXPECT_FLOAT_EQ(out.x, 3.5f);  // travelling north, the right is east
  EXPECT_FLOAT_EQ(out.y, 3.0f);
}

TEST_F(Float2dTest, MirrorAndRotateAboutAPoint) {
  const PointF p = {1.0f, 1.0f};
  const PointF a = {0.0f, 0.0f};
  const PointF b = {4.0f, 0.0f};
  PointF out;
  ASSERT_EQ(mirror_point_two_points(&p, &a, &b, &out), 1);
  EXPECT_FLOAT_EQ(out.x, 1.0f);
  EXPECT_FLOAT_EQ(out.y, -1.0f);
  EXPECT_EQ(mirror_point_two_points(&p, &a, &a, &out), 0);

  const PointF q = {2.0f, 1.0f};
  const PointF centre = {1.0f, 1.0f};
  rotate_point_about(&out, &q, &centre, PI / 2);
  EXPECT_NEAR(out.x, 1.0f, 1e-6);
  EXPECT_NEAR(out.y, 2.0f, 1e-6);

  g_float2d.rotation_cos = 0.0;
  g_float2d.rotation_sin = 2.0;  // a quarter turn with a scale of 2
  float x, y;
  rotate_by_current_angle(&x, &y, 1.0f, 0.0f);
  EXPECT_FLOAT_EQ(x, 0.0f);
  EXPECT_FLOAT_EQ(y, 2.0f);
}

TEST_F(Float2dTest, SlopeOfAVerticalLineIsHuge) {
  double slope = 0, intercept = 0;
  const PointF a = {2.0f, 1.0f};
  const PointF up = {2.0f, 5.0f};
  line_slope_intercept(&a, &up, &slope, &intercept);
  EXPECT_EQ(slope, 900000000000.0);
  const PointF b = {4.0f, 5.0f};
  line_slope_intercept(&a, &b, &slope, &intercept);
  EXPECT_DOUBLE_EQ(slope, 2.0);
  EXPECT_DOUBLE_EQ(intercept, -3.0);
}

TEST_F(Float2dTest, QuadraticRootsAscendingWithDegenerateCases) {
  struct Case {
    double a, b, c;
    int count;
    double r1, r2;
  };
  const Case cases[] = {
      {1, -3, 2, 2, 1, 2},
      {-1, 3, -2, 2, 1, 2},     // negative leading term: still ascending
      {1, -2, 1, 1, 1, 0},      // double root
      {1, 0, 1, 0, 0, 0},       // no real root
      {0, 2, 1, 0, 0, 0},       // linear: no roots reported
      {0, 0, 1, -1, 0, 0},      // nothing to solve
  };
  for (const Case& c : cases) {
    double roots[2] = {-99, -99};
    const int count = quadratic_roots(c.a, c.b, c.c, roots);
    EXPECT_EQ(count, c.count) << c.a << " t^2 + " << c.b << " t + " << c.c;
    if (count >= 1) {
      EXPECT_DOUBLE_EQ(roots[0], c.r1);
    }
    if (count == 2) {
      EXPECT_DOUBLE_EQ(roots[1], c.r2);
    }
  }
}

TEST_F(Float2dTest, QuadraticRootsSharedToleranceMergesNearRoots) {
  double roots[2];
  // Discriminant 1e-6: two roots at rest, one when the tolerance is raised.
  EXPECT_EQ(quadratic_roots(1, -2, 1 - 1e-6, roots), 2);
  g_float2d.double_root_tolerance = 1e-4;
  EXPECT_EQ(quadratic_roots(1, -2, 1 - 1e-6, roots), 1);
  EXPECT_DOUBLE_EQ(roots[0], 1.0);
}

TEST_F(Float2dTest, QuadraticRootsFloatTwin) {
  float r1 = 0, r2 = 0;
  ASSERT_EQ(quadratic_roots_f(1, -3, 2, &r1, &r2), 0);
  EXPECT_FLOAT_EQ(r1, 2.0f);
  EXPECT_FLOAT_EQ(r2, 1.0f);
  EXPECT_EQ(quadratic_roots_f(0, -3, 2, &r1, &r2), -1);
  EXPECT_EQ(quadratic_roots_f(1, 0, 1, &r1, &r2), -1);
}

// Sums the chord vectors from the start point; returns the end point.
PointF walk_chords(const PointF* vectors, int count, double radius, double start) {
  double x = radius * std::cos(start);
  double y = radius * std::sin(start);
  for (int i = 0; i < count; ++i) {
    x += vectors[i].x;
    y += vectors[i].y;
  }
  return PointF{static_cast<float>(x), static_cast<float>(y)};
}

TEST_F(Float2dTest, ArcToChordStepsCountsAndEndsOnTheEndAngle) {
  struct Case {
    double start, end;
    int clockwise;
    double step;
    int count;
  };
  const Case cases[] = {
      {0.0, PI / 2, 0, 0.1, 16},
      {PI / 2, 0.0, 1, 0.1, 16},         // clockwise the same quarter
      {0.0, 0.0, 0, 0.1, 63},            // equal angles: a full circle
      {0.0, PI / 2, 0, 0.000001, 0},     // a step below 0.00001 writes nothing
      {0.0, 0.14, 0, 0.1, 0},            // one chord or fewer writes nothing
      {0.0, 2 * PI - 0.001, 0, 0.00002, 2000},  // the step count is capped
  };
  static PointF vectors[ARC_CHORD_STEPS_MAX];
  const double radius = 5.0;
  for (const Case& c : cases) {
    const int count = arc_to_chord_steps(vectors, c.start, c.end, radius, c.clockwise, c.step);
    EXPECT_EQ(count, c.count) << "from " << c.start << " to " << c.end;
    if (count == 0) continue;
    const PointF end = walk_chords(vectors, count, radius, c.start);
    EXPECT_NEAR(end.x, radius * std::cos(c.end), 1e-4) << "from " << c.start << " to " << c.end;
    EXPECT_NEAR(end.y, radius * std::sin(c.end), 1e-4) << "from " << c.start << " to " << c.end;
  }
}

TEST_F(Float2dTest, ArcFromCentreOffsetGivesRadiusAndAngles) {
  float start = -1, end = -1;
  // Start at the origin, centre one unit right, end two units right: a half circle.
  EXPECT_FLOAT_EQ(arc_from_centre_offset(2.0f, 0.0f, 1.0f, 0.0f, &start, &end), 1.0f);
  EXPECT_FLOAT_EQ(start, ANGLE_PI_F);
  EXPECT_FLOAT_EQ(end, 0.0f);
}

TEST_F(Float2dTest, ArcTextStepperLimitsStepsAndWraps) {
  step_angle_along_arc(-1, 2.0);  // radius 2
  step_angle_along_arc(-2, 0.5);  // at 0.5 rad
  EXPECT_NEAR(step_angle_along_arc(1, 5.0), 1.5, 1e-12);  // 5 / 2 = 2.5 rad limited to 1
  EXPECT_NEAR(step_angle_along_arc(0, 1.0), 1.0, 1e-12);  // clockwise half a radian
  EXPECT_NEAR(step_angle_along_arc(0, 1.6), 0.2, 1e-12);
  EXPECT_NEAR(step_angle_along_arc(0, 1.0), 2 * PI - 0.3, 1e-12);  // below 0 wraps up
}

TEST_F(Float2dTest, DoubleTwins) {
  const PointD a = {1.0, 2.0};
  const PointD b = {4.0, 6.0};
  EXPECT_DOUBLE_EQ(point_distance_d(&a, &b), 5.0);
  EXPECT_DOUBLE_EQ(cross_product_d(&a, &b), -2.0);
  EXPECT_DOUBLE_EQ(dot_product_d(&a, &b), 16.0);
  PointD m;
  midpoint_d(&a, &b, &m);
  EXPECT_DOUBLE_EQ(m.x, 2.5);
  EXPECT_DOUBLE_EQ(m.y, 4.0);
}

}  // namespace
