#include "ui/run_window_keys.h"

#include <algorithm>
#include <string>

#include "screen/pointer.h"
#include "store/line_fold.h"
#include "ui/text_format_menu.h"
#include "ui/editor_cursor.h"
#include "ui/editor_text.h"
#include "ui/text_window.h"

namespace {

void goal_from_caret(int16_t goal) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  w->goal_column = goal;
  w->goal_x = w->caret_x;
}

bool has_block() { return g_lists.block_start != nullptr && g_lists.block_end != nullptr; }
bool shift_held() { return (g_events.modifiers & MODIFIER_SHIFT) != 0; }

void mark_changed(TextWindow* w) {
  if (g_run.replaying == 0) w->flags |= WINDOW_CHANGED;
  w->line_count = 0;
}

void reformat_around(TextWindow* w, TextLine* line) {
  reformat_lines(line->prev != nullptr ? line->prev : line,
                 line->next != nullptr ? line->next : line, w->wrap_width);
}

// The bytes a code types, or empty when the code types nothing.
std::string bytes_of_code(EventCode code) {
  if (code > 5000) return {};
  if (code >= 1025) {
    const uint8_t c = static_cast<uint8_t>(code & 0xFF);
    if (c < 32) return {'\x08', static_cast<char>(c + 33)};
    return std::string(1, static_cast<char>(c));
  }
  if (code >= 32 && code <= 255) return std::string(1, static_cast<char>(code));
  const uint8_t low = static_cast<uint8_t>(code & 0xFF);
  if (is_colour_code(low) || (code >= 1 && code <= 9)) return std::string(1, static_cast<char>(low));
  return {};
}

// Overwrites the byte under the caret when the mode and the byte allow; true when it did.
bool overwrite_at_caret(TextWindow* w, TextLine* line, const std::string& bytes, EventCode code) {
  if ((w->flags & WINDOW_OVERWRITE) == 0 || code < 32 || bytes.size() != 1) return false;
  size_t i = static_cast<size_t>(w->text_column);
  std::string text = line->text;
  if (i < text.size() && text[i] == '\x08') text.erase(i, std::min<size_t>(2, text.size() - i));
  while (!codes_shown() && i < text.size() && is_colour_code(static_cast<uint8_t>(text[i]))) ++i;
  if (i >= text.size() || text[i] == '\n' || text[i] == 0) return false;
  text[i] = bytes[0];
  if (set_line_text(text.c_str(), line) == nullptr) return false;
  w->text_column = static_cast<int16_t>(i + 1);
  return true;
}

}  // namespace

namespace {

// Types the bytes at the caret (a character, or an escape pair); `stay` leaves the caret.
RunStep type_bytes(const std::string& bytes, EventCode code, bool stay) {
  TextWindow* w = g_windows.active;
  if (has_block() && g_run.block_kept == 0) block_command(WINDOW_CUT);
  clear_marked_block();
  hide_pointer();
  g_find.start_line = nullptr;

  TextLine* line = g_lists.cursor_line;
  const int length = static_cast<int>(line->text.size());
  int column = w->text_column;
  const int end = length - (ends_with_newline(line) ? 1 : 0);
  if (column > 0 && column < length &&
      is_escape_lead(static_cast<uint8_t>(line->text[static_cast<size_t>(column - 1)])))
    --column;
  w->text_column = static_cast<int16_t>(column);

  if (column < end && overwrite_at_caret(w, line, bytes, code)) {
    line->state |= LINE_STATE_REDRAW;
  } else {
    std::string text = line->text;
    if (column > end) {
      if ((w->flags & WINDOW_WORD_WRAP) == 0 && code == ' ') {
        cursor_right_in_line(WINDOW_DRAG_RIGHT);
        return RUN_TAIL;
      }
      // Blanks up to the caret, before the line's newline.
      text.insert(static_cast<size_t>(end), static_cast<size_t>(column - end), ' ');
    }
    text.insert(static_cast<size_t>(column), bytes);
    if (text.size() > static_cast<size_t>(LINE_TEXT_MAX) ||
        set_line_text(text.c_str(), line) == nullptr) {
      report_line_too_long();
      return RUN_TAIL;
    }
    line->state |= LINE_STATE_REDRAW;
    const bool moves = !stay && (codes_shown() || bytes.size() != 1 ||
                                 !is_colour_code(static_cast<uint8_t>(bytes[0])));
    if (moves) w->text_column = static_cast<int16_t>(column + static_cast<int>(bytes.size()));
  }
  mark_changed(w);
  g_windows.redraw_pending = 1;
  reformat_around(w, g_lists.cursor_line);
  screen_column_from_text();
  keep_caret_in_view();
  goal_from_caret(GOAL_NONE);
  return RUN_TAIL;
}

}  // namespace

