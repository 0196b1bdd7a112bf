// The Drawing page's interactions that open boxes and read the catalogue: the rubber box (a
// click, a typed size, a line after the view scrolled) and scaling the drawing to pixels, driven
// by a user who answers whenever the program waits; the Image options on a loaded image and its
// two modes, straightening and fading, as the page runs them through their pending codes.
#include <cmath>
#include <cstring>

#include "editor/button_bindings.h"
#include "editor/drawing_page_state.h"
#include "editor/hover_state.h"
#include "editor/image_commands.h"
#include "editor/image_modes.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/render.h"
#include "editor/rubber_box.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/layers.h"
#include "job/background_image.h"
#include "job/image_record.h"
#include "job/job_host.h"
#include "tests/support/test_folder.h"
#include "store/message_ids.h"
#include "ui/message_box.h"
#include "ui/value_bar.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/pointer.h"
#include "tests/editor/test_view_setting.h"
#include "tests/support/idle_typist.h"
#include "tests/ui/form_fixture.h"

namespace {

class PageDialogsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    reset_layers();
    reset_drawing_page_state();
    reset_page_furniture();
    reset_button_bindings();
    reset_view_state();
    reset_hover_state();
    reset_rubber_box();
    reset_job_settings();
    g_preferences = Preferences{};
    g_preferences.drawing.no_flicker = 0;
    layout_page_tab_strip();
    layout_paint_boxes();
    set_test_view(10.0f, 0.0f, 30.0f);
    // The form has the focus and takes the mouse; the pointer is the program's, resting over
    // the drawing.
    install_main_window_proc();
    g_store_host.show_text_box = show_text_box;
    g_form.active = true;
    g_pointer.released = false;
    g_pointer.wanted_x = g_pointer.drawn_x = 300;
    g_pointer.wanted_y = g_pointer.drawn_y = 200;
    warp_cursor_to_pointer();
    pump_messages();
    flush_input();
    start_typist();
  }

  void TearDown() override {
    pump_set_idle_handler(nullptr);
    restore_window_proc();
    g_store_host.show_text_box = nullptr;
    free_current_list();
    reset_view_state();
    FormTest::TearDown();
  }
};

TEST_F(PageDialogsTest, AClickAnchorsTheBoxAndASecondClickEndsItWithSortedCorners) {
  typist_move(250, 220);
  typist_click(250, 220);
  typist_move(150, 150);
  typist_click(150, 150);
  CanvasPoint c1, c2;
  EXPECT_EQ(track_rubber_box(MSG_RUBBER_ZOOM, 1, &c1, &c2), RUBBER_DONE);
  const int top = g_view.area_top;
  EXPECT_EQ(c1.x, 150);
  EXPECT_EQ(c1.y, 150 - top);
  EXPECT_EQ(c2.x, 250);
  EXPECT_EQ(c2.y, 220 - top);
}

TEST_F(PageDialogsTest, ATypedSizeOfFiveAndNothingIsTakenAndWrittenForTheCaller) {
  typist_text("5");
  typist_text(",0");
  typist_key(VK_RETURN);
  typist_click(300, 200);
  CanvasPoint c1, c2;
  EXPECT_EQ(track_rubber_box(MSG_RUBBER_TEXT, 0x20002, &c1, &c2), RUBBER_SIZE_TYPED);
  EXPECT_STREQ(message_text(), "5.000000,0.000000");
  // Five units high at ten pixels a unit, and no length.
  EXPECT_EQ(c2.y - c1.y, 50);
  EXPECT_EQ(c2.x - c1.x, 0);
}

TEST_F(PageDialogsTest, ADraggedLineAfterTheViewScrolledIsCancelled) {
  const float left = g_view.view_left;
  typist_move(0, 200);  // the left edge: the view scrolls left
  typist_click(0, 200);
  CanvasPoint c1, c2;
  EXPECT_EQ(track_rubber_box(MSG_RUBBER_PAN, RUBBER_DIRECTED, &c1, &c2), RUBBER_CANCELLED);
  EXPECT_LT(g_view.view_left, left);
}

