// A framed box of cells that a dialog draws in itself: a text window for its frame, title and
// colours, with the screen beneath (shadow included) kept whatever its size and put back when the
// box closes.
#pragma once

#include <string>

#include "platform/canvas.h"

struct TextLine;

struct FramedBox {
  TextLine* node = nullptr;  // the box's window, null when it could not be made
  CanvasSaveUnder under;     // the screen beneath
  bool saved = false;
};

// Pushes the active window and opens the box over cells top..bottom, left..right (the frame
// lies around them) with the title; draws the frame and the shadow. False when the window could
// not be made (the active window is back then).
bool open_framed_box(FramedBox* box, int top_row, int left_column, int bottom_row,
                     int right_column, const char* title);
// Draws the frame again where it is (after the screen was uncovered).
void redraw_framed_box(FramedBox* box);
// Destroys the box, puts the screen back and makes the window active before it active again.
void close_framed_box(FramedBox* box);
