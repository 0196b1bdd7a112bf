// The headless backend of window.h: no display. Tests inject the events a user would cause,
// move a virtual clock, and read back the framebuffer, the system cursor and the clipboard.
// Everything is deterministic: the clock moves only when a test advances it, when the program
// sleeps (clock_sleep_ms) or waits for input (window_wait_event, pump_wait), and never by
// itself, unless a test sets an automatic step.
//
// A wait with nothing pending does not sleep: it moves the clock by its timeout (so a pump_wait
// with the timer running lands on the next tick). A program that waits for input no test sends
// would run forever in virtual time; once the waits have moved the clock further than the idle
// limit since the last injected event, the backend says so on stderr and aborts the test.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/surface.h"
#include "platform/window.h"

constexpr uint64_t HEADLESS_IDLE_LIMIT_MS = 10 * 60 * 1000;  // virtual time, default
constexpr uint32_t HEADLESS_IDLE_STEP_MS = 55;  // a wait without limit moves the clock this far

// Keyboard (mods: WINDOW_MOD_* as the event carries them; scan: set-1 code or 0)
void headless_inject_key_down(int vk, int mods, int scan = 0);
void headless_inject_key_up(int vk, int mods, int scan = 0);
// A whole keystroke as a keyboard makes it: the modifier keys of `mods` go down (Shift, Ctrl,
// Alt), the key goes down and up, the modifiers come up in reverse order.
void headless_inject_keystroke(int vk, int mods);
// Typed characters: one character event per cp1252 byte.
void headless_inject_text(const std::string& text);

// Mouse (client pixels; the system cursor moves with every mouse event)
void headless_inject_mouse_move(int x, int y);
void headless_inject_mouse_button(int button, bool down, int x, int y);
// notches > 0 away from the user; one event of notches x WINDOW_WHEEL_NOTCH at the cursor.
void headless_inject_wheel(int notches);

// Window
// The framebuffer takes the new size when the program receives the event (never below the
// minimum size the program set, as a window manager would keep it).
void headless_inject_resize(int width, int height);
void headless_inject_close();
void headless_inject_focus(bool gained);
void headless_inject_expose();

// Monitors: each a whole rectangle and its usable part; by default one of 2560 x 1600 at (0, 0).
// With positions refused, window_set_position leaves the window where it is (as Wayland does).
void headless_set_displays(const std::vector<std::pair<WindowRect, WindowRect>>& displays);
void headless_refuse_positions(bool refuse);
bool headless_window_fullscreen();

// Clock
void headless_advance_clock(uint32_t ms);
// Every clock_now_ms read moves the clock by step_ms afterwards (0, the default: off). For code
// that spins on the clock instead of waiting.
void headless_set_clock_auto_step(uint32_t step_ms);
void headless_set_idle_limit(uint64_t limit_ms);

// System cursor
// While set, cursor_warp is refused as a display server that forbids it refuses it.
void headless_refuse_warps(bool refuse);

// Reading back
int headless_pending_events();
// Number of times window_present found a changed framebuffer and "showed" it.
int headless_present_count();
bool headless_cursor_visible();
bool headless_window_minimised();
std::string headless_window_title();
// The texts of the system message boxes shown since the reset, oldest first.
const std::vector<std::string>& headless_message_boxes();
// Writes a surface as an 8-bit RGB PNG file; false with the reason in *error on failure.
bool headless_write_png(const Surface& surface, const std::string& path, std::string* error);

// Test hooks
// Everything back to the start: no events, clock 0, empty 0 x 0 framebuffer, cursor visible at
// (0, 0), empty clipboard, default idle limit.
void reset_headless();
