// MOVE with nothing hovered: the panel in the prompt strip chooses nodes, links or items and
// holds a typed value; nodes are marked by a box or one by one and moved by dragging or by the
// value; a hovered node, link or item moves by the value through the node editor.
#include "commands/move_command.h"

#include <cstring>
#include <vector>

#include "commands/move_nodes.h"
#include "commands/node_edit_session.h"
#include "commands/transform_by_values.h"
#include "store/message_ids.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/coord_entry.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/marks.h"
#include "editor/page_furniture.h"
#include "editor/point_picking.h"
#include "editor/rubber_box.h"
#include "editor/view.h"
#include "screen/controls.h"
#include "store/picture_numbers.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "store/line_list.h"
#include "ui/entry_line.h"
#include "ui/message_box.h"

MovePanelState g_move_panel;

namespace {

constexpr int16_t COMMAND_MOVE_NODE = 802;
constexpr int16_t COMMAND_MOVE_LINK = 803;
constexpr int16_t COMMAND_MOVE_ITEM = 804;
constexpr int16_t COMMAND_UNMARK_NODE = 855;
constexpr int16_t COMMAND_NONE = 895;
constexpr int OP_TYPED_NODE = 926;
constexpr int OP_TYPED_LINK = 927;
constexpr int OP_TYPED_ITEM = 928;
constexpr int32_t BOX_STYLE = 0x40004;
constexpr uint8_t MOVE_HAS_MARKED_NODES = 0x10;
constexpr int ENTRY_ROW = 3;
constexpr int ENTRY_COLUMN = 38;
constexpr int ENTRY_WIDTH = 16;
constexpr uint16_t PICK_MODE_NODE_TARGET = 0x108;
constexpr uint16_t PICK_MODE_LINK_TARGET = 0x102;
constexpr uint16_t PICK_MODE_ITEM_TARGET = 0x104;
constexpr int POINTER_NODE_IDLE = 19;
constexpr int POINTER_IDLE = 11;
constexpr int POINTER_OVER_HIT = 17;
constexpr char MOVE_PROMPT[] = "MOVE nodes, links, or items.";
constexpr char NO_DISTANCE_TEXT[] =
    "You haven't yet specified a distance to move!\nJust start typing a value.";
constexpr char ZOOM_TEXT[] = "Press PGUP & PGDN to zoom in/out,\nand the arrow keys to pan";
constexpr char LABEL_POINT[] = "XY Coordinate to move to, or";

enum ControlId : uint8_t {
  ID_DONE = 10, ID_NODE = 11, ID_LINK = 12, ID_ITEM = 13, ID_ENTRY = 14, ID_UNMARK = 15,
  ID_BY_DRAGGING = 16, ID_BY_VALUE = 17, ID_TO_DRAWING = 100, ID_IN = 105, ID_OUT = 111,
  ID_PAN = 112,
};

std::vector<ScreenControl>& move_panel() {
  static std::vector<ScreenControl> table;
  if (table.empty()) {
    table.push_back(make_control("Done", ID_DONE, 0, -6, 1, 4, 72, 0));
    table.push_back(make_control("\x13Node", ID_NODE, 1, 60, 1, 4, 126, CF_RADIO | CF_CHECKED));
    table.push_back(make_control("\x13Link", ID_LINK, 2, 60, 1, 4, 127, CF_RADIO));
    table.push_back(make_control("\x13Item", ID_ITEM, 3, 60, 1, 4, 128, CF_RADIO));
    table.push_back(make_control("", ID_ENTRY, ENTRY_ROW, ENTRY_COLUMN, 1, ENTRY_WIDTH, 129, CF_ENTRY));
    table.push_back(make_control("Un-Mark nodes", ID_UNMARK, 3, 104, 1, 13, 130, CF_HIDDEN));
    table.push_back(make_control("\023By dragging", ID_BY_DRAGGING, 1, 70, 1, 13, 131,
                                 CF_RADIO | CF_HIDDEN));
    table.push_back(make_control("\023By value", ID_BY_VALUE, 2, 70, 1, 10, 132,
                                 CF_RADIO | CF_CHECKED | CF_HIDDEN));
    table.push_back(make_control(LABEL_POINT, 0, 2, 5, 1, 28, 0, CF_NO_BOX | CF_HIDDEN));
    table.push_back(make_control("Distance & Angle to move:", 0, 3, 9, 1, 25, 0, CF_NO_BOX));
    table.push_back(make_control("Zoom:", 0, 3, -31, 1, 5, 0, CF_NO_BOX));
    table.push_back(make_control("IN", ID_IN, 3, -24, 1, 2, 159, 0));
    table.push_back(make_control("OUT", ID_OUT, 3, -20, 1, 3, 160, 0));
    table.push_back(make_control("to drawing", ID_TO_DRAWING, 3, -15, 1, 10, 157, 0));
    table.push_back(make_control("", ID_PAN, 2, -20, 1, 3, 161, CF_PICTURE));
    table.back().style = PICTURE_PAN_BUTTON;
    table.push_back(end_control());
  }
  return table;
}

// Id 0 is every label's: no control answers to it.
ScreenControl* control(int id) { return id == 0 ? nullptr : find_control_in(move_panel().data(), id); }

ScreenControl* label_control() {
  for (ScreenControl& c : move_panel())
    if (std::strcmp(c.caption, LABEL_POINT) == 0) return &c;
  return nullptr;
}

void set_hidden(ScreenControl* c, bool hidden) {
  if (c == nullptr) return;
  if (hidden) c->flags |= CF_HIDDEN;
  else c->flags &= ~CF_HIDDEN;
}

bool checked(int id) {
  const ScreenControl* c = control(id);
  return c != nullptr && (c->flags & CF_CHECKED) != 0;
}

void check_radio(int first, int count, int id) {
  for (int k = 0; k < count; ++k) {
    ScreenControl* c = control(first + k);
    if (c == nullptr) continue;
    if (first + k == id) c->flags |= CF_CHECKED;
    else c->flags &= ~CF_CHECKED;
  }
}

bool nodes_marked() { return (marks_summary(1) & MARKS_NODES) != 0; }

// The typed flags of the entry field: (Y mode x 16) + X mode, 0 when nothing was typed.
int typed_flags(PointF reference) {
  CoordEntry& e = g_coord.entry;
  zero_coord_entry(&e);
  e.reference = reference;
  e.current = reference;
  char text[COORD_TEXT_MOST + 1];
  std::strncpy(text, g_move_panel.text, sizeof text);
  text[COORD_TEXT_MOST] = '\0';
  if (text[0] == '\0') return 0;
  return apply_typed_field(text, ENTRY_ALL_POINTS, ENTRY_KIND_POINT);
}

void redraw_panel() { draw_controls(move_panel().data(), 0); }

void edit_entry_field() {
  char text[COORD_TEXT_MOST + 1];
  std::strncpy(text, g_move_panel.text, sizeof text);
  text[COORD_TEXT_MOST] = '\0';
  edit_text_line(text, ENTRY_ROW, ENTRY_COLUMN, nullptr, 0, ENTRY_WIDTH - 1, 0);
  std::strncpy(g_move_panel.text, text, sizeof g_move_panel.text);
  g_move_panel.text[COORD_TEXT_MOST] = '\0';
  std::strncpy(control(ID_ENTRY)->caption, g_move_panel.text, CONTROL_CAPTION_SIZE - 1);
  // A typed value is moved by value, not by dragging.
  if (checked(ID_BY_DRAGGING) && (control(ID_BY_DRAGGING)->flags & CF_HIDDEN) == 0)
    check_radio(ID_BY_DRAGGING, 2, ID_BY_VALUE);
  redraw_panel();
}

// Runs the node editor on what is hovered with a typed operation.
void typed_session(int op) {
  HoverState& h = g_hover;
  PointF at{};
  hover_point(&at);
  if (typed_flags(at) == 0) {
    show_text_box(NO_DISTANCE_TEXT, TEXTBOX_PRESS_A_KEY);
    return;
  }
  h.pick_mode |= 0x40;
  node_edit_session(op);
  h.hover_item = nullptr;
  h.pick_kind = 0;
}

// The NodeMoveMode of the typed flags, or -1 when no axis was typed.
int mode_of_typed(int flags) {
  const int x = flags & 0x0F;
  const int y = (flags >> 4) & 0x0F;
  if (x == AXIS_ABSOLUTE && y == AXIS_ABSOLUTE) return NODE_MOVE_TO_POINT;
  if (x == AXIS_ABSOLUTE)
    return y == AXIS_RELATIVE || y == AXIS_POLAR ? NODE_MOVE_Y_BY_DISTANCE : NODE_MOVE_KEEP_Y;
  if (y == AXIS_ABSOLUTE) return x == AXIS_RELATIVE ? NODE_MOVE_X_BY_DISTANCE : NODE_MOVE_KEEP_X;
  if (x == AXIS_RELATIVE || y == AXIS_RELATIVE || y == AXIS_POLAR) return NODE_MOVE_BY_VECTOR;
  return -1;
}

void box_mark_nodes(int mark) {
  PointF low{}, high{};
  if (rubber_box(&low, &high, BOX_STYLE) != RUBBER_DONE) return;
  if (mark != 0 && !g_move_panel.box_marked) {
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
      if (!item->extra.empty()) clear_item_node_marks(item, MARKS_SAVED_ITEMS);
    g_move_panel.box_marked = true;
  }
  window_mark_nodes(low, high, mark);
  g_move_panel.state = static_cast<uint8_t>(
      (g_move_panel.state & ~MOVE_HAS_MARKED_NODES) | (marks_summary(1) & MOVE_HAS_MARKED_NODES));
}

void unmark_every_node() {
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    if (!item->extra.empty()) clear_item_node_marks(item, MARKS_SAVED_ITEMS);
  marks_summary_bits() = static_cast<int16_t>(marks_summary_bits() & ~MARKS_NODES);
  g_move_panel.state &= static_cast<uint8_t>(~MOVE_HAS_MARKED_NODES);
}

// A marked node under the pointer starts the move of every marked node.
void move_marked(PointF at) {
  if (checked(ID_BY_DRAGGING)) {
    g_edit.selection_mask = ITEM_FLAG_HAS_MARKED_NODES;
    move_by_points_or_values(0);
    return;
  }
  const int mode = mode_of_typed(typed_flags(at));
  if (mode < 0) {
    show_text_box(NO_DISTANCE_TEXT, TEXTBOX_PRESS_A_KEY);
    return;
  }
  move_marked_nodes_by_value(mode);
}

// The left button over the drawing in Node mode.
void node_target(HoverState& h) {
  if (h.hover_item == nullptr || h.pick_kind == 0) {
    box_mark_nodes(1);
    return;
  }
  if (h.pick_kind != PICK_START_NODE && h.pick_kind != PICK_END_NODE) return;
  if (!nodes_marked()) {
    typed_session(OP_TYPED_NODE);
    return;
  }
  PointF at{};
  hover_point(&at);
  const LinkRecord* node = h.pick_kind == PICK_END_NODE ? h.hover_link + 1 : h.hover_link;
  if (node != nullptr && (node->link_flags & LINK_NODE_MARKED) != 0) {
    move_marked(at);
    return;
  }
  mark_under_cursor(TOOL_MARK_NODES);
}

}  // namespace

