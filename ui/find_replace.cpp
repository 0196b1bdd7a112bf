#include "ui/find_replace.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "store/line_fold.h"
#include "store/text_helpers.h"
#include "store/text_wrap.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "screen/tick_clock.h"
#include "ui/editor_cursor.h"
#include "ui/edit_buffers.h"
#include "ui/buffer_windows.h"
#include "ui/editor_text.h"
#include "ui/find_dialog.h"
#include "ui/message_box.h"
#include "ui/run_window.h"
#include "ui/run_window_commands.h"
#include "ui/text_moves.h"
#include "ui/text_window.h"

SearchState g_search;

namespace {

constexpr char GLYPH_ESCAPE = 0x08;
constexpr int GLYPH_OFFSET = 33;
constexpr char REPLACE_QUESTION[] = "\x1d!!Replace ?";
constexpr char REPLACE_CHOICES[] =
    "\vN\x13o    \vY\x13""es    \vA\x13ll    Do this one, then \vq\x13uit";
constexpr char REPLACE_LETTERS[] = "NYAQ";
enum ReplaceAnswer { ANSWER_NO, ANSWER_YES, ANSWER_ALL, ANSWER_QUIT };
constexpr EventCode KEY_CTRL_F = KEY_CTRL_BASE + 'F';
constexpr EventCode KEY_CTRL_R = KEY_CTRL_BASE + 'R';
constexpr char REPEAT_TITLE[] = "Press F3 to repeat a find/replace\n";
constexpr const char* SEARCHED_PHRASES[] = {"from the cursor onwards",
                                            "from the cursor onwards in the hi-lited text",
                                            "the entire hi-lited text"};

unsigned char lower(unsigned char c) { return static_cast<unsigned char>(std::tolower(c)); }

bool is_delimiter(unsigned char c) {
  return c == '\n' || c == 0 || g_word_delimiters.selection.find(static_cast<char>(c)) != std::string::npos;
}

// One character of the text at i: its value (a glyph pair stands for its control character)
// and its length in bytes.
unsigned char text_char(const std::string& text, size_t i, size_t* length) {
  const unsigned char c = static_cast<unsigned char>(text[i]);
  if (c == GLYPH_ESCAPE && i + 1 < text.size()) {
    *length = 2;
    return static_cast<unsigned char>(static_cast<unsigned char>(text[i + 1]) - GLYPH_OFFSET);
  }
  *length = 1;
  return c;
}

bool same_char(unsigned char pattern, unsigned char text, bool case_counts) {
  return pattern == text || (!case_counts && lower(pattern) == lower(text));
}

// Where a match stands in the text: a line and a byte in it. Reading on past the end of a line
// goes to the next line unless the search keeps to one line or the line is the last searched.
struct TextCursor {
  TextLine* line = nullptr;
  size_t i = 0;
  size_t end = 0;                // where this line's searched text ends
  TextLine* last = nullptr;      // the last line searched (the block's end line), or null
  size_t last_end = 0;           // where the text searched ends on it
  TextLine* stop = nullptr;      // the line after the searched range, or null
  bool one_line = false;

