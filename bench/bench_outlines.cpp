// Letter outlines from FreeType, flattened, and the two bench layouts.
#include "bench/bench_outlines.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>

namespace {

constexpr double FLATTEN_TOLERANCE = 0.01;  // mm

struct Point {
  double x, y;
};

// Collects the contours of one glyph, scaled to mm and placed at the pen.
struct GlyphSink {
  double scale = 1.0, pen_x = 0.0, base_y = 0.0;
  std::vector<std::vector<Point>> loops;
  Point last{0, 0};

  Point to_mm(const FT_Vector* v) const {
    return {pen_x + v->x * scale, base_y + v->y * scale};
  }
  void add(Point p) {
    std::vector<Point>& loop = loops.back();
    if (!loop.empty() && std::hypot(p.x - loop.back().x, p.y - loop.back().y) < 1e-9) return;
    loop.push_back(p);
    last = p;
  }
};

int move_to(const FT_Vector* to, void* user) {
  GlyphSink* s = static_cast<GlyphSink*>(user);
  s->loops.emplace_back();
  s->add(s->to_mm(to));
  return 0;
}

int line_to(const FT_Vector* to, void* user) {
  GlyphSink* s = static_cast<GlyphSink*>(user);
  s->add(s->to_mm(to));
  return 0;
}

// Steps that keep a curve of this second difference within the tolerance.
int curve_steps(double second_difference, double factor) {
  return std::max(1, static_cast<int>(std::ceil(std::sqrt(factor * second_difference /
                                                          FLATTEN_TOLERANCE))));
}

int conic_to(const FT_Vector* control, const FT_Vector* to, void* user) {
  GlyphSink* s = static_cast<GlyphSink*>(user);
  const Point p0 = s->last, p1 = s->to_mm(control), p2 = s->to_mm(to);
  const int n = curve_steps(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y), 0.25);
  for (int k = 1; k <= n; ++k) {
    const double t = static_cast<double>(k) / n, u = 1.0 - t;
    s->add({u * u * p0.x + 2 * u * t * p1.x + t * t * p2.x,
            u * u * p0.y + 2 * u * t * p1.y + t * t * p2.y});
  }
  return 0;
}

int cubic_to(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  GlyphSink* s = static_cast<GlyphSink*>(user);
  const Point p0 = s->last, p1 = s->to_mm(c1), p2 = s->to_mm(c2), p3 = s->to_mm(to);
  const double d = std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                            std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
  const int n = curve_steps(d, 0.75);
  for (int k = 1; k <= n; ++k) {
    const double t = static_cast<double>(k) / n, u = 1.0 - t;
    s->add({u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
            u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y});
  }
  return 0;
}

double signed_area(const std::vector<Point>& loop) {
  double a = 0.0;
  for (size_t k = 0; k < loop.size(); ++k) {
    const Point& p = loop[k];
    const Point& q = loop[(k + 1) % loop.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return a / 2.0;
}

// The loops of a line of text starting at (x, base_y); the width of the line in mm.
double text_loops(FT_Face face, const char* text, double em, double x, double base_y,
                  std::vector<std::vector<Point>>* out) {
  GlyphSink sink;
  sink.scale = em / face->units_per_EM;
  sink.pen_x = x;
  sink.base_y = base_y;
  FT_Outline_Funcs funcs{};
  funcs.move_to = move_to;
  funcs.line_to = line_to;
  funcs.conic_to = conic_to;
  funcs.cubic_to = cubic_to;
  for (const char* c = text; *c != '\0'; ++c) {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(*c));
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) continue;
    FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink);
    sink.pen_x += face->glyph->advance.x * sink.scale;
  }
  for (std::vector<Point>& loop : sink.loops) {
    if (loop.size() > 1 &&
        std::hypot(loop.front().x - loop.back().x, loop.front().y - loop.back().y) < 1e-9) {
      loop.pop_back();
    }
    if (loop.size() >= 3) out->push_back(loop);
  }
  return sink.pen_x - x;
}

double text_width(FT_Face face, const char* text, double em) {
  std::vector<std::vector<Point>> ignored;
  return text_loops(face, text, em, 0.0, 0.0, &ignored);
}

BenchLoop polygon_loop(const std::vector<Point>& points, BenchRole role) {
  BenchLoop loop;
  loop.role = role;
  for (const Point& p : points) loop.corners.push_back({p.x, p.y});
  return loop;
}

// Lines of text centred on x = cx, their baselines at the given heights.
bool add_text(const std::string& font_path, const std::vector<const char*>& lines,
              const std::vector<double>& baselines, double em, double cx,
              std::vector<std::vector<Point>>* loops, std::string* error) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    *error = "cannot start FreeType";
    return false;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(library, font_path.c_str(), 0, &face) != 0) {
    *error = "cannot read the font " + font_path;
    FT_Done_FreeType(library);
    return false;
  }
  for (size_t k = 0; k < lines.size(); ++k) {
    const double w = text_width(face, lines[k], em);
    text_loops(face, lines[k], em, cx - w / 2.0, baselines[k], loops);
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return true;
}

}  // namespace

BenchShapes sign_shapes(const std::string& font_path) {
  BenchShapes out;
  std::vector<std::vector<Point>> loops;
  if (!add_text(font_path, {"MAPLE RIDGE", "WOODWORKS 1887"}, {90.0, 0.0}, 70.0, 0.0, &loops,
                &out.error)) {
    return out;
  }
  for (const std::vector<Point>& l : loops) out.loops.push_back(polygon_loop(l, BenchRole::SIGN_LETTER));
  return out;
}

BenchShapes plate_shapes(const std::string& font_path) {
  BenchShapes out;
  // The plate, counter-clockwise from the bottom edge, R10 corners.
  const double w = 300.0, h = 200.0, r = 10.0;
  BenchLoop plate;
  plate.role = BenchRole::PLATE_POCKET;
  plate.corners = {{r, 0},         {w - r, 0, true, w - r, r},     {w, r},
                   {w, h - r, true, w - r, h - r}, {w - r, h},   {r, h, true, r, h - r},
                   {0, h - r},     {0, r, true, r, r}};
  out.loops.push_back(plate);
  BenchLoop outside = plate;
  outside.role = BenchRole::PLATE_OUTSIDE;
  std::vector<std::vector<Point>> loops;
  if (!add_text(font_path, {"MAPLE RIDGE", "WOODWORKS", "FINE FURNITURE", "SINCE 1887"},
                {150.0, 110.0, 70.0, 30.0}, 25.0, w / 2.0, &loops, &out.error)) {
    return out;
  }
  // TrueType outlines run clockwise; counters run the other way.
  for (const std::vector<Point>& l : loops) {
    out.loops.push_back(polygon_loop(
        l, signed_area(l) < 0.0 ? BenchRole::PLATE_LETTER : BenchRole::PLATE_POCKET));
  }
  out.loops.push_back(outside);
  return out;
}
