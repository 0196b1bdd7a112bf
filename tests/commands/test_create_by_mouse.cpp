// The drawing tools through the event queue on the headless screen: each tool's new item (type,
// flags, link codes) dragged to size by the node editor, the axis lock, Esc at the first drag,
// measuring, and the shape forms typed in and accepted.
#include <cmath>
#include <vector>

#include "../editor/editor_fixture.h"
#include "commands/connect_commands.h"
#include "commands/create_by_mouse.h"
#include "commands/node_edit_session.h"
#include "commands/shape_forms.h"
#include "commands/shape_solvers.h"
#include "commands/value_form.h"
#include "editor/drawing_commands.h"
#include "editor/edit_command.h"
#include "editor/edit_session.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/point_picking.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "geometry/item_edit_state.h"
#include "geometry/node_surgery.h"
#include "platform/headless.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/controls.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"
#include "tests/editor/drawing_window.h"
#include "tests/support/idle_typist.h"

namespace {

double dist(PointF a, double x, double y) { return std::hypot(a.x - x, a.y - y); }

class CreateByMouse : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    reset_undo_store();
    reset_edit_session();
    reset_node_drag();
    reset_item_edit();
    reset_value_form();
    reset_shape_forms();
    reset_point_picking();
    g_preferences.current_page = PAGE_DRAWING;
    g_job_settings.item_id_counter = 0;
    g_view.area_top = static_cast<int16_t>(2 * g_display.presets[FACE_ROLE_NORMAL].cell_height);
    g_view.area_width = g_display.screen_width;
    set_view(10.0f, -10.0f, 30.0f);
    g_events.modifiers = 0;
    g_item_edit.node_counter = 40;
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    g_events.modifiers = 0;
    g_furniture.axis_lock = AXIS_FREE;
    undo_clear();
    discard_originals();
    reset_edit_session();
    EditorFixture::TearDown();
  }

  static void pixel_of(PointF p, int* x, int* y) {
    world_to_screen(p, x, y);
    *y += g_view.area_top;
  }
  // The pointer rests on the world point, with nothing under it.
  static void rest_at(PointF p) {
    int x = 0;
    int y = 0;
    pixel_of(p, &x, &y);
    capture_at(x, y);
    int dx = 0;
    int dy = 0;
    mouse_delta(&dx, &dy);
    HoverState& h = g_hover;
    h.cursor_point = h.raw_cursor_point = h.previous_cursor_point = p;
    h.hover_item = nullptr;
    h.pick_kind = 0;
  }
  static void click_at(PointF p) {
    int x = 0;
    int y = 0;
    pixel_of(p, &x, &y);
    headless_inject_mouse_move(x, y);
    headless_inject_mouse_button(1, true, x, y);
    headless_inject_mouse_button(1, false, x, y);
  }
};

TEST_F(CreateByMouse, ARectangleIsDraggedToItsOtherCorner) {
  rest_at({2, 20});
  click_at({8, 16});
  create_item_by_mouse(TOOL_RECTANGLE);
  ASSERT_EQ(count_current_lines(), 1);
  DrawingItem* item = g_lists.current.last;
  EXPECT_EQ(item_type(item), ITEM_RECTANGLE);
  EXPECT_EQ(item_flags(item) & ITEM_FLAG_SELECTED, ITEM_FLAG_SELECTED);
  ASSERT_EQ(item_link_count(item), 4);
  const LinkRecord* r = item_nodes(item);
  EXPECT_NEAR(dist(r[0].point, 2, 20), 0, 1e-3);
  EXPECT_NEAR(dist(r[2].point, 8, 16), 0, 0.11);
  // Flexible top and bottom, rigid sides, every node loose.
  EXPECT_EQ(r[0].code, LINK_FLEXIBLE_LINE);
  EXPECT_EQ(r[1].code, LINK_RIGID_LINE);
  EXPECT_EQ(r[0].node_flags, NODE_FIRST | NODE_LOOSE);
  EXPECT_EQ(g_furniture.axis_lock & INDICATOR_LOCKED, 0);  // the suspension ended with the entry
}

