// The tool forms of a machining block, driven through the event queue: OK refused for a tool
// without size, a block without a tool number reaching only the bar and the tool field, the
// width and depth that follow each other only while the depth is a real one, a typed depth
// written into both tools, the cut direction of an open polyline being its operation, an inch
// tool picked from the list into a millimetre job, and Cancel leaving the block as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cam/machining_block.h"
#include "cam/tools.h"
#include "geometry/drawing_item.h"
#include "nc/cam_host.h"
#include "pages/cam_tool_form.h"
#include "pages/tool_list_page.h"
#include "records/job_settings.h"
#include "store/message_ids.h"
#include "tests/cam/cam_item_builder.h"
#include "tests/pages/tool_list_fixture.h"
#include "tests/ui/form_fixture.h"
#include "ui/list_window.h"
#include "ui/popups.h"
#include "ui/run_window.h"

namespace {

constexpr double RAD = M_PI / 180.0;

// Rows of the finishing form (180) as its catalogue form lists them.
constexpr int ROW_TOOL = 1;
constexpr int ROW_WIDTH = 7;
constexpr int ROW_SIZE = 9;
constexpr int ROW_DEPTH = 12;
constexpr int ROW_DIRECTION = 13;

class CamToolFormTest : public ToolListFixture {
 protected:
  void SetUp() override {
    ToolListFixture::SetUp();
    reset_cam_settings();
    g_cam_host_log = CamHostLog{};
  }
  void TearDown() override {
    reset_cam_settings();
    ToolListFixture::TearDown();
  }

  static bool form_open() { return g_field.running_form != nullptr; }

  // Up to the OK/CANCEL bar, then OK.
  static void to_ok() {
    for (int k = 0; k < 20; ++k) press(VK_UP);
    type("o");
  }

  // A pocket whose finishing tool is a V-bit.
  static CamParams vbit_pocket(float angle_deg, float width, float depth) {
    CamParams p;
    p.operation = CAM_OP_SPIRAL_POCKET;
    p.finishing.tool_number = 1;
    p.finishing.shape = TOOL_SHAPE_TAPERED;
    p.finishing.size = static_cast<float>(angle_deg * RAD);
    p.finishing.cut_width = width;
    p.finishing.cut_depth = depth;
    p.finishing.stepover_percent = 40;
    p.roughing.tool_number = 2;
    p.roughing.shape = TOOL_SHAPE_FLAT;
    p.roughing.size = 0.25f;
    p.roughing.cut_width = 0.25f;
    p.roughing.cut_depth = depth;
    return p;
  }

