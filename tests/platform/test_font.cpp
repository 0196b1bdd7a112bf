// The interface font: the generated Q5_FONT.FON reads back with its seven faces and our
// marks, and the reader refuses damaged or foreign files with a message, never a crash.

#include "platform/font.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

const std::string FONT_PATH = BRENVIK_PROGRAM_DIR "/Q5_FONT.FON";

using Bytes = std::vector<uint8_t>;

Bytes read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned get_u16(const Bytes& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t get_u32(const Bytes& b, size_t at) { return get_u16(b, at) | (get_u16(b, at + 2) << 16); }
void set_u16(Bytes* b, size_t at, unsigned v) {
  (*b)[at] = v & 0xFF;
  (*b)[at + 1] = (v >> 8) & 0xFF;
}
void set_u32(Bytes* b, size_t at, uint32_t v) {
  set_u16(b, at, v & 0xFFFF);
  set_u16(b, at + 2, v >> 16);
}

// Where the parts of a well-formed font file lie, found by walking it.
struct Layout {
  size_t ne = 0;               // NE header
  size_t table = 0;            // resource table
  size_t font_type = 0;        // the RT_FONT type entry
  size_t font_entry = 0;       // its first resource entry
  size_t font = 0;             // the first font's data
};

Layout layout_of(const Bytes& b) {
  Layout layout;
  layout.ne = get_u32(b, 0x3C);
  layout.table = layout.ne + get_u16(b, layout.ne + 0x24);
  const unsigned shift = get_u16(b, layout.table);
  size_t at = layout.table + 2;
  while (get_u16(b, at) != 0 && get_u16(b, at) != 0x8008) at += 8 + 12 * get_u16(b, at + 2);
  layout.font_type = at;
  layout.font_entry = at + 8;
  layout.font = static_cast<size_t>(get_u16(b, layout.font_entry)) << shift;
  return layout;
}

bool glyph_blank(const FontFace& face, uint8_t code) {
  for (int y = 0; y < face.cell_height; ++y)
    for (int x = 0; x < face.cell_width; ++x)
      if (font_glyph_pixel(face, code, x, y)) return false;
  return true;
}

bool glyphs_equal(const FontFace& face, uint8_t a, uint8_t b) {
  for (int y = 0; y < face.cell_height; ++y)
    for (int x = 0; x < face.cell_width; ++x)
      if (font_glyph_pixel(face, a, x, y) != font_glyph_pixel(face, b, x, y)) return false;
  return true;
}

// Every pixel of `inner` is also set in `outer`.
bool glyph_within(const FontFace& face, uint8_t inner, uint8_t outer) {
  for (int y = 0; y < face.cell_height; ++y)
    for (int x = 0; x < face.cell_width; ++x)
      if (font_glyph_pixel(face, inner, x, y) && !font_glyph_pixel(face, outer, x, y))
        return false;
  return true;
}

// The columns set in one row of a glyph.
std::vector<int> row_columns(const FontFace& face, uint8_t code, int y) {
  std::vector<int> columns;
  for (int x = 0; x < face.cell_width; ++x)
    if (font_glyph_pixel(face, code, x, y)) columns.push_back(x);
  return columns;
}

class GeneratedFont : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(font_load(FONT_PATH, &font_, &error)) << error;
  }
  BitmapFont font_;
};

TEST_F(GeneratedFont, HoldsTheSevenFacesAtTheirCellSizes) {
  struct Case { const char* name; int width; int height; };
  const Case cases[] = {{"qx6x10", 6, 10},  {"qx6x12", 6, 12},   {"qx8x14", 8, 14},
                        {"qx8x16", 8, 16},  {"qx10x20", 10, 20}, {"qx12x24", 12, 24},
                        {"qx14x28", 14, 28}};
  EXPECT_EQ(font_.faces.size(), std::size(cases));
  for (const Case& c : cases) {
    const FontFace* face = font_find_face(font_, c.name);
    ASSERT_NE(face, nullptr) << c.name;
    EXPECT_EQ(face->cell_width, c.width) << c.name;
    EXPECT_EQ(face->cell_height, c.height) << c.name;
    EXPECT_EQ(face->bytes_per_row, (c.width + 7) / 8) << c.name;
    EXPECT_EQ(face->bits.size(), 256u * c.height * face->bytes_per_row) << c.name;
  }
  EXPECT_EQ(font_find_face(font_, "qx9x18"), nullptr);
  EXPECT_EQ(font_find_face(font_, ""), nullptr);
}

