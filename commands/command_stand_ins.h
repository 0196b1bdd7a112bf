// The drawing commands under their own names, as the Drawing page starts them. Those this
// version does not have yet show the one notice, change nothing and end an edit session that
// was opened for them.
#pragma once

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// ---- fillet, offset, fuse ----
// Stand-in: shows the notice; 0.
int fillet_command();
// Stand-in: shows the notice; 0.
int offset_command();
// Stand-in: shows the notice; 0, no geometry fault.
int fuse_loops();

