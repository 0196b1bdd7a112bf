#include "commands/create_by_mouse.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "commands/node_edit_session.h"
#include "commands/shape_forms.h"
#include "editor/draw_style.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_command.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover_state.h"
#include "editor/node_context.h"
#include "editor/page_furniture.h"
#include "editor/point_picking.h"
#include "editor/render.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/item_edit_state.h"
#include "geometry/link_moves.h"
#include "geometry/polyline_ends.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/message_box.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr float START_PIXELS = 4.0f;       // the new item's first size, in pixels
constexpr float SLOT_END_PIXELS = 8.0f;    // the slot's end arcs start this wide
constexpr uint16_t CREATE_PICK_MODE = 0x0A;
constexpr uint8_t CREATE_SNAP_CONTEXT = 2;
constexpr int OP_DRAG = 802;
constexpr int OP_ADD_NODE = 806;
constexpr int OP_DRAG_LINK = 807;
constexpr int OP_ARC_END = 886;
constexpr int OP_MEASURE = 59;
constexpr int16_t PICK_LINK = 17;
constexpr int16_t PICK_LINK_NEAR_END = 34;
constexpr char NO_MEMORY_TEXT[] = "Out of memory, press enter";
constexpr char HINT_SEPARATOR[] = "  Hold CTRL or CTRL & SHIFT to restrict movement.";
constexpr char DRAWING_HELP[] =
    "Press \vESC\x13 to cancel\ncreating this new item.\n\n\nIf you want to enter\nX-Y "
    "coordinates\nvia the keyboard\nrather than pick a\npoint with the mouse,\njust start "
    "typing\nany of these keys:\n\f*+,-.0123456789<=>\x13";
constexpr char CONTINUE_HELP[] =
    "\fKeyboard commands\nwhile drawing:\x13\n\n\fTo change node type:\x13\n  \vT\x13: tangent\n"
    "  \vL\x13: loose\n\n\fTo change geometry:\x13\n  \vA\x13: arc\n  \vR\x13: rigid line\n"
    "  \vF\x13: flexible line\n  \vB\x13: B-spline\n\n\n\vESC\x13: erase current link;\n"
    "     go back to previous\n\n\n\fTo enter coordinates\nvia keyboard, just\nstart typing "
    "any of\nthese keys:\x13\n\f*+,-.0123456789<=>\x13";

struct Entry {
  float size = 0.0f;          // the first size in drawing units
  int16_t counter_before = 0;  // the node counter before the item took its numbers
  int16_t counter_after = 0;   // and after
};

// The prompt of a tool: the noun, and the restriction hint where the tool has it.
void show_tool_prompt(const char* noun, bool hint) {
  std::string text = std::string("Pick ") + noun +
                     ", or type \vXY\x13 coordinates.\n\vS\x13: \vs\x13nap menu";
  if (hint) text += std::string(" \x0e") + (HINT_SEPARATOR + 1) + "\x13";
  show_prompt(text.c_str());
}

void point_hover_at(DrawingItem* item, int32_t link, int16_t pick, int16_t selector) {
  HoverState& h = g_hover;
  h.hover_item = item;
  h.hover_link = item_nodes(item) + link;
  h.link_index = link;
  h.pick_kind = pick;
  h.point_selector = selector;
}

void clear_hover() {
  HoverState& h = g_hover;
  h.hover_item = nullptr;
  h.hover_link = nullptr;
  h.pick_kind = 0;
  h.node_item = nullptr;
  h.highlighted_link = nullptr;
  h.symmetry_line = nullptr;
}

// A new item of n links at the tail: the layer for new items, machining by the job's default,
// active. Null (after the message) when its block cannot be had.
DrawingItem* new_item(uint8_t type, int links, Entry* e) {
  const uint8_t cam = g_job_settings.new_items_machined != 0 ? GEOMETRY_KIND_MACHINABLE
                                                             : GEOMETRY_KIND_DRAWING_AID;
  DrawingItem* before = g_lists.current.last;
  if (new_geometry_block("", nullptr, links, g_drawing_page.current_layer, cam) != 0 ||
      g_lists.current.last == before) {
    show_text_box(NO_MEMORY_TEXT, TEXTBOX_PRESS_A_KEY);
    return nullptr;
  }
  DrawingItem* item = g_lists.current.last;
  set_item_type(item, type);
  set_item_flags(item, ITEM_FLAG_SELECTED);
  e->counter_before = g_item_edit.node_counter;
  return item;
}

void number_nodes(DrawingItem* item, Entry* e) {
  LinkRecord* r = item_nodes(item);
  for (int32_t i = 0; i <= item_link_count(item); ++i) r[i].node_number = ++g_item_edit.node_counter;
  e->counter_after = g_item_edit.node_counter;
}

