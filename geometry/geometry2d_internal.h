// Helpers shared by the files of the 2-D geometry library; not for other subsystems.
#pragma once

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// Widens a float point.
inline PointD to_point_d(const PointF& p) { return PointD{p.x, p.y}; }
inline PointF to_point_f(double x, double y) {
  return PointF{static_cast<float>(x), static_cast<float>(y)};
}

// Intersection of the full circles (c1, r1) and (c2, r2): 0, 1, 2 or INTERSECT_CONCENTRIC;
// the points go to the shared intersection result.
int intersect_circle_pair(const PointF* c1, double r1, const PointF* c2, double r2);
