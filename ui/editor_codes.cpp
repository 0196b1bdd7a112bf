// The codes around the marked block (colour runs, quotes, brackets), the entry lines' code keys
// that use them, and making a paragraph one flowing text.
#include <algorithm>
#include <string>

#include "store/line_fold.h"
#include "ui/editor_cursor.h"
#include "ui/editor_paragraphs.h"
#include "ui/editor_text.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

constexpr char COLOUR_CODES[] = "\x0b\x0c\x0e\x13";
constexpr char NORMAL_COLOUR = 0x13;
constexpr char STRAIGHT_QUOTE = '"';
constexpr char OPEN = static_cast<char>(QUOTE_OPEN);
constexpr char CLOSE = static_cast<char>(QUOTE_CLOSE);
// A paragraph marked without a block runs to this column of its last line.
constexpr int16_t WHOLE_LINE = 999;

bool has_block() { return g_lists.block_start != nullptr && g_lists.block_end != nullptr; }
bool is_quote_code(uint8_t code) { return code == '"' || code == QUOTE_OPEN; }
bool opens_quote(char c) { return c == STRAIGHT_QUOTE || c == OPEN; }
bool any_quote(char c) { return c == STRAIGHT_QUOTE || c == OPEN || c == CLOSE; }
bool closes_quote(char c) { return c == CLOSE || c == STRAIGHT_QUOTE; }
char closing_of(uint8_t code) { return code == QUOTE_OPEN ? CLOSE : STRAIGHT_QUOTE; }

std::string without(const std::string& text, bool (*drop)(char)) {
  std::string kept;
  for (char c : text)
    if (!drop(c)) kept += c;
  return kept;
}
bool colour_byte(char c) { return is_colour_code(static_cast<uint8_t>(c)); }

void mark_changed(TextWindow* w) {
  if (g_run.replaying == 0) w->flags |= WINDOW_CHANGED;
  w->line_count = 0;
}

// The new text of a block within one line.
std::string surround_in_line(const std::string& text, int s, int e, uint8_t code) {
  std::string head = text.substr(0, static_cast<size_t>(s));
  const std::string body = text.substr(static_cast<size_t>(s), static_cast<size_t>(e - s));
  std::string tail = text.substr(static_cast<size_t>(e));
  if (is_quote_code(code)) {
    const bool quoted = (!head.empty() && opens_quote(head.back())) || opens_quote(body[0]);
    if (quoted && !head.empty() && opens_quote(head.back())) head.pop_back();
    std::string out = head;
    if (!quoted) out += static_cast<char>(code);
    out += without(body, any_quote);
    if (!quoted) out += closing_of(code);
    if (!tail.empty() && closes_quote(tail[0])) tail.erase(0, 1);
    return out + tail;
  }
  if (code == '(') return head + "(" + body + ")" + tail;
  if (code == ')') {
    if (!head.empty() && head.back() == '(') head.pop_back();
    if (!tail.empty() && tail[0] == ')') tail.erase(0, 1);
    return head + body + tail;
  }
  const std::string plain = without(body, colour_byte);
  if (code == 0) return head + plain + tail;
  return head + static_cast<char>(code) + plain + NORMAL_COLOUR + tail;
}

int surround_one_line(TextWindow* w, uint8_t code) {
  cursor_to_block_start();
  TextLine* line = g_lists.block_start;
  const std::string& text = line->text;
  int s = std::clamp<int>(w->block_start_column, 0, static_cast<int>(text.size()));
  int e = std::clamp<int>(w->block_end_column, 0, static_cast<int>(text.size()));
  while (e > s && (text[static_cast<size_t>(e - 1)] == ' ' || text[static_cast<size_t>(e - 1)] == '\n'))
    --e;
  while (s < e && text[static_cast<size_t>(s)] == ' ') ++s;
  if (s >= e) return 0;
  const std::string updated = surround_in_line(text, s, e, code);
  if (updated.size() > static_cast<size_t>(LINE_TEXT_MAX)) {
    report_line_too_long();
    return -1;
  }
  clear_marked_block();
  set_line_text(updated.c_str(), line);
  mark_changed(w);
  reformat_lines(g_lists.cursor_line, g_lists.cursor_line->next, w->wrap_width);
  flag_paragraph_for_redraw(g_lists.cursor_line);
  return -1;
}

