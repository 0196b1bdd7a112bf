#include "ui/run_window_commands.h"

#include <algorithm>
#include <string>

#include "screen/display_mode.h"
#include "ui/buffer_windows.h"
#include "ui/edit_buffers.h"
#include "ui/editor_cursor.h"
#include "ui/editor_paragraphs.h"
#include "ui/editor_text.h"
#include "ui/editor_undo.h"
#include "ui/key_pushback.h"
#include "ui/line_numbers.h"
#include "ui/run_window_keys.h"
#include "ui/text_window.h"
#include "ui/wait_events.h"
#include "ui/window_frames.h"


RunStep paste_text_clipboard(RunWindowCall* /*call*/) {
  paste_lines(false);
  return RUN_TAIL;
}

RunStep paste_system_clipboard(RunWindowCall* /*call*/) {
  paste_lines(true);
  return RUN_TAIL;
}


RunStep change_case_key(RunWindowCall* /*call*/, EventCode code) {
  change_block_case(code == KEY_ALT_U ? CASE_UPPER : code == KEY_ALT_L ? CASE_LOWER : CASE_CAPITALS);
  g_run.marking = 0;
  return RUN_TAIL;
}

RunStep indent_key(RunWindowCall* /*call*/, EventCode code) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return RUN_TAIL;
  // The indent levels belong to rich text.
  const bool rich = (w->flags & WINDOW_SHOW_CONTROL_CODES) != 0;
  if ((code == EVENT_ALT_PERIOD || code == EVENT_ALT_COMMA) && !rich) return RUN_TAIL;
  bool changed = false;
  switch (code) {
    case WINDOW_OUTDENT:
    case KEY_OUTDENT: changed = shift_paragraphs(-1); break;
    case WINDOW_INDENT:
    case KEY_INDENT: changed = shift_paragraphs(1); break;
    case KEY_RESET_INDENT: changed = adjust_paragraph_indent(0, 0); break;
    case EVENT_ALT_PERIOD: changed = adjust_paragraph_indent(1, 1); break;
    default: changed = adjust_paragraph_indent(-1, 1); break;
  }
  g_run.marking = 0;
  cursor_to_block_start();
  screen_column_from_text();
  if (changed && g_run.replaying == 0) w->flags |= WINDOW_CHANGED;
  if (changed) w->line_count = 0;
  if (g_lists.block_start != nullptr)
    reformat_lines(g_lists.block_start, g_lists.block_end, w->wrap_width);
  return RUN_TAIL;
}

RunStep toggle_word_wrap(RunWindowCall* /*call*/) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return RUN_TAIL;
  w->flags ^= WINDOW_WORD_WRAP;
  w->wrap_width = (w->flags & WINDOW_WORD_WRAP) != 0
                      ? static_cast<int16_t>(w->right_column - w->left_column - 2)
                      : static_cast<int16_t>(250);
  w->horizontal_scroll = 0;
  reformat_lines(nullptr, nullptr, w->wrap_width);
  request_full_redraw();
  return RUN_TAIL;
}

// While Alt is still held the caret shows its new shape until the next event; that event is
// put back in front of the queue for the run loop, so nothing typed meanwhile is lost.
RunStep toggle_overwrite(RunWindowCall* /*call*/) {
  if (g_windows.active == nullptr) return RUN_TAIL;
  g_windows.active->flags ^= WINDOW_OVERWRITE;
  if ((g_events.modifiers & MODIFIER_ALT) != 0) {
    const EventCode next = wait_event_at_cursor();
    if (next != 0) push_input_code_front(next);
  }
  return RUN_TAIL;
}

RunStep reformat_window(RunWindowCall* /*call*/) {
  if (g_windows.active != nullptr) reformat_lines(nullptr, nullptr, g_windows.active->wrap_width);
  request_full_redraw();
  return RUN_TAIL;
}




