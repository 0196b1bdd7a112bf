// Display modes: the band and faces chosen for a screen size, with the 78-column rule and the
// band-1 fallback faces, read back from the presets.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/headless.h"
#include "platform/window.h"
#include "screen/boxes.h"
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


// ---- Choices, monitors and the form's place ----------------------------------------------------

using Display = std::pair<WindowRect, WindowRect>;

class DisplayChoiceTest : public DisplayModeTest {
 protected:
  void SetUp() override { g_interface = InterfaceSettings(); }
  void TearDown() override {
    g_interface = InterfaceSettings();
    DisplayModeTest::TearDown();
  }
  // A window of 800 x 600 on the monitors given, then the choice.
  void choose(int choice, const std::vector<Display>& displays) {
    reset_headless();
    headless_set_displays(displays);
    std::string error;
    ASSERT_TRUE(window_open(800, 600, "test", &error)) << error;
    reset_display();
    apply_display_mode(choice);
  }
  static Display whole(int x, int y, int width, int height) {
    return {WindowRect{x, y, width, height}, WindowRect{x, y, width, height}};
  }
};

TEST_F(DisplayChoiceTest, ChoicesSizeTheScreenAndTheWindow) {
  const struct {
    const char* what;
    int choice;
    Display monitor;
    int width, height;  // the window's client size
    int band;
  } cases[] = {
      {"7 on 1280 x 1024 falls back to 4", 7, whole(0, 0, 1280, 1024), 1280, 1024, 4},
      {"7 where it fits", 7, whole(0, 0, 2560, 1600), 1856, 1392, 5},
      {"3 keeps band 3", 3, whole(0, 0, 1920, 1080), 1152, 864, 3},
      {"2 on a 1024 x 768 monitor with a 28-pixel panel: cut to the work area", 2,
       {WindowRect{0, 0, 1024, 768}, WindowRect{0, 28, 1024, 740}}, 1024, 740, 2},
      {"0 on the smallest monitor", 0, whole(0, 0, 640, 480), 640, 480, 0},
      {"1 on a monitor too short for it falls back to 0", 1, whole(0, 0, 800, 500), 640, 480, 0},
      {"the own size of the window", DISPLAY_CHOICE_OWN_SIZE, whole(0, 0, 1920, 1080), 800, 600, 1},
      {"the whole monitor", DISPLAY_CHOICE_WHOLE_MONITOR, whole(0, 0, 1920, 1080), 1920, 1080, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    choose(c.choice, {c.monitor});
    EXPECT_EQ(window_surface()->width, c.width);
    EXPECT_EQ(window_surface()->height, c.height);
    EXPECT_EQ(g_display.screen_width, c.width - 1);  // always the client size - 1
    EXPECT_EQ(g_display.screen_height, c.height - 1);
    EXPECT_EQ(g_display.band, c.band);
    EXPECT_EQ(g_interface.client_width, c.width);
    EXPECT_EQ(headless_window_fullscreen(), c.choice == DISPLAY_CHOICE_WHOLE_MONITOR);
  }
}

TEST_F(DisplayChoiceTest, TheOwnSizeIsNeverTakenBelowItsLeast) {
  reset_headless();
  std::string error;
  ASSERT_TRUE(window_open(500, 300, "test", &error)) << error;
  apply_display_mode(DISPLAY_CHOICE_OWN_SIZE);
  EXPECT_EQ(g_display.screen_width, OWN_SIZE_MIN_WIDTH - 1);
  EXPECT_EQ(g_display.screen_height, OWN_SIZE_MIN_HEIGHT - 1);
  EXPECT_EQ(window_surface()->width, OWN_SIZE_MIN_WIDTH);
}

TEST_F(DisplayChoiceTest, TheFormIsPlacedInsideTheWorkArea) {
  const Display first = whole(0, 0, 1920, 1080);
  const Display second = whole(1920, 0, 1280, 1024);
  const struct {
    const char* what;
    int form_x, form_y;
    int x, y;
  } cases[] = {
      {"never placed: centred on the first", -1, -1, (1920 - 800) / 2, (1080 - 600) / 2},
      {"on the second monitor it stays", 2100, 100, 2100, 100},
      {"past the right of every monitor: the monitor's left", 4000, 50, 0, 50},
      {"running off the right of the work area: moved in", 1500, 700, 1920 - 800, 1080 - 600},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    g_interface.form_x = static_cast<int16_t>(c.form_x);
    g_interface.form_y = static_cast<int16_t>(c.form_y);
    choose(1, {first, second});
    int x = 0;
    int y = 0;
    window_get_position(&x, &y);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(g_interface.form_x, c.x);
    EXPECT_EQ(g_interface.form_y, c.y);
  }
}

// The position button toggles between the centre of the work area and the monitor's corner; a
// window manager that refuses positions leaves the form, and its stored place, where they are.
TEST_F(DisplayChoiceTest, ThePositionButtonTogglesCentreAndCorner) {
  choose(1, {{WindowRect{0, 0, 1920, 1080}, WindowRect{0, 30, 1920, 1050}}});
  form_to_monitor_corner();
  EXPECT_EQ(g_interface.form_x, 0);
  EXPECT_EQ(g_interface.form_y, 30);  // the corner of the work area under the panel
  toggle_form_position();
  EXPECT_EQ(g_interface.form_x, (1920 - 800) / 2);
  EXPECT_EQ(g_interface.form_y, 30 + (1050 - 600) / 2);
  toggle_form_position();
  EXPECT_EQ(g_interface.form_x, 0);
  headless_refuse_positions(true);
  toggle_form_position();
  EXPECT_EQ(g_interface.form_x, 0);
  EXPECT_EQ(g_interface.form_y, 30);
}

TEST_F(DisplayChoiceTest, TheBorderlessFormIsDraggedByItsTitleBandAndSizedByItsEdges) {
  choose(1, {whole(0, 0, 1920, 1080)});
  layout_page_tab_strip();
  EXPECT_EQ(form_hit_test(0, 300), WINDOW_HIT_RESIZE);
  EXPECT_EQ(form_hit_test(799, 599), WINDOW_HIT_RESIZE);
  EXPECT_EQ(form_hit_test(400, 300), WINDOW_HIT_NORMAL);
  const PageTab& last = g_tab_strip.tabs.back();
  EXPECT_EQ(form_hit_test(last.x + last.width + 40, 8), WINDOW_HIT_DRAG);
  EXPECT_EQ(form_hit_test(last.x + 2, 8), WINDOW_HIT_NORMAL);  // a tab
  EXPECT_EQ(form_hit_test(797, 8), WINDOW_HIT_RESIZE);
  EXPECT_EQ(form_hit_test(770, 8), WINDOW_HIT_NORMAL);  // the title-bar buttons
}

}  // namespace
