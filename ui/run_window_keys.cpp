#include "ui/run_window_keys.h"

#include "ui/text_window.h"

namespace {

void goal_from_caret(int16_t goal) {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  w->goal_column = goal;
  w->goal_x = w->caret_x;
}

}  // namespace

// Stand-in: types nothing.
RunStep type_code(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

// Stand-in: shows no format menu and types nothing.
RunStep type_format_code(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: splits no line.
RunStep press_enter(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: deletes nothing.
RunStep press_backspace(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: deletes nothing.
RunStep press_delete(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: the left hook only; never goes on to the previous line.
RunStep move_left(RunWindowCall* /*call*/, EventCode /*code*/) {
  if (g_windows.hooks.left != nullptr) g_windows.hooks.left();
  goal_from_caret(GOAL_NONE);
  return RUN_TAIL;
}

// Stand-in: the right hook only; never goes on to the next line.
RunStep move_right(RunWindowCall* /*call*/, EventCode code) {
  if (g_windows.hooks.right != nullptr) g_windows.hooks.right(code);
  goal_from_caret(GOAL_NONE);
  return RUN_TAIL;
}

RunStep move_to_line_start(RunWindowCall* /*call*/) {
  if (g_windows.hooks.line_start != nullptr) g_windows.hooks.line_start();
  goal_from_caret(GOAL_LINE_START);
  return RUN_TAIL;
}

// Stand-in: the line end hook; the goal ignores Shift.
RunStep move_to_line_end(RunWindowCall* /*call*/) {
  if (g_windows.hooks.line_end != nullptr) g_windows.hooks.line_end();
  goal_from_caret(GOAL_NONE);
  return RUN_TAIL;
}

// Stand-in: does not move the cursor line.
RunStep move_vertically(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

// Stand-in: does not scroll.
RunStep scroll_view(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

// Stand-in: does not move the cursor line.
RunStep jump_to_end_line(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

// Stand-in: marks no block.
RunStep mark_block_at_caret(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

// Stand-in: marks no block.
RunStep select_all_lines(RunWindowCall* /*call*/) { return RUN_TAIL; }
