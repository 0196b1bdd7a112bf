// Reader of bitmap-font resource files: an MZ stub, an NE header, its resource table, and
// FNT 2.0 or 3.0 raster fonts as RT_FONT resources. Every offset, length and count is checked
// against the bytes that are there before it is used; a file that fails a check is refused
// through `refuse`, the one place that says why.

#include "platform/font.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <utility>

namespace {

// Limits far beyond any real bitmap font. With them a file can ask for at most
// 32 faces x 256 glyphs x 128 rows x 16 bytes = 16 MiB of glyphs, however it shares its data.
const size_t FONT_FILE_MAX_BYTES = 16u << 20;
const size_t FONT_MAX_FACES = 32;
const unsigned FONT_MAX_CELL = 128;            // pixels, either way
const size_t MZ_HEADER_BYTES = 64;
const size_t NE_HEADER_BYTES = 64;
const uint16_t RESOURCE_TYPE_FONT = 0x8008;
const size_t RESOURCE_TYPE_BYTES = 8;          // type id, count, reserved
const size_t RESOURCE_ENTRY_BYTES = 12;        // offset, length, flags, id, handle, usage
const unsigned RESOURCE_MAX_SHIFT = 16;
const size_t FNT2_HEADER_BYTES = 118;
const size_t FNT3_HEADER_BYTES = 148;

// The bytes being read and the reason for refusing them.
struct FontReader {
  const std::vector<uint8_t>& bytes;
  std::string why;  // empty until a check fails
};

bool refuse(FontReader* reader, const std::string& why) {
  if (reader->why.empty()) reader->why = why;
  return false;
}

std::string hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

// Reads within [0, limit) of the file; false when the field does not fit.
bool read_u8(const FontReader& reader, uint64_t at, uint64_t limit, unsigned* value) {
  if (at + 1 > limit || at + 1 > reader.bytes.size()) return false;
  *value = reader.bytes[at];
  return true;
}

bool read_u16(const FontReader& reader, uint64_t at, uint64_t limit, unsigned* value) {
  if (at + 2 > limit || at + 2 > reader.bytes.size()) return false;
  *value = reader.bytes[at] | (reader.bytes[at + 1] << 8);
  return true;
}

bool read_u32(const FontReader& reader, uint64_t at, uint64_t limit, uint32_t* value) {
  unsigned low = 0, high = 0;
  if (!read_u16(reader, at, limit, &low) || !read_u16(reader, at + 2, limit, &high))
    return false;
  *value = low | (static_cast<uint32_t>(high) << 16);
  return true;
}

// ---------------------------------------------------------------------------------------------
// FNT faces

// The header fields the reader needs, read from one font resource.
struct FntHeader {
  unsigned version = 0;
  uint32_t size = 0;          // bytes of the whole font, header included
  unsigned type = 0;
  unsigned pixel_width = 0;
  unsigned pixel_height = 0;
  unsigned first_char = 0;
  unsigned last_char = 0;
  unsigned default_char = 0;  // relative to first_char
  uint32_t face_offset = 0;
};

bool read_fnt_header(FontReader* reader, uint64_t start, uint64_t length, const std::string& what,
                     FntHeader* header) {
  if (length < FNT2_HEADER_BYTES)
    return refuse(reader, what + " is too short for a font header");
  const uint64_t end = start + length;
  read_u16(*reader, start, end, &header->version);
  if (header->version != 0x0200 && header->version != 0x0300)
    return refuse(reader, what + " has the unknown font version " + hex(header->version));
  if (header->version == 0x0300 && length < FNT3_HEADER_BYTES)
    return refuse(reader, what + " is too short for a version 3 font header");
  read_u32(*reader, start + 2, end, &header->size);
  read_u16(*reader, start + 66, end, &header->type);
  read_u16(*reader, start + 86, end, &header->pixel_width);
  read_u16(*reader, start + 88, end, &header->pixel_height);
  read_u8(*reader, start + 95, end, &header->first_char);
  read_u8(*reader, start + 96, end, &header->last_char);
  read_u8(*reader, start + 97, end, &header->default_char);
  read_u32(*reader, start + 105, end, &header->face_offset);
  const size_t header_bytes = header->version == 0x0300 ? FNT3_HEADER_BYTES : FNT2_HEADER_BYTES;
  if (header->size < header_bytes || header->size > length)
    return refuse(reader, what + " gives its size as " + std::to_string(header->size) +
                              " bytes where the resource holds " + std::to_string(length));
  if (header->type & 1) return refuse(reader, what + " is a vector font, not a bitmap font");
  if (header->pixel_width == 0)
    return refuse(reader, what + " is proportional; the interface needs fixed cells");
  if (header->pixel_width > FONT_MAX_CELL || header->pixel_height == 0 ||
      header->pixel_height > FONT_MAX_CELL)
    return refuse(reader, what + " has an absurd cell size of " +
                              std::to_string(header->pixel_width) + " x " +
                              std::to_string(header->pixel_height) + " pixels");
  if (header->first_char > header->last_char)
    return refuse(reader, what + " has its first character after its last");
  return true;
}

bool read_face_name(FontReader* reader, uint64_t start, const FntHeader& header,
                    const std::string& what, std::string* name) {
  name->clear();
  for (uint64_t at = header.face_offset; at < header.size; ++at) {
    const uint8_t byte = reader->bytes[start + at];
    if (byte == 0) {
      if (name->empty()) return refuse(reader, what + " has an empty face name");
      return true;
    }
    name->push_back(static_cast<char>(byte));
  }
  return refuse(reader, what + " has no face name within the font");
}

// Copies one glyph from the font's column layout (all rows of each 8-pixel column in turn)
// into the face's row layout.
void copy_glyph(const FontReader& reader, uint64_t bitmap_at, unsigned code, FontFace* face) {
  for (int column = 0; column < face->bytes_per_row; ++column)
    for (int y = 0; y < face->cell_height; ++y)
      face->bits[(static_cast<size_t>(code) * face->cell_height + y) * face->bytes_per_row +
                 column] = reader.bytes[bitmap_at + static_cast<uint64_t>(column) *
                                                        face->cell_height + y];
}

bool read_glyphs(FontReader* reader, uint64_t start, const FntHeader& header,
                 const std::string& what, FontFace* face) {
  const bool wide_offsets = header.version == 0x0300;
  const uint64_t entry_bytes = wide_offsets ? 6 : 4;
  const uint64_t table = wide_offsets ? FNT3_HEADER_BYTES : FNT2_HEADER_BYTES;
  const uint64_t count = header.last_char - header.first_char + 1;
  if (table + count * entry_bytes > header.size)
    return refuse(reader, what + " has a glyph table that runs past its end");
  const uint64_t glyph_bytes = static_cast<uint64_t>(face->bytes_per_row) * face->cell_height;
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t entry = start + table + i * entry_bytes;
    unsigned width = 0, short_offset = 0;
    uint32_t offset = 0;
    read_u16(*reader, entry, start + header.size, &width);
    if (wide_offsets) {
      read_u32(*reader, entry + 2, start + header.size, &offset);
    } else {
      read_u16(*reader, entry + 2, start + header.size, &short_offset);
      offset = short_offset;
    }
    const unsigned code = header.first_char + static_cast<unsigned>(i);
    if (width != header.pixel_width)
      return refuse(reader, what + " is not fixed-pitch: glyph " + std::to_string(code) +
                                " is " + std::to_string(width) + " pixels wide in a " +
                                std::to_string(header.pixel_width) + "-pixel cell");
    if (offset + glyph_bytes > header.size)
      return refuse(reader, what + ": the bitmap of glyph " + std::to_string(code) +
                                " lies outside the font");
    copy_glyph(*reader, start + offset, code, face);
  }
  return true;
}

