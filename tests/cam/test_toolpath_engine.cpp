// The machining-group driver, the record stream with its spill file, and the tool-path items
// made from the records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "cam/blade_profile.h"
#include "cam/open_profile.h"
#include "cam/outline_collect.h"
#include "cam/rings.h"
#include "geometry/drawing_item.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/cam/engine_fixture.h"
#include "tests/support/temp_folder_env.h"

namespace {

using namespace engine_test;

class GroupRun : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    reset_outline_collect();
    reset_list_store();
    temp_.emplace("brenvik_engine");
    g_job_settings = JobSettings{};
  }
  void TearDown() override {
    free_tool_path_items();
    reset_outline_collect();
    EngineTest::TearDown();
    temp_.reset();
  }
  // Runs the group of the shape's contours with one settings record each.
  int32_t run(Shape* s, const std::vector<ContourSettings>& settings) {
    s->set_bounds();
    std::vector<ContourSettings> copy = settings;
    return run_machining_group(s->links.data(), s->nodes.data(), s->firsts.data(),
                               s->lasts.data(), static_cast<int32_t>(s->firsts.size()),
                               copy.data(), &records);
  }
  // The records of the run up to the end code.
  std::vector<PathRecord> stream() const {
    std::vector<PathRecord> out;
    for (int32_t i = 0; i < g_toolpath_engine.record_count; ++i) out.push_back(records[i]);
    return out;
  }
  int count_code(int32_t code) const {
    int n = 0;
    for (const PathRecord& r : stream()) n += r.code == code ? 1 : 0;
    return n;
  }
  static std::vector<DrawingItem*> tool_path_items() {
    std::vector<DrawingItem*> items;
    for (DrawingItem* i = g_lists.slots[LIST_SLOT_TOOL_PATHS].first; i != nullptr; i = i->next) {
      items.push_back(i);
    }
    return items;
  }
  static PathRecord rec(int32_t code, float x = 0, float y = 0, float z = 0, float value = 0,
                        int32_t flag = 0) {
    return PathRecord{code, x, y, z, value, flag};
  }
  std::optional<TempFolderEnv> temp_;  // the spill file's folder
  PathRecordBuffer records;
};

TEST_F(GroupRun, TwoHundredOutlinesAreMachinedAndTwoHundredAndOneRefused) {
  Shape s;
  for (int i = 0; i < 201; ++i) {
    const double x = (i % 20) * 3.0, y = (i / 20) * 3.0;
    s.add_closed(rectangle(x, y, x + 2, y + 2));
  }
  std::vector<ContourSettings> settings(201, pocket_settings(0.5, 0.4));
  Shape two_hundred = s;
  two_hundred.links.resize(static_cast<size_t>(two_hundred.lasts[199]) + 1);
  two_hundred.firsts.resize(200);
  two_hundred.lasts.resize(200);
  settings.resize(200);
  EXPECT_EQ(run(&two_hundred, settings), 1);
  EXPECT_EQ(count_code(PATH_GROUP), 200);
  EXPECT_TRUE(g_cam_host_log.messages.empty());
  settings.resize(201, pocket_settings(0.5, 0.4));
  EXPECT_EQ(run(&s, settings), 0);
  ASSERT_EQ(g_cam_host_log.messages.size(), 1u);
  const std::string& m = g_cam_host_log.messages[0];
  EXPECT_EQ(m.rfind("Too many pockets/islands for one machining group", 0), 0u) << m;
  EXPECT_NE(m.find("200"), std::string::npos) << m;
  EXPECT_NE(m.find("\n"), std::string::npos) << m;
  EXPECT_NE(m.find("create more machining groups"), std::string::npos) << m;
}

TEST_F(GroupRun, SpilledFileAndBufferMakeTheWholeStream) {
  const int32_t total = 123456;
  for (int32_t i = 0; i < total; ++i) {
    make_room_for_path_records(&records);
    append_path_record(&records, rec(PATH_LINE, static_cast<float>(i), 1.0f, 0, 0, i));
  }
  EXPECT_TRUE(g_toolpath_engine.spill_flag);
  const int32_t tail = g_toolpath_engine.record_count;
  ASSERT_LT(tail, PATH_BUFFER_CAPACITY);
  // What reached the file so far plus the buffer's tail is the whole stream, in order.
  ASSERT_TRUE(spill_path_records(nullptr, 0));
  const std::string path = (temp_->path() / "FPATHS.TMP").string();
  const int64_t size = file_size(path);
  ASSERT_EQ(size % 24, 0);
  ASSERT_EQ(size / 24 + tail, total);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  uint8_t bytes[PATH_RECORD_SIZE];
  int32_t i = 0;
  while (std::fread(bytes, 1, PATH_RECORD_SIZE, f) == PATH_RECORD_SIZE) {
    PathRecord r;
    read_path_record_bytes(bytes, &r);
    ASSERT_EQ(r.flag, i) << "record " << i;
    ASSERT_EQ(r.x, static_cast<float>(i));
    ++i;
  }
  std::fclose(f);
  for (int32_t k = 0; k < tail; ++k) ASSERT_EQ(records[k].flag, i + k);
}

