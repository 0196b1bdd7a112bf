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
