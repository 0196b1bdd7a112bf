// PNG files through libpng: every colour type and depth, interlaced or not; alpha and the
// transparent colour are laid over white, 16-bit samples rounded to 8.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>
#include <vector>

#include "platform/image_internal.h"

namespace {

// How the rows libpng hands over become the image's rows.
enum PngRows { PNG_ROWS_1BIT, PNG_ROWS_8BIT, PNG_ROWS_GREY_ALPHA, PNG_ROWS_BGR, PNG_ROWS_BGRA };

struct PngRead {
  ImageInput* input = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::string reason;               // libpng's words for the failure
  PngRows rows = PNG_ROWS_8BIT;
  int passes = 1;
  std::vector<uint8_t> buffer;      // one row, or the whole image when interlaced with alpha
  std::vector<png_bytep> pointers;  // rows of an interlaced image
  int palette_entries = 0;          // entries the file's palette holds
};

int reject_png_input(const PngRead& r, const std::string& reason) {
  return image_failure(r.input->name, reason, IMAGE_ERROR_BAD_FILE);
}

void on_png_error(png_structp png, png_const_charp message) {
  static_cast<PngRead*>(png_get_error_ptr(png))->reason = message;
  png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

void on_png_read(png_structp png, png_bytep data, size_t length) {
  auto* r = static_cast<PngRead*>(png_get_io_ptr(png));
  if (read_image_input(r->input, data, length) != length) png_error(png, "the file is cut short");
}

// Chooses the transforms and the depth in memory; returns the info.
void plan_png(PngRead* r, ImageInfo* info) {
  png_structp png = r->png;
  png_infop pi = r->info;
  const int depth = png_get_bit_depth(png, pi);
  const int colour = png_get_color_type(png, pi);
  const bool transparent_colour = png_get_valid(png, pi, PNG_INFO_tRNS) != 0;
  info->width = static_cast<int32_t>(png_get_image_width(png, pi));
  info->height = static_cast<int32_t>(png_get_image_height(png, pi));
  info->file_bits = static_cast<int16_t>(depth * png_get_channels(png, pi));
  png_uint_32 x_ppu = 0, y_ppu = 0;
  int unit = 0;
  if (png_get_pHYs(png, pi, &x_ppu, &y_ppu, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
    info->x_pixels_per_metre = x_ppu;
    info->y_pixels_per_metre = y_ppu;
  }
  switch (colour) {
    case PNG_COLOR_TYPE_GRAY:
      if (depth == 1 && !transparent_colour) {
        info->bits = 1;
        r->rows = PNG_ROWS_1BIT;
        break;
      }
      info->bits = 8;
      if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
      r->rows = PNG_ROWS_8BIT;
      if (transparent_colour) {
        png_set_tRNS_to_alpha(png);
        r->rows = PNG_ROWS_GREY_ALPHA;
      }
      break;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      info->bits = 8;
      r->rows = PNG_ROWS_GREY_ALPHA;
      break;
    case PNG_COLOR_TYPE_PALETTE:
      info->bits = depth == 1 ? 1 : 8;
      if (depth < 8 && depth > 1) png_set_packing(png);
      r->rows = depth == 1 ? PNG_ROWS_1BIT : PNG_ROWS_8BIT;
      break;
    case PNG_COLOR_TYPE_RGB:
      info->bits = 24;
      png_set_bgr(png);
      r->rows = PNG_ROWS_BGR;
      if (transparent_colour) {
        png_set_tRNS_to_alpha(png);
        r->rows = PNG_ROWS_BGRA;
      }
      break;
    default:  // RGB with alpha
      info->bits = 24;
      png_set_bgr(png);
      r->rows = PNG_ROWS_BGRA;
      break;
  }
  if (depth == 16) png_set_scale_16(png);
  r->passes = png_set_interlace_handling(png);
}

// The file's palette with its transparency laid over white.
void take_png_palette(PngRead* r, ImagePixels* image) {
  png_colorp entries = nullptr;
  int count = 0;
  png_get_PLTE(r->png, r->info, &entries, &count);
  png_bytep alphas = nullptr;
  int alpha_count = 0;
  png_get_tRNS(r->png, r->info, &alphas, &alpha_count, nullptr);
  image->palette.assign(image->bits == 1 ? 2 : static_cast<size_t>(count), 0);
  for (int i = 0; i < count && i < 256; ++i) {
    unsigned red = entries[i].red, green = entries[i].green, blue = entries[i].blue;
    if (alphas != nullptr && i < alpha_count) {
      red = over_white(red, alphas[i]);
      green = over_white(green, alphas[i]);
      blue = over_white(blue, alphas[i]);
    }
    if (static_cast<size_t>(i) < image->palette.size()) image->palette[i] = (red << 16) | (green << 8) | blue;
  }
  r->palette_entries = count;
}

void convert_png_row(const PngRead& r, const uint8_t* from, uint8_t* to, int width) {
  switch (r.rows) {
    case PNG_ROWS_1BIT: std::memcpy(to, from, (static_cast<size_t>(width) + 7) / 8); break;
    case PNG_ROWS_8BIT: std::memcpy(to, from, static_cast<size_t>(width)); break;
    case PNG_ROWS_BGR: std::memcpy(to, from, static_cast<size_t>(width) * 3); break;
    case PNG_ROWS_GREY_ALPHA:
      for (int x = 0; x < width; ++x) to[x] = over_white(from[2 * x], from[2 * x + 1]);
      break;
    case PNG_ROWS_BGRA:
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = from + 4 * static_cast<size_t>(x);
        to[3 * x] = over_white(p[0], p[3]);
        to[3 * x + 1] = over_white(p[1], p[3]);
        to[3 * x + 2] = over_white(p[2], p[3]);
      }
      break;
  }
}

bool rows_go_straight(PngRows rows) {
  return rows != PNG_ROWS_GREY_ALPHA && rows != PNG_ROWS_BGRA;
}

// Reads the header, and with an image the pixels too. libpng leaves by longjmp on any fault, so
// nothing here owns memory of its own: buffers live in *r.
int run_png(PngRead* r, ImageInfo* info, ImagePixels* image) {
  if (setjmp(png_jmpbuf(r->png))) return reject_png_input(*r, r->reason);
  png_set_user_limits(r->png, 0x7FFFFFFF, 0x7FFFFFFF);
  png_set_read_fn(r->png, r, on_png_read);
  png_read_info(r->png, r->info);
  plan_png(r, info);
  const int size_check = check_image_size(r->input->name, info->width, info->height, info->bits);
  if (size_check != IMAGE_OK) return size_check;
  if (image == nullptr) return IMAGE_OK;
  const int fits = check_load_target(image, *info, r->input->name);
  if (fits != IMAGE_OK) return fits;
  // Only now, with the size known to be sound: libpng allocates its row buffers here.
  png_read_update_info(r->png, r->info);
  if (png_get_color_type(r->png, r->info) == PNG_COLOR_TYPE_PALETTE) take_png_palette(r, image);
  else if (image->bits == 1) image->palette = {0x000000u, 0xFFFFFFu};
  else if (image->bits == 8) set_grey_ramp(image);
  const size_t row_size = png_get_rowbytes(r->png, r->info);
  if (r->passes == 1) {
    r->buffer.resize(row_size);
    for (int y = 0; y < image->height; ++y) {
      png_read_row(r->png, r->buffer.data(), nullptr);
      convert_png_row(*r, r->buffer.data(), image_row(*image, y), image->width);
    }
  } else if (rows_go_straight(r->rows)) {
    r->pointers.resize(static_cast<size_t>(image->height));
    for (int y = 0; y < image->height; ++y) r->pointers[y] = image_row(*image, y);
    png_read_image(r->png, r->pointers.data());
  } else {
    r->buffer.resize(row_size * static_cast<size_t>(image->height));
    r->pointers.resize(static_cast<size_t>(image->height));
    for (int y = 0; y < image->height; ++y) r->pointers[y] = r->buffer.data() + row_size * y;
    png_read_image(r->png, r->pointers.data());
    for (int y = 0; y < image->height; ++y) {
      convert_png_row(*r, r->pointers[y], image_row(*image, y), image->width);
    }
  }
  png_read_end(r->png, nullptr);
  return IMAGE_OK;
}

// A palette image whose pixels name entries its palette lacks is refused.
int check_png_indices(const PngRead& r, const ImagePixels& image) {
  if (png_get_color_type(r.png, r.info) != PNG_COLOR_TYPE_PALETTE) return IMAGE_OK;
  const int depth = png_get_bit_depth(r.png, r.info);
  if (r.palette_entries >= (1 << depth)) return IMAGE_OK;
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = image_row(image, y);
    for (int x = 0; x < image.width; ++x) {
      const int index = image.bits == 1 ? (row[x >> 3] >> (7 - (x & 7))) & 1 : row[x];
      if (index >= r.palette_entries) return reject_png_input(r, "a pixel's colour index is past the palette");
    }
  }
  return IMAGE_OK;
}

int read_png(ImageInput* input, ImageInfo* info, ImagePixels* image) {
  PngRead r;
  r.input = input;
  uint8_t signature[8] = {};
  if (read_image_input(input, signature, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
    return reject_png_input(r, "not a PNG file (no PNG signature)");
  }
  r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, on_png_error, on_png_warning);
  if (r.png != nullptr) r.info = png_create_info_struct(r.png);
  if (r.info == nullptr) {
    png_destroy_read_struct(&r.png, nullptr, nullptr);
    return image_failure(input->name, "out of memory", IMAGE_ERROR_NO_MEMORY);
  }
  png_set_sig_bytes(r.png, 8);
  int result = IMAGE_OK;
  try {
    result = run_png(&r, info, image);
    if (result == IMAGE_OK && image != nullptr) result = check_png_indices(r, *image);
  } catch (const std::bad_alloc&) {
    result = image_failure(input->name, "out of memory", IMAGE_ERROR_NO_MEMORY);
  }
  png_destroy_read_struct(&r.png, &r.info, nullptr);
  return result;
}

}  // namespace

int read_png_info(ImageInput* input, ImageInfo* info) { return read_png(input, info, nullptr); }

int read_png_image(ImageInput* input, ImagePixels* image) {
  ImageInfo info;
  return read_png(input, &info, image);
}
