// The two ends of a polyline: reversing its direction, and closing it when its ends touch.
// The machining order, the tool-path preparation and the drawing commands call them.
#pragma once

#include "geometry/drawing_item.h"

// The polyline's direction turned round, in place: every node keeps its own flags, marks,
// number and Z, every link its own data, and an arc its other sense. A circle item is left as
// it is; a symmetric polyline becomes its mirror image about its symmetry line (its leading
// links), which runs the shape the other way. 0 done; -1 without a block or without memory for
// the mirror's copy.
int reverse_polyline(DrawingItem* item);
// A polyline of two or more links that is not closed and whose end lies within the preferences'
// gap tolerance of its first node (the third for a symmetric polyline) has its end put exactly
// there and is marked closed. 1 when it closed the polyline, else 0 (two spline links are
// snapped together but stay open).
int close_if_touching(DrawingItem* item);
// Which ends of two items touch (lie within the preferences' gap tolerance), tried in this
// order; the first pair that touches is the answer.
constexpr int TOUCH_NONE = 0;
constexpr int TOUCH_END_START = 1;    // a's end at b's start
constexpr int TOUCH_END_END = 2;      // a's end at b's end
constexpr int TOUCH_START_START = 3;  // a's start at b's start
constexpr int TOUCH_START_END = 4;    // a's start at b's end
int touching_ends(const DrawingItem* a, const DrawingItem* b);
