// The colour table and the palette: every colour the interface draws with is a palette index.
// Entries 0-159 are sixteen schemes of ten colours taken from the colour table; a few fixed
// entries after them serve the drawing layer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Colour values: red in the low byte, then green, then blue (0x00BBGGRR). A value with the top
// bit set names a system colour by number instead.
using ColourValue = uint32_t;
constexpr int PALETTE_SIZE = 256;
constexpr int PALETTE_SCHEME_COUNT = 16;
constexpr int PALETTE_SCHEME_SIZE = 10;  // scheme s is entries 10s .. 10s + 9
constexpr ColourValue COLOUR_SYSTEM_BUTTON_FACE = 0x8000000F;

using ColourTable = std::array<ColourValue, PALETTE_SIZE>;
using Palette = std::array<ColourValue, PALETTE_SIZE>;

// The palette file: four slots back to back, each an attribute block and a colour table.
constexpr const char* PALETTE_FILE_NAME = "KR_WSTF1.KR4";
constexpr int PALETTE_SLOTS = 4;
constexpr size_t PALETTE_ATTRIBUTE_SIZE = 590;
constexpr size_t PALETTE_TABLE_BYTES = 4 * PALETTE_SIZE;
constexpr size_t PALETTE_SLOT_SIZE = PALETTE_ATTRIBUTE_SIZE + PALETTE_TABLE_BYTES;  // 1614

struct PaletteState {
  ColourTable colour_table;  // the user-editable schemes (0-159 used, 160-255 kept as read)
  Palette palette;           // colour by colour number; 0-159 and 161-171 made by build_palette
  std::array<uint8_t, PALETTE_ATTRIBUTE_SIZE> attributes;  // read and written with the table
  uint8_t slot;              // the palette file slot in use, 0-3 (kept in the preferences)
  std::string file_path;     // the palette file; set at start-up
};
extern PaletteState g_palette;

// The colour table
// The factory colours every program starts with.
const ColourTable& default_colour_table();

// The palette
// Copies the sixteen schemes into palette entries 0-159 and sets the fixed entries 161-171.
void build_palette();

// The palette file
// Mode 1 or more writes the slot in use; 0 reads it; a negative mode first steps to the next
// slot (when the file opens). A read takes a slot only when the whole slot is there, then
// (whether or not it read) derives the colour slots (set_colour_base with the mode) and the
// palette. A write into a missing or short file makes the slots before it from the factory
// colours. False when a write failed or a read found no whole slot.
bool read_write_palette_file(int16_t mode);
// One slot's bytes: the attribute block and the colour table, little-endian.
std::vector<uint8_t> palette_slot_bytes(const std::array<uint8_t, PALETTE_ATTRIBUTE_SIZE>& attributes,
                                        const ColourTable& table);
// The file the program ships: the factory colours in all four slots.
std::vector<uint8_t> factory_palette_file();

// Test hooks
// Colour table back to the defaults, palette and attributes all 0, slot 0, no file.
void reset_palette();
