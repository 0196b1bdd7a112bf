// The contour offset engine: turns one drawing item into the items that run at a signed
// distance from it. Every link is offset, the corners between links are bridged by arcs (or
// made sharp), pieces that cross are trimmed or split, pieces that come too close to the
// source are thrown away, and the rest are chained into closed loops (one open chain for an
// open item) that become new polyline items at the end of the current list. Arcs stay arcs.
//
// A positive distance lies on the right-hand side of the direction of travel. Every threshold
// is a multiple of a base tolerance taken from the item's size. One run at a time: the run
// keeps its state in g_offset_run and uses the shared intersection record of the 2-D library.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// ---- flags of offset_contour ----
constexpr int OFFSET_OUTSIDE = 0x01;         // the side: 1 outside, 0 inside
constexpr int OFFSET_SHARP = 0x08;           // sharp corners instead of corner arcs
constexpr int OFFSET_SIDE_FROM_FLAG = 0x40;  // the distance's sign follows the side bit and the
                                             // item's orientation
// ---- extra flags of offset_item ----
constexpr int OFFSET_ROUND = 0x80;  // rounded corners (a flags value of 0 means sharp)

// Distances below this make nothing.
constexpr double OFFSET_MIN_DISTANCE = 0.0001;
// Results of offset_item.
constexpr int OFFSET_ITEM_DONE = 0;
constexpr int OFFSET_ITEM_NOTHING = -1;    // nothing was made
constexpr int OFFSET_ITEM_FAILED = -2;   // a link kind with no offset, or no memory for an item

// ---- offsetting items ----
// The offset items of the item at the signed distance, appended to the current list; returns
// their number, 0 when nothing was made, or OFFSET_ITEM_FAILED for a link kind that has no
// offset and for a closed item whose outward offset came to nothing (which never vanishes). Circles, ellipses and single links go through offset_item. The item
// itself is not changed. Output items carry the source's item ID in their source-id bytes.
int offset_contour(DrawingItem* item, float distance, int flags);
// The offset command's offset of a whole item (flags 0 count as OFFSET_SHARP; OFFSET_ROUND for
// rounded corners; OFFSET_SIDE_FROM_FLAG with OFFSET_OUTSIDE chooses the side): circles,
// ellipses and single links are offset link by link, text through the host's tool-path
// offset, anything else through offset_contour. OFFSET_ITEM_DONE when items were made at the
// end of the current list, else a negative result.
int offset_item(DrawingItem* item, float distance, int flags);

// ---- run state ----

// One piece of the offset: a single link with the record of its next point.
struct OffsetPiece {
  LinkRecord link[2];  // the link and its next point; link[1] is only a point
  int32_t number;      // source number: the raw piece it was cut from, 1.. along the contour
  uint8_t flags;       // OFFSET_PIECE_* bits
  bool alive;          // false once deleted (its slot is not reused during the run)
  int32_t prev;        // previous and next piece in list order, -1 at the ends
  int32_t next;
  int32_t entry;       // index of its piece-table entry, 0 before the table is built
  float made_sweep;    // an arc's sweep as first made: tells whole arcs from wrapped ones
  double order;        // increases along the list; keeps the list order for the pair search
};
constexpr uint8_t OFFSET_PIECE_OFFSET = 0x01;     // offset of a source link
constexpr uint8_t OFFSET_PIECE_CORNER = 0x02;     // a corner bridge
constexpr uint8_t OFFSET_PIECE_FLATTENED = 0x08;  // a short arc of it was made straight

// One entry of the piece table (entries 1..n; 0 is unused).
struct OffsetEntry {
  int32_t source;    // source number of the piece
  int32_t prev;      // > 0 the linked piece's entry, 0 not linked, < 0 excluded (reason)
  int32_t next;
  PointF start;      // the piece's ends
  PointF end;
  float direction;   // chord direction, radians counter-clockwise from +X
  float chord;       // chord length
  uint8_t corner;    // 2 for a corner piece
  int32_t piece;     // index into g_offset_run.pieces
  int32_t loop;      // loop number, 0 when in no loop
  bool full_circle;  // a whole circle: a loop by itself
};
// Link values of the piece table.
constexpr int32_t OFFSET_LINK_OPEN_END = 1987564321;  // an open contour's end: never chained
constexpr int32_t OFFSET_DROP_UNMATCHED = -1;
constexpr int32_t OFFSET_DROP_NEAR_END = -3;     // an end lies too close to the source
constexpr int32_t OFFSET_DROP_NO_CHORD = -4;
constexpr int32_t OFFSET_DROP_NEAR_MIDDLE = -5;  // the middle lies too close to the source
constexpr int32_t OFFSET_DROP_SET_ASIDE = -123;  // set aside as short

struct OffsetRun {
  double distance;      // d, signed; positive on the right of the direction of travel
  double abs_distance;  // D = |d|
  float tol;            // base tolerance: 1e-5 of the copy's larger extent, >= 0.0001
  bool closed;          // the source is closed
  int orientation;      // 1 clockwise, 0 counter-clockwise
  int side;             // 1 the offset lies outside
  bool sharp;           // sharp corners
  bool same_source;     // pieces cut from one raw piece may be chained to each other
  DrawingItem* copy;    // the working copy, in a list of its own while the run lasts
  std::vector<OffsetPiece> pieces;  // every piece made; list order through prev/next
  int32_t first;        // first and last piece in list order, -1 when none
  int32_t last;
  int32_t piece_count;  // pieces in the list
  std::vector<OffsetEntry> table;  // the piece table, entries 1..n
  int32_t entry_count;  // n
  int32_t loop_count;   // loop numbers handed out
};
extern OffsetRun g_offset_run;

// ---- test hooks ----
// Frees the run's arrays and puts every field back to its start value.
void reset_offset_run();