TEST_F(PageDialogsTest, ScalingTheDrawingToPixelsAsksAgainForZeroAndTakesAWidth) {
  // A drawing 10 units wide and 4 high.
  g_view.extent_min_x = 0.0f;
  g_view.extent_max_x = 10.0f;
  g_view.extent_min_y = 0.0f;
  g_view.extent_max_y = 4.0f;
  typist_text("0");
  typist_key(VK_RETURN);
  typist_text("W120");
  typist_key(VK_RETURN);
  run_image_option(IMAGE_OPTION_SCALE_DRAWING);
  EXPECT_NEAR(g_view.scale_x, 12.0f, 0.01f);
  // A measured length of nothing asks again; Esc then leaves the scale alone.
  g_view.extent_max_y = 0.0f;
  typist_text("40");
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);
  run_image_option(IMAGE_OPTION_SCALE_DRAWING);
  EXPECT_NEAR(g_view.scale_x, 12.0f, 0.01f);
  EXPECT_TRUE(std::isfinite(g_view.view_left));
}

TEST_F(PageDialogsTest, ImageOptionsWithoutAnImageSayNoImageWasChosenButShowHideWorks) {
  typist_key(VK_RETURN);
  EXPECT_EQ(run_image_option(475), ImageResult::SHORT_PASS);
  EXPECT_NE(std::string(g_message_box.last_text).find("No image has been chosen"), std::string::npos)
      << g_message_box.last_text;
  run_image_option(IMAGE_OPTION_SHOW_HIDE);
  EXPECT_EQ(g_image_record.hidden, 1);
}

// ---- Options on a loaded image -----------------------------------------------------------------

class ImageOptionsTest : public PageDialogsTest {
 protected:
  void SetUp() override {
    PageDialogsTest::SetUp();
    reset_background_image();
    reset_job_host();
    folder_ = make_test_folder("brenvik_image_options");
  }
  void TearDown() override {
    reset_background_image();
    reset_job_host();
    std::filesystem::remove_all(folder_);
    PageDialogsTest::TearDown();
  }

  // An image (4 x 2 unless said) at 100 pixels an inch, its top-left pixel red and the rest
  // white, loaded.
  void load_picture(int bits, int width = 4, int height = 2) {
    ImageDescriptor image;
    ASSERT_EQ(image_alloc(&image, width, height, 24), IMAGE_OK);
    image_fill(&image, 255);
    // Rows are stored bottom first.
    uint8_t* top = image.image->rows.data() + static_cast<size_t>(height - 1) * image.image->row_bytes;
    top[0] = top[1] = 0;
    image.image->x_pixels_per_metre = image.image->y_pixels_per_metre = 3937;
    const std::string file = (folder_ / "picture.bmp").string();
    ASSERT_EQ(image_save_bmp(file.c_str(), image), IMAGE_OK);
    std::snprintf(g_image_record.path, IMAGE_PATH_SIZE, "%s", file.c_str());
    ASSERT_EQ(load_background_image(), 0);
    if (bits == 1) {
      ASSERT_EQ(convert_image_depth(0, &g_image_record.image), 0);
    }
  }

  uint32_t pixel(int x, int y) const { return image_pixel_rgb(g_image_record.image, x, y); }

  std::filesystem::path folder_;
};

