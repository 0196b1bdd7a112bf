#include <filesystem>

#include "screen/picture_file.h"
#include "store/dcl_implode.h"
#include "tests/support/test_bytes.h"
#include "tests/support/test_folder.h"
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
  EXPECT_EQ(g_closed_area.area.left, 9 * g_display.current.cell_width);
}

// A window of twenty lines under which a smaller window was shaded closed.
class RepairTest : public WindowFrameTest {
 protected:
  TextLine* under_ = nullptr;

  void SetUp() override {
    WindowFrameTest::SetUp();
    g_interface.shading_style = 1;
    under_ = make_window({"l0", "l1", "l2", "l3", "l4", "l5", "l6", "l7", "l8", "l9", "l10",
                          "l11", "l12", "l13", "l14", "l15", "l16", "l17", "l18", "l19"},
                         3, 2, 22, 60, 3);
    activate_window(under_);
    draw_window_frame(0);
  }

  void close_window_at(int top, int left, int bottom, int right) {
    TextLine* node = make_window({"x"}, top, left, bottom, right, 3 | WINDOW_SHADE_ON_CLOSE);
    activate_window(node);
    draw_window_frame(0);
    close_window_background();
    activate_window(under_);
  }

  std::vector<int> flagged_rows() const {
    std::vector<int> rows;
    int row = window_of(under_)->top_row;
    for (TextLine* line = window_of(under_)->first_line; line != nullptr; line = line->next, ++row)
      if (line->state & LINE_STATE_REDRAW) rows.push_back(row);
    return rows;
  }

  // A pixel of the under window's outer ring, painted over so that a redrawn frame shows.
  static size_t frame_pixel() {
    const CellMetrics& c = g_display.current;
    return static_cast<size_t>(c.cell_height / 3 + 2 * c.cell_height + 10) * SCREEN_WIDTH +
           1 * c.cell_width;
  }
};

TEST_F(RepairTest, AnAreaInsideTheWindowRedrawsOnlyItsLines) {
  close_window_at(8, 10, 11, 30);
  ASSERT_NE(g_form.redraw_level, 0);
  window_surface()->pixels[frame_pixel()] = 0x123456;
  for (TextLine* line = window_of(under_)->first_line; line != nullptr; line = line->next)
    line->state &= static_cast<uint8_t>(~LINE_STATE_REDRAW);
  refresh_window_under_closed(0);
  EXPECT_EQ(window_surface()->pixels[frame_pixel()], 0x123456u);
  const CellMetrics& c = g_display.current;
  const std::vector<int> rows = flagged_rows();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.front(), g_closed_area.area.top / c.cell_height);
  EXPECT_EQ(rows.back(), g_closed_area.area.bottom / c.cell_height);
  EXPECT_EQ(g_form.redraw_level, 0);
  EXPECT_TRUE(g_frames.lines_dirty);
}

TEST_F(RepairTest, AnAreaAcrossTheFrameRedrawsItOrLeavesItForLater) {
  close_window_at(8, 50, 11, 70);
  window_surface()->pixels[frame_pixel()] = 0x123456;
  refresh_window_under_closed(-1);
  EXPECT_EQ(window_surface()->pixels[frame_pixel()], 0x123456u);
  EXPECT_EQ(g_frames.deferred_frame_window, under_);
  close_window_at(8, 50, 11, 70);
  refresh_window_under_closed(0);
  EXPECT_NE(window_surface()->pixels[frame_pixel()], 0x123456u);
  EXPECT_EQ(g_frames.deferred_frame_window, nullptr);
  EXPECT_TRUE(g_closed_area.clean);
  // Nothing left to repair: nothing happens.
  window_surface()->pixels[frame_pixel()] = 0x123456;
  refresh_window_under_closed(0);
  EXPECT_EQ(window_surface()->pixels[frame_pixel()], 0x123456u);
}

TEST_F(RepairTest, TouchingMeansAnEdgeOfOneCrossesTheOther) {
  g_closed_area.area = {100, 100, 200, 200, 200, 200};
  const struct {
    int left, top, right, bottom;
    bool touches;
  } cases[] = {
      {50, 50, 300, 300, false},    // the area lies wholly inside
      {150, 50, 300, 300, true},    // the window's left side crosses the area
      {50, 150, 300, 300, true},    // its top crosses it
      {120, 120, 180, 180, false},  // the window lies wholly inside the area
      {300, 50, 400, 300, false},   // apart
  };
  for (const auto& c : cases)
    EXPECT_EQ(window_touches_closed_area(c.left, c.top, c.right, c.bottom), c.touches)
        << c.left << "," << c.top;
}

