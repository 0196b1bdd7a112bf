#include "screen/hint_box.h"

#include <cstring>

#include "screen/boxes.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/interface_settings.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"

HintBox g_hint_box;

int show_hint() {
  if (g_interface.hint_box != 0 || g_control_hover.control == nullptr) return 0;
  const int number = g_control_hover.control->hint;
  const char* text = hint_text(number);
  if (text[0] == '\0') return 0;
  if (g_hint_box.number != 0) return g_hint_box.number;
  if (g_text.screen.target == nullptr) return 0;
  const CellMetrics& tiny = g_display.presets[FACE_ROLE_TINY];
  const ScreenControl& c = *g_control_hover.control;
  const int width = (static_cast<int>(std::strlen(text)) + 2) * tiny.cell_width;
  const int height = tiny.cell_height + 3;
  int top = c.y + c.hit_height + 32;
  if (top + height > g_display.screen_height) top = c.y - 2 * tiny.cell_height;
  int left = c.x;
  if (left + width > g_display.screen_width) left = g_display.screen_width - width;
  if (left < 0) left = 0;
  hide_caret();
  // The save-under keeps only on-screen pixels, so a box at an edge puts back what it covered.
  canvas_save_under(g_text.screen, {left, top, left + width, top + height}, &g_hint_box.under);
  fill_rect(left, top, left + width, top + height, HINT_BOX_FILL);
  frame_rect(left, top, left + width, top + height, PALETTE_HINT_INK, CANVAS_MIX_COPY);
  const uint8_t ink = g_attributes.scheme[COLOUR_SLOT_TEXT];
  g_attributes.scheme[COLOUR_SLOT_TEXT] = PALETTE_HINT_INK;
  push_text_metrics();
  use_smallest_font();
  draw_text_transparent(-(top + 2), left + tiny.cell_width, text);
  pop_text_metrics();
  g_attributes.scheme[COLOUR_SLOT_TEXT] = ink;
  g_hint_box.x = left;
  g_hint_box.y = top;
  g_hint_box.width = width;
  g_hint_box.number = number;
  return number;
}

void hide_hint() {
  if (g_hint_box.number == 0) return;
  hide_caret();
  if (g_text.screen.target != nullptr && !g_hint_box.under.pixels.pixels.empty())
    canvas_restore_under(&g_text.screen, g_hint_box.under);
  g_hint_box.under = CanvasSaveUnder{};
  g_hint_box.number = 0;
}

void reset_hint_box() { g_hint_box = HintBox(); }
