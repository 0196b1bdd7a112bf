#include "editor/point_picking.h"

#include "editor/button_bindings.h"
#include "editor/drawing_commands.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "geometry/construct.h"
#include "geometry/node_surgery.h"
#include "screen/event_queue.h"

PointPicking g_point_picking;

namespace {

constexpr int16_t COMMAND_PICK = 801;
constexpr int16_t COMMAND_NONE = 895;
constexpr int16_t COMMAND_QUIT = 889;

bool on_curve_run(const LinkRecord* link) {
  return link->code == LINK_BEZIER || link->code == LINK_SPLINE;
}

}  // namespace

int pick_point() {
  button_commands_set(COMMAND_PICK, COMMAND_NONE, COMMAND_QUIT);
  int result = PICK_POINT_CANCELLED;
  for (;;) {
    const EventCode code = next_editor_event();
    if (code == KEY_ENTER || code == COMMAND_PICK) {
      g_point_picking.picked_point = g_hover.cursor_point;
      result = PICK_POINT_TAKEN;
      break;
    }
    if (code == KEY_ESC || code == COMMAND_QUIT) break;
    if (code == EVENT_QUIT) {
      push_input_code(EVENT_QUIT);
      break;
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
  if (link_foot(link, &h.cursor_point, &foot) == 0) *out = foot;
}

int snap_via_menu(int /*context*/, PointF* /*out*/) {
  show_missing_command_notice();
  return -1;
}

int typed_point_from_cursor(const char* /*text*/) {
  show_missing_command_notice();
  return 0;
}

void reset_point_picking() { g_point_picking = PointPicking{}; }
