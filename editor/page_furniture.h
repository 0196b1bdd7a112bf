// The Drawing page's screen around the drawing: the prompt band, the mouse-button legend, the
// message area, the coordinate read-out, the grid and axis-lock indicators and the rulers; and
// the indicator state they show.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

constexpr uint8_t INDICATOR_LOCKED = 0x40;  // bit of the grid switch and the axis lock
constexpr uint8_t AXIS_FREE = 0;
constexpr uint8_t AXIS_X_FIXED = 1;
constexpr uint8_t AXIS_Y_FIXED = 2;
constexpr uint8_t RULERS_NONE = 0;
constexpr uint8_t RULERS_TICKS = 1;
constexpr uint8_t RULERS_GRID = 2;
constexpr uint8_t RULERS_PRINTING = 0x80;
// Modes of show_grid_state and cycle_axis_lock: change without drawing.
constexpr int INDICATOR_CHANGE_ONLY = 33;
// Picture of the axis-lock button: this number plus the lock, negated in the control.
constexpr int16_t AXIS_LOCK_PICTURE = -207;

struct PageFurniture {
  uint8_t grid_switch = 0;     // 0/1 grid snapping on; INDICATOR_LOCKED keeps it
  uint8_t axis_lock = AXIS_FREE;  // AXIS_*; INDICATOR_LOCKED keeps it
  uint8_t ruler_style = RULERS_NONE;  // RULERS_*, | RULERS_PRINTING while printing
  uint8_t zoom_on_goto = 0;    // the go-to command zooms to the point
  uint8_t read_out = 1;        // the coordinate read-out is drawn
  uint8_t prompt_covers_tabs = 0;  // show_prompt drew over the page tabs
  DrawingItem* next_item = nullptr;      // the resumable redraw's next drawing item
  DrawingItem* next_template = nullptr;  // and its next template item; both null when idle
};
extern PageFurniture g_furniture;

// ---- bands and texts ----
// Redraws the page frame: tabs, bands, legend, page strip; and the drawing when redraw != 0.
void reset_drawing_screen(int redraw);
void close_item_panel();
void clear_legend_band();
void show_prompt(const char* text);
void show_message_area(const char* text);
// The mouse pictures and the names of the bound commands (names_only: the names alone).
void draw_button_legend(int names_only);
// mode > 0 toggles first (INDICATOR_CHANGE_ONLY: without drawing); mode >= 0 draws.
void show_grid_state(int mode);
void cycle_axis_lock(int mode);
void show_cursor_xy();
// The rulers or grid lines by the ruler style; top: pixels left free above them.
void draw_rulers(int top);
// The steps of the rulers for a view span: the step and the decimals of its labels; false when
// the span is too small for rulers.
bool ruler_step(double span, double* step, int* decimals);
void draw_material_outline();

// Test hooks
void reset_page_furniture();
