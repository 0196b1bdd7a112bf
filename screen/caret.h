// Carets and colour shades. The editor caret is a thin bar at the insertion point whose colour
// cycles while it blinks; the field caret marks the field or line being edited in one of several
// shapes. Both blink from the timer's tick hook over a save-under of the screen.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/canvas.h"
#include "screen/event_queue.h"
#include "screen/palette.h"
#include "screen/screen_attributes.h"

// Field caret shapes
constexpr int16_t CARET_SOLID = 0;
constexpr int16_t CARET_PULSING = 1;
constexpr int16_t CARET_MOVING_DOTS = 2;
constexpr int16_t CARET_DOUBLE_DOTS = 3;
constexpr int16_t CARET_RECTANGLE = 4;
constexpr int16_t CARET_OVAL = 5;
constexpr int16_t CARET_THIN_DOTS = 6;
constexpr int16_t CARET_MEDIUM_DOTS = 7;
constexpr int16_t CARET_THICK_DOTS = 8;
constexpr int16_t CARET_COLOUR_CYCLE = 20;
constexpr int16_t CARET_NESTED = 109;

// Caret mode byte
constexpr uint8_t CARET_MODE_NORMAL = 0;
constexpr uint8_t CARET_MODE_ONCE = 109;    // show the shape once, then freeze
constexpr uint8_t CARET_MODE_FROZEN = 110;  // draws nothing

// Field caret blink states
enum CaretBlinkState : uint8_t {
  CARET_IDLE = 0,
  CARET_XOR_REMOVE = 1,
  CARET_XOR_DUE = 2,
  CARET_XOR_SHOWN = 3,
  CARET_BLOCK_SHOWN = 4,
  CARET_BLOCK_HIDDEN = 5,
  CARET_SHAPED = 6,
};

constexpr uint32_t CARET_ENDLESS = 0xFFFFFFFFu;  // a period that never passes
constexpr int CARET_NEAR = 6;                    // pixels: a control this near the caret

struct CaretState {
  // The field caret
  int16_t shape = CARET_SOLID;
  uint8_t mode = CARET_MODE_NORMAL;
  bool xor_box = false;       // the caret is an XOR frame instead of a shape
  bool block = false;         // the caller asked for a plain inverted block
  int row = 0;
  int extra_rows = 0;
  int column = 0;
  int width = 0;              // cells
  int16_t window_right_column = -1;  // the active window's right column; -1 none
  CaretBlinkState state = CARET_IDLE;
  uint32_t period_ms = 0;
  uint32_t last_toggle_ms = 0;
  int8_t extend_left = 0;     // added to the shape's box; callers set them
  int8_t extend_top = 0;
  int8_t extend_right = 0;
  int8_t extend_bottom = 0;
  int phase = 0;              // dot phase or pen alternation of the shapes
  int shrink = 0;             // pixels a side the shrinking frames are drawn inside their box
  bool hidden_phase = false;  // solid caret: drawn and not drawn in turn
  // The save-under of either caret
  CanvasSaveUnder under;
  // The editor caret
  bool editor = false;        // the editor caret is placed
  int editor_x = 0;           // pixels
  int editor_y = 0;
  int editor_height = 0;
  int editor_cell_width = 0;  // the overwrite width
  int editor_width = 0;
  bool overwrite = false;     // the window is in overwrite mode
  bool first_column = false;  // the cursor stands in the window's first column
  int colour_phase = 0;       // 0-3: blue, red, green, magenta
  bool colour_shown = false;
  int redraw_countdown = 0;
  int blink_divider = 8;
  // A saved strip of the screen: a field's row or the place of a list mark
  CanvasSaveUnder strip;
};
inline CaretState g_caret;

// The field caret over row (low byte; extra rows x 256 above it), column and width cells. A
// negative width counts as positive; a width past the window's right column is cut there.
void show_field_caret(int row_and_extra, int column, int width);
// The field caret's tick hook.
void blink_field_caret();
// Draws the next phase of the shaped caret in a pixel box, through the save-under.
void draw_cursor_bar(int left, int top, int right, int bottom);
// The editor caret at a cell, or at pixel (-column, -row) when either is negative; drawn at once.
void set_editor_caret(int row, int column);
// The editor caret's tick hook.
void blink_editor_caret();
// Stops the blinking and puts back exactly what lay under the caret.
void hide_caret();
// hide_caret, and every caret state back to idle.
void reset_caret();
// Saves one cell row from the column for width + 2 cells (cut at the screen's right edge);
// nothing while a strip is saved. restore_field_strip puts it back and forgets it.
void save_field_strip(int row, int column, int width);
void restore_field_strip();
// Toggles the field caret once when asked, stops its blinking and waits for the next code.
EventCode wait_event_no_blink(bool toggle);
// True when a caret is shown within CARET_NEAR pixels of a rectangle's top-left corner.
bool pointer_near_caret(int left, int top, int right, int bottom);

// A shade of a colour value: lighter for amount > 0, darker below. Greys move evenly; a colour
// moves its weaker channels less, so that it keeps its hue.
inline ColourValue contrast_of(ColourValue rgb, int amount) {
  int channel[3] = {static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                    static_cast<int>((rgb >> 16) & 0xFF)};
  const bool grey = channel[0] == channel[1] && channel[1] == channel[2];
  const int strongest = std::max({channel[0], channel[1], channel[2]});
  const int size = std::abs(amount);
  for (int& c : channel) {
    if (grey) {
      c += amount;
    } else if (strongest - c < size) {
      c += (amount / 3) * 2;
    } else if (strongest - c <= 2 * size) {
      c += amount;
    } else {
      c += (amount / 2) * 3;
    }
    c = std::clamp(c, 0, 255);
  }
  return static_cast<ColourValue>(channel[0] | (channel[1] << 8) | (channel[2] << 16));
}

// The background slot's colour, shaded.
inline ColourValue contrast_colour(int amount) {
  return contrast_of(g_palette.palette[g_attributes.scheme[COLOUR_SLOT_BACKGROUND]], amount);
}
