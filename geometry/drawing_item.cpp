// Item and block access, creating, copying and resizing items, and renumbering nodes.
#include "geometry/drawing_item.h"

#include <cstring>
#include <new>

#include "geometry/geometry_host.h"
#include "store/line_list.h"
#include "store/record_bytes.h"

namespace {

uint32_t float_bits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

float bits_float(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// Resizes an item's block to hold link_count links; false (block unchanged) when memory
// runs out.
bool resize_block(DrawingItem* item, int32_t link_count) {
  const uint8_t kind = item_block(item)->cam_kind;
  try {
    item->extra.resize(block_alloc_size(kind, link_count), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  item_block(item)->link_count = link_count;
  return true;
}

// The front records of a new text item: a frame of four links, loose nodes, closed.
void set_text_frame(LinkRecord* nodes, int32_t link_count) {
  const uint8_t frame_flags[4] = {NODE_FIRST | NODE_LOOSE, NODE_LOOSE, NODE_LOOSE, NODE_LOOSE};
  for (int32_t i = 0; i < 4 && i < link_count; ++i) nodes[i].node_flags = frame_flags[i];
  if (link_count > 1) nodes[1].code = LINK_RIGID_LINE;
  if (link_count > 3) nodes[3].code = LINK_RIGID_LINE;
}

}  // namespace

// ---- block access ----

size_t records_offset(uint8_t cam_kind) {
  if (cam_kind == GEOMETRY_KIND_MACHINABLE) return GEOMETRY_HEADER_SIZE + CAM_PARAMS_SIZE;
  if (cam_kind == GEOMETRY_KIND_TEXT)
    return GEOMETRY_HEADER_SIZE + CAM_PARAMS_SIZE + TEXT_LAYOUT_SIZE;
  return GEOMETRY_HEADER_SIZE;
}

size_t block_alloc_size(uint8_t cam_kind, int32_t link_count) {
  // The closing record is kept as a full record in memory (only its node part is stored).
  return records_offset(cam_kind) + LINK_RECORD_SIZE * (static_cast<size_t>(link_count) + 1);
}

LinkRecord* block_nodes(GeometryBlock* block) {
  if (block == nullptr) return nullptr;
  auto* bytes = reinterpret_cast<uint8_t*>(block);
  return reinterpret_cast<LinkRecord*>(bytes + records_offset(block->cam_kind));
}

uint8_t* block_cam_params(GeometryBlock* block) {
  if (block == nullptr || block->cam_kind == GEOMETRY_KIND_DRAWING_AID) return nullptr;
  return reinterpret_cast<uint8_t*>(block) + CAM_PARAMS_OFFSET;
}

uint8_t* block_text_layout(GeometryBlock* block) {
  if (block == nullptr || block->cam_kind != GEOMETRY_KIND_TEXT) return nullptr;
  return reinterpret_cast<uint8_t*>(block) + TEXT_LAYOUT_OFFSET;
}

uint8_t block_cam_op(const GeometryBlock* block) {
  const uint8_t* cam = block_cam_params(const_cast<GeometryBlock*>(block));
  return cam == nullptr ? 0 : cam[0];
}

void set_block_cam_op(GeometryBlock* block, uint8_t op) {
  uint8_t* cam = block_cam_params(block);
  if (cam != nullptr) cam[0] = op;
}

int16_t block_machining_group(const GeometryBlock* block) {
  const uint8_t* cam = block_cam_params(const_cast<GeometryBlock*>(block));
  return cam == nullptr ? 0 : get_i16_le(cam + 6);  // block offset +14
}

int16_t block_machining_order(const GeometryBlock* block) {
  const uint8_t* cam = block_cam_params(const_cast<GeometryBlock*>(block));
  return cam == nullptr ? 0 : get_i16_le(cam + 8);  // block offset +16
}

LinkRecord* own_links_start(LinkRecord* first) {
  return (first->node_flags & NODE_SYMMETRY_MASK) != 0 ? first + 2 : first;
}

LinkRecord* record_zero_of(LinkRecord* r) {
  while ((r->node_flags & NODE_FIRST) == 0) --r;
  return r;
}

// ---- item access ----

GeometryBlock* item_block(const DrawingItem* item) {
  return const_cast<GeometryBlock*>(line_extra_as<GeometryBlock>(item));
}

LinkRecord* item_nodes(const DrawingItem* item) { return block_nodes(item_block(item)); }

int32_t item_link_count(const DrawingItem* item) {
  const GeometryBlock* block = item_block(item);
  return block == nullptr ? 0 : block->link_count;
}

LinkRecord* item_closing_record(const DrawingItem* item) {
  LinkRecord* nodes = item_nodes(item);
  return nodes == nullptr ? nullptr : nodes + item_link_count(item);
}

uint8_t item_type(const DrawingItem* item) { return item->kind; }
void set_item_type(DrawingItem* item, uint8_t type) { item->kind = type; }
uint8_t item_flags(const DrawingItem* item) { return item->state; }
void set_item_flags(DrawingItem* item, uint8_t flags) { item->state = flags; }

int16_t item_group_tag(const DrawingItem* item) {
  return get_i16_le(item->attributes + ITEM_ATTR_GROUP_TAG);
}

void set_item_group_tag(DrawingItem* item, int16_t tag) {
  put_i16_le(item->attributes + ITEM_ATTR_GROUP_TAG, tag);
}

int32_t item_source_id(const DrawingItem* item) {
  return get_i32_le(item->attributes + ITEM_ATTR_SOURCE_ID);
}

void set_item_source_id(DrawingItem* item, int32_t id) {
  put_i32_le(item->attributes + ITEM_ATTR_SOURCE_ID, id);
}

int32_t item_id(const DrawingItem* item) { return line_key(item); }
void set_item_id(DrawingItem* item, int32_t id) { set_line_key(item, id); }

uint8_t item_layer(const DrawingItem* item) {
  const GeometryBlock* block = item_block(item);
  return block == nullptr ? 0 : block->layer;
}

bool item_is_closed(const DrawingItem* item) {
  const LinkRecord* nodes = item_nodes(item);
  return nodes != nullptr && (nodes[0].node_flags & NODE_KIND_MASK) != 0;
}

bool item_is_text(const DrawingItem* item) { return item->kind > ITEM_LAST_GEOMETRY_TYPE; }

// ---- point-item array fields: the closing record's Z bytes in stored order ----

uint8_t point_array_columns(const LinkRecord* closing) {
  return static_cast<uint8_t>(float_bits(closing->z));
}

uint8_t point_array_rows(const LinkRecord* closing) {
  return static_cast<uint8_t>(float_bits(closing->z) >> 8);
}

uint8_t point_array_kind(const LinkRecord* closing) {
  return static_cast<uint8_t>(float_bits(closing->z) >> 16);
}

void set_point_array(LinkRecord* closing, uint8_t columns, uint8_t rows, uint8_t kind) {
  const uint32_t bits = (float_bits(closing->z) & 0xFF000000u) | columns |
                        (static_cast<uint32_t>(rows) << 8) | (static_cast<uint32_t>(kind) << 16);
  closing->z = bits_float(bits);
}

// ---- link codes ----

bool code_is_arc(float code) { return code > 0.0f; }
bool code_is_line(float code) { return code == LINK_FLEXIBLE_LINE || code == LINK_RIGID_LINE; }
bool code_is_curve(float code) { return code <= LINK_FIRST_CURVE_CODE; }
float point_code_radius(float code) { return LINK_POINT - code; }

// ---- creating, copying, resizing ----

int new_geometry_block(const char* text, const LinkRecord* records, int32_t link_count,
                       uint8_t layer, uint8_t cam_kind) {
  if (link_count < 1 || cam_kind > GEOMETRY_KIND_TEXT) return -1;
  LineExtra extra;
  try {
    extra.assign(block_alloc_size(cam_kind, link_count), 0);
  } catch (const std::bad_alloc&) {
    return -1;
  }
  auto* block = reinterpret_cast<GeometryBlock*>(extra.data());
  block->link_count = link_count;
  block->cam_kind = cam_kind;
  block->layer = layer;
  LinkRecord* nodes = block_nodes(block);
  if (records != nullptr) {
    std::memcpy(nodes, records, LINK_RECORD_SIZE * link_count + LINK_NODE_PART_SIZE);
  } else {
    nodes[0].node_flags = NODE_FIRST;
    nodes[link_count].node_flags = NODE_CLOSING;
  }
  TextLine* line = append_line(text, std::move(extra));
  if (line == nullptr) return -1;
  line->kind = ITEM_POLYLINE;
  GeometryBlock* placed = item_block(line);
  if (cam_kind == GEOMETRY_KIND_TEXT) {
    line->kind = ITEM_TEXT;
    set_text_frame(block_nodes(placed), link_count);
  }
  if (cam_kind == GEOMETRY_KIND_TEXT || cam_kind == GEOMETRY_KIND_MACHINABLE) {
    if (g_geometry_host.apply_new_item_defaults != nullptr)
      g_geometry_host.apply_new_item_defaults(placed);
  }
  return 0;
}

int copy_item_with_extra_links(DrawingItem* item, int k) {
  const GeometryBlock* source = item_block(item);
  if (source == nullptr) return -1;
  const int32_t n = source->link_count;
  const int32_t extra_links = k < 0 ? -k : k;
  const int32_t m = n + extra_links;
  if (new_geometry_block(item->text.c_str(), nullptr, m, source->layer, source->cam_kind) != 0)
    return -1;
  DrawingItem* copy = g_lists.current.last;
  copy->id = item->id;
  copy->kind = item->kind;
  copy->state = item->state;
  std::memcpy(copy->attributes, item->attributes, 12);
  GeometryBlock* block = item_block(copy);
  const size_t header = records_offset(source->cam_kind);
  std::memcpy(block, source, header);
  LinkRecord* nodes = block_nodes(block);
  std::memset(static_cast<void*>(nodes), 0, LINK_RECORD_SIZE * (static_cast<size_t>(m) + 1));
  const LinkRecord* from = block_nodes(const_cast<GeometryBlock*>(source));
  const int32_t at = k < 0 ? extra_links : 0;
  std::memcpy(static_cast<void*>(nodes + at), from, LINK_RECORD_SIZE * n + LINK_NODE_PART_SIZE);
  if (k < 0) {
    // The new front link is a flexible line from the old first node's place.
    std::memcpy(static_cast<void*>(nodes), from, LINK_NODE_PART_SIZE);
    LinkRecord* old_first = nodes + extra_links;
    old_first->node_flags &= static_cast<uint8_t>(~NODE_FIRST);
    if ((old_first->node_flags & (NODE_LOOSE | NODE_TANGENT)) == 0)
      old_first->node_flags = NODE_LOOSE;
  } else if (k > 0) {
    std::memcpy(static_cast<void*>(nodes + m), from + n, LINK_NODE_PART_SIZE);
    nodes[n].node_flags = NODE_LOOSE;
  }
  block->link_count = m;
  return 0;
}

LinkRecord* grow_node_array(DrawingItem* item, int k) {
  GeometryBlock* block = item_block(item);
  if (block == nullptr) return nullptr;
  const int32_t n = block->link_count;
  if (k == 0) return block_nodes(block) + n;
  const int32_t extra_links = k < 0 ? -k : k;
  if (!resize_block(item, n + extra_links)) return nullptr;
  LinkRecord* nodes = item_nodes(item);
  if (k < 0) {
    nodes[0].node_flags = NODE_LOOSE;  // the item is open unless the caller closes it again
    std::memmove(static_cast<void*>(nodes + extra_links), nodes,
                 LINK_RECORD_SIZE * (static_cast<size_t>(n) + 1));
    std::memset(static_cast<void*>(nodes), 0, LINK_RECORD_SIZE * extra_links);
    nodes[0].node_flags = NODE_FIRST;
    return nodes;
  }
  LinkRecord* former_closing = nodes + n;
  auto* tail = reinterpret_cast<uint8_t*>(former_closing) + LINK_NODE_PART_SIZE;
  std::memset(tail, 0, LINK_RECORD_SIZE * (static_cast<size_t>(extra_links) + 1) -
                           LINK_NODE_PART_SIZE);
  former_closing->node_flags = NODE_LOOSE;
  nodes[n + extra_links].node_flags = NODE_CLOSING;
  return former_closing;
}

LinkRecord* shrink_node_array(DrawingItem* item, int k) {
  GeometryBlock* block = item_block(item);
  if (block == nullptr) return nullptr;
  const int32_t n = block->link_count;
  const int32_t drop = k < 0 ? -k : k;
  if (drop >= n) return nullptr;  // an item keeps at least one link
  LinkRecord* nodes = block_nodes(block);
  if (k == 0) return nodes + n;
  const bool closed = (nodes[0].node_flags & NODE_KIND_MASK) != 0;
  const int32_t m = n - drop;
  if (k < 0) {
    std::memmove(static_cast<void*>(nodes), nodes + drop,
                 LINK_RECORD_SIZE * (static_cast<size_t>(m) + 1));
    nodes[0].node_flags = closed ? (NODE_FIRST | NODE_LOOSE) : NODE_FIRST;
  } else {
    nodes[m].node_flags = NODE_CLOSING;
  }
  resize_block(item, m);  // shrinking keeps the bytes it needs even when it cannot free any
  nodes = item_nodes(item);
  if (closed) nodes[m].point = nodes[0].point;
  return k < 0 ? nodes : nodes + m;
}

void renumber_nodes(DrawingItem* item, int start) {
  LinkRecord* nodes = item_nodes(item);
  if (nodes == nullptr) return;
  const int32_t n = item_link_count(item);
  const int first = start < 0 ? nodes[0].node_number : start;
  for (int32_t i = 0; i <= n; ++i) nodes[i].node_number = static_cast<int16_t>(first + i);
}
