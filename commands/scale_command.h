// SCALE of the working set the dispatcher opened: about 1 % a pixel of horizontal pointer motion,
// or by a typed factor; with Ctrl held each item scales about its own middle.
#pragma once

#include "geometry/float2d.h"

// The message of a typed factor that would collapse or turn the items inside out.
constexpr char SCALE_FACTOR_REFUSED_TEXT[] =
    "The scale factor must be above 0.\nNothing was changed.";

// scale_item on every working-set item about the pivot, or with Ctrl held about the middle of
// each item's own extents; the link boxes follow.
void scale_working_set(float factor, PointF pivot);
// The factor of a horizontal pointer motion of m pixels: 1 + m / 100 to the right, its inverse
// to the left, so that a motion and its way back cancel.
double scale_factor_of_motion(double pixels);
// Interactive SCALE: 0 committed, 27 cancelled. mode is not used (the callers pass 0).
int scale_command(PointF pivot, int mode);