void update_move_mark_buttons() {
  const bool show = checked(ID_NODE) && nodes_marked();
  ScreenControl* unmark = control(ID_UNMARK);
  const bool shown = unmark != nullptr && (unmark->flags & CF_HIDDEN) == 0;
  if (show == shown) return;
  set_hidden(unmark, !show);
  set_hidden(control(ID_BY_DRAGGING), !show);
  set_hidden(control(ID_BY_VALUE), !show);
  redraw_panel();
}

// The help of the panel's choice: the entry MOVE pushed is replaced, so the stack never grows.
void show_move_help(int message) {
  g_help.entries[g_help.depth] = static_cast<int16_t>(message);
  help_show_top();
}

void update_move_panel() {
  HoverState& h = g_hover;
  const bool marked = nodes_marked();
  uint8_t& idle = g_drawing_page.editor_pointer_shape;
  if (checked(ID_NODE)) {
    // The record move_command saved comes back first, so the stack never grows here.
    button_commands_pop();
    button_commands_set(COMMAND_MOVE_NODE, COMMAND_NONE, marked ? COMMAND_UNMARK_NODE : COMMAND_NONE);
    h.pick_mode = PICK_MODE_NODE_TARGET;
    set_hidden(label_control(), false);
    idle = POINTER_NODE_IDLE;
    show_move_help(marked ? MSG_HELP_MOVE_MARKED_NODES : MSG_HELP_MOVE_NODE);
  } else {
    const bool link = checked(ID_LINK);
    button_commands_pop();
    button_commands_set(link ? COMMAND_MOVE_LINK : COMMAND_MOVE_ITEM, COMMAND_NONE, COMMAND_NONE);
    h.pick_mode = link ? PICK_MODE_LINK_TARGET : PICK_MODE_ITEM_TARGET;
    set_hidden(label_control(), true);
    idle = POINTER_IDLE;
    show_move_help(link ? MSG_HELP_MOVE_LINK : MSG_HELP_MOVE_ITEM);
  }
  redraw_panel();
  update_move_mark_buttons();
  show_message_area(ZOOM_TEXT);
}

