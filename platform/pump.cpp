#include "platform/pump.h"

#include <algorithm>

Pump g_pump;

void pump_set_event_handler(PumpEventHandler handler) { g_pump.event_handler = handler; }

void pump_set_timer_handler(PumpTimerHandler handler) { g_pump.timer_handler = handler; }

void pump_set_idle_handler(PumpIdleHandler handler) { g_pump.idle_handler = handler; }

void pump_start_timer() {
  g_pump.timer_running = true;
  g_pump.timer_base_ms = clock_now_ms();
}

void pump_stop_timer() { g_pump.timer_running = false; }

void pump_set_timer_interval(uint32_t interval_ms) {
  g_pump.timer_interval_ms = std::max<uint32_t>(interval_ms, 1);
  if (g_pump.timer_running) pump_start_timer();
}

static int deliver_events() {
  int delivered = 0;
  WindowEvent event;
  while (delivered < PUMP_MAX_EVENTS_PER_CALL && window_poll_event(&event)) {
    ++delivered;
    if (g_pump.event_handler) g_pump.event_handler(event);
  }
  return delivered;
}

// The base moves before any handler runs, so a handler that pumps again finds nothing due.
static int fire_due_ticks() {
  if (!g_pump.timer_running || g_pump.in_timer_handler) return 0;
  const uint32_t elapsed = clock_now_ms() - g_pump.timer_base_ms;
  const uint32_t due = elapsed / g_pump.timer_interval_ms;
  if (due == 0) return 0;
  g_pump.timer_base_ms += due * g_pump.timer_interval_ms;
  const int fire = static_cast<int>(std::min<uint32_t>(due, PUMP_MAX_LATE_TICKS));
  int fired = 0;
  g_pump.in_timer_handler = true;
  while (fired < fire && g_pump.timer_running) {
    ++fired;
    if (g_pump.timer_handler) g_pump.timer_handler();
  }
  g_pump.in_timer_handler = false;
  return fired;
}

static void present_now() {
  g_pump.last_present_ms = clock_now_ms();
  window_present();
}

int pump_messages() {
  const int handled = deliver_events() + fire_due_ticks();
  if (clock_now_ms() - g_pump.last_present_ms >= PUMP_PRESENT_INTERVAL_MS) present_now();
  return handled;
}

int pump_wait(int timeout_ms) {
  const int handled = pump_messages();
  if (handled > 0) return handled;
  if (g_pump.idle_handler != nullptr && g_pump.idle_handler()) return pump_messages() + 1;
  present_now();
  int wait_ms = timeout_ms;
  if (g_pump.timer_running && !g_pump.in_timer_handler) {
    const uint32_t elapsed = clock_now_ms() - g_pump.timer_base_ms;
    const uint32_t until_tick =
        elapsed >= g_pump.timer_interval_ms ? 0 : g_pump.timer_interval_ms - elapsed;
    const int until = static_cast<int>(until_tick);
    wait_ms = wait_ms < 0 ? until : std::min(wait_ms, until);
  }
  window_wait_event(wait_ms);
  return pump_messages();
}

void reset_pump() { g_pump = Pump(); }
