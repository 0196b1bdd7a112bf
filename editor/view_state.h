// The drawing editor's view: scale, view window and the extents of what is shown.
#pragma once

#include <cstdint>

#include "geometry/float2d.h"

// Stand-in: only the stored extents and the redraw request that the drawing model reads and moves; no scale, window or paint boxes yet.
struct ViewState {
  PointF items_min = {0.0f, 0.0f};    // extents of the shown items
  PointF items_max = {0.0f, 0.0f};
  PointF extents_min = {0.0f, 0.0f};  // extents of everything shown (items, template, material, image)
  PointF extents_max = {0.0f, 0.0f};
};
inline ViewState g_view;
// Counted up to make the editor redraw the drawing on its next pass.
inline uint8_t redraw_request = 0;
