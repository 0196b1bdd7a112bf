// Stroke fonts: the sources made from the Hershey fonts, the compiler, the reader of compiled
// fonts and the registry.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/text/font_fixture.h"

using namespace text_test;

namespace {

constexpr char HERSHEY_ROWMANS[] = "/usr/share/hershey-fonts/rowmans.jhf";

// The lines between a glyph's header and the next header in a source.
std::vector<std::string> source_glyph_lines(const std::string& source, int code) {
  std::istringstream in(source);
  std::string line;
  std::vector<std::string> lines;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '*') {
      if (inside) break;
      inside = line == "*" + std::to_string(code);
      continue;
    }
    if (inside) lines.push_back(line);
  }
  return lines;
}

// The Hershey record of a glyph (0 = the space), the line ends taken out.
std::string hershey_record(int index) {
  std::string text = read_file(HERSHEY_ROWMANS), joined;
  for (char c : text)
    if (c != '\n' && c != '\r') joined += c;
  size_t at = 0;
  for (int k = 0;; ++k) {
    const int count = std::stoi(joined.substr(at + 5, 3));
    const size_t length = 8 + 2 * static_cast<size_t>(count);
    if (k == index) return joined.substr(at, length);
    at += length;
  }
}

// The lines of a glyph by the rule: x from the left extent, y up from row 9, 21 Hershey units
// to the unit, six decimals, each value the difference of the rounded absolute positions.
std::vector<std::string> lines_by_rule(const std::string& record) {
  const int left = record[8] - 'R', right = record[9] - 'R';
  auto micro = [](int h) { return static_cast<long>(std::lround(h * 1e6 / 21.0)); };
  auto text = [](long v) {
    char s[32];
    std::snprintf(s, sizeof s, "%s%ld.%06ld", v < 0 ? "-" : "", std::labs(v) / 1000000,
                  std::labs(v) % 1000000);
    return std::string(s);
  };
  std::vector<std::string> lines;
  long px = 0, py = 0;
  bool pen_up = true;
  for (size_t k = 10; k + 1 < record.size(); k += 2) {
    if (record[k] == ' ' && record[k + 1] == 'R') {
      pen_up = true;
      continue;
    }
    const long x = micro(record[k] - 'R' - left), y = micro(9 - (record[k + 1] - 'R'));
    lines.push_back(std::string(pen_up ? "G0" : "G1") + " X" + text(x - px) + " Y" + text(y - py));
    px = x;
    py = y;
    pen_up = false;
  }
  lines.push_back("G0 X" + text(micro(right - left) - px) + " Y" + text(-py));
  return lines;
}

}  // namespace

TEST(StrokeFontSources, FontZeroHoldsTheHersheyGlyphsByTheRule) {
  const std::string source = read_file(fs::path(BRENVIK_PROGRAM_DIR) / "0.Q2F");
  ASSERT_FALSE(source.empty());
  EXPECT_EQ(source.substr(0, 15), "Roman Simplex\r\n");
  // '!' (two strokes), 'A' (three strokes), 'o' (one closed stroke).
  for (int code : {33, 65, 111}) {
    EXPECT_EQ(source_glyph_lines(source, code), lines_by_rule(hershey_record(code - 32)))
        << "glyph " << code;
  }
}

TEST(StrokeFontSources, EveryShippedFontCompilesAndItsGlyphsAddUpToTheirAdvance) {
  int fonts = 0;
  for (const auto& entry : fs::directory_iterator(BRENVIK_PROGRAM_DIR)) {
    if (entry.path().extension() != ".Q2F") continue;
    ++fonts;
    const int number = font_number_of(entry.path().stem().string());
    const std::vector<uint8_t> bytes =
        compile(read_file(entry.path()), number);
    StrokeFontTable table;
    std::vector<uint8_t> stream;
    ASSERT_EQ(read_stroke_font(bytes.data(), bytes.size(), number, &table, &stream),
              FONT_FILE_OK)
        << entry.path();
    int glyphs = 0;
    for (int code = FONT_FIRST_GLYPH_CODE; code <= FONT_LAST_CODE; ++code) {
      if (table.offset[code - FONT_FIRST_CODE] == 0) continue;
      ++glyphs;
      double x = 0, y = 0;
      for (const Element& e : glyph_elements(bytes, code, number)) {
        const bool has_x = (e.flags & GLYPH_HAS_X) != 0, has_y = (e.flags & GLYPH_HAS_Y) != 0;
        if (has_x) x += e.values[0];
        if (has_y) y += e.values[has_x ? 1 : 0];
      }
      EXPECT_NEAR(x, table.advance[code - FONT_FIRST_CODE], 2e-5) << entry.path() << " " << code;
      EXPECT_NEAR(y, 0.0, 2e-5) << entry.path() << " " << code;
    }
    EXPECT_GT(glyphs, 20) << entry.path();
  }
  EXPECT_EQ(fonts, 32);
}

