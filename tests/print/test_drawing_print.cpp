// Printing the drawing: jobs written here printed by brenvik-print --drawing as the Drawing page
// prints them after OK in the options dialog, the PDF judged by poppler (pdfinfo for the pages,
// pdftoppm for where the lines fall, pdfimages for the depth of the bands).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "job/job_file.h"
#include "records/job_settings.h"
#include "store/line_list.h"
#include "tests/print/print_judges.h"
#include "tests/support/test_folder.h"

namespace {

namespace fs = std::filesystem;

// The PDF file: A4 at 300 dpi, no unprintable margin, so a page's usable area is the paper.
constexpr int PAGE_WIDTH = 2480;
constexpr int PAGE_HEIGHT = 3508;
constexpr int DPI = 300;
constexpr int DARK = 128;  // a grey level below this is ink

struct Segment {
  float x1, y1, x2, y2;
};

// A job of straight lines on `layer`, in inches (or millimetres).
bool write_line_job(const std::string& path, const std::vector<Segment>& lines, uint8_t layer,
                    bool metric) {
  reset_list_store();
  reset_layers();
  set_factory_job_settings(&g_job_settings, metric);
  for (const Segment& s : lines) {
    if (new_geometry_block("", nullptr, 1, layer, GEOMETRY_KIND_DRAWING_AID) != 0) return false;
    DrawingItem* item = g_lists.current.last;
    item->kind = ITEM_POLYLINE;
    item->state = ITEM_FLAG_SELECTED;
    LinkRecord* r = item_nodes(item);
    r[0].point = {s.x1, s.y1};
    r[0].code = LINK_FLEXIBLE_LINE;
    r[0].node_flags = NODE_FIRST | NODE_LOOSE;
    r[1].point = {s.x2, s.y2};
    r[1].node_flags = NODE_CLOSING;
    item_bounding_boxes(item);
  }
  const bool ok = write_job_to_path(path) == 0;
  free_current_list();
  return ok;
}

// The outline of a w x h rectangle from (0, 0).
std::vector<Segment> rectangle(float w, float h) {
  return {{0, 0, w, 0}, {w, 0, w, h}, {w, h, 0, h}, {0, h, 0, 0}};
}

class DrawingPrint : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_test_folder("drawing_print").string(); }
  void TearDown() override { fs::remove_all(folder_); }

  std::string path(const std::string& name) const { return (fs::path(folder_) / name).string(); }

  // Prints the job with the settings; the exit status, and standard error in *said.
  int print(const std::string& job, const std::string& settings, const std::string& out,
            std::string* said = nullptr) {
    int status = -1;
    const std::string text =
        run_and_read(std::string(BRENVIK_PROGRAM_DIR) + "/brenvik-print --drawing " +
                         shell_quoted(job) + " " + settings + " " + shell_quoted(out) + " 2>&1",
                     &status);
    if (said != nullptr) *said = text;
    return status;
  }

  GreyPage page(const std::string& pdf, int n) {
    return render_grey_page(pdf, n, DPI, path("page" + std::to_string(n)));
  }

  std::string folder_;
};

// The ink of a column (x) or row (y) between two points of the other axis: the share of dark
// pixels within a pixel of the line.
double ink_along(const GreyPage& g, bool vertical, int at, int from, int to) {
  int dark = 0, count = 0;
  for (int t = from; t < to; ++t, ++count) {
    bool hit = false;
    for (int d = -1; d <= 1 && !hit; ++d) {
      const int v = vertical ? g.at(at + d, t) : g.at(t, at + d);
      hit = v >= 0 && v < DARK;
    }
    dark += hit ? 1 : 0;
  }
  return count > 0 ? static_cast<double>(dark) / count : 0;
}

// The first dark column (or row) from `from` in the direction `step`, on row (column) `across`.
int first_ink(const GreyPage& g, bool along_x, int across, int from, int step) {
  for (int t = from; t >= 0 && t < (along_x ? g.width : g.height); t += step) {
    const int v = along_x ? g.at(t, across) : g.at(across, t);
    if (v >= 0 && v < DARK) return t;
  }
  return -1;
}

