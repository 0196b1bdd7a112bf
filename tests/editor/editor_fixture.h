// A headless Drawing page: the screen of ScreenFixture with the drawing area laid out over the
// full width, every editor record reset, an empty drawing list, and helpers that append items.
#pragma once

#include <cmath>
#include <vector>

#include "../screen/screen_fixture.h"
#include "tests/editor/test_view_setting.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/draw_style.h"
#include "editor/drawing_page_state.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/page_strip.h"
#include "editor/render.h"
#include "editor/rubber_box.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/drawing_item.h"
#include "geometry/geometry_settings.h"
#include "geometry/layers.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "store/line_list.h"

class EditorFixture : public ScreenFixture {
 public:
  // The view: `scale` pixels per unit with world (left, top) at the area's top-left pixel.
  static void set_view(float scale, float left, float top) { set_test_view(scale, left, top); }

 protected:
  void SetUp() override {
    ScreenFixture::SetUp();
    reset_list_store();
    reset_layers();
    reset_canvas_cursor();
    reset_drawing_page_state();
    reset_page_furniture();
    reset_page_strip();
    reset_draw_style();
    reset_button_bindings();
    reset_view_state();
    reset_hover_state();
    reset_rubber_box();
    reset_job_settings();
    g_geometry_settings = GeometrySettings{};
    g_preferences = Preferences{};
    g_preferences.pointer_crosshair = 0;
    g_preferences.drawing.no_flicker = 0;
    layout_page_tab_strip();
    g_tab_strip.active = PAGE_DRAWING;
    layout_paint_boxes();
  }

  void TearDown() override {
    free_current_list();
    reset_list_store();
    reset_view_state();
    ScreenFixture::TearDown();
  }

  // An item of `links` links on a layer, appended to the drawing list and selected.
  static DrawingItem* add_item(uint8_t type, int links, uint8_t layer = 0) {
    EXPECT_EQ(new_geometry_block("", nullptr, links, layer, GEOMETRY_KIND_DRAWING_AID), 0);
    DrawingItem* item = g_lists.current.last;
    item->kind = type;
    item->state = ITEM_FLAG_SELECTED;
    return item;
  }

  // A polyline through the points (open), with its link boxes.
  static DrawingItem* add_polyline(const std::vector<PointF>& points, uint8_t layer = 0) {
    DrawingItem* item = add_item(ITEM_POLYLINE, static_cast<int>(points.size()) - 1, layer);
    LinkRecord* r = item_nodes(item);
    for (size_t i = 0; i < points.size(); ++i) {
      r[i].point = points[i];
      r[i].code = LINK_FLEXIBLE_LINE;
    }
    r[0].node_flags = NODE_FIRST;
    r[points.size() - 1].node_flags = NODE_CLOSING;
    item_bounding_boxes(item);
    return item;
  }

  // A full circle about c.
  static DrawingItem* add_circle(PointF c, float radius, uint8_t layer = 0) {
    DrawingItem* item = add_item(ITEM_CIRCLE, 1, layer);
    LinkRecord* r = item_nodes(item);
    r[0].point = {c.x + radius, c.y};
    r[1].point = r[0].point;
    r[0].centre = c;
    r[0].code = radius;
    r[0].sweep = static_cast<float>(ANGLE_TWO_PI);
    r[0].start_angle = 0.0f;
    r[0].node_flags = NODE_FIRST;
    r[1].node_flags = NODE_CLOSING;
    item_bounding_boxes(item);
    return item;
  }

  // An arc about c from angle a0 sweeping `sweep` counter-clockwise (drawn clockwise when set).
  static DrawingItem* add_arc(PointF c, float radius, float a0, float sweep, bool clockwise) {
    DrawingItem* item = add_item(ITEM_POLYLINE, 1);
    LinkRecord* r = item_nodes(item);
    const PointF start = {c.x + radius * std::cos(a0), c.y + radius * std::sin(a0)};
    const PointF end = {c.x + radius * std::cos(a0 + sweep), c.y + radius * std::sin(a0 + sweep)};
    r[0].point = clockwise ? end : start;
    r[1].point = clockwise ? start : end;
    r[0].centre = c;
    r[0].code = radius;
    r[0].sweep = sweep;
    r[0].start_angle = a0;
    r[0].link_flags = clockwise ? LINK_CLOCKWISE : 0;
    r[0].node_flags = NODE_FIRST;
    r[1].node_flags = NODE_CLOSING;
    item_bounding_boxes(item);
    return item;
  }

  // Pixels of the drawing area that are not white, in client coordinates.
  static std::vector<std::pair<int, int>> drawn_pixels() {
    std::vector<std::pair<int, int>> out;
    const ViewState& v = g_view;
    for (int y = v.area_top; y < v.area_top + v.box_height; ++y)
      for (int x = 0; x < v.box_width; ++x)
        if (pixel(x, y) != 0xFFFFFF) out.emplace_back(x, y);
    return out;
  }

  static void clear_area() { fill_rect(0, 0, 4000, 4000, 0xFFFFFF); }
};
