// The run loop: reading codes, drawing before each read, the code table and the block-extension
// tail.
#include "ui/run_window.h"

#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "ui/dialog_form.h"
#include "ui/editor_cursor.h"
#include "ui/editor_undo.h"
#include "ui/key_pushback.h"
#include "ui/line_numbers.h"
#include "ui/list_window.h"
#include "ui/pointer_motion.h"
#include "ui/run_window_commands.h"
#include "ui/run_window_keys.h"
#include "ui/text_moves.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

RunLoopState g_run;
FindDriver g_find;

namespace {

// Rich-text editors redraw their frame, not only their lines, after a change.
constexpr uint32_t WINDOW_RICH_EDITOR = WINDOW_TEXT_LIST | WINDOW_SHOW_CONTROL_CODES;
// The scan codes of Home, Up, PgUp, Left, Right, End, Down and PgDn: a plain cursor key drops a
// fixed block.
constexpr char CURSOR_KEY_SCAN_CODES[] = "GHIKMOPQ";

bool is_ending_code(EventCode code) {
  return code == KEY_ESC || code == WINDOW_CANCEL || code == WINDOW_ACCEPT || code == EVENT_QUIT;
}

bool is_cursor_key(EventCode code) {
  if (code < 257 || code > 511) return false;
  const char scan = static_cast<char>(code & 0xFF);
  for (const char* p = CURSOR_KEY_SCAN_CODES; *p != 0; ++p)
    if (*p == scan) return true;
  return false;
}

void set_goal_none() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  w->goal_column = GOAL_NONE;
  w->goal_x = w->caret_x;
}

void flag_for_redraw(TextLine* line) {
  if (line != nullptr) line->state |= LINE_STATE_REDRAW;
}

// ---- Starting and ending ---------------------------------------------------------------------

// List windows that ask for it bring the pointer to the cursor row.
void bring_pointer_to_window(const TextWindow* w) {
  if ((w->list_options & LIST_OPTION_POINTER_TO_ROW) == 0) return;
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  if (!pointer_in_window()) {
    glide_pointer(cw * (w->left_column + w->columns / 2),
                  (w->cursor_row + w->top_row) * ch + ch / 2);
  } else if ((w->list_options & LIST_OPTION_POINTER_STAYS) == 0) {
    pointer_to_cursor_row(1);
  }
}

TextLine* end_run(EventCode code) {
  g_windows.full_redraw_count = 0;
  hide_pointer();
  g_run.marking = 0;
  store_window_state();
  if (g_run.release_wait != 0) {
    g_run.release_wait = 0;
    wait_buttons_released();
  }
  return code == WINDOW_ACCEPT ? g_lists.cursor_line : nullptr;
}

// ---- Reading a code -----------------------------------------------------------------------------

// Draws what changed since the last code, lazily: nothing while input is queued.
void draw_before_reading(const TextWindow* w) {
  const bool draws_lines = g_windows.line_drawer != no_line_hook;
  if (g_lists.lines_changed != 0 && draws_lines && g_windows.redraw_pending != 0) {
    redraw_window_lines();
  } else if (g_form.redraw_level != 0 || g_windows.full_redraw_count != 0) {
    if (g_form.redraw_level != 0 || (w->flags & WINDOW_RICH_EDITOR) == WINDOW_RICH_EDITOR)
      draw_window_frame(0);
    else
      redraw_window_lines();
  }
  if (pending_input_count() == 0 &&
      (g_windows.full_redraw_count != 0 || g_windows.redraw_pending != 0))
    redraw_window_lines();
}

// A code pushed back comes first; a pushed-back undo or redo replays one step and gives the
// step's code.
EventCode take_pushed_code() {
  const EventCode pushed = pop_pushed_key();
  if (pushed != UNDO_STEP && pushed != REDO_STEP) {
    g_run.replaying = 0;
    return pushed;
  }
  const TextWindow* w = g_windows.active;
  if (w != nullptr && w->line_count <= 0) {
    number_lines(1);
    poll_input_code(0);
  }
  return pushed == UNDO_STEP ? editor_undo() : editor_redo();
}

// Editing buffers show the cursor line's number on their frame.
void show_line_counter(const TextWindow* w) {
  if (w->file == nullptr || (w->flags & WINDOW_TEXT_LIST) == 0) return;
  if (w->line_count <= 0) number_lines(1);
  draw_line_counter();
}

