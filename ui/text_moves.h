// Word, sentence and paragraph moves of the editor: the caret by words, and marking or growing
// the block by a word, a sentence or a paragraph.
#pragma once

#include <cstdint>

struct TextLine;

void word_left();
void word_right();
// The selections hand the run loop the line and column its block extension goes on from.
void select_word_left(TextLine** previous_cursor_line, int16_t* anchor_column);
void select_word_right(TextLine** previous_cursor_line, int16_t* anchor_column);
void select_sentence_left(TextLine** previous_cursor_line, int16_t* anchor_column);
void select_sentence_right(TextLine** previous_cursor_line, int16_t* anchor_column);
void select_paragraph_left(TextLine** previous_cursor_line, int16_t* anchor_column);
void select_paragraph_right(TextLine** previous_cursor_line, int16_t* anchor_column);
