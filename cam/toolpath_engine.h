// The tool-path engine: turns the closed outlines of one machining group into tool paths.
// Pockets are cleared with rings of decreasing size around their islands, contours are cut
// inside or outside an outline, and the result is a stream of PathRecords in a buffer the
// caller owns, continued in the temp file FPATHS.TMP when the stream outgrows the buffer.
//
// Conventions of every engine routine:
// - Geometry is double precision in the job's unit on the contour kernel's ContourLink and
//   ContourNode records. A positive offset distance moves a curve to the left of its travel;
//   outer boundaries run counter-clockwise and islands clockwise, so a positive distance
//   always moves into the material being cleared.
// - Results: ENGINE_DONE, ENGINE_NOTHING (nothing produced, or a failure already reported),
//   ENGINE_RETRY (the crossings of an offset did not close into loops; the pocket set-up
//   retries with slightly smaller tools).
// - The status word is g_contour_kernel.EngineStatus; the engine adds the ENGINE_STATUS_*
//   bits below to the kernel's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "geometry/contour_kernel.h"
#include "geometry/contour_network.h"

// ---- results ----
constexpr int32_t ENGINE_DONE = 1;
constexpr int32_t ENGINE_NOTHING = 0;
constexpr int32_t ENGINE_RETRY = -2;
// What machine_collected_group answers when the user pressed Esc: the whole run is cancelled.
constexpr int32_t ENGINE_CANCELLED = 27;

// ---- EngineStatus bits the engine sets (the kernel sets 0x01, 0x02 and 0x20) ----
constexpr int32_t ENGINE_STATUS_BAD_WIDTH = 0x08;     // a tool width not above 1e-8: skipped
constexpr int32_t ENGINE_STATUS_BAD_STEPOVER = 0x10;  // a stepover outside (1e-8, 1): skipped
constexpr int32_t ENGINE_STATUS_ROUNDING = 0x40;      // an outline failed after every retry
constexpr int32_t ENGINE_STATUS_NOT_LINKED = 0x200;   // the rings of an outline were not joined
// The bits that mean outlines of a group were left uncut without a message of their own.
constexpr int32_t ENGINE_STATUS_MISSING_CUTS =
    ENGINE_STATUS_INSIDE_UNDECIDED | ENGINE_STATUS_NOT_CHAINED | ENGINE_STATUS_BAD_WIDTH |
    ENGINE_STATUS_BAD_STEPOVER | ENGINE_STATUS_NOT_LINKED;

// ---- limits ----
constexpr int32_t ENGINE_MAX_OUTLINES = 200;  // outlines of one machining group (user-visible)
constexpr int32_t ENGINE_MAX_RETRIES = 20;    // shrunken-tool retries of one outline
constexpr int32_t ENGINE_MAX_STEPS = 32222;   // offset steps of one pass
// A ring count that means "clear the whole area".
constexpr int32_t RINGS_WHOLE_AREA = 9999;
// finish_tool of an outline without a finishing pass.
constexpr int32_t ENGINE_NO_TOOL = -9999;

// The machining settings of one outline, filled by the outline collector from the item's
// machining block and handed to every engine routine by value, so a routine may change its
// own copy. Lengths in job units.
struct ContourSettings {
  int32_t cut_direction = 0;           // 0 conventional (tool right), 1 climb (tool left)
  int32_t finish_rings = 0;            // finishing rings; RINGS_WHOLE_AREA, negative = outside
  double rough_width = 0.0;            // cutting width of the roughing tool
  double rough_stepover = 0.0;         // fraction of the width, (0, 0.999]
  double rough_first_stepover = 0.0;   // first ring to second ring, fraction of the width
  int32_t rough_rings = 0;             // RINGS_WHOLE_AREA pocket, 1 inside, -1 outside, 0 none
  double finish_width = 0.0;
  double finish_stepover = 0.0;
  double finish_first_stepover = 0.0;
  double finish_allowance = 0.0;       // distance the roughing rings keep from the wall
  int32_t finish_option = 0;           // the pocket's yes/no choice of the finishing form
  double ramp_angle = 90.0;            // degrees; 90 = straight plunge
  int32_t finish_tool = 0;             // tool number, ENGINE_NO_TOOL = none
  int32_t rough_tool = 0;
  int32_t group_order = 0;             // machining group * 65,536 + order in the group
  int32_t text_char = 0;               // 1-based character of a text item, 0 for drawings
  double depth = 0.0;                  // below the surface
  double finish_step_down = 0.0;
  double finish_last_pass = 0.0;
  double rough_step_down = 0.0;
  double rough_last_pass = 0.0;
  double blade_tolerance = 0.0;        // blade profiles only
  int32_t profile_mode = 0;            // 0 pocket or contour, 1 open blade, 2 closed blade
  double blade_radius = 0.0;
  double blade_offset = 0.0;
  double blade_y_factor = 0.0;
  int32_t entry_mode = 0;              // 2 with a roughing tool: ramped entries
};

