// Curved, wide and filled shapes: marked into a coverage mask over their box within the clip,
// then painted, so every pixel of a shape is painted exactly once whatever the mix.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>

#include "platform/canvas.h"
#include "platform/canvas_internal.h"

// Coverage

bool canvas_coverage_begin(const CanvasClip& clip, int64_t left, int64_t top, int64_t right,
                           int64_t bottom, CanvasCoverage* coverage) {
  left = std::max<int64_t>(left, clip.left);
  top = std::max<int64_t>(top, clip.top);
  right = std::min<int64_t>(right, clip.right);
  bottom = std::min<int64_t>(bottom, clip.bottom);
  if (left >= right || top >= bottom) return false;
  coverage->area = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                    static_cast<int>(bottom)};
  const size_t count = static_cast<size_t>(right - left) * static_cast<size_t>(bottom - top);
  std::vector<uint8_t>& cells = g_canvas_work.coverage;
  if (cells.size() < count) cells.resize(count);
  std::memset(cells.data(), CANVAS_COVER_NONE, count);
  coverage->cells = cells.data();
  return true;
}

bool canvas_coverage_begin_around(const CanvasClip& clip, std::span<const CanvasPoint> points,
                                  int64_t reach, CanvasCoverage* coverage) {
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  for (const CanvasPoint& point : points) {
    left = std::min<int64_t>(left, point.x);
    top = std::min<int64_t>(top, point.y);
    right = std::max<int64_t>(right, point.x);
    bottom = std::max<int64_t>(bottom, point.y);
  }
  // The box is exclusive on the right and below: one pixel more there.
  return canvas_coverage_begin(clip, left - reach, top - reach, right + reach + 1,
                               bottom + reach + 1, coverage);
}

void canvas_coverage_span(CanvasCoverage* coverage, int64_t y, int64_t x0, int64_t x1, uint8_t mark) {
  const CanvasClip& area = coverage->area;
  if (y < area.top || y >= area.bottom) return;
  x0 = std::max<int64_t>(x0, area.left);
  x1 = std::min<int64_t>(x1, area.right - 1);
  if (x0 > x1) return;
  const int64_t width = area.right - area.left;
  std::memset(coverage->cells + (y - area.top) * width + (x0 - area.left), mark,
              static_cast<size_t>(x1 - x0 + 1));
}

void canvas_coverage_paint(Canvas* canvas, const CanvasCoverage& coverage) {
  const CanvasClip& area = coverage.area;
  const int width = area.right - area.left;
  for (int y = area.top; y < area.bottom; ++y) {
    const uint8_t* marks = coverage.cells + static_cast<size_t>(y - area.top) * width;
    uint32_t* row = canvas_row(*canvas, y) + area.left;
    int x = 0;
    while (x < width) {
      const uint8_t mark = marks[x];
      int end = x + 1;
      while (end < width && marks[end] == mark) ++end;
      if (mark == CANVAS_COVER_PEN) {
        canvas_mix_run(canvas->mix, canvas->pen.colour, row + x, end - x);
      } else if (mark == CANVAS_COVER_BRUSH) {
        canvas_paint_brush_run(*canvas, y, area.left + x, area.left + end);
      }
      x = end;
    }
  }
}

// Wide pens

// Keeps the x for which coefficient * x + constant lies in [lo, hi]; false when none does.
static bool solve_band(double coefficient, double constant, double lo, double hi, double* x_lo,
                       double* x_hi) {
  if (std::fabs(coefficient) < 1e-12) {
    if (constant < lo || constant > hi) return false;
    *x_lo = -HUGE_VAL;
    *x_hi = HUGE_VAL;
    return true;
  }
  double a = (lo - constant) / coefficient;
  double b = (hi - constant) / coefficient;
  if (a > b) std::swap(a, b);
  *x_lo = a;
  *x_hi = b;
  return true;
}

