#include <cstring>
#include <string>
#include <vector>

#include "store/file_reader.h"
#include "tests/ui/window_fixture.h"
#include "ui/dialog_form.h"
#include "ui/load_lists.h"
#include "ui/text_window.h"

namespace {

using TextWindowTest = WindowTest;

std::vector<std::string> texts_of(TextLine* first) {
  std::vector<std::string> texts;
  for (TextLine* line = first; line != nullptr; line = line->next) texts.push_back(line->text);
  return texts;
}

// ---- Creating ---------------------------------------------------------------------------------

TEST_F(TextWindowTest, CreateTakesTheCurrentListWithoutActivating) {
  clear_current_list();
  TextLine* a = append_line("a");
  TextLine* b = append_line("b");
  TextLine* node = create_window(nullptr, {
      .top_row = 2, .left_column = 3, .bottom_row = 10, .right_column = 40, .flags = 0x11,
      .line_drawer = draw_window_line, .legend = "XY", .wrap_width = 125, .title = "Title",
  });
  ASSERT_NE(node, nullptr);
  windows_.push_back(node);
  TextWindow* w = window_of(node);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->first_line, a);
  EXPECT_EQ(w->current_line, a);
  EXPECT_EQ(w->last_line, b);
  // The current list is still the lines, not the window list.
  EXPECT_EQ(g_lists.current.first, a);
  EXPECT_EQ(g_lists.current.last, b);
  EXPECT_TRUE(node->text.empty());
  EXPECT_EQ(node->prev, nullptr);
  EXPECT_EQ(node->next, nullptr);
  EXPECT_EQ(w->flags, 0x80000011u);
  EXPECT_EQ(w->goal_column, -1);
  EXPECT_STREQ(w->title, "Title");
  EXPECT_STREQ(w->legend, "XY");
  EXPECT_EQ(w->wrap_width, 125);
  EXPECT_EQ(g_windows.active, nullptr);
  clear_current_list();
}

TEST_F(TextWindowTest, CreateAppendsToTheWindowListOfTheGivenNode) {
  TextLine* first = make_window({"x"}, 1, 1, 5, 20);
  TextLine* second = make_window({"y"}, 1, 1, 5, 20, 0, nullptr, first);
  EXPECT_EQ(first->next, second);
  EXPECT_EQ(second->prev, first);
  EXPECT_EQ(list_contains(first, second), 1);
  TextLine* other = make_window({"z"}, 1, 1, 5, 20);
  EXPECT_EQ(list_contains(other, first), 0);
}

TEST_F(TextWindowTest, CreateMendsRectanglesGivenUpsideDownOrOffTheScreen) {
  struct Case {
    int top, left, bottom, right;
    int want_top, want_left, want_bottom, want_right;
  };
  const Case cases[] = {
      {30, 2, 10, 40, 1, 2, 20, 40},   // rows upside down: rows 1 to 20
      {5, 60, 10, 40, 5, 1, 10, 50},   // columns upside down: columns 1 to 50
      {-3, -2, 10, 40, 0, 0, 10, 40},  // negative top and left become 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.top << "," << c.left << "," << c.bottom << ","
                                    << c.right);
    const TextWindow* w = window_of(make_window({"x"}, c.top, c.left, c.bottom, c.right));
    EXPECT_EQ(w->top_row, c.want_top);
    EXPECT_EQ(w->left_column, c.want_left);
    EXPECT_EQ(w->bottom_row, c.want_bottom);
    EXPECT_EQ(w->right_column, c.want_right);
    EXPECT_EQ(w->rows, c.want_bottom - c.want_top + 1);
    EXPECT_EQ(w->columns, c.want_right - c.want_left + 1);
  }
}

TEST_F(TextWindowTest, FontModeComesFromTheFlagsAndOptions) {
  struct Case {
    uint32_t flags;
    uint16_t options;
    uint8_t mode;
  };
  const Case cases[] = {
      {0, 0, FONT_MODE_NORMAL},       {WINDOW_MEDIUM_FONT, 0, FONT_MODE_MEDIUM},
      {0, 0x100, FONT_MODE_MEDIUM},   {0, 0x800, FONT_MODE_SMALL},
      {0, 0x1000, FONT_MODE_SMALLEST}, {0, 0x900, FONT_MODE_MEDIUM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.flags << " " << c.options);
    TextLine* node = make_window({"x"}, 1, 1, 5, 20, c.flags, nullptr, nullptr, c.options);
    EXPECT_EQ(window_of(node)->font_mode, c.mode);
  }
}