TEST_F(GeneratedFont, EveryCodeButTheBlanksShowsSomething) {
  for (const FontFace& face : font_.faces) {
    for (int code = 1; code < 256; ++code) {
      const bool blank = code == ' ' || code == 0xA0;  // space and no-break space
      EXPECT_EQ(glyph_blank(face, code), blank) << face.name << " code " << code;
    }
    EXPECT_FALSE(glyphs_equal(face, 'A', 'B')) << face.name;
    EXPECT_FALSE(glyphs_equal(face, 'l', '1')) << face.name;
    EXPECT_FALSE(glyphs_equal(face, 0xC4, 'A')) << face.name;  // A with diaeresis
  }
}

TEST_F(GeneratedFont, MarksThatTogglePairUp) {
  struct Case { uint8_t off; uint8_t on; const char* what; };
  const Case cases[] = {{30, 27, "check box, left cell"},
                        {31, 28, "check box, right cell"},
                        {0x81, 0x7F, "folder collapse and expand"}};
  for (const FontFace& face : font_.faces) {
    for (const Case& c : cases) {
      // The mark is added to the same frame, so toggling does not make the frame jump.
      EXPECT_TRUE(glyph_within(face, c.off, c.on)) << face.name << " " << c.what;
    }
    EXPECT_FALSE(glyphs_equal(face, 27, 30) && glyphs_equal(face, 28, 31)) << face.name;
    EXPECT_FALSE(glyphs_equal(face, 0x7F, 0x81)) << face.name;
    EXPECT_FALSE(glyphs_equal(face, 24, 25)) << face.name;  // up and down arrows
  }
}

// The rows set in one column of a glyph.
std::vector<int> column_rows(const FontFace& face, uint8_t code, int x) {
  std::vector<int> rows;
  for (int y = 0; y < face.cell_height; ++y)
    if (font_glyph_pixel(face, code, x, y)) rows.push_back(y);
  return rows;
}

TEST_F(GeneratedFont, LineGlyphsJoinFromRowToRow) {
  // Stacked in a column of cells, these glyphs must meet at the cell edges.
  struct Case { uint8_t code; bool joins_above; bool joins_below; const char* what; };
  const Case cases[] = {{0x90, true, true, "tree: level continues"},
                        {0x8D, true, true, "tree: branch"},
                        {0x8F, true, false, "tree: last branch"},
                        {18, true, true, "list position: inner line"},
                        {21, false, true, "list position: first line"},
                        {23, true, false, "list position: last line"}};
  for (const FontFace& face : font_.faces) {
    const std::vector<int> spine = row_columns(face, 0x90, 0);
    ASSERT_FALSE(spine.empty()) << face.name;
    for (const Case& c : cases) {
      const std::vector<int> top = row_columns(face, c.code, 0);
      const std::vector<int> bottom = row_columns(face, c.code, face.cell_height - 1);
      EXPECT_EQ(!top.empty(), c.joins_above) << face.name << " " << c.what;
      EXPECT_EQ(!bottom.empty(), c.joins_below) << face.name << " " << c.what;
      if (c.joins_above && c.joins_below) {
        EXPECT_EQ(top, bottom) << face.name << " " << c.what;
      }
      if (c.code >= 0x80) {  // the tree connectors share one spine
        EXPECT_EQ(c.joins_above ? top : bottom, spine) << face.name << " " << c.what;
      }
    }
  }
}

TEST_F(GeneratedFont, TreeBranchesMeetTheRuleBesideThem) {
  // A folder line reads branch, rule, rule: 0x8D or 0x8F, then two em dashes (0x97).
  for (const FontFace& face : font_.faces) {
    const int right = face.cell_width - 1;
    const std::vector<int> rule_left = column_rows(face, 0x97, 0);
    ASSERT_FALSE(rule_left.empty()) << face.name;
    EXPECT_EQ(column_rows(face, 0x97, right), rule_left) << face.name << " rule to rule";
    EXPECT_EQ(column_rows(face, 0x8D, right), rule_left) << face.name << " branch";
    EXPECT_EQ(column_rows(face, 0x8F, right), rule_left) << face.name << " last branch";
  }
}

