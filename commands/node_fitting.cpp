#include "commands/node_fitting.h"

#include "editor/edit_session.h"
#include "geometry/node_surgery.h"
#include "store/line_list.h"
#include "geometry/symmetric_nodes.h"

namespace {

constexpr int END_NODE = 2;

}  // namespace

void keep_polyline_closed(DrawingItem* item, LinkRecord* link, int end) {
  if (item == nullptr || link == nullptr || item->extra.empty()) return;
  LinkRecord* first = item_nodes(item);
  if ((first->node_flags & NODE_KIND_MASK) == 0) return;
  if (end == END_NODE) {
    if (link + 1 == item_closing_record(item)) sync_closing_node(item, SYNC_CLOSING_TO_FIRST);
    return;
  }
  if (link == first && (first->node_flags & NODE_DUAL) == 0)
    sync_closing_node(item, SYNC_FIRST_TO_CLOSING);
}

void update_symmetry_after_edit(DrawingItem* item, int node_index) {
  if (item == nullptr || item->extra.empty() || item_type(item) != ITEM_POLYLINE) return;
  const uint8_t flags = item_nodes(item)[0].node_flags;
  const int32_t count = item_link_count(item);
  if ((flags & NODE_DUAL) != 0) {
    if (count < SYMMETRY_LEAST_LINKS) return;
    // The first half ends at count / 2 (even) or (count + 1) / 2 (odd).
    const int32_t half = (count + 1) / 2;
    if (node_index > half) symmetry_enforce_from_end(item);
    else symmetry_enforce(item);
    return;
  }
  if ((flags & NODE_PERPENDICULAR) != 0) enforce_perpendicular_symmetry(item);
}

void enforce_working_set_symmetry() {
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next) {
    if (item->extra.empty() || item_type(item) != ITEM_POLYLINE) continue;
    if ((item_nodes(item)[0].node_flags & NODE_SYMMETRY_MASK) == 0) continue;
    const int32_t n = item_link_count(item);
    int32_t edited = 0;
    for (int32_t i = 0; i <= n; ++i) {
      if ((item_nodes(item)[i].link_flags & LINK_NODE_MARKED) == 0) continue;
      edited = i < n ? i : n - 1;
      break;
    }
    update_symmetry_after_edit(item, edited);
  }
}
