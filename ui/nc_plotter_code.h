// Turning the G-code program of the active buffer into an engraver plotter file in the same
// buffer, through a back-plot of it.
#pragma once

// Back-plots the active buffer (I and J absolute when asked), writes the plotter code of the
// moves in place of the program and names the buffer's file with the extension "plt" (the old
// file on the disk stays as it was; the buffer is marked changed). 0 converted; -2 an empty
// buffer; 27 nothing moved; 1 the program could not be read or plotted (the plot said why) or
// the proof file could not be read. On every answer but 0 the buffer is as it was.
int nc_to_plotter_code(bool absolute_arc_centres);

// Appends the text as a new paragraph line at the end of the current list; false when the line
// could not be made.
bool append_plotter_line(const char* text);
