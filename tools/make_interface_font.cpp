// Makes the interface font Q5_FONT.FON: seven fixed-cell faces in the Windows bitmap-font
// resource format (FNT 2.0 faces in an NE container, readable by common font tools).
// The cp1252 characters come from Debian's X11 bitmap fonts, read with FreeType; the program's
// own marks at 0-31 (and the folder-tree marks) come from a drawn text source.
//
// Usage: make_interface_font GLYPH_SOURCE FONT_FOLDER OUTPUT
// The output is written beside its final name and renamed into place only when complete.

#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cp1252.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Faces

struct FaceSpec {
  const char* name;         // face name stored in the font, the cell size in its name
  const char* source_file;  // X11 bitmap font in the font folder
  const char* notice;       // copyright field, at most 60 bytes
  int width;                // cell width = advance, pixels
  int height;               // cell height, pixels
};

const char TERMINUS_NOTICE[] = "Characters: Terminus Font, SIL Open Font License 1.1";
const char FIXED_NOTICE[] = "Characters: misc-fixed 6x10, public domain";

const FaceSpec FACES[] = {
    {"qx6x10", "6x10.pcf.gz", FIXED_NOTICE, 6, 10},
    {"qx6x12", "ter-u12n_unicode.pcf.gz", TERMINUS_NOTICE, 6, 12},
    {"qx8x14", "ter-u14n_unicode.pcf.gz", TERMINUS_NOTICE, 8, 14},
    {"qx8x16", "ter-u16n_unicode.pcf.gz", TERMINUS_NOTICE, 8, 16},
    {"qx10x20", "ter-u20n_unicode.pcf.gz", TERMINUS_NOTICE, 10, 20},
    {"qx12x24", "ter-u24n_unicode.pcf.gz", TERMINUS_NOTICE, 12, 24},
    {"qx14x28", "ter-u28n_unicode.pcf.gz", TERMINUS_NOTICE, 14, 28},
};

// One face being built: 256 glyphs of one cell size, one byte per pixel (0 or 1).
struct Face {
  const FaceSpec* spec = nullptr;
  int ascent = 0;                         // pixels from the cell top to the baseline
  std::vector<uint8_t> pixels;            // 256 x height x width
  std::array<bool, 256> filled = {};      // glyph set by a source already

  uint8_t& at(int code, int x, int y) {
    return pixels[(static_cast<size_t>(code) * spec->height + y) * spec->width + x];
  }
};

bool fail(const std::string& message) {
  std::fprintf(stderr, "make_interface_font: %s\n", message.c_str());
  return false;
}

// ---------------------------------------------------------------------------------------------
// Character map

// Codes the program draws lines with take the source font's box-drawing glyphs, so that they
// meet from cell to cell: the folder tree's connectors at codes cp1252 leaves empty, and the
// em dash, which the tree and the headings also use as a horizontal rule.
uint32_t line_drawing(int code) {
  switch (code) {
    case 0x8D: return 0x251C;  // branch to a folder that has later siblings
    case 0x8F: return 0x2514;  // branch to the last folder of its parent
    case 0x90: return 0x2502;  // a level that continues further down
    case 0x97: return 0x2500;  // em dash as a full-width rule
    default: return 0;
  }
}

const uint32_t PLACEHOLDER = 0xFFFD;  // any code with nothing else to show

// The code point a face shows at a code, once the drawn glyphs are in place.
uint32_t code_point_of(int code) {
  if (line_drawing(code)) return line_drawing(code);
  const uint32_t code_point = cp1252_to_code_point(static_cast<uint8_t>(code));
  // The bytes cp1252 leaves undefined come back as C1 controls, which no font draws.
  if (code == 0x7F || (code_point >= 0x80 && code_point <= 0x9F)) return PLACEHOLDER;
  return code_point;
}

// ---------------------------------------------------------------------------------------------
// Drawn glyphs

struct Drawing {
  std::vector<int> codes;         // one per cell, left to right
  int width = 0;                  // cell width
  int height = 0;                 // cell height
  std::vector<std::string> rows;  // height rows of codes.size() * width '.' or '#'
};

