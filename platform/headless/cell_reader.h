// Reads back what the screen shows in its character cells: which glyph of a face a cell holds
// and in which two colours, found by comparing the framebuffer's pixels with the face's glyph
// bitmaps. UI tests assert on cells this way instead of on single pixels; cell_rows_text gives
// a plain text picture of a screen area for failure messages and whole-screen checks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/font.h"
#include "platform/surface.h"

// A cell read back. A cell of one colour reads as a space in that background, its foreground
// unknown (reported equal to the background).
struct CellRead {
  bool matched = false;     // the pixels are one glyph of the face in two colours
  uint8_t glyph = 0;        // the glyph's code
  uint32_t foreground = 0;  // 0x00RRGGBB of the glyph's set pixels
  uint32_t background = 0;  // 0x00RRGGBB of the rest of the cell
};

// What cell_rows_text writes for a cell that matches no glyph.
constexpr char CELL_UNREADABLE = '\x7f';

namespace cell_reader_detail {

inline bool pixel_in(const Surface& s, int x, int y) {
  return x >= 0 && y >= 0 && x < s.width && y < s.height;
}

inline uint32_t pixel_at(const Surface& s, int x, int y) {
  return s.pixels[static_cast<size_t>(y) * s.width + x];
}

// True when the cell at (x, y) shows `glyph` with foreground where its bits are set.
inline bool glyph_fits(const Surface& s, const FontFace& face, int x, int y, uint8_t glyph,
                       uint32_t foreground) {
  for (int gy = 0; gy < face.cell_height; ++gy)
    for (int gx = 0; gx < face.cell_width; ++gx)
      if ((pixel_at(s, x + gx, y + gy) == foreground) != font_glyph_pixel(face, glyph, gx, gy))
        return false;
  return true;
}

// Glyphs are tried printable ASCII first, then the upper half, then the control marks, so that
// a glyph drawn the same as another (a no-break space, say) reads as the commoner one.
inline int glyph_in_order(int i) { return i < 224 ? 32 + i : i - 224; }

}  // namespace cell_reader_detail

// The cell whose top-left pixel is (x, y). With `background` given, only that background is
// tried (for glyphs that are the inverse of another).
inline CellRead read_cell_at_pixel(const Surface& s, const FontFace& face, int x, int y,
                                   std::optional<uint32_t> background = std::nullopt) {
  using namespace cell_reader_detail;
  CellRead read;
  if (!pixel_in(s, x, y) || !pixel_in(s, x + face.cell_width - 1, y + face.cell_height - 1))
    return read;
  const uint32_t first = pixel_at(s, x, y);
  uint32_t other = first;
  for (int gy = 0; gy < face.cell_height; ++gy) {
    for (int gx = 0; gx < face.cell_width; ++gx) {
      const uint32_t p = pixel_at(s, x + gx, y + gy);
      if (p == first || p == other) continue;
      if (other != first) return read;  // three colours: not a glyph
      other = p;
    }
  }
  if (other == first) {
    if (background && *background != first) return read;
    read = {true, ' ', first, first};
    return read;
  }
  const uint32_t colours[2] = {first, other};
  for (int i = 0; i < 256; ++i) {
    const uint8_t glyph = static_cast<uint8_t>(glyph_in_order(i));
    for (int k = 0; k < 2; ++k) {
      const uint32_t fg = colours[k];
      const uint32_t bg = colours[1 - k];
      if (background && *background != bg) continue;
      if (glyph_fits(s, face, x, y, glyph, fg)) {
        read = {true, glyph, fg, bg};
        return read;
      }
    }
  }
  return read;
}

// The cell at (row, column) of the face's grid.
inline CellRead read_cell(const Surface& s, const FontFace& face, int row, int column,
                          std::optional<uint32_t> background = std::nullopt) {
  return read_cell_at_pixel(s, face, column * face.cell_width, row * face.cell_height,
                            background);
}

// The glyphs of `count` cells of one row; CELL_UNREADABLE where a cell matches no glyph.
inline std::string cell_row_text(const Surface& s, const FontFace& face, int row, int column,
                                 int count) {
  std::string text;
  for (int c = 0; c < count; ++c) {
    const CellRead read = read_cell(s, face, row, column + c);
    text.push_back(read.matched ? static_cast<char>(read.glyph) : CELL_UNREADABLE);
  }
  return text;
}

// The glyphs of an area of rows x columns cells, one line per row, each ended by '\n'.
inline std::string cell_rows_text(const Surface& s, const FontFace& face, int row, int column,
                                  int rows, int columns) {
  std::string text;
  for (int r = 0; r < rows; ++r) text += cell_row_text(s, face, row + r, column, columns) + '\n';
  return text;
}
