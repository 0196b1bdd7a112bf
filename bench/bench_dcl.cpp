// Times the imploded-data decoder on picture-like data: a 640 x 480 8-bit picture (larger than
// any interface picture) and a 128 x 96 utility button, decoded from memory and drawn on a
// screen surface, against Debian's `dynamite` decoding the same streams (its time includes
// starting the process, so it is an upper bound of its own decoding). Then every picture of the
// shipped picture file, drawn as the program draws it (read from the file, decoded, drawn),
// against `dynamite` on the same pixel streams, and the largest picture's time alone.
// Usage: bench_dcl
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "screen/display_mode.h"
#include "screen/picture_file.h"
#include "screen/text_output.h"
#include "store/dcl_explode.h"
#include "store/dcl_implode.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> picture_rows(int width, int height) {
  std::vector<uint8_t> rows;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int dx = x - width / 2;
      const int dy = y - height / 2;
      const bool inside = dx * dx + dy * dy < width * height / 6;
      rows.push_back(static_cast<uint8_t>(inside ? 120 + (x / 5 + y / 7) % 9 : (x / 32) % 4));
    }
  }
  return rows;
}

double our_decode_ms(const std::vector<uint8_t>& packed, int width, int height, int runs) {
  auto work = make_dcl_work_area();
  Surface surface;
  surface_resize(&surface, 1920, 1080);
  Canvas canvas;
  canvas_init(&canvas, &surface);
  std::vector<uint32_t> palette(256);
  for (uint32_t i = 0; i < 256; ++i) palette[i] = i * 0x010101u;
  std::vector<uint8_t> out;
  const auto start = Clock::now();
  for (int i = 0; i < runs; ++i) {
    dcl_expand_bytes(packed.data(), packed.size(), out, size_t{1} << 26, *work);
    CanvasDib dib;
    dib.width = width;
    dib.height = height;
    dib.bits_per_pixel = 8;
    dib.bits = out;
    dib.palette = palette;
    canvas_draw_dib(&canvas, 10, 10, dib);
  }
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / runs;
}

double dynamite_ms(const std::vector<uint8_t>& packed, int runs) {
  const auto folder = std::filesystem::temp_directory_path() / "brenvik-bench-dcl";
  std::filesystem::create_directories(folder);
  const std::string in = (folder / "in.bin").string();
  const std::string out = (folder / "out.bin").string();
  std::ofstream(in, std::ios::binary)
      .write(reinterpret_cast<const char*>(packed.data()), static_cast<std::streamsize>(packed.size()));
  const std::string command = "dynamite '" + in + "' '" + out + "' >/dev/null 2>&1";
  const auto start = Clock::now();
  for (int i = 0; i < runs; ++i) {
    if (std::system(command.c_str()) != 0) return -1.0;
  }
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count() / runs;
  std::filesystem::remove_all(folder);
  return ms;
}

// The imploded pixel stream of picture n of the open picture file; empty when it has none.
std::vector<uint8_t> pixel_stream(int n) {
  const PictureFile& file = g_picture_file;
  const uint32_t start = file.offsets[static_cast<size_t>(n)];
  const uint32_t end = file.offsets[static_cast<size_t>(n) + 1];
  std::vector<uint8_t> bytes(end - start);
  std::ifstream in(file.path, std::ios::binary);
  in.seekg(start);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  PictureEntry entry;
  if (!in || check_picture_entry(bytes.data(), bytes.size(), bytes.size(), &entry) != PICTURE_ENTRY_OK) {
    return {};
  }
  return std::vector<uint8_t>(bytes.begin() + static_cast<long>(entry.data_offset), bytes.end());
}

void shipped_pictures() {
  if (!open_picture_file(BRENVIK_PROGRAM_DIR "/KR_IMAGE.KR5")) {
    std::printf("no picture file in %s\n", BRENVIK_PROGRAM_DIR);
    return;
  }
  Surface screen;
  surface_resize(&screen, 1920, 1080);
  set_screen_canvas(&screen);
  g_display.screen_width = 1919;
  g_display.screen_height = 1079;
  double ours = 0;
  double theirs = 0;
  double largest_ms = 0;
  int largest = -1;
  int largest_area = 0;
  int pictures = 0;
  for (int n = 0; n <= g_picture_file.count; ++n) {
    int height = 0;
    int width = 0;
    if (picture_size(n, &height, &width) != 0) continue;
    constexpr int RUNS = 50;
    const auto start = Clock::now();
    for (int i = 0; i < RUNS; ++i) draw_picture(-n, 0, 0);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count() / RUNS;
    const double dynamite = dynamite_ms(pixel_stream(n), 1);
    if (dynamite < 0) {
      std::printf("dynamite is not installed\n");
      return;
    }
    ours += ms;
    theirs += dynamite;
    ++pictures;
    if (width * height > largest_area) {
      largest_area = width * height;
      largest = n;
      largest_ms = ms;
    }
  }
  std::printf("%d shipped pictures: read, decoded and drawn %.3f ms in all; dynamite %.3f ms; "
              "ratio %.3f\n", pictures, ours, theirs, theirs > 0 ? ours / theirs : 0.0);
  std::printf("the largest, picture %d (%d pixels): %.3f ms (goal: under 2 ms)\n", largest,
              largest_area, largest_ms);
  set_screen_canvas(nullptr);
  open_picture_file(nullptr);
}

}  // namespace

int main() {
  struct Case {
    const char* name;
    int width;
    int height;
  };
  for (const Case c : {Case{"640 x 480", 640, 480}, Case{"128 x 96", 128, 96}}) {
    const std::vector<uint8_t> rows = picture_rows(c.width, c.height);
    const std::vector<uint8_t> packed = dcl_implode(rows, 0, 6);
    const double ours = our_decode_ms(packed, c.width, c.height, 200);
    const double theirs = dynamite_ms(packed, 20);
    std::printf("%-10s %7zu -> %6zu bytes: decoded and drawn %.3f ms; dynamite %.3f ms "
                "(with its process start); ratio %.3f\n",
                c.name, rows.size(), packed.size(), ours, theirs,
                theirs > 0 ? ours / theirs : 0.0);
  }
  shipped_pictures();
  return 0;
}
