// The shape forms' solvers, judged by the test's own double geometry: values go in as the form
// would put them (the field's variable set, the field marked, the solver called), the shape
// that comes out is measured.
#include <cmath>
#include <vector>

#include "commands/create_by_mouse.h"
#include "commands/shape_solvers.h"
#include "commands/value_form.h"
#include "geometry/item_shapes.h"
#include "tests/geometry/item_fixture.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double DEG = PI / 180.0;

double dist(PointF a, double x, double y) { return std::hypot(a.x - x, a.y - y); }

class ShapeSolvers : public ItemTest {
 protected:
  void SetUp() override {
    ItemTest::SetUp();
    reset_value_form();
    reset_shape_forms();
    zero_value_form_fields();
  }
  void TearDown() override {
    reset_value_form();
    reset_shape_forms();
    ItemTest::TearDown();
  }

  int form = 0;
  int (*solve)(int) = nullptr;

  void use(int code, int (*solver)(int)) {
    form = code;
    solve = solver;
  }
  // A value typed into a field.
  int type(int field, double value) {
    *shape_field_variable(form, field) = static_cast<float>(value);
    return solve(field);
  }
  // A point picked into a point label: X and Y set, the Y counted entered, solved by X.
  int pick(int x_field, double x, double y) {
    *shape_field_variable(form, x_field) = static_cast<float>(x);
    *shape_field_variable(form, x_field + 1) = static_cast<float>(y);
    g_value_form.entered[x_field + 1] = FIELD_ENTERED;
    return solve(x_field);
  }
  const LinkRecord& link() const { return g_value_form.link.link; }
  PointF closing() const { return g_value_form.link.closing.point; }
  uint8_t complete() const { return g_value_form.entered[0]; }
};

// ---------------------------------------------------------------- CIRCLE

