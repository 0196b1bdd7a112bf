// Expanding a post processor's code section into the path code: one '#' line per line of the
// section, with its '#' placeholders filled from the tool, the speeds and the heights in force.
//
// Placeholders (the character before the '#' decides): T# or H# the tool number, T## two digits;
// T0# / E0# the tool number with the 0 kept only below 10, T0## the tool number twice in two
// digits each; S# the spindle speed when it changed since it was last written; F# the feed when
// it changed; Z# the rapid height; N# the program's title; M5# the second-head switch; a line
// that starts with A# positions the tool there instead of being written. A '#' at a line's
// start or before a digit is copied as it stands.
#pragma once

#include <string>

#include "nc/path_code.h"
#include "store/line_list.h"

// The title the N# placeholder and the title escape write (at most 15 characters are used):
// the NC program's name, set by the make-NC driver.
struct CodeSectionState {
  std::string title = "NO_NAME";
};
extern CodeSectionState g_code_section;

// Expands the lines from first_line on into the path code. Returns the number of lines it
// completed (lines left empty, and lines ended early by A# or a Velkor speed, do not count);
// afterwards the spindle speed in force counts as written.
int expand_code_section(const TextLine* first_line);
