// The pocket rings of the tool-path engine against an outside polygon clipper: a 100 x 60 mm
// pocket with 20 round islands, cleared with a 3 mm tool at 40 % stepover. Ours offsets exact
// lines and arcs; the clipper offsets the outline with its arcs flattened to 0.001 mm, once
// per ring at the ring's distance. Prints both times, their ratio and our peak memory.
#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "cam/rings.h"
#include "cam/toolpath_engine.h"
#include "geometry/contour_network.h"

namespace {

constexpr double TOOL = 3.0;
constexpr double STEPOVER = 0.4;
constexpr double CLIP_SCALE = 1000.0;     // clipper units per mm
constexpr double FLATTEN_TOLERANCE = 0.001;  // mm
constexpr int REPEATS = 5;

struct Outline {
  std::vector<ContourLink> links;
  std::vector<ContourNode> nodes;
  std::vector<int32_t> firsts, lasts;
};

int32_t add_node(Outline* o, double x, double y) {
  o->nodes.push_back({x, y});
  return static_cast<int32_t>(o->nodes.size()) - 1;
}

void add_rectangle(Outline* o, double w, double h) {
  const int32_t first = static_cast<int32_t>(o->links.size());
  const int32_t n0 = add_node(o, 0, 0);
  add_node(o, w, 0);
  add_node(o, w, h);
  add_node(o, 0, h);
  for (int32_t k = 0; k < 4; ++k) {
    ContourLink l;
    l.start_node = n0 + k;
    l.end_node = n0 + (k + 1) % 4;
    o->links.push_back(l);
  }
  o->firsts.push_back(first);
  o->lasts.push_back(first + 3);
}

void add_circle(Outline* o, double cx, double cy, double r) {
  ContourLink l;
  l.kind = SEGMENT_CIRCLE;
  l.centre_node = add_node(o, cx, cy);
  l.start_node = l.end_node = l.centre_node;
  l.radius = r;
  o->links.push_back(l);
  o->firsts.push_back(static_cast<int32_t>(o->links.size()) - 1);
  o->lasts.push_back(static_cast<int32_t>(o->links.size()) - 1);
}

Outline pocket() {
  Outline o;
  add_rectangle(&o, 100.0, 60.0);
  for (int i = 0; i < 5; ++i) {
    for (int j = 0; j < 4; ++j) {
      const double r = 3.0 + ((i * 4 + j) % 5) * 0.5;
      add_circle(&o, 10.0 + 20.0 * i, 7.5 + 15.0 * j, r);
    }
  }
  return o;
}

// Ours: clean the outline as the engine does, then the rings of one tool.
int32_t run_ours(const Outline& o, int32_t* ring_count) {
  reset_toolpath_engine();
  ContourNetwork net;
  if (build_contour_network(o.links.data(), o.nodes.data(), o.firsts.data(), o.lasts.data(),
                            static_cast<int32_t>(o.firsts.size()), &net, CONTOUR_CLOCKWISE,
                            1) == 0) {
    return 0;
  }
  std::vector<int32_t> starts(net.firsts.begin() + 1, net.firsts.end());
  std::vector<int32_t> ends(net.lasts.begin() + 1, net.lasts.end());
  const int32_t islands = static_cast<int32_t>(starts.size());
  const int32_t n = prepare_working_outline(net.links.data(), net.nodes.data(), net.firsts[0],
                                            net.lasts[0], starts.data(), ends.data(), islands);
  ContourSettings s;
  s.finish_rings = RINGS_WHOLE_AREA;
  s.finish_width = TOOL * RINGS_ROUGH_WIDTH_SHRINK;
  s.finish_stepover = STEPOVER;
  s.finish_tool = 1;
  s.depth = 1.0;
  normalise_ring_settings(&s);
  const int32_t r = pocket_rings(0, n - 1, starts.data(), ends.data(), islands, s);
  *ring_count = static_cast<int32_t>(g_toolpath_engine.boundary_rings.size() +
                                     g_toolpath_engine.island_rings.size());
  return r;
}

ClipperLib::Path circle_path(double cx, double cy, double r, bool hole) {
  const double step = 2.0 * std::acos(1.0 - FLATTEN_TOLERANCE / r);
  const int n = static_cast<int>(std::ceil(2.0 * M_PI / step));
  ClipperLib::Path p;
  for (int k = 0; k < n; ++k) {
    const double a = (hole ? -1.0 : 1.0) * 2.0 * M_PI * k / n;
    p.emplace_back(std::llround((cx + r * std::cos(a)) * CLIP_SCALE),
                   std::llround((cy + r * std::sin(a)) * CLIP_SCALE));
  }
  return p;
}

ClipperLib::Paths clipper_pocket() {
  ClipperLib::Paths paths;
  paths.push_back({{0, 0},
                   {static_cast<ClipperLib::cInt>(100 * CLIP_SCALE), 0},
                   {static_cast<ClipperLib::cInt>(100 * CLIP_SCALE),
                    static_cast<ClipperLib::cInt>(60 * CLIP_SCALE)},
                   {0, static_cast<ClipperLib::cInt>(60 * CLIP_SCALE)}});
  for (int i = 0; i < 5; ++i) {
    for (int j = 0; j < 4; ++j) {
      const double r = 3.0 + ((i * 4 + j) % 5) * 0.5;
      paths.push_back(circle_path(10.0 + 20.0 * i, 7.5 + 15.0 * j, r, true));
    }
  }
  return paths;
}

// The clipper: one offset of the pocket per ring distance until nothing is left.
int32_t run_clipper(const ClipperLib::Paths& pocket) {
  int32_t rings = 0;
  for (int k = 0;; ++k) {
    const double d = TOOL * RINGS_ROUGH_WIDTH_SHRINK * (0.5 + STEPOVER * k);
    ClipperLib::ClipperOffset offset(2.0, FLATTEN_TOLERANCE * CLIP_SCALE);
    offset.AddPaths(pocket, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
    ClipperLib::Paths solution;
    offset.Execute(solution, -d * CLIP_SCALE);
    if (solution.empty()) break;
    rings += static_cast<int32_t>(solution.size());
  }
  return rings;
}

// Resident-set figures of this process from /proc, in kB (0 when unreadable).
long proc_status_kb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return 0;
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

}  // namespace

int main() {
  const Outline o = pocket();
  const ClipperLib::Paths clip = clipper_pocket();
  const long rss_before = proc_status_kb("VmRSS:");
  int32_t our_rings = 0, result = 0;
  const double ours = best_ms([&] { result = run_ours(o, &our_rings); });
  const long peak_after_ours = proc_status_kb("VmHWM:");
  int32_t clip_rings = 0;
  const double theirs = best_ms([&] { clip_rings = run_clipper(clip); });
  std::printf("rings of a 100 x 60 pocket, 20 round islands, 3 mm tool at 40 %% stepover\n");
  std::printf("ours:    %8.2f ms  (%d loops, result %d)\n", ours, our_rings, result);
  std::printf("clipper: %8.2f ms  (%d loops, arcs flattened to %.3f mm)\n", theirs, clip_rings,
              FLATTEN_TOLERANCE);
  std::printf("ratio ours / clipper: %.3f\n", ours / theirs);
  std::printf("our peak memory: %ld kB above the %ld kB before the run\n",
              peak_after_ours - rss_before, rss_before);
  return result == ENGINE_DONE ? 0 : 1;
}
