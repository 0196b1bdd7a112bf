#include "ui/pointer_motion.h"

#include <cstdlib>

#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/tick_clock.h"
#include "ui/key_pushback.h"
#include "ui/list_window.h"
#include "ui/run_window.h"

namespace {

constexpr uint32_t BURST_LONGER_MS = 990;
constexpr uint32_t BURST_LONGEST_MS = 1980;
constexpr int REVERSED_HOLD_OFF = 4;
constexpr int REVERSED_DAMPING = 3;
constexpr int BURST_DAMPING = 2;

EventCode direction_of(int dy) { return dy > 0 ? KEY_CTRL_DOWN : KEY_CTRL_UP; }

// A pause in the drag starts a burst: one code now, then a hold-off that grows with the pause.
EventCode start_burst(int motion, uint32_t elapsed) {
  MiddleDragScroll& m = g_pointer.middle_drag;
  m.hold_off = elapsed > BURST_LONGEST_MS ? 3 : elapsed > BURST_LONGER_MS ? 2 : 1;
  m.damping = BURST_DAMPING;
  update_ticks();
  m.burst_start_ms = g_clock.last_system_ms;
  const EventCode direction = direction_of(motion);
  if (m.last_direction != 0 && m.last_direction != direction) {
    m.hold_off = REVERSED_HOLD_OFF;
    m.damping = REVERSED_DAMPING;
  }
  m.last_direction = direction;
  return direction;
}

}  // namespace

int middle_drag_scroll() {
  if (g_pointer.button_bits != WINDOW_BUTTON_MIDDLE) return -1;
  MiddleDragScroll& m = g_pointer.middle_drag;
  int dx = 0;
  int motion = 0;
  if (mouse_delta(&dx, &motion) == 0 || motion == 0) return 0;
  const uint32_t elapsed = g_clock.last_system_ms - m.burst_start_ms;
  if (m.hold_off > 0) {
    if (elapsed < MIDDLE_DRAG_FORGET_MS) {
      --m.hold_off;
      return 0;
    }
    m.hold_off = 0;
  }
  if (elapsed >= MIDDLE_DRAG_FORGET_MS) m.last_direction = 0;
  int dy = motion;
  if (std::abs(dy) < g_display.current.cell_width) dy /= 2;
  if (elapsed > MIDDLE_DRAG_QUIET_MS) dy = 0;
  if (dy == 0) {
    if (elapsed < MIDDLE_DRAG_SETTLE_MS) return 0;
    return start_burst(motion, elapsed);
  }
  if (m.damping > 0) {
    --m.damping;
    dy = dy > 0 ? 1 : -1;
  }
  const EventCode direction = direction_of(dy);
  for (int i = std::abs(dy); i > 0; --i) push_back_key(direction);
  m.last_direction = pop_pushed_key();
  return m.last_direction;
}

int pointer_to_column_keys() {
  const TextWindow* w = g_windows.active;
  const int cw = g_display.current.cell_width;
  if (w == nullptr || cw <= 0) return 0;
  const int target = g_pointer.wanted_x / cw;
  const int column = w->left_column + w->cursor_column;
  if (column == target) return 0;
  const EventCode code = column < target ? WINDOW_DRAG_RIGHT : WINDOW_DRAG_LEFT;
  for (int i = std::abs(target - column); i > 0; --i) push_back_key(code);
  return 1;
}

int pointer_to_editor_keys() {
  const int scrolled = middle_drag_scroll();
  if (scrolled >= 0) return scrolled;
  int dx = 0;
  int dy = 0;
  if (mouse_delta(&dx, &dy) == 0) return 0;
  g_pointer.wanted_x += dx;
  g_pointer.wanted_y += dy;
  if (g_pointer.button_bits == 0) {
    const int hit = hit_test_pointer(false);
    if (hit >= 0 && (hit & HIT_PAGE_TAB) == 0) return 0;
    if (pointer_in_window()) {
      set_pointer_shape(POINTER_TEXT);
    } else if (hit == HIT_NOTHING) {
      set_pointer_shape(POINTER_ARROW);
    }
    return 0;
  }
  const TextWindow* w = g_windows.active;
  const int ch = g_display.current.cell_height;
  if (w == nullptr || ch <= 0) return 0;
  int pushed = dx != 0 ? pointer_to_column_keys() : 0;
  if (dy != 0) {
    const int rows = g_pointer.wanted_y / ch - w->top_row - w->cursor_row;
    const TextLine* line = g_lists.cursor_line;
    if (rows >= 1 && dy > 0 && line != nullptr && line->next != nullptr) {
      for (int i = 0; i < rows; ++i) push_back_key(WINDOW_DRAG_DOWN);
      pushed = 1;
    } else if (rows < 0 && dy < 0 && line != nullptr && line->prev != nullptr) {
      for (int i = 0; i < -rows; ++i) push_back_key(WINDOW_DRAG_UP);
      pushed = 1;
    }
    keep_pointer_in_window();
  }
  return pushed;
}

namespace {

bool is_button_code(EventCode code) {
  return code >= EVENT_LEFT_DOWN && code <= EVENT_RIGHT_UP;
}

}  // namespace

void drag_to_scroll_keys() {
  const int ch = g_display.current.cell_height;
  while (g_pointer.button_bits != 0) {
    const EventCode code = wait_input_code();
    if (code == EVENT_POINTER_MOVE) {
      int dx = 0;
      int dy = 0;
      mouse_delta(&dx, &dy);
      if (dy == 0) continue;
      const EventCode key = dy < 0 ? KEY_CTRL_UP : KEY_CTRL_DOWN;
      int left = std::abs(dy);
      for (; ch > 0 && left > ch; left -= ch)
        for (int i = 0; i < 2 * ch; ++i) push_back_key(key);
      for (; left > 0; --left) push_back_key(key);
      return;
    }
    // A press or release of one of several buttons changes only what is held.
    if (is_button_code(code) && g_pointer.button_bits != 0) continue;
    push_input_code_front(code);
    return;
  }
}

int cursor_to_pointer_row() {
  if (g_windows.active == nullptr || pointer_in_window() == 0) return -1;
  cursor_to_pointer_y(g_pointer.wanted_y);
  return 0;
}