EventCode read_code(const TextWindow* w) {
  if (!g_key_pushback.codes.empty()) return take_pushed_code();
  draw_before_reading(w);
  show_line_counter(w);
  g_run.replaying = 0;
  // A window without a key filter has nothing to run: it ends as if cancelled.
  const EventCode code = g_windows.key_filter != nullptr ? g_windows.key_filter() : KEY_ESC;
  g_run.first_call = false;
  g_run.top_reached = 0;
  g_run.bottom_reached = 0;
  return code;
}

// An empty list never reaches the actions.
void give_empty_list_a_line() {
  if (g_lists.current.first != nullptr) return;
  g_lists.cursor_line = append_line("");
}

// ---- The code table ----------------------------------------------------------------------------

RunStep toggle_flag(uint32_t flag) {
  g_windows.active->flags ^= flag;
  request_full_redraw();
  return RUN_TAIL;
}

RunStep act_on_block(EventCode code) {
  block_command(code);
  screen_column_from_text();
  set_goal_none();
  return RUN_TAIL;
}

// The word, sentence and paragraph selections leave a kept block.
RunStep act_on_selection(RunWindowCall* call,
                         void (*select)(TextLine**, int16_t*)) {
  select(&call->previous_cursor_line, &call->anchor_column);
  set_goal_none();
  g_run.block_kept = 1;
  return RUN_TAIL;
}

RunStep act_on_word_move(void (*move)()) {
  move();
  set_goal_none();
  return RUN_TAIL;
}

RunStep act_on_code(RunWindowCall* call, EventCode code) {
  switch (code) {
    case KEY_BACKSPACE: return press_backspace(call);
    case KEY_ENTER: return press_enter(call);
    case KEY_CTRL_BACKSPACE:
    case WINDOW_COPY_SYSTEM:
    case WINDOW_COPY:
    case WINDOW_APPEND_COPY:
    case WINDOW_CUT: return act_on_block(code);
    case KEY_ALT_W: return toggle_word_wrap(call);
    case KEY_ALT_T: return toggle_flag(WINDOW_SHOW_TAB_MARKS);
    case KEY_ALT_U:
    case KEY_ALT_L:
    case KEY_ALT_C: return change_case_key(call, code);
    case KEY_ALT_O: return toggle_overwrite(call);
    case KEY_ALT_P: return toggle_flag(WINDOW_SHOW_LINE_ENDS);
    case KEY_ALT_S:
      g_windows.active->flags ^= WINDOW_SHOW_SPACES;
      screen_column_from_text();
      request_full_redraw();
      return RUN_TAIL;
    case KEY_F6:
    case KEY_MARK_BLOCK: return mark_block_at_caret(call, code);
    case KEY_F7: return act_on_selection(call, select_word_left);
    case KEY_F8: return act_on_selection(call, select_word_right);
    case KEY_F9: return act_on_selection(call, select_paragraph_left);
    case KEY_F10: return act_on_selection(call, select_paragraph_right);
    case KEY_ALT_F9: return act_on_selection(call, select_sentence_left);
    case KEY_ALT_F10: return act_on_selection(call, select_sentence_right);
    case KEY_HOME: return move_to_line_start(call);
    case KEY_UP:
    case KEY_DOWN:
    case KEY_PGUP:
    case KEY_PGDN:
    case WINDOW_DRAG_DOWN:
    case WINDOW_DRAG_UP: return move_vertically(call, code);
    case KEY_LEFT:
    case WINDOW_DRAG_LEFT: return move_left(call, code);
    case KEY_RIGHT:
    case WINDOW_DRAG_RIGHT: return move_right(call, code);
    case KEY_END: return move_to_line_end(call);
    case KEY_INS: return paste_text_clipboard(call);
    case KEY_DEL: return press_delete(call);
    case KEY_CTRL_F2: return cycle_arrangement(call);
    case KEY_CTRL_LEFT: return act_on_word_move(word_left);
    case KEY_CTRL_RIGHT: return act_on_word_move(word_right);
    case KEY_CTRL_PGDN:
    case KEY_CTRL_PGUP: return jump_to_end_line(call, code);
    case KEY_ALT_EQUALS: return type_format_code(call);
    case KEY_CTRL_UP:
    case KEY_CTRL_DOWN: return scroll_view(call, code);
    case WINDOW_COLUMN_PASTE: return paste_column(call);
    case WINDOW_SELECT_ALL: return select_all_lines(call);
    case WINDOW_PASTE_SYSTEM: return paste_system_clipboard(call);
    case WINDOW_FIND_FROM_TOP:
    case WINDOW_REPLACE:
    case WINDOW_FIND:
    case WINDOW_FIND_NEXT:
    case WINDOW_REPEAT_FIND: return find_command(call, code);
    case WINDOW_DELETE_LINE:
    case WINDOW_DELETE_LINE_NOW:
      editor_delete_line(code);
      return RUN_TAIL;
    case WINDOW_BEGIN_MARKING:
      g_run.marking = 1;
      g_run.block_kept = 0;
      return RUN_TAIL;
    case WINDOW_RELEASE:
    case WINDOW_RELEASE_OTHER: return release_button(call, code);
    case WINDOW_CLICK: return click_on_text(call);
    case WINDOW_DROP_BLOCK:
      g_run.block_kept = 1;
      clear_marked_block();
      return RUN_TAIL;
    case WINDOW_REDRAW:
      request_full_redraw();
      return RUN_TAIL;
    case WINDOW_REFORMAT: return reformat_window(call);
    case WINDOW_NOTHING: return RUN_TAIL;
    case WINDOW_SORT_BLOCK: return sort_block_lines(call);
    case WINDOW_MOVE_LINE_UP:
    case WINDOW_MOVE_LINE_DOWN: return move_line_key(call, code);
    case WINDOW_SORT_ALL: return sort_all_lines(call);
    case WINDOW_APPEND_LINE: return append_empty_line(call);
    case WINDOW_NEXT:
    case WINDOW_NEXT_KEY:
    case WINDOW_PREVIOUS: return switch_window(call, code);
    case 502:
    case 503:
    case 504:
    case 505:
    case 506:
    case 507:
    case REPLAY_CUT_TAIL: return replay_code(call, code);
    case WINDOW_OUTDENT:
    case WINDOW_INDENT:
    case KEY_OUTDENT:
    case KEY_INDENT:
    case KEY_RESET_INDENT:
    case EVENT_ALT_PERIOD:
    case EVENT_ALT_COMMA: return indent_key(call, code);
    default: return type_code(call, code);
  }
}

