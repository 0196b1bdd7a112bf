// Catalogue menus built from a small catalogue of their own: item lines, separators, missing and
// cyclic submenus, hot letters, submenus beside their item, and the screen put back afterwards.
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include "platform/files.h"
#include "store/catalogue.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/ui/window_fixture.h"
#include "ui/catalogue_menu.h"
#include "ui/dialog_form.h"
#include "ui/list_window.h"
#include "ui/window_frames.h"

namespace {

// \v before a hot letter, \x13 after; \f a heading's colour.
constexpr char MENU_CATALOGUE[] =
    "~100\r\n"
    "Things   \r\n"
    "\x0c" "Heading\x13\r\n"
    "10 \vO\x13pen\r\n"
    "11 \vS\x13" "ave\r\n"
    "\r\n"
    "  !>116 12 \vQ\x13uit  \r\n"
    "116 101 \vM\x13ore\r\n"
    "116 999 \vG\x13one\r\n"
    "116 102 \vL\x13oop\r\n"
    "~101\r\n"
    "More\r\n"
    "20 \vA\x13lpha\r\n"
    "21 \vB\x13" "eta\r\n"
    "~102\r\n"
    "Loop\r\n"
    "30 \vI\x13nner\r\n"
    "116 100 \vB\x13" "ack to the top\r\n";

class CatalogueMenuTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_dialog_forms();
    reset_list_state();
    reset_menu_state();
    reset_catalogue();
    folder_ = make_test_folder("brenvik_menus");
    std::ofstream(folder_ / CATALOGUE_FILE_NAME, std::ios::binary) << MENU_CATALOGUE;
    set_program_folder_for_tests(folder_.string());
    ASSERT_GT(open_catalogue(), 0);
    g_menus.option_word = 0x410013;
    take_focus_and_pointer(620, 470);
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    if (menu_ != nullptr) destroy_window_chain_from(menu_);
    reset_catalogue();
    set_program_folder_for_tests("");
    std::filesystem::remove_all(folder_);
    WindowTest::TearDown();
  }
  static void destroy_window_chain_from(TextLine* node) {
    while (node != nullptr) node = destroy_window(node);
  }
  TextLine* build(int message) {
    menu_ = menu_from_catalogue(nullptr, MENU_PLACEMENT_BAR, message);
    return menu_;
  }
  static std::vector<TextLine*> items(TextLine* node) {
    std::vector<TextLine*> out;
    for (TextLine* line = window_of(node)->first_line; line != nullptr; line = line->next)
      out.push_back(line);
    return out;
  }
  static std::vector<uint32_t> screen_pixels() {
    hide_pointer();
    return window_surface()->pixels;
  }

  std::filesystem::path folder_;
  TextLine* menu_ = nullptr;
};

TEST_F(CatalogueMenuTest, ItemLinesCarryTheirIdsPicturesAndSubmenus) {
  TextLine* menu = build(100);
  ASSERT_NE(menu, nullptr);
  EXPECT_STREQ(window_of(menu)->title, "Things");
  const std::vector<TextLine*> lines = items(menu);
  ASSERT_EQ(lines.size(), 7u) << "the blank line makes no item";
  struct Expected {
    int id;
    const char* text;
    bool submenu;
  };
  const Expected expected[] = {
      {MENU_SEPARATOR_ID, "\x0c" "Heading\x13\n", false},
      {10, "\vO\x13pen\n", false},
      {11, "\vS\x13" "ave\n", false},
      {12, "\vQ\x13uit\n", false},
      {116, "\vM\x13ore\n", true},
      {116, "\vG\x13one\n", false},   // its submenu is missing
      {116, "\vL\x13oop\n", true},    // its submenu names the menu again below itself
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(lines[i]->id, expected[i].id);
    EXPECT_EQ(lines[i]->text, expected[i].text);
    EXPECT_EQ((lines[i]->state & MENU_ITEM_HAS_SUBMENU) != 0, expected[i].submenu);
  }
  EXPECT_NE(lines[3]->state & MENU_ITEM_EXITS, 0) << "'!' marks the item";
  EXPECT_EQ(lines[3]->attributes[0], 116) << "'>116' is its picture";
  // The Loop submenu's own "Back to the top" names menu 100, which is being built: dropped.
  activate_window(menu);
  TextLine* loop = submenu_of(lines[6]);
  ASSERT_NE(loop, nullptr);
  const std::vector<TextLine*> loop_items = items(loop);
  ASSERT_EQ(loop_items.size(), 2u);
  EXPECT_EQ(loop_items[1]->state & MENU_ITEM_HAS_SUBMENU, 0);
  // The width follows the longest item's visible cells.
  EXPECT_EQ(window_of(menu)->right_column - window_of(menu)->left_column, 4);
}

