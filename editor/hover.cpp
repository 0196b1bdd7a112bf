#include "editor/hover.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "editor/canvas_cursor.h"
#include "editor/draw_style.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/render.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/geometry2d.h"
#include "geometry/layers.h"
#include "geometry/node_surgery.h"
#include "records/job_settings.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"

namespace {

constexpr uint32_t ARROW_GREEN = 0x008000;
constexpr int INFO_LINE_CELLS = 32;

bool node_mode() { return g_hover.pick_mode == PICK_MODE_NODES; }
bool item_mode() { return (g_hover.pick_mode & PICK_MODE_ITEM_REPORTS) != 0; }

bool is_polyline(const DrawingItem* item) { return item != nullptr && item_type(item) == ITEM_POLYLINE; }

// The XOR pen of the highlights on the drawing canvas.
struct HighlightPen {
  Canvas* canvas;
  CanvasKeep keep;
  explicit HighlightPen(CanvasPenStyle style = CANVAS_PEN_SOLID)
      : canvas(drawing_canvas()), keep(canvas) {
    canvas->pen = CanvasPen{};
    canvas->pen.style = style;
    canvas->pen.colour = g_hover.highlight_colour;
    canvas->mix = CANVAS_MIX_XOR;
    canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  }
};

void square_at(int x, int y, int half) {
  area_rect_outline(x - half, y - half, x + half, y + half);
}

void circle_at(int x, int y, int r) { draw_circle_px(x, y, r); }

void clipped_line(PointF a, PointF b) {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  world_to_screen(a, &x1, &y1);
  world_to_screen(b, &x2, &y2);
  if (clip_segment_to_view(&x1, &y1, &x2, &y2)) area_line(x1, y1, x2, y2);
}

// The node markers of an item (XOR; twice removes them), without the link highlight.
void toggle_node_markers(DrawingItem* item) {
  if (item == nullptr || item->extra.empty() || g_job_settings.show_node_markers == 0) return;
  const HighlightPen pen;
  LinkRecord* r = item_nodes(item);
  LinkRecord* closing = item_closing_record(item);
  const bool closed = item_is_closed(item);
  for (; r <= closing; ++r) {
    if (r == closing && closed) break;
    int16_t x = 0, y = 0;
    if (world_to_screen_clipped(r->point, &x, &y) != 0) {
      if ((r->node_flags & NODE_FIRST) != 0) circle_at(x, y, 6);
      else if ((r->node_flags & NODE_TANGENT_MASK) != 0) square_at(x, y, 4);
      else if ((r->node_flags & NODE_LOOSE) != 0) circle_at(x, y, 3);
      else if (!closed) circle_at(x, y, 4);
    }
    if (r != closing && r->code == LINK_QUADRATIC &&
        world_to_screen_clipped(r->centre, &x, &y) != 0)
      circle_at(x, y, 4);
  }
}

void cross_at(PointF p) {
  int x = 0, y = 0;
  world_to_screen(p, &x, &y);
  area_line(x - 7, y - 7, x + 8, y + 8);
  area_line(x - 7, y + 7, x + 8, y - 8);
}

void node_marker_at(PointF p, const LinkRecord* r, bool start) {
  int x = 0, y = 0;
  world_to_screen(p, &x, &y);
  if (start && (r->node_flags & NODE_FIRST) != 0) circle_at(x, y, 8);
  else if ((r->node_flags & NODE_TANGENT_MASK) != 0) square_at(x, y, 4);
  else if ((r->node_flags & NODE_LOOSE) != 0) circle_at(x, y, 6);
  else circle_at(x, y, 3);
}

void direction_arrow(const LinkRecord* link) {
  double angle = 0.0;
  if (code_is_arc(link->code)) {
    if (link->sweep < 0.0f) return;
    angle = arc_tangent_angle(&link->point, link);
  } else {
    angle = std::atan2(static_cast<double>(next_point(link).y) - link->point.y,
                       static_cast<double>(next_point(link).x) - link->point.x);
  }
  Canvas* canvas = drawing_canvas();
  canvas->pen.colour = ARROW_GREEN;
  const double cw = g_display.presets[FACE_ROLE_NORMAL].cell_width;
  int x = 0, y = 0;
  world_to_screen(link->point, &x, &y);
  auto at = [&](double length, double turn, int* px, int* py) {
    *px = x + static_cast<int>(std::lround(length * std::cos(angle + turn)));
    *py = y - static_cast<int>(std::lround(length * std::sin(angle + turn)));
  };
  int ex = 0, ey = 0, lx = 0, ly = 0, rx = 0, ry = 0, tx = 0, ty = 0;
  at(2.0 * cw, 0.0, &ex, &ey);
  at(1.2 * cw, 0.4, &lx, &ly);
  at(1.2 * cw, -0.4, &rx, &ry);
  at(2.1 * cw, 0.0, &tx, &ty);
  area_line(x, y, ex, ey);
  area_line(lx, ly, tx, ty);
  area_line(tx, ty, rx, ry);
  canvas->pen.colour = g_hover.highlight_colour;
}

bool item_filtered(const DrawingItem* item) {
  const HoverState& h = g_hover;
  if (item->extra.empty() || !item_is_shown(item)) return true;
  const GeometryBlock* block = item_block(item);
  const uint8_t op = block_cam_op(block);
  if (h.machinable_only != 0 && op == 0) return true;
  if (h.group_filter > 0 && op != 0) {
    const int16_t group = block_machining_group(block);
    if (group > 0 && group != h.group_filter) return true;
  }
  return false;
}

// Tests one link (or the spline run starting at it) at p; returns the kind (0 none) and sets
// the selector and the link the hit stands on.
int test_link(DrawingItem* item, LinkRecord** link, int16_t* selector, const PointF& p) {
  const float tol = g_view.pick_tolerance;
  LinkRecord* r = *link;
  const bool ellipse = r->code == LINK_ELLIPSE || item_type(item) == ITEM_TEXT_LIKE;
  if (node_mode()) {
    int hit = 0;
    if (ellipse) hit = hit_test_link_points_quick(&p, r, tol);
    else hit = hit_test_link_points(&p, r, tol);
    if (hit == PICK_POINT_NODE) {
      *selector = PICK_POINT_NODE;
      return PICK_START_NODE;
    }
    if (hit == PICK_POINT_CENTRE) {
      if (item_mode()) return 0;
      *selector = PICK_POINT_CENTRE;
      return PICK_CENTRE;
    }
    if (hit == PICK_POINT_NEXT) {
      LinkRecord* closing = item_closing_record(item);
      if (r + 1 != closing) {
        *link = r + 1;
        *selector = PICK_POINT_NODE;
        return PICK_START_NODE;
      }
      if (!item_is_closed(item)) {
        *selector = PICK_POINT_NEXT;
        return PICK_END_NODE;
      }
      if ((item_nodes(item)->node_flags & NODE_SYMMETRY_MASK) != 0) return 0;
      *link = item_nodes(item);
      *selector = PICK_POINT_NODE;
      return PICK_START_NODE;
    }
    return 0;
  }
  int kind = 0;
  if (r->code == LINK_SPLINE) {
    int index = -1;
    LinkRecord* first = hit_test_spline_run(&index, &kind, &p, r, tol, 0);
    if (index < 0) {
      *link = first;  // the run's last link: the walk goes on after it
      return -1000;
    }
    *link = first + index;
  } else if (ellipse) {
    kind = hit_test_ellipse(&p, r, tol);
  } else {
    kind = hit_test_link(&p, r, tol);
  }
  if (kind == 0) return 0;
  if (kind == PICK_END_NODE) {
    LinkRecord* closing = item_closing_record(item);
    LinkRecord* at = *link;
    if (at + 1 != closing) {
      *link = at + 1;
      kind = PICK_START_NODE;
    } else if (!item_is_closed(item)) {
      *selector = PICK_POINT_NEXT;
      return PICK_END_NODE;
    } else {
      const uint8_t type = item_type(item);
      if (type == ITEM_POLYGON || (item_nodes(item)->node_flags & NODE_SYMMETRY_MASK) != 0)
        return 0;
      *link = item_nodes(item);
      kind = PICK_START_NODE;
    }
  }
  if (kind == PICK_ON_LINK_NEAR_END) *selector = PICK_POINT_NEXT;
  else if (kind == PICK_CENTRE) {
    if (item_mode()) return 0;
    *selector = PICK_POINT_CENTRE;
  } else {
    *selector = PICK_POINT_NODE;
  }
  return kind;
}

// A new hit: highlight state follows it.
void take_hit(DrawingItem* item, LinkRecord* link, int kind, int16_t selector) {
  HoverState& h = g_hover;
  h.hover_item = item;
  h.hover_link = link;
  h.link_index = link_index_of(link);
  h.pick_kind = static_cast<int16_t>(kind);
  h.point_selector = selector;
  const uint32_t colour = layer_pixel(item_layer(item));
  if (node_mode()) {
    h.highlight_colour = colour ^ 0xFFFFFF;
    if (h.highlighted_link != nullptr && h.highlighted_link != link) hilite_link(h.highlighted_link);
    return;
  }
  if (h.node_item != item) {
    if (h.highlighted_link != nullptr) hilite_link(h.highlighted_link);
    toggle_node_markers(h.node_item);
    h.node_item = item;
    h.highlight_colour = colour ^ 0xFFFFFF;
    hilite_item_nodes(item);
  } else {
    if (h.highlighted_link != nullptr) hilite_link(h.highlighted_link);
    hilite_link(link);
    g_drawing_page.panel_item = nullptr;
  }
}

// A link the point cannot hit: it lies outside the link's box by more than the tolerance, and
// off any centre the link has. Spline runs are tested whole, so they are never passed over here.
bool clearly_missed(const LinkRecord* r, const PointF& p, float tol) {
  if (r->code == LINK_SPLINE) return false;
  if (p.x >= r->box_min.x - tol && p.x <= r->box_max.x + tol && p.y >= r->box_min.y - tol &&
      p.y <= r->box_max.y + tol)
    return false;
  if (code_is_arc(r->code) || r->code == LINK_ELLIPSE || r->code == LINK_QUADRATIC)
    return std::fabs(p.x - r->centre.x) > tol || std::fabs(p.y - r->centre.y) > tol;
  return true;
}

// Polls the queue between link tests: a pending input code (ticks aside) ends the search. The
// ring is only looked at, never pumped.
EventCode pending_input() {
  if (pending_input_count() == 0) return 0;
  for (;;) {
    const EventCode code = poll_input_code(EVENT_PEEK_LIMIT);
    if (code == 0) return 0;
    poll_input_code(0);
    if (code != EVENT_TICK) return code;
  }
}

}  // namespace

