// The editor's undo history: every key the run loop reads and every edit it makes is recorded as
// a step in a ring that belongs to the window; undo and redo put the cursor and block back and
// hand the run loop a code to replay.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

struct TextWindow;

// One step: the operation with its argument and the cursor and block state of its moment.
struct TextUndoStep {
  int32_t cursor_line = 0;          // id of the cursor line
  int32_t block_start_line = 0;     // id of the block's first line
  int32_t block_end_line = 0;       // id of the block's last line
  int16_t block_start_column = 0;   // -888 when no block was marked
  int16_t block_end_column = 0;
  int16_t text_column = 0;
  int16_t cursor_column = 0;
  int16_t cursor_row = 0;
  int16_t horizontal_scroll = 0;
  uint32_t window_flags = 0;
  int16_t marking = 0;
  int16_t argument = 0;
  uint8_t operation = 0;            // 0: empty slot, the end of the redo history
};

// Recording and replaying
// Records a key (op 0) or an edit (op > 0) of the active window.
void record_editor_undo(int16_t op, int16_t argument);
// Replays one step backward or forward; the code for the run loop to act on, 0 for none.
EventCode editor_undo();
EventCode editor_redo();

// Frees the window's undo ring.
void free_undo_ring(TextWindow* window);
