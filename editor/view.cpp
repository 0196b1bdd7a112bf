#include "editor/view.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_redraw.h"
#include "editor/template_items.h"
#include "job/background_image.h"
#include "import/import_drawing.h"
#include "editor/view_state.h"
#include "geometry/layers.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "text/text_host.h"

namespace {

constexpr float EXTENT_EMPTY = 1e38f;
// A drag pans once the summed motion reaches this many pixels on either axis.
constexpr int PAN_DRAG_STEP = 10;
// Pixels of drag motion per zoom step.
constexpr int DRAG_ZOOM_PIXELS = 4;
constexpr int16_t POINTER_PAN = 32;

void grow_extents(float x0, float y0, float x1, float y1) {
  ViewState& v = g_view;
  v.extent_min_x = std::min(v.extent_min_x, std::min(x0, x1));
  v.extent_min_y = std::min(v.extent_min_y, std::min(y0, y1));
  v.extent_max_x = std::max(v.extent_max_x, std::max(x0, x1));
  v.extent_max_y = std::max(v.extent_max_y, std::max(y0, y1));
}

void set_scale(float scale) {
  g_view.scale_x = scale;
  g_view.scale_y = scale;
  g_view.pick_tolerance = static_cast<float>(pick_pixels()) / scale;
}

bool pointer_drawn_in_area() {
  const ViewState& v = g_view;
  return g_pointer.drawn_x < v.area_width && g_pointer.drawn_y > v.area_top &&
         g_pointer.drawn_y < v.area_bottom;
}

bool shell_redraw_requested() { return g_form.redraw_level != 0; }

}  // namespace

void move_view(float dx, float dy) {
  g_view.view_left += dx;
  g_view.view_right += dx;
  g_view.view_bottom += dy;
  g_view.view_top += dy;
}

int round_half_away(double v) {
  // Far-off points saturate instead of wrapping; the canvas clips whatever it gets.
  constexpr double LIMIT = 1e9;
  if (!(v > -LIMIT)) return -static_cast<int>(LIMIT);
  if (!(v < LIMIT)) return static_cast<int>(LIMIT);
  return static_cast<int>(v >= 0.0 ? v + 0.5 : v - 0.5);
}

void world_to_screen(PointF p, int* x, int* y) {
  // The difference is taken in double: in single precision a far point's pixel loses its
  // accuracy at a deep zoom.
  const float px = static_cast<float>((static_cast<double>(p.x) - g_view.view_left) * g_view.scale_x);
  const float py = static_cast<float>((static_cast<double>(g_view.view_top) - p.y) * g_view.scale_y);
  *x = round_half_away(px);
  *y = round_half_away(py);
}

int world_to_screen_clipped(PointF p, int16_t* x, int16_t* y) {
  const double px = static_cast<float>((p.x - g_view.view_left) * g_view.scale_x);
  const double py = static_cast<float>((g_view.view_top - p.y) * g_view.scale_x);
  if (!(px >= 0.0) || std::trunc(px) > g_display.screen_width) return 0;
  if (!(py >= 0.0) || std::trunc(py) > g_display.screen_height) return 0;
  *x = static_cast<int16_t>(px);
  *y = static_cast<int16_t>(py);
  return 1;
}

PointF screen_to_world(int px, int py) {
  const ViewState& v = g_view;
  return {static_cast<float>(px) / v.scale_x + v.view_left,
          v.view_top - static_cast<float>(py - v.area_top) / v.scale_x};
}

int pick_pixels() {
  if (g_display.band <= 2) return 6;
  return g_display.band <= 4 ? 8 : 10;
}

DrawingItem* drawing_list_first() {
  if (g_text_host.drawing_items != nullptr) return g_text_host.drawing_items();
  return g_lists.current.first;
}

bool item_kind_shown(const DrawingItem* item) {
  const DrawingOptions& o = g_preferences.drawing;
  return item_type(item) == ITEM_TEXT ? o.show_text_items != 0 : o.show_drawing_items != 0;
}

