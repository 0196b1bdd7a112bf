#include "text/pen_plotter.h"

#include <algorithm>
#include <cmath>

#include "geometry/float2d.h"
#include "text/glyph_decoder.h"
#include "records/pen_move.h"

PenPlotter g_pen_plotter;

void reset_pen_plotter() { g_pen_plotter = PenPlotter{}; }

namespace {

int to_pixel(double v) { return static_cast<int>(std::lround(std::clamp(v, -1e9, 1e9))); }

CanvasPoint pixel_of(float x, float y) {
  const PenPlotter& p = g_pen_plotter;
  return CanvasPoint{to_pixel((static_cast<double>(x) - p.view_top_left.x) * p.scale),
                     to_pixel((static_cast<double>(p.view_top_left.y) - y) * p.scale)};
}

bool inside(const CanvasRect& box, CanvasPoint p) {
  return p.x >= box.left && p.x < box.right && p.y >= box.top && p.y < box.bottom;
}

// Does the segment come near the box at all (its bounding box against the box)?
bool segment_touches(const CanvasRect& box, CanvasPoint a, CanvasPoint b, int margin) {
  return std::max(a.x, b.x) + margin >= box.left && std::min(a.x, b.x) - margin < box.right &&
         std::max(a.y, b.y) + margin >= box.top && std::min(a.y, b.y) - margin < box.bottom;
}

void draw_dot(Canvas* canvas, CanvasPoint centre, float radius) {
  const int r = to_pixel(radius);
  const CanvasBrush brush = canvas->brush;
  canvas->brush.kind = CANVAS_BRUSH_SOLID;
  canvas->brush.colour = canvas->pen.colour;
  canvas_draw_ellipse(canvas, CanvasRect{centre.x - r, centre.y - r, centre.x + r + 1, centre.y + r + 1});
  canvas->brush = brush;
}

}  // namespace

void plot_pen_move() {
  PenPlotter& p = g_pen_plotter;
  PenMove& m = g_pen_move;
  if (m.code >= 'R') return;
  const float x0 = m.x, y0 = m.y;
  // A text's start ('A') has put the pen in place already.
  if (m.code != 'A') {
    m.x += m.dx;
    m.y += m.dy;
  }
  if (m.code == 'A' || m.code == '0') {
    p.pen_down = 0;
    m.dx = m.dy = 0.0f;
    return;
  }
  if (m.code != '1' && m.code != '2' && m.code != '3') {
    m.dx = m.dy = 0.0f;
    return;
  }
  Canvas* canvas = p.canvas;
  const CanvasPoint a = pixel_of(x0, y0), b = pixel_of(m.x, m.y);
  const bool start_dots = p.half_tool_pixels > 1.0f && !p.show_tool_width && !p.printing;
  if (canvas != nullptr) {
    canvas->pen.style = CANVAS_PEN_SOLID;
    canvas->pen.colour = p.colour;
    canvas->pen.width = p.show_tool_width ? static_cast<int>(p.tool_width * p.scale) : 0;
  }
  if (m.code == '1') {
    if (p.pen_down == 0) {
      if (start_dots && canvas != nullptr) draw_dot(canvas, a, p.half_tool_pixels);
      p.pen_down = 1;
    }
    if (canvas != nullptr && segment_touches(p.paint_box, a, b, canvas->pen.width))
      canvas_draw_line(canvas, a.x, a.y, b.x, b.y);
    m.dx = m.dy = 0.0f;
    return;
  }
  if (p.pen_down == 0) {
    if (start_dots && canvas != nullptr) draw_dot(canvas, a, p.half_tool_pixels);
    p.pen_down = 2;
  }
  float start = 0, end = 0;
  const float radius = arc_from_centre_offset(m.dx, m.dy, m.i, m.j, &start, &end);
  const double r_px = static_cast<double>(radius) * p.scale;
  const GlyphTransform& t = g_glyph_decoder.transform;
  const bool plain = t.width_factor == 1.0f && t.slant == 0.0f;
  const bool whole = m.dx == 0.0f && m.dy == 0.0f;
  if (canvas != nullptr) {
    if (!plain || r_px >= 2.0) {
      if (plain && whole && !start_dots && p.half_tool_pixels > 1.0f && !p.show_tool_width &&
          inside(p.paint_box, a))
        draw_dot(canvas, a, p.half_tool_pixels);
      const CanvasPoint c = pixel_of(x0 + m.i, y0 + m.j);
      const int r = to_pixel(r_px);
      const CanvasRect box{c.x - r, c.y - r, c.x + r, c.y + r};
      // The canvas draws counter-clockwise as seen on the screen, as the drawing is seen: a
      // clockwise arc is drawn from its end back to its start.
      if (m.code == '3') canvas_draw_arc(canvas, box, a, b);
      else canvas_draw_arc(canvas, box, b, a);
    } else if (whole) {
      if (r_px >= 0.5) canvas_draw_line(canvas, a.x, a.y, a.x + 2, a.y);
    } else {
      canvas_draw_line(canvas, a.x, a.y, b.x, b.y);
    }
  }
  m.dx = m.dy = 0.0f;
}
