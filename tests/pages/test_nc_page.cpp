// The NC program page driven through its event queue: the program an NC run leaves becomes the
// NC document, titled after the job; the page's keys, buttons and menu act on the buffer; editing
// sends page 3 to make its proof again; a quit asks about edited buffers. Cells, lines and files
// are read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "job/job_file.h"
#include "pages/job_commands.h"
#include "pages/nc_page.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "screen/display_mode.h"
#include "store/line_fold.h"
#include "store/store_host.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/edit_buffers.h"
#include "ui/editor_cursor.h"
#include "ui/message_box.h"
#include "ui/nc_buffer_tools.h"
#include "ui/run_window.h"
#include "ui/standard_dialogs.h"
#include "ui/text_files.h"

namespace {

namespace fs = std::filesystem;

class NcPageTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    reset_editor_page();
    reset_nc_page();
    reset_message_box();
    reset_nc_buffer_tools();
    reset_sequence_settings();
    g_job_settings = JobSettings{};
    g_job_file.full_path.clear();
    g_preferences.current_page = PAGE_NC_PROGRAM;
    connect_job_commands();
    g_store_host.show_text_box = show_text_box;
    g_message_box.save_hook = save_text_file;
    g_buffer_entries.first_buffer_key = nc_page_key;
    g_buffer_entries.nc_menu_command = nc_menu_command;
    g_buffer_entries.nc_editor_key_map = nc_editor_key_map;
    folder_ = make_test_folder("brenvik-nc-page");
    g_buffers.current_folder = folder_.string() + "/";
    start_typist();
    install_main_window_proc();  // the page runs under the page loop, which takes Tab
    editing_window_size();  // the editor leaves the page's button columns free
    create_first_edit_buffer();
    first_ = g_buffers.buffer_list;
    ASSERT_NE(first_, nullptr);
  }

  void TearDown() override {
    pump_set_idle_handler(nullptr);
    restore_window_proc();
    free_list(g_lists.slots[LIST_SLOT_NC_PROGRAM].first);
    g_lists.slots[LIST_SLOT_NC_PROGRAM] = LineList{};
    while (g_buffers.buffer_list != nullptr) {
      TextLine* node = list_head_of(g_buffers.buffer_list);
      g_buffers.buffer_list = node->next != nullptr ? node->next : nullptr;
      destroy_window(node);
    }
    if (g_nc_page.menu != nullptr) destroy_window_chain(g_nc_page.menu);
    reset_nc_page();
    g_job_file.full_path.clear();
    g_buffer_entries = BufferEntryPoints{};
    g_store_host.show_text_box = nullptr;
    fs::remove_all(folder_);
    FormTest::TearDown();
  }

  // What an NC run leaves in list slot 6.
  static void generated(const std::vector<std::string>& lines) {
    push_list();
    g_lists.current = LineList{};
    for (const std::string& text : lines) append_line(text.c_str())->kind = LINE_KIND_PARAGRAPH;
    g_lists.slots[LIST_SLOT_NC_PROGRAM] = g_lists.current;
    pop_list();
  }

  // The buffer's lines replaced (the buffer active).
  static void set_lines(TextLine* node, const std::vector<std::string>& lines) {
    TextWindow* w = window_of(node);
    activate_window(node);
    free_current_list();
    for (const std::string& text : lines) append_line(text.c_str())->kind = LINE_KIND_PARAGRAPH;
    w->first_line = g_lists.current.first;
    w->last_line = g_lists.current.last;
    w->current_line = w->first_line;
    g_lists.cursor_line = w->first_line;
    w->text_column = 0;
    w->cursor_row = 0;
    w->line_count = 0;
  }

  static std::vector<std::string> lines_of(TextLine* node) {
    std::vector<std::string> lines;
    for (TextLine* l = window_of(node)->first_line; l != nullptr; l = l->next) lines.push_back(l->text);
    return lines;
  }

  // Runs the page on the buffer as the page loop does (the hook first) until the typist's last
  // step, which quits; a save question on the way is answered by `answer` (0: none expected).
  void run_page(TextLine* node, char answer = 0) {
    window_of(node)->key_filter = nc_page_hook;
    g_typist.steps.push_back([] { headless_inject_close(); });
    if (answer != 0) {
      g_typist.steps.push_back(typist_step_when(
          something_asks, [answer] { headless_inject_text(std::string(1, answer)); }));
    }
    run_window(node);
  }

  // A step that acts once the page is on the screen with its buttons.
  static void when_page_shown(std::function<void()> act) {
    g_typist.steps.push_back(typist_step_when([] { return g_nc_page.drawn; }, std::move(act)));
  }
  // A click on a button of the page.
  static void click_button(int id) {
    when_page_shown([id] { click_on(id); });
  }
  static void click_on(int id) {
    const ScreenControl* c = find_control(id);
    ASSERT_NE(c, nullptr) << "button " << id;
    g_pointer.wanted_x = c->x + 3;
    g_pointer.wanted_y = c->y + 3;
    push_input_code(EVENT_LEFT_DOWN);
    push_input_code(EVENT_LEFT_UP);
  }
  // A window other than the page's buffers runs (a menu, a form, a list).
  static bool other_window_runs() {
    const TextWindow* w = g_windows.active;
    return w != nullptr && w->key_filter != nc_page_key && w->key_filter != nc_page_hook;
  }
  // A box, a question or another window waits for the user.
  static bool something_asks() {
    return g_popups.window != nullptr || g_tab_strip.button_bar_running || other_window_runs();
  }
  // The page menu (Esc), then hot letters, each once a menu runs.
  static void menu(const std::string& letters) {
    when_page_shown([] { headless_inject_keystroke(VK_ESCAPE, 0); });
    for (char c : letters) {
      g_typist.steps.push_back(typist_step_when(other_window_runs,
                                                [c] { headless_inject_text(std::string(1, c)); }));
    }
  }
  // Answers the box or question that is open next.
  static void answer(const std::string& text) {
    g_typist.steps.push_back(
        typist_step_when(something_asks, [text] { headless_inject_text(text); }));
  }
  static void answer_key(int vk) {
    g_typist.steps.push_back(
        typist_step_when(something_asks, [vk] { headless_inject_keystroke(vk, 0); }));
  }

  // The screen read in the text's face, then in the menu face the buttons use.
  std::string screen_rows() const {
    std::string text;
    for (const FaceRole role : {FACE_ROLE_NORMAL, FACE_ROLE_MENU}) {
      const CellMetrics& cells = g_display.presets[role];
      const FontFace* font = interface_face(cells.face_index);
      if (font == nullptr) continue;
      for (int row = 0; row <= cells.last_row; ++row)
        text += cell_row_text(screen(), *font, row, 0, cells.last_column + 1) + "\n";
    }
    return text;
  }

  fs::path folder_;
  TextLine* first_ = nullptr;
};

