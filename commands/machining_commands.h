// The machining commands of the Drawing page: the group of the selected or marked items
// (dialog 802), moving a whole group to another one (groups picked by a click on an item or a
// typed number), re-ordering for short travel with its options (dialog 1010), and the change
// commands that act on many items (the layer and operation dialogs 1000 and 1008, drawing aids).
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

constexpr char GROUP_NONE_SELECTED_TEXT[] =
    "Error! None of the items you selected are machinable!";
constexpr char GROUP_NONE_TEXT[] = "Error! None of the items are machinable!";
constexpr char GROUP_EMPTY_TEXT[] = "No items belong to that machining group!";
constexpr char GROUP_NOT_MACHINED_TEXT[] =
    "That item is not set to be machined, so it doesn't have belong to any machining group!";
constexpr char GROUP_SOURCE_PROMPT[] =
    "Select an item from the machining group you want to move to another group,\nor type the "
    "machining group number.";
constexpr char GROUP_TYPED_PROMPT[] = "Enter the machining group number....\n";

// What the commands keep for the whole run.
struct MachiningCommandState {
  int32_t last_group = 0;           // the number last entered in dialog 802
  uint8_t reorder_by_layer = 0;     // dialog 1010: order each layer of a group apart
  uint8_t reorder_either_end = 0;   // dialog 1010: polylines may be entered from either end
  uint8_t tool_dialog_is_area = 0;  // the open tool dialog is 1002 or 1004 (else 1006, 1016)
};
extern MachiningCommandState g_machining_commands;
void reset_machining_commands();

// Dialog 802 on the selected (mask 1) or marked (mask 2) items. The number set, 0 when
// cancelled or none could be set.
int set_machining_group(int mask);
// The group of a clicked item or a typed number (above 0); -1 when cancelled.
int pick_group_number(const char* prompt);
// Every item of one group to another group. The number moved, 0 when nothing moved.
int move_machining_group();
// Dialog 1010, then the re-order: as reorder_items, or -27 when cancelled.
int reorder_items_command();
EventCode reorder_options_field();
// The change commands (options 22, 26, 36-38, 165-169). The number of items changed, or 0.
int change_items_command(int option);
EventCode change_layer_field();    // dialog 1000
EventCode change_filter_field();   // dialog 1008
EventCode change_tool_field();     // dialogs 1006 and 1016
EventCode change_rough_tool_field();  // dialogs 1002 and 1004
// Fills the Drawing page's machining entries.
void connect_machining_commands();
