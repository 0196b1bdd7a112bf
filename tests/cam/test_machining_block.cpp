// Machining blocks: their stored layout, defaults, giving and taking them, and the tool rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "cam/tools.h"
#include "geometry/drawing_item.h"
#include "geometry/geometry_host.h"
#include "nc/cam_host.h"
#include "records/job_settings.h"
#include "store/line_list.h"

namespace {

float f32_at(const uint8_t* bytes, size_t offset) {
  uint32_t bits = static_cast<uint32_t>(bytes[offset]) | (bytes[offset + 1] << 8) |
                  (bytes[offset + 2] << 16) | (static_cast<uint32_t>(bytes[offset + 3]) << 24);
  float value;
  std::memcpy(&value, &bits, 4);
  return value;
}

int16_t i16_at(const uint8_t* bytes, size_t offset) {
  return static_cast<int16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

int32_t i32_at(const uint8_t* bytes, size_t offset) {
  return static_cast<int32_t>(static_cast<uint32_t>(bytes[offset]) | (bytes[offset + 1] << 8) |
                              (bytes[offset + 2] << 16) |
                              (static_cast<uint32_t>(bytes[offset + 3]) << 24));
}

CamToolBlock distinct_tool_block(float base) {
  CamToolBlock block;
  block.size = base + 0.5f;
  block.tip_diameter = base + 0.25f;
  block.feed = base + 30;
  block.step_down = base + 0.125f;
  block.rpm = 12000 + static_cast<int32_t>(base);
  block.plunge_percent = 35;
  block.tool_number = static_cast<int16_t>(base + 3);
  block.shape = TOOL_SHAPE_BALL;
  block.feed_unit = 1;
  block.stepover_percent = 42;
  block.ramp_angle = 15;
  block.second_pass_rpm = 3500;
  block.second_pass_feed = 6.5f;
  block.second_pass_depth = 0.002f;
  block.cut_width = base + 0.0625f;
  block.cut_depth = base + 0.03f;
  block.first_stepover = 0.01f;
  return block;
}

class MachiningBlock : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_cam_defaults();
    reset_cam_settings();
    reset_cam_host();
    g_job_settings = JobSettings{};
    // New items take their machining defaults as the program gives them.
    reset_geometry_host();
    g_geometry_host.apply_new_item_defaults = apply_new_item_defaults;
  }
  void TearDown() override {
    free_current_list();
    free_list(g_lists.slots[LIST_SLOT_TOOLS].first);
    reset_list_store();
  }

  // A closed square item of the asked kind at the end of the current list.
  DrawingItem* make_item(uint8_t cam_kind, uint8_t layer = 7) {
    const int links = cam_kind == GEOMETRY_KIND_TEXT ? 4 : 3;
    EXPECT_EQ(new_geometry_block("item", nullptr, links, layer, cam_kind), 0);
    DrawingItem* item = g_lists.current.last;
    LinkRecord* r = item_nodes(item);
    for (int i = 0; i <= links; ++i) {
      r[i].point = PointF{static_cast<float>(i), static_cast<float>(i * i)};
      r[i].node_number = static_cast<int16_t>(i + 1);
      r[i].z = -0.5f * static_cast<float>(i);
    }
    return item;
  }

  // The link records of an item as bytes: what must survive a change of the block's kind.
  static std::vector<uint8_t> link_bytes(const DrawingItem* item) {
    const auto* first = reinterpret_cast<const uint8_t*>(item_nodes(item));
    return std::vector<uint8_t>(first,
                                first + LINK_RECORD_SIZE * (item_link_count(item) + 1));
  }
};

