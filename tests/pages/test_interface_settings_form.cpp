// The interface settings form: every row shows its setting, and the rows edit the settings in
// place, the caret style choices with their side effects.
#include <string>

#include "pages/interface_settings_form.h"
#include "screen/caret.h"
#include "screen/interface_settings.h"
#include "store/message_ids.h"
#include "tests/ui/form_fixture.h"

namespace {

class InterfaceSettingsFormTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    g_caret = CaretState();
  }
};

TEST_F(InterfaceSettingsFormTest, TheFirstPassShowsEveryRow) {
  g_interface.editor_option = 7;
  g_interface.bar_style = 3;
  g_interface.dot_count = 0;
  g_interface.box_style = 4;
  g_interface.message_box_option = 1234;
  g_interface.extra_scroll = 5;
  ASSERT_NE(open_form(MSG_FORM_INTERFACE_SETTINGS, interface_settings_field), nullptr);
  EXPECT_EQ(interface_settings_field(), FORM_FIRST_PASS);
  EXPECT_EQ(value_text(0, 1), "7");
  EXPECT_EQ(value_text(2, 11), "Double dots");
  EXPECT_EQ(value_text(3, 1), "2");  // a dot count is shown as at least 2
  EXPECT_EQ(value_text(4, 11), "Medium dots");
  EXPECT_EQ(value_text(7, 4), "1234");
  EXPECT_EQ(value_text(9, 1), "5");
}

TEST_F(InterfaceSettingsFormTest, RowsEditTheSettingsInPlace) {
  g_interface.editor_option = 1;  // Backspace opens the entry on "1", a second one clears it
  g_interface.bar_style = 0;
  g_interface.blink_setting = 6;
  for (EventCode code : {KEY_BACKSPACE, KEY_BACKSPACE, EventCode('9'), KEY_ENTER, KEY_DOWN, KEY_DOWN, EventCode('m'), KEY_ESC})
    push_input_code(code);
  EXPECT_EQ(run_interface_settings_form(), 0);
  EXPECT_EQ(g_interface.editor_option, 9);
  EXPECT_EQ(g_interface.bar_style, 2);
  EXPECT_EQ(g_caret.shape, CARET_MOVING_DOTS);  // the choice is the caret at once
  EXPECT_EQ(g_interface.blink_setting, 1);      // the dot styles blink at setting 1
}

TEST_F(InterfaceSettingsFormTest, AStyleOutsideTheListShowsAnEmptyField) {
  g_interface.bar_style = 200;
  ASSERT_NE(open_form(MSG_FORM_INTERFACE_SETTINGS, interface_settings_field), nullptr);
  interface_settings_field();
  EXPECT_EQ(value_text(2, 4), "    ");
}

}  // namespace
