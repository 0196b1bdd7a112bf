#include "editor/edit_command.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "cam/cam_defaults.h"
#include "cam/machining_order.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/draw_style.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/marks.h"
#include "editor/page_furniture.h"
#include "editor/page_menus.h"
#include "editor/point_picking.h"
#include "editor/selection_mode.h"
#include "editor/render.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/node_surgery.h"
#include "geometry/polyline_ends.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/caret.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "text/text_layout.h"
#include "text/text_numbering.h"
#include "ui/catalogue_menu.h"
#include "ui/message_box.h"
#include "ui/text_window.h"
#include "ui/wait_events.h"

namespace {

constexpr char TYPED_START_CHARACTERS[] = "*+,-.0123456789<=>";
constexpr char LINK_KEYS_LIMITED[] = "pdhvtji";  // limited on rectangles, polygons, rounded ones
constexpr char RECTANGLE_LINK_KEYS_NEVER[] = "tji";

constexpr char DRAWING_KEYS_HELP[] =
    "\fKeyboard commands\nwhile drawing:\x13\n\n\fTo change node type:\x13\n  \vT\x13: tangent\n"
    "  \vL\x13: loose\n\n\fTo change geometry:\x13\n  \vA\x13: arc\n  \vR\x13: rigid line\n"
    "  \vF\x13: flexible line\n  \vB\x13: B-spline\n\n\n\vESC\x13: erase current link;\n"
    "     go back to previous\n\n\n\fTo enter coordinates\nvia keyboard, just\nstart typing any of\n"
    "these keys:\n*+,-.0123456789<=>\x13";

// Pick kinds and what they select.
constexpr int PICK_LINK_BITS = 0x30;
// Session commands of the node and link keys.
constexpr int SESSION_HORIZONTAL = 896;
constexpr int SESSION_VERTICAL = 897;
constexpr int SESSION_INSERT_ON_LINK = 904;
constexpr int SESSION_ADD_NODE_ON_LINK = 905;
constexpr int SESSION_CUT_LINK = 885;
constexpr int SESSION_TOGGLE_VISIBLE = 878;
constexpr int SESSION_TANGENT_NODE = 876;
constexpr int SESSION_PARALLEL = 874;
constexpr int SESSION_PERPENDICULAR = 875;
constexpr int SESSION_NODE_TANGENT = 116;
constexpr int SESSION_NODE_LOOSE = 108;
constexpr int16_t CHANGE_CHOICE_SPLINE_ALL = 24;
// Context pictures that decide which way 813 and 821 act.
constexpr uint8_t PICTURE_STRAIGHTEN_HORIZONTAL = 80;
constexpr uint8_t PICTURE_STRAIGHTEN_VERTICAL = 74;
constexpr uint8_t PICTURE_NODE_LOOSE = 82;
constexpr uint8_t PICTURE_NODE_TANGENT = 83;
// The Change menu's place.
constexpr int CHANGE_MENU_ROW = 14;
constexpr int CHANGE_MENU_COLUMN = 30;
constexpr uint16_t PICK_MODE_NORMAL = 14;
constexpr uint16_t PICK_MODE_SESSION = 0x0A;
constexpr int16_t NEW_ITEM_ORDER_RAISE = 10000;
constexpr uint8_t POINT_CUT_TYPE = 1;
constexpr int KEY_BOX_COLUMNS = 10;
constexpr int KEY_BOX_ROWS_UP = 2;
constexpr int KEY_WAIT_CARET = CARET_DOUBLE_DOTS;

bool typed_start(int code) {
  return code > 0 && code <= 127 && std::strchr(TYPED_START_CHARACTERS, code) != nullptr;
}

HoverState& hover() { return g_hover; }
DrawingItem* hovered_item() { return g_hover.hover_item; }
uint8_t hovered_type() { return item_type(g_hover.hover_item); }
uint8_t first_node_flags(const DrawingItem* item) { return item_nodes(item)[0].node_flags; }
bool is_polyline(const DrawingItem* item) { return item_type(item) == ITEM_POLYLINE; }
bool is_closed(const DrawingItem* item) { return (first_node_flags(item) & NODE_KIND_MASK) != 0; }
bool is_symmetric(const DrawingItem* item) {
  return (first_node_flags(item) & NODE_SYMMETRY_MASK) != 0;
}
// Either Shift key.
constexpr uint8_t MODIFIER_SHIFTS = 0x03;
constexpr EventCode KEY_CTRL_I = 585;

bool shift_held() { return (g_events.modifiers & MODIFIER_SHIFTS) != 0; }

void tell(const char* text) { show_text_box(text, TEXTBOX_PRESS_A_KEY); }

// What a round of a repeated session changed, to stop a loop that changes nothing.
struct DrawingSignature {
  int32_t items = 0;
  const DrawingItem* last = nullptr;
  std::vector<uint8_t> last_form;

