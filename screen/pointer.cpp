#include "screen/pointer.h"

#include "screen/text_output.h"

PointerState g_pointer;

namespace {

// Stand-in: a plain arrow over a save-under stands for the pointer pictures of the picture file.
constexpr CanvasPoint POINTER_ARROW[] = {{0, 0}, {0, 15}, {4, 11}, {7, 17},
                                         {9, 16}, {6, 10}, {11, 10}};
constexpr int POINTER_ARROW_WIDTH = 12;
constexpr int POINTER_ARROW_HEIGHT = 18;

void draw_arrow(Canvas* screen, int x, int y) {
  canvas_save_under(*screen, {x, y, x + POINTER_ARROW_WIDTH, y + POINTER_ARROW_HEIGHT},
                    &g_pointer.under);
  const CanvasPen pen = screen->pen;
  const CanvasBrush brush = screen->brush;
  const CanvasMix mix = screen->mix;
  screen->pen = CanvasPen{};
  screen->brush = CanvasBrush{};
  screen->mix = CANVAS_MIX_COPY;
  CanvasPoint points[std::size(POINTER_ARROW)];
  for (size_t i = 0; i < std::size(POINTER_ARROW); ++i) {
    points[i] = {x + POINTER_ARROW[i].x, y + POINTER_ARROW[i].y};
  }
  canvas_draw_polygon(screen, points);
  screen->pen = pen;
  screen->brush = brush;
  screen->mix = mix;
}

}  // namespace

void show_pointer() {
  if (g_pointer.shape == 0 || g_pointer.released) {
    g_pointer.drawn_x = g_pointer.wanted_x;
    g_pointer.drawn_y = g_pointer.wanted_y;
    return;
  }
  if (g_pointer.drawn) return;
  g_pointer.drawn_x = g_pointer.wanted_x;
  g_pointer.drawn_y = g_pointer.wanted_y;
  if (g_text.screen.target != nullptr) draw_arrow(&g_text.screen, g_pointer.drawn_x, g_pointer.drawn_y);
  g_pointer.drawn = true;
}

void hide_pointer() {
  if (g_pointer.drawn && g_text.screen.target != nullptr && !g_pointer.under.pixels.pixels.empty()) {
    canvas_restore_under(&g_text.screen, g_pointer.under);
  }
  g_pointer.under = CanvasSaveUnder{};
  g_pointer.drawn = false;
}

void clear_hover() {}

void reset_pointer() {
  g_pointer = PointerState();
}
