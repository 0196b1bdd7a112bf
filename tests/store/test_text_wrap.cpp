#include "store/text_wrap.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "store/line_list.h"

namespace {

class TextWrapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    reset_text_wrap();
  }
  void TearDown() override {
    free_current_list();
    reset_list_store();
  }
};

std::vector<const TextLine*> current_lines() {
  std::vector<const TextLine*> lines;
  for (const TextLine* l = g_lists.current.first; l != nullptr; l = l->next) lines.push_back(l);
  return lines;
}

std::string joined_texts() {
  std::string all;
  for (const TextLine* l : current_lines()) all += l->text;
  return all;
}

// Visible columns of a wrapped line, leaving out the blank and line feed it may end with.
int shown_width(const std::string& text) {
  std::string t = text;
  while (!t.empty() && (t.back() == ' ' || t.back() == '\n')) t.pop_back();
  return display_length(t.c_str());
}

const char LONG_TEXT[] =
    "The tool path is made of rings around every island, linked into one path so that the "
    "cutter leaves the material as little as possible, and each ring is cut at every depth.";

TEST_F(TextWrapTest, DisplayLengthCountsWhatIsDrawn) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {"\vTEXT\x13 text", 9},   // colour codes take no column
      {"ab\ncd", 2},            // up to the line feed
      {"\x01Xab", 2},           // a pair code and its byte draw nothing
      {"\x08<x", 2},            // a glyph escape draws one glyph
      {"a\x01", 1},             // a pair code at the very end
      {"a\x08", 2},             // a glyph escape at the very end
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(display_length(c.text), c.expected) << c.text;
}

TEST_F(TextWrapTest, SplitStopsAtTheWidthTakingOneBlankAndTheCodesThere) {
  struct Case {
    const char* text;
    int width;
    int position;
    int columns;
  } cases[] = {
      {"hello world", 5, 6, 5},    // the single blank goes with the line
      {"hello  world", 5, 5, 5},   // two blanks stay
      {"abc\ndef", 10, 3, 3},      // a line feed stops the line
      {"\tx", 8, 1, 8},            // a tab runs to the next tab stop
      {"ab\vcd", 2, 3, 2},         // a colour code at the stop is passed over
      {"ab\x01Xcd", 2, 4, 2},      // so is a pair code with its byte
      {"ab\x08<cd", 2, 2, 2},      // a glyph escape draws, so it starts the next line
      {"\x01Xabc", 2, 4, 2},       // a pair takes no column
      {"abc", 10, 3, 3},
  };
  for (const Case& c : cases) {
    int columns = -1;
    EXPECT_EQ(split_line_at_width(c.text, c.width, &columns), c.position) << c.text;
    EXPECT_EQ(columns, c.columns) << c.text;
  }
}

TEST_F(TextWrapTest, BreakBackFindsTheWordBoundary) {
  struct Case {
    const char* text;
    int position;
    int expected;
  } cases[] = {
      {"hello world", 8, 6},    // after the blank
      {"hello  world", 9, 6},   // at a blank that follows a blank
      {"abc\tdef", 6, 3},       // at a tab
      {"abc\ndef", 6, 3},       // at a line feed
      {"abcdef", 4, 0},         // none: the start
  };
  for (const Case& c : cases) EXPECT_EQ(break_back_to_word(c.text, c.position, 0), c.expected) << c.text;
}

TEST_F(TextWrapTest, LeadingLabelWidth) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {"Note: text", 6},
      {"1) first", 3},
      {"  Step 2: go", 8},
      {"Note:\vbold\x13", 6},          // a colour code may follow the label
      {"Note:text", 0},                // no blank after the colon
      {"Note : text", 0},              // a blank before the colon
      {"x = 3: y", 0},                 // '=' cannot stand in a label
      {"ThisLabelIsMuchTooLongForIt: x", 0},
      {"no label here", 0},
      {"", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(leading_label_width(c.text), c.expected) << c.text;
}

TEST_F(TextWrapTest, ControlCharactersBecomeGlyphEscapes) {
  EXPECT_EQ(escape_control_chars("a\x01\n"), std::string("a\x08\x22\x08\x2b"));
  EXPECT_EQ(escape_control_chars("plain"), "plain");
}

TEST_F(TextWrapTest, IndentEscapeWrapsAtTheWidthWithoutIndent) {
  std::string text = std::string("\x1d!!") + LONG_TEXT;
  int result = wrap_text_into_lines(text.c_str(), 40);
  std::vector<const TextLine*> lines = current_lines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(result, static_cast<int>(lines.size()) + 1);
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(shown_width(lines[i]->text), 40) << lines[i]->text;
    EXPECT_EQ(lines[i]->attributes[WRAP_ATTR_INDENT], 0);
    EXPECT_EQ(lines[i]->attributes[WRAP_ATTR_HANGING_INDENT], 0);
    EXPECT_EQ(lines[i]->kind, i == 0 ? (LINE_KIND_PARAGRAPH | LINE_KIND_CENTRED) : LINE_KIND_CENTRED);
    EXPECT_EQ(line_key(lines[i]), static_cast<int32_t>(i + 1));
  }
  EXPECT_EQ(joined_texts(), LONG_TEXT);
}

