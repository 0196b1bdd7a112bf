// TRIM and/or EXTEND driven through the event queue on the headless screen: a boundary clicked,
// then links clicked against it; each change is one undo step and the boundary stays chosen.
#include <cstring>
#include <vector>

#include "drawing_edit_fixture.h"
#include "commands/node_edit_session.h"
#include "commands/trim_extend.h"
#include "editor/button_bindings.h"
#include "editor/edit_session.h"
#include "editor/hover_state.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "geometry/item_edit_state.h"
#include "geometry/trim_rule.h"
#include "platform/headless.h"
#include "platform/window.h"
#include "records/job_settings.h"
#include "tests/support/idle_typist.h"
#include "records/preferences.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"

namespace {

class TrimExtend : public DrawingEditFixture {
 protected:
  void SetUp() override {
    DrawingEditFixture::SetUp();
    reset_trim_extend();
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    while (poll_input_code(0) != 0) {
    }
    DrawingEditFixture::TearDown();
  }

  static DrawingItem* line_item(PointF a, PointF b) { return with_id(add_polyline({a, b})); }

  // The pointer rests on the world point, with nothing under it.
  static void rest_at(PointF p) {
    DrawingEditFixture::rest_at(p);
    g_hover.hover_item = nullptr;
    g_hover.pick_kind = 0;
  }

  // The user moves onto the point, waits for the hover to find what is there, and clicks.
  static void click_at(PointF p) {
    int x = 0;
    int y = 0;
    pixel_of(p, &x, &y);
    typist_move(x, y);
    typist_pause();
    typist_click(x, y);
  }

  static DrawingItem* item_with_id(int32_t id) {
    for (DrawingItem* i = g_lists.current.first; i != nullptr; i = i->next)
      if (item_id(i) == id) return i;
    return nullptr;
  }

  static void expect_line(int32_t id, PointF a, PointF b) {
    const DrawingItem* item = item_with_id(id);
    ASSERT_NE(item, nullptr) << id;
    ASSERT_EQ(item_link_count(item), 1) << id;
    EXPECT_NEAR(item_nodes(item)[0].point.x, a.x, 1e-3) << id;
    EXPECT_NEAR(item_nodes(item)[0].point.y, a.y, 1e-3) << id;
    EXPECT_NEAR(item_nodes(item)[1].point.x, b.x, 1e-3) << id;
    EXPECT_NEAR(item_nodes(item)[1].point.y, b.y, 1e-3) << id;
  }
};

// One boundary, two clicks: a crossing line loses its short part, a short line reaches the
// boundary. Each is its own undo step, taken back newest first.
TEST_F(TrimExtend, ABoundaryTrimsOneLineAndExtendsAnotherEachOneUndoStep) {
  line_item({10, -10}, {10, 10});       // 1: the boundary, x = 10
  line_item({0, 0}, {15, 0});           // 2: crosses it
  line_item({0, 5}, {6, 5});            // 3: stops short of it
  const int depth = g_button_bindings.depth;
  rest_at({-5, 20});
  click_at({10, -5});                   // the boundary
  click_at({3, 0});                     // keep the long part of 2
  click_at({5, 5});                     // extend 3
  typist_key(VK_ESCAPE);
  EXPECT_EQ(trim_extend_command(), 0);
  EXPECT_EQ(g_button_bindings.depth, depth) << "the command gives back its bindings";
  EXPECT_EQ(g_trim_extend.boundary, nullptr);
  expect_line(1, {10, -10}, {10, 10});
  expect_line(2, {0, 0}, {10, 0});
  expect_line(3, {0, 5}, {10, 5});
  undo_command();
  expect_line(3, {0, 5}, {6, 5});
  expect_line(2, {0, 0}, {10, 0});
  undo_command();
  expect_line(2, {0, 0}, {15, 0});
}

// "Trim only" refuses a line that does not reach the boundary (a box, answered by a key) and
// leaves it; the mode stays for the next run of the command.
TEST_F(TrimExtend, TrimOnlyLeavesALineThatStopsShort) {
  line_item({10, -10}, {10, 10});
  line_item({0, 5}, {6, 5});
  g_trim_extend.mode = TRIM_ONLY;
  rest_at({-5, 20});
  click_at({10, -5});
  click_at({5, 5});
  typist_key(VK_RETURN);  // closes the refusal
  typist_key(VK_ESCAPE);
  EXPECT_EQ(trim_extend_command(), 0);
  expect_line(2, {0, 5}, {6, 5});
  EXPECT_EQ(g_trim_extend.mode, TRIM_ONLY);
}

}  // namespace
