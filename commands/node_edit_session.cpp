#include "commands/node_edit_session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "commands/fillet_node.h"
#include "commands/join_items.h"
#include "commands/node_command_check.h"
#include "commands/node_context_fill.h"
#include "commands/node_fitting.h"
#include "commands/node_menu_choice.h"
#include "commands/node_one_shots.h"
#include "commands/node_propagation.h"
#include "commands/offset_command.h"
#include "cam/machining_order.h"
#include "editor/button_bindings.h"
#include "editor/coord_entry.h"
#include "editor/draw_style.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_command.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/object_snaps.h"
#include "editor/page_furniture.h"
#include "editor/point_picking.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/item_edit_state.h"
#include "geometry/item_split.h"
#include "geometry/link_moves.h"
#include "geometry/link_operations.h"
#include "geometry/geometry2d.h"
#include "geometry/node_surgery.h"
#include "geometry/point_arrays.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "geometry/symmetric_nodes.h"
#include "commands/symmetric_polyline.h"
#include "platform/window.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/timer.h"
#include "screen/text_output.h"
#include "store/float_text.h"
#include "text/text_numbering.h"
#include "ui/message_box.h"
#include "store/message_ids.h"

NodeDrag g_node_drag;

void reset_node_drag() { g_node_drag = NodeDrag{}; }

