// Rulers along the bottom and left edges of the drawing, or grid lines across it, at steps of
// one significant digit (1, 2, 4 or 5 times a power of ten) of an eighth of the view's width.
#include <cmath>
#include <cstdio>
#include <string>

#include "editor/page_furniture.h"
#include "editor/print_view.h"
#include "editor/render.h"
#include "editor/render_internal.h"
#include "editor/view_state.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/display_mode.h"

namespace {

constexpr uint32_t TICK_GREY = 0x808080;
// The printed rulers: light lines, four pixels wide with a wide print pen, and darker labels.
constexpr uint32_t PRINT_RULER_GREY = 0xE0E0E0;
constexpr uint32_t PRINT_LABEL_GREY = 0x808080;
constexpr int PRINT_RULER_WIDE = 4;
constexpr uint8_t COLOUR_GRID_LINES = 254;
// Lines one way never exceed this: a ruler has about sixteen.
constexpr int RULER_LINES_MAX = 1000;
// Surface flag bits of the wrapped work surfaces, whose rulers also give the angle.
constexpr int32_t WRAPPED_SURFACES = 0x2BC00;

char significant(char digit) {
  switch (digit) {
    case '3': case '6': case '7': case '8': case '9': return '5';
    default: return digit;
  }
}

struct RulerPen {
  int style;
  double step;
  int decimals;
  double wrap_radius;
  int label_height;
  const FontFace* face;
};

void draw_label(int x, int y, const char* text, const FontFace* face) {
  if (face == nullptr) return;
  const AreaClip clip;
  const CanvasKeep keep(clip.canvas);
  const bool opaque = clip.canvas->text_opaque;
  const FontFace* saved_face = clip.canvas->face;
  const uint32_t colour = clip.canvas->text_colour;
  clip.canvas->text_opaque = false;
  clip.canvas->face = face;
  clip.canvas->text_colour = clip.canvas->pen.colour;
  canvas_draw_text(clip.canvas, x, y + g_view.origin_y, text);
  clip.canvas->text_opaque = opaque;
  clip.canvas->face = saved_face;
  clip.canvas->text_colour = colour;
}

void label_text(char* out, size_t size, double value, int decimals) {
  std::snprintf(out, size, "%.*f", decimals, value);
}

void angle_text(char* out, size_t size, double value, double radius) {
  const double degrees = std::fmod(value / radius, 2.0 * M_PI) * 180.0 / M_PI;
  std::snprintf(out, size, "%.2f\xb0", degrees);
}

// One vertical or horizontal line at world value v.
void ruler_line(const RulerPen& pen, bool vertical, double v, int top) {
  const ViewState& view = g_view;
  Canvas* canvas = drawing_canvas();
  const int tick = g_display.presets[FACE_ROLE_NORMAL].cell_height;
  const bool zero = v == 0.0;
  canvas->pen.width = 1;
  canvas->pen.style = CANVAS_PEN_SOLID;
  if (zero && pen.style == RULERS_TICKS) canvas->pen.width = 3;
  if (zero && pen.style == RULERS_GRID) canvas->pen.style = CANVAS_PEN_DASH_DOT;
  char text[48];
  label_text(text, sizeof text, v, pen.decimals);
  if (vertical) {
    const int x = static_cast<int>(std::trunc((v - view.view_left) * view.scale_x + 0.5));
    const int y0 = pen.style == RULERS_GRID ? top : view.box_height - tick;
    area_line(x, y0, x, view.box_height);
    const int label_y = view.box_height - pen.label_height;
    draw_label(x + 3, label_y, text, pen.face);
    if (pen.wrap_radius > 0.0 && g_job_settings.surface_side == 0) {
      angle_text(text, sizeof text, v, pen.wrap_radius);
      draw_label(x + 3, label_y - pen.label_height, text, pen.face);
    }
  } else {
    const int y = static_cast<int>(std::trunc((view.view_top - v) * view.scale_y - 0.5));
    const int x1 = pen.style == RULERS_GRID ? view.area_width : tick;
    area_line(0, y, x1, y);
    draw_label(0, y, text, pen.face);
    if (pen.wrap_radius > 0.0 && g_job_settings.surface_side == 1) {
      angle_text(text, sizeof text, v, pen.wrap_radius);
      draw_label(0, y - pen.label_height + 2, text, pen.face);
    }
  }
}

// The values of the lines from the first one (0 when it is in view) towards `high`, then back
// towards `low`.
template <typename Line>
void for_each_ruler_value(double step, double low, double high, Line line) {
  const double first = low <= 0.0 && 0.0 <= high ? 0.0 : (std::trunc(low / step) + 1.0) * step;
  // Values are counted from the first line, never summed: a step that is lost against a large
  // value cannot hold the loop on one line.
  int drawn = 0;
  for (int k = 0; first + k * step <= high && drawn < RULER_LINES_MAX; ++k, ++drawn)
    line(first + k * step);
  for (int k = 1; first - k * step >= low && drawn < RULER_LINES_MAX; ++k, ++drawn)
    line(first - k * step);
}

void ruler_lines(const RulerPen& pen, bool vertical, double low, double high, int top) {
  for_each_ruler_value(pen.step, low, high,
                       [&](double v) { ruler_line(pen, vertical, v, top); });
}

}  // namespace

