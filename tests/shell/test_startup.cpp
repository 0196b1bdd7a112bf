// Start-up, the page loop and shutdown: the whole program run on the headless backend from a
// program folder laid out for each test, driven from the application's idle handler as a user
// would drive it, and read back from the screen's cells, the message boxes and the files left.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "cam/tool_diameter_check.h"
#include "cam/tools.h"
#include "geometry/contour_offset.h"
#include "geometry/drawing_item.h"
#include "geometry/geometry_host.h"
#include "geometry/geometry_settings.h"
#include "nc/post_processor.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "platform/headless/cell_reader.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "shell/startup.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/scratch_buffer.h"
#include "tests/support/test_folder.h"
#include "editor/view_state.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "ui/catalogue_menu.h"
#include "ui/edit_buffers.h"
#include "ui/message_box.h"
#include "ui/placeholder_page.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace fs = std::filesystem;

namespace {

constexpr int SCREEN_WIDTH = 1024;
constexpr int SCREEN_HEIGHT = 768;
// Where the placeholder pages write their name (normal cells).
constexpr int PAGE_NAME_ROW = 3;
constexpr int PAGE_NAME_COLUMN = 2;

constexpr const char* FONT_FILE = "Q5_FONT.FON";
constexpr const char* INCH_CATALOGUE = "KR_MENUs.KR5";
constexpr const char* METRIC_CATALOGUE = "KR_MENUm.KR5";
constexpr const char* PROGRAM_DATA_FILES[] = {FONT_FILE,      INCH_CATALOGUE, METRIC_CATALOGUE,
                                              "KR_TOOLS.KR4", "KR_TOOLm.KR4", "KR_MILLt.KR4",
                                              "KR_MILLm.KR4"};

// What a test does while the program runs: at the page loop's first wait, and at each later one
// until it returns true (then the window's close box ends the program).
struct Driver {
  std::function<void()> at_page_loop;
  std::function<bool()> step;  // null: close at once
  bool reached_page_loop = false;
  bool closed = false;
  int waits_in_page_loop = 0;
};
Driver g_driver;

bool driver_idle() {
  if (g_form.idle_state > 0) return app_idle();
  app_idle();
  if (!g_startup.in_page_loop) return false;
  ++g_driver.waits_in_page_loop;
  if (!g_driver.reached_page_loop) {
    g_driver.reached_page_loop = true;
    if (g_driver.at_page_loop) g_driver.at_page_loop();
  }
  if (g_driver.step && !g_driver.step()) return true;
  if (!g_driver.closed) {
    g_driver.closed = true;
    headless_inject_close();
    return true;
  }
  return false;
}

// The text of `count` normal cells of a row.
std::string screen_text(int row, int column, int count) {
  const FontFace* face = interface_face(g_display.presets[FACE_ROLE_NORMAL].face_index);
  if (face == nullptr) return "";
  return cell_row_text(*window_surface(), *face, row, column, count);
}

// The page's name as the placeholder pages write it. The Drawing page shows no name: its
// drawing area, white in the middle of the screen, says which page it is.
std::string page_name_on_screen(int count) {
  // The Utilities page shows its board of buttons and the Job setup page its settings form
  // instead of a name: the active tab names them.
  if (g_tab_strip.active == PAGE_UTILITIES || g_tab_strip.active == PAGE_JOB_SETUP) {
    std::string name = page_tab_table()[g_tab_strip.active].text;
    name.resize(static_cast<size_t>(count), ' ');
    return name;
  }
  const ViewState& v = g_view;
  const Surface& screen = *window_surface();
  const int x = v.area_width / 2;
  const int y = (v.area_top + v.area_bottom) / 2;
  if (v.area_bottom > v.area_top && x < screen.width && y < screen.height &&
      screen.pixels[static_cast<size_t>(y) * screen.width + x] == 0xFFFFFF) {
    std::string name = "Drawing";
    name.resize(std::max<size_t>(name.size(), static_cast<size_t>(count)), ' ');
    return name.substr(0, static_cast<size_t>(count));
  }
  return screen_text(PAGE_NAME_ROW, PAGE_NAME_COLUMN, count);
}

// Everything the program keeps between runs, back to a program just loaded.
void reset_program_state() {
  reset_headless();
  reset_pump();
  reset_event_queue();
  reset_main_form();
  reset_pointer();
  reset_display();
  reset_window_layer();
  reset_list_store();
  reset_run_loop();
  reset_catalogue();
  reset_message_box();
  reset_text_output();
  reset_tab_strip();
  reset_startup();
  reset_job_settings();
  free_post_processors();
  g_preferences = Preferences();
  g_interface = InterfaceSettings();
  g_buffers = BufferRing();
  g_menus = MenuState();
  g_page_requests = PageRequests();
  g_driver = Driver();
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_program_state();
    folder_ = make_test_folder("brenvik-startup");
    set_program_folder_for_tests(folder_.string());
  }

