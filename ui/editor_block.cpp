// Deleting at the caret, the marked block and its commands, the clipboards and pasting.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/window.h"
#include "screen/pointer.h"
#include "store/line_fold.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/store_host.h"
#include "ui/editor_cursor.h"
#include "ui/editor_text.h"
#include "ui/editor_undo.h"
#include "ui/message_box.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

void mark_changed() {
  TextWindow* w = g_windows.active;
  if (w != nullptr && g_run.replaying == 0) w->flags |= WINDOW_CHANGED;
  if (w != nullptr) w->line_count = 0;
}

bool has_block() { return g_lists.block_start != nullptr && g_lists.block_end != nullptr; }

// 1 when `a` lies before `b` in the list (or is it).
bool line_not_after(const TextLine* a, const TextLine* b) {
  for (const TextLine* l = a; l != nullptr; l = l->next)
    if (l == b) return true;
  return false;
}

// Joins the cursor line with the next line at the caret (the caret stands on the newline or at
// the text's end); refused when the joined line would be too long.
int join_at_caret(TextWindow* w, TextLine* line, size_t column) {
  TextLine* next = line->next;
  if (next == nullptr) {
    set_line_text(line->text.substr(0, column).c_str(), line);
    return 1;
  }
  const SpliceResult joined = splice_text(line, static_cast<int>(column), next, 0, {});
  if (joined.first == nullptr) {
    report_line_too_long();
    return 0;
  }
  (void)w;
  return 1;
}

// Removes the byte (or escape pair) at the caret; 1 removed, 0 nothing, -1 at the text's end.
int delete_at_caret(TextWindow* w, TextLine* line) {
  size_t i = static_cast<size_t>(w->text_column);
  const std::string& text = line->text;
  // Back onto the lead of a pair when the caret stands after it.
  if (i > 0 && i < text.size() && is_escape_lead(static_cast<uint8_t>(text[i - 1]))) --i;
  while (i < text.size()) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (c == '\n') {
      w->text_column = static_cast<int16_t>(i);
      return join_at_caret(w, line, i);
    }
    if (c == '\t' || c >= 32 || (is_colour_code(c) && codes_shown())) {
      std::string rest = text;
      rest.erase(i, 1);
      set_line_text(rest.c_str(), line);
      w->text_column = static_cast<int16_t>(i);
      return 1;
    }
    if (is_escape_lead(c)) {
      std::string rest = text;
      rest.erase(i, std::min<size_t>(2, text.size() - i));
      set_line_text(rest.c_str(), line);
      w->text_column = static_cast<int16_t>(i);
      return 1;
    }
    ++i;  // a code without a column is stepped over
  }
  return -1;
}

}  // namespace

// ---- Deleting ----------------------------------------------------------------------------------

int editor_delete_char() {
  TextWindow* w = g_windows.active;
  TextLine* line = g_lists.cursor_line;
  if (w == nullptr || line == nullptr) return 0;
  w->line_count = 0;
  const size_t length = line->text.size();
  const size_t caret = static_cast<size_t>(std::max<int16_t>(w->text_column, 0));
  if (caret >= length) {
    if (line->next == nullptr) return 0;
    if (caret == length && !ends_with_newline(line)) {
      // The end of a soft line: the next line's first character goes.
      if (editor_line_down() == 0) return 0;
      cursor_to_line_start();
      line = g_lists.cursor_line;
    } else {
      // Blank space after the text: the next line joins at the caret.
      // The joined line is checked before a blank is added.
      if (caret + line->next->text.size() > static_cast<size_t>(LINE_TEXT_MAX)) {
        report_line_too_long();
        return 0;
      }
      std::string text = line->text;
      if (ends_with_newline(line)) text.pop_back();
      text.append(caret - text.size(), ' ');
      text += '\n';
      if (set_line_text(text.c_str(), line) == nullptr) return 0;
    }
  }
  mark_changed();
  const int result = delete_at_caret(w, line);
  if (result <= 0) return result == 0 ? 0 : -1;
  line->state |= LINE_STATE_REDRAW;
  g_windows.redraw_pending = 1;
  if (line->text.empty()) {
    if (line->next != nullptr) {
      TextLine* next = line->next;
      delete_line(line);
      g_lists.cursor_line = next;
      w->text_column = 0;
    } else if (line->prev != nullptr) {
      TextLine* prev = line->prev;
      delete_line(line);
      g_lists.cursor_line = prev;
      if (w->cursor_row > 0) w->cursor_row--;
      cursor_to_line_end();
    }
    request_full_redraw();
  }
  TextLine* cursor = g_lists.cursor_line;
  reformat_lines(cursor->prev != nullptr ? cursor->prev : cursor,
                 cursor->next != nullptr ? cursor->next : cursor, w->wrap_width);
  screen_column_from_text();
  g_lists.lines_changed++;
  return 1;
}

