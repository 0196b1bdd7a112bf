#include "editor/help_box.h"

#include "editor/view_state.h"
#include "records/preferences.h"
#include "screen/display_mode.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/catalogue.h"

namespace {

constexpr int HELP_ROW = 6;
constexpr int HELP_COLUMNS_FROM_RIGHT = 24;

}  // namespace

void help_box_text(const char* text) {
  if (g_preferences.drawing.side_panel == 0) return;
  const ViewState& v = g_view;
  push_text_metrics();
  use_medium_font();
  const CellMetrics& m = g_display.current;
  fill_cells(v.area_top, v.side_panel_column * m.cell_width, v.area_bottom,
             g_display.screen_width, g_attributes.scheme[COLOUR_SLOT_BACKGROUND] | FILL_PIXELS);
  if (text != nullptr) {
    const uint8_t opaque = g_text.opaque_text;
    g_text.opaque_text = 0;
    const int columns = m.last_column + 1;
    draw_text(HELP_ROW, -(columns - HELP_COLUMNS_FROM_RIGHT + 1), text);
    g_text.opaque_text = opaque;
  }
  pop_text_metrics();
}

void help_show_message(int n) {
  if (g_preferences.drawing.side_panel == 0) return;
  get_message(n);
  help_box_text(message_text());
}
