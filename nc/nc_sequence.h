// Sequence numbers of NC programs: adding or updating them (N1, N0010, plain numbers) for three
// kinds of control, or removing them. Works on the lines of a program in a list; each line's text
// normally ends with "\n", which is kept.
#pragma once

#include <cstdint>
#include <string>

struct TextLine;

// The control the numbers are written for.
enum SequenceStyle : uint8_t {
  SEQUENCE_STYLE_FANUC = 0,     // block-delete '/' stays in front of the number
  SEQUENCE_STYLE_BANDIT = 1,    // the number grows by the increment once per word of the line
  SEQUENCE_STYLE_SHADOW = 2,    // comment lines ("*';") and FO/TO lines are left alone
};

// What the numbering command remembers for the whole run.
struct SequenceSettings {
  bool remove = false;          // remove the numbers instead of adding or updating them
  uint16_t first_number = 1;    // the number of the first numbered line
  int16_t increment = 1;        // added for each numbered line (each word in the Bandit style)
  char letter = 'N';            // the word letter; ' ' numbers without a letter
  uint8_t digits = 0;           // 0 no leading zeros, 1-5 the numbers are padded to that width
  uint8_t style = SEQUENCE_STYLE_FANUC;
};
extern SequenceSettings g_sequence;
void reset_sequence_settings();

// The sequence number as the settings write it ("N10", "N0010", "10").
std::string sequence_number_text(const SequenceSettings& settings, int64_t number);

// The separator put between a new number and the line: '\t' or ' ' when the program uses it (the
// first blank of up to 10 lines from `first` counted), 0 when it uses neither enough.
char sequence_separator(const TextLine* first, const TextLine* end);

// Numbers (or un-numbers) the lines from `first` up to `end` (exclusive; null to the list's end),
// unread and folded runs included. Returns the lines changed.
int renumber_nc_lines(TextLine* first, TextLine* end, const SequenceSettings& settings);
