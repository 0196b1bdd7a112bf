// ROTATE of the working set the dispatcher opened: by the pointer about a pivot, by a typed
// angle, with an angle snap (F9) and a drag mode that moves the items and the pivot instead.
#pragma once

#include <cstdint>

#include "geometry/float2d.h"

// Rotate state, kept for the whole run of the program.
constexpr uint8_t ROTATE_SNAP_ON = 0x01;
constexpr uint8_t ROTATE_RUNNING = 0x02;

struct RotateState {
  uint8_t state = 0;          // ROTATE_* bits
  float increment = 15.0f;    // the snap step in degrees; 0 is used as 1
};
extern RotateState g_rotate;

// rotate_item on every working-set item.
void rotate_working_set(PointF pivot, double angle);
// The snap box beside the drawing.
void show_rotate_snap_state();
// The snapped angle of the pointer about the pivot, in [0, 2pi).
double rotate_step_angle(PointF pivot, PointF target);
// Interactive ROTATE: 0 committed, 27 cancelled.
int rotate_command(PointF pivot);

// Test hooks
void reset_rotate_state();
