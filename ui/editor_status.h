// The editing buffers' status line (caret column, word wrap, changed mark, the code under the
// caret, the marked block's size and mode) and the editor's wait for its next event.
#pragma once

#include <string>

#include "screen/event_queue.h"

struct TextWindow;
struct TextLine;

// The status text of a buffer: "%3d %c \b%c (%3.3s) \v%3.3s  %9.9s " with the caret's column
// (from 1, scrolling counted), 'W' with word wrap, the changed or unchanged glyph, the decimal
// code of the character under the caret (a glyph pair gives its glyph's number, a colour code
// the character it colours unless codes show raw; nothing beyond the line's text), the block's
// size ("12C" within a line, "3R" over lines, "*" when it reaches text not in memory) and
// "BLOCK" while a block is marked.
std::string editor_status_text(const TextWindow& w, const TextLine* cursor_line,
                               const TextLine* block_start, const TextLine* block_end);

// Draws the active buffer's status on its frame's bottom line, in the tiny face.
void draw_editor_status();

// The editor's wait: an empty buffer gets one empty line; a read-only buffer with nothing queued
// loses its changed mark; then the next event with the caret blinking at the cursor (status and
// line counter drawn first).
EventCode wait_editor_event();
