// The key filters of list windows: editable lists (list_key_filter), menu and pick lists that add
// commands of their own (read_list_command), and the check-box list with an entry line at its end
// (check_choice_key_filter). Each reads one event, sorts it by the area under the cursor and
// hands the run loop a command.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/catalogue.h"
#include "store/line_fold.h"
#include "ui/dialog_form.h"
#include "ui/entry_line.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/pointer_motion.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

CheckChoice g_check_choice;

int list_right_margin(uint32_t options);

namespace {

constexpr EventCode KEY_F3 = 317;
constexpr EventCode KEY_F4 = 318;
constexpr EventCode KEY_F10_CODE = 324;
constexpr EventCode KEY_CTRL_C_CODE = KEY_CTRL_BASE + 'C';
constexpr EventCode KEY_CTRL_F_CODE = KEY_CTRL_BASE + 'F';
constexpr EventCode KEY_CTRL_R_CODE = KEY_CTRL_BASE + 'R';
constexpr EventCode KEY_CTRL_S_CODE = KEY_CTRL_BASE + 'S';
constexpr EventCode KEY_CTRL_U_CODE = KEY_CTRL_BASE + 'U';
constexpr EventCode KEY_CTRL_V_CODE = KEY_CTRL_BASE + 'V';
constexpr EventCode KEY_ALT_T_CODE = 276;
constexpr EventCode KEY_ALT_S_CODE = 287;
constexpr EventCode LIST_STARTS_EDIT_ABOVE = 454;
constexpr uint8_t DRAG_IDLE = 255;
constexpr uint8_t SEPARATOR_KIND = 32;

bool has_marks(const TextWindow* w) { return (w->list_options & LIST_MARK_COLUMN) != 0; }
int text_area(const TextWindow* w) { return has_marks(w) ? 1 : 0; }
bool is_empty_text(const TextLine* line) {
  return line == nullptr || line->text.empty() || line->text == "\n";
}
bool button_held() { return g_pointer.button_bits != 0; }

// The first column and the width of an area of the active window.
void area_span(const TextWindow* w, int area, int* column, int* width) {
  const uint32_t options = w->list_options;
  const int margin = list_right_margin(options);
  const int far = (options & (LIST_FAR_CHECK | LIST_FAR_BUTTON)) != 0 ? 2 : 0;
  const int marks = has_marks(w) ? 2 : 0;
  if (area == 0 && marks != 0) {
    *column = w->left_column;
    *width = 2;
  } else if (area == text_area(w)) {
    *column = w->left_column + marks;
    *width = std::max(1, w->columns - marks - margin);
  } else if (area == 3) {
    *column = w->right_column - 1;
    *width = 2;
  } else {
    *column = w->right_column - margin + 1;
    *width = std::max(1, margin - far);
  }
}

// The help text of an area's kind: moves and selections the first, checks the third, the rest
// the second.
void show_area_help(const TextWindow* w, int kind) {
  const int index = kind == LIST_KIND_MOVE || kind == LIST_KIND_SELECT ? 0
                    : kind == LIST_KIND_CHECK                          ? 2
                                                                       : 1;
  if (w->help_texts[index] != nullptr) show_help_text_line(w->help_texts[index]);
}

void toggle_check(TextLine* line) {
  if (line == nullptr) return;
  line->state ^= LINE_STATE_CHECKED;
  line->state |= LINE_STATE_REDRAW;
  if (g_windows.active != nullptr) g_windows.active->flags |= WINDOW_CHANGED;
  g_windows.redraw_pending = 1;
}

int count_checked() {
  int n = 0;
  for (const TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
    if ((line->state & LINE_STATE_CHECKED) != 0) ++n;
  return n;
}

// When more lines are checked than the list allows, the list's message says so; the accept goes
// on (the caller decides).
void check_maximum() {
  if (g_list.max_checked <= 0 || g_list.max_checked_message == 0) return;
  const int checked = count_checked();
  if (checked <= g_list.max_checked) return;
  if (find_message(g_list.max_checked_message) == 0) return;
  std::string format;
  while (read_message_line(0) > 0) format += std::string(message_text()) + "\n";
  // The message's two numbers, put in place of its "%d"s: the text is never a printf format.
  const int numbers[2] = {checked, g_list.max_checked};
  std::string text;
  int used = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format.compare(i, 2, "%d") == 0 && used < 2) {
      text += std::to_string(numbers[used++]);
      ++i;
    } else {
      text += format[i];
    }
  }
  show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY);
}

