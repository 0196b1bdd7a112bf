#include "ui/picture_menu.h"

#include <algorithm>

#include "platform/canvas.h"
#include "screen/display_mode.h"
#include "screen/hint_box.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/picture_file.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "ui/message_box.h"

namespace {

constexpr int16_t POINTER_GRID = 3;  // the pointer over a picture menu
constexpr int RIGHT_EDGE_GAP = 8;    // pixels kept free right of a menu

// Puts the XOR cursor on the grid's cell, or takes it off again.
void toggle_cell_cursor(const GridCursor& grid) {
  Canvas* canvas = &g_text.screen;
  if (canvas->target == nullptr) return;
  const CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = 0xFFFFFF;
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas->mix = CANVAS_MIX_XOR;
  const int x = grid.left + grid.column * grid.cell_width;
  const int y = grid.top + grid.row * grid.cell_height;
  for (int inset = 1; inset <= 2; ++inset) {
    canvas_draw_rect(canvas, {x + inset, y + inset, x + grid.cell_width - inset,
                              y + grid.cell_height - inset});
  }
}

void xor_cursor(const GridCursor& grid) {
  hide_pointer();
  toggle_cell_cursor(grid);
  show_pointer();
}

// The pointer follows the mouse's motion, kept on the screen.
void follow_mouse() {
  int dx = 0;
  int dy = 0;
  if (mouse_delta(&dx, &dy) == 0) return;
  g_pointer.wanted_x = std::clamp(g_pointer.wanted_x + dx, 0, static_cast<int>(g_display.screen_width));
  g_pointer.wanted_y = std::clamp(g_pointer.wanted_y + dy, 0, static_cast<int>(g_display.screen_height));
  move_pointer();
}

// The cell under the pointer; false when the pointer is off the grid.
bool cell_at_pointer(const GridCursor& grid, int* row, int* column) {
  const int dx = g_pointer.wanted_x - grid.left;
  const int dy = g_pointer.wanted_y - grid.top;
  if (dx < 0 || dy < 0 || dx >= grid.columns * grid.cell_width || dy >= grid.rows * grid.cell_height) {
    return false;
  }
  *row = dy / grid.cell_height;
  *column = dx / grid.cell_width;
  return true;
}

// The pointer to the cell: a sixth of a cell from its left, halfway down.
void pointer_to_cell(const GridCursor& grid) {
  const int x = grid.left + grid.column * grid.cell_width + grid.cell_width / 6;
  const int y = grid.top + grid.row * grid.cell_height + grid.cell_height / 2;
  // Already there: a warp would only add a motion of nothing to the queue (or undo motion that
  // is already on its way).
  if (x == g_pointer.wanted_x && y == g_pointer.wanted_y) {
    return;
  }
  hide_pointer();
  g_pointer.wanted_x = x;
  g_pointer.wanted_y = y;
  warp_cursor_to_target();
  show_pointer();
}

// A key's move of the cursor; false for a key that moves nothing.
bool apply_key(GridCursor* grid, EventCode code) {
  switch (code) {
    case KEY_HOME: grid->column = 0; break;
    case KEY_END: grid->column = grid->columns - 1; break;
    case KEY_PGUP: grid->row = 0; break;
    case KEY_PGDN: grid->row = grid->rows - 1; break;
    case KEY_UP: grid->row = std::max(grid->row - 1, 0); break;
    case KEY_DOWN: grid->row = std::min(grid->row + 1, grid->rows - 1); break;
    case KEY_LEFT: grid->column = std::max(grid->column - 1, 0); break;
    case KEY_RIGHT: grid->column = std::min(grid->column + 1, grid->columns - 1); break;
    default: return false;
  }
  return true;
}

bool is_click(EventCode code) {
  return code == EVENT_LEFT_DOWN || code == EVENT_MIDDLE_DOWN || code == EVENT_RIGHT_DOWN;
}

bool ignored_while_tracking(EventCode code) {
  return code == EVENT_TICK || code == EVENT_LEFT_UP || code == EVENT_MIDDLE_UP ||
         code == EVENT_RIGHT_UP || (code >= EVENT_CTRL_DOWN && code <= EVENT_ALT_UP);
}

// Where the menu goes: centred for x <= 0, else kept off the right edge and the last two rows.
void place_menu(int width, int height, int* x, int* y) {
  const int right = g_display.screen_width;
  const int bottom = g_display.screen_height;
  const int rows_kept = 2 * g_display.presets[FACE_ROLE_NORMAL].cell_height;
  if (*x <= 0) {
    *x = right / 2 - width / 2;
    *y = bottom / 2 - height / 2;
  } else {
    if (*x + width + RIGHT_EDGE_GAP >= right) *x = right - width - RIGHT_EDGE_GAP;
    if (*y + height >= bottom - rows_kept) *y = bottom - rows_kept - height - 2;
  }
  // As the picture itself is placed: never past the screen's right and bottom.
  *x = std::min(*x, right - width);
  *y = std::min(*y, bottom - height);
}

}  // namespace

