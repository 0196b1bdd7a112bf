#include "ui/window_frames.h"
#include "window_fixture.h"

namespace {

class WindowFrameTest : public WindowTest {
 protected:
  static void fill_varied() {
    Surface* s = window_surface();
    for (int y = 0; y < s->height; ++y)
      for (int x = 0; x < s->width; ++x)
        s->pixels[static_cast<size_t>(y) * s->width + x] =
            static_cast<uint32_t>((x * 7 + y * 13) & 0xFF) << 8 | static_cast<uint32_t>(x & 0xFF);
  }
  static std::vector<uint32_t> pixels() { return window_surface()->pixels; }

  TextLine* framed(int top, int left, int bottom, int right, uint32_t flags) {
    TextLine* node = make_window({"one", "two", "three"}, top, left, bottom, right, flags);
    activate_window(node);
    draw_window_frame(0);
    return node;
  }
};

TEST_F(WindowFrameTest, AWindowBelow1200CellsKeepsTheScreenBeneath) {
  const uint32_t flags = 3 | WINDOW_KEEP_UNDER;
  TextLine* small = framed(0, 2, 28, 41, flags);  // 40 x 29 cells
  EXPECT_NE(window_of(small)->saved_background, nullptr);
  TextLine* big = framed(0, 2, 29, 41, flags);  // 40 x 30 cells
  EXPECT_EQ(window_of(big)->saved_background, nullptr);
}

TEST_F(WindowFrameTest, ClosingPutsBackThePixelsBeneath) {
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  TextLine* node = framed(5, 10, 12, 40, 3 | WINDOW_KEEP_UNDER);
  EXPECT_NE(pixels(), before);
  EXPECT_EQ(close_window_background(), 1);
  EXPECT_EQ(g_form.redraw_level, 0);
  EXPECT_EQ(window_of(node)->saved_background, nullptr);
  hide_pointer();
  EXPECT_EQ(pixels(), before);
}

TEST_F(WindowFrameTest, AShadowOnlyAwayFromTheScreensEdges) {
  const CellMetrics& c = g_display.current;
  fill_varied();
  TextLine* inner = framed(5, 10, 12, 40, 3);
  const TextWindow* w = window_of(inner);
  EXPECT_EQ(w->shade_bottom, (12 + 1) * c.cell_height + c.cell_height / 2 + 1);
  EXPECT_EQ(w->shade_right, (40 + 2) * c.cell_width);
  // The pattern darkens every other pixel of the band under the window.
  const int y = (12 + 1) * c.cell_height + c.cell_height / 2 + 1;
  int black = 0;
  for (int x = 12 * c.cell_width; x < 20 * c.cell_width; ++x)
    if (window_surface()->pixels[static_cast<size_t>(y) * SCREEN_WIDTH + x] == 0) ++black;
  EXPECT_GT(black, 0);
  TextLine* edge = framed(5, 10, c.last_row, 40, 3);  // down to the last row: no shadow
  EXPECT_EQ(window_of(edge)->shade_bottom, window_of(edge)->saved_bottom);
}

TEST_F(WindowFrameTest, FrameStyleZeroDrawsOnlyTheLines) {
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  framed(5, 10, 12, 40, 0);
  // Nothing changed outside the text cells.
  const CellMetrics& c = g_display.current;
  const int y = 5 * c.cell_height - 3;
  for (int x = 0; x < SCREEN_WIDTH; ++x)
    EXPECT_EQ(pixels()[static_cast<size_t>(y) * SCREEN_WIDTH + x],
              before[static_cast<size_t>(y) * SCREEN_WIDTH + x]);
}

TEST_F(WindowFrameTest, ALongTitleKeepsItsPartAfterTheFirstBackslash) {
  EXPECT_EQ(fit_window_title("Short", 10), "Short");
  EXPECT_EQ(fit_window_title("C:\\JOBS\\PLATE.JOB", 12), "JOBS\\PLATE. ");
  EXPECT_EQ(fit_window_title("NOSLASHATALLHERE", 8), "NOSLASH ");
}

TEST_F(WindowFrameTest, AShadedCloseDarkensTheAreaAndAsksForARedraw) {
  fill_varied();
  g_interface.shading_style = 1;
  framed(5, 10, 12, 40, 3 | WINDOW_SHADE_ON_CLOSE);
  EXPECT_EQ(close_window_background(), 0);
  EXPECT_EQ(g_form.redraw_level, 1);
  EXPECT_EQ(g_frames.closed.left, 9 * g_display.current.cell_width);
}

}  // namespace
