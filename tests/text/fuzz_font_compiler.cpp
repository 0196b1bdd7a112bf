// libFuzzer target of the font compiler: whatever it writes, its reader reads.
#include <cstdlib>

#include "tests/text/font_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!font_fuzz::compile_font(data, size)) std::abort();
  return 0;
}
