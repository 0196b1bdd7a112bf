// Where two contour segments cross: the segment intersection of the tool-path engine, also
// used by the contour networks and the inside test. Crossings count only strictly inside
// both segments, so segments that merely touch at their ends do not cross.
#pragma once

#include <cstdint>

#include "geometry/contour_kernel.h"

// Up to two crossings: fractions along each segment (0 at its start, 1 at its end; by
// bearing on arcs) and the points.
struct PathCrossings {
  double on_a[2];  // fraction along segment a of the first and second crossing
  double on_b[2];  // fraction along segment b
  double x[2];     // the crossing points, job units
  double y[2];
};

// Crossings of two line or arc segments, 0 to 2; both fractions of a crossing lie strictly
// between 1e-12 and 0.999999999999. Both segments must have their bounding circles: segments
// whose circles are apart give 0 at once. Two arcs that follow each other (a's end node is
// b's start node, or the other way) do not cross within 1e-6 of that shared node. Writes
// only the entries of `out` it reports.
int32_t intersect_path_links(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                             PathCrossings* out);
