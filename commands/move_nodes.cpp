#include "commands/move_nodes.h"

#include <cstring>
#include <vector>

#include "commands/node_command_check.h"
#include "commands/node_edit_session.h"
#include "commands/node_fitting.h"
#include "commands/node_propagation.h"
#include "editor/button_bindings.h"
#include "editor/coord_entry.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/object_snaps.h"
#include "editor/page_furniture.h"
#include "editor/point_picking.h"
#include "editor/undo_store.h"
#include "geometry/node_surgery.h"
#include "job/image_record.h"
#include "screen/pointer.h"
#include "store/message_ids.h"

MoveState g_move;

namespace {

constexpr int16_t COMMAND_FINISHED = 888;
constexpr int16_t COMMAND_SNAP_MENU = 890;
constexpr EventCode KEY_SNAP = 's';
constexpr EventCode KEY_F8 = 322;
constexpr int DRAG_POINTER_SHAPE = 17;
constexpr int PLACE_ENTRY_FLAGS = 0x401;
constexpr int DRAG_ENTRY_FLAGS = 1;
constexpr char DRAG_TYPED_CHARS[] = "udlf*+,-.0123456789<=>";
constexpr char START_PROMPT[] =
    "Pick the starting point for the move, or type XY coordinates.\nS: snap menu";
constexpr char DESTINATION_PROMPT[] =
    "Pick the destination point, or type XY coordinates.\nS: snap menu  Hold CTRL or CTRL & "
    "SHIFT to restrict movement.";

bool marked(const LinkRecord& r) { return (r.link_flags & LINK_NODE_MARKED) != 0; }

// The original a working copy was made from: the originals list runs in the working set's order.
DrawingItem* original_of(int position) {
  DrawingItem* original = first_original();
  for (int i = 0; i < position && original != nullptr; ++i) original = original->next;
  return original;
}

// Sets one marked node by the mode from its own point before the command.
void place_node(PointF* node, PointF own, PointF value, int mode) {
  const PointF typed = g_coord.entry.offset;
  switch (mode) {
    case NODE_MOVE_KEEP_X: *node = {own.x, value.y}; break;
    case NODE_MOVE_KEEP_Y: *node = {value.x, own.y}; break;
    case NODE_MOVE_X_BY_DISTANCE: *node = {own.x + typed.x, value.y}; break;
    case NODE_MOVE_Y_BY_DISTANCE: *node = {value.x, own.y + typed.y}; break;
    default: *node = value; break;
  }
}

// First pass: the marked nodes themselves. An arc whose two ends both move by one vector moves
// with them whole, its centre included.
void move_marked_of_item(DrawingItem* item, const DrawingItem* original, PointF value, int mode) {
  const int32_t n = item_link_count(item);
  const LinkRecord* own = original != nullptr && !original->extra.empty() &&
                                  item_link_count(original) == n
                              ? item_nodes(original)
                              : nullptr;
  for (int32_t i = 0; i <= n; ++i) {
    LinkRecord* r = item_nodes(item);
    if (!marked(r[i])) continue;
    if (mode == NODE_MOVE_BY_VECTOR) {
      r[i].point.x += value.x;
      r[i].point.y += value.y;
      if (i < n && code_is_arc(r[i].code) && marked(r[i + 1])) {
        r[i].centre.x += value.x;
        r[i].centre.y += value.y;
      }
    } else {
      place_node(&r[i].point, own != nullptr ? own[i].point : r[i].point, value, mode);
      if (i > 0 && code_is_arc(r[i - 1].code)) rederive_arc(&r[i - 1]);
    }
  }
}

// Second pass: every marked node next to an unmarked one is solved as if it had been dragged
// alone, so the links that join it to the still nodes follow their kinds.
void resolve_neighbours(DrawingItem* item) {
  if (item_type(item) != ITEM_POLYLINE) return;
  const int32_t n = item_link_count(item);
  NodeContext& c = g_edit.node;
  DrawingItem* const saved_item = c.item;
  DrawingItem* const saved_edited = g_edit.edited_item;
  for (int32_t i = 0; i <= n; ++i) {
    // Records are found again each time: a solver may have grown the array.
    const LinkRecord* r = item_nodes(item);
    if (!marked(r[i])) continue;
    const bool loose_next = i < n && !marked(r[i + 1]);
    const bool loose_previous = i > 0 && !marked(r[i - 1]);
    if (!loose_next && !loose_previous) continue;
    c.item = item;
    g_edit.edited_item = item;
    const int32_t link = i < n ? i : n - 1;
    const int16_t pick = i < n ? PICK_START_NODE : PICK_END_NODE;
    if (node_command_check(802, link, pick) < 0) continue;
    if (i == 0) refit_after_start_move();
    else if (i == n) refit_after_end_move();
    else propagate_node_move();
    finish_pending_propagation();
  }
  c.item = saved_item;
  g_edit.edited_item = saved_edited;
}

void set_working_active(bool active) {
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next) {
    uint8_t flags = item_flags(item);
    if (active) flags |= ITEM_FLAG_SELECTED;
    else flags &= static_cast<uint8_t>(~ITEM_FLAG_SELECTED);
    set_item_flags(item, flags);
  }
}

