// The pick loops every drawing command asks its points and links through (a click, a typed
// coordinate or an object snap), and the object snaps: quadrant, midpoint, X & Y, centre,
// intersection, nearest, at a distance, projection, extremes and perpendicular. A snap asks
// for what it needs through the same loops, so snaps can be chained inside snaps.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "screen/event_queue.h"

// Object snap modes.
constexpr int SNAP_QUADRANT = 0;
constexpr int SNAP_MIDPOINT = 1;
constexpr int SNAP_X_AND_Y = 2;
constexpr int SNAP_CENTRE = 3;
constexpr int SNAP_INTERSECTION = 4;
constexpr int SNAP_NEAREST = 5;
constexpr int SNAP_SWEEP_ANGLE = 6;
constexpr int SNAP_ABSOLUTE_ANGLE = 7;
constexpr int SNAP_AT_DISTANCE = 8;
constexpr int SNAP_PROJECTION = 9;
constexpr int SNAP_BY_POINTS = 10;
constexpr int SNAP_EXTREMES = 11;
constexpr int SNAP_PERPENDICULAR = 15;
constexpr int SNAP_MODE_COUNT = 16;

extern const char* const SNAP_MODE_NAMES[SNAP_MODE_COUNT];

// A link and the leading fields of the next node's record, as two consecutive records of a
// node array: a clicked link with its end node, or two given points as a straight link.
struct PickedLink {
  LinkRecord records[2];  // [0] the link; [1] its end node: only node flags, link flags, node
                          // number, Z and point are meaningful
};

// select_item_or_two_points flags
constexpr int PICK_TYPED_RETURNS = 0x01;   // a typed value character is handed back at once
constexpr int PICK_LETTER_RETURNS = 0x02;  // a letter that led to no point is handed back
// select_item_or_two_points results besides the point selectors of a clicked link
constexpr int PICK_TWO_POINTS = 0;
constexpr int PICK_FAILED = -1;

// classify_pick_click results
constexpr int CLICK_CANCEL = -1;
constexpr int CLICK_IN_DRAWING = 0;
constexpr int CLICK_ELSEWHERE = 1;

int select_point(PointF* out);
int select_item_or_two_points(PickedLink* rec, int flags);
int pick_link_by_click();
int classify_pick_click();
int snap_menu(int context);
int snap_by_key(int key, int context);
int snap_point(int mode, PointF* out);

// The menu mask and key letters of a context (0 and "" for a context not in use).
uint16_t snap_menu_mask(int context);
const char* snap_key_letters(int context);

// ---- the snap geometry (no interaction) ----
// The quadrant point of the arc nearest the direction of p; true when the arc reaches it.
bool quadrant_point(const LinkRecord* arc, PointF p, PointF* out);
// Of two intersection points the one nearer p: the first only when strictly nearer.
PointF nearer_point(PointF first, PointF second, PointF p);
// Corner n (0..3) of the link's box: (min x, min y), (max x, max y), (max x, min y),
// (min x, max y).
PointF extreme_corner(const LinkRecord* link, int n);
// The middle of a picked link (of two points: halfway between them).
void picked_link_midpoint(const PickedLink* rec, PointF* out);

// The zoom strip every pick loop but pick_point shows.
void show_zoom_strip();
