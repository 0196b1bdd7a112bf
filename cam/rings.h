// Pocket and contour rings of one outer outline: successive offsets of the outline and its
// islands, first for the roughing tool and then for the finishing tool, handed to the ring
// linking which joins them into one ring path. A spiral pocket clears the whole area; a
// contour keeps its rings at the tool radius plus the finish allowance (one ring with a
// roughing tool, one per contour pass without); finishing rings clean the band between the
// wall and the roughing rings.
#pragma once

#include <cstdint>

#include "cam/toolpath_engine.h"

// Widths are shrunk this much once per outline so that a tool that fits a slot exactly does
// not make coinciding offsets.
constexpr double RINGS_ROUGH_WIDTH_SHRINK = 0.999952;
constexpr double RINGS_FINISH_WIDTH_SHRINK = 0.999953;
// Each retry after loop tracing failed shrinks widths and stepovers this much more.
constexpr double RINGS_RETRY_WIDTH_SHRINK = 0.9999;
constexpr double RINGS_RETRY_STEPOVER_SHRINK = 0.999;

// Prepares an outline's settings: the finishing tool takes the roughing role when there is
// no roughing tool, depths get their floors, and the number of finishing rings is derived.
// 1 usable; 0 the outline must be skipped (EngineStatus 8 bad width or 16 bad stepover).
int32_t normalise_ring_settings(ContourSettings* settings);
// Counts one more try with a narrower tool. Past the most tries the outline is given up as lost
// to rounding (the engine status says so) and the answer is false.
bool count_width_retry();

// The ring path of one outer outline: copies the boundary start..end and the islands (their
// ranges rewritten in place to working indices) into the working arrays, orients them and
// runs pocket_rings, retrying with smaller tools after a tracing failure. 1 when a ring path
// was written to the ring-path buffer, else 0.
int32_t run_pocket_rings(const ContourLink* links, const ContourNode* nodes, int32_t start,
                         int32_t end, int32_t* island_start, int32_t* island_end,
                         int32_t island_count, ContourSettings settings);
// Copies the boundary start..end and the islands into the working arrays (island ranges
// rewritten in place to working indices) and turns the boundary counter-clockwise and the
// islands clockwise. Returns the boundary's link count (its working links are 0..n-1).
int32_t prepare_working_outline(const ContourLink* links, const ContourNode* nodes, int32_t start,
                                int32_t end, int32_t* island_start, int32_t* island_end,
                                int32_t island_count);
// One attempt on the working copy: the offsets of each tool, the ring lists, the linking and
// the corner check. ENGINE_DONE, ENGINE_NOTHING, or ENGINE_RETRY.
int32_t pocket_rings(int32_t start, int32_t end, const int32_t* island_start,
                     const int32_t* island_end, int32_t island_count, ContourSettings settings);
// Highest node index used by the first link_count working links, -1 when none.
int32_t max_node_index(int32_t link_count);
// True for ring counts that mean a contour (inside or outside) rather than a pocket.
bool rings_mean_contour(int32_t rough_rings);
