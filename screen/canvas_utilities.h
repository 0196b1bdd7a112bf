// Small drawing routines on the drawing canvas: the canvas the drawing views draw on, which is
// the form's canvas (the screen canvas of text output). Coordinates are canvas pixels.
#pragma once

// A rectangle with the canvas's current pen and brush; corners in either order.
void canvas_rect(int left, int top, int right, int bottom);
// A line with the current pen; like every thin line it leaves out its end pixel.
void canvas_line(int x1, int y1, int x2, int y2);
// A rubber-band line: pure red (RGB 255, 0, 0) in the XOR mix, so drawing it again removes it.
// The canvas stays in the XOR mix afterwards, ready for the next band.
void canvas_xor_line(int x1, int y1, int x2, int y2);
