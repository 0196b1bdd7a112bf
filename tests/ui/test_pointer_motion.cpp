#include <vector>

#include "screen/caret.h"
#include "screen/hover.h"
#include "screen/tick_clock.h"
#include "ui/key_pushback.h"
#include "ui/list_window.h"
#include "ui/pointer_motion.h"
#include "window_fixture.h"

namespace {

class PointerMotionTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_tick_clock();
    reset_control_hover();
    g_pointer.released = false;
    g_form.active = true;
    cw_ = g_display.current.cell_width;
    ch_ = g_display.current.cell_height;
    move_cursor_to(300, 200);
    int dx = 0;
    int dy = 0;
    mouse_delta(&dx, &dy);  // the cursor where the test put it is the reference
  }

  // The system cursor goes to (x, y); the next mouse_delta reads the motion.
  static void move_cursor_to(int x, int y) {
    headless_inject_mouse_move(x, y);
    pump_messages();
    while (pending_input_count() > 0) poll_input_code(0);
  }

  static std::vector<EventCode> pushed() { return g_key_pushback.codes; }

  int cw_ = 0;
  int ch_ = 0;
};

TEST_F(PointerMotionTest, MiddleDragScrollsInBurstsHeldOffAndDamped) {
  g_pointer.button_bits = WINDOW_BUTTON_MIDDLE;
  headless_advance_clock(10000);
  update_ticks();
  int y = 200;
  // Each step: the vertical motion and what middle_drag_scroll gives, with the codes it leaves
  // pushed back.
  const struct {
    int dy;
    int result;
    size_t left_pushed;
  } steps[] = {
      {20, KEY_CTRL_DOWN, 0},    // after a long pause: a burst starts with one code
      {20, 0, 0},                // held off: three moves after a pause of over two seconds
      {20, 0, 0},
      {20, 0, 0},
      {20, KEY_CTRL_DOWN, 0},    // damped to one code
      {20, KEY_CTRL_DOWN, 0},
      {20, KEY_CTRL_DOWN, 19},   // one code per pixel of motion, the rest pushed back
      {0, 0, 19},                // no motion: nothing
      {-3, KEY_CTRL_UP, 19 + 0}, // small motion is halved: one code up
  };
  for (const auto& s : steps) {
    y += s.dy;
    move_cursor_to(300, y);
    EXPECT_EQ(middle_drag_scroll(), s.result) << "dy " << s.dy;
    EXPECT_EQ(pushed().size(), s.left_pushed);
  }
  // With another button held too, it is not a middle drag.
  g_pointer.button_bits = WINDOW_BUTTON_MIDDLE | WINDOW_BUTTON_LEFT;
  move_cursor_to(300, y + 20);
  EXPECT_EQ(middle_drag_scroll(), -1);
}

TEST_F(PointerMotionTest, AReversedBurstHoldsOffLonger) {
  g_pointer.button_bits = WINDOW_BUTTON_MIDDLE;
  g_pointer.middle_drag.last_direction = KEY_CTRL_DOWN;
  headless_advance_clock(500);  // a short pause: the direction is remembered
  update_ticks();
  move_cursor_to(300, 201);     // one pixel: halved to nothing, a new burst
  EXPECT_EQ(middle_drag_scroll(), KEY_CTRL_DOWN);
  EXPECT_EQ(g_pointer.middle_drag.hold_off, 1);
  headless_advance_clock(500);
  update_ticks();
  move_cursor_to(300, 200);
  // The hold-off takes this move; the next pause starts the reversed burst.
  EXPECT_EQ(middle_drag_scroll(), 0);
  headless_advance_clock(500);
  update_ticks();
  move_cursor_to(300, 199);
  EXPECT_EQ(middle_drag_scroll(), KEY_CTRL_UP);
  EXPECT_EQ(g_pointer.middle_drag.hold_off, 4);
  EXPECT_EQ(g_pointer.middle_drag.damping, 3);
}

TEST_F(PointerMotionTest, ColumnKeysBringTheCursorColumnUnderThePointer) {
  TextLine* node = make_window({"0123456789abcdef"}, 3, 5, 8, 40);
  activate_window(node);
  g_windows.active->cursor_column = 2;  // screen column 7
  const struct {
    int pointer_column;
    EventCode code;
    size_t count;
  } cases[] = {{10, WINDOW_DRAG_RIGHT, 3}, {4, WINDOW_DRAG_LEFT, 3}, {7, 0, 0}};
  for (const auto& c : cases) {
    reset_key_pushback();
    g_pointer.wanted_x = c.pointer_column * cw_ + cw_ / 2;
    EXPECT_EQ(pointer_to_column_keys(), c.count > 0 ? 1 : 0);
    EXPECT_EQ(pushed(), std::vector<EventCode>(c.count, c.code)) << c.pointer_column;
  }
}

