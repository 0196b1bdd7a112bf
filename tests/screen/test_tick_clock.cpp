#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/tick_clock.h"
#include "screen/timer.h"

namespace {

class TickClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_headless();
    std::string error;
    ASSERT_TRUE(window_open(800, 600, "test", &error));
    reset_pump();
    reset_event_queue();
    reset_tick_clock();
    reset_timer();
    reset_main_form();
    reset_pointer();
    reset_control_hover();
    g_form.idle_state = 0;
  }

  void TearDown() override {
    reset_pump();
    reset_event_queue();
  }

  static std::vector<int> drain() {
    std::vector<int> codes;
    while (pending_input_count() > 0) codes.push_back(poll_input_code(0));
    return codes;
  }

  // The pointer is the program's, drawn at (x, y), with the system cursor under it.
  static void capture_at(int x, int y) {
    g_pointer.released = false;
    g_pointer.wanted_x = g_pointer.drawn_x = x;
    g_pointer.wanted_y = g_pointer.drawn_y = y;
    headless_inject_mouse_move(x, y);
    pump_messages();
    drain();
  }
};

TEST_F(TickClockTest, WholeTicksAreAddedAndTheRemainderCarries) {
  update_ticks();
  headless_advance_clock(54);
  EXPECT_EQ(update_ticks(), 0);
  headless_advance_clock(110 - 54);
  EXPECT_EQ(update_ticks(), 2);
  EXPECT_EQ(g_clock.ticks, 2);
  // 110 ms is two ticks and 0 ms: the next tick comes 55 ms later, not 55 ms after 110.
  headless_advance_clock(54);
  EXPECT_EQ(update_ticks(), 0);
  headless_advance_clock(1);
  EXPECT_EQ(update_ticks(), 1);
  EXPECT_EQ(g_clock.counter_a, 3);
  EXPECT_EQ(g_clock.counter_b, 3);
}

TEST_F(TickClockTest, SecondsCountOnceWhenTheSubSecondCounterPassesSeventeen) {
  update_ticks();
  headless_advance_clock(17 * TICK_MS);
  update_ticks();
  EXPECT_EQ(g_clock.sub_second, 17);
  EXPECT_EQ(g_clock.seconds, 0);
  // Several ticks at once still count the second once.
  headless_advance_clock(3 * TICK_MS);
  EXPECT_EQ(update_ticks(), 3);
  EXPECT_EQ(g_clock.seconds, 1);
  EXPECT_EQ(g_clock.sub_second, 2);
}

TEST_F(TickClockTest, TheSystemCounterWrapsWithoutAJump) {
  g_clock.base_ms = 0xFFFFFFFFu - 20;  // 21 ms before the counter wraps
  headless_advance_clock(33);           // wrapped: 54 ms since the base
  EXPECT_EQ(update_ticks(), 0);
  headless_advance_clock(1);
  EXPECT_EQ(update_ticks(), 1);
  EXPECT_EQ(g_clock.base_ms, 34u);
}

TEST_F(TickClockTest, TheDelayUnitIsAtLeastOneAndAStillClockDoesNotHang) {
  calibrate_delay();  // the virtual clock stands still
  EXPECT_EQ(g_clock.delay_unit, 1);
  headless_set_clock_auto_step(1);
  calibrate_delay();  // 55 updates a tick: far fewer than 549
  EXPECT_EQ(g_clock.delay_unit, 1);
  headless_set_clock_auto_step(0);
}

TEST_F(TickClockTest, APauseTakesOnlyMotionAndTicks) {
  push_input_code('a');
  push_input_code(EVENT_POINTER_MOVE);
  push_input_code(EVENT_LEFT_UP);
  push_input_code(EVENT_TICK);
  push_input_code(200);
  push_input_code(EVENT_REDRAW);
  const uint32_t start = clock_now_ms();
  pause_ms(300);
  EXPECT_GE(clock_now_ms() - start, 300u);
  EXPECT_EQ(drain(), (std::vector<int>{'a', EVENT_LEFT_UP, 200, EVENT_REDRAW}));
}

// ---- The timer event ----------------------------------------------------------------------------

TEST_F(TickClockTest, TheTimerPostsTheTickEvent) {
  capture_at(100, 100);
  timer_tick();
  EXPECT_EQ(drain(), std::vector<int>{EVENT_TICK});
}

int g_hook_calls = 0;
void count_hook_call() { ++g_hook_calls; }

TEST_F(TickClockTest, ATickHookReplacesTheTickEvent) {
  capture_at(100, 100);
  g_hook_calls = 0;
  set_tick_hook(count_hook_call);
  timer_tick();
  timer_tick();
  EXPECT_EQ(g_hook_calls, 2);
  EXPECT_EQ(drain(), std::vector<int>{});
}

