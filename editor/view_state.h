// The drawing editor's view: scale, view window and the extents of what is shown.
#pragma once

#include <cstdint>

#include "geometry/float2d.h"

// Stand-in: the stored extents, the drawing area's top and right limits, the scale and view corner, and the redraw request; no paint boxes yet.
// The area's bottom limit is the screen's (DisplayState::drawing_area_bottom), which the page
// tab strip's layout sets.
struct ViewState {
  int area_top = 0;    // screen pixels: the drawing area's top row
  int area_right = 0;  // and its right-most column; it starts at the left edge
  PointF items_min = {0.0f, 0.0f};    // extents of the shown items
  PointF items_max = {0.0f, 0.0f};
  PointF extents_min = {0.0f, 0.0f};  // extents of everything shown (items, template, material, image)
  PointF extents_max = {0.0f, 0.0f};
  float scale = 1.0f;      // pixels per drawing unit, one scale for x and y
  float view_left = 0.0f;  // world x of the view's left edge: screen x = (x - left) * scale
  float view_top = 0.0f;   // world y of the view's top edge: screen y = (top - y) * scale
  uint8_t redraw_request = 0;  // counted up to make the editor redraw the drawing on its next pass
};
inline ViewState g_view;

// Test hooks
inline void reset_view_state() { g_view = ViewState{}; }
