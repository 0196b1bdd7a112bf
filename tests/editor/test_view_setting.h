// Setting the Drawing page's view directly in tests.
#pragma once

#include "editor/view_state.h"

// `scale` pixels per unit with world (left, top) at the drawing area's top-left pixel; the
// window's other edges and the pick tolerance follow.
inline void set_test_view(float scale, float left, float top) {
  ViewState& v = g_view;
  v.scale_x = v.scale_y = scale;
  v.view_left = left;
  v.view_top = top;
  v.view_right = left + v.area_width / scale;
  v.view_bottom = top - (v.area_bottom - v.area_top) / scale;
  v.pick_tolerance = 8.0f / scale;
}
