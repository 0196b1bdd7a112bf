// Undo and redo of the editor, and re-wrapping; with the judge: seeded random edit scripts whose
// every step must undo back to the original bytes and redo to the edited ones.
#include <random>

#include "tests/support/idle_typist.h"
#include "tests/ui/editor_fixture.h"
#include "ui/line_fold.h"

namespace {

using Lines = std::vector<std::string>;

// ---- Undo and redo -----------------------------------------------------------------------------

TEST_F(EditorTest, TypedTextUndoesAndRedoesWithTheCaret) {
  TextLine* node = make_editor({"\n"});
  run(node, typed("abc"), 0, 0);
  EXPECT_EQ(lines_of(node), (Lines{"abc\n"}));
  const std::pair<int, int> carets[] = {{0, 2}, {0, 1}, {0, 0}};
  const char* texts[] = {"ab\n", "a\n", "\n"};
  for (int i = 0; i < 3; ++i) {
    run(node, {UNDO_STEP});
    EXPECT_EQ(lines_of(node), (Lines{texts[i]}));
    EXPECT_EQ(caret(node), carets[i]);
  }
  run(node, {UNDO_STEP});  // nothing more to undo
  EXPECT_EQ(lines_of(node), (Lines{"\n"}));
  run(node, {REDO_STEP, REDO_STEP, REDO_STEP});
  EXPECT_EQ(lines_of(node), (Lines{"abc\n"}));
  EXPECT_EQ(caret(node), std::make_pair(0, 3));
  // A new edit after an undo ends the redo history.
  run(node, {UNDO_STEP, 'x', REDO_STEP});
  EXPECT_EQ(lines_of(node), (Lines{"abx\n"}));
}

// The undo list names the next step to redo above the next to undo; Down undoes, Up redoes, and
// the list comes back after each step until Esc. The cells under it are the editor's again.
TEST_F(EditorTest, UndoListWalksTheHistoryStepByStep) {
  TextLine* node = make_editor({"\n"});
  run(node, {'a', 'b', ' ', KEY_ENTER}, 0, 0);
  ASSERT_EQ(lines_of(node), (Lines{"ab \n", "\n"}));
  const TextWindow* w = window_of(node);
  const int list_row = w->top_row + w->rows / 2;
  const int list_column = w->left_column + w->columns / 2 - 10;
  const std::string editor_cells = row_text(list_row, list_column, 14);

  std::vector<std::pair<std::string, std::string>> shown;  // (top row, bottom row) each time
  std::vector<Lines> texts;
  start_typist();
  for (const int key : {VK_DOWN, VK_DOWN, VK_UP, VK_ESCAPE}) {
    g_typist.steps.push_back([&, key] {
      shown.emplace_back(row_text(list_row, list_column, 14), row_text(list_row + 1, list_column, 14));
      texts.push_back(lines_of(node));
      headless_inject_keystroke(key, 0);
    });
  }
  run(node, {505});
  pump_set_idle_handler(nullptr);

  ASSERT_EQ(shown.size(), 4u);
  const std::pair<std::string, std::string> want[] = {
      {"(redo end)", "Add a CR"},
      {"Add a CR", "Type a space"},
      {"Type a space", "Type b"},
      {"Add a CR", "Type a space"},
  };
  const Lines want_texts[] = {{"ab \n", "\n"}, {"ab \n"}, {"ab\n"}, {"ab \n"}};
  for (size_t i = 0; i < shown.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(shown[i].first.substr(0, want[i].first.size()), want[i].first);
    EXPECT_EQ(shown[i].second.substr(0, want[i].second.size()), want[i].second);
    EXPECT_EQ(texts[i], want_texts[i]);
  }
  EXPECT_EQ(lines_of(node), (Lines{"ab \n"}));
  EXPECT_EQ(row_text(list_row, list_column, 14), editor_cells);  // the list is gone
  // The walk recorded nothing of its own: a plain undo takes the space back.
  run(node, {UNDO_STEP});
  EXPECT_EQ(lines_of(node), (Lines{"ab\n"}));
}

TEST_F(EditorTest, UndoListNamesEachKindOfStep) {
  struct Case {
    Lines lines;
    int column;
    EventCode code;
    const char* shown;
  };
  const Case cases[] = {
      {{"abc\n"}, 3, 'x', "Type \vx\n"},
      {{"abc\n"}, 3, ' ', "Type a space\n"},
      {{"abc\n"}, 3, KEY_BACKSPACE, "Backspace over \vc\n"},
      {{"a c\n"}, 2, KEY_BACKSPACE, "Backspace over \vspace\n"},
      {{"ab\n", "cd\n"}, -1, KEY_BACKSPACE, "Backspace over \vCR\n"},
      {{"a c\n"}, 1, KEY_DEL, "Delete a space\n"},
      {{"abc\n"}, 0, KEY_DEL, "Delete \va\n"},
      {{"abc\n"}, 1, KEY_ENTER, "Add a CR\n"},
      {{"abc\n"}, 1, KEY_RIGHT, ""},  // no change: no step
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    TextLine* node = make_editor(c.lines);
    if (c.column < 0)
      run(node, {c.code}, 1, 0);
    else
      run(node, {c.code}, 0, c.column);
    EXPECT_EQ(undo_step_text(false), c.shown);
    EXPECT_EQ(undo_step_text(true), "");
    destroy(node);
  }
  // A block cut and its paste.
  TextLine* node = make_editor({"one two\n"});
  set_block(node, 0, 0, 0, 3);
  run(node, {WINDOW_CUT}, 0, 0);
  EXPECT_EQ(undo_step_text(false), "Delete/copy block\n");
  run(node, {KEY_INS});
  EXPECT_EQ(undo_step_text(false), "Insert block\n");
  run(node, {UNDO_STEP});
  EXPECT_EQ(undo_step_text(true), "Insert block\n");
  EXPECT_EQ(undo_step_text(false), "Delete/copy block\n");
}

TEST_F(EditorTest, UndoListOfAWindowWithoutHistoryShowsNothing) {
  TextLine* node = make_editor({"abc\n"}, 0);
  start_typist();
  typist_key(VK_ESCAPE);
  run(node, {505, 'x'}, 0, 3);
  pump_set_idle_handler(nullptr);
  EXPECT_EQ(g_typist.idle_calls, 0);  // no list waited for a key
  EXPECT_EQ(lines_of(node), (Lines{"abcx\n"}));
}

TEST_F(EditorTest, SeventyStepsLeaveSixtyThree) {
  TextLine* node = make_editor({"\n"});
  run(node, std::vector<EventCode>(70, 'a'), 0, 0);
  run(node, std::vector<EventCode>(70, UNDO_STEP));
  EXPECT_EQ(lines_of(node), (Lines{std::string(7, 'a') + "\n"}));
  EXPECT_EQ(undo_steps_available(), 0);
}

TEST_F(EditorTest, WindowsWithoutTheEditorFlagRecordNothing) {
  TextLine* node = make_editor({"\n"}, 0);
  run(node, std::vector<EventCode>{'a', UNDO_STEP}, 0, 0);
  EXPECT_EQ(lines_of(node), (Lines{"a\n"}));
}

TEST_F(EditorTest, BlockDeleteCopyAndAppendCopyUndo) {
  // Delete: the text comes back at its place, marked.
  TextLine* node = make_editor({"one two\n", "three\n"});
  set_block(node, 0, 4, 1, 2);
  run(node, {KEY_CTRL_BACKSPACE}, 0, 4);
  EXPECT_EQ(lines_of(node), (Lines{"one ree\n"}));
  run(node, {UNDO_STEP});
  EXPECT_EQ(lines_of(node), (Lines{"one two\n", "three\n"}));
  EXPECT_EQ(window_of(node)->block_start, line_at(node, 0));
  EXPECT_EQ(window_of(node)->block_end_column, 2);
  run(node, {REDO_STEP});
  EXPECT_EQ(lines_of(node), (Lines{"one ree\n"}));

  // Copy: undo gives the clipboard back what it held; the text is untouched.
  set_text_clipboard({LineCopy{"earlier"}}, false);
  TextLine* copy = make_editor({"abc\n"});
  set_block(copy, 0, 0, 0, 2);
  run(copy, {WINDOW_COPY, UNDO_STEP}, 0, 0);
  EXPECT_EQ(clipboard(), (Lines{"earlier"}));
  EXPECT_EQ(lines_of(copy), (Lines{"abc\n"}));
  run(copy, {REDO_STEP});
  EXPECT_EQ(clipboard(), (Lines{"ab"}));

  // Append copy: undo changes neither the text nor the clipboard.
  TextLine* append = make_editor({"xyz\n"});
  set_block(append, 0, 0, 0, 1);
  run(append, {WINDOW_APPEND_COPY, UNDO_STEP}, 0, 0);
  EXPECT_EQ(clipboard(), (Lines{"ab", "x"}));
  EXPECT_EQ(lines_of(append), (Lines{"xyz\n"}));
}

TEST_F(EditorTest, FortyThousandByteBlockComesBackWhole) {
  std::vector<std::string> lines;
  for (int i = 0; i < 4; ++i) lines.push_back(std::string(10000, static_cast<char>('a' + i)) + "\n");
  lines.push_back("end\n");
  TextLine* node = make_editor(lines);
  set_block(node, 0, 0, 4, 0);
  run(node, {WINDOW_CUT}, 0, 0);
  EXPECT_EQ(lines_of(node), (Lines{"end\n"}));
  EXPECT_EQ(clipboard().size(), 4u);
  run(node, {UNDO_STEP});
  EXPECT_EQ(lines_of(node), lines);
  run(node, {KEY_CTRL_PGDN, KEY_INS});  // the cut text pasted again is whole too
  EXPECT_EQ(joined(node), std::string(lines[0] + lines[1] + lines[2] + lines[3] + lines[0] +
                                      lines[1] + lines[2] + lines[3] + "end\n"));
}

// ---- Re-wrapping -------------------------------------------------------------------------------

TEST_F(EditorTest, ReformatWrapsJoinsAndKeepsTheCaret) {
  struct Case {
    const char* name;
    Lines lines;
    int width;
    std::pair<int, int> caret_before;
    Lines expected;
    std::pair<int, int> caret_after;
  };
  const Case cases[] = {
      {"aaa bbb ccc at 8", {"aaa bbb ccc\n"}, 8, {0, 9}, {"aaa bbb ", "ccc\n"}, {1, 1}},
      {"short lines join", {"aa ", "bb\n"}, 20, {1, 1}, {"aa bb\n"}, {0, 4}},
      {"width 3 changes nothing", {"aaa bbb ccc\n"}, 3, {0, 9}, {"aaa bbb ccc\n"}, {0, 9}},
      {"paragraphs stay apart", {"aa\n", "bb\n"}, 20, {1, 0}, {"aa\n", "bb\n"}, {1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(c.lines, EDITOR_FLAGS | WINDOW_WORD_WRAP, "X.TXT", c.width);
    run(node, {WINDOW_REFORMAT}, c.caret_before.first, c.caret_before.second);
    EXPECT_EQ(lines_of(node), c.expected);
    EXPECT_EQ(caret(node), c.caret_after);
    destroy(node);
  }
}

TEST_F(EditorTest, TypingRewrapsTheParagraph) {
  TextLine* node = make_editor({"aaa bbb\n"}, EDITOR_FLAGS | WINDOW_WORD_WRAP, "X.TXT", 8);
  run(node, typed(" cc"), 0, 7);
  EXPECT_EQ(lines_of(node), (Lines{"aaa bbb ", "cc\n"}));
  EXPECT_EQ(caret(node), std::make_pair(1, 2));
  run(node, {KEY_BACKSPACE, KEY_BACKSPACE, KEY_BACKSPACE});
  EXPECT_EQ(lines_of(node), (Lines{"aaa bbb\n"}));
}

// ---- The judge ---------------------------------------------------------------------------------

// The caret as an offset into the joined text (inside its line's text).
int32_t caret_offset(TextLine* node) {
  const TextWindow* w = window_of(node);
  int32_t offset = 0;
  for (TextLine* l = w->first_line; l != nullptr && l != w->current_line; l = l->next)
    offset += static_cast<int32_t>(l->text.size());
  return offset + std::min<int32_t>(w->text_column, static_cast<int32_t>(w->current_line->text.size()));
}

// A random edit script: typing, Enter, Backspace, Del, moves, marking, cut, copy, paste, column
// paste, selections, line moves, indents, block sorts and re-wraps.
std::vector<EventCode> random_script(std::mt19937& random, int length) {
  const EventCode moves[] = {KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_DOWN, KEY_HOME, KEY_END,
                             KEY_CTRL_PGUP, KEY_CTRL_PGDN, KEY_PGDN, KEY_PGUP};
  const EventCode edits[] = {KEY_ENTER, KEY_BACKSPACE, KEY_DEL, KEY_INS, WINDOW_CUT, WINDOW_COPY,
                             WINDOW_APPEND_COPY, KEY_CTRL_BACKSPACE, WINDOW_REFORMAT,
                             WINDOW_SELECT_ALL, WINDOW_RELEASE, KEY_F6, KEY_ALT_W,
                             WINDOW_PASTE_SYSTEM, WINDOW_COPY_SYSTEM, SCRIPT_UNKEEP_BLOCK,
                             WINDOW_COLUMN_PASTE, KEY_F7, KEY_F8, KEY_F9, KEY_F10, KEY_ALT_F9,
                             KEY_ALT_F10, WINDOW_MOVE_LINE_UP, WINDOW_MOVE_LINE_DOWN,
                             WINDOW_INDENT, WINDOW_OUTDENT, WINDOW_SORT_BLOCK};
  std::vector<EventCode> codes;
  for (int i = 0; i < length; ++i) {
    const int kind = static_cast<int>(random() % 10);
    if (kind < 4) codes.push_back(static_cast<EventCode>("abc d\t"[random() % 6]));
    else if (kind < 7) codes.push_back(moves[random() % std::size(moves)]);
    else codes.push_back(edits[random() % std::size(edits)]);
  }
  return codes;
}

TEST_F(EditorTest, JudgeEveryStepUndoesToTheOriginalAndRedoesToTheEdit) {
  const Lines original = {"first line of text\n", "  second one\n", "\n", "third, which is longer ",
                          "and goes on\n", "last"};
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    TextLine* node = make_editor(original, EDITOR_FLAGS | (seed % 2 ? WINDOW_WORD_WRAP : 0),
                                 "X.NC", seed % 2 ? 16 : 250, 6);
    const std::vector<EventCode> script = random_script(random, 60);
    // Step by step, keeping every text the history must come back through.
    // texts[n] is the text after n undo steps were recorded.
    std::vector<std::string> texts = {joined(node)};
    for (EventCode code : script) {
      const std::string before = joined(node);
      const int32_t caret_before = caret_offset(node);
      run(node, {code});
      if (code == WINDOW_REFORMAT) {
        ASSERT_EQ(joined(node), before) << "a re-wrap keeps the text";
        ASSERT_EQ(caret_offset(node), caret_before) << "and the caret on its character";
      }
      for (EventCode selection : {KEY_F7, KEY_F8, KEY_F9, KEY_F10, KEY_ALT_F9, KEY_ALT_F10}) {
        if (code == selection) {
          ASSERT_EQ(joined(node), before) << "a selection changes no byte";
        }
      }
      if (static_cast<size_t>(undo_steps_available()) == texts.size()) texts.push_back(joined(node));
      ASSERT_EQ(static_cast<size_t>(undo_steps_available()) + 1, texts.size()) << "after code " << code;
      // Every line of a word-wrapped window fits the width, and no line is empty but the last.
      for (const std::string& l : lines_of(node)) ASSERT_LE(l.size(), static_cast<size_t>(LINE_TEXT_MAX));
    }
    const std::string edited = joined(node);
    for (size_t i = texts.size() - 1; i > 0; --i) {
      run(node, {UNDO_STEP});
      ASSERT_EQ(joined(node), texts[i - 1]) << "undo back to text " << i - 1;
    }
    EXPECT_EQ(lines_of(node), original);
    for (size_t i = 1; i < texts.size(); ++i) run(node, {REDO_STEP});
    EXPECT_EQ(joined(node), edited);
    destroy(node);
  }
}

// The judge on a long text that folds: runs far from the caret wait behind placeholders while
// the script edits, walks and jumps; undo still lands on the lines it recorded.
TEST_F(EditorTest, JudgeOnAFoldedText) {
  Lines original;
  for (int k = 0; k < 3000; ++k)
    original.push_back("N" + std::to_string(k * 10) + " G1 X" + std::to_string(k) + " Y1.5\n");
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    TextLine* node = make_editor(original, EDITOR_FLAGS, "X.NC", 250, 6);
    TextWindow* w = window_of(node);
    // Folded around a caret somewhere in the text.
    push_list();
    g_lists.current = LineList{w->first_line, w->last_line};
    g_lists.cursor_line = nth_line(static_cast<int32_t>(random() % 3000));
    w->current_line = g_lists.cursor_line;
    connect_fold_window(w);
    g_fold.screen_rows = 25;
    ASSERT_GT(page_out_all_lines(g_lists.cursor_line), 0);
    w->first_line = g_lists.current.first;
    w->last_line = g_lists.current.last;
    pop_list();
    std::vector<EventCode> script = random_script(random, 80);
    for (size_t k = 0; k < script.size(); k += 9)
      script.insert(script.begin() + static_cast<std::ptrdiff_t>(k),
                    random() % 2 ? KEY_CTRL_PGDN : KEY_CTRL_PGUP);
    std::vector<std::string> texts = {joined(node)};
    for (EventCode code : script) {
      run(node, {code});
      if (static_cast<size_t>(undo_steps_available()) == texts.size()) texts.push_back(joined(node));
      ASSERT_EQ(static_cast<size_t>(undo_steps_available()) + 1, texts.size()) << "after code " << code;
    }
    const std::string edited = joined(node);
    for (size_t i = texts.size() - 1; i > 0; --i) {
      run(node, {UNDO_STEP});
      ASSERT_EQ(joined(node), texts[i - 1]) << "undo back to text " << i - 1;
    }
    EXPECT_EQ(lines_of(node), original);
    for (size_t i = 1; i < texts.size(); ++i) run(node, {REDO_STEP});
    EXPECT_EQ(joined(node), edited);
    destroy(node);
  }
}

}  // namespace
