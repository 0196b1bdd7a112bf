// Editor operations on whole paragraphs of the marked block: indenting and outdenting them,
// resetting their layout and changing their indent level; and the block helpers that widen the
// block to whole paragraphs and take codes out of it. A paragraph is a run of lines whose first
// has LINE_KIND_PARAGRAPH.
#pragma once

struct TextLine;

// Flags the line and the rest of its paragraph for redraw; the last line flagged.
TextLine* flag_paragraph_for_redraw(TextLine* line);
// The block (or the cursor line) widened to its whole paragraphs, column 0 to the last line's end.
void paragraph_block_at_cursor();
// The first line of each paragraph of the block: level mode 0 with step 1 a blank put before the
// text, -1 a blank or tab taken away, 0 the layout reset (centred or not, as the first paragraph
// was not); level mode 1 with step 1 one indent level lower, -1 one higher. True when a line
// changed. An indent that would make a line too long is refused and said so.
bool adjust_paragraph_indent(int step, int level_mode);
bool shift_paragraphs(int step);

// Ends the marking; the block from column 0 of its first paragraph's first line to the real end
// of its last paragraph's last line; the cursor on the first line.
void widen_block_to_paragraphs();
// Deletes a colour code at the caret, or else just before it; 1 when one was deleted.
int delete_colour_code_at_cursor();
// Removes every character of the set from the block; the end column follows.
void remove_chars_from_block(const char* set);
