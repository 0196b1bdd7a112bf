// Shared by the canvas sources only: the working state, the effective clip, the mixes, span
// painting, the thin-line walk and the coverage mask that curved and filled shapes are marked
// into before each of their pixels is painted exactly once.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/canvas.h"

__extension__ typedef __int128 CanvasWide;  // products of two 33-bit line deltas

// Glyphs of one face expanded to one 32-bit mask per pixel, so a glyph row is drawn with
// plain word operations. Kept with a copy of the glyph bits it was made from: a face is
// recognised by its bits, so one freed and another loaded at its address is never confused.
struct CanvasFaceMasks {
  int cell_width = 0;              // pixels
  int cell_height = 0;             // pixels
  int bytes_per_row = 0;           // of the glyph bits
  std::vector<uint8_t> bits;       // the face's glyph bits, 256 x cell_height x bytes_per_row
  std::vector<uint32_t> masks;     // 256 glyphs x cell_height x cell_width; 0 or 0xFFFFFFFF
};

struct CanvasWork {
  std::vector<CanvasFaceMasks> faces;  // faces drawn so far, last used first; at most CANVAS_FACES_KEPT
  std::vector<uint8_t> coverage;       // marks of the shape being drawn, one byte per pixel of its box
};
extern CanvasWork g_canvas_work;

inline constexpr size_t CANVAS_FACES_KEPT = 16;  // the program uses a dozen faces at most

// The clip rectangle limited to the target surface.
struct CanvasClip {
  int left = 0;
  int top = 0;
  int right = 0;   // exclusive
  int bottom = 0;  // exclusive
};
// False when nothing can be drawn: no target, or an empty clip.
bool canvas_clip_of(const Canvas& canvas, CanvasClip* clip);

inline uint32_t* canvas_row(const Canvas& canvas, int y) {
  return canvas.target->pixels.data() + static_cast<size_t>(y) * canvas.target->width;
}

// Mixes
uint32_t canvas_mix_pixel(CanvasMix mix, uint32_t colour, uint32_t pixel);
// Mixes colour into pixels[0 .. count).
void canvas_mix_run(CanvasMix mix, uint32_t colour, uint32_t* pixels, int count);
// Paints [x0, x1) of row y with the brush; the run lies inside the clip.
void canvas_paint_brush_run(const Canvas& canvas, int y, int x0, int x1);
// True when the thin pen draws the pixel at this many pixels from its start.
bool canvas_pen_on(const CanvasPen& pen, int64_t position);
// The position's place in the style's period, for walks that step it on themselves.
inline constexpr int64_t CANVAS_PEN_STYLE_PERIOD = 24;  // pixels; every style repeats within it
int64_t canvas_pen_style_index(int64_t position);
// Width of a pen that draws, 0 for the null pen.
int canvas_pen_width(const CanvasPen& pen);

