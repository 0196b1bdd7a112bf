// Setting and moving machining groups on the items of the current list (the drawing): the
// parts of the group commands that do not talk to the user.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

// Gives every item that holds a bit of `mask` in its flags (selected or marked), lies on a shown
// layer and is machinable (text without an operation excepted) the group. The number set.
int set_group_on_items(uint8_t mask, int16_t group);
// Flags (the working flag) every machinable item of the group. The number flagged.
int select_group_items(int16_t group);
// Gives every flagged machinable item the group. The number set.
int move_flagged_items_to_group(int16_t group);
// Clears the working flag on every item.
void clear_group_flags();
// The group of an item, or -1 when it is not machinable (a drawing aid or operation 0).
int item_machining_group(const DrawingItem* item);