  void TearDown() override {
    set_program_folder_for_tests("");
    fs::remove_all(folder_);
    reset_program_state();
  }

  // Copies data files of the built program folder into the test's program folder.
  void lay_out(std::initializer_list<const char*> names) {
    for (const char* name : names)
      fs::copy_file(fs::path(BRENVIK_PROGRAM_DIR) / name, folder_ / name,
                    fs::copy_options::overwrite_existing);
  }
  void lay_out_all() {
    for (const char* name : PROGRAM_DATA_FILES) lay_out({name});
  }

  // Runs the program as its entry does, with the window focused as at a user's start.
  int run_program() {
    headless_inject_focus(true);
    return run_application(SCREEN_WIDTH, SCREEN_HEIGHT, driver_idle);
  }

  fs::path folder_;
};

// ---- Start-up -----------------------------------------------------------------------------------

// The symbol menu lists the symbol fonts only, by title, in a centred window.
TEST_F(StartupTest, TheSymbolMenuListsTheSymbolFonts) {
  lay_out_all();
  std::ofstream(folder_ / "1000.Q2F") << "Letters\r\n1\r\n*A\r\nG1 X1\r\n";
  std::ofstream(folder_ / "3001.Q2F") << "Arrows\r\n1\r\n*A\r\nG1 X1\r\n";
  std::vector<std::pair<int, std::string>> lines;
  std::string title;
  int left_margin = -1, right_margin = -1, rows = 0;
  g_driver.at_page_loop = [&] {
    const TextWindow* menu = window_of(g_startup.symbol_menu_window);
    if (menu == nullptr) return;
    for (const TextLine* line = menu->first_line; line != nullptr; line = line->next)
      lines.emplace_back(line->id, line->text);
    title = menu->title;
    left_margin = menu->left_column;
    right_margin = g_display.presets[FACE_ROLE_NORMAL].last_column - menu->right_column;
    rows = menu->rows;
  };
  EXPECT_EQ(run_program(), 0);
  const std::vector<std::pair<int, std::string>> expected = {{3001, "Arrows"}};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(title, "Symbols - RIGHT button: cancel");
  // Centred on the columns up to the last: the halves of an odd remainder differ by two.
  EXPECT_LE(std::abs(left_margin - right_margin), 2);
  EXPECT_GE(rows, 2);
}

