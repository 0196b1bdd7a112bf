// Importing a DXF file of about 20 MB: 30,000 entities (item ids are 16-bit), a third each LINE,
// ARC and LWPOLYLINE of 50 vertices, through the reader, the temporary item file and the items
// read back, join and optimise off. Prints the time (goal under 1 s) and the peak memory above
// the start (goal under three times the file).
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "geometry/layers.h"
#include "import/import_drawing.h"
#include "job/job_host.h"
#include "records/job_settings.h"
#include "store/line_list.h"

namespace {

constexpr int ENTITY_COUNT = 30000;
constexpr int POLYLINE_VERTICES = 50;

// CPU time of this process so far, seconds (the machine may be busy with other work).
double cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long memory_kb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
  return 0;
}

void write_drawing(const std::string& path) {
  std::ofstream out(path);
  out << "0\nSECTION\n2\nENTITIES\n";
  char text[160];
  for (int k = 0; k < ENTITY_COUNT; ++k) {
    const double x = (k % 200) * 5.123456, y = (k / 200) * 5.654321;
    if (k % 3 == 0) {
      std::snprintf(text, sizeof text, "0\nLINE\n8\ncut\n10\n%.6f\n20\n%.6f\n11\n%.6f\n21\n%.6f\n", x, y,
                    x + 3.3, y + 1.1);
      out << text;
    } else if (k % 3 == 1) {
      std::snprintf(text, sizeof text, "0\nARC\n8\ncut\n10\n%.6f\n20\n%.6f\n40\n1.75\n50\n15.5\n51\n290.25\n",
                    x, y);
      out << text;
    } else {
      out << "0\nLWPOLYLINE\n8\npocket\n90\n" << POLYLINE_VERTICES << "\n70\n1\n";
      for (int v = 0; v < POLYLINE_VERTICES; ++v) {
        std::snprintf(text, sizeof text, "10\n%.6f\n20\n%.6f\n42\n%.6f\n", x + v * 0.05123, y + (v % 2) * 0.7311,
                      v % 5 == 0 ? 0.25 : 0.0);
        out << text;
      }
    }
  }
  out << "0\nENDSEC\n0\nEOF\n";
}

}  // namespace

int main() {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "brenvik_bench_dxf";
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "drawing.dxf").string();
  write_drawing(path);
  const double file_mb = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
  set_factory_job_settings(&g_job_settings, true);
  reset_layers();
  g_import.work_folder = folder.string();
  g_import.exploder_folder = folder.string();
  const long start_kb = memory_kb("VmRSS:");
  const double cpu0 = cpu_seconds();
  const auto t0 = std::chrono::steady_clock::now();
  const int written = import_geometry(path, IMPORT_DXF | IMPORT_MATCH_LAYER_NAMES);
  const auto t1 = std::chrono::steady_clock::now();
  const int read = written == IMPORT_OK ? read_temp_item_file(temp_item_file_path(), 1) : -9;
  const auto t2 = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(t2 - t0).count();
  std::printf("CPU time %.3f s\n", cpu_seconds() - cpu0);
  std::printf("reading the DXF file %.3f s, making the items %.3f s\n",
              std::chrono::duration<double>(t1 - t0).count(), std::chrono::duration<double>(t2 - t1).count());
  const double peak_mb = static_cast<double>(memory_kb("VmHWM:") - start_kb) / 1024.0;
  const int32_t items = count_current_lines();
  std::printf("DXF import of %.1f MB, %d entities: %d items in %.3f s (goal < 1 s), peak memory %.1f MB "
              "above the start = %.2f x the file (goal < 3)\n",
              file_mb, ENTITY_COUNT, items, seconds, peak_mb, peak_mb / file_mb);
  free_current_list();
  std::filesystem::remove_all(folder);
  return written == IMPORT_OK && read == 0 ? 0 : 1;
}