// A click moves the cursor to the clicked row and chooses the area under the pointer; true when
// the line or the area changed.
bool move_to_click(TextWindow* w) {
  const int ch = g_display.current.cell_height;
  TextLine* before = g_lists.cursor_line;
  const int area_before = w->cursor_column;
  if (ch > 0) {
    const int target = g_pointer.wanted_y / ch - w->top_row;
    while (w->cursor_row < target) {
      TextLine* next = next_visible_line(g_lists.cursor_line);
      if (next == nullptr) break;
      g_lists.cursor_line = next;
      ++w->cursor_row;
    }
    while (w->cursor_row > target && w->cursor_row > 0) {
      TextLine* prev = prev_visible_line(g_lists.cursor_line);
      if (prev == nullptr) break;
      g_lists.cursor_line = prev;
      --w->cursor_row;
    }
  }
  const int area = list_area_at_pointer();
  if (area >= 0 && area < list_area_count()) w->cursor_column = static_cast<int16_t>(area);
  if (before != g_lists.cursor_line) {
    if (before != nullptr) before->state |= LINE_STATE_REDRAW;
    g_lists.cursor_line->state |= LINE_STATE_REDRAW;
    g_windows.redraw_pending = 1;
  }
  return before != g_lists.cursor_line || area_before != w->cursor_column;
}

// Edits the cursor line in place; a key from Up to PgDn that ended the edit comes back, else 0.
EventCode edit_line_in_place(TextWindow* w, const std::string& start, EventCode posted,
                             const std::string& fixed = "") {
  std::vector<char> text(LINE_TEXT_MAX + 1, 0);
  std::string initial = start.substr(std::min(fixed.size(), start.size()));
  if (!initial.empty() && initial.back() == '\n') initial.pop_back();
  std::memcpy(text.data(), initial.data(), std::min<size_t>(initial.size(), LINE_TEXT_MAX));
  if (posted != 0) push_input_code_front(posted);
  int column = 0;
  int width = 0;
  area_span(w, w->cursor_column, &column, &width);
  column += static_cast<int>(fixed.size());
  uint32_t flags = FIELD_PLAIN_TEXT;
  if ((w->options & WINDOW_OPTION_MEDIUM_FONT) != 0) flags |= FIELD_MEDIUM_FONT;
  const int16_t result =
      edit_text_line(text.data(), w->top_row + w->cursor_row, column, nullptr, flags,
                     std::max(1, std::min(w->columns - 3, ENTRY_MOST_CHARS)),
                     EXIT_UP | EXIT_DOWN | EXIT_PAGE_KEYS);
  if (result < 0 && g_lists.cursor_line != nullptr) {
    // The line keeps its own ending: lines that end with a newline keep one, others stay bare.
    const bool newline = !g_lists.cursor_line->text.empty() && g_lists.cursor_line->text.back() == '\n';
    const std::string changed = fixed + std::string(text.data()) + (newline ? "\n" : "");
    set_line_text(changed.c_str(), g_lists.cursor_line);
    g_lists.cursor_line->state |= LINE_STATE_REDRAW;
    w->flags |= WINDOW_CHANGED;
    g_windows.redraw_pending = 1;
    ++g_lists.lines_changed;
  }
  const EventCode ended = static_cast<EventCode>(result < 0 ? -result : result);
  return ended >= KEY_UP && ended <= KEY_PGDN ? ended : 0;
}

// Keys that open the line's text for editing with the key handed to the entry.
bool starts_edit_of_text(EventCode code, const TextWindow* w) {
  if (code == KEY_CTRL_V_CODE || code == KEY_END || code == KEY_BACKSPACE) return true;
  if (code == KEY_HOME && w->text_column == 0) return true;
  if (code >= KEY_F4 && code <= KEY_F10_CODE) return true;
  return code > LIST_STARTS_EDIT_ABOVE && code < EVENT_REDRAW;
}

