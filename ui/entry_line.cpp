#include "ui/entry_line.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/canvas.h"
#include "screen/boxes.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/float_text.h"
#include "store/line_list.h"
#include "store/text_helpers.h"
#include "store/text_wrap.h"
#include "ui/dialog_form.h"
#include "ui/editor_key_map.h"
#include "ui/key_pushback.h"
#include "ui/pointer_motion.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/text_window_internal.h"
#include "ui/window_frames.h"

EntryLineState g_entry;

namespace {

constexpr uint32_t ENTRY_WINDOW_FLAGS = WINDOW_TEXT_LIST | 0x10;
constexpr uint32_t ENTRY_TITLED_FLAGS = 0x31;
constexpr uint16_t ENTRY_COLOUR_BASE = 90;
constexpr int ENTRY_WRAP_EXTRA = 16;
constexpr int SELECT_ALL_BOX = 2048;
constexpr int SHAPE_I_BEAM = 5;
constexpr int TEXT_SHAPES[] = {5, 30, 73};
constexpr EventCode KEY_SPACE = ' ';
constexpr EventCode KEY_PASTE_SYSTEM = 425;
constexpr EventCode FIRST_EXTENDED = 256;
constexpr EventCode LAST_EXTENDED = 431;
constexpr EventCode FIRST_PROGRAM_CODE = 5000;
constexpr uint32_t EXITS_WITH_MIDDLE = EXIT_PAGE_KEYS | EXIT_MIDDLE_AND_ROW;
constexpr const char* FILE_NAME_HELP =
    "Press \vESC\x13 to cancel any editing you do.\nPress \vCTRL Backspace\x13 to clear the "
    "characters.";

uint32_t value_type(uint32_t flags) {
  for (uint32_t type : {FIELD_SHORT, FIELD_LONG, FIELD_BYTE, FIELD_HEX, FIELD_FLOAT})
    if ((flags & type) != 0) return type;
  return 0;
}

// A float, short or long field hands an operator to the calculator.
bool has_calculator(uint32_t flags) {
  const uint32_t type = value_type(flags);
  return type == FIELD_FLOAT || type == FIELD_SHORT || type == FIELD_LONG;
}

bool is_digit(int c) { return c >= '0' && c <= '9'; }
bool is_letter(int c) { return std::isalpha(c) != 0 || c >= 0xC0; }

// Whether a typed character goes into the text at column under the field flags.
bool accepts_char(int c, int column, uint32_t flags) {
  const bool minus = (flags & FIELD_MINUS) != 0;
  const bool blank = c == ' ' && (flags & FIELD_NO_BLANKS) == 0;
  switch (value_type(flags)) {
    case FIELD_FLOAT:
      return is_digit(c) || c == ',' || c == '.' || blank || (c == '-' && minus && column == 0);
    case FIELD_SHORT:
    case FIELD_LONG:
      return is_digit(c) || c == ',' || (c == '-' && minus && column == 0);
    case FIELD_BYTE:
      return is_digit(c) || (c == '-' && minus);
    case FIELD_HEX:
      return is_digit(c) || (c >= 'A' && c <= 'F') || (c == '-' && minus);
    default:
      break;
  }
  if ((flags & FIELD_FILE_NAME) != 0)
    return !is_bad_name_char(static_cast<unsigned char>(c), flags);
  if ((flags & FIELD_LETTERS) != 0) return is_letter(c) || blank;
  if ((flags & FIELD_DOTTED) != 0)
    return is_digit(c) || c == '.' || (c == '-' && minus) || (c == '*' && column == 0);
  return c >= ' ';
}

std::string line_text(const TextLine* line) {
  if (line == nullptr) return "";
  std::string text = line->text;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

// The entry's text after a paste or a drop: one line, tidied by the flags, within the limit.
void tidy_line() {
  TextWindow* w = g_windows.active;
  TextLine* first = w->first_line != nullptr ? w->first_line : g_lists.current.first;
  w->block_start = w->block_end = nullptr;
  g_lists.block_start = g_lists.block_end = nullptr;
  std::string text = first->text;
  while (first->next != nullptr) delete_line(first->next);
  if ((g_entry.flags & FIELD_FILE_NAME) != 0) {
    const size_t newline = text.find('\n');
    if (newline != std::string::npos) text.resize(newline);
    strip_bad_name_chars(&text, g_entry.flags);
  } else {
    const size_t newline = text.find('\n');
    if (newline != std::string::npos) text.resize(newline);
  }
  if ((g_entry.flags & FIELD_UPPER_CASE) != 0) upper_case(text.data());
  if (static_cast<int>(text.size()) > g_entry.limit)
    text.resize(static_cast<size_t>(g_entry.limit));
  set_line_text(text.c_str(), first);
  g_lists.cursor_line = first;
  w->text_column = static_cast<int16_t>(std::min<size_t>(w->text_column, text.size()));
  g_lists.lines_changed++;
  request_full_redraw();
}

EventCode accept(EventCode key) {
  g_entry.ending_key = key;
  if (g_windows.active != nullptr) g_entry.ending_column = g_windows.active->text_column;
  if (has_calculator(g_entry.flags) && g_lists.cursor_line != nullptr) {
    std::string text = g_lists.cursor_line->text;
    text.erase(std::remove(text.begin(), text.end(), ','), text.end());
    set_line_text(text.c_str(), g_lists.cursor_line);
  }
  hide_caret();
  return WINDOW_ACCEPT;
}

EventCode cancel() {
  g_entry.ending_key = 0;
  hide_caret();
  return KEY_ESC;
}

int pointer_column() { return g_pointer.wanted_x / std::max<int>(1, g_display.current.cell_width); }
int pointer_row() { return g_pointer.wanted_y / std::max<int>(1, g_display.current.cell_height); }

// A click in the entry (its columns widened by one each side; its row or the one below) moves
// the caret under the pointer; one outside accepts and leaves the pointer there.
EventCode act_on_click() {
  const TextWindow* w = g_windows.active;
  const int column = pointer_column();
  const int row = pointer_row();
  const bool inside = column >= w->left_column - 1 && column <= w->right_column + 1 &&
                      (row == w->top_row || row == w->top_row + 1);
  if (!inside) {
    g_entry.click_outside = true;
    return accept(EVENT_LEFT_DOWN);
  }
  if ((g_entry.flags & FIELD_SINGLE_CHAR) != 0) return 0;
  const int wanted = column - w->left_column + w->horizontal_scroll;
  const int length = static_cast<int>(line_text(g_lists.cursor_line).size());
  g_windows.active->text_column = static_cast<int16_t>(std::clamp(wanted, 0, length));
  return WINDOW_REDRAW;
}

// Codes that have a meaning of their own in the entry; -1 for those that do not.
constexpr int NOT_HANDLED = -1;

int act_on_key(EventCode code) {
  const uint16_t exits = g_entry.exit_keys;
  switch (code) {
    case KEY_BACKSPACE: return KEY_BACKSPACE;
    case KEY_TAB:
    case KEY_ENTER: return accept(code);
    case KEY_ESC:
    case EVENT_RIGHT_DOWN:
    case EVENT_QUIT: return cancel();
    case KEY_F1: return (exits & EXIT_F1) != 0 ? accept(code) : 0;
    case KEY_UP: return (exits & EXIT_UP) != 0 ? accept(code) : code;
    case KEY_DOWN: return (exits & EXIT_DOWN) != 0 ? accept(code) : code;
    case KEY_PGUP:
    case KEY_PGDN: return (exits & EXIT_PAGE_KEYS) != 0 ? accept(code) : code;
    case KEY_INS:
    case KEY_PASTE_SYSTEM:
      g_entry.pasted = true;
      return code;
    case KEY_CTRL_F1:
      if (g_entry.help_hook != nullptr) g_entry.help_hook(g_entry.help_topic);
      return g_form.redraw_level != 0 ? accept(code) : 0;
    case EVENT_LEFT_DOWN: return act_on_click();
    case EVENT_MIDDLE_DOWN:
      return (exits & EXITS_WITH_MIDDLE) == EXITS_WITH_MIDDLE ? accept(code) : code;
    case EVENT_LEFT_UP: return WINDOW_RELEASE;
    case EVENT_POINTER_MOVE:
      follow_mouse();
      if ((exits & EXIT_MIDDLE_AND_ROW) != 0 && pointer_row() != g_entry.row) return accept(code);
      return 0;
    case EVENT_CTRL_DOWN:
    case EVENT_CTRL_UP:
    case EVENT_ALT_DOWN:
    case EVENT_ALT_UP:
    case EVENT_TICK:
    case EVENT_MIDDLE_UP:
    case EVENT_RIGHT_UP: return 0;
    case KEY_CTRL_BACKSPACE:
      if (g_lists.block_start != nullptr) return code;
      set_line_text("", g_lists.cursor_line);
      g_windows.active->text_column = 0;
      g_lists.lines_changed++;
      request_full_redraw();
      return WINDOW_REDRAW;
    default: break;
  }
  if (code >= FIRST_PROGRAM_CODE) return 0;
  return NOT_HANDLED;
}

// A typed character: returned for the run loop to insert, or 0 when refused.
EventCode act_on_char(int c) {
  const uint32_t flags = g_entry.flags;
  if ((flags & FIELD_UPPER_CASE) != 0 || value_type(flags) == FIELD_HEX)
    c = std::toupper(c) & 0xFF;
  if (c == ' ' && (flags & FIELD_NO_BLANKS) != 0) return 0;
  const TextWindow* w = g_windows.active;
  const int column = w->text_column;
  if (has_calculator(flags) && ((c == '-' && column > 0) || c == '*' || c == '/' || c == '+')) {
    g_entry.calculator = true;
    return accept(static_cast<EventCode>(c));
  }
  if (!accepts_char(c, column, flags)) return 0;
  const bool replacing = g_lists.block_start != nullptr;
  if (!replacing && static_cast<int>(line_text(g_lists.cursor_line).size()) >= g_entry.limit)
    return 0;
  return static_cast<EventCode>(c);
}

void show_entry_caret() {
  const TextWindow* w = g_windows.active;
  set_editor_caret(w->top_row, w->left_column + w->cursor_column);
}

// The first key after a select-all entry opened: it clears the flag; a printable key, a paste
// or Del replaces the text, Backspace or Space keep it.
EventCode first_key_after_select_all(EventCode code) {
  const bool press = code < EVENT_LEFT_UP || code >= FIRST_PROGRAM_CODE;
  if (!press) return code;
  g_entry.flags &= ~FIELD_SELECT_ALL;
  request_full_redraw();
  if (code == KEY_BACKSPACE || code == KEY_SPACE) return WINDOW_REDRAW;
  if (code == KEY_DEL) return KEY_CTRL_BACKSPACE;
  if (code == KEY_INS || code == KEY_PASTE_SYSTEM || (code >= 33 && code <= 127)) {
    set_line_text("", g_lists.cursor_line);
    g_windows.active->text_column = 0;
    g_lists.lines_changed++;
  }
  return code;
}

constexpr int BYTE_LEAST = -127;
constexpr int BYTE_MOST = 255;
constexpr int NUMBER_TEXT_SIZE = 64;

}  // namespace

std::string number_entry_text(const void* value, uint32_t mode, bool zero_empty) {
  char text[NUMBER_TEXT_SIZE] = {};
  if ((mode & FIELD_LONG) != 0) {
    const int32_t v = read_value<int32_t>(value);
    if (v != 0 || !zero_empty) std::snprintf(text, sizeof text, "%ld", static_cast<long>(v));
  } else if ((mode & FIELD_HEX) != 0) {
    const uint16_t v = read_value<uint16_t>(value);
    if (v != 0 || !zero_empty) std::snprintf(text, sizeof text, "%X", v);
  } else if ((mode & FIELD_BYTE) != 0) {
    const uint8_t v = read_value<uint8_t>(value);
    if (v != 0 || !zero_empty) std::snprintf(text, sizeof text, "%d", v);
  } else if ((mode & FIELD_FLOAT) != 0) {
    const float v = read_value<float>(value);
    if (v != 0.0f || !zero_empty) {
      std::string s = (std::snprintf(text, sizeof text, "%.4f", static_cast<double>(v)), text);
      return trim_float_zeros(s);
    }
  } else {
    const int16_t v = read_value<int16_t>(value);
    if (v != 0 || !zero_empty) std::snprintf(text, sizeof text, "%d", v);
  }
  return text;
}

void store_number_entry(void* value, uint32_t mode, const char* text) {
  if ((mode & FIELD_LONG) != 0) {
    write_value<int32_t>(value, static_cast<int32_t>(std::strtol(text, nullptr, 10)));
  } else if ((mode & FIELD_HEX) != 0) {
    write_value<uint16_t>(value, static_cast<uint16_t>(std::strtoul(text, nullptr, 16)));
  } else if ((mode & FIELD_BYTE) != 0) {
    const long v = std::clamp(std::strtol(text, nullptr, 10), static_cast<long>(BYTE_LEAST),
                              static_cast<long>(BYTE_MOST));
    write_value<uint8_t>(value, static_cast<uint8_t>(v));
  } else if ((mode & FIELD_FLOAT) != 0) {
    write_value<float>(value, std::strtof(text, nullptr));
  } else {
    write_value<int16_t>(value, static_cast<int16_t>(std::strtol(text, nullptr, 10)));
  }
}

EventCode entry_key_filter() {
  TextWindow* w = g_windows.active;
  if (w == nullptr || g_lists.cursor_line == nullptr) return cancel();
  set_pointer_shape(SHAPE_I_BEAM);
  const bool several = g_lists.current.first != nullptr && g_lists.current.first->next != nullptr;
  if (g_entry.pasted || several) {
    g_entry.pasted = false;
    tidy_line();
    return WINDOW_REDRAW;
  }
  for (;;) {
    if ((g_entry.flags & FIELD_SINGLE_CHAR) != 0) w->text_column = 0;
    EventCode code;
    if ((g_entry.flags & FIELD_SELECT_ALL) != 0) {
      code = first_key_after_select_all(wait_input_code());
      if (code == WINDOW_REDRAW) return code;
    } else {
      if (g_windows.full_redraw_count != 0 || g_windows.redraw_pending != 0) redraw_window_lines();
      show_entry_caret();
      code = wait_input_code();
      hide_caret();
      if (g_form.redraw_level != 0 && g_entry.repaint_hook != nullptr) {
        g_entry.repaint_hook();
        push_input_code_front(code);
        return WINDOW_REDRAW;
      }
    }
    switch (code) {
      case KEY_CTRL_C:
      case KEY_CTRL_V:
      case KEY_CTRL_X:
      case KEY_CTRL_INS: code = map_clipboard_keys(code); break;
      default: break;
    }
    if (code == 0) continue;
    const int handled = act_on_key(code);
    if (handled != NOT_HANDLED) {
      if (handled == 0) continue;
      return static_cast<EventCode>(handled);
    }
    if (code >= EVENT_ALT_KEYPAD_BASE && code < EVENT_ALT_KEYPAD_BASE + 256) {
      if ((g_entry.flags & FIELD_PLAIN_TEXT) != 0) return code;
      code = static_cast<EventCode>(code - EVENT_ALT_KEYPAD_BASE);
    }
    if (code >= FIRST_EXTENDED && code <= LAST_EXTENDED) {
      if ((g_entry.flags & FIELD_SINGLE_CHAR) != 0) continue;
      return code;
    }
    if (code > 0 && code < ' ') {
      if ((g_entry.flags & FIELD_PLAIN_TEXT) != 0)
        return static_cast<EventCode>(EVENT_ALT_KEYPAD_BASE + code);
      continue;
    }
    if (code >= ' ' && code < 256) {
      const EventCode typed = act_on_char(code);
      if (typed != 0) return typed;
      continue;
    }
    return code;
  }
}

int16_t edit_text_line(char* text, int row, int column, const char* title, uint32_t flags,
                       int width, uint16_t exit_keys) {
  if (text == nullptr) return 0;
  g_entry.calculator = false;
  g_entry.pasted = false;
  g_entry.click_outside = false;
  g_entry.ending_key = 0;
  const int limit = std::min(width > 0 ? width : -width, ENTRY_MOST_CHARS);
  const int room = std::max(1, g_display.current.last_column - column);
  const int shown = width > 0 ? width : std::min(limit, room);
  std::string start(text, strnlen(text, static_cast<size_t>(ENTRY_MOST_CHARS) + 1));
  if ((flags & FIELD_UPPER_CASE) != 0) upper_case(start.data());
  if ((flags & FIELD_FILE_NAME) != 0) strip_bad_name_chars(&start, flags);
  if (static_cast<int>(start.size()) > limit) start.resize(static_cast<size_t>(limit));

  push_active_window();
  uint16_t options = ENTRY_COLOUR_BASE;
  if ((flags & FIELD_MEDIUM_FONT) != 0) options |= WINDOW_OPTION_MEDIUM_FONT;
  else if ((flags & FIELD_SMALL_FONT) != 0) options |= WINDOW_OPTION_SMALL_FONT;
  push_list();
  clear_current_list();
  append_line(start.c_str());
  TextLine* node = create_window(nullptr, {
      .top_row = row, .left_column = column, .bottom_row = row, .right_column = column + shown,
      .flags = title != nullptr ? ENTRY_WINDOW_FLAGS | ENTRY_TITLED_FLAGS : ENTRY_WINDOW_FLAGS,
      .key_filter = entry_key_filter, .line_drawer = draw_window_line, .options = options,
      .wrap_width = std::min(limit + ENTRY_WRAP_EXTRA, ENTRY_MOST_CHARS), .title = title,
  });
  pop_list();
  if (node == nullptr) {
    pop_active_window();
    return 0;
  }
  g_entry.flags = flags & ~(FIELD_CARET_AT_START | FIELD_CARET_AT_POINTER | FIELD_MEDIUM_FONT);
  g_entry.exit_keys = exit_keys;
  g_entry.limit = limit;
  g_entry.row = row;
  g_entry.column = column;
  g_entry.width = shown;
  activate_window(node);
  TextWindow* w = g_windows.active;
  const CellMetrics cells = g_display.current;

  // The strip under the field comes back when the entry closes.
  CanvasSaveUnder under;
  if (g_text.screen.target != nullptr)
    canvas_save_under(g_text.screen, {w->pixel_left - cells.cell_width, w->pixel_top,
                                      w->pixel_right + 2 * cells.cell_width, w->pixel_bottom},
                      &under);
  if ((flags & FIELD_SELECT_ALL) != 0) {
    draw_box(SELECT_ALL_BOX, row, column, 1, shown + 1, 0);
    draw_text_transparent(row, column, start.c_str());
    wait_buttons_released();
  }
  int caret = (flags & FIELD_CARET_AT_START) != 0 ? 0 : static_cast<int>(start.size());
  if ((flags & FIELD_CARET_AT_POINTER) != 0)
    caret = std::clamp(pointer_column() - column, 0, static_cast<int>(start.size()));
  w->text_column = static_cast<int16_t>(caret);
  if ((flags & FIELD_FILE_NAME) != 0 && !start.empty() && start[0] > ' ')
    show_status_line(FILE_NAME_HELP);

  const TextLine* accepted = run_window(node);
  std::string result_text = line_text(window_of(node)->first_line);
  if ((flags & FIELD_PLAIN_TEXT) == 0) cut_trailing_blanks(&result_text);
  if (static_cast<int>(result_text.size()) > limit) result_text.resize(static_cast<size_t>(limit));
  int16_t result = g_entry.ending_key;
  if (accepted != nullptr && result_text != std::string(text)) {
    std::memcpy(text, result_text.c_str(), result_text.size() + 1);
    result = static_cast<int16_t>(-result);
  }
  hide_caret();
  destroy_window(node);
  if (g_text.screen.target != nullptr) canvas_restore_under(&g_text.screen, under);
  pop_active_window();

  if (g_entry.calculator) {
    float value = std::strtof(text, nullptr);
    push_input_code_front(g_entry.ending_key);
    if (field_calculator(&value) != 0) {
      if ((flags & FIELD_MINUS) == 0) value = std::fabs(value);
      const uint32_t type = value_type(flags);
      std::string shown_value = format_float_text(
          value, type == FIELD_SHORT || type == FIELD_LONG ? FLOAT_WHOLE : FLOAT_SIX_DECIMALS);
      if (static_cast<int>(shown_value.size()) > limit) shown_value = "***";
      if (shown_value != text) {
        std::memcpy(text, shown_value.c_str(), shown_value.size() + 1);
        result = FIELD_CHANGED;
      }
    }
  }
  return result;
}

void text_pointer_shape() {
  if (std::find(std::begin(TEXT_SHAPES), std::end(TEXT_SHAPES), g_pointer.shape) ==
      std::end(TEXT_SHAPES))
    set_pointer_shape(SHAPE_I_BEAM);
  clear_window_drawing_bits();
}

void redraw_under_entry() {
  if (g_windows.key_filter != entry_key_filter) return;
  redraw_window_below();
}

namespace {

constexpr EventCode KEY_CTRL_X_CODE = 600;
constexpr EventCode KEY_COPY_SYSTEM = 426;
constexpr EventCode KEY_COPY = 429;
constexpr EventCode OPEN_UNDER_CLICK = 480;
constexpr EventCode DEL_CLEARED = -KEY_DEL;

struct NumberBox {
  int row, column, width;
  void* value;
  uint32_t flags;
  uint16_t exit_keys;
};

bool pointer_on_box(const NumberBox& box) {
  const int column = pointer_column();
  return pointer_row() == box.row && column >= box.column && column <= box.column + box.width;
}

void clear_number(void* value, uint32_t flags) {
  switch (value_type(flags)) {
    case FIELD_BYTE: write_value<uint8_t>(value, 0); break;
    case FIELD_SHORT:
    case FIELD_HEX: write_value<int16_t>(value, 0); break;
    case FIELD_LONG: write_value<int32_t>(value, 0); break;
    default: write_value<float>(value, 0.0f); break;
  }
}

int16_t open_number_entry(const NumberBox& box, uint32_t caret_flags) {
  char text[NUMBER_TEXT_SIZE + 1] = {};
  const std::string shown = number_entry_text(box.value, box.flags, false);
  std::memcpy(text, shown.c_str(), std::min<size_t>(shown.size(), NUMBER_TEXT_SIZE));
  const int16_t result = edit_text_line(text, box.row, box.column, nullptr,
                                        box.flags | caret_flags, box.width, box.exit_keys);
  if (result < 0) store_number_entry(box.value, box.flags, text);
  return result;
}

// What a key does to the box: a result to leave with, or GO_ON_READING.
constexpr int GO_ON_READING = 0x10000;
constexpr int OPEN_ENTRY = 0x20000;
constexpr int OPEN_AT_POINTER = 0x30000;

int act_on_box_key(const NumberBox& box, EventCode code) {
  const uint16_t exits = box.exit_keys;
  switch (code) {
    case OPEN_UNDER_CLICK: return pointer_on_box(box) ? OPEN_AT_POINTER : code;
    case KEY_ENTER: return (exits & EXIT_ENTER) != 0 ? code : OPEN_AT_POINTER;
    case EVENT_LEFT_DOWN: return pointer_on_box(box) ? OPEN_AT_POINTER : code;
    case KEY_BACKSPACE: return OPEN_ENTRY;
    case KEY_F6: case KEY_F7: case KEY_F8: case KEY_F9: case KEY_F10:
    case KEY_HOME:
      push_input_code_front(code);
      return OPEN_ENTRY;
    case KEY_INS:
    case KEY_PASTE_SYSTEM:
      if ((exits & EXIT_CLIPBOARD) != 0) return code;
      push_input_code_front(code);
      return OPEN_ENTRY;
    case KEY_DEL:
    case KEY_CTRL_X_CODE:
      clear_number(box.value, box.flags);
      return DEL_CLEARED;
    case KEY_COPY_SYSTEM:
    case KEY_COPY:
      return (exits & EXIT_CLIPBOARD) != 0 ? code : GO_ON_READING;
    case KEY_TAB: case EVENT_RIGHT_DOWN: case WINDOW_CANCEL: case KEY_ESC: return code;
    case KEY_UP: return (exits & EXIT_UP) != 0 ? code : GO_ON_READING;
    case KEY_DOWN: return (exits & EXIT_DOWN) != 0 ? code : GO_ON_READING;
    case KEY_LEFT: return (exits & EXIT_LEFT) != 0 ? code : GO_ON_READING;
    case KEY_RIGHT: return (exits & EXIT_RIGHT) != 0 ? code : GO_ON_READING;
    case KEY_PGUP: case KEY_PGDN: return (exits & EXIT_PAGE_KEYS) != 0 ? code : GO_ON_READING;
    case KEY_CTRL_F1:
      if (g_entry.help_hook != nullptr) g_entry.help_hook(g_entry.help_topic);
      return code;
    case EVENT_POINTER_MOVE:
      follow_mouse();
      return GO_ON_READING;
    default: break;
  }
  if (code > FIRST_PROGRAM_CODE) {
    g_form.redraw_level = std::max<uint8_t>(g_form.redraw_level, 1);
    return code;
  }
  if (code >= ' ' && code < 256) {
    if (value_type(box.flags) == 0) {
      push_input_code_front(code);
      return OPEN_ENTRY;
    }
    if (code == '*' || code == '/' || code == '+') {
      return value_type(box.flags) == FIELD_FLOAT ? field_calculator(static_cast<float*>(box.value))
                                                  : GO_ON_READING;
    }
    if (code < '-' || code > '9') return GO_ON_READING;
    push_input_code_front(code);
    return OPEN_ENTRY;
  }
  return GO_ON_READING;
}

}  // namespace

int16_t edit_number_box(int row, int column, int width, void* value, uint32_t flags,
                        uint16_t exit_keys) {
  if (value == nullptr) return KEY_ESC;
  const NumberBox box{row, column, width, value, flags, exit_keys};
  for (;;) {
    const EventCode code = wait_input_code();
    if ((code >= EVENT_CTRL_DOWN && code <= EVENT_ALT_UP) || code == EVENT_TICK ||
        (code >= EVENT_LEFT_UP && code <= EVENT_RIGHT_UP))
      continue;
    const int action = act_on_box_key(box, code);
    if (action == GO_ON_READING) continue;
    if (action == OPEN_ENTRY) return open_number_entry(box, 0);
    if (action == OPEN_AT_POINTER) return open_number_entry(box, FIELD_CARET_AT_POINTER);
    return static_cast<int16_t>(action);
  }
}

// ---- The pick list -------------------------------------------------------------------------------

namespace {

constexpr uint32_t PICK_LIST_MEDIUM = 0x20000000;
constexpr uint16_t PICK_LIST_OPTIONS = 120;
constexpr int PICK_LIST_WRAP = 125;
constexpr int PICK_ROWS_KEPT_FREE = 6;
constexpr int PICK_ROWS_BELOW = 3;
constexpr uint8_t PICK_THIRD_COLOUR_KIND = 0x20;
constexpr char THIRD_COLOUR = 0x0E;

int first_visible_char(const std::string& text) {
  for (unsigned char c : text)
    if (c >= ' ' && c != 0x08) return std::toupper(c);
  return 0;
}

// The pick list's keys: Enter or a click on a line chooses, Esc or the right button cancels, a
// typed character goes to the next line starting with it; the moves are the run loop's.
EventCode pick_list_key_filter() {
  TextWindow* w = g_windows.active;
  for (;;) {
    const EventCode code = wait_input_code();
    switch (code) {
      case KEY_ENTER: return WINDOW_ACCEPT;
      case KEY_ESC:
      case EVENT_RIGHT_DOWN:
      case EVENT_QUIT: return KEY_ESC;
      case EVENT_POINTER_MOVE: follow_mouse(); continue;
      case EVENT_LEFT_DOWN: {
        const int row = pointer_row();
        if (row < w->top_row || row > w->bottom_row || pointer_column() < w->left_column ||
            pointer_column() > w->right_column)
          return KEY_ESC;
        cursor_to_pointer_y(g_pointer.wanted_y);
        return WINDOW_ACCEPT;
      }
      case KEY_UP: case KEY_DOWN: case KEY_PGUP: case KEY_PGDN: case KEY_HOME: case KEY_END:
      case KEY_CTRL_PGUP: case KEY_CTRL_PGDN: return code;
      default: break;
    }
    if (code <= ' ' || code >= 256) continue;
    const int wanted = std::toupper(code);
    TextLine* from = g_lists.cursor_line != nullptr ? g_lists.cursor_line : g_lists.current.first;
    for (TextLine* line = from->next != nullptr ? from->next : g_lists.current.first;
         line != from; line = line->next != nullptr ? line->next : g_lists.current.first) {
      if (first_visible_char(line->text) != wanted) continue;
      find_and_show_line(w, [](TextLine* l, const char* key) { return l->text == key ? 0 : 1; },
                         line->text.c_str());
      return WINDOW_REDRAW;
    }
  }
}

}  // namespace

int pick_from_strings(const char* const* strings, const char* title, int row, int column,
                      int preselected, uint32_t window_flags) {
  if (strings == nullptr || strings[0] == nullptr) return -1;
  push_active_window();
  push_list();
  clear_current_list();
  int widest = title != nullptr ? display_length(title) + 1 : 0;
  int count = 0;
  for (; strings[count] != nullptr; ++count) {
    TextLine* line = append_line(strings[count]);
    if (line == nullptr) continue;
    line->id = static_cast<int16_t>(count);
    if (strings[count][0] == THIRD_COLOUR) line->kind |= PICK_THIRD_COLOUR_KIND;
    widest = std::max(widest, display_length(strings[count]));
  }
  const CellMetrics cells = (window_flags & PICK_LIST_MEDIUM) != 0
                                ? g_display.presets[FACE_ROLE_MENU]
                                : g_display.presets[FACE_ROLE_NORMAL];
  const int last_row = cells.last_row;
  const int top = std::max(1, std::min(row, last_row - PICK_ROWS_KEPT_FREE));
  const int bottom = std::min(top + count - 1, last_row - PICK_ROWS_BELOW);
  TextLine* node = create_window(nullptr, {
      .top_row = top, .left_column = column, .bottom_row = bottom,
      .right_column = column + widest, .flags = window_flags | WINDOW_KEEP_UNDER | 0x3,
      .key_filter = pick_list_key_filter, .line_drawer = draw_window_line,
      .options = PICK_LIST_OPTIONS, .wrap_width = PICK_LIST_WRAP, .title = title,
      .list_options = LIST_OPTION_FIRST_AREA,
  });
  pop_list();
  if (node == nullptr) {
    pop_active_window();
    return -1;
  }
  activate_window(node);
  const int chosen = std::clamp(preselected, 0, count - 1);
  find_and_show_line(g_windows.active,
                     [](TextLine* l, const char* key) { return l->id == std::atoi(key) ? 0 : 1; },
                     std::to_string(chosen).c_str());
  g_find.last_find_result = 0;
  const TextLine* line = run_window(node);
  const int result = line != nullptr ? line->id : -1;
  destroy_window(node);
  pop_active_window();
  return result;
}

void reset_entry_line() { g_entry = EntryLineState(); }
