// Fusing two closed items: their outlines are collected through the item walkers, combined
// by the boolean engine in each of its four modes, and every result loop becomes a closed
// polyline at the end of the current list, tagged with the mode that made it. The FUSE
// command (commands/fuse_command.h) shows the results and keeps the ones the user chooses.
#pragma once

#include <cstdint>

#include "geometry/contour_kernel.h"
#include "geometry/drawing_item.h"

// The fuse's layer and the first item's CAM kind: the result items take both.
struct FuseState {
  uint8_t layer = 0;     // the results' layer (the fuse layer of the panel)
  uint8_t cam_kind = 0;  // GEOMETRY_KIND_* of the first item
};
extern FuseState g_fuse;

// Results of fuse_loop_sets and fuse_items besides the number of items made.
constexpr int32_t FUSE_NOT_ONE_LOOP = -10;  // an item gave no closed loop, or more than one
constexpr int32_t FUSE_NO_MEMORY = -11;     // a result item could not be made

// The group tag of a result item: '0' plus the boolean mode that made it.
constexpr int16_t FUSE_TAG_BASE = '0';
// Arcs of a result whose sweep is below this become rigid lines.
constexpr double FUSE_MIN_ARC_SWEEP = 0.0002;

// ---- the steps ----
// Walks the item into the outline collector as the given owner (0 the first item, 1 the
// second): closed contours of lines, arcs and whole circles. The number of contours it added.
int32_t collect_item_outline(DrawingItem* item, int32_t owner);
// Appends one closed polyline for the loop first..last of the contour arrays, on the fuse
// layer with the fuse's CAM kind, active. 1 made, 0 for a loop of no links, -1 when the item
// could not be made.
int build_item_from_segments(const ContourLink* links, const ContourNode* nodes, int32_t first,
                             int32_t last);
// Combines the collected loop of owner 0 with that of owner 1 in modes 3, 2, 1, 0 and builds
// one item per result loop, tagged with its mode. The number of items made; else nothing is
// left behind (items of earlier modes are deleted too) and the result is 0 (see the kernel's
// status word: ENGINE_STATUS_BOOLEAN_FAILED and the more telling bits), BOOLEAN_A_INSIDE_B or
// BOOLEAN_B_INSIDE_A when one loop holds the other, FUSE_NOT_ONE_LOOP or FUSE_NO_MEMORY.
int32_t fuse_loop_sets();
// The whole fuse of two items without the interface: the collection started, both outlines
// collected, fuse_loop_sets, the collection freed. The fuse's layer and CAM kind are the
// caller's.
int32_t fuse_items(DrawingItem* first, DrawingItem* second);

// ---- test hooks ----
void reset_fuse_state();
