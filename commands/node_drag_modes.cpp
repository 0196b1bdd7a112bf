// What each drag mode does to the working copy on a pointer move.
#include <cmath>
#include <cstring>
#include <vector>

#include "store/line_list.h"
#include "commands/fillet_node.h"
#include "commands/node_command_check.h"
#include "commands/node_edit_session.h"
#include "commands/node_propagation.h"
#include "editor/edit_session.h"
#include "editor/hover_state.h"
#include "geometry/construct.h"
#include "geometry/geometry2d.h"
#include "geometry/item_motion.h"
#include "geometry/link_moves.h"
#include "geometry/shape_drags.h"
#include "text/text_layout.h"

namespace {

NodeContext& context() { return g_edit.node; }

double distance(const PointF& a, const PointF& b) {
  return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
}

PointF minus(const PointF& a, const PointF& b) { return {a.x - b.x, a.y - b.y}; }
PointF plus(const PointF& a, const PointF& b) { return {a.x + b.x, a.y + b.y}; }

// The delta since the drag start; the start follows.
PointF take_delta(const PointF& cursor) {
  NodeDrag& d = g_node_drag;
  const PointF delta = minus(cursor, d.start);
  d.start = cursor;
  d.move_delta = delta;
  return delta;
}

void move_link(DrawingItem* item, int32_t index, const PointF& cursor) {
  LinkRecord* link = item_nodes(item) + index;
  const PointF delta = take_delta(cursor);
  set_item_node(item, index, plus(link->point, delta));
  set_item_node(item, index + 1, plus(link[1].point, delta));
  if (code_is_arc(link->code)) link->centre = plus(link->centre, delta);
  link_bounding_box(link);
  propagate_node_move();
}

void move_node(DrawingItem* item, int32_t index, const PointF& cursor) {
  NodeContext& c = context();
  LinkRecord* link = item_nodes(item) + index;
  set_item_node(item, index, cursor);
  if (code_is_arc(link->code) && link->sweep == SWEEP_CENTRE_CIRCLE)
    set_item_node(item, index + 1, cursor);
  const bool behind_arc = c.previous >= 0 && code_is_arc(item_nodes(item)[c.previous].code);
  if (link->code < LINK_RIGID_LINE && !behind_arc) propagate_node_move();
  else refit_around_moved_node();
}

void flex_arc(LinkRecord* link, const PointF& cursor) {
  if (code_is_arc(link->code) &&
      (link->sweep >= ANGLE_TWO_PI_F - 1e-6f || link->sweep == SWEEP_CENTRE_CIRCLE)) {
    PointF p = cursor;
    arc_through_point(link, &p);
  } else if (!arc_through_three(link, cursor)) {
    return;
  }
  link_bounding_box(link);
  propagate_node_move();
}

void arc_by_three_points(DrawingItem* item, int32_t index, bool start, const PointF& cursor) {
  LinkRecord* link = item_nodes(item) + index;
  set_item_node(item, start ? index : index + 1, cursor);
  if (!arc_through_three(link, g_node_drag.arc_second)) {
    link->code = LINK_FLEXIBLE_LINE;
    link->sweep = 0.0f;
  }
  link_bounding_box(link);
  propagate_node_move();
}

void radius_circle(DrawingItem* item, int32_t index, const PointF& cursor) {
  LinkRecord* link = item_nodes(item) + index;
  link->code = static_cast<float>(distance(cursor, link->centre));
  const PointF on = {static_cast<float>(link->centre.x + link->code * std::cos(link->start_angle)),
                     static_cast<float>(link->centre.y + link->code * std::sin(link->start_angle))};
  set_item_node(item, index + 1, on);
  link_bounding_box(link);
  if (index + 1 < item_link_count(item)) rederive_arc(link + 1);
}

void centre_circle(DrawingItem* item, int32_t index, const PointF& cursor) {
  LinkRecord* link = item_nodes(item) + index;
  link->code = static_cast<float>(distance(cursor, link->centre));
  const PointF on = {static_cast<float>(link->centre.x + link->code * std::cos(link->start_angle)),
                     static_cast<float>(link->centre.y + link->code * std::sin(link->start_angle))};
  set_item_node(item, index, on);
  set_item_node(item, index + 1, on);
  link_bounding_box(link);
}

void diameter_circle(DrawingItem* item, int32_t index, const PointF& cursor) {
  LinkRecord* link = item_nodes(item) + index;
  link->code = static_cast<float>(distance(cursor, link->centre));
  double opposite = link->start_angle + ANGLE_PI;
  if (opposite >= ANGLE_TWO_PI) opposite -= ANGLE_TWO_PI;
  const PointF c = link->centre;
  set_item_node(item, index, {static_cast<float>(c.x + link->code * std::cos(link->start_angle)),
                              static_cast<float>(c.y + link->code * std::sin(link->start_angle))});
  set_item_node(item, index + 1, {static_cast<float>(c.x + link->code * std::cos(opposite)),
                                  static_cast<float>(c.y + link->code * std::sin(opposite))});
  link_bounding_box(link);
  propagate_node_move();
}

void move_centre(DrawingItem* item, int32_t index, const PointF& cursor) {
  LinkRecord* link = item_nodes(item) + index;
  const PointF from = code_is_arc(link->code) ? link->centre : link->point;
  const PointF v = minus(cursor, from);
  link->centre = plus(link->centre, v);
  set_item_node(item, index, plus(link->point, v));
  set_item_node(item, index + 1, plus(link[1].point, v));
  link_bounding_box(link);
  propagate_node_move();
}

// The angle change of the cursor about a pivot since the last move; 0 on the first move.
double turn_since_last(const PointF& pivot, const PointF& cursor) {
  NodeDrag& d = g_node_drag;
  const double angle = point_angle(&pivot, &cursor);
  const bool first = d.previous_angle <= -699999.0;
  const double turn = first ? 0.0 : angle - d.previous_angle;
  d.previous_angle = angle;
  return turn;
}

// A text frame bent by its side: the text's arc side follows the first link's turning.
void bend_text_frame(DrawingItem* item, int32_t index, const PointF& cursor) {
  LinkRecord* first = item_nodes(item);
  const bool was_arc = code_is_arc(first->code);
  const uint8_t was_clockwise = first->link_flags & LINK_CLOCKWISE;
  bend_frame_sides(first, cursor, index);
  if (item_type(item) != ITEM_TEXT || !code_is_arc(first->code)) return;
  uint8_t* bytes = block_text_layout(item_block(item));
  if (bytes == nullptr) return;
  TextLayout layout;
  read_text_layout(bytes, &layout);
  const uint8_t clockwise = first->link_flags & LINK_CLOCKWISE;
  if (was_arc) {
    if (clockwise != was_clockwise) layout.arc_direction = layout.arc_direction != 0 ? 0 : 1;
  } else {
    layout.arc_direction = clockwise != 0 ? 0 : 1;
  }
  write_text_layout(layout, bytes);
}

// The node between two quadratic curves behind a tangent node: both control points move with
// the pointer, the link before them stays tangent at its end.
void move_quadratic_joint(DrawingItem* item, int32_t index, const PointF& cursor) {
  NodeContext& c = context();
  LinkRecord* r = item_nodes(item);
  const PointF delta = g_hover.cursor_delta;
  set_item_node(item, index, cursor);
  r[index].centre = plus(r[index].centre, delta);
  if (c.previous >= 0) {
    r[c.previous].centre = plus(r[c.previous].centre, delta);
    link_bounding_box(&r[c.previous]);
    if (c.previous_previous >= 0)
      enforce_tangency(&r[c.previous], &r[c.previous_previous], LINK_POINT_NODE);
  }
  link_bounding_box(&r[index]);
  refit_around_moved_node();
}

}  // namespace

