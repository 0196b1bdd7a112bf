// The shared text, number and path helpers, in tables of cases.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "store/float_text.h"
#include "store/text_helpers.h"

namespace {

class NumberTextTest : public ::testing::Test {
 protected:
  void SetUp() override { g_number_text = NumberTextSettings(); }
  void TearDown() override { g_number_text = NumberTextSettings(); }
};

// ---- Paths -----------------------------------------------------------------------------------------

TEST(PathHelpers, SplitPathGivesAFolderWithOneSlashAndTheName) {
  struct Case { const char* path; const char* folder; const char* name; };
  const Case cases[] = {
      {"/data/file.txt", "/data/", "file.txt"},
      {"file", "", "file"},
      {"/file", "/", "file"},
      {"a//b", "a/", "b"},
      {"/data/sub/", "/data/sub/", ""},
  };
  for (const Case& c : cases) {
    std::string folder = "old";
    std::string name = "old";
    split_path(c.path, &folder, &name);
    EXPECT_EQ(folder, c.folder) << c.path;
    EXPECT_EQ(name, c.name) << c.path;
  }
}

TEST(PathHelpers, SplitExtensionTakesOnlyShortExtensions) {
  struct Case { const char* name; const char* base; const char* extension; };
  const Case cases[] = {
      {"archive.tar.gz", "archive.tar", "gz"},
      {"name.html", "name.html", ""},
      {"report.NC", "report", "NC"},
      {"plain", "plain", ""},
      {"dot.", "dot", ""},
  };
  for (const Case& c : cases) {
    std::string base, extension;
    split_extension(c.name, &base, &extension);
    EXPECT_EQ(base, c.base) << c.name;
    EXPECT_EQ(extension, c.extension) << c.name;
  }
}

TEST(PathHelpers, ChangeExtensionLooksOnlyAtTheLastElement) {
  struct Case { const char* path; const char* extension; const char* result; };
  const Case cases[] = {
      {"/a.b/file", "txt", "/a.b/file.txt"},   // the dot in the folder does not count
      {"/a/file.job", "NC", "/a/file.NC"},
      {"/a/file.job", nullptr, "/a/file"},
      {"/a/file.longer", "NC", "/a/file.longer.NC"},
      {"report", "NC", "report.NC"},
  };
  for (const Case& c : cases) {
    std::string path = c.path;
    change_extension(&path, c.extension);
    EXPECT_EQ(path, c.result) << c.path;
  }
}

TEST(PathHelpers, AddTrailingBackslashLeavesExactlyOneSlash) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""}, {"/", "/"}, {"/data", "/data/"}, {"/data///", "/data/"}, {"x", "x/"}};
  for (const auto& [in, out] : cases) {
    std::string text = in;
    add_trailing_backslash(&text);
    EXPECT_EQ(text, out) << in;
  }
}

TEST(PathHelpers, AbbreviatePathKeepsTheHeadAndTheTailInTheWidth) {
  const std::string path = "/home/user/jobs/2026/december/plate.job";  // 39 bytes
  const std::string shown = abbreviate_path(path.c_str(), 20);
  EXPECT_EQ(shown, "/h\x97\x08'\x97" + path.substr(path.size() - 15));
  EXPECT_EQ(shown.size(), 21u);  // 20 columns: the ellipsis is three glyphs in four bytes
  EXPECT_EQ(abbreviate_path("/short", 20), "/short");
  EXPECT_EQ(abbreviate_path(nullptr, 20), "");
}

TEST(PathHelpers, AbbreviatePathBelowWidthFiveNeverReadsOutsideThePath) {
  const char* path = "/home/user/plate.job";
  for (int width = -2; width < 5; ++width) {
    const std::string shown = abbreviate_path(path, width);
    EXPECT_LE(static_cast<int>(shown.size()), std::max(width, 0)) << width;
    EXPECT_EQ(shown, std::string(path).substr(std::strlen(path) - shown.size())) << width;
  }
}

// ---- Dates -------------------------------------------------------------------------------------------

