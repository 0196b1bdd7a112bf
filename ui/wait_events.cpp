#include "ui/wait_events.h"

#include "screen/caret.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/timer.h"
#include "ui/line_numbers.h"
#include "ui/list_window.h"
#include "ui/text_window.h"

namespace {

bool code_pending() { return poll_input_code(EVENT_PEEK_LIMIT) != 0; }

// Waits with the editor caret blinking at the cell, then takes it off the screen.
EventCode wait_with_editor_caret(int row, int column) {
  move_pointer();
  // In overwrite mode the caret covers the whole cell it types over.
  const TextWindow* w = g_windows.active;
  g_caret.overwrite = w != nullptr && (w->flags & WINDOW_OVERWRITE) != 0;
  set_editor_caret(row, column);
  set_tick_hook(blink_editor_caret);
  const EventCode code = wait_input_code();
  set_tick_hook(nullptr);
  hide_caret();
  return code;
}

}  // namespace

EventCode wait_event_at_cursor() {
  g_caret.shape = CARET_EDITOR_WAIT;
  const TextWindow* w = g_windows.active;
  if (w == nullptr) return wait_event_in_editor(0, 0);
  return wait_event_in_editor(w->top_row + w->cursor_row, w->left_column + w->cursor_column);
}

EventCode wait_event_in_editor(int row, int column) {
  repaint_on_event(0);
  clear_window_drawing_bits();
  if (code_pending()) return wait_input_code();
  const TextWindow* w = g_windows.active;
  // After a plain move nothing the status shows has changed.
  const bool moved_only = g_pointer.button_bits == 0 && g_events.last_code == EVENT_POINTER_MOVE;
  if (w != nullptr && w->file != nullptr && !moved_only) {
    number_lines(0);
    if (g_wait_entries.draw_editor_status != nullptr) g_wait_entries.draw_editor_status();
    draw_line_counter();
  }
  return wait_with_editor_caret(row, column);
}

EventCode wait_event_with_caret(int row, int column) {
  if (code_pending()) return wait_input_code();
  return wait_with_editor_caret(row, column);
}

EventCode wait_pointer_back_in_window() {
  const int16_t previous = g_pointer.requested_shape;
  set_pointer_shape(POINTER_OUTSIDE_WINDOW);
  EventCode result = 0;
  while (result == 0) {
    move_pointer();
    const EventCode code = wait_input_code();
    if (code == EVENT_POINTER_MOVE) {
      int dx = 0;
      int dy = 0;
      mouse_delta(&dx, &dy);
      g_pointer.wanted_x += dx;
      g_pointer.wanted_y += dy;
      if (pointer_in_window()) result = EVENT_POINTER_MOVE;
    } else if (code >= EVENT_LEFT_DOWN && code <= EVENT_RIGHT_DOWN) {
      result = KEY_ESC;
    } else if (code == EVENT_QUIT) {
      // The quit stays requested: the caller leaves and its own wait sees it.
      result = KEY_ESC;
    } else if (code < EVENT_POINTER_MOVE) {
      if (g_form.redraw_level != 0) result = KEY_ESC;
      else if (code > 0) result = code;
    }
  }
  set_pointer_shape(previous);
  return result;
}
