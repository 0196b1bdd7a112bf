#include "commands/fillet_node.h"

#include <cstring>

#include "commands/node_context_fill.h"
#include "editor/edit_session.h"
#include "geometry/construct.h"
#include "geometry/fillet_through_point.h"
#include "geometry/geometry2d.h"
#include "geometry/item_edit_state.h"
#include "geometry/node_surgery.h"
#include "geometry/shape_drags.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "ui/message_box.h"

namespace {

constexpr char TOO_LARGE_TEXT[] = "Error - the fillet radius seems too large for these two lines!";

NodeContext& context() { return g_edit.node; }
LinkRecord* nodes() { return item_nodes(context().item); }

bool is_arc(const LinkRecord* r) { return code_is_arc(r->code); }

// The three records a fillet works on, by index: previous link, fillet, next link. They must
// follow one another: the fillet's ends are the neighbours' shared nodes.
bool fillet_records(LinkRecord** previous, LinkRecord** fillet, LinkRecord** next) {
  const NodeContext& c = context();
  if (c.item == nullptr) return false;
  const int32_t k = c.link_index;
  const int32_t count = item_link_count(c.item);
  if (k < 1 || k + 1 >= count) return false;
  LinkRecord* r = nodes();
  *previous = r + k - 1;
  *fillet = r + k;
  *next = r + k + 1;
  return true;
}

void refresh_boxes(LinkRecord* previous, LinkRecord* fillet, LinkRecord* next) {
  for (LinkRecord* r : {previous, fillet, next}) link_bounding_box(r);
}

void make_tangent(LinkRecord* node) {
  node->node_flags = static_cast<uint8_t>((node->node_flags & ~NODE_KIND_MASK) | NODE_TANGENT);
}

void make_loose(LinkRecord* node) {
  node->node_flags = static_cast<uint8_t>((node->node_flags & ~NODE_KIND_MASK) | NODE_LOOSE);
}

}  // namespace

bool is_fillet_drag(int16_t mode) {
  return mode == DRAG_FILLET_ARCS || mode == DRAG_FILLET_LINES || mode == DRAG_FILLET_LINE_ARC;
}

int insert_fillet_record() {
  NodeContext& c = context();
  DrawingItem* item = c.item;
  if (item == nullptr || item_type(item) != ITEM_POLYLINE) return -1;
  const int32_t count = item_link_count(item);
  const int32_t k = c.pick == PICK_END_NODE ? c.link_index + 1 : c.link_index;
  // Only a node with a link on either side can be rounded.
  if (k < 1 || k >= count) return -1;
  if (grow_node_array(item, 1) == nullptr) return -1;
  LinkRecord* r = item_nodes(item);
  std::memmove(static_cast<void*>(r + k + 1), r + k,
               LINK_RECORD_SIZE * static_cast<size_t>(count + 1 - k));
  r[count + 1].node_flags = NODE_CLOSING;
  LinkRecord& added = r[k];
  added.code = LINK_FLEXIBLE_LINE;
  added.sweep = 0.0f;
  added.start_angle = 0.0f;
  added.centre = added.point;
  added.link_flags &= static_cast<uint8_t>(~(LINK_CLOCKWISE | LINK_JUMP));
  added.node_number = ++g_item_edit.node_counter;
  make_loose(&r[k]);
  make_loose(&r[k + 1]);
  link_bounding_box(&r[k]);
  c.link_index = k;
  c.pick = PICK_ON_LINK_NEAR_START;
  c.session_flags &= static_cast<uint8_t>(~NODE_SESSION_FILLET_AT_NODE);
  return 0;
}