TEST_F(ImageOptionsTest, InPlaceOptionsAndTurnsChangeTheShownImage) {
  load_picture(24);
  EXPECT_EQ(run_image_option(IMAGE_OPTION_MIRROR), ImageResult::SHORT_PASS);
  EXPECT_EQ(pixel(3, 0), 0xFF0000u);  // the red corner went right
  run_image_option(IMAGE_OPTION_FLIP);
  EXPECT_EQ(pixel(3, 1), 0xFF0000u);  // and down
  run_image_option(474);              // half a turn takes it back
  EXPECT_EQ(pixel(0, 0), 0xFF0000u);
  run_image_option(IMAGE_OPTION_NEGATIVE);
  EXPECT_EQ(pixel(0, 0), 0x00FFFFu);
  EXPECT_EQ(pixel(1, 1), 0x000000u);
  run_image_option(IMAGE_OPTION_TURN_RIGHT);
  EXPECT_EQ(g_image_record.image.image->width, 2);
  EXPECT_EQ(pixel(1, 0), 0x00FFFFu);  // clockwise: the top-left corner goes top-right
  run_image_option(IMAGE_OPTION_GREY);
  EXPECT_TRUE(image_is_grey(g_image_record.image));
}

TEST_F(ImageOptionsTest, AnyOptionShowsAHiddenImage) {
  load_picture(24);
  run_image_option(IMAGE_OPTION_SHOW_HIDE);
  EXPECT_EQ(g_image_record.hidden, 1);
  run_image_option(IMAGE_OPTION_NEGATIVE);
  EXPECT_EQ(g_image_record.hidden, 0);
}

TEST_F(ImageOptionsTest, OutlinesOfAOneBitImageLeaveItOneBit) {
  load_picture(1);
  EXPECT_EQ(run_image_option(IMAGE_OPTION_OUTLINES), ImageResult::SHORT_PASS);
  EXPECT_EQ(g_image_record.image.image->bits, 1);
  EXPECT_EQ(pixel(3, 1), 0xFFFFFFu);  // far from the dark corner: white
}

TEST_F(ImageOptionsTest, ZoomToAnImageFactorAsksAgainForNothing) {
  load_picture(24);
  typist_text("0");
  typist_key(VK_RETURN);
  typist_text("2");
  typist_key(VK_RETURN);
  run_image_option(IMAGE_OPTION_ZOOM_FACTOR);
  EXPECT_NEAR(g_view.scale_x, 200.0f, 0.01f);  // 100 pixels an inch, each two screen pixels
}

TEST_F(ImageOptionsTest, InformationRemovalAndReload) {
  load_picture(24);
  EXPECT_EQ(run_image_option(IMAGE_OPTION_INFO), ImageResult::SHORT_PASS);
  ASSERT_FALSE(g_job_host_log.messages.empty());
  EXPECT_NE(g_job_host_log.messages.back().find("4 by 2 pixels"), std::string::npos);
  run_image_option(IMAGE_OPTION_NEGATIVE);
  EXPECT_EQ(run_image_option(IMAGE_OPTION_RELOAD), ImageResult::IMAGE_CHANGE);
  EXPECT_EQ(pixel(0, 0), 0xFF0000u);  // the file's pixels again
  EXPECT_EQ(run_image_option(IMAGE_OPTION_REMOVE), ImageResult::IMAGE_CHANGE);
  EXPECT_EQ(g_image_record.path[0], '\0');
}

// ---- The straightening and fading modes --------------------------------------------------------

// A press, moves and a release of the left button, as the user drags.
void typist_drag(int x1, int y1, int x2, int y2) {
  g_typist.steps.push_back([=] { headless_inject_mouse_move(x1, y1); });
  g_typist.steps.push_back([=] { headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, x1, y1); });
  g_typist.steps.push_back([=] { headless_inject_mouse_move((x1 + x2) / 2, (y1 + y2) / 2); });
  g_typist.steps.push_back([=] { headless_inject_mouse_move(x2, y2); });
  g_typist.steps.push_back([=] { headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, x2, y2); });
}

// The size an image of w x h takes when turned by `degrees`.
void turned_size(double degrees, int w, int h, int* width, int* height) {
  const double a = degrees * 3.14159265358979323846 / 180.0;
  *width = static_cast<int>(std::lround(std::fabs(std::cos(a)) * w + std::fabs(std::sin(a)) * h));
  *height = static_cast<int>(std::lround(std::fabs(std::sin(a)) * w + std::fabs(std::cos(a)) * h));
}

