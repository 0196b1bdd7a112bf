// Scrolling a list while a button is held, run through the run loop on the headless screen in
// virtual time: a left-button drag past the window's bottom or top edge scrolls at a rate that
// grows with the distance, the held middle button repeats its scroll code; both stop when the
// button is let go.
#include <functional>
#include <utility>
#include <vector>

#include "platform/headless.h"
#include "screen/tick_clock.h"
#include "screen/timer.h"
#include "tests/ui/window_fixture.h"
#include "ui/dialog_form.h"
#include "ui/list_window.h"
#include "ui/pointer_motion.h"

namespace {

// What the user does and when: each step waits until the virtual clock reaches its time, and
// the program's waits let the time pass until then.
struct Timeline {
  std::vector<std::pair<uint32_t, std::function<void()>>> steps;
  size_t next = 0;
};
Timeline g_timeline;

bool timeline_idle() {
  if (g_timeline.next >= g_timeline.steps.size()) return false;
  if (clock_now_ms() < g_timeline.steps[g_timeline.next].first) return false;
  g_timeline.steps[g_timeline.next++].second();
  return true;
}

constexpr int TOP = 4;
constexpr int LEFT = 5;
constexpr uint32_t SELECT_LIST = LIST_MARK_SELECT | LIST_OPTION_EDGE_SCROLL;

class EdgeScrollTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_dialog_forms();
    reset_list_state();
    g_form_hooks = FormHooks();
    take_focus_and_pointer(600, 460);
    reset_tick_clock();
    reset_timer();
    g_form.active = true;
    pump_start_timer();
    g_timeline = Timeline();
    pump_set_idle_handler(timeline_idle);
    start_ms_ = clock_now_ms();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    reset_timer();
    WindowTest::TearDown();
    windows_.clear();
  }

  // Eighty lines in a window of `rows` rows, the cursor on line `first`.
  TextLine* open_list(int rows, uint32_t list_options, int first = 0) {
    static const std::vector<std::string> texts = [] {
      std::vector<std::string> out;
      for (int i = 0; i < 80; ++i) out.push_back("line " + std::to_string(i));
      return out;
    }();
    push_list();
    clear_current_list();
    for (const std::string& text : texts) append_line(text.c_str());
    TextLine* node = create_window(nullptr, {
        .top_row = TOP, .left_column = LEFT, .bottom_row = TOP + rows - 1, .right_column = 30,
        .flags = 0, .key_filter = list_key_filter, .line_drawer = draw_check_list_line,
        .options = 0, .wrap_width = 250, .title = "", .list_options = list_options,
    });
    pop_list();
    windows_.push_back(node);
    activate_window(node);
    for (int i = 0; i < first; ++i) move_cursor_down_in_test();
    store_window_state();
    g_run.first_call = true;
    return node;
  }
  static void move_cursor_down_in_test() {
    TextWindow* w = g_windows.active;
    g_lists.cursor_line = g_lists.cursor_line->next;
    if (w->cursor_row < w->rows - 1) ++w->cursor_row;
  }

  static int ch() { return g_display.current.cell_height; }
  static int cw() { return g_display.current.cell_width; }
  static int mark_x() { return LEFT * cw() + cw() / 2; }
  static int row_y(int row) { return (TOP + row) * ch() + ch() / 2; }

  static int cursor_index() {
    int n = 0;
    for (const TextLine* line = g_lists.current.first; line != g_lists.cursor_line;
         line = line->next) {
      ++n;
    }
    return n;
  }

  void at(uint32_t ms, std::function<void()> act) {
    g_timeline.steps.emplace_back(start_ms_ + ms, std::move(act));
  }

  uint32_t start_ms_ = 0;
};

// A drag from the first row to `distance` pixels below the window, held for `hold` ticks.
struct BelowCase {
  int rows;         // window rows
  int distance;     // pixels below the window's lower edge (the cursor row's, once it is there)
  int interval;     // ticks between scroll codes
};

