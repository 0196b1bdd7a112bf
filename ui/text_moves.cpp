#include "ui/text_moves.h"

// Stand-in: does not move the caret.
void word_left() {}
// Stand-in: does not move the caret.
void word_right() {}
// Stand-in: marks nothing.
void select_word_left(TextLine** /*previous_cursor_line*/, int16_t* /*anchor_column*/) {}
// Stand-in: marks nothing.
void select_word_right(TextLine** /*previous_cursor_line*/, int16_t* /*anchor_column*/) {}
// Stand-in: marks nothing.
void select_sentence_left(TextLine** /*previous_cursor_line*/, int16_t* /*anchor_column*/) {}
// Stand-in: marks nothing.
void select_sentence_right(TextLine** /*previous_cursor_line*/, int16_t* /*anchor_column*/) {}
// Stand-in: marks nothing.
void select_paragraph_left(TextLine** /*previous_cursor_line*/, int16_t* /*anchor_column*/) {}
// Stand-in: marks nothing.
void select_paragraph_right(TextLine** /*previous_cursor_line*/, int16_t* /*anchor_column*/) {}
