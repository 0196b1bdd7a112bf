// List windows: the key filter's commands by area, checks toggled by keys, clicks and a drag,
// in-place edits, the check-box line drawer and the check-choice list, run through the run loop
// on the headless screen.
#include <string>
#include <vector>

#include "platform/headless.h"
#include "tests/support/idle_typist.h"
#include "tests/ui/window_fixture.h"
#include "ui/dialog_form.h"
#include "ui/list_window.h"

namespace {

constexpr uint32_t CHECK_LIST = LIST_MARK_CHECK | 0x10;          // a check box, then the text
constexpr uint32_t MOVE_LIST = LIST_TEXT_FIRST | LIST_RIGHT_MOVE;  // text, then a move column

class ListWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_dialog_forms();
    reset_list_state();
    g_form_hooks = FormHooks();
    take_focus_and_pointer(600, 460);
    start_typist();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    WindowTest::TearDown();
  }

  TextLine* open_list(std::initializer_list<const char*> lines, uint32_t list_options,
                      uint32_t flags = 0) {
    TextLine* node = make_window(lines, 4, 5, 9, 30, flags, list_key_filter, nullptr, 0,
                                 list_options);
    window_of(node)->line_drawer = draw_check_list_line;
    activate_window(node);
    g_run.first_call = true;
    return node;
  }

  // The filter's command for keys queued before it reads.
  static EventCode command_for(std::initializer_list<EventCode> codes) {
    for (EventCode code : codes) push_input_code(code);
    const EventCode result = list_key_filter();
    g_run.first_call = false;
    return result;
  }

  static std::vector<bool> checks(TextLine* node) {
    std::vector<bool> out;
    for (const TextLine* line = window_of(node)->first_line; line != nullptr; line = line->next)
      out.push_back((line->state & LINE_STATE_CHECKED) != 0);
    return out;
  }
  static int ch() { return g_display.current.cell_height; }
  static int cw() { return g_display.current.cell_width; }
};

TEST_F(ListWindowTest, CommandsByAreaAndKey) {
  struct Case {
    const char* what;
    uint32_t list_options;
    uint32_t flags;
    int area;
    std::vector<EventCode> keys;
    EventCode expected;
  };
  const Case cases[] = {
      {"Esc leaves", CHECK_LIST, 0, 1, {KEY_ESC}, KEY_ESC},
      {"a right click leaves", CHECK_LIST, 0, 1, {EVENT_RIGHT_DOWN}, KEY_ESC},
      {"a repaint redraws", CHECK_LIST, 0, 1, {EVENT_REDRAW}, WINDOW_REDRAW},
      {"Enter in the check column toggles", CHECK_LIST, 0, 0, {KEY_ENTER}, LIST_TOGGLED},
      {"Enter accepts where the window says so", CHECK_LIST, WINDOW_ENTER_ACCEPTS, 1, {KEY_ENTER},
       WINDOW_ACCEPT},
      {"Up in a move column moves the line", MOVE_LIST, 0, 1, {KEY_UP}, WINDOW_MOVE_LINE_UP},
      {"Down in a move column moves the line", MOVE_LIST, 0, 1, {KEY_DOWN},
       WINDOW_MOVE_LINE_DOWN},
      {"Left in the first area leaves the list", MOVE_LIST, 0, 1, {KEY_LEFT}, KEY_LEFT},
      {"Right from the mark column goes to the text", CHECK_LIST, 0, 0, {KEY_RIGHT}, 0},
      {"Del asks the run loop to delete", MOVE_LIST, 0, 0, {KEY_DEL}, WINDOW_DELETE_LINE_NOW},
      {"Del with a question", MOVE_LIST, 0x800, 0, {KEY_DEL}, WINDOW_DELETE_LINE},
      {"Del in a fixed list does nothing", MOVE_LIST, WINDOW_FIXED_LIST, 0, {KEY_DEL}, 0},
      {"Up in a text area is a plain move", MOVE_LIST, 0, 0, {KEY_UP}, KEY_UP},
      {"Ctrl+S sorts", MOVE_LIST, 0, 0, {KEY_CTRL_BASE + 'S'}, WINDOW_SORT_ALL},
      {"keys of no meaning are dropped", CHECK_LIST, 0, 0, {KEY_F2, KEY_ESC}, KEY_ESC},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextLine* node = open_list({"one", "two", "three"}, c.list_options, c.flags);
    g_run.first_call = false;
    window_of(node)->cursor_column = static_cast<int16_t>(c.area);
    g_lists.cursor_line = window_of(node)->first_line->next;
    window_of(node)->cursor_row = 1;
    flush_input();
    for (EventCode code : c.keys) push_input_code(code);
    EXPECT_EQ(list_key_filter(), c.expected);
    flush_input();
    destroy(node);
  }
}

TEST_F(ListWindowTest, TheFirstCallOfARunStartsInTheTextAndGivesAnEmptyListALine) {
  TextLine* node = make_window({}, 4, 5, 9, 30, 0, list_key_filter, nullptr, 0, CHECK_LIST);
  activate_window(node);
  g_run.first_call = true;
  EXPECT_EQ(command_for({KEY_ESC}), KEY_ESC);
  EXPECT_EQ(g_windows.active->cursor_column, 1);
  ASSERT_NE(g_lists.current.first, nullptr);
  EXPECT_EQ(g_lists.current.first->text, "\n");
}

