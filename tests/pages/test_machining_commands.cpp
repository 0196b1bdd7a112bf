// The machining commands through the queue: the feed-rate list's pick goes to the items' tools,
// dialog 802 sets a group or changes nothing on Cancel, dialog 1010 cancelled answers -27, and
// the change dialogs write only what the user chose, with the change record gone afterwards.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "cam/machining_block.h"
#include "cam/mass_change.h"
#include "commands/machining_commands.h"
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

}  // namespace
