// What the editor's operations share: the byte classes of line text, the text of a range of lines
// as pieces, and the one splice that replaces a range of text with pieces. Every edit that spans
// lines (cut, delete, paste, join) goes through splice_text, which checks every resulting line
// against the store's limit before it changes anything.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/line_list.h"

struct TextWindow;

// A line as the clipboard and the undo history keep it.
struct LineCopy {
  std::string text;
  uint8_t kind = 0;
  uint8_t attributes[16] = {};
};

inline bool is_colour_code(uint8_t c) { return c == 0x0B || c == 0x0C || c == 0x0E || c == 0x13; }
// The first byte of a two-byte escape (format codes 1-7, glyph 8).
inline bool is_escape_lead(uint8_t c) { return c >= 1 && c <= 8; }
inline bool ends_with_newline(const TextLine* line) {
  return line != nullptr && !line->text.empty() && line->text.back() == '\n';
}

// The first byte of the line's text above 32 (bytes from 0x80 count), 0 when there is none.
inline uint8_t first_visible_char(const TextLine* line) {
  for (char c : line->text)
    if (static_cast<uint8_t>(c) > 32) return static_cast<uint8_t>(c);
  return 0;
}

// The active window shows codes (spaces and codes flag).
bool codes_shown();
// Columns between tab stops, at least 1.
int tab_width();

// Shown on a refused edit; the text stays as it was.
constexpr const char* LINE_TOO_LONG_TEXT = "The line would be too long: nothing was changed.";
void report_line_too_long();

// The result of a splice: the first and last line holding the new text and the column on the last
// line just after the pieces; null first when the splice was refused.
struct SpliceResult {
  TextLine* first = nullptr;
  TextLine* last = nullptr;
  int16_t end_column = 0;
};
// Replaces the text from (first, start_column) to (last, end_column) with the pieces: the first
// piece joins the head of the first line, the last piece the tail of the last line. Lines between
// are deleted. Columns are clamped to the lines. Refused (nothing changed) when a resulting line
// would exceed LINE_TEXT_MAX or memory fails. The cursor and block lines of the store stay valid.
SpliceResult splice_text(TextLine* first, int start_column, TextLine* last, int end_column,
                         const std::vector<LineCopy>& pieces);

// The pieces of text from (first, start_column) to (last, end_column): one piece per line.
std::vector<LineCopy> copy_text_range(TextLine* first, int start_column, TextLine* last,
                                      int end_column);
LineCopy copy_of_line(const TextLine* line);

// The text clipboard (list slot 1) read and replaced whole, or appended to.
std::vector<LineCopy> text_clipboard_lines();
void set_text_clipboard(const std::vector<LineCopy>& lines, bool append);

// Brings back the folded runs between the lines, so that no placeholder is taken for a line.
void bring_back_runs(TextLine* first, TextLine* last);

// The cursor row stays inside the window and never counts more lines than lie above the cursor.
void fit_cursor_row();
// Index of a line in the current list (every line counted from 0), -1 when not in it.
int32_t index_of_line(const TextLine* line);

// Re-wraps the lines from the paragraph holding `start` (null: the first line) to the end of the
// paragraph holding `stop` (null: the last line) at `width` visible columns, keeping the cursor
// and the marked block on their characters. Widths below 4 change nothing.
void reformat_lines(TextLine* start, TextLine* stop, int width);
