// The ring of pending event codes and its readers.
#include "screen/event_queue.h"

#include "platform/pump.h"
#include "screen/tick_clock.h"

EventQueue g_events;

namespace {

int next_index(int index) { return (index + 1) % EVENT_RING_SIZE; }

bool ring_empty() { return g_events.read_index == g_events.write_index; }

EventCode take_oldest() {
  EventCode code = g_events.ring[g_events.read_index];
  g_events.last_modifiers = g_events.ring_modifiers[g_events.read_index];
  g_events.read_index = next_index(g_events.read_index);
  return code;
}

// A quit or redraw must reach the program even when its code cannot stay in the ring (a full
// ring, or a reader discarding codes above its limit); the two flags carry them instead.
// Returns true when the code was kept that way.
bool keep_as_flag(EventCode code) {
  if (code == EVENT_QUIT) {
    g_events.quit_requested = true;
    return true;
  }
  if (code == EVENT_REDRAW) {
    g_events.redraw_pending = true;
    return true;
  }
  return false;
}

void discard_oldest() { keep_as_flag(take_oldest()); }

// A redraw kept as a flag is read after everything in the ring, so that a code a reader peeked
// at is still the one it reads next.
EventCode take_redraw_flag() {
  g_events.redraw_pending = false;
  return EVENT_REDRAW;
}

}  // namespace

bool push_input_code(EventCode code) {
  if (code == 0) return false;
  // Pointer motion comes in floods; while the reader has not yet taken the move at the front,
  // one more move says nothing new.
  if (code == EVENT_POINTER_MOVE && !ring_empty() &&
      g_events.ring[g_events.read_index] == EVENT_POINTER_MOVE)
    return true;
  int next = next_index(g_events.write_index);
  if (next == g_events.read_index) {
    if (keep_as_flag(code)) return true;
    g_events.refused_codes++;
    return false;
  }
  g_events.ring[g_events.write_index] = code;
  g_events.ring_modifiers[g_events.write_index] = g_events.modifiers;
  g_events.write_index = next;
  return true;
}

bool push_input_code_front(EventCode code) {
  if (code == 0) return false;
  const int before = (g_events.read_index + EVENT_RING_SIZE - 1) % EVENT_RING_SIZE;
  if (before == g_events.write_index) {
    if (keep_as_flag(code)) return true;
    g_events.refused_codes++;
    return false;
  }
  g_events.read_index = before;
  g_events.ring[before] = code;
  return true;
}

void discard_motion_and_ticks() {
  int kept = g_events.read_index;
  for (int at = g_events.read_index; at != g_events.write_index; at = next_index(at)) {
    const EventCode code = g_events.ring[at];
    if (code == EVENT_POINTER_MOVE || code == EVENT_TICK) continue;
    g_events.ring[kept] = code;
    kept = next_index(kept);
  }
  g_events.write_index = kept;
}

bool input_code_pending(EventCode code) {
  for (int at = g_events.read_index; at != g_events.write_index; at = next_index(at)) {
    if (g_events.ring[at] == code) return true;
  }
  return false;
}

void post_quit_request() {
  g_events.quit_requested = true;
  push_input_code(EVENT_QUIT);
}

void post_typed_char(uint8_t c) {
  if (g_events.modifiers & (MODIFIER_CTRL | MODIFIER_ALT)) return;
  if (c < 32) return;
  push_input_code(c);
}

void post_mouse_button(int button, bool down) {
  push_input_code(mouse_button_code(button, down));
}

void post_wheel(int wheel_delta) {
  int notches = wheel_delta / 120;
  EventCode code = notches > 0 ? EVENT_WHEEL_UP : EVENT_WHEEL_DOWN;
  int count = notches > 0 ? notches : -notches;
  for (int i = 0; i < count * 3; i++) push_input_code(code);
}

EventCode poll_input_code(int limit) {
  update_ticks();
  if (limit <= 0) {
    if (!ring_empty()) return take_oldest();
    if (g_events.redraw_pending) return take_redraw_flag();
    pump_messages();
    return 0;
  }
  while (!ring_empty()) {
    EventCode code = g_events.ring[g_events.read_index];
    if (code < limit) return code;
    discard_oldest();
  }
  if (g_events.redraw_pending && EVENT_REDRAW < limit) return EVENT_REDRAW;
  if (limit != EVENT_PEEK_LIMIT) pump_messages();
  return 0;
}

EventCode wait_input_code() {
  for (;;) {
    if (!ring_empty()) {
      g_events.last_code = take_oldest();
      return g_events.last_code;
    }
    if (g_events.quit_requested) {
      pump_messages();
      g_events.last_code = EVENT_QUIT;
      return EVENT_QUIT;
    }
    if (g_events.redraw_pending) {
      g_events.last_code = take_redraw_flag();
      return g_events.last_code;
    }
    pump_wait(-1);
  }
}

void flush_input() {
  update_ticks();
  if (ring_empty()) pump_messages();
  while (!ring_empty()) discard_oldest();
}

int pending_input_count() {
  return (g_events.write_index - g_events.read_index + EVENT_RING_SIZE) % EVENT_RING_SIZE;
}

void reset_event_queue() { g_events = EventQueue{}; }