std::vector<std::string> month_names() {
  return {"", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
}

uint16_t packed_date(int year, int month, int day) {
  return static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
}
uint16_t packed_time(int hours, int minutes, int seconds) {
  return static_cast<uint16_t>((hours << 11) | (minutes << 5) | (seconds / 2));
}

TEST(DateHelpers, BothStylesOfADirectoryEntryDate) {
  const uint16_t date = packed_date(2026, 12, 10);
  EXPECT_EQ(format_dos_date_time(date, packed_time(0, 5, 8), true, month_names()),
            "2026-12-10  12:05:08a ");
  EXPECT_EQ(format_dos_date_time(date, packed_time(13, 5, 8), true, month_names()),
            "2026-12-10   1:05:08p ");
  EXPECT_EQ(format_dos_date_time(date, packed_time(13, 5, 8), false, month_names()),
            "2026 Dec 10  13:05:08 ");
}

TEST(DateHelpers, MonthsThirteenToFifteenHaveNoNameToReadPast) {
  for (int month : {0, 13, 14, 15}) {
    EXPECT_EQ(format_dos_date_time(packed_date(2000, month, 1), 0, false, month_names()),
              "2000 ???  1   0:00:00 ")
        << month;
  }
  // Fewer names than months: the missing ones are unnamed too.
  EXPECT_EQ(format_dos_date_time(packed_date(2000, 5, 1), 0, false, {"", "Jan"}),
            "2000 ???  1   0:00:00 ");
}

// ---- Numbers -----------------------------------------------------------------------------------------

TEST_F(NumberTextTest, TrimFloatZeros) {
  struct Case { const char* in; uint8_t cut_bare_point; const char* out; };
  const Case cases[] = {
      {"2.500000", 1, "2.5"}, {"3.000000", 1, "3"},  {"3.000000", 0, "3."},
      {"-0.000000", 1, "0"},  {"-0.000000", 0, "0."}, {"100", 1, "100"},
      {"-0.5000", 1, "-0.5"}, {"-10.000", 1, "-10"},
  };
  for (const Case& c : cases) {
    g_number_text.cut_bare_point = c.cut_bare_point;
    std::string text = c.in;
    EXPECT_EQ(trim_float_zeros(text), c.out) << c.in << " " << int(c.cut_bare_point);
  }
}

TEST_F(NumberTextTest, FormatFloatTextByCodeAndOptions) {
  struct Case { double value; int flags; const char* out; };
  const Case cases[] = {
      {2.5, FLOAT_TWO_DECIMALS, "2.5"},
      {1.23456, FLOAT_FOUR_DECIMALS, "1.2346"},
      {0.001, FLOAT_TWO_DECIMALS, "0.001"},  // reads as 0 in its code: "%f" instead
      {45, FLOAT_FOUR_DECIMALS | FLOAT_DEGREES, "45\xB0"},
      {12.5, FLOAT_ONE_DECIMAL | FLOAT_PERCENT, "12.5%"},
      {0.5, FLOAT_TWO_DECIMALS | FLOAT_NO_LEADING_ZERO, ".5"},
      {-0.5, FLOAT_TWO_DECIMALS | FLOAT_NO_LEADING_ZERO, "-.5"},
      {1.5, FLOAT_ONE_DECIMAL | FLOAT_NINE_COLUMNS, "1.5      "},
      {-0.0, FLOAT_FOUR_DECIMALS, "0"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(format_float_text(c.value, c.flags), c.out) << c.value << " " << c.flags;
}

TEST_F(NumberTextTest, NineColumnsCutDecimalsButNeverAnIntegerDigit) {
  EXPECT_EQ(format_float_text(1234.56789, FLOAT_SIX_DECIMALS | FLOAT_NINE_COLUMNS), "1234.5678");
  EXPECT_EQ(format_float_text(12345678.5, FLOAT_ONE_DECIMAL | FLOAT_NINE_COLUMNS), "12345678 ");
  EXPECT_EQ(format_float_text(123456789.0, FLOAT_WHOLE | FLOAT_NINE_COLUMNS), "123456789");
  EXPECT_EQ(format_float_text(1234567890.0, FLOAT_WHOLE | FLOAT_NINE_COLUMNS), "***      ");
  EXPECT_EQ(format_float_text(-123456789.0, FLOAT_WHOLE | FLOAT_NINE_COLUMNS), "***      ");
  EXPECT_EQ(format_float_text(99999999.0, FLOAT_WHOLE | FLOAT_DEGREES | FLOAT_NINE_COLUMNS),
            "99999999\xB0");
}

TEST_F(NumberTextTest, FormatNumberWithThePrecisionSetting) {
  struct Case { int precision; double value; const char* out; };
  const Case cases[] = {
      {2, 1234567.891, "1,234,567.89"}, {2, 12.0, "12"},         {2, -1234.5, "-1,234.50"},
      {0, 1234567.0, "1234567"},        {-1, 1234.5, "1234.5"},  {2, 999.5, "999.50"},
      {3, 1000.0, "1,000"},
  };
  for (const Case& c : cases) {
    g_number_text.precision = static_cast<int16_t>(c.precision);
    EXPECT_EQ(format_number(c.value), c.out) << c.precision << " " << c.value;
  }
}

TEST(NumberHelpers, FormatThousands) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "0"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"},
      {INT64_MIN, "-9,223,372,036,854,775,808"}};
  for (const auto& [value, out] : cases) EXPECT_EQ(format_thousands(value), out) << value;
}

TEST(NumberHelpers, ParseFloatAdvancePassesTheNumberAndOneComma) {
  struct Case { const char* text; float value; int after; };
  const Case cases[] = {
      {"  12.5, 3", 12.5f, 7}, {"-3*4", -3.0f, 2}, {"7/2", 7.0f, 1}, {"x", 0.0f, 0},
  };
  for (const Case& c : cases) {
    float value = -99;
    const char* after = parse_float_advance(c.text, &value);
    EXPECT_FLOAT_EQ(value, c.value) << c.text;
    EXPECT_EQ(after - c.text, c.after) << c.text;
  }
}

// ---- Text --------------------------------------------------------------------------------------------

TEST(TextHelpers, ExpandCaretEscapes) {
  const std::pair<const char*, std::string> cases[] = {
      {"^[", "\x1B"}, {"a^M", "a\r"}, {"x^2", "x^2"}, {"a^b", "a^b"},
      {"end^", "end^"}, {"^^", "\x1E"}, {"^_x", std::string("\x1F") + "x"}};
  for (const auto& [in, out] : cases) EXPECT_EQ(expand_caret_escapes(in), out) << in;
}

TEST(TextHelpers, CaseChangesStopAtTheCountAndTheEnd) {
  char text[] = "abc Def";
  upper_case_n(text, 2);
  EXPECT_STREQ(text, "ABc Def");
  lower_case(text);
  EXPECT_STREQ(text, "abc def");
  char words[] = "one two,three (four) 5x";
  capitalise_words_n(words, -1, ",");
  EXPECT_STREQ(words, "One Two,Three (four) 5x");
}

TEST(TextHelpers, BitmapOfSlots) {
  uint8_t bits[2] = {0xFF, 0x07};
  EXPECT_EQ(first_clear_bit(bits, 16), 11);
  EXPECT_EQ(first_clear_bit(bits, 10), 10);
  EXPECT_EQ(set_bit(bits, 11), 0);
  EXPECT_NE(set_bit(bits, 11), 0);
  EXPECT_NE(clear_bit(bits, 0), 0);
  EXPECT_EQ(first_clear_bit(bits, 16), 0);
}

TEST(TextHelpers, BadNameCharactersByFlags) {
  struct Case { const char* in; uint32_t flags; const char* out; int removed; };
  const Case cases[] = {
      {"a*b?c|d:e<f>g/h\\i\"j", 0x40, "abcdefghij", 9},
      {"a*b?c|d", 0x140, "a*b?cd", 1},
      {"/home/u:x\\y", 0x48, "/home/u:x\\y", 0},
      {"/home/u", 0x49, "homeu", 2},
      {"a\x08Zb\tc", 0x40, "abc", 3},
  };
  for (const Case& c : cases) {
    std::string text = c.in;
    EXPECT_EQ(strip_bad_name_chars(&text, c.flags), c.removed) << c.in;
    EXPECT_EQ(text, c.out) << c.in;
  }
}

TEST(TextHelpers, WildcardsBlanksAndTrailingBlanks) {
  std::string name = "*.job??";
  dash_wildcards(&name);
  EXPECT_EQ(name, "-.job");
  EXPECT_EQ(trim_blanks("  a b  "), "a b");
  EXPECT_EQ(trim_blanks("   "), "");
  const std::pair<const char*, const char*> cases[] = {
      {"text  ", "text"}, {"text  \n", "text\n"}, {"   ", ""}, {"", ""}};
  for (const auto& [in, out] : cases) {
    std::string text = in;
    cut_trailing_blanks(&text);
    EXPECT_EQ(text, out);
  }
}

}  // namespace

TEST(TextHelpers, TerminalTextDropsColourCodesAndKeepsLines) {
  EXPECT_EQ(terminal_text("\vError\x13 at\n\fline\x13 3\x08!"), "Error at\nline 3!");
  EXPECT_EQ(terminal_text(""), "");
}
