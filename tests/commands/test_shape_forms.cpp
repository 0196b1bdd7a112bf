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
#include "platform/files.h"
#include "platform/headless.h"
#include "records/job_settings.h"
#include "screen/controls.h"
#include "screen/event_queue.h"
#include "screen/hover.h"
#include "store/catalogue.h"
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

// A digit typed with no field selected starts the first entry field with that digit.
TEST_F(ShapeForm, ADigitWithNoFieldStartsTheFirstField) {
  typist_text("7");
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);
  then([] {
    EXPECT_EQ(g_value_form.entered[CIRCLE_CENTRE], FIELD_ENTERED);
    EXPECT_FLOAT_EQ(g_value_form.link.link.centre.x, 7.0f);
    EXPECT_EQ(g_value_form.entered[CIRCLE_CENTRE + 1], FIELD_EMPTY);
  });
  typist_key(VK_ESCAPE);
  EXPECT_EQ(run_form(CIRCLE), 27);
}

// A coordinate may be typed negative, and a key typed into a field that shows a value replaces
// it: a diameter of 10 typed over the 4 the radius gave makes the radius 5.
TEST_F(ShapeForm, TypedValuesReplaceWhatTheFieldShows) {
  click_control(CIRCLE_CENTRE);
  type_field("-3");
  type_field("4");
  type_field("2");
  then([] { EXPECT_FLOAT_EQ(g_value_form.diameter, 4.0f); });
  typist_text("10");  // the diameter field, showing 4
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);
  click_control(VALUE_ID_OK);
  EXPECT_EQ(run_form(CIRCLE), 0);
  const LinkRecord* r = item_nodes(g_lists.current.last);
  EXPECT_FLOAT_EQ(r[0].centre.x, -3.0f);
  EXPECT_FLOAT_EQ(r[0].centre.y, 4.0f);
  EXPECT_FLOAT_EQ(r[0].code, 5.0f);
}

// Enter with no label selected leaves the form, complete or not, and takes its preview along.
TEST_F(ShapeForm, EnterWithNoLabelLeavesWithoutAnItem) {
  add_polyline({{0, 0}, {10, 10}});
  open_drawing();
  clear_area();
  draw_item(g_lists.current.first, 0);
  const std::vector<uint32_t> before = area_pixels();
  click_control(CIRCLE_CENTRE);
  type_field("20");
  type_field("15");
  type_field("5");
  typist_key(VK_ESCAPE);
  then([] { EXPECT_EQ(g_value_form.preview_shown, 1); });
  typist_key(VK_RETURN);
  EXPECT_EQ(run_shape_form(CIRCLE), 27);
  EXPECT_EQ(g_lists.current.first->next, nullptr) << "no circle was made";
  EXPECT_EQ(area_pixels(), before);
}

// Up from the first field reaches the OK/Cancel bar: on OK when the circle stands (Enter makes
// it), on CANCEL when it does not (Enter leaves with 1), whatever the bar was asked to start on.
TEST_F(ShapeForm, UpFromTheFirstFieldReachesOkOnlyWhenComplete) {
  struct Case {
    const char* radius;  // empty: the circle is not determined
    int result;
    bool made;
  };
  const Case cases[] = {{"2", 0, true}, {"", 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.radius);
    free_current_list();
    reset_value_form();
    start_typist();
    click_control(CIRCLE_RADIUS);
    type_field(c.radius);
    typist_key(VK_ESCAPE);
    click_control(CIRCLE_CENTRE);
    type_field("3");
    typist_text("4");
    typist_key(VK_UP);  // the centre's Y taken, back to its X
    typist_key(VK_UP);  // above the first field: the bar
    typist_key(VK_RETURN);
    EXPECT_EQ(run_form(CIRCLE), c.result);
    EXPECT_EQ(g_lists.current.first != nullptr, c.made);
    if (c.made) {
      EXPECT_EQ(item_type(g_lists.current.first), ITEM_CIRCLE);
      EXPECT_FLOAT_EQ(item_nodes(g_lists.current.first)[0].centre.x, 3.0f);
    }
  }
}

