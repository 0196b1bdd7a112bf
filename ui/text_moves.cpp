#include "ui/text_moves.h"

#include <cstring>
#include <string>

#include "store/line_fold.h"
#include "ui/editor_cursor.h"
#include "ui/editor_text.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

// Sentences end at these; the walks also stop at a line's end.
constexpr char SENTENCE_DELIMITERS[] = "\n.!?";
constexpr char SENTENCE_ENDS[] = ".!?";
// A walk that cannot end (a list of delimiters only) gives up after this many steps.
constexpr int WALK_LIMIT = 1 << 22;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

TextWindow* window() { return g_windows.active; }
int16_t& column() { return g_windows.active->text_column; }
TextLine* cursor() { return g_lists.cursor_line; }
bool has_block() { return g_lists.block_start != nullptr && g_lists.block_end != nullptr; }
bool editor_window() {
  return window() != nullptr && cursor() != nullptr && (window()->flags & WINDOW_TEXT_LIST) != 0;
}

// The byte at the caret, 0 past the text.
uint8_t byte_at(int offset = 0) {
  const std::string& text = cursor()->text;
  const int i = column() + offset;
  return i >= 0 && i < static_cast<int>(text.size()) ? static_cast<uint8_t>(text[i]) : 0;
}
bool past_line_end() { return column() > static_cast<int>(cursor()->text.size()); }

// 1 on a delimiter, 0 not, -1 at the text's end; a caret past the line's end goes to it first.
int cursor_at_delimiter(const char* set) {
  TextLine* line = cursor();
  if (past_line_end()) cursor_to_line_end();
  const std::string& text = line->text;
  const size_t i = static_cast<size_t>(column());
  if (i >= text.size()) return -1;
  const char c = text[i];
  const char after = i + 1 < text.size() ? text[i + 1] : '\0';
  if (std::strchr(set, c) != nullptr) {
    if (c == '.' && i > 0 && is_digit(text[i - 1]) && is_digit(after)) return 0;  // a decimal point
    if (after == '\x94') return 0;
    if (after == '"' && std::strchr(SENTENCE_ENDS, c) != nullptr) return 0;
    return 1;
  }
  if (c == '\x94' && i > 0 && (after == '\n' || after == ' ') &&
      std::strchr(SENTENCE_ENDS, text[i - 1]) != nullptr)
    return 1;
  return 0;
}

// The end of the text counts as a delimiter.
bool on_delimiter(const char* set) { return cursor_at_delimiter(set) != 0; }
bool on_real_delimiter(const char* set) { return cursor_at_delimiter(set) == 1; }

bool step_right() { return cursor_right_in_line(KEY_RIGHT) != 0; }
bool step_left() { return cursor_left_in_line() != 0; }

bool next_line_start() {
  if (next_visible_line(cursor()) == nullptr || editor_line_down() == 0) return false;
  g_windows.hooks.line_start();
  return true;
}

// One step left, on to the previous line's end; false at the list's top.
bool step_left_across_lines() {
  if (step_left()) return true;
  if (prev_visible_line(cursor()) == nullptr) {
    g_run.top_reached = 1;
    return false;
  }
  editor_line_up();
  g_windows.hooks.line_end();
  return true;
}

// One step right, on to the next line's start; false at the list's end.
bool step_right_across_lines() {
  if (step_right()) return true;
  return next_line_start();
}

// Sentence walks step over colour codes: after a step right a code under the caret is passed.
void pass_colour_code() {
  const uint8_t c = byte_at();
  if (c != 0 && is_colour_code(c)) ++column();
}
bool sentence_step_right() {
  if (!step_right_across_lines()) return false;
  pass_colour_code();
  return true;
}
bool sentence_step_right_in_line() {
  if (!step_right()) return false;
  pass_colour_code();
  return true;
}

// Whether a gap follows the caret.
bool at_sentence_gap() {
  const uint8_t after = byte_at(1);
  if (after == 0) return false;
  const uint8_t n = after == 0x13 ? byte_at(2) : after;
  if (n == ' ') return true;
  return (n == '"' || n == 0x94 || n == '\'') && byte_at() == ' ';
}

