// The machining pickers of the Drawing page: copying one item's machining settings to the marked
// items or to items clicked or boxed one after another, making clicked or boxed items drawing
// aids, and taking the defaults for new items from a clicked item; and the side-panel texts
// that say what an item's machining settings are.
#pragma once

#include <string>

#include "geometry/drawing_item.h"
#include "records/cam_params.h"

constexpr char CAM_NO_PARAMETERS_TEXT[] = "That item doesn't have machining parameters!";
constexpr char CAM_CLOSE_CHECK_TEXT[] = "Checking if this can become a closed loop...";

// ---- The side-panel texts --------------------------------------------------------------------
// What a centerline, contour or pocket item's block says (the depth is the finishing tool's).
std::string cam_summary_text(const CamParams& block);
// What an item's machining settings say: a drawing aid, a drill point, an island or the
// summary.
std::string item_info_string(const DrawingItem* item);
// Shows item_info_string under the reference heading in the help box (as_reference), or under
// the heading of the item to set in the lower help area.
void item_info_text(const DrawingItem* item, bool as_reference);

// ---- Closing an open polyline for an area operation ---------------------------------------------
// An open polyline whose ends lie within 0.01 is closed as it stands (the ends made equal);
// otherwise it is joined with the polylines it touches into a closed loop. True when the item
// (*item, which may become the joined item) is closed; false, after telling the user, when it
// could not be.
bool close_for_area_operation(DrawingItem** item);

// ---- The pickers ----------------------------------------------------------------------------------
// The number of items given the settings (0 when cancelled or none).
int copy_cam_to_marked();
int copy_cam_to_picked();
// The number of items made drawing aids.
int mark_drawing_aids();
// Commands 453-459: 1 when the defaults were taken, 0 when cancelled.
int take_defaults_from_item(int command);

// Fills the Drawing page's picker entries.
void connect_machining_pickers();
