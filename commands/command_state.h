// State the drawing commands keep for the whole run, with the start values start-up gives them.
#pragma once

#include <cstdint>

#include "records/preferences.h"

// The characters the typed-coordinate fields take.
constexpr char TYPED_COORDINATE_CHARACTERS[] = "*+,-.0123456789<=>";

struct CommandStartState {
  uint8_t command_flag = 0;                // 1 at start
  const char* typed_coordinate_characters = nullptr;
  float join_gap = 0.0f;                   // the JOIN commands' gap, job units; swapped in as
                                           // the touching gap while a join command runs
  // The layer range the batch join and SEPARATE share (0-255 each, first <= last).
  uint8_t join_first_layer = 0;
  uint8_t join_last_layer = 255;
  uint8_t join_mix_layers = 0;             // the batch join's "OK to mix layers", 0 N / 1 Y
  uint8_t separate_choice = 0;             // SEPARATE's third field, 0 N / 1 Y
};
inline CommandStartState g_command_start;

// Takes the gap tolerance of the preferences as the JOIN commands' gap.
inline void init_join_gap() { g_command_start.join_gap = g_preferences.gap_tolerance; }