TEST_F(TextWindowTest, LongTitleIsCutToTheRecord) {
  const std::string title(400, 'T');
  clear_current_list();
  TextLine* node = create_window(nullptr, {
      .top_row = 1, .left_column = 1, .bottom_row = 5, .right_column = 20, .title = title.c_str(),
  });
  windows_.push_back(node);
  EXPECT_EQ(std::strlen(window_of(node)->title), static_cast<size_t>(WINDOW_TITLE_SIZE - 1));
}

TEST_F(TextWindowTest, WindowWithFileStartsWithAClosedEditorRecord) {
  g_buffers.current_folder = "/jobs/";
  g_buffers.current_extension = ".NC";
  clear_current_list();
  TextLine* node = create_window(nullptr, {
      .top_row = 1, .left_column = 1, .bottom_row = 5, .right_column = 20, .with_file = true,
      .title = "",
  });
  windows_.push_back(node);
  const FileRecord* file = window_of(node)->file;
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->descriptor, FILE_NOT_OPEN);
  EXPECT_EQ(file->buffer_size, FILE_BUFFER_EDITOR);
  EXPECT_EQ(file->folder, "/jobs/");
  EXPECT_EQ(file->extension, ".NC");
}

// ---- Activating and storing -------------------------------------------------------------------

TEST_F(TextWindowTest, EmptyWindowGetsALineOnlyWhenItsFlagAsks) {
  TextLine* plain = make_window({}, 1, 1, 5, 20);
  EXPECT_EQ(window_of(plain)->first_line, nullptr);
  activate_window(plain);
  EXPECT_EQ(g_lists.cursor_line, nullptr);
  EXPECT_EQ(g_lists.current.first, nullptr);

  TextLine* editor = make_window({}, 1, 1, 5, 20, WINDOW_SHOW_CONTROL_CODES);
  activate_window(editor);
  ASSERT_NE(g_lists.cursor_line, nullptr);
  EXPECT_TRUE(g_lists.cursor_line->text.empty());
  EXPECT_EQ(g_lists.current.first, g_lists.cursor_line);
  store_window_state();
  EXPECT_EQ(window_of(editor)->first_line, g_lists.cursor_line);
  EXPECT_EQ(window_of(editor)->current_line, g_lists.cursor_line);
}

TEST_F(TextWindowTest, ActivationLoadsTheWindowState) {
  TextLine* node = make_window({"a", "b", "c"}, 2, 1, 8, 30, WINDOW_TEXT_LIST, nullptr, nullptr,
                               40);
  TextWindow* w = window_of(node);
  w->current_line = line_at(node, 2);
  w->block_start = line_at(node, 0);
  w->block_end = line_at(node, 1);
  w->remembered_area = 10;
  activate_window(node);
  EXPECT_EQ(g_windows.active_node, node);
  EXPECT_EQ(g_windows.active, w);
  EXPECT_NE(node->state & LINE_STATE_ACTIVATED, 0);
  EXPECT_EQ(g_lists.cursor_line, line_at(node, 2));
  EXPECT_EQ(g_lists.block_start, line_at(node, 0));
  EXPECT_EQ(g_lists.block_end, line_at(node, 1));
  EXPECT_STREQ(g_windows.legend, "");
  EXPECT_EQ(g_attributes.scheme[COLOUR_SLOT_TEXT], 40);
  EXPECT_EQ(w->remembered_area, AREA_NONE);
  // The editor-style window marks its first line as a paragraph start.
  EXPECT_NE(line_at(node, 0)->kind & LINE_KIND_PARAGRAPH, 0);
  EXPECT_EQ(w->pixel_top, 2 * g_display.current.cell_height);
  EXPECT_EQ(w->pixel_right, 30 * g_display.current.cell_width);
}