// The point a pointer move gives: the hovered node, else the pick point, kept to the axis lock.
PointF pointer_point(PointF lock, PointF anchor, bool nodes_only) {
  const HoverState& h = g_hover;
  PointF p = h.cursor_point;
  const bool on_node = h.pick_kind == PICK_START_NODE || h.pick_kind == PICK_END_NODE ||
                       h.pick_kind == PICK_CENTRE;
  // A marked node under the pointer is one being dragged: it cannot be its own target.
  const LinkRecord* node = h.hover_link == nullptr ? nullptr
                           : h.pick_kind == PICK_END_NODE ? h.hover_link + 1
                                                          : h.hover_link;
  const bool dragged = node != nullptr && h.pick_kind != PICK_CENTRE && marked(*node);
  if ((on_node && !dragged) || (!nodes_only && !dragged)) hover_point(&p);
  return constrain_point(p, lock, anchor);
}

// The entry line for a typed destination from the reference; true with the point.
bool typed_destination(EventCode first, PointF reference, int flags, PointF* out) {
  push_input_code_front(first);
  CoordEntry& e = g_coord.entry;
  zero_coord_entry(&e);
  e.text[0] = '\0';
  e.reference = reference;
  e.current = reference;
  for (;;) {
    const int r = coordinate_entry_line(&e, flags, ENTRY_KIND_POINT, ENTRY_PROMPT_FINAL_POINT);
    if (r >= 1 && r <= 4) {
      *out = e.current;
      return true;
    }
    if (r <= 0) return false;
  }
}

bool same_point(PointF a, PointF b) { return a.x == b.x && a.y == b.y; }

}  // namespace

int16_t press_command(EventCode code) {
  if (code == EVENT_LEFT_DOWN || code == EVENT_MIDDLE_DOWN || code == EVENT_RIGHT_DOWN)
    return bound_command_of_press(static_cast<int16_t>(code));
  return static_cast<int16_t>(code);
}

bool carry_working_set(PointF* carried) {
  const PointF d = g_hover.cursor_delta;
  if (d.x == 0.0f && d.y == 0.0f) return false;
  xor_draw_working_set();
  translate_working_set(d);
  carried->x += d.x;
  carried->y += d.y;
  xor_draw_working_set();
  return true;
}

void apply_move(PointF value, int mode) {
  int position = 0;
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next, ++position) {
    if (item->extra.empty() || item_type(item) == 0) continue;
    move_marked_of_item(item, original_of(position), value, mode);
  }
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next) {
    if (item->extra.empty() || item_type(item) == 0) continue;
    resolve_neighbours(item);
  }
  enforce_working_set_symmetry();
}

void commit_moved_working_set() {
  edit_finish();
  undo_push(UNDO_CHANGED);
  edit_commit(EDIT_COMMIT_MOVE);
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next)
    draw_item_in_colour(item, item_layer(item));
  ++g_drawing_page.redraw_request;
}

int move_marked_nodes_by_value(int mode) {
  const CoordEntry& e = g_coord.entry;
  const PointF value = mode == NODE_MOVE_BY_VECTOR ? e.offset : e.current;
  if (mode == NODE_MOVE_BY_VECTOR && value.x == 0.0f && value.y == 0.0f) return -1;
  g_edit.selection_mask = ITEM_FLAG_HAS_MARKED_NODES;
  if (edit_begin(nullptr, 1) < 0) {
    if (edit_session_open()) edit_cancel();
    return -1;
  }
  xor_draw_working_set();
  apply_move(value, mode);
  commit_moved_working_set();
  edit_cancel();
  g_hover.hover_item = nullptr;
  g_hover.pick_kind = 0;
  return 0;
}