  bool operator==(const DrawingSignature&) const = default;
};

DrawingSignature drawing_signature() {
  DrawingSignature s;
  s.items = count_current_lines();
  s.last = g_lists.current.last;
  if (s.last != nullptr) {
    s.last_form.assign(s.last->extra.begin(), s.last->extra.end());
    s.last_form.insert(s.last_form.end(), s.last->attributes, s.last->attributes + 16);
  }
  return s;
}

// Points the hover at the drawing's last item: its first node, or the end of link n - 1.
void hover_last_item_node(int32_t link_index) {
  HoverState& h = hover();
  DrawingItem* last = g_lists.current.last;
  h.hover_item = last;
  if (last == nullptr || last->extra.empty()) return;
  LinkRecord* r = item_nodes(last);
  if (link_index == 0) {
    h.hover_link = r;
    h.link_index = 0;
    h.pick_kind = PICK_START_NODE;
    h.point_selector = PICK_POINT_NODE;
  } else {
    h.hover_link = r + (link_index - 1);
    h.link_index = link_index - 1;
    h.pick_kind = PICK_END_NODE;
    h.point_selector = PICK_POINT_NEXT;
  }
}

void hover_first_node() {
  HoverState& h = g_hover;
  if (h.hover_item == nullptr || h.hover_item->extra.empty()) return;
  h.hover_link = item_nodes(h.hover_item);
  h.link_index = 0;
  h.pick_kind = PICK_START_NODE;
  h.point_selector = PICK_POINT_NODE;
}

int call_session(int op) {
  if (g_drawing_commands.node_edit_session == nullptr) {
    show_missing_command_notice();
    return -1;
  }
  return g_drawing_commands.node_edit_session(op);
}

void close_last_if_touching() {
  if (g_lists.current.last != nullptr && !g_lists.current.last->extra.empty())
    close_if_touching(g_lists.current.last);
}

// Runs the node-editing session; while it asks for another node at an end of the last item,
// runs "Add a node" there, until a round changes nothing.
int run_session(int op) {
  EditSession& e = g_edit;
  HoverState& h = hover();
  if (h.hover_item != nullptr && !h.hover_item->extra.empty())
    e.session_link_count = item_link_count(h.hover_item);
  h.pick_mode |= PICK_MODE_SESSION;
  int result = call_session(op);
  while (e.continue_node >= 0) {
    const int32_t at = e.continue_node;
    e.continue_node = -1;
    const DrawingSignature before = drawing_signature();
    hover_last_item_node(at);
    result = call_session(806);
    if (drawing_signature() == before) break;
  }
  if (op == 802) close_last_if_touching();
  return result;
}

// The point under the cursor, then the transform the code names.
enum class Transform { SCALE, COPY, ROTATE };

void transform_step(Transform t) {
  PointF base;
  hover_point(&base);
  DrawingCommandEntries& c = g_drawing_commands;
  switch (t) {
    case Transform::COPY:
      if (c.copy_to_destination != nullptr) c.copy_to_destination(base);
      else show_missing_command_notice();
      break;
    case Transform::ROTATE:
      if (c.rotate_command != nullptr) c.rotate_command(base);
      else show_missing_command_notice();
      break;
    case Transform::SCALE:
      if (c.scale_command != nullptr) c.scale_command(base, 0);
      else show_missing_command_notice();
      break;
  }
  // A command that left its session open would leave its copies in the drawing.
  if (edit_session_open()) edit_cancel();
  draw_button_legend(1);
}

// Creation by a tool, a value form or a typed start: the new item gets its machining defaults,
// its ID and an undo step of its own.
void create_step(int code) {
  DrawingCommandEntries& c = g_drawing_commands;
  if (c.create_item_by_mouse == nullptr) {
    show_missing_command_notice();
    return;
  }
  DrawingItem* before = g_lists.current.last;
  c.create_item_by_mouse(code);
  DrawingItem* item = g_lists.current.last;
  if (item == nullptr || item == before || item->extra.empty() || item_id(item) != 0) return;
  GeometryBlock* block = item_block(item);
  apply_cam_defaults(block, item_type(item) == ITEM_POINT ? POINT_CUT_TYPE
                                                          : g_job_settings.new_item_cut_type);
  set_item_id(item, ++g_job_settings.item_id_counter);
  if (block->cam_kind != GEOMETRY_KIND_DRAWING_AID)
    set_item_machining_order(item, static_cast<int16_t>(block_machining_order(block) +
                                                        NEW_ITEM_ORDER_RAISE));
  g_edit.order_changed = 1;
  undo_record_added(1);
}

// A line, arc or spline tool on an end of an open polyline continues it in append mode.
bool continue_polyline(int code) {
  const HoverState& h = hover();
  DrawingItem* item = h.hover_item;
  if (h.pick_kind == 0 || item == nullptr || g_drawing_page.append_mode == 0) return false;
  if (!is_polyline(item) || is_closed(item)) return false;
  const bool first_node = h.link_index == 0 && h.pick_kind == PICK_START_NODE;
  if (!first_node && h.pick_kind != PICK_END_NODE) return false;
  g_edit.session_tool = static_cast<int16_t>(code);
  g_edit.continue_mark = 2;
  help_box_text(DRAWING_KEYS_HELP);
  run_session(SESSION_CONTINUE_POLYLINE);
  return true;
}

// A point on a point item asks first whether another point is wanted there.
bool point_on_point_refused() {
  const HoverState& h = hover();
  if (h.hover_item == nullptr || hovered_type() != ITEM_POINT || h.hover_link == nullptr) return false;
  const uint8_t* next = reinterpret_cast<const uint8_t*>(h.hover_link + 1);
  if (next[6] != 0) return false;
  return ask_catalogue_choice(MSG_CHOICE_POINT_ON_POINT, 0) != 0;
}

// Marked items (bit 2) and marked nodes (bit 0x10) go, each as one undo step.
void delete_marked() {
  const uint8_t mask = g_edit.selection_mask;
  if ((mask & ITEM_FLAG_MARKED) != 0 && count_marked_items() > 0) {
    discard_originals();
    for (DrawingItem* item = g_lists.current.first; item != nullptr;) {
      DrawingItem* next = item->next;
      if ((item_flags(item) & ITEM_FLAG_MARKED) != 0) {
        draw_item_in_colour(item, COLOUR_ERASE);
        move_to_originals(item);
      }
      item = next;
    }
    undo_record_deleted(nullptr);
  }
  if ((mask & ITEM_FLAG_HAS_MARKED_NODES) != 0) {
    // The items with marked nodes are replaced by copies that lose the nodes; the originals go
    // behind the step, so that undo brings them back with their IDs.
    std::vector<DrawingItem*> flagged;
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
      if ((item_flags(item) & ITEM_FLAG_HAS_MARKED_NODES) != 0 && !item->extra.empty())
        flagged.push_back(item);
    discard_originals();
    int taken = 0;
    for (DrawingItem* item : flagged) {
      if (copy_item_with_extra_links(item, 0) != 0) break;
      draw_item_in_colour(item, COLOUR_ERASE);
      move_to_originals(item);
      ++taken;
    }
    if (taken > 0) {
      const int32_t before = count_current_lines();
      delete_marked_nodes();
      const int32_t kept = taken - (before - count_current_lines());
      DrawingItem* survivor = g_lists.current.last;
      for (int32_t i = 0; i < kept && survivor != nullptr; ++i, survivor = survivor->prev)
        update_has_marked_nodes(survivor);
      undo_record_replaced(kept, 1);
    }
  }
  marks_summary_bits() = static_cast<int16_t>(
      (marks_summary_bits() & (MARKS_SAVED_ITEMS | MARKS_SAVED_NODES)) | marks_summary(1));
  g_drawing_page.extents_request = 1;
  mark_job_changed();
}

int paste_items(int flags) {
  if (g_drawing_commands.paste_command == nullptr) {
    show_missing_command_notice();
    return 0;
  }
  return g_drawing_commands.paste_command(flags);
}

// The Change menu of the node editor; its choice runs as the session's change command.
void change_menu() {
  TextLine* menu = change_menu_window();
  if (menu == nullptr) return;
  const int choice = run_catalogue_menu(menu, CHANGE_MENU_ROW, CHANGE_MENU_COLUMN);
  if (choice > 0) {
    g_edit.change_choice = static_cast<int16_t>(choice);
    run_session(SESSION_CHANGE);
  }
  draw_button_legend(1);
}

void join_step() {
  DrawingItem* item = hovered_item();
  if (!is_polyline(item)) {
    get_message(MSG_ONLY_POLYLINES_MARKED_NODES);
    return;
  }
  if (is_closed(item)) {
    get_message(MSG_JOIN_CLOSED_POLYLINE);
    return;
  }
  for (;;) {
    g_edit.join_done = 0;
    const DrawingSignature before = drawing_signature();
    const int result = run_session(805);
    if (result != 0 || g_edit.join_done != 0 || drawing_signature() == before) return;
    DrawingItem* last = g_lists.current.last;
    if (last == nullptr || last->extra.empty()) return;
    hover_last_item_node(item_link_count(last));
  }
}

void extrude_node_step(int code) {
  HoverState& h = hover();
  DrawingItem* item = h.hover_item;
  if (h.pick_kind == PICK_ON_LINK_NEAR_END && h.hover_link != nullptr) {
    LinkRecord* next = h.hover_link + 1;
    if (next == item_closing_record(item)) {
      if (is_closed(item)) {
        h.hover_link = item_nodes(item);
        h.link_index = 0;
        h.point_selector = PICK_POINT_NODE;
        h.pick_kind = PICK_START_NODE;
      } else {
        h.pick_kind = PICK_END_NODE;
      }
    } else {
      h.hover_link = next;
      h.link_index += 1;
      h.pick_kind = PICK_START_NODE;
      h.point_selector = PICK_POINT_NODE;
    }
  }
  h.pick_kind = static_cast<int16_t>(h.pick_kind & ~PICK_LINK_BITS);
  g_edit.edited_item = item;
  const int check = g_drawing_commands.node_command_check != nullptr
                        ? g_drawing_commands.node_command_check(static_cast<int16_t>(code),
                                                                h.link_index, h.pick_kind)
                        : 0;
  if (check < 0) tell(TANGENT_NODES_TEXT);
  else run_session(code);
}

// The start node of a polyline.
void make_start_node_step() {
  const HoverState& h = hover();
  DrawingItem* item = h.hover_item;
  const LinkRecord* node = h.pick_kind == PICK_END_NODE ? h.hover_link + 1 : h.hover_link;
  if ((node->node_flags & NODE_FIRST) != 0) {
    show_text_box(ALREADY_START_TEXT, TEXTBOX_TIMED | 10);
    return;
  }
  if (!is_polyline(item)) {
    tell(ONLY_POLYLINES_START_TEXT);
    return;
  }
  if (is_closed(item)) {
    run_session(817);
    return;
  }
  if (h.pick_kind == PICK_END_NODE && h.hover_link + 1 == item_closing_record(item)) {
    reverse_polyline(item);
    return;
  }
  get_message(MSG_START_NODE_OPEN_POLYLINE);
}

void by_context_picture(uint8_t first_picture, int first_op, uint8_t second_picture,
                        int second_op) {
  const uint8_t shape = hover().hover_shape;
  if (shape == first_picture) run_session(first_op);
  else if (shape == second_picture) run_session(second_op);
}

void link_table(int code) {
  const HoverState& h = hover();
  DrawingItem* item = h.hover_item;
  const uint8_t type = hovered_type();
  if (code < 256 && code > 0 && std::strchr(LINK_KEYS_LIMITED, code) != nullptr) {
    if (type == ITEM_ROUNDED_RECTANGLE || type == ITEM_POLYGON) return;
    if (type == ITEM_RECTANGLE) {
      if (std::strchr(RECTANGLE_LINK_KEYS_NEVER, code) != nullptr) return;
      if (h.hover_link == nullptr || h.hover_link->code != LINK_FLEXIBLE_LINE) return;
    }
  }
  switch (code) {
    case '<':
      if (is_polyline(item) && is_symmetric(item)) get_message(MSG_NO_INSERT_INTO_SYMMETRIC);
      else if (type == ITEM_ELLIPSE || insert_check() == 0) run_session(SESSION_INSERT_ON_LINK);
      return;
    case 'b':
    case 903:
    case 929: {
      const int op = code == 'b' ? 929 : code;
      if (insert_check() != 0) return;
      if (h.hover_link != nullptr && h.hover_link->code < LINK_RIGID_LINE) tell(SPLINE_INSERT_TEXT);
      else run_session(op);
      return;
    }
    case 'h': run_session(SESSION_HORIZONTAL); return;
    case 'p':
    case 874: run_session(SESSION_PARALLEL); return;
    case 't': run_session(SESSION_TANGENT_NODE); return;
    case 'v': run_session(SESSION_VERTICAL); return;
    case KEY_DEL:
    case 819: run_session(819); return;
    case KEY_CTRL_I: run_session(SESSION_TOGGLE_VISIBLE); return;
    case 803: run_session(803); return;
    case 806:
      if (insert_check() != 0) return;
      hover().pick_mode |= PICK_MODE_SESSION;
      run_session(SESSION_ADD_NODE_ON_LINK);
      return;
    case 809:
      if (insert_check() == 0) run_session(SESSION_CUT_LINK);
      return;
    case 811: {
      g_edit.edited_item = item;
      const int check = g_drawing_commands.node_command_check != nullptr
                            ? g_drawing_commands.node_command_check(811, h.link_index, h.pick_kind)
                            : 0;
      if (check < 0) {
        tell(TANGENT_NODES_TEXT);
        return;
      }
      hover().pick_mode |= PICK_MODE_SESSION;
      run_session(811);
      return;
    }
    case 821:
      by_context_picture(PICTURE_STRAIGHTEN_HORIZONTAL, -SESSION_HORIZONTAL,
                         PICTURE_STRAIGHTEN_VERTICAL, -SESSION_VERTICAL);
      return;
    case 875: run_session(SESSION_PERPENDICULAR); return;
    default:
      if (typed_start(code)) {
        push_input_code(static_cast<EventCode>(code));
        run_session(SESSION_TYPED_LINK);
      }
      return;
  }
}

void node_table(int code) {
  HoverState& h = hover();
  DrawingItem* item = h.hover_item;
  const uint8_t type = hovered_type();
  switch (code) {
    case 'b':
    case 809:
      if (const char* why = break_check_message()) tell(why);
      else run_session(809);
      return;
    case 'h':
    case 'v': {
      const bool first = h.link_index == 0 && h.pick_kind == PICK_START_NODE;
      const bool kind_ok = type == ITEM_CIRCLE || type == ITEM_RECTANGLE || type == ITEM_SLOT ||
                           type == ITEM_TEXT ||
                           (is_polyline(item) && is_symmetric(item) && item_link_count(item) > 1);
      if (first && kind_ok) run_session(code == 'h' ? SESSION_HORIZONTAL : SESSION_VERTICAL);
      return;
    }
    case 'l':
    case 't':
      if (item_link_count(item) > 1) run_session(code);
      return;
    case 'm': run_session(SESSION_MOVE_TO_POINT); return;
    case KEY_DEL:
    case 818: run_session(818); return;
    case 819:
      if (type == ITEM_POINT) run_session(818);
      return;
    case 806: {
      const bool symmetric_line = is_polyline(item) && is_symmetric(item) && h.link_index <= 1;
      if (symmetric_line || (h.link_index != 0 && h.pick_kind == PICK_START_NODE)) {
        create_step(759);
        return;
      }
      g_edit.continue_mark = 2;
      help_box_text(DRAWING_KEYS_HELP);
      run_session(806);
      return;
    }
    case 813:
      by_context_picture(PICTURE_NODE_LOOSE, SESSION_NODE_TANGENT, PICTURE_NODE_TANGENT,
                         SESSION_NODE_LOOSE);
      return;
    case 817: make_start_node_step(); return;
    case 821:
      by_context_picture(PICTURE_STRAIGHTEN_HORIZONTAL, -SESSION_HORIZONTAL,
                         PICTURE_STRAIGHTEN_VERTICAL, -SESSION_VERTICAL);
      return;
    default:
      if (typed_start(code)) {
        push_input_code(static_cast<EventCode>(code));
        run_session(SESSION_TYPED_NODE);
      }
      return;
  }
}

// The codes that act the same whatever is picked.
void picked_common(int code) {
  HoverState& h = hover();
  DrawingItem* item = h.hover_item;
  switch (code) {
    case 808:
      edit_begin(item, 808);
      transform_step(Transform::SCALE);
      return;
    case 812:
      edit_begin(item, -1);
      transform_step(Transform::ROTATE);
      return;
    case 816:
      edit_begin(item, 0);
      transform_step(Transform::COPY);
      return;
    case 820: run_session(820); return;
    case 'c':
    case 849: change_menu(); return;
    case 'j':
    case 805: join_step(); return;
    case 'r':
      if (is_polyline(item)) reverse_polyline(item);
      return;
    case 's':
    case 866: run_session(866); return;
    case 802: run_session(802); return;
    case 804:
    case 814: run_session(code); return;
    case 807:
      if (h.pick_kind <= 2) {
        run_session(802);
      } else {
        run_session(807);
        close_last_if_touching();
      }
      return;
    case 810: extrude_node_step(code); return;
    case 815:
    case 835:
    case 841:
      if (g_job_settings.node_snap_off == 0) h.pick_mode += 1;
      run_session(code);
      return;
    case 822: {
      edit_begin(item, 1);
      TextLayout layout;
      const uint8_t* bytes = block_text_layout(item_block(item));
      PointF base = g_hover.cursor_point;
      if (bytes != nullptr) {
        read_text_layout(bytes, &layout);
        base = layout.anchor;
      }
      if (g_drawing_commands.scale_command != nullptr) g_drawing_commands.scale_command(base, 0);
      else show_missing_command_notice();
      if (edit_session_open()) edit_cancel();
      draw_button_legend(1);
      return;
    }
    case 910: {
      if (!is_polyline(item)) return;
      const bool shift = shift_held();
      if (shift) hover_first_node();
      run_session(910);
      if (shift_held()) {
        g_edit.change_choice = CHANGE_CHOICE_SPLINE_ALL;
        hover_last_item_node(0);
        run_session(SESSION_CHANGE);
      }
      return;
    }
    default: break;
  }
  if (h.pick_kind > 2) link_table(code);
  else node_table(code);
}

// The centre of an item.
void centre_picked(int code) {
  switch (code) {
    case 806: create_step(759); return;
    case 'm': run_session(SESSION_MOVE_TO_POINT); return;
    case KEY_DEL:
      if (hovered_type() == ITEM_CIRCLE) picked_common(820);
      return;
    case 802:
    case 803:
    case 804: run_session(code); return;
    case 807: run_session(802); return;
    case 808:
    case 812:
    case 816:
    case 820: picked_common(code); return;
    default:
      if (code < 65 && typed_start(code)) {
        push_input_code(static_cast<EventCode>(code));
        run_session(SESSION_TYPED_NODE);
      }
      return;
  }
}

void nothing_picked(int code) {
  switch (code) {
    case 'm':
      if (g_drawing_commands.move_command != nullptr) g_drawing_commands.move_command();
      else show_missing_command_notice();
      return;
    case KEY_CTRL_LEFT:
    case KEY_CTRL_RIGHT:
    case KEY_CTRL_UP:
    case KEY_CTRL_DOWN: return;
    case 806: create_step(759); return;
    default:
      if (typed_start(code)) {
        push_input_code(static_cast<EventCode>(code));
        create_step(149);
      }
      return;
  }
}

void call_or_notice(int (*command)()) {
  if (command != nullptr) command();
  else show_missing_command_notice();
}

void call_or_notice(int (*command)(int), int argument) {
  if (command != nullptr) command(argument);
  else show_missing_command_notice();
}

// The codes that act whatever is hovered; true when the code was one of them.
bool any_hover(int code, int32_t* result) {
  DrawingCommandEntries& c = g_drawing_commands;
  switch (code) {
    case 843:
      edit_begin(nullptr, 843);
      transform_step(Transform::SCALE);
      return true;
    case 844:
      edit_begin(nullptr, 0);
      transform_step(Transform::COPY);
      return true;
    case 845:
      edit_begin(nullptr, -1);
      transform_step(Transform::ROTATE);
      return true;
    case 912: call_or_notice(c.scale_by_values_command); return true;
    case 913: call_or_notice(c.move_by_points_or_values, 1); return true;
    case 914:
      if ((marks_summary_bits() & MARKS_NODES) != 0) {
        g_edit.selection_mask = ITEM_FLAG_HAS_MARKED_NODES;
        call_or_notice(c.move_by_points_or_values, 98);
      } else {
        get_message(MSG_ONLY_POLYLINES_MARKED_NODES);
      }
      return true;
    case 915: call_or_notice(c.rotate_by_values_command); return true;
    case 916: delete_marked(); return true;
    case 917: call_or_notice(c.copy_items_command); return true;
    case 918: call_or_notice(c.mirror_by_values_command, 1); return true;
    case 919:
    case 920:
    case 922: return true;
    case 921: convert_to_polylines(ITEM_FLAG_MARKED, count_marked_items()); return true;
    case 923:
      if (c.separate_marked_items != nullptr) *result = c.separate_marked_items();
      else show_missing_command_notice();
      return true;
    case 924:
      help_show_message(MSG_HELP_PASTE);
      if (paste_items(1) > 0 && g_lists.current.last != nullptr)
        *result = item_flags(g_lists.current.last) & ITEM_FLAG_WORKING;
      return true;
    case 925: paste_items(9); return true;
    case 930: call_or_notice(c.move_by_points_or_values, 0); return true;
    case 931: call_or_notice(c.align_command); return true;
    case 753:
    case 755:
    case 756:
    case 761:
    case 764:
    case 765: create_step(code); return true;
    case 757:
    case 759:
    case 760:
      if (!continue_polyline(code)) create_step(code);
      return true;
    case 763:
      if (!point_on_point_refused()) create_step(code);
      return true;
    default:
      if (code >= 140 && code <= 150) {
        create_step(code);
        return true;
      }
      return false;
  }
}

void exit_step() {
  EditSession& e = g_edit;
  HoverState& h = hover();
  // A command that neither committed nor cancelled its session must not leave its copies and
  // originals behind.
  if (edit_session_open()) edit_cancel();
  h.pick_mode = PICK_MODE_NORMAL;
  e.continue_mark = 0;
  e.session_link_count = 0;
  e.working_set = nullptr;
  h.hover_item = nullptr;
  h.pick_kind = 0;
  h.highlighted_link = nullptr;
  h.node_item = nullptr;
  g_furniture.read_out = 1;
  wait_buttons_released();
  if (Canvas* canvas = drawing_canvas()) canvas->mix = CANVAS_MIX_COPY;
  if (e.order_changed != 0) {
    e.order_changed = 0;
    renumber_machining_order();
    renumber_text_items(1, 1);
  }
}

}  // namespace