bool item_is_shown(const DrawingItem* item) {
  if ((item_flags(item) & ITEM_FLAG_SELECTED) == 0 || item->extra.empty()) return false;
  if (g_layers.visibility[item_layer(item)] == 0) return false;
  return item_kind_shown(item);
}

void fit_scale() {
  ViewState& v = g_view;
  const double dx = static_cast<double>(v.view_right) - v.view_left;
  const double dy = static_cast<double>(v.view_top) - v.view_bottom;
  const double height = v.area_bottom - v.area_top;
  double sx = 0.0;
  double sy = 0.0;
  if (dx > 0.0) sx = v.area_width / dx;
  if (dy > 0.0) sy = height / dy;
  if (!(sx > 0.0) && !(sy > 0.0)) {
    sx = VIEW_EMPTY_WINDOW_SCALE;
    sy = VIEW_EMPTY_WINDOW_SCALE;
  } else if (!(sx > 0.0)) {
    sx = sy;
  } else if (!(sy > 0.0)) {
    sy = sx;
  }
  const float scale = static_cast<float>(std::min(sx, sy));
  set_scale(scale);
  v.view_right = v.view_left + v.area_width / scale;
  v.view_bottom = static_cast<float>(v.view_top - height / scale);
}

void item_bounds(DrawingItem* item) {
  LinkRecord* r = item_nodes(item);
  if (r == nullptr) return;
  if (r->code <= LINK_POINT) {
    const LinkRecord* closing = item_closing_record(item);
    const uint8_t kind = point_array_kind(closing);
    if (kind == 5) {
      const float rad = r->z;
      grow_extents(r->point.x - rad, r->point.y - rad, r->point.x + rad, r->point.y + rad);
    } else if (kind >= 1 && kind <= 4) {
      grow_extents(r->point.x, r->point.y,
                   r->point.x + point_array_columns(closing) * r->centre.x,
                   r->point.y + point_array_rows(closing) * r->centre.y);
    }
  }
  for (; (r->node_flags & NODE_CLOSING) == 0; ++r)
    grow_extents(r->box_min.x, r->box_min.y, r->box_max.x, r->box_max.y);
}

void compute_extents() {
  ViewState& v = g_view;
  v.extent_min_x = v.extent_min_y = EXTENT_EMPTY;
  v.extent_max_x = v.extent_max_y = -EXTENT_EMPTY;
  for (DrawingItem* item = drawing_list_first(); item != nullptr; item = item->next)
    if (item_is_shown(item)) item_bounds(item);
  v.item_extent_min = {v.extent_min_x, v.extent_min_y};
  v.item_extent_max = {v.extent_max_x, v.extent_max_y};
  if (g_preferences.drawing.show_template != 0 &&
      static_cast<uint8_t>(g_job_settings.template_path[0]) > ' ') {
    if (g_import.template_items.first == nullptr) load_template_items();
    for (DrawingItem* item = g_import.template_items.first; item != nullptr; item = item->next)
      if (!item->extra.empty()) item_bounds(item);
  }
  if (g_job_settings.material_box_shown != 0) {
    const float* box = g_job_settings.material_box;
    grow_extents(box[0], box[1], box[0] + box[2], box[1] + box[3]);
  }
  const ImageRecord& image = g_image_record;
  if (image.status == IMAGE_SHOWN && image.hidden == 0) {
    double width = 0.0, height = 0.0;
    image_size_in_units(image, g_job_settings.units, &width, &height);
    grow_extents(image.origin_x, image.origin_y, static_cast<float>(image.origin_x + width),
                 static_cast<float>(image.origin_y + height));
  }
  if (v.extent_min_x != EXTENT_EMPTY) return;
  set_scale(VIEW_START_SCALE);
  const float half_w = v.area_width / VIEW_START_SCALE * 0.5f;
  const float half_h = (v.area_bottom - v.area_top) / VIEW_START_SCALE * 0.5f;
  v.extent_min_x = -half_w;
  v.extent_max_x = half_w;
  v.extent_min_y = -half_h;
  v.extent_max_y = half_h;
  g_job_settings.view_fitted = VIEW_FITTED;
  set_view_to_extents();
  if (!shell_redraw_requested()) {
    clear_drawing_area();
    draw_all_items();
  }
}

