// Helpers of the text tests: reading files, compiling font sources in a scratch folder,
// registering the shipped fonts, and walking the elements of a compiled glyph.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "text/glyph_decoder.h"
#include "text/stroke_fonts.h"
#include "text/text_host.h"
#include "text/truetype_outline.h"
#include "store/record_bytes.h"
#include "tests/support/test_folder.h"

namespace text_test {

namespace fs = std::filesystem;

inline std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void write_file(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// A source from lines (CR LF ends added).
inline std::string source_of(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& line : lines) s += line + "\r\n";
  return s;
}

inline std::vector<uint8_t> compile(const std::string& source, int number = 1000,
                                    size_t work_limit = FONT_WORK_BUFFER) {
  std::vector<uint8_t> out;
  EXPECT_EQ(compile_stroke_font_source(source, number, "test", &out, work_limit), FONT_FILE_OK);
  return out;
}

// One element of a compiled glyph, values as read.
struct Element {
  uint8_t flags = 0;
  std::vector<float> values;
};

// The elements of the glyph of `code` in a compiled font's bytes.
inline std::vector<Element> glyph_elements(const std::vector<uint8_t>& bytes, int code,
                                           int number = 1000, std::string* name = nullptr) {
  StrokeFontTable table;
  std::vector<uint8_t> stream;
  EXPECT_EQ(read_stroke_font(bytes.data(), bytes.size(), number, &table, &stream), FONT_FILE_OK);
  std::vector<Element> out;
  const int32_t offset = table.offset[code - FONT_FIRST_CODE];
  if (offset == 0) return out;
  const uint8_t* p = stream.data() + offset;
  if (name != nullptr) *name = reinterpret_cast<const char*>(p);
  p += std::strlen(reinterpret_cast<const char*>(p)) + 1;
  while (*p != 0) {
    Element e;
    e.flags = *p++;
    if (e.flags & GLYPH_SPLINE_RUN) {
      for (int k = 0; k < 2 * (e.flags & 0x7F); ++k, p += 4) e.values.push_back(get_f32_le(p));
    } else {
      const bool packed = e.flags & GLYPH_PACKED;
      int n = ((e.flags & GLYPH_HAS_X) ? 1 : 0) + ((e.flags & GLYPH_HAS_Y) ? 1 : 0) +
              ((e.flags & (GLYPH_ARC_CW | GLYPH_ARC_CCW)) ? 2 : 0);
      for (int k = 0; k < n; ++k) {
        e.values.push_back(packed ? get_i16_le(p) * 0.0001f : get_f32_le(p));
        p += packed ? 2 : 4;
      }
    }
    out.push_back(e);
  }
  return out;
}

// A scratch folder per test, removed afterwards.
class FontFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_test_folder("brenvik_text");
    reset_font_registry();
    reset_text_host();
    reset_glyph_decoder();
    reset_truetype_outline();
  }
  void TearDown() override {
    reset_font_registry();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  // Copies shipped font sources into the scratch folder and registers them.
  void register_shipped(const std::vector<std::string>& names) {
    for (const std::string& name : names)
      fs::copy_file(fs::path(BRENVIK_PROGRAM_DIR) / (name + ".Q2F"), folder_ / (name + ".Q2F"),
                    fs::copy_options::overwrite_existing);
    ASSERT_EQ(register_folder_fonts(folder_.string()), static_cast<int>(names.size()));
  }
  fs::path folder_;
};

}  // namespace text_test
