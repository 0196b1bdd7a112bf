// The pocket rings against an outside polygon clipper: for seeded random polygons with
// polygonal islands and for arc shapes (flattened finely for the clipper), every ring lies at
// its offset distance from the walls, encloses the area the clipper's offset encloses, and
// crosses neither the boundary nor an island. Letter-like outlines with tangent arcs and
// near-coincident edges are ringed to the end with closed rings that do not cross themselves.
// The linked ring path of such pockets, swept by the tool, clears what a flat tool can reach
// and stays in the pocket; the linking's spatial index answers as an exhaustive search does.
#include <gtest/gtest.h>

#include <polyclipping/clipper.hpp>

#include <cmath>
#include <map>
#include <random>

#include "cam/ring_linking_internal.h"
#include "cam/rings.h"
#include "tests/cam/engine_fixture.h"

namespace {

using namespace engine_test;

// Clipper works on integers: coordinates are scaled by this.
constexpr double CLIP_SCALE = 1e5;
// Arcs are flattened for the clipper with chords this far (job units) from the arc at most.
constexpr double CLIP_ARC_TOLERANCE = 0.001;

ClipperLib::Path to_clip_path(const std::vector<ContourNode>& points) {
  ClipperLib::Path path;
  for (const ContourNode& p : points) {
    path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(p.x * CLIP_SCALE)),
                      static_cast<ClipperLib::cInt>(std::llround(p.y * CLIP_SCALE)));
  }
  return path;
}

// Angle step of chords that stay within the clipper tolerance on a circle of radius r.
double chord_step(double r) { return 2.0 * std::acos(std::max(0.0, 1.0 - CLIP_ARC_TOLERANCE / r)); }

// The shape as clipper paths (boundary and islands), arcs flattened within the tolerance.
ClipperLib::Paths shape_paths(const Shape& s) {
  ClipperLib::Paths paths;
  for (size_t c = 0; c < s.firsts.size(); ++c) {
    double step = 0.05;
    for (int32_t k = s.firsts[c]; k <= s.lasts[c]; ++k) {
      if (s.links[k].kind == SEGMENT_ARC) step = std::min(step, chord_step(s.links[k].radius));
    }
    ClipperLib::Path path =
        to_clip_path(loop_points(s.links.data(), s.nodes.data(), s.firsts[c], s.lasts[c], step));
    // The clipper tells holes by their orientation: the boundary counter-clockwise, islands
    // clockwise.
    if (ClipperLib::Orientation(path) != (c == 0)) ClipperLib::ReversePath(path);
    paths.push_back(path);
  }
  return paths;
}

// Area the clipper's inward offset by d encloses (islands subtracted).
double clipper_offset_area(const ClipperLib::Paths& shape, double d) {
  ClipperLib::ClipperOffset offset(2.0, CLIP_ARC_TOLERANCE * CLIP_SCALE);
  offset.AddPaths(shape, ClipperLib::jtRound, ClipperLib::etClosedPolygon);
  ClipperLib::Paths solution;
  offset.Execute(solution, -d * CLIP_SCALE);
  double area = 0.0;
  for (const ClipperLib::Path& p : solution) area += ClipperLib::Area(p);
  return area / (CLIP_SCALE * CLIP_SCALE);
}

// The rings of a one-tool spiral pocket of the shape (contour 0 the boundary, the others its
// islands), cleaned by the contour network as the engine cleans a group, left in the engine's
// ring lists. The shape is replaced by its cleaned copy. ENGINE_NOTHING when the network
// refuses the shape (it crosses itself).
int32_t ring_pocket(Shape* s, double width, double stepover) {
  ContourNetwork net;
  if (build_contour_network(s->links.data(), s->nodes.data(), s->firsts.data(), s->lasts.data(),
                            static_cast<int32_t>(s->firsts.size()), &net, CONTOUR_CLOCKWISE,
                            1) == 0) {
    return ENGINE_NOTHING;
  }
  s->links = net.links;
  s->nodes = net.nodes;
  s->firsts = net.firsts;
  s->lasts = net.lasts;
  std::vector<int32_t> starts, ends;
  for (size_t c = 1; c < s->firsts.size(); ++c) {
    starts.push_back(s->firsts[c]);
    ends.push_back(s->lasts[c]);
  }
  const int32_t islands = static_cast<int32_t>(starts.size());
  const int32_t n = prepare_working_outline(s->links.data(), s->nodes.data(), s->firsts[0],
                                            s->lasts[0], starts.data(), ends.data(), islands);
  ContourSettings settings = pocket_settings(width, stepover);
  EXPECT_EQ(normalise_ring_settings(&settings), 1);
  return pocket_rings(0, n - 1, starts.data(), ends.data(), islands, settings);
}

