// Inside the raster-image library: the input every reader takes its bytes from (a file or bytes
// in memory), the failure record, and the readers and writers of each kind of file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "platform/files.h"
#include "platform/image_library.h"

// ---- Input -------------------------------------------------------------------------------------
struct ImageInput {
  std::string name;                // the file's name without its folder, for reasons
  FILE* file = nullptr;            // read from when open
  std::span<const uint8_t> bytes;  // read from when no file is open
  int64_t at = 0;                  // the next byte's offset
  int64_t size = 0;                // bytes in all
};

// IMAGE_OK, or IMAGE_ERROR_NOT_FOUND with the reason.
int open_image_file(const char* path, ImageInput* input);
void open_image_bytes(std::span<const uint8_t> bytes, ImageInput* input);
void close_image_input(ImageInput* input);
// Bytes read (fewer only at the end of the input).
size_t read_image_input(ImageInput* input, void* to, size_t count);
// False when the offset lies outside the input.
bool seek_image_input(ImageInput* input, int64_t offset);

// ---- Little-endian fields ----------------------------------------------------------------------
inline uint16_t image_u16(const uint8_t* in) { return static_cast<uint16_t>(in[0] | (in[1] << 8)); }
inline uint32_t image_u32(const uint8_t* in) {
  return uint32_t{in[0]} | (uint32_t{in[1]} << 8) | (uint32_t{in[2]} << 16) | (uint32_t{in[3]} << 24);
}
inline int32_t image_i32(const uint8_t* in) { return static_cast<int32_t>(image_u32(in)); }
inline void put_image_u16(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
}
inline void put_image_u32(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

// ---- Failures ----------------------------------------------------------------------------------
// Records "NAME: reason" in g_image_library.error and returns result.
int image_failure(const std::string& name, const std::string& reason, int result);
// IMAGE_OK when an image of this size and depth may be allocated, else the failure (recorded).
int check_image_size(const std::string& name, int64_t width, int64_t height, int bits);
// Bytes of one stored row: whole pixels padded to 4.
int64_t image_row_bytes(int64_t width, int bits);
// IMAGE_OK when the image to load into has the info's size and depth.
int check_load_target(const ImagePixels* image, const ImageInfo& info, const std::string& name);

// Row y counted from the top of the image.
inline uint8_t* image_row(ImagePixels& image, int64_t y) {
  return image.rows.data() + (image.height - 1 - y) * image.row_bytes;
}
inline const uint8_t* image_row(const ImagePixels& image, int64_t y) {
  return image.rows.data() + (image.height - 1 - y) * image.row_bytes;
}

// The grey ramp: index i is grey level i.
void set_grey_ramp(ImagePixels* image);
// Sets the grey flag as image_is_grey says.
void update_grey_flag(ImagePixels* image);
// Lays a pixel with alpha over white: c * a / 255 + (255 - a), cut to a whole level as
// ImageMagick does.
inline uint8_t over_white(unsigned c, unsigned a) {
  return static_cast<uint8_t>((c * a + 255u * (255u - a)) / 255u);
}
// Rec. 601 luma, rounded; the weights add up to 65536, so white stays 255.
inline uint8_t luma_of_channels(uint32_t red, uint32_t green, uint32_t blue) {
  return static_cast<uint8_t>((19595 * red + 38470 * green + 7471 * blue + 32768) >> 16);
}
inline uint8_t luma_of(uint32_t rgb) {
  return luma_of_channels((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The colour reduction: target (8 bits, the source's size) gets at most `colours` colours; a
// source with no more than that keeps them exactly, others get the nearest of a chosen set.
int quantize_image(const ImagePixels& source, int colours, ImagePixels* target);

// ---- The readers -------------------------------------------------------------------------------
// Each info call reads only the header; each load call reads the whole image into an image
// allocated as the info says (it reads the header again and checks that it agrees).
int read_png_info(ImageInput* input, ImageInfo* info);
int read_png_image(ImageInput* input, ImagePixels* image);
int read_jpg_info(ImageInput* input, ImageInfo* info);
int read_jpg_image(ImageInput* input, ImagePixels* image);
int read_tif_info(ImageInput* input, ImageInfo* info);
int read_tif_image(ImageInput* input, ImagePixels* image);
int read_tif_resolution(ImageInput* input, double* x, double* y, int* unit);
int read_pcx_info(ImageInput* input, ImageInfo* info);
int read_pcx_image(ImageInput* input, ImagePixels* image);
int read_bmp_info(ImageInput* input, ImageInfo* info);
int read_bmp_image(ImageInput* input, ImagePixels* image);
int read_tga_info(ImageInput* input, ImageInfo* info);
int read_tga_image(ImageInput* input, ImagePixels* image);

// BMP and TGA pixels are decoded by SDL2_image once our reader has checked the file.
enum SdlImageKind { SDL_IMAGE_BMP, SDL_IMAGE_TGA };
struct SdlDecodeOptions {
  bool alpha = false;   // the fourth channel is alpha, laid over white
  bool mirror = false;  // rows run right to left
};
int decode_with_sdl(ImageInput* input, SdlImageKind kind, const SdlDecodeOptions& options, ImagePixels* image);

// ---- The writers -------------------------------------------------------------------------------
// Each writes the whole file through the save file; false when a write failed or the image
// cannot be written in that kind (the reason recorded).
bool write_bmp_file(SaveFile* file, const ImagePixels& image, const std::string& name);
bool write_pcx_file(SaveFile* file, const ImagePixels& image, const std::string& name);
bool write_tif_file(SaveFile* file, const ImagePixels& image, const std::string& name,
                    double x_resolution, double y_resolution, int unit);
