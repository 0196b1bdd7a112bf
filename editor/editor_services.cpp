#include "editor/editor_services.h"

#include <algorithm>
#include <cmath>

#include "editor/view_state.h"
#include "records/job_settings.h"

float snap_to_grid(float value) {
  const float step = g_job_settings.grid_step;
  if (!(step > 0.0f)) return value;
  return std::round(value / step) * step;
}

void world_to_screen(PointF point, int* x, int* y) {
  *x = static_cast<int>(std::lround((point.x - g_view.view_left) * g_view.scale));
  *y = static_cast<int>(std::lround((g_view.view_top - point.y) * g_view.scale));
}

void show_cursor_xy(PointF point) { g_editor_display.cursor_shown = point; }

void show_message_area(const std::string& text) {
  g_editor_display.message = text;
  ++g_editor_display.message_count;
}

void show_node_info(int on) { g_editor_display.node_info = on != 0; }

void clear_hover_hilite() { ++g_editor_display.hover_hilite_clears; }

void draw_button_legend(int /*redraw*/) { ++g_editor_display.legend_draws; }

void button_commands_set(int16_t left, int16_t middle, int16_t right) {
  ButtonBindings& b = g_button_bindings;
  ButtonBindingsSave save;
  save.current = b.current;
  std::copy(b.current, b.current + BUTTON_BINDING_COUNT, save.values.begin());
  b.saved.push_back(save);
  std::copy(b.current, b.current + BUTTON_BINDING_COUNT, b.temporary);
  b.temporary[1] = left;
  b.temporary[2] = right;
  b.temporary[4] = middle;
  b.current = b.temporary;
  draw_button_legend(1);
}

void button_commands_pop() {
  ButtonBindings& b = g_button_bindings;
  if (b.saved.empty()) return;
  const ButtonBindingsSave save = b.saved.back();
  b.saved.pop_back();
  // A saved temporary table is given back its values; the stored tables were never changed.
  if (save.current == b.temporary) std::copy(save.values.begin(), save.values.end(), b.temporary);
  b.current = save.current;
  draw_button_legend(1);
}

void reset_editor_services() { g_editor_display = EditorDisplay{}; }
