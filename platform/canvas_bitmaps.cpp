// Pixels that arrive whole: blits between surfaces, save-unders, masked sprites and DIB rows.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/canvas.h"
#include "platform/canvas_internal.h"

static bool surface_sound(const Surface& surface) {
  return surface.width > 0 && surface.height > 0 &&
         surface.pixels.size() >= static_cast<size_t>(surface.width) * surface.height;
}

// Blits

void canvas_blit(Canvas* canvas, int x, int y, const Surface& source, CanvasRect source_rect) {
  CanvasClip clip;
  if (!canvas_clip_of(*canvas, &clip) || !surface_sound(source)) return;
  const int64_t src_left = std::min(source_rect.left, source_rect.right);
  const int64_t src_top = std::min(source_rect.top, source_rect.bottom);
  const int64_t src_right = std::max(source_rect.left, source_rect.right);
  const int64_t src_bottom = std::max(source_rect.top, source_rect.bottom);
  // Destination = source + offset.
  const int64_t offset_x = x - src_left, offset_y = y - src_top;
  const int64_t x0 = std::max({std::max<int64_t>(src_left, 0) + offset_x, int64_t{clip.left}});
  const int64_t x1 = std::min({std::min<int64_t>(src_right, source.width) + offset_x,
                               int64_t{clip.right}});
  const int64_t y0 = std::max({std::max<int64_t>(src_top, 0) + offset_y, int64_t{clip.top}});
  const int64_t y1 = std::min({std::min<int64_t>(src_bottom, source.height) + offset_y,
                               int64_t{clip.bottom}});
  if (x0 >= x1 || y0 >= y1) return;
  const size_t bytes = static_cast<size_t>(x1 - x0) * sizeof(uint32_t);
  // Within one surface, rows are taken in the order that reads each before it is overwritten.
  const bool upwards = &source == canvas->target && offset_y > 0;
  for (int64_t i = 0; i < y1 - y0; ++i) {
    const int64_t dy = upwards ? y1 - 1 - i : y0 + i;
    const uint32_t* from = source.pixels.data() + (dy - offset_y) * source.width + (x0 - offset_x);
    std::memmove(canvas_row(*canvas, static_cast<int>(dy)) + x0, from, bytes);
  }
}

// Save-unders

void canvas_save_under(const Canvas& canvas, CanvasRect rect, CanvasSaveUnder* save) {
  save->rect = {};
  save->pixels = Surface{};
  if (!canvas.target || !surface_sound(*canvas.target)) return;
  const Surface& surface = *canvas.target;
  // Only what lies on the surface is kept: a far-off rectangle costs nothing.
  const int left = std::clamp(std::min(rect.left, rect.right), 0, surface.width);
  const int right = std::clamp(std::max(rect.left, rect.right), 0, surface.width);
  const int top = std::clamp(std::min(rect.top, rect.bottom), 0, surface.height);
  const int bottom = std::clamp(std::max(rect.top, rect.bottom), 0, surface.height);
  if (left >= right || top >= bottom) return;
  save->rect = {left, top, right, bottom};
  surface_resize(&save->pixels, right - left, bottom - top);
  for (int y = top; y < bottom; ++y) {
    std::memcpy(save->pixels.pixels.data() + static_cast<size_t>(y - top) * (right - left),
                surface.pixels.data() + static_cast<size_t>(y) * surface.width + left,
                static_cast<size_t>(right - left) * sizeof(uint32_t));
  }
}

void canvas_restore_under(Canvas* canvas, const CanvasSaveUnder& save) {
  if (!canvas->target || !surface_sound(*canvas->target) || !surface_sound(save.pixels)) return;
  Canvas whole = *canvas;  // save-unders ignore the clip
  whole.clip = CANVAS_CLIP_NONE;
  canvas_blit(&whole, save.rect.left, save.rect.top, save.pixels,
              {0, 0, save.pixels.width, save.pixels.height});
}

// Sprites

void canvas_draw_sprite(Canvas* canvas, int x, int y, const CanvasSprite& sprite) {
  CanvasClip clip;
  if (!canvas_clip_of(*canvas, &clip)) return;
  const int64_t x0 = std::max<int64_t>(x, clip.left);
  const int64_t x1 = std::min<int64_t>(int64_t{x} + CANVAS_SPRITE_SIZE, clip.right);
  const int64_t y0 = std::max<int64_t>(y, clip.top);
  const int64_t y1 = std::min<int64_t>(int64_t{y} + CANVAS_SPRITE_SIZE, clip.bottom);
  for (int64_t py = y0; py < y1; ++py) {
    const int64_t sy = py - y;
    uint32_t* row = canvas_row(*canvas, static_cast<int>(py));
    for (int64_t px = x0; px < x1; ++px) {
      const int64_t sx = px - x;
      const uint32_t keep = (sprite.and_mask[sy] >> (31 - sx)) & 1 ? 0xFFFFFFu : 0u;
      row[px] = ((row[px] & keep) ^ sprite.xor_image[sy * CANVAS_SPRITE_SIZE + sx]) & 0xFFFFFFu;
    }
  }
}

// DIB rows

