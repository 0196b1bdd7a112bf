// Outline collection and tool-path items: builds the tool-path engine's input from the pen
// moves of the item walkers (closed double-precision contours, one ContourSettings each, for
// one machining group), runs the engine, and turns its PathRecord stream (from the record
// buffer, or from FPATHS.TMP when it spilled) into tool-path items in list slot 11.
#pragma once

#include <cstdint>
#include <vector>

#include "cam/machining_block.h"
#include "cam/toolpath_engine.h"

// ---- tool-path items (drawing items of list slot 11, type 4, block kind 1) ----
// Attribute bytes of a tool-path item.
constexpr size_t TOOL_PATH_ATTR_TOOL = 0;   // i16 tool number
constexpr size_t TOOL_PATH_ATTR_KIND = 2;   // TOOL_PATH_ROUGHING or TOOL_PATH_FINISHING
constexpr size_t TOOL_PATH_ATTR_GROUP = 12; // i16 machining group
constexpr size_t TOOL_PATH_ATTR_ORDER = 14; // i16 order within the group
constexpr uint8_t TOOL_PATH_ROUGHING = 'r';
constexpr uint8_t TOOL_PATH_FINISHING = 'f';
constexpr uint8_t TOOL_PATH_LAYER_ROUGHING = 246;
constexpr uint8_t TOOL_PATH_LAYER_FINISHING = 247;
// Link flags of a tool-path item (second flags byte).
constexpr uint8_t TOOL_PATH_LINK_RAPID = 0x02;  // a move over a stretch already cut
constexpr uint8_t TOOL_PATH_LINK_LIFT = 0x10;   // a move of the engine: lift, travel, go down
constexpr float TOOL_PATH_FEED_LINE = -2.0f;    // LinkCode of a 3-D feed line
// Arcs of a smaller radius whose sweep is nearly nothing or nearly a whole turn become lines.
constexpr float TOOL_PATH_MIN_ARC_INCH = 0.1f;
constexpr float TOOL_PATH_MIN_ARC_MM = 2.4f;

uint8_t tool_path_item_kind(const DrawingItem* item);
int16_t tool_path_item_tool(const DrawingItem* item);
int16_t tool_path_item_group(const DrawingItem* item);
int16_t tool_path_item_order(const DrawingItem* item);

// ---- collector state ----
constexpr uint8_t COLLECT_POCKET_PHASE = 0;    // one engine run per machining group
constexpr uint8_t COLLECT_CONTOUR_PHASE = 1;   // one engine run per item or text character
constexpr uint8_t COLLECT_MAKE_ITEMS = 0;      // modes: make tool-path items
constexpr uint8_t COLLECT_ONLY = 1;            // collect, never run the engine
constexpr uint8_t COLLECT_PREVIEW = 2;         // preview items for the tool-diameter check
// Gaps wider than this many job tolerances are closed with a line, narrower ones by moving the
// last node onto the first.
constexpr float COLLECT_CLOSE_TOLERANCES = 6.0f;
// A blade outline whose ends are this far apart is an open profile.
constexpr double COLLECT_OPEN_BLADE_GAP = 0.05;
extern const char* const COLLECT_LARGER_TOOL_NOTE;
extern const char* const COLLECT_READ_BACK_FAILED;

// The machining group being collected (the engine's input) and the collector's state.
struct OutlineCollectState {
  // The group: node and link arrays, per contour its first and last link and its settings.
  std::vector<ContourNode> nodes;
  std::vector<ContourLink> links;
  std::vector<int32_t> contour_start;
  std::vector<int32_t> contour_end;
  std::vector<ContourSettings> settings;
  std::vector<int32_t> contour_owner;  // per contour: the owner that was current when it closed
  int32_t node_count = 0;       // nodes in use; nodes[node_count] is the pen's node
  int32_t link_count = 0;
  int32_t contour_count = 0;
  // The contour being collected.
  int32_t open_first_node = 0;  // its first node
  int32_t open_first_link = 0;  // its first link
  int32_t open_link_count = 0;  // its links; 0 = no open contour
  bool item_closed = true;      // the current item or character has been closed
  // The run.
  uint8_t phase = COLLECT_POCKET_PHASE;
  uint8_t mode = COLLECT_MAKE_ITEMS;
  int32_t text_char_counter = 0;  // set while a text item is walked
  int32_t text_char_index = 0;    // 1-based character of that text (advanced at each 'b')
  int32_t larger_tool_notes = 0;  // the larger-finishing-tool note shows while this is 0
  int32_t owner = -1;             // the caller's number of the item being walked
  // The item being walked: the driver's working copy of its machining block.
  CamParams params;
  // The engine's output, owned here for the whole run.
  PathRecordBuffer records;
};
extern OutlineCollectState g_outline_collect;

// ---- the group ----
// Clears EngineStatus, starts the engine's progress clock and empties the group.
void pocket_alloc();
// Frees the group's arrays and the record buffer.
void pocket_free();
// The next contour starts at the current node count; in the contour phase the group is
// emptied first. Returns the node count.
int32_t begin_outline();
// In the contour phase: runs the engine on what the item collected.
int32_t end_outline_item();
// kind 127 starts a contour at (x, y); 3 adds a line to (x, y); 1 adds an arc to (x, y) about
// the centre nearest (centre_x, centre_y) that fits the chord, direction 1 clockwise.
void pocket_add_segment(int32_t kind, double x, double y, double centre_x, double centre_y,
                        int32_t direction);
// 1 when an open contour with links was closed, else 0.
int32_t close_open_contour();
// One whole-circle contour, closed at once.
void add_circle_contour(double centre_x, double centre_y, double radius);
// Closes the open contour and appends its settings from the current machining block.
void close_group_contour();
// Runs the engine on the collected group and makes its items (or preview items). Returns 1
// when the engine made a path, 0 when not, ENGINE_CANCELLED when the user pressed Esc.
int32_t machine_collected_group();
// The PenMoveSink of the collection: consumes g_pen_move.
void collect_pocket_outline();

// ---- tool-path items ----
// When the last engine run spilled its records, replaces the buffer by all of them (the spill
// file's, then an end record) and deletes the file. False, after telling the user, when the
// file could not be read back.
bool read_back_spilled_records(PathRecordBuffer* records);
// Reads the records of the last engine run and appends tool-path items to list slot 11.
// Returns the number of items made, -1 when the spill file could not be read back.
int32_t path_records_to_items();
// Clears the once-only note on a finishing tool larger than the roughing tool (a new job).
void reset_larger_tool_note();

// ---- test hooks ----
void reset_outline_collect();