// ---- path records: the engine's output stream and the record of FPATHS.TMP ----
// 24 bytes stored, little-endian: code i32, x f32, y f32, z f32, value f32, flag i32.
struct PathRecord {
  int32_t code = 0;
  float x = 0.0f;      // end point
  float y = 0.0f;
  float z = 0.0f;      // depth below the surface (moves, feeds); arc centre x (arcs)
  float value = 0.0f;  // arc centre y (arcs)
  int32_t flag = 0;    // cuts: 1 over ground already cut; markers: the tool or group number
};
constexpr size_t PATH_RECORD_SIZE = 24;

constexpr int32_t PATH_LINE = 3;        // straight cut to (x, y)
constexpr int32_t PATH_ARC_CW = 4;      // clockwise arc to (x, y) about (z, value)
constexpr int32_t PATH_ARC_CCW = 5;     // counter-clockwise arc
constexpr int32_t PATH_MOVE = 6;        // retract, travel, go down to depth z at (x, y)
constexpr int32_t PATH_END = 11;        // end of the stream
constexpr int32_t PATH_ROUGHING = 12;   // a roughing section follows
constexpr int32_t PATH_FINISHING = 13;  // a finishing section follows
constexpr int32_t PATH_FEED = 15;       // straight feed to (x, y, z)
constexpr int32_t PATH_BLADE = 18;      // a blade profile section follows
constexpr int32_t PATH_BLADE_MOVE = 40; // a move that ended a blade section (reader only)
// Markers carry their number in `flag`, so no tool number can pass for a group marker.
constexpr int32_t PATH_TOOL = 1000;     // the following section uses tool `flag`
constexpr int32_t PATH_GROUP = 2000;    // the following records belong to group_order `flag`

// The record buffer: PATH_BUFFER_CAPACITY records in use, a few more allocated; writers
// spill it to FPATHS.TMP whenever fewer than PATH_BUFFER_ROOM records are free.
constexpr int32_t PATH_BUFFER_CAPACITY = 50000;
constexpr int32_t PATH_BUFFER_ALLOCATED = 50005;
constexpr int32_t PATH_BUFFER_ROOM = 1305;
constexpr char PATH_SPILL_FILE_NAME[] = "FPATHS.TMP";
using PathRecordBuffer = std::vector<PathRecord>;

void write_path_record_bytes(const PathRecord& record, uint8_t out[PATH_RECORD_SIZE]);
void read_path_record_bytes(const uint8_t in[PATH_RECORD_SIZE], PathRecord* record);

// ---- the ring path of one outer outline (in memory only) ----
struct RingPathRecord {
  int32_t code = 0;   // RING_* or RING_TOOL
  double x = 0.0;     // end point
  double y = 0.0;
  double cx = 0.0;    // arc centre
  double cy = 0.0;
  int32_t flag = 0;   // 1 over ground already cut
  int32_t tool = 0;   // RING_TOOL: the tool number of the part that starts here
};
constexpr int32_t RING_LINE = 3;
constexpr int32_t RING_ARC_CW = 4;
constexpr int32_t RING_ARC_CCW = 5;
constexpr int32_t RING_MOVE = 6;
constexpr int32_t RING_ENTRY = 9;          // the tool goes down here
constexpr int32_t RING_END_ROUGHING = 10;
constexpr int32_t RING_END = 11;
constexpr int32_t RING_TOOL = 1000;        // start of the part cut with tool `tool`

// One ring handed to the ring linking: a link range of the ring arrays.
struct RingEntry {
  int32_t start_link = 0;
  int32_t end_link = 0;      // inclusive
  int32_t ring = 0;          // the offset step that made it: 1 = next to the wall
  double spacing = 0.0;      // offset distance of that step
};

// One result of an offset step: a boundary loop and the island loops inside it.
struct OffsetRegion {
  int32_t start = 0;                  // boundary loop, first and last link
  int32_t end = 0;
  std::vector<int32_t> island_start;  // island loops
  std::vector<int32_t> island_end;
};

// The area swept by the first roughing rings: one closed outline per link of every ring-1
// ring, each with its first and last link.
struct CoverageOutlines {
  bool allocated = false;
  std::vector<ContourLink> links;  // used links, then scratch for the outline under test
  std::vector<ContourNode> nodes;
  std::vector<int32_t> first;      // per outline
  std::vector<int32_t> last;
  int32_t outline_count = 0;
  int32_t link_count = 0;          // links and nodes in use
  int32_t node_count = 0;
  int32_t search_index = 0;        // outline that matched last: searches start there
  // A grid over the outlines' boxes: a search asks only the outlines whose box holds the
  // outline under test.
  std::vector<double> box;         // per outline: low x, low y, high x, high y
  double grid_x = 0.0, grid_y = 0.0, grid_cell = 1.0;
  int32_t grid_columns = 0, grid_rows = 0;
  std::vector<int32_t> cell_begin;  // per cell: first entry of cell_items (one more at the end)
  std::vector<int32_t> cell_items;  // outline numbers, ascending within a cell
};

