// Settings input fields: a field's value to and from its text (each type writes only its own
// bytes), the number reader, the calculator, the letter cycle, and the value, optional-number
// and pick-list editors driven through the event queue on an open form.
#include <cstring>
#include <string>

#include "store/message_ids.h"
#include "tests/ui/form_fixture.h"
#include "tests/support/idle_typist.h"
#include "ui/settings_fields.h"

namespace {

// A value between two guard bytes: a field that writes past its own bytes changes a guard.
template <class T>
struct Guarded {
  uint8_t before[4] = {0xA5, 0xA5, 0xA5, 0xA5};
  T value{};
  uint8_t after[4] = {0xA5, 0xA5, 0xA5, 0xA5};
  bool guards_intact() const {
    for (int i = 0; i < 4; ++i)
      if (before[i] != 0xA5 || after[i] != 0xA5) return false;
    return true;
  }
};

// ---- Values and texts ---------------------------------------------------------------------------

TEST(FieldValues, EachTypeStoresItsTextAndWritesOnlyItsOwnBytes) {
  struct ByteCase {
    const char* text;
    uint8_t stored;
  };
  for (const ByteCase& c : {ByteCase{"300", 255}, ByteCase{"-200", 129}, ByteCase{"-5", 251},
                            ByteCase{"", 0}, ByteCase{"17", 17}, ByteCase{"99999999", 255}}) {
    Guarded<uint8_t> g;
    g.value = 77;
    store_field_text({&g.value, 0}, FIELD_BYTE, c.text);
    EXPECT_EQ(g.value, c.stored) << c.text;
    EXPECT_TRUE(g.guards_intact()) << c.text;
  }
  struct ShortCase {
    const char* text;
    int16_t stored;
  };
  for (const ShortCase& c : {ShortCase{"1,234", 1234}, ShortCase{"-32768", -32768},
                             ShortCase{"40000", 32767}, ShortCase{"-99999", -32768},
                             ShortCase{"12.9", 12}}) {
    Guarded<int16_t> g;
    store_field_text({&g.value, 0}, FIELD_SHORT, c.text);
    EXPECT_EQ(g.value, c.stored) << c.text;
    EXPECT_TRUE(g.guards_intact()) << c.text;
  }
  Guarded<int32_t> l;
  store_field_text({&l.value, 0}, FIELD_LONG, "1,234");
  EXPECT_EQ(l.value, 1234);
  store_field_text({&l.value, 0}, FIELD_LONG, "-9999999999");
  EXPECT_EQ(l.value, INT32_MIN);
  EXPECT_TRUE(l.guards_intact());
  Guarded<uint16_t> h;
  store_field_text({&h.value, 0}, FIELD_HEX, "1fF");
  EXPECT_EQ(h.value, 0x1FF);
  store_field_text({&h.value, 0}, FIELD_HEX, "12345");
  EXPECT_EQ(h.value, 0xFFFF);
  EXPECT_TRUE(h.guards_intact());
  Guarded<float> f;
  store_field_text({&f.value, 0}, FIELD_FLOAT, "1,234.5");
  EXPECT_FLOAT_EQ(f.value, 1234.5f);
  store_field_text({&f.value, 0}, FIELD_FLOAT, "1,23");
  EXPECT_FLOAT_EQ(f.value, 1.0f);
  EXPECT_TRUE(f.guards_intact());
  Guarded<char[6]> t;
  store_field_text({t.value, sizeof t.value}, 0, "a much longer text");
  EXPECT_STREQ(t.value, "a muc");
  EXPECT_TRUE(t.guards_intact());
}

TEST(FieldValues, FormattingFollowsTheTypeTestOrder) {
  int16_t s = -12;
  uint8_t b = 200;
  uint16_t h = 0xBEEF;
  int32_t l = -70000;
  char text[8] = "abc";
  EXPECT_EQ(format_field_value({&s, 0}, FIELD_SHORT | FIELD_BYTE), "-12");  // short wins
  EXPECT_EQ(format_field_value({&b, 0}, FIELD_BYTE), "200");
  EXPECT_EQ(format_field_value({&h, 0}, FIELD_HEX), "BEEF");
  EXPECT_EQ(format_field_value({&l, 0}, FIELD_LONG), "-70000");
  EXPECT_EQ(format_field_value({text, sizeof text}, 0), "abc");
  EXPECT_EQ(field_type(FIELD_SINGLE_CHAR), FieldType::CHARACTER);
}

TEST(FieldValues, ParseNumberAndSkipToNumber) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"  1,234.5", 1234.5}, {"1,23", 1.0},  {"-12.5", -12.5}, {"5-3", 5.0},
      {"abc", 0.0},          {"", 0.0},      {"1,234,567", 1234567.0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(parse_number(c.text), c.value) << c.text;
  EXPECT_STREQ(skip_to_number("x = .5"), ".5");
  EXPECT_STREQ(skip_to_number("a/b -2"), "-2");
  EXPECT_EQ(skip_to_number("no digits"), nullptr);
}

