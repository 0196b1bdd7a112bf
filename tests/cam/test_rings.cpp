// Pocket and contour rings: settings normalisation, the rings of each tool, contour sides and
// the retries with smaller tools.
#include <gtest/gtest.h>

#include <cmath>

#include "cam/rings.h"
#include "tests/cam/engine_fixture.h"

namespace {

using namespace engine_test;

class Rings : public EngineTest {
 protected:
  // Runs one attempt on the shape (contour 0 the boundary, the rest islands).
  int32_t attempt(const Shape& s, const ContourSettings& settings) {
    starts.clear();
    ends.clear();
    for (size_t c = 1; c < s.firsts.size(); ++c) {
      starts.push_back(s.firsts[c]);
      ends.push_back(s.lasts[c]);
    }
    const int32_t islands = static_cast<int32_t>(starts.size());
    const int32_t n = prepare_working_outline(s.links.data(), s.nodes.data(), s.firsts[0],
                                              s.lasts[0], starts.data(), ends.data(), islands);
    ContourSettings copy = settings;
    if (normalise_ring_settings(&copy) != 1) return -100;
    return pocket_rings(0, n - 1, starts.data(), ends.data(), islands, copy);
  }
  // The smallest x of a ring's links (the distance of a rectangle ring from the left wall).
  static double ring_left(const RingEntry& e) {
    const ToolpathEngineState& g = g_toolpath_engine;
    double x = 1e300;
    for (int32_t k = e.start_link; k <= e.end_link; ++k) {
      x = std::min(x, g.ring_nodes[g.ring_links[k].start_node].x);
    }
    return x;
  }
  static int count_ring_path(int32_t code, int32_t from = 0) {
    int n = 0;
    for (int32_t i = from; i < g_toolpath_engine.ring_path_count; ++i) {
      if (g_toolpath_engine.ring_path[i].code == code) ++n;
    }
    return n;
  }
  // Where the tool goes down: entries and moves (a lead-in from a free point is a move).
  static int count_starts(int32_t from = 0) {
    return count_ring_path(RING_ENTRY, from) + count_ring_path(RING_MOVE, from);
  }
  static int32_t roughing_end() {
    for (int32_t i = 0; i < g_toolpath_engine.ring_path_count; ++i) {
      if (g_toolpath_engine.ring_path[i].code == RING_END_ROUGHING) return i;
    }
    return -1;
  }
  std::vector<int32_t> starts, ends;
};

TEST_F(Rings, NormalisingDerivesTheFinishingRingsAndRefusesBadTools) {
  struct Case {
    const char* name;
    double rough_width, rough_stepover, finish_width, finish_stepover, allowance;
    int32_t finish_rings;
    int32_t usable, status, rings;  // rings -1: not looked at
  };
  // r = W/2 + A is the wall-to-centre distance of the first roughing ring.
  const Case cases[] = {
      {"finishing tool wider than r", 1.0, 0.4, 1.0, 0.4, 0.0, 3, 1, 0, 1},
      {"r within one step", 1.0, 0.4, 0.4, 0.5, 0.05, 3, 1, 0, 2},
      {"r several steps away", 2.0, 0.4, 0.25, 0.4, 0.1, 3, 1, 0, 10},
      {"allowance wider than the roughing tool", 0.2, 0.4, 0.5, 0.4, 1.05, 3, 1, 0, 6},
      {"no finishing wanted", 1.0, 0.4, 0.2, 0.5, 0.1, 0, 1, 0, 0},
      {"zero roughing width", 0.0, 0.4, 0.2, 0.5, 0.1, 3, 0, ENGINE_STATUS_BAD_WIDTH, -1},
      {"stepover of a whole width", 1.0, 1.0, 0.2, 0.5, 0.1, 3, 0, ENGINE_STATUS_BAD_STEPOVER, -1},
      {"zero finishing stepover", 1.0, 0.4, 0.2, 0.0, 0.1, 3, 0, ENGINE_STATUS_BAD_STEPOVER, -1},
  };
  for (const Case& c : cases) {
    reset_contour_kernel_state();
    ContourSettings s = two_tool_settings(RINGS_WHOLE_AREA, c.rough_width, c.rough_stepover,
                                          c.finish_width, c.finish_rings, c.allowance);
    s.finish_stepover = c.finish_stepover;
    s.finish_first_stepover = c.finish_stepover;
    EXPECT_EQ(normalise_ring_settings(&s), c.usable) << c.name;
    EXPECT_EQ(g_contour_kernel.EngineStatus, c.status) << c.name;
    if (c.rings >= 0) {
      EXPECT_EQ(s.finish_rings, c.rings) << c.name;
    }
  }
}

TEST_F(Rings, WithoutRoughingToolTheFinishingToolRoughs) {
  ContourSettings s = pocket_settings(0.5, 0.3);
  s.finish_tool = 7;
  s.finish_step_down = 0.25;
  ASSERT_EQ(normalise_ring_settings(&s), 1);
  EXPECT_EQ(s.rough_rings, RINGS_WHOLE_AREA);
  EXPECT_EQ(s.finish_rings, 0);
  EXPECT_EQ(s.rough_width, 0.5);
  EXPECT_EQ(s.rough_stepover, 0.3);
  EXPECT_EQ(s.rough_tool, 7);
  EXPECT_EQ(s.rough_step_down, 0.25);
  EXPECT_EQ(s.rough_last_pass, 0.25);
  EXPECT_EQ(s.finish_tool, ENGINE_NO_TOOL);
}

TEST_F(Rings, SpiralPocketRingsStepInFromTheAllowance) {
  Shape s;
  s.add_closed(rectangle(0, 0, 10, 6));
  s.set_bounds();
  // A roughing tool of width 1 at 40 %, allowance 0.1, widths as the outline run shrinks them.
  ContourSettings settings = two_tool_settings(RINGS_WHOLE_AREA, 1.0 * RINGS_ROUGH_WIDTH_SHRINK,
                                               0.4, 0.0, 0, 0.1);
  ASSERT_EQ(attempt(s, settings), ENGINE_DONE);
  const std::vector<RingEntry>& rings = g_toolpath_engine.boundary_rings;
  // Rings until the half height 3 is used up: 0.1 + 0.5 w + 6 x 0.4 w < 3.
  ASSERT_EQ(rings.size(), 7u);
  for (size_t k = 0; k < rings.size(); ++k) {
    EXPECT_EQ(rings[k].ring, static_cast<int32_t>(k) + 1);
    const double expected = 0.1 + 0.5 * 0.999952 + k * 0.4 * 0.999952;
    EXPECT_NEAR(ring_left(rings[k]), expected, 1e-9) << "ring " << k + 1;
    EXPECT_NEAR(rings[k].spacing, k == 0 ? 0.1 + 0.5 * 0.999952 : 0.4 * 0.999952, 1e-12);
  }
}

TEST_F(Rings, ToolFittingASlotExactlyStillCutsIt) {
  Shape s;
  s.add_closed(rectangle(0, 0, 10, 1));
  s.set_bounds();
  std::vector<int32_t> none;
  const ContourSettings settings = pocket_settings(1.0, 0.4);
  ContourSettings copy = settings;
  ASSERT_EQ(normalise_ring_settings(&copy), 1);
  EXPECT_EQ(run_pocket_rings(s.links.data(), s.nodes.data(), 0, 3, none.data(), none.data(), 0,
                             copy),
            1);
  EXPECT_EQ(count_ring_path(RING_ENTRY), 1);
}

TEST_F(Rings, ContourInsideKeepsOneRoughingRingHalfAToolFromTheAllowance) {
  Shape s;
  s.add_closed(rectangle(0, 0, 20, 10));
  s.set_bounds();
  ASSERT_EQ(attempt(s, two_tool_settings(1, 2.0, 0.4, 0.0, 0, 0.3)), ENGINE_DONE);
  const std::vector<RingEntry>& rings = g_toolpath_engine.boundary_rings;
  // Ring 1 on the tool's centre line; ring 2 half a width further only bounds it.
  ASSERT_EQ(rings.size(), 2u);
  EXPECT_NEAR(ring_left(rings[0]), 1.3, 1e-12);
  EXPECT_NEAR(ring_left(rings[1]), 2.3, 1e-12);
  EXPECT_EQ(count_ring_path(RING_ENTRY), 1);
}

TEST_F(Rings, ContourInsideWithBothToolsFinishesFromTheWall) {
  Shape s;
  s.add_closed(rectangle(0, 0, 20, 10));
  s.set_bounds();
  ContourSettings settings = two_tool_settings(1, 2.0, 0.4, 0.5, 3, 0.3);
  ContourSettings expected = settings;
  ASSERT_EQ(normalise_ring_settings(&expected), 1);
  ASSERT_EQ(attempt(s, settings), ENGINE_DONE);
  // The lists hold the finishing rings, the first at the wall; at most as many as the band
  // needs (they stop early once a ring lies in the roughed area).
  const std::vector<RingEntry>& rings = g_toolpath_engine.boundary_rings;
  ASSERT_GE(rings.size(), 2u);
  ASSERT_LE(static_cast<int32_t>(rings.size()), expected.finish_rings);
  EXPECT_NEAR(ring_left(rings[0]), 0.25, 1e-12);
  EXPECT_NEAR(ring_left(rings[1]), 0.45, 1e-12);
  // The path: the roughing part with its one ring, then the finishing part, whose rings are
  // joined into one piece that leads in from the roughing ring.
  EXPECT_EQ(count_ring_path(RING_END_ROUGHING), 1);
  const int32_t end = roughing_end();
  ASSERT_GT(end, 0);
  EXPECT_EQ(count_ring_path(RING_ENTRY) - count_ring_path(RING_ENTRY, end), 1);
  EXPECT_EQ(count_starts(end), 1);
  EXPECT_EQ(g_toolpath_engine.ring_path[end + 1].code, RING_TOOL);
  EXPECT_EQ(g_toolpath_engine.ring_path[end + 2].code, RING_MOVE);
}

TEST_F(Rings, ContourOutsideRunsOutsideAgainstTheCutDirection) {
  Shape s;
  s.add_closed(rectangle(0, 0, 20, 10));
  s.set_bounds();
  ContourSettings settings = two_tool_settings(-1, 2.0, 0.4, 0.0, 0, 0.3);
  settings.cut_direction = 0;
  ASSERT_EQ(attempt(s, settings), ENGINE_DONE);
  const RingEntry& ring = g_toolpath_engine.boundary_rings[0];
  EXPECT_NEAR(ring_left(ring), -1.3, 1e-12);
  const ToolpathEngineState& g = g_toolpath_engine;
  EXPECT_GT(loop_area(g.ring_links.data(), g.ring_nodes.data(), ring.start_link, ring.end_link),
            200.0);
  // Conventional cutting outside the outline runs the ring the other way than inside: the
  // linking walks it forwards (the flipped direction 1), so the path turns counter-clockwise.
  std::vector<ContourNode> path;
  for (int32_t i = 0; i < g.ring_path_count; ++i) {
    if (g.ring_path[i].code == RING_ENTRY || g.ring_path[i].code == RING_LINE ||
        g.ring_path[i].code == RING_ARC_CW || g.ring_path[i].code == RING_ARC_CCW) {
      path.push_back({g.ring_path[i].x, g.ring_path[i].y});
    }
  }
  EXPECT_GT(contour_test::polygon_area(path), 0.0);
}

TEST_F(Rings, ContourPassesWithoutRoughingToolEachMakeARing) {
  Shape s;
  s.add_closed(rectangle(0, 0, 20, 10));
  s.set_bounds();
  for (const int32_t side : {1, -1}) {
    reset_toolpath_engine();
    ContourSettings settings = pocket_settings(1.0, 0.99);
    settings.finish_rings = 3 * side;  // three contour passes
    settings.finish_first_stepover = 0.45;
    ASSERT_EQ(attempt(s, settings), ENGINE_DONE) << side;
    // Three rings on the wanted side, stepped out from the wall. Inside, each ring lies within
    // the one before and they join into one piece; outside, each encloses the one before, so
    // no step joins them and each is a piece of its own.
    EXPECT_EQ(count_starts(), side == 1 ? 1 : 3) << side;
    const std::vector<RingEntry>& rings = g_toolpath_engine.boundary_rings;
    ASSERT_GE(rings.size(), 3u) << side;
    EXPECT_NEAR(ring_left(rings[0]), side * 0.5, 1e-12) << side;
    EXPECT_NEAR(ring_left(rings[1]), side * 0.95, 1e-12) << side;
    EXPECT_GT(side * ring_left(rings[2]), 0.95) << side;
  }
}

TEST_F(Rings, PocketTooNarrowForTheRoughingToolIsFinishedOnly) {
  Shape s;
  s.add_closed(rectangle(0, 0, 10, 1.5));
  s.set_bounds();
  ContourSettings settings = two_tool_settings(RINGS_WHOLE_AREA, 2.0, 0.4, 0.5, 2, 0.1);
  ASSERT_EQ(attempt(s, settings), ENGINE_DONE);
  const ToolpathEngineState& g = g_toolpath_engine;
  ASSERT_GT(g.ring_path_count, 0);
  EXPECT_EQ(g.ring_path[0].code, RING_TOOL);
  EXPECT_EQ(g.ring_path[0].tool, settings.finish_tool);
  EXPECT_EQ(count_ring_path(RING_END_ROUGHING), 0);
  EXPECT_FALSE(g.roughing_made_rings);
}

TEST_F(Rings, PocketTooNarrowForBothToolsMakesNothing) {
  Shape s;
  s.add_closed(rectangle(0, 0, 10, 0.4));
  s.set_bounds();
  EXPECT_EQ(attempt(s, two_tool_settings(RINGS_WHOLE_AREA, 2.0, 0.4, 0.5, 2, 0.1)),
            ENGINE_NOTHING);
}

TEST_F(Rings, DumbbellClearsOneRoomAfterTheOther) {
  Shape s;
  // Two 6 x 6 rooms joined by a corridor 1.2 wide, which the second ring no longer passes.
  s.add_closed(polygon({{0, 0}, {6, 0}, {6, 2.4}, {10, 2.4}, {10, 0}, {16, 0},
                        {16, 6}, {10, 6}, {10, 3.6}, {6, 3.6}, {6, 6}, {0, 6}}));
  s.set_bounds();
  ASSERT_EQ(attempt(s, pocket_settings(1.0, 0.4)), ENGINE_DONE);
  const std::vector<RingEntry>& rings = g_toolpath_engine.boundary_rings;
  // After the split both rooms get rings of their own; the room that split off waits in the
  // pending list until the one that goes on at once is cleared, so every ring of one room
  // comes before the other's.
  int switches = 0;
  bool left = ring_left(rings[1]) < 8.0;
  for (size_t k = 2; k < rings.size(); ++k) {
    const bool now = ring_left(rings[k]) < 8.0;
    if (now != left) ++switches;
    left = now;
  }
  EXPECT_EQ(switches, 1);
  EXPECT_GT(rings.size(), 6u);
}

TEST_F(Rings, EscapeDuringAnOutlineGivesItUp) {
  Shape s;
  s.add_closed(rectangle(0, 0, 10, 6));
  s.set_bounds();
  g_cam_host_log.escape_after_polls = 3;
  EXPECT_EQ(attempt(s, pocket_settings(1.0, 0.4)), ENGINE_NOTHING);
  EXPECT_TRUE(g_toolpath_engine.abort);
}

}  // namespace
