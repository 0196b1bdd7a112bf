// Helpers the contour kernel, the segment intersection and the networks share; not for
// callers outside geometry/.
#pragma once

#include <cmath>

#include "geometry/contour_kernel.h"

// The point at `bearing` on the circle of `radius` about (cx, cy).
inline void point_at_bearing(double cx, double cy, double radius, double bearing, double* out_x,
                             double* out_y) {
  *out_x = cx + radius * std::sin(bearing);
  *out_y = cy + radius * std::cos(bearing);
}

// Bearings of an arc's start and end seen from its centre.
void arc_end_bearings(const ContourLink& arc, const ContourNode* nodes, double* out_start,
                      double* out_end);

// Makes the walk from start to end run the arc's way: a clockwise arc's end gets 2pi added
// when below the start, a counter-clockwise arc's start when below the end.
void normalise_arc_bearings(int32_t direction, double* start, double* end);

// Brings a bearing into 0..2pi.
double wrap_bearing(double bearing);

// Direction pointing back along the segment at its end node.
void backward_direction_at_end(const ContourLink& segment, const ContourNode* nodes, double* out_dx,
                               double* out_dy);

// Direction of travel of the segment leaving the point (px, py), which is its start.
void forward_direction_from(const ContourLink& segment, const ContourNode* nodes, double px,
                            double py, double* out_dx, double* out_dy);
