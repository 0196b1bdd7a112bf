// Ring linking on small hand-built ring sets: the walks along a ring, the feet that make
// bridges, the boundary walk (one chain, two branches), island laps entered from one point,
// excursions to boundary rings only an island ring reaches, new pieces, the starts of contour
// roughing and of finishing, the wall-point store and Esc.
#include <gtest/gtest.h>

#include <cmath>

#include "cam/ring_linking.h"
#include "tests/cam/ring_set.h"

namespace {

using namespace engine_test;

class RingLinking : public EngineTest {};

struct Expected {
  int32_t ring;
  double param;
  int32_t kind;
};

void expect_nodes(const std::vector<PathNode>& got, const std::vector<Expected>& want,
                  const char* name) {
  ASSERT_EQ(got.size(), want.size()) << name;
  for (size_t k = 0; k < want.size(); ++k) {
    EXPECT_EQ(got[k].kind, want[k].kind) << name << " node " << k;
    EXPECT_EQ(got[k].ring, want[k].ring) << name << " node " << k;
    EXPECT_NEAR(got[k].param, want[k].param, 1e-9) << name << " node " << k;
  }
}

std::vector<double> params_of(const std::vector<PathNode>& nodes) {
  std::vector<double> out;
  for (const PathNode& n : nodes) out.push_back(n.param);
  return out;
}

TEST_F(RingLinking, WalksEmitEveryVertexAfterTheStartAndTheEnd) {
  struct Case {
    const char* name;
    bool island;
    double from, to;
    int32_t direction;  // 0 increasing, 1 decreasing
    std::vector<double> params;
  };
  const Case cases[] = {
      {"lap from a point back to it, increasing", false, 1.5, 1.5, 0, {2, 3, 4, 5, 1.5}},
      {"lap from a point back to it, decreasing", false, 1.5, 1.5, 1, {5, 4, 3, 2, 1.5}},
      {"start on a vertex is not repeated", false, 2.0, 2.0, 0, {3, 4, 5, 2}},
      {"start on a vertex, decreasing", false, 2.0, 2.0, 1, {5, 4, 3, 2}},
      {"end before the next vertex", false, 1.2, 1.7, 0, {1.7}},
      {"end before the next vertex, decreasing", false, 1.7, 1.2, 1, {1.2}},
      {"over the seam", false, 3.5, 1.25, 0, {4, 5, 1.25}},
      {"island start just before a vertex counts as on it", true, 2.0 - 1.5e-7, 2.0 - 1.5e-7, 0,
       {3, 4, 5, 2 - 1.5e-7}},
      {"boundary start as near is off it", false, 2.0 - 1.5e-7, 2.0 - 1.5e-7, 0,
       {2, 3, 4, 5, 2 - 1.5e-7}},
  };
  for (const Case& c : cases) {
    RingSet set;
    // The ring's links are 3..6 (a ring before it takes 0..2); the cases count them from 1.
    set.add_boundary(polygon({{-5, -5}, {-4, -5}, {-4, -4}}), 9, 1.0);
    set.shape.add_closed(rectangle(0, 0, 4, 4));
    set.boundary.clear();
    set.island.clear();
    const int32_t first = set.shape.firsts[1];
    ASSERT_EQ(first, 3);
    RingEntry e{first, first + 3, 1, 1.0};
    if (c.island) {
      set.island.push_back(e);
    } else {
      set.boundary.push_back(e);
    }
    RingLinkRun run = set.run(linking_settings(1.0, 0.4, 1));
    const double shift = first - 1;  // the cases count the ring's links from 1
    if (c.island) {
      walk_island_ring(&run, 0, c.from + shift, c.direction);
    } else {
      walk_boundary_ring(&run, 0, c.from + shift, c.from + shift, c.to + shift, c.direction);
    }
    std::vector<PathNode> nodes;
    for (int32_t n = run.path[0].next; n >= 0; n = run.path[n].next) nodes.push_back(run.path[n]);
    std::vector<double> want;
    for (double p : c.params) want.push_back(p + shift);
    const std::vector<double> got = params_of(nodes);
    ASSERT_EQ(got.size(), want.size()) << c.name;
    for (size_t k = 0; k < want.size(); ++k) EXPECT_NEAR(got[k], want[k], 1e-12) << c.name;
    for (const PathNode& n : nodes) EXPECT_EQ(n.kind, c.island ? -NODE_WALK : NODE_WALK);
  }
}

TEST_F(RingLinking, FeetOnLinkEndsBridgeClampedAndFarCirclesNever) {
  Shape s;
  s.add_closed(polygon({{0, 0}, {10, 0}, {10, 10}}));
  s.add_closed({arc_corner(5, 0, 0, 0, CONTOUR_COUNTER_CLOCKWISE), line_corner(0, 5),
                line_corner(0, 0)});
  s.set_bounds();
  RingLinkRun run;
  run.links = s.links.data();
  run.nodes = s.nodes.data();
  struct Case {
    const char* name;
    int32_t link;
    double x, y, band;
    bool accepted;
    double share;
  };
  const Case cases[] = {
      {"foot inside the line", 0, 4, 1, 1.0, true, 0.4},
      {"foot beyond the line's end", 0, 10.5, 0.3, 1.0, true, BRIDGE_SHARE_HIGH},
      {"foot before the line's start", 0, -0.2, 0.5, 1.0, true, BRIDGE_SHARE_LOW},
      {"foot in band's reach but too far", 0, 5, 3, 1.0, false, 0},
      {"far bounding circle", 0, 5, 8, 1.0, false, 0},
      {"arc, inside the sweep", 3, 4.5 * std::cos(0.5), 4.5 * std::sin(0.5), 1.0, true,
       0.5 / (CONTOUR_PI / 2)},
      {"arc, beyond its end", 3, -0.5, 5.2, 1.0, true, BRIDGE_SHARE_HIGH},
  };
  for (const Case& c : cases) {
    double share = -1.0;
    EXPECT_EQ(accept_foot(run, c.link, c.x, c.y, c.band, 1.001, &share), c.accepted) << c.name;
    if (c.accepted) {
      EXPECT_NEAR(share, c.share, 1e-9) << c.name;
    }
  }
  double d = 0.0;
  EXPECT_EQ(nearest_point_on_link(s.links[0], s.nodes.data(), 5, 8, 1.0, &d), LINK_OUT_OF_REACH);
  EXPECT_EQ(d, NO_DISTANCE_YET);
}

// Three concentric squares one apart: the tool goes down on the innermost, runs one lap of each
// and steps outwards.
TEST_F(RingLinking, SingleChainStartsInsideAndStepsOutRingByRing) {
  RingSet set;
  set.add_boundary(rectangle(0, 0, 10, 10), 1, 1.0);
  set.add_boundary(rectangle(1, 1, 9, 9), 2, 1.0);
  set.add_boundary(rectangle(2, 2, 8, 8), 3, 1.0);
  RingLinkRun run = set.run(linking_settings(1.0, 0.4, 1));
  find_all_bridges(&run);
  compact_bridges(&run);
  ASSERT_EQ(join_ring_pieces(&run), 1);
  const double on2 = 4 + (5.078 - 1) / 8, on1 = 5.078 / 10;
  expect_nodes(path_nodes(run),
               {{2, 8.513, 9}, {2, 9, 14}, {2, 10, 14}, {2, 11, 14}, {2, 12, 14}, {2, 8.513, 14},
                {1, on2, 3}, {1, 5, 14}, {1, 6, 14}, {1, 7, 14}, {1, 8, 14}, {1, on2, 14},
                {0, on1, 3}, {0, 1, 14}, {0, 2, 14}, {0, 3, 14}, {0, 4, 14}, {0, on1, 14}},
               "chain");
  EXPECT_EQ(run.path[run.end_node].kind, NODE_MOVE);
}

// A ring with two deeper branches: the path leaves at the first bridge, cuts the branch, comes
// back to the exact point where it left and goes on.
TEST_F(RingLinking, BranchesAreCutDepthFirstAndThePathReturnsWhereItLeft) {
  for (const int32_t cut : {0, 1}) {
    RingSet set;
    set.add_boundary(rectangle(0, 0, 20, 8), 1, 1.0);
    set.add_boundary(rectangle_with_midpoints(1, 1, 9, 7), 2, 1.0);
    set.add_boundary(rectangle_with_midpoints(11, 1, 19, 7), 2, 1.0);
    RingLinkRun run = set.run(linking_settings(1.0, 0.4, cut));
    find_all_bridges(&run);
    compact_bridges(&run);
    ASSERT_EQ(join_ring_pieces(&run), 1) << cut;
    const std::vector<PathNode> nodes = path_nodes(run);
    int32_t starts = 0;
    for (const PathNode& n : nodes) starts += n.kind == NODE_START ? 1 : 0;
    EXPECT_EQ(starts, 1) << cut;
    EXPECT_EQ(nodes.front().ring, 1) << cut;  // the first of the two equal branches
    // The step into the second branch leaves ring 1 at the walked point before it; the step
    // back out of the branch lands on that very parameter.
    size_t into = 0, back = 0;
    for (size_t k = 1; k < nodes.size(); ++k) {
      if (nodes[k].kind == NODE_STEP && nodes[k].ring == 2) into = k;
      if (into && !back && k > into && nodes[k].kind == NODE_STEP && nodes[k].ring == 0) back = k;
    }
    ASSERT_GT(into, 0u) << cut;
    ASSERT_GT(back, into) << cut;
    EXPECT_EQ(nodes[into - 1].ring, 0) << cut;
    EXPECT_NEAR(nodes[back].param, nodes[into - 1].param, 1e-12) << cut;
    EXPECT_NEAR(nodes[back].param, run.boundary[2].depart_param, 1e-12) << cut;
    // The path ends where it came onto ring 1, having completed its lap.
    EXPECT_EQ(nodes.back().ring, 0) << cut;
    EXPECT_NEAR(nodes.back().param, run.boundary[0].entry_param, 1e-12) << cut;
    for (const RingState& r : run.boundary) EXPECT_EQ(r.state, RING_FINISHED) << cut;
  }
}

// Island rings 1 and 2 round one island: the outer one is spliced in where the innermost
// boundary ring passes it, the inner one is entered from the same point.
TEST_F(RingLinking, IslandRingsAreEnteredFromOnePoint) {
  RingSet set;
  set.add_boundary(rectangle(0, 0, 20, 20), 1, 1.0);
  set.add_boundary(rectangle(1, 1, 19, 19), 2, 1.0);
  set.add_boundary(rectangle_with_midpoints(2, 2, 18, 18), 3, 1.0);
  set.add_island(clockwise(rectangle_with_midpoints(4, 4, 16, 16)), 1, 1.0);
  set.add_island(clockwise(rectangle_with_midpoints(3, 3, 17, 17)), 2, 1.0);
  RingLinkRun run = set.run(linking_settings(1.0, 0.4, 1));
  find_all_bridges(&run);
  compact_bridges(&run);
  ASSERT_EQ(join_ring_pieces(&run), 1);
  const std::vector<PathNode> nodes = path_nodes(run);
  int32_t starts = 0;
  for (const PathNode& n : nodes) starts += std::abs(n.kind) == NODE_START ? 1 : 0;
  EXPECT_EQ(starts, 1);
  // Steps onto island ring 1 (table 1) and 0, in that order.
  std::vector<size_t> steps;
  for (size_t k = 0; k < nodes.size(); ++k) {
    if (nodes[k].kind == -NODE_STEP) steps.push_back(k);
  }
  ASSERT_EQ(steps.size(), 3u);  // onto ring 2, onto ring 1, back onto ring 2
  EXPECT_EQ(nodes[steps[0]].ring, 1);
  EXPECT_EQ(nodes[steps[1]].ring, 0);
  EXPECT_EQ(nodes[steps[2]].ring, 1);
  EXPECT_NEAR(nodes[steps[2]].param, nodes[steps[0]].param, 1e-12);
  // Ring 1 is entered from the point where ring 2 was entered, one spacing further in.
  double x0, y0, xb, yb, x1, y1;
  point_on_ring(run, RingTable::ISLAND, 1, nodes[steps[0]].param, &x0, &y0);
  const PathNode& before = nodes[steps[1] - 1];
  ASSERT_EQ(before.kind, -NODE_WALK);
  point_on_ring(run, RingTable::ISLAND, before.ring, before.param, &xb, &yb);
  point_on_ring(run, RingTable::ISLAND, 0, nodes[steps[1]].param, &x1, &y1);
  EXPECT_NEAR(std::hypot(xb - x0, yb - y0), 0.0, 1e-6);
  EXPECT_NEAR(std::hypot(x1 - x0, y1 - y0), 1.0, 1e-6);
  for (const RingState& r : run.island) EXPECT_EQ(r.state, RING_FINISHED);
}

// A boundary ring that only an island ring reaches: cut by an excursion that returns to the
// island ring by a step when it ends where it began, by a move when it ends elsewhere.
TEST_F(RingLinking, ExcursionsReturnToTheIslandRing) {
  for (const bool with_parent : {false, true}) {
    RingSet set;
    set.add_boundary(rectangle(0, 0, 60, 20), 1, 1.0);
    set.add_boundary(polygon({{1, 1}, {25, 1}, {25, 10}, {25, 19}, {1, 19}}), 2, 1.0);
    set.add_boundary(rectangle(2, 2, 23, 18), 3, 1.0);                       // the start
    set.add_boundary(polygon({{32, 8}, {40, 8}, {40, 12}, {32, 12}, {32, 10}}), 3, 1.0);
    if (with_parent) set.add_boundary(rectangle(31, 7, 41, 13), 2, 1.0);
    set.add_island(clockwise(rectangle(26, 8, 30, 12)), 1, 1.0);
    set.add_island(clockwise(rectangle_with_midpoints(25, 7, 31, 13)), 2, 1.0);
    RingLinkRun run = set.run(linking_settings(1.0, 0.4, 1));
    find_all_bridges(&run);
    compact_bridges(&run);
    ASSERT_EQ(join_ring_pieces(&run), 1) << with_parent;
    const std::vector<PathNode> nodes = path_nodes(run);
    int32_t starts = 0, returns = 0;
    for (size_t k = 0; k < nodes.size(); ++k) {
      starts += std::abs(nodes[k].kind) == NODE_START ? 1 : 0;
      if (nodes[k].kind != -NODE_STEP && nodes[k].kind != -NODE_MOVE) continue;
      // A step from a boundary ring onto island ring 2 (island ring 1 is entered from 2a).
      if (k == 0 || nodes[k - 1].kind < 0 || nodes[k].ring != 1) continue;
      ++returns;
      EXPECT_EQ(nodes[k].kind, with_parent ? -NODE_MOVE : -NODE_STEP) << with_parent;
      EXPECT_EQ(nodes[k].ring, 1) << with_parent;   // back onto island ring 2
      EXPECT_EQ(nodes[k + 1].ring, 1) << with_parent;  // whose lap goes on
    }
    EXPECT_EQ(starts, 1) << with_parent;
    EXPECT_EQ(returns, 1) << with_parent;
    for (const RingState& r : run.boundary) EXPECT_NE(r.state, RING_UNTOUCHED) << with_parent;
  }
}

// Rings nothing reaches start a new piece; with only island rings left it starts on the
// deepest, longest one at 0.513 of its longest link and walks it whole.
TEST_F(RingLinking, UnreachableRingsStartANewPiece) {
  RingSet set;
  set.add_boundary(rectangle(0, 0, 10, 10), 1, 1.0);
  set.add_island(clockwise(polygon({{30, 0}, {36, 0}, {36, 2}, {30, 2}})), 5, 1.0);
  RingLinkRun run = set.run(linking_settings(1.0, 0.4, 1), 1);
  find_all_bridges(&run);
  compact_bridges(&run);
  ASSERT_EQ(join_ring_pieces(&run), 1);
  const std::vector<PathNode> nodes = path_nodes(run);
  ASSERT_EQ(nodes.size(), 6u + 6u);
  EXPECT_EQ(nodes[0].kind, NODE_START);
  EXPECT_EQ(nodes[6].kind, -NODE_START);
  // The island ring runs clockwise from (30, 2): its longest links are the 6-long ones, the
  // first of them its first link.
  EXPECT_NEAR(nodes[6].param, set.island[0].start_link + 0.513, 1e-12);
  for (size_t k = 7; k < nodes.size(); ++k) EXPECT_EQ(nodes[k].kind, -NODE_WALK);
  int32_t ends = 0;
  for (int32_t n = run.path[0].next; n >= 0; n = run.path[n].next) {
    ends += run.path[n].kind == NODE_MOVE ? 1 : 0;
  }
  EXPECT_EQ(ends, 1);
}

// The roughing ring of a contour is led into from a vertex of the ring beyond it.
TEST_F(RingLinking, ContourRoughingLeadsInFromRingTwo) {
  RingSet set;
  set.add_boundary(rectangle(0, 0, 10, 10), 1, 1.0);
  set.add_boundary(rectangle(1, 1, 9, 9), 2, 1.0);
  ContourSettings s = linking_settings(2.0, 0.4, 1);
  s.rough_rings = 2;
  RingLinkRun run = set.run(s, 0, 1);
  ASSERT_EQ(run.boundary.size(), 1u);
  find_all_bridges(&run);
  compact_bridges(&run);
  ASSERT_EQ(join_ring_pieces(&run), 1);
  const std::vector<PathNode> nodes = path_nodes(run);
  ASSERT_GE(nodes.size(), 4u);
  expect_nodes({nodes[0], nodes[1], nodes[2]}, {{0, 1, 8}, {0, 1, 8}, {0, 0.1, 3}}, "lead-in");
}

TEST_F(RingLinking, FinishingStartsFromTheRoughingWallPointsOrFallsBack) {
  RingSet::set_walls(rectangle(0, 0, 10, 10));
  ContourSettings s = linking_settings(2.0, 0.4, 1);
  s.finish_width = 1.0;
  s.finish_allowance = 0.5;
  s.finish_rings = 1;
  for (const bool stored : {true, false}) {
    RingSet set;
    set.add_boundary(rectangle(0.5, 0.5, 9.5, 9.5), 1, 0.5);
    ToolpathEngineState& g = g_toolpath_engine;
    g.wall_points.assign(WALL_POINT_SLOTS, ContourNode{0, 0});
    g.wall_points[0] = {1.5, 1.5};  // a roughing ring-1 vertex, 1.5 from both walls
    g.wall_point_next = stored ? 1 : 0;
    RingLinkRun run = set.run(s, 1);
    find_all_bridges(&run);
    compact_bridges(&run);
    ASSERT_EQ(join_ring_pieces(&run), 1) << stored;
    const std::vector<PathNode> nodes = path_nodes(run);
    if (stored) {
      expect_nodes({nodes[0], nodes[1], nodes[2]}, {{0, 1.5, 8}, {0, 1.5, 8}, {0, 1.0 / 9, 3}},
                   "finishing start");
    } else {
      EXPECT_EQ(nodes[0].kind, NODE_START);
    }
  }
}

TEST_F(RingLinking, WallPointStoreWrapsIntoItsLastSlots) {
  struct Case {
    int32_t points;
    int32_t next;
    int32_t slot;      // a slot to look at
    int32_t vertex;    // the vertex it holds
  };
  const Case cases[] = {{5997, 5997, 5996, 5996}, {5998, 5800, 5997, 5997}, {5999, 5801, 5800, 5998}};
  for (const Case& c : cases) {
    std::vector<ContourNode> ring;
    for (int32_t k = 0; k < c.points; ++k) {
      const double a = CONTOUR_TWO_PI * k / c.points;
      ring.push_back({100.0 * std::cos(a), 100.0 * std::sin(a)});
    }
    RingSet set;
    set.add_boundary(polygon(ring), 1, 1.0);
    ContourSettings s = linking_settings(1.0, 0.4, 1);
    s.finish_rings = 2;
    RingLinkRun run = set.run(s, 0);
    const ToolpathEngineState& g = g_toolpath_engine;
    EXPECT_EQ(g.wall_point_next, c.next) << c.points;
    EXPECT_EQ(g.wall_points[c.slot].x, ring[c.vertex].x) << c.points;
    EXPECT_EQ(g.wall_points[c.slot].y, ring[c.vertex].y) << c.points;
  }
}

TEST_F(RingLinking, EscapeEndsTheRunWithNothingWritten) {
  RingSet set;
  set.add_boundary(rectangle(0, 0, 10, 10), 1, 1.0);
  set.add_boundary(rectangle(1, 1, 9, 9), 2, 1.0);
  set.shape.set_bounds();
  g_toolpath_engine.ring_path_count = 0;
  g_cam_host_log.escape_after_polls = 0;
  EXPECT_EQ(PathGen(set.shape.links.data(), set.shape.nodes.data(), set.island.data(),
                    set.boundary.data(), 0, 2, linking_settings(1.0, 0.4, 1), 0, 0),
            0);
  EXPECT_TRUE(g_toolpath_engine.abort);
  EXPECT_EQ(g_toolpath_engine.ring_path_count, 0);
  EXPECT_EQ(g_contour_kernel.EngineStatus & ENGINE_STATUS_NOT_LINKED, 0);
}

// Linking that runs away stops at the node limit with its message, and the outline is
// reported as not joined (the group then warns that cuts are missing), rather than dropped
// quietly.
TEST_F(RingLinking, NodeLimitStopsTheRunAndReportsTheOutline) {
  RingSet set;
  set.add_boundary(rectangle(0, 0, 10, 10), 1, 1.0);
  set.add_boundary(rectangle(1, 1, 9, 9), 2, 1.0);
  set.add_island(clockwise(rectangle(40, 0, 44, 4)), 7, 1.0);
  RingLinkRun run = set.run(linking_settings(1.0, 0.4, 1), 1);
  run.node_limit = 4;
  EXPECT_EQ(link_rings(&run), 0);
  EXPECT_TRUE(run.too_many);
  ASSERT_EQ(g_cam_host_log.messages.size(), 1u);
  EXPECT_EQ(g_cam_host_log.messages[0], "Too many path segments to deal with");
  EXPECT_NE(g_contour_kernel.EngineStatus & ENGINE_STATUS_NOT_LINKED, 0);
  EXPECT_FALSE(g_toolpath_engine.abort);
}

TEST_F(RingLinking, JoiningShowsItsProgressThroughTheHost) {
  RingSet set;
  set.add_boundary(rectangle(0, 0, 10, 10), 1, 1.0);
  set.add_boundary(rectangle(1, 1, 9, 9), 2, 1.0);
  set.shape.set_bounds();
  ASSERT_EQ(PathGen(set.shape.links.data(), set.shape.nodes.data(), nullptr, set.boundary.data(),
                    0, 2, linking_settings(1.0, 0.4, 1), 0, 0),
            1);
  ASSERT_FALSE(g_cam_host_log.progress.empty());
  EXPECT_EQ(g_cam_host_log.progress[0].rfind("Joining paths ", 0), 0u);
  EXPECT_GT(g_cam_host_log.polls, 0);  // Esc was asked for
}

}  // namespace