// ---- the cursor point ----

void update_cursor_point() {
  const PointF p = screen_to_world(g_pointer.wanted_x, g_pointer.wanted_y);
  HoverState& h = g_hover;
  if (p.x == h.cursor_point.x && p.y == h.cursor_point.y) return;
  hide_pointer();
  hide_crosshair();
  h.crosshair_x = g_pointer.wanted_x;
  h.crosshair_y = g_pointer.wanted_y;
  h.cursor_point = p;
  h.raw_cursor_point = p;
}

void sync_pointer_to_cursor() {
  int x = 0, y = 0;
  world_to_screen(g_hover.cursor_point, &x, &y);
  g_pointer.wanted_x = x;
  g_pointer.wanted_y = y + g_view.area_top;
  update_cursor_point();
}

float snap_to_grid(float v) {
  const float s = g_job_settings.grid_step;
  if (!(s > 0.0f)) return v;
  return static_cast<float>(round_half_away(v / s)) * s;
}

PointF constrain_point(PointF p, PointF lock, PointF anchor) {
  HoverState& h = g_hover;
  h.previous_constrained_point = h.constrained_point;
  const uint8_t mods = g_events.modifiers;
  // A tool that suspends the lock while it places a new item sets the indicator's lock bit.
  const uint8_t axis = (g_furniture.axis_lock & INDICATOR_LOCKED) != 0
                           ? AXIS_FREE
                           : static_cast<uint8_t>(g_furniture.axis_lock & 3);
  PointF result = p;
  if (axis == AXIS_FREE && (mods & MODIFIER_CTRL) != 0) {
    const double dx = static_cast<double>(p.x) - anchor.x;
    const double dy = static_cast<double>(p.y) - anchor.y;
    if ((mods & MODIFIER_SHIFT) != 0) {
      double a = std::atan2(dy, dx);
      if (a < 0.0) a += 2.0 * M_PI;
      const double k = std::trunc(a * 2.0 / M_PI);
      const double diagonal = k * M_PI / 2.0 + M_PI / 4.0;
      const double d = std::hypot(dx, dy);
      result = {static_cast<float>(anchor.x + d * std::cos(diagonal)),
                static_cast<float>(anchor.y + d * std::sin(diagonal))};
    } else if (std::fabs(dx) > std::fabs(dy)) {
      result = {p.x, anchor.y};
    } else {
      result = {anchor.x, p.y};
    }
  } else if (axis == AXIS_X_FIXED) {
    result.x = lock.x;
  } else if (axis == AXIS_Y_FIXED) {
    result.y = lock.y;
  }
  h.constrained_point = result;
  return result;
}

