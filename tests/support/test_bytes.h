// Little-endian bytes built by the tests on their own: records are laid out by hand after
// the stored layouts, never through the writers under test, so a test compares the writer
// with the layout rather than with itself.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A record built by appending its fields in order.
struct Bytes {
  std::vector<uint8_t> data;
  Bytes& u8(uint8_t v) {
    data.push_back(v);
    return *this;
  }
  Bytes& le16(uint16_t v) { return u8(static_cast<uint8_t>(v)).u8(static_cast<uint8_t>(v >> 8)); }
  Bytes& le32(uint32_t v) {
    for (int i = 0; i < 4; ++i) u8(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  Bytes& f32(float f) { return le32(std::bit_cast<uint32_t>(f)); }
  Bytes& text(const std::string& s) {
    data.insert(data.end(), s.begin(), s.end());
    return *this;
  }
  Bytes& zeros(size_t n) {
    data.insert(data.end(), n, 0);
    return *this;
  }
  Bytes& append(const std::vector<uint8_t>& more) {
    data.insert(data.end(), more.begin(), more.end());
    return *this;
  }
  size_t size() const { return data.size(); }
};

// Fixed-offset writes into a record being built.
inline void set_u8(std::vector<uint8_t>* b, size_t at, uint8_t v) { (*b)[at] = v; }
inline void set_le16(std::vector<uint8_t>* b, size_t at, uint16_t v) {
  (*b)[at] = static_cast<uint8_t>(v);
  (*b)[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void set_le32(std::vector<uint8_t>* b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*b)[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void set_f32(std::vector<uint8_t>* b, size_t at, float v) {
  set_le32(b, at, std::bit_cast<uint32_t>(v));
}