// ---- the compiler ----

TEST(StrokeFontCompiler, HeaderAndElementLinesCompileAsTheFormatSays) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    int code;
    std::string glyph_name;
    std::vector<uint8_t> flags;
    std::vector<float> values;
    float advance;
  };
  const Case cases[] = {
      {"star A on line 2", {"T", "*A", "G1 X1"}, 'A', "A", {0x12}, {1}, 1},
      {"star 7 is the digit", {"T", "1", "*7", "G1 X1"}, '7', "7", {0x12}, {1}, 1},
      {"star 55 is the digit too", {"T", "1", "*55", "G1 X1"}, '7', "7", {0x12}, {1}, 1},
      {"a named glyph", {"T", "1", "*B  Bold B", "G1 X1"}, 'B', "Bold B", {0x12}, {1}, 1},
      {"lower case, no Y", {"T", "1", "*A", "g1 x.5 y0"}, 'A', "A", {0x12}, {0.5f}, 0.5f},
      {"an arc keeps J 0", {"T", "1", "*A", "G2 X1 Y0 I.5 J0"}, 'A', "A", {0x14}, {1, 0.5f, 0}, 1},
      {"advance sums X", {"T", "1", "*A", "G0 X1", "G1 X2 Y1", "G1 X-1"}, 'A', "A",
       {0x11, 0x32, 0x12}, {1, 2, 1, -1}, 2},
      {"a spline run", {"T", "1", "*A", "S X1 Y1", "X1 Y-1"}, 'A', "A", {0x82}, {1, 1, 1, -1}, 2},
      {"continuation repeats the motion", {"T", "1", "*A", "G1 X1", "Y1"}, 'A', "A",
       {0x12, 0x22}, {1, 1}, 1},
      {"comments are skipped", {"T", "1", "*A", "; X1", "G4 X1", "G1 X1"}, 'A', "A", {0x12}, {1}, 1},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> bytes = compile(source_of(c.lines));
    std::string name;
    const std::vector<Element> elements = glyph_elements(bytes, c.code, 1000, &name);
    EXPECT_EQ(name, c.glyph_name) << c.name;
    std::vector<uint8_t> flags;
    std::vector<float> values;
    for (const Element& e : elements) {
      flags.push_back(e.flags);
      values.insert(values.end(), e.values.begin(), e.values.end());
    }
    EXPECT_EQ(flags, c.flags) << c.name;
    EXPECT_EQ(values, c.values) << c.name;
    StrokeFontTable table;
    read_stroke_font(bytes.data(), bytes.size(), 1000, &table, nullptr);
    EXPECT_FLOAT_EQ(table.advance[c.code - 32], c.advance) << c.name;
  }
}