TEST(FieldValues, HotLettersOfStrings) {
  const char* const marked[] = {"\vSolid", "P\vulsing", "none", nullptr};
  EXPECT_EQ(hot_letters_of_strings(marked), std::string("SU\xFF"));
  const char* const plain[] = {"Solid", "Pulsing", nullptr};
  EXPECT_EQ(hot_letters_of_strings(plain), "");
}

// ---- The calculator -----------------------------------------------------------------------------

TEST(FieldCalculator, TwoNumbersAndAnOperator) {
  struct Case {
    const char* text;
    bool ok;
    double result;
  };
  const Case cases[] = {
      {"5-3", true, 2.0},        {"5 -3", true, 2.0},      {"5 - 3", true, 2.0},
      {"5 - -3", true, 8.0},     {"123.45 * 2", true, 246.9}, {"2 + 3", true, 5.0},
      {"123.45 / .345", true, 123.45 / .345},              {"8 / 0", false, 0.0},
      {"5", false, 0.0},         {"x", false, 0.0},        {"5 % 3", false, 0.0},
      {"5 *", false, 0.0},
  };
  for (const Case& c : cases) {
    double result = -1.0;
    EXPECT_EQ(calculate_expression(c.text, &result), c.ok) << c.text;
    if (c.ok) EXPECT_NEAR(result, c.result, 1e-9) << c.text;
    else EXPECT_EQ(result, -1.0) << c.text;
  }
}

// ---- Editors on an open form --------------------------------------------------------------------

class FieldEditorTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ASSERT_NE(open_form(MSG_FORM_GO_TO_LINE, one_number_dialog_field), nullptr);
    begin_field_handler();
    cursor_to_field(1);
    g_field.display_row = g_windows.active->top_row + 1;
  }
  static void queue(std::initializer_list<EventCode> codes) {
    for (EventCode c : codes) push_input_code(c);
  }
  static void queue_text(const char* text) {
    for (const char* p = text; *p != 0; ++p) push_input_code(static_cast<uint8_t>(*p));
  }
};

TEST_F(FieldEditorTest, TheLetterCycleOverNY) {
  struct Case {
    uint8_t start;
    EventCode key;
    uint8_t value;
    EventCode result;
  };
  const Case cases[] = {
      {0, ' ', 1, FIELD_CHANGED},     // a blank on N gives Y
      {1, KEY_ENTER, 0, FIELD_CHANGED},  // Enter on Y gives N
      {1, 'y', 1, KEY_ENTER},         // the letter already chosen
      {0, 'y', 1, FIELD_CHANGED},
      {0, 'x', 0, 'X'},               // no letter of the list
      {1, KEY_UP, 1, KEY_UP},
  };
  for (const Case& c : cases) {
    uint8_t value = c.start;
    queue({c.key});
    EXPECT_EQ(cycle_list_field("NY", &value, 0, 2), c.result) << c.key;
    EXPECT_EQ(value, c.value) << c.key;
  }
  // With a base the value counts from it.
  uint8_t value = 10;
  queue({' '});
  EXPECT_EQ(cycle_list_field("NY", &value, 10, 2), FIELD_CHANGED);
  EXPECT_EQ(value, 11);
}

