// The canvas core: working state, clip, mixes, pixels, thin lines and rectangles.
#include "platform/canvas.h"

#include <algorithm>
#include <cstdlib>

#include "platform/canvas_internal.h"

CanvasWork g_canvas_work;

void reset_canvas_work() {
  g_canvas_work = CanvasWork{};
}

void canvas_init(Canvas* canvas, Surface* target) {
  *canvas = Canvas{};
  canvas->target = target;
}

bool canvas_clip_of(const Canvas& canvas, CanvasClip* clip) {
  if (!canvas.target || canvas.target->width <= 0 || canvas.target->height <= 0) return false;
  if (canvas.target->pixels.size() <
      static_cast<size_t>(canvas.target->width) * static_cast<size_t>(canvas.target->height)) {
    return false;  // a surface whose pixels were not sized with it
  }
  clip->left = std::max(canvas.clip.left, 0);
  clip->top = std::max(canvas.clip.top, 0);
  clip->right = std::min(canvas.clip.right, canvas.target->width);
  clip->bottom = std::min(canvas.clip.bottom, canvas.target->height);
  return clip->left < clip->right && clip->top < clip->bottom;
}

// Mixes

uint32_t canvas_mix_pixel(CanvasMix mix, uint32_t colour, uint32_t pixel) {
  switch (mix) {
    case CANVAS_MIX_COPY: return colour & 0xFFFFFFu;
    case CANVAS_MIX_XOR: return (colour ^ pixel) & 0xFFFFFFu;
    case CANVAS_MIX_NOT: return ~pixel & 0xFFFFFFu;
    default: break;
  }
  // The mix number less one is the truth table over (pen bit, pixel bit); an unknown mix copies.
  const unsigned table = (mix >= 1 && mix <= 16) ? mix - 1u : CANVAS_MIX_COPY - 1u;
  uint32_t result = 0;
  if (table & 1) result |= ~colour & ~pixel;
  if (table & 2) result |= ~colour & pixel;
  if (table & 4) result |= colour & ~pixel;
  if (table & 8) result |= colour & pixel;
  return result & 0xFFFFFFu;
}

void canvas_mix_run(CanvasMix mix, uint32_t colour, uint32_t* pixels, int count) {
  colour &= 0xFFFFFFu;
  switch (mix) {
    case CANVAS_MIX_COPY:
      std::fill(pixels, pixels + count, colour);
      return;
    case CANVAS_MIX_XOR:
      for (int i = 0; i < count; ++i) pixels[i] = (pixels[i] ^ colour) & 0xFFFFFFu;
      return;
    case CANVAS_MIX_NOT:
      for (int i = 0; i < count; ++i) pixels[i] = ~pixels[i] & 0xFFFFFFu;
      return;
    default:
      for (int i = 0; i < count; ++i) pixels[i] = canvas_mix_pixel(mix, colour, pixels[i]);
      return;
  }
}

void canvas_paint_brush_run(const Canvas& canvas, int y, int x0, int x1) {
  if (x0 >= x1) return;
  const CanvasBrush& brush = canvas.brush;
  uint32_t* row = canvas_row(canvas, y);
  if (brush.kind == CANVAS_BRUSH_HOLLOW) return;
  if (brush.kind == CANVAS_BRUSH_SOLID) {
    canvas_mix_run(canvas.mix, brush.colour, row + x0, x1 - x0);
    return;
  }
  const uint8_t bits = brush.pattern[y & 7];
  for (int x = x0; x < x1; ++x) {
    const uint32_t colour = ((bits >> (7 - (x & 7))) & 1) ? brush.colour : brush.background;
    row[x] = canvas_mix_pixel(canvas.mix, colour, row[x]);
  }
}

// Pen styles

// Each style as 24 pixels, bit i = pixel i of the period.
static uint32_t pen_style_bits(CanvasPenStyle style) {
  switch (style) {
    case CANVAS_PEN_DASH: return 0x03FFFFu;           // 18 on, 6 off
    case CANVAS_PEN_DOT: return 0x1C71C7u;            // (3 on, 3 off) x 4
    case CANVAS_PEN_DASH_DOT: return 0x0381FFu;       // 9 on, 6 off, 3 on, 6 off
    case CANVAS_PEN_DASH_DOT_DOT: return 0x1C71FFu;   // 9 on, 3 off, 3 on, 3 off, 3 on, 3 off
    case CANVAS_PEN_NONE: return 0;
    default: return 0xFFFFFFu;
  }
}

int64_t canvas_pen_style_index(int64_t position) {
  return ((position % CANVAS_PEN_STYLE_PERIOD) + CANVAS_PEN_STYLE_PERIOD) % CANVAS_PEN_STYLE_PERIOD;
}

bool canvas_pen_on(const CanvasPen& pen, int64_t position) {
  return (pen_style_bits(pen.style) >> canvas_pen_style_index(position)) & 1;
}

int canvas_pen_width(const CanvasPen& pen) {
  if (pen.style == CANVAS_PEN_NONE) return 0;
  // No surface is that wide, so a wider pen draws the same, and sums of coordinates and
  // widths stay far from overflow.
  return std::clamp(pen.width, 1, 1 << 16);
}