TEST_F(TickClockTest, AResizeInProgressFlushesTheQueueAtEveryTick) {
  capture_at(100, 100);
  push_input_code('x');
  g_form.resize_pending = RESIZE_BY_USER;
  g_form.repaint_wanted = true;
  timer_tick();
  EXPECT_EQ(drain(), std::vector<int>{});
  EXPECT_FALSE(g_form.repaint_wanted);
}

TEST_F(TickClockTest, AReleasedPointerGetsNoTickEventAndNoWarp) {
  g_pointer.released = true;
  g_pointer.drawn_x = 300;
  g_pointer.drawn_y = 300;
  headless_inject_mouse_move(10, 10);
  pump_messages();
  drain();
  g_pointer.set_cursor_count = 10;
  timer_tick();
  EXPECT_EQ(drain(), std::vector<int>{});
  int x = 0;
  int y = 0;
  cursor_get_position(&x, &y);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 10);
}

TEST_F(TickClockTest, TheSystemCursorIsPutBackUnderThePointer) {
  capture_at(200, 150);
  g_form.active = true;
  headless_inject_mouse_move(220, 150);  // the hidden cursor strayed more than 3 pixels
  pump_messages();
  drain();
  g_pointer.set_cursor_count = 4;
  timer_tick();
  int x = 0;
  int y = 0;
  cursor_get_position(&x, &y);
  EXPECT_EQ(x, 200);
  EXPECT_EQ(y, 150);
  EXPECT_EQ(g_pointer.set_cursor_count, 0);
}

TEST_F(TickClockTest, ACursorOutsideTheClientReleasesThePointer) {
  capture_at(200, 150);
  cursor_set_visible(false);
  headless_inject_mouse_move(900, 150);
  pump_messages();
  drain();
  timer_tick();
  EXPECT_TRUE(g_pointer.released);
  EXPECT_TRUE(headless_cursor_visible());
}

TEST_F(TickClockTest, ARepaintWantedPostsARedraw) {
  capture_at(100, 100);
  g_form.repaint_wanted = true;
  timer_tick();
  EXPECT_EQ(g_form.redraw_level, 1);
  EXPECT_FALSE(g_form.repaint_wanted);
  EXPECT_EQ(drain(), (std::vector<int>{EVENT_REDRAW, EVENT_TICK}));
}

int g_repaints = 0;
void count_repaint() { ++g_repaints; }

TEST_F(TickClockTest, ALongOperationRepaintsAtMostEveryEightTicks) {
  g_pointer.released = true;
  g_repaints = 0;
  g_timer.repaint_hook = count_repaint;
  for (int i = 0; i < 20; ++i) {
    g_form.repaint_wanted = true;
    headless_advance_clock(TICK_MS);
    timer_tick();
  }
  EXPECT_EQ(g_repaints, 2);  // ticks 9 and 18
}

// ---- Waits --------------------------------------------------------------------------------------

TEST_F(TickClockTest, CheckPendingEventPutsACodeBackInFront) {
  push_input_code('k');
  push_input_code('m');
  EXPECT_EQ(check_pending_event(), 'k');
  EXPECT_EQ(drain(), (std::vector<int>{'k', 'm'}));
  push_input_code(EVENT_LEFT_UP);
  EXPECT_EQ(check_pending_event(), 0);
  push_input_code(EVENT_CTRL_DOWN);
  EXPECT_EQ(check_pending_event(), EVENT_CTRL_DOWN);
  EXPECT_EQ(drain(), std::vector<int>{});
}

TEST_F(TickClockTest, WaitForAnyInputLeavesTheCodeInFront) {
  capture_at(100, 100);
  push_input_code(EVENT_TICK);
  push_input_code(EVENT_LEFT_UP);
  push_input_code('q');
  push_input_code('r');
  EXPECT_EQ(wait_click_or_key(WAIT_ANY_INPUT), 'q');
  EXPECT_EQ(drain(), (std::vector<int>{'q', 'r'}));
}

TEST_F(TickClockTest, WaitForAClickSkipsReleasesAndTicks) {
  capture_at(100, 100);
  push_input_code(EVENT_LEFT_UP);
  push_input_code(EVENT_TICK);
  push_input_code(EVENT_LEFT_DOWN);
  EXPECT_EQ(wait_click_or_key(WAIT_CLICK_OR_KEY_WAIT_SHAPE), EVENT_LEFT_DOWN);
  EXPECT_EQ(g_pointer.shape, POINTER_WAIT);
}

}  // namespace
