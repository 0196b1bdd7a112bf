// The decompressor of imploded data (the compression library's format): a 2-byte header
// (literal mode, dictionary size in bits) and a bit stream of literals and copies closed by an
// end code. Input comes through a read callback in chunks, output leaves through a write
// callback in blocks; nothing is read or written past a buffer, whatever the data hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "store/dcl_tables.h"

enum DclResult : int {
  DCL_COMPLETE = 0,
  DCL_BAD_DICTIONARY_SIZE = 1,  // the header's dictionary size is not 4, 5 or 6
  DCL_BAD_LITERAL_MODE = 2,     // the header's literal mode is not 0 or 1
  DCL_INPUT_TOO_SHORT = 3,      // the first read supplied 4 bytes or fewer
  DCL_BROKEN_DATA = 4,          // the data ended or broke before the end code
};

inline constexpr size_t DCL_READ_CHUNK = 2048;
inline constexpr size_t DCL_WRITE_BLOCK = 4096;
inline constexpr size_t DCL_WINDOW = 4096;

// A decode table indexed by the next `bits` bits of the stream: symbol and code length.
struct DclDecodeTable {
  int bits = 0;
  std::vector<uint16_t> symbol;
  std::vector<uint8_t> length;  // 0: no code starts with these bits
};

// The decompressor's own memory: tables, the input chunk and the output window. One is kept
// by its user and passed to every run (the tables are built once).
struct DclWorkArea {
  DclDecodeTable literals;
  DclDecodeTable lengths;
  DclDecodeTable distances;
  uint8_t input[DCL_READ_CHUNK];
  // The window (lower 4096 bytes) and the bytes decoded since the last block, with room for
  // one longest copy past a full block.
  uint8_t output[2 * DCL_WINDOW + DCL_MAX_LENGTH + 2];
};

// Returns the number of bytes placed in `buffer` (at most `size`), 0 at the end of the data.
using DclRead = std::function<size_t(uint8_t* buffer, size_t size)>;
// Takes one block of output; false refuses it and stops the run with DCL_BROKEN_DATA.
using DclWrite = std::function<bool(const uint8_t* data, size_t size)>;

std::unique_ptr<DclWorkArea> make_dcl_work_area();

// Runs the decompressor. Output decoded before a failure has been written (unless refused).
DclResult dcl_expand(const DclRead& read, const DclWrite& write, DclWorkArea& work);

// Unpacks imploded bytes held in memory. Returns the result; `out` holds what was decoded.
// Output past `limit` bytes stops the unpacking with DCL_BROKEN_DATA.
DclResult dcl_expand_bytes(const uint8_t* data, size_t size, std::vector<uint8_t>& out,
                           size_t limit, DclWorkArea& work);
