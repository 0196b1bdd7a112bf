// Building and reshaping single links of an item: filling a record array from a list of
// points, inserting a node into a link, and turning a link onto the direction of a master line
// (optionally at a distance from it). The node editor, the symmetric polylines, the tangent
// command and the staircase designer build on them.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// ---- filling records from points ----
// Fills link_count links and the closing record from link_count + 1 points: every link ends at
// the next point and takes the code (float; -1 rigid lines, 0 flexible lines, -5 spline) with
// sweep 0 and its box; the first record is the start node (1), the closing record gets 2, the
// others loose (4) for codes of -1 and above and tangent (8) for curve codes. Node numbers
// come from the node editor's counter.
void nodes_from_points(int32_t link_count, const PointF* points, LinkRecord* first, float code);

// ---- inserting nodes ----
// Inserts a node into the link at the foot of the point (on an arc: the circle point towards
// it). The item's block grows by one link here. Both halves keep the link's code, centre and
// radius; the new node is never marked. Returns the new record (pointers into the item taken
// before are stale), or null when the block could not grow.
LinkRecord* insert_node_on_link(DrawingItem* item, LinkRecord* link, const PointF* point);
// The same on the last item of the current list.
LinkRecord* insert_node_on_tail_item(LinkRecord* link, const PointF* point);

// ---- master lines ----
// Which end of a link moves in rotate_link_to_line: the far end (its next point) or the near
// end (its own node).
constexpr int LINK_MOVE_FAR_END = 15;
constexpr int LINK_MOVE_NEAR_END = 2;
// Turns the link about its other end onto whichever of the master's two directions lies nearer
// its own (master: a record whose node and next point give the line). With a distance of 0 or
// more both ends then move square to the master line so that the pivot lies at that distance
// from it, on the side where it was.
void rotate_link_to_line(const LinkRecord* master, LinkRecord* link, int moving_end,
                         float distance);
