// The pointer over list and form rows, the end marks of lists and the menu key step.
#include <string>

#include "tests/ui/window_fixture.h"
#include "ui/catalogue_menu.h"
#include "ui/dialog_form.h"
#include "ui/key_pushback.h"
#include "ui/list_window.h"

namespace {

class ListPointerTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    reset_dialog_forms();
  }
  TextLine* open_list(std::initializer_list<const char*> lines, int top, int left, int bottom,
                      int right, uint32_t flags = 0) {
    TextLine* node = make_window(lines, top, left, bottom, right, flags);
    activate_window(node);
    return node;
  }
  static int ch() { return g_display.current.cell_height; }
  static int cw() { return g_display.current.cell_width; }
  static void pointer_at_row(int row) { g_pointer.wanted_y = row * ch() + ch() / 2; }
};

TEST_F(ListPointerTest, PointerRowToKeysPushesOneKeyPerRowAndReturnsTheFirst) {
  open_list({"a", "b", "c", "d", "e", "f"}, 3, 2, 8, 20);
  pointer_at_row(3 + 3);  // three rows below the cursor row
  EXPECT_EQ(pointer_row_to_keys(), KEY_DOWN);
  EXPECT_EQ(g_key_pushback.codes, (std::vector<EventCode>{KEY_DOWN, KEY_DOWN}));
  reset_key_pushback();
  pointer_at_row(3);
  EXPECT_EQ(pointer_row_to_keys(), 0);
  EXPECT_TRUE(g_key_pushback.codes.empty());
  // As far as lines exist: the pointer far below a two-line list gives one Down.
  open_list({"x", "y"}, 3, 2, 12, 20);
  pointer_at_row(11);
  EXPECT_EQ(pointer_row_to_keys(), KEY_DOWN);
  EXPECT_TRUE(g_key_pushback.codes.empty());
  // Upward from the last line.
  TextWindow* w = g_windows.active;
  g_lists.cursor_line = w->first_line->next;
  w->cursor_row = 1;
  pointer_at_row(2);
  EXPECT_EQ(pointer_row_to_keys(), KEY_UP);
  EXPECT_TRUE(g_key_pushback.codes.empty());
}

TEST_F(ListPointerTest, ThePointerIsKeptInTheWindowAndOnTheField) {
  open_list({"a", "b"}, 4, 5, 9, 30);
  g_pointer.wanted_x = 2000;
  g_pointer.wanted_y = -40;
  keep_pointer_in_window();
  EXPECT_EQ(g_pointer.wanted_x, 31 * cw() - 1);
  EXPECT_EQ(g_pointer.wanted_y, 4 * ch());
  g_field.value_column = 10;
  g_pointer.wanted_x = 0;
  keep_pointer_in_field(6);
  EXPECT_EQ(g_pointer.wanted_x, 10 * cw());
  g_pointer.wanted_x = 2000;
  keep_pointer_in_field(6);
  EXPECT_EQ(g_pointer.wanted_x, 16 * cw() - 1);
}

TEST_F(ListPointerTest, FollowingThePointerAlongItsRowEndsWhenItLeavesTheRow) {
  open_list({"a", "b", "c"}, 3, 2, 8, 20);
  g_field.last_pointer_event = 0;
  EXPECT_EQ(pointer_to_field_step(1), 0);  // the last pointer event was no move
  g_field.last_pointer_event = EVENT_POINTER_MOVE;
  pointer_at_row(4);
  g_pointer.wanted_x = 5 * cw();
  push_input_code(EVENT_RIGHT_DOWN);
  EXPECT_EQ(pointer_to_field_step(1), KEY_ESC);
  push_input_code(EVENT_RIGHT_DOWN);
  EXPECT_EQ(pointer_to_field_step(0), KEY_PGUP);
  g_pointer.wanted_x = 60 * cw();
  push_input_code(EVENT_LEFT_DOWN);
  EXPECT_EQ(pointer_to_field_step(0), WINDOW_CANCEL);
}

