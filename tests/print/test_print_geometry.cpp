// The printer's page in device pixels, the tiles and bands of the window-image printer, and a
// window image printed into a PDF file read back by poppler.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/printing.h"
#include "print/page_geometry.h"
#include "print/window_image.h"
#include "tests/print/print_judges.h"
#include "tests/support/test_folder.h"

namespace {

struct GeometryCase {
  const char* name;
  PrintDeviceCaps device;
  int margin, usable_width, usable_height, origin_x, origin_y;
};

PrintDeviceCaps device(int offset_x, int offset_y, int paper_w, int paper_h, int printable_w,
                       int printable_h) {
  PrintDeviceCaps caps;
  caps.offset_x = offset_x;
  caps.offset_y = offset_y;
  caps.paper_width = paper_w;
  caps.paper_height = paper_h;
  caps.printable_width = printable_w;
  caps.printable_height = printable_h;
  return caps;
}

TEST(PageGeometry, UniformMarginCentresTheUsableArea) {
  const GeometryCase cases[] = {
      // Offsets 50/60, right and bottom margins 40/70: the largest margin goes all round.
      {"offsets 50/60, margins 40/70", device(50, 60, 2550, 3300, 2460, 3170), 70, 2410, 3160,
       20, 10},
      {"no unprintable border", device(0, 0, 2480, 3508, 2480, 3508), 0, 2480, 3508, 0, 0},
      // A device that reports no paper size has only its offsets as border.
      {"paper size 0", device(30, 20, 0, 0, 2400, 3200), 30, 2340, 3140, 0, 10},
  };
  for (const GeometryCase& c : cases) {
    SCOPED_TRACE(c.name);
    PrinterPageGeometry g;
    ASSERT_EQ(get_page_geometry(c.device, &g), 1);
    EXPECT_EQ(g.margin_left, c.margin);
    EXPECT_EQ(g.margin_top, c.margin);
    EXPECT_EQ(g.margin_right, c.margin);
    EXPECT_EQ(g.margin_bottom, c.margin);
    EXPECT_EQ(g.usable_width, c.usable_width);
    EXPECT_EQ(g.usable_height, c.usable_height);
    EXPECT_EQ(g.origin_x, c.origin_x);
    EXPECT_EQ(g.origin_y, c.origin_y);
  }
  EXPECT_EQ(get_page_geometry(PrintDeviceCaps{}, nullptr), 0);
}

TEST(PageGeometry, PaperNames) {
  struct Case {
    const char* name;
    int width_mm, height_mm;
  } cases[] = {{"A4", 210, 297}, {"a4", 210, 297}, {"Letter", 215, 279}, {"LEGAL", 215, 355},
               {"A3", 297, 420}, {"B4", 257, 364}, {"A5", 148, 210}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PrintPaper* paper = find_print_paper(c.name);
    ASSERT_NE(paper, nullptr);
    EXPECT_EQ(paper->width_mm, c.width_mm);
    EXPECT_EQ(paper->height_mm, c.height_mm);
  }
  EXPECT_EQ(find_print_paper("Foolscap"), nullptr);
  EXPECT_STREQ(print_papers()[0].name, "A4");
}

TEST(PageGeometry, ThePdfFileIsThePaperAt300Dpi) {
  struct Case {
    const char* paper;
    bool landscape;
    int width, height;
  } cases[] = {{"A4", false, 2480, 3508}, {"A4", true, 3508, 2480}, {"Letter", false, 2539, 3295}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.paper);
    PrintSetup setup;
    setup.paper = c.paper;
    setup.landscape = c.landscape;
    PrintDeviceCaps caps;
    std::string error;
    ASSERT_TRUE(print_measure(setup, &caps, &error)) << error;
    EXPECT_EQ(caps.dpi_x, 300);
    EXPECT_EQ(caps.paper_width, c.width);
    EXPECT_EQ(caps.paper_height, c.height);
    EXPECT_EQ(caps.printable_width, c.width);
    EXPECT_EQ(caps.offset_x, 0);
  }
  PrintSetup unknown;
  unknown.paper = "Foolscap";
  PrintDeviceCaps caps;
  std::string error;
  EXPECT_FALSE(print_measure(unknown, &caps, &error));
  EXPECT_NE(error.find("Foolscap"), std::string::npos);
}

