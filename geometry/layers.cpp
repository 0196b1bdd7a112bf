// The layer table: defaults, visibility and the layer block of the job file.
#include "geometry/layers.h"

#include <cstring>

LayerTable g_layers;

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

struct SpecialLayer {
  const char* name;  // between the third-colour code and the back-to-normal code
  uint32_t colour;
  uint8_t style;
};

const SpecialLayer kSpecialLayers[LAYER_COUNT - LAYER_USER_COUNT] = {
    {"\x0eMarked items\x13", rgb(255, 0, 0), LAYER_STYLE_DOTTED},
    {"\x0eInvisible items\x13", rgb(192, 192, 192), LAYER_STYLE_SOLID},
    {"\x0eRough tool pocketing\x13", rgb(255, 210, 210), LAYER_STYLE_SOLID},
    {"\x0e" "Fine tool pocketing\x13", rgb(255, 160, 160), LAYER_STYLE_SOLID},
    {"\x0eRough tool outline\x13", rgb(255, 127, 0), LAYER_STYLE_SOLID},
    {"\x0eOther tool paths\x13", rgb(200, 100, 100), LAYER_STYLE_SOLID},
    {"\x0e" "Crosshairs\x13", rgb(255, 255, 0), LAYER_STYLE_SOLID},
    {"\x0eSelected\x13", rgb(160, 100, 0), LAYER_STYLE_DOTTED},
    {"\x0eRapid moves\x13", rgb(255, 0, 0), LAYER_STYLE_SOLID},
    {"\x0e*editing*\x13", rgb(0, 128, 0), LAYER_STYLE_DOTTED},
    {"\x0eGrid\x13", rgb(224, 224, 224), LAYER_STYLE_SOLID},
    {"\x0e" "Background\x13", rgb(255, 255, 255), LAYER_STYLE_SOLID},
};

const uint32_t kFirstUserColours[16] = {
    rgb(0, 0, 0),       rgb(0, 0, 255),     rgb(255, 0, 0),     rgb(255, 0, 255),
    rgb(0, 0, 176),     rgb(0, 176, 0),     rgb(176, 0, 0),     rgb(176, 176, 0),
    rgb(176, 0, 176),   rgb(0, 176, 176),   rgb(0, 255, 0),     rgb(255, 255, 0),
    rgb(0, 255, 255),   rgb(112, 112, 112), rgb(160, 160, 160), rgb(192, 192, 192),
};

// The colour generator of layers 16-243: twelve phases, each adding steps to some components
// until its watched component wraps to 0; then the phase sets new start values (-1 keeps a
// component) and hands over to the next phase.
struct ColourPhase {
  uint8_t add[3];   // added to R, G, B (wrapping at 256)
  int watched;      // 0 R, 1 G, 2 B
  int set[3];       // start values after the wrap; -1 keeps the component
};

const ColourPhase kColourPhases[12] = {
    {{16, 0, 0}, 0, {-1, 0x20, -1}},      {{0, 16, 0}, 1, {-1, -1, 0x20}},
    {{0, 0, 16}, 2, {-1, 0x20, 0x20}},    {{0, 16, 16}, 1, {0x20, -1, 0x20}},
    {{16, 0, 16}, 2, {0x20, 0x20, -1}},   {{16, 16, 0}, 1, {-1, 0x60, 0x10}},
    {{0, 32, 16}, 1, {0x10, -1, 0x60}},   {{16, 0, 32}, 2, {0, 0, 0}},
    {{32, 32, 32}, 0, {0x40, 0x80, 0x80}}, {{16, 0, 0}, 0, {0x80, 0x40, -1}},
    {{0, 16, 0}, 1, {-1, 0x80, 0x40}},    {{0, 0, 16}, 2, {-1, -1, -1}},
};

struct ColourGenerator {
  uint8_t rgb_parts[3] = {0x20, 0, 0};
  int phase = 0;