int32_t edit_command(int code) {
  EditSession& e = g_edit;
  ++e.command_count;
  e.continue_node = -1;
  hide_pointer();
  clear_hover_hilite();
  hide_crosshair();
  g_drawing_page.editor_pointer_shape = 0;
  int32_t result = 0;
  if (!any_hover(code, &result)) {
    const HoverState& h = hover();
    if (h.pick_kind == 0 || h.hover_item == nullptr || h.hover_item->extra.empty()) {
      nothing_picked(code);
    } else if (nudge_vector(code) != 0) {
      push_input_code(static_cast<EventCode>(code));
      run_session(SESSION_NUDGE);
    } else if (code >= 823 && code <= 825) {
      // Spacing, stretch and warp of a text have no command here.
    } else if (h.pick_kind == PICK_CENTRE) {
      centre_picked(code);
    } else {
      picked_common(code);
    }
  }
  exit_step();
  return result;
}

const char* break_check_message() {
  const HoverState& h = g_hover;
  DrawingItem* item = h.hover_item;
  if (item == nullptr || item->extra.empty()) return nullptr;
  switch (item_type(item)) {
    case ITEM_POLYLINE: {
      const uint8_t flags = first_node_flags(item);
      if ((flags & NODE_SYMMETRY_MASK) != 0 && h.link_index <= 1)
        return SYMMETRY_LINE_TEXT;
      if (h.link_index == 0 && h.pick_kind == PICK_START_NODE && (flags & NODE_KIND_MASK) == 0)
        return BREAK_AT_END_TEXT;
      if (h.pick_kind == PICK_END_NODE) return BREAK_AT_END_TEXT;
      return nullptr;
    }
    case ITEM_CIRCLE:
    case ITEM_POLYGON:
    case ITEM_RECTANGLE:
    case ITEM_SLOT:
    case ITEM_ROUNDED_RECTANGLE: return nullptr;
    default: return ONLY_POLYLINES_BREAK_TEXT;
  }
}

