#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/headless/cell_reader.h"
#include "platform/window.h"
#include "screen/display_mode.h"
#include "screen/palette.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/line_list.h"
#include "store/text_wrap.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

constexpr int ANY_COLOUR = -1;
constexpr uint32_t UNTOUCHED = 0;  // the framebuffer starts black

class TextOutputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(load_interface_font(BRENVIK_PROGRAM_DIR "/Q5_FONT.FON", &error)) << error;
  }

  void SetUp() override { open_screen(640, 480); }

  void TearDown() override {
    reset_window_layer();
    reset_list_store();
  }

  // A screen of width x height pixels in the band's normal face, colour scheme 0, one active
  // window that shows nothing special.
  void open_screen(int width, int height) {
    reset_headless();
    std::string error;
    ASSERT_TRUE(window_open(width, height, "test", &error));
    reset_display();
    apply_display_mode(99);
    reset_palette();
    build_palette();
    reset_screen_attributes();
    set_colour_base(0);
    reset_pointer();
    reset_text_output();
    set_screen_canvas(window_surface());
    reset_window_layer();
    reset_list_store();
    g_run = RunLoopState();
    reset_text_wrap();
    window_ = TextWindow();
    g_windows.active = &window_;
    g_text.area = text_area_of(&window_);
  }

  const Surface& screen() { return *window_surface(); }
  const FontFace& face() { return *interface_face(g_display.current.face_index); }
  static uint32_t slot(int s) { return palette_pixel(g_attributes.scheme[s]); }

  std::string row_text(int row, int column, int count) {
    return cell_row_text(screen(), face(), row, column, count);
  }

  TextWindow window_;
};

struct CellExpect {
  uint8_t glyph;
  int slot;  // colour slot of the glyph, or ANY_COLOUR (a blank cell shows none)
};

struct CodeCase {
  const char* name;
  const char* text;
  uint32_t window_flags;
  std::vector<CellExpect> cells;
};

constexpr int T = COLOUR_SLOT_TEXT;
constexpr int H = COLOUR_SLOT_HIGHLIGHT;
constexpr int S = COLOUR_SLOT_SECOND;
constexpr int R = COLOUR_SLOT_THIRD;

const CodeCase CODE_CASES[] = {
    {"highlight then normal", "\x0b" "F\x13ile", 0, {{'F', H}, {'i', T}, {'l', T}, {'e', T}}},
    {"second colour", "\x0c" "ab\x13" "c", 0, {{'a', S}, {'b', S}, {'c', T}}},
    {"third colour", "\x0e" "ab\x13" "c", 0, {{'a', R}, {'b', R}, {'c', T}}},
    {"glyph pair is one cell", "a\x08" "Bc", 0, {{'a', T}, {33, T}, {'c', T}}},
    {"glyph pair in the current colour", "\x0b\x08" "B", 0, {{33, H}}},
    {"lone glyph escape ends the text", "ab\x08", 0, {{'a', T}, {'b', T}}},
    {"tab is its mark in the third colour", "\tx", 0, {{9, R}, {'x', T}}},
    {"line feed ends the line", "ab\ncd", 0, {{'a', T}, {'b', T}}},
    {"escape pair in the highlight slot", "\x0e\x03" "px", 0, {{3, H}, {'x', R}}},
    {"escape cut by the end", "a\x05", 0, {{'a', T}}},
    {"other control bytes take no cell", "a\x0d\x1f\x12" "b", 0, {{'a', T}, {'b', T}}},
    {"shown space is a middle dot", "a b", WINDOW_SHOW_SPACES,
     {{'a', T}, {GLYPH_MIDDLE_DOT, S}, {'b', T}}},
    {"shown codes are drawn in their colour", "\x0b" "F\x0d" "b",
     WINDOW_SHOW_SPACES | WINDOW_SHOW_CONTROL_CODES,
     {{0x0B, H}, {'F', H}, {0x0D, S}, {'b', S}}},
    {"framed window keeps shown spaces blank", "a b", WINDOW_SHOW_SPACES | 1,
     {{'a', T}, {' ', ANY_COLOUR}, {'b', T}}},
};