int fillet_at_node_by_value() {
  NodeContext& c = context();
  LinkRecord* previous = nullptr;
  LinkRecord* fillet = nullptr;
  LinkRecord* next = nullptr;
  if (!fillet_records(&previous, &fillet, &next) || !(c.fillet_radius > 0.0f))
    return FILLET_VALUE_FAILED;
  // A failed fit may already have moved nodes: the four records come back as they were.
  LinkRecord kept[4];
  std::memcpy(static_cast<void*>(kept), previous, sizeof(kept));
  fillet->code = c.fillet_radius;
  int result = FILLET_OK;
  if (is_arc(previous) && is_arc(next)) {
    result = fillet_two_arcs(previous, next, fillet);
    arc_angles_from_points(next);
  } else if (is_arc(previous)) {
    result = fillet_line_and_arc(next, previous, fillet, FILLET_ARC_THEN_LINE);
  } else if (is_arc(next)) {
    result = fillet_line_and_arc(previous, next, fillet, FILLET_LINE_THEN_ARC);
    arc_angles_from_points(next);
  } else if (item_type(c.item) == ITEM_ROUNDED_RECTANGLE) {
    refillet_rounded_rect(c.item, c.fillet_radius);
    return 0;
  } else {
    result = fillet_two_lines(previous, next, fillet);
    if (result == FILLET_TOO_LARGE) show_text_box(TOO_LARGE_TEXT, TEXTBOX_SCREEN_CENTRE | TEXTBOX_WAIT_KEY);
  }
  if (is_arc(previous)) arc_angles_from_points(previous);
  if (result != FILLET_OK) {
    std::memcpy(static_cast<void*>(previous), kept, sizeof(kept));
    return result == FILLET_TOO_LARGE ? FILLET_VALUE_TOO_LARGE : FILLET_VALUE_FAILED;
  }
  make_tangent(fillet);
  make_tangent(next);
  refresh_boxes(previous, fillet, next);
  return 0;
}

int remove_fillet() {
  NodeContext& c = context();
  LinkRecord* previous = nullptr;
  LinkRecord* fillet = nullptr;
  LinkRecord* next = nullptr;
  if (!fillet_records(&previous, &fillet, &next)) return -1;
  const int met = intersect_links(previous, next);
  if (met < 1) {
    get_message(MSG_NO_FILLET_CORNER);
    return -1;
  }
  PointF corner = g_geometry2d.intersection.first;
  if (met >= 2) {
    const PointF second = g_geometry2d.intersection.second;
    const PointF& end = next_point(fillet);
    if (point_distance(&second, &end) < point_distance(&corner, &end)) corner = second;
  }
  // The fillet's record goes; the next link starts at the corner where the previous one ends.
  DrawingItem* item = c.item;
  const int32_t count = item_link_count(item);
  const int32_t k = c.link_index;
  LinkRecord* r = item_nodes(item);
  r[k + 1].point = corner;
  make_loose(&r[k + 1]);
  const uint8_t first_bits = static_cast<uint8_t>(r[k].node_flags & (NODE_FIRST | NODE_CLOSING));
  std::memmove(static_cast<void*>(r + k), r + k + 1, LINK_RECORD_SIZE * static_cast<size_t>(count - k));
  r[k].node_flags = static_cast<uint8_t>((r[k].node_flags & ~(NODE_FIRST | NODE_CLOSING)) | first_bits);
  if (shrink_node_array(item, 1) == nullptr) return -1;
  r = item_nodes(item);
  arc_angles_from_points(&r[k - 1]);
  arc_angles_from_points(&r[k]);
  link_bounding_box(&r[k - 1]);
  link_bounding_box(&r[k]);
  c.link_index = k - 1;
  return 0;
}

int fillet_drag_step(int16_t mode, const PointF& p) {
  NodeContext& c = context();
  LinkRecord* previous = nullptr;
  LinkRecord* fillet = nullptr;
  LinkRecord* next = nullptr;
  if (!fillet_records(&previous, &fillet, &next)) return -1;
  float radius = 0.0f;
  int result = FILLET_POINT_NONE;
  if (mode == DRAG_FILLET_ARCS) {
    const int inner = ((previous->link_flags ^ next->link_flags) & LINK_CLOCKWISE) != 0 ? 1 : 0;
    result = fillet_arcs_through_point(previous, next, &p, fillet, inner, &radius);
  } else if (mode == DRAG_FILLET_LINES) {
    result = fillet_lines_through_point(previous, next, &p, fillet, &radius);
  } else if (mode == DRAG_FILLET_LINE_ARC) {
    const bool arc_first = is_arc(previous);
    result = arc_first ? fillet_line_arc_through_point(next, previous, &p, fillet, true, &radius)
                       : fillet_line_arc_through_point(previous, next, &p, fillet, false, &radius);
  }
  if (result != FILLET_POINT_DONE) return -1;
  refresh_boxes(previous, fillet, next);
  c.fillet_radius = radius;
  return 0;
}