TEST_F(TextWindowTest, ActivationTakesTheMetricsOfTheFontMode) {
  const auto presets = g_display.presets;
  struct Case {
    uint16_t options;
    bool drop_medium_face;
    int role;
  };
  const Case cases[] = {
      {0, false, FACE_ROLE_NORMAL},
      {0x100, false, FACE_ROLE_MENU},
      {0x100, true, FACE_ROLE_NORMAL},  // a missing medium face gives the normal metrics
      {0x800, false, FACE_ROLE_SMALL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.options << " " << c.drop_medium_face);
    g_display.presets = presets;
    if (c.drop_medium_face) g_display.presets[FACE_ROLE_MENU].face_index = -1;
    activate_window(make_window({"x"}, 1, 1, 5, 20, 0, nullptr, nullptr, c.options));
    EXPECT_EQ(g_display.current.cell_width, presets[c.role].cell_width);
    EXPECT_EQ(g_display.current.cell_height, presets[c.role].cell_height);
  }
  // The smallest face fills the screen with its own cells.
  g_display.presets = presets;
  activate_window(make_window({"x"}, 1, 1, 5, 20, 0, nullptr, nullptr, 0x1000));
  const CellMetrics& tiny = presets[FACE_ROLE_TINY];
  EXPECT_EQ(g_display.current.cell_height, tiny.cell_height);
  EXPECT_EQ(g_display.current.last_row, g_display.screen_height / tiny.cell_height);
  EXPECT_EQ(g_display.current.last_column, g_display.screen_width / tiny.cell_width);
}

TEST_F(TextWindowTest, WindowOffTheRightEdgeMovesBackOnActivation) {
  const int columns = g_display.presets[FACE_ROLE_NORMAL].last_column;
  TextLine* node = make_window({"x"}, 1, columns + 5, 5, columns + 15);
  activate_window(node);
  const TextWindow* w = window_of(node);
  EXPECT_EQ(w->right_column, columns - 2);
  EXPECT_EQ(w->columns, 11);
}

TEST_F(TextWindowTest, PushStoresAndPopActivatesWithoutStoring) {
  TextLine* a = make_window({"a0", "a1"}, 1, 1, 5, 20);
  TextLine* b = make_window({"b0", "b1"}, 1, 1, 5, 20);
  activate_window(a);
  g_lists.cursor_line = line_at(a, 1);
  push_active_window();
  EXPECT_EQ(window_of(a)->current_line, line_at(a, 1));
  activate_window(b);
  g_lists.cursor_line = line_at(b, 1);
  pop_active_window();
  EXPECT_EQ(g_windows.active_node, a);
  EXPECT_EQ(g_lists.cursor_line, line_at(a, 1));
  EXPECT_EQ(window_of(b)->current_line, line_at(b, 0));  // b's move was not stored
  pop_active_window();  // an empty stack does nothing
  EXPECT_EQ(g_windows.active_node, a);
}

TEST_F(TextWindowTest, StackKeepsEveryPushBeyondFifteen) {
  TextLine* a = make_window({"a"}, 1, 1, 5, 20);
  TextLine* b = make_window({"b"}, 1, 1, 5, 20);
  std::vector<TextLine*> pushed;
  for (int i = 0; i < 20; ++i) {
    TextLine* node = i % 2 ? b : a;
    activate_window(node);
    push_active_window();
    pushed.push_back(node);
  }
  for (int i = 19; i >= 0; --i) {
    pop_active_window();
    ASSERT_EQ(g_windows.active_node, pushed[i]) << "pop " << i;
  }
}

// ---- Drawing ---------------------------------------------------------------------------------

TEST_F(TextWindowTest, FullRedrawDrawsTheLinesAndClearsTheRowsBelow) {
  draw_text(5, 1, "leftover");
  TextLine* node = make_window({"alpha", "beta"}, 3, 1, 6, 20);
  activate_window(node);
  request_full_redraw();
  redraw_window_lines();
  EXPECT_EQ(row_text(3, 1, 5), "alpha");
  EXPECT_EQ(row_text(4, 1, 4), "beta");
  for (int row = 5; row <= 6; ++row) {
    const CellRead cell = read_cell(screen(), face(), row, 2);
    ASSERT_TRUE(cell.matched) << row;
    EXPECT_EQ(cell.glyph, ' ') << row;
    EXPECT_EQ(cell.background, slot_pixel(COLOUR_SLOT_BACKGROUND)) << row;
  }
  EXPECT_EQ(g_windows.full_redraw_count, 0);
  EXPECT_EQ(window_of(node)->flags & WINDOW_FULL_REDRAW, 0u);
}

TEST_F(TextWindowTest, PlainRedrawDrawsOnlyFlaggedLines) {
  TextLine* node = make_window({"alpha", "beta"}, 3, 1, 6, 20);
  activate_window(node);
  request_full_redraw();
  redraw_window_lines();
  TextLine* beta = line_at(node, 1);
  set_line_text("gamma", beta);
  redraw_window_lines();
  EXPECT_EQ(row_text(4, 1, 5), "beta ");
  beta->state |= LINE_STATE_REDRAW;
  redraw_window_lines();
  EXPECT_EQ(row_text(4, 1, 5), "gamma");
  EXPECT_EQ(beta->state & LINE_STATE_REDRAW, 0);
}