// ---------------------------------------------------------------------------------------------
// A small font file built here, independently of the generator: one face, cell 10 x 3 (two
// bitmap columns per glyph), characters 'A' and 'B' only, 'B' the default character. The
// resource table lists that one font `entries` times.

Bytes make_small_fnt(unsigned version) {
  const size_t header = version == 0x0300 ? 148 : 118;
  const size_t entry = version == 0x0300 ? 6 : 4;
  Bytes fnt(header + 3 * entry, 0);
  set_u16(&fnt, 0, version);
  set_u16(&fnt, 86, 10);       // pixel width
  set_u16(&fnt, 88, 3);        // pixel height
  fnt[95] = 'A';               // first character
  fnt[96] = 'B';               // last character
  fnt[97] = 1;                 // default character: 'B'
  // 'A': a top row across all ten pixels; 'B': a single pixel at (9, 2), in the second column.
  const uint8_t glyph_a[] = {0xFF, 0x00, 0x00, 0xC0, 0x00, 0x00};
  const uint8_t glyph_b[] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x40};
  for (int i = 0; i < 3; ++i) {
    const size_t at = header + i * entry;
    set_u16(&fnt, at, 10);
    const uint32_t offset = static_cast<uint32_t>(fnt.size() + (i == 1 ? 6 : 0));
    if (version == 0x0300) set_u32(&fnt, at + 2, i < 2 ? offset : 0);
    else set_u16(&fnt, at + 2, i < 2 ? offset : 0);
  }
  fnt.insert(fnt.end(), glyph_a, glyph_a + 6);
  fnt.insert(fnt.end(), glyph_b, glyph_b + 6);
  set_u32(&fnt, 105, static_cast<uint32_t>(fnt.size()));
  for (char c : std::string("small")) fnt.push_back(c);
  fnt.push_back(0);
  set_u32(&fnt, 2, static_cast<uint32_t>(fnt.size()));
  return fnt;
}

Bytes make_small_font_file(unsigned version, unsigned entries = 1) {
  const Bytes fnt = make_small_fnt(version);
  Bytes file(0x80, 0);
  file[0] = 'M';
  file[1] = 'Z';
  set_u32(&file, 0x3C, 0x40);
  file[0x40] = 'N';
  file[0x41] = 'E';
  set_u16(&file, 0x40 + 0x24, 0x40);  // resource table right after the NE header
  const size_t table = file.size();
  const size_t font_at = (table + 2 + 8 + 12 * entries + 2 + 15) / 16 * 16;
  file.resize(font_at, 0);
  set_u16(&file, table, 4);           // 16-byte units
  set_u16(&file, table + 2, 0x8008);  // fonts
  set_u16(&file, table + 4, entries);
  for (unsigned i = 0; i < entries; ++i) {
    const size_t at = table + 10 + 12 * i;
    set_u16(&file, at, static_cast<unsigned>(font_at / 16));
    set_u16(&file, at + 2, static_cast<unsigned>((fnt.size() + 15) / 16));
    set_u16(&file, at + 6, 0x8001 + i);
  }
  file.insert(file.end(), fnt.begin(), fnt.end());
  file.resize((file.size() + 15) / 16 * 16, 0);
  return file;
}