bool at_sentence_end() {
  return on_real_delimiter(SENTENCE_DELIMITERS) && (byte_at() == '\n' || at_sentence_gap());
}

void start_word_move() {
  if (g_run.marking == 0) clear_marked_block();
}

// The selection's far edge: the block's end (1) or start (0) at the caret, and the run loop's
// extension goes on from there.
void finish_selection(int edge, TextLine** previous_cursor_line, int16_t* anchor_column) {
  set_block_edge_at_cursor(edge);
  const TextWindow* w = window();
  *anchor_column = edge != 0 ? w->block_end_column : w->block_start_column;
  *previous_cursor_line = cursor();
  include_closing_code();
}

bool block_is_empty() {
  return g_lists.block_start == g_lists.block_end &&
         window()->block_start_column == window()->block_end_column;
}

bool starts_paragraph(const TextLine* line) { return (line->kind & LINE_KIND_PARAGRAPH) != 0; }
void flag(TextLine* line) {
  line->state |= LINE_STATE_REDRAW;
  g_windows.redraw_pending = 1;
}

// ---- Words ---------------------------------------------------------------------------------

// F8 while marking: the block's end goes on to the next word's end, or its start to the next
// word.
void grow_word_right() {
  const char* set = g_word_delimiters.selection.c_str();
  if (past_line_end()) {
    g_windows.hooks.line_end();
    return;
  }
  const TextWindow* w = window();
  if (cursor() == g_lists.block_end) {
    if (cursor()->next == nullptr && byte_at() < 0x0B) return;
    if (column() == w->block_end_column) {
      while (on_delimiter(set))
        if (!step_right_across_lines()) return;
      for (int guard = 0; guard < WALK_LIMIT; ++guard) {
        if (byte_at() == 0x13 && !codes_shown()) {
          ++column();
          break;
        }
        if (on_delimiter(set) || !step_right_across_lines()) break;
      }
      if (byte_at() == ' ') step_right();
      return;
    }
  }
  while (!on_delimiter(set))
    if (!step_right_across_lines()) return;
  while (on_delimiter(set))
    if (!step_right_across_lines()) return;
}

// F7 while marking: the block's start goes back a word, or its end back to the word before.
void grow_word_left() {
  const char* set = g_word_delimiters.selection.c_str();
  if (past_line_end()) {
    g_windows.hooks.line_end();
    return;
  }
  const TextWindow* w = window();
  if (cursor() == g_lists.block_start) {
    if (cursor()->prev == nullptr && column() == 0) return;
    if (column() == w->block_start_column) {
      if (!step_left_across_lines()) return;
      while (on_delimiter(set))
        if (!step_left_across_lines()) return;
      while (!on_delimiter(set) && step_left()) {
      }
      if (on_delimiter(set)) step_right();
      return;
    }
  }
  while (!on_delimiter(set))
    if (!step_left_across_lines()) return;
  while (on_delimiter(set))
    if (!step_left_across_lines()) return;
  while (!on_delimiter(set))
    if (!step_left_across_lines()) return;
  if (on_delimiter(set)) step_right();
}

// Back to the start of the word under the caret: the delimiter before it, or column 0.
void back_to_word_start(const char* set) {
  while (!on_delimiter(set) && step_left()) {
  }
}

}  // namespace

void set_word_delimiters(const std::string& selection, const std::string& word_keys) {
  g_word_delimiters.selection = selection.empty() ? FACTORY_SELECTION_DELIMITERS : selection;
  g_word_delimiters.word_keys = word_keys.empty() ? FACTORY_WORD_KEY_DELIMITERS : word_keys;
}

void word_left() {
  if (!editor_window()) return;
  start_word_move();
  const char* set = g_word_delimiters.word_keys.c_str();
  if (!on_delimiter(set) && !step_left_across_lines()) return;
  while (on_delimiter(set))
    if (!step_left_across_lines()) return;
  while (!on_delimiter(set))
    if (!step_left_across_lines()) return;
  step_right_across_lines();
}

