// The machining block of an item (CamParams) and its tools: what is done to the item, in which
// machining group and order, at which heights and with which finishing and roughing tool. Its
// stored layout (188 bytes) appears in the item's geometry block, the job file, the preferences
// file and the DXF layer table, so it is a file format: code reads and writes it field by field
// through the serialisers below.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- CamOp (byte 0) -------------------------------------------------------------------------
constexpr uint8_t CAM_OP_DRAWING_AID = 0;
constexpr uint8_t CAM_OP_CENTERLINE = 1;       // drill points: drill
constexpr uint8_t CAM_OP_CONTOUR_INSIDE = 2;   // open polylines: tool right; drill points: peck
constexpr uint8_t CAM_OP_CONTOUR_OUTSIDE = 3;  // open polylines: tool left
constexpr uint8_t CAM_OP_SPIRAL_POCKET = 4;
constexpr uint8_t CAM_OP_CONTOUR_ISLANDS = 5;
constexpr uint8_t CAM_OP_ISLAND = 6;
constexpr uint8_t CAM_OP_BLADE = 7;            // never offered; defaults turn it into 1
// Tool shapes (byte 24 of a tool block or tool record).
constexpr uint8_t TOOL_SHAPE_FLAT = 0;
constexpr uint8_t TOOL_SHAPE_TAPERED = 1;
constexpr uint8_t TOOL_SHAPE_BALL = 2;
// The byte 25 marker that makes the NC driver emit the item as a single move.
constexpr uint8_t CAM_ITEM_MARKER_MOVE = 'm';
// A float field that is not given.
constexpr float CAM_NOT_GIVEN = 1e38f;
// Stored sizes and offsets.
constexpr size_t CAM_PARAMS_SIZE = 188;        // at block offset +8 of kinds 1 and 2
constexpr size_t CAM_TOOL_BLOCK_SIZE = 52;
constexpr size_t CAM_FINISHING_OFFSET = 84;
constexpr size_t CAM_ROUGHING_OFFSET = 136;
constexpr size_t TOOL_RECORD_SHARED_SIZE = 26;  // bytes a tool block copies from a tool record

// One tool of a machining block (52 stored bytes). Its first ten fields are bytes 0-25 of the
// tool record it was picked from.
struct CamToolBlock {
  float size = 0;               // flat: diameter; tapered: included angle, rad; ball: radius
  float tip_diameter = 0;       // tapered tools
  float feed = 0;               // XY feed rate (not the plunge feed)
  float step_down = 0;          // per depth pass; 0 one pass at full depth
  int32_t rpm = 0;              // spindle speed
  int16_t plunge_percent = 0;   // plunge feed in percent of the XY feed
  int16_t tool_number = 0;      // 0 = no tool
  uint8_t shape = 0;            // TOOL_SHAPE_*
  uint8_t feed_unit = 0;        // 0 per minute, 1 per revolution
  uint8_t stepover_percent = 0; // of the cutting width, 1..100 (0 counts as 50)
  uint8_t ramp_angle = 0;       // degrees 1..90, 90 = straight plunge
  int32_t second_pass_rpm = 0;  // centerline second pass (0 = 3000 when it runs)
  float second_pass_feed = 0;   // (0 = 5 when it runs)
  float second_pass_depth = 0;  // below the cutting depth; > 0 switches the pass on
  float cut_width = 0;          // the drill diameter on a drill point
  float cut_depth = 0;          // below the surface
  float first_stepover = 0;     // first to second ring of a pocket band; 0 = the stepover
};

// The whole machining block (188 stored bytes; reserved bytes are stored as zeros).
struct CamParams {
  uint8_t operation = 0;        // CamOp
  uint8_t cut_direction = 0;    // 0 conventional (tool right), 1 climb (tool left)
  uint8_t contour_passes = 0;   // contour without roughing tool; 0 counts as 1
  int16_t machining_group = 0;  // 0 = none
  int16_t machining_order = 0;  // order within the group
  float rapid_height = 0;       // above the surface
  float surface_z = 0;          // Z at surface
  float finish_allowance = 0;   // roughing rings keep this from a pocket's finished wall
  uint8_t finish_option = 0;    // 1: rings next to walls are entered on a half circle
  uint8_t item_marker = 0;      // CAM_ITEM_MARKER_MOVE or 0
  float peck_distance = 0;      // drill points; 0 = plain drilling
  CamToolBlock finishing;       // the only tool of centerline, drill and plain contour cuts
  CamToolBlock roughing;        // tool number 0 = no roughing
};

// ---- Units ------------------------------------------------------------------------------------
// Multiplies the lengths of a machining block by the factor of a units change: rapid height, Z
// at surface, finish allowance, peck distance, and of both tools the step-down, cutting width,
// cutting depth and first stepover, of the finishing tool its second-pass depth too. A value
// that is not given (CAM_NOT_GIVEN) stays not given. Feeds, speeds and the tool record's own
// size stay as they are.
void scale_cam_lengths(CamParams* params, double factor);

// ---- Stored layout ---------------------------------------------------------------------------
void read_cam_tool_block(const uint8_t in[CAM_TOOL_BLOCK_SIZE], CamToolBlock* block);
void write_cam_tool_block(const CamToolBlock& block, uint8_t out[CAM_TOOL_BLOCK_SIZE]);
void read_cam_params(const uint8_t in[CAM_PARAMS_SIZE], CamParams* params);
// Writes all 188 bytes, reserved bytes as zeros.
void write_cam_params(const CamParams& params, uint8_t out[CAM_PARAMS_SIZE]);
