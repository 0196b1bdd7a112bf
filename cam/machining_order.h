// Machining groups and item order: every machinable item carries a machining group and an order
// within its group; NC runs machine the groups in ascending number and the items of a group by
// ascending order. Here: renumbering the order from the list order, and the comparators that
// sort items into machining order.
#pragma once

#include <cstdint>
#include <string>

struct TextLine;

// The group unassigned items get when the order is renumbered.
constexpr int16_t MACHINING_GROUP_DEFAULT = 10;

// ---- Comparators (for sort_list with ids kept) --------------------------------------------------
// Items that are not selected, have type 0 or no machining block sort first (equal among
// themselves); the others by group, then by order.
int compare_machining_order(const TextLine* a, const TextLine* b);
// Direct items of an NC run: group ascending, then order ascending.
int compare_direct_items(const TextLine* a, const TextLine* b);

// ---- Renumbering ---------------------------------------------------------------------------------
// On the current list (the drawing): selected machinable items without a group (islands
// excepted) get group 10; the list is sorted into machining order (ids kept); then the items of
// every group are numbered 1, 2, 3 ... in list order. Returns the number of items numbered.
int renumber_machining_order();

// ---- Groups ----------------------------------------------------------------------------------------
// The job_changed bit re-sequencing sets.
constexpr uint8_t JOB_CHANGED_GROUPS = 0x02;
// On the current list: sorts into machining order (ids kept) and gives the groups of the
// selected machinable items (islands without a group excepted) the numbers step, 2 step ...
// in their old order; the step shrinks to 32000 / groups when the groups would not fit.
// Returns the number of groups.
int space_machining_groups(int step);
// Gives the item order n (0 counts as 1) in its group; the selected items of the current list
// in that group with order n or more move up by one.
void insert_in_order(TextLine* item, int n);

// ---- The hover text ----------------------------------------------------------------------------------
// What an item's machining data says, for the Drawing page's side panel: "This item is\na
// drawing aid." for an item without a machining block or operation.
std::string cam_info_text(TextLine* item);