TEST_F(PointerMotionTest, DraggingInAWindowPushesLineKeysAndKeepsThePointerInside) {
  TextLine* node = make_window({"one", "two", "three", "four", "five"}, 3, 1, 10, 30);
  activate_window(node);
  g_pointer.wanted_x = 300;
  g_pointer.wanted_y = 3 * ch_ + ch_ / 2;  // on the cursor row
  g_pointer.button_bits = WINDOW_BUTTON_LEFT;
  move_cursor_to(300, 200 + 2 * ch_);
  EXPECT_EQ(pointer_to_editor_keys(), 1);
  EXPECT_EQ(pushed(), std::vector<EventCode>(2, WINDOW_DRAG_DOWN));
  // Upwards from the first line there is nothing to go to.
  reset_key_pushback();
  g_pointer.wanted_y = 3 * ch_ + ch_ / 2;
  move_cursor_to(300, 200);
  EXPECT_EQ(pointer_to_editor_keys(), 0);
  EXPECT_TRUE(pushed().empty());
  // A drag far below the window leaves the pointer on its last row.
  move_cursor_to(300, 460);
  pointer_to_editor_keys();
  EXPECT_EQ(g_pointer.wanted_y, 11 * ch_ - 1);
}

TEST_F(PointerMotionTest, WithoutAButtonThePointerShapeFollowsTheWindow) {
  TextLine* node = make_window({"one", "two"}, 3, 1, 10, 30);
  activate_window(node);
  g_pointer.wanted_x = 10 * cw_;
  g_pointer.wanted_y = 5 * ch_;
  move_cursor_to(301, 200);
  EXPECT_EQ(pointer_to_editor_keys(), 0);
  EXPECT_EQ(g_pointer.shape, POINTER_TEXT);
  EXPECT_EQ(g_pointer.hot_dy, 8);
  move_cursor_to(301 + 40 * cw_, 200);
  EXPECT_EQ(pointer_to_editor_keys(), 0);
  EXPECT_EQ(g_pointer.shape, POINTER_ARROW);
  EXPECT_TRUE(pushed().empty());
}

// The list mark beside a list window: drawn in four saved cells and taken away exactly.
TEST_F(PointerMotionTest, TheListMarkIsDrawnBesideTheCursorRowAndTakenAwayExactly) {
  TextLine* plain = make_window({"a", "b"}, 3, 1, 8, 20);
  activate_window(plain);
  std::vector<uint32_t> before = window_surface()->pixels;
  show_list_mark();
  EXPECT_EQ(window_surface()->pixels, before);  // not asked for: nothing
  TextLine* marked = make_window({"a", "b", "c"}, 3, 1, 8, 20, 0, nullptr, nullptr, 0, 0x4000);
  activate_window(marked);
  g_windows.active->cursor_row = 2;
  hide_pointer();
  before = window_surface()->pixels;
  show_list_mark();
  hide_pointer();
  EXPECT_EQ(row_text(5, 22, 2), "\xb7\xb7");
  // A second mark while one is saved draws nothing more; restoring puts back every pixel.
  show_list_mark();
  restore_field_strip();
  hide_pointer();
  EXPECT_EQ(window_surface()->pixels, before);
}

// A drag while a button is held scrolls: two keys per pixel of each whole cell, one per pixel of
// the rest; whatever else comes first ends the wait and stays for the run loop.
TEST_F(PointerMotionTest, DragToScrollKeysTurnsTheFirstMotionIntoScrollKeys) {
  const int rest = ch_ / 2;
  struct Case {
    const char* name;
    int dy;
    EventCode key;
    size_t pushed;
  };
  const Case cases[] = {
      {"up two cells and a half", -(2 * ch_ + rest), KEY_CTRL_UP,
       static_cast<size_t>(2 * 2 * ch_ + rest)},
      {"down less than a cell", rest, KEY_CTRL_DOWN, static_cast<size_t>(rest)},
      {"down exactly one cell", ch_, KEY_CTRL_DOWN, static_cast<size_t>(ch_)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    reset_key_pushback();
    g_pointer.button_bits = WINDOW_BUTTON_LEFT;
    move_cursor_to(300, 200 + c.dy);
    push_input_code(EVENT_POINTER_MOVE);  // the motion as the form posts it
    drag_to_scroll_keys();
    EXPECT_EQ(pushed(), std::vector<EventCode>(c.pushed, c.key));
    move_cursor_to(300, 200);
    int dx = 0;
    int dy = 0;
    mouse_delta(&dx, &dy);  // the next case moves from here
  }
  // A key typed while the button is held ends the wait and is not lost.
  reset_key_pushback();
  g_pointer.button_bits = WINDOW_BUTTON_LEFT;
  headless_inject_keystroke(VK_RIGHT, 0);
  drag_to_scroll_keys();
  EXPECT_TRUE(pushed().empty());
  EXPECT_EQ(poll_input_code(0), KEY_RIGHT);
  // With no button held nothing is waited for.
  g_pointer.button_bits = 0;
  drag_to_scroll_keys();
  EXPECT_TRUE(pushed().empty());
}

TEST_F(PointerMotionTest, CursorToPointerRowFollowsThePointerInsideTheWindow) {
  TextLine* node = make_window({"a", "b", "c", "d", "e"}, 2, 3, 8, 30);
  activate_window(node);
  g_pointer.wanted_x = 10 * cw_;
  g_pointer.wanted_y = 5 * ch_ + ch_ / 2;  // the window's fourth row
  EXPECT_EQ(cursor_to_pointer_row(), 0);
  EXPECT_EQ(g_lists.cursor_line->text, "d");
  g_pointer.wanted_y = 20 * ch_;  // below the window
  EXPECT_EQ(cursor_to_pointer_row(), -1);
  EXPECT_EQ(g_lists.cursor_line->text, "d");
}

}  // namespace

