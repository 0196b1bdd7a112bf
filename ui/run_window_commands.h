// The run loop's mouse, paste, case, line, find, window-switching and undo-replay actions. Each
// works on the active window and tells the run loop whether its block-extension tail follows.
#pragma once

#include "ui/run_window.h"

// Clicks and drags: 460 a press on the text, 456 and 482 a release
RunStep click_on_text(RunWindowCall* call);
RunStep release_button(RunWindowCall* call, EventCode code);

// Pasting: Ins (the text clipboard), 425 (the system clipboard), 418 (as a column)
RunStep paste_text_clipboard(RunWindowCall* call);
RunStep paste_system_clipboard(RunWindowCall* call);
RunStep paste_column(RunWindowCall* call);

// Case (Alt+U, Alt+L, Alt+C) and indent (700, 702, 819-823) keys; the window toggles of word wrap
// (Alt+W) and overwrite (Alt+O); re-wrapping every line (463)
RunStep change_case_key(RunWindowCall* call, EventCode code);
RunStep indent_key(RunWindowCall* call, EventCode code);
RunStep toggle_word_wrap(RunWindowCall* call);
RunStep toggle_overwrite(RunWindowCall* call);
RunStep reformat_window(RunWindowCall* call);

// Lines: move (473, 474), sort all (475), sort the block (466), append (478)
RunStep move_line_key(RunWindowCall* call, EventCode code);
RunStep sort_all_lines(RunWindowCall* call);
RunStep sort_block_lines(RunWindowCall* call);
RunStep append_empty_line(RunWindowCall* call);

// Find and replace (451, 468-471)
RunStep find_command(RunWindowCall* call, EventCode code);

// Windows: switching (481, 483, 484) and the buffer arrangement (Ctrl+F2)
RunStep switch_window(RunWindowCall* call, EventCode code);
RunStep cycle_arrangement(RunWindowCall* call);

// The undo replay codes 502-507 and 510
RunStep replay_code(RunWindowCall* call, EventCode code);