struct RingMeasure {
  double area = 0.0;        // boundary loops less island loops
  double worst_gap = 0.0;   // largest |distance to the walls - ring distance| of any point
  bool crosses_walls = false;
  bool closed = true;
  bool crosses_itself = false;
};

// True when a link of the ring crosses a link of the shape.
bool ring_crosses_walls(const Shape& s, const ContourLink* links, const ContourNode* nodes,
                        const RingEntry& e) {
  // Both links of a crossing test must index one node array.
  Shape both = s;
  const int32_t first = static_cast<int32_t>(both.links.size());
  for (int32_t k = e.start_link; k <= e.end_link; ++k) {
    ContourLink l = links[k];
    both.nodes.push_back(nodes[l.start_node]);
    both.nodes.push_back(nodes[l.end_node]);
    l.start_node = static_cast<int32_t>(both.nodes.size()) - 2;
    l.end_node = static_cast<int32_t>(both.nodes.size()) - 1;
    if (l.kind == SEGMENT_ARC) {
      both.nodes.push_back(nodes[links[k].centre_node]);
      l.centre_node = static_cast<int32_t>(both.nodes.size()) - 1;
    }
    both.links.push_back(l);
  }
  PathCrossings found;
  for (size_t r = static_cast<size_t>(first); r < both.links.size(); ++r) {
    for (int32_t w = 0; w < first; ++w) {
      if (intersect_path_links(both.links[r], both.links[w], both.nodes.data(), &found) > 0) {
        return true;
      }
    }
  }
  return false;
}

// Measures every ring number of the engine's ring lists against the shape.
std::map<int32_t, RingMeasure> measure_rings(const Shape& s, double first, double step) {
  const ToolpathEngineState& g = g_toolpath_engine;
  std::map<int32_t, RingMeasure> out;
  auto take = [&](const RingEntry& e) {
    RingMeasure& m = out[e.ring];
    const double distance = first + (e.ring - 1) * step;
    const ContourLink* links = g.ring_links.data();
    const ContourNode* nodes = g.ring_nodes.data();
    m.area += loop_area(links, nodes, e.start_link, e.end_link);
    m.closed = m.closed && loop_is_chained(links, e.start_link, e.end_link);
    m.crosses_itself = m.crosses_itself || loop_crosses_itself(links, nodes, e.start_link, e.end_link);
    for (const ContourNode& p : loop_points(links, nodes, e.start_link, e.end_link, 0.02)) {
      m.worst_gap = std::max(m.worst_gap, std::fabs(shape_distance(s, p.x, p.y) - distance));
    }
    m.crosses_walls = m.crosses_walls || ring_crosses_walls(s, links, nodes, e);
  };
  for (const RingEntry& e : g.boundary_rings) take(e);
  for (const RingEntry& e : g.island_rings) take(e);
  return out;
}

void expect_rings_match_clipper(Shape s, double width, double stepover, const std::string& name) {
  ASSERT_EQ(ring_pocket(&s, width, stepover), ENGINE_DONE) << name;
  const ClipperLib::Paths paths = shape_paths(s);
  double perimeter = 0.0;
  for (const ContourLink& l : s.links) perimeter += segment_length(l, s.nodes.data());
  const double first = width / 2.0, step = width * stepover;
  const std::map<int32_t, RingMeasure> rings = measure_rings(s, first, step);
  ASSERT_FALSE(rings.empty()) << name;
  for (const auto& [ring, m] : rings) {
    const double d = first + (ring - 1) * step;
    const double reference = clipper_offset_area(paths, d);
    // Chords of the clipper lie inside the true arcs by at most its tolerance.
    const double tolerance = 3.0 * CLIP_ARC_TOLERANCE * (perimeter + 2.0 * CONTOUR_PI * d) + 1e-6;
    EXPECT_NEAR(m.area, reference, tolerance) << name << " ring " << ring;
    EXPECT_LT(m.worst_gap, 1e-6) << name << " ring " << ring;
    EXPECT_TRUE(m.closed) << name << " ring " << ring;
    EXPECT_FALSE(m.crosses_itself) << name << " ring " << ring;
    EXPECT_FALSE(m.crosses_walls) << name << " ring " << ring;
  }
  // The clipper too has nothing left one ring further in.
  const int32_t last = rings.rbegin()->first;
  EXPECT_NEAR(clipper_offset_area(paths, first + last * step), 0.0, 1e-3) << name;
}