RunStep type_code(RunWindowCall* call, EventCode code) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return RUN_TAIL;
  const bool stay = code < 0;
  if (stay) code = -code;
  if (stay && code == 10) return press_enter(call);
  goal_from_caret(GOAL_NONE);
  const std::string bytes = bytes_of_code(code);
  if (bytes.empty()) return RUN_NEXT_CODE;
  return type_bytes(bytes, code, stay);
}

RunStep type_format_code(RunWindowCall* /*call*/) {
  if (g_windows.active == nullptr || g_lists.cursor_line == nullptr) return RUN_TAIL;
  const int c = text_format_menu();
  if (c <= 0 || c > 255) return RUN_TAIL;
  goal_from_caret(GOAL_NONE);
  // A format code is typed after its prefix byte, as one pair.
  return type_bytes(std::string{'\x01', static_cast<char>(c)}, c, false);
}

RunStep press_enter(RunWindowCall* /*call*/) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return RUN_TAIL;
  clear_marked_block();
  TextLine* line = g_lists.cursor_line;
  const int end = static_cast<int>(line->text.size()) - (ends_with_newline(line) ? 1 : 0);
  if (w->text_column > end) cursor_to_line_end();
  const size_t column = static_cast<size_t>(std::clamp<int>(w->text_column, 0, end));
  if (line->next == nullptr && !ends_with_newline(line) && column == line->text.size()) {
    if (line->text.size() >= static_cast<size_t>(LINE_TEXT_MAX)) {
      report_line_too_long();
      return RUN_TAIL;
    }
    set_line_text((line->text + "\n").c_str(), line);
  }
  const std::string& text = line->text;
  const bool at_newline = ends_with_newline(line) && column == text.size() - 1;
  if (!at_newline && column == 0 && column == text.size()) return RUN_TAIL;
  const bool indenting = auto_indent_allowed() && g_run.replaying == 0;
  std::string head;
  std::string tail;
  std::string prefix;
  if (at_newline) {
    if (indenting) prefix = std::string(text.find_first_not_of(' ') == std::string::npos
                                            ? 0 : text.find_first_not_of(' '), ' ');
    head = text;
    tail = prefix + "\n";
  } else {
    size_t indent = 0;
    while (indent < text.size() && (text[indent] == ' ' || text[indent] == 0x0B)) ++indent;
    if (indenting && column > 0 && column > indent) prefix = std::string(indent, ' ');
    head = text.substr(0, column) + "\n";
    tail = prefix + text.substr(column);
  }
  if (tail.size() > static_cast<size_t>(LINE_TEXT_MAX)) {
    report_line_too_long();
    return RUN_TAIL;
  }
  TextLine* added = insert_line(tail.c_str(), {}, line);
  if (added == nullptr) return RUN_TAIL;
  if (set_line_text(head.c_str(), line) == nullptr) {
    delete_line(added);
    return RUN_TAIL;
  }
  added->kind |= LINE_KIND_PARAGRAPH;
  g_lists.cursor_line = added;
  w->horizontal_scroll = 0;
  w->text_column = static_cast<int16_t>(prefix.size());
  if (w->cursor_row < w->rows - 3) w->cursor_row++;
  mark_changed(w);
  g_lists.lines_changed++;
  reformat_lines(line, added->next != nullptr ? added->next : added, w->wrap_width);
  screen_column_from_text();
  keep_caret_in_view();
  fit_cursor_row();
  request_full_redraw();
  goal_from_caret(GOAL_NONE);
  return RUN_TAIL;
}

RunStep press_backspace(RunWindowCall* /*call*/) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return RUN_TAIL;
  if (has_block() && g_run.block_kept == 0) {
    block_command(KEY_CTRL_BACKSPACE);
    return RUN_TAIL;
  }
  clear_marked_block();
  TextLine* line = g_lists.cursor_line;
  const bool beyond = w->text_column > static_cast<int>(line->text.size()) -
                                           (ends_with_newline(line) ? 1 : 0);
  if (beyond || (w->flags & WINDOW_OVERWRITE) != 0) {
    cursor_left_in_line();
    return RUN_TAIL;
  }
  if (w->text_column == 0 || cursor_left_in_line() == 0) {
    if (editor_line_up() == 0) return RUN_TAIL;
    cursor_to_line_end();
    // A soft line's last character goes; a hard line's newline joins the line below.
    if (!ends_with_newline(g_lists.cursor_line)) cursor_left_in_line();
  }
  editor_delete_char();
  w->line_count = 0;
  return RUN_TAIL;
}