// A code in decimal or 0x hexadecimal.
bool parse_code(const std::string& text, int* code) {
  const bool hexadecimal = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, hexadecimal ? 16 : 10);
  if (text.empty() || *end != '\0' || value < 0 || value > 255) return false;
  *code = static_cast<int>(value);
  return true;
}

// "glyph 27+28 8x16 name..." -> codes and cell size.
bool parse_drawing_header(const std::string& line, Drawing* drawing, std::string* why) {
  std::istringstream words(line);
  std::string keyword, codes, size;
  words >> keyword >> codes >> size;
  if (keyword != "glyph") return *why = "expected a 'glyph' header line", false;
  size_t start = 0;
  while (start <= codes.size()) {
    size_t plus = codes.find('+', start);
    if (plus == std::string::npos) plus = codes.size();
    int code = 0;
    if (!parse_code(codes.substr(start, plus - start), &code))
      return *why = "bad code list '" + codes + "'", false;
    drawing->codes.push_back(code);
    start = plus + 1;
  }
  if (std::sscanf(size.c_str(), "%dx%d", &drawing->width, &drawing->height) != 2 ||
      drawing->width <= 0 || drawing->height <= 0)
    return *why = "bad cell size '" + size + "'", false;
  return true;
}

void strip_carriage_return(std::string* line) {
  if (!line->empty() && line->back() == '\r') line->pop_back();
}

bool read_drawings(const std::string& path, std::vector<Drawing>* drawings) {
  std::ifstream in(path);
  if (!in) return fail("cannot open the glyph source " + path);
  std::string line;
  int line_number = 0;
  while (std::getline(in, line)) {
    ++line_number;
    strip_carriage_return(&line);
    if (line.empty() || line[0] == '#') continue;
    const std::string where = path + ":" + std::to_string(line_number) + ": ";
    Drawing drawing;
    std::string why;
    if (!parse_drawing_header(line, &drawing, &why)) return fail(where + why);
    const size_t row_width = drawing.codes.size() * drawing.width;
    for (int row = 0; row < drawing.height; ++row) {
      ++line_number;
      if (!std::getline(in, line)) return fail(where + "the drawing ends early");
      strip_carriage_return(&line);
      if (line.size() != row_width || line.find_first_not_of(".#") != std::string::npos)
        return fail(path + ":" + std::to_string(line_number) + ": expected " +
                    std::to_string(row_width) + " pixels of '.' or '#'");
      drawing.rows.push_back(line);
    }
    drawings->push_back(drawing);
  }
  return true;
}

bool place_drawings(const std::vector<Drawing>& drawings, std::vector<Face>* faces) {
  for (const Drawing& drawing : drawings) {
    bool placed = false;
    for (Face& face : *faces) {
      if (face.spec->width != drawing.width || face.spec->height != drawing.height) continue;
      for (size_t cell = 0; cell < drawing.codes.size(); ++cell) {
        const int code = drawing.codes[cell];
        if (face.filled[code])
          return fail("glyph " + std::to_string(code) + " is drawn twice at " +
                      face.spec->name);
        for (int y = 0; y < drawing.height; ++y)
          for (int x = 0; x < drawing.width; ++x)
            face.at(code, x, y) = drawing.rows[y][cell * drawing.width + x] == '#';
        face.filled[code] = true;
      }
      placed = true;
    }
    if (!placed)
      return fail("glyph " + std::to_string(drawing.codes[0]) + " is drawn at " +
                  std::to_string(drawing.width) + "x" + std::to_string(drawing.height) +
                  ", a cell size no face has");
  }
  // Every face must hold all of 0-31 and any other code drawn for one face.
  std::array<bool, 256> drawn = {};
  for (const Face& face : *faces)
    for (int code = 0; code < 256; ++code) drawn[code] = drawn[code] || face.filled[code];
  for (const Face& face : *faces) {
    for (int code = 0; code < 256; ++code) {
      if ((code < 32 || drawn[code]) && !face.filled[code])
        return fail("glyph " + std::to_string(code) + " has no " +
                    std::to_string(face.spec->width) + "x" +
                    std::to_string(face.spec->height) + " drawing");
    }
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Source fonts

// Copies a rendered 1-bit glyph into the cell, its origin at (origin_x, baseline).
void blit_glyph(const FT_GlyphSlot slot, int code, int origin_x, int baseline, Face* face) {
  const FT_Bitmap& bitmap = slot->bitmap;
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const uint8_t* line = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
    for (unsigned column = 0; column < bitmap.width; ++column) {
      if (!((line[column >> 3] >> (7 - (column & 7))) & 1)) continue;
      const int x = origin_x + slot->bitmap_left + static_cast<int>(column);
      const int y = baseline - slot->bitmap_top + static_cast<int>(row);
      if (x >= 0 && x < face->spec->width && y >= 0 && y < face->spec->height)
        face->at(code, x, y) = 1;
    }
  }
}

bool render_code_point(FT_Face source, uint32_t code_point, int code, int origin_x,
                       int baseline, Face* face) {
  const FT_UInt index = FT_Get_Char_Index(source, code_point);
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code_point));
  if (index == 0)
    return fail(std::string(face->spec->source_file) + " has no glyph for " + hex);
  if (FT_Load_Glyph(source, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0 ||
      source->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_MONO)
    return fail(std::string("cannot render ") + hex + " of " + face->spec->source_file);
  blit_glyph(source->glyph, code, origin_x, baseline, face);
  return true;
}

