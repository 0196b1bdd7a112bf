// Record files: a list of named lines stored with a fixed-size binary block behind each line
// (the tool list is one, with 32-byte tool records).
//
// Layout (little-endian, no padding):
//   11 bytes   the tag "SI012699\r" and CR LF (only when the record size is not 0)
//   per line   its text (no line end inside it), CR LF, i16 id, u8 kind, u8 state, and
//              record-size bytes of the line's extra block
// There is no count: the file ends at its end, or at a line shorter than 2 bytes.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"
#include "store/line_list.h"

constexpr char RECORD_FILE_TAG[] = "SI012699\r";
constexpr size_t RECORD_FILE_TAG_SIZE = 9;     // bytes of the tag that are compared
constexpr size_t RECORD_FILE_HEADER_SIZE = 11; // the tag and CR LF
constexpr size_t RECORD_ID_SIZE = 4;           // i16 id, u8 kind, u8 state of a record
// A line (text and line end) longer than this is refused: the size of the reader's buffer.
constexpr size_t RECORD_FILE_LINE_MAX = 3072;
// Name of the temporary file a save writes first, in the saved file's folder.
constexpr char RECORD_FILE_TEMP_NAME[] = "SAVEFILE.TMP";
// Shown when a line cannot be allocated while loading.
constexpr char RECORD_FILE_NO_MEMORY[] = "Error! Not enough memory to load file.";

// Why the last load_record_file failed (RECORD_FAULT_NONE after a good load).
enum RecordFileFault {
  RECORD_FAULT_NONE = 0,
  RECORD_FAULT_NO_FILE,       // missing or empty file: no message
  RECORD_FAULT_NO_RECORD,     // a tag and no record: no message
  RECORD_FAULT_BAD_TAG,       // the first line is not the 11-byte tag line
  RECORD_FAULT_LONG_TEXT,     // a line is longer than RECORD_FILE_LINE_MAX
  RECORD_FAULT_SHORT_HEADER,  // the file ends inside a record's id, kind and state
  RECORD_FAULT_SHORT_BLOCK,   // the file ends inside a record's data block
  RECORD_FAULT_NO_MEMORY,
};

// Loading
// Reads the record file at path. On success (0) the lines read replace the lines of *list
// (which are freed); each line's extra block is block_size bytes (at least record_size), the
// record's bytes first and zeros after. end_byte takes the place of the CR that ends each
// text (0: the text ends there). On failure (-1) *list is left exactly as it was; a damaged
// file shows bad_file_message (its "%s", if any, replaced by the path) in a press-a-key box,
// a missing or empty file or one without a record shows nothing.
int load_record_file(const std::string& path, uint16_t record_size, uint16_t block_size,
                     LineList* list, const char* bad_file_message, char end_byte);

// Writing
// Writes the record file of the lines from `first` on (the tag only when record_size > 0).
// A text is written up to its first line feed or zero byte; lines with an empty text and no
// extra block are left out; an extra block shorter than the record size is padded with
// zeros. False when a write failed.
bool write_record_file(SaveFile* file, const TextLine* first, uint16_t record_size);
// Saves the lines to path through RECORD_FILE_TEMP_NAME in its folder, keeping the old file
// as the .BAK. 0 saved; 27 failed, reported in a press-a-key box, the old file untouched.
int save_record_file(const std::string& path, const TextLine* first, uint16_t record_size);

// Test hooks
struct RecordFileState {
  RecordFileFault last_fault = RECORD_FAULT_NONE;  // of the last load_record_file
};
extern RecordFileState g_record_file;
void reset_record_file();
