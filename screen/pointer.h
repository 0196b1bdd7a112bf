// The program's own pointer: a 32 x 32 picture drawn over a saved copy of the screen, where it is
// drawn and wanted, its shape and hot spot, and the motion and button state that the form's
// handlers keep for it.
#pragma once

#include <cstdint>

#include "platform/canvas.h"
#include "screen/event_queue.h"

// Relative mode: the system cursor is kept inside a box around the pointer; 'h' is its drag form,
// which a left-button release ends.
constexpr uint8_t POINTER_RELATIVE_OFF = 0;
constexpr uint8_t POINTER_RELATIVE_ON = 1;
constexpr uint8_t POINTER_RELATIVE_DRAG = 'h';

// Pointer shapes the screen services choose themselves.
constexpr int16_t POINTER_NONE = 0;
constexpr int16_t POINTER_ARROW = 1;
constexpr int16_t POINTER_TEXT = 5;           // inside a list or editor window, over an entry
constexpr int16_t POINTER_BELOW_DRAWING = 11;
constexpr int16_t POINTER_HAND = 16;          // over a control or a page tab
constexpr int16_t POINTER_TITLE_BAND = 18;    // over the free title band: drags the form
constexpr int16_t POINTER_WAIT = 86;
constexpr int16_t POINTER_OUTSIDE_WINDOW = 92;
constexpr int16_t POINTER_CROSSHAIR = 101;
constexpr int16_t POINTER_HAND_PRESSED = 109;  // over a control with a button held
constexpr int16_t POINTER_LAST_SHAPE = 148;

constexpr int POINTER_SIZE = 32;  // pixels, both ways

// The two top bits of a window's flag word: the window is being drawn, the pointer stays hidden.
constexpr uint32_t POINTER_WINDOW_DRAWING_BITS = 0xC0000000u;

// Scrolling by dragging with the middle button: bursts of scroll codes, held off and damped so
// that a flick does not race through a list.
struct MiddleDragScroll {
  uint32_t burst_start_ms = 0;  // clock at the start of the last burst
  int hold_off = 0;             // moves still ignored after a burst started
  int damping = 0;              // moves still cut to one code
  EventCode last_direction = 0;  // 397 up, 401 down, 0 none
};

struct PointerState {
  int drawn_x = 0;  // client pixels of the hot spot where the pointer was last drawn
  int drawn_y = 0;
  int wanted_x = 0;  // where it is to be drawn next
  int wanted_y = 0;
  bool drawn = false;   // the picture is on the screen
  int16_t shape = 1;    // picture number; 0 = no pointer
  int16_t requested_shape = 1;  // the last shape asked for
  int16_t hot_dx = 0;   // pixels from the picture's top-left corner to the hot spot
  int16_t hot_dy = 0;
  int16_t glide_delay = 1280;  // delay units of a whole glide
  bool released = true;  // the system cursor is visible and the program's pointer is not drawn
  uint8_t relative_mode = POINTER_RELATIVE_OFF;
  int capture_reset_count = 0;  // this many mouse_delta calls first take the cursor as reference
  bool delta_busy = false;      // mouse_delta is reading the cursor
  bool warps_refused = false;   // the system refused to move its cursor: the pointer follows the
                                // cursor's motion from wherever it is and is never put under it
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
  uint32_t* window_flags = nullptr;  // the active window's flag word, which the interface points
                                     // at when it activates a window; null: none
  CanvasSaveUnder under;        // the screen under the drawn picture; empty while none is drawn
  MiddleDragScroll middle_drag;
};
extern PointerState g_pointer;

// Drawing
// Draws the pointer at its wanted position (when it may be drawn at all).
void show_pointer();
// Takes the pointer off the screen, putting back what was under it.
void hide_pointer();
// Hides the pointer when it is not drawn at its wanted position, then shows it there.
void move_pointer();
// Forgets the save-under without putting it back: the screen below is about to be redrawn.
void forget_pointer_background();
// Draws the picture of the current shape with its hot spot on the drawn position, moved by
// (dx, dy), saving the screen below first; restore_pointer_background puts that back.
void paint_pointer_sprite(Canvas* canvas, int dx, int dy);
void restore_pointer_background(Canvas* canvas);
// Chooses the picture (the absolute value of n) and its hot spot; asking for the last requested
// shape again changes nothing.
void set_pointer_shape(int n);
// The hot spot of a shape, pixels from the picture's top-left corner.
void pointer_hot_spot(int shape, int16_t* dx, int16_t* dy);
// The picture of a shape; shapes without their own picture show the arrow.
const CanvasSprite& pointer_picture(int shape);
// Clears the two top flag bits of the active window: the pointer may be drawn again.
void clear_window_drawing_bits();

// Waits until no button is held, at most 7 ticks; then drops a button release waiting at the
// front of the queue and forgets the buttons.
void wait_buttons_released();

// Gliding
// x = POINTER_GLIDE_SET_DELAY only sets the glide step delay to y.
constexpr int POINTER_GLIDE_SET_DELAY = -30000;
// Moves the pointer smoothly to (x, y). A negative x: motion does not abort the glide; a negative
// y: one-pixel steps, stopped by a click or a character. A key typed meanwhile slows the glide
// and stays queued; only motion and ticks are taken from the queue.
void glide_pointer(int x, int y);

// Test hooks
void reset_pointer();
