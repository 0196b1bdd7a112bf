// Tidying the lines of an NC program: compacting it (spaces, repeated motion words and
// needless zeros removed), taking the separators between words out, or putting one between
// every two words. The make-NC driver runs one of them over a new program as its post
// processor's options say; the NC page offers them on the program being edited.
//
// Every function works on a chain of NC program lines from `first_line` on; each line's text
// normally ends with "\n", which is kept. Comments are left alone as the comment state says.
#pragma once

#include <cstdint>
#include <string>

struct TextLine;

// The line after `line` in a program walk: a folded or unread run that follows is brought back
// first, so that the walk meets every line. Null at the end, or when a run could not be read.
// A walk over an editing buffer holds folding (g_fold.holding), or a run folded under the walk
// would end it early.
TextLine* next_nc_line(TextLine* line);

// ---- Comment state ------------------------------------------------------------------------------
// The state of a line walk starts at NC_COMMENT_OUTSIDE for every line.
constexpr uint8_t NC_COMMENT_INSIDE = 0;    // inside a parenthesised comment
constexpr uint8_t NC_COMMENT_OUTSIDE = 1;   // program words
constexpr uint8_t NC_COMMENT_REST = 'e';    // the rest of the line is a comment: left alone
// The state after the character at `at` (a backspace followed by '<' starts a comment too).
uint8_t nc_comment_state(uint8_t state, const char* at);

// ---- Compacting ---------------------------------------------------------------------------------
// What a compacting walk remembers from line to line: the last motion word kept.
struct NcStripState {
  char last_motion = 0;  // '0'..'3' of the last one-digit G0-G3 kept; 0 none
};
// Compacts one line: deletes spaces, shortens G00-G03 to G0-G3 and drops a motion word equal to
// the last one kept, takes needless zeros off the numbers of X, Y, I, J and Z (with `more` a
// zero number loses its point as well) and the zero of ".0" before a non-digit. A canned cycle
// or its cancel (G73-G89) forgets the remembered motion word, so the G0 or G1 after it stays:
// without it the control has no motion mode for the axis words that follow.
std::string strip_nc_line(const std::string& text, int more, NcStripState* state);
// Compacts every line from first_line on. Returns the number of lines changed.
int strip_nc_zeros(TextLine* first_line, int more);

// ---- Separators ---------------------------------------------------------------------------------
// Deletes every space (tabs nonzero: every tab) outside parenthesised comments.
std::string remove_nc_spaces_line(const std::string& text, int tabs);
int remove_nc_spaces(TextLine* first_line, int tabs);
// Puts one separator (tabs nonzero: a tab, else a space) between the words of a line.
std::string space_nc_words_line(const std::string& text, int tabs);
int space_nc_words(TextLine* first_line, int tabs);