  const std::string& text() const { return line->text; }
  // True when no character is left; moves over line ends where the match may run on.
  bool at_end() {
    while (i >= end) {
      if (one_line || line == last) return true;
      TextLine* next = next_visible_line(line);
      if (next == nullptr || next == stop) return true;
      line = next;
      i = 0;
      end = line == last ? last_end : line->text.size();
    }
    return false;
  }
};

// Matches the pattern from pattern position p against the text at the cursor; the cursor ends
// after the match. The wildcard '?' before a printable x takes one character, then a run of
// non-blanks, up to the first x; before a blank, any run up to the next blank (over line ends
// unless the search keeps to one line); at the end, one character.
bool match_at(const std::string& pattern, size_t p, TextCursor* at, bool case_counts) {
  while (p < pattern.size()) {
    const unsigned char pc = static_cast<unsigned char>(pattern[p]);
    if (pc == '?') {
      if (p + 1 == pattern.size()) {  // one more character of any kind
        if (at->at_end() || at->text()[at->i] == '\n') return false;
        size_t length = 0;
        text_char(at->text(), at->i, &length);
        at->i += length;
        return true;
      }
      const unsigned char next = static_cast<unsigned char>(pattern[p + 1]);
      if (next == ' ') {  // any run up to the next blank
        while (!at->at_end() && at->text()[at->i] != ' ') {
          if (at->one_line && at->text()[at->i] == '\n') break;
          ++at->i;
        }
        p += 1;
        continue;
      }
      // One character of any kind, then non-blanks up to the first `next`.
      if (at->at_end() || at->text()[at->i] == '\n') return false;
      size_t length = 0;
      text_char(at->text(), at->i, &length);
      at->i += length;
      for (;;) {
        if (at->i >= at->end) return false;
        const unsigned char c = text_char(at->text(), at->i, &length);
        if (same_char(next, c, case_counts)) break;
        if (c == ' ' || c < 32) return false;
        at->i += length;
      }
      p += 1;  // `next` itself is matched below
      continue;
    }
    if (at->at_end()) return false;
    size_t length = 0;
    const unsigned char c = text_char(at->text(), at->i, &length);
    if (!same_char(pc, c, case_counts)) return false;
    at->i += length;
    ++p;
  }
  return true;
}

bool word_pattern(const std::string& pattern) {
  for (unsigned char c : pattern)
    if (!std::isalnum(c) && c != ' ' && c != '\t' && c != '\n' && c != '?' && c < 0x80) return false;
  return true;
}

// The first match that begins in the cursor's line from its position on; its start column in
// *start and the cursor after its end in *after. Matches are looked for at every column of the
// line, however long: a match far out on a long line is found like any other.
bool find_in_line(const TextCursor& from, uint16_t flags, size_t* start, TextCursor* after) {
  const std::string& pattern = g_search.pattern;
  const std::string& text = from.line->text;
  size_t first = 0;
  if (!pattern.empty() && pattern[0] == '?' && pattern.size() > 1) first = 1;
  const bool case_counts = (flags & FIND_CASE) != 0;
  const bool whole = (flags & FIND_WHOLE_WORDS) != 0;
  const bool ends_with_wildcard = !pattern.empty() && pattern.back() == '?';
  for (size_t i = from.i; i < from.end; ++i) {
    if (whole && i > 0 && !is_delimiter(static_cast<unsigned char>(text[i - 1]))) continue;
    if (i > 0 && text[i - 1] == GLYPH_ESCAPE && (i < 2 || text[i - 2] != GLYPH_ESCAPE)) continue;
    TextCursor at = from;
    at.i = i;
    if (!match_at(pattern, first, &at, case_counts)) continue;
    const std::string& end_text = at.line->text;
    const size_t e = at.i;
    const bool ends_in_delimiter =
        e > 0 && (at.line != from.line || e > i) &&
        is_delimiter(static_cast<unsigned char>(end_text[e - 1]));
    if (whole && !ends_with_wildcard && e < end_text.size() &&
        !is_delimiter(static_cast<unsigned char>(end_text[e])) && !ends_in_delimiter)
      continue;
    *start = i;
    *after = at;
    return true;
  }
  return false;
}

void put_cursor_at_match() {
  TextWindow* w = g_windows.active;
  g_lists.cursor_line = g_search.match_line;
  w->text_column = g_search.match_column;
  screen_column_from_text();
  keep_caret_in_view();
  place_cursor_row((g_search.flags & FIND_CENTRE) != 0 ? 0 : 1);
}

void mark_match() {
  TextWindow* w = g_windows.active;
  g_lists.block_start = g_search.match_line;
  g_lists.block_end = g_search.match_end_line;
  w->block_start_column = g_search.match_column;
  w->block_end_column = g_search.match_end;
  g_run.block_kept = 0;
}

// One bar of the found text: screen columns from..to (the horizontal scroll taken off) of a
// window row, kept inside the window's columns.
void draw_found_bar(const TextWindow* w, int row, int from, int to, int colour) {
  from = std::max(from, 0);
  to = std::min<int>(to, w->columns);
  if (to <= from) return;
  fill_row_span(row, w->left_column + from, to - from, colour);
}

// The window drawn as it now stands, then the match's bars over it; the run loop finds nothing
// left to draw, so the bars stay until those lines are drawn again.
void show_found_text() {
  mark_match();
  request_full_redraw();
  redraw_window_lines();
  highlight_found_text();
}

int16_t ask_replace() {
  const int row = std::max(1, g_windows.active->top_row + g_windows.active->cursor_row + 5);
  return message_box(row, 39, 46, REPLACE_QUESTION, MSGBOX_CHOICE,
                     const_cast<char*>(REPLACE_CHOICES), ANSWER_YES, REPLACE_LETTERS, 0, nullptr);
}

}  // namespace

