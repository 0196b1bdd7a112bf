// The 256 layers of the drawing: user layers 0-243 and the special layers 244-255.
#pragma once

#include <array>
#include <cstdint>

constexpr int LAYER_COUNT = 256;

// Stand-in: every layer is on; no layer table, names, colours or pop-up yet.
inline std::array<uint8_t, LAYER_COUNT> layer_visibility = [] {
  std::array<uint8_t, LAYER_COUNT> on{};
  on.fill(1);
  return on;
}();
