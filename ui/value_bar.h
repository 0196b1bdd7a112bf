// The value bar: a strip at the top of the screen with up to five labelled number fields, each
// with an up and a down arrow button, and the buttons Normal, OK, Cancel and Save JPG. The image
// tools of the drawing page run it one event at a time while the user works on the drawing.
// Also the side-panel pointer: a bracket drawn in XOR that links a list's cursor line to the
// side panel that shows the line's details.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "screen/controls.h"
#include "screen/event_queue.h"

constexpr int VALUE_BAR_FIELDS = 5;
constexpr uint8_t BAR_WHOLE_NUMBER = 255;         // precision code of a whole-number field
constexpr EventCode VALUE_BAR_CLICK = 698;        // a click on one of the bar's controls
constexpr EventCode VALUE_BAR_REPEATED = 0x4000;  // added to a held button's id after nine repeats
constexpr uint32_t VALUE_BAR_FIRST_REPEAT_MS = 165;
constexpr uint32_t VALUE_BAR_REPEAT_MS = 55;      // one tick
constexpr int VALUE_BAR_SLOW_REPEATS = 8;

// Control ids of the bar (field k: value 4k+1, up 4k+2, down 4k+3)
constexpr uint8_t VALUE_BAR_NORMAL = 'N';
constexpr uint8_t VALUE_BAR_OK = 26;
constexpr uint8_t VALUE_BAR_CANCEL = 27;
constexpr uint8_t VALUE_BAR_SAVE_JPG = 'S';

struct ValueBar {
  std::vector<ScreenControl> table;        // the controls; the last is the end record
  uint8_t precision[VALUE_BAR_FIELDS] = {};  // BAR_WHOLE_NUMBER or a format_float_text code
  int32_t whole[VALUE_BAR_FIELDS] = {};
  float value[VALUE_BAR_FIELDS] = {};
  uint32_t entry_flags[VALUE_BAR_FIELDS] = {};  // 0: a '-' typed in the field goes to the caller
  int current_field = 0;
  uint8_t mode = 0;            // 1 while an image is being straightened: pointer events to the caller
  int held_button = 0;         // id of the arrow button held, 0 when none
  uint32_t repeat_deadline = 0;  // clock milliseconds of the held button's next repeat
  int repeat_count = 0;
};
extern ValueBar g_value_bar;

// Shows the fields that have a label (null hides one) and lays them out; Normal only when asked.
void setup_value_bar(const char* label0, const char* label1, const char* label2,
                     const char* label3, const char* label4, int show_normal);
// The entry flags of each field's value control; a negative argument keeps the old word.
void set_value_bar_flags(int64_t f0, int64_t f1, int64_t f2, int64_t f3, int64_t f4);
// The straightening bar: "Angle" (two decimals, degrees, minus allowed) and "Zoom".
void set_angle_zoom_bar(float zoom);
// The text of a field's value: "%d" of the whole value for BAR_WHOLE_NUMBER, else the float in
// its precision code.
std::string format_bar_value(uint8_t precision, float value, int32_t whole);
// Copies a label (or clears it) into `count` controls from `first`.
void set_bar_label(const char* label, int first, int count);
// Runs the bar for one event: a field changed (FIELD_CHANGED), an arrow button's id (pressed or
// repeating), OK as 13, Cancel, Normal, Save JPG, Left or Right between the fields, or an event
// for the caller.
EventCode run_value_bar();
// The next event for the bar, with the pointer kept in the right shape; a click on a control
// gives VALUE_BAR_CLICK.
EventCode value_bar_event();

// ---- The side-panel pointer ------------------------------------------------------------------

struct PanelPointer {
  int x[13] = {};
  int y[13] = {};
  bool drawn = false;        // the inner arms are on the screen
  bool outer_drawn = false;  // the outer arms are on the screen
  int separator_x = 0;       // the panel's separator line
  int separator_top = 0;
};
extern PanelPointer g_panel_pointer;

// Computes the bracket from the current window (the list) to the side panel whose top and bottom
// rows are given in medium-font rows, and draws it.
void show_side_panel_pointer(int panel_top_row, int panel_bottom_row);
// 1: draws the bracket (XOR); 0: takes it away again and draws the panel's separator line.
void draw_side_panel_pointer(int draw);

// Test hooks
void reset_value_bar();
