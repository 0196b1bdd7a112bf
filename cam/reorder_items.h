// Re-ordering the machinable items of every machining group for a short travel between them:
// from the upper-left corner of the drawing the nearest item end is taken again and again,
// optionally entering a polyline from either end (reversing it), optionally keeping the layers
// of a group apart, and chaining open polylines that meet end to start.
#pragma once

#include <cstdint>

struct TextLine;

// Which end of an item a search found.
constexpr int16_t ITEM_END_START = 2;
constexpr int16_t ITEM_END_LAST = 15;
// Text counts at least this far away: the start of its first character is a guess.
constexpr float REORDER_TEXT_DISTANCE = 0.3f;
// Open polylines whose ends lie this near are chained, the earlier one first.
constexpr float REORDER_CHAIN_GAP = 0.01f;

// What a nearest-end search found.
struct NearestEnd {
  TextLine* item = nullptr;
  float distance = 0.0f;
  int16_t end = ITEM_END_START;  // ITEM_END_START or ITEM_END_LAST
};

// The searches over the lines first up to (not including) stop, against (x, y). 0 found (the
// record filled), 1 nothing found.
// Every item's first node and, except for points and text, its last node.
int nearest_item_end(TextLine* first, TextLine* stop, float x, float y, NearestEnd* out);
// Polylines other than `leave_out`, by their last node.
int nearest_polyline_end(TextLine* first, TextLine* stop, TextLine* leave_out, float x, float y,
                         NearestEnd* out);
// Polylines by their first node.
int nearest_polyline_start(TextLine* first, TextLine* stop, float x, float y, NearestEnd* out);

// Comparators for sort_list: by machining group, or by group and then layer.
int compare_group(const TextLine* a, const TextLine* b);
int compare_group_layer(const TextLine* a, const TextLine* b);

// Re-orders the current list (the drawing): items that take no part (not selected, drawing
// aids, islands, no operation) come first in their order, then each group's items in the
// order found, numbered 1, 2, 3 ... An open polyline entered from its end is reversed, and a
// tool-right cut becomes tool-left (and back) so the tool stays on its side of the line.
// Returns the number of items ordered, -1 when no item takes part.
int reorder_items(int by_layer, int either_end);
