// The printing-cancel box in cells: it shows its title and button, a click on the button sets
// the flag that stays set, other input is dropped, and the program is marked as printing only
// while the box is open.
#include <gtest/gtest.h>

#include "print/abort_dialog.h"
#include "screen/controls.h"
#include "screen/hover.h"
#include "screen/pointer.h"
#include "tests/ui/window_fixture.h"

namespace {

class AbortDialogTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    install_main_window_proc();
    headless_inject_focus(true);
    headless_inject_mouse_move(10, 10);
    pump_messages();
    reset_event_queue();
  }

  // Puts the program's pointer on (x, y) and presses the left button there. The pointer is set
  // directly: the motion the test queues would follow a warp the program makes meanwhile.
  void click(int x, int y) {
    g_pointer.wanted_x = x;
    g_pointer.wanted_y = y;
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, x, y);
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, x, y);
  }
};

TEST_F(AbortDialogTest, AClickOnTheButtonCancelsAndTheFlagStays) {
  TAbortDialog* dialog = open_abort_dialog();
  EXPECT_EQ(g_form.printing, PRINTING_ON);
  EXPECT_EQ(show_printing_progress(dialog, "Printing Page 1, 50%"), 0);
  // The box shows its progress line in cells.
  hide_pointer();
  EXPECT_EQ(row_text(dialog->top_row + 1, dialog->left_column, 20), "Printing Page 1, 50%");
  const ScreenControl& button = dialog->controls.at(0);
  EXPECT_STREQ(button.caption, ABORT_DIALOG_BUTTON);
  // Keys and clicks elsewhere are dropped.
  headless_inject_keystroke('A', 0);
  click(2, 2);
  EXPECT_EQ(printing_cancelled(dialog), 0);
  EXPECT_EQ(pending_input_count(), 0);
  click(button.x + button.hit_width / 2, button.y + button.hit_height / 2);
  EXPECT_EQ(printing_cancelled(dialog), 1);
  EXPECT_EQ(printing_cancelled(dialog), 1);
  EXPECT_EQ(show_printing_progress(dialog, "Printing Page 2, 0%"), 1);
  close_abort_dialog(dialog);
  EXPECT_EQ(g_form.printing, PRINTING_OFF);
}

TEST_F(AbortDialogTest, EnterAndTheStopKeyPressTheButton) {
  struct Case {
    const char* name;
    int vk, mods;
  } cases[] = {{"Enter", VK_RETURN, 0}, {"Ctrl+X", 'X', WINDOW_MOD_CTRL}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TAbortDialog* dialog = open_abort_dialog();
    headless_inject_keystroke(c.vk, c.mods);
    EXPECT_EQ(printing_cancelled(dialog), 1);
    close_abort_dialog(dialog);
  }
}

}  // namespace
