#include "geometry/item_split.h"

#include <vector>

#include "geometry/geometry_host.h"
#include "geometry/node_surgery.h"
#include "geometry/point_arrays.h"
#include "records/job_settings.h"
#include "store/line_list.h"

namespace {

bool link_is_skipped(const LinkRecord* r) {
  return (r->link_flags & LINK_JUMP) != 0 || r->code == LINK_GAP;
}

// Link codes separate_links cannot cut out of a polyline: ellipse, quadratic and point links.
bool link_blocks_split(float code) { return code < LINK_SPLINE && code != LINK_GAP; }

void give_new_id(DrawingItem* item) { set_item_id(item, ++g_job_settings.item_id_counter); }

// A new item from records first..first + count (count links and the record after them).
DrawingItem* append_piece(const DrawingItem* source, const LinkRecord* first, int32_t count) {
  const GeometryBlock* block = item_block(source);
  if (new_geometry_block(source->text.c_str(), first, count, block->layer, block->cam_kind) != 0) return nullptr;
  DrawingItem* piece = g_lists.current.last;
  if (g_geometry_host.copy_item_cam != nullptr) g_geometry_host.copy_item_cam(source, piece);
  set_item_flags(piece, ITEM_FLAG_SELECTED);
  give_new_id(piece);
  LinkRecord* nodes = item_nodes(piece);
  nodes[0].node_flags = NODE_FIRST;
  nodes[count].node_flags = NODE_CLOSING;
  return piece;
}

int separate_point_array(DrawingItem* item) {
  LinkRecord* first = item_nodes(item);
  const GeometryBlock* block = item_block(item);
  const uint8_t layer = block->layer;
  const uint8_t cam_kind = block->cam_kind;
  int made = 0;
  for_each_array_position(first, [&](const PointF& position) {
    if (new_geometry_block("", nullptr, 1, layer, cam_kind) != 0) return;
    DrawingItem* point = g_lists.current.last;
    set_item_type(point, ITEM_POINT);
    set_item_flags(point, ITEM_FLAG_SELECTED);
    LinkRecord* nodes = item_nodes(point);
    nodes[0].point = position;
    nodes[0].code = LINK_POINT;
    nodes[1].point = position;
    link_bounding_box(&nodes[0]);
    ++made;
  });
  return made;
}

}  // namespace

int separate_links(DrawingItem* item) {
  if (item_block(item) == nullptr) return 0;
  if (item_type(item) == ITEM_POINT) return separate_point_array(item);
  const int32_t n = item_link_count(item);
  if (n <= 1) return -1;
  LinkRecord* nodes = item_nodes(item);
  for (int32_t i = 0; i < n; ++i)
    if (link_blocks_split(nodes[i].code)) return 0;
  // The pieces are found first, so that nothing is made of an item that cannot be split.
  struct Piece {
    int32_t start;
    int32_t count;
  };
  std::vector<Piece> pieces;
  int32_t i = own_links_start(nodes) - nodes;
  while (i < n) {
    LinkRecord* r = nodes + i;
    if (link_is_skipped(r)) {
      ++i;
      continue;
    }
    int32_t count = 1;
    if (r->code == LINK_BEZIER || r->code == LINK_SPLINE) {
      count = static_cast<int32_t>(find_run_end(r, r->code) - r);
      if (count < 1) count = 1;
    }
    pieces.push_back({i, count});
    i += count;
  }
  TextLine* before = g_lists.current.last;
  for (const Piece& piece : pieces) {
    if (append_piece(item, item_nodes(item) + piece.start, piece.count) != nullptr) continue;
    // All or nothing: the pieces already made go again.
    while (g_lists.current.last != before && g_lists.current.last != nullptr)
      delete_line(g_lists.current.last);
    return 0;
  }
  return static_cast<int>(pieces.size());
}

void break_polyline_at_node(LinkRecord* record, int index) {
  DrawingItem* item = g_lists.current.last;
  if (item == nullptr || item_block(item) == nullptr) return;
  if (item_is_closed(item)) {
    if (rotate_to_start_node(item, record) != 0) return;
    item_nodes(item)[0].node_flags = NODE_FIRST;
    return;
  }
  const int32_t n = item_link_count(item);
  if (index <= 0 || index >= n) return;
  LinkRecord* nodes = item_nodes(item);
  int32_t start = index;
  if (link_is_skipped(nodes + index)) ++start;
  int32_t keep = index;
  if (link_is_skipped(nodes + index - 1)) --keep;
  if (start < n) {
    // The copy must be made before the item's own records change.
    std::vector<LinkRecord> tail(nodes + start, nodes + n + 1);
    if (append_piece(item, tail.data(), n - start) == nullptr) return;
  }
  if (keep < 1) {
    // Nothing is left before the break: the item is the piece after it, or nothing.
    delete_line(item);
    return;
  }
  item_block(item)->link_count = keep;
  item_nodes(item)[keep].node_flags = NODE_CLOSING;
}
