// The raster-image library: reads TIF, PCX, TGA, BMP, JPG and PNG files into images in memory,
// changes their colour depth, rotates them, runs the four in-place operations of the Image
// menu, and saves BMP, PCX and TIF files with their resolution. The program draws the pixels
// itself (image_dib gives the canvas its view of them).
//
// An image holds 1-bit, 8-bit (palette) or 24-bit pixels, rows stored bottom first, each row
// padded to 4 bytes, 24-bit pixels as blue, green, red. Whatever a file holds arrives in one of
// these three forms: alpha is laid over white, 16-bit samples are brought to 8, CMYK and the
// other colour spaces become 24-bit colour, 2- and 4-bit pixels become 8-bit palette pixels.
//
// Every call returns IMAGE_OK (0) or a negative IMAGE_ERROR_*; a refused file leaves its name and
// the reason in g_image_library.error. Descriptors copied with image_copy_descriptor share one
// image; every descriptor keeps the image it points at alive, so none ever points at freed
// pixels. The library reads no file it was not given and keeps no pixels of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/canvas.h"

// ---- Results -----------------------------------------------------------------------------------
constexpr int IMAGE_OK = 0;
constexpr int IMAGE_ERROR_NO_MEMORY = -1;    // the pixels could not be allocated, or too many
constexpr int IMAGE_ERROR_BAD_SIZE = -2;     // a width or height below 2, or a depth not 1, 8, 24
constexpr int IMAGE_ERROR_BAD_FILE = -3;     // damaged, cut short, or not of its kind
constexpr int IMAGE_ERROR_NOT_FOUND = -4;    // the file cannot be opened
constexpr int IMAGE_ERROR_UNSUPPORTED = -5;  // a kind of file this library does not read
constexpr int IMAGE_ERROR_WRITE = -6;        // the file could not be written
constexpr int IMAGE_ERROR_BAD_IMAGE = -7;    // no image, or one the operation does not take

// Images larger than this many bytes of pixels are refused before anything is allocated.
constexpr int64_t IMAGE_MAX_PIXEL_BYTES = int64_t{1} << 30;

// ---- Images ------------------------------------------------------------------------------------
struct ImagePixels {
  int32_t width = 0;               // pixels, 2 or more
  int32_t height = 0;              // rows, 2 or more
  int16_t bits = 0;                // 1, 8 or 24 bits per pixel
  int64_t row_bytes = 0;           // bytes per stored row: whole pixels, padded to 4
  int64_t x_pixels_per_metre = 0;  // resolution as the file gave it; 0 = not known
  int64_t y_pixels_per_metre = 0;
  std::vector<uint32_t> palette;   // 0x00RRGGBB: 2 entries at 1 bit, 1..256 at 8 bits, none at 24
  bool grey = false;               // 8 bits whose palette is the grey ramp: index = grey level
  std::vector<uint8_t> rows;       // height * row_bytes bytes, bottom row first
};

// A reference to an image; empty when it holds none.
struct ImageDescriptor {
  std::shared_ptr<ImagePixels> image;
};

// What a file says of its image before it is loaded.
struct ImageInfo {
  int32_t width = 0;               // pixels
  int32_t height = 0;              // rows
  int16_t bits = 0;                // the depth the image takes in memory: 1, 8 or 24
  int16_t file_bits = 0;           // bits per pixel as the file stores them
  int64_t x_pixels_per_metre = 0;  // from the file's header; 0 when it holds none
  int64_t y_pixels_per_metre = 0;
};

// The library's state: the reason of the last failure and the resolution the next TIF takes.
struct ImageLibrary {
  std::string error;                       // "NAME: reason" of the last refused file or failure
  double tif_x_resolution = 0.0;           // dots per unit for the next image_save_tif
  double tif_y_resolution = 0.0;
  int tif_resolution_unit = 2;             // 2 inch, 3 centimetre
  int64_t max_pixel_bytes = IMAGE_MAX_PIXEL_BYTES;  // larger images are refused
};
extern ImageLibrary g_image_library;

// ---- Resolutions -------------------------------------------------------------------------------
// Pixels per metre from dots per inch, (dpi * 3937 + 50) / 100, or per centimetre (* 100), in
// 64 bits; 0 for a value that is not a positive, sane number.
int64_t pixels_per_metre_from_inch(double dots_per_inch);
int64_t pixels_per_metre_from_cm(double dots_per_cm);
// Dots per inch as the program reads a resolution: (ppm * 100 + 50) / 3937; 0 when not known.
int64_t dots_per_inch_from_metre(int64_t pixels_per_metre);

// ---- Allocating, freeing and copying -----------------------------------------------------------
// A new image in *image, replacing what the descriptor held: every byte 0, so black under the
// palette it gets (1 bit: black and white; 8 bits: the grey ramp); the resolution is 0.
int image_alloc(ImageDescriptor* image, int width, int height, int bits);
// Lets go of the image (others sharing it keep it).
int image_free(ImageDescriptor* image);
// target shares source's image.
int image_copy_descriptor(const ImageDescriptor& source, ImageDescriptor* target);
// Forgets the image without touching it.
int image_clear_descriptor(ImageDescriptor* target);
// Copies the pixels into an image of the same size and depth.
int image_copy_pixels(const ImageDescriptor& source, ImageDescriptor* target);
// Copies the palette, colour count and grey flag into an image of the same depth.
int image_copy_palette(const ImageDescriptor& source, ImageDescriptor* target);
// Sets every pixel to value: each channel at 24 bits, the grey level at 8-bit grey, otherwise
// the palette entry nearest to grey (value, value, value).
int image_fill(ImageDescriptor* image, int value);
// True for an 8-bit image whose palette is the grey ramp, so that its indices are grey levels.
bool image_is_grey(const ImageDescriptor& image);

