// The picture grid menu on the shipped picture file, driven through the event queue: keys, the
// pointer and its buttons choose a cell; the screen beneath comes back exactly.
#include <gtest/gtest.h>

#include "store/picture_numbers.h"
#include "tests/screen/screen_fixture.h"
#include "tests/support/idle_typist.h"
#include "ui/message_box.h"
#include "ui/picture_menu.h"

namespace {

class PictureMenuTest : public ScreenFixture {
 protected:
  void SetUp() override {
    ScreenFixture::SetUp();
    reset_message_box();
    fill_varied();
    before_ = pixels();
    capture_at(400, 300);
  }
  // The drawing-tool menu (4 x 4 cells of 72 pixels) opened centred.
  int run_tools_menu(int allow_middle = 1, int start = 0) {
    return picture_grid_menu(PICTURE_DRAWING_TOOLS_MENU, 4, 4, 0, 0, allow_middle, 0, start);
  }
  // Centred on the 800 x 600 screen: 799 / 2 - 288 / 2, 599 / 2 - 288 / 2.
  static constexpr int LEFT = 255;
  static constexpr int TOP = 155;
  static constexpr int CELL = 72;
  // Where the pointer is put on the first cell: a sixth of a cell in, halfway down. Tests that
  // move the pointer start it there, so that no warp comes after the motion they queue.
  static constexpr int START_X = LEFT + CELL / 6;
  static constexpr int START_Y = TOP + CELL / 2;
  void move_to_cell(int row, int column) {
    move_to(LEFT + column * CELL + CELL / 2, TOP + row * CELL + CELL / 2);
  }
  void move_to(int x, int y) {
    headless_inject_mouse_move(x, y);
    x_ = x;
    y_ = y;
  }
  void click(int button) const {
    headless_inject_mouse_button(button, true, x_, y_);
    headless_inject_mouse_button(button, false, x_, y_);
  }
  // The screen without the program's pointer on it.
  static std::vector<uint32_t> screen_pixels() {
    hide_pointer();
    return pixels();
  }
  int x_ = 400;
  int y_ = 300;
  std::vector<uint32_t> before_;
};

TEST_F(PictureMenuTest, KeysMoveTheCursorAndEnterChooses) {
  const struct {
    std::vector<int> keys;
    int start;
    int cell;
  } cases[] = {
      {{VK_DOWN, VK_DOWN, VK_END}, 0, 11},                    // row 2, column 3
      {{VK_NEXT, VK_HOME}, 5, 12},                            // the last row, column 0
      {{VK_PRIOR, VK_RIGHT, VK_RIGHT, VK_LEFT}, 14, 2},       // row 0; Right stops at the edge
      {{VK_UP, VK_LEFT}, 0, 0},                               // never off the grid
      {{VK_DOWN, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RIGHT}, 0, 15},
  };
  for (const auto& c : cases) {
    for (int key : c.keys) headless_inject_keystroke(key, 0);
    headless_inject_keystroke(VK_RETURN, 0);
    EXPECT_EQ(run_tools_menu(1, c.start), c.cell);
    EXPECT_EQ(screen_pixels(), before_);
    EXPECT_EQ(g_pointer.wanted_x, 400);  // back where the menu was asked for
    EXPECT_EQ(g_pointer.wanted_y, 300);
  }
}

TEST_F(PictureMenuTest, ThePointerChoosesWithItsButtons) {
  capture_at(START_X, START_Y);
  move_to_cell(2, 3);
  click(WINDOW_BUTTON_LEFT);
  EXPECT_EQ(run_tools_menu(), 11);
  move_to_cell(2, 3);
  click(WINDOW_BUTTON_MIDDLE);
  EXPECT_EQ(run_tools_menu(), PICTURE_MENU_MIDDLE + 11);
  move_to_cell(1, 1);
  click(WINDOW_BUTTON_RIGHT);
  EXPECT_EQ(run_tools_menu(), -1);
  headless_inject_keystroke(VK_ESCAPE, 0);
  EXPECT_EQ(run_tools_menu(), -1);
  EXPECT_EQ(screen_pixels(), before_);
  EXPECT_EQ(g_message_box.shown_count, 0);
}

// A click with the pointer off the grid cancels.
TEST_F(PictureMenuTest, AClickOffTheGridCancels) {
  capture_at(START_X, START_Y);
  move_to(20, 20);
  click(WINDOW_BUTTON_LEFT);
  EXPECT_EQ(run_tools_menu(), -1);
  EXPECT_EQ(screen_pixels(), before_);
}

// Where the middle button is not allowed it tells how the menu works and starts again.
TEST_F(PictureMenuTest, ARefusedMiddleClickShowsTheMessage) {
  capture_at(START_X, START_Y);
  move_to_cell(3, 3);
  click(WINDOW_BUTTON_MIDDLE);
  // The message box drops what was typed before it opened: the keys come while it waits.
  start_typist();
  typist_key('x');  // closes the message
  typist_key(VK_RETURN);
  EXPECT_EQ(run_tools_menu(0, 5), 5);  // started again on the start cell
  pump_set_idle_handler(nullptr);
  EXPECT_EQ(g_message_box.shown_count, 1);
  EXPECT_EQ(g_message_box.last_text, PICTURE_MENU_MIDDLE_MESSAGE);
  EXPECT_EQ(screen_pixels(), before_);
}

// Bad sizes and missing pictures give -1 with nothing drawn and no input taken.
TEST_F(PictureMenuTest, BadSizesLeaveTheScreenUntouched) {
  const struct {
    int picture, rows, columns, header;
  } cases[] = {{PICTURE_DRAWING_TOOLS_MENU, 0, 4, 0},   {PICTURE_DRAWING_TOOLS_MENU, 4, 0, 0},
               {PICTURE_DRAWING_TOOLS_MENU, -1, 4, 0},  {PICTURE_DRAWING_TOOLS_MENU, 4, 4, 288},
               {PICTURE_DRAWING_TOOLS_MENU, 4, 4, 400}, {5, 4, 4, 0},
               {30000, 4, 4, 0}};
  headless_inject_keystroke(VK_RETURN, 0);
  pump_messages();
  const int pending = pending_input_count();
  for (const auto& c : cases) {
    EXPECT_EQ(picture_grid_menu(c.picture, c.rows, c.columns, 0, 0, 1, c.header, 0), -1);
    EXPECT_EQ(screen_pixels(), before_);
    EXPECT_EQ(pending_input_count(), pending);
  }
}

// A menu asked for near the right and bottom edges moves in; x <= 0 centres it.
TEST_F(PictureMenuTest, AMenuNearTheEdgesMovesIn) {
  int height = 0;
  int width = 0;
  ASSERT_EQ(picture_size(PICTURE_MIRROR_MENU, &height, &width), 0);
  const int row_height = g_display.presets[FACE_ROLE_NORMAL].cell_height;
  const struct {
    int x, y, left, top;
  } cases[] = {
      {700, 550, 799 - width - 8, 599 - 2 * row_height - height - 2},
      {100, 40, 100, 40},
      {0, 40, 799 / 2 - width / 2, 599 / 2 - height / 2},
  };
  for (const auto& c : cases) {
    headless_inject_keystroke(VK_ESCAPE, 0);
    EXPECT_EQ(picture_grid_menu(PICTURE_MIRROR_MENU, 1, 3, c.x, c.y, 0, 25, 0), -1);
    EXPECT_EQ(g_picture_file.last_x, c.left);
    EXPECT_EQ(g_picture_file.last_y, c.top);
    EXPECT_EQ(screen_pixels(), before_);
  }
}

TEST_F(PictureMenuTest, TheGridCursorFollowsKeysAndThePointer) {
  GridCursor grid;
  grid.top = 100;
  grid.left = 200;
  grid.rows = 3;
  grid.columns = 5;
  grid.cell_width = 40;
  grid.cell_height = 30;
  grid.row = 1;
  grid.column = 1;
  headless_inject_keystroke(VK_END, 0);
  EXPECT_EQ(track_grid_cursor(&grid), KEY_END);
  EXPECT_EQ(grid.column, 4);
  EXPECT_EQ(grid.row, 1);
  EXPECT_EQ(g_pointer.wanted_x, 200 + 4 * 40 + 40 / 6);  // on the new cell
  EXPECT_EQ(g_pointer.wanted_y, 100 + 30 + 15);
  EXPECT_EQ(screen_pixels(), before_) << "the cursor is taken off";
  // A move within the cell is followed without ending; one into another cell ends it.
  headless_inject_mouse_move(200 + 4 * 40 + 30, 100 + 30 + 20);
  headless_inject_mouse_move(200 + 0 * 40 + 5, 100 + 2 * 30 + 5);
  EXPECT_EQ(track_grid_cursor(&grid), EVENT_POINTER_MOVE);
  EXPECT_EQ(grid.row, 2);
  EXPECT_EQ(grid.column, 0);
  // A key that moves nothing ends it as well and comes back.
  headless_inject_text("q");
  EXPECT_EQ(track_grid_cursor(&grid), 'q');
  EXPECT_EQ(grid.row, 2);
  EXPECT_EQ(grid.column, 0);
}

}  // namespace
