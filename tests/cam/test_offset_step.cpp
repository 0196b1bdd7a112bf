// One offset step: raw offsets, their crossings, the traced loops and the regions they make.
#include <gtest/gtest.h>

#include <cmath>

#include "cam/next_contour.h"
#include "cam/offset_loops.h"
#include "cam/raw_offset.h"
#include "tests/cam/engine_fixture.h"

namespace {

using namespace engine_test;

class OffsetStep : public EngineTest {
 protected:
  // One NextContour step of the region; the loops land in the engine's ring arrays.
  int32_t step(const Region& r, double factor, double width, int32_t check = 0) {
    ToolpathEngineState& g = g_toolpath_engine;
    NextContourOutput out{&g.ring_links, &g.ring_nodes, &regions};
    const int32_t result = NextContour(r.view, factor, width, check, 0, 2, ContourSettings{}, &out);
    region_count = out.region_count;
    used_factor = out.used_factor;
    return result;
  }
  double region_area(const OffsetRegion& r) const {
    const ToolpathEngineState& g = g_toolpath_engine;
    double a = loop_area(g.ring_links.data(), g.ring_nodes.data(), r.start, r.end);
    for (size_t i = 0; i < r.island_start.size(); ++i) {
      a += loop_area(g.ring_links.data(), g.ring_nodes.data(), r.island_start[i], r.island_end[i]);
    }
    return a;
  }
  std::vector<OffsetRegion> regions;
  int32_t region_count = 0;
  double used_factor = 0.0;
};

TEST_F(OffsetStep, SquareOffsetInwardMovesEveryLineWithoutJoiningArcs) {
  Shape s;
  s.add_closed(rectangle(0, 0, 4, 4));
  s.set_bounds();
  RawOffset raw;
  ASSERT_EQ(offset_raw_segments(Region(s, 0, {}).view, 1.0, &raw), 4);
  for (int32_t k = 0; k < 4; ++k) {
    EXPECT_EQ(raw.links[k].kind, SEGMENT_LINE);
    EXPECT_EQ(raw.source[k], k);
    EXPECT_EQ(joint_kind(s.links.data(), s.nodes.data(), k, (k + 1) % 4), JOINT_CROSSING);
  }
  // The bottom wall, moved to its left (into the square), overlaps its neighbours by 1.
  const ContourNode& a = raw.nodes[raw.links[0].start_node];
  const ContourNode& b = raw.nodes[raw.links[0].end_node];
  EXPECT_DOUBLE_EQ(a.x, 0.0);
  EXPECT_DOUBLE_EQ(a.y, 1.0);
  EXPECT_DOUBLE_EQ(b.x, 4.0);
  EXPECT_DOUBLE_EQ(b.y, 1.0);
}

TEST_F(OffsetStep, SquareOffsetOutwardGetsQuarterArcsAboutItsCorners) {
  Shape s;
  s.add_closed(rectangle(0, 0, 4, 4));
  s.set_bounds();
  RawOffset raw;
  ASSERT_EQ(offset_raw_segments(Region(s, 0, {}).view, -1.0, &raw), 8);
  int arcs = 0;
  for (size_t k = 0; k < raw.links.size(); ++k) {
    const ContourLink& l = raw.links[k];
    if (l.kind != SEGMENT_ARC) continue;
    ++arcs;
    EXPECT_EQ(raw.source[k], -1);
    EXPECT_NEAR(l.radius, 1.0, 1e-12);
    EXPECT_EQ(l.direction, CONTOUR_COUNTER_CLOCKWISE);
    const ContourNode& c = raw.nodes[l.centre_node];
    EXPECT_NEAR(std::fmod(c.x + 1e-9, 4.0), 0.0, 1e-8);
    EXPECT_NEAR(std::fmod(c.y + 1e-9, 4.0), 0.0, 1e-8);
    EXPECT_NEAR(std::fabs(arc_sweep_signed(l, raw.nodes.data())), CONTOUR_PI / 2, 1e-12);
  }
  EXPECT_EQ(arcs, 4);
}

TEST_F(OffsetStep, CircleSmallerThanTheOffsetVanishes) {
  Shape s;
  s.add_closed(circle(0, 0, 0.5));
  s.set_bounds();
  RawOffset raw;
  EXPECT_EQ(offset_raw_segments(Region(s, 0, {}).view, 1.0, &raw), 0);
}

TEST_F(OffsetStep, LinksRunningStraightOnShareTheirOffsetNode) {
  Shape s;
  s.add_closed(polygon({{0, 0}, {2, 0}, {4, 0}, {4, 3}, {0, 3}}));
  s.set_bounds();
  EXPECT_EQ(joint_kind(s.links.data(), s.nodes.data(), 0, 1), JOINT_STRAIGHT);
  RawOffset raw;
  offset_raw_segments(Region(s, 0, {}).view, 0.5, &raw);
  EXPECT_EQ(raw.links[0].end_node, raw.links[1].start_node);
}

TEST_F(OffsetStep, SquareOfSideFourByOneLeavesTheSquareOfSideTwo) {
  Shape s;
  s.add_closed(rectangle(0, 0, 4, 4));
  s.set_bounds();
  ASSERT_EQ(step(Region(s, 0, {}), 0.5, 2.0), ENGINE_DONE);
  ASSERT_EQ(region_count, 1);
  EXPECT_TRUE(regions[0].island_start.empty());
  EXPECT_NEAR(region_area(regions[0]), 4.0, 1e-9);
  const ToolpathEngineState& g = g_toolpath_engine;
  for (int32_t k = regions[0].start; k <= regions[0].end; ++k) {
    const ContourNode& p = g.ring_nodes[g.ring_links[k].start_node];
    EXPECT_NEAR(shape_distance(s, p.x, p.y), 1.0, 1e-9);
  }
  EXPECT_DOUBLE_EQ(used_factor, 0.5);
}

TEST_F(OffsetStep, SquareOfSideFourByTwoAndAHalfVanishes) {
  Shape s;
  s.add_closed(rectangle(0, 0, 4, 4));
  s.set_bounds();
  ASSERT_EQ(step(Region(s, 0, {}), 1.25, 2.0), ENGINE_DONE);
  EXPECT_EQ(region_count, 0);
  EXPECT_TRUE(g_toolpath_engine.ring_links.empty());
}

TEST_F(OffsetStep, SquareOfSideFourOffsetOutwardByOneHasRoundCorners) {
  Shape s;
  s.add_closed(rectangle(0, 0, 4, 4));
  s.set_bounds();
  ASSERT_EQ(step(Region(s, 0, {}), -0.5, 2.0), ENGINE_DONE);
  ASSERT_EQ(region_count, 1);
  EXPECT_NEAR(region_area(regions[0]), 16.0 + 16.0 + CONTOUR_PI, 1e-9);
}

TEST_F(OffsetStep, IslandGrowsAsItsOwnLoopUntilItMeetsTheWall) {
  Shape s;
  s.add_closed(rectangle(0, 0, 10, 6));
  s.add_closed(circle(5, 3, 1, true));
  s.set_bounds();
  const Region r(s, 0, {1});
  // Gaps of 2 above and below the island: an offset of 0.5 keeps the two loops apart.
  ASSERT_EQ(step(r, 0.5, 1.0), ENGINE_DONE);
  ASSERT_EQ(region_count, 1);
  ASSERT_EQ(regions[0].island_start.size(), 1u);
  const double expected = (9.0 * 5.0) - CONTOUR_PI * 1.5 * 1.5;
  EXPECT_NEAR(region_area(regions[0]), expected, 1e-9);
  // Wider than half the gap: the loops merge and run around the island on either side.
  regions.clear();
  g_toolpath_engine.ring_links.clear();
  g_toolpath_engine.ring_nodes.clear();
  ASSERT_EQ(step(r, 1.5, 1.0), ENGINE_DONE);
  ASSERT_EQ(region_count, 2);
  for (const OffsetRegion& reg : regions) {
    EXPECT_TRUE(reg.island_start.empty());
    EXPECT_GT(region_area(reg), 0.0);
  }
}

TEST_F(OffsetStep, DumbbellSplitsIntoTwoRegionsEachWithItsOwnIsland) {
  Shape s;
  // Two 6 x 6 rooms joined by a corridor 1 wide; a small square island in each room.
  s.add_closed(polygon({{0, 0}, {6, 0}, {6, 2.5}, {10, 2.5}, {10, 0}, {16, 0},
                        {16, 6}, {10, 6}, {10, 3.5}, {6, 3.5}, {6, 6}, {0, 6}}));
  s.add_closed(polygon({{2.5, 2.5}, {2.5, 3.5}, {3.5, 3.5}, {3.5, 2.5}}));
  s.add_closed(polygon({{12.5, 2.5}, {12.5, 3.5}, {13.5, 3.5}, {13.5, 2.5}}));
  s.set_bounds();
  ASSERT_EQ(step(Region(s, 0, {1, 2}), 0.6, 1.0), ENGINE_DONE);
  ASSERT_EQ(region_count, 2);
  const ToolpathEngineState& g = g_toolpath_engine;
  for (const OffsetRegion& reg : regions) {
    ASSERT_EQ(reg.island_start.size(), 1u);
    // The island lies in the same room as its boundary.
    const ContourNode& b = g.ring_nodes[g.ring_links[reg.start].start_node];
    const ContourNode& i = g.ring_nodes[g.ring_links[reg.island_start[0]].start_node];
    EXPECT_EQ(b.x < 8.0, i.x < 8.0);
  }
}

TEST_F(OffsetStep, WideStepsAreLoweredUntilNoMaterialIsLeftBetweenRings) {
  Shape s;
  s.add_closed(rectangle(0, 0, 20, 20));
  s.set_bounds();
  ASSERT_EQ(step(Region(s, 0, {}), 0.5, 1.0), ENGINE_DONE);
  // The first ring, kept apart from the arrays the next steps append to.
  const std::vector<ContourLink> links = g_toolpath_engine.ring_links;
  const std::vector<ContourNode> nodes = g_toolpath_engine.ring_nodes;
  Region ring(s, 0, {});
  ring.view.links = links.data();
  ring.view.nodes = nodes.data();
  ring.view.start = regions[0].start;
  ring.view.end = regions[0].end;
  // A step of 0.9 widths leaves material in the corners, where the two rings' tools are
  // hypot(0.4, 0.4) apart; 0.8 is the first step of 0.05 less that reaches within 0.46.
  ASSERT_EQ(step(ring, 0.9, 1.0, 1), ENGINE_DONE);
  EXPECT_NEAR(used_factor, 0.8, 1e-12);
  ASSERT_EQ(region_count, 1);
  EXPECT_NEAR(region_area(regions[0]), (19.0 - 1.6) * (19.0 - 1.6), 1e-9);
  // The same step unchecked, and a half-width step checked, are taken as given.
  ASSERT_EQ(step(ring, 0.9, 1.0, 0), ENGINE_DONE);
  EXPECT_DOUBLE_EQ(used_factor, 0.9);
  ASSERT_EQ(step(ring, 0.5, 1.0, 1), ENGINE_DONE);
  EXPECT_DOUBLE_EQ(used_factor, 0.5);
}

TEST_F(OffsetStep, EscapeGivesUpTheStepAndSetsTheAbortFlag) {
  Shape s;
  s.add_closed(rectangle(0, 0, 4, 4));
  s.set_bounds();
  g_cam_host_log.escape_after_polls = 0;
  EXPECT_EQ(step(Region(s, 0, {}), 0.5, 1.0), ENGINE_NOTHING);
  EXPECT_TRUE(g_toolpath_engine.abort);
}

// ---- crossings and tracing on hand-made raw offsets ----

struct RawBuilder {
  RawOffset raw;
  int32_t node(double x, double y) {
    raw.nodes.push_back({x, y});
    return static_cast<int32_t>(raw.nodes.size()) - 1;
  }
  int32_t line(int32_t a, int32_t b) {
    ContourLink l;
    l.start_node = a;
    l.end_node = b;
    raw.links.push_back(l);
    raw.source.push_back(-1);
    segment_bounding_circle(&raw.links.back(), raw.nodes.data());
    return static_cast<int32_t>(raw.links.size()) - 1;
  }
  int32_t arc(int32_t a, int32_t b, double cx, double cy, int32_t direction) {
    ContourLink l;
    l.kind = SEGMENT_ARC;
    l.start_node = a;
    l.end_node = b;
    l.centre_node = node(cx, cy);
    l.radius = std::hypot(raw.nodes[a].x - cx, raw.nodes[a].y - cy);
    l.direction = direction;
    raw.links.push_back(l);
    raw.source.push_back(-1);
    segment_bounding_circle(&raw.links.back(), raw.nodes.data());
    return static_cast<int32_t>(raw.links.size()) - 1;
  }
};

// A region far away, so that no crossing is near it.
Region far_region(Shape* s) {
  s->add_closed(rectangle(-100, -100, 100, 100));
  s->set_bounds();
  return Region(*s, 0, {});
}

TEST_F(OffsetStep, CrossingsThatDoNotCloseIntoLoopsAskForARetry) {
  RawBuilder b;
  // One long line crossed by two short ones: the second crossing leads nowhere.
  b.line(b.node(0, 0), b.node(10, 0));
  b.line(b.node(1, -1), b.node(1, 1));
  b.line(b.node(2, -1), b.node(2, 1));
  std::vector<OffsetCrossing> crossings;
  Shape s;
  const Region r = far_region(&s);
  ASSERT_EQ(intersect_raw_segments(r.view, b.raw, 0, 2, -0.1, CROSSINGS_FOR_LOOPS, &crossings), 2);
  TracedLoops loops;
  EXPECT_EQ(trace_offset_loops(b.raw, &crossings, &loops), ENGINE_RETRY);
}

TEST_F(OffsetStep, ArcsMeetingEndToStartWithoutASharedNodeTouch) {
  RawBuilder b;
  const int32_t a0 = b.node(1, 0), a1 = b.node(0, 1);
  const int32_t b0 = b.node(0, 1.0000004), b1 = b.node(-1, 0);
  b.arc(a0, a1, 0, 0, CONTOUR_COUNTER_CLOCKWISE);
  b.arc(b0, b1, 0, 0, CONTOUR_COUNTER_CLOCKWISE);
  std::vector<OffsetCrossing> crossings;
  Shape s;
  const Region r = far_region(&s);
  ASSERT_EQ(intersect_raw_segments(r.view, b.raw, 0, 1, -0.1, CROSSINGS_FOR_LOOPS, &crossings), 1);
  EXPECT_EQ(crossings[0].first_param, 1.0);
  EXPECT_EQ(crossings[0].second_param, 0.0);
}

TEST_F(OffsetStep, DuplicateAtASharedNodeMergesIntoTheEndToEndTouch) {
  std::vector<OffsetCrossing> crossings(2);
  crossings[0] = {3, 7, 0.9999999, 0.0000001, 1.0, 2.0};  // computed, at the shared node
  crossings[1] = {3, 7, 1.0, 0.0, 1.0, 2.0};              // the touch of the shared node
  merge_duplicate_crossings(&crossings);
  ASSERT_EQ(crossings.size(), 1u);
  EXPECT_EQ(crossings[0].first_param, 1.0);
  // Apart on the links and in the plane: both stay.
  crossings = {{3, 7, 0.2, 0.3, 1.0, 2.0}, {3, 7, 0.6, 0.7, 3.0, 2.0}};
  merge_duplicate_crossings(&crossings);
  EXPECT_EQ(crossings.size(), 2u);
}

}  // namespace
