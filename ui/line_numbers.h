// Line numbers of editing buffers: each line carries its number as its i32 key (hidden lines
// repeat the number before them; lines counted from the end of a file not read to its end are
// -1, -2, ...); the window's line count says whether the numbering is still right.
#pragma once

#include <cstdint>

// Numbers the active window's lines when its line count says they must be; the number of the
// last line numbered, or 0 when nothing was to be done. With stop_early the walk stops at the
// cursor line while input waits (the rest is numbered later).
int32_t number_lines(int16_t stop_early);
// Numbers again from the edited region (the block, else the cursor line) to the list's end.
void renumber_after_edit();

// The go-to number: the line asked for last.
struct LineNumbering {
  int32_t go_to_number = 0;
};
inline LineNumbering g_line_numbering;

// Puts the cursor on line n (1 the first). A negative n asks for the number first; 0 walks the
// whole list (loading the whole file) and moves nothing.
void go_to_line(int32_t n);
// The cursor line's number and the line count on the active window's top frame line.
void draw_line_counter();
// The text of the counter for a window of that many columns; empty when none is drawn.
const char* line_counter_text(int columns, int rows, int32_t key, int32_t count, char* out,
                              int size);
