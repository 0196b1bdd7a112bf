// The readers of the raster-image library, pixel for pixel against ImageMagick: files written
// here by libpng, libjpeg-turbo and libtiff, by `convert` as an independent writer, and PCX files
// built by hand, each read by the library and by `convert` (transparent parts over white).
// Then the other way round: what the library writes, `convert` reads with the same pixels and
// resolution.
#include <functional>

#include "tests/platform/image_fixture.h"
#include "tests/platform/image_writers.h"

namespace {

struct FileCase {
  const char* name;               // the file written, its extension naming its kind
  ImageFileKind kind;
  int bits;                       // the depth it must take in memory
  std::function<bool(const std::string& path, const std::string& folder)> write;
  int tolerance = 0;              // levels a channel
  const char* convert_options = "";
};

std::function<bool(const std::string&, const std::string&)> png(PngSpec spec) {
  return [spec](const std::string& path, const std::string&) { return write_png_file(path, spec); };
}
std::function<bool(const std::string&, const std::string&)> jpeg(JpegSpec spec) {
  return [spec](const std::string& path, const std::string&) { return write_jpeg_file(path, spec); };
}
std::function<bool(const std::string&, const std::string&)> tiff(TiffSpec spec) {
  return [spec](const std::string& path, const std::string&) { return write_tiff_file(path, spec); };
}
// `convert` writes the file from a colour PNG of the test picture, with its options, in the
// format named by `format` ("BMP3:", "PCX:", "TGA:").
std::function<bool(const std::string&, const std::string&)> by_convert(std::string options, std::string format) {
  return [options, format](const std::string& path, const std::string& folder) {
    PngSpec source;
    source.width = 37;
    source.height = 21;
    const std::string from = folder + "/source.png";
    if (!write_png_file(from, source)) return false;
    return std::system(("convert " + quoted(from) + " " + options + " " + quoted(format + path)).c_str()) == 0;
  };
}
std::function<bool(const std::string&, const std::string&)> hand_pcx(int width, int height, int planes) {
  return [width, height, planes](const std::string& path, const std::string&) {
    const std::vector<uint8_t> bytes = planar_pcx(width, height, planes);
    write_file_bytes(path, std::string(bytes.begin(), bytes.end()));
    return true;
  };
}

PngSpec png_spec(int colour_type, int depth, bool interlaced = false, bool transparency = false) {
  PngSpec spec;
  spec.colour_type = colour_type;
  spec.bit_depth = depth;
  spec.interlaced = interlaced;
  spec.transparency = transparency;
  return spec;
}

TiffSpec tiff_spec(int bits, int samples, int photometric, int compression = COMPRESSION_NONE) {
  TiffSpec spec;
  spec.bits = bits;
  spec.samples = samples;
  spec.photometric = photometric;
  spec.compression = compression;
  return spec;
}

TiffSpec with(TiffSpec spec, const std::function<void(TiffSpec&)>& change) {
  change(spec);
  return spec;
}

JpegSpec jpeg_spec(int components, bool progressive = false, bool full_chroma = false) {
  JpegSpec spec;
  spec.components = components;
  spec.progressive = progressive;
  spec.full_chroma = full_chroma;
  return spec;
}

const std::vector<FileCase>& file_cases() {
  static const std::vector<FileCase> cases = {
      // libpng: every colour type and depth, transparency, interlacing.
      {"grey1.png", IMAGE_KIND_PNG, 1, png(png_spec(PNG_COLOR_TYPE_GRAY, 1))},
      {"grey2.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_GRAY, 2))},
      {"grey4.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_GRAY, 4))},
      {"grey8.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_GRAY, 8))},
      {"grey16.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_GRAY, 16)), 1},
      {"grey8_transparent.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_GRAY, 8, false, true))},
      {"grey2_transparent.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_GRAY, 2, false, true))},
      {"grey_alpha8.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_GRAY_ALPHA, 8))},
      {"grey_alpha16.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_GRAY_ALPHA, 16)), 1},
      {"palette1.png", IMAGE_KIND_PNG, 1, png(png_spec(PNG_COLOR_TYPE_PALETTE, 1))},
      {"palette2.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_PALETTE, 2))},
      {"palette4.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_PALETTE, 4))},
      {"palette8.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_PALETTE, 8))},
      {"palette8_alpha.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_PALETTE, 8, false, true))},
      {"rgb8.png", IMAGE_KIND_PNG, 24, png(png_spec(PNG_COLOR_TYPE_RGB, 8))},
      {"rgb16.png", IMAGE_KIND_PNG, 24, png(png_spec(PNG_COLOR_TYPE_RGB, 16)), 1},
      {"rgb8_transparent.png", IMAGE_KIND_PNG, 24, png(png_spec(PNG_COLOR_TYPE_RGB, 8, false, true))},
      {"rgba8.png", IMAGE_KIND_PNG, 24, png(png_spec(PNG_COLOR_TYPE_RGB_ALPHA, 8))},
      {"rgba16.png", IMAGE_KIND_PNG, 24, png(png_spec(PNG_COLOR_TYPE_RGB_ALPHA, 16)), 1},
      {"interlaced_grey1.png", IMAGE_KIND_PNG, 1, png(png_spec(PNG_COLOR_TYPE_GRAY, 1, true))},
      {"interlaced_palette4.png", IMAGE_KIND_PNG, 8, png(png_spec(PNG_COLOR_TYPE_PALETTE, 4, true))},
      {"interlaced_rgb8.png", IMAGE_KIND_PNG, 24, png(png_spec(PNG_COLOR_TYPE_RGB, 8, true))},
      {"interlaced_rgba8.png", IMAGE_KIND_PNG, 24, png(png_spec(PNG_COLOR_TYPE_RGB_ALPHA, 8, true))},
      // libjpeg-turbo: baseline 4:2:0 and 4:4:4, progressive, grey, CMYK.
      {"colour420.jpg", IMAGE_KIND_JPG, 24, jpeg(jpeg_spec(3))},
      {"colour444.jpg", IMAGE_KIND_JPG, 24, jpeg(jpeg_spec(3, false, true))},
      {"progressive.jpg", IMAGE_KIND_JPG, 24, jpeg(jpeg_spec(3, true))},
      {"grey.jpg", IMAGE_KIND_JPG, 8, jpeg(jpeg_spec(1))},
      {"progressive_grey.jpg", IMAGE_KIND_JPG, 8, jpeg(jpeg_spec(1, true))},
      {"cmyk.jpg", IMAGE_KIND_JPG, 24, jpeg(jpeg_spec(4)), 1},
      // libtiff: 1 to 16 bits, palettes, alpha, LZW, Group 4, PackBits, tiles, planes, CMYK.
      {"black1.tif", IMAGE_KIND_TIF, 1, tiff(tiff_spec(1, 1, PHOTOMETRIC_MINISBLACK))},
      {"white1_group4.tif", IMAGE_KIND_TIF, 1, tiff(tiff_spec(1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4))},
      {"grey2.tif", IMAGE_KIND_TIF, 8, tiff(tiff_spec(2, 1, PHOTOMETRIC_MINISBLACK))},
      {"grey4.tif", IMAGE_KIND_TIF, 8, tiff(tiff_spec(4, 1, PHOTOMETRIC_MINISBLACK))},
      {"white8.tif", IMAGE_KIND_TIF, 8, tiff(tiff_spec(8, 1, PHOTOMETRIC_MINISWHITE))},
      {"grey8_lzw.tif", IMAGE_KIND_TIF, 8, tiff(tiff_spec(8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW))},
      {"grey8_packbits.tif", IMAGE_KIND_TIF, 8, tiff(tiff_spec(8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_PACKBITS))},
      {"grey16.tif", IMAGE_KIND_TIF, 8, tiff(tiff_spec(16, 1, PHOTOMETRIC_MINISBLACK)), 1},
      {"palette1.tif", IMAGE_KIND_TIF, 1, tiff(tiff_spec(1, 1, PHOTOMETRIC_PALETTE))},
      {"palette4.tif", IMAGE_KIND_TIF, 8, tiff(tiff_spec(4, 1, PHOTOMETRIC_PALETTE))},
      {"palette8.tif", IMAGE_KIND_TIF, 8, tiff(tiff_spec(8, 1, PHOTOMETRIC_PALETTE, COMPRESSION_LZW))},
      {"rgb8_lzw.tif", IMAGE_KIND_TIF, 24, tiff(tiff_spec(8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW))},
      {"rgb16.tif", IMAGE_KIND_TIF, 24, tiff(tiff_spec(16, 3, PHOTOMETRIC_RGB)), 1},
      {"rgba8.tif", IMAGE_KIND_TIF, 24,
       tiff(with(tiff_spec(8, 4, PHOTOMETRIC_RGB), [](TiffSpec& s) { s.extra = EXTRASAMPLE_UNASSALPHA; }))},
      {"rgba8_associated.tif", IMAGE_KIND_TIF, 24,
       tiff(with(tiff_spec(8, 4, PHOTOMETRIC_RGB), [](TiffSpec& s) { s.extra = EXTRASAMPLE_ASSOCALPHA; })), 1},
      {"rgba16.tif", IMAGE_KIND_TIF, 24,
       tiff(with(tiff_spec(16, 4, PHOTOMETRIC_RGB), [](TiffSpec& s) { s.extra = EXTRASAMPLE_UNASSALPHA; })), 1},
      {"grey_alpha8.tif", IMAGE_KIND_TIF, 8,
       tiff(with(tiff_spec(8, 2, PHOTOMETRIC_MINISBLACK), [](TiffSpec& s) { s.extra = EXTRASAMPLE_UNASSALPHA; }))},
      {"tiled_rgb.tif", IMAGE_KIND_TIF, 24, tiff(with(tiff_spec(8, 3, PHOTOMETRIC_RGB), [](TiffSpec& s) { s.tiled = true; }))},
      {"tiled_rgba16.tif", IMAGE_KIND_TIF, 24, tiff(with(tiff_spec(16, 4, PHOTOMETRIC_RGB), [](TiffSpec& s) {
         s.tiled = true;
         s.extra = EXTRASAMPLE_UNASSALPHA;
       })), 1},
      {"tiled_mono.tif", IMAGE_KIND_TIF, 1,
       tiff(with(tiff_spec(1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4), [](TiffSpec& s) { s.tiled = true; }))},
      {"tiled_planes.tif", IMAGE_KIND_TIF, 24, tiff(with(tiff_spec(8, 3, PHOTOMETRIC_RGB), [](TiffSpec& s) {
         s.tiled = true;
         s.separate = true;
       }))},
      {"tiled_grey.tif", IMAGE_KIND_TIF, 8,
       tiff(with(tiff_spec(8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW), [](TiffSpec& s) { s.tiled = true; }))},
      {"planes_rgb.tif", IMAGE_KIND_TIF, 24, tiff(with(tiff_spec(8, 3, PHOTOMETRIC_RGB), [](TiffSpec& s) { s.separate = true; }))},
      {"cmyk.tif", IMAGE_KIND_TIF, 24, tiff(tiff_spec(8, 4, PHOTOMETRIC_SEPARATED)), 1},
      // convert as the writer: BMP of 1 to 24 bits and RLE8, PCX of 8 and 24 bits, TGA.
      {"mono.bmp", IMAGE_KIND_BMP, 1, by_convert("-colors 2 -type palette", "BMP3:")},
      {"colours16.bmp", IMAGE_KIND_BMP, 8, by_convert("-colors 16 -type palette", "BMP3:")},
      {"colours200.bmp", IMAGE_KIND_BMP, 8, by_convert("-colors 200 -type palette", "BMP3:")},
      {"rle8.bmp", IMAGE_KIND_BMP, 8, by_convert("-colors 40 -type palette -compress RLE", "BMP3:")},
      {"rgb555.bmp", IMAGE_KIND_BMP, 24, by_convert("-define bmp:subtype=RGB555", "BMP:")},
      {"rgb24.bmp", IMAGE_KIND_BMP, 24, by_convert("", "BMP3:")},
      {"colours8.pcx", IMAGE_KIND_PCX, 8, by_convert("-colors 200 -type palette", "PCX:")},
      {"colours24.pcx", IMAGE_KIND_PCX, 24, by_convert("", "PCX:")},
      {"mapped.tga", IMAGE_KIND_TGA, 8, by_convert("-colors 100 -type palette", "TGA:"), 0, "-auto-orient"},
      {"mapped_rle.tga", IMAGE_KIND_TGA, 8, by_convert("-colors 100 -type palette -compress RLE", "TGA:"), 0, "-auto-orient"},
      {"grey.tga", IMAGE_KIND_TGA, 8, by_convert("-colorspace gray", "TGA:"), 0, "-auto-orient"},
      {"colour_rle.tga", IMAGE_KIND_TGA, 24, by_convert("-compress RLE", "TGA:"), 0, "-auto-orient"},
      {"colour.tga", IMAGE_KIND_TGA, 24, by_convert("", "TGA:"), 0, "-auto-orient"},
      {"alpha.tga", IMAGE_KIND_TGA, 24, by_convert("-alpha set -channel A -fx 'i/w' +channel", "TGA:"), 0, "-auto-orient"},
      // PCX built by hand: 1-bit and 2, 8 and 16 colours in planes, widths no multiple of 8.
      {"mono13.pcx", IMAGE_KIND_PCX, 1, hand_pcx(13, 7, 1)},
      {"mono37.pcx", IMAGE_KIND_PCX, 1, hand_pcx(37, 11, 1)},
      {"planes2.pcx", IMAGE_KIND_PCX, 8, hand_pcx(21, 9, 2)},
      {"planes3.pcx", IMAGE_KIND_PCX, 8, hand_pcx(19, 9, 3)},
      {"colours16_odd.pcx", IMAGE_KIND_PCX, 8, hand_pcx(29, 13, 4)},
  };
  return cases;
}

// "" when the case's file reads as it should, else what went wrong.
std::string check_file_case(const FileCase& c, const std::string& file, const std::string& folder) {
  if (!c.write(file, folder)) return "the test could not write the file";
  ImageDescriptor image;
  if (load_image_file(c.kind, file, &image) != IMAGE_OK) return "refused: " + g_image_library.error;
  if (image.image->bits != c.bits) return "loaded at " + std::to_string(image.image->bits) + " bits";
  const RgbPicture theirs = convert_read(file, c.convert_options);
  if (theirs.width == 0) return "convert could not read it";
  return picture_difference(rgb_of(image), theirs, c.tolerance);
}

// One test a file, so that the table runs side by side.
class EveryFile : public ImageFileTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(EveryFile, ReadsAsConvertReadsIt) {
  const FileCase& c = file_cases()[GetParam()];
  EXPECT_EQ(check_file_case(c, path(c.name), folder_.string()), "") << c.name;
}

INSTANTIATE_TEST_SUITE_P(Image, EveryFile, ::testing::Range<size_t>(0, file_cases().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           std::string name = file_cases()[info.param].name;
                           std::replace(name.begin(), name.end(), '.', '_');
                           return name;
                         });

// ImageMagick turns 2- and 4-bit grey the wrong way when 0 is white; libtiff's own reader is
// the judge of those.
TEST_F(ImageFileTest, ZeroIsWhiteAtEveryGreyDepth) {
  for (int bits : {2, 4, 8, 16}) {
    SCOPED_TRACE(bits);
    const std::string file = path("white" + std::to_string(bits) + ".tif");
    ASSERT_TRUE(write_tiff_file(file, tiff_spec(bits, 1, PHOTOMETRIC_MINISWHITE)));
    ImageDescriptor image;
    ASSERT_EQ(load_image_file(IMAGE_KIND_TIF, file, &image), IMAGE_OK) << g_image_library.error;
    TIFF* tif = TIFFOpen(file.c_str(), "r");
    ASSERT_NE(tif, nullptr);
    const int w = image.image->width, h = image.image->height;
    std::vector<uint32_t> raster(static_cast<size_t>(w) * h);
    ASSERT_EQ(TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 1), 1);
    TIFFClose(tif);
    RgbPicture theirs;
    theirs.width = w;
    theirs.height = h;
    for (uint32_t pixel : raster) {
      for (uint32_t channel : {TIFFGetR(pixel), TIFFGetG(pixel), TIFFGetB(pixel)}) theirs.rgb.push_back(static_cast<uint8_t>(channel));
    }
    EXPECT_EQ(picture_difference(rgb_of(image), theirs, bits == 16 ? 1 : 0), "");
  }
}

// A grey image is one whose indices are its levels, so the grey operations can work on them.
TEST_F(ImageFileTest, GreyFilesLoadAsTheGreyRamp) {
  for (const FileCase& c : file_cases()) {
    const std::string name = c.name;
    if (name.find("grey") == std::string::npos || c.bits != 8) continue;
    ImageDescriptor image;
    EXPECT_TRUE(c.write(path(name), folder_.string()) && load_image_file(c.kind, path(name), &image) == IMAGE_OK &&
                image.image->grey && image_is_grey(image))
        << name << " " << g_image_library.error;
  }
}

struct ResolutionCase {
  const char* name;
  std::function<bool(const std::string&)> write;
  ImageFileKind kind;
  int64_t pixels_per_metre;  // what the info gives
};

TEST_F(ImageFileTest, ResolutionsComeFromTheHeaders) {
  const std::vector<ResolutionCase> cases = {
      {"inch300.tif", [](const std::string& p) {
         return write_tiff_file(p, with(tiff_spec(8, 1, PHOTOMETRIC_MINISBLACK), [](TiffSpec& s) { s.x_resolution = 300; }));
       }, IMAGE_KIND_TIF, 11811},
      // libtiff gives centimetre units in pixels per centimetre: 118.11 is 300 dots per inch.
      {"cm118.tif", [](const std::string& p) {
         return write_tiff_file(p, with(tiff_spec(8, 1, PHOTOMETRIC_MINISBLACK), [](TiffSpec& s) {
                                  s.x_resolution = 118.11f;
                                  s.resolution_unit = RESUNIT_CENTIMETER;
                                }));
       }, IMAGE_KIND_TIF, 11811},
      {"none.tif", [](const std::string& p) {
         return write_tiff_file(p, with(tiff_spec(8, 1, PHOTOMETRIC_MINISBLACK), [](TiffSpec& s) {
                                  s.x_resolution = 72;
                                  s.resolution_unit = RESUNIT_NONE;
                                }));
       }, IMAGE_KIND_TIF, 0},
      {"dpi300.pcx", [](const std::string& p) {
         const std::vector<uint8_t> bytes = planar_pcx(13, 7, 1, 300);
         write_file_bytes(p, std::string(bytes.begin(), bytes.end()));
         return true;
       }, IMAGE_KIND_PCX, 11811},
      // Only a version-5 header holds a resolution; an older one says nothing (not 1 dpi).
      {"version3.pcx", [](const std::string& p) {
         std::vector<uint8_t> bytes = planar_pcx(13, 7, 1, 300);
         bytes[1] = 3;
         write_file_bytes(p, std::string(bytes.begin(), bytes.end()));
         return true;
       }, IMAGE_KIND_PCX, 0},
      {"dpi96.jpg", [](const std::string& p) {
         JpegSpec spec;
         spec.density_unit = 1;
         spec.density = 96;
         return write_jpeg_file(p, spec);
       }, IMAGE_KIND_JPG, 3780},
  };
  for (const ResolutionCase& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.write(path(c.name)));
    ImageDescriptor image;
    ImageInfo info;
    ASSERT_EQ(load_image_file(c.kind, path(c.name), &image, &info), IMAGE_OK) << g_image_library.error;
    EXPECT_EQ(info.x_pixels_per_metre, c.pixels_per_metre);
    EXPECT_EQ(info.y_pixels_per_metre, c.pixels_per_metre);
  }
}

TEST_F(ImageFileTest, TifResolutionTagsAsStored) {
  ASSERT_TRUE(write_tiff_file(path("cm.tif"), with(tiff_spec(8, 1, PHOTOMETRIC_MINISBLACK), [](TiffSpec& s) {
                                s.x_resolution = 118.11f;
                                s.y_resolution = 59.0f;
                                s.resolution_unit = RESUNIT_CENTIMETER;
                              })));
  double x = 0, y = 0;
  int unit = 0;
  ASSERT_EQ(image_tif_resolution(path("cm.tif").c_str(), &x, &y, &unit), IMAGE_OK);
  EXPECT_NEAR(x, 118.11, 1e-3);
  EXPECT_NEAR(y, 59.0, 1e-3);
  EXPECT_EQ(unit, 3);
  ASSERT_TRUE(write_tiff_file(path("plain.tif"), tiff_spec(8, 1, PHOTOMETRIC_MINISBLACK)));
  ASSERT_EQ(image_tif_resolution(path("plain.tif").c_str(), &x, &y, &unit), IMAGE_OK);
  EXPECT_EQ(x, 0.0);
  EXPECT_EQ(unit, 1);
}

// ---- What the library writes -------------------------------------------------------------------

// The test picture in memory at a depth: 1 bit, 8-bit grey, 8-bit palette or 24-bit colour.
ImageDescriptor picture_image(int bits, bool grey, int width = 33, int height = 19) {
  ImageDescriptor image;
  EXPECT_EQ(image_alloc(&image, width, height, bits), IMAGE_OK);
  ImagePixels& p = *image.image;
  if (bits == 8 && !grey) {
    p.palette.clear();
    for (int i = 0; i < 256; ++i) p.palette.push_back(static_cast<uint32_t>((i * 37 % 256) << 16 | (255 - i) << 8 | (i * 5 % 256)));
    p.grey = false;
  }
  for (int y = 0; y < height; ++y) {
    uint8_t* row = p.rows.data() + static_cast<size_t>(height - 1 - y) * p.row_bytes;
    for (int x = 0; x < width; ++x) {
      if (bits == 1) {
        if (picture_level(x, y, 0) & 0x40) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
      } else if (bits == 8) {
        row[x] = picture_level(x, y, 0);
      } else {
        for (int c = 0; c < 3; ++c) row[3 * x + c] = picture_level(x, y, c);
      }
    }
  }
  p.x_pixels_per_metre = p.y_pixels_per_metre = 11811;  // 300 dots per inch
  return image;
}

// The resolution convert reads, in dots per inch.
double convert_dpi(const std::string& file) {
  const std::string out = command_output("identify -units PixelsPerInch -format '%x' " + quoted(file) + " 2>/dev/null");
  return std::atof(out.c_str());
}

struct WrittenCase {
  const char* name;
  int bits;
  bool grey;
  bool palette_white_first;  // a 1-bit palette of white, then black
};

TEST_F(ImageFileTest, ConvertReadsWhatTheLibraryWrites) {
  const std::vector<WrittenCase> images = {
      {"mono", 1, false, false}, {"mono_white_first", 1, false, true}, {"grey", 8, true, false},
      {"palette", 8, false, false}, {"colour", 24, false, false}};
  const struct {
    const char* extension;
    int (*save)(const char*, const ImageDescriptor&);
    int most_bits;
  } writers[] = {{"bmp", image_save_bmp, 24}, {"pcx", image_save_pcx, 8}, {"tif", image_save_tif, 24}};
  for (const WrittenCase& c : images) {
    ImageDescriptor image = picture_image(c.bits, c.grey);
    if (c.palette_white_first) image.image->palette = {0xFFFFFFu, 0x000000u};
    for (const auto& writer : writers) {
      if (c.bits > writer.most_bits) continue;
      const std::string file = path(std::string(c.name) + "." + writer.extension);
      SCOPED_TRACE(file);
      ASSERT_EQ(writer.save(file.c_str(), image), IMAGE_OK) << g_image_library.error;
      EXPECT_EQ(picture_difference(rgb_of(image), convert_read(file), 0), "");
      EXPECT_NEAR(convert_dpi(file), 300.0, 0.01);
      // And the library reads its own file back as it was.
      ImageDescriptor back;
      const ImageFileKind kind = writer.extension[0] == 'b' ? IMAGE_KIND_BMP
                                 : writer.extension[0] == 'p' ? IMAGE_KIND_PCX : IMAGE_KIND_TIF;
      ImageInfo info;
      ASSERT_EQ(load_image_file(kind, file, &back, &info), IMAGE_OK) << g_image_library.error;
      EXPECT_EQ(back.image->bits, c.bits);
      EXPECT_EQ(info.x_pixels_per_metre, 11811);
      EXPECT_EQ(picture_difference(rgb_of(back), rgb_of(image), 0), "");
    }
  }
}

}  // namespace
