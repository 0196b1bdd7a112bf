// The drawing editor's open edit: working set, undo position, layer, nudge vector, the
// edited item and its current link, selection mask.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

// Stand-in: only the node editor's position, the new-item layer, the offset assign flag and the node counter; no working set, undo or selection yet.
struct EditSession {
  DrawingItem* edited_item = nullptr;  // item whose nodes the node editor works on
  int32_t current_link_index = 0;      // index of the current link record in that item
  uint8_t new_item_layer = 0;          // layer that commands give the items they make
  uint8_t assign_new_items = 1;        // 1: offset results take new_item_layer and machining data
  int16_t node_counter = 0;            // last node number handed out; new nodes count on from it
};
inline EditSession g_edit_session;
