// Our encoder of imploded data, the format the decompressor reads: used by the generators of
// the program's data files. Copies are found in a sliding window of 64 << dictionary_bits bytes
// (2-byte copies within 256); every stream ends with the end code and is at least 5 bytes long,
// the least the decompressor accepts.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// `literal_mode` DCL_LITERALS_BINARY or DCL_LITERALS_ASCII; `dictionary_bits` 4, 5 or 6 (other
// values are held to that range).
std::vector<uint8_t> dcl_implode(std::span<const uint8_t> data, int literal_mode,
                                 int dictionary_bits);
