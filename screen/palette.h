// The colour table and the palette: every colour the interface draws with is a palette index.
// Entries 0-159 are sixteen schemes of ten colours taken from the colour table; a few fixed
// entries after them serve the drawing layer.
#pragma once

#include <array>
#include <cstdint>

// Colour values: red in the low byte, then green, then blue (0x00BBGGRR). A value with the top
// bit set names a system colour by number instead.
using ColourValue = uint32_t;
constexpr int PALETTE_SIZE = 256;
constexpr int PALETTE_SCHEME_COUNT = 16;
constexpr int PALETTE_SCHEME_SIZE = 10;  // scheme s is entries 10s .. 10s + 9
constexpr ColourValue COLOUR_SYSTEM_BUTTON_FACE = 0x8000000F;

using ColourTable = std::array<ColourValue, PALETTE_SIZE>;
using Palette = std::array<ColourValue, PALETTE_SIZE>;

struct PaletteState {
  ColourTable colour_table;  // the user-editable schemes (0-159 used, 160-255 kept as read)
  Palette palette;           // colour by colour number; 0-159 and 161-171 made by build_palette
};
extern PaletteState g_palette;

// The colour table
// The factory colours every program starts with.
const ColourTable& default_colour_table();

// The palette
// Copies the sixteen schemes into palette entries 0-159 and sets the fixed entries 161-171.
void build_palette();

// The palette file
// Stand-in: reads and writes no palette file.
// A read (mode 0 or below) keeps the colour table in memory and derives the slots and palette.
void read_write_palette_file(int16_t mode);

// Test hooks
// Colour table back to the defaults, palette all 0.
void reset_palette();
