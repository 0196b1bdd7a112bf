// The one-line entry: the characters each field refuses, the '-' rules of number fields, the
// select-all first key, the limits, and the hand-over to the calculator, typed by a user on the
// headless screen.
#include <cstring>
#include <string>

#include "platform/window.h"
#include "screen/main_form.h"
#include "tests/support/idle_typist.h"
#include "ui/entry_line.h"
#include "ui/text_boxes.h"
#include "window_fixture.h"

namespace {

class EntryLineTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_entry_line();
    install_main_window_proc();
    headless_inject_focus(true);
    headless_inject_mouse_move(300, 200);
    pump_messages();
    reset_event_queue();
    start_typist();
  }

  // Types the text, then Enter, into an entry over `start`; returns what the entry left.
  std::string typed(const char* start, const std::string& keys, uint32_t flags, int width = 20,
                    int16_t* result = nullptr) {
    std::memset(buffer_, 0, sizeof buffer_);
    std::strcpy(buffer_, start);
    // In pieces a keyboard buffer takes.
    for (size_t at = 0; at < keys.size(); at += 40) typist_text(keys.substr(at, 40));
    typist_key(VK_RETURN);
    const int16_t r = edit_text_line(buffer_, 5, 10, nullptr, flags, width, 0);
    if (result != nullptr) *result = r;
    return buffer_;
  }

  char buffer_[300] = {};
};

TEST_F(EntryLineTest, FileNameEntriesRefuseTheirCharacters) {
  struct Case {
    uint32_t flags;
    const char* keys;
    const char* left;
  };
  const Case cases[] = {
      {0x40, "a*b?c|d:e<f>g/h\\i\"j", "abcdefghij"},
      {0x140, "a*b?c|d", "a*b?cd"},
      {0x48, "/home/u:x\\y", "/home/u:x\\y"},
      {0x49, "/home/u", "homeu"},
      {0, "a*b|c/", "a*b|c/"},  // no rules: every character
  };
  for (const Case& c : cases) EXPECT_EQ(typed("", c.keys, c.flags), c.left) << c.flags;
}

TEST_F(EntryLineTest, TheStartingTextOfAFileNameEntryLosesItsBadCharacters) {
  EXPECT_EQ(typed("re*po?rt", "", 0x40), "report");
}

TEST_F(EntryLineTest, MinusRulesOfTheNumberFields) {
  struct Case {
    uint32_t flags;
    const char* keys;
    const char* left;
  };
  const Case cases[] = {
      {FIELD_BYTE | FIELD_MINUS, "1-2", "1-2"},    // a byte takes '-' at any column
      {FIELD_BYTE, "-12", "12"},                  // not without the minus rule
      {FIELD_LONG | FIELD_MINUS, "-12", "-12"},   // at column 0
      {FIELD_SHORT, "-12", "12"},
      {FIELD_HEX, "1f-g", "1F"},                  // hex digits, upper-cased
      {FIELD_LONG, "1,234", "1234"},              // thousands commas go on acceptance
      {FIELD_FLOAT | FIELD_NO_BLANKS, "1 .5", "1.5"},
      {FIELD_LETTERS | FIELD_NO_BLANKS, "ab 1c", "abc"},
      {FIELD_DOTTED | FIELD_MINUS, "*1.2-3*", "*1.2-3"},
  };
  for (const Case& c : cases) EXPECT_EQ(typed("", c.keys, c.flags), c.left) << c.keys;
}

TEST_F(EntryLineTest, AMinusAfterTheFirstColumnHandsTheValueToTheCalculator) {
  // The operator ends the entry and is put back in front of what the user typed next: the
  // calculator's box reads "5" "-" "3" in that order and the field takes 5 - 3.
  std::strcpy(buffer_, "");
  typist_text("5-3");
  typist_key(VK_RETURN);
  const int16_t result = edit_text_line(buffer_, 5, 10, nullptr, FIELD_FLOAT, 10, 0);
  EXPECT_STREQ(buffer_, "2");
  EXPECT_EQ(result, FIELD_CHANGED);
}

TEST_F(EntryLineTest, SelectAllTheFirstKeyReplacesBackspaceKeeps) {
  EXPECT_EQ(typed("old", "7", FIELD_SELECT_ALL), "7");
  std::memset(buffer_, 0, sizeof buffer_);
  std::strcpy(buffer_, "old");
  typist_key(VK_BACK);
  typist_text("7");
  typist_key(VK_RETURN);
  edit_text_line(buffer_, 5, 10, nullptr, FIELD_SELECT_ALL, 20, 0);
  EXPECT_STREQ(buffer_, "old7");
}

TEST_F(EntryLineTest, LimitsOfTheText) {
  // width -300 allows 250 characters.
  EXPECT_EQ(typed("", std::string(260, 'a'), 0, -300).size(), 250u);
  EXPECT_EQ(typed("", "abcdef", 0, 4), "abcd");
  // A start longer than the limit is cut.
  EXPECT_EQ(typed("abcdef", "", 0, 3), "abc");
}

TEST_F(EntryLineTest, ResultsSayWhetherTheTextChanged) {
  int16_t result = 0;
  EXPECT_EQ(typed("same", "", 0, 20, &result), "same");
  EXPECT_EQ(result, KEY_ENTER);
  EXPECT_EQ(typed("same", "r", 0, 20, &result), "samer");
  EXPECT_EQ(result, -KEY_ENTER);
  // Esc leaves the caller's text as it was.
  std::strcpy(buffer_, "keep");
  typist_text("xyz");
  typist_key(VK_ESCAPE);
  EXPECT_EQ(edit_text_line(buffer_, 5, 10, nullptr, 0, 20, 0), 0);
  EXPECT_STREQ(buffer_, "keep");
  // An exit key ends the entry as itself.
  typist_key(VK_DOWN);
  EXPECT_EQ(edit_text_line(buffer_, 5, 10, nullptr, 0, 20, EXIT_DOWN), KEY_DOWN);
}

