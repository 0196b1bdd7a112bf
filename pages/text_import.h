// Importing the lines of a text file as text items, one under the other.
#pragma once

#include <string>

constexpr char TEXT_IMPORT_FILTER[] = "Text (*.txt)|*.txt";
// Lines read longer than this (with a CR LF end) are not texts of a plate; they are skipped.
constexpr size_t TEXT_IMPORT_LONGEST_LINE = 255;

// The text of one line of the file as a text item takes it: UTF-8 turned into the item's
// character set first (one letter stays one character), the line end cut, every character
// below 32 or above 175 a blank, blanks trimmed at both ends. "" for a line to skip: empty
// after that, or longer than TEXT_IMPORT_LONGEST_LINE.
std::string text_import_line(const std::string& raw);

// File-menu option 20: asks for a text file (in the jobs folder when one is set) and the line
// spacing as a multiple of the text height, and appends one text item per line after the
// others, each taking the look of the first shown text (or the text defaults). 0, or 27 when
// cancelled or the file cannot be read.
int import_text_lines();
// The same with the file and the spacing given, in the drawing window's list.
int import_text_file(const std::string& path, double spacing);
