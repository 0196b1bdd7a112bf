// Paragraph operations through run_window: indent and outdent keys, the layout reset and the
// indent levels, re-wrapping indented paragraphs and their labels, and the block helpers.
#include "tests/ui/editor_fixture.h"
#include "ui/editor_paragraphs.h"

namespace {

using Lines = std::vector<std::string>;

constexpr int INDENT_BYTE = 4;
constexpr int LEVEL_BYTE = 5;

const Lines TWO_PARAGRAPHS = {"alpha beta gamma\n", "delta\n"};

TEST_F(EditorTest, IndentKeysShiftTheFirstLineOfEachParagraph) {
  struct Case {
    const char* name;
    Lines lines;
    std::vector<EventCode> codes;
    Lines expected;
  };
  const Case cases[] = {
      {"indent", TWO_PARAGRAPHS, {WINDOW_INDENT}, {" alpha beta gamma\n", " delta\n"}},
      {"indent twice", TWO_PARAGRAPHS, {KEY_INDENT, KEY_INDENT},
       {"  alpha beta gamma\n", "  delta\n"}},
      {"outdent takes one blank or tab", {"  a\n", "\tb\n"}, {WINDOW_OUTDENT}, {" a\n", "b\n"}},
      {"outdent without a blank", TWO_PARAGRAPHS, {KEY_OUTDENT}, TWO_PARAGRAPHS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(c.lines, EDITOR_FLAGS | WINDOW_WORD_WRAP, "X.TXT", 40);
    set_block(node, 0, 2, static_cast<int>(c.lines.size()) - 1, 1);
    run(node, c.codes, 0, 2);
    EXPECT_EQ(lines_of(node), c.expected);
    EXPECT_EQ(window_of(node)->flags & WINDOW_CHANGED,
              c.expected == c.lines ? 0u : WINDOW_CHANGED);
    // Undone, every byte is back.
    run(node, std::vector<EventCode>(c.codes.size(), UNDO_STEP));
    EXPECT_EQ(lines_of(node), c.lines);
  }
}

TEST_F(EditorTest, IndentWithoutABlockTakesTheCaretsParagraph) {
  // The caret on the soft second line of the first paragraph: only that paragraph moves in, and
  // the re-wrap keeps every byte.
  TextLine* node = make_editor({"alpha beta ", "gamma\n", "delta\n"},
                               EDITOR_FLAGS | WINDOW_WORD_WRAP, "X.TXT", 12);
  ASSERT_EQ(line_at(node, 1)->kind & LINE_KIND_PARAGRAPH, 0);
  run(node, {WINDOW_INDENT}, 1, 2);
  EXPECT_EQ(joined(node), " alpha beta gamma\ndelta\n");
  EXPECT_EQ(line_at(node, 0)->text.substr(0, 6), " alpha");
}

TEST_F(EditorTest, ResetAndLevelsChangeTheParagraphLayout) {
  TextLine* node = make_editor(TWO_PARAGRAPHS, EDITOR_FLAGS | WINDOW_WORD_WRAP |
                                                   WINDOW_SHOW_CONTROL_CODES, "X.TXT", 40);
  line_at(node, 0)->kind |= LINE_KIND_CENTRED;
  line_at(node, 0)->attributes[2] = 3;
  set_block(node, 0, 0, 1, 1);
  // The first paragraph decides: centred ones become plain with no margins, then all centred.
  run(node, {KEY_RESET_INDENT}, 0, 0);
  EXPECT_EQ(line_at(node, 0)->kind & LINE_KIND_CENTRED, 0);
  EXPECT_EQ(line_at(node, 1)->kind & LINE_KIND_CENTRED, 0);
  EXPECT_EQ(line_at(node, 0)->attributes[2], 0);
  run(node, {KEY_RESET_INDENT}, 0, 0);
  EXPECT_NE(line_at(node, 0)->kind & LINE_KIND_CENTRED, 0);
  EXPECT_NE(line_at(node, 1)->kind & LINE_KIND_CENTRED, 0);
  // Alt+',' raises the level until the margins reach the wrap width less 20, Alt+'.' lowers it.
  run(node, std::vector<EventCode>(30, EVENT_ALT_COMMA), 0, 0);
  EXPECT_EQ(line_at(node, 0)->attributes[LEVEL_BYTE], 20);
  EXPECT_NE(line_at(node, 0)->kind & LINE_KIND_INDENTED, 0);
  run(node, std::vector<EventCode>(25, EVENT_ALT_PERIOD), 0, 0);
  EXPECT_EQ(line_at(node, 0)->attributes[LEVEL_BYTE], 0);
  EXPECT_EQ(line_at(node, 0)->kind & LINE_KIND_INDENTED, 0);
  // The levels are undone like any edit.
  run(node, {EVENT_ALT_COMMA, UNDO_STEP}, 0, 0);
  EXPECT_EQ(line_at(node, 0)->attributes[LEVEL_BYTE], 0);
  EXPECT_EQ(joined(node), "alpha beta gamma\ndelta\n");
}

TEST_F(EditorTest, LevelsNeedRichText) {
  TextLine* node = make_editor(TWO_PARAGRAPHS, EDITOR_FLAGS | WINDOW_WORD_WRAP, "X.TXT", 40);
  run(node, {EVENT_ALT_COMMA}, 0, 0);
  EXPECT_EQ(line_at(node, 0)->attributes[LEVEL_BYTE], 0);
}

TEST_F(EditorTest, IndentedParagraphsWrapTheirContinuationLinesFurtherIn) {
  struct Case {
    const char* name;
    std::string text;
    uint8_t indent;
    Lines expected;
    int continuation_indent;
  };
  const Case cases[] = {
      // First line: 20 - 2 columns; continuation: 20 - (2 + 6) columns.
      {"a Note: label", "Note: aaa bbb ccc ddd eee fff\n", 2,
       {"Note: aaa bbb ccc ", "ddd eee fff\n"}, 8},
      {"a numbered label", "1) aaa bbb ccc ddd eee fff\n", 0,
       {"1) aaa bbb ccc ddd ", "eee fff\n"}, 3},
      {"no label", "aaa bbb ccc ddd eee fff ggg hhh iii\n", 4,
       {"aaa bbb ccc ddd ", "eee fff ggg hhh ", "iii\n"}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor({c.text}, EDITOR_FLAGS | WINDOW_WORD_WRAP, "X.TXT", 20);
    TextLine* first = line_at(node, 0);
    first->kind |= LINE_KIND_INDENTED;
    first->attributes[INDENT_BYTE] = c.indent;
    run(node, {WINDOW_REFORMAT}, 0, 0);
    EXPECT_EQ(lines_of(node), c.expected);
    for (size_t i = 1; i < c.expected.size(); ++i) {
      EXPECT_EQ(line_at(node, static_cast<int>(i))->attributes[INDENT_BYTE], c.continuation_indent);
      EXPECT_NE(line_at(node, static_cast<int>(i))->kind & LINE_KIND_INDENTED, 0);
    }
    EXPECT_EQ(joined(node), c.text);
  }
  // A plain paragraph uses the whole width and its lines carry no indent.
  TextLine* plain = make_editor({"Note: aaa bbb ccc ddd eee fff\n"}, EDITOR_FLAGS | WINDOW_WORD_WRAP,
                                "X.TXT", 20);
  run(plain, {WINDOW_REFORMAT}, 0, 0);
  EXPECT_EQ(lines_of(plain), (Lines{"Note: aaa bbb ccc ", "ddd eee fff\n"}));
  EXPECT_EQ(line_at(plain, 1)->attributes[INDENT_BYTE], 0);
}

// ---- Block helpers ----------------------------------------------------------------------------

TEST_F(EditorTest, BlockHelpersWidenAndRemove) {
  TextLine* node = make_editor({"one two ", "three\n", "four \x0b" "five\x13 six\n"});
  activate_window(node);
  // Widened: from the paragraph's first line to its last line's real end.
  set_block(node, 1, 2, 1, 3);
  activate_window(node);
  widen_block_to_paragraphs();
  store_window_state();
  EXPECT_EQ(window_of(node)->block_start, line_at(node, 0));
  EXPECT_EQ(window_of(node)->block_start_column, 0);
  EXPECT_EQ(window_of(node)->block_end, line_at(node, 1));
  EXPECT_EQ(window_of(node)->block_end_column, 6);
  // The colour codes go out of the block; the end column follows.
  set_block(node, 2, 2, 2, 12);
  activate_window(node);
  remove_chars_from_block("\x0b\x0c\x0e\x13");
  store_window_state();
  EXPECT_EQ(line_at(node, 2)->text, "four five six\n");
  EXPECT_EQ(window_of(node)->block_end_column, 10);
}

TEST_F(EditorTest, DeleteColourCodeAtOrBeforeTheCaret) {
  struct Case {
    const char* name;
    std::string text;
    int column;
    int result;
    std::string expected;
    int caret;
  };
  const Case cases[] = {
      {"at the caret", "a\x0b" "b\n", 1, 1, "ab\n", 1},
      {"just before", "a\x13" "b\n", 2, 1, "ab\n", 1},
      {"none", "abc\n", 1, 0, "abc\n", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor({c.text});
    window_of(node)->text_column = static_cast<int16_t>(c.column);
    activate_window(node);
    EXPECT_EQ(delete_colour_code_at_cursor(), c.result);
    EXPECT_EQ(line_at(node, 0)->text, c.expected);
    EXPECT_EQ(window_of(node)->text_column, c.caret);
  }
}

}  // namespace

namespace {

// ---- Codes around the block -------------------------------------------------------------------

TEST_F(EditorTest, SqueezeBlanks) {
  std::string text = "   word   word";
  EXPECT_EQ(squeeze_blanks(text), 9);
  EXPECT_EQ(text, "word word");
  std::string blanks = "    ";
  EXPECT_EQ(squeeze_blanks(blanks), 0);
  std::string tabs = "a\t\tb ";
  squeeze_blanks(tabs);
  EXPECT_EQ(tabs, "a\t\tb ");
}

TEST_F(EditorTest, ReformatParagraphJoinsThePlainLinesAfterTheCaret) {
  TextLine* node = make_editor({"one  two\n", "three\tfour\n", "five\n", "\n", "after\n"},
                               EDITOR_FLAGS | WINDOW_WORD_WRAP, "X.TXT", 14);
  activate_window(node);
  EXPECT_EQ(reformat_paragraph(), WINDOW_NOTHING);
  store_window_state();
  EXPECT_EQ(lines_of(node), (Lines{"one two three ", "four five\n", "\n", "after\n"}));
}

TEST_F(EditorTest, SurroundBlockWithQuotesBracketsAndColours) {
  struct Case {
    const char* name;
    Lines lines;
    int first, start, last, end;
    uint8_t code;
    int result;
    Lines expected;
  };
  const Case cases[] = {
      {"quotes put on", {"say hi now\n"}, 0, 4, 0, 7, QUOTE_OPEN, -1,
       {"say \x93hi\x94 now\n"}},
      {"quotes taken off", {"say \x93hi\x94 now\n"}, 0, 5, 0, 7, QUOTE_OPEN, -1,
       {"say hi now\n"}},
      {"brackets", {"a b c\n"}, 0, 2, 0, 3, '(', -1, {"a (b) c\n"}},
      {"brackets taken off", {"a (b) c\n"}, 0, 3, 0, 4, ')', -1, {"a b c\n"}},
      {"brackets over two lines do nothing", {"ab\n", "cd\n"}, 0, 1, 1, 1, '(', 0,
       {"ab\n", "cd\n"}},
      {"a colour over two lines", {"ab\x0c" "c\n", "de\n"}, 0, 1, 1, 1, 0x0B, -1,
       {"a\x0b" "bc\n", "d\x13" "e\n"}},
      {"colour codes taken away", {"a\x0b" "bc\x13 d\n"}, 0, 1, 0, 5, 0, -1, {"abc d\n"}},
      {"only blanks", {"a   b\n"}, 0, 1, 0, 4, 0x0B, 0, {"a   b\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(c.lines, EDITOR_FLAGS | WINDOW_WORD_WRAP, "X.TXT", 40);
    set_block(node, c.first, c.start, c.last, c.end);
    activate_window(node);
    EXPECT_EQ(surround_block(c.code), c.result);
    store_window_state();
    EXPECT_EQ(lines_of(node), c.expected);
    if (c.result != 0) {
      EXPECT_EQ(window_of(node)->block_start, nullptr);
    }
  }
}

TEST_F(EditorTest, QuoteKeyWithoutABlockChoosesTheQuote) {
  struct Case {
    std::string text;
    int column;
    int quote;
  };
  const Case cases[] = {
      {"abc\n", 0, QUOTE_OPEN}, {"abc\n", 2, QUOTE_CLOSE}, {"a bc\n", 2, QUOTE_OPEN},
      {"(x\n", 1, QUOTE_OPEN}, {"\x08" "Ab\n", 2, QUOTE_OPEN},
  };
  for (const Case& c : cases) {
    TextLine* node = make_editor({c.text}, EDITOR_FLAGS | WINDOW_SHOW_CONTROL_CODES);
    window_of(node)->text_column = static_cast<int16_t>(c.column);
    activate_window(node);
    EXPECT_EQ(quote_key(), c.quote) << c.text << " at " << c.column;
  }
}

TEST_F(EditorTest, ColourKeysSurroundOrDeleteACode) {
  TextLine* node = make_editor({"a\x0b" "b\n"});
  window_of(node)->text_column = 1;
  activate_window(node);
  // No block: the code at the caret goes and the code comes back to be typed.
  EXPECT_EQ(colour_code_key(0x0C), 0x0C);
  store_window_state();
  EXPECT_EQ(lines_of(node), (Lines{"ab\n"}));
  activate_window(node);
  EXPECT_EQ(normal_colour_key(), 0x13);
  set_block(node, 0, 0, 0, 2);
  activate_window(node);
  EXPECT_EQ(colour_code_key(0x0E), WINDOW_NOTHING);
  store_window_state();
  EXPECT_EQ(lines_of(node), (Lines{"\x0e" "ab\x13\n"}));
}

}  // namespace
