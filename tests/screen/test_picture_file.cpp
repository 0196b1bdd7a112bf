// The interface picture file: pictures the test encodes itself, drawn on a surface and read
// back pixel by pixel; one row per refusal in the damaged-file table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/surface.h"
#include "screen/display_mode.h"
#include "screen/palette.h"
#include "screen/picture_file.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/dcl_implode.h"
#include "tests/screen/picture_fuzz_entry.h"
#include "tests/support/test_bytes.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;
using Raw = std::vector<uint8_t>;

constexpr int SCREEN_W = 200;
constexpr int SCREEN_H = 150;

// A picture as the test lays it out: pixel rows (padded to 4 bytes, bottom row first) and for
// 8 bits a palette of blue, green, red, 0 quads.
struct Picture {
  int width = 0;
  int height = 0;
  int bits = 8;
  Raw rows;
  Raw quads;
  int palette_mode = 1;  // 8 bits: 0 grey ramp, -1 stored, 1 imploded
  int32_t header_width = 0;   // 0: the width
  int32_t header_height = 0;  // 0: the height
  int16_t bit_count = 0;      // 0: bits
  int64_t unpacked = -1;      // -1: the size of rows
  int16_t palette_field = 0;  // 0: made from the palette
  bool keep_palette_field = false;
};

size_t row_bytes(int width, int bits) { return ((static_cast<size_t>(width) * bits + 31) / 32) * 4; }

// The colour index or 24-bit value of pixel (x, y), top-left origin, for a test pattern.
uint32_t pattern(int x, int y, int bits) {
  if (bits == 24) return static_cast<uint32_t>((x * 40) << 16 | (y * 30) << 8 | (x + y) * 7) & 0xFFFFFF;
  return static_cast<uint32_t>(x + 3 * y) % (1u << std::min(bits, 8));
}

Picture make_picture(int width, int height, int bits) {
  Picture p;
  p.width = width;
  p.height = height;
  p.bits = bits;
  const size_t stride = row_bytes(width, bits);
  p.rows.assign(stride * height, 0);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = p.rows.data() + stride * static_cast<size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const uint32_t v = pattern(x, y, bits);
      if (bits == 24) {
        row[3 * x] = static_cast<uint8_t>(v);
        row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
      } else if (bits == 8) {
        row[x] = static_cast<uint8_t>(v);
      } else if (bits == 4) {
        row[x / 2] |= static_cast<uint8_t>(v << (x % 2 == 0 ? 4 : 0));
      } else {
        row[x / 8] |= static_cast<uint8_t>(v << (7 - x % 8));
      }
    }
  }
  if (bits == 8) {
    for (int i = 0; i < 256; ++i) {
      p.quads.insert(p.quads.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                     static_cast<uint8_t>(i * 7), 0});
    }
  }
  return p;
}

// The expected screen colour (0x00RRGGBB) of pixel (x, y).
uint32_t expected_colour(const Picture& p, int x, int y) {
  const uint32_t v = pattern(x, y, p.bits);
  if (p.bits == 24) return v;
  // Fewer than 8 bits: black (0) and white (1); an index past the two draws black.
  if (p.bits < 8) return v == 1 ? 0xFFFFFF : 0x000000;
  if (p.palette_mode == 0) return v * 0x010101u;
  return static_cast<uint32_t>(p.quads[4 * v + 2]) << 16 | p.quads[4 * v + 1] << 8 | p.quads[4 * v];
}

Raw entry_bytes(const Picture& p) {
  Bytes b;
  b.le32(static_cast<uint32_t>(p.unpacked >= 0 ? p.unpacked : static_cast<int64_t>(p.rows.size())));
  b.le32(static_cast<uint32_t>(p.width)).le32(static_cast<uint32_t>(p.height));
  b.le32(40).le32(static_cast<uint32_t>(p.header_width != 0 ? p.header_width : p.width));
  b.le32(static_cast<uint32_t>(p.header_height != 0 ? p.header_height : p.height));
  b.le16(1).le16(static_cast<uint16_t>(p.bit_count != 0 ? p.bit_count : p.bits)).zeros(24);
  if (p.bits == 8) {
    Raw palette;
    int16_t field = 0;
    if (p.palette_mode < 0) {
      palette = p.quads;
      field = static_cast<int16_t>(-static_cast<int>(palette.size()));
    } else if (p.palette_mode > 0) {
      palette = dcl_implode(p.quads, 0, 4);
      field = static_cast<int16_t>(palette.size());
    }
    b.le16(static_cast<uint16_t>(p.keep_palette_field ? p.palette_field : field));
    b.append(palette);
  }
  b.append(dcl_implode(p.rows, 1, 6));
  return b.data;
}