RunStep append_empty_line(RunWindowCall* /*call*/) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return RUN_TAIL;
  if (!ends_with_newline(g_lists.cursor_line)) {
    append_line("\n");
    reformat_lines(g_lists.cursor_line, nullptr, w->wrap_width);
  }
  TextLine* before = g_lists.current.last;
  TextLine* line = append_line("\n");
  if (line == nullptr) return RUN_TAIL;
  line->kind |= LINE_KIND_PARAGRAPH;
  if (before != nullptr) line->id = static_cast<int16_t>(before->id + 1);
  // Read last-pushed first: Down comes before Home, so the caret ends at column 0 of the line.
  push_back_key(KEY_HOME);
  push_back_key(KEY_DOWN);
  w->line_count = 0;
  if (g_run.replaying == 0) w->flags |= WINDOW_CHANGED;
  request_full_redraw();
  return RUN_TAIL;
}

namespace {

bool buffers_single() { return g_buffer_windows.two_shown == 0; }

// A window never shown before takes the old window's half of a split screen.
void place_like(int old_top, int old_left) {
  const EditingArea a = editing_area();
  if (g_buffers.arrangement == 1) {
    if (old_top > a.top) place_in_bottom_half(); else place_in_top_half();
  } else if (g_buffers.arrangement == 2) {
    if (old_left > a.left) place_in_right_half(); else place_in_left_half();
  }
}

void clear_shown_mark(TextLine* node) {
  if (node != nullptr) node->state &= static_cast<uint8_t>(~LINE_STATE_ACTIVATED);
}

// 484 with two buffers on screen: a buffer never shown takes the active one's half.
TextLine* switch_in_split() {
  TextLine* active = g_windows.active_node;
  const TextWindow* w = g_windows.active;
  store_window_state();
  TextLine* target = next_window(2, true);
  g_buffer_windows.alternate_buffer = active;
  if (target == nullptr) return next_window(1, true);
  const int old_top = w->top_row;
  const int old_left = w->left_column;
  clear_shown_mark(active);
  activate_window(target);
  place_like(old_top, old_left);
  return target;
}

TextLine* switch_target(EventCode* code) {
  TextLine* active = g_windows.active_node;
  if (*code == WINDOW_PREVIOUS && buffers_single()) {
    store_window_state();
    TextLine* alternate = g_buffer_windows.alternate_buffer;
    if (alternate != nullptr && alternate != active && list_contains(alternate, active) != 0) {
      g_buffer_windows.alternate_buffer = active;
      return alternate;
    }
    // With nothing to go back to, repeated presses go backward and forward in turn.
    *code = static_cast<EventCode>(WINDOW_PREVIOUS - g_run.back_and_forth);
    g_run.back_and_forth ^= 1;
  } else if (*code == WINDOW_PREVIOUS) {
    return switch_in_split();
  }
  g_buffer_windows.alternate_buffer = active;
  store_window_state();
  if (!buffers_single()) return next_window(1, true);
  TextLine* target = next_window(0, *code != WINDOW_PREVIOUS);
  if (target == nullptr) g_run.back_and_forth = 0;
  return target;
}

}  // namespace

RunStep switch_window(RunWindowCall* call, EventCode code) {
  TextLine* active = g_windows.active_node;
  if (active == nullptr) return RUN_TAIL;
  TextLine* target = switch_target(&code);
  if (target == nullptr || target == active) {
    if (g_windows.active_node != active) activate_window(active);
    return RUN_TAIL;
  }
  if (buffers_single()) clear_shown_mark(active);
  activate_window(target);
  g_buffers.buffer_to_activate = target;
  draw_window_frame(0);
  if (code == WINDOW_NEXT) {
    const int cw = g_display.current.cell_width;
    const int ch = g_display.current.cell_height;
    caret_to_pointer_column(call->press_column * cw);
    cursor_to_pointer_y(call->press_row * ch + ch / 2);
  }
  call->previous_cursor_line = g_lists.cursor_line;
  return RUN_NEXT_CODE;
}

