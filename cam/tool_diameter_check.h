// Trying tool diameters on an item: the tool-path engine machines a copy of the item with a
// trial tool, and the path it makes is kept as preview items in list slot 11. The same trial
// offsets text items for the offset command, and a chosen width is written into an item's
// tools.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

// Kinds of trial: the side the tool runs on.
constexpr int TRIAL_ANY_SIDE = 0;        // contour outside stays outside, anything else inside
constexpr int TRIAL_CONTOUR_INSIDE = 2;
constexpr int TRIAL_CONTOUR_OUTSIDE = 3;
// The engine takes this much off every tool width; an offset asks for that much more.
constexpr double TRIAL_WIDTH_GROWTH = 1.0000480023041106;
// Offsets nearer nothing than these do nothing.
constexpr double TRIAL_SMALLEST_OFFSET = 0.00002;
constexpr float TRIAL_SMALLEST_DIAMETER = 0.0001f;
// The gap within which a preview path's ends are joined into a closed item.
constexpr float TRIAL_JOIN_GAP = 0.001f;

// The block kind and layer preview items are made with.
struct ToolDiameterState {
  uint8_t preview_kind = GEOMETRY_KIND_MACHINABLE;
  uint8_t preview_layer = 0;
};
extern ToolDiameterState g_tool_diameter;
void reset_tool_diameter_check();

// Turns the records of the last engine run (spilled ones too) into preview items appended to
// list slot 11. 0 when the records hold no path; -1 otherwise (also after a failure).
int32_t path_records_to_preview();
// Machines a copy of the item with a trial tool of the diameter on the side `kind` asks and
// leaves the path as closed polyline items in list slot 11. The first of them, or null.
DrawingItem* trial_tool_path(DrawingItem* item, float diameter, int kind);
// Writes the width into the item's finishing (or roughing) tool: the cutting width, and the
// size or depth that goes with it for the tool's shape. 1 set, 0 a drawing aid, -1 an island.
int set_tool_width(DrawingItem* item, float width, bool finishing);
// Offsets the item through the engine by d (positive outside, negative inside): the results
// are appended to the current list. Their number, or -1 when nothing was made.
int offset_by_tool_path(DrawingItem* item, float distance);
// The geometry's text-offset hook: the same with the result items' block kind and layer.
int offset_text_by_tool_path(DrawingItem* item, float distance, uint8_t cam_kind, uint8_t layer);
