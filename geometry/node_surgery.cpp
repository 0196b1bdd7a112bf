// Deleting items, nodes and runs of links; gaps, start nodes and thinning. The pick tests
// live in hit_test.cpp.
#include "geometry/node_surgery.h"

#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "geometry/geometry2d.h"
#include "geometry/geometry_host.h"
#include "geometry/item_edit_state.h"
#include "geometry/symmetric_nodes.h"
#include "store/line_list.h"

// ---- record helpers ----

static int record_index(const DrawingItem* item, const LinkRecord* r) {
  return static_cast<int>(r - item_nodes(item));
}

static void set_link_count(DrawingItem* item, int32_t n) { item_block(item)->link_count = n; }

// Gives a node the loose kind, keeping its other bits.
static void make_loose(LinkRecord* r) {
  r->node_flags = static_cast<uint8_t>((r->node_flags & ~NODE_KIND_MASK) | NODE_LOOSE);
}

// An item whose first node has no kind is open.
static void open_item(LinkRecord* nodes) {
  nodes[0].node_flags = static_cast<uint8_t>(nodes[0].node_flags & ~NODE_KIND_MASK);
}

// Moves the records after `r` down by `k` records, the closing record's node part included.
// `closing` is the present closing record.
static void move_records_down(LinkRecord* r, LinkRecord* closing, int k) {
  const LinkRecord* from = r + k;
  const size_t full_records = static_cast<size_t>(closing - from);
  std::memmove(static_cast<void*>(r), from,
               full_records * LINK_RECORD_SIZE + LINK_NODE_PART_SIZE);
}

// Makes record `index` the closing record.
static void make_closing(DrawingItem* item, int index) {
  set_link_count(item, index);
  item_nodes(item)[index].node_flags = NODE_CLOSING;
}

// An arc whose end nodes changed is refitted to them; a circle code is re-derived instead,
// since refitting would measure a radius circle's radius as 0.
static void refit_changed_link(LinkRecord* r) {
  if (code_is_arc(r->code)) {
    if (r->sweep < 0.0f) {
      rederive_arc(r);
    } else {
      refit_arc(r);
    }
  }
  link_bounding_box(r);
}

// ---- deleting one node ----

static int regenerate_polygon(DrawingItem* item, int n) {
  LinkRecord* nodes = item_nodes(item);
  make_closing(item, n);
  const float radius = point_distance(&nodes[0].centre, &nodes[0].point);
  const double start = point_angle(&nodes[0].centre, &nodes[0].point);
  place_polygon_nodes(&nodes[0], &nodes[0], radius, start, n);
  item_bounding_boxes(item);
  return 0;
}

// Removes the node at index `index` (not the closing record) of an item of old_n links.
static int remove_node(DrawingItem* item, int index, int old_n) {
  LinkRecord* nodes = item_nodes(item);
  const int n = old_n - 1;
  const bool closed = (nodes[0].node_flags & NODE_KIND_MASK) != 0;
  const uint8_t first_flags = nodes[0].node_flags;
  move_records_down(&nodes[index], &nodes[old_n], 1);
  set_link_count(item, n);
  if (index == 0) {
    nodes[0].node_flags = first_flags;
    if ((first_flags & ~NODE_FIRST) != 0) sync_closing_node(item, SYNC_FIRST_TO_CLOSING);
  }
  if (index < n) refit_changed_link(&nodes[index]);
  // The link arriving at the removed node now ends at its successor.
  if (index > 0) {
    refit_changed_link(&nodes[index - 1]);
  } else if (closed) {
    refit_changed_link(&nodes[n - 1]);
  }
  return 1;
}

int delete_node(DrawingItem* item, LinkRecord* record, int mode) {
  const int old_n = item_link_count(item);
  const int index = record_index(item, record);
  // A single link has no node to spare; a cut at record 0 would leave no link.
  if (old_n <= 1 || index < 0 || index > old_n) return 0;
  if (mode == DELETE_NODE_CUT_OFF && index == 0) return 0;
  if (item_type(item) == ITEM_POLYGON) return regenerate_polygon(item, old_n - 1);
  LinkRecord* nodes = item_nodes(item);
  if (mode == DELETE_NODE_CUT_OFF || index == old_n) {
    // The count follows the record that becomes the closing one; removing the closing node
    // itself cuts the last link off.
    const int n = mode == DELETE_NODE_CUT_OFF ? index : old_n - 1;
    const bool was_closed = (nodes[0].node_flags & NODE_KIND_MASK) != 0;
    make_closing(item, n);
    if (n <= 2 || (mode != DELETE_NODE_CUT_OFF && was_closed)) open_item(nodes);
    return mode == DELETE_NODE_CUT_OFF ? 0 : 1;
  }
  if (old_n - 1 <= 2) open_item(nodes);
  return remove_node(item, index, old_n);
}

// ---- deleting items and marked nodes ----

