// Measuring and wrapping texts that carry the program's in-band codes: the visible length of a
// text, where a line of a given width breaks, and the splitting of a long text into the wrapped
// lines of a list (message boxes, help texts, menus).
//
// Codes honoured: a byte 1-7 and the byte after it draw nothing; 0x08 and the byte after it draw
// one glyph; 0x09 is a tab; 0x0A ends a line; 0x0B, 0x0C, 0x0E and 0x13 change colour and take
// no column. At the start of a paragraph: 0x1D (GS) and two characters set the indent and the
// hanging indent (each character - 33); 0x1C (FS) does the same and indents the paragraph's
// later lines further by the width of a leading label; 0x1B (ESC) and four upper-case hex
// digits give a value kept for the paragraph (a value below 32 is followed by two indent
// characters as for GS).
#pragma once

#include <cstdint>
#include <string>

struct TextLine;

// Paragraph escapes
constexpr char TEXT_ESCAPE_VALUE = 0x1B;
constexpr char TEXT_ESCAPE_LABEL_INDENT = 0x1C;
constexpr char TEXT_ESCAPE_INDENT = 0x1D;
// Offset of the indent characters of an escape: '!' is 0.
constexpr int TEXT_INDENT_CHAR_BASE = 33;

// Where wrap_text_into_lines keeps a line's paragraph values (bytes of TextLine::attributes);
// the line number is the i32 key.
constexpr int WRAP_ATTR_VALUE = 0;            // i16 little-endian: the ESC value, 0 without one
constexpr int WRAP_ATTR_INDENT = 4;           // u8: indent in cells
constexpr int WRAP_ATTR_HANGING_INDENT = 5;   // u8: further indent of the paragraph's later lines
                                              // (with FS, the label width included)
// Below this width a wrap width means the default.
constexpr int WRAP_MIN_WIDTH = 10;
constexpr int WRAP_DEFAULT_WIDTH = 50;
// Indents are dropped when they would leave fewer columns than this.
constexpr int WRAP_MIN_TEXT_COLUMNS = 20;
// A leading label longer than this is not a label.
constexpr int LABEL_MAX_WIDTH = 20;

struct TextWrapState {
  uint8_t tab_width = 8;  // columns between tab stops, >= 1; the preferences set it at every load
};
extern TextWrapState g_text_wrap;

// Measuring
// Visible characters up to the end or the first line feed.
int display_length(const char* text);
// Walks the text counting columns until `width` columns, a line feed or the end; a single space
// at the stop is taken into the line and colour codes there are passed over. Returns the stop
// position (an index into text) and the column count in *columns (may be null).
int split_line_at_width(const char* text, int width, int* columns);
// From `position` back towards `start`, the nearest word boundary: after a space (at a space
// that follows another space), at a line feed or tab. `start` when there is none.
int break_back_to_word(const char* text, int position, int start);
// Width of a leading label ("Note: ", "1) "): its visible characters + 2; 0 when the text has
// none.
int leading_label_width(const char* text);

// Converting
// Copies the text with each byte below 32 written as 0x08 and the byte + 33, so that it is drawn
// as a glyph of the interface font.
std::string escape_control_chars(const char* text);

// Wrapping
// Appends the text to the current list as lines of at most `width` visible columns (widths below
// WRAP_MIN_WIDTH mean WRAP_DEFAULT_WIDTH). Lines keep their line feeds; a line after a line feed
// starts a paragraph (kind LINE_KIND_PARAGRAPH). Returns the number of lines appended + 1.
int wrap_text_into_lines(const char* text, int width);

// Test hooks
void reset_text_wrap();
