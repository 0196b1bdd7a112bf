// Changing the machining settings of many items: only what the change record gives is written,
// widths and depths follow the tool shape, the filters pick the items, and the record goes again.
// Also the groups set and moved on many items.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "cam/machining_block.h"
#include "cam/machining_groups.h"
#include "cam/mass_change.h"
#include "geometry/geometry_host.h"
#include "geometry/layers.h"
#include "nc/cam_host.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/cam/cam_item_builder.h"

namespace {

CamToolBlock tool(uint8_t shape, float size, int16_t number, float width, float depth) {
  CamToolBlock b;
  b.shape = shape;
  b.size = size;
  b.tool_number = number;
  b.cut_width = width;
  b.cut_depth = depth;
  b.feed = 20;
  b.rpm = 12000;
  b.stepover_percent = 40;
  b.ramp_angle = 30;
  b.plunge_percent = 50;
  return b;
}

CamParams params(uint8_t op, const CamToolBlock& finishing, const CamToolBlock& roughing = {}) {
  CamParams p;
  p.operation = op;
  p.machining_group = 10;
  p.machining_order = 1;
  p.rapid_height = 0.1f;
  p.finishing = finishing;
  p.roughing = roughing;
  return p;
}

std::vector<uint8_t> stored(const CamParams& p) {
  std::vector<uint8_t> bytes(CAM_PARAMS_SIZE);
  write_cam_params(p, bytes.data());
  return bytes;
}

CamParams cam_of(const DrawingItem* item) {
  CamParams p;
  get_block_cam(item_block(item), &p);
  return p;
}

class MassChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_cam_host();
    reset_geometry_host();
    reset_mass_change();
    g_job_settings = JobSettings{};
    g_layers.visibility = all_layers_shown();
  }
  void TearDown() override {
    delete_change_record();
    free_current_list();
    reset_list_store();
    g_layers.visibility = all_layers_shown();
  }

  // A closed square (or an open line of three sides) of the type, selected.
  static DrawingItem* square(uint8_t type, const CamParams& p, bool closed = true,
                             uint8_t kind = GEOMETRY_KIND_MACHINABLE) {
    DrawingItem* item =
        add_cam_item(type, {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, closed ? 0.0f : 2.0f}}, p, kind);
    if (closed) item_nodes(item)[0].node_flags |= NODE_LOOSE;
    return item;
  }

  // The wanted values after `fill` changed the unchanged record.
  template <typename Fill>
  static CamParams wanted(Fill fill) {
    CamParams w = unchanged_cam_params();
    fill(w);
    return w;
  }
};

// Width and depth follow the shape the change gives, never a depth above 100.
TEST_F(MassChangeTest, WidthAndDepthFollowTheToolShape) {
  struct Case {
    const char* what;
    CamToolBlock before;
    CamParams change;
    float width, depth, size;
  };
  const float r = 0.125f, d = 0.02f;
  const float ball_width = 2 * std::sqrt(r * r - (r - d) * (r - d));
  const Case cases[] = {
      {"only the shape to ball: width from the depth", tool(TOOL_SHAPE_FLAT, r, 1, r, d),
       wanted([](CamParams& w) { w.finishing.shape = TOOL_SHAPE_BALL; }), ball_width, d, r},
      {"only the shape to flat: nothing follows", tool(TOOL_SHAPE_BALL, r, 1, 0.2f, 0.05f),
       wanted([](CamParams& w) { w.finishing.shape = TOOL_SHAPE_FLAT; }), 0.2f, 0.05f, r},
      {"a depth of 150 is stored, no width derived", tool(TOOL_SHAPE_TAPERED, 1.0471976f, 1, 0.1f, 0.05f),
       wanted([](CamParams& w) { w.finishing.cut_depth = 150; }), 0.1f, 150, 1.0471976f},
      {"a flat end mill's size is its width", tool(TOOL_SHAPE_FLAT, 0.25f, 1, 0.25f, 0.05f),
       wanted([](CamParams& w) { w.finishing.size = 0.5f; }), 0.5f, 0.05f, 0.5f},
      {"a flat end mill's width is its size", tool(TOOL_SHAPE_FLAT, 0.25f, 1, 0.25f, 0.05f),
       wanted([](CamParams& w) { w.finishing.cut_width = 0.375f; }), 0.375f, 0.05f, 0.375f},
      {"a ball without size gets one before the width is worked out", tool(TOOL_SHAPE_FLAT, 0, 1, 0, d),
       wanted([](CamParams& w) { w.finishing.shape = TOOL_SHAPE_BALL; }),
       2 * std::sqrt(0.025f * 0.025f - (0.025f - d) * (0.025f - d)), d, 0.025f},
  };
  for (const Case& c : cases) {
    free_current_list();
    DrawingItem* item = square(ITEM_RECTANGLE, params(CAM_OP_CONTOUR_OUTSIDE, c.before));
    EXPECT_EQ(apply_machining_change(CHANGE_FINISHING_TOOL, c.change), 1) << c.what;
    const CamToolBlock after = cam_of(item).finishing;
    EXPECT_NEAR(after.cut_width, c.width, 1e-5) << c.what;
    EXPECT_NEAR(after.cut_depth, c.depth, 1e-5) << c.what;
    EXPECT_NEAR(after.size, c.size, 1e-6) << c.what;
  }
}

