// Editor operations on whole paragraphs of the marked block: indenting and outdenting them,
// resetting their layout and changing their indent level; and the block helpers that widen the
// block to whole paragraphs and take codes out of it. A paragraph is a run of lines whose first
// has LINE_KIND_PARAGRAPH.
#pragma once

#include <cstdint>
#include <string>

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

// ---- Codes around the block ---------------------------------------------------------------------

constexpr uint8_t QUOTE_OPEN = 0x93;
constexpr uint8_t QUOTE_CLOSE = 0x94;

// Leading blanks go and every run of blanks becomes one; the new length.
int squeeze_blanks(std::string& text);
// The block (or the paragraph at the caret) made one flowing text: indents and tabs become
// blanks, the lines join and wrap again. Returns 464 (nothing more for the run loop).
int reformat_paragraph();
// Puts the code around the block: a colour code and its closing 0x13 (0: colour codes taken
// away), quotes (0x22, 0x93; taken away when already there), brackets '(' (0x29 takes them away,
// one line only). -1 done, 0 nothing done (no block, only blanks, brackets over lines).
int surround_block(uint8_t code);
// The entry lines' code keys: the code around the block (464), or the code to type at the caret.
int colour_code_key(uint8_t code);
int normal_colour_key();
int quote_key();