void word_right() {
  if (!editor_window()) return;
  start_word_move();
  const char* set = g_word_delimiters.word_keys.c_str();
  while (!on_delimiter(set))
    if (!step_right_across_lines()) return;
  while (on_delimiter(set))
    if (!step_right_across_lines()) return;
}

void select_word_right(TextLine** previous_cursor_line, int16_t* anchor_column) {
  if (!editor_window()) return;
  const char* set = g_word_delimiters.selection.c_str();
  if (has_block() && g_run.marking == 0) clear_marked_block();
  // While marking, one step; an empty block whose caret is not at the edge stops after it too.
  if (has_block()) {
    grow_word_right();
    return;
  }
  back_to_word_start(set);
  for (int guard = 0; on_delimiter(set) && guard < WALK_LIMIT; ++guard) {
    if (step_right() || next_line_start()) continue;
    // At the list's end: back to the start of the last word.
    while (on_delimiter(set))
      if (!step_left()) return;
    back_to_word_start(set);
    if (!on_delimiter(set)) break;
  }
  start_block_at_cursor();
  for (int guard = 0; guard < WALK_LIMIT; ++guard) {
    if (byte_at() == 0x13 && !codes_shown()) {
      ++column();
      if (on_delimiter(set)) break;
      continue;
    }
    if (on_delimiter(set) || !step_right()) break;
  }
  if (byte_at() == ' ') step_right();
  finish_selection(1, previous_cursor_line, anchor_column);
}

void select_word_left(TextLine** previous_cursor_line, int16_t* anchor_column) {
  if (!editor_window()) return;
  const char* set = g_word_delimiters.selection.c_str();
  if (has_block() && g_run.marking == 0) {
    clear_marked_block();
    step_left_across_lines();
  }
  if (has_block()) {
    grow_word_left();
    return;
  }
  if (on_delimiter(set)) {
    while (on_delimiter(set))
      if (!step_left_across_lines()) return;
    step_right();
  } else {
    while (!on_delimiter(set) && step_right()) {
    }
  }
  if (byte_at() == ' ') {
    step_right();
    start_block_at_cursor();
    step_left();
  } else {
    start_block_at_cursor();
  }
  step_left();
  back_to_word_start(set);
  if (on_delimiter(set)) step_right();
  finish_selection(0, previous_cursor_line, anchor_column);
}

// ---- Sentences -------------------------------------------------------------------------------

namespace {

void grow_sentence_right() {
  if (past_line_end()) g_windows.hooks.line_end();
  if (g_lists.block_end->next == nullptr && (byte_at() == '\n' || byte_at() == 0)) return;
  do {
    do {
      if (!sentence_step_right()) return;
    } while (byte_at() == 0);
  } while (!at_sentence_end());
  while (byte_at() != ' ')
    if (!sentence_step_right_in_line()) return;
  step_right();
}

void grow_sentence_left() {
  if (past_line_end()) g_windows.hooks.line_end();
  if (g_lists.block_start->prev == nullptr && column() == 0) return;
  do {
    if (!step_left_across_lines()) return;
  } while (byte_at() == ' ');
  do {
    if (!step_left_across_lines()) return;
  } while (!at_sentence_end());
  while (byte_at() != ' ')
    if (!sentence_step_right_in_line()) return;
  step_right();
}

// No block, Alt+F10: from the caret back to its sentence's start (the caret is left there).
// False when the list ended first.
bool to_sentence_start_forward() {
  const char* set = SENTENCE_DELIMITERS;
  for (int guard = 0; guard < WALK_LIMIT; ++guard) {
    while (!on_real_delimiter(set))
      if (!step_left_across_lines()) break;
    if (byte_at() == '\n') {
      while (byte_at() == '\n')
        if (!next_line_start()) return false;
      return true;
    }
    if (cursor()->prev == nullptr && column() == 0) return true;
    if (!at_sentence_gap()) {
      if (!step_left_across_lines()) return true;
      continue;
    }
    for (;;) {
      if (!sentence_step_right()) return false;
      if (byte_at() == ' ') return true;
      if (byte_at() == '\n') {
        while (byte_at() == '\n')
          if (!next_line_start()) return false;
        return true;
      }
    }
  }
  return true;
}

}  // namespace