TEST_F(TextWindowTest, RedrawPlacesTheCursorLineOnItsRow) {
  struct Case {
    int cursor_line;
    int cursor_row;
    const char* top_text;
  };
  const Case cases[] = {
      {2, 2, "l0"},  // two lines above the cursor: the list starts on the top row
      {2, 0, "l2"},  // the cursor line on the top row
      {1, 3, "l0"},  // fewer lines above than the row: the list begins sooner
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cursor_line << " at " << c.cursor_row);
    TextLine* node = make_window({"l0", "l1", "l2", "l3"}, 3, 1, 8, 20);
    window_of(node)->current_line = line_at(node, c.cursor_line);
    window_of(node)->cursor_row = static_cast<int16_t>(c.cursor_row);
    activate_window(node);
    request_full_redraw();
    redraw_window_lines();
    EXPECT_EQ(row_text(3, 1, 2), c.top_text);
  }
}

TEST_F(TextWindowTest, HiddenCursorLineGivesWayToItsNeighbour) {
  TextLine* node = make_window({"l0", "l1", "l2"}, 3, 1, 8, 20);
  line_at(node, 1)->kind |= LINE_KIND_HIDDEN;
  window_of(node)->current_line = line_at(node, 1);
  activate_window(node);
  request_full_redraw();
  redraw_window_lines();
  EXPECT_EQ(g_lists.cursor_line, line_at(node, 2));
  EXPECT_EQ(row_text(3, 1, 2), "l2");
}

TEST_F(TextWindowTest, StatusLineGoesTwoMediumRowsAboveTheBottom) {
  activate_window(make_window({"x"}, 1, 1, 5, 20, 0, nullptr, nullptr, 10));
  set_colour_base(30);
  show_status_line("Ready");
  const CellMetrics medium = g_display.presets[FACE_ROLE_MENU];
  const FontFace& medium_face = *interface_face(medium.face_index);
  EXPECT_EQ(cell_row_text(screen(), medium_face, medium.last_row - 1, 0, 5), "Ready");
  EXPECT_EQ(read_cell(screen(), medium_face, medium.last_row - 1, 0).foreground,
            palette_pixel(10));  // the window's colour base, not the current one
  EXPECT_EQ(g_attributes.colour_base, 30);
  EXPECT_EQ(g_display.current.cell_width, g_display.presets[FACE_ROLE_NORMAL].cell_width);
  EXPECT_TRUE(g_windows.status_line_used);
}

