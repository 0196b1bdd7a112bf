// The boolean engine against an independent polygon clipper: for seeded random polygons,
// random contours of lines and arcs (flattened finely for the clipper), rectangles on a
// coarse grid (shared edges and corners everywhere) and inputs with thousands of crossings,
// the areas of union, both differences and intersection agree, and arcs come out as arcs on
// the input's circles.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <polyclipping/clipper.hpp>
#include <random>
#include <string>
#include <vector>

#include "geometry/contour_boolean.h"
#include "geometry/contour_kernel.h"
#include "geometry/contour_network.h"
#include "tests/geometry/boolean_fixtures.h"
#include "tests/geometry/contour_shapes.h"

using boolean_test::combine;
using boolean_test::count_arcs;
using boolean_test::expect_closed_loops;
using boolean_test::join_shapes;
using boolean_test::region_area;
using boolean_test::translate;
using contour_test::Corner;
using contour_test::line_corner;
using contour_test::Shape;

namespace {

constexpr double PI = CONTOUR_PI;

// Clipper works on integers: coordinates are scaled by this much, so rounding moves every
// vertex by at most 0.71 / CLIPPER_SCALE.
constexpr double CLIPPER_SCALE = 1e6;

class ContourBooleanOracleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_contour_kernel_state();
    reset_contour_boolean_state();
  }
  void TearDown() override {
    reset_contour_kernel_state();
    reset_contour_boolean_state();
  }
};

// ---- the clipper's side ----

// The contour as a clipper path; arcs become chords whose sagitta is at most `sagitta`.
ClipperLib::Path to_path(const Shape& s, int32_t contour, double sagitta) {
  ClipperLib::Path path;
  auto put = [&path](double x, double y) {
    path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(x * CLIPPER_SCALE)),
                      static_cast<ClipperLib::cInt>(std::llround(y * CLIPPER_SCALE)));
  };
  for (int32_t k = s.firsts[contour]; k <= s.lasts[contour]; ++k) {
    const ContourLink& l = s.links[k];
    if (l.kind == SEGMENT_CIRCLE) {
      const ContourNode& c = s.nodes[l.centre_node];
      const double step = 2.0 * std::acos(std::max(0.0, 1.0 - sagitta / l.radius));
      const int n = std::max(8, static_cast<int>(std::ceil(2.0 * PI / step)));
      for (int i = 0; i < n; ++i)
        put(c.x + l.radius * std::cos(2.0 * PI * i / n),
            c.y + l.radius * std::sin(2.0 * PI * i / n));
      continue;
    }
    const ContourNode& p = s.nodes[l.start_node];
    put(p.x, p.y);
    if (l.kind != SEGMENT_ARC) continue;
    const ContourNode& c = s.nodes[l.centre_node];
    const double sweep = contour_test::signed_sweep(l, s.nodes);
    const double step = 2.0 * std::acos(std::max(0.0, 1.0 - sagitta / l.radius));
    const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / step)));
    const double a0 = std::atan2(p.y - c.y, p.x - c.x);
    for (int i = 1; i < n; ++i) {
      const double a = a0 + sweep * i / n;
      put(c.x + l.radius * std::cos(a), c.y + l.radius * std::sin(a));
    }
  }
  return path;
}

double paths_area(const ClipperLib::Paths& paths) {
  double sum = 0.0;
  for (const ClipperLib::Path& p : paths) sum += ClipperLib::Area(p);
  return std::fabs(sum) / (CLIPPER_SCALE * CLIPPER_SCALE);
}

