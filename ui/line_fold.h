// What folding needs of the text windows (the active window's file, wrap width and line count,
// the editor's re-wrap) and the show and hide operations of folder trees, whose lines carry the
// folder depth as id (-1 the place's root, 0 a top-level folder) and their open or closed mark
// as the second text byte.
#pragma once

#include <string>

struct TextWindow;

constexpr unsigned char FOLDER_MARK_OPEN = 0xA2;
constexpr unsigned char FOLDER_MARK_CLOSED = 0xA0;

// Points folding at the window (activation does it); null forgets the window.
void connect_fold_window(TextWindow* window);

// Shows the hidden sub-folders of the cursor line (a top-level folder or the root); 0 when it
// showed them, -1 when there was nothing to show.
int show_sub_folders();
// Hides the sub-folders of the cursor line's top-level folder and moves the cursor up to it;
// 1 when anything was hidden, else 0 (always 0 on the root line).
int hide_sub_folders();
// Stores the cursor line's folder (its extra, a path) as the one remembered for the place
// lettered `drive` ('C' on) in table[drive - 'A']; 0 stored, -1 for a letter outside the table,
// below 'C', or a line without a path.
int remember_drive_folder(char drive, std::string* table, int entries);
