// The framebuffer every drawing operation writes to and every backend presents:
// 32-bit pixels 0x00RRGGBB, row-major, top row first.
#pragma once

#include <cstdint>
#include <vector>

struct Surface {
  int width = 0;                 // pixels
  int height = 0;                // pixels
  std::vector<uint32_t> pixels;  // width * height, 0x00RRGGBB
};

inline void surface_resize(Surface* surface, int width, int height) {
  surface->width = width;
  surface->height = height;
  surface->pixels.assign(static_cast<size_t>(width) * height, 0);
}
