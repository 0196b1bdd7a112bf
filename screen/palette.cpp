#include "screen/palette.h"

#include <algorithm>
#include <cstdio>

#include "platform/files.h"
#include "screen/screen_attributes.h"
#include "store/record_bytes.h"

namespace {

constexpr int FIXED_FIRST = 161;
// Entries 161-171: black (hint text), white, blue, cyan, green, magenta, red, the system's button
// face, light grey, yellow, grey. They never come from the colour table.
constexpr ColourValue FIXED_COLOURS[] = {0x000000, 0xFFFFFF, 0xFF0000, 0xFFFF00,
                                         0x008000, 0xFF00FF, 0x0000FF, COLOUR_SYSTEM_BUTTON_FACE,
                                         0xDFDFDF, 0x00FFFF, 0x808080};

// Per scheme, in slot order: text, background, highlight text, selection and caret fill, title
// text and frame outline, frame, frame inner line, second text, third text, caret outline.
constexpr ColourValue DEFAULT_SCHEMES[PALETTE_SCHEME_COUNT][PALETTE_SCHEME_SIZE] = {
    {0x000000, 0xE8EEF4, 0xFF0000, 0xFFBBFF, 0x000000, 0x004F83, 0x00AFFF, 0x0000CB, 0xA3BB00, 0x0093FF},
    {0x000000, 0xEBFFCF, 0xFF0000, 0xA0EB00, 0x000000, 0x388848, 0xFFFF04, 0x0063FF, 0x9F9B00, 0x0024B3},
    {0x000000, 0xF7FBFF, 0xFF0000, 0xFFFF00, 0x000000, 0x0078A8, 0x009FFF, 0x0000FF, 0xCB84CB, 0x007F00},
    {0x000000, 0xFFFFA4, 0xFF0000, 0x680000, 0x000000, 0x5C8704, 0xFFFFD7, 0xA300FF, 0xA8B40C, 0xFFFFFF},
    {0x000000, 0xDBE7FF, 0x0048BF, 0xC7C310, 0x000098, 0x0000A4, 0x009FFF, 0xFF00FF, 0x989CBC, 0x686868},
    {0x00FFFF, 0x3838FF, 0xFFFFFF, 0x00FF00, 0x000000, 0x0000C3, 0xFFBFFF, 0xFFFF00, 0x1028A3, 0x9B0000},
    {0x000000, 0xFFE8A4, 0xFF0000, 0x00009B, 0x000000, 0xD33700, 0xFFFFCF, 0x0000FF, 0xF7A070, 0xFFFF00},
    {0x000000, 0xFBF310, 0xFF0000, 0xFFFF00, 0x000000, 0x9F8B00, 0xABFF5F, 0x0083FF, 0x806700, 0xFF0000},
    {0x000000, 0xFFF7D3, 0xFF0000, 0x00FFFF, 0x000000, 0xB85000, 0xFFFF7C, 0xC300C7, 0xDBB880, 0xFF0000},
    {0x00FF00, 0x0088B3, 0x00FCFC, 0xE774E7, 0x7CAC04, 0x800000, 0x00CB00, 0x0048B3, 0xFFFF00, 0xFF0048},
    {0x000000, 0xF3FFC8, 0x005CFF, 0xFFFFFF, 0x000000, 0x687C00, 0xB4FF00, 0x0000CB, 0xBBBF57, 0x008FFF},
    {0x000000, 0xE0FFFF, 0xFF0000, 0xFF0000, 0x000000, 0x184FAB, 0x7CDBFF, 0xC700C7, 0x74BBFF, 0xFFFFFF},
    {0x000000, 0xFFF4FF, 0xFF0093, 0x00FFFF, 0x000000, 0xA82484, 0xFFCBFF, 0x9000FF, 0xE47728, 0xFF007B},
    {0x000053, 0xD0FBFF, 0xFF7800, 0xFFFF00, 0x000000, 0x0043A3, 0x00A7FF, 0x0047FF, 0x549060, 0x0000FF},
    {0x58FF58, 0x008400, 0xAFFFFF, 0xFF0000, 0xEFFFEF, 0x00A300, 0xB4FF6F, 0xFFC7FF, 0xA4DC6C, 0x0000FF},
    {0x000000, 0xF6FEFF, 0xFF0000, 0xD3FF82, 0x000000, 0x006BE0, 0x00DBFF, 0x6C00C7, 0x44538F, 0x007700},
};

constexpr ColourTable make_default_table() {
  ColourTable table{};
  for (int s = 0; s < PALETTE_SCHEME_COUNT; s++)
    for (int i = 0; i < PALETTE_SCHEME_SIZE; i++)
      table[s * PALETTE_SCHEME_SIZE + i] = DEFAULT_SCHEMES[s][i];
  return table;
}

constexpr ColourTable DEFAULT_TABLE = make_default_table();

}  // namespace

