// Joining polylines whose ends touch, and the split-and-rejoin that turns generated geometry
// into clean chains: every selected item split into its links, then every layer's touching
// pieces joined again.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

// Flags of join_touching_items and batch_join.
constexpr int JOIN_EITHER_END = 0x01;   // the working item grows at its start as well
constexpr int JOIN_SAME_LAYER = 0x10;   // candidates on the working item's layer only
constexpr int JOIN_NO_REVERSAL = 0x80;  // only candidates that need no reversal
// Set in a join result when the joined polyline was closed.
constexpr int JOIN_CLOSED_BIT = 0x40000000;

// Joins every selected polyline of the current list that touches the working item (the last
// item) to it, pass after pass until nothing more joins; then closes it when its ends meet.
// The number of joins, with JOIN_CLOSED_BIT when it closed.
// Stand-in: joined arcs are not refitted tangent, and joined pieces are deleted rather than
// kept for undo.
int join_touching_items(int flags);
// Joins all selected polylines of the layers first..last that touch; -1 for an empty list,
// else the number of joins.
// Stand-in: no progress box, no Esc and no edit session; the joins are kept at once.
int batch_join(int flags, int first_layer, int last_layer);
// Splits every selected item into its links, then joins every selected polyline with the
// touching ones of its own layer, over all layers.
// Stand-in: there is no edit session yet, so no originals are discarded.
void explode_and_rejoin_active();

// The Drawing page's tools that continue a polyline.
constexpr int16_t TOOL_ARC = 757;
constexpr int16_t TOOL_LINE = 759;
constexpr int16_t TOOL_SPLINE = 760;
// Adds a link of no length at the start (at_start non-zero) or the end of an open polyline, the
// link a drawing tool is to continue it with: a spline link for the spline tool, else a
// flexible line, behind a tangent node for the arc and spline tools. 0, or -1 when the item
// could not grow.
// Stand-in: only the zero-length link; nothing else of the join is done.
int extend_polyline_at_end(DrawingItem* item, int at_start, int16_t tool);
