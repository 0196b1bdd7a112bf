// The Drawing page's furniture and readers on the headless screen: rulers, indicators, the
// read-out, the resumable redraw, the point constraints, hover picking and the two event readers,
// each driven through the event queue.
#include <cmath>
#include <cstring>

#include "editor/hover.h"
#include "editor_fixture.h"
#include "tests/support/idle_typist.h"

namespace {

class PageTest : public EditorFixture {
 protected:
  // The pointer rests at (x, y) over the drawing and the cursor point is there.
  void rest_at(int x, int y) {
    capture_at(x, y);
    g_hover.cursor_point = g_hover.raw_cursor_point = screen_to_world(x, y);
    g_hover.previous_cursor_point = g_hover.cursor_point;
  }
};

TEST_F(PageTest, RulerStepsAreOneSignificantDigit) {
  const struct {
    double span;
    bool drawn;
    double step;
    int decimals;
  } cases[] = {
      {8.0, true, 1.0, 0},      {24.0, true, 5.0, 0},     {0.3, true, 0.05, 2},
      {0.32, true, 0.04, 2},    {80.0, true, 10.0, 0},    {1000.0, true, 100.0, 0},
      {56.0, true, 5.0, 0},     {0.0, false, 0, 0},       {5e-7, false, 0, 0},
      // An eighth that prints as 0.000000: no rulers (the design looped on it for ever).
      {3e-6, false, 0, 0},
  };
  for (const auto& c : cases) {
    double step = 0.0;
    int decimals = -1;
    EXPECT_EQ(ruler_step(c.span, &step, &decimals), c.drawn) << c.span;
    if (!c.drawn) continue;
    EXPECT_DOUBLE_EQ(step, c.step) << c.span;
    EXPECT_EQ(decimals, c.decimals) << c.span;
  }
}

TEST_F(PageTest, RulersAtAnyViewEndAndLabelTheirLines) {
  g_furniture.ruler_style = RULERS_GRID;
  // A view far from the origin where a step is lost against the values: the lines still end.
  set_view(5000000.0f, 1000.0f, 1000.0f);
  clear_area();
  draw_rulers(0);
  set_view(50.0f, -1.0f, 8.0f);
  clear_area();
  draw_rulers(0);
  // The line at 0 is dash-dot, the others solid in the grid colour.
  int x = 0, y = 0;
  world_to_screen({1.0f, 0.0f}, &x, &y);
  EXPECT_NE(pixel(x, g_view.area_top + 100), 0xFFFFFFu);
}

TEST_F(PageTest, IndicatorsCycleAndTheGridToggleCanWaitToBeDrawn) {
  const int16_t pictures[] = {-206, -205, -207, -206};
  for (int16_t want : pictures) {
    cycle_axis_lock(1);
    EXPECT_EQ(page_strip_control(STRIP_AXIS_LOCK)->style, want);
  }
  g_furniture.axis_lock |= INDICATOR_LOCKED;
  cycle_axis_lock(1);
  EXPECT_EQ(g_furniture.axis_lock & 3, AXIS_X_FIXED);
  g_job_settings.grid_step = 0.125f;
  const std::vector<uint32_t> before = pixels();
  show_grid_state(INDICATOR_CHANGE_ONLY);
  EXPECT_EQ(g_furniture.grid_switch, 1);
  EXPECT_EQ(g_job_settings.grid_shown, 1);
  EXPECT_EQ(pixels(), before);  // changed, not drawn
  show_grid_state(0);
  EXPECT_STREQ(page_strip_control(STRIP_GRID)->caption, "G .125");
  show_grid_state(1);
  EXPECT_STREQ(page_strip_control(STRIP_GRID)->caption, "G: OFF");
}

TEST_F(PageTest, TheReadOutTakesFourDecimalsAboveTwoThousandPixelsPerUnit) {
  const CellMetrics& small = g_display.presets[FACE_ROLE_SMALL];
  const int x = g_display.screen_width + 1 - 18 * small.cell_width;
  const int y = g_display.screen_height + 1 - 2 * small.cell_height;
  g_hover.cursor_point = {1.25f, -2.5f};
  set_view(2000.0f, 0.0f, 0.0f);
  show_cursor_xy();
  EXPECT_EQ(text_at(x, y, FACE_ROLE_SMALL, 13), "1.250, -2.500");
  set_view(2001.0f, 0.0f, 0.0f);
  show_cursor_xy();
  EXPECT_EQ(text_at(x, y, FACE_ROLE_SMALL, 15), "1.2500, -2.5000");
}

TEST_F(PageTest, AKeyDuringALongResumableRedrawStopsTheSliceAndIsKept) {
  for (int i = 0; i < 10000; ++i) {
    const float x = static_cast<float>(i % 100);
    const float y = static_cast<float>(i / 100);
    add_polyline({{x, y}, {x + 0.5f, y + 0.5f}});
  }
  set_view(8.0f, 0.0f, 100.0f);
  drain();
  redraw_incremental(REDRAW_START);
  push_input_code('k');
  EXPECT_EQ(redraw_incremental(REDRAW_CONTINUE), 1);
  EXPECT_NE(g_furniture.next_item, nullptr);  // the rest waits for the next slice
  EXPECT_EQ(poll_input_code(0), 'k');
  EXPECT_EQ(redraw_incremental(REDRAW_CONTINUE), 0);
  EXPECT_EQ(g_furniture.next_item, nullptr);
  // An item whose kind is hidden is skipped and the redraw goes on.
  g_preferences.drawing.show_drawing_items = 0;
  redraw_incremental(REDRAW_START);
  clear_area();
  EXPECT_EQ(redraw_incremental(REDRAW_CONTINUE), 0);
  EXPECT_TRUE(drawn_pixels().empty());
}

TEST_F(PageTest, PointConstraints) {
  const PointF anchor = {1.0f, 1.0f};
  const PointF lock = {5.0f, 7.0f};
  struct Case {
    uint8_t modifiers;
    uint8_t axis_lock;
    double angle_deg, distance;  // the point from the anchor
    double want_x, want_y;       // the result, from the anchor
  };
  const double d45 = std::sqrt(0.5) * 2.0;
  const Case cases[] = {
      {MODIFIER_CTRL | MODIFIER_SHIFT, AXIS_FREE, 10, 2, d45, d45},
      {MODIFIER_CTRL | MODIFIER_SHIFT, AXIS_FREE, 100, 2, -d45, d45},
      {MODIFIER_CTRL | MODIFIER_SHIFT, AXIS_FREE, 359, 2, d45, -d45},
      {MODIFIER_CTRL, AXIS_FREE, 45, std::sqrt(18.0), 0, 3},  // (3, 3): ties go vertical
      {MODIFIER_CTRL, AXIS_FREE, 10, 2, 2 * std::cos(10 * M_PI / 180), 0},
      {0, AXIS_FREE, 30, 2, 2 * std::cos(M_PI / 6), 2 * std::sin(M_PI / 6)},
      {MODIFIER_CTRL, AXIS_X_FIXED, 30, 2, 4, 2 * std::sin(M_PI / 6)},
      {0, AXIS_Y_FIXED, 30, 2, 2 * std::cos(M_PI / 6), 6},
  };
  for (const Case& c : cases) {
    g_events.modifiers = c.modifiers;
    g_furniture.axis_lock = c.axis_lock;
    const double a = c.angle_deg * M_PI / 180;
    const PointF p = {static_cast<float>(anchor.x + c.distance * std::cos(a)),
                      static_cast<float>(anchor.y + c.distance * std::sin(a))};
    const PointF got = constrain_point(p, lock, anchor);
    EXPECT_NEAR(got.x - anchor.x, c.want_x, 1e-5) << c.angle_deg << " mods " << int(c.modifiers);
    EXPECT_NEAR(got.y - anchor.y, c.want_y, 1e-5) << c.angle_deg << " mods " << int(c.modifiers);
    EXPECT_EQ(g_hover.constrained_point.x, got.x);
  }
  g_events.modifiers = 0;
}

TEST_F(PageTest, TabOffersTwoOverlappingItemsInTurn) {
  set_view(50.0f, 0.0f, 10.0f);
  DrawingItem* first = add_polyline({{1, 5}, {9, 5}});
  DrawingItem* second = add_polyline({{5, 1}, {5, 9}});
  rest_at(5 * 50 + 3, g_view.area_top + 5 * 50 + 3);
  drain();
  EXPECT_EQ(pick_under_crosshairs(), -1);
  EXPECT_EQ(g_hover.hover_item, second);  // the item drawn last is found first
  EXPECT_EQ(pick_under_crosshairs(), -1);
  EXPECT_EQ(g_hover.hover_item, first);
  EXPECT_EQ(pick_under_crosshairs(), -1);
  EXPECT_EQ(g_hover.hover_item, second);
  clear_hover_hilite();
}

TEST_F(PageTest, AKeyTakenByTheHoverSearchIsReturnedAndTheReaderKeepsIt) {
  for (int i = 0; i < 2000; ++i) add_polyline({{0.1f * i, 0}, {0.1f * i, 0.05f}});
  set_view(50.0f, 0.0f, 10.0f);
  rest_at(300, 300);
  drain();
  push_input_code('k');
  EXPECT_EQ(pick_under_crosshairs(), 'k');
  EXPECT_EQ(pending_input_count(), 0);
  // The point-picking reader: a Ctrl+letter that arrives during its search comes out next.
  headless_inject_mouse_move(303, 300);
  pump_messages();
  push_input_code(579);
  EXPECT_EQ(next_editor_event(), EVENT_POINTER_MOVE);
  EXPECT_EQ(next_editor_event(), 579);
}

TEST_F(PageTest, ThePointerAtTheLeftEdgePansLeftByAFifth) {
  set_view(50.0f, 0.0f, 10.0f);
  rest_at(100, 300);
  drain();
  const float left = g_view.view_left;
  const float width = g_view.view_right - g_view.view_left;
  headless_inject_mouse_move(g_display.presets[FACE_ROLE_NORMAL].cell_height - 2, 300);
  EXPECT_EQ(next_editor_event(), EVENT_VIEW_CHANGED);
  EXPECT_NEAR(g_view.view_left, left - 0.2f * width, 1e-4);
  EXPECT_EQ(g_hover.view_changes, 1);
}

int16_t g_outside_left = 0;
int16_t g_outside_right = 0;
void note_outside_bindings() {
  g_outside_left = g_button_bindings.current[BUTTON_LEFT_BIT];
  g_outside_right = g_button_bindings.current[BUTTON_RIGHT_BIT];
}

TEST_F(PageTest, LeavingTheAreaToTheRightBindsMenuNavigationAndComingBackRestores) {
  // The side panel's narrow paint box: the area ends at 600 pixels.
  g_view.narrow_box = true;
  g_view.area_width = 600;
  g_view.box_width = 600;
  set_view(50.0f, 0.0f, 10.0f);
  g_hover.pick_mode = PICK_MODE_OFF;
  rest_at(300, 300);
  drain();
  // Each step waits until the reader waits: moves are not merged.
  start_typist();
  typist_move(650, 300);
  g_typist.steps.push_back(note_outside_bindings);  // while the reader waits outside
  typist_move(300, 310);
  EXPECT_EQ(next_editor_event_hover(), EVENT_POINTER_MOVE);
  pump_set_idle_handler(nullptr);
  EXPECT_EQ(g_outside_left, COMMAND_SELECT_THIS);
  EXPECT_EQ(g_outside_right, COMMAND_MENU_NAVIGATION);
  EXPECT_EQ(g_button_bindings.current[BUTTON_LEFT_BIT], COMMAND_SELECT_TOOL);
  EXPECT_EQ(g_button_bindings.current[BUTTON_RIGHT_BIT], COMMAND_DRAWING_RIGHT);
  EXPECT_EQ(g_button_bindings.depth, 0);
}

TEST_F(PageTest, BindingsNestNineDeepAndPopIntoTheRecordCurrentNow) {
  int16_t lefts[10];
  for (int i = 0; i < 10; ++i) {
    lefts[i] = g_button_bindings.current[BUTTON_LEFT_BIT];
    button_commands_set(static_cast<int16_t>(801 + i), 806, 850);
  }
  EXPECT_EQ(g_button_bindings.depth, BUTTON_STACK_DEPTH);
  for (int i = 8; i >= 0; --i) {
    button_commands_pop();
    EXPECT_EQ(g_button_bindings.current[BUTTON_LEFT_BIT], lefts[i]);
  }
  button_commands_pop();  // the tenth pop finds nothing saved
  EXPECT_EQ(g_button_bindings.current[BUTTON_LEFT_BIT], lefts[0]);
  // A pop restores into the node-editor record when that is current at the pop.
  button_commands_set(991, 997, 997);
  use_button_record(g_button_bindings.node_editor);
  button_commands_pop();
  EXPECT_EQ(g_button_bindings.node_editor[BUTTON_LEFT_BIT], COMMAND_SELECT_TOOL);
  EXPECT_EQ(g_button_bindings.name_base, COMMAND_PAGE_BASE);
  // Stored records naming no command are refused.
  const int16_t bad[BUTTON_BINDING_COUNT] = {0, 750, 4000, 0, 759, 0, 0, 0};
  const int16_t good[BUTTON_BINDING_COUNT] = {0, 755, 766, 32767, 895, 32767, 32767, 32767};
  EXPECT_FALSE(button_record_valid(bad));
  EXPECT_TRUE(button_record_valid(good));
}

}  // namespace
