// The window-image printer: a window paints itself into white memory bitmaps one band at a time;
// each band is reduced to the smallest colour depth that holds its colours, resampled to the
// printer's resolution and placed on the printer's page. A destination rectangle of the page
// receives the window's whole scrollable area, stretched; only its part inside a clip rectangle
// (one page's printable area) is produced. Child controls are not painted: the windows printed
// here have none.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/canvas.h"
#include "platform/printing.h"
#include "platform/surface.h"

struct PrintRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;   // outside
  int32_t bottom = 0;  // outside
};

struct WindowPrintOptions {
  int32_t record_size = 16;
  int32_t show_cancel_dialog = 0;  // non-zero: the printer opens its own cancel box
  int32_t skip_flushes = 0;        // nothing to flush here; kept for the record's shape
  int32_t true_colour = 0;         // non-zero: every band goes out at 24 bits
};

// What is printed of a window: its scrollable extent, where it is scrolled to, and the colour
// its bands start from.
struct PrintableWindow {
  int32_t extent_width = 0;   // window pixels
  int32_t extent_height = 0;
  int32_t scroll_x = 0;
  int32_t scroll_y = 0;
  uint32_t background = 0xFFFFFF;
};

// One band as the window paints it: window pixel (x, y) lands on band pixel
// (x - origin_x, y - origin_y).
struct PrintBand {
  Canvas* canvas = nullptr;
  int32_t origin_x = 0;
  int32_t origin_y = 0;
};

// Callbacks: the window paints itself (non-zero when it did); progress gets the band index (from
// 1), the band count and its object, and 0 cancels the job.
using WindowPaintCallback = int (*)(void* object, PrintBand* band);
using PrintProgressCallback = int (*)(int band_index, int band_count, void* object);

// ---- Printing ---------------------------------------------------------------------------------

// 1 done (also when there is nothing to print), 0 failed or cancelled. The tile is the screen's
// size (screen_width x screen_height window pixels become a band).
int print_window_image(const PrintableWindow* window, PrintJob* printer, int x, int y, int width,
                       int height, const PrintRect& clip, const WindowPrintOptions& options,
                       WindowPaintCallback paint, void* paint_object,
                       PrintProgressCallback progress, void* progress_object);

// ---- Tiles ------------------------------------------------------------------------------------

struct PrintTileWalk {
  PrintRect covered;
  int32_t tile_width = 0;
  int32_t tile_height = 0;
  PrintRect tile;          // the current tile, clipped to the covered rectangle
  int32_t row = 0;
  int32_t column = 0;
  int32_t index = 0;       // the current non-empty tile, from 1
  int32_t count = 0;       // non-empty tiles
  void* object = nullptr;  // the caller's
};
using PrintTileCallback = int (*)(PrintTileWalk* walk);

// 1, or 0 for a tile size below 1 or an inverted rectangle; the number of non-empty tiles in
// walk->count.
int count_print_tiles(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t tile_width,
                      int32_t tile_height, PrintTileWalk* walk);
// Visits the non-empty tiles row by row, left to right: 1 when every tile was handled, 0 when a
// callback returned 0 or the arguments were unusable.
int for_each_print_tile(int32_t left, int32_t top, int32_t right, int32_t bottom,
                        int32_t tile_width, int32_t tile_height, PrintTileCallback callback,
                        void* object);
// The band height: the screen's height on a printer that takes large bitmaps, else as many rows
// of a 24-bit bitmap of the screen's width as stay below 64 KB.
int32_t print_tile_height(int32_t screen_width, int32_t screen_height, bool large_bitmaps);

// ---- Bands ------------------------------------------------------------------------------------

// A band as it goes to the printer.
struct PackedBand {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bits_per_pixel = 24;     // 1, 4, 8 or 24
  std::vector<uint32_t> palette;   // the band's colours in order of first appearance (not 24)
  std::vector<uint8_t> bits;       // rows top first, padded to 4 bytes
};
// The distinct colours of a surface in order of first appearance, at most 257 collected.
int count_band_colours(const Surface& band, std::vector<uint32_t>* colours);
// 1 bit for 1-2 colours, 4 for 3-16, 8 for 17-256, 24 for more or for none.
int band_depth_for_colours(int colours);
// Resamples the band (nearest neighbour: output pixel x takes source pixel trunc(x * inverse))
// to width x height at its smallest depth, or 24 bits with true_colour.
void pack_band(const Surface& band, int32_t width, int32_t height, long double inverse_x,
               long double inverse_y, bool true_colour, PackedBand* out);
