// What the fuzz target of the preferences file checks on any bytes, shared with the replay of
// its corpus in the normal test run: a result from the reader, and a file that was read writes
// back and reads again to the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "shell/preferences_file.h"

inline void check_preferences_input(const uint8_t* data, size_t size) {
  const PreferencesReadResult result = read_preferences_bytes(data, size);
  if (result < PREFERENCES_TRAILING || result > PREFERENCES_DRIVES_DROPPED) std::abort();
  if (result < 0) return;
  const std::vector<uint8_t> written = preferences_file_bytes();
  if (read_preferences_bytes(written.data(), written.size()) != PREFERENCES_READ_OK ||
      preferences_file_bytes() != written) {
    std::abort();
  }
}
