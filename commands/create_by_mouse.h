// Creating items with the mouse: a drawing tool puts a tiny item at the point under the cursor
// and hands it to the node editor, which drags its size; lines, arcs and splines go on node by
// node. The value forms (codes 140-150) are opened from the same entry.
#pragma once

#include "geometry/drawing_item.h"

// Tool command ids.
constexpr int TOOL_MEASURE = 753;
constexpr int TOOL_RECTANGLE = 755;
constexpr int TOOL_CIRCLE = 756;
constexpr int TOOL_ARC = 757;
constexpr int TOOL_LINE = 759;
constexpr int TOOL_SPLINE = 760;
constexpr int TOOL_POLYGON = 761;
constexpr int TOOL_POINTS = 763;
constexpr int TOOL_ELLIPSE = 764;
constexpr int TOOL_SLOT = 765;

// Creates an item by a tool command id, opens a value form for codes 140-150, or, for a negated
// tool id, makes a one-link item at the pick point without asking anything. The new item, if
// any, is the tail of the drawing list; a block that cannot be allocated ends the entry with a
// message and leaves the tail item as it was.
void create_item_by_mouse(int code);
// A point item at the cursor made through the dispatcher, given the cut type: a non-zero type
// makes it machinable with that type's defaults, 0 a drawing aid.
void new_point_with_cam_op(int cut_type);
// Turns a one-link line item (its two nodes the slot's centres) into a closed slot outline of
// four links: two rigid sides and two half-circle ends of radius end_radius. Node numbers come
// from the node counter.
void build_slot_from_line(DrawingItem* item, float end_radius);
// Node flags of a new regular polygon of n links: the first 5, the next 4, the closing record 2.
void set_new_polygon_node_flags(LinkRecord* first, int n);
