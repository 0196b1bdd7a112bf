#include "editor/render.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "cam/item_walkers.h"
#include "editor/draw_style.h"
#include "editor/edit_session.h"
#include "editor/render_internal.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/bezier.h"
#include "geometry/geometry_settings.h"
#include "geometry/layers.h"
#include "geometry/point_arrays.h"
#include "geometry/spline_run.h"
#include "nc/path_code.h"
#include "records/preferences.h"
#include "screen/display_mode.h"
#include "screen/text_output.h"
#include "text/pen_plotter.h"

namespace {

// A circle smaller than this many pixels is one black pixel; above this radius a full circle is
// flattened rather than drawn by the ellipse primitive.
constexpr double CIRCLE_DOT_PIXELS = 0.3;
constexpr double CIRCLE_PRIMITIVE_MAX = 4000.0;
constexpr float FULL_CIRCLE_SWEEP = 6.28318f;
// Point circles wider than this are clamped: no marker needs to be larger than the screen.
constexpr double POINT_RADIUS_MAX = 1000000.0;
// Item types from this one on are texts: their links are only their frames.
constexpr uint8_t ITEM_FIRST_TEXT_KIND = 24;

CanvasPenStyle pen_style_of(uint8_t layer_style) {
  switch (layer_style) {
    case LAYER_STYLE_DASHED: return CANVAS_PEN_DASH;
    case LAYER_STYLE_DOTTED: return CANVAS_PEN_DOT;
    case LAYER_STYLE_DASH_DOT: return CANVAS_PEN_DASH_DOT;
    case LAYER_STYLE_DASH_DOT_DOT: return CANVAS_PEN_DASH_DOT_DOT;
    default: return CANVAS_PEN_SOLID;
  }
}

int colour_index() { return std::clamp<int>(g_draw_style.draw_colour, 0, LAYER_COUNT - 1); }

bool box_outside_view(const LinkRecord* link) {
  const ViewState& v = g_view;
  return link->box_min.x > v.view_right || link->box_max.x < v.view_left ||
         link->box_min.y > v.view_top || link->box_max.y < v.view_bottom;
}

void pixel_of(PointF p, int* x, int* y) { world_to_screen(p, x, y); }

// A world point in pixels of the area, in double: far-off ends keep their direction exactly.
void pixel_of_d(PointF p, double* x, double* y) {
  const ViewState& v = g_view;
  *x = (static_cast<double>(p.x) - v.view_left) * v.scale_x;
  *y = (static_cast<double>(v.view_top) - p.y) * v.scale_y;
}

// Cuts a segment in double pixels to the paint box widened by a pixel; false when it misses.
bool clip_to_box(double* x1, double* y1, double* x2, double* y2) {
  const double lo_x = -1.0, lo_y = -1.0;
  const double hi_x = g_view.box_width + 1.0, hi_y = g_view.box_height + 1.0;
  double t0 = 0.0, t1 = 1.0;
  const double dx = *x2 - *x1, dy = *y2 - *y1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {*x1 - lo_x, hi_x - *x1, *y1 - lo_y, hi_y - *y1};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0.0) {
      if (q[k] < 0.0) return false;
      continue;
    }
    const double r = q[k] / p[k];
    if (p[k] < 0.0) t0 = std::max(t0, r);
    else t1 = std::min(t1, r);
    if (t0 > t1) return false;
  }
  const double ax = *x1, ay = *y1;
  *x1 = ax + t0 * dx;
  *y1 = ay + t0 * dy;
  *x2 = ax + t1 * dx;
  *y2 = ay + t1 * dy;
  return true;
}

// Lines are mapped and cut in double before they are rounded: an end a billion pixels off at a
// deep zoom neither wraps nor bends the part that shows.
void draw_line_link(const LinkRecord* link) {
  if ((link->link_flags & LINK_INVISIBLE) != 0 && g_draw_style.hide_invisible_links != 0) return;
  double ax = 0, ay = 0, bx = 0, by = 0;
  pixel_of_d(link->point, &ax, &ay);
  pixel_of_d(next_point(link), &bx, &by);
  if (g_draw_style.printing == 0 && !clip_to_box(&ax, &ay, &bx, &by)) return;
  const int x1 = round_half_away(ax), y1 = round_half_away(ay);
  int x2 = round_half_away(bx);
  const int y2 = round_half_away(by);
  if (x1 == x2 && y1 == y2) x2 += 2;
  area_line(x1, y1, x2, y2);
}

