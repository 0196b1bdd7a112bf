// Depth passes, ramped entries and the pass writer's record stream: pass tables, the entry
// that each situation gets, the slope of every ramp, and whole streams with and without a
// roughing part, and one that outgrows the record buffer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "cam/depth_passes.h"
#include "cam/pass_writer.h"
#include "cam/toolpath_engine.h"
#include "platform/files.h"

namespace {

constexpr double PI = 3.14159265358979323846;

class DepthPasses : public ::testing::Test {
 protected:
  void SetUp() override { reset_toolpath_engine(); }
  void TearDown() override {
    reset_toolpath_engine();
    file_delete(path_spill_file_path());
  }

  // The walls: a square from (0, 0) to (side, side).
  void square_walls(double side) {
    ToolpathEngineState& g = g_toolpath_engine;
    g.work_nodes = {{0, 0}, {side, 0}, {side, side}, {0, side}};
    g.work_links.clear();
    for (int32_t k = 0; k < 4; ++k) {
      ContourLink l;
      l.start_node = k;
      l.end_node = (k + 1) % 4;
      segment_bounding_circle(&l, g.work_nodes.data());
      g.work_links.push_back(l);
    }
    g.wall_start = 0;
    g.wall_end = 3;
  }

  void ring(int32_t code, double x, double y, double cx = 0, double cy = 0, int32_t flag = 0) {
    RingPathRecord r;
    r.code = code;
    r.x = x;
    r.y = y;
    r.cx = cx;
    r.cy = cy;
    r.flag = flag;
    g_toolpath_engine.ring_path.push_back(r);
  }
  void tool(int32_t number) {
    RingPathRecord r;
    r.code = RING_TOOL;
    r.tool = number;
    g_toolpath_engine.ring_path.push_back(r);
  }

  std::vector<PathRecord> written() const {
    return std::vector<PathRecord>(records_.begin(), records_.begin() + g_toolpath_engine.record_count);
  }

