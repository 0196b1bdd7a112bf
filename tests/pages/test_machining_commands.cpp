// The machining commands through the queue: the feed-rate list's pick goes to the items' tools,
// dialog 802 sets a group or changes nothing on Cancel, dialog 1010 cancelled answers -27, and
// the change dialogs write only what the user chose, with the change record gone afterwards.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "cam/machining_block.h"
#include "cam/mass_change.h"
#include "commands/machining_commands.h"
#include "commands/machining_pickers.h"
#include "geometry/layers.h"
#include "pages/feed_rate_list.h"
#include "records/job_settings.h"
#include "store/store_host.h"
#include "tests/cam/cam_item_builder.h"
#include "tests/editor/drawing_window.h"
#include "tests/pages/queued_user.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/message_box.h"
#include "ui/popups.h"

namespace {

CamParams pocket_params(int16_t group) {
  CamParams p;
  p.operation = CAM_OP_SPIRAL_POCKET;
  p.machining_group = group;
  p.finishing.tool_number = 1;
  p.finishing.feed = 20;
  p.finishing.cut_width = 0.125f;
  p.roughing.tool_number = 2;
  p.roughing.feed = 30;
  return p;
}

CamParams cam_of(const DrawingItem* item) {
  CamParams p;
  get_block_cam(item_block(item), &p);
  return p;
}

class MachiningCommandsTest : public FormTest, protected QueuedUser {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    reset_machining_commands();
    reset_mass_change();
    reset_feed_rates();
    reset_message_box();
    g_store_host.show_text_box = show_text_box;
    g_job_settings = JobSettings{};
    g_layers.visibility = all_layers_shown();
    QueuedUser::start();
    folder_ = make_test_folder("machining_commands");
    g_feed_rates.path = (folder_ / FEED_RATE_FILE_NAME).string();
    clear_current_list();
    const std::vector<CamNode> square = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
    first_ = add_cam_item(ITEM_RECTANGLE, square, pocket_params(5), GEOMETRY_KIND_MACHINABLE);
    item_nodes(first_)[0].node_flags |= NODE_LOOSE;
    second_ = add_cam_item(ITEM_POLYLINE, square, pocket_params(5), GEOMETRY_KIND_MACHINABLE);
    item_nodes(second_)[0].node_flags |= NODE_LOOSE;
    set_item_flags(second_, ITEM_FLAG_SELECTED | ITEM_FLAG_MARKED);
    window_ = open_drawing_window();
  }
  void TearDown() override {
    QueuedUser::stop();
    reset_store_host();
    while (g_popups.current != nullptr) close_top_popup();
    close_drawing_window(window_);
    reset_feed_rates();
    g_job_settings = JobSettings{};
    FormTest::TearDown();
  }
  int item_count() const {
    int n = 0;
    for (const TextLine* line = g_lists.current.first; line != nullptr; line = line->next) ++n;
    return n;
  }

  std::filesystem::path folder_;
  DrawingItem* first_ = nullptr;
  DrawingItem* second_ = nullptr;
  TextLine* window_ = nullptr;
};

bool feed_list_open() { return g_feed_rates.window != nullptr; }

TEST_F(MachiningCommandsTest, TheChosenFeedRateGoesToBothToolsOfEveryItem) {
  std::ofstream(g_feed_rates.path) << "Aluminum, .25 F80\r\nBrass F0 then F7\r\n";
  when(feed_list_open, [] { headless_inject_keystroke(VK_DOWN, 0); });
  press(VK_RETURN);
  press(VK_RETURN);  // the count's box
  EXPECT_EQ(feed_rate_command(), 2);
  for (DrawingItem* item : {first_, second_}) {
    EXPECT_EQ(cam_of(item).finishing.feed, 7);
    EXPECT_EQ(cam_of(item).roughing.feed, 7);
  }
  EXPECT_NE(g_job_settings.job_changed & JOB_CHANGED, 0);
  EXPECT_EQ(item_count(), 2);  // no change record left behind
  // Nothing of the list changed, so its file is as it was.
  EXPECT_EQ(read_file_bytes(g_feed_rates.path), "Aluminum, .25 F80\r\nBrass F0 then F7\r\n");
}

TEST_F(MachiningCommandsTest, AMissingFeedRateFileGivesTheDefaultLineAndEscChoosesNothing) {
  std::string first_line;
  when(feed_list_open, [&] {
    first_line = g_lists.current.first != nullptr ? g_lists.current.first->text : "";
    headless_inject_keystroke(VK_ESCAPE, 0);
  });
  EXPECT_EQ(feed_rate_command(), 0);
  EXPECT_EQ(first_line, FEED_RATE_DEFAULT_LINE);
  EXPECT_EQ(cam_of(first_).finishing.feed, 20);
}

