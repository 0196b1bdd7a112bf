// Making the NC program of a job of 5,000 centerline items (lines, arcs and small polylines):
// the brenvik-nc tool run on the saved job (wall time), and the same work in this process
// (read the job, make the program, write it) with the peak memory it needed. Prints the time per
// 1,000 items; the goal is under 50 ms. The same job is also made into engraver commands and
// exported as DXF (goal under 50 ms per 1,000 items each), and cut on a sphere (under 150).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/resource.h>

#include "cam/machining_block.h"
#include "cam/make_nc.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "job/job_file.h"
#include "nc/cam_host.h"
#include "nc/post_processor.h"
#include "nc/work_surface.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "store/line_list.h"

namespace {

constexpr int ITEM_COUNT = 5000;
constexpr int16_t ENGRAVER_FORMAT = 5;    // the factory's engraver format
constexpr float SPHERE_RADIUS = 200.0f;   // the items lie within 170 of the origin

// Peak resident memory of this process in kB (0 when the system does not say).
long peak_memory_kb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

CamParams cut(int16_t group) {
  CamParams p;
  p.operation = CAM_OP_CENTERLINE;
  p.machining_group = group;
  p.rapid_height = 0.1f;
  p.finishing.cut_depth = 0.01f;
  p.finishing.feed = 20.0f;
  p.finishing.rpm = 12000;
  p.finishing.plunge_percent = 50;
  p.finishing.tool_number = 1;
  p.finishing.cut_width = 0.03f;
  return p;
}

void add_item(int k) {
  const float x = static_cast<float>(k % 100) * 1.5f;
  const float y = static_cast<float>(k / 100) * 1.5f;
  const int kind = k % 3;  // 0 a line, 1 an arc, 2 a polyline of four links
  const int links = kind == 2 ? 4 : 1;
  new_geometry_block("", nullptr, links, 0, GEOMETRY_KIND_MACHINABLE);
  DrawingItem* item = g_lists.current.last;
  item->kind = ITEM_POLYLINE;
  item->state = ITEM_FLAG_SELECTED;
  set_item_id(item, k + 1);
  LinkRecord* r = item_nodes(item);
  if (kind == 0) {
    r[0].point = {x, y};
    r[1].point = {x + 1, y + 0.5f};
  } else if (kind == 1) {
    r[0].point = {x + 1, y};
    r[0].code = 0.5f;
    r[0].centre = {x + 0.5f, y};
    r[1].point = {x, y};
    arc_angles_from_points(&r[0]);
  } else {
    const PointF p[] = {{x, y}, {x + 1, y}, {x + 1, y + 1}, {x, y + 1}, {x, y + 0.2f}};
    for (int n = 0; n <= 4; ++n) r[n].point = p[n];
  }
  put_block_cam(item_block(item), cut(static_cast<int16_t>(10 + k % 5)));
  item_bounding_boxes(item);
}

// CPU time (user and system) of the child processes so far, in ms.
double children_cpu_ms() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

// Runs brenvik-nc with the arguments: the wall time in ms with process start (negative when the
// tool failed) and the CPU time it took, which a loaded machine changes less.
double time_tool(const std::string& arguments, double* cpu_ms) {
  const std::string command = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' " + arguments + " > /dev/null";
  const double cpu_before = children_cpu_ms();
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  *cpu_ms = children_cpu_ms() - cpu_before;
  return status == 0 ? ms : -1.0;
}

std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace

// Runs the tool on a bench job written by the build; prints its time with process start and the
// peak memory of the tool's processes so far. False when the tool failed.
bool time_bench_job(const char* name, const char* goal, const std::filesystem::path& folder) {
  const std::string job = std::string(BENCH_JOB_DIR "/") + name;
  const std::string command = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' '" + job + "' '" +
                              (folder / "bench-job.nc").string() + "' > /dev/null";
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (status != 0) {
    std::fprintf(stderr, "brenvik-nc failed on %s\n", name);
    return false;
  }
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  std::printf("brenvik-nc on %s: %.1f ms with process start%s; peak memory of the tool runs %ld kB\n",
              name, ms, goal, static_cast<long>(usage.ru_maxrss));
  return true;
}

int main() {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / "brenvik_bench_make_nc";
  fs::create_directories(folder);
  const fs::path job = folder / "bench.job";
  const fs::path out = folder / "bench.nc";
  const fs::path engraver_job = folder / "bench-engraver.job";
  const fs::path sphere_job = folder / "bench-sphere.job";

  reset_list_store();
  reset_layers();
  g_job_settings = JobSettings{};
  g_job_settings.post_processor_number = 1;
  for (int k = 0; k < ITEM_COUNT; ++k) add_item(k);
  if (write_job_to_path(job.string()) != 0) {
    std::fprintf(stderr, "the job could not be saved\n");
    return 1;
  }
  // The same items for the engraver (the factory's engraver format) and on a sphere round the
  // origin that holds them all.
  g_job_settings.post_processor_number = ENGRAVER_FORMAT;
  const bool variants_saved = write_job_to_path(engraver_job.string()) == 0;
  g_job_settings.post_processor_number = 1;
  g_job_settings.surface_code = SURFACE_SPHERE;
  g_job_settings.surface_flag = 1 << (SURFACE_SPHERE - 1);
  g_job_settings.surface_radius = SPHERE_RADIUS;
  if (!variants_saved || write_job_to_path(sphere_job.string()) != 0) {
    std::fprintf(stderr, "the engraver or sphere job could not be saved\n");
    return 1;
  }
  g_job_settings = JobSettings{};
  free_current_list();

  // The tool, as a user runs it.
  const std::string command = "'" BRENVIK_PROGRAM_DIR "/brenvik-nc' '" + job.string() + "' '" +
                              out.string() + "' > /dev/null";
  const double tool_cpu_before = children_cpu_ms();
  const auto tool_start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  const double tool_cpu_ms = children_cpu_ms() - tool_cpu_before;
  const double tool_ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - tool_start).count();
  if (status != 0) {
    std::fprintf(stderr, "brenvik-nc failed\n");
    return 1;
  }