void select_move_target(int n) {
  check_radio(ID_NODE, 3, ID_NODE + n - 1);
  update_move_panel();
}

int move_command() {
  HoverState& h = g_hover;
  const uint16_t saved_mode = h.pick_mode;
  button_commands_set(COMMAND_MOVE_NODE, COMMAND_NONE, COMMAND_NONE);
  h.hover_item = nullptr;
  h.pick_kind = 0;
  g_point_picking.snap_context = SNAP_CONTEXT_DEFAULT;
  h.hover_shape = POINTER_OVER_HIT;
  g_move_panel.state = 0;
  g_move_panel.box_marked = false;
  push_control_table();
  help_push(MSG_HELP_MOVE_NODE);
  select_move_target(1);
  for (;;) {
    show_prompt(MOVE_PROMPT);
    const EventCode code = next_editor_event_hover();
    if (code == EVENT_REDRAW) {
      view_keys(VIEW_REDRAW_ONLY);
      redraw_panel();
      continue;
    }
    if (code == KEY_ENTER || code == KEY_ESC || code == EVENT_QUIT) {
      if (code == EVENT_QUIT) push_input_code(EVENT_QUIT);
      break;
    }
    if (code == EVENT_POINTER_MOVE) continue;
    if (code == EVENT_CONTROL_CLICKED) {
      const int id = hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y);
      if (id == ID_DONE) break;
      switch (id) {
        case ID_NODE: case ID_LINK: case ID_ITEM: select_move_target(id - ID_NODE + 1); break;
        case ID_ENTRY: edit_entry_field(); break;
        case ID_UNMARK: unmark_every_node(); update_move_panel(); break;
        case ID_BY_DRAGGING: case ID_BY_VALUE: check_radio(ID_BY_DRAGGING, 2, id); redraw_panel(); break;
        case ID_IN: repeat_zoom_while_held(KEY_PGUP, nullptr); break;
        case ID_OUT: repeat_zoom_while_held(KEY_PGDN, nullptr); break;
        case ID_TO_DRAWING: zoom_to_drawing(); break;
        case ID_PAN: pan_by_drag(); break;
        default: break;
      }
      continue;
    }
    if (code == COMMAND_UNMARK_NODE) {
      if (h.hover_item != nullptr && h.pick_kind != 0) mark_under_cursor(TOOL_UNMARK_NODES);
      else box_mark_nodes(0);
      update_move_panel();
      continue;
    }
    if (starts_typed_value(code)) {
      push_input_code_front(code);
      edit_entry_field();
      continue;
    }
    if (code != COMMAND_MOVE_NODE && code != COMMAND_MOVE_LINK && code != COMMAND_MOVE_ITEM) {
      if (view_keys(code) != 0) update_cursor_point();
      continue;
    }
    g_edit.selection_mask = 0;
    const bool hovered = h.hover_item != nullptr && h.pick_kind != 0;
    if (hovered && g_move_panel.text[0] == '\0' && !nodes_marked()) {
      show_text_box(NO_DISTANCE_TEXT, TEXTBOX_PRESS_A_KEY);
      continue;
    }
    if (code == COMMAND_MOVE_NODE) node_target(h);
    else if (code == COMMAND_MOVE_LINK && hovered && h.pick_kind >= 3) typed_session(OP_TYPED_LINK);
    else if (code == COMMAND_MOVE_ITEM && hovered) typed_session(OP_TYPED_ITEM);
    update_move_panel();
  }
  help_pop();
  button_commands_pop();
  pop_control_table();
  h.hover_item = nullptr;
  h.pick_kind = 0;
  h.pick_mode = saved_mode;
  g_drawing_page.editor_pointer_shape = POINTER_IDLE;
  g_edit.selection_mask = 0x12;
  if (g_move_panel.box_marked) {
    for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
      if (!item->extra.empty()) clear_item_node_marks(item, MARKS_SAVED_ITEMS);
  }
  ++g_drawing_page.redraw_request;
  return 0;
}

void reset_move_panel() { g_move_panel = MovePanelState{}; }

void move_panel_control_centre(int id, int* x, int* y) {
  ScreenControl* c = control(id);
  *x = *y = -1;
  if (c == nullptr) return;
  layout_control(c);
  *x = c->x + c->hit_width / 2;
  *y = c->y + c->hit_height / 2;
}
