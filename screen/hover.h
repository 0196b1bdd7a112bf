// What lies under the pointer: a control of the active table, a page tab or the free title band;
// the blinking hover highlights the timer drives, and the hit test the loops call.
#pragma once

#include <cstdint>

#include "screen/boxes.h"
#include "screen/controls.h"

// hit_test_pointer results besides a control id: a page tab is its index with this bit.
constexpr int HIT_PAGE_TAB = 0x1000000;
constexpr int HIT_NOTHING = -1;
constexpr int HIT_TITLE_BAND = -2;

// Ticks before the first blink and blink steps before the hint.
constexpr int HOVER_FIRST_BLINK_TICKS = 9;
constexpr int HOVER_HINT_STEPS = 2;

struct ControlHover {
  int16_t control_id = -1;          // hovered control, -1 none
  ScreenControl* control = nullptr;  // its record in the active table
  int blink_countdown = 0;          // ticks to the next toggle
  int hint_delay = 0;               // blink steps to the hint box
  bool flash_once = false;          // the highlight shows once, then stays off
  bool highlight_shown = false;
  int16_t tab = -1;                 // hovered page tab, -1 none
  int tab_blink_countdown = 0;
  bool tab_highlight_shown = false;
};
extern ControlHover g_control_hover;

// The marker box a transform form blinks while one of its value fields is picked from the
// drawing; the form sets it and calls blink_pick_marker on every tick.
struct PickMarker {
  bool picking = false;  // a value field is being picked
  int x = 0;             // the box, pixels
  int y = 0;
  int width = 0;
  int height = 0;
  bool shown = false;    // the marker's phase: its XOR fill is on the screen
};
extern PickMarker g_pick_marker;
// Ticks between two blinks of the pick marker.
constexpr int PICK_MARKER_PERIOD_TICKS = 5;

// Turns off both highlights, forgets the hovered control and tab and removes the hint box.
void clear_hover();
// Turns off the control highlight and forgets the hovered control, whose record belongs to the
// active table: called when that table is given up.
void forget_hovered_control();
// Toggles the hovered control's highlight (XOR: twice restores the pixels).
void blink_hover_highlight();
// Toggles the hovered tab's rounded highlight (XOR).
void blink_tab_highlight();
// Each time the second tick counter reaches 0 while picking: XOR-fills the marker box in
// palette colour 167 (twice restores it) and starts the next period.
void blink_pick_marker();
// What lies under the wanted pointer position: a control id, a tab | HIT_PAGE_TAB, HIT_NOTHING or
// HIT_TITLE_BAND. Hovering starts the highlight; with click, the title-bar buttons act at once.
int hit_test_pointer(bool click);

// Test hooks
void reset_control_hover();
void reset_pick_marker();
