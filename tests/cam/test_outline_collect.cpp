// Outline collection: pen moves into the engine's contours, their closing and the settings
// each contour takes from its item's machining block.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "cam/open_profile.h"
#include "cam/outline_collect.h"
#include "nc/path_code.h"
#include "records/job_settings.h"
#include "records/pen_move.h"
#include "store/line_list.h"
#include "tests/cam/engine_fixture.h"
#include "tests/support/temp_folder_env.h"

namespace {

using namespace engine_test;

class Collect : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    reset_outline_collect();
    reset_list_store();
    g_job_settings = JobSettings{};
    g_encoder_inputs.tolerance = 0.002f;
    g_pen_move = PenMove{};
    temp_.emplace("brenvik_collect");
    pocket_alloc();
  }
  void TearDown() override {
    free_tool_path_items();
    reset_outline_collect();
    EngineTest::TearDown();
    temp_.reset();
  }
  std::optional<TempFolderEnv> temp_;  // the spill file's folder
  static void send(char code, float dx = 0, float dy = 0, float i = 0, float j = 0) {
    PenMove& m = g_pen_move;
    m.code = code;
    m.dx = dx;
    m.dy = dy;
    m.i = i;
    m.j = j;
    collect_pocket_outline();
  }
  // An item walked as the walkers walk it for the collector: start, the outline, end.
  static void walk_polyline(const std::vector<ContourNode>& points) {
    send('b');
    g_pen_move.x = static_cast<float>(points[0].x);
    g_pen_move.y = static_cast<float>(points[0].y);
    send('A');
    for (size_t k = 1; k < points.size(); ++k) {
      send('1', static_cast<float>(points[k].x - points[k - 1].x),
           static_cast<float>(points[k].y - points[k - 1].y));
    }
    send('f');
  }
  static CamToolBlock tool(int16_t number, float width) {
    CamToolBlock t;
    t.tool_number = number;
    t.cut_width = width;
    t.cut_depth = 0.5f;
    t.stepover_percent = 40;
    t.ramp_angle = 30;
    return t;
  }
  static const OutlineCollectState& c() { return g_outline_collect; }
};

const std::vector<ContourNode> SQUARE = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};

TEST_F(Collect, CircleItemIsOneWholeCircleContour) {
  g_outline_collect.params.operation = CAM_OP_SPIRAL_POCKET;
  g_outline_collect.params.finishing = tool(1, 1.0f);
  send('b');
  g_pen_move.x = 7.0f;
  g_pen_move.y = 2.0f;
  send('A');
  send('2', 0, 0, -3.0f, 0.0f);  // a whole turn about (4, 2)
  send('f');
  ASSERT_EQ(c().contour_count, 1);
  EXPECT_EQ(c().contour_start[0], c().contour_end[0]);
  const ContourLink& l = c().links[c().contour_start[0]];
  EXPECT_EQ(l.kind, SEGMENT_CIRCLE);
  EXPECT_DOUBLE_EQ(l.radius, 3.0);
  EXPECT_DOUBLE_EQ(c().nodes[l.centre_node].x, 4.0);
}

TEST_F(Collect, SmallGapsCloseOnTheFirstNodeAndWiderOnesGetAClosingLine) {
  g_outline_collect.params.operation = CAM_OP_SPIRAL_POCKET;
  g_outline_collect.params.finishing = tool(1, 1.0f);
  struct Case {
    double gap;
    int32_t links;
  };
  // Six job tolerances (0.012) decide.
  for (const Case& k : {Case{0.004, 4}, Case{0.1, 5}}) {
    pocket_alloc();
    std::vector<ContourNode> points = SQUARE;
    points.push_back({k.gap, 0.0});
    walk_polyline(points);
    ASSERT_EQ(c().contour_count, 1) << k.gap;
    const int32_t first = c().contour_start[0], last = c().contour_end[0];
    EXPECT_EQ(last - first + 1, k.links) << k.gap;
    EXPECT_EQ(c().links[last].end_node, c().links[first].start_node) << k.gap;
  }
}

