// One run of import_geometry: the flags, the writer of ERASE.ME every reader writes through,
// and what the readers note on the way (entity kinds left out, DXF layer names met).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>

#include "import/temp_item_file.h"

// Flags of import_geometry.
constexpr int IMPORT_NC = 0x1;
constexpr int IMPORT_PLOTTER = 0x2;
constexpr int IMPORT_DXF = 0x8;
constexpr int IMPORT_MATCH_LAYER_NAMES = 0x10;
constexpr int IMPORT_ABSOLUTE_CENTRES = 0x40;
constexpr int IMPORT_LAYER_NAMES_OFF = 0x100;
constexpr int IMPORT_DC2 = 0x200;

// Plotter units in the job's units.
constexpr double PLOTTER_UNIT_MM = 0.025;
constexpr double PLOTTER_UNIT_INCH = 0.000984252;
// Text files larger than this are refused by the NC and plotter readers.
constexpr int64_t IMPORT_MAX_TEXT_BYTES = 256LL * 1024 * 1024;

struct ImportRun {
  int flags = 0;
  std::string path;                        // the file being read, for messages
  TempItemWriter writer;
  double plotter_unit = PLOTTER_UNIT_INCH; // job units per plotter unit
  double tolerance = 0.002;                // job tolerance: splines are flattened within it
  std::map<std::string, int> skipped;      // entity kinds left out, with their counts
  std::unordered_map<std::string, uint8_t> layers;  // DXF layer names already resolved
  std::map<int, std::string> new_layer_names;  // free job layers named by the file, given
                                               // their names only when the import succeeds
};

// The readers: 0 when the file was read, else the reason was shown (through the job host)
// naming the file and the line or offset; nothing of the file is to be imported then. The DXF
// reader gives -1 when the file has no ENTITIES section.
int read_dxf_file(ImportRun* run, const std::string& path);
int read_nc_file(ImportRun* run, const std::string& path);
int read_hpgl_file(ImportRun* run, const std::string& path);

// The reason a file is refused, shown through the job host. 1.
int reject_import_file(const ImportRun* run, const std::string& path, const char* where,
                       const std::string& why);
// Why a write of the temporary item file failed: too many items, or the file itself.
const char* write_failure_reason(const ImportRun* run);
// The kinds left out by the DXF reader, shown in one note (nothing when none).
void show_skipped_note(const ImportRun* run);
