// The make-NC driver run in the test process: checks, order, depth passes, tool changes, and
// the runs that must not end in a program presented as complete (Esc, memory, a curved surface).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "store/message_ids.h"
#include "tests/cam/make_nc_fixture.h"
#include "tests/nc/nc_program_lines.h"

namespace {


int lines_with(const std::string& text) {
  int n = 0;
  for (const std::string& l : nc_program_lines()) n += l.find(text) != std::string::npos ? 1 : 0;
  return n;
}

int lines_equal(const std::string& text) {
  const std::vector<std::string> l = nc_program_lines();
  return static_cast<int>(std::count(l.begin(), l.end(), text));
}

bool logged(const std::string& text) {
  for (const std::string& m : g_cam_host_log.messages)
    if (m.find(text) != std::string::npos) return true;
  return false;
}

class MakeNcTest : public MakeNcFixture {};

TEST_F(MakeNcTest, CenterlineDepthPassesReachTheDepthInEqualSteps) {
  use_definition();
  make_item(ITEM_POLYLINE, {{0, 0}, {2, 0}}, centerline_cut(0.1f, 0.03f, 1, 10));
  ASSERT_EQ(make_nc_program(), 1) << g_make_nc.failure;
  for (const char* depth : {"Z-0.025", "Z-0.05", "Z-0.075", "Z-0.1"})
    EXPECT_EQ(lines_with(std::string("G01") + depth), 1) << depth;
  EXPECT_EQ(g_job_settings.nc_state, NC_STATE_PROGRAM_READY);
  EXPECT_EQ(nc_program_lines().back(), "%");
}

TEST_F(MakeNcTest, GroupsAreCutInAscendingOrderWhateverTheListOrder) {
  use_definition();
  make_item(ITEM_POLYLINE, {{5, 0}, {6, 0}}, centerline_cut(0.01f, 0, 1, 20));
  make_item(ITEM_POLYLINE, {{1, 0}, {2, 0}}, centerline_cut(0.01f, 0, 1, 10));
  ASSERT_EQ(make_nc_program(), 1) << g_make_nc.failure;
  const std::vector<std::string> l = nc_program_lines();
  const auto at = [&](const std::string& text) {
    return std::find_if(l.begin(), l.end(),
                        [&](const std::string& s) { return s.find(text) != std::string::npos; }) -
           l.begin();
  };
  EXPECT_LT(at("X2"), at("X6"));
}

TEST_F(MakeNcTest, ToolChangesOnlyWhenTheToolNumberChanges) {
  use_definition();
  CamParams drill = centerline_cut(0.2f, 0, 3, 10);
  make_drill_pattern(0, 0, 2, 1, 1, 1, drill);  // two drill points in a row
  make_drill_pattern(5, 0, 0, 0, 0, 0, drill);  // another item with the same tool
  make_item(ITEM_POLYLINE, {{0, 2}, {1, 2}}, centerline_cut(0.01f, 0, 4, 20));
  ASSERT_EQ(make_nc_program(), 1) << g_make_nc.failure;
  // The start section carries the first tool; one tool-change section the second.
  EXPECT_EQ(lines_with("M06T3"), 1);
  EXPECT_EQ(lines_with("M06T4"), 1);
  EXPECT_EQ(lines_with("G81"), 3);
  // The two cycles in a row share one cancel; the lift to the next item cancels the third.
  const std::vector<std::string> l = nc_program_lines();
  const auto first = std::find_if(l.begin(), l.end(),
                                  [](const std::string& s) { return s.rfind("G81", 0) == 0; });
  ASSERT_NE(first, l.end());
  EXPECT_EQ(first[1].rfind("G81X1", 0), 0u) << first[1];
  EXPECT_EQ(first[2], "G80");
  EXPECT_EQ(lines_equal("G80"), 2);
}

TEST_F(MakeNcTest, EscapeCancelsTheRunAndNothingIsPresentedAsAProgram) {
  use_definition();
  for (int k = 0; k < 40; ++k)
    make_item(ITEM_POLYLINE, {{float(k), 0}, {float(k), 1}}, centerline_cut(0.01f, 0, 1, 10));
  g_cam_host_log.escape_after_polls = 1;
  EXPECT_EQ(make_nc_program(), 0);
  EXPECT_TRUE(g_make_nc.cancelled);
  EXPECT_TRUE(logged("cancelled"));
  EXPECT_NE(g_job_settings.nc_state, NC_STATE_PROGRAM_READY);
  EXPECT_EQ(g_path_code.op_capacity, 0);  // the path code is freed
}

TEST_F(MakeNcTest, RunningOutOfMemoryIsToldAndGivesNoProgram) {
  use_definition();
  for (int k = 0; k < 400; ++k)
    make_item(ITEM_POLYLINE, {{float(k), 0}, {float(k), 1}, {float(k) + 0.5f, 1}},
              centerline_cut(0.01f, 0, 1, 10));
  ASSERT_EQ(path_alloc(), 0);  // so that the hook hits a growth during the run
  path_fail_next_growth(true);
  EXPECT_EQ(make_nc_program(), 0);
  EXPECT_TRUE(logged("Out of memory"));
  EXPECT_NE(g_job_settings.nc_state, NC_STATE_PROGRAM_READY);
}

TEST_F(MakeNcTest, WorkSurfaceChecksStopBeforeAnythingIsMade) {
  struct Case {
    int32_t flag;
    float angle, radius;
    const char* expected;
  };
  const Case cases[] = {
      {2, 0, 0, "catalogue 10761"},                // sloping, no slope angle
      {1 << 4, 0.3f, 0, "catalogue 10760"},        // horizontal cone: no radius
      {1 << 4, 0.7853982f, 5, "half-angle of 45"}, // horizontal cone at 45 degrees: no ends
      {1 << 4, 1e-12f, 5, "makes no cone"},         // a half-angle too small to divide by
  };
  for (const Case& c : cases) {
    SetUp();
    use_definition();
    make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, centerline_cut(0.01f, 0, 1, 10));
    g_job_settings.surface_flag = c.flag;
    g_job_settings.surface_angle = c.angle;
    g_job_settings.surface_radius = c.radius;
    EXPECT_EQ(make_nc_program(), 0) << c.expected;
    EXPECT_TRUE(logged(c.expected)) << c.expected;
    EXPECT_EQ(g_job_settings.nc_state, NC_STATE_BACK_TO_SETUP) << c.expected;
    EXPECT_EQ(g_lists.slots[LIST_SLOT_NC_PROGRAM].first, nullptr) << c.expected;
    TearDown();
  }
}

