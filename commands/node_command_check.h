// What a node-editor command means on the thing under the cursor: a drag mode (0..66), a
// one-shot command (a negative command id), a command id that needs no geometry of its own, or
// -1 when the command is not possible there. The check fills the node context (g_edit.node).
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"

// Drag modes the session names.
constexpr int16_t DRAG_MOVE_LINK = 0;
constexpr int16_t DRAG_MOVE_NODE = 1;
constexpr int16_t DRAG_FLEX_ARC = 2;
constexpr int16_t DRAG_START_NODE = 4;
constexpr int16_t DRAG_END_NODE = 5;
constexpr int16_t DRAG_MOVE_CENTRE = 15;
constexpr int16_t DRAG_MOVE_ITEM = 18;
constexpr int16_t DRAG_ARC_SECOND_START = 26;
constexpr int16_t DRAG_ARC_SECOND_END = 29;
constexpr int16_t DRAG_POLYGON_NODE = 40;
constexpr int16_t DRAG_MEASURE = 59;
constexpr int16_t DRAG_NUDGE = 908;
constexpr int16_t DRAG_NOT_POSSIBLE = -1;

// Pick kinds below this are node picks (and the centre), at or above it link picks.
constexpr int16_t PICK_FIRST_LINK_KIND = 3;

// The session's check: fills the node context of the item it holds (g_edit.node.item) and may
// ask the user and change that item (conversions, zero-length links before an extrude).
int node_command_check(int16_t command, int32_t link_index, int16_t pick);
// The dispatcher's check on the hovered item (g_edit.edited_item): the same answer, but it asks
// nothing and changes neither the item nor the node context; only the pointer letter is left.
int node_command_test(int16_t command, int link_index, int pick);
// The geometry model's hook: the check for g_item_edit's edited item.
int node_command_check_for_geometry(int16_t command, int node_index, int flag);
// The geometry model's hook after a node went: propagation around g_item_edit's current link.
void propagate_node_move_for_geometry();
