// The value bar on the headless screen in virtual time: fields shown by their labels, the held
// arrow button's repeat, a typed value; the side-panel pointer's XOR bracket; abs_int.
#include <climits>
#include <vector>

#include "platform/pump.h"
#include "platform/window.h"
#include "screen/controls.h"
#include "store/text_helpers.h"
#include "tests/support/idle_typist.h"
#include "ui/entry_line.h"
#include "ui/value_bar.h"
#include "window_fixture.h"

namespace {

class ValueBarTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_value_bar();
    reset_entry_line();
    reset_controls();
    install_main_window_proc();
    headless_inject_focus(true);
    headless_inject_mouse_move(300, 300);
    pump_messages();
    reset_event_queue();
    start_typist();
  }

  static const ScreenControl& control_with_id(int id) {
    for (const ScreenControl& c : g_value_bar.table)
      if (c.id == id && c.flags != CF_END) return c;
    return g_value_bar.table.back();
  }
  static int centre_x(const ScreenControl& c) { return c.x + c.hit_width / 2; }
  static int centre_y(const ScreenControl& c) { return c.y + c.hit_height / 2; }
};

TEST_F(ValueBarTest, OnlyLabelledFieldsShowAndRightStopsAtTheLast) {
  setup_value_bar("Angle", "Zoom", nullptr, nullptr, nullptr, 0);
  EXPECT_EQ(control_with_id(5).flags & CF_HIDDEN, 0u);
  EXPECT_NE(control_with_id(9).flags & CF_HIDDEN, 0u);
  EXPECT_NE(control_with_id(VALUE_BAR_NORMAL).flags & CF_HIDDEN, 0u);
  typist_key(VK_RIGHT);
  EXPECT_EQ(run_value_bar(), KEY_RIGHT);
  EXPECT_EQ(g_value_bar.current_field, 1);
  typist_key(VK_RIGHT);  // ignored at the last field
  typist_key(VK_LEFT);
  EXPECT_EQ(run_value_bar(), KEY_LEFT);
  EXPECT_EQ(g_value_bar.current_field, 0);
}

TEST_F(ValueBarTest, AHeldArrowRepeatsAfter165MsThenEveryTickAndIsMarkedAfterNine) {
  setup_value_bar("Angle", "Zoom", nullptr, nullptr, nullptr, 0);
  draw_controls(g_value_bar.table.data(), 0);
  const ScreenControl& up = control_with_id(2);
  // The pointer stands on the up button of field 0 and its button goes down.
  g_typist.steps.push_back([&] {
    g_pointer.wanted_x = centre_x(up);
    g_pointer.wanted_y = centre_y(up);
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, centre_x(up), centre_y(up));
  });
  EXPECT_EQ(run_value_bar(), 2);
  const uint32_t pressed = clock_now_ms();
  EXPECT_EQ(run_value_bar(), 2);
  EXPECT_GE(clock_now_ms() - pressed, 165u);
  EXPECT_LT(clock_now_ms() - pressed, 165u + 55u);
  std::vector<EventCode> repeats;
  uint32_t last = clock_now_ms();
  for (int i = 0; i < 9; ++i) {
    repeats.push_back(run_value_bar());
    EXPECT_GE(clock_now_ms() - last, 55u);
    EXPECT_LT(clock_now_ms() - last, 2 * 55u);
    last = clock_now_ms();
  }
  // Eight repeats so far (the one at 165 ms included) come plain; from the ninth on, marked.
  for (int i = 0; i < 7; ++i) EXPECT_EQ(repeats[static_cast<size_t>(i)], 2) << i;
  EXPECT_EQ(repeats[7], 2 | VALUE_BAR_REPEATED);
  EXPECT_EQ(repeats[8], 2 | VALUE_BAR_REPEATED);
  // Letting go ends the hold.
  g_typist.steps.push_back([&] {
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, centre_x(up), centre_y(up));
  });
  EXPECT_EQ(run_value_bar(), EVENT_LEFT_UP);
  EXPECT_EQ(g_value_bar.held_button, 0);
}

TEST_F(ValueBarTest, TypingInAFloatFieldOpensItsEntryAndShowsTheNewValue) {
  set_angle_zoom_bar(1.0f);
  typist_text("5");
  typist_key(VK_RETURN);
  EXPECT_EQ(run_value_bar(), FIELD_CHANGED);
  EXPECT_FLOAT_EQ(g_value_bar.value[0], 5.0f);
  EXPECT_STREQ(control_with_id(1).caption, "5\xB0");
  // A minus in the Zoom field (no entry flags) goes to the caller; in the Angle field it edits.
  typist_key(VK_RIGHT);
  EXPECT_EQ(run_value_bar(), KEY_RIGHT);
  typist_text("-");
  EXPECT_EQ(run_value_bar(), '-');
}

TEST_F(ValueBarTest, TheSidePanelPointerVanishesWhenDrawnTwice) {
  TextLine* list = make_window({"one", "two", "three", "four", "five", "six"}, 3, 1, 8, 20);
  activate_window(list);
  show_side_panel_pointer(2, 6);
  draw_side_panel_pointer(0);
  const std::vector<uint32_t> erased = window_surface()->pixels;
  draw_side_panel_pointer(1);
  EXPECT_NE(window_surface()->pixels, erased);
  draw_side_panel_pointer(1);  // already drawn: nothing more
  draw_side_panel_pointer(0);
  EXPECT_EQ(window_surface()->pixels, erased);
}

TEST_F(ValueBarTest, ACursorBelowThePanelMovesTheLowerCornerOneCellRight) {
  TextLine* list = make_window({"1", "2", "3", "4", "5", "6", "7", "8"}, 2, 1, 9, 20);
  activate_window(list);
  // The panel's lower arm lies between the list's first and last rows.
  const int panel_bottom =
      7 * g_display.current.cell_height / g_display.presets[FACE_ROLE_MENU].cell_height;
  show_side_panel_pointer(1, panel_bottom);
  draw_side_panel_pointer(0);
  const int above = g_panel_pointer.x[9];
  g_windows.active->cursor_row = 7;
  show_side_panel_pointer(1, panel_bottom);
  draw_side_panel_pointer(0);
  EXPECT_EQ(g_panel_pointer.x[9], above + g_display.current.cell_width);
}

TEST(AbsInt, TheMostNegativeValueIsNotNegative) {
  EXPECT_EQ(abs_int(-5), 5);
  EXPECT_EQ(abs_int(7), 7);
  EXPECT_GT(abs_int(INT32_MIN), 0);
}

}  // namespace
