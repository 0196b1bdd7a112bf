// Item walkers: turn one item into a sequence of pen moves handed to a PenMoveSink (the screen
// plotter, the NC move encoder path_encode_move, or the outline collector). Around the cutting
// moves they send the lift, rapid and plunge moves between items, at the heights that
// set_item_depths works out. For the direct phase of an NC run they also encode a whole item:
// its speeds, tool change, depth passes and second pass.
//
// Move codes sent: 'b' item or character start, 'A' absolute start of a run, 'R' resume after
// a tool change or an item start, 'z' lift, 'd' descend after a raised lift, '0' rapid, '4'
// rapid written even without length, 'Z' plunge, '1' feed line, '2' / '3' clockwise /
// counter-clockwise arc, 'L' 3-D line with DZ, 'V' feed along which Z changes, 'u' drill point,
// 'S' speeds, 'm' reset marker, 'f' item end.
#pragma once

#include <cstdint>
#include <vector>

#include "cam/machining_block.h"
#include "geometry/drawing_item.h"
#include "records/pen_move.h"

// The 3-D line of a tool-path item (its nodes carry Z relative to the surface).
constexpr float TOOL_PATH_3D_LINE_CODE = -2.0f;
// Encoder modes: the walkers work out heights only for NC output.
constexpr uint8_t PATH_OUTPUT_SCREEN = 0;
constexpr uint8_t PATH_OUTPUT_NC = 4;
// Walk states, shared with the make-NC driver.
constexpr uint8_t WALK_NOTHING_YET = 0;  // nothing encoded yet in this run
constexpr uint8_t WALK_ITEM_DONE = 1;    // an item was encoded
constexpr uint8_t WALK_SECOND_PASS = 2;  // the second pass of a centerline item runs
// A start closer than this (in X and in Y) to the pen needs no lift.
constexpr float WALK_SAME_PLACE = 0.0001f;
// A tool-path link flagged as a rapid move (second flags byte).
constexpr uint8_t TOOL_PATH_RAPID_LINK = 0x02;

struct ItemWalkerState {
  uint8_t path_output_mode = PATH_OUTPUT_SCREEN;  // PATH_OUTPUT_NC during an NC run
  uint8_t walk_state = WALK_NOTHING_YET;
  uint8_t second_pass = 0;         // set_item_depths cuts the second-pass depth deeper
  float prev_rapid_z = -1.0e30f;   // rapid Z at the end of the last item; the next lift goes
                                   // at least this high
  float prev_cut_z = 0.0f;         // cut Z at the end of the last item
  float highest_node_z = 0.0f;     // highest node Z of the item being walked (3-D links)
  int16_t current_tool = 0;        // tool number in use in the direct phase; 0 none yet
  uint8_t contour_started = 0;     // an outline copy was encoded with 'o' in this run
  int32_t skipped_text_items = 0;  // text items that could send no cut
  double depth_factor = 1.0;       // of the depth below the surface: a text's depth code
  std::vector<int32_t> missing_told;  // font number x 256 + code of the characters a stroke
                                      // font lacks that were told
};
extern ItemWalkerState g_walker;

// ---- Heights -------------------------------------------------------------------------------
// In NC mode: the surface Z of the item (curved-surface height, or the job's top height plus
// the item's Z at surface, or the item's Z at surface), its rapid Z, cut Z (one second-pass
// depth deeper while the second pass runs) and rapid height.
void set_item_depths();
// The cut Z of the item being walked: its surface less the tool block's depth (and the
// second-pass depth while it runs), that depth scaled by the walk's depth factor.
float item_cut_z();

// ---- Walking items -----------------------------------------------------------------------------
// A drawing item: lines, arcs, circles, ellipses, spline and Bezier runs, 3-D lines, rectangles,
// polygons, slots, and drill points (their 'u' moves go straight to the encoder).
void curve_to_moves(DrawingItem* item, PenMoveSink sink);
// One spline run from link: a '1' (or 'L' with Z) per segment of the evaluated curve. Returns
// the run's last link; the walk goes on with the next record.
LinkRecord* walk_spline(LinkRecord* link, PenMoveSink sink);
// A drill point at the position: DX, DY from the pen, code 'u', straight to the encoder.
void emit_point_move(const PointF& point);
// A text item: its characters' strokes, each character between 'b' and 'f'. Returns the number
// of cutting moves sent (0: the text sends nothing).
int text_to_strokes(DrawingItem* item, PenMoveSink sink);
// True when the text item has a glyph to cut at a height above 0 in a font that can be read.
bool text_has_strokes(DrawingItem* item);
// A tool-path item, straight into the encoder.
void item_to_moves(DrawingItem* item);

// ---- The direct phase of an NC run -------------------------------------------------------------
enum WalkResult {
  WALK_ENCODED = 1,          // the item's moves are in the path code
  WALK_SKIPPED_TEXT = 0,     // a text that sends no cut: counted in skipped_text_items
  WALK_NOT_MACHINABLE = -1,  // the item has no machining block
  WALK_OUT_OF_MEMORY = -2,   // the path code could not grow (already told)
};
// Number of depth passes of a centerline cut: one when the step-down is below 0.0001 or not
// less than the depth, else trunc(depth / step - 0.001) + 1 equal passes.
int centerline_pass_count(float depth, float step_down);
// An 'S' move with the speeds of a tool: plunge feed = plunge percent x feed x 0.01.
void encode_speed_move(int32_t rpm, float feed, uint8_t feed_unit, int16_t plunge_percent);
// A centerline item, drill point or outline copy: speeds, tool change ('t'), each depth pass
// (outline copies between 'o' and '$'), and the second pass of a centerline cut.
WalkResult encode_direct_item(DrawingItem* item);
// A tool-path item cut with its finishing ('f') or roughing ('r') tool: speeds, tool change,
// its moves.
WalkResult encode_tool_path_item(DrawingItem* item, char tool_letter);

// Starts the walks of an NC run: NC mode, walk state 0, no tool in use, no lift height
// remembered, no text skipped.
void start_walk_run();

// ---- Test hooks ----------------------------------------------------------------------------------
void reset_item_walkers();
