#include "print/window_image.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "platform/window.h"
#include "print/abort_dialog.h"

namespace {

constexpr int32_t SMALL_BITMAP_BYTES = 65503;  // a band stays below 64 KB on older printers
constexpr int MOST_COLOURS_COUNTED = 257;
constexpr int32_t FALLBACK_SCREEN_WIDTH = 1024;  // no window (the command-line tool)
constexpr int32_t FALLBACK_SCREEN_HEIGHT = 768;

size_t row_bytes(int32_t width, int bits_per_pixel) {
  return ((static_cast<size_t>(width) * bits_per_pixel + 31) / 32) * 4;
}

struct WindowPrintJob {
  const PrintableWindow* window = nullptr;
  PrintJob* printer = nullptr;
  PrintRect destination;
  long double scale_x = 1;
  long double scale_y = 1;
  long double inverse_x = 1;
  long double inverse_y = 1;
  WindowPrintOptions options;
  TAbortDialog* dialog = nullptr;
  WindowPaintCallback paint = nullptr;
  void* paint_object = nullptr;
  PrintProgressCallback progress = nullptr;
  void* progress_object = nullptr;
};

int print_band_progress(int index, int count, WindowPrintJob* job) {
  if (job->options.show_cancel_dialog != 0 && job->dialog != nullptr) {
    const int percent = count > 0 ? static_cast<int>(static_cast<double>(index) / count * 100) : 0;
    if (show_printing_progress(job->dialog, "Printing - " + std::to_string(percent) + "%")) return 0;
  }
  if (job->progress != nullptr) return job->progress(index, count, job->progress_object) != 0;
  return 1;
}

int print_window_band(PrintTileWalk* walk) {
  auto* job = static_cast<WindowPrintJob*>(walk->object);
  const PrintRect& tile = walk->tile;
  const int32_t tile_width = tile.right - tile.left;
  const int32_t tile_height = tile.bottom - tile.top;
  // The window's part under the tile.
  const auto source_left = static_cast<int32_t>(
      (tile.left - job->destination.left) * job->inverse_x - job->window->scroll_x);
  const auto source_top = static_cast<int32_t>(
      (tile.top - job->destination.top) * job->inverse_y - job->window->scroll_y);
  Surface band;
  surface_resize(&band, static_cast<int>(tile_width * job->inverse_x) + 1,
                 static_cast<int>(tile_height * job->inverse_y) + 1);
  std::fill(band.pixels.begin(), band.pixels.end(), job->window->background);
  Canvas canvas;
  canvas_init(&canvas, &band);
  PrintBand painted{&canvas, source_left, source_top};
  if (job->paint != nullptr) job->paint(job->paint_object, &painted);
  PackedBand out;
  pack_band(band, std::max(tile_width, 1), std::max(tile_height, 1), job->inverse_x,
            job->inverse_y, job->options.true_colour != 0, &out);
  band = Surface();  // the band's memory goes before the page takes the output
  const PrintImage image{out.width, out.height, out.bits_per_pixel, out.bits, out.palette};
  if (!print_draw_image(job->printer, tile.left, tile.top, image)) return 0;
  return print_band_progress(walk->index, walk->count, job);
}

void screen_size(int32_t* width, int32_t* height) {
  const Surface* screen = window_surface();
  const bool known = screen != nullptr && screen->width > 0 && screen->height > 0;
  *width = known ? screen->width : FALLBACK_SCREEN_WIDTH;
  *height = known ? screen->height : FALLBACK_SCREEN_HEIGHT;
}

}  // namespace

int32_t print_tile_height(int32_t screen_width, int32_t screen_height, bool large_bitmaps) {
  if (large_bitmaps) return screen_height;
  const auto row = static_cast<int32_t>(row_bytes(std::max(screen_width, 1), 24));
  return std::max<int32_t>(1, SMALL_BITMAP_BYTES / row);
}

int count_print_tiles(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t tile_width,
                      int32_t tile_height, PrintTileWalk* walk) {
  if (tile_width < 1 || tile_height < 1 || right < left || bottom < top || walk == nullptr) return 0;
  // Every tile but the last of a row or column is whole, so every tile of a non-empty rectangle
  // is non-empty.
  const int64_t columns = (static_cast<int64_t>(right) - left + tile_width - 1) / tile_width;
  const int64_t rows = (static_cast<int64_t>(bottom) - top + tile_height - 1) / tile_height;
  walk->count = static_cast<int32_t>(std::min<int64_t>(columns * rows, INT32_MAX));
  return 1;
}

int for_each_print_tile(int32_t left, int32_t top, int32_t right, int32_t bottom,
                        int32_t tile_width, int32_t tile_height, PrintTileCallback callback,
                        void* object) {
  PrintTileWalk walk;
  if (callback == nullptr ||
      !count_print_tiles(left, top, right, bottom, tile_width, tile_height, &walk)) {
    return 0;
  }
  walk.covered = {left, top, right, bottom};
  walk.tile_width = tile_width;
  walk.tile_height = tile_height;
  walk.object = object;
  walk.index = 0;
  walk.row = 0;
  for (int64_t y = top; y < bottom; y += tile_height, ++walk.row) {
    walk.column = 0;
    for (int64_t x = left; x < right; x += tile_width, ++walk.column) {
      walk.tile = {static_cast<int32_t>(x), static_cast<int32_t>(y),
                   static_cast<int32_t>(std::min<int64_t>(x + tile_width, right)),
                   static_cast<int32_t>(std::min<int64_t>(y + tile_height, bottom))};
      ++walk.index;
      if (callback(&walk) == 0) return 0;
    }
  }
  return 1;
}

