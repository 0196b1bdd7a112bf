// make_stroke_fonts HERSHEY_FOLDER OUT_FOLDER: writes the stroke font sources (".Q2F", named by
// font number) made from the Hershey vector fonts, and their acknowledgements beside them.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/stroke_font_source.h"

namespace {

bool read_text(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

bool write_text(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_stroke_fonts HERSHEY_FOLDER LICENCE_FILE OUT_FOLDER\n");
    return 2;
  }
  const std::string in_folder = argv[1];
  const std::string out_folder = argv[3];
  for (const HersheyFont& font : hershey_fonts()) {
    std::string text;
    std::vector<HersheyGlyph> glyphs;
    const std::string path = in_folder + "/" + font.file + ".jhf";
    if (!read_text(path, &text) || !parse_hershey(text, &glyphs)) {
      std::fprintf(stderr, "make_stroke_fonts: %s cannot be read\n", path.c_str());
      return 1;
    }
    const std::string out = out_folder + "/" + std::to_string(font.number) + ".Q2F";
    if (!write_text(out, hershey_font_source(glyphs, font.title))) {
      std::fprintf(stderr, "make_stroke_fonts: %s cannot be written\n", out.c_str());
      return 1;
    }
  }
  std::string licence;
  if (!read_text(argv[2], &licence)) {
    std::fprintf(stderr, "make_stroke_fonts: %s cannot be read\n", argv[2]);
    return 1;
  }
  std::string notice = "The stroke fonts (*.Q2F) are made from the Hershey vector fonts:\n\n";
  for (const HersheyFont& font : hershey_fonts())
    notice += "  " + std::to_string(font.number) + ".Q2F  " + font.title + "  (" + font.file +
              ".jhf)\n";
  notice += "\n" + licence;
  return write_text(out_folder + "/STROKE_FONTS-LICENCE.txt", notice) ? 0 : 1;
}
