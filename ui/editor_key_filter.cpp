#include "ui/editor_key_filter.h"

#include <cstdlib>

#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/tick_clock.h"
#include "store/line_list.h"
#include "ui/dialog_form.h"
#include "ui/edit_buffers.h"
#include "ui/editor_key_map.h"
#include "ui/key_pushback.h"
#include "ui/line_numbers.h"
#include "ui/list_window.h"
#include "ui/message_box.h"
#include "ui/pointer_motion.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/wait_events.h"

EditorKeyFilterState g_editor_keys;

namespace {

constexpr EventCode KEY_CTRL_F4 = 353;
constexpr EventCode KEY_CTRL_S = KEY_CTRL_BASE + 'S';
constexpr EventCode NC_KEY_MAP_FIRST = 544;  // codes from here on (and 257-429) are page keys
constexpr EventCode PAGE_KEYS_FIRST = 257;
constexpr EventCode PAGE_KEYS_LAST = 429;
constexpr int APPEND_LINE_MOST_BLANKS = 9;
constexpr char LEAVE_QUESTION[] = "\x1d!!Want to save the changes you made?";
constexpr int HOLD_REPEAT_TICKS = 4;
constexpr int HOLD_PAGE_UNITS = 5;

// The low bytes of the codes editor windows let through besides typing: the cursor keys, the
// drag codes and a few control characters (the font and symbol pickers show the same list).
constexpr unsigned char NAVIGATION_BYTES[] = {
    'K', 'M', 'O', 'G', 'S', 'H', 'P', 'I', 'R', 'Q', 0xB7, 0xB8, 0xB9, 0xBA,
    0x1F, 0x19, 0x14, 0x16, '&', 0x18, 's', 't', 0x84, 'v'};

bool list_like(const TextWindow* w) { return (w->flags & WINDOW_ENTER_ACCEPTS) != 0; }

bool blank_text(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > ' ') return false;
  return true;
}

int blank_lines(const TextWindow* w) {
  int count = 0;
  for (const TextLine* l = w->first_line; l != nullptr; l = l->next)
    if (blank_text(l->text)) ++count;
  return count;
}

// Uncovering or resizing the screen redraws the window where it stands; a display-mode change
// that a resize left pending is applied first. Whatever was typed stays in the window.
void repaint_in_place() {
  if (g_form.resize_pending != RESIZE_NONE) {
    set_display_mode(g_interface.display_choice);
    g_form.resize_pending = RESIZE_NONE;
  }
  // The run loop draws the frame and every line before it reads the next code.
  if (g_form.redraw_level == 0) g_form.redraw_level = 1;
  request_full_redraw();
}

// Asks whether a changed text is to be saved: 450 yes, 27 no or nothing to save, 0 back to
// editing (Esc in the question), 5555 a quit.
EventCode leave_question() {
  const TextWindow* w = g_windows.active;
  if ((w->flags & WINDOW_CHANGED) == 0 || list_like(w)) return KEY_ESC;
  const int16_t answer = ask_yes_no(LEAVE_QUESTION, 1);
  switch (answer) {
    case 1: return WINDOW_ACCEPT;
    case 0: return KEY_ESC;
    case EVENT_QUIT: return EVENT_QUIT;
    default:
      repaint_in_place();
      return 0;
  }
}

EventCode left_click() {
  const bool outside = pointer_in_window() == 0;
  if (g_pointer.shape == POINTER_OUTSIDE_WINDOW) return leave_question();
  if (hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y) >= 0) return EVENT_LEFT_DOWN;
  if (g_pointer.shape == POINTER_BELOW_DRAWING) return 0;
  // A click beside the window leaves it as a click on its outside does.
  if (outside) return leave_question();
  cursor_to_pointer_y(g_pointer.wanted_y);
  caret_to_pointer_column(g_pointer.wanted_x);
  return WINDOW_CLICK;
}

EventCode pointer_move() {
  const bool middle = (g_pointer.button_bits & WINDOW_BUTTON_MIDDLE) != 0 &&
                      (g_pointer.button_bits & ~WINDOW_BUTTON_MIDDLE) == 0;
  const int result = pointer_to_editor_keys();
  return middle ? static_cast<EventCode>(result) : 0;
}

EventCode page_key(EventCode code) {
  return g_buffer_entries.nc_editor_key_map != nullptr ? g_buffer_entries.nc_editor_key_map(code)
                                                       : code;
}

