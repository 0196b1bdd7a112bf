// Printing: a 20,000-line NC program printed as the NC page prints it, to a PDF file at 300 dpi
// (goal under 2 s), and a window image of 600 x 400 pixels with 10,000 lines printed over four
// A4 pages in bands (goal under 1 s a page); peak memory of both.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/canvas.h"
#include "platform/files.h"
#include "print/page_geometry.h"
#include "print/text_print.h"
#include "print/window_image.h"
#include "screen/interface_settings.h"

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

int paint_lines(void* /*object*/, PrintBand* band) {
  Canvas* c = band->canvas;
  c->pen.colour = 0;
  for (int i = 0; i < 10000; ++i) {
    const int x = (i * 37) % 2400;
    const int y = (i * 53) % 3400;
    canvas_draw_line(c, x - band->origin_x, y - band->origin_y, (x + 300) % 2400 - band->origin_x,
                     (y + 200) % 3400 - band->origin_y);
  }
  return 1;
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

  PrintSetup setup;
  setup.file_path = (folder / "drawing.pdf").string();
  PrintDeviceCaps caps;
  print_measure(setup, &caps, &error);
  start = Clock::now();
  PrintJob* job = print_begin(setup, caps, "drawing", &error);
  const PrintableWindow window{2400, 3400, 0, 0, 0xFFFFFF};
  for (int page = 0; page < 4; ++page) {
    print_begin_page(job);
    const int x = -(page % 2) * caps.paper_width;
    const int y = -(page / 2) * caps.paper_height;
    print_window_image(&window, job, x, y, 2 * caps.paper_width, 2 * caps.paper_height,
                       {0, 0, caps.paper_width, caps.paper_height}, WindowPrintOptions{},
                       paint_lines, nullptr, nullptr, nullptr);
    print_end_page(job);
  }
  if (!print_end(job, &error)) return 1;
  std::printf("10,000 lines over four A4 pages at 300 dpi: %.0f ms a page (goal 1000 ms)\n",
              ms_since(start) / 4);
  std::printf("peak memory: %ld kB\n", peak_memory_kb());
  fs::remove_all(folder);
  return 0;
}
