// The transform form's line solver: what the entered fields determine in LINE and in the
// transform modes, judged by the test's own geometry in double.
#include <cmath>

#include "../editor/editor_fixture.h"
#include "commands/line_solver.h"
#include "commands/transform_form.h"
#include "commands/value_form.h"
#include "platform/headless.h"
#include "screen/event_queue.h"
#include "tests/support/idle_typist.h"
#include "ui/message_box.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double DEG = PI / 180.0;

class LineSolver : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    reset_value_form();
    reset_transform_form_memory();
    set_view(10.0f, -50.0f, 50.0f);
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    reset_transform_form_memory();
    reset_value_form();
    EditorFixture::TearDown();
  }

  // The form as it opens in the mode: the start preset at p, the end on it, complete.
  static void open(int mode, PointF p) {
    zero_value_form_fields();
    g_transform_form.mode = mode;
    g_value_form.recompute = line_solver;
    g_value_form.link.link.code = LINK_RIGID_LINE;
    g_value_form.link.link.point = g_value_form.link.closing.point = p;
    g_value_form.entered[TF_START_X] = g_value_form.entered[TF_START_Y] = FIELD_CARRIED;
    form_complete() = 1;
    if ((mode & TRANSFORM_SCALE_MODES) != 0) g_transform_form.factor = 1.0f;
    if ((mode & TRANSFORM_ROTATE_MODES) != 0) g_transform_form.factor = 0.0f;
  }
  // What the form does when a value is typed: the value into its slot, then the solver.
  static int type(int field, float value) {
    ValueForm& f = g_value_form;
    TransformFormState& t = g_transform_form;
    const bool rotate = (t.mode & TRANSFORM_ROTATE_MODES) != 0;
    switch (field) {
      case TF_START_X: f.link.link.point.x = value; break;
      case TF_START_Y: f.link.link.point.y = value; break;
      case TF_END_X: f.link.closing.point.x = value; break;
      case TF_END_Y: f.link.closing.point.y = value; break;
      case TF_LENGTH: f.link.link.sweep = value; break;
      case TF_ANGLE: f.link.link.start_angle = static_cast<float>(value * DEG); break;
      case TF_X_VALUE: f.values[0] = rotate ? static_cast<float>(value * DEG) : value; break;
      case TF_Y_VALUE:
        if (rotate) t.factor2 = static_cast<float>(value * DEG);
        else f.values[1] = value;
        break;
      case TF_FACTOR: t.factor = value; break;
      default: break;
    }
    return line_solver(field);
  }
  static PointF start() { return g_value_form.link.link.point; }
  static PointF end() { return g_value_form.link.closing.point; }
  static double angle_deg() { return g_value_form.link.link.start_angle / DEG; }
  static double length() { return g_value_form.link.link.sweep; }

  // A picked circle for a tangent field.
  static PickedLink circle(PointF centre, float radius) {
    PickedLink p;
    p.set = true;
    p.link[0].centre = centre;
    p.link[0].code = radius;
    p.link[0].point = {centre.x + radius, centre.y};
    p.link[0].sweep = static_cast<float>(2 * PI) - 1e-4f;
    p.link[1].point = p.link[0].point;
    return p;
  }
  static PickedLink straight(PointF a, PointF b) {
    PickedLink p;
    p.set = true;
    p.link[0].point = a;
    p.link[0].code = LINK_RIGID_LINE;
    p.link[1].point = b;
    return p;
  }
};

void expect_at(PointF p, double x, double y, int line) {
  EXPECT_NEAR(p.x, x, 1e-4) << "line " << line;
  EXPECT_NEAR(p.y, y, 1e-4) << "line " << line;
}
#define EXPECT_AT(p, px, py) expect_at((p), (px), (py), __LINE__)

TEST_F(LineSolver, XAndYDistancesFromATypedStartGiveTheEnd) {
  open(TRANSFORM_LINE, {5, 5});
  type(TF_START_X, 0);
  type(TF_START_Y, 0);
  type(TF_X_VALUE, -2);
  EXPECT_GT(type(TF_Y_VALUE, 1), 0);
  EXPECT_AT(end(), -2, 1);
  EXPECT_NEAR(angle_deg(), 153.43, 0.01);
  EXPECT_NEAR(length(), std::sqrt(5.0), 1e-4);
}

