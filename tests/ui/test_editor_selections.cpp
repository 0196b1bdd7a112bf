// The word, sentence and paragraph selections (F7, F8, Alt+F9, Alt+F10, F9, F10) through
// run_window: the block each leaves and where the caret ends.
#include "tests/ui/editor_fixture.h"
#include "ui/text_moves.h"

namespace {

using Lines = std::vector<std::string>;

struct Block {
  int first, start_column, last, end_column;
  bool operator==(const Block&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Block& b) {
  return out << "(" << b.first << "," << b.start_column << ")-(" << b.last << "," << b.end_column
             << ")";
}

class SelectionTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    g_word_delimiters = WordDelimiters();
  }
  void TearDown() override {
    g_word_delimiters = WordDelimiters();
    EditorTest::TearDown();
  }

  Block block_of(TextLine* node) {
    const TextWindow* w = window_of(node);
    if (w->block_start == nullptr) return {-1, -1, -1, -1};
    auto index = [&](const TextLine* line) {
      int n = 0;
      for (TextLine* l = w->first_line; l != nullptr && l != line; l = l->next) ++n;
      return n;
    };
    return {index(w->block_start), w->block_start_column, index(w->block_end),
            w->block_end_column};
  }
  // The marked text, joined.
  std::string marked(TextLine* node) {
    const TextWindow* w = window_of(node);
    if (w->block_start == nullptr) return "<none>";
    std::string text;
    for (const LineCopy& piece : copy_text_range(w->block_start, w->block_start_column,
                                                 w->block_end, w->block_end_column))
      text += piece.text;
    return text;
  }
};

TEST_F(SelectionTest, SelectionsMarkTheUnitAtTheCaret) {
  struct Case {
    const char* name;
    Lines lines;
    std::pair<int, int> at;
    std::vector<EventCode> codes;
    std::string marked;
    std::pair<int, int> caret;
  };
  const Case cases[] = {
      {"F8 in a word marks it and its blank", {"one two\n"}, {0, 1}, {KEY_F8}, "one ", {0, 4}},
      {"F8 again marks the next word", {"one two\n"}, {0, 1}, {KEY_F8, KEY_F8}, "two", {0, 7}},
      {"F6 F8 F8 grows one block", {"one two three\n"}, {0, 0}, {KEY_F6, KEY_F8, KEY_F8},
       "one two ", {0, 8}},
      {"F7 in a word marks it and its blank", {"one two three\n"}, {0, 5}, {KEY_F7}, "two ",
       {0, 4}},
      {"F8 passes a decimal point", {"X12.5 Y3\n"}, {0, 1}, {KEY_F8}, "X12.5 ", {0, 6}},
      {"F8 takes the colour run with its closing code", {"a \x0bred\x13 b\n"}, {0, 3}, {KEY_F8},
       "\x0bred\x13 ", {0, 8}},
      {"Alt+F10 marks the sentence", {"One two. Three four. Five\n"}, {0, 10},
       {KEY_ALT_F10}, "Three four. ", {0, 21}},
      {"Alt+F9 marks the sentence", {"One two. Three four. Five\n"}, {0, 10}, {KEY_ALT_F9},
       "Three four. ", {0, 9}},
      {"a quote after the stop ends no sentence", {"He said \"no.\" Then. More\n"}, {0, 1},
       {KEY_ALT_F10}, "He said \"no.\" Then. ", {0, 20}},
      {"a closing quote after the stop ends it", {"Say \x93hi.\x94 Then\n"}, {0, 1},
       {KEY_ALT_F10}, "Say \x93hi.\x94 ", {0, 10}},
      {"F10 marks the paragraph to the next one", {"aa\n", "bb\n", "cc\n"}, {0, 1}, {KEY_F10},
       "aa\n", {1, 0}},
      {"F9 marks the paragraph to its last line's end", {"aa\n", "bb\n", "cc\n"}, {1, 1},
       {KEY_F9}, "bb\n", {1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor(c.lines, EDITOR_FLAGS | WINDOW_WORD_WRAP);
    run(node, c.codes, c.at.first, c.at.second);
    EXPECT_EQ(marked(node), c.marked);
    EXPECT_EQ(caret(node), c.caret);
    EXPECT_EQ(lines_of(node), c.lines);  // a selection changes no byte
  }
}

TEST_F(SelectionTest, ParagraphSelectionsOverContinuationLines) {
  // One paragraph of two soft lines, then another.
  TextLine* node = make_editor({"first part ", "second part\n", "next\n"},
                               EDITOR_FLAGS | WINDOW_WORD_WRAP);
  ASSERT_EQ(line_at(node, 1)->kind & LINE_KIND_PARAGRAPH, 0);
  run(node, {KEY_F10}, 1, 3);
  EXPECT_EQ(block_of(node), (Block{0, 0, 2, 0}));
  // F10 again with the caret on the next paragraph marks that one, up to the list's end.
  run(node, {KEY_F10});
  EXPECT_EQ(block_of(node), (Block{2, 0, 2, 4}));
  // F9 from the middle marks the paragraph up to the real end of its last line.
  run(node, {KEY_F9}, 0, 4);
  EXPECT_EQ(block_of(node), (Block{0, 0, 1, 12}));
  EXPECT_EQ(marked(node), "first part second part\n");
}

TEST_F(SelectionTest, WordAndSentenceSelectionsNeedAnEditorWindow) {
  for (EventCode code : {KEY_F7, KEY_F8, KEY_ALT_F9, KEY_ALT_F10, KEY_CTRL_LEFT, KEY_CTRL_RIGHT}) {
    TextLine* node = make_editor({"one two. three\n"}, WINDOW_WORD_WRAP);
    run(node, {code}, 0, 5);
    EXPECT_EQ(block_of(node), (Block{-1, -1, -1, -1})) << code;
    EXPECT_EQ(caret(node), std::make_pair(0, 5)) << code;
  }
  // Paragraphs are marked in any window.
  TextLine* list = make_editor({"aa\n", "bb\n"}, WINDOW_WORD_WRAP);
  line_at(list, 1)->kind |= LINE_KIND_PARAGRAPH;
  run(list, {KEY_F10}, 0, 0);
  EXPECT_EQ(block_of(list), (Block{0, 0, 1, 0}));
}

TEST_F(SelectionTest, WordSelectionWhileMarkingAnEmptyBlockStopsAfterOneStep) {
  // Marking on with an empty block away from the caret: one step, the block left as it is.
  TextLine* node = make_editor({"aa bb\n", "cc dd\n"}, EDITOR_FLAGS | WINDOW_WORD_WRAP);
  set_block(node, 1, 3, 1, 3);
  g_run.marking = 1;
  run(node, {KEY_F8}, 0, 0);
  EXPECT_EQ(caret(node), std::make_pair(0, 3));
}

TEST_F(SelectionTest, LoadedDelimitersChangeTheWords) {
  TextLine* node = make_editor({"G1-X2 Y3\n"}, EDITOR_FLAGS | WINDOW_WORD_WRAP);
  run(node, {KEY_F8}, 0, 0);
  EXPECT_EQ(marked(node), "G1-X2 ");
  set_word_delimiters(" -\n", "");
  run(node, {KEY_F8}, 0, 0);
  EXPECT_EQ(marked(node), "G1");
  // An empty set keeps the factory one.
  set_word_delimiters("", "");
  EXPECT_EQ(g_word_delimiters.selection, FACTORY_SELECTION_DELIMITERS);
  EXPECT_EQ(g_word_delimiters.word_keys, FACTORY_WORD_KEY_DELIMITERS);
}

}  // namespace