// What a kind-4 (text) area does with a key; -1 when the key is not the area's.
int text_area_key(TextWindow* w, EventCode code) {
  TextLine* line = g_lists.cursor_line;
  switch (code) {
    case KEY_CTRL_C_CODE:
      if (line != nullptr) {
        std::string text = line->text;
        if (!text.empty() && text.back() == '\n') text.pop_back();
        copy_to_text_clipboard(text.c_str());
      }
      return 0;
    case KEY_CTRL_R_CODE:
    case KEY_CTRL_F_CODE:
      if (code == KEY_CTRL_R_CODE && (line == nullptr || line->text.find('\n') == std::string::npos))
        return 0;
      w->remembered_area = AREA_REDRAW_FRAME;
      return code == KEY_CTRL_R_CODE ? WINDOW_REPLACE : WINDOW_FIND;
    case KEY_F1: return LIST_HELP;
    case KEY_F3: return WINDOW_REPEAT_FIND;
    case KEY_ALT_T_CODE:
    case KEY_ALT_S_CODE:
      ++g_lists.lines_changed;
      return code;
    case KEY_CTRL_S_CODE: return WINDOW_SORT_ALL;
    default: break;
  }
  if (line == nullptr) return -1;
  if (starts_edit_of_text(code, w)) {
    const EventCode posted = code == KEY_CTRL_V_CODE ? KEY_INS : code;
    return edit_line_in_place(w, line->text, posted);
  }
  if (code >= 32 && code <= 255) {
    // Typing replaces the line.
    return edit_line_in_place(w, "", code);
  }
  return -1;
}

// Del and Ins, unless the list is fixed.
int insert_or_delete(TextWindow* w, EventCode code) {
  if ((w->flags & WINDOW_FIXED_LIST) != 0) return 0;
  if (code == KEY_DEL) {
    const TextLine* line = g_lists.cursor_line;
    const bool asks = (w->flags & 0x800) != 0 && line != nullptr && !is_empty_text(line);
    return asks ? WINDOW_DELETE_LINE : WINDOW_DELETE_LINE_NOW;
  }
  TextLine* line = insert_line("\n", {}, g_lists.cursor_line);
  if (line != nullptr) {
    g_lists.cursor_line = line;
    w->flags |= WINDOW_CHANGED;
    ++g_lists.lines_changed;
    request_full_redraw();
  }
  return 0;
}

// Down on the last line appends an empty line first when that line holds text.
void grow_at_the_end(TextWindow* w) {
  TextLine* line = g_lists.cursor_line;
  if (line == nullptr || line->next != nullptr || is_empty_text(line)) return;
  if ((w->flags & WINDOW_FIXED_LIST) != 0 || w->cursor_column != g_windows.initial_area) return;
  append_line("\n");
  ++g_lists.lines_changed;
}

// The help key: the list's help topic, and a redraw when the help left one pending.
void list_help() {
  if (g_form_hooks.help != nullptr) g_form_hooks.help(g_list.help_topic);
  if (g_form.redraw_level != 0) request_full_redraw();
}

// Reads one event for the current area; the drag-check state paints the lines the held button
// passes. 0 and `*painted` when a line was painted.
EventCode read_area_event(TextWindow* w, int kind, bool* painted) {
  *painted = false;
  int column = 0;
  int width = 0;
  area_span(w, w->cursor_column, &column, &width);
  g_field.display_row = w->top_row + w->cursor_row;
  g_field.value_column = column;
  if (kind == LIST_KIND_TEXT) return read_field_event(width);
  TextLine* line = g_lists.cursor_line;
  if (g_list.drag_check != DRAG_IDLE && line != nullptr && button_held() &&
      ((line->state & LINE_STATE_CHECKED) != 0) != (g_list.drag_check != 0)) {
    toggle_check(line);
    *painted = true;
    return LIST_TOGGLED;
  }
  return read_list_event(width);
}

// Saves and puts back the form hooks' tick hook around one read.
struct TickHookScope {
  EventCode (*saved)() = g_form_hooks.tick;
  TickHookScope() { g_form_hooks.tick = list_repaint_tick; }
  ~TickHookScope() { g_form_hooks.tick = saved; }
};