TEST_F(StartupTest, AFullProgramFolderReachesThePageLoopOnTheDrawingPage) {
  lay_out_all();
  std::string page_name;
  std::string caption;
  bool windows_made = false;
  bool tools_from_file = false;
  int menus = 0;
  std::string font_line;
  int text_items = 0;
  bool timer_running = false;
  int idle_state = -2;
  reset_geometry_host();
  reset_geometry_settings();
  bool geometry_hooked = false;
  float new_text_height = 0.0f;
  std::string symbol_line;
  int symbol_id = 0;
  g_driver.at_page_loop = [&] {
    // A new text item takes the stored text defaults of the job's text cut type (a pocket).
    TextLayout defaults;
    defaults.height = 0.375f;
    defaults.width_factor = 1.0f;
    write_text_layout(defaults, cam_default_slot(CAM_SLOT_TEXT_POCKET) + TEXT_LAYOUT_OFFSET);
    const uint8_t cut_type = g_job_settings.text_cut_type;
    g_job_settings.text_cut_type = CAM_OP_SPIRAL_POCKET;
    DrawingItem* text = new_text_item();
    g_job_settings.text_cut_type = cut_type;
    TextLayout made;
    read_text_layout(block_text_layout(item_block(text)), &made);
    new_text_height = made.height;
    delete_line(text);
    // Offsets keep their machining data, text is offset through the tool-path engine and
    // conversions can ask the user.
    // New items take their machining defaults, and geometry works in the job's tolerance.
    const GeometryHost& host = g_geometry_host;
    geometry_hooked = host.copy_item_cam == &copy_item_cam &&
                      host.offset_text == &offset_text_by_tool_path &&
                      host.choose_picture_cell != nullptr &&
                      host.apply_new_item_defaults == &apply_new_item_defaults &&
                      host.layout_text != nullptr && host.set_pointer_shape != nullptr &&
                      host.request_redraw != nullptr && host.shown_items_extents != nullptr &&
                      host.move_view_extents != nullptr && host.clear_hover != nullptr &&
                      host.node_command_check != nullptr && host.propagate_node_move != nullptr &&
                      host.make_symmetric_polyline != nullptr &&
                      host.make_perpendicular_symmetric != nullptr &&
                      g_geometry_settings.tolerance == g_job_settings.tolerance &&
                      g_geometry_settings.units == g_job_settings.units;
    // The program's first wait made the second idle call: the form takes input, the timer runs.
    timer_running = g_pump.timer_running && g_pump.timer_interval_ms == 55;
    idle_state = g_form.idle_state;
    page_name = page_name_on_screen(7);
    caption = g_tab_strip.caption;
    windows_made = g_startup.root_window && g_startup.side_panel_window &&
                   g_startup.tool_list_window && g_startup.drawing_window &&
                   g_startup.font_list_window && g_buffers.buffer_list;
    for (TextLine* menu : g_startup.menus) menus += menu != nullptr;
    const TextWindow* tools = window_of(g_startup.tool_list_window);
    tools_from_file = tools != nullptr && (tools->flags & WINDOW_CHANGED) == 0 &&
                      tools->first_line != nullptr &&
                      tools->first_line->text != DEFAULT_TOOL_NAME;
    const TextWindow* fonts = window_of(g_startup.font_list_window);
    if (fonts != nullptr && fonts->first_line != nullptr) font_line = fonts->first_line->text;
    const TextWindow* drawing = window_of(g_startup.drawing_window);
    if (drawing != nullptr) text_items = count_lines_from(drawing->first_line);
    const TextWindow* symbols = window_of(g_startup.symbol_menu_window);
    if (symbols != nullptr && symbols->first_line != nullptr) {
      symbol_line = symbols->first_line->text;
      symbol_id = symbols->first_line->id;
    }
  };
  EXPECT_EQ(run_program(), 0);

  EXPECT_TRUE(g_driver.reached_page_loop);
  EXPECT_TRUE(timer_running);
  EXPECT_TRUE(geometry_hooked);
  EXPECT_EQ(new_text_height, 0.375f);
  EXPECT_EQ(idle_state, 0);
  EXPECT_EQ(page_name, "Drawing");
  EXPECT_EQ(caption, "Brenvik 2000    New job...no name yet...");
  EXPECT_TRUE(windows_made);
  EXPECT_EQ(menus, STARTUP_MENU_COUNT);
  EXPECT_TRUE(tools_from_file);
  EXPECT_EQ(font_line, NO_STROKE_FONTS_TEXT);
  EXPECT_EQ(symbol_line, NO_SYMBOL_FONTS_TEXT);  // no symbol font
  EXPECT_EQ(symbol_id, NO_SYMBOL_FONTS_ID);
  // The blank text item of a new job is not kept while the Drawing page shows the drawing.
  EXPECT_EQ(text_items, 0);
  EXPECT_EQ(g_startup.names.catalogue, INCH_CATALOGUE);
  EXPECT_EQ(g_startup.metric_set_switches, 0);
  EXPECT_TRUE(headless_message_boxes().empty());
}

