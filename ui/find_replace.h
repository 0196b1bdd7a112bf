// Find and replace in the active window: the search engine (a pattern with simple wildcards,
// whole words or not, any case or not, in the marked block or from a position on), one
// replacement at a time with its No / Yes / All / quit question, and the run loop's driver of
// the find, replace, find-next and repeat codes.
#pragma once

#include <cstdint>
#include <string>

#include "screen/event_queue.h"

struct TextLine;

// Search flags
constexpr uint16_t FIND_WHOLE_WORDS = 0x01;   // dropped when the pattern is not all word characters
constexpr uint16_t FIND_ONE_LINE = 0x02;      // a "? " run stops at the line's end
constexpr uint16_t FIND_CASE = 0x04;          // case counts
constexpr uint16_t FIND_CENTRE = 0x40;        // the found line is centred in the window
constexpr uint16_t FIND_IN_BLOCK = 0x80;      // only the marked block
constexpr uint16_t FIND_REPLACE = 0x100;
constexpr uint16_t FIND_KEEP_BLOCK = 0x200;   // the block is left as it is
constexpr uint16_t FIND_ALL_BUFFERS = 0x1000;  // on into the next editing buffers that hold text
constexpr uint16_t FIND_TEST_ONLY = 0x2000;   // the cursor does not move
constexpr uint16_t FIND_NONE_YET = 0x00FF;    // the last option word before any search

// Palette colours of the found text's bars: the usual one, and the one for windows with a
// colour base of their own.
constexpr int FOUND_TEXT_COLOUR = 97;
constexpr int FOUND_TEXT_COLOUR_OTHER = 98;

constexpr size_t FIND_TEXT_MAX = 60;
// Every this many lines a long search looks for Esc and, once a second, shows its count.
constexpr int32_t FIND_POLL_LINES = 1000;

struct SearchState {
  std::string pattern;         // what is searched (the find text, caret escapes expanded)
  std::string replacement;     // the replace text (may hold newlines)
  uint16_t flags = 0;          // FIND_* bits of the search under way
  uint16_t last_flags = FIND_NONE_YET;  // of the last search the user asked for
  uint8_t ask_each = 1;        // 1: every replacement is confirmed
  // The last match: its line and first column, and the line and column after its end (a match
  // may run on over line ends unless FIND_ONE_LINE is set).
  TextLine* match_line = nullptr;
  int16_t match_column = 0;
  TextLine* match_end_line = nullptr;
  int16_t match_end = 0;
  int32_t lines_searched = 0;
  bool counter_shown = false;  // the "lines searched" box is up for this search
};
extern SearchState g_search;

// Searches the active window from (line, column); a null line with FIND_IN_BLOCK starts at the
// block. 0 not found, 1 found (or a replacement declined), 2 replaced, -1 stopped (Esc, or quit
// after this one). A find puts the cursor on the match and marks it.
int find_replace(TextLine* line, int column);
// The line after `line` for a search: null at the list's end, at `stop`, or when the user pressed
// Esc (looked for every FIND_POLL_LINES lines; other input stays queued). Counts the lines and
// shows the "lines searched" box at most once a second.
TextLine* next_search_line(TextLine* line, TextLine* stop);
// The found text becomes the marked block and is shown by bars XORed over its cells, one per
// screen row it covers (a tab widens its bar to the tab stop); the lines are flagged so that
// their next drawing takes the bars away. A match that runs on below the window's last row or
// past the list's end is not marked.
void highlight_found_text();
// Replaces the match with the replacement text; the line that held it, or null when the result
// would be longer than a line may be (nothing changes then).
TextLine* replace_match(const std::string& replacement);

// The key filter of searchable list windows. A character typed is looked for as a hot letter
// (its line is accepted at once), else it grows a search text that the cursor follows from the
// list's top (Backspace shrinks it, F3 finds it again further on); Enter accepts, Home and End go
// to the first and last line. With WINDOW_LETTERS_TO_CALLER characters are the caller's. Other
// codes come back as they are.
EventCode list_search_key_filter();
void reset_list_search();
// The history of finds lives only as long as the program: nothing to free.
inline void free_find_history() {}

// Test hooks
void reset_find_state();
