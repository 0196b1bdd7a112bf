#include <functional>
#include <string>
#include <vector>

#include "tests/ui/window_fixture.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

namespace {

// A key filter that plays a script: step n of the script runs at the n-th call. Past its end
// the filter returns Esc, so that a loop that asks too often ends instead of hanging; the calls
// are counted.
struct FilterScript {
  std::vector<std::function<EventCode()>> steps;
  int calls = 0;
};
FilterScript g_script;

EventCode scripted_filter() {
  const int n = g_script.calls++;
  if (n < static_cast<int>(g_script.steps.size())) return g_script.steps[n]();
  return KEY_ESC;
}

// A key filter that reads the event queue as a list window's would: Enter accepts. It gives up
// (Esc) after many calls so that a spinning loop fails the test instead of hanging it.
constexpr int QUEUE_FILTER_CALL_LIMIT = 50;
int g_queue_filter_calls = 0;

EventCode queue_filter() {
  if (++g_queue_filter_calls > QUEUE_FILTER_CALL_LIMIT) return KEY_ESC;
  const EventCode code = wait_input_code();
  return code == KEY_ENTER ? WINDOW_ACCEPT : code;
}

class RunWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    g_script = FilterScript();
    g_queue_filter_calls = 0;
  }

  TextLine* make_scripted(std::initializer_list<const char*> lines, uint32_t flags = 0) {
    return make_window(lines, 3, 1, 8, 30, flags, scripted_filter);
  }

  struct Block {
    TextLine* start;
    int start_column;
    TextLine* end;
    int end_column;
    bool operator==(const Block&) const = default;
  };
  static Block current_block() {
    const TextWindow* w = g_windows.active;
    return {g_lists.block_start, w->block_start_column, g_lists.block_end, w->block_end_column};
  }
};

// ---- Ending ----------------------------------------------------------------------------------