TEST_F(StartupTest, ShutdownFreesTheWindowsAndGivesTheCursorBack) {
  lay_out_all();
  EXPECT_EQ(run_program(), 0);
  EXPECT_TRUE(g_startup.terminated);
  EXPECT_EQ(g_form.idle_state, 0);
  EXPECT_EQ(g_startup.root_window, nullptr);
  EXPECT_EQ(g_startup.drawing_window, nullptr);
  EXPECT_EQ(g_startup.tool_list_window, nullptr);
  EXPECT_EQ(g_buffers.buffer_list, nullptr);
  EXPECT_EQ(g_lists.slots[LIST_SLOT_TOOLS].first, nullptr);
  EXPECT_EQ(g_lists.slots[LIST_SLOT_FONTS].first, nullptr);
  EXPECT_EQ(g_catalogue.numbers.size(), 0u);  // the catalogue is closed
  EXPECT_EQ(g_startup.font_count, 0);         // the interface font is removed
  EXPECT_EQ(g_scratch.block, nullptr);        // the scratch buffer is freed
  EXPECT_TRUE(headless_cursor_visible());
}

// Start-up allocates the scratch buffer first of all; a block too small for its regions ends
// start-up before anything else.
TEST_F(StartupTest, TheScratchBufferIsAllocatedFirstOfAll) {
  lay_out_all();
  free_scratch_buffer();
  EXPECT_EQ(ui_startup(static_cast<int>(SCRATCH_SIZE) - 1), -1);
  EXPECT_EQ(g_scratch.block, nullptr);
  EXPECT_EQ(g_startup.font_count, 0);  // nothing else was started
  scratch_at(SCRATCH_TITLE)[0] = 1;  // a block of the usual size on first use
  ASSERT_TRUE(allocate_scratch_buffer(SCRATCH_SIZE + 100));
  EXPECT_EQ(g_scratch.size, SCRATCH_SIZE + 100);
  EXPECT_EQ(scratch_at(SCRATCH_TITLE)[0], 0);  // a fresh block is zeroed
}

TEST_F(StartupTest, WithNeitherCatalogueTheMissingFilesMessageEndsTheProgram) {
  lay_out({FONT_FILE, "KR_TOOLS.KR4"});
  EXPECT_EQ(run_program(), 0);

  ASSERT_EQ(headless_message_boxes().size(), 1u);
  EXPECT_EQ(headless_message_boxes()[0], STARTUP_FILES_MISSING_TEXT);
  EXPECT_FALSE(g_driver.reached_page_loop);
  EXPECT_TRUE(g_startup.terminated);
  EXPECT_EQ(g_startup.root_window, nullptr);  // no window of the program was made
  EXPECT_EQ(g_startup.names.catalogue, METRIC_CATALOGUE);  // the metric set was tried too
}

TEST_F(StartupTest, WithOnlyTheMetricCatalogueTheMetricFileSetIsUsed) {
  lay_out({FONT_FILE, METRIC_CATALOGUE, "KR_TOOLS.KR4", "KR_TOOLm.KR4", "KR_MILLt.KR4",
           "KR_MILLm.KR4"});
  uint8_t first_tool_units = 0xFF;
  std::string post_processor_file;
  g_driver.at_page_loop = [&] {
    ToolRecord tool;
    const TextWindow* tools = window_of(g_startup.tool_list_window);
    if (tools != nullptr && line_tool_record(tools->first_line, &tool)) first_tool_units = tool.units;
    post_processor_file = fs::path(g_post_processors.file_path).filename().string();
  };
  EXPECT_EQ(run_program(), 0);

  EXPECT_TRUE(g_driver.reached_page_loop);
  EXPECT_EQ(g_startup.metric_set_switches, 1);
  EXPECT_EQ(g_startup.names.catalogue, METRIC_CATALOGUE);
  EXPECT_EQ(g_startup.names.tools, "KR_TOOLm.KR4");
  EXPECT_EQ(first_tool_units, TOOL_UNITS_MM);  // read from KR_TOOLm.KR4, not KR_TOOLS.KR4
  EXPECT_EQ(post_processor_file, "KR_MILLm.KR4");
  // The first start's defaults are metric.
  EXPECT_EQ(g_preferences.default_job.units, JOB_UNITS_MILLIMETRE);
  EXPECT_FLOAT_EQ(g_preferences.gap_tolerance, 0.005f);
  EXPECT_FLOAT_EQ(g_preferences.surface_clearance, 1.0f);
}