void set_view_to_extents() {
  ViewState& v = g_view;
  v.view_left = v.extent_min_x;
  v.view_bottom = v.extent_min_y;
  v.view_right = v.extent_max_x;
  v.view_top = v.extent_max_y;
}

void pan_to_window(int on_zoom_window) {
  ViewState& v = g_view;
  float cx = 0.0f;
  float cy = 0.0f;
  if (on_zoom_window != 0) {
    cx = (v.zoom_corner_1.x + v.zoom_corner_2.x) * 0.5f;
    cy = (v.zoom_corner_1.y + v.zoom_corner_2.y) * 0.5f;
  } else {
    cx = (v.extent_min_x + v.extent_max_x) * 0.5f;
    cy = (v.extent_min_y + v.extent_max_y) * 0.5f;
  }
  const float half_w = (v.view_right - v.view_left) * 0.5f;
  const float half_h = (v.view_top - v.view_bottom) * 0.5f;
  v.view_left = cx - half_w;
  v.view_right = cx + half_w;
  v.view_bottom = cy - half_h;
  v.view_top = cy + half_h;
}

void zoom_by(float factor) {
  ViewState& v = g_view;
  if (v.scale_x > 0.0f && v.scale_x < VIEW_MIN_SCALE && factor < 1.0f) {
    fit_scale();
    factor = 1.0f;
  }
  if (factor * v.scale_x > VIEW_MAX_SCALE && factor >= 1.0f) factor = VIEW_MAX_SCALE / v.scale_x;
  const float w = v.view_right - v.view_left;
  const float h = v.view_top - v.view_bottom;
  const float dw = (w / factor - w) * 0.5f;
  const float dh = (h / factor - h) * 0.5f;
  v.view_right += dw;
  v.view_left -= dw;
  v.view_top += dh;
  v.view_bottom -= dh;
  fit_scale();
  g_job_settings.view_fitted = VIEW_KEPT;
}

int zoom_window() {
  ViewState& v = g_view;
  const float s0 = v.scale_x;
  const float left = v.view_left;
  const float bottom = v.view_bottom;
  const float right = v.view_right;
  const float top = v.view_top;
  v.view_left = v.zoom_corner_1.x;
  v.view_bottom = v.zoom_corner_1.y;
  v.view_right = v.zoom_corner_2.x;
  v.view_top = v.zoom_corner_2.y;
  fit_scale();
  const double scale = std::min<double>(v.scale_x, VIEW_WINDOW_SCALE_MAX);
  const float factor = static_cast<float>(scale / s0);
  v.view_left = left;
  v.view_bottom = bottom;
  v.view_right = right;
  v.view_top = top;
  fit_scale();
  pan_to_window(1);
  zoom_by(factor);
  return 0;
}

EventCode view_keys(EventCode code) {
  ViewState& v = g_view;
  switch (code) {
    case 'Z':
    case 'z':
      set_view_to_extents();
      zoom_by(VIEW_FIT_FILL);
      pan_to_window(0);
      // Zoom all leaves the view to be fitted again, as an empty drawing does.
      g_job_settings.view_fitted = VIEW_FITTED;
      break;
    case KEY_UP: move_view(0.0f, (v.view_top - v.view_bottom) * 0.2f); break;
    case KEY_DOWN: move_view(0.0f, (v.view_bottom - v.view_top) * 0.2f); break;
    case KEY_LEFT: move_view((v.view_left - v.view_right) * 0.2f, 0.0f); break;
    case KEY_RIGHT: move_view((v.view_right - v.view_left) * 0.2f, 0.0f); break;
    case KEY_PGUP: zoom_by(1.25f); break;
    case KEY_PGDN: zoom_by(0.75f); break;
    case VIEW_REDRAW_ONLY: break;
    default: return code;
  }
  if (code >= KEY_UP && code <= KEY_DOWN) g_job_settings.view_fitted = VIEW_KEPT;
  if (code != VIEW_REDRAW_ONLY) fit_scale();
  g_hover.hover_item = nullptr;
  g_hover.pick_kind = 0;
  if (pointer_drawn_in_area()) hide_pointer();
  redraw_drawing();
  return 0;
}