TEST_F(RunWindowTest, EnterAcceptsTheCursorLineAndEscCancels) {
  struct Case {
    int key;
    bool accepted;
  };
  const Case cases[] = {{VK_RETURN, true}, {VK_ESCAPE, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    g_queue_filter_calls = 0;
    TextLine* node = make_window({"one", "two", "three"}, 3, 1, 8, 30, 0, queue_filter);
    window_of(node)->current_line = line_at(node, 1);
    headless_inject_keystroke(c.key, 0);
    TextLine* result = run_window(node);
    EXPECT_EQ(result, c.accepted ? line_at(node, 1) : nullptr);
    EXPECT_EQ(g_queue_filter_calls, 1);
    EXPECT_EQ(window_of(node)->current_line, line_at(node, 1));  // the state was stored
  }
}

TEST_F(RunWindowTest, CancelCodeEndsWithoutALine) {
  g_script.steps = {[] { return WINDOW_CANCEL; }};
  EXPECT_EQ(run_window(make_scripted({"one"})), nullptr);
  EXPECT_EQ(g_script.calls, 1);
  EXPECT_EQ(run_window(nullptr), nullptr);
}

TEST_F(RunWindowTest, QuitCodeEndsTheLoopInsteadOfSpinning) {
  // The close box asks to quit: every wait for input now returns the quit code at once.
  headless_inject_close();
  TextLine* node = make_window({"one"}, 3, 1, 8, 30, 0, queue_filter);
  EXPECT_EQ(run_window(node), nullptr);
  EXPECT_EQ(g_queue_filter_calls, 1);
  EXPECT_TRUE(g_events.quit_requested);  // left for the page loop's save question
  // A window run after it ends the same way.
  g_queue_filter_calls = 0;
  EXPECT_EQ(run_window(node), nullptr);
  EXPECT_EQ(g_queue_filter_calls, 1);
}

TEST_F(RunWindowTest, WindowWithoutKeyFilterEndsAsCancelled) {
  EXPECT_EQ(run_window(make_window({"one"}, 3, 1, 8, 30)), nullptr);
}

TEST_F(RunWindowTest, EndingClearsMarkingAndWaitsForTheButtonsWhenAsked) {
  g_run.release_wait = 1;
  g_pointer.button_bits = WINDOW_BUTTON_LEFT;
  g_script.steps = {[] {
                      g_run.marking = 1;
                      return WINDOW_NOTHING;
                    },
                    [] { return KEY_ESC; }};
  run_window(make_scripted({"one"}));
  EXPECT_EQ(g_run.marking, 0);
  EXPECT_EQ(g_run.release_wait, 0);
  EXPECT_EQ(g_pointer.button_bits, 0);
}

// ---- Reading codes ------------------------------------------------------------------------------

TEST_F(RunWindowTest, PushedBackCodesComeFirstLastPushedFirst) {
  // 455 starts marking; 461 drops the block and with it the marking. Taken last pushed first,
  // 455 comes before 461 and the filter finds no marking.
  push_back_key(WINDOW_DROP_BLOCK);
  push_back_key(WINDOW_BEGIN_MARKING);
  size_t pending_at_filter = 99;
  int16_t marking_at_filter = -1;
  uint8_t kept_at_filter = 99;
  g_script.steps = {[&] {
    pending_at_filter = g_key_pushback.codes.size();
    marking_at_filter = g_run.marking;
    kept_at_filter = g_run.block_kept;
    return KEY_ESC;
  }};
  run_window(make_scripted({"one"}));
  EXPECT_EQ(pending_at_filter, 0u);
  EXPECT_EQ(marking_at_filter, 0);
  EXPECT_EQ(kept_at_filter, 1);
}

TEST_F(RunWindowTest, ZeroAsksAgainWhileNothingStillRunsTheBlockTail) {
  struct Case {
    EventCode code;
    int want_start, want_end;
  };
  // A one-line block of columns 2 to 5 is being extended; the filter puts the caret at 7.
  const Case cases[] = {{0, 2, 5}, {WINDOW_NOTHING, 5, 7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    g_script = FilterScript();
    TextLine* node = make_scripted({"abcdefghij"}, WINDOW_TEXT_LIST);
    TextWindow* w = window_of(node);
    w->block_start = w->block_end = line_at(node, 0);
    w->block_start_column = 2;
    w->block_end_column = 5;
    g_script.steps = {[&] {
                        g_run.marking = 1;
                        g_windows.active->text_column = 7;
                        return c.code;
                      },
                      [] { return KEY_ESC; }};
    run_window(node);
    EXPECT_EQ(g_script.calls, 2);
    EXPECT_EQ(w->block_start_column, c.want_start);
    EXPECT_EQ(w->block_end_column, c.want_end);
  }
}

TEST_F(RunWindowTest, EmptyListGetsALineBeforeTheFirstAction) {
  g_script.steps = {[] { return WINDOW_ACCEPT; }};
  TextLine* node = make_scripted({});
  TextLine* result = run_window(node);
  ASSERT_NE(result, nullptr);
  EXPECT_TRUE(result->text.empty());
  EXPECT_EQ(window_of(node)->first_line, result);
  EXPECT_EQ(window_of(node)->last_line, result);
}

// ---- Drawing ------------------------------------------------------------------------------------

TEST_F(RunWindowTest, FrameIsDrawnAtTheStartUnlessItWasDrawnLast) {
  for (bool drawn_last : {false, true}) {
    SCOPED_TRACE(drawn_last);
    fill_cells(0, 0, 20, 60, 0);
    TextLine* node = make_scripted({"alpha", "beta"});
    g_run.last_framed_window = drawn_last ? node : nullptr;
    std::string seen;
    g_script = FilterScript();
    g_script.steps = {[&] {
      seen = row_text(3, 1, 5);
      return KEY_ESC;
    }};
    run_window(node);
    EXPECT_EQ(seen, drawn_last ? "     " : "alpha");
    EXPECT_EQ(g_run.last_framed_window, node);
  }
}

TEST_F(RunWindowTest, EditsAreDrawnBeforeTheNextFilterCallButNotWhileInputIsQueued) {
  TextLine* node = make_scripted({"abc", "def"});
  std::vector<std::string> seen;
  g_script.steps = {[&] {
                      TextLine* first = g_lists.current.first;
                      set_line_text("xyz", first);
                      first->state |= LINE_STATE_REDRAW;
                      g_windows.redraw_pending = 1;
                      push_input_code('q');
                      return WINDOW_NOTHING;
                    },
                    [&] {
                      seen.push_back(row_text(3, 1, 3));
                      poll_input_code(0);
                      return WINDOW_NOTHING;
                    },
                    [&] {
                      seen.push_back(row_text(3, 1, 3));
                      return KEY_ESC;
                    }};
  run_window(node);
  const std::vector<std::string> want = {"abc", "xyz"};
  EXPECT_EQ(seen, want);
}

TEST_F(RunWindowTest, RedrawCodeDrawsEveryLineAgain) {
  TextLine* node = make_scripted({"abc", "def"});
  std::string seen;
  g_script.steps = {[&] {
                      set_line_text("uvw", g_lists.current.last);  // not flagged
                      return WINDOW_REDRAW;
                    },
                    [&] {
                      seen = row_text(4, 1, 3);
                      return KEY_ESC;
                    }};
  run_window(node);
  EXPECT_EQ(seen, "uvw");
}

// ---- Codes the loop acts on itself --------------------------------------------------------------

TEST_F(RunWindowTest, DisplayTogglesFlipTheirFlag) {
  struct Case {
    EventCode code;
    uint32_t flag;
  };
  const Case cases[] = {
      {KEY_ALT_T, WINDOW_SHOW_TAB_MARKS},
      {KEY_ALT_P, WINDOW_SHOW_LINE_ENDS},
      {KEY_ALT_S, WINDOW_SHOW_SPACES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    g_script = FilterScript();
    TextLine* node = nullptr;
    std::vector<bool> shown;  // the flag as each later filter call finds it
    const auto toggle = [&] {
      if (g_script.calls > 1) shown.push_back((window_of(node)->flags & c.flag) != 0);
      return c.code;
    };
    g_script.steps = {toggle, toggle, toggle, [&] {
                        shown.push_back((window_of(node)->flags & c.flag) != 0);
                        return KEY_ESC;
                      }};
    node = make_scripted({"a b"});
    ASSERT_EQ(window_of(node)->flags & c.flag, 0u);
    run_window(node);
    EXPECT_EQ(shown, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(window_of(node)->flags & c.flag, c.flag);  // three times: on
  }
}

TEST_F(RunWindowTest, BlockCommandsLeaveTheGoalAtTheCaret) {
  TextLine* node = make_scripted({"abc"}, WINDOW_TEXT_LIST);
  window_of(node)->goal_column = 3;
  window_of(node)->text_column = 2;
  g_script.steps = {[] { return WINDOW_COPY; }};
  run_window(node);
  EXPECT_EQ(window_of(node)->goal_column, GOAL_NONE);
  EXPECT_EQ(window_of(node)->goal_x, 2 * g_display.current.cell_width);
}

// ---- The block-extension tail -----------------------------------------------------------------

TEST_F(RunWindowTest, PlainCursorKeysDropAFixedBlock) {
  struct Case {
    EventCode code;
    int16_t marking;
    uint32_t flags;
    bool dropped;
  };
  const Case cases[] = {
      {KEY_LEFT, 0, WINDOW_TEXT_LIST, true},
      {KEY_PGDN, 0, WINDOW_TEXT_LIST, true},
      {WINDOW_NOTHING, 0, WINDOW_TEXT_LIST, false},
      {KEY_CTRL_UP, 0, WINDOW_TEXT_LIST, false},    // not one of the plain cursor keys
      {KEY_LEFT, 1, WINDOW_TEXT_LIST, false},       // Shift held: the block grows instead
      {KEY_LEFT, 0, 0, false},                      // not an editor window: no tail at all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.code << " marking " << c.marking << " flags "
                                    << c.flags);
    g_script = FilterScript();
    TextLine* node = make_scripted({"abcdef", "ghij"}, c.flags);
    TextWindow* w = window_of(node);
    w->block_start = line_at(node, 0);
    w->block_end = line_at(node, 1);
    w->block_end_column = 2;
    bool block_after = false;
    g_script.steps = {[&] {
                        g_run.marking = c.marking;
                        return c.code;
                      },
                      [&] {
                        block_after = g_lists.block_start != nullptr;
                        return KEY_ESC;
                      }};
    run_window(node);
    EXPECT_EQ(block_after, !c.dropped);
  }
}

TEST_F(RunWindowTest, BlockFollowsTheCursorOverLines) {
  TextLine* node = make_scripted({"l0 text", "l1 text", "l2 text", "l3 text", "l4 text"},
                                 WINDOW_TEXT_LIST);
  TextLine* l[5];
  for (int i = 0; i < 5; ++i) l[i] = line_at(node, i);
  TextWindow* w = window_of(node);
  w->current_line = l[1];
  w->text_column = 2;
  w->block_start = w->block_end = l[1];
  w->block_start_column = w->block_end_column = 2;

  // Each step puts the cursor somewhere (as the cursor keys would) and returns a code that moves
  // nothing itself; the next step records the block the tail made of it.
  std::vector<Block> seen;
  auto move = [&](TextLine* line, int column, EventCode key) {
    return [&seen, line, column, key] {
      if (g_script.calls > 2) seen.push_back(current_block());
      g_lists.cursor_line = line;
      g_windows.active->text_column = static_cast<int16_t>(column);
      return key;
    };
  };
  g_script.steps = {
      [] {
        g_run.marking = 1;  // Shift went down: the block at the caret grows from here
        return WINDOW_NOTHING;
      },
      move(l[3], 4, WINDOW_NOTHING),  // the end goes down with the cursor
      move(l[2], 1, WINDOW_NOTHING),  // the end comes back up
      move(l[0], 3, WINDOW_NOTHING),  // past the start: the start takes over, the old start stays
      move(l[0], 0, WINDOW_NOTHING),  // on the same line the start edge follows the caret
      move(l[4], 0, 31),              // a code below 256 moving the cursor line does not extend
      [&] {
        seen.push_back(current_block());
        return KEY_ESC;
      },
  };
  run_window(node);
  const std::vector<Block> want = {
      {l[1], 2, l[3], 4},
      {l[1], 2, l[2], 1},
      {l[0], 3, l[1], 2},
      {l[0], 0, l[1], 2},
      {l[0], 0, l[1], 2},
  };
  ASSERT_EQ(seen.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_TRUE(seen[i] == want[i]) << "step " << i;
}

TEST_F(RunWindowTest, BlockFollowsTheCaretWithinItsLine) {
  TextLine* node = make_scripted({"abcdefghij"}, WINDOW_TEXT_LIST);
  TextWindow* w = window_of(node);
  w->block_start = w->block_end = line_at(node, 0);
  w->text_column = 4;
  w->block_start_column = w->block_end_column = 4;
  std::vector<std::pair<int, int>> seen;
  auto caret_to = [&](int column) {
    return [&seen, column] {
      if (g_script.calls > 2)
        seen.emplace_back(g_windows.active->block_start_column,
                          g_windows.active->block_end_column);
      g_windows.active->text_column = static_cast<int16_t>(column);
      return WINDOW_NOTHING;
    };
  };
  g_script.steps = {[] {
                      g_run.marking = 1;
                      return WINDOW_NOTHING;
                    },
                    caret_to(6), caret_to(2), caret_to(3), [&] {
                      seen.emplace_back(g_windows.active->block_start_column,
                                        g_windows.active->block_end_column);
                      return KEY_ESC;
                    }};
  run_window(node);
  // Right to 6 grows the end; left to 2 passes the start, so the old start becomes the end;
  // right to 3 moves the start edge back.
  const std::vector<std::pair<int, int>> want = {{4, 6}, {2, 4}, {3, 4}};
  EXPECT_EQ(seen, want);
}

// ---- The pointer ------------------------------------------------------------------------------

TEST_F(RunWindowTest, ListWindowBringsThePointerToItsCursorRow) {
  const int cw = g_display.presets[FACE_ROLE_NORMAL].cell_width;
  const int ch = g_display.presets[FACE_ROLE_NORMAL].cell_height;
  struct Case {
    int x, y;            // pointer before
    uint32_t options;
    int want_x, want_y;  // pointer after
  };
  // Window rows 3-8, columns 1-30; the cursor row is 2 (screen row 5).
  const Case cases[] = {
      {0, 0, LIST_OPTION_POINTER_TO_ROW, cw * (1 + 30 / 2), 5 * ch + ch / 2},  // glides in
      {80, 3 * ch + 2, LIST_OPTION_POINTER_TO_ROW, 80, 6 * ch - 2},            // to the row
      {80, 3 * ch + 2, LIST_OPTION_POINTER_TO_ROW | LIST_OPTION_POINTER_STAYS, 80, 3 * ch + 2},
      {0, 0, 0, 0, 0},                                                         // left alone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << std::hex << c.options);
    g_script = FilterScript();
    TextLine* node = make_window({"a", "b", "c"}, 3, 1, 8, 30, 0, scripted_filter, nullptr, 0,
                                 c.options | 1);
    window_of(node)->current_line = line_at(node, 2);
    window_of(node)->cursor_row = 2;
    g_pointer.wanted_x = c.x;
    g_pointer.wanted_y = c.y;
    run_window(node);
    EXPECT_EQ(g_pointer.wanted_x, c.want_x);
    EXPECT_EQ(g_pointer.wanted_y, c.want_y);
  }
}

}  // namespace