TEST_F(MachiningCommandsTest, DialogEightOhTwoSetsTheGroupOfTheMarkedItemsAndCancelChangesNothing) {
  press(VK_ESCAPE);
  EXPECT_EQ(set_machining_group(ITEM_FLAG_MARKED), 0);
  EXPECT_EQ(cam_of(second_).machining_group, 5);
  EXPECT_EQ(g_job_settings.job_changed & JOB_CHANGED, 0);

  type("42");
  press(VK_RETURN);
  press(VK_UP);
  type("o");          // OK
  press(VK_RETURN);   // "Success - set 1 items"
  EXPECT_EQ(set_machining_group(ITEM_FLAG_MARKED), 1);
  EXPECT_EQ(cam_of(second_).machining_group, 42);
  EXPECT_EQ(cam_of(first_).machining_group, 5);
  EXPECT_EQ(g_machining_commands.last_group, 42);
  EXPECT_NE(g_message_box.last_text.find("Success - set 1 items"), std::string::npos);
}

TEST_F(MachiningCommandsTest, TheReorderDialogCancelledAnswersMinus27) {
  press(VK_ESCAPE);
  EXPECT_EQ(reorder_items_command(), -27);
}

TEST_F(MachiningCommandsTest, DrawingAidsOfMarkedItemsNeedNoDialogAndTheRecordGoes) {
  EXPECT_EQ(change_items_command(CHANGE_DRAWING_AIDS_MARKED), 1);
  EXPECT_EQ(item_block(second_)->cam_kind, GEOMETRY_KIND_DRAWING_AID);
  EXPECT_EQ(item_block(first_)->cam_kind, GEOMETRY_KIND_MACHINABLE);
  EXPECT_EQ(item_count(), 2);
  EXPECT_EQ(g_mass_change.record, nullptr);
}

TEST_F(MachiningCommandsTest, TheLayerDialogCancelledLeavesItemsAndNoRecord) {
  press(VK_ESCAPE);
  EXPECT_EQ(change_items_command(CHANGE_OP_AND_LAYER_MARKED), 0);
  EXPECT_EQ(cam_of(second_).operation, CAM_OP_SPIRAL_POCKET);
  EXPECT_EQ(item_count(), 2);
  EXPECT_EQ(g_job_settings.job_changed & JOB_CHANGED, 0);
}

