// The tick clock: time in 55 ms ticks, 18 to the second, advanced from the system's millisecond
// counter by every poll of the queue; and the small waits built on it.
#pragma once

#include <cstdint>

constexpr uint32_t TICK_MS = 55;
constexpr int TICKS_PER_SECOND = 18;
// Clock updates per delay unit are measured over one tick in steps of 0.1 ms.
constexpr int32_t DELAY_STEPS_PER_TICK = 549;

struct TickClock {
  uint32_t last_system_ms = 0;  // the system counter at the last update
  uint32_t base_ms = 0;         // system time of the last whole tick counted
  int32_t ticks = 0;            // free-running tick count; start-up sets it to 0
  int16_t counter_a = 0;        // two tick counters the loops use as countdowns or stopwatches
  int16_t counter_b = 0;
  uint8_t sub_second = 0;       // 0-17
  int16_t seconds = 0;          // one more every 18 ticks
  int32_t delay_unit = 1;       // clock updates that take about 0.1 ms; at least 1
};
extern TickClock g_clock;

// Advances the clock; returns the number of whole ticks added (the remainder carries over).
int update_ticks();
// Sets the free-running counter and the first countdown to 0 (start-up, after the first update,
// which adds the whole system uptime).
void reset_tick_counter();
// Measures the delay unit over one tick. A clock that does not move within a bounded number of
// updates leaves the unit at 1 rather than spinning for ever.
void calibrate_delay();
// Spins n x delay unit clock updates, about n x 0.1 ms.
void busy_wait(int n);
// Lets ms milliseconds pass while the messages are pumped. Moves and ticks that arrive meanwhile
// are dropped; every other code stays queued for the program.
void pause_ms(uint32_t ms);

// Test hooks
void reset_tick_clock();
