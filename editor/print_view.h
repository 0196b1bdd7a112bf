// What the drawing's redraw reads while it draws for the printer: the header lines above the
// drawing, and the whole printed view window, of which the view of one printed band is a part
// (the rulers step and run over the whole of it, not over the band). The printing code fills this
// record before it draws and resets it afterwards; the screen never reads it.
#pragma once

#include <string>

struct PrintedDrawing {
  std::string file_line;        // the job's name and date; empty when not printed
  std::string header_text;      // the user's page header; empty when not printed
  double pixels_per_inch = 300;  // the printer's resolution down the page
  double header_room = 0;       // world units above the drawing each header line takes
  // The whole printed view window, world units: the drawing's extents grown by the room of the
  // header lines and the rulers.
  double window_left = 0;
  double window_top = 0;
  double window_right = 0;
  double window_bottom = 0;
};
extern PrintedDrawing g_printed_drawing;

// The header lines at the top left of the printed window (nothing when both texts are empty).
void draw_print_header();
// The rulers' printing variant: light grey lines across the whole printed window, labelled at
// their top and left ends.
void draw_print_rulers();
// Text in the printer's sans-serif face, `height` pixels to the em, its cell's top-left corner at
// pixel (x, y) of the drawing area, in the canvas's pen colour.
void draw_print_text(int x, int y, const std::string& text, double height);

// Test hooks
void reset_printed_drawing();
