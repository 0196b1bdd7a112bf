// A uniform grid over the links of a region, so that an offset step asks only the links near
// a point how far it lies from the region, and only the links beside a ray whether it lies in
// the material. Without it both questions cost every link of the region for every crossing,
// which makes large pockets (hundreds of letters) quadratic.
#pragma once

#include <cstdint>
#include <vector>

#include "cam/raw_offset.h"

// Axis-parallel box of a loop's nodes: a loop lies inside another only when its nodes lie
// within the other's bounding circles' box.
struct LoopBox {
  double low_x = 0.0, low_y = 0.0, high_x = 0.0, high_y = 0.0;
};
// The box of the loop's nodes (every point of it lies on the loop).
LoopBox loop_node_box(const ContourLink* links, const ContourNode* nodes, int32_t first,
                      int32_t last);
// The box of the loop's bounding circles (every point of the loop lies within it).
LoopBox loop_reach_box(const ContourLink* links, const ContourNode* nodes, int32_t first,
                       int32_t last);
// False when `inner` cannot lie inside a loop whose reach box is `outer`.
bool box_may_hold(const LoopBox& outer, const LoopBox& inner);

struct RegionIndex {
  const ContourLink* links = nullptr;
  const ContourNode* nodes = nullptr;
  double low_x = 0.0, low_y = 0.0;  // grid origin
  double cell = 1.0;                // cell side, job units
  int32_t columns = 0, rows = 0;
  std::vector<int32_t> cell_begin;  // per cell: first entry of cell_links (one more at the end)
  std::vector<int32_t> cell_links;  // positions in `member`, cell after cell
  std::vector<int32_t> member;      // the links of the region: the boundary's first
  std::vector<int32_t> stamp;       // per member: the query that saw it last
  int32_t boundary_count = 0;       // members that belong to the boundary
  int32_t query = 0;
};

// Indexes the links of the region (boundary and islands).
void build_region_index(const RegionView& region, RegionIndex* index);
// Smallest distance from the point to the region's links within `band` of it, leaving out
// the links skip_a and skip_b; CONTOUR_FAR_DISTANCE's value (9,999,999) when none is in band.
double index_distance(RegionIndex* index, double x, double y, double band, int32_t skip_a,
                      int32_t skip_b);
// True when the point lies in the material of the region (inside the boundary, outside every
// island). The point must lie off the region's links; it is moved by `nudge` in y first so
// that the ray through it meets no node exactly.
bool index_in_material(RegionIndex* index, double x, double y, double nudge);
