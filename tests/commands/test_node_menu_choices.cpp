// The node menu's link choices on small items, the refusals of the symmetry choices, and the
// dragged node's jump to a crossing while Ctrl is held.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "commands/node_menu_choice.h"
#include "editor/edit_session.h"
#include "editor/hover_state.h"
#include "geometry/geometry2d.h"
#include "screen/event_queue.h"
#include "tests/editor/drawing_window.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/idle_typist.h"
#include "ui/message_box.h"

namespace {

double dist(PointF a, double x, double y) { return std::hypot(a.x - x, a.y - y); }

class NodeMenuChoices : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    open_screen(1024, 768);
    layout_paint_boxes();
    reset_edit_session();
    reset_message_box();
    start_typist();
    window_ = open_drawing_window();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    g_events.modifiers = 0;
    while (poll_input_code(0) != 0) {
    }
    reset_edit_session();
    close_drawing_window(window_);
    EditorFixture::TearDown();
  }
  TextLine* window_ = nullptr;

  // An open polyline of four links along x with the given codes.
  static DrawingItem* four_links(std::vector<float> codes) {
    DrawingItem* item = add_polyline({{0, 0}, {10, 0}, {20, 5}, {30, 0}, {40, 0}});
    for (int i = 0; i < 4; ++i) item_nodes(item)[i].code = codes[i];
    return item;
  }
  static std::vector<float> codes(DrawingItem* item) {
    std::vector<float> out;
    for (int i = 0; i < item_link_count(item); ++i) out.push_back(item_nodes(item)[i].code);
    return out;
  }
};

