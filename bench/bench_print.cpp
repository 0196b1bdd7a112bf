// Printing: a 20,000-line NC program printed as the NC page prints it, to a PDF file at 300 dpi
// (goal under 2 s), and the Drawing page's drawing of 10,000 items (about 50,000 lines and arcs)
// printed over four A4 pages at 300 dpi, its bands painted by the renderer (goal under 1 s a
// page); peak memory of both.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/bench_shapes.h"
#include "editor/view.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "platform/files.h"
#include "print/drawing_print.h"
#include "print/page_geometry.h"
#include "print/text_print.h"
#include "records/job_settings.h"
#include "screen/interface_settings.h"
#include "store/line_list.h"

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

}  // namespace

int main() {
  const fs::path folder = fs::temp_directory_path() / "brenvik_bench_print";
  fs::create_directories(folder);
  g_interface = InterfaceSettings();
  g_interface.print_page_numbers = 1;
  reset_text_print();
  reset_printer_choice();
  g_printer.setup_chosen = true;
  g_printer.setup.file_path = (folder / "program.pdf").string();
  if (measure_printer() != 0) return 1;
  measure_text_printer(g_printer.caps, 12);
  compute_print_wrap_width();
  TextPrintDocument document;
  for (int i = 1; i <= 20000; ++i) {
    document.lines.push_back({"N" + std::to_string(i) + " G01 X" + std::to_string(i % 200) +
                              ".125 Y" + std::to_string(i % 97) + ".5 F40\n"});
  }
  auto start = Clock::now();
  std::string error;
  if (print_text_job(document, nullptr, &error) != TEXT_PRINT_DONE) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  std::printf("20,000-line program: %.0f ms (goal 2000 ms), %lld bytes of PDF\n", ms_since(start),
              static_cast<long long>(file_size(g_printer.setup.file_path)));

  // The drawing: 100 x 100 inches at 0.15 prints 15 inches square, two A4 pages across and
  // two down.
  reset_layers();
  set_factory_job_settings(&g_job_settings, false);
  for (int k = 0; k < 10000; ++k) add_bench_shape(k);
  compute_extents();
  reset_print_options();
  g_print_options.scale = 0.15f;
  g_printer.setup.file_path = (folder / "drawing.pdf").string();
  const DrawingPrintLayout layout = current_drawing_print_layout();
  start = Clock::now();
  if (print_drawing_job(layout, "", nullptr, &error) != DRAWING_PRINT_DONE) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const long long pages = static_cast<long long>(layout.columns * layout.rows);
  std::printf("10,000 items over %lld A4 pages at 300 dpi: %.0f ms a page (goal 1000 ms)\n", pages,
              ms_since(start) / static_cast<double>(pages));
  std::printf("peak memory: %ld kB\n", peak_memory_kb());
  fs::remove_all(folder);
  return 0;
}