TEST(FontLoad, ReadsBothFontVersionsAndFillsMissingCodes) {
  for (unsigned version : {0x0200u, 0x0300u}) {
    BitmapFont font;
    std::string error;
    ASSERT_TRUE(font_load_bytes(make_small_font_file(version), "small", &font, &error))
        << "version " << version << ": " << error;
    ASSERT_EQ(font.faces.size(), 1u);
    const FontFace& face = font.faces[0];
    EXPECT_EQ(face.name, "small");
    EXPECT_EQ(face.cell_width, 10);
    EXPECT_EQ(face.cell_height, 3);
    EXPECT_EQ(row_columns(face, 'A', 0), std::vector<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_TRUE(row_columns(face, 'A', 1).empty());
    EXPECT_EQ(row_columns(face, 'B', 2), std::vector<int>({9}));
    EXPECT_TRUE(row_columns(face, 'B', 0).empty());
    // Codes outside 'A'..'B' show the default character, as a font user would see them.
    EXPECT_TRUE(glyphs_equal(face, 'C', 'B'));
    EXPECT_TRUE(glyphs_equal(face, 0, 'B'));
  }
}

TEST(FontLoad, LimitsTheFacesOneFileCanAskFor) {
  // Many entries may share one font's data; the faces they ask for must stay bounded.
  BitmapFont font;
  std::string error;
  EXPECT_TRUE(font_load_bytes(make_small_font_file(0x0200, 32), "shared", &font, &error))
      << error;
  EXPECT_EQ(font.faces.size(), 32u);
  EXPECT_FALSE(font_load_bytes(make_small_font_file(0x0200, 33), "shared", &font, &error));
  EXPECT_NE(error.find("more than 32 fonts"), std::string::npos) << error;
}

TEST(FontLoad, MissingFileIsRefused) {
  BitmapFont font;
  std::string error;
  EXPECT_FALSE(font_load(BRENVIK_PROGRAM_DIR "/no-such-font.fon", &font, &error));
  EXPECT_NE(error.find("no-such-font.fon"), std::string::npos) << error;
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

// ---------------------------------------------------------------------------------------------
// Damaged files

struct Damage {
  const char* what;
  std::function<void(Bytes*, const Layout&)> apply;
  const char* message;  // part of the reason given
};

void truncate_to(Bytes* b, size_t size) { b->resize(std::min(size, b->size())); }

const Damage DAMAGES[] = {
    {"empty file", [](Bytes* b, const Layout&) { b->clear(); }, "no MZ header"},
    {"cut inside the DOS header", [](Bytes* b, const Layout&) { truncate_to(b, 40); },
     "no MZ header"},
    {"cut inside the NE header", [](Bytes* b, const Layout& l) { truncate_to(b, l.ne + 20); },
     "NE header"},
    {"cut inside the resource table",
     [](Bytes* b, const Layout& l) { truncate_to(b, l.font_entry + 6); }, "resource table"},
    {"cut inside the first font header",
     [](Bytes* b, const Layout& l) { truncate_to(b, l.font + 50); }, "past the end"},
    {"cut one byte short", [](Bytes* b, const Layout&) { b->pop_back(); }, "past the end"},
    {"bad MZ signature", [](Bytes* b, const Layout&) { (*b)[1] = 'X'; }, "no MZ header"},
    {"NE offset past the end",
     [](Bytes* b, const Layout&) { set_u32(b, 0x3C, static_cast<uint32_t>(b->size())); },
     "NE header"},
    {"NE offset near 4 GiB", [](Bytes* b, const Layout&) { set_u32(b, 0x3C, 0xFFFFFFF0u); },
     "NE header"},
    {"NE offset into the DOS header", [](Bytes* b, const Layout&) { set_u32(b, 0x3C, 2); },
     "NE header"},
    {"bad NE signature", [](Bytes* b, const Layout& l) { (*b)[l.ne] = 'P'; }, "no NE header"},
    {"resource table past the end",
     [](Bytes* b, const Layout& l) {
       truncate_to(b, l.ne + 0x400);
       set_u16(b, l.ne + 0x24, 0x3FF);
     },
     "resource table offset"},
    {"absurd alignment shift", [](Bytes* b, const Layout& l) { set_u16(b, l.table, 40); },
     "alignment shift"},
    {"absurd resource count",
     [](Bytes* b, const Layout& l) { set_u16(b, l.font_type + 2, 0xFFFF); }, "resource table"},
    {"font resource offset past the end",
     [](Bytes* b, const Layout& l) { set_u16(b, l.font_entry, 0xFFFF); }, "past the end"},
    {"font resource length past the end",
     [](Bytes* b, const Layout& l) { set_u16(b, l.font_entry + 2, 0xFFFF); }, "past the end"},
    {"no font resources",
     [](Bytes* b, const Layout& l) { set_u16(b, l.font_type, 0x8009); }, "holds no fonts"},
    {"unknown font version", [](Bytes* b, const Layout& l) { set_u16(b, l.font, 0x0100); },
     "font version"},
    {"font size beyond its resource",
     [](Bytes* b, const Layout& l) { set_u32(b, l.font + 2, 0x7FFFFFFF); }, "size"},
    {"vector font", [](Bytes* b, const Layout& l) { (*b)[l.font + 66] |= 1; }, "vector"},
    {"proportional font", [](Bytes* b, const Layout& l) { set_u16(b, l.font + 86, 0); },
     "proportional"},
    {"absurd cell width", [](Bytes* b, const Layout& l) { set_u16(b, l.font + 86, 60000); },
     "absurd cell size"},
    {"absurd cell height", [](Bytes* b, const Layout& l) { set_u16(b, l.font + 88, 40000); },
     "absurd cell size"},
    {"taller cell than the bitmaps hold",
     [](Bytes* b, const Layout& l) { set_u16(b, l.font + 88, 100); }, "outside the font"},
    {"first character after the last",
     [](Bytes* b, const Layout& l) {
       (*b)[l.font + 95] = 200;
       (*b)[l.font + 96] = 100;
     },
     "first character"},
    {"glyph wider than the cell",
     [](Bytes* b, const Layout& l) { set_u16(b, l.font + 118 + 4 * 65, 7); },
     "not fixed-pitch"},
    {"glyph bitmap past the end of the font",
     [](Bytes* b, const Layout& l) { set_u16(b, l.font + 118 + 4 * 65 + 2, 0xFFFF); },
     "outside the font"},
    {"face name past the end",
     [](Bytes* b, const Layout& l) { set_u32(b, l.font + 105, 0xFFFFFFFFu); }, "face name"},
    {"face name without its end",
     [](Bytes* b, const Layout& l) {
       const uint32_t size = get_u32(*b, l.font + 2);
       (*b)[l.font + size - 1] = 'x';
     },
     "face name"},
};

TEST(FontLoad, RefusesDamagedFilesAndSaysWhy) {
  const Bytes good = read_bytes(FONT_PATH);
  ASSERT_GT(good.size(), 1024u);
  const Layout layout = layout_of(good);
  ASSERT_EQ(get_u16(good, layout.font_type), 0x8008u);
  for (const Damage& damage : DAMAGES) {
    Bytes bytes = good;
    damage.apply(&bytes, layout);
    BitmapFont font;
    font.faces.resize(1);
    font.faces[0].name = "kept";
    std::string error;
    EXPECT_FALSE(font_load_bytes(bytes, "damaged.fon", &font, &error)) << damage.what;
    EXPECT_EQ(error.rfind("damaged.fon: ", 0), 0u) << damage.what << ": " << error;
    EXPECT_NE(error.find(damage.message), std::string::npos) << damage.what << ": " << error;
    // A refused file leaves the caller's font as it was.
    ASSERT_EQ(font.faces.size(), 1u) << damage.what;
    EXPECT_EQ(font.faces[0].name, "kept") << damage.what;
  }
}

TEST(FontLoad, SurvivesRandomDamage) {
  const Bytes good = read_bytes(FONT_PATH);
  ASSERT_GT(good.size(), 1024u);
  const Layout layout = layout_of(good);
  std::mt19937 random(20240611);
  for (int round = 0; round < 400; ++round) {
    Bytes bytes = good;
    // Most damage goes where the structure is: the headers, tables and first font header.
    std::uniform_int_distribution<size_t> structure(0, layout.font + 1400);
    std::uniform_int_distribution<size_t> anywhere(0, bytes.size() - 1);
    const int changes = 1 + round % 8;
    for (int i = 0; i < changes; ++i) {
      const size_t at = round % 4 == 3 ? anywhere(random) : structure(random);
      bytes[at] = static_cast<uint8_t>(random());
    }
    if (round % 5 == 4) bytes.resize(anywhere(random));
    BitmapFont font;
    std::string error;
    if (font_load_bytes(bytes, "random.fon", &font, &error)) {
      for (const FontFace& face : font.faces)
        ASSERT_EQ(face.bits.size(),
                  256u * face.cell_height * ((face.cell_width + 7) / 8)) << "round " << round;
    } else {
      EXPECT_FALSE(error.empty()) << "round " << round;
    }
  }
}

}  // namespace
