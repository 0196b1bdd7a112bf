// Asking for the text of an engraving text item: a small editing box with the keys that change
// the marked text and the serial-number placeholder in its help.
#pragma once

#include <string>

// The title of the box and the help lines under it.
constexpr char ENGRAVING_TEXT_TITLE[] = "Enter the text to engrave. Press ENTER when done.";
// Most bytes of an engraving text (an item's text is one line of the list).
constexpr size_t ENGRAVING_TEXT_MOST = 250;

// Edits *text in the box (row 12, column 40, 50 wide); with `formats` the format menu (Alt+=) is
// enabled while the box runs. True when the user accepted: *text is then the joined text without
// its line break. Cancelled, *text stays as it was.
bool prompt_engraving_text(std::string* text, bool formats = false);