// ---- The block-extension tail ------------------------------------------------------------------

// Where the previous cursor line lies from the cursor line: +1 before it (the cursor moved down),
// -1 after it, 0 not in the list any more. The walk starts at the cursor line, which is always a
// line of the list, and goes both ways at once, so a near line is found quickly and a line that
// an edit freed is only compared, never followed.
int direction_from(const TextLine* previous, const TextLine* cursor) {
  const TextLine* back = cursor;
  const TextLine* ahead = cursor;
  while (back != nullptr || ahead != nullptr) {
    if (back != nullptr) {
      back = back->prev;
      if (back == previous) return 1;
    }
    if (ahead != nullptr) {
      ahead = ahead->next;
      if (ahead == previous) return -1;
    }
  }
  return 0;
}

// The block edge on the cursor line follows the caret.
void follow_caret_on_line(RunWindowCall* call, TextWindow* w) {
  TextLine* cursor = g_lists.cursor_line;
  const int16_t caret = w->text_column;
  int16_t& start = w->block_start_column;
  int16_t& end = w->block_end_column;
  if (g_lists.block_start == g_lists.block_end) {
    if (cursor == g_lists.block_start) {
      if (end == call->anchor_column) {
        if (caret < start) {
          end = start;
          start = caret;
        } else {
          end = caret;
        }
      } else if (caret > end) {
        start = end;
        end = caret;
      } else {
        start = caret;
      }
    }
  } else if (cursor == g_lists.block_start) {
    start = caret;
  } else if (cursor == g_lists.block_end) {
    end = caret;
  }
  call->anchor_column = caret;
  flag_for_redraw(cursor);
  g_windows.redraw_pending = 1;
}

// The cursor went down: the start shrinks the block from the top until it meets the cursor, or
// the end takes over once the start has reached it.
void follow_cursor_down(RunWindowCall* call, TextWindow* w) {
  TextLine* cursor = g_lists.cursor_line;
  TextLine* line = call->previous_cursor_line;
  while (line != g_lists.block_end && line != cursor && line->next != nullptr) {
    line = line->next;
    flag_for_redraw(line);
    g_lists.block_start = line;
    if (line == cursor) {
      w->block_start_column = w->text_column;
      return;
    }
  }
  if (g_lists.block_end == g_lists.block_start && w->block_start_column == call->anchor_column)
    w->block_start_column = w->block_end_column;
  for (; line != nullptr && line != cursor; line = line->next) flag_for_redraw(line);
  g_lists.block_end = cursor;
  w->block_end_column = w->text_column;
}