// Fills every code 32-255 not drawn by us from the face's source font. A source cell that is
// smaller or larger than ours is centred in it, so the advance and height stay exactly ours.
bool take_source_glyphs(FT_Library library, const std::string& folder, Face* face) {
  const std::string path = folder + "/" + face->spec->source_file;
  FT_Face source = nullptr;
  if (FT_New_Face(library, path.c_str(), 0, &source) != 0)
    return fail("cannot open the source font " + path);
  bool ok = source->num_fixed_sizes > 0 && FT_Select_Size(source, 0) == 0;
  if (!ok) fail(path + " is not a bitmap font");
  if (ok) {
    const int source_width = static_cast<int>(source->size->metrics.max_advance >> 6);
    const int source_height = static_cast<int>(source->size->metrics.height >> 6);
    const int source_ascent = static_cast<int>(source->size->metrics.ascender >> 6);
    const int origin_x = (face->spec->width - source_width) / 2;
    face->ascent = source_ascent + (face->spec->height - source_height) / 2;
    for (int code = 32; code < 256 && ok; ++code)
      if (!face->filled[code])
        ok = render_code_point(source, code_point_of(code), code, origin_x, face->ascent, face);
  }
  FT_Done_Face(source);
  return ok;
}

// ---------------------------------------------------------------------------------------------
// Writing: FNT 2.0 faces

const int FNT_HEADER_SIZE = 118;   // version 2.0 header
const int FNT_ENTRY_SIZE = 4;      // glyph width, 16-bit bitmap offset
const int FNT_GLYPHS = 257;        // 256 codes and the closing entry the format asks for
const int FNT_DIRECTORY_BYTES = 113;  // header bytes repeated in the font directory

void put_u8(std::vector<uint8_t>* out, unsigned value) { out->push_back(value & 0xFF); }
void put_u16(std::vector<uint8_t>* out, unsigned value) {
  put_u8(out, value);
  put_u8(out, value >> 8);
}
void put_u32(std::vector<uint8_t>* out, uint32_t value) {
  put_u16(out, value & 0xFFFF);
  put_u16(out, value >> 16);
}
void put_text(std::vector<uint8_t>* out, const std::string& text, size_t field_size) {
  for (size_t i = 0; i < field_size; ++i) put_u8(out, i < text.size() ? text[i] : 0);
}
void set_u16(std::vector<uint8_t>* out, size_t at, unsigned value) {
  (*out)[at] = value & 0xFF;
  (*out)[at + 1] = (value >> 8) & 0xFF;
}
void pad_to(std::vector<uint8_t>* out, size_t alignment) {
  while (out->size() % alignment) out->push_back(0);
}

