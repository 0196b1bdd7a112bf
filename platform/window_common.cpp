#include <algorithm>
#include <cstring>

#include "platform/window_internal.h"

void window_fifo_push(WindowEventFifo* fifo, const WindowEvent& event) {
  fifo->events.push_back(event);
  const bool is_key_down = event.kind == WINDOW_EVENT_KEY_DOWN;
  if (is_key_down && event.key == VK_MENU && !event.repeat) {
    fifo->alt_numpad_value = 0;
  } else if (is_key_down && (event.mods & WINDOW_MOD_ALT) && event.key >= VK_NUMPAD0 &&
             event.key <= VK_NUMPAD0 + 9) {
    fifo->alt_numpad_value = (fifo->alt_numpad_value * 10 + (event.key - VK_NUMPAD0)) % 256;
  } else if (event.kind == WINDOW_EVENT_KEY_UP && event.key == VK_MENU) {
    if (fifo->alt_numpad_value > 0) {
      WindowEvent typed;
      typed.kind = WINDOW_EVENT_CHAR;
      typed.ch = static_cast<uint8_t>(fifo->alt_numpad_value);
      typed.mods = event.mods;
      fifo->events.push_back(typed);
    }
    fifo->alt_numpad_value = 0;
  }
}

bool window_fifo_pop(WindowEventFifo* fifo, WindowEvent* event) {
  if (fifo->events.empty()) return false;
  *event = fifo->events.front();
  fifo->events.pop_front();
  return true;
}

void window_fifo_clear(WindowEventFifo* fifo) {
  fifo->events.clear();
  fifo->alt_numpad_value = 0;
}

bool take_changed_frame(const Surface& current, Surface* shown) {
  if (current.width == shown->width && current.height == shown->height &&
      current.pixels.size() == shown->pixels.size() &&
      (current.pixels.empty() ||
       std::memcmp(current.pixels.data(), shown->pixels.data(),
                  current.pixels.size() * sizeof(uint32_t)) == 0)) {
    return false;
  }
  *shown = current;
  return true;
}

void resize_keeping_pixels(Surface* surface, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  Surface resized;
  surface_resize(&resized, width, height);
  const int keep_w = std::min(width, surface->width);
  const int keep_h = std::min(height, surface->height);
  for (int y = 0; keep_w > 0 && y < keep_h; ++y) {
    std::memcpy(&resized.pixels[static_cast<size_t>(y) * width],
                &surface->pixels[static_cast<size_t>(y) * surface->width],
                static_cast<size_t>(keep_w) * sizeof(uint32_t));
  }
  *surface = std::move(resized);
}
