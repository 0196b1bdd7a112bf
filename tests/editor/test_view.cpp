// The view and its mapping: fitting, extents, the zoom limits, the view keys, the drag pan and
// the drag zoom, on the headless screen.
#include <cfloat>
#include <cmath>

#include "editor_fixture.h"
#include "geometry/point_arrays.h"

namespace {

class ViewTest : public EditorFixture {};

TEST_F(ViewTest, WorldToScreenRoundsHalvesAwayFromZeroAndNeverWraps) {
  set_view(1.0f, 0.0f, 0.0f);
  const struct {
    float scale;
    PointF p;
    int x, y;
  } cases[] = {
      {1.0f, {0.5f, -0.5f}, 1, 1},
      {1.0f, {-0.5f, 0.5f}, -1, -1},
      {1.0f, {0.49f, 0.0f}, 0, 0},
      {10.0f, {-0.05f, 0.0f}, -1, 0},
      // Far off at the deepest zoom: clamped to the end of the range, never a wrapped sign.
      {5000000.0f, {1000.0f, -1000.0f}, 1000000000, 1000000000},
      {5000000.0f, {-1000.0f, 1000.0f}, -1000000000, -1000000000},
  };
  for (const auto& c : cases) {
    set_view(c.scale, 0.0f, 0.0f);
    int x = 0, y = 0;
    world_to_screen(c.p, &x, &y);
    EXPECT_EQ(x, c.x) << c.p.x << " at " << c.scale;
    EXPECT_EQ(y, c.y) << c.p.y << " at " << c.scale;
  }
}

TEST_F(ViewTest, FitScaleKeepsTheAreasAspectAndFallsBackForAnEmptyWindow) {
  ViewState& v = g_view;
  const float width = v.area_width;
  const float height = static_cast<float>(v.area_bottom - v.area_top);
  const struct {
    float left, bottom, right, top;
    float scale;
  } cases[] = {
      {0, 0, 10, 10, std::min(width, height) / 10.0f},
      {0, 0, 0, 5, height / 5.0f},    // no width: the height alone
      {0, 0, 4, 0, width / 4.0f},     // no height: the width alone
      {0, 0, 0, 0, 3.0f},             // neither
      {5, 5, 1, 1, 3.0f},             // a window turned inside out
  };
  for (const auto& c : cases) {
    v.view_left = c.left;
    v.view_bottom = c.bottom;
    v.view_right = c.right;
    v.view_top = c.top;
    fit_scale();
    EXPECT_FLOAT_EQ(v.scale_x, c.scale) << c.right << "x" << c.top;
    EXPECT_EQ(v.scale_x, v.scale_y);
    EXPECT_NEAR((v.view_right - v.view_left) * v.scale_x, width, 0.01);
    EXPECT_NEAR((v.view_top - v.view_bottom) * v.scale_x, height, 0.01);
    EXPECT_FLOAT_EQ(v.pick_tolerance, pick_pixels() / v.scale_x);
  }
}

TEST_F(ViewTest, AnEmptyDrawingGetsAHundredPixelsPerUnitAboutTheOrigin) {
  g_job_settings.view_fitted = VIEW_KEPT;
  compute_extents();
  const ViewState& v = g_view;
  EXPECT_EQ(v.scale_x, 100.0f);
  EXPECT_EQ(g_job_settings.view_fitted, VIEW_FITTED);
  int x = 0, y = 0;
  world_to_screen({0.0f, 0.0f}, &x, &y);
  EXPECT_NEAR(x, v.area_width / 2, 1);
  EXPECT_NEAR(y, (v.area_bottom - v.area_top) / 2, 1);
}

TEST_F(ViewTest, ExtentsCountShownItemsAndACircularArrayByItsRadius) {
  add_polyline({{1, 2}, {3, 5}});
  // A hidden layer and an inactive item are not counted.
  add_polyline({{-50, -50}, {60, 60}}, 7);
  g_layers.visibility[7] = 0;
  DrawingItem* inactive = add_polyline({{100, 100}, {101, 101}});
  inactive->state = 0;
  // A circular array of copies at radius 2 about (10, 10): the square of the radius counts,
  // wherever its copies lie.
  DrawingItem* point = add_item(ITEM_POINT, 1);
  LinkRecord* r = item_nodes(point);
  r[0].point = {10, 10};
  r[0].code = LINK_POINT - 0.1f;
  r[0].z = 2.0f;
  r[0].node_flags = NODE_FIRST;
  r[1].node_flags = NODE_CLOSING;
  r[1].point = r[0].point;
  set_point_array(&r[1], 3, 0, POINT_ARRAY_CIRCLE);
  item_bounding_boxes(point);
  compute_extents();
  const ViewState& v = g_view;
  EXPECT_FLOAT_EQ(v.extent_min_x, 1.0f);
  EXPECT_FLOAT_EQ(v.extent_min_y, 2.0f);
  EXPECT_FLOAT_EQ(v.extent_max_x, 12.0f);
  EXPECT_FLOAT_EQ(v.extent_max_y, 12.0f);
  EXPECT_FLOAT_EQ(v.item_extent_max.x, 12.0f);
}

TEST_F(ViewTest, ZoomLimits) {
  ViewState& v = g_view;
  // In at 4,000,000 by 2 stops at 5,000,000.
  set_view(4000000.0f, 0.0f, 0.0f);
  zoom_by(2.0f);
  EXPECT_NEAR(v.scale_x, 5000000.0f, 5.0f);
  EXPECT_EQ(g_job_settings.view_fitted, VIEW_KEPT);
  // Out below 0.0004 is refused: the view is refitted and not zoomed out.
  set_view(0.0003f, 0.0f, 0.0f);
  const float before = v.view_right - v.view_left;
  zoom_by(0.5f);
  EXPECT_NEAR(v.view_right - v.view_left, before, before * 1e-5);
  // A zoom window 1e-12 wide: the factor is taken at 2e9 pixels per unit, the zoom stops at 5e6.
  set_view(100.0f, 0.0f, 10.0f);
  v.zoom_corner_1 = {0.0f, 0.0f};
  v.zoom_corner_2 = {1e-12f, 1e-12f};
  EXPECT_EQ(zoom_window(), 0);
  // The view window is single precision: at this depth its edges are good to a part in 1000.
  EXPECT_NEAR(v.scale_x, 5000000.0f, 5000.0f);
  EXPECT_TRUE(std::isfinite(v.view_left) && std::isfinite(v.view_top));
}

TEST_F(ViewTest, ViewKeysMoveByAFifthAndZoomAndPassEveryOtherCode) {
  ViewState& v = g_view;
  struct Case {
    EventCode code;
    float dx, dy;   // of the view's centre, in view widths and heights
    float zoom;     // scale after / before
  };
  const Case cases[] = {
      {KEY_UP, 0, 0.2f, 1}, {KEY_DOWN, 0, -0.2f, 1}, {KEY_LEFT, -0.2f, 0, 1},
      {KEY_RIGHT, 0.2f, 0, 1}, {KEY_PGUP, 0, 0, 1.25f}, {KEY_PGDN, 0, 0, 0.75f},
  };
  for (const Case& c : cases) {
    set_view(50.0f, 0.0f, 10.0f);
    const float w = v.view_right - v.view_left;
    const float h = v.view_top - v.view_bottom;
    const float cx = (v.view_left + v.view_right) / 2;
    const float cy = (v.view_top + v.view_bottom) / 2;
    EXPECT_EQ(view_keys(c.code), 0) << c.code;
    EXPECT_NEAR((v.view_left + v.view_right) / 2 - cx, c.dx * w, 1e-3) << c.code;
    EXPECT_NEAR((v.view_top + v.view_bottom) / 2 - cy, c.dy * h, 1e-3) << c.code;
    EXPECT_NEAR(v.scale_x / 50.0f, c.zoom, 1e-4) << c.code;
  }
  for (EventCode code : {EventCode{'a'}, EventCode{13}, EventCode{KEY_HOME}, EventCode{600},
                         EventCode{EVENT_TICK}}) {
    set_view(50.0f, 0.0f, 10.0f);
    EXPECT_EQ(view_keys(code), code);
    EXPECT_EQ(v.view_left, 0.0f);
    EXPECT_EQ(v.scale_x, 50.0f);
  }
  // z fits the extents at 85 %.
  add_polyline({{0, 0}, {10, 10}});
  compute_extents();
  EXPECT_EQ(view_keys('z'), 0);
  EXPECT_EQ(g_job_settings.view_fitted, VIEW_FITTED);
  EXPECT_NEAR(std::min(v.view_right - v.view_left, v.view_top - v.view_bottom) * 0.85, 10.0, 0.01);
}

TEST_F(ViewTest, DragPanWaitsForTenPixelsOfMotionAndMovesTheViewWithIt) {
  ViewState& v = g_view;
  set_view(10.0f, 0.0f, 50.0f);
  capture_at(300, 300);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, 300, 300);
  pump_messages();
  drain();
  g_pointer.button_bits = WINDOW_BUTTON_LEFT;
  // 4 pixels (a sum of 8) is not a step; one more pixel makes 10 and pans by 10 / scale.
  headless_inject_mouse_move(304, 300);
  headless_inject_mouse_move(305, 300);
  headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, 305, 300);
  pan_by_drag();
  EXPECT_FLOAT_EQ(v.view_left, 1.0f);
  EXPECT_FLOAT_EQ(v.view_top, 50.0f);
  EXPECT_EQ(g_pointer.relative_mode, POINTER_RELATIVE_OFF);
}

TEST_F(ViewTest, DragZoomCountsStepsOfFourPixelsAndRefusesTwoButtons) {
  capture_at(300, 300);
  g_pointer.button_bits = WINDOW_BUTTON_LEFT | WINDOW_BUTTON_RIGHT;
  EXPECT_EQ(drag_zoom_steps(0), 0);
  g_pointer.button_bits = WINDOW_BUTTON_LEFT;
  headless_inject_mouse_move(294, 300);  // six pixels left: one step
  EXPECT_EQ(drag_zoom_steps(0), 1);
  g_pointer.button_bits = WINDOW_BUTTON_LEFT;
  headless_inject_mouse_move(294, 306);  // six down: one step the other way
  EXPECT_EQ(drag_zoom_steps(1), -1);
}

}  // namespace
