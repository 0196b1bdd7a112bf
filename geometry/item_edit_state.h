// The node editor's position and the new-item choices that geometry reads and writes: the
// edited item and its current link, the layer and machining assignment of items commands make,
// and the node counter.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

struct ItemEditState {
  DrawingItem* edited_item = nullptr;  // item whose nodes the node editor works on
  int32_t current_link_index = 0;      // index of the current link record in that item
  uint8_t new_item_layer = 0;          // layer that commands give the items they make
  uint8_t assign_new_items = 1;        // 1: offset results take new_item_layer and machining data
  int16_t node_counter = 0;            // last node number handed out; new nodes count on from it
};
inline ItemEditState g_item_edit;
inline void reset_item_edit() { g_item_edit = ItemEditState{}; }
