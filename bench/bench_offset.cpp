// The contour offset engine against an outside polygon offsetter: one closed contour of 1,500
// mixed lines and arcs offset outward and inward. The outside offsetter gets the same contour
// with its arcs flattened to chords within 0.001 units and round joins of the same tolerance.
#include <polyclipping/clipper.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "geometry/contour_offset.h"
#include "geometry/drawing_item.h"
#include "store/line_list.h"
#include "tests/geometry/clipper_flatten.h"

namespace {

constexpr int LINKS = 1500;
constexpr double FLATTEN_TOLERANCE = 0.001;
constexpr int ROUNDS = 7;

// A wavy closed contour round (0, 0): every other link an arc bulging out or in.
DrawingItem* make_contour() {
  std::mt19937 random(1500);
  std::uniform_real_distribution<double> bulge(2.0, 5.0);
  std::bernoulli_distribution inward(0.4);
  new_geometry_block("", nullptr, LINKS, 0, GEOMETRY_KIND_DRAWING_AID);
  DrawingItem* item = g_lists.current.last;
  LinkRecord* r = item_nodes(item);
  for (int i = 0; i <= LINKS; ++i) {
    const double a = ANGLE_TWO_PI * (i % LINKS) / LINKS;
    const double radius = 100.0 + 10.0 * std::sin(7.0 * a) + 3.0 * std::sin(23.0 * a);
    r[i].point =
        PointF{static_cast<float>(radius * std::cos(a)), static_cast<float>(radius * std::sin(a))};
    r[i].node_flags = i == 0 ? NODE_FIRST | NODE_LOOSE : i == LINKS ? NODE_CLOSING : NODE_LOOSE;
  }
  for (int i = 1; i < LINKS; i += 2) {
    const PointF& p = r[i].point;
    const PointF& q = r[i + 1].point;
    const double half = std::hypot(q.x - p.x, q.y - p.y) / 2.0;
    const double arc_radius = bulge(random) * half;
    const bool clockwise = inward(random);
    const double h = std::sqrt(arc_radius * arc_radius - half * half);
    const double side = clockwise ? -1.0 : 1.0;
    r[i].code = static_cast<float>(arc_radius);
    if (clockwise) r[i].link_flags |= LINK_CLOCKWISE;
    r[i].centre =
        PointF{static_cast<float>((p.x + q.x) / 2.0 - side * (q.y - p.y) / (2.0 * half) * h),
               static_cast<float>((p.y + q.y) / 2.0 + side * (q.x - p.x) / (2.0 * half) * h)};
    arc_angles_from_points(&r[i]);
  }
  item_bounding_boxes(item);
  return item;
}

template <class F>
double best_ms(F run) {
  double best = 1e30;
  for (int round = 0; round < ROUNDS; ++round) {
    const auto start = std::chrono::steady_clock::now();
    run();
    const auto end = std::chrono::steady_clock::now();
    best = std::min(best, std::chrono::duration<double, std::milli>(end - start).count());
  }
  return best;
}

void compare(DrawingItem* item, const ClipperLib::Path& path, double distance, bool outside) {
  int made = 0;
  const double ours = best_ms([&] {
    DrawingItem* last = g_lists.current.last;
    made = offset_contour(item, static_cast<float>(distance),
                          OFFSET_SIDE_FROM_FLAG | (outside ? OFFSET_OUTSIDE : 0));
    while (g_lists.current.last != last) delete_line(g_lists.current.last);
  });
  size_t loops = 0;
  const double theirs = best_ms([&] {
    ClipperLib::ClipperOffset offsetter(2.0, FLATTEN_TOLERANCE * CLIPPER_SCALE);
    offsetter.AddPath(path, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
    ClipperLib::Paths solution;
    offsetter.Execute(solution, (outside ? distance : -distance) * CLIPPER_SCALE);
    loops = solution.size();
  });
  std::printf("%-8s d=%.1f  ours %8.2f ms (%d items)  clipper %8.2f ms (%zu loops)  ratio %.2f\n",
              outside ? "outward" : "inward", distance, ours, made, theirs, loops, ours / theirs);
}

// The OFFSET command's drag: at each pointer step the last preview is deleted and the item is
// offset again at the new distance (round corners, as "CAM-type"). Goal: under 16 ms a step.
void drag_steps(DrawingItem* item) {
  constexpr int STEPS = 60;
  double worst = 0.0, total = 0.0;
  DrawingItem* last = g_lists.current.last;
  for (int step = 0; step < STEPS; ++step) {
    const float distance = (step % 2 == 0 ? 1.0f : -1.0f) * (0.05f + 0.05f * static_cast<float>(step));
    const auto start = std::chrono::steady_clock::now();
    while (g_lists.current.last != last) delete_line(g_lists.current.last);
    offset_item(item, distance, OFFSET_ROUND);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    worst = std::max(worst, ms);
    total += ms;
  }
  while (g_lists.current.last != last) delete_line(g_lists.current.last);
  std::printf("drag preview: %d pointer steps, %.2f ms on average, %.2f ms at worst (goal 16 ms)\n",
              STEPS, total / STEPS, worst);
}

}  // namespace

int main() {
  DrawingItem* item = make_contour();
  const ClipperLib::Path path = flatten_for_clipper(item, FLATTEN_TOLERANCE);
  std::printf("contour: %d links, %zu points flattened for clipper\n", item_link_count(item),
              path.size());
  for (double distance : {0.5, 2.0}) {
    compare(item, path, distance, true);
    compare(item, path, distance, false);
  }
  drag_steps(item);
  free_current_list();
  return 0;
}