// The shape's zoom button shows exactly while the circle stands: a radius cleared by Del hides
// it again.
TEST_F(ShapeForm, TheShapeButtonFollowsCompleteness) {
  auto shape_hidden = [] {
    const ScreenControl* shape = find_control(VALUE_ID_ZOOM_SHAPE);
    return shape == nullptr || (shape->flags & CF_HIDDEN) != 0;
  };
  click_control(CIRCLE_CENTRE);
  type_field("1");
  type_field("1");
  then([shape_hidden] { EXPECT_TRUE(shape_hidden()); });
  type_field("2");
  typist_key(VK_ESCAPE);
  then([shape_hidden] { EXPECT_FALSE(shape_hidden()); });
  click_label(CIRCLE_RADIUS);
  typist_key(VK_DELETE);
  then([shape_hidden] {
    EXPECT_NE(form_complete(), 1);
    EXPECT_TRUE(shape_hidden());
  });
  typist_key(VK_ESCAPE);
  EXPECT_EQ(run_form(CIRCLE), 27);
}

// With the pointer over the drawing PgUp zooms and the preview is drawn again on the new view;
// over the panel the same key walks the labels and the view stays.
TEST_F(ShapeForm, ViewKeysActOverTheDrawingOnly) {
  click_control(CIRCLE_CENTRE);
  type_field("0");
  type_field("0");
  type_field("3");
  typist_key(VK_ESCAPE);
  static float scale_before = 0.0f;
  static float width_before = 0.0f;
  then([] {
    scale_before = g_view.scale_x;
    width_before = g_view.view_right - g_view.view_left;
    headless_inject_mouse_move(40, g_view.area_top + 40);
  });
  typist_pause();
  typist_key(VK_PRIOR);
  then([] {
    EXPECT_NEAR(g_view.view_right - g_view.view_left, width_before / 1.25f, 1e-3f);
    EXPECT_EQ(g_value_form.preview_shown, 1);
    // The preview stands on the new view: a pixel on the circle's right is not the background.
    int x = 0;
    int y = 0;
    world_to_screen({3.0f, 0.0f}, &x, &y);
    y += g_view.area_top;
    bool inked = false;
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy) inked = inked || pixel(x + dx, y + dy) != 0xFFFFFF;
    EXPECT_TRUE(inked);
    scale_before = g_view.scale_x;
    const ScreenControl* ok = find_control(VALUE_ID_OK);
    ASSERT_NE(ok, nullptr);
    headless_inject_mouse_move(ok->x, ok->y + 3 * ok->hit_height);
  });
  typist_pause();
  typist_key(VK_NEXT);  // the last label: "Layer:"
  typist_key(VK_DELETE);
  then([] {
    EXPECT_FLOAT_EQ(g_view.scale_x, scale_before);
    EXPECT_EQ(form_complete(), 1) << "Del on the layer label clears nothing";
  });
  typist_key(VK_ESCAPE);
  EXPECT_EQ(run_form(CIRCLE), 27);
}

// "Help me!" shows its five boxes in turn, each closed by a key; Esc ends the tour early and
// the form goes on.
TEST_F(ShapeForm, TheHelpTourShowsItsStepsUntilAKeyOrEsc) {
  struct Case {
    int keys;       // steps answered by a plain key before Esc (5: no Esc)
    int shown;      // boxes seen
  };
  const Case cases[] = {{5, 5}, {1, 2}};
  set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
  ASSERT_GT(open_catalogue(), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    reset_value_form();
    start_typist();
    static std::vector<std::string> seen;
    seen.clear();
    click_control(VALUE_ID_HELP);
    for (int k = 0; k < 5 && k <= c.keys; ++k) {
      const int vk = k < c.keys ? 0 : VK_ESCAPE;
      // The next box is up once its text differs from the last one seen.
      g_typist.steps.push_back(typist_step_when(
          [] {
            return g_popups.current != nullptr &&
                   (seen.empty() || g_message_box.last_text != seen.back());
          },
          [vk] {
            seen.push_back(g_message_box.last_text);
            if (vk == VK_ESCAPE) headless_inject_keystroke(vk, 0);
            else headless_inject_text(" ");  // any typed key
          }));
    }
    then([] { EXPECT_EQ(g_popups.current, nullptr); });
    typist_key(VK_ESCAPE);
    EXPECT_EQ(run_form(CIRCLE), 27);
    ASSERT_EQ(static_cast<int>(seen.size()), c.shown);
    for (int k = 0; k < c.shown; ++k) {
      get_message(8200 + k);
      EXPECT_EQ(seen[static_cast<size_t>(k)], message_text()) << 8200 + k;
    }
  }
  close_catalogue();
  set_program_folder_for_tests("");
}

