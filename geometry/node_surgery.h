// Changing an item's shape by removing nodes and links from its record array (marked items,
// marked nodes, one node, a run of links), cutting a gap, making a node the start of a
// closed item, thinning short links; and the pick tests of a point against one link.
// Deletions never resize a block: only the link count and the closing record move.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// ---- deleting items and nodes ----
// Deletes every item of the current list whose ItemFlags has the marked bit.
void delete_marked_items();
// Deletes the marked nodes of every item of the current list flagged as having marked nodes.
void delete_marked_nodes();
// Modes of delete_node.
constexpr int DELETE_NODE_REMOVE = 1;   // remove the node, joining its neighbours
constexpr int DELETE_NODE_CUT_OFF = 2;  // the record becomes the closing record
// 1 when a node was removed in mode 1, else 0. An item of one link is left alone.
int delete_node(DrawingItem* item, LinkRecord* record, int mode);
// Deletes records first..last (last null: up to the closing record). 1 removed, 0 cut off at
// the end, -1 refused (the run would leave no link).
int delete_link_run(DrawingItem* item, LinkRecord* first, LinkRecord* last);

// ---- gaps and start nodes ----
// Cuts the current list's last item at the record: the link leaving it becomes an empty gap
// (merging with gaps beside it), or at the item's ends the end link goes. Returns the number
// of gap merges (0 to 2), 1 at the ends, 0 when the item has a single link (left whole).
int gap_at_node(LinkRecord* record);
// rotate_to_start_node on the current list's last item.
int make_start_node(LinkRecord* record);
// Rotates a closed item's records so that the record becomes record 0. 0, or -1 when no
// scratch memory could be had (the item is unchanged).
int rotate_to_start_node(DrawingItem* item, LinkRecord* record);

// ---- thinning ----
// From the node editor's current link on, deletes nodes whose outgoing link is shorter than
// lower and every other node whose link lies between the bounds. whole: do not stop at marked
// nodes, jump links or a change of link code.
void thin_run_nodes(DrawingItem* item, double lower, double upper, int whole);

// ---- pick tests (tolerance in world units) ----
constexpr int PICK_NOTHING = 0;
constexpr int PICK_START_NODE = 1;       // hit_test_link, hit_test_ellipse; a spline node
constexpr int PICK_END_NODE = 2;         // hit_test_link, hit_test_ellipse, spline run end
constexpr int PICK_CENTRE = -1;          // hit_test_link, hit_test_ellipse
constexpr int PICK_ON_LINK_NEAR_START = 17;
constexpr int PICK_ON_LINK_NEAR_END = 34;
// Point selectors of hit_test_link_points: word offsets of the hit point in the record.
constexpr int PICK_POINT_NODE = 2;
constexpr int PICK_POINT_CENTRE = 4;
constexpr int PICK_POINT_NEXT = 15;

int hit_test_link_points(const PointF* p, const LinkRecord* record, float tolerance);
// As hit_test_link_points, testing the centre field whatever the link code.
int hit_test_link_points_quick(const PointF* p, const LinkRecord* record, float tolerance);
int hit_test_link(const PointF* p, const LinkRecord* record, float tolerance);
int hit_test_ellipse(const PointF* p, const LinkRecord* record, float tolerance);
// Tests the spline run holding the record from node first_index on. Returns the run's
// first link plus the hit index; on a miss *out_index is negative and the run's last link is
// returned. *out_kind: 1 node, 2 last node, 17 curve, 34 last segment.
LinkRecord* hit_test_spline_run(int* out_index, int* out_kind, const PointF* p,
                                LinkRecord* record, float tolerance, int first_index);