bool insert_byte(TextLine* line, int at, char c) {
  if (line->text.size() + 1 > static_cast<size_t>(LINE_TEXT_MAX)) return false;
  std::string text = line->text;
  text.insert(static_cast<size_t>(std::clamp<int>(at, 0, static_cast<int>(text.size()))), 1, c);
  return set_line_text(text.c_str(), line) != nullptr;
}

// Both lines can take one more byte.
bool room_for_pair(const TextLine* first, const TextLine* last) {
  return first->text.size() < static_cast<size_t>(LINE_TEXT_MAX) &&
         last->text.size() < static_cast<size_t>(LINE_TEXT_MAX);
}

int surround_over_lines(TextWindow* w, uint8_t code) {
  if (code == '(' || code == ')') return 0;
  cursor_to_block_start();
  TextLine* first = g_lists.block_start;
  TextLine* last = g_lists.block_end;
  int s = std::clamp<int>(w->block_start_column, 0, static_cast<int>(first->text.size()));
  int e = std::clamp<int>(w->block_end_column, 0, static_cast<int>(last->text.size()));
  while (e > 0 && (last->text[static_cast<size_t>(e - 1)] == ' ' ||
                   last->text[static_cast<size_t>(e - 1)] == '\n'))
    --e;
  while (s < static_cast<int>(first->text.size()) && first->text[static_cast<size_t>(s)] == ' ') ++s;
  bool refused = false;
  if (is_quote_code(code)) {
    const bool quoted = (s > 0 && opens_quote(first->text[static_cast<size_t>(s - 1)])) ||
                        (s < static_cast<int>(first->text.size()) &&
                         opens_quote(first->text[static_cast<size_t>(s)]));
    if (quoted) {
      if (s > 0 && opens_quote(first->text[static_cast<size_t>(s - 1)])) {
        std::string text = first->text;
        text.erase(static_cast<size_t>(s - 1), 1);
        set_line_text(text.c_str(), first);
      }
      if (e > 0 && last->text[static_cast<size_t>(e - 1)] == CLOSE) {
        std::string text = last->text;
        text.erase(static_cast<size_t>(e - 1), 1);
        set_line_text(text.c_str(), last);
      }
    } else if (room_for_pair(first, last)) {
      insert_byte(first, s, static_cast<char>(code));
      insert_byte(last, e, closing_of(code));
    } else {
      refused = true;
    }
  } else {
    while (s > 0 && colour_byte(first->text[static_cast<size_t>(s - 1)])) --s;
    while (e < static_cast<int>(last->text.size()) && colour_byte(last->text[static_cast<size_t>(e)])) ++e;
    w->block_start_column = static_cast<int16_t>(s);
    w->block_end_column = static_cast<int16_t>(e);
    remove_chars_from_block(COLOUR_CODES);
    e = w->block_end_column;
    if (s < static_cast<int>(first->text.size()) && first->text[static_cast<size_t>(s)] == ' ') ++s;
    if (e > 0 && last->text[static_cast<size_t>(e - 1)] == ' ') --e;
    if (code != 0 && room_for_pair(first, last)) {
      insert_byte(first, s, static_cast<char>(code));
      insert_byte(last, e, NORMAL_COLOUR);
    } else if (code != 0) {
      refused = true;
    }
  }
  if (refused) report_line_too_long();
  mark_changed(w);
  reformat_lines(g_lists.cursor_line, last->next, w->wrap_width);
  g_windows.redraw_pending = 1;
  for (TextLine* l = g_lists.block_start; l != nullptr; l = l->next) {
    l->state |= LINE_STATE_REDRAW;
    if (l == g_lists.block_end) break;
  }
  clear_marked_block();
  return -1;
}

}  // namespace

