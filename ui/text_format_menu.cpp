#include "ui/text_format_menu.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "store/line_list.h"
#include "store/message_ids.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

constexpr int KERNING_MOST = 110;
constexpr int SIZE_LEAST = 3, SIZE_MOST = 300, SIZE_STEP = 3;
constexpr int RAISE_LEAST = -200, RAISE_MOST = 240;
constexpr int SUPERSCRIPT_SIZE = 60, SUPERSCRIPT_RAISE = 70;
constexpr int SUBSCRIPT_SIZE = 60, SUBSCRIPT_RAISE = 40;
constexpr int VALUE_WIDTH = 6;
constexpr char KERNING_QUESTION[] = "Enter kern value... -110% to +110%\n\n";
constexpr char CHOICE_QUESTION[] = "Select the format option\n\n";
const char* const CHOICE_WORDS[] = {"Superscript", "Subscript", "Kerning", nullptr};
constexpr char CHOICE_LETTERS[] = "PBK";
enum Choice { CHOICE_SUPERSCRIPT, CHOICE_SUBSCRIPT, CHOICE_KERNING };

EventCode edit_row(int row) {
  FormatMenuState& m = g_format_menu;
  switch (row) {
    case 0: return ok_cancel_field();
    case 1: {
      int32_t value = m.size_percent;
      const EventCode r = edit_value_field({&value, 0}, FIELD_LONG, FIELD_OPTIONS_USUAL, VALUE_WIDTH);
      m.size_percent = clamp_format_size(value);
      return r;
    }
    case 2: {
      int32_t value = m.raise_percent;
      const EventCode r =
          edit_value_field({&value, 0}, FIELD_LONG | FIELD_MINUS, FIELD_OPTIONS_USUAL, VALUE_WIDTH);
      m.raise_percent = clamp_format_raise(value);
      return r;
    }
    default: return 0;
  }
}

// The caret's line and byte of the active editing window, or false.
bool caret(TextLine** line, size_t* column) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return false;
  *line = g_lists.cursor_line;
  *column = static_cast<size_t>(std::clamp<int>(w->text_column, 0,
                                                static_cast<int>((*line)->text.size())));
  return true;
}

// Runs form 300 on the values and writes them into the codes at the caret (missing codes
// inserted there, raise first): true when accepted.
bool run_format_form(TextLine* line, size_t column, int found) {
  if (run_dialog(MSG_FORM_TEXT_FORMAT, format_form_field) != 1) return false;
  std::string text = line->text;
  FormatValues values;
  values.size_percent = g_format_menu.size_percent;
  values.raise_percent = g_format_menu.raise_percent;
  sync_format_codes(&text, column, 1, &values);
  std::string inserted;
  if ((found & 1) == 0) {
    inserted += static_cast<char>(FORMAT_RAISE);
    inserted += static_cast<char>((FORMAT_RAISE_BASE + values.raise_percent / 2) & 0xFF);
  }
  if ((found & 2) == 0) {
    inserted += static_cast<char>(FORMAT_SIZE);
    // The size code's one scale, as the drawing reads it back.
    inserted += static_cast<char>(32 + std::lround(values.size_percent / FORMAT_WIDTH_STEP));
  }
  text.insert(column, inserted);
  set_line_text(text.c_str(), line);
  line->state |= LINE_STATE_REDRAW;
  ++g_lists.lines_changed;
  if (g_windows.active != nullptr) g_windows.active->flags |= WINDOW_CHANGED;
  return true;
}

}  // namespace

int clamp_format_size(int percent) {
  return std::clamp(percent - percent % SIZE_STEP, SIZE_LEAST, SIZE_MOST);
}

int clamp_format_raise(int percent) {
  return std::clamp(percent - percent % 2, RAISE_LEAST, RAISE_MOST);
}

int ask_kerning_value(int current_percent) {
  for (;;) {
    int32_t value = current_percent;
    const int16_t r = message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 40, KERNING_QUESTION,
                                  FIELD_LONG | FIELD_MINUS, &value, VALUE_WIDTH, nullptr, 0,
                                  nullptr);
    if (r >= 0 && r != FIELD_CHANGED && r != 13) return 0;
    if (value >= -KERNING_MOST && value <= KERNING_MOST) return FORMAT_PERCENT_BASE + value;
    current_percent = std::clamp(value, -KERNING_MOST, KERNING_MOST);
  }
}

EventCode format_form_field() {
  const EventCode result = edit_current_field(edit_row);
  begin_display_pass();
  skip_field_display();
  show_int_value(g_format_menu.size_percent, VALUE_WIDTH);
  show_int_value(g_format_menu.raise_percent, VALUE_WIDTH);
  draw_ok_cancel();
  return end_field_handler(result);
}

int text_format_menu() {
  FormatMenuState& m = g_format_menu;
  TextLine* line = nullptr;
  size_t column = 0;
  if (!m.enabled || !caret(&line, &column)) return 0;
  const std::string& text = line->text;
  // A kerning code under the caret (the code byte or its argument): its value is asked anew.
  size_t at = column;
  if (at > 0 && at < text.size() + 1 && text[at - 1] == static_cast<char>(FORMAT_KERNING)) --at;
  if (at + 1 < text.size() && text[at] == static_cast<char>(FORMAT_KERNING)) {
    const int percent = static_cast<uint8_t>(text[at + 1]) - FORMAT_PERCENT_BASE;
    const int argument = ask_kerning_value(percent);
    if (argument != 0) {
      std::string changed = text;
      changed[at + 1] = static_cast<char>(argument);
      set_line_text(changed.c_str(), line);
      line->state |= LINE_STATE_REDRAW;
      ++g_lists.lines_changed;
    }
    return 0;
  }
  std::string copy = text;
  FormatValues values;
  const int found = sync_format_codes(&copy, column, 0, &values);
  if (found == 0) {
    const int16_t choice = message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 46, CHOICE_QUESTION,
                                       MSGBOX_CHOICE, const_cast<char**>(CHOICE_WORDS), 0,
                                       CHOICE_LETTERS, 0, nullptr);
    switch (choice) {
      case CHOICE_SUPERSCRIPT: values = {SUPERSCRIPT_RAISE, SUPERSCRIPT_SIZE}; break;
      case CHOICE_SUBSCRIPT: values = {SUBSCRIPT_RAISE, SUBSCRIPT_SIZE}; break;
      case CHOICE_KERNING: return ask_kerning_value(0);
      default: return 0;
    }
  }
  m.size_percent = values.size_percent;
  m.raise_percent = values.raise_percent;
  run_format_form(line, column, found);
  return 0;
}
