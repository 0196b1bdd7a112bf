// Writes the seed corpus of the staircase file's fuzz target into the folder given: the
// built-in defaults of every kind in both units, whole designs of each kind, and damaged ones.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "print/stairs_params.h"
#include "tests/support/corpus_file.h"

namespace {

std::vector<uint8_t> image(const StairsParams& p) {
  std::vector<uint8_t> bytes(STAIRS_IMAGE_SIZE);
  write_stairs_image(p, bytes.data());
  return bytes;
}

StairsParams designed(int32_t kind_word, int32_t type, float total, int32_t n) {
  StairsParams p;
  set_builtin_stairs_defaults(kind_word, &p);
  p.kind4_type = type;
  p.total_rise = total;
  p.tread_count = n;
  p.rise = total / static_cast<float>(n + 1);
  p.run = static_cast<float>(p.rise / std::tan(static_cast<double>(p.pitch_angle)));
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_stairs_corpus FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  for (const int32_t kind : {STAIRS_KIND_HOUSED, STAIRS_KIND_TREADS, STAIRS_KIND_SPECIAL})
    for (const int32_t unit : {0, STAIRS_METRIC}) {
      StairsParams p;
      set_builtin_stairs_defaults(kind | unit, &p);
      write_file(folder + "/defaults_" + std::to_string(kind | unit), image(p));
    }
  const int32_t mm = STAIRS_METRIC;
  write_file(folder + "/housed_17", image(designed(STAIRS_KIND_HOUSED | mm, 0, 2800, 17)));
  write_file(folder + "/treads_8", image(designed(STAIRS_KIND_TREADS | mm, 0, 1400, 8)));
  for (int32_t type = 0; type <= STAIRS_TYPE_LAST; ++type) {
    StairsParams p = designed(STAIRS_KIND_SPECIAL | mm, type, 1400, type == 3 || type == 5 ? 5 : 8);
    if (type == STAIRS_TYPE_CUT_STRINGER) p.total_rise = static_cast<float>(p.tread_count) * p.run;
    p.side = static_cast<uint8_t>(type % 2);
    write_file(folder + "/special_" + std::to_string(type), image(p));
  }
  std::vector<uint8_t> cut = image(designed(STAIRS_KIND_HOUSED, 0, 60, 9));
  cut.pop_back();
  write_file(folder + "/one_byte_short", cut);
  std::vector<uint8_t> bad_kind = image(designed(STAIRS_KIND_HOUSED, 0, 60, 9));
  bad_kind[0] = 3;
  write_file(folder + "/bad_kind", bad_kind);
  return 0;
}
