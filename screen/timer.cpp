#include "screen/timer.h"

#include <cstdio>
#include <cstdlib>

#include "platform/window.h"
#include "screen/hint_box.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/screen_entries.h"

TimerState g_timer;

namespace {

// The system cursor may stray this far from the pointer before it is put back under it, and is
// checked only after this many cursor-shape requests.
constexpr int CURSOR_SLACK = 3;
constexpr int SET_CURSOR_CHECK_COUNT = 4;

// Blink countdowns: ticks the highlight stays on and off.
constexpr int HOVER_TICKS_ON = 1;
constexpr int HOVER_TICKS_OFF = 8;
constexpr int TAB_TICKS_ON = 2;
constexpr int TAB_TICKS_OFF = 8;

// A repaint asked for while the program's pointer was away.
void serve_repaint() {
  if (g_pointer.released && g_timer.repaint_hook != nullptr) {
    if (g_clock.ticks - g_timer.repaint_hook_tick > REPAINT_HOOK_TICKS) {
      g_form.repaint_wanted = false;
      g_timer.repaint_hook_tick = g_clock.ticks;
      g_timer.repaint_hook();
    }
    return;
  }
  g_form.redraw_level = 1;
  g_form.repaint_wanted = false;
  push_input_code(EVENT_REDRAW);
}

void blink_hovered_control() {
  if (g_control_hover.blink_countdown > 0) {
    --g_control_hover.blink_countdown;
    return;
  }
  // A flash-once control goes off after its one flash and stays off.
  if (!g_control_hover.flash_once || g_control_hover.highlight_shown) blink_hover_highlight();
  if (g_control_hover.hint_delay > 0) {
    --g_control_hover.hint_delay;
  } else {
    show_hint();
  }
  show_pointer();
  g_control_hover.blink_countdown = g_control_hover.highlight_shown ? HOVER_TICKS_ON : HOVER_TICKS_OFF;
}

void blink_hovered_tab() {
  if (g_control_hover.tab_blink_countdown > 0) {
    --g_control_hover.tab_blink_countdown;
    return;
  }
  blink_tab_highlight();
  show_pointer();
  g_control_hover.tab_blink_countdown = g_control_hover.tab_highlight_shown ? TAB_TICKS_ON : TAB_TICKS_OFF;
}

// The hidden system cursor stays under the drawn pointer; a cursor that left the client area
// gives the pointer back to the system.
void keep_cursor_under_pointer() {
  cursor_get_position(&g_pointer.cursor_x, &g_pointer.cursor_y);
  const Surface* surface = window_surface();
  const int width = surface != nullptr ? surface->width : 0;
  const int height = surface != nullptr ? surface->height : 0;
  const int x = g_pointer.cursor_x;
  const int y = g_pointer.cursor_y;
  if (x < 0 || x >= width || y < 0 || y >= height) {
    g_pointer.released = true;
    clear_hover();
    hide_pointer();
    cursor_set_visible(true);
    return;
  }
  // A cursor the system will not move is followed by its motion, never put under the pointer.
  if (g_pointer.warps_refused || g_pointer.set_cursor_count < SET_CURSOR_CHECK_COUNT) return;
  g_pointer.set_cursor_count = 0;
  if (!g_form.active) return;
  if (std::abs(x - g_pointer.drawn_x) <= CURSOR_SLACK &&
      std::abs(y - g_pointer.drawn_y) <= CURSOR_SLACK)
    return;
  g_pointer.move_count = 0;
  warp_cursor_to_pointer();
}

}  // namespace

void timer_tick() {
  update_ticks();
  if (g_timer.serial_send_tick != nullptr) g_timer.serial_send_tick();
  if (g_timer.serial_receive_tick != nullptr) g_timer.serial_receive_tick();
  if (g_form.printing != PRINTING_OFF) return;
  if (g_form.resize_pending != RESIZE_NONE) {
    flush_input();
    g_form.repaint_wanted = false;
    return;
  }
  if (g_form.repaint_wanted) serve_repaint();
  if (g_pointer.released || g_form.input_suspended) return;
  if (g_control_hover.control_id >= 0) {
    blink_hovered_control();
  } else if (g_control_hover.tab >= 0) {
    blink_hovered_tab();
  }
  if (g_timer.tick_hook != nullptr) {
    g_timer.tick_hook();
  } else {
    push_input_code(EVENT_TICK);
  }
  if (g_pointer.relative_mode != POINTER_RELATIVE_OFF || g_pointer.released) return;
  keep_cursor_under_pointer();
}

void set_tick_hook(TickHook hook) { g_timer.tick_hook = hook; }

EventCode wait_click_or_key(int mode) {
  const bool fixed = (mode & WAIT_MODE_FIXED_SHAPE) != 0;
  const int base = mode & ~WAIT_MODE_FIXED_SHAPE;
  if (!fixed) set_pointer_shape(base == WAIT_CLICK_OR_KEY_WAIT_SHAPE ? POINTER_WAIT : POINTER_ARROW);
  clear_window_drawing_bits();
  for (;;) {
    move_pointer();
    const EventCode code = wait_input_code();
    if (code == EVENT_POINTER_MOVE) {
      int dx = 0;
      int dy = 0;
      if (!fixed && mouse_delta(&dx, &dy) != 0) {
        g_pointer.wanted_x += dx;
        g_pointer.wanted_y += dy;
      }
      hide_pointer();
      continue;
    }
    if (base == WAIT_CLICK_OR_KEY || base == WAIT_CLICK_OR_KEY_WAIT_SHAPE) {
      if (code < EVENT_LEFT_UP || code >= 544) return code;
    } else if (base == WAIT_ANY_INPUT) {
      const bool release = code >= EVENT_LEFT_UP && code <= EVENT_RIGHT_UP;
      const bool modifier_or_tick = code >= EVENT_CTRL_DOWN && code <= 543;
      if (!release && !modifier_or_tick) {
        push_input_code_front(code);
        return code;
      }
    }
    if (g_form.redraw_level != 0) {
      g_form.redraw_level = 0;
      if (g_screen_entries.redraw_popups != nullptr) g_screen_entries.redraw_popups(1);
    }
  }
}

EventCode check_pending_event() {
  const EventCode code = poll_input_code(0);
  if (code >= EVENT_LEFT_UP && code <= EVENT_RIGHT_UP) return 0;
  if (code != 0 && (code < EVENT_CTRL_DOWN || code > 576)) push_input_code_front(code);
  return code;
}

void reset_timer() { g_timer = TimerState(); }
