// Dialog forms: building a form from its catalogue message (the layout code), the field-handler
// protocol (the first pass, what a handler's result asks of the run loop, a repaint while the
// form is open), the value display, and whole runs of the one-number forms driven through the
// event queue.
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "screen/main_form.h"
#include "store/message_ids.h"
#include "tests/support/idle_typist.h"
#include "tests/support/test_folder.h"
#include "tests/ui/form_fixture.h"
#include "ui/list_window.h"

namespace {

EventCode idle_handler() { return begin_field_handler() == 0 ? KEY_ESC : 0; }

// ---- Building: the layout code ------------------------------------------------------------------

struct LayoutCase {
  const char* name;
  std::string code;
  // Expected rectangle from the screen's last row R and last column C.
  int (*top)(int r, int n);
  int (*left)(int c);
  int width;
  uint32_t flags;
  uint32_t list_options;
  uint16_t font_option;
};

class FormLayoutTest : public FormTest {
 protected:
  // A catalogue of its own: one three-field form per case, numbered 900, 902, ...
  void write_catalogue(const std::vector<LayoutCase>& cases) {
    folder_ = make_test_folder("forms");
    std::string bytes;
    int number = 900;
    for (const LayoutCase& c : cases) {
      bytes += "~" + std::to_string(number) + "\r\nTitle\r\n" + c.code +
               "\r\nFirst:\r\nSecond:\r\nThird:\r\n";
      bytes += "~" + std::to_string(number + 1) + "\r\na\r\nb\r\nc\r\nd\r\ne\r\nf\r\n";
      number += 2;
    }
    write_file_bytes((folder_ / "forms.KR5").string(), bytes);
    reset_catalogue();
    set_program_folder_for_tests(folder_.string());
    g_catalogue.file_name = "forms.KR5";
    ASSERT_GT(open_catalogue(), 0);
  }
  void TearDown() override {
    FormTest::TearDown();
    if (!folder_.empty()) std::filesystem::remove_all(folder_);
  }
  std::filesystem::path folder_;
};

TEST_F(FormLayoutTest, TheLayoutCodePlacesSizesAndStylesTheForm) {
  const std::vector<LayoutCase> cases = {
      {"centred both ways", std::string("CC\x82i"), [](int r, int n) { return r / 2 - n / 2; },
       [](int c) { return (c - 30) / 2; }, 30, FORM_FLAGS_PLAIN, FORM_LIST_ROW_KEYS, 0},
      {"numbers; top 0 becomes 1", std::string("dd\x78i"), [](int, int) { return 1; },
       [](int) { return 0; }, 20, FORM_FLAGS_PLAIN, FORM_LIST_ROW_KEYS, 0},
      {"rows below the screen move up to end at R - 3", std::string("\xC8" "d\x6Ei"),
       [](int r, int n) { return r - n - 2; }, [](int) { return 0; }, 10, FORM_FLAGS_PLAIN,
       FORM_LIST_ROW_KEYS, 0},
      {"above 100: near the bottom", std::string("\xD0" "d\x6Ei"),
       [](int r, int n) { return r - 4 - n; }, [](int) { return 0; }, 10, FORM_FLAGS_PLAIN,
       FORM_LIST_ROW_KEYS, 0},
      {"another letter: at the right edge", std::string("CZ\x78i"),
       [](int r, int n) { return r / 2 - n / 2; }, [](int c) { return c - 20 - 2; }, 20,
       FORM_FLAGS_PLAIN, FORM_LIST_ROW_KEYS, 0},
      {"style n", std::string("CC\x82in"), [](int r, int n) { return r / 2 - n / 2; },
       [](int c) { return (c - 30) / 2; }, 30, 0x400011, 0xA008000, 0},
      {"style N, medium font, r skipped, keep the screen under it", std::string("dd\x82iNRrS"),
       [](int, int) { return 1; }, [](int) { return 0; }, 30, 0x400010 | 0x20, 0x8000000,
       WINDOW_OPTION_MEDIUM_FONT},
  };
  write_catalogue(cases);
  int number = 900;
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    const bool medium = c.font_option != 0;
    const CellMetrics& cells = g_display.presets[medium ? FACE_ROLE_MENU : FACE_ROLE_NORMAL];
    TextLine* node = build_dialog(number, idle_handler);
    number += 2;
    ASSERT_NE(node, nullptr);
    const TextWindow* w = window_of(node);
    EXPECT_EQ(w->top_row, c.top(cells.last_row, 3));
    EXPECT_EQ(w->bottom_row, w->top_row + 2);
    EXPECT_EQ(w->left_column, c.left(cells.last_column));
    EXPECT_EQ(w->right_column, w->left_column + c.width);
    EXPECT_EQ(w->flags & ~WINDOW_ALWAYS, c.flags);
    EXPECT_EQ(w->list_options, c.list_options);
    EXPECT_EQ(w->options & WINDOW_OPTION_MEDIUM_FONT, c.font_option);
    EXPECT_EQ(w->options & WINDOW_OPTION_COLOUR_MASK, 50);
    EXPECT_EQ(w->line_count, 3);
    // Each field carries its two help lines.
    const TextLine* second = w->first_line->next;
    EXPECT_STREQ(reinterpret_cast<const char*>(second->extra.data()), "c\nd");
    destroy_window(node);
  }
}

