// The stages of one offset run and the piece-list helpers they share; only the files of the
// contour offset engine include this.
#pragma once

#include <cmath>
#include <vector>

#include "geometry/contour_offset.h"

// ---- stages, in the order a run calls them ----
// Prepares the working copy: spline and Bezier runs become straight links.
int offset_presimplify(float tol);
// Offset and corner pieces of every link of the copy: the number of offset pieces made, 0
// when fewer than two arose (nothing is left then), negative when a link cannot be offset.
int make_raw_pieces();
void trim_adjacent_pieces();
void trim_all_pieces();
void build_piece_table();
void drop_close_pieces();
// 0 chained, -1 failed.
int chain_pieces();
// Builds the output items from the chains into the current list; 0, or -2 when an item
// could not be made.
int assemble_chains();

// ---- piece list ----
// A new piece after `after` (-1: at the end); its index.
int32_t insert_piece_after(int32_t after, const LinkRecord link[2], int32_t number, uint8_t flags);
void delete_piece(int32_t piece);
inline OffsetPiece& piece_at(int32_t i) {
  return g_offset_run.pieces[static_cast<size_t>(i)];
}
// The piece after p in list order, the first after the last.
inline int32_t next_piece_round(int32_t p) {
  const int32_t next = piece_at(p).next;
  return next >= 0 ? next : g_offset_run.first;
}

// ---- small geometry shared by the stages ----
// |dx| and |dy| between a link's ends.
inline float link_dx(const LinkRecord* r) {
  return r[1].point.x - r[0].point.x;
}
inline float link_dy(const LinkRecord* r) {
  return r[1].point.y - r[0].point.y;
}
// A link becomes a flexible line between its present ends.
void make_piece_straight(LinkRecord* r);
// The sweep above which an arc counts as a whole circle.
constexpr float OFFSET_FULL_CIRCLE_SWEEP = 6.2811853f;
// A whole circle by its sweep (circle codes included).
inline bool arc_is_full_circle(const LinkRecord* r) {
  return code_is_arc(r->code) && (r->sweep < 0.0f || r->sweep > OFFSET_FULL_CIRCLE_SWEEP);
}

// ---- a grid of boxes, to find the pieces or links near a box without trying them all ----
struct BoxGrid {
  float x0 = 0.0f;    // lower left corner of the grid, drawing units
  float y0 = 0.0f;
  float cell = 1.0f;  // cell side, drawing units
  int nx = 1;         // cells across and up; boxes outside are clamped onto the border
  int ny = 1;
  std::vector<std::vector<int32_t>> cells;  // ids whose box touches the cell
};
// A grid over the box lo..hi for about count boxes whose sides are typically `typical`.
void grid_init(BoxGrid* grid, const PointF& lo, const PointF& hi, int count, double typical);
// The extent lo..hi of the boxes and their mean larger side.
struct BoxSpread {
  PointF lo = {1e30f, 1e30f};    // drawing units
  PointF hi = {-1e30f, -1e30f};
  double side_sum = 0.0;         // sum of the boxes' larger sides
  int count = 0;                 // boxes added
  void add(const LinkRecord* r) {
    lo = PointF{std::fmin(lo.x, r->box_min.x), std::fmin(lo.y, r->box_min.y)};
    hi = PointF{std::fmax(hi.x, r->box_max.x), std::fmax(hi.y, r->box_max.y)};
    side_sum += std::fmax(r->box_max.x - r->box_min.x, r->box_max.y - r->box_min.y);
    ++count;
  }
  double mean_side() const { return count == 0 ? 1.0 : side_sum / count; }
};
void grid_insert(BoxGrid* grid, int32_t id, const PointF& lo, const PointF& hi);
// The ids whose boxes may touch lo..hi, each once, into *out (cleared first). stamps holds one
// entry per id and is used to skip repeats; stamp must differ from every earlier query's.
void grid_query(const BoxGrid& grid, const PointF& lo, const PointF& hi, std::vector<int32_t>* out,
                std::vector<uint32_t>* stamps, uint32_t stamp);