Raw file_bytes(const std::vector<Raw>& entries) {
  Bytes b;
  b.append({0x1A, 0x44, 0x49, 0x42, 0, 0, 0, 2});
  b.le16(static_cast<uint16_t>(entries.size() - 1));
  uint32_t offset = static_cast<uint32_t>(10 + (entries.size() + 1) * 4);
  for (const Raw& e : entries) {
    b.le32(offset);
    offset += static_cast<uint32_t>(e.size());
  }
  b.le32(offset);
  for (const Raw& e : entries) b.append(e);
  return b.data;
}

class PictureFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = make_test_folder("pictures");
    reset_picture_file();
    reset_palette();
    reset_screen_attributes();
    surface_resize(&surface_, SCREEN_W, SCREEN_H);
    std::fill(surface_.pixels.begin(), surface_.pixels.end(), BACKGROUND);
    set_screen_canvas(&surface_);
    g_display.screen_width = SCREEN_W - 1;
    g_display.screen_height = SCREEN_H - 1;
    g_picture_file.show_message = [this](const char* text) { messages_.emplace_back(text); };
  }
  void TearDown() override {
    reset_picture_file();
    reset_palette();
    reset_screen_attributes();
    reset_display();
    set_screen_canvas(nullptr);
    fs::remove_all(folder_);
  }
  bool open(const Raw& bytes) {
    const std::string path = (folder_ / "KR_IMAGE.KR5").string();
    write_file_bytes(path, std::string(bytes.begin(), bytes.end()));
    return open_picture_file(path.c_str());
  }
  uint32_t pixel(int x, int y) const { return surface_.pixels[static_cast<size_t>(y) * SCREEN_W + x]; }
  bool screen_untouched() const {
    return std::all_of(surface_.pixels.begin(), surface_.pixels.end(),
                       [](uint32_t p) { return p == BACKGROUND; });
  }
  void expect_drawn_at(const Picture& p, int left, int top) const {
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        if (left + x < 0 || top + y < 0) continue;
        ASSERT_EQ(pixel(left + x, top + y), expected_colour(p, x, y)) << x << "," << y;
      }
    }
  }
  static constexpr uint32_t BACKGROUND = 0x123456;
  fs::path folder_;
  Surface surface_;
  std::vector<std::string> messages_;
};

