// libFuzzer target of the picture file: any bytes open or are refused, and every picture is
// drawn or refused, never a crash or a read or write out of bounds.
#include <cstddef>
#include <cstdint>

#include "tests/screen/picture_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  check_picture_input(data, size);
  return 0;
}