TEST_F(MakeNcTest, AnItemWithoutAToolStopsTheRunUnlessGivenTheDefaults) {
  use_definition();
  CamParams no_tool = centerline_cut(0.01f, 0, 1, 10);
  no_tool.finishing.cut_width = 0;
  DrawingItem* item = make_item(ITEM_POLYLINE, {{3, 4}, {5, 4}}, no_tool);
  EXPECT_EQ(make_nc_program(), 0);
  EXPECT_TRUE(logged("catalogue " + std::to_string(MSG_CHOICE_MISSING_TOOL)));
  EXPECT_EQ(g_make_nc.result_flags, MAKE_NC_FAILED);
  EXPECT_EQ(g_make_nc.problem_item_id, item_id(item));
}

TEST_F(MakeNcTest, ItemsThatCanNotBeMachinedYetAreReported) {
  use_definition();
  make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, centerline_cut(0.01f, 0, 1, 10));
  CamParams pocket = centerline_cut(0.01f, 0, 1, 10);
  pocket.operation = CAM_OP_SPIRAL_POCKET;
  pocket.finishing.cut_width = 2.0f;  // wider than the pocket: no tool path fits
  make_item(ITEM_POLYLINE, {{0, 2}, {1, 2}, {1, 3}, {0, 2}}, pocket);
  ASSERT_EQ(make_nc_program(), 1) << g_make_nc.failure;
  ASSERT_EQ(g_make_nc.left_out.size(), 1u);
  EXPECT_NE(g_make_nc.left_out[0].find("not machined"), std::string::npos);
  EXPECT_TRUE(logged("not machined"));
}