// True when the contour network takes the shape (it does not cross itself).
bool shape_is_valid(const Shape& s) {
  ContourNetwork net;
  const int32_t ok = build_contour_network(s.links.data(), s.nodes.data(), s.firsts.data(),
                                           s.lasts.data(), static_cast<int32_t>(s.firsts.size()),
                                           &net, CONTOUR_CLOCKWISE, 1);
  reset_contour_kernel_state();
  return ok != 0;
}

// A star-shaped polygon about (cx, cy) with radii in [r0, r1].
std::vector<ContourNode> random_star(std::mt19937* rng, double cx, double cy, double r0, double r1,
                                     int corners) {
  std::uniform_real_distribution<double> radius(r0, r1);
  std::vector<ContourNode> points;
  for (int k = 0; k < corners; ++k) {
    const double a = 2.0 * CONTOUR_PI * k / corners;
    const double r = radius(*rng);
    points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return points;
}

TEST_F(EngineTest, RandomPolygonsWithIslandsMatchTheClipper) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    Shape s;
    s.add_closed(polygon(random_star(&rng, 0, 0, 18.0, 30.0, 9 + static_cast<int>(seed % 7))));
    // Islands on a ring about the centre, apart from each other and from the wall.
    const int islands = 1 + static_cast<int>(seed % 4);
    for (int i = 0; i < islands; ++i) {
      const double a = 2.0 * CONTOUR_PI * i / islands + 0.3;
      const double cx = (islands == 1 ? 0.0 : 8.0) * std::cos(a);
      const double cy = (islands == 1 ? 0.0 : 8.0) * std::sin(a);
      s.add_closed(polygon(random_star(&rng, cx, cy, 1.5, 3.0, 5 + i)));
    }
    s.set_bounds();
    expect_rings_match_clipper(s, 2.0, 0.4, "seed " + std::to_string(seed));
  }
}

// A random star whose edges bulge in or out, with round islands.
Shape random_arc_shape(uint32_t seed) {
  std::mt19937 rng(seed * 7919);
  std::uniform_real_distribution<double> bulge(-0.25, 0.25);
  const std::vector<ContourNode> points = random_star(&rng, 0, 0, 12.0, 25.0, 6 + seed % 9);
  std::vector<Corner> corners;
  for (size_t k = 0; k < points.size(); ++k) {
    const ContourNode& p = points[k];
    const ContourNode& q = points[(k + 1) % points.size()];
    const double chord = std::hypot(q.x - p.x, q.y - p.y);
    const double h = bulge(rng) * chord;
    corners.push_back(std::fabs(h) < 0.05 * chord ? line_corner(p.x, p.y)
                                                  : contour_test::bulged_corner(p.x, p.y, q.x, q.y, h));
  }
  Shape s;
  s.add_closed(corners);
  const int islands = static_cast<int>(seed % 4);
  std::uniform_real_distribution<double> radius(0.5, 2.5);
  for (int i = 0; i < islands; ++i) {
    const double a = 2.0 * CONTOUR_PI * i / islands + 0.7;
    s.add_closed(circle(6.0 * std::cos(a), 6.0 * std::sin(a), radius(rng), true));
  }
  s.set_bounds();
  return s;
}

TEST_F(EngineTest, RandomArcShapesMatchTheClipper) {
  int valid = 0;
  for (uint32_t seed = 1; seed <= 10; ++seed) {
    const Shape s = random_arc_shape(seed);
    if (!shape_is_valid(s)) continue;  // bulges that cross a neighbour make no pocket
    ++valid;
    expect_rings_match_clipper(s, 0.6 + (seed % 4) * 0.4, 0.3 + (seed % 5) * 0.05,
                               "arc seed " + std::to_string(seed));
  }
  EXPECT_GE(valid, 6);
}

