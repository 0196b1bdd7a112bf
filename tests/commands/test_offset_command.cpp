// OFFSET driven through the event queue on the headless screen: a square offset by value with a
// side click, by dragging, by a distance typed during the drag and on both sides; a link offset
// into a new link and moved in place. Each is one undo step.
#include <cmath>

#include "command_panel_fixture.h"
#include "commands/offset_command.h"
#include "editor/button_bindings.h"
#include "editor/undo_store.h"

namespace {

class OffsetCommand : public CommandPanelFixture {
 protected:
  void SetUp() override {
    CommandPanelFixture::SetUp();
    reset_offset_state();
    // A closed 10 x 10 square, counter-clockwise from the origin.
    DrawingItem* square = with_id(add_polyline({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}));
    item_nodes(square)[0].node_flags |= NODE_LOOSE;
    rest_at({-5, 20});
  }
  // The item's extents as (min x, min y, max x, max y).
  static void expect_extents(DrawingItem* item, float lo, float hi) {
    ASSERT_NE(item, nullptr);
    PointF a{};
    PointF b{};
    item_extents(item, &a, &b);
    EXPECT_NEAR(a.x, lo, 2e-3);
    EXPECT_NEAR(a.y, lo, 2e-3);
    EXPECT_NEAR(b.x, hi, 2e-3);
    EXPECT_NEAR(b.y, hi, 2e-3);
  }
};

// By value, CAD-type: the side clicked outside gives a square 1 larger all round, with sharp
// corners; Ctrl+Z takes it away again.
TEST_F(OffsetCommand, ByValueTheClickedSideDecides) {
  g_offset.by_value = true;
  g_offset.cam_type = false;
  g_offset.value = 1.0f;
  const int depth = g_button_bindings.depth;
  click_on({5, 0});   // the bottom side
  click_on({5, -4});  // outside
  click_on({5, 10});  // the top side
  click_on({5, 5});   // inside
  typist_key(VK_ESCAPE);
  EXPECT_EQ(offset_command(), 0);
  EXPECT_EQ(g_button_bindings.depth, depth);
  ASSERT_EQ(item_count(), 3);
  expect_extents(nth(1), -1.0f, 11.0f);
  EXPECT_EQ(item_link_count(nth(1)), 4) << "sharp corners";
  expect_extents(nth(2), 1.0f, 9.0f);
  EXPECT_NE(item_id(nth(1)), item_id(nth(0)));
  undo_command();
  ASSERT_EQ(item_count(), 2);
  undo_command();
  EXPECT_EQ(item_count(), 1);
}

// CAM-type on both sides: no side click, two items, the outer one with rounded corners.
TEST_F(OffsetCommand, BothSidesMakeTwoItemsInOneStep) {
  g_offset.by_value = true;
  g_offset.both_sides = true;
  g_offset.value = 2.0f;
  click_on({10, 5});
  typist_key(VK_ESCAPE);
  EXPECT_EQ(offset_command(), 0);
  ASSERT_EQ(item_count(), 3);
  expect_extents(nth(1), -2.0f, 12.0f);
  EXPECT_GT(item_link_count(nth(1)), 4) << "corner arcs";
  expect_extents(nth(2), 2.0f, 8.0f);
  undo_command();
  EXPECT_EQ(item_count(), 1);
}

// Dragging: the offset follows the pointer's distance from the clicked side; a click keeps it,
// and "Delete original" takes the square away in the same undo step.
TEST_F(OffsetCommand, ADraggedOffsetFollowsThePointer) {
  g_offset.cam_type = false;
  g_offset.delete_original = true;
  click_on({5, 0});
  move_on({5, -1});
  click_on({5, -3});
  typist_key(VK_ESCAPE);
  EXPECT_EQ(offset_command(), 0);
  ASSERT_EQ(item_count(), 1);
  expect_extents(nth(0), -3.0f, 13.0f);
  EXPECT_NEAR(g_offset.value, 3.0f, 1e-3);
  undo_command();
  ASSERT_EQ(item_count(), 1);
  expect_extents(nth(0), 0.0f, 10.0f);
}

// A distance typed during the drag is taken on the pointer's side and ends the drag; Esc during
// a drag makes nothing.
TEST_F(OffsetCommand, ATypedDistanceEndsTheDragAndEscMakesNothing) {
  g_offset.cam_type = false;
  click_on({5, 0});
  move_on({5, 2});
  typist_text("1.5");
  typist_key(VK_RETURN);
  click_on({0, 5});
  move_on({-2, 5});
  typist_key(VK_ESCAPE);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(offset_command(), 0);
  ASSERT_EQ(item_count(), 2);
  expect_extents(nth(1), 1.5f, 8.5f);
}

// A link by value: into a new one-link item beside it, or (Modify original) moved itself with
// its neighbours following.
TEST_F(OffsetCommand, ALinkByValueMakesANewLinkOrMovesTheLink) {
  g_offset.by_value = true;
  g_offset.individual_links = true;
  g_offset.value = 2.0f;
  click_on({5, 0});
  click_on({5, -5});
  typist_key(VK_ESCAPE);
  EXPECT_EQ(offset_command(), 0);
  ASSERT_EQ(item_count(), 2);
  ASSERT_EQ(item_link_count(nth(1)), 1);
  EXPECT_NEAR(item_nodes(nth(1))[0].point.y, -2.0f, 1e-4);
  EXPECT_NEAR(item_nodes(nth(1))[1].point.y, -2.0f, 1e-4);

  g_offset.create_new_link = false;
  rest_at({-5, 20});
  click_on({5, 10});
  click_on({5, 15});
  typist_key(VK_ESCAPE);
  EXPECT_EQ(offset_command(), 0);
  ASSERT_EQ(item_count(), 2);
  PointF a{};
  PointF b{};
  item_extents(nth(1), &a, &b);
  EXPECT_NEAR(b.y, 12.0f, 1e-4) << "the top side moved up";
  EXPECT_NEAR(b.x, 10.0f, 1e-4) << "the sides beside it grew with it";
  EXPECT_NEAR(a.y, 0.0f, 1e-4);
  undo_command();
  expect_extents(nth(1), 0.0f, 10.0f);
}

// With no value, a by-value offset asks for one and makes nothing.
TEST_F(OffsetCommand, NoValueIsRefused) {
  g_offset.by_value = true;
  click_on({5, 0});
  typist_key(VK_RETURN);  // the message
  typist_key(VK_ESCAPE);  // the value field
  typist_key(VK_ESCAPE);
  EXPECT_EQ(offset_command(), 0);
  EXPECT_EQ(item_count(), 1);
}

}  // namespace
