// List windows: menus, check-box lists, pick lists and the load and filter lists are text windows
// whose lines are items. Their columns are areas (a mark column, the line text, move and button
// columns at the right); keys, clicks and pointer motion become list commands for the run loop:
// toggle a check, move a line, edit a line in place, accept, leave. The window's cursor column
// holds the current area, not a text column.
#pragma once

#include <cstdint>
#include <string>

#include "screen/event_queue.h"
#include "screen/text_output.h"

struct TextLine;
struct TextWindow;

// The legend of list windows: the scroll keys they answer to, as the low bytes of their codes
// (Up, Down, PgUp, PgDn, Ctrl+Down, Ctrl+Up, 439, 440, Ctrl+PgUp, Ctrl+PgDn).
constexpr char LIST_WINDOW_LEGEND[] = "HPIQ\x91\x8D\xB7\xB8\x84v";

// ---- List options and area kinds ----------------------------------------------------------------

constexpr uint32_t LIST_MARK_MOVE = 0x01;       // a left mark column of move arrows
constexpr uint32_t LIST_MARK_CHECK = 0x02;      // a left check box
constexpr uint32_t LIST_MARK_SELECT = 0x08;     // a left column of plain selection
constexpr uint32_t LIST_MARK_COLUMN = LIST_MARK_MOVE | LIST_MARK_CHECK | LIST_MARK_SELECT;
constexpr uint32_t LIST_TEXT_FIRST = 0x04;      // the text is area 0 (no mark column)
constexpr uint32_t LIST_RIGHT_MOVE = 0x20;      // area 1 at the right: a move column
constexpr uint32_t LIST_RIGHT_CHECK = 0x40;     // area 1 at the right: a check column
constexpr uint32_t LIST_END_MARKS = 0x80;       // end-of-list marks at the right
constexpr uint32_t LIST_RIGHT_BOX = 0x100;      // a check box at the right end of each line
constexpr uint32_t LIST_RIGHT_BUTTON = 0x200;   // area 2 is a button column
constexpr uint32_t LIST_FAR_CHECK = 0x800;      // area 3 is a check column
constexpr uint32_t LIST_FAR_BUTTON = 0x1000;    // area 3 is a button column
constexpr uint32_t LIST_ROW_KEYS = 0x8000;      // a click on another row becomes Up/Down keys
constexpr uint32_t LIST_SPACE_TOGGLES = 0x142;  // Space toggles and moves down; Ctrl+U unchecks

constexpr int LIST_KIND_MOVE = 1;       // Up and Down move the line; a click is returned
constexpr int LIST_KIND_CHECK = 2;      // Enter, a click or Space toggle the check
constexpr int LIST_KIND_TEXT = 4;       // typing edits the line in place
constexpr int LIST_KIND_SELECT = 8;     // plain selection
constexpr int LIST_KIND_BUTTON = 16;    // a click is returned as 432

// Codes the list filters give the run loop beyond the window command codes.
constexpr EventCode LIST_CLICK_ACCEPT = 431;     // Enter by a click where Enter accepts
constexpr EventCode LIST_TOGGLED = 452;          // a check was toggled
constexpr EventCode LIST_LEAVE = 476;            // Left out of the list's first area
constexpr EventCode LIST_HELP = 5315;            // F1 in a text area
constexpr EventCode LIST_DRAW_CURSOR_LINE = 5002;

// Program-wide list state.
struct ListState {
  uint8_t drag_check = 255;      // 255 idle; 0 or 1: the check a held left button paints onto
                                 // the lines it passes
  int16_t max_checked = 0;       // most lines that may be checked; 0 = no maximum
  int max_checked_message = 0;   // the catalogue message that says so (%d checked, %d most)
  int help_topic = 0;            // the help topic of the current list
  int remembered_row = -1;       // restore_list_position's row; -1 none
};
extern ListState g_list;

// ---- Areas ----------------------------------------------------------------------------------------

// The number of areas of the active window (1 to 4).
int list_area_count();
// What Enter and a click mean in an area of the active window (LIST_KIND_*).
int list_area_kind(int area);
// The area under the pointer: -1 outside the window's rows and columns; 0 the mark column; 1-3
// the text and the right columns; -2 the right edge of a list without right columns.
int list_area_at_pointer();
// The pointer shape by the area kind under the pointer; it becomes the dialog pointer shape.
void set_list_pointer_shape();

// ---- Drawing ------------------------------------------------------------------------------------

// The line drawer of check-box lists: left box, text cut or padded to the room, right box, end
// marks.
void draw_check_list_line(int row, TextLine* line);
// Appends the end marks of a list line to *text (the third-colour bar, then the second-colour
// arrow: up on the first line, down on the last) and, on the window's bottom row, writes in the
// tiny face under the row whether the list goes on.
void draw_list_end_mark(const TextLine* line, int row, std::string* text);
// For a list window whose options ask for it, saves the four cells right of the window at the
// cursor row and draws the list mark there; restore_field_strip takes it away.
void show_list_mark();

// ---- Reading commands -------------------------------------------------------------------------

// The key filter of editable list windows: a command code for the run loop.
EventCode list_key_filter();
// One command of a menu or pick-list window, for filters that add commands of their own.
EventCode read_list_command();
// A check-box list whose last line is a text entry; accepting gives the checked lines as the bits
// of g_check_choice.mask. Its line drawer writes the boxes.
EventCode check_choice_key_filter();
void draw_choice_check_line(int row, TextLine* line);
// The tick hook of list windows: 5001 when the lines changed or a redraw is pending, else 0.
EventCode list_repaint_tick();
// One event through the form event reader; then the cursor line is drawn again.
EventCode read_list_event(int mode);

// The check-choice list's result and entry: set the mask with bit 31 before the run to preset
// the checks; after an accept it holds bit k for the k-th line that is not a separator.
struct CheckChoice {
  uint32_t mask = 0;
  size_t fixed_length = 0;  // bytes of the entry line that typing does not touch
};
extern CheckChoice g_check_choice;

// ---- Moving and clearing lines -------------------------------------------------------------

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
// n lines from `line` become empty lines (text "\n"), lose their extra block and are flagged for
// redraw.
void clear_lines(TextLine* line, int n);
// 1 when no byte of the text is above a blank.
int is_blank_text(const char* text);

// ---- The pointer over list and form rows ----------------------------------------------------

// 1 when the pointer lies between half a cell above the top row and half a cell below the bottom
// row, and from one cell left of the left column to the right column + 1.
int pointer_in_window();
// Clamps the pointer to the active window's rows and columns.
void keep_pointer_in_window();
// With the flag set, puts the pointer on the cursor row when it is not there.
void pointer_to_cursor_row(int flag);
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
// Pointer shape 92 until the pointer enters the pixel box (the event is returned), a key comes
// (its code) or a click (27).
EventCode wait_pointer_in_box(int top, int left, int bottom, int right);

// ---- List position memory -------------------------------------------------------------------

void forget_list_position();
// Redraws the current pop-up and puts the area and text column on 0.
void focus_list_lines();
// After a full redraw: the window scrolls by pages again and the cursor line goes down until it
// reaches the remembered row (at most n lines).
void restore_list_position(int n);
void advance_to_remembered_row();

// When a window is active and no redraw is held back, a 5001 or a pending repaint redraws the
// window below, the pop-ups and the frame: 1; else 0.
int repaint_on_event(EventCode event);

// Test hooks
void reset_list_state();