TEST_F(FormTest, AMissingFormBuildsAndShowsNothing) {
  EXPECT_EQ(build_dialog(31999, idle_handler), nullptr);
  EXPECT_EQ(run_dialog(31999, idle_handler), 0);
  EXPECT_EQ(g_windows.active, nullptr);
}

TEST_F(FormTest, OneShotSettingsPlaceTheNextFormOnly) {
  g_field.next_top_row = 5;
  g_field.next_left_column = 7;
  g_field.next_extra_lines = 2;
  TextLine* node = build_dialog(MSG_FORM_GO_TO_LINE, one_number_dialog_field);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(window_of(node)->top_row, 5);
  EXPECT_EQ(window_of(node)->left_column, 7);
  EXPECT_EQ(window_of(node)->line_count, FORM_GO_TO_LINE_FIELDS + 2);
  destroy_window(node);
  node = build_dialog(MSG_FORM_GO_TO_LINE, one_number_dialog_field);
  ASSERT_NE(node, nullptr);
  EXPECT_NE(window_of(node)->left_column, 7);
  EXPECT_EQ(window_of(node)->line_count, FORM_GO_TO_LINE_FIELDS);
  destroy_window(node);
}

// ---- Labels -------------------------------------------------------------------------------------

TEST(FormLabels, TheLabelWidthCountsVisibleCharactersToTheColonOrQuestionMark) {
  struct Case {
    const char* label;
    int width;
  };
  const Case cases[] = {
      {"Line number   :", 15},      // 14 letters and blanks, then the colon
      {"Use it anyway? yes", 14},
      {"\vG\x13roup: 5", 6},        // colour codes take no cell
      {"No colon here", 0},
      {"", 0},
      {"Two: colons:", 4},
  };
  for (const Case& c : cases) EXPECT_EQ(label_width(c.label), c.width) << c.label;
}

// ---- The handler protocol -----------------------------------------------------------------------

