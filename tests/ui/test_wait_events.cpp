#include <vector>

#include "screen/caret.h"
#include "screen/tick_clock.h"
#include "screen/timer.h"
#include "store/file_reader.h"
#include "ui/list_window.h"
#include "ui/wait_events.h"
#include "window_fixture.h"

namespace {

// What a tick saw while the program waited, and a key it types after a few ticks (the machine
// link's receive step runs on every tick, so it stands for anything that arrives while waiting).
struct TickWitness {
  int ticks = 0;
  int caret_seen = 0;
  int type_after = 3;
};
TickWitness g_witness;

void witness_tick() {
  ++g_witness.ticks;
  if (g_caret.editor) ++g_witness.caret_seen;
  if (g_witness.ticks == g_witness.type_after) push_input_code('k');
}

int g_status_draws = 0;
void count_status() { ++g_status_draws; }

class WaitEventsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_tick_clock();
    reset_timer();
    g_caret = CaretState();
    g_witness = TickWitness{};
    g_status_draws = 0;
    g_wait_entries.draw_editor_status = count_status;
    g_timer.serial_receive_tick = witness_tick;
    g_pointer.released = false;
    g_form.active = true;
    install_main_window_proc();
    pump_start_timer();
  }
  void TearDown() override {
    g_wait_entries = WaitEntryPoints{};
    reset_timer();
    WindowTest::TearDown();
  }
};

TEST_F(WaitEventsTest, TheCaretBlinksWhileWaitingAndLeavesNothingBehind) {
  TextLine* node = make_window({"one", "two"}, 3, 1, 8, 30);
  activate_window(node);
  const std::vector<uint32_t> before = window_surface()->pixels;
  EXPECT_EQ(wait_event_with_caret(4, 3), 'k');
  EXPECT_EQ(g_witness.caret_seen, 3);  // the caret was up on every tick of the wait
  EXPECT_EQ(g_timer.tick_hook, nullptr);
  EXPECT_FALSE(g_caret.editor);
  hide_pointer();
  EXPECT_EQ(window_surface()->pixels, before);
}

TEST_F(WaitEventsTest, APendingCodeIsReturnedWithoutACaret) {
  push_input_code('p');
  const std::vector<uint32_t> before = window_surface()->pixels;
  EXPECT_EQ(wait_event_with_caret(4, 3), 'p');
  EXPECT_EQ(wait_event_at_cursor(), 'k');  // the next wait blinks until the tick's key
  EXPECT_EQ(g_witness.caret_seen, 3);
  hide_pointer();
  EXPECT_EQ(window_surface()->pixels, before);
}

TEST_F(WaitEventsTest, AnEditorWithAFileShowsItsStatusUnlessThePointerOnlyMoved) {
  TextLine* node = make_window({"one", "two"}, 3, 1, 8, 30);
  activate_window(node);
  FileRecord file;
  g_windows.active->file = &file;
  g_events.last_code = 'x';
  EXPECT_EQ(wait_event_in_editor(4, 3), 'k');
  EXPECT_EQ(g_status_draws, 1);
  g_events.last_code = EVENT_POINTER_MOVE;
  g_witness.ticks = 0;
  EXPECT_EQ(wait_event_in_editor(4, 3), 'k');
  EXPECT_EQ(g_status_draws, 1);
  // A drag is more than a move: the status follows it.
  g_pointer.button_bits = WINDOW_BUTTON_LEFT;
  g_witness.ticks = 0;
  EXPECT_EQ(wait_event_in_editor(4, 3), 'k');
  EXPECT_EQ(g_status_draws, 2);
  g_windows.active->file = nullptr;
}

TEST_F(WaitEventsTest, ThePointerIsAwaitedBackInTheWindow) {
  TextLine* node = make_window({"one", "two"}, 3, 1, 8, 30);
  activate_window(node);
  const int ch = g_display.current.cell_height;
  const int cw = g_display.current.cell_width;
  struct Case {
    std::vector<EventCode> codes;
    uint8_t redraw_level;
    EventCode result;
  };
  const Case cases[] = {
      {{EVENT_TICK, 'a'}, 0, 'a'},
      {{EVENT_RIGHT_DOWN}, 0, KEY_ESC},
      {{EVENT_ALT_DOWN, KEY_ENTER}, 0, KEY_ENTER},  // codes above 438 are skipped
      {{'a'}, 1, KEY_ESC},
      {{EVENT_QUIT}, 0, KEY_ESC},
  };
  for (const Case& c : cases) {
    set_pointer_shape(POINTER_TEXT);
    g_form.redraw_level = c.redraw_level;
    for (EventCode code : c.codes) push_input_code(code);
    EXPECT_EQ(wait_pointer_back_in_window(), c.result) << c.codes.front();
    EXPECT_EQ(g_pointer.shape, POINTER_TEXT);
    while (pending_input_count() > 0) poll_input_code(0);
  }
  g_form.redraw_level = 0;
  g_events.quit_requested = false;
  // Motion outside shows shape 92 and goes on; motion back in returns 438.
  g_pointer.wanted_x = 40 * cw;
  g_pointer.wanted_y = 20 * ch;
  headless_inject_mouse_move(300, 300);
  pump_messages();
  while (pending_input_count() > 0) poll_input_code(0);
  int dx = 0;
  int dy = 0;
  mouse_delta(&dx, &dy);
  headless_inject_mouse_move(310, 300);
  headless_inject_mouse_move(310 - 30 * cw, 300 - 15 * ch);
  set_pointer_shape(POINTER_TEXT);
  EXPECT_EQ(wait_pointer_back_in_window(), EVENT_POINTER_MOVE);
  EXPECT_EQ(g_pointer.shape, POINTER_TEXT);
  EXPECT_TRUE(pointer_in_window());
}

TEST_F(WaitEventsTest, WaitingWithoutBlinkStopsTheFieldCaret) {
  g_caret.mode = 1;
  g_caret.shape = CARET_MOVING_DOTS;
  show_field_caret(5, 4, 10);
  ASSERT_EQ(g_timer.tick_hook, blink_field_caret);
  push_input_code('z');
  EXPECT_EQ(wait_event_no_blink(false), 'z');
  EXPECT_EQ(g_timer.tick_hook, nullptr);
  hide_caret();
}

TEST_F(WaitEventsTest, TheTimerRunsTheMachineLinkFirstEvenWhileThePointerIsAway) {
  g_pointer.released = true;
  g_form.printing = PRINTING_ON;
  timer_tick();
  EXPECT_EQ(g_witness.ticks, 1);
  g_form.printing = PRINTING_OFF;
  timer_tick();
  EXPECT_EQ(g_witness.ticks, 2);
  EXPECT_EQ(pending_input_count(), 0);  // released: no tick event
}

}  // namespace
