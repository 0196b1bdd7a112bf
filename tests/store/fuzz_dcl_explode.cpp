// libFuzzer target of the decompressor: any bytes end with a result, never a crash or a read
// or write out of bounds.
#include <cstddef>
#include <cstdint>

#include "tests/store/dcl_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  check_dcl_input(data, size);
  return 0;
}
