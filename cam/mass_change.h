// Changing the machining settings of many items at once. A scratch item, the change record,
// holds the wanted values in its machining block; every field starts at a marker that means
// "unchanged", and only the fields the user fills are written into the items that pass the
// filters (item type, layer range, tool number, visible layers, marked items). The tool values
// always sit in the record's finishing tool block, whichever block is to be changed.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "records/cam_params.h"

// Markers of an unchanged field (float fields not listed here use CAM_NOT_GIVEN, the others 0).
constexpr uint8_t CHANGE_BYTE_UNCHANGED = 255;   // operation, cut direction, layers, item type
constexpr uint8_t CHANGE_SHAPE_UNCHANGED = 16;   // any shape above 2
constexpr uint8_t CHANGE_RECORD_LAYER = 255;     // the record's own layer: never shown

// Options of change_items_command and apply_machining_change.
constexpr int CHANGE_OP_AND_LAYER_MARKED = 22;    // dialog 1000, marked items
constexpr int CHANGE_DRAWING_AIDS_MARKED = 26;    // no dialog, marked items
constexpr int CHANGE_CENTERLINE_MARKED = 36;      // as 167 on marked items
constexpr int CHANGE_FINISHING_MARKED = 37;       // as 168 on marked items
constexpr int CHANGE_ROUGHING_MARKED = 38;        // as 169 on marked items
constexpr int CHANGE_OP_AND_LAYER = 165;          // dialog 1008
constexpr int CHANGE_BOTH_TOOLS = 166;            // dialog 1016: finishing, then roughing
constexpr int CHANGE_CENTERLINE_TOOL = 167;       // dialog 1006: finishing block, operation 1
constexpr int CHANGE_FINISHING_TOOL = 168;        // dialog 1004: finishing block, other items
constexpr int CHANGE_ROUGHING_TOOL = 169;         // dialog 1002: roughing block

// The filters of a change, reset with each new change record.
struct MassChange {
  DrawingItem* record = nullptr;   // the change record (last item of the current list) or null
  uint8_t item_type = CHANGE_BYTE_UNCHANGED;   // ITEM_* to change, 255 every type
  uint8_t layer_from = CHANGE_BYTE_UNCHANGED;  // first layer of the range, 255 open
  uint8_t layer_to = CHANGE_BYTE_UNCHANGED;    // last layer of the range, 255 open
  uint8_t new_layer = CHANGE_BYTE_UNCHANGED;   // layer the items go to, 255 keep
  int16_t tool_filter = 0;                     // only blocks with this tool number; 0 any
  uint8_t include_hidden = 0;                  // 1: items on switched-off layers too
  uint8_t marked_only = 0;                     // 1: marked items (or with marked nodes) only
  uint8_t hide_second_pass = 0;                // the tool dialog without second-pass fields
  uint8_t roughing_variant = 0;                // the tool dialog of a roughing tool
};
extern MassChange g_mass_change;
void reset_mass_change();

// The wanted values with every field unchanged.
CamParams unchanged_cam_params();
// Appends the change record (one link, layer 255, every field unchanged) to the current list
// and resets the filters. The record, or null when memory runs out.
DrawingItem* new_change_record();
// Removes the change record from the current list (nothing when there is none).
void delete_change_record();
// The wanted values of the record; unchanged_cam_params when there is no record.
CamParams change_record_params();
void set_change_record_params(const CamParams& wanted);

// Whether an item passes the filters; `visible_only` asks for a shown layer too (unless the
// filter includes hidden layers). The change record never passes.
bool change_item_qualifies(const DrawingItem* item, bool visible_only);

// A tool without size gets a usable one: a tapered tool 60 degrees with no tip, a ball a
// radius of 0.025; a flat end mill is left alone.
void ensure_tool_size(CamToolBlock* block);
// Writes the wanted values into one block of an item (and the item-wide values it carries).
void change_tool_block(const CamParams& wanted, CamParams* item, CamToolBlock* block);
// Writes the record's tool values into the qualifying items' blocks for a tool option (166-169,
// 36-38). Returns the number of items changed.
int apply_machining_change(int option, const CamParams& wanted);
// Writes the wanted operation (giving drawing aids a block with the operation's defaults) and
// the new layer. Returns the number of items changed.
int apply_op_and_layer(const CamParams& wanted);
// Makes the qualifying items drawing aids (hidden layers included) and moves them to the new
// layer when one is given. Returns the number of items changed.
int make_items_drawing_aids();
// Gives every qualifying item's tools the feed (above 0), as option 166 with only a feed.
// Returns the number of items changed.
int apply_feed_to_items(float feed);

// A feed rate from a feed-rate list line: the first F (either case) followed by a number above
// 0 gives it; none gives 0. Numbers are read with '.' whatever the locale.
float feed_rate_from_line(const char* line);