void delete_marked_items() {
  TextLine* line = g_lists.current.first;
  while (line != nullptr) {
    if ((item_flags(line) & ITEM_FLAG_MARKED) != 0) {
      line = delete_line(line);
    } else {
      line = line->next;
    }
  }
}

// Lets the node editor refit around the link now at `index` after node `node_index` went.
static void propagate_after_delete(DrawingItem* item, int index, int node_index) {
  g_item_edit.edited_item = item;
  g_item_edit.current_link_index = index;
  geometry_host_node_command_check(NODE_COMMAND_REFIT_AFTER_DELETE,
                                   node_index > 0 ? node_index - 1 : 0, 0);
  if (index < item_link_count(item)) rederive_arc(&item_nodes(item)[index]);
  geometry_host_propagate_node_move();
}

// Prepares a marked node for removal: its links become independent of it.
static void loosen_marked_node(LinkRecord* r, int index, bool closed) {
  if (index == 0) {
    if (closed) make_loose(r);
    make_loose(r + 1);
  } else {
    make_loose(r);
    if ((r[1].node_flags & NODE_CLOSING) == 0) make_loose(r + 1);
  }
  r->code = LINK_FLEXIBLE_LINE;
}

// A marked closing record: a closed item only loses the mark; an open one loses its last link.
static void handle_marked_closing(DrawingItem* item, bool closed) {
  LinkRecord* nodes = item_nodes(item);
  const int n = item_link_count(item);
  LinkRecord* closing = &nodes[n];
  if ((closing->link_flags & LINK_NODE_MARKED) == 0) return;
  if (closed || (closing->node_flags & NODE_DUAL) != 0) {
    closing->link_flags ^= LINK_NODE_MARKED | LINK_SAVED_MARK;
  } else {
    delete_node(item, &nodes[n - 1], DELETE_NODE_CUT_OFF);
  }
}

// After a node of a "Dual" polyline and its partner went: the half the node was in (by the link
// count before the deletion) is kept and the other half mirrors it again.
static void solve_after_symmetric_deletion(DrawingItem* item, int node_index, int32_t count_before) {
  const int32_t half = count_before % 2 == 0 ? count_before / 2 : (count_before + 1) / 2;
  if (node_index > half) symmetry_enforce_from_end(item);
  else symmetry_enforce(item);
}

// Deletes the item's marked nodes; true when the item fell to one link and must go.
static bool delete_marked_nodes_of(DrawingItem* item) {
  LinkRecord* nodes = item_nodes(item);
  const bool closed = (nodes[0].node_flags & NODE_KIND_MASK) != 0;
  int index = 0;
  int node_index = 0;
  while (index < item_link_count(item)) {
    LinkRecord* r = &nodes[index];
    if ((r->link_flags & LINK_NODE_MARKED) == 0) {
      ++index;
      ++node_index;
      continue;
    }
    loosen_marked_node(r, index, closed);
    const int32_t count_before = item_link_count(item);
    const int removed = delete_node(item, r, DELETE_NODE_REMOVE);
    if (removed != 0) {
      // Only a node that went takes its mirror partner with it.
      const bool partner_went = remove_symmetric_node(item, node_index) == 0;
      propagate_after_delete(item, index, node_index);
      if (partner_went) solve_after_symmetric_deletion(item, node_index, count_before);
    }
    if (item_link_count(item) == 1) return true;
    if (removed == 0) ++index;  // nothing went: do not test the same node forever
  }
  handle_marked_closing(item, closed);
  return false;
}

void delete_marked_nodes() {
  TextLine* item = g_lists.current.first;
  while (item != nullptr) {
    const uint8_t flags = item_flags(item);
    if ((flags & ITEM_FLAG_HAS_MARKED_NODES) == 0) {
      item = item->next;
      continue;
    }
    set_item_flags(item, static_cast<uint8_t>(flags & ~ITEM_FLAG_HAS_MARKED_NODES));
    if (item_link_count(item) == 1 || delete_marked_nodes_of(item)) {
      item = delete_line(item);
    } else {
      item = item->next;
    }
  }
}

// ---- deleting a run of links ----

int delete_link_run(DrawingItem* item, LinkRecord* first, LinkRecord* last) {
  if (item_type(item) != ITEM_POLYLINE && make_plain_polyline(item) == 0) return -1;
  LinkRecord* nodes = item_nodes(item);
  const int n = item_link_count(item);
  int a = record_index(item, first);
  int b = last == nullptr ? n : record_index(item, last);
  if (a > b) std::swap(a, b);
  if (a < 0 || b > n) return -1;
  const int k = b - a + 1;
  if (k >= n) return -1;
  if (b == n) {
    make_closing(item, a - 1);
    open_item(nodes);
    return 0;
  }
  move_records_down(&nodes[a], &nodes[n], k);
  set_link_count(item, n - k);
  if (a == 0) {
    nodes[0].node_flags = NODE_FIRST;
  } else {
    if ((nodes[a].node_flags & NODE_CLOSING) == 0) make_loose(&nodes[a]);
    refit_changed_link(&nodes[a - 1]);
  }
  return 1;
}

