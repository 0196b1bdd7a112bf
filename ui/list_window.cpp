#include "ui/list_window.h"

#include <algorithm>

#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "ui/text_window.h"

namespace {

// Pointer shapes whose hot spot sits in the middle of a row.
bool shape_points_at_row_middle(int shape) { return shape == 3 || shape == 5 || shape == 110; }

}  // namespace

int pointer_in_window() {
  const TextWindow* w = g_windows.active;
  const int ch = g_display.current.cell_height;
  const int cw = g_display.current.cell_width;
  if (w == nullptr || ch <= 0 || cw <= 0) return 0;
  const int x = g_pointer.wanted_x;
  const int y = g_pointer.wanted_y;
  const bool rows_ok = y >= w->top_row * ch - ch / 2 && y <= (w->bottom_row + 1) * ch + ch / 2;
  const bool columns_ok = x >= (w->left_column - 1) * cw && x < (w->right_column + 2) * cw;
  return rows_ok && columns_ok ? 1 : 0;
}

void keep_pointer_in_window() {
  const TextWindow* w = g_windows.active;
  const int ch = g_display.current.cell_height;
  const int cw = g_display.current.cell_width;
  if (w == nullptr || ch <= 0 || cw <= 0) return;
  g_pointer.wanted_x = std::clamp(g_pointer.wanted_x, w->left_column * cw,
                                  (w->right_column + 1) * cw - 1);
  g_pointer.wanted_y = std::clamp(g_pointer.wanted_y, w->top_row * ch, (w->bottom_row + 1) * ch - 1);
}

void pointer_to_cursor_row(int flag) {
  const TextWindow* w = g_windows.active;
  const int ch = g_display.current.cell_height;
  if (flag == 0 || w == nullptr || ch <= 0) return;
  const int row = w->top_row + w->cursor_row;
  if (g_pointer.wanted_y / ch == row) return;
  g_pointer.wanted_y = shape_points_at_row_middle(g_pointer.shape) ? row * ch + ch / 2
                                                                    : (row + 1) * ch - 2;
}
