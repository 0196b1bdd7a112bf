// The tool list: list slot 8, one line per tool whose text is the tool's name (at most 20
// characters) and whose extra block is the tool's 32-byte ToolRecord in its stored layout. It
// is read from and saved to a record file in the program folder (KR_TOOLS.KR4, in the metric
// file set KR_TOOLm.KR4); without a usable file the list holds one default tool.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "cam/machining_block.h"
#include "store/line_list.h"

constexpr size_t TOOL_RECORD_SIZE = 32;
constexpr char TOOL_FILE_NAME[] = "KR_TOOLS.KR4";
constexpr char TOOL_FILE_METRIC_NAME[] = "KR_TOOLm.KR4";
constexpr char TOOL_FILE_BAD_MESSAGE[] = "Tool list file is bad!";
constexpr char DEFAULT_TOOL_NAME[] = "Default tool...";
constexpr int TOOL_NAME_MAX = 20;
// Units byte of a tool record.
constexpr uint8_t TOOL_UNITS_MM = 0;
constexpr uint8_t TOOL_UNITS_INCH = 1;

// One tool (32 stored bytes). Bytes 0-25 are shared with CamToolBlock.
struct ToolRecord {
  float size = 0;               // flat: diameter; tapered: included angle, rad; ball: radius
  float tip_diameter = 0;       // tapered tools
  float feed = 0;               // XY feed rate
  float step_down = 0;          // per depth pass; 0 one pass
  int32_t rpm = 0;              // spindle speed
  int16_t plunge_percent = 0;   // of the XY feed
  int16_t tool_number = 0;      // 0 = no tool
  uint8_t shape = 0;            // TOOL_SHAPE_*
  uint8_t feed_unit = 0;        // 0 per minute, 1 per revolution
  uint8_t stepover_percent = 0; // at most 100
  uint8_t ramp_angle = 0;       // degrees
  uint8_t units = 0;            // TOOL_UNITS_*: the unit of the record's lengths
};

// Stored layout
void read_tool_record(const uint8_t in[TOOL_RECORD_SIZE], ToolRecord* tool);
// Writes all 32 bytes, the reserved ones as zeros.
void write_tool_record(const ToolRecord& tool, uint8_t out[TOOL_RECORD_SIZE]);
// A line's extra block holding the tool.
LineExtra tool_record_extra(const ToolRecord& tool);
// The tool of a tool-list line; false when the line has no 32-byte block.
bool line_tool_record(const TextLine* line, ToolRecord* tool);
// Copies the 26 shared bytes (size to feed unit) into a tool block.
void tool_to_cam_block(const ToolRecord& tool, CamToolBlock* block);

// Cutting depths above this mean "not given": width and depth are not derived from each other.
constexpr float CAM_DEPTH_NOT_DERIVED = 100.0f;
inline bool depth_is_given(float depth) { return depth <= CAM_DEPTH_NOT_DERIVED; }
// Unit factors of a tool picked into a job of the other units.
constexpr double TOOL_INCH_TO_MM = 25.4;
constexpr double TOOL_MM_TO_INCH = 0.03937;

// A tool picked from the list into a working tool block: its first 26 bytes replace the block's
// (a picked tool number of 0 keeps a positive old number; below 1 becomes 1); lengths of a tool
// in the other units are converted (the tip, not the angle, of a tapered tool; the size of the
// others; the step-down; never the feed); a flat end mill cuts its diameter; a shaped tool's
// width is first kept cuttable (a ball's below 0.9 x its radius, a taper's above 1.001 x its tip),
// then the depth follows the width (width_gives_depth) or the width the depth, while the depth
// is given.
void take_picked_tool(const ToolRecord& tool, uint8_t job_units, bool width_gives_depth,
                      CamToolBlock* block);

// A new tool: a 60-degree tapered tool at 5000 rpm, plunge 40 %, stepover 45 %, ramp 90, feed
// 15 in an inch job and 300 in a millimetre job, in the job's units; tool number 0.
ToolRecord new_tool_record();
// The tool of a program without a tool list: new_tool_record with tool number 1.
ToolRecord default_tool_record();

// The tool list
// The file's name in the program folder for the file set.
const char* tool_file_name(bool metric_set);
// Loads list slot 8 from the tool file in folder (found ignoring case); a missing, empty or
// damaged file (the damage is reported) gives the one default tool, tool number and id 1.
// Returns 0 when the file was read, 1 when the default tool was made (the list then counts as
// changed), -1 when memory ran out (the slot is left empty).
int load_tool_list(const std::string& folder, bool metric_set);
// Saves list slot 8 to path. 0 saved, 27 failed (reported).
int save_tool_list(const std::string& path);
// The first tool of list slot 8, or the default tool when the list is empty.
ToolRecord first_tool_record();

