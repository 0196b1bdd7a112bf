// FILLET driven through the event queue on the headless screen: a corner of a polyline rounded
// by value, by dragging and by a radius typed during the drag; a fillet taken out again by a
// radius of 0. Each is one undo step.
#include <cmath>

#include "command_panel_fixture.h"
#include "commands/fillet_command.h"
#include "editor/button_bindings.h"
#include "editor/undo_store.h"

namespace {

class FilletCommand : public CommandPanelFixture {
 protected:
  void SetUp() override {
    CommandPanelFixture::SetUp();
    reset_fillet_state();
    g_edit.node.fillet_radius = 0.0f;
    // An L: down the y axis to the origin, then along the x axis.
    with_id(add_polyline({{0, 10}, {0, 0}, {10, 0}}));
    rest_at({-5, 20});
  }

  static DrawingItem* the_item() { return g_lists.current.first; }

  // The L with its corner rounded by an arc of radius r about (r, r).
  static void expect_rounded(double r) {
    const DrawingItem* item = the_item();
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(item_link_count(item), 3);
    const LinkRecord* n = item_nodes(item);
    EXPECT_NEAR(n[1].point.x, 0.0, 2e-3);
    EXPECT_NEAR(n[1].point.y, r, 2e-3);
    EXPECT_NEAR(n[1].code, r, 2e-3);
    EXPECT_NEAR(n[1].centre.x, r, 2e-3);
    EXPECT_NEAR(n[1].centre.y, r, 2e-3);
    EXPECT_NEAR(n[2].point.x, r, 2e-3);
    EXPECT_NEAR(n[2].point.y, 0.0, 2e-3);
    EXPECT_NEAR(n[1].sweep, 3.14159265 / 2, 1e-3);
    EXPECT_EQ(n[1].node_flags & NODE_KIND_MASK, NODE_TANGENT);
    EXPECT_EQ(n[2].node_flags & NODE_KIND_MASK, NODE_TANGENT);
    EXPECT_FLOAT_EQ(n[3].point.x, 10.0f);
    EXPECT_FLOAT_EQ(n[0].point.y, 10.0f);
  }

  static void expect_corner() {
    const DrawingItem* item = the_item();
    ASSERT_NE(item, nullptr);
    ASSERT_EQ(item_link_count(item), 2);
    const LinkRecord* n = item_nodes(item);
    EXPECT_NEAR(n[1].point.x, 0.0, 1e-4);
    EXPECT_NEAR(n[1].point.y, 0.0, 1e-4);
    EXPECT_FALSE(code_is_arc(n[0].code));
    EXPECT_FALSE(code_is_arc(n[1].code));
  }
};

TEST_F(FilletCommand, ByValueRoundsTheCornerAsOneUndoStep) {
  g_fillet.by_value = true;
  g_edit.node.fillet_radius = 1.5f;
  const int depth = g_button_bindings.depth;
  click_on({0, 0});
  typist_key(VK_ESCAPE);
  EXPECT_EQ(fillet_command(), 0);
  EXPECT_EQ(g_button_bindings.depth, depth) << "the command gives back its bindings";
  expect_rounded(1.5);
  undo_command();
  expect_corner();
}

// The arc follows the pointer: through (1, 1) it has the radius 2 + sqrt 2; a click keeps it.
TEST_F(FilletCommand, ByDraggingTheArcPassesThePointer) {
  click_on({0, 0});
  move_on({0.5f, 0.5f});
  click_on({1, 1});
  typist_key(VK_ESCAPE);
  EXPECT_EQ(fillet_command(), 0);
  expect_rounded(2.0 + std::sqrt(2.0));
  EXPECT_NEAR(g_edit.node.fillet_radius, 2.0 + std::sqrt(2.0), 2e-3);
}

// A radius typed during the drag makes that fillet at once and ends the drag; the panel then
// keeps the typed radius and works by value.
TEST_F(FilletCommand, ARadiusTypedDuringTheDragIsTaken) {
  click_on({0, 0});
  move_on({1, 1});
  typist_text("2");
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(fillet_command(), 0);
  expect_rounded(2.0);
  EXPECT_TRUE(g_fillet.by_value);
  EXPECT_FLOAT_EQ(g_edit.node.fillet_radius, 2.0f);
  undo_command();
  expect_corner();
}

// Esc during the drag leaves the corner as it was and records nothing.
TEST_F(FilletCommand, EscDuringTheDragLeavesTheCorner) {
  click_on({0, 0});
  move_on({1, 1});
  typist_key(VK_ESCAPE);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(fillet_command(), 0);
  expect_corner();
  EXPECT_EQ(g_undo.step_count, 0) << "nothing to take back";
}

// By value with radius 0 on the fillet arc puts the corner back.
TEST_F(FilletCommand, RadiusZeroByValueTakesTheFilletOut) {
  g_fillet.by_value = true;
  g_edit.node.fillet_radius = 2.0f;
  click_on({0, 0});
  typist_key(VK_ESCAPE);
  ASSERT_EQ(fillet_command(), 0);
  expect_rounded(2.0);
  g_edit.node.fillet_radius = 0.0f;
  // On the arc, away from its ends.
  const double m = 2.0 - std::sqrt(2.0);
  rest_at({-5, 20});
  click_on({static_cast<float>(m), static_cast<float>(m)});
  typist_key(VK_ESCAPE);
  ASSERT_EQ(fillet_command(), 0);
  expect_corner();
}

}  // namespace