// Glyph bitmaps are stored in columns of 8 pixels: all rows of the first column, then the next.
void put_glyph_bitmap(Face& face, int code, std::vector<uint8_t>* out) {
  const int columns = (face.spec->width + 7) / 8;
  for (int column = 0; column < columns; ++column) {
    for (int y = 0; y < face.spec->height; ++y) {
      unsigned byte = 0;
      for (int bit = 0; bit < 8; ++bit) {
        const int x = column * 8 + bit;
        if (code < 256 && x < face.spec->width && face.at(code, x, y)) byte |= 0x80 >> bit;
      }
      put_u8(out, byte);
    }
  }
}

std::vector<uint8_t> make_fnt(Face& face) {
  const FaceSpec& spec = *face.spec;
  const int glyph_bytes = (spec.width + 7) / 8 * spec.height;
  const uint32_t bits_offset = FNT_HEADER_SIZE + FNT_GLYPHS * FNT_ENTRY_SIZE;
  const uint32_t face_offset = bits_offset + FNT_GLYPHS * glyph_bytes;
  const uint32_t total = face_offset + static_cast<uint32_t>(std::string(spec.name).size()) + 1;
  const int points = (spec.height * 72 + 48) / 96;

  std::vector<uint8_t> out;
  put_u16(&out, 0x0200);                     // version
  put_u32(&out, total);                      // size of this font
  put_text(&out, spec.notice, 60);           // copyright
  put_u16(&out, 0);                          // type: raster
  put_u16(&out, points);                     // nominal point size
  put_u16(&out, 96);                         // vertical resolution, dpi
  put_u16(&out, 96);                         // horizontal resolution, dpi
  put_u16(&out, face.ascent);                // ascent
  put_u16(&out, 0);                          // internal leading
  put_u16(&out, 0);                          // external leading
  put_u8(&out, 0);                           // italic
  put_u8(&out, 0);                           // underline
  put_u8(&out, 0);                           // strike-out
  put_u16(&out, 400);                        // weight: normal
  put_u8(&out, 0);                           // character set: ANSI (cp1252)
  put_u16(&out, spec.width);                 // pixel width: fixed pitch
  put_u16(&out, spec.height);                // pixel height
  put_u8(&out, 0x30);                        // pitch and family: fixed, modern
  put_u16(&out, spec.width);                 // average width
  put_u16(&out, spec.width);                 // maximum width
  put_u8(&out, 0);                           // first character
  put_u8(&out, 255);                         // last character
  put_u8(&out, 0x9D);                        // default character: the placeholder
  put_u8(&out, 0x20);                        // break character: space
  put_u16(&out, (FNT_GLYPHS * spec.width + 15) / 16 * 2);  // width of all glyphs in bytes
  put_u32(&out, 0);                          // device name: none
  put_u32(&out, face_offset);                // face name
  put_u32(&out, 0);                          // bits pointer, set by a loader
  put_u32(&out, bits_offset);                // glyph bitmaps
  put_u8(&out, 0);                           // reserved
  for (int glyph = 0; glyph < FNT_GLYPHS; ++glyph) {
    put_u16(&out, spec.width);
    put_u16(&out, bits_offset + glyph * glyph_bytes);
  }
  for (int glyph = 0; glyph < FNT_GLYPHS; ++glyph) put_glyph_bitmap(face, glyph, &out);
  put_text(&out, spec.name, std::string(spec.name).size() + 1);
  return out;
}

