#include "commands/trim_extend.h"

#include <vector>

#include "commands/node_edit_session.h"
#include "commands/view_buttons.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/render.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/node_surgery.h"
#include "store/line_list.h"
#include "geometry/trim_rule.h"
#include "screen/controls.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/tick_clock.h"
#include "store/message_ids.h"
#include "ui/message_box.h"

TrimExtendState g_trim_extend;

void reset_trim_extend() { g_trim_extend = TrimExtendState{}; }

namespace {

constexpr int16_t CMD_BOUNDARY = 862;
constexpr int16_t CMD_EXTEND_OR_TRIM = 863;
constexpr int16_t CMD_EXTEND_NODE = 864;
constexpr int16_t CMD_TRIM_LINK = 865;
constexpr int16_t CMD_NONE = 895;

constexpr uint8_t ID_DONE = 27;
constexpr uint8_t ID_EITHER = 1;
constexpr uint8_t ID_EXTEND_ONLY = 2;
constexpr uint8_t ID_TRIM_ONLY = 3;

// Ticks of the blink: shown at 0, hidden from 5 on and counted again from -4.
constexpr int16_t BLINK_HIDE_AT = 5;
constexpr int16_t BLINK_RESTART = -4;
constexpr uint32_t BOUNDARY_RED = 0xFF0000;

constexpr uint32_t MESSAGE_FLAGS = TEXTBOX_SCREEN_CENTRE | TEXTBOX_WAIT_KEY;

constexpr char PROMPT[] = "TRIM and/or EXTEND lines and arcs.";
constexpr char VIEW_HINT[] = "Press PGUP & PGDN to zoom in/out,\nand the arrow keys to pan";
constexpr char ELLIPSE_TEXT[] = "This version can't yet use ellipses as a boundary.";
constexpr char TEXT_TEXT[] =
    "You can use the dotted box around text as a \vboundary\x13,\n"
    "but you cant extend or trim text.";
constexpr char NOT_CROSSED_TEXT[] =
    "That link does not \vcross\x13 over the boundary,\nso there is nothing to trim from it.";
constexpr char NOT_MET_TEXT[] =
    "That link does not \vintersect\x13 the boundary,\nso it cant be extended to the boundary.";

void add_view_buttons(std::vector<ScreenControl>* t) {
  ViewButtonLayout view;
  view.label = {3, -31};
  view.in = {3, -24};
  view.out = {3, -20};
  view.to_drawing = {1, -15};
  view.pan = {1, -20};
  append_view_buttons(t, view);
}

std::vector<ScreenControl>& short_table() {
  static std::vector<ScreenControl> t;
  if (t.empty()) {
    t.push_back(make_control("Done", ID_DONE, 0, -5, 1, 4, 0, 0));
    add_view_buttons(&t);
    t.push_back(end_control());
  }
  return t;
}

// The boundary table; the radio marks follow the kept mode.
std::vector<ScreenControl>& boundary_table() {
  static std::vector<ScreenControl> t;
  if (t.empty()) {
    t.push_back(make_control("Done", ID_DONE, 0, -5, 1, 4, 0, 0));
    t.push_back(make_control("Extend or trim", ID_EITHER, 1, 50, 1, 16, 0, CF_RADIO));
    t.push_back(make_control("Extend only", ID_EXTEND_ONLY, 2, 50, 1, 13, 0, CF_RADIO));
    t.push_back(make_control("Trim only", ID_TRIM_ONLY, 3, 50, 1, 11, 0, CF_RADIO));
    add_view_buttons(&t);
    t.push_back(end_control());
  }
  for (int i = 1; i <= 3; ++i) {
    if (g_trim_extend.mode == i) t[i].flags |= CF_CHECKED;
    else t[i].flags &= ~CF_CHECKED;
  }
  return t;
}

// The boundary in red dots, or in white to take it off the white drawing area.
void draw_boundary(bool shown) {
  TrimExtendState& s = g_trim_extend;
  if (s.boundary == nullptr) return;
  hide_pointer();
  Canvas* canvas = drawing_canvas();
  {
    const CanvasKeep keep(canvas);
    canvas->mix = CANVAS_MIX_COPY;
    canvas->pen.width = 1;
    canvas->pen.colour = shown ? BOUNDARY_RED : DRAW_WHITE;
    canvas->pen.style = shown ? CANVAS_PEN_DOT : CANVAS_PEN_SOLID;
    canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
    draw_link(s.boundary);
  }
  s.boundary_shown = shown;
  show_pointer();
}

// The boundary's item back in its layer colour.
void redraw_boundary_item() {
  TrimExtendState& s = g_trim_extend;
  if (s.boundary_item == nullptr) return;
  draw_item(s.boundary_item, 0);
}

// The boundary's item by its ID after an edit of it; no boundary when it is gone.
void find_boundary_again() {
  TrimExtendState& s = g_trim_extend;
  for (DrawingItem* i = drawing_list_first(); i != nullptr; i = i->next) {
    if (s.boundary_id == 0 || item_id(i) != s.boundary_id || i->extra.empty()) continue;
    if (s.boundary_index >= item_link_count(i)) break;
    s.boundary_item = i;
    s.boundary = item_nodes(i) + s.boundary_index;
    return;
  }
  s.boundary = nullptr;
  s.boundary_item = nullptr;
  show_trim_mode();
}

void show_refusal(const char* text) { show_text_box(text, MESSAGE_FLAGS); }

// One clicked link against the boundary: the end the rule names moves in the node editor.
void trim_or_extend_hovered() {
  TrimExtendState& s = g_trim_extend;
  HoverState& h = g_hover;
  DrawingItem* item = h.hover_item;
  LinkRecord* link = h.hover_link;
  if (item == nullptr || link == nullptr || link == s.boundary) return;
  if (item_is_text(item)) {
    show_refusal(TEXT_TEXT);
    return;
  }
  const TrimDecision d =
      decide_trim_extend(link, s.boundary, h.cursor_point, h.pick_kind, s.tolerance, s.mode);
  switch (d.outcome) {
    case TRIM_NOT_MET: show_refusal(NOT_MET_TEXT); return;
    case TRIM_NOT_CROSSED: show_refusal(NOT_CROSSED_TEXT); return;
    case TRIM_IGNORED: return;
    default: break;
  }
  const bool boundary_here = s.boundary_item == item;
  if (s.boundary_shown) draw_boundary(false);
  h.cursor_point = d.target;
  h.pick_kind = d.pick_kind;
  h.point_selector = d.pick_kind == PICK_ON_LINK_NEAR_END ? PICK_POINT_NEXT : PICK_POINT_NODE;
  node_edit_session(CMD_EXTEND_OR_TRIM);
  // A committed edit puts a new copy of the item in the drawing: the boundary is found again.
  if (boundary_here) find_boundary_again();
  h.hover_item = nullptr;
  h.hover_link = nullptr;
  h.pick_kind = 0;
}

void choose_boundary() {
  TrimExtendState& s = g_trim_extend;
  HoverState& h = g_hover;
  if (h.hover_item == nullptr || h.hover_link == nullptr) return;
  if (h.hover_link->code == LINK_ELLIPSE) {
    show_refusal(ELLIPSE_TEXT);
    return;
  }
  const bool first = s.boundary == nullptr;
  if (s.boundary_shown) draw_boundary(false);
  redraw_boundary_item();
  s.boundary = h.hover_link;
  s.boundary_item = h.hover_item;
  s.boundary_index = h.link_index;
  s.boundary_id = item_id(h.hover_item);
  g_clock.counter_b = 0;
  if (first) show_trim_mode();
}

void select_mode(int mode) {
  g_trim_extend.mode = mode;
  show_trim_mode();
}

void start_panel() {
  show_prompt(PROMPT);
  g_clock.counter_b = 0;
  show_trim_mode();
  g_hover.hover_item = nullptr;
}

}  // namespace

