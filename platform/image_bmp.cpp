// BMP files: our reader checks the headers, the palette, the offsets and (for run-length files)
// every run before SDL2_image decodes the pixels; our writer writes 1, 8 and 24 bits, which
// SDL's cannot (it has no 1-bit form).
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/image_internal.h"

namespace {

constexpr int BMP_FILE_HEADER = 14;
constexpr int BMP_CORE_HEADER = 12;
constexpr int BMP_INFO_HEADER = 40;
constexpr uint32_t BMP_RGB = 0, BMP_RLE8 = 1, BMP_RLE4 = 2, BMP_BITFIELDS = 3;

struct BmpHeader {
  int64_t offset = 0;        // of the pixel data
  int header_size = 0;
  int64_t width = 0;
  int64_t height = 0;        // rows
  bool top_down = false;
  int bits = 0;
  uint32_t compression = BMP_RGB;
  int64_t x_ppm = 0;
  int64_t y_ppm = 0;
  int64_t palette_at = 0;
  int64_t palette_count = 0;  // entries the palette holds
  int palette_entry = 4;      // bytes per entry
  bool alpha = false;         // a 32-bit file with an alpha mask
};

struct BmpRead {
  ImageInput* input = nullptr;
  BmpHeader header;
};

int reject_bmp_input(const BmpRead& r, const std::string& reason) {
  return image_failure(r.input->name, reason, IMAGE_ERROR_BAD_FILE);
}

bool known_header_size(int size) {
  return size == BMP_CORE_HEADER || size == BMP_INFO_HEADER || size == 52 || size == 56 || size == 108 || size == 124;
}

int read_bmp_header(BmpRead* r, ImageInfo* info) {
  BmpHeader& h = r->header;
  uint8_t bytes[BMP_FILE_HEADER + 124] = {};
  const size_t got = read_image_input(r->input, bytes, sizeof bytes);
  if (got < BMP_FILE_HEADER + 4) return reject_bmp_input(*r, "the file is cut short in its header");
  if (bytes[0] != 'B' || bytes[1] != 'M') return reject_bmp_input(*r, "not a BMP file (it does not start with BM)");
  h.offset = image_u32(bytes + 10);
  h.header_size = static_cast<int>(std::min<uint32_t>(image_u32(bytes + 14), 0x7FFFFFFF));
  if (!known_header_size(h.header_size)) {
    return image_failure(r->input->name, "its header of " + std::to_string(h.header_size) + " bytes is not a known kind",
                         IMAGE_ERROR_UNSUPPORTED);
  }
  if (got < static_cast<size_t>(BMP_FILE_HEADER + h.header_size)) {
    return reject_bmp_input(*r, "the file is cut short in its header");
  }
  const uint8_t* d = bytes + BMP_FILE_HEADER;
  int planes = 1;
  if (h.header_size == BMP_CORE_HEADER) {
    h.width = image_u16(d + 4);
    h.height = image_u16(d + 6);
    planes = image_u16(d + 8);
    h.bits = image_u16(d + 10);
    h.palette_entry = 3;
  } else {
    h.width = image_i32(d + 4);
    const int64_t height = image_i32(d + 8);
    h.top_down = height < 0;
    h.height = height < 0 ? -height : height;
    planes = image_u16(d + 12);
    h.bits = image_u16(d + 14);
    h.compression = image_u32(d + 16);
    h.x_ppm = std::max<int64_t>(0, image_i32(d + 24));
    h.y_ppm = std::max<int64_t>(0, image_i32(d + 28));
    h.palette_count = image_u32(d + 32);
    h.alpha = h.compression == BMP_BITFIELDS && h.header_size >= 56 && image_u32(d + 52) != 0;
  }
  if (h.width <= 0 || h.height == 0) return reject_bmp_input(*r, "its width or height is zero or negative");
  if (planes != 1) return reject_bmp_input(*r, "its plane count is not 1");
  const int b = h.bits;
  if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) {
    return reject_bmp_input(*r, std::to_string(b) + " bits per pixel is not a BMP depth");
  }
  const bool fits = h.compression == BMP_RGB || (h.compression == BMP_RLE8 && b == 8) ||
                    (h.compression == BMP_RLE4 && b == 4) || (h.compression == BMP_BITFIELDS && (b == 16 || b == 32));
  if (!fits) {
    return image_failure(r->input->name, "its compression " + std::to_string(h.compression) + " at " +
                                             std::to_string(b) + " bits is not supported",
                         IMAGE_ERROR_UNSUPPORTED);
  }
  if (h.top_down && h.compression != BMP_RGB && h.compression != BMP_BITFIELDS) {
    return reject_bmp_input(*r, "a run-length file cannot run top down");
  }
  h.palette_at = BMP_FILE_HEADER + h.header_size +
                 (h.compression == BMP_BITFIELDS && h.header_size == BMP_INFO_HEADER ? 12 : 0);
  if (b <= 8) {
    const int64_t most = int64_t{1} << b;
    if (h.palette_count == 0) h.palette_count = most;
    if (h.palette_count > most) return reject_bmp_input(*r, "its palette has more entries than its depth can name");
  } else {
    h.palette_count = 0;
  }
  const int64_t palette_end = h.palette_at + h.palette_count * h.palette_entry;
  if (b <= 8 && palette_end > r->input->size) return reject_bmp_input(*r, "the file is cut short in its palette");
  if (h.offset < palette_end || h.offset >= r->input->size) {
    return reject_bmp_input(*r, "the offset of its pixels lies outside the file");
  }
  info->width = static_cast<int32_t>(h.width);
  info->height = static_cast<int32_t>(std::min<int64_t>(h.height, INT32_MAX));
  info->file_bits = static_cast<int16_t>(b);
  info->bits = b == 1 ? 1 : (b <= 8 ? 8 : 24);
  info->x_pixels_per_metre = h.x_ppm;
  info->y_pixels_per_metre = h.y_ppm;
  return check_image_size(r->input->name, h.width, h.height, info->bits);
}

