// The machining-time estimate over a proof file of 1,000,000 records (cuts, rapids, plunges,
// feed lines and tool changes in the mix of a real run): the time accumulate_proof_time takes to
// read and time it. The goal is under 100 ms.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "nc/proof_file.h"
#include "nc/time_estimate.h"
#include "records/job_settings.h"

namespace {

constexpr int RECORD_COUNT = 1000000;
constexpr int RUNS = 5;

// One record of a run that repeats every ten: a feed line, a rapid, a plunge, six cuts and a
// retract, with a tool change now and then.
void write_record(int k) {
  const float x = static_cast<float>(k % 1000) * 0.01f;
  const float y = static_cast<float>(k / 1000) * 0.01f;
  switch (k % 10) {
    case 0:
      if (k % 10000 == 0) proof_write_tool('T', 1 + k / 10000 % 4);
      else proof_write_line(k, 20.0f + static_cast<float>(k % 7), 12000);
      return;
    case 1: proof_write_record('0', x, y, 0.1f); return;
    case 2: proof_write_record('Z', x, y, -0.01f); return;
    case 9: proof_write_record('z', x, y, 0.1f); return;
    default: proof_write_record('1', x + 0.05f, y + 0.02f * (k % 10), -0.01f); return;
  }
}

}  // namespace

int main() {
  namespace fs = std::filesystem;
  const fs::path folder =
      fs::temp_directory_path() / ("brenvik_bench_time_estimate_" + std::to_string(getpid()));
  fs::create_directories(folder);
  setenv("TMP", folder.c_str(), 1);  // the proof file goes there
  g_job_settings = JobSettings{};
  if (!proof_open()) {
    std::fprintf(stderr, "the proof file could not be made in %s\n", folder.c_str());
    return 1;
  }
  for (int k = 0; k < RECORD_COUNT; ++k) write_record(k);
  proof_close();
  std::error_code ignored;
  const uintmax_t bytes = fs::file_size(proof_file_path(), ignored);

  double best = 1e9, total = 0;
  for (int run = 0; run < RUNS; ++run) {
    RapidSettings stored;
    reset_time_estimate(&stored, false);
    const auto start = std::chrono::steady_clock::now();
    accumulate_proof_time();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    best = std::min(best, ms);
    total += ms;
  }
  std::printf("accumulate_proof_time over %d records (%ju bytes): best %.1f ms, mean %.1f ms of "
              "%d runs (goal < 100); %s\n",
              RECORD_COUNT, bytes, best, total / RUNS, RUNS, format_machining_time().c_str());
  proof_delete_file();
  fs::remove_all(folder, ignored);
  return 0;
}