TEST_F(TextOutputTest, InBandCodesDrawTheirCellsAndColours) {
  for (const CodeCase& c : CODE_CASES) {
    SCOPED_TRACE(c.name);
    open_screen(640, 480);
    window_.flags |= c.window_flags;
    draw_text(2, 1, c.text);
    const int n = static_cast<int>(c.cells.size());
    for (int i = 0; i < n; ++i) {
      const CellRead cell = read_cell(screen(), face(), 2, 1 + i);
      ASSERT_TRUE(cell.matched) << "cell " << i;
      EXPECT_EQ(cell.glyph, c.cells[i].glyph) << "cell " << i;
      EXPECT_EQ(cell.background, slot(COLOUR_SLOT_BACKGROUND)) << "cell " << i;
      if (c.cells[i].slot != ANY_COLOUR) {
        EXPECT_EQ(cell.foreground, slot(c.cells[i].slot)) << "cell " << i;
      }
    }
    // Nothing beyond the text, nothing on the next row.
    EXPECT_EQ(read_cell(screen(), face(), 2, 1 + n).background, UNTOUCHED);
    EXPECT_EQ(read_cell(screen(), face(), 3, 1).background, UNTOUCHED);
  }
}

TEST_F(TextOutputTest, NothingIsDrawnWithoutAWindowOrBelowTheLastRow) {
  g_windows.active = nullptr;
  g_text.area = text_area_of(nullptr);
  draw_text(0, 0, "x");
  window_.flags = 0x80000000;
  g_windows.active = &window_;
  g_text.area = text_area_of(&window_);
  draw_text(g_display.current.last_row + 1, 0, "x");
  for (uint32_t p : screen().pixels) ASSERT_EQ(p, UNTOUCHED);
}

TEST_F(TextOutputTest, CentredColumnCountsTheScreensCells) {
  ASSERT_EQ(g_display.current.last_column, 79);
  draw_text(1, TEXT_CENTRE, "0123456789");
  EXPECT_EQ(row_text(1, 33, 12), std::string(" 0123456789 "));
  EXPECT_EQ(read_cell(screen(), face(), 1, 33).background, UNTOUCHED);
  EXPECT_EQ(read_cell(screen(), face(), 1, 34).background, slot(COLOUR_SLOT_BACKGROUND));

  const std::string wide(80, 'w');
  draw_text(2, TEXT_CENTRE, wide.c_str());
  EXPECT_EQ(row_text(2, 0, 80), wide);
}

TEST_F(TextOutputTest, NegativeColumnsDrawEveryLine) {
  draw_text(4, -3, "one\ntwo");
  EXPECT_EQ(row_text(4, 2, 3), "one");
  EXPECT_EQ(row_text(5, 2, 3), "two");
  EXPECT_EQ(read_cell(screen(), face(), 5, 1).background, UNTOUCHED);

  draw_text(8, -TEXT_CENTRE, "ab\nwxyz");
  EXPECT_EQ(row_text(8, 38, 2), "ab");
  EXPECT_EQ(row_text(9, 37, 4), "wxyz");
  EXPECT_EQ(read_cell(screen(), face(), 9, 36).background, UNTOUCHED);
}

TEST_F(TextOutputTest, NegativeRowIsAPixelPosition) {
  draw_text(-100, 17, "pq\nr");
  const CellRead p = read_cell_at_pixel(screen(), face(), 17, 100);
  const CellRead q = read_cell_at_pixel(screen(), face(), 17 + face().cell_width, 100);
  EXPECT_EQ(p.glyph, 'p');
  EXPECT_EQ(q.glyph, 'q');
  EXPECT_EQ(p.background, slot(COLOUR_SLOT_BACKGROUND));
  // A column that is not negative draws one line only.
  EXPECT_EQ(read_cell_at_pixel(screen(), face(), 17, 100 + face().cell_height).background,
            UNTOUCHED);
}

