// Display modes: the band and faces chosen for a screen size, with the 78-column rule and the
// band-1 fallback faces, read back from the presets.
#include <gtest/gtest.h>

#include <string>

#include "platform/headless.h"
#include "platform/window.h"
#include "screen/display_mode.h"
#include "screen/interface_settings.h"

namespace {

class DisplayModeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(load_interface_font(BRENVIK_PROGRAM_DIR "/Q5_FONT.FON", &error)) << error;
  }
  void TearDown() override {
    reset_display();
    reset_headless();
  }
  void apply_on(int width, int height) {
    reset_headless();
    std::string error;
    ASSERT_TRUE(window_open(width, height, "test", &error)) << error;
    reset_display();
    apply_display_mode(DISPLAY_CHOICE_OWN_SIZE);
  }
};

TEST_F(DisplayModeTest, BandsOfClientSizes) {
  struct Case {
    int width;
    int height;
    int band;
    bool fell_back;
    int normal_cell_width;
    int menu_last_row;
  };
  const Case cases[] = {
      {640, 480, 0, false, 8, 39},
      {900, 700, 1, false, 10, 42},   // width 760-962, height below 703
      {800, 560, 1, true, 8, 39},     // band 1's menu would have 34 rows: the smaller faces
      {1024, 768, 2, false, 12, 37},
      {1280, 1024, 4, false, 14, 41},
      {1600, 1200, 5, false, 14, 49},
      // Below 963 pixels wide the band stays 1 however tall the screen.
      {940, 900, 1, false, 10, 55},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    apply_on(c.width, c.height);
    EXPECT_EQ(g_display.screen_width, c.width - 1);
    EXPECT_EQ(g_display.screen_height, c.height - 1);
    EXPECT_EQ(g_display.band, c.band);
    EXPECT_EQ(g_display.fell_back, c.fell_back);
    const CellMetrics& normal = g_display.presets[FACE_ROLE_NORMAL];
    EXPECT_EQ(normal.cell_width, c.normal_cell_width);
    EXPECT_GE(normal.last_column, c.band > 0 ? 78 : 0);
    EXPECT_EQ(g_display.presets[FACE_ROLE_MENU].last_row, c.menu_last_row);
    EXPECT_GE(normal.face_index, 0);  // the face is in the face table
    EXPECT_NE(interface_face(normal.face_index), nullptr);
  }
}

TEST_F(DisplayModeTest, FallbackFacesAreNamedInTheFaceTable) {
  apply_on(800, 560);
  ASSERT_TRUE(g_display.fell_back);
  EXPECT_EQ(g_display.face_names[0], "qx8x14");
  EXPECT_EQ(g_display.face_names[1], "qx8x16");
  const CellMetrics& menu = g_display.presets[FACE_ROLE_MENU];
  EXPECT_EQ(menu.cell_width, 8);
  EXPECT_EQ(menu.cell_height, 14);
  EXPECT_EQ(g_display.presets[FACE_ROLE_SMALL].cell_height, 10);
  // A later mode without the fallback takes the usual faces again.
  apply_on(900, 700);
  EXPECT_FALSE(g_display.fell_back);
  EXPECT_EQ(g_display.presets[FACE_ROLE_MENU].cell_height, 16);
}

}  // namespace
