// What lies under the drawing editor's cursor: the hovered item and how it was picked.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

// Stand-in: only the hovered item and the pick kind that commands clear; no hover search yet.
// Highlighting and the cursor point come with the drawing editor's hover search.
struct HoverState {
  DrawingItem* item = nullptr;  // hovered item, null for none
  int16_t pick_kind = 0;        // 0 nothing, -1 a link, 1 and 2 nodes, above 2 item bodies
};
inline HoverState g_hover;