RunStep cycle_arrangement(RunWindowCall* /*call*/) {
  TextLine* active = g_windows.active_node;
  if (active == nullptr || (active->prev == nullptr && active->next == nullptr)) return RUN_TAIL;
  g_buffers.arrangement = static_cast<uint8_t>((g_buffers.arrangement + 1) % 3);
  if (g_buffers.arrangement == 0) {
    unsplit_buffers();
    g_buffer_windows.two_shown = 0;
    g_run.back_and_forth = 0;
    draw_window_frame(0);
  } else {
    split_buffer_screen(g_buffers.arrangement);
  }
  return RUN_TAIL;
}

namespace {

constexpr EventCode REPLAY_TYPE = 502;
constexpr EventCode REPLAY_BACKSPACE = 503;
constexpr EventCode REPLAY_LIST_AGAIN = 504;
constexpr EventCode REPLAY_LIST = 505;
constexpr EventCode REPLAY_BLANK_LINE = 506;
constexpr EventCode REPLAY_CUT_HEAD = 507;

// 507: the first characters of the cursor line go; an emptied line goes with them.
void cut_line_head(TextWindow* w) {
  TextLine* line = g_lists.cursor_line;
  const int count = std::min<int>(g_run.replay_count, static_cast<int>(line->text.size()));
  g_run.replay_count = static_cast<int16_t>(count);
  if (count <= 0) return;
  set_line_text(line->text.substr(static_cast<size_t>(count)).c_str(), line);
  if (line->text.empty() || line->text == "\n") {
    if (line->prev == nullptr && line->next == nullptr) {
      set_line_text("", line);
    } else {
      TextLine* next = line->prev != nullptr ? line->prev : line->next;
      delete_line(line);
      g_lists.cursor_line = next;
    }
  }
  renumber_after_edit();
  cursor_to_line_end();
  if (w->cursor_row > 0) w->cursor_row--;
  fit_cursor_row();
  request_full_redraw();
}

// 510: the last characters of the line become its end; then an undo, or a redo when there was
// nothing to cut.
void cut_line_tail() {
  TextLine* line = g_lists.cursor_line;
  const int count = g_run.replay_count;
  const int length = static_cast<int>(line->text.size());
  if (count > 0 && count < length) {
    set_line_text((line->text.substr(0, static_cast<size_t>(length - count)) + "\n").c_str(), line);
    push_back_key(UNDO_STEP);
  } else {
    push_back_key(REDO_STEP);
  }
}

// 505: the undo list; a step chosen there is undone or redone, and the list comes back after
// it (504) until it is left.
RunStep undo_list_step() {
  const int choice = show_undo_list();
  if (choice == 0) return RUN_TAIL;
  if (g_windows.active->line_count <= 0) number_lines(1);
  const EventCode result = choice == 'r' ? editor_redo() : editor_undo();
  push_back_key(REPLAY_LIST_AGAIN);
  if (result != 0) request_full_redraw();
  return RUN_TAIL;
}

}  // namespace

RunStep replay_code(RunWindowCall* call, EventCode code) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return RUN_TAIL;
  switch (code) {
    case REPLAY_TYPE:
      if (w->text_column == 0) return RUN_TAIL;
      --w->text_column;
      return type_code(call, g_run.replay_count);
    case REPLAY_BACKSPACE:
      if (g_windows.hooks.left() != 0) editor_delete_char();
      return RUN_TAIL;
    case REPLAY_BLANK_LINE: {
      const int blanks = std::clamp<int>(g_run.replay_count, 0, LINE_TEXT_MAX - 1);
      insert_line((std::string(static_cast<size_t>(blanks), ' ') + "\n").c_str(), {},
                  g_lists.cursor_line);
      renumber_after_edit();
      w->line_count = 0;
      request_full_redraw();
      return RUN_TAIL;
    }
    case REPLAY_CUT_HEAD: cut_line_head(w); return RUN_TAIL;
    case REPLAY_CUT_TAIL: cut_line_tail(); return RUN_TAIL;
    case REPLAY_LIST_AGAIN:
      redraw_window_lines();
      [[fallthrough]];
    case REPLAY_LIST: return undo_list_step();
    default: return RUN_TAIL;
  }
}
