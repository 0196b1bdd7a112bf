// What the raster-image library does to images, judged by ImageMagick where it can judge: quarter
// turns, flips and the negative exactly as `convert` makes them, grey within one level of its
// Rec. 601 luma, colour reduction no worse than its own; and by measurement where it cannot:
// straightening, edges, sharing of descriptors.
#include <cmath>
#include <numbers>

#include "tests/platform/image_fixture.h"
#include "tests/platform/image_writers.h"

namespace {

// The test picture at a depth, written as PNG so that `convert` starts from the same pixels.
struct Source {
  const char* name;
  int colour_type;
  int bit_depth;
};

const Source SOURCES[] = {
    {"colour", PNG_COLOR_TYPE_RGB, 8},
    {"grey", PNG_COLOR_TYPE_GRAY, 8},
    {"palette", PNG_COLOR_TYPE_PALETTE, 8},
    {"mono", PNG_COLOR_TYPE_GRAY, 1},
};

class ImageOperationTest : public ImageFileTest {
 protected:
  // Writes the source and loads it.
  std::string load_source(const Source& source, ImageDescriptor* image, int width = 31, int height = 18) {
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colour_type = source.colour_type;
    spec.bit_depth = source.bit_depth;
    const std::string file = path(std::string(source.name) + ".png");
    EXPECT_TRUE(write_png_file(file, spec));
    EXPECT_EQ(load_image_file(IMAGE_KIND_PNG, file, image), IMAGE_OK) << g_image_library.error;
    return file;
  }
};

TEST_F(ImageOperationTest, QuarterTurnsAsConvertTurns) {
  for (const Source& source : SOURCES) {
    ImageDescriptor image;
    const std::string file = load_source(source, &image);
    for (int direction : {0, 1}) {
      SCOPED_TRACE(std::string(source.name) + " direction " + std::to_string(direction));
      ImageDescriptor turned;
      ASSERT_EQ(image_alloc(&turned, image.image->height, image.image->width, image.image->bits), IMAGE_OK);
      ASSERT_EQ(image_rotate_quarter(direction, image, &turned), IMAGE_OK);
      EXPECT_EQ(picture_difference(rgb_of(turned), convert_read(file, direction == 0 ? "-rotate 90" : "-rotate -90"), 0), "");
    }
  }
}

TEST_F(ImageOperationTest, FlipsAndNegativeAsConvertMakesThem) {
  const struct {
    std::vector<int> operations;
    const char* convert_options;
  } cases[] = {
      {{IMAGE_OP_FLIP_TOP_BOTTOM}, "-flip"},
      {{IMAGE_OP_MIRROR_LEFT_RIGHT}, "-flop"},
      {{IMAGE_OP_MIRROR_LEFT_RIGHT, IMAGE_OP_FLIP_TOP_BOTTOM}, "-rotate 180"},
      {{IMAGE_OP_NEGATIVE}, "-negate"},
      {{IMAGE_OP_NEGATIVE, IMAGE_OP_NEGATIVE}, ""},
  };
  for (const Source& source : SOURCES) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(source.name) + " " + c.convert_options);
      ImageDescriptor image;
      const std::string file = load_source(source, &image);
      const int bits = image.image->bits;
      for (int operation : c.operations) ASSERT_EQ(image_in_place(operation, &image), IMAGE_OK);
      EXPECT_EQ(image.image->bits, bits);
      EXPECT_EQ(picture_difference(rgb_of(image), convert_read(file, c.convert_options), 0), "");
    }
  }
}

