// The font list, the symbol menu and the font viewer, driven through the event queue on the
// headless screen: the viewer's cells and the glyphs' pixels page by page, picking a glyph by a
// click or a key, the buttons and check boxes, and the Drawing page's options given back.
#include <gtest/gtest.h>

#include "editor/hover_state.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "editor/font_picker.h"
#include "editor/hover_state.h"
#include "platform/files.h"
#include "store/catalogue.h"
#include "tests/editor/drawing_window.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/text/font_fixture.h"
#include "text/font_viewer_items.h"
#include "text/text_layout.h"
#include "ui/text_window.h"

namespace {

namespace fs = std::filesystem;

// A font of `count` glyphs (letters, then digits, as the source lists them), each a line one
// unit long on its baseline.
std::string font_source(const std::string& title, int count) {
  const std::string codes = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::vector<std::string> lines = {title, "1"};
  for (int k = 0; k < count; ++k) {
    lines.push_back(std::string("*") + codes[static_cast<size_t>(k)]);
    lines.push_back("G1 X1");
  }
  return text_test::source_of(lines);
}

class FontPickerTest : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    open_screen(1024, 768);
    layout_paint_boxes();
    start_typist();
    reset_catalogue();
    set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
    ASSERT_GT(open_catalogue(), 0);
    reset_font_viewer();
    folder_ = make_test_folder("brenvik_font_picker");
    reset_font_registry();
    drawing_window_ = open_drawing_window();
  }
  void TearDown() override {
    pump_set_idle_handler(nullptr);
    while (poll_input_code(0) != 0) {
    }
    close_drawing_window(drawing_window_);
    reset_catalogue();
    set_program_folder_for_tests("");
    reset_font_registry();
    reset_font_viewer();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    EditorFixture::TearDown();
  }

  void register_fonts(bool symbols) {
    text_test::write_file(folder_ / "1000.Q2F", font_source("Letters", 60));
    if (symbols) text_test::write_file(folder_ / "3001.Q2F", font_source("Arrows", 30));
    ASSERT_EQ(register_folder_fonts(folder_.string()), symbols ? 2 : 1);
  }

  // Runs the viewer over the glyphs of a font as pick_font does.
  static int view_font(int16_t number, int mode) {
    push_list();
    clear_current_list();
    g_font_viewer.font = font_with_table(number);
    g_font_viewer.title = font_viewer_title(g_font_viewer.font, mode);
    g_font_viewer.pages = append_font_viewer_items(g_font_viewer.font);
    const int result = font_viewer_page(mode);
    free_current_list();
    pop_list();
    return result;
  }

  static std::string screen_text() {
    const CellMetrics& c = g_display.presets[FACE_ROLE_NORMAL];
    std::string text;
    for (int row = 0; row <= c.last_row; ++row)
      text += text_at(0, row * c.cell_height, FACE_ROLE_NORMAL, c.last_column + 1) + "\n";
    return text;
  }
  static bool showing(const std::string& text) {
    return screen_text().find(text) != std::string::npos;
  }

  // Non-white pixels of the grid cell of a world point, as the viewer's view maps it now.
  static int cell_ink(float x, float y) {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    const float half = GLYPH_GRID_STEP / 2.0f - 0.05f;
    world_to_screen({x - half, y + half}, &x1, &y1);
    world_to_screen({x + half, y - half}, &x2, &y2);
    int ink = 0;
    for (int py = y1; py <= y2; ++py)
      for (int px = x1; px <= x2; ++px)
        if (pixel(px, py + g_view.area_top) != 0xFFFFFF) ++ink;
    return ink;
  }
  // The ink of every cell of the plain grid, row by row.
  static std::vector<std::vector<int>> grid_ink() {
    std::vector<std::vector<int>> rows;
    for (int r = 0; r < 5; ++r) {
      rows.emplace_back();
      for (int c = 0; c < 8; ++c)
        rows.back().push_back(cell_ink(c * GLYPH_GRID_STEP, GLYPH_GRID_TOP - r * GLYPH_GRID_STEP));
    }
    return rows;
  }
  // The program's pointer is put there (as the mouse's motion would bring it) and clicks.
  static void click_at(int x, int y, int button = WINDOW_BUTTON_LEFT) {
    g_pointer.released = false;
    g_pointer.wanted_x = x;
    g_pointer.wanted_y = y;
    headless_inject_mouse_button(button, true, x, y);
    headless_inject_mouse_button(button, false, x, y);
  }
  // A click on a control of the viewer's bar.
  static void click_control(int id) {
    const ScreenControl* c = find_control(id);
    ASSERT_NE(c, nullptr) << id;
    click_at(c->x + c->hit_width / 2, c->y + c->hit_height / 2);
  }
  static void when_showing(const std::string& text, std::function<void()> act) {
    g_typist.steps.push_back(typist_step_when([text] { return showing(text); }, std::move(act)));
  }
  // Keys for a list window, once it waits for them.
  static void when_list_waits(const char* title, std::function<void()> act,
                              const std::vector<int>& keys) {
    g_typist.steps.push_back(typist_step_when(
        [title] {
          return g_windows.active != nullptr && std::string(g_windows.active->title) == title;
        },
        std::move(act)));
    for (int key : keys) typist_key(key);
  }

  fs::path folder_;
  TextLine* drawing_window_ = nullptr;
};

