// The offset of a whole item as the offset command, the contour kernel and the staircase
// designer ask for it: single links (circles, ellipses, one-link polylines) are offset here,
// text through the tool-path engine, everything else through the contour offset engine.
#include "geometry/contour_offset.h"

#include <cmath>

#include "geometry/geometry2d.h"
#include "geometry/geometry_host.h"
#include "geometry/item_edit_state.h"
#include "store/line_list.h"

namespace {

// With the side given by the flag, the distance's sign is chosen so that the offset lies
// outside (flag set) or inside: a counter-clockwise arc and an ellipse grow with a positive
// distance, a clockwise arc with a negative one.
float side_distance(const DrawingItem* item, float distance, int flags) {
  const LinkRecord* r = item_nodes(item);
  distance = std::fabs(distance);
  const bool outside = (flags & OFFSET_OUTSIDE) != 0;
  if (item_type(item) == ITEM_ELLIPSE || r->code == LINK_ELLIPSE)
    return outside ? distance : -distance;
  if (!code_is_arc(r->code)) return distance;
  const bool clockwise = (r->link_flags & LINK_CLOCKWISE) != 0;
  return outside == clockwise ? -distance : distance;
}

bool single_link_closed(const DrawingItem* item) {
  if (item_type(item) != ITEM_POLYLINE) return false;
  const LinkRecord* r = item_nodes(item);
  return (r[0].node_flags & NODE_KIND_MASK) != 0 ||
         point_distance(&r[0].point, &r[1].point) < 0.0001f;
}

int offset_single_link(DrawingItem* item, float distance, int flags) {
  if ((flags & OFFSET_SIDE_FROM_FLAG) != 0) distance = side_distance(item, distance, flags);
  const bool closed = single_link_closed(item);
  LinkRecord buffer[2];
  const int result = offset_link(item_nodes(item), distance, buffer);
  if (result < 0) return result;
  if (result > 0) return OFFSET_ITEM_NOTHING;  // the link vanished
  const uint8_t type = item_type(item);
  if (closed) buffer[1].point = buffer[0].point;
  buffer[0].node_flags |= NODE_FIRST;
  buffer[1].node_flags = NODE_CLOSING;
  if (type != ITEM_CIRCLE) arc_angles_from_points(buffer);
  link_bounding_box(buffer);
  ItemEditState& session = g_item_edit;
  buffer[0].node_number = ++session.node_counter;
  buffer[1].node_number = ++session.node_counter;
  if (new_geometry_block(item->text.c_str(), buffer, 1, session.new_item_layer,
                         item_block(item)->cam_kind) != 0) {
    session.node_counter = static_cast<int16_t>(session.node_counter - 2);  // given back
    return OFFSET_ITEM_FAILED;
  }
  set_item_type(g_lists.current.last, type);
  return OFFSET_ITEM_DONE;
}

int offset_text_item(DrawingItem* item, float distance) {
  if (g_geometry_host.offset_text == nullptr) return OFFSET_ITEM_NOTHING;
  const int made = g_geometry_host.offset_text(item, distance, item_block(item)->cam_kind,
                                               g_item_edit.new_item_layer);
  return made > 0 ? OFFSET_ITEM_DONE : OFFSET_ITEM_NOTHING;
}

// The side bit from the distance's sign and the orientation: set when the offset lies outside.
int contour_flags(const DrawingItem* item, float distance, int flags) {
  if ((flags & OFFSET_SIDE_FROM_FLAG) != 0) return flags;
  const bool clockwise = polygon_orientation(item) != 0;
  const bool outside = clockwise ? distance <= 0.0f : distance >= 0.0f;
  return (outside ? OFFSET_OUTSIDE : 0) | (flags & OFFSET_SHARP);
}

int offset_through_contour(DrawingItem* item, float distance, int flags) {
  const int count = offset_contour(item, distance, contour_flags(item, distance, flags));
  if (count < 0) return OFFSET_ITEM_FAILED;
  if (count == 0) return OFFSET_ITEM_NOTHING;
  const ItemEditState& session = g_item_edit;
  if (session.assign_new_items == 0) return OFFSET_ITEM_DONE;
  TextLine* result = g_lists.current.last;
  for (int i = 0; i < count && result != nullptr; ++i, result = result->prev) {
    item_block(result)->layer = session.new_item_layer;
    if (g_geometry_host.copy_item_cam != nullptr) g_geometry_host.copy_item_cam(item, result);
  }
  return OFFSET_ITEM_DONE;
}

}  // namespace

int offset_item(DrawingItem* item, float distance, int flags) {
  if (g_geometry_host.clear_hover != nullptr) g_geometry_host.clear_hover();
  if (item == nullptr || item_block(item) == nullptr) return OFFSET_ITEM_NOTHING;
  if (flags == 0) flags = OFFSET_SHARP;
  if (item_is_text(item)) return offset_text_item(item, distance);
  const uint8_t type = item_type(item);
  // Any single link is offset here: the contour engine hands single links back to us.
  if (type == ITEM_CIRCLE || type == ITEM_ELLIPSE || item_link_count(item) == 1)
    return offset_single_link(item, distance, flags);
  return offset_through_contour(item, distance, flags);
}
