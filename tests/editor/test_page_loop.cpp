// The Drawing page's command loop, fed codes through the event queue, with the drawing commands
// replaced by recorders; and the option codes the catalogue's page menus carry.
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "editor/canvas_cursor.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/editor_page.h"
#include "editor/hover_state.h"
#include "editor/page_menus.h"
#include "editor/page_strip.h"
#include "editor/undo_store.h"
#include "editor/view_state.h"
#include "drawing_window.h"
#include "editor_fixture.h"
#include "geometry/layers.h"
#include "platform/files.h"
#include "platform/headless.h"
#include "platform/pump.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/controls.h"
#include "screen/event_queue.h"
#include "screen/timer.h"
#include "store/catalogue.h"
#include "store/store_host.h"
#include "tests/support/idle_typist.h"
#include "text/text_host.h"
#include "ui/layer_list.h"
#include "ui/message_box.h"
#include "ui/page_entries.h"
#include "ui/text_window.h"

namespace {

std::vector<std::string> g_calls;

int record_fillet() { g_calls.push_back("fillet"); return 0; }
int record_trim() { g_calls.push_back("trim"); return 0; }
int record_offset() { g_calls.push_back("offset"); return 0; }
int record_join() { g_calls.push_back("join"); return 0; }
int record_fuse() { g_calls.push_back("fuse"); return 0; }
int record_check() { g_calls.push_back("check"); return 0; }
int record_save(uint32_t mode) {
  g_calls.push_back("save " + std::to_string(mode));
  return 0;
}
int record_file(int option) {
  g_calls.push_back("file " + std::to_string(option));
  return 0;
}
int record_session(int op) {
  g_calls.push_back("session " + std::to_string(op));
  return -1;
}
void record_create(int code) { g_calls.push_back("create " + std::to_string(code)); }

// The user closes the window once the page waits for input: every command empties the queue
// behind it, tab click included, but a quit survives as the queue's flag.
void close_when_idle() {
  set_tick_hook(nullptr);
  post_quit_request();
}
int leave_on_quit() { return KEY_ESC; }

class PageLoopTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    open_screen(1024, 768);
    layout_page_tab_strip();
    reset_drawing_page();
    reset_drawing_commands();
    g_calls.clear();
    DrawingCommandEntries& c = g_drawing_commands;
    c.fillet_command = record_fillet;
    c.trim_extend_command = record_trim;
    c.offset_command = record_offset;
    c.batch_join_command = record_join;
    c.fuse_loops = record_fuse;
    c.check_tool_diameters = record_check;
    c.node_edit_session = record_session;
    c.create_item_by_mouse = record_create;
    kept_entries_ = g_page_entries;
    g_page_entries.save_job = record_save;
    g_page_entries.file_menu_command = record_file;
    g_preferences.current_page = PAGE_DRAWING;
    add_polyline({{0, 0}, {10, 0}});
    drawing_ = open_drawing_window();
  }
  void TearDown() override {
    close_drawing_window(drawing_);
    g_page_entries = kept_entries_;
    reset_drawing_commands();
    reset_drawing_page();
    EditorFixture::TearDown();
  }

  // Runs the page on the codes, then a tab click, or a close of the window when the page waits
  // for more; the calls the recorders saw.
  std::vector<std::string> run_page(const std::vector<EventCode>& codes) {
    g_calls.clear();
    for (EventCode code : codes) push_input_code(code);
    push_input_code(699);
    g_page_entries.request_quit = leave_on_quit;
    set_tick_hook(close_when_idle);
    // The pointer over an empty corner of the drawing area, away from every item.
    headless_inject_mouse_move(40, g_view.area_top + 40);
    pump_start_timer();
    editor_page_entry();
    pump_stop_timer();
    set_tick_hook(nullptr);
    g_events.quit_requested = false;
    g_preferences.current_page = PAGE_DRAWING;
    flush_input();
    return g_calls;
  }

  PageEntryPoints kept_entries_;
  TextLine* drawing_ = nullptr;
};

// Keys and what they start: capitals act as small letters; codes the page names nothing for are
// ignored; a code after a command is dropped.
TEST_F(PageLoopTest, KeysReachTheirCommands) {
  const struct {
    std::vector<EventCode> codes;
    std::vector<std::string> calls;
  } cases[] = {
      {{'f'}, {"fillet"}},
      {{'F'}, {"fillet"}},
      {{'x', 'o'}, {"trim", "offset"}},
      {{'j'}, {"join"}},          // nothing hovered: the batch join
      {{287}, {"check"}},         // Alt+S
      {{595}, {"save 524288"}},   // Ctrl+S saves through the save box
      {{318}, {"file 11"}},       // F4
      {{353}, {"file 32"}},       // Ctrl+F4: a new job
      {{200, 300, 450, 500}, {}},  // named nowhere: ignored
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codes.front());
    EXPECT_EQ(run_page(c.codes), c.calls);
  }
}

