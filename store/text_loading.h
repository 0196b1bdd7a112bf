// Text files in line lists: the loader that turns a file's bytes into wrapped lines (reading a
// large file in part, with a placeholder line standing for its unread middle), and the
// conversion of a line back into file bytes.
//
// Bytes come back as they were. Control bytes (NUL included) are kept in a line as glyph pairs
// (0x08, byte + 33) and written back as the byte; a line that ends its paragraph ends in 0x0A
// and is written back with the file's own line end: a file whose first line ends in a bare LF
// keeps LF, any other file (and a new one) CR LF. A CR that is not the first half of such a
// line end stays in the text as a glyph pair, so lone CRs come back too.
#pragma once

#include <cstdint>
#include <string>

#include "store/line_list.h"

struct FileRecord;

// Partial loading of a large file: the head is read up to the first line end after
// PARTIAL_LOAD_LINES lines, the rest of the file less its last PARTIAL_LOAD_TAIL bytes stays
// unread behind a placeholder, and the tail is read from its first whole line.
constexpr int64_t PARTIAL_LOAD_FILE_BYTES = 40000;  // a file of this size or less is read whole
constexpr int32_t PARTIAL_LOAD_LINES = 100;         // lines made before the cut is considered
constexpr int64_t PARTIAL_LOAD_REST = 15000;        // bytes that must remain beyond the cut
constexpr int64_t PARTIAL_LOAD_TAIL = 3500;         // bytes before the end where the tail starts
// A converted text longer than this is wrapped before the rest of its file line is read.
constexpr size_t LOAD_TEXT_CHUNK = 30000;

// Window flags the loader and the writer read (the text windows' own bits).
constexpr uint32_t TEXT_FLAG_GLYPH_CONTROLS = 0x8000;  // CR and LF shown as glyphs; lines cut at
                                                       // the wrap width
constexpr uint32_t TEXT_FLAG_COLOUR_CODES = 0x20000;   // colour codes kept as they are

// What one call of read_text_lines reads, and what it read.
struct TextLoad {
  FileRecord* file = nullptr;   // positioned where reading starts (a new record: at the start)
  uint32_t window_flags = 0;    // TEXT_FLAG_* bits
  int16_t wrap_width = 0;       // lines are wrapped to it (below WRAP_MIN_WIDTH: the default)
  int64_t limit = -1;           // >= 0: read at most this many bytes (a slice of unread text)
  bool limit_ends_text = false; // the limit is the end of the text: a CR just before it is whole
  bool whole_slice = false;     // with a limit: read all of it (else stop after 100 lines)
  bool allow_partial = false;   // a whole-file load may leave the middle unread
  bool detect_line_ends = false;// take the file's line-end style from its first line end
  // Results
  int64_t consumed = 0;         // file bytes turned into lines
  int32_t lines_made = 0;       // lines appended to the current list
  TextLine* placeholder = nullptr;  // the unread middle's placeholder, when one was made
};

// Appends the lines read to the current list. Returns the lines made (0 or more), or -1 when
// memory ran out: then the lines it appended are freed and the file closed.
int32_t read_text_lines(TextLoad* load);

// The file bytes of a line's text: glyph pairs back to their bytes (unless colour codes are
// kept), a closing 0x0A as the line end (LF or CR LF). Appended to *out.
void line_to_file_text(const TextLine* line, uint32_t window_flags, bool lf_line_ends,
                       std::string* out);
// The line text of file bytes with no line end in them (as the loader converts them).
std::string escape_file_text(const std::string& bytes, uint32_t window_flags);