// Two pockets of one group: the one too narrow for its tool is named, the other is cut.
TEST_F(MakeNcTest, APocketWithoutAPathInAMachinedGroupIsNamed) {
  use_definition();
  CamParams pocket = centerline_cut(0.01f, 0, 1, 10);
  pocket.operation = CAM_OP_SPIRAL_POCKET;
  pocket.finishing.cut_width = 0.5f;
  make_item(ITEM_POLYLINE, {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}}, pocket);
  DrawingItem* narrow = make_item(ITEM_POLYLINE, {{6, 0}, {6.3f, 0}, {6.3f, 3}, {6, 3}, {6, 0}}, pocket);
  ASSERT_EQ(make_nc_program(), 1) << g_make_nc.failure;
  ASSERT_EQ(g_make_nc.left_out.size(), 1u);
  EXPECT_NE(g_make_nc.left_out[0].find("not machined"), std::string::npos);
  EXPECT_NE(g_make_nc.left_out[0].find(std::to_string(item_id(narrow))), std::string::npos)
      << g_make_nc.left_out[0];
  EXPECT_NE(g_lists.slots[LIST_SLOT_TOOL_PATHS].first, nullptr) << "the wide pocket is cut";
}

TEST_F(MakeNcTest, NothingToMachineSaysSo) {
  use_definition();
  make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, centerline_cut(0.01f, 0, 1, 10));
  set_item_flags(g_lists.current.first, 0);
  EXPECT_EQ(make_nc_program(), 0);
  EXPECT_TRUE(logged("catalogue " + std::to_string(MSG_NOTHING_TO_MACHINE)));
}

TEST_F(MakeNcTest, ProofRunWritesTheProofFileAndNoProgram) {
  use_definition();
  make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, centerline_cut(0.01f, 0, 1, 10));
  g_proof.run_level = 1;
  EXPECT_EQ(make_nc_program(), POST_PROOF_DONE) << g_make_nc.failure;
  EXPECT_EQ(g_job_settings.nc_state, NC_STATE_PROOF_READY);
  EXPECT_EQ(g_lists.slots[LIST_SLOT_NC_PROGRAM].first, nullptr);
  std::vector<ProofRecord> records;
  ASSERT_TRUE(read_proof_file(proof_file_path(), &records));
  EXPECT_TRUE(std::any_of(records.begin(), records.end(), [](const ProofRecord& r) {
    return r.kind == '1' && proof_field_f32(r, 0) == 1.0f;
  }));
  proof_delete_file();
}

// A job without a tolerance is machined with the unit's default; the job keeps its own setting.
TEST_F(MakeNcTest, TheRunWorksWithItsOwnToleranceAndLeavesTheJobsAlone) {
  use_definition();
  make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, centerline_cut(0.01f, 0, 1, 10));
  g_job_settings.tolerance = 0.0f;
  ASSERT_EQ(make_nc_program(), 1) << g_make_nc.failure;
  EXPECT_EQ(g_job_settings.tolerance, 0.0f);
  EXPECT_EQ(g_encoder_inputs.tolerance, 0.004f);
  g_job_settings.tolerance = 0.01f;
  ASSERT_EQ(make_nc_program(), 1) << g_make_nc.failure;
  EXPECT_EQ(g_encoder_inputs.tolerance, 0.01f);
}

// The run reaches the program's view and redraw only through the host.
TEST_F(MakeNcTest, ViewAndRedrawGoThroughTheHost) {
  use_definition();
  make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, centerline_cut(0.01f, 0, 1, 10));
  ASSERT_EQ(make_nc_program(), 1) << g_make_nc.failure;
  EXPECT_EQ(g_cam_host_log.view_preparations, 1);
  clear_tool_path();  // no tool paths: nothing to redraw
  EXPECT_EQ(g_cam_host_log.redraw_requests, 0);
  g_lists.slots[LIST_SLOT_TOOL_PATHS] = g_lists.current;
  g_lists.current = LineList{};
  g_job_settings.nc_state = NC_STATE_PROGRAM_READY;
  clear_tool_path();
  EXPECT_EQ(g_cam_host_log.redraw_requests, 1);
  EXPECT_EQ(g_lists.slots[LIST_SLOT_TOOL_PATHS].first, nullptr);
  EXPECT_EQ(g_job_settings.nc_state & NC_STATE_PROGRAM_READY, 0);
}

TEST_F(MakeNcTest, RenumberingGivesUnassignedItemsGroupTenAndNumbersEachGroup) {
  CamParams none = centerline_cut(0.01f, 0, 1, 0);
  CamParams island = none;
  island.operation = CAM_OP_ISLAND;
  make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, centerline_cut(0.01f, 0, 1, 20));
  make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, none);
  make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, island);
  make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, none);
  EXPECT_EQ(renumber_machining_order(), 3);
  std::vector<std::pair<int, int>> got;
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next)
    got.emplace_back(block_machining_group(item_block(item)), block_machining_order(item_block(item)));
  // The island without a group sorts first (group 0) and stays unnumbered.
  const std::vector<std::pair<int, int>> expected = {{0, 0}, {10, 1}, {10, 2}, {20, 1}};
  EXPECT_EQ(got, expected);
}

