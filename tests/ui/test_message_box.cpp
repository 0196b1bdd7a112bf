// Message boxes, questions and number entries on the headless screen: where a box stands, what
// its cells show, what the user's keys answer, what a number entry writes, and the screen put
// back when the box closes.
#include <cstring>
#include <string>
#include <vector>

#include <functional>

#include "platform/window.h"
#include "screen/boxes.h"
#include "screen/caret.h"
#include "tests/support/idle_typist.h"
#include "ui/button_bar.h"
#include "ui/entry_line.h"
#include "ui/message_box.h"
#include "ui/popups.h"
#include "window_fixture.h"

namespace {

class MessageBoxTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_message_box();
    reset_popups();
    reset_button_bar();
    reset_entry_line();
    // The program has the focus and the pointer, so that clicks reach it.
    install_main_window_proc();
    headless_inject_focus(true);
    headless_inject_mouse_move(300, 200);
    pump_messages();
    reset_event_queue();
    ASSERT_FALSE(g_pointer.released);
    start_typist();
  }

  static std::vector<uint32_t> pixels() { return window_surface()->pixels; }

  // The cells of the box's rows as the user sees them, one text per row.
  std::vector<std::string> box_rows() const {
    const BoxLayout& b = g_message_box.last_box;
    hide_pointer();
    hide_caret();
    std::vector<std::string> rows;
    for (int r = b.top; r < b.top + b.count; ++r) rows.push_back(row_text(r, b.left, b.width + 1));
    return rows;
  }
  static bool any_row_holds(const std::vector<std::string>& rows, const std::string& text) {
    for (const std::string& row : rows)
      if (row.find(text) != std::string::npos) return true;
    return false;
  }

  // A step of the user's: look at the screen while the box waits.
  template <typename F>
  static void when_shown(F look) {
    g_typist.steps.push_back(look);
  }
};

std::string lines_of(int count, const char* line) {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::string(line) + "\n";
  return text;
}

// ---- Text boxes ---------------------------------------------------------------------------------

TEST_F(MessageBoxTest, APressAKeyBoxShowsTheTextReturnsTheKeyAndPutsTheScreenBack) {
  const std::vector<uint32_t> before = pixels();
  std::vector<std::string> shown;
  std::string title;
  when_shown([&] {
    shown = box_rows();
    title = g_popups.window != nullptr ? g_popups.window->title : "";
  });
  typist_text("q");
  EXPECT_EQ(show_text_box("Tool list file is bad!", TEXTBOX_PRESS_A_KEY), 'q');
  EXPECT_TRUE(any_row_holds(shown, "Tool list file is bad!"));
  EXPECT_EQ(title, PRESS_A_KEY_TITLE);
  EXPECT_EQ(g_popups.current, nullptr);
  hide_pointer();
  EXPECT_EQ(pixels(), before);
}

TEST_F(MessageBoxTest, ATitleFlagWithoutANewlineKeepsTheWholeTextAsTheBody) {
  std::string title;
  std::vector<std::string> shown;
  when_shown([&] {
    title = g_popups.window->title;
    shown = box_rows();
  });
  typist_key(VK_RETURN);
  EXPECT_EQ(show_text_box("Just a body", TEXTBOX_PRESS_A_KEY | TEXTBOX_TITLE), KEY_ENTER);
  EXPECT_EQ(title, PRESS_A_KEY_TITLE);
  EXPECT_TRUE(any_row_holds(shown, "Just a body"));
  // With a newline the first line is the title; the caller's text is left as it was.
  char text[] = "Heading\nThe body";
  when_shown([&] { title = g_popups.window->title; });
  typist_key(VK_ESCAPE);
  show_text_box(text, TEXTBOX_PRESS_A_KEY | TEXTBOX_TITLE);
  EXPECT_EQ(title, "Heading");
  EXPECT_STREQ(text, "Heading\nThe body");
}

