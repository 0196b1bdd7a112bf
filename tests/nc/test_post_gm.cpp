// The G & M post processor walked over path code built by hand: word formats, modal words,
// feeds, arcs, drilling cycles, code-section placeholders and a walk that meets a byte it does
// not handle.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "nc/code_section_expand.h"
#include "tests/nc/post_fixture.h"

namespace {

class PostGmTest : public PostFixture {
 protected:
  int count(const std::string& text) const {
    int n = 0;
    for (const std::string& l : nc_program_lines()) n += l.find(text) != std::string::npos ? 1 : 0;
    return n;
  }
};

TEST_F(PostGmTest, AbsoluteFeedMoveWritesOnlyTheWordThatChanges) {
  op_byte('S', 0, {10, 10, 5000});
  start_at(0, 0);
  op('1', {1, 0, -0.1f});
  op('1', {2, 0, -0.1f});
  ASSERT_EQ(run(), POST_DONE);
  const std::vector<std::string> l = nc_program_lines();
  ASSERT_GE(l.size(), 2u);
  EXPECT_EQ(l[l.size() - 2], "G01X1 F10");  // the feed after the plunge's own
  EXPECT_EQ(l.back(), "G01X2");
}

TEST_F(PostGmTest, LineNumbersSkipLinesThatStartWithPercentOrO) {
  def_.line_numbers = 1;
  path_put_text_op('#', "%\n");
  path_put_text_op('#', "O1234\n");
  path_put_text_op('#', "G90\n");
  start_at(0, 0);
  ASSERT_EQ(run(), POST_DONE);
  const std::vector<std::string> l = nc_program_lines();
  ASSERT_GE(l.size(), 4u);
  EXPECT_EQ(l[0], "%");
  EXPECT_EQ(l[1], "O1234");
  EXPECT_EQ(l[2], "N1 G90");
  EXPECT_EQ(l[3].rfind("N2 ", 0), 0u) << l[3];
}

TEST_F(PostGmTest, RapidToTheCurrentPointWritesNothing) {
  start_at(2, 3);
  op('z', {0.1f});
  op('0', {2, 3, 0.1f});
  ASSERT_EQ(run(), POST_DONE);
  EXPECT_EQ(last_line(), "G00Z0.1");
}

TEST_F(PostGmTest, ModeOneWritesIncrementalZInFeedMovesAndAbsoluteZInPlunges) {
  def_.coordinate_mode = PP_COORDS_INCREMENTAL_XY;
  op_byte('S', 0, {10, 10, 5000});
  start_at(0, 0, -0.1f);
  op('1', {0, 0, -0.3f});
  ASSERT_EQ(run(), POST_DONE);
  const std::vector<std::string> l = nc_program_lines();
  ASSERT_GE(l.size(), 2u);
  EXPECT_EQ(l[l.size() - 2], "G01Z-0.1 F10");
  EXPECT_EQ(l.back(), "G01Z-0.2 F10");
}

// Feed words by the definition's feed decimals; with 0 decimals whole tenths without a point.
TEST_F(PostGmTest, FeedWordsFollowTheFeedDecimals) {
  struct Case {
    uint8_t decimals;
    float feed;
    const char* expected;
  };
  const Case cases[] = {{0, 12.56f, "F125"}, {1, 12.56f, " F12.6"}, {2, 12.56f, " F12.56"},
                        {1, 20.0f, " F20"}, {0, 7.0f, "F70"}};
  for (const Case& c : cases) {
    def_.feed_decimals = c.decimals;
    build_coord_formats(def_);
    std::string line;
    append_feed_word(&line, c.feed);
    EXPECT_EQ(line, c.expected) << "decimals " << int(c.decimals) << " feed " << c.feed;
  }
}

TEST_F(PostGmTest, FeedAfterAPlungeWithAnotherFeedIsWrittenOnce) {
  op_byte('S', 0, {10, 5, 5000});
  start_at(0, 0);
  op('1', {1, 0, -0.1f});
  op('1', {2, 0, -0.1f});
  ASSERT_EQ(run(), POST_DONE);
  const std::vector<std::string> l = nc_program_lines();
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[2], "G01Z-0.1 F5");
  EXPECT_EQ(l[3], "G01X1 F10");
  EXPECT_EQ(l[4], "G01X2");
}

