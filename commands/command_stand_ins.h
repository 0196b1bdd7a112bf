// The drawing commands under their own names, as the Drawing page starts them. Those this
// version does not have yet show the one notice, change nothing and end an edit session that
// was opened for them.
#pragma once

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// ---- fuse ----
// Stand-in: shows the notice; 0, no geometry fault.
int fuse_loops();

// ---- transforms, paste, display options ----
// Stand-in: shows the notice; 0.
int scale_all_items(float factor, PointF centre);
// Stand-in: shows the notice; 0.
int mirror_all_items(PointF centre, float angle_rad, int mode);
// Stand-in: shows the notice; 0.
int display_options_dialog();
// The point coordinates dialog: 1 with the new X and Y.
// Stand-in: shows the notice; 0, as cancelled.
int run_origin_dialog(PointF* point);
// The rotate-all dialog: 1 with the angle and the choice to include inactive texts.
// Stand-in: shows the notice; 0, as cancelled.
int run_rotate_all_dialog(float* angle_deg, int* include_inactive);
// The mirror-all dialog: 1 with the line's centre and angle and the mode.
// Stand-in: shows the notice; 0, as cancelled.
int run_mirror_all_dialog(PointF* centre, float* angle_deg, int* mode);
