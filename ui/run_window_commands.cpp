#include "ui/run_window_commands.h"

#include "ui/editor_cursor.h"
#include "ui/editor_text.h"
#include "ui/key_pushback.h"
#include "ui/text_window.h"

// Stand-in: starts no block drag.
RunStep click_on_text(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: ends marking only; no double click, block drag or switch to the window under the pointer.
RunStep release_button(RunWindowCall* /*call*/, EventCode /*code*/) {
  g_run.marking = 0;
  normalize_marked_block();
  return RUN_TAIL;
}

RunStep paste_text_clipboard(RunWindowCall* /*call*/) {
  paste_lines(false);
  return RUN_TAIL;
}

RunStep paste_system_clipboard(RunWindowCall* /*call*/) {
  paste_lines(true);
  return RUN_TAIL;
}

// Stand-in: pastes nothing.
RunStep paste_column(RunWindowCall* /*call*/) { return RUN_TAIL; }

RunStep change_case_key(RunWindowCall* /*call*/, EventCode code) {
  change_block_case(code == KEY_ALT_U ? CASE_UPPER : code == KEY_ALT_L ? CASE_LOWER : CASE_CAPITALS);
  g_run.marking = 0;
  return RUN_TAIL;
}

// Stand-in: changes no indent.
RunStep indent_key(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

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

// Stand-in: toggles the flag only; does not wait while Alt is held.
RunStep toggle_overwrite(RunWindowCall* /*call*/) {
  if (g_windows.active != nullptr) g_windows.active->flags ^= WINDOW_OVERWRITE;
  return RUN_TAIL;
}

RunStep reformat_window(RunWindowCall* /*call*/) {
  if (g_windows.active != nullptr) reformat_lines(nullptr, nullptr, g_windows.active->wrap_width);
  request_full_redraw();
  return RUN_TAIL;
}

// Stand-in: moves no line and reads the next code, as when the line cannot move.
RunStep move_line_key(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_NEXT_CODE; }

// Stand-in: sorts nothing.
RunStep sort_all_lines(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: sorts nothing.
RunStep sort_block_lines(RunWindowCall* /*call*/) { return RUN_TAIL; }

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

// Stand-in: searches nothing.
RunStep find_command(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

// Stand-in: switches to no other window.
RunStep switch_window(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

// Stand-in: keeps the arrangement.
RunStep cycle_arrangement(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: replays nothing.
RunStep replay_code(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }
