// Machining blocks on items: taking an item's machining block (CamParams) from its geometry
// block and storing it back, the settings buffer of the forms, the default slots, giving and
// copying blocks between items, and the tool checks of a block.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cam/cam_defaults.h"
#include "geometry/drawing_item.h"
#include "records/cam_params.h"

// The block's machining block decoded / stored; false (nothing done) for a drawing aid.
bool get_block_cam(GeometryBlock* block, CamParams* params);
bool put_block_cam(GeometryBlock* block, const CamParams& params);

// ---- The working copy of the settings forms and the settings clipboard -----------------------
struct CamSettingsBuffer {
  CamParams params;             // the clipboard between items and the forms' working copy
  int open_tool_form = 0;       // number of the open tool form, 0 none
  float pending_cut_depth = CAM_NOT_GIVEN;  // a new cutting depth not yet stored
  uint8_t tools_given = 0;      // 1 finishing tool given, 2 roughing tool given
  float remembered_size[3] = {};  // last size per tool shape
};
extern CamSettingsBuffer g_cam_settings;
void reset_cam_settings();

// ---- Defaults -------------------------------------------------------------------------------
// Fills a default slot from the first tool of the tool list (the default tool when the list
// is empty), with the depths and heights of the inch or millimetre file set.
void init_cam_defaults(int slot, bool metric_set);
// Copies the item's machining block into the default slot of cut kind 0 centerline, 1 contour,
// 2 pocket: the drawing slots when to_drawing_slots is set, else the text slots. False (nothing
// stored) when the item has no machining block or the cut kind is not 0..2.
bool store_cam_defaults(const DrawingItem* item, int to_drawing_slots, int cut_kind);
// Copies a text item's text layout into the text layout part of all three text slots.
bool store_text_defaults(const DrawingItem* item);

// ---- Giving, taking and copying machining blocks --------------------------------------------
// Rebuilds a drawing aid's block as a machinable block with a zeroed machining block, keeping
// the layer and every link record. Returns the new block; null when memory runs out or the
// item is not a drawing aid.
GeometryBlock* add_item_cam(DrawingItem* item);
// 0 for a drawing aid. A text item keeps its block with operation 0 and no finishing cut
// width; a machinable item becomes a drawing aid, keeping its links. 1 done; -1 no memory.
int remove_item_cam(DrawingItem* item);
// Gives the item the settings buffer's machining block (a drawing aid first gets a block)
// and marks the job changed so that text and NC program are made again. 0, or -1 when memory
// runs out.
int item_store_cam(DrawingItem* item);
// -1 when the source has no machining block or operation 0; else copies it to the target
// through the settings buffer and returns item_store_cam's result.
int copy_item_cam(const DrawingItem* source, DrawingItem* target);

// ---- Tools and passes --------------------------------------------------------------------------
// 450 when size > 0; else 0, after telling the user by shape when report is set.
int check_tool_shape(int shape, float size, int report);
// Finishing passes (0..10) a pocket needs to clear the band between wall and roughed area.
int cam_pass_count(const CamParams& params, const CamToolBlock& finishing,
                   const CamToolBlock& roughing);
// Depth that cuts a width with a tapered tool or a ball; 0 (and a message) when it can not.
float depth_from_cut_width(float width, int shape, float size, float tip);
// Width cut at a depth by a tapered tool or a ball.
float cut_width_from_depth(float depth, int shape, float size, float tip);
// A drill point's operation from its peck distance; 1 when it changed the operation.
int set_drill_kind(GeometryBlock* block);
// 0 when the item is of the asked family (for_drawing 0 text items, 1 other items), has a
// machining block and its operation belongs to the cut kind (centerline 1; contour 2, 3, 5,
// 7; pocket 4; kind 6 with text: always); else -1.
int cam_kind_matches(const DrawingItem* item, int for_drawing, int cut_kind);
// Cut kinds of cam_kind_matches and store_cam_defaults.
constexpr int CAM_KIND_CENTERLINE = 0;
constexpr int CAM_KIND_CONTOUR = 1;
constexpr int CAM_KIND_POCKET = 2;
constexpr int CAM_KIND_ANY_TEXT = 6;

// ---- Names shown for machining settings ---------------------------------------------------------
// \v starts the highlight colour, \f the second colour, \x13 returns to normal.
constexpr int CAM_NAME_COUNT = 20;
extern const char* const CAM_OPERATION_NAMES[CAM_NAME_COUNT];  // by operation, kind, direction
constexpr int CAM_NAME_DRILL_BASE = 8;      // a drill point's operation + 8
constexpr int CAM_NAME_KIND_BASE = 11;      // centerline, contouring, pocketing, text, geometry
constexpr int CAM_NAME_DIRECTION_BASE = 16; // short and long cut-direction names
extern const char* const CAM_OPERATION_LIST[7];            // closed items and text items
extern const char* const CAM_OPERATION_LIST_OPEN[7];       // open polylines
extern const char* const CAM_OPERATION_LIST_DRILL[3];      // drill points
extern const char* const CAM_TOOL_SHAPE_NAMES[3];
extern const char* const CAM_TOOL_SIZE_LABELS[3];
extern const char* const CAM_TOOL_TIP_LABEL;
extern const char* const CAM_TOOL_SIZE_PROMPTS[3];
extern const char* const CAM_UNIT_NAMES[2];                // 0 metric, 1 inches

// Messages
extern const char* const CAM_MESSAGE_NO_SIZE[3];           // by tool shape
extern const char* const CAM_MESSAGE_TIP_TOO_WIDE;
extern const char* const CAM_MESSAGE_BALL_TOO_SMALL;
