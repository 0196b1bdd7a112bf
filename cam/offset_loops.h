// Offset crossings and loop tracing: finds every point where two links of a raw offset cross
// or touch, throws away the points that lie closer to the region than the offset distance,
// and traces the closed loops that run through the points that remain; those loops are the
// new ring. In check mode the same machinery yields test points for the coverage test of an
// offset step.
#pragma once

#include <cstdint>
#include <vector>

#include "cam/raw_offset.h"
#include "geometry/contour_kernel.h"
#include "geometry/path_intersect.h"

// One point where two raw links meet.
struct OffsetCrossing {
  int32_t first_link = 0;       // the lower raw link index; CROSSING_REMOVED once dropped
  int32_t second_link = 0;
  double first_param = 0.0;     // position on the first link, 0 at its start, 1 at its end
  double second_param = 0.0;
  double x = 0.0;               // the point
  double y = 0.0;
  int32_t done = 0;             // set while tracing
  int32_t direction = 0;        // 1 the loop leaves along the first link, 2 along the second
  int32_t next = 0;             // the next crossing of the loop
};
constexpr int32_t CROSSING_REMOVED = -10;

// What intersect_raw_segments collects.
constexpr int32_t CROSSINGS_FOR_LOOPS = 0;  // crossings, filtered and merged, for tracing
constexpr int32_t CROSSINGS_FOR_CHECK = 1;  // crossings and link midpoints as test points

// The traced loops, links and nodes numbered from 0; loop k runs from first[k] to last[k].
struct TracedLoops {
  std::vector<ContourLink> links;
  std::vector<ContourNode> nodes;
  std::vector<int32_t> first;
  std::vector<int32_t> last;
};

// Where link a ends at the node where link b begins (fractions 1 on a and 0 on b) or the
// other way (0 and 1): 0 to 2 touches, in that order.
int32_t shared_node_touches(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                            PathCrossings* out);
// Collects the crossings of the raw links first_raw..last_raw, drops those nearer the region
// than |d| and, outside check mode, merges duplicates. Replaces `crossings`; returns the count.
int32_t intersect_raw_segments(const RegionView& region, const RawOffset& raw, int32_t first_raw,
                               int32_t last_raw, double d, int32_t mode,
                               std::vector<OffsetCrossing>* crossings);
// Drops the crossings nearer than |d| to the region's links (leaving out the links the
// crossing's own raw links offset) and, for d >= 0, those outside the boundary or inside an
// island; compacts in order.
void drop_crossings_near_contour(const RegionView& region, const RawOffset& raw,
                                 std::vector<OffsetCrossing>* crossings, double d);
// Of two crossings of one pair of links at one place, keeps the end-to-end touch.
void merge_duplicate_crossings(std::vector<OffsetCrossing>* crossings);
// Traces the closed loops through the crossings into `out` (replacing what it held).
// ENGINE_DONE, or ENGINE_RETRY when the crossings do not pair up into closed loops.
int32_t trace_offset_loops(const RawOffset& raw, std::vector<OffsetCrossing>* crossings,
                           TracedLoops* out);
// The closed loops of the region offset by d, without sorting them into regions: raw offset,
// crossings, tracing. ENGINE_DONE (out may hold no loop), or ENGINE_RETRY when the crossings
// did not close into loops.
int32_t offset_region_loops(const RegionView& region, double d, TracedLoops* out);