TEST_F(MachiningBlock, StoredLayoutPutsEveryFieldAtItsOffset) {
  CamParams params;
  params.operation = CAM_OP_SPIRAL_POCKET;
  params.cut_direction = 1;
  params.contour_passes = 3;
  params.machining_group = -12;
  params.machining_order = 300;
  params.rapid_height = 0.05f;
  params.surface_z = -1.25f;
  params.finish_allowance = 0.01f;
  params.finish_option = 1;
  params.item_marker = CAM_ITEM_MARKER_MOVE;
  params.peck_distance = 0.1f;
  params.finishing = distinct_tool_block(1);
  params.roughing = distinct_tool_block(2);
  uint8_t bytes[CAM_PARAMS_SIZE];
  std::memset(bytes, 0xAA, sizeof bytes);
  write_cam_params(params, bytes);

  EXPECT_EQ(bytes[0], 4);
  EXPECT_EQ(bytes[1], 1);
  EXPECT_EQ(bytes[5], 3);
  EXPECT_EQ(i16_at(bytes, 6), -12);
  EXPECT_EQ(i16_at(bytes, 8), 300);
  EXPECT_EQ(f32_at(bytes, 12), 0.05f);
  EXPECT_EQ(f32_at(bytes, 16), -1.25f);
  EXPECT_EQ(f32_at(bytes, 20), 0.01f);
  EXPECT_EQ(bytes[24], 1);
  EXPECT_EQ(bytes[25], 'm');
  EXPECT_EQ(f32_at(bytes, 56), 0.1f);
  const uint8_t* finishing = bytes + 84;
  EXPECT_EQ(f32_at(finishing, 0), 1.5f);
  EXPECT_EQ(f32_at(finishing, 4), 1.25f);
  EXPECT_EQ(f32_at(finishing, 8), 31.0f);
  EXPECT_EQ(f32_at(finishing, 12), 1.125f);
  EXPECT_EQ(i32_at(finishing, 16), 12001);
  EXPECT_EQ(i16_at(finishing, 20), 35);
  EXPECT_EQ(i16_at(finishing, 22), 4);
  EXPECT_EQ(finishing[24], TOOL_SHAPE_BALL);
  EXPECT_EQ(finishing[25], 1);
  EXPECT_EQ(finishing[26], 42);
  EXPECT_EQ(finishing[27], 15);
  EXPECT_EQ(i32_at(finishing, 28), 3500);
  EXPECT_EQ(f32_at(finishing, 32), 6.5f);
  EXPECT_EQ(f32_at(finishing, 36), 0.002f);
  EXPECT_EQ(f32_at(finishing, 40), 1.0625f);
  EXPECT_EQ(f32_at(finishing, 44), 1.03f);
  EXPECT_EQ(f32_at(finishing, 48), 0.01f);
  EXPECT_EQ(i16_at(bytes, 136 + 22), 5);           // roughing tool number
  EXPECT_EQ(f32_at(bytes, 136 + 44), 2.03f);       // roughing cutting depth
  // Reserved bytes are zeros, whatever the buffer held.
  for (size_t offset : {2u, 3u, 4u, 10u, 11u, 26u, 40u, 55u, 60u, 83u})
    EXPECT_EQ(bytes[offset], 0) << "offset " << offset;

  CamParams back;
  read_cam_params(bytes, &back);
  uint8_t again[CAM_PARAMS_SIZE];
  write_cam_params(back, again);
  EXPECT_EQ(std::memcmp(bytes, again, CAM_PARAMS_SIZE), 0);
}

TEST_F(MachiningBlock, ToolRecordLayoutSharesItsFirstBytesWithTheToolBlock) {
  ToolRecord tool;
  tool.size = 0.125f;
  tool.tip_diameter = 0.005f;
  tool.feed = 22.5f;
  tool.step_down = 0.02f;
  tool.rpm = 18000;
  tool.plunge_percent = 40;
  tool.tool_number = 12;
  tool.shape = TOOL_SHAPE_TAPERED;
  tool.feed_unit = 1;
  tool.stepover_percent = 45;
  tool.ramp_angle = 30;
  tool.units = TOOL_UNITS_INCH;
  uint8_t record[TOOL_RECORD_SIZE];
  std::memset(record, 0xAA, sizeof record);
  write_tool_record(tool, record);
  EXPECT_EQ(f32_at(record, 0), 0.125f);
  EXPECT_EQ(i32_at(record, 16), 18000);
  EXPECT_EQ(i16_at(record, 22), 12);
  EXPECT_EQ(record[24], TOOL_SHAPE_TAPERED);
  EXPECT_EQ(record[26], 45);
  EXPECT_EQ(record[27], 30);
  EXPECT_EQ(record[28], TOOL_UNITS_INCH);
  EXPECT_EQ(record[29] | record[30] | record[31], 0);

  CamToolBlock block;
  tool_to_cam_block(tool, &block);
  uint8_t block_bytes[CAM_TOOL_BLOCK_SIZE];
  write_cam_tool_block(block, block_bytes);
  EXPECT_EQ(std::memcmp(block_bytes, record, TOOL_RECORD_SHARED_SIZE), 0);
}