// The clipper's union, A - B, B - A or intersection.
ClipperLib::Paths clipper_solution(const ClipperLib::Path& a, const ClipperLib::Path& b,
                                   int32_t mode) {
  const ClipperLib::ClipType types[4] = {ClipperLib::ctUnion, ClipperLib::ctDifference,
                                         ClipperLib::ctDifference, ClipperLib::ctIntersection};
  ClipperLib::Clipper clipper;
  clipper.AddPath(mode == 2 ? b : a, ClipperLib::ptSubject, true);
  clipper.AddPath(mode == 2 ? a : b, ClipperLib::ptClip, true);
  ClipperLib::Paths solution;
  clipper.Execute(types[mode], solution, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  return solution;
}

// Areas of union, A - B, B - A and intersection by the clipper.
struct Areas {
  double of[4];
};

Areas clipper_areas(const ClipperLib::Path& a, const ClipperLib::Path& b) {
  Areas areas;
  for (int mode = 0; mode < 4; ++mode) areas.of[mode] = paths_area(clipper_solution(a, b, mode));
  return areas;
}

double perimeter(const ClipperLib::Path& p) {
  double length = 0.0;
  for (size_t i = 0; i < p.size(); ++i) {
    const ClipperLib::IntPoint& a = p[i];
    const ClipperLib::IntPoint& b = p[(i + 1) % p.size()];
    length += std::hypot(static_cast<double>(b.X - a.X), static_cast<double>(b.Y - a.Y));
  }
  return length / CLIPPER_SCALE;
}

// ---- our side ----

// Area of our result in `mode`, turning the answers without loops into the regions they
// mean. `apart`: the union had no loop, so the contours neither meet nor hold each other.
double engine_area(int32_t result, const ContourNetwork& out, int32_t mode, double area_a,
                   double area_b, bool apart) {
  if (apart) {
    EXPECT_EQ(result, 0);
    const double areas[4] = {area_a + area_b, area_a, area_b, 0.0};
    return areas[mode];
  }
  if (result == BOOLEAN_A_INSIDE_B) {
    const double areas[4] = {area_b, 0.0, area_b - area_a, area_a};
    return areas[mode];
  }
  if (result == BOOLEAN_B_INSIDE_A) {
    const double areas[4] = {area_a, area_a - area_b, 0.0, area_b};
    return areas[mode];
  }
  return region_area(out);
}

// Every arc of the result lies on the circle of an input arc, and every line on an input
// line: nothing was flattened or made up.
void expect_pieces_of_inputs(const ContourNetwork& out, const ContourNetwork& inputs) {
  for (const ContourLink& l : out.links) {
    bool found = false;
    for (const ContourLink& in : inputs.links) {
      if (in.kind != l.kind) continue;
      if (l.kind == SEGMENT_ARC) {
        const ContourNode& c = out.nodes[l.centre_node];
        const ContourNode& d = inputs.nodes[in.centre_node];
        found = std::fabs(l.radius - in.radius) < 1e-9 * in.radius &&
                std::hypot(c.x - d.x, c.y - d.y) < 1e-9 * in.radius;
      } else {
        const double band = 1e-7 * (1.0 + in.bound_radius);
        found = distance_to_segment(out.nodes[l.start_node].x, out.nodes[l.start_node].y, in,
                                    inputs.nodes.data(), 0.0) < band &&
                distance_to_segment(out.nodes[l.end_node].x, out.nodes[l.end_node].y, in,
                                    inputs.nodes.data(), 0.0) < band;
      }
      if (found) break;
    }
    EXPECT_TRUE(found) << (l.kind == SEGMENT_ARC ? "arc" : "line") << " from ("
                       << out.nodes[l.start_node].x << ", " << out.nodes[l.start_node].y << ")";
  }
}

// Runs all four modes on contours 0 and 1 of `s` and compares with the clipper. `sagitta` is
// the flattening error of arcs for the clipper: a flattened boundary lies within it of the
// true one, and every piece of a result's boundary is a piece of an input boundary, so the
// areas may differ by the input perimeters times (sagitta + the clipper's rounding).
// Returns the number of arcs in the results.
int32_t expect_agreement(const Shape& s, double sagitta, const std::string& what) {
  const ClipperLib::Path a = to_path(s, 0, sagitta);
  const ClipperLib::Path b = to_path(s, 1, sagitta);
  const Areas expected = clipper_areas(a, b);
  const double area_a = paths_area({a});
  const double area_b = paths_area({b});
  const double tolerance =
      (perimeter(a) + perimeter(b)) * (sagitta + 1.0 / CLIPPER_SCALE) + 1e-9 * (area_a + area_b);
  ContourNetwork inputs;
  const int32_t firsts[2] = {s.firsts[0], s.firsts[1]};
  const int32_t lasts[2] = {s.lasts[0], s.lasts[1]};
  build_contour_network(s.links.data(), s.nodes.data(), firsts, lasts, 2, &inputs,
                        CONTOUR_CLOCKWISE, 1);
  int32_t arcs = 0;
  bool apart = false;
  for (int32_t mode = 0; mode < 4; ++mode) {
    SCOPED_TRACE(what + ", mode " + std::to_string(mode));
    g_contour_kernel.EngineStatus = 0;
    ContourNetwork out;
    const int32_t result = combine(s, mode, &out);
    EXPECT_EQ(g_contour_kernel.EngineStatus, 0);
    EXPECT_GE(result, BOOLEAN_A_INSIDE_B);
    expect_closed_loops(out);
    if (mode == BOOLEAN_UNION) apart = result == 0;
    EXPECT_NEAR(engine_area(result, out, mode, area_a, area_b, apart), expected.of[mode],
                tolerance);
    expect_pieces_of_inputs(out, inputs);
    arcs += count_arcs(out);
  }
  return arcs;
}

// ---- shapes ----

// A star-shaped polygon: corners at increasing angles round (cx, cy), so it never crosses
// itself.
std::vector<Corner> random_polygon(std::mt19937* rng, double cx, double cy, double size) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int n = 3 + static_cast<int>(unit(*rng) * 38.0);
  const double turn = unit(*rng) * 2.0 * PI;
  std::vector<Corner> corners;
  for (int k = 0; k < n; ++k) {
    const double a = turn + 2.0 * PI * (k + (unit(*rng) - 0.5) * 0.8) / n;
    const double r = size * (0.2 + 0.8 * unit(*rng));
    corners.push_back(line_corner(cx + r * std::cos(a), cy + r * std::sin(a)));
  }
  if (unit(*rng) < 0.5) std::reverse(corners.begin(), corners.end());
  return corners;
}

