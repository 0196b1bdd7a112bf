// The buffered text-file reader: every text file of the program (the message catalogue, files
// opened in the editor, record files, the directory cache, imported text) is read through one
// FileRecord that hands out the next line, or the next n bytes, in place in its buffer.
//
// A line ends at its first line end and comes back with it: CR LF and LF as they stand, a lone
// CR as CR LF (one byte longer than in the file), and a last line without a line end gets CR LF in the line modes that
// ask for it. A line longer than the buffer comes back in pieces of exactly the buffer size,
// none of which ends in a line feed; the piece that holds the line end ends the line. No byte
// is lost or read twice, and file_line_ends_line tells a whole line from a piece.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Buffer sizes by use (bytes)
constexpr uint16_t FILE_BUFFER_EDITOR = 5120;
constexpr uint16_t FILE_BUFFER_RECORDS = 3072;
constexpr uint16_t FILE_BUFFER_CATALOGUE = 2048;
// Bytes allocated beyond the buffer size: room for the CR LF of a last line, the shift of a
// lone CR and the zero after the data.
constexpr size_t FILE_BUFFER_SLACK = 10;

// Descriptor states
constexpr int32_t FILE_NOT_OPEN = -1;  // not open yet: the first read opens it
constexpr int32_t FILE_AT_END = -2;    // read to its end and closed: reads give 0
constexpr int32_t FILE_OPEN = 0;       // open; the stream is valid

// read_file_line modes (a positive mode reads a record of exactly that many bytes)
constexpr int FILE_READ_LINE = 0;             // a line; CR LF after a last line; closes at the end
constexpr int FILE_READ_LINE_KEEP_OPEN = -1;  // as 0, but the file stays open at the end
constexpr int FILE_READ_LINE_RAW_END = -2;    // no CR LF after a last line; stays open at the end
constexpr int FILE_READ_LINE_CLOSE = -3;      // as 0

struct FileRecord {
  int32_t descriptor = FILE_NOT_OPEN;  // FILE_NOT_OPEN, FILE_AT_END or FILE_OPEN
  FILE* stream = nullptr;              // open read-only, binary, while descriptor is FILE_OPEN.
                                       // A copy of the record shares it: close only one.
  std::string folder;                  // filled by the editing code; ends with '/'
  std::string extension;               // with its dot
  std::string name;                    // file name without folder
  std::string full_path;               // the file read
  size_t line_start = 0;               // buffer index of the first byte of the last line returned
  size_t line_end = 0;                 // buffer index of its last byte
  uint32_t bytes_left = 0;             // bytes in the buffer after the last line returned
  size_t data_end = 0;                 // buffer index after the last byte of data; the byte
                                       // there is 0. bytes_left end there.
  std::vector<char> buffer;            // buffer_size + FILE_BUFFER_SLACK bytes; empty = none
  uint16_t buffer_size = 0;            // set at initialisation
  uint32_t bytes_read = 0;             // size of the last read from the file
  int64_t file_length = 0;             // taken when the file is opened
  int64_t line_offset = 0;             // file offset of the first byte of the last line returned
  int64_t next_offset = 0;             // file offset of the first byte not yet returned
  bool lf_line_ends = false;           // text files: the first line end is a bare LF, and the
                                       // editor writes LF line ends back (else CR LF)
};

struct FileReaderState {
  uint32_t lone_cr_count = 0;  // lone CRs turned into CR LF since the last init_file_record
};
extern FileReaderState g_file_reader;

// Opening and closing
// Clears the record, takes the path and buffer size (at least 1; 0 becomes the catalogue's
// size), leaves it not open and resets the lone-CR count. Opens nothing.
void init_file_record(FileRecord* record, const std::string& path, uint16_t buffer_size);
// Closes an open file (descriptor back to FILE_NOT_OPEN) and frees the buffer.
void close_file_record(FileRecord* record);
// Opens the file when it is not open, empties the buffer and moves to offset (whence as fseek;
// SEEK_CUR counts from the first byte not yet returned). -1 when the file cannot be opened or
// the buffer not allocated, 1 when the seek fails, 0 otherwise.
int seek_file_record(FileRecord* record, int64_t offset, int whence);

// Reading
// The byte count of the next line or record (see the modes), 0 at the end or on failure. The
// bytes lie from file_line_text on; they are followed by a zero byte only at the end of the data.
int32_t read_file_line(FileRecord* record, int mode);
// The first byte of the last line returned.
const char* file_line_text(const FileRecord* record);
// The last line returned as a string (its line end included).
std::string file_line_string(const FileRecord* record);
// True when the last line returned ends in a line feed: a whole line, or the last piece of a
// long one. False for a piece cut at the buffer size and for a last line read without CR LF.
bool file_line_ends_line(const FileRecord* record);
