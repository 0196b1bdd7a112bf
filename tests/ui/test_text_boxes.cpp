// The editor windows' key filter, the text box, the line editor and the report viewer, driven
// through the event queue on the headless screen.
#include <string>
#include <vector>

#include "screen/controls.h"
#include "tests/support/idle_typist.h"
#include "tests/ui/editor_fixture.h"
#include "ui/editor_key_filter.h"
#include "ui/message_box.h"
#include "ui/popups.h"
#include "ui/text_boxes.h"

namespace {

using Lines = std::vector<std::string>;

constexpr EventCode SENTINEL = 'z';

class TextBoxTest : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    reset_text_boxes();
    reset_controls();
    g_buffer_entries = BufferEntryPoints();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    g_buffer_entries = BufferEntryPoints();
    EditorTest::TearDown();
  }
  // The filter's answer to the queued codes (a sentinel after them shows what was skipped).
  static EventCode filter_after(const std::vector<EventCode>& codes) {
    for (EventCode c : codes) push_input_code(c);
    push_input_code(SENTINEL);
    const EventCode result = editor_key_filter();
    flush_input();
    return result;
  }
  // A step of the typist that runs a check while the program waits.
  static void typist_do(std::function<void()> step) { g_typist.steps.push_back(std::move(step)); }
  // A left click where the program's pointer stands at (x, y).
  static void click_at(int x, int y) {
    g_pointer.wanted_x = static_cast<int16_t>(x);
    g_pointer.wanted_y = static_cast<int16_t>(y);
    push_input_code(EVENT_LEFT_DOWN);
    push_input_code(EVENT_LEFT_UP);
  }
};

