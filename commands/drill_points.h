// Circles to drill points: every circle (and, when asked, every one-link polyline that runs a
// whole turn) whose radius lies in a range becomes a drill point at its centre with the
// circle's diameter as cutting width; the circle goes, or stays on another layer.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

// The settings of the conversion, kept for the whole run (the form edits them).
struct DrillPointSettings {
  uint8_t source_layer = 255;   // only circles on this layer; 255 any layer
  uint8_t point_layer = 255;    // the points' layer; 255 the circle's own
  uint8_t kept_layer = 255;     // the kept circles' layer; 255 leave it
  uint8_t take_polylines = 1;   // 1 also one-link polylines of a whole turn
  float smallest_radius = 0;    // job units; 0 no lower bound
  float largest_radius = 0;     // job units; 0 no upper bound
  float depth = 0;              // the points' cutting depth; 0 the default
  int16_t tool_number = 0;      // the points' tool; 0 the default
  uint8_t keep_circles = 0;     // 1 keep the circles, 0 delete them
};
inline DrillPointSettings g_drill_point_settings;
inline void reset_drill_point_settings() { g_drill_point_settings = DrillPointSettings{}; }

// An arc polyline counts as a circle above 99 % of a turn (radians).
constexpr float DRILL_POINT_FULL_TURN = 6.220353454107791f;

// Converts the matching circles of the current list: each new point is appended; a deleted
// circle, and a kept one whose layer changes, is handed to `release` (null: deleted; a kept
// circle then only changes its layer), and a kept circle's new-layer copy is appended behind
// the points. Returns the number of points made.
int circles_to_drill_points(const DrillPointSettings& settings, void (*release)(DrawingItem*));
// The Drawing page's command: the form, then the conversion as one undo step. -27 when the form
// was cancelled, else the number of points made.
int drill_points_command();