// Codes outside the font's range show its default character, or nothing when that is missing.
void fill_missing_glyphs(const FntHeader& header, FontFace* face) {
  const size_t glyph_bytes = static_cast<size_t>(face->bytes_per_row) * face->cell_height;
  const unsigned fallback = header.first_char + header.default_char;
  for (unsigned code = 0; code < 256; ++code) {
    if (code >= header.first_char && code <= header.last_char) continue;
    if (fallback > header.last_char) continue;
    std::copy(face->bits.begin() + fallback * glyph_bytes,
              face->bits.begin() + (fallback + 1) * glyph_bytes,
              face->bits.begin() + code * glyph_bytes);
  }
}

bool read_fnt(FontReader* reader, uint64_t start, uint64_t length, const std::string& what,
              FontFace* face) {
  FntHeader header;
  if (!read_fnt_header(reader, start, length, what, &header)) return false;
  if (!read_face_name(reader, start, header, what, &face->name)) return false;
  face->cell_width = static_cast<int>(header.pixel_width);
  face->cell_height = static_cast<int>(header.pixel_height);
  face->bytes_per_row = (face->cell_width + 7) / 8;
  face->bits.assign(static_cast<size_t>(256) * face->cell_height * face->bytes_per_row, 0);
  if (!read_glyphs(reader, start, header, what, face)) return false;
  fill_missing_glyphs(header, face);
  return true;
}

// ---------------------------------------------------------------------------------------------
// The NE container

