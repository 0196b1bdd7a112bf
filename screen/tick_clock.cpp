#include "screen/tick_clock.h"

#include "platform/pump.h"
#include "platform/window.h"
#include "screen/event_queue.h"

TickClock g_clock;

namespace {

// Updates to wait for a tick boundary before a clock is taken as standing still.
constexpr int32_t CALIBRATE_SPIN_MOST = 1 << 20;

// Spins until the first countdown becomes non-zero; false when the clock never moved.
bool spin_to_next_tick(int32_t* count) {
  while (g_clock.counter_a == 0) {
    if (*count >= CALIBRATE_SPIN_MOST) return false;
    ++*count;
    update_ticks();
  }
  return true;
}

}  // namespace

int update_ticks() {
  const uint32_t now = clock_now_ms();
  g_clock.last_system_ms = now;
  // Unsigned: a counter that wrapped still gives the time since the base.
  const uint32_t n = (now - g_clock.base_ms) / TICK_MS;
  if (n == 0) return 0;
  g_clock.base_ms += n * TICK_MS;
  g_clock.ticks += static_cast<int32_t>(n);
  g_clock.counter_a = static_cast<int16_t>(g_clock.counter_a + n);
  g_clock.counter_b = static_cast<int16_t>(g_clock.counter_b + n);
  const uint32_t sub = g_clock.sub_second + n;
  if (sub >= TICKS_PER_SECOND) {
    g_clock.sub_second = static_cast<uint8_t>(sub - TICKS_PER_SECOND);
    ++g_clock.seconds;
  } else {
    g_clock.sub_second = static_cast<uint8_t>(sub);
  }
  return static_cast<int>(n);
}

void reset_tick_counter() {
  g_clock.ticks = 0;
  g_clock.counter_a = 0;
}

void calibrate_delay() {
  int32_t count = 0;
  g_clock.counter_a = 0;
  g_clock.delay_unit = 1;
  if (!spin_to_next_tick(&count)) return;
  g_clock.counter_a = 0;
  count = 0;
  while (g_clock.counter_a <= 0) {
    if (count >= CALIBRATE_SPIN_MOST) return;
    ++count;
    update_ticks();
  }
  g_clock.delay_unit = count / DELAY_STEPS_PER_TICK > 1 ? count / DELAY_STEPS_PER_TICK : 1;
}

void busy_wait(int n) {
  const int64_t updates = static_cast<int64_t>(n) * g_clock.delay_unit;
  for (int64_t i = 0; i < updates; ++i) update_ticks();
}

void pause_ms(uint32_t ms) {
  const uint32_t start = clock_now_ms();
  for (;;) {
    update_ticks();
    discard_motion_and_ticks();
    const uint32_t passed = clock_now_ms() - start;
    if (passed >= ms) return;
    pump_wait(static_cast<int>(ms - passed));
  }
}

void reset_tick_clock() { g_clock = TickClock(); }