  PathRecordBuffer records_;
};

ContourSettings entry_settings(double angle) {
  ContourSettings s;
  s.rough_width = 1.0;
  s.rough_stepover = 0.5;
  s.finish_width = 1.0;
  s.finish_stepover = 0.5;
  s.finish_allowance = 0.05;
  s.ramp_angle = angle;
  s.entry_mode = 2;
  s.depth = 1.0;
  s.rough_step_down = 0.5;
  s.finish_step_down = 0.5;
  return s;
}

TEST_F(DepthPasses, PassCountsAndDepths) {
  struct Case {
    double depth, step, last;
    std::vector<double> bottoms;
  };
  const Case cases[] = {
      {1.0, 0.25, 0, {0.25, 0.5, 0.75, 1.0}},
      {1.0, 0.3, 0, {0.25, 0.5, 0.75, 1.0}},
      {0.5, 0.5, 0, {0.5}},
      {1.0, 0.3, 0.1, {0.3, 0.6, 0.9, 1.0}},
      {1.0, 0.3, 0.5, {0.25, 0.5, 0.75, 1.0}},  // a last pass above the step: equal passes
  };
  for (const Case& c : cases) {
    ContourSettings s;
    s.depth = c.depth;
    s.rough_step_down = c.step;
    s.rough_last_pass = c.last;
    const PassPlan plan = pass_count(&s, false);
    ASSERT_EQ(plan.count, static_cast<int32_t>(c.bottoms.size())) << c.step << " " << c.last;
    EXPECT_FALSE(plan.limited);
    double top = 0, bottom = 0, previous = 0;
    for (int32_t j = 0; j < plan.count; ++j) {
      next_pass_depths(j, plan, &top, &bottom);
      EXPECT_NEAR(top, previous, 1e-12);
      EXPECT_NEAR(bottom, c.bottoms[j], 1e-12) << c.step << " pass " << j;
      previous = bottom;
    }
  }
}

TEST_F(DepthPasses, TinyStepIsLimitedAndSaysSo) {
  ContourSettings s;
  s.depth = 1.0;
  s.finish_step_down = 0.001;
  const PassPlan plan = pass_count(&s, true);
  EXPECT_EQ(plan.count, DEPTH_PASS_LIMIT);
  EXPECT_TRUE(plan.limited);
  EXPECT_NEAR(plan.step, 0.01, 1e-12);
  EXPECT_NEAR(plan.asked_step, 0.001, 1e-12);
}

// Which entry an entry record gets; by the shape of what is written.
TEST_F(DepthPasses, EntryKinds) {
  struct Case {
    const char* name;
    double angle;
    int32_t entry_mode;
    double wall_side;       // the entry sits in the middle of the square
    int32_t next_code;      // the first segment from the entry
    const char* kind;       // plunge, helix, ramp, zigzag
  };
  const Case cases[] = {
      {"angle 90: plunge", 90, 2, 20, RING_LINE, "plunge"},
      {"angle below 0.5: plunge", 0.4, 2, 20, RING_LINE, "plunge"},
      {"no roughing tool: plunge", 5, 0, 20, RING_LINE, "plunge"},
      {"room: helix", 5, 2, 20, RING_LINE, "helix"},
      {"no room for a helix: ramp along the segment", 5, 2, 1.4, RING_LINE, "ramp"},
      {"no room, first segment an arc: ramp along it", 5, 2, 1.4, RING_ARC_CW, "ramp"},
      {"no room, next is a move: zig-zag", 5, 2, 1.4, RING_MOVE, "zigzag"},
      {"no room at all: plunge", 5, 2, 1.02, RING_MOVE, "plunge"},
  };
  for (const Case& c : cases) {
    reset_toolpath_engine();
    records_.clear();
    square_walls(c.wall_side);
    const double m = c.wall_side / 2;
    ring(RING_ENTRY, m, m);
    if (c.next_code == RING_LINE) ring(RING_LINE, m, m + 0.05);
    else if (c.next_code == RING_ARC_CW) ring(RING_ARC_CW, m - 0.05, m + 0.05, m, m + 0.05);
    else ring(RING_MOVE, m + 3, m);
    ContourSettings s = entry_settings(c.angle);
    s.entry_mode = c.entry_mode;
    write_pass_record(&records_, false, 0, 0.0, 0.5, s);
    const std::vector<PathRecord> out = written();
    ASSERT_GE(out.size(), 2u) << c.name;
    EXPECT_EQ(out.front().code, PATH_MOVE) << c.name;
    EXPECT_FLOAT_EQ(out.front().z, 0.0f) << c.name;
    EXPECT_FLOAT_EQ(out.back().z, 0.5f) << c.name;
    EXPECT_NEAR(out.back().x, m, 1e-5) << c.name;
    EXPECT_NEAR(out.back().y, m, 1e-5) << c.name;
    double max_radius = 0, min_radius = 1e9;
    bool off_axis = false;
    for (size_t k = 1; k < out.size(); ++k) {
      EXPECT_EQ(out[k].code, PATH_FEED) << c.name;
      const double r = std::hypot(out[k].x - m, out[k].y - m);
      max_radius = std::max(max_radius, r);
      if (k + 1 < out.size()) min_radius = std::min(min_radius, r);
      if (std::fabs(out[k].x - m) > 1e-6) off_axis = true;
    }
    const std::string kind = c.kind;
    if (kind == "plunge") {
      EXPECT_EQ(out.size(), 2u) << c.name;
    } else if (kind == "helix") {
      // About the entry, far from the walls: radius w/2.1.
      EXPECT_NEAR(max_radius, 1.0 / 2.1, 1e-5) << c.name;
      EXPECT_NEAR(min_radius, 1.0 / 2.1, 1e-5) << c.name;
    } else if (kind == "ramp") {
      EXPECT_LE(max_radius, 0.05 * std::sqrt(2.0) + 1e-6) << c.name;
    } else {
      EXPECT_FALSE(off_axis) << c.name;
      EXPECT_GT(max_radius, 0.0) << c.name;
    }
  }
}

TEST_F(DepthPasses, ArcSmallerThanTheMarginGivesNoPathRamp) {
  ring(RING_ENTRY, 5, 5);
  ring(RING_ARC_CW, 5.002, 5.002, 5.001, 5.0);
  ContourSettings s = entry_settings(5);
  EXPECT_EQ(path_ramp_entry(&records_, false, 0, 0.0, 0.5, 1.0, s), 0);
  EXPECT_EQ(g_toolpath_engine.record_count, 0);
}

TEST_F(DepthPasses, ZeroLengthFirstSegmentGivesNoPathRamp) {
  ring(RING_ENTRY, 5, 5);
  ring(RING_LINE, 5, 5);
  EXPECT_EQ(path_ramp_entry(&records_, false, 0, 0.0, 0.5, 1.0, entry_settings(5)), 0);
}

// Every ramp descends at the angle asked, within one step.
TEST_F(DepthPasses, RampsDescendAtTheAngleAsked) {
  for (const double angle : {3.0, 5.0, 15.0}) {
    for (const char* kind : {"helix", "line", "arc", "zigzag"}) {
      reset_toolpath_engine();
      records_.clear();
      const std::string k = kind;
      square_walls(k == "helix" ? 20 : 1.4);
      const double m = k == "helix" ? 10 : 0.7;
      ring(RING_ENTRY, m, m);
      if (k == "arc") ring(RING_ARC_CW, m - 0.4, m + 0.4, m, m + 0.4);  // a quarter, radius 0.4
      else if (k == "zigzag") ring(RING_MOVE, m + 3, m);
      else ring(RING_LINE, m, m + 0.3);
      write_pass_record(&records_, false, 0, 0.0, 0.2, entry_settings(angle));
      const std::vector<PathRecord> out = written();
      double length = 0, drop = 0, steepest = 0;
      for (size_t j = 1; j < out.size(); ++j) {
        const double run = std::hypot(out[j].x - out[j - 1].x, out[j].y - out[j - 1].y);
        const double fall = out[j].z - out[j - 1].z;
        length += run;
        drop += fall;
        if (run > 1e-9) steepest = std::max(steepest, std::atan(fall / run) * 180 / PI);
      }
      ASSERT_GT(length, 0) << kind << " " << angle;
      EXPECT_NEAR(drop, 0.2, 1e-6) << kind;
      const double slope = std::atan(drop / length) * 180 / PI;
      EXPECT_GE(slope, angle * 0.8) << kind << " " << angle;
      EXPECT_LE(slope, angle * 1.25 + 0.5) << kind << " " << angle;
      EXPECT_LE(steepest, angle * 1.6 + 0.5) << kind << " " << angle;
    }
  }
}

// ---- the pass writer ----

std::vector<int32_t> codes(const std::vector<PathRecord>& out) {
  std::vector<int32_t> c;
  for (const PathRecord& r : out) c.push_back(r.code);
  return c;
}

TEST_F(DepthPasses, StreamWithRoughingAndFinishing) {
  tool(5);
  ring(RING_ENTRY, 1, 1);
  ring(RING_LINE, 2, 1);
  ring(RING_END_ROUGHING, 0, 0);
  tool(7);
  ring(RING_ENTRY, 0.5, 0.5);
  ring(RING_ARC_CW, 0.5, 0.5, 1, 1);
  ring(RING_END, 0, 0);
  ContourSettings s;
  s.rough_tool = 5;
  s.finish_tool = 7;
  s.finish_rings = 2;
  s.group_order = (3 << 16) + 4;
  s.depth = 0.9;
  s.rough_step_down = 0.3;
  s.finish_step_down = 0.9;
  s.ramp_angle = 90;
  EXPECT_EQ(write_passes(&records_, s), 1);
  const std::vector<PathRecord> out = written();
  const std::vector<int32_t> roughing = {PATH_MOVE, PATH_FEED, PATH_LINE};
  std::vector<int32_t> expected = {PATH_GROUP, PATH_TOOL, PATH_ROUGHING};
  for (int k = 0; k < 3; ++k) expected.insert(expected.end(), roughing.begin(), roughing.end());
  expected.insert(expected.end(), {PATH_TOOL, PATH_FINISHING, PATH_MOVE, PATH_FEED, PATH_ARC_CW});
  EXPECT_EQ(codes(out), expected);
  EXPECT_EQ(out[0].flag, (3 << 16) + 4);
  EXPECT_EQ(out[1].flag, 5);
  EXPECT_FLOAT_EQ(out[4].z, 0.3f);
  EXPECT_FLOAT_EQ(out[7].z, 0.6f);
  EXPECT_FLOAT_EQ(out[10].z, 0.9f);
  EXPECT_EQ(out[12].flag, 7);
  EXPECT_FLOAT_EQ(out[15].z, 0.9f);
  EXPECT_FLOAT_EQ(out[16].z, 1.0f);  // the arc's centre
  EXPECT_EQ(records_[g_toolpath_engine.record_count].code, PATH_END);
}

TEST_F(DepthPasses, StreamWithoutRoughingOrWithoutFinishing) {
  for (const bool roughing : {false, true}) {
    reset_toolpath_engine();
    records_.clear();
    if (roughing) {
      tool(5);
      ring(RING_ENTRY, 1, 1);
      ring(RING_LINE, 2, 1);
      ring(RING_END_ROUGHING, 0, 0);
    }
    tool(7);
    ring(RING_ENTRY, 1, 1);
    ring(RING_LINE, 2, 1);
    ring(RING_END, 0, 0);
    ContourSettings s;
    s.rough_tool = 5;
    s.finish_tool = 7;
    s.finish_rings = roughing ? 0 : 1;
    s.depth = 0.5;
    s.rough_step_down = 0.5;
    s.finish_step_down = 0.5;
    write_passes(&records_, s);
    const std::vector<int32_t> expected =
        roughing ? std::vector<int32_t>{PATH_GROUP, PATH_TOOL, PATH_ROUGHING, PATH_MOVE, PATH_FEED, PATH_LINE}
                 : std::vector<int32_t>{PATH_GROUP, PATH_TOOL, PATH_FINISHING, PATH_MOVE, PATH_FEED, PATH_LINE};
    EXPECT_EQ(codes(written()), expected) << roughing;
  }
}

TEST_F(DepthPasses, FinishingMovesMerge) {
  tool(7);
  ring(RING_MOVE, 1, 1);
  ring(RING_MOVE, 2, 2);
  ring(RING_LINE, 3, 2, 0, 0, 1);  // a stretch already cut after a move
  ring(RING_LINE, 4, 2);
  ring(RING_END, 0, 0);
  ContourSettings s;
  s.finish_tool = 7;
  s.finish_rings = 1;
  s.depth = 0.5;
  s.finish_step_down = 0.5;
  write_passes(&records_, s);
  const std::vector<PathRecord> out = written();
  ASSERT_EQ(codes(out), (std::vector<int32_t>{PATH_GROUP, PATH_TOOL, PATH_FINISHING, PATH_MOVE, PATH_LINE}));
  EXPECT_FLOAT_EQ(out[3].x, 3.0f);
  EXPECT_FLOAT_EQ(out[3].z, 0.5f);
}

// A ring path whose passes need more than the buffer holds is written whole: the spill file
// and the buffer's tail together are the complete stream.
TEST_F(DepthPasses, LongPathIsWrittenWholeAcrossTheSpillFile) {
  tool(7);
  const int32_t segments = 30000;
  ring(RING_ENTRY, 0, 0);
  for (int32_t k = 1; k <= segments; ++k) ring(RING_LINE, k * 0.001, (k % 2) * 0.001);
  ring(RING_END, 0, 0);
  ContourSettings s;
  s.finish_tool = 7;
  s.finish_rings = 1;
  s.depth = 0.3;
  s.finish_step_down = 0.1;  // three passes: over 90,000 records
  write_passes(&records_, s);
  ASSERT_TRUE(g_toolpath_engine.spill_flag);
  ASSERT_TRUE(spill_path_records(nullptr, 0));
  std::vector<PathRecord> all;
  std::FILE* f = std::fopen(path_spill_file_path().c_str(), "rb");
  ASSERT_NE(f, nullptr);
  uint8_t bytes[PATH_RECORD_SIZE];
  while (std::fread(bytes, 1, PATH_RECORD_SIZE, f) == PATH_RECORD_SIZE) {
    PathRecord r;
    read_path_record_bytes(bytes, &r);
    all.push_back(r);
  }
  std::fclose(f);
  for (const PathRecord& r : written()) all.push_back(r);
  ASSERT_EQ(all.size(), 3u + 3u * (2u + segments));
  int32_t lines = 0;
  for (const PathRecord& r : all) lines += r.code == PATH_LINE ? 1 : 0;
  EXPECT_EQ(lines, 3 * segments);
  EXPECT_FLOAT_EQ(all.back().x, segments * 0.001f);
}

}  // namespace