TEST(StrokeFontCompiler, GlyphListEndsAndRepeatsAsTheFormatSays) {
  // Star 0 7 is code 7: the glyph list ends there.
  std::vector<uint8_t> bytes = compile(source_of({"T", "1", "*A", "G1 X1", "*07", "G1 X1", "*B", "G1 X1"}));
  StrokeFontTable table;
  ASSERT_EQ(read_stroke_font(bytes.data(), bytes.size(), 1000, &table, nullptr), FONT_FILE_OK);
  EXPECT_NE(table.offset['A' - 32], 0);
  EXPECT_EQ(table.offset['B' - 32], 0);
  // A second definition: the first is kept and the stream holds only its bytes.
  bytes = compile(source_of({"T", "1", "*A", "G1 X1", "*A", "G1 X2 Y2"}));
  read_stroke_font(bytes.data(), bytes.size(), 1000, &table, nullptr);
  EXPECT_EQ(glyph_elements(bytes, 'A')[0].values, std::vector<float>{1});
  EXPECT_EQ(table.stream_length, 1 + 2 + 5 + 2);
  // A glyph of comments only has no glyph.
  bytes = compile(source_of({"T", "1", "*A", "just words", "*B", "G1 X1"}));
  read_stroke_font(bytes.data(), bytes.size(), 1000, &table, nullptr);
  EXPECT_EQ(table.offset['A' - 32], 0);
  EXPECT_NE(table.offset['B' - 32], 0);
}

TEST(StrokeFontCompiler, KerningRowsFillTheirNibbles) {
  // A, then 0 0 0 0 1: the pair A-E is 1, the low nibble of byte 2 of row 0. A row that does
  // not start with a letter is skipped.
  const std::vector<uint8_t> bytes =
      compile(source_of({"T", "0.5", "kerning", "A00001", "7999", "b:", "*A", "G1 X1"}));
  StrokeFontTable table;
  ASSERT_EQ(read_stroke_font(bytes.data(), bytes.size(), 1000, &table, nullptr), FONT_FILE_OK);
  EXPECT_FLOAT_EQ(table.advance[0], 0.5f);
  EXPECT_TRUE(table.has_kerning);
  EXPECT_EQ(table.kerning[2], 0x01);
  EXPECT_EQ(table.kerning[27 * 26 + 0], 10);  // row b, column A: ':' is 10
  int set = 0;
  for (uint8_t b : table.kerning) set += b != 0;
  EXPECT_EQ(set, 2);
}

TEST(StrokeFontCompiler, BadHeaderLinesWriteNoFont) {
  std::vector<uint8_t> out;
  const std::string long_line(90, '1');
  EXPECT_EQ(compile_stroke_font_source(source_of({"T", long_line, "*A", "G1 X1"}), 1000, "t", &out),
            FONT_FILE_BAD_HEADER);
  EXPECT_EQ(compile_stroke_font_source(source_of({"T", "1", "k", "A" + long_line}), 1000, "t", &out),
            FONT_FILE_BAD_HEADER);
  EXPECT_EQ(compile_stroke_font_source("", 1000, "t", &out), FONT_FILE_NO_SOURCE);
  EXPECT_EQ(compile_stroke_font_source("Title only\r\n", 1000, "t", &out), FONT_FILE_BAD_HEADER);
}

TEST(StrokeFontCompiler, SymbolFontsHaveTheShortTable) {
  const std::vector<uint8_t> bytes = compile(source_of({"T", "1", "*A", "G1 X1"}), 3000);
  ASSERT_EQ(bytes.size(), 22u + 1424u + 1 + 2 + 5 + 2);
  EXPECT_EQ(bytes[22 + 1420], 0xFF);
  EXPECT_EQ(bytes[22 + 1421], 0xFF);
}

TEST(StrokeFontCompiler, ALargeFontIsPackedAndStaysCloseToItsSource) {
  std::vector<std::string> lines = {"Packed", "1"};
  for (int code = 33; code <= 120; ++code) {
    lines.push_back("*" + std::to_string(code));
    for (int k = 0; k < 20; ++k) lines.push_back("G1 X0.12345 Y-1.23456");
    lines.push_back("S X1 Y1");
    lines.push_back("X0.333333 Y0.5");
    lines.push_back("G0 X7.5");  // beyond the i16 range: stays f32
  }
  const std::string source = source_of(lines);
  const std::vector<uint8_t> loose = compile(source, 1000);
  const std::vector<uint8_t> packed = compile(source, 1000, loose.size() / 2);
  EXPECT_LT(packed.size(), loose.size());
  const std::vector<Element> elements = glyph_elements(packed, 'A');
  ASSERT_EQ(elements.size(), 22u);
  EXPECT_EQ(elements[0].flags, 0x72);
  EXPECT_NEAR(elements[0].values[0], 0.12345f, 0.00005f);
  EXPECT_NEAR(elements[0].values[1], -1.23456f, 0.00005f);
  EXPECT_EQ(elements[20].flags, 0x82);  // spline runs keep their floats
  EXPECT_EQ(elements[20].values[2], 0.333333f);
  EXPECT_EQ(elements[21].flags, 0x11);
  EXPECT_EQ(elements[21].values[0], 7.5f);
}

