// The glyph decoder and the pen-move transform: the moves of compiled glyphs.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/float2d.h"
#include "tests/text/font_fixture.h"

using namespace text_test;

namespace {

struct Move {
  char code;
  float dx, dy;
};

class GlyphDecoderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_glyph_decoder();
    reset_float2d_state();
    g_float2d.rotation_cos = 1.0;
    g_float2d.rotation_sin = 0.0;
    g_pen_move = PenMove{};
  }

  // Compiles one glyph 'A' and loads its stream.
  void load(const std::vector<std::string>& elements) {
    std::vector<std::string> lines = {"T", "1", "*A"};
    lines.insert(lines.end(), elements.begin(), elements.end());
    const std::vector<uint8_t> bytes = compile(source_of(lines));
    ASSERT_EQ(read_stroke_font(bytes.data(), bytes.size(), 1000, &table_, &stream_), FONT_FILE_OK);
  }

  // Every move of the character, the closing move last as 'c'.
  std::vector<Move> moves() {
    std::vector<Move> out;
    const uint8_t* r = stream_.data() + table_.offset['A' - 32];
    g_glyph_decoder.transform.first_move = true;
    for (int k = 0; k < 10000; ++k) {
      r = next_text_move(r);
      g_glyph_decoder.transform.first_move = false;
      if (r == nullptr) {
        out.push_back({'c', g_pen_move.dx, g_pen_move.dy});
        return out;
      }
      out.push_back({g_pen_move.code, g_pen_move.dx, g_pen_move.dy});
    }
    ADD_FAILURE() << "the glyph never ends";
    return out;
  }

  static std::string codes(const std::vector<Move>& moves) {
    std::string s;
    for (const Move& m : moves) s += m.code;
    return s;
  }

  StrokeFontTable table_;
  std::vector<uint8_t> stream_;
};

}  // namespace

TEST_F(GlyphDecoderTest, PenCodesFollowTheStrokes) {
  struct Case {
    std::vector<std::string> elements;
    std::string codes;
  };
  const Case cases[] = {
      {{"G1 X1"}, "0Z1c"},
      {{"G1 X1", "G0 X1", "G1 Y1"}, "0Z1z0Z1c"},
      {{"G0 X1", "G1 Y1", "G0 X2"}, "0Z1c"},  // the last G0 is the closing move
      {{"S X1 Y1", "X1 Y0"}, "0Z"},           // then the spline's lines
  };
  for (const Case& c : cases) {
    load(c.elements);
    EXPECT_EQ(codes(moves()).substr(0, c.codes.size()), c.codes) << c.elements[0];
  }
  load({"G0 X1", "G1 Y1", "G0 X2 Y-1"});
  const std::vector<Move> m = moves();
  EXPECT_FLOAT_EQ(m.back().dx, 2.0f);
  EXPECT_FLOAT_EQ(m.back().dy, -1.0f);
}

TEST_F(GlyphDecoderTest, SplineRunsAreSmoothedOrDrawnThroughTheirPoints) {
  load({"S X1 Y1", "X1 Y-1", "X1 Y1"});
  g_glyph_decoder.inputs.drawing_page = true;
  std::vector<Move> quick = moves();
  ASSERT_EQ(codes(quick), "0Z111c");
  EXPECT_FLOAT_EQ(quick[2].dx, 1.0f);
  EXPECT_FLOAT_EQ(quick[3].dy, -1.0f);
  g_glyph_decoder.inputs.drawing_page = false;
  const std::vector<Move> smooth = moves();
  EXPECT_GT(smooth.size(), 6u);
  double x = 0, y = 0;
  for (size_t k = 2; k + 1 < smooth.size(); ++k) {
    EXPECT_EQ(smooth[k].code, '1');
    x += smooth[k].dx;
    y += smooth[k].dy;
  }
  EXPECT_NEAR(x, 3.0, 1e-5);
  EXPECT_NEAR(y, 1.0, 1e-5);
  // A run of one point is a line, the first time and every later time.
  load({"S X1 Y2"});
  for (int k = 0; k < 2; ++k) {
    const std::vector<Move> line = moves();
    ASSERT_EQ(codes(line), "0Z1c");
    EXPECT_FLOAT_EQ(line[2].dy, 2.0f);
  }
}

TEST_F(GlyphDecoderTest, ArcsStayArcsUnlessStretchedOrSlanted) {
  load({"G2 X1 Y0 I.5 J0"});
  g_float2d.rotation_cos = 0.0;  // a quarter turn, scale 2
  g_float2d.rotation_sin = 2.0;
  std::vector<Move> m = moves();
  ASSERT_EQ(codes(m), "0Z2c");
  EXPECT_NEAR(m[2].dx, 0.0f, 1e-6);
  EXPECT_NEAR(m[2].dy, 2.0f, 1e-6);
  g_float2d.rotation_cos = 1.0;
  g_float2d.rotation_sin = 0.0;
  g_glyph_decoder.transform.width_factor = 1.2f;
  g_glyph_decoder.inputs.tolerance = 0.001;
  m = moves();
  double x = 0, y = 0;
  int chords = 0;
  for (const Move& move : m)
    if (move.code == '1') {
      x += move.dx;
      y += move.dy;
      ++chords;
    }
  EXPECT_GT(chords, 4);
  EXPECT_NEAR(x, 1.2, 1e-5);
  EXPECT_NEAR(y, 0.0, 1e-5);
}

TEST_F(GlyphDecoderTest, MirroringTurnsArcsAndAWholeCircleKeepsItsCode) {
  load({"G2 X0 Y0 I.5 J0"});
  std::vector<Move> m = moves();
  EXPECT_EQ(codes(m), "0Z2c");
  EXPECT_EQ(g_pen_move.full_circle, 0);  // the closing move is no arc
  const uint8_t* r = stream_.data() + table_.offset['A' - 32];
  g_glyph_decoder.transform.mirrored = true;
  g_glyph_decoder.transform.first_move = true;
  r = next_text_move(r);
  g_glyph_decoder.transform.first_move = false;
  r = next_text_move(r);  // 'Z'
  r = next_text_move(r);
  EXPECT_EQ(g_pen_move.code, '3');
  EXPECT_EQ(g_pen_move.full_circle, '3');
  g_glyph_decoder.transform.mirrored = false;
  g_glyph_decoder.transform.arc_turn = true;
  m = moves();
  EXPECT_EQ(m[2].code, '2');
}

TEST_F(GlyphDecoderTest, ASmallRaisedCharacterReturnsToTheLine) {
  load({"G1 X1"});
  GlyphTransform& t = g_glyph_decoder.transform;
  t.size = 0.5f;
  t.raise = 0.3f;
  std::vector<Move> m = moves();
  // The first move lifts the pen 0.3 (times the height); the closing move brings it back.
  EXPECT_NEAR(m[0].dy, 0.3f, 1e-6);
  EXPECT_NEAR(m[2].dx, 0.5f, 1e-6);
  EXPECT_NEAR(m.back().dy, -0.3f, 1e-6);
}
