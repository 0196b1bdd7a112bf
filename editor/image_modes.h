// The background image's interactive work on the Drawing page: straightening it along a line the
// user drags, and fading it with the value bar while the rows are worked a slice at a time, so
// that keys are answered at once. Both work on the image's work copy.
#pragma once

#include <cstdint>

#include "platform/image_library.h"
#include "screen/event_queue.h"

// What the fading mode keeps between its calls.
struct ImageFaintness {
  int percent = 0;           // 0 .. 100: how faint the user asked the image to be
  int done_rows = 0;         // rows (from the top) of the work copy already made at `percent`
  int shown_rows = 0;        // rows the caller has been given to show since the last change
  ImageDescriptor original;  // the image as it was, shared; Esc gives it back at its own depth
};
extern ImageFaintness g_image_faintness;

// Sends the help and status texts to the line above the screen's last; returns the routing it
// replaced, for the caller to put back in the window layer's help_box_row.
int16_t use_bottom_status_line();

// ---- Straightening -----------------------------------------------------------------------------
// What straighten_image gives when it turned the image.
constexpr EventCode IMAGE_STRAIGHTENED = 450;
// The user drags a line along an edge of the image (left button; the right button moves the whole
// line) or types its angle; the value bar shows the angle in degrees. Enter (or OK) gives 13 with
// the angle in *degrees (0 .. 360, counter-clockwise from the right); Esc or Cancel 27; '+', '-',
// '=', the arrow and page keys, a quit or a redraw end it with their own code.
EventCode pick_straighten_line(double* degrees);
// Copies the image into the work copy, lets the user pick the line, turns the image back by the
// line's deviation from the nearest axis (a line on an axis is asked for again) and makes it the
// image: 450. Esc gives 27 and a key that ends the line its own code, the image left as it was.
EventCode straighten_image();

// ---- Fading ------------------------------------------------------------------------------------
// Brings the work copy (a copy of the image's descriptor) to a depth it can be faded in, keeps
// the copy the fading starts from and opens the value bar with "Faintness" and "Zoom". 0, or with bit 0x8000 set when it failed (the
// work copy is then as it was).
int begin_image_faintness(ImageFaintness* state);
// Works the rows and answers the user: 0 when there are rows for the caller to show (all of them,
// or those done when a tick came); else the key that ended it: 13 (kept), 27 (the image as it
// was put back into the work copy), '+', '-', '=', a quit or a redraw.
EventCode adjust_image_faintness(ImageFaintness* state);
// What a slice of work does next: go on, stop for a key or button press (put back into the
// queue), or let the caller show the part done when a tick came.
enum class ImageWorkCheck { GO_ON, STOP, SHOW };
ImageWorkCheck check_input_during_image_work();

// ---- Moving ------------------------------------------------------------------------------------
// Moves the image with the drawing editor's move command on a frame of its size. 0 moved, -1 not.
int move_image_with_frame();

// Test hooks
void reset_image_modes();
