// What every item drawing routine reads: the colour index of the next draw, the pen width and
// the circle radii, set by the callers before they draw.
#pragma once

#include <cstdint>

// Special colour indices beside the 244 layers.
constexpr int16_t COLOUR_CONSTRUCTION = 200;
constexpr int16_t COLOUR_MARKED = 244;
constexpr int16_t COLOUR_FINISH_THIN = 245;
constexpr int16_t COLOUR_ROUGHING = 246;
constexpr int16_t COLOUR_FINISH_WIDE = 247;
constexpr int16_t COLOUR_WORKING = 251;
constexpr int16_t COLOUR_EDITING = 253;  // always the XOR pen: drawing twice erases
constexpr int16_t COLOUR_ERASE = 255;    // paints the item out with the copy pen

struct DrawStyle {
  int16_t draw_colour = 0;          // layer 0-243 or a COLOUR_* index
  int16_t pen_width = 0;            // pixels; 0 thin
  int16_t tool_circle_radius = 0;   // pixels: tool outline circles of tool-path items
  int32_t point_circle_radius = 3;  // pixels: the circle around each copy of a point item
  uint8_t hide_invisible_links = 0;  // F7: invisible links are not drawn or picked
  uint8_t printing = 0;             // the canvas is a printer page: no clipping, no point filter
};
extern DrawStyle g_draw_style;

// Test hooks
void reset_draw_style();