void end_entry() {
  DrawingItem* tail = g_lists.current.last;
  if (g_lists.current.first == tail || tail == nullptr || item_type(tail) == 0)
    g_drawing_page.extents_request = 1;
  else
    item_bounds(tail);
  g_furniture.axis_lock &= static_cast<uint8_t>(~INDICATOR_LOCKED);
  g_edit.continue_mark = 0;
  g_edit.node.drawing_mode = 0;
}

// The node numbers go back only when no other item took numbers after this one.
void give_back_numbers(const Entry& e) {
  if (g_item_edit.node_counter == e.counter_after) g_item_edit.node_counter = e.counter_before;
}

void cancel_item(DrawingItem* item, const Entry& e, bool erase) {
  if (item != nullptr && item == g_lists.current.last) {
    if (erase) draw_item_in_colour(item, COLOUR_ERASE);
    give_back_numbers(e);
    delete_line_or_last(item);
  }
  clear_hover();
  end_entry();
}

// The node editor on the new item; true when it kept it.
bool drag(int op) { return node_edit_session(op) == 0; }

// Lines, arcs and splines go on node by node while the node editor asks for another one. Each
// session commits its working copy in the item's place at the tail, so the item is found there
// again after every node.
bool continue_polyline(const Entry& e) {
  help_box_text(CONTINUE_HELP);
  g_edit.continue_mark = 2;
  DrawingItem* item = g_lists.current.last;
  while (g_edit.continue_node >= 0) {
    item = g_lists.current.last;
    if (item == nullptr || item->extra.empty()) break;
    const int32_t at = std::clamp<int32_t>(g_edit.continue_node, 1, item_link_count(item));
    point_hover_at(item, at - 1, PICK_END_NODE, NODE_POINT_NEXT);
    g_edit.continue_node = -1;
    g_edit.node.drawing_mode = NODE_DRAWING_CONTINUE;
    node_edit_session(OP_ADD_NODE);
  }
  item = g_lists.current.last;
  if (item == nullptr || item->extra.empty()) return true;
  remove_zero_length_links(item);
  const LinkRecord* r = item_nodes(item);
  if (item_link_count(item) < 1 ||
      (item_link_count(item) == 1 && r[0].point.x == r[1].point.x && r[0].point.y == r[1].point.y)) {
    cancel_item(item, e, true);
    return false;
  }
  close_if_touching(item);
  return true;
}

void make_slot(DrawingItem* line, const Entry& e) {
  draw_item_in_colour(line, COLOUR_ERASE);
  g_draw_style.draw_colour = item_layer(line);
  if (copy_item_with_extra_links(line, 3) != 0) return;  // the line stays as drawn
  DrawingItem* slot = g_lists.current.last;
  const float s8 = SLOT_END_PIXELS / g_view.scale_x;
  build_slot_from_line(slot, s8 / 2.0f);
  LinkRecord* n = item_nodes(slot);
  const PointF c1 = line->extra.empty() ? n[0].point : item_nodes(line)[0].point;
  const PointF c2 = item_nodes(line)[1].point;
  delete_line_or_last(line);
  n = item_nodes(slot);
  n[1].centre = c2;
  n[1].code = s8;
  n[3].centre = c1;
  n[3].code = s8;
  rebuild_slot_sides(n);
  item_bounding_boxes(slot);
  (void)e;
  point_hover_at(slot, 1, PICK_LINK, NODE_POINT_CURRENT);
  g_furniture.axis_lock |= INDICATOR_LOCKED;
  show_tool_prompt("a point on slot arc", true);
  drag(OP_DRAG_LINK);
}

