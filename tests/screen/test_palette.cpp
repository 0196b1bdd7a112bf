#include <gtest/gtest.h>

#include "screen/palette.h"

namespace {

class PaletteTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_palette(); }
  void TearDown() override { reset_palette(); }
};

TEST_F(PaletteTest, DefaultTableHoldsTheFactorySchemes) {
  struct Case {
    int entry;
    ColourValue expected;
  } cases[] = {
      {0, 0x000000},    {1, 0xE8EEF4},   {9, 0x0093FF},    // scheme 0, first and last
      {15, 0x388848},   {16, 0xFFFF04},                     // scheme 1 frame colours
      {50, 0x00FFFF},   {51, 0x3838FF},  {52, 0xFFFFFF},    // scheme 5 text is not black
      {94, 0x7CAC04},   {99, 0xFF0048},                     // scheme 9
      {130, 0x000053},  {132, 0xFF7800},                    // scheme 13
      {140, 0x58FF58},  {141, 0x008400}, {144, 0xEFFFEF},   // scheme 14
      {158, 0x44538F},  {159, 0x007700},                    // the last scheme's end
      {160, 0},         {200, 0},        {255, 0},          // unused entries
  };
  const ColourTable& table = default_colour_table();
  for (const Case& c : cases)
    EXPECT_EQ(table[c.entry], c.expected) << "entry " << c.entry;
  EXPECT_EQ(g_palette.colour_table, table);
}

TEST_F(PaletteTest, BuildCopiesSchemesAndSetsFixedColours) {
  g_palette.palette.fill(0xABCDEF);
  build_palette();
  for (int i = 0; i < PALETTE_SCHEME_COUNT * PALETTE_SCHEME_SIZE; i++)
    ASSERT_EQ(g_palette.palette[i], g_palette.colour_table[i]) << "entry " << i;
  const ColourValue fixed[] = {0x000000, 0xFFFFFF, 0xFF0000, 0xFFFF00, 0x008000, 0xFF00FF,
                               0x0000FF, 0x8000000F, 0xDFDFDF, 0x00FFFF, 0x808080};
  for (int i = 0; i < 11; i++) EXPECT_EQ(g_palette.palette[161 + i], fixed[i]) << 161 + i;
  // Entries build_palette does not own keep what other code put there.
  EXPECT_EQ(g_palette.palette[160], 0xABCDEFu);
  EXPECT_EQ(g_palette.palette[172], 0xABCDEFu);
  EXPECT_EQ(g_palette.palette[200], 0xABCDEFu);
}

TEST_F(PaletteTest, FixedColoursNeverComeFromTheTable) {
  g_palette.colour_table.fill(0x123456);
  build_palette();
  EXPECT_EQ(g_palette.palette[0], 0x123456u);
  EXPECT_EQ(g_palette.palette[159], 0x123456u);
  EXPECT_EQ(g_palette.palette[168], COLOUR_SYSTEM_BUTTON_FACE);
  EXPECT_EQ(g_palette.palette[161], 0x000000u);
  EXPECT_EQ(g_palette.palette[171], 0x808080u);
}

}  // namespace

// ---- the palette file and the colour slots ----

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/files.h"
#include "screen/screen_attributes.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class PaletteFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_palette();
    reset_screen_attributes();
    reset_files();
    folder_ = make_test_folder("palette");
    g_palette.file_path = (folder_ / PALETTE_FILE_NAME).string();
  }
  void TearDown() override {
    reset_palette();
    reset_screen_attributes();
    reset_files();
    fs::remove_all(folder_);
  }
  // A file of `slots` slots: slot s has every table entry 0x010101 * (s + 1) and attribute
  // bytes s + 1.
  void write_slots(int slots) const {
    Bytes bytes;
    for (int s = 0; s < slots; ++s) {
      bytes.insert(bytes.end(), PALETTE_ATTRIBUTE_SIZE, static_cast<uint8_t>(s + 1));
      for (int i = 0; i < PALETTE_SIZE; ++i) {
        const uint32_t value = 0x010101u * static_cast<uint32_t>(s + 1);
        for (int b = 0; b < 4; ++b) bytes.push_back(static_cast<uint8_t>(value >> (8 * b)));
      }
    }
    write_file_bytes(g_palette.file_path, std::string(bytes.begin(), bytes.end()));
  }
  Bytes file() const {
    const std::string bytes = read_file_bytes(g_palette.file_path);
    return Bytes(bytes.begin(), bytes.end());
  }
  fs::path folder_;
};

