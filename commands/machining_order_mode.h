// SET MACHINING ORDER: a mode of the Drawing page in which the user clicks the items in the
// order they are to be cut. Mode 0 numbers the items of one group (the group of the first item
// clicked) until "Finished with this group"; mode 1 also gives every clicked item the group
// shown in the mode's group field. The side panel tells what the item under the pointer is set
// to.
#pragma once

#include "geometry/drawing_item.h"

// Shows the item's machining settings (group, order, tools, depths) in the side panel; nothing
// for no item.
void show_cam_info(DrawingItem* item);
// Runs the mode (0 order only, 1 group and order): the number of items numbered.
int machining_order_command(int mode);
