// Clicks through run_window: a key filter that puts the caret under the pointer before each
// press and release, as the editor's filters do; and the page filter turning real pointer
// events from the queue into clicks.
#include "screen/tick_clock.h"
#include "tests/ui/editor_fixture.h"

namespace {

using Lines = std::vector<std::string>;

// One step of a mouse script: the code, and the cell the pointer is over (line, column).
struct MouseStep {
  EventCode code;
  int line;
  int column;
};
struct MouseScript {
  std::vector<MouseStep> steps;
  size_t next = 0;
};
MouseScript g_mouse_script;

EventCode mouse_script_filter() {
  if (g_mouse_script.next >= g_mouse_script.steps.size()) return KEY_ESC;
  const MouseStep& step = g_mouse_script.steps[g_mouse_script.next++];
  if (step.code == UNDO_STEP) {
    push_back_key(UNDO_STEP);
    return WINDOW_NOTHING;
  }
  if (step.line >= 0) {
    TextWindow* w = g_windows.active;
    TextLine* line = g_lists.current.first;
    for (int i = 0; i < step.line; ++i) line = line->next;
    g_lists.cursor_line = line;
    w->cursor_row = static_cast<int16_t>(step.line);
    w->horizontal_scroll = 0;
    w->cursor_column = static_cast<int16_t>(step.column);
    caret_to_screen_column();
  }
  return step.code;
}

class MouseTest : public EditorTest {
 protected:
  void TearDown() override {
    g_events.modifiers = 0;
    EditorTest::TearDown();
  }
  void click(TextLine* node, std::vector<MouseStep> steps) {
    window_of(node)->key_filter = mouse_script_filter;
    g_mouse_script = MouseScript{std::move(steps), 0};
    run_window(node);
  }
  static std::string marked(TextLine* node) {
    const TextWindow* w = window_of(node);
    if (w->block_start == nullptr) return "<none>";
    std::string text;
    for (const LineCopy& piece : copy_text_range(w->block_start, w->block_start_column,
                                                 w->block_end, w->block_end_column))
      text += piece.text;
    return text;
  }
};

constexpr EventCode PRESS = WINDOW_CLICK;
constexpr EventCode RELEASE = WINDOW_RELEASE;

TEST_F(MouseTest, DoubleClickMarksTheWordAndAThirdPressDoesNot) {
  TextLine* node = make_editor({"G0 X12.5 Y3\n"}, EDITOR_FLAGS | WINDOW_WORD_WRAP);
  click(node, {{PRESS, 0, 5}, {RELEASE, 0, 5}, {PRESS, 0, 5}, {RELEASE, 0, 5}});
  EXPECT_EQ(marked(node), "X12.5 ");
  // Presses on different cells make no double click.
  TextLine* other = make_editor({"G0 X12.5 Y3\n"}, EDITOR_FLAGS | WINDOW_WORD_WRAP);
  click(other, {{PRESS, 0, 5}, {RELEASE, 0, 5}, {PRESS, 0, 6}, {RELEASE, 0, 6}});
  EXPECT_TRUE(marked(other) == "<none>" || marked(other).empty()) << marked(other);
}

TEST_F(MouseTest, PressAndDragMarksFromThePress) {
  TextLine* node = make_editor({"one two\n", "three\n"}, EDITOR_FLAGS | WINDOW_WORD_WRAP);
  click(node, {{PRESS, 0, 4}, {WINDOW_NOTHING, 1, 2}, {RELEASE, 1, 2}});
  EXPECT_EQ(marked(node), "two\nth");
}

TEST_F(MouseTest, DraggingTheBlockMovesOrCopiesItAndUndoGivesItBack) {
  struct Case {
    const char* name;
    Lines lines;
    std::pair<int, int> from, to;   // the block
    std::pair<int, int> press, drop;
    bool ctrl;
    std::string expected;
    std::string marked;
  };
  const Case cases[] = {
      {"move right on its line", {"alpha beta gamma\n"}, {0, 6}, {0, 11}, {0, 7}, {0, 16}, false,
       "alpha gammabeta \n", "beta "},
      {"copy with Ctrl", {"alpha beta gamma\n"}, {0, 6}, {0, 11}, {0, 7}, {0, 16}, true,
       "alpha beta gammabeta \n", "beta "},
      {"move before, to another line", {"one\n", "two three\n"}, {1, 4}, {1, 9}, {1, 5}, {0, 0},
       false, "threeone\ntwo \n", "three"},
      {"move before, on its line", {"abcdef\n"}, {0, 3}, {0, 5}, {0, 4}, {0, 1}, false,
       "adebcf\n", "de"},
      {"two lines after, on the end line", {"ab\n", "cd\n", "ef\n"}, {0, 1}, {1, 1}, {0, 1},
       {1, 2}, false, "adb\nc\nef\n", "b\nc"},
      {"past the end of a line", {"ab\n", "cd\n"}, {0, 0}, {0, 1}, {0, 0}, {1, 4}, false,
       "b\ncd  a\n", "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(c.lines, EDITOR_FLAGS | WINDOW_WORD_WRAP);
    set_block(node, c.from.first, c.from.second, c.to.first, c.to.second);
    g_events.modifiers = c.ctrl ? MODIFIER_CTRL : 0;
    click(node, {{PRESS, c.press.first, c.press.second}, {RELEASE, c.drop.first, c.drop.second}});
    g_events.modifiers = 0;
    EXPECT_EQ(joined(node), c.expected);
    EXPECT_EQ(marked(node), c.marked);
    EXPECT_NE(window_of(node)->flags & WINDOW_CHANGED, 0u);
    click(node, {{UNDO_STEP, -1, 0}});
    std::string original;
    for (const std::string& l : c.lines) original += l;
    EXPECT_EQ(joined(node), original);
  }
}

TEST_F(MouseTest, ReleasingOnTheBlockGrowsItToItsSentenceThenParagraph) {
  TextLine* node = make_editor({"First one. Second part here. Third.\n", "next\n"},
                               EDITOR_FLAGS | WINDOW_WORD_WRAP);
  set_block(node, 0, 18, 0, 22);  // "part"
  click(node, {{PRESS, 0, 19}, {RELEASE, 0, 19}});
  EXPECT_EQ(marked(node), "Second part here. ");
  EXPECT_EQ(window_of(node)->text_column, 19);  // the caret stays
  set_block(node, 0, 18, 0, 22);
  click(node, {{PRESS, 0, 19}, {RELEASE, 0, 19}, {PRESS, 0, 20}, {RELEASE, 0, 20}});
  EXPECT_EQ(marked(node), "First one. Second part here. Third.\n");
  EXPECT_EQ(joined(node), "First one. Second part here. Third.\nnext\n");
}

TEST_F(MouseTest, ADropThatWouldMakeALineTooLongChangesNothing) {
  const std::string long_line(LINE_TEXT_MAX - 2, 'x');
  TextLine* node = make_editor({"abcdef\n", long_line + "\n"}, EDITOR_FLAGS | WINDOW_WORD_WRAP);
  set_block(node, 0, 0, 0, 6);
  click(node, {{PRESS, 0, 2}, {RELEASE, 1, 3}});
  EXPECT_EQ(lines_of(node), (Lines{"abcdef\n", long_line + "\n"}));
  EXPECT_EQ(g_message_box.last_text, LINE_TOO_LONG_TEXT);
}

// The page's filter: a press and a release of the real button over the text.
EventCode mouse_page_key() { return editor_page_key(4); }

TEST_F(MouseTest, PageFilterTurnsPointerEventsIntoClicks) {
  reset_editor_page();
  TextLine* node = make_editor({"G0 X1\n", "G1 Y2\n"}, EDITOR_FLAGS | WINDOW_WORD_WRAP);
  window_of(node)->key_filter = mouse_page_key;
  activate_window(node);
  const TextWindow* w = window_of(node);
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  // The pointer over the second line's fourth cell.
  g_pointer.wanted_x = (w->left_column + 3) * cw + 1;
  g_pointer.wanted_y = (w->top_row + 1) * ch + ch / 2;
  push_input_code(EVENT_LEFT_DOWN);
  push_input_code(EVENT_LEFT_UP);
  push_input_code('Z');
  push_input_code(KEY_ESC);
  run_window(node);
  EXPECT_EQ(lines_of(node), (Lines{"G0 X1\n", "G1 ZY2\n"}));
}

}  // namespace