// Arcs with a chord below the shortest arc chord are lines unless their sweep is wide.
TEST_F(PostGmTest, ShortArcsAreArcsOnlyWithAWideSweep) {
  struct Case {
    float chord;
    double sweep;
    const char* expected_start;
  };
  const Case cases[] = {{0.0005f, 6.28, "G01X0.0005"}, {0.0005f, 1.0, "G03X0.0005"},
                        {0.5f, 1.0, "G03X0.5"}};
  for (const Case& c : cases) {
    restart();
    start_at(0, 0);
    const double h = (c.chord / 2.0) / std::tan(c.sweep / 2.0);
    op('3', {c.chord, 0, c.chord / 2.0f, static_cast<float>(h)});
    ASSERT_EQ(run(), POST_DONE);
    EXPECT_EQ(last_line().rfind(c.expected_start, 0), 0u)
        << "chord " << c.chord << " sweep " << c.sweep << ": " << last_line();
  }
}

TEST_F(PostGmTest, ArcCentreIsMovedSoBothRadiiAgree) {
  start_at(1, 0);
  // A quarter circle about the origin whose stored centre is a little off.
  op('3', {0, 1, -1.0003f, 0.0002f});
  ASSERT_EQ(run(), POST_DONE);
  const std::string line = last_line();
  ASSERT_EQ(line.rfind("G03", 0), 0u) << line;
  const double i = std::stod(line.substr(line.find('I') + 1));
  const double j = std::stod(line.substr(line.find('J') + 1));
  const double cx = 1 + i, cy = j;
  EXPECT_NEAR(std::hypot(1 - cx, cy), std::hypot(cx, 1 - cy), 0.0002) << line;
}

TEST_F(PostGmTest, TwoDrillPointsGiveTwoCyclesAndOneCancel) {
  start_at(0, 0);
  op('z', {0.1f});
  op_byte('u', '1', {1, 1, -0.2f, 0.1f, 0, 5, 0});
  op_byte('u', '1', {2, 1, -0.2f, 0.1f, 0, 5, 0});
  op('z', {0.5f});
  ASSERT_EQ(run(), POST_DONE);
  EXPECT_EQ(count("G81"), 2);
  EXPECT_EQ(count("G80"), 1);
  const std::vector<std::string> l = nc_program_lines();
  ASSERT_GE(l.size(), 4u);
  EXPECT_EQ(l[l.size() - 4], "G81X1Y1Z-0.2R0.1 F5");
  EXPECT_EQ(l[l.size() - 2], "G80");
}

TEST_F(PostGmTest, PeckDrillWritesItsPeckStepAsQ) {
  op_byte('u', '3', {1, 2, -0.5f, 0.1f, 0.05f, 4, 0});
  ASSERT_EQ(run(), POST_DONE);
  EXPECT_EQ(nc_program_lines().front(), "G83X1Y2Z-0.5Q0.05R0.1 F4");
  EXPECT_EQ(last_line(), "G80");
}

TEST_F(PostGmTest, ByteThatIsNoOpcodeStopsTheWalkAndKeepsTheLinesBefore) {
  start_at(0, 0);
  op('1', {1, 0, -0.1f});
  op('Q');
  op('1', {2, 0, -0.1f});
  EXPECT_EQ(run(), POST_FAILED);
  EXPECT_FALSE(g_post_run.failure.empty());
  EXPECT_EQ(last_line(), "G01X1 F0");
}

TEST_F(PostGmTest, OneDigitWordsAndCommentStyle) {
  def_.one_digit_g = 1;
  def_.comment_style = PP_COMMENTS_PARENTHESES;
  path_put_text_op('*', "plate (a)");
  start_at(0, 0);
  op('2', {2, 0, 1, 0});
  ASSERT_EQ(run(), POST_DONE);
  const std::vector<std::string> l = nc_program_lines();
  EXPECT_EQ(l.front(), "(PLATE [A])");
  EXPECT_EQ(l[1], "G0X0Y0");
  EXPECT_EQ(l.back(), "G2X2Y0I1J0 F0");
}

TEST_F(PostGmTest, IncrementalModeStartsFromTheUpperLeftOfTheExtents) {
  def_.coordinate_mode = PP_COORDS_INCREMENTAL_XYZ;
  g_nc_extents.min = PointF{-1, -1};
  g_nc_extents.max = PointF{3, 2};
  start_at(0, 0);
  op('1', {1, 1, -0.1f});
  ASSERT_EQ(run(), POST_DONE);
  const std::vector<std::string> l = nc_program_lines();
  ASSERT_GE(l.size(), 3u);
  EXPECT_EQ(l[0], "G00X1Y-2");
  EXPECT_EQ(l[1], "G01Z-0.2 F0");  // no descent written: Z counts from the rapid height
  EXPECT_EQ(l[2], "G01X1Y1 F0");
}

