// Punched-tape codes of the machine link: the EIA code (RS-244) some controls read, the '~' codes
// of a protocol's start and end strings (blank tape as NUL bytes, a man-readable leader), and the
// table of man-readable characters, MAN-READ.TBL in the program folder, whose punch patterns
// spell a text on the tape's leader.
//
// MAN-READ.TBL: 64 entries of 9 bytes, for the characters from the space to '_' (32 to 95). An
// entry is a character's tape columns left to right, one byte each (bit 0 the first channel),
// ended by a 0 byte; so a pattern has at most 8 columns and no empty column inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/files.h"

// ---- EIA ---------------------------------------------------------------------------------------
constexpr uint8_t EIA_END_OF_BLOCK = 0x80;  // what a line end becomes
constexpr uint8_t EIA_BLANK = 0x10;         // a space and every character without a code
// The EIA code of a character (lower-cased first).
uint8_t ascii_to_eia(uint8_t character);

// ---- '~' codes -----------------------------------------------------------------------------------
constexpr int NULS_PER_TRAILER_DIGIT = 8;
// The NUL count of blank tape a string asks for: every digit right after a '~' adds 8 x its
// value. Counted in full (a count past 255 is kept).
int leader_length(const char* text);
// 1 when a '~' is followed by '*' (a man-readable leader is wanted), else 0.
int has_man_readable(const char* text);

// ---- The man-readable table ----------------------------------------------------------------------
constexpr char MAN_READ_FILE_NAME[] = "MAN-READ.TBL";
constexpr int MAN_READ_FIRST = 32;
constexpr int MAN_READ_COUNT = 64;
constexpr int MAN_READ_ENTRY_SIZE = 9;
constexpr int MAN_READ_MOST_COLUMNS = 8;
constexpr size_t MAN_READ_FILE_SIZE = MAN_READ_COUNT * MAN_READ_ENTRY_SIZE;
constexpr int MAN_READ_SPACE_NULS = 8;      // a space: blank tape
constexpr int MAN_READ_TRAILING_NULS = 24;  // after the text
constexpr int MAN_READ_MOST_CHARACTERS = 40;

struct ManReadTable {
  uint8_t entries[MAN_READ_COUNT][MAN_READ_ENTRY_SIZE] = {};  // every entry ends in a 0 byte
};
extern ManReadTable g_man_read;

// The columns of a character's pattern (empty outside 32-95 or for an empty pattern).
std::string man_read_pattern(const ManReadTable& table, uint8_t character);
// The leader that spells `text`: per character its pattern and one NUL (a space: 8 NULs), then
// 24 NULs.
std::string man_readable_leader(const ManReadTable& table, const std::string& text);
// Reads the table from bytes: whole entries are taken (each forced to end in a 0 byte), the
// rest stay empty. Returns the number of whole entries.
int read_man_read_bytes(const uint8_t* data, size_t size, ManReadTable* table);
// Reads MAN-READ.TBL of `folder` (found ignoring case) into g_man_read; a missing file leaves
// every pattern empty. Returns the entries read.
int read_man_read_table(const std::string& folder);
bool write_man_read_table(SaveFile* file, const ManReadTable& table);

// Test hooks
void reset_man_read_table();
