// The interface picture file: the generator's source language and writer, the shipped file read
// back by the program's own reader against every picture the program names, and the code's
// picture numbers against that table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "platform/font.h"
#include "platform/surface.h"
#include "screen/display_mode.h"
#include "screen/picture_file.h"
#include "screen/text_output.h"
#include "store/picture_numbers.h"
#include "tests/support/test_folder.h"
#include "tools/picture_source.h"
#include "tools/picture_writer.h"

namespace {

namespace fs = std::filesystem;

const BitmapFont& interface_font() {
  static const BitmapFont font = [] {
    BitmapFont loaded;
    std::string error;
    EXPECT_TRUE(font_load(BRENVIK_PROGRAM_DIR "/Q5_FONT.FON", &loaded, &error)) << error;
    return loaded;
  }();
  return font;
}

constexpr const char* COLOURS =
    "colour paper EEEEEE\ncolour band 2E4E7E\ncolour band_text FFFFFF\ncolour rule 9A9A9A\n"
    "colour ink 000000\n";

class PictureFileFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_picture_file();
    surface_resize(&screen_, 800, 600);
    set_screen_canvas(&screen_);
    g_display.screen_width = 799;
    g_display.screen_height = 599;
    g_picture_file.show_message = [this](const char*) { ++messages_; };
  }
  void TearDown() override {
    reset_picture_file();
    reset_display();
    set_screen_canvas(nullptr);
  }
  // The surface drawn by picture n at (0, 0), read back from the screen.
  Surface drawn(int n, int width, int height) {
    std::fill(screen_.pixels.begin(), screen_.pixels.end(), 0x123456u);
    EXPECT_EQ(draw_picture(-n, 0, 0), 0) << n;
    Surface out;
    surface_resize(&out, width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        out.pixels[static_cast<size_t>(y) * width + x] = screen_.pixels[static_cast<size_t>(y) * 800 + x];
    return out;
  }
  Surface screen_;
  int messages_ = 0;
};

using GeneratorTest = PictureFileFixture;

// Every picture comes back from the file exactly as the generator drew it, in 1 bit when it is
// only black and white, in 8 otherwise.
TEST_F(GeneratorTest, WrittenPicturesReadBackPixelExact) {
  const std::string source = std::string(COLOURS) +
                             "shape tick\n pen ink 2\n line 10 50 40 80 90 10\nend\n"
                             "menu 3 2 x 3 cell 40 x 36 header 12 \"Head\"\n"
                             " cell tick \"a\"\n cell - \"b\"\n cell tick\n cell - \"\"\n cell tick \"e\"\n cell - \"f\"\nend\n"
                             "scene 7 33 x 21 background ffffff\n pen 000000\n brush 000000\n"
                             " ellipse 2 2 30 18\nend\n";
  std::map<int, Surface> pictures;
  std::string error;
  ASSERT_TRUE(render_picture_source(source, "test", interface_font(), &pictures, &error)) << error;
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_EQ(pictures[3].width, 120);
  EXPECT_EQ(pictures[3].height, 12 + 2 * 36);
  std::map<int, std::vector<uint8_t>> entries;
  for (const auto& [n, surface] : pictures) entries[n] = picture_entry_from_surface(surface, &error);
  const fs::path folder = make_test_folder("pictures");
  const std::string path = (folder / "KR_IMAGE.KR5").string();
  const std::vector<uint8_t> bytes = picture_file_from_entries(entries);
  write_file_bytes(path, std::string(bytes.begin(), bytes.end()));
  ASSERT_TRUE(open_picture_file(path.c_str()));
  EXPECT_EQ(g_picture_file.count, 7);
  int height = 0;
  int width = 0;
  EXPECT_EQ(picture_size(5, &height, &width), PICTURE_NOT_DRAWN);  // a number between is empty
  for (const auto& [n, surface] : pictures) {
    const Surface back = drawn(n, surface.width, surface.height);
    EXPECT_EQ(back.pixels, surface.pixels) << n;
  }
  PictureEntry entry;
  ASSERT_EQ(check_picture_entry(entries[7].data(), entries[7].size(), entries[7].size(), &entry),
            PICTURE_ENTRY_OK);
  EXPECT_EQ(entry.bits_per_pixel, 1);
  ASSERT_EQ(check_picture_entry(entries[3].data(), entries[3].size(), entries[3].size(), &entry),
            PICTURE_ENTRY_OK);
  EXPECT_EQ(entry.bits_per_pixel, 8);
  EXPECT_GT(entry.palette_field, 0);  // the palette is imploded
  EXPECT_EQ(messages_, 0);
  fs::remove_all(folder);
}

TEST(PictureWriterTest, MoreThan256ColoursAreRefused) {
  Surface surface;
  surface_resize(&surface, 20, 20);
  for (size_t i = 0; i < surface.pixels.size(); ++i) surface.pixels[i] = static_cast<uint32_t>(i * 97);
  std::string error;
  EXPECT_TRUE(picture_entry_from_surface(surface, &error).empty());
  EXPECT_NE(error.find("256"), std::string::npos);
}

