#include "ui/find_dialog.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "store/message_ids.h"
#include "store/text_helpers.h"
#include "ui/dialog_form.h"
#include "ui/edit_buffers.h"
#include "ui/entry_line.h"
#include "ui/find_replace.h"
#include "ui/form_pass.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

FindForm g_find_form;

namespace {

// Rows of the find form and of the replace form.
enum FindRow { FIND_ROW_BAR, FIND_ROW_TEXT, FIND_ROW_CASE, FIND_ROW_WORDS, FIND_ROW_ALL,
               FIND_ROW_BLOCK };
enum ReplaceRow { REPLACE_ROW_BAR, REPLACE_ROW_FIND, REPLACE_ROW_WITH, REPLACE_ROW_ASK,
                  REPLACE_ROW_CASE, REPLACE_ROW_WORDS, REPLACE_ROW_ALL };
static_assert(FORM_FIND_FIELDS == FIND_ROW_BLOCK + 1);
static_assert(FORM_REPLACE_FIELDS == REPLACE_ROW_ALL + 1);

constexpr int TEXT_WIDTH = 44;    // the cells a text shows; the entry scrolls up to 60 characters
constexpr int OPTION_WIDTH = 4;
constexpr char YES_NO_LETTERS[] = "NY";
const char* const NO_YES[] = {"No", "Yes"};
const char* const NOT_HERE[] = {"-", "-"};
constexpr char HISTORY_TITLE[] = "Previous Finds and Replaces";
constexpr int FIND_HELP_TOPIC = 46;
constexpr int HISTORY_ROW = 9;
constexpr int HISTORY_COLUMN = 32;
constexpr uint32_t HISTORY_LIST_FLAGS = 0x33;

// What the run of one form knows besides the texts and options.
struct FormRun {
  bool replace = false;
  bool block_possible = false;  // a marked block of three lines or more
  bool buffers_possible = false;  // two buffers hold text
  char find[FIND_TEXT_MAX + 1] = {};
  char with[FIND_TEXT_MAX + 1] = {};
};
FormRun g_run_form;

bool block_of_three_lines() {
  const TextLine* start = g_lists.block_start;
  const TextLine* end = g_lists.block_end;
  if (start == nullptr || end == nullptr) return false;
  int lines = 1;
  for (const TextLine* l = start; l != nullptr && l != end && lines < 3; l = l->next) ++lines;
  if (lines >= 3) return true;
  lines = 1;
  for (const TextLine* l = end; l != nullptr && l != start && lines < 3; l = l->next) ++lines;
  return lines >= 3;
}

void add_to_history(const char* text) {
  if (text == nullptr || *text == 0) return;
  std::vector<std::string>& h = g_find_form.history;
  h.erase(std::remove(h.begin(), h.end(), std::string(text)), h.end());
  h.insert(h.begin(), text);
  if (h.size() > FIND_HISTORY_MOST) h.resize(FIND_HISTORY_MOST);
}

// Right on a text row: the history as a list; the chosen text becomes the row's.
EventCode pick_from_history(char* text) {
  const std::vector<std::string>& h = g_find_form.history;
  if (h.empty()) return 0;
  std::vector<const char*> strings;
  for (const std::string& s : h) strings.push_back(s.c_str());
  strings.push_back(nullptr);
  const int chosen = pick_from_strings(strings.data(), HISTORY_TITLE, HISTORY_ROW, HISTORY_COLUMN,
                                       0, HISTORY_LIST_FLAGS);
  request_full_redraw();
  if (chosen < 0) return 0;
  std::snprintf(text, FIND_TEXT_MAX + 1, "%s", h[static_cast<size_t>(chosen)].c_str());
  return FIELD_CHANGED;
}

EventCode edit_text_row(char* text, bool last_text) {
  EventCode result = edit_value_field({text, FIND_TEXT_MAX + 1}, 0, FIELD_OPTIONS_USUAL,
                                      TEXT_WIDTH);
  if (result == KEY_RIGHT) result = pick_from_history(text);
  // Enter in the last text accepts the form; in the find text of the replace form it goes on
  // to the replacement.
  if (result == FIELD_CHANGED || result == KEY_ENTER) {
    if (last_text && text[0] != 0) return WINDOW_ACCEPT;
    if (!last_text) return KEY_DOWN;
  }
  return result;
}

// An option row: N or Y (a row that cannot apply stays No).
EventCode edit_option(uint8_t* value, bool possible) {
  uint8_t shown = possible ? *value : 0;
  EventCode code = cycle_list_field(YES_NO_LETTERS, &shown, 0, OPTION_WIDTH);
  if (possible) *value = shown;
  if (!possible && code < 0) code = 0;
  return code;
}

EventCode edit_find_row(int row) {
  FindForm& f = g_find_form;
  FormRun& r = g_run_form;
  switch (row) {
    case FIND_ROW_BAR: return ok_cancel_field();
    case FIND_ROW_TEXT: return edit_text_row(r.find, true);
    case FIND_ROW_CASE: return edit_option(&f.case_counts, true);
    case FIND_ROW_WORDS: return edit_option(&f.whole_words, true);
    case FIND_ROW_ALL: return edit_option(&f.all_buffers, r.buffers_possible);
    case FIND_ROW_BLOCK: return edit_option(&f.in_block, r.block_possible);
    default: return 0;
  }
}

EventCode edit_replace_row(int row) {
  FindForm& f = g_find_form;
  FormRun& r = g_run_form;
  switch (row) {
    case REPLACE_ROW_BAR: return ok_cancel_field();
    case REPLACE_ROW_FIND: return edit_text_row(r.find, false);
    case REPLACE_ROW_WITH: return edit_text_row(r.with, true);
    case REPLACE_ROW_ASK: return edit_option(&f.ask_each, true);
    case REPLACE_ROW_CASE: return edit_option(&f.case_counts, true);
    case REPLACE_ROW_WORDS: return edit_option(&f.whole_words, true);
    case REPLACE_ROW_ALL: return edit_option(&f.all_buffers, r.buffers_possible);
    default: return 0;
  }
}

void show_option(uint8_t value, bool possible) {
  show_toggle_value(possible ? NO_YES : NOT_HERE, value != 0 ? 1 : 0, OPTION_WIDTH);
}

void show_values() {
  const FindForm& f = g_find_form;
  const FormRun& r = g_run_form;
  skip_field_display();
  show_text_value(r.find, TEXT_WIDTH);
  if (r.replace) {
    show_text_value(r.with, TEXT_WIDTH);
    show_option(f.ask_each, true);
  }
  show_option(f.case_counts, true);
  show_option(f.whole_words, true);
  show_option(f.all_buffers, r.buffers_possible);
  if (!r.replace) show_option(f.in_block, r.block_possible);
  draw_ok_cancel();
}

EventCode find_form_field() {
  g_field.help_topic = FIND_HELP_TOPIC;
  const EventCode code =
      field_pass_showing_values(g_run_form.replace ? edit_replace_row : edit_find_row, show_values);
  // The form opens on its bar; the cursor goes down to the find text at once.
  return code == FORM_FIRST_PASS ? KEY_DOWN : code;
}

}  // namespace