void highlight_found_text() {
  TextWindow* w = g_windows.active;
  TextLine* line = g_search.match_line;
  TextLine* end_line = g_search.match_end_line != nullptr ? g_search.match_end_line : line;
  if (w == nullptr || line == nullptr) return;
  mark_match();
  // The bars are XORed over what the window shows; a colour base of its own takes the other
  // colour, so that the bar stands out on either.
  const int base = g_attributes.colour_base;
  const int colour = base == 0 || base == 40 ? FOUND_TEXT_COLOUR : FOUND_TEXT_COLOUR_OTHER;
  const int scroll = w->horizontal_scroll;
  struct Bar {
    int row, from, to;
  };
  std::vector<Bar> bars;
  int row = w->top_row + w->cursor_row;
  int from = screen_column_of_byte(line->text, static_cast<size_t>(g_search.match_column)) - scroll;
  line->state |= LINE_STATE_REDRAW;
  // Each line end the match runs over ends that row's bar; the match goes on at the next row.
  while (line != end_line) {
    bars.push_back({row, from, screen_column_of_byte(line->text, line->text.size()) - scroll});
    line = next_visible_line(line);
    if (line == nullptr || ++row > w->bottom_row) {
      // The rest of the match lies beyond the window or the list: nothing to show it by.
      clear_marked_block();
      request_full_redraw();
      return;
    }
    line->state |= LINE_STATE_REDRAW;
    from = -scroll;
  }
  bars.push_back(
      {row, from, screen_column_of_byte(line->text, static_cast<size_t>(g_search.match_end)) - scroll});
  for (const Bar& bar : bars) draw_found_bar(w, bar.row, bar.from, bar.to, colour);
}

TextLine* replace_match(const std::string& replacement) {
  TextWindow* w = g_windows.active;
  TextLine* line = g_search.match_line;
  if (w == nullptr || line == nullptr) return nullptr;
  TextLine* end_line = g_search.match_end_line != nullptr ? g_search.match_end_line : line;
  // The lines a match ran over go with it; they must all still be there, in order.
  std::vector<TextLine*> covered;
  for (TextLine* l = line; l != end_line; l = l->next) {
    if (l->next == nullptr || is_placeholder(l->next)) return nullptr;
    covered.push_back(l->next);
  }
  const std::string head = line->text.substr(0, static_cast<size_t>(g_search.match_column));
  const std::string tail = end_line->text.substr(static_cast<size_t>(g_search.match_end));
  // The replacement as lines, split after each newline.
  std::vector<std::string> pieces;
  size_t from = 0;
  for (size_t nl; (nl = replacement.find('\n', from)) != std::string::npos; from = nl + 1)
    pieces.push_back(replacement.substr(from, nl + 1 - from));
  pieces.push_back(replacement.substr(from));
  pieces.front() = head + pieces.front();
  pieces.back() += tail;
  for (const std::string& p : pieces)
    if (p.size() > static_cast<size_t>(LINE_TEXT_MAX)) return nullptr;
  clear_marked_block();
  for (TextLine* l : covered) delete_line(l);
  set_line_text(pieces.front().c_str(), line);
  line->state |= LINE_STATE_REDRAW;
  TextLine* after = line;
  for (size_t k = 1; k < pieces.size(); ++k) {
    TextLine* added = insert_line(pieces[k].c_str(), {}, after);
    if (added == nullptr) break;
    added->kind = static_cast<uint8_t>(after->kind & ~LINE_KIND_PARAGRAPH);
    if (!after->text.empty() && after->text.back() == '\n') added->kind |= LINE_KIND_PARAGRAPH;
    added->state |= LINE_STATE_REDRAW;
    after = added;
  }
  // The cursor stands after the replacement.
  g_lists.cursor_line = after;
  w->text_column = static_cast<int16_t>(after->text.size() - tail.size());
  g_search.match_line = after;
  g_search.match_end_line = after;
  g_search.match_end = w->text_column;
  if (g_run.replaying == 0) w->flags |= WINDOW_CHANGED;
  ++g_lists.lines_changed;
  return line;
}