TEST_F(NcPageTest, ARunsProgramReplacesTheDocumentsLinesAndNamesItAfterTheJob) {
  set_lines(first_, {"old line\n", "another\n"});
  g_job_file.full_path = "/work/jobs/part.job";
  generated({"G0 X1 Y1\n", "G1 Z-1\n"});
  std::string seen;
  std::vector<ScreenControl> buttons;
  when_page_shown([&] {
    seen = screen_rows();
    for (const ScreenControl* c = g_controls.active; c != nullptr && c->flags != CF_END; ++c)
      buttons.push_back(*c);
  });
  run_page(first_);
  EXPECT_EQ(lines_of(first_), (std::vector<std::string>{"G0 X1 Y1\n", "G1 Z-1\n"}));
  EXPECT_EQ(g_lists.slots[LIST_SLOT_NC_PROGRAM].first, nullptr) << "the slot is handed over";
  EXPECT_STREQ(window_of(first_)->title, "/work/jobs/part.NC");
  EXPECT_EQ(g_nc_page.document, first_);
  EXPECT_EQ(window_of(first_)->flags & WINDOW_CHANGED, 0u) << "a program just made asks nothing at a quit";
  EXPECT_EQ(g_job_settings.nc_state, NC_STATE_PROGRAM_READY);
  // The page shows the program, and its buttons beside the text, on the screen, apart.
  // (the caret blinks on the first line's first cell)
  EXPECT_NE(seen.find("0 X1 Y1"), std::string::npos) << seen;
  EXPECT_NE(seen.find("G1 Z-1"), std::string::npos) << seen;
  const TextWindow* w = window_of(first_);
  int shown = 0;
  for (const ScreenControl& c : buttons) {
    if ((c.flags & (CF_HIDDEN | CF_NO_BOX)) != 0 || c.id >= CONTROL_ID_POSITION) continue;
    ++shown;
    SCOPED_TRACE(c.caption);
    EXPECT_GE(c.x, w->pixel_right) << "over the text";
    EXPECT_LE(c.x + c.hit_width, SCREEN_WIDTH);
    EXPECT_LE(c.y + c.hit_height, SCREEN_HEIGHT);
    for (const ScreenControl& d : buttons) {
      if (&d == &c || (d.flags & (CF_HIDDEN | CF_NO_BOX)) != 0 || d.id >= CONTROL_ID_POSITION) continue;
      const bool apart = c.x + c.hit_width <= d.x || d.x + d.hit_width <= c.x ||
                         c.y + c.hit_height <= d.y || d.y + d.hit_height <= c.y;
      EXPECT_TRUE(apart) << "overlaps " << d.caption;
    }
  }
  EXPECT_EQ(shown, 18);
  // Made again: the same document takes the new program, no other buffer is opened.
  generated({"M30\n"});
  run_page(first_);
  EXPECT_EQ(lines_of(first_), (std::vector<std::string>{"M30\n"}));
  EXPECT_EQ(list_head_of(g_buffers.buffer_list)->next, nullptr);
}