TEST_F(RepairTest, ShadingTheClosedAreaAndTheScreen) {
  fill_varied();
  const std::vector<uint32_t> before = pixels();
  reset_dirty_rect();
  shade_closed_area();  // a clean area is not shaded
  EXPECT_EQ(pixels(), before);
  g_closed_area = ClosedAreaState{{100, 100, 200, 150, 210, 160}, false};
  g_interface.shading_option = 1;  // shading switched off
  shade_closed_area();
  shade_screen();
  EXPECT_EQ(pixels(), before);
  g_interface.shading_option = 0;
  shade_closed_area();
  EXPECT_EQ(pixels()[155 * SCREEN_WIDTH + 205] == 0 || pixels()[155 * SCREEN_WIDTH + 206] == 0, true);
  EXPECT_EQ(pixels()[170 * SCREEN_WIDTH + 150], before[170 * SCREEN_WIDTH + 150]);
  fill_varied();
  shade_screen();
  const int status_top = g_display.screen_height - 2 * g_display.presets[FACE_ROLE_MENU].cell_height;
  int dark_above = 0;
  int dark_below = 0;
  for (int x = 0; x < 64; ++x) {
    dark_above += pixels()[static_cast<size_t>(status_top - 1) * SCREEN_WIDTH + x] == 0;
    dark_below += pixels()[static_cast<size_t>(status_top + 1) * SCREEN_WIDTH + x] == 0;
  }
  EXPECT_GT(dark_above, 8);
  EXPECT_LT(dark_below, 4);
}

// A picture file of two 8-bit grey pictures of 16 x 8 pixels, every pixel of picture n at grey
// level 100 + 50 n.
std::string grey_picture_file() {
  std::vector<std::vector<uint8_t>> entries;
  for (int n = 0; n < 2; ++n) {
    const std::vector<uint8_t> rows(16 * 8, static_cast<uint8_t>(100 + 50 * n));
    Bytes b;
    b.le32(static_cast<uint32_t>(rows.size())).le32(16).le32(8);
    b.le32(40).le32(16).le32(8).le16(1).le16(8).zeros(24);
    b.le16(0);  // the grey ramp: no palette of its own
    b.append(dcl_implode(rows, 1, 6));
    entries.push_back(b.data);
  }
  Bytes f;
  f.append({0x1A, 0x44, 0x49, 0x42, 0, 0, 0, 2});
  f.le16(static_cast<uint16_t>(entries.size() - 1));
  uint32_t offset = static_cast<uint32_t>(10 + (entries.size() + 1) * 4);
  for (const auto& e : entries) {
    f.le32(offset);
    offset += static_cast<uint32_t>(e.size());
  }
  f.le32(offset);
  for (const auto& e : entries) f.append(e);
  return std::string(f.data.begin(), f.data.end());
}

TEST_F(WindowFrameTest, ATitlePictureSitsInTheTextAreasCornerUnderTransparentLines) {
  const std::filesystem::path folder = make_test_folder("frames");
  const std::string path = (folder / "pictures.KR5").string();
  write_file_bytes(path, grey_picture_file());
  reset_picture_file();
  ASSERT_TRUE(open_picture_file(path.c_str()));
  for (uint8_t placement : {PICTURE_BOTTOM_RIGHT, PICTURE_TOP_LEFT}) {
    TextLine* node = make_window({"one", "two", "three"}, 5, 10, 12, 40, 3);
    activate_window(node);
    TextWindow* w = window_of(node);
    w->title_picture = 1;
    w->picture_placement = placement;
    draw_window_frame(0);
    hide_pointer();
    const int cw = g_display.current.cell_width;
    const int ch = g_display.current.cell_height;
    const int x = placement == PICTURE_BOTTOM_RIGHT ? w->pixel_right - 8 : 10 * cw + 8;
    const int y = placement == PICTURE_BOTTOM_RIGHT ? w->pixel_bottom - 4 : 5 * ch + 4;
    EXPECT_EQ(window_surface()->pixels[static_cast<size_t>(y) * SCREEN_WIDTH + x], 0x969696u)
        << static_cast<int>(placement);
    EXPECT_EQ(g_frames.frame_picture_drawn, 0);  // the lines were drawn, over it
    destroy(node);
  }
  reset_picture_file();
  std::filesystem::remove_all(folder);
}

}  // namespace

