#include "ui/run_window_commands.h"

#include "ui/text_window.h"

// Stand-in: starts no block drag.
RunStep click_on_text(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: ends no click, double click or block drag.
RunStep release_button(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

// Stand-in: pastes nothing.
RunStep paste_text_clipboard(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: pastes nothing.
RunStep paste_system_clipboard(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: pastes nothing.
RunStep paste_column(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: changes no case.
RunStep change_case_key(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

// Stand-in: changes no indent.
RunStep indent_key(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

// Stand-in: toggles the flag only; no new wrap width and no re-wrap.
RunStep toggle_word_wrap(RunWindowCall* /*call*/) {
  if (g_windows.active != nullptr) g_windows.active->flags ^= WINDOW_WORD_WRAP;
  return RUN_TAIL;
}

// Stand-in: toggles the flag only; does not wait while Alt is held.
RunStep toggle_overwrite(RunWindowCall* /*call*/) {
  if (g_windows.active != nullptr) g_windows.active->flags ^= WINDOW_OVERWRITE;
  return RUN_TAIL;
}

// Stand-in: redraws without re-wrapping.
RunStep reformat_window(RunWindowCall* /*call*/) {
  request_full_redraw();
  return RUN_TAIL;
}

// Stand-in: moves no line and reads the next code, as when the line cannot move.
RunStep move_line_key(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_NEXT_CODE; }

// Stand-in: sorts nothing.
RunStep sort_all_lines(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: sorts nothing.
RunStep sort_block_lines(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: appends nothing.
RunStep append_empty_line(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: searches nothing.
RunStep find_command(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

// Stand-in: switches to no other window.
RunStep switch_window(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }

// Stand-in: keeps the arrangement.
RunStep cycle_arrangement(RunWindowCall* /*call*/) { return RUN_TAIL; }

// Stand-in: replays nothing.
RunStep replay_code(RunWindowCall* /*call*/, EventCode /*code*/) { return RUN_TAIL; }
