// The tool-path engine's whole run on a pocket (cleaning, rings, linking, records) against an
// outside polygon clipper's pocket in the same process: the clipper insets the pocket by the
// tool radius, then by 40 % of the diameter from the last inset until nothing is left (round
// joins, arc tolerance 0.01 mm, 1 um grid). Cases: (a) a 100 x 60 mm pocket with 20 round
// islands, 3 mm tool; (b) the plate's pocket round its letters, 3 mm tool; (c) the sign's
// letters, 1 mm tool. One line per case: times, ratio, rings, pieces, peak memory.
#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_outlines.h"
#include "cam/toolpath_engine.h"

namespace {

constexpr double STEPOVER = 0.4;
constexpr double CLIP_SCALE = 1000.0;       // 1 um grid
constexpr double ARC_TOLERANCE = 0.01;      // mm
constexpr int REPEATS = 3;

struct Group {
  std::vector<ContourLink> links;
  std::vector<ContourNode> nodes;
  std::vector<int32_t> firsts, lasts;
  ClipperLib::Paths clip;
};

int32_t add_node(Group* g, double x, double y) {
  g->nodes.push_back({x, y});
  return static_cast<int32_t>(g->nodes.size()) - 1;
}

// Points of an arc from (x0, y0) to (x1, y1) about (cx, cy) within the arc tolerance.
void flatten_arc(double x0, double y0, double x1, double y1, double cx, double cy, bool clockwise,
                 ClipperLib::Path* out) {
  const double r = std::hypot(x0 - cx, y0 - cy);
  const double a0 = std::atan2(y0 - cy, x0 - cx);
  double sweep = std::atan2(y1 - cy, x1 - cx) - a0;
  if (!clockwise && sweep <= 0.0) sweep += 2.0 * M_PI;
  if (clockwise && sweep >= 0.0) sweep -= 2.0 * M_PI;
  const double step = 2.0 * std::acos(1.0 - ARC_TOLERANCE / r);
  const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / step)));
  for (int k = 1; k < n; ++k) {
    const double a = a0 + sweep * k / n;
    out->emplace_back(std::llround((cx + r * std::cos(a)) * CLIP_SCALE),
                      std::llround((cy + r * std::sin(a)) * CLIP_SCALE));
  }
}

void add_loop(Group* g, const BenchLoop& loop) {
  const int32_t first = static_cast<int32_t>(g->links.size());
  const int32_t first_node = static_cast<int32_t>(g->nodes.size());
  const int32_t n = static_cast<int32_t>(loop.corners.size());
  for (const BenchCorner& c : loop.corners) add_node(g, c.x, c.y);
  ClipperLib::Path path;
  for (int32_t k = 0; k < n; ++k) {
    const BenchCorner& c = loop.corners[k];
    const BenchCorner& d = loop.corners[(k + 1) % n];
    ContourLink l;
    l.start_node = first_node + k;
    l.end_node = first_node + (k + 1) % n;
    path.emplace_back(std::llround(c.x * CLIP_SCALE), std::llround(c.y * CLIP_SCALE));
    if (c.arc) {
      l.kind = SEGMENT_ARC;
      l.centre_node = add_node(g, c.cx, c.cy);
      l.radius = std::hypot(c.x - c.cx, c.y - c.cy);
      l.direction = c.clockwise ? CONTOUR_CLOCKWISE : CONTOUR_COUNTER_CLOCKWISE;
      flatten_arc(c.x, c.y, d.x, d.y, c.cx, c.cy, c.clockwise, &path);
    }
    g->links.push_back(l);
  }
  g->firsts.push_back(first);
  g->lasts.push_back(first + n - 1);
  g->clip.push_back(path);
}

void add_circle(Group* g, double cx, double cy, double r) {
  ContourLink l;
  l.kind = SEGMENT_CIRCLE;
  l.centre_node = add_node(g, cx, cy);
  l.start_node = l.end_node = l.centre_node;
  l.radius = r;
  g->links.push_back(l);
  g->firsts.push_back(static_cast<int32_t>(g->links.size()) - 1);
  g->lasts.push_back(static_cast<int32_t>(g->links.size()) - 1);
  ClipperLib::Path path;
  const double step = 2.0 * std::acos(1.0 - ARC_TOLERANCE / r);
  const int n = static_cast<int>(std::ceil(2.0 * M_PI / step));
  for (int k = 0; k < n; ++k) {
    const double a = -2.0 * M_PI * k / n;  // clockwise: the clipper takes it for a hole
    path.emplace_back(std::llround((cx + r * std::cos(a)) * CLIP_SCALE),
                      std::llround((cy + r * std::sin(a)) * CLIP_SCALE));
  }
  g->clip.push_back(path);
}

