// The program's own pointer: where it is drawn and wanted, and the motion and button state that
// the form's handlers keep for it.
#pragma once

#include <cstdint>

#include "platform/canvas.h"
#include "screen/event_queue.h"

// Relative mode: the system cursor is kept inside a box around the pointer; 'h' is its drag form,
// which a left-button release ends.
constexpr uint8_t POINTER_RELATIVE_OFF = 0;
constexpr uint8_t POINTER_RELATIVE_DRAG = 'h';

// Stand-in: the picture drawn is a plain arrow and nothing is hovered.
struct PointerState {
  int drawn_x = 0;  // client pixels of the hot spot where the pointer was last drawn
  int drawn_y = 0;
  int wanted_x = 0;  // where it is to be drawn next
  int wanted_y = 0;
  bool drawn = false;   // the picture is on the screen
  int16_t shape = 1;    // picture number; 0 = no pointer
  int16_t hot_dx = 0;   // pixels from the picture's top-left corner to the hot spot
  int16_t hot_dy = 0;
  bool released = true;  // the system cursor is visible and the program's pointer is not drawn
  uint8_t relative_mode = POINTER_RELATIVE_OFF;
  int capture_reset_count = 0;  // this many mouse_delta calls first take the cursor as reference
  bool delta_busy = false;      // mouse_delta is reading the cursor
  uint8_t button_bits = 0;      // WINDOW_BUTTON_* held, as the program saw them go down
  int cursor_x = 0;             // system cursor when last read, client pixels
  int cursor_y = 0;
  int reference_x = 0;          // motion reference: the cursor at the last mouse_delta
  int reference_y = 0;
  int set_cursor_count = 0;     // cursor-shape requests while captured (the timer reads it)
  int move_count = 0;           // moves seen by the form
  int scroll_accumulator = 0;   // vertical pixels moved since the last scroll code
  EventCode pending_scroll_code = 0;  // scroll code that the list windows take next, or 0
  EventCode scroll_up_key = KEY_UP;     // the active window's scroll codes, which the wheel and
  EventCode scroll_down_key = KEY_DOWN; // vertical motion make; the interface chooses them
  CanvasSaveUnder under;        // the screen under the drawn arrow; empty while none is drawn
};
extern PointerState g_pointer;

// Drawing
// Draws the pointer at its wanted position (when it may be drawn at all).
void show_pointer();
// Takes the pointer off the screen, putting back what was under it.
void hide_pointer();

// Hover
void clear_hover();

// Test hooks
void reset_pointer();