// ---- gaps ----

// Removes the first link while it is there to spare; the item becomes open.
static void cut_leading_links(DrawingItem* item) {
  LinkRecord* nodes = item_nodes(item);
  do {
    const int n = item_link_count(item);
    const uint8_t symmetry = nodes[0].node_flags & NODE_SYMMETRY_MASK;
    move_records_down(&nodes[0], &nodes[n], 1);
    set_link_count(item, n - 1);
    nodes[0].node_flags = static_cast<uint8_t>(symmetry | NODE_FIRST);
  } while (nodes[0].code == LINK_GAP && item_link_count(item) > 1);
}

// Cuts the item off at record `index` and then before every empty gap that ends there.
static void cut_trailing_links(DrawingItem* item, int index) {
  LinkRecord* nodes = item_nodes(item);
  make_closing(item, index);
  while (index > 1 && nodes[index - 1].code == LINK_GAP) {
    --index;
    make_closing(item, index);
  }
  // The closing point has left the first point: the item is open now.
  open_item(nodes);
}

int gap_at_node(LinkRecord* record) {
  DrawingItem* item = g_lists.current.last;
  if (item == nullptr) return 0;
  const int n = item_link_count(item);
  const int index = record_index(item, record);
  // A single link cut at either end would leave an item without links.
  if (n <= 1 || index < 0 || index >= n) return 0;
  if (index == 0) {
    cut_leading_links(item);
    return 1;
  }
  if (index == n - 1) {
    cut_trailing_links(item, index);
    return 1;
  }
  LinkRecord* nodes = item_nodes(item);
  LinkRecord* r = &nodes[index];
  make_loose(r);
  make_loose(r + 1);
  r->code = LINK_GAP;
  link_bounding_box(r);
  int merges = 0;
  if (r[1].code == LINK_GAP) merges += delete_node(item, r + 1, DELETE_NODE_REMOVE);
  if (nodes[index - 1].code == LINK_GAP) merges += delete_node(item, r, DELETE_NODE_REMOVE);
  return merges;
}

// ---- start nodes ----

int make_start_node(LinkRecord* record) {
  DrawingItem* item = g_lists.current.last;
  if (item == nullptr) return -1;
  return rotate_to_start_node(item, record);
}

int rotate_to_start_node(DrawingItem* item, LinkRecord* record) {
  LinkRecord* nodes = item_nodes(item);
  const int n = item_link_count(item);
  const int start = record_index(item, record);
  // Rotating an open item would invent a link from its last node to its first.
  if (!item_is_closed(item) || start < 0 || start >= n) return -1;
  std::vector<LinkRecord> scratch;
  try {
    scratch.resize(static_cast<size_t>(n) + 1);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  record->node_flags |= NODE_FIRST;
  int from = start;
  for (int i = 0; i < n; ++i) {
    if (from == n) {
      // The old closing node coincides with record 0 and is skipped.
      nodes[n].node_flags &= static_cast<uint8_t>(~NODE_CLOSING);
      nodes[0].node_flags &= static_cast<uint8_t>(~NODE_FIRST);
      from = 0;
    }
    scratch[static_cast<size_t>(i)] = nodes[from++];
  }
  LinkRecord closing = scratch[0];
  closing.node_flags = NODE_CLOSING;
  std::memcpy(static_cast<void*>(nodes), scratch.data(), static_cast<size_t>(n) * LINK_RECORD_SIZE);
  std::memcpy(static_cast<void*>(&nodes[n]), &closing, LINK_NODE_PART_SIZE);
  return 0;
}

// ---- thinning ----

void thin_run_nodes(DrawingItem* item, double lower, double upper, int whole) {
  LinkRecord* nodes = item_nodes(item);
  int p = g_item_edit.current_link_index;
  if (p < 0 || p >= item_link_count(item)) return;
  const float code = nodes[p].code;
  bool keep_toggle = false;
  int symmetric_index = p;
  for (;;) {
    const int q = p + 1;
    if (q >= item_link_count(item)) break;
    LinkRecord* rq = &nodes[q];
    if (whole == 0 &&
        ((rq->link_flags & (LINK_NODE_MARKED | LINK_JUMP)) != 0 || rq->code != code)) {
      break;
    }
    const double length = link_length(rq);
    const bool between = length >= lower && length <= upper;
    if ((length >= lower && length > upper) || (between && !keep_toggle)) {
      if (between) keep_toggle = true;
      p = q;
      continue;
    }
    delete_node(item, rq, DELETE_NODE_REMOVE);
    remove_symmetric_node(item, symmetric_index);
    ++symmetric_index;
    keep_toggle = !keep_toggle;
  }
}