// The steps every call of the list filters begins with.
void begin_list_call(TextWindow* w) {
  if (g_run.first_call) {
    if (has_marks(w) && list_area_count() > 1) w->cursor_column = 1;
    if (g_lists.current.first == nullptr) g_lists.cursor_line = append_line("\n");
  }
  if (w->remembered_area == AREA_REDRAW_FRAME) {
    w->cursor_column = g_windows.initial_area;
    w->text_column = 0;
    w->remembered_area = AREA_NONE;
    draw_window_frame(0);
  }
  const int count = list_area_count();
  w->cursor_column = static_cast<int16_t>(std::clamp<int>(w->cursor_column, 0, count - 1));
  if (w->cursor_column != w->remembered_area) {
    w->remembered_area = w->cursor_column;
    show_area_help(w, list_area_kind(w->cursor_column));
  }
}

}  // namespace

EventCode list_repaint_tick() {
  if (g_lists.lines_changed != 0 || g_form.redraw_level != 0 || g_windows.redraw_pending != 0)
    return EVENT_REDRAW;
  return 0;
}

EventCode read_list_event(int mode) {
  const EventCode code = read_window_event(mode);
  // The lists act on characters themselves: the copy the reader put back goes.
  if (code >= 32 && code <= 255) poll_input_code(0);
  TextWindow* w = g_windows.active;
  if (w != nullptr && g_lists.cursor_line != nullptr && g_windows.line_drawer != nullptr)
    g_windows.line_drawer(w->top_row + w->cursor_row, g_lists.cursor_line);
  return code;
}

EventCode list_key_filter() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return KEY_ESC;
  begin_list_call(w);
  // The held middle button keeps scrolling until it is let go.
  if (g_scroll_repeat.active) {
    const EventCode repeated = repeat_scroll_button(false);
    if (repeated != 0) return repeated;
    if (g_scroll_repeat.active) return 0;
  }
  TickHookScope tick;
  for (;;) {
    const int area = w->cursor_column;
    const int kind = list_area_kind(area);
    bool painted = false;
    EventCode code = read_area_event(w, kind, &painted);
    if (painted) return code;
    if (code == KEY_CTRL_ENTER) code = KEY_ENTER;
    switch (code) {
      case KEY_ESC:
      case EVENT_QUIT:
      case EVENT_RIGHT_DOWN: return KEY_ESC;
      case WINDOW_CANCEL: return EVENT_LEFT_DOWN;  // a click outside: the caller decides
      case EVENT_LEFT_UP:
        g_list.drag_check = DRAG_IDLE;
        continue;
      case EVENT_REDRAW:
        request_full_redraw();
        return WINDOW_REDRAW;
      case EVENT_MIDDLE_DOWN: return repeat_scroll_button(true);
      case KEY_UP:
      case KEY_PGUP:
      case KEY_PGDN:
      case KEY_CTRL_PGUP:
      case KEY_CTRL_PGDN:
      case WINDOW_DRAG_DOWN:
      case WINDOW_DRAG_UP:
        if (kind == LIST_KIND_MOVE && code == KEY_UP) return move_checked_lines(WINDOW_MOVE_LINE_UP);
        return code;
      case KEY_DOWN:
        if (kind == LIST_KIND_MOVE) {
          const TextLine* line = g_lists.cursor_line;
          if (line != nullptr && line->next != nullptr && line->next->next == nullptr &&
              is_empty_text(line->next))
            return 0;
          return move_checked_lines(WINDOW_MOVE_LINE_DOWN);
        }
        grow_at_the_end(w);
        return code;
      case KEY_DEL:
      case KEY_INS: return insert_or_delete(w, code);
      case KEY_CTRL_F1:
        list_help();
        return 0;
      default: break;
    }
    if (code == EVENT_LEFT_DOWN) {
      if (pointer_in_window() == 0) return EVENT_LEFT_DOWN;
      if (move_to_click(w)) return 0;
    }
    const bool click = code == EVENT_LEFT_DOWN;
    if (code == KEY_ENTER || click) {
      switch (list_area_kind(w->cursor_column)) {
        case LIST_KIND_CHECK:
          toggle_check(g_lists.cursor_line);
          if (click && g_lists.cursor_line != nullptr)
            g_list.drag_check = (g_lists.cursor_line->state & LINE_STATE_CHECKED) != 0 ? 1 : 0;
          return LIST_TOGGLED;
        case LIST_KIND_TEXT:
          if ((w->flags & WINDOW_ENTER_ACCEPTS) != 0) {
            check_maximum();
            return click ? LIST_CLICK_ACCEPT : WINDOW_ACCEPT;
          }
          return edit_line_in_place(w, g_lists.cursor_line->text, 0);
        case LIST_KIND_BUTTON: return EVENT_LEFT_DOWN;
        case LIST_KIND_MOVE: return click ? EVENT_LEFT_DOWN : 0;
        default: continue;
      }
    }
    if (code == KEY_LEFT || code == KEY_RIGHT) {
      if (button_held()) continue;
      if (code == KEY_RIGHT) {
        if (area == 0 && list_area_count() > 1) {
          w->cursor_column = 1;
          return 0;
        }
        return KEY_RIGHT;
      }
      if (area == 0) {
        if (kind == LIST_KIND_TEXT && !is_empty_text(g_lists.cursor_line))
          return edit_line_in_place(w, g_lists.cursor_line->text, KEY_LEFT);
        return LIST_LEAVE;
      }
      if (area == text_area(w) && is_empty_text(g_lists.cursor_line)) continue;
      return KEY_LEFT;
    }
    if (code == ' ') {
      if ((w->list_options & LIST_SPACE_TOGGLES) != 0) {
        push_input_code(KEY_DOWN);
        toggle_check(g_lists.cursor_line);
        return LIST_TOGGLED;
      }
      if (kind != LIST_KIND_TEXT) return KEY_DOWN;
    }
    if (code == KEY_HOME) return kind == LIST_KIND_TEXT && w->text_column == 0
                                  ? edit_line_in_place(w, g_lists.cursor_line->text, KEY_HOME)
                                  : KEY_CTRL_PGUP;
    if (code == KEY_END && kind != LIST_KIND_TEXT) return KEY_CTRL_PGDN;
    if (kind == LIST_KIND_TEXT) {
      const int result = text_area_key(w, code);
      if (result >= 0) return static_cast<EventCode>(result);
    }
    // Anything else is dropped, and the loop reads on.
  }
}

