#include "ui/list_window.h"

#include <algorithm>

#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "ui/text_window.h"

namespace {

// The list mark's cells right of the window, and the list option that asks for it.
constexpr int LIST_MARK_CELLS = 4;
constexpr uint32_t LIST_OPTION_LIST_MARK = 0x4000;

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

void show_list_mark() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || (w->list_options & LIST_OPTION_LIST_MARK) == 0) return;
  if (!g_caret.strip.pixels.pixels.empty()) return;
  const int row = w->top_row + w->cursor_row;
  const int column = w->right_column + 1;
  save_field_strip(row, column, LIST_MARK_CELLS - 2);
  hide_pointer();
  // A blank, two middle dots and the arrow glyph, in the highlight colour.
  draw_text(row, column, "\v \xb7\xb7\b;");
  show_pointer();
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