TEST_F(CatalogueMenuTest, AMissingMenuIsNamed) {
  EXPECT_EQ(build(555), nullptr);
  EXPECT_EQ(g_menus.failed_message, 555);
}

TEST_F(CatalogueMenuTest, ParsingNumbers) {
  struct Case {
    const char* text;
    int number;
    size_t after;
  };
  const Case cases[] = {
      {"  42 Open", 42, 4}, {"0 x", 0, 1}, {"Open", 0, 0}, {"116-9 x", 116, 5}, {"", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int number = -1;
    const char* after = parse_menu_number(c.text, &number);
    EXPECT_EQ(number, c.number);
    EXPECT_EQ(static_cast<size_t>(after - c.text), c.after);
  }
}

TEST_F(CatalogueMenuTest, KeysChooseAndTheCursorNeverRestsOnAHeading) {
  struct Case {
    const char* what;
    std::vector<std::function<void()>> steps;
    int option;
  };
  const Case cases[] = {
      {"Enter on the first item skips the heading", {[] { typist_key(VK_RETURN); }}, 10},
      {"Down then Enter", {[] { typist_key(VK_DOWN); }, [] { typist_key(VK_RETURN); }}, 11},
      {"a hot letter chooses at once", {[] { typist_text("q"); }}, 12},
      {"a hot letter of another case too", {[] { typist_text("S"); }}, 11},
      {"a letter of no item chooses nothing", {[] { typist_text("z"); }, [] { typist_key(VK_ESCAPE); }}, 0},
      {"Esc chooses nothing", {[] { typist_key(VK_ESCAPE); }}, 0},
      {"a submenu's choice", {[] { typist_text("m"); }, [] { typist_key(VK_DOWN); },
                              [] { typist_key(VK_RETURN); }}, 21},
      {"Left closes the submenu only", {[] { typist_text("m"); }, [] { typist_key(VK_LEFT); },
                                        [] { typist_text("o"); }}, 10},
      {"Up from the first item stays", {[] { typist_key(VK_UP); }, [] { typist_key(VK_RETURN); }}, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextLine* menu = build(100);
    ASSERT_NE(menu, nullptr);
    g_typist.steps.clear();
    for (const auto& step : c.steps) step();
    EXPECT_EQ(run_catalogue_menu(menu, -5, 10), c.option);
    destroy_window_chain_from(menu);
    menu_ = nullptr;
  }
}

TEST_F(CatalogueMenuTest, TheScreenUnderTheMenuAndItsSubmenuComesBack) {
  for (int row = 0; row < 20; ++row) draw_text(row, 0, "0123456789abcdefghijklmnopqrstuvwxyz0123456789");
  const std::vector<uint32_t> before = screen_pixels();
  // Menus that keep a copy of the screen under them put it back themselves.
  g_menus.option_word |= WINDOW_KEEP_UNDER;
  TextLine* menu = build(100);
  typist_text("m");  // the submenu opens beside its item
  g_typist.steps.push_back([] {});
  typist_key(VK_ESCAPE);
  typist_key(VK_ESCAPE);
  EXPECT_EQ(run_catalogue_menu(menu, -5, 10), 0);
  EXPECT_EQ(screen_pixels(), before);
}

TEST_F(CatalogueMenuTest, ASubmenuNearTheRightEdgeStartsFurtherLeft) {
  TextLine* menu = build(100);
  TextWindow* top = window_of(menu);
  const int width = top->right_column - top->left_column + 1;
  place_window(top, -5, g_display.current.last_column - width - 1);
  activate_window(menu);
  TextLine* more = submenu_of(items(menu)[4]);
  ASSERT_NE(more, nullptr);
  int sub_left = -1;
  int sub_width = 0;
  typist_text("m");
  g_typist.steps.push_back([&] {
    const TextWindow* s = window_of(more);
    sub_left = s->left_column;
    sub_width = s->right_column - s->left_column + 1;
    headless_inject_keystroke(VK_ESCAPE, 0);
  });
  typist_key(VK_ESCAPE);
  run_catalogue_menu(menu, 0, 0);
  EXPECT_EQ(sub_left + sub_width, g_display.current.last_column - 7);
}

TEST_F(CatalogueMenuTest, TheHideShowWordFollowsTheHotLetter) {
  std::string text = "Folders: show \vh\x13idden ones";
  set_hide_show_word(&text, 'H', 1);
  EXPECT_EQ(text, "Folders: hide \vh\x13idden ones");
  set_hide_show_word(&text, 'h', 0);
  EXPECT_EQ(text, "Folders: show \vh\x13idden ones");
}

}  // namespace