ContourNode centre_of(const Shape& s) {
  double x = 0.0, y = 0.0;
  for (const ContourNode& n : s.nodes) {
    x += n.x;
    y += n.y;
  }
  return {x / s.nodes.size(), y / s.nodes.size()};
}

// Grows or shrinks the shape about its centre, arcs with it.
void scale_shape(Shape* s, double factor) {
  const ContourNode c = centre_of(*s);
  for (ContourNode& n : s->nodes) n = {c.x + (n.x - c.x) * factor, c.y + (n.y - c.y) * factor};
  for (ContourLink& l : s->links) l.radius *= factor;
  s->set_bounds();
}

double size_of(const Shape& s) {
  double size = 0.0;
  const ContourNode c = centre_of(s);
  for (const ContourNode& n : s.nodes) size = std::max(size, std::hypot(n.x - c.x, n.y - c.y));
  return size;
}

// ---- tests ----

TEST_F(ContourBooleanOracleTest, RandomPolygons) {
  std::mt19937 rng(20240611);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 300; ++trial) {
    const double size_b = std::pow(10.0, unit(rng) * 2.0 - 1.0);
    Shape s;
    s.add_closed(random_polygon(&rng, 0.0, 0.0, 1.0));
    const double reach = 1.0 + size_b;
    s.add_closed(
        random_polygon(&rng, (unit(rng) - 0.5) * reach, (unit(rng) - 0.5) * reach, size_b));
    expect_agreement(s, 0.0, "polygon pair " + std::to_string(trial));
    if (HasFailure()) return;
  }
}

TEST_F(ContourBooleanOracleTest, RandomContoursOfLinesAndArcs) {
  std::mt19937 rng(4711);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int32_t arcs = 0;
  for (int trial = 0; trial < 150; ++trial) {
    const Shape a = contour_test::random_star(&rng);
    Shape b = contour_test::random_star(&rng);
    // Comparable sizes, so that most pairs cross rather than hold one another.
    scale_shape(&b, size_of(a) / size_of(b) * std::pow(10.0, unit(rng) - 0.5));
    const ContourNode ca = centre_of(a), cb = centre_of(b);
    const double reach = size_of(a) + size_of(b);
    translate(&b, ca.x - cb.x + (unit(rng) - 0.5) * reach, ca.y - cb.y + (unit(rng) - 0.5) * reach);
    const Shape s = join_shapes(a, b);
    const double sagitta = 1e-6 * std::max(size_of(a), size_of(b));
    arcs += expect_agreement(s, sagitta, "contour pair " + std::to_string(trial));
    if (HasFailure()) return;
  }
  EXPECT_GT(arcs, 100);
}

