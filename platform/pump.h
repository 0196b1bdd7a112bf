// The message pump that runs inside the program's own waits for input. The program registers
// one event handler (its window procedure) and one timer handler; pumping hands every pending
// window event to the first, fires the second once for every timer interval of the clock that
// passed, and shows the framebuffer when it changed. Single-threaded: the timer is not a
// thread, its ticks fire only from here.
#pragma once

#include <cstdint>

#include "platform/window.h"

typedef void (*PumpEventHandler)(const WindowEvent& event);
typedef void (*PumpTimerHandler)();
// The application's idle handler: pump_wait calls it when nothing was pending, before it sleeps,
// as a window framework goes idle. It may run for as long as it likes and pump again inside
// (the program's whole run can be one idle call). True when the wait must not sleep: the handler
// made work that has to be seen at once, or the application ended.
typedef bool (*PumpIdleHandler)();

constexpr uint32_t PUMP_TIMER_INTERVAL_MS = 55;
// After a long stretch without pumping, at most this many late ticks fire at once (a second's
// worth); the others are dropped, so that a burst of ticks cannot flood the program's queue.
// Clocks that count ticks read clock_now_ms and lose nothing.
constexpr int PUMP_MAX_LATE_TICKS = 18;
// While events or ticks keep the program busy, the framebuffer is compared and shown at most
// this often; a wait always shows it first.
constexpr uint32_t PUMP_PRESENT_INTERVAL_MS = 15;
// Events handed over by one pump_messages at most, so that a handler whose work makes new
// events (a warp makes a move) cannot keep the program from reading its own queue.
constexpr int PUMP_MAX_EVENTS_PER_CALL = 256;

struct Pump {
  PumpEventHandler event_handler = nullptr;  // null: events are taken and dropped
  PumpTimerHandler timer_handler = nullptr;  // null: ticks pass unseen
  PumpIdleHandler idle_handler = nullptr;    // null: a wait with nothing pending just sleeps
  bool timer_running = false;
  uint32_t timer_interval_ms = PUMP_TIMER_INTERVAL_MS;  // > 0
  uint32_t timer_base_ms = 0;  // clock time of the last whole interval counted
  bool in_timer_handler = false;  // a tick is being handled: nested pumping fires no ticks
  uint32_t last_present_ms = 0;   // clock time of the last present check
};
extern Pump g_pump;

// Handlers
void pump_set_event_handler(PumpEventHandler handler);
void pump_set_timer_handler(PumpTimerHandler handler);
void pump_set_idle_handler(PumpIdleHandler handler);

// Timer
// Starts counting intervals from now; a running timer starts over.
void pump_start_timer();
void pump_stop_timer();
// Changes the interval (ms, at least 1); a running timer starts over from now.
void pump_set_timer_interval(uint32_t interval_ms);

// Pumping
// Hands all pending events to the event handler, then fires the ticks that are due.
// Returns the number of events and ticks handled. Never blocks.
int pump_messages();
// Like pump_messages, but when nothing was pending: calls the idle handler, and unless it made
// work, shows the framebuffer and sleeps until an event arrives, the next tick is due or
// timeout_ms passed (negative: no limit), then pumps.
// Headless: the sleep advances the virtual clock instead, so the next tick always comes.
int pump_wait(int timeout_ms);

// Test hooks
void reset_pump();