constexpr char PAGE_1[] = "Showing page  1 of  2.  PAGE UP and PAGE DOWN will change pages.";
constexpr char PAGE_2[] = "Showing page  2 of  2.";

// View mode: the title and status lines, 40 glyphs on page 1 and the other 20 on page 2, PgDn
// stopping at the last page; Esc cancels and the Drawing page's options come back as they were.
TEST_F(FontPickerTest, TheViewerShowsAFontPageByPage) {
  register_fonts(false);
  g_preferences.drawing.show_text_boxes = 0;
  g_preferences.drawing.show_tool_width = 1;
  std::string first_screen;
  std::vector<std::vector<int>> page1, page2, after_last;
  when_showing(PAGE_1, [&] {
    first_screen = screen_text();
    if (std::getenv("FONT_PICKER_PNG") != nullptr) {
      std::string error;
      headless_write_png(*window_surface(), std::getenv("FONT_PICKER_PNG"), &error);
    }
    page1 = grid_ink();
    headless_inject_keystroke(VK_NEXT, 0);
  });
  when_showing(PAGE_2, [&] {
    page2 = grid_ink();
    headless_inject_keystroke(VK_NEXT, 0);
  });
  g_typist.steps.push_back([&] {
    after_last = grid_ink();
    headless_inject_keystroke(VK_PRIOR, 0);
  });
  when_showing(PAGE_1, [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  EXPECT_EQ(view_font(1000, FONT_VIEWER_VIEW), FONT_VIEWER_CANCELLED);
  EXPECT_NE(first_screen.find("Viewing Letters font (filename: 1000.q2f)"), std::string::npos)
      << first_screen;
  EXPECT_NE(first_screen.find(VIEWER_RIGHT_BUTTON), std::string::npos) << first_screen;
  ASSERT_EQ(page1.size(), 5u);
  ASSERT_EQ(page2.size(), 5u);
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 8; ++c) {
      SCOPED_TRACE("row " + std::to_string(r) + ", column " + std::to_string(c));
      EXPECT_GT(page1[r][c], 0);
      // Page 2 holds glyphs 41-60: two full rows and four of the third.
      const bool on_page_2 = r * 8 + c < 20;
      if (on_page_2) EXPECT_GT(page2[r][c], 0);
      else EXPECT_EQ(page2[r][c], 0);
    }
  }
  EXPECT_EQ(after_last, page2) << "Page Down on the last page stays there";
  EXPECT_EQ(g_preferences.drawing.show_text_boxes, 0);
  EXPECT_EQ(g_preferences.drawing.show_tool_width, 1);
}