// Pixels

void canvas_set_pixel(Canvas* canvas, int x, int y, uint32_t colour) {
  CanvasClip clip;
  if (!canvas_clip_of(*canvas, &clip)) return;
  if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom) return;
  canvas_row(*canvas, y)[x] = colour & 0xFFFFFFu;
}

uint32_t canvas_get_pixel(const Canvas& canvas, int x, int y) {
  const Surface* surface = canvas.target;
  if (!surface || x < 0 || y < 0 || x >= surface->width || y >= surface->height ||
      surface->pixels.size() < static_cast<size_t>(surface->width) * surface->height) {
    return CANVAS_NO_PIXEL;
  }
  return surface->pixels[static_cast<size_t>(y) * surface->width + x];
}

// Thin lines

// Walks one thin segment with the pixel operation `apply`; styled pens skip their gaps. The
// style index runs on from one pixel to the next, so only the first pixel divides.
template <class Apply>
static void walk_thin_segment(Canvas* canvas, const CanvasClip& clip, int64_t position,
                              CanvasPoint a, CanvasPoint b, Apply&& apply) {
  uint32_t* const pixels = canvas->target->pixels.data();
  const size_t width = static_cast<size_t>(canvas->target->width);
  if (canvas->pen.style == CANVAS_PEN_SOLID) {
    canvas_walk_line(clip, a.x, a.y, b.x, b.y, [&](int x, int y, int64_t) {
      apply(pixels + y * width + x);
    });
    return;
  }
  const uint32_t style = pen_style_bits(canvas->pen.style);
  int64_t expected_step = -1;
  int64_t at = 0;  // position + step in the style's period
  canvas_walk_line(clip, a.x, a.y, b.x, b.y, [&](int x, int y, int64_t step) {
    if (step == expected_step) {
      at = at + 1 == CANVAS_PEN_STYLE_PERIOD ? 0 : at + 1;
    } else {
      at = canvas_pen_style_index(position + step);
    }
    expected_step = step + 1;
    if ((style >> at) & 1) apply(pixels + y * width + x);
  });
}

// Draws one thin segment starting at pen position `position`; returns the position after it.
static int64_t draw_thin_segment(Canvas* canvas, const CanvasClip& clip, int64_t position,
                                 CanvasPoint a, CanvasPoint b) {
  const uint32_t colour = canvas->pen.colour & 0xFFFFFFu;
  const CanvasMix mix = canvas->mix;
  switch (mix) {
    case CANVAS_MIX_COPY:
      walk_thin_segment(canvas, clip, position, a, b, [=](uint32_t* p) { *p = colour; });
      break;
    case CANVAS_MIX_XOR:
      walk_thin_segment(canvas, clip, position, a, b, [=](uint32_t* p) { *p ^= colour; });
      break;
    default:
      walk_thin_segment(canvas, clip, position, a, b,
                        [=](uint32_t* p) { *p = canvas_mix_pixel(mix, colour, *p); });
      break;
  }
  const int64_t dx = std::abs(static_cast<int64_t>(b.x) - a.x);
  const int64_t dy = std::abs(static_cast<int64_t>(b.y) - a.y);
  return position + std::max(dx, dy);
}

// Marks every segment first and paints the marks once: wide segments overlap at their joints,
// and a thin one may touch its neighbour beside a sharp corner or where the polyline crosses
// itself; painted twice, those pixels would vanish under the XOR mix.
static void draw_covered_polyline(Canvas* canvas, const CanvasClip& clip,
                                  std::span<const CanvasPoint> points) {
  const int64_t reach = canvas_pen_width(canvas->pen);  // beyond any cap
  CanvasCoverage coverage;
  if (!canvas_coverage_begin_around(clip, points, reach, &coverage)) return;
  int64_t position = canvas->pen.phase;
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    position = canvas_cover_segment(&coverage, canvas->pen, position, points[i], points[i + 1]);
  }
  canvas_coverage_paint(canvas, coverage);
}

void canvas_draw_line(Canvas* canvas, int x1, int y1, int x2, int y2) {
  const CanvasPoint points[2] = {{x1, y1}, {x2, y2}};
  canvas_draw_polyline(canvas, points);
}

void canvas_draw_polyline(Canvas* canvas, std::span<const CanvasPoint> points) {
  CanvasClip clip;
  if (points.size() < 2 || !canvas_clip_of(*canvas, &clip)) return;
  const int width = canvas_pen_width(canvas->pen);
  if (width == 0) return;
  // The copy mix may paint a pixel twice without harm, and then the direct walk is fastest.
  if (width > 1 || (points.size() > 2 && canvas->mix != CANVAS_MIX_COPY)) {
    draw_covered_polyline(canvas, clip, points);
    return;
  }
  // Each segment leaves out its end pixel, which the next one starts with: every joint once.
  int64_t position = canvas->pen.phase;
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    position = draw_thin_segment(canvas, clip, position, points[i], points[i + 1]);
  }
}

// Rectangles