void draw_box_link(const LinkRecord* link) {
  if (box_outside_view(link)) return;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  pixel_of(link->point, &x1, &y1);
  pixel_of(next_point(link), &x2, &y2);
  area_line(x1, y1, x2, y1);
  area_line(x2, y1, x2, y2);
  area_line(x2, y2, x1, y2);
  area_line(x1, y2, x1, y1);
}

void draw_arc_link(const LinkRecord* link) {
  if ((link->link_flags & LINK_INVISIBLE) != 0 && g_draw_style.hide_invisible_links != 0) return;
  if (g_draw_style.draw_colour != COLOUR_EDITING && box_outside_view(link)) return;
  const ViewState& v = g_view;
  const double r = static_cast<double>(link->code) * v.scale_x;
  const double cx = static_cast<double>(link->centre.x) - v.view_left;
  const double cy = static_cast<double>(link->centre.y) - v.view_top;
  const int clockwise = (link->link_flags & LINK_CLOCKWISE) != 0 ? 1 : 0;
  if (link->sweep < 0.0f || link->sweep >= FULL_CIRCLE_SWEEP) {
    if (r > CIRCLE_PRIMITIVE_MAX) {
      draw_arc(cx, cy, link->code, 0.0, ANGLE_TWO_PI - 0.001, clockwise);
      return;
    }
    int x = 0, y = 0;
    pixel_of(link->centre, &x, &y);
    if (r < CIRCLE_DOT_PIXELS) {
      Canvas* canvas = drawing_canvas();
      const CanvasKeep keep(canvas);
      canvas->mix = CANVAS_MIX_COPY;
      canvas_set_pixel(canvas, x, y + g_view.origin_y, DRAW_BLACK);
      return;
    }
    draw_circle_px(x, y, static_cast<int>(std::max(r, 1.0) + 0.5));
    return;
  }
  const double start = link->start_angle;
  const double end = start + link->sweep;
  if (clockwise != 0) draw_arc(cx, cy, link->code, end, start, 1);
  else draw_arc(cx, cy, link->code, start, end, 0);
}

LinkRecord* draw_spline_link(LinkRecord* link) {
  const ViewState& v = g_view;
  set_spline_screen_map(v.view_left, v.view_top, v.scale_x, v.scale_y);
  int count = 0;
  LinkRecord* last = gather_spline_run(link, &count, 1, nullptr);
  draw_spline_samples(g_spline_samples.x, g_spline_samples.y, count,
                      static_cast<float>(g_geometry_settings.tolerance * v.scale_x), 1);
  return last;
}

void draw_ellipse_link(const LinkRecord* link) {
  const ViewState& v = g_view;
  const PointF& c = link->centre;
  const PointF& node = link->point;
  const PointF& next = next_point(link);
  const double a = std::hypot(static_cast<double>(node.x) - c.x, static_cast<double>(node.y) - c.y);
  const double b = std::hypot(static_cast<double>(next.x) - c.x, static_cast<double>(next.y) - c.y);
  const double rotation =
      std::atan2(static_cast<double>(next.y) - c.y, static_cast<double>(next.x) - c.x);
  if (draw_ellipse(static_cast<double>(c.x) - v.view_left, static_cast<double>(c.y) - v.view_top,
                   a, b, rotation, 1) == -1)
    draw_node_marker(c);
}

void draw_point_link(LinkRecord* link) {
  const double radius = -(static_cast<double>(link->code) + 64.0) * g_view.scale_x;
  int r = static_cast<int>(std::clamp(std::trunc(radius), 0.0, POINT_RADIUS_MAX));
  if (r == 1) r = 0;
  g_draw_style.point_circle_radius = r;
  for_each_array_position(link, [](const PointF& p) { draw_array_copy_marker(p); });
  int x = 0, y = 0;
  pixel_of(link->point, &x, &y);
  draw_circle_px(x, y, r == 2 ? 3 : 2);
  const LinkRecord* closing = point_array_closing(link);
  if (closing == nullptr || point_array_kind(closing) == POINT_ARRAY_NONE) return;
  pixel_of(closing->point, &x, &y);
  area_line(x, y + 3, x + 3, y - 2);
  area_line(x + 3, y - 2, x - 3, y - 2);
  area_line(x - 3, y - 2, x, y + 3);
}