// Bytes per stored row, or 0 when the description cannot be drawn safely.
static int64_t dib_stride(const CanvasDib& dib) {
  if (dib.width <= 0 || dib.height == 0 || dib.height == INT_MIN) return 0;
  const int bpp = dib.bits_per_pixel;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) return 0;
  const int64_t stride = (static_cast<int64_t>(dib.width) * bpp + 31) / 32 * 4;
  const int64_t rows = dib.height < 0 ? -static_cast<int64_t>(dib.height) : dib.height;
  if (static_cast<uint64_t>(rows) > dib.bits.size() / static_cast<uint64_t>(stride)) return 0;
  return stride;
}

// Row r counted from the top of the picture.
static const uint8_t* dib_row(const CanvasDib& dib, int64_t stride, int64_t r) {
  const int64_t rows = dib.height < 0 ? -static_cast<int64_t>(dib.height) : dib.height;
  const int64_t stored = dib.height > 0 ? rows - 1 - r : r;
  return dib.bits.data() + stored * stride;
}

static uint32_t dib_pixel(const CanvasDib& dib, const uint8_t* row, int64_t x) {
  size_t index;
  switch (dib.bits_per_pixel) {
    case 1: index = (row[x >> 3] >> (7 - (x & 7))) & 1; break;
    case 4: index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15; break;
    case 8: index = row[x]; break;
    default: {
      const uint8_t* p = row + 3 * x;
      return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    }
  }
  return index < dib.palette.size() ? dib.palette[index] & 0xFFFFFFu : 0;
}

// Draws source columns [sx0, sx1) and rows [sy0, sy1) (rows from the top) scaled to
// [left, right) x [top, bottom): each pixel from the nearest source pixel at or before it. The
// source column of each destination column is worked out once, not once a pixel.
static int draw_dib_into(Canvas* canvas, int64_t left, int64_t top, int64_t right, int64_t bottom,
                         const CanvasDib& dib, int64_t sx0, int64_t sy0, int64_t sx1, int64_t sy1) {
  const int64_t stride = dib_stride(dib);
  if (stride == 0) return -1;
  const int64_t rows = dib.height < 0 ? -static_cast<int64_t>(dib.height) : dib.height;
  sx0 = std::clamp<int64_t>(sx0, 0, dib.width);
  sx1 = std::clamp<int64_t>(sx1, 0, dib.width);
  sy0 = std::clamp<int64_t>(sy0, 0, rows);
  sy1 = std::clamp<int64_t>(sy1, 0, rows);
  const int64_t dest_width = right - left;
  const int64_t dest_height = bottom - top;
  CanvasClip clip;
  if (dest_width <= 0 || dest_height <= 0 || sx1 <= sx0 || sy1 <= sy0 || !canvas_clip_of(*canvas, &clip)) return 0;
  const int64_t x0 = std::max<int64_t>(left, clip.left);
  const int64_t x1 = std::min<int64_t>(right, clip.right);
  const int64_t y0 = std::max<int64_t>(top, clip.top);
  const int64_t y1 = std::min<int64_t>(bottom, clip.bottom);
  if (x0 >= x1 || y0 >= y1) return static_cast<int>(rows);
  std::vector<int64_t> column(static_cast<size_t>(x1 - x0));
  for (int64_t px = x0; px < x1; ++px) column[px - x0] = sx0 + (px - left) * (sx1 - sx0) / dest_width;
  std::vector<uint32_t> colours(256, 0);
  for (size_t i = 0; i < dib.palette.size() && i < 256; ++i) colours[i] = dib.palette[i] & 0xFFFFFFu;
  const bool short_palette = dib.palette.size() < (size_t{1} << std::min(dib.bits_per_pixel, 8));
  for (int64_t py = y0; py < y1; ++py) {
    const uint8_t* source = dib_row(dib, stride, sy0 + (py - top) * (sy1 - sy0) / dest_height);
    uint32_t* row = canvas_row(*canvas, static_cast<int>(py)) + x0;
    const int64_t count = x1 - x0;
    switch (dib.bits_per_pixel) {
      case 24:
        for (int64_t i = 0; i < count; ++i) {
          const uint8_t* p = source + 3 * column[i];
          row[i] = (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
        }
        break;
      case 8:
        if (!short_palette) {
          for (int64_t i = 0; i < count; ++i) row[i] = colours[source[column[i]]];
          break;
        }
        [[fallthrough]];
      default:
        for (int64_t i = 0; i < count; ++i) row[i] = dib_pixel(dib, source, column[i]);
        break;
    }
  }
  return static_cast<int>(rows);
}

int canvas_draw_dib(Canvas* canvas, int x, int y, const CanvasDib& dib) {
  if (dib_stride(dib) == 0) return -1;
  const int64_t rows = dib.height < 0 ? -static_cast<int64_t>(dib.height) : dib.height;
  return draw_dib_into(canvas, x, y, int64_t{x} + dib.width, y + rows, dib, 0, 0, dib.width, rows);
}

int canvas_stretch_dib(Canvas* canvas, CanvasRect dest, const CanvasDib& dib) {
  const int64_t rows = dib.height < 0 ? -static_cast<int64_t>(dib.height) : dib.height;
  return draw_dib_into(canvas, dest.left, dest.top, dest.right, dest.bottom, dib, 0, 0, dib.width, rows);
}

int canvas_stretch_dib(Canvas* canvas, CanvasRect dest, const CanvasDib& dib, CanvasRect source) {
  return draw_dib_into(canvas, dest.left, dest.top, dest.right, dest.bottom, dib, source.left, source.top,
                       source.right, source.bottom);
}