// The x-interval of the horizontal line at height yc lying within `radius` of segment a-b.
// The round-capped segment is convex, so the union of its caps and its band is one interval.
static bool capsule_row(double ax, double ay, double bx, double by, double radius, double yc,
                        double* left, double* right) {
  bool any = false;
  double lo = HUGE_VAL, hi = -HUGE_VAL;
  auto take = [&](double l, double r) {
    if (l > r) return;
    lo = std::min(lo, l);
    hi = std::max(hi, r);
    any = true;
  };
  for (const auto& [cx, cy] : {std::pair{ax, ay}, std::pair{bx, by}}) {
    const double dy = yc - cy;
    if (std::fabs(dy) <= radius) {
      const double half = std::sqrt(radius * radius - dy * dy);
      take(cx - half, cx + half);
    }
  }
  const double dx = bx - ax, dy = by - ay;
  const double length = std::hypot(dx, dy);
  if (length > 0) {
    const double ux = dx / length, uy = dy / length;
    double across_lo, across_hi, along_lo, along_hi;
    // Distance across the segment: (x - ax) uy - (yc - ay) ux; along it: (x - ax) ux + (yc - ay) uy.
    if (solve_band(uy, -ax * uy - (yc - ay) * ux, -radius, radius, &across_lo, &across_hi) &&
        solve_band(ux, -ax * ux + (yc - ay) * uy, 0, length, &along_lo, &along_hi)) {
      take(std::max(across_lo, along_lo), std::min(across_hi, along_hi));
    }
  }
  *left = lo;
  *right = hi;
  return any;
}

// Pixels whose centre lies within half the width of the segment. Odd widths run through pixel
// centres, even ones along pixel edges, so a width-2 line covers exactly two rows.
static void cover_capsule(CanvasCoverage* coverage, int width, CanvasPoint a, CanvasPoint b) {
  const double offset = (width & 1) ? 0.5 : 0.0;
  const double ax = a.x + offset, ay = a.y + offset, bx = b.x + offset, by = b.y + offset;
  const double radius = width / 2.0;
  const int64_t y_first = std::max<int64_t>(
      coverage->area.top, static_cast<int64_t>(std::floor(std::min(ay, by) - radius)));
  const int64_t y_last = std::min<int64_t>(
      coverage->area.bottom - 1, static_cast<int64_t>(std::ceil(std::max(ay, by) + radius)));
  for (int64_t y = y_first; y <= y_last; ++y) {
    double left, right;
    if (!capsule_row(ax, ay, bx, by, radius, y + 0.5, &left, &right)) continue;
    const double x0 = std::max(std::ceil(left - 0.5), static_cast<double>(coverage->area.left));
    const double x1 = std::min(std::floor(right - 0.5), static_cast<double>(coverage->area.right));
    if (x0 > x1) continue;
    canvas_coverage_span(coverage, y, static_cast<int64_t>(x0), static_cast<int64_t>(x1),
                         CANVAS_COVER_PEN);
  }
}

int64_t canvas_cover_segment(CanvasCoverage* coverage, const CanvasPen& pen, int64_t position,
                             CanvasPoint a, CanvasPoint b) {
  const int width = canvas_pen_width(pen);
  if (width > 1) {
    cover_capsule(coverage, width, a, b);
    return position;
  }
  if (width == 1) {
    const int area_width = coverage->area.right - coverage->area.left;
    canvas_walk_line(coverage->area, a.x, a.y, b.x, b.y, [&](int x, int y, int64_t step) {
      if (!canvas_pen_on(pen, position + step)) return;
      coverage->cells[static_cast<size_t>(y - coverage->area.top) * area_width +
                      (x - coverage->area.left)] = CANVAS_COVER_PEN;
    });
  }
  const int64_t dx = std::llabs(static_cast<int64_t>(b.x) - a.x);
  const int64_t dy = std::llabs(static_cast<int64_t>(b.y) - a.y);
  return position + std::max(dx, dy);
}

// Convex shapes: rounded rectangles, of which the ellipse is the one whose corners fill the box.

struct ConvexShape {
  int64_t left = 0, top = 0, right = 0, bottom = 0;  // normalised box, right and bottom outside
  int64_t corner_width = 0;                          // corner ellipse, at most the box's size
  int64_t corner_height = 0;
};

static ConvexShape convex_shape(CanvasRect box, int64_t corner_width, int64_t corner_height) {
  ConvexShape shape;
  shape.left = std::min(box.left, box.right);
  shape.right = std::max(box.left, box.right);
  shape.top = std::min(box.top, box.bottom);
  shape.bottom = std::max(box.top, box.bottom);
  shape.corner_width = std::min<int64_t>(std::llabs(corner_width), shape.right - shape.left);
  shape.corner_height = std::min<int64_t>(std::llabs(corner_height), shape.bottom - shape.top);
  return shape;
}

