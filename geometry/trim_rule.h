// Which end of a link a trim or an extend moves, and to which crossing with a boundary link.
// The command that asks (the Drawing page's TRIM and/or EXTEND) carries the move out through the
// node editor; this only decides.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// The three ways the command may change a link.
constexpr int TRIM_EXTEND_EITHER = 1;  // "Extend or trim"
constexpr int TRIM_EXTEND_ONLY = 2;    // "Extend only"
constexpr int TRIM_ONLY = 3;           // "Trim only"

// What the rule decided.
constexpr int TRIM_MOVE_END = 0;        // move the end named by pick_kind onto target
constexpr int TRIM_NOT_MET = 1;         // the link's curve never meets the boundary's
constexpr int TRIM_NOT_CROSSED = 2;     // the boundary does not cross the link within its length
constexpr int TRIM_IGNORED = 3;         // nothing to do (no usable crossing)

struct TrimDecision {
  int outcome = TRIM_IGNORED;      // TRIM_*
  PointF target = {0.0f, 0.0f};    // the crossing the end moves onto
  int16_t pick_kind = 0;           // PICK_ON_LINK_NEAR_START moves the start, _END the end
};

// The link runs from its node to the next record's point. cursor: where the user clicked;
// hover_pick: the pick kind the hover reported for the click (start or end node, or the link
// near one); tolerance: how far a point may lie from a link and count as on it (world units).
// The boundary's and the link's whole curves are crossed (lines infinite, arcs full circles),
// with the kernel's tangency tolerance loosened for that one call.
TrimDecision decide_trim_extend(const LinkRecord* link, const LinkRecord* boundary,
                                PointF cursor, int16_t hover_pick, float tolerance, int mode);