static CanvasRect normalised(CanvasRect rect) {
  if (rect.left > rect.right) std::swap(rect.left, rect.right);
  if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
  return rect;
}

// Paints [x0, x1) x [y0, y1) with the brush (pen = false) or the pen colour, cut to the clip.
static void paint_block(Canvas* canvas, const CanvasClip& clip, int64_t x0, int64_t y0, int64_t x1,
                        int64_t y1, bool pen) {
  x0 = std::max<int64_t>(x0, clip.left);
  x1 = std::min<int64_t>(x1, clip.right);
  y0 = std::max<int64_t>(y0, clip.top);
  y1 = std::min<int64_t>(y1, clip.bottom);
  if (x0 >= x1) return;
  for (int64_t y = y0; y < y1; ++y) {
    if (pen) {
      canvas_mix_run(canvas->mix, canvas->pen.colour, canvas_row(*canvas, static_cast<int>(y)) + x0,
                     static_cast<int>(x1 - x0));
    } else {
      canvas_paint_brush_run(*canvas, static_cast<int>(y), static_cast<int>(x0),
                             static_cast<int>(x1));
    }
  }
}

void canvas_fill_rect(Canvas* canvas, CanvasRect rect) {
  CanvasClip clip;
  if (!canvas_clip_of(*canvas, &clip)) return;
  rect = normalised(rect);
  paint_block(canvas, clip, rect.left, rect.top, rect.right, rect.bottom, false);
}

// Styled pixels (x + dx i, y + dy i), i in [0, count), of one side of a rectangle outline.
static void draw_styled_side(Canvas* canvas, const CanvasClip& clip, int64_t x, int64_t y, int dx,
                             int dy, int64_t count, int64_t position) {
  if (count <= 0) return;
  int64_t first = 0, last = count - 1;
  auto cut = [&](int64_t start, int step, int64_t lo, int64_t hi) {  // keep start + step i in [lo, hi)
    if (step > 0) {
      first = std::max(first, lo - start);
      last = std::min(last, hi - 1 - start);
    } else if (step < 0) {
      first = std::max(first, start - (hi - 1));
      last = std::min(last, start - lo);
    } else if (start < lo || start >= hi) {
      last = -1;
    }
  };
  cut(x, dx, clip.left, clip.right);
  cut(y, dy, clip.top, clip.bottom);
  for (int64_t i = first; i <= last; ++i) {
    if (!canvas_pen_on(canvas->pen, position + i)) continue;
    uint32_t* pixel = canvas_row(*canvas, static_cast<int>(y + dy * i)) + (x + dx * i);
    *pixel = canvas_mix_pixel(canvas->mix, canvas->pen.colour, *pixel);
  }
}

// The outline walked clockwise from the top-left pixel, every pixel once, the style running on.
static void draw_styled_outline(Canvas* canvas, const CanvasClip& clip, const CanvasRect& r) {
  const int64_t width = static_cast<int64_t>(r.right) - r.left;
  const int64_t height = static_cast<int64_t>(r.bottom) - r.top;
  int64_t position = canvas->pen.phase;
  draw_styled_side(canvas, clip, r.left, r.top, 1, 0, width, position);
  position += width;
  if (height < 2) return;
  draw_styled_side(canvas, clip, r.right - 1LL, r.top + 1LL, 0, 1, height - 1, position);
  position += height - 1;
  if (width < 2) return;
  draw_styled_side(canvas, clip, r.right - 2LL, r.bottom - 1LL, -1, 0, width - 1, position);
  position += width - 1;
  draw_styled_side(canvas, clip, r.left, r.bottom - 2LL, 0, -1, height - 2, position);
}

void canvas_draw_rect(Canvas* canvas, CanvasRect rect) {
  CanvasClip clip;
  if (!canvas_clip_of(*canvas, &clip)) return;
  const CanvasRect r = normalised(rect);
  const int64_t l = r.left, t = r.top, rt = r.right, b = r.bottom;
  if (l == rt || t == b) return;
  const int64_t pen = canvas_pen_width(canvas->pen);
  if (pen == 0) {
    paint_block(canvas, clip, l, t, rt, b, false);
    return;
  }
  if (pen == 1 && canvas->pen.style != CANVAS_PEN_SOLID) {
    draw_styled_outline(canvas, clip, r);
    paint_block(canvas, clip, l + 1, t + 1, rt - 1, b - 1, false);
    return;
  }
  // A solid ring `pen` pixels thick inside the box, in disjoint bands.
  const int64_t top_end = std::min(t + pen, b);
  const int64_t bottom_start = std::max(b - pen, top_end);
  const int64_t left_end = std::min(l + pen, rt);
  const int64_t right_start = std::max(rt - pen, left_end);
  paint_block(canvas, clip, l, t, rt, top_end, true);
  paint_block(canvas, clip, l, bottom_start, rt, b, true);
  paint_block(canvas, clip, l, top_end, left_end, bottom_start, true);
  paint_block(canvas, clip, right_start, top_end, rt, bottom_start, true);
  paint_block(canvas, clip, left_end, top_end, right_start, bottom_start, false);
}
