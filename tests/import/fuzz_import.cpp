// libFuzzer target of one import reader, chosen by IMPORT_FUZZ_TARGET at build time.
#include <cstdlib>
#include <string>

#include "tests/import/fuzz_import_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string scratch = [] {
    reset_layers();
    char folder[] = "/tmp/brenvik-fuzz-import-XXXXXX";
    return std::string(mkdtemp(folder) != nullptr ? folder : "/tmp");
  }();
  fuzz_import_input(IMPORT_FUZZ_TARGET, data, size, scratch);
  return 0;
}