RunStep press_delete(RunWindowCall* /*call*/) {
  editor_delete_char();
  return RUN_TAIL;
}

RunStep move_left(RunWindowCall* /*call*/, EventCode code) {
  if (g_windows.hooks.left != nullptr && g_windows.hooks.left() == 0 && code != WINDOW_DRAG_LEFT &&
      g_lists.cursor_line != nullptr && prev_visible_line(g_lists.cursor_line) != nullptr &&
      g_windows.hooks.left == cursor_left_in_line) {
    editor_line_up();
    cursor_to_line_end();
  }
  goal_from_caret(GOAL_NONE);
  return RUN_TAIL;
}

RunStep move_right(RunWindowCall* /*call*/, EventCode code) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_windows.hooks.right == nullptr) return RUN_TAIL;
  if (code == WINDOW_DRAG_RIGHT || (w->flags & WINDOW_WORD_WRAP) == 0) {
    g_windows.hooks.right(WINDOW_DRAG_RIGHT);
  } else if (g_windows.hooks.right(KEY_RIGHT) == 0 && g_lists.cursor_line != nullptr &&
             next_visible_line(g_lists.cursor_line) != nullptr &&
             g_windows.hooks.right == cursor_right_in_line) {
    editor_line_down();
    cursor_to_line_start();
    caret_to_screen_column();
  }
  goal_from_caret(GOAL_NONE);
  return RUN_TAIL;
}

RunStep move_to_line_start(RunWindowCall* /*call*/) {
  if (g_windows.hooks.line_start != nullptr) g_windows.hooks.line_start();
  goal_from_caret(GOAL_LINE_START);
  return RUN_TAIL;
}

RunStep move_to_line_end(RunWindowCall* /*call*/) {
  if (g_windows.hooks.line_end != nullptr) g_windows.hooks.line_end();
  goal_from_caret(shift_held() ? GOAL_LINE_END : GOAL_NONE);
  return RUN_TAIL;
}

namespace {

// The caret on the new cursor line after a vertical move.
void place_caret_after_vertical(TextWindow* w, int16_t text_column, int16_t cursor_column,
                                int16_t scroll) {
  const bool editor = (w->flags & (WINDOW_TEXT_LIST | WINDOW_SHOW_CONTROL_CODES)) ==
                      (WINDOW_TEXT_LIST | WINDOW_SHOW_CONTROL_CODES);
  if (!editor || w->goal_column >= 0 || w->goal_column == GOAL_NONE) {
    w->text_column = text_column;
    w->cursor_column = cursor_column;
    w->horizontal_scroll = scroll;
    caret_to_screen_column();
    return;
  }
  if (w->goal_column == GOAL_LINE_END) cursor_to_line_end();
  else cursor_to_line_start();
}

void page_up(TextWindow* w) {
  int steps = 0;
  TextLine* top = g_lists.cursor_line;
  for (int i = 0; i < w->cursor_row; ++i) {
    TextLine* prev = prev_visible_line(top);
    if (prev == nullptr) break;
    top = prev;
  }
  if (prev_visible_line(top) == nullptr) {
    g_lists.cursor_line = top;
    w->cursor_row = 0;
  } else {
    for (TextLine* l = prev_visible_line(top); l != nullptr && steps < w->rows - 1;
         l = prev_visible_line(l)) {
      cursor_to_prev_line();
      ++steps;
    }
  }
  g_find.start_line = nullptr;
  request_full_redraw();
}

void page_down(TextWindow* w) {
  TextLine* bottom = g_lists.cursor_line;
  int below = 0;
  for (; below < w->rows - w->cursor_row - 1; ++below) {
    TextLine* next = next_visible_line(bottom);
    if (next == nullptr) break;
    bottom = next;
  }
  if (next_visible_line(bottom) == nullptr) {
    g_lists.cursor_line = bottom;
    w->cursor_row = static_cast<int16_t>(w->cursor_row + below);
  } else {
    int steps = 0;
    for (TextLine* l = next_visible_line(bottom); l != nullptr && steps < w->rows - 1;
         l = next_visible_line(l)) {
      cursor_to_next_line();
      ++steps;
    }
  }
  fit_cursor_row();
  request_full_redraw();
}

}  // namespace

