// The type-ahead search of list windows (fonts, symbols, pick lists): characters typed are
// looked for as a hot letter first, then as the start of a growing search text.
#include <cstdio>
#include <string>

#include "ui/find_replace.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

constexpr size_t SEARCH_TEXT_MOST = 30;
constexpr uint32_t WINDOW_SEARCH_HINTS = 0x80000;  // the status line tells what the search does
constexpr char SEARCHABLE_TEXT[] = "This list is searchable;\ntype the characters to find.";
constexpr char LOOKING_FOR_FORMAT[] =
    "Looking for \f%s \n\vF3\x13: repeat search, \vBACKSPACE\x13: clear previous character";
constexpr EventCode KEY_F3 = 317;

struct ListSearch {
  std::string text;  // what has been typed, at most SEARCH_TEXT_MOST characters
};
ListSearch g_list_search;

// Searches the list for the pattern from `from`, keeping the user's own find text and options
// for the editor's F3. True when the cursor went to a match.
bool search_list(const std::string& pattern, uint16_t flags, TextLine* from, int column) {
  if (from == nullptr) return false;
  const std::string kept_pattern = g_search.pattern;
  const uint16_t kept_flags = g_search.flags;
  g_search.pattern = pattern;
  g_search.flags = flags;
  const int found = find_replace(from, column);
  g_search.pattern = kept_pattern;
  g_search.flags = kept_flags;
  return found == 1;
}

// The cursor to the start of its line once a search moved it.
void caret_to_line_start() {
  TextWindow* w = g_windows.active;
  w->text_column = 0;
  w->cursor_column = 0;
  w->horizontal_scroll = 0;
  request_full_redraw();
}

void show_looking_for(const TextWindow* w) {
  if ((w->flags & WINDOW_SEARCH_HINTS) == 0) return;
  char text[160];
  std::snprintf(text, sizeof text, LOOKING_FOR_FORMAT, g_list_search.text.c_str());
  show_status_line(text);
}

// A typed character: a hot letter chooses its line, else the search text grows by it.
EventCode typed_character(const TextWindow* w, EventCode code) {
  const char c = static_cast<char>(code);
  if (static_cast<unsigned char>(c) > ' ' &&
      search_list(std::string("\v") + c + "\x13", FIND_CENTRE | FIND_KEEP_BLOCK,
                  g_lists.current.first, 0))
    return WINDOW_ACCEPT;
  if (code == KEY_BACKSPACE) {
    if (!g_list_search.text.empty()) g_list_search.text.pop_back();
  } else if (code < ' ') {
    return 0;
  } else if (g_list_search.text.size() < SEARCH_TEXT_MOST) {
    g_list_search.text += c;
  }
  if (g_list_search.text.empty()) {
    g_lists.cursor_line = g_lists.current.first;
    g_windows.active->cursor_row = 0;
  } else {
    search_list(g_list_search.text, FIND_ONE_LINE | FIND_CENTRE | FIND_KEEP_BLOCK,
                g_lists.current.first, 0);
  }
  show_looking_for(w);
  caret_to_line_start();
  return 0;
}

}  // namespace

EventCode list_search_key_filter() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return wait_input_code();
  if (g_run.first_call) {
    g_list_search.text.clear();
    if ((w->flags & WINDOW_SEARCH_HINTS) != 0) show_status_line(SEARCHABLE_TEXT);
  }
  const EventCode code = wait_input_code();
  const bool character = code > 0 && code < 256;
  if (character && (w->flags & WINDOW_LETTERS_TO_CALLER) != 0) return code;
  switch (code) {
    case KEY_ESC:
    case KEY_ENTER:
      g_list_search.text.clear();
      return code == KEY_ENTER ? WINDOW_ACCEPT : KEY_ESC;
    case KEY_F3:
      // The same text again from the line after the cursor.
      if (!g_list_search.text.empty() && g_lists.cursor_line != nullptr)
        search_list(g_list_search.text, FIND_ONE_LINE | FIND_CENTRE | FIND_KEEP_BLOCK,
                    g_lists.cursor_line->next, 0);
      caret_to_line_start();
      return 0;
    default: break;
  }
  if (character) return typed_character(w, code);
  return code;
}

void reset_list_search() { g_list_search = ListSearch{}; }
