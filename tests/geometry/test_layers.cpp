#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "geometry/layers.h"
#include "store/line_list.h"

namespace {

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }

class LayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_list_store();
    clear_layer_table();
    reset_layers();
  }
  void TearDown() override { clear_layer_table(); }
};

// One stored record as the layout gives it.
void append_record(std::vector<uint8_t>* out, const std::string& name, uint8_t state,
                   uint32_t colour, uint8_t style) {
  out->push_back(static_cast<uint8_t>(name.size()));
  out->insert(out->end(), name.begin(), name.end());
  out->push_back(0);
  out->push_back(state);
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(colour >> (8 * i)));
  out->push_back(style);
}

std::vector<uint8_t> block_of(const std::vector<uint8_t>& records, int16_t count) {
  std::vector<uint8_t> block(2 + records.size());
  block[0] = static_cast<uint8_t>(count);
  block[1] = static_cast<uint8_t>(static_cast<uint16_t>(count) >> 8);
  std::copy(records.begin(), records.end(), block.begin() + 2);
  return block;
}

TEST_F(LayerTest, ResetGivesEveryLayerItsDefault) {
  int count = 0;
  for (TextLine* line = g_layers.list.first; line != nullptr; line = line->next, ++count) {
    EXPECT_EQ(line->id, count);
    EXPECT_EQ(line->state, LAYER_STATE_ON) << "layer " << count;
  }
  EXPECT_EQ(count, LAYER_COUNT);
  EXPECT_EQ(layer_line(7)->text, " ");
  EXPECT_EQ(layer_line(LAYER_CROSSHAIRS)->text, "\x0e" "Crosshairs\x13");
  EXPECT_EQ(layer_line(LAYER_EDITING)->text, "\x0e*editing*\x13");
  for (int i = 0; i < LAYER_COUNT; ++i) EXPECT_NE(g_layers.visibility[i], 0) << i;

  struct Case {
    int layer;
    uint32_t colour;
    uint8_t style;
  };
  const Case cases[] = {
      {0, rgb(0, 0, 0), 0},           {1, rgb(0, 0, 255), 0},        {15, rgb(192, 192, 192), 0},
      {244, rgb(255, 0, 0), 2},       {245, rgb(192, 192, 192), 0},  {246, rgb(255, 210, 210), 0},
      {248, rgb(255, 127, 0), 0},     {249, rgb(200, 100, 100), 0},  {250, rgb(255, 255, 0), 0},
      {251, rgb(160, 100, 0), 2},     {252, rgb(255, 0, 0), 0},      {253, rgb(0, 128, 0), 2},
      {254, rgb(224, 224, 224), 0},   {255, rgb(255, 255, 255), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(g_layers.colours[c.layer], c.colour) << "layer " << c.layer;
    EXPECT_EQ(g_layers.styles[c.layer], c.style) << "layer " << c.layer;
  }
}

TEST_F(LayerTest, GeneratedColoursWalkTheirPhases) {
  struct Case {
    int layer;
    uint32_t colour;
  };
  // 16-28: red climbs from 0x30 by 16; 29: red wraps to 0 and green starts at 0x20;
  // 243: the end of the table.
  const Case cases[] = {
      {16, rgb(48, 0, 0)},  {17, rgb(64, 0, 0)},   {28, rgb(240, 0, 0)},
      {29, rgb(0, 32, 0)},  {30, rgb(0, 48, 0)},   {243, rgb(64, 64, 64)},
  };
  for (const Case& c : cases) EXPECT_EQ(g_layers.colours[c.layer], c.colour) << c.layer;
}

TEST_F(LayerTest, UnnamedLayersWriteTheShortestBlock) {
  std::vector<uint8_t> out = {0xAA};
  EXPECT_EQ(write_layer_block(&out), 2198);
  ASSERT_EQ(out.size(), 1u + 2198);
  EXPECT_EQ(out[1] | (out[2] << 8), 2196) << "244 records of 9 bytes";
  std::vector<uint8_t> first;
  append_record(&first, " ", LAYER_STATE_ON, 0, 0);
  append_record(&first, " ", LAYER_STATE_ON, rgb(0, 0, 255), 0);
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + 3, out.begin() + 3 + 18), first);
}

TEST_F(LayerTest, BlockGoldenBytesAndRoundTrip) {
  set_line_text("Engrave", layer_line(0));
  layer_line(2)->state = 0;
  g_layers.colours[2] = 0x00123456;
  g_layers.styles[2] = LAYER_STYLE_DASH_DOT;
  std::vector<uint8_t> records;
  append_record(&records, "Engrave", LAYER_STATE_ON, 0, 0);
  append_record(&records, " ", LAYER_STATE_ON, rgb(0, 0, 255), 0);
  append_record(&records, " ", 0, 0x00123456, LAYER_STYLE_DASH_DOT);
  for (int i = 3; i < LAYER_USER_COUNT; ++i)
    append_record(&records, " ", LAYER_STATE_ON, g_layers.colours[i], 0);
  const std::vector<uint8_t> expected = block_of(records, static_cast<int16_t>(records.size()));

  std::vector<uint8_t> written;
  EXPECT_EQ(write_layer_block(&written), static_cast<int>(expected.size()));
  EXPECT_EQ(written, expected);

  reset_layers();
  std::vector<LayerRecord> read;
  size_t used = 0;
  ASSERT_EQ(read_layer_block(written.data(), written.size(), &read, &used), LAYER_BLOCK_OK);
  EXPECT_EQ(used, written.size());
  apply_layer_records(read);
  EXPECT_EQ(layer_line(0)->text, "Engrave");
  EXPECT_EQ(g_layers.visibility[2], 0);
  EXPECT_EQ(g_layers.visibility[LAYER_GRID], 1);
  std::vector<uint8_t> again;
  write_layer_block(&again);
  EXPECT_EQ(again, expected);
}

