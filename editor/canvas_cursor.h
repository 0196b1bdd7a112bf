// The cursor of the Drawing page: the pointer over the drawing area is also a point of the
// drawing. It is tracked as a world point (snapped to the grid when snapping is on), shown by a
// dotted XOR crosshair or by the crosshair pointer picture, and clicks become the commands bound
// to the buttons; outside the area the page tabs and controls are offered instead.
#pragma once

#include <cstdint>

#include "geometry/float2d.h"
#include "screen/event_queue.h"

// Codes track_canvas_cursor returns besides the ones it passes on.
constexpr EventCode CANVAS_CONTROL_CLICKED = 698;  // a control of the page was clicked
constexpr EventCode CANVAS_PAGE_CHOSEN = 699;      // another page's tab: the page byte is set
constexpr EventCode CANVAS_REDRAW = 5003;          // the page must be drawn again
// A pointer brought into the drawing area lands this far inside its edge.
constexpr int CANVAS_BRING_IN_PIXELS = 128;

struct CanvasCursor {
  PointF point = {0.0f, 0.0f};     // the cursor's world point
  PointF editor_point = {0.0f, 0.0f};  // the copy the drawing editor reads
  PointF previous = {0.0f, 0.0f};  // the point before the last move
  PointF motion = {0.0f, 0.0f};    // the last move, world units
  int crosshair_x = 0;             // where the crosshair is drawn, screen pixels
  int crosshair_y = 0;
  bool crosshair_shown = false;
  int click_x = 0;                 // the last left click outside the drawing area
  int click_y = 0;
};
extern CanvasCursor g_canvas_cursor;

// The drawing area in screen pixels: from the left edge to `right`, from `top` to `bottom`.
bool pointer_in_drawing_area();

// Draws the dotted XOR crosshair through the crosshair position; twice removes it.
void draw_crosshair();
// With the pointer-crosshair preference the pointer becomes the crosshair picture; otherwise the
// lines are drawn when the pointer is in the area and they are not shown yet.
void show_crosshair();
void hide_crosshair();
// Recomputes the cursor's world point from the wanted pointer position; when it changed, the
// pointer and the crosshair are hidden.
void update_cursor_point();
// Glides a pointer that lies above, below or right of the drawing area 128 pixels into it.
void bring_pointer_into_drawing();
// The Drawing page's event reader: the next code the page acts on (see the CANVAS_* codes;
// clicks in the area give the command bound to the buttons held).
EventCode track_canvas_cursor();
// The keyboard commands for what the cursor hovers, in the message area.
void show_key_hints();

// Test hooks
void reset_canvas_cursor();
