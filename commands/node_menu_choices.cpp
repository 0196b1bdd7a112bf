#include <cmath>

#include "commands/node_menu_choice.h"
#include "commands/symmetric_polyline.h"
#include "editor/drawing_commands.h"
#include "editor/edit_session.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "geometry/geometry2d.h"
#include "geometry/polyline_ends.h"
#include "screen/event_queue.h"
#include "store/line_list.h"
#include "ui/message_box.h"

namespace {

constexpr char NO_SYMMETRY_TEXT[] =
    "You want to convert an item into a symmetric polyline? But points, text, circles, and "
    "ellipses cannot be converted to symmetric polylines!";
constexpr char NOT_SYMMETRIC_QUESTION[] =
    "This item is not a symmetric polyline, so you cannot change its type of symmetry...\n"
    "do you want to convert it into a symmetric polyline?";

constexpr char NO_MIDDLE_LINK_TEXT[] =
    "The middle of this symmetric polyline is a node on its symmetry line: there is no middle "
    "link to split.";
constexpr char NO_MIDDLE_NODE_TEXT[] =
    "The middle of this symmetric polyline is a link across its symmetry line: there is no "
    "middle node to remove.";

// Node-editor commands some cells hand back.
constexpr int REVERSE_ARC = 877;
constexpr int MAKE_PERPENDICULAR = 875;
constexpr int MAKE_PARALLEL = 874;
constexpr int FIRST_HANDED_BACK = 896;  // cells 34-37 hand back 896-899

bool cannot_be_symmetric(const DrawingItem* item) {
  const uint8_t t = item_type(item);
  return t == ITEM_CIRCLE || t == ITEM_ELLIPSE || t == ITEM_POINT || t == ITEM_TEXT_LIKE ||
         t == ITEM_TEXT;
}

// One link's code; its sweep goes with it and, where asked, its run boundary.
void set_link_code(LinkRecord* link, float code, bool clear_boundary) {
  link->code = code;
  link->sweep = 0.0f;
  if (clear_boundary) link->link_flags &= static_cast<uint8_t>(~LINK_JUMP);
  link_bounding_box(link);
}

// 0 made, NODE_MENU_UNCHANGED when refused or cancelled (the item is as it was).
int make_symmetric(DrawingItem* item) {
  // Drawn once more in its colour so the XOR image of the working item goes.
  draw_item_in_colour(item, item_layer(item));
  return convert_to_symmetric_polyline(item) > 0 ? 0 : NODE_MENU_UNCHANGED;
}

}  // namespace

