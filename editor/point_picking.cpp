#include "editor/point_picking.h"

#include "editor/button_bindings.h"
#include "editor/coord_entry.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/object_snaps.h"
#include "geometry/construct.h"
#include "geometry/node_surgery.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"

PointPicking g_point_picking;

namespace {

constexpr int16_t COMMAND_FINISHED = 888;
constexpr int16_t COMMAND_SNAP_MENU = 890;
constexpr uint8_t LOOP_POINTER_SHAPE = 1;
constexpr EventCode KEY_SNAP_MENU = 's';

bool on_curve_run(const LinkRecord* link) {
  return link->code == LINK_BEZIER || link->code == LINK_SPLINE;
}

// The point an accepting click or Enter takes: the hovered node or centre, else the cursor.
PointF accepted_point() {
  const HoverState& h = g_hover;
  PointF p = h.cursor_point;
  if (h.pick_kind == PICK_START_NODE || h.pick_kind == PICK_END_NODE || h.pick_kind == PICK_CENTRE)
    hover_point(&p);
  return p;
}

// The entry line from a typed first character; true with the point.
bool typed_pick(EventCode first, PointF* out) {
  push_input_code_front(first);
  zero_coord_entry(&g_coord.entry);
  return enter_point(ENTRY_PROMPT_FINAL_POINT, out);
}

}  // namespace

int pick_point() {
  HoverState& h = g_hover;
  PointPicking& pp = g_point_picking;
  h.pick_mode = PICK_MODE_NODES;
  h.hover_item = nullptr;
  h.pick_kind = 0;
  g_edit.current_link = nullptr;
  g_drawing_page.editor_pointer_shape = LOOP_POINTER_SHAPE;
  set_pointer_shape(LOOP_POINTER_SHAPE);
  pp.snap_context = SNAP_CONTEXT_DEFAULT;
  button_commands_set(COMMAND_FINISHED, COMMAND_SNAP_MENU, COMMAND_SNAP_MENU);
  int result = PICK_POINT_CANCELLED;
  for (;;) {
    const EventCode code = next_editor_event();
    if (code == KEY_ENTER || code == COMMAND_FINISHED) {
      pp.picked_point = accepted_point();
      result = PICK_POINT_TAKEN;
      break;
    }
    if (code == KEY_ESC) break;
    if (code == EVENT_QUIT) {
      push_input_code(EVENT_QUIT);
      break;
    }
    PointF p{};
    if (code == KEY_SNAP_MENU || code == COMMAND_SNAP_MENU) {
      const int mode = snap_menu(pp.snap_context);
      if (mode >= 0 && snap_point(mode, &p) == 0) {
        pp.picked_point = p;
        result = PICK_POINT_TAKEN;
        break;
      }
      continue;
    }
    if (starts_typed_value(code)) {
      if (typed_pick(code, &p)) {
        pp.picked_point = p;
        result = PICK_POINT_TAKEN;
        break;
      }
      continue;
    }
    if (code > 0 && code <= 127) {
      const int mode = snap_by_key(code, SNAP_CONTEXT_PICK_KEYS);
      if (mode >= 0 && snap_point(mode, &p) == 0) {
        pp.picked_point = p;
        result = PICK_POINT_TAKEN;
        break;
      }
    }
  }
  button_commands_pop();
  return result;
}

void hover_point(PointF* out) {
  const HoverState& h = g_hover;
  *out = h.cursor_point;
  const LinkRecord* link = h.hover_link;
  if (h.pick_kind == 0 || link == nullptr || h.hover_item == nullptr) return;
  if (h.pick_kind <= PICK_END_NODE) {
    switch (h.point_selector) {
      case PICK_POINT_CENTRE: *out = link->centre; return;
      case PICK_POINT_NEXT: *out = link[1].point; return;
      default: *out = link->point; return;
    }
  }
  if (item_type(h.hover_item) == ITEM_POLYLINE && on_curve_run(link)) return;
  PointF foot = h.cursor_point;
  if (link_foot(link, &h.cursor_point, &foot) == FOOT_ON_LINK) *out = foot;
}

void reset_point_picking() { g_point_picking = PointPicking{}; }
