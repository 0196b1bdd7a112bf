#include "editor/page_furniture.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_redraw.h"
#include "editor/page_strip.h"
#include "editor/render.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/picture_file.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/float_text.h"

PageFurniture g_furniture;

namespace {

constexpr int PALETTE_READ_OUT = 60;
constexpr int PALETTE_MATERIAL = 166;
// Columns of the normal face where the message area begins.
constexpr int MESSAGE_AREA_COLUMN = 42;
constexpr int READ_OUT_CELLS = 18;
constexpr int READ_OUT_VISIBLE = 17;

int background_index() { return g_attributes.scheme[COLOUR_SLOT_BACKGROUND]; }

const CellMetrics& normal_cells() { return g_display.presets[FACE_ROLE_NORMAL]; }

int client_width() { return g_display.screen_width + 1; }
int client_height() { return g_display.screen_height + 1; }

void fill_pixels(int left, int top, int right, int bottom, int palette_index) {
  if (right < left || bottom < top) return;
  fill_cells(top, left, bottom, right, palette_index | FILL_PIXELS);
}

// Draws one or two lines of a name at a pixel position in the current face.
void draw_name_lines(int x, int y, const char* name, int line_step) {
  const char* newline = std::strchr(name, '\n');
  if (newline == nullptr) {
    draw_text_transparent(-y, x, name);
    return;
  }
  // A colour code opened on the first line carries into the second.
  std::string first(name, newline);
  std::string second = newline + 1;
  const size_t code = first.find_last_of("\x0b\x0c\x0e\x13");
  if (code != std::string::npos) second.insert(second.begin(), first[code]);
  draw_text_transparent(-y, x, first.c_str());
  if (!second.empty()) draw_text_transparent(-(y + line_step), x, second.c_str());
}

void redraw_strip_control(int id) {
  ScreenControl* c = page_strip_control(id);
  if (c == nullptr || (c->flags & CF_HIDDEN) != 0) return;
  draw_controls(c, 1);
}

}  // namespace

void reset_drawing_screen(int redraw) {
  g_form.redraw_level = 0;
  cycle_axis_lock(-1);
  draw_page_tabs(1);
  const ViewState& v = g_view;
  const CellMetrics& n = normal_cells();
  fill_pixels(0, g_tab_strip.base_line + 1, client_width() - 1, v.area_top - 1, background_index());
  const int panel_left = g_preferences.drawing.side_panel != 0
                             ? v.side_panel_column * g_display.presets[FACE_ROLE_MENU].cell_width
                             : client_width() - 1;
  fill_pixels(0, v.area_bottom + 1, panel_left, v.area_bottom + n.cell_height / 3,
              background_index());
  if (g_preferences.drawing.side_panel != 0)
    fill_pixels(panel_left, v.area_top, client_width() - 1, v.area_bottom + 1, background_index());
  draw_button_legend(0);
  g_furniture.prompt_covers_tabs = 0;
  if (redraw != 0) redraw_drawing();
  draw_page_strip();
}

void close_item_panel() {
  clear_hover_hilite();
  g_hover.hover_item = nullptr;
  g_hover.pick_kind = 0;
  hide_strip_controls(STRIP_PANEL_FIRST, STRIP_PANEL_LAST, true);
  hide_strip_controls(STRIP_PANEL_RESET, STRIP_PANEL_RESET, true);
}

void clear_legend_band() {
  const CellMetrics& status = g_display.presets[FACE_ROLE_SMALL];
  fill_pixels(0, g_view.area_bottom, client_width() - 1,
              client_height() - 1 - 2 * status.cell_height + 1, background_index());
}

void show_prompt(const char* text) {
  fill_pixels(0, 0, client_width() - 1, g_view.area_top + 1, background_index());
  if (text != nullptr) {
    push_text_metrics();
    use_medium_font();
    draw_text_transparent(0, -3, text);
    pop_text_metrics();
  }
  g_furniture.prompt_covers_tabs = 1;
}

void show_message_area(const char* text) {
  const ViewState& v = g_view;
  const CellMetrics& n = normal_cells();
  const int y = v.area_bottom + n.cell_height / 3;
  const int x = MESSAGE_AREA_COLUMN * n.cell_width;
  push_text_metrics();
  if (g_display.band > 4) use_small_font();
  else use_normal_font();
  fill_pixels(x, y, client_width() - 1, client_height() - 1, background_index());
  if (text != nullptr) {
    push_colour_base();
    g_attributes.scheme[COLOUR_SLOT_TEXT] = PALETTE_READ_OUT;
    draw_text_transparent(-y, x, text);
    pop_colour_base();
  }
  pop_text_metrics();
}