// The side count's own editor: a new count rebuilds the polygon; a count below 3 is refused and
// the previous one edited again; the polygon made has the count and the next form starts with
// it.
TEST_F(ShapeForm, TheSideCountEditor) {
  click_control(POLYGON_SIDES);
  typist_text("8");
  typist_key(VK_RETURN);
  then([] { EXPECT_EQ(item_link_count(g_lists.current.last), 8); });
  click_control(POLYGON_SIDES);
  typist_text("2");
  typist_key(VK_RETURN);  // refused: the field shows 8 again and is edited again
  then([] {
    EXPECT_EQ(item_link_count(g_lists.current.last), 8);
    const ScreenControl* c = find_control(POLYGON_SIDES);
    ASSERT_NE(c, nullptr);
    EXPECT_STREQ(c->caption, "  8");
  });
  typist_text("5");
  typist_key(VK_RETURN);
  then([] { EXPECT_EQ(item_link_count(g_lists.current.last), 5); });
  click_control(POLYGON_CENTRE);
  type_field("10");
  type_field("10");
  typist_key(VK_ESCAPE);
  click_control(POLYGON_OUTSIDE);
  type_field("4");
  typist_key(VK_ESCAPE);
  then([] { ASSERT_EQ(form_complete(), 1); });
  click_control(VALUE_ID_OK);
  EXPECT_EQ(run_form(POLYGON), 0);
  DrawingItem* made = g_lists.current.last;
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(item_type(made), ITEM_POLYGON);
  ASSERT_EQ(item_link_count(made), 5);
  for (int i = 0; i < 5; ++i)
    EXPECT_NEAR(std::hypot(item_nodes(made)[i].point.x - 10, item_nodes(made)[i].point.y - 10), 4,
                1e-4)
        << i;
  EXPECT_EQ(g_polygon_form_sides, 5);
  // The next polygon form starts with five sides, carried over.
  then([] {
    EXPECT_EQ(item_link_count(g_lists.current.last), 5);
    EXPECT_EQ(g_value_form.entered[POLYGON_SIDES], FIELD_CARRIED);
  });
  typist_key(VK_ESCAPE);
  EXPECT_EQ(run_shape_form(POLYGON), 27);
  EXPECT_EQ(g_lists.current.last, made);
}