TEST_F(TextWindowTest, BlockEndDisplayColumnSkipsCodeBytes) {
  struct Case {
    const char* text;
    int end_column;
    int display_column;
  };
  const Case cases[] = {
      {"abcdef", 3, 4},
      {"ab\x0b" "cd", 5, 5},      // a colour code takes no column
      {"a\x08" "Bcd", 4, 4},      // a glyph pair is one column
      {"\x0b\x0c" "ab", 4, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TextLine* node = make_window({c.text}, 1, 1, 5, 20);
    window_of(node)->block_start = window_of(node)->block_end = line_at(node, 0);
    window_of(node)->block_end_column = static_cast<int16_t>(c.end_column);
    activate_window(node);
    EXPECT_EQ(block_end_display_column(), c.display_column);
  }
}

int g_field_handler_calls = 0;
EventCode count_field_handler() {
  ++g_field_handler_calls;
  return 0;
}

TEST_F(TextWindowTest, WindowBelowIsRedrawnAndTheActiveOneStays) {
  for (bool dialog : {false, true}) {
    SCOPED_TRACE(dialog);
    fill_cells(0, 0, 20, 60, 0);
    g_field_handler_calls = 0;
    TextLine* below = make_window({"under"}, 3, 1, 6, 20, 0, count_field_handler);
    if (dialog) window_of(below)->line_drawer = no_line_hook;
    TextLine* top = make_window({"over"}, 10, 1, 12, 20);
    activate_window(below);
    push_active_window();
    activate_window(top);
    redraw_window_below();
    EXPECT_EQ(row_text(3, 1, 5), "under");
    EXPECT_EQ(g_windows.active_node, top);
    EXPECT_EQ(g_windows.stack.size(), 1u);
    // A dialog form's field handler draws its fields again once.
    EXPECT_EQ(g_field_handler_calls, dialog ? 1 : 0);
    pop_active_window();
  }
}

// ---- Scroll keys and geometry -------------------------------------------------------------------

TEST_F(TextWindowTest, ScrollKeysFollowTheWindowKind) {
  struct Case {
    uint32_t flags;
    int rows;
    int extra;
    EventCode up, down;
    int step;
  };
  const Case cases[] = {
      {WINDOW_PAGE_SCROLL, 10, 0, KEY_PGUP, KEY_PGDN, 2},
      {WINDOW_TEXT_LIST, 10, 0, KEY_CTRL_UP, KEY_CTRL_DOWN, 1},
      {0, 20, 0, KEY_UP, KEY_DOWN, 1},
      {0, 21, 0, KEY_UP, KEY_DOWN, 1},  // step 0 becomes 1
      {0, 21, 3, KEY_UP, KEY_DOWN, 3},
      {0, 20, 3, KEY_UP, KEY_DOWN, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.flags << std::dec << " rows " << c.rows
                                    << " extra " << c.extra);
    g_interface.extra_scroll = static_cast<uint8_t>(c.extra);
    activate_window(make_window({"x"}, 1, 1, c.rows, 20, c.flags));
    EXPECT_EQ(g_pointer.scroll_up_key, c.up);
    EXPECT_EQ(g_pointer.scroll_down_key, c.down);
    EXPECT_EQ(g_windows.scroll_step, c.step);
  }
}

TEST_F(TextWindowTest, RememberedScrollKeyKeepsItsDirection) {
  g_pointer.pending_scroll_code = KEY_PGUP;
  activate_window(make_window({"x"}, 1, 1, 10, 20, WINDOW_TEXT_LIST));
  EXPECT_EQ(g_pointer.pending_scroll_code, KEY_CTRL_UP);
  g_pointer.pending_scroll_code = KEY_PGDN;
  activate_window(make_window({"x"}, 1, 1, 10, 20, 0));
  EXPECT_EQ(g_pointer.pending_scroll_code, KEY_DOWN);
  g_pointer.pending_scroll_code = 0;
  activate_window(make_window({"x"}, 1, 1, 10, 20, 0));
  EXPECT_EQ(g_pointer.pending_scroll_code, 0);  // no key remembered: none made up
}

TEST_F(TextWindowTest, PlaceWindowKeepsItsSizeOnTheScreen) {
  const CellMetrics m = g_display.presets[FACE_ROLE_NORMAL];
  struct Case {
    int row, column;
    int top, left;
  };
  const Case cases[] = {
      {0, 0, 1, 2},                                          // pushed down and right
      {-5, 10, 4, 10},                                       // top row -row - 1 at the column
      {15, 40, 10, 30},                                      // centred
      {500, 500, m.last_row - 1 - 9, m.last_column - 2 - 19},  // pushed up and left
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.row << "," << c.column);
    TextWindow* w = window_of(make_window({"x"}, 1, 1, 10, 20));
    place_window(w, c.row, c.column);
    EXPECT_EQ(w->top_row, c.top);
    EXPECT_EQ(w->left_column, c.left);
    EXPECT_EQ(w->rows, 10);
    EXPECT_EQ(w->columns, 20);
  }
}

TEST_F(TextWindowTest, MediumFontConversionsRoundUp) {
  // Normal cells 8 x 14, medium cells 6 x 12 on this screen.
  ASSERT_EQ(g_display.presets[FACE_ROLE_NORMAL].cell_width, 8);
  ASSERT_EQ(g_display.presets[FACE_ROLE_MENU].cell_width, 6);
  EXPECT_EQ(cols_from_medium_font(100), 75);
  EXPECT_EQ(cols_from_medium_font(101), 76);
  EXPECT_EQ(cols_to_medium_font(75), 100);
  EXPECT_EQ(rows_from_medium_font(10), 9);
  EXPECT_EQ(rows_to_medium_font(9), 11);
}

