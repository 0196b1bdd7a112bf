// Little-endian field access for the program's binary records. Records are read and written
// field by field through these, never by copying structs, so their layout does not depend on
// the compiler's padding or the machine's byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

inline uint16_t get_u16_le(const uint8_t* in) {
  return static_cast<uint16_t>(in[0] | (in[1] << 8));
}
inline int16_t get_i16_le(const uint8_t* in) { return static_cast<int16_t>(get_u16_le(in)); }
inline uint32_t get_u32_le(const uint8_t* in) {
  return static_cast<uint32_t>(in[0]) | (static_cast<uint32_t>(in[1]) << 8) |
         (static_cast<uint32_t>(in[2]) << 16) | (static_cast<uint32_t>(in[3]) << 24);
}
inline int32_t get_i32_le(const uint8_t* in) { return static_cast<int32_t>(get_u32_le(in)); }
inline float get_f32_le(const uint8_t* in) {
  const uint32_t bits = get_u32_le(in);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void put_u16_le(uint8_t* out, uint16_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
}
inline void put_i16_le(uint8_t* out, int16_t value) {
  put_u16_le(out, static_cast<uint16_t>(value));
}
inline void put_u32_le(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
  out[2] = static_cast<uint8_t>(value >> 16);
  out[3] = static_cast<uint8_t>(value >> 24);
}
inline void put_i32_le(uint8_t* out, int32_t value) {
  put_u32_le(out, static_cast<uint32_t>(value));
}
inline void put_f32_le(uint8_t* out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  put_u32_le(out, bits);
}

// A zero-ended text field of `size` bytes copied out of a record. The last byte is made a zero
// whatever the record held, so a field without its zero is cut there rather than read past.
inline void get_text_field(const uint8_t* in, char* out, size_t size) {
  std::memcpy(out, in, size);
  out[size - 1] = '\0';
}