// "Clockwise" turns the arc the other way between the same ends: the quarter from (5, 0) to
// (0, 5) becomes the three quarters the other way round, the box is ticked, and OK makes the
// clockwise arc.
TEST_F(ShapeForm, TheClockwiseBoxTurnsTheArc) {
  click_control(ARC_CENTRE);
  type_field("0");
  type_field("0");
  typist_key(VK_ESCAPE);
  click_control(ARC_RADIUS);
  type_field("5");   // radius
  type_field("90");  // sweep
  type_field("0");   // start angle, the last field: the edit ends
  then([] {
    ASSERT_EQ(form_complete(), 1);
    EXPECT_NEAR(g_value_form.link.closing.point.x, 0.0f, 1e-4);
    EXPECT_NEAR(g_value_form.link.closing.point.y, 5.0f, 1e-4);
  });
  click_control(ARC_CLOCKWISE);
  then([] {
    EXPECT_NE(g_value_form.link.link.link_flags & LINK_CLOCKWISE, 0);
    EXPECT_NEAR(g_value_form.link.closing.point.y, 5.0f, 1e-4);
    EXPECT_NEAR(g_value_form.link.link.sweep, 3 * M_PI / 2, 1e-4);
    const ScreenControl* box = nullptr;
    for (const ScreenControl* c = g_controls.active; c != nullptr && c->flags != CF_END; ++c)
      if ((c->flags & CF_CHECKBOX) != 0 && c->id == ARC_CLOCKWISE) box = c;
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box->flags & CF_CHECKED, 0u);
  });
  click_control(VALUE_ID_OK);
  EXPECT_EQ(run_form(140), 0);
  DrawingItem* arc = g_lists.current.last;
  ASSERT_NE(arc, nullptr);
  const LinkRecord* r = item_nodes(arc);
  EXPECT_NE(r[0].link_flags & LINK_CLOCKWISE, 0);
  EXPECT_NEAR(r[0].point.x, 5.0f, 1e-4);
  EXPECT_NEAR(r[1].point.y, 5.0f, 1e-4);
  EXPECT_NEAR(r[0].sweep, 3 * M_PI / 2, 1e-4);
}

// A rounded rectangle lies right of and below its upper-left corner with clockwise corner
// arcs; "Inverted arcs" turns the corners into counter-clockwise loops of node kind 0x10 on the
// same corners.
TEST_F(ShapeForm, TheInvertedArcsBoxTurnsTheCorners) {
  struct Corners {
    int clockwise_arcs = 0;
    int other_kind_nodes = 0;
    float min_x = 1e9f, max_x = -1e9f, min_y = 1e9f, max_y = -1e9f;  // of the arc centres
  };
  static Corners plain;
  static Corners inverted;
  auto read = [](Corners* c) {
    const LinkRecord* r = item_nodes(g_lists.current.last);
    *c = Corners{};
    for (int i = 0; i < 8; ++i) {
      if ((r[i].node_flags & NODE_KIND_MASK) == NODE_KIND_OTHER) ++c->other_kind_nodes;
      if (r[i].code <= 0) continue;
      if ((r[i].link_flags & LINK_CLOCKWISE) != 0) ++c->clockwise_arcs;
      c->min_x = std::min(c->min_x, r[i].centre.x);
      c->max_x = std::max(c->max_x, r[i].centre.x);
      c->min_y = std::min(c->min_y, r[i].centre.y);
      c->max_y = std::max(c->max_y, r[i].centre.y);
    }
  };
  click_control(RECT_UL);
  type_field("0");
  type_field("10");
  typist_key(VK_ESCAPE);
  click_control(RECT_HEIGHT);
  type_field("4");
  type_field("8");
  typist_key(VK_ESCAPE);
  then([read] {
    ASSERT_EQ(form_complete(), 1);
    read(&plain);
  });
  click_control(ROUNDED_INVERTED);
  then([read] {
    EXPECT_EQ(g_rounded_inverted, 1);
    read(&inverted);
  });
  typist_key(VK_ESCAPE);
  EXPECT_EQ(run_form(150), 27);
  EXPECT_EQ(g_lists.current.first, nullptr);
  // Radius 0 gives a quarter of the shorter side: 1. The centres stand 1 inside the corners.
  EXPECT_EQ(plain.clockwise_arcs, 4);
  EXPECT_EQ(plain.other_kind_nodes, 0);
  EXPECT_NEAR(plain.min_x, 1.0f, 1e-5);
  EXPECT_NEAR(plain.max_x, 7.0f, 1e-5);
  EXPECT_NEAR(plain.min_y, 7.0f, 1e-5);
  EXPECT_NEAR(plain.max_y, 9.0f, 1e-5);
  EXPECT_EQ(inverted.clockwise_arcs, 0);
  EXPECT_EQ(inverted.other_kind_nodes, 8);
  EXPECT_NEAR(inverted.min_x, 1.0f, 1e-5);
  EXPECT_NEAR(inverted.max_x, 7.0f, 1e-5);
}

}  // namespace