TEST_F(Collect, FinishingPassesSetTheRingCountByOperation) {
  struct Case {
    uint8_t operation;
    uint8_t passes;
    int32_t rings;
  };
  const Case cases[] = {{CAM_OP_CONTOUR_INSIDE, 3, 3},
                        {CAM_OP_CONTOUR_OUTSIDE, 3, -3},
                        {CAM_OP_CONTOUR_INSIDE, 0, 1},
                        {CAM_OP_SPIRAL_POCKET, 3, RINGS_WHOLE_AREA},
                        {CAM_OP_CONTOUR_ISLANDS, 3, 1}};
  for (const Case& k : cases) {
    pocket_alloc();
    CamParams& p = g_outline_collect.params;
    p = CamParams{};
    p.operation = k.operation;
    p.contour_passes = k.passes;
    p.finishing = tool(4, 0.5f);
    walk_polyline(SQUARE);
    ASSERT_EQ(c().contour_count, 1);
    const ContourSettings& s = c().settings[0];
    EXPECT_EQ(s.finish_rings, k.rings) << int{k.operation};
    EXPECT_EQ(s.rough_rings, 0);
    EXPECT_EQ(s.ramp_angle, 90.0);
    EXPECT_EQ(s.finish_tool, 4);
    EXPECT_NEAR(s.finish_stepover, k.operation == CAM_OP_SPIRAL_POCKET ? 0.4 : 0.99, 1e-7);
  }
}

TEST_F(Collect, RoughingAndFinishingWithOneToolNumberAreToldApart) {
  CamParams& p = g_outline_collect.params;
  p.operation = CAM_OP_SPIRAL_POCKET;
  p.finishing = tool(3, 0.5f);
  p.roughing = tool(3, 1.0f);
  p.finish_allowance = 0.05f;
  p.machining_group = 2;
  p.machining_order = 7;
  walk_polyline(SQUARE);
  ASSERT_EQ(c().contour_count, 1);
  const ContourSettings& s = c().settings[0];
  EXPECT_EQ(s.rough_tool, 3);
  EXPECT_EQ(s.finish_tool, 4);
  EXPECT_EQ(s.rough_rings, RINGS_WHOLE_AREA);
  EXPECT_EQ(s.entry_mode, 2);
  EXPECT_NEAR(s.finish_allowance, 0.05, 1e-7);
  EXPECT_EQ(s.group_order, (2 << 16) + 7);
  EXPECT_EQ(s.ramp_angle, 30.0);
}

TEST_F(Collect, LargerFinishingToolIsNotedOnce) {
  CamParams& p = g_outline_collect.params;
  p.operation = CAM_OP_SPIRAL_POCKET;
  p.finishing = tool(1, 2.0f);
  p.roughing = tool(2, 1.0f);
  walk_polyline(SQUARE);
  walk_polyline(SQUARE);
  ASSERT_EQ(g_cam_host_log.messages.size(), 1u);
  EXPECT_EQ(g_cam_host_log.messages[0], COLLECT_LARGER_TOOL_NOTE);
  // A new job shows the note again.
  reset_larger_tool_note();
  walk_polyline(SQUARE);
  ASSERT_EQ(g_cam_host_log.messages.size(), 2u);
  EXPECT_EQ(g_cam_host_log.messages[1], COLLECT_LARGER_TOOL_NOTE);
}

TEST_F(Collect, BladeOutlinesAreOpenOrClosedByTheirGap) {
  CamParams& p = g_outline_collect.params;
  p.operation = CAM_OP_BLADE;
  p.finishing = tool(1, 0.1f);
  struct Case {
    double gap;
    int32_t profile;
    int32_t links;
  };
  for (const Case& k : {Case{0.06, 1, 4}, Case{0.04, 2, 5}}) {
    pocket_alloc();
    std::vector<ContourNode> points = SQUARE;
    points.push_back({k.gap, 0.0});
    walk_polyline(points);
    ASSERT_EQ(c().contour_count, 1) << k.gap;
    EXPECT_EQ(c().settings[0].profile_mode, k.profile) << k.gap;
    const int32_t first = c().contour_start[0], last = c().contour_end[0];
    EXPECT_EQ(last - first + 1, k.links) << k.gap;
    EXPECT_EQ(c().links[last].end_node, c().links[first].start_node) << k.gap;
  }
}

