// The whole program, headless, opens a job that names a PNG at 100 pixels an inch placed at
// (0, 0): the picture shows the image's pixels where the view maps them, behind the drawing;
// a job that hides its image shows white there.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "job/background_image.h"
#include "job/job_file.h"
#include "tests/editor/page_script_fixture.h"
#include "tests/support/test_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr int IMAGE_W = 100;  // pixels: the left half red, the right half blue
constexpr int IMAGE_H = 50;

void write_halves_png(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, IMAGE_W, IMAGE_H, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(IMAGE_W * 3, 0);
  for (int x = 0; x < IMAGE_W; ++x) row[3 * x + (x < IMAGE_W / 2 ? 0 : 2)] = 255;
  for (int y = 0; y < IMAGE_H; ++y) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

class BackgroundImageScriptTest : public PageScriptFixture {
 protected:
  BackgroundImageScriptTest() : PageScriptFixture("brenvik-background-image") {}
  void SetUp() override {
    PageScriptFixture::SetUp();
    write_halves_png((folder_ / "jobs" / "halves.png").string());
  }

  void TearDown() override {
    g_image_record = ImageRecord{};
    PageScriptFixture::TearDown();
  }

  // A job of one line (0,0)-(2,1) naming the image at 100 pixels an inch at (0, 0).
  void write_job(const char* name, bool hidden) {
    reset_job_settings();
    push_list();
    clear_current_list();
    add_polyline({{0, 0}, {2, 1}}, 1);
    g_image_record = ImageRecord{};
    std::snprintf(g_image_record.path, IMAGE_PATH_SIZE, "%s", (folder_ / "jobs" / "halves.png").c_str());
    g_image_record.user_pixels_per_inch = 100.0f;
    g_image_record.pixels_per_inch = 100.0f;
    g_image_record.placed = 1;
    g_image_record.hidden = hidden ? 1 : 0;
    ASSERT_EQ(write_job_to_path((folder_ / "jobs" / name).string()), 0);
    g_image_record = ImageRecord{};
    free_current_list();
    pop_list();
  }

  // The client pixel of a world point once the line's extents are fitted at 85 %.
  static std::string expect_at(PointF p, const char* colour) {
    int x = 0, y = 0;
    world_to_screen(p, &x, &y);
    y += g_view.area_top;
    char line[64];
    std::snprintf(line, sizeof line, "expect-pixel %d %d %s\n", x, y, colour);
    return line;
  }

  void fit_view() {
    ViewState& v = g_view;
    v.extent_min_x = 0.0f;
    v.extent_min_y = 0.0f;
    v.extent_max_x = 2.0f;
    v.extent_max_y = 1.0f;
    set_view_to_extents();
    zoom_by(0.85f);
    pan_to_window(0);
  }

  int run(const std::string& job_initial, const std::string& expectations) {
    return PageScriptFixture::run("move 5 400\nkey Ctrl+O\nwait 100\ntype " + job_initial +
                                  "\nkey Enter\nwait 300\npng opened\n" + expectations +
                                  "close\n");
  }

  std::string errors() { return read_file_bytes((folder_ / "stderr.txt").string()); }

};

TEST_F(BackgroundImageScriptTest, TheImageShowsWhereTheViewMapsIt) {
  write_job("shown.job", false);
  fit_view();
  // The image covers (0, 0)-(1, 0.5): red on its left half, blue on its right; beyond it white.
  std::string expectations = expect_at({0.25f, 0.4f}, "FF0000") + expect_at({0.05f, 0.45f}, "FF0000") +
                             expect_at({0.75f, 0.1f}, "0000FF") + expect_at({0.95f, 0.02f}, "0000FF") +
                             expect_at({1.5f, 0.2f}, "FFFFFF") + expect_at({0.25f, 0.6f}, "FFFFFF");
  ASSERT_EQ(run("s", expectations), 0) << errors();
  EXPECT_EQ(errors().find("expected"), std::string::npos) << errors();
}

TEST_F(BackgroundImageScriptTest, AHiddenImageIsGone) {
  write_job("hidden.job", true);
  fit_view();
  const std::string expectations = expect_at({0.25f, 0.4f}, "FFFFFF") + expect_at({0.75f, 0.1f}, "FFFFFF");
  ASSERT_EQ(run("h", expectations), 0) << errors();
  EXPECT_EQ(errors().find("expected"), std::string::npos) << errors();
}

}  // namespace