void zoom_to_drawing() {
  if (drawing_list_first() == nullptr) return;
  compute_extents();
  set_view_to_extents();
  zoom_by(VIEW_FIT_FILL);
  pan_to_window(0);
  view_keys(VIEW_REDRAW_ONLY);
  update_cursor_point();
}

void pan_by_drag() {
  int sum_x = 0;
  int sum_y = 0;
  set_pointer_shape(POINTER_PAN);
  show_pointer();
  g_pointer.relative_mode = POINTER_RELATIVE_ON;
  while (g_pointer.button_bits != 0) {
    if (shell_redraw_requested()) {
      g_pointer.button_bits = 0;
      break;
    }
    const EventCode code = wait_input_code();
    if (code == EVENT_QUIT) break;
    if (code != EVENT_POINTER_MOVE) continue;
    int dx = 0;
    int dy = 0;
    if (mouse_delta(&dx, &dy) == 0) continue;
    const uint8_t mods = g_events.modifiers;
    if ((mods & MODIFIER_SHIFT) != 0) {
      dx *= 4;
      dy *= 4;
    }
    if ((mods & (MODIFIER_CTRL | MODIFIER_ALT)) != 0) {
      dx *= 10;
      dy *= 10;
    }
    sum_x += 2 * dx;
    sum_y += 2 * dy;
    if (std::abs(sum_x) >= PAN_DRAG_STEP || std::abs(sum_y) >= PAN_DRAG_STEP) {
      move_view(sum_x / g_view.scale_x, -sum_y / g_view.scale_x);
      fit_scale();
      view_keys(VIEW_REDRAW_ONLY);
      break;
    }
  }
  g_pointer.relative_mode = POINTER_RELATIVE_OFF;
}

void repeat_zoom_while_held(EventCode code, void (*after_each)()) {
  set_pointer_shape(POINTER_HAND_PRESSED);
  int ticks = -2;
  auto step = [&] {
    view_keys(code);
    if (after_each != nullptr) after_each();
    move_pointer();
  };
  step();
  while (!shell_redraw_requested() && g_pointer.button_bits != 0) {
    const EventCode event = wait_input_code();
    if (event == EVENT_QUIT) break;
    if (event != EVENT_TICK) continue;
    if (ticks == 3) {
      ticks = 0;
      step();
    } else {
      ++ticks;
    }
  }
}

int drag_zoom_steps(int vertical) {
  if (g_pointer.button_bits != WINDOW_BUTTON_LEFT) return 0;
  set_pointer_shape(POINTER_HAND_PRESSED);
  show_pointer();
  g_pointer.relative_mode = POINTER_RELATIVE_ON;
  int accumulator = 0;
  int steps = 0;
  while (g_pointer.button_bits == WINDOW_BUTTON_LEFT) {
    const EventCode code = poll_input_code(0);
    if (code == EVENT_QUIT) break;
    if (code != EVENT_POINTER_MOVE) continue;
    int dx = 0;
    int dy = 0;
    mouse_delta(&dx, &dy);
    accumulator += vertical == 0 ? dx : dy;
    while (accumulator < -DRAG_ZOOM_PIXELS) {
      ++steps;
      accumulator += DRAG_ZOOM_PIXELS;
    }
    while (accumulator > DRAG_ZOOM_PIXELS) {
      --steps;
      accumulator -= DRAG_ZOOM_PIXELS;
    }
    if (steps != 0) {
      warp_cursor_to_pointer();
      break;
    }
  }
  hit_test_pointer(false);
  g_pointer.relative_mode = POINTER_RELATIVE_OFF;
  return steps;
}