TEST_F(TextOutputTest, ARunLongerThanTheRunBufferIsDrawnWhole) {
  open_screen(2400, 600);
  use_smallest_font();  // 6 x 10 cells: 400 to the row
  ASSERT_EQ(face().cell_width, 6);
  std::string text;
  for (int i = 0; i < 390; ++i) text.push_back(static_cast<char>('a' + i % 26));
  draw_text(1, 0, text.c_str());
  EXPECT_EQ(row_text(1, 0, 390), text);
  EXPECT_EQ(read_cell(screen(), face(), 1, 390).background, UNTOUCHED);

  // Longer than the screen: drawn up to the right edge, nothing beyond.
  const std::string longer(700, 'z');
  draw_text(3, 0, longer.c_str());
  EXPECT_EQ(row_text(3, 0, 400), std::string(400, 'z'));
  EXPECT_EQ(read_cell(screen(), face(), 4, 0).background, UNTOUCHED);
}

TEST_F(TextOutputTest, DimmedFieldHasNoBoxAndUsesTheThirdColour) {
  g_text.text_dim_count = 1;
  g_text.text_box_cells = 5;
  draw_text(3, 2, "\x0b" "F\x0c" "ab");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(read_cell(screen(), face(), 3, 2 + i).foreground, slot(R));
  EXPECT_EQ(row_text(3, 2, 3), "Fab");
  EXPECT_EQ(g_text.text_dim_count, 0);
  EXPECT_EQ(g_text.text_box_cells, 0);
  // Where the box's left edge would be, the strip is cleared instead.
  const int x = 2 * face().cell_width - 4;
  EXPECT_EQ(screen().pixels[3 * face().cell_height * screen().width + x],
            slot(COLOUR_SLOT_BACKGROUND));
}

TEST_F(TextOutputTest, FieldWidthFillsTheRestOfTheField) {
  g_text.text_field_width = 6;
  draw_text(1, 0, "ab");
  g_text.text_field_width = 0;
  EXPECT_EQ(row_text(1, 0, 6), "ab    ");
  for (int i = 2; i < 6; ++i)
    EXPECT_EQ(read_cell(screen(), face(), 1, i).background, slot(COLOUR_SLOT_BACKGROUND));
  EXPECT_EQ(read_cell(screen(), face(), 1, 6).background, UNTOUCHED);
}

TEST_F(TextOutputTest, TransparentTextKeepsTheBackground) {
  fill_cells(1, 0, 1, 3, 165);
  draw_text_transparent(1, 0, "ab");
  const CellRead a = read_cell(screen(), face(), 1, 0);
  EXPECT_EQ(a.glyph, 'a');
  EXPECT_EQ(a.background, palette_pixel(165));
  EXPECT_EQ(g_text.opaque_text, 1);
}

TEST_F(TextOutputTest, TinyTextNeverStartsAtPixelRowZero) {
  draw_tiny_text(0, 2, "ab");
  const FontFace& tiny = *interface_face(g_display.presets[FACE_ROLE_TINY].face_index);
  const CellRead a = read_cell_at_pixel(screen(), tiny, 2 * face().cell_width, 3);
  EXPECT_EQ(a.glyph, 'a');
  EXPECT_EQ(g_display.current.cell_width, 8);  // the metrics are back
}

TEST_F(TextOutputTest, StatusTextIsOnADarkerBackground) {
  draw_status_text(1, 0, "ok");
  const FontFace& tiny = *interface_face(g_display.presets[FACE_ROLE_TINY].face_index);
  const int y = face().cell_height + face().cell_height / 3 + 1;
  const CellRead o = read_cell_at_pixel(screen(), tiny, 0, y);
  EXPECT_EQ(o.glyph, 'o');
  EXPECT_EQ(o.background, palette_pixel(PALETTE_STATUS_BACKGROUND));
  EXPECT_NE(o.background, slot(COLOUR_SLOT_BACKGROUND));
  EXPECT_EQ(g_attributes.scheme[COLOUR_SLOT_BACKGROUND], 1);
}