TEST(StrokeFontCompiler, ALongSplineRunGoesOnAsANewRun) {
  std::vector<std::string> lines = {"T", "1", "*A", "S X0 Y0"};
  for (int k = 0; k < 200; ++k) lines.push_back("X0.01 Y0.001");
  const std::vector<Element> elements = glyph_elements(compile(source_of(lines)), 'A');
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0].flags, 0x80 | 127);
  EXPECT_EQ(elements[1].flags, 0x80 | (201 - 127));
}

// ---- the reader ----

TEST(StrokeFontReader, DamagedFilesAreRefused) {
  const std::vector<uint8_t> good = compile(source_of({"T", "1", "*A", "G1 X1 Y1", "*B", "G2 X1 I.5 J0"}));
  StrokeFontTable table;
  std::vector<uint8_t> stream;
  ASSERT_EQ(read_stroke_font(good.data(), good.size(), 1000, &table, &stream), FONT_FILE_OK);
  const size_t t = FONT_TITLE_SIZE;
  const size_t s = t + FONT_TABLE_SIZE;
  const int32_t offset_a = table.offset['A' - 32];
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>*)> damage;
    int result;
  };
  const Case cases[] = {
      {"cut inside the title", [](auto* b) { b->resize(10); }, FONT_FILE_SHORT},
      {"cut inside the table", [&](auto* b) { b->resize(t + 100); }, FONT_FILE_SHORT},
      {"stream longer than the file",
       [&](auto* b) { put_i32_le(b->data() + t + FONT_TABLE_STREAM_LENGTH, 1 << 20); },
       FONT_FILE_SHORT},
      {"no stream", [&](auto* b) { put_i32_le(b->data() + t + FONT_TABLE_STREAM_LENGTH, 0); },
       FONT_FILE_BAD_STREAM},
      {"glyph offset past the stream",
       [&](auto* b) { put_i32_le(b->data() + t + FONT_TABLE_OFFSETS + 4 * ('A' - 32), 5000); },
       FONT_FILE_BAD_STREAM},
      {"negative glyph offset",
       [&](auto* b) { put_i32_le(b->data() + t + FONT_TABLE_OFFSETS + 4 * ('A' - 32), -4); },
       FONT_FILE_BAD_STREAM},
      {"an element runs past the stream",
       [&](auto* b) { (*b)[s + offset_a + 2] = 0x80 | 100; }, FONT_FILE_BAD_STREAM},
      {"an unknown motion", [&](auto* b) { (*b)[s + offset_a + 2] = 0x13; }, FONT_FILE_BAD_STREAM},
      {"a value that is no number",
       [&](auto* b) { put_f32_le(b->data() + s + offset_a + 3, std::nanf("")); },
       FONT_FILE_BAD_STREAM},
      {"an advance that is no number",
       [&](auto* b) { put_f32_le(b->data() + t + FONT_TABLE_ADVANCES + 4, INFINITY); },
       FONT_FILE_BAD_STREAM},
      {"the record's end cut off", [&](auto* b) {
         put_i32_le(b->data() + t + FONT_TABLE_STREAM_LENGTH,
                    get_i32_le(b->data() + t + FONT_TABLE_STREAM_LENGTH) - 1);
         b->pop_back();
       }, FONT_FILE_BAD_STREAM},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = good;
    c.damage(&bytes);
    EXPECT_EQ(read_stroke_font(bytes.data(), bytes.size(), 1000, &table, &stream), c.result)
        << c.name;
  }
}

// ---- the registry ----

class FontRegistryTest : public FontFolderTest {};

