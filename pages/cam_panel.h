// The machining rows of an item's panel: layer, operation, machining group, order, Z at surface,
// cutting depth, rapid height, cutting width or peck distance, and the finishing and roughing
// tools. They are laid out by one of five catalogue forms chosen by the item's operation, show
// the item's block as the machine will read it, and write into the item only when the user
// changes a value there: every change marks the job changed and drops the tool path.
#pragma once

#include "geometry/drawing_item.h"
#include "records/cam_params.h"
#include "screen/event_queue.h"

// Rows counted from the first machining row.
constexpr int CAM_ROW_LAYER = 0;
constexpr int CAM_ROW_OPERATION = 1;
constexpr int CAM_ROW_GROUP = 3;
constexpr int CAM_ROW_ORDER = 4;
constexpr int CAM_ROW_SURFACE = 5;
constexpr int CAM_ROW_DEPTH = 6;
constexpr int CAM_ROW_RAPID = 7;
constexpr int CAM_ROW_WIDTH_OR_PECK = 8;
constexpr int CAM_ROW_FINISHING_TOOL = 9;
constexpr int CAM_ROW_ROUGHING_TOOL = 10;

// Where shown groups and orders are held: a group of 0 or less shows (and is stored, on the
// user's next change) as 10, one past 32000 as 32000; an order of 0 or less as 1.
constexpr int16_t CAM_PANEL_GROUP_MOST = 32000;

// The form that labels the item's machining rows: drawing aid (no block or operation 0), drill
// point, island, centerline, or every other operation.
int cam_panel_layout(const DrawingItem* item);
// The block as the rows show it; false for a drawing aid without a machining block.
bool cam_panel_shown_block(const DrawingItem* item, CamParams* shown);
// The field handler of the machining rows of g_panel.panel_item.
EventCode cam_panel_rows(int row);
// The display pass of the machining rows: reads, never writes.
void cam_panel_fields();
// "Reset with my CAM defaults": the defaults of the item's own operation, its machining group
// and order kept. True when the item changed.
bool reset_cam_panel_item(DrawingItem* item);
// Sets the operation as the operation row does (closing an open polyline for an area
// operation, giving a drawing aid a block, a text its first cutting width); the item it
// ended on (a joined polyline replaces the open one) or null when the choice was dropped.
DrawingItem* set_cam_operation(DrawingItem* item, uint8_t operation);

// Gives the item panel its machining rows (editor/drawing_commands.h).
void connect_cam_panel();