TEST_F(TextWindowTest, FitWindowRowsSizesToTheLines) {
  const int last_row = g_display.presets[FACE_ROLE_NORMAL].last_row;
  struct Case {
    int lines, centre, most, least;
    int top, rows;
  };
  const Case cases[] = {
      {5, 10, 20, 3, 8, 5},
      {1, 10, 20, 3, 9, 3},                 // fewer lines than the least
      {40, 10, 40, 3, 0, last_row - 1},     // too many: top row 0, bottom last row - 2
      {6, last_row - 3, 20, 3, last_row - 7, 6},  // moved up off the bottom rows
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lines << " lines around " << c.centre);
    std::vector<std::string> texts(c.lines, "line");
    push_list();
    clear_current_list();
    for (const std::string& t : texts) append_line(t.c_str());
    TextLine* node = create_window(nullptr, {
        .top_row = 2, .left_column = 1, .bottom_row = 4, .right_column = 20, .title = "",
    });
    pop_list();
    windows_.push_back(node);
    TextWindow* w = window_of(node);
    EXPECT_EQ(fit_window_rows(w, c.centre, c.most, c.least), c.rows);
    EXPECT_EQ(w->top_row, c.top);
    EXPECT_LT(w->bottom_row, last_row - 1);
  }
}

TEST_F(TextWindowTest, SetWindowBoundsReplacesPositiveValues) {
  TextLine* node = make_window({"x"}, 2, 3, 20, 40);
  TextWindow* w = window_of(node);
  w->cursor_row = 15;
  set_window_bounds(node, 10, 0, 50);
  EXPECT_EQ(w->bottom_row, 10);
  EXPECT_EQ(w->left_column, 3);
  EXPECT_EQ(w->right_column, 50);
  EXPECT_EQ(w->rows, 9);
  EXPECT_EQ(w->columns, 48);
  EXPECT_EQ(w->cursor_row, 6);  // brought back inside
}

// ---- Window lists and destroying -------------------------------------------------------------

TEST_F(TextWindowTest, NextWindowWalksShownWindowsAndWraps) {
  TextLine* a = make_window({"a"}, 1, 1, 5, 20);
  TextLine* b = make_window({"b"}, 1, 1, 5, 20, 0, nullptr, a);
  TextLine* c = make_window({"c"}, 1, 1, 5, 20, 0, nullptr, a);
  TextLine* d = make_window({"d"}, 1, 1, 5, 20, 0, nullptr, a);
  activate_window(d);
  activate_window(b);
  EXPECT_EQ(next_window(0, true), c);
  EXPECT_EQ(next_window(0, false), a);
  EXPECT_EQ(next_window(1, true), d);  // activated before
  EXPECT_EQ(next_window(2, false), a);  // never activated, backward
  activate_window(d);
  EXPECT_EQ(next_window(0, true), a);  // wraps to the head
  for (TextLine* other : {a, b, c}) other->kind |= LINE_KIND_HIDDEN;
  EXPECT_EQ(next_window(0, true), nullptr);
  EXPECT_EQ(next_window(0, false), nullptr);
}

TEST_F(TextWindowTest, DestroyingTheActiveWindowLeavesNoneActive) {
  TextLine* a = make_window({"a"}, 1, 1, 5, 20);
  TextLine* b = make_window({"b0", "b1"}, 1, 1, 5, 20, 0, nullptr, a);
  activate_window(b);
  push_active_window();
  EXPECT_EQ(destroy(b), a);  // the previous window takes its place
  EXPECT_EQ(g_windows.active, nullptr);
  EXPECT_EQ(g_lists.current.first, nullptr);
  EXPECT_EQ(g_lists.cursor_line, nullptr);
  EXPECT_EQ(a->next, nullptr);
  // The stacked reference went with it: popping activates nothing freed.
  pop_active_window();
  EXPECT_EQ(g_windows.active, nullptr);
  EXPECT_EQ(destroy_window(nullptr), nullptr);
}

TEST_F(TextWindowTest, DestroyPrefersTheAlternateBufferOfTheSameList) {
  TextLine* a = make_window({"a"}, 1, 1, 5, 20);
  TextLine* b = make_window({"b"}, 1, 1, 5, 20, 0, nullptr, a);
  TextLine* c = make_window({"c"}, 1, 1, 5, 20, 0, nullptr, a);
  g_buffer_windows.alternate_buffer = c;
  g_buffers.buffer_list = a;
  EXPECT_EQ(destroy(a), c);
  EXPECT_EQ(g_buffer_windows.alternate_buffer, nullptr);
  EXPECT_EQ(g_buffers.buffer_list, c);
  EXPECT_EQ(b->prev, nullptr);
}