// The tool dialogs write only the fields the user filled, into the blocks their option names.
TEST_F(MachiningCommandsTest, TheToolDialogsWriteOnlyWhatWasFilledIntoTheirBlocks) {
  struct Case {
    const char* what;
    int option;
    int row;             // the row typed into
    const char* typed;
    float fin_feed, rough_feed;
    float fin_depth, rough_depth;
  };
  const Case cases[] = {
      // Both tools' feed and nothing else.
      {"feed through 1016", CHANGE_BOTH_TOOLS, 10, "12", 12, 12, 0.1f, 0.1f},
      // The roughing block only.
      {"depth through 1002", CHANGE_ROUGHING_TOOL, 8, "0.3", 20, 30, 0.1f, 0.3f},
      // The finishing block of contour and pocket items.
      {"feed through 1004", CHANGE_FINISHING_TOOL, 10, "44", 44, 30, 0.1f, 0.1f},
      // Centerline items only: the pockets stay.
      {"feed through 1006", CHANGE_CENTERLINE_TOOL, 10, "9", 20, 30, 0.1f, 0.1f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (DrawingItem* item : {first_, second_}) {
      CamParams p = pocket_params(5);
      p.finishing.cut_depth = p.roughing.cut_depth = 0.1f;
      put_block_cam(item_block(item), p);
    }
    g_field.initial_field = c.row;
    press(VK_DELETE);
    type(c.typed);
    press(VK_RETURN);
    for (int k = 0; k < 30; ++k) press(VK_UP);
    type("o");  // OK
    change_items_command(c.option);
    for (DrawingItem* item : {first_, second_}) {
      const CamParams p = cam_of(item);
      EXPECT_FLOAT_EQ(p.finishing.feed, c.fin_feed);
      EXPECT_FLOAT_EQ(p.roughing.feed, c.rough_feed);
      EXPECT_FLOAT_EQ(p.finishing.cut_depth, c.fin_depth);
      EXPECT_FLOAT_EQ(p.roughing.cut_depth, c.rough_depth);
      EXPECT_EQ(p.finishing.tool_number, 1);
      EXPECT_EQ(p.roughing.tool_number, 2);
      EXPECT_FLOAT_EQ(p.finishing.cut_width, 0.125f);
    }
    EXPECT_EQ(item_count(), 2);
    EXPECT_EQ(g_mass_change.record, nullptr);
  }
}

TEST_F(MachiningCommandsTest, AToolDialogCancelledChangesNothingAndMarkedOnlyKeepsToTheMarked) {
  g_field.initial_field = 10;
  type("12");
  press(VK_RETURN);
  press(VK_ESCAPE);
  EXPECT_EQ(change_items_command(CHANGE_BOTH_TOOLS), 0);
  EXPECT_FLOAT_EQ(cam_of(first_).finishing.feed, 20);
  EXPECT_EQ(item_count(), 2);
  EXPECT_EQ(g_job_settings.job_changed & JOB_CHANGED, 0);

  // Option 37: the finishing tools of the marked items only.
  g_field.initial_field = 10;
  press(VK_DELETE);
  type("50");
  press(VK_RETURN);
  for (int k = 0; k < 30; ++k) press(VK_UP);
  type("o");
  EXPECT_EQ(change_items_command(CHANGE_FINISHING_MARKED), 1);
  EXPECT_FLOAT_EQ(cam_of(second_).finishing.feed, 50);
  EXPECT_FLOAT_EQ(cam_of(first_).finishing.feed, 20);
  EXPECT_NE(g_job_settings.job_changed & JOB_CHANGED, 0);
}

TEST_F(MachiningCommandsTest, ANewShapeInADialogDerivesTheWidthFromTheDepth) {
  for (DrawingItem* item : {first_, second_}) {
    CamParams p = pocket_params(5);
    p.finishing.cut_depth = 0.02f;
    put_block_cam(item_block(item), p);
  }
  g_field.initial_field = 2;
  type("b");  // ball end mill: its radius is asked again and a default taken
  for (int k = 0; k < 30; ++k) press(VK_UP);
  type("o");
  change_items_command(CHANGE_FINISHING_TOOL);
  const CamParams p = cam_of(first_);
  EXPECT_EQ(p.finishing.shape, TOOL_SHAPE_BALL);
  EXPECT_GT(p.finishing.size, 0);
  EXPECT_NEAR(p.finishing.cut_width,
              cut_width_from_depth(0.02f, TOOL_SHAPE_BALL, p.finishing.size, 0), 1e-5);
}

// The side-panel texts by what an item is.
TEST_F(MachiningCommandsTest, TheItemTextSaysWhatTheItemsSettingsAre) {
  struct Case {
    const char* what;
    uint8_t type;
    uint8_t kind;
    uint8_t op;
    int16_t group;
    int16_t rough_tool;
    std::vector<std::string> said;
  };
  const Case cases[] = {
      {"drawing aid", ITEM_POLYLINE, GEOMETRY_KIND_DRAWING_AID, 0, 0, 0, {"drawing aid"}},
      {"island without group", ITEM_POLYLINE, GEOMETRY_KIND_MACHINABLE, CAM_OP_ISLAND, 0, 0,
       {"Island", "doesn't belong"}},
      {"island of group 7", ITEM_POLYLINE, GEOMETRY_KIND_MACHINABLE, CAM_OP_ISLAND, 7, 0,
       {"Island", "group: \v7"}},
      {"both tools", ITEM_POLYLINE, GEOMETRY_KIND_MACHINABLE, CAM_OP_SPIRAL_POCKET, 3, 2,
       {"Spiral Pocket", "Finishing Tool: \v1", "Roughing Tool: \v2", "depth: \v0.1000"}},
      {"finishing only", ITEM_POLYLINE, GEOMETRY_KIND_MACHINABLE, CAM_OP_CONTOUR_INSIDE, 3, 0,
       {"Contour Inside", "Finishing Tool: \v1", "width: \v0.1250"}},
      {"centerline", ITEM_POLYLINE, GEOMETRY_KIND_MACHINABLE, CAM_OP_CENTERLINE, 3, 0,
       {"Cut Centerline", "Tool number: \v1"}},
      {"drill point", ITEM_POINT, GEOMETRY_KIND_MACHINABLE, 2, 4, 0,
       {"Peck Drill", "Peck distance: \v0.0500"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CamParams p = pocket_params(c.group);
    p.operation = c.op;
    p.roughing.tool_number = c.rough_tool;
    p.roughing.cut_depth = 0.3f;  // the finishing depth is the one shown
    p.finishing.cut_depth = 0.1f;
    p.peck_distance = 0.05f;
    const DrawingItem* item = add_cam_item(c.type, {{0, 0}, {1, 0}, {1, 1}, {0, 0}}, p, c.kind);
    const std::string text = item_info_string(item);
    for (const std::string& part : c.said) EXPECT_NE(text.find(part), std::string::npos) << text;
  }
}

// An open polyline is closed before it gets a pocket: ends within 0.01 as they stand.
TEST_F(MachiningCommandsTest, AnOpenPolylineWhoseEndsNearlyMeetIsClosedWithoutJoining) {
  DrawingItem* item = add_cam_item(ITEM_POLYLINE, {{0, 0}, {1, 0}, {1, 1}, {0.005f, 0}},
                                   pocket_params(5), GEOMETRY_KIND_MACHINABLE);
  ASSERT_FALSE(item_is_closed(item));
  const int before = item_count();
  DrawingItem* target = item;
  EXPECT_TRUE(close_for_area_operation(&target));
  EXPECT_EQ(target, item);
  EXPECT_TRUE(item_is_closed(item));
  EXPECT_EQ(item_nodes(item)[3].point.x, 0.0f);
  EXPECT_EQ(item_count(), before);
}

}  // namespace