TEST_F(FontRegistryTest, FontsRegisterOnceAndUnloadAsTheirNumberSays) {
  write_file(folder_ / "0.Q2F", source_of({"Zero", "1", "*A", "G1 X1"}));
  write_file(folder_ / "1000.Q2F", source_of({"Thousand", "1", "*A", "G1 X1"}));
  write_file(folder_ / "3001.Q2F", source_of({"Symbols", "1", "*A", "G1 X1"}));
  EXPECT_EQ(register_folder_fonts(folder_.string()), 3);
  EXPECT_EQ(load_stroke_font(folder_.string(), "1000"), 0);  // registered already
  EXPECT_EQ(g_fonts.fonts.size(), 3u);
  StrokeFont* zero = find_font(0);
  StrokeFont* thousand = find_font(1000);
  ASSERT_NE(zero, nullptr);
  ASSERT_NE(thousand, nullptr);
  EXPECT_EQ(zero->state, FONT_STREAM_NOT_LOADED);
  EXPECT_EQ(thousand->state, FONT_STREAM_NOT_LOADED | FONT_TABLE_NOT_LOADED);
  EXPECT_EQ(find_font(1234), zero);  // an unknown number gives font 0
  ASSERT_NE(font_with_table(1000), nullptr);
  ASSERT_TRUE(load_font_stream(thousand));
  ASSERT_TRUE(load_font_stream(zero));
  EXPECT_EQ(thousand->state, 0);
  unload_fonts();
  EXPECT_EQ(zero->state, FONT_STREAM_NOT_LOADED);
  EXPECT_EQ(thousand->state, FONT_STREAM_NOT_LOADED | FONT_TABLE_NOT_LOADED);
  EXPECT_TRUE(zero->stream.empty());
  // The compiled files were written beside the sources, and a second start registers them.
  EXPECT_TRUE(fs::exists(folder_ / "1000.Q2_"));
  reset_font_registry();
  EXPECT_EQ(register_folder_fonts(folder_.string()), 3);
  EXPECT_TRUE(g_text_host_log.messages.empty());
  // The symbol menu's lines: the symbol font only.
  reset_list_store();
  EXPECT_EQ(append_symbol_font_lines(), 1);
  ASSERT_NE(g_lists.current.first, nullptr);
  EXPECT_EQ(g_lists.current.first->text, "Symbols");
  EXPECT_EQ(g_lists.current.first->id, 3001);
  EXPECT_EQ(g_lists.current.first->next, nullptr);
  free_current_list();
}

TEST_F(FontRegistryTest, AFontThatCannotBeUsedIsNamedOnce) {
  write_file(folder_ / "0.Q2F", source_of({"Zero", "1", "*A", "G1 X1"}));
  write_file(folder_ / "1000.Q2F", source_of({"Bad", std::string(90, '1')}));
  write_file(folder_ / "1001.Q2_", "damaged");
  EXPECT_EQ(register_folder_fonts(folder_.string()), 1);
  report_font_problems();
  report_font_problems();
  ASSERT_EQ(g_text_host_log.messages.size(), 1u);
  const std::string& text = g_text_host_log.messages[0];
  EXPECT_NE(text.find("font 1000"), std::string::npos) << text;
  EXPECT_NE(text.find("font 1001"), std::string::npos) << text;
  EXPECT_FALSE(fs::exists(folder_ / "1000.Q2_"));
}

TEST_F(FontRegistryTest, ANewerSourceIsCompiledAgain) {
  write_file(folder_ / "1000.Q2F", source_of({"Old", "1", "*A", "G1 X1"}));
  ASSERT_EQ(register_folder_fonts(folder_.string()), 1);
  reset_font_registry();
  write_file(folder_ / "1000.Q2F", source_of({"New", "1", "*A", "G1 X1"}));
  fs::last_write_time(folder_ / "1000.Q2F",
                      fs::last_write_time(folder_ / "1000.Q2_") + std::chrono::seconds(5));
  ASSERT_EQ(register_folder_fonts(folder_.string()), 1);
  EXPECT_EQ(find_font(1000)->title, "New");
}
