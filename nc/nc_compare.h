// Comparing two NC programs line by line: exactly (trailing blanks aside), or by what the words
// mean (order of words, zeros, sequence numbers, comments and repeated motion words aside).
#pragma once

#include <string>

struct TextLine;

enum NcCompareMode : int {
  NC_COMPARE_BY_VALUE = 0,
  NC_COMPARE_EXACT = 1,
};

// The motion word (G0-G3) a by-value comparison has seen; -1 none yet.
struct NcCompareState {
  int modal_motion = -1;
};

// Exact: equal once trailing blanks and control characters are taken off (case counts).
bool nc_lines_same_exact(const std::string& current, const std::string& other);
// By value: every word of the current line has a word of the same letter and equal value in the
// other; what is left over in the other may only be the motion word in force.
bool nc_lines_same_by_value(const std::string& current, const std::string& other,
                            NcCompareState* state);
// True when the line holds nothing to compare in the mode (by value: blanks, a sequence number
// or a comment only).
bool nc_line_is_empty(const std::string& text, int mode);

// Where a comparison stopped: the first two lines that differ, or (differ false) both ends.
// When one program ends while the other still holds lines to compare, that line and the end
// (null) differ.
struct NcCompareResult {
  TextLine* current = nullptr;
  TextLine* other = nullptr;
  bool differ = false;
};
// Compares the lines from `current` and `other` on (unread and folded runs included).
NcCompareResult compare_nc_lines(TextLine* current, TextLine* other, int mode);
