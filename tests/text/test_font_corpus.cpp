// The checked-in corpora of the font fuzz targets, replayed: every input is read or compiled, or
// refused cleanly, and what the compiler writes its reader reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/text/font_fuzz.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> bytes_of(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(FontCorpus, ReaderInputsAreReadOrRefused) {
  int inputs = 0;
  for (const auto& entry : fs::directory_iterator(FONT_CORPUS_DIR "/reader")) {
    const std::vector<uint8_t> bytes = bytes_of(entry.path());
    font_fuzz::read_font(bytes.data(), bytes.size());
    // Every prefix is cut short somewhere: refused, never read past its end.
    for (size_t n = 0; n < bytes.size(); n += 97) font_fuzz::read_font(bytes.data(), n);
    ++inputs;
  }
  EXPECT_GE(inputs, 3);
}

TEST(FontCorpus, CompilerOutputIsReadByItsReader) {
  int inputs = 0;
  for (const auto& entry : fs::directory_iterator(FONT_CORPUS_DIR "/compiler")) {
    const std::vector<uint8_t> bytes = bytes_of(entry.path());
    EXPECT_TRUE(font_fuzz::compile_font(bytes.data(), bytes.size())) << entry.path();
    for (size_t n = 0; n < bytes.size(); n += 7)
      EXPECT_TRUE(font_fuzz::compile_font(bytes.data(), n)) << entry.path() << " cut at " << n;
    ++inputs;
  }
  EXPECT_GE(inputs, 3);
}
