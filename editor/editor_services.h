// What the drawing editor offers the pages and the screen's loops around it: grid snapping,
// world and screen points, the message area, the cursor read-out and the button bindings'
// save and restore with their legend.
#pragma once

#include <cstdint>
#include <string>

#include "editor/button_bindings.h"
#include "geometry/float2d.h"

// The command bound to a button while the pointer is over the page's furniture: menu navigation.
constexpr int16_t COMMAND_MENU_NAVIGATION = 997;
constexpr int16_t COMMAND_OVER_TITLE_BAND = 996;
constexpr int16_t COMMAND_OVER_CONTROL = 991;

// Stand-in: keeps what the drawing page would show (message area, info line, cursor read-out, legend) for tests; draws nothing.
struct EditorDisplay {
  std::string message;         // the message area's last text, with its colour codes
  int message_count = 0;       // texts shown so far
  bool node_info = false;      // the node and item info line is on
  PointF cursor_shown = {0.0f, 0.0f};  // the coordinates the read-out shows
  int legend_draws = 0;        // times the button legend was drawn
  int hover_hilite_clears = 0; // times the hovered item's highlights were removed
};
inline EditorDisplay g_editor_display;

// Rounds one world coordinate to the grid spacing of the current job (a spacing of 0 or less
// leaves it).
float snap_to_grid(float value);
// A world point in pixels of the drawing area (y counted from the area's top), rounded.
void world_to_screen(PointF point, int* x, int* y);

void show_cursor_xy(PointF point);
void show_message_area(const std::string& text);
void show_node_info(int on);
void clear_hover_hilite();
void draw_button_legend(int redraw);
// Saves the current bindings and binds the three buttons to these commands; the legend follows.
void button_commands_set(int16_t left, int16_t middle, int16_t right);
// Takes back the bindings saved last (none saved: nothing changes).
void button_commands_pop();

// Test hooks
void reset_editor_services();
