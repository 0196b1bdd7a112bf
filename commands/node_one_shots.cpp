#include "commands/node_one_shots.h"

#include <cmath>
#include <vector>

#include "commands/node_command_check.h"
#include "commands/node_context_fill.h"
#include "commands/node_edit_session.h"
#include "commands/node_menu_choice.h"
#include "commands/node_propagation.h"
#include "commands/offset_command.h"
#include "editor/coord_entry.h"
#include "editor/drawing_commands.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/point_picking.h"
#include "geometry/construct.h"
#include "geometry/geometry2d.h"
#include "geometry/geometry_settings.h"
#include "geometry/item_edit_state.h"
#include "geometry/item_motion.h"
#include "geometry/link_moves.h"
#include "geometry/link_operations.h"
#include "geometry/node_surgery.h"
#include "geometry/symmetric_nodes.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "ui/field_flags.h"
#include "screen/event_queue.h"
#include "ui/message_box.h"
#include "store/line_list.h"

namespace {

constexpr char NO_ITEM_SYMMETRY_TEXT[] =
    "The function to make an \vitem\x13 horizontal or vertical makes sense only for items with "
    "symmetry, not the item you selected. With this item, you can only make its links "
    "horizontal or vertical";
// Ellipses divided by the job tolerance get at most this many points.
constexpr int ELLIPSE_MOST_POINTS = 3000;

NodeContext& context() { return g_edit.node; }
LinkRecord* nodes() { return item_nodes(context().item); }
LinkRecord* current() { return nodes() + context().link_index; }

double distance(const PointF& a, const PointF& b) {
  return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

bool symmetric(const DrawingItem* item) {
  return (item_nodes(item)[0].node_flags & NODE_SYMMETRY_MASK) != 0;
}
bool dual(const DrawingItem* item) { return (item_nodes(item)[0].node_flags & NODE_DUAL) != 0; }

void refill(int16_t command, int32_t index, int16_t pick) {
  node_command_check(command, index, pick);
}

// ---- node kinds ----

int set_node_kind_command(bool tangent) {
  NodeContext& c = context();
  const uint8_t kind = tangent ? NODE_TANGENT : NODE_LOOSE;
  LinkRecord* r = nodes();
  if (c.pick == PICK_END_NODE && c.link_index + 1 < item_link_count(c.item)) {
    c.link_index += 1;
    c.pick = PICK_START_NODE;
    fill_node_context(&c, c.item, c.link_index, c.pick);
  }
  if (c.pick == PICK_END_NODE || c.link_index == 0) {
    const uint8_t keep = static_cast<uint8_t>(r[0].node_flags & (NODE_FIRST | NODE_SYMMETRY_MASK));
    r[0].node_flags = static_cast<uint8_t>(keep | kind);
    c.closed = kind;
    if (item_link_count(c.item) > 0) r[item_link_count(c.item)].point = r[0].point;
    refit_after_start_move();
  } else {
    LinkRecord* node = current();
    node->node_flags = static_cast<uint8_t>((node->node_flags & ~NODE_KIND_MASK) | kind);
    fill_node_context(&c, c.item, c.link_index, c.pick);
    constexpr int16_t RIGID_TANGENT = LINK_KIND_RIGID | LINK_KIND_TANGENT;
    if ((c.previous_code & ~LINK_KIND_LOOSE) == (RIGID_TANGENT & ~LINK_KIND_TANGENT) ||
        (c.previous_code | LINK_KIND_TANGENT) == RIGID_TANGENT) {
      if ((c.next_code | LINK_KIND_TANGENT) == RIGID_TANGENT &&
          (code_is_arc(current()->code) || current()->code == LINK_FLEXIBLE_LINE))
        keep_node_on_tangent_lines();
    }
  }
  fill_node_context(&c, c.item, c.link_index, c.pick);
  if (c.previous >= 0) refit_around_moved_node();
  finish_pending_propagation();
  return ONE_SHOT_COMMIT_AS_IS;
}

// ---- start node ----

int make_start_command() {
  NodeContext& c = context();
  const int32_t index = c.pick == PICK_END_NODE ? c.link_index + 1 : c.link_index;
  if (index <= 0 || index >= item_link_count(c.item)) return ONE_SHOT_COMMIT_AS_IS;
  if (rotate_to_start_node(c.item, nodes() + index) != 0) return ONE_SHOT_CANCEL;
  refill(817, 0, PICK_START_NODE);
  return ONE_SHOT_COMMIT_AS_IS;
}

// ---- deleting ----

int delete_node_command() {
  NodeContext& c = context();
  const uint8_t type = item_type(c.item);
  if (type != ITEM_POLYLINE && type != ITEM_POLYGON)
    apply_node_menu_choice(c.item, c.link_index, NODE_MENU_PLAIN_POLYLINE);
  LinkRecord* record = c.pick == PICK_END_NODE ? current() + 1 : current();
  const int32_t node_index = static_cast<int32_t>(record - nodes());
  const int32_t count = item_link_count(c.item);
  // The middle node of an even count has no partner: without it a middle link crosses the line.
  const bool on_axis = count % 2 == 0 && node_index == count / 2 + 1;
  const int removed = delete_node(c.item, record, DELETE_NODE_REMOVE);
  if (removed == 0) return ONE_SHOT_COMMIT_AS_IS;
  if (dual(c.item) && !on_axis) remove_symmetric_node(c.item, node_index);
  c.closed = static_cast<uint8_t>(nodes()[0].node_flags & NODE_KIND_MASK);
  const int32_t previous = node_index > 0 ? node_index - 1 : 0;
  refill(818, std::min(previous, item_link_count(c.item) - 1), PICK_START_NODE);
  return ONE_SHOT_COMMIT;
}

void make_zero_length_at(int32_t index, const PointF& p) {
  LinkRecord* r = nodes();
  set_item_node(context().item, index, p);
  set_item_node(context().item, index + 1, p);
  r[index].code = LINK_FLEXIBLE_LINE;
  r[index].sweep = 0.0f;
  link_bounding_box(&r[index]);
}

void refresh_all() {
  DrawingItem* item = context().item;
  LinkRecord* r = item_nodes(item);
  for (int32_t i = 0; i < item_link_count(item); ++i) {
    refresh_arc_angles(&r[i]);
    link_bounding_box(&r[i]);
  }
}

}  // namespace

int delete_current_link() {
  NodeContext& c = context();
  DrawingItem* item = c.item;
  const uint8_t type = item_type(item);
  if (type == ITEM_POLYGON) return delete_node_command() < 0 ? -1 : 0;
  if (type != ITEM_POLYLINE) apply_node_menu_choice(item, c.link_index, NODE_MENU_PLAIN_POLYLINE);
  const int32_t count = item_link_count(item);
  const int32_t index = c.link_index;
  const bool closed = c.closed != 0;
  int32_t previous = index - 1;
  int32_t next = index + 1 < count ? index + 1 : -1;
  if (previous < 0 || next < 0) {
    if (!closed || count < 4) {
      // An end link goes with its end node.
      LinkRecord* end = previous < 0 ? nodes() : nodes() + index + 1;
      delete_node(item, end, DELETE_NODE_REMOVE);
      refill(819, 0, PICK_START_NODE);
      return 0;
    }
    if (previous < 0) previous = count - 1;
    if (next < 0) next = 0;
  }
  LinkRecord* r = nodes();
  LinkRecord* p = &r[previous];
  LinkRecord* n = &r[next];
  const PointF node = r[index].point;
  const PointF far_end = n[1].point;
  const int16_t pk = link_kind_code(p);
  const int16_t nk = link_kind_code(n);
  auto collapse_both = [&]() {
    make_zero_length_at(index, far_end);
    // The next node first, unless that would cut the item's first record.
    if (next != 0) {
      delete_node(item, nodes() + next, DELETE_NODE_REMOVE);
      delete_node(item, nodes() + index, DELETE_NODE_REMOVE);
    } else {
      delete_node(item, nodes() + index, DELETE_NODE_REMOVE);
      delete_node(item, nodes(), DELETE_NODE_REMOVE);
    }
    if (dual(item)) remove_symmetric_node(item, index);
    refresh_all();
    refill(819, std::max(0, std::min(previous, item_link_count(item) - 1)), PICK_START_NODE);
  };
  if (pk == LINK_KIND_ARC && nk == LINK_KIND_ARC &&
      (p->link_flags & LINK_CLOCKWISE) == (n->link_flags & LINK_CLOCKWISE)) {
    LinkRecord circle = *p;
    if (circle_through3_points(&p->point, &node, &far_end, &circle) != CIRCLE3_FAILED) {
      p->centre = circle.centre;
      p->code = circle.code;
      p->link_flags = static_cast<uint8_t>((p->link_flags & ~LINK_CLOCKWISE) |
                                           (circle.link_flags & LINK_CLOCKWISE));
      collapse_both();
      return 0;
    }
  }
  bool intersect = true;
  if ((pk & LINK_KIND_STRAIGHT) != 0 && (nk & LINK_KIND_STRAIGHT) != 0) {
    const double a = point_angle(&p->point, &p[1].point);
    const double b = point_angle(&n[1].point, &n->point);
    const double d = std::fabs(a - b);
    if (d > 0.03490658503988659 && std::fabs(d - ANGLE_PI) < 0.001 &&
        point_line_distance(&p->point, n) < 0.001) {
      collapse_both();
      return 0;
    }
    intersect = d > 0.03490658503988659;
  }
  PointF x{};
  if (intersect && nearer_crossing(p, n, node, &x)) {
    {
      make_zero_length_at(index, x);
      delete_node(item, nodes() + index, DELETE_NODE_REMOVE);
      refresh_all();
      refill(819, std::max(0, std::min(previous, item_link_count(item) - 1)), PICK_START_NODE);
      return 0;
    }
  }
  if (!closed) {
    gap_at_node(nodes() + index);
    if (dual(item)) remove_symmetric_node(item, index);
    refill(819, std::min(index, item_link_count(item) - 1), PICK_START_NODE);
    return 0;
  }
  delete_node(item, nodes() + index, DELETE_NODE_REMOVE);
  refill(819, std::max(0, std::min(previous, item_link_count(item) - 1)), PICK_START_NODE);
  return 0;
}

// ---- straightening ----

double straightening_turn(double a, bool vertical) {
  double t;
  if (vertical) {
    t = a <= ANGLE_PI ? ANGLE_PI / 2 - a : 1.5 * ANGLE_PI - a;
    if (t < 0.0) t += ANGLE_TWO_PI;
  } else {
    t = a < ANGLE_PI / 2 || a > 1.5 * ANGLE_PI ? ANGLE_TWO_PI - a : ANGLE_PI - a;
  }
  return t;
}

namespace {

bool straight(const LinkRecord* link) { return code_is_line(link->code); }
bool tangent_node(const LinkRecord* record) { return (record->node_flags & NODE_TANGENT) != 0; }

// A tangent arc between the straightened link and a line beyond it is fitted again as the fillet
// between the two: its radius is the distance from where their lines meet to the far line's
// node. first, arc and second are consecutive records (first the link before the arc). A fitting
// that cannot be made leaves the three records as they were.
void refit_fillet_after_straightening(LinkRecord* first, LinkRecord* arc, LinkRecord* second,
                                      const PointF& far_node) {
  LinkRecord keep[4] = {first[0], first[1], first[2], first[3]};
  LinkRecord l1[2] = {first[0], first[1]};
  LinkRecord l2[2] = {second[0], second[1]};
  l1[0].code = l2[0].code = LINK_FLEXIBLE_LINE;
  PointF corner{};
  if (nearer_crossing(l1, l2, far_node, &corner)) {
    arc->code = static_cast<float>(std::hypot(static_cast<double>(corner.x) - far_node.x,
                                              static_cast<double>(corner.y) - far_node.y));
  }
  if (!(arc->code > 0.0f) || fillet_two_lines(first, second, arc) != FILLET_OK) {
    for (int i = 0; i < 4; ++i) first[i] = keep[i];
    return;
  }
  arc->node_flags = static_cast<uint8_t>((arc->node_flags & ~NODE_KIND_MASK) | NODE_TANGENT);
  second->node_flags = static_cast<uint8_t>((second->node_flags & ~NODE_KIND_MASK) | NODE_TANGENT);
  for (LinkRecord* r : {first, arc, second}) link_bounding_box(r);
}

}  // namespace

int straighten_link(DrawingItem* item, int32_t link_index, int16_t pick, bool vertical) {
  LinkRecord* r = item_nodes(item);
  const int32_t count = item_link_count(item);
  LinkRecord* link = &r[link_index];
  const bool end_moves = pick != PICK_ON_LINK_NEAR_END;
  const PointF fixed = end_moves ? link->point : link[1].point;
  const int32_t moving_index = end_moves ? link_index + 1 : link_index;
  PointF target = end_moves ? link[1].point : link->point;
  if (vertical) target.x = fixed.x;
  else target.y = fixed.y;
  // The moving end slides along the neighbour beyond it to the straightened line.
  LinkRecord* neighbour = nullptr;
  if (end_moves && link_index + 1 < count) neighbour = &r[link_index + 1];
  if (!end_moves && link_index > 0) neighbour = &r[link_index - 1];
  if (neighbour != nullptr) {
    LinkRecord line[2] = {*link, link[1]};
    line[0].code = LINK_FLEXIBLE_LINE;
    line[0].point = fixed;
    line[1].point = target;
    const PointF old = end_moves ? link[1].point : link->point;
    PointF crossing{};
    if (nearer_crossing(line, neighbour, old, &crossing)) target = crossing;
  }
  set_item_node(item, moving_index, target);
  if (neighbour != nullptr) {
    refresh_arc_angles(neighbour);
    link_bounding_box(neighbour);
  }
  refresh_arc_angles(link);
  link_bounding_box(link);
  // A fillet beyond the moving end follows the straightened link.
  if (straight(link) && end_moves && link_index + 2 < count) {
    LinkRecord* arc = &r[link_index + 1];
    LinkRecord* far = &r[link_index + 2];
    if (code_is_arc(arc->code) && arc->sweep > 0.0f && tangent_node(arc) && straight(far) &&
        tangent_node(far))
      refit_fillet_after_straightening(link, arc, far, far->point);
  } else if (straight(link) && !end_moves && link_index >= 2) {
    LinkRecord* arc = &r[link_index - 1];
    LinkRecord* far = &r[link_index - 2];
    if (code_is_arc(arc->code) && arc->sweep > 0.0f && tangent_node(link) && straight(far) &&
        tangent_node(arc))
      refit_fillet_after_straightening(far, arc, link, arc->point);
  }
  if (r[0].node_flags & NODE_KIND_MASK) r[count].point = r[0].point;
  return 0;
}

namespace {

int straighten_item(bool vertical) {
  NodeContext& c = context();
  DrawingItem* item = c.item;
  LinkRecord* r = nodes();
  LinkRecord* link = current();
  const uint8_t type = item_type(item);
  PointF pivot = link->point;
  double a = point_angle(&link->point, &link[1].point);
  if (type == ITEM_CIRCLE) {
    pivot = link->centre;
    a = point_angle(&pivot, &link->point);
    const double t = vertical ? ANGLE_PI / 2 - a : ANGLE_TWO_PI - a;
    rotate_item(item, &pivot, t);
    return ONE_SHOT_COMMIT_AS_IS;
  }
  if (type == ITEM_POLYGON) {
    pivot = r[0].centre;
  } else if (type == ITEM_SLOT) {
    const LinkRecord* end_arc = c.link_index < 2 ? &r[1] : &r[3];
    const LinkRecord* other = c.link_index < 2 ? &r[3] : &r[1];
    pivot = end_arc->centre;
    a = point_angle(&other->centre, &end_arc->centre);
  } else if (type == ITEM_RECTANGLE || type == ITEM_TEXT) {
    pivot = c.pick == PICK_ON_LINK_NEAR_END ? link[1].point : link->point;
  } else if (symmetric(item) && c.link_index <= 1) {
    pivot = r[0].point;
    a = point_angle(&r[0].point, &r[1].point);
    const bool already = vertical ? std::fabs(a - ANGLE_PI / 2) < 0.0001 ||
                                        std::fabs(a - 1.5 * ANGLE_PI) < 0.0001
                                  : std::fabs(a) < 0.0001 || std::fabs(a - ANGLE_PI) < 0.0001;
    if (already) {
      rotate_item(item, &pivot, ANGLE_PI);
      return ONE_SHOT_COMMIT_AS_IS;
    }
  } else {
    straighten_link(item, c.link_index, c.pick, vertical);
    return ONE_SHOT_COMMIT;
  }
  rotate_item(item, &pivot, straightening_turn(a, vertical));
  return ONE_SHOT_COMMIT_AS_IS;
}

int straighten_whole_item(bool vertical) {
  NodeContext& c = context();
  const uint8_t type = item_type(c.item);
  const bool has_symmetry = symmetric(c.item) || type == ITEM_CIRCLE || type == ITEM_RECTANGLE ||
                            type == ITEM_SLOT || type == ITEM_TEXT;
  if (!has_symmetry) {
    show_text_box(NO_ITEM_SYMMETRY_TEXT, TEXTBOX_PRESS_A_KEY);
    return ONE_SHOT_CANCEL;
  }
  fill_node_context(&c, c.item, 0, PICK_START_NODE);
  return straighten_item(vertical);
}

// ---- single changes ----

int reverse_arc() {
  LinkRecord* link = current();
  if (!code_is_arc(link->code)) return ONE_SHOT_COMMIT_AS_IS;
  link->link_flags ^= LINK_CLOCKWISE;
  refresh_arc_angles(link);
  link_bounding_box(link);
  return ONE_SHOT_COMMIT_AS_IS;
}

int toggle_visible() {
  current()->link_flags ^= LINK_JUMP;
  return ONE_SHOT_COMMIT_AS_IS;
}

int move_to_snap(bool centre) {
  NodeContext& c = context();
  PointF p{};
  if (snap_via_menu(2, &p) != 0) return ONE_SHOT_CANCEL;
  LinkRecord* link = current();
  if (centre) {
    const PointF v = {p.x - link->centre.x, p.y - link->centre.y};
    link->centre = p;
    set_item_node(c.item, c.link_index, {link->point.x + v.x, link->point.y + v.y});
    set_item_node(c.item, c.link_index + 1, {link[1].point.x + v.x, link[1].point.y + v.y});
    link_bounding_box(link);
    return ONE_SHOT_COMMIT;
  }
  const int16_t mode = static_cast<int16_t>(node_command_check(802, c.link_index, c.pick));
  if (mode < 0) return ONE_SHOT_CANCEL;
  apply_drag_mode(mode, p, p);
  return ONE_SHOT_COMMIT_AS_IS;
}

int thin_nodes() {
  PointF low{};
  PointF high{};
  item_extents(context().item, &low, &high);
  const double d = distance(low, high);
  thin_run_nodes(context().item, 0.0002 * d, 0.1 * d, 0);
  return ONE_SHOT_COMMIT_AS_IS;
}

// ---- master lines ----

constexpr char PERPENDICULAR_PROMPT[] =
    "Select the \x93master\x94 line that this one becomes \vperpendicular\x13 to, or\n"
    "define a master by picking or typing 2 points.";
constexpr char PARALLEL_PROMPT[] =
    "Select the \x93master\x94 line that this one becomes \vparallel\x13 to, or\n"
    "define a master by picking or typing 2 points.";

// The master line: the link of another item clicked on, or the line through two picked points.
// A two-record link in out; false when the user cancelled.
bool pick_master_line(LinkRecord out[2]) {
  if (pick_point() != PICK_POINT_TAKEN) return false;
  const HoverState& h = g_hover;
  if (h.hover_link != nullptr && h.hover_item != nullptr && h.hover_item != context().item &&
      h.pick_kind >= PICK_ON_LINK_NEAR_START) {
    out[0] = h.hover_link[0];
    out[1] = h.hover_link[1];
    return true;
  }
  const PointF first = g_point_picking.picked_point;
  if (pick_point() != PICK_POINT_TAKEN) return false;
  out[0] = LinkRecord{};
  out[1] = LinkRecord{};
  out[0].point = first;
  out[1].point = g_point_picking.picked_point;
  out[0].code = LINK_FLEXIBLE_LINE;
  return distance(out[0].point, out[1].point) > 0.00001;
}

int make_perpendicular_command() {
  NodeContext& c = context();
  show_message_area(PERPENDICULAR_PROMPT);
  help_push(MSG_HELP_PERPENDICULAR);
  LinkRecord master[2];
  const bool picked = pick_master_line(master);
  help_pop();
  show_message_area("");
  if (!picked) return ONE_SHOT_CANCEL;
  LinkRecord* link = current();
  const int moving_end = c.dragged == NODE_POINT_NEXT ? LINK_MOVE_FAR_END : LINK_MOVE_NEAR_END;
  PointF* moving = moving_end == LINK_MOVE_NEAR_END ? &link->point : &link[1].point;
  PointF* pivot = moving_end == LINK_MOVE_NEAR_END ? &link[1].point : &link->point;
  const double d1 = point_line_distance(moving, master);
  const double d2 = point_line_distance(pivot, master);
  PointF g = *pivot;
  link_foot(master, pivot, &g);
  if (d1 >= d2) {
    LinkRecord h[2] = {};
    double keep = 0.0;
    if (code_is_arc(master[0].code)) {
      h[0].point = master[0].centre;
      h[1].point = *pivot;
    } else {
      PointF foot = *moving;
      link_foot(master, moving, &foot);
      h[0].point = foot;
      h[1].point = *moving;
      keep = distance(foot, g);
    }
    if (distance(h[0].point, h[1].point) <= 0.00001) return ONE_SHOT_CANCEL;
    rotate_link_to_line(h, link, moving_end, static_cast<float>(keep));
  } else {
    *moving = g;
  }
  if (c.closed != 0) {
    LinkRecord* r = nodes();
    const int32_t n = item_link_count(c.item);
    if (c.link_index == 0) r[n].point = r[0].point;
    if (c.link_index == n - 1) r[0].point = r[n].point;
  }
  link_bounding_box(link);
  return ONE_SHOT_COMMIT;
}

// The end of the link at a selector re-met with the neighbour there.
void rejoin_end(LinkRecord* copy, int32_t neighbour_index, bool at_end) {
  NodeContext& c = context();
  LinkRecord* r = nodes();
  const PointF own = at_end ? copy[1].point : copy[0].point;
  PointF target = own;
  PointF crossing{};
  if (neighbour_index >= 0 && nearer_crossing(copy, &r[neighbour_index], own, &crossing))
    target = crossing;
  set_item_node(c.item, at_end ? c.link_index + 1 : c.link_index, target);
  if (neighbour_index >= 0) {
    refresh_arc_angles(&r[neighbour_index]);
    link_bounding_box(&r[neighbour_index]);
  }
}

int make_parallel_command() {
  NodeContext& c = context();
  // Without a typed or picked separation the link only turns onto the master's direction.
  const float separation = -1.0f;
  LinkRecord master[2];
  show_message_area(PARALLEL_PROMPT);
  help_push(MSG_HELP_PARALLEL);
  const bool picked = pick_master_line(master);
  help_pop();
  if (!picked) {
    show_message_area("");
    return ONE_SHOT_CANCEL;
  }
  show_message_area("");
  LinkRecord* link = current();
  const int moving_end = c.dragged == NODE_POINT_NEXT ? LINK_MOVE_FAR_END : LINK_MOVE_NEAR_END;
  LinkRecord copy[2] = {link[0], link[1]};
  rotate_link_to_line(master, copy, moving_end, separation);
  if (code_is_arc(link->code)) {
    set_item_node(c.item, c.link_index, copy[0].point);
    set_item_node(c.item, c.link_index + 1, copy[1].point);
    link->centre = copy[0].centre;
    refresh_arc_angles(link);
    link_bounding_box(link);
    return ONE_SHOT_COMMIT;
  }
  const int32_t count = item_link_count(c.item);
  const bool closed = c.closed != 0;
  int32_t next = c.link_index + 1 < count ? c.link_index + 1 : (closed ? 0 : -1);
  int32_t previous = c.link_index > 0 ? c.link_index - 1 : (closed ? count - 1 : -1);
  if (moving_end == LINK_MOVE_FAR_END || separation >= 0.0f) rejoin_end(copy, next, true);
  if (moving_end == LINK_MOVE_NEAR_END || separation >= 0.0f) rejoin_end(copy, previous, false);
  link_bounding_box(link);
  return ONE_SHOT_COMMIT;
}

// Moves the node, the link or the item to the point in the entry record: the drag mode of the
// command is taken and applied once, from the entry's reference point to its point.
int apply_entered_point(int16_t command) {
  NodeContext& c = context();
  int16_t check = command;
  if (command == 803 && item_type(c.item) == ITEM_POLYGON) check = 811;
  const int16_t mode = static_cast<int16_t>(node_command_check(check, c.link_index, c.pick));
  if (mode < 0) return ONE_SHOT_CANCEL;
  const CoordEntry& e = g_coord.entry;
  NodeDrag& d = g_node_drag;
  d = NodeDrag{};
  d.mode = mode;
  d.start = e.reference;
  d.anchor = e.reference;
  d.move_delta = {e.current.x - e.reference.x, e.current.y - e.reference.y};
  g_hover.cursor_point = e.current;
  g_hover.cursor_delta = d.move_delta;
  if (apply_drag_mode(mode, e.current, e.current) != 0) return ONE_SHOT_CANCEL;
  finish_pending_propagation();
  return ONE_SHOT_COMMIT_AS_IS;
}

// A coordinate typed over a node (link false) or a link: where it goes is asked first.
int enter_and_apply(bool link) {
  NodeContext& c = context();
  g_edit.current_link = current();
  g_hover.point_selector = c.dragged;
  if (enter_reference_point(link ? 1 : 0) != 0) return ONE_SHOT_CANCEL;
  return apply_entered_point(link ? 803 : 802);
}

int one_shot_missing() {
  show_missing_command_notice();
  return ONE_SHOT_CANCEL;
}

}  // namespace

int run_one_shot(int16_t mode) {
  switch (mode) {
    case -108: return set_node_kind_command(false);
    case -116: return set_node_kind_command(true);
    case -817: return make_start_command();
    case -818: return delete_node_command();
    case -819: return delete_current_link() < 0 ? ONE_SHOT_CANCEL : ONE_SHOT_COMMIT;
    case -863: {
      NodeContext& c = context();
      set_item_type(c.item, ITEM_POLYLINE);
      const int32_t at = c.dragged == NODE_POINT_NEXT ? c.link_index + 1 : c.link_index;
      set_item_node(c.item, at, g_hover.cursor_point);
      refresh_arc_angles(current());
      return ONE_SHOT_COMMIT_AS_IS;
    }
    case -877: return reverse_arc();
    case -878: return toggle_visible();
    case -896: return straighten_item(false);
    case -897: return straighten_item(true);
    case -898: return straighten_whole_item(false);
    case -899: return straighten_whole_item(true);
    case -900: return move_to_snap(false);
    case -901: return move_to_snap(true);
    case -903: {
      if (node_by_construction() < 0) return ONE_SHOT_CANCEL;
      refill(903, context().link_index, PICK_START_NODE);
      return ONE_SHOT_COMMIT;
    }
    case -904:
      if (divide_link_command() < 0) return ONE_SHOT_CANCEL;
      return ONE_SHOT_COMMIT_AS_IS;
    case -910: return thin_nodes();
    case -874: return make_parallel_command();
    case -875: return make_perpendicular_command();
    // Joining, breaking, offsets and the tangent command come with their own commands.
    case -869:
      return offset_current_link(context().offset_distance) == 0 ? ONE_SHOT_COMMIT_AS_IS
                                                                 : ONE_SHOT_CANCEL;
    case -805:
    case -809:
    case -870:
    case -876:
    case -929: return one_shot_missing();
    case -906: return enter_and_apply(false);
    case -907: return enter_and_apply(true);
    case -56: return apply_entered_point(802);
    case -57: return apply_entered_point(803);
    case -58: return apply_entered_point(804);
    default: return ONE_SHOT_CANCEL;
  }
}

// ---- node creation ----

int insert_node_in_working_item(DrawingItem* item, const PointF& point) {
  NodeContext& c = context();
  if (item_type(item) != ITEM_POLYLINE) make_plain_polyline(item);
  if (insert_node_on_link(item, item_nodes(item) + c.link_index, &point) == nullptr) return -1;
  c.link_index += 1;
  return 0;
}

namespace {

int divide_ellipse(DrawingItem* item, int n) {
  LinkRecord e = item_nodes(item)[0];
  const PointF second = item_nodes(item)[1].point;
  const double a = distance(e.centre, e.point);
  const double b = distance(e.centre, second);
  const double turn = point_angle(&e.centre, &second);
  if (n < 0) {
    const double tolerance = g_geometry_settings.tolerance > 0.0f
                                 ? g_geometry_settings.tolerance
                                 : 0.002;
    const double r = std::max(a, b);
    const double step = 2.0 * std::acos(std::max(-1.0, 1.0 - tolerance / std::max(r, 1e-9)));
    n = step > 0.0 ? static_cast<int>(std::ceil(ANGLE_TWO_PI / step)) : ELLIPSE_MOST_POINTS;
  }
  n = std::min(std::max(n, 3), ELLIPSE_MOST_POINTS);
  std::vector<PointF> points(static_cast<size_t>(n) + 1);
  const double ct = std::cos(turn);
  const double st = std::sin(turn);
  for (int i = 0; i <= n; ++i) {
    const double t = ANGLE_TWO_PI * (i % n) / n;
    // The second node lies on the turned x axis, the first node on the axis behind it.
    const double x = b * std::cos(t);
    const double y = a * std::sin(t);
    points[static_cast<size_t>(i)] = {static_cast<float>(e.centre.x + x * ct - y * st),
                                      static_cast<float>(e.centre.y + x * st + y * ct)};
  }
  GeometryBlock* block = item_block(item);
  if (grow_node_array(item, n - block->link_count) == nullptr && n != block->link_count) return -1;
  LinkRecord* r = item_nodes(item);
  for (int i = 0; i <= n; ++i) {
    r[i] = LinkRecord{};
    r[i].point = points[static_cast<size_t>(i)];
    r[i].z = e.z;
    r[i].node_flags = i == 0 ? static_cast<uint8_t>(NODE_FIRST | NODE_LOOSE)
                             : (i == n ? NODE_CLOSING : NODE_LOOSE);
    r[i].node_number = ++g_item_edit.node_counter;
  }
  for (int i = 0; i < n; ++i) link_bounding_box(&r[i]);
  set_item_type(item, ITEM_POLYLINE);
  context().link_index = n - 1;
  return 0;
}

int divide_arc(DrawingItem* item, int n) {
  NodeContext& c = context();
  const int32_t index = c.link_index;
  LinkRecord arc = item_nodes(item)[index];
  bool full = false;
  double sweep = arc.sweep;
  if (sweep < 0.0) {
    sweep = ANGLE_TWO_PI_F;
    full = true;
    arc.point = item_nodes(item)[index + 1].point;
  }
  const bool clockwise = (arc.link_flags & LINK_CLOCKWISE) != 0;
  double step = sweep / n;
  double angle = arc.start_angle;
  if (clockwise) {
    angle = arc.start_angle + sweep;
    if (angle >= ANGLE_TWO_PI) angle -= ANGLE_TWO_PI;
    step = -step;
  }
  if (item_type(item) != ITEM_POLYLINE) make_plain_polyline(item);
  if (grow_node_array(item, n - 1) == nullptr) return -1;
  open_link_gap(item, index, n - 1);
  LinkRecord* r = item_nodes(item);
  if (full) {
    r[index].sweep = 0.0f;
    r[index].point = arc.point;
  }
  for (int k = 1; k < n; ++k) {
    LinkRecord& added = r[index + k];
    added = r[index];
    added.node_flags = NODE_TANGENT;
    added.node_number = ++g_item_edit.node_counter;
    const double at = angle + step * k;
    added.point = {static_cast<float>(arc.centre.x + arc.code * std::cos(at)),
                   static_cast<float>(arc.centre.y + arc.code * std::sin(at))};
  }
  for (int k = 0; k < n; ++k) {
    r[index + k].sweep = 0.0f;
    arc_angles_from_points(&r[index + k]);
    link_bounding_box(&r[index + k]);
  }
  if (full) {
    r[0].node_flags = static_cast<uint8_t>(NODE_FIRST | NODE_LOOSE);
    r[item_link_count(item)].point = r[0].point;
  }
  c.link_index += n - 1;
  return 0;
}

}  // namespace

int divide_link(DrawingItem* item, int n) {
  NodeContext& c = context();
  if (item_type(item) == ITEM_ELLIPSE) return divide_ellipse(item, n);
  if (n < 2) return 0;
  LinkRecord* link = item_nodes(item) + c.link_index;
  if (code_is_arc(link->code)) return divide_arc(item, n);
  const PointF start = link->point;
  const PointF end = link[1].point;
  for (int k = 1; k < n; ++k) {
    const PointF p = {static_cast<float>(start.x + (end.x - start.x) * k / static_cast<double>(n)),
                      static_cast<float>(start.y + (end.y - start.y) * k / static_cast<double>(n))};
    if (insert_node_in_working_item(item, p) != 0) return -1;
  }
  return 0;
}

int divide_link_command() {
  get_message(MSG_DIVIDE_LINK_PARTS);
  int16_t parts = 2;
  const int16_t result = message_box(8, 40, 34, message_text(), FIELD_SHORT, &parts, 4, nullptr,
                                     0, nullptr);
  if (result == KEY_ESC) return -1;
  if (dual(context().item)) xor_draw_working_set();
  if (divide_link(context().item, parts) >= 0) return 0;
  // Not a change of mind: the user is told why nothing was divided.
  get_message(MSG_ITEM_CANNOT_GROW);
  show_text_box(message_text(), TEXTBOX_PRESS_A_KEY);
  return DIVIDE_GROW_FAILED;
}

int node_by_construction() {
  NodeContext& c = context();
  LinkRecord* link = current();
  int menu_context = 0;
  if (link->code > 0.0f) menu_context = 4;
  else if (link->code == LINK_FLEXIBLE_LINE || link->code == LINK_RIGID_LINE) menu_context = 5;
  else return -1;
  PointF p{};
  if (snap_via_menu(menu_context, &p) != 0) return -1;
  PointF foot = p;
  if (link_foot(link, &p, &foot) != FOOT_ON_LINK) return -1;
  return insert_node_in_working_item(c.item, foot);
}
