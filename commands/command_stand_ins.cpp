#include "commands/command_stand_ins.h"

#include "editor/drawing_commands.h"
#include "editor/edit_session.h"

namespace {

// A command that is not in this version: a session opened for it is cancelled, so no working
// copy is left behind, and the user is told.
int missing(int result) {
  if (edit_session_open()) edit_cancel();
  show_missing_command_notice();
  return result;
}


}  // namespace


int fillet_command() { return missing(0); }
int offset_command() { return missing(0); }
int fuse_loops() { return missing(0); }

int scale_all_items(float /*factor*/, PointF /*centre*/) { return missing(0); }
int mirror_all_items(PointF /*centre*/, float /*angle_rad*/, int /*mode*/) { return missing(0); }
int display_options_dialog() { return missing(0); }
int run_origin_dialog(PointF* /*point*/) { return missing(0); }
int run_rotate_all_dialog(float* /*angle_deg*/, int* /*include_inactive*/) { return missing(0); }
int run_mirror_all_dialog(PointF* /*centre*/, float* /*angle_deg*/, int* /*mode*/) {
  return missing(0);
}