  // The form opened on a row; the keys are typed there, then OK is chosen.
  static bool run_on_row(CamParams* block, int which, int row, const std::vector<std::string>& typed,
                         const DrawingItem* item = nullptr) {
    g_field.initial_field = row;
    for (const std::string& text : typed) {
      if (text == "\x7f") {
        press(VK_DELETE);
      } else if (text == "\r") {
        press(VK_RETURN);
      } else {
        type(text);
      }
    }
    to_ok();
    return run_cam_tool_form(block, which, item);
  }
};

// Width and depth of a V-bit: each follows the other only while the depth is a real one.
TEST_F(CamToolFormTest, AVbitsWidthAndDepthFollowEachOtherOnlyBelowTheUngivenDepth) {
  struct Case {
    const char* what;
    float depth;
    int row;
    const char* typed;
    float want_width;  // negative: computed from the wanted depth
    float want_depth;  // negative: computed from the wanted width
  };
  const float width = 0.1f;
  const Case cases[] = {
      // A new angle gives the depth from the width whatever the depth was.
      {"angle on depth 150", 150, ROW_SIZE, "90", width, -1},
      // A new width does not touch a depth that is not given.
      {"width on depth 150", 150, ROW_WIDTH, "0.2", 0.2f, 150},
      // A typed depth of 150 leaves the width.
      {"depth 150 typed", 0.05f, ROW_DEPTH, "150", width, 150},
      // A real depth gives the width.
      {"depth 0.1 typed", 0.05f, ROW_DEPTH, "0.1", -1, 0.1f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CamParams block = vbit_pocket(60, width, c.depth);
    const bool accepted = run_on_row(&block, 0, c.row, {"\x7f", c.typed, "\r"});
    ASSERT_TRUE(accepted);
    const CamToolBlock& t = block.finishing;
    const float angle = c.row == ROW_SIZE ? static_cast<float>(90 * RAD) : static_cast<float>(60 * RAD);
    EXPECT_NEAR(t.size, angle, 1e-5);
    const float want_depth = c.want_depth >= 0
                                 ? c.want_depth
                                 : depth_from_cut_width(width, TOOL_SHAPE_TAPERED, angle, 0);
    const float want_width = c.want_width >= 0
                                 ? c.want_width
                                 : cut_width_from_depth(want_depth, TOOL_SHAPE_TAPERED, angle, 0);
    EXPECT_NEAR(t.cut_depth, want_depth, 1e-5);
    EXPECT_NEAR(t.cut_width, want_width, 1e-5);
  }
}

TEST_F(CamToolFormTest, ATypedDepthGoesIntoBothToolsOnOk) {
  CamParams block = vbit_pocket(90, 0.1f, 0.05f);
  ASSERT_TRUE(run_on_row(&block, 0, ROW_DEPTH, {"\x7f", "0.125", "\r"}));
  EXPECT_FLOAT_EQ(block.finishing.cut_depth, 0.125f);
  EXPECT_FLOAT_EQ(block.roughing.cut_depth, 0.125f);
  // The roughing tool's own values stay.
  EXPECT_FLOAT_EQ(block.roughing.cut_width, 0.25f);
  EXPECT_EQ(block.roughing.tool_number, 2);
}

TEST_F(CamToolFormTest, OkIsRefusedForAToolWithoutSizeAndCancelKeepsTheBlock) {
  CamParams block = vbit_pocket(0, 0.1f, 0.05f);  // a taper of 0 degrees: no size
  const CamParams before = block;
  press(VK_RETURN);  // OK: refused, the form stays
  std::string said;
  when(form_open, [&said] { said = g_cam_host_log.last_message(); });
  press(VK_ESCAPE);
  EXPECT_FALSE(run_cam_tool_form(&block, 0, nullptr));
  EXPECT_NE(said.find("taper"), std::string::npos) << said;
  EXPECT_EQ(block.finishing.size, before.finishing.size);
  EXPECT_EQ(block.finishing.cut_depth, before.finishing.cut_depth);
  EXPECT_EQ(block.operation, before.operation);
}

TEST_F(CamToolFormTest, WithoutAToolNumberOnlyTheBarAndTheToolCanBeReached) {
  CamParams block = vbit_pocket(60, 0.1f, 0.05f);
  block.finishing.tool_number = 0;
  std::vector<int> rows;
  const auto look = [&rows] { rows.push_back(g_windows.active->cursor_row); };
  for (int k = 0; k < 4; ++k) {
    press(VK_DOWN);
    when([] { return true; }, look);
  }
  press(VK_ESCAPE);
  run_cam_tool_form(&block, 0, nullptr);
  ASSERT_EQ(rows.size(), 4u);
  for (int row : rows) EXPECT_LE(row, ROW_TOOL);
}

TEST_F(CamToolFormTest, OnAnOpenPolylineTheCutDirectionIsTheSideTheToolRunsOn) {
  CamParams block = vbit_pocket(60, 0.1f, 0.05f);
  block.operation = CAM_OP_CONTOUR_INSIDE;  // tool right
  block.cut_direction = 0;
  const DrawingItem* item =
      add_cam_item(ITEM_POLYLINE, {{0, 0}, {1, 0}, {1, 1}}, block, GEOMETRY_KIND_MACHINABLE);
  ASSERT_FALSE(item_is_closed(item));
  ASSERT_TRUE(run_on_row(&block, 0, ROW_DIRECTION, {"c"}, item));
  EXPECT_EQ(block.operation, CAM_OP_CONTOUR_OUTSIDE);
  EXPECT_EQ(block.cut_direction, 0);
  delete_line(const_cast<DrawingItem*>(item));
}

TEST_F(CamToolFormTest, AnInchToolPickedInAMillimetreJobIsConverted) {
  g_job_settings.units = JOB_UNITS_MILLIMETRE;
  ToolRecord vbit = new_tool_record();
  vbit.units = TOOL_UNITS_INCH;
  vbit.shape = TOOL_SHAPE_TAPERED;
  vbit.size = static_cast<float>(90 * RAD);
  vbit.tip_diameter = 0.01f;
  vbit.tool_number = 4;
  open_tool_list({{"V 90", vbit}});

  CamParams block = vbit_pocket(60, 1.0f, 0.5f);
  ASSERT_TRUE(run_on_row(&block, 0, ROW_TOOL, {"\r", "\r"}));
  const CamToolBlock& t = block.finishing;
  EXPECT_EQ(t.tool_number, 4);
  EXPECT_EQ(t.shape, TOOL_SHAPE_TAPERED);
  EXPECT_NEAR(t.size, 90 * RAD, 1e-5);  // the angle is no length
  EXPECT_NEAR(t.tip_diameter, 0.254, 1e-4);
  // The depth stays; the width follows it with the converted tip.
  EXPECT_NEAR(t.cut_depth, 0.5, 1e-6);
  EXPECT_NEAR(t.cut_width, cut_width_from_depth(0.5f, TOOL_SHAPE_TAPERED, t.size, t.tip_diameter), 1e-4);
}

}  // namespace