// One event sorted; -1 reads on.
int sort_event(EventCode code) {
  TextWindow* w = g_windows.active;
  if (code == EVENT_REDRAW) {
    repaint_in_place();
    return 0;
  }
  if (code >= EVENT_ALT_KEYPAD_BASE) return code;
  if (code == KEY_ENTER) return list_like(w) ? WINDOW_ACCEPT : KEY_ENTER;
  if (code == KEY_BACKSPACE || (code >= ' ' && code <= 255)) return code;
  if (code == KEY_TAB) return (w->flags & WINDOW_WORD_WRAP) != 0 ? code : -1;
  switch (code) {
    case KEY_ESC: {
      const EventCode answer = leave_question();
      return answer == 0 ? -1 : answer;
    }
    case EVENT_LEFT_DOWN: {
      const EventCode result = left_click();
      return result == 0 ? -1 : result;
    }
    case KEY_CTRL_F4: return WINDOW_ACCEPT;
    case KEY_CTRL_S: return list_like(w) ? -1 : WINDOW_ACCEPT;
    case KEY_DOWN:
      if (g_lists.cursor_line != nullptr && g_lists.cursor_line->next == nullptr &&
          g_lists.block_start == nullptr && !list_like(w))
        return blank_lines(w) <= APPEND_LINE_MOST_BLANKS ? WINDOW_APPEND_LINE : 0;
      break;
    case EVENT_POINTER_MOVE: return pointer_move();
    case EVENT_LEFT_UP:
      return g_pointer.shape == POINTER_BELOW_DRAWING ? -1 : WINDOW_RELEASE;
    case EVENT_RIGHT_DOWN:
    case KEY_CTRL_F2: return -1;
    case KEY_CTRL_F1:
      if (g_form_hooks.help != nullptr) g_form_hooks.help(g_editor_keys.help_topic);
      return -1;
    default: break;
  }
  if (const EventCode clip = map_clipboard_keys(code); clip != 0) return clip;
  if (code == KEY_DEL) return -1;  // a Del that does nothing
  if (code >= NC_KEY_MAP_FIRST || (code >= PAGE_KEYS_FIRST && code <= PAGE_KEYS_LAST))
    return page_key(code);
  return is_navigation_code(code) ? code : -1;
}

}  // namespace

bool is_navigation_code(EventCode code) {
  const unsigned char low = static_cast<unsigned char>(code & 0xFF);
  if (low == 0) return true;
  for (unsigned char b : NAVIGATION_BYTES)
    if (b == low) return true;
  return false;
}

EventCode editor_key_filter() {
  set_pointer_shape(POINTER_TEXT);
  for (;;) {
    if (g_windows.active == nullptr) return wait_input_code();
    const int result = sort_event(wait_event_at_cursor());
    if (result >= 0) return static_cast<EventCode>(result);
  }
}

int editor_mouse_hold(int button_id, EventCode* code) {
  if (g_pointer.button_bits != WINDOW_BUTTON_LEFT) {
    g_editor_keys.last_clicked_button = -1;
    g_editor_keys.hold_dy = 0;
    return 0;
  }
  if (g_editor_keys.last_clicked_button == button_id) {
    number_lines(1);
    draw_line_counter();
    set_pointer_shape(POINTER_HAND_PRESSED);
    drag_to_scroll_keys();
    return 1;
  }
  if (g_editor_keys.last_clicked_button < 0) {
    hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y);
    return 0;
  }
  int dx = 0;
  int dy = 0;
  mouse_delta(&dx, &dy);
  g_editor_keys.hold_dy += dy;
  while (std::abs(g_editor_keys.hold_dy) > HOLD_PAGE_UNITS) {
    const bool up = g_editor_keys.hold_dy < 0;
    push_back_key(up ? KEY_PGUP : KEY_PGDN);
    g_editor_keys.hold_dy += up ? HOLD_PAGE_UNITS : -HOLD_PAGE_UNITS;
  }
  if (g_clock.ticks - g_editor_keys.press_tick < HOLD_REPEAT_TICKS) return 0;
  *code = static_cast<EventCode>(g_editor_keys.last_clicked_button);
  return 1;
}

void reset_editor_key_filter() { g_editor_keys = EditorKeyFilterState(); }