TEST_F(TextOutputTest, TextHidesAPointerDrawnNearItsRow) {
  g_pointer.released = false;
  g_pointer.wanted_x = 100;
  g_pointer.wanted_y = 5 * 14 + 40;
  show_pointer();
  draw_text(0, 0, "far");
  EXPECT_TRUE(g_pointer.drawn);
  draw_text(5, 0, "near");
  EXPECT_FALSE(g_pointer.drawn);
}

// ---- Cell fills ---------------------------------------------------------------------------------

TEST_F(TextOutputTest, RowSpanTwiceRestoresTheCells) {
  draw_text(2, 0, "\x0b" "abc\x13" "def");
  const std::vector<uint32_t> before = screen().pixels;
  fill_row_span(2, 1, 4, 164);
  EXPECT_NE(screen().pixels, before);
  fill_row_span(2, 1, 4, 164);
  EXPECT_EQ(screen().pixels, before);
  blank_row_span(2, 0, 2);
  const CellRead inverted = read_cell(screen(), face(), 2, 0);
  EXPECT_EQ(inverted.background, slot(COLOUR_SLOT_BACKGROUND) ^ 0xFFFFFF);
}

TEST_F(TextOutputTest, FillCellsReachesOnePixelAroundTheCells) {
  fill_cells(2, 3, 2, 4, 0);
  const int cw = face().cell_width;
  const int ch = face().cell_height;
  const uint32_t bg = slot(COLOUR_SLOT_BACKGROUND);
  auto at = [&](int x, int y) { return screen().pixels[y * screen().width + x]; };
  EXPECT_EQ(at(3 * cw - 1, 2 * ch - 1), bg);
  EXPECT_EQ(at(5 * cw, 3 * ch), bg);
  EXPECT_EQ(at(3 * cw - 2, 2 * ch), UNTOUCHED);
  EXPECT_EQ(at(5 * cw + 1, 3 * ch), UNTOUCHED);
  EXPECT_EQ(at(5 * cw, 3 * ch + 1), UNTOUCHED);
}

TEST_F(TextOutputTest, ClearScreenFillsWithPaletteColourOne) {
  draw_text(0, 0, "x");
  clear_screen();
  for (uint32_t p : screen().pixels) ASSERT_EQ(p, palette_pixel(1));
}

// ---- Window lines -------------------------------------------------------------------------------

class WindowLineTest : public TextOutputTest {
 protected:
  void SetUp() override {
    TextOutputTest::SetUp();
    window_.left_column = 2;
    window_.columns = 20;
    window_.wrap_width = 20;
  }
  TextLine* add(const char* text) {
    TextLine* line = append_line(text);
    renumber_lines();
    return line;
  }
  void TearDown() override {
    free_current_list();
    TextOutputTest::TearDown();
  }
};

TEST_F(WindowLineTest, TabFillsToTheNextTabStop) {
  struct Case {
    bool marks;
    const char* cells;
  };
  const Case cases[] = {{false, "    X"}, {true, "   \x09X"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.marks);
    g_text_wrap.tab_width = 4;
    window_.flags = 0x80000000 | (c.marks ? WINDOW_SHOW_TAB_MARKS : 0);
    draw_window_line(1, add("\tX"));
    EXPECT_EQ(row_text(1, 2, 5), c.cells);
    EXPECT_EQ(read_cell(screen(), face(), 1, 6).foreground, slot(T));
  }
}

TEST_F(WindowLineTest, RestOfTheWindowIsCleared) {
  fill_cells(1, 0, 1, 30, 165);
  draw_window_line(1, add("ab"));
  EXPECT_EQ(row_text(1, 2, 3), "ab ");
  for (int c = 2; c < 22; ++c)
    EXPECT_EQ(read_cell(screen(), face(), 1, c).background, slot(COLOUR_SLOT_BACKGROUND)) << c;
  EXPECT_EQ(read_cell(screen(), face(), 1, 22).background, palette_pixel(165));
}

