#include "commands/node_context_fill.h"
#include "store/line_list.h"

int16_t link_kind_code(const LinkRecord* link) {
  const float code = link->code;
  if (code > 0.0f) {
    if (link->sweep == SWEEP_CENTRE_CIRCLE) return LINK_KIND_CENTRE_CIRCLE;
    if (link->sweep == SWEEP_RADIUS_CIRCLE || link->sweep == SWEEP_DIAMETER_CIRCLE)
      return LINK_KIND_RIGID;
    return LINK_KIND_ARC;
  }
  if (code == LINK_FLEXIBLE_LINE) return LINK_KIND_LINE;
  if (code == LINK_RIGID_LINE || code == LINK_GAP || code < -9999.0f) return LINK_KIND_RIGID;
  return LINK_KIND_CURVE;
}

static int16_t node_kind_bits(const LinkRecord* node) {
  return static_cast<int16_t>(node->node_flags & (NODE_LOOSE | NODE_TANGENT));
}

int16_t previous_link_code(DrawingItem* item, LinkRecord* link, LinkRecord** out_previous) {
  LinkRecord* first = item_nodes(item);
  // A symmetric polyline's own links start behind its symmetry line, which is no neighbour.
  if (link <= first || link == own_links_start(first)) {
    if (out_previous != nullptr) *out_previous = nullptr;
    return 0;
  }
  if (out_previous != nullptr) *out_previous = link - 1;
  return static_cast<int16_t>(link_kind_code(link - 1) | node_kind_bits(link));
}

int16_t next_link_code(DrawingItem* item, LinkRecord* link, LinkRecord** out_next) {
  LinkRecord* next = link + 1;
  if (next >= item_closing_record(item)) {
    if (out_next != nullptr) *out_next = nullptr;
    return 0;
  }
  if (out_next != nullptr) *out_next = next;
  return static_cast<int16_t>(link_kind_code(next) | node_kind_bits(next));
}

int count_arc_links(const DrawingItem* item) {
  const LinkRecord* r = item_nodes(item);
  const int32_t count = item_link_count(item);
  int arcs = 0;
  for (int32_t i = 0; i < count; ++i) arcs += r[i].code > 0.0f ? 1 : 0;
  return arcs;
}

void fill_node_context(NodeContext* c, DrawingItem* item, int32_t link_index, int16_t pick) {
  c->item = item;
  c->link_index = link_index;
  c->pick = pick;
  c->previous = c->previous_previous = c->next = c->next_next = NODE_NO_RECORD;
  c->previous_code = c->previous_previous_code = c->next_code = c->next_next_code = 0;
  if (pick == -1) {
    c->dragged = c->other = NODE_POINT_CENTRE;
  } else if ((pick & 1) != 0) {
    c->dragged = NODE_POINT_CURRENT;
    c->other = NODE_POINT_NEXT;
  } else {
    c->dragged = NODE_POINT_NEXT;
    c->other = NODE_POINT_CURRENT;
  }
  if (item == nullptr || item->extra.empty()) return;
  LinkRecord* first = item_nodes(item);
  const int32_t count = item_link_count(item);
  c->closed = static_cast<uint8_t>(first->node_flags & NODE_KIND_MASK);
  if (link_index < 0 || link_index >= count) return;
  LinkRecord* current = first + link_index;
  LinkRecord* record = nullptr;
  c->previous_code = previous_link_code(item, current, &record);
  if (record != nullptr) {
    c->previous = link_index - 1;
    c->previous_previous_code = previous_link_code(item, record, &record);
    if (record != nullptr) c->previous_previous = link_index - 2;
  }
  c->next_code = next_link_code(item, current, &record);
  if (record != nullptr) {
    c->next = link_index + 1;
    c->next_next_code = next_link_code(item, record, &record);
    if (record != nullptr) c->next_next = link_index + 2;
  }
}

LinkRecord* context_record(const NodeContext& c, int32_t index) {
  if (index < 0 || c.item == nullptr) return nullptr;
  return item_nodes(c.item) + index;
}
