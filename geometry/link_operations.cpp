#include "geometry/link_operations.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "geometry/construct.h"
#include "geometry/item_edit_state.h"
#include "store/line_list.h"

void nodes_from_points(int32_t link_count, const PointF* points, LinkRecord* first, float code) {
  if (link_count < 1) return;
  std::memset(static_cast<void*>(first), 0, LINK_RECORD_SIZE * static_cast<size_t>(link_count + 1));
  const uint8_t inner_flags = code >= LINK_RIGID_LINE ? NODE_LOOSE : NODE_TANGENT;
  first[0].point = points[0];
  first[0].node_flags = NODE_FIRST;
  first[0].node_number = ++g_item_edit.node_counter;
  for (int32_t i = 0; i < link_count; ++i) {
    LinkRecord& next = first[i + 1];
    next.point = points[i + 1];
    next.node_number = ++g_item_edit.node_counter;
    next.node_flags = i + 1 == link_count ? NODE_CLOSING : inner_flags;
    first[i].code = code;
    first[i].sweep = 0.0f;
    link_bounding_box(&first[i]);
  }
}

LinkRecord* insert_node_on_link(DrawingItem* item, LinkRecord* link, const PointF* point) {
  const int32_t n = item_link_count(item);
  const int32_t index = static_cast<int32_t>(link - item_nodes(item));
  if (index < 0 || index >= n) return nullptr;
  if (code_is_arc(link->code) &&
      (link->sweep == SWEEP_RADIUS_CIRCLE || link->sweep == SWEEP_DIAMETER_CIRCLE))
    link->point = next_point(link);
  LinkRecord copy = *link;
  copy.link_flags &= static_cast<uint8_t>(~(LINK_NODE_MARKED | LINK_SAVED_MARK | LINK_CORNER_MARK));
  link_foot(link, point, &copy.point);
  copy.node_flags = code_is_arc(link->code) ? NODE_TANGENT : NODE_LOOSE;
  copy.node_number = ++g_item_edit.node_counter;
  // The block grows by one link here, so no caller can insert past its end.
  if (grow_node_array(item, 1) == nullptr) return nullptr;
  LinkRecord* nodes = item_nodes(item);
  // The records after the link, the old closing record last, move one place on.
  std::memmove(static_cast<void*>(nodes + index + 2), nodes + index + 1,
               LINK_RECORD_SIZE * static_cast<size_t>(n - index));
  nodes[index + 1] = copy;
  for (LinkRecord* r : {nodes + index, nodes + index + 1}) {
    arc_angles_from_points(r);
    link_bounding_box(r);
  }
  nodes[n + 1].node_flags = NODE_CLOSING;
  return nodes + index + 1;
}

LinkRecord* insert_node_on_tail_item(LinkRecord* link, const PointF* point) {
  DrawingItem* item = g_lists.current.last;
  if (item == nullptr) return nullptr;
  return insert_node_on_link(item, link, point);
}

void rotate_link_to_line(const LinkRecord* master, LinkRecord* link, int moving_end,
                         float distance) {
  PointF* moving = moving_end == LINK_MOVE_NEAR_END ? &link->point : &link[1].point;
  PointF* pivot = moving_end == LINK_MOVE_NEAR_END ? &link[1].point : &link->point;
  double b = point_angle(&master->point, &next_point(master));
  const double c = point_angle(pivot, moving);
  const double e = c - b;
  double turn;
  if (e < -1.5 * ANGLE_PI) {
    turn = -(c + ANGLE_TWO_PI - b);
  } else {
    if (e > 1.5 * ANGLE_PI) b += ANGLE_TWO_PI;
    if (std::fabs(c - b) > 0.5 * ANGLE_PI) {
      b += ANGLE_PI;
      if (b > ANGLE_TWO_PI) b -= ANGLE_TWO_PI;
    }
    turn = b - c;
  }
  rotate_point_about(moving, moving, pivot, turn);
  if (distance < 0.0f) return;
  PointF foot;
  link_foot(master, pivot, &foot);
  PointF target = foot;
  const double away = point_distance(&foot, pivot);
  if (away > 0.0) {
    target.x = static_cast<float>(foot.x + (static_cast<double>(pivot->x) - foot.x) * distance / away);
    target.y = static_cast<float>(foot.y + (static_cast<double>(pivot->y) - foot.y) * distance / away);
  }
  PointF shift;
  vec_sub(&target, pivot, &shift);
  vec_add_assign(moving, &shift);
  vec_add_assign(pivot, &shift);
}