int squeeze_blanks(std::string& text) {
  std::string out;
  bool blank_before = true;  // leading blanks go
  for (char c : text) {
    if (c == ' ' && blank_before) continue;
    out += c;
    blank_before = c == ' ';
  }
  text = out;
  return static_cast<int>(text.size());
}

int reformat_paragraph() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return WINDOW_NOTHING;
  normalize_marked_block();
  if (has_block()) {
    cursor_to_block_start();
  } else {
    g_lists.block_start = g_lists.block_end = g_lists.cursor_line;
    w->block_start_column = 0;
    w->block_end_column = WHOLE_LINE;
    for (TextLine* next = next_visible_line(g_lists.block_end); next != nullptr;
         next = next_visible_line(next)) {
      const bool laid_out = (next->kind & (LINE_KIND_CENTRED | LINE_KIND_INDENTED)) != 0;
      if (laid_out || next->text.empty() || static_cast<uint8_t>(next->text[0]) <= 32) break;
      g_lists.block_end = next;
    }
  }
  TextLine* start = g_lists.block_start;
  TextLine* end = g_lists.block_end;
  for (TextLine* line = start; line != nullptr; line = line->next) {
    line->kind &= static_cast<uint8_t>(~(LINE_KIND_CENTRED | LINE_KIND_INDENTED));
    line->attributes[0] = line->attributes[1] = 0;
    line->attributes[4] = line->attributes[5] = 0;
    std::string text = line->text;
    std::replace(text.begin(), text.end(), '\t', ' ');
    if (line != end) std::replace(text.begin(), text.end(), '\n', ' ');
    squeeze_blanks(text);
    set_line_text(text.c_str(), line);  // never longer
    if (line == end) break;
  }
  g_run.marking = 0;
  g_lists.block_start = g_lists.block_end = nullptr;
  reformat_lines(start, end->next, w->wrap_width);
  request_full_redraw();
  mark_changed(w);
  return WINDOW_NOTHING;
}

int surround_block(uint8_t code) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return 0;
  normalize_marked_block();
  if (!has_block()) return 0;
  if (g_lists.block_start == g_lists.block_end) return surround_one_line(w, code);
  return surround_over_lines(w, code);
}

int colour_code_key(uint8_t code) {
  if (surround_block(code) != 0) return WINDOW_NOTHING;
  flag_paragraph_for_redraw(g_lists.cursor_line);
  delete_colour_code_at_cursor();
  return code;
}

int normal_colour_key() {
  if (surround_block(0) != 0) return WINDOW_NOTHING;
  const TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return 0;
  if (w->text_column > static_cast<int>(g_lists.cursor_line->text.size())) return 0;
  if (delete_colour_code_at_cursor() != 0) return 0;
  return NORMAL_COLOUR;
}

int quote_key() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return 0;
  const bool rich = (w->flags & WINDOW_SHOW_CONTROL_CODES) != 0;
  if (surround_block(rich ? QUOTE_OPEN : '"') != 0) return WINDOW_NOTHING;
  const std::string& text = g_lists.cursor_line->text;
  const int column = w->text_column;
  if (column <= 0) return QUOTE_OPEN;
  const auto at = [&](int i) -> uint8_t {
    return i >= 0 && i < static_cast<int>(text.size()) ? static_cast<uint8_t>(text[static_cast<size_t>(i)]) : 0;
  };
  const uint8_t c = at(column - 1);
  if (c == '(' || c == ' ' || c == '\t' || c == '\'') return QUOTE_OPEN;
  if (c == 0x13) return (column > 2 && at(column - 2) > 0x20) || at(column + 1) == ' ' ? QUOTE_CLOSE
                                                                                     : QUOTE_OPEN;
  if (c > 0x20) return column >= 2 && at(column - 2) == 0x08 ? QUOTE_OPEN : QUOTE_CLOSE;
  return QUOTE_OPEN;
}
