// The background image of a job: loading with its resolution (asked for when the file has none),
// the first place and the kept one (hidden too), failures told once and the name kept, the extension table,
// saving through a temporary file with the resolution in use, conversions that keep the old
// image when they fail, straightening and fading arithmetic, and where the image falls on screen.
#include <cmath>

#include "job/background_image.h"
#include "job/job_file.h"
#include "job/job_host.h"
#include "records/job_settings.h"
#include "tests/job/job_fixture.h"
#include "tests/platform/image_bytes.h"
#include "tests/platform/image_fixture.h"

namespace {

class BackgroundImageTest : public JobTest {
 protected:
  void SetUp() override {
    JobTest::SetUp();
    reset_background_image();
    reset_image_library();
    open_built_catalogue();
  }
  void TearDown() override {
    reset_background_image();
    reset_image_library();
    JobTest::TearDown();
  }

  // Names the file in the record and loads it.
  int load(const std::string& file) {
    reset_background_image();
    std::snprintf(g_image_record.path, IMAGE_PATH_SIZE, "%s", file.c_str());
    return load_background_image();
  }

  void write_bytes(const std::string& file, const ImageBytes& bytes) {
    write_file_bytes(file, std::string(bytes.begin(), bytes.end()));
  }

  // A 24-bit picture of w x h written as a BMP at `ppm`.
  std::string colour_bmp(const std::string& name, int w, int h, uint32_t ppm = 3937) {
    ImageBytes bytes = bmp_bytes(w, h, 24, 0);
    bytes = with_u32(with_u32(bytes, 38, ppm), 42, ppm);
    write_bytes(path(name), bytes);
    return path(name);
  }

