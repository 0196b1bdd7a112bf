// Times the canvas where the program leans on it hardest: a full 1920 x 1080 screen of text in
// the 10 x 20 face (192 x 54 cells), drawn as whole rows and as short colour runs, and 10,000
// XOR line segments such as rubber bands and grids produce.
// Usage: bench_canvas [font file]; without one, the built interface font is used when present,
// else a face of pseudo-random glyphs of the same size.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "platform/font.h"

namespace {

constexpr int SCREEN_WIDTH = 1920;
constexpr int SCREEN_HEIGHT = 1080;

uint32_t next_random(uint64_t* state) {
  *state = *state * 6364136223846793005ULL + 1442695040888963407ULL;
  return static_cast<uint32_t>(*state >> 33);
}

FontFace synthetic_face() {
  FontFace face;
  face.name = "synthetic10x20";
  face.cell_width = 10;
  face.cell_height = 20;
  face.bytes_per_row = 2;
  face.bits.resize(256 * 20 * 2);
  uint64_t seed = 1;
  for (uint8_t& byte : face.bits) byte = static_cast<uint8_t>(next_random(&seed));
  return face;
}

// The 10 x 20 face of the font file, or a synthetic one; says which.
FontFace choose_face(const std::string& path) {
  if (std::filesystem::exists(path)) {
    BitmapFont font;
    std::string error;
    if (font_load(path, &font, &error)) {
      if (const FontFace* face = font_find_face(font, "qx10x20")) {
        std::printf("face: qx10x20 from %s\n", path.c_str());
        return *face;
      }
      std::printf("%s has no qx10x20\n", path.c_str());
    } else {
      std::printf("%s: %s\n", path.c_str(), error.c_str());
    }
  }
  std::printf("face: synthetic 10x20\n");
  return synthetic_face();
}

template <class Draw>
double milliseconds_per_call(int repeats, Draw&& draw) {
  draw();  // warm caches and the glyph expansion
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeats; ++i) draw();
  const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / repeats;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path =
      argc > 1 ? argv[1] : std::string(BRENVIK_PROGRAM_DIR) + "/Q5_FONT.FON";
  const FontFace face = choose_face(path);
  Surface screen;
  surface_resize(&screen, SCREEN_WIDTH, SCREEN_HEIGHT);
  Canvas canvas;
  canvas_init(&canvas, &screen);
  canvas.face = &face;

  const int columns = SCREEN_WIDTH / face.cell_width;
  const int rows = SCREEN_HEIGHT / face.cell_height;
  std::vector<std::string> lines(rows);
  uint64_t seed = 2;
  for (std::string& line : lines) {
    for (int c = 0; c < columns; ++c) line += static_cast<char>(32 + next_random(&seed) % 224);
  }
  const uint32_t colours[4] = {0x000000, 0x0000C0, 0xC00000, 0x008000};

  auto whole_rows = [&] {
    for (int r = 0; r < rows; ++r) {
      canvas.text_colour = colours[r & 3];
      canvas_draw_text(&canvas, 0, r * face.cell_height, lines[r]);
    }
  };
  auto colour_runs = [&] {  // runs of 8 cells, as coloured menus and forms are drawn
    for (int r = 0; r < rows; ++r) {
      const std::string_view line = lines[r];
      for (int c = 0; c < columns; c += 8) {
        canvas.text_colour = colours[(c / 8) & 3];
        canvas_draw_text(&canvas, c * face.cell_width, r * face.cell_height, line.substr(c, 8));
      }
    }
  };
  std::printf("screen %dx%d, %d x %d cells of %dx%d\n", SCREEN_WIDTH, SCREEN_HEIGHT, columns, rows,
              face.cell_width, face.cell_height);
  canvas.text_opaque = true;
  std::printf("text opaque, whole rows:      %.3f ms per screen\n", milliseconds_per_call(200, whole_rows));
  std::printf("text opaque, 8-cell runs:     %.3f ms per screen\n", milliseconds_per_call(200, colour_runs));
  canvas.text_opaque = false;
  std::printf("text transparent, whole rows: %.3f ms per screen\n", milliseconds_per_call(200, whole_rows));

  struct Segment {
    int x1, y1, x2, y2;
  };
  std::vector<Segment> segments(10000);
  for (Segment& s : segments) {
    s = {static_cast<int>(next_random(&seed) % SCREEN_WIDTH), static_cast<int>(next_random(&seed) % SCREEN_HEIGHT),
         static_cast<int>(next_random(&seed) % SCREEN_WIDTH), static_cast<int>(next_random(&seed) % SCREEN_HEIGHT)};
  }
  double pixels = 0;
  for (const Segment& s : segments) pixels += std::max(std::abs(s.x2 - s.x1), std::abs(s.y2 - s.y1));
  canvas.mix = CANVAS_MIX_XOR;
  canvas.pen = {0xFF0000, 1, CANVAS_PEN_SOLID, 0};
  auto xor_lines = [&] {
    for (const Segment& s : segments) canvas_draw_line(&canvas, s.x1, s.y1, s.x2, s.y2);
  };
  std::printf("10000 XOR lines (%.0f pixels): %.3f ms\n", pixels, milliseconds_per_call(20, xor_lines));
  canvas.pen.style = CANVAS_PEN_DOT;
  std::printf("10000 dotted XOR lines:        %.3f ms\n", milliseconds_per_call(20, xor_lines));
  return 0;
}