void draw_button_legend(int names_only) {
  const ViewState& v = g_view;
  if (v.area_bottom <= 0) return;
  const CellMetrics& n = normal_cells();
  const bool small = client_height() - 1 < 900 || client_width() - 1 < 1200;
  const int base = small ? -113 : -110;
  const int margin = small ? 22 : 30;
  const int y = v.area_bottom + n.cell_height / 3;
  const int cw = n.cell_width;
  const int bottom = client_height() - 1;
  if (names_only == 0) {
    fill_pixels(0, y, 40 * cw, bottom, PALETTE_WHITE);
    fill_pixels(40 * cw, v.area_bottom + 1, client_width() - 1, bottom, background_index());
    if (g_preferences.drawing.side_panel == 0 || v.area_width >= 40 * cw)
      fill_pixels(40 * cw, y, 42 * cw - 1, bottom, background_index());
    draw_picture(base, 0, y);
    draw_picture(base - 1, 14 * cw, y);
    draw_picture(base - 2, 28 * cw, y);
  } else {
    fill_pixels(margin, y, 14 * cw - 1, bottom, PALETTE_WHITE);
    fill_pixels(margin + 14 * cw, y, 28 * cw - 1, bottom, PALETTE_WHITE);
    fill_pixels(margin + 28 * cw, y, 41 * cw - 1, bottom, PALETTE_WHITE);
  }
  const int16_t* record = g_button_bindings.current;
  push_text_metrics();
  use_normal_font();
  const int step = n.cell_height - 5;
  draw_name_lines(3 * cw, y, button_command_name(record[BUTTON_LEFT_BIT]), step);
  draw_name_lines(17 * cw, y, button_command_name(record[BUTTON_MIDDLE_BIT]), step);
  draw_name_lines(31 * cw, y, button_command_name(record[BUTTON_RIGHT_BIT]), step);
  pop_text_metrics();
}

void show_grid_state(int mode) {
  PageFurniture& f = g_furniture;
  if ((f.grid_switch & INDICATOR_LOCKED) != 0) return;
  if (mode > 0) {
    f.grid_switch = f.grid_switch != 0 ? 0 : 1;
    g_job_settings.grid_shown = f.grid_switch;
    if (mode == INDICATOR_CHANGE_ONLY) return;
  }
  ScreenControl* c = page_strip_control(STRIP_GRID);
  if (c == nullptr) return;
  std::string caption = "G: OFF";
  if (f.grid_switch != 0) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", static_cast<double>(g_job_settings.grid_step));
    std::string step = text;
    trim_float_zeros(step);
    if (!step.empty() && step[0] == '0') step[0] = ' ';
    if (step.size() > 5) step.erase(0, 1);
    std::snprintf(text, sizeof text, "G%5.5s", step.c_str());
    caption = text;
  }
  std::snprintf(c->caption, CONTROL_CAPTION_SIZE, "%s", caption.c_str());
  if (mode >= 0) redraw_strip_control(STRIP_GRID);
}

void cycle_axis_lock(int mode) {
  PageFurniture& f = g_furniture;
  if ((f.axis_lock & INDICATOR_LOCKED) != 0) return;
  if (mode > 0) f.axis_lock = static_cast<uint8_t>((f.axis_lock + 1) % 3);
  ScreenControl* c = page_strip_control(STRIP_AXIS_LOCK);
  if (c == nullptr) return;
  c->style = static_cast<int16_t>(AXIS_LOCK_PICTURE + f.axis_lock);
  if (mode >= 0 && mode != INDICATOR_CHANGE_ONLY) redraw_strip_control(STRIP_AXIS_LOCK);
}

void show_cursor_xy() {
  if (g_furniture.read_out == 0) return;
  const PointF p = g_hover.cursor_point;
  char text[96];
  const char* format = g_view.scale_x > 2000.0f ? "%.4f, %.4f   " : "%.3f, %.3f   ";
  const int length = std::snprintf(text, sizeof text, format, static_cast<double>(p.x),
                                   static_cast<double>(p.y));
  if (length > READ_OUT_VISIBLE) text[READ_OUT_VISIBLE] = '\0';
  const std::string shown = "\x0c" + std::string(text);
  push_colour_base();
  set_colour_base(0);
  push_text_metrics();
  use_small_font();
  const CellMetrics& s = g_display.current;
  const int x = client_width() - READ_OUT_CELLS * s.cell_width;
  const int y = client_height() - 2 * s.cell_height;
  const uint8_t opaque = g_text.opaque_text;
  g_text.opaque_text = 1;
  draw_text(-y, x, shown.c_str());
  g_text.opaque_text = opaque;
  pop_text_metrics();
  pop_colour_base();
}

void draw_material_outline() {
  const float* box = g_job_settings.material_box;
  const ViewState& v = g_view;
  const float x = box[0], y = box[1], w = box[2], h = box[3];
  if (x >= v.view_right || y >= v.view_top || x + w <= v.view_left || y + h <= v.view_bottom) return;
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = palette_pixel(PALETTE_MATERIAL);
  canvas->mix = CANVAS_MIX_COPY;
  const PointF corners[5] = {{x, y}, {x, y + h}, {x + w, y + h}, {x + w, y}, {x, y}};
  for (int i = 0; i < 4; ++i) {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    world_to_screen(corners[i], &x1, &y1);
    world_to_screen(corners[i + 1], &x2, &y2);
    if (clip_segment_to_view(&x1, &y1, &x2, &y2)) area_line(x1, y1, x2, y2);
  }
}

void reset_page_furniture() { g_furniture = PageFurniture{}; }
