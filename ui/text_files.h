// A text window's file: reading it into the window's lines (a large file in part) and saving
// the lines back, the unread middle copied from the old file, through the shared safe save.
#pragma once

#include <cstdint>
#include <string>

struct TextLine;
struct TextWindow;

// Reads the window's file (its FileRecord names it) into the window's lines, which it replaces;
// the lines are renumbered and distant runs folded. The window must be active. Returns the lines
// made (0 or more), or -1 when memory ran out (the window then keeps an empty list).
int32_t read_window_file_lines(TextWindow* window);

// Saves a text window's lines to its file (record_size > 0: as a record file). copy 0: the
// window's own file; the window is marked saved only once the new contents bear the file's name,
// and its unread ranges then point into the new file. copy 1: the file record names another
// path; the unread ranges keep pointing into the old file. Returns 0 saved, 27 not saved (the
// box said which step failed; the old file, its backup, the buffer's changed mark and its
// unread ranges are as they were).
int16_t save_text_file(int record_size, TextLine* window, int copy);

// The save box of the window's file (the program's save hook): 0 saved, 27 not saved.
int16_t save_window_file(TextLine* window);

// Why the last save failed, in words ("" after a good save); tests read it back.
const std::string& last_save_error();
