// The pen-move screen plotter on a headless canvas: markers, start dots, tool-wide pens, tiny
// circles, clipping, and a whole text item plotted through the text generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "cam/item_walkers.h"
#include "records/cam_params.h"
#include "tests/text/font_fixture.h"
#include "text/pen_plotter.h"
#include "text/text_items.h"
#include "text/text_layout.h"

using namespace text_test;

namespace {

constexpr uint32_t INK = 0xFF0000;

class PenPlotterTest : public FontFolderTest {
 protected:
  void SetUp() override {
    FontFolderTest::SetUp();
    surface_resize(&surface_, 100, 60);
    canvas_init(&canvas_, &surface_);
    reset_pen_plotter();
    PenPlotter& p = g_pen_plotter;
    p.canvas = &canvas_;
    p.colour = INK;
    p.scale = 1.0;
    p.paint_box = CanvasRect{0, 0, 100, 60};
    g_pen_move = PenMove{};
  }

  void move(char code, float dx, float dy, float i = 0, float j = 0) {
    g_pen_move.code = code;
    g_pen_move.dx = dx;
    g_pen_move.dy = dy;
    g_pen_move.i = i;
    g_pen_move.j = j;
    plot_pen_move();
  }

  int inked() const {
    return static_cast<int>(std::count(surface_.pixels.begin(), surface_.pixels.end(), INK));
  }
  bool ink_at(int x, int y) const { return surface_.pixels[y * surface_.width + x] == INK; }

  Surface surface_;
  Canvas canvas_;
};

}  // namespace

TEST_F(PenPlotterTest, MarkersNeitherMoveNorDraw) {
  g_pen_move.x = 10;
  g_pen_move.y = -10;
  for (char code : {'Z', 'z', 'b', 'f', 'R'}) move(code, 5, 5);
  EXPECT_EQ(g_pen_move.x, 10.0f);
  EXPECT_EQ(g_pen_move.y, -10.0f);
  EXPECT_EQ(inked(), 0);
}

TEST_F(PenPlotterTest, AStrokeStartsWithADotUnlessToolWidthsAreShown) {
  PenPlotter& p = g_pen_plotter;
  p.tool_width = 6;
  p.half_tool_pixels = 3;
  g_pen_move.x = 20;
  g_pen_move.y = -30;
  move('A', 0, 0);
  move('1', 40, 0);
  EXPECT_TRUE(ink_at(20, 32));   // the dot reaches 3 pixels below the line's start
  EXPECT_FALSE(ink_at(40, 32));  // the line itself is one pixel wide
  EXPECT_TRUE(ink_at(40, 30));
  std::fill(surface_.pixels.begin(), surface_.pixels.end(), 0u);
  p.show_tool_width = true;
  move('0', -40, 10);
  move('1', 40, 0);
  EXPECT_TRUE(ink_at(40, 22));   // a line as wide as the tool
  EXPECT_TRUE(ink_at(40, 18));
}

TEST_F(PenPlotterTest, TinyCirclesBecomeADashOrNothing) {
  g_pen_move.x = 50;
  g_pen_move.y = -30;
  move('3', 0, 0, 0.3f, 0);
  EXPECT_EQ(inked(), 0);
  move('3', 0, 0, 1, 0);
  EXPECT_EQ(inked(), 2);
  EXPECT_TRUE(ink_at(50, 30) && ink_at(51, 30));
}

TEST_F(PenPlotterTest, ALineOutsideThePaintBoxDrawsNothingButMovesThePen) {
  g_pen_plotter.paint_box = CanvasRect{0, 0, 50, 60};
  g_pen_move.x = 60;
  g_pen_move.y = -10;
  move('1', 30, -20);
  EXPECT_EQ(inked(), 0);
  EXPECT_EQ(g_pen_move.x, 90.0f);
  EXPECT_EQ(g_pen_move.y, -30.0f);
}

TEST_F(PenPlotterTest, ATextItemPlottedOnTheCanvasShowsItsGlyphs) {
  register_shipped({"0"});
  reset_list_store();
  DrawingItem* item = new_text_item();
  set_line_text("HI", item);
  item = g_lists.current.last;
  CamParams params;
  params.operation = CAM_OP_CENTERLINE;
  write_cam_params(params, block_cam_params(item_block(item)));
  TextLayout l;
  l.height = l.entered_height = 40;  // world units, one pixel each
  l.width_factor = 1;
  l.anchor = PointF{10, 10};
  l.v_justify = JUSTIFY_BOTTOM;
  write_text_layout(l, block_text_layout(item_block(item)));
  layout_text_item(item);
  g_pen_plotter.view_top_left = PointF{0, 60};
  reset_item_walkers();
  ASSERT_GT(text_to_strokes(item, plot_pen_move), 0);
  // H: two legs 40 pixels tall joined at half height; I: one leg. Rows run down from y = 60.
  const TextLayout laid = [&] {
    TextLayout t;
    read_text_layout(block_text_layout(item_block(item)), &t);
    return t;
  }();
  const int base = 60 - 10;  // the baseline's row
  const int h_left = static_cast<int>(std::lround(laid.start.x + 4.0 / 21 * 40));
  const int h_right = static_cast<int>(std::lround(laid.start.x + 18.0 / 21 * 40));
  for (int row : {base - 5, base - 20, base - 35}) {
    EXPECT_TRUE(ink_at(h_left, row)) << "left leg, row " << row;
    EXPECT_TRUE(ink_at(h_right, row)) << "right leg, row " << row;
  }
  EXPECT_TRUE(ink_at((h_left + h_right) / 2, base - 21));  // the bar
  EXPECT_FALSE(ink_at((h_left + h_right) / 2, base - 10)); // nothing below it
  EXPECT_GT(inked(), 3 * 40);
  free_current_list();
}
