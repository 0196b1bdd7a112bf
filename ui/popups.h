// The pop-up stack: boxes left on the screen while the program works (progress notices, notices
// of a long operation, key menus). The current pop-up is on top; the ones it covers wait below
// it. Whoever opened a pop-up closes it with close_top_popup.
#pragma once

#include <cstdint>
#include <vector>

#include "screen/event_queue.h"

struct TextLine;
struct TextWindow;

// The depth the stack was designed for; it grows beyond it instead of forgetting a pop-up.
constexpr int POPUP_DEPTH_DESIGNED = 10;

struct PopupStack {
  TextLine* current = nullptr;      // the current pop-up's window node, or null
  TextWindow* window = nullptr;     // its record
  std::vector<TextLine*> below;     // the pop-ups it covers, oldest first
  uint8_t one_shot = 0;             // the next box closes at its first key
};
extern PopupStack g_popups;

// Remembers the current pop-up below (when there is one); the caller then sets a new current.
void push_popup();
// The pop-up below becomes current again; with none below there is no current pop-up.
void pop_popup();
// Destroys the current pop-up (its window gives back the screen under it) and makes the one
// below current. Nothing when there is no pop-up.
void close_top_popup();
// Waits until the tick counter has moved on by `ticks` or a key or button press (1-434) comes,
// then closes the current pop-up. The key stays in the queue.
void close_popup_after(int ticks);
// Waits until the tick counter has moved on by `ticks` or a key, press or quit comes; returns
// that code (left at the front of the queue) or 0 when the time ran out.
EventCode wait_ticks_or_press(int ticks);
// Exchanges the current pop-up with the one below it.
void swap_top_popups();
// which != 0: draws the pop-up below the current one; which >= 0: draws the current one. The
// active window stays active.
void redraw_popups(int which);
// Writes a text inside the current pop-up: a negative row counts from its bottom row, a
// non-negative column from its left column, a negative one keeps that column for every line.
void print_in_popup(int row, int column, const char* text);

// Test hooks
// Forgets every pop-up (frees nothing).
void reset_popups();
