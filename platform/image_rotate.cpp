// Turning images: by any angle (grey and colour pixels sampled between their neighbours, palette
// pixels taken whole), by quarter turns, and the four in-place operations of the Image menu:
// flip, mirror, negative and edges.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

#include "platform/image_internal.h"

namespace {

int bad_image(const char* reason) { return image_failure("image", reason, IMAGE_ERROR_BAD_IMAGE); }

inline int bit_at(const uint8_t* row, int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

inline void put_bit(uint8_t* row, int x, int bit) {
  const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
  row[x >> 3] = static_cast<uint8_t>(bit ? row[x >> 3] | mask : row[x >> 3] & ~mask);
}

// Fixed point with 16 fraction bits for the sampling positions.
constexpr int64_t FIXED_ONE = 1 << 16;

// Samples `channels` bytes at (sx, sy) in 16.16 pixel units (pixel centres at whole values),
// between the four neighbours, clamped at the borders.
inline void sample_between(const ImagePixels& from, int channels, int64_t sx, int64_t sy, uint8_t* out) {
  const int64_t fx = sx & (FIXED_ONE - 1), fy = sy & (FIXED_ONE - 1);
  const int64_t x0 = sx >> 16, y0 = sy >> 16;
  const int64_t xa = std::clamp<int64_t>(x0, 0, from.width - 1), xb = std::clamp<int64_t>(x0 + 1, 0, from.width - 1);
  const int64_t ya = std::clamp<int64_t>(y0, 0, from.height - 1), yb = std::clamp<int64_t>(y0 + 1, 0, from.height - 1);
  const uint8_t* top = image_row(from, ya);
  const uint8_t* bottom = image_row(from, yb);
  for (int c = 0; c < channels; ++c) {
    const int64_t upper = top[xa * channels + c] * (FIXED_ONE - fx) + top[xb * channels + c] * fx;
    const int64_t lower = bottom[xa * channels + c] * (FIXED_ONE - fx) + bottom[xb * channels + c] * fx;
    const int64_t value = (upper * (FIXED_ONE - fy) + lower * fy + (int64_t{1} << 31)) >> 32;
    out[c] = static_cast<uint8_t>(value);
  }
}

}  // namespace

int image_rotate(double degrees, const ImageDescriptor& source, ImageDescriptor* target) {
  const ImagePixels* from = source.image.get();
  ImagePixels* to = target->image.get();
  if (from == nullptr || to == nullptr || from == to || from->bits != to->bits) {
    return bad_image("the rotated image does not fit the source");
  }
  if (!std::isfinite(degrees)) return bad_image("the angle is not a number");
  const double angle = std::remainder(degrees, 360.0) * std::numbers::pi / 180.0;
  const double c = std::cos(angle), s = std::sin(angle);
  const double source_cx = from->width / 2.0, source_cy = from->height / 2.0;
  const double target_cx = to->width / 2.0, target_cy = to->height / 2.0;
  const bool between = from->bits == 24 || from->grey;
  const int channels = from->bits == 24 ? 3 : 1;
  const int64_t step_x = std::llround(c * FIXED_ONE), step_y = std::llround(s * FIXED_ONE);
  for (int y = 0; y < to->height; ++y) {
    // Source position of the centre of the row's first pixel, as seen with rows counted down.
    const double dx = 0.5 - target_cx, dy = y + 0.5 - target_cy;
    const double first_x = source_cx + c * dx - s * dy - 0.5;
    const double first_y = source_cy + s * dx + c * dy - 0.5;
    int64_t sx = std::llround(first_x * FIXED_ONE), sy = std::llround(first_y * FIXED_ONE);
    uint8_t* out = image_row(*to, y);
    for (int x = 0; x < to->width; ++x, sx += step_x, sy += step_y) {
      // Pixels whose centre maps outside the source keep what the target held.
      if (sx < -FIXED_ONE / 2 || sy < -FIXED_ONE / 2 || sx >= (from->width - 1) * FIXED_ONE + FIXED_ONE / 2 ||
          sy >= (from->height - 1) * FIXED_ONE + FIXED_ONE / 2) {
        continue;
      }
      if (between) {
        sample_between(*from, channels, sx, sy, out + static_cast<int64_t>(x) * channels);
        continue;
      }
      const int64_t nx = (sx + FIXED_ONE / 2) >> 16, ny = (sy + FIXED_ONE / 2) >> 16;
      const uint8_t* in = image_row(*from, ny);
      if (from->bits == 1) put_bit(out, x, bit_at(in, static_cast<int>(nx)));
      else out[x] = in[nx];
    }
  }
  return IMAGE_OK;
}

int image_rotate_quarter(int direction, const ImageDescriptor& source, ImageDescriptor* target) {
  const ImagePixels* from = source.image.get();
  ImagePixels* to = target->image.get();
  if (from == nullptr || to == nullptr || from == to || from->bits != to->bits || to->width != from->height ||
      to->height != from->width) {
    return bad_image("the turned image does not fit the source");
  }
  if (direction != 0 && direction != 1) return bad_image("the direction is not 0 or 1");
  const int bytes = from->bits / 8;
  constexpr int BLOCK = 64;  // rows and columns at a time, to stay in the cache
  for (int y0 = 0; y0 < to->height; y0 += BLOCK) {
    for (int x0 = 0; x0 < to->width; x0 += BLOCK) {
      for (int y = y0; y < std::min(y0 + BLOCK, to->height); ++y) {
        uint8_t* out = image_row(*to, y);
        for (int x = x0; x < std::min(x0 + BLOCK, to->width); ++x) {
          // Clockwise: the source's left column becomes the top row; counter-clockwise: its right.
          const int sx = direction == 0 ? y : from->width - 1 - y;
          const int sy = direction == 0 ? from->height - 1 - x : x;
          const uint8_t* in = image_row(*from, sy);
          if (from->bits == 1) put_bit(out, x, bit_at(in, sx));
          else std::memcpy(out + static_cast<int64_t>(x) * bytes, in + static_cast<int64_t>(sx) * bytes, static_cast<size_t>(bytes));
        }
      }
    }
  }
  to->palette = from->palette;
  to->grey = from->grey;
  return IMAGE_OK;
}

// ---- In-place operations -----------------------------------------------------------------------

namespace {

void flip_top_bottom(ImagePixels* image) {
  std::vector<uint8_t> spare(static_cast<size_t>(image->row_bytes));
  for (int a = 0, b = image->height - 1; a < b; ++a, --b) {
    std::memcpy(spare.data(), image_row(*image, a), spare.size());
    std::memcpy(image_row(*image, a), image_row(*image, b), spare.size());
    std::memcpy(image_row(*image, b), spare.data(), spare.size());
  }
}

void mirror_left_right(ImagePixels* image) {
  const int bytes = image->bits / 8;
  for (int y = 0; y < image->height; ++y) {
    uint8_t* row = image_row(*image, y);
    for (int a = 0, b = image->width - 1; a < b; ++a, --b) {
      if (image->bits == 1) {
        const int bit_a = bit_at(row, a);
        put_bit(row, a, bit_at(row, b));
        put_bit(row, b, bit_a);
      } else {
        for (int k = 0; k < bytes; ++k) std::swap(row[a * bytes + k], row[b * bytes + k]);
      }
    }
  }
}

void make_negative(ImagePixels* image) {
  if (image->bits == 24 || image->grey) {
    // Grey levels are their own indices, so the ramp stays and the levels turn.
    const int64_t used = image->bits == 24 ? int64_t{image->width} * 3 : image->width;
    for (int y = 0; y < image->height; ++y) {
      uint8_t* row = image_row(*image, y);
      for (int64_t i = 0; i < used; ++i) row[i] = static_cast<uint8_t>(255 - row[i]);
    }
    return;
  }
  for (uint32_t& colour : image->palette) colour = ~colour & 0xFFFFFFu;
  update_grey_flag(image);
}

// Edge strength of one channel at (x, y) from the 3 x 3 block around it: both Sobel sums,
// halved and capped, so a full step is 255 and flat ground 0.
inline uint8_t edge_strength(const int* up, const int* here, const int* down, int xl, int x, int xr) {
  const int gx = (up[xr] + 2 * here[xr] + down[xr]) - (up[xl] + 2 * here[xl] + down[xl]);
  const int gy = (down[xl] + 2 * down[x] + down[xr]) - (up[xl] + 2 * up[x] + up[xr]);
  return static_cast<uint8_t>(std::min(255, (std::abs(gx) + std::abs(gy)) / 2));
}

// One channel of row y as levels: the channel of 24-bit pixels, else the pixel's grey level.
void read_levels(const ImagePixels& image, const std::vector<uint8_t>& level_of, int y, int channel, int* out) {
  const uint8_t* row = image_row(image, y);
  for (int x = 0; x < image.width; ++x) {
    if (image.bits == 24) out[x] = row[3 * x + channel];
    else out[x] = level_of[image.bits == 1 ? bit_at(row, x) : row[x]];
  }
}

void keep_edges(ImagePixels* image) {
  const int channels = image->bits == 24 ? 3 : 1;
  std::vector<uint8_t> level_of(256, 0);
  for (size_t i = 0; i < image->palette.size() && i < 256; ++i) level_of[i] = luma_of(image->palette[i]);
  const int w = image->width, h = image->height;
  // The three source rows around the one being written, per channel, read before it changes.
  std::vector<int> rows(static_cast<size_t>(3 * channels) * w);
  const auto band = [&](int slot, int channel) { return rows.data() + (static_cast<size_t>(slot) * channels + channel) * w; };
  for (int c = 0; c < channels; ++c) {
    read_levels(*image, level_of, 0, c, band(0, c));
    std::memcpy(band(1, c), band(0, c), sizeof(int) * w);
    read_levels(*image, level_of, std::min(1, h - 1), c, band(2, c));
  }
  int up = 0, here = 1, down = 2;
  // A 1-bit image marks edges with its lighter colour, the rest with the darker.
  const int light = image->bits == 1 && level_of[0] > level_of[1] ? 0 : 1;
  for (int y = 0; y < h; ++y) {
    uint8_t* out = image_row(*image, y);
    for (int x = 0; x < w; ++x) {
      const int xl = std::max(0, x - 1), xr = std::min(w - 1, x + 1);
      for (int c = 0; c < channels; ++c) {
        const uint8_t e = edge_strength(band(up, c), band(here, c), band(down, c), xl, x, xr);
        if (image->bits == 24) out[3 * x + c] = e;
        else if (image->bits == 8) out[x] = e;
        else put_bit(out, x, e >= 128 ? light : 1 - light);
      }
    }
    // Shift the window down one row; the new lowest row is read while still unchanged.
    const int freed = up;
    up = here;
    here = down;
    down = freed;
    for (int c = 0; c < channels; ++c) read_levels(*image, level_of, std::min(y + 2, h - 1), c, band(down, c));
  }
  if (image->bits == 8) set_grey_ramp(image);
}

}  // namespace

int image_in_place(int operation, ImageDescriptor* image) {
  ImagePixels* pixels = image->image.get();
  if (pixels == nullptr) return bad_image("no image");
  switch (operation) {
    case IMAGE_OP_FLIP_TOP_BOTTOM: flip_top_bottom(pixels); break;
    case IMAGE_OP_MIRROR_LEFT_RIGHT: mirror_left_right(pixels); break;
    case IMAGE_OP_NEGATIVE: make_negative(pixels); break;
    case IMAGE_OP_KEEP_EDGES: keep_edges(pixels); break;
    default: return bad_image("no such in-place operation");
  }
  return IMAGE_OK;
}
