#include "commands/node_command_check.h"

#include <cmath>
#include <initializer_list>

#include "commands/node_context_fill.h"
#include "commands/node_menu_choice.h"
#include "commands/node_propagation.h"
#include "editor/edit_session.h"
#include "geometry/geometry2d.h"
#include "geometry/item_edit_state.h"
#include "geometry/link_moves.h"
#include "geometry/node_surgery.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/store_host.h"
#include "text/text_layout.h"
#include "ui/message_box.h"
#include "store/line_list.h"

namespace {

// Set while the dispatcher only asks what a command would do: no questions, no changes.
bool g_testing = false;

struct Check {
  NodeContext& c;
  DrawingItem* item;
  uint8_t type;
  LinkRecord* current;
  int16_t command;
  int arcs;
  bool text_flag;
};

bool in(int16_t value, std::initializer_list<int> set) {
  for (int v : set)
    if (value == v) return true;
  return false;
}

bool node_pick(int16_t pick) { return pick < PICK_FIRST_LINK_KIND; }
bool link_pick(int16_t pick) { return pick > 0 && (pick & 0x30) != 0; }
bool is_frame(uint8_t type) { return type == ITEM_RECTANGLE || type == ITEM_TEXT; }

int16_t letter(Check& k, char l) {
  k.c.letter = l;
  return 0;
}

// An answer of the user, or the answer a test assumes (the command goes on).
bool ask_go_on(int message) {
  if (g_testing) return true;
  get_message(message);
  return ask_yes_no(message_text(), 0) == 1;
}

// 1 or 2, or 0 when the user chose nothing; a test takes the first.
int ask_choice(int message) {
  if (g_testing) return 1;
  const int16_t chosen = ask_catalogue_choice(message, 0);
  if (chosen == 0 || chosen == 1) return chosen + 1;
  return 0;
}

void refuse_symmetry_marker() {
  if (!g_testing) get_message(MSG_SYMMETRY_MARKER_REFUSED);
}

// Inserts a zero-length loose link before record k (k >= 1): the link before it no longer ends
// where the moved link starts. False when the item could not grow.
bool insert_zero_link_before(DrawingItem* item, int32_t k) {
  if (grow_node_array(item, 1) == nullptr) return false;
  open_link_gap(item, k - 1, 1);
  LinkRecord* r = item_nodes(item);
  r[k] = r[k + 1];
  r[k].code = LINK_FLEXIBLE_LINE;
  r[k].sweep = 0.0f;
  r[k].link_flags = 0;
  r[k].node_flags = static_cast<uint8_t>((r[k + 1].node_flags & ~NODE_KIND_MASK) | NODE_LOOSE);
  r[k].node_flags &= static_cast<uint8_t>(~NODE_FIRST);
  r[k].node_number = ++g_item_edit.node_counter;
  r[k + 1].node_flags = static_cast<uint8_t>((r[k + 1].node_flags & ~NODE_KIND_MASK) | NODE_LOOSE);
  link_bounding_box(&r[k]);
  return true;
}

bool continues(const LinkRecord* a, const LinkRecord* b) {
  if (code_is_arc(a->code) && code_is_arc(b->code))
    return std::fabs(a->code - b->code) <= 1e-5f &&
           std::hypot(a->centre.x - b->centre.x, a->centre.y - b->centre.y) <= 1e-4f;
  if (code_is_line(a->code) && code_is_line(b->code))
    return abs_angle_difference(point_angle(&a->point, &a[1].point),
                                point_angle(&b->point, &b[1].point)) <= 1e-4;
  return false;
}

// Keeps the neighbours of an extruded polyline link in place where they just continue it.
int16_t separate_continuing_neighbours(Check& k) {
  NodeContext& c = k.c;
  if (g_testing) return 10;
  LinkRecord* r = item_nodes(k.item);
  if (c.previous >= 0 && continues(&r[c.previous], &r[c.link_index])) {
    if (!insert_zero_link_before(k.item, c.link_index)) return DRAG_NOT_POSSIBLE;
    fill_node_context(&c, k.item, c.link_index + 1, c.pick);
    r = item_nodes(k.item);
  }
  if (c.next >= 0 && continues(&r[c.next], &r[c.link_index])) {
    if (!insert_zero_link_before(k.item, c.link_index + 1)) return DRAG_NOT_POSSIBLE;
    fill_node_context(&c, k.item, c.link_index, c.pick);
  }
  return 10;
}

int16_t link_rule(Check& k);

int16_t extrude_rule(Check& k);

int16_t move_rule(Check& k) {
  NodeContext& c = k.c;
  const int16_t pick = c.pick;
  const uint8_t t = k.type;
  if (is_frame(t)) {
    if (pick == -1) {
      letter(k, '=');
      return DRAG_MOVE_ITEM;
    }
    if (!(t == ITEM_TEXT && k.text_flag)) {
      if (k.arcs > 0) {
        k.command = link_pick(pick) ? 811 : 810;
        return link_rule(k);
      }
      if (k.command == 802 && node_pick(pick)) return 49;
    }
  }
  if (t == ITEM_POLYGON) {
    if (pick == -1) return DRAG_MOVE_ITEM;
    if (node_pick(pick)) return DRAG_POLYGON_NODE;
    c.snap_context = 2;
    return 41;
  }
  if (t == ITEM_SLOT || t == ITEM_ROUNDED_RECTANGLE) {
    if (pick == -1) return t == ITEM_SLOT ? 37 : 65;
    letter(k, 'F');
    return extrude_rule(k);
  }
  if (link_pick(pick)) {
    c.dragged = NODE_POINT_CURRENT;
    c.other = NODE_POINT_NEXT;
    if (k.current->code == LINK_QUADRATIC) return 53;
    c.snap_context = 2;
    return DRAG_MOVE_LINK;
  }
  if (pick == -1) return DRAG_MOVE_CENTRE;
  const bool arc = code_is_arc(k.current->code);
  if (arc && k.current->sweep == SWEEP_CENTRE_CIRCLE) return DRAG_MOVE_NODE;
  if (arc && k.current->sweep == SWEEP_RADIUS_CIRCLE)
    return c.dragged == NODE_POINT_NEXT ? DRAG_END_NODE : DRAG_MOVE_CENTRE;
  if (t == ITEM_POINT) return 46;
  if (t == ITEM_ELLIPSE || t == ITEM_TEXT_LIKE) return 43;
  if (pick == PICK_END_NODE) return DRAG_END_NODE;
  if (c.link_index == 0) return DRAG_START_NODE;
  if (k.current->code == LINK_QUADRATIC && c.previous_code == (LINK_KIND_CURVE | LINK_KIND_TANGENT) &&
      c.previous >= 0 && item_nodes(k.item)[c.previous].code == LINK_QUADRATIC)
    return 52;
  return DRAG_MOVE_NODE;
}

int16_t extrude_rule(Check& k) {
  NodeContext& c = k.c;
  const uint8_t t = k.type;
  const LinkRecord* cur = k.current;
  if (cur->code == LINK_BOX && node_pick(c.pick)) return move_rule(k);
  if (t == ITEM_SLOT) return node_pick(c.pick) ? 36 : 35;
  if (t == ITEM_ELLIPSE || t == ITEM_TEXT_LIKE) return 44;
  if (t == ITEM_POINT) return 47;
  if (t == ITEM_ROUNDED_RECTANGLE) return code_is_arc(cur->code) ? DRAG_NOT_POSSIBLE : 62;
  if (code_is_arc(cur->code)) {
    if (cur->sweep == SWEEP_RADIUS_CIRCLE) return 6;
    if (cur->sweep == SWEEP_DIAMETER_CIRCLE) return 32;
    if (cur->sweep == SWEEP_CENTRE_CIRCLE) return 31;
  }
  if (((c.previous_code | c.next_code) & LINK_KIND_TANGENT) != 0) return DRAG_NOT_POSSIBLE;
  return link_rule(k);
}

int16_t link_rule(Check& k) {
  NodeContext& c = k.c;
  const uint8_t t = k.type;
  const int16_t command = k.command;
  if (c.pick < 17) {
    if (t == ITEM_POLYGON) return 38;
    if (t == ITEM_TEXT && k.text_flag && command == 815) return 14;
    if (command == 815) return DRAG_NOT_POSSIBLE;
    if (is_frame(t) && k.arcs > 0) return 7;
    return c.pick == PICK_END_NODE ? 19 : 8;
  }
  if (is_frame(t)) {
    if (k.arcs == 0 || code_is_arc(k.current->code)) {
      if (command == 810) return 810;
      if (k.arcs > 0 && command != 811) return 33;
      if (command == 815) return 12;
      return 10;
    }
    if (k.arcs == 1) return DRAG_NOT_POSSIBLE;
    if (command == 811) return 9;
    if (command == 810) return 810;
    return 34;
  }
  if (t == ITEM_POLYGON) return 39;
  if (t == ITEM_CIRCLE) return 30;
  if (t == ITEM_ROUNDED_RECTANGLE) return 64;
  if (t != ITEM_POLYLINE) return DRAG_NOT_POSSIBLE;
  if (command == 815) return 21;
  return separate_continuing_neighbours(k);
}

int16_t fillet_rule(Check& k) {
  NodeContext& c = k.c;
  const LinkRecord* cur = k.current;
  int16_t next_code = c.next_code;
  if (link_pick(c.pick)) {
    if ((c.previous < 0 || c.next < 0) && c.closed == 0) return DRAG_NOT_POSSIBLE;
  } else {
    if (cur->code < LINK_RIGID_LINE || cur->sweep < 0.0f) return DRAG_NOT_POSSIBLE;
    next_code = link_kind_code(cur);
  }
  if (k.command == 867) return 867;
  const bool prev_line = (c.previous_code & LINK_KIND_STRAIGHT) != 0;
  const bool next_line = (next_code & LINK_KIND_STRAIGHT) != 0;
  const bool prev_arc = (c.previous_code & LINK_KIND_ARC) != 0;
  const bool next_arc = (next_code & LINK_KIND_ARC) != 0;
  int16_t mode = -2;
  if (prev_line && next_line) mode = 23;
  else if ((prev_line && next_arc) || (prev_arc && next_line)) mode = 24;
  else if (prev_arc && next_arc) mode = 3;
  if (mode == -2) {
    if (c.previous < 0 || c.next < 0) {
      if ((c.session_flags & NODE_SESSION_FILLET_AT_NODE) != 0 ||
          (link_pick(c.pick) && c.closed != 0))
        return 833;
    }
    if ((c.previous_code & LINK_KIND_CURVE) != 0) c.fillet_on_curve = 1;
    return DRAG_NOT_POSSIBLE;
  }
  if (node_pick(c.pick)) c.session_flags |= NODE_SESSION_FILLET_AT_NODE;
  c.snap_context = 0;
  return mode;
}

int16_t flex_tail(Check& k) {
  NodeContext& c = k.c;
  letter(k, '6');
  c.snap_context = 10;
  if (k.type == ITEM_TEXT) return k.text_flag ? DRAG_FLEX_ARC : 11;
  if (k.type == ITEM_RECTANGLE) return 11;
  const LinkRecord* cur = k.current;
  if (code_is_arc(cur->code)) {
    if (cur->sweep == SWEEP_RADIUS_CIRCLE) return 6;
    if (cur->sweep == SWEEP_DIAMETER_CIRCLE) return 32;
    if (cur->sweep == SWEEP_CENTRE_CIRCLE) return 31;
  }
  constexpr int16_t RIGID_TANGENT = LINK_KIND_RIGID | LINK_KIND_TANGENT;
  if (c.previous_code == RIGID_TANGENT && c.next_code == RIGID_TANGENT) {
    c.snap_context = 0;
    return 23;
  }
  return DRAG_FLEX_ARC;
}

int16_t flex_rule(Check& k) {
  NodeContext& c = k.c;
  const uint8_t t = k.type;
  LinkRecord* cur = k.current;
  if (node_pick(c.pick)) {
    if (t == ITEM_RECTANGLE || t == ITEM_TEXT || t == ITEM_ROUNDED_RECTANGLE) {
      letter(k, 'F');
      return extrude_rule(k);
    }
    return move_rule(k);
  }
  if (t == ITEM_ELLIPSE || t == ITEM_TEXT_LIKE) return 45;
  if (t == ITEM_POINT) return 48;
  if (t == ITEM_SLOT) {
    if (code_is_arc(cur->code)) return 42;
    return extrude_rule(k);
  }
  if (t == ITEM_ROUNDED_RECTANGLE) {
    if (code_is_arc(cur->code)) {
      c.session_flags |= NODE_SESSION_ROUNDED_ARC;
      return 61;
    }
    return extrude_rule(k);
  }
  int choice_message = 0;
  if (t == ITEM_POLYGON) {
    choice_message = MSG_CHOICE_FLEX_POLYGON;
  } else if (cur->code == LINK_RIGID_LINE) {
    if (is_frame(t)) return extrude_rule(k);
    choice_message = c.next >= 0 && item_nodes(k.item)[c.next].code == LINK_RIGID_LINE
                         ? MSG_CHOICE_FLEX_RIGID_RUN
                         : MSG_CHOICE_FLEX_RIGID;
  } else if (cur->code < LINK_RIGID_LINE) {
    return 0;
  }
  if (choice_message != 0) {
    const int choice = ask_choice(choice_message);
    if (choice == 0) return DRAG_NOT_POSSIBLE;
    if (!g_testing) {
      if (choice == 1 && choice_message == MSG_CHOICE_FLEX_RIGID_RUN) {
        apply_node_menu_choice(k.item, c.link_index, NODE_MENU_FLEXIBLE_LINE);
      } else if (t == ITEM_POLYGON) {
        apply_node_menu_choice(k.item, c.link_index, NODE_MENU_PLAIN_POLYLINE);
        k.type = ITEM_POLYLINE;
      } else {
        set_code_on_run(cur, LINK_FLEXIBLE_LINE);
      }
      fill_node_context(&c, k.item, c.link_index, c.pick);
    }
  }
  return flex_tail(k);
}

int16_t slide_rule(Check& k) {
  NodeContext& c = k.c;
  const uint8_t t = k.type;
  if (t == ITEM_TEXT && k.text_flag) return 14;
  if (is_frame(t)) {
    letter(k, '9');
    if (link_pick(c.pick)) k.command = 815;
    return link_rule(k);
  }
  if (t == ITEM_ROUNDED_RECTANGLE) return 63;
  letter(k, '8');
  if (code_is_arc(k.current->code) && k.current->sweep == SWEEP_CENTRE_CIRCLE) {
    c.pick = PICK_ON_LINK_NEAR_START;
    k.command = 815;
    letter(k, '9');
    return link_rule(k);
  }
  if (t != ITEM_POLYLINE) return DRAG_NOT_POSSIBLE;
  if (c.previous >= 0 || (c.dragged == NODE_POINT_NEXT && c.next >= 0)) return 25;
  return 14;
}

int16_t by_command(Check& k) {
  NodeContext& c = k.c;
  const int16_t command = k.command;
  switch (command) {
    case 59: letter(k, '%'); return DRAG_MEASURE;
    case 108: return -108;
    case 116: return -116;
    case 886: return 27;
    case 900:
      return c.pick == -1 || (k.current->code > 0.0f && k.current->sweep < 0.0f) ? -901 : -900;
    case 926: return -56;
    case 927: return -57;
    case 928: return -58;
    case -896: letter(k, 'P'); return command;
    case -897: letter(k, 'J'); return command;
    case -809: letter(k, 'M'); return command;
    case 804: letter(k, '='); return DRAG_MOVE_ITEM;
    case 818:
      return (c.closed == 0 && c.link_index == 0) || c.pick == PICK_END_NODE ? -819 : -818;
    case 819: return node_pick(c.pick) ? DRAG_NOT_POSSIBLE : -819;
    case 833:
    case 867: return fillet_rule(k);
    case 802:
    case 803: return move_rule(k);
    case 807: return flex_rule(k);
    case 810:
      letter(k, '7');
      if (is_frame(k.type) && k.arcs == 0) return 50;
      return extrude_rule(k);
    case 811: letter(k, 'F'); return extrude_rule(k);
    case 814: return slide_rule(k);
    case 815: letter(k, '9'); return link_rule(k);
    default: break;
  }
  if (in(command, {805, 809, 817, 863, 866, 869, 870, 874, 875, 876, 877, 878, 896, 897, 898, 899,
                   903, 904, 906, 907, 910, 923, 929}))
    return static_cast<int16_t>(-command);
  return command;
}

// Item types that keep only a few commands and turn the rest into a node move.
bool remap_by_type(Check& k, int16_t* out) {
  const uint8_t t = k.type;
  int16_t& command = k.command;
  if (in(command, {926, 927, 928})) return false;
  if (t == ITEM_RESERVED_22) {
    if (in(command, {818, 819, 906, 907, 908})) {
      *out = command;
      return true;
    }
    *out = 66;
    return true;
  }
  if (t == ITEM_POINT) {
    const uint8_t kind = point_array_kind(item_closing_record(k.item));
    if (kind == 0) {
      if (!in(command, {818, 819, 906, 907, 908})) command = 802;
    } else {
      if (command == 814 || command == 815) command = 810;
      else if (!in(command, {804, 807, 810, 811, 818, 819, 906, 907, 908})) command = 802;
    }
  } else if ((t == ITEM_ELLIPSE && command != 904) || t == ITEM_TEXT_LIKE) {
    if (command == 814 || command == 815) command = 810;
    else if (!in(command, {804, 807, 810, 811, 869, 870, 906, 907, 908})) command = 802;
    if (command == 802 && link_pick(k.c.pick)) command = 807;
  } else if (t == ITEM_ROUNDED_RECTANGLE) {
    LinkRecord* r = item_nodes(k.item);
    const int32_t count = item_link_count(k.item);
    if (count > 2 && intersect_links(&r[1], &r[count - 1]) > 0)
      k.c.corner_reference = g_geometry2d.intersection.first;
    if (command == 833) command = 807;
    else if (!in(command, {804, 807, 811, 814, 815, 867, 869, 870, 906, 907, 908})) command = 802;
  }
  return false;
}

int check(int16_t command, int32_t link_index, int16_t pick) {
  NodeContext& c = g_edit.node;
  c.snap_context = 9;
  c.letter = 0;
  DrawingItem* item = c.item;
  if (item == nullptr || item->extra.empty()) return DRAG_NOT_POSSIBLE;
  const int32_t count = item_link_count(item);
  if (link_index < 0) link_index = 0;
  if (link_index >= count) link_index = count - 1;
  fill_node_context(&c, item, link_index, pick);
  Check k{c, item, item_type(item), item_nodes(item) + link_index, command, 0, false};
  if (is_frame(k.type)) k.arcs = count_arc_links(item);
  if (k.type == ITEM_TEXT) {
    TextLayout layout;
    if (uint8_t* bytes = block_text_layout(item_block(item)); bytes != nullptr) {
      read_text_layout(bytes, &layout);
      k.text_flag = (layout.flags & 0x04) != 0;
    }
  }
  c.text_flag = k.text_flag ? 1 : 0;
  const bool symmetric = (item_nodes(item)[0].node_flags & NODE_SYMMETRY_MASK) != 0;
  if (command == 817 && (k.type == ITEM_ROUNDED_RECTANGLE ||
                         (k.type == ITEM_POLYLINE && symmetric))) {
    if (!ask_go_on(k.type == ITEM_ROUNDED_RECTANGLE ? MSG_ASK_START_NODE_ROUNDED
                                                    : MSG_ASK_START_NODE_SYMMETRIC))
      return DRAG_NOT_POSSIBLE;
    if (!g_testing) make_plain_polyline(item);
    k.type = item_type(item);
  }
  if (symmetric && k.type == ITEM_POLYLINE && link_index <= 1) {
    if (in(command, {805, 806, 818, 819, 833, 867, 885, 905})) {
      refuse_symmetry_marker();
      return DRAG_NOT_POSSIBLE;
    }
    if (command == 814 && link_index == 1) return check(command, 0, PICK_ON_LINK_NEAR_END);
    if (in(command, {802, 807, 810, 811})) {
      if (link_index == 1) return 54;
      return pick == PICK_START_NODE ? 55 : DRAG_MOVE_ITEM;
    }
  }
  if (command == 911) return 911;
  int16_t remapped = 0;
  if (remap_by_type(k, &remapped)) return remapped;
  return by_command(k);
}

}  // namespace

int node_command_check(int16_t command, int32_t link_index, int16_t pick) {
  return check(command, link_index, pick);
}

int node_command_test(int16_t command, int link_index, int pick) {
  const NodeContext saved = g_edit.node;
  g_edit.node.item = g_edit.edited_item;
  g_testing = true;
  const int result = check(command, link_index, static_cast<int16_t>(pick));
  g_testing = false;
  const char letter_left = g_edit.node.letter;
  g_edit.node = saved;
  g_edit.node.letter = letter_left;
  return result;
}

int node_command_check_for_geometry(int16_t command, int node_index, int flag) {
  // The model only wants the context filled for its refit: nothing is asked or changed.
  g_edit.node.item = g_item_edit.edited_item;
  g_testing = true;
  const int result = check(command, node_index, static_cast<int16_t>(flag));
  g_testing = false;
  return result;
}

void propagate_node_move_for_geometry() {
  g_edit.node.item = g_item_edit.edited_item;
  propagate_node_move();
}