void run_tool(int code) {
  Entry e;
  e.size = START_PIXELS / g_view.scale_x;
  const float s = e.size;
  g_hover.pick_mode |= CREATE_PICK_MODE;
  g_point_picking.snap_context = CREATE_SNAP_CONTEXT;
  PointF p;
  hover_point(&p);
  const bool x_fixed = (g_furniture.axis_lock & 3) == AXIS_X_FIXED;
  show_prompt("");
  DrawingItem* item = nullptr;
  int op = OP_DRAG;
  switch (code) {
    case TOOL_RECTANGLE: {
      item = new_item(ITEM_RECTANGLE, 4, &e);
      if (item == nullptr) return end_entry();
      build_rectangle_links(item, &p, s / 2.0f, s);
      e.counter_after = g_item_edit.node_counter;
      point_hover_at(item, 2, PICK_START_NODE, NODE_POINT_CURRENT);
      g_furniture.axis_lock |= INDICATOR_LOCKED;
      show_tool_prompt("the other corner", false);
      break;
    }
    case TOOL_CIRCLE: {
      item = new_item(ITEM_CIRCLE, 1, &e);
      if (item == nullptr) return end_entry();
      LinkRecord* r = item_nodes(item);
      r->centre = p;
      r->code = s;
      r->sweep = SWEEP_CENTRE_CIRCLE;
      r->point = x_fixed ? PointF{p.x, p.y + s} : PointF{p.x + s, p.y};
      r->start_angle = x_fixed ? static_cast<float>(PI / 2) : 0.0f;
      r[1].point = r->point;
      number_nodes(item, &e);
      link_bounding_box(r);
      point_hover_at(item, 0, PICK_START_NODE, NODE_POINT_CURRENT);
      show_tool_prompt("a point on the circumfrence", false);
      break;
    }
    case TOOL_ARC:
    case TOOL_LINE:
    case TOOL_SPLINE:
    case TOOL_SLOT: {
      item = new_item(ITEM_POLYLINE, 1, &e);
      if (item == nullptr) return end_entry();
      LinkRecord* r = item_nodes(item);
      r[0].point = r[1].point = p;
      r[0].code = code == TOOL_SPLINE ? LINK_SPLINE : LINK_FLEXIBLE_LINE;
      number_nodes(item, &e);
      link_bounding_box(r);
      op = code == TOOL_ARC ? OP_ARC_END : -OP_DRAG;
      show_tool_prompt(code == TOOL_ARC    ? "the 2nd point on the arc"
                       : code == TOOL_SLOT ? "the other center point of the slot"
                                           : "points with mouse",
                       true);
      help_box_text(DRAWING_HELP);
      g_edit.continue_node = -1;
      g_edit.node.drawing_mode = code == TOOL_SLOT ? 0 : NODE_DRAWING_CREATE;
      g_edit.session_tool = static_cast<int16_t>(code);
      point_hover_at(item, 0, PICK_END_NODE, NODE_POINT_NEXT);
      break;
    }
    case TOOL_POLYGON: {
      const int n = std::clamp<int>(g_preferences.polygon_sides, 3, 500);
      item = new_item(ITEM_POLYGON, n, &e);
      if (item == nullptr) return end_entry();
      LinkRecord* r = item_nodes(item);
      r->centre = p;
      for (int i = 0; i < n; ++i) r[i].code = LINK_RIGID_LINE;
      set_new_polygon_node_flags(r, n);
      place_polygon_nodes(r, r, s, x_fixed ? PI / 2 : 0.0, n);
      number_nodes(item, &e);
      item_bounding_boxes(item);
      point_hover_at(item, 0, PICK_START_NODE, NODE_POINT_CURRENT);
      show_tool_prompt("the starting node of the polygon", true);
      break;
    }
    case TOOL_POINTS: {
      item = new_item(ITEM_POINT, 1, &e);
      if (item == nullptr) return end_entry();
      LinkRecord* r = item_nodes(item);
      r->code = LINK_POINT;
      r->point = r[1].point = p;
      number_nodes(item, &e);
      link_bounding_box(r);
      draw_item_in_colour(item, item_layer(item));
      return end_entry();
    }
    case TOOL_ELLIPSE: {
      item = new_item(ITEM_ELLIPSE, 1, &e);
      if (item == nullptr) return end_entry();
      LinkRecord* r = item_nodes(item);
      r->code = LINK_ELLIPSE;
      r->centre = p;
      r->point = {p.x, p.y - s};
      r[1].point = {p.x + s, p.y};
      number_nodes(item, &e);
      link_bounding_box(r);
      point_hover_at(item, 0, PICK_LINK_NEAR_END, NODE_POINT_NEXT);
      g_furniture.axis_lock |= INDICATOR_LOCKED;
      op = OP_DRAG_LINK;
      show_tool_prompt("the \x93" "corner\x94 for the ellipse", false);
      break;
    }
    case TOOL_MEASURE: {
      item = new_item(ITEM_POLYLINE, 1, &e);
      if (item == nullptr) return end_entry();
      LinkRecord* r = item_nodes(item);
      r[0].point = r[1].point = p;
      number_nodes(item, &e);
      point_hover_at(item, 0, PICK_END_NODE, NODE_POINT_NEXT);
      help_box_text(nullptr);
      help_push(MSG_HELP_MEASURE);
      node_edit_session(OP_MEASURE);
      help_pop();
      // Measuring leaves the drawing as it was.
      if (item == g_lists.current.last) {
        give_back_numbers(e);
        delete_line_or_last(item);
      }
      clear_hover();
      return end_entry();
    }
    default:
      return end_entry();
  }
  if (!drag(op)) return cancel_item(item, e, true);
  // The committed drag put its working copy in the item's place at the tail.
  item = g_lists.current.last;
  if (code == TOOL_ARC || code == TOOL_LINE || code == TOOL_SPLINE) {
    if (!continue_polyline(e)) return;
  } else if (code == TOOL_SLOT && item != nullptr) {
    make_slot(item, e);
  }
  end_entry();
}

