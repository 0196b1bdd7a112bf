// The code tables of the imploded data format (the compression library's published tables),
// shared by the decompressor and our encoder so both read the same codes.
#pragma once

#include <array>
#include <cstdint>
#include <span>

inline constexpr int DCL_LITERAL_SYMBOLS = 256;
inline constexpr int DCL_LENGTH_SYMBOLS = 16;
inline constexpr int DCL_DISTANCE_SYMBOLS = 64;
inline constexpr int DCL_MIN_LENGTH = 2;
inline constexpr int DCL_MAX_LENGTH = 518;
inline constexpr int DCL_END_LENGTH = 519;  // the length that ends the data
inline constexpr int DCL_MIN_DICTIONARY_BITS = 4;
inline constexpr int DCL_MAX_DICTIONARY_BITS = 6;

// Literal modes of the header's first byte.
inline constexpr int DCL_LITERALS_BINARY = 0;  // literals are plain 8-bit values
inline constexpr int DCL_LITERALS_ASCII = 1;   // literals are coded with the ASCII table

// Each byte holds a code length (low four bits) and how many symbols in a row have it, less
// one (high four bits).
inline constexpr std::array<uint8_t, 98> DCL_LITERAL_LENGTHS = {
    11,  124, 8,   7,   28,  7,   188, 13,  76,  4,  10, 8,  12, 10, 12, 10, 8,  23, 8,  9,
    7,   6,   7,   8,   7,   6,   55,  8,   23,  24, 12, 11, 7,  9,  11, 12, 6,  7,  22, 5,
    7,   24,  6,   11,  9,   6,   7,   22,  7,   11, 38, 7,  9,  8,  25, 11, 8,  11, 9,  12,
    8,   12,  5,   38,  5,   38,  5,   11,  7,   5,  6,  21, 6,  10, 53, 8,  7,  24, 10, 27,
    44,  253, 253, 253, 252, 252, 252, 13,  12,  45, 12, 45, 12, 61, 12, 45, 44, 173};
inline constexpr std::array<uint8_t, 6> DCL_LENGTH_LENGTHS = {2, 35, 36, 53, 38, 23};
inline constexpr std::array<uint8_t, 7> DCL_DISTANCE_LENGTHS = {2, 20, 53, 230, 247, 151, 248};

// Length symbol s stands for lengths base[s] .. base[s] + 2^extra[s] - 1.
inline constexpr std::array<int16_t, DCL_LENGTH_SYMBOLS> DCL_LENGTH_BASE = {
    3, 2, 4, 5, 6, 7, 8, 9, 10, 12, 16, 24, 40, 72, 136, 264};
inline constexpr std::array<uint8_t, DCL_LENGTH_SYMBOLS> DCL_LENGTH_EXTRA = {
    0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};

// Spreads a packed table into one code length per symbol; returns the symbols written.
inline int expand_code_lengths(std::span<const uint8_t> packed, uint8_t* lengths, int limit) {
  int symbol = 0;
  for (uint8_t entry : packed) {
    for (int left = (entry >> 4) + 1; left > 0 && symbol < limit; --left) {
      lengths[symbol++] = static_cast<uint8_t>(entry & 15);
    }
  }
  return symbol;
}

// The canonical codes of the lengths: shorter codes first, equal lengths in symbol order. The
// stream holds each code inverted, highest bit first.
inline void assign_canonical_codes(const uint8_t* lengths, int count, uint16_t* codes) {
  int code = 0;
  for (int length = 1; length <= 15; ++length) {
    for (int symbol = 0; symbol < count; ++symbol) {
      if (lengths[symbol] == length) codes[symbol] = static_cast<uint16_t>(code++);
    }
    code <<= 1;
  }
}