TEST_F(ImageOptionsTest, StraighteningByADraggedLineTurnsTheImageBackByItsDeviation) {
  load_picture(24, 200, 100);
  ASSERT_EQ(run_image_option(IMAGE_OPTION_STRAIGHTEN), ImageResult::MODE);
  EXPECT_EQ(g_drawing_page.pending_code, PAGE_PENDING_STRAIGHTEN);
  // Nearly upright: 100 pixels up and 3 to the left, 91.72 degrees.
  typist_drag(300, 350, 297, 250);
  typist_key(VK_RETURN);
  g_drawing_page.pending_code = 0;  // the page took it as its event
  EventCode key = 1;
  EXPECT_EQ(image_mode_step(PAGE_PENDING_STRAIGHTEN, &key), ImageResult::SHORT_PASS);
  EXPECT_EQ(key, 0);
  const double line = std::atan2(100.0, -3.0) * 180.0 / 3.14159265358979323846;
  EXPECT_NEAR(g_value_bar.value[0], line, 0.01);
  int width = 0, height = 0;
  turned_size(line - 90.0, 200, 100, &width, &height);
  EXPECT_EQ(g_image_record.image.image->width, width);
  EXPECT_EQ(g_image_record.image.image->height, height);
  EXPECT_EQ(g_drawing_page.pending_code, 0);  // ended for good
  EXPECT_EQ(g_drawing_page.extents_request, 1);
  EXPECT_EQ(g_background_image.work.image, nullptr);
}

TEST_F(ImageOptionsTest, ATypedAngleIsStraightenedAndOneOnAnAxisIsAskedForAgain) {
  struct Case {
    const char* typed;
    double turn;  // degrees the image is turned by
  };
  const Case cases[] = {{"92", -2.0}, {"44", -44.0}, {"-3", 3.0}, {"178", 2.0}};
  for (const Case& c : cases) {
    reset_background_image();
    load_picture(24, 200, 100);
    start_typist();
    run_image_option(IMAGE_OPTION_STRAIGHTEN);
    // A line on the axis first: no turn, the line is asked for again.
    typist_text("90");
    typist_key(VK_RETURN);
    typist_key(VK_RETURN);
    typist_text(c.typed);
    typist_key(VK_RETURN);
    typist_key(VK_RETURN);
    EventCode key = 0;
    EXPECT_EQ(image_mode_step(PAGE_PENDING_STRAIGHTEN, &key), ImageResult::SHORT_PASS) << c.typed;
    int width = 0, height = 0;
    turned_size(c.turn, 200, 100, &width, &height);
    EXPECT_EQ(g_image_record.image.image->width, width) << c.typed;
    EXPECT_EQ(g_image_record.image.image->height, height) << c.typed;
  }
}

TEST_F(ImageOptionsTest, AZoomKeyLeavesStraighteningForThePageAndEscLeavesTheImageAsItWas) {
  load_picture(24, 200, 100);
  run_image_option(IMAGE_OPTION_STRAIGHTEN);
  typist_drag(300, 350, 297, 250);
  typist_text("+");
  EventCode key = 0;
  EXPECT_EQ(image_mode_step(PAGE_PENDING_STRAIGHTEN, &key), ImageResult::MODE);
  EXPECT_EQ(key, KEY_PGUP);  // zoom in, as PgUp
  EXPECT_EQ(g_drawing_page.pending_code, PAGE_PENDING_STRAIGHTEN);  // back after the zoom
  EXPECT_EQ(g_background_image.work.image, nullptr);
  // The mode again: Esc, and nothing was turned.
  typist_key(VK_ESCAPE);
  g_drawing_page.pending_code = 0;
  EXPECT_EQ(image_mode_step(PAGE_PENDING_STRAIGHTEN, &key), ImageResult::SHORT_PASS);
  EXPECT_EQ(g_drawing_page.pending_code, 0);
  EXPECT_EQ(g_image_record.image.image->width, 200);
  EXPECT_EQ(g_image_record.image.image->bits, 24);
  EXPECT_EQ(pixel(0, 0), 0xFF0000u);
}

