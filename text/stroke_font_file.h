// Stroke fonts on disk: the readable source (".Q2F"), its compiler and the compiled file
// (".Q2_") with its reader. The compiler writes and the reader reads the same layout byte for
// byte; the reader checks every length and offset, so a damaged file is refused whole and the
// glyph decoder can trust what it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Fonts numbered from here on are symbol sets: a short glyph table without kerning.
constexpr int16_t FONT_NUMBER_SYMBOL_BASE = 3000;
// Stroke fonts numbered from here on leave the pen width out of their spacing.
constexpr int16_t FONT_NUMBER_NO_PEN_SPACING = 2000;
// Character codes a font can hold (the space carries only its advance).
constexpr int FONT_FIRST_CODE = 32;
constexpr int FONT_FIRST_GLYPH_CODE = 33;
constexpr int FONT_LAST_CODE = 175;
constexpr int FONT_CODE_COUNT = FONT_LAST_CODE - FONT_FIRST_CODE + 1;  // 144
constexpr int FONT_KERNING_ROWS = 52;                                 // A-Z, then a-z
constexpr int FONT_KERNING_ROW_BYTES = 26;
constexpr size_t FONT_KERNING_SIZE = FONT_KERNING_ROWS * FONT_KERNING_ROW_BYTES;  // 1352
// The kerning of one step of a pair's nibble, in font units.
constexpr float FONT_KERNING_STEP = 0.026f;

// ---- The compiled file ----
constexpr size_t FONT_TITLE_SIZE = 22;         // the title, zero-ended (at most 20 characters)
constexpr size_t FONT_TITLE_MAX = 20;
constexpr size_t FONT_TABLE_SIZE = 2772;       // glyph table of a letter font
constexpr size_t FONT_SYMBOL_TABLE_SIZE = 1424;  // glyph table of a symbol set
constexpr size_t FONT_TABLE_NAME = 0;          // 260 bytes: the font's file name
constexpr size_t FONT_TABLE_NAME_SIZE = 260;
constexpr size_t FONT_TABLE_ADVANCES = 260;    // 144 f32
constexpr size_t FONT_TABLE_OFFSETS = 836;     // 144 i32: glyph record offsets, 0 = none
constexpr size_t FONT_TABLE_STREAM_LENGTH = 1412;  // i32
constexpr size_t FONT_TABLE_STREAM_ADDRESS = 1416; // 4 bytes, 0 in the file
constexpr size_t FONT_TABLE_KERNING = 1420;    // 1352 bytes, or 4 in a symbol set

// ---- Glyph elements of the stream ----
constexpr uint8_t GLYPH_SPLINE_RUN = 0x80;     // + n points (1..127), f32 dx, dy each
constexpr uint8_t GLYPH_MOTION_MASK = 0x0F;    // 1 pen up, 2 line, 4 clockwise, 8 counter-cw
constexpr uint8_t GLYPH_PEN_UP = 0x01;
constexpr uint8_t GLYPH_LINE = 0x02;
constexpr uint8_t GLYPH_ARC_CW = 0x04;
constexpr uint8_t GLYPH_ARC_CCW = 0x08;
constexpr uint8_t GLYPH_HAS_X = 0x10;
constexpr uint8_t GLYPH_HAS_Y = 0x20;
constexpr uint8_t GLYPH_PACKED = 0x40;         // values are i16 x 10000
constexpr int GLYPH_RUN_MAX_POINTS = 127;
constexpr float GLYPH_PACK_LIMIT = 3.276f;     // largest magnitude the i16 form holds
constexpr float GLYPH_PACK_SCALE = 10000.0f;

// The glyph table of a compiled font, decoded.
struct StrokeFontTable {
  std::string name;                      // the file name the font was loaded from
  float advance[FONT_CODE_COUNT] = {};   // font units; [0] is the space
  int32_t offset[FONT_CODE_COUNT] = {};  // glyph record in the stream; 0 = no glyph
  int32_t stream_length = 0;
  bool has_kerning = false;              // false: the kerning area starts with i16 -1
  uint8_t kerning[FONT_KERNING_SIZE] = {};
};

// Results of the compiler and the reader.
enum FontFileResult {
  FONT_FILE_OK = 0,
  FONT_FILE_NO_SOURCE = -1,      // the source cannot be read or has no title line
  FONT_FILE_BAD_HEADER = -2,     // source line 2 or 3, or a kerning row, breaks the length rule
  FONT_FILE_NOT_WRITTEN = -3,    // the compiled file cannot be created or written
  FONT_FILE_CANNOT_OPEN = -4,    // the compiled file cannot be opened or read
  FONT_FILE_SHORT = -5,          // shorter than its title, table or stream
  FONT_FILE_BAD_STREAM = -6,     // a glyph offset or element lies outside the stream, or a
                                 // value is not a finite number
  FONT_FILE_TOO_LARGE = -7,      // a source or compiled file beyond any real font
};
// The words for a result, for the messages that name a font.
const char* font_file_result_text(int result);

// Plain decimal conversion of the leading digits (an optional sign first); 0 when none.
int32_t string_to_long(const char* text);
// The font number of a file name: its leading decimal digits.
int16_t font_number_of(const std::string& file_name);
size_t font_table_size(int font_number);

// Compiles a font source into the bytes of its compiled file. The glyph stream is built in a
// work buffer of `work_limit` bytes; a font that outgrows it is compiled again in the packed
// (i16) form, and a glyph that still does not fit ends the font.
constexpr size_t FONT_WORK_BUFFER = 800000;
int compile_stroke_font_source(const std::string& source, int font_number,
                               const std::string& file_name, std::vector<uint8_t>* out,
                               size_t work_limit = FONT_WORK_BUFFER);
// Compiles folder/name.Q2F into folder/name.Q2_ (written whole under a temporary name first,
// so a failed write leaves any older compiled file as it was).
int compile_stroke_font(const std::string& folder, const std::string& name);

// The title of a compiled font's bytes (FONT_FILE_SHORT when they are shorter than it).
int read_stroke_font_title(const uint8_t* bytes, size_t size, std::string* title);
// Decodes and checks the glyph table of a compiled font's bytes; with `stream` also copies and
// checks the glyph stream (one block of stream length + 1 bytes, the last one 0).
int read_stroke_font(const uint8_t* bytes, size_t size, int font_number, StrokeFontTable* table,
                     std::vector<uint8_t>* stream);
// The same from folder/name.Q2_.
int read_stroke_font_file(const std::string& folder, const std::string& name, int font_number,
                          std::string* title, StrokeFontTable* table,
                          std::vector<uint8_t>* stream);
// Checks one glyph record: name, elements and the two closing bytes all inside the stream,
// every value finite. The end of the record's elements (its zero flag) in *elements_end.
bool check_glyph_record(const uint8_t* stream, size_t stream_length, size_t offset,
                        size_t* elements_end);
