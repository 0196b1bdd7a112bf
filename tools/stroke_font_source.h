// The stroke font sources the build makes from the Hershey vector fonts: which Hershey file
// becomes which font number, and the conversion of one Hershey glyph record into the lines of a
// font source. The converter tool and its tests share it.
#pragma once

#include <string>
#include <vector>

struct HersheyFont {
  const char* file;   // Hershey file, without ".jhf"
  int number;         // font number: 0 and 1 resident, 1000.. letter fonts, 3000.. symbol sets
  const char* title;  // at most 20 characters
};
// Every font the build makes.
const std::vector<HersheyFont>& hershey_fonts();

// One glyph of a Hershey file: its extents and its vertices, y down, pen-ups as breaks.
struct HersheyGlyph {
  int left = 0;
  int right = 0;
  std::vector<std::vector<std::pair<int, int>>> strokes;  // each a run of (x, y)
};
// The glyphs of a Hershey file's text, in file order (records may run over several lines).
// False when a record is cut short or malformed.
bool parse_hershey(const std::string& text, std::vector<HersheyGlyph>* glyphs);

// Hershey units in one font unit: the height of the capital X.
constexpr int HERSHEY_UNITS_PER_FONT_UNIT = 21;
// The Hershey row of the baseline (y grows downwards).
constexpr int HERSHEY_BASELINE_ROW = 9;

// The element lines of one glyph by the rule: x from the record's left extent, y up from the
// baseline, one unit = 21 Hershey units, relative moves (G0 before each stroke, G1 along it) and
// a last pen-up move to (advance, 0). Values are written with 6 decimals, each the difference
// of rounded absolute positions, so the X values sum to the advance and the Y values to 0
// exactly as written.
std::vector<std::string> hershey_glyph_lines(const HersheyGlyph& glyph);
// The whole source of a font (CR LF line ends): title, space width, then one header ("*65")
// and its element lines per glyph of the codes 33 to 175.
std::string hershey_font_source(const std::vector<HersheyGlyph>& glyphs, const char* title);
