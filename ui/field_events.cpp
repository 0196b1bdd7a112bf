// The events of a form's current field: reading one while the field's caret blinks, the pointer
// over the fields, repainting the form in place, and the letter-cycle keys.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "screen/boxes.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "ui/catalogue_menu.h"
#include "ui/dialog_form.h"
#include "ui/list_window.h"
#include "ui/pointer_motion.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

namespace {

constexpr uint32_t LIST_OPTION_NO_SIDEWAYS = 0x04000000;
constexpr int16_t POINTER_DIALOG = POINTER_ARROW;

bool is_typed_character(EventCode code) { return code >= 32 && code <= 255; }

bool pointer_on_cursor_row_value(int width) {
  const TextWindow* w = g_windows.active;
  const int cw = g_display.current.cell_width;
  const int ch = g_display.current.cell_height;
  if (w == nullptr || cw <= 0 || ch <= 0) return false;
  const int column = g_pointer.wanted_x / cw;
  return g_pointer.wanted_y / ch == w->top_row + w->cursor_row &&
         column >= g_field.value_column && column <= g_field.value_column + width;
}

// A left click: outside the form it cancels; on the current value it may act as Enter.
EventCode left_click(int width) {
  g_field.last_pointer_event = EVENT_LEFT_DOWN;
  if (g_form_hooks.click != nullptr) {
    const EventCode taken = g_form_hooks.click();
    if (taken >= 0) return taken;
  }
  if (pointer_in_window() == 0) return WINDOW_CANCEL;
  const int shape = g_pointer.shape;
  const bool entering_shape = shape == 1 || shape == 7 || shape == 8 || shape == 9;
  if (g_form_hooks.click_enters && entering_shape && pointer_on_cursor_row_value(width))
    return KEY_ENTER;
  return EVENT_LEFT_DOWN;
}

// Pointer motion: toward another row it becomes Up or Down keys; off the value area sideways it
// leaves the field where the form allows it. 0: nothing to report.
EventCode pointer_motion(int width) {
  g_field.last_pointer_event = EVENT_POINTER_MOVE;
  // The pointer moves by the mouse's motion.
  const int y_before = g_pointer.wanted_y;
  follow_mouse();
  move_pointer();
  const TextWindow* w = g_windows.active;
  if (w == nullptr) return 0;
  // A drag in a list that scrolls at its edges may leave the window: the list follows it.
  if (g_pointer.button_bits != 0 && edge_scroll_enabled()) {
    const int dy = g_pointer.wanted_y - y_before;
    set_pointer_shape(pointer_in_window() != 0 ? POINTER_DIALOG : POINTER_OUTSIDE_WINDOW);
    return dy != 0 ? auto_scroll_at_edge(dy) : 0;
  }
  if (pointer_in_window() == 0) {
    set_pointer_shape(POINTER_OUTSIDE_WINDOW);
    return 0;
  }
  set_pointer_shape(POINTER_DIALOG);
  if ((w->list_options & FORM_LIST_ROW_KEYS) != 0) {
    const EventCode key = pointer_row_to_keys();
    if (key != 0) return key;
  }
  if ((w->list_options & LIST_OPTION_NO_SIDEWAYS) != 0) return 0;
  const int cw = g_display.current.cell_width;
  const int column = cw > 0 ? g_pointer.wanted_x / cw : 0;
  if (column < g_field.value_column && (w->list_options & FORM_LIST_LEAVE_LEFT) != 0)
    return KEY_LEFT;
  if (column > g_field.value_column + width && (w->list_options & FORM_LIST_LEAVE_RIGHT) != 0)
    return KEY_RIGHT;
  return 0;
}

// One code read and sorted; 0 means read on.
EventCode sort_event(EventCode code, int width) {
  switch (code) {
    case EVENT_TICK:
      if (g_form.redraw_level != 0) {
        request_full_redraw();
        return EVENT_REDRAW;
      }
      if (g_form_hooks.tick != nullptr) {
        const EventCode hooked = g_form_hooks.tick();
        if (hooked != 0) return hooked;
      }
      return g_pointer.button_bits != 0 && edge_scroll_enabled() ? auto_scroll_at_edge(0) : 0;
    case EVENT_REDRAW:
      if (g_form.redraw_level == 0) g_form.redraw_level = 1;
      return EVENT_REDRAW;
    case EVENT_LEFT_DOWN: return left_click(width);
    case FIELD_CLICK:
      return pointer_on_cursor_row_value(width) ? KEY_ENTER : FIELD_CLICK;
    case EVENT_POINTER_MOVE: return pointer_motion(width);
    case EVENT_QUIT: return EVENT_QUIT;
    default: break;
  }
  const EventCode mapped = menu_key_remap(code);
  if (mapped == KEY_ENTER && code == EVENT_LEFT_DOWN && !g_form_hooks.click_enters)
    return EVENT_LEFT_DOWN;
  return mapped;
}

}  // namespace