TEST_F(CreateByMouse, EachToolMakesItsItem) {
  struct Case {
    int tool;
    uint8_t type;
    int links;
    float code;
  };
  const std::vector<Case> cases = {
      {TOOL_CIRCLE, ITEM_CIRCLE, 1, 1},  // code 1 here: any radius above 0
      {TOOL_POLYGON, ITEM_POLYGON, 6, LINK_RIGID_LINE},
      {TOOL_ELLIPSE, ITEM_ELLIPSE, 1, LINK_ELLIPSE},
      {TOOL_LINE, ITEM_POLYLINE, 1, LINK_FLEXIBLE_LINE},
      {TOOL_SPLINE, ITEM_POLYLINE, 1, LINK_SPLINE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tool);
    free_current_list();
    reset_edit_session();
    rest_at({0, 10});
    int x = 0;
    int y = 0;
    pixel_of({5, 10}, &x, &y);
    headless_inject_mouse_move(x, y);
    headless_inject_keystroke(VK_RETURN, 0);
    create_item_by_mouse(c.tool);
    ASSERT_EQ(count_current_lines(), 1);
    DrawingItem* item = g_lists.current.last;
    EXPECT_EQ(item_type(item), c.type);
    EXPECT_EQ(item_link_count(item), c.links);
    if (c.code == 1) {
      EXPECT_GT(item_nodes(item)[0].code, 0.0f);
      EXPECT_EQ(item_nodes(item)[0].sweep, SWEEP_CENTRE_CIRCLE);
    } else {
      EXPECT_EQ(item_nodes(item)[0].code, c.code);
    }
    EXPECT_EQ(item_flags(item) & ITEM_FLAG_SELECTED, ITEM_FLAG_SELECTED);
  }
}

// Lines and splines go on node by node: each left click places a node and starts the next
// link, the right button ends the drawing and drops the link that followed the pointer.
TEST_F(CreateByMouse, LinesAndSplinesGoOnNodeByNode) {
  struct Case {
    int tool;
    float code;
  };
  for (const Case& c : {Case{TOOL_LINE, LINK_FLEXIBLE_LINE}, Case{TOOL_SPLINE, LINK_SPLINE}}) {
    SCOPED_TRACE(c.tool);
    free_current_list();
    reset_edit_session();
    rest_at({0, 10});
    // The user clicks as the editor waits: each move is seen before the next click.
    start_typist();
    for (PointF p : {PointF{5, 10}, PointF{5, 15}, PointF{9, 15}}) {
      g_typist.steps.push_back([p] {
        int x = 0;
        int y = 0;
        pixel_of(p, &x, &y);
        headless_inject_mouse_move(x, y);
      });
      g_typist.steps.push_back([p] { click_at(p); });
    }
    g_typist.steps.push_back([] {
      int x = 0;
      int y = 0;
      pixel_of({12, 12}, &x, &y);
      headless_inject_mouse_move(x, y);
      headless_inject_mouse_button(WINDOW_BUTTON_RIGHT, true, x, y);
      headless_inject_mouse_button(WINDOW_BUTTON_RIGHT, false, x, y);
    });
    create_item_by_mouse(c.tool);
    pump_set_idle_handler(nullptr);
    ASSERT_EQ(count_current_lines(), 1);
    DrawingItem* item = g_lists.current.last;
    EXPECT_EQ(item_type(item), ITEM_POLYLINE);
    ASSERT_EQ(item_link_count(item), 3);
    const LinkRecord* r = item_nodes(item);
    const PointF expected[] = {{0, 10}, {5, 10}, {5, 15}, {9, 15}};
    for (int i = 0; i <= 3; ++i)
      EXPECT_NEAR(dist(r[i].point, expected[i].x, expected[i].y), 0, 0.11) << i;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r[i].code, c.code) << i;
    EXPECT_EQ(g_edit.node.drawing_mode, 0) << "the drawing mode ends with the entry";
  }
}

TEST_F(CreateByMouse, ThePointToolPlacesAPointAtOnce) {
  rest_at({3, 4});
  create_item_by_mouse(TOOL_POINTS);
  ASSERT_EQ(count_current_lines(), 1);
  DrawingItem* item = g_lists.current.last;
  EXPECT_EQ(item_type(item), ITEM_POINT);
  EXPECT_EQ(item_nodes(item)[0].code, LINK_POINT);
  EXPECT_NEAR(dist(item_nodes(item)[0].point, 3, 4), 0, 1e-6);
  EXPECT_EQ(g_item_edit.node_counter, 42);  // node and closing record numbered
}

// With the axis lock fixing X, a circle's first node sits above the centre and a polygon's first
// node at a quarter turn.
TEST_F(CreateByMouse, TheAxisLockFixingXTurnsTheFirstNodeUp) {
  for (int tool : {TOOL_CIRCLE, TOOL_POLYGON}) {
    SCOPED_TRACE(tool);
    free_current_list();
    reset_edit_session();
    g_furniture.axis_lock = AXIS_X_FIXED;
    rest_at({0, 10});
    headless_inject_keystroke(VK_RETURN, 0);
    create_item_by_mouse(tool);
    ASSERT_EQ(count_current_lines(), 1);
    const LinkRecord* r = item_nodes(g_lists.current.last);
    EXPECT_NEAR(r[0].point.x, 0.0f, 1e-4);
    EXPECT_GT(r[0].point.y, 10.0f);
  }
}

