// Engraving text items: creating them, keeping frame and layout in step, format codes.
#pragma once

#include "geometry/drawing_item.h"
#include "store/line_list.h"

// Appends a text item (type 28, kind 2, four frame links) with an empty layout. Returns the
// item, or null when memory runs out.
// Stand-in: the text defaults of the job's text cut type are not applied yet.
inline DrawingItem* new_text_item() {
  if (new_geometry_block("", nullptr, 4, 0, GEOMETRY_KIND_TEXT) != 0) return nullptr;
  return g_lists.current.last;
}

// Stand-in: leaves the layout as it is; nothing is fitted or framed until text layout lands.
inline void layout_text_item(DrawingItem* /*item*/) {}

// The frame links of a text item from the corner points kept in its layout (the layout's
// stored bytes at block_text_layout).
// Stand-in: leaves the frame links as they are.
inline void set_text_frame_from_corners(uint8_t* /*layout*/, LinkRecord* /*first_frame_link*/) {}

// The frame links of a text item from its first corner, length, height, angle and slant.
// Stand-in: leaves the frame links as they are.
inline void rebuild_text_frame(uint8_t* /*layout*/, LinkRecord* /*first_frame_link*/) {}