TEST_F(PostGmTest, ProofRunWritesRecordsInsteadOfLines) {
  g_proof.run_level = 1;
  path_put_text_op('t', "3");
  start_at(0, 0);
  op('1', {1, 0, -0.1f});
  op_byte('u', '1', {2, 2, -0.2f, 0.1f, 0, 5, 0});
  EXPECT_EQ(run(), POST_PROOF_DONE);
  EXPECT_TRUE(nc_program_lines().empty());
  std::vector<ProofRecord> records;
  ASSERT_TRUE(read_proof_file(proof_file_path(), &records));
  ASSERT_GE(records.size(), 7u);
  EXPECT_EQ(records[0].kind, 'T');
  EXPECT_EQ(proof_field_i32(records[0], 0), 3);
  EXPECT_EQ(records[1].kind, 'A');  // the first move after a tool change only positions
  bool cut = false;
  int drill_records = 0;
  for (const ProofRecord& r : records) {
    if (r.kind == '1' && proof_field_f32(r, 0) == 1.0f) cut = true;
    if ((r.kind == 'Z' || r.kind == 'z') && proof_field_f32(r, 0) == 2.0f) ++drill_records;
  }
  EXPECT_TRUE(cut);
  EXPECT_EQ(drill_records, 2);
  proof_delete_file();
}

// ---- Code-section placeholders ------------------------------------------------------------------

class CodeSectionTest : public PostGmTest {
 protected:
  // Expands one section line and returns the texts of the '#' lines it wrote.
  std::vector<std::string> expand(const char* text) {
    const char* const lines_in[] = {text};
    LineList section = make_code_section(lines_in, 1);
    const int32_t from = g_path_code.op_count;
    expand_code_section(section.first);
    free_list(section.first);
    std::vector<std::string> out;
    PathReader reader;
    reader.op_at = from;
    reader.value_at = 0;
    PathOp read;
    while (path_read_op(&reader, &read) == PATH_READ_OP) {
      if (read.code != '#') continue;
      std::string t = read.text;
      if (!t.empty() && t.back() == '\n') t.pop_back();
      out.push_back(t);
    }
    return out;
  }
};

TEST_F(CodeSectionTest, ToolNumberFormats) {
  struct Case {
    const char* line;
    int16_t tool;
    const char* expected;
  };
  const Case cases[] = {{"M06 T0#", 7, "M06 T07"}, {"M06 T0#", 12, "M06 T12"},
                        {"T0##", 7, "T0707"},      {"T0##", 12, "T1212"},
                        {"T#", 7, "T7"},           {"T##", 7, "T07"},
                        {"H#", 3, "H3"},           {"#1 T#", 4, "#1 T4"}};
  for (const Case& c : cases) {
    g_encoder_inputs.current_tool_block.tool_number = c.tool;
    const std::vector<std::string> out = expand(c.line);
    ASSERT_EQ(out.size(), 1u) << c.line;
    EXPECT_EQ(out[0], c.expected) << c.line << " tool " << c.tool;
  }
}

TEST_F(CodeSectionTest, SpindleSpeedIsWrittenOnlyWhenItChanged) {
  g_pen_move.rpm = 5000;
  g_pen_move.feed = 12;
  def_.feed_decimals = 1;
  EXPECT_EQ(expand("M03 S# F#"), std::vector<std::string>{"M03 S5000 F12.0"});
  // Unchanged speeds: the words go, and a line left blank is left out.
  EXPECT_EQ(expand("M03 S# F#"), std::vector<std::string>{"M03  "});
  EXPECT_TRUE(expand("S#").empty());
  // A program start clears what was written: the speed comes again.
  g_path_encoder.last_rpm = 0;
  EXPECT_EQ(expand("S#"), std::vector<std::string>{"S5000"});
}

TEST_F(CodeSectionTest, RapidHeightAndPositionLine) {
  g_pen_move.rapid_z = 0.25f;
  g_pen_move.x = 1;
  g_pen_move.y = 2;
  EXPECT_EQ(expand("G00 Z#"), std::vector<std::string>{"G00 Z0.25"});
  const int32_t before = g_path_code.op_count;
  EXPECT_TRUE(expand("A# G00").empty());
  EXPECT_EQ(g_path_code.ops[before], static_cast<uint8_t>('a'));
}

}  // namespace