TEST_F(NcPageTest, AProgramNeverReplacesTheLinesOfAnOpenedFile) {
  // The buffer the page shows holds a file the user opened: the program goes into a new NC
  // document and the file's lines stay.
  const fs::path path = folder_ / "mine.nc";
  std::ofstream(path, std::ios::binary) << "G0 X5\r\n";
  ASSERT_EQ(open_in_buffer(path.c_str(), nc_page_key, draw_window_line, FIRST_BUFFER_FLAGS,
                           OPEN_NAMED_FILE),
            0);
  TextLine* opened = g_windows.active_node;
  generated({"G1 X2\n"});
  run_page(opened);
  EXPECT_EQ(lines_of(opened), (std::vector<std::string>{"G0 X5\n"}));
  ASSERT_NE(g_nc_page.document, nullptr);
  EXPECT_NE(g_nc_page.document, opened);
  EXPECT_EQ(lines_of(g_nc_page.document), (std::vector<std::string>{"G1 X2\n"}));
}

TEST_F(NcPageTest, ARunThatMadeNothingLeavesOneEmptyLineAndTheProgramDue) {
  g_job_file.full_path = "/work/jobs/part.job";
  generated({"G0 X1\n", "M30\n"});
  run_page(first_);
  ASSERT_EQ(g_nc_page.document, first_);
  // The next run fails or is cancelled: the old program is not left standing as the job's.
  g_job_settings.nc_state = 0;
  g_nc_page.run_ended = true;
  run_page(first_);
  EXPECT_EQ(lines_of(first_), (std::vector<std::string>{""}));
  EXPECT_EQ(g_job_settings.nc_state, 0) << "the page makes the program again next time";
}

TEST_F(NcPageTest, TitlesFollowTheJobAndThePostProcessorsExtension) {
  struct Case {
    const char* job;
    const char* extension;
    const char* title;
  };
  const Case cases[] = {
      {"", "NC", "(no name yet)"},
      {"/a/part.job", "NC", "/a/part.NC"},
      {"/a.b/part", "TAP", "/a.b/part.TAP"},
      {"/a/part.v2.job", "nc", "/a/part.v2.nc"},
  };
  for (const Case& c : cases) EXPECT_EQ(nc_document_title(c.job, c.extension), c.title) << c.job;
}

TEST_F(NcPageTest, AnEditSendsPageThreeToMakeItsProofAgain) {
  set_lines(first_, {"G0 X1\n"});
  g_job_settings.nc_state = NC_STATE_PROOF_READY;
  when_page_shown([] { headless_inject_text("G"); });
  run_page(first_, 'D');
  EXPECT_EQ(lines_of(first_), (std::vector<std::string>{"GG0 X1\n"}));
  EXPECT_TRUE(g_typist.steps.empty()) << "the quit asked about the edit";
  EXPECT_EQ(g_job_settings.nc_state, NC_STATE_PROGRAM_READY);
}

