// The link optimisation and the ring-path records: repeated points, slanted steps, corner
// arcs, the soft wall entry, the record stream of a roughing and a finishing run, arc codes,
// long finishing stretches cut in three, and records that would carry no number.
#include <gtest/gtest.h>

#include <cmath>

#include "cam/ring_linking.h"
#include "tests/cam/ring_set.h"

namespace {

using namespace engine_test;

class RingPath : public EngineTest {};

// Joins the rings of the set into a path (bridges, walks, island phase).
RingLinkRun joined(RingSet* set, const ContourSettings& s, int32_t finishing = 0) {
  RingLinkRun run = set->run(s, finishing);
  find_all_bridges(&run);
  compact_bridges(&run);
  EXPECT_EQ(join_ring_pieces(&run), 1);
  return run;
}

RingSet chain(double spacing) {
  RingSet set;
  set.add_boundary(rectangle(0, 0, 10, 10), 1, spacing);
  set.add_boundary(rectangle(spacing, spacing, 10 - spacing, 10 - spacing), 2, spacing);
  set.add_boundary(rectangle(2 * spacing, 2 * spacing, 10 - 2 * spacing, 10 - 2 * spacing), 3,
                   spacing);
  return set;
}

int32_t count_kind(const std::vector<PathNode>& nodes, int32_t kind) {
  int32_t n = 0;
  for (const PathNode& p : nodes) n += p.kind == kind ? 1 : 0;
  return n;
}

TEST_F(RingPath, ShortListsStayAsTheyAreAndRepeatedPointsCollapse) {
  struct Case {
    const char* name;
    std::vector<double> walked;  // after the start at 1.5
    size_t left;                 // nodes left
  };
  const Case cases[] = {
      {"five nodes in use: unchanged", {2, 2 + 1e-5}, 3},
      {"six in use: the repeat goes", {2, 2 + 1e-5, 3}, 3},
      {"a lap apart: one goes", {2, 3, 4, 5, 1, 2}, 6},
  };
  for (const Case& c : cases) {
    RingSet set;
    set.add_boundary(rectangle(0, 0, 10, 10), 1, 1.0);
    RingLinkRun run = set.run(linking_settings(1.0, 0.6, 1));
    append_node(&run, 0, 1.5, NODE_START);
    for (double p : c.walked) append_node(&run, 0, p - 1, NODE_WALK);
    run.end_node = append_node(&run, 0, 0.0, NODE_MOVE);
    optimise_ring_links(&run);
    EXPECT_EQ(path_nodes(run).size(), c.left) << c.name;
  }
}

TEST_F(RingPath, StepsOutwardsAreSlantedAlongTheWalk) {
  // Tool radius 0.5, rings 0.4 apart: the slant is min(sqrt(r^2 - a^2/4) - 0.05 r, 2r/3).
  RingSet set = chain(0.4);
  RingLinkRun run = joined(&set, linking_settings(1.0, 0.4, 1));
  std::vector<PathNode> before = path_nodes(run);
  optimise_ring_links(&run);
  std::vector<PathNode> after = path_nodes(run);
  const double l = std::min(std::sqrt(0.25 - 0.04) - 0.025, 1.0 / 3.0);
  auto find_step = [](const std::vector<PathNode>& nodes, int32_t ring) {
    for (size_t k = 0; k < nodes.size(); ++k) {
      if (nodes[k].kind == NODE_STEP && nodes[k].ring == ring) return k;
    }
    return nodes.size();
  };
  const size_t b2 = find_step(before, 1), a2 = find_step(after, 1);
  ASSERT_LT(b2, before.size());
  ASSERT_LT(a2, after.size());
  // Arrival on ring 2 (links 9.2 long) moves forward; departure from ring 3 (8.4) moves back.
  EXPECT_NEAR(after[a2].param, before[b2].param + l / 9.2, 1e-9);
  EXPECT_NEAR(after[a2 - 1].param, before[b2 - 1].param - l / 8.4, 1e-9);
  // Onto ring 1 only the departure is slanted.
  const size_t b1 = find_step(before, 0), a1 = find_step(after, 0);
  EXPECT_NEAR(after[a1].param, before[b1].param, 1e-12);
  EXPECT_NEAR(after[a1 - 1].param, before[b1 - 1].param - l / 9.2, 1e-9);
}

TEST_F(RingPath, SlantsStopAtTheNextWalkedPointSkipRetracedEndsAndWideSteps) {
  struct Case {
    const char* name;
    double width, spacing;
    bool retraced;
    int32_t moved;  // 0 unchanged, 1 moved a little, 2 up to the next walked point
  };
  const Case cases[] = {
      {"a wide tool reaches the next vertex", 20.0, 0.4, false, 2},
      {"a retraced arrival is not slanted", 1.0, 0.4, true, 0},
      {"rings further apart than the tool is wide", 1.0, 1.5, false, 0},
  };
  for (const Case& c : cases) {
    RingSet set = chain(c.spacing);
    RingLinkRun run = joined(&set, linking_settings(c.width, 0.6, 1));
    std::vector<PathNode> nodes = path_nodes(run);
    int32_t step = -1;
    for (int32_t n = run.path[0].next; n != run.end_node; n = run.path[n].next) {
      if (run.path[n].kind == NODE_STEP && run.path[n].ring == 1) step = n;
    }
    ASSERT_GE(step, 0) << c.name;
    const int32_t arrival = run.path[step].next;
    if (c.retraced) run.path[arrival].retraced = 1;
    const double was = run.path[step].param;
    const double next_vertex = run.path[arrival].param;
    optimise_ring_links(&run);
    const double now = run.path[step].param;
    EXPECT_TRUE(std::isfinite(now)) << c.name;
    if (c.moved == 0) {
      EXPECT_EQ(now, was) << c.name;
    }
    if (c.moved == 2) {
      EXPECT_EQ(now, next_vertex) << c.name;
      // The walked point on the same spot is gone.
      EXPECT_NE(run.path[run.path[step].next].param, next_vertex) << c.name;
    }
  }
}

TEST_F(RingPath, CornerArcsOnlyOnInnerRingsBetweenLinesAtModerateAngles) {
  const double third = std::tan(15.0 * CONTOUR_PI / 180.0) * 10.0;  // half base of a 30-degree apex
  struct Case {
    const char* name;
    std::vector<ContourNode> corners;
    int32_t ring;
    double stepover;
    int32_t arcs[2];  // cut direction 0 and 1
  };
  std::vector<ContourNode> hexagon, many;
  for (int32_t k = 0; k < 6; ++k) {
    hexagon.push_back({10 * std::cos(k * CONTOUR_PI / 3), 10 * std::sin(k * CONTOUR_PI / 3)});
  }
  for (int32_t k = 0; k < 24; ++k) {
    many.push_back({20 * std::cos(k * CONTOUR_PI / 12), 20 * std::sin(k * CONTOUR_PI / 12)});
  }
  const Case cases[] = {
      // The last corner of a lap is the second last node: the passes stop before it.
      {"square on ring 2", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 2, 0.4, {3, 3}},
      {"square on ring 3", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 3, 0.4, {3, 3}},
      {"square on ring 1", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 1, 0.4, {0, 0}},
      {"stepover of 48 percent", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, 2, 0.48, {0, 0}},
      {"hexagon: 120 degrees", hexagon, 2, 0.4, {5, 5}},
      {"24 corners of 165 degrees", many, 2, 0.4, {0, 0}},
      // Backwards the apex comes last; forwards a base corner does.
      {"30-degree apex, 75-degree base", {{-third, 0}, {third, 0}, {0, 10}}, 2, 0.4, {2, 1}},
  };
  for (const int32_t cut : {0, 1}) {
    for (const Case& c : cases) {
      RingSet set;
      set.add_boundary(polygon(c.corners), c.ring, 0.4);
      RingLinkRun run = joined(&set, linking_settings(1.0, c.stepover, cut));
      optimise_ring_links(&run);
      const std::vector<PathNode> nodes = path_nodes(run);
      // Convex corners turn with the walk: left (counter-clockwise) when it runs forwards.
      const int32_t kind = cut == 1 ? NODE_ARC_CCW : NODE_ARC_CW;
      EXPECT_EQ(count_kind(nodes, kind), c.arcs[cut]) << c.name << " cut " << cut;
      EXPECT_EQ(count_kind(nodes, NODE_ARC_CW) + count_kind(nodes, NODE_ARC_CCW), c.arcs[cut])
          << c.name;
      for (size_t k = 1; k < nodes.size(); ++k) {
        if (nodes[k].kind != kind) continue;
        // The arc starts where the walk before it ended and ends on the next link, tangent
        // to both: its centre is as far from both ends (points on a ring keep 1e-7 of a link
        // from its seam).
        double x0, y0, x1, y1;
        point_on_ring(run, RingTable::BOUNDARY, 0, nodes[k - 1].param, &x0, &y0);
        point_on_ring(run, RingTable::BOUNDARY, 0, nodes[k].param, &x1, &y1);
        const double r0 = std::hypot(x0 - nodes[k].aux_x, y0 - nodes[k].aux_y);
        const double r1 = std::hypot(x1 - nodes[k].aux_x, y1 - nodes[k].aux_y);
        EXPECT_NEAR(r0, r1, 1e-5) << c.name;
        EXPECT_GT(r0, 0.0) << c.name;
      }
    }
  }
}

TEST_F(RingPath, SoftWallEntryIsAHalfCircleAndTheWayOutALeadOut) {
  RingSet::set_walls(rectangle(0, 0, 10, 10));
  RingSet set;
  set.add_boundary(rectangle(0.5, 0.5, 9.5, 9.5), 1, 0.5);
  set.add_boundary(rectangle(0.9, 0.9, 9.1, 9.1), 2, 0.4);
  ContourSettings s = linking_settings(2.0, 0.4, 1);
  s.finish_width = 1.0;
  s.finish_option = 1;
  s.finish_rings = 2;
  RingLinkRun run = joined(&set, s, 1);
  optimise_ring_links(&run);
  const std::vector<PathNode> nodes = path_nodes(run);
  size_t arc = nodes.size();
  for (size_t k = 0; k < nodes.size(); ++k) {
    if (nodes[k].ring == 0 && nodes[k].kind == NODE_ARC_CCW) arc = k;
  }
  ASSERT_LT(arc, nodes.size());
  EXPECT_EQ(count_kind(nodes, NODE_STEP), 0);  // the step onto ring 1 became the half circle
  double x0, y0, x1, y1;
  point_on_ring(run, RingTable::BOUNDARY, nodes[arc - 1].ring, nodes[arc - 1].param, &x0, &y0);
  point_on_ring(run, RingTable::BOUNDARY, 0, nodes[arc].param, &x1, &y1);
  EXPECT_NEAR(nodes[arc].aux_x, (x0 + x1) / 2, 1e-12);
  EXPECT_NEAR(nodes[arc].aux_y, (y0 + y1) / 2, 1e-12);
  // The end of the path leaves ring 1 by a third of the tool radius into the cleared area.
  const PathNode& out = nodes.back();
  ASSERT_EQ(out.kind, NODE_LEAD_OUT);
  const PathNode& last = nodes[nodes.size() - 2];
  double px, py;
  point_on_ring(run, RingTable::BOUNDARY, 0, last.param, &px, &py);
  EXPECT_NEAR(std::hypot(out.aux_x - px, out.aux_y - py), 0.5 / 3, 1e-12);
  EXPECT_GT(distance_to_walls(out.aux_x, out.aux_y), 0.5);
}

TEST_F(RingPath, RoughingThenFinishingMakeOneStreamWithOneEnd) {
  RingSet::set_walls(rectangle(0, 0, 10, 10));
  RingSet set = chain(0.4);
  set.shape.set_bounds();
  ContourSettings s = linking_settings(1.0, 0.4, 1);
  s.finish_rings = 3;
  s.finish_width = 0.8;
  ToolpathEngineState& g = g_toolpath_engine;
  const Shape& sh = set.shape;
  ASSERT_EQ(PathGen(sh.links.data(), sh.nodes.data(), nullptr, set.boundary.data(), 0, 3, s, 0, 0),
            1);
  const int32_t roughing_end = g.ring_path_count;
  g.roughing_made_rings = true;
  ASSERT_EQ(PathGen(sh.links.data(), sh.nodes.data(), nullptr, set.boundary.data(), 0, 3, s, 1, 0),
            1);
  const std::vector<RingPathRecord>& r = g.ring_path;
  EXPECT_EQ(r[0].code, RING_TOOL);
  EXPECT_EQ(r[0].tool, s.rough_tool);
  EXPECT_EQ(r[roughing_end - 1].code, RING_END_ROUGHING);
  EXPECT_EQ(r[roughing_end].code, RING_TOOL);
  EXPECT_EQ(r[roughing_end].tool, s.finish_tool);
  EXPECT_EQ(r[g.ring_path_count].code, RING_END);
  int32_t ends = 0, entries = 0;
  for (int32_t i = 0; i <= g.ring_path_count; ++i) {
    ends += r[i].code == RING_END || r[i].code == RING_END_ROUGHING ? 1 : 0;
    entries += r[i].code == RING_ENTRY || r[i].code == RING_MOVE ? 1 : 0;
  }
  EXPECT_EQ(ends, 2);
  EXPECT_EQ(entries, 2);  // the tool goes down once per run
}

TEST_F(RingPath, ArcLinksAreWrittenTurningTheWayTheWalkRuns) {
  for (const int32_t cut : {0, 1}) {
    RingSet set;
    set.add_boundary(circle(0, 0, 5), 1, 1.0);
    set.shape.set_bounds();
    const Shape& sh = set.shape;
    ASSERT_EQ(PathGen(sh.links.data(), sh.nodes.data(), nullptr, set.boundary.data(), 0, 1,
                      linking_settings(1.0, 0.6, cut), 0, 0),
              1);
    const ToolpathEngineState& g = g_toolpath_engine;
    int32_t arcs = 0;
    for (int32_t i = 0; i < g.ring_path_count; ++i) {
      const RingPathRecord& r = g.ring_path[i];
      if (r.code != RING_ARC_CW && r.code != RING_ARC_CCW) continue;
      ++arcs;
      EXPECT_EQ(r.code, cut == 1 ? RING_ARC_CCW : RING_ARC_CW) << cut;
      EXPECT_NEAR(r.cx, 0.0, 1e-12);
      EXPECT_NEAR(r.cy, 0.0, 1e-12);
    }
    EXPECT_EQ(arcs, 3) << cut;  // from the start to the far end, to the near end, to the start
  }
}

TEST_F(RingPath, LongInnerFinishingStretchesAreCutInThree) {
  RingSet set;
  set.add_boundary(rectangle(0, 0, 10, 10), 1, 1.0);
  ContourSettings s = linking_settings(2.0, 0.4, 1);
  s.finish_width = 1.0;
  s.finish_first_stepover = 0.4;
  RingLinkRun run = set.run(s, 1);
  struct Case {
    const char* name;
    int32_t ring;
    double allowance, length;
    bool split;
  };
  const Case cases[] = {
      {"inner ring, long stretch", 2, 0.2, 10.0, true},
      {"ring 1 stays whole", 1, 0.2, 10.0, false},
      {"ring nearer the wall than the allowance", 2, 1.0, 10.0, false},
      {"shorter than three widths", 2, 0.2, 2.9, false},
  };
  for (const Case& c : cases) {
    run.settings.finish_allowance = c.allowance;
    RingPathRecord a, b;
    a.code = b.code = RING_LINE;
    b.x = c.length;
    ContourNode p1{}, p2{};
    EXPECT_EQ(split_long_segment(run, c.ring, a, b, &p1, &p2), c.split ? 1 : 0) << c.name;
    if (c.split) {
      // J = 1.5 (R + A) - 2e is below a quarter of the roughing width here.
      EXPECT_NEAR(p1.x, 0.5, 1e-12) << c.name;
      EXPECT_NEAR(p2.x, c.length - 0.5, 1e-12) << c.name;
    }
  }
}

TEST_F(RingPath, RecordsThatWouldCarryNoNumberAreRefused) {
  RingSet set;
  set.add_boundary(rectangle(0, 0, 10, 10), 1, 1.0);
  RingLinkRun run = set.run(linking_settings(1.0, 0.6, 1));
  append_node(&run, 0, 0.5, NODE_START);
  append_node(&run, 0, std::nan(""), NODE_WALK);
  run.end_node = append_node(&run, 0, 0.0, NODE_MOVE);
  g_toolpath_engine.ring_path_count = 0;
  EXPECT_FALSE(write_ring_path(&run));
  EXPECT_EQ(g_toolpath_engine.ring_path_count, 0);
}

}  // namespace
