// Writes the palette file the program ships, the factory colours in its four slots, from the
// program's own colour table and slot writer:
//   make_palette_file <program folder>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "screen/palette.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_palette_file PROGRAM_FOLDER\n");
    return 2;
  }
  const std::string path = path_join(argv[1], PALETTE_FILE_NAME);
  const std::vector<uint8_t> bytes = factory_palette_file();
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::fprintf(stderr, "make_palette_file: cannot write %s\n", path.c_str());
    if (file != nullptr) std::fclose(file);
    return 1;
  }
  return std::fclose(file) == 0 ? 0 : 1;
}