  // The same work in this process, for its memory.
  const long memory_before = peak_memory_kb();
  const auto start = std::chrono::steady_clock::now();
  reset_cam_host();
  set_program_folder_for_tests(BRENVIK_PROGRAM_DIR);
  if (read_job_file(job.string(), nullptr) != 0) return 1;
  read_post_processors(program_folder(), false);
  g_job_settings.post_processor = find_post_processor(g_job_settings.post_processor_number);
  const auto made = std::chrono::steady_clock::now();
  if (make_nc_program() != 1) {
    std::fprintf(stderr, "no NC program: %s\n", g_make_nc.failure.c_str());
    return 1;
  }
  const auto make_end = std::chrono::steady_clock::now();
  size_t lines = 0;
  {
    std::ofstream file(out);
    for (const TextLine* l = g_lists.slots[LIST_SLOT_NC_PROGRAM].first; l != nullptr; l = l->next) {
      file << l->text;
      ++lines;
    }
  }
  const auto end = std::chrono::steady_clock::now();
  const double total_ms = std::chrono::duration<double, std::milli>(end - start).count();
  const double make_ms = std::chrono::duration<double, std::milli>(make_end - made).count();

  std::printf("brenvik-nc on %d centerline items: %.1f ms, %.1f ms per 1,000 items (goal < 50; "
              "CPU %.1f ms per 1,000)\n",
              ITEM_COUNT, tool_ms, tool_ms * 1000.0 / ITEM_COUNT, tool_cpu_ms * 1000.0 / ITEM_COUNT);
  std::printf("in process: read + make + write %.1f ms (make_nc_program %.1f ms, %.1f ms per "
              "1,000 items), %zu NC lines\n",
              total_ms, make_ms, make_ms * 1000.0 / ITEM_COUNT, lines);
  std::printf("peak memory: %ld kB (%ld kB before the run)\n", peak_memory_kb(), memory_before);
  // The other outputs of the same items.
  struct Output {
    const char* what;
    fs::path in, out;
    bool dxf;
    double goal;
  };
  const Output outputs[] = {
      {"engraver commands", engraver_job, folder / "bench.eng", false, 50},
      {"DXF export", job, folder / "bench.dxf", true, 50},
      {"G-code on a sphere", sphere_job, folder / "bench-sphere.nc", false, 150},
  };
  bool outputs_ok = true;
  for (const Output& o : outputs) {
    double cpu_ms = 0;
    const double ms =
        time_tool((o.dxf ? "--dxf " : "") + quoted(o.in) + " " + quoted(o.out), &cpu_ms);
    if (ms < 0) {
      std::fprintf(stderr, "brenvik-nc failed on the %s\n", o.what);
      outputs_ok = false;
      continue;
    }
    std::error_code ignored;
    std::printf("brenvik-nc, %s: %.1f ms, %.1f ms per 1,000 items (goal < %.0f; CPU %.1f ms "
                "per 1,000), %ju bytes\n",
                o.what, ms, ms * 1000.0 / ITEM_COUNT, o.goal, cpu_ms * 1000.0 / ITEM_COUNT,
                static_cast<uintmax_t>(fs::file_size(o.out, ignored)));
  }
  // Pockets and contours: the plate (41 letter islands, roughing and finishing, ramps, three
  // passes, outside contour) and the sign.
  const bool jobs_ok = time_bench_job("plate-300x200.job", " (goal < 1000)", folder) &&
                       time_bench_job("sign-790mm.job", "", folder);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return jobs_ok && outputs_ok ? 0 : 1;
}
