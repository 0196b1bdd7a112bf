// The import's fuzz targets, one per reader and the block exploder: any bytes must be read or
// refused cleanly, never crash or read out of bounds. The same function replays the checked-in
// corpora in the normal test run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "geometry/layers.h"
#include "import/dxf_layer_table.h"
#include "import/exploder/explode.h"
#include "import/import_drawing.h"
#include "import/import_run.h"
#include "job/job_host.h"
#include "store/line_list.h"

enum ImportFuzzTarget {
  FUZZ_DXF = 0,
  FUZZ_EXPLODER = 1,
  FUZZ_HPGL = 2,
  FUZZ_NC = 3,
  FUZZ_TEMP_ITEMS = 4,
  FUZZ_LAYER_TABLE = 5,
};
constexpr int IMPORT_FUZZ_TARGETS = 6;
constexpr const char* IMPORT_FUZZ_NAMES[IMPORT_FUZZ_TARGETS] = {"dxf", "exploder", "hpgl", "nc",
                                                                "temp_items", "layer_table"};

// Reads the bytes with the target's reader; the scratch folder takes the files it needs. Returns
// the reader's result (0 read, else refused).
inline int fuzz_import_input(int target, const uint8_t* data, size_t size, const std::string& scratch) {
  g_job_host_log.messages.clear();
  g_import.work_folder = scratch;
  const std::string input = scratch + "/input";
  if (target != FUZZ_EXPLODER) {
    std::ofstream(input, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                     static_cast<std::streamsize>(size));
  }
  int result = 0;
  if (target == FUZZ_EXPLODER) {
    std::string out, error;
    result = explode_dxf_text(std::string_view(reinterpret_cast<const char*>(data), size), &out, &error) ? 0 : 1;
  } else if (target == FUZZ_TEMP_ITEMS) {
    result = read_temp_item_file(input, 1);
  } else if (target == FUZZ_LAYER_TABLE) {
    std::vector<DxfLayerEntry> entries;
    result = read_dxf_layer_table(input, &entries);
  } else {
    const int flags = target == FUZZ_DXF ? IMPORT_DXF | IMPORT_MATCH_LAYER_NAMES
                                         : (target == FUZZ_NC ? IMPORT_NC : IMPORT_PLOTTER);
    result = import_geometry(input, flags);
    if (result == IMPORT_OK) result = read_temp_item_file(temp_item_file_path(), 1);
  }
  free_current_list();
  return result;
}
