// libFuzzer target of the preferences file reader: any bytes are read or refused cleanly,
// never a crash or a read out of bounds.
#include <cstddef>
#include <cstdint>

#include "tests/shell/preferences_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  check_preferences_input(data, size);
  return 0;
}
