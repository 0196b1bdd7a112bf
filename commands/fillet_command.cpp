#include "commands/fillet_command.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "commands/node_edit_session.h"
#include "commands/offset_command.h"
#include "commands/view_buttons.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/coord_entry.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/render.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/node_surgery.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/float_text.h"
#include "store/message_ids.h"
#include "ui/entry_line.h"
#include "ui/field_flags.h"
#include "ui/message_box.h"

FilletState g_fillet;

void reset_fillet_state() { g_fillet = FilletState{}; }

namespace {

constexpr int16_t CMD_FILLET_DRAG = 833;
constexpr int16_t CMD_FILLET_VALUE = 867;
constexpr int16_t CMD_NONE = 895;

constexpr uint8_t ID_DONE = 10;
constexpr uint8_t ID_BY_DRAGGING = 11;
constexpr uint8_t ID_BY_VALUE = 12;
constexpr uint8_t ID_RADIUS = 13;

constexpr int RADIUS_WIDTH = 8;
constexpr uint32_t MESSAGE_FLAGS = TEXTBOX_SCREEN_CENTRE | TEXTBOX_WAIT_KEY;

constexpr char PROMPT[] = "SELECT:";
constexpr char VIEW_HINT[] = "Press PGUP & PGDN to zoom in/out,\nand the arrow keys to pan";
constexpr char TEXT_REFUSED[] = "Text items cannot be filleted.";
constexpr char SYMMETRIC_END_REFUSED[] =
    "Sorry... this aint smart enough to fillet the starting or ending node of a symmetric "
    "polyline. Pick some other location..";

float& radius() { return g_edit.node.fillet_radius; }

std::vector<ScreenControl>& table() {
  static std::vector<ScreenControl> t;
  if (t.empty()) {
    t.push_back(make_control("Done", ID_DONE, 0, -6, 1, 4, 0, 0));
    t.push_back(make_control("By \vd\x13ragging", ID_BY_DRAGGING, 2, 50, 1, 11, 0, CF_RADIO));
    t.push_back(make_control("By value:", ID_BY_VALUE, 3, 50, 1, 8, 0, CF_RADIO));
    t.push_back(make_control("", ID_RADIUS, 3, 63, 1, RADIUS_WIDTH, 0, CF_ENTRY));
    ViewButtonLayout view;
    view.label = {3, -31};
    view.in = {3, -24};
    view.out = {3, -20};
    view.to_drawing = {2, -15};
    view.pan = {2, -20};
    append_view_buttons(&t, view);
    t.push_back(end_control());
  }
  return t;
}

ScreenControl* control(uint8_t id) { return find_control_in(table().data(), id); }

void fill_controls() {
  const auto tick = [](uint8_t id, bool on) {
    ScreenControl* c = control(id);
    if (on) c->flags |= CF_CHECKED;
    else c->flags &= ~CF_CHECKED;
  };
  tick(ID_BY_DRAGGING, !g_fillet.by_value);
  tick(ID_BY_VALUE, g_fillet.by_value);
  const std::string text = format_float_text(radius(), 0);
  std::snprintf(control(ID_RADIUS)->caption, sizeof control(ID_RADIUS)->caption, "%s",
                text.c_str());
}

int16_t left_command() { return g_fillet.by_value ? CMD_FILLET_VALUE : CMD_FILLET_DRAG; }

// Help, legend and panel for the current choices.
void show_panel() {
  fill_controls();
  help_pop();
  int help = MSG_HELP_FILLET_NODES;
  if (g_fillet.by_value && radius() == 0.0f) help = MSG_HELP_FILLET_NODES + 35;
  help_push(static_cast<int16_t>(help));
  help_show_top();
  g_button_bindings.current[BUTTON_LEFT_BIT] = left_command();
  draw_controls(table().data(), 0);
  draw_button_legend(1);
}

void start_panel() {
  show_message_area(VIEW_HINT);
  show_prompt(PROMPT);
  show_panel();
  g_hover.hover_item = nullptr;
}

void choose(bool by_value) {
  g_fillet.by_value = by_value;
  show_panel();
}

// The radius typed into its field; Enter chooses "By value:".
void edit_radius(EventCode first_key) {
  ScreenControl* c = control(ID_RADIUS);
  if (first_key != 0) push_input_code_front(first_key);
  const auto& cell = g_display.presets[FACE_ROLE_MENU];
  const int row = c->y / std::max<int>(1, cell.cell_height);
  const int column = c->x / std::max<int>(1, cell.cell_width);
  float typed = radius();
  const int16_t result = edit_number_box(row, column, RADIUS_WIDTH, &typed,
                                         FIELD_FLOAT, EXIT_ENTER);
  if (result < 0 && typed >= 0.0f) {
    radius() = typed;
    g_fillet.by_value = true;
  }
  show_panel();
}

bool symmetric(const DrawingItem* item) {
  return (item_nodes(item)[0].node_flags & NODE_SYMMETRY_MASK) != 0;
}

// A click on a node or link: the checks, then the node editor makes the fillet.
void fillet_hovered(int16_t command) {
  HoverState& h = g_hover;
  DrawingItem* item = h.hover_item;
  LinkRecord* link = h.hover_link;
  if (item == nullptr || link == nullptr || item->extra.empty()) return;
  const bool node = h.pick_kind == PICK_START_NODE || h.pick_kind == PICK_END_NODE;
  if (!node && h.pick_kind < PICK_ON_LINK_NEAR_START) return;
  if (link->code < LINK_RIGID_LINE) {
    get_message(MSG_FILLET_CURVE_REFUSED);
    return;
  }
  if (item_is_text(item)) {
    show_text_box(TEXT_REFUSED, MESSAGE_FLAGS);
    return;
  }
  const uint8_t type = item_type(item);
  const bool zero_by_value = command == CMD_FILLET_VALUE && radius() == 0.0f;
  if (type == ITEM_ROUNDED_RECTANGLE && (node || !code_is_arc(link->code) || zero_by_value))
    return;
  if (symmetric(item)) {
    if (h.link_index < 2) return;
    if (h.link_index == 2 || (h.link_index == item_link_count(item) - 1 &&
                              h.pick_kind == PICK_END_NODE)) {
      show_text_box(SYMMETRIC_END_REFUSED, MESSAGE_FLAGS);
      return;
    }
  }
  if (zero_by_value && node) return;
  if (command == CMD_FILLET_DRAG) help_push(MSG_HELP_FILLET_DRAG);
  g_edit.node.session_flags &= static_cast<uint8_t>(~NODE_SESSION_TYPED_FILLET);
  g_edit.node.fillet_on_curve = 0;
  hide_pointer();
  node_edit_session(command);
  if (command == CMD_FILLET_DRAG) help_pop();
  if (g_edit.node.fillet_on_curve != 0) get_message(MSG_FILLET_CURVE_REFUSED);
  if ((g_edit.node.session_flags & NODE_SESSION_TYPED_FILLET) != 0) g_fillet.by_value = true;
  show_message_area(VIEW_HINT);
  show_panel();
  h.hover_item = nullptr;
  h.hover_link = nullptr;
  h.pick_kind = 0;
}

}  // namespace

