// The shape forms through the event queue on the headless screen: clicks on the panel's
// controls, labels picked and values taken from the drawing, Del on the labels, the live XOR
// preview and the pixels after Esc, the zoom header, the side count of the polygon and the
// Clockwise box of the arc.
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "commands/shape_forms.h"
#include "commands/shape_solvers.h"
#include "commands/value_form.h"
#include "tests/commands/value_form_fixture.h"
#include "editor/edit_session.h"
#include "editor/hover.h"
#include "editor/undo_store.h"
#include "geometry/item_edit_state.h"
#include "platform/headless.h"
#include "records/job_settings.h"
#include "screen/controls.h"
#include "screen/event_queue.h"
#include "screen/hover.h"
#include "tests/editor/drawing_window.h"
#include "tests/support/idle_typist.h"
#include "ui/message_box.h"
#include "ui/popups.h"

namespace {

constexpr int CIRCLE = 141;
constexpr int POLYGON = 145;

class ShapeForm : public ValueFormFixture {
 protected:
  void SetUp() override {
    ValueFormFixture::SetUp();
    reset_shape_forms();
    g_preferences.polygon_sides = 6;
  }
  void TearDown() override {
    ValueFormFixture::TearDown();
    reset_shape_forms();
  }

  int run_form(int code) {
    open_drawing();
    return run_shape_form(code);
  }

  static void click_label(int field) { click_control(field + VALUE_LABEL_OFFSET); }
  // The pointer moves onto a world point of the drawing, rests there while the form's hover
  // search finds what lies under it, then clicks.
  static void click_world(PointF p) {
    g_typist.steps.push_back([p] {
      int x = 0;
      int y = 0;
      world_to_screen(p, &x, &y);
      y += g_view.area_top;
      ASSERT_LT(x, g_view.area_width);
      headless_inject_mouse_move(x, y);
      g_typist.steps.push_front([x, y] {
        headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, x, y);
        headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, x, y);
      });
      g_typist.steps.push_front([] {});
    });
  }

  static std::vector<uint32_t> area_pixels() {
    std::vector<uint32_t> out;
    const ViewState& v = g_view;
    for (int y = v.area_top + 2; y < v.area_bottom; ++y)
      for (int x = 0; x < v.side_panel_column * g_display.presets[FACE_ROLE_MENU].cell_width; ++x)
        out.push_back(pixel(x, y));
    return out;
  }
};

DrawingItem* last_item() { return g_lists.current.last; }

// The fault: clicks on the form's controls were hit-tested where the pointer had been before
// the form opened. A click on the centre's X field, typed values and a click on OK make the
// circle.
TEST_F(ShapeForm, ClicksOnTheFormsControlsAct) {
  click_control(CIRCLE_CENTRE);
  type_field("3");
  type_field("4");
  type_field("2");
  typist_key(VK_ESCAPE);
  click_control(VALUE_ID_OK);
  typist_key(VK_ESCAPE);  // the fresh form is not opened by run_shape_form
  EXPECT_EQ(run_form(CIRCLE), 0);
  DrawingItem* item = last_item();
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(item_type(item), ITEM_CIRCLE);
  EXPECT_FLOAT_EQ(item_nodes(item)[0].centre.x, 3.0f);
  EXPECT_FLOAT_EQ(item_nodes(item)[0].centre.y, 4.0f);
  EXPECT_FLOAT_EQ(item_nodes(item)[0].code, 2.0f);
}

TEST_F(ShapeForm, AClickOnCancelLeavesWithoutAnItem) {
  click_control(CIRCLE_RADIUS);
  type_field("2");
  typist_key(VK_ESCAPE);
  click_control(VALUE_ID_CANCEL);
  EXPECT_EQ(run_form(CIRCLE), 698);
  EXPECT_EQ(g_lists.current.first, nullptr);
}