// A one-link item at the pick point with both nodes equal, for other commands.
void make_quiet_item(int code) {
  Entry e;
  g_hover.pick_mode |= CREATE_PICK_MODE;
  g_point_picking.snap_context = CREATE_SNAP_CONTEXT;
  PointF p;
  hover_point(&p);
  DrawingItem* item = new_item(code == -TOOL_POINTS ? ITEM_POINT : ITEM_POLYLINE, 1, &e);
  if (item == nullptr) return;
  LinkRecord* r = item_nodes(item);
  r[0].point = r[1].point = p;
  r[0].code = code == -TOOL_POINTS ? LINK_POINT : code == -TOOL_SPLINE ? LINK_SPLINE
                                                                      : LINK_FLEXIBLE_LINE;
  number_nodes(item, &e);
  link_bounding_box(r);
  if (code == -TOOL_SPLINE) end_entry();
}

}  // namespace

void set_new_polygon_node_flags(LinkRecord* first, int n) {
  first[0].node_flags = NODE_FIRST | NODE_LOOSE;
  for (int i = 1; i < n; ++i) first[i].node_flags = NODE_LOOSE;
  first[n].node_flags = NODE_CLOSING;
}

void build_slot_from_line(DrawingItem* item, float end_radius) {
  if (item == nullptr || item->extra.empty() || item_link_count(item) != 4) return;
  set_item_type(item, ITEM_SLOT);
  LinkRecord* n = item_nodes(item);
  const PointF a = n[0].point;
  const PointF b = n[1].point;
  const double along = point_angle(&a, &b);
  n[0].node_flags = NODE_FIRST | NODE_LOOSE;
  n[0].code = LINK_RIGID_LINE;
  n[0].sweep = 0.0f;
  for (int i = 1; i <= 3; ++i) n[i].node_flags = NODE_LOOSE;
  // Link 1: a clockwise half circle about the second centre; link 3 about the first.
  n[1].code = end_radius;
  n[1].centre = b;
  n[1].link_flags = LINK_CLOCKWISE;
  n[1].sweep = static_cast<float>(PI);
  n[1].start_angle = static_cast<float>(3 * PI / 2);
  n[2].code = LINK_RIGID_LINE;
  n[3].code = end_radius;
  n[3].centre = a;
  n[3].link_flags = LINK_CLOCKWISE;
  n[3].sweep = static_cast<float>(PI);
  n[3].start_angle = static_cast<float>(PI / 2);
  // The sides run along the centre line, end_radius to its left (first) and right (back).
  polar_point(&a, end_radius, along + PI / 2, &n[0].point);
  polar_point(&b, end_radius, along + PI / 2, &n[1].point);
  polar_point(&b, end_radius, along - PI / 2, &n[2].point);
  polar_point(&a, end_radius, along - PI / 2, &n[3].point);
  n[4].node_flags = NODE_CLOSING;
  n[4].point = n[0].point;
  for (int i = 1; i <= 4; ++i) n[i].node_number = ++g_item_edit.node_counter;
  arc_angles_from_points(&n[1]);
  arc_angles_from_points(&n[3]);
  item_bounding_boxes(item);
}

void create_item_by_mouse(int code) {
  if (code < 0) return make_quiet_item(code);
  if (code >= FIRST_SHAPE_FORM && code <= LAST_SHAPE_FORM) {
    run_shape_form_series(code);
    end_entry();
    return;
  }
  run_tool(code);
}

void new_point_with_cam_op(int cut_type) {
  g_hover.pick_kind = 0;
  DrawingItem* before = g_lists.current.last;
  edit_command(TOOL_POINTS);
  DrawingItem* item = g_lists.current.last;
  if (item == nullptr || item == before || item_type(item) != ITEM_POINT) return;
  if (cut_type != 0) {
    GeometryBlock* block = item_block(item);
    if (block->cam_kind == GEOMETRY_KIND_DRAWING_AID) block = add_item_cam(item);
    if (block != nullptr) apply_cam_defaults(block, cut_type);
  } else {
    remove_item_cam(item);
  }
}
