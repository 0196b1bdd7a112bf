#include "commands/machining_order_mode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cam/machining_block.h"
#include "cam/machining_groups.h"
#include "cam/machining_order.h"
#include "cam/make_nc.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/drawing_commands.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/view.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/message_ids.h"
#include "ui/entry_line.h"
#include "ui/field_flags.h"

namespace {

constexpr EventCode CUT_FIRST = 883;
constexpr EventCode CUT_NEXT = 884;
constexpr EventCode NO_COMMAND = 895;
constexpr char TITLE[] = "\fSET MACHINING ORDER";
constexpr int16_t GROUP_MOST = 32000;

enum ControlId : uint8_t {
  ID_DONE = 27, ID_GROUP = 2, ID_GROUP_UP = 3, ID_GROUP_DOWN = 4, ID_HIDE_OTHERS = 5,
  ID_FINISHED_GROUP = 6, ID_ORDER = 8, ID_ORDER_UP = 9, ID_ORDER_DOWN = 10, ID_ZOOM_IN = 11,
  ID_ZOOM_OUT = 12, ID_TO_DRAWING = 13, ID_PAN = 14,
};
constexpr int FIELD_WIDTH = 6;

// What the mode keeps until it is left.
struct OrderMode {
  int mode = 0;
  int16_t group = MACHINING_GROUP_DEFAULT;  // the group field
  int16_t next_order = 1;                   // the order field
  int16_t shown_group = -1;                 // mode 0: the group being numbered; -1 none yet
  DrawingItem* last_numbered = nullptr;
  int numbered = 0;
  std::vector<ScreenControl> controls;
};

std::vector<ScreenControl> make_controls(int mode) {
  std::vector<ScreenControl> t;
  const uint32_t group_flags = mode == 0 ? CF_HIDDEN : 0;
  t.push_back(make_control("Done", ID_DONE, 0, -5, 1, 4, 0, 0));
  t.push_back(make_control("Machining\nGroup:", 0, 2, -31, 2, 10, 0, CF_NO_BOX | group_flags));
  t.push_back(make_control("10", ID_GROUP, 2, -20, 1, FIELD_WIDTH, 0, group_flags));
  t.push_back(make_control(" \x08+", ID_GROUP_UP, 2, -13, 1, 3, 0, group_flags));
  t.push_back(make_control(" \x08.", ID_GROUP_DOWN, 2, -9, 1, 3, 0, group_flags));
  t.push_back(make_control("\x0eHide other machining groups", ID_HIDE_OTHERS, 5, -31, 1, 28, 0,
                           CF_CHECKBOX));
  t.push_back(make_control("Finished with\n this group", ID_FINISHED_GROUP, 7, -31, 2, 14, 0,
                           mode == 0 ? 0 : CF_HIDDEN));
  t.push_back(make_control("Next Machining\nOrder:", 0, 10, -31, 2, 14, 0, CF_NO_BOX));
  t.push_back(make_control("1", ID_ORDER, 10, -16, 1, FIELD_WIDTH, 0, 0));
  t.push_back(make_control(" \x08+", ID_ORDER_UP, 10, -9, 1, 3, 0, 0));
  t.push_back(make_control(" \x08.", ID_ORDER_DOWN, 10, -5, 1, 3, 0, 0));
  t.push_back(make_control("Zoom:", 0, 13, -31, 1, 5, 0, CF_NO_BOX));
  t.push_back(make_control("IN", ID_ZOOM_IN, 13, -24, 1, 3, 159, 0));
  t.push_back(make_control("OUT", ID_ZOOM_OUT, 13, -20, 1, 4, 160, 0));
  t.push_back(make_control("to drawing", ID_TO_DRAWING, 13, -15, 1, 10, 157, 0));
  t.push_back(make_control("Pan", ID_PAN, 14, -24, 1, 4, 161, 0));
  t.push_back(end_control());
  return t;
}

void show_number(OrderMode& m, int id, int value) {
  ScreenControl* c = find_control_in(m.controls.data(), id);
  if (c == nullptr) return;
  std::snprintf(c->caption, CONTROL_CAPTION_SIZE, "%d", value);
  if ((c->flags & CF_HIDDEN) == 0) draw_controls(c, 1);
}

void show_mode(OrderMode& m) {
  show_prompt(TITLE);
  draw_controls(m.controls.data(), 0);
  show_number(m, ID_GROUP, m.group);
  show_number(m, ID_ORDER, m.next_order);
}

// The help of the mode: before the first pick, and after it.
void show_mode_help(const OrderMode& m, bool picking_next) {
  help_pop();
  help_push(static_cast<int16_t>((picking_next ? MSG_HELP_ORDER_NEXT : MSG_HELP_ORDER_FIRST) + m.mode));
  help_show_top();
}

// The left button picks the first item of a group, or the next one; the mode's one saved
// binding record stays the caller's.
void bind_left(EventCode left) {
  button_commands_pop();
  button_commands_set(left, NO_COMMAND, CUT_FIRST);
  draw_button_legend(1);
}

int16_t clamp_positive(int value) { return static_cast<int16_t>(std::clamp(value, 1, static_cast<int>(GROUP_MOST))); }

// A number typed in place in the field; a value of 0 or less becomes 1.
void edit_field(OrderMode& m, int id, int16_t* value) {
  ScreenControl* c = find_control_in(m.controls.data(), id);
  if (c == nullptr) return;
  const int cell_w = g_display.current.cell_width, cell_h = g_display.current.cell_height;
  int32_t typed = *value;
  edit_number_box(c->y / std::max(cell_h, 1), c->x / std::max(cell_w, 1), FIELD_WIDTH, &typed,
                  FIELD_LONG | FIELD_MINUS, 0);
  *value = clamp_positive(typed);
  show_number(m, id, *value);
}

// Mode 0 keeps to one group once it is chosen: items of other groups are passed over.
bool offered(const OrderMode& m, const DrawingItem* item) {
  if (item == nullptr) return false;
  const int group = item_machining_group(item);
  if (group < 0) return false;
  return m.mode != 0 || m.shown_group < 0 || group == 0 || group == m.shown_group;
}

void number_item(OrderMode& m, DrawingItem* item) {
  GeometryBlock* block = item_block(item);
  CamParams p;
  if (!get_block_cam(block, &p)) return;
  if (m.mode == 1 || p.machining_group == 0) {
    p.machining_group = m.group;
    put_block_cam(block, p);
  }
  insert_in_order(item, m.next_order);
  mark_machining_changed();
  show_cam_info(item);
  m.last_numbered = item;
  ++m.numbered;
  m.next_order = clamp_positive(m.next_order + 1);
  show_number(m, ID_ORDER, m.next_order);
}

void pick_item(OrderMode& m, EventCode code, DrawingItem* item) {
  if (!offered(m, item)) return;
  if (code == CUT_FIRST && m.mode == 0 && m.shown_group < 0) {
    const int group = item_machining_group(item);
    m.group = group > 0 ? static_cast<int16_t>(group) : MACHINING_GROUP_DEFAULT;
    m.shown_group = m.group;
    show_number(m, ID_GROUP, m.group);
  }
  if (code == CUT_NEXT && item == m.last_numbered) {
    CamParams p;
    // Clicking the item just numbered again does nothing unless the order was lowered.
    if (get_block_cam(item_block(item), &p) && m.next_order >= p.machining_order) return;
  }
  if (code == CUT_FIRST) {
    bind_left(CUT_NEXT);
    show_mode_help(m, true);
  }
  number_item(m, item);
}

// A control was clicked: false when it ends the mode.
bool act_on_control(OrderMode& m, int id) {
  switch (id) {
    case ID_DONE: return false;
    case ID_GROUP: edit_field(m, ID_GROUP, &m.group); return true;
    case ID_GROUP_UP: m.group = clamp_positive(m.group + 1); show_number(m, ID_GROUP, m.group); return true;
    case ID_GROUP_DOWN: m.group = clamp_positive(m.group - 1); show_number(m, ID_GROUP, m.group); return true;
    case ID_HIDE_OTHERS: {
      ScreenControl* c = find_control_in(m.controls.data(), ID_HIDE_OTHERS);
      if (c != nullptr) {
        c->flags ^= CF_CHECKED;
        draw_controls(c, 1);
      }
      return true;
    }
    case ID_FINISHED_GROUP:
      m.shown_group = -1;
      m.next_order = 1;
      m.last_numbered = nullptr;
      show_number(m, ID_ORDER, m.next_order);
      bind_left(CUT_FIRST);
      show_mode_help(m, false);
      return true;
    case ID_ORDER: edit_field(m, ID_ORDER, &m.next_order); return true;
    case ID_ORDER_UP: m.next_order = clamp_positive(m.next_order + 1); show_number(m, ID_ORDER, m.next_order); return true;
    case ID_ORDER_DOWN: m.next_order = clamp_positive(m.next_order - 1); show_number(m, ID_ORDER, m.next_order); return true;
    case ID_ZOOM_IN: repeat_zoom_while_held(KEY_PGUP, nullptr); return true;
    case ID_ZOOM_OUT: repeat_zoom_while_held(KEY_PGDN, nullptr); return true;
    case ID_TO_DRAWING: zoom_to_drawing(); return true;
    case ID_PAN:
      while (g_pointer.button_bits != 0 && g_form.redraw_level == 0) pan_by_drag();
      return true;
    default: return true;
  }
}

void run_mode(OrderMode& m) {
  show_mode(m);
  for (;;) {
    const EventCode code = next_editor_event_hover();
    if (g_form.redraw_level != 0 || code == EVENT_REDRAW) {
      g_form.redraw_level = 0;
      view_keys(VIEW_REDRAW_ONLY);
      draw_button_legend(0);
      show_mode(m);
      continue;
    }
    if (code == KEY_ESC) return;
    if (code == EVENT_QUIT) {
      push_input_code(EVENT_QUIT);
      return;
    }
    if (code == EVENT_CONTROL_CLICKED) {
      if (!act_on_control(m, hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y))) return;
      continue;
    }
    if (code == EVENT_POINTER_MOVE) {
      DrawingItem* item = g_hover.hover_item;
      if (item == nullptr || offered(m, item)) show_cam_info(item);
      continue;
    }
    if (code == CUT_FIRST || code == CUT_NEXT) {
      pick_item(m, code, g_hover.hover_item);
      continue;
    }
    if (m.mode == 0 && code >= '0' && code <= '9') {
      push_input_code(code);
      edit_field(m, ID_ORDER, &m.next_order);
      continue;
    }
    if (view_keys(code) != 0) update_cursor_point();
  }
}

}  // namespace

void show_cam_info(DrawingItem* item) {
  if (item == nullptr) return;
  help_box_text(cam_info_text(item).c_str());
}

int machining_order_command(int mode) {
  OrderMode m;
  m.mode = mode == 1 ? 1 : 0;
  m.controls = make_controls(m.mode);
  button_commands_set(CUT_FIRST, NO_COMMAND, CUT_FIRST);
  help_push(static_cast<int16_t>(MSG_HELP_ORDER_FIRST + m.mode));
  push_control_table();
  run_mode(m);
  pop_control_table();
  help_pop();
  help_show_top();
  button_commands_pop();
  draw_button_legend(1);
  show_prompt("");
  if (m.numbered > 0) mark_machining_changed();
  return m.numbered;
}