Group round_islands_pocket() {
  Group g;
  BenchLoop box;
  box.corners = {{0, 0}, {100, 0}, {100, 60}, {0, 60}};
  add_loop(&g, box);
  for (int i = 0; i < 5; ++i) {
    for (int j = 0; j < 4; ++j) {
      add_circle(&g, 10.0 + 20.0 * i, 7.5 + 15.0 * j, 3.0 + ((i * 4 + j) % 5) * 0.5);
    }
  }
  return g;
}

// The clipper tells holes by their orientation: the letters of the sign run clockwise as the
// font draws them, so the sign's loops are turned for it (the plate's letters are its holes).
Group shapes_group(const BenchShapes& shapes, bool plate) {
  Group g;
  for (const BenchLoop& l : shapes.loops) {
    if (plate && l.role == BenchRole::PLATE_OUTSIDE) continue;
    add_loop(&g, l);
    if (!plate) ClipperLib::ReversePath(g.clip.back());
  }
  return g;
}

ContourSettings pocket_settings(double tool) {
  ContourSettings s;
  s.finish_rings = RINGS_WHOLE_AREA;
  s.finish_width = tool;
  s.finish_stepover = STEPOVER;
  s.finish_first_stepover = STEPOVER;
  s.finish_tool = 1;
  s.depth = 1.0;
  s.finish_step_down = 1.0;
  s.ramp_angle = 90.0;
  s.group_order = (1 << 16) + 1;
  return s;
}

struct OurRun {
  int32_t result = 0, rings = 0, pieces = 0;
};

OurRun run_ours(const Group& g, double tool) {
  reset_toolpath_engine();
  reset_contour_kernel_state();
  std::vector<int32_t> starts = g.firsts, ends = g.lasts;
  std::vector<ContourSettings> settings(g.firsts.size(), pocket_settings(tool));
  PathRecordBuffer records;
  OurRun r;
  r.result = run_machining_group(g.links.data(), g.nodes.data(), starts.data(), ends.data(),
                                 static_cast<int32_t>(starts.size()), settings.data(), &records);
  r.rings = g_toolpath_engine.linked_rings;
  for (int32_t i = 0; i < g_toolpath_engine.record_count; ++i) {
    if (records[i].code == PATH_MOVE) ++r.pieces;
  }
  return r;
}

// The clipper's pocket: the loops it made.
int32_t run_clipper(const ClipperLib::Paths& pocket, double tool) {
  int32_t rings = 0;
  ClipperLib::Paths current = pocket;
  for (int k = 0;; ++k) {
    const double d = k == 0 ? tool / 2.0 : tool * STEPOVER;
    ClipperLib::ClipperOffset offset(2.0, ARC_TOLERANCE * CLIP_SCALE);
    offset.AddPaths(current, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
    ClipperLib::Paths next;
    offset.Execute(next, -d * CLIP_SCALE);
    if (next.empty()) break;
    rings += static_cast<int32_t>(next.size());
    current.swap(next);
  }
  return rings;
}

long proc_status_kb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return 0;
}

// Lets the peak resident size start again from the current size.
void reset_peak_memory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

template <typename F>
double best_ms(F f) {
  double best = 1e300;
  for (int k = 0; k < REPEATS; ++k) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const auto t1 = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double, std::milli>(t1 - t0).count());
  }
  return best;
}

bool run_case(const char* name, const Group& g, double tool) {
  reset_peak_memory();
  const long before = proc_status_kb("VmRSS:");
  OurRun ours;
  const double our_ms = best_ms([&] { ours = run_ours(g, tool); });
  const long peak = proc_status_kb("VmHWM:") - before;
  int32_t clip_rings = 0;
  const double clip_ms = best_ms([&] { clip_rings = run_clipper(g.clip, tool); });
  std::printf("%-44s ours %9.2f ms  clipper %9.2f ms  ratio %.3f  rings %d (clipper %d)  "
              "pieces %d  peak memory %ld kB\n",
              name, our_ms, clip_ms, our_ms / clip_ms, ours.rings, clip_rings, ours.pieces, peak);
  return ours.result == 1;
}

}  // namespace

int main() {
  bool ok = run_case("(a) 100 x 60 pocket, 20 round islands, 3 mm", round_islands_pocket(), 3.0);
  const BenchShapes plate = plate_shapes(BENCH_FONT_PATH);
  const BenchShapes sign = sign_shapes(BENCH_FONT_PATH);
  if (!plate.error.empty() || !sign.error.empty()) {
    std::fprintf(stderr, "bench_pocket: %s\n", (plate.error + sign.error).c_str());
    return 1;
  }
  ok = run_case("(b) plate pocket round 41 letters, 3 mm", shapes_group(plate, true), 3.0) && ok;
  ok = run_case("(c) sign, 1 mm", shapes_group(sign, false), 1.0) && ok;
  return ok ? 0 : 1;
}