// A code for the dispatcher starts creation with the tool over nothing; the code queued behind
// it is dropped with the rest of the queue, as every command leaves it.
TEST_F(PageLoopTest, TheQueueIsEmptiedAfterACommand) {
  EXPECT_EQ(run_page({755, 'f'}), std::vector<std::string>{"create 755"});
}

// Leaving the page drops items whose type byte is 0; entering it drops empty texts.
TEST_F(PageLoopTest, EnteringAndLeavingTidyTheDrawingList) {
  DrawingItem* text = add_item(ITEM_TEXT, 1);
  set_line_text("", text);
  run_page({});
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    EXPECT_NE(item_type(item), ITEM_TEXT);
  EXPECT_FALSE(edit_session_open());
}

// Options 129 and 130 scale the drawing to a typed height or length; extents without that height
// or width change nothing and say why instead of dividing by nothing.
TEST_F(PageLoopTest, ScalingToASizeWithoutExtentSaysWhy) {
  const struct {
    int option;
    PointF extent_max;   // from (0, 0)
    float factor;        // 0: nothing scaled
    const char* reason;  // the text box that says why, or ""
  } cases[] = {
      {129, {10, 0}, 0.0f, "The items have no height, so they cannot be scaled to one."},
      {130, {0, 10}, 0.0f, "The items have no width, so they cannot be scaled to a length."},
      {129, {10, 20}, 0.25f, ""},
      {130, {20, 10}, 0.25f, ""},
  };
  static float g_factor;
  g_drawing_commands.scale_all_items = [](float factor, PointF) {
    g_factor = factor;
    return 0;
  };
  set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
  ASSERT_GT(open_catalogue(), 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    g_factor = 0.0f;
    g_message_box.last_text.clear();
    g_view.item_extent_min = {0, 0};
    g_view.item_extent_max = c.extent_max;
    start_typist();
    typist_text("5");
    typist_key(VK_RETURN);
    typist_key(VK_ESCAPE);  // the box that says why, when there is one
    run_main_option(c.option);
    pump_set_idle_handler(nullptr);
    EXPECT_FLOAT_EQ(g_factor, c.factor);
    if (c.reason[0] != '\0') {
      EXPECT_EQ(g_message_box.last_text, c.reason);
    }
    flush_input();
  }
  reset_catalogue();
  set_program_folder_for_tests("");
}

// A click on a control of the page strip, as the pointer reports it.
void click_control(uint8_t id) {
  ScreenControl* c = page_strip_control(id);
  ASSERT_NE(c, nullptr);
  layout_control(c);
  g_canvas_cursor.click_x = c->x + 2;
  g_canvas_cursor.click_y = c->y + 2;
  push_input_code(CANVAS_CONTROL_CLICKED);
}

// The "L:" control opens the layer list; the layer chosen there takes the new items and the
// control shows it. A layer that is switched off cannot: the first layer that is on does, and
// the page says so.
TEST_F(PageLoopTest, TheLayerControlChoosesTheLayerOfNewItems) {
  set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
  ASSERT_GT(open_catalogue(), 0);
  layer_line(2)->state &= static_cast<uint8_t>(~LAYER_STATE_ON);
  g_store_host.show_text_box = show_text_box;
  constexpr int ANY_ON = -1;  // the first layer that is on
  const struct {
    std::vector<int> keys;
    int layer;
    const char* box;  // the start of the box shown, or ""
  } cases[] = {
      {{VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, 3, ""},
      {{VK_UP, VK_RETURN}, ANY_ON, "That layer is switched off"},  // layer 2
      {{VK_ESCAPE}, ANY_ON, ""},
  };
  g_drawing_page.current_layer = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layer);
    g_message_box.last_text.clear();
    start_typist();
    for (int key : c.keys) typist_key(key);
    typist_key(VK_ESCAPE);  // the box, when there is one
    click_control(STRIP_LAYER);
    run_page({});
    pump_set_idle_handler(nullptr);
    const int layer = g_drawing_page.current_layer;
    if (c.layer == ANY_ON) {
      EXPECT_NE(layer, 2);
      EXPECT_EQ(layer, first_visible_layer());
    } else {
      EXPECT_EQ(layer, c.layer);
    }
    char caption[16];
    std::snprintf(caption, sizeof caption, "L: %3d ", layer);
    EXPECT_STREQ(page_strip_control(STRIP_LAYER)->caption, caption);
    EXPECT_EQ(g_message_box.last_text.rfind(c.box, 0), 0u) << g_message_box.last_text;
    EXPECT_EQ(g_button_bindings.depth, 0);
  }
  free_layer_list_window();
  g_store_host = StoreHost{};
  reset_catalogue();
  set_program_folder_for_tests("");
}