TEST_F(PictureFileTest, EveryDepthDrawsPixelExact) {
  Picture grey = make_picture(13, 9, 8);
  grey.palette_mode = 0;
  Picture stored = make_picture(21, 11, 8);
  stored.palette_mode = -1;
  const std::vector<Picture> pictures = {make_picture(17, 10, 1), make_picture(15, 12, 4),
                                         make_picture(19, 14, 8), grey, stored,
                                         make_picture(11, 7, 24)};
  std::vector<Raw> entries;
  for (const Picture& p : pictures) entries.push_back(entry_bytes(p));
  ASSERT_TRUE(open(file_bytes(entries)));
  EXPECT_EQ(g_picture_file.count, 5);
  for (size_t i = 0; i < pictures.size(); ++i) {
    SCOPED_TRACE(i);
    std::fill(surface_.pixels.begin(), surface_.pixels.end(), BACKGROUND);
    ASSERT_EQ(draw_picture(-static_cast<int>(i), 30, 20), 0);
    expect_drawn_at(pictures[i], 30, 20);
    EXPECT_EQ(pixel(29, 20), BACKGROUND);
    EXPECT_EQ(pixel(30 + pictures[i].width, 20), BACKGROUND);
    int height = 0;
    int width = 0;
    EXPECT_EQ(picture_size(-static_cast<int>(i), &height, &width), 0);
    EXPECT_EQ(width, pictures[i].width);
    EXPECT_EQ(height, pictures[i].height);
  }
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PictureFileTest, PlacesPicturesOnTheScreen) {
  const Picture small = make_picture(20, 10, 8);
  const Picture wide = make_picture(SCREEN_W + 10, 5, 8);
  ASSERT_TRUE(open(file_bytes({entry_bytes(small), {}, entry_bytes(wide), entry_bytes(small),
                               entry_bytes(small), entry_bytes(small)})));
  // Both signs draw the picture; the number's sign only chooses the frame.
  EXPECT_EQ(draw_picture(5, 3, 4), 0);
  expect_drawn_at(small, 3, 4);
  EXPECT_EQ(draw_picture(-5, 40, 50), 0);
  expect_drawn_at(small, 40, 50);
  // Centred: (right-most pixel) / 2 - width / 2.
  EXPECT_EQ(draw_picture(-3, -1, -1), 0);
  EXPECT_EQ(g_picture_file.last_x, (SCREEN_W - 1) / 2 - 10);
  EXPECT_EQ(g_picture_file.last_y, (SCREEN_H - 1) / 2 - 5);
  // Moved to end inside the screen; a picture wider than it starts left of it.
  EXPECT_EQ(draw_picture(-3, SCREEN_W, SCREEN_H), 0);
  EXPECT_EQ(g_picture_file.last_x, SCREEN_W - 1 - 20);
  EXPECT_EQ(g_picture_file.last_y, SCREEN_H - 1 - 10);
  EXPECT_EQ(draw_picture(-2, 0, 0), 0);
  EXPECT_EQ(g_picture_file.last_x, SCREEN_W - 1 - wide.width);
  expect_drawn_at(wide, SCREEN_W - 1 - wide.width, 0);
  // Empty entry, number above the count.
  EXPECT_EQ(draw_picture(1, 0, 0), PICTURE_NOT_DRAWN);
  EXPECT_EQ(draw_picture(6, 0, 0), PICTURE_NO_FILE);
  int h = 0;
  int w = 0;
  EXPECT_EQ(picture_size(6, &h, &w), PICTURE_NO_FILE);
  EXPECT_EQ(picture_size(1, &h, &w), PICTURE_NOT_DRAWN);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(PictureFileTest, SampleSetsTheBackgroundAndHighlightColours) {
  Picture p = make_picture(8, 8, 24);
  p.rows[p.rows.size() - row_bytes(8, 24)] = 0x90;  // the top-left pixel's blue
  ASSERT_TRUE(open(file_bytes({entry_bytes(p)})));
  set_colour_base(20);
  const uint32_t top_left = 0x000090 | (pattern(0, 0, 24) & 0xFFFF00);
  EXPECT_EQ(draw_picture(0, PICTURE_SAMPLE_X, 0), 0);
  EXPECT_TRUE(screen_untouched());
  // Palette colours are 0x00BBGGRR.
  const uint32_t r = (top_left >> 16) & 0xFF, g = (top_left >> 8) & 0xFF, b = top_left & 0xFF;
  EXPECT_EQ(g_palette.palette[21], b << 16 | g << 8 | r);
  EXPECT_EQ(g_palette.palette[22], (b / 3) << 16 | (g / 3) << 8 | r / 3);
}

TEST_F(PictureFileTest, CountZeroHoldsOnePicture) {
  const Picture p = make_picture(4, 4, 1);
  ASSERT_TRUE(open(file_bytes({entry_bytes(p)})));
  int h = 0;
  int w = 0;
  EXPECT_EQ(picture_size(0, &h, &w), 0);
  EXPECT_EQ(picture_size(1, &h, &w), PICTURE_NO_FILE);
  open_picture_file(nullptr);
  EXPECT_EQ(draw_picture(0, 0, 0), PICTURE_NO_FILE);
}

// Files that do not open.
TEST_F(PictureFileTest, BrokenFilesStayClosed) {
  const Raw good = file_bytes({entry_bytes(make_picture(4, 4, 8)), entry_bytes(make_picture(4, 4, 8))});
  struct Case {
    const char* name;
    Raw bytes;
  };
  std::vector<Case> cases;
  Raw magic = good;
  magic[7] = 3;
  cases.push_back({"magic", magic});
  Raw count = good;
  count[8] = 0xFF;
  count[9] = 0xFF;
  cases.push_back({"count -1", count});
  Raw falling = good;
  set_le32(&falling, 14, static_cast<uint32_t>(falling[10] | falling[11] << 8) - 1);
  cases.push_back({"falling offsets", falling});
  Raw beyond = good;
  set_le32(&beyond, 18, static_cast<uint32_t>(good.size() + 1));
  cases.push_back({"offset beyond the file", beyond});
  cases.push_back({"table cut", Raw(good.begin(), good.begin() + 16)});
  cases.push_back({"head cut", Raw(good.begin(), good.begin() + 9)});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(open(c.bytes));
    EXPECT_EQ(g_picture_file.count, -1);
    EXPECT_EQ(draw_picture(0, 0, 0), PICTURE_NO_FILE);
  }
}