TEST_F(EngineTest, ArcShapesMatchTheClipper) {
  {
    Shape s;  // rounded rectangle with two round islands
    s.add_closed({line_corner(2, 0), arc_corner(18, 0, 18, 2, CONTOUR_COUNTER_CLOCKWISE),
                  line_corner(20, 2), arc_corner(20, 10, 18, 10, CONTOUR_COUNTER_CLOCKWISE),
                  line_corner(18, 12), arc_corner(2, 12, 2, 10, CONTOUR_COUNTER_CLOCKWISE),
                  line_corner(0, 10), arc_corner(0, 2, 2, 2, CONTOUR_COUNTER_CLOCKWISE)});
    s.add_closed(circle(6, 6, 2, true));
    s.add_closed(circle(14, 6, 1.5, true));
    s.set_bounds();
    expect_rings_match_clipper(s, 1.0, 0.4, "rounded rectangle");
  }
  {
    Shape s;  // a disc with bulged edges in and out, and an island with bulges
    s.add_closed({contour_test::bulged_corner(0, 0, 20, 0, 2.0),
                  contour_test::bulged_corner(20, 0, 20, 16, -1.5),
                  contour_test::bulged_corner(20, 16, 0, 16, 3.0),
                  contour_test::bulged_corner(0, 16, 0, 0, -2.0)});
    s.add_closed({contour_test::bulged_corner(8, 6, 8, 10, 0.8), line_corner(8, 10),
                  line_corner(12, 10), contour_test::bulged_corner(12, 6, 8, 6, -0.7)});
    s.set_bounds();
    expect_rings_match_clipper(s, 1.2, 0.35, "bulged shape");
  }
}

}  // namespace

namespace {

// Letter-like outlines: tangent arcs, cusps, sharp apexes and edges that the rings meet from
// both sides at the same step.
struct Letter {
  const char* name;
  Shape shape;
};

std::vector<Letter> letters() {
  std::vector<Letter> out;
  {
    Shape s;  // O
    s.add_closed(circle(10, 10, 10));
    s.add_closed(circle(10, 10, 6, true));
    out.push_back({"O", s});
  }
  {
    Shape s;  // D: a stem and a bowl of tangent arcs and lines
    s.add_closed({line_corner(0, 0), line_corner(5, 0),
                  arc_corner(15, 10, 5, 10, CONTOUR_COUNTER_CLOCKWISE), line_corner(5, 20),
                  line_corner(0, 20)});
    s.add_closed({line_corner(3, 3), line_corner(3, 17), line_corner(5, 17),
                  arc_corner(12, 10, 5, 10, CONTOUR_CLOCKWISE), line_corner(5, 3)});
    out.push_back({"D", s});
  }
  {
    Shape s;  // B: two bowls, from (8,0) round to (8,10) and on round to (8,20), meeting in a cusp
    s.add_closed({line_corner(0, 0), arc_corner(8, 0, 8, 5, CONTOUR_COUNTER_CLOCKWISE),
                  arc_corner(8, 10, 8, 15, CONTOUR_COUNTER_CLOCKWISE), line_corner(8, 20),
                  line_corner(0, 20)});
    s.add_closed(circle(6, 5, 2, true));
    s.add_closed(circle(6, 15, 2, true));
    out.push_back({"B", s});
  }
  {
    Shape s;  // A: sharp apex and feet, triangular counter
    s.add_closed(polygon({{0, 0}, {4, 0}, {5.5, 4}, {10.5, 4}, {12, 0}, {16, 0}, {10, 20},
                          {6, 20}}));
    s.add_closed(polygon({{6.5, 7}, {8, 12}, {9.5, 7}}));
    out.push_back({"A", s});
  }
  {
    Shape s;  // a bar whose counter lies exactly three ring steps from both long walls
    s.add_closed(rectangle(0, 0, 20, 10));
    s.add_closed(polygon({{5, 3}, {5, 7}, {15, 7}, {15, 3}}));
    out.push_back({"bar", s});
  }
  {
    Shape s;  // two counters a hair apart
    s.add_closed(rectangle(0, 0, 20, 12));
    s.add_closed(polygon({{4, 4}, {4, 8}, {9.9999999, 8}, {9.9999999, 4}}));
    s.add_closed(polygon({{10.0000001, 4}, {10.0000001, 8}, {16, 8}, {16, 4}}));
    out.push_back({"hair", s});
  }
  for (Letter& l : out) l.shape.set_bounds();
  return out;
}

TEST_F(EngineTest, LetterOutlinesAreRingedToTheEndWithCleanRings) {
  for (Letter& letter : letters()) {
    reset_toolpath_engine();
    // Exact widths, so that rings from two walls meet at the same step (the O, the bar and
    // the counters a hair apart): the engine's own retries with slightly smaller tools must
    // get past it.
    double width = 1.0, stepover = 0.5;
    int32_t r = ENGINE_RETRY;
    double used_width = width;
    Shape cleaned = letter.shape;
    for (int attempt = 0; attempt <= ENGINE_MAX_RETRIES; ++attempt) {
      cleaned = letter.shape;
      used_width = width;
      r = ring_pocket(&cleaned, width, stepover);
      if (r != ENGINE_RETRY) break;
      width *= 0.9999;
      stepover *= 0.999;
    }
    ASSERT_EQ(r, ENGINE_DONE) << letter.name;
    const ToolpathEngineState& g = g_toolpath_engine;
    ASSERT_FALSE(g.boundary_rings.empty()) << letter.name;
    auto check = [&](const RingEntry& e) {
      const ContourLink* links = g.ring_links.data();
      const ContourNode* nodes = g.ring_nodes.data();
      EXPECT_TRUE(loop_is_chained(links, e.start_link, e.end_link)) << letter.name << e.ring;
      EXPECT_FALSE(loop_crosses_itself(links, nodes, e.start_link, e.end_link))
          << letter.name << " ring " << e.ring;
      // No ring comes nearer the walls than half a tool: nothing is cut that should stay.
      for (const ContourNode& p : loop_points(links, nodes, e.start_link, e.end_link)) {
        EXPECT_GT(shape_distance(cleaned, p.x, p.y), used_width * 0.5 - 1e-6) << letter.name;
      }
    };
    for (const RingEntry& e : g.boundary_rings) check(e);
    for (const RingEntry& e : g.island_rings) check(e);
  }
}

}  // namespace

