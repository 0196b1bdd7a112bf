// The interface bitmap font: the faces of Q5_FONT.FON, read into memory.
// Every face is a fixed cell: advance = cell width, glyph height = cell height,
// 256 glyphs indexed by cp1252 byte (0-31 are the program's own marks).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FontFace {
  std::string name;           // face name as stored, e.g. "qx8x16"
  int cell_width = 0;         // pixels, also the advance
  int cell_height = 0;        // pixels
  int bytes_per_row = 0;      // (cell_width + 7) / 8
  std::vector<uint8_t> bits;  // 256 glyphs x cell_height rows x bytes_per_row, MSB = leftmost pixel
};

struct BitmapFont {
  std::vector<FontFace> faces;
};

// Loading
// Reads a bitmap-font resource file (FNT faces in an NE container). Returns true on success;
// on a malformed or truncated file returns false and says why in *error.
bool font_load(const std::string& path, BitmapFont* font, std::string* error);
// The same for a file's bytes already in memory; `label` names them in the message.
bool font_load_bytes(const std::vector<uint8_t>& bytes, const std::string& label,
                     BitmapFont* font, std::string* error);
// Finds a face by name ("qx10x20"), or nullptr.
const FontFace* font_find_face(const BitmapFont& font, const std::string& name);

// Glyph access
// True when pixel (x, y) of glyph `code` is set; x < cell_width, y < cell_height.
inline bool font_glyph_pixel(const FontFace& face, uint8_t code, int x, int y) {
  const uint8_t* row = face.bits.data() +
      (static_cast<size_t>(code) * face.cell_height + y) * face.bytes_per_row;
  return (row[x >> 3] >> (7 - (x & 7))) & 1;
}
