// Engraving text: every shipped stroke font compiled (goal under 100 ms each) and registered (goal
// under 10 ms for all), and text_to_strokes of 10,000 characters into the NC path encoder in
// font 0 and in Liberation Sans (goals 10 and 40 ms per 1,000 characters), with peak memory.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "cam/item_walkers.h"
#include "nc/path_code.h"
#include "records/cam_params.h"
#include "store/line_list.h"
#include "text/stroke_fonts.h"
#include "text/text_items.h"
#include "text/text_layout.h"
#include "text/truetype_faces.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long peak_memory_kb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// 10,000 characters of running text in 100 items of 100.
void time_text(const char* label, bool truetype) {
  reset_list_store();
  std::string text;
  const std::string words = "The quick brown fox jumps over the lazy dog 0123456789 ";
  while (text.size() < 100) text += words;
  text.resize(100);
  for (int k = 0; k < 100; ++k) {
    DrawingItem* item = new_text_item();
    set_line_text(text.c_str(), item);
    item = g_lists.current.last;
    CamParams params;
    params.operation = CAM_OP_CENTERLINE;
    params.finishing.cut_width = 0.01f;
    params.finishing.cut_depth = 0.01f;
    write_cam_params(params, block_cam_params(item_block(item)));
    TextLayout l;
    l.height = l.entered_height = 0.5f;
    l.width_factor = 1;
    l.anchor = PointF{0, -static_cast<float>(k)};
    if (truetype) set_truetype_description(l.log_font, "Liberation Sans", 400, false);
    write_text_layout(l, block_text_layout(item_block(item)));
    layout_text_item(item);
  }
  reset_path_code();
  path_alloc();
  start_walk_run();
  g_encoder_inputs.tolerance = 0.001f;
  const Clock::time_point start = Clock::now();
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next)
    text_to_strokes(item, path_encode_move);
  const double ms = ms_since(start);
  std::printf("%-16s %8.2f ms per 1,000 characters, peak memory %ld kB\n", label, ms / 10.0,
              peak_memory_kb());
  path_free();
  free_current_list();
}

}  // namespace

int main() {
  const fs::path folder = fs::temp_directory_path() / "brenvik_bench_text";
  fs::remove_all(folder);
  fs::create_directories(folder);
  double slowest = 0;
  std::string slowest_name;
  for (const auto& entry : fs::directory_iterator(BRENVIK_PROGRAM_DIR)) {
    if (entry.path().extension() != ".Q2F") continue;
    fs::copy_file(entry.path(), folder / entry.path().filename());
    const Clock::time_point start = Clock::now();
    if (compile_stroke_font(folder.string(), entry.path().stem().string()) != FONT_FILE_OK)
      std::printf("%s does not compile\n", entry.path().c_str());
    const double ms = ms_since(start);
    if (ms > slowest) {
      slowest = ms;
      slowest_name = entry.path().filename().string();
    }
  }
  std::printf("compile          %8.2f ms for the slowest font (%s)\n", slowest, slowest_name.c_str());
  const Clock::time_point start = Clock::now();
  const int fonts = register_folder_fonts(folder.string());
  std::printf("register         %8.2f ms for %d fonts\n", ms_since(start), fonts);
  time_text("font 0", false);
  time_text("Liberation Sans", true);
  fs::remove_all(folder);
  return 0;
}
