#include "editor/help_box.h"

#include "editor/view_state.h"
#include "records/preferences.h"
#include "screen/display_mode.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/catalogue.h"

HelpStack g_help;

namespace {

constexpr int HELP_ROW = 6;
constexpr int HELP_COLUMNS_FROM_RIGHT = 24;
constexpr int LOWER_HELP_ROWS = 14;
constexpr int CORNER_FIRST_COLUMN = 42;
constexpr int CORNER_TEXT_COLUMN = 44;
// Palette entries of the corner status: its text and its highlighted words.
constexpr uint8_t CORNER_TEXT_COLOUR = 20;
constexpr uint8_t CORNER_HIGHLIGHT_COLOUR = 22;

int panel_left_pixel() {
  return g_view.side_panel_column * g_display.presets[FACE_ROLE_MENU].cell_width;
}

int background_fill() { return g_attributes.scheme[COLOUR_SLOT_BACKGROUND] | FILL_PIXELS; }

}  // namespace

void help_push(int16_t n) {
  HelpStack& h = g_help;
  if (h.depth < HELP_STACK_DEPTH) ++h.depth;
  h.entries[h.depth] = n;
  help_show_top();
}

void help_pop() {
  if (g_help.depth > 0) --g_help.depth;
}

void help_show_top() {
  const int16_t n = g_help.entries[g_help.depth];
  if (n == 0) help_box_text(nullptr);
  else help_show_message(n);
}

void help_box_text(const char* text) {
  if (g_preferences.drawing.side_panel == 0) return;
  const ViewState& v = g_view;
  push_text_metrics();
  use_medium_font();
  fill_cells(v.area_top, panel_left_pixel(), v.area_bottom, g_display.screen_width,
             background_fill());
  if (text != nullptr) {
    const int columns = g_display.current.last_column + 1;
    draw_text_transparent(HELP_ROW, -(columns - HELP_COLUMNS_FROM_RIGHT + 1), text);
  }
  pop_text_metrics();
}

void help_show_message(int n) {
  if (g_preferences.drawing.side_panel == 0) return;
  get_message(n);
  help_box_text(message_text());
}

void lower_help_text(const char* text) {
  const ViewState& v = g_view;
  push_text_metrics();
  use_medium_font();
  const CellMetrics& m = g_display.current;
  const int left = panel_left_pixel();
  const int top = v.area_bottom - LOWER_HELP_ROWS * m.cell_height;
  fill_cells(top, left, v.area_bottom, g_display.screen_width, background_fill());
  if (text != nullptr) draw_text_transparent(-top, left + m.cell_width, text);
  pop_text_metrics();
}

void show_corner_status(const char* text) {
  const CellMetrics& m = g_display.current;
  const int last = m.last_row;
  fill_cells(last - 1, CORNER_FIRST_COLUMN, last, m.last_column,
             g_attributes.scheme[COLOUR_SLOT_BACKGROUND]);
  if (text == nullptr) return;
  ColourScheme& s = g_attributes.scheme;
  const uint8_t text_slot = s[COLOUR_SLOT_TEXT];
  const uint8_t highlight_slot = s[COLOUR_SLOT_HIGHLIGHT];
  s[COLOUR_SLOT_TEXT] = CORNER_TEXT_COLOUR;
  s[COLOUR_SLOT_HIGHLIGHT] = CORNER_HIGHLIGHT_COLOUR;
  draw_text_transparent(last - 1, CORNER_TEXT_COLUMN, text);
  s[COLOUR_SLOT_TEXT] = text_slot;
  s[COLOUR_SLOT_HIGHLIGHT] = highlight_slot;
}

void reset_help_stack() { g_help = HelpStack{}; }