TEST_F(StartupTest, WithoutTheInterfaceFontTheProgramSaysWhichFileIsMissing) {
  lay_out({INCH_CATALOGUE});
  EXPECT_EQ(run_program(), 0);

  ASSERT_FALSE(headless_message_boxes().empty());
  const std::string expected = "The file " + (folder_ / FONT_FILE).string() + " is missing!";
  EXPECT_EQ(headless_message_boxes()[0], expected);
  EXPECT_FALSE(g_driver.reached_page_loop);
  EXPECT_EQ(g_startup.root_window, nullptr);
}

TEST_F(StartupTest, ADamagedInterfaceFontIsReportedWithTheReason) {
  lay_out({INCH_CATALOGUE});
  std::ofstream(folder_ / FONT_FILE) << "not a font";
  EXPECT_EQ(run_program(), 0);

  ASSERT_EQ(headless_message_boxes().size(), 1u);
  const std::string& text = headless_message_boxes()[0];
  EXPECT_NE(text.find((folder_ / FONT_FILE).string()), std::string::npos);
  EXPECT_EQ(text.find("is missing!"), std::string::npos);  // it is there, only unreadable
  EXPECT_FALSE(g_driver.reached_page_loop);
}

TEST_F(StartupTest, AMenuTheCatalogueLacksEndsTheProgramAfterTheScreenStartUp) {
  lay_out({FONT_FILE});
  // A catalogue that holds the start-up texts but none of the menus.
  std::ofstream(folder_ / INCH_CATALOGUE, std::ios::binary) << "~3000\r\nPress ESC to cancel\r\n";
  EXPECT_EQ(run_program(), 0);

  // The editor's menus are built first: their message ends the start-up.
  ASSERT_EQ(headless_message_boxes().size(), 1u);
  EXPECT_EQ(headless_message_boxes()[0],
            "The menus files is missing or damaged. Try re-installing, or call for help.");
  EXPECT_FALSE(g_driver.reached_page_loop);
  EXPECT_TRUE(g_startup.terminated);
  EXPECT_EQ(g_catalogue.numbers.size(), 0u);  // ui_shutdown closed the catalogue
}

// ---- Shutdown -------------------------------------------------------------------------------

TEST_F(StartupTest, ShutdownDeletesTheProgramsTemporaryFile) {
  lay_out_all();
  const fs::path temp = folder_ / TEMP_FILE_NAME;
  std::ofstream(temp) << "left by a run";
  g_driver.at_page_loop = [&] { EXPECT_TRUE(fs::exists(temp)); };
  EXPECT_EQ(run_program(), 0);
  EXPECT_TRUE(g_driver.reached_page_loop);
  EXPECT_FALSE(fs::exists(temp));
}

TEST_F(StartupTest, ADefaultToolListIsOfferedForSavingAtShutdown) {
  lay_out({FONT_FILE, INCH_CATALOGUE, "KR_MILLt.KR4"});  // no tool list file
  EXPECT_EQ(run_program(), 0);
  EXPECT_TRUE(g_driver.reached_page_loop);
  EXPECT_EQ(g_message_box.last_flags, 0x80000u);  // the save steps of the tool list window
  EXPECT_EQ(g_interface.message_box_option, 0);
}

// ---- The page loop ----------------------------------------------------------------------------