  void step() {
    const ColourPhase& p = kColourPhases[phase];
    for (int i = 0; i < 3; ++i) rgb_parts[i] = static_cast<uint8_t>(rgb_parts[i] + p.add[i]);
    if (rgb_parts[p.watched] != 0) return;
    for (int i = 0; i < 3; ++i)
      if (p.set[i] >= 0) rgb_parts[i] = static_cast<uint8_t>(p.set[i]);
    phase = (phase + 1) % 12;
  }

  uint32_t colour() const { return rgb(rgb_parts[0], rgb_parts[1], rgb_parts[2]); }
};

// Builds the 256 layer lines from the user records and the special names; the old list is
// freed. A record's name that is empty becomes the unnamed blank.
void build_layer_list(const std::vector<LayerRecord>& users) {
  free_list(g_layers.list.first);
  g_layers.list = LineList{};
  push_list();
  clear_current_list();
  for (int i = 0; i < LAYER_COUNT; ++i) {
    const char* name = LAYER_UNNAMED;
    uint8_t state = LAYER_STATE_ON;
    if (i < LAYER_USER_COUNT && i < static_cast<int>(users.size())) {
      if (!users[i].name.empty()) name = users[i].name.c_str();
      state = users[i].state;
    } else if (i >= LAYER_USER_COUNT) {
      name = kSpecialLayers[i - LAYER_USER_COUNT].name;
    }
    TextLine* line = append_line(name);
    if (line == nullptr) break;  // out of memory: the list ends short; lookups check for null
    line->id = static_cast<int16_t>(i);
    line->state = state;
  }
  g_layers.list = g_lists.current;
  pop_list();
}

void special_colours_and_styles() {
  for (int i = LAYER_USER_COUNT; i < LAYER_COUNT; ++i) {
    g_layers.colours[i] = kSpecialLayers[i - LAYER_USER_COUNT].colour;
    g_layers.styles[i] = kSpecialLayers[i - LAYER_USER_COUNT].style;
  }
}

}  // namespace

// ---- defaults ----

void default_user_colours() {
  for (int i = 0; i < 16; ++i) g_layers.colours[i] = kFirstUserColours[i];
  ColourGenerator generator;
  for (int i = 16; i < LAYER_USER_COUNT; ++i) {
    generator.step();
    g_layers.colours[i] = generator.colour();
  }
}

const char* special_layer_name(uint8_t layer) {
  if (layer < LAYER_USER_COUNT) return nullptr;
  return kSpecialLayers[layer - LAYER_USER_COUNT].name;
}

void reset_layers() {
  default_user_colours();
  special_colours_and_styles();
  g_layers.styles.fill(LAYER_STYLE_SOLID);
  g_layers.styles[LAYER_MARKED_ITEMS] = LAYER_STYLE_DOTTED;
  g_layers.styles[LAYER_SELECTED] = LAYER_STYLE_DOTTED;
  g_layers.styles[LAYER_EDITING] = LAYER_STYLE_DOTTED;
  build_layer_list({});
  copy_layer_visibility(g_layers.visibility.data());
}

// ---- visibility ----

TextLine* layer_line(int layer) {
  if (layer < 0 || layer >= LAYER_COUNT) return nullptr;
  TextLine* line = g_layers.list.first;
  for (int i = 0; line != nullptr && i < layer; ++i) line = line->next;
  return line;
}

void copy_layer_visibility(uint8_t out[LAYER_COUNT]) {
  int i = 0;
  for (TextLine* line = g_layers.list.first; line != nullptr && i < LAYER_USER_COUNT;
       line = line->next, ++i)
    out[i] = line->state;
  for (; i < LAYER_COUNT; ++i) out[i] = 1;
}

void set_layer_states(const uint8_t states[LAYER_COUNT]) {
  int i = 0;
  for (TextLine* line = g_layers.list.first; line != nullptr && i < LAYER_USER_COUNT;
       line = line->next, ++i)
    line->state = states[i];
}

int first_visible_layer() {
  for (int i = 0; i < LAYER_USER_COUNT; ++i)
    if (g_layers.visibility[i] != 0) return i;
  ++g_layers.visibility[0];
  return 0;
}

