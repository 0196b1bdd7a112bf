// The Utilities page (page 5): a board of picture buttons that lead to settings and side tools
// (preferences, tool list, serial protocols, DXF layer names, the three staircase designers) and
// a row of text buttons that e-mail a file, an NC program or a job file.
#pragma once

#include <cstdint>
#include <vector>

#include "screen/controls.h"
#include "screen/event_queue.h"

// Control ids of the page's buttons.
constexpr uint8_t UTILITY_PREFERENCES = 15;
constexpr uint8_t UTILITY_SERIAL_PROTOCOLS = 16;
constexpr uint8_t UTILITY_TOOL_LIST = 55;
constexpr uint8_t UTILITY_DXF_LAYERS = 60;
constexpr uint8_t UTILITY_FIRST_STAIRS = 61;  // 61, 62, 63: staircase kinds 1, 2 and 4
constexpr uint8_t UTILITY_LAST_STAIRS = 63;
// The picture button's size in pixels.
constexpr int UTILITY_BUTTON_WIDTH_PX = 128;
constexpr int UTILITY_BUTTON_HEIGHT_PX = 96;

// The page's controls, in their table order (picture buttons first); the end record last.
extern std::vector<ScreenControl> g_utility_buttons;

// Places the picture buttons four to a row, centred, in the menu face's cells.
void utilities_layout();
// The page's key filter: 27 leaves the page, 0 leaves the run loop nothing to do; the staircase
// designer's result is passed on.
EventCode utilities_page_loop();