// The page the loop shows first, for a start-page choice and a stored page byte.
struct StartPageCase {
  uint8_t choice;
  uint8_t stored_page;
  const char* first_page;
};

constexpr StartPageCase START_PAGE_CASES[] = {
    {0, 2, "Drawing"},
    {0, 1, "Engraving list"},
    {0, 0, "Job setup"},
    {0, 5, "Utilities"},
    {0, 3, "Drawing"},  // never the 3-D view
    {0, 6, "Drawing"},  // a byte that names no page
    {0, 7, "Drawing"},
    {0, 0x14, "NC program"},  // a quit bit left in the byte is masked off
    {2, 5, "Job setup"},
    {4, 5, "Drawing"},
    {5, 2, "NC program"},
    {6, 2, "Utilities"},
    {1, 2, "Drawing"},  // no such choice
    {7, 2, "Drawing"},
};

TEST_F(StartupTest, ThePageLoopStartsOnTheChosenPageAndEveryPageQuits) {
  for (const StartPageCase& c : START_PAGE_CASES) {
    SCOPED_TRACE("choice " + std::to_string(c.choice) + ", stored page " +
                 std::to_string(c.stored_page));
    TearDown();
    SetUp();
    lay_out_all();
    std::string first_page;
    const int name_length = static_cast<int>(std::string(c.first_page).size());
    g_driver.at_page_loop = [&] { first_page = page_name_on_screen(name_length); };

    // Start-up as the first idle call runs it, then the page byte as a preferences file stored
    // it, then the loop, which the close box ends from whatever page it shows.
    headless_inject_focus(true);
    std::string error;
    ASSERT_TRUE(window_open(SCREEN_WIDTH, SCREEN_HEIGHT, APPLICATION_TITLE, &error));
    create_main_form();
    set_screen_canvas(window_surface());
    g_catalogue.file_name = INCH_CATALOGUE;
    ASSERT_EQ(ui_startup(SCRATCH_SIZE), 0);
    ASSERT_EQ(app_startup(), 0);
    g_preferences.start_page_choice = c.choice;
    g_preferences.current_page = c.stored_page;
    g_form.idle_state = 0;
    g_startup.in_page_loop = true;
    pump_set_idle_handler(driver_idle);
    install_main_window_proc();
    EXPECT_EQ(page_loop(), 0);
    restore_window_proc();

    EXPECT_TRUE(g_driver.reached_page_loop);
    EXPECT_EQ(first_page, c.first_page);
    EXPECT_NE(g_preferences.current_page & PAGE_QUIT, 0);
    ui_shutdown();
    app_shutdown();
    destroy_main_form();
  }
}

// A click on another page's tab leaves the page for that one; a click on the current page's tab
// changes nothing.
TEST_F(StartupTest, ClickingAPageTabSwitchesToThatPage) {
  lay_out_all();
  std::vector<std::string> pages;
  int clicks = 0;
  // Job setup, the current page's tab (Job setup again), then Utilities.
  const int targets[] = {PAGE_JOB_SETUP, PAGE_JOB_SETUP, PAGE_UTILITIES};
  g_driver.step = [&] {
    const std::vector<PageTab>& tabs = g_tab_strip.tabs;
    pages.push_back(page_name_on_screen(14));
    if (clicks == 3) return true;
    const PageTab& tab = tabs[targets[clicks++]];
    const int x = tab.x + tab.width / 2;
    const int y = tab.y - 4;
    headless_inject_mouse_move(x, y);
    headless_inject_mouse_move(x, y);  // the capture takes the first readings as its reference
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, true, x, y);
    headless_inject_mouse_button(WINDOW_BUTTON_LEFT, false, x, y);
    return false;
  };
  EXPECT_EQ(run_program(), 0);
  ASSERT_GE(pages.size(), 4u);
  EXPECT_EQ(pages.front(), "Drawing       ");
  EXPECT_EQ(pages.back(), "Utilities     ");
  EXPECT_NE(std::find(pages.begin(), pages.end(), "Job setup     "), pages.end());
}

}  // namespace