TEST_F(ImageOperationTest, GreyWithinOneLevelOfRec601Luma) {
  for (const Source& source : {SOURCES[0], SOURCES[2]}) {
    SCOPED_TRACE(source.name);
    ImageDescriptor image;
    const std::string file = load_source(source, &image);
    ImageDescriptor grey;
    ASSERT_EQ(image_alloc(&grey, image.image->width, image.image->height, 8), IMAGE_OK);
    ASSERT_EQ(image_to_grey(image, &grey), IMAGE_OK);
    EXPECT_TRUE(image_is_grey(grey));
    EXPECT_EQ(picture_difference(rgb_of(grey), convert_read(file, "-grayscale Rec601Luma"), 1), "");
    // An 8-bit image turns grey in place, as the same pixels.
    if (image.image->bits == 8) {
      ImageDescriptor same;
      image_copy_descriptor(image, &same);
      ASSERT_EQ(image_to_grey(image, &same), IMAGE_OK);
      EXPECT_EQ(picture_difference(rgb_of(image), rgb_of(grey), 0), "");
    }
  }
}

TEST_F(ImageOperationTest, DepthsConvertWithoutLoss) {
  ImageDescriptor mono;
  load_source(SOURCES[3], &mono);
  // 1 bit to 8 and back, and to 24: the same picture each time.
  ImageDescriptor eight, back, colour;
  ASSERT_EQ(image_alloc(&eight, mono.image->width, mono.image->height, 8), IMAGE_OK);
  ASSERT_EQ(image_1bit_to_8bit(mono, &eight), IMAGE_OK);
  EXPECT_TRUE(image_is_grey(eight));
  ASSERT_EQ(image_alloc(&back, mono.image->width, mono.image->height, 1), IMAGE_OK);
  ASSERT_EQ(image_8bit_to_1bit(eight, &back, 0), IMAGE_OK);
  ASSERT_EQ(image_alloc(&colour, mono.image->width, mono.image->height, 24), IMAGE_OK);
  ASSERT_EQ(image_to_24bit(mono, &colour), IMAGE_OK);
  for (const ImageDescriptor* image : {&eight, &back, &colour}) {
    EXPECT_EQ(picture_difference(rgb_of(*image), rgb_of(mono), 0), "");
  }
  // Two colours other than black and white stay those colours at 8 bits.
  mono.image->palette = {0x102030u, 0xC0B0A0u};
  ASSERT_EQ(image_1bit_to_8bit(mono, &eight), IMAGE_OK);
  EXPECT_FALSE(image_is_grey(eight));
  EXPECT_EQ(picture_difference(rgb_of(eight), rgb_of(mono), 0), "");
  // A palette image to 24 bits.
  ImageDescriptor palette, expanded;
  load_source(SOURCES[2], &palette);
  ASSERT_EQ(image_alloc(&expanded, palette.image->width, palette.image->height, 24), IMAGE_OK);
  ASSERT_EQ(image_to_24bit(palette, &expanded), IMAGE_OK);
  EXPECT_EQ(picture_difference(rgb_of(expanded), rgb_of(palette), 0), "");
}

TEST_F(ImageOperationTest, OneBitIsAThresholdAtTheMiddle) {
  ImageDescriptor grey, mono;
  ASSERT_EQ(image_alloc(&grey, 256, 2, 8), IMAGE_OK);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 256; ++x) grey.image->rows[y * grey.image->row_bytes + x] = static_cast<uint8_t>(x);
  ASSERT_EQ(image_alloc(&mono, 256, 2, 1), IMAGE_OK);
  ASSERT_EQ(image_8bit_to_1bit(grey, &mono, 0), IMAGE_OK);
  EXPECT_EQ(image_pixel_rgb(mono, 127, 0), 0x000000u);
  EXPECT_EQ(image_pixel_rgb(mono, 128, 0), 0xFFFFFFu);
  EXPECT_EQ(image_8bit_to_1bit(grey, &mono, 1), IMAGE_ERROR_BAD_IMAGE);
}

// ---- Colour reduction --------------------------------------------------------------------------

int count_colours(const RgbPicture& picture) {
  std::vector<uint32_t> colours;
  for (size_t i = 0; i < picture.rgb.size(); i += 3) {
    colours.push_back(uint32_t{picture.rgb[i]} << 16 | uint32_t{picture.rgb[i + 1]} << 8 | picture.rgb[i + 2]);
  }
  std::sort(colours.begin(), colours.end());
  return static_cast<int>(std::unique(colours.begin(), colours.end()) - colours.begin());
}