// ---- the layer block ----

int write_layer_block(std::vector<uint8_t>* out) {
  std::vector<uint8_t> block(2, 0);
  TextLine* line = g_layers.list.first;
  for (int i = 0; i < LAYER_USER_COUNT; ++i) {
    const std::string name = line != nullptr ? line->text : std::string(LAYER_UNNAMED);
    const uint8_t state = line != nullptr ? line->state : LAYER_STATE_ON;
    // The length is one byte: a longer name cannot be stored and is not cut.
    if (name.size() > 255) return LAYER_BLOCK_TOO_LONG;
    block.push_back(static_cast<uint8_t>(name.size()));
    block.insert(block.end(), name.begin(), name.end());
    block.push_back(0);
    block.push_back(state);
    const uint32_t colour = g_layers.colours[i];
    for (int k = 0; k < 4; ++k) block.push_back(static_cast<uint8_t>(colour >> (8 * k)));
    block.push_back(g_layers.styles[i]);
    if (line != nullptr) line = line->next;
  }
  const size_t count = block.size() - 2;
  // The count is a signed 16-bit field: a larger block would read back as corrupt.
  if (count > 32767) return LAYER_BLOCK_TOO_LONG;
  block[0] = static_cast<uint8_t>(count);
  block[1] = static_cast<uint8_t>(count >> 8);
  out->insert(out->end(), block.begin(), block.end());
  return static_cast<int>(block.size());
}

int read_layer_block(const uint8_t* in, size_t size, std::vector<LayerRecord>* records,
                     size_t* used) {
  records->clear();
  if (size < 2) return LAYER_BLOCK_SHORT;
  const int16_t count = static_cast<int16_t>(in[0] | (in[1] << 8));
  if (count < 0) return LAYER_BLOCK_BAD_COUNT;
  if (static_cast<size_t>(count) > size - 2) return LAYER_BLOCK_SHORT;
  const uint8_t* at = in + 2;
  const uint8_t* const end = at + count;
  while (at < end) {
    if (records->size() == static_cast<size_t>(LAYER_USER_COUNT)) return LAYER_BLOCK_TOO_MANY;
    const size_t name_length = at[0];
    // length byte, name, NUL, state, colour, style
    if (static_cast<size_t>(end - at) < name_length + 8) return LAYER_BLOCK_BAD_COUNT;
    LayerRecord record;
    const auto* name = reinterpret_cast<const char*>(at + 1);
    record.name.assign(name, strnlen(name, name_length));
    at += 1 + name_length + 1;
    record.state = at[0];
    record.colour = static_cast<uint32_t>(at[1]) | (static_cast<uint32_t>(at[2]) << 8) |
                    (static_cast<uint32_t>(at[3]) << 16) | (static_cast<uint32_t>(at[4]) << 24);
    record.style = at[5];
    at += 6;
    records->push_back(std::move(record));
  }
  *used = 2 + static_cast<size_t>(count);
  return LAYER_BLOCK_OK;
}

void apply_layer_records(const std::vector<LayerRecord>& records) {
  std::array<uint32_t, LAYER_COUNT> specials_colours = g_layers.colours;
  std::array<uint8_t, LAYER_COUNT> specials_styles = g_layers.styles;
  default_user_colours();
  for (int i = 0; i < LAYER_USER_COUNT; ++i) {
    if (i < static_cast<int>(records.size())) {
      g_layers.colours[i] = records[i].colour;
      g_layers.styles[i] = records[i].style;
    } else {
      g_layers.styles[i] = LAYER_STYLE_SOLID;
    }
  }
  for (int i = LAYER_USER_COUNT; i < LAYER_COUNT; ++i) {
    g_layers.colours[i] = specials_colours[i];
    g_layers.styles[i] = specials_styles[i];
  }
  build_layer_list(records);
  copy_layer_visibility(g_layers.visibility.data());
}

void clear_layer_table() {
  free_list(g_layers.list.first);
  g_layers = LayerTable{};
}