// ---- Reading files -----------------------------------------------------------------------------
// Each info call reads the file's header; each load call fills an image allocated with the
// info's width, height and bits (anything else is IMAGE_ERROR_BAD_IMAGE).
int image_bmp_info(const char* path, ImageInfo* info);
int image_load_bmp(const char* path, ImageDescriptor* image);
int image_tif_info(const char* path, ImageInfo* info);
int image_load_tif(const char* path, ImageDescriptor* image);
// The TIF's resolution tags as stored: *unit 1 none, 2 inch, 3 centimetre; 0, 0, 1 without them.
int image_tif_resolution(const char* path, double* x, double* y, int* unit);
int image_tga_info(const char* path, ImageInfo* info);
int image_load_tga(const char* path, ImageDescriptor* image);
int image_jpg_info(const char* path, ImageInfo* info);
int image_load_jpg(const char* path, ImageDescriptor* image);
int image_png_info(const char* path, ImageInfo* info);
int image_load_png(const char* path, ImageDescriptor* image);
int image_pcx_info(const char* path, ImageInfo* info);
int image_load_pcx(const char* path, ImageDescriptor* image);
// BIF is described nowhere: always IMAGE_ERROR_UNSUPPORTED, with the reason.
int image_load_bif(const char* path, ImageDescriptor* image);

// ---- Colour depth ------------------------------------------------------------------------------
// Each writes an image allocated by the caller at the new depth and the source's size; the
// resolution is the caller's to keep.
// Palette image (1 or 8 bits) to 24-bit colour.
int image_to_24bit(const ImageDescriptor& source, ImageDescriptor* target);
// To 8-bit grey (Rec. 601 luma). With target sharing source's image, an image of 8 bits is
// turned grey in place.
int image_to_grey(const ImageDescriptor& source, ImageDescriptor* target);
// 1 bit to 8 bits: black and white become the grey ramp's ends, other pairs a palette of two.
int image_1bit_to_8bit(const ImageDescriptor& source, ImageDescriptor* target);
// 8 bits to 1 bit; mode 0: levels from 128 up are white, the rest black.
int image_8bit_to_1bit(const ImageDescriptor& source, ImageDescriptor* target, int mode);
// At most `colours` (2..256) colours into an 8-bit image; mode 2: nearest colour, no dither.
// An image that has no more colours than that keeps them exactly.
int image_reduce_colours(int colours, const ImageDescriptor& source, ImageDescriptor* target,
                         int mode);

// ---- Rotating ----------------------------------------------------------------------------------
// Rotates by degrees counter-clockwise as the image is seen, about the centres of both images;
// target (same depth, any size) keeps its pixels where no source pixel lands. Grey and colour
// images are sampled between pixels, palette images take the nearest pixel.
int image_rotate(double degrees, const ImageDescriptor& source, ImageDescriptor* target);
// A quarter turn into target of the swapped size: direction 0 clockwise, 1 counter-clockwise.
int image_rotate_quarter(int direction, const ImageDescriptor& source, ImageDescriptor* target);

// ---- In-place operations of the Image menu -----------------------------------------------------
constexpr int IMAGE_OP_FLIP_TOP_BOTTOM = 31;
constexpr int IMAGE_OP_MIRROR_LEFT_RIGHT = 59;
constexpr int IMAGE_OP_NEGATIVE = 61;
constexpr int IMAGE_OP_KEEP_EDGES = 63;
// Runs one of the four on the image: 31 flips it top to bottom, 59 mirrors it left to right
// (both: half a turn), 61 makes the negative, 63 keeps the edges, bright on black (after 61:
// dark outlines on white). A palette image keeps its depth: 63 makes it grey.
int image_in_place(int operation, ImageDescriptor* image);

// ---- Saving ------------------------------------------------------------------------------------
// Files are written through a temporary file that takes the name only when complete; a failure
// leaves the old file. Each writes the image's resolution (pixels per metre).
int image_save_bmp(const char* path, const ImageDescriptor& image);
// 1-bit and 8-bit images only.
int image_save_pcx(const char* path, const ImageDescriptor& image);
// The next TIF saved states this resolution: unit 2 dots per inch, 3 per centimetre.
int image_set_tif_resolution(double x, double y, int unit);
int image_save_tif(const char* path, const ImageDescriptor& image);

// ---- Drawing -----------------------------------------------------------------------------------
// The canvas's view of the image (empty when there is none); valid while the image lives.
CanvasDib image_dib(const ImageDescriptor& image);

// ---- Test hooks --------------------------------------------------------------------------------
enum ImageFileKind { IMAGE_KIND_TIF, IMAGE_KIND_PCX, IMAGE_KIND_TGA, IMAGE_KIND_BMP,
                     IMAGE_KIND_JPG, IMAGE_KIND_PNG };
// Reads file bytes of the kind as the info and load calls do, into *image (allocated here).
int image_read_bytes(ImageFileKind kind, std::span<const uint8_t> bytes, ImageDescriptor* image);
// The pixel at (x, y), y counted from the top row, as 0x00RRGGBB.
uint32_t image_pixel_rgb(const ImageDescriptor& image, int x, int y);
void reset_image_library();