// Reads count bytes at the input's position; false at the end of the file.
bool take_bmp_bytes(BmpRead* r, uint8_t* to, size_t count) { return read_image_input(r->input, to, count) == count; }

// Uncompressed rows must all lie in the file, and palette pixels must name palette entries.
int check_bmp_rows(BmpRead* r) {
  const BmpHeader& h = r->header;
  const int64_t stride = image_row_bytes(h.width, h.bits);
  if (stride > (r->input->size - h.offset) / h.height) return reject_bmp_input(*r, "the file is cut short in its pixels");
  if (h.bits > 8 || h.palette_count >= (int64_t{1} << h.bits)) return IMAGE_OK;
  std::vector<uint8_t> row(static_cast<size_t>(stride));
  seek_image_input(r->input, h.offset);
  for (int64_t y = 0; y < h.height; ++y) {
    take_bmp_bytes(r, row.data(), row.size());
    for (int64_t x = 0; x < h.width; ++x) {
      int index = row[x * h.bits / 8];
      if (h.bits == 1) index = (index >> (7 - (x & 7))) & 1;
      else if (h.bits == 4) index = (x & 1) ? index & 15 : index >> 4;
      if (index >= h.palette_count) return reject_bmp_input(*r, "a pixel's colour index is past the palette");
    }
  }
  return IMAGE_OK;
}

// Walks every run of a run-length file: each stays inside its row (as stored, padding and
// all: writers encode whole stored rows) and the image, and names only palette entries.
int check_bmp_runs(BmpRead* r) {
  const BmpHeader& h = r->header;
  const bool four = h.compression == BMP_RLE4;
  const int64_t row_pixels = image_row_bytes(h.width, h.bits) * 8 / h.bits;
  const auto indices_fit = [&h, four](uint8_t byte, int64_t count) {
    if (!four) return byte < h.palette_count;
    return (byte >> 4) < h.palette_count && (count < 2 || (byte & 15) < h.palette_count);
  };
  seek_image_input(r->input, h.offset);
  int64_t x = 0, y = 0;
  uint8_t pair[2] = {};
  std::vector<uint8_t> literal;
  while (true) {
    if (!take_bmp_bytes(r, pair, 2)) {
      if (y >= h.height) return IMAGE_OK;  // every row given; the end mark is missing only
      return reject_bmp_input(*r, "the file is cut short in its pixels");
    }
    if (pair[0] > 0) {
      if (y >= h.height) return reject_bmp_input(*r, "its runs go past the last row");
      if (pair[0] > row_pixels - x) return reject_bmp_input(*r, "a run goes past the end of a row");
      if (!indices_fit(pair[1], pair[0])) return reject_bmp_input(*r, "a pixel's colour index is past the palette");
      x += pair[0];
    } else if (pair[1] == 0) {
      x = 0;
      ++y;
    } else if (pair[1] == 1) {
      return IMAGE_OK;
    } else if (pair[1] == 2) {
      if (!take_bmp_bytes(r, pair, 2)) return reject_bmp_input(*r, "the file is cut short in its pixels");
      x += pair[0];
      y += pair[1];
      if (x > row_pixels || y > h.height) return reject_bmp_input(*r, "a jump goes outside the image");
    } else {
      const int64_t count = pair[1];
      if (y >= h.height) return reject_bmp_input(*r, "its runs go past the last row");
      if (count > row_pixels - x) return reject_bmp_input(*r, "a run goes past the end of a row");
      const int64_t bytes = four ? (count + 1) / 2 : count;
      literal.resize(static_cast<size_t>((bytes + 1) & ~int64_t{1}));
      if (!take_bmp_bytes(r, literal.data(), literal.size())) {
        return reject_bmp_input(*r, "the file is cut short in its pixels");
      }
      for (int64_t i = 0; i < bytes; ++i) {
        if (!indices_fit(literal[i], four ? std::min<int64_t>(2, count - 2 * i) : 1)) {
          return reject_bmp_input(*r, "a pixel's colour index is past the palette");
        }
      }
      x += count;
    }
  }
}