RunStep move_vertically(RunWindowCall* /*call*/, EventCode code) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return RUN_TAIL;
  if (shift_held() && w->goal_column < 0) w->goal_column = cursor_display_column();
  const int16_t text_column = w->text_column;
  const int16_t cursor_column = w->cursor_column;
  const int16_t scroll = w->horizontal_scroll;
  switch (code) {
    case KEY_UP:
    case WINDOW_DRAG_UP:
      if (editor_line_up() == 0) return RUN_TAIL;
      break;
    case KEY_DOWN:
    case WINDOW_DRAG_DOWN:
      if (editor_line_down() == 0) return RUN_TAIL;
      break;
    case KEY_PGUP:
      if (prev_visible_line(g_lists.cursor_line) == nullptr) return RUN_TAIL;
      page_up(w);
      break;
    case KEY_PGDN:
      if (next_visible_line(g_lists.cursor_line) == nullptr) return RUN_TAIL;
      page_down(w);
      break;
    default: return RUN_TAIL;
  }
  place_caret_after_vertical(w, text_column, cursor_column, scroll);
  return RUN_TAIL;
}

RunStep scroll_view(RunWindowCall* call, EventCode code) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return RUN_TAIL;
  const bool up = code == KEY_CTRL_UP;
  TextLine* beyond = g_lists.cursor_line;
  const int steps = up ? w->cursor_row + 1 : w->rows - w->cursor_row;
  for (int i = 0; i < steps && beyond != nullptr; ++i)
    beyond = up ? prev_visible_line(beyond) : next_visible_line(beyond);
  if (beyond == nullptr) return move_vertically(call, up ? KEY_UP : KEY_DOWN);
  const bool editor = g_pointer.button_bits == 0 && (w->flags & WINDOW_TEXT_LIST) != 0;
  if (up && editor && w->cursor_row < w->rows - 5) {
    w->cursor_row++;
  } else if (!up && editor && w->cursor_row > 5) {
    w->cursor_row--;
  } else {
    if (up) cursor_to_prev_line();
    else cursor_to_next_line();
    caret_to_screen_column();
  }
  g_run.scroll_hint = up ? 'U' : 'D';
  request_full_redraw();
  return RUN_TAIL;
}

RunStep jump_to_end_line(RunWindowCall* /*call*/, EventCode code) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.current.first == nullptr) return RUN_TAIL;
  w->cursor_row = 0;
  if (code == KEY_CTRL_PGUP) {
    TextLine* line = g_lists.current.first;
    while (line != nullptr && (line->kind & LINE_KIND_HIDDEN) != 0) line = line->next;
    if (line != nullptr) g_lists.cursor_line = line;
  } else {
    TextLine* line = g_lists.current.last;
    while (line != nullptr && (line->kind & LINE_KIND_HIDDEN) != 0) line = line->prev;
    if (line != nullptr) g_lists.cursor_line = line;
    int above = 0;
    for (TextLine* l = prev_visible_line(g_lists.cursor_line); l != nullptr && above < w->rows - 1;
         l = prev_visible_line(l))
      ++above;
    w->cursor_row = static_cast<int16_t>(above);
  }
  caret_to_screen_column();
  request_full_redraw();
  g_find.start_line = nullptr;
  return RUN_TAIL;
}

RunStep mark_block_at_caret(RunWindowCall* call, EventCode code) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return RUN_TAIL;
  if (!has_block()) {
    g_run.block_kept = 1;
    start_block_at_cursor();
    call->anchor_column = w->block_start_column;
    g_run.marking = 1;
    return RUN_TAIL;
  }
  if (g_run.marking != 0) {
    clear_marked_block();
    return RUN_TAIL;
  }
  const bool empty = g_lists.block_start == g_lists.block_end &&
                     w->block_start_column == w->block_end_column;
  if (code == KEY_MARK_BLOCK && empty) {
    start_block_at_cursor();
    call->anchor_column = w->block_start_column;
    g_run.marking = 1;
    return RUN_TAIL;
  }
  // Extending resumes from the block edge nearer the caret.
  bool before_end = false;
  for (TextLine* l = g_lists.cursor_line; l != nullptr; l = l->next)
    if (l == g_lists.block_start) {
      before_end = true;
      break;
    }
  if (before_end) {
    std::swap(g_lists.block_start, g_lists.block_end);
    std::swap(w->block_start_column, w->block_end_column);
    normalize_marked_block();
  }
  g_run.marking++;
  request_full_redraw();
  return RUN_TAIL;
}

RunStep select_all_lines(RunWindowCall* /*call*/) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.current.first == nullptr) return RUN_TAIL;
  g_lists.block_start = g_lists.current.first;
  g_lists.block_end = g_lists.current.last;
  w->block_start_column = 0;
  w->block_end_column = static_cast<int16_t>(g_lists.current.last->text.size());
  request_full_redraw();
  return RUN_TAIL;
}