int fillet_command() {
  HoverState& h = g_hover;
  hide_pointer();
  button_commands_set(left_command(), CMD_NONE, CMD_NONE);
  const uint16_t saved_pick_mode = h.pick_mode;
  h.pick_mode = PICK_MODE_NODES | PICK_MODE_LINKS | PICK_MODE_ITEM_REPORTS;
  help_push(MSG_HELP_FILLET_NODES);
  push_control_table();
  start_panel();
  for (bool done = false; !done;) {
    const EventCode code = next_editor_event_hover();
    if (g_form.redraw_level != 0 || code == EVENT_REDRAW) {
      g_form.redraw_level = 0;
      view_keys(VIEW_REDRAW_ONLY);
      start_panel();
      continue;
    }
    switch (code) {
      case KEY_ENTER:
      case KEY_ESC: done = true; continue;
      case EVENT_QUIT: push_input_code(EVENT_QUIT); done = true; continue;
      case CMD_NONE: done = ask_catalogue_choice(MSG_FILLET_BUTTON_CHOICE, 1) == 0; continue;
      case 'd':
      case 'D': choose(false); continue;
      case CMD_FILLET_DRAG:
      case CMD_FILLET_VALUE: fillet_hovered(code); continue;
      case EVENT_CONTROL_CLICKED: {
        const int id = hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y);
        switch (id) {
          case ID_DONE: done = true; continue;
          case ID_BY_DRAGGING: choose(false); continue;
          case ID_BY_VALUE: choose(true); continue;
          case ID_RADIUS: edit_radius(0); continue;
          default: run_view_button(id); continue;
        }
      }
      default: break;
    }
    if (starts_typed_value(code)) {
      edit_radius(code);
      continue;
    }
    if (view_keys(code) != 0) update_cursor_point();
  }
  pop_control_table();
  help_pop();
  help_show_top();
  button_commands_pop();
  draw_button_legend(1);
  h.hover_item = nullptr;
  h.pick_kind = 0;
  h.pick_mode = saved_pick_mode;
  return 0;
}