TEST_F(MachiningBlock, NewToolFollowsTheJobsUnits) {
  struct Case {
    uint8_t units;
    float feed;
  } cases[] = {{JOB_UNITS_INCH, 15.0f}, {JOB_UNITS_MILLIMETRE, 300.0f}};
  for (const Case& c : cases) {
    g_job_settings.units = c.units;
    const ToolRecord tool = new_tool_record();
    EXPECT_EQ(tool.feed, c.feed);
    EXPECT_EQ(tool.units, c.units);
    EXPECT_EQ(tool.shape, TOOL_SHAPE_TAPERED);
    EXPECT_NEAR(tool.size, 60 * 3.14159265 / 180, 1e-6);
    EXPECT_EQ(tool.rpm, 5000);
    EXPECT_EQ(tool.plunge_percent, 40);
    EXPECT_EQ(tool.stepover_percent, 45);
    EXPECT_EQ(tool.ramp_angle, 90);
  }
}

TEST_F(MachiningBlock, ApplyDefaultsTakesTheSlotOfTheCutType) {
  // Each slot's machining block gets its slot number as group, so the copy shows its source.
  for (int slot = 0; slot < CAM_SLOT_COUNT; ++slot) {
    CamParams params;
    params.machining_group = static_cast<int16_t>(100 + slot);
    params.operation = 9;
    write_cam_params(params, cam_default_params(slot));
  }
  g_job_settings.climb_milling = 1;
  g_job_settings.new_item_cut_type = 0;
  struct Case {
    uint8_t kind;
    int cut_type;
    int slot;   // -1: nothing changes
    uint8_t op;
  } cases[] = {
      {GEOMETRY_KIND_MACHINABLE, 1, CAM_SLOT_DRAWING_CENTERLINE, 1},
      {GEOMETRY_KIND_MACHINABLE, 7, CAM_SLOT_DRAWING_CENTERLINE, 1},
      {GEOMETRY_KIND_MACHINABLE, 2, CAM_SLOT_DRAWING_CONTOUR, 2},
      {GEOMETRY_KIND_MACHINABLE, 3, CAM_SLOT_DRAWING_CONTOUR, 3},
      {GEOMETRY_KIND_MACHINABLE, 5, CAM_SLOT_DRAWING_CONTOUR, 5},
      {GEOMETRY_KIND_MACHINABLE, 4, CAM_SLOT_DRAWING_POCKET, 4},
      {GEOMETRY_KIND_TEXT, 1, CAM_SLOT_TEXT_CENTERLINE, 1},
      {GEOMETRY_KIND_TEXT, 3, CAM_SLOT_TEXT_CONTOUR, 3},
      {GEOMETRY_KIND_TEXT, 4, CAM_SLOT_TEXT_POCKET, 4},
      {GEOMETRY_KIND_MACHINABLE, 0, -1, 0},
      {GEOMETRY_KIND_MACHINABLE, 6, -1, 0},
      {GEOMETRY_KIND_MACHINABLE, 8, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << int(c.kind) << " cut type " << c.cut_type);
    DrawingItem* item = make_item(c.kind);
    GeometryBlock* block = item_block(item);
    const std::vector<uint8_t> before(block_cam_params(block),
                                      block_cam_params(block) + CAM_PARAMS_SIZE);
    apply_cam_defaults(block, c.cut_type);
    const std::vector<uint8_t> after_bytes(block_cam_params(block),
                                           block_cam_params(block) + CAM_PARAMS_SIZE);
    if (c.slot < 0) {
      EXPECT_EQ(after_bytes, before);
      continue;
    }
    CamParams after;
    get_block_cam(block, &after);
    EXPECT_EQ(after.machining_group, 100 + c.slot);
    EXPECT_EQ(after.operation, c.op);
    EXPECT_EQ(after.cut_direction, 1);
  }
  // A drawing aid has no machining block to fill.
  DrawingItem* aid = make_item(GEOMETRY_KIND_DRAWING_AID);
  const std::vector<uint8_t> before = aid->extra;
  apply_cam_defaults(item_block(aid), 1);
  EXPECT_EQ(aid->extra, before);
}