TEST_F(LineSolver, TheEndFollowsAChangedStartWhenLengthAndAngleAreGiven) {
  open(TRANSFORM_LINE, {0, 0});
  type(TF_START_X, 1);
  type(TF_START_Y, 1);
  type(TF_LENGTH, 4);
  type(TF_ANGLE, 90);
  EXPECT_AT(end(), 1, 5);
  type(TF_START_X, 3);
  EXPECT_AT(end(), 3, 5);
  EXPECT_NEAR(angle_deg(), 90, 1e-3);
}

TEST_F(LineSolver, AnEndTangentToACircleLandsOnTheTangentPointNearerTheClick) {
  // From (0, 0) to a circle of radius 5 about (10, 0): the tangent points are at
  // (7.5, +-4.3301); the click below picks the lower one.
  open(TRANSFORM_LINE, {0, 0});
  type(TF_START_X, 0);
  type(TF_START_Y, 0);
  g_transform_form.end_tangent = circle({10, 0}, 5);
  g_transform_form.end_pick = {10, -6};
  g_value_form.entered[TF_END_TANGENT] = FIELD_ENTERED;
  EXPECT_GT(line_solver(TF_END_TANGENT), 0);
  EXPECT_AT(end(), 7.5, -std::sqrt(18.75));
  // The line touches: it is perpendicular to the radius at its end.
  const double rx = end().x - 10.0, ry = end().y;
  EXPECT_NEAR(rx * end().x + ry * end().y, 0.0, 1e-3);
}

TEST_F(LineSolver, TwoTangentCirclesTakeTheCommonTangentNearestTheClicks) {
  open(TRANSFORM_LINE, {0, 0});
  g_transform_form.start_tangent = circle({0, 0}, 2);
  g_transform_form.end_tangent = circle({10, 0}, 2);
  g_transform_form.start_pick = {0, 3};
  g_transform_form.end_pick = {10, 3};
  g_value_form.entered[TF_START_TANGENT] = FIELD_ENTERED;
  g_value_form.entered[TF_END_TANGENT] = FIELD_ENTERED;
  EXPECT_GT(line_solver(TF_END_TANGENT), 0);
  // Equal circles: the upper outer tangent runs along y = 2.
  EXPECT_AT(start(), 0, 2);
  EXPECT_AT(end(), 10, 2);
}

TEST_F(LineSolver, TwoStraightTangentsAreRefusedWithTheirMessage) {
  open(TRANSFORM_LINE, {0, 0});
  g_transform_form.start_tangent = straight({0, 0}, {1, 0});
  g_transform_form.end_tangent = straight({0, 5}, {1, 5});
  g_value_form.entered[TF_START_TANGENT] = FIELD_ENTERED;
  g_value_form.entered[TF_END_TANGENT] = FIELD_ENTERED;
  start_typist();
  typist_key(VK_RETURN);
  EXPECT_EQ(line_solver(TF_END_TANGENT), 0);
  EXPECT_NE(g_message_box.last_text.find("tangent to two other lines"), std::string::npos);
  EXPECT_AT(end(), 0, 0);
}

TEST_F(LineSolver, FlipTurnsTheLineAboutItsStartOnlyWhenComplete) {
  open(TRANSFORM_LINE, {0, 0});
  type(TF_START_X, 1);
  type(TF_START_Y, 2);
  type(TF_END_X, 4);
  type(TF_END_Y, 6);
  EXPECT_GT(line_solver(TF_FLIP), 0);
  EXPECT_AT(end(), -2, -2);
  line_solver(-TF_END_X);
  EXPECT_EQ(form_complete(), 0);
  const PointF before = end();
  EXPECT_EQ(line_solver(TF_FLIP), 0);
  EXPECT_AT(end(), before.x, before.y);
}