TEST_F(TextWindowTest, DestroyingTheLastShownBufferOpensANewOne) {
  TextLine* a = make_window({"a"}, 1, 1, 5, 20);
  TextLine* b = make_window({"b"}, 1, 1, 5, 20, 0, nullptr, a);
  TextLine* c = make_window({"c"}, 1, 1, 5, 20, 0, nullptr, a);
  b->kind |= LINE_KIND_HIDDEN;
  c->kind |= LINE_KIND_HIDDEN;
  g_buffers.buffer_list = a;
  activate_window(a);
  TextLine* fresh = destroy(a);
  ASSERT_NE(fresh, nullptr);
  windows_.push_back(fresh);
  EXPECT_NE(fresh, b);
  EXPECT_NE(fresh, c);
  EXPECT_EQ(g_windows.active_node, fresh);
  EXPECT_EQ(g_buffers.buffer_list, b);
  EXPECT_EQ(list_contains(fresh, b), 1);
  EXPECT_EQ(fresh->kind & LINE_KIND_HIDDEN, 0);
}

// ---- Cursor operations and histories ------------------------------------------------------------

TEST_F(TextWindowTest, CursorFollowsThePointerRow) {
  TextLine* node = make_window({"l0", "l1", "l2", "l3"}, 3, 1, 12, 20);
  activate_window(node);
  const int ch = g_display.current.cell_height;
  cursor_to_pointer_y((3 + 2) * ch + 1);
  EXPECT_EQ(g_lists.cursor_line, line_at(node, 2));
  EXPECT_EQ(window_of(node)->cursor_row, 2);
  cursor_to_pointer_y((3 + 9) * ch);  // below the last line
  EXPECT_EQ(g_lists.cursor_line, line_at(node, 3));
  EXPECT_EQ(window_of(node)->cursor_row, 3);
}

TEST_F(TextWindowTest, CursorGoesToTheBlockStart) {
  struct Case {
    int block_line, cursor_line, cursor_row;
    int want_row;
    bool full_redraw;
  };
  const Case cases[] = {
      {3, 5, 4, 2, false},  // the block starts two rows up, inside the window
      {1, 6, 2, 1, true},   // above the window: one line of context above it
      {0, 6, 2, 0, true},   // the first line: no context to show
      {7, 5, 4, 6, false},  // the start after the cursor (the cursor outside the block)
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.block_line << " from " << c.cursor_line);
    TextLine* node = make_window({"l0", "l1", "l2", "l3", "l4", "l5", "l6", "l7", "l8"}, 2, 1,
                                 9, 30);
    TextWindow* w = window_of(node);
    w->current_line = line_at(node, c.cursor_line);
    w->cursor_row = static_cast<int16_t>(c.cursor_row);
    w->block_start = line_at(node, c.block_line);
    w->block_end = line_at(node, 8);
    w->block_start_column = 1;
    w->horizontal_scroll = 4;
    activate_window(node);
    cursor_to_block_start();
    EXPECT_EQ(g_lists.cursor_line, line_at(node, c.block_line));
    EXPECT_EQ(w->cursor_row, c.want_row);
    EXPECT_EQ(w->text_column, 1);
    EXPECT_EQ(w->horizontal_scroll, 0);
    EXPECT_EQ(g_windows.full_redraw_count != 0, c.full_redraw);
  }
}

TEST_F(TextWindowTest, PlaceCursorRowShowsLinesAboveAndKeepsTheWindowFilled) {
  struct Case {
    int cursor_line, n, want_row;
  };
  // A window of 10 rows over 30 lines.
  const Case cases[] = {
      {15, 3, 3},
      {15, 0, 3},    // 0: half the window less two
      {15, 20, 8},   // at most rows - 2
      {2, 5, 2},     // the list starts sooner
      {28, 2, 8},    // near the end the window stays filled
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "line " << c.cursor_line << " n " << c.n);
    push_list();
    clear_current_list();
    for (int i = 0; i < 30; ++i) append_line("line");
    TextLine* node = create_window(nullptr, {
        .top_row = 1, .left_column = 1, .bottom_row = 10, .right_column = 20, .title = "",
    });
    pop_list();
    windows_.push_back(node);
    window_of(node)->current_line = line_at(node, c.cursor_line);
    activate_window(node);
    place_cursor_row(c.n);
    EXPECT_EQ(window_of(node)->cursor_row, c.want_row);
  }
}

int compare_text(TextLine* line, const char* key) { return line->text == key ? 0 : 1; }

