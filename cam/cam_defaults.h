// Machining defaults applied to new items.
#pragma once

#include "geometry/drawing_item.h"

// Stand-in: writes only the operation byte (the cut type) of the block's machining block; no tool or feed defaults yet.
inline void apply_cam_defaults(GeometryBlock* block, int cut_type) {
  set_block_cam_op(block, static_cast<uint8_t>(cut_type));
}
