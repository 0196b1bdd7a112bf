#include "ui/text_moves.h"

#include <cstring>
#include <string>

#include "store/line_fold.h"
#include "ui/editor_cursor.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

// The factory delimiter set of Ctrl+Left and Ctrl+Right.
constexpr char CTRL_WORD_DELIMITERS[] =
    "\n\t\\\" !@#$%^&~()|=,/;[]{}:<>?*-.+\x93\x94";

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// 1 on a delimiter, 0 not, -1 at the text's end; a caret past the line's end goes to it first.
int cursor_at_delimiter(const char* set) {
  TextWindow* w = g_windows.active;
  TextLine* line = g_lists.cursor_line;
  if (w == nullptr || line == nullptr) return -1;
  if (w->text_column > static_cast<int>(line->text.size())) cursor_to_line_end();
  const std::string& text = line->text;
  const size_t i = static_cast<size_t>(w->text_column);
  if (i >= text.size()) return -1;
  const char c = text[i];
  const char after = i + 1 < text.size() ? text[i + 1] : '\0';
  if (std::strchr(set, c) != nullptr) {
    if (c == '.' && i > 0 && is_digit(text[i - 1]) && is_digit(after)) return 0;  // a decimal point
    if (after == '\x94') return 0;
    if (after == '"' && std::strchr(".!?", c) != nullptr) return 0;
    return 1;
  }
  if (c == '\x94' && i > 0 && (after == '\n' || after == ' ') &&
      std::strchr(".!?", text[i - 1]) != nullptr)
    return 1;
  return 0;
}

bool on_delimiter(const char* set) { return cursor_at_delimiter(set) != 0; }

// One step left, on to the previous line's end; false at the list's top.
bool step_left_across_lines() {
  if (cursor_left_in_line() != 0) return true;
  if (prev_visible_line(g_lists.cursor_line) == nullptr) return false;
  editor_line_up();
  cursor_to_line_end();
  return true;
}

// One step right, on to the next line's start; false at the list's end.
bool step_right_across_lines() {
  if (cursor_right_in_line(KEY_RIGHT) != 0) return true;
  if (next_visible_line(g_lists.cursor_line) == nullptr) return false;
  editor_line_down();
  cursor_to_line_start();
  return true;
}

void start_word_move() {
  if (g_run.marking == 0) clear_marked_block();
}

}  // namespace

void word_left() {
  if (g_windows.active == nullptr || g_lists.cursor_line == nullptr) return;
  start_word_move();
  const char* set = CTRL_WORD_DELIMITERS;
  if (!on_delimiter(set) && !step_left_across_lines()) return;
  while (on_delimiter(set))
    if (!step_left_across_lines()) return;
  while (!on_delimiter(set))
    if (!step_left_across_lines()) return;
  step_right_across_lines();
}

void word_right() {
  if (g_windows.active == nullptr || g_lists.cursor_line == nullptr) return;
  start_word_move();
  const char* set = CTRL_WORD_DELIMITERS;
  while (!on_delimiter(set))
    if (!step_right_across_lines()) return;
  while (on_delimiter(set))
    if (!step_right_across_lines()) return;
}

// Stand-in: marks nothing.
void select_word_left(TextLine** /*previous_cursor_line*/, int16_t* /*anchor_column*/) {}
// Stand-in: marks nothing.
void select_word_right(TextLine** /*previous_cursor_line*/, int16_t* /*anchor_column*/) {}
// Stand-in: marks nothing.
void select_sentence_left(TextLine** /*previous_cursor_line*/, int16_t* /*anchor_column*/) {}
// Stand-in: marks nothing.
void select_sentence_right(TextLine** /*previous_cursor_line*/, int16_t* /*anchor_column*/) {}
// Stand-in: marks nothing.
void select_paragraph_left(TextLine** /*previous_cursor_line*/, int16_t* /*anchor_column*/) {}
// Stand-in: marks nothing.
void select_paragraph_right(TextLine** /*previous_cursor_line*/, int16_t* /*anchor_column*/) {}