TEST_F(GroupRun, PathRecordsAreStoredFieldByFieldLittleEndian) {
  uint8_t bytes[PATH_RECORD_SIZE];
  write_path_record_bytes(rec(PATH_ARC_CW, 1.5f, -2.0f, 0.25f, 3.0f, -7), bytes);
  const uint8_t expected[PATH_RECORD_SIZE] = {4,    0, 0, 0,    0, 0, 0xC0, 0x3F, 0, 0, 0, 0xC0,
                                              0, 0, 0x80, 0x3E, 0, 0, 0x40, 0x40, 0xF9, 0xFF,
                                              0xFF, 0xFF};
  for (size_t k = 0; k < PATH_RECORD_SIZE; ++k) EXPECT_EQ(bytes[k], expected[k]) << k;
}

TEST_F(GroupRun, StreamBecomesARoughingItemWithTwoLinesAndAFinishingItemWithOneArc) {
  const int32_t group_order = (3 << 16) + 4;
  g_outline_collect.records = {rec(PATH_GROUP, 0, 0, 0, 0, group_order), rec(PATH_TOOL, 0, 0, 0, 0, 5),
             rec(PATH_ROUGHING),                       rec(PATH_MOVE, 0, 0, 0.5f),
             rec(PATH_LINE, 4, 0),                     rec(PATH_LINE, 4, 3),
             rec(PATH_FINISHING),                      rec(PATH_MOVE, 10, 0, 0.5f),
             rec(PATH_ARC_CCW, 0, 10, 0, 0),           rec(PATH_END)};
  ASSERT_EQ(path_records_to_items(), 2);
  const std::vector<DrawingItem*> items = tool_path_items();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(tool_path_item_kind(items[0]), 'r');
  EXPECT_EQ(item_link_count(items[0]), 2);
  EXPECT_EQ(item_layer(items[0]), TOOL_PATH_LAYER_ROUGHING);
  EXPECT_EQ(tool_path_item_kind(items[1]), 'f');
  EXPECT_EQ(item_link_count(items[1]), 1);
  EXPECT_EQ(item_layer(items[1]), TOOL_PATH_LAYER_FINISHING);
  const LinkRecord* arc = item_nodes(items[1]);
  EXPECT_TRUE(code_is_arc(arc->code));
  EXPECT_FLOAT_EQ(arc->code, 10.0f);
  EXPECT_FLOAT_EQ(arc->z, -0.5f);
  for (DrawingItem* item : items) {
    EXPECT_EQ(tool_path_item_tool(item), 5);
    EXPECT_EQ(tool_path_item_group(item), 3);
    EXPECT_EQ(tool_path_item_order(item), 4);
    CamParams params;
    ASSERT_TRUE(get_block_cam(item_block(item), &params));
    EXPECT_EQ(params.machining_group, 3);
    EXPECT_EQ(params.machining_order, 4);
  }
  CamParams params;
  get_block_cam(item_block(items[0]), &params);
  EXPECT_EQ(params.roughing.tool_number, 5);
}

TEST_F(GroupRun, ToolNumbersOfAThousandAndMoreAreNotTakenForGroups) {
  g_outline_collect.records = {rec(PATH_GROUP, 0, 0, 0, 0, (1 << 16) + 2), rec(PATH_TOOL, 0, 0, 0, 0, 1500),
             rec(PATH_FINISHING), rec(PATH_MOVE, 0, 0, 0.1f), rec(PATH_LINE, 1, 0),
             rec(PATH_TOOL, 0, 0, 0, 0, 2001), rec(PATH_FINISHING), rec(PATH_MOVE, 5, 5, 0.1f),
             rec(PATH_LINE, 6, 5), rec(PATH_END)};
  ASSERT_EQ(path_records_to_items(), 2);
  const std::vector<DrawingItem*> items = tool_path_items();
  EXPECT_EQ(tool_path_item_tool(items[0]), 1500);
  EXPECT_EQ(tool_path_item_tool(items[1]), 2001);
  for (DrawingItem* item : items) {
    EXPECT_EQ(tool_path_item_group(item), 1);
    EXPECT_EQ(tool_path_item_order(item), 2);
  }
}