// One row per refusal of a picture entry: nothing drawn, and broken data told.
TEST_F(PictureFileTest, DamagedPicturesDrawNothing) {
  struct Case {
    const char* name;
    Raw entry;
    bool told;  // "image error #4" shown
  };
  std::vector<Case> cases;
  const Picture base = make_picture(10, 6, 8);
  Picture p = base;
  p.header_width = 11;
  cases.push_back({"width differs", entry_bytes(p), false});
  p = base;
  p.header_height = 7;
  cases.push_back({"height differs", entry_bytes(p), false});
  p = base;
  p.bit_count = 16;
  cases.push_back({"16 bits", entry_bytes(p), false});
  p = base;
  p.palette_mode = -1;
  p.quads.resize(1028);
  cases.push_back({"stored palette above 1024", entry_bytes(p), false});
  p = base;
  p.quads.resize(1028, 7);
  cases.push_back({"packed palette above 1024", entry_bytes(p), true});
  p = base;
  p.unpacked = static_cast<int64_t>(p.rows.size()) - 1;
  cases.push_back({"unpacked size below the rows", entry_bytes(p), false});
  p = base;
  p.unpacked = int64_t{PICTURE_UNPACKED_LIMIT} + 1;
  cases.push_back({"unpacked size above the limit", entry_bytes(p), false});
  p = base;
  p.palette_field = 2000;
  p.keep_palette_field = true;
  cases.push_back({"palette past the entry", entry_bytes(p), false});
  const Raw whole = entry_bytes(base);
  cases.push_back({"header cut", Raw(whole.begin(), whole.begin() + 40), false});
  p = base;
  p.rows.push_back(0);  // unpacks to a byte more than the entry states
  Raw more = entry_bytes(p);
  more[0] = static_cast<uint8_t>(base.rows.size());
  cases.push_back({"output beyond the unpacked size", more, true});
  p = base;
  p.rows.pop_back();
  p.unpacked = static_cast<int64_t>(base.rows.size());
  cases.push_back({"output short of the rows", entry_bytes(p), true});
  Raw cut = entry_bytes(base);
  cut.resize(cut.size() - 3);
  cases.push_back({"pixel data cut", cut, true});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(open(file_bytes({c.entry})));
    messages_.clear();
    EXPECT_EQ(draw_picture(0, 5, 5), PICTURE_NOT_DRAWN);
    EXPECT_TRUE(screen_untouched());
    EXPECT_EQ(messages_.size(), c.told ? 1U : 0U);
    if (c.told) {
      EXPECT_EQ(messages_.front(), "image error #4");
    }
  }
}

TEST_F(PictureFileTest, UnpackPaletteRefusesMoreThanTheLimit) {
  auto work = make_dcl_work_area();
  const Raw quads(1024, 9);
  const Raw packed = dcl_implode(quads, 0, 5);
  std::vector<uint8_t> out;
  EXPECT_EQ(unpack_palette(packed.data(), packed.size(), out, 1024, *work), 1024U);
  EXPECT_EQ(unpack_palette(packed.data(), packed.size(), out, 1020, *work), 0U);
}

// The seeds of the fuzz target: pictures of every depth and palette kind, and damaged ones.
// With WRITE_PICTURE_CORPUS set to a folder, the seeds are written there first.
TEST(PictureCorpus, Replays) {
  Picture grey = make_picture(13, 9, 8);
  grey.palette_mode = 0;
  Picture stored = make_picture(21, 11, 8);
  stored.palette_mode = -1;
  Picture short_rows = make_picture(10, 6, 8);
  short_rows.rows.pop_back();
  short_rows.unpacked = static_cast<int64_t>(short_rows.rows.size()) + 1;
  const std::vector<std::pair<std::string, Raw>> seeds = {
      {"depths", file_bytes({entry_bytes(make_picture(17, 10, 1)), entry_bytes(make_picture(15, 12, 4)),
                             entry_bytes(make_picture(19, 14, 8)), {}, entry_bytes(make_picture(11, 7, 24))})},
      {"palettes", file_bytes({entry_bytes(grey), entry_bytes(stored)})},
      {"wide", file_bytes({entry_bytes(make_picture(90, 3, 8))})},
      {"short_rows", file_bytes({entry_bytes(short_rows)})},
  };
  if (const char* folder = std::getenv("WRITE_PICTURE_CORPUS")) {
    for (const auto& [name, bytes] : seeds) {
      write_file_bytes(std::string(folder) + "/" + name, std::string(bytes.begin(), bytes.end()));
    }
  }
  int files = 0;
  for (const auto& entry : fs::directory_iterator(PICTURE_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = read_file_bytes(entry.path().string());
    check_picture_input(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  EXPECT_GE(files, 4);
  reset_picture_file();
  reset_display();
}

}  // namespace
