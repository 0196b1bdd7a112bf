// One offset step: offsets a region (a boundary loop with the island loops inside it) by a
// distance, keeps what lies at least that far from the region, traces the closed loops,
// sorts them into new regions (each boundary with the islands it encloses) and appends them
// to the ring arrays. For the rings of a pocket it also makes sure no material is left
// between two rings, repeating the step with a smaller distance when it would.
#pragma once

#include <cstdint>
#include <vector>

#include "cam/raw_offset.h"
#include "cam/toolpath_engine.h"

// Where a step puts its results: loops appended to the ring arrays, regions (link indices of
// the ring arrays) replacing what the region list held.
struct NextContourOutput {
  std::vector<ContourLink>* links = nullptr;
  std::vector<ContourNode>* nodes = nullptr;
  std::vector<OffsetRegion>* regions = nullptr;
  int32_t region_count = 0;   // 0: the region has vanished
  double used_factor = 0.0;   // |factor| actually used (the coverage test may lower it)
};

// Steps of at most this many tool widths are never checked for material left between rings.
constexpr double NEXT_CONTOUR_UNCHECKED_STEP = 0.5;
// The coverage test never lowers a step below this.
constexpr double NEXT_CONTOUR_LOWEST_STEP = 0.48;

// The region as a view on the link and node arrays its loop indices refer to (valid while the
// arrays and the region are not changed).
RegionView region_view(const std::vector<ContourLink>& links,
                       const std::vector<ContourNode>& nodes, const OffsetRegion& r);

// Offsets the region by factor x width (a negative factor outward). check 1 switches on the
// test for material left between rings; finishing 1 marks a step of the finishing pass; ring
// is the ring number the new loops get. Returns ENGINE_DONE (region_count may be 0),
// ENGINE_NOTHING (Esc: the abort flag is set; or no memory, reported), or ENGINE_RETRY (the
// crossings did not close into loops).
int32_t NextContour(const RegionView& region, double factor, double width, int32_t check,
                    int32_t finishing, int32_t ring, const ContourSettings& settings,
                    NextContourOutput* out);
