// The staircase build, which runs after every accepted edit of the designer: kind 1 with 17 and
// 799 treads and kind 4 type 0 (goals under 2, 200 and 2 ms a build), the best of several runs.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "geometry/geometry_host.h"
#include "print/stairs_build.h"
#include "print/stairs_params.h"
#include "store/line_list.h"

namespace {

using Clock = std::chrono::steady_clock;

StairsParams design(int32_t kind_word, int32_t type, double total, int32_t n) {
  StairsParams p;
  set_builtin_stairs_defaults(kind_word, &p);
  p.kind4_type = type;
  p.total_rise = static_cast<float>(total);
  p.tread_count = n;
  p.rise = static_cast<float>(total / (n + 1));
  p.run = static_cast<float>(p.rise / std::tan(static_cast<double>(p.pitch_angle)));
  return p;
}

bool time_build(const char* label, const StairsParams& p, int runs, double goal_ms) {
  double best = 1e300;
  int items = 0;
  for (int i = 0; i < runs; ++i) {
    g_stairs.params = p;
    const Clock::time_point start = Clock::now();
    stairs_build_drawing();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    items = count_current_lines();
    if (!g_stairs.complete) {
      std::printf("%s: the design is not whole\n", label);
      return false;
    }
  }
  std::printf("%-28s %6d items  %9.3f ms  (goal %g ms)%s\n", label, items, best, goal_ms,
              best < goal_ms ? "" : "  SLOW");
  return best < goal_ms;
}

}  // namespace

int main() {
  g_geometry_host.copy_item_cam = copy_item_cam;
  g_geometry_host.apply_new_item_defaults = apply_new_item_defaults;
  const int32_t mm = STAIRS_METRIC;
  bool fast = time_build("kind 1, 17 treads", design(STAIRS_KIND_HOUSED | mm, 0, 2800, 17), 50, 2);
  fast &= time_build("kind 1, 799 treads", design(STAIRS_KIND_HOUSED | mm, 0, 128000, 799), 5, 200);
  fast &= time_build("kind 4 type 0, 8 treads", design(STAIRS_KIND_SPECIAL | mm, 0, 1400, 8), 50, 2);
  free_current_list();
  return fast ? 0 : 1;
}