TEST_F(DrawingPrint, FullSizeSpansTheGridAndKeepsItsScale) {
  // 10 x 6 inches at scale 1, centred: 3000 x 1800 pixels over 2 pages across, 1 down.
  const std::string job = path("wide.job");
  ASSERT_TRUE(write_line_job(job, rectangle(10, 6), 0, false));
  const std::string pdf = path("wide.pdf");
  std::string said;
  ASSERT_EQ(print(job, "--scale 1 --centre", pdf, &said), 0) << said;
  const PdfInfo info = read_pdf_info(pdf);
  EXPECT_EQ(info.pages, 2);
  EXPECT_NEAR(info.width_pt, 595.2, 0.5);
  const GreyPage first = page(pdf, 1);
  const GreyPage second = page(pdf, 2);
  ASSERT_EQ(first.width, PAGE_WIDTH);
  ASSERT_EQ(second.width, PAGE_WIDTH);
  const int offset_x = (2 * PAGE_WIDTH - 3000) / 2;
  const int offset_y = (PAGE_HEIGHT - 1800) / 2;
  const int middle = offset_y + 900;
  // The left edge on the first page, the right edge on the second: 10 inches apart within
  // 0.5 % and a pixel.
  const int left = first_ink(first, true, middle, 0, 1);
  const int right = first_ink(second, true, middle, PAGE_WIDTH - 1, -1);
  ASSERT_GE(left, 0);
  ASSERT_GE(right, 0);
  EXPECT_NEAR(left, offset_x, 1);
  EXPECT_NEAR(right + PAGE_WIDTH - left, 3000, 3000 * 0.005 + 1);
  // The top and bottom edges 6 inches apart; the sides inked along their whole height.
  const int top = first_ink(first, false, offset_x + 500, 0, 1);
  const int bottom = first_ink(first, false, offset_x + 500, PAGE_HEIGHT - 1, -1);
  EXPECT_NEAR(top, offset_y, 1);
  EXPECT_NEAR(bottom - top, 1800, 1800 * 0.005 + 1);
  EXPECT_GT(ink_along(first, true, left, top + 2, bottom - 2), 0.99);
  EXPECT_GT(ink_along(second, true, right, top + 2, bottom - 2), 0.99);
  // The top edge runs on across the page break.
  EXPECT_GT(ink_along(first, false, top, left + 2, PAGE_WIDTH), 0.99);
  EXPECT_GT(ink_along(second, false, top, 0, right - 2), 0.99);
}

TEST_F(DrawingPrint, MillimetreJobAtScaleOne) {
  // 150 x 100 mm, not centred: the rectangle from the page's corner, 150 mm = 1771.6 pixels.
  const std::string job = path("mm.job");
  ASSERT_TRUE(write_line_job(job, rectangle(150, 100), 0, true));
  const std::string pdf = path("mm.pdf");
  std::string said;
  ASSERT_EQ(print(job, "--scale 1", pdf, &said), 0) << said;
  EXPECT_EQ(read_pdf_info(pdf).pages, 1);
  const GreyPage g = page(pdf, 1);
  const int right = first_ink(g, true, 600, PAGE_WIDTH - 1, -1);
  const int bottom = first_ink(g, false, 800, PAGE_HEIGHT - 1, -1);
  EXPECT_NEAR(right, 150 / 25.4 * DPI, 150 / 25.4 * DPI * 0.005 + 1);
  EXPECT_NEAR(bottom, 100 / 25.4 * DPI, 100 / 25.4 * DPI * 0.005 + 1);
}

TEST_F(DrawingPrint, ScaleZeroFitsOnePageAt95Percent) {
  const std::string job = path("big.job");
  ASSERT_TRUE(write_line_job(job, rectangle(40, 20), 0, false));
  const std::string pdf = path("big.pdf");
  std::string said;
  ASSERT_EQ(print(job, "--scale 0", pdf, &said), 0) << said;
  EXPECT_EQ(read_pdf_info(pdf).pages, 1);
  const GreyPage g = page(pdf, 1);
  // Width decides: 95 % of the page's width (with the inch taken as 1 / 0.03937 mm).
  const double expected = PAGE_WIDTH * 0.95 * 25.4 * 0.03937;
  const int right = first_ink(g, true, 100, PAGE_WIDTH - 1, -1);
  const int left = first_ink(g, true, 100, 0, 1);
  EXPECT_NEAR(right - left, expected, expected * 0.005 + 1);
}

TEST_F(DrawingPrint, PagesTwoToThreeOfATwoByTwoGrid) {
  // 10 x 14 inches: 2 pages across, 2 down; 2-3 is the first row's second page and the second
  // row's first page, and nothing else.
  const std::string job = path("tall.job");
  ASSERT_TRUE(write_line_job(job, rectangle(10, 14), 0, false));
  const std::string pdf = path("tall.pdf");
  std::string said;
  ASSERT_EQ(print(job, "--scale 1 --pages 2-3", pdf, &said), 0) << said;
  ASSERT_EQ(read_pdf_info(pdf).pages, 2);
  const GreyPage top_right = page(pdf, 1);
  const GreyPage bottom_left = page(pdf, 2);
  // Top right: the top edge at row 0 and the right edge at 3000 - 2480.
  EXPECT_NEAR(first_ink(top_right, true, 1000, PAGE_WIDTH - 1, -1), 3000 - PAGE_WIDTH, 1);
  EXPECT_NEAR(first_ink(top_right, false, 200, 0, 1), 0, 1);
  // Bottom left: the left edge at column 0 and the bottom edge at 4200 - 3508.
  EXPECT_NEAR(first_ink(bottom_left, true, 300, 0, 1), 0, 1);
  EXPECT_NEAR(first_ink(bottom_left, false, 1000, PAGE_HEIGHT - 1, -1), 4200 - PAGE_HEIGHT, 1);
}

