// The node-editor commands that change the working item at once, without a drag: node kinds,
// deleting nodes and links, start nodes, reversing arcs, hiding nodes, straightening links and
// items, moving to a snap, dividing a link, inserting a node by construction, thinning; and the
// ways nodes come into being outside a drag.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// Results of run_one_shot.
constexpr int ONE_SHOT_COMMIT = 0;        // commit after the current arc is re-derived and propagated
constexpr int ONE_SHOT_COMMIT_AS_IS = 1;  // commit; the command fitted everything itself
constexpr int ONE_SHOT_CANCEL = -1;       // drop the edit

// Carries out the one-shot command `mode` (a negative DragMode) on the node context's item.
int run_one_shot(int16_t mode);

// ---- single commands, also for tests ----
// The link straightened: horizontal (vertical false) or vertical, the end away from the pick
// moving; the neighbour beyond it follows. 0.
int straighten_link(DrawingItem* item, int32_t link_index, int16_t pick, bool vertical);
// The turn that makes direction a (radians) horizontal or vertical.
double straightening_turn(double a, bool vertical);
// Deletes the context's current link, joining or re-intersecting its neighbours. 0, or -1.
int delete_current_link();

// ---- node creation ----
// Divides the context's current link into n equal parts, or an ellipse item into a polyline of
// n flexible lines (n negative: as many as the job's tolerance asks). 0, or -1 when the item
// could not grow.
int divide_link(DrawingItem* item, int n);
// Asks for the number of parts and divides the current link. 0; -1 when cancelled;
// DIVIDE_GROW_FAILED when the item could not grow (the user has been told so).
constexpr int DIVIDE_GROW_FAILED = -2;
int divide_link_command();
// Inserts a node at the point into the context's current link; the link index moves on by one.
// 0, or -1 when the item could not grow.
int insert_node_in_working_item(DrawingItem* item, const PointF& point);
// Lets the user construct a point on the current link and inserts a node there. -1 when
// cancelled or impossible, else 0.
int node_by_construction();