TEST_F(EdgeScrollTest, ADragBelowTheWindowScrollsAtItsRateAndStopsOnRelease) {
  const int c = g_display.current.cell_height;
  // Five rows (the cursor goes down to the last row; a pause of 2 ticks). Just below: every 5
  // ticks; three quarters of a row below: every 4; a row and a third below: the fast zone,
  // every 2 ticks.
  const BelowCase cases[] = {
      {5, 1, 5},
      {5, c - c / 4, 4},
      {5, c + c / 3 + 1, 2},
      // Windows taller than 16 rows have no pause (and keep the cursor two rows above their
      // bottom, which puts the pointer in the fast zone): a code every tick.
      {18, 1, 1},
  };
  for (const BelowCase& k : cases) {
    SetUp();
    TextLine* node = open_list(k.rows, SELECT_LIST);
    const int below_y = (TOP + k.rows) * ch() + k.distance;
    constexpr int HOLD_TICKS = 40;
    int at_release = -1;
    at(100, [] { headless_inject_mouse_move(mark_x(), row_y(0)); });
    at(200, [] { headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, mark_x(), row_y(0)); });
    at(300, [=] { headless_inject_mouse_move(mark_x(), below_y); });
    at(300 + HOLD_TICKS * TICK_MS, [&] {
      at_release = cursor_index();
      headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, mark_x(), below_y);
    });
    at(300 + (HOLD_TICKS + 30) * TICK_MS, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
    run_window(node);
    // The motion first brings the cursor to the bottom row, then the edge scrolls.
    const int scrolled = at_release - (k.rows - 1);
    const int expected = HOLD_TICKS / k.interval;
    EXPECT_GE(scrolled, expected - 1) << k.rows << " rows, " << k.distance << " px";
    EXPECT_LE(scrolled, expected + 1) << k.rows << " rows, " << k.distance << " px";
    EXPECT_EQ(cursor_index(), at_release) << "the scrolling stops on release";
    EXPECT_EQ(g_windows.active->cursor_row, k.rows < 6 ? k.rows - 1 : k.rows - 3);
    TearDown();
  }
}

TEST_F(EdgeScrollTest, ADragAboveTheWindowScrollsUpAndStopsAtTheFirstLine) {
  // Five rows are fewer than seven: upward every 5 ticks.
  TextLine* node = open_list(5, SELECT_LIST, 20);
  const int cursor_row = g_windows.active->cursor_row;
  const int above_y = TOP * ch() - 2;
  int at_release = -1;
  int after_ten = -1;
  at(100, [=] { headless_inject_mouse_move(mark_x(), row_y(cursor_row)); });
  at(200, [=] { headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, mark_x(), row_y(cursor_row)); });
  at(300, [=] { headless_inject_mouse_move(mark_x(), above_y); });
  at(300 + 40 * TICK_MS, [&] { after_ten = cursor_index(); });
  // Long enough to reach the first line and try for more.
  at(300 + 140 * TICK_MS, [&] {
    at_release = cursor_index();
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, mark_x(), above_y);
  });
  at(300 + 160 * TICK_MS, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  run_window(node);
  // The motion brings the cursor to the top row (line 15), then 40 ticks give 8 more lines.
  EXPECT_GE(after_ten, 15 - 9);
  EXPECT_LE(after_ten, 15 - 7);
  EXPECT_EQ(at_release, 0);
  EXPECT_EQ(cursor_index(), 0);
  EXPECT_EQ(g_windows.active->cursor_row, 0);
}