void blink_boundary() {
  TrimExtendState& s = g_trim_extend;
  if (s.boundary == nullptr) return;
  if (g_clock.counter_b == 0) {
    draw_boundary(true);
  } else if (g_clock.counter_b >= BLINK_HIDE_AT) {
    draw_boundary(false);
    g_clock.counter_b = BLINK_RESTART;
  }
}

void show_trim_mode() {
  const TrimExtendState& s = g_trim_extend;
  help_pop();
  if (s.boundary == nullptr) {
    draw_controls(short_table().data(), 0);
    help_push(MSG_HELP_TRIM_PICK_BOUNDARY);
  } else {
    draw_controls(boundary_table().data(), 0);
    int16_t left = CMD_EXTEND_OR_TRIM;
    int help = MSG_HELP_TRIM_EITHER;
    if (s.mode == TRIM_EXTEND_ONLY) {
      left = CMD_EXTEND_NODE;
      help = MSG_HELP_TRIM_EXTEND_ONLY;
    } else if (s.mode == TRIM_ONLY) {
      left = CMD_TRIM_LINK;
      help = MSG_HELP_TRIM_ONLY;
    }
    g_button_bindings.current[BUTTON_LEFT_BIT] = left;
    help_push(static_cast<int16_t>(help));
    draw_button_legend(1);
  }
  help_show_top();
  show_message_area(VIEW_HINT);
}

