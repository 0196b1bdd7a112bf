// Start values of the drawing commands that start-up gives them.
#pragma once

#include <cstdint>

#include "records/preferences.h"

// The characters the typed-coordinate fields take.
constexpr char TYPED_COORDINATE_CHARACTERS[] = "*+,-.0123456789<=>";

// Stand-in: the start values only; no command reads them yet.
struct CommandStartState {
  uint8_t command_flag = 0;                // 1 at start
  const char* typed_coordinate_characters = nullptr;
  float join_gap = 0.0f;                   // the JOIN command's gap, job units
};
inline CommandStartState g_command_start;

// Takes the gap tolerance of the preferences as the JOIN command's gap.
inline void init_join_gap() { g_command_start.join_gap = g_preferences.gap_tolerance; }
