#include "pages/feed_rate_list.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cam/mass_change.h"
#include "platform/files.h"
#include "screen/display_mode.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

FeedRateList g_feed_rates;

namespace {

constexpr int LIST_WIDTH = 36;
constexpr int LIST_ROWS = 12;
constexpr uint16_t LIST_OPTIONS = 316;
constexpr int LIST_WRAP = 125;
constexpr char LIST_LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::vector<std::string> texts(const LineList& list) {
  std::vector<std::string> out;
  for (const TextLine* line = list.first; line != nullptr; line = line->next) out.push_back(line->text);
  return out;
}

TextLine* open_window() {
  const CellMetrics& cells = g_display.presets[FACE_ROLE_NORMAL];
  const int left = std::max(1, (cells.last_column - LIST_WIDTH) / 2);
  const int top = std::max(1, (cells.last_row - LIST_ROWS) / 2);
  push_list();
  g_lists.current = g_feed_rates.lines;
  TextLine* node = create_window(nullptr, {
      .top_row = top, .left_column = left, .bottom_row = top + LIST_ROWS - 1,
      .right_column = left + LIST_WIDTH,
      .flags = WINDOW_KEEP_UNDER | WINDOW_ENTER_ACCEPTS | 0x3, .key_filter = list_key_filter,
      .line_drawer = draw_window_line, .options = LIST_OPTIONS,
      .legend = LIST_LETTERS, .wrap_width = LIST_WRAP, .title = FEED_RATE_TITLE,
      .list_options = LIST_RIGHT_MOVE,
  });
  if (node == nullptr) g_feed_rates.lines = g_lists.current;
  clear_current_list();
  pop_list();
  if (node == nullptr) return nullptr;
  g_feed_rates.lines = LineList{};
  TextWindow* w = window_of(node);
  w->help_texts[0] = FEED_RATE_MOVE_HELP;
  w->help_texts[1] = FEED_RATE_HELP;
  activate_window(node);
  return node;
}

void close_window(TextLine* node) {
  if (g_windows.active_node == node) store_window_state();
  TextWindow* w = window_of(node);
  g_feed_rates.lines = LineList{w->first_line, w->last_line};
  w->first_line = w->current_line = w->last_line = nullptr;
  w->block_start = w->block_end = nullptr;
  if (g_windows.active_node == node) {
    clear_current_list();
    g_lists.cursor_line = g_lists.block_start = g_lists.block_end = nullptr;
  }
  destroy_window(node);
}

}  // namespace

void reset_feed_rates() {
  free_feed_rates();
  g_feed_rates = FeedRateList{};
}

void free_feed_rates() {
  free_list(g_feed_rates.lines.first);
  g_feed_rates.lines = LineList{};
  g_feed_rates.loaded = false;
}

void open_feed_rate_list() {
  FeedRateList& f = g_feed_rates;
  if (f.loaded) return;
  f.loaded = true;
  if (f.path.empty()) {
    const std::string found = find_file_ignoring_case(program_folder(), FEED_RATE_FILE_NAME);
    f.path = !found.empty() ? found : path_join(program_folder(), FEED_RATE_FILE_NAME);
  }
  std::ifstream in(f.path, std::ios::binary);
  std::stringstream bytes;
  if (in) bytes << in.rdbuf();
  push_list();
  clear_current_list();
  std::string line;
  while (std::getline(bytes, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) append_line(line.c_str());
  }
  if (g_lists.current.first == nullptr) append_line(FEED_RATE_DEFAULT_LINE);
  f.lines = g_lists.current;
  clear_current_list();
  pop_list();
}

int save_feed_rates() {
  std::string text;
  for (const TextLine* line = g_feed_rates.lines.first; line != nullptr; line = line->next) {
    text += line->text;
    if (text.empty() || text.back() != '\n') text += '\n';
  }
  std::string why;
  const SaveResult result = save_file_safely(
      g_feed_rates.path, "", [&](SaveFile* file) { return save_write_text(file, text); }, &why);
  if (result == SAVE_OK) return 0;
  const std::string message = "The feed rates were not saved to " + g_feed_rates.path + ":\n" + why;
  show_text_box(message.c_str(), TEXTBOX_PRESS_A_KEY);
  return 27;
}

float choose_feed_rate(int code) {
  open_feed_rate_list();
  const std::vector<std::string> before = texts(g_feed_rates.lines);
  push_active_window();
  // The prompt above the list is the catalogue's, by the caller's code.
  clear_message_text();
  get_message(MSG_FEED_RATE_PROMPT + code);
  const std::string prompt = message_text();
  show_text_box(prompt.c_str(), TEXTBOX_TOP);
  TextLine* node = open_window();
  g_feed_rates.window = node;
  const TextLine* chosen = node != nullptr ? run_window(node) : nullptr;
  const std::string chosen_text = chosen != nullptr ? chosen->text : "";
  if (node != nullptr) close_window(node);
  g_feed_rates.window = nullptr;
  close_top_popup();
  pop_active_window();
  if (texts(g_feed_rates.lines) != before) save_feed_rates();
  if (chosen == nullptr) return 0;
  return feed_rate_from_line(chosen_text.c_str());
}

int feed_rate_command() {
  const float feed = choose_feed_rate(0);
  if (!(feed > 0)) return 0;
  const int changed = apply_feed_to_items(feed);
  char text[64];
  std::snprintf(text, sizeof text, "Set %d items.", changed);
  show_text_box(text, TEXTBOX_PRESS_A_KEY);
  return changed;
}
