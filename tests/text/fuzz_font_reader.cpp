// libFuzzer target of the compiled-font reader and the glyph decoder.
#include "tests/text/font_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  font_fuzz::read_font(data, size);
  return 0;
}
