#include "commands/join_items.h"

#include "geometry/geometry2d.h"
#include "geometry/item_edit_state.h"
#include "geometry/item_split.h"
#include "geometry/polyline_ends.h"
#include "store/line_list.h"

namespace {

bool symmetric(const DrawingItem* item) {
  return (item_nodes(item)[0].node_flags & NODE_SYMMETRY_MASK) != 0;
}

bool joinable(const DrawingItem* item) {
  return item_block(item) != nullptr && item_type(item) == ITEM_POLYLINE &&
         (item_flags(item) & ITEM_FLAG_SELECTED) != 0 && !symmetric(item);
}

bool accepted(int pairing, int flags) {
  if (pairing == TOUCH_NONE) return false;
  if ((flags & JOIN_NO_REVERSAL) != 0)
    return pairing == TOUCH_END_START || pairing == TOUCH_START_END;
  if ((flags & JOIN_EITHER_END) != 0) return true;
  return pairing == TOUCH_END_START || pairing == TOUCH_END_END;
}

// Joins the candidate to the working item (the current list's last item) at the touching ends
// the pairing names; the joined item becomes the last item, the two parts are deleted. False
// when a copy could not be made (nothing changed).
bool join_pair(DrawingItem* working, DrawingItem* candidate, int pairing) {
  const bool working_start = pairing == TOUCH_START_START || pairing == TOUCH_START_END;
  const bool candidate_end = pairing == TOUCH_END_END || pairing == TOUCH_START_END;
  if (working_start && reverse_polyline(working) != 0) return false;
  if (candidate_end && reverse_polyline(candidate) != 0) {
    if (working_start) reverse_polyline(working);
    return false;
  }
  const int32_t n = item_link_count(working);
  const int32_t m = item_link_count(candidate);
  if (copy_item_with_extra_links(working, m) != 0) {
    if (working_start) reverse_polyline(working);
    if (candidate_end) reverse_polyline(candidate);
    return false;
  }
  DrawingItem* joined = g_lists.current.last;
  LinkRecord* to = item_nodes(joined);
  const LinkRecord* from = item_nodes(candidate);
  const PointF joint = to[n].point;
  for (int32_t i = 0; i < m; ++i) to[n + i] = from[i];
  to[n + m].point = from[m].point;
  to[n + m].z = from[m].z;
  to[n + m].node_number = from[m].node_number;
  to[n + m].node_flags = NODE_CLOSING;
  to[n].point = joint;
  to[n].node_flags = NODE_LOOSE;
  // Arcs that start at the joint take their start from it.
  rederive_arc(&to[n]);
  arc_angles_from_points(&to[n]);
  link_bounding_box(&to[n]);
  delete_line(candidate);
  delete_line(working);
  if (working_start) reverse_polyline(joined);
  return true;
}

// Moves every line of the current list that fails the test into *aside, keeping the order.
template <typename Keep>
void move_aside(LineList* aside, Keep keep) {
  TextLine* line = g_lists.current.first;
  while (line != nullptr) {
    TextLine* next = line->next;
    if (!keep(line)) {
      if (g_lists.current.first == line) g_lists.current.first = next;
      if (g_lists.current.last == line) g_lists.current.last = line->prev;
      if (line->prev != nullptr) line->prev->next = next;
      if (next != nullptr) next->prev = line->prev;
      line->prev = aside->last;
      line->next = nullptr;
      if (aside->last != nullptr) aside->last->next = line;
      else aside->first = line;
      aside->last = line;
    }
    line = next;
  }
}

void take_back(LineList* aside) {
  append_chain(aside->first, aside->last);
  *aside = LineList{};
}

}  // namespace

int join_touching_items(int flags) {
  int joins = 0;
  bool joined_one = true;
  while (joined_one) {
    joined_one = false;
    DrawingItem* working = g_lists.current.last;
    if (working == nullptr) return 0;
    for (DrawingItem* c = g_lists.current.first; c != nullptr && c != working; c = c->next) {
      if (!joinable(c)) continue;
      if ((flags & JOIN_SAME_LAYER) != 0 && item_layer(c) != item_layer(working)) continue;
      const int pairing = touching_ends(working, c);
      if (!accepted(pairing, flags)) continue;
      if (!join_pair(working, c, pairing)) return joins;
      ++joins;
      joined_one = true;
      break;
    }
  }
  DrawingItem* working = g_lists.current.last;
  const int closed = close_if_touching(working);
  refit_item_arcs(working);
  return closed != 0 ? joins | JOIN_CLOSED_BIT : joins;
}

int batch_join(int flags, int first_layer, int last_layer) {
  if (g_lists.current.first == nullptr) return -1;
  if (g_lists.current.first == g_lists.current.last) {
    close_if_touching(g_lists.current.first);
    return 0;
  }
  LineList aside;
  move_aside(&aside, [&](const TextLine* item) {
    return joinable(item) && item_layer(item) >= first_layer && item_layer(item) <= last_layer;
  });
  LineList finished;
  int joins = 0;
  while (g_lists.current.first != nullptr && g_lists.current.first != g_lists.current.last) {
    joins += join_touching_items(flags) & ~JOIN_CLOSED_BIT;
    DrawingItem* done = g_lists.current.last;
    move_aside(&finished, [&](const TextLine* item) { return item != done; });
  }
  if (g_lists.current.first != nullptr) close_if_touching(g_lists.current.first);
  take_back(&finished);
  take_back(&aside);
  return joins;
}

void explode_and_rejoin_active() {
  DrawingItem* item = g_lists.current.last;
  while (item != nullptr) {
    DrawingItem* previous = item->prev;
    if ((item_flags(item) & ITEM_FLAG_SELECTED) != 0 && item_block(item) != nullptr &&
        separate_links(item) > 0)
      delete_line(item);
    item = previous;
  }
  for (DrawingItem* r = g_lists.current.first; r != nullptr; r = r->next)
    if ((item_flags(r) & ITEM_FLAG_SELECTED) != 0 && item_block(r) != nullptr)
      item_bounding_boxes(r);
  batch_join(JOIN_EITHER_END | JOIN_SAME_LAYER, 0, 255);
}

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