TEST_F(FieldEditorTest, TheCycleKeysOfAFormEndOrCycle) {
  struct Case {
    EventCode key;
    uint8_t value;
    EventCode result;
  };
  const Case cases[] = {
      {KEY_BACKSPACE, 0, KEY_DEL},  // Backspace ends the field as Del
      {KEY_DEL, 0, KEY_DEL},       {KEY_UP, 0, KEY_UP},         {KEY_ESC, 0, KEY_ESC},
      {KEY_PGDN, 0, KEY_PGDN},     {KEY_LEFT, 0, KEY_LEFT},
      {'y', 1, FIELD_CHANGED},     {KEY_ENTER, 1, FIELD_CHANGED},
  };
  for (const Case& c : cases) {
    uint8_t index = 0;
    queue({c.key});
    EXPECT_EQ(cycle_field_keys("NY", &index, 0, 2), c.result) << c.key;
    EXPECT_EQ(index, c.value) << c.key;
  }
}

TEST_F(FieldEditorTest, DelClearsAValueField) {
  char text[16] = "hello";
  queue({KEY_DEL});
  EXPECT_EQ(edit_value_field({text, sizeof text}, 0, FIELD_OPTIONS_USUAL, 10), -KEY_DEL);
  EXPECT_STREQ(text, "");
  Guarded<float> f;
  f.value = 3.5f;
  queue({KEY_DEL});
  EXPECT_EQ(edit_value_field({&f.value, 0}, FIELD_FLOAT, FIELD_OPTIONS_USUAL, 10), -KEY_DEL);
  EXPECT_EQ(f.value, 0.0f);
  EXPECT_TRUE(f.guards_intact());
}

TEST_F(FieldEditorTest, TypedNumbersAreParsedBackWithTheirTypesRules) {
  Guarded<float> f;
  queue_text("1,234.5");
  queue({KEY_ENTER});
  EXPECT_LT(edit_value_field({&f.value, 0}, FIELD_FLOAT, FIELD_OPTIONS_USUAL, 12), 0);
  EXPECT_FLOAT_EQ(f.value, 1234.5f);
  Guarded<uint8_t> b;
  queue_text("300");
  queue({KEY_ENTER});
  EXPECT_LT(edit_value_field({&b.value, 0}, FIELD_BYTE, FIELD_OPTIONS_USUAL, 4), 0);
  EXPECT_EQ(b.value, 255);
  EXPECT_TRUE(b.guards_intact());
}

TEST_F(FieldEditorTest, ArrowKeysAndOtherKeysEndTheFieldWithTheValueKept) {
  int32_t n = 8;
  queue({KEY_UP});
  EXPECT_EQ(edit_value_field({&n, 0}, FIELD_LONG, FIELD_OPTIONS_USUAL, 9), KEY_UP);
  // Down on the last field of a form goes nowhere: it is dropped and the field reads on.
  queue({KEY_DOWN, KEY_PGUP});
  EXPECT_EQ(edit_value_field({&n, 0}, FIELD_LONG, FIELD_OPTIONS_USUAL, 9), KEY_PGUP);
  queue({EVENT_RIGHT_DOWN});
  EXPECT_EQ(edit_value_field({&n, 0}, FIELD_LONG, FIELD_OPTIONS_USUAL, 9), KEY_ESC);
  queue({'Q'});  // a letter in a number field is handed back
  EXPECT_EQ(edit_value_field({&n, 0}, FIELD_LONG, FIELD_OPTIONS_USUAL, 9), 'Q');
  EXPECT_EQ(n, 8);
}

TEST_F(FieldEditorTest, OptionalFloatDelIsHandedBackAndLeavesTheValue) {
  float value = 2.5f;
  queue({KEY_DEL});
  EXPECT_EQ(optional_float_field(&value, FIELD_FLOAT, 8), KEY_DEL);
  EXPECT_EQ(value, 2.5f);
  float unset = FIELD_UNSET;
  queue_text("4");
  queue({KEY_ENTER});
  EXPECT_LT(optional_float_field(&unset, FIELD_FLOAT, 8), 0);
  EXPECT_FLOAT_EQ(unset, 4.0f);
}

