// The caret and the marked block of a text window's editor: the four cursor movement hooks
// (text-style for editors, list-style for lists), the caret's screen column, moving between
// lines, deleting, and the block commands that delete, copy, cut and append the block.
#pragma once

#include <cstdint>
#include <string>

#include "screen/event_queue.h"

struct TextLine;

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
// The byte of the text where screen column `wanted` (0 the first) starts, or the line's end
// (before its newline) when it is shorter; *reached is the column found there.
size_t byte_at_screen_column(const std::string& text, int wanted, int* reached);
// The screen column (0 the first, the horizontal scroll not taken off) where byte `target` of
// the text starts; a tab takes the columns to its stop, codes without a column none.
int screen_column_of_byte(const std::string& text, size_t target);
// The cursor column and caret x from the text column.
void screen_column_from_text();
// Scrolls the window sideways so that the caret is inside it.
void keep_caret_in_view();
// Shown characters before the text column.
int16_t cursor_display_column();

// Lines: 1 moved, -1 moved with the view scrolling, 0 no line there.
int editor_line_up();
int editor_line_down();
// Deletes at the caret: 1 deleted, 0 nothing, -1 at the text's end.
int editor_delete_char();
// Deletes the cursor line or the checked lines (code 0, 453 or 467); 0 done, -1 refused.
int editor_delete_line(EventCode code);
// Whether Enter copies the indent: not in text and document files (.T*, .D*, any case).
bool auto_indent_allowed();
// The extension after the last '.' of the path's last element, or null.
const char* file_extension_of(const char* path);

// The marked block
void start_block_at_cursor();
// edge 0 the start, 1 the end at the caret.
void set_block_edge_at_cursor(int edge);
// A block whose text opens a colour run takes the run's closing code (and a blank after it).
void include_closing_code();
// Puts the block's start before its end; an empty block stays empty.
void normalize_marked_block();
// 1 when the caret lies in the block.
int cursor_in_block();
// Flags the block's lines for redraw and drops the block; marking and block drags end.
void clear_marked_block();
// 127 delete, 426 copy to the system clipboard, 429 copy, 454 append copy, 458 cut.
void block_command(EventCode code);
// The text with a newline turned into CR LF; 1 when that happened.
int copy_line_crlf(const char* text, std::string* output);
// One text to the system clipboard with CR LF line ends; the number of bytes.
int copy_text_to_system_clipboard(const char* text);

// The case of the marked block; with no block a notice says to mark one.
enum CaseChange : uint8_t { CASE_UPPER, CASE_LOWER, CASE_CAPITALS };
void change_block_case(CaseChange change);

// Pasting at the caret: the text clipboard (from_system false) or the system clipboard. The pasted
// text becomes the marked block and the caret goes to its end; 0 done, -1 nothing or refused.
int paste_lines(bool from_system);