// ---- Tiles --------------------------------------------------------------------------------------

TEST(PrintTiles, BandHeightOnPrintersThatTakeSmallBitmapsOnly) {
  // A 1024-pixel screen: 3,072 bytes a 24-bit row, 65,503 / 3,072 = 21 rows.
  EXPECT_EQ(print_tile_height(1024, 768, false), 21);
  EXPECT_EQ(print_tile_height(1024, 768, true), 768);
  EXPECT_EQ(print_tile_height(1023, 768, false), 21);  // 3,069 padded to 3,072
  EXPECT_EQ(print_tile_height(30000, 768, false), 1);  // never below one row
}

struct Visit {
  std::vector<PrintRect> tiles;
  std::vector<int> indexes;
  int stop_after = 0;
};

int record_tile(PrintTileWalk* walk) {
  auto* visit = static_cast<Visit*>(walk->object);
  visit->tiles.push_back(walk->tile);
  visit->indexes.push_back(walk->index);
  return visit->stop_after == 0 || walk->index < visit->stop_after;
}

TEST(PrintTiles, RowsThenColumnsTheLastOnesClipped) {
  Visit visit;
  ASSERT_EQ(for_each_print_tile(10, 20, 260, 120, 100, 60, record_tile, &visit), 1);
  const std::vector<PrintRect> expected = {{10, 20, 110, 80},   {110, 20, 210, 80},
                                           {210, 20, 260, 80},  {10, 80, 110, 120},
                                           {110, 80, 210, 120}, {210, 80, 260, 120}};
  ASSERT_EQ(visit.tiles.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(visit.tiles[i].left, expected[i].left);
    EXPECT_EQ(visit.tiles[i].top, expected[i].top);
    EXPECT_EQ(visit.tiles[i].right, expected[i].right);
    EXPECT_EQ(visit.tiles[i].bottom, expected[i].bottom);
    EXPECT_EQ(visit.indexes[i], static_cast<int>(i) + 1);
  }
  PrintTileWalk walk;
  ASSERT_EQ(count_print_tiles(10, 20, 260, 120, 100, 60, &walk), 1);
  EXPECT_EQ(walk.count, 6);
}

TEST(PrintTiles, UnusableArgumentsAndAStoppingCallback) {
  Visit visit;
  EXPECT_EQ(for_each_print_tile(0, 0, 100, 100, 0, 10, record_tile, &visit), 0);
  EXPECT_EQ(for_each_print_tile(100, 0, 0, 100, 10, 10, record_tile, &visit), 0);
  EXPECT_EQ(for_each_print_tile(0, 0, 100, 100, 10, 10, nullptr, &visit), 0);
  EXPECT_TRUE(visit.tiles.empty());
  visit.stop_after = 2;
  EXPECT_EQ(for_each_print_tile(0, 0, 100, 100, 10, 10, record_tile, &visit), 0);
  EXPECT_EQ(visit.tiles.size(), 2u);
  PrintTileWalk walk;
  ASSERT_EQ(count_print_tiles(0, 0, 0, 0, 10, 10, &walk), 1);
  EXPECT_EQ(walk.count, 0);
}

// ---- Bands ----------------------------------------------------------------------------------------

Surface band_of_colours(int colours, int width = 40, int height = 10) {
  Surface s;
  surface_resize(&s, width, height);
  for (size_t i = 0; i < s.pixels.size(); ++i) {
    s.pixels[i] = static_cast<uint32_t>((i % colours) * 0x010305u) & 0xFFFFFFu;
  }
  return s;
}

