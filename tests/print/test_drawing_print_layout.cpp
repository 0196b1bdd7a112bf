// The page grid of a printed drawing: page counts at a set scale, the fitted scale, sizes that
// are refused instead of overflowing, page ranges and where the drawing starts on the page.
#include <gtest/gtest.h>

#include <cmath>

#include "print/drawing_print_layout.h"

namespace {

constexpr int DPI = 300;

DrawingPrintInput inches(double width, double height, double scale, double usable_w_in,
                         double usable_h_in) {
  DrawingPrintInput in;
  in.width = width;
  in.height = height;
  in.scale = scale;
  in.dpi_x = DPI;
  in.dpi_y = DPI;
  in.usable_width = static_cast<int>(usable_w_in * DPI);
  in.usable_height = static_cast<int>(usable_h_in * DPI);
  return in;
}

struct GridCase {
  const char* name;
  double width, height, scale, usable_w, usable_h;
  int64_t columns, rows;
  const char* pages_text;
};

class DrawingGridTest : public ::testing::TestWithParam<GridCase> {};

TEST_P(DrawingGridTest, PagesAcrossAndDown) {
  const GridCase& c = GetParam();
  const DrawingPrintLayout layout =
      layout_drawing_print(inches(c.width, c.height, c.scale, c.usable_w, c.usable_h));
  ASSERT_TRUE(layout.ok) << layout.error;
  EXPECT_EQ(layout.columns, c.columns);
  EXPECT_EQ(layout.rows, c.rows);
  EXPECT_EQ(drawing_pages_text(layout), c.pages_text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DrawingGridTest,
    ::testing::Values(
        GridCase{"TwoWideOneTall", 10, 6, 1, 8, 10.5, 2, 1, "Drawing spans \f2 pages\x13"},
        GridCase{"TwoByTwo", 10, 6, 1, 8, 5, 2, 2, "Drawing spans \f4 pages\x13 (2 wide, 2 tall)"},
        GridCase{"ExactlyOnePage", 8, 5, 1, 8, 5, 1, 1, "Drawing fits on one page"},
        GridCase{"HalfScale", 10, 6, 0.5, 8, 5, 1, 1, "Drawing fits on one page"},
        GridCase{"FittedLarge", 400, 90, 0, 8, 10.5, 1, 1, "Drawing fits on one page"},
        GridCase{"FittedTiny", 0.01, 0.02, -3, 8, 10.5, 1, 1, "Drawing fits on one page"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DrawingPrintLayout, TheFittedScaleUsesNinetyFivePercentOfTheTighterSide) {
  const DrawingPrintLayout layout = layout_drawing_print(inches(16, 5, 0, 8, 10.5));
  ASSERT_TRUE(layout.ok);
  EXPECT_TRUE(layout.fitted);
  EXPECT_NEAR(layout.scale, 0.5 * 0.95, 1e-4);
  EXPECT_NEAR(static_cast<double>(layout.width), 0.95 * 8 * DPI, 0.005 * 8 * DPI + 1);
}

TEST(DrawingPrintLayout, AMillimetreJobAtFullSizeKeepsItsSizeOnPaper) {
  DrawingPrintInput in = inches(254, 127, 1, 8, 10.5);
  in.metric = true;
  const DrawingPrintLayout layout = layout_drawing_print(in);
  ASSERT_TRUE(layout.ok);
  // 254 mm is ten inches: 3,000 pixels within 0.5 % and a pixel.
  EXPECT_NEAR(static_cast<double>(layout.width), 3000, 3000 * 0.005 + 1);
  EXPECT_NEAR(static_cast<double>(layout.height), 1500, 1500 * 0.005 + 1);
  EXPECT_EQ(layout.columns, 2);
}

TEST(DrawingPrintLayout, FittingCountsTheRulersAndHeadersSoASmallDrawingStaysOnOnePage) {
  DrawingPrintInput in = inches(1, 1, 0, 8, 10.5);
  in.rulers = true;
  in.header_line = true;
  in.header_text = true;
  const DrawingPrintLayout layout = layout_drawing_print(in);
  ASSERT_TRUE(layout.ok);
  EXPECT_EQ(layout.columns * layout.rows, 1);
}

struct RefusedCase {
  const char* name;
  double width, height, scale;
};
class DrawingRefusedTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(DrawingRefusedTest, NothingIsPrintedAndTheReasonIsGiven) {
  const RefusedCase& c = GetParam();
  const DrawingPrintLayout layout =
      layout_drawing_print(inches(c.width, c.height, c.scale, 8, 10.5));
  EXPECT_FALSE(layout.ok);
  EXPECT_FALSE(layout.error.empty());
  EXPECT_EQ(layout.columns, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DrawingRefusedTest,
    ::testing::Values(RefusedCase{"ZeroWidthFitted", 0, 5, 0},
                      RefusedCase{"ZeroHeightAtScale", 5, 0, 1},
                      RefusedCase{"NotANumber", NAN, 5, 1},
                      // 32,768 pages of 8 inches across.
                      RefusedCase{"OnePagePastTheLimitAcross", 8.0 * 32767 + 1, 5, 1},
                      RefusedCase{"FarPastAnyPixelCount", 1e30, 1e30, 1e10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DrawingPrintLayout, TheLimitItselfIsAllowed) {
  const DrawingPrintLayout layout = layout_drawing_print(inches(8.0 * 32767, 5, 1, 8, 10.5));
  ASSERT_TRUE(layout.ok) << layout.error;
  EXPECT_EQ(layout.columns, 32767);
}

TEST(DrawingPrintLayout, PagesTwoToThreeOfATwoByTwoGrid) {
  // Row by row: page 2 is the first row's second, page 3 the second row's first.
  std::vector<std::pair<int64_t, int64_t>> printed;  // (row, column)
  for (int64_t row = 0; row < 2; ++row)
    for (int64_t column = 0; column < 2; ++column)
      if (drawing_page_in_range(row * 2 + column + 1, 2, 3)) printed.push_back({row, column});
  const std::vector<std::pair<int64_t, int64_t>> expected = {{0, 1}, {1, 0}};
  EXPECT_EQ(printed, expected);
  EXPECT_EQ(last_drawing_page(4, 2, 3), 3) << "no page is begun after the range";
  EXPECT_EQ(last_drawing_page(4, 2, 0), 4);
  EXPECT_EQ(last_drawing_page(4, 5, 0), 0) << "a range past the grid prints nothing";
}

TEST(DrawingPrintLayout, HeadersPushTheDrawingDownAndCentringSharesTheSpareRoom) {
  DrawingPrintInput in = inches(4, 4, 1, 8, 10.5);
  const int f = static_cast<int>(DPI * 0.13888889);
  in.header_line = true;
  EXPECT_EQ(layout_drawing_print(in).offset_y, f + f / 3);
  in.header_text = true;
  EXPECT_EQ(layout_drawing_print(in).offset_y, 2 * (f + f / 3));
  in.centre = true;
  const DrawingPrintLayout centred = layout_drawing_print(in);
  EXPECT_EQ(centred.offset_x, (8 * DPI - centred.width) / 2);
  EXPECT_EQ(centred.offset_y, (static_cast<int64_t>(10.5 * DPI) - centred.height) / 2);
}

}  // namespace
