// The pen-move screen plotter: a PenMoveSink that draws each move of a text or curve on the
// current canvas. The generator has made the pen position relative to the view's top-left
// corner; the plotter maps it to pixels by the view scale.
#pragma once

#include <cstdint>

#include "platform/canvas.h"

struct PenPlotter {
  Canvas* canvas = nullptr;
  double scale = 1.0;            // pixels per world unit
  uint32_t colour = 0;           // the item's colour
  float tool_width = 0.0f;       // world units
  float half_tool_pixels = 0.0f;
  bool show_tool_width = false;  // the Drawing page's option (Ctrl+T)
  bool printing = false;
  CanvasRect paint_box = CANVAS_CLIP_NONE;
  uint8_t pen_down = 0;          // 0 after a pen-up move, 1 or 2 within a stroke
};
extern PenPlotter g_pen_plotter;
void reset_pen_plotter();

void plot_pen_move();
