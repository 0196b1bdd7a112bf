// The registered stroke fonts: registering compiled fonts, finding a font by number, loading
// its glyph table and glyph stream when a text first needs them, and dropping them again.
// The font list window (list slot 7) shows the registry's lines; the glyph data lives here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "text/stroke_font_file.h"
#include "store/line_list.h"

// FontLoadState bits.
constexpr uint8_t FONT_STREAM_NOT_LOADED = 1;
constexpr uint8_t FONT_TABLE_NOT_LOADED = 2;

struct StrokeFont {
  int16_t number = 0;
  std::string file_name;  // without extension
  std::string title;
  uint8_t state = FONT_STREAM_NOT_LOADED | FONT_TABLE_NOT_LOADED;
  StrokeFontTable table;
  std::vector<uint8_t> stream;  // stream length + 1 bytes while loaded
};

struct FontRegistry {
  std::string folder;                              // where the compiled fonts are read from
  std::vector<std::unique_ptr<StrokeFont>> fonts;  // in the order they were registered
  std::vector<std::string> problems;               // fonts that could not be used, not yet told
};
extern FontRegistry g_fonts;
void reset_font_registry();

// Registers folder/name.Q2_: 1, or 0 when a font of that number is registered already or the
// file cannot be used (noted as a problem, told by report_font_problems). Fonts 0 and 1 get
// their glyph table at once.
int load_stroke_font(const std::string& folder, const std::string& name);
// Compiles folder/name.Q2F and registers the result; a font that cannot be compiled is noted.
int compile_and_load_stroke_font(const std::string& folder, const std::string& name);
// Notes a font that could not be used.
void note_font_problem(const std::string& name, int result);
// Tells the noted problems in one message and forgets them.
void report_font_problems();

// The font of number n, else font 0; null when neither is registered.
StrokeFont* find_font(int16_t font_number);
// The font with its glyph table (read when needed), null when it cannot be had.
StrokeFont* font_with_table(int16_t font_number);
// Reads the glyph stream of a font; false when it cannot be read.
bool load_font_stream(StrokeFont* font);
// Frees every glyph stream; fonts 0 and 1 keep their glyph tables, the others lose them.
void unload_fonts();

// A glyph record of a loaded font, or null when the font has no glyph for the code.
const uint8_t* font_glyph(const StrokeFont* font, int code);
// The name of a glyph record (its first bytes, zero-ended; checked when the font was read).
inline const char* font_glyph_name(const uint8_t* glyph) {
  return reinterpret_cast<const char*>(glyph);
}
// The advance of a code in font units (0 outside the table).
float font_advance(const StrokeFont* font, int code);
// True for a stroke font whose glyphs are open strokes (every stroke font): such a text can be
// engraved along its strokes only, never contoured or pocketed.
bool font_is_single_stroke(int16_t font_number, bool truetype);

// Appends one line per registered font to the current list: id = number, text = the title
// (fonts 0 and 1) or title, line break and file name, state = its load state.
void append_font_list_lines();
// The font list's order: by title, ignoring case.
int compare_font_names(const TextLine* a, const TextLine* b);
int compare_font_titles(const std::string& a, const std::string& b);

// Appends one line per registered symbol font (numbered 3000 and up) to the current list:
// id = number, text = its title. Returns the number of lines appended.
int append_symbol_font_lines();

// Registers the stroke fonts of a folder: of the two files of one font the source is compiled
// first when its compiled file is missing or is not newer than it. Fonts that cannot be
// compiled or read are noted. Returns the number of fonts registered.
int register_folder_fonts(const std::string& folder);