void select_sentence_right(TextLine** previous_cursor_line, int16_t* anchor_column) {
  if (!editor_window()) return;
  if (has_block() && g_run.marking == 0) clear_marked_block();
  if (has_block()) {
    grow_sentence_right();
    return;
  }
  if (past_line_end()) g_windows.hooks.line_end();
  if (!to_sentence_start_forward()) return;
  // Blanks before the sentence are passed; a line's end takes the caret to the next line.
  while (byte_at() == ' ') {
    if (sentence_step_right_in_line()) continue;
    if (!next_line_start()) return;
    break;
  }
  start_block_at_cursor();
  bool at_list_end = false;
  while (!at_sentence_end()) {
    if (!sentence_step_right()) {
      at_list_end = true;
      break;
    }
  }
  if (!at_list_end) {
    while (byte_at() != ' ' && sentence_step_right_in_line()) {
    }
    if (byte_at() == ' ') step_right();
  }
  finish_selection(1, previous_cursor_line, anchor_column);
}

void select_sentence_left(TextLine** previous_cursor_line, int16_t* anchor_column) {
  if (!editor_window()) return;
  const char* set = SENTENCE_DELIMITERS;
  g_run.top_reached = 0;
  if (has_block() && g_run.marking == 0) {
    clear_marked_block();
    if (past_line_end()) g_windows.hooks.line_end();
    do {
      if (!step_left_across_lines()) break;
    } while (byte_at() == ' ' || is_colour_code(byte_at()));
  }
  if (has_block()) {
    grow_sentence_left();
    return;
  }
  // The end of the sentence under the caret.
  bool on_newline_start = false;
  for (int guard = 0; guard < WALK_LIMIT; ++guard) {
    while (!on_real_delimiter(set))
      if (!sentence_step_right()) break;
    if (byte_at() == '\n') {
      on_newline_start = true;
      break;
    }
    const bool at_end = cursor()->next == nullptr &&
                        column() >= static_cast<int>(cursor()->text.size());
    if (at_end || at_sentence_gap()) break;
    if (!sentence_step_right()) break;
  }
  bool skip_to_start = false;
  if (on_newline_start) {
    while (first_visible_char(cursor()) == 0) {
      if (prev_visible_line(cursor()) == nullptr) {
        g_windows.hooks.line_start();
        skip_to_start = true;
        break;
      }
      editor_line_up();
      g_windows.hooks.line_end();
    }
  }
  if (!skip_to_start) {
    while (byte_at() != ' ' && byte_at() != '\n')
      if (!sentence_step_right()) return;
    if (byte_at() == ' ') step_right();
  }
  start_block_at_cursor();
  // Back to the sentence's start: after the previous sentence's end.
  bool at_top = false;
  if (byte_at() == '\n') {
    do {
      if (!step_left_across_lines()) {
        at_top = true;
        break;
      }
    } while (byte_at() == ' ');
  } else {
    while (!on_real_delimiter(set) && step_left()) {
    }
  }
  if (!at_top) {
    do {
      if (!step_left_across_lines()) {
        at_top = true;
        break;
      }
    } while (!at_sentence_end());
  }
  if (!at_top) {
    for (int guard = 0; guard < WALK_LIMIT; ++guard) {
      if (byte_at() == ' ') {
        step_right();
        break;
      }
      if (!step_right()) {
        if (byte_at() == '\n' && next_line_start() && byte_at() == ' ') step_right();
        break;
      }
      pass_colour_code();
    }
  }
  finish_selection(0, previous_cursor_line, anchor_column);
}

// ---- Paragraphs ------------------------------------------------------------------------------

