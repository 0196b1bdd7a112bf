// The field editors of the settings forms: a typed value, a pick list, a letter cycle and an
// optional number.
#include "ui/settings_fields.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "ui/picture_menu.h"
#include "ui/dialog_form.h"
#include "ui/editor_cursor.h"
#include "ui/editor_key_map.h"
#include "ui/entry_line.h"
#include "ui/run_window.h"
#include "ui/text_window.h"

namespace {

constexpr uint32_t PICK_LIST_FLAGS = 0x33;
constexpr uint32_t PICK_LIST_MEDIUM = 0x20000000;
constexpr size_t ENTRY_TEXT_SIZE = ENTRY_MOST_CHARS + 1;

bool is_typed_character(EventCode code) { return code >= 32 && code <= 255; }

bool is_calculator_key(EventCode code) { return code == '*' || code == '/' || code == '+'; }

void call_help() {
  if (g_form_hooks.help != nullptr) g_form_hooks.help(g_field.help_topic);
}

// What edit_value_field does with one event: open the entry, or end with a result.
enum class ValueStep : uint8_t { READ_ON, OPEN_ENTRY, RETURN };

struct ValueEdit {
  FieldValue value;
  uint32_t flags;
  uint16_t options;
  EventCode result = 0;
};

ValueStep end_with(ValueEdit* e, EventCode result, bool flush) {
  if (flush) flush_input();
  e->result = result;
  return ValueStep::RETURN;
}

bool value_is_empty(const ValueEdit& e) {
  const std::string text = format_field_value(e.value, e.flags);
  return text.empty() || text == "0";
}

// A typed character: the entry opens on it, the calculator runs, or the field ends.
ValueStep typed_character(ValueEdit* e, EventCode code) {
  const bool number = (e->flags & FIELD_NUMBER_TYPES) != 0;
  const bool letter = std::isalpha(code) != 0;
  if (((e->flags & FIELD_LETTERS) != 0 && letter) || !number) return ValueStep::OPEN_ENTRY;
  if (is_calculator_key(code)) {
    poll_input_code(0);  // the operator is the calculator's, not the entry's
    if ((e->flags & FIELD_FLOAT) != 0)
      e->result = field_calculator(static_cast<float*>(e->value.data));
    else
      e->result = integer_field_calculator(e->value.data, e->flags);
    return ValueStep::RETURN;
  }
  if (code <= '9') return ValueStep::OPEN_ENTRY;
  return end_with(e, code, true);
}

ValueStep value_event(ValueEdit* e, EventCode code) {
  const uint16_t options = e->options;
  if (code == KEY_ENTER || code == EVENT_LEFT_DOWN) {
    const bool hand_back = (options & EXIT_CLIPBOARD) != 0 ||
                           ((options & EXIT_ENTER) != 0 && code == KEY_ENTER &&
                            g_events.last_code == KEY_ENTER);
    if (hand_back) return end_with(e, code, true);
    if (code == EVENT_LEFT_DOWN && pointer_on_field_value() == 0) return end_with(e, code, false);
    e->flags |= FIELD_CARET_AT_POINTER;
    return ValueStep::OPEN_ENTRY;
  }
  if (code == ' ' && (options & FIELD_EXIT_BLANK) != 0) return end_with(e, ' ', true);
  if (code == KEY_BACKSPACE) return ValueStep::OPEN_ENTRY;
  if (is_typed_character(code)) return typed_character(e, code);
  if (code >= KEY_F6 && code <= KEY_HOME) {
    push_input_code_front(code);
    return ValueStep::OPEN_ENTRY;
  }
  if (code == WINDOW_PASTE_SYSTEM || code == KEY_INS) {
    if ((options & EXIT_CLIPBOARD) != 0) return end_with(e, code, true);
    push_input_code_front(code);
    return ValueStep::OPEN_ENTRY;
  }
  if (code == KEY_DEL || code == WINDOW_CUT) {
    clear_field_value(e->value, e->flags);
    return end_with(e, static_cast<EventCode>(-KEY_DEL), false);
  }
  if (code == WINDOW_COPY || code == WINDOW_COPY_SYSTEM) {
    if ((options & EXIT_CLIPBOARD) != 0) return end_with(e, code, true);
    if (!value_is_empty(*e)) {
      const std::string text = format_field_value(e->value, e->flags);
      if (code == WINDOW_COPY) copy_to_text_clipboard(text.c_str());
      else copy_text_to_system_clipboard(text.c_str());
    }
    return ValueStep::READ_ON;
  }
  if ((code == KEY_UP && (options & EXIT_UP) != 0) ||
      (code == KEY_DOWN && (options & EXIT_DOWN) != 0))
    return end_with(e, code, false);
  if (code == KEY_RIGHT && (options & EXIT_RIGHT) != 0) return end_with(e, code, true);
  // A repaint is no key of the user's: what was typed after it stays for the next field.
  if (code == EVENT_REDRAW) return end_with(e, code, false);
  if (code == KEY_CTRL_F1) call_help();
  if (code == EVENT_RIGHT_DOWN) code = KEY_ESC;
  return end_with(e, code, true);
}

// The entry's width: the field's when the text fits it, else the negated limit (the entry then
// scrolls within the field).
int entry_width(const ValueEdit& e, int field_width) {
  if (field_type(e.flags) != FieldType::TEXT) return field_width;
  const int limit = static_cast<int>(std::min<size_t>(e.value.capacity - 1, ENTRY_MOST_CHARS));
  return limit == field_width ? field_width : -limit;
}

EventCode open_value_entry(ValueEdit* e, int field_width) {
  if (field_type(e->flags) == FieldType::TEXT && e->value.capacity == 0) return 0;
  char text[ENTRY_TEXT_SIZE] = {};
  const std::string start = format_field_value(e->value, e->flags);
  std::strncpy(text, start.c_str(), ENTRY_MOST_CHARS);
  g_field.field_width = field_width;
  const EventCode result = edit_text_line(text, g_field.display_row, g_field.value_column, nullptr,
                                          e->flags, entry_width(*e, field_width), e->options);
  if (result < 0) store_field_text(e->value, e->flags, text);
  return result;
}

}  // namespace