TEST_F(MassChangeTest, AFeedAloneChangesTheFeedOfBothToolsAndNothingElse) {
  const CamParams before = params(CAM_OP_SPIRAL_POCKET, tool(TOOL_SHAPE_FLAT, 0.125f, 1, 0.125f, 0.1f),
                                  tool(TOOL_SHAPE_FLAT, 0.25f, 2, 0.25f, 0.1f));
  DrawingItem* item = square(ITEM_RECTANGLE, before);
  EXPECT_EQ(apply_feed_to_items(42.5f), 1);
  CamParams expected = before;
  expected.finishing.feed = 42.5f;
  expected.roughing.feed = 42.5f;
  EXPECT_EQ(stored(cam_of(item)), stored(expected));
  // The record went again and the job must be made again.
  EXPECT_EQ(g_lists.current.first, g_lists.current.last);
  EXPECT_NE(g_job_settings.job_changed & JOB_CHANGED, 0);
  // An unchanged record changes no byte.
  EXPECT_EQ(apply_machining_change(CHANGE_BOTH_TOOLS, unchanged_cam_params()), 1);
  EXPECT_EQ(stored(cam_of(item)), stored(expected));
}

TEST_F(MassChangeTest, TheToolNumberFilterLooksAtTheFinishingToolFirst) {
  DrawingItem* three_five = square(ITEM_RECTANGLE,
      params(CAM_OP_SPIRAL_POCKET, tool(TOOL_SHAPE_FLAT, 0.1f, 3, 0.1f, 0.1f),
             tool(TOOL_SHAPE_FLAT, 0.2f, 5, 0.2f, 0.1f)));
  DrawingItem* five_three = square(ITEM_CIRCLE,
      params(CAM_OP_SPIRAL_POCKET, tool(TOOL_SHAPE_FLAT, 0.1f, 5, 0.1f, 0.1f),
             tool(TOOL_SHAPE_FLAT, 0.2f, 3, 0.2f, 0.1f)));
  const CamParams untouched = cam_of(five_three);
  g_mass_change.tool_filter = 3;
  EXPECT_EQ(apply_machining_change(CHANGE_BOTH_TOOLS,
                                   wanted([](CamParams& w) { w.finishing.rpm = 9000; })), 1);
  EXPECT_EQ(cam_of(three_five).finishing.rpm, 9000);
  EXPECT_EQ(cam_of(three_five).roughing.rpm, 12000);
  EXPECT_EQ(stored(cam_of(five_three)), stored(untouched));
}