// A label selected, then a click in the drawing: the centre from an empty spot, the radius from
// a line's length; OK makes the circle.
TEST_F(ShapeForm, LabelsTakeTheirValuesFromTheDrawing) {
  DrawingItem* line = add_polyline({{0, 0}, {3, 4}});
  set_item_id(line, ++g_job_settings.item_id_counter);
  click_label(CIRCLE_CENTRE);
  click_world({8.0f, 12.0f});
  click_label(CIRCLE_RADIUS);
  click_world({1.5f, 2.0f});  // the middle of the line of length 5
  then([] {
    EXPECT_EQ(form_complete(), 1);
    const ScreenControl* shape = find_control(VALUE_ID_ZOOM_SHAPE);
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->flags & CF_HIDDEN, 0u) << "the shape's zoom button shows once complete";
  });
  click_control(VALUE_ID_OK);
  EXPECT_EQ(run_form(CIRCLE), 0);
  DrawingItem* item = last_item();
  ASSERT_NE(item, line);
  ASSERT_EQ(item_type(item), ITEM_CIRCLE);
  EXPECT_NEAR(item_nodes(item)[0].centre.x, 8.0f, 0.11f);
  EXPECT_NEAR(item_nodes(item)[0].centre.y, 12.0f, 0.11f);
  EXPECT_NEAR(item_nodes(item)[0].code, 5.0f, 1e-4f);
}

// A click in the drawing with no label selected and nothing entered leaves the form.
TEST_F(ShapeForm, AClickInTheDrawingWithNothingSelectedLeaves) {
  click_world({2.0f, 20.0f});
  EXPECT_EQ(run_form(CIRCLE), 27);
  EXPECT_EQ(g_lists.current.first, nullptr);
}

// Del on a selected label: a point's label clears X and Y, "Y only:" only Y, "Layer:" nothing.
TEST_F(ShapeForm, DelOnTheThreeLabelKinds) {
  struct Case {
    int label;
    uint8_t x_after, y_after;
    bool layer_kept;
  };
  const Case cases[] = {
      {CIRCLE_CENTRE, FIELD_EMPTY, FIELD_EMPTY, true},
      {CIRCLE_CENTRE + 1, FIELD_ENTERED, FIELD_EMPTY, true},
      {CIRCLE_LAYER, FIELD_ENTERED, FIELD_ENTERED, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    reset_value_form();
    start_typist();
    click_control(CIRCLE_CENTRE);
    type_field("3");
    type_field("4");
    typist_key(VK_ESCAPE);
    click_control(CIRCLE_LAYER);
    typist_text("7");
    typist_key(VK_DOWN);
    click_label(c.label);
    typist_key(VK_DELETE);
    then([c] {
      EXPECT_EQ(g_value_form.entered[CIRCLE_CENTRE], c.x_after);
      EXPECT_EQ(g_value_form.entered[CIRCLE_CENTRE + 1], c.y_after);
      EXPECT_EQ(g_value_form.layer, 7);
      const ScreenControl* x = find_control(CIRCLE_CENTRE);
      ASSERT_NE(x, nullptr);
      EXPECT_EQ(x->caption[0] == 0, c.x_after == FIELD_EMPTY) << x->caption;
    });
    typist_key(VK_ESCAPE);
    EXPECT_EQ(run_form(CIRCLE), 27);
  }
}

// The circle's preview is XOR-drawn on the canvas as soon as it stands, and after Esc the
// drawing's pixels are those from before the form.
TEST_F(ShapeForm, ThePreviewShowsAndEscLeavesThePixelsAsTheyWere) {
  add_polyline({{0, 0}, {10, 10}});
  open_drawing();
  clear_area();
  draw_item(g_lists.current.first, 0);
  const std::vector<uint32_t> before = area_pixels();
  click_control(CIRCLE_CENTRE);
  type_field("20");
  type_field("15");
  type_field("5");
  then([&before] {
    EXPECT_EQ(form_complete(), 1);
    EXPECT_EQ(g_value_form.preview_shown, 1);
    // A pixel on the circle, right of its centre, is no longer the background.
    int x = 0;
    int y = 0;
    world_to_screen({25.0f, 15.0f}, &x, &y);
    y += g_view.area_top;
    bool changed = false;
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy) changed = changed || pixel(x + dx, y + dy) != 0xFFFFFF;
    EXPECT_TRUE(changed);
    EXPECT_NE(area_pixels(), before);
  });
  typist_key(VK_ESCAPE);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(run_shape_form(CIRCLE), 27);
  EXPECT_EQ(area_pixels(), before);
  EXPECT_EQ(g_lists.current.first->next, nullptr);
}