TEST_F(TextWrapTest, NarrowWidthMeansTheDefault) {
  wrap_text_into_lines(LONG_TEXT, 5);
  std::vector<const TextLine*> lines = current_lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_GT(shown_width(lines[0]->text), 40);
  for (const TextLine* l : lines) EXPECT_LE(shown_width(l->text), WRAP_DEFAULT_WIDTH);
}

TEST_F(TextWrapTest, LineFeedsStartParagraphsAndKeysRunOn) {
  append_line("before\n");
  set_line_key(g_lists.current.last, 7);
  EXPECT_EQ(wrap_text_into_lines("one\ntwo", 40), 3);
  std::vector<const TextLine*> lines = current_lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1]->text, "one\n");
  EXPECT_EQ(lines[2]->text, "two");
  EXPECT_EQ(lines[1]->kind, LINE_KIND_PARAGRAPH);
  EXPECT_EQ(lines[2]->kind, LINE_KIND_PARAGRAPH);
  EXPECT_EQ(line_key(lines[1]), 8);
  EXPECT_EQ(line_key(lines[2]), 9);
}

TEST_F(TextWrapTest, TextAfterAnOpenLineContinuesItsParagraph) {
  wrap_text_into_lines("\x1d#!start", 40);  // indent 2, no line feed at its end
  wrap_text_into_lines("more", 40);
  std::vector<const TextLine*> lines = current_lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1]->kind, LINE_KIND_CENTRED);
  EXPECT_EQ(lines[1]->attributes[WRAP_ATTR_INDENT], 2);
}

TEST_F(TextWrapTest, LabelEscapeIndentsLaterLinesPastTheLabel) {
  std::string text = std::string("\x1c\"!Note: ") + LONG_TEXT;
  wrap_text_into_lines(text.c_str(), 40);
  std::vector<const TextLine*> lines = current_lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0]->kind, LINE_KIND_PARAGRAPH | LINE_KIND_INDENTED);
  EXPECT_EQ(lines[0]->attributes[WRAP_ATTR_INDENT], 1);
  EXPECT_EQ(lines[0]->attributes[WRAP_ATTR_HANGING_INDENT], 0);
  EXPECT_LE(shown_width(lines[0]->text), 39);
  for (size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i]->kind, LINE_KIND_INDENTED);
    EXPECT_EQ(lines[i]->attributes[WRAP_ATTR_HANGING_INDENT], 6);
    EXPECT_LE(shown_width(lines[i]->text), 40 - 1 - 6) << lines[i]->text;
  }
}

TEST_F(TextWrapTest, ValueEscapeIsKeptForTheParagraph) {
  wrap_text_into_lines("\x1b" "0041Hello\n\x1b" "0005#$text", 40);
  std::vector<const TextLine*> lines = current_lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]->text, "Hello\n");
  EXPECT_EQ(lines[0]->kind, LINE_KIND_PARAGRAPH);
  EXPECT_EQ(lines[0]->attributes[WRAP_ATTR_VALUE], 0x41);
  EXPECT_EQ(lines[1]->text, "text");
  EXPECT_EQ(lines[1]->kind, LINE_KIND_PARAGRAPH | LINE_KIND_INDENTED);
  EXPECT_EQ(lines[1]->attributes[WRAP_ATTR_VALUE], 5);
  EXPECT_EQ(lines[1]->attributes[WRAP_ATTR_INDENT], 2);
  EXPECT_EQ(lines[1]->attributes[WRAP_ATTR_HANGING_INDENT], 3);
}

TEST_F(TextWrapTest, IndentsThatLeaveNoRoomAreDropped) {
  std::string text = std::string("\x1dZZ") + LONG_TEXT;  // 57 and 57 cells
  wrap_text_into_lines(text.c_str(), 60);
  const TextLine* first = g_lists.current.first;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->attributes[WRAP_ATTR_INDENT], 0);
  EXPECT_EQ(first->attributes[WRAP_ATTR_HANGING_INDENT], 0);
  EXPECT_GT(shown_width(first->text), 40);
}

// Random texts full of colour pairs and glyph escapes: wrapping keeps every byte, in order, and
// never leaves a code at a line's end apart from the byte it works on.
TEST_F(TextWrapTest, WrappingKeepsEveryByteAndNeverPartsACode) {
  std::mt19937 random(99);
  const std::vector<std::string> words = {"cut", "\vdepth\x13", "\x08<\x08=", "a", "\x0e" "feed\x13",
                                          "\x01Xpair", "tool-path", "\x08?", "\n"};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    for (int i = 0; i < 40; ++i) text += words[random() % words.size()] + " ";
    free_current_list();
    int width = 10 + static_cast<int>(random() % 40);
    wrap_text_into_lines(text.c_str(), width);
    SCOPED_TRACE("round " + std::to_string(round) + ", width " + std::to_string(width));
    ASSERT_EQ(joined_texts(), text);
    for (const TextLine* l : current_lines()) {
      ASSERT_FALSE(l->text.empty());
      unsigned char last = static_cast<unsigned char>(l->text.back());
      EXPECT_FALSE(last >= 1 && last <= 8) << "a code left without its byte";
      EXPECT_LE(shown_width(l->text), width) << l->text;
    }
  }
}

}  // namespace
