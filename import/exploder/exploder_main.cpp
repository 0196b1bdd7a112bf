// KR_X_DXF.EXE INPUT.DXF OUTPUT.DXF: expands the blocks of a DXF file. Exit status 0 when the
// output was written; otherwise the reason is on standard error.
#include <cstdio>
#include <string>

#include "import/dxf_pairs.h"
#include "import/exploder/explode.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: KR_X_DXF.EXE INPUT.DXF OUTPUT.DXF\n");
    return 2;
  }
  std::string input, output, error;
  if (!load_dxf_text(argv[1], &input, &error) || !explode_dxf_text(input, &output, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  FILE* file = std::fopen(argv[2], "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "%s cannot be created\n", argv[2]);
    return 1;
  }
  const bool written = std::fwrite(output.data(), 1, output.size(), file) == output.size();
  if (std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "%s cannot be written\n", argv[2]);
    std::remove(argv[2]);
    return 1;
  }
  return 0;
}