TEST(PrintBands, DepthIsTheSmallestThatHoldsTheColours) {
  struct Case {
    int colours, depth;
  } cases[] = {{1, 1}, {2, 1}, {3, 4}, {16, 4}, {17, 8}, {256, 8}, {257, 24}, {300, 24}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.colours);
    const Surface band = band_of_colours(c.colours);
    std::vector<uint32_t> found;
    EXPECT_EQ(count_band_colours(band, &found), std::min(c.colours, 257));
    PackedBand out;
    pack_band(band, band.width, band.height, 1, 1, false, &out);
    EXPECT_EQ(out.bits_per_pixel, c.depth);
    EXPECT_EQ(out.palette.size(), c.depth == 24 ? 0u : static_cast<size_t>(c.colours));
    pack_band(band, band.width, band.height, 1, 1, true, &out);
    EXPECT_EQ(out.bits_per_pixel, 24);
  }
  EXPECT_EQ(band_depth_for_colours(0), 24);
}

TEST(PrintBands, PackedPixelsReadBackNearestNeighbour) {
  // White with a black column at x = 3 and a red pixel: 3 colours, 4 bits; scaled up twice.
  Surface band;
  surface_resize(&band, 8, 2);
  std::fill(band.pixels.begin(), band.pixels.end(), 0xFFFFFFu);
  band.pixels[3] = band.pixels[8 + 3] = 0;
  band.pixels[8 + 6] = 0xFF0000;
  PackedBand out;
  pack_band(band, 16, 4, 0.5L, 0.5L, false, &out);
  ASSERT_EQ(out.bits_per_pixel, 4);
  ASSERT_EQ(out.palette, (std::vector<uint32_t>{0xFFFFFF, 0, 0xFF0000}));
  const size_t stride = 8;  // 16 pixels at 4 bits, padded to 4 bytes
  auto pixel = [&](int x, int y) {
    const uint8_t byte = out.bits[stride * y + x / 2];
    return (x & 1) ? byte & 0xF : byte >> 4;
  };
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int sx = x / 2;
      const int sy = y / 2;
      const int expected = sx == 3 ? 1 : (sx == 6 && sy == 1 ? 2 : 0);
      EXPECT_EQ(pixel(x, y), expected) << x << "," << y;
    }
  }
  // Two colours pack from the high bit down.
  Surface two;
  surface_resize(&two, 9, 1);
  std::fill(two.pixels.begin(), two.pixels.end(), 0xFFFFFFu);
  two.pixels[0] = two.pixels[8] = 0;
  pack_band(two, 9, 1, 1, 1, false, &out);
  ASSERT_EQ(out.bits_per_pixel, 1);
  EXPECT_EQ(out.palette, (std::vector<uint32_t>{0, 0xFFFFFF}));
  EXPECT_EQ(out.bits[0], 0x7F);
  EXPECT_EQ(out.bits[1], 0x00);
}

// ---- A window image on a PDF page -----------------------------------------------------------------

struct Painter {
  int bands = 0;
  int cancel_after = 0;
  int progress_calls = 0;
};

// A 600 x 400 window: a black frame and a black diagonal on white.
int paint_frame(void* object, PrintBand* band) {
  auto* painter = static_cast<Painter*>(object);
  ++painter->bands;
  Canvas* c = band->canvas;
  c->pen.colour = 0;
  c->brush.kind = CANVAS_BRUSH_HOLLOW;
  const int ox = band->origin_x;
  const int oy = band->origin_y;
  canvas_draw_rect(c, {-ox, -oy, 600 - ox, 400 - oy});
  canvas_draw_line(c, -ox, -oy, 600 - ox, 400 - oy);
  return 1;
}

int count_progress(int index, int count, void* object) {
  auto* painter = static_cast<Painter*>(object);
  ++painter->progress_calls;
  EXPECT_LE(index, count);
  return painter->cancel_after == 0 || index < painter->cancel_after;
}

class WindowImage : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = make_test_folder("window_image"); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  PrintJob* begin(const std::string& name) {
    setup_.file_path = (folder_ / name).string();
    std::string error;
    EXPECT_TRUE(print_measure(setup_, &caps_, &error)) << error;
    PrintJob* job = print_begin(setup_, caps_, "window", &error);
    EXPECT_NE(job, nullptr) << error;
    print_begin_page(job);
    return job;
  }

  std::filesystem::path folder_;
  PrintSetup setup_;
  PrintDeviceCaps caps_;
};