TEST_F(ShapeSolvers, CircleFromEachWayOfKnowingIt) {
  struct Step {
    int field;  // a point's X field takes (x, y); others take x
    double x, y;
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    double cx, cy, r;
  };
  const std::vector<Case> cases = {
      {"centre and radius", {{CIRCLE_CENTRE, 1, 2}, {CIRCLE_RADIUS, 3, 0}}, 1, 2, 3},
      {"radius before the centre", {{CIRCLE_RADIUS, 3, 0}, {CIRCLE_CENTRE, 1, 2}}, 1, 2, 3},
      {"diameter and centre", {{CIRCLE_DIAMETER, 4, 0}, {CIRCLE_CENTRE, -1, 0}}, -1, 0, 2},
      {"centre and a point", {{CIRCLE_CENTRE, 0, 0}, {CIRCLE_P1, 3, 4}}, 0, 0, 5},
      {"two points are a diameter", {{CIRCLE_P1, 0, 0}, {CIRCLE_P2, 4, 0}}, 2, 0, 2},
      {"a third point makes it the circle through all three",
       {{CIRCLE_P1, 0, 0}, {CIRCLE_P2, 4, 0}, {CIRCLE_P3, 0, 4}}, 2, 2, std::sqrt(8.0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    zero_value_form_fields();
    use(141, solve_circle);
    int last = 0;
    for (const Step& s : c.steps) {
      const bool point = s.field == CIRCLE_CENTRE || s.field == CIRCLE_P1 ||
                         s.field == CIRCLE_P2 || s.field == CIRCLE_P3;
      last = point ? pick(s.field, s.x, s.y) : type(s.field, s.x);
    }
    EXPECT_EQ(last, 1);
    EXPECT_EQ(complete(), 1);
    EXPECT_NEAR(dist(link().centre, c.cx, c.cy), 0.0, 1e-4);
    EXPECT_NEAR(link().code, c.r, 1e-4);
    EXPECT_NEAR(g_value_form.diameter, 2 * c.r, 1e-4);
    EXPECT_EQ(link().sweep, SWEEP_CENTRE_CIRCLE);
    // The node lies on the circle at angle 0 and the closing record on the node.
    EXPECT_NEAR(dist(link().point, c.cx + c.r, c.cy), 0.0, 1e-4);
    EXPECT_EQ(closing().x, link().point.x);
    EXPECT_EQ(closing().y, link().point.y);
  }
}

TEST_F(ShapeSolvers, CircleDiameterAndRadiusMarkEachOtherEntered) {
  use(141, solve_circle);
  type(CIRCLE_DIAMETER, 6);
  EXPECT_TRUE(field_entered(CIRCLE_RADIUS));
  EXPECT_FLOAT_EQ(link().code, 3.0f);
  zero_value_form_fields();
  type(CIRCLE_RADIUS, 2);
  EXPECT_TRUE(field_entered(CIRCLE_DIAMETER));
  EXPECT_EQ(complete(), 0);  // no centre yet
}

TEST_F(ShapeSolvers, CollinearThirdPointLeavesTheCircleAsItWas) {
  use(141, solve_circle);
  pick(CIRCLE_P1, 0, 0);
  EXPECT_EQ(pick(CIRCLE_P2, 4, 0), 1);
  EXPECT_EQ(pick(CIRCLE_P3, 8, 0), 0);
  EXPECT_EQ(complete(), 1);  // the circle on the first two stays determined
  EXPECT_NEAR(dist(link().centre, 2, 0), 0.0, 1e-6);
  // Collinear points alone determine nothing.
  zero_value_form_fields();
  pick(CIRCLE_P3, 8, 0);
  pick(CIRCLE_P1, 0, 0);
  EXPECT_EQ(pick(CIRCLE_P2, 4, 0), 0);
  EXPECT_EQ(complete(), 0);
}

TEST_F(ShapeSolvers, ClearingAFieldEmptiesTheFormAndCountsTheEmptyFields) {
  use(141, solve_circle);
  pick(CIRCLE_CENTRE, 1, 1);
  type(CIRCLE_RADIUS, 2);
  ASSERT_EQ(complete(), 1);
  // Fields 2..12; centre (2) and diameter (1) remain entered once the radius is cleared.
  const int empty = solve(-CIRCLE_RADIUS);
  EXPECT_EQ(complete(), 0);
  EXPECT_FALSE(field_entered(CIRCLE_RADIUS));
  EXPECT_EQ(empty, 11 - 3);
}

// ---------------------------------------------------------------- ARC

struct ArcWant {
  double sx, sy, ex, ey, cx, cy, r;
};

void expect_arc(const LinkRecord& a, PointF end, const ArcWant& w) {
  EXPECT_NEAR(dist(a.point, w.sx, w.sy), 0.0, 1e-3);
  EXPECT_NEAR(dist(end, w.ex, w.ey), 0.0, 1e-3);
  EXPECT_NEAR(dist(a.centre, w.cx, w.cy), 0.0, 1e-3);
  EXPECT_NEAR(a.code, w.r, 1e-3);
  // The ends lie on the arc's circle, the start at its start angle.
  EXPECT_NEAR(dist(a.point, a.centre.x + a.code * std::cos(a.start_angle),
                   a.centre.y + a.code * std::sin(a.start_angle)),
              0.0, 1e-3);
}

TEST_F(ShapeSolvers, ArcFromWhatTheUserKnows) {
  use(140, solve_arc);
  struct Step {
    int field;
    double x, y;
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    ArcWant want;
  };
  const std::vector<Case> cases = {
      {"start, centre, sweep", {{ARC_START, 10, 0}, {ARC_CENTRE, 0, 0}, {ARC_SWEEP, 90 * DEG, 0}},
       {10, 0, 0, 10, 0, 0, 10}},
      // The centre lies behind the end point, the start at angle 0 from it.
      {"end, radius, sweep", {{ARC_END, 5, 5}, {ARC_RADIUS, 5, 0}, {ARC_SWEEP, 90 * DEG, 0}},
       {10, 0, 5, 5, 5, 0, 5}},
      // No sweep: it turns from the start angle to the end, which stays where it was typed.
      {"centre, end, start angle", {{ARC_ANGLE, 0, 0}, {ARC_CENTRE, 0, 0}, {ARC_END, 0, 10}},
       {10, 0, 0, 10, 0, 0, 10}},
      {"three points", {{ARC_START, 10, 0}, {ARC_P2, 0, 10}, {ARC_END, -10, 0}},
       {10, 0, -10, 0, 0, 0, 10}},
      {"start, end, radius", {{ARC_START, 10, 0}, {ARC_END, 0, 10}, {ARC_RADIUS, 10, 0}},
       {10, 0, 0, 10, 0, 0, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    zero_value_form_fields();
    int last = 0;
    for (const Step& s : c.steps) {
      const bool point = s.field == ARC_START || s.field == ARC_END || s.field == ARC_CENTRE ||
                         s.field == ARC_P2;
      last = point ? pick(s.field, s.x, s.y) : type(s.field, s.x);
    }
    EXPECT_EQ(last, 1);
    EXPECT_EQ(complete(), 1);
    expect_arc(link(), closing(), c.want);
  }
}

TEST_F(ShapeSolvers, ArcSeriesStartsAtTheCarriedEnd) {
  use(140, solve_arc);
  // The form carries the last arc's end into the start fields, marked 2.
  g_value_form.link.link.point = {10, 0};
  g_value_form.entered[ARC_START] = g_value_form.entered[ARC_START + 1] = FIELD_CARRIED;
  pick(ARC_END, 0, 10);
  EXPECT_EQ(type(ARC_RADIUS, 10), 1);
  expect_arc(link(), closing(), {10, 0, 0, 10, 0, 0, 10});
}

TEST_F(ShapeSolvers, ArcOfCollinearPointsStaysIncomplete) {
  use(140, solve_arc);
  pick(ARC_START, 0, 0);
  pick(ARC_P2, 5, 0);
  EXPECT_EQ(pick(ARC_END, 10, 0), 0);
  EXPECT_EQ(complete(), 0);
}

TEST_F(ShapeSolvers, AFullTurnSweepIsKeptJustBelowIt) {
  use(140, solve_arc);
  pick(ARC_CENTRE, 0, 0);
  type(ARC_RADIUS, 2);
  EXPECT_EQ(type(ARC_SWEEP, 2 * PI), 1);
  EXPECT_FLOAT_EQ(link().sweep, static_cast<float>(FULL_TURN_SWEEP));
  // The arc nearly closes: its end lies a hair before its start.
  EXPECT_LT(dist(closing(), link().point.x, link().point.y), 0.001);
  EXPECT_GT(dist(closing(), link().point.x, link().point.y), 0.0);
}

TEST_F(ShapeSolvers, ATinyRadiusIsNoValueAndBreaksTheArc) {
  use(140, solve_arc);
  pick(ARC_CENTRE, 0, 0);
  type(ARC_RADIUS, 2);
  type(ARC_SWEEP, PI / 2);
  ASSERT_EQ(complete(), 1);
  EXPECT_EQ(type(ARC_RADIUS, 1e-8), 0);
  EXPECT_EQ(complete(), 0);
  EXPECT_FALSE(field_entered(ARC_RADIUS));
  EXPECT_EQ(link().code, 0.0f);
}

// ---------------------------------------------------------------- POINT, ELLIPSE

TEST_F(ShapeSolvers, PointNeedsBothCoordinates) {
  use(144, solve_point);
  *shape_field_variable(144, POINT_CENTRE) = 3;
  EXPECT_EQ(solve(POINT_CENTRE), 0);
  EXPECT_EQ(type(POINT_CENTRE + 1, 4), 1);
  EXPECT_EQ(link().code, LINK_POINT);
  EXPECT_NEAR(dist(closing(), 3, 4), 0.0, 1e-6);
}

TEST_F(ShapeSolvers, EllipseFromTheTwoRadiiAloneLiesAtTheOrigin) {
  use(142, solve_ellipse);
  EXPECT_EQ(type(ELLIPSE_Y_RADIUS, 2), 0);
  EXPECT_EQ(type(ELLIPSE_X_RADIUS, 5), 1);
  EXPECT_EQ(link().code, LINK_ELLIPSE);
  EXPECT_NEAR(dist(link().point, 0, 2), 0.0, 1e-5);
  EXPECT_NEAR(dist(closing(), 5, 0), 0.0, 1e-5);
  // Turned a quarter about a new centre: the Y semi-axis points left.
  pick(ELLIPSE_CENTRE, 10, 10);
  EXPECT_EQ(type(ELLIPSE_ROTATION, PI / 2), 1);
  EXPECT_NEAR(dist(link().point, 8, 10), 0.0, 1e-5);
  EXPECT_NEAR(dist(closing(), 10, 15), 0.0, 1e-5);
}

// ---------------------------------------------------------------- RECTANGLE

class RectangleSolver : public ShapeSolvers {
 protected:
  void SetUp() override {
    ShapeSolvers::SetUp();
    item = new_test_item(ITEM_RECTANGLE, 4, GEOMETRY_KIND_DRAWING_AID);
    const PointF corner = {0, 0};
    build_rectangle_links(item, &corner, 1, 2);
    use(146, solve_rectangle);
  }
  std::vector<PointF> corners() const {
    std::vector<PointF> out;
    for (int i = 0; i <= item_link_count(item); ++i) out.push_back(item_nodes(item)[i].point);
    return out;
  }
  DrawingItem* item = nullptr;
};

TEST_F(RectangleSolver, CornerSizesRotationAndSlant) {
  pick(RECT_UL, 0, 10);
  type(RECT_HEIGHT, 4);
  EXPECT_EQ(type(RECT_LENGTH, 8), 1);
  std::vector<PointF> c = corners();
  ASSERT_EQ(c.size(), 5u);
  EXPECT_NEAR(dist(c[1], 8, 10), 0, 1e-5);
  EXPECT_NEAR(dist(c[2], 8, 6), 0, 1e-5);
  EXPECT_NEAR(dist(c[3], 0, 6), 0, 1e-5);
  EXPECT_NEAR(dist(c[4], 0, 10), 0, 1e-5);
  EXPECT_NEAR(dist(rectangle_values()->centre, 4, 8), 0, 1e-5);
  // Slanted by 30 degrees: the right side leans back, the height square to the top stays.
  EXPECT_EQ(type(RECT_SLANT, 30 * DEG), 1);
  c = corners();
  EXPECT_NEAR(dist(c[2], 8 - 4 * std::tan(30 * DEG), 6), 0, 1e-4);
  // A slant of 90 degrees either way has no rectangle: refused, the shape kept.
  for (double slant : {90.0, -90.0, 120.0}) {
    EXPECT_EQ(type(RECT_SLANT, slant * DEG), 0) << slant;
    const std::vector<PointF> kept = corners();
    for (size_t i = 0; i < kept.size(); ++i) EXPECT_NEAR(dist(kept[i], c[i].x, c[i].y), 0, 1e-6);
    EXPECT_TRUE(std::isfinite(kept[2].x));
  }
}

TEST_F(RectangleSolver, CentreAndSizesPlaceTheCornerAndTheFieldsShowTheFirstNode) {
  pick(RECT_CENTRE, 5, 5);
  type(RECT_HEIGHT, 2);
  EXPECT_EQ(type(RECT_LENGTH, 4), 1);
  EXPECT_NEAR(dist(item_nodes(item)[0].point, 3, 6), 0, 1e-5);
  EXPECT_NEAR(dist(item_nodes(item)[2].point, 7, 4), 0, 1e-5);
  // Turned 90 degrees about the centre: the upper-left fields follow the built first node.
  EXPECT_EQ(type(RECT_ROTATION, 90 * DEG), 1);
  const PointF first = item_nodes(item)[0].point;
  EXPECT_NEAR(dist(rectangle_values()->upper_left, first.x, first.y), 0, 1e-6);
  PointF mid;
  midpoint(&item_nodes(item)[0].point, &item_nodes(item)[2].point, &mid);
  EXPECT_NEAR(dist(mid, 5, 5), 0, 1e-5);
}

TEST_F(RectangleSolver, AZeroSideCutsToTwoLinksAndGrowingItGivesFourAgain) {
  pick(RECT_UL, 0, 10);
  type(RECT_LENGTH, 8);
  EXPECT_EQ(type(RECT_HEIGHT, 0), 1);
  EXPECT_EQ(complete(), 2);  // shown, not accepted
  EXPECT_EQ(item_link_count(item), 2);
  EXPECT_NEAR(dist(item_closing_record(item)->point, 8, 10), 0, 1e-5);
  EXPECT_EQ(type(RECT_HEIGHT, 3), 1);
  EXPECT_EQ(complete(), 1);
  ASSERT_EQ(item_link_count(item), 4);
  EXPECT_NEAR(dist(item_nodes(item)[3].point, 0, 7), 0, 1e-5);
  EXPECT_NEAR(dist(item_closing_record(item)->point, 0, 10), 0, 1e-5);
  EXPECT_TRUE(item_is_closed(item));
}

// ---------------------------------------------------------------- POLYGON

class PolygonSolver : public ShapeSolvers {
 protected:
  DrawingItem* make_polygon(int sides) {
    DrawingItem* item = new_test_item(ITEM_POLYGON, sides, GEOMETRY_KIND_DRAWING_AID);
    LinkRecord* r = item_nodes(item);
    r[0].node_flags = NODE_FIRST | NODE_LOOSE;
    for (int i = 1; i < sides; ++i) r[i].node_flags = NODE_LOOSE;
    r[sides].node_flags = NODE_CLOSING;
    use(145, solve_polygon);
    return item;
  }
};

TEST_F(PolygonSolver, CentreAndOutsideRadiusPlaceARegularHexagon) {
  DrawingItem* item = make_polygon(6);
  pick(POLYGON_CENTRE, 1, 1);
  EXPECT_EQ(type(POLYGON_OUTSIDE, 10), 1);
  const PolygonValues& v = *polygon_values();
  EXPECT_NEAR(v.inside, 10 * std::cos(PI / 6), 1e-4);
  EXPECT_NEAR(v.side_length, 10, 1e-4);
  for (int i = 0; i <= 6; ++i) {
    const PointF p = item_nodes(item)[i].point;
    EXPECT_NEAR(dist(p, 1 + 10 * std::cos(i * PI / 3), 1 + 10 * std::sin(i * PI / 3)), 0, 1e-4)
        << i;
  }
}

TEST_F(PolygonSolver, CentreAndStartNodeGiveSizeAndTurn) {
  DrawingItem* item = make_polygon(4);
  pick(POLYGON_START, 0, 5);
  EXPECT_EQ(pick(POLYGON_CENTRE, 0, 0), 1);
  const PolygonValues& v = *polygon_values();
  EXPECT_NEAR(v.outside, 5, 1e-5);
  EXPECT_NEAR(v.rotation, PI / 2, 1e-5);
  EXPECT_NEAR(v.side_length, 5 * std::sqrt(2.0), 1e-4);
  EXPECT_NEAR(dist(item_nodes(item)[1].point, -5, 0), 0, 1e-4);
}

TEST_F(PolygonSolver, TwoSidesAreNoPolygon) {
  make_polygon(2);
  pick(POLYGON_CENTRE, 0, 0);
  EXPECT_EQ(type(POLYGON_OUTSIDE, 3), 0);
  EXPECT_EQ(complete(), 0);
}

// ---------------------------------------------------------------- SLOT

// The working slot as the form makes it: a line of the two centres turned into four links.
DrawingItem* working_slot() {
  DrawingItem* line = new_test_item(ITEM_POLYLINE, 1, GEOMETRY_KIND_DRAWING_AID);
  item_nodes(line)[1].point = {1, 0};
  EXPECT_EQ(copy_item_with_extra_links(line, 3), 0);
  delete_line_or_last(line);
  DrawingItem* slot = g_lists.current.last;
  build_slot_from_line(slot, 0.5f);
  return slot;
}

// Every straight side touches both end circles: its ends lie on them, square to the side.
void expect_tangent_sides(DrawingItem* slot, PointF c1, PointF c2, double r) {
  const LinkRecord* n = item_nodes(slot);
  EXPECT_EQ(item_type(slot), ITEM_SLOT);
  const PointF ends[4] = {n[0].point, n[1].point, n[2].point, n[3].point};
  EXPECT_NEAR(dist(ends[0], c1.x, c1.y), r, 1e-4);
  EXPECT_NEAR(dist(ends[1], c2.x, c2.y), r, 1e-4);
  EXPECT_NEAR(dist(ends[2], c2.x, c2.y), r, 1e-4);
  EXPECT_NEAR(dist(ends[3], c1.x, c1.y), r, 1e-4);
  EXPECT_NEAR(dist(n[4].point, ends[0].x, ends[0].y), 0, 1e-5);
}

TEST_F(ShapeSolvers, SlotFromCentreTwoLengthAndAngleLiesOnTheFarSide) {
  DrawingItem* slot = working_slot();
  use(147, solve_slot);
  pick(SLOT_C2, 10, 0);
  type(SLOT_RADIUS, 1);
  type(SLOT_ANGLE, 30 * DEG);
  EXPECT_EQ(type(SLOT_LENGTH, 5), 1);
  const PointF c1 = link().point;
  EXPECT_NEAR(dist(c1, 10 - 5 * std::cos(30 * DEG), -5 * std::sin(30 * DEG)), 0, 1e-4);
  // The angle keeps the typed value: it runs from centre #1 to centre #2.
  EXPECT_NEAR(slot_values()->angle, 30 * DEG, 1e-5);
  EXPECT_NEAR(g_value_form.diameter, 2.0, 1e-6);
  expect_tangent_sides(slot, c1, {10, 0}, 1.0);
}

TEST_F(ShapeSolvers, SlotFromTwoCentresAndAPointOnItsArc) {
  DrawingItem* slot = working_slot();
  use(147, solve_slot);
  pick(SLOT_C1, 0, 0);
  pick(SLOT_C2, 6, 0);
  EXPECT_EQ(complete(), 0);
  EXPECT_EQ(pick(SLOT_POINT, 7.5, 0), 1);
  EXPECT_NEAR(link().code, 1.5, 1e-5);  // the nearer centre's distance
  EXPECT_NEAR(slot_values()->length, 6, 1e-5);
  expect_tangent_sides(slot, {0, 0}, {6, 0}, 1.5);
}

// ---------------------------------------------------------------- ROUNDED RECTANGLE

TEST_F(ShapeSolvers, RoundedRectangleOfRadiusZeroGetsAQuarterOfTheShorterSide) {
  DrawingItem* item = new_test_item(ITEM_ROUNDED_RECTANGLE, 8, GEOMETRY_KIND_DRAWING_AID);
  use(150, solve_rounded_rectangle);
  pick(RECT_UL, 0, 0);
  type(RECT_HEIGHT, 4);
  EXPECT_EQ(type(RECT_LENGTH, 10), 1);
  RoundedRectSizes s;
  rounded_rect_dimensions(item_nodes(item), &s);
  EXPECT_NEAR(s.radius, 1.0, 1e-5);
  EXPECT_NEAR(s.width, 4.0, 1e-4);
  EXPECT_NEAR(s.length, 10.0, 1e-4);
  // A radius past half the shorter side is cut to just below it.
  EXPECT_EQ(type(ROUNDED_RADIUS, 7), 1);
  rounded_rect_dimensions(item_nodes(item), &s);
  EXPECT_NEAR(s.radius, 0.49999 * 4, 1e-4);
}

}  // namespace