// The font directory: for each font its resource id, the start of its header and its names.
std::vector<uint8_t> make_font_directory(const std::vector<std::vector<uint8_t>>& fonts,
                                         std::vector<Face>& faces) {
  std::vector<uint8_t> out;
  put_u16(&out, static_cast<unsigned>(fonts.size()));
  for (size_t i = 0; i < fonts.size(); ++i) {
    put_u16(&out, static_cast<unsigned>(i + 1));
    out.insert(out.end(), fonts[i].begin(), fonts[i].begin() + FNT_DIRECTORY_BYTES);
    put_u8(&out, 0);  // device name: empty
    put_text(&out, faces[i].spec->name, std::string(faces[i].spec->name).size() + 1);
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Writing: the NE container

const int NE_OFFSET = 0x80;        // the NE header follows the DOS header and stub
const int RESOURCE_SHIFT = 4;      // resources start on 16-byte boundaries
const uint16_t RT_FONTDIR = 0x8007;
const uint16_t RT_FONT = 0x8008;

// A DOS header whose stub program only says what the file is.
void put_dos_stub(std::vector<uint8_t>* out) {
  static const uint8_t CODE[] = {0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09,
                                 0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21};
  const std::string message = "This is a font file, not a program.\r\n$";
  put_u16(out, 0x5A4D);             // "MZ"
  put_u16(out, NE_OFFSET % 512);    // bytes on the last page
  put_u16(out, (NE_OFFSET + 511) / 512);  // pages
  put_u16(out, 0);                  // relocations
  put_u16(out, 4);                  // header size in paragraphs
  put_u16(out, 0x10);               // minimum extra paragraphs
  put_u16(out, 0xFFFF);             // maximum extra paragraphs
  put_u16(out, 0);                  // initial SS
  put_u16(out, 0xB8);               // initial SP
  put_u16(out, 0);                  // checksum
  put_u16(out, 0);                  // initial IP
  put_u16(out, 0);                  // initial CS
  put_u16(out, 0x40);               // relocation table offset: a new-style executable
  put_u16(out, 0);                  // overlay number
  while (out->size() < 0x3C) put_u8(out, 0);
  put_u32(out, NE_OFFSET);          // offset of the NE header
  out->insert(out->end(), CODE, CODE + sizeof CODE);
  put_text(out, message, message.size());
  while (out->size() < NE_OFFSET) put_u8(out, 0);
}

void put_pascal(std::vector<uint8_t>* out, const std::string& text) {
  put_u8(out, static_cast<unsigned>(text.size()));
  put_text(out, text, text.size());
}

struct Resource {
  uint16_t type;                // RT_FONTDIR or RT_FONT
  uint16_t id;                  // 0x8000 | number, or the offset of a name
  uint16_t flags;               // moveable, pure, preload / discardable
  std::vector<uint8_t> data;
  size_t entry_at = 0;          // where its offset and length go in the resource table
};

void put_resource_table(std::vector<Resource>* resources, std::vector<uint8_t>* out) {
  const size_t table_start = out->size();
  put_u16(out, RESOURCE_SHIFT);
  std::vector<size_t> name_fixups;
  for (uint16_t type : {RT_FONTDIR, RT_FONT}) {
    unsigned count = 0;
    for (const Resource& resource : *resources) count += resource.type == type;
    put_u16(out, type);
    put_u16(out, count);
    put_u32(out, 0);
    for (Resource& resource : *resources) {
      if (resource.type != type) continue;
      resource.entry_at = out->size();
      put_u16(out, 0);  // offset, in 16-byte units, filled in when the data is placed
      put_u16(out, 0);  // length, the same
      put_u16(out, resource.flags);
      if (resource.id == 0) name_fixups.push_back(out->size());
      put_u16(out, resource.id);
      put_u16(out, 0);
      put_u16(out, 0);
    }
  }
  put_u16(out, 0);  // end of the types
  for (size_t at : name_fixups) set_u16(out, at, static_cast<unsigned>(out->size() - table_start));
  put_pascal(out, "FONTDIR");
  put_u8(out, 0);   // end of the names
}

std::vector<uint8_t> make_font_file(std::vector<Resource>* resources) {
  std::vector<uint8_t> out;
  put_dos_stub(&out);
  const size_t ne = out.size();
  out.resize(ne + 0x40, 0);
  const size_t resource_table = out.size();
  put_resource_table(resources, &out);
  const size_t resident_names = out.size();
  put_pascal(&out, "QXFONT");
  put_u16(&out, 0);
  put_u8(&out, 0);
  const size_t imported_names = out.size();
  put_u8(&out, 0);
  const size_t entry_table = out.size();
  put_u16(&out, 0);
  const size_t nonresident_names = out.size();
  // The description that marks a library as a font resource file.
  put_pascal(&out, "FONTRES 100,96,96 : Brenvik interface font");
  put_u16(&out, 0);
  put_u8(&out, 0);
  const size_t nonresident_size = out.size() - nonresident_names;

  std::vector<uint8_t> header;
  put_u16(&header, 0x454E);                      // "NE"
  put_u8(&header, 5);                            // linker version
  put_u8(&header, 10);                           // linker revision
  put_u16(&header, entry_table - ne);            // entry table
  put_u16(&header, nonresident_names - entry_table);  // entry table length
  put_u32(&header, 0);                           // checksum
  put_u16(&header, 0x8000);                      // flags: library, no data segment
  put_u16(&header, 0);                           // automatic data segment
  put_u16(&header, 0);                           // heap
  put_u16(&header, 0);                           // stack
  put_u32(&header, 0);                           // CS:IP
  put_u32(&header, 0);                           // SS:SP
  put_u16(&header, 0);                           // segments
  put_u16(&header, 0);                           // module references
  put_u16(&header, nonresident_size);            // non-resident names length
  put_u16(&header, resource_table - ne);         // segment table (empty)
  put_u16(&header, resource_table - ne);         // resource table
  put_u16(&header, resident_names - ne);         // resident names
  put_u16(&header, imported_names - ne);         // module references (empty)
  put_u16(&header, imported_names - ne);         // imported names
  put_u32(&header, nonresident_names);           // non-resident names, from the file start
  put_u16(&header, 0);                           // movable entries
  put_u16(&header, RESOURCE_SHIFT);              // segment alignment shift
  put_u16(&header, 0);                           // resource segments
  put_u8(&header, 2);                            // target: Windows
  put_u8(&header, 0);                            // other flags
  put_u16(&header, 0);                           // fast-load area
  put_u16(&header, 0);                           // fast-load length
  put_u16(&header, 0);                           // swap area
  put_u16(&header, 0x0300);                      // Windows version expected
  std::copy(header.begin(), header.end(), out.begin() + ne);

  for (Resource& resource : *resources) {
    pad_to(&out, 1u << RESOURCE_SHIFT);
    set_u16(&out, resource.entry_at, static_cast<unsigned>(out.size() >> RESOURCE_SHIFT));
    const size_t units = (resource.data.size() + (1u << RESOURCE_SHIFT) - 1) >> RESOURCE_SHIFT;
    set_u16(&out, resource.entry_at + 2, static_cast<unsigned>(units));
    out.insert(out.end(), resource.data.begin(), resource.data.end());
  }
  pad_to(&out, 1u << RESOURCE_SHIFT);
  return out;
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return fail("cannot write " + temporary);
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) return fail("cannot rename " + temporary + " to " + path + ": " + error.message());
  return true;
}

bool build_faces(const std::string& glyph_source, const std::string& font_folder,
                 std::vector<Face>* faces) {
  for (const FaceSpec& spec : FACES) {
    Face face;
    face.spec = &spec;
    face.pixels.assign(static_cast<size_t>(256) * spec.width * spec.height, 0);
    faces->push_back(std::move(face));
  }
  std::vector<Drawing> drawings;
  if (!read_drawings(glyph_source, &drawings) || !place_drawings(drawings, faces)) return false;
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return fail("cannot start FreeType");
  bool ok = true;
  for (Face& face : *faces)
    if (ok) ok = take_source_glyphs(library, font_folder, &face);
  FT_Done_FreeType(library);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_interface_font GLYPH_SOURCE FONT_FOLDER OUTPUT\n");
    return 2;
  }
  std::vector<Face> faces;
  if (!build_faces(argv[1], argv[2], &faces)) return 1;

  std::vector<std::vector<uint8_t>> fonts;
  for (Face& face : faces) fonts.push_back(make_fnt(face));
  std::vector<Resource> resources;
  resources.push_back({RT_FONTDIR, 0, 0x0C50, make_font_directory(fonts, faces)});
  for (size_t i = 0; i < fonts.size(); ++i)
    resources.push_back({RT_FONT, static_cast<uint16_t>(0x8000 | (i + 1)), 0x1C30, fonts[i]});
  return write_file(argv[3], make_font_file(&resources)) ? 0 : 1;
}