TextLine* next_search_line(TextLine* line, TextLine* stop) {
  if (line == nullptr) return nullptr;
  TextLine* next = next_visible_line(line);
  if (next == nullptr || next == stop) return nullptr;
  if (++g_search.lines_searched % FIND_POLL_LINES != 0) return next;
  // A long search: Esc stops it; anything else typed meanwhile waits its turn.
  if (poll_input_code(EVENT_PEEK_LIMIT) == KEY_ESC) {
    poll_input_code(0);
    return nullptr;
  }
  update_ticks();
  if (g_clock.seconds > 0) {
    char text[64];
    std::snprintf(text, sizeof(text), "%7ld lines searched.",
                  static_cast<long>(g_search.lines_searched));
    show_text_box(text, TEXTBOX_CLOSE_AT_ONCE | TEXTBOX_SCREEN_CENTRE);
    g_search.counter_shown = true;
    g_clock.seconds = 0;
  }
  return next;
}

int find_replace(TextLine* line, int column) {
  TextWindow* w = g_windows.active;
  g_search.lines_searched = 0;
  if (w == nullptr || g_search.pattern.empty()) return 0;
  uint16_t flags = g_search.flags;
  if ((flags & FIND_WHOLE_WORDS) != 0 && !word_pattern(g_search.pattern)) {
    flags &= static_cast<uint16_t>(~FIND_WHOLE_WORDS);
    g_search.flags = flags;
  }
  TextLine* stop = nullptr;
  TextLine* block_end = nullptr;
  int16_t block_end_column = 0;
  if ((flags & FIND_IN_BLOCK) != 0) {
    normalize_marked_block();
    if (g_lists.block_start == nullptr || g_lists.block_end == nullptr) return 0;
    block_end = g_lists.block_end;
    block_end_column = w->block_end_column;
    stop = block_end->next;
    if (line == nullptr) {
      line = g_lists.block_start;
      column = w->block_start_column;
    }
  }
  if (line == nullptr) return 0;
  g_search.counter_shown = false;
  // Folded and unread runs come back as the search walks; nothing folds behind it meanwhile,
  // so that the lines it holds stay in the list.
  ++g_fold.holding;
  if (column >= line->text_length) {
    line = next_search_line(line, stop);
    column = 0;
  }
  bool found = false;
  TextCursor from;
  from.last = block_end;
  from.last_end = static_cast<size_t>(block_end_column);
  from.stop = stop;
  from.one_line = (flags & FIND_ONE_LINE) != 0;
  for (; line != nullptr && line != stop; line = next_search_line(line, stop), column = 0) {
    from.line = line;
    from.i = static_cast<size_t>(column);
    from.end = line == block_end ? static_cast<size_t>(block_end_column) : line->text.size();
    size_t start = 0;
    TextCursor after;
    if (find_in_line(from, flags, &start, &after)) {
      g_search.match_line = line;
      g_search.match_column = static_cast<int16_t>(start);
      g_search.match_end_line = after.line;
      g_search.match_end = static_cast<int16_t>(after.i);
      found = true;
      break;
    }
  }
  --g_fold.holding;
  if (g_search.counter_shown) request_full_redraw();  // the count's box goes
  if (!found) return 0;
  if ((flags & FIND_TEST_ONLY) != 0) return 1;
  put_cursor_at_match();
  if ((flags & FIND_REPLACE) == 0) {
    request_full_redraw();
    if ((flags & FIND_KEEP_BLOCK) != 0) return 1;
    if ((flags & FIND_IN_BLOCK) != 0) mark_match();
    else show_found_text();
    return 1;
  }
  bool quit = false;
  if (g_search.ask_each != 0) {
    show_found_text();
    const int16_t answer = ask_replace();
    clear_marked_block();
    if (answer == 27) return -1;
    if (answer == ANSWER_NO) return 1;
    if (answer == ANSWER_ALL) g_search.ask_each = 0;
    quit = answer == ANSWER_QUIT;
  }
  TextLine* replaced = replace_match(g_search.replacement);
  if (replaced == nullptr) {
    show_text_box("The replacement would make the line longer than a line may be; "
                  "that match was left as it is.", TEXTBOX_PRESS_A_KEY);
    return -1;
  }
  // The pieces join into paragraphs again; the cursor stays after the replacement.
  if (w->wrap_width >= 4) reformat_lines(replaced, g_lists.cursor_line->next, w->wrap_width);
  request_full_redraw();
  return quit ? -1 : 2;
}