// ---- hover picking ----

int16_t link_index_of(const LinkRecord* link) {
  if (link == nullptr) return 0;
  const LinkRecord* first = record_zero_of(const_cast<LinkRecord*>(link));
  int index = static_cast<int>(link - first);
  if ((link->node_flags & NODE_CLOSING) != 0) --index;
  return static_cast<int16_t>(index);
}

int pick_under_crosshairs() {
  HoverState& h = g_hover;
  const uint8_t buttons = g_pointer.button_bits;
  if (buttons == 3 || buttons > 4) return 0;
  if ((h.pick_mode & PICK_MODE_OFF) != 0) return 0;
  if (edit_session_open() &&
      ((h.pick_mode & PICK_MODE_OFF_IN_SESSION) != 0 || g_job_settings.node_snap_off != 0))
    return 0;
  DrawingItem* first = drawing_list_first();
  if (first == nullptr) {
    h.pick_kind = 0;
    return 0;
  }
  DrawingItem* last = first;
  while (last->next != nullptr) last = last->next;
  const PointF p = h.raw_cursor_point;
  DrawingItem* item = last;
  LinkRecord* resume_after = nullptr;
  bool note = false;
  if (h.hover_item != nullptr && h.hover_link != nullptr) {
    item = h.hover_item;
    resume_after = h.hover_link;
    note = true;
  }
  const DrawingItem* current_item = h.hover_item;
  const LinkRecord* current_link = h.hover_link;
  const int16_t current_kind = h.pick_kind;
  for (;;) {
    if (item == nullptr) {
      if (!note) {
        h.pick_kind = 0;
        h.hover_item = nullptr;
        h.hover_link = nullptr;
        return 0;
      }
      note = false;
      item = last;
      continue;
    }
    if (!item_filtered(item)) {
      LinkRecord* r = item_nodes(item);
      LinkRecord* closing = item_closing_record(item);
      if (resume_after != nullptr) {
        r = resume_after + 1;
        resume_after = nullptr;
      } else if (item_type(item) == ITEM_POLYGON && !node_mode()) {
        const PointF& c = r->centre;
        if (std::hypot(static_cast<double>(c.x) - p.x, static_cast<double>(c.y) - p.y) <=
                g_view.pick_tolerance &&
            !(current_item == item && current_kind == PICK_CENTRE)) {
          take_hit(item, r, PICK_CENTRE, PICK_POINT_CENTRE);
          return -1;
        }
      }
      const bool symmetric = (item_nodes(item)->node_flags & NODE_SYMMETRY_MASK) != 0;
      for (; r < closing; ++r) {
        if ((r->link_flags & LINK_INVISIBLE) != 0 && g_draw_style.hide_invisible_links != 0) continue;
        if (r->code < -9999.0f || r->code == LINK_GAP) continue;
        if (symmetric && link_index_of(r) == 1) continue;
        const EventCode code = pending_input();
        if (code != 0) {
          h.hover_item = nullptr;
          h.pick_kind = 0;
          return code;
        }
        if (clearly_missed(r, p, g_view.pick_tolerance)) continue;
        LinkRecord* at = r;
        int16_t selector = 0;
        const int kind = test_link(item, &at, &selector, p);
        if (kind == -1000) {  // a missed spline run: go on after it
          r = at;
          continue;
        }
        if (r->code == LINK_SPLINE) r = find_curve_run_end(r, LINK_SPLINE) - 1;
        if (kind == 0) continue;
        // The hover found again where it stands is passed over: repeated searches move on to
        // the next candidate under the cursor.
        if (item == current_item && at == current_link && kind == current_kind) continue;
        take_hit(item, at, kind, selector);
        return -1;
      }
    }
    item = item->prev;
  }
}

