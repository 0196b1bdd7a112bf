#include "ui/editor_cursor.h"

#include "ui/run_window.h"
#include "ui/text_window.h"

void cursor_to_line_start() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  if (w->horizontal_scroll != 0) request_full_redraw();
  w->cursor_column = 0;
  w->text_column = 0;
  w->horizontal_scroll = 0;
  w->caret_x = 0;
}

// Stand-in: does not move the caret.
void cursor_to_line_end() {}

// Stand-in: never moves.
int cursor_right_in_line(EventCode /*key*/) { return 0; }

// Stand-in: never moves.
int cursor_left_in_line() { return 0; }

void list_cursor_to_line_start() {
  if (g_windows.active != nullptr) g_windows.active->cursor_column = 0;
}

void list_cursor_to_line_end() {
  if (g_windows.active != nullptr) g_windows.active->cursor_column = 3;
}

int list_cursor_right(EventCode /*key*/) {
  if (g_windows.active == nullptr) return 0;
  g_windows.active->cursor_column++;
  return 1;
}

int list_cursor_left() {
  if (g_windows.active == nullptr) return 0;
  g_windows.active->cursor_column--;
  return 1;
}

// Stand-in: leaves the text column as it is.
void caret_to_screen_column() {}

// Stand-in: leaves the cursor column and caret x as they are.
void screen_column_from_text() {}

void clear_marked_block() {
  TextLine* line = g_lists.block_start;
  TextLine* end = g_lists.block_end;
  while (line != nullptr) {
    line->state |= LINE_STATE_REDRAW;
    if (line == end) break;
    line = line->next;
  }
  g_windows.redraw_pending = 1;
  g_lists.block_start = nullptr;
  g_lists.block_end = nullptr;
  g_run.marking = 0;
  g_run.drag_presses = 0;
}

// Stand-in: acts on no block.
void block_command(EventCode /*code*/) {}

// Stand-in: deletes nothing and reports a refusal.
int editor_delete_line(EventCode /*code*/) { return -1; }
