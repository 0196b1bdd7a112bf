// libFuzzer target of the staircase file reader and the build of what it takes: any bytes are
// read or refused cleanly, and nothing drawn is not a finite point.
#include <cstddef>
#include <cstdint>

#include "tests/print/stairs_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  check_stairs_input(data, size);
  return 0;
}