namespace {

constexpr const char* DELETE_MARKED_QUESTION =
    "Are you sure you want to delete all the marked lines?";
constexpr const char* DELETE_WHAT_QUESTION =
    "\x1d!!Delete what?\n\nThe \vM\x13" "arked lines or the line the \vC\x13ursor bar is on?";
constexpr const char* DELETE_WHAT_BUTTONS = "\vM\x13" "arked    \vC\x13ursor";


bool line_is_empty(const TextLine* line) { return line->text.empty() || line->text == "\n"; }

// The checked lines go; the cursor to the first line at row 0. An emptied list keeps one line.
void delete_marked_lines(TextWindow* w) {
  delete_checked_lines();
  if (g_lists.current.first == nullptr) append_line("");
  g_lists.cursor_line = g_lists.current.first;
  w->cursor_row = 0;
}

void delete_cursor_line(TextWindow* w) {
  TextLine* line = g_lists.cursor_line;
  if (line->next == nullptr && w->cursor_row > 0) w->cursor_row--;
  if (line->next == nullptr && line->prev == nullptr)
    set_line_text("", line);
  else
    delete_line(line);
}

// 0 the cursor line, 1 the checked lines, -1 nothing.
int choose_lines_to_delete(EventCode code, TextLine* line) {
  if (code == WINDOW_DELETE_LINE_NOW) return 0;
  if (any_line_checked() != 0) {
    if (line_is_empty(line)) {
      // Asked with no as the default for a code 0, yes otherwise.
      return ask_yes_no(DELETE_MARKED_QUESTION, code == 0 ? 0 : 1) == 1 ? 1 : -1;
    }
    // The choice bar answers the index of the word: 0 the marked lines, 1 the cursor line.
    const int16_t answer =
        message_box(12, 39, 30, DELETE_WHAT_QUESTION, MSGBOX_CHOICE,
                    const_cast<char*>(DELETE_WHAT_BUTTONS), 1, "MC", 50, nullptr);
    if (answer == 0) return 1;
    if (answer == 1) return 0;
    return -1;
  }
  if (line_is_empty(line)) return 0;
  const std::string question = "\x1d!!Are you sure you want to delete this?\n\x1d!!\v" + line->text;
  return ask_yes_no(question.c_str(), 1) == 1 ? 0 : -1;
}

}  // namespace

int editor_delete_line(EventCode code) {
  TextWindow* w = g_windows.active;
  TextLine* line = g_lists.cursor_line;
  if (w == nullptr || line == nullptr) return -1;
  const int what = choose_lines_to_delete(code, line);
  if (what < 0) return -1;
  if (what == 1)
    delete_marked_lines(w);
  else
    delete_cursor_line(w);
  w->text_column = 0;
  caret_to_screen_column();
  fit_cursor_row();
  mark_changed();
  request_full_redraw();
  g_lists.lines_changed++;
  return 0;
}

// ---- The marked block --------------------------------------------------------------------------

void start_block_at_cursor() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return;
  if (has_block()) clear_marked_block();
  g_lists.block_start = g_lists.cursor_line;
  g_lists.block_end = g_lists.cursor_line;
  w->block_start_column = w->text_column;
  w->block_end_column = w->text_column;
  g_windows.redraw_pending = 1;
}

