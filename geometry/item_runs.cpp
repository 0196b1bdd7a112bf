// Runs of links that share a code, recoding them, and conversions between item kinds.
#include "geometry/drawing_item.h"
#include "geometry/geometry_host.h"
#include "geometry/symmetric_nodes.h"
#include "store/line_list.h"
#include "store/picture_numbers.h"

namespace {

bool is_closing(const LinkRecord* r) { return (r->node_flags & NODE_CLOSING) != 0; }
bool is_first(const LinkRecord* r) { return (r->node_flags & NODE_FIRST) != 0; }
bool is_loose(const LinkRecord* r) { return (r->node_flags & NODE_LOOSE) != 0; }
bool is_marked(const LinkRecord* r) { return (r->link_flags & LINK_NODE_MARKED) != 0; }
bool is_jump(const LinkRecord* r) { return (r->link_flags & LINK_JUMP) != 0; }

void set_node_kind(LinkRecord* r, uint8_t kind) {
  r->node_flags = static_cast<uint8_t>((r->node_flags & ~NODE_KIND_MASK) | kind);
}

// Run membership with the two straight codes as one class.
bool in_run(float link_code, float run_code) {
  return link_code == run_code || (code_is_line(link_code) && code_is_line(run_code));
}

// The record where an item's own links start: record 2 of a "Dual" polyline.
LinkRecord* dual_start(LinkRecord* r) {
  LinkRecord* zero = record_zero_of(r);
  return (zero->node_flags & NODE_DUAL) != 0 ? zero + 2 : zero;
}

// Whether the link after `next` continues a run being recoded from old_code.
bool continues_run(const LinkRecord* next, float old_code) {
  if (is_marked(next) || is_jump(next)) return false;
  if (code_is_curve(old_code) && is_loose(next)) return false;
  if (next->code == old_code) return true;
  if (old_code == LINK_RIGID_LINE && next->code == LINK_FLEXIBLE_LINE) return true;
  return code_is_arc(old_code) && next->code >= 0.0f;
}

void recode_one_link(LinkRecord* r, float code) {
  r->code = code;
  if (code != LINK_QUADRATIC) return;
  // A quadratic curve starts out straight: its control point on the chord's middle.
  midpoint(&r->point, &next_point(r), &r->centre);
  if (!is_first(r)) set_node_kind(r, NODE_LOOSE);
}

// A closed full circle through the node from an arc link.
void make_full_circle_arc(LinkRecord* r) {
  // A radius circle's node is its centre; the point on the circle is the next node.
  if (r->sweep == SWEEP_RADIUS_CIRCLE) r->point = r[1].point;
  r[1].point = r->point;
  arc_angles_from_points(r);
  r->sweep = ANGLE_TWO_PI_F;
}

bool refuses_conversion(const DrawingItem* item) {
  const uint8_t type = item_type(item);
  return type == ITEM_ELLIPSE || type == ITEM_POINT || type == ITEM_TEXT_LIKE || type == ITEM_TEXT;
}

// Asks how an open item becomes symmetric and grows it accordingly: the open flag for the
// converter, or -1 when the user cancelled.
int choose_open_symmetry(DrawingItem* item) {
  const int cell =
      geometry_host_choose_picture_cell(PICTURE_SYMMETRY_MENU, 1, 3, PICTURE_SYMMETRY_MENU_HEADER);
  if (cell < 0) return -1;
  const int32_t n = item_link_count(item);
  if (cell == 1) grow_node_array(item, n);
  if (cell == 2 && n > 1) grow_node_array(item, n - 1);
  return cell == 0 ? 1 : 0;
}

}  // namespace

// ---- run searches ----

LinkRecord* find_run_start(LinkRecord* r, float code) {
  LinkRecord* own_start = dual_start(r);
  for (;;) {
    if (is_jump(r) || !in_run(r->code, code)) return r + 1;
    if (r == own_start || is_first(r)) return r;
    if (code_is_curve(code) && is_loose(r)) return r;
    if (is_marked(r)) return r;
    --r;
  }
}

LinkRecord* find_run_end(LinkRecord* r, float code) {
  while (in_run(r->code, code)) {
    ++r;
    if (is_closing(r) || is_marked(r) || is_jump(r)) return r;
    if (code_is_curve(code) && is_loose(r)) return r;
  }
  return r;
}

LinkRecord* find_curve_run_start(LinkRecord* r, float code) {
  for (;;) {
    if (r->code != code || is_jump(r)) return r + 1;
    if (is_first(r) || is_loose(r)) return r;
    --r;
  }
}

LinkRecord* find_curve_run_end(LinkRecord* r, float code) {
  while (!is_closing(r) && r->code == code) {
    ++r;
    if (is_loose(r) || is_jump(r)) return r;
  }
  return r;
}

// ---- recoding ----

