// The one view of the drawing: how world units map to the pixels of the drawing area, which part
// of the world is visible, the extents of everything that can be shown, and the geometry of the
// drawing area and its paint boxes. The 3-D view, the staircase designer and printing share it.
#pragma once

#include <cstdint>

#include "geometry/float2d.h"
#include "platform/canvas.h"
#include "platform/surface.h"

// The scale a fresh program and an empty drawing show: pixels per world unit.
constexpr float VIEW_START_SCALE = 100.0f;

struct ViewState {
  float scale_x = VIEW_START_SCALE;  // pixels per world unit along x
  float scale_y = VIEW_START_SCALE;  // the same along y; every setter writes both
  // The view window, world units: view_left is pixel column 0 of the drawing area, view_top its
  // first pixel row.
  float view_left = 0.0f;
  float view_bottom = 0.0f;
  float view_right = 0.0f;
  float view_top = 0.0f;
  // Extents of everything shown (items, template, material box, image), as last computed.
  float extent_min_x = 0.0f;
  float extent_min_y = 0.0f;
  float extent_max_x = 0.0f;
  float extent_max_y = 0.0f;
  PointF item_extent_min = {0.0f, 0.0f};  // the drawing items alone
  PointF item_extent_max = {0.0f, 0.0f};
  PointF zoom_corner_1 = {0.0f, 0.0f};    // the zoom window: lower-left corner
  PointF zoom_corner_2 = {0.0f, 0.0f};    // and upper-right corner
  int16_t area_top = 0;     // client pixels: first row of the drawing area
  int16_t area_bottom = 0;  // client pixels: last row of the drawing area
  int16_t area_width = 0;   // pixels: width of the active paint box
  int32_t box_width = 0;    // the active paint box: the clipping rectangle of item drawing
  int32_t box_height = 0;
  int16_t side_panel_column = 0;  // first menu-face column of the side panel; the narrow paint box
                                  // ends there, where the help box begins
  uint8_t drawing_page_active = 0;  // entries into the Drawing page not yet left
  bool narrow_box = false;  // the active paint box is the narrow one
  // Where drawing goes: the screen canvas with the area's top as its origin row, or the back
  // buffer's canvas (origin row 0) while a full redraw runs through it.
  Canvas* canvas = nullptr;
  int origin_y = 0;         // added to every y drawn on `canvas`
  Surface back_buffer;      // "No flicker": the drawing area's off-screen bitmap; empty when off
  Canvas back_canvas;       // aimed at back_buffer
  float pick_tolerance = 0.06f;  // world units: the display mode's pick pixels / scale_x
};
extern ViewState g_view;

// Test hooks
void reset_view_state();