TEST_F(MassChangeTest, ToolOptionsPickTheirBlocksAndOperations) {
  const CamToolBlock fin = tool(TOOL_SHAPE_FLAT, 0.1f, 1, 0.1f, 0.1f);
  const CamToolBlock rough = tool(TOOL_SHAPE_FLAT, 0.2f, 2, 0.2f, 0.1f);
  DrawingItem* centerline = square(ITEM_POLYLINE, params(CAM_OP_CENTERLINE, fin, rough), false);
  DrawingItem* pocket = square(ITEM_RECTANGLE, params(CAM_OP_SPIRAL_POCKET, fin, rough));
  const CamParams feed = wanted([](CamParams& w) { w.finishing.feed = 7; });
  struct Case {
    int option;
    float centerline_fin, centerline_rough, pocket_fin, pocket_rough;
  } cases[] = {
      {CHANGE_CENTERLINE_TOOL, 7, 20, 20, 20},
      {CHANGE_FINISHING_TOOL, 20, 20, 7, 20},
      {CHANGE_ROUGHING_TOOL, 20, 7, 20, 7},
  };
  for (const Case& c : cases) {
    for (DrawingItem* item : {centerline, pocket}) {
      CamParams p = cam_of(item);
      p.finishing.feed = p.roughing.feed = 20;
      put_block_cam(item_block(item), p);
    }
    apply_machining_change(c.option, feed);
    EXPECT_EQ(cam_of(centerline).finishing.feed, c.centerline_fin) << c.option;
    EXPECT_EQ(cam_of(centerline).roughing.feed, c.centerline_rough) << c.option;
    EXPECT_EQ(cam_of(pocket).finishing.feed, c.pocket_fin) << c.option;
    EXPECT_EQ(cam_of(pocket).roughing.feed, c.pocket_rough) << c.option;
  }
}

TEST_F(MassChangeTest, FiltersChooseTheItems) {
  const CamParams p = params(CAM_OP_CONTOUR_OUTSIDE, tool(TOOL_SHAPE_FLAT, 0.1f, 1, 0.1f, 0.1f));
  DrawingItem* plain = square(ITEM_RECTANGLE, p);
  DrawingItem* hidden = square(ITEM_RECTANGLE, p);
  item_block(hidden)->layer = 3;
  g_layers.visibility[3] = 0;
  DrawingItem* marked = square(ITEM_CIRCLE, p);
  set_item_flags(marked, ITEM_FLAG_SELECTED | ITEM_FLAG_MARKED);
  DrawingItem* unselected = square(ITEM_CIRCLE, p);
  set_item_flags(unselected, 0);
  struct Case {
    const char* what;
    void (*filter)();
    std::vector<DrawingItem*> changed;
  } cases[] = {
      {"visible selected items", [] {}, {plain, marked}},
      {"hidden layers too", [] { g_mass_change.include_hidden = 1; }, {plain, hidden, marked}},
      {"marked only", [] { g_mass_change.marked_only = 1; }, {marked}},
      {"circles only", [] { g_mass_change.item_type = ITEM_CIRCLE; }, {marked}},
      {"layers 1 to 5", [] { g_mass_change.layer_from = 1; g_mass_change.layer_to = 5;
                              g_mass_change.include_hidden = 1; }, {hidden}},
  };
  for (const Case& c : cases) {
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
      put_block_cam(item_block(item), p);
    reset_mass_change();
    c.filter();
    apply_machining_change(CHANGE_FINISHING_TOOL, wanted([](CamParams& w) { w.finishing.tool_number = 9; }));
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
      const bool expected =
          std::find(c.changed.begin(), c.changed.end(), item) != c.changed.end();
      EXPECT_EQ(cam_of(item).finishing.tool_number == 9, expected) << c.what;
    }
  }
}

TEST_F(MassChangeTest, OperationsNeedAClosedPolylineAboveCenterline) {
  const CamParams p = params(CAM_OP_CENTERLINE, tool(TOOL_SHAPE_FLAT, 0.1f, 1, 0.1f, 0.1f));
  DrawingItem* open = square(ITEM_POLYLINE, p, false);
  DrawingItem* closed = square(ITEM_POLYLINE, p, true);
  DrawingItem* open_aid = square(ITEM_POLYLINE, CamParams{}, false, GEOMETRY_KIND_DRAWING_AID);
  g_mass_change.new_layer = 4;
  EXPECT_EQ(apply_op_and_layer(wanted([](CamParams& w) { w.operation = CAM_OP_SPIRAL_POCKET; })), 3);
  EXPECT_EQ(cam_of(open).operation, CAM_OP_CENTERLINE);
  EXPECT_EQ(cam_of(closed).operation, CAM_OP_SPIRAL_POCKET);
  // An open drawing aid is not given a pocket it could never cut; it only moves layer.
  EXPECT_EQ(item_block(open_aid)->cam_kind, GEOMETRY_KIND_DRAWING_AID);
  for (DrawingItem* item : {open, closed, open_aid}) EXPECT_EQ(item_block(item)->layer, 4);
}