int hover_still_valid() {
  HoverState& h = g_hover;
  if (h.pick_kind == 0) return 0;
  if (h.hover_link == nullptr || h.hover_item == nullptr) {
    h.pick_kind = 0;
    return 0;
  }
  if (item_type(h.hover_item) == ITEM_POLYGON && h.pick_kind == PICK_CENTRE) {
    const PointF& c = item_nodes(h.hover_item)->centre;
    const PointF& p = h.raw_cursor_point;
    if (std::hypot(static_cast<double>(c.x) - p.x, static_cast<double>(c.y) - p.y) <=
        g_view.pick_tolerance)
      return 1;
  }
  const uint16_t mode = h.pick_mode;
  if (node_mode()) h.pick_mode = PICK_MODE_LINKS;  // the link test, as the hover was found
  LinkRecord* at = h.hover_link;
  int16_t selector = 0;
  const int kind = test_link(h.hover_item, &at, &selector, h.raw_cursor_point);
  h.pick_mode = mode;
  if (kind == 0 || kind == -1000) return 0;
  if (kind == h.pick_kind && (h.hover_link->code != LINK_SPLINE || at == h.hover_link)) return 1;
  return -1;
}

// ---- highlights ----

void hilite_item_nodes(DrawingItem* item) {
  HoverState& h = g_hover;
  h.marker_item = item;
  hide_pointer();
  h.highlight_colour = layer_pixel(item_layer(item)) ^ 0xFFFFFF;
  if (h.pick_kind != 0 && h.hover_link != nullptr && h.hover_item == item &&
      h.hover_link != h.highlighted_link)
    hilite_link(h.hover_link);
  toggle_node_markers(item);
}