// Pick mode: each way of leaving the viewer and what it gives back.
TEST_F(FontPickerTest, PickingAGlyphAndTheOtherWaysOut) {
  register_fonts(false);
  struct Case {
    const char* name;
    std::function<void()> act;
    int result;
  };
  auto click_glyph = [](int index) {
    const PointF at = {(index % 8) * GLYPH_GRID_STEP, GLYPH_GRID_TOP - (index / 8) * GLYPH_GRID_STEP};
    int x = 0, y = 0;
    world_to_screen(at, &x, &y);
    click_at(x, y + g_view.area_top);
  };
  const std::vector<Case> cases = {
      // The glyphs come in the order of their codes: the digits 0-7 first, then the letters.
      {"a click on the third glyph", [&] { click_glyph(2); }, '2'},
      {"a click on the tenth glyph", [&] { click_glyph(9); }, 'B'},
      {"a typed glyph", [] { headless_inject_text("b"); }, 'b'},
      {"a key the font has no glyph for, then Esc",
       [] {
         headless_inject_text("~");
         headless_inject_keystroke(VK_ESCAPE, 0);
       },
       FONT_VIEWER_CANCELLED},
      {"the right button", [] { click_at(500, 400, WINDOW_BUTTON_RIGHT); },
       FONT_VIEWER_OTHER_FONT},
      {"Change font", [] { click_control(VIEWER_CHANGE_FONT); }, FONT_VIEWER_OTHER_FONT},
      {"Cancel", [] { click_control(VIEWER_CANCEL); }, FONT_VIEWER_CANCELLED},
      {"Next page, then a click on the first glyph there",
       [&] {
         click_control(VIEWER_NEXT_PAGE);
         g_typist.steps.push_back(typist_step_when([] { return showing(PAGE_2); },
                                                   [&] { click_glyph(0); }));
       },
       'g'},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_typist.steps.clear();
    when_showing("Select a symbol from the Letters font", c.act);
    EXPECT_EQ(view_font(1000, FONT_VIEWER_PICK), c.result);
  }
}

// In pick mode the pointer takes the pick shape over a glyph and the arrow elsewhere; the arrow
// comes back when the viewer ends.
TEST_F(FontPickerTest, ThePointerShowsWhatAClickWouldPick) {
  register_fonts(false);
  auto move_to = [](PointF at) {
    int x = 0, y = 0;
    world_to_screen(at, &x, &y);
    g_pointer.wanted_x = x;
    g_pointer.wanted_y = y + g_view.area_top;
    headless_inject_mouse_move(g_pointer.wanted_x, g_pointer.wanted_y);
  };
  int16_t over_glyph = 0, over_gap = 0;
  when_showing("Select a symbol from the Letters font",
               [&] { move_to({2 * GLYPH_GRID_STEP, GLYPH_GRID_TOP}); });
  typist_pause();
  g_typist.steps.push_back([&] {
    over_glyph = g_pointer.requested_shape;
    move_to({2 * GLYPH_GRID_STEP, GLYPH_GRID_TOP - 4.6f * GLYPH_GRID_STEP});  // under the grid
  });
  typist_pause();
  g_typist.steps.push_back([&] {
    over_gap = g_pointer.requested_shape;
    headless_inject_keystroke(VK_ESCAPE, 0);
  });
  EXPECT_EQ(view_font(1000, FONT_VIEWER_PICK), FONT_VIEWER_CANCELLED);
  EXPECT_EQ(over_glyph, HOVER_SHAPE_ITEM);
  EXPECT_EQ(over_gap, POINTER_ARROW);
  EXPECT_EQ(g_pointer.requested_shape, POINTER_ARROW);
}