void set_block_edge_at_cursor(int edge) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return;
  if (edge == 0) {
    g_lists.block_start = g_lists.cursor_line;
    w->block_start_column = w->text_column;
  } else {
    g_lists.block_end = g_lists.cursor_line;
    w->block_end_column = w->text_column;
  }
  if (g_lists.block_start == nullptr || g_lists.block_end == nullptr ||
      !line_not_after(g_lists.block_start, g_lists.block_end)) {
    g_lists.block_start = nullptr;
    g_lists.block_end = nullptr;
  }
  request_full_redraw();
}

void include_closing_code() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || !has_block()) return;
  const std::string& text = g_lists.block_end->text;
  const size_t from = g_lists.block_start == g_lists.block_end
                          ? static_cast<size_t>(std::max<int16_t>(w->block_start_column, 0))
                          : 0;
  const size_t to = std::min(static_cast<size_t>(std::max<int16_t>(w->block_end_column, 0)),
                             text.size());
  bool opens = false;
  for (size_t i = from; i < to; ++i)
    if (text[i] == 0x0B || text[i] == 0x0C || text[i] == 0x0E) opens = true;
  if (!opens || to >= text.size() || text[to] != 0x13) return;
  w->block_end_column = static_cast<int16_t>(to + 1);
  if (to + 1 < text.size() && text[to + 1] == ' ') w->block_end_column++;
}

void normalize_marked_block() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || !has_block()) return;
  if (!line_not_after(g_lists.block_start, g_lists.block_end)) {
    std::swap(g_lists.block_start, g_lists.block_end);
    std::swap(w->block_start_column, w->block_end_column);
  }
  if (g_lists.block_start == g_lists.block_end &&
      w->block_start_column > w->block_end_column)
    std::swap(w->block_start_column, w->block_end_column);
  w->block_start_column = static_cast<int16_t>(
      std::clamp<int>(w->block_start_column, 0, static_cast<int>(g_lists.block_start->text.size())));
  w->block_end_column = static_cast<int16_t>(
      std::clamp<int>(w->block_end_column, 0, static_cast<int>(g_lists.block_end->text.size())));
}

int cursor_in_block() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr || !has_block()) return 0;
  bool inside = false;
  for (TextLine* l = g_lists.block_start; l != nullptr; l = l->next) {
    if (l == g_lists.cursor_line) {
      inside = true;
      break;
    }
    if (l == g_lists.block_end) break;
  }
  if (!inside) return 0;
  if (g_lists.cursor_line == g_lists.block_start && w->text_column < w->block_start_column)
    return 0;
  if (g_lists.cursor_line == g_lists.block_end && w->text_column > w->block_end_column) return 0;
  return 1;
}

void clear_marked_block() {
  TextLine* line = g_lists.block_start;
  TextLine* end = g_lists.block_end;
  while (line != nullptr) {
    line->state |= LINE_STATE_REDRAW;
    if (line == end) break;
    line = line->next;
  }
  g_windows.redraw_pending = 1;
  g_lists.block_start = nullptr;
  g_lists.block_end = nullptr;
  g_run.marking = 0;
  g_run.drag_presses = 0;
}

int copy_line_crlf(const char* text, std::string* output) {
  output->clear();
  int converted = 0;
  for (const char* p = text; *p != 0; ++p) {
    if (*p == '\n') {
      *output += "\r\n";
      converted = 1;
    } else {
      *output += *p;
    }
  }
  return converted;
}

int copy_text_to_system_clipboard(const char* text) {
  std::string converted;
  copy_line_crlf(text != nullptr ? text : "", &converted);
  if (converted.empty()) return 0;
  clipboard_set_text(converted);
  return static_cast<int>(converted.size());
}