void hilite_link(LinkRecord* link) {
  if (link == nullptr) return;
  HoverState& h = g_hover;
  hide_pointer();
  {
    const HighlightPen dotted(CANVAS_PEN_DOT);
    if (code_is_arc(link->code) || link->code == LINK_QUADRATIC) {
      clipped_line(link->centre, link->point);
      clipped_line(link->centre, next_point(link));
    }
  }
  const HighlightPen pen;
  cross_at(next_point(link));
  if (edit_session_open()) cross_at(link->point);
  if (g_job_settings.show_node_markers == 0) {
    node_marker_at(link->point, link, true);
    node_marker_at(next_point(link), link + 1, false);
  } else if (!edit_session_open() && is_polyline(h.marker_item)) {
    direction_arrow(link);
  }
  if (h.highlighted_link != nullptr) {
    h.highlighted_link = nullptr;
    if (h.symmetry_line != nullptr) xor_symmetry_line(h.symmetry_line);
  } else {
    h.highlighted_link = link;
    DrawingItem* item = h.marker_item;
    if (item != nullptr && h.symmetry_line == nullptr &&
        (item_nodes(item)->node_flags & NODE_SYMMETRY_MASK) != 0)
      xor_symmetry_line(item_nodes(item));
  }
}

void xor_symmetry_line(LinkRecord* link) {
  const HighlightPen pen(CANVAS_PEN_DOT);
  clipped_line(link->point, next_point(link));
  g_hover.symmetry_line = g_hover.symmetry_line == nullptr ? link : nullptr;
}

