// Damaged files for every image reader: cut anywhere, wrong magic, zero and huge sizes, runs past
// their row, colour indices past the palette, offsets outside the file. Each is refused, with a
// reason that names the file, and nothing is allocated for sizes the file cannot back. The fuzz
// targets' corpora are replayed here too (WRITE_IMAGE_CORPUS=folder writes the seeds first).
#include <chrono>

#include "tests/platform/image_bytes.h"
#include "tests/platform/image_fixture.h"
#include "tests/platform/image_fuzz_entry.h"

namespace fs = std::filesystem;

namespace {

const char* kind_name(ImageFileKind kind) {
  static const char* const names[] = {"tif", "pcx", "tga", "bmp", "jpg", "png"};
  return names[kind];
}

// A sound small file of each kind.
ImageBytes sound_file(ImageFileKind kind) {
  switch (kind) {
    case IMAGE_KIND_TIF: return tiff_bytes();
    case IMAGE_KIND_PCX: return pcx256_bytes(9, 6);
    case IMAGE_KIND_TGA: return tga_bytes(7, 5, 6);
    case IMAGE_KIND_BMP: return bmp_bytes(7, 5, 8, 6);
    case IMAGE_KIND_JPG: return jpeg_bytes();
    case IMAGE_KIND_PNG: return png_bytes();
  }
  return {};
}

struct DamagedCase {
  std::string name;
  ImageFileKind kind;
  ImageBytes bytes;
  const char* reason;  // words the refusal must hold
};

std::vector<DamagedCase> damaged_cases() {
  const ImageBytes tif = tiff_bytes(), png = png_bytes(), jpg = jpeg_bytes();
  const ImageBytes bmp = bmp_bytes(7, 5, 8, 6), bmp_runs = bmp_bytes(7, 5, 8, 6, true);
  const ImageBytes pcx = pcx256_bytes(9, 6), tga = tga_bytes(7, 5, 6), tga_runs = tga_bytes(7, 5, 6, true);
  // A 256-colour PCX whose first row is one run of 63 bytes in a row of 10.
  ImageBytes pcx_long_run = cut_to(pcx, 128);
  pcx_long_run.push_back(0xFF);
  pcx_long_run.push_back(7);
  pcx_long_run.insert(pcx_long_run.end(), pcx.end() - 769, pcx.end());
  // An RLE8 BMP whose first run is 9 pixels in a row of 7 (8 stored).
  ImageBytes bmp_long_run = bmp_runs;
  bmp_long_run[14 + 40 + 4 * 6] = 9;
  // A run-length TGA whose last packet runs past the image.
  ImageBytes tga_long_run = tga_runs;
  tga_long_run[tga_long_run.size() - 2] = 0x80 | 9;
  // Colour indices past the palette: a palette cut to 2 entries, a map of 3.
  ImageBytes bmp_short_palette = with_u32(bmp, BMP_COLOURS_AT, 2);
  ImageBytes tga_short_map = with_u16(tga, TGA_MAP_LENGTH_AT, 3);
  tga_short_map.erase(tga_short_map.begin() + 18 + 9, tga_short_map.begin() + 18 + 18);
  return {
      {"tif magic", IMAGE_KIND_TIF, with_byte(tif, 0, 'X'), "magic"},
      {"tif zero width", IMAGE_KIND_TIF, tiff_with_tag(tif, 256, 0), "size is zero"},
      {"tif huge", IMAGE_KIND_TIF, tiff_with_tag(tiff_with_tag(tif, 256, 1000000000), 257, 1000000000), ""},
      {"tif strip offset", IMAGE_KIND_TIF, tiff_with_tag(tif, 273, 0x7FFFFFF0), ""},
      {"png magic", IMAGE_KIND_PNG, with_byte(png, 1, 'Q'), "not a PNG"},
      {"png zero width", IMAGE_KIND_PNG, png_with_size(png, 0, 5), "IHDR"},
      {"png huge", IMAGE_KIND_PNG, png_with_size(png, 0x7FFFFFFF, 0x7FFFFFFF), "too large"},
      {"png indices past the palette", IMAGE_KIND_PNG, png_with_short_palette(png, 2), "past the palette"},
      {"jpg magic", IMAGE_KIND_JPG, with_byte(jpg, 1, 0xD9), "not a JPEG"},
      {"jpg zero width", IMAGE_KIND_JPG, jpeg_with_size(jpg, 0, 11), ""},
      {"jpg huge", IMAGE_KIND_JPG, jpeg_with_size(jpg, 65500, 65500), "too large"},
      {"bmp magic", IMAGE_KIND_BMP, with_byte(bmp, 0, 'P'), "not a BMP"},
      {"bmp zero width", IMAGE_KIND_BMP, with_u32(bmp, BMP_WIDTH_AT, 0), "zero"},
      {"bmp huge", IMAGE_KIND_BMP, with_u32(with_u32(bmp, BMP_WIDTH_AT, 100000), BMP_HEIGHT_AT, 100000), "too large"},
      {"bmp offset", IMAGE_KIND_BMP, with_u32(bmp, BMP_OFFSET_AT, 0x7FFFFFFF), "offset"},
      {"bmp offset inside the header", IMAGE_KIND_BMP, with_u32(bmp, BMP_OFFSET_AT, 20), "offset"},
      {"bmp run past the row", IMAGE_KIND_BMP, bmp_long_run, "past the end of a row"},
      {"bmp indices past the palette", IMAGE_KIND_BMP, bmp_short_palette, "past the palette"},
      {"bmp palette larger than the depth", IMAGE_KIND_BMP, with_u32(bmp, BMP_COLOURS_AT, 300), "palette"},
      {"pcx magic", IMAGE_KIND_PCX, with_byte(pcx, 0, 11), "not a PCX"},
      {"pcx zero width", IMAGE_KIND_PCX, with_u16(pcx, PCX_X_MAX_AT, 0xFFFF), ""},
      {"pcx window backwards", IMAGE_KIND_PCX, with_u16(with_u16(pcx, 4, 9), PCX_X_MAX_AT, 3), "ends before it starts"},
      {"pcx huge", IMAGE_KIND_PCX, with_u16(with_u16(with_u16(pcx, PCX_X_MAX_AT, 65534), PCX_Y_MAX_AT, 65535), 66, 65535),
       "too large"},
      {"pcx run past the row", IMAGE_KIND_PCX, pcx_long_run, "past the end of a row"},
      {"pcx palette missing", IMAGE_KIND_PCX, with_byte(pcx, pcx.size() - 769, 0), "palette"},
      {"tga no image", IMAGE_KIND_TGA, with_byte(tga, 2, 0), "no image"},
      {"tga unknown type", IMAGE_KIND_TGA, with_byte(tga, 2, 33), "not supported"},
      {"tga zero width", IMAGE_KIND_TGA, with_u16(tga, TGA_WIDTH_AT, 0), "smaller"},
      {"tga huge", IMAGE_KIND_TGA, with_u16(with_u16(tga, TGA_WIDTH_AT, 65535), TGA_HEIGHT_AT, 65535), "too large"},
      {"tga run past the image", IMAGE_KIND_TGA, tga_long_run, "past the end of the image"},
      {"tga indices past the map", IMAGE_KIND_TGA, tga_short_map, "past the colour map"},
      {"tga identity past the end", IMAGE_KIND_TGA, with_byte(tga, TGA_ID_LENGTH_AT, 255), "cut short"},
  };
}

TEST(ImageDamaged, EveryDamageIsRefusedWithItsReason) {
  for (const DamagedCase& c : damaged_cases()) {
    reset_image_library();
    ImageDescriptor image;
    const auto start = std::chrono::steady_clock::now();
    const int result = image_read_bytes(c.kind, c.bytes, &image);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_NE(result, IMAGE_OK) << c.name;
    EXPECT_EQ(image.image == nullptr || result == IMAGE_OK || image.image->width < 65535, true) << c.name;
    EXPECT_NE(g_image_library.error.find(c.reason), std::string::npos) << c.name << ": " << g_image_library.error;
    EXPECT_EQ(g_image_library.error.rfind("bytes: ", 0), 0u) << c.name << ": " << g_image_library.error;
    // Nothing the size of the claimed image was touched.
    EXPECT_LT(seconds, 1.0) << c.name;
  }
}

TEST(ImageDamaged, EveryCutOfEveryKindIsRefused) {
  for (ImageFileKind kind : {IMAGE_KIND_TIF, IMAGE_KIND_PCX, IMAGE_KIND_TGA, IMAGE_KIND_BMP, IMAGE_KIND_JPG, IMAGE_KIND_PNG}) {
    const ImageBytes whole = sound_file(kind);
    ImageDescriptor image;
    ASSERT_EQ(image_read_bytes(kind, whole, &image), IMAGE_OK) << kind_name(kind) << ": " << g_image_library.error;
    int accepted = 0;
    std::string first;
    for (size_t size = 0; size < whole.size(); ++size) {
      reset_image_library();
      const ImageBytes cut = cut_to(whole, size);
      if (image_read_bytes(kind, cut, &image) == IMAGE_OK || g_image_library.error.empty()) {
        if (accepted++ == 0) first = std::to_string(size);
      }
    }
    EXPECT_EQ(accepted, 0) << kind_name(kind) << " of " << whole.size() << " bytes read when cut to " << first;
  }
}

// The same for the other layouts a reader has: tiles, Group 4, progressive, interlaced, RLE.
TEST(ImageDamaged, CutsOfOtherLayoutsAreRefused) {
  const struct {
    const char* name;
    ImageFileKind kind;
    ImageBytes bytes;
  } files[] = {
      {"tiled lzw tif", IMAGE_KIND_TIF, tiff_bytes(8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW, true)},
      {"group 4 tif", IMAGE_KIND_TIF, tiff_bytes(1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4)},
      {"16-bit tif", IMAGE_KIND_TIF, tiff_bytes(16, 3, PHOTOMETRIC_RGB)},
      {"progressive jpg", IMAGE_KIND_JPG, jpeg_bytes(true)},
      {"grey png", IMAGE_KIND_PNG, png_bytes(PNG_COLOR_TYPE_GRAY, 1)},
      {"rle bmp", IMAGE_KIND_BMP, bmp_bytes(7, 5, 8, 6, true)},
      {"mono bmp", IMAGE_KIND_BMP, bmp_bytes(13, 4, 1, 2)},
      {"rle tga", IMAGE_KIND_TGA, tga_bytes(7, 5, 6, true)},
      {"planar pcx", IMAGE_KIND_PCX, planar_pcx(13, 5, 4)},
  };
  for (const auto& file : files) {
    ImageDescriptor image;
    ASSERT_EQ(image_read_bytes(file.kind, file.bytes, &image), IMAGE_OK) << file.name << ": " << g_image_library.error;
    for (size_t size = 0; size < file.bytes.size(); ++size) {
      ASSERT_NE(image_read_bytes(file.kind, cut_to(file.bytes, size), &image), IMAGE_OK) << file.name << " cut to " << size;
    }
  }
}

TEST(ImageDamaged, RefusalsNameTheFile) {
  const fs::path folder = make_test_folder("brenvik_image");
  const std::string file = (folder / "scan.bmp").string();
  const ImageBytes bytes = with_u32(bmp_bytes(7, 5, 8, 6), BMP_OFFSET_AT, 0x7FFFFFFF);
  write_file_bytes(file, std::string(bytes.begin(), bytes.end()));
  ImageInfo info;
  ImageDescriptor image;
  EXPECT_EQ(load_image_file(IMAGE_KIND_BMP, file, &image), IMAGE_ERROR_BAD_FILE);
  EXPECT_EQ(g_image_library.error.rfind("scan.bmp: ", 0), 0u) << g_image_library.error;
  EXPECT_EQ(image_bmp_info((folder / "missing.bmp").string().c_str(), &info), IMAGE_ERROR_NOT_FOUND);
  EXPECT_EQ(g_image_library.error.rfind("missing.bmp: ", 0), 0u) << g_image_library.error;
  EXPECT_EQ(image_load_bif((folder / "old.bif").string().c_str(), &image), IMAGE_ERROR_UNSUPPORTED);
  EXPECT_NE(g_image_library.error.find("BIF"), std::string::npos);
  fs::remove_all(folder);
  reset_image_library();
}

// ---- Fuzz corpora ------------------------------------------------------------------------------

// Seeds of each reader's corpus: sound files of its layouts and a few damaged ones.
std::vector<std::pair<std::string, ImageBytes>> corpus_seeds(ImageFileKind kind) {
  std::vector<std::pair<std::string, ImageBytes>> seeds = {{"sound", sound_file(kind)}};
  switch (kind) {
    case IMAGE_KIND_TIF:
      seeds.push_back({"tiled_lzw", tiff_bytes(8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW, true)});
      seeds.push_back({"group4", tiff_bytes(1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4)});
      seeds.push_back({"palette4", tiff_bytes(4, 1, PHOTOMETRIC_PALETTE)});
      seeds.push_back({"cmyk", tiff_bytes(8, 4, PHOTOMETRIC_SEPARATED)});
      seeds.push_back({"rgb16", tiff_bytes(16, 3, PHOTOMETRIC_RGB)});
      break;
    case IMAGE_KIND_PNG:
      seeds.push_back({"grey1", png_bytes(PNG_COLOR_TYPE_GRAY, 1)});
      seeds.push_back({"rgba16", png_bytes(PNG_COLOR_TYPE_RGB_ALPHA, 16)});
      seeds.push_back({"grey_alpha", png_bytes(PNG_COLOR_TYPE_GRAY_ALPHA, 8)});
      break;
    case IMAGE_KIND_JPG:
      seeds.push_back({"progressive", jpeg_bytes(true)});
      break;
    case IMAGE_KIND_BMP:
      seeds.push_back({"rle8", bmp_bytes(7, 5, 8, 6, true)});
      seeds.push_back({"mono", bmp_bytes(13, 4, 1, 2)});
      seeds.push_back({"colour", bmp_bytes(5, 3, 24, 0)});
      seeds.push_back({"bad_offset", with_u32(bmp_bytes(7, 5, 8, 6), BMP_OFFSET_AT, 0x7FFFFFFF)});
      break;
    case IMAGE_KIND_PCX:
      seeds.push_back({"planar16", planar_pcx(13, 5, 4)});
      seeds.push_back({"mono", planar_pcx(11, 4, 1)});
      break;
    case IMAGE_KIND_TGA:
      seeds.push_back({"rle", tga_bytes(7, 5, 6, true)});
      break;
  }
  return seeds;
}

class ImageCorpus : public ::testing::TestWithParam<ImageFileKind> {};

TEST_P(ImageCorpus, Replays) {
  const ImageFileKind kind = GetParam();
  const std::string folder = std::string(IMAGE_CORPUS_DIR) + "/" + kind_name(kind);
  if (const char* target = std::getenv("WRITE_IMAGE_CORPUS")) {
    const std::string out = std::string(target) + "/" + kind_name(kind);
    fs::create_directories(out);
    for (const auto& [name, bytes] : corpus_seeds(kind)) write_file_bytes(out + "/" + name, std::string(bytes.begin(), bytes.end()));
  }
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    SCOPED_TRACE(entry.path().filename().string());
    const std::string bytes = read_file_bytes(entry.path().string());
    check_image_input(kind, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  EXPECT_GE(files, 2);
}

INSTANTIATE_TEST_SUITE_P(Readers, ImageCorpus,
                         ::testing::Values(IMAGE_KIND_TIF, IMAGE_KIND_PCX, IMAGE_KIND_TGA, IMAGE_KIND_BMP, IMAGE_KIND_JPG,
                                           IMAGE_KIND_PNG),
                         [](const ::testing::TestParamInfo<ImageFileKind>& info) { return std::string(kind_name(info.param)); });

}  // namespace
