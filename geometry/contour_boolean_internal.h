// Helpers the parts of the boolean engine share; not for callers outside geometry/.
#pragma once

#include <cstdint>

#include "geometry/contour_boolean.h"

// Index 0 for A, 1 for B.
inline int32_t boolean_slot(int32_t contour) { return contour == BOOLEAN_CONTOUR_A ? 0 : 1; }
inline int32_t boolean_other(int32_t contour) {
  return contour == BOOLEAN_CONTOUR_A ? BOOLEAN_CONTOUR_B : BOOLEAN_CONTOUR_A;
}

// Number of segments of a contour of the current combination.
inline int32_t boolean_segment_count(int32_t contour) {
  const int32_t s = boolean_slot(contour);
  return g_contour_boolean.last[s] - g_contour_boolean.first[s] + 1;
}

// Brings a position into its contour's range first .. last + 1 (exclusive).
double wrap_boolean_position(double position, int32_t contour);

// Segment index (wrapped into the contour's range) of a whole index.
int32_t wrap_boolean_index(int32_t index, int32_t contour);

// The point at a position of the current combination's work arrays.
void boolean_point_at(double position, double* out_x, double* out_y);

// Direction of travel of `contour` at `position`, taken on `segment` (the position may lie at
// either end of it): a line's start-to-end vector, an arc's tangent; the whole reversed when
// the contour is walked backwards.
void boolean_travel_direction(int32_t contour, int32_t segment, double position, double* out_dx,
                              double* out_dy);

// Walks one loop from seed `seed`; false when it did not close within the number of points a
// loop through every crossing can need.
bool walk_boolean_loop(int32_t seed);

// Marks every seed that lies on the loop just walked.
void mark_seeds_on_loop();

// Makes corners and edges of A and B that lie within the tolerance of each other coincide,
// in copies that become the work arrays; sets the tolerance. False when a contour is left
// enclosing nothing.
bool snap_boolean_contours();

// True when the result loops in `out` bound the region the mode asks for: beside the middle of
// every stretch of A and B between crossings, at points clear of both contours, the loops wind
// once round the points that belong to the result and not at all round the others. A loop that
// runs round twice, a missing or surplus loop or a stretch on the wrong side fails.
bool boolean_result_holds(const ContourNetwork& out);
