// The X, Y extents of an NC run: the box of the selected items that the make-NC driver works
// out for relative output, or the box the proof file's moves grow. The run keeps them in its
// own record, apart from any view; the program reads them from here after the run.
#pragma once

#include "geometry/float2d.h"

struct NcExtents {
  PointF min = {0.0f, 0.0f};
  PointF max = {0.0f, 0.0f};
};
inline NcExtents g_nc_extents;

inline void reset_nc_extents() { g_nc_extents = NcExtents{}; }