namespace {

// Node-editor command ids the session reads.
constexpr int OP_CONTINUE_POLYLINE = 51;
constexpr int OP_MOVE_NODE = 802;
constexpr int OP_ADD_NODE = 806;
constexpr int OP_DELETE_NODE = 818;
constexpr int OP_DELETE_LINK = 819;
constexpr int OP_DELETE_ITEM = 820;
constexpr int OP_SEPARATE = 866;
constexpr int OP_OFFSET_LINK = 869;
constexpr int OP_OFFSET_ITEM = 870;
constexpr int OP_CUT_LINK = 885;
constexpr int OP_ADD_NODE_AT_END = 905;
constexpr int OP_BREAK = 809;
constexpr int OP_BREAK_BY_CONSTRUCTION = 929;
constexpr int OP_NODE_MENU = 911;
// Ids the loop's buttons carry.
constexpr int16_t CMD_FINISHED = 888;
constexpr int16_t CMD_SNAP_MENU = 890;
constexpr int16_t CMD_QUIT = 889;
constexpr int16_t CMD_TOGGLE_WHOLE = 804;
constexpr int16_t CMD_MOVE_RULER = 893;
constexpr int16_t CMD_ARC_SECOND = 886;
constexpr int16_t CMD_ARC_END = 887;
constexpr int16_t CMD_NONE = 895;
constexpr int16_t CMD_FILLET_DRAG = 833;
constexpr int16_t CMD_FILLET_VALUE = 867;
// The drag waits this many timer ticks before a new node is dragged.
constexpr int DRAG_WAIT_TICKS = 8;
// A continued link shorter than this is not ended: two clicks on one spot make no link.
constexpr float SHORTEST_NEW_LINK = 1e-5f;

constexpr char TOGGLES_TEXT[] =
    "\fOn/Off toggles:\x13  \vF3\x13: node snap, \vF5\x13: hi-lite nodes, \vF8\x13: ortho,\n"
    "\vF9\x13: snap to grid, \v~\x13: crosshairs, \vS\x13: Snap menu, \vESC\x13: cancel";

constexpr char PICK_PROMPT_FORMAT[] =
    "Pick %s, or type \vXY\x13 coordinates.\n\vS\x13: \vs\x13nap menu  "
    "\x0eHold CTRL or CTRL & SHIFT to restrict movement.\x13";
constexpr char SECOND_ARC_POINT[] = "the 2nd point on the arc";
constexpr char END_OF_ARC[] = "the end of the arc";
constexpr char POINTS_WITH_MOUSE[] = "points with mouse";
constexpr char CONTINUE_MEASURING_TEXT[] = "Press a key to continue measuring...";
constexpr char CONTINUE_SELECTING_TEXT[] = "Continue selecting points...";
constexpr char FILLET_VALUE_REFUSED_TEXT[] = "Can't make a fillet with that value.";
// Where the nudging totals stand: rows above the bottom row, columns in from the right edge.
constexpr int NUDGE_TOTALS_ROWS_UP = 8;
constexpr int NUDGE_TOTALS_COLUMNS_IN = 16;
// The step delay of the pointer's glide back to the previous node after Esc.
constexpr int ESC_GLIDE_DELAY = 500;
// "Changed to ..." notices are drawn and left at once: a box that waited would drop the keys
// typed meanwhile.
constexpr uint32_t NOTICE_STYLE = TEXTBOX_CLOSE_AT_ONCE;

NodeContext& context() { return g_edit.node; }

void show_pick_prompt(const char* what) {
  char text[256];
  std::snprintf(text, sizeof(text), PICK_PROMPT_FORMAT, what);
  show_prompt(text);
}

void show_notice(const char* text) { show_text_box(text, NOTICE_STYLE); }

// Glides the pointer to a world point, kept inside the drawing area.
void glide_to_world_point(const PointF& p, int delay) {
  int x = 0;
  int y = 0;
  world_to_screen(p, &x, &y);
  const ViewState& v = g_view;
  x = std::clamp(x, 1, std::max(1, static_cast<int>(v.area_width) - 1));
  y = std::clamp(y + v.area_top, static_cast<int>(v.area_top) + 1,
                 std::max(static_cast<int>(v.area_top) + 1, static_cast<int>(v.area_bottom) - 1));
  glide_pointer(POINTER_GLIDE_SET_DELAY, delay);
  glide_pointer(x, y);
}

LinkRecord* current_link() {
  return item_nodes(context().item) + context().link_index;
}

// Ends the session without an edit session having been opened.
void leave_hover() {
  HoverState& h = g_hover;
  h.pick_kind = 0;
  h.pick_mode &= static_cast<uint16_t>(~0x50);
}

// Deletes the hovered item as one undo step.
int delete_whole_item(DrawingItem* item) {
  draw_item_in_colour(item, COLOUR_ERASE);
  if (g_hover.hover_item == item) g_hover.hover_item = nullptr;
  g_hover.hover_link = nullptr;
  undo_record_deleted(item);
  ++g_drawing_page.redraw_request;
  mark_job_changed();
  return 0;
}

bool deletes_whole_item(int op, DrawingItem* item) {
  if (op == OP_DELETE_ITEM) return true;
  if (op != OP_DELETE_NODE && op != OP_DELETE_LINK) return false;
  const uint8_t type = item_type(item);
  const int32_t count = item_link_count(item);
  return type == ITEM_TEXT || type == ITEM_TEXT_LIKE || type == ITEM_POINT ||
         (type == ITEM_POLYGON && count < 4) || count == 1;
}

bool working_set_is_machined() {
  for (DrawingItem* i = g_edit.working_set; i != nullptr; i = i->next) {
    if (i->extra.empty() || item_type(i) == 0) continue;
    if (item_block(i)->cam_kind != GEOMETRY_KIND_DRAWING_AID) return true;
  }
  return false;
}

// Ends the session: commit (the edit as one undo step) or cancel (the item as it was).
int end_session(bool commit) {
  NodeContext& c = context();
  if (commit) {
    finish_pending_propagation();
    if (c.item != nullptr && !c.item->extra.empty())
      update_symmetry_after_edit(c.item, c.link_index);
    xor_draw_working_set();
    edit_finish();
    DrawingItem* item = g_edit.working_set;
    int pieces = 0;
    for (DrawingItem* i = item; i != nullptr; i = i->next) ++pieces;
    // A break or a separation left more than the one item it edited: the pieces replace it.
    if (pieces > 1) undo_record_replaced(pieces, 1);
    else if (item != nullptr && item_id(item) != 0) undo_push(UNDO_CHANGED);
    const bool machined = working_set_is_machined();
    edit_commit(EDIT_COMMIT_MOVE);
    for (DrawingItem* i = g_edit.working_set; i != nullptr; i = i->next)
      draw_item_in_colour(i, item_layer(i));
    ++g_drawing_page.redraw_request;
    // An edited machining item keeps its place in the machining order and the text numbering.
    if (machined) {
      renumber_machining_order();
      renumber_text_items(1, 1);
    }
  } else {
    if (edit_session_open()) xor_draw_working_set();
  }
  edit_cancel();
  g_edit.working_set = nullptr;
  g_edit.current_link = nullptr;
  g_edit.edited_item = nullptr;
  c.session_flags &= NODE_SESSION_TYPED_FILLET;
  c.pending_forward = c.pending_backward = NODE_NO_RECORD;
  c.item = nullptr;
  leave_hover();
  show_message_area("");
  draw_button_legend(1);
  return commit ? 0 : -1;
}

int cancel_with_notice() {
  show_missing_command_notice();
  return end_session(false);
}

// The edited item split into its links: the pieces become the working set and replace it as
// one undo step. Text and an item of one link are left as they were.
int separate_working_copy() {
  NodeContext& c = context();
  DrawingItem* copy = c.item;
  if (item_type(copy) > ITEM_LAST_GEOMETRY_TYPE || separate_links(copy) < 1)
    return end_session(false);
  g_edit.working_set = copy->next;
  g_edit.edited_item = g_item_edit.edited_item = nullptr;
  c.item = nullptr;
  delete_line(copy);
  return end_session(true);
}

// The edited item broken at the hovered node: a closed item opens there, an open one leaves a
// second piece behind it in the working set (a first part of no links goes).
int break_working_copy() {
  NodeContext& c = context();
  DrawingItem* copy = c.item;
  if (item_type(copy) != ITEM_POLYLINE) return end_session(false);
  const int node = c.pick == PICK_END_NODE ? c.link_index + 1 : c.link_index;
  DrawingItem* before = copy->prev;
  break_polyline_at_node(item_nodes(copy) + node, node);
  // The copy is gone when nothing of it was left before the break.
  DrawingItem* first = before != nullptr ? before->next : g_lists.current.first;
  if (first != copy) {
    g_edit.working_set = first;
    g_edit.edited_item = g_item_edit.edited_item = first;
    c.item = first;
    c.link_index = 0;
  }
  return end_session(true);
}

// The working copy the session edits (the edit session's first working item).
void take_working_copy() {
  context().item = g_edit.working_set;
  g_edit.edited_item = g_edit.working_set;
  g_item_edit.edited_item = g_edit.working_set;
}

// Waits whether the user drags the new node: true to drag, false to end with it where it is.
bool user_drags_new_node() {
  if ((g_events.modifiers & (MODIFIER_SHIFT | MODIFIER_CTRL | MODIFIER_ALT)) != 0) return false;
  // Motion counts from where the pointer was last read.
  const int x0 = g_pointer.reference_x;
  const int y0 = g_pointer.reference_y;
  const int limit = 2 * (g_display.current.cell_width > 0 ? g_display.current.cell_width : 8);
  for (int ticks = 0; ticks < DRAG_WAIT_TICKS;) {
    const EventCode code = wait_input_code();
    if (code == EVENT_TICK) {
      ++ticks;
    } else if (code == EVENT_LEFT_DOWN) {
      return false;
    } else if (code == EVENT_POINTER_MOVE) {
      int x = 0;
      int y = 0;
      cursor_get_position(&x, &y);
      if (std::abs(x - x0) + std::abs(y - y0) > limit) {
        push_input_code_front(EVENT_POINTER_MOVE);
        return true;
      }
    } else if (code == EVENT_QUIT) {
      push_input_code(EVENT_QUIT);
      return false;
    }
  }
  return true;
}

// A new first node in front of the first link: one link is added at the front.
int add_node_at_start() {
  NodeContext& c = context();
  DrawingItem* item = c.item;
  LinkRecord* old_first = item_nodes(item);
  const bool spline = old_first->code == LINK_SPLINE;
  const bool ccw_arc = code_is_arc(old_first->code) && old_first->sweep > 0.0f &&
                       (old_first->link_flags & LINK_CLOCKWISE) == 0;
  if (grow_node_array(item, -1) == nullptr) return -1;
  LinkRecord* r = item_nodes(item);
  r[0].point = r[1].point;
  r[0].z = r[1].z;
  r[0].node_flags = NODE_FIRST;
  r[0].node_number = ++g_item_edit.node_counter;
  r[0].code = spline ? LINK_SPLINE : LINK_FLEXIBLE_LINE;
  r[1].node_flags = spline || ccw_arc ? NODE_TANGENT : NODE_LOOSE;
  link_bounding_box(&r[0]);
  c.link_index = 0;
  c.pick = PICK_START_NODE;
  return DRAG_START_NODE;
}

// A new last node after the last link: one link is added at the end.
int add_node_at_end() {
  NodeContext& c = context();
  DrawingItem* item = c.item;
  const int32_t count = item_link_count(item);
  const LinkRecord last = item_nodes(item)[count - 1];
  if (grow_node_array(item, 1) == nullptr) return -1;
  LinkRecord* r = item_nodes(item);
  LinkRecord* added = &r[count];
  added->code = LINK_FLEXIBLE_LINE;
  added->sweep = 0.0f;
  if (last.code == LINK_SPLINE) {
    added->node_flags = NODE_TANGENT;
    added->code = LINK_SPLINE;
  } else if (code_is_arc(last.code) && last.sweep > 0.0f) {
    added->node_flags = NODE_TANGENT;
  } else {
    added->node_flags = NODE_LOOSE;
  }
  added->link_flags &= static_cast<uint8_t>(~LINK_JUMP);
  r[count + 1].point = added->point;
  r[count + 1].z = added->z;
  r[count + 1].node_number = ++g_item_edit.node_counter;
  link_bounding_box(added);
  c.link_index = count;
  c.pick = PICK_END_NODE;
  return DRAG_END_NODE;
}

// The entry steps that make a new node. The new drag mode, -1 when the item could not grow,
// or 1 when the node stays where it was put and the edit ends.
int make_new_node(int* op) {
  NodeContext& c = context();
  DrawingItem* item = c.item;
  xor_draw_working_set();
  int mode = -2;
  const int32_t count = item_link_count(item);
  if (item_type(item) == ITEM_POLYGON) {
    if (grow_node_array(item, 1) == nullptr) return -1;
    LinkRecord* r = item_nodes(item);
    r[count].node_flags = NODE_LOOSE;
    r[count].code = r[0].code;
    r[count + 1].node_number = ++g_item_edit.node_counter;
    const PointF centre = r[0].centre;
    place_polygon_nodes(r, r, static_cast<float>(std::hypot(r[0].point.x - centre.x,
                                                            r[0].point.y - centre.y)),
                        point_angle(&centre, &r[0].point), count + 1);
    for (int32_t i = 0; i <= count; ++i) link_bounding_box(&r[i]);
    c.link_index = 0;
    c.pick = PICK_START_NODE;
    mode = DRAG_POLYGON_NODE;
  } else if (c.pick == PICK_START_NODE && c.link_index == 0 && c.closed == 0) {
    mode = add_node_at_start();
  } else if (c.pick == PICK_END_NODE && c.link_index == count - 1 && c.closed == 0) {
    mode = add_node_at_end();
  } else {
    // A "Dual" polyline takes a node into each half: room for the mirrored one first.
    if ((item_nodes(item)[0].node_flags & NODE_DUAL) != 0) {
      const int moved = add_symmetric_node_slot(item, c.link_index);
      if (moved < 0) return -1;
      c.link_index += moved;
    }
    LinkRecord* link = item_nodes(item) + c.link_index;
    const PointF at = g_hover.raw_cursor_point;
    if (insert_node_on_link(item, link, &at) == nullptr) return -1;
    c.link_index += 1;
    c.pick = PICK_START_NODE;
    *op = OP_MOVE_NODE;
  }
  xor_draw_working_set();
  if (mode == -1) return -1;
  if (mode == DRAG_START_NODE || mode == DRAG_END_NODE) {
    *op = OP_ADD_NODE;
    return mode;
  }
  if (!user_drags_new_node()) return 1;
  return mode;
}

// ---- the drag loop ----

// The loop's bindings: one record saved (by button_commands_set), popped when the loop ends.
void set_drag_bindings(int op, int16_t mode) {
  int16_t left = CMD_FINISHED;
  int16_t middle = CMD_SNAP_MENU;
  int16_t right = CMD_TOGGLE_WHOLE;
  if (mode == 27) {
    g_node_drag.mode = DRAG_END_NODE;
    left = CMD_ARC_SECOND;
    right = CMD_QUIT;
  } else if ((op == OP_ADD_NODE || context().drawing_mode != 0) &&
             (mode == DRAG_START_NODE || mode == DRAG_END_NODE)) {
    left = OP_ADD_NODE;
    right = CMD_QUIT;
  } else if (mode == DRAG_MEASURE) {
    right = CMD_MOVE_RULER;
  }
  if ((context().session_flags & NODE_SESSION_ROUNDED_ARC) != 0) middle = CMD_NONE;
  button_commands_set(left, middle, right);
  if (left == OP_ADD_NODE) {
    g_node_drag.radius_readout = g_node_drag.to_readout = true;
    show_message_area(TOGGLES_TEXT);
  } else if (mode == DRAG_MEASURE) {
    show_message_area("");
  } else {
    help_push(MSG_HELP_NODE_DRAG);
    show_message_area(TOGGLES_TEXT);
  }
  draw_button_legend(1);
}

// The target point of a pointer move.
PointF target_point() {
  const HoverState& h = g_hover;
  const NodeDrag& d = g_node_drag;
  const int16_t mode = d.mode;
  PointF p = h.cursor_point;
  const bool whole = mode == DRAG_MOVE_LINK || mode == DRAG_MOVE_ITEM;
  switch (mode) {
    case 9: case 10: case 20: case 21: case 22: case 30: case 31: case 33: case 34: case 35:
      return p;
    default: break;
  }
  if (h.pick_kind != 0 && h.hover_item != nullptr) hover_point(&p);
  if (whole) return constrain_point(p, d.start, d.anchor);
  if (mode == 40 || mode == 41) {
    const PointF centre = item_nodes(context().item)[0].centre;
    return constrain_point(p, d.start, centre);
  }
  return constrain_point(p, d.reference, d.reference);
}

// What the side panel shows while measuring: the ruler from the current node to the cursor.
void show_measure_readouts(const PointF& p) {
  if (g_preferences.drawing.side_panel == 0) return;
  const LinkRecord* link = current_link();
  const PointF node = link->point;
  const double dx = static_cast<double>(p.x) - node.x;
  const double dy = static_cast<double>(p.y) - node.y;
  double degrees = std::atan2(dy, dx) * 180.0 / ANGLE_PI;
  if (degrees < 0.0) degrees += 360.0;
  constexpr int LENGTHS = FLOAT_NINE_COLUMNS | FLOAT_SIX_DECIMALS;
  constexpr int ANGLES = FLOAT_NINE_COLUMNS | FLOAT_DEGREES | FLOAT_TWO_DECIMALS;
  const struct {
    int row;
    double value;
    int format;
  } rows[] = {{9, std::hypot(dx, dy), LENGTHS}, {11, dx, LENGTHS},     {12, dy, LENGTHS},
              {14, degrees, ANGLES},            {16, node.x, LENGTHS}, {17, node.y, LENGTHS},
              {19, p.x, LENGTHS},               {20, p.y, LENGTHS}};
  const int column = g_display.current.last_column - 10;
  for (const auto& r : rows) {
    const std::string text = format_float_text(r.value, r.format);
    draw_text(r.row, column, text.c_str());
  }
  const int16_t pick = g_hover.pick_kind;
  const char* on = "            ";
  if (pick == -1) on = "\x0eon a \fcenter\x13";
  else if (pick >= PICK_FIRST_LINK_KIND) on = "\x0eon a \flink\x13  ";
  else if (pick == 1 || pick == 2) on = "\x0eon a \fnode\x13  ";
  draw_text(21, g_display.current.last_column - 12, on);
}

void show_readouts(const PointF& p) {
  char text[80];
  NodeDrag& d = g_node_drag;
  if (d.mode == DRAG_MEASURE) show_measure_readouts(p);
  if (d.to_readout) {
    std::snprintf(text, sizeof(text), "To: %.4f, %.4f", p.x, p.y);
    show_corner_status(text);
  }
}

// The radius after the move: the current arc's, a polar pattern's, or a flexed corner's.
void show_radius_readout() {
  NodeDrag& d = g_node_drag;
  const LinkRecord* link = current_link();
  const LinkRecord* first = item_nodes(context().item);
  double radius = -1.0;
  if (d.mode == 61 || is_fillet_drag(d.mode)) radius = context().fillet_radius;
  else if (!d.radius_readout) return;
  else if (code_is_arc(link->code)) radius = link->code;
  else if (item_type(context().item) == ITEM_POINT && first->code <= -64.0f &&
           point_array_kind(first + 1) == POINT_ARRAY_CIRCLE)
    radius = first->z;
  if (radius < 0.0) return;
  char text[48];
  std::snprintf(text, sizeof(text), "Radius: %.4f", radius);
  show_corner_status(text);
}

void pointer_moved() {
  NodeDrag& d = g_node_drag;
  const HoverState& h = g_hover;
  if (d.move_whole) {
    const PointF delta = h.cursor_delta;
    xor_draw_working_set();
    translate_working_set(delta);
    d.whole_moved.x += delta.x;
    d.whole_moved.y += delta.y;
    d.start.x += delta.x;
    d.start.y += delta.y;
    xor_draw_working_set();
    return;
  }
  const PointF p = target_point();
  show_readouts(p);
  xor_draw_working_set();
  apply_drag_mode(d.mode, p, h.raw_cursor_point);
  show_radius_readout();
  xor_draw_working_set();
}

// The link being drawn ends here; the dispatcher adds the next one at the end it names.
bool end_drawn_link() {
  NodeContext& c = context();
  LinkRecord* link = current_link();
  if (link_length(link) < SHORTEST_NEW_LINK) return false;
  const int32_t count = item_link_count(c.item);
  c.continue_index = c.link_index;
  if (c.link_index == count - 1 && !(c.link_index == 0 && c.pick == PICK_START_NODE)) ++c.continue_index;
  if (count == 1 && c.pick == PICK_END_NODE) c.continue_index = 1;
  g_edit.continue_node = c.continue_index;
  return true;
}

// The link being drawn starts again as an arc by three points: a flexible line for now, its
// second point taken by the next click.
void restart_arc(const char* notice) {
  LinkRecord* link = current_link();
  link->code = LINK_FLEXIBLE_LINE;
  link->sweep = 0.0f;
  link_bounding_box(link);
  button_commands_pop();
  button_commands_set(CMD_ARC_SECOND, CMD_SNAP_MENU, CMD_QUIT);
  show_notice(notice);
  show_corner_status("Drawing an arc");
  show_pick_prompt(SECOND_ARC_POINT);
}

// The node between the drawn link and the old polyline.
LinkRecord* joint_node() {
  NodeContext& c = context();
  const int16_t mode = g_node_drag.mode;
  if ((mode == DRAG_START_NODE || mode == DRAG_ARC_SECOND_START) && c.next >= 0)
    return item_nodes(c.item) + c.next;
  if ((mode == DRAG_END_NODE || mode == DRAG_ARC_SECOND_END) && c.previous >= 0)
    return current_link();
  return nullptr;
}

void set_node_kind(LinkRecord* node, uint8_t kind) {
  node->node_flags = static_cast<uint8_t>((node->node_flags & ~(NODE_LOOSE | NODE_TANGENT)) | kind);
}

// Keys A, B, F, R, L and T while a polyline is drawn.
void drawing_key(int key) {
  NodeContext& c = context();
  NodeDrag& d = g_node_drag;
  LinkRecord* link = current_link();
  xor_draw_working_set();
  switch (key) {
    case 'a':
      if (d.mode == DRAG_START_NODE || d.mode == DRAG_END_NODE)
        restart_arc("Changed to arc...");
      break;
    case 'b':
      if (d.mode == DRAG_START_NODE || d.mode == DRAG_END_NODE) {
        link->code = LINK_SPLINE;
        show_notice("Changed to B-Spline...");
        show_corner_status("Drawing a B-Spline");
        show_pick_prompt(POINTS_WITH_MOUSE);
      }
      break;
    case 'f':
    case 'r': {
      const int16_t was = d.mode;
      if (d.mode == DRAG_ARC_SECOND_START) d.mode = DRAG_START_NODE;
      if (d.mode == DRAG_ARC_SECOND_END) d.mode = DRAG_END_NODE;
      LinkRecord* node = joint_node();
      if (node == nullptr) {
        d.mode = was;
        break;
      }
      set_node_kind(node, NODE_LOOSE);
      link->code = key == 'f' ? LINK_FLEXIBLE_LINE : LINK_RIGID_LINE;
      link->sweep = 0.0f;
      link_bounding_box(link);
      button_commands_pop();
      button_commands_set(OP_ADD_NODE, CMD_SNAP_MENU, CMD_QUIT);
      show_notice(key == 'f' ? "Changed to Flexible line..." : "Changed to Rigid line ...");
      show_corner_status(key == 'f' ? "Draw Flexible line" : "Drawing Rigid line");
      show_pick_prompt(POINTS_WITH_MOUSE);
      break;
    }
    case 'l':
    case 't': {
      if (d.mode != DRAG_START_NODE && d.mode != DRAG_END_NODE) break;
      LinkRecord* node = joint_node();
      if (node == nullptr) break;
      set_node_kind(node, key == 'l' ? NODE_LOOSE : NODE_TANGENT);
      if (key == 'l' && code_is_arc(link->code)) {
        restart_arc("Node is now loose...");
        break;
      }
      show_notice(key == 'l' ? "Node is now loose..." : "Node is now tangent...");
      const int16_t left = bound_command(BUTTON_LEFT_BIT);
      if (left == CMD_ARC_SECOND || left == CMD_ARC_END) {
        button_commands_pop();
        if (key == 't') {
          d.radius_readout = true;
          button_commands_set(CMD_ARC_END, CMD_SNAP_MENU, CMD_QUIT);
        } else {
          link->code = LINK_FLEXIBLE_LINE;
          link->sweep = 0.0f;
          button_commands_set(CMD_ARC_SECOND, CMD_SNAP_MENU, CMD_QUIT);
        }
        show_pick_prompt(END_OF_ARC);
      }
      if (key == 't') refit_link_at_node(c.link_index);
      break;
    }
    default: break;
  }
  fill_node_context(&c, c.item, c.link_index, c.pick);
  xor_draw_working_set();
}

// Esc while drawing: the rubber-band link goes; with none left before it the drawing ends.
void escape_while_drawing() {
  NodeContext& c = context();
  NodeDrag& d = g_node_drag;
  const int32_t count = item_link_count(c.item);
  if ((c.drawing_mode & NODE_DRAWING_CONTINUE) != 0 && count <= c.drawing_link_count + 1) {
    xor_draw_working_set();
    if (d.mode == DRAG_START_NODE) delete_node(c.item, item_nodes(c.item), DELETE_NODE_REMOVE);
    else delete_node(c.item, current_link(), DELETE_NODE_CUT_OFF);
    xor_draw_working_set();
    d.finish = true;
    return;
  }
  const bool has_more = d.mode == DRAG_START_NODE ? c.next >= 0 : c.previous >= 0;
  if (!has_more) {
    d.cancel = true;
    return;
  }
  xor_draw_working_set();
  if (d.mode == DRAG_END_NODE) {
    c.link_index -= 1;
    shrink_node_array(c.item, 1);
  } else {
    shrink_node_array(c.item, -1);
  }
  fill_node_context(&c, c.item, c.link_index, c.pick);
  c.drawing_mode |= NODE_DRAWING_LINK_ERASED;
  // The pointer goes back to the node now being dragged.
  LinkRecord* link = current_link();
  const PointF dragged = d.mode == DRAG_END_NODE ? link[1].point : link->point;
  glide_to_world_point(dragged, ESC_GLIDE_DELAY);
  const LinkRecord* behind = d.mode == DRAG_END_NODE ? link : context_record(c, c.next);
  if (code_is_arc(link->code) && behind != nullptr &&
      (behind->node_flags & NODE_LOOSE) != 0)
    restart_arc("Changed to arc...");
  xor_draw_working_set();
}

void toggle_move_whole() {
  NodeDrag& d = g_node_drag;
  d.move_whole = !d.move_whole;
  if (d.move_whole) {
    d.saved_letter = context().letter;
    d.whole_moved = {0.0f, 0.0f};
  } else {
    context().letter = d.saved_letter;
  }
}

void quit_drag() {
  NodeDrag& d = g_node_drag;
  NodeContext& c = context();
  if (d.move_whole) {
    xor_draw_working_set();
    translate_working_set({-d.whole_moved.x, -d.whole_moved.y});
    xor_draw_working_set();
    d.move_whole = false;
    return;
  }
  if ((c.drawing_mode & NODE_DRAWING_LINK_ERASED) != 0) {
    d.finish = true;
    return;
  }
  d.cancel = true;
}

// The running totals of the nudging, as a block in the side panel (its three rows fit there; the
// corner strip under the drawing has two).
void show_nudge_totals(const PointF& total) {
  if (g_preferences.drawing.side_panel == 0) return;
  constexpr int TOTALS_FORMAT = FLOAT_NINE_COLUMNS | FLOAT_SIX_DECIMALS;
  const std::string x = format_float_text(total.x, TOTALS_FORMAT);
  const std::string y = format_float_text(total.y, TOTALS_FORMAT);
  const std::string lines[] = {"Total movement", "  X: " + x + "   ", "  Y: " + y + "   "};
  const CellMetrics& m = g_display.current;
  const int top = m.last_row - NUDGE_TOTALS_ROWS_UP;
  for (int i = 0; i < 3; ++i)
    draw_text(top + i, m.last_column - NUDGE_TOTALS_COLUMNS_IN, lines[i].c_str());
}

void nudge(EventCode code) {
  NodeDrag& d = g_node_drag;
  if (nudge_vector(code) == 0) return;
  const PointF v = g_edit.nudge;
  xor_draw_working_set();
  translate_working_set(v);
  xor_draw_working_set();
  d.nudge_total.x += v.x;
  d.nudge_total.y += v.y;
  show_nudge_totals(d.nudge_total);
}

// A snap point or a typed point taken as a click.
void point_taken(const PointF& p) {
  NodeDrag& d = g_node_drag;
  xor_draw_working_set();
  apply_drag_mode(d.mode, p, p);
  xor_draw_working_set();
  const int16_t left = bound_command(BUTTON_LEFT_BIT);
  if (d.mode == DRAG_MEASURE) {
    draw_button_legend(0);
    d.measure_pending = true;
    return;
  }
  if (left == CMD_ARC_SECOND || left == CMD_ARC_END || left == OP_ADD_NODE) {
    push_input_code_front(left);
    return;
  }
  d.finish = true;
}

// A value character typed during a drag: the point (or, moving the item, the offset) is read on
// the entry line from the current link's other end. True when the entry gave one.
bool typed_entry(EventCode code) {
  NodeDrag& d = g_node_drag;
  CoordEntry& e = g_coord.entry;
  push_input_code_front(code);
  zero_coord_entry(&e);
  e.reference = d.reference;
  e.current = d.reference;
  reset_entry_preview();
  entry_back_is_cancel();
  int result = 0;
  if (d.mode == DRAG_MOVE_ITEM) {
    result = coordinate_entry_line(&e, 0x0401, ENTRY_KIND_OFFSET, ENTRY_PROMPT_FROM_REFERENCE);
    if (result < 1 || result > 4) return false;
    xor_draw_working_set();
    translate_working_set({e.current.x - e.reference.x, e.current.y - e.reference.y});
    xor_draw_working_set();
    d.finish = true;
    return true;
  }
  do {
    result = coordinate_entry_line(&e, 0x0401, ENTRY_KIND_POINT, ENTRY_PROMPT_FINAL_POINT);
  } while (result > 4 && result != ENTRY_CLOSE);
  if (result < 1 || result > 4) return false;
  g_hover.cursor_point = e.current;
  point_taken(e.current);
  return true;
}

void typed_fillet_radius(EventCode code);

void handle_event(EventCode code) {
  NodeDrag& d = g_node_drag;
  NodeContext& c = context();
  switch (code) {
    case EVENT_POINTER_MOVE: pointer_moved(); return;
    case 462: xor_draw_working_set(); xor_draw_working_set(); return;
    case 's':
    case 'S':
    case CMD_SNAP_MENU: {
      PointF p{};
      if (snap_via_menu(c.snap_context, &p) == 0) point_taken(p);
      return;
    }
    case KEY_CTRL_LEFT:
    case KEY_CTRL_RIGHT:
    case KEY_CTRL_UP:
    case KEY_CTRL_DOWN:
      if (d.mode == DRAG_NUDGE) nudge(code);
      return;
    case EVENT_CTRL_UP:
      if (d.mode == DRAG_NUDGE) d.finish = true;
      return;
    case CMD_FINISHED:
    case KEY_ENTER:
      if (d.mode == DRAG_MEASURE) d.cancel = true;
      else d.finish = true;
      return;
    case OP_ADD_NODE:
    case CMD_ARC_END:
      if (end_drawn_link()) d.finish = true;
      return;
    case CMD_ARC_SECOND:
      d.arc_second = g_hover.cursor_point;
      if (d.mode == DRAG_START_NODE) d.mode = DRAG_ARC_SECOND_START;
      else d.mode = DRAG_ARC_SECOND_END;
      d.radius_readout = true;
      button_commands_pop();
      button_commands_set(CMD_ARC_END, CMD_SNAP_MENU, CMD_QUIT);
      show_pick_prompt(END_OF_ARC);
      return;
    case CMD_TOGGLE_WHOLE:
    case CMD_MOVE_RULER: toggle_move_whole(); return;
    case CMD_QUIT: quit_drag(); return;
    case KEY_ESC:
      if (d.move_whole) {
        quit_drag();
      } else if (c.drawing_mode != 0 &&
                 (d.mode == DRAG_START_NODE || d.mode == DRAG_END_NODE)) {
        escape_while_drawing();
      } else if (d.mode == DRAG_ARC_SECOND_START || d.mode == DRAG_ARC_SECOND_END) {
        d.mode = d.mode == DRAG_ARC_SECOND_START ? DRAG_START_NODE : DRAG_END_NODE;
        xor_draw_working_set();
        restart_arc("Need 2nd point of arc...");
        xor_draw_working_set();
      } else {
        quit_drag();
      }
      return;
    case EVENT_QUIT:
      push_input_code(EVENT_QUIT);
      d.cancel = true;
      return;
    default: break;
  }
  if (starts_typed_value(code) && is_fillet_drag(d.mode)) {
    typed_fillet_radius(code);
    return;
  }
  if (starts_typed_value(code) && typed_entry(code)) return;
  if (code <= 0 || code >= 128) return;
  const int key = code | 0x20;
  if (c.drawing_mode != 0 && std::strchr("abfrlt", key) != nullptr) {
    drawing_key(key);
    return;
  }
  // Any other character may be a snap's hot key.
  const int snap = snap_by_key(code, c.snap_context);
  PointF p{};
  if (snap >= 0 && snap_point(snap, &p) == 0) point_taken(p);
}

// After a measured point: the pointer shows where it was taken and waits for a key or click.
void continue_measuring() {
  NodeDrag& d = g_node_drag;
  d.measure_pending = false;
  const int saved_x = g_pointer.wanted_x;
  const int saved_y = g_pointer.wanted_y;
  glide_to_world_point(g_hover.cursor_point, g_pointer.glide_delay);
  show_message_area(CONTINUE_MEASURING_TEXT);
  wait_click_or_key(WAIT_CLICK_OR_KEY);
  glide_pointer(saved_x, saved_y);
  show_message_area(TOGGLES_TEXT);
  show_prompt(CONTINUE_SELECTING_TEXT);
}

int drag_loop(int op, int16_t mode);

// The fillet commands: a picked node first gets a link for the arc; then by value the fillet
// is made (or, with radius 0, taken out) at once, by dragging it follows the pointer.
int fillet_entry(int op, int16_t mode) {
  NodeContext& c = context();
  const auto node_pick_kind = [](int16_t pick) {
    return pick == PICK_START_NODE || pick == PICK_END_NODE;
  };
  if ((c.session_flags & NODE_SESSION_FILLET_AT_NODE) != 0 || node_pick_kind(c.pick)) {
    if (insert_fillet_record() != 0) return end_session(false);
    mode = static_cast<int16_t>(node_command_check(static_cast<int16_t>(op), c.link_index, c.pick));
  }
  if (op == CMD_FILLET_VALUE) {
    if (mode == DRAG_NOT_POSSIBLE) return end_session(false);
    const int done = c.fillet_radius > 0.0f ? fillet_at_node_by_value() : remove_fillet();
    return end_session(done == 0);
  }
  if (!is_fillet_drag(mode)) return end_session(false);
  return drag_loop(op, mode);
}

// A radius typed during a fillet drag: the fillet by value, which ends the drag when it fits.
void typed_fillet_radius(EventCode code) {
  NodeContext& c = context();
  float radius = 0.0f;
  if (read_typed_offset(code, &radius) != 0) return;
  const float dragged = c.fillet_radius;
  c.fillet_radius = radius;
  xor_draw_working_set();
  const int done = fillet_at_node_by_value();
  xor_draw_working_set();
  if (done != 0) {
    c.fillet_radius = dragged;
    if (done != FILLET_VALUE_TOO_LARGE) show_notice(FILLET_VALUE_REFUSED_TEXT);
    return;
  }
  c.session_flags = NODE_SESSION_TYPED_FILLET;
  g_node_drag.finish = true;
}

int drag_loop(int op, int16_t mode) {
  NodeDrag& d = g_node_drag;
  NodeContext& c = context();
  const int16_t keep_mode = d.mode;
  (void)keep_mode;
  d = NodeDrag{};
  d.mode = mode;
  hover_point(&d.start);
  d.anchor = d.start;
  if ((item_nodes(c.item)[0].node_flags & NODE_SYMMETRY_MASK) != 0)
    d.anchor = item_nodes(c.item)[0].point;
  LinkRecord* link = current_link();
  d.reference = c.dragged == NODE_POINT_NEXT ? link->point : link[1].point;
  g_hover.hover_item = nullptr;
  g_hover.pick_kind = 0;
  set_drag_bindings(op, mode);
  g_edit.command_mark = EDIT_COMMAND_OPEN;
  while (!d.finish && !d.cancel) {
    if (d.measure_pending) continue_measuring();
    const EventCode code = next_editor_event();
    handle_event(code);
    while (propagation_pending() && poll_input_code(EVENT_PEEK_LIMIT) == 0) {
      xor_draw_working_set();
      propagation_round();
      xor_draw_working_set();
    }
  }
  button_commands_pop();
  if (!(d.mode == DRAG_MEASURE)) help_pop();
  if (d.mode == DRAG_MEASURE) d.cancel = true;
  return end_session(d.finish && !d.cancel);
}

}  // namespace

