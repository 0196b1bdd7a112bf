// The NC back-plot and the 3-D proof view: a generated 100,000-line program (moves, arcs by I/J
// and by R, drilling cycles, comments) read from its file and back-plotted into the proof file
// (goal: under 200 ms); and a 100,000-record proof redrawn at 1920 x 1080, fitted, rotated and
// zoomed in (goal: under 16 ms a frame on one core).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bench/bench_screen.h"
#include "editor/page_redraw.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "nc/back_plot.h"
#include "nc/proof_file.h"
#include "pages/proof_view.h"
#include "records/job_settings.h"
#include "screen/boxes.h"
#include "store/file_reader.h"
#include "store/line_list.h"
#include "store/text_loading.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A program of `lines` lines in millimetres: passes of straight cuts and arcs over a 200 x 200
// plate, a drilling cycle every so often, comments between.
std::string make_program(int lines) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> coord(0, 200);
  std::string text = "%\r\n(bench program)\r\nG21 G90 G17\r\nT1 M6\r\nS12000 M3\r\nG0 Z5\r\n";
  int written = 6;
  double x = 0, y = 0;
  char line[160];
  while (written < lines - 2) {
    const int pick = written % 20;
    if (pick == 0) {
      std::snprintf(line, sizeof line, "(pass %d)\r\n", written);
    } else if (pick == 1) {
      x = coord(random);
      y = coord(random);
      std::snprintf(line, sizeof line, "G0 X%.3f Y%.3f\r\nG1 Z-1.5 F300\r\n", x, y);
      ++written;
    } else if (pick == 10) {
      // An arc by I and J: half a circle of radius 5 about the point 5 to the right.
      std::snprintf(line, sizeof line, "G2 X%.3f Y%.3f I5. J0. F1200\r\n", x + 10, y);
      x += 10;
    } else if (pick == 11) {
      std::snprintf(line, sizeof line, "G3 X%.3f Y%.3f R5.\r\n", x - 10, y);
      x -= 10;
    } else if (pick == 15) {
      std::snprintf(line, sizeof line,
                    "G0 Z5\r\nG81 X%.3f Y%.3f Z-3. R1. F200\r\nX%.3f\r\nY%.3f\r\nG80\r\n", x, y,
                    x + 4, y + 4);
      written += 4;
    } else if (pick == 16) {
      std::snprintf(line, sizeof line, "G0 X%.3f Y%.3f\r\nG1 Z-1.5\r\n", x, y);
      ++written;
    } else {
      x = std::fmod(x + 3.7, 200.0);
      y = std::fmod(y + 1.3, 200.0);
      std::snprintf(line, sizeof line, "G1 X%.3f Y%.3f\r\n", x, y);
    }
    text += line;
    ++written;
  }
  text += "G0 Z5\r\nM30\r\n";
  return text;
}

// Reads the program file into the current list, as the editor does.
bool read_program(const std::string& path) {
  FileRecord record;
  init_file_record(&record, path, 0);
  TextLoad load;
  load.file = &record;
  load.wrap_width = 250;
  const int32_t made = read_text_lines(&load);
  close_file_record(&record);
  return made > 0;
}

}  // namespace

int main() {
  const fs::path folder = fs::temp_directory_path() / ("bench_proof_" + std::to_string(Clock::now().time_since_epoch().count()));
  fs::create_directories(folder);
  setenv("TMP", folder.c_str(), 1);
  const fs::path program = folder / "bench.nc";
  std::ofstream(program, std::ios::binary) << make_program(100000);

  g_job_settings = JobSettings{};
  g_job_settings.units = JOB_UNITS_MILLIMETRE;
  double best = 1e9;
  int result = 0;
  for (int run = 0; run < 5; ++run) {
    reset_list_store();
    reset_back_plot();
    reset_proof_file();
    const Clock::time_point start = Clock::now();
    if (!read_program(program.string())) {
      std::fprintf(stderr, "bench_proof: the program could not be read\n");
      return 1;
    }
    result = nc_to_proof_file(g_lists.current.first, PROOF_NO_DECORATION);
    best = std::min(best, ms_since(start));
    free_current_list();
  }
  std::vector<ProofRecord> records;
  read_proof_file(proof_file_path(), &records);
  std::printf("back-plot, 100,000 lines with the file read: %7.1f ms best of 5 (goal 200), "
              "result %d, %zu records\n",
              best, result, records.size());

  // The view: 100,000 records of the same program, at 1920 x 1080.
  if (!open_bench_screen("bench_proof", 1920, 1080)) return 1;
  layout_page_tab_strip();
  g_view.drawing_page_active = 0;
  layout_paint_boxes();
  if (records.size() > 100000) records.resize(100000);
  reset_proof_view();
  g_proof_view.records = records;
  g_proof_view.axes_index = records.size();
  proof_bounds();
  proof_fit_view();
  proof_reset_zoom();
  const auto frame_ms = [](int frames, float tilt, float rotation) {
    proof_draw(tilt, rotation);  // warm
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) proof_draw(tilt, rotation);
    return ms_since(start) / frames;
  };
  const double fitted = frame_ms(20, g_proof_view.tilt, 0.0f);
  const double rotated = frame_ms(20, 0.6f, 0.8f);
  g_proof_view.focal *= 8.0f;
  const double zoomed = frame_ms(20, 0.6f, 0.8f);
  std::printf("proof redraw, %zu records, fitted:      %7.2f ms a frame (goal 16)\n",
              g_proof_view.records.size(), fitted);
  std::printf("proof redraw, %zu records, rotated:     %7.2f ms a frame (goal 16)\n",
              g_proof_view.records.size(), rotated);
  std::printf("proof redraw, %zu records, zoomed in:   %7.2f ms a frame (goal 16)\n",
              g_proof_view.records.size(), zoomed);
  destroy_main_form();
  fs::remove_all(folder);
  return 0;
}