int apply_node_menu_choice(DrawingItem* item, int32_t link_index, int choice) {
  if (item == nullptr || item->extra.empty()) return 0;
  if (link_index < 0 || link_index >= item_link_count(item)) return 0;
  LinkRecord* link = item_nodes(item) + link_index;
  static constexpr float ONWARD_CODES[] = {LINK_FLEXIBLE_LINE, LINK_BEZIER, LINK_SPLINE, 0.0f,
                                           LINK_RIGID_LINE, LINK_BOX};  // cells 7, 8, 9, -, 11, 12
  static constexpr float RUN_CODES[] = {LINK_FLEXIBLE_LINE, LINK_RIGID_LINE, LINK_BOX,
                                        LINK_BEZIER, LINK_SPLINE};  // 15-19 and 20-24
  switch (choice) {
    case 1:
      if (code_is_arc(link->code) &&
          (link->sweep == SWEEP_RADIUS_CIRCLE || link->sweep == SWEEP_DIAMETER_CIRCLE)) {
        link->point = link[1].point;
        arc_angles_from_points(link);
        link_bounding_box(link);
        return 0;
      }
      set_link_code(link, LINK_FLEXIBLE_LINE, true);
      return 0;
    case 2: set_link_code(link, LINK_RIGID_LINE, true); return 0;
    case 3: set_link_code(link, LINK_FLEXIBLE_LINE, true); return 0;
    case 4: {
      link->link_flags &= static_cast<uint8_t>(~LINK_JUMP);
      link->centre = link->point;
      const float r = point_distance(&link->centre, &link[1].point);
      if (r <= 0.0f) return 0;  // no circle through one point
      link->code = r;
      link->sweep = SWEEP_RADIUS_CIRCLE;
      link->start_angle = point_angle(&link->centre, &link[1].point);
      link_bounding_box(link);
      return 0;
    }
    case 5: {
      link->link_flags &= static_cast<uint8_t>(~LINK_JUMP);
      midpoint(&link->point, &link[1].point, &link->centre);
      const float r = point_distance(&link->point, &link->centre);
      if (r <= 0.0f) return 0;
      link->code = r;
      link->sweep = SWEEP_DIAMETER_CIRCLE;
      link->start_angle = point_angle(&link->centre, &link->point);
      link_bounding_box(link);
      return 0;
    }
    case 6: set_link_code(link, LINK_BOX, true); return 0;
    case 7: case 8: case 9: case 11: case 12:
      set_code_from_node(link, ONWARD_CODES[choice - 7], SET_CODE_STOP_AT_JUMP);
      item_bounding_boxes(item);
      return 0;
    case 14: return -REVERSE_ARC;
    case 15: case 16: case 17: case 18: case 19:
      set_code_on_run(link, RUN_CODES[choice - 15]);
      item_bounding_boxes(item);
      return 0;
    case 20: case 21: case 22: case 23: case 24:
      set_code_from_node(item_nodes(item), RUN_CODES[choice - 20], 0);
      item_bounding_boxes(item);
      return 0;
    case 25: make_plain_polyline(item); return 0;
    case 26:
      set_code_on_run(link, LINK_QUADRATIC);
      item_bounding_boxes(item);
      return 0;
    case 27: case 28: case 42: case 43:
      if (cannot_be_symmetric(item)) {
        show_text_box(NO_SYMMETRY_TEXT, TEXTBOX_PRESS_A_KEY);
        return NODE_MENU_UNCHANGED;
      }
      if (choice == 27) return make_symmetric(item);
      if (choice == 28) return convert_to_perpendicular_symmetric(item) > 0 ? 0 : NODE_MENU_UNCHANGED;
      if ((item_nodes(item)[0].node_flags & NODE_DUAL) != 0) {
        const int done = choice == 42 ? split_middle_link(item) : remove_middle_node(item);
        if (done >= 0) return 0;
        show_text_box(choice == 42 ? NO_MIDDLE_LINK_TEXT : NO_MIDDLE_NODE_TEXT,
                      TEXTBOX_PRESS_A_KEY);
        return NODE_MENU_UNCHANGED;
      }
      if (ask_yes_no(NOT_SYMMETRIC_QUESTION, 1) == 1) return make_symmetric(item);
      return NODE_MENU_UNCHANGED;
    case 31: link->link_flags |= LINK_JUMP; return 0;
    case 32: link->link_flags &= static_cast<uint8_t>(~LINK_JUMP); return 0;
    case 33: reverse_polyline(item); return 0;
    case 34: case 35: case 36: case 37: return -(FIRST_HANDED_BACK + choice - 34);
    case 38: drop_symmetry(item); return 0;
    case 39: make_nodes_loose(item); return 0;
    case 40: return -MAKE_PERPENDICULAR;
    case 41: return -MAKE_PARALLEL;
    case 44:
    case 45: {
      const float from = choice == 44 ? LINK_BEZIER : LINK_SPLINE;
      const float to = choice == 44 ? LINK_SPLINE : LINK_BEZIER;
      if (link->code == from) {
        set_code_on_run(link, to);
        item_bounding_boxes(item);
      } else {
        set_link_code(link, to, false);
      }
      return 0;
    }
    default:  // 0, 10, 13, 29, 30 and past the menu: nothing
      return 0;
  }
}

int snap_drag_to_crossing() {
  HoverState& h = g_hover;
  const NodeContext& c = g_edit.node;
  if ((g_events.modifiers & MODIFIER_CTRL) == 0 || h.pick_kind <= PICK_END_NODE || h.hover_link == nullptr ||
      h.hover_item == nullptr)
    return 0;
  if (item_type(h.hover_item) == ITEM_POLYLINE &&
      (h.hover_link->code == LINK_BEZIER || h.hover_link->code == LINK_SPLINE))
    return 0;
  if (c.item == nullptr || c.item->extra.empty() || c.link_index < 0 ||
      c.link_index >= item_link_count(c.item))
    return 0;
  LinkRecord* link = item_nodes(c.item) + c.link_index;
  PointF* dragged = c.dragged == NODE_POINT_NEXT ? &link[1].point
                    : c.dragged == NODE_POINT_CENTRE ? &link->centre : &link->point;
  const PointF* anchor = c.other == NODE_POINT_NEXT ? &link[1].point
                         : c.other == NODE_POINT_CENTRE ? &link->centre : &link->point;
  const PointF cursor = constrain_point(h.cursor_point, *dragged, *anchor);
  *dragged = cursor;
  const int found = intersect_links(link, h.hover_link);
  if (found <= 0) return 0;
  const IntersectionResult& x = g_geometry2d.intersection;
  PointF best = x.first;
  if (found >= 2) {
    // The nearer crossing; on a tie the second.
    if (point_distance(&x.second, &cursor) <= point_distance(&x.first, &cursor)) best = x.second;
  }
  *dragged = best;
  h.constrained_point = best;
  return 1;
}
