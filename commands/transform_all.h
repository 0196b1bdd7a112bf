// Transforms of the whole drawing that work directly on the drawing list, without an edit
// session: turning every item about the transform centre.
#pragma once

#include "geometry/float2d.h"

// The point the whole-drawing transforms turn, scale and mirror about.
struct TransformAllState {
  PointF transform_centre = {0.0f, 0.0f};  // drawing units
};
inline TransformAllState g_transform_all;

// Turns the items of the current list about the transform centre by the angle (radians); all
// 0 takes the selected items, otherwise every item of a non-zero type. Marks the job changed
// and its NC program out of date.
// Stand-in: text items turn as geometry; their layout is not yet taken from the turned frame.
void rotate_all_items(float angle, int all);

// Test hooks
inline void reset_transform_all() { g_transform_all = TransformAllState{}; }