  const std::vector<std::string>& shown() const { return g_job_host_log.messages; }
};

// ---- Resolution --------------------------------------------------------------------------------

TEST_F(BackgroundImageTest, ResolutionComesFromTheFileOrTheUser) {
  const struct {
    const char* name;
    std::function<void(const std::string&)> write;
    std::vector<double> answers;  // typed to the question, in turn; none: Esc
    float pixels_per_inch;
    float user_pixels_per_inch;
    size_t questions;
  } cases[] = {
      {"at3937.bmp", [](const std::string& p) {
         const ImageBytes b = bmp_bytes(9, 5, 24, 0);  // 3937 pixels a metre
         write_file_bytes(p, std::string(b.begin(), b.end()));
       }, {}, 100, 0, 0},
      {"dpi300.pcx", [](const std::string& p) {
         const ImageBytes b = planar_pcx(13, 7, 1, 300);
         write_file_bytes(p, std::string(b.begin(), b.end()));
       }, {}, 300, 0, 0},
      {"dpi300.tif", [](const std::string& p) {
         TiffSpec s;
         s.x_resolution = 300;
         write_tiff_file(p, s);
       }, {}, 300, 0, 0},
      {"cm118.tif", [](const std::string& p) {
         TiffSpec s;
         s.x_resolution = 118.11f;
         s.resolution_unit = RESUNIT_CENTIMETER;
         write_tiff_file(p, s);
       }, {}, 300, 0, 0},
      // PNG, JPEG and TGA give none: the user is asked; 0 and less ask again; Esc gives 100.
      {"asked.png", [](const std::string& p) { write_png_file(p, PngSpec{}); }, {0, -3, 250}, 250, 250, 3},
      {"escaped.png", [](const std::string& p) { write_png_file(p, PngSpec{}); }, {}, 100, 0, 1},
      {"dpi96.jpg", [](const std::string& p) {
         JpegSpec s;
         s.density_unit = 1;
         s.density = 96;
         write_jpeg_file(p, s);
       }, {72}, 72, 72, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = path(c.name);
    c.write(file);
    g_job_host_log = JobHostLog{};
    g_job_host_log.number_answers = c.answers;
    ASSERT_EQ(load(file), 0) << g_image_library.error;
    EXPECT_EQ(g_image_record.status, IMAGE_SHOWN);
    EXPECT_FLOAT_EQ(g_image_record.pixels_per_inch, c.pixels_per_inch);
    EXPECT_FLOAT_EQ(g_image_record.user_pixels_per_inch, c.user_pixels_per_inch);
    EXPECT_EQ(g_job_host_log.number_prompts.size(), c.questions);
    EXPECT_EQ(load_background_image(), 1);  // shown already
  }
}

TEST_F(BackgroundImageTest, TheUsersResolutionWinsUntilReloaded) {
  const std::string file = colour_bmp("scan.bmp", 8, 4, 11811);
  std::snprintf(g_image_record.path, IMAGE_PATH_SIZE, "%s", file.c_str());
  g_image_record.user_pixels_per_inch = 150.0f;
  ASSERT_EQ(load_background_image(), 0);
  EXPECT_FLOAT_EQ(g_image_record.pixels_per_inch, 150.0f);
  g_image_record.origin_x = 7.0f;
  ASSERT_EQ(reload_background_image(), 0);
  EXPECT_FLOAT_EQ(g_image_record.pixels_per_inch, 300.0f);
  EXPECT_FLOAT_EQ(g_image_record.user_pixels_per_inch, 0.0f);
  EXPECT_FLOAT_EQ(g_image_record.origin_x, 7.0f);
}

TEST_F(BackgroundImageTest, ScaleByTwoLengthsAsksAgainForNothing) {
  const std::string file = colour_bmp("scan.bmp", 8, 4);
  ASSERT_EQ(load(file), 0);
  EXPECT_EQ(set_image_scale(0.0, 2.0), -1);
  EXPECT_EQ(set_image_scale(2.0, 0.0), -1);
  EXPECT_EQ(set_image_scale(2.0, -1.0), -1);
  EXPECT_FLOAT_EQ(g_image_record.pixels_per_inch, 100.0f);
  ASSERT_EQ(set_image_scale(2.0, 1.0), 0);  // what measured 2 is 1 long: twice the pixels an inch
  EXPECT_FLOAT_EQ(g_image_record.pixels_per_inch, 200.0f);
  EXPECT_FLOAT_EQ(g_image_record.user_pixels_per_inch, 200.0f);
  EXPECT_EQ(image_zoom_scale(0.0, JOB_UNITS_INCH), -1.0);
  EXPECT_DOUBLE_EQ(image_zoom_scale(2.0, JOB_UNITS_INCH), 400.0);
}

// ---- Place -------------------------------------------------------------------------------------

TEST_F(BackgroundImageTest, SizeInDrawingUnits) {
  const std::string file = colour_bmp("scan.bmp", 100, 50);
  ASSERT_EQ(load(file), 0);
  double width = 0, height = 0;
  image_size_in_units(g_image_record, JOB_UNITS_INCH, &width, &height);
  EXPECT_DOUBLE_EQ(width, 1.0);
  EXPECT_DOUBLE_EQ(height, 0.5);
  // A millimetre job measures the same inch in millimetres.
  image_size_in_units(g_image_record, JOB_UNITS_MILLIMETRE, &width, &height);
  EXPECT_DOUBLE_EQ(width, 25.4);
  EXPECT_DOUBLE_EQ(height, 12.7);
}

TEST_F(BackgroundImageTest, CentredTheFirstTimeInPlaceWhenTheJobIsReopened) {
  const std::string file = colour_bmp("scan.bmp", 100, 50);
  g_job_host_log.view_centre_x = 3.0;
  g_job_host_log.view_centre_y = 2.0;
  ASSERT_EQ(load(file), 0);
  EXPECT_FLOAT_EQ(g_image_record.origin_x, 2.5f);
  EXPECT_FLOAT_EQ(g_image_record.origin_y, 1.75f);
  EXPECT_EQ(g_image_record.placed, 1);
  g_image_record.origin_x = -4.0f;
  g_image_record.hidden = 1;  // the user's choice travels with the job
  ASSERT_EQ(write_job_to_path(path("job.job")), 0);
  g_job_host_log.view_centre_x = 40.0;
  ASSERT_EQ(read_job_file(path("job.job"), "%s"), 0);
  EXPECT_EQ(g_image_record.status, IMAGE_NOT_LOADED);
  ASSERT_EQ(load_background_image(), 0);
  EXPECT_FLOAT_EQ(g_image_record.origin_x, -4.0f);
  EXPECT_FLOAT_EQ(g_image_record.origin_y, 1.75f);
  EXPECT_NE(g_image_record.image.image, nullptr);
  EXPECT_EQ(g_image_record.hidden, 1);
  // A file chosen anew shows, at its own resolution.
  g_image_record.user_pixels_per_inch = 55.0f;
  g_job_host_log.chosen_file = file;
  ASSERT_EQ(choose_image_file(), 1);
  EXPECT_EQ(g_image_record.hidden, 0);
  EXPECT_FLOAT_EQ(g_image_record.user_pixels_per_inch, 0.0f);
}

TEST_F(BackgroundImageTest, ScreenRectanglesAreWorkedWithoutWrapping) {
  const std::string file = colour_bmp("scan.bmp", 100, 50);
  ASSERT_EQ(load(file), 0);
  g_image_record.origin_x = 0.0f;
  g_image_record.origin_y = 0.0f;
  const struct {
    const char* name;
    ImageViewport view;
    bool seen;
    CanvasRect dest;
    CanvasRect source;
  } cases[] = {
      // 100 pixels an inch at 100 pixels an inch: one to one, the left edge 1 inch in.
      {"one to one", {-1.0, 2.0, 100.0, 800, 600}, true, {100, 150, 200, 200}, {0, 0, 100, 50}},
      {"twice", {0.0, 1.0, 200.0, 800, 600}, true, {0, 100, 200, 200}, {0, 0, 100, 50}},
      {"right of the view", {-9.0, 1.0, 100.0, 800, 600}, false, {}, {}},
      {"left of the view", {1.0, 1.0, 100.0, 800, 600}, false, {}, {}},
      {"far off", {-1e30, 1.0, 100.0, 800, 600}, false, {}, {}},
      // Far beyond the canvas's reach but whole: still stretched whole, the canvas clips.
      {"near", {0.505, 0.2505, 1e9, 800, 600}, true, {-505000000, -249500000, 495000000, 250500000}, {0, 0, 100, 50}},
      // So near that the whole would not fit: only the pixels seen, their far ends held in reach.
      {"very near", {0.505, 0.2505, 1e12, 800, 600}, true, {-1073741824, -1073741824, 1073741824, 500000000},
       {50, 24, 51, 25}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CanvasRect dest{}, source{};
    ASSERT_EQ(image_screen_rectangles(g_image_record, JOB_UNITS_INCH, c.view, &dest, &source), c.seen);
    if (!c.seen) continue;
    EXPECT_EQ(std::vector<int>({dest.left, dest.top, dest.right, dest.bottom}),
              std::vector<int>({c.dest.left, c.dest.top, c.dest.right, c.dest.bottom}));
    EXPECT_EQ(std::vector<int>({source.left, source.top, source.right, source.bottom}),
              std::vector<int>({c.source.left, c.source.top, c.source.right, c.source.bottom}));
  }
  g_image_record.hidden = 1;
  CanvasRect dest{}, source{};
  EXPECT_FALSE(image_screen_rectangles(g_image_record, JOB_UNITS_INCH, cases[0].view, &dest, &source));
}

TEST_F(BackgroundImageTest, MarkedForRedrawOnlyWhenShownAndNoFullRedrawComes) {
  EXPECT_EQ(mark_image_for_redraw(false), 0);
  ASSERT_EQ(load(colour_bmp("scan.bmp", 8, 4)), 0);
  EXPECT_EQ(mark_image_for_redraw(true), 0);
  EXPECT_EQ(g_image_record.draw_pending, 0);
  EXPECT_EQ(mark_image_for_redraw(false), 1);
  EXPECT_EQ(g_image_record.draw_pending, 1);
}

// ---- Names and failures ------------------------------------------------------------------------

TEST_F(BackgroundImageTest, ExtensionsMatchWholeEntries) {
  const struct {
    const char* path;
    int loader;
  } cases[] = {
      {"a.tif", IMAGE_LOADER_TIF}, {"a.TIF", IMAGE_LOADER_TIF},      {"/x.bmp/a.Png", IMAGE_LOADER_PNG},
      {".pcx", IMAGE_LOADER_PCX},  {"a.gif", IMAGE_LOADER_GIF},      {"a.bif", IMAGE_LOADER_BIF},
      {"a.ifp", -1},               {"a.tifpcx", -1},                 {"a.jpeg", -1},
      {"a.if", -1},                {"a.", -1},                       {"tif", -1},
      {"/x.tif/a", -1},            {"a.fpc", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(image_loader_of(c.path), c.loader) << c.path;
}

TEST_F(BackgroundImageTest, ChosenPathsMustFitTheRecord) {
  const std::string folder = path("");
  std::string longest = folder + std::string(IMAGE_PATH_SIZE - 1 - folder.size() - 4, 'n') + ".png";
  ASSERT_EQ(longest.size(), IMAGE_PATH_SIZE - 1);
  g_job_host_log.chosen_file = longest;
  EXPECT_EQ(choose_image_file(), 1);
  EXPECT_EQ(std::string(g_image_record.path), longest);
  EXPECT_EQ(g_background_image.last_folder + "/", folder);
  g_job_host_log.chosen_file = longest.substr(0, longest.size() - 4) + "x.png";
  EXPECT_EQ(choose_image_file(), -1);
  EXPECT_EQ(std::string(g_image_record.path), longest);  // never cut
  ASSERT_FALSE(shown().empty());
  EXPECT_NE(shown().back().find("longer than 259"), std::string::npos);
  g_job_host_log.chosen_file = "";
  EXPECT_EQ(choose_image_file(), 0);
}

TEST_F(BackgroundImageTest, FailuresAreToldOnceAndTheNameIsKept) {
  const struct {
    const char* name;
    const char* contents;
    int8_t status;
    const char* words;
  } cases[] = {
      {"missing.png", nullptr, IMAGE_FILE_NOT_FOUND, "not found"},
      {"anim.gif", "GIF89a", IMAGE_CANNOT_SHOW, "GIF"},
      {"old.bif", "whatever", IMAGE_CANNOT_SHOW, "BIF"},
      {"broken.png", "\x89PNG\r\n\x1a\n", IMAGE_CANNOT_SHOW, "cut short"},
      {"notes.txt", "text", IMAGE_CANNOT_SHOW, "extension"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.contents != nullptr) write_file_bytes(path(c.name), c.contents);
    g_job_host_log.messages.clear();
    EXPECT_EQ(load(path(c.name)), -1);
    EXPECT_EQ(g_image_record.status, c.status);
    EXPECT_EQ(std::string(g_image_record.path), path(c.name));
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_NE(shown()[0].find("The image"), std::string::npos);
    EXPECT_NE(shown()[0].find(c.name), std::string::npos);
    EXPECT_NE(shown()[0].find(c.words), std::string::npos) << shown()[0];
    // A redraw later neither reads the file again nor says it again.
    EXPECT_EQ(load_background_image(), -1);
    EXPECT_EQ(shown().size(), 1u);
    EXPECT_NE(image_info_text().find(c.status == IMAGE_FILE_NOT_FOUND ? "Image file not found" : "Cannot show that image."),
              std::string::npos);
  }
}

TEST_F(BackgroundImageTest, AMovedImageIsFoundBesideItsJob) {
  const std::string file = colour_bmp("scan.bmp", 8, 4);
  g_job_file.full_path = path("job.job");
  ASSERT_EQ(load("/no/such/folder/scan.bmp"), 0);
  EXPECT_EQ(std::string(g_image_record.path), file);
}

TEST_F(BackgroundImageTest, FreeingClearsTheRecordAndSaysWhetherAnythingWasLoaded) {
  ASSERT_EQ(load(colour_bmp("scan.bmp", 8, 4)), 0);
  EXPECT_EQ(g_background_image.work.image, nullptr);  // the working image was handed over
  EXPECT_EQ(free_background_image(), 0);
  EXPECT_EQ(g_image_record.path[0], '\0');
  EXPECT_EQ(g_image_record.image.image, nullptr);
  EXPECT_EQ(free_background_image(), 1);
}

TEST_F(BackgroundImageTest, InformationBox) {
  ASSERT_EQ(load(colour_bmp("scan.bmp", 100, 50, 11811)), 0);
  std::string text = image_info_text();
  EXPECT_NE(text.find("File name: \vscan.bmp"), std::string::npos) << text;
  EXPECT_NE(text.find("Pixels per inch: \v300\x13"), std::string::npos) << text;
  EXPECT_NE(text.find("100 by 50 pixels"), std::string::npos) << text;
  EXPECT_NE(text.find("0.33 by 0.17 inches"), std::string::npos) << text;
  EXPECT_EQ(text.find("You specified this"), std::string::npos);
  set_image_scale(1.0, 2.0);
  g_image_record.hidden = 1;
  text = image_info_text();
  EXPECT_NE(text.find("Pixels per inch: \v150\x13  \x0e(You specified this)"), std::string::npos) << text;
  EXPECT_NE(text.find("You set image to be hidden"), std::string::npos);
}

// ---- Saving ------------------------------------------------------------------------------------

TEST_F(BackgroundImageTest, SavedFilesOpenAgainAtTheResolutionInUse) {
  for (const char* extension : {"tif", "bmp", "pcx"}) {
    SCOPED_TRACE(extension);
    ASSERT_EQ(load(colour_bmp("scan.bmp", 20, 10)), 0);
    ASSERT_EQ(set_image_scale(100.0, 81.3), 0);  // 123.0 pixels an inch, from the user
    const std::string target = path(std::string("saved.") + extension);
    g_job_host_log.chosen_save_file = target;
    ASSERT_EQ(save_image_file(1), 0) << g_image_library.error;
    EXPECT_EQ(g_job_host_log.save_proposal, path("scan.bmp"));
    // The shown image keeps its colours, whatever the PCX file had to take.
    EXPECT_EQ(g_image_record.image.image->bits, 24);
    ASSERT_EQ(load(target), 0) << g_image_library.error;
    EXPECT_FLOAT_EQ(g_image_record.pixels_per_inch, 123.0f);
    EXPECT_EQ(g_image_record.image.image->bits, std::string(extension) == "pcx" ? 8 : 24);
  }
}

TEST_F(BackgroundImageTest, SavingOverTheImageKeepsItUntilTheNewOneIsWhole) {
  const std::string file = colour_bmp("scan.bmp", 20, 10);
  const std::string before = read_file_bytes(file);
  ASSERT_EQ(load(file), 0);
  image_in_place(IMAGE_OP_NEGATIVE, &g_image_record.image);
  fail_nth_save_write(2);
  EXPECT_EQ(save_image_file(0), -1);
  EXPECT_EQ(read_file_bytes(file), before);
  ASSERT_FALSE(shown().empty());
  EXPECT_EQ(shown().back().rfind(IMAGE_NOT_SAVED_TEXT, 0), 0u);
  fail_nth_save_write(0);
  ASSERT_EQ(save_image_file(0), 0);
  EXPECT_NE(read_file_bytes(file), before);
  EXPECT_FALSE(std::filesystem::exists(path("scan.TMP")));
}

TEST_F(BackgroundImageTest, OnlyTifPcxAndBmpAreSaved) {
  ASSERT_EQ(load(colour_bmp("scan.bmp", 20, 10)), 0);
  g_job_host_log.chosen_save_file = path("saved.png");
  EXPECT_EQ(save_image_file(1), -1);
  EXPECT_FALSE(std::filesystem::exists(path("saved.png")));
  ASSERT_FALSE(shown().empty());
  EXPECT_EQ(shown().back().rfind(IMAGE_NOT_SAVED_TEXT, 0), 0u);
  g_job_host_log.chosen_save_file = "";
  const size_t messages = shown().size();
  EXPECT_EQ(save_image_file(1), -1);  // cancelled: nothing to say
  EXPECT_EQ(shown().size(), messages);
}

// ---- Conversions -------------------------------------------------------------------------------

TEST_F(BackgroundImageTest, ConversionsKeepSizeAndResolution) {
  ASSERT_EQ(load(colour_bmp("scan.bmp", 20, 10, 11811)), 0);
  ImageDescriptor& image = g_image_record.image;
  ASSERT_EQ(convert_image_depth(1, &image), 0);
  EXPECT_EQ(image.image->bits, 8);
  EXPECT_TRUE(image.image->grey);
  ASSERT_EQ(convert_image_depth(0, &image), 0);
  EXPECT_EQ(image.image->bits, 1);
  ASSERT_EQ(rotate_image_quarter(0, &image), 0);
  EXPECT_EQ(image.image->bits, 1);
  EXPECT_EQ(image.image->width, 10);
  EXPECT_EQ(image.image->height, 20);
  ASSERT_EQ(expand_image_to_24bit(&image), 0);
  EXPECT_EQ(image.image->bits, 24);
  ASSERT_EQ(reduce_image_colours(&image), 0);
  EXPECT_EQ(image.image->bits, 8);
  EXPECT_LE(image.image->palette.size(), 2u);
  // An 8-bit image of 16 colours or fewer is left as it is.
  const ImagePixels* before = image.image.get();
  ASSERT_EQ(reduce_image_colours(&image), 0);
  EXPECT_EQ(image.image.get(), before);
  ASSERT_EQ(rotate_image_by_angle(30.0, &image), 0);
  EXPECT_EQ(image.image->width, static_cast<int>(std::lround(10 * std::cos(M_PI / 6) + 20 * 0.5)));
  EXPECT_EQ(image.image->x_pixels_per_metre, 11811);
  // A failed step keeps the image.
  before = image.image.get();
  EXPECT_EQ(rotate_image_by_angle(std::nan(""), &image), -1);
  EXPECT_EQ(rotate_image_quarter(2, &image), -1);
  EXPECT_EQ(image.image.get(), before);
}

TEST_F(BackgroundImageTest, CopiesAreImagesOfTheirOwn) {
  ASSERT_EQ(load(colour_bmp("scan.bmp", 20, 10, 11811)), 0);
  ImageDescriptor copy;
  ASSERT_EQ(copy_image_buffer(g_image_record.image, &copy), 0);
  EXPECT_NE(copy.image, g_image_record.image.image);
  EXPECT_EQ(copy.image->rows, g_image_record.image.image->rows);
  EXPECT_EQ(copy.image->x_pixels_per_metre, 11811);
  EXPECT_EQ(alloc_work_image(1, 5, 8), -1);
  ASSERT_EQ(alloc_work_image(5, 5, 8), 0);
  EXPECT_TRUE(test_work_image_grey());
  g_background_image.work.image->palette = {0, 0xFFFFFF};
  EXPECT_FALSE(test_work_image_grey());
}

// ---- Straightening and fading ------------------------------------------------------------------

TEST_F(BackgroundImageTest, DeviationFromTheNearestAxis) {
  const struct {
    double line, deviation;
  } cases[] = {{92, 2}, {44, 44}, {46, -44}, {3, 3}, {358, -2}, {181, 1}, {270, 0}, {0, 0}, {-3, -3}, {225, 45}, {226, -44}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(straighten_deviation(c.line), c.deviation) << c.line;
}

TEST_F(BackgroundImageTest, StraighteningTurnsBackByTheDeviation) {
  ASSERT_EQ(load(colour_bmp("scan.bmp", 40, 20)), 0);
  // An 8-bit colour image is turned in 24 bits, a 1-bit one in grey.
  ASSERT_EQ(reduce_image_colours(&g_image_record.image), 0);
  ASSERT_EQ(prepare_straighten_image(), 0);
  EXPECT_EQ(g_background_image.work.image->bits, 24);
  ASSERT_EQ(straighten_by(straighten_deviation(92.0)), 0);
  EXPECT_EQ(g_background_image.work.image, nullptr);
  EXPECT_EQ(g_image_record.image.image->width, static_cast<int>(std::lround(40 * std::cos(M_PI / 90) + 20 * std::sin(M_PI / 90))));
}

TEST_F(BackgroundImageTest, FaintnessInWholeNumbers) {
  ImageDescriptor image, copy;
  ASSERT_EQ(image_alloc(&image, 256, 2, 8), IMAGE_OK);
  for (int x = 0; x < 256; ++x) image.image->rows[x] = image.image->rows[image.image->row_bytes + x] = static_cast<uint8_t>(x);
  ASSERT_EQ(prepare_image_faintness(&image, &copy), 0);
  const struct {
    int faintness, level, becomes;
  } cases[] = {{0, 0, 0}, {0, 200, 200}, {100, 0, 255}, {100, 37, 255}, {50, 0, 128}, {50, 255, 255}, {50, 100, 178}, {10, 10, 35}};
  for (const auto& c : cases) {
    EXPECT_EQ(fade_image_rows(copy, &image, c.faintness, 0, 2), 2);
    EXPECT_EQ(image_pixel_rgb(image, c.level, 1), static_cast<uint32_t>(c.becomes) * 0x010101u)
        << c.faintness << "% of " << c.level;
  }
  // A part at a time: rows 1 on, then nothing past the end.
  EXPECT_EQ(fade_image_rows(copy, &image, 0, 1, 5), 2);
  // 1-bit images are faded in grey, 8-bit colour ones in 24 bits.
  ImageDescriptor mono, mono_copy;
  ASSERT_EQ(image_alloc(&mono, 8, 2, 1), IMAGE_OK);
  ASSERT_EQ(prepare_image_faintness(&mono, &mono_copy), 0);
  EXPECT_EQ(mono.image->bits, 8);
  EXPECT_EQ(fade_image_rows(mono_copy, &mono, 100, 0, 2), 2);
  EXPECT_EQ(image_pixel_rgb(mono, 3, 0), 0xFFFFFFu);
}

}  // namespace