TEST_F(EdgeScrollTest, WithoutTheOptionADragBelowTheWindowDoesNotScroll) {
  for (const uint32_t options : {uint32_t{LIST_MARK_SELECT},
                                 uint32_t{SELECT_LIST | LIST_OPTION_EDGE_SCROLL_OFF}}) {
    SetUp();
    TextLine* node = open_list(6, options);
    const int below_y = (TOP + 6) * ch() + 2 * ch();
    at(100, [] { headless_inject_mouse_move(mark_x(), row_y(0)); });
    at(200, [] { headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, mark_x(), row_y(0)); });
    at(300, [=] { headless_inject_mouse_move(mark_x(), below_y); });
    at(300 + 40 * TICK_MS, [=] {
      headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, mark_x(), below_y);
    });
    at(300 + 50 * TICK_MS, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
    run_window(node);
    EXPECT_EQ(cursor_index(), 0) << options;
    TearDown();
  }
}

// ---- The held middle button ---------------------------------------------------------------------

TEST_F(EdgeScrollTest, TheHeldMiddleButtonRepeatsAfterSixTicksThenEveryTickUntilReleased) {
  // Six rows: a delay of 1 tick; the first repeat comes after 1 + 5 ticks.
  TextLine* node = open_list(6, LIST_MARK_SELECT);
  std::vector<int> seen;
  const int x = 10 * cw();
  at(100, [=] { headless_inject_mouse_move(x, row_y(0)); });
  at(200, [=] { headless_inject_mouse_button(WINDOW_BUTTON_MIDDLE, true, x, row_y(0)); });
  for (int tick = 1; tick <= 12; ++tick)
    at(200 + tick * TICK_MS + TICK_MS / 2, [&] { seen.push_back(cursor_index()); });
  int at_release = -1;
  at(200 + 20 * TICK_MS + TICK_MS / 2, [&] {
    at_release = cursor_index();
    headless_inject_mouse_button(WINDOW_BUTTON_MIDDLE, false, x, row_y(0));
  });
  at(200 + 40 * TICK_MS, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  run_window(node);
  ASSERT_EQ(seen.size(), 12u);
  // The press itself moves one line at once; nothing more for five ticks.
  for (int i = 0; i < 4; ++i) EXPECT_EQ(seen[static_cast<size_t>(i)], 1) << "tick " << i + 1;
  // From then on one line a tick.
  for (size_t i = 7; i < seen.size(); ++i) EXPECT_EQ(seen[i] - seen[i - 1], 1) << "tick " << i + 1;
  // One at the press, then one a tick from the sixth tick until the release 20 ticks later.
  EXPECT_GE(at_release, 16);
  EXPECT_LE(at_release, 17);
  EXPECT_EQ(cursor_index(), at_release) << "the repeat stops on release";
}

TEST_F(EdgeScrollTest, TheMiddleButtonOnTheLastLineScrollsUpAndWithTheLeftButtonByPages) {
  TextLine* node = open_list(6, LIST_MARK_SELECT, 79);
  const int x = 10 * cw();
  const int row = g_windows.active->cursor_row;
  int after_press = -1;
  int at_release = -1;
  at(100, [=] { headless_inject_mouse_move(x, row_y(row)); });
  at(200, [=] { headless_inject_mouse_button(WINDOW_BUTTON_MIDDLE, true, x, row_y(row)); });
  at(200 + TICK_MS / 2, [&] { after_press = cursor_index(); });
  // The left button joins: page steps every 5 ticks once the first repeat is due.
  at(200 + TICK_MS, [=] { headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, x, row_y(row)); });
  at(200 + 12 * TICK_MS + TICK_MS / 2, [&] {
    at_release = cursor_index();
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, x, row_y(row));
    headless_inject_mouse_button(WINDOW_BUTTON_MIDDLE, false, x, row_y(row));
  });
  at(200 + 20 * TICK_MS, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  run_window(node);
  EXPECT_EQ(after_press, 78) << "from the last line the list goes up";
  // Two page steps up (at tick 6 and tick 11), a window's height each.
  EXPECT_EQ(at_release, 78 - 2 * 5);
  EXPECT_EQ(cursor_index(), at_release);
}

}  // namespace