TEST_F(ImageOptionsTest, FadingByKeysKeepsTheResultOnEnter) {
  load_picture(24);
  ASSERT_EQ(run_image_option(IMAGE_OPTION_FAINTER), ImageResult::MODE);
  EXPECT_EQ(g_drawing_page.pending_code, PAGE_PENDING_FAINTNESS);
  typist_key(VK_UP);     // 1
  typist_key(VK_PRIOR);  // 11
  typist_key(VK_DOWN);   // 10
  typist_key(VK_PRIOR);  // 20
  typist_key(VK_RETURN);
  g_drawing_page.pending_code = 0;
  EventCode key = 1;
  EXPECT_EQ(image_mode_step(PAGE_PENDING_FAINTNESS, &key), ImageResult::SHORT_PASS);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(g_image_faintness.percent, 20);
  // Each channel c: (c * 80 + 50) / 100 + 51.
  EXPECT_EQ(pixel(0, 0), 0xFF3333u);
  EXPECT_EQ(pixel(1, 1), 0xFFFFFFu);
  EXPECT_EQ(g_background_image.work.image, nullptr);
  EXPECT_EQ(g_background_image.faint_copy.image, nullptr);
  EXPECT_EQ(g_drawing_page.pending_code, 0);
}

TEST_F(ImageOptionsTest, FadingAllTheWayIsWhiteAndEscPutsTheImageBack) {
  for (const int bits : {24, 1}) {  // a 1-bit image is faded in grey, and comes back 1-bit
    reset_background_image();
    load_picture(bits);
    start_typist();
    const uint32_t corner = pixel(0, 0);
    run_image_option(IMAGE_OPTION_FAINTER);
    typist_text("100");  // typed into the faintness field
    typist_key(VK_RETURN);
    // While the mode runs the image shown is white; Esc then brings it back.
    uint32_t shown = 0;
    g_typist.steps.push_back([&] {
      shown = pixel(0, 0);
      headless_inject_keystroke(VK_ESCAPE, 0);
    });
    EventCode key = 0;
    EXPECT_EQ(image_mode_step(PAGE_PENDING_FAINTNESS, &key), ImageResult::SHORT_PASS) << bits;
    EXPECT_EQ(shown, 0xFFFFFFu) << bits;
    EXPECT_EQ(g_image_faintness.percent, 100) << bits;
    EXPECT_EQ(g_image_record.image.image->bits, bits);
    EXPECT_EQ(pixel(0, 0), corner) << bits;
    EXPECT_EQ(pixel(1, 1), 0xFFFFFFu) << bits;
    EXPECT_EQ(g_background_image.faint_copy.image, nullptr) << bits;
    EXPECT_EQ(g_image_faintness.original.image, nullptr) << bits;
  }
}

TEST_F(ImageOptionsTest, TheScreenShowsTheImageFadingWhileTheModeRuns) {
  load_picture(24, 200, 100);
  run_image_option(IMAGE_OPTION_NEGATIVE);  // black, but for a corner
  // Two by one inches with its lower-left corner at (5, 20): 20 x 10 pixels at 10 a unit.
  g_job_settings.units = JOB_UNITS_INCH;
  g_image_record.origin_x = 5.0f;
  g_image_record.origin_y = 20.0f;
  int x = 0, y = 0;
  world_to_screen(PointF{6.0f, 20.5f}, &x, &y);  // the middle of the image, on the area
  y += g_view.origin_y;                           // and on the canvas
  run_image_option(IMAGE_OPTION_FAINTER);
  typist_text("50");
  typist_key(VK_RETURN);
  uint32_t shown = 0;
  g_typist.steps.push_back([&] {
    shown = canvas_get_pixel(*drawing_canvas(), x, y) & 0xFFFFFFu;
    headless_inject_keystroke(VK_RETURN, 0);
  });
  EventCode key = 0;
  EXPECT_EQ(image_mode_step(PAGE_PENDING_FAINTNESS, &key), ImageResult::SHORT_PASS);
  EXPECT_EQ(shown, 0x808080u);  // black half faint: 128 on every machine
  EXPECT_EQ(pixel(100, 50), 0x808080u);
}

