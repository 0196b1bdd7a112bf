// Trial tool paths: offsets through the engine, preview items and setting a tool's width.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "cam/tool_diameter_check.h"
#include "tests/cam/make_nc_fixture.h"
#include "tests/support/test_folder.h"

namespace {

constexpr double X0 = 1, Y0 = 2, X1 = 11, Y1 = 8;
constexpr double CX = 20, CY = 5, RADIUS = 3;

// Signed distance from the rectangle: negative inside.
double rect_distance(double px, double py) {
  const double cx = (X0 + X1) / 2, cy = (Y0 + Y1) / 2;
  const double qx = std::fabs(px - cx) - (X1 - X0) / 2, qy = std::fabs(py - cy) - (Y1 - Y0) / 2;
  return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0);
}

double circle_distance(double px, double py) { return std::hypot(px - CX, py - CY) - RADIUS; }

// The engine's spill file goes to the fixture's own temp folder.
class ToolDiameterCheck : public MakeNcFixture {
 protected:
  void SetUp() override {
    MakeNcFixture::SetUp();
    reset_tool_diameter_check();
  }
  void TearDown() override {
    clear_tool_path();
    MakeNcFixture::TearDown();
  }
  CamParams centerline() {
    CamParams p;
    p.operation = CAM_OP_CENTERLINE;
    p.finishing.tool_number = 3;
    p.finishing.cut_width = 0.1f;
    return p;
  }
};

// Every node of the results lies at the distance asked, within the rounding of single
// precision; the middle of every arc within the job's tolerance (the engine's half circles
// carry their centres in single precision).
TEST_F(ToolDiameterCheck, OffsetThroughTheEngineLandsAtTheDistance) {
  struct Case {
    bool circle;
    float d;
  };
  for (const Case c : {Case{false, 0.5f}, Case{false, -0.5f}, Case{true, -0.75f}, Case{true, 0.25f}}) {
    SetUp();
    TextLine* item = c.circle ? make_circle(CX, CY, RADIUS, centerline())
                              : make_item(ITEM_POLYLINE, {{X0, Y0}, {X1, Y0}, {X1, Y1}, {X0, Y1}, {X0, Y0}},
                                          centerline());
    EXPECT_EQ(offset_by_tool_path(item, c.d), 1) << c.circle << " " << c.d;
    EXPECT_EQ(g_lists.slots[LIST_SLOT_TOOL_PATHS].first, nullptr) << "the results moved out";
    TextLine* result = item->next;
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->next, nullptr);
    EXPECT_NE(item_nodes(result)[0].node_flags & NODE_KIND_MASK, 0) << "closed";
    auto distance = [&](double x, double y) {
      return c.circle ? circle_distance(x, y) : rect_distance(x, y);
    };
    const LinkRecord* r = item_nodes(result);
    const int n = item_link_count(result);
    for (int k = 0; k <= n; ++k) {
      EXPECT_NEAR(distance(r[k].point.x, r[k].point.y), c.d, 2e-5) << "node " << k;
      if (k == n || !code_is_arc(r[k].code)) continue;
      const double a = r[k].start_angle + r[k].sweep / 2.0;
      EXPECT_NEAR(distance(r[k].centre.x + r[k].code * std::cos(a),
                           r[k].centre.y + r[k].code * std::sin(a)),
                  c.d, g_job_settings.tolerance)
          << "arc " << k;
    }
    TearDown();
  }
}

TEST_F(ToolDiameterCheck, NoOffsetForTinyDistancesOrToolsTooWide) {
  TextLine* item = make_circle(CX, CY, RADIUS, centerline());
  EXPECT_EQ(offset_by_tool_path(item, 0.00001f), -1);
  EXPECT_EQ(offset_by_tool_path(item, -3.5f), -1) << "no circle fits inside";
  EXPECT_EQ(item->next, nullptr);
  // A trial that leaves a path: one closed preview item as wide as the tool.
  DrawingItem* preview = trial_tool_path(item, 0.5f, TRIAL_ANY_SIDE);
  ASSERT_NE(preview, nullptr);
  CamParams p;
  ASSERT_TRUE(get_block_cam(item_block(preview), &p));
  EXPECT_EQ(p.finishing.cut_width, 0.5f);
  EXPECT_LT(circle_distance(item_nodes(preview)[0].point.x, item_nodes(preview)[0].point.y), 0)
      << "centerline items are tried inside";
  EXPECT_EQ(item->next, nullptr) << "the trial's copy is gone";
}

// The text hook: results take the block kind and the layer asked for.
TEST_F(ToolDiameterCheck, TextHookGivesKindAndLayer) {
  TextLine* item = make_circle(CX, CY, RADIUS, centerline());
  EXPECT_EQ(offset_text_by_tool_path(item, 0.2f, GEOMETRY_KIND_DRAWING_AID, 7), 1);
  ASSERT_NE(item->next, nullptr);
  EXPECT_EQ(item_block(item->next)->cam_kind, GEOMETRY_KIND_DRAWING_AID);
  EXPECT_EQ(item_block(item->next)->layer, 7);
  EXPECT_EQ(g_tool_diameter.preview_layer, 0) << "the mode's own layer is back";
}

TEST_F(ToolDiameterCheck, SettingAToolWidth) {
  struct Case {
    const char* what;
    uint8_t operation;
    uint8_t shape;
    float size;
    bool finishing;
    int result;
    float size_after;
    float depth_after;
  };
  const Case cases[] = {
      {"flat", CAM_OP_SPIRAL_POCKET, TOOL_SHAPE_FLAT, 0.3f, true, 1, 0.1f, 0.2f},
      {"ball that reaches", CAM_OP_SPIRAL_POCKET, TOOL_SHAPE_BALL, 0.05f, true, 1, 0.05f, 0.05f},
      {"ball too small", CAM_OP_CONTOUR_INSIDE, TOOL_SHAPE_BALL, 0.03f, false, 1, 0.05f, 0.05f},
      {"island", CAM_OP_ISLAND, TOOL_SHAPE_FLAT, 0.3f, true, -1, 0.3f, 0.2f},
      {"drawing aid", CAM_OP_DRAWING_AID, TOOL_SHAPE_FLAT, 0.3f, true, 0, 0.3f, 0.2f},
  };
  for (const Case& c : cases) {
    CamParams p;
    p.operation = c.operation;
    for (CamToolBlock* t : {&p.finishing, &p.roughing}) {
      t->shape = c.shape;
      t->size = c.size;
      t->cut_depth = 0.2f;
    }
    TextLine* item = make_circle(CX, CY, RADIUS, p);
    EXPECT_EQ(set_tool_width(item, 0.1f, c.finishing), c.result) << c.what;
    ASSERT_TRUE(get_block_cam(item_block(item), &p));
    const CamToolBlock& t = c.finishing ? p.finishing : p.roughing;
    const CamToolBlock& other = c.finishing ? p.roughing : p.finishing;
    EXPECT_FLOAT_EQ(t.size, c.size_after) << c.what;
    EXPECT_FLOAT_EQ(t.cut_depth, c.depth_after) << c.what;
    EXPECT_FLOAT_EQ(t.cut_width, c.result == 1 ? 0.1f : 0.0f) << c.what;
    EXPECT_EQ(t.tool_number, c.result == 1 ? 1 : 0) << c.what;
    EXPECT_FLOAT_EQ(other.cut_width, 0.0f) << c.what;
  }
}

}  // namespace
