// libFuzzer target of one image reader, chosen by IMAGE_FUZZ_KIND when it is built: any bytes
// must read as an image or be refused cleanly.
#include <cstddef>
#include <cstdint>

#include "tests/platform/image_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  check_image_input(IMAGE_FUZZ_KIND, data, size);
  return 0;
}