// Everything the engine keeps between its routines. Arrays are sized per run and grow on
// demand; nothing survives a run but the records and the status bits.
struct ToolpathEngineState {
  // Record stream of the current group.
  int32_t record_count = 0;       // records in the caller's buffer
  bool spill_flag = false;        // some records of this run went to FPATHS.TMP
  std::FILE* spill_file = nullptr;  // open spill file; null while closed
  std::string spill_error;        // what went wrong with the spill file; empty when nothing
  // Run control.
  bool abort = false;             // Esc was pressed during an offset, linking or corner check
  int32_t retry_count = 0;        // -2 retries of the current outer outline
  bool roughing_made_rings = false;  // the roughing pass of the current attempt made rings
  int32_t group_link_count = 0;   // A: links of the group + 2, sizes the ring path
  uint32_t run_start_ms = 0;      // clock_now_ms when the NC run began (progress lines)
  uint32_t last_progress_ms = 0;  // when the last progress line was shown
  bool progress_shown = false;    // a progress line was shown since the run began
  // Cleaned copy of the group and the outline being worked.
  ContourNetwork cleaned;
  std::vector<ContourLink> work_links;  // boundary links first, then each island's
  std::vector<ContourNode> work_nodes;
  // Rings of one attempt: every offset of the attempt appends here.
  std::vector<ContourLink> ring_links;
  std::vector<ContourNode> ring_nodes;
  std::vector<RingEntry> boundary_rings;
  std::vector<RingEntry> island_rings;
  // The ring path of the current outer outline and its record count (the end code lies
  // behind the counted records).
  std::vector<RingPathRecord> ring_path;
  int32_t ring_path_count = 0;
  int32_t ring_path_end = 0;      // slot of the roughing run's end code: the finishing run's start
  // The walls of the outline being worked, in the working links: the linking measures how far
  // its points lie from them.
  int32_t wall_start = 0;
  int32_t wall_end = -1;
  std::vector<int32_t> wall_island_start, wall_island_end;
  // Vertices of the roughing run's first rings: where the finishing run may start.
  std::vector<ContourNode> wall_points;
  int32_t wall_point_next = 0;    // the next slot written; also the count looked at
  int32_t linked_rings = 0;       // rings the linking took into ring paths since the reset
  // Outer outlines (and one-sided open ones) of the last group run that made no path, by
  // their index in the group; islands are never listed.
  std::vector<int32_t> uncut_outlines;
  CoverageOutlines coverage;
};
extern ToolpathEngineState g_toolpath_engine;

// ---- the group driver ----
// Runs one machining group: `links`/`nodes` the collected outlines, contour_start/end the
// first and last link of each (replaced by the ranges of the cleaned copy), settings one per
// outline (entries may be overwritten by the settings of an enclosing pocket), records the
// caller's buffer (grown to PATH_BUFFER_ALLOCATED when smaller). Returns 1 when at least one
// outline produced a path, else 0 (too many outlines, no memory, a failed cleaning or
// containment test, Esc, or nothing to cut).
int32_t run_machining_group(const ContourLink* links, const ContourNode* nodes,
                            int32_t* contour_start, int32_t* contour_end, int32_t contour_count,
                            ContourSettings* settings, PathRecordBuffer* records);
// The sum of the outlines' link counts (an outline starting with a point counts 2), the
// number of point links and the highest node index any link uses.
int32_t count_group_links(const ContourLink* links, const int32_t* contour_start,
                          const int32_t* contour_end, int32_t contour_count,
                          int32_t* point_count, int32_t* max_node);

// Notes the start of an NC run: progress lines count the 55-ms ticks from here.
void start_engine_clock();

// ---- the record stream ----
// Appends a record at the record count.
void append_path_record(PathRecordBuffer* records, const PathRecord& record);
// Writes the end code at the record count without counting it.
void end_path_records(PathRecordBuffer* records);
// Spills the buffer to FPATHS.TMP when fewer than PATH_BUFFER_ROOM records are free, so
// that one more ring record (with its ramped entry) always fits.
void make_room_for_path_records(PathRecordBuffer* records);
// Appends count records to FPATHS.TMP, creating it on the first call of a run; count 0
// closes the file. False when the file could not be written (then spill_error says why).
bool spill_path_records(const PathRecord* records, int32_t count);
// The spill file's full path in the temp folder.
std::string path_spill_file_path();
// Sets every record's flag to 0 (ring records and the caller's records).
void clear_ring_path_flags(PathRecordBuffer* records);

// ---- the ring path ----
// Appends one ring-path record.
void append_ring_path_record(const RingPathRecord& record);

// ---- test hooks ----
// Frees the engine's arrays, closes a spill file left open and puts every field back.
void reset_toolpath_engine();
