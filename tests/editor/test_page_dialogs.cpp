// The Drawing page's interactions that open boxes and read the catalogue: the rubber box (a
// click, a typed size, a line after the view scrolled) and scaling the drawing to pixels, driven
// by a user who answers whenever the program waits.
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
#include "job/image_record.h"
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

}  // namespace