// Groups spaced to even steps in their old order; the step shrinks when the groups would not
// fit below 32000.
TEST_F(MakeNcTest, SpacingGroupsKeepsTheirOrderInEvenSteps) {
  struct Case {
    std::vector<int> groups;
    int step;
    int expected_step;
  };
  std::vector<int> many;
  for (int g = 1; g <= 5000; ++g) many.push_back(g);
  const Case cases[] = {{{7000, 3, 7}, 10, 10}, {many, 10, 6}};
  for (const Case& c : cases) {
    free_current_list();
    for (const int g : c.groups) make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, centerline_cut(0.01f, 0, 1, static_cast<int16_t>(g)));
    g_job_settings.job_changed = 0;
    EXPECT_EQ(space_machining_groups(c.step), static_cast<int>(c.groups.size()));
    std::vector<int> got;
    for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next)
      got.push_back(block_machining_group(item_block(item)));
    std::vector<int> expected;
    for (size_t k = 1; k <= c.groups.size(); ++k) expected.push_back(static_cast<int>(k) * c.expected_step);
    EXPECT_EQ(got, expected) << c.groups.size();
    EXPECT_NE(g_job_settings.job_changed & JOB_CHANGED_GROUPS, 0);
  }
}

TEST_F(MakeNcTest, InsertingInOrderMovesTheRestOfTheGroupUp) {
  std::vector<TextLine*> items;
  for (int k = 1; k <= 3; ++k) {
    CamParams p = centerline_cut(0.01f, 0, 1, 10);
    p.machining_order = static_cast<int16_t>(k);
    items.push_back(make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, p));
  }
  CamParams other = centerline_cut(0.01f, 0, 1, 20);
  other.machining_order = 2;
  TextLine* elsewhere = make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, other);
  insert_in_order(items[2], 0);  // 0 counts as 1
  EXPECT_EQ(block_machining_order(item_block(items[2])), 1);
  EXPECT_EQ(block_machining_order(item_block(items[0])), 2);
  EXPECT_EQ(block_machining_order(item_block(items[1])), 3);
  EXPECT_EQ(block_machining_order(item_block(elsewhere)), 2);
}

TEST_F(MakeNcTest, HoverTextByKindOfItem) {
  CamParams centerline = centerline_cut(0.05f, 0, 3, 20);
  centerline.machining_order = 2;
  CamParams island = centerline_cut(0.05f, 0, 3, 0);
  island.operation = CAM_OP_ISLAND;
  CamParams grouped_island = island;
  grouped_island.machining_group = 7;
  CamParams pocket = centerline_cut(0.05f, 0, 3, 20);
  pocket.operation = CAM_OP_SPIRAL_POCKET;
  pocket.roughing = pocket.finishing;
  pocket.roughing.tool_number = 4;
  CamParams contour = centerline_cut(0.05f, 0, 3, 20);
  contour.operation = CAM_OP_CONTOUR_INSIDE;
  CamParams aid = centerline_cut(0.05f, 0, 3, 20);
  aid.operation = CAM_OP_DRAWING_AID;
  struct Case {
    CamParams params;
    const char* has;
  };
  const Case cases[] = {
      {centerline, "CAM op: \vCut Centerline\nMachining group: \v20\nMachining order: \f2\n\n   Tool number: \v3\n Cutting width: \v0.0300\n"},
      {island, "It doesn't belong to\nany machining group."},
      {grouped_island, "\fThis is an Island\n\nMachining group: \v7\n"},
      {pocket, "CAM op: \vSpiral Pocket\nMachining group: \v20\nMachining order: \f0\n\n Finishing Tool: \v3\n  Roughing Tool: \v4\n"},
      {contour, "CAM op: \fContour Inside\nMachining group: \v20\n\n Finishing Tool: \v3\n  Cutting width: \v0.0300\n"},
      {aid, "This item is\na drawing aid."},
  };
  for (const Case& c : cases) {
    TextLine* item = make_item(ITEM_POLYLINE, {{0, 0}, {1, 0}}, c.params);
    EXPECT_NE(cam_info_text(item).find(c.has), std::string::npos) << cam_info_text(item);
  }
}

}  // namespace
