// The work of the two font fuzz targets, shared with the test that replays their corpora: any
// bytes must be read (or compiled) or refused cleanly, and whatever is accepted must decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/float2d.h"
#include "text/glyph_decoder.h"
#include "text/stroke_font_file.h"

namespace font_fuzz {

// Every glyph of an accepted font decodes to its end within a bounded number of moves.
inline void decode_every_glyph(const StrokeFontTable& table, const std::vector<uint8_t>& stream) {
  g_float2d.rotation_cos = 1.0;
  g_float2d.rotation_sin = 0.0;
  for (int k = 1; k < FONT_CODE_COUNT; ++k) {
    if (table.offset[k] == 0) continue;
    reset_glyph_decoder();
    const uint8_t* r = stream.data() + table.offset[k];
    g_glyph_decoder.transform.first_move = true;
    for (int moves = 0; r != nullptr && moves < 1000000; ++moves) {
      r = next_text_move(r);
      g_glyph_decoder.transform.first_move = false;
    }
  }
}

// A compiled font's bytes (the first two bytes choose the font number: below 3000 or not).
inline void read_font(const uint8_t* data, size_t size) {
  const int number = size > 0 && (data[0] & 1) ? 3000 : 1000;
  StrokeFontTable table;
  std::vector<uint8_t> stream;
  if (read_stroke_font(data, size, number, &table, &stream) == FONT_FILE_OK)
    decode_every_glyph(table, stream);
}

// A font source: compiled in a small work buffer (so packing is reached), then read back.
inline bool compile_font(const uint8_t* data, size_t size) {
  const std::string source(reinterpret_cast<const char*>(data), size);
  std::vector<uint8_t> bytes;
  if (compile_stroke_font_source(source, 1000, "fuzz", &bytes, 4096) != FONT_FILE_OK) return true;
  StrokeFontTable table;
  std::vector<uint8_t> stream;
  if (read_stroke_font(bytes.data(), bytes.size(), 1000, &table, &stream) != FONT_FILE_OK)
    return false;  // the compiler wrote what its own reader refuses
  decode_every_glyph(table, stream);
  return true;
}

}  // namespace font_fuzz