TEST_F(GroupRun, StretchesAlreadyCutBecomeRapidLinksAndEngineMovesLift) {
  g_outline_collect.records = {rec(PATH_TOOL, 0, 0, 0, 0, 1), rec(PATH_ROUGHING), rec(PATH_MOVE, 0, 0, 0.2f),
             rec(PATH_LINE, 2, 0),          rec(PATH_LINE, 3, 0, 0, 0, 1),
             rec(PATH_LINE, 4, 0, 0, 0, 1), rec(PATH_MOVE, 4, 2, 0.3f),
             rec(PATH_LINE, 6, 2),          rec(PATH_END)};
  ASSERT_EQ(path_records_to_items(), 1);
  DrawingItem* item = tool_path_items()[0];
  ASSERT_EQ(item_link_count(item), 3);
  const LinkRecord* r = item_nodes(item);
  EXPECT_EQ(r[0].link_flags, 0);
  EXPECT_EQ(r[1].link_flags, TOOL_PATH_LINK_RAPID | TOOL_PATH_LINK_LIFT);
  EXPECT_FLOAT_EQ(r[2].point.x, 4.0f);
  EXPECT_FLOAT_EQ(r[2].point.y, 2.0f);
  EXPECT_FLOAT_EQ(r[2].z, -0.3f);
  EXPECT_FLOAT_EQ(r[1].z, -0.2f);
}

TEST_F(GroupRun, TinyArcsBecomeLinesInTheJobsUnit) {
  for (const uint8_t units : {JOB_UNITS_INCH, JOB_UNITS_MILLIMETRE}) {
    reset_list_store();
    g_job_settings.units = units;
    // An arc of radius 1 sweeping 0.005 rad: a line in a millimetre job (below 2.4), an arc
    // in an inch job (not below 0.1).
    const float a = 0.005f;
    g_outline_collect.records = {rec(PATH_FINISHING), rec(PATH_MOVE, 1, 0, 0.1f),
               rec(PATH_ARC_CCW, std::cos(a), std::sin(a), 0, 0), rec(PATH_END)};
    ASSERT_EQ(path_records_to_items(), 1);
    const LinkRecord* r = item_nodes(g_lists.slots[LIST_SLOT_TOOL_PATHS].first);
    if (units == JOB_UNITS_INCH) {
      EXPECT_TRUE(code_is_arc(r->code));
    } else {
      EXPECT_EQ(r->code, LINK_RIGID_LINE);
    }
    free_tool_path_items();
  }
}

TEST_F(GroupRun, ItemsAreReadBackFromTheSpillFileAndItIsDeleted) {
  // Sections of the stream go partly to the file and partly stay in the buffer.
  const int sections = 2500;
  for (int k = 0; k < sections; ++k) {
    make_room_for_path_records(&records);
    append_path_record(&records, rec(PATH_FINISHING));
    append_path_record(&records, rec(PATH_MOVE, 0, static_cast<float>(k), 0.1f));
    for (int j = 1; j <= 30; ++j) {
      append_path_record(&records, rec(PATH_LINE, static_cast<float>(j), static_cast<float>(k)));
    }
  }
  ASSERT_TRUE(g_toolpath_engine.spill_flag);
  ASSERT_TRUE(spill_path_records(records.data(), g_toolpath_engine.record_count));
  ASSERT_TRUE(spill_path_records(nullptr, 0));
  EXPECT_EQ(path_records_to_items(), sections);
  EXPECT_FALSE(file_exists((temp_->path() / "FPATHS.TMP").string()));
  const std::vector<DrawingItem*> items = tool_path_items();
  ASSERT_EQ(items.size(), static_cast<size_t>(sections));
  EXPECT_EQ(item_link_count(items.back()), 30);
  EXPECT_FLOAT_EQ(item_nodes(items.back())->point.y, static_cast<float>(sections - 1));
  // The buffer went to the file's size; the next run still has its full room.
  Shape s;
  s.add_closed(rectangle(0, 0, 2, 2));
  EXPECT_EQ(run(&s, {pocket_settings(0.5, 0.4)}), 1);
  EXPECT_GE(records.size(), static_cast<size_t>(PATH_BUFFER_ALLOCATED));
}