// Pixels of row j of a width x height ellipse at the origin whose centres lie inside it.
// Every row keeps at least its middle pixel(s), and the row is symmetric about the centre.
static void ellipse_row(int64_t width, int64_t height, int64_t j, int64_t* x0, int64_t* x1) {
  const double a = width / 2.0, b = height / 2.0;
  const double dy = (j + 0.5 - b) / b;
  // The row(s) at the centre line span the whole width, so even a flat ellipse reaches the
  // sides of its box.
  const double half =
      std::fabs(j + 0.5 - b) <= 0.5 ? a : a * std::sqrt(std::max(0.0, 1.0 - dy * dy));
  *x0 = static_cast<int64_t>(std::ceil(a - half - 0.5));
  *x1 = static_cast<int64_t>(std::floor(a + half - 0.5));
  if (*x0 > *x1) {
    *x0 = (width - 1) / 2;
    *x1 = width / 2;
  }
}

static bool convex_row(const ConvexShape& shape, int64_t y, int64_t* x0, int64_t* x1) {
  if (y < shape.top || y >= shape.bottom || shape.left >= shape.right) return false;
  const int64_t j = y - shape.top;
  const int64_t height = shape.bottom - shape.top;
  const int64_t cw = shape.corner_width, ch = shape.corner_height;
  *x0 = shape.left;
  *x1 = shape.right - 1;
  if (cw == 0 || ch == 0) return true;
  int64_t row;
  if (j < ch / 2) {
    row = j;
  } else if (j >= height - ch / 2) {
    row = j - (height - ch);
  } else {
    return true;
  }
  int64_t e0, e1;
  ellipse_row(cw, ch, row, &e0, &e1);
  *x0 = shape.left + e0;
  *x1 = shape.right - 1 - (cw - 1 - e1);
  return true;
}

// The outline `width` pixels thick: a pixel is inside when the pixels `width` away left, right,
// above and below all belong to the shape (the shape being convex, so do those between).
// Calls out(y, x0, x1, kind) for the outline (kind pen) and inside (kind brush) spans.
template <class Out>
static void convex_spans(const ConvexShape& shape, const CanvasClip& rows, int width, Out&& out) {
  for (int64_t y = std::max<int64_t>(rows.top, shape.top);
       y < std::min<int64_t>(rows.bottom, shape.bottom); ++y) {
    int64_t x0, x1;
    if (!convex_row(shape, y, &x0, &x1)) continue;
    if (width == 0) {
      out(y, x0, x1, CANVAS_COVER_BRUSH);
      continue;
    }
    int64_t in0 = x0 + width, in1 = x1 - width;
    for (const int64_t dy : {-width, width}) {
      int64_t n0, n1;
      if (!convex_row(shape, y + dy, &n0, &n1)) {
        in1 = in0 - 1;
        break;
      }
      in0 = std::max(in0, n0);
      in1 = std::min(in1, n1);
    }
    if (in0 > in1) {
      out(y, x0, x1, CANVAS_COVER_PEN);
      continue;
    }
    out(y, x0, in0 - 1, CANVAS_COVER_PEN);
    out(y, in0, in1, CANVAS_COVER_BRUSH);
    out(y, in1 + 1, x1, CANVAS_COVER_PEN);
  }
}

static void draw_convex(Canvas* canvas, const ConvexShape& shape) {
  CanvasClip clip;
  if (!canvas_clip_of(*canvas, &clip)) return;
  CanvasCoverage coverage;
  if (!canvas_coverage_begin(clip, shape.left, shape.top, shape.right, shape.bottom, &coverage)) {
    return;
  }
  const bool brush = canvas->brush.kind != CANVAS_BRUSH_HOLLOW;
  convex_spans(shape, coverage.area, canvas_pen_width(canvas->pen),
               [&](int64_t y, int64_t x0, int64_t x1, uint8_t mark) {
                 if (mark == CANVAS_COVER_PEN || brush) {
                   canvas_coverage_span(&coverage, y, x0, x1, mark);
                 }
               });
  canvas_coverage_paint(canvas, coverage);
}

void canvas_draw_round_rect(Canvas* canvas, CanvasRect rect, int corner_width, int corner_height) {
  draw_convex(canvas, convex_shape(rect, corner_width, corner_height));
}

void canvas_draw_ellipse(Canvas* canvas, CanvasRect box) {
  const int64_t width = std::llabs(static_cast<int64_t>(box.right) - box.left);
  const int64_t height = std::llabs(static_cast<int64_t>(box.bottom) - box.top);
  draw_convex(canvas, convex_shape(box, width, height));
}

// Arcs: the outline pixels of the ellipse whose direction from the centre lies counter-clockwise
// (on the screen, y down) from the start ray and not past the end ray.

static double screen_angle(double x, double y, double cx, double cy) {
  return std::atan2(cy - y, x - cx);
}