TEST_F(EntryLineTest, EditingKeysWorkInsideTheLine) {
  std::strcpy(buffer_, "abcd");
  typist_key(VK_HOME);
  typist_key(VK_DELETE);
  typist_key(VK_END);
  typist_key(VK_BACK);
  typist_text("X");
  typist_key(VK_RETURN);
  edit_text_line(buffer_, 5, 10, nullptr, 0, 20, 0);
  EXPECT_STREQ(buffer_, "bcX");
}

TEST_F(EntryLineTest, TheScreenUnderTheFieldComesBack) {
  const std::vector<uint32_t> before = window_surface()->pixels;
  typed("text", "more", 0);
  hide_pointer();
  EXPECT_EQ(window_surface()->pixels, before);
}

}  // namespace

namespace {

TEST_F(EntryLineTest, NumberBoxDelClearsTheFieldsOwnBytes) {
  // Del stores 0 in exactly the value's own bytes and returns -339.
  uint8_t bytes[8];
  for (uint32_t flags : {FIELD_BYTE, FIELD_SHORT, FIELD_LONG, FIELD_FLOAT}) {
    std::memset(bytes, 0x5A, sizeof bytes);
    typist_key(VK_DELETE);
    EXPECT_EQ(edit_number_box(5, 10, 6, bytes + 2, flags, 0), -KEY_DEL) << flags;
    const int size = flags == FIELD_BYTE ? 1 : flags == FIELD_SHORT ? 2 : 4;
    for (int i = 0; i < 8; ++i)
      EXPECT_EQ(bytes[i], i >= 2 && i < 2 + size ? 0 : 0x5A) << flags << " byte " << i;
  }
}

TEST_F(EntryLineTest, NumberBoxOpensTheEntryOnADigitAndStoresTheNumber) {
  int32_t value = 12;
  typist_text("34");
  typist_key(VK_RETURN);
  EXPECT_EQ(edit_number_box(5, 10, 8, &value, FIELD_LONG, 0), -KEY_ENTER);
  EXPECT_EQ(value, 1234);  // the digit is typed after the value shown
  // Exit keys leave without editing; other arrows are dropped.
  typist_key(VK_LEFT);
  typist_key(VK_UP);
  EXPECT_EQ(edit_number_box(5, 10, 8, &value, FIELD_LONG, EXIT_UP), KEY_UP);
  EXPECT_EQ(value, 1234);
  typist_text("x");
  typist_key(VK_ESCAPE);
  EXPECT_EQ(edit_number_box(5, 10, 8, &value, FIELD_LONG, 0), KEY_ESC);
}

}  // namespace

namespace {

TEST_F(EntryLineTest, PickListChoosesByKeysAndLettersAndCancels) {
  const char* const strings[] = {"Apple", "Banana", "Cherry", "Blueberry", nullptr};
  typist_key(VK_RETURN);
  EXPECT_EQ(pick_from_strings(strings, "Fruit", 3, 10, 2, 0), 2);  // the preselected line
  typist_key(VK_DOWN);
  typist_key(VK_RETURN);
  EXPECT_EQ(pick_from_strings(strings, "Fruit", 3, 10, 0, 0), 1);
  typist_text("b");
  typist_text("b");
  typist_key(VK_RETURN);
  EXPECT_EQ(pick_from_strings(strings, "Fruit", 3, 10, 0, 0), 3);  // the next line with B
  typist_key(VK_ESCAPE);
  EXPECT_EQ(pick_from_strings(strings, "Fruit", 3, 10, 0, 0), -1);
}

TEST_F(EntryLineTest, PickListOfNoTextsDrawsNothing) {
  const std::vector<uint32_t> before = window_surface()->pixels;
  const char* const none[] = {nullptr};
  EXPECT_EQ(pick_from_strings(none, "Nothing", 3, 10, 0, 0), -1);
  EXPECT_EQ(pick_from_strings(nullptr, "Nothing", 3, 10, 0, 0), -1);
  EXPECT_EQ(window_surface()->pixels, before);
  EXPECT_EQ(g_typist.idle_calls, 0);
}

}  // namespace

namespace {

TEST_F(EntryLineTest, LinesEditedInAWindowReplaceTheCallersOnlyOnAccept) {
  push_list();
  clear_current_list();
  append_line("G0 X1\n");
  append_line("G1 Y2\n");
  LineList lines = g_lists.current;
  clear_current_list();
  pop_list();
  // Esc on a changed text asks whether to keep it; No leaves the caller's lines as they were.
  typist_text("!");
  typist_key(VK_ESCAPE);
  typist_text("n");
  EXPECT_EQ(edit_lines_in_window(&lines, "Code", 10, 40, 6, 30, nullptr, nullptr, 0x13, nullptr,
                                 nullptr, 0),
            0);
  EXPECT_EQ(lines.first->text, "G0 X1\n");
  typist_key(VK_END);
  typist_text("!");
  typist_key('S', WINDOW_MOD_CTRL);
  EXPECT_EQ(edit_lines_in_window(&lines, "Code", 10, 40, 6, 30, nullptr, nullptr, 0x13, nullptr,
                                 nullptr, 0),
            1);
  ASSERT_NE(lines.first, nullptr);
  EXPECT_EQ(lines.first->text, "G0 X1!\n");
  EXPECT_EQ(lines.last->text, "G1 Y2\n");
  free_list(lines.first);
}

}  // namespace