TEST_F(TextBoxTest, TheKeyFilterTurnsEventsIntoRunLoopCodes) {
  constexpr uint32_t WRAP = WINDOW_WORD_WRAP;
  constexpr uint32_t LIST = WINDOW_ENTER_ACCEPTS;
  struct Case {
    const char* name;
    uint32_t flags;
    int cursor_line;  // of three lines
    std::vector<EventCode> codes;
    EventCode expected;
  };
  const Case cases[] = {
      {"a character", 0, 0, {'a'}, 'a'},
      {"a byte above 127", 0, 0, {0xE9}, 0xE9},
      {"Enter", 0, 0, {KEY_ENTER}, KEY_ENTER},
      {"Enter in a list-like window", LIST, 0, {KEY_ENTER}, WINDOW_ACCEPT},
      {"Tab with word wrap", WRAP, 0, {KEY_TAB}, KEY_TAB},
      {"Tab without word wrap", 0, 0, {KEY_TAB}, SENTINEL},
      {"Backspace", 0, 0, {KEY_BACKSPACE}, KEY_BACKSPACE},
      {"Ctrl+F4", 0, 0, {353}, WINDOW_ACCEPT},
      {"Ctrl+S", 0, 0, {KEY_CTRL_BASE + 'S'}, WINDOW_ACCEPT},
      {"Ctrl+S in a list-like window", LIST, 0, {KEY_CTRL_BASE + 'S'}, SENTINEL},
      {"Down on the last line", 0, 2, {KEY_DOWN}, WINDOW_APPEND_LINE},
      {"Down on the last line of a list-like window", LIST, 2, {KEY_DOWN}, KEY_DOWN},
      {"Down above the last line", 0, 0, {KEY_DOWN}, KEY_DOWN},
      {"an Alt+keypad character", 0, 0, {EVENT_ALT_KEYPAD_BASE + 'q'}, EVENT_ALT_KEYPAD_BASE + 'q'},
      {"a tick", 0, 0, {EVENT_TICK}, SENTINEL},
      {"the right button", 0, 0, {EVENT_RIGHT_DOWN}, SENTINEL},
      {"Ctrl+F2", 0, 0, {KEY_CTRL_F2}, SENTINEL},
      {"a control character outside the list", 0, 0, {1}, SENTINEL},
      {"a control character in the list", 0, 0, {20}, 20},
      {"a drag code", 0, 0, {WINDOW_DRAG_DOWN}, WINDOW_DRAG_DOWN},
      {"Esc in an unchanged window", 0, 0, {KEY_ESC}, KEY_ESC},
      {"Ctrl+X", 0, 0, {KEY_CTRL_X}, WINDOW_CUT},
      // The run loop redraws the window and reads on.
      {"a repaint", 0, 0, {EVENT_REDRAW}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextLine* node = make_editor({"one\n", "two\n", "three"}, c.flags);
    activate_window(node);
    g_lists.cursor_line = line_at(node, c.cursor_line);
    EXPECT_EQ(filter_after(c.codes), c.expected);
    destroy(node);
  }
}

TEST_F(TextBoxTest, DownOnTheLastLineAddsNoLineBeyondNineBlankOnes) {
  Lines lines(10, "\n");
  lines.push_back("last");
  TextLine* node = make_editor(lines);
  activate_window(node);
  g_lists.cursor_line = g_lists.current.last;
  EXPECT_EQ(filter_after({KEY_DOWN}), 0);
}

TEST_F(TextBoxTest, PageKeysGoThroughTheNcPagesKeyMap) {
  g_buffer_entries.nc_editor_key_map = [](EventCode code) -> EventCode {
    return code == KEY_CTRL_BASE + 'F' ? WINDOW_FIND : code;
  };
  TextLine* node = make_editor({"one\n"});
  activate_window(node);
  EXPECT_EQ(filter_after({KEY_CTRL_BASE + 'F'}), WINDOW_FIND);
  EXPECT_EQ(filter_after({KEY_HOME}), KEY_HOME);
}

TEST_F(TextBoxTest, LeavingAChangedTextAsksWhetherToSaveIt) {
  struct Case {
    const char* answer;
    EventCode expected;
  };
  // Esc in the question goes back to editing: the next code is read.
  const Case cases[] = {{"y", WINDOW_ACCEPT}, {"n", KEY_ESC}, {"\x1b", SENTINEL}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    TextLine* node = make_editor({"one\n"});
    activate_window(node);
    window_of(node)->flags |= WINDOW_CHANGED;
    start_typist();
    if (c.answer[0] == 27) {
      typist_key(VK_ESCAPE);
      typist_do([] { push_input_code(SENTINEL); });
    } else {
      typist_text(c.answer);
    }
    push_input_code(KEY_ESC);
    EXPECT_EQ(editor_key_filter(), c.expected);
    EXPECT_NE(g_message_box.last_text.find("Want to save the changes you made?"), std::string::npos);
    flush_input();
    destroy(node);
  }
  // A list-like window leaves without asking.
  TextLine* list = make_editor({"one\n"}, WINDOW_ENTER_ACCEPTS);
  activate_window(list);
  window_of(list)->flags |= WINDOW_CHANGED;
  const int boxes = g_message_box.shown_count;
  EXPECT_EQ(filter_after({KEY_ESC}), KEY_ESC);
  EXPECT_EQ(g_message_box.shown_count, boxes);
}

// ---- The text box ------------------------------------------------------------------------------

std::string lines_text(int count) {
  std::string text;
  for (int k = 0; k < count; ++k) text += "line " + std::to_string(k) + "\n";
  return text;
}

TEST_F(TextBoxTest, TheBoxFitsItsHeightToTheText) {
  struct Case {
    int lines;
    int row;
    int expected_rows;
  };
  const Case cases[] = {{22, 0, 22}, {23, 0, 20}, {3, 0, 5}, {3, 14, 5}, {40, 14, 5}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.lines) + " lines at row " + std::to_string(c.row));
    int rows = 0;
    int top = 0;
    start_typist();
    typist_do([&] {
      rows = g_windows.active->rows;
      top = g_windows.active->top_row;
      headless_inject_keystroke(VK_ESCAPE, 0);
    });
    char out[2000];
    EXPECT_EQ(edit_text_in_box(lines_text(c.lines).c_str(), out, sizeof out, "Box", c.row,
                               MSGBOX_CENTRE, 30, nullptr, nullptr),
              0);
    EXPECT_EQ(rows, c.expected_rows);
    EXPECT_EQ(top, (c.row == 0 ? 12 : c.row) - c.expected_rows / 2);
    EXPECT_STREQ(out, "");
  }
}