// "Keyboard key" writes each glyph's key under it; a second click takes the keys away again.
// "Boxes" starts as the Drawing page has it and draws the glyphs' frames too.
TEST_F(FontPickerTest, TheCheckBoxesShowKeysAndFrames) {
  register_fonts(false);
  g_preferences.drawing.show_text_boxes = 1;
  int ink_boxes = 0, ink_plain = 0;
  // Whether a glyph's key is written just under its cell's glyph, in the gap to the next row.
  auto key_under = [](int index, const char* key) {
    const PointF at = {(index % 8) * GLYPH_GRID_STEP,
                       GLYPH_GRID_TOP - (index / 8) * GLYPH_GRID_STEP - 0.5f};
    int x = 0, y = 0;
    world_to_screen(at, &x, &y);
    const int w = g_display.presets[FACE_ROLE_NORMAL].cell_width;
    const int gap = static_cast<int>(0.3f * g_view.scale_y);
    for (int dy = 0; dy < gap; ++dy)
      if (text_at(x - w / 2, y + g_view.area_top + dy, FACE_ROLE_NORMAL, 1) == key) return true;
    return false;
  };
  std::vector<bool> keys_shown, keys_gone;
  when_showing(PAGE_1, [&] {
    ink_boxes = cell_ink(0, GLYPH_GRID_TOP);
    EXPECT_NE(find_control(VIEWER_BOXES)->flags & CF_CHECKED, 0u);
    click_control(VIEWER_KEYS);
  });
  g_typist.steps.push_back([&] {
    for (auto [index, key] : {std::pair{0, "0"}, {9, "B"}, {39, "f"}})
      keys_shown.push_back(key_under(index, key));
    if (std::getenv("FONT_PICKER_KEYS_PNG") != nullptr) {
      std::string error;
      headless_write_png(*window_surface(), std::getenv("FONT_PICKER_KEYS_PNG"), &error);
    }
    click_control(VIEWER_KEYS);
  });
  g_typist.steps.push_back([&] {
    for (auto [index, key] : {std::pair{0, "0"}, {9, "B"}, {39, "f"}})
      keys_gone.push_back(!key_under(index, key));
    click_control(VIEWER_BOXES);
  });
  g_typist.steps.push_back([&] {
    ink_plain = cell_ink(0, GLYPH_GRID_TOP);
    if (std::getenv("FONT_PICKER_PNG") != nullptr) {
      std::string error;
      headless_write_png(*window_surface(), std::getenv("FONT_PICKER_PNG"), &error);
    }
    headless_inject_keystroke(VK_ESCAPE, 0);
  });
  EXPECT_EQ(view_font(1000, FONT_VIEWER_VIEW), FONT_VIEWER_CANCELLED);
  EXPECT_EQ(keys_shown, std::vector<bool>(3, true));
  EXPECT_EQ(keys_gone, std::vector<bool>(3, true));
  EXPECT_GT(ink_plain, 0);
  EXPECT_GT(ink_boxes, ink_plain) << "the frame adds its outline";
  EXPECT_EQ(g_preferences.drawing.show_text_boxes, 1);
}

// The whole picker: "Show Brenvik fonts" lists every font by title and views the chosen one;
// "Change font" goes back to the list, and leaving the list shows that font again. The symbol
// command lists only symbol fonts and picks a glyph; without any, its one line picks nothing.
TEST_F(FontPickerTest, PickFontRunsTheListAndTheViewer) {
  register_fonts(true);
  std::string list_screen;
  when_list_waits(FONT_LIST_TITLE, [&] { list_screen = screen_text(); }, {VK_DOWN, VK_RETURN});
  when_showing("Viewing Letters font", [] { click_control(VIEWER_CHANGE_FONT); });
  when_list_waits(FONT_LIST_TITLE, [] {}, {VK_ESCAPE});
  when_showing("Viewing Letters font", [] { headless_inject_keystroke(VK_ESCAPE, 0); });
  uint8_t picked = 99;
  EXPECT_EQ(pick_font(PICK_FONT_VIEW, &picked), 1000);
  EXPECT_EQ(picked, 0);
  EXPECT_TRUE(g_typist.steps.empty()) << "a step was never reached";
  const size_t arrows = list_screen.find("Arrows");
  const size_t letters = list_screen.find("Letters");
  ASSERT_NE(arrows, std::string::npos) << list_screen;
  ASSERT_NE(letters, std::string::npos) << list_screen;
  EXPECT_LT(arrows, letters) << "sorted by title";

  g_typist.steps.clear();
  std::string symbol_list;
  // The symbol menu's lines, read from the window's list.
  when_list_waits(SYMBOL_LIST_TITLE, [&] {
    for (const TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
      symbol_list += line->text + ";";
  }, {VK_RETURN});
  when_showing("Select a symbol from the Arrows font", [] { headless_inject_text("C"); });
  EXPECT_EQ(pick_font(PICK_FONT_SYMBOLS, &picked), 3001);
  EXPECT_EQ(picked, 'C');
  EXPECT_EQ(symbol_list, "Arrows;");

  reset_font_registry();
  for (const auto& entry : fs::directory_iterator(folder_)) fs::remove(entry.path());
  register_fonts(false);
  g_typist.steps.clear();
  std::string no_symbols;
  when_list_waits(SYMBOL_LIST_TITLE, [&] { no_symbols = screen_text(); }, {VK_RETURN});
  EXPECT_EQ(pick_font(PICK_FONT_SYMBOLS, &picked), 0);
  EXPECT_EQ(picked, 0);
  EXPECT_TRUE(g_typist.steps.empty());
  EXPECT_NE(no_symbols.find(NO_SYMBOL_FONTS_LINE), std::string::npos) << no_symbols;
}

}  // namespace