int node_edit_session(int op_in) {
  int op = std::abs(op_in);
  NodeContext& c = context();
  HoverState& h = g_hover;
  DrawingItem* hovered = h.hover_item;
  if (hovered == nullptr || hovered->extra.empty()) {
    leave_hover();
    return -1;
  }
  c.item = hovered;
  c.link_index = h.link_index;
  c.pick = h.pick_kind;
  c.closed = static_cast<uint8_t>(item_nodes(hovered)[0].node_flags & NODE_KIND_MASK);
  c.drawing_mode &= static_cast<uint8_t>(~NODE_DRAWING_LINK_ERASED);
  c.continue_index = -1;
  g_edit.continue_node = -1;
  if (op == OP_CONTINUE_POLYLINE) {
    c.drawing_mode = NODE_DRAWING_CONTINUE;
    c.drawing_link_count = item_link_count(hovered);
  } else if (op != OP_ADD_NODE && op_in >= 0) {
    // A negated op comes from a drawing tool's first drag: the drawing goes on after it.
    c.drawing_mode = 0;
  }
  if (deletes_whole_item(op, hovered)) {
    leave_hover();
    return delete_whole_item(hovered);
  }
  // Offsets by value that make new items leave the item itself alone.
  if (op == OP_OFFSET_ITEM || (op == OP_OFFSET_LINK && g_offset.create_new_link)) {
    const float d = c.offset_distance;
    LinkRecord* link = h.hover_link != nullptr ? h.hover_link : item_nodes(hovered);
    leave_hover();
    if (op == OP_OFFSET_ITEM) return offset_item_by_value(hovered, d);
    return offset_new_links(hovered, link, d) > 0 ? 0 : -1;
  }
  if (edit_begin(hovered, 1) < 0) {
    leave_hover();
    return -1;
  }
  take_working_copy();
  int16_t mode = DRAG_NOT_POSSIBLE;
  if (op == OP_CONTINUE_POLYLINE) {
    const bool at_start = c.pick == PICK_START_NODE;
    if (extend_polyline_at_end(c.item, at_start ? 1 : 0, g_edit.session_tool) != 0) {
      get_message(MSG_ITEM_CANNOT_GROW);
      return end_session(false);
    }
    c.link_index = at_start ? 0 : item_link_count(c.item) - 1;
    c.pick = at_start ? PICK_START_NODE : PICK_END_NODE;
    const int added = at_start ? DRAG_START_NODE : DRAG_END_NODE;
    c.drawing_tool = g_edit.session_tool;
    op = OP_ADD_NODE;
    mode = static_cast<int16_t>(added);
    fill_node_context(&c, c.item, c.link_index, c.pick);
  } else if (op == OP_SEPARATE) {
    return separate_working_copy();
  } else if (op == OP_BREAK) {
    return break_working_copy();
  } else if (op == OP_CUT_LINK || op == OP_BREAK_BY_CONSTRUCTION) {
    return cancel_with_notice();
  } else if (op == OP_ADD_NODE_AT_END) {
    apply_node_menu_choice(c.item, c.link_index, NODE_MENU_PLAIN_POLYLINE);
  }
  if (mode == DRAG_NOT_POSSIBLE && (op == OP_ADD_NODE || op == OP_ADD_NODE_AT_END)) {
    const int made = make_new_node(&op);
    if (made == -1) {
      get_message(MSG_ITEM_CANNOT_GROW);
      return end_session(false);
    }
    if (made == 1) return end_session(true);
    if (op == OP_ADD_NODE) {
      mode = static_cast<int16_t>(made);
      fill_node_context(&c, c.item, c.link_index, c.pick);
    }
  }
  if (mode == DRAG_NOT_POSSIBLE) {
    mode = static_cast<int16_t>(node_command_check(static_cast<int16_t>(op), c.link_index, c.pick));
    if (op == OP_NODE_MENU) {
      // The Change menu's choice is what the session changes.
      c.menu_cell = g_edit.change_choice;
      const int chosen = apply_node_menu_choice(c.item, c.link_index, c.menu_cell);
      if (chosen == 0) return end_session(true);
      if (chosen == NODE_MENU_UNCHANGED) return end_session(false);
      mode = static_cast<int16_t>(node_command_check(static_cast<int16_t>(-chosen), c.link_index,
                                                     c.pick));
    }
  }
  if (mode == DRAG_NOT_POSSIBLE) return end_session(false);
  if (is_fillet_drag(mode) || mode == CMD_FILLET_DRAG || mode == CMD_FILLET_VALUE)
    return fillet_entry(op, mode);
  if (mode < 0) {
    const int done = run_one_shot(mode);
    if (done < 0) return end_session(false);
    if (done == ONE_SHOT_COMMIT) {
      LinkRecord* link = current_link();
      rederive_arc(link);
      propagate_node_move();
    }
    return end_session(true);
  }
  if (mode == OP_NODE_MENU) return end_session(false);
  return drag_loop(op, mode);
}