// The pen of an item: its layer's, or the marked or working colour.
void set_item_pen(Canvas* canvas, const DrawingItem* item, int c) {
  const uint8_t flags = item_flags(item);
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  if (c == COLOUR_ERASE || (flags & (ITEM_FLAG_WORKING | ITEM_FLAG_MARKED)) == 0) {
    canvas->pen.style = pen_style_of(g_layers.styles[c]);
    canvas->mix = c == COLOUR_EDITING ? CANVAS_MIX_XOR : CANVAS_MIX_COPY;
    if (item_type(item) >= ITEM_TEXT_LIKE) canvas->pen.style = CANVAS_PEN_DOT;
    canvas->pen.colour = layer_pixel(c);
    return;
  }
  const int special = (flags & ITEM_FLAG_WORKING) != 0 ? COLOUR_WORKING : COLOUR_MARKED;
  canvas->pen.style = pen_style_of(g_layers.styles[special]);
  canvas->pen.colour = layer_pixel(special);
  if (edit_session_open()) canvas->mix = CANVAS_MIX_XOR;
  else if (special == COLOUR_WORKING) canvas->mix = CANVAS_MIX_COPY;
}

void draw_item_text(DrawingItem* item, int c, int flags) {
  const DrawingOptions& o = g_preferences.drawing;
  PenPlotter& plotter = g_pen_plotter;
  bool tool_width = o.show_tool_width != 0;
  if (g_draw_style.printing != 0) {
    tool_width = o.print_tool_width != 0;
  } else if (c == COLOUR_EDITING || (flags & DRAW_ITEM_UNDRAW) != 0) {
    if (o.text_in_editing_colour == 0) return;
    if (o.tool_width_in_editing_colour == 0 && c != COLOUR_ERASE) tool_width = false;
  }
  Canvas* canvas = drawing_canvas();
  uint32_t colour = canvas->pen.colour;
  if (c != COLOUR_ERASE && (item_flags(item) & (ITEM_FLAG_MARKED | ITEM_FLAG_WORKING)) != 0) {
    tool_width = false;
    g_draw_style.draw_colour = COLOUR_WORKING;
    colour = layer_pixel(COLOUR_WORKING);
  }
  GeometryBlock* block = item_block(item);
  if (const uint8_t* cam = block_cam_params(block)) {
    read_cam_params(cam, &g_encoder_inputs.current_cam_params);
    g_encoder_inputs.current_tool_block = g_encoder_inputs.current_cam_params.finishing;
  }
  const ViewState& v = g_view;
  plotter.canvas = canvas;
  plotter.scale = v.scale_x;
  plotter.view_top_left = {v.view_left, v.view_top + static_cast<float>(v.origin_y / v.scale_x)};
  plotter.colour = colour;
  plotter.tool_width = g_encoder_inputs.current_tool_block.cut_width;
  plotter.half_tool_pixels = static_cast<float>(plotter.tool_width * v.scale_x * 0.5);
  plotter.show_tool_width = tool_width;
  plotter.printing = g_draw_style.printing != 0;
  plotter.paint_box = CanvasRect{0, v.origin_y, v.box_width, v.origin_y + v.box_height};
  plotter.pen_down = 0;
  canvas->pen.style = CANVAS_PEN_SOLID;
  canvas->pen.colour = colour;
  text_to_strokes(item, plot_pen_move);
  g_draw_style.pen_width = 0;
  canvas->pen.width = 1;
}

void draw_marked_nodes(DrawingItem* item, int c) {
  if (c == COLOUR_EDITING || (item_flags(item) & ITEM_FLAG_HAS_MARKED_NODES) == 0) return;
  LinkRecord* r = item_nodes(item);
  LinkRecord* closing = item_closing_record(item);
  const bool skip_closing = item_is_closed(item) && (r->link_flags & LINK_NODE_MARKED) != 0;
  Canvas* canvas = drawing_canvas();
  canvas->pen = CanvasPen{};
  canvas->pen.colour = c == COLOUR_ERASE ? layer_pixel(COLOUR_ERASE) : DRAW_RED;
  for (; r <= closing; ++r) {
    if (r == closing && skip_closing) break;
    if ((r->link_flags & LINK_NODE_MARKED) != 0) draw_node_marker(r->point);
  }
}

}  // namespace

// ---- the canvas ----

