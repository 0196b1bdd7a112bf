#include "commands/join_items.h"

#include <algorithm>

#include "commands/command_state.h"

#include "geometry/item_edit_state.h"
#include "store/line_list.h"
#include "ui/dialog_form.h"
#include "ui/layer_list.h"

int extend_polyline_at_end(DrawingItem* item, int at_start, int16_t tool) {
  if (item == nullptr || item->extra.empty()) return -1;
  const int32_t count = item_link_count(item);
  if (grow_node_array(item, at_start != 0 ? -1 : 1) == nullptr) return -1;
  LinkRecord* r = item_nodes(item);
  LinkRecord* added = at_start != 0 ? &r[0] : &r[count];
  const LinkRecord& from = at_start != 0 ? r[1] : r[count];
  if (at_start != 0) {
    added->point = from.point;
    added->z = from.z;
    added->node_flags = NODE_FIRST;
    r[1].node_flags = NODE_LOOSE;
  } else {
    r[count + 1].point = from.point;
    r[count + 1].z = from.z;
    r[count + 1].node_number = ++g_item_edit.node_counter;
  }
  added->code = tool == TOOL_SPLINE ? LINK_SPLINE : LINK_FLEXIBLE_LINE;
  added->sweep = 0.0f;
  if (at_start != 0) added->node_number = ++g_item_edit.node_counter;
  // An arc drawn on from the polyline leaves it smoothly.
  if (tool == TOOL_ARC || tool == TOOL_SPLINE) {
    LinkRecord* joint = at_start != 0 ? &r[1] : &r[count];
    joint->node_flags = static_cast<uint8_t>((joint->node_flags & ~NODE_KIND_MASK) | NODE_TANGENT);
  }
  link_bounding_box(added);
  return 0;
}

EventCode edit_layer_byte_field(uint8_t* layer, bool any_layer) {
  if (any_layer) {
    const EventCode code = read_window_event(3);
    if (code == KEY_DEL) {
      *layer = 255;
      return static_cast<EventCode>(-KEY_DEL);
    }
    push_input_code_front(code);
  }
  uint8_t record[LAYER_FIELD_OFFSET + 1] = {};
  record[LAYER_FIELD_OFFSET] = *layer;
  const EventCode result = edit_layer_field(record);
  *layer = record[LAYER_FIELD_OFFSET];
  return result;
}

void load_layer_range(LayerRangeRows* range) {
  range->first = g_command_start.join_first_layer;
  range->last = g_command_start.join_last_layer;
}

void store_layer_range(const LayerRangeRows& range) {
  g_command_start.join_first_layer = std::min(range.first, range.last);
  g_command_start.join_last_layer = std::max(range.first, range.last);
}

bool edit_layer_range_row(LayerRangeRows* range, int row, EventCode* out) {
  if (row == LAYER_RANGE_FIRST_ROW) *out = edit_layer_byte_field(&range->first, false);
  else if (row == LAYER_RANGE_LAST_ROW) *out = edit_layer_byte_field(&range->last, false);
  else return false;
  return true;
}

void show_layer_range_rows(const LayerRangeRows& range) {
  show_layer_name_field(range.first);
  show_layer_name_field(range.last);
}