// ---- The ring path of whole pockets, judged by the clipper ----
namespace {

// The ring path as polylines the tool centre follows (arcs flattened), each starting where the
// tool goes down.
ClipperLib::Paths ring_path_polylines(int32_t* pieces) {
  const ToolpathEngineState& g = g_toolpath_engine;
  ClipperLib::Paths out;
  std::vector<ContourNode> line;
  ContourNode at{0, 0};
  *pieces = 0;
  auto flush = [&]() {
    if (!line.empty()) out.push_back(to_clip_path(line));
    line.clear();
  };
  for (int32_t i = 0; i < g.ring_path_count; ++i) {
    const RingPathRecord& r = g.ring_path[i];
    if (r.code == RING_ENTRY || r.code == RING_MOVE) {
      flush();
      ++*pieces;
      line.push_back({r.x, r.y});
    } else if (r.code == RING_LINE) {
      line.push_back({r.x, r.y});
    } else if (r.code == RING_ARC_CW || r.code == RING_ARC_CCW) {
      const double radius = std::hypot(at.x - r.cx, at.y - r.cy);
      // Records join end to start: an arc starts where the record before it ended, on its
      // circle as nearly as the offset rings' own nodes lie on theirs.
      EXPECT_NEAR(radius, std::hypot(r.x - r.cx, r.y - r.cy), 1e-6) << "record " << i;
      const double a0 = std::atan2(at.y - r.cy, at.x - r.cx);
      double sweep = std::atan2(r.y - r.cy, r.x - r.cx) - a0;
      if (r.code == RING_ARC_CCW && sweep < 0.0) sweep += 2.0 * CONTOUR_PI;
      if (r.code == RING_ARC_CW && sweep > 0.0) sweep -= 2.0 * CONTOUR_PI;
      const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / chord_step(radius))));
      for (int k = 1; k <= n; ++k) {
        const double a = a0 + sweep * k / n;
        line.push_back({r.cx + radius * std::cos(a), r.cy + radius * std::sin(a)});
      }
    } else {
      continue;
    }
    at = {r.x, r.y};
  }
  flush();
  return out;
}