TEST_F(LineSolver, ClearingAFieldLeavesATransformCompleteButNotALine) {
  struct Case {
    int mode;
    int complete_after;
  };
  for (const Case c : {Case{TRANSFORM_LINE, 0}, Case{TRANSFORM_MOVE, 1}, Case{TRANSFORM_COPY, 1},
                       Case{TRANSFORM_ROTATE, 1}, Case{TRANSFORM_SCALE, 1}}) {
    open(c.mode, {0, 0});
    type(TF_START_X, 1);
    type(TF_START_Y, 1);
    EXPECT_GT(line_solver(-TF_START_X), 0) << c.mode;
    EXPECT_EQ(form_complete(), c.complete_after) << c.mode;
  }
}

TEST_F(LineSolver, MoveFromAPointToAPoint) {
  open(TRANSFORM_MOVE, {3, 3});
  type(TF_START_X, 0);
  type(TF_START_Y, 0);
  type(TF_END_X, 10);
  EXPECT_GT(type(TF_END_Y, 5), 0);
  EXPECT_AT(end(), 10, 5);
  EXPECT_NEAR(g_value_form.values[0], 10, 1e-5);
  EXPECT_NEAR(g_value_form.values[1], 5, 1e-5);
}

TEST_F(LineSolver, RotateSnapsTheHandlesAngleDownToTheIncrement) {
  struct Case {
    double handle_deg;
    double snap_deg;
    double angle_deg;
  };
  for (const Case c : {Case{44, 15, 30}, Case{45, 15, 45}, Case{359, 90, 270}, Case{-10, 15, 345}}) {
    open(TRANSFORM_ROTATE, {0, 0});
    g_transform_form.snap_increment = static_cast<float>(c.snap_deg * DEG);
    type(TF_START_X, 0);
    type(TF_START_Y, 0);
    type(TF_END_X, static_cast<float>(10 * std::cos(c.handle_deg * DEG)));
    type(TF_END_Y, static_cast<float>(10 * std::sin(c.handle_deg * DEG)));
    EXPECT_NEAR(angle_deg(), c.angle_deg, 1e-3) << c.handle_deg;
    EXPECT_TRUE(g_transform_form.preview_on);
  }
}

TEST_F(LineSolver, ScaleFactorsFromLengthsAndSizes) {
  struct Case {
    int mode;
    float first;
    float second;
    int typed;     // the field typed last
    double factor;
  };
  // The working set's box: 10 wide, 4 high.
  for (const Case c : {Case{TRANSFORM_SCALE_SIZE, 20, 0, TF_X_VALUE, 2.0},
                       Case{TRANSFORM_SCALE_SIZE, 0, 2, TF_Y_VALUE, 0.5},
                       Case{TRANSFORM_SCALE_DISTANCE, 4, 6, TF_Y_VALUE, 1.5},
                       Case{TRANSFORM_SCALE_DISTANCE, 0, 6, TF_Y_VALUE, 1.0},
                       Case{TRANSFORM_SCALE_DISTANCE, -4, 6, TF_Y_VALUE, 1.0}}) {
    open(c.mode, {0, 0});
    g_transform_form.box_min = {0, 0};
    g_transform_form.box_max = {10, 4};
    g_value_form.values[0] = c.first;
    g_value_form.values[1] = c.second;
    line_solver(c.typed);
    EXPECT_NEAR(g_transform_form.factor, c.factor, 1e-6) << c.mode << " " << c.first;
  }
}

TEST_F(LineSolver, MirrorLinesRunAcrossTheView) {
  open(TRANSFORM_MIRROR_VERTICAL, {0, 0});
  type(TF_START_X, 3);
  EXPECT_NEAR(start().x, 3, 1e-6);
  EXPECT_NEAR(end().x, 3, 1e-6);
  EXPECT_NE(start().y, end().y);
  open(TRANSFORM_MIRROR_HORIZONTAL, {0, 0});
  type(TF_START_Y, -2);
  EXPECT_NEAR(start().y, -2, 1e-6);
  EXPECT_NEAR(end().y, -2, 1e-6);
  EXPECT_NE(start().x, end().x);
}

}  // namespace
