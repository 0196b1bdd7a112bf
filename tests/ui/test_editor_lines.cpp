// The line commands through run_window: column paste, moving the cursor line, sorting all lines
// and the block's lines; each undone gives back every byte.
#include "tests/ui/editor_fixture.h"
#include "ui/list_window.h"

namespace {

using Lines = std::vector<std::string>;

TEST_F(EditorTest, ColumnPastePutsTheClipboardInAColumn) {
  struct Case {
    const char* name;
    Lines lines;
    Lines clip;
    int column;
    Lines expected;
  };
  const Case cases[] = {
      {"inside long lines", {"abcdef\n", "ghijkl\n", "mnopqr\n"}, {"XY\n", "Z\n"}, 2,
       {"abXY cdef\n", "ghZ  ijkl\n", "mnopqr\n"}},
      {"past short lines", {"ab\n", "c\n"}, {"XY\n", "Z\n"}, 4, {"ab  XY\n", "c   Z\n"}},
      {"stops at a line without a newline", {"abcd\n", "efgh"}, {"1\n", "2\n"}, 1,
       {"a1 bcd\n", "efgh"}},
      {"tabs count as their columns", {"\tab\n"}, {"X\n"}, 7, {"\taX b\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(c.lines);
    std::vector<LineCopy> clip;
    for (const std::string& t : c.clip) clip.push_back({t});
    set_text_clipboard(clip, false);
    run(node, {WINDOW_COLUMN_PASTE}, 0, c.column);
    EXPECT_EQ(lines_of(node), c.expected);
    run(node, {UNDO_STEP});
    EXPECT_EQ(lines_of(node), c.lines);
  }
}

TEST_F(EditorTest, ColumnPasteOfAVeryWideClipboardLineKeepsItsWidth) {
  // 300 shown characters: a width kept in one byte would wrap round to a few columns.
  const std::string wide(300, 'w');
  TextLine* node = make_editor({"ab\n", "cdef\n"});
  set_text_clipboard({{wide + "\n"}, {"x\n"}}, false);
  run(node, {WINDOW_COLUMN_PASTE}, 0, 1);
  EXPECT_EQ(lines_of(node), (Lines{"a" + wide + " b\n", "cx" + std::string(300, ' ') + "def\n"}));
}

TEST_F(EditorTest, ColumnPasteThatWouldMakeALineTooLongChangesNothing) {
  TextLine* node = make_editor({"ab\n", "cd\n"});
  set_text_clipboard({{"x\n"}, {std::string(LINE_TEXT_MAX, 'y') + "\n"}}, false);
  run(node, {WINDOW_COLUMN_PASTE}, 0, 1);
  EXPECT_EQ(lines_of(node), (Lines{"ab\n", "cd\n"}));
  EXPECT_EQ(g_message_box.last_text, LINE_TOO_LONG_TEXT);
}

TEST_F(EditorTest, MovingTheCursorLineTakesTheCaretWithIt) {
  const Lines lines = {"one\n", "two\n", "three\n"};
  struct Case {
    const char* name;
    int line;
    std::vector<EventCode> codes;
    Lines expected;
    int caret_line;
  };
  const Case cases[] = {
      {"up", 1, {WINDOW_MOVE_LINE_UP}, {"two\n", "one\n", "three\n"}, 0},
      {"down twice", 0, {WINDOW_MOVE_LINE_DOWN, WINDOW_MOVE_LINE_DOWN},
       {"two\n", "three\n", "one\n"}, 2},
      {"up at the top", 0, {WINDOW_MOVE_LINE_UP}, lines, 0},
      {"down at the end", 2, {WINDOW_MOVE_LINE_DOWN}, lines, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(lines);
    run(node, c.codes, c.line, 1);
    EXPECT_EQ(lines_of(node), c.expected);
    EXPECT_EQ(caret(node).first, c.caret_line);
    run(node, std::vector<EventCode>(c.codes.size(), UNDO_STEP));
    EXPECT_EQ(lines_of(node), lines);
  }
}

TEST_F(EditorTest, CheckedLinesMoveAsAGroup) {
  struct Case {
    const char* name;
    EventCode code;
    uint8_t modifiers;
    std::vector<int> checked;
    Lines expected;
    EventCode result;
  };
  const Lines lines = {"1\n", "2\n", "3\n", "4\n", "5\n"};
  const Case cases[] = {
      {"down with Shift", WINDOW_MOVE_LINE_DOWN, MODIFIER_SHIFT, {1, 2},
       {"1\n", "4\n", "2\n", "3\n", "5\n"}, 0},
      {"up with Ctrl", WINDOW_MOVE_LINE_UP, MODIFIER_CTRL, {2, 3},
       {"1\n", "3\n", "4\n", "2\n", "5\n"}, 0},
      {"without a modifier", WINDOW_MOVE_LINE_DOWN, 0, {1, 2}, lines, WINDOW_MOVE_LINE_DOWN},
      {"another code", KEY_DOWN, MODIFIER_SHIFT, {1, 2}, lines, KEY_DOWN},
      // A line waiting for its redraw is no less an anchor than a clean one.
      {"down past a line flagged for redraw", WINDOW_MOVE_LINE_DOWN, MODIFIER_SHIFT, {3},
       {"1\n", "2\n", "3\n", "5\n", "4\n"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(lines, WINDOW_WORD_WRAP);
    for (int i : c.checked) line_at(node, i)->state |= LINE_STATE_CHECKED;
    line_at(node, 4)->state |= LINE_STATE_REDRAW;
    activate_window(node);
    g_events.modifiers = c.modifiers;
    EXPECT_EQ(move_checked_lines(c.code), c.result);
    g_events.modifiers = 0;
    store_window_state();
    EXPECT_EQ(lines_of(node), c.expected);
  }
}

TEST_F(EditorTest, SortingAllLines) {
  // A list window sorts lines, ignoring case, and drops the blank lines that come first.
  TextLine* list = make_editor({"pear\n", "\n", "Apple\n", "fig\n"}, WINDOW_WORD_WRAP);
  run(list, {WINDOW_SORT_ALL}, 0, 0);
  EXPECT_EQ(lines_of(list), (Lines{"Apple\n", "fig\n", "pear\n"}));
  // An editor sorts paragraphs as units: a soft-wrapped paragraph keeps its lines together.
  TextLine* editor = make_editor({"zebra ", "stripes\n", "ant\n", "moth ", "wings\n"},
                                 EDITOR_FLAGS | WINDOW_WORD_WRAP, "X.TXT", 40);
  run(editor, {WINDOW_SORT_ALL}, 0, 0);
  EXPECT_EQ(joined(editor), "ant\nmoth wings\nzebra stripes\n");
  run(editor, {UNDO_STEP});
  EXPECT_EQ(joined(editor), "zebra stripes\nant\nmoth wings\n");
}

TEST_F(EditorTest, SortingTheBlock) {
  // Lines of a list window inside the block only.
  TextLine* list = make_editor({"keep\n", "c\n", "a\n", "b\n", "last\n"}, WINDOW_WORD_WRAP);
  set_block(list, 1, 0, 3, 1);
  run(list, {WINDOW_SORT_BLOCK}, 0, 0);
  EXPECT_EQ(lines_of(list), (Lines{"keep\n", "a\n", "b\n", "c\n", "last\n"}));
  EXPECT_EQ(window_of(list)->block_start, line_at(list, 1));
  EXPECT_EQ(window_of(list)->block_end, line_at(list, 3));
  // In an editor the block widens to whole paragraphs; a last paragraph without a newline
  // gets one when it moves up, so the next re-wrap cannot join it to another.
  TextLine* editor = make_editor({"top\n", "zz\n", "bb\n", "aa"}, EDITOR_FLAGS | WINDOW_WORD_WRAP,
                                 "X.TXT", 40);
  set_block(editor, 1, 1, 3, 1);
  run(editor, {WINDOW_SORT_BLOCK}, 0, 0);
  EXPECT_EQ(lines_of(editor), (Lines{"top\n", "aa\n", "bb\n", "zz\n"}));
  // A block within one line sorts nothing.
  run(editor, {WINDOW_SORT_BLOCK}, 0, 0);
  set_block(editor, 0, 0, 0, 2);
  run(editor, {WINDOW_SORT_BLOCK}, 0, 0);
  EXPECT_EQ(lines_of(editor), (Lines{"top\n", "aa\n", "bb\n", "zz\n"}));
}

}  // namespace
