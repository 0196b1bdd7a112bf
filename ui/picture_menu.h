// The picture grid menu: one picture of the picture file shown as a grid of equal cells (a
// palette of drawing tools, surfaces, line styles), a cell picked with the arrow keys or the
// pointer; and the cell cursor that follows them.
#pragma once

#include "screen/event_queue.h"

constexpr int PICTURE_MENU_MIDDLE = 0x4000;  // added to a cell chosen with the middle button
constexpr const char* PICTURE_MENU_MIDDLE_MESSAGE =
    "You clicked the \vmiddle\x13 mouse button! With this menu you click the \vleft\x13 button "
    "to select, and the \vright\x13 button to cancel.";

// Shows picture `picture` as rows x columns cells below a header band of `header` pixels and
// returns the chosen cell (row x columns + column), with PICTURE_MENU_MIDDLE added when chosen
// with the middle button and `allow_middle` is set, or -1: cancelled, or rows or columns not
// above 0, the header not inside the picture, the picture missing or empty (nothing is drawn
// then). x <= 0 centres the picture on the screen; otherwise (x, y) is its top-left corner,
// moved left and up to keep it off the screen's right edge and its last two rows. The cursor
// starts on `start_cell`. The screen beneath is put back exactly.
int picture_grid_menu(int picture, int rows, int columns, int x, int y, int allow_middle,
                      int header, int start_cell);

// A grid of cells on the screen and the cell the cursor is on.
struct GridCursor {
  int row = 0;
  int column = 0;
  int top = 0;  // pixels of the first cell's top-left corner
  int left = 0;
  int rows = 1;
  int columns = 1;
  int cell_width = 1;  // pixels
  int cell_height = 1;
};

// Shows an XOR cursor on the grid's cell and follows the pointer until the pointer moves to
// another cell (both row and column follow it), a key or a click arrives; the cursor is then
// taken off and a key applied: Home column 0, End the last column, PgUp row 0, PgDn the last row,
// the arrows one cell (never off the grid), and the pointer put on the cell. Returns the event
// that ended it: a click while the pointer is off the grid gives Esc.
EventCode track_grid_cursor(GridCursor* grid);