double paths_area(const ClipperLib::Paths& paths) {
  double a = 0.0;
  for (const ClipperLib::Path& p : paths) a += ClipperLib::Area(p);
  return a / (CLIP_SCALE * CLIP_SCALE);
}

ClipperLib::Paths offset_paths(const ClipperLib::Paths& in, double d, bool open) {
  ClipperLib::ClipperOffset offset(2.0, CLIP_ARC_TOLERANCE * CLIP_SCALE);
  offset.AddPaths(in, ClipperLib::jtRound, open ? ClipperLib::etOpenRound
                                                : ClipperLib::etClosedPolygon);
  ClipperLib::Paths out;
  offset.Execute(out, d * CLIP_SCALE);
  return out;
}

ClipperLib::Paths clip(const ClipperLib::Paths& a, const ClipperLib::Paths& b,
                       ClipperLib::ClipType type) {
  ClipperLib::Clipper c;
  c.AddPaths(a, ClipperLib::ptSubject, true);
  c.AddPaths(b, ClipperLib::ptClip, true);
  ClipperLib::Paths out;
  c.Execute(type, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
  return out;
}

// Area the swept tool leaves uncut of what a flat tool can reach (the pocket opened by the
// radius), area it cuts outside the pocket, and the number of pieces of path.
struct PathJudgement {
  double uncut = 0.0, outside = 0.0, reachable = 0.0, perimeter = 0.0;
  int32_t pieces = 0;
};

PathJudgement judge_ring_path(const Shape& s, double width) {
  PathJudgement j;
  const double r = width / 2.0;
  const ClipperLib::Paths pocket = shape_paths(s);
  const ClipperLib::Paths swept = offset_paths(ring_path_polylines(&j.pieces), r, true);
  const ClipperLib::Paths reachable = offset_paths(offset_paths(pocket, -r, false), r, false);
  j.reachable = paths_area(reachable);
  j.uncut = paths_area(clip(reachable, swept, ClipperLib::ctDifference));
  j.outside = paths_area(clip(swept, pocket, ClipperLib::ctDifference));
  for (const ContourLink& l : s.links) j.perimeter += segment_length(l, s.nodes.data());
  return j;
}

// Ours against what a flat tool can reach: the bounds are the clipper's own chord error along
// every wall (both its flattening and its rounding to the integer grid) and a sliver of
// one-hundredth of the job tolerance per unit of wall where the rings meet.
void expect_ring_path_clears(const Shape& cleaned, double width, const std::string& name,
                             int32_t most_pieces) {
  const PathJudgement j = judge_ring_path(cleaned, width);
  const double tolerance = 0.01;
  EXPECT_LT(j.uncut, tolerance * j.perimeter) << name << " of " << j.reachable;
  EXPECT_LT(j.outside, tolerance * j.perimeter) << name;
  EXPECT_GE(j.pieces, 1) << name;
  EXPECT_LE(j.pieces, most_pieces) << name;
}

TEST_F(EngineTest, RingPathsOfRandomPocketsClearWhatTheToolReaches) {
  for (uint32_t seed = 1; seed <= 12; ++seed) {
    std::mt19937 rng(seed);
    Shape s;
    s.add_closed(polygon(random_star(&rng, 0, 0, 18.0, 30.0, 9 + static_cast<int>(seed % 7))));
    const int islands = static_cast<int>(seed % 4);
    for (int i = 0; i < islands; ++i) {
      const double a = 2.0 * CONTOUR_PI * i / islands + 0.3;
      const double cx = (islands == 1 ? 0.0 : 8.0) * std::cos(a);
      const double cy = (islands == 1 ? 0.0 : 8.0) * std::sin(a);
      s.add_closed(polygon(random_star(&rng, cx, cy, 1.5, 3.0, 5 + i)));
    }
    s.set_bounds();
    reset_toolpath_engine();
    ASSERT_EQ(ring_pocket(&s, 2.0, 0.4), ENGINE_DONE) << seed;
    // Without islands every ring touches the next: one piece.
    expect_ring_path_clears(s, 2.0, "seed " + std::to_string(seed), 1 + islands);
  }
}

TEST_F(EngineTest, RingPathsOfLettersClearWhatTheToolReaches) {
  for (Letter& letter : letters()) {
    reset_toolpath_engine();
    Shape cleaned = letter.shape;
    double width = 0.8, stepover = 0.4;
    int32_t r = ENGINE_RETRY;
    for (int attempt = 0; attempt <= ENGINE_MAX_RETRIES && r == ENGINE_RETRY; ++attempt) {
      cleaned = letter.shape;
      r = ring_pocket(&cleaned, width, stepover);
      width *= 0.9999;
      stepover *= 0.999;
    }
    ASSERT_EQ(r, ENGINE_DONE) << letter.name;
    expect_ring_path_clears(cleaned, width, letter.name, 2);
  }
}

// The spatial index answers as scanning every link and ring does.
TEST_F(EngineTest, IndexedLinkingEqualsTheExhaustiveSearch) {
  std::vector<Shape> shapes;
  for (uint32_t seed = 3; seed <= 6; ++seed) {
    std::mt19937 rng(seed);
    Shape s;
    s.add_closed(polygon(random_star(&rng, 0, 0, 18.0, 30.0, 12)));
    for (int i = 0; i < 3; ++i) {
      const double a = 2.0 * CONTOUR_PI * i / 3 + 0.3;
      s.add_closed(polygon(random_star(&rng, 8.0 * std::cos(a), 8.0 * std::sin(a), 1.5, 3.0, 6)));
    }
    s.set_bounds();
    shapes.push_back(s);
  }
  for (Letter& letter : letters()) shapes.push_back(letter.shape);
  for (size_t k = 0; k < shapes.size(); ++k) {
    reset_toolpath_engine();
    Shape s = shapes[k];
    ASSERT_EQ(ring_pocket(&s, 1.0, 0.4), ENGINE_DONE) << k;
    ToolpathEngineState& g = g_toolpath_engine;
    ContourSettings settings = pocket_settings(1.0, 0.4);
    ASSERT_EQ(normalise_ring_settings(&settings), 1);
    RingLinkRun runs[2];
    for (int e = 0; e < 2; ++e) {
      RingLinkRun& run = runs[e];
      run.links = g.ring_links.data();
      run.nodes = g.ring_nodes.data();
      run.settings = settings;
      run.indexed = e == 0;
      load_ring_tables(&run, g.island_rings.data(), g.boundary_rings.data(),
                       static_cast<int32_t>(g.island_rings.size()),
                       static_cast<int32_t>(g.boundary_rings.size()));
      find_all_bridges(&run);
    }
    auto same_bridges = [&](const std::vector<RingBridge>& a, const std::vector<RingBridge>& b,
                            const char* table) {
      ASSERT_EQ(a.size(), b.size()) << k << " " << table;
      for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].ring_a, b[i].ring_a) << k << " " << table << " " << i;
        EXPECT_EQ(a[i].ring_b, b[i].ring_b) << k << " " << table << " " << i;
        EXPECT_EQ(a[i].param_a, b[i].param_a) << k << " " << table << " " << i;
        EXPECT_EQ(a[i].param_b, b[i].param_b) << k << " " << table << " " << i;
      }
    };
    same_bridges(runs[0].boundary_bridges, runs[1].boundary_bridges, "boundary");
    same_bridges(runs[0].island_bridges, runs[1].island_bridges, "island");
    same_bridges(runs[0].mixed_bridges, runs[1].mixed_bridges, "boundary-island");
    EXPECT_FALSE(runs[0].boundary_bridges.empty()) << k;
    for (RingLinkRun& run : runs) {
      compact_bridges(&run);
      ASSERT_EQ(join_ring_pieces(&run), 1) << k;
    }
    ASSERT_EQ(runs[0].node_count, runs[1].node_count) << k;
    for (int32_t n = 0; n < runs[0].node_count; ++n) {
      const PathNode& a = runs[0].path[n];
      const PathNode& b = runs[1].path[n];
      EXPECT_TRUE(a.kind == b.kind && a.ring == b.ring && a.param == b.param && a.next == b.next &&
                  a.retraced == b.retraced)
          << k << " node " << n;
    }
  }
}

}  // namespace
