#include "editor/page_redraw.h"

#include <algorithm>

#include "cam/make_nc.h"
#include "editor/background_image_view.h"
#include "editor/canvas_cursor.h"
#include "editor/draw_style.h"
#include "editor/edit_session.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/print_view.h"
#include "editor/render.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "import/import_drawing.h"
#include "job/background_image.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/line_list.h"

namespace {

int client_width() { return g_display.screen_width + 1; }

int area_height() { return g_view.area_bottom - g_view.area_top; }

void make_back_buffer() {
  ViewState& v = g_view;
  v.back_buffer = Surface{};
  if (g_preferences.drawing.no_flicker == 0) return;
  surface_resize(&v.back_buffer, std::max(client_width() - 1, 1), std::max(area_height(), 1));
  canvas_init(&v.back_canvas, &v.back_buffer);
}

bool pointer_drawn_in_area() {
  const ViewState& v = g_view;
  return g_pointer.drawn && g_pointer.drawn_x < v.area_width && g_pointer.drawn_y > v.area_top &&
         g_pointer.drawn_y < v.area_bottom;
}

// Tool paths of the NC run, as wide as the tool where the preference asks for it.
void draw_tool_paths() {
  const DrawingOptions& o = g_preferences.drawing;
  const bool printing = g_draw_style.printing != 0;
  if ((printing ? o.print_tool_paths : o.show_tool_paths) == 0) return;
  const LineList& paths = g_lists.slots[LIST_SLOT_TOOL_PATHS];
  if (paths.first == nullptr) return;
  DrawStyle& style = g_draw_style;
  auto width_of = [](DrawingItem* item, bool finishing) {
    CamParams params;
    if (const uint8_t* cam = block_cam_params(item_block(item))) read_cam_params(cam, &params);
    const CamToolBlock& tool = finishing ? params.finishing : params.roughing;
    return static_cast<int16_t>(std::clamp(tool.cut_width * g_view.scale_x, 0.0f, 30000.0f));
  };
  for (DrawingItem* item = paths.first; item != nullptr; item = item->next) {
    const bool finishing = item->attributes[TOOL_PATH_LETTER_ATTR] == 'f';
    style.pen_width = 0;
    if (finishing) {
      style.draw_colour = o.tool_paths_at_tool_width != 0 ? COLOUR_FINISH_WIDE : COLOUR_FINISH_THIN;
      if (o.tool_paths_at_tool_width != 0) style.pen_width = width_of(item, true);
    } else {
      style.draw_colour = COLOUR_ROUGHING;
      if (o.tool_paths_at_tool_width != 0) style.pen_width = width_of(item, false);
    }
    if (printing) style.pen_width = o.print_pen_width;
    draw_tool_path_item(item);
  }
  if (o.tool_circles != 0) {
    for (DrawingItem* item = paths.first; item != nullptr; item = item->next) {
      const bool finishing = item->attributes[TOOL_PATH_LETTER_ATTR] == 'f';
      style.draw_colour = finishing ? COLOUR_FINISH_WIDE : COLOUR_ROUGHING;
      style.pen_width = width_of(item, finishing);
      style.tool_circle_radius = static_cast<int16_t>(style.pen_width / 2);
      if (style.tool_circle_radius > 6) draw_tool_circles(item);
    }
  }
  style.pen_width = 0;
  style.tool_circle_radius = 0;
}

void draw_one_item(DrawingItem* item) {
  g_draw_style.draw_colour = item_layer(item);
  if (g_draw_style.printing != 0) g_draw_style.pen_width = g_preferences.drawing.print_pen_width;
  draw_item(item, 0);
}

}  // namespace

void layout_paint_boxes() {
  ViewState& v = g_view;
  const CellMetrics& normal = g_display.presets[FACE_ROLE_NORMAL];
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  // The side panel is the last 26 menu-face columns, where the help box is written.
  v.side_panel_column = static_cast<int16_t>(std::max(menu.last_column - 26, 1));
  v.area_top = static_cast<int16_t>(g_tab_strip.base_line + 2 * normal.cell_height);
  v.area_bottom = static_cast<int16_t>(g_display.screen_height - 2 * normal.cell_height -
                                       (g_display.band == 1 ? 2 : 0) - 2);
  if (v.area_bottom <= v.area_top) v.area_bottom = static_cast<int16_t>(v.area_top + 1);
  g_display.drawing_area_bottom = v.area_bottom;
  make_back_buffer();
  select_paint_box();
}

void select_paint_box() {
  ViewState& v = g_view;
  const int narrow = v.side_panel_column * g_display.presets[FACE_ROLE_MENU].cell_width;
  v.narrow_box = v.drawing_page_active > 0 && g_preferences.drawing.side_panel != 0;
  v.area_width = static_cast<int16_t>(v.narrow_box ? narrow : client_width() - 1);
  v.box_width = v.area_width;
  v.box_height = area_height();
  v.canvas = &g_text.screen;
  v.origin_y = v.area_top;
}

void toggle_no_flicker() {
  uint8_t& on = g_preferences.drawing.no_flicker;
  on = on != 0 ? 0 : 1;
  make_back_buffer();
}

