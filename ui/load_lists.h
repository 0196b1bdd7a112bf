// The preferences file's load lists: what the window histories need of them.
#pragma once

struct TextLine;

// From `line` onwards, the first line whose text equals the text: byte for byte, or ignoring
// the case of letters while g_load_lists.compare_ignoring_case is set; null when none.
TextLine* find_line_by_text(const char* text, TextLine* line);
// From `line` onwards, the first line whose text equals the text ignoring case; null when none.
TextLine* find_line_nocase(const char* text, TextLine* line);

// Stand-in: the window references only; no load-list or file-filter window is made yet.
struct LoadLists {
  TextLine* load_list_window = nullptr;   // the job load list
  TextLine* multi_load_window = nullptr;  // the files to load at once
  TextLine* file_filter_window = nullptr; // the file filters of the file dialogs
  bool compare_ignoring_case = false;     // how find_line_by_text compares; set only for the
                                          // length of one call that asks for it
};
inline LoadLists g_load_lists;