namespace {


// The block's pieces; whole paragraphs keep the lines' kinds and attributes.
std::vector<LineCopy> block_pieces(const TextWindow* w) {
  std::vector<LineCopy> pieces = copy_text_range(g_lists.block_start, w->block_start_column,
                                                 g_lists.block_end, w->block_end_column);
  const bool whole_paragraphs =
      w->block_start_column == 0 && (g_lists.block_start->kind & LINE_KIND_PARAGRAPH) != 0 &&
      (g_lists.block_end->next == nullptr ||
       (g_lists.block_end->next->kind & LINE_KIND_PARAGRAPH) != 0);
  if (!whole_paragraphs)
    for (LineCopy& piece : pieces) piece.kind = 0;
  // A block that ends at the start of a line takes nothing of that line.
  if (pieces.size() > 1 && pieces.back().text.empty()) pieces.pop_back();
  return pieces;
}

void remove_block(TextWindow* w) {
  TextLine* first = g_lists.block_start;
  const int16_t column = w->block_start_column;
  const SpliceResult result =
      splice_text(first, column, g_lists.block_end, w->block_end_column, {});
  if (result.first == nullptr) return;  // never: removing text cannot lengthen a line
  g_lists.block_start = nullptr;
  g_lists.block_end = nullptr;
  g_lists.cursor_line = result.first;
  w->text_column = column;
  if (result.first->text.empty()) {
    if (result.first->next != nullptr) {
      g_lists.cursor_line = result.first->next;
      delete_line(result.first);
      w->text_column = 0;
    } else if (result.first->prev != nullptr) {
      g_lists.cursor_line = result.first->prev;
      delete_line(result.first);
      cursor_to_line_end();
    }
  }
  TextLine* cursor = g_lists.cursor_line;
  reformat_lines(cursor->prev != nullptr ? cursor->prev : cursor, cursor, w->wrap_width);
}

}  // namespace

void block_command(EventCode code) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || !has_block()) return;
  normalize_marked_block();
  if (g_lists.block_start == g_lists.block_end && w->block_start_column == w->block_end_column) {
    clear_marked_block();
    return;
  }
  bring_back_runs(g_lists.block_start, g_lists.block_end);
  w->line_count = 0;
  const std::vector<LineCopy> pieces = block_pieces(w);
  switch (code) {
    case WINDOW_COPY_SYSTEM: {
      std::string text;
      for (const LineCopy& piece : pieces) text += piece.text;
      copy_text_to_system_clipboard(text.c_str());
      break;
    }
    case WINDOW_COPY:
      note_clipboard_change();
      set_text_clipboard(pieces, false);
      break;
    case WINDOW_APPEND_COPY: set_text_clipboard(pieces, true); break;
    case WINDOW_CUT: set_text_clipboard(pieces, false); break;
    default: break;
  }
  g_run.marking = 0;
  if (code == WINDOW_CUT || code == KEY_CTRL_BACKSPACE) {
    if (code == WINDOW_CUT) g_run.cut_flags = w->flags;
    remove_block(w);
    mark_changed();
    request_full_redraw();
    g_lists.lines_changed++;
    screen_column_from_text();
    keep_caret_in_view();
    fit_cursor_row();
  }
}

// ---- Pasting -----------------------------------------------------------------------------------

namespace {

std::vector<LineCopy> system_clipboard_lines() {
  std::vector<LineCopy> lines;
  std::string text;
  if (!clipboard_get_text(&text)) return lines;
  LineCopy current;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    current.text += text[i] == '\r' ? '\n' : text[i];
    if (current.text.back() == '\n' || current.text.size() >= 250) {
      current.kind = LINE_KIND_PARAGRAPH;
      lines.push_back(current);
      current = LineCopy();
    }
  }
  if (!current.text.empty()) lines.push_back(current);
  return lines;
}

bool window_is_blank() {
  for (TextLine* l = g_lists.current.first; l != nullptr; l = l->next)
    for (char c : l->text)
      if (c != ' ' && c != '\n') return false;
  return true;
}

}  // namespace

