#include "ui/sequence_numbers.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>

#include "nc/nc_sequence.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/form_pass.h"
#include "ui/nc_buffer_tools.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

enum SequenceRow { ROW_MODE, ROW_FIRST, ROW_INCREMENT, ROW_DIGITS, ROW_LETTER, ROW_STYLE,
                   ROW_SAMPLE };
static_assert(FORM_SEQUENCE_FIELDS == ROW_SAMPLE + 1);

constexpr char MODE_BAR[] = "\vA\x13" "DD/UPDATE    \vR\x13" "EMOVE";
constexpr char MODE_LETTERS[] = "AR";
const char* const STYLE_NAMES[] = {"Fanuc", "Bandit 1", "Shadow", nullptr};
constexpr char STYLE_LETTERS[] = "FBS";
constexpr int NUMBER_WIDTH = 6;
constexpr int DIGITS_WIDTH = 2;
constexpr int LETTER_WIDTH = 2;
constexpr int STYLE_WIDTH = 10;
constexpr int SAMPLE_WIDTH = 12;
constexpr int MOST_DIGITS = 5;
constexpr int SEQUENCE_HELP_TOPIC = 0;

// What the form edits: wider than the settings so that a typed value is checked before it is
// kept (a first number fits 16 bits unsigned, the digits 0 to 5).
struct SequenceFormValues {
  int32_t first = 1;
  int16_t increment = 1;
  uint8_t digits = 0;
  char letter[2] = {'N', 0};
  uint8_t style = 0;
  bool remove = false;
};
SequenceFormValues g_values;

void take_settings() {
  const SequenceSettings& s = g_sequence;
  g_values.first = s.first_number;
  g_values.increment = s.increment;
  g_values.digits = s.digits;
  g_values.letter[0] = s.letter;
  g_values.style = s.style;
  g_values.remove = s.remove;
}

void keep_values_in_range() {
  g_values.first = std::clamp<int32_t>(g_values.first, 0, UINT16_MAX);
  g_values.digits = std::min<uint8_t>(g_values.digits, MOST_DIGITS);
  if (static_cast<unsigned char>(g_values.letter[0]) < ' ') g_values.letter[0] = ' ';
  g_values.letter[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(g_values.letter[0])));
  if (g_values.style > SEQUENCE_STYLE_SHADOW) g_values.style = SEQUENCE_STYLE_FANUC;
}

SequenceSettings settings_of_values() {
  SequenceSettings s = g_sequence;
  s.first_number = static_cast<uint16_t>(g_values.first);
  s.increment = g_values.increment;
  s.digits = g_values.digits;
  s.letter = g_values.letter[0];
  s.style = g_values.style;
  s.remove = g_values.remove;
  return s;
}

EventCode edit_row(int row) {
  switch (row) {
    case ROW_MODE: {
      // Either button accepts the form at once.
      const EventCode chosen = button_bar_field(MODE_BAR, MODE_LETTERS, g_values.remove ? 1 : 0);
      if (chosen == 0 || chosen == 1) {
        g_values.remove = chosen == 1;
        return WINDOW_ACCEPT;
      }
      return chosen;
    }
    case ROW_FIRST:
      return edit_value_field({&g_values.first, 0}, FIELD_LONG, FIELD_OPTIONS_USUAL, NUMBER_WIDTH);
    case ROW_INCREMENT:
      return edit_value_field({&g_values.increment, 0}, FIELD_SHORT | FIELD_MINUS,
                              FIELD_OPTIONS_USUAL, NUMBER_WIDTH);
    case ROW_DIGITS:
      return edit_value_field({&g_values.digits, 0}, FIELD_BYTE, FIELD_OPTIONS_USUAL,
                              DIGITS_WIDTH);
    case ROW_LETTER:
      return edit_value_field({g_values.letter, sizeof g_values.letter},
                              FIELD_SINGLE_CHAR | FIELD_UPPER_CASE, FIELD_OPTIONS_USUAL,
                              LETTER_WIDTH);
    case ROW_STYLE:
      return pick_string_field(STYLE_NAMES, "Control", g_field.display_row, g_field.value_column,
                               &g_values.style, STYLE_WIDTH, STYLE_LETTERS);
    default:
      // The sample only shows: the cursor passes over it the way it came.
      return g_field.last_ending_event == KEY_UP ? KEY_UP : KEY_DOWN;
  }
}

void show_values() {
  keep_values_in_range();
  button_bar_field(MODE_BAR, MODE_LETTERS, -1);
  skip_field_display();
  show_int_value(g_values.first, NUMBER_WIDTH);
  show_int_value(g_values.increment, NUMBER_WIDTH);
  show_int_value(g_values.digits, DIGITS_WIDTH);
  show_text_value(g_values.letter[0] == ' ' ? "(none)" : g_values.letter, LETTER_WIDTH + 5);
  show_choice_value(STYLE_NAMES, g_values.style, STYLE_WIDTH);
  const SequenceSettings s = settings_of_values();
  show_text_value(sequence_number_text(s, s.first_number).c_str(), SAMPLE_WIDTH);
}

}  // namespace

EventCode sequence_settings_field() {
  g_field.help_topic = SEQUENCE_HELP_TOPIC;
  return field_pass_showing_values(edit_row, show_values);
}

int sequence_numbers() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.current.first == nullptr || g_lists.current.first->next == nullptr)
    return 0;
  store_window_state();
  take_settings();
  const int accepted = run_form_over_window(MSG_FORM_SEQUENCE, sequence_settings_field);
  if (accepted == 0) return 0;
  keep_values_in_range();
  g_sequence = settings_of_values();
  return renumber_nc_buffer(g_sequence);
}
