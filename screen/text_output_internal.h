// What the text drawing and the window line drawer share.
#pragma once

#include "platform/canvas.h"

// Gives the screen canvas the face of the current cell metrics and returns its cell size; false
// (nothing can be drawn) when the face is missing.
bool select_screen_face(int* cell_width, int* cell_height);
// Hides the program's pointer when it is drawn within 32 pixels above or below a text row.
void hide_pointer_near_row(int y, int cell_height);
// Fills a pixel rectangle with a palette colour.
void fill_screen_rect(CanvasRect rect, int palette_index);
// Draws the collected run at (x, y) in a palette colour, on an opaque background of another
// palette colour or transparently; empties the run and returns the x after it.
int draw_text_run(int x, int y, int colour, bool opaque, int background);