// The page's keys as the run loop receives them: each key is injected and nc_page_key read once.
TEST_F(NcPageTest, PageKeysBecomeTheirEditorCodes) {
  struct Case {
    const char* label;
    int vk;
    int mods;
    EventCode code;
  };
  const Case cases[] = {
      {"Ctrl+R replaces", 'R', WINDOW_MOD_CTRL, WINDOW_REPLACE},
      {"Alt+R replaces", 'R', WINDOW_MOD_ALT, WINDOW_REPLACE},
      {"Ctrl+F finds", 'F', WINDOW_MOD_CTRL, WINDOW_FIND},
      {"F3 finds again", VK_F1 + 2, 0, WINDOW_REPEAT_FIND},
      {"Ctrl+A selects all", 'A', WINDOW_MOD_CTRL, WINDOW_SELECT_ALL},
      {"Enter goes to the run loop", VK_RETURN, 0, KEY_ENTER},
      {"Alt+W stays Alt+W", 'W', WINDOW_MOD_ALT, KEY_ALT_W},
      {"Up stays Up", VK_UP, 0, KEY_UP},
      {"Down inside the text stays Down", VK_DOWN, 0, KEY_DOWN},
  };
  set_lines(first_, {"G0 X1\n", "G1 Y2\n"});
  window_of(first_)->key_filter = nc_page_key;
  g_nc_page.drawn = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    flush_input();
    headless_inject_keystroke(c.vk, c.mods);
    EventCode code = 0;
    for (int i = 0; i < 6 && code == 0; ++i) code = nc_page_key();  // modifier events give 0
    EXPECT_EQ(code, c.code);
  }
  // Down on a last line that holds text makes a new line.
  g_lists.cursor_line = g_lists.current.last;
  flush_input();
  headless_inject_keystroke(VK_DOWN, 0);
  EXPECT_EQ(nc_page_key(), WINDOW_APPEND_LINE);
}

