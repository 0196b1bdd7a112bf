// The 55 ms timer event of the main form, and the small waits the loops build from the queue.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"
#include "screen/tick_clock.h"

// A function the timer calls instead of posting the tick event (the caret blink installs one).
using TickHook = void (*)();

// Ticks that must pass between two calls of the long-operation repaint hook.
constexpr int32_t REPAINT_HOOK_TICKS = 8;

struct TimerState {
  // The machine link's two steps, first in every tick; the link installs them while it is open
  // and each guards itself against re-entry. Null: no link.
  TickHook serial_send_tick = nullptr;
  TickHook serial_receive_tick = nullptr;
  TickHook tick_hook = nullptr;      // null: every tick posts 465
  TickHook repaint_hook = nullptr;   // a long operation's repaint while the pointer is released
  int32_t repaint_hook_tick = 0;     // tick counter at the hook's last call
};
extern TimerState g_timer;

// The timer event: clock, resize guard, repaint, hover blinking and hints, tick hook or event
// 465, and the hidden system cursor kept under the program's pointer.
void timer_tick();
// Installs a tick hook (null removes it).
void set_tick_hook(TickHook hook);

// wait_click_or_key modes; MODE_FIXED_SHAPE keeps the pointer shape and its position.
constexpr int WAIT_CLICK_OR_KEY = 1;
constexpr int WAIT_CLICK_OR_KEY_WAIT_SHAPE = 2;
constexpr int WAIT_ANY_INPUT = 5;
constexpr int WAIT_MODE_FIXED_SHAPE = 0x10;
// Waits for a key or a button press with a chosen pointer shape (see the modes). Mode 5 leaves
// the code it returns at the front of the queue for the caller's own loop.
EventCode wait_click_or_key(int mode);
// The oldest pending code: a button release is dropped (0); a code outside the modifier and
// program range 446-576 is put back in front, so that it is still the next one read.
EventCode check_pending_event();

// Test hooks
void reset_timer();