EventCode track_grid_cursor(GridCursor* grid) {
  xor_cursor(*grid);
  bool off_grid = false;
  for (;;) {
    const EventCode code = wait_input_code();
    if (code == EVENT_POINTER_MOVE) {
      follow_mouse();
      int row = 0;
      int column = 0;
      off_grid = !cell_at_pointer(*grid, &row, &column);
      if (off_grid || (row == grid->row && column == grid->column)) continue;
      xor_cursor(*grid);
      grid->row = row;
      grid->column = column;
      return code;
    }
    if (ignored_while_tracking(code)) continue;
    xor_cursor(*grid);
    if (is_click(code)) return off_grid ? KEY_ESC : code;
    if (apply_key(grid, code)) pointer_to_cell(*grid);
    return code;
  }
}

int picture_grid_menu(int picture, int rows, int columns, int x, int y, int allow_middle,
                      int header, int start_cell) {
  int height = 0;
  int width = 0;
  if (rows <= 0 || columns <= 0 || picture_size(picture, &height, &width) != 0 || header < 0 ||
      header >= height || width < columns || height - header < rows) {
    return -1;
  }
  hide_hint();
  clear_hover();
  hide_pointer();
  place_menu(width, height, &x, &y);
  Canvas* canvas = &g_text.screen;
  CanvasSaveUnder under;
  canvas_save_under(*canvas, {x - 1, y - 1, x + width + 1, y + height + 1}, &under);
  if (draw_picture(-picture, x, y) != 0) {
    canvas_restore_under(canvas, under);
    show_pointer();
    return -1;
  }
  const int old_x = g_pointer.wanted_x;
  const int old_y = g_pointer.wanted_y;
  const int16_t old_shape = g_pointer.requested_shape;
  GridCursor grid;
  grid.top = y + header;
  grid.left = x;
  grid.rows = rows;
  grid.columns = columns;
  grid.cell_width = width / columns;
  grid.cell_height = (height - header) / rows;
  const int start = std::clamp(start_cell, 0, rows * columns - 1);
  int result = -1;
  for (bool start_again = true; start_again;) {
    start_again = false;
    grid.row = start / columns;
    grid.column = start % columns;
    set_pointer_shape(POINTER_GRID);
    pointer_to_cell(grid);
    for (;;) {
      const EventCode code = track_grid_cursor(&grid);
      if (code == KEY_ESC || code == EVENT_RIGHT_DOWN || code == EVENT_QUIT) break;
      if (code == KEY_ENTER || code == EVENT_LEFT_DOWN) {
        result = grid.row * columns + grid.column;
        break;
      }
      if (code == EVENT_MIDDLE_DOWN) {
        if (allow_middle != 0) {
          result = (grid.row * columns + grid.column) | PICTURE_MENU_MIDDLE;
          break;
        }
        show_text_box(PICTURE_MENU_MIDDLE_MESSAGE, TEXTBOX_WAIT_KEY | TEXTBOX_SCREEN_CENTRE);
        start_again = true;
        break;
      }
    }
  }
  hide_pointer();
  canvas_restore_under(canvas, under);
  set_pointer_shape(old_shape);
  if (result >= 0) {
    // After a choice the pointer goes back to where the menu was asked for.
    g_pointer.wanted_x = old_x;
    g_pointer.wanted_y = old_y;
    warp_cursor_to_target();
  }
  show_pointer();
  return result;
}