TEST_F(WindowLineTest, MarkedBlockIsRedUnlessKept) {
  struct Case {
    const char* text;
    uint8_t kept;
    int from_cell;  // cells of the block on the screen, counted from the window's left
    int to_cell;
  };
  // Columns 2..4 of the text; a colour code before them takes no cell.
  const Case cases[] = {
      {"abcdef", 0, 2, 4},
      {"abcdef", 1, 2, 4},
      {"\x0b" "abcdef", 0, 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    g_run.block_kept = c.kept;
    TextLine* line = add(c.text);
    g_lists.block_start = g_lists.block_end = line;
    window_.block_start_column = 2;
    window_.block_end_column = 4;
    draw_window_line(3, line);
    const uint32_t block = c.kept ? slot(COLOUR_SLOT_SELECTION) : palette_pixel(PALETTE_RED);
    for (int i = 0; i < 6; ++i) {
      const bool inside = i >= c.from_cell && i < c.to_cell;
      EXPECT_EQ(read_cell(screen(), face(), 3, 2 + i).background,
                inside ? block : slot(COLOUR_SLOT_BACKGROUND))
          << "cell " << i;
    }
  }
}

TEST_F(WindowLineTest, ColourCarriesIntoTheNextLineOnlyWhereAsked) {
  struct Case {
    uint32_t flags;
    int slot;
  };
  const Case cases[] = {{0, T}, {WINDOW_TEXT_LIST, H}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    window_.flags = 0x80000000 | c.flags;
    TextLine* first = add("a\x0b" "b");
    TextLine* second = add("c");
    TextLine* other = add("d");
    draw_window_line(1, first);
    draw_window_line(2, second);
    EXPECT_EQ(read_cell(screen(), face(), 2, 2).foreground, slot(c.slot));
    // After a line that is not its predecessor, a line starts with fresh colours.
    draw_window_line(1, first);
    draw_window_line(2, other);
    draw_window_line(3, second);
    EXPECT_EQ(read_cell(screen(), face(), 3, 2).foreground, slot(T));
  }
}

TEST_F(WindowLineTest, ShownSpacesAndLineEnds) {
  window_.flags |= WINDOW_SHOW_SPACES | WINDOW_SHOW_LINE_ENDS;
  draw_window_line(1, add("a b\n"));
  EXPECT_EQ(row_text(1, 2, 4), "a\xb7" "b\xb6");
  EXPECT_EQ(read_cell(screen(), face(), 1, 3).foreground, slot(R));
  EXPECT_EQ(read_cell(screen(), face(), 1, 5).foreground, slot(R));
}

TEST_F(WindowLineTest, CentredLineAndHorizontalScroll) {
  draw_window_line(1, add("\x1d" "abcd"));
  // (min(20 + 2, 20) - 4) / 2 - 1 = 7 blank cells before the text.
  EXPECT_EQ(row_text(1, 2, 12), "       abcd ");

  window_.horizontal_scroll = 2;
  draw_window_line(2, add("abcdef"));
  EXPECT_EQ(row_text(2, 2, 5), "cdef ");
}

TEST_F(WindowLineTest, TextListShowsItsOwnMarks) {
  window_.flags |= WINDOW_TEXT_LIST;
  draw_window_line(1, add("\x01p\x08" "<x"));
  const CellRead escape = read_cell(screen(), face(), 1, 2);
  EXPECT_EQ(escape.glyph, 29);
  EXPECT_EQ(escape.foreground, slot(H));
  EXPECT_EQ(read_cell(screen(), face(), 1, 3).glyph, 4);  // glyph 27 shown as 4
  EXPECT_EQ(read_cell(screen(), face(), 1, 4).glyph, 'x');
}

}  // namespace
