// The cursor of the Drawing page: the pointer over the drawing area is also a point of the
// drawing. It is tracked as a world point (snapped to the grid when snapping is on), shown by a
// dotted XOR crosshair or by the crosshair pointer picture, and clicks become the commands bound
// to the buttons; outside the area the page tabs and controls are offered instead.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

// Codes track_canvas_cursor returns besides the ones it passes on.
constexpr EventCode CANVAS_CONTROL_CLICKED = 698;  // a control of the page was clicked
constexpr EventCode CANVAS_PAGE_CHOSEN = 699;      // another page's tab: the page byte is set
constexpr EventCode CANVAS_REDRAW = 5003;          // the page must be drawn again
// A pointer brought into the drawing area lands this far inside its edge.
constexpr int CANVAS_BRING_IN_PIXELS = 128;

// The cursor's world point, the crosshair's pixel and the hover live in g_hover (hover_state.h);
// this record keeps what only the tracking over the drawing area needs.
struct CanvasCursor {
  bool crosshair_shown = false;    // the dotted crosshair lines are on the screen
  int click_x = 0;                 // the last left click outside the drawing area
  int click_y = 0;
  uint8_t crosshair_marks[2] = {};  // 101 each while the pointer picture is the crosshair
};
extern CanvasCursor g_canvas_cursor;

// The pointer is over the drawing area: from the left edge to area_width, from area_top to
// area_bottom.
bool pointer_in_drawing_area();

// Draws the dotted XOR crosshair through the crosshair position; twice removes it.
void draw_crosshair();
// With the pointer-crosshair preference the pointer becomes the crosshair picture; otherwise the
// lines are drawn when the pointer is in the area and they are not shown yet.
void show_crosshair();
void hide_crosshair();
// Glides a pointer that lies above, below or right of the drawing area 128 pixels into it.
void bring_pointer_into_drawing();
// The Drawing page's event reader: the next code the page acts on (see the CANVAS_* codes;
// clicks in the area give the command bound to the buttons held).
EventCode track_canvas_cursor();
// The keyboard commands for what the cursor hovers, in the message area.
void show_key_hints();

// Test hooks
void reset_canvas_cursor();