TEST_F(ImageOptionsTest, AZoomKeyLeavesFadingForThePageWhichComesBackToIt) {
  load_picture(1);  // a 1-bit image is faded in grey
  run_image_option(IMAGE_OPTION_FAINTER);
  typist_key(VK_PRIOR);  // 10
  typist_text("-");
  EventCode key = 0;
  EXPECT_EQ(image_mode_step(PAGE_PENDING_FAINTNESS, &key), ImageResult::MODE);
  EXPECT_EQ(key, KEY_PGDN);  // zoom out, as PgDn
  EXPECT_EQ(g_drawing_page.pending_code, PAGE_PENDING_FAINTNESS);
  EXPECT_NE(g_background_image.faint_copy.image, nullptr);  // the fading goes on
  EXPECT_EQ(g_image_record.image.image->bits, 8);
  EXPECT_EQ(pixel(0, 0), 0x1A1A1Au);  // black, 10 % faint
  // The Zoom field's up arrow zooms in, as '+' does.
  const ScreenControl& zoom_up = g_value_bar.table[6];
  ASSERT_EQ(zoom_up.id, 6);
  typist_move(zoom_up.x + 2, zoom_up.y + 2);
  typist_click(zoom_up.x + 2, zoom_up.y + 2);
  g_drawing_page.pending_code = 0;
  EXPECT_EQ(image_mode_step(PAGE_PENDING_FAINTNESS, &key), ImageResult::MODE);
  EXPECT_EQ(key, KEY_PGUP);
  typist_key(VK_PRIOR);  // 20
  typist_key(VK_RETURN);
  g_drawing_page.pending_code = 0;
  EXPECT_EQ(image_mode_step(PAGE_PENDING_FAINTNESS, &key), ImageResult::SHORT_PASS);
  EXPECT_EQ(pixel(0, 0), 0x333333u);
  EXPECT_EQ(g_drawing_page.pending_code, 0);
}

TEST_F(ImageOptionsTest, WorkOnTheRowsStopsForAKeyOrPressAndShowsOnATick) {
  struct Case {
    EventCode waiting;
    ImageWorkCheck check;
    bool kept;  // the code is still there for the mode to read
  };
  const Case cases[] = {
      {0, ImageWorkCheck::GO_ON, false},
      {KEY_ESC, ImageWorkCheck::STOP, true},
      {'+', ImageWorkCheck::STOP, true},
      {EVENT_LEFT_DOWN, ImageWorkCheck::STOP, true},
      {EVENT_TICK, ImageWorkCheck::SHOW, false},
      {EVENT_LEFT_UP, ImageWorkCheck::GO_ON, false},
  };
  for (const Case& c : cases) {
    flush_input();
    if (c.waiting != 0) push_input_code(c.waiting);
    EXPECT_EQ(check_input_during_image_work(), c.check) << c.waiting;
    EXPECT_EQ(poll_input_code(EVENT_PEEK_LIMIT), c.kept ? c.waiting : 0) << c.waiting;
  }
}

TEST_F(ImageOptionsTest, MovingWithAFrameSaysTheCommandIsNotHereAndLeavesTheImage) {
  load_picture(24);
  const float x = g_image_record.origin_x, y = g_image_record.origin_y;
  typist_key(VK_RETURN);
  EXPECT_EQ(run_image_option(IMAGE_OPTION_MOVE), ImageResult::SHORT_PASS);
  EXPECT_NE(std::string(g_message_box.last_text).find("does not have that command"), std::string::npos);
  EXPECT_EQ(g_image_record.origin_x, x);
  EXPECT_EQ(g_image_record.origin_y, y);
}

}  // namespace