TEST_F(PaletteFileTest, NoFileKeepsTheFactoryColours) {
  g_attributes.colour_base = 30;
  EXPECT_FALSE(read_write_palette_file(0));
  EXPECT_EQ(g_palette.colour_table, default_colour_table());
  EXPECT_EQ(g_attributes.colour_base, 0);
  EXPECT_EQ(g_palette.palette[1], 0xE8EEF4u);
  EXPECT_EQ(g_palette.palette[168], COLOUR_SYSTEM_BUTTON_FACE);
  // Stepping without a file stays on the slot.
  EXPECT_FALSE(read_write_palette_file(-1));
  EXPECT_EQ(g_palette.slot, 0);
}

TEST_F(PaletteFileTest, FourStepsComeBackToTheFirstSlot) {
  write_slots(4);
  set_colour_base(40);
  for (int step = 1; step <= 4; ++step) {
    ASSERT_TRUE(read_write_palette_file(-1));
    EXPECT_EQ(g_palette.slot, step % 4);
    const uint32_t expected = 0x010101u * static_cast<uint32_t>(step % 4 + 1);
    EXPECT_EQ(g_palette.colour_table[7], expected);
    EXPECT_EQ(g_palette.attributes[0], step % 4 + 1);
    EXPECT_EQ(g_palette.palette[7], expected);
    // Entries 161-171 never come from the file; 168 is the system colour.
    EXPECT_EQ(g_palette.palette[161], 0x000000u);
    EXPECT_EQ(g_palette.palette[168], COLOUR_SYSTEM_BUTTON_FACE);
    EXPECT_EQ(g_attributes.colour_base, 40);  // a step keeps the colour base
    EXPECT_EQ(g_attributes.scheme[0], 40);
  }
}

TEST_F(PaletteFileTest, ShortFileReadsOnlyWholeSlots) {
  write_slots(1);
  ASSERT_TRUE(read_write_palette_file(0));
  EXPECT_EQ(g_palette.colour_table[3], 0x010101u);
  EXPECT_FALSE(read_write_palette_file(-1));
  EXPECT_EQ(g_palette.slot, 1);
  EXPECT_EQ(g_palette.colour_table[3], 0x010101u);  // kept, nothing mixed in
  // A slot cut anywhere is not read at all.
  write_slots(2);
  const std::string bytes = read_file_bytes(g_palette.file_path);
  write_file_bytes(g_palette.file_path, bytes.substr(0, PALETTE_SLOT_SIZE + 600));
  g_palette.slot = 0;
  ASSERT_TRUE(read_write_palette_file(0));
  EXPECT_FALSE(read_write_palette_file(-1));
  EXPECT_EQ(g_palette.colour_table[0], 0x010101u);
  EXPECT_EQ(g_palette.attributes[0], 1);
}