TEST_F(ContourBooleanOracleTest, CirclesAndPolygons) {
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 100; ++trial) {
    Shape s;
    const double r = 0.2 + unit(rng);
    s.add_circle((unit(rng) - 0.5) * 2.0, (unit(rng) - 0.5) * 2.0, r);
    s.add_closed(random_polygon(&rng, 0.0, 0.0, 1.0));
    if (trial % 2 == 1) {
      Shape swapped;
      swapped.add_closed(random_polygon(&rng, 0.0, 0.0, 1.0));
      swapped.add_circle((unit(rng) - 0.5) * 2.0, (unit(rng) - 0.5) * 2.0, r);
      s = swapped;
    }
    expect_agreement(s, 1e-6, "circle and polygon " + std::to_string(trial));
    if (HasFailure()) return;
  }
}

// Corners on a coarse grid: edges lie on each other, corners on corners and on edges.
TEST_F(ContourBooleanOracleTest, RectanglesOnAGrid) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> cell(0, 4);
  for (int trial = 0; trial < 400; ++trial) {
    int x[4], y[4];
    for (int k = 0; k < 4; ++k) {
      x[k] = cell(rng);
      y[k] = cell(rng);
    }
    if (x[0] == x[1] || y[0] == y[1] || x[2] == x[3] || y[2] == y[3]) continue;
    auto rectangle = [](int x0, int y0, int x1, int y1) {
      return std::vector<Corner>{line_corner(x0, y0), line_corner(x1, y0), line_corner(x1, y1),
                                 line_corner(x0, y1)};
    };
    Shape s;
    s.add_closed(rectangle(x[0], y[0], x[1], y[1]));
    s.add_closed(rectangle(x[2], y[2], x[3], y[3]));
    expect_agreement(s, 0.0,
                     "rectangles " + std::to_string(x[0]) + "," + std::to_string(y[0]) + " " +
                         std::to_string(x[1]) + "," + std::to_string(y[1]) + " / " +
                         std::to_string(x[2]) + "," + std::to_string(y[2]) + " " +
                         std::to_string(x[3]) + "," + std::to_string(y[3]));
    if (HasFailure()) return;
  }
}