TEST_F(MassChangeTest, PointsOfTheTypeFilterTakeAnyOperation) {
  const CamParams drill = params(CAM_OP_CENTERLINE, tool(TOOL_SHAPE_FLAT, 0.1f, 1, 0.1f, 0.1f));
  DrawingItem* point = add_cam_item(ITEM_POINT, {{1, 1}, {1, 1}}, drill, GEOMETRY_KIND_MACHINABLE);
  DrawingItem* rectangle = square(ITEM_RECTANGLE, drill);
  ASSERT_NE(new_change_record(), nullptr);
  g_mass_change.item_type = ITEM_POINT;
  EXPECT_EQ(apply_op_and_layer(wanted([](CamParams& w) { w.operation = CAM_OP_CONTOUR_OUTSIDE; })), 1);
  EXPECT_EQ(cam_of(point).operation, CAM_OP_CONTOUR_OUTSIDE);
  EXPECT_EQ(cam_of(rectangle).operation, CAM_OP_CENTERLINE);
  delete_change_record();
  EXPECT_EQ(g_lists.current.last, rectangle);
}

TEST_F(MassChangeTest, DrawingAidsOfMarkedItemsIncludeHiddenLayers) {
  const CamParams p = params(CAM_OP_CONTOUR_OUTSIDE, tool(TOOL_SHAPE_FLAT, 0.1f, 1, 0.1f, 0.1f));
  DrawingItem* hidden_marked = square(ITEM_RECTANGLE, p);
  item_block(hidden_marked)->layer = 3;
  g_layers.visibility[3] = 0;
  set_item_flags(hidden_marked, ITEM_FLAG_SELECTED | ITEM_FLAG_MARKED);
  DrawingItem* plain = square(ITEM_RECTANGLE, p);
  g_mass_change.marked_only = 1;
  EXPECT_EQ(make_items_drawing_aids(), 1);
  EXPECT_EQ(item_block(hidden_marked)->cam_kind, GEOMETRY_KIND_DRAWING_AID);
  EXPECT_EQ(item_block(plain)->cam_kind, GEOMETRY_KIND_MACHINABLE);
}

TEST_F(MassChangeTest, FeedRateComesFromTheFirstFWithANumberAboveZero) {
  const struct {
    const char* line;
    float feed;
  } cases[] = {
      {"Aluminum, .25 F80", 80}, {"soft wood, 1/8 f45.5", 45.5f}, {"Brass F0 then F7", 7},
      {"Feed later: F12", 12},   {"no number here", 0},           {"F", 0},
      {"Plastic F.5", 0.5f},     {"", 0},
  };
  for (const auto& c : cases) EXPECT_FLOAT_EQ(feed_rate_from_line(c.line), c.feed) << c.line;
  EXPECT_EQ(feed_rate_from_line(nullptr), 0);
}

TEST_F(MassChangeTest, GroupsAreSetAndMovedOnMachinableItemsOnly) {
  CamParams p = params(CAM_OP_CONTOUR_OUTSIDE, tool(TOOL_SHAPE_FLAT, 0.1f, 1, 0.1f, 0.1f));
  p.machining_group = 0;
  DrawingItem* first = square(ITEM_RECTANGLE, p);
  DrawingItem* second = square(ITEM_CIRCLE, p);
  DrawingItem* aid = square(ITEM_RECTANGLE, CamParams{}, true, GEOMETRY_KIND_DRAWING_AID);
  DrawingItem* hidden = square(ITEM_RECTANGLE, p);
  item_block(hidden)->layer = 2;
  g_layers.visibility[2] = 0;
  EXPECT_EQ(set_group_on_items(ITEM_FLAG_SELECTED, 0), 2);
  // Group 0 is a group a move may start from.
  EXPECT_EQ(item_machining_group(first), 0);
  EXPECT_EQ(item_machining_group(aid), -1);
  EXPECT_EQ(select_group_items(0), 3);  // hidden items belong to their group too
  EXPECT_EQ(move_flagged_items_to_group(20), 3);
  clear_group_flags();
  for (DrawingItem* item : {first, second, hidden}) EXPECT_EQ(cam_of(item).machining_group, 20);
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    EXPECT_EQ(item_flags(item) & ITEM_FLAG_WORKING, 0);
  EXPECT_EQ(select_group_items(7), 0);
}

}  // namespace