bool find_resource_table(FontReader* reader, uint64_t* table) {
  const uint64_t size = reader->bytes.size();
  unsigned magic = 0;
  if (!read_u16(*reader, 0, size, &magic) || magic != 0x5A4D || size < MZ_HEADER_BYTES)
    return refuse(reader, "not a font resource file (no MZ header)");
  uint32_t ne = 0;
  read_u32(*reader, 0x3C, size, &ne);
  if (ne < MZ_HEADER_BYTES || ne + NE_HEADER_BYTES > size)
    return refuse(reader, "the NE header (offset " + hex(ne) + ") lies outside the file");
  read_u16(*reader, ne, size, &magic);
  if (magic != 0x454E) return refuse(reader, "no NE header at offset " + hex(ne));
  unsigned relative = 0;
  read_u16(*reader, ne + 0x24, size, &relative);
  *table = ne + relative;
  if (*table + 2 > size)
    return refuse(reader, "the resource table offset " + hex(*table) + " lies outside the file");
  return true;
}

bool read_font_resource(FontReader* reader, uint64_t entry, unsigned shift, BitmapFont* font) {
  const uint64_t size = reader->bytes.size();
  const std::string what = "font resource " + std::to_string(font->faces.size() + 1);
  unsigned offset = 0, length = 0;
  read_u16(*reader, entry, size, &offset);
  read_u16(*reader, entry + 2, size, &length);
  const uint64_t start = static_cast<uint64_t>(offset) << shift;
  const uint64_t bytes = static_cast<uint64_t>(length) << shift;
  if (start >= size || start + bytes > size)
    return refuse(reader, what + " (offset " + hex(start) + ", " + std::to_string(bytes) +
                              " bytes) runs past the end of the file (" +
                              std::to_string(size) + " bytes)");
  if (font->faces.size() == FONT_MAX_FACES)
    return refuse(reader, "more than " + std::to_string(FONT_MAX_FACES) + " fonts in one file");
  FontFace face;
  if (!read_fnt(reader, start, bytes, what, &face)) return false;
  font->faces.push_back(std::move(face));
  return true;
}

bool read_resources(FontReader* reader, uint64_t table, BitmapFont* font) {
  const uint64_t size = reader->bytes.size();
  unsigned shift = 0;
  read_u16(*reader, table, size, &shift);
  if (shift > RESOURCE_MAX_SHIFT)
    return refuse(reader, "the resource alignment shift " + std::to_string(shift) + " is absurd");
  uint64_t at = table + 2;
  for (;;) {
    unsigned type = 0, count = 0;
    if (!read_u16(*reader, at, size, &type))
      return refuse(reader, "the resource table runs past the end of the file");
    if (type == 0) break;
    if (!read_u16(*reader, at + 2, size, &count) ||
        at + RESOURCE_TYPE_BYTES + count * RESOURCE_ENTRY_BYTES > size)
      return refuse(reader, "the resource table runs past the end of the file");
    for (unsigned i = 0; i < count; ++i) {
      const uint64_t entry = at + RESOURCE_TYPE_BYTES + i * RESOURCE_ENTRY_BYTES;
      if (type == RESOURCE_TYPE_FONT && !read_font_resource(reader, entry, shift, font))
        return false;
    }
    at += RESOURCE_TYPE_BYTES + count * RESOURCE_ENTRY_BYTES;
  }
  if (font->faces.empty()) return refuse(reader, "the file holds no fonts");
  return true;
}

bool read_file(const std::string& path, std::vector<uint8_t>* bytes, std::string* why) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return *why = "cannot open the file", false;
  const std::streamoff size = in.tellg();
  if (size < 0) return *why = "cannot read the file", false;
  if (static_cast<uint64_t>(size) > FONT_FILE_MAX_BYTES)
    return *why = "the file is too large for a font (" + std::to_string(size) + " bytes)", false;
  bytes->resize(static_cast<size_t>(size));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes->data()), size);
  if (!in) return *why = "cannot read the file", false;
  return true;
}

}  // namespace

bool font_load_bytes(const std::vector<uint8_t>& bytes, const std::string& label,
                     BitmapFont* font, std::string* error) {
  FontReader reader{bytes, {}};
  BitmapFont loaded;
  uint64_t table = 0;
  if (!find_resource_table(&reader, &table) || !read_resources(&reader, table, &loaded)) {
    if (error) *error = label + ": " + reader.why;
    return false;
  }
  *font = std::move(loaded);
  return true;
}

bool font_load(const std::string& path, BitmapFont* font, std::string* error) {
  std::vector<uint8_t> bytes;
  std::string why;
  if (!read_file(path, &bytes, &why)) {
    if (error) *error = path + ": " + why;
    return false;
  }
  return font_load_bytes(bytes, path, font, error);
}

const FontFace* font_find_face(const BitmapFont& font, const std::string& name) {
  for (const FontFace& face : font.faces)
    if (face.name == name) return &face;
  return nullptr;
}