TEST_F(NodeMenuChoices, LinkAndRunCodes) {
  const float F = LINK_FLEXIBLE_LINE, R = LINK_RIGID_LINE, B = LINK_BEZIER, S = LINK_SPLINE;
  struct Case {
    const char* what;
    std::vector<float> before;
    int boundary_at;  // link whose run boundary is set, -1 none
    int link;
    int choice;
    std::vector<float> after;
  };
  const std::vector<Case> cases = {
      {"2: rigid", {F, F, F, F}, -1, 1, 2, {F, R, F, F}},
      {"6: box", {F, F, F, F}, -1, 2, 6, {F, F, LINK_BOX, F}},
      {"7: onward to a run boundary", {R, R, R, R}, 3, 1, 7, {R, F, F, R}},
      {"11: onward to the end", {F, F, F, F}, -1, 1, 11, {F, R, R, R}},
      {"20: from the first link past the boundary", {R, R, R, R}, 2, 3, 20, {F, F, F, F}},
      {"16: the run of the link", {F, B, B, F}, -1, 2, 16, {F, R, R, F}},
      {"44: a Bezier link turns its whole run to a spline run", {F, B, B, B}, -1, 2, 44,
       {F, S, S, S}},
      {"45: a spline run to a Bezier run", {S, S, F, F}, -1, 0, 45, {B, B, F, F}},
      {"44 on a line: only that link", {F, F, F, F}, -1, 1, 44, {F, S, F, F}},
      {"0 does nothing", {F, R, F, R}, -1, 1, 0, {F, R, F, R}},
      {"13 does nothing", {F, R, F, R}, -1, 1, 13, {F, R, F, R}},
      {"46 is past the menu", {F, R, F, R}, -1, 1, 46, {F, R, F, R}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    free_current_list();
    DrawingItem* item = four_links(c.before);
    if (c.boundary_at >= 0) item_nodes(item)[c.boundary_at].link_flags |= LINK_JUMP;
    EXPECT_EQ(apply_node_menu_choice(item, c.link, c.choice), 0);
    EXPECT_EQ(codes(item), c.after);
  }
}

TEST_F(NodeMenuChoices, SingleLinkChoicesDropTheSweepAndTheRunBoundary) {
  DrawingItem* item = add_polyline({{0, 0}, {10, 0}});
  LinkRecord* l = item_nodes(item);
  // Choice 1 on a plain arc (a real sweep) makes it a flexible line.
  l->code = 5;
  l->centre = {5, 0};
  l->sweep = 3.14159f;
  l->link_flags = LINK_JUMP;
  EXPECT_EQ(apply_node_menu_choice(item, 0, 1), 0);
  EXPECT_EQ(l->code, LINK_FLEXIBLE_LINE);
  EXPECT_EQ(l->sweep, 0.0f);
  EXPECT_EQ(l->link_flags & LINK_JUMP, 0);
  // 44 keeps the boundary.
  l->link_flags = LINK_JUMP;
  apply_node_menu_choice(item, 0, 44);
  EXPECT_EQ(l->link_flags & LINK_JUMP, LINK_JUMP);
  EXPECT_EQ(apply_node_menu_choice(item, 0, 32), 0);
  EXPECT_EQ(l->link_flags & LINK_JUMP, 0);
  EXPECT_EQ(apply_node_menu_choice(item, 0, 31), 0);
  EXPECT_EQ(l->link_flags & LINK_JUMP, LINK_JUMP);
}

TEST_F(NodeMenuChoices, CirclesByRadiusAndByDiameter) {
  DrawingItem* item = add_polyline({{0, 0}, {3, 4}});
  LinkRecord* l = item_nodes(item);
  apply_node_menu_choice(item, 0, 4);
  EXPECT_EQ(l->sweep, SWEEP_RADIUS_CIRCLE);
  EXPECT_NEAR(dist(l->centre, 0, 0), 0, 1e-6);
  EXPECT_NEAR(l->code, 5, 1e-5);
  apply_node_menu_choice(item, 0, 5);
  EXPECT_EQ(l->sweep, SWEEP_DIAMETER_CIRCLE);
  EXPECT_NEAR(dist(l->centre, 1.5, 2), 0, 1e-6);
  EXPECT_NEAR(l->code, 2.5, 1e-5);
  EXPECT_NEAR(l->start_angle, std::atan2(-2.0, -1.5) + 2 * 3.14159265358979, 1e-5);
  // The node of a circle-coded arc moves onto the next node (choice 1).
  apply_node_menu_choice(item, 0, 1);
  EXPECT_NEAR(dist(l->point, 3, 4), 0, 1e-6);
}

TEST_F(NodeMenuChoices, CommandsHandedBack) {
  DrawingItem* item = add_polyline({{0, 0}, {10, 0}});
  const std::vector<std::pair<int, int>> table = {
      {14, -877}, {34, -896}, {35, -897}, {36, -898}, {37, -899}, {40, -875}, {41, -874}};
  for (auto [choice, want] : table) EXPECT_EQ(apply_node_menu_choice(item, 0, choice), want) << choice;
}

TEST_F(NodeMenuChoices, ReverseTurnsTheNodeOrder) {
  DrawingItem* item = add_polyline({{0, 0}, {10, 0}, {10, 7}});
  apply_node_menu_choice(item, 0, 33);
  EXPECT_NEAR(dist(item_nodes(item)[0].point, 10, 7), 0, 1e-6);
  EXPECT_NEAR(dist(item_closing_record(item)->point, 0, 0), 0, 1e-6);
}

// Circles, ellipses, points and texts are never made symmetric: the box, and nothing changes (the
// node editor then leaves no undo step).
TEST_F(NodeMenuChoices, SymmetryChoicesRefuseCirclesEllipsesPointsAndTexts) {
  for (uint8_t type : {ITEM_CIRCLE, ITEM_ELLIPSE, ITEM_POINT, ITEM_TEXT}) {
    for (int choice : {27, 28, 42, 43}) {
      SCOPED_TRACE(testing::Message() << "type " << int(type) << " choice " << choice);
      free_current_list();
      DrawingItem* item = add_polyline({{0, 0}, {10, 0}});
      item->kind = type;
      const uint8_t flags = item_nodes(item)[0].node_flags;
      g_typist.steps.clear();
      typist_key(VK_RETURN);
      EXPECT_EQ(apply_node_menu_choice(item, 0, choice), NODE_MENU_UNCHANGED);
      EXPECT_TRUE(g_typist.steps.empty()) << "no box was shown";
      EXPECT_NE(g_message_box.last_text.find("cannot be converted"), std::string::npos);
      EXPECT_EQ(item_type(item), type);
      EXPECT_EQ(item_nodes(item)[0].node_flags, flags);
      EXPECT_EQ(item_link_count(item), 1);
    }
  }
}

// Asked whether a plain polyline should become symmetric, "No" leaves it as it is and says so.
TEST_F(NodeMenuChoices, DecliningTheSymmetryQuestionChangesNothing) {
  DrawingItem* item = add_polyline({{0, 0}, {10, 0}, {20, 3}});
  g_typist.steps.clear();
  typist_text("n");
  EXPECT_EQ(apply_node_menu_choice(item, 1, 42), NODE_MENU_UNCHANGED);
  EXPECT_NE(g_message_box.last_text.find("not a symmetric polyline"), std::string::npos);
  EXPECT_EQ(item_link_count(item), 2);
  EXPECT_EQ(item_nodes(item)[0].node_flags & NODE_SYMMETRY_MASK, 0);
}

// ---------------------------------------------------------------- crossing snap

class CrossingSnap : public NodeMenuChoices {
 protected:
  // The dragged link runs from (0,0) to the cursor; the hovered item is `other`.
  void drag_over(DrawingItem* other, int link, PointF cursor, bool ctrl) {
    dragged_ = add_polyline({{0, 0}, {1, 1}});
    NodeContext& c = g_edit.node;
    c.item = dragged_;
    c.link_index = 0;
    c.dragged = NODE_POINT_NEXT;
    c.other = NODE_POINT_CURRENT;
    HoverState& h = g_hover;
    h.hover_item = other;
    h.hover_link = item_nodes(other) + link;
    h.pick_kind = 17;
    h.cursor_point = cursor;
    g_events.modifiers = ctrl ? MODIFIER_CTRL : 0;
  }
  PointF end() const { return item_nodes(dragged_)[1].point; }
  DrawingItem* dragged_ = nullptr;
};

TEST_F(CrossingSnap, TheNearerCrossingOfALineAndACircle) {
  // A circle of radius 5 about (10, 0): the drag's line along x crosses it at 5 and 15.
  DrawingItem* circle = add_item(ITEM_CIRCLE, 1);
  LinkRecord* c = item_nodes(circle);
  c->point = {15, 0};
  c[1].point = {15, 0};
  c->centre = {10, 0};
  c->code = 5;
  c->sweep = SWEEP_CENTRE_CIRCLE;
  link_bounding_box(c);
  drag_over(circle, 0, {14, 0}, true);
  EXPECT_EQ(snap_drag_to_crossing(), 1);
  EXPECT_NEAR(dist(end(), 15, 0), 0, 1e-4);
  drag_over(circle, 0, {6, 0}, true);
  EXPECT_EQ(snap_drag_to_crossing(), 1);
  EXPECT_NEAR(dist(end(), 5, 0), 0, 1e-4);
  // Equally near both: the second.
  drag_over(circle, 0, {10, 0}, true);
  EXPECT_EQ(snap_drag_to_crossing(), 1);
  const PointF second = g_geometry2d.intersection.second;
  EXPECT_NEAR(dist(end(), second.x, second.y), 0, 1e-6);
}

TEST_F(CrossingSnap, NoneWithoutCtrlNoneOnASplineNoneWhenParallel) {
  DrawingItem* line = add_polyline({{5, -5}, {5, 5}});
  drag_over(line, 0, {4, 0}, false);
  EXPECT_EQ(snap_drag_to_crossing(), 0);
  EXPECT_NEAR(dist(end(), 1, 1), 0, 1e-6);  // untouched
  drag_over(line, 0, {4, 0}, true);
  EXPECT_EQ(snap_drag_to_crossing(), 1);
  EXPECT_NEAR(dist(end(), 5, 0), 0, 1e-4);
  item_nodes(line)[0].code = LINK_SPLINE;
  drag_over(line, 0, {4, 0}, true);
  EXPECT_EQ(snap_drag_to_crossing(), 0);
  DrawingItem* parallel = add_polyline({{0, 3}, {9, 3}});
  drag_over(parallel, 0, {4, 0}, true);
  EXPECT_EQ(snap_drag_to_crossing(), 0);
}

}  // namespace
