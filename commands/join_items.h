// The join commands of the Drawing page and the node editor; the joins themselves are in
// geometry/polyline_join.h.
#pragma once

#include <cstdint>

#include "commands/create_by_mouse.h"
#include "geometry/drawing_item.h"
#include "geometry/polyline_join.h"
#include "screen/event_queue.h"

// Adds a link of no length at the start (at_start non-zero) or the end of an open polyline, the
// link a drawing tool is to continue it with: a spline link for the spline tool, else a
// flexible line, behind a tangent node for the arc and spline tools. 0, or -1 when the item
// could not grow.
// Stand-in: only the zero-length link; nothing else of the join is done.
int extend_polyline_at_end(DrawingItem* item, int at_start, int16_t tool);

// A dialog field of one layer byte (the layer list's field, which edits a record): the layer
// typed or picked. With any_layer, Del gives 255 (any layer, shown blank). Shared by the join,
// SEPARATE and drill-point forms.
EventCode edit_layer_byte_field(uint8_t* layer, bool any_layer);

// The layer range the batch join and SEPARATE forms share, as their rows 1 (first layer) and 2
// (last layer). It starts from, and goes back to, the join commands' kept range.
struct LayerRangeRows {
  uint8_t first = 0;
  uint8_t last = 255;
};
constexpr int LAYER_RANGE_FIRST_ROW = 1;
constexpr int LAYER_RANGE_LAST_ROW = 2;
// The kept range into the rows.
void load_layer_range(LayerRangeRows* range);
// The rows back into the kept range, the lower layer first.
void store_layer_range(const LayerRangeRows& range);
// Edits the row when it is one of the two; true with the field's result in *out.
bool edit_layer_range_row(LayerRangeRows* range, int row, EventCode* out);
// Shows both rows' layer names.
void show_layer_range_rows(const LayerRangeRows& range);

// The batch join of the Drawing page's menu: form 816, then the joins of the layer range as one
// undo step. The number of joins; 0 when cancelled.
int batch_join_command();