TEST_F(MessageBoxTest, ATimedBoxOfZeroTicksClosesAtOnce) {
  const std::vector<uint32_t> before = pixels();
  EXPECT_EQ(show_text_box("Saved", TEXTBOX_TIMED | 0), 0);
  EXPECT_EQ(g_popups.current, nullptr);
  EXPECT_EQ(g_typist.idle_calls, 0);
  hide_pointer();
  EXPECT_EQ(pixels(), before);
}

TEST_F(MessageBoxTest, ATimedBoxWaitsItsTicksInVirtualTimeOrClosesOnAKey) {
  const uint32_t start = clock_now_ms();
  show_text_box("Saved", TEXTBOX_TIMED | 10);
  EXPECT_GE(clock_now_ms() - start, 9u * 55u);
  EXPECT_EQ(g_popups.current, nullptr);
  typist_text("x");
  const uint32_t keyed = clock_now_ms();
  show_text_box("Saved", TEXTBOX_TIMED | 40);
  EXPECT_LT(clock_now_ms() - keyed, 40u * 55u / 2);
  EXPECT_EQ(poll_input_code(0), 'x');  // the key stays for the caller
}

TEST_F(MessageBoxTest, PopUpsStayUntilTheirOpenerClosesThemAndStackWithoutLimit) {
  const std::vector<uint32_t> before = pixels();
  for (int i = 0; i < POPUP_DEPTH_DESIGNED + 3; ++i) show_text_box("Working", TEXTBOX_TOP);
  EXPECT_EQ(g_popups.below.size(), static_cast<size_t>(POPUP_DEPTH_DESIGNED + 2));
  for (int i = 0; i < POPUP_DEPTH_DESIGNED + 3; ++i) close_top_popup();
  EXPECT_EQ(g_popups.current, nullptr);
  close_top_popup();  // nothing left: nothing happens
  hide_pointer();
  EXPECT_EQ(pixels(), before);
}

TEST_F(MessageBoxTest, TextIsPrintedInsideTheCurrentPopUpAndTheTopTwoSwap) {
  show_text_box("first notice", TEXTBOX_TOP);
  TextLine* first = g_popups.current;
  show_text_box("second\nnotice\nhere", TEXTBOX_BOTTOM);
  TextLine* second = g_popups.current;
  const TextWindow* w = g_popups.window;
  print_in_popup(0, 1, "XY");
  print_in_popup(-1, 0, "Z");  // the bottom row
  hide_pointer();
  EXPECT_EQ(row_text(w->top_row, w->left_column + 1, 2), "XY");
  EXPECT_EQ(row_text(w->bottom_row, w->left_column, 1), "Z");
  swap_top_popups();
  EXPECT_EQ(g_popups.current, first);
  EXPECT_EQ(g_popups.below.back(), second);
  close_top_popup();
  EXPECT_EQ(g_popups.current, second);
  close_top_popup();
  EXPECT_EQ(g_popups.current, nullptr);
}

// ---- Fitting ------------------------------------------------------------------------------------