TEST_F(ImageOperationTest, FewColoursAreKeptExactly) {
  // A palette picture of up to 256 colours, at 24 bits, comes back with the very same colours.
  ImageDescriptor palette, colour, reduced;
  load_source(SOURCES[2], &palette, 97, 61);
  ASSERT_EQ(image_alloc(&colour, 97, 61, 24), IMAGE_OK);
  ASSERT_EQ(image_to_24bit(palette, &colour), IMAGE_OK);
  ASSERT_EQ(image_alloc(&reduced, 97, 61, 8), IMAGE_OK);
  ASSERT_EQ(image_reduce_colours(256, colour, &reduced, 2), IMAGE_OK);
  EXPECT_EQ(picture_difference(rgb_of(reduced), rgb_of(palette), 0), "");
  EXPECT_LE(reduced.image->palette.size(), 256u);
  EXPECT_EQ(image_reduce_colours(256, colour, &colour, 2), IMAGE_ERROR_BAD_IMAGE);
  EXPECT_EQ(image_reduce_colours(1, colour, &reduced, 2), IMAGE_ERROR_BAD_IMAGE);
}

TEST_F(ImageOperationTest, ManyColoursReduceNoWorseThanConvert) {
  const std::string photo = path("photo.png");
  ASSERT_EQ(std::system(("convert -size 320x240 -seed 7 plasma:fractal -blur 0x1 " + quoted(photo)).c_str()), 0);
  ImageDescriptor image, reduced;
  ASSERT_EQ(load_image_file(IMAGE_KIND_PNG, photo, &image), IMAGE_OK) << g_image_library.error;
  ASSERT_GT(count_colours(rgb_of(image)), 256);
  ASSERT_EQ(image_alloc(&reduced, image.image->width, image.image->height, 8), IMAGE_OK);
  ASSERT_EQ(image_reduce_colours(256, image, &reduced, 2), IMAGE_OK);
  const RgbPicture original = rgb_of(image);
  const RgbPicture ours = rgb_of(reduced);
  EXPECT_LE(count_colours(ours), 256);
  const double our_error = mean_error(ours, original);
  const double their_error = mean_error(convert_read(photo, "-colors 256 +dither"), original);
  EXPECT_LE(our_error, 1.25 * their_error) << "ours " << our_error << ", convert's " << their_error;
}

// ---- Rotation by an angle ----------------------------------------------------------------------

// Row of the middle of the dark pixels in column x; -1 when the column has none.
double dark_row(const ImageDescriptor& image, int x) {
  double sum = 0.0;
  int count = 0;
  for (int y = 0; y < image.image->height; ++y) {
    if ((image_pixel_rgb(image, x, y) & 0xFF) < 128) {
      sum += y;
      ++count;
    }
  }
  return count == 0 ? -1.0 : sum / count;
}

TEST_F(ImageOperationTest, ALineAtThreeDegreesIsLevelAfterTurningBack) {
  for (int bits : {8, 24}) {
    SCOPED_TRACE(bits);
    const int width = 600, height = 300;
    ImageDescriptor image;
    ASSERT_EQ(image_alloc(&image, width, height, bits), IMAGE_OK);
    image_fill(&image, 255);
    // A dark line three pixels thick, rising to the right at 3 degrees as it is seen.
    const double slope = std::tan(3.0 * std::numbers::pi / 180.0);
    for (int x = 100; x < 500; ++x) {
      const int centre = static_cast<int>(std::lround(200 - (x - 100) * slope));
      for (int y = centre - 1; y <= centre + 1; ++y) {
        uint8_t* row = image.image->rows.data() + static_cast<size_t>(height - 1 - y) * image.image->row_bytes;
        for (int b = 0; b < bits / 8; ++b) row[x * (bits / 8) + b] = 0;
      }
    }
    const double a = 3.0 * std::numbers::pi / 180.0;
    ImageDescriptor turned;
    ASSERT_EQ(image_alloc(&turned, static_cast<int>(std::lround(std::abs(std::cos(a)) * width + std::abs(std::sin(a)) * height)),
                          static_cast<int>(std::lround(std::abs(std::sin(a)) * width + std::abs(std::cos(a)) * height)), bits),
              IMAGE_OK);
    image_fill(&turned, 255);
    ASSERT_EQ(image_rotate(-3.0, image, &turned), IMAGE_OK);
    double lowest = 1e9, highest = -1e9;
    for (int x = 0; x < turned.image->width; ++x) {
      const double row = dark_row(turned, x);
      if (row < 0) continue;
      lowest = std::min(lowest, row);
      highest = std::max(highest, row);
    }
    EXPECT_LE(highest - lowest, 1.0);
    EXPECT_GT(highest, 0.0);
  }
}