int read_bmp(ImageInput* input, ImageInfo* info, ImagePixels* image) {
  BmpRead r;
  r.input = input;
  int result = read_bmp_header(&r, info);
  if (result != IMAGE_OK || image == nullptr) return result;
  const int fits = check_load_target(image, *info, input->name);
  if (fits != IMAGE_OK) return fits;
  const bool runs = r.header.compression == BMP_RLE8 || r.header.compression == BMP_RLE4;
  result = runs ? check_bmp_runs(&r) : check_bmp_rows(&r);
  if (result != IMAGE_OK) return result;
  SdlDecodeOptions options;
  options.alpha = r.header.alpha;
  return decode_with_sdl(input, SDL_IMAGE_BMP, options, image);
}

}  // namespace

int read_bmp_info(ImageInput* input, ImageInfo* info) { return read_bmp(input, info, nullptr); }

int read_bmp_image(ImageInput* input, ImagePixels* image) {
  ImageInfo info;
  return read_bmp(input, &info, image);
}

bool write_bmp_file(SaveFile* file, const ImagePixels& image, const std::string& name) {
  const int64_t palette_bytes = image.bits == 24 ? 0 : 4 * static_cast<int64_t>(image.palette.size());
  const int64_t offset = BMP_FILE_HEADER + BMP_INFO_HEADER + palette_bytes;
  const int64_t total = offset + static_cast<int64_t>(image.rows.size());
  if (total > 0xFFFFFFFFll) {
    image_failure(name, "the image is too large for a BMP file", IMAGE_ERROR_BAD_IMAGE);
    return false;
  }
  uint8_t header[BMP_FILE_HEADER + BMP_INFO_HEADER] = {'B', 'M'};
  put_image_u32(header + 2, static_cast<uint32_t>(total));
  put_image_u32(header + 10, static_cast<uint32_t>(offset));
  uint8_t* d = header + BMP_FILE_HEADER;
  put_image_u32(d, BMP_INFO_HEADER);
  put_image_u32(d + 4, static_cast<uint32_t>(image.width));
  put_image_u32(d + 8, static_cast<uint32_t>(image.height));
  put_image_u16(d + 12, 1);
  put_image_u16(d + 14, static_cast<uint32_t>(image.bits));
  put_image_u32(d + 16, BMP_RGB);
  put_image_u32(d + 20, static_cast<uint32_t>(image.rows.size()));
  put_image_u32(d + 24, static_cast<uint32_t>(std::clamp<int64_t>(image.x_pixels_per_metre, 0, INT32_MAX)));
  put_image_u32(d + 28, static_cast<uint32_t>(std::clamp<int64_t>(image.y_pixels_per_metre, 0, INT32_MAX)));
  put_image_u32(d + 32, image.bits == 24 ? 0 : static_cast<uint32_t>(image.palette.size()));
  if (!save_write(file, header, sizeof header)) return false;
  if (palette_bytes > 0) {
    std::vector<uint8_t> palette(static_cast<size_t>(palette_bytes), 0);
    for (size_t i = 0; i < image.palette.size(); ++i) {
      palette[4 * i] = static_cast<uint8_t>(image.palette[i]);
      palette[4 * i + 1] = static_cast<uint8_t>(image.palette[i] >> 8);
      palette[4 * i + 2] = static_cast<uint8_t>(image.palette[i] >> 16);
    }
    if (!save_write(file, palette.data(), palette.size())) return false;
  }
  // The image's rows are already a BMP's: bottom first, padded to 4 bytes.
  return save_write(file, image.rows.data(), image.rows.size());
}
