// Choosing the font of a text: a TrueType face from the faces the system has, or a registered
// stroke font from the "Choose a Font" list (editor/font_picker.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/font_picker.h"
#include "text/text_layout.h"

// One face the TrueType list offers: what the stored description can name (family, bold,
// italic) and the line the list shows.
struct TrueTypeChoice {
  std::string family;
  int weight = 400;
  bool italic = false;
  std::string line;
};
// The faces of the list, in the order fontconfig sorts them: styles that name the same
// description once, families too long for the description left out (they could not be found
// again by name).
std::vector<TrueTypeChoice> truetype_choices();

constexpr char TRUETYPE_LIST_TITLE[] = "Choose a TrueType font";
constexpr char NO_TRUETYPE_FACES[] = "No TrueType fonts were found on this computer.";

// Runs the TrueType list; nonzero when the user chose a face, whose description is then in
// log_font (height -10000). Cancelled, log_font is left as it was.
int choose_truetype_font(uint8_t log_font[TL_LOG_FONT_SIZE]);
