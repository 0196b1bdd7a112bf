// The machining panel of a drawing item in the side panel: the item's page by its type (a
// polyline's header and link panels), one undo step a visit.
#pragma once

#include "geometry/drawing_item.h"

// Mode 1 draws the panel once (it follows the hovered item); mode 0 runs it and leaves its exit
// code in g_cam_panel_exit. Below the item's own rows stand its machining rows (cam_panel.h);
// a running panel shows "Reset with my CAM defaults".
void show_cam_panel(DrawingItem* item, int mode);

// Gives the Drawing page the panel (editor/drawing_commands.h).
void connect_item_panel();
