// Tidying NC lines: compacting (spaces, repeated motion words, zeros), removing separators and
// spacing words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nc/nc_tidy.h"
#include "store/line_list.h"

namespace {

// Compacts the lines one after another, as one program.
std::vector<std::string> strip(const std::vector<std::string>& in, int more) {
  NcStripState state;
  std::vector<std::string> out;
  for (const std::string& line : in) out.push_back(strip_nc_line(line, more, &state));
  return out;
}

TEST(NcTidy, CompactingLines) {
  struct Case {
    std::vector<std::string> in;
    int more;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {{"G01 X0.5000 Y-0.2500\n", "G01 X1.0\n"}, 0, {"G1X.5000Y-.2500\n", "X1.\n"}},
      {{"X0.000\n"}, 0, {"X0.000\n"}},
      {{"X0.000\n"}, 1, {"X000\n"}},
      {{"X0\n", "Y-0\n", "Z-0.0\n"}, 0, {"X0\n", "Y0\n", "Z0.\n"}},
      {{"F20.0\n"}, 0, {"F20.\n"}},
      {{"G00 X1\n", "G00 Y2\n", "G01 Z-1\n", "G00 Z1\n"}, 0, {"G0X1\n", "Y2\n", "G1Z-1\n", "G0Z1\n"}},
      {{"G17 G90\n"}, 0, {"G17G90\n"}},
      {{"G04 P1\n"}, 0, {"G04P1\n"}},
      // Comments: a parenthesised one loses only its spaces, and a quoted G word in it is no
      // motion word; a '*' or ';' comment is left alone from there on.
      {{"G1 X1 (G1 AGAIN)\n", "G1 X2\n"}, 0, {"G1X1(G1AGAIN)\n", "X2\n"}},
      {{"G1 X1 ; G01 X0.50\n"}, 0, {"G1X1; G01 X0.50\n"}},
      {{"* COMMENT 0.0\n"}, 0, {"* COMMENT 0.0\n"}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> got = strip(c.in, c.more);
    EXPECT_EQ(got, c.expected) << "first line: " << c.in[0] << "more " << c.more;
  }
}

// After a canned cycle and its cancel the control has no motion mode: the motion word that
// follows must stay, or the axis words after it are rejected.
TEST(NcTidy, MotionWordAfterACannedCycleStays) {
  struct Case {
    std::vector<std::string> in;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {{"G01 X1\n", "G81 X2 Y2 Z-0.1 R0.1 F5\n", "G80\n", "G01 X3\n"},
       {"G1X1\n", "G81X2Y2Z-.1R0.1F5\n", "G80\n", "G1X3\n"}},
      {{"G00 X1\n", "G83 X2 Y2 Z-0.1 Q0.02 R0.1 F5\n", "G80\n", "G00 Z1\n"},
       {"G0X1\n", "G83X2Y2Z-.1Q0.02R0.1F5\n", "G80\n", "G0Z1\n"}},
  };
  for (const Case& c : cases) EXPECT_EQ(strip(c.in, 1), c.expected) << c.in[1];
}

TEST(NcTidy, RemovingSpacesKeepsComments) {
  EXPECT_EQ(remove_nc_spaces_line("G01 X1 Y2 (A B)\n", 0), "G01X1Y2(A B)\n");
  EXPECT_EQ(remove_nc_spaces_line("G01 X1 ; A B\n", 0), "G01X1; A B\n");
  EXPECT_EQ(remove_nc_spaces_line("G01\tX1 Y2\n", 1), "G01X1 Y2\n");
}

TEST(NcTidy, SpacingWords) {
  EXPECT_EQ(space_nc_words_line("G01X1Y-2.5F10\n", 0), "G01 X1 Y-2.5 F10\n");
  EXPECT_EQ(space_nc_words_line("G01 X1\tY2\n", 0), "G01 X1 Y2\n");
  EXPECT_EQ(space_nc_words_line("G01X1(CUT A)Y2\n", 0), "G01 X1(CUT A) Y2\n");
  EXPECT_EQ(space_nc_words_line("M03S5000\n", 1), "M03\tS5000\n");
  EXPECT_EQ(space_nc_words_line("G1X1;NOTEX2\n", 0), "G1 X1;NOTEX2\n");
}

TEST(NcTidy, ListFunctionsRewriteChangedLinesOnly) {
  reset_list_store();
  append_line("G01 X1\n");
  append_line("G01 X2\n");
  append_line("%\n");
  EXPECT_EQ(strip_nc_zeros(g_lists.current.first, 1), 2);
  EXPECT_EQ(g_lists.current.first->text, "G1X1\n");
  EXPECT_EQ(g_lists.current.first->next->text, "X2\n");
  EXPECT_EQ(g_lists.current.first->next->text_length, 3);
  free_current_list();
}

}  // namespace
