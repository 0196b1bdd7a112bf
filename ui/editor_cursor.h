// The caret and the marked block of a text window's editor: the four cursor movement hooks
// (text-style for editors, list-style for lists), the caret's screen column, and the block
// commands that delete, copy, cut and append the block.
#pragma once

#include "screen/event_queue.h"

// Text-style hooks
void cursor_to_line_start();
void cursor_to_line_end();
// One position right (key 333, or 442 to go on into the blank space after the text); 1 moved.
int cursor_right_in_line(EventCode key);
// One position left; 1 moved.
int cursor_left_in_line();

// List-style hooks: the cursor column is the list window's current area.
void list_cursor_to_line_start();
void list_cursor_to_line_end();
int list_cursor_right(EventCode key);
int list_cursor_left();

// The caret's column
// The text column under the cursor column (after the cursor line changed).
void caret_to_screen_column();
// The cursor column and caret x from the text column.
void screen_column_from_text();

// The marked block
// Flags the block's lines for redraw and drops the block; marking and block drags end.
void clear_marked_block();
// 127 delete, 426 copy to the system clipboard, 429 copy, 454 append copy, 458 cut.
void block_command(EventCode code);
// Deletes the cursor line or the checked lines (code 0, 453 or 467); 0 done, -1 refused.
int editor_delete_line(EventCode code);