void blit_back_buffer() {
  const ViewState& v = g_view;
  if (v.back_buffer.pixels.empty()) return;
  if (pointer_drawn_in_area()) hide_pointer();
  Canvas* screen = &g_text.screen;
  const CanvasRect saved = screen->clip;
  screen->clip = CANVAS_CLIP_NONE;
  const int rows = std::min(v.back_buffer.height, static_cast<int>(v.area_bottom - v.area_top));
  canvas_blit(screen, 0, v.area_top, v.back_buffer, CanvasRect{0, 0, v.area_width, rows});
  screen->clip = saved;
}

void redraw_drawing() {
  ViewState& v = g_view;
  if (!v.back_buffer.pixels.empty()) {
    v.canvas = &v.back_canvas;
    v.origin_y = 0;
    clear_drawing_area();
    draw_all_items();
    blit_back_buffer();
    v.canvas = &g_text.screen;
    v.origin_y = v.area_top;
    return;
  }
  clear_drawing_area();
  draw_all_items();
}

void clear_drawing_area() {
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->brush = CanvasBrush{};
  canvas->brush.colour = DRAW_WHITE;
  canvas->mix = CANVAS_MIX_COPY;
  const CanvasRect saved = canvas->clip;
  canvas->clip = CANVAS_CLIP_NONE;
  const int top = g_view.origin_y;
  canvas_fill_rect(canvas, CanvasRect{0, top, g_view.area_width + 1, top + area_height() + 1});
  canvas->clip = saved;
  HoverState& h = g_hover;
  h.highlighted_link = nullptr;
  h.node_item = nullptr;
  h.symmetry_line = nullptr;
  h.marker_item = nullptr;
  g_canvas_cursor.crosshair_shown = false;
  g_form.redraw_level = 0;
}

void draw_all_items() {
  DrawStyle& style = g_draw_style;
  draw_background_image();
  draw_rulers(0);
  if (g_draw_style.printing != 0) draw_print_header();
  draw_tool_paths();
  if (g_job_settings.material_box_shown != 0) draw_material_outline();
  if (g_preferences.drawing.show_template != 0) {
    for (DrawingItem* item = g_import.template_items.first; item != nullptr; item = item->next) {
      style.draw_colour = item_layer(item);
      draw_item(item, 0);
    }
  }
  for (DrawingItem* item = drawing_list_first(); item != nullptr; item = item->next) {
    if (edit_session_open() && (item_flags(item) & ITEM_FLAG_WORKING) != 0) break;
    if ((item_flags(item) & ITEM_FLAG_SELECTED) == 0 || !item_kind_shown(item)) continue;
    draw_one_item(item);
  }
  style.pen_width = 0;
  style.tool_circle_radius = 0;
  redraw_incremental(REDRAW_STOP);
}

int redraw_incremental(int mode) {
  PageFurniture& f = g_furniture;
  if (mode > 0) {
    f.next_item = drawing_list_first();
    f.next_template = g_import.template_items.first;
    if (image_record_named(g_image_record)) {
      hide_pointer();
      draw_background_image();
    }
    if (g_job_settings.material_box_shown != 0) {
      hide_pointer();
      draw_material_outline();
    }
    return 0;
  }
  if (mode < 0) {
    f.next_item = nullptr;
    f.next_template = nullptr;
    return 0;
  }
  if (g_preferences.drawing.show_template != 0) {
    while (f.next_template != nullptr) {
      DrawingItem* item = f.next_template;
      g_draw_style.draw_colour = item_layer(item);
      hide_pointer();
      draw_item(item, 0);
      show_pointer();
      f.next_template = item->next;
      if (poll_input_code(EVENT_PEEK_LIMIT) != 0) return 1;
    }
  }
  while (f.next_item != nullptr) {
    DrawingItem* item = f.next_item;
    f.next_item = item->next;
    if ((item_flags(item) & ITEM_FLAG_SELECTED) == 0 || !item_kind_shown(item)) continue;
    g_draw_style.draw_colour = item_layer(item);
    const bool covers = pointer_over_item(item) != 0;
    if (covers) hide_pointer();
    draw_item(item, 0);
    if (covers) show_pointer();
    if (poll_input_code(EVENT_PEEK_LIMIT) != 0) return 1;
  }
  return 0;
}

int pointer_over_item(DrawingItem* item) {
  if (item->extra.empty()) return 0;
  const ViewState& v = g_view;
  const float left = (g_pointer.wanted_x - g_pointer.hot_dx) / v.scale_x + v.view_left;
  const float top = v.view_top - (g_pointer.wanted_y - g_pointer.hot_dy - v.area_top) / v.scale_x;
  const float right = left + POINTER_SIZE / v.scale_x;
  const float bottom = top - POINTER_SIZE / v.scale_x;
  const LinkRecord* r = item_nodes(item);
  const LinkRecord* closing = item_closing_record(item);
  for (; r < closing; ++r) {
    if (r->box_max.x >= left && r->box_min.x <= right && r->box_max.y >= bottom &&
        r->box_min.y <= top)
      return 1;
  }
  return 0;
}
