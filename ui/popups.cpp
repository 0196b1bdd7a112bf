#include "ui/popups.h"

#include "platform/pump.h"
#include "screen/event_queue.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "screen/tick_clock.h"
#include "screen/timer.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

PopupStack g_popups;

namespace {

constexpr EventCode LAST_PRESS_CODE = EVENT_RIGHT_DOWN;  // keys and button presses: 1-434

void set_current(TextLine* node) {
  g_popups.current = node;
  g_popups.window = window_of(node);
}

// Activates the node, draws it, and goes back to the window that was active.
void draw_popup(TextLine* node) {
  if (window_of(node) == nullptr) return;
  push_active_window();
  activate_window(node);
  draw_window_frame(0);
  pop_active_window();
}

}  // namespace

void push_popup() {
  if (g_popups.current == nullptr) return;
  g_popups.below.push_back(g_popups.current);
}

void pop_popup() {
  if (g_popups.below.empty()) {
    set_current(nullptr);
    return;
  }
  set_current(g_popups.below.back());
  g_popups.below.pop_back();
}

void close_top_popup() {
  if (g_popups.current == nullptr) return;
  TextLine* node = g_popups.current;
  push_active_window();
  activate_window(node);
  destroy_window(node);
  pop_popup();
  pop_active_window();
}

EventCode wait_ticks_or_press(int ticks) {
  update_ticks();
  const int32_t start = g_clock.ticks;
  while (update_ticks(), g_clock.ticks - start < ticks) {
    const EventCode code = poll_input_code(0);
    if (code == 0) {
      pump_wait(static_cast<int>(PUMP_TIMER_INTERVAL_MS));
      continue;
    }
    // Ticks, motion and releases pass; a key, a press or a quit ends the wait and stays queued.
    if ((code >= 1 && code <= LAST_PRESS_CODE) || code == EVENT_QUIT) {
      push_input_code_front(code);
      return code;
    }
  }
  return 0;
}

void close_popup_after(int ticks) {
  wait_ticks_or_press(ticks);
  close_top_popup();
}

void swap_top_popups() {
  if (g_popups.current == nullptr || g_popups.below.empty()) return;
  TextLine* under = g_popups.below.back();
  g_popups.below.back() = g_popups.current;
  set_current(under);
}

void redraw_popups(int which) {
  if (which != 0 && !g_popups.below.empty()) draw_popup(g_popups.below.back());
  if (which >= 0) draw_popup(g_popups.current);
}

void print_in_popup(int row, int column, const char* text) {
  const TextWindow* w = g_popups.window;
  if (w == nullptr || text == nullptr) return;
  const int at_row = row < 0 ? row + w->bottom_row + 1 : row + w->top_row;
  const int at_column = column >= 0 ? column + w->left_column : column - w->left_column;
  push_colour_base();
  set_colour_base(w->options & WINDOW_OPTION_COLOUR_MASK);
  push_text_metrics();
  const bool medium =
      (w->flags & WINDOW_MEDIUM_FONT) != 0 || (w->options & WINDOW_OPTION_MEDIUM_FONT) != 0;
  if (medium) use_medium_font();
  else use_normal_font();
  draw_text(at_row, at_column, text);
  pop_text_metrics();
  pop_colour_base();
}

void reset_popups() { g_popups = PopupStack(); }
