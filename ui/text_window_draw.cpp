// Drawing a text window's lines, and the status and help lines.
#include <algorithm>

#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/line_fold.h"
#include "ui/text_window.h"
#include "ui/text_window_internal.h"

namespace {

bool is_code_byte(unsigned char b) { return b != 0 && b < 32 && b != '\t' && b != '\n'; }

// Blanks exactly the cells of rows top..bottom of the window; a fill in cells would reach one
// pixel into the row above and take the descenders off the last line drawn.
void clear_cells(const TextWindow* w, int top, int bottom) {
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  fill_cells(top * ch, w->left_column * cw + 1, (bottom + 1) * ch - 1,
             (w->right_column + 1) * cw - 1, FILL_PIXELS);
}

// Blanks rows from `row` to the window's bottom row, unless clearing is suppressed or a redraw
// of the whole screen follows anyway.
void clear_rows_from(const TextWindow* w, int row) {
  if (g_windows.suppress_clear || g_form.redraw_level != 0 || row > w->bottom_row) return;
  clear_cells(w, row, w->bottom_row);
}

// A hidden cursor line gives way to its visible neighbour.
TextLine* visible_cursor_line() {
  TextLine* line = g_lists.cursor_line;
  if (line != nullptr && (line->kind & LINE_KIND_HIDDEN) != 0) {
    TextLine* neighbour = next_visible_line(line);
    if (neighbour == nullptr) neighbour = prev_visible_line(line);
    if (neighbour != nullptr) g_lists.cursor_line = line = neighbour;
  }
  return line;
}

// The line shown on the window's top row: cursor row visible lines above the cursor line, or the
// first line when the list begins sooner.
TextLine* top_line(const TextWindow* w) {
  TextLine* line = visible_cursor_line();
  for (int i = 0; i < w->cursor_row && line != nullptr; ++i) {
    TextLine* previous = prev_visible_line(line);
    if (previous == nullptr) break;
    line = previous;
  }
  return line;
}

// Draws the rows of the window: every line, or only those flagged for redraw.
void draw_rows(const TextWindow* w, bool every_line) {
  TextLine* line = top_line(w);
  WindowLineDrawer drawer = g_windows.line_drawer;
  for (int row = w->top_row; row <= w->bottom_row; ++row) {
    if (line == nullptr) {
      clear_rows_from(w, row);
      return;
    }
    const bool flagged = (line->state & LINE_STATE_REDRAW) != 0;
    if (every_line || flagged) {
      if (drawer != nullptr) drawer(row, line);
      if (flagged && (!every_line || !g_windows.keep_redraw_bits))
        line->state &= static_cast<uint8_t>(~LINE_STATE_REDRAW);
    }
    line = next_visible_line(line);
  }
}

// Windows drawn by repaint_window_line lay their lines out in the smallest face over a window
// measured in normal cells.
void draw_small_face_lines(const TextWindow* w) {
  if (!g_windows.suppress_clear) clear_cells(w, w->top_row, w->bottom_row);
  const int normal_height = g_display.presets[FACE_ROLE_NORMAL].cell_height;
  const int smallest_height = g_display.presets[FACE_ROLE_TINY].cell_height;
  const int count = smallest_height > 0 ? w->rows * normal_height / smallest_height : w->rows;
  TextLine* line = g_lists.cursor_line;
  for (int i = 0; i < count && line != nullptr; ++i) {
    repaint_window_line(w->top_row + w->cursor_row + i, line);
    line = next_visible_line(line);
  }
}

void finish_redraw(TextWindow* w) {
  g_windows.full_redraw_count = 0;
  g_lists.lines_changed = 0;
  g_windows.redraw_pending = 0;
  g_windows.suppress_clear = false;
  w->flags &= ~WINDOW_FULL_REDRAW;
}

}  // namespace

void redraw_window_lines() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  if (g_lists.cursor_line == nullptr) {
    if (!g_windows.suppress_clear) clear_cells(w, w->top_row, w->bottom_row);
  } else if (g_windows.line_drawer == repaint_window_line) {
    draw_small_face_lines(w);
  } else if (g_lists.lines_changed != 0 || g_windows.full_redraw_count != 0) {
    if (g_windows.full_redraw_count != 0) w->flags |= WINDOW_FULL_REDRAW;
    draw_rows(w, true);
  } else {
    draw_rows(w, false);
  }
  finish_redraw(w);
}

void repaint_window_lines() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return;
  draw_rows(w, true);
}

void request_full_redraw() {
  ++g_windows.full_redraw_count;
  g_windows.keep_redraw_bits = false;
}

int block_end_display_column() {
  const TextWindow* w = g_windows.active;
  const TextLine* line = g_lists.block_end;
  if (w == nullptr) return 0;
  const int end = w->block_end_column;
  int column = end + 1;
  if (line == nullptr) return column;
  const int length = std::min<int>(end, line->text_length);
  for (int i = 0; i < length; ++i) {
    const unsigned char b = static_cast<unsigned char>(line->text[i]);
    if (!is_code_byte(b)) continue;
    --column;
    if (b <= 8) ++i;  // an escape pair: its character takes the one column
  }
  return column;
}

void show_status_line(const char* text) {
  if (text == nullptr) return;
  const int16_t saved_base = g_attributes.colour_base;
  const int16_t colours = static_cast<int16_t>(g_windows.help_options);
  if (colours >= 0) set_colour_base(colours & WINDOW_OPTION_COLOUR_MASK);
  if (g_windows.help_options & WINDOW_OPTION_TINY_HELP) {
    draw_text(g_display.current.last_row, TEXT_CENTRE, text);
  } else {
    push_text_metrics();
    g_display.current = g_display.presets[FACE_ROLE_MENU];
    // Two medium cells above the bottom of the screen.
    draw_text(g_display.current.last_row - 1, 0, text);
    pop_text_metrics();
  }
  set_colour_base(saved_base);
  g_windows.status_line_used = true;
}

void show_help_text_line(const char* text) {
  if (text == nullptr || g_windows.help_suppressed) return;
  if (g_windows.help_box_row >= 0) {
    show_status_line(text);
    return;
  }
  const WindowLayer& l = g_windows;
  fill_cells(l.help_box_top, l.help_box_left, l.help_box_bottom, l.help_box_right,
             FILL_PIXELS);
  const int16_t saved_base = g_attributes.colour_base;
  const int16_t options = static_cast<int16_t>(l.help_options);
  if (options < 0 || (options & WINDOW_OPTION_TINY_HELP)) {
    set_colour_base(0);
    const uint8_t opaque = g_text.opaque_text;
    g_text.opaque_text = 0;
    draw_tiny_text(-l.help_box_top, l.help_box_left, text);
    g_text.opaque_text = opaque;
  } else {
    push_text_metrics();
    g_display.current = g_display.presets[FACE_ROLE_MENU];
    draw_text_transparent(-l.help_box_top, l.help_box_left, text);
    pop_text_metrics();
  }
  set_colour_base(saved_base);
}