TEST_F(PaletteFileTest, WriteMakesAMissingFileAndKeepsOtherSlots) {
  g_palette.slot = 2;
  g_palette.colour_table[5] = 0x123456;
  ASSERT_TRUE(read_write_palette_file(1));
  Bytes bytes = file();
  ASSERT_EQ(bytes.size(), 3 * PALETTE_SLOT_SIZE);
  const Bytes factory = factory_palette_file();
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 2 * PALETTE_SLOT_SIZE, factory.begin()));
  const size_t entry = 2 * PALETTE_SLOT_SIZE + PALETTE_ATTRIBUTE_SIZE + 5 * 4;
  EXPECT_EQ(Bytes(bytes.begin() + entry, bytes.begin() + entry + 4), (Bytes{0x56, 0x34, 0x12, 0}));
  // Another slot written later leaves this one as it is.
  write_slots(4);
  g_palette.slot = 1;
  ASSERT_TRUE(read_write_palette_file(1));
  bytes = file();
  ASSERT_EQ(bytes.size(), 4 * PALETTE_SLOT_SIZE);
  EXPECT_EQ(bytes[2 * PALETTE_SLOT_SIZE], 3);
  EXPECT_EQ(bytes[1 * PALETTE_SLOT_SIZE + PALETTE_ATTRIBUTE_SIZE + 5 * 4], 0x56);
}

TEST_F(PaletteFileTest, FailedWriteIsReturnedAndTheFileKept) {
  write_slots(4);
  const Bytes before = file();
  g_palette.colour_table[0] = 0xABCDEF;
  fail_nth_save_write(1);
  EXPECT_FALSE(read_write_palette_file(1));
  EXPECT_EQ(file(), before);
}

TEST_F(PaletteFileTest, ShippedFileHoldsTheFactoryColoursInFourSlots) {
  const std::string shipped = read_file_bytes(std::string(BRENVIK_PROGRAM_DIR) + "/" + PALETTE_FILE_NAME);
  ASSERT_EQ(shipped.size(), 4 * PALETTE_SLOT_SIZE);
  g_palette.file_path = std::string(BRENVIK_PROGRAM_DIR) + "/" + PALETTE_FILE_NAME;
  for (int s = 0; s < PALETTE_SLOTS; ++s) {
    g_palette.colour_table.fill(0);
    g_palette.slot = static_cast<uint8_t>(s);
    ASSERT_TRUE(read_write_palette_file(0));
    EXPECT_EQ(g_palette.colour_table, default_colour_table());
    EXPECT_EQ(g_palette.attributes, (std::array<uint8_t, PALETTE_ATTRIBUTE_SIZE>{}));
  }
}

TEST(ScreenAttributes, ColourBaseFillsTheSlots) {
  reset_screen_attributes();
  struct Case {
    int base;
    int first_slot;
  };
  // -1 re-applies the base before it; only the low byte counts; bases above 246 wrap.
  for (const Case c : {Case{80, 80}, Case{-1, 80}, Case{0x850, 0x50}, Case{250, 250}}) {
    set_colour_base(c.base);
    for (int k = 0; k < COLOUR_SLOT_COUNT; ++k) {
      EXPECT_EQ(g_attributes.scheme[k], static_cast<uint8_t>(c.first_slot + k)) << c.base;
    }
  }
  EXPECT_EQ(g_attributes.scheme[9], 3);  // 250 + 9 wrapped
  reset_screen_attributes();
}

TEST(ScreenAttributes, StacksGrowAndRestoreInOrder) {
  reset_screen_attributes();
  for (int i = 0; i < 12; ++i) {
    set_colour_base(10 * i);
    push_colour_base();
  }
  set_colour_base(150);
  for (int i = 11; i >= 0; --i) {
    pop_colour_base();
    EXPECT_EQ(g_attributes.colour_base, 10 * i);
    EXPECT_EQ(g_attributes.scheme[0], static_cast<uint8_t>(10 * i));
  }
  pop_colour_base();  // empty: nothing changes
  EXPECT_EQ(g_attributes.colour_base, 0);
  g_display.presets[FACE_ROLE_NORMAL].cell_width = 8;
  g_display.presets[FACE_ROLE_TINY].cell_width = 5;
  use_normal_font();
  for (int i = 0; i < 7; ++i) push_text_metrics();
  use_smallest_font();
  EXPECT_EQ(g_display.current.cell_width, 5);
  for (int i = 0; i < 7; ++i) pop_text_metrics();
  EXPECT_EQ(g_display.current.cell_width, 8);
  reset_screen_attributes();
  reset_display();
}

}  // namespace
