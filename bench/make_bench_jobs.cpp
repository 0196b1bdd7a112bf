// make_bench_jobs FOLDER: writes the bench jobs with the program's own job writer:
// sign-790mm.job ("MAPLE RIDGE" over "WOODWORKS 1887", 70 mm em, every outline a spiral pocket
// of one group, 1 mm end mill at 40 %, one 1 mm pass) and plate-300x200.job (a 300 x 200 mm
// plate with R10 corners pocketed round four lines of 25 mm em letters: 3 mm roughing at 40 %
// with 5-degree ramps, 1 mm finishing, allowance 0.2, 3 mm deep in 1 mm steps; in a second
// group the plate's outside contour with a 6 mm tool). The letters come from DejaVu Serif Bold.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_outlines.h"
#include "cam/machining_block.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "job/job_file.h"
#include "records/job_settings.h"
#include "store/line_list.h"

namespace {

CamToolBlock end_mill(float diameter, int16_t tool, float depth, float step_down) {
  CamToolBlock t;
  t.size = diameter;
  t.cut_width = diameter;
  t.feed = 1000.0f;
  t.rpm = 18000;
  t.plunge_percent = 30;
  t.tool_number = tool;
  t.stepover_percent = 40;
  t.ramp_angle = 90;
  t.cut_depth = depth;
  t.step_down = step_down;
  return t;
}

CamParams sign_params() {
  CamParams p;
  p.operation = CAM_OP_SPIRAL_POCKET;
  p.machining_group = 1;
  p.rapid_height = 5.0f;
  p.finishing = end_mill(1.0f, 1, 1.0f, 1.0f);
  return p;
}

CamParams plate_params(uint8_t operation) {
  CamParams p;
  p.operation = operation;
  p.machining_group = 1;
  p.rapid_height = 5.0f;
  p.finish_allowance = 0.2f;
  p.finishing = end_mill(1.0f, 2, 3.0f, 1.0f);
  p.roughing = end_mill(3.0f, 3, 3.0f, 1.0f);
  p.roughing.ramp_angle = 5;
  return p;
}

CamParams outside_params() {
  CamParams p;
  p.operation = CAM_OP_CONTOUR_OUTSIDE;
  p.machining_group = 2;
  p.rapid_height = 5.0f;
  p.finishing = end_mill(6.0f, 4, 3.0f, 1.0f);
  return p;
}

// A closed polyline item through the loop's corners (its last record closes it).
bool add_item(const BenchLoop& loop, const CamParams& params) {
  const int n = static_cast<int>(loop.corners.size());
  if (new_geometry_block("", nullptr, n, 0, GEOMETRY_KIND_MACHINABLE) != 0) return false;
  DrawingItem* item = g_lists.current.last;
  item->kind = ITEM_POLYLINE;
  item->state = ITEM_FLAG_SELECTED;  // made into NC like every selected item
  LinkRecord* r = item_nodes(item);
  for (int k = 0; k <= n; ++k) {
    const BenchCorner& c = loop.corners[k % n];
    r[k].point = PointF{static_cast<float>(c.x), static_cast<float>(c.y)};
    r[k].node_number = static_cast<int16_t>(k + 1);
    if (k == n) break;
    r[k].node_flags = NODE_LOOSE;
    r[k].code = LINK_FLEXIBLE_LINE;
    if (c.arc) {
      r[k].code = static_cast<float>(std::hypot(c.x - c.cx, c.y - c.cy));
      r[k].centre = PointF{static_cast<float>(c.cx), static_cast<float>(c.cy)};
      r[k].link_flags = c.clockwise ? LINK_CLOCKWISE : 0;
      r[k].point = PointF{static_cast<float>(c.x), static_cast<float>(c.y)};
    }
  }
  for (int k = 0; k < n; ++k) {
    if (code_is_arc(r[k].code)) arc_angles_from_points(&r[k]);
  }
  put_block_cam(item_block(item), params);
  item_bounding_boxes(item);
  return true;
}

CamParams params_of(BenchRole role) {
  switch (role) {
    case BenchRole::SIGN_LETTER:
      return sign_params();
    case BenchRole::PLATE_POCKET:
      return plate_params(CAM_OP_SPIRAL_POCKET);
    case BenchRole::PLATE_LETTER:
      return plate_params(CAM_OP_ISLAND);
    case BenchRole::PLATE_OUTSIDE:
      return outside_params();
  }
  return CamParams{};
}

bool write_job(const BenchShapes& shapes, const std::string& path) {
  if (!shapes.error.empty()) {
    std::fprintf(stderr, "make_bench_jobs: %s\n", shapes.error.c_str());
    return false;
  }
  reset_list_store();
  reset_layers();
  set_factory_job_settings(&g_job_settings, true);
  bool ok = true;
  for (const BenchLoop& loop : shapes.loops) {
    if (!add_item(loop, params_of(loop.role))) {
      std::fprintf(stderr, "make_bench_jobs: no room for an item of %s\n", path.c_str());
      ok = false;
      break;
    }
  }
  if (ok && write_job_to_path(path) != 0) {
    std::fprintf(stderr, "make_bench_jobs: cannot write %s\n", path.c_str());
    ok = false;
  }
  free_current_list();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_bench_jobs FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const bool ok = write_job(sign_shapes(BENCH_FONT_PATH), folder + "/sign-790mm.job") &&
                  write_job(plate_shapes(BENCH_FONT_PATH), folder + "/plate-300x200.job");
  return ok ? 0 : 1;
}