// ---- The run loop's driver ----------------------------------------------------------------------

namespace {

// The next editing buffer after the active one (list order, round to the first) that holds
// text, made the active one; false when the walk came back to `start`.
bool move_to_next_buffer(TextLine* start) {
  TextLine* node = g_windows.active_node;
  if (node == nullptr || g_buffers.buffer_list == nullptr ||
      !list_contains(g_buffers.buffer_list, node))
    return false;
  for (TextLine* next = node->next != nullptr ? node->next : list_head_of(node); next != start;
       next = next->next != nullptr ? next->next : list_head_of(next)) {
    const TextWindow* w = window_of(next);
    if (w == nullptr || w->first_line == nullptr) continue;
    if (w->first_line->next == nullptr && w->first_line->text_length == 0) continue;
    store_window_state();
    if (g_buffer_windows.two_shown == 0)
      node->state &= static_cast<uint8_t>(~LINE_STATE_ACTIVATED);
    activate_window(next);
    g_buffers.buffer_to_activate = next;
    request_full_redraw();
    return true;
  }
  return false;
}

// Back to the buffer the search started in (nothing found elsewhere).
void back_to_buffer(TextLine* start) {
  if (g_windows.active_node == start || start == nullptr) return;
  store_window_state();
  if (g_buffer_windows.two_shown == 0)
    g_windows.active_node->state &= static_cast<uint8_t>(~LINE_STATE_ACTIVATED);
  activate_window(start);
  g_buffers.buffer_to_activate = start;
  request_full_redraw();
}

void report(int replacements, int phrase) {
  const bool saved_kept = g_run.block_kept;
  const int16_t marking = g_run.marking;
  const std::string shown = escape_control_chars(g_search.pattern.c_str());
  char text[400];
  if (replacements > 0)
    std::snprintf(text, sizeof(text), "%sReplaced \"%s\"\n\n Total replacements: %d", REPEAT_TITLE,
                  shown.c_str(), replacements);
  else
    std::snprintf(text, sizeof(text), "%sCouldn't find: \"\v%s\x13\"\n\nSearched %s.",
                  REPEAT_TITLE, shown.c_str(), SEARCHED_PHRASES[phrase]);
  request_full_redraw();
  const int16_t key = show_text_box(text, TEXTBOX_WAIT_KEY | TEXTBOX_TITLE);
  if (key == KEY_CTRL_F || key == KEY_CTRL_R) push_input_code(key);
  g_run.marking = marking;
  g_run.block_kept = saved_kept;
}

}  // namespace