// Esc at the first drag of any tool leaves the drawing and the node counter as they were.
TEST_F(CreateByMouse, EscAtTheFirstDragLeavesNothing) {
  DrawingItem* kept = add_polyline({{0, 0}, {1, 1}});
  for (int tool : {TOOL_RECTANGLE, TOOL_CIRCLE, TOOL_ARC, TOOL_LINE, TOOL_SPLINE, TOOL_POLYGON,
                   TOOL_ELLIPSE, TOOL_SLOT}) {
    SCOPED_TRACE(tool);
    reset_edit_session();
    rest_at({5, 10});
    headless_inject_keystroke(VK_ESCAPE, 0);
    create_item_by_mouse(tool);
    EXPECT_EQ(count_current_lines(), 1);
    EXPECT_EQ(g_lists.current.last, kept);
    EXPECT_EQ(g_item_edit.node_counter, 40);
  }
}

TEST_F(CreateByMouse, MeasuringChangesNothing) {
  DrawingItem* kept = add_polyline({{0, 0}, {1, 1}});
  rest_at({5, 10});
  click_at({9, 13});
  headless_inject_keystroke(VK_RETURN, 0);
  create_item_by_mouse(TOOL_MEASURE);
  EXPECT_EQ(count_current_lines(), 1);
  EXPECT_EQ(g_lists.current.last, kept);
  EXPECT_EQ(g_item_edit.node_counter, 40);
}

// A negated tool makes its one-link item at the pick point without asking.
TEST_F(CreateByMouse, NegatedToolsMakeQuietItems) {
  rest_at({1, 2});
  create_item_by_mouse(-TOOL_POINTS);
  create_item_by_mouse(-TOOL_SPLINE);
  create_item_by_mouse(-TOOL_LINE);
  ASSERT_EQ(count_current_lines(), 3);
  DrawingItem* point = g_lists.current.first;
  EXPECT_EQ(item_type(point), ITEM_POINT);
  EXPECT_EQ(item_nodes(point)[0].code, LINK_POINT);
  EXPECT_EQ(item_nodes(point->next)[0].code, LINK_SPLINE);
  EXPECT_EQ(item_nodes(g_lists.current.last)[0].code, LINK_FLEXIBLE_LINE);
}

// ---------------------------------------------------------------- the forms

class ShapeForm : public CreateByMouse {
 protected:
  void SetUp() override {
    CreateByMouse::SetUp();
    connect_drawing_commands();
    start_typist();
    window_ = open_drawing_window();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    while (poll_input_code(0) != 0) {
    }
    close_drawing_window(window_);
    reset_drawing_commands();
    CreateByMouse::TearDown();
  }
  TextLine* window_ = nullptr;
};

// Typed centre and radius, OK: a circle with an ID and one undo step; Esc ends the series.
TEST_F(ShapeForm, CircleFromTypedCentreAndRadius) {
  typist_text("3");          // the first field: centre X
  typist_key(VK_RETURN);
  typist_text("4");          // centre Y
  typist_key(VK_RETURN);
  typist_text("2.5");        // radius
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);     // leaves the diameter field as it was
  typist_key(VK_UP);         // complete: Up reaches the bar, on OK
  typist_key(VK_RETURN);     // OK
  typist_key(VK_ESCAPE);     // the fresh form is left
  edit_command(141);
  ASSERT_EQ(count_current_lines(), 1);
  DrawingItem* item = g_lists.current.last;
  EXPECT_EQ(item_type(item), ITEM_CIRCLE);
  EXPECT_EQ(item_id(item), 1);
  const LinkRecord* r = item_nodes(item);
  EXPECT_NEAR(dist(r[0].centre, 3, 4), 0, 1e-5);
  EXPECT_NEAR(r[0].code, 2.5, 1e-5);
  EXPECT_NEAR(dist(r[0].point, 5.5, 4), 0, 1e-5);
  EXPECT_EQ(r[0].sweep, SWEEP_CENTRE_CIRCLE);
  undo_command();
  EXPECT_EQ(count_current_lines(), 0);
}

// A form left with Esc leaves no working item behind.
TEST_F(ShapeForm, EscInTheRectangleFormLeavesNoItem) {
  typist_text("1");
  typist_key(VK_ESCAPE);
  typist_key(VK_ESCAPE);
  edit_command(146);
  EXPECT_EQ(count_current_lines(), 0);
}

}  // namespace
