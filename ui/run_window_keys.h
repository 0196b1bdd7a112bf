// The run loop's typing and cursor actions: typing and overwriting, Enter and Backspace, the
// horizontal and vertical moves, scrolling and jumps, and marking the block. Each works on the
// active window and tells the run loop whether its block-extension tail follows.
#pragma once

#include "ui/run_window.h"

// The typing path: every code the run loop does not list (a negative code types its positive
// value without moving the caret).
RunStep type_code(RunWindowCall* call, EventCode code);
// Alt+'=': the format menu's character, typed after a format prefix.
RunStep type_format_code(RunWindowCall* call);
RunStep press_enter(RunWindowCall* call);
RunStep press_backspace(RunWindowCall* call);
RunStep press_delete(RunWindowCall* call);

// Left (331, 441) and Right (333, 442), Home, End
RunStep move_left(RunWindowCall* call, EventCode code);
RunStep move_right(RunWindowCall* call, EventCode code);
RunStep move_to_line_start(RunWindowCall* call);
RunStep move_to_line_end(RunWindowCall* call);
// Up, Down, PgUp, PgDn and the drag codes 439, 440
RunStep move_vertically(RunWindowCall* call, EventCode code);
// Ctrl+Up, Ctrl+Down (and the wheel): the view by one line
RunStep scroll_view(RunWindowCall* call, EventCode code);
// Ctrl+PgUp, Ctrl+PgDn: the first or last line
RunStep jump_to_end_line(RunWindowCall* call, EventCode code);

// F6 and 345: start or end the marked block at the caret; 424: mark everything
RunStep mark_block_at_caret(RunWindowCall* call, EventCode code);
RunStep select_all_lines(RunWindowCall* call);
