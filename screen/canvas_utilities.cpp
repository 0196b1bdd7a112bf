#include "screen/canvas_utilities.h"

#include "platform/canvas.h"
#include "screen/text_output.h"

namespace {

constexpr uint32_t RUBBER_BAND_RED = 0xFF0000;

}  // namespace

void canvas_rect(int left, int top, int right, int bottom) {
  if (g_text.screen.target == nullptr) return;
  canvas_draw_rect(&g_text.screen, {left, top, right, bottom});
}

void canvas_line(int x1, int y1, int x2, int y2) {
  if (g_text.screen.target == nullptr) return;
  canvas_draw_line(&g_text.screen, x1, y1, x2, y2);
}

void canvas_xor_line(int x1, int y1, int x2, int y2) {
  Canvas* canvas = &g_text.screen;
  canvas->pen.colour = RUBBER_BAND_RED;
  canvas->pen.style = CANVAS_PEN_SOLID;
  canvas->pen.width = 1;
  canvas->mix = CANVAS_MIX_XOR;
  if (canvas->target == nullptr) return;
  canvas_draw_line(canvas, x1, y1, x2, y2);
}