void set_code_from_node(LinkRecord* r, float code, int options) {
  if (is_first(r)) {
    if ((r->node_flags & NODE_DUAL) != 0) r += 2;
  } else if (code != LINK_SPLINE) {
    set_node_kind(r, NODE_LOOSE);
  }
  while (!is_closing(r)) {
    r->code = code;
    LinkRecord* next = r + 1;
    if (is_closing(next)) return;
    if (is_marked(next)) {
      set_node_kind(next, NODE_LOOSE);
      return;
    }
    if ((options & SET_CODE_STOP_AT_JUMP) != 0 && is_jump(next)) return;
    set_node_kind(next, code > LINK_FIRST_CURVE_CODE ? NODE_LOOSE : NODE_TANGENT);
    r = next;
  }
}

void set_code_on_run(LinkRecord* r, float code) {
  const float old_code = r->code == LINK_FLEXIBLE_LINE ? LINK_RIGID_LINE : r->code;
  LinkRecord* current = find_run_start(r, old_code);
  if (!is_first(current)) set_node_kind(current, NODE_LOOSE);
  const bool old_curve = code_is_curve(old_code);
  const bool new_curve = code_is_curve(code);
  for (;;) {
    recode_one_link(current, code);
    LinkRecord* next = current + 1;
    if (is_closing(next)) return;  // the run reached the end: the closing node stays
    if (!continues_run(next, old_code)) {
      set_node_kind(next, NODE_LOOSE);
      return;
    }
    if (!old_curve) set_node_kind(next, new_curve ? NODE_TANGENT : NODE_LOOSE);
    else if (!new_curve) set_node_kind(next, NODE_LOOSE);
    current = next;
  }
}

int recode_all_lines(float code) {
  const float from = code == LINK_RIGID_LINE ? LINK_FLEXIBLE_LINE : LINK_RIGID_LINE;
  int changed = 0;
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    // A text item's frame keeps its own pattern of flexible and rigid sides.
    if (item_block(item) == nullptr || item_is_text(item)) continue;
    LinkRecord* r = own_links_start(item_nodes(item));
    LinkRecord* closing = item_closing_record(item);
    for (; r < closing; ++r) {
      if (is_jump(r) || r->code != from) continue;
      r->code = code;
      ++changed;
    }
  }
  return changed;
}

// ---- kind conversions ----

int make_plain_polyline(DrawingItem* item) {
  if (refuses_conversion(item)) return 0;
  LinkRecord* first = item_nodes(item);
  const uint8_t type = item_type(item);
  const bool circle_arc = code_is_arc(first->code) &&
                          (type == ITEM_CIRCLE || (type == ITEM_POLYLINE && first->sweep <= 0.0f));
  if (circle_arc) make_full_circle_arc(first);
  if (type == ITEM_POLYGON) first->code = LINK_FLEXIBLE_LINE;
  set_item_type(item, ITEM_POLYLINE);
  return 1;
}

void make_nodes_loose(DrawingItem* item) {
  if (item_type(item) != ITEM_POLYLINE) return;
  LinkRecord* nodes = item_nodes(item);
  const int32_t n = item_link_count(item);
  if ((nodes[0].node_flags & NODE_TANGENT_MASK) != 0) set_node_kind(nodes, NODE_LOOSE);
  for (int32_t i = 1; i < n; ++i) nodes[i].node_flags = NODE_LOOSE;
}

int convert_to_symmetric_polyline(DrawingItem* item) {
  if (refuses_conversion(item) || (item_nodes(item)[0].node_flags & NODE_DUAL) != 0) return 0;
  if (copy_item_with_extra_links(item, 0) != 0) return 0;
  TextLine* backup = g_lists.current.last;
  move_line_to_list(backup, nullptr);
  const uint8_t old_type = item_type(item);
  set_item_type(item, ITEM_POLYLINE);
  int open_flag = 0;
  if (!item_is_closed(item)) {
    open_flag = choose_open_symmetry(item);
    if (open_flag < 0) {
      set_item_type(item, old_type);
      delete_line(backup);
      geometry_host_request_redraw();
      return 0;
    }
  }
  int result;
  if (geometry_host_make_symmetric_polyline(item, open_flag) <= 0) {
    item->extra.swap(backup->extra);  // the item is as it was
    set_item_type(item, old_type);
    result = -1;
  } else {
    result = symmetry_enforce(item);
  }
  delete_line(backup);
  geometry_host_request_redraw();
  return result;
}

int convert_to_perpendicular_symmetric(DrawingItem* item) {
  if (refuses_conversion(item) || (item_nodes(item)[0].node_flags & NODE_PERPENDICULAR) != 0)
    return 0;
  set_item_type(item, ITEM_POLYLINE);
  geometry_host_make_perpendicular_symmetric(item);
  return enforce_perpendicular_symmetry(item);
}

int drop_symmetry(DrawingItem* item) {
  if (item_type(item) != ITEM_POLYLINE || (item_nodes(item)[0].node_flags & NODE_DUAL) == 0)
    return 0;
  unmake_symmetric_polyline(item);
  return 1;
}