TEST_F(TextWindowTest, FindAndShowLineCentresTheMatch) {
  std::vector<std::string> texts;
  push_list();
  clear_current_list();
  for (int i = 0; i < 30; ++i) append_line(("item" + std::to_string(i)).c_str());
  TextLine* node = create_window(nullptr, {
      .top_row = 1, .left_column = 1, .bottom_row = 10, .right_column = 20, .title = "",
  });
  pop_list();
  windows_.push_back(node);
  TextWindow* w = window_of(node);
  find_and_show_line(w, compare_text, "item12");
  EXPECT_EQ(w->current_line->text, "item12");
  EXPECT_EQ(w->cursor_row, 5);
  find_and_show_line(w, compare_text, "item29");  // the last line: the window stays filled
  EXPECT_EQ(w->cursor_row, 9);
  find_and_show_line(w, compare_text, "item1");
  EXPECT_EQ(w->cursor_row, 1);  // only one line above it
  find_and_show_line(w, compare_text, "missing");
  EXPECT_EQ(w->current_line, w->first_line);
  EXPECT_EQ(w->cursor_row, 0);
}

TEST_F(TextWindowTest, HistoryKeepsTheNewestFirstAndAtMostMost) {
  TextLine* node = make_window({"f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9"}, 1,
                               1, 12, 30);
  TextWindow* w = window_of(node);
  w->cursor_row = 3;
  add_history_entry("new", w, 10);
  std::vector<std::string> want = {"new", "f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8"};
  EXPECT_EQ(texts_of(w->first_line), want);
  EXPECT_EQ(w->current_line->text, "f2");  // the line at the old cursor row
  add_history_entry("f5", w, 10);          // an equal line moves to the front
  want = {"f5", "new", "f0", "f1", "f2", "f3", "f4", "f6", "f7", "f8"};
  EXPECT_EQ(texts_of(w->first_line), want);
  add_history_entry("", w, 10);
  EXPECT_EQ(texts_of(w->first_line), want);
  remove_history_entry("NEW", w);
  want = {"f5", "f0", "f1", "f2", "f3", "f4", "f6", "f7", "f8"};
  EXPECT_EQ(texts_of(w->first_line), want);
  EXPECT_EQ(w->cursor_row, 0);
  EXPECT_EQ(w->current_line, w->first_line);
}

TEST_F(TextWindowTest, HistoryComparesExactlyUnlessAskedToIgnoreCase) {
  struct Case {
    bool ignore_case;
    const char* added;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {false, "Report.NC", {"Report.NC", "a", "REPORT.nc", "b"}},  // another text: a new entry
      {false, "REPORT.nc", {"REPORT.nc", "a", "b"}},               // the same bytes move up
      {true, "Report.NC", {"REPORT.nc", "a", "b"}},                // the entry moves up as it is
      {true, "c", {"c", "a", "REPORT.nc", "b"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.added);
    TextLine* node = make_window({"a", "REPORT.nc", "b"}, 1, 1, 12, 30);
    TextWindow* w = window_of(node);
    if (c.ignore_case)
      add_history_entry_nocase(c.added, w, 10);
    else
      add_history_entry(c.added, w, 10);
    EXPECT_EQ(texts_of(w->first_line), c.want);
    // The next plain add compares exactly again.
    add_history_entry("A", w, 10);
    EXPECT_EQ(w->first_line->text, "A");
    EXPECT_EQ(find_line_by_text("a", w->first_line)->text, "a");
    destroy(node);
  }
}

TEST_F(TextWindowTest, FindLineNocaseStartsAtTheGivenLine) {
  TextLine* node = make_window({"Alpha", "beta", "ALPHA"}, 1, 1, 12, 30);
  TextLine* first = window_of(node)->first_line;
  EXPECT_EQ(find_line_nocase("alpha", first), first);
  EXPECT_EQ(find_line_nocase("alpha", first->next)->text, "ALPHA");
  EXPECT_EQ(find_line_nocase("alph", first), nullptr);  // whole texts only
  EXPECT_EQ(find_line_nocase(nullptr, first), nullptr);
  EXPECT_EQ(find_line_by_text("alpha", first), nullptr);
}

TEST_F(TextWindowTest, HistoryOfTheActiveWindowKeepsTheGlobalsInStep) {
  TextLine* node = make_window({"a", "b"}, 1, 1, 12, 30);
  activate_window(node);
  add_history_entry("c", window_of(node), 5);
  EXPECT_EQ(g_lists.current.first->text, "c");
  EXPECT_EQ(g_lists.current.first, window_of(node)->first_line);
  EXPECT_EQ(g_lists.cursor_line, window_of(node)->current_line);
}

}  // namespace
