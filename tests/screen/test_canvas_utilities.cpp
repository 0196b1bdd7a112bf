// The drawing canvas's small routines: rectangles and lines with the current tools, and the
// red rubber band that a second drawing removes.
#include <gtest/gtest.h>

#include "platform/canvas.h"
#include "screen/canvas_utilities.h"
#include "screen/text_output.h"

namespace {

class CanvasUtilities : public ::testing::Test {
 protected:
  void SetUp() override {
    surface_resize(&surface_, 40, 30);
    for (size_t i = 0; i < surface_.pixels.size(); ++i)
      surface_.pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;  // a busy picture
    canvas_init(&g_text.screen, &surface_);
  }
  void TearDown() override { canvas_init(&g_text.screen, nullptr); }
  uint32_t at(int x, int y) const { return surface_.pixels[y * surface_.width + x]; }
  Surface surface_;
};

TEST_F(CanvasUtilities, TheRubberBandIsPureRedXoredAndASecondDrawingRemovesIt) {
  const Surface before = surface_;
  g_text.screen.pen.colour = 0x00FF00;
  g_text.screen.pen.width = 2;
  canvas_xor_line(2, 5, 30, 5);
  EXPECT_EQ(at(10, 5), before.pixels[5 * 40 + 10] ^ 0xFF0000);
  EXPECT_EQ(at(10, 6), before.pixels[6 * 40 + 10]);  // one pixel wide whatever the pen was
  EXPECT_EQ(at(30, 5), before.pixels[5 * 40 + 30]);  // the end pixel is left out
  EXPECT_EQ(g_text.screen.mix, CANVAS_MIX_XOR);     // ready for the next band
  canvas_xor_line(2, 5, 30, 5);
  EXPECT_EQ(surface_.pixels, before.pixels);
}

TEST_F(CanvasUtilities, RectanglesAndLinesUseTheCurrentPenAndBrush) {
  g_text.screen.pen.colour = 0x0000FF;
  g_text.screen.brush.colour = 0x00FF00;
  canvas_rect(20, 20, 5, 10);  // corners in either order
  EXPECT_EQ(at(5, 10), 0x0000FFu);
  EXPECT_EQ(at(10, 15), 0x00FF00u);
  EXPECT_NE(at(20, 20), 0x0000FFu);  // the right and bottom lie outside
  canvas_line(0, 0, 0, 8);
  EXPECT_EQ(at(0, 7), 0x0000FFu);
  EXPECT_NE(at(0, 8), 0x0000FFu);
}

TEST_F(CanvasUtilities, NothingIsDrawnWithoutACanvas) {
  canvas_init(&g_text.screen, nullptr);
  const Surface before = surface_;
  canvas_rect(0, 0, 10, 10);
  canvas_line(0, 0, 10, 10);
  canvas_xor_line(0, 0, 10, 10);
  EXPECT_EQ(surface_.pixels, before.pixels);
}

}  // namespace