// The selected label blinks: its box is XOR-filled on the ticks while the form waits.
TEST_F(ShapeForm, TheSelectedLabelBlinks) {
  click_label(CIRCLE_RADIUS);
  bool blinked = false;
  // Virtual time passes while the form waits: the timer's ticks reach the marker.
  for (int i = 0; i < 30; ++i)
    then([&blinked] {
      blinked = blinked || g_pick_marker.shown;
      headless_advance_clock(60);
    });
  typist_key(VK_ESCAPE);
  typist_key(VK_ESCAPE);
  pump_start_timer();
  EXPECT_EQ(run_form(CIRCLE), 27);
  pump_stop_timer();
  EXPECT_TRUE(blinked);
  EXPECT_FALSE(g_pick_marker.picking);
}

// Down and Up walk the labels; Up from the first leaves none selected; Right (or a digit)
// edits the selected label's field.
TEST_F(ShapeForm, KeysWalkTheLabelsAndRightEditsTheField) {
  typist_key(VK_DOWN);   // Center
  typist_key(VK_DOWN);   // Y only
  typist_key(VK_DOWN);   // Radius
  typist_text("6");      // typed into the radius
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);
  then([] {
    EXPECT_EQ(g_value_form.entered[CIRCLE_RADIUS], FIELD_ENTERED);
    EXPECT_FLOAT_EQ(g_value_form.link.link.code, 6.0f);
  });
  typist_key(VK_ESCAPE);
  EXPECT_EQ(run_form(CIRCLE), 27);
}

// The header's "Drawing" button zooms to the whole drawing; the shape's button is hidden while
// the circle is not determined.
TEST_F(ShapeForm, ZoomToTheDrawing) {
  add_polyline({{100, 100}, {140, 120}});
  const float scale_before = g_view.scale_x;
  then([] {
    const ScreenControl* shape = find_control(VALUE_ID_ZOOM_SHAPE);
    ASSERT_NE(shape, nullptr);
    EXPECT_NE(shape->flags & CF_HIDDEN, 0u);
  });
  click_control(VALUE_ID_ZOOM_DRAWING);
  then([scale_before] {
    EXPECT_NE(g_view.scale_x, scale_before);
    EXPECT_LE(g_view.view_left, 100.0f);
    EXPECT_GE(g_view.view_right, 140.0f);
    EXPECT_LE(g_view.view_bottom, 100.0f);
    EXPECT_GE(g_view.view_top, 120.0f);
  });
  typist_key(VK_ESCAPE);
  EXPECT_EQ(run_form(CIRCLE), 27);
}

// With the side-count label selected, a click on a six-link item makes a hexagon.
TEST_F(ShapeForm, TheSideCountFromAnItemInTheDrawing) {
  add_polyline({{0, 0}, {4, 0}, {8, 0}, {8, 4}, {8, 8}, {4, 8}, {0, 8}});
  click_control(POLYGON_SIDES);
  typist_text("4");
  typist_key(VK_RETURN);
  click_label(POLYGON_SIDES);
  click_world({2.0f, 0.0f});
  then([] { EXPECT_EQ(item_link_count(g_lists.current.last), 6); });
  typist_key(VK_ESCAPE);
  EXPECT_EQ(run_form(POLYGON), 27);
  EXPECT_EQ(g_lists.current.first, g_lists.current.last) << "the working item is gone";
}

}  // namespace