TEST_F(MachiningBlock, InitDefaultsFromATaperedFirstToolInInches) {
  g_job_settings.climb_milling = 0;
  init_cam_defaults(CAM_SLOT_DRAWING_CONTOUR, false);  // no tool list: the default tool
  CamParams params;
  read_cam_params(cam_default_params(CAM_SLOT_DRAWING_CONTOUR), &params);
  EXPECT_EQ(params.operation, 0);
  EXPECT_EQ(params.cut_direction, 0);
  EXPECT_EQ(params.rapid_height, 0.05f);
  EXPECT_EQ(params.finish_allowance, 0.01f);
  EXPECT_EQ(params.finishing.tool_number, 1);
  EXPECT_EQ(params.finishing.shape, TOOL_SHAPE_TAPERED);
  EXPECT_EQ(params.finishing.cut_width, 0.025f);
  // A 60-degree point cuts 0.025 wide at 0.0125 / tan(30 deg).
  EXPECT_NEAR(params.finishing.cut_depth, 0.0125 / std::tan(3.14159265 / 6), 1e-6);
  EXPECT_EQ(params.finishing.stepover_percent, 25);
  EXPECT_EQ(params.finishing.ramp_angle, 90);
  EXPECT_EQ(params.finishing.second_pass_depth, 0.0f);
  EXPECT_EQ(params.roughing.tool_number, 0);
  EXPECT_EQ(params.roughing.cut_depth, params.finishing.cut_depth);
  EXPECT_EQ(params.roughing.stepover_percent, 45);
  EXPECT_EQ(params.roughing.ramp_angle, 90);
  // The other slots are untouched.
  CamParams other;
  read_cam_params(cam_default_params(CAM_SLOT_TEXT_CONTOUR), &other);
  EXPECT_EQ(other.finishing.tool_number, 0);
}

TEST_F(MachiningBlock, InitDefaultsFromAFlatFirstToolInMillimetres) {
  ToolRecord flat;
  flat.shape = TOOL_SHAPE_FLAT;
  flat.size = 3.0f;
  flat.tool_number = 0;  // becomes 1
  flat.feed = 500;
  g_lists.current = LineList{};
  append_line("3 mm end mill", tool_record_extra(flat));
  g_lists.slots[LIST_SLOT_TOOLS] = g_lists.current;
  clear_current_list();
  init_cam_defaults(CAM_SLOT_TEXT_POCKET, true);
  CamParams params;
  read_cam_params(cam_default_params(CAM_SLOT_TEXT_POCKET), &params);
  EXPECT_EQ(params.finishing.cut_width, 3.0f);
  EXPECT_EQ(params.finishing.cut_depth, 0.75f);
  EXPECT_EQ(params.finishing.stepover_percent, 40);
  EXPECT_EQ(params.finishing.feed, 500.0f);
  EXPECT_EQ(params.finishing.tool_number, 1);
  EXPECT_EQ(params.rapid_height, 1.0f);
  EXPECT_EQ(params.finish_allowance, 0.2f);
  EXPECT_EQ(params.roughing.cut_depth, 0.75f);
}