TEST_F(FormTest, EndFieldHandlerTellsTheRunLoopWhatNext) {
  ASSERT_NE(open_form(MSG_FORM_GO_TO_LINE, one_number_dialog_field), nullptr);
  struct Case {
    EventCode result;
    EventCode next;
  };
  const Case cases[] = {
      {FIELD_CANCELLED, 0},         {WINDOW_CANCEL, WINDOW_CANCEL},
      {KEY_ESC, KEY_ESC},           {EVENT_RIGHT_DOWN, KEY_ESC},
      {EVENT_QUIT, KEY_ESC},        {EVENT_POINTER_MOVE, EVENT_POINTER_MOVE},
      {WINDOW_DRAG_RIGHT, WINDOW_DRAG_RIGHT}, {WINDOW_ACCEPT, WINDOW_ACCEPT},
      {WINDOW_REDRAW, WINDOW_REDRAW}, {KEY_HOME, FORM_FIRST_FIELD},
      {KEY_CTRL_HOME, FORM_FIRST_FIELD}, {KEY_END, FORM_LAST_FIELD},
      {KEY_CTRL_END, FORM_LAST_FIELD}, {KEY_LEFT, 0},
      {KEY_RIGHT, 0},               {KEY_ENTER, 0},
      {FIELD_CHANGED, 0},           {KEY_INS, 0},
      {KEY_DEL, 0},                 {static_cast<EventCode>(-KEY_DEL), 0},
      {402, 0},                     {KEY_UP, KEY_UP},
      {static_cast<EventCode>(-KEY_DOWN), KEY_DOWN}, {KEY_PGDN, KEY_PGDN},
      {FORM_FIRST_PASS, FORM_FIRST_PASS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    EXPECT_EQ(end_field_handler(c.result), c.next);
  }
  // The first pass counts as a move up for the help line; a cancel forgets the ending event.
  end_field_handler(FORM_FIRST_PASS);
  EXPECT_EQ(g_field.last_ending_event, KEY_UP);
  end_field_handler(KEY_ESC);
  EXPECT_EQ(g_field.last_ending_event, 0);
}

TEST_F(FormTest, AClickOnAnotherRowBecomesArrowKeysTowardIt) {
  ASSERT_NE(open_form(MSG_FORM_GO_TO_LINE, one_number_dialog_field), nullptr);
  const TextWindow* w = g_windows.active;
  g_pointer.wanted_y = (w->top_row + 1) * g_display.current.cell_height + 2;
  EXPECT_EQ(end_field_handler(EVENT_LEFT_DOWN), KEY_DOWN);
  g_pointer.wanted_y = w->top_row * g_display.current.cell_height + 2;
  EXPECT_EQ(end_field_handler(EVENT_LEFT_DOWN), 0);
}

TEST_F(FormTest, TheFirstPassDrawsEveryFieldAndAnUnchangedFieldRedrawsNothing) {
  ASSERT_NE(open_form(MSG_FORM_GO_TO_LINE, one_number_dialog_field), nullptr);
  g_dialog_number = 42;
  EXPECT_EQ(one_number_dialog_field(), FORM_FIRST_PASS);
  EXPECT_EQ(value_text(1, 2), "42");
  // Wipe the value, then leave the number field with Up without changing it: nothing is drawn.
  const TextWindow* w = g_windows.active;
  fill_cells(w->top_row + 1, g_field.value_column, w->top_row + 1, g_field.value_column + 3, 0);
  const std::string wiped = value_text(1, 2);
  cursor_to_field(1);
  push_input_code(KEY_UP);
  EXPECT_EQ(one_number_dialog_field(), KEY_UP);
  EXPECT_EQ(value_text(1, 2), wiped);
  EXPECT_EQ(g_dialog_number, 42);
}

TEST_F(FormTest, FieldsBeyondThirtyEachKeepTheirOwnRedrawFlag) {
  g_field.next_extra_lines = 40;
  ASSERT_NE(open_form(MSG_FORM_GO_TO_LINE, one_number_dialog_field), nullptr);
  EXPECT_EQ(begin_field_handler(), FORM_FIRST_PASS);
  ASSERT_EQ(g_field.redraw.size(), static_cast<size_t>(FORM_GO_TO_LINE_FIELDS + 40));
  g_field.redraw.assign(g_field.redraw.size(), 0);
  cursor_to_field(35);
  flag_changed_field(FIELD_CHANGED);
  for (size_t i = 0; i < g_field.redraw.size(); ++i) EXPECT_EQ(g_field.redraw[i], i == 35 ? 1 : 0);
  // A display pass past the last field draws nothing and reads no flag beyond the fields.
  begin_display_pass();
  for (int i = 0; i < 50; ++i) show_int_value(i, 3);
  SUCCEED();
}

// ---- Whole runs ---------------------------------------------------------------------------------

// The one-number form opened on its number field, with the codes queued as typed ahead. The
// OK/CANCEL bar drops what was typed before it opened: its key (if any) comes when it waits.
int run_number_form(int message, std::initializer_list<EventCode> codes, const char* bar_key) {
  g_field.initial_field = 1;
  for (EventCode code : codes) push_input_code(code);
  start_typist();
  if (bar_key != nullptr) typist_text(bar_key);
  const int result = run_dialog(message, one_number_dialog_field);
  pump_set_idle_handler(nullptr);
  return result;
}

TEST_F(FormTest, DigitsTypedAheadReachTheFieldInTheirOrder) {
  g_dialog_number = 0;
  EXPECT_EQ(run_number_form(MSG_FORM_GO_TO_LINE, {'1', '2', KEY_ENTER, KEY_UP}, "O"), 1);
  EXPECT_EQ(g_dialog_number, 12);
  EXPECT_EQ(g_windows.active, nullptr);  // the form is gone and the window before it is back
}

TEST_F(FormTest, CancelLeavesTheNumberButAnEnteredValueIsStored) {
  g_dialog_number = 5;
  EXPECT_EQ(run_number_form(MSG_FORM_MACHINING_GROUP, {KEY_ESC}, nullptr), 0);
  EXPECT_EQ(g_dialog_number, 5);
  // A digit typed goes on from the value shown; the value entered stays even when the form is
  // cancelled afterwards (the form edits the caller's number in place).
  EXPECT_EQ(run_number_form(MSG_FORM_MACHINING_GROUP, {'9', KEY_ENTER, KEY_UP}, "C"), 0);
  EXPECT_EQ(g_dialog_number, 59);
}

TEST_F(FormTest, ARepaintRedrawsTheFormInPlaceAndKeepsWhatIsTypedAfterIt) {
  g_dialog_number = 0;
  EXPECT_EQ(run_number_form(MSG_FORM_GO_TO_LINE, {EVENT_REDRAW, '7', KEY_ENTER, KEY_UP}, "O"), 1);
  EXPECT_EQ(g_dialog_number, 7);
}

TEST_F(FormTest, ARepaintDuringADisplayModeChangeCancelsTheForm) {
  g_dialog_number = 5;
  g_form.resize_pending = RESIZE_BY_USER;
  EXPECT_EQ(run_number_form(MSG_FORM_GO_TO_LINE, {EVENT_REDRAW, '7', KEY_ENTER}, nullptr), 0);
  EXPECT_EQ(g_dialog_number, 5);
}

TEST_F(FormTest, ARepaintOfTheOpenFormDrawsItsLabelsAndValuesAgain) {
  ASSERT_NE(open_form(MSG_FORM_GO_TO_LINE, one_number_dialog_field), nullptr);
  g_dialog_number = 31;
  one_number_dialog_field();
  const TextWindow* w = g_windows.active;
  clear_screen();
  g_form.redraw_level = REDRAW_LEVEL_FORM_PAINT;
  EXPECT_EQ(end_field_handler(EVENT_REDRAW), 0);
  EXPECT_EQ(g_form.redraw_level, 0);
  begin_display_pass();
  skip_field_display();
  show_int_value(g_dialog_number, 9);
  EXPECT_EQ(row_text(w->top_row + 1, w->left_column, 12), "Line number:");
  EXPECT_EQ(value_text(1, 2), "31");
}

// ---- Value display ------------------------------------------------------------------------------

TEST(FormValues, FloatFieldTexts) {
  struct Case {
    double x;
    int width;
    int flags;
    std::string text;
  };
  const Case cases[] = {
      {2.5, 8, FLOAT_TWO_DECIMALS, "2.5"},
      {0.001, 4, FLOAT_TWO_DECIMALS, "***"},   // too small for its precision, too wide for %f
      {0.001, 8, FLOAT_TWO_DECIMALS, "0.001"}, // ...but it fits the field
      {45.0, 8, FLOAT_WHOLE | FLOAT_DEGREES, "45\xB0"},
      {12.5, 8, FLOAT_ONE_DECIMAL | FLOAT_PERCENT, "12.5%"},
      {0.0, 8, FLOAT_BLANK_ZERO, ""},
      {0.0, 8, FLOAT_FOUR_DECIMALS, "0"},
      {1.23456789, 10, FLOAT_SIX_DECIMALS, "1.234568"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(float_field_text(c.x, c.width, c.flags), c.text) << c.x << " " << c.flags;
}

TEST_F(FormTest, BlankAndUnsetFloatsShowEmptyFields) {
  ASSERT_NE(open_form(MSG_FORM_GO_TO_LINE, one_number_dialog_field), nullptr);
  begin_field_handler();
  const int row = g_windows.active->top_row;
  struct Case {
    void (*show)(double, int, int);
    double x;
    std::string shown;
  };
  const Case cases[] = {
      {show_float_or_blank, 0.0, "   "},
      {show_float_or_blank, FIELD_UNSET, "   "},
      {show_float_or_unset, FIELD_UNSET, "   "},
      {show_float_or_unset, 0.0, "0  "},
      {show_float_value, 7.25, "7.2"},
  };
  for (const Case& c : cases) {
    g_field.display_row = row;
    fill_cells(row, g_field.value_column, row, g_field.value_column + 3, PALETTE_RED);
    c.show(c.x, -6, FLOAT_FOUR_DECIMALS);
    EXPECT_EQ(value_text(0, 3), c.shown) << c.x;
  }
}

TEST(FormKeys, NonEditingKeys) {
  EXPECT_EQ(non_editing_key(65), 0);
  EXPECT_EQ(non_editing_key(328), 328);
  EXPECT_EQ(non_editing_key(KEY_CTRL_BASE + 'C'), 0);
  EXPECT_EQ(non_editing_key(KEY_DEL), 0);
  EXPECT_EQ(non_editing_key(KEY_F1), 0);
  EXPECT_EQ(non_editing_key(KEY_PGDN), KEY_PGDN);
}

}  // namespace