int insert_check() {
  const HoverState& h = g_hover;
  DrawingItem* item = h.hover_item;
  if (item == nullptr || item->extra.empty()) return -1;
  switch (item_type(item)) {
    case ITEM_POLYLINE:
      if (is_symmetric(item) && h.link_index <= 1) {
        tell(SYMMETRY_LINE_TEXT);
        return -1;
      }
      return 0;
    case ITEM_CIRCLE:
    case ITEM_POLYGON:
    case ITEM_RECTANGLE:
    case ITEM_SLOT:
    case ITEM_ROUNDED_RECTANGLE: return 0;
    default: tell(ONLY_POLYLINES_BREAK_TEXT); return -1;
  }
}

EventCode ask_one_key(const char* prompt, const char* keys) {
  push_text_metrics();
  use_medium_font();
  show_prompt(prompt);
  const CellMetrics& m = g_display.current;
  const int left = g_display.screen_width - KEY_BOX_COLUMNS * m.cell_width;
  const int top = g_display.screen_height - KEY_BOX_ROWS_UP * m.cell_height;
  frame_rect(left - 2, top - 2, left + m.cell_width + 2, top + m.cell_height + 2,
             g_attributes.scheme[COLOUR_SLOT_HIGHLIGHT], CANVAS_MIX_COPY);
  const int16_t shape = g_caret.shape;
  g_caret.shape = KEY_WAIT_CARET;
  EventCode key = 0;
  for (;;) {
    key = wait_event_with_caret(-top, -left);
    if (key == EVENT_QUIT) break;
    if (key <= 0 || key > 127) continue;
    key = static_cast<EventCode>(std::tolower(key));
    if (key == KEY_ESC || std::strchr(keys, key) != nullptr) break;
  }
  g_caret.shape = shape;
  pop_text_metrics();
  return key;
}

int nudge_vector(int code) {
  float step = g_preferences.nudge > 0.0f ? g_preferences.nudge : 0.001f;
  // Shift as it was held with this key: keys typed ahead are read after Shift may be let go.
  if ((g_events.last_modifiers & MODIFIER_SHIFTS) != 0) step *= 10.0f;
  PointF& v = g_edit.nudge;
  switch (code) {
    case KEY_CTRL_LEFT: v = {-step, 0.0f}; return code;
    case KEY_CTRL_RIGHT: v = {step, 0.0f}; return code;
    case KEY_CTRL_UP: v = {0.0f, step}; return code;
    case KEY_CTRL_DOWN: v = {0.0f, -step}; return code;
    default: return 0;
  }
}