// ---- Menus and pick lists -----------------------------------------------------------------------

namespace {

bool is_legend_letter(EventCode code) {
  const char* legend = g_windows.legend;
  if (legend == nullptr || code <= 0 || code > 255) return false;
  const char upper = static_cast<char>(std::toupper(code));
  return std::strchr(legend, upper) != nullptr;
}

}  // namespace

EventCode read_list_command() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return KEY_ESC;
  begin_list_call(w);
  TickHookScope tick;
  for (;;) {
    if (g_events.quit_requested) return KEY_ESC;
    const int area = w->cursor_column;
    const int kind = list_area_kind(area);
    bool painted = false;
    EventCode code = read_area_event(w, kind == LIST_KIND_TEXT ? LIST_KIND_SELECT : kind, &painted);
    if (painted) return code;
    if (code == KEY_CTRL_ENTER) code = KEY_ENTER;
    switch (code) {
      case KEY_ESC:
      case EVENT_QUIT:
      case EVENT_RIGHT_DOWN: return KEY_ESC;
      case WINDOW_CANCEL:
      case EVENT_CTRL_UP:
      case EVENT_ALT_UP: return code;
      case LIST_DRAW_CURSOR_LINE:
        if (g_lists.cursor_line != nullptr && g_windows.line_drawer != nullptr)
          g_windows.line_drawer(w->top_row + w->cursor_row, g_lists.cursor_line);
        return 0;
      case EVENT_LEFT_UP:
        g_list.drag_check = DRAG_IDLE;
        continue;
      case EVENT_REDRAW:
        request_full_redraw();
        return WINDOW_REDRAW;
      case KEY_CTRL_F1:
        list_help();
        return 0;
      case KEY_F3: return WINDOW_REPEAT_FIND;
      case KEY_CTRL_F_CODE: return WINDOW_FIND;
      case KEY_CTRL_U_CODE:
        if ((w->list_options & LIST_SPACE_TOGGLES) == 0) break;
        for (TextLine* line = g_lists.current.first; line != nullptr; line = line->next)
          if ((line->state & LINE_STATE_CHECKED) != 0) toggle_check(line);
        return LIST_TOGGLED;
      default: break;
    }
    if (code == EVENT_LEFT_DOWN) {
      if (pointer_in_window() == 0) return EVENT_LEFT_DOWN;
      if (move_to_click(w)) return 0;
    }
    const bool click = code == EVENT_LEFT_DOWN;
    if (code == KEY_ENTER || click) {
      switch (list_area_kind(w->cursor_column)) {
        case LIST_KIND_CHECK:
          toggle_check(g_lists.cursor_line);
          if (click && g_lists.cursor_line != nullptr)
            g_list.drag_check = (g_lists.cursor_line->state & LINE_STATE_CHECKED) != 0 ? 1 : 0;
          return LIST_TOGGLED;
        case LIST_KIND_TEXT:
          if ((w->flags & WINDOW_ENTER_ACCEPTS) != 0) {
            check_maximum();
            return click ? LIST_CLICK_ACCEPT : WINDOW_ACCEPT;
          }
          return code;
        case LIST_KIND_MOVE:
          if (click) return EVENT_LEFT_DOWN;
          continue;
        default: return code;
      }
    }
    if (code == ' ' && (w->list_options & LIST_SPACE_TOGGLES) != 0) {
      push_input_code(KEY_DOWN);
      toggle_check(g_lists.cursor_line);
      return LIST_TOGGLED;
    }
    const bool line_area = area == text_area(w);
    if (code == KEY_LEFT && line_area) return LIST_LEAVE;
    if (code == KEY_HOME && area > 0) return KEY_LEFT;
    if (code == KEY_END && area < list_area_count() - 1) return KEY_RIGHT;
    if (line_area && code > 0 && code < 256 && std::isalpha(code)) {
      // A window that takes letters itself takes 'F' too.
      if ((w->flags & WINDOW_LETTERS_TO_CALLER) != 0) return code;
      if (std::toupper(code) == 'F') return WINDOW_FIND;
      if (is_legend_letter(code)) return static_cast<EventCode>(std::toupper(code));
      continue;
    }
    if (kind == LIST_KIND_MOVE && (code == KEY_UP || code == KEY_DOWN))
      return code == KEY_UP ? WINDOW_MOVE_LINE_UP : WINDOW_MOVE_LINE_DOWN;
    return code;
  }
}