static double turn_from(double angle, double from) {
  const double full = 2 * std::numbers::pi;
  double turn = std::fmod(angle - from, full);
  if (turn < 0) turn += full;
  return turn;
}

void canvas_draw_arc(Canvas* canvas, CanvasRect box, CanvasPoint start, CanvasPoint end) {
  CanvasClip clip;
  if (!canvas_clip_of(*canvas, &clip)) return;
  const int width = canvas_pen_width(canvas->pen);
  if (width == 0) return;
  const int64_t box_width = std::llabs(static_cast<int64_t>(box.right) - box.left);
  const int64_t box_height = std::llabs(static_cast<int64_t>(box.bottom) - box.top);
  const ConvexShape shape = convex_shape(box, box_width, box_height);
  CanvasCoverage coverage;
  if (!canvas_coverage_begin(clip, shape.left, shape.top, shape.right, shape.bottom, &coverage)) {
    return;
  }
  const double cx = (static_cast<double>(shape.left) + shape.right) / 2;
  const double cy = (static_cast<double>(shape.top) + shape.bottom) / 2;
  const double from = screen_angle(start.x + 0.5, start.y + 0.5, cx, cy);
  double sweep = turn_from(screen_angle(end.x + 0.5, end.y + 0.5, cx, cy), from);
  if (sweep < 1e-12) sweep = 2 * std::numbers::pi;  // equal rays: the whole ellipse
  convex_spans(shape, coverage.area, width, [&](int64_t y, int64_t x0, int64_t x1, uint8_t mark) {
    if (mark != CANVAS_COVER_PEN) return;
    x0 = std::max<int64_t>(x0, coverage.area.left);
    x1 = std::min<int64_t>(x1, coverage.area.right - 1);
    for (int64_t x = x0; x <= x1; ++x) {
      if (turn_from(screen_angle(x + 0.5, y + 0.5, cx, cy), from) <= sweep) {
        canvas_coverage_span(&coverage, y, x, x, CANVAS_COVER_PEN);
      }
    }
  });
  canvas_coverage_paint(canvas, coverage);
}

// Polygons

// Inside spans of row y by the even-odd rule, sampled at pixel centres.
static void cover_polygon_row(CanvasCoverage* coverage, std::span<const CanvasPoint> points,
                              int64_t y, std::vector<double>* crossings) {
  const double yc = y + 0.5;
  crossings->clear();
  for (size_t i = 0; i < points.size(); ++i) {
    const CanvasPoint& p = points[i];
    const CanvasPoint& q = points[(i + 1) % points.size()];
    if ((p.y <= yc) == (q.y <= yc)) continue;
    const double t = (yc - p.y) / (static_cast<double>(q.y) - p.y);
    crossings->push_back(p.x + t * (static_cast<double>(q.x) - p.x));
  }
  std::sort(crossings->begin(), crossings->end());
  const double area_left = coverage->area.left, area_right = coverage->area.right;
  for (size_t i = 0; i + 1 < crossings->size(); i += 2) {
    // Pixel x is inside when x + 0.5 lies in [enter, leave).
    const double x0 = std::max(std::ceil((*crossings)[i] - 0.5), area_left);
    const double x1 = std::min(std::ceil((*crossings)[i + 1] - 0.5) - 1, area_right);
    if (x0 <= x1) {
      canvas_coverage_span(coverage, y, static_cast<int64_t>(x0), static_cast<int64_t>(x1),
                           CANVAS_COVER_BRUSH);
    }
  }
}

void canvas_draw_polygon(Canvas* canvas, std::span<const CanvasPoint> points) {
  CanvasClip clip;
  if (points.size() < 2 || !canvas_clip_of(*canvas, &clip)) return;
  const int pen = canvas_pen_width(canvas->pen);
  CanvasCoverage coverage;
  if (!canvas_coverage_begin_around(clip, points, pen, &coverage)) return;
  if (canvas->brush.kind != CANVAS_BRUSH_HOLLOW && points.size() >= 3) {
    std::vector<double> crossings;
    for (int64_t y = coverage.area.top; y < coverage.area.bottom; ++y) {
      cover_polygon_row(&coverage, points, y, &crossings);
    }
  }
  if (pen > 0) {
    // Two points make one edge; going back along it would undo it under the XOR mix.
    const size_t edges = points.size() == 2 ? 1 : points.size();
    int64_t position = canvas->pen.phase;
    for (size_t i = 0; i < edges; ++i) {
      position = canvas_cover_segment(&coverage, canvas->pen, position, points[i],
                                      points[(i + 1) % points.size()]);
    }
  }
  canvas_coverage_paint(canvas, coverage);
}
