// Trimming the offset pieces where they cross: snapping a piece's end onto an intersection,
// splitting a piece there, and the two passes (each piece with the one after it, then all
// pairs). Intersection points are classed on a piece with the link pick test: 1 at its start
// node, 2 at its end node, 17 or 34 inside it, 0 or below off it.
#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/contour_offset_internal.h"
#include "geometry/geometry2d.h"
#include "geometry/node_surgery.h"

namespace {

// An arc snapped or split past these sweeps has wrapped round its circle, when its sweep
// grew: cutting or moving an end never lengthens a genuine arc, and one that was nearly a
// whole circle to begin with keeps its parts.
constexpr float SNAP_MAX_SWEEP = 5.983185f;          // 2 pi - 0.3
constexpr float SPLIT_AFTER_MAX_SWEEP = 6.258185f;   // 2 pi - 0.025
constexpr float SPLIT_BEFORE_MAX_SWEEP = 6.233185f;  // 2 pi - 0.05
constexpr float WRAP_GROWTH = 0.01f;                 // radians

bool wrapped(float sweep, float limit, float old_sweep) {
  return sweep > limit && sweep > old_sweep + WRAP_GROWTH;
}
// Pick tolerances of the two passes, and of the second look at a pending point.
constexpr float ADJACENT_TAU = 0.0001f;
constexpr float ALL_PAIRS_TAU = 0.00005f;
constexpr float PENDING_TAU = 0.00005f;
// Boxes are widened by this before two pieces are intersected.
constexpr float BOX_MARGIN = 0.015f;
// Room left round a piece's box in the pair grid for the snaps that move its ends.
constexpr float GRID_SLACK = 0.001f;
// Largest gap, in base tolerances, that the ends of two consecutive offsets are closed over.
constexpr float JUNCTION_GAP_TOLS = 100.0f;

struct TrimPass {
  float tau;       // pick tolerance of the classes
  bool all_pairs;  // snap every node class; else only P's end and Q's start
};

bool on_piece(int cls) {
  return cls > 0;
}
bool inside(int cls) {
  return cls == PICK_ON_LINK_NEAR_START || cls == PICK_ON_LINK_NEAR_END;
}

int classify(const PointF& x, int32_t piece, float tau) {
  return hit_test_link(&x, piece_at(piece).link, tau);
}

bool boxes_meet(const LinkRecord* a, const LinkRecord* b) {
  return a->box_min.x - BOX_MARGIN <= b->box_max.x && b->box_min.x - BOX_MARGIN <= a->box_max.x &&
         a->box_min.y - BOX_MARGIN <= b->box_max.y && b->box_min.y - BOX_MARGIN <= a->box_max.y;
}

// Moves the piece's start (or end) onto x; an arc that would wrap keeps its old end.
void snap_piece_end(int32_t piece, bool at_end, const PointF& x) {
  LinkRecord* r = piece_at(piece).link;
  const LinkRecord saved[2] = {r[0], r[1]};
  (at_end ? r[1] : r[0]).point = x;
  if (code_is_arc(r->code)) {
    arc_angles_from_points(r);
    if (wrapped(r->sweep, SNAP_MAX_SWEEP, saved[0].sweep)) {
      r[0] = saved[0];
      r[1] = saved[1];
      return;
    }
  }
  link_bounding_box(r);
}

// Snaps the node class of x on the piece: in the adjacent pass only P's end and Q's start.
void snap_node_class(int32_t piece, int cls, bool is_p, const PointF& x, const TrimPass& pass) {
  if (cls == PICK_END_NODE && (pass.all_pairs || is_p)) snap_piece_end(piece, true, x);
  if (cls == PICK_START_NODE && (pass.all_pairs || !is_p)) snap_piece_end(piece, false, x);
}

// The part of an arc piece whose ends have closed in; small enough to drop.
bool arc_vanishes(const LinkRecord* r, float tol) {
  return r->sweep < 1.0f && std::fabs(link_dx(r)) < 0.05f * tol &&
         std::fabs(link_dy(r)) < 0.05f * tol;
}

bool flat_enough(const LinkRecord* r, float sweep_limit, float tol) {
  return r->sweep < sweep_limit && std::fabs(link_dx(r)) + std::fabs(link_dy(r)) < 10.0f * tol;
}

// The part after x; false when it is dropped. Sets *flattened when its arc was made straight.
bool make_after_part(LinkRecord* c, const PointF& x, float tol, bool* flattened) {
  const float old_sweep = c->sweep;
  c[0].point = x;
  if (code_is_arc(c->code)) {
    arc_angles_from_points(c);
    if (wrapped(c->sweep, SPLIT_AFTER_MAX_SWEEP, old_sweep) || arc_vanishes(c, tol)) return false;
    if (flat_enough(c, 0.04f, tol)) {
      make_piece_straight(c);
      *flattened = true;
    }
  }
  link_bounding_box(c);
  return true;
}

// The part before x, in place; false when it does not stay.
bool make_before_part(LinkRecord* p, const PointF& x, float tol, bool* flattened) {
  p[1].point = x;
  if (!code_is_arc(p->code)) {
    const bool stays = std::fabs(link_dx(p)) >= 0.5f * tol || std::fabs(link_dy(p)) >= 0.5f * tol;
    if (stays) link_bounding_box(p);
    return stays;
  }
  const float old_sweep = p->sweep;
  arc_angles_from_points(p);
  if (wrapped(p->sweep, SPLIT_BEFORE_MAX_SWEEP, old_sweep)) return false;
  if (p->sweep < 1.0f) {
    if (std::fabs(link_dx(p)) < 0.05f * tol && std::fabs(link_dy(p)) < 0.05f * tol) return false;
    if (flat_enough(p, 0.05f, tol)) {
      make_piece_straight(p);
      *flattened = true;
    }
  }
  link_bounding_box(p);
  return true;
}

// Splits the piece at x. Returns the part after x when both parts stay (placed right after
// the piece), else -1: the piece is then whichever part stays, or unchanged.
int32_t split_piece(int32_t piece, const PointF& x) {
  const float tol = g_offset_run.tol;
  OffsetPiece& p = piece_at(piece);
  LinkRecord after[2] = {p.link[0], p.link[1]};
  bool after_flat = false;
  const bool after_stays = make_after_part(after, x, tol, &after_flat);
  const LinkRecord saved[2] = {p.link[0], p.link[1]};
  const uint8_t flags = after_flat ? (p.flags | OFFSET_PIECE_FLATTENED) : p.flags;
  bool before_flat = false;
  if (make_before_part(p.link, x, tol, &before_flat)) {
    if (before_flat) p.flags |= OFFSET_PIECE_FLATTENED;
    if (!after_stays) return -1;
    const int32_t number = p.number;
    const float made_sweep = p.made_sweep;
    const int32_t added = insert_piece_after(piece, after, number, flags);  // p is stale now
    piece_at(added).made_sweep = made_sweep;
    return added;
  }
  if (after_stays) {
    p.link[0] = after[0];
    p.link[1] = after[1];
    p.flags = flags;
  } else {
    p.link[0] = saved[0];
    p.link[1] = saved[1];
  }
  return -1;
}

// Splits each piece that has x inside and snaps the node class of the other; returns the
// part split off q (or -1) and the part split off p through *p_split.
int32_t split_or_snap(int32_t p, int cp, int32_t q, int cq, const PointF& x, const TrimPass& pass,
                      int32_t* p_split) {
  *p_split = -1;
  if (inside(cp))
    *p_split = split_piece(p, x);
  else
    snap_node_class(p, cp, true, x, pass);
  if (inside(cq)) return split_piece(q, x);
  snap_node_class(q, cq, false, x, pass);
  return -1;
}

// A pending second point after the first was split: on the piece or on the part split off
// it, whichever has it inside when looked at again.
int32_t handle_pending_side(int32_t piece, int32_t split_off, bool is_p, const PointF& x,
                            const TrimPass& pass) {
  const int32_t candidates[2] = {piece, split_off};
  for (int32_t c : candidates) {
    if (c < 0) continue;
    const int cls = classify(x, c, PENDING_TAU);
    if (inside(cls)) return split_piece(c, x);
  }
  snap_node_class(piece, classify(x, piece, pass.tau), is_p, x, pass);
  return -1;
}

// Trims the pair; returns the part split off q (which the all-pairs walk passes over), or -1.
int32_t trim_pair(int32_t p, int32_t q, const TrimPass& pass) {
  const LinkRecord* a = piece_at(p).link;
  const LinkRecord* b = piece_at(q).link;
  if (piece_at(p).number == piece_at(q).number || !boxes_meet(a, b)) return -1;
  const int found = intersect_links(a, b);
  if (found <= 0) return -1;
  const PointF x1 = g_geometry2d.intersection.first;
  const PointF x2 = g_geometry2d.intersection.second;
  const int c1p = classify(x1, p, pass.tau);
  const int c1q = classify(x1, q, pass.tau);
  if (found == 1 && (code_is_arc(a->code) || code_is_arc(b->code))) {
    // A touching arc only ever moves the ends that meet there.
    if (!on_piece(c1p) || !on_piece(c1q)) return -1;
    if (pass.all_pairs) {
      snap_node_class(p, c1p, true, x1, pass);
      snap_node_class(q, c1q, false, x1, pass);
    } else {
      if ((c1p & PICK_END_NODE) != 0) snap_piece_end(p, true, x1);
      if ((c1q & PICK_START_NODE) != 0) snap_piece_end(q, false, x1);
    }
    return -1;
  }
  bool x2_pending = false;
  if (found == 2) {
    const int c2p = classify(x2, p, pass.tau);
    const int c2q = classify(x2, q, pass.tau);
    if (on_piece(c2p) && on_piece(c2q)) {
      if (!inside(c2p) && !inside(c2q)) {
        snap_node_class(p, c2p, true, x2, pass);
        snap_node_class(q, c2q, false, x2, pass);
      } else {
        x2_pending = true;
      }
    }
  }
  const bool x1_on_both = on_piece(c1p) && on_piece(c1q);
  if (x1_on_both && (inside(c1p) || inside(c1q))) {
    int32_t p_split = -1;
    const int32_t q_split = split_or_snap(p, c1p, q, c1q, x1, pass, &p_split);
    if (!x2_pending) return q_split;
    handle_pending_side(p, p_split, true, x2, pass);
    const int32_t q_split2 = handle_pending_side(q, q_split, false, x2, pass);
    return q_split2 >= 0 ? q_split2 : q_split;
  }
  if (x1_on_both && !x2_pending) {
    snap_node_class(p, c1p, true, x1, pass);
    snap_node_class(q, c1q, false, x1, pass);
    return -1;
  }
  if (!x2_pending) return -1;
  int32_t p_split = -1;
  return split_or_snap(p, classify(x2, p, pass.tau), q, classify(x2, q, pass.tau), x2, pass,
                       &p_split);
}

bool usable_in_all_pairs(int32_t piece) {
  const OffsetPiece& p = piece_at(piece);
  if ((p.flags & OFFSET_PIECE_FLATTENED) != 0) return false;
  return std::fabs(link_dx(p.link)) >= ALL_PAIRS_TAU || std::fabs(link_dy(p.link)) >= ALL_PAIRS_TAU;
}

// Offsets of two links that meet at a slight turn can end a hair apart without crossing
// where the pick test sees it: nearly parallel lines, nearly tangent arcs. Their ends are
// brought together at the crossing when it lies between them, else half way.
void close_junction_gap(int32_t p, int32_t q) {
  const OffsetRun& run = g_offset_run;
  const OffsetPiece& a = piece_at(p);
  const OffsetPiece& b = piece_at(q);
  const bool consecutive =
      b.number == a.number + 1 || (run.closed && b.number == 1 && q == run.first);
  if (!consecutive) return;
  const PointF end = a.link[1].point;
  const PointF start = b.link[0].point;
  const float gap = point_distance(&end, &start);
  if (gap == 0.0f || gap > JUNCTION_GAP_TOLS * run.tol) return;
  PointF meet;
  midpoint(&end, &start, &meet);
  const int found = intersect_links(a.link, b.link);
  for (int i = 0; i < found; ++i) {
    const PointF x = i == 0 ? g_geometry2d.intersection.first : g_geometry2d.intersection.second;
    if (point_distance(&x, &end) <= gap && point_distance(&x, &start) <= gap) meet = x;
  }
  snap_piece_end(p, true, meet);
  snap_piece_end(q, false, meet);
}

}  // namespace