TEST_F(WindowImage, BlackOnWhiteGoesOutAsOneBitBandsPixelForPixel) {
  PrintJob* job = begin("frame.pdf");
  const PrintableWindow window{600, 400, 0, 0, 0xFFFFFF};
  Painter painter;
  const PrintRect clip{0, 0, caps_.paper_width, caps_.paper_height};
  // Twice the window's size: 1200 x 800 printer pixels, in bands of the screen's size.
  ASSERT_EQ(print_window_image(&window, job, 100, 100, 1200, 800, clip, WindowPrintOptions{},
                               paint_frame, &painter, count_progress, &painter),
            1);
  std::string error;
  ASSERT_TRUE(print_end(job, &error)) << error;
  EXPECT_GE(painter.bands, 1);
  EXPECT_EQ(painter.progress_calls, painter.bands);
  const std::vector<PdfImage> images = read_pdf_images(setup_.file_path);
  ASSERT_EQ(static_cast<int>(images.size()), painter.bands);
  int covered = 0;
  for (const PdfImage& image : images) {
    EXPECT_EQ(image.colour, "gray");
    EXPECT_EQ(image.bits, 1);
    covered += image.width * image.height;
  }
  EXPECT_EQ(covered, 1200 * 800);
  // Rendered back at the printer's resolution: the frame and the diagonal stand where the
  // window's pixels, doubled, put them; the inside stays white.
  const GreyPage page = render_grey_page(setup_.file_path, 1, 300, (folder_ / "page").string());
  ASSERT_EQ(page.width, caps_.paper_width);
  EXPECT_LT(page.at(101, 101), 128);   // top-left corner of the frame
  // The right edge (window x 599 -> 1298..1299), within the renderer's own pixel.
  EXPECT_LT(std::min(page.at(1298, 500), page.at(1299, 500)), 128);
  EXPECT_GT(page.at(1301, 500), 200);
  EXPECT_LT(page.at(700, 500), 128);   // the diagonal
  EXPECT_GT(page.at(700, 300), 200);   // inside, off the diagonal
  EXPECT_GT(page.at(50, 50), 200);     // outside the destination
}

TEST_F(WindowImage, NothingToPrintAndACancelledJob) {
  PrintJob* job = begin("none.pdf");
  const PrintableWindow window{600, 400, 0, 0, 0xFFFFFF};
  Painter painter;
  // A destination that misses the clip prints nothing and succeeds.
  EXPECT_EQ(print_window_image(&window, job, 5000, 5000, 100, 100, {0, 0, 2480, 3508},
                               WindowPrintOptions{}, paint_frame, &painter, nullptr, nullptr),
            1);
  EXPECT_EQ(painter.bands, 0);
  const PrintableWindow empty{0, 400, 0, 0, 0xFFFFFF};
  EXPECT_EQ(print_window_image(&empty, job, 0, 0, 100, 100, {0, 0, 2480, 3508},
                               WindowPrintOptions{}, paint_frame, &painter, nullptr, nullptr),
            1);
  EXPECT_EQ(print_window_image(nullptr, job, 0, 0, 100, 100, {0, 0, 2480, 3508},
                               WindowPrintOptions{}, paint_frame, &painter, nullptr, nullptr),
            0);
  // A progress callback that says stop after the second band ends the job with 0.
  painter.cancel_after = 2;
  EXPECT_EQ(print_window_image(&window, job, 0, 0, 2400, 3000, {0, 0, 2480, 3508},
                               WindowPrintOptions{}, paint_frame, &painter, count_progress,
                               &painter),
            0);
  EXPECT_EQ(painter.bands, 2);
  print_abort(job);
  EXPECT_FALSE(std::filesystem::exists(setup_.file_path));
  EXPECT_FALSE(std::filesystem::exists(print_temp_path(setup_.file_path)));
}

}  // namespace