int flag_two_buffers_used() {
  if (g_buffers.buffer_list == nullptr) return 0;
  if (g_windows.active != nullptr) store_window_state();
  int holding = 0;
  for (TextLine* node = list_head_of(g_buffers.buffer_list); node != nullptr; node = node->next) {
    const TextWindow* w = window_of(node);
    if (w == nullptr || w->first_line == nullptr) continue;
    if (w->first_line->next != nullptr || w->first_line->text_length > 4) ++holding;
  }
  return holding >= 2 ? 1 : 0;
}

int find_dialog(bool replace) {
  FindForm& f = g_find_form;
  FormRun& r = g_run_form;
  r = FormRun{};
  r.replace = replace;
  r.block_possible = !replace && block_of_three_lines();
  r.buffers_possible = flag_two_buffers_used() != 0;
  std::snprintf(r.find, sizeof r.find, "%s", f.find_text.c_str());
  std::snprintf(r.with, sizeof r.with, "%s", f.replace_text.c_str());
  if (!r.block_possible) f.in_block = 0;
  const FindForm kept = f;
  const int accepted = run_form_over_window(replace ? MSG_FORM_REPLACE : MSG_FORM_FIND,
                                            find_form_field);
  if (accepted == 0 || r.find[0] == 0) {
    f = kept;
    return 0;
  }
  f.find_text = r.find;
  add_to_history(r.find);
  if (replace) {
    f.replace_text = r.with;
    add_to_history(r.with);
  }
  g_search.pattern = expand_caret_escapes(f.find_text);
  g_search.replacement = replace ? expand_caret_escapes(f.replace_text) : std::string();
  uint16_t flags = FIND_CENTRE;
  if (f.case_counts != 0) flags |= FIND_CASE;
  if (f.whole_words != 0) flags |= FIND_WHOLE_WORDS;
  if (f.all_buffers != 0 && r.buffers_possible) flags |= FIND_ALL_BUFFERS;
  if (replace) flags |= FIND_REPLACE;
  else if (f.in_block != 0 && r.block_possible) flags |= FIND_IN_BLOCK;
  g_search.flags = flags;
  g_search.ask_each = replace ? f.ask_each : 1;
  return 1;
}

void set_find_history(const std::vector<std::string>& texts) {
  g_find_form.history.clear();
  for (const std::string& t : texts) {
    if (t.empty()) continue;
    g_find_form.history.push_back(t.substr(0, FIND_TEXT_MAX));
    if (g_find_form.history.size() == FIND_HISTORY_MOST) break;
  }
}

std::vector<std::string> find_history() { return g_find_form.history; }

void reset_find_form() {
  g_find_form = FindForm{};
  g_run_form = FormRun{};
}
