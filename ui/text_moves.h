// Word, sentence and paragraph moves of the editor: the caret by words, and marking or growing
// the block by a word, a sentence or a paragraph.
#pragma once

#include <cstdint>
#include <string>

struct TextLine;

// The factory delimiter sets: "F7 & F8; text file" and "CTRL right & left".
constexpr const char* FACTORY_SELECTION_DELIMITERS = "\n\t\" ,.?!;:(){}[]=+\x93\x94";
constexpr const char* FACTORY_WORD_KEY_DELIMITERS =
    "\n\t\\\" !@#$%^&~()|=,/;[]{}:<>?*-.+\x93\x94";

// The characters that end a word for the selections (F7, F8, a double click) and for the word
// moves (Ctrl+Left, Ctrl+Right); start-up sets them from the loaded preferences.
struct WordDelimiters {
  std::string selection = FACTORY_SELECTION_DELIMITERS;
  std::string word_keys = FACTORY_WORD_KEY_DELIMITERS;
};
inline WordDelimiters g_word_delimiters;
// An empty set keeps the factory one: a set without delimiters would make the text one word.
void set_word_delimiters(const std::string& selection, const std::string& word_keys);

void word_left();
void word_right();
// The selections hand the run loop the line and column its block extension goes on from.
void select_word_left(TextLine** previous_cursor_line, int16_t* anchor_column);
void select_word_right(TextLine** previous_cursor_line, int16_t* anchor_column);
void select_sentence_left(TextLine** previous_cursor_line, int16_t* anchor_column);
void select_sentence_right(TextLine** previous_cursor_line, int16_t* anchor_column);
void select_paragraph_left(TextLine** previous_cursor_line, int16_t* anchor_column);
void select_paragraph_right(TextLine** previous_cursor_line, int16_t* anchor_column);