TEST_F(DrawingPrint, HeaderTextPushesTheDrawingDown) {
  const std::string job = path("header.job");
  ASSERT_TRUE(write_line_job(job, rectangle(4, 3), 0, false));
  const std::string plain = path("plain.pdf");
  const std::string headed = path("headed.pdf");
  std::string said;
  ASSERT_EQ(print(job, "--scale 1", plain, &said), 0) << said;
  ASSERT_EQ(print(job, "--scale 1 --header 'SHOP 7'", headed, &said), 0) << said;
  const GreyPage a = page(plain, 1);
  const GreyPage b = page(headed, 1);
  const int top_plain = first_ink(a, false, 600, 0, 1);
  const int top_headed = first_ink(b, false, 600, 0, 1);
  // The header's line (10 points and a third) above the image, and the quarter inch the header
  // takes in the printed window.
  const int f = static_cast<int>(DPI * 0.13888889);
  EXPECT_EQ(top_plain, 0);
  EXPECT_NEAR(top_headed, f + f / 3 + DPI / 4, 1);
  // The header's letters stand above the drawing, from the image's top.
  int ink = 0;
  for (int y = f + f / 3; y < top_headed - 2; ++y)
    for (int x = 0; x < 400; ++x) ink += b.at(x, y) >= 0 && b.at(x, y) < DARK ? 1 : 0;
  EXPECT_GT(ink, 50);
}

TEST_F(DrawingPrint, LayerColoursOrBlackAndOneBitBands) {
  // A layer drawn red on the screen.
  const std::string job = path("red.job");
  ASSERT_TRUE(write_line_job(job, rectangle(4, 3), 3, false));
  reset_layers();
  const uint32_t colour = g_layers.colours[3];
  ASSERT_NE(colour & 0xFFFFFF, 0u) << "layer 3 must not be black for this test";
  const std::string black = path("black.pdf");
  const std::string coloured = path("coloured.pdf");
  std::string said;
  ASSERT_EQ(print(job, "--scale 1", black, &said), 0) << said;
  ASSERT_EQ(print(job, "--scale 1 --layer-colours", coloured, &said), 0) << said;
  const GreyPage b = page(black, 1);
  const GreyPage c = page(coloured, 1);
  const int y = 450;
  ASSERT_EQ(first_ink(b, true, y, 0, 1), 0);
  EXPECT_EQ(b.at(0, y), 0);  // black
  EXPECT_NE(c.at(0, y), 0);  // the layer's colour, lighter than black
  EXPECT_LT(c.at(0, y), 255);
  // Black lines on white go out as 1-bit pictures.
  const std::vector<PdfImage> images = read_pdf_images(black);
  ASSERT_FALSE(images.empty());
  for (const PdfImage& image : images) EXPECT_EQ(image.bits, 1);
}

TEST_F(DrawingPrint, RulersPrintLabelledLinesAcrossTheDrawing) {
  const std::string job = path("rulers.job");
  ASSERT_TRUE(write_line_job(job, rectangle(4, 3), 0, false));
  const std::string pdf = path("rulers.pdf");
  std::string said;
  ASSERT_EQ(print(job, "--scale 1 --rulers", pdf, &said), 0) << said;
  const GreyPage g = page(pdf, 1);
  // The printed window grows by a quarter inch on top and half an inch on the left: the
  // rectangle's top-left corner moves there.
  EXPECT_NEAR(first_ink(g, true, 75 + 450, 0, 1), 150, 1);
  EXPECT_NEAR(first_ink(g, false, 150 + 600, 0, 1), 75, 1);
  // Light grey ruler lines cross the inside of the rectangle: the value 2 inches is a line.
  const int x2 = 150 + 2 * DPI;
  const int grey = g.at(x2, 75 + 450);
  EXPECT_GT(grey, DARK);
  EXPECT_LT(grey, 250);
}

TEST_F(DrawingPrint, NothingToPrintAndBadSettingsAreRefused) {
  const std::string empty = path("empty.job");
  ASSERT_TRUE(write_line_job(empty, {}, 0, false));
  std::string said;
  EXPECT_EQ(print(empty, "--scale 1", path("empty.pdf"), &said), 1);
  EXPECT_NE(said.find("nothing to print"), std::string::npos) << said;
  EXPECT_FALSE(fs::exists(path("empty.pdf")));
  const std::string job = path("line.job");
  ASSERT_TRUE(write_line_job(job, rectangle(1, 1), 0, false));
  EXPECT_EQ(print(job, "--scale -2", path("x.pdf")), 2);
  EXPECT_EQ(print(job, "--line-width 12", path("x.pdf")), 2);
  // A page range past the grid prints nothing and says so.
  EXPECT_EQ(print(job, "--scale 1 --pages 5-6", path("x.pdf"), &said), 3);
  EXPECT_NE(said.find("no page"), std::string::npos) << said;
  EXPECT_FALSE(fs::exists(path("x.pdf")));
  // A folder that cannot be written: the failure is told and nothing is left.
  EXPECT_EQ(print(job, "--scale 1", path("missing/x.pdf"), &said), 3);
  EXPECT_NE(said.find("Printer corrupt or not installed!"), std::string::npos) << said;
}

}  // namespace
