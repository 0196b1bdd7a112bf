// The format menu of engraving text: the size and raise form's rules, the kerning prompt's
// arguments, and Superscript inserting its codes at the caret, through the event queue.
#include <gtest/gtest.h>

#include <string>

#include "store/line_list.h"
#include "store/message_ids.h"
#include "tests/support/idle_typist.h"
#include "tests/ui/form_fixture.h"
#include "ui/text_format_menu.h"
#include "ui/text_window.h"

namespace {

class TextFormatMenuTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    g_format_menu = FormatMenuState{};
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    if (editing_ != nullptr) destroy_window(editing_);
    g_format_menu = FormatMenuState{};
    FormTest::TearDown();
  }
  // An editing window of one line with the caret at `column`.
  void open_line(const std::string& text, int column) {
    push_list();
    clear_current_list();
    append_line(text.c_str());
    editing_ = create_window(nullptr, {.top_row = 5, .left_column = 5, .bottom_row = 8,
                                       .right_column = 40, .line_drawer = draw_window_line,
                                       .wrap_width = 125, .title = ""});
    pop_list();
    activate_window(editing_);
    g_windows.active->text_column = static_cast<int16_t>(column);
  }
  TextLine* editing_ = nullptr;
};

}  // namespace

TEST_F(TextFormatMenuTest, TheFormKeepsSizeAndRaiseWithinTheirSteps) {
  const struct {
    int size, size_kept, raise, raise_kept;
  } cases[] = {
      {301, 300, 71, 70}, {2, 3, -71, -70}, {61, 60, 241, 240}, {100, 99, -300, -200}, {60, 60, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(clamp_format_size(c.size), c.size_kept) << c.size;
    EXPECT_EQ(clamp_format_raise(c.raise), c.raise_kept) << c.raise;
  }
}

TEST_F(TextFormatMenuTest, KerningValuesBecomeTheirArgumentsAndOthersAreAskedAgain) {
  const struct {
    const char* typed;
    int expected;
  } cases[] = {{"-110", 33}, {"110", 253}, {"0", 143}};
  for (const auto& c : cases) {
    start_typist();
    typist_text(c.typed);
    typist_key(VK_RETURN);
    EXPECT_EQ(ask_kerning_value(0), c.expected) << c.typed;
  }
  start_typist();
  typist_text("150");
  typist_key(VK_RETURN);
  typist_key(VK_BACK);
  typist_key(VK_BACK);
  typist_key(VK_BACK);
  typist_key(VK_BACK);
  typist_text("-5");
  typist_key(VK_RETURN);
  EXPECT_EQ(ask_kerning_value(0), 138) << "150 is asked again";
  start_typist();
  typist_key(VK_ESCAPE);
  EXPECT_EQ(ask_kerning_value(0), 0) << "Esc";
}

TEST_F(TextFormatMenuTest, SuperscriptInsertsTheRaiseAndSizeCodesAtTheCaret) {
  open_line("Mx", 1);
  g_format_menu.enabled = true;
  start_typist();
  typist_text("P");  // Superscript
  typist_text("O");  // form 300: OK with size 60, raise 70
  EXPECT_EQ(text_format_menu(), 0);
  // Raise 70: 133 + 35; size 60 on the size code's one scale: 32 + 22.
  EXPECT_EQ(g_lists.cursor_line->text, std::string("M\x02\xa8\x03\x36x"));
}

TEST_F(TextFormatMenuTest, TheMenuDoesNothingUnlessATextItemsTextIsEdited) {
  open_line("Mx", 1);
  EXPECT_EQ(text_format_menu(), 0);
  EXPECT_EQ(g_lists.cursor_line->text, "Mx");
}