TEST_F(MessageBoxTest, ATallTextWidensByFourThenTakesTheSmallestFontOnce) {
  const int rows = g_display.presets[FACE_ROLE_NORMAL].last_row;
  const int columns = g_display.presets[FACE_ROLE_NORMAL].last_column;
  struct Case {
    const char* name;
    std::string text;
    int width;
    int expect_width;       // -1: any
    uint8_t expect_font;
  };
  // A paragraph of words wraps shorter as the box widens.
  std::string words;
  for (int i = 0; i < 300; ++i) words += "word ";
  const Case cases[] = {
      {"fits", "short text", 20, 20, FONT_MODE_NORMAL},
      {"widens", std::string(words, 0, 1200), 20, -1, FONT_MODE_NORMAL},
      {"smallest", lines_of(rows, "x"), 20, 20, FONT_MODE_SMALLEST},
  };
  for (const Case& c : cases) {
    message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, c.width, c.text.c_str(), MSGBOX_POPUP, nullptr, 0,
                nullptr, 0, nullptr);
    const BoxLayout b = g_message_box.last_box;
    close_top_popup();
    EXPECT_EQ(b.font_mode, c.expect_font) << c.name;
    if (c.expect_width >= 0) {
      EXPECT_EQ(b.width, c.expect_width) << c.name;
    } else {
      EXPECT_GT(b.width, c.width) << c.name;
      EXPECT_TRUE((b.width - c.width) % 4 == 0 || b.width == columns - 5) << c.name;
    }
    if (b.font_mode == FONT_MODE_NORMAL) {
      EXPECT_LT(b.count, rows - 5) << c.name;
    }
  }
  // A text taller than even the smallest font's screen is shown anyway, at the widest.
  message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 20, lines_of(200, "x").c_str(), MSGBOX_POPUP, nullptr,
              0, nullptr, 0, nullptr);
  EXPECT_EQ(g_message_box.last_box.font_mode, FONT_MODE_SMALLEST);
  EXPECT_EQ(g_message_box.last_box.width, g_message_box.last_box.columns - 5);
  close_top_popup();
}

TEST_F(MessageBoxTest, RowsCentreTheBoxOrPutItAtTheBottomWithoutWidening) {
  const int rows = g_display.presets[FACE_ROLE_NORMAL].last_row;
  const std::string text = lines_of(4, "four lines");
  message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 20, text.c_str(), MSGBOX_POPUP, nullptr, 0, nullptr,
              0, nullptr);
  EXPECT_EQ(g_message_box.last_box.top, rows / 2 - 4 / 2);
  close_top_popup();
  message_box(rows + 3, MSGBOX_CENTRE, 20, text.c_str(), MSGBOX_POPUP, nullptr, 0, nullptr, 0,
              nullptr);
  EXPECT_EQ(g_message_box.last_box.top, rows - 4 + 1);
  EXPECT_EQ(g_message_box.last_box.width, 20);
  close_top_popup();
  message_box(-3, -7, 20, text.c_str(), MSGBOX_POPUP, nullptr, 0, nullptr, 0, nullptr);
  EXPECT_EQ(g_message_box.last_box.top, 3);
  EXPECT_EQ(g_message_box.last_box.left, 7);
  close_top_popup();
}

TEST_F(MessageBoxTest, AnEmptyTextSaysSoAndCancels) {
  std::vector<std::string> shown;
  when_shown([&] { shown = box_rows(); });
  typist_key(VK_RETURN);
  EXPECT_EQ(message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 20, "", MSGBOX_CHOICE, nullptr, 0, nullptr,
                        0, nullptr),
            27);
  EXPECT_TRUE(any_row_holds(shown, NULL_MESSAGE_TEXT));
}

// ---- Questions ----------------------------------------------------------------------------------

TEST_F(MessageBoxTest, YesNoWidthsAndAnswers) {
  struct Case {
    std::string text;
    int width;
    std::function<void()> answer;
    int16_t expected;
  };
  const std::string long_text(80, 'a');
  const Case cases[] = {
      {"Sure?", 21, [] { typist_text("y"); }, 1},
      {"Sure?", 21, [] { typist_text("N"); }, 0},
      {long_text, 60, [] { typist_key(VK_ESCAPE); }, 27},
      {"Sure?", 21, [] { typist_click(300, 300, WINDOW_BUTTON_RIGHT); }, 27},
      {"Sure?", 21, [] { typist_key(VK_RETURN); }, 1},  // the preselected Yes
  };
  for (const Case& c : cases) {
    c.answer();
    EXPECT_EQ(ask_yes_no(c.text.c_str(), 1), c.expected) << c.text.size();
    EXPECT_EQ(g_message_box.last_box.width, c.width) << c.text.size();
  }
}

