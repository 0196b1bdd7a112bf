// Times the contour boolean engine against an outside polygon clipper on the same job: 200
// overlapping circles of radius 1 along a spiral, unioned into one contour by one call per
// circle (the result of each call is the next call's first contour). The engine gets the
// circles as circles and keeps arcs; the clipper gets them flattened to chords whose sagitta
// is at most 0.001 units. Prints both times, their ratio (ours / the clipper's) and the
// areas and sizes of both results as a check that both did the same work.
// Usage: bench_boolean [rounds]; the best of the rounds (default 5) is reported.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <polyclipping/clipper.hpp>
#include <vector>

#include "geometry/contour_boolean.h"
#include "geometry/contour_kernel.h"
#include "geometry/contour_network.h"

namespace {

constexpr int BENCH_CIRCLES = 200;
constexpr double BENCH_RADIUS = 1.0;
constexpr double BENCH_SAGITTA = 0.001;  // flattening error allowed to the clipper
constexpr double BENCH_SCALE = 1e6;      // clipper integer units per unit

struct Circle {
  double x, y;
};

// Centres 0.8 apart along an Archimedean spiral whose turns lie 2.5 apart: every circle
// overlaps the one before it, the turns never touch, so the union stays one contour.
std::vector<Circle> spiral_circles() {
  std::vector<Circle> circles;
  const double start = 3.0, growth = 2.5 / (2.0 * CONTOUR_PI);
  double angle = 0.0;
  for (int k = 0; k < BENCH_CIRCLES; ++k) {
    const double r = start + growth * angle;
    circles.push_back({r * std::cos(angle), r * std::sin(angle)});
    angle += 0.8 / r;
  }
  return circles;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ---- ours ----

struct OurResult {
  double seconds;
  double area;
  size_t links;
  int failures;
};

double loop_area(const ContourNetwork& net, int32_t first, int32_t last) {
  double area = 0.0;
  for (int32_t k = first; k <= last; ++k) {
    const ContourLink& l = net.links[k];
    const ContourNode& s = net.nodes[l.start_node];
    const ContourNode& e = net.nodes[l.end_node];
    area += 0.5 * (s.x * e.y - e.x * s.y);
    if (l.kind != SEGMENT_ARC) continue;
    const ContourNode& c = net.nodes[l.centre_node];
    double sweep = std::atan2(e.y - c.y, e.x - c.x) - std::atan2(s.y - c.y, s.x - c.x);
    if (l.direction == CONTOUR_CLOCKWISE) {
      while (sweep > 0.0) sweep -= 2.0 * CONTOUR_PI;
    } else {
      while (sweep < 0.0) sweep += 2.0 * CONTOUR_PI;
    }
    area += 0.5 * l.radius * l.radius * (sweep - std::sin(sweep));
  }
  return area;
}

OurResult run_ours(const std::vector<Circle>& circles) {
  OurResult result{0.0, 0.0, 0, 0};
  const auto start = std::chrono::steady_clock::now();
  // The input arrays: the union so far as contour A, the next circle as contour B.
  std::vector<ContourLink> links;
  std::vector<ContourNode> nodes;
  ContourNetwork sum, out;
  for (size_t k = 0; k < circles.size(); ++k) {
    const int32_t first_b = k == 0 ? 0 : sum.lasts[0] - sum.firsts[0] + 1;
    links.assign(sum.links.begin() + (k == 0 ? 0 : sum.firsts[0]),
                 sum.links.begin() + (k == 0 ? 0 : sum.lasts[0] + 1));
    nodes.assign(sum.nodes.begin(), sum.nodes.end());
    ContourLink circle;
    circle.kind = SEGMENT_CIRCLE;
    circle.radius = BENCH_RADIUS;
    circle.centre_node = circle.start_node = circle.end_node = static_cast<int32_t>(nodes.size());
    nodes.push_back({circles[k].x, circles[k].y});
    links.push_back(circle);
    if (k == 0) {
      const int32_t zero = 0;
      build_contour_network(links.data(), nodes.data(), &zero, &zero, 1, &sum, CONTOUR_CLOCKWISE,
                            1);
      continue;
    }
    const int32_t loops = combine_contours(links.data(), nodes.data(), 0, first_b - 1, first_b,
                                           first_b, &out, BOOLEAN_UNION, 1);
    if (loops != 1) {
      ++result.failures;
      continue;
    }
    std::swap(sum, out);
  }
  result.seconds = seconds_since(start);
  result.area = std::fabs(loop_area(sum, sum.firsts[0], sum.lasts[0]));
  result.links = static_cast<size_t>(sum.lasts[0] - sum.firsts[0] + 1);
  return result;
}

// ---- the clipper's ----

struct ClipperResult {
  double seconds;
  double area;
  size_t points;
  size_t paths;
};

ClipperLib::Path flattened_circle(const Circle& c) {
  const double step = 2.0 * std::acos(1.0 - BENCH_SAGITTA / BENCH_RADIUS);
  const int n = static_cast<int>(std::ceil(2.0 * CONTOUR_PI / step));
  ClipperLib::Path path;
  for (int i = 0; i < n; ++i) {
    const double a = 2.0 * CONTOUR_PI * i / n;
    path.emplace_back(std::llround((c.x + BENCH_RADIUS * std::cos(a)) * BENCH_SCALE),
                      std::llround((c.y + BENCH_RADIUS * std::sin(a)) * BENCH_SCALE));
  }
  return path;
}

ClipperResult run_clipper(const std::vector<Circle>& circles) {
  std::vector<ClipperLib::Path> flat;
  for (const Circle& c : circles) flat.push_back(flattened_circle(c));
  ClipperResult result{0.0, 0.0, 0, 0};
  const auto start = std::chrono::steady_clock::now();
  ClipperLib::Paths sum = {flat[0]};
  for (size_t k = 1; k < flat.size(); ++k) {
    ClipperLib::Clipper clipper;
    clipper.AddPaths(sum, ClipperLib::ptSubject, true);
    clipper.AddPath(flat[k], ClipperLib::ptClip, true);
    ClipperLib::Paths next;
    clipper.Execute(ClipperLib::ctUnion, next, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    sum.swap(next);
  }
  result.seconds = seconds_since(start);
  for (const ClipperLib::Path& p : sum) {
    result.area += ClipperLib::Area(p);
    result.points += p.size();
  }
  result.area = std::fabs(result.area) / (BENCH_SCALE * BENCH_SCALE);
  result.paths = sum.size();
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const std::vector<Circle> circles = spiral_circles();
  OurResult ours = run_ours(circles);
  ClipperResult theirs = run_clipper(circles);
  for (int round = 1; round < rounds; ++round) {
    const OurResult o = run_ours(circles);
    const ClipperResult t = run_clipper(circles);
    if (o.seconds < ours.seconds) ours = o;
    if (t.seconds < theirs.seconds) theirs = t;
  }
  std::printf("union of %d circles, one call per circle, best of %d rounds\n", BENCH_CIRCLES,
              rounds);
  std::printf("  boolean engine : %9.3f ms  area %.6f  %zu links (arcs)  %d failed calls\n",
              ours.seconds * 1e3, ours.area, ours.links, ours.failures);
  std::printf("  polygon clipper: %9.3f ms  area %.6f  %zu points in %zu paths (sagitta %.3f)\n",
              theirs.seconds * 1e3, theirs.area, theirs.points, theirs.paths, BENCH_SAGITTA);
  std::printf("  ratio ours / clipper: %.3f\n", ours.seconds / theirs.seconds);
  return ours.failures == 0 ? 0 : 1;
}
