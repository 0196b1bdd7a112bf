// The double-precision arc record of the DXF writer and the post processor: the fields of a
// link record and of the following record's node part, widened to f64.
#pragma once

#include "geometry/float2d.h"

// Stand-in: holds only the fields the arc-centre fit reads and writes; the writers' full layout comes with the NC output.
struct DoubleArcRecord {
  PointD point;       // start point (the node)
  PointD centre;      // arc centre
  double radius;      // the link code: the arc's radius
  PointD next_point;  // end point (the next record's node)
};