PaletteState g_palette = {DEFAULT_TABLE, {}, {}, 0, {}};

const ColourTable& default_colour_table() { return DEFAULT_TABLE; }

void build_palette() {
  for (int i = 0; i < PALETTE_SCHEME_COUNT * PALETTE_SCHEME_SIZE; i++)
    g_palette.palette[i] = g_palette.colour_table[i];
  int n = static_cast<int>(sizeof FIXED_COLOURS / sizeof FIXED_COLOURS[0]);
  for (int i = 0; i < n; i++) g_palette.palette[FIXED_FIRST + i] = FIXED_COLOURS[i];
}

std::vector<uint8_t> palette_slot_bytes(const std::array<uint8_t, PALETTE_ATTRIBUTE_SIZE>& attributes,
                                        const ColourTable& table) {
  std::vector<uint8_t> bytes(attributes.begin(), attributes.end());
  bytes.resize(PALETTE_SLOT_SIZE);
  for (int i = 0; i < PALETTE_SIZE; ++i) {
    put_u32_le(bytes.data() + PALETTE_ATTRIBUTE_SIZE + 4 * i, table[static_cast<size_t>(i)]);
  }
  return bytes;
}

std::vector<uint8_t> factory_palette_file() {
  const std::vector<uint8_t> slot = palette_slot_bytes({}, DEFAULT_TABLE);
  std::vector<uint8_t> file;
  for (int i = 0; i < PALETTE_SLOTS; ++i) file.insert(file.end(), slot.begin(), slot.end());
  return file;
}

namespace {

// The whole file, at most four slots; empty when it cannot be read.
std::vector<uint8_t> read_palette_file_bytes(const std::string& path, bool* opened) {
  std::vector<uint8_t> bytes(PALETTE_SLOTS * PALETTE_SLOT_SIZE);
  FILE* file = std::fopen(path.c_str(), "rb");
  *opened = file != nullptr;
  if (file == nullptr) return {};
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
  std::fclose(file);
  return bytes;
}

// Takes the slot in use from the file when the whole slot is there; a part is never mixed in.
bool read_slot(const std::vector<uint8_t>& bytes) {
  const size_t start = static_cast<size_t>(g_palette.slot) * PALETTE_SLOT_SIZE;
  if (bytes.size() < start + PALETTE_SLOT_SIZE) return false;
  const uint8_t* slot = bytes.data() + start;
  std::copy(slot, slot + PALETTE_ATTRIBUTE_SIZE, g_palette.attributes.begin());
  for (int i = 0; i < PALETTE_SIZE; ++i) {
    g_palette.colour_table[static_cast<size_t>(i)] =
        get_u32_le(slot + PALETTE_ATTRIBUTE_SIZE + 4 * i);
  }
  return true;
}

bool write_slot(std::vector<uint8_t> bytes) {
  const std::vector<uint8_t> factory = factory_palette_file();
  const size_t start = static_cast<size_t>(g_palette.slot) * PALETTE_SLOT_SIZE;
  // Slots missing before the one written get the factory colours: the file stays whole.
  if (bytes.size() < start) bytes.insert(bytes.end(), factory.begin() + static_cast<long>(bytes.size()),
                                         factory.begin() + static_cast<long>(start));
  bytes.resize(std::max(bytes.size(), start + PALETTE_SLOT_SIZE));
  const std::vector<uint8_t> slot = palette_slot_bytes(g_palette.attributes, g_palette.colour_table);
  std::copy(slot.begin(), slot.end(), bytes.begin() + static_cast<long>(start));
  std::string error;
  return save_file_safely(g_palette.file_path, g_palette.file_path + ".tmp",
                          [&](SaveFile* file) { return save_write(file, bytes.data(), bytes.size()); },
                          &error) == SAVE_OK;
}

}  // namespace

bool read_write_palette_file(int16_t mode) {
  bool opened = false;
  const std::vector<uint8_t> bytes =
      g_palette.file_path.empty() ? std::vector<uint8_t>{}
                                  : read_palette_file_bytes(g_palette.file_path, &opened);
  if (mode > 0) return !g_palette.file_path.empty() && write_slot(bytes);
  if (opened && mode < 0) g_palette.slot = static_cast<uint8_t>((g_palette.slot + 1) % PALETTE_SLOTS);
  const bool read = opened && read_slot(bytes);
  set_colour_base(mode);
  build_palette();
  return read;
}

void reset_palette() {
  g_palette = PaletteState{DEFAULT_TABLE, {}, {}, 0, {}};
}