// ---- The check-choice list -------------------------------------------------------------------

namespace {

constexpr uint32_t CHOICE_PRESET = 0x80000000u;
constexpr char CHOICE_PREFIX[] = "xxxx";

bool is_separator_text(const std::string& text) {
  return !text.empty() && (text[0] == '\x0E' || text[0] == '\n');
}

// Presets the lines: every line but the last gets the box prefix and its check from the mask;
// lines of the third colour or a newline become separators.
void preset_choice_lines(uint32_t mask) {
  int bit = 0;
  for (TextLine* line = g_lists.current.first; line != nullptr && line->next != nullptr;
       line = line->next) {
    if (is_separator_text(line->text)) {
      line->kind = SEPARATOR_KIND;
      continue;
    }
    if (line->text.compare(0, 4, CHOICE_PREFIX) != 0)
      set_line_text((CHOICE_PREFIX + line->text).c_str(), line);
    if (bit < 31 && (mask & (1u << bit)) != 0)
      line->state |= LINE_STATE_CHECKED;
    else
      line->state &= static_cast<uint8_t>(~LINE_STATE_CHECKED);
    ++bit;
  }
}

uint32_t collect_choice_mask() {
  uint32_t mask = 0;
  int bit = 0;
  for (const TextLine* line = g_lists.current.first; line != nullptr && line->next != nullptr;
       line = line->next) {
    if (line->kind == SEPARATOR_KIND) continue;
    if (bit < 31 && (line->state & LINE_STATE_CHECKED) != 0) mask |= 1u << bit;
    ++bit;
  }
  return mask;
}

}  // namespace