int paste_lines(bool from_system) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return -1;
  std::vector<LineCopy> lines = from_system ? system_clipboard_lines() : text_clipboard_lines();
  if (lines.empty()) return -1;
  if (has_block() && g_run.block_kept == 0) block_command(KEY_CTRL_BACKSPACE);
  g_run.block_kept = 1;
  clear_marked_block();
  if (g_lists.current.first == nullptr) g_lists.cursor_line = append_line("");
  if (window_is_blank() && !from_system)
    w->flags = (w->flags & ~(WINDOW_WORD_WRAP | WINDOW_SHOW_CONTROL_CODES)) |
               (g_run.cut_flags & (WINDOW_WORD_WRAP | WINDOW_SHOW_CONTROL_CODES));
  w->line_count = 0;
  TextLine* line = g_lists.cursor_line;
  // Blank space after the text is filled with blanks first.
  const int end = static_cast<int>(line->text.size()) - (ends_with_newline(line) ? 1 : 0);
  int column = w->text_column;
  std::vector<LineCopy> pieces = lines;
  if (column > end) {
    if (ends_with_newline(line) || line->next == nullptr) {
      pieces.front().text.insert(0, static_cast<size_t>(column - end), ' ');
    }
    column = end;
  }
  const SpliceResult result = splice_text(line, column, line, column, pieces);
  if (result.first == nullptr) {
    report_line_too_long();
    return -1;
  }
  g_lists.block_start = result.first;
  g_lists.block_end = result.last;
  w->block_start_column = static_cast<int16_t>(column);
  w->block_end_column = result.end_column;
  g_lists.cursor_line = result.last;
  w->text_column = result.end_column;
  TextLine* before = result.first->prev != nullptr ? result.first->prev : result.first;
  reformat_lines(before, result.last->next != nullptr ? result.last->next : result.last,
                 w->wrap_width);
  if (w->cursor_row < w->rows - 4)
    w->cursor_row = static_cast<int16_t>(std::min<int>(
        w->cursor_row + static_cast<int>(lines.size()) - 1, w->rows - 4));
  w->horizontal_scroll = 0;
  screen_column_from_text();
  keep_caret_in_view();
  fit_cursor_row();
  mark_changed();
  request_full_redraw();
  w->goal_column = GOAL_NONE;
  g_lists.lines_changed++;
  return 0;
}

// ---- Case ----------------------------------------------------------------------------------------

namespace {

// Letters of cp1252: ASCII, and the accented letters whose capital lies 0x20 below.
bool is_lower(uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 0xE0 && c != 0xF7 && c != 0xFF); }
bool is_upper(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7); }
bool is_letter(uint8_t c) { return is_lower(c) || is_upper(c) || c == 0xFF || c == 0xDF; }

char to_upper(uint8_t c) { return static_cast<char>(is_lower(c) ? c - 0x20 : c); }
char to_lower(uint8_t c) { return static_cast<char>(is_upper(c) ? c + 0x20 : c); }

// Changes the case of text[from, to); escape pairs and codes stay as they are.
void change_case_of(std::string& text, size_t from, size_t to, CaseChange change) {
  bool word_start = from == 0 || !is_letter(static_cast<uint8_t>(text[from - 1]));
  for (size_t i = from; i < to && i < text.size(); ++i) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (is_escape_lead(c)) {
      ++i;
      word_start = true;
      continue;
    }
    if (!is_letter(c)) {
      word_start = true;
      continue;
    }
    switch (change) {
      case CASE_UPPER: text[i] = to_upper(c); break;
      case CASE_LOWER: text[i] = to_lower(c); break;
      case CASE_CAPITALS: text[i] = word_start ? to_upper(c) : to_lower(c); break;
    }
    word_start = false;
  }
}

}  // namespace

void change_block_case(CaseChange change) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  normalize_marked_block();
  if (!has_block()) {
    get_message(MSG_CASE_NEEDS_BLOCK);
    show_text_box(message_text(), TEXTBOX_TIMED | 40);
    return;
  }
  for (TextLine* line = g_lists.block_start; line != nullptr; line = line->next) {
    std::string text = line->text;
    const size_t from = line == g_lists.block_start ? static_cast<size_t>(w->block_start_column) : 0;
    const size_t to = line == g_lists.block_end ? static_cast<size_t>(w->block_end_column) : text.size();
    change_case_of(text, from, to, change);
    set_line_text(text.c_str(), line);  // the same length: never refused
    line->state |= LINE_STATE_REDRAW;
    if (line == g_lists.block_end) break;
  }
  g_windows.redraw_pending = 1;
  mark_changed();
}