TEST_F(ImageOperationTest, TurningKeepsTheTargetWhereNothingLands) {
  ImageDescriptor image, turned;
  ASSERT_EQ(image_alloc(&image, 40, 40, 24), IMAGE_OK);  // black
  ASSERT_EQ(image_alloc(&turned, 57, 57, 24), IMAGE_OK);
  image_fill(&turned, 255);
  ASSERT_EQ(image_rotate(45.0, image, &turned), IMAGE_OK);
  EXPECT_EQ(image_pixel_rgb(turned, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(image_pixel_rgb(turned, 28, 28), 0x000000u);
  // A half turn of a palette image takes whole pixels: the picture turned round exactly.
  ImageDescriptor palette, half;
  load_source(SOURCES[2], &palette, 20, 10);
  ASSERT_EQ(image_alloc(&half, 20, 10, 8), IMAGE_OK);
  ASSERT_EQ(image_rotate(180.0, palette, &half), IMAGE_OK);
  image_copy_palette(palette, &half);
  ImageDescriptor expected;
  image_copy_descriptor(palette, &expected);
  image_in_place(IMAGE_OP_MIRROR_LEFT_RIGHT, &expected);
  image_in_place(IMAGE_OP_FLIP_TOP_BOTTOM, &expected);
  EXPECT_EQ(picture_difference(rgb_of(half), rgb_of(expected), 0), "");
}

// ---- Edges -------------------------------------------------------------------------------------

TEST_F(ImageOperationTest, EdgesThenNegativeDrawDarkOutlinesOnWhite) {
  for (int bits : {1, 8, 24}) {
    SCOPED_TRACE(bits);
    ImageDescriptor image;
    ASSERT_EQ(image_alloc(&image, 40, 30, bits), IMAGE_OK);
    image_fill(&image, 255);
    // A black square from (10, 10) to (29, 19).
    ImagePixels& p = *image.image;
    for (int y = 10; y < 20; ++y) {
      uint8_t* row = p.rows.data() + static_cast<size_t>(p.height - 1 - y) * p.row_bytes;
      for (int x = 10; x < 30; ++x) {
        if (bits == 1) row[x / 8] &= static_cast<uint8_t>(~(0x80 >> (x % 8)));
        else for (int b = 0; b < bits / 8; ++b) row[x * (bits / 8) + b] = 0;
      }
    }
    ASSERT_EQ(image_in_place(IMAGE_OP_KEEP_EDGES, &image), IMAGE_OK);
    ASSERT_EQ(image_in_place(IMAGE_OP_NEGATIVE, &image), IMAGE_OK);
    EXPECT_EQ(image.image->bits, bits);
    const auto level = [&image](int x, int y) { return static_cast<int>(image_pixel_rgb(image, x, y) & 0xFF); };
    EXPECT_EQ(level(2, 2), 255);    // far outside
    EXPECT_EQ(level(20, 15), 255);  // inside the square
    EXPECT_LT(level(10, 15), 128);  // on its left edge
    EXPECT_LT(level(20, 19), 128);  // on its bottom edge
  }
}

TEST_F(ImageOperationTest, EdgesOfAColourPaletteAreGrey) {
  ImageDescriptor image;
  load_source(SOURCES[2], &image);
  ASSERT_EQ(image_in_place(IMAGE_OP_KEEP_EDGES, &image), IMAGE_OK);
  EXPECT_EQ(image.image->bits, 8);
  EXPECT_TRUE(image_is_grey(image));
  EXPECT_EQ(image_in_place(62, &image), IMAGE_ERROR_BAD_IMAGE);
}

// ---- Descriptors -------------------------------------------------------------------------------

TEST_F(ImageOperationTest, CopiedDescriptorsShareOneImageThatOutlivesEach) {
  ImageDescriptor main, work;
  ASSERT_EQ(image_alloc(&work, 16, 8, 24), IMAGE_OK);
  image_fill(&work, 40);
  image_copy_descriptor(work, &main);
  image_clear_descriptor(&work);
  EXPECT_EQ(work.image, nullptr);
  EXPECT_EQ(image_pixel_rgb(main, 3, 3), 0x282828u);
  // A change through one descriptor is seen through the other.
  image_copy_descriptor(main, &work);
  image_in_place(IMAGE_OP_NEGATIVE, &work);
  EXPECT_EQ(image_pixel_rgb(main, 3, 3), 0xD7D7D7u);
  // Freeing one leaves the other's pixels in place.
  image_free(&main);
  EXPECT_EQ(image_pixel_rgb(work, 3, 3), 0xD7D7D7u);
  // A copy of the pixels is an image of its own.
  ImageDescriptor copy;
  ASSERT_EQ(image_alloc(&copy, 16, 8, 24), IMAGE_OK);
  ASSERT_EQ(image_copy_pixels(work, &copy), IMAGE_OK);
  image_fill(&work, 0);
  EXPECT_EQ(image_pixel_rgb(copy, 3, 3), 0xD7D7D7u);
  ImageDescriptor other_size;
  ASSERT_EQ(image_alloc(&other_size, 15, 8, 24), IMAGE_OK);
  EXPECT_EQ(image_copy_pixels(work, &other_size), IMAGE_ERROR_BAD_IMAGE);
}

TEST_F(ImageOperationTest, AllocationRefusesWhatCannotBeAnImage) {
  const struct {
    int width, height, bits, result;
  } cases[] = {
      {1, 10, 8, IMAGE_ERROR_BAD_SIZE},  {10, 1, 8, IMAGE_ERROR_BAD_SIZE},   {0, 0, 24, IMAGE_ERROR_BAD_SIZE},
      {-5, 10, 8, IMAGE_ERROR_BAD_SIZE}, {10, 10, 4, IMAGE_ERROR_BAD_SIZE},  {10, 10, 32, IMAGE_ERROR_BAD_SIZE},
      {2, 2, 1, IMAGE_OK},               {70000, 70000, 24, IMAGE_ERROR_NO_MEMORY},
  };
  for (const auto& c : cases) {
    ImageDescriptor image;
    EXPECT_EQ(image_alloc(&image, c.width, c.height, c.bits), c.result) << c.width << " x " << c.height << " x " << c.bits;
  }
}

TEST_F(ImageOperationTest, FillTakesTheNearestPaletteEntry) {
  ImageDescriptor image;
  ASSERT_EQ(image_alloc(&image, 4, 4, 8), IMAGE_OK);
  image.image->palette = {0x000000u, 0xFF0000u, 0xF0F0F0u};
  image.image->grey = false;
  image_fill(&image, 255);
  EXPECT_EQ(image_pixel_rgb(image, 1, 1), 0xF0F0F0u);
  ImageDescriptor mono;
  ASSERT_EQ(image_alloc(&mono, 9, 4, 1), IMAGE_OK);
  image_fill(&mono, 255);
  EXPECT_EQ(image_pixel_rgb(mono, 8, 3), 0xFFFFFFu);
}

}  // namespace