// A polygon with corners on the integer grid, star-shaped about a point off the grid lines
// (so no two corners lie in one direction from it and it never crosses itself).
std::vector<Corner> grid_polygon(std::mt19937* rng) {
  std::uniform_int_distribution<int> cell(-4, 4);
  std::uniform_int_distribution<int> count(3, 12);
  const double cx = 0.37, cy = 0.21;
  for (;;) {
    std::vector<std::pair<double, ContourNode>> around;
    const int n = count(*rng);
    for (int k = 0; k < n; ++k) {
      const ContourNode p{static_cast<double>(cell(*rng)), static_cast<double>(cell(*rng))};
      around.emplace_back(std::atan2(p.y - cy, p.x - cx), p);
    }
    std::sort(around.begin(), around.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    around.erase(std::unique(around.begin(), around.end(),
                             [](const auto& a, const auto& b) { return a.first == b.first; }),
                 around.end());
    if (around.size() < 3) continue;
    bool wide_gap = false;
    for (size_t k = 0; k < around.size(); ++k) {
      const double next = k + 1 < around.size() ? around[k + 1].first : around[0].first + 2 * PI;
      wide_gap = wide_gap || next - around[k].first > PI - 0.01;
    }
    if (wide_gap) continue;
    std::vector<Corner> corners;
    for (const auto& a : around) corners.push_back(line_corner(a.second.x, a.second.y));
    return corners;
  }
}

// Corners on corners and on edges, edges along edges, at any angle.
TEST_F(ContourBooleanOracleTest, PolygonsOnAGrid) {
  std::mt19937 rng(31337);
  std::uniform_int_distribution<int> pick(0, 3);
  for (int trial = 0; trial < 300; ++trial) {
    const std::vector<Corner> a = grid_polygon(&rng);
    std::vector<Corner> b;
    switch (pick(rng)) {
      case 0:  // another grid polygon
        b = grid_polygon(&rng);
        break;
      case 1:  // the same one turned a quarter about a grid point
        for (const Corner& c : a) b.push_back(line_corner(1 - c.y, c.x));
        break;
      case 2:  // mirrored, running the other way
        for (const Corner& c : a) b.push_back(line_corner(-c.x, c.y));
        break;
      default:  // moved along the grid
        for (const Corner& c : a) b.push_back(line_corner(c.x + 1, c.y - 2));
        break;
    }
    Shape s;
    s.add_closed(a);
    s.add_closed(b);
    expect_agreement(s, 0.0, "grid polygons " + std::to_string(trial));
    if (HasFailure()) return;
  }
}

// A union built up circle by circle, each result fed back as the next call's A: arcs only,
// and the area of all circles together.
TEST_F(ContourBooleanOracleTest, UnionOfACircleChain) {
  const int circles = 40;
  const double sagitta = 1e-6;
  ContourNetwork sum;
  ClipperLib::Paths all;
  double perimeters = 0.0;
  for (int k = 0; k < circles; ++k) {
    // A spiral whose neighbours overlap and whose turns stay apart: the union is one loop.
    const double a = 0.25 * k;
    Shape circle;
    circle.add_circle((1.0 + 0.08 * k) * std::cos(a), (1.0 + 0.08 * k) * std::sin(a), 0.6);
    all.push_back(to_path(circle, 0, sagitta));
    perimeters += perimeter(all.back());
    if (k == 0) {
      ASSERT_EQ(
          build_contour_network(circle.links.data(), circle.nodes.data(), circle.firsts.data(),
                                circle.lasts.data(), 1, &sum, CONTOUR_CLOCKWISE, 1),
          1);
      continue;
    }
    Shape so_far;
    so_far.links = sum.links;
    so_far.nodes = sum.nodes;
    so_far.firsts = {sum.firsts[0]};
    so_far.lasts = {sum.lasts[0]};
    const Shape both = join_shapes(so_far, circle);
    ContourNetwork out;
    ASSERT_EQ(combine(both, BOOLEAN_UNION, &out), 1) << "circle " << k;
    EXPECT_EQ(count_arcs(out), static_cast<int32_t>(out.links.size())) << "circle " << k;
    sum = out;
  }
  ClipperLib::Clipper clipper;
  clipper.AddPaths(all, ClipperLib::ptSubject, true);
  ClipperLib::Paths solution;
  clipper.Execute(ClipperLib::ctUnion, solution, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  EXPECT_EQ(solution.size(), 1u);
  EXPECT_NEAR(region_area(sum), paths_area(solution), perimeters * (sagitta + 1.0 / CLIPPER_SCALE));
}

// Two interleaved stars of 1,300 points each cross 5,200 times, and the union's one loop
// passes every crossing: far more seeds and a far longer loop than tables of a fixed size
// once held (1,999 seeds, 4,997 points of a loop). They are given as clean networks, as a
// caller that already has them would, since a contour this long is more than the network
// builder takes.
TEST_F(ContourBooleanOracleTest, ThousandsOfCrossings) {
  constexpr int points = 1300;
  auto star = [](double turn) {
    Shape s;
    std::vector<Corner> corners;
    for (int k = 0; k < 2 * points; ++k) {
      const double a = -(turn + PI * k / points);  // clockwise
      const double r = k % 2 == 0 ? 10.0 : 10.5;
      corners.push_back(line_corner(r * std::cos(a), r * std::sin(a)));
    }
    s.add_closed(corners);
    s.set_bounds();
    return s;
  };
  const Shape s = join_shapes(star(0.0), star(0.5 * PI / points));
  const ClipperLib::Path a = to_path(s, 0, 0.0);
  const ClipperLib::Path b = to_path(s, 1, 0.0);
  const Areas expected = clipper_areas(a, b);
  const double tolerance = (perimeter(a) + perimeter(b)) / CLIPPER_SCALE;
  for (const int32_t mode : {BOOLEAN_UNION, BOOLEAN_INTERSECTION}) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    ContourNetwork out;
    EXPECT_EQ(combine(s, mode, &out, BOOLEAN_INPUT_IS_NETWORK), 1);
    EXPECT_EQ(g_contour_kernel.EngineStatus, 0);
    EXPECT_GE(out.links.size(), 4u * points);  // a piece of a segment between every two crossings
    EXPECT_NEAR(region_area(out), expected.of[mode], tolerance);
  }
}

// ---- nearly coincident contours ----

// Each node in single precision, as the drawing holds it; arcs keep their centres on the
// rounded nodes' circles.
void round_to_float(Shape* s) {
  for (ContourNode& n : s->nodes)
    n = {static_cast<double>(static_cast<float>(n.x)),
         static_cast<double>(static_cast<float>(n.y))};
  for (ContourLink& l : s->links) {
    if (l.kind == SEGMENT_LINE) continue;
    const ContourNode& c = s->nodes[l.centre_node];
    const ContourNode& p = s->nodes[l.start_node];
    l.radius = l.kind == SEGMENT_ARC ? std::hypot(p.x - c.x, p.y - c.y)
                                     : static_cast<double>(static_cast<float>(l.radius));
  }
  s->set_bounds();
}

void rotate_shape(Shape* s, double angle, double px, double py) {
  const double c = std::cos(angle), n = std::sin(angle);
  for (ContourNode& p : s->nodes) {
    const double x = p.x - px, y = p.y - py;
    p = {px + c * x - n * y, py + n * x + c * y};
  }
}

double extent_of(const Shape& s, int32_t contour) {
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (int32_t k = s.firsts[contour]; k <= s.lasts[contour]; ++k) {
    const ContourLink& l = s.links[k];
    x0 = std::min(x0, l.bound_x - l.bound_radius);
    x1 = std::max(x1, l.bound_x + l.bound_radius);
    y0 = std::min(y0, l.bound_y - l.bound_radius);
    y1 = std::max(y1, l.bound_y + l.bound_radius);
  }
  return std::max(x1 - x0, y1 - y0);
}

// Our loops cover the region of the clipper's solution and nothing else: the area of the
// difference both ways is within the tolerance, and no two loops (nor one loop with itself)
// overlap, which the area of their union would show.
void expect_same_region(const ContourNetwork& out, const ClipperLib::Paths& expected,
                        double sagitta, double tolerance) {
  // tolerance: of the region's area; the overlap is judged by the flattening alone.
  Shape loops;
  loops.links = out.links;
  loops.nodes = out.nodes;
  loops.firsts = out.firsts;
  loops.lasts = out.lasts;
  ClipperLib::Paths ours;
  for (size_t c = 0; c < out.firsts.size(); ++c)
    ours.push_back(to_path(loops, static_cast<int32_t>(c), sagitta));
  ClipperLib::Clipper xor_clipper;
  xor_clipper.AddPaths(ours, ClipperLib::ptSubject, true);
  xor_clipper.AddPaths(expected, ClipperLib::ptClip, true);
  ClipperLib::Paths apart;
  xor_clipper.Execute(ClipperLib::ctXor, apart, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  EXPECT_LE(paths_area(apart), tolerance) << "the loops bound another region";
  ClipperLib::Clipper union_clipper;
  union_clipper.AddPaths(ours, ClipperLib::ptSubject, true);
  ClipperLib::Paths covered;
  union_clipper.Execute(ClipperLib::ctUnion, covered, ClipperLib::pftNonZero,
                        ClipperLib::pftNonZero);
  // Loops that do not overlap cover their area once, up to the flattening and the rounding.
  double length = 0.0;
  for (const ClipperLib::Path& p : ours) length += perimeter(p);
  EXPECT_NEAR(paths_area(covered), region_area(out),
              length * (sagitta + 2.0 / CLIPPER_SCALE) + 1e-9 * region_area(out))
      << "loops overlap";
}

// Contour 0 of `a` and a copy of it moved or turned a hair, in all four modes, against the
// clipper. Every mode either agrees with the clipper within the engine's stated tolerance or
// fails with the status bit and no loop; no loop ever runs round twice (its area would be
// more than both contours together). Returns the number of failed modes.
int32_t judge_nudged(const Shape& a, const Shape& b, double sagitta, const std::string& what) {
  Shape s = join_shapes(a, b);
  round_to_float(&s);
  const ClipperLib::Path pa = to_path(s, 0, sagitta);
  const ClipperLib::Path pb = to_path(s, 1, sagitta);
  const Areas expected = clipper_areas(pa, pb);
  const double area_a = paths_area({pa});
  const double area_b = paths_area({pb});
  const double engine = boolean_tolerance(extent_of(s, 0), extent_of(s, 1));
  const double tolerance = (perimeter(pa) + perimeter(pb)) *
                               (2.0 * engine + sagitta + 1.0 / CLIPPER_SCALE) +
                           1e-9 * (area_a + area_b);
  int32_t failures = 0;
  bool apart = false;
  for (int32_t mode = 0; mode < 4; ++mode) {
    SCOPED_TRACE(what + ", mode " + std::to_string(mode));
    g_contour_kernel.EngineStatus = 0;
    ContourNetwork out;
    const int32_t result = combine(s, mode, &out);
    if (g_contour_kernel.EngineStatus & ENGINE_STATUS_BOOLEAN_FAILED) {
      EXPECT_EQ(result, 0);
      EXPECT_TRUE(out.firsts.empty() && out.links.empty());
      ++failures;
      continue;
    }
    EXPECT_EQ(g_contour_kernel.EngineStatus, 0);
    expect_closed_loops(out);
    for (size_t c = 0; c < out.firsts.size(); ++c)
      EXPECT_LE(std::fabs(boolean_test::loop_area(out, c)), area_a + area_b + tolerance);
    if (mode == BOOLEAN_UNION) apart = result == 0;
    EXPECT_NEAR(engine_area(result, out, mode, area_a, area_b, apart), expected.of[mode],
                tolerance);
    if (result > 0) expect_same_region(out, clipper_solution(pa, pb, mode), sagitta, tolerance);
  }
  return failures;
}

// A log-uniform length between low and high.
double log_uniform(std::mt19937* rng, double low, double high) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  return low * std::pow(high / low, unit(*rng));
}

// The copy of `a` moved by a vector of length 1e-7 .. 1e-3, or turned by 1e-7 .. 1e-4 rad
// about a point near it.
Shape nudged_copy(const Shape& a, std::mt19937* rng, bool turn) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  Shape b = a;
  if (turn) {
    const ContourNode c = centre_of(a);
    const double size = size_of(a);
    rotate_shape(&b, log_uniform(rng, 1e-7, 1e-4) * (unit(*rng) < 0.5 ? -1.0 : 1.0),
                 c.x + (unit(*rng) - 0.5) * 4.0 * size, c.y + (unit(*rng) - 0.5) * 4.0 * size);
  } else {
    const double length = log_uniform(rng, 1e-7, 1e-3);
    const double angle = unit(*rng) * 2.0 * PI;
    translate(&b, length * std::cos(angle), length * std::sin(angle));
  }
  b.set_bounds();
  return b;
}

