// Joining polylines whose ends touch: the nearest-end search, the join of the working item (the
// last item of the current list) with one candidate, the joins of every touching candidate, the
// batch join of a layer range, the silent loop-closing join that machining set-up and selection
// mode call, and the split-and-rejoin of generated geometry. Progress, Esc and what becomes of
// the joined pieces reach the program above only through the geometry host.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// Flags of join_polylines, join_touching_items and batch_join.
constexpr int JOIN_EITHER_END = 0x01;       // the working item grows at its start as well
constexpr int JOIN_SAME_LAYER = 0x10;       // candidates on the working item's layer only
constexpr int JOIN_DELETE_CANDIDATE = 0x20; // the joined candidate is deleted, not released
constexpr int JOIN_PAIRING_GIVEN = 0x40;    // the low four bits name the pairing (TOUCH_*)
constexpr int JOIN_NO_REVERSAL = 0x80;      // only candidates that need no reversal
// Set in a join result when the joined polyline was closed.
constexpr int JOIN_CLOSED_BIT = 0x40000000;

// Actions of join_polylines: how a gap between the two ends is bridged.
constexpr int JOIN_WITH_LINE = 859;      // a flexible line
constexpr int JOIN_AS_IS = 860;          // an "Empty Gap" link
constexpr int JOIN_IF_TOUCHING = 861;    // no bridge; ends that do not touch are refused

// Point selectors naming an item's end.
constexpr int JOIN_SELECT_START = 2;
constexpr int JOIN_SELECT_END = 15;

// One end found by find_nearest_ends.
struct JoinCandidate {
  DrawingItem* item = nullptr;
  float distance = 0.0f;      // from the search point, job units
  LinkRecord* point = nullptr;  // the end's record inside the item
  int16_t end = 0;            // JOIN_SELECT_START or JOIN_SELECT_END
};
constexpr int JOIN_CANDIDATES_MAX = 9;

// Fills table (room for JOIN_CANDIDATES_MAX) with the nearer end of each item of the current
// list that lies closer than max_distance to q, nearest first (of equal distances the item met
// later in the list first); returns the count.
int find_nearest_ends(const PointF& q, float max_distance, JoinCandidate* table);

// Joins the working item W (the current list's last item) with the candidate C, W's end to C's
// start after any reversal. The pairing comes from the flags (JOIN_PAIRING_GIVEN), else from
// touching_ends, else (bridging actions only) from the given selectors of W's and C's ends.
// Both items stay exactly as they were when the join is refused (a symmetric candidate, ends
// that do not touch for JOIN_IF_TOUCHING, no memory for the joined copy). On success the joined
// item is the last item and both parts are gone: released through the host, or C deleted with
// JOIN_DELETE_CANDIDATE. 0 refused, 1 joined, with JOIN_CLOSED_BIT when it then closed.
int join_polylines(DrawingItem* candidate, int flags, int action, int working_selector,
                   int candidate_selector);

// Joins every touching selected polyline before the working item to it, pass after pass until
// nothing more joins; then closes it when its ends meet. The number of joins, with
// JOIN_CLOSED_BIT when it closed.
int join_touching_items(int flags);

// Joins all selected polylines of the layers first..last that touch, reporting progress through
// the host; Esc there stops after the current item, keeping what was joined. -1 for an empty
// list, else the number of joins.
int batch_join(int flags, int first_layer, int last_layer);

// Closes a loop silently: the item (taken from the current list) is chained with the touching
// selected polylines, end to start, until the chain returns to its start; the chain is then
// joined. The result of join_touching_items when a loop closed; 0 when none closed (nothing
// joined); minus the number of candidates when the choice among them is ambiguous. The item,
// or the joined item, ends last in the list.
int auto_join_item(DrawingItem* item);

// Splits every selected item into its links, then joins every selected polyline with the
// touching ones of its own layer, over all layers.
void explode_and_rejoin_active();
