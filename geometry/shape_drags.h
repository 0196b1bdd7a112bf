// Dragging a node or link of an item that is more than a polyline so that it stays a shape of
// its kind: a regular polygon stays regular, an ellipse keeps perpendicular axes, a circle stays
// a circle, a point grid keeps whole columns and rows, a slot keeps its sides tangent to its ends.
// Each takes the working copy's record and the cursor point; a refused position returns -1 and
// leaves the item as it was.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// ---- regular polygons (the centre in record 0, n nodes) ----
// A vertex along its radial line: the polygon scales without turning.
void drag_polygon_vertex(LinkRecord* current, LinkRecord* first, int n, const PointF& cursor);
// The middle of a side along its radial line.
void drag_polygon_side(LinkRecord* current, LinkRecord* first, int n, const PointF& cursor);
// A node follows the cursor: the polygon scales and turns.
void drag_polygon_node(LinkRecord* current, LinkRecord* first, int n, const PointF& cursor);
// The middle of a side follows the cursor.
void drag_polygon_link(LinkRecord* current, LinkRecord* first, int n, const PointF& cursor);

// ---- ellipses (centre field the centre, the two nodes the semi-axis ends) and circles ----
// The dragged end follows the cursor and the other axis turns with it, keeping its length.
void drag_ellipse_node(LinkRecord* current, int selector, const PointF& cursor);
// The dragged axis end along its own axis; -1 onto the centre.
int drag_ellipse_axis_end(LinkRecord* current, int selector, const PointF& cursor);
// Both axis ends along their axes; -1 when either comes within 0.0001 of the centre.
int drag_ellipse_axes(LinkRecord* current, const PointF& cursor);
// A circle item's node turns round the circle to the cursor's foot.
void turn_circle_start(LinkRecord* current, const PointF& cursor);

// ---- point items (record 0 the first point and the pattern, the closing record the far
// point and the column, row and kind bytes) ----
constexpr uint8_t POINT_ARRAY_SINGLE = 0;
constexpr uint8_t POINT_ARRAY_POLAR = 5;
// A grid has at most this many columns and rows: the counts are stored in one byte each.
constexpr int POINT_ARRAY_MOST = 255;
// Move: the dragged point follows; the pattern keeps its counts. -1 when refused.
int drag_point_item(LinkRecord* first, int selector, const PointF& cursor);
// Extrude: a grid takes as many whole steps as fit; a polar pattern its radius. -1 refused.
int drag_point_grid(LinkRecord* first, int selector, const PointF& cursor);
// Flex: the far point along the pattern's line, the steps follow. -1 refused.
int drag_point_pattern_extent(LinkRecord* first, const PointF& cursor);

// ---- slots (record 0 a side, 1 end arc, 2 the other side, 3 end arc) ----
// Each end arc centred on its chord, both of arc 1's radius; their turning follows the sides.
void refit_slot_arcs(LinkRecord* first);
// An end arc's radius through the cursor, the other end alike, the sides tangent again.
int drag_slot_radius(LinkRecord* current, LinkRecord* first, const PointF& cursor);
// An end arc's centre to the cursor with the sides tangent again.
int drag_slot_centre(LinkRecord* current, LinkRecord* first, const PointF& cursor);
// A side (or an end) moved square to itself; the ends follow. -1 when an end would turn its
// side by more than a radian.
int slide_slot_side(LinkRecord* current, LinkRecord* first, const PointF& cursor);
// A node moved with both links at it kept parallel, the ends refitted. -1 when refused.
int drag_slot_end(LinkRecord* current, LinkRecord* first, const PointF& cursor);

// ---- rectangles and rounded rectangles ----
// A side of a frame whose two other sides are concentric arcs: both its nodes go onto their arcs'
// circles in the direction of the cursor, so the side stays radial.
void slide_link_on_neighbour_arcs(LinkRecord* first, int32_t link_index, const PointF& cursor);
// A corner of a bent frame dragged: the arc at it takes the cursor's radius and angle, the
// facing arc keeps its own radius on the same two angles. A side collapsed onto the centre
// slides along the facing arc's axis instead.
void drag_frame_corner_arc(LinkRecord* first, int32_t link_index, const PointF& cursor);
// A radial side of a bent frame (link 1 or 3) slid along itself by the move delta; the two arcs
// take new radii so the side's far ends stay on one radial line. -1, unchanged, when the side
// would turn by more than 0.1 rad or is not a radial side.
int shift_frame_side(LinkRecord* first, int32_t link_index, const PointF& delta);
// A rounded rectangle's corner arc flexed through the raw pointer point: the rectangle is rebuilt
// with the radius of the circle through that point that touches the corner's two sides (at most
// what the shorter side allows); the radius goes to *radius. -1, unchanged, when the point lies
// beyond the corner.
int drag_rounded_rect_arc(DrawingItem* item, int32_t link_index, const PointF& raw,
                          float* radius);
// A typed corner radius: the rectangle rebuilt with it about its sharp corner. -1 for a radius
// not above 0 or an item that is not a rounded rectangle.
int refillet_rounded_rect(DrawingItem* item, float radius);
// Side `side` of a four-sided frame becomes the arc through its ends and the cursor, and the
// opposite side the concentric arc one frame height further out or in, so the two radial sides
// keep the height. The cursor on the side's chord makes it a flexible line again.
void bend_frame_sides(LinkRecord* first, const PointF& cursor, int32_t side);
// The cursor put on the diagonal from the opposite corner through the dragged corner, so that an
// extrude keeps the rectangle's proportions. -1 when it falls on the opposite corner.
int drag_frame_diagonal(LinkRecord* current, LinkRecord* first, int32_t link_index,
                        PointF* cursor);
// A rounded rectangle's side moved square to itself with its two corner arcs.
void slide_rounded_rect_side(LinkRecord* first, int32_t link_index, const PointF& cursor);
// A corner arc's centre dragged: the four corners move as a rectangle of centres whose sides
// stay parallel. -1 when refused.
int drag_rounded_rect_corner(LinkRecord* first, int32_t link_index, const PointF& cursor);
