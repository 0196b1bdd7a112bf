// The kinds of the links around a node as the node editor reads them, and the filling of the node
// context from an item, a link index and a pick.
#pragma once

#include <cstdint>

#include "editor/node_context.h"
#include "geometry/drawing_item.h"

// Link kind codes.
constexpr int16_t LINK_KIND_ARC = 1;
constexpr int16_t LINK_KIND_LINE = 2;
constexpr int16_t LINK_KIND_LOOSE = 4;    // the node between is loose
constexpr int16_t LINK_KIND_TANGENT = 8;  // the node between is tangent
constexpr int16_t LINK_KIND_RIGID = 16;   // rigid line, gap, radius or diameter circle
constexpr int16_t LINK_KIND_CURVE = 32;
constexpr int16_t LINK_KIND_CENTRE_CIRCLE = 64;
constexpr int16_t LINK_KIND_STRAIGHT = LINK_KIND_LINE | LINK_KIND_RIGID;

int16_t link_kind_code(const LinkRecord* link);
// The kind code of the link before the record with the kind bits of the record's node; 0 at the
// first node. *out_previous gets the record or null.
int16_t previous_link_code(DrawingItem* item, LinkRecord* link, LinkRecord** out_previous);
// The kind code of the link after the record with the kind bits of the node between; 0 when the
// next record is the closing record. *out_next gets the record or null.
int16_t next_link_code(DrawingItem* item, LinkRecord* link, LinkRecord** out_next);
// Arc links of the item up to its closing record.
int count_arc_links(const DrawingItem* item);
// Fills the context's records, neighbour codes, point selectors and closed byte.
void fill_node_context(NodeContext* c, DrawingItem* item, int32_t link_index, int16_t pick);
// The context's record at an index, or null for -1.
LinkRecord* context_record(const NodeContext& c, int32_t index);