// The mirror image: the end shrinks the block from the bottom, or the start takes over.
void follow_cursor_up(RunWindowCall* call, TextWindow* w) {
  TextLine* cursor = g_lists.cursor_line;
  TextLine* line = call->previous_cursor_line;
  while (line != g_lists.block_start && line != cursor && line->prev != nullptr) {
    line = line->prev;
    flag_for_redraw(line);
    g_lists.block_end = line;
    if (line == cursor) {
      w->block_end_column = w->text_column;
      return;
    }
  }
  if (g_lists.block_end == g_lists.block_start && w->block_end_column == call->anchor_column)
    w->block_end_column = w->block_start_column;
  for (; line != nullptr && line != cursor; line = line->prev) flag_for_redraw(line);
  g_lists.block_start = cursor;
  w->block_start_column = w->text_column;
}

void follow_cursor_over_lines(RunWindowCall* call, TextWindow* w) {
  const int direction = direction_from(call->previous_cursor_line, g_lists.cursor_line);
  if (direction == 0) return;
  flag_for_redraw(call->previous_cursor_line);
  flag_for_redraw(g_lists.cursor_line);
  if (direction > 0)
    follow_cursor_down(call, w);
  else
    follow_cursor_up(call, w);
  call->anchor_column = w->text_column;
  g_windows.redraw_pending = 1;
}

void run_block_tail(RunWindowCall* call, EventCode code) {
  TextWindow* w = g_windows.active;
  if (w != nullptr && (w->flags & WINDOW_TEXT_LIST) != 0) {
    const bool has_block = g_lists.block_start != nullptr && g_lists.block_end != nullptr;
    if (g_run.marking == 0 && has_block && is_cursor_key(code)) clear_marked_block();
    const bool still_marked = g_lists.block_start != nullptr && g_lists.block_end != nullptr;
    if (g_run.marking > 0 && still_marked) {
      if (g_lists.cursor_line == call->previous_cursor_line)
        follow_caret_on_line(call, w);
      else if (code >= 256)
        follow_cursor_over_lines(call, w);
    }
  }
  // Every later extension starts from where the cursor is now.
  call->previous_cursor_line = g_lists.cursor_line;
}

}  // namespace

// ---- Running ------------------------------------------------------------------------------------

TextLine* run_window(TextLine* node) {
  if (window_of(node) == nullptr) return nullptr;
  activate_window(node);
  if (node != g_run.last_framed_window) draw_window_frame(0);
  bring_pointer_to_window(g_windows.active);

  RunWindowCall call;
  call.previous_cursor_line = g_lists.cursor_line;
  g_run.first_call = true;
  g_run.drag_presses = 0;
  g_run.top_reached = 0;
  g_run.bottom_reached = 0;

  for (;;) {
    // An action may switch to another window; the loop goes on with whichever is active.
    const TextWindow* w = g_windows.active;
    if (w == nullptr) return nullptr;
    const EventCode code = read_code(w);
    if (code == 0) continue;
    // The key filter may have closed the window it was read for (a file opened into an empty
    // buffer replaces it): the code acts on the window active now.
    w = g_windows.active;
    if (w == nullptr) return nullptr;
    // The quit code ends every run loop, so that the page loop can ask its save question: a key
    // filter that passes it on would otherwise be asked again and again, and while the quit flag
    // is set its wait returns the quit code at once.
    give_empty_list_a_line();
    if (is_ending_code(code)) return end_run(code);
    call.text_column_at_read = w->text_column;
    call.cursor_column_at_read = w->cursor_column;
    call.scroll_at_read = w->horizontal_scroll;
    // Every code acted on is one undo step; the replays of undo and redo are not recorded.
    const bool recording = g_run.replaying == 0;
    if (recording) begin_editor_step(code);
    if (act_on_code(&call, code) == RUN_TAIL) run_block_tail(&call, code);
    else call.previous_cursor_line = g_lists.cursor_line;
    if (recording) end_editor_step();
  }
}

// ---- Test hooks -------------------------------------------------------------------------------

void reset_run_loop() {
  g_run = RunLoopState();
  g_find = FindDriver();
  reset_edge_scrolling();
}