TEST_F(ListWindowTest, SpaceInACheckListTogglesAndMovesDown) {
  TextLine* node = open_list({"a", "b", "c", ""}, CHECK_LIST | LIST_RIGHT_CHECK);
  typist_text(" ");
  typist_text(" ");
  typist_key(VK_ESCAPE);
  run_window(node);
  EXPECT_EQ(checks(node), (std::vector<bool>{true, true, false, false}));
  EXPECT_EQ(g_lists.cursor_line, window_of(node)->first_line->next->next);
  EXPECT_NE(window_of(node)->flags & WINDOW_CHANGED, 0u);
}

TEST_F(ListWindowTest, DraggingWithTheLeftButtonChecksEveryLinePassed) {
  TextLine* node = open_list({"a", "b", "c", "d", "e"}, CHECK_LIST | LIST_ROW_KEYS);
  const int x = 5 * cw() + cw() / 2;  // the mark column
  const auto row_y = [&](int row) { return (4 + row) * ch() + ch() / 2; };
  // The first click brings the cursor to the mark column; the press there starts the drag.
  typist_move(x, row_y(0));
  typist_click(x, row_y(0));
  g_typist.steps.push_back([&] { headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, x, row_y(0)); });
  for (int row = 1; row <= 3; ++row)
    g_typist.steps.push_back([&, row] { headless_inject_mouse_move(x, row_y(row)); });
  g_typist.steps.push_back([&] { headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, x, row_y(3)); });
  typist_key(VK_ESCAPE);
  run_window(node);
  EXPECT_EQ(checks(node), (std::vector<bool>{true, true, true, true, false}));
  EXPECT_EQ(g_list.drag_check, 255) << "the release ends the drag";
}

TEST_F(ListWindowTest, TypingOnALineReplacesItsText) {
  TextLine* node = open_list({"old name", "other"}, MOVE_LIST);
  typist_text("new");
  typist_key(VK_RETURN);
  typist_key(VK_ESCAPE);
  run_window(node);
  EXPECT_EQ(window_of(node)->first_line->text, "new") << "the line keeps its own ending";
  EXPECT_EQ(window_of(node)->first_line->next->text, "other");
  EXPECT_NE(window_of(node)->flags & WINDOW_CHANGED, 0u);
}

TEST_F(ListWindowTest, CheckedLinesShowTheirBoxesAndLongTextIsCutToTheRoom) {
  TextLine* node = open_list({"short", "a line far too long for the room it has in the list"},
                             CHECK_LIST | LIST_END_MARKS);
  window_of(node)->first_line->state |= LINE_STATE_CHECKED;
  repaint_window_lines();
  const std::string first = row_text(4, 5, 26);
  const std::string second = row_text(5, 5, 26);
  // Two box cells, the text padded to the room (26 columns less the box and the end marks).
  EXPECT_EQ(first.substr(2, 5), "short");
  EXPECT_EQ(second.substr(2, 22), std::string("a line far too long for the room").substr(0, 22));
  EXPECT_NE(first.substr(0, 2), second.substr(0, 2)) << "checked and unchecked boxes differ";
  // Nothing of the text is drawn past the room, where the end marks stand.
  EXPECT_NE(second.substr(24, 2), "ro");
}

TEST_F(ListWindowTest, TheCheckChoiceListGivesTheCheckedLinesAsBits) {
  TextLine* node = make_window({"Alpha", "\x0e" "Heading", "Beta", "Gamma", "Other: "}, 4, 5, 10, 40,
                               0, check_choice_key_filter, nullptr, 0, 0);
  window_of(node)->line_drawer = draw_choice_check_line;
  g_check_choice.mask = 0x80000000u | 0x4;  // Gamma preset
  // Space on Alpha moves down to the heading (which keeps no bit); Enter on the entry line
  // accepts.
  typist_text(" ");
  for (int i = 0; i < 3; ++i) typist_key(VK_DOWN);
  typist_key(VK_RETURN);
  run_window(node);
  EXPECT_EQ(g_check_choice.mask, 0x1u | 0x4u);
  EXPECT_EQ(window_of(node)->first_line->text, "xxxxAlpha");
}

TEST_F(ListWindowTest, AHotLetterSearchFindsTheLineInAnyCase) {
  TextLine* node = open_list({"\vO\x13" "pen", "\vs\x13" "ave", "\vQ\x13" "uit"}, MOVE_LIST);
  g_find.search_text = "\vS\x13";
  push_back_key(WINDOW_FIND_FROM_TOP);
  push_input_code(KEY_ESC);
  run_window(node);
  EXPECT_EQ(g_lists.cursor_line, window_of(node)->first_line->next);
  EXPECT_GT(g_find.last_find_result, 0);
  g_find.search_text = "\vZ\x13";
  push_back_key(WINDOW_FIND_FROM_TOP);
  push_input_code(KEY_ESC);
  run_window(node);
  EXPECT_EQ(g_lists.cursor_line, window_of(node)->first_line->next) << "a miss stays";
  EXPECT_EQ(g_find.last_find_result, 0);
}

TEST_F(ListWindowTest, ClearLinesEmptiesTheLastTwoLines) {
  TextLine* node = open_list({"a", "b", "c"}, MOVE_LIST);
  TextLine* second = window_of(node)->first_line->next;
  second->extra = {1, 2, 3};
  clear_lines(second, 5);
  EXPECT_EQ(second->text, "\n");
  EXPECT_EQ(second->next->text, "\n");
  EXPECT_TRUE(second->extra.empty());
  EXPECT_EQ(window_of(node)->first_line->text, "a");
  EXPECT_EQ(is_blank_text(" \t\n"), 1);
  EXPECT_EQ(is_blank_text(" x"), 0);
}

}  // namespace