int trim_extend_command() {
  TrimExtendState& s = g_trim_extend;
  HoverState& h = g_hover;
  hide_pointer();
  button_commands_set(CMD_BOUNDARY, CMD_NONE, CMD_BOUNDARY);
  const uint16_t saved_pick_mode = h.pick_mode;
  h.pick_mode = PICK_MODE_LINKS | PICK_MODE_ITEM_MARKERS | PICK_MODE_ITEMS;
  s.boundary = nullptr;
  s.boundary_item = nullptr;
  s.boundary_shown = false;
  s.tolerance = g_view.scale_x > 0.0f ? 0.1f / g_view.scale_x : 0.0001f;
  help_push(MSG_HELP_TRIM_PICK_BOUNDARY);
  push_control_table();
  start_panel();
  for (bool done = false; !done;) {
    h.tick_hook = blink_boundary;
    const EventCode code = next_editor_event_hover();
    h.tick_hook = nullptr;
    if (g_form.redraw_level != 0 || code == EVENT_REDRAW) {
      g_form.redraw_level = 0;
      view_keys(VIEW_REDRAW_ONLY);
      s.boundary_shown = false;
      start_panel();
      continue;
    }
    switch (code) {
      case KEY_ENTER:
      case KEY_ESC: done = true; continue;
      case EVENT_QUIT: push_input_code(EVENT_QUIT); done = true; continue;
      case CMD_BOUNDARY: choose_boundary(); continue;
      case CMD_EXTEND_OR_TRIM:
      case CMD_EXTEND_NODE:
      case CMD_TRIM_LINK:
        if (s.boundary != nullptr) trim_or_extend_hovered();
        continue;
      case EVENT_CONTROL_CLICKED: {
        const int id = hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y);
        switch (id) {
          case ID_DONE: done = true; continue;
          case ID_EITHER: select_mode(TRIM_EXTEND_EITHER); continue;
          case ID_EXTEND_ONLY: select_mode(TRIM_EXTEND_ONLY); continue;
          case ID_TRIM_ONLY: select_mode(TRIM_ONLY); continue;
          default: run_view_button(id); continue;
        }
      }
      default: break;
    }
    if (view_keys(code) != 0) update_cursor_point();
  }
  if (s.boundary_shown) draw_boundary(false);
  redraw_boundary_item();
  s.boundary = nullptr;
  s.boundary_item = nullptr;
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
