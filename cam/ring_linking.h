// Ring linking: joins the closed rings of one outer outline into one ring path (entries,
// cuts along the rings, moves between them) in the engine's ring-path buffer.
#pragma once

#include <cstdint>

#include "cam/toolpath_engine.h"

// Links the boundary and island rings (RingEntry ranges of links/nodes) into the ring path.
// finishing 0 is the roughing run (it starts the path afresh), 1 the finishing run (it
// appends); contour 1 marks the roughing run of a contour. Only rings whose number is below
// rough_rings are linked on the roughing run. 1 written, 0 cancelled or out of memory.
int32_t PathGen(const ContourLink* links, const ContourNode* nodes, const RingEntry* island_rings,
                const RingEntry* boundary_rings, int32_t island_count, int32_t boundary_count,
                ContourSettings settings, int32_t finishing, int32_t contour);
