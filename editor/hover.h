// Cursor tracking and hover picking on the Drawing page: the cursor's world point (snapped to the
// grid when the grid is on), the point constraints, the resumable search for what lies under the
// crosshairs with its XOR highlights, the node and ID information line, and the two event
// readers every command reads its input through.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "screen/event_queue.h"

// Codes the readers return besides the input codes.
constexpr EventCode EVENT_VIEW_CHANGED = 423;  // the view was redrawn (a view key, auto-pan)
constexpr EventCode EVENT_CONTROL_CLICKED = 698;
constexpr EventCode EVENT_REEVALUATE = 479;    // re-evaluate the cursor without motion
// Cursor shape codes of commands.
constexpr uint8_t CURSOR_SHAPE_NO_HOVER = 99;
constexpr uint8_t CURSOR_SHAPE_CROSSHAIR = 101;

// ---- the cursor point ----
void update_cursor_point();
void sync_pointer_to_cursor();
float snap_to_grid(float v);
// The orthogonal (Ctrl), diagonal (Ctrl+Shift) or axis-locked point.
PointF constrain_point(PointF p, PointF lock, PointF anchor);

// ---- hover picking ----
// -1 a new hit (hover_* set), 0 nothing, or an input code that arrived during the search.
int pick_under_crosshairs();
// 1 the hover still stands, -1 another kind is there now, 0 nothing is.
int hover_still_valid();
int16_t link_index_of(const LinkRecord* link);

// ---- highlights ----
void hilite_item_nodes(DrawingItem* item);
void hilite_link(LinkRecord* link);
void clear_hover_hilite();
void xor_symmetry_line(LinkRecord* link);

// ---- event readers ----
// The pointer picture of what the hover search found.
uint8_t hover_shape_of_hit();
// The crosshair's pixel follows the cursor point.
void place_crosshair_on_cursor();
EventCode next_editor_event();
EventCode next_editor_event_hover();

// ---- information ----
void show_node_info(uint8_t clear);
// "%f" cut to 6 characters without trailing zeros, or "%g".
char* format_coordinate(float v, char* text);
void show_node_snap_hint();