TEST_F(LayerTest, ReadingKeepsTheSpecialLayersAsTheyWere) {
  g_layers.colours[LAYER_GRID] = rgb(1, 2, 3);
  g_layers.styles[LAYER_GRID] = LAYER_STYLE_DASHED;
  std::vector<uint8_t> records;
  append_record(&records, "Only", 0, rgb(9, 9, 9), 4);
  const std::vector<uint8_t> block = block_of(records, static_cast<int16_t>(records.size()));
  std::vector<LayerRecord> read;
  size_t used = 0;
  ASSERT_EQ(read_layer_block(block.data(), block.size(), &read, &used), LAYER_BLOCK_OK);
  apply_layer_records(read);
  EXPECT_EQ(g_layers.colours[LAYER_GRID], rgb(1, 2, 3));
  EXPECT_EQ(g_layers.styles[LAYER_GRID], LAYER_STYLE_DASHED);
  EXPECT_EQ(layer_line(LAYER_GRID)->text, "\x0eGrid\x13");
  EXPECT_EQ(layer_line(LAYER_GRID)->id, LAYER_GRID);
  // Layers the block does not hold get their defaults.
  EXPECT_EQ(layer_line(0)->text, "Only");
  EXPECT_EQ(g_layers.colours[0], rgb(9, 9, 9));
  EXPECT_EQ(layer_line(1)->text, " ");
  EXPECT_EQ(layer_line(1)->state, LAYER_STATE_ON);
  EXPECT_EQ(g_layers.colours[1], rgb(0, 0, 255));
}

TEST_F(LayerTest, DamagedBlocksAreRefused) {
  std::vector<uint8_t> one;
  append_record(&one, "Ab", 1, 0, 0);  // 10 bytes
  std::vector<uint8_t> too_many;
  for (int i = 0; i <= LAYER_USER_COUNT; ++i) append_record(&too_many, "", 1, 0, 0);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    int expected;
  };
  const Case cases[] = {
      {"no count", {0x05}, LAYER_BLOCK_SHORT},
      {"negative count", block_of(one, -2), LAYER_BLOCK_BAD_COUNT},
      {"count past the bytes", block_of(one, 11), LAYER_BLOCK_SHORT},
      {"record crossing the count", block_of(one, 9), LAYER_BLOCK_BAD_COUNT},
      {"name length past the count", block_of({0xFF, 'x'}, 2), LAYER_BLOCK_BAD_COUNT},
      {"245 records", block_of(too_many, static_cast<int16_t>(too_many.size())),
       LAYER_BLOCK_TOO_MANY},
  };
  for (const Case& c : cases) {
    std::vector<LayerRecord> read;
    size_t used = 0;
    EXPECT_EQ(read_layer_block(c.bytes.data(), c.bytes.size(), &read, &used), c.expected)
        << c.name;
  }
  std::vector<LayerRecord> read;
  size_t used = 0;
  EXPECT_EQ(read_layer_block(block_of({}, 0).data(), 2, &read, &used), LAYER_BLOCK_OK)
      << "an empty block";
  EXPECT_EQ(used, 2u);
}

TEST_F(LayerTest, NamesTooLongToStoreFailTheBlock) {
  set_line_text(std::string(256, 'n').c_str(), layer_line(3));
  std::vector<uint8_t> out;
  EXPECT_EQ(write_layer_block(&out), LAYER_BLOCK_TOO_LONG);
  EXPECT_TRUE(out.empty());
  // 244 names of 130 bytes overflow the 16-bit count.
  for (int i = 0; i < LAYER_USER_COUNT; ++i)
    set_line_text(std::string(130, 'n').c_str(), layer_line(i));
  EXPECT_EQ(write_layer_block(&out), LAYER_BLOCK_TOO_LONG);
}

TEST_F(LayerTest, FirstVisibleLayerWithEveryLayerOff) {
  uint8_t states[LAYER_COUNT] = {};
  states[5] = 1;
  set_layer_states(states);
  copy_layer_visibility(g_layers.visibility.data());
  EXPECT_EQ(first_visible_layer(), 5);
  states[5] = 0;
  set_layer_states(states);
  copy_layer_visibility(g_layers.visibility.data());
  EXPECT_EQ(g_layers.visibility[LAYER_MARKED_ITEMS], 1) << "special layers are always shown";
  EXPECT_EQ(first_visible_layer(), 0);
  EXPECT_NE(g_layers.visibility[0], 0);
  EXPECT_EQ(layer_line(0)->state, 0) << "the layer itself stays off";
}

}  // namespace