// A fault in the source names its line and keeps nothing.
TEST(PictureSourceTest, FaultsNameTheirLine) {
  const struct {
    const char* body;  // after the colours (five lines)
    int line;
    const char* what;
  } cases[] = {
      {"scene 1 10 x 10\n wobble 1 2\nend\n", 7, "unknown drawing command"},
      {"scene 1 10 x 10\n line 1 2 3\nend\n", 7, "pairs of coordinates"},
      {"scene 1 10 x 10\n pen fuchsia\nend\n", 7, "not a colour"},
      {"scene 1 10 x 10\n pen ink\n", 6, "without its end"},
      {"menu 2 2 x 2 cell 40 x 40\n cell - \"a\"\nend\n", 6, "has 1 cells, its grid 4"},
      {"menu 2 1 x 1 cell 40 x 40\n cell nothing \"a\"\nend\n", 7, "no such shape"},
      {"scene 1 10 x 10\nend\nscene 1 10 x 10\nend\n", 8, "given twice"},
      {"scene 1 10 x 10\n text 5 5 qx1x1 \"a\"\nend\n", 7, "no such face"},
      {"scene 1 10 x 10\n text 5 5 qx6x10 \"a\nend\n", 7, "closing quote"},
      {"shape s\n use s 0 0 10 10\nend\nscene 1 10 x 10\n use s 0 0 10 10\nend\n", 7, "too deep"},
  };
  for (const auto& c : cases) {
    std::map<int, Surface> pictures;
    std::string error;
    EXPECT_FALSE(render_picture_source(std::string(COLOURS) + c.body, "src", interface_font(),
                                       &pictures, &error))
        << c.body;
    EXPECT_EQ(error.rfind("src:" + std::to_string(c.line) + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(c.what), std::string::npos) << error;
    EXPECT_TRUE(pictures.empty());
  }
}

using ShippedPicturesTest = PictureFileFixture;

// The shipped file holds every picture the program names, at the size of its grid or control,
// each drawable, none of 4 bits.
TEST_F(ShippedPicturesTest, EveryNamedPictureIsThereAtItsSize) {
  ASSERT_TRUE(open_picture_file(BRENVIK_PROGRAM_DIR "/KR_IMAGE.KR5"));
  std::vector<NamedPicture> all(named_pictures().begin(), named_pictures().end());
  for (int n : surface_picture_numbers()) all.push_back({n, 0, 0, 0, 240, 168});
  for (const NamedPicture& p : all) {
    SCOPED_TRACE(p.number);
    int height = 0;
    int width = 0;
    ASSERT_EQ(picture_size(p.number, &height, &width), 0);
    if (p.width != 0) {
      EXPECT_EQ(width, p.width);
      EXPECT_EQ(height, p.height);
    }
    if (p.rows != 0) {
      EXPECT_GT(height, p.header);
      EXPECT_EQ(width % p.columns, 0);
      EXPECT_EQ((height - p.header) % p.rows, 0);
      EXPECT_GE(width / p.columns, 16);
      EXPECT_GE((height - p.header) / p.rows, 16);
    }
    const Surface back = drawn(p.number, width, height);
    // A real drawing: more than one colour.
    EXPECT_NE(std::count(back.pixels.begin(), back.pixels.end(), back.pixels.front()),
              static_cast<long>(back.pixels.size()));
    const uint32_t start = g_picture_file.offsets[static_cast<size_t>(p.number)];
    const uint32_t end = g_picture_file.offsets[static_cast<size_t>(p.number) + 1];
    std::ifstream in(BRENVIK_PROGRAM_DIR "/KR_IMAGE.KR5", std::ios::binary);
    std::vector<uint8_t> bytes(end - start);
    in.seekg(start);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    PictureEntry entry;
    ASSERT_EQ(check_picture_entry(bytes.data(), bytes.size(), bytes.size(), &entry), PICTURE_ENTRY_OK);
    EXPECT_TRUE(entry.bits_per_pixel == 1 || entry.bits_per_pixel == 8);
    if (entry.bits_per_pixel == 8) {
      EXPECT_GT(entry.palette_field, 0);
    }
  }
  EXPECT_EQ(messages_, 0);
}

// Every picture number the code passes to the picture routines is one of the named pictures:
// a literal number must be in the table, a constant must be one of its names.
TEST(PictureNumbersTest, TheCodeNamesOnlyPicturesOfTheTable) {
  std::set<int> numbers;
  for (const NamedPicture& p : named_pictures()) numbers.insert(p.number);
  for (int n : surface_picture_numbers()) numbers.insert(n);
  std::ifstream header_file(BRENVIK_SOURCE_DIR "/store/picture_numbers.h");
  std::stringstream header;
  header << header_file.rdbuf();
  const std::regex call(
      R"((draw_picture|picture_grid_menu|picture_size|choose_picture_cell)\(\s*(-?)\s*([0-9]+|[A-Z][A-Z0-9_]*))");
  int calls = 0;
  for (const auto& file : fs::recursive_directory_iterator(BRENVIK_SOURCE_DIR)) {
    const std::string path = file.path().string();
    const std::string ext = file.path().extension().string();
    if ((ext != ".cpp" && ext != ".h") || path.find("/tests/") != std::string::npos ||
        path.find("/build") != std::string::npos || path.find("/.") != std::string::npos) {
      continue;
    }
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    for (auto it = std::sregex_iterator(s.begin(), s.end(), call); it != std::sregex_iterator(); ++it) {
      const std::string named = (*it)[3];
      ++calls;
      if (std::isdigit(static_cast<unsigned char>(named[0]))) {
        EXPECT_EQ(numbers.count(std::stoi(named)), 1u) << path << ": picture " << named;
      } else {
        EXPECT_NE(header.str().find("constexpr int " + named + " "), std::string::npos)
            << path << ": " << named << " is not a named picture";
      }
    }
  }
  EXPECT_GT(calls, 0);
}

}  // namespace
