// The preferences file's load lists: what the window histories need of them.
#pragma once

struct TextLine;

// From `line` onwards, the first line whose text equals the text; null when none.
TextLine* find_line_by_text(const char* text, TextLine* line);

// Stand-in: the window references only; no load-list or file-filter window is made yet.
struct LoadLists {
  TextLine* load_list_window = nullptr;   // the job load list
  TextLine* multi_load_window = nullptr;  // the files to load at once
  TextLine* file_filter_window = nullptr; // the file filters of the file dialogs
};
inline LoadLists g_load_lists;
