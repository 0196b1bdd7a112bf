// Makes the interface picture file KR_IMAGE.KR5 from its readable source (data/pictures.txt),
// drawn with the program's canvas and interface font and packed by our implode encoder.
//
// Usage: make_pictures SOURCE INTERFACE_FONT OUTPUT
// The output is written beside its final name and renamed into place only when complete; a
// fault in the source is reported as FILE:LINE: what, and nothing is written.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/font.h"
#include "tools/picture_source.h"
#include "tools/picture_writer.h"

namespace {

bool write_whole(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string temp = path + ".new";
  FILE* file = std::fopen(temp.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) return false;
  std::error_code error;
  std::filesystem::rename(temp, path, error);
  return !error;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_pictures SOURCE INTERFACE_FONT OUTPUT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  if (!in) {
    std::fprintf(stderr, "make_pictures: cannot read %s\n", argv[1]);
    return 1;
  }
  BitmapFont font;
  std::string error;
  if (!font_load(argv[2], &font, &error)) {
    std::fprintf(stderr, "make_pictures: %s\n", error.c_str());
    return 1;
  }
  std::map<int, Surface> pictures;
  if (!render_picture_source(text.str(), argv[1], font, &pictures, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::map<int, std::vector<uint8_t>> entries;
  for (const auto& [number, surface] : pictures) {
    entries[number] = picture_entry_from_surface(surface, &error);
    if (entries[number].empty()) {
      std::fprintf(stderr, "make_pictures: picture %d: %s\n", number, error.c_str());
      return 1;
    }
  }
  if (!write_whole(argv[3], picture_file_from_entries(entries))) {
    std::fprintf(stderr, "make_pictures: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