// The "Symbol" control asks the font picker for a glyph; when the picker is left without one
// nothing is placed and nothing is undoable.
TEST_F(PageLoopTest, ASymbolNotPickedPlacesNothing) {
  reset_text_host();
  const int items = count_current_lines();
  click_control(STRIP_SYMBOL);
  run_page({});
  EXPECT_EQ(count_current_lines(), items);
  EXPECT_EQ(g_undo.step_count, 0);
}

// The "G" control runs the grid and snap options dialog; without it, the page says the command
// is not there yet.
TEST_F(PageLoopTest, TheGridControlRunsTheGridDialog) {
  g_drawing_commands.grid_options_dialog = [] {
    g_calls.push_back("grid dialog");
    return 1;
  };
  click_control(STRIP_GRID);
  EXPECT_EQ(run_page({}), std::vector<std::string>{"grid dialog"});
  g_drawing_commands.grid_options_dialog = nullptr;
  start_typist();
  typist_key(VK_ESCAPE);
  g_message_box.last_text.clear();
  click_control(STRIP_GRID);
  run_page({});
  pump_set_idle_handler(nullptr);
  EXPECT_EQ(g_message_box.last_text, MISSING_COMMAND_TEXT);
}

// Every option code on the page's catalogue menus (and their submenus) is one the page acts on.
TEST(PageMenuCodes, EveryCatalogueOptionIsOneThePageHandles) {
  std::ifstream file(std::string(BRENVIK_TEST_DATA_DIR) + "/../../data/messages.txt");
  ASSERT_TRUE(file) << "data/messages.txt";
  std::map<int, std::vector<std::pair<int, int>>> menus;  // message -> (option, submenu)
  std::string line;
  int current = 0;
  bool title = false;
  while (std::getline(file, line)) {
    if (!line.empty() && line[0] == '#') continue;
    if (!line.empty() && line[0] == '~') {
      current = std::atoi(line.c_str() + 1);
      title = true;
      continue;
    }
    if (title) {
      title = false;
      continue;
    }
    std::istringstream fields(line);
    std::string first;
    if (!(fields >> first) || first[0] == '!' || first[0] == '>' || first[0] < '0' ||
        first[0] > '9')
      continue;
    int sub = 0;
    std::string second;
    if (fields >> second && !second.empty() && second[0] >= '0' && second[0] <= '9')
      sub = std::atoi(second.c_str());
    menus[current].push_back({std::atoi(first.c_str()), sub});
  }
  std::set<int> main;
  for (int o : {5, 7, 8, 10, 11, 14, 16, 17, 18, 20, 21, 22, 32, 41, 43, 44, 49, 60, 61, 65, 68,
                102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117,
                118, 119, 120, 121, 126, 127, 128, 129, 130, 131, 132, 133, 151, 160, 161, 162,
                164, 165, 166, 167, 168, 169, 170, 171, 172, 174, 175, 176, 177, 178, 179, 180,
                181, 186, 187, 188, 190, 191, 192, 193, 194, 195, 200, 431, 441, 442, 447, 448,
                449, 450, 452, 463, 464, 493, 494, 495, 496})
    main.insert(o);
  for (int o = 140; o <= 150; ++o) main.insert(o);
  for (int o = 423; o <= 430; ++o) main.insert(o);
  for (int o = 453; o <= 459; ++o) main.insert(o);
  std::set<int> image;
  for (int o = 471; o <= 497; ++o) image.insert(o);
  const std::set<int> marks{1,  2,  3,  4,  5,  6,  9,  10, 11, 12, 20, 21, 22,
                            23, 24, 25, 26, 27, 30, 31, 32, 33, 34, 36, 37, 38, 445};
  // The node editor's Change menu carries the node menu's choices that do something.
  std::set<int> change;
  for (int o = 1; o <= 45; ++o)
    if (o != 10 && o != 13 && o != 29 && o != 30) change.insert(o);
  const struct {
    int menu;
    const std::set<int>* handled;
  } cases[] = {{30, &main},  {23, &main},    {34, &main},  {24, &main},
               {47, &image}, {930, &marks}, {920, &change}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.menu);
    ASSERT_TRUE(menus.count(c.menu));
    std::vector<int> open{c.menu};
    std::set<int> seen;
    while (!open.empty()) {
      const int m = open.back();
      open.pop_back();
      if (!seen.insert(m).second) continue;
      for (const auto& [option, sub] : menus[m]) {
        if (sub != 0) {  // the line only opens its submenu
          open.push_back(sub);
          continue;
        }
        EXPECT_TRUE(c.handled->count(option)) << "menu " << m << " option " << option;
      }
    }
  }
}

}  // namespace