namespace {

// Down over the lines until one starts a paragraph; false when the list ended first.
bool down_to_paragraph_start() {
  do {
    flag(cursor());
    if (editor_line_down() == 0) return false;
  } while (!starts_paragraph(cursor()));
  return true;
}

// Up to the line that starts the paragraph (the first line at the latest).
void up_to_paragraph_start() {
  while (!starts_paragraph(cursor())) {
    flag(cursor());
    if (editor_line_up() == 0) return;
  }
}

}  // namespace

void select_paragraph_right(TextLine** previous_cursor_line, int16_t* anchor_column) {
  TextWindow* w = window();
  if (w == nullptr || cursor() == nullptr) return;
  for (int guard = 0; has_block() && guard < WALK_LIMIT; ++guard) {
    if (g_run.marking == 0) {
      TextLine* after = g_lists.block_end->next;
      const bool whole = after != nullptr && starts_paragraph(after) &&
                         starts_paragraph(g_lists.block_start) && cursor() == after;
      clear_marked_block();
      // A whole paragraph was marked and the caret stands at the next one: the next is marked.
      if (whole) editor_line_down();
      break;
    }
    TextLine* before = cursor();
    const int16_t column_before = column();
    g_windows.hooks.line_start();
    if (cursor() == g_lists.block_end) {
      if (!down_to_paragraph_start()) g_windows.hooks.line_end();
      set_block_edge_at_cursor(1);
      *anchor_column = w->block_end_column;
    } else {
      down_to_paragraph_start();
      set_block_edge_at_cursor(0);
      *anchor_column = w->block_start_column;
    }
    *previous_cursor_line = cursor();
    if (!has_block() || !block_is_empty()) return;
    if (cursor() == before && column() == column_before) return;  // nowhere further to go
  }
  if (has_block()) return;
  clear_marked_block();
  g_windows.hooks.line_start();
  up_to_paragraph_start();
  start_block_at_cursor();
  if (down_to_paragraph_start())
    g_windows.hooks.line_start();
  else
    g_windows.hooks.line_end();
  set_block_edge_at_cursor(1);
  *anchor_column = w->block_end_column;
  *previous_cursor_line = cursor();
}

void select_paragraph_left(TextLine** previous_cursor_line, int16_t* anchor_column) {
  TextWindow* w = window();
  if (w == nullptr || cursor() == nullptr) return;
  for (int guard = 0; has_block() && guard < WALK_LIMIT; ++guard) {
    if (g_run.marking == 0) {
      TextLine* start = g_lists.block_start;
      const bool at_start = cursor() == start && w->block_start_column == 0;
      const bool at_end = cursor() == g_lists.block_end;
      clear_marked_block();
      if (starts_paragraph(start) && start->prev != nullptr && (at_start || at_end))
        editor_line_up();
      break;
    }
    TextLine* before = cursor();
    const int16_t column_before = column();
    if (cursor() == g_lists.block_start) {
      if (w->block_start_column == 0) {
        flag(cursor());
        if (editor_line_up() == 0) return;
      }
      g_windows.hooks.line_start();
      up_to_paragraph_start();
      set_block_edge_at_cursor(0);
      *anchor_column = w->block_start_column;
    } else {
      flag(cursor());
      if (editor_line_up() != 0) up_to_paragraph_start();
      set_block_edge_at_cursor(1);
      *anchor_column = w->block_end_column;
    }
    *previous_cursor_line = cursor();
    if (!has_block() || !block_is_empty()) return;
    if (cursor() == before && column() == column_before) return;
  }
  if (has_block()) return;
  clear_marked_block();
  while (cursor()->next != nullptr && !starts_paragraph(cursor()->next))
    if (editor_line_down() == 0) break;
  // The block ends at the last line's real end, newline included.
  column() = static_cast<int16_t>(cursor()->text.size());
  start_block_at_cursor();
  up_to_paragraph_start();
  g_windows.hooks.line_start();
  set_block_edge_at_cursor(0);
  *anchor_column = w->block_start_column;
  *previous_cursor_line = cursor();
}