Canvas* drawing_canvas() {
  if (g_view.canvas == nullptr) {
    g_view.canvas = &g_text.screen;
    g_view.origin_y = g_view.area_top;
  }
  return g_view.canvas;
}

uint32_t layer_pixel(int colour_index) {
  const uint32_t c = g_layers.colours[std::clamp(colour_index, 0, LAYER_COUNT - 1)];
  return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

AreaClip::AreaClip() : canvas(drawing_canvas()), saved(canvas->clip) {
  if (g_draw_style.printing != 0) return;
  canvas->clip = CanvasRect{0, g_view.origin_y, g_view.box_width, g_view.origin_y + g_view.box_height};
}
AreaClip::~AreaClip() { canvas->clip = saved; }

void area_line(int x1, int y1, int x2, int y2) {
  const AreaClip clip;
  const int dy = g_view.origin_y;
  canvas_draw_line(clip.canvas, x1, y1 + dy, x2, y2 + dy);
}

void area_polyline(CanvasPoint* points, int count) {
  if (count < 2) return;
  const AreaClip clip;
  for (int i = 0; i < count; ++i) points[i].y += g_view.origin_y;
  canvas_draw_polyline(clip.canvas, std::span<const CanvasPoint>(points, count));
}

void area_rect_outline(int x1, int y1, int x2, int y2) {
  area_line(x1, y1, x2, y1);
  area_line(x2, y1, x2, y2);
  area_line(x2, y2, x1, y2);
  area_line(x1, y2, x1, y1);
}

void area_dot(int x, int y) {
  const AreaClip clip;
  const CanvasKeep keep(clip.canvas);
  clip.canvas->brush.kind = CANVAS_BRUSH_SOLID;
  clip.canvas->brush.colour = clip.canvas->pen.colour;
  clip.canvas->pen.style = CANVAS_PEN_NONE;
  const int dy = g_view.origin_y;
  canvas_fill_rect(clip.canvas, CanvasRect{x - 1, y - 1 + dy, x + 2, y + 2 + dy});
}

// ---- items and links ----

void draw_item(DrawingItem* item, int flags) {
  DrawStyle& style = g_draw_style;
  const int c = colour_index();
  if (g_layers.visibility[c] == 0 || item->extra.empty()) return;
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->pen.width = style.pen_width;
  canvas->pen.phase = 0;
  set_item_pen(canvas, item, c);
  const bool text = item_type(item) >= ITEM_FIRST_TEXT_KIND;
  const DrawingOptions& o = g_preferences.drawing;
  const bool boxes = style.printing != 0 ? o.print_text_boxes != 0 : o.show_text_boxes != 0;
  if (!text || boxes) {
    LinkRecord* r = item_nodes(item);
    LinkRecord* closing = item_closing_record(item);
    if ((r->node_flags & NODE_SYMMETRY_MASK) != 0) {
      if (c == COLOUR_EDITING) draw_link(r);
      r += 2;
    }
    const CanvasPen pen = canvas->pen;
    for (; r < closing; ++r) {
      if ((flags & DRAW_ITEM_UNDRAW) != 0) {
        if ((r->link_flags & LINK_DRAWN) == 0) continue;
        r->link_flags &= static_cast<uint8_t>(~LINK_DRAWN);
      } else {
        r->link_flags |= LINK_DRAWN;
      }
      if ((r->link_flags & LINK_INVISIBLE) != 0 && c != COLOUR_EDITING) {
        canvas->pen.width = 1;
        canvas->pen.style = CANVAS_PEN_DASH_DOT_DOT;
      } else if ((r->link_flags & LINK_CONSTRUCTION) != 0) {
        canvas->pen.width = 1;
        canvas->pen.style = CANVAS_PEN_DOT;
        canvas->pen.colour = layer_pixel(COLOUR_CONSTRUCTION);
      }
      r = draw_link(r);
      canvas->pen = pen;
    }
  }
  if (text) draw_item_text(item, c, flags);
  draw_marked_nodes(item, c);
}

LinkRecord* draw_link(LinkRecord* link) {
  const float code = link->code;
  if (code > 0.0f) {
    draw_arc_link(link);
  } else if (code == LINK_FLEXIBLE_LINE || code == LINK_RIGID_LINE || code == -2.0f) {
    draw_line_link(link);
  } else if (code == LINK_BOX) {
    draw_box_link(link);
  } else if (code == LINK_BEZIER) {
    const ViewState& v = g_view;
    const ViewMapping mapping{v.scale_x, v.view_left,
                              v.view_top + static_cast<float>(v.origin_y / v.scale_x)};
    const AreaClip clip;
    return draw_bezier_run(clip.canvas, find_curve_run_start(link, code), mapping);
  } else if (code == LINK_SPLINE) {
    return draw_spline_link(link);
  } else if (code == LINK_ELLIPSE) {
    draw_ellipse_link(link);
  } else if (code == LINK_QUADRATIC) {
    return draw_quadratic_link(link);
  } else if (code <= LINK_POINT) {
    draw_point_link(link);
  }
  return link;
}

LinkRecord* draw_quadratic_link(LinkRecord* link) {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  pixel_of(link->point, &x0, &y0);
  pixel_of(link->centre, &x1, &y1);
  pixel_of(next_point(link), &x2, &y2);
  if (clip_segment_to_view(&x0, &y0, &x1, &y1)) area_line(x0, y0, x1, y1);
  pixel_of(link->centre, &x1, &y1);
  if (clip_segment_to_view(&x1, &y1, &x2, &y2)) area_line(x1, y1, x2, y2);
  return link;
}

void draw_circle_px(int x, int y, int r) {
  const AreaClip clip;
  const int64_t dy = g_view.origin_y;
  const int64_t left = static_cast<int64_t>(x) - r;
  const int64_t right = static_cast<int64_t>(x) + r + 1;
  const int64_t top = static_cast<int64_t>(y) + dy - r;
  const int64_t bottom = static_cast<int64_t>(y) + dy + r + 1;
  const CanvasRect& box = clip.canvas->clip;
  // Off the paint box, or a ring around all of it: nothing of it would show.
  if (right <= box.left || left >= box.right || bottom <= box.top || top >= box.bottom) return;
  canvas_draw_ellipse(clip.canvas, CanvasRect{static_cast<int>(left), static_cast<int>(top),
                                              static_cast<int>(right), static_cast<int>(bottom)});
}

void draw_array_copy_marker(PointF p) {
  int x = 0, y = 0;
  pixel_of(p, &x, &y);
  area_dot(x, y);
  if (g_draw_style.point_circle_radius != 0) draw_circle_px(x, y, g_draw_style.point_circle_radius);
}

void draw_node_marker(PointF p) {
  int x = 0, y = 0;
  pixel_of(p, &x, &y);
  const int half = g_display.screen_width > 1200 ? 4 : 2;
  area_rect_outline(x - half, y - half, x + half, y + half);
  area_rect_outline(x - 3, y - 3, x + 3, y + 3);
}

namespace {

// The node marker with a solid copy pen of one colour.
void node_marker_in(PointF p, uint32_t colour) {
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = colour;
  canvas->mix = CANVAS_MIX_COPY;
  draw_node_marker(p);
}

}  // namespace

void draw_node_marker_red(PointF p) { node_marker_in(p, DRAW_RED); }

void erase_node_marker(PointF p) { node_marker_in(p, DRAW_WHITE); }

void xor_line(PointF a, PointF b) {
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = DRAW_CYAN;
  canvas->mix = CANVAS_MIX_XOR;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  pixel_of(a, &x1, &y1);
  pixel_of(b, &x2, &y2);
  if (x1 == x2 && y1 == y2) x2 += 2;
  area_line(x1, y1, x2, y2);
}

void xor_spline_preview(const float* points, int n) {
  if (n <= 0) return;
  if (n == 1) {
    xor_line(PointF{points[0], points[1]}, PointF{points[2], points[3]});
    return;
  }
  const int count = std::min(n + 1, SPLINE_MAX_POINTS);
  const ViewState& v = g_view;
  SplineSamples& s = g_spline_samples;
  for (int i = 0; i < count; ++i) {
    s.x[i] = (static_cast<double>(points[2 * i]) - v.view_left) * v.scale_x;
    s.y[i] = (static_cast<double>(v.view_top) - points[2 * i + 1]) * v.scale_y;
  }
  s.start_angle = 0.0;
  s.end_angle = 0.0;
  s.end_mode = SPLINE_END_NATURAL;
  s.end_flag = SPLINE_END_NATURAL;
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = DRAW_RED;
  canvas->mix = CANVAS_MIX_XOR;
  draw_spline_samples(s.x, s.y, count, static_cast<float>(g_geometry_settings.tolerance * v.scale_x),
                      1);
}

// ---- tool paths ----

void draw_tool_path_item(DrawingItem* item) {
  if (item->extra.empty()) return;
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  const DrawStyle& style = g_draw_style;
  const uint32_t colour = layer_pixel(style.draw_colour);
  canvas->pen = CanvasPen{};
  canvas->pen.width = style.pen_width;
  canvas->pen.colour = colour;
  canvas->mix = CANVAS_MIX_COPY;
  canvas->brush.kind = CANVAS_BRUSH_SOLID;
  canvas->brush.colour = colour;
  int end_radius = (style.pen_width + 1) / 2;
  if (end_radius <= 3) end_radius = 0;
  LinkRecord* r = item_nodes(item);
  LinkRecord* closing = item_closing_record(item);
  bool run_open = false;
  for (; r < closing; ++r) {
    if ((r->link_flags & (LINK_INVISIBLE | LINK_NODE_MARKED)) != 0) {
      run_open = false;
      continue;
    }
    if (r->code == -2.0f && run_open) break;
    run_open = true;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    pixel_of(r->point, &x1, &y1);
    pixel_of(next_point(r), &x2, &y2);
    if (std::abs(x2 - x1) >= end_radius || std::abs(y2 - y1) >= end_radius) r = draw_link(r);
    if (end_radius != 0 && x1 > -100 && x1 < 3000 && y1 > -100 && y1 < 2000) {
      const CanvasKeep dot(canvas);
      canvas->pen.style = CANVAS_PEN_NONE;
      draw_circle_px(x1, y1, end_radius);
    }
  }
}

void draw_tool_circles(DrawingItem* item) {
  if (item->extra.empty()) return;
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = layer_pixel(g_draw_style.draw_colour + 2);
  canvas->mix = CANVAS_MIX_COPY;
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  LinkRecord* r = item_nodes(item);
  LinkRecord* closing = item_closing_record(item);
  for (; r <= closing; ++r) {
    if (r != closing && (r->link_flags & LINK_INVISIBLE) != 0) continue;
    int x = 0, y = 0;
    pixel_of(r->point, &x, &y);
    if (x > -100 && x < g_view.box_width - 1 && y > -100 && y < g_view.box_height - 1)
      draw_circle_px(x, y, g_draw_style.tool_circle_radius);
  }
}

// ---- clipping ----

bool clip_segment_to_view(int* x1, int* y1, int* x2, int* y2) {
  if (g_draw_style.printing != 0) return true;
  const int64_t w = g_view.box_width;
  const int64_t h = g_view.box_height;
  auto out_code = [&](int64_t x, int64_t y) {
    int code = 0;
    if (y >= h) code |= 1;
    else if (y < 0) code |= 2;
    if (x >= w) code |= 4;
    else if (x < 0) code |= 8;
    return code;
  };
  int64_t ax = *x1, ay = *y1, bx = *x2, by = *y2;
  int ca = out_code(ax, ay);
  int cb = out_code(bx, by);
  // Each pass moves one end onto a border, so four passes per end settle it.
  for (int pass = 0; pass < 8; ++pass) {
    if ((ca & cb) != 0) return false;
    if (ca == 0 && cb == 0) {
      *x1 = static_cast<int>(ax);
      *y1 = static_cast<int>(ay);
      *x2 = static_cast<int>(bx);
      *y2 = static_cast<int>(by);
      return true;
    }
    const bool second = cb != 0;
    const int code = second ? cb : ca;
    int64_t x = 0, y = 0;
    if ((code & 1) != 0) {
      y = h - 1;
      x = ax + (bx - ax) * (h - 1 - ay) / (by - ay);
    } else if ((code & 2) != 0) {
      y = 0;
      x = ax + (bx - ax) * (0 - ay) / (by - ay);
    } else if ((code & 4) != 0) {
      x = w - 1;
      y = ay + (by - ay) * (w - 1 - ax) / (bx - ax);
    } else {
      x = 0;
      y = ay + (by - ay) * (0 - ax) / (bx - ax);
    }
    if (second) {
      bx = x;
      by = y;
      cb = out_code(bx, by);
    } else {
      ax = x;
      ay = y;
      ca = out_code(ax, ay);
    }
  }
  return false;
}
