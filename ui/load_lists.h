// The preferences file's lists as windows: the job load list and the multi-load list (full file
// names, each with a check box) and the file-filter list of the file dialogs. The preferences
// file keeps their texts; the windows are made from them at start-up and give them back before
// the file is written.
#pragma once

#include <string>
#include <vector>

struct TextLine;
struct TextWindow;

constexpr size_t LOAD_LIST_MOST_NAMES = 22;   // names a load list keeps
constexpr size_t FILE_FILTER_MOST_LINES = 20; // filters the filter list keeps

// From `line` onwards, the first line whose text equals the text: byte for byte, or ignoring
// the case of letters while g_load_lists.compare_ignoring_case is set; null when none.
TextLine* find_line_by_text(const char* text, TextLine* line);
// From `line` onwards, the first line whose text equals the text ignoring case; null when none.
TextLine* find_line_nocase(const char* text, TextLine* line);

// A load-list window (a check-box list of full file names) over the current list; null when
// memory runs out. Neither activated nor drawn.
TextLine* create_load_list_window();
// The file-filter window over the current list, kept as g_load_lists.file_filter_window.
TextLine* create_file_filter_window();
// A load-list window over the first LOAD_LIST_MOST_NAMES non-empty names.
TextLine* load_list_window_of(const std::vector<std::string>& names);
// The non-empty texts of a window's lines, at most `most` (none for a null window).
std::vector<std::string> window_line_texts(TextLine* window, size_t most);
// The line drawer of load lists: a check box, the folder in the third colour, the name in the
// normal colour (its extension shown after it), shortened to the window, end marks at the right.
void draw_load_list_line(int row, TextLine* line);
// The window as wide as its longest line + 4 (at most 90; 44 when no line reaches 40).
void fit_window_to_lines(TextWindow* window);

// The three windows made from the preferences file's texts (earlier ones are destroyed first),
// and their texts taken back for writing it. Windows not made leave the texts as they are.
void make_load_list_windows(const std::vector<std::string>& file_filters,
                            const std::vector<std::string>& multi_load,
                            const std::vector<std::string>& job_load_list);
void take_load_list_texts(std::vector<std::string>* file_filters,
                          std::vector<std::string>* multi_load,
                          std::vector<std::string>* job_load_list);
void destroy_load_list_windows();

struct LoadLists {
  TextLine* load_list_window = nullptr;   // the job load list
  TextLine* multi_load_window = nullptr;  // the files to load at once
  TextLine* file_filter_window = nullptr; // the file filters of the file dialogs
  bool compare_ignoring_case = false;     // how find_line_by_text compares; set only for the
                                          // length of one call that asks for it
};
inline LoadLists g_load_lists;
