// Sequence numbers of NC programs and comparing two programs line by line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nc/nc_compare.h"
#include "nc/nc_sequence.h"
#include "store/line_list.h"

namespace {

using Lines = std::vector<std::string>;

// A program as a list of lines of its own, freed with the fixture.
class NcLines : public ::testing::Test {
 protected:
  void TearDown() override {
    for (TextLine* first : made_) free_list(first);
  }
  TextLine* make(const Lines& lines) {
    LineList saved = g_lists.current;
    g_lists.current = LineList{};
    for (const std::string& l : lines) append_line(l.c_str());
    TextLine* first = g_lists.current.first;
    g_lists.current = saved;
    made_.push_back(first);
    return first;
  }
  static Lines texts(const TextLine* first) {
    Lines out;
    for (; first != nullptr; first = first->next) out.push_back(first->text);
    return out;
  }
  static TextLine* nth(TextLine* first, int n) {
    while (n-- > 0 && first != nullptr) first = first->next;
    return first;
  }
  std::vector<TextLine*> made_;
};

SequenceSettings settings_with(uint16_t first, int16_t increment, uint8_t digits = 0,
                               char letter = 'N', uint8_t style = SEQUENCE_STYLE_FANUC,
                               bool remove = false) {
  SequenceSettings s;
  s.first_number = first;
  s.increment = increment;
  s.digits = digits;
  s.letter = letter;
  s.style = style;
  s.remove = remove;
  return s;
}

TEST_F(NcLines, SequenceNumbers) {
  struct Case {
    const char* label;
    Lines in;
    SequenceSettings settings;
    Lines expected;
  };
  const Case cases[] = {
      {"added with the defaults, spaces as the program uses them", {"G1 X1\n", "G0 Z1\n"},
       settings_with(1, 1), {"N1 G1 X1\n", "N2 G0 Z1\n"}},
      {"again from 10: the old numbers are replaced", {"N1 G1 X1\n", "N2 G0 Z1\n"},
       settings_with(10, 10), {"N10 G1 X1\n", "N20 G0 Z1\n"}},
      {"padded, without a letter", {"G1 X1\n", "0002 G0 Z1\n"}, settings_with(1, 1, 4, ' '),
       {"0001 G1 X1\n", "0002 G0 Z1\n"}},
      {"removed", {"N0010 G1 X1\n", "n20 G0 Z1\n", "G2 X3\n"},
       settings_with(1, 1, 0, 'N', SEQUENCE_STYLE_FANUC, true), {"G1 X1\n", "G0 Z1\n", "G2 X3\n"}},
      {"a tab program gets tabs", {"G1\tX1\n", "G0\tZ1\n"}, settings_with(5, 5),
       {"N5\tG1\tX1\n", "N10\tG0\tZ1\n"}},
      {"a program without blanks gets none", {"G1X1\n", "G0Z1\n", "G1Y1\n", "X2\n"},
       settings_with(1, 1), {"N1G1X1\n", "N2G0Z1\n", "N3G1Y1\n", "N4X2\n"}},
      {"marks, labels, END and block delete", {"%\n", "O1000\n", "/ G1 X1\n", "/N7 G0 Z1\n", "END\n"},
       settings_with(1, 1), {"%\n", "O1000\n", "/ N1 G1 X1\n", "/N2 G0 Z1\n", "END\n"}},
      {"a line going on without a line end is numbered once", {"G1 X1 ", "Y2\n", "G0 Z1\n"},
       settings_with(1, 1), {"N1 G1 X1 ", "Y2\n", "N2 G0 Z1\n"}},
      {"a word of the letter is no number without digits", {"NOTE X1\n"}, settings_with(1, 1),
       {"N1 NOTE X1\n"}},
      {"Fanuc keeps FO and TO lines", {"FO1\n", "TO2\n", "G1 X1\n"}, settings_with(1, 1),
       {"FO1\n", "TO2\n", "N1 G1 X1\n"}},
      {"Shadow keeps comment lines", {"* cut\n", "G1 X1\n"},
       settings_with(1, 1, 0, 'N', SEQUENCE_STYLE_SHADOW), {"* cut\n", "N1 G1 X1\n"}},
      // Bandit: the number grows by the increment once per word after it.
      {"Bandit counts words", {"G1 X1 Y2\n", "Z-1 F5 * A B\n", "N&X1\n", "X3\n"},
       settings_with(1, 1, 0, 'N', SEQUENCE_STYLE_BANDIT),
       {"N1 G1 X1 Y2\n", "N4 Z-1 F5 * A B\n", "N6 N&X1\n", "N7 X3\n"}},
      {"numbers past 65535 do not wrap", {"G1 X1\n", "G1 X2\n"}, settings_with(65535, 1),
       {"N65535 G1 X1\n", "N65536 G1 X2\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TextLine* first = make(c.in);
    renumber_nc_lines(first, nullptr, c.settings);
    EXPECT_EQ(texts(first), c.expected);
  }
}

TEST_F(NcLines, OnlyTheRangeIsNumbered) {
  TextLine* first = make({"G0 Z1\n", "G1 X1\n", "G1 X2\n", "G0 Z1\n"});
  EXPECT_EQ(renumber_nc_lines(nth(first, 1), nth(first, 3), settings_with(100, 10)), 2);
  EXPECT_EQ(texts(first), (Lines{"G0 Z1\n", "N100 G1 X1\n", "N110 G1 X2\n", "G0 Z1\n"}));
}

TEST(NcSequence, SeparatorFollowsTheProgram) {
  EXPECT_EQ(sequence_number_text(settings_with(7, 1, 3), 7), "N007");
  EXPECT_EQ(sequence_number_text(settings_with(7, 1, 9, ' '), 7), "00007");  // at most 5 digits
  EXPECT_EQ(sequence_number_text(settings_with(7, 1), -3), "N0");
}

TEST_F(NcLines, ComparingByValue) {
  struct Case {
    const char* label;
    Lines current;
    Lines other;
    int differ_at;  // line of the current program; -1 no difference
  };
  const Case cases[] = {
      {"word order, zeros, numbers and comments aside",
       {"N10 G1 X1.0 Y2 (cut)\n", "G1 X1.0 Y2\n"}, {"G1 Y2.000 X1\n", "Y2.000 X1 * again\n"}, -1},
      {"a motion word the other leaves to the mode",
       {"G1 X1\n", "G1 X2\n"}, {"G1 X1\n", "X2\n"}, -1},
      {"a motion word that is not the mode differs", {"G1 X1\n", "G0 X2\n"}, {"G1 X1\n", "X2\n"}, 1},
      {"a value differs", {"G1 X1\n", "Y2\n"}, {"G1 X1\n", "Y2.001\n"}, 1},
      {"empty lines on either side pass", {"G1 X1\n", "\n", "N5\n", "Y2\n"}, {"G1 X1\n", "Y2\n"}, -1},
      {"a word the other lacks", {"G1 X1 F5\n"}, {"G1 X1\n"}, 0},
      {"a word only the other holds", {"G1 X1\n"}, {"G1 X1 F5\n"}, 0},
      {"the other program goes on", {"G1 X1\n"}, {"G1 X1\n", "G0 Z5\n"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TextLine* current = make(c.current);
    TextLine* other = make(c.other);
    const NcCompareResult r = compare_nc_lines(current, other, NC_COMPARE_BY_VALUE);
    EXPECT_EQ(r.differ, c.differ_at >= 0);
    if (c.differ_at >= 0) {
      EXPECT_EQ(r.current, nth(current, c.differ_at));
    }
  }
}

TEST_F(NcLines, ComparingExactly) {
  TextLine* current = make({"G1 X1  \r\n", "G1 X2\n", "G1 X3\n"});
  TextLine* same = make({"G1 X1\n", "G1 X2\n", "G1 X3\n"});
  TextLine* other = make({"G1 X1\n", "g1 X2\n", "G1 X3\n"});
  EXPECT_FALSE(compare_nc_lines(current, same, NC_COMPARE_EXACT).differ);
  const NcCompareResult r = compare_nc_lines(current, other, NC_COMPARE_EXACT);
  ASSERT_TRUE(r.differ);  // case counts
  EXPECT_EQ(r.current, nth(current, 1));
  EXPECT_EQ(r.other, nth(other, 1));
}

}  // namespace