TEST_F(GroupRun, DamagedSpillFileIsReportedNotRead) {
  std::FILE* f = std::fopen(((temp_->path() / "FPATHS.TMP").string()).c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("not a whole record", f);
  std::fclose(f);
  EXPECT_EQ(path_records_to_items(), -1);
  ASSERT_EQ(g_cam_host_log.messages.size(), 1u);
  EXPECT_EQ(g_cam_host_log.messages[0], "Too many pocketing lines, not enough memory...");
  EXPECT_FALSE(file_exists((temp_->path() / "FPATHS.TMP").string()));
}

TEST_F(GroupRun, SpillFileLeftByAnEarlierRunIsNotTakenForThisRunsRecords) {
  std::FILE* f = std::fopen(((temp_->path() / "FPATHS.TMP").string()).c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("not a whole record", f);
  std::fclose(f);
  Shape s;
  s.add_closed(rectangle(0, 0, 10, 10));
  ASSERT_EQ(run(&s, {pocket_settings(1.0, 0.4)}), 1);
  ASSERT_FALSE(g_toolpath_engine.spill_flag);
  // The run kept its records in the buffer, so the collector must find no file to read.
  EXPECT_FALSE(file_exists((temp_->path() / "FPATHS.TMP").string()));
}

TEST_F(GroupRun, OutlinesLeftOutForLackOfAToolAreReportedAsMissingCuts) {
  Shape s;
  s.add_closed(rectangle(0, 0, 10, 10));
  s.add_closed(rectangle(20, 0, 30, 10));
  ContourSettings no_width = pocket_settings(0.0, 0.4);
  EXPECT_EQ(run(&s, {pocket_settings(1.0, 0.4), no_width}), 1);
  EXPECT_NE(g_contour_kernel.EngineStatus & ENGINE_STATUS_BAD_WIDTH, 0);
  ASSERT_EQ(g_cam_host_log.messages.size(), 1u);
  EXPECT_NE(g_cam_host_log.messages[0].find("cuts are missing"), std::string::npos);
  EXPECT_NE(g_cam_host_log.messages[0].find("cutting width"), std::string::npos);
}

TEST_F(GroupRun, OutlineThatIsNotAChainIsReportedAsMissingCuts) {
  Shape s;
  s.add_closed(rectangle(0, 0, 10, 10));
  s.links[2].start_node = s.links[1].start_node;  // the third side starts elsewhere
  EXPECT_EQ(run(&s, {pocket_settings(1.0, 0.4)}), 0);
  ASSERT_EQ(g_cam_host_log.messages.size(), 1u);
  EXPECT_NE(g_cam_host_log.messages[0].find("not a closed chain"), std::string::npos);
}

TEST_F(GroupRun, OutlineInsideAnIslandIsAPocketOfItsOwn) {
  Shape s;
  s.add_closed(rectangle(0, 0, 30, 30));
  s.add_closed(rectangle(5, 5, 25, 25));    // island
  s.add_closed(rectangle(10, 10, 20, 20));  // a pocket inside the island
  const ContourSettings pocket = pocket_settings(1.0, 0.4);
  EXPECT_EQ(run(&s, {pocket, pocket, pocket}), 1);
  EXPECT_EQ(count_code(PATH_GROUP), 2);
}

TEST_F(GroupRun, CounterOfATextIslandIsClearedWithThePocketsSettings) {
  Shape s;
  s.add_closed(rectangle(0, 0, 30, 20));
  s.add_closed(circle(15, 10, 6));  // the letter O standing as an island
  s.add_closed(circle(15, 10, 3));  // its counter
  ContourSettings pocket = pocket_settings(1.0, 0.4);
  pocket.group_order = (2 << 16) + 1;
  ContourSettings island;  // an island carries no tool data
  island.text_char = 1;
  EXPECT_EQ(run(&s, {pocket, island, island}), 1);
  EXPECT_TRUE(g_cam_host_log.messages.empty());
  int groups = 0;
  for (const PathRecord& r : stream()) {
    if (r.code != PATH_GROUP) continue;
    ++groups;
    EXPECT_EQ(r.flag, pocket.group_order);
  }
  EXPECT_EQ(groups, 2);
}

TEST_F(GroupRun, LetterOCutOutsideIsContouredOnBothSidesInRunsOfTheirOwn) {
  Shape s;
  s.add_closed(circle(0, 0, 10));
  s.add_closed(circle(0, 0, 5));
  ContourSettings outside = two_tool_settings(-1, 1.0, 0.99, 0.0, 0, 0.0);
  outside.finish_tool = ENGINE_NO_TOOL;
  outside.text_char = 1;
  EXPECT_EQ(run(&s, {outside, outside}), 1);
  EXPECT_EQ(count_code(PATH_GROUP), 2);
  // The first run goes round the outside of the letter, the second round the inside of its
  // counter, each half a tool away.
  std::vector<double> move_radius;
  for (const PathRecord& r : stream()) {
    if (r.code == PATH_MOVE) move_radius.push_back(std::hypot(r.x, r.y));
  }
  ASSERT_EQ(move_radius.size(), 2u);
  EXPECT_NEAR(move_radius[0], 10.5, 1e-3);
  EXPECT_NEAR(move_radius[1], 4.5, 1e-3);
}

// Blade profiles: a closed outline is cut on both sides, two loops under one blade section;
// an open outline in one loop round it; of several outlines only the first. Every record is a
// move or a feed at the surface, each link cut whole at the blade's offset.
TEST_F(GroupRun, BladeProfilesFollowTheFirstOutlineAtTheirOffset) {
  struct Case {
    const char* what;
    bool open;
    int outlines;
    int loops;
  };
  for (const Case c : {Case{"closed", false, 1, 2}, Case{"open", true, 1, 1},
                       Case{"three outlines", false, 3, 2}}) {
    SetUp();
    Shape s;
    if (c.open) {
      s.add_open({{0, 0}, {10, 0}, {10, 10}});
    } else {
      s.add_closed(rectangle(0, 0, 10, 10));
    }
    for (int k = 1; k < c.outlines; ++k) s.add_closed(rectangle(20 * k, 0, 20 * k + 5, 5));
    ContourSettings blade = pocket_settings(1.0, 0.4);
    blade.profile_mode = c.open ? 1 : 2;
    blade.blade_offset = 0.5;
    blade.blade_tolerance = 0.002;
    blade.finish_tool = 4;
    EXPECT_EQ(run(&s, std::vector<ContourSettings>(c.outlines, blade)), 1) << c.what;
    const std::vector<PathRecord> r = stream();
    ASSERT_GE(r.size(), 4u) << c.what;
    EXPECT_EQ(r[0].code, PATH_GROUP);
    EXPECT_EQ(r[1].code, PATH_TOOL);
    EXPECT_EQ(r[1].flag, 4);
    EXPECT_EQ(r[2].code, PATH_BLADE);
    EXPECT_EQ(count_code(PATH_BLADE), 1) << c.what;
    EXPECT_EQ(count_code(PATH_MOVE), c.loops) << c.what;
    for (size_t k = 3; k < r.size(); ++k) {
      EXPECT_TRUE(r[k].code == PATH_MOVE || r[k].code == PATH_FEED) << c.what << " " << k;
      EXPECT_EQ(r[k].z, 0.0f) << c.what << " " << k;
      // Every point lies at the blade's offset from the first outline: chord ends lie on the
      // offset arcs.
      const std::vector<ContourNode> corners = c.open
          ? std::vector<ContourNode>{{0, 0}, {10, 0}, {10, 10}}
          : std::vector<ContourNode>{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
      double d = 1e9;
      for (size_t j = 0; j + 1 < corners.size(); ++j) {
        const ContourNode& a = corners[j];
        const ContourNode& b = corners[j + 1];
        const double len2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
        const double t = std::clamp(((r[k].x - a.x) * (b.x - a.x) + (r[k].y - a.y) * (b.y - a.y)) / len2, 0.0, 1.0);
        d = std::min(d, std::hypot(r[k].x - (a.x + t * (b.x - a.x)), r[k].y - (a.y + t * (b.y - a.y))));
      }
      EXPECT_NEAR(d, 0.5, 1e-5) << c.what << " at " << r[k].x << "," << r[k].y;
    }
    EXPECT_EQ(g_contour_kernel.contour_run_mode, 0);
    TearDown();
  }
}

// An open U cut with the tool inside it: where the U is narrower than the tool, the tool keeps
// out; every point cut keeps half the tool from every part of the line, on its side only.
TEST_F(GroupRun, OneSidedOpenProfileKeepsOutOfANarrowU) {
  struct Case {
    double gap;     // between the U's legs
    bool inside;    // the tool's side is inside the U
    bool enters;    // the tool reaches the bottom of the U
  };
  for (const Case c : {Case{0.6, true, false}, Case{3.0, true, true}, Case{0.6, false, false}}) {
    SetUp();
    Shape s;
    // Down the left leg, along the bottom, up the right leg: the inside is on the left.
    const std::vector<ContourNode> u = {{0, 10}, {0, 0}, {c.gap, 0}, {c.gap, 10}};
    s.add_open(u);
    ContourSettings profile = pocket_settings(1.0, 0.4);
    profile.finish_rings = c.inside ? -1 : 1;  // tool left is inside, tool right outside
    profile.profile_mode = PROFILE_ONE_SIDED;
    // Inside a U narrower than the tool there is nowhere to cut at all.
    EXPECT_EQ(run(&s, {profile}), c.inside && !c.enters ? 0 : 1) << c.gap;
    bool at_bottom = false;
    for (const PathRecord& r : stream()) {
      if (r.code != PATH_LINE && r.code != PATH_ARC_CW && r.code != PATH_ARC_CCW &&
          r.code != PATH_MOVE)
        continue;
      double d = 1e9;
      for (size_t j = 0; j + 1 < u.size(); ++j) {
        const ContourNode& a = u[j];
        const ContourNode& b = u[j + 1];
        const double len2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
        const double t = std::clamp(((r.x - a.x) * (b.x - a.x) + (r.y - a.y) * (b.y - a.y)) / len2, 0.0, 1.0);
        d = std::min(d, std::hypot(r.x - (a.x + t * (b.x - a.x)), r.y - (a.y + t * (b.y - a.y))));
      }
      EXPECT_GT(d, 0.5 - 1e-4) << c.gap << " at " << r.x << "," << r.y;
      const bool between = r.x > 0 && r.x < c.gap && r.y < 10.5;
      EXPECT_EQ(between, c.inside && c.enters) << c.gap << " at " << r.x << "," << r.y;
      if (r.y < 1 && between) at_bottom = true;
    }
    EXPECT_EQ(at_bottom, c.inside && c.enters) << c.gap;
    TearDown();
  }
}

// Three contour passes of a straight open line: three cuts beside it, a stepover apart, the
// farthest first and the last one half the tool from the line, each from start to end.
TEST_F(GroupRun, OneSidedContourPassesStepAwayFromTheLine) {
  Shape s;
  s.add_open({{0, 0}, {10, 0}});
  ContourSettings profile = pocket_settings(1.0, 0.99);
  profile.finish_stepover = profile.finish_first_stepover = 0.99;
  profile.finish_rings = 3;  // tool right: below the line
  profile.profile_mode = PROFILE_ONE_SIDED;
  ASSERT_EQ(run(&s, {profile}), 1);
  std::vector<double> levels;
  for (const PathRecord& r : stream()) {
    if (r.code == PATH_MOVE) {
      levels.push_back(r.y);
      EXPECT_NEAR(r.x, 0.0, 1e-4) << "each cut starts at the line's start";
    } else if (r.code == PATH_LINE) {
      EXPECT_NEAR(r.x, 10.0, 1e-4) << "and runs to its end";
      EXPECT_NEAR(r.y, levels.back(), 1e-6);
    }
  }
  const double w = 1.0 * RINGS_ROUGH_WIDTH_SHRINK;
  ASSERT_EQ(levels.size(), 3u);
  EXPECT_NEAR(levels[0], -(w / 2 + 2 * 0.99 * w), 1e-4);
  EXPECT_NEAR(levels[1], -(w / 2 + 0.99 * w), 1e-4);
  EXPECT_NEAR(levels[2], -w / 2, 1e-4);
}

// Arcs are cut in chords whose bulge stays within the tolerance.
TEST_F(GroupRun, BladeChordsStayWithinTheTolerance) {
  struct Case {
    double radius, length, tolerance;
    int chords;
  };
  // A chord of angle a bulges r (1 - cos(a / 2)); the count keeps a at most acos(1 - t / r).
  for (const Case c : {Case{10, 10, 0.002, 49}, Case{1, 0.001, 0.002, 1}, Case{5, 1000, 0.0001, 300},
                       Case{1, 1, 5.0, 1}}) {
    const int n = blade_chord_count(c.radius, c.length, c.tolerance);
    EXPECT_EQ(n, c.chords) << c.radius << " " << c.length;
    if (n < BLADE_MAX_CHORDS && c.tolerance < c.radius) {
      const double a = c.length / c.radius / n;
      EXPECT_LE(c.radius * (1 - std::cos(a / 2)), c.tolerance) << c.radius;
    }
  }
}

}  // namespace
