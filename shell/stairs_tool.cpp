// brenvik-stairs STAIRS.str JOB.job: a test tool. Reads a staircase file as the designer's Open
// does, builds the design, accepts it as the designer's OK does, and writes the result as a job
// in the block's unit on a flat surface, marker items included, so that brenvik-nc makes the NC
// program the designer would. A refused file or a design that is not whole exits non-zero with
// the reason.
#include <cstdio>
#include <string>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "geometry/geometry_host.h"
#include "geometry/geometry_settings.h"
#include "geometry/layers.h"
#include "job/job_file.h"
#include "print/stairs_accept.h"
#include "print/stairs_build.h"
#include "print/stairs_params.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "store/line_list.h"
#include "store/text_helpers.h"

namespace {

// Messages carry the screen's colour codes; a terminal shows the plain text.
void print_message(const char* text) {
  std::fprintf(stderr, "brenvik-stairs: %s\n", terminal_text(text).c_str());
}

void set_up_job(bool metric) {
  set_factory_job_settings(&g_job_settings, metric);
  g_job_settings.surface_code = JOB_SURFACE_FLAT;
  g_job_settings.surface_flag = 1;
  // The joins of the placing take ends this close as touching: the first-run gap of the unit.
  g_preferences.gap_tolerance = metric ? 0.005f : 0.0002f;
  reset_layers();
  geometry_settings_from_job(g_job_settings);
  // New items (the markers) take the machining defaults of the unit, as after start-up.
  for (int slot = 0; slot < CAM_SLOT_COUNT; ++slot) init_cam_defaults(slot, metric);
  g_geometry_host.copy_item_cam = copy_item_cam;
  g_geometry_host.apply_new_item_defaults = apply_new_item_defaults;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: brenvik-stairs STAIRS.str JOB.job\n");
    return 2;
  }
  g_stairs.show_message = print_message;
  const int kind_word = stairs_load_file(argv[1]);
  if (kind_word < 0) {
    std::fprintf(stderr, "brenvik-stairs: %s was refused\n", argv[1]);
    return 1;
  }
  set_up_job((kind_word & STAIRS_METRIC) != 0);
  stairs_build_drawing();
  if (!g_stairs.complete) {
    std::fprintf(stderr, "brenvik-stairs: the design is not whole: %s\n",
                 g_stairs.incomplete_reason != nullptr ? g_stairs.incomplete_reason : "");
    return 1;
  }
  if (accept_stairs_design() != 0) {
    std::fprintf(stderr, "brenvik-stairs: the design could not be placed on the table\n");
    return 1;
  }
  const int written = write_job_to_path(argv[2]);
  if (written != 0) {
    std::fprintf(stderr, "brenvik-stairs: %s was not written (error %d)\n", argv[2], written);
    return 1;
  }
  std::printf("%d items placed into %s, %d steps shifted\n", count_current_lines(), argv[2],
              g_stairs.shift_count);
  return 0;
}