// Calls plot(x, y, step) for every pixel of the thin line from (x0, y0) towards (x1, y1) that
// lies in clip, leaving out the end pixel; step counts pixels from (x0, y0). The minor axis moves
// at step i by floor((2 i d_minor + d_major) / (2 d_major)), so a clipped line starts on exactly
// the pixel the whole line would have drawn there, and the work is bounded by the clip.
template <class Plot>
void canvas_walk_line(const CanvasClip& clip, int64_t x0, int64_t y0, int64_t x1, int64_t y1,
                      Plot&& plot) {
  const int64_t adx = x1 >= x0 ? x1 - x0 : x0 - x1;
  const int64_t ady = y1 >= y0 ? y1 - y0 : y0 - y1;
  const bool x_major = adx >= ady;
  const int64_t d_major = x_major ? adx : ady;
  const int64_t d_minor = x_major ? ady : adx;
  if (d_major == 0) return;  // a line to its own start draws nothing
  const int64_t major0 = x_major ? x0 : y0;
  const int64_t minor0 = x_major ? y0 : x0;
  const int64_t major_step = (x_major ? x1 > x0 : y1 > y0) ? 1 : -1;
  const int64_t minor_step = (x_major ? y1 >= y0 : x1 >= x0) ? 1 : -1;
  const int64_t major_lo = x_major ? clip.left : clip.top;
  const int64_t major_hi = (x_major ? clip.right : clip.bottom) - 1;
  const int64_t minor_lo = x_major ? clip.top : clip.left;
  const int64_t minor_hi = (x_major ? clip.bottom : clip.right) - 1;

  int64_t first = 0;
  int64_t last = d_major - 1;
  if (major_step > 0) {
    first = std::max(first, major_lo - major0);
    last = std::min(last, major_hi - major0);
  } else {
    first = std::max(first, major0 - major_hi);
    last = std::min(last, major0 - major_lo);
  }
  if (first > last) return;

  const CanvasWide wrap = static_cast<CanvasWide>(2) * d_major;
  auto minor_at = [&](int64_t i) {
    return static_cast<int64_t>((static_cast<CanvasWide>(2) * i * d_minor + d_major) / wrap);
  };
  const int64_t k_lo = minor_step > 0 ? minor_lo - minor0 : minor0 - minor_hi;
  const int64_t k_hi = minor_step > 0 ? minor_hi - minor0 : minor0 - minor_lo;
  if (minor_at(last) < k_lo || minor_at(first) > k_hi) return;
  if (minor_at(first) < k_lo) {  // first step whose minor offset reaches k_lo
    int64_t below = first, at = last;
    while (at - below > 1) {
      const int64_t mid = below + (at - below) / 2;
      (minor_at(mid) >= k_lo ? at : below) = mid;
    }
    first = at;
  }
  if (minor_at(last) > k_hi) {  // last step whose minor offset stays within k_hi
    int64_t within = first, past = last;
    while (past - within > 1) {
      const int64_t mid = within + (past - within) / 2;
      (minor_at(mid) <= k_hi ? within : past) = mid;
    }
    last = within;
  }

  const CanvasWide start = static_cast<CanvasWide>(2) * first * d_minor + d_major;
  int64_t k = static_cast<int64_t>(start / wrap);
  int64_t error = static_cast<int64_t>(start % wrap);
  const int64_t error_step = 2 * d_minor;
  const int64_t error_wrap = 2 * d_major;
  // Two loops rather than a test per pixel; the minor step is taken without a branch, as for
  // most slopes it would be mispredicted half the time.
  int64_t major = major0 + major_step * first;
  int64_t minor = minor0 + minor_step * k;
  for (int64_t i = first; i <= last; ++i) {
    if (x_major) {
      plot(static_cast<int>(major), static_cast<int>(minor), i);
    } else {
      plot(static_cast<int>(minor), static_cast<int>(major), i);
    }
    major += major_step;
    error += error_step;
    const int64_t carry = error >= error_wrap;
    minor += carry * minor_step;
    error -= carry * error_wrap;
  }
}

// Coverage: shapes mark their pixels first (brush, then pen over it), then each marked pixel is
// painted once, so a shape drawn twice with the XOR mix leaves nothing behind.
enum : uint8_t {
  CANVAS_COVER_NONE = 0,
  CANVAS_COVER_BRUSH = 1,
  CANVAS_COVER_PEN = 2,
};

struct CanvasCoverage {
  CanvasClip area;         // the marked box: the shape's box within the clip
  uint8_t* cells = nullptr;  // area's width x height marks, in g_canvas_work
};

// Starts a coverage over [left, right) x [top, bottom) within clip; false when that is empty.
bool canvas_coverage_begin(const CanvasClip& clip, int64_t left, int64_t top, int64_t right,
                           int64_t bottom, CanvasCoverage* coverage);
// Starts a coverage over the box of the points grown by `reach` pixels on every side, within
// clip; false when that is empty.
bool canvas_coverage_begin_around(const CanvasClip& clip, std::span<const CanvasPoint> points,
                                  int64_t reach, CanvasCoverage* coverage);
// Marks [x0, x1] (inclusive) of row y, cut to the area.
void canvas_coverage_span(CanvasCoverage* coverage, int64_t y, int64_t x0, int64_t x1, uint8_t mark);
void canvas_coverage_paint(Canvas* canvas, const CanvasCoverage& coverage);
// Marks the pen pixels of the segment: thin (styled, from pen position `position`) or wide.
// Returns the position after the segment.
int64_t canvas_cover_segment(CanvasCoverage* coverage, const CanvasPen& pen, int64_t position,
                             CanvasPoint a, CanvasPoint b);
