// Raw offset of a region: every line and arc of the boundary loop and of each island loop is
// moved sideways by a distance, and where two moved segments no longer meet a joining arc
// about the region's corner closes the gap. The result still overlaps itself at inner
// corners and narrow places; the offset crossings cut it into the loops that are kept.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/contour_kernel.h"

// A region: a boundary loop and its island loops, link ranges of one link array. Each loop is
// closed (its last link ends where its first begins).
struct RegionView {
  const ContourLink* links = nullptr;
  const ContourNode* nodes = nullptr;
  int32_t start = 0;                     // boundary loop, first and last link
  int32_t end = -1;
  const int32_t* island_start = nullptr; // island loops
  const int32_t* island_end = nullptr;
  int32_t island_count = 0;
};

// The raw offset: links and nodes numbered from 0. Every raw link has nodes of its own except
// where two raw links continue straight on, which share one node.
struct RawOffset {
  std::vector<ContourLink> links;
  std::vector<ContourNode> nodes;
  std::vector<int32_t> source;  // per raw link: the region link it offsets, -1 a joining arc
  // Scratch of one loop, per region link (from the loop's first link).
  int32_t first = 0;               // the loop's first region link
  std::vector<int32_t> raw_index;  // its raw link, -1 when it vanished
  std::vector<int32_t> joint;      // kind of the joint at its end
};

// Joint kinds.
constexpr int32_t JOINT_CROSSING = 0;  // the offsets of the two links cross
constexpr int32_t JOINT_STRAIGHT = 1;  // the links continue straight on
constexpr int32_t JOINT_GAP = 2;       // the offsets leave a gap that a joining arc closes
// A link whose offset has no length left (a line shorter than this, an arc whose radius
// would fall below 0) vanishes from the raw offset.
constexpr double RAW_OFFSET_MIN_LINE = 1e-12;

// The kind of the joint at the end of link `first`, where link `second` begins.
int32_t joint_kind(const ContourLink* links, const ContourNode* nodes, int32_t first,
                   int32_t second);
// Builds the raw offset of the region by d (positive: to the left of each link's travel),
// replacing what `raw` held; every raw link gets its bounding circle. Returns the number of
// raw links.
int32_t offset_raw_segments(const RegionView& region, double d, RawOffset* raw);