void clear_hover_hilite() {
  HoverState& h = g_hover;
  if (h.highlighted_link != nullptr) hilite_link(h.highlighted_link);
  if (h.symmetry_line != nullptr) xor_symmetry_line(h.symmetry_line);
  if (h.node_item != nullptr) {
    toggle_node_markers(h.node_item);
    h.node_item = nullptr;
  }
  h.marker_item = nullptr;
}

// ---- information ----

char* format_coordinate(float v, char* text) {
  char full[64];
  std::snprintf(full, sizeof full, "%f", static_cast<double>(v));
  std::string s(full, std::min<size_t>(std::strlen(full), 6));
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    std::snprintf(text, 32, "%s", s.c_str());
  } else {
    std::snprintf(text, 32, "%g", static_cast<double>(v));
  }
  return text;
}

void show_node_info(uint8_t clear) {
  HoverState& h = g_hover;
  uint8_t& shown = h.node_info_shown;
  push_text_metrics();
  use_small_font();
  const CellMetrics& s = g_display.current;
  const int client_w = g_display.screen_width + 1;
  const int client_h = g_display.screen_height + 1;
  const int x = g_display.band <= 4 ? client_w / 2 + 4 * s.cell_width : client_w - 48 * s.cell_width;
  const int y = client_h - 2 * s.cell_height;
  const int background = g_attributes.scheme[COLOUR_SLOT_BACKGROUND];
  if (h.pick_kind == 0 || h.hover_link == nullptr || h.hover_item == nullptr) {
    if (shown) fill_cells(y, x, y + s.cell_height - 1, x + INFO_LINE_CELLS * s.cell_width,
                          background | FILL_PIXELS);
    shown = 0;
    pop_text_metrics();
    return;
  }
  char text[160];
  char a[32], b[32];
  const LinkRecord* link = h.hover_link;
  if (h.pick_kind == PICK_CENTRE) {
    std::snprintf(text, sizeof text, "\x0c" "Center: %s, %s", format_coordinate(link->centre.x, a),
                  format_coordinate(link->centre.y, b));
  } else if (h.pick_kind == PICK_START_NODE || h.pick_kind == PICK_END_NODE) {
    const PointF& p = h.point_selector == PICK_POINT_NEXT ? next_point(link) : link->point;
    const bool first = link == item_nodes(h.hover_item) && h.pick_kind == PICK_START_NODE;
    std::snprintf(text, sizeof text, "\x0c%code #%d: %s, %s", first ? 'N' : 'n',
                  h.link_index + h.pick_kind, format_coordinate(p.x, a), format_coordinate(p.y, b));
  } else if (is_polyline(h.hover_item)) {
    std::snprintf(text, sizeof text, "\x0cID: %d. Link #%d of %d", item_id(h.hover_item),
                  h.link_index + 1, item_link_count(h.hover_item));
  } else {
    std::snprintf(text, sizeof text, "\x0cID: %d", item_id(h.hover_item));
  }
  if (clear != 0)
    fill_cells(y, x, y + s.cell_height - 1, x + INFO_LINE_CELLS * s.cell_width,
               background | FILL_PIXELS);
  draw_text_transparent(-y, x + 2 * s.cell_width, text);
  shown = 1;
  pop_text_metrics();
}

void show_node_snap_hint() {
  // The hint belongs to an edit session's node snapping; no session shows it yet.
  if (!edit_session_open()) return;
  const char* text = g_job_settings.node_snap_off != 0 ? "\x0b" "F3\x13: turn node snap \x0bON\x13"
                                                       : "\x0b" "F3\x13: turn node snap \x0bOFF\x13";
  draw_tiny_text(g_display.current.last_row - 3, g_display.current.last_column - 20, text);
}
