// Pieces the two window backends share; not for the rest of the program.
#pragma once

#include <deque>

#include "platform/surface.h"
#include "platform/window.h"

// Translated events waiting for window_poll_event, oldest first.
struct WindowEventFifo {
  std::deque<WindowEvent> events;  // unbounded: the backends only add what the system sent
  int alt_numpad_value = 0;        // digits typed on the keypad while Alt is held, mod 256
};

// Appends an event. An Alt key-up after keypad digits typed with Alt held appends the
// character of their value behind it, so that Alt and keypad digits type any cp1252 character.
void window_fifo_push(WindowEventFifo* fifo, const WindowEvent& event);
bool window_fifo_pop(WindowEventFifo* fifo, WindowEvent* event);
void window_fifo_clear(WindowEventFifo* fifo);

// True when `current` differs from `shown` in size or pixels; `shown` then becomes a copy.
bool take_changed_frame(const Surface& current, Surface* shown);

// Resizes the framebuffer keeping the pixels that still fit (new area black), so that the
// old picture stays on screen until the program redraws.
void resize_keeping_pixels(Surface* surface, int width, int height);
