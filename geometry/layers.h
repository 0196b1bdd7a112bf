// The 256 layers of the drawing. Layers 0-243 are the user's: a name, an on/off state, a colour
// and a line style each, kept in the job file's layer block. Layers 244-255 are special layers
// whose colours and styles paint the drawing's states and aids; they have fixed names, are
// always on and are never stored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/line_list.h"

constexpr int LAYER_COUNT = 256;
constexpr int LAYER_USER_COUNT = 244;

// ---- the special layers ----
constexpr uint8_t LAYER_MARKED_ITEMS = 244;
constexpr uint8_t LAYER_INVISIBLE_ITEMS = 245;
constexpr uint8_t LAYER_ROUGH_POCKETING = 246;
constexpr uint8_t LAYER_FINE_POCKETING = 247;
constexpr uint8_t LAYER_ROUGH_OUTLINE = 248;
constexpr uint8_t LAYER_OTHER_TOOL_PATHS = 249;
constexpr uint8_t LAYER_CROSSHAIRS = 250;
constexpr uint8_t LAYER_SELECTED = 251;
constexpr uint8_t LAYER_RAPID_MOVES = 252;
constexpr uint8_t LAYER_EDITING = 253;
constexpr uint8_t LAYER_GRID = 254;
constexpr uint8_t LAYER_BACKGROUND = 255;

// ---- line styles ----
constexpr uint8_t LAYER_STYLE_SOLID = 0;
constexpr uint8_t LAYER_STYLE_DASHED = 1;
constexpr uint8_t LAYER_STYLE_DOTTED = 2;
constexpr uint8_t LAYER_STYLE_DASH_DOT = 3;
constexpr uint8_t LAYER_STYLE_DASH_DOT_DOT = 4;

// State bit of a layer line: the layer is shown (the list's check mark).
constexpr uint8_t LAYER_STATE_ON = LINE_STATE_CHECKED;
// The name of a user layer that was never named: one blank.
constexpr char LAYER_UNNAMED[] = " ";

// Every layer shown: the table's state until the first reset_layers.
constexpr std::array<uint8_t, LAYER_COUNT> all_layers_shown() {
  std::array<uint8_t, LAYER_COUNT> on{};
  for (uint8_t& v : on) v = 1;
  return on;
}

struct LayerTable {
  LineList list;                         // 256 lines in layer order: id = layer number, text =
                                         // name, state bit LAYER_STATE_ON = shown; empty before
                                         // the first reset_layers
  // i < 244: a copy of layer i's state byte (non-zero = shown); 244-255 always 1.
  std::array<uint8_t, LAYER_COUNT> visibility = all_layers_shown();
  std::array<uint32_t, LAYER_COUNT> colours{};    // COLORREF: red low byte, then green, blue
  std::array<uint8_t, LAYER_COUNT> styles{};      // LAYER_STYLE_*
  uint8_t change_counter = 0;            // counted up by each change in the layer list; the
                                         // drawing editor redraws while it is non-zero
};
extern LayerTable g_layers;

// ---- defaults ----
// Every layer back to its default: names, colours, styles, all on; a new layer list.
void reset_layers();
// The default colours of the user layers 0-243.
void default_user_colours();
// The fixed name text (between colour codes) of a special layer 244-255.
const char* special_layer_name(uint8_t layer);

// ---- visibility ----
// Fills out[256] from the layer list's state bytes (entries 244-255 = 1).
void copy_layer_visibility(uint8_t out[LAYER_COUNT]);
// Puts entries 0-243 into the state bytes of the first 244 layer lines.
void set_layer_states(const uint8_t states[LAYER_COUNT]);
// The first shown user layer; when none is shown, layer 0 becomes shown in the visibility table
// (its line stays off) and 0 is returned.
int first_visible_layer();
// The layer line of a layer number, or null.
TextLine* layer_line(int layer);

// ---- the layer block of the job file ----
// One stored user layer.
struct LayerRecord {
  std::string name;   // cp1252, at most 255 bytes
  uint8_t state = 0;  // the line's state byte (LAYER_STATE_ON)
  uint32_t colour = 0;
  uint8_t style = 0;
};
// Result codes of the block writer and reader.
constexpr int LAYER_BLOCK_OK = 0;
constexpr int LAYER_BLOCK_SHORT = -1;       // the block runs past the bytes at hand
constexpr int LAYER_BLOCK_BAD_COUNT = -2;   // a negative count, or a record crossing its end
constexpr int LAYER_BLOCK_TOO_MANY = -3;    // more than 244 records
constexpr int LAYER_BLOCK_TOO_LONG = -4;    // a name over 255 bytes, or a block over 32767
// Appends the layer block of user layers 0-243 (an i16 count of the bytes that follow, then
// per layer: u8 name length n, name and NUL, u8 state, u32 colour, u8 style). Returns the bytes
// appended, count included, or LAYER_BLOCK_TOO_LONG (nothing appended) when the block cannot
// be stored.
int write_layer_block(std::vector<uint8_t>* out);
// Reads a layer block from at most size bytes into records; *used gets the bytes taken. Every
// length is checked against the block's count and the bytes at hand. LAYER_BLOCK_OK or a
// negative result code; records are only complete on success.
int read_layer_block(const uint8_t* in, size_t size, std::vector<LayerRecord>* records,
                     size_t* used);
// Makes the records the user layers (layers past the last record get the defaults), appends
// the special layers with their colours and styles as they are, and rebuilds the visibility.
void apply_layer_records(const std::vector<LayerRecord>& records);

// ---- test hooks ----
// Frees the layer list and clears the table (no layer list until the next reset_layers).
void clear_layer_table();
