// The drawing editor's open edit: working set, undo position, layer, nudge vector, the
// edited item and its current link, selection mask.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

// Stand-in: only the node editor's position (edited item and current link index); no working set, undo or selection yet.
struct EditSession {
  DrawingItem* edited_item = nullptr;  // item whose nodes the node editor works on
  int32_t current_link_index = 0;      // index of the current link record in that item
};
inline EditSession g_edit_session;
