// The machining modes that wait for clicks on items: SET MACHINING ORDER, the group picker and
// the settings pickers. The user's clicks come through the event queue with the item under the
// pointer set as the hover reader would find it; the items' blocks are read back, and every
// way out gives the button bindings and the help box back.
#include <gtest/gtest.h>

#include <vector>

#include "cam/machining_block.h"
#include "commands/machining_commands.h"
#include "commands/machining_order_mode.h"
#include "commands/machining_pickers.h"
#include "editor/button_bindings.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/view_state.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "store/catalogue.h"
#include "tests/editor/drawing_window.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/idle_typist.h"
#include "ui/message_box.h"
#include "ui/popups.h"

namespace {

class MachiningPickTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    set_view(10.0f, -5.0f, 40.0f);
    reset_catalogue();
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
    reset_machining_commands();
    reset_job_settings();
    // The pointer rests in the drawing, over nothing: clicks there pick the item under it.
    g_hover.pick_mode = 14;
    capture_at(200, g_view.area_top + 100);
    drawing_ = open_drawing_window();
    start_typist();
    left_ = g_button_bindings.current[BUTTON_LEFT_BIT];
    help_depth_ = g_help.depth;
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    while (g_popups.current != nullptr) close_top_popup();
    close_drawing_window(drawing_);
    reset_catalogue();
    set_program_folder_for_tests("");
    EditorFixture::TearDown();
  }

  // A machinable circle in a group at an order (group -1: a drawing aid).
  static DrawingItem* item(int group, int order, int tool = 1) {
    DrawingItem* it = add_circle({float(5 * group % 30), float(order)}, 1.0f);
    if (group < 0) return it;
    CamParams p;
    p.operation = CAM_OP_CONTOUR_OUTSIDE;
    p.machining_group = static_cast<int16_t>(group);
    p.machining_order = static_cast<int16_t>(order);
    p.finishing.tool_number = static_cast<int16_t>(tool);
    put_block_cam(add_item_cam(it), p);
    it = g_lists.current.last;
    set_item_flags(it, ITEM_FLAG_SELECTED);
    return it;
  }
  static CamParams block_of(const DrawingItem* it) {
    CamParams p;
    get_block_cam(item_block(it), &p);
    return p;
  }

  // The user clicks the left button with the item under the pointer.
  static void click_on(DrawingItem* it) {
    g_typist.steps.push_back([it] {
      g_hover.hover_item = it;
      headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, g_pointer.wanted_x, g_pointer.wanted_y);
      headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, g_pointer.wanted_x, g_pointer.wanted_y);
    });
  }
  static void press_when_box(int vk) {
    g_typist.steps.push_back(typist_step_when([] { return g_popups.current != nullptr; },
                                              [vk] { headless_inject_keystroke(vk, 0); }));
  }
  void expect_restored() const {
    EXPECT_EQ(g_button_bindings.current[BUTTON_LEFT_BIT], left_);
    EXPECT_EQ(g_button_bindings.depth, 0);
    EXPECT_EQ(g_help.depth, help_depth_);
  }

  TextLine* drawing_ = nullptr;
  int16_t left_ = 0;
  int help_depth_ = 0;
};

// Mode 0 numbers the items of the first clicked item's group in click order, the others of the
// group moving up; an item of another group is passed over, one without a group joins; clicking
// the item just numbered again does nothing.
TEST_F(MachiningPickTest, SetMachiningOrderNumbersOneGroupInClickOrder) {
  DrawingItem* a = item(20, 1);
  DrawingItem* b = item(20, 2);
  DrawingItem* c = item(20, 3);
  DrawingItem* other = item(30, 1);
  DrawingItem* loose = item(0, 0);
  for (DrawingItem* it : {c, other, loose, loose, b}) click_on(it);
  typist_key(VK_ESCAPE);
  g_job_settings.nc_state = 1;
  EXPECT_EQ(machining_order_command(0), 3);
  struct Expected {
    DrawingItem* item;
    int group, order;
    const char* name;
  };
  for (const Expected& e : {Expected{c, 20, 1, "c"}, Expected{loose, 20, 2, "loose"},
                            Expected{b, 20, 3, "b"}, Expected{a, 20, 4, "a"},
                            Expected{other, 30, 1, "other"}}) {
    EXPECT_EQ(block_of(e.item).machining_group, e.group) << e.name;
    EXPECT_EQ(block_of(e.item).machining_order, e.order) << e.name;
  }
  EXPECT_EQ(g_job_settings.nc_state, 0);
  expect_restored();
}

// Mode 1 gives each clicked item the group of the group field (10 at first).
TEST_F(MachiningPickTest, SetMachiningOrderWithGroupsGivesTheFieldsGroup) {
  DrawingItem* x = item(30, 5);
  DrawingItem* y = item(40, 2);
  click_on(y);
  click_on(x);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(machining_order_command(1), 2);
  EXPECT_EQ(block_of(y).machining_group, 10);
  EXPECT_EQ(block_of(y).machining_order, 1);
  EXPECT_EQ(block_of(x).machining_group, 10);
  EXPECT_EQ(block_of(x).machining_order, 2);
  expect_restored();
}

// The group picker answers a clicked item's group, 0 included; a drawing aid is refused with a
// box and the picker goes on; Esc answers -1.
TEST_F(MachiningPickTest, TheGroupPickerTakesAClickedItemsGroup) {
  DrawingItem* grouped = item(25, 1);
  DrawingItem* none = item(0, 1);
  DrawingItem* aid = item(-1, 0);
  click_on(grouped);
  EXPECT_EQ(pick_group_number("Pick"), 25);
  click_on(none);
  EXPECT_EQ(pick_group_number("Pick"), 0);
  click_on(aid);
  press_when_box(VK_RETURN);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(pick_group_number("Pick"), -1);
  EXPECT_NE(g_message_box.last_text.find("not set to be machined"), std::string::npos);
  expect_restored();
}

// Copying to picked items: the reference's block goes into each clicked item; a drawing aid as
// the reference is refused and the picker waits for another.
TEST_F(MachiningPickTest, CopyToPickedItemsGivesEachClickedItemTheSettings) {
  DrawingItem* aid = item(-1, 0);
  DrawingItem* reference = item(50, 1, 7);
  DrawingItem* first = item(10, 1, 2);
  DrawingItem* second = item(-1, 0);
  click_on(aid);
  press_when_box(VK_RETURN);
  click_on(reference);
  click_on(first);
  click_on(second);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(copy_cam_to_picked(), 2);
  for (DrawingItem* it : {first, g_lists.current.last}) {
    EXPECT_EQ(block_of(it).finishing.tool_number, 7);
    EXPECT_EQ(block_of(it).machining_group, 50);
  }
  EXPECT_EQ(item_block(aid)->cam_kind, GEOMETRY_KIND_DRAWING_AID);
  expect_restored();
}

// Clicked items become drawing aids; the count says how many.
TEST_F(MachiningPickTest, ClickedItemsBecomeDrawingAids) {
  DrawingItem* a = item(10, 1);
  DrawingItem* b = item(10, 2);
  click_on(a);
  click_on(b);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(mark_drawing_aids(), 2);
  for (const DrawingItem* it = g_lists.current.first; it != nullptr; it = it->next)
    EXPECT_EQ(item_block(it)->cam_kind, GEOMETRY_KIND_DRAWING_AID);
  expect_restored();
}

}  // namespace