bool ruler_step(double span, double* step, int* decimals) {
  if (!(std::fabs(span) >= 1e-6)) return false;
  char text[400];
  std::snprintf(text, sizeof text, "%f", std::fabs(span) / 8.0);
  std::string s = text;
  if (!s.empty() && s[0] == '0') s.erase(0, 1);
  int places = 0;
  if (!s.empty() && s[0] == '.') {
    size_t i = 1;
    while (i < s.size() && s[i] == '0') ++i;
    if (i >= s.size()) return false;  // a step that prints as 0: no rulers, never an endless loop
    s[i] = significant(s[i]);
    s.resize(i + 1);
    places = static_cast<int>(i);
  } else {
    const size_t point = s.find('.');
    const size_t digits = point == std::string::npos ? s.size() : point;
    if (digits == 0) return false;
    s[0] = significant(s[0]);
    for (size_t i = 1; i < digits; ++i) s[i] = '0';
    s.resize(digits);
  }
  *step = std::strtod(s.c_str(), nullptr);
  *decimals = places;
  return *step > 0.0;
}

void draw_rulers(int top) {
  if ((g_furniture.ruler_style & RULERS_PRINTING) != 0) {
    draw_print_rulers();
    return;
  }
  const uint8_t style = g_furniture.ruler_style & ~RULERS_PRINTING;
  if (style == RULERS_NONE) return;
  const ViewState& view = g_view;
  RulerPen pen{};
  pen.style = style;
  if (!ruler_step(static_cast<double>(view.view_right) - view.view_left, &pen.step, &pen.decimals))
    return;
  const JobSettings& job = g_job_settings;
  if ((job.surface_flag & WRAPPED_SURFACES) != 0 && job.surface_radius > 0.0f)
    pen.wrap_radius = job.surface_radius;
  const CellMetrics& tiny = g_display.presets[FACE_ROLE_TINY];
  pen.face = interface_face(tiny.face_index);
  pen.label_height = tiny.cell_height;
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->mix = CANVAS_MIX_COPY;
  canvas->pen.colour = style == RULERS_GRID ? layer_pixel(COLOUR_GRID_LINES) : TICK_GREY;
  ruler_lines(pen, true, view.view_left, view.view_right, top);
  ruler_lines(pen, false, view.view_bottom, view.view_top - top / view.scale_y, top);
}

void draw_print_rulers() {
  const PrintedDrawing& p = g_printed_drawing;
  const ViewState& view = g_view;
  double step = 0;
  int decimals = 0;
  if (!ruler_step(p.window_right - p.window_left, &step, &decimals)) return;
  // The rulers begin below the header lines, whose room was added above the drawing.
  const int headers = (p.file_line.empty() ? 0 : 1) + (p.header_text.empty() ? 0 : 1);
  const double top = p.window_top - headers * p.header_room;
  auto px = [&](double x) { return static_cast<int>(std::lround((x - view.view_left) * view.scale_x)); };
  auto py = [&](double y) { return static_cast<int>(std::lround((view.view_top - y) * view.scale_y)); };
  const int left_x = px(p.window_left), right_x = px(p.window_right);
  const int top_y = py(top), bottom_y = py(p.window_bottom);
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->mix = CANVAS_MIX_COPY;
  char text[48];
  auto line = [&](int x1, int y1, int x2, int y2) {
    canvas->pen = CanvasPen{};
    canvas->pen.colour = PRINT_RULER_GREY;
    canvas->pen.width = g_preferences.drawing.print_pen_width != 0 ? PRINT_RULER_WIDE : 1;
    area_line(x1, y1, x2, y2);
    canvas->pen.colour = PRINT_LABEL_GREY;
  };
  for_each_ruler_value(step, p.window_left, p.window_right, [&](double v) {
    const int x = px(v);
    line(x, top_y, x, bottom_y);
    label_text(text, sizeof text, v, decimals);
    draw_print_text(x + 3, top_y, text, p.pixels_per_inch / 9.0);
  });
  for_each_ruler_value(step, p.window_bottom, top, [&](double v) {
    const int y = py(v);
    line(left_x, y, right_x, y);
    label_text(text, sizeof text, v, decimals);
    draw_print_text(left_x + 3, y, text, p.pixels_per_inch * 7.0 / 72.0);
  });
}