int drag_marked_nodes(PointF start, int mode) {
  HoverState& h = g_hover;
  const uint16_t saved_mode = h.pick_mode;
  const PointF entry_start = start;
  show_prompt(DESTINATION_PROMPT);
  h.pick_mode = PICK_MODE_NODES;
  g_point_picking.snap_context = SNAP_CONTEXT_DEFAULT;
  button_commands_set(COMMAND_FINISHED, COMMAND_SNAP_MENU, COMMAND_SNAP_MENU);
  set_pointer_shape(DRAG_POINTER_SHAPE);
  bool whole = false;
  EventCode ending = KEY_ESC;
  for (;;) {
    const EventCode code = next_entry_event(-1);
    const int16_t command = press_command(code);
    PointF p{};
    bool have = false;
    bool last = false;
    if (command == KEY_ENTER || command == KEY_ESC || command == COMMAND_FINISHED) {
      ending = command;
      break;
    }
    if (command == KEY_SNAP || command == COMMAND_SNAP_MENU) {
      if (snap_via_menu(SNAP_CONTEXT_DEFAULT, &p) != 0) continue;
      have = last = true;
    } else if (command == KEY_F8) {
      cycle_axis_lock(1);
      continue;
    } else if (command == 804) {
      whole = true;
      continue;
    } else if (command == EVENT_POINTER_MOVE) {
      if (whole) {
        carry_working_set(&start);
        continue;
      }
      p = pointer_point(start, entry_start, true);
      have = true;
    } else if (code > 0 && code < 128 && std::strchr(DRAG_TYPED_CHARS, static_cast<int>(code)) != nullptr) {
      if (!typed_destination(code, entry_start, DRAG_ENTRY_FLAGS, &p)) continue;
      have = last = true;
    } else {
      continue;
    }
    if (!have) continue;
    g_point_picking.picked_point = p;
    if (mode == NODE_MOVE_BY_VECTOR) {
      const PointF d{p.x - start.x, p.y - start.y};
      if (d.x != 0.0f || d.y != 0.0f) {
        xor_draw_working_set();
        apply_move(d, NODE_MOVE_BY_VECTOR);
        start = p;
        xor_draw_working_set();
      }
    } else if (p.x != 0.0f || p.y != 0.0f) {
      xor_draw_working_set();
      apply_move(p, g_furniture.axis_lock & 3);
      xor_draw_working_set();
    }
    if (last) {
      ending = code;
      break;
    }
  }
  button_commands_pop();
  h.pick_mode = saved_mode;
  return ending;
}

int drag_to_destination(PointF reference) {
  HoverState& h = g_hover;
  const uint16_t saved_mode = h.pick_mode;
  const PointF entry_reference = reference;
  set_working_active(false);
  h.pick_mode = PICK_MODE_NODES;
  g_point_picking.snap_context = SNAP_CONTEXT_DEFAULT;
  button_commands_set(COMMAND_FINISHED, COMMAND_SNAP_MENU, COMMAND_SNAP_MENU);
  int result = PLACE_DONE;
  g_move.last_event = 0;
  for (;;) {
    const EventCode code = next_entry_event(-1);
    const int16_t command = press_command(code);
    PointF p{};
    bool last = false;
    if (command == KEY_ENTER || command == COMMAND_FINISHED) {
      g_move.last_event = command;
      break;
    }
    if (command == KEY_ESC) {
      xor_draw_working_set();
      g_move.last_event = KEY_ESC;
      result = PLACE_CANCELLED;
      break;
    }
    if (command == KEY_SNAP || command == COMMAND_SNAP_MENU) {
      if (snap_via_menu(SNAP_CONTEXT_DEFAULT, &p) != 0) continue;
      last = true;
    } else if (command == EVENT_POINTER_MOVE) {
      p = pointer_point(reference, entry_reference, false);
    } else if (starts_typed_value(code)) {
      if (!typed_destination(code, entry_reference, PLACE_ENTRY_FLAGS, &p)) continue;
      last = true;
    } else {
      continue;
    }
    const PointF d{p.x - reference.x, p.y - reference.y};
    if (!same_point(p, reference)) {
      xor_draw_working_set();
      translate_working_set(d);
      reference = p;
      relayout_session_texts();
      if (g_move.moving_image != 0) {
        g_image_record.origin_x += d.x;
        g_image_record.origin_y += d.y;
        ++g_drawing_page.redraw_request;
      }
      xor_draw_working_set();
    }
    if (last) {
      g_move.last_event = code;
      break;
    }
  }
  set_working_active(true);
  button_commands_pop();
  h.pick_mode = saved_mode;
  return result;
}

int pick_move_start(PointF* start, bool with_help) {
  show_prompt(START_PROMPT);
  if (with_help) help_push(MSG_HELP_START_POINT);
  const int picked = select_point(start);
  if (with_help) help_pop();
  return picked == 0 ? PLACE_DONE : PLACE_CANCELLED;
}

int pick_move_destination(PointF start) {
  show_prompt(DESTINATION_PROMPT);
  set_pointer_shape(DRAG_POINTER_SHAPE);
  return drag_to_destination(start);
}

int move_image_frame(DrawingItem* frame) {
  if (edit_begin(frame, 1) < 0) return -1;
  const float x = g_image_record.origin_x;
  const float y = g_image_record.origin_y;
  show_prompt(START_PROMPT);
  PointF start{};
  int result = select_point(&start) == 0 ? PLACE_DONE : PLACE_CANCELLED;
  if (result == PLACE_DONE) {
    g_move.moving_image = 1;
    result = pick_move_destination(start);
    g_move.moving_image = 0;
  }
  if (result == PLACE_DONE && g_edit.working_set != nullptr) {
    const PointF corner = item_nodes(g_edit.working_set)->point;
    g_image_record.origin_x = corner.x;
    g_image_record.origin_y = corner.y;
  } else {
    g_image_record.origin_x = x;
    g_image_record.origin_y = y;
  }
  xor_draw_working_set();
  edit_cancel();
  ++g_drawing_page.redraw_request;
  return result == PLACE_DONE ? 0 : -1;
}

void reset_move_state() { g_move = MoveState{}; }
