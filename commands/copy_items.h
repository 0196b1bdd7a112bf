// COPY: copies of the chosen items placed by a start point and a destination, the originals
// left where they were; the copies are one undo step.
#pragma once

#include "geometry/float2d.h"

// The COPY command over the selection: 0 placed or nothing to copy, 27 cancelled.
int copy_items_command();
// Places the open session's working copies from start; their originals stand at the front of
// the drawing. 0 placed, 27 cancelled.
int copy_to_destination(PointF start);