// Esc, the right button, Alt+F and the File and Menu buttons each open the page menu; Esc there
// goes back to the page with the buffer as it was.
TEST_F(NcPageTest, FiveWaysOpenThePageMenu) {
  struct Case {
    const char* label;
    std::function<void()> open;
  };
  const Case cases[] = {
      {"Esc", [] { headless_inject_keystroke(VK_ESCAPE, 0); }},
      {"Alt+F", [] { headless_inject_keystroke('F', WINDOW_MOD_ALT); }},
      {"right button", [] { push_input_code(EVENT_RIGHT_DOWN); }},
      {"File button", [] { click_on(NC_BUTTON_FILE); }},
      {"Menu button", [] { click_on(NC_BUTTON_MENU); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    set_lines(first_, {"G0 X1\n", "M30\n"});
    bool menu_ran = false;
    when_page_shown(c.open);
    g_typist.steps.push_back(typist_step_when(other_window_runs, [&menu_ran] {
      menu_ran = g_windows.active_node == g_nc_page.menu;
      headless_inject_keystroke(VK_ESCAPE, 0);
    }));
    g_typist.steps.push_back(typist_step_when([] { return !other_window_runs(); }, [] {}));
    run_page(first_);
    EXPECT_TRUE(menu_ran);
    EXPECT_TRUE(g_typist.steps.empty());
    EXPECT_EQ(lines_of(first_), (std::vector<std::string>{"G0 X1\n", "M30\n"}));
  }
}

TEST_F(NcPageTest, AltAPutsSpacesOrTabsBetweenTheWordsAndAltDTakesThemOut) {
  struct Case {
    int vk;
    char choice;
    const char* before;
    const char* after;
  };
  const Case cases[] = {
      {'A', 'S', "G1X1.5Y2\n", "G1 X1.5 Y2\n"},
      {'A', 'T', "G1X1.5Y2\n", "G1\tX1.5\tY2\n"},
      {'D', 'S', "G1 X1.5 (a b) Y2\n", "G1X1.5(a b)Y2\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    set_lines(first_, {c.before});
    window_of(first_)->flags &= ~WINDOW_CHANGED;
    when_page_shown([vk = c.vk] { headless_inject_keystroke(vk, WINDOW_MOD_ALT); });
    answer(std::string(1, c.choice));
    run_page(first_, 'D');
    EXPECT_EQ(lines_of(first_), (std::vector<std::string>{c.after}));
  }
}

TEST_F(NcPageTest, AQuitAsksAboutAnEditedProgramAndEscKeepsThePage) {
  g_job_file.full_path = (folder_ / "part.job").string();
  generated({"G0 X1\n"});
  // Made and not edited: the quit asks nothing.
  run_page(first_);
  EXPECT_EQ(g_message_box.shown_count, 0);
  EXPECT_NE(g_preferences.current_page & PAGE_QUIT, 0);
  // Edited: the quit asks; Esc cancels it and the page goes on (the typing after it lands);
  // the second quit is answered Discard.
  g_preferences.current_page = PAGE_NC_PROGRAM;
  when_page_shown([] { headless_inject_text("A"); });
  g_typist.steps.push_back([] { headless_inject_close(); });
  answer_key(VK_ESCAPE);
  when_page_shown([] { headless_inject_text("B"); });
  run_page(first_, 'D');
  EXPECT_EQ(lines_of(first_), (std::vector<std::string>{"ABG0 X1\n"}));
  EXPECT_TRUE(g_typist.steps.empty()) << "both quits asked";
  EXPECT_NE(g_preferences.current_page & PAGE_QUIT, 0);
  EXPECT_FALSE(fs::exists(folder_ / "part.NC")) << "discarded";
}

TEST_F(NcPageTest, AQuitSavesAnEditedProgramUnderTheJobsName) {
  g_job_file.full_path = (folder_ / "part.job").string();
  generated({"G0 X1\n"});
  when_page_shown([] { headless_inject_text("N"); });
  // Save: the save dialog opens with the job's name and its NC extension; the name entry takes it.
  g_typist.steps.push_back([] { headless_inject_close(); });
  answer("S");
  g_typist.steps.push_back(typist_step_when(
      [this] { return screen_rows().find("Name: part") != std::string::npos; }, [] {
        headless_inject_keystroke(VK_TAB, 0);
        headless_inject_keystroke(VK_RETURN, 0);
      }));
  run_page(first_);
  std::ifstream in(folder_ / "part.NC", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "NG0 X1\r\n");
}

// Menu commands that need text or a block say so and change nothing.
TEST_F(NcPageTest, SendsWithoutTextOrBlockSayWhatIsMissing) {
  struct Case {
    const char* letters;  // in the page menu: the send submenu, then the command
    std::vector<std::string> lines;
    const char* message;
  };
  const Case cases[] = {
      {"fs", {""}, "The buffer is empty"},
      {"fb", {"G0 X1\n", "G1 X2\n"}, "Mark a block first"},
      {"fc", {"G0 X1\n"}, "on the last line"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.letters);
    reset_message_box();
    set_lines(first_, c.lines);
    menu(c.letters);
    answer_key(VK_RETURN);
    run_page(first_);
    EXPECT_NE(g_message_box.last_text.find(c.message), std::string::npos) << g_message_box.last_text;
    EXPECT_EQ(lines_of(first_), c.lines);
  }
}

TEST_F(NcPageTest, MenuCommandsActOnTheBuffer) {
  // Zap the control characters: a glyph pair (a control byte read from a file) and a CR go.
  set_lines(first_, {"G0\b.X1\r\n", "M30\n"});
  menu("z");
  run_page(first_, 'D');
  EXPECT_EQ(lines_of(first_), (std::vector<std::string>{"G0X1\n", "M30\n"}));
  EXPECT_TRUE(g_typist.steps.empty()) << "the quit asked about the change";
  // Forget the changes: the quit asks nothing.
  set_lines(first_, {"G0X1\n", "M30\n"});
  window_of(first_)->flags |= WINDOW_CHANGED;
  menu("y");
  run_page(first_);
  EXPECT_EQ(window_of(first_)->flags & WINDOW_CHANGED, 0u);
  // A new NC program: another buffer, empty, where the first stood; it is the NC document now.
  const TextWindow before = *window_of(first_);
  menu("n");
  run_page(first_);
  TextLine* made = g_nc_page.document;
  ASSERT_NE(made, nullptr);
  ASSERT_NE(made, first_);
  EXPECT_EQ(window_of(made)->top_row, before.top_row);
  EXPECT_EQ(window_of(made)->bottom_row, before.bottom_row);
  EXPECT_EQ(window_of(made)->right_column, before.right_column);
  EXPECT_EQ(lines_of(first_), (std::vector<std::string>{"G0X1\n", "M30\n"}));
  // Strip zeros through the Edit submenu.
  set_lines(made, {"G01 X0.5000 Y-0.2500\n", "G01 X1.0\n"});
  menu("xz");
  run_page(made, 'D');
  EXPECT_EQ(lines_of(made), (std::vector<std::string>{"G1X.5000Y-.2500\n", "X1.\n"}));
}

// The buffer list option opens the buffers dialog, where Esc leaves the buffers as they were.
TEST_F(NcPageTest, TheBufferListOptionOpensTheBuffersDialog) {
  TextLine* before = g_windows.active_node;
  reset_message_box();
  push_input_code(KEY_ESC);
  EXPECT_EQ(nc_menu_command(NC_OPTION_BUFFER_LIST), WINDOW_REDRAW);
  flush_input();
  EXPECT_EQ(g_windows.active_node, before);
  EXPECT_EQ(g_message_box.last_text.find("Dont have option"), std::string::npos)
      << g_message_box.last_text;
}

TEST_F(NcPageTest, ButtonsNumberTheLinesAndGoToARow) {
  set_lines(first_, {"G1 X1\n", "G1 X2\n", "G1 X3\n"});
  click_button(NC_BUTTON_LINE_NUMBERS);
  answer("A");
  click_button(NC_BUTTON_GO_TO_ROW);
  g_typist.steps.push_back(typist_step_when([] { return g_windows.active_node != nullptr &&
                                                        window_of(g_windows.active_node)->key_filter != nc_page_key; },
                                            [] {
                                              headless_inject_text("3");
                                              headless_inject_keystroke(VK_RETURN, 0);
                                            }));
  run_page(first_, 'D');
  EXPECT_EQ(lines_of(first_), (std::vector<std::string>{"N1 G1 X1\n", "N2 G1 X2\n", "N3 G1 X3\n"}));
  EXPECT_EQ(window_of(first_)->current_line, line_at(first_, 2));
}

TEST_F(NcPageTest, TheNcFileNameFormNamesTheBuffersFile) {
  set_lines(first_, {"G0 X1\n"});
  window_of(first_)->file->folder = folder_.string() + "/";
  window_of(first_)->file->extension = ".NC";
  menu("m");
  // The form opens on the name; Enter keeps it there, Up goes to the bar: O is OK.
  g_typist.steps.push_back([] { headless_inject_text("plate"); });
  g_typist.steps.push_back([] { headless_inject_keystroke(VK_RETURN, 0); });
  g_typist.steps.push_back([] { headless_inject_keystroke(VK_UP, 0); });
  g_typist.steps.push_back([] { headless_inject_text("o"); });
  run_page(first_);
  EXPECT_EQ(window_of(first_)->file->full_path, folder_.string() + "/plate.NC");
  EXPECT_EQ(std::string(window_of(first_)->title).find("plate.NC") != std::string::npos, true)
      << window_of(first_)->title;
}

TEST_F(NcPageTest, StripControlCharsRemovesControlBytesButAClosingNewline) {
  struct Case {
    const char* before;
    const char* after;
    int removed;
  };
  const Case cases[] = {
      {"G0 X1\n", "G0 X1\n", 0},
      {"G0\tX1\r\n", "G0X1\n", 2},
      {"A\b!B\n", "AB\n", 2},
      {"A\b", "A", 1},           // a glyph escape at the end goes alone
      {"A\nB\n", "AB\n", 1},     // a newline inside the text is a control byte
      {"\x1b[1m\n", "[1m\n", 1},
  };
  for (const Case& c : cases) {
    std::string text = c.before;
    EXPECT_EQ(strip_control_chars(&text), c.removed) << c.before;
    EXPECT_EQ(text, c.after);
  }
}

}  // namespace
