// The protocol list window: it opens on the protocol chosen last, a pick remembers its choice, a
// nameless line cannot be picked, Del and Alt+Down change the list and the file, a cancelled
// form leaves the list, and a transfer asks only when there is a choice.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/nc/serial_files_fixture.h"
#include "tests/pages/serial_ui_fixture.h"

namespace {

class ProtocolListTest : public SerialUiTest {
 protected:
  void SetUp() override {
    SerialUiTest::SetUp();
    g_protocols.file_path = (folder_ / PROTOCOL_FILE_NAME).string();
    use_protocols({new_protocol(), new_protocol(), new_protocol()});
  }
  static std::vector<std::string> names() {
    std::vector<std::string> out;
    for (const TextLine* line = g_protocols.lines.first; line != nullptr; line = line->next)
      out.push_back(line->text);
    return out;
  }
  static std::string cursor_text() {
    return g_lists.cursor_line != nullptr ? g_lists.cursor_line->text : "<none>";
  }
  static bool list_open() { return g_protocol_form.list_window != nullptr; }
};

TEST_F(ProtocolListTest, APickIsRememberedAndTheListOpensOnItNextTime) {
  user_when(list_open, [] { headless_inject_keystroke(VK_DOWN, 0); });
  press(VK_RETURN);
  TextLine* chosen = choose_protocol(PROTOCOL_FOR_SEND);
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen->text, "Protocol 2");
  EXPECT_EQ(g_protocols.last_chosen_id, 2);
  std::string opened_on;
  user_when(list_open, [&] {
    opened_on = cursor_text();
    headless_inject_keystroke(VK_RETURN, 0);
  });
  EXPECT_EQ(choose_protocol(PROTOCOL_FOR_RECEIVE), chosen);
  EXPECT_EQ(opened_on, "Protocol 2");
  // The blank line for a new protocol is gone again; nothing changed, so nothing was saved.
  EXPECT_EQ(names(), (std::vector<std::string>{"Protocol 1", "Protocol 2", "Protocol 3"}));
  EXPECT_FALSE(std::filesystem::exists(g_protocols.file_path));
}

TEST_F(ProtocolListTest, ANamelessLineCannotBePicked) {
  user_when(list_open, [] { headless_inject_keystroke(VK_NEXT, WINDOW_MOD_CTRL); });
  press(VK_RETURN);  // the blank last line
  answer_box("no name");
  press(VK_UP);
  press(VK_RETURN);
  TextLine* chosen = choose_protocol(PROTOCOL_FOR_SEND);
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen->text, "Protocol 3");
}

TEST_F(ProtocolListTest, DelAndMovesChangeTheListAndItsFile) {
  user_when(list_open, [] { headless_inject_keystroke(VK_DELETE, 0); });  // Protocol 1 goes
  press(VK_DOWN, WINDOW_MOD_ALT);  // Protocol 2 below Protocol 3
  press(VK_ESCAPE);
  EXPECT_EQ(choose_protocol(PROTOCOL_EDIT), nullptr);
  EXPECT_EQ(names(), (std::vector<std::string>{"Protocol 3", "Protocol 2"}));
  const std::string expected = protocol_tag() + protocol_entry("Protocol 3", new_protocol()) +
                               protocol_entry("Protocol 2", new_protocol());
  EXPECT_EQ(read_file_bytes(g_protocols.file_path), expected);
  EXPECT_FALSE(g_protocols.modified);
}

TEST_F(ProtocolListTest, DeletingTheLastProtocolBringsTheDefaultBack) {
  use_protocols({new_protocol()});
  user_when(list_open, [] { headless_inject_keystroke(VK_DELETE, 0); });
  press(VK_ESCAPE);
  choose_protocol(PROTOCOL_EDIT);
  EXPECT_EQ(names(), std::vector<std::string>{PROTOCOL_DEFAULT_NAME});
}

TEST_F(ProtocolListTest, EditingOpensTheFormAndItsCancelLeavesTheListToo) {
  user_when(list_open, [] { headless_inject_keystroke(VK_RETURN, 0); });
  press(VK_DOWN);
  press(VK_DOWN);
  type("9");  // COM9
  press(VK_ESCAPE);
  EXPECT_EQ(choose_protocol(PROTOCOL_EDIT), nullptr);
  EXPECT_FALSE(list_open());
  EXPECT_EQ(protocol_of(g_protocols.lines.first)->port_index, new_protocol().port_index);

  user_when(list_open, [] { headless_inject_keystroke(VK_RIGHT, 0); });
  press(VK_DOWN);
  press(VK_DOWN);
  type("9");
  press(VK_HOME);
  press(VK_RETURN);  // OK: back in the list
  press(VK_ESCAPE);
  choose_protocol(PROTOCOL_EDIT);
  EXPECT_EQ(protocol_of(g_protocols.lines.first)->port_index, 8);
  LineList saved;
  ASSERT_EQ(read_protocol_file(g_protocols.file_path, &saved), PROTOCOL_READ_OK);
  EXPECT_EQ(protocol_of(saved.first)->port_index, 8);
  free_list(saved.first);
}

TEST_F(ProtocolListTest, ATransferAsksOnlyWhenThereIsAChoice) {
  user_when(list_open, [] { headless_inject_keystroke(VK_NEXT, WINDOW_MOD_CTRL); });
  press(VK_UP);
  press(VK_RETURN);
  TextLine* chosen = choose_transfer_protocol(PROTOCOL_FOR_RECEIVE);
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen->text, "Protocol 3");
  use_protocols({new_protocol()});
  EXPECT_EQ(choose_transfer_protocol(PROTOCOL_FOR_SEND), g_protocols.lines.first);
}

}  // namespace