RunStep find_command(RunWindowCall* /*call*/, EventCode code) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return RUN_TAIL;
  if (code == WINDOW_FIND_FROM_TOP) {
    if (!g_find.search_text.empty()) {
      // A hot letter of a list or menu: any case, the found line centred, the block left; the
      // user's own find text and options stay for the next F3.
      const std::string pattern = g_search.pattern;
      const uint16_t flags = g_search.flags;
      g_search.pattern = g_find.search_text;
      g_search.flags = FIND_CENTRE | FIND_KEEP_BLOCK;
      g_find.search_text.clear();
      g_find.last_find_result = static_cast<int16_t>(find_replace(g_lists.current.first, 0));
      g_search.pattern = pattern;
      g_search.flags = flags;
      return RUN_TAIL;
    }
    g_find.last_find_result =
        static_cast<int16_t>(g_search.pattern.empty() ? 0 : find_replace(g_lists.current.first, 0));
    return RUN_TAIL;
  }
  if (code == WINDOW_REPEAT_FIND && g_search.last_flags == FIND_NONE_YET) code = WINDOW_FIND;
  if (code == WINDOW_FIND || code == WINDOW_REPLACE) {
    const bool replace = code == WINDOW_REPLACE;
    if (replace) clear_marked_block();
    if (find_dialog(replace) == 0) {
      request_full_redraw();
      return RUN_TAIL;
    }
    g_search.last_flags = g_search.flags;
  } else {
    g_search.flags = g_search.last_flags & static_cast<uint16_t>(~FIND_KEEP_BLOCK);
    g_search.ask_each = 1;
    if ((g_search.flags & FIND_IN_BLOCK) == 0) clear_marked_block();
  }
  const bool in_block = (g_search.flags & FIND_IN_BLOCK) != 0;
  int replacements = 0;
  // Where the next step searches from: a new search at the cursor, a repeat just after it (the
  // cursor stands on the last match), after a declined replacement one past its start, after a
  // replacement where it left the cursor.
  TextLine* from = g_lists.cursor_line;
  int column = w->text_column + (code == WINDOW_FIND || code == WINDOW_REPLACE ? 0 : 1);
  bool first_step = true;
  TextLine* start_buffer = g_windows.active_node;
  const bool all_buffers = (g_search.flags & FIND_ALL_BUFFERS) != 0 && !in_block;
  for (;;) {
    int result = in_block && first_step ? find_replace(nullptr, 0) : find_replace(from, column);
    first_step = false;
    // At the end of a buffer the search goes on from the top of the next one that holds text.
    while (result == 0 && all_buffers && move_to_next_buffer(start_buffer)) {
      w = g_windows.active;
      result = find_replace(g_lists.current.first, 0);
    }
    if (result == 0 && all_buffers) {
      back_to_buffer(start_buffer);
      w = g_windows.active;
    }
    if (result > 1) ++replacements;
    if (result < 0) {
      if (replacements > 0) report(replacements, 0);
      request_full_redraw();
      return RUN_TAIL;
    }
    if (result == 0) {
      report(replacements, in_block ? 2 : 0);
      return RUN_TAIL;
    }
    if ((g_search.flags & FIND_REPLACE) == 0) return RUN_TAIL;  // the cursor is on the match
    if (result == 2) {
      from = g_lists.cursor_line;
      column = w->text_column;
    } else {
      from = g_search.match_line;
      column = g_search.match_column + 1;
    }
    if (poll_input_code(EVENT_PEEK_LIMIT) == KEY_ESC) {
      poll_input_code(0);
      report(replacements, 0);
      return RUN_TAIL;
    }
  }
}

void reset_find_state() { g_search = SearchState{}; }
