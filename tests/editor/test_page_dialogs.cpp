// The Drawing page's interactions that open boxes and read the catalogue: the rubber box (a
// click, a typed size, a line after the view scrolled) and scaling the drawing to pixels, driven
// by a user who answers whenever the program waits; the Image options on a loaded image.
#include <cmath>
#include <cstring>

#include "editor/button_bindings.h"
#include "editor/drawing_page_state.h"
#include "editor/hover_state.h"
#include "editor/image_commands.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
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

  // A 4 x 2 image at 100 pixels an inch, its top-left pixel red and the rest white, loaded.
  void load_picture(int bits) {
    ImageDescriptor image;
    ASSERT_EQ(image_alloc(&image, 4, 2, 24), IMAGE_OK);
    image_fill(&image, 255);
    uint8_t* top = image.image->rows.data() + image.image->row_bytes;  // rows are stored bottom first
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

}  // namespace
