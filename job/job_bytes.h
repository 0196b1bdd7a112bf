// An appending writer for the job file's records of varying length; fixed-offset fields go
// through the little-endian helpers of ui/record_bytes.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/record_bytes.h"

struct ByteWriter {
  std::vector<uint8_t>* out;  // the record being built; fields are appended at its end
  void u8(uint8_t v) { out->push_back(v); }
  void i16(int16_t v) {
    uint8_t b[2];
    put_i16_le(b, v);
    bytes(b, 2);
  }
  void i32(int32_t v) {
    uint8_t b[4];
    put_i32_le(b, v);
    bytes(b, 4);
  }
  void bytes(const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    out->insert(out->end(), b, b + n);
  }
  void zeros(size_t n) { out->insert(out->end(), n, 0); }
};