// Most nudged pairs are decided; failing is for the few the engine cannot tell.
constexpr double MOST_FAILURES = 0.05;

TEST_F(ContourBooleanOracleTest, NudgedPolygons) {
  std::mt19937 rng(1313);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int32_t failures = 0;
  const int trials = 200;
  for (int trial = 0; trial < trials; ++trial) {
    const double size = std::pow(10.0, unit(rng) * 3.0 - 1.0);
    Shape a;
    a.add_closed(random_polygon(&rng, (unit(rng) - 0.5) * 2000.0, (unit(rng) - 0.5) * 2000.0,
                                size));
    a.set_bounds();
    const bool turn = trial % 2 == 1;
    failures += judge_nudged(a, nudged_copy(a, &rng, turn), 0.0,
                             "polygon " + std::to_string(trial) + (turn ? " turned" : " moved"));
    if (HasFailure()) return;
  }
  EXPECT_LE(failures, MOST_FAILURES * 4 * trials);
}

TEST_F(ContourBooleanOracleTest, NudgedContoursOfLinesAndArcs) {
  std::mt19937 rng(2626);
  int32_t failures = 0;
  const int trials = 150;
  for (int trial = 0; trial < trials; ++trial) {
    const Shape a = contour_test::random_star(&rng);
    const bool turn = trial % 2 == 1;
    failures += judge_nudged(a, nudged_copy(a, &rng, turn), 1e-6 * size_of(a),
                             "contour " + std::to_string(trial) + (turn ? " turned" : " moved"));
    if (HasFailure()) return;
  }
  EXPECT_LE(failures, MOST_FAILURES * 4 * trials);
}

}  // namespace