EventCode check_choice_key_filter() {
  TextWindow* w = g_windows.active;
  if (w == nullptr) return KEY_ESC;
  if (g_run.first_call && (g_check_choice.mask & CHOICE_PRESET) != 0) {
    preset_choice_lines(g_check_choice.mask);
    const TextLine* entry = g_lists.current.last;
    std::string fixed = entry != nullptr ? entry->text : "";
    if (!fixed.empty() && fixed.back() == '\n') fixed.pop_back();
    g_check_choice.fixed_length = fixed.size();
    g_check_choice.mask &= ~CHOICE_PRESET;
    request_full_redraw();
  }
  TickHookScope tick;
  for (;;) {
    TextLine* line = g_lists.cursor_line;
    const bool last = line != nullptr && line->next == nullptr;
    g_field.display_row = w->top_row + w->cursor_row;
    g_field.value_column = w->left_column;
    EventCode code = read_list_event(w->columns);
    if (code == KEY_CTRL_ENTER) code = KEY_ENTER;
    if (code == EVENT_LEFT_DOWN && pointer_in_window() != 0) {
      if (move_to_click(w) && g_lists.cursor_line->next != nullptr) {
        toggle_check(g_lists.cursor_line);
        g_list.drag_check = (g_lists.cursor_line->state & LINE_STATE_CHECKED) != 0 ? 1 : 0;
        return LIST_TOGGLED;
      }
      line = g_lists.cursor_line;
      if (line->next != nullptr) {
        toggle_check(line);
        g_list.drag_check = (line->state & LINE_STATE_CHECKED) != 0 ? 1 : 0;
        return LIST_TOGGLED;
      }
      code = KEY_ENTER;
    }
    switch (code) {
      case KEY_ESC:
      case EVENT_QUIT:
      case EVENT_RIGHT_DOWN: return KEY_ESC;
      case EVENT_REDRAW:
        request_full_redraw();
        return WINDOW_REDRAW;
      case EVENT_LEFT_UP:
        g_list.drag_check = DRAG_IDLE;
        continue;
      case KEY_DEL: continue;
      default: break;
    }
    if (code == ' ' && !last) {
      if (line != nullptr && line->kind != SEPARATOR_KIND) toggle_check(line);
      return KEY_DOWN;
    }
    if (code == KEY_ENTER) {
      if (!last) {
        if (line != nullptr && line->kind != SEPARATOR_KIND) toggle_check(line);
        return LIST_TOGGLED;
      }
      g_check_choice.mask = collect_choice_mask();
      return WINDOW_ACCEPT;
    }
    if (last && ((code >= 32 && code < 256) || code == KEY_HOME || code == KEY_BACKSPACE)) {
      // The entry text follows the line's fixed part, which stays.
      const size_t fixed = std::min<size_t>(g_check_choice.fixed_length, line->text.size());
      edit_line_in_place(w, line->text, code, line->text.substr(0, fixed));
      continue;
    }
    if (!last && code > 0 && code < 256 && std::isalnum(code)) {
      g_find.search_text = std::string("\v") + static_cast<char>(code) + "\x13";
      return WINDOW_FIND_FROM_TOP;
    }
    if (code == KEY_END) return KEY_PGDN;
    if (code == KEY_HOME) return KEY_PGUP;
    if (code >= KEY_HOME && code <= KEY_PGDN) return code;
    if (is_legend_letter(code)) return code;
  }
}

void draw_choice_check_line(int row, TextLine* line) {
  if (line == nullptr) return;
  if (line->kind == SEPARATOR_KIND || line->next == nullptr || line->text.size() < 4) {
    draw_window_line(row, line);
    return;
  }
  // The box glyph pairs stand over the prefix while the line is drawn; its bytes come back.
  const std::string prefix = line->text.substr(0, 4);
  const bool checked = (line->state & LINE_STATE_CHECKED) != 0;
  line->text[0] = '\x08';
  line->text[1] = checked ? '<' : '?';
  line->text[2] = '\x08';
  line->text[3] = checked ? '=' : '@';
  draw_window_line(row, line);
  line->text.replace(0, 4, prefix);
}