int count_band_colours(const Surface& band, std::vector<uint32_t>* colours) {
  colours->clear();
  std::unordered_map<uint32_t, int> seen;
  for (const uint32_t pixel : band.pixels) {
    const uint32_t colour = pixel & 0xFFFFFFu;
    if (seen.emplace(colour, 0).second) {
      colours->push_back(colour);
      if (static_cast<int>(colours->size()) >= MOST_COLOURS_COUNTED) break;
    }
  }
  return static_cast<int>(colours->size());
}

int band_depth_for_colours(int colours) {
  if (colours >= 1 && colours <= 2) return 1;
  if (colours >= 3 && colours <= 16) return 4;
  if (colours >= 17 && colours <= 256) return 8;
  return 24;
}

void pack_band(const Surface& band, int32_t width, int32_t height, long double inverse_x,
               long double inverse_y, bool true_colour, PackedBand* out) {
  *out = PackedBand{};
  out->width = std::max(width, 1);
  out->height = std::max(height, 1);
  std::vector<uint32_t> colours;
  const int count = true_colour ? 0 : count_band_colours(band, &colours);
  out->bits_per_pixel = band_depth_for_colours(count);
  if (out->bits_per_pixel != 24) out->palette = colours;
  std::unordered_map<uint32_t, uint8_t> index_of;
  for (size_t i = 0; i < out->palette.size(); ++i) index_of[out->palette[i]] = static_cast<uint8_t>(i);
  const size_t stride = row_bytes(out->width, out->bits_per_pixel);
  out->bits.assign(stride * out->height, 0);
  if (band.width < 1 || band.height < 1) return;
  // The source column of every output column, worked out once.
  std::vector<int32_t> source_x(out->width);
  for (int32_t x = 0; x < out->width; ++x) {
    source_x[x] = std::min(static_cast<int32_t>(x * inverse_x), band.width - 1);
  }
  for (int32_t r = 0; r < out->height; ++r) {
    const int32_t sy = std::min(static_cast<int32_t>(r * inverse_y), band.height - 1);
    const uint32_t* source = band.pixels.data() + static_cast<size_t>(sy) * band.width;
    uint8_t* row = out->bits.data() + stride * r;
    for (int32_t x = 0; x < out->width; ++x) {
      const uint32_t colour = source[source_x[x]] & 0xFFFFFFu;
      switch (out->bits_per_pixel) {
        case 1:
          if (index_of[colour] != 0) row[x >> 3] |= static_cast<uint8_t>(0x80u >> (x & 7));
          break;
        case 4:
          row[x >> 1] |= static_cast<uint8_t>((x & 1) ? index_of[colour] : index_of[colour] << 4);
          break;
        case 8: row[x] = index_of[colour]; break;
        default:
          row[3 * x] = static_cast<uint8_t>(colour);
          row[3 * x + 1] = static_cast<uint8_t>(colour >> 8);
          row[3 * x + 2] = static_cast<uint8_t>(colour >> 16);
      }
    }
  }
}

int print_window_image(const PrintableWindow* window, PrintJob* printer, int x, int y, int width,
                       int height, const PrintRect& clip, const WindowPrintOptions& options,
                       WindowPaintCallback paint, void* paint_object,
                       PrintProgressCallback progress, void* progress_object) {
  if (window == nullptr) return 0;
  WindowPrintJob job;
  job.window = window;
  job.printer = printer;
  job.options = options;
  job.paint = paint;
  job.paint_object = paint_object;
  job.progress = progress;
  job.progress_object = progress_object;
  job.destination = {x, y, x + width, y + height};
  const PrintRect meet{std::max(job.destination.left, clip.left),
                       std::max(job.destination.top, clip.top),
                       std::min(job.destination.right, clip.right),
                       std::min(job.destination.bottom, clip.bottom)};
  if (width <= 0 || height <= 0 || meet.right <= meet.left || meet.bottom <= meet.top ||
      window->extent_width <= 0 || window->extent_height <= 0) {
    return 1;
  }
  job.scale_x = static_cast<long double>(width) / window->extent_width;
  job.scale_y = static_cast<long double>(height) / window->extent_height;
  job.inverse_x = 1 / job.scale_x;
  job.inverse_y = 1 / job.scale_y;
  int32_t screen_width = 0;
  int32_t screen_height = 0;
  screen_size(&screen_width, &screen_height);
  // PDF pages take bitmaps of any size.
  const int32_t tile_height = print_tile_height(screen_width, screen_height, true);
  if (options.show_cancel_dialog != 0) {
    job.dialog = open_abort_dialog();
    show_printing_progress(job.dialog, "Printing - 0%");
  }
  const int done = for_each_print_tile(meet.left, meet.top, meet.right, meet.bottom, screen_width,
                                       tile_height, print_window_band, &job);
  if (job.dialog != nullptr) close_abort_dialog(job.dialog);
  return done;
}
