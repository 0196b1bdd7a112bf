// Moving single nodes and links of an item while its neighbours follow: a link slid through a
// point with its neighbours re-intersected, a node extruded with both its links kept parallel,
// a node slid along its link, a link slid along itself, the end of a line put on its tangent to
// an arc, a slot's straight sides rebuilt on its end circles, and room opened in a record array.
// Every move that can fail computes first and writes last, so a refused position changes nothing.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// Selectors of a link's two points: its own node and the next record's point.
constexpr int LINK_POINT_NODE = 2;
constexpr int LINK_POINT_NEXT = 15;

// ---- small record helpers ----
// The point of a link at a selector (LINK_POINT_NODE or LINK_POINT_NEXT).
PointF* link_point(LinkRecord* link, int selector);
// Arc angles from the nodes for an arc of a real sweep; circle-coded arcs keep their code.
void refresh_arc_angles(LinkRecord* link);
// Writes a node's point; on a closed item node 0 and the closing record move together.
void set_item_node(DrawingItem* item, int32_t index, const PointF& p);
// Crosses two links (lines infinite, arcs whole circles); of two crossings the one nearer to
// ref (the first unless the second is strictly nearer) goes to out. False when they do not cross.
bool nearer_crossing(const LinkRecord* a, const LinkRecord* b, const PointF& ref, PointF* out);
// Makes the link the arc from its node through the point to its end: centre, radius, turning
// and angles. False, the link unchanged, when the three points lie in a line.
bool arc_through_three(LinkRecord* link, const PointF& through);

// ---- links and nodes moved through a point ----
// Moves the link through the cursor (a straight link: its start onto it; an arc with the radius
// flag: its radius through it) and re-intersects its neighbours, wrapping round a closed item of
// link_count links. 0, or -1 when a neighbour cannot be met (the item unchanged).
int slide_link_between_neighbours(DrawingItem* item, LinkRecord* link, int32_t link_count,
                                  int radius_flag, const PointF& cursor);
// Moves the link's node to the cursor keeping both links at it parallel to themselves. 0, or -1
// (unchanged) when a neighbour is not met or is met within 0.00001 of a fixed point.
int extrude_node(DrawingItem* item, LinkRecord* link, int32_t link_count, const PointF& cursor);
// Moves the end node of an open polyline's last link to the cursor, the link parallel to itself.
// 0, or -1 (unchanged) when the previous link is not met.
int extrude_end_node(DrawingItem* item, LinkRecord* link, const PointF& cursor);
// Slides the link's node (selector LINK_POINT_NODE) or end (LINK_POINT_NEXT) to the foot of the
// point on the link; a position within 0.00001 of the other end is ignored.
void slide_node_on_link(DrawingItem* item, LinkRecord* link, const PointF& point, int selector);
// Slides the link along itself by the pointer's move from raw (an arc turns on its circle).
void slide_link_along_itself(DrawingItem* item, LinkRecord* link, const PointF& delta,
                             const PointF& raw);

// ---- tangents and slots ----
// Moves the line's end at the selector to where a line from its other end touches the arc's
// circle, choosing the touching point where the arc runs the line's way; the arc's angles follow.
// 0, or the failure of tangent_points_from_point (the other end on, inside or at the centre of
// the circle), nothing moved.
int tangent_line_end_at_arc(LinkRecord* line, LinkRecord* arc, int selector);
// Makes a slot's two straight sides the common tangents of its end arcs (records 1 and 3).
// 0, or -1 (unchanged) when the end circles have fewer than two common tangents.
int rebuild_slot_sides(LinkRecord* first);

// ---- room in a record array ----
// Moves the records after `index` k places on, in an array the caller has already grown by k
// links, and marks the closing record. Returns the record after `index`.
LinkRecord* open_link_gap(DrawingItem* item, int32_t index, int k);
