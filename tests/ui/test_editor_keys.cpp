// The editor's typing, caret and block keys through run_window: what each leaves in the lines,
// where the caret stands, what the clipboards hold.
#include "screen/caret.h"
#include "tests/support/idle_typist.h"
#include "tests/ui/editor_fixture.h"

namespace {

using Lines = std::vector<std::string>;

// ---- Caret columns -----------------------------------------------------------------------------

TEST_F(EditorTest, RightStepsOverTabsEscapePairsAndCodes) {
  struct Case {
    const char* name;
    std::string text;
    uint32_t flags;
    std::vector<std::pair<int, int>> steps;  // (text column, cursor column) after each Right
  };
  const Case cases[] = {
      {"tab width 6", "a\tb\n", 0, {{1, 1}, {2, 6}, {3, 7}}},
      {"glyph pair is one column", "a\x08" "Ab\n", 0, {{1, 1}, {3, 2}, {4, 3}}},
      {"colour code hidden", "a\x0b" "b\n", 0, {{1, 1}, {3, 2}}},
      {"colour code shown", "a\x0b" "b\n", WINDOW_SHOW_SPACES, {{1, 1}, {2, 2}, {3, 3}}},
      {"format pair hidden", "a\x01" "Xb\n", 0, {{1, 1}, {4, 2}}},
      {"format pair shown", "a\x01" "Xb\n", WINDOW_SHOW_SPACES, {{1, 1}, {3, 2}, {4, 3}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor({c.text}, EDITOR_FLAGS | WINDOW_WORD_WRAP | c.flags);
    for (size_t i = 0; i < c.steps.size(); ++i) {
      run(node, std::vector<EventCode>(i + 1, KEY_RIGHT), 0, 0);
      EXPECT_EQ(window_of(node)->text_column, c.steps[i].first) << "step " << i;
      EXPECT_EQ(window_of(node)->cursor_column, c.steps[i].second) << "step " << i;
    }
    // Left comes back over the same stops, never between the bytes of a pair.
    run(node, std::vector<EventCode>(c.steps.size(), KEY_LEFT));
    EXPECT_EQ(window_of(node)->text_column, 0);
    EXPECT_EQ(window_of(node)->cursor_column, 0);
  }
}

TEST_F(EditorTest, RightAtTheLineEndWrapsOrGoesIntoBlankSpace) {
  TextLine* wrapped = make_editor({"ab\n", "cd\n"}, EDITOR_FLAGS | WINDOW_WORD_WRAP);
  run(wrapped, {KEY_RIGHT}, 0, 2);
  EXPECT_EQ(caret(wrapped), std::make_pair(1, 0));
  TextLine* plain = make_editor({"ab\n", "cd\n"});
  run(plain, {KEY_RIGHT, KEY_RIGHT}, 0, 2);
  EXPECT_EQ(caret(plain), std::make_pair(0, 4));
  EXPECT_EQ(window_of(plain)->cursor_column, 4);
}

// ---- Typing, Enter, Backspace, Del -------------------------------------------------------------

TEST_F(EditorTest, TypingInsertsAtTheCaretAndPastTheEnd) {
  struct Case {
    const char* name;
    Lines lines;
    uint32_t flags;
    int column;
    std::vector<EventCode> codes;
    Lines expected;
    int caret_column;
  };
  const Case cases[] = {
      {"insert", {"ab\n"}, 0, 1, typed("xy"), {"axyb\n"}, 3},
      {"past the end with word wrap", {"ab\n"}, WINDOW_WORD_WRAP, 5, typed("x"), {"ab   x\n"}, 6},
      {"space past the end without wrap moves", {"ab\n"}, 0, 5, typed(" "), {"ab\n"}, 6},
      {"overwrite replaces", {"abc\n"}, WINDOW_OVERWRITE, 1, typed("x"), {"axc\n"}, 2},
      {"overwrite on a newline inserts", {"ab\n"}, WINDOW_OVERWRITE, 2, typed("x"), {"abx\n"}, 3},
      {"Alt+keypad control character is a glyph pair", {"\n"}, 0, 0, {1024 + 5}, {"\x08&\n"}, 2},
      {"colour code leaves the caret", {"ab\n"}, 0, 1, {0x0B}, {"a\x0b" "b\n"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(c.lines, EDITOR_FLAGS | c.flags);
    run(node, c.codes, 0, c.column);
    EXPECT_EQ(lines_of(node), c.expected);
    EXPECT_EQ(window_of(node)->text_column, c.caret_column);
    EXPECT_NE(window_of(node)->flags & WINDOW_CHANGED, c.expected == c.lines ? 1u : 0u);
  }
}

TEST_F(EditorTest, EnterSplitsAndIndents) {
  struct Case {
    const char* name;
    const char* title;
    Lines lines;
    int line;
    int column;
    Lines expected;
    std::pair<int, int> caret;
  };
  const Case cases[] = {
      {"end of line in a text file", "X.TXT", {"  abc\n"}, 0, 5, {"  abc\n", "\n"}, {1, 0}},
      {"extension case is ignored", "x.txt", {"  abc\n"}, 0, 5, {"  abc\n", "\n"}, {1, 0}},
      {"end of line in an NC file copies the blanks", "X.NC", {"  abc\n"}, 0, 5,
       {"  abc\n", "  \n"}, {1, 2}},
      {"indented split", "X.NC", {"    abcdef\n"}, 0, 6, {"    ab\n", "    cdef\n"}, {1, 4}},
      {"split inside the indent keeps the tail", "X.NC", {"    abc\n"}, 0, 2,
       {"  \n", "  abc\n"}, {1, 0}},
      {"last line without a newline", "X.TXT", {"ab"}, 0, 2, {"ab\n", "\n"}, {1, 0}},
      {"start of a line", "X.TXT", {"ab\n", "cd\n"}, 1, 0, {"ab\n", "\n", "cd\n"}, {2, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(c.lines, EDITOR_FLAGS, c.title);
    run(node, {KEY_ENTER}, c.line, c.column);
    EXPECT_EQ(lines_of(node), c.expected);
    EXPECT_EQ(caret(node), c.caret);
  }
}

TEST_F(EditorTest, BackspaceAndDelJoinAndDelete) {
  struct Case {
    const char* name;
    Lines lines;
    int line;
    int column;
    EventCode code;
    Lines expected;
    std::pair<int, int> caret;
  };
  const Case cases[] = {
      {"backspace at column 0 joins", {"ab\n", "cd\n"}, 1, 0, KEY_BACKSPACE, {"abcd\n"}, {0, 2}},
      {"backspace deletes before the caret", {"abc\n"}, 0, 2, KEY_BACKSPACE, {"ac\n"}, {0, 1}},
      {"backspace at the start does nothing", {"abc\n"}, 0, 0, KEY_BACKSPACE, {"abc\n"}, {0, 0}},
      {"backspace over a glyph pair", {"a\x08" "Ab\n"}, 0, 3, KEY_BACKSPACE, {"ab\n"}, {0, 1}},
      {"del joins at the newline", {"ab\n", "cd\n"}, 0, 2, KEY_DEL, {"abcd\n"}, {0, 2}},
      {"del past the end fills blanks", {"ab\n", "cd\n"}, 0, 4, KEY_DEL, {"ab  cd\n"}, {0, 4}},
      {"del on the last line's end", {"ab"}, 0, 2, KEY_DEL, {"ab"}, {0, 2}},
      {"del the only character", {"a"}, 0, 0, KEY_DEL, {""}, {0, 0}},
      {"del skips a hidden colour code", {"\x0b" "ab\n"}, 0, 0, KEY_DEL, {"\x0b" "b\n"}, {0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(c.lines);
    run(node, {c.code}, c.line, c.column);
    EXPECT_EQ(lines_of(node), c.expected);
    EXPECT_EQ(caret(node), c.caret);
  }
}

TEST_F(EditorTest, RefusedJoinLeavesTheTextAndSaysSo) {
  const std::string long_text(LINE_TEXT_MAX - 2, 'a');
  TextLine* node = make_editor({long_text + "\n", "bcd\n"});
  run(node, {KEY_DEL}, 0, LINE_TEXT_MAX - 2);
  EXPECT_EQ(lines_of(node), (Lines{long_text + "\n", "bcd\n"}));
  EXPECT_EQ(g_message_box.last_text, LINE_TOO_LONG_TEXT);
  // Typing into a full line is refused the same way.
  reset_message_box();
  TextLine* full = make_editor({std::string(LINE_TEXT_MAX, 'a')});
  run(full, typed("x"), 0, 3);
  EXPECT_EQ(lines_of(full)[0].size(), static_cast<size_t>(LINE_TEXT_MAX));
  EXPECT_EQ(g_message_box.last_text, LINE_TOO_LONG_TEXT);
}

TEST_F(EditorTest, VerticalMovesKeepTheScreenColumn) {
  TextLine* node = make_editor({"abcdef\n", "ab\n", "abcdef\n"});
  run(node, {KEY_DOWN}, 0, 4);
  EXPECT_EQ(caret(node), std::make_pair(1, 4));  // blank space after the text
  run(node, {KEY_DOWN, KEY_UP, KEY_UP});
  EXPECT_EQ(caret(node), std::make_pair(0, 4));
  run(node, {KEY_CTRL_PGDN});
  EXPECT_EQ(caret(node).first, 2);
  run(node, {KEY_CTRL_PGUP});
  EXPECT_EQ(caret(node).first, 0);
}

// ---- The marked block --------------------------------------------------------------------------

TEST_F(EditorTest, BlockCommandsOnOneLineSeveralLinesAndParagraphs) {
  struct Shape {
    const char* name;
    int first, start, last, end;
    Lines remaining;        // after delete or cut
    Lines pieces;           // what copy and cut put in the clipboard
    const char* system;     // what 426 puts on the system clipboard
    std::pair<int, int> caret;  // after delete or cut
  };
  const Lines text = {"one two\n", "three\n", "four five\n"};
  const Shape shapes[] = {
      {"one line", 0, 4, 0, 7, {"one \n", "three\n", "four five\n"}, {"two"}, "two", {0, 4}},
      {"several lines", 0, 4, 2, 4, {"one  five\n"}, {"two\n", "three\n", "four"},
       "two\r\nthree\r\nfour", {0, 4}},
      {"whole paragraphs", 1, 0, 2, 10, {"one two\n"}, {"three\n", "four five\n"},
       "three\r\nfour five\r\n", {0, 7}},
  };
  const EventCode codes[] = {KEY_CTRL_BACKSPACE, WINDOW_COPY_SYSTEM, WINDOW_COPY,
                             WINDOW_APPEND_COPY, WINDOW_CUT};
  for (const Shape& s : shapes) {
    for (EventCode code : codes) {
      SCOPED_TRACE(std::string(s.name) + " code " + std::to_string(code));
      set_text_clipboard({LineCopy{"old\n"}}, false);
      clipboard_set_text("before");
      TextLine* node = make_editor(text);
      set_block(node, s.first, s.start, s.last, s.end);
      run(node, {code}, s.first, s.start);
      const bool removes = code == KEY_CTRL_BACKSPACE || code == WINDOW_CUT;
      EXPECT_EQ(lines_of(node), removes ? s.remaining : text);
      Lines expected_clip = {"old\n"};
      if (code == WINDOW_COPY || code == WINDOW_CUT) expected_clip = s.pieces;
      if (code == WINDOW_APPEND_COPY) expected_clip.insert(expected_clip.end(), s.pieces.begin(), s.pieces.end());
      EXPECT_EQ(clipboard(), expected_clip);
      EXPECT_EQ(system_clipboard(), code == WINDOW_COPY_SYSTEM ? s.system : "before");
      if (removes) {
        EXPECT_EQ(caret(node), s.caret);
        EXPECT_EQ(window_of(node)->block_start, nullptr);
      }
      destroy(node);
    }
  }
}

TEST_F(EditorTest, WholeParagraphCopyKeepsTheParagraphKinds) {
  TextLine* node = make_editor({"one\n", "two\n"});
  set_block(node, 0, 0, 1, 4);
  run(node, {WINDOW_COPY}, 0, 0);
  const std::vector<LineCopy> clip = text_clipboard_lines();
  ASSERT_EQ(clip.size(), 2u);
  EXPECT_NE(clip[0].kind & LINE_KIND_PARAGRAPH, 0);
  EXPECT_NE(clip[1].kind & LINE_KIND_PARAGRAPH, 0);
}

TEST_F(EditorTest, MarkingWithF6AndCursorKeys) {
  TextLine* node = make_editor({"abcdef\n", "ghij\n"});
  run(node, {KEY_F6, KEY_RIGHT, KEY_RIGHT, KEY_DOWN, KEY_F6}, 0, 1);
  // The second F6 while marking drops the block.
  EXPECT_EQ(window_of(node)->block_start, nullptr);
  run(node, {KEY_F6, KEY_RIGHT, KEY_RIGHT, KEY_DOWN, WINDOW_RELEASE}, 0, 1);
  EXPECT_EQ(window_of(node)->block_start, line_at(node, 0));
  EXPECT_EQ(window_of(node)->block_start_column, 1);
  EXPECT_EQ(window_of(node)->block_end, line_at(node, 1));
  EXPECT_EQ(window_of(node)->block_end_column, 3);
  run(node, {WINDOW_CUT});
  EXPECT_EQ(lines_of(node), (Lines{"aj\n"}));
  EXPECT_EQ(clipboard(), (Lines{"bcdef\n", "ghi"}));
}

TEST_F(EditorTest, TypingOverAnUnkeptBlockCutsItFirst) {
  TextLine* node = make_editor({"abcdef\n"});
  set_block(node, 0, 1, 0, 4);
  run(node, std::vector<EventCode>{SCRIPT_UNKEEP_BLOCK} + typed("X"), 0, 1);
  EXPECT_EQ(lines_of(node), (Lines{"aXef\n"}));
  EXPECT_EQ(clipboard(), (Lines{"bcd"}));
}

TEST_F(EditorTest, SelectAllMarksEveryLine) {
  TextLine* node = make_editor({"ab\n", "cd"});
  run(node, {WINDOW_SELECT_ALL, WINDOW_CUT});
  EXPECT_EQ(lines_of(node), (Lines{""}));
  EXPECT_EQ(clipboard(), (Lines{"ab\n", "cd"}));
}

// ---- Pasting -----------------------------------------------------------------------------------

TEST_F(EditorTest, PasteInsertsTheClipboardAsAMarkedBlock) {
  struct Case {
    const char* name;
    Lines clip;
    int column;
    Lines expected;
    std::pair<int, int> caret;
  };
  const Case cases[] = {
      {"one piece", {"XY"}, 2, {"abXYcd\n"}, {0, 4}},
      {"lines", {"X\n", "Y"}, 2, {"abX\n", "Ycd\n"}, {1, 1}},
      {"at the start", {"X\n"}, 0, {"X\n", "abcd\n"}, {1, 0}},
      {"past the end", {"X"}, 6, {"abcd  X\n"}, {0, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<LineCopy> clip;
    for (const std::string& t : c.clip) clip.push_back(LineCopy{t});
    set_text_clipboard(clip, false);
    TextLine* node = make_editor({"abcd\n"});
    run(node, {KEY_INS}, 0, c.column);
    EXPECT_EQ(lines_of(node), c.expected);
    EXPECT_EQ(caret(node), c.caret);
    EXPECT_NE(window_of(node)->block_start, nullptr);
    EXPECT_EQ(g_run.block_kept, 1);
    destroy(node);
  }
}

TEST_F(EditorTest, SystemClipboardRoundTripsWithCrLf) {
  TextLine* node = make_editor({"one\n", "two\n", "three\n"});
  set_block(node, 0, 0, 2, 0);
  run(node, {WINDOW_COPY_SYSTEM}, 0, 0);
  EXPECT_EQ(system_clipboard(), "one\r\ntwo\r\n");
  run(node, {WINDOW_PASTE_SYSTEM}, 2, 0);
  EXPECT_EQ(lines_of(node), (Lines{"one\n", "two\n", "one\n", "two\n", "three\n"}));
}

TEST_F(EditorTest, PasteIntoABlankWindowTakesTheCutWindowsWrap) {
  TextLine* from = make_editor({"abc\n"}, EDITOR_FLAGS | WINDOW_WORD_WRAP);
  set_block(from, 0, 0, 0, 2);
  run(from, {WINDOW_CUT}, 0, 0);
  TextLine* to = make_editor({"\n"});
  run(to, {KEY_INS}, 0, 0);
  EXPECT_NE(window_of(to)->flags & WINDOW_WORD_WRAP, 0u);
}

// ---- Line deletion -----------------------------------------------------------------------------

TEST_F(EditorTest, DeleteLineAsksForANonEmptyLine) {
  TextLine* node = make_editor({"ab\n", "cd\n"});
  start_typist();
  typist_key(VK_ESCAPE);
  run(node, {WINDOW_DELETE_LINE}, 0, 0);
  EXPECT_EQ(lines_of(node), (Lines{"ab\n", "cd\n"}));
  typist_text("y");
  run(node, {WINDOW_DELETE_LINE}, 0, 0);
  EXPECT_EQ(lines_of(node), (Lines{"cd\n"}));
  run(node, {WINDOW_DELETE_LINE_NOW}, 0, 0);
  EXPECT_EQ(lines_of(node), (Lines{""}));
}

TEST_F(EditorTest, DeleteLineWithCheckedLinesAsksWhichToDelete) {
  struct Case {
    const char* name;
    int cursor;
    int16_t answer;
    const char* asked;
    Lines expected;
  };
  // Lines 1 and 3 are checked; line 2 is empty.
  const Lines lines = {"keep\n", "checked one\n", "\n", "checked two\n", "last\n"};
  const Case cases[] = {
      {"empty cursor line, yes", 2, 'Y', "all the marked lines", {"keep\n", "\n", "last\n"}},
      {"empty cursor line, no", 2, 'N', "all the marked lines", lines},
      {"the marked lines", 0, 'M', "Delete what?", {"keep\n", "\n", "last\n"}},
      {"the cursor line", 0, 'C', "Delete what?",
       {"checked one\n", "\n", "checked two\n", "last\n"}},
      {"Esc", 0, KEY_ESC, "Delete what?", lines},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(lines);
    line_at(node, 1)->state |= LINE_STATE_CHECKED;
    line_at(node, 3)->state |= LINE_STATE_CHECKED;
    reset_message_box();
    start_typist();
    if (c.answer == KEY_ESC) typist_key(VK_ESCAPE);
    else typist_text(std::string(1, static_cast<char>(c.answer)));
    run(node, {WINDOW_DELETE_LINE}, c.cursor, 0);
    EXPECT_EQ(lines_of(node), c.expected);
    EXPECT_NE(g_message_box.last_text.find(c.asked), std::string::npos) << g_message_box.last_text;
  }
}

TEST_F(EditorTest, ReplayCodesActOnTheCursorLine) {
  struct Case {
    const char* name;
    Lines lines;
    int column;
    EventCode code;
    int16_t count;
    Lines expected;
  };
  const Case cases[] = {
      {"502 types the count before the caret", {"abc\n"}, 2, 502, 'X', {"aXbc\n"}},
      {"502 at column 0 does nothing", {"abc\n"}, 0, 502, 'X', {"abc\n"}},
      {"503 deletes before the caret", {"abc\n"}, 2, 503, 0, {"ac\n"}},
      {"506 inserts a line of blanks", {"abc\n", "d\n"}, 1, 506, 3, {"abc\n", "   \n", "d\n"}},
      {"507 cuts the line's head", {"abcd\n"}, 0, 507, 2, {"cd\n"}},
      {"507 deletes an emptied line", {"ab\n", "cd\n"}, 0, 507, 9, {"cd\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(c.lines);
    g_run.replay_count = c.count;
    run(node, {c.code}, 0, c.column);
    EXPECT_EQ(lines_of(node), c.expected);
  }
}

TEST_F(EditorTest, FileNamesOnLinux) {
  EXPECT_EQ(file_extension_of("/home/a.b/FILE"), nullptr);
  EXPECT_STREQ(file_extension_of("/home/a/FILE.TXT"), "TXT");
  EXPECT_STREQ(file_extension_of("notes.nc"), "nc");
}

}  // namespace

namespace {

// ---- Key maps ----------------------------------------------------------------------------------

TEST_F(EditorTest, ClipboardKeysBecomeTheirCommands) {
  TextLine* node = make_editor({"abc\n"});
  activate_window(node);
  struct Case {
    EventCode code;
    uint8_t modifiers;
    bool block;
    EventCode expected;
  };
  const Case cases[] = {
      {KEY_DEL, 0, false, KEY_DEL},
      {KEY_DEL, 0, true, WINDOW_CUT},
      {KEY_DEL, MODIFIER_SHIFT, true, 0},
      {KEY_CTRL_INS, 0, false, WINDOW_APPEND_COPY},
      {KEY_CTRL_C, 0, false, WINDOW_COPY},
      {KEY_CTRL_C, MODIFIER_SHIFT, false, WINDOW_COPY_SYSTEM},
      {KEY_CTRL_V, 0, false, KEY_INS},
      {KEY_CTRL_V, MODIFIER_SHIFT, false, WINDOW_PASTE_SYSTEM},
      {KEY_CTRL_X, 0, false, WINDOW_CUT},
      {'a', 0, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    g_events.modifiers = c.modifiers;
    g_lists.block_start = c.block ? g_lists.cursor_line : nullptr;
    g_lists.block_end = g_lists.block_start;
    g_windows.active->block_start_column = 0;
    g_windows.active->block_end_column = 2;
    EXPECT_EQ(map_clipboard_keys(c.code), c.expected);
  }
  g_events.modifiers = 0;
  // Ctrl+Del copies and then deletes: the delete comes back as the next key.
  EXPECT_EQ(map_clipboard_keys(KEY_CTRL_DEL), WINDOW_APPEND_COPY);
  EXPECT_EQ(pop_pushed_key(), KEY_CTRL_BACKSPACE);
  EXPECT_EQ(map_user_keys(315), WINDOW_NEXT_KEY);
  EXPECT_EQ(map_user_keys(316), WINDOW_PREVIOUS);
  EXPECT_EQ(map_user_keys(350), 472);
  EXPECT_EQ(map_user_keys('a'), 'a');
}

// The page's key filter: real keystrokes through the event queue, Ctrl+Z and Ctrl+Shift+Z.
EventCode nc_like_page_key() { return editor_page_key(4); }

TEST_F(EditorTest, PageKeysTypeCutPasteAndUndoThroughTheQueue) {
  reset_editor_page();
  TextLine* node = make_editor({"\n"});
  window_of(node)->key_filter = nc_like_page_key;
  for (char c : std::string("hello")) headless_inject_text(std::string(1, c).c_str());
  headless_inject_keystroke(VK_HOME, 0);
  headless_inject_keystroke(117, 0);  // F6
  headless_inject_keystroke(VK_RIGHT, 0);
  headless_inject_keystroke(VK_RIGHT, 0);
  headless_inject_keystroke('X', WINDOW_MOD_CTRL);  // cut "he"
  headless_inject_keystroke(VK_END, 0);
  headless_inject_keystroke('V', WINDOW_MOD_CTRL);  // paste it at the end
  headless_inject_keystroke(VK_ESCAPE, 0);
  run_window(node);
  EXPECT_EQ(lines_of(node), (Lines{"llohe\n"}));
  for (int i = 0; i < 7; ++i) headless_inject_keystroke('Z', WINDOW_MOD_CTRL);
  headless_inject_keystroke(VK_ESCAPE, 0);
  run_window(node);
  EXPECT_EQ(lines_of(node), (Lines{"\n"}));
  // Ctrl+Shift+Z redoes: read with Shift and Ctrl held, it pushes back the redo code.
  reset_key_pushback();
  g_events.modifiers = MODIFIER_SHIFT | MODIFIER_CTRL;
  headless_inject_key_down('Z', WINDOW_MOD_CTRL | WINDOW_MOD_SHIFT);
  EventCode code = 0;
  for (int i = 0; i < 10 && code == 0; ++i) code = editor_page_key(4);  // modifier events give 0
  EXPECT_EQ(code, WINDOW_NOTHING);
  EXPECT_EQ(pop_pushed_key(), REDO_STEP);
  g_events.modifiers = 0;
  // A quit leaves the page with its bit set.
  headless_inject_close();
  EXPECT_EQ(run_window(node), nullptr);
}

}  // namespace

namespace {

TEST_F(EditorTest, CtrlLeftAndRightMoveByWords) {
  TextLine* node = make_editor({"G0 X1.5 Y2\n", "M30\n"});
  const std::pair<int, int> rights[] = {{0, 3}, {0, 8}, {1, 0}};
  for (const auto& want : rights) {
    run(node, {KEY_CTRL_RIGHT});
    EXPECT_EQ(caret(node), want);
  }
  const std::pair<int, int> lefts[] = {{0, 8}, {0, 3}, {0, 0}};
  for (const auto& want : lefts) {
    run(node, {KEY_CTRL_LEFT});
    EXPECT_EQ(caret(node), want);
  }
}

}  // namespace

namespace {

TEST_F(EditorTest, CaseKeysChangeTheMarkedBlock) {
  struct Case {
    EventCode key;
    const char* expected;
  };
  const Case cases[] = {{KEY_ALT_U, "xx HELLO \x0bWORLD\x13 xx\n"},
                        {KEY_ALT_L, "xx hello \x0bworld\x13 xx\n"},
                        {KEY_ALT_C, "xx Hello \x0bWorld\x13 xx\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    TextLine* node = make_editor({"xx hELLo \x0bwORLD\x13 xx\n"});
    set_block(node, 0, 3, 0, 16);
    run(node, {c.key}, 0, 3);
    EXPECT_EQ(lines_of(node), (Lines{c.expected}));
    EXPECT_NE(window_of(node)->flags & WINDOW_CHANGED, 0u);
    destroy(node);
  }
  // With no block a notice says to mark one; the text stays.
  TextLine* node = make_editor({"abc\n"});
  run(node, {KEY_ALT_U}, 0, 0);
  EXPECT_EQ(lines_of(node), (Lines{"abc\n"}));
  EXPECT_EQ(g_message_box.shown_count, 1);
}

}  // namespace

namespace {

TEST_F(EditorTest, AppendLineLeavesTheCaretAtTheNewLinesStart) {
  TextLine* node = make_editor({"ab\n", "cd\n"});
  run(node, {WINDOW_APPEND_LINE}, 1, 2);
  EXPECT_EQ(lines_of(node), (Lines{"ab\n", "cd\n", "\n"}));
  EXPECT_EQ(caret(node), std::make_pair(2, 0));
  // A last line without its newline gets one first.
  TextLine* open_end = make_editor({"ab"});
  run(open_end, {WINDOW_APPEND_LINE}, 0, 2);
  EXPECT_EQ(lines_of(open_end), (Lines{"ab\n", "\n"}));
  EXPECT_EQ(caret(open_end), std::make_pair(1, 0));
}

}  // namespace

namespace {

// Alt+O with Alt still held waits with the caret at the cursor cell; what comes meanwhile is
// acted on after it, never dropped. Without Alt held nothing waits.
TEST_F(EditorTest, OverwriteToggleWaitsWhileAltIsHeld) {
  for (const bool alt_held : {true, false}) {
    SCOPED_TRACE(alt_held ? "Alt held" : "Alt let go");
    TextLine* node = make_editor({"abc\n"});
    start_typist();
    int caret_x = -1;
    int caret_y = -1;
    int caret_width = -1;
    g_typist.steps.push_back([&] {
      caret_x = g_caret.editor_x;
      caret_y = g_caret.editor_y;
      caret_width = g_caret.editor_width;
      g_events.modifiers = 0;  // Alt let go, then Right pressed
      headless_inject_keystroke(VK_RIGHT, 0);
    });
    g_events.modifiers = alt_held ? MODIFIER_ALT : 0;
    run(node, {KEY_ALT_O, 'y'}, 0, 1);
    g_events.modifiers = 0;
    pump_set_idle_handler(nullptr);
    EXPECT_EQ(lines_of(node), Lines{"ayc\n"});  // overwrite mode typed over the b
    EXPECT_NE(window_of(node)->flags & WINDOW_OVERWRITE, 0u);
    if (alt_held) {
      // On the cursor cell (top row 2, left column 1 + cursor column 1), a whole cell wide.
      EXPECT_EQ(caret_y, 2 * g_display.current.cell_height);
      EXPECT_EQ(caret_x, 2 * g_display.current.cell_width);
      EXPECT_EQ(caret_width, g_display.current.cell_width + 1);
      EXPECT_EQ(poll_input_code(0), KEY_RIGHT);  // the key pressed meanwhile is still there
    } else {
      EXPECT_EQ(g_typist.idle_calls, 0);
      EXPECT_EQ(poll_input_code(0), 0);
    }
    destroy(node);
  }
}

}  // namespace