EventCode read_window_event(int width) {
  g_field.field_width = width;
  const TextWindow* w = g_windows.active;
  // The caret's blink takes the ticks the edge scrolling runs on: none while a drag may scroll.
  const bool dragging = g_pointer.button_bits != 0 && edge_scroll_enabled();
  if (w != nullptr && width != 0 && !dragging)
    show_field_caret(g_field.display_row, g_field.value_column, std::abs(width));
  EventCode code = 0;
  while (code == 0) code = sort_event(wait_input_code(), width);
  hide_caret();
  // The editor reads the character itself: it goes back in front of what was typed after it.
  if (is_typed_character(code)) push_input_code_front(code);
  if (code == KEY_ESC) set_pointer_shape(POINTER_ARROW);
  return code;
}

EventCode read_field_event(int width) {
  g_field.field_width = width;
  const EventCode code = read_window_event(width);
  if (is_typed_character(code)) poll_input_code(0);
  return code;
}

int click_on_current_field(const char* rows, const char* widths) {
  TextWindow* w = g_windows.active;
  if (w == nullptr || rows == nullptr || widths == nullptr || pointer_in_window() == 0) return 0;
  cursor_to_pointer_y(g_pointer.wanted_y);
  const char digit = static_cast<char>('0' + w->cursor_row);
  const char* at = std::strchr(rows, digit);
  if (digit == 0 || at == nullptr || static_cast<size_t>(at - rows) >= std::strlen(widths))
    return 0;
  const int width = widths[at - rows] - '0';
  const int cw = g_display.current.cell_width;
  const int column = cw > 0 ? g_pointer.wanted_x / cw : -1;
  if (column < g_field.value_column || column > g_field.value_column + width) return 0;
  push_input_code(KEY_ENTER);
  return 1;
}

EventCode click_on_form_row(bool (*opens_row)(int row)) {
  const TextWindow* w = g_windows.active;
  const int cell_width = g_display.current.cell_width;
  const int cell_height = g_display.current.cell_height;
  if (w == nullptr || cell_width <= 0 || cell_height <= 0) return 0;
  const int column = g_pointer.wanted_x / cell_width;
  const int row = g_pointer.wanted_y / cell_height - w->top_row;
  if (row < 0 || row >= w->line_count || column < w->left_column ||
      column > w->left_column + w->columns)
    return 0;
  // The clicked row becomes the current field first: the field that reads the click, and the
  // value typed next, are the clicked row's, not the row the cursor was on.
  cursor_to_pointer_y(g_pointer.wanted_y);
  if (column >= g_field.value_column && opens_row(row)) push_input_code(FIELD_CLICK);
  return EVENT_LEFT_DOWN;
}

void redraw_cursor_row() {
  const TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  const int row = w->top_row + w->cursor_row;
  fill_cells(row, w->left_column, row, w->right_column, PALETTE_WHITE);
}

int repaint_dialog() {
  TextWindow* w = g_windows.active;
  if (g_form.redraw_level == 0 || w == nullptr) return 0;
  g_form.redraw_level = 0;
  reset_caret();
  draw_page_tabs(1);
  // The labels are the window's lines: the frame drawer draws them as lines this once.
  w->line_drawer = draw_window_line;
  g_windows.line_drawer = draw_window_line;
  draw_window_frame(0);
  begin_field_handler();
  const TextLine* line = g_lists.cursor_line;
  if (line != nullptr && !line->extra.empty() && line->extra.back() == 0)
    show_help_text_line(reinterpret_cast<const char*>(line->extra.data()));
  return 1;
}

EventCode field_leave_key(EventCode code) {
  const TextWindow* w = g_windows.active;
  switch (code) {
    case KEY_DEL:
    case KEY_UP:
    case KEY_DOWN:
    case KEY_PGUP:
    case KEY_PGDN:
    case KEY_ESC: return code;
    case KEY_LEFT:
      return w != nullptr && (w->list_options & FORM_LIST_LEAVE_LEFT) != 0 ? code : 0;
    default: return 0;
  }
}

EventCode cycle_field_keys(const char* letters, uint8_t* index, uint8_t base, int width) {
  const EventCode code = read_window_event(width);
  if (code == KEY_BACKSPACE) return KEY_DEL;
  if (field_leave_key(code) != 0) return code;
  // The cycle reads the code again: a character is still queued, anything else goes back.
  if (!is_typed_character(code)) push_input_code_front(code);
  const int count = letters != nullptr ? static_cast<int>(std::strlen(letters)) : 0;
  const int at = *index - base;
  uint8_t value = at >= 0 && at < count ? *index : base;
  const EventCode result = cycle_list_field(letters, &value, base, width);
  if (result < 0) *index = value;
  return result;
}

EventCode non_editing_key(EventCode key) {
  static constexpr EventCode EDITING_KEYS[] = {
      276, 278, 287, 294, 302, 315, 316, 320, 321, 322, 323, 324, 338, 339, 345, 351,
      368, 369, 371, 372, 426, 429, 454, 458, 460, 461, 469, 471, 700, 702, 819, 820,
      821, 822, 823,
  };
  if (key < 256) return 0;
  if (key >= KEY_CTRL_BASE + 'A' && key <= KEY_CTRL_BASE + 'Z') return 0;
  for (EventCode k : EDITING_KEYS)
    if (k == key) return 0;
  return key;
}
