// The pen-move screen plotter: a PenMoveSink that draws each move of a text or curve on the
// current canvas. The pen position is in world units; the plotter maps it to pixels from the
// view's top-left corner by the view scale.
#pragma once

#include <cstdint>

#include "geometry/float2d.h"
#include "platform/canvas.h"

struct PenPlotter {
  Canvas* canvas = nullptr;
  double scale = 1.0;            // pixels per world unit
  PointF view_top_left{0, 0};    // world point at pixel (0, 0)
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
