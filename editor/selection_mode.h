// Selection mode: a sub-page of the Drawing page where the user gathers items (by clicking
// them or dragging a box round them) and applies one operation to the whole set from a panel
// of buttons at the right. An item is selected while its working flag (ITEM_FLAG_WORKING) is
// set; the edit session's selection mask is that flag while the mode runs, so the drawing
// commands the buttons start take the selection as their set. The item clipboard (kept in the
// Drawing page's state, filled by Ctrl+C on the page too) outlives the mode.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// Results of selection_mode.
constexpr int SELECTION_NOT_STARTED = 0;   // nothing to select and an empty clipboard
constexpr int SELECTION_BOX_CANCELLED = -1;
constexpr int SELECTION_LEFT = 1;
// select_all_items: how = SELECT_ALL selects, anything else un-selects.
constexpr int SELECT_ALL = 20;
constexpr int UNSELECT_ALL = 19;

// The mode's state beyond the items' flags.
struct SelectionModeState {
  uint8_t running = 0;            // 1 while the mode runs
  uint8_t panel_was_shown = 0;    // the side panel was on when the mode started
  int32_t shown_count = -1;       // the count last written beside "Items selected:"; -1 none
};
extern SelectionModeState g_selection;

// Runs the mode. flag 0: entered by a click (the item under the crosshair is selected, or a
// first box is dragged); 1: entered without a first selection.
int selection_mode(int flag);

// ---- the selection ----
// Whether an item takes part in selecting: drawn (ITEM_FLAG_SELECTED) on a visible layer.
bool item_takes_part(const DrawingItem* item);
bool item_is_selected(const DrawingItem* item);
int select_all_items(int how);
// 1 when the item's state changed, 0 when it already was so; the item is redrawn.
int set_item_selected(DrawingItem* item, int on);
// Every item that takes part and lies wholly inside the box; how many changed.
int select_items_in_box(PointF min, PointF max, int on);
int count_selected_items();
int select_group_items(int group);

// ---- machining use ----
// The selected points get the operation; the other items are un-selected and counted in
// *ignored. The number changed, or -1 when no selected item remained.
int set_points_cam_op(int op, int* ignored);
// The selected contours get the operation (polylines that stay open under an operation that
// needs closed contours, and points, are un-selected and counted). As set_points_cam_op.
int set_contours_cam_op(int op, int* open_count, int* point_count);

// ---- the clipboard ----
bool drawing_or_clipboard_nonempty();
void empty_clipboard();
// Copies of the selected items go into the clipboard (Add); with cut, the items themselves go
// and an undo step of the deletion is recorded. The clipboard keeps one item per ID, the newest.
// The number of items taken.
int selection_to_clipboard(bool cut);
// Sorts the clipboard by item ID, keeping only the newest copy of each ID.
void keep_newest_clipboard_copies();

// ---- other operations on the selection ----
// Deletes the selected items as one undo step; how many.
int delete_selected_items();
int set_selected_layer(uint8_t layer);
// Items whose flags share a bit with the mask become plain polylines; the count converted,
// reported against total.
int convert_to_polylines(int mask, int total);

// Test hooks
void reset_selection_mode();