void trim_adjacent_pieces() {
  const TrimPass pass = {ADJACENT_TAU, false};
  for (int32_t p = g_offset_run.first; p >= 0; p = piece_at(p).next) {
    const int32_t q = next_piece_round(p);
    if (q == p) continue;
    trim_pair(p, q, pass);
    close_junction_gap(p, next_piece_round(p));
  }
}

void trim_all_pieces() {
  OffsetRun& run = g_offset_run;
  const TrimPass pass = {ALL_PAIRS_TAU, true};
  if (run.first < 0) return;
  // Only pieces whose boxes meet can act on each other: a grid finds them, and they are
  // visited in the order of the walk round the list from the piece's successor.
  BoxSpread spread;
  for (int32_t p = run.first; p >= 0; p = piece_at(p).next) spread.add(piece_at(p).link);
  BoxGrid grid;
  grid_init(&grid, spread.lo, spread.hi, spread.count, spread.mean_side() + BOX_MARGIN);
  auto insert = [&grid](int32_t piece) {
    const LinkRecord* r = piece_at(piece).link;
    grid_insert(&grid, piece, PointF{r->box_min.x - GRID_SLACK, r->box_min.y - GRID_SLACK},
                PointF{r->box_max.x + GRID_SLACK, r->box_max.y + GRID_SLACK});
  };
  for (int32_t p = run.first; p >= 0; p = piece_at(p).next) insert(p);
  std::vector<uint32_t> stamps;
  std::vector<int32_t> near;
  uint32_t stamp = 0;
  for (int32_t p = run.first; p >= 0; p = piece_at(p).next) {
    if (!usable_in_all_pairs(p)) continue;
    const LinkRecord* r = piece_at(p).link;
    const float reach = BOX_MARGIN + GRID_SLACK;
    stamps.resize(run.pieces.size(), 0);
    grid_query(grid, PointF{r->box_min.x - reach, r->box_min.y - reach},
               PointF{r->box_max.x + reach, r->box_max.y + reach}, &near, &stamps, ++stamp);
    const double at = piece_at(p).order;
    std::sort(near.begin(), near.end(), [at](int32_t a, int32_t b) {
      const double ka = piece_at(a).order;
      const double kb = piece_at(b).order;
      const bool a_before = ka <= at;
      const bool b_before = kb <= at;
      return a_before != b_before ? b_before : ka < kb;
    });
    for (int32_t q : near) {
      if (q == p || !piece_at(q).alive) continue;
      if (p == run.last && q == run.first) continue;
      if (!usable_in_all_pairs(q)) continue;
      const size_t made_before = run.pieces.size();
      trim_pair(p, q, pass);
      for (size_t added = made_before; added < run.pieces.size(); ++added)
        insert(static_cast<int32_t>(added));
      if (!usable_in_all_pairs(p)) break;
    }
  }
}
