// libFuzzer target of the job reader: any bytes must either read as a job or be refused
// cleanly, never crash or read out of bounds.
#include <cstddef>
#include <cstdint>

#include "geometry/layers.h"
#include "job/job_file.h"
#include "store/line_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    reset_layers();
    return true;
  }();
  (void)ready;
  read_job_bytes(data, size, "fuzz.job", nullptr);
  free_current_list();
  return 0;
}
