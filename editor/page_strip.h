// The Drawing page's strip of on-screen controls: the menu buttons above the drawing, the layer,
// axis-lock and grid indicators, the item panel's navigation buttons and the zoom panel of the
// side panel. A click on one gives 698, and its id says which.
#pragma once

#include <cstdint>
#include <vector>

#include "screen/controls.h"

// Control ids of the strip.
constexpr uint8_t STRIP_FILE = 41;
constexpr uint8_t STRIP_EDIT = 42;
constexpr uint8_t STRIP_MENU = 200;
constexpr uint8_t STRIP_SHOW = 30;
constexpr uint8_t STRIP_DRAW = 35;
constexpr uint8_t STRIP_SYMBOL = 32;
constexpr uint8_t STRIP_APPEND = 120;
constexpr uint8_t STRIP_LAYER = 38;
constexpr uint8_t STRIP_AXIS_LOCK = 34;
constexpr uint8_t STRIP_SIDES = 40;
constexpr uint8_t STRIP_MARKS = 33;
constexpr uint8_t STRIP_IMAGE = 92;
constexpr uint8_t STRIP_GRID = 43;
constexpr uint8_t STRIP_ZOOM_LABEL = 84;
constexpr uint8_t STRIP_ZOOM_IN = 85;
constexpr uint8_t STRIP_ZOOM_OUT = 86;
constexpr uint8_t STRIP_TO_ALL = 87;
constexpr uint8_t STRIP_PAN = 88;
constexpr uint8_t STRIP_TO_WINDOW = 89;
constexpr uint8_t STRIP_SET_CENTRE = 90;
constexpr uint8_t STRIP_REDRAW = 91;
constexpr uint8_t STRIP_TOOL_START = 93;
constexpr uint8_t STRIP_NO_FLICKER = 94;
// The item panel's buttons: 70-82 and 44.
constexpr uint8_t STRIP_PANEL_FIRST = 70;
constexpr uint8_t STRIP_PANEL_LAST = 82;
constexpr uint8_t STRIP_PANEL_RESET = 44;
// Hidden, region only: how a control of the strip is hidden.
constexpr uint32_t STRIP_HIDDEN = CF_HIDDEN | CF_REGION;

struct PageStrip {
  std::vector<ScreenControl> controls;  // ends with the end record; empty until built
};
extern PageStrip g_page_strip;

// Builds the table (once) and returns it.
ScreenControl* page_strip_table();
// The strip's control with an id, or null.
ScreenControl* page_strip_control(int id);
// Draws the whole strip and makes it the active table.
void draw_page_strip();
// Shows or hides one control and draws the change (a hidden control leaves its background);
// false when it was already so.
bool set_strip_control_shown(int id, bool shown);
// Hides (or shows) the controls of an id range.
void hide_strip_controls(int first_id, int last_id, bool hidden);

// Test hooks
void reset_page_strip();