TEST_F(TextBoxTest, AnAcceptedTextIsJoinedIntoOneLine) {
  struct Case {
    const char* name;
    const char* text;
    int width;
    const char* expected;
  };
  const Case cases[] = {
      // Wrapped at 7: "  abc " and "def".
      {"leading and trailing blanks", "  abc def", 7, "abc def\n"},
      {"only blanks", "   ", 20, "\n"},
      {"an empty text", "", 20, "\n"},
      {"a newline cuts its line", "ab\ncd\n", 20, "abcd\n"},
      {"control bytes at the end", "abc\x01\x02", 20, "abc\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start_typist();
    typist_key(VK_RETURN);
    char out[200];
    EXPECT_EQ(edit_text_in_box(c.text, out, sizeof out, "Box", 12, 40, c.width, nullptr, nullptr),
              static_cast<unsigned char>(c.expected[0]));
    EXPECT_STREQ(out, c.expected);
  }
}

TEST_F(TextBoxTest, TheBoxWritesNoMoreThanTheCallersRoomAndLosesNothing) {
  // Guard bytes around a 6-byte room.
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  char* out = buffer + 5;
  start_typist();
  typist_key(VK_END);
  typist_key(VK_RETURN);     // "abcdefgh\n" does not fit: the box says so
  typist_key(VK_RETURN);     // the notice closes; the text is still there
  typist_do([] {
    EXPECT_EQ(EditorTest::joined(g_windows.active_node), "abcdefgh");
    headless_inject_keystroke(VK_BACK, 0);
  });
  typist_key(VK_BACK);
  typist_key(VK_BACK);
  typist_key(VK_BACK);
  typist_key(VK_RETURN);     // "abcd\n" and its zero fit
  EXPECT_EQ(edit_text_in_box("abcdefgh", out, 6, "Box", 12, 40, 30, nullptr, nullptr), 'a');
  EXPECT_STREQ(out, "abcd\n");
  EXPECT_NE(g_message_box.last_text.find("at most 4 characters"), std::string::npos)
      << g_message_box.last_text;
  for (int k = 0; k < 5; ++k) EXPECT_EQ(buffer[k], '#');
  for (int k = 11; k < 16; ++k) EXPECT_EQ(buffer[k], '#');
  EXPECT_EQ(g_text_boxes.box_flags, TEXT_BOX_FLAGS);
}

TEST_F(TextBoxTest, AResizeRedrawsTheBoxAndKeepsWhatWasTyped) {
  start_typist();
  typist_key(VK_END);
  typist_text("xy");
  typist_do([] { headless_inject_resize(700, 520); });
  typist_text("z");
  typist_key(VK_RETURN);
  char out[100];
  EXPECT_EQ(edit_text_in_box("ab", out, sizeof out, "Box", 12, 40, 30, nullptr, nullptr), 'a');
  EXPECT_STREQ(out, "abxyz\n");
}

// ---- Editing lines in a window -----------------------------------------------------------------

class LineEditorTest : public TextBoxTest {
 protected:
  LineList make_list(const Lines& texts) {
    push_list();
    clear_current_list();
    for (const std::string& t : texts) append_line(t.c_str());
    LineList list = g_lists.current;
    clear_current_list();
    pop_list();
    return list;
  }
  static Lines texts_of(const LineList& list) {
    Lines out;
    for (TextLine* l = list.first; l != nullptr; l = l->next) out.push_back(l->text);
    return out;
  }
  void TearDown() override {
    free_list(list_.first);
    TextBoxTest::TearDown();
  }
  LineList list_;
};

TEST_F(LineEditorTest, AcceptedLinesReplaceTheCallersAndAreWrappedToTheWindow) {
  list_ = make_list({"one two three four five six\n", "end\n"});
  list_.first->kind = LINE_KIND_PARAGRAPH;
  list_.last->kind = LINE_KIND_PARAGRAPH;
  Lines seen;
  start_typist();
  typist_do([&] {
    seen = lines_of(g_windows.active_node);
    headless_inject_text("X");
  });
  typist_key('S', WINDOW_MOD_CTRL);
  EXPECT_EQ(edit_lines_in_window(&list_, "Lines", 10, 30, 6, 15, nullptr, nullptr,
                                 WINDOW_WORD_WRAP | WINDOW_TEXT_LIST, nullptr, nullptr, 0),
            1);
  // Wrapped to 14 columns in the window.
  EXPECT_EQ(seen, (Lines{"one two three ", "four five six\n", "end\n"}));
  EXPECT_EQ(texts_of(list_), (Lines{"Xone two three ", "four five six\n", "end\n"}));
}

TEST_F(LineEditorTest, ACancelKeepsTheCallersLinesAndAResizeKeepsTheTyping) {
  list_ = make_list({"abc\n"});
  start_typist();
  typist_text("1");
  typist_do([] { headless_inject_resize(700, 520); });
  typist_text("2");
  typist_key(VK_ESCAPE);
  typist_text("n");
  EXPECT_EQ(edit_lines_in_window(&list_, "Lines", 10, 30, 6, 20, nullptr, nullptr, 0, nullptr,
                                 nullptr, 0),
            0);
  EXPECT_EQ(texts_of(list_), (Lines{"abc\n"}));
  // The same typing, a resize between, kept when accepted.
  start_typist();
  typist_text("1");
  typist_do([] { headless_inject_resize(640, 480); });
  typist_text("2");
  typist_key(VK_ESCAPE);
  typist_text("y");
  EXPECT_EQ(edit_lines_in_window(&list_, "Lines", 10, 30, 6, 20, nullptr, nullptr, 0, nullptr,
                                 nullptr, 0),
            1);
  EXPECT_EQ(texts_of(list_), (Lines{"12abc\n"}));
}

// ---- The report viewer -------------------------------------------------------------------------

class ReportViewerTest : public TextBoxTest {
 protected:
  TextLine* make_report(int lines) {
    Lines texts;
    for (int k = 0; k < lines; ++k) texts.push_back("report line " + std::to_string(k) + "\n");
    TextLine* node = make_editor(texts, WINDOW_TEXT_LIST, "Report", 250, 20);
    window_of(node)->key_filter = report_viewer_key_filter;
    return node;
  }
  static bool button_shown(int id) {
    const ScreenControl* c = find_control(id);
    return c != nullptr && (c->flags & CF_HIDDEN) == 0;
  }
  // The middle of a button's pixel box.
  static std::pair<int, int> button_centre(int id) {
    const ScreenControl* c = find_control(id);
    return {c->x + c->hit_width / 2, c->y + c->hit_height / 2};
  }
};

TEST_F(ReportViewerTest, PagingButtonsShowOnlyForAReportLongerThanTheWindow) {
  struct Case {
    int lines;
    bool paging;
  };
  for (const Case& c : {Case{10, false}, Case{40, true}}) {
    SCOPED_TRACE(c.lines);
    TextLine* node = make_report(c.lines);
    bool shown[5] = {};
    start_typist();
    typist_do([&] {
      int k = 0;
      for (int id : {11, 13, 15, 14, 12}) shown[k++] = button_shown(id);
      EXPECT_TRUE(button_shown(27));
      headless_inject_keystroke(VK_ESCAPE, 0);
    });
    EXPECT_EQ(run_window(node), nullptr);
    for (bool s : shown) EXPECT_EQ(s, c.paging);
    destroy(node);
  }
}

TEST_F(ReportViewerTest, ButtonsPageAndAReportNeverCountsAsChanged) {
  TextLine* node = make_report(60);
  TextLine* top_line = nullptr;
  start_typist();
  typist_text("typed");  // a report is read-only in effect: nothing marks it changed
  typist_do([&] {
    const auto [x, y] = button_centre(14);
    click_at(x, y);
  });
  typist_do([&] {
    top_line = g_lists.cursor_line;
    EXPECT_EQ(g_windows.active->flags & WINDOW_CHANGED, 0u);
    const auto [x, y] = button_centre(27);
    click_at(x, y);
  });
  EXPECT_EQ(run_window(node), nullptr);
  ASSERT_NE(top_line, nullptr);
  EXPECT_NE(top_line, window_of(node)->first_line);  // the Next page button paged down
  EXPECT_EQ(g_form.caption_hidden_count, 0);
}

// ---- The Cancel/Save pop-up ------------------------------------------------------------------

TEST_F(TextBoxTest, TheSaveButtonShowsOnceTheTextChangesAndAccepts) {
  TextLine* node = make_editor({"abc\n"});
  window_of(node)->key_filter = cancel_save_key_filter;
  bool save_before = true;
  bool save_after = false;
  start_typist();
  typist_do([&] {
    save_before = (find_control(13)->flags & CF_HIDDEN) == 0;
    headless_inject_text("x");
  });
  typist_do([&] {
    const ScreenControl* save = find_control(13);
    save_after = (save->flags & CF_HIDDEN) == 0;
    click_at(save->x + 2, save->y + 2);
  });
  EXPECT_NE(run_window(node), nullptr);  // accepted
  EXPECT_FALSE(save_before);
  EXPECT_TRUE(save_after);
  EXPECT_EQ(g_popups.current, nullptr);
  EXPECT_EQ(joined(node), "xabc\n");
}

}  // namespace