void translate_working_set(const PointF& v) {
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next) {
    if (item->extra.empty()) continue;
    translate_item(item, &v);
  }
  relayout_session_texts();
}

int apply_drag_mode(int16_t mode, const PointF& cursor, const PointF& raw) {
  NodeContext& c = context();
  DrawingItem* item = c.item;
  if (item == nullptr || item->extra.empty()) return -1;
  const int32_t index = c.link_index;
  const int32_t count = item_link_count(item);
  LinkRecord* first = item_nodes(item);
  LinkRecord* link = first + index;
  const int selector = c.dragged == NODE_POINT_NEXT ? LINK_POINT_NEXT : LINK_POINT_NODE;
  int result = 0;
  switch (mode) {
    case 0: move_link(item, index, cursor); break;
    case 1: move_node(item, index, cursor); break;
    case 2: flex_arc(link, cursor); break;
    case 4:
      set_item_node(item, index, cursor);
      if (g_node_drag.keep_on_arc) refresh_arc_angles(link);
      refit_after_start_move();
      break;
    case 5:
    case DRAG_MEASURE:
      set_item_node(item, index + 1, cursor);
      if (g_node_drag.keep_on_arc) refresh_arc_angles(link);
      refit_after_end_move();
      break;
    case 6: radius_circle(item, index, cursor); break;
    case 8:
    case 49: result = extrude_node(item, link, count, cursor); break;
    case 50: {
      PointF on_diagonal = cursor;
      result = drag_frame_diagonal(link, first, index, &on_diagonal);
      if (result == 0) result = extrude_node(item, link, count, on_diagonal);
      break;
    }
    case 10: result = slide_link_between_neighbours(item, link, count, 0, cursor); break;
    case 7: drag_frame_corner_arc(first, index, cursor); break;
    case 9: slide_link_on_neighbour_arcs(first, index, cursor); break;
    case 11: bend_text_frame(item, index, cursor); break;
    case 12: slide_link_along_itself(item, link, g_hover.cursor_delta, raw); break;
    case 14: slide_node_on_link(item, link, cursor, selector); break;
    case 15: move_centre(item, index, cursor); break;
    case DRAG_MOVE_ITEM: translate_working_set(take_delta(cursor)); break;
    case 19: result = extrude_end_node(item, link, cursor); break;
    case 21:
      slide_link_along_itself(item, link, g_hover.cursor_delta, raw);
      propagate_node_move();
      break;
    case 25:
    case 55:
      slide_node_on_link(item, link, cursor, selector);
      propagate_node_move();
      break;
    case 26: arc_by_three_points(item, index, true, cursor); break;
    case 29: arc_by_three_points(item, index, false, cursor); break;
    case 30: turn_circle_start(link, cursor); break;
    case 31: centre_circle(item, index, cursor); break;
    case 32: diameter_circle(item, index, cursor); break;
    case 33: {
      const double turn = turn_since_last(first->centre, cursor);
      if (turn != 0.0) rotate_item(item, &first->centre, turn);
      break;
    }
    case 34: result = shift_frame_side(first, index, g_hover.cursor_delta); break;
    case 35: result = slide_slot_side(link, first, cursor); break;
    case 36: result = drag_slot_end(link, first, cursor); break;
    case 37: result = drag_slot_centre(link, first, cursor); break;
    case 38: drag_polygon_vertex(link, first, count, cursor); break;
    case 39: drag_polygon_side(link, first, count, cursor); break;
    case 40: drag_polygon_node(link, first, count, cursor); break;
    case 41: drag_polygon_link(link, first, count, cursor); break;
    case 42: result = drag_slot_radius(link, first, cursor); break;
    case 43: drag_ellipse_node(link, selector, cursor); break;
    case 44: result = drag_ellipse_axis_end(link, selector, cursor); break;
    case 45: result = drag_ellipse_axes(link, cursor); break;
    case 46: result = drag_point_item(first, selector, cursor); break;
    case 47: result = drag_point_grid(first, selector, cursor); break;
    case 48: result = drag_point_pattern_extent(first, cursor); break;
    case 52: move_quadratic_joint(item, index, cursor); break;
    case 53:
      link->centre = cursor;
      link_bounding_box(link);
      refit_around_moved_node();
      break;
    case 54: {
      PointF foot = cursor;
      link_foot(first, &cursor, &foot);
      set_item_node(item, 1, foot);
      const double turn = turn_since_last(first->point, cursor);
      if (turn != 0.0) rotate_item(item, &first->point, turn);
      break;
    }
    case DRAG_FILLET_ARCS:
    case DRAG_FILLET_LINES:
    case DRAG_FILLET_LINE_ARC: result = fillet_drag_step(mode, cursor); break;
    case 61: {
      float radius = 0.0f;
      result = drag_rounded_rect_arc(item, index, raw, &radius);
      if (result == 0) c.fillet_radius = radius;
      break;
    }
    case 62: slide_rounded_rect_side(first, index, cursor); break;
    case 65: result = drag_rounded_rect_corner(first, index, cursor); break;
    case 66:
      set_item_node(item, index, cursor);
      set_item_node(item, index + 1, cursor);
      link_bounding_box(link);
      break;
    default: break;
  }
  return result;
}