TEST_F(FieldEditorTest, TheCalculatorWorksOnFloatAndIntegerFields) {
  // The box starts with the value's text; what is typed is appended to it.
  Guarded<float> f;
  f.value = 5.0f;
  queue({'*'});
  queue_text(" - 3");
  queue({KEY_ENTER});
  EXPECT_EQ(edit_value_field({&f.value, 0}, FIELD_FLOAT, FIELD_OPTIONS_USUAL, 10), FIELD_CHANGED);
  EXPECT_FLOAT_EQ(f.value, 2.0f);
  // An integer field rounds the result and keeps it inside its own type.
  Guarded<uint8_t> b;
  b.value = 200;
  queue({'*'});
  queue_text("*2");
  queue({KEY_ENTER});
  EXPECT_EQ(edit_value_field({&b.value, 0}, FIELD_BYTE, FIELD_OPTIONS_USUAL, 4), FIELD_CHANGED);
  EXPECT_EQ(b.value, 255);
  EXPECT_TRUE(b.guards_intact());
  Guarded<int16_t> s;
  s.value = 10;
  queue({'/'});
  queue_text("/3");
  queue({KEY_ENTER});
  EXPECT_EQ(edit_value_field({&s.value, 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL, 6), FIELD_CHANGED);
  EXPECT_EQ(s.value, 3);
  EXPECT_TRUE(s.guards_intact());
  // Esc in the box leaves the value.
  queue({'+', KEY_ESC});
  EXPECT_EQ(edit_value_field({&s.value, 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL, 6), 0);
  EXPECT_EQ(s.value, 3);
}

TEST_F(FieldEditorTest, APickListChoosesByHotLetter) {
  const char* const styles[] = {"\vSolid", "\vPulsing", "\vMoving dots", nullptr};
  uint8_t index = 0;
  queue({'m'});
  EXPECT_EQ(pick_string_field(styles, "Select", 5, 5, &index, 12, nullptr), FIELD_CHANGED);
  EXPECT_EQ(index, 2);
  queue({KEY_UP});
  EXPECT_EQ(pick_string_field(styles, "Select", 5, 5, &index, 12, nullptr), KEY_UP);
  EXPECT_EQ(index, 2);
}

}  // namespace

namespace {

class CodeTextFieldTest : public FieldEditorTest {
 protected:
  void TearDown() override {
    free_list(lines_);
    pump_set_idle_handler(nullptr);
    FieldEditorTest::TearDown();
  }
  TextLine* lines_ = nullptr;
};

TEST_F(CodeTextFieldTest, ACodeTextIsEditedInAWindowOfItsOwn) {
  // A character typed on an empty text opens the editor and is the text's first character.
  queue_text("ab");
  queue({static_cast<EventCode>(KEY_CTRL_BASE + 'S')});
  EXPECT_EQ(code_text_field(20, 0, &lines_, "Code", 30, 6), FIELD_CHANGED);
  ASSERT_NE(lines_, nullptr);
  EXPECT_EQ(lines_->text.substr(0, 2), "ab");
  // Esc in the editor asks whether to keep the change; No leaves the text as it was and hands
  // back the key that opened it.
  start_typist();
  typist_text("x");
  typist_key(VK_ESCAPE);
  typist_text("n");
  queue({KEY_ENTER});
  EXPECT_EQ(code_text_field(20, 0, &lines_, "Code", 30, 6), KEY_ENTER);
  EXPECT_EQ(lines_->text.substr(0, 2), "ab");
  EXPECT_EQ(lines_->next, nullptr);
}

TEST_F(CodeTextFieldTest, TheFieldRowShowsTheLinesWithAMarkAtEachLineEnd) {
  push_list();
  clear_current_list();
  append_line("one\n");
  append_line("t\x08" "Awo\n");  // a glyph escape is left out
  append_line("\n");
  append_line("after the empty line\n");
  lines_ = g_lists.current.first;
  pop_list();
  g_field.redraw.assign(g_field.redraw.size(), 1);
  begin_display_pass();
  skip_field_display();
  draw_code_text_field(12, lines_);
  EXPECT_EQ(value_text(1, 9), "one\xB6two\xB6 ");
}

}  // namespace
