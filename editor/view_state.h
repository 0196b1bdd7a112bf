// The drawing editor's view: scale, view window and the extents of what is shown.
#pragma once

#include <cstdint>

#include "geometry/float2d.h"

// Stand-in: only the stored extents, the scale and view corner, and the redraw request that the drawing model reads and moves; no window limits or paint boxes yet.
struct ViewState {
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
