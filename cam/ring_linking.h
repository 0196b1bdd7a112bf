// Ring linking: joins the closed rings of one outer outline into one ring path. A ring is
// entered from a neighbouring ring by a short step wherever the two lie close enough (a
// bridge); the tool goes down afresh only where no step reaches the rings that are left.
// The path is tidied (repeated points, slanted steps, corner arcs, soft wall entries) and
// written as RingPathRecords in the engine's ring-path buffer.
#pragma once

#include <cstdint>

#include "cam/toolpath_engine.h"

// Links the boundary and island rings (RingEntry ranges of links/nodes) into the ring path.
// finishing 0 is the roughing run (it writes from the start of the buffer), 1 the finishing
// run (it appends behind the roughing run); contour 1 marks the roughing run of a contour. Only
// rings whose number is below rough_rings are linked on the roughing run. 1 written; 0 when
// Esc cancelled it (the abort flag is set), or when the rings could not be joined (memory,
// runaway linking, a coordinate that is not a number: then ENGINE_STATUS_NOT_LINKED is set so
// that the group reports the missing cuts).
int32_t PathGen(const ContourLink* links, const ContourNode* nodes, const RingEntry* island_rings,
                const RingEntry* boundary_rings, int32_t island_count, int32_t boundary_count,
                ContourSettings settings, int32_t finishing, int32_t contour);