TEST_F(MachiningBlock, DepthAndWidthOfTaperedToolsAndBalls) {
  const float deg90 = 3.14159265f / 2;
  struct Case {
    const char* name;
    float width;
    int shape;
    float size;
    float tip;
    float depth;
    bool message;
  } cases[] = {
      {"90 degree point", 0.2f, TOOL_SHAPE_TAPERED, deg90, 0.0f, 0.1f, false},
      {"90 degree with flat tip", 0.2f, TOOL_SHAPE_TAPERED, deg90, 0.02f, 0.09f, false},
      {"tip wider than the cut", 0.01f, TOOL_SHAPE_TAPERED, deg90, 0.02f, 0.0f, true},
      {"no taper", 0.2f, TOOL_SHAPE_TAPERED, 0.0f, 0.0f, 0.0f, false},
      {"no width", 0.0f, TOOL_SHAPE_BALL, 0.1f, 0.0f, 0.0f, false},
      {"ball half its diameter", 0.2f, TOOL_SHAPE_BALL, 0.1f, 0.0f, 0.1f, false},
      {"ball too small", 0.3f, TOOL_SHAPE_BALL, 0.1f, 0.0f, 0.0f, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_cam_host();
    EXPECT_NEAR(depth_from_cut_width(c.width, c.shape, c.size, c.tip), c.depth, 1e-6);
    EXPECT_EQ(g_cam_host_log.message_count(), c.message ? 1 : 0);
    // Where a depth was found, the width at that depth is the width asked for.
    if (c.depth > 0) {
      EXPECT_NEAR(cut_width_from_depth(c.depth, c.shape, c.size, c.tip), c.width, 1e-6);
    }
  }
  EXPECT_NE(g_cam_host_log.last_message().find("too small"), std::string::npos);
  // A ball deeper than its radius cuts its full diameter.
  EXPECT_EQ(cut_width_from_depth(0.5f, TOOL_SHAPE_BALL, 0.1f, 0.0f), 0.2f);
  EXPECT_EQ(cut_width_from_depth(0.5f, TOOL_SHAPE_TAPERED, 0.0f, 0.0f), 0.0f);
}

TEST_F(MachiningBlock, PassCountClearsTheBandAndStaysWithinTen) {
  struct Case {
    const char* name;
    float width, stepover, first_stepover, rough_width, allowance;
    int passes;
  } cases[] = {
      {"no stepover", 0.1f, 0, 0, 0.5f, 0, 0},
      {"finishing wider than the band", 0.3f, 50, 0, 0.5f, 0.01f, 1},
      {"first stepover reaches the band", 0.1f, 50, 0.2f, 0.5f, 0, 2},
      {"band of several steps", 0.125f, 50, 0, 0.5f, 0.125f, 6},  // (0.375 - 0.125) / 0.0625 + 2
      {"huge band", 0.01f, 10, 0, 10.0f, 0, 10},
      {"allowance not given", 0.01f, 10, 0, 0.5f, CAM_NOT_GIVEN, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CamParams params;
    params.finish_allowance = c.allowance;
    CamToolBlock finishing, roughing;
    finishing.cut_width = c.width;
    finishing.stepover_percent = static_cast<uint8_t>(c.stepover);
    finishing.first_stepover = c.first_stepover;
    roughing.cut_width = c.rough_width;
    EXPECT_EQ(cam_pass_count(params, finishing, roughing), c.passes);
  }
}

TEST_F(MachiningBlock, AddAndRemoveKeepEveryLink) {
  DrawingItem* aid = make_item(GEOMETRY_KIND_DRAWING_AID, 9);
  const std::vector<uint8_t> links = link_bytes(aid);
  EXPECT_EQ(remove_item_cam(aid), 0);

  GeometryBlock* block = add_item_cam(aid);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->cam_kind, GEOMETRY_KIND_MACHINABLE);
  EXPECT_EQ(block->layer, 9);
  EXPECT_EQ(link_bytes(aid), links);
  const uint8_t* cam = block_cam_params(block);
  for (size_t i = 0; i < CAM_PARAMS_SIZE; ++i) ASSERT_EQ(cam[i], 0) << i;
  EXPECT_EQ(add_item_cam(aid), nullptr) << "only a drawing aid gets a new block";

  EXPECT_EQ(remove_item_cam(aid), 1);
  EXPECT_EQ(item_block(aid)->cam_kind, GEOMETRY_KIND_DRAWING_AID);
  EXPECT_EQ(item_block(aid)->layer, 9);
  EXPECT_EQ(link_bytes(aid), links);
  EXPECT_EQ(aid->extra.size(), block_alloc_size(GEOMETRY_KIND_DRAWING_AID, 3));
}

TEST_F(MachiningBlock, RemovingFromTextKeepsLayoutAndFrame) {
  DrawingItem* text = make_item(GEOMETRY_KIND_TEXT);
  uint8_t* layout = block_text_layout(item_block(text));
  for (size_t i = 0; i < TEXT_LAYOUT_SIZE; ++i) layout[i] = static_cast<uint8_t>(i);
  CamParams params;
  params.operation = CAM_OP_CONTOUR_OUTSIDE;
  params.finishing.cut_width = 0.1f;
  params.finishing.tool_number = 4;
  put_block_cam(item_block(text), params);
  const std::vector<uint8_t> before = text->extra;

  EXPECT_EQ(remove_item_cam(text), 1);
  CamParams after;
  get_block_cam(item_block(text), &after);
  EXPECT_EQ(after.operation, 0);
  EXPECT_EQ(after.finishing.cut_width, 0.0f);
  EXPECT_EQ(after.finishing.tool_number, 4);
  ASSERT_EQ(text->extra.size(), before.size());
  EXPECT_TRUE(std::equal(before.begin() + TEXT_LAYOUT_OFFSET, before.end(),
                         text->extra.begin() + TEXT_LAYOUT_OFFSET));
}

TEST_F(MachiningBlock, StoringAndCopyingMarkTheJobChanged) {
  DrawingItem* source = make_item(GEOMETRY_KIND_MACHINABLE);
  DrawingItem* aid = make_item(GEOMETRY_KIND_DRAWING_AID);
  DrawingItem* target = make_item(GEOMETRY_KIND_DRAWING_AID);

  // From a drawing aid (operation 0) nothing is copied and nothing changes.
  g_job_settings.text_items_ready = 1;
  g_job_settings.nc_state = NC_STATE_PROGRAM_READY;
  const std::vector<uint8_t> target_before = target->extra;
  EXPECT_EQ(copy_item_cam(aid, target), -1);
  CamParams params;
  params.operation = CAM_OP_CONTOUR_INSIDE;
  put_block_cam(item_block(source), params);
  set_block_cam_op(item_block(source), 0);
  EXPECT_EQ(copy_item_cam(source, target), -1);
  EXPECT_EQ(target->extra, target_before);
  EXPECT_EQ(g_job_settings.job_changed, 0);

  params.operation = CAM_OP_CONTOUR_INSIDE;
  params.machining_group = 5;
  params.finishing.tool_number = 2;
  put_block_cam(item_block(source), params);
  EXPECT_EQ(copy_item_cam(source, target), 0);
  EXPECT_EQ(item_block(target)->cam_kind, GEOMETRY_KIND_MACHINABLE);
  EXPECT_EQ(std::memcmp(block_cam_params(item_block(target)),
                        block_cam_params(item_block(source)), CAM_PARAMS_SIZE),
            0);
  EXPECT_EQ(g_job_settings.job_changed & JOB_CHANGED, JOB_CHANGED);
  EXPECT_EQ(g_job_settings.text_items_ready, 0);
  EXPECT_EQ(g_job_settings.nc_state, 0);
}

TEST_F(MachiningBlock, DrillKindFollowsThePeckDistance) {
  struct Case {
    float peck;
    uint8_t op, expected;
    int changed;
  } cases[] = {{0.1f, 1, 2, 1}, {0.1f, 4, 5, 1}, {0.1f, 2, 2, 0}, {0.0f, 2, 1, 1},
               {0.0f, 5, 4, 1}, {0.0f, 1, 1, 0}, {0.1f, 3, 3, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "peck " << c.peck << " op " << int(c.op));
    DrawingItem* point = make_item(GEOMETRY_KIND_MACHINABLE);
    CamParams params;
    params.operation = c.op;
    params.peck_distance = c.peck;
    put_block_cam(item_block(point), params);
    EXPECT_EQ(set_drill_kind(item_block(point)), c.changed);
    EXPECT_EQ(block_cam_op(item_block(point)), c.expected);
  }
}

TEST_F(MachiningBlock, KindMatchesByFamilyAndOperation) {
  DrawingItem* drawing = make_item(GEOMETRY_KIND_MACHINABLE);
  DrawingItem* text = make_item(GEOMETRY_KIND_TEXT);
  DrawingItem* aid = make_item(GEOMETRY_KIND_DRAWING_AID);
  struct Case {
    DrawingItem* item;
    uint8_t op;
    int for_drawing, cut_kind, expected;
  } cases[] = {
      {drawing, 1, 1, CAM_KIND_CENTERLINE, 0}, {drawing, 2, 1, CAM_KIND_CENTERLINE, -1},
      {drawing, 7, 1, CAM_KIND_CONTOUR, 0},    {drawing, 5, 1, CAM_KIND_CONTOUR, 0},
      {drawing, 4, 1, CAM_KIND_POCKET, 0},     {drawing, 4, 0, CAM_KIND_POCKET, -1},
      {drawing, 4, 1, CAM_KIND_ANY_TEXT, -1},  {text, 3, 0, CAM_KIND_CONTOUR, 0},
      {text, 3, 1, CAM_KIND_CONTOUR, -1},      {text, 0, 0, CAM_KIND_ANY_TEXT, 0},
      {aid, 0, 1, CAM_KIND_CENTERLINE, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "op " << int(c.op) << " kind " << c.cut_kind);
    set_block_cam_op(item_block(c.item), c.op);
    EXPECT_EQ(cam_kind_matches(c.item, c.for_drawing, c.cut_kind), c.expected);
  }
}

TEST_F(MachiningBlock, NewItemsTakeTheJobsCutTypes) {
  g_job_settings.text_cut_type = 3;
  g_job_settings.new_item_cut_type = 2;
  ASSERT_EQ(new_geometry_block("Hello", nullptr, 4, 0, GEOMETRY_KIND_TEXT), 0);
  EXPECT_EQ(block_cam_op(item_block(g_lists.current.last)), 3);
  ASSERT_EQ(new_geometry_block("", nullptr, 2, 0, GEOMETRY_KIND_MACHINABLE), 0);
  EXPECT_EQ(block_cam_op(item_block(g_lists.current.last)), 2);
}

TEST_F(MachiningBlock, StoredDefaultsServeTheNextNewItem) {
  DrawingItem* model = make_item(GEOMETRY_KIND_MACHINABLE);
  CamParams params;
  params.operation = CAM_OP_SPIRAL_POCKET;
  params.finishing.tool_number = 6;
  params.roughing.tool_number = 7;
  params.rapid_height = 0.2f;
  put_block_cam(item_block(model), params);
  EXPECT_TRUE(store_cam_defaults(model, 1, CAM_KIND_POCKET));
  EXPECT_FALSE(store_cam_defaults(model, 1, 3));

  g_job_settings.new_item_cut_type = CAM_OP_SPIRAL_POCKET;
  g_job_settings.climb_milling = 1;
  DrawingItem* fresh = make_item(GEOMETRY_KIND_MACHINABLE);
  CamParams got;
  get_block_cam(item_block(fresh), &got);
  EXPECT_EQ(got.operation, CAM_OP_SPIRAL_POCKET);
  EXPECT_EQ(got.finishing.tool_number, 6);
  EXPECT_EQ(got.roughing.tool_number, 7);
  EXPECT_EQ(got.rapid_height, 0.2f);
  EXPECT_EQ(got.cut_direction, 1);

  DrawingItem* text = make_item(GEOMETRY_KIND_TEXT);
  block_text_layout(item_block(text))[17] = 0x5A;
  EXPECT_TRUE(store_text_defaults(text));
  for (int slot = CAM_SLOT_TEXT_CENTERLINE; slot <= CAM_SLOT_TEXT_POCKET; ++slot)
    EXPECT_EQ(cam_default_slot(slot)[TEXT_LAYOUT_OFFSET + 17], 0x5A);
  EXPECT_FALSE(store_text_defaults(model));
}

TEST_F(MachiningBlock, ToolShapeCheckNamesWhatIsMissing) {
  EXPECT_EQ(check_tool_shape(TOOL_SHAPE_FLAT, 0.1f, 1), 450);
  EXPECT_EQ(g_cam_host_log.message_count(), 0);
  EXPECT_EQ(check_tool_shape(TOOL_SHAPE_TAPERED, 0.0f, 0), 0);
  EXPECT_EQ(g_cam_host_log.message_count(), 0);
  for (int shape = 0; shape < 3; ++shape) {
    EXPECT_EQ(check_tool_shape(shape, 0.0f, 1), 0);
    EXPECT_EQ(g_cam_host_log.last_message(), CAM_MESSAGE_NO_SIZE[shape]);
  }
}

}  // namespace
