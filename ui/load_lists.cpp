#include "ui/load_lists.h"

#include <algorithm>

#include "screen/text_output.h"
#include "store/line_list.h"
#include "store/text_helpers.h"
#include "store/text_wrap.h"
#include "ui/list_window.h"
#include "ui/text_window.h"

namespace {

constexpr int LOAD_LIST_WRAP = 69;
constexpr int FILE_FILTER_WRAP = 133;
constexpr char LOAD_LIST_TITLE[] = "Press ESC or RIGHT mouse to Cancel";
constexpr char FILE_FILTER_TITLE[] = "File Filters \x97\x97 ESC or RIGHT mouse button: Cancel";
constexpr char LOAD_LIST_HELP_CHECK[] =
    "\nIf you want to load several files at once, check their box.";
constexpr char LOAD_LIST_HELP_MOVE[] =
    "\nMove the arrow up or down to re-arrange the items in this list.";
// The check box drawn over the line's first six cells, in the third colour.
constexpr char CHECKED_BOX[] = "\x0e\x08<\x08=\x13";
constexpr char UNCHECKED_BOX[] = "\x0e\x08?\x08@\x13";
constexpr size_t CHECK_BOX_BYTES = 6;

constexpr int FIT_EXTRA = 4;
constexpr int FIT_MOST = 90;
constexpr int FIT_SHORT_LINE = 40;
constexpr int FIT_SHORT_WIDTH = 44;

void destroy_window_at(TextLine** node) {
  if (*node != nullptr) destroy_window(*node);
  *node = nullptr;
}

}  // namespace

TextLine* find_line_by_text(const char* text, TextLine* line) {
  if (g_load_lists.compare_ignoring_case) return find_line_nocase(text, line);
  if (text == nullptr) return nullptr;
  for (; line != nullptr; line = line->next)
    if (line->text == text) return line;
  return nullptr;
}

TextLine* find_line_nocase(const char* text, TextLine* line) {
  if (text == nullptr) return nullptr;
  for (; line != nullptr; line = line->next)
    if (same_text_ignoring_case(line->text, text)) return line;
  return nullptr;
}

TextLine* create_load_list_window() {
  TextLine* node = create_window(nullptr, {
      .top_row = 9, .left_column = 4, .bottom_row = 12, .right_column = 76, .flags = 0x84012,
      .key_filter = list_key_filter, .line_drawer = draw_load_list_line, .options = 848,
      .legend = LIST_WINDOW_LEGEND, .wrap_width = LOAD_LIST_WRAP, .title = LOAD_LIST_TITLE,
      .list_options = 0x20020092,
  });
  TextWindow* w = window_of(node);
  if (w == nullptr) return nullptr;
  w->help_texts[0] = LOAD_LIST_HELP_CHECK;
  w->help_texts[2] = LOAD_LIST_HELP_MOVE;
  return node;
}

TextLine* create_file_filter_window() {
  g_load_lists.file_filter_window = create_window(nullptr, {
      .top_row = 7, .left_column = 5, .bottom_row = 26, .right_column = 75, .flags = 0x14032,
      .key_filter = list_key_filter, .line_drawer = draw_check_list_line, .options = 40,
      .legend = LIST_WINDOW_LEGEND, .wrap_width = FILE_FILTER_WRAP, .title = FILE_FILTER_TITLE,
      .list_options = 0x20020024,
  });
  return g_load_lists.file_filter_window;
}

TextLine* load_list_window_of(const std::vector<std::string>& names) {
  push_list();
  clear_current_list();
  size_t kept = 0;
  for (const std::string& name : names) {
    if (name.empty()) continue;
    if (kept++ == LOAD_LIST_MOST_NAMES) break;
    append_line(name.c_str());
  }
  TextLine* node = create_load_list_window();
  if (node == nullptr) free_current_list();
  pop_list();
  return node;
}

std::vector<std::string> window_line_texts(TextLine* window, size_t most) {
  std::vector<std::string> texts;
  const TextWindow* w = window_of(window);
  if (w == nullptr) return texts;
  for (const TextLine* line = w->first_line; line != nullptr && texts.size() < most;
       line = line->next) {
    if (!line->text.empty()) texts.push_back(line->text);
  }
  return texts;
}

void draw_load_list_line(int row, TextLine* line) {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || line == nullptr) return;
  // Shortened to the room the box leaves before the end marks, so that a long name keeps its
  // end (the extension) in view.
  const std::string shown = abbreviate_path(line->text.c_str(), w->columns);
  std::string text(CHECK_BOX_BYTES, ' ');
  const size_t slash = shown.rfind('/');
  if (slash != std::string::npos) {
    std::string base;
    std::string extension;
    split_extension(shown.substr(slash + 1), &base, &extension);
    text += "\x0e" + shown.substr(0, slash) + "/\x13" + base + "\x0e";
    if (!extension.empty()) text += "." + extension;
  } else {
    text += shown + "\x13\x13\x13";
  }
  const char* box = (line->state & LINE_STATE_CHECKED) != 0 ? CHECKED_BOX : UNCHECKED_BOX;
  text.replace(0, CHECK_BOX_BYTES, box);
  text += std::string(80, ' ');
  text.resize(static_cast<size_t>(split_line_at_width(text.c_str(), w->columns + 2, nullptr)));
  draw_list_end_mark(line, row, &text);
  draw_text(row, w->left_column, text.c_str());
}

void fit_window_to_lines(TextWindow* window) {
  if (window == nullptr) return;
  int longest = 0;
  for (const TextLine* line = window->first_line; line != nullptr; line = line->next)
    longest = std::max(longest, display_length(line->text.c_str()));
  const int width =
      longest < FIT_SHORT_LINE ? FIT_SHORT_WIDTH : std::min(longest + FIT_EXTRA, FIT_MOST);
  window->right_column = static_cast<int16_t>(window->left_column + width);
  window->columns = static_cast<int16_t>(width + 1);
}

void make_load_list_windows(const std::vector<std::string>& file_filters,
                            const std::vector<std::string>& multi_load,
                            const std::vector<std::string>& job_load_list) {
  destroy_load_list_windows();
  push_list();
  clear_current_list();
  size_t kept = 0;
  for (const std::string& filter : file_filters) {
    if (filter.empty()) continue;
    if (kept++ == FILE_FILTER_MOST_LINES) break;
    append_line(filter.c_str());
  }
  if (create_file_filter_window() == nullptr) free_current_list();
  pop_list();
  g_load_lists.multi_load_window = load_list_window_of(multi_load);
  g_load_lists.load_list_window = load_list_window_of(job_load_list);
}

void take_load_list_texts(std::vector<std::string>* file_filters,
                          std::vector<std::string>* multi_load,
                          std::vector<std::string>* job_load_list) {
  if (g_load_lists.file_filter_window != nullptr)
    *file_filters = window_line_texts(g_load_lists.file_filter_window, FILE_FILTER_MOST_LINES);
  if (g_load_lists.multi_load_window != nullptr)
    *multi_load = window_line_texts(g_load_lists.multi_load_window, LOAD_LIST_MOST_NAMES);
  if (g_load_lists.load_list_window != nullptr)
    *job_load_list = window_line_texts(g_load_lists.load_list_window, LOAD_LIST_MOST_NAMES);
}

void destroy_load_list_windows() {
  destroy_window_at(&g_load_lists.file_filter_window);
  destroy_window_at(&g_load_lists.multi_load_window);
  destroy_window_at(&g_load_lists.load_list_window);
}
