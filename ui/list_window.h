// List windows: what the run loop needs of them, the pointer against the list window's rows.
#pragma once

#include <string>

#include "screen/event_queue.h"
#include "screen/text_output.h"

struct TextLine;

// The legend of list windows: the hot letters they answer to.
// Stand-in: the letters and digits; the list windows' own legend comes with them.
constexpr char LIST_WINDOW_LEGEND[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

// 1 when the pointer lies between half a cell above the top row and half a cell below the bottom
// row, and from one cell left of the left column to the right column + 1.
int pointer_in_window();
// For a list window whose options ask for it, saves the four cells right of the window at the
// cursor row and draws the list mark there; restore_field_strip takes it away.
void show_list_mark();
// Clamps the pointer to the active window's rows and columns.
void keep_pointer_in_window();
// With the flag set, puts the pointer on the cursor row when it is not there.
void pointer_to_cursor_row(int flag);

// A line swapped with its neighbour above or below (nothing at the list's end); the window is
// marked changed.
void move_line_up_one(TextLine* line);
void move_line_down_one(TextLine* line);
// The cursor line moved past the previous or next visible line, which becomes the cursor line;
// Up or Down for the run loop to follow the moved line with, 0 at the list's end.
EventCode move_line_up_visible();
EventCode move_line_down_visible();
// With Shift or Ctrl held, 473 and 474 move every checked line one line up or down as a group
// past the unchecked line beyond them: 0. Other codes, or no modifier: the code unchanged.
EventCode move_checked_lines(EventCode code);

// Stand-in: keeps no list position yet, so there is nothing to forget.
inline void forget_list_position() {}
// Stand-in: draws the line as a window line; no check boxes or end marks yet.
inline void draw_check_list_line(int row, TextLine* line) { draw_window_line(row, line); }
// Stand-in: repaints nothing, so a pending pop-up change waits for the window's own redraw (0).
inline int repaint_on_event(EventCode /*event*/) { return 0; }

// ---- The pointer over list and form rows ----------------------------------------------------

// Follows a pointer that moved along its row: the step key (328 or 336) once it leaves the row;
// 27 (mode != 0) or 329 for a right click, 430 for a left click outside the window, 331 or 333
// past the window's sides where the list options allow leaving; a key returns the step so far.
// 0 when the last pointer event was not a move.
EventCode pointer_to_field_step(int mode);
// Up or Down keys toward the row under the pointer, pushed back for the run loop; the first of
// them is returned. 0 when the pointer is on the cursor row.
EventCode pointer_row_to_keys();
// Keeps the pointer's column on the current field's value (width cells from the value column).
void keep_pointer_in_field(int width);

// Appends the end marks of a list line to *text (the third-colour bar, then the second-colour
// arrow: up on the first line, down on the last) and, on the window's bottom row, writes in the
// tiny face under the row whether the list goes on.
void draw_list_end_mark(const TextLine* line, int row, std::string* text);
