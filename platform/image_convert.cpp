// Colour-depth conversions of the raster-image library: to 24-bit colour, to 8-bit grey, between
// 1 and 8 bits, and the reduction to a palette of at most 256 colours.
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/image_internal.h"

namespace {

int bad_image(const char* reason) { return image_failure("image", reason, IMAGE_ERROR_BAD_IMAGE); }

bool same_size(const ImagePixels& a, const ImagePixels& b) { return a.width == b.width && a.height == b.height; }

// The palette index of pixel x of a 1- or 8-bit row.
inline int index_at(const uint8_t* row, int bits, int x) {
  return bits == 1 ? (row[x >> 3] >> (7 - (x & 7))) & 1 : row[x];
}

// Each possible index's entry, black past the palette's end.
std::array<uint32_t, 256> full_palette(const ImagePixels& image) {
  std::array<uint32_t, 256> colours = {};
  for (size_t i = 0; i < image.palette.size() && i < 256; ++i) colours[i] = image.palette[i] & 0xFFFFFFu;
  return colours;
}

}  // namespace

int image_to_24bit(const ImageDescriptor& source, ImageDescriptor* target) {
  const ImagePixels* from = source.image.get();
  ImagePixels* to = target->image.get();
  if (from == nullptr || to == nullptr || to->bits != 24 || !same_size(*from, *to)) {
    return bad_image("the 24-bit image does not fit the source");
  }
  if (from->bits == 24) return image_copy_pixels(source, target);
  const std::array<uint32_t, 256> colours = full_palette(*from);
  for (int y = 0; y < from->height; ++y) {
    const uint8_t* in = image_row(*from, y);
    uint8_t* out = image_row(*to, y);
    for (int x = 0; x < from->width; ++x) {
      const uint32_t c = colours[index_at(in, from->bits, x)];
      out[3 * x] = static_cast<uint8_t>(c);
      out[3 * x + 1] = static_cast<uint8_t>(c >> 8);
      out[3 * x + 2] = static_cast<uint8_t>(c >> 16);
    }
  }
  return IMAGE_OK;
}

int image_to_grey(const ImageDescriptor& source, ImageDescriptor* target) {
  const ImagePixels* from = source.image.get();
  ImagePixels* to = target->image.get();
  if (from == nullptr || to == nullptr || to->bits != 8 || !same_size(*from, *to)) {
    return bad_image("the grey image does not fit the source");
  }
  if (from->bits == 24) {
    for (int y = 0; y < from->height; ++y) {
      const uint8_t* in = image_row(*from, y);
      uint8_t* out = image_row(*to, y);
      for (int x = 0; x < from->width; ++x) out[x] = luma_of_channels(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
    }
  } else {
    std::array<uint8_t, 256> level = {};
    const std::array<uint32_t, 256> colours = full_palette(*from);
    for (int i = 0; i < 256; ++i) level[i] = luma_of(colours[i]);
    const int bits = from->bits;
    for (int y = 0; y < from->height; ++y) {
      // Read before writing: in place, the row is its own source.
      const uint8_t* in = image_row(*from, y);
      uint8_t* out = image_row(*to, y);
      if (bits == 8) {
        for (int x = 0; x < from->width; ++x) out[x] = level[in[x]];
      } else {
        for (int x = from->width - 1; x >= 0; --x) out[x] = level[index_at(in, 1, x)];
      }
    }
  }
  set_grey_ramp(to);
  return IMAGE_OK;
}

int image_1bit_to_8bit(const ImageDescriptor& source, ImageDescriptor* target) {
  const ImagePixels* from = source.image.get();
  ImagePixels* to = target->image.get();
  if (from == nullptr || to == nullptr || from->bits != 1 || to->bits != 8 || !same_size(*from, *to)) {
    return bad_image("the 8-bit image does not fit the 1-bit source");
  }
  const std::array<uint32_t, 256> colours = full_palette(*from);
  uint8_t value[2] = {0, 1};
  const auto is_grey = [](uint32_t c) { return c == (c & 0xFF) * 0x010101u; };
  if (is_grey(colours[0]) && is_grey(colours[1])) {
    // Black and white (or two greys) keep to the grey ramp.
    value[0] = static_cast<uint8_t>(colours[0]);
    value[1] = static_cast<uint8_t>(colours[1]);
    set_grey_ramp(to);
  } else {
    to->palette = {colours[0], colours[1]};
    to->grey = false;
  }
  for (int y = 0; y < from->height; ++y) {
    const uint8_t* in = image_row(*from, y);
    uint8_t* out = image_row(*to, y);
    for (int x = 0; x < from->width; ++x) out[x] = value[index_at(in, 1, x)];
  }
  return IMAGE_OK;
}

int image_8bit_to_1bit(const ImageDescriptor& source, ImageDescriptor* target, int mode) {
  const ImagePixels* from = source.image.get();
  ImagePixels* to = target->image.get();
  if (from == nullptr || to == nullptr || from->bits != 8 || to->bits != 1 || !same_size(*from, *to)) {
    return bad_image("the 1-bit image does not fit the 8-bit source");
  }
  if (mode != 0) return bad_image("only the threshold (mode 0) is known");
  std::array<uint8_t, 256> white = {};
  const std::array<uint32_t, 256> colours = full_palette(*from);
  for (int i = 0; i < 256; ++i) white[i] = luma_of(colours[i]) >= 128 ? 1 : 0;
  for (int y = 0; y < from->height; ++y) {
    const uint8_t* in = image_row(*from, y);
    uint8_t* out = image_row(*to, y);
    std::memset(out, 0, static_cast<size_t>(to->row_bytes));
    for (int x = 0; x < from->width; ++x) {
      if (white[in[x]]) out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
    }
  }
  to->palette = {0x000000u, 0xFFFFFFu};
  to->grey = false;
  return IMAGE_OK;
}

int image_reduce_colours(int colours, const ImageDescriptor& source, ImageDescriptor* target, int mode) {
  const ImagePixels* from = source.image.get();
  ImagePixels* to = target->image.get();
  if (from == nullptr || to == nullptr || to->bits != 8 || !same_size(*from, *to)) {
    return bad_image("the 8-bit image does not fit the source");
  }
  if (colours < 2 || colours > 256) return bad_image("the colour count is not 2 to 256");
  if (mode != 2) return bad_image("only the nearest colour without dither (mode 2) is known");
  if (from == to) return bad_image("the reduction needs an image of its own");
  return quantize_image(*from, colours, to);
}