TEST_F(ListPointerTest, TheMenuKeyStep) {
  open_list({"one", "two", "three"}, 3, 2, 8, 20, WINDOW_FIXED_LIST);
  g_pointer.wanted_x = 5 * cw();
  pointer_at_row(4);
  EXPECT_EQ(menu_key_remap(0), 0);
  EXPECT_EQ(menu_key_remap(-3), 0);
  EXPECT_EQ(menu_key_remap(EVENT_LEFT_DOWN), KEY_ENTER);
  EXPECT_EQ(menu_key_remap(EVENT_RIGHT_DOWN), KEY_ESC);
  EXPECT_EQ(menu_key_remap(KEY_UP), 0);      // Up on the first line of a fixed list
  EXPECT_EQ(menu_key_remap(KEY_DOWN), KEY_DOWN);
  EXPECT_EQ(menu_key_remap('a'), 'a');
  g_pointer.wanted_x = 60 * cw();
  EXPECT_EQ(menu_key_remap(EVENT_LEFT_DOWN), EVENT_LEFT_DOWN);  // off the menu
  open_list({"one", "two"}, 3, 2, 8, 20);
  EXPECT_EQ(menu_key_remap(KEY_UP), KEY_UP);  // not a fixed list
}

// ---- End marks ----------------------------------------------------------------------------------

class EndMarkTest : public ListPointerTest {
 protected:
  // The tiny-face text under a row from the window's left column on.
  std::string tiny_text_under(int row, int column, int count) const {
    const FontFace& tiny = *interface_face(g_display.presets[FACE_ROLE_TINY].face_index);
    std::string text;
    for (int i = 0; i < count; ++i) {
      const CellRead read = read_cell_at_pixel(screen(), tiny, column * cw() + i * tiny.cell_width,
                                               (row + 1) * ch());
      text.push_back(read.matched ? static_cast<char>(read.glyph) : CELL_UNREADABLE);
    }
    return text;
  }
  // Columns of the normal face that hold `tiny` tiny cells.
  static int columns_for_tiny(int tiny) {
    const int tiny_width = g_display.presets[FACE_ROLE_TINY].cell_width;
    return (tiny * tiny_width + cw() - 1) / cw();
  }
};

TEST_F(EndMarkTest, TheArrowsMarkTheFirstMiddleAndLastLines) {
  TextLine* node = open_list({"a", "b", "c"}, 3, 2, 8, 20);
  std::string first, middle, last;
  TextLine* line = window_of(node)->first_line;
  draw_list_end_mark(line, 3, &first);
  draw_list_end_mark(line->next, 4, &middle);
  draw_list_end_mark(line->next->next, 5, &last);
  EXPECT_EQ(first, "\x0E\x08$\x0C\x08" "6");
  EXPECT_EQ(middle, "\x0E\x08$\x0C\x08" "3");
  EXPECT_EQ(last, "\x0E\x08$\x0C\x08" "8");
}

TEST_F(EndMarkTest, TheBottomRowSaysWhetherTheListGoesOnAsWidthAllows) {
  struct Case {
    int tiny_cells;
    bool more;
    std::string shown;
  };
  const Case cases[] = {
      {30, true, "(more below)"}, {30, false, "(end of list)"},
      {15, true, "(more below)"}, {15, false, "(end of list)"},
      {12, true, "(more)"},       {12, false, "(end)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    clear_screen();
    const int columns = columns_for_tiny(c.tiny_cells);
    TextLine* node = open_list({"a", "b", c.more ? "c" : ""}, 3, 4, 4, 4 + columns - 1);
    TextLine* second = window_of(node)->first_line->next;
    std::string text;
    draw_list_end_mark(second, 4, &text);
    int column = 4;
    if (c.tiny_cells >= 20) column += 4;
    else if (c.tiny_cells >= 15) column += 1;
    EXPECT_EQ(tiny_text_under(4, column, static_cast<int>(c.shown.size())), c.shown);
  }
}

TEST_F(EndMarkTest, AWindowThreeTinyCellsWideShowsNoEndText) {
  clear_screen();
  const std::vector<uint32_t> before = screen().pixels;
  TextLine* node = open_list({"a", "b"}, 3, 4, 4, 4 + columns_for_tiny(3) - 1);
  const std::vector<uint32_t> after_open = screen().pixels;
  std::string text;
  draw_list_end_mark(window_of(node)->first_line->next, 4, &text);
  EXPECT_EQ(screen().pixels, after_open);
  (void)before;
}

}  // namespace