// While a question's button bar waits, the page tabs answer to no pointer; afterwards they do.
TEST_F(MessageBoxTest, PageTabsAreDeafWhileAButtonBarRuns) {
  const std::vector<PageTab> saved = g_tab_strip.tabs;
  g_tab_strip.tabs.assign(2, PageTab{});
  g_tab_strip.tabs[0].x = 40;
  g_tab_strip.tabs[0].width = 50;
  g_tab_strip.tabs[1].x = 140;
  g_tab_strip.tabs[1].width = 50;
  g_tab_strip.base_line = 30;
  g_form.caption_hidden_count = 0;
  ASSERT_EQ(hit_page_tab(150, 28), 1);
  int during = 99;
  g_typist.steps.push_back([&] {
    during = hit_page_tab(150, 28);
    headless_inject_text("y");
  });
  EXPECT_EQ(ask_yes_no("Sure?", 1), 1);
  EXPECT_EQ(during, -2);
  EXPECT_EQ(hit_page_tab(150, 28), 1);
  g_tab_strip.tabs = saved;
}

TEST_F(MessageBoxTest, ChoiceBarArrowsAndHotLettersOfTheWords) {
  std::string words = "\vS\x13" "ave    \vD\x13iscard    \vC\x13" "ancel";
  std::vector<std::string> shown;
  when_shown([&] { shown = box_rows(); });
  typist_key(VK_RIGHT);
  typist_key(VK_RETURN);
  EXPECT_EQ(message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 30, "Keep the changes?", MSGBOX_CHOICE,
                        words.data(), 0, nullptr, 0, nullptr),
            1);
  for (const char* word : {"Save", "Discard", "Cancel"}) EXPECT_TRUE(any_row_holds(shown, word));
  typist_text("c");
  EXPECT_EQ(message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 30, "Keep the changes?", MSGBOX_CHOICE,
                        words.data(), 0, nullptr, 0, nullptr),
            2);
}

// ---- Number entries -----------------------------------------------------------------------------

TEST_F(MessageBoxTest, AByteEntryClampsAndAnEmptyOneStoresZero) {
  struct Case {
    const char* typed;
    uint8_t expected;
  };
  const Case cases[] = {{"300", 255}, {"-200", 0x81}, {"", 0}, {"42", 42}};
  for (const Case& c : cases) {
    uint8_t value = 7;
    typist_key(VK_BACK);  // the old 7 goes
    if (*c.typed != '\0') typist_text(c.typed);
    typist_key(VK_RETURN);
    const int16_t result = message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 30, "A byte:\n\n",
                                       FIELD_BYTE | FIELD_MINUS, &value, 5, nullptr, 0, nullptr);
    EXPECT_LT(result, 0) << c.typed;
    EXPECT_EQ(value, c.expected) << c.typed;
  }
}

TEST_F(MessageBoxTest, AnUnchangedNumberEntryWritesNothing) {
  int32_t value = 1234;
  typist_key(VK_RETURN);
  EXPECT_EQ(message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 30, "A number:\n\n", FIELD_LONG, &value, 8,
                        nullptr, 0, nullptr),
            KEY_ENTER);
  EXPECT_EQ(value, 1234);
  typist_text("9");
  typist_key(VK_ESCAPE);
  EXPECT_EQ(message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 30, "A number:\n\n", FIELD_LONG, &value, 8,
                        nullptr, 0, nullptr),
            27);
  EXPECT_EQ(value, 1234);
}

TEST_F(MessageBoxTest, ATextEntryEditsTheCallersTextInPlace) {
  char name[32] = "plate";
  const std::vector<uint32_t> before = pixels();
  typist_text("2");
  typist_key(VK_RETURN);
  EXPECT_EQ(message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 30, "Name:\n\n", 0, name, 20, nullptr, 0,
                        nullptr),
            KEY_ENTER);
  EXPECT_STREQ(name, "plate2");
  hide_pointer();
  EXPECT_EQ(pixels(), before);
}

}  // namespace
