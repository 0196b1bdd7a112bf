// The folder picker and the file list against the system's own tools, on trees made for the run
// in the temporary folder:
// - the scan, sort and cache of a 20,000-folder tree against `find DIR -xdev -type d`
//   (goal: ratio at most 2), and reading that tree back from its cache (goal: under a tenth of
//   the scan);
// - list_files of a folder of 10,000 files against `ls -l` (goal: ratio at most 1).
// Each figure is the best of several runs after a warm-up (the file system's caches warm).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "bench/bench_screen.h"
#include "platform/headless.h"
#include "platform/pump.h"
#include "platform/window.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/palette.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/line_list.h"
#include "ui/dir_tree.h"
#include "ui/file_list.h"
#include "ui/text_window.h"

namespace fs = std::filesystem;

namespace {

constexpr int RUNS = 7;
constexpr int TOP_FOLDERS = 20;
constexpr int SECOND_FOLDERS = 20;
constexpr int THIRD_FOLDERS = 50;  // 20 + 400 + 20,000 folders in all
constexpr int FILES = 10000;

double best_ms(const std::function<void()>& work) {
  work();  // warm-up
  double best = 1e30;
  for (int run = 0; run < RUNS; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

void run_command(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

fs::path make_base() {
  std::random_device random;
  const fs::path base =
      fs::temp_directory_path() / ("brenvik-bench-folders-" + std::to_string(random()));
  fs::create_directories(base / "program");
  std::ofstream(base / "mounts");  // no other places
  return base;
}

void make_tree(const fs::path& home) {
  for (int a = 0; a < TOP_FOLDERS; ++a)
    for (int b = 0; b < SECOND_FOLDERS; ++b)
      for (int c = 0; c < THIRD_FOLDERS; ++c)
        fs::create_directories(home / ("job" + std::to_string(a)) / ("part" + std::to_string(b)) /
                               ("cut" + std::to_string(c)));
}

void make_files(const fs::path& folder) {
  fs::create_directories(folder);
  for (int k = 0; k < FILES; ++k)
    std::ofstream(folder / ("sign" + std::to_string(k) + (k % 3 == 0 ? ".job" : ".nc")))
        << std::string(static_cast<size_t>(k % 200), 'x');
}

// A new run of the program for the picker: the tree window and the compared marks go.
void new_run() {
  free_dir_tree();
  scan_drives();
}

int tree_lines() {
  const TextWindow* w = window_of(g_dir_tree.window);
  int n = 0;
  for (const TextLine* l = w != nullptr ? w->first_line : nullptr; l != nullptr; l = l->next) ++n;
  return n;
}

}  // namespace

int main() {
  if (!open_bench_screen("bench_folders")) return 1;
  const fs::path base = make_base();
  const fs::path home = base / "home";
  make_tree(home);
  g_dir_tree = DirTree();
  g_dir_tree.mount_table = (base / "mounts").string();
  g_dir_tree.home = home.string();
  g_dir_tree.cache_folder = (base / "program").string();
  const fs::path cache = base / "program" / "DIR_LIST._C_";

  const double find_ms =
      best_ms([&] { run_command("find " + quoted(home) + " -xdev -type d >/dev/null"); });
  const double scan_ms = best_ms([&] {
    fs::remove(cache);
    new_run();
    build_dir_tree(DRIVE_HOME);
  });
  const int scanned = tree_lines();
  const double cached_ms = best_ms([&] {
    new_run();
    build_dir_tree(DRIVE_HOME);
  });
  const int read_back = tree_lines();
  std::printf("tree of %d folders: scan, sort and cache %.1f ms; find %.1f ms; ratio %.2f "
              "(goal <= 2)\n",
              scanned - 1, scan_ms, find_ms, scan_ms / find_ms);
  std::printf("tree read back from its cache: %.1f ms, %.3f of the scan (goal < 0.1)\n", cached_ms,
              cached_ms / scan_ms);
  free_dir_tree();

  const fs::path files = base / "files";
  make_files(files);
  const double ls_ms = best_ms([&] { run_command("ls -l " + quoted(files) + " >/dev/null"); });
  int listed = 0;
  const double list_ms = best_ms([&] {
    std::string folder = files.string() + "/";
    listed = list_files(&folder, 0);
  });
  free_current_list();
  std::printf("list_files of %d files: %.1f ms; ls -l %.1f ms; ratio %.2f (goal <= 1)\n", listed,
              list_ms, ls_ms, list_ms / ls_ms);

  fs::remove_all(base);
  const bool whole = scanned == read_back && scanned == 1 + TOP_FOLDERS * (1 + SECOND_FOLDERS *
                                                                        (1 + THIRD_FOLDERS)) &&
                     listed == FILES;
  if (!whole) std::printf("FAILED: the tree or the list is not whole\n");
  const bool met = scan_ms <= 2 * find_ms && cached_ms < scan_ms / 10 && list_ms <= ls_ms;
  return whole && met ? 0 : 1;
}
