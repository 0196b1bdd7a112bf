// The code-text field of the settings forms: a multi-line text shown on one field row and edited
// in a window of its own.
#include <algorithm>
#include <string>

#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/text_boxes.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

constexpr uint8_t PILCROW = 0xB6;
constexpr char EDITOR_SHORTCUTS[] =
    "Keyboard shortcuts:    \vESC\x13: cancel        \vCTRL S\x13: save and quit\n";
constexpr uint16_t EDITOR_STATUS_COLOURS = 0x20A;
constexpr uint32_t CODE_TEXT_WINDOW_FLAGS = 0x40233;
constexpr uint16_t CODE_TEXT_OPTIONS = 10;

bool text_is_empty(const TextLine* first) {
  return first == nullptr || ((first->text.empty() || first->text == "\n") && first->next == nullptr);
}

bool click_on_value(EventCode code) {
  return (code == EVENT_LEFT_DOWN || code == FIELD_CLICK) && pointer_on_field_value() != 0;
}

// The help of a code text is a catalogue message of its own (what the section is for and its
// placeholders); false when the field has none.
bool show_code_help(int topic) {
  if (topic <= 0 || find_message(topic) == 0) return false;
  get_message(topic);
  show_text_box(message_text(), TEXTBOX_PRESS_A_KEY);
  return true;
}

// Runs the editor over the lines; true when the user saved.
bool run_code_text_editor(TextLine** lines, const char* title, int width, int height) {
  // The help key in the editor explains the section being edited (g_field.help_topic).
  void (*const saved_help)(int) = g_form_hooks.help;
  g_form_hooks.help = [](int) { show_code_help(g_field.help_topic); };
  const uint16_t saved_colours = g_windows.help_options;
  const int pointer_x = g_pointer.wanted_x;
  const int pointer_y = g_pointer.wanted_y;
  g_windows.help_options = EDITOR_STATUS_COLOURS;
  show_status_line(EDITOR_SHORTCUTS);
  const CellMetrics& cells = g_display.current;
  // The caller's chain as a list: its last line found by walking it.
  LineList list{*lines, *lines};
  while (list.last != nullptr && list.last->next != nullptr) list.last = list.last->next;
  // The Cancel/Save pop-up under the window; Esc leaves (asking when changed), Ctrl+S saves.
  const int accepted = edit_lines_in_window(&list, title, cells.last_row / 2, cells.last_column / 2,
                                            height, width, cancel_save_key_filter, draw_window_line,
                                            CODE_TEXT_WINDOW_FLAGS, nullptr, nullptr,
                                            CODE_TEXT_OPTIONS);
  *lines = list.first;
  g_form_hooks.help = saved_help;
  g_windows.help_options = saved_colours;
  glide_pointer(pointer_x, pointer_y);
  return accepted != 0;
}

}  // namespace

EventCode code_text_field(int width, int help_topic, TextLine** lines, const char* title,
                          int editor_width, int editor_height) {
  if (lines == nullptr) return 0;
  EventCode code = 0;
  // A modifier going down is not a key of the field: Ctrl+F1 comes after it.
  do {
    code = read_window_event(width);
  } while (code >= EVENT_CTRL_DOWN && code <= EVENT_ALT_UP);
  const bool typed = code >= 32 && code <= 254;
  if (click_on_value(code)) {
    if (code == FIELD_CLICK) poll_input_code(0);
    code = KEY_ENTER;
  } else if (!typed) {
    flush_input();
    if (code == KEY_CTRL_F1) {
      if (!show_code_help(help_topic) && g_form_hooks.help != nullptr) g_form_hooks.help(help_topic);
      return code;
    }
    if (code != KEY_ENTER) return code;
  } else if (!text_is_empty(*lines)) {
    // A character opens a text that is there without typing into it; a new text starts with it.
    flush_input();
  }
  g_field.help_topic = help_topic;
  return run_code_text_editor(lines, title, editor_width, editor_height) ? FIELD_CHANGED : code;
}

// ---- A multi-line code text ---------------------------------------------------------------------

void draw_code_text_field(int width, const TextLine* first) {
  FieldDisplay& f = g_field;
  ++f.display_row;
  ++f.redraw_index;
  const bool flagged = f.redraw_index >= 0 && static_cast<size_t>(f.redraw_index) < f.redraw.size() &&
                       f.redraw[static_cast<size_t>(f.redraw_index)] != 0;
  if (!flagged) return;
  std::string shown;
  int used = 0;
  for (const TextLine* line = first; line != nullptr && used < width; line = line->next) {
    if (line->text.empty() || line->text == "\n") break;
    for (size_t i = 0; i < line->text.size() && used < width; ++i) {
      const uint8_t c = static_cast<uint8_t>(line->text[i]);
      if (c == '\n') {
        shown += '\v';
        shown += static_cast<char>(PILCROW);
        shown += '\x13';
        ++used;
      } else if (c == TC_GLYPH) {
        ++i;  // a glyph escape and its character are left out
      } else if (c >= ' ') {
        shown += static_cast<char>(c);
        ++used;
      }
    }
  }
  show_text_value(shown.c_str(), -width);
}