// An open line cut tool right or tool left stays open, even a single line; a pocket of the
// same line, a letter's stroke and a line whose ends nearly meet are closed as before.
TEST_F(Collect, OpenLinesCutOnOneSideStayOpen) {
  CamParams& p = g_outline_collect.params;
  p.finishing = tool(1, 0.5f);
  struct Case {
    uint8_t operation;
    bool text;
    std::vector<ContourNode> points;
    int32_t profile;
    int32_t links;
  };
  const std::vector<ContourNode> nearly_closed = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0.004, 0}};
  const Case cases[] = {
      {CAM_OP_CONTOUR_INSIDE, false, SQUARE, PROFILE_ONE_SIDED, 3},
      {CAM_OP_CONTOUR_OUTSIDE, false, {{0, 0}, {5, 5}}, PROFILE_ONE_SIDED, 1},
      {CAM_OP_SPIRAL_POCKET, false, SQUARE, 0, 4},
      {CAM_OP_CONTOUR_INSIDE, true, SQUARE, 0, 4},
      {CAM_OP_CONTOUR_INSIDE, false, nearly_closed, 0, 4},
  };
  for (const Case& k : cases) {
    pocket_alloc();
    p.operation = k.operation;
    g_outline_collect.text_char_counter = k.text ? 1 : 0;
    walk_polyline(k.points);
    g_outline_collect.text_char_counter = 0;
    ASSERT_EQ(c().contour_count, 1) << int{k.operation};
    EXPECT_EQ(c().settings[0].profile_mode, k.profile) << int{k.operation};
    const int32_t first = c().contour_start[0], last = c().contour_end[0];
    EXPECT_EQ(last - first + 1, k.links) << int{k.operation};
    const ContourNode& end = c().nodes[c().links[last].end_node];
    EXPECT_EQ(end.x, k.points.back().x == 0.004 ? 0.0 : k.points.back().x) << int{k.operation};
  }
}

TEST_F(Collect, ContoursWithoutAnyToolAreDropped) {
  g_outline_collect.params.operation = CAM_OP_CONTOUR_INSIDE;
  walk_polyline(SQUARE);
  EXPECT_EQ(c().contour_count, 0);
  // An island needs no tool.
  g_outline_collect.params.operation = CAM_OP_ISLAND;
  walk_polyline(SQUARE);
  EXPECT_EQ(c().contour_count, 1);
}

TEST_F(Collect, ContourPhaseMachinesEachItemAsItEnds) {
  g_outline_collect.phase = COLLECT_CONTOUR_PHASE;
  CamParams& p = g_outline_collect.params;
  p.operation = CAM_OP_CONTOUR_INSIDE;
  p.finishing = tool(1, 1.0f);
  walk_polyline(SQUARE);
  walk_polyline({{20, 0}, {30, 0}, {30, 10}, {20, 10}});
  int items = 0;
  for (DrawingItem* i = g_lists.slots[LIST_SLOT_TOOL_PATHS].first; i != nullptr; i = i->next) {
    ++items;
  }
  EXPECT_EQ(items, 2);
  EXPECT_EQ(c().contour_count, 0);
}

TEST_F(Collect, CollectOnlyModeNeverRunsTheEngine) {
  g_outline_collect.mode = COLLECT_ONLY;
  g_outline_collect.params.operation = CAM_OP_SPIRAL_POCKET;
  g_outline_collect.params.finishing = tool(1, 1.0f);
  walk_polyline(SQUARE);
  EXPECT_EQ(machine_collected_group(), 0);
  EXPECT_EQ(c().contour_count, 1);
  EXPECT_EQ(g_lists.slots[LIST_SLOT_TOOL_PATHS].first, nullptr);
}

TEST_F(Collect, EscapeCancelsTheRun) {
  g_outline_collect.params.operation = CAM_OP_SPIRAL_POCKET;
  g_outline_collect.params.finishing = tool(1, 0.2f);
  walk_polyline(SQUARE);
  g_cam_host_log.escape_after_polls = 2;
  EXPECT_EQ(machine_collected_group(), ENGINE_CANCELLED);
}

}  // namespace
