// The shapes of items that are not plain polylines: sizes read back from the links they were
// built into, against the test's own double-precision geometry.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/geometry2d.h"
#include "geometry/item_shapes.h"
#include "geometry/link_moves.h"
#include "tests/geometry/item_fixture.h"
#include "tests/geometry/link_fixtures.h"

namespace {

constexpr double PI = 3.14159265358979323846;

double dist(PointF a, PointF b) { return std::hypot(double(a.x) - b.x, double(a.y) - b.y); }

TEST(SnapRightAngle, NearRightAnglesBecomeExact) {
  const struct {
    double in, out;
  } cases[] = {
      {1.5706, PI / 2}, {6.2830, 0.0},  {3.1413, PI}, {4.7121, 3 * PI / 2},
      {0.0004, 0.0},    {0.0006, 0.0006}, {1.0, 1.0},  {1.5700, 1.5700},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_DOUBLE_EQ(snap_right_angle(c.in), c.out);
  }
}

using link_test::make_arc;
using link_test::make_line;

// A radius of exactly half the chord cannot span it: the centre is placed for 0.7 x chord and
// the link keeps its own radius.
TEST(FitArcRadius, HalfTheChordFitsTheWorkingRadius) {
  auto arc = make_arc(0, 0, 5, 180, 0, true);  // ends (-5, 0) and (5, 0): chord 10
  LinkRecord* r = arc.get();
  r->code = 5.0f;
  const PointF side = {0, 100};
  ASSERT_EQ(fit_arc_radius(r, &side, 10.0f), 1);
  EXPECT_FLOAT_EQ(r->code, 5.0f);
  EXPECT_NEAR(dist(r->centre, r[0].point), 7.0, 1e-4);
  EXPECT_NEAR(dist(r->centre, r[1].point), 7.0, 1e-4);
  EXPECT_GT(r->centre.y, 0.0f);  // the side point's side
}

TEST(FitArcRadius, ALargerRadiusTakesTheCentreNearerTheSidePoint) {
  auto arc = make_arc(0, 0, 5, 180, 0, true);
  LinkRecord* r = arc.get();
  r->code = 13.0f;
  const PointF below = {0, -50};
  ASSERT_EQ(fit_arc_radius(r, &below, 10.0f), 1);
  EXPECT_NEAR(r->centre.x, 0.0, 1e-4);
  EXPECT_NEAR(r->centre.y, -12.0, 1e-3);
  EXPECT_FLOAT_EQ(r->code, 13.0f);
}

TEST(FitArcRadius, EndsThatCoincideFitNothing) {
  auto arc = make_line(3, 3, 3, 3, 4.0f);
  LinkRecord* r = arc.get();
  const PointF side = {0, 0};
  EXPECT_EQ(fit_arc_radius(r, &side, 0.0f), 0);
  EXPECT_EQ(r->code, 0.0f);
}

class ItemShapeTest : public ItemTest {};

TEST_F(ItemShapeTest, CircleRebuiltAsAFullArcFromAngleZero) {
  DrawingItem* item = make_item({{7, 1, 3.0f}, {7, 1}}, ITEM_CIRCLE);
  LinkRecord* r = item_nodes(item);
  rebuild_circle(r, {2, 1}, 10.0f / 2);
  EXPECT_FLOAT_EQ(r[0].code, 5.0f);
  EXPECT_FLOAT_EQ(r[0].point.x, 7.0f);
  EXPECT_FLOAT_EQ(r[0].point.y, 1.0f);
  EXPECT_FLOAT_EQ(r[1].point.x, 7.0f);
  EXPECT_EQ(r[0].start_angle, 0.0f);
  EXPECT_FLOAT_EQ(r[0].sweep, ANGLE_TWO_PI_F);
  EXPECT_FLOAT_EQ(r[0].box_min.x, -3.0f);
  EXPECT_FLOAT_EQ(r[0].box_max.y, 6.0f);
}

// A rectangle 10 long and 4 wide asks for a corner radius of 3: it keeps 0.49999 of 4.
TEST_F(ItemShapeTest, RoundedRectangleKeepsItsRadiusUnderHalfTheWidth) {
  DrawingItem* item = new_test_item(ITEM_ROUNDED_RECTANGLE, 8, GEOMETRY_KIND_DRAWING_AID);
  item_nodes(item)[0].link_flags = LINK_CLOCKWISE;
  build_rounded_rect(item, {0, 0}, 4.0f, 10.0f, 3.0f, 0.0, NODE_TANGENT);
  RoundedRectSizes s;
  rounded_rect_dimensions(item_nodes(item), &s);
  EXPECT_NEAR(s.radius, 1.99996, 1e-6);
  EXPECT_NEAR(s.length, 10.0, 1e-4);
  EXPECT_NEAR(s.width, 4.0, 1e-4);
  // Each corner a quarter circle, each straight side between two tangent points.
  const LinkRecord* r = item_nodes(item);
  for (int k = 0; k < 8; k += 2) {
    SCOPED_TRACE(k);
    EXPECT_NEAR(r[k].sweep, PI / 2, 1e-4);
    EXPECT_NEAR(dist(r[k].centre, r[k].point), s.radius, 1e-4);
    EXPECT_NEAR(dist(r[k].centre, r[k + 1].point), s.radius, 1e-4);
  }
  EXPECT_EQ(r[8].point.x, r[0].point.x);
  EXPECT_EQ(r[8].node_flags, NODE_CLOSING);
}

TEST_F(ItemShapeTest, RoundedRectangleTurnedAboutItsCornerReadsBack) {
  DrawingItem* item = new_test_item(ITEM_ROUNDED_RECTANGLE, 8, GEOMETRY_KIND_DRAWING_AID);
  item_nodes(item)[0].link_flags = LINK_CLOCKWISE;
  const double angle = 30 * PI / 180;
  build_rounded_rect(item, {5, 5}, 6.0f, 12.0f, 1.0f, angle, NODE_TANGENT);
  RoundedRectSizes s;
  rounded_rect_dimensions(item_nodes(item), &s);
  EXPECT_NEAR(s.angle, angle, 1e-5);
  EXPECT_NEAR(s.length, 12.0, 1e-4);
  EXPECT_NEAR(s.width, 6.0, 1e-4);
  EXPECT_NEAR(s.radius, 1.0, 1e-6);
}

TEST_F(ItemShapeTest, StraightRectangleSizesAndRebuild) {
  // Clockwise from the upper-left corner, as the rectangle tool builds it.
  DrawingItem* item =
      make_item({{0, 4}, {10, 4}, {10, 0}, {0, 0}, {0, 4}}, ITEM_RECTANGLE);
  LinkRecord* r = item_nodes(item);
  RectangleSizes s;
  rectangle_dimensions(r, &s);
  EXPECT_NEAR(s.length, 10.0, 1e-5);
  EXPECT_NEAR(s.width, 4.0, 1e-5);
  EXPECT_EQ(s.angle, 0.0f);
  EXPECT_EQ(s.slant, 0.0f);
  s.length = 6.0f;
  s.angle = static_cast<float>(PI / 2);
  rectangle_from_values(r, s);
  // Node 0 stays; the frame still turns clockwise.
  EXPECT_FLOAT_EQ(r[0].point.x, 0.0f);
  EXPECT_FLOAT_EQ(r[0].point.y, 4.0f);
  EXPECT_NEAR(r[1].point.x, 0.0, 1e-5);
  EXPECT_NEAR(r[1].point.y, 10.0, 1e-5);
  EXPECT_NEAR(r[2].point.x, 4.0, 1e-5);
  EXPECT_NEAR(r[2].point.y, 10.0, 1e-5);
  EXPECT_EQ(r[4].point.x, r[0].point.x);
  RectangleSizes back;
  rectangle_dimensions(r, &back);
  EXPECT_NEAR(back.angle, PI / 2, 1e-6);
  EXPECT_NEAR(back.length, 6.0, 1e-5);
}

TEST_F(ItemShapeTest, SlantedRectangleReadsBackItsSlant) {
  DrawingItem* item =
      make_item({{0, 0}, {10, 0}, {10, 4}, {0, 4}, {0, 0}}, ITEM_RECTANGLE);
  LinkRecord* r = item_nodes(item);
  RectangleSizes s;
  rectangle_dimensions(r, &s);
  s.slant = static_cast<float>(20 * PI / 180);
  rectangle_from_values(r, s);
  RectangleSizes back;
  rectangle_dimensions(r, &back);
  EXPECT_NEAR(back.slant, s.slant, 1e-5);
  EXPECT_NEAR(back.width, 4.0, 1e-4);
}

TEST_F(ItemShapeTest, BentRectangleSizesComeFromItsArcs) {
  DrawingItem* item =
      make_item({{0, 10, 10.0f}, {10, 0}, {5, 0, 5.0f}, {0, 5}, {0, 10}}, ITEM_RECTANGLE);
  LinkRecord* r = item_nodes(item);
  r[0].centre = r[2].centre = {0, 0};
  r[0].link_flags = LINK_CLOCKWISE;
  arc_angles_from_points(r);
  arc_angles_from_points(r + 2);
  RectangleSizes s;
  s.slant = 0.25f;
  rectangle_dimensions(r, &s);
  EXPECT_NEAR(s.width, 5.0, 1e-5);
  EXPECT_NEAR(s.length, 10 * PI / 2, 1e-4);
  EXPECT_NEAR(s.angle, PI / 4, 1e-5);
  EXPECT_EQ(s.slant, 0.25f);
}

TEST_F(ItemShapeTest, SlotSidesAreTangentToBothEnds) {
  // Line, end arc about (0, 0), line, end arc about (10, 0), radius 2, counter-clockwise.
  DrawingItem* item = make_item(
      {{10, -2}, {0, -2, 2.0f}, {0, 2}, {10, 2, 2.0f}, {10, -2}}, ITEM_SLOT);
  LinkRecord* r = item_nodes(item);
  r[1].centre = {0, 0};
  r[3].centre = {20, 5};  // the second end moved
  ASSERT_EQ(rebuild_slot_sides(r), 0);
  for (int k : {1, 2}) EXPECT_NEAR(dist(r[k].point, r[1].centre), 2.0, 1e-4);
  for (int k : {3, 4, 0}) EXPECT_NEAR(dist(r[k].point, r[3].centre), 2.0, 1e-4);
  // The sides run parallel to the centre line, 2 away from it.
  const double a = std::atan2(5.0, 20.0);
  for (int k : {0, 2}) {
    const double side = std::atan2(double(r[k + 1].point.y) - r[k].point.y,
                                   double(r[k + 1].point.x) - r[k].point.x);
    EXPECT_NEAR(std::fabs(std::sin(side - a)), 0.0, 1e-4) << k;
  }
  EXPECT_EQ(r[0].point.x, r[4].point.x);
}

TEST_F(ItemShapeTest, SlotWithCoincidentEndsIsLeftAsItWas) {
  DrawingItem* item = make_item(
      {{10, -2}, {0, -2, 2.0f}, {0, 2}, {10, 2, 2.0f}, {10, -2}}, ITEM_SLOT);
  LinkRecord* r = item_nodes(item);
  r[1].centre = r[3].centre = {0, 0};
  EXPECT_EQ(rebuild_slot_sides(r), -1);
  EXPECT_EQ(r[2].point.x, 0.0f);
  EXPECT_EQ(r[2].point.y, 2.0f);
}

TEST_F(ItemShapeTest, PolygonTakesANewSideCount) {
  DrawingItem* item = make_item({{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 0}}, ITEM_POLYGON);
  item_nodes(item)[0].centre = {0, 0};
  ASSERT_TRUE(set_polygon_side_count(item, 6));
  ASSERT_EQ(item_link_count(item), 6);
  LinkRecord* r = item_nodes(item);
  EXPECT_EQ(r[6].node_flags, NODE_CLOSING);
  EXPECT_EQ(r[3].code, LINK_RIGID_LINE);
  EXPECT_EQ(r[3].node_flags, NODE_LOOSE);
  place_polygon_nodes(r, r, 2.0f, 0.0, 6);
  for (int k = 0; k <= 6; ++k) EXPECT_NEAR(dist(r[k].point, {0, 0}), 2.0, 1e-5) << k;
  EXPECT_NEAR(dist(r[0].point, r[1].point), 2.0, 1e-5);  // a hexagon's side is its radius
}

}  // namespace