// ---- A typed value ----------------------------------------------------------------------------

EventCode edit_value_field(FieldValue value, uint32_t flags, uint16_t options, int width) {
  const TextWindow* w = g_windows.active;
  int field_width = width;
  if (w != nullptr) {
    field_width = std::min(width, w->right_column - g_field.value_column + 1);
    if ((w->options & WINDOW_OPTION_MEDIUM_FONT) != 0) flags |= FIELD_MEDIUM_FONT;
  }
  field_width = std::max(field_width, 1);
  ValueEdit edit{value, flags, options};
  for (;;) {
    EventCode code = read_window_event(field_width);
    if (code >= EVENT_CTRL_DOWN && code <= EVENT_ALT_UP) continue;
    code = map_field_clipboard_keys(code);
    if (code == 0) continue;
    const ValueStep step = value_event(&edit, code);
    if (step == ValueStep::RETURN) return edit.result;
    if (step == ValueStep::OPEN_ENTRY) return open_value_entry(&edit, field_width);
  }
}

// ---- Pick lists ---------------------------------------------------------------------------------

EventCode pick_list_field(const char* const* strings, const char* title, int row, int column,
                          uint8_t* index, int width, const char* letters, int picture,
                          int picture_columns, int picture_rows) {
  if (index == nullptr) return 0;
  const std::string hot = letters != nullptr ? std::string(letters) : hot_letters_of_strings(strings);
  const uint32_t window_flags = PICK_LIST_FLAGS | (width < 0 ? PICK_LIST_MEDIUM : 0);
  const int cells = std::abs(width);
  EventCode code = read_field_event(cells);
  if (is_typed_character(code)) {
    const char upper = static_cast<char>(std::toupper(code));
    const size_t at = hot.find(upper);
    if (at != std::string::npos) {
      *index = static_cast<uint8_t>(at);
      return FIELD_CHANGED;
    }
  }
  if (code == FIELD_CLICK || code == EVENT_LEFT_DOWN) {
    if (pointer_on_field_value() == 0) return EVENT_LEFT_DOWN;
  } else if (code == KEY_CTRL_F1 && g_field.help_topic != 0) {
    call_help();
    return 0;
  } else if (code != KEY_ENTER && !is_typed_character(code)) {
    return code;
  }
  draw_field_box(cells);
  int chosen = -1;
  if (strings != nullptr) {
    chosen = pick_from_strings(strings, title, row, column, *index, window_flags);
  } else {
    chosen = picture_grid_menu(picture, picture_rows, picture_columns,
                               column * g_display.current.cell_width,
                               row * g_display.current.cell_height, 0, 0, *index);
  }
  draw_field_box(cells);
  // The choice counts even when the list uncovered part of the form: the form repaints itself
  // on its next call (the pending repaint stays).
  if (chosen < 0) return 0;
  *index = static_cast<uint8_t>(chosen);
  return FIELD_CHANGED;
}

EventCode pick_string_field(const char* const* strings, const char* title, int row, int column,
                            uint8_t* index, int width, const char* letters) {
  return pick_list_field(strings, title, row, column, index, width, letters, 0, 0, 0);
}

// ---- A letter cycle -----------------------------------------------------------------------------

EventCode cycle_list_field(const char* letters, uint8_t* value, uint8_t base, int width) {
  if (letters == nullptr || value == nullptr || *letters == 0) return 0;
  const int count = static_cast<int>(std::strlen(letters));
  EventCode code = 0;
  for (;;) {
    code = read_field_event(width);
    if (code == KEY_CTRL_F1 && g_field.help_topic != 0) {
      call_help();
      continue;
    }
    break;
  }
  if (code == FIELD_CLICK || (code == EVENT_LEFT_DOWN && pointer_on_field_value() != 0))
    code = KEY_ENTER;
  const uint8_t before = *value;
  if (code >= 1 && code <= 255) {
    code = static_cast<EventCode>(std::toupper(code));
    const char* at = std::strchr(letters, code);
    if (code != 0 && at != nullptr && code != ' ' && code != KEY_ENTER) {
      *value = static_cast<uint8_t>(base + (at - letters));
      code = KEY_ENTER;
    } else if (code == ' ' || code == KEY_ENTER) {
      const int current = (*value - base + count) % count;
      *value = static_cast<uint8_t>(base + (current + 1) % count);
      code = KEY_ENTER;
    }
  }
  return *value != before ? static_cast<EventCode>(-code) : code;
}

// ---- An optional number -------------------------------------------------------------------------

EventCode optional_float_field(float* value, uint32_t flags, int width) {
  if (value == nullptr) return 0;
  const EventCode code = read_window_event(width);
  if (field_leave_key(code) != 0) return code;
  // The value editor reads the event again: a character is still queued, anything else goes
  // back in front.
  if (!is_typed_character(code)) push_input_code_front(code);
  float edited = *value == FIELD_UNSET ? 0.0f : *value;
  const EventCode result = edit_value_field({&edited, 0}, flags | FIELD_FLOAT,
                                            FIELD_OPTIONS_USUAL, width);
  if (result < 0) *value = edited;
  return result;
}
