// The node menu's choices that change link kinds and item kinds, as the node editor applies them
// to its working item, and the jump of a dragged node onto a crossing.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

// Menu cells the node editor applies itself.
constexpr int NODE_MENU_FLEXIBLE_LINE = 3;   // the current link becomes a flexible line
constexpr int NODE_MENU_PLAIN_POLYLINE = 25;  // the item becomes a plain polyline

// What apply_node_menu_choice gives back when the cell changed nothing (refused, or its dialog
// cancelled): the node editor leaves no undo step for it.
constexpr int NODE_MENU_UNCHANGED = 1;

// Applies menu cell `choice` to the item's link; 0, NODE_MENU_UNCHANGED, or a negated
// node-editor command to run.
int apply_node_menu_choice(DrawingItem* item, int32_t link_index, int choice);
// While Ctrl is held and a link (not of a curve run) is hovered: the dragged point jumps to the
// crossing of its link with the hovered one nearest the constrained cursor (the second on a tie).
// 1 when the constrained cursor point was replaced by a crossing of the dragged link, else 0.
int snap_drag_to_crossing();
