#include "editor/print_view.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "editor/render.h"
#include "editor/render_internal.h"
#include "editor/view_state.h"
#include "platform/cp1252.h"
#include "platform/truetype.h"

PrintedDrawing g_printed_drawing;

namespace {

constexpr char PRINT_FACE[] = "Arial";
constexpr int PRINT_FACE_WEIGHT = 400;
constexpr double EM_UNITS = 10000.0;
constexpr double ASCENT_SHARE = 0.905;  // the cell's top to the baseline, of the em
constexpr int CURVE_STEPS = 6;          // chords of one outline curve
constexpr double HEADER_POINTS = 10.0 / 72.0;
constexpr double HEADER_LINE_INCHES = 0.13888889;

// One glyph's contours in pixels, joined into a single even-odd polygon: each contour closes on
// its own start and the bridges between them are crossed twice, so they fill nothing.
struct GlyphPath {
  std::vector<CanvasPoint> points;
  double origin_x = 0;
  double baseline = 0;
  double scale = 0;  // pixels an em unit
  double last_x = 0, last_y = 0;
  double start_x = 0, start_y = 0;
  bool open = false;
};

CanvasPoint glyph_pixel(const GlyphPath& g, double x, double y) {
  return {static_cast<int>(std::lround(g.origin_x + x * g.scale)),
          static_cast<int>(std::lround(g.baseline - y * g.scale))};
}

void glyph_line_to(void* user, double x, double y) {
  auto* g = static_cast<GlyphPath*>(user);
  g->points.push_back(glyph_pixel(*g, x, y));
  g->last_x = x;
  g->last_y = y;
}

void glyph_close(void* user) {
  auto* g = static_cast<GlyphPath*>(user);
  if (!g->open) return;
  g->points.push_back(glyph_pixel(*g, g->start_x, g->start_y));
  g->open = false;
}

void glyph_move_to(void* user, double x, double y) {
  auto* g = static_cast<GlyphPath*>(user);
  glyph_close(user);
  g->start_x = x;
  g->start_y = y;
  g->open = true;
  glyph_line_to(user, x, y);
}

void glyph_conic_to(void* user, double cx, double cy, double x, double y) {
  auto* g = static_cast<GlyphPath*>(user);
  const double x0 = g->last_x, y0 = g->last_y;
  for (int i = 1; i <= CURVE_STEPS; ++i) {
    const double t = static_cast<double>(i) / CURVE_STEPS, u = 1 - t;
    glyph_line_to(user, u * u * x0 + 2 * u * t * cx + t * t * x,
                  u * u * y0 + 2 * u * t * cy + t * t * y);
  }
}

void glyph_cubic_to(void* user, double c1x, double c1y, double c2x, double c2y, double x,
                    double y) {
  auto* g = static_cast<GlyphPath*>(user);
  const double x0 = g->last_x, y0 = g->last_y;
  for (int i = 1; i <= CURVE_STEPS; ++i) {
    const double t = static_cast<double>(i) / CURVE_STEPS, u = 1 - t;
    glyph_line_to(user, u * u * u * x0 + 3 * u * u * t * c1x + 3 * u * t * t * c2x + t * t * t * x,
                  u * u * u * y0 + 3 * u * u * t * c1y + 3 * u * t * t * c2y + t * t * t * y);
  }
}

// The pixel of a world point on the band being drawn, in double.
double pixel_x(double world_x) { return (world_x - g_view.view_left) * g_view.scale_x; }
double pixel_y(double world_y) { return (g_view.view_top - world_y) * g_view.scale_y; }

}  // namespace

void draw_print_text(int x, int y, const std::string& text, double height) {
  if (text.empty() || !(height > 0)) return;
  const uint32_t face = truetype_face_id(PRINT_FACE, PRINT_FACE_WEIGHT, false);
  if (face == 0) return;
  const AreaClip clip;
  Canvas* canvas = clip.canvas;
  const CanvasKeep keep(canvas);
  canvas->brush = CanvasBrush{};
  canvas->brush.colour = canvas->pen.colour;
  canvas->pen.style = CANVAS_PEN_NONE;
  canvas->mix = CANVAS_MIX_COPY;
  GlyphPath g;
  g.scale = height / EM_UNITS;
  g.origin_x = x;
  g.baseline = y + g_view.origin_y + height * ASCENT_SHARE;
  TrueTypeOutlineSink sink;
  sink.user = &g;
  sink.move_to = glyph_move_to;
  sink.line_to = glyph_line_to;
  sink.conic_to = glyph_conic_to;
  sink.cubic_to = glyph_cubic_to;
  sink.close = glyph_close;
  for (const char c : text) {
    const uint32_t code_point = cp1252_to_code_point(static_cast<uint8_t>(c));
    g.points.clear();
    g.open = false;
    double advance = 0;
    if (truetype_walk_outline(face, code_point, &sink, &advance)) {
      glyph_close(&g);
      if (g.points.size() >= 3) canvas_draw_polygon(canvas, g.points);
    }
    g.origin_x += advance * g.scale;
  }
}

void draw_print_header() {
  const PrintedDrawing& p = g_printed_drawing;
  if (p.file_line.empty() && p.header_text.empty()) return;
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = DRAW_BLACK;
  const double em = HEADER_POINTS * p.pixels_per_inch;
  const int line_height = static_cast<int>(HEADER_LINE_INCHES * p.pixels_per_inch);
  const int x = static_cast<int>(std::lround(pixel_x(p.window_left)));
  int y = static_cast<int>(std::lround(pixel_y(p.window_top)));
  if (!p.file_line.empty()) {
    draw_print_text(x, y, p.file_line, em);
    y += line_height + 2;
  }
  draw_print_text(x, y, p.header_text, em);
}

void reset_printed_drawing() { g_printed_drawing = PrintedDrawing(); }
