#include "commands/rotate_command.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "commands/move_nodes.h"
#include "commands/node_edit_session.h"
#include "store/message_ids.h"
#include "editor/button_bindings.h"
#include "editor/coord_entry.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/point_picking.h"
#include "editor/render.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/item_motion.h"
#include "store/line_list.h"
#include "screen/pointer.h"
#include "ui/message_box.h"

RotateState g_rotate;

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double TWO_PI = 6.2831855;  // one turn as the angles are kept
constexpr int16_t COMMAND_FINISHED = 888;
constexpr int16_t COMMAND_SNAP_MENU = 890;
constexpr int16_t COMMAND_MOVE_ITEM = 804;
constexpr int POINTER_ROTATE = 41;
constexpr int POINTER_DRAG = 17;
constexpr EventCode KEY_SNAP = 's';
constexpr EventCode KEY_F9_CODE = 323;
constexpr char ROTATE_PROMPT[] = "Items are rotating from the X axis (ie, from the 3 o'clock position).";
constexpr char TYPED_ANGLE_PROMPT[] =
    "Negative angles rotate clockwise.\nSpecify the angle from the X axis to rotate the items:";
constexpr char SNAP_QUESTION[] = "Enter the angle to snap to\n\n";

double snap_step_degrees() { return g_rotate.increment != 0.0f ? g_rotate.increment : 1.0; }

void show_angle(double angle) {
  double degrees = angle * 180.0 / PI;
  if (degrees >= 360.0) degrees -= 360.0;
  char text[40];
  std::snprintf(text, sizeof text, "%.2f\xb0   ", degrees);
  show_corner_status(text);
}

// Erases, turns and redraws the working set by the angle.
void turn_by(PointF pivot, double angle) {
  xor_draw_working_set();
  rotate_working_set(pivot, angle);
  relayout_session_texts();
  xor_draw_working_set();
}

void rubber_line(PointF pivot) {
  const XorMarkPen pen(0xFFFFFF, CANVAS_PEN_SOLID);
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  world_to_screen(pivot, &x1, &y1);
  world_to_screen(g_hover.cursor_point, &x2, &y2);
  area_line(x1, y1, x2, y2);
}

}  // namespace

void rotate_working_set(PointF pivot, double angle) {
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next)
    if (!item->extra.empty() && item_type(item) != 0) rotate_item(item, &pivot, angle);
}

double rotate_step_angle(PointF pivot, PointF target) {
  double a = point_angle(&pivot, &target);
  if ((g_rotate.state & ROTATE_SNAP_ON) != 0) {
    if (g_rotate.increment == 0.0f) g_rotate.increment = 1.0f;
    const double s = snap_step_degrees() * PI / 180.0;
    a = std::trunc(a / s) * s;
  }
  a = std::fmod(a, TWO_PI);
  if (a < 0.0) a += TWO_PI;
  return a;
}

void show_rotate_snap_state() {
  char text[160];
  if ((g_rotate.state & ROTATE_SNAP_ON) == 0) {
    std::snprintf(text, sizeof text, " Snap mode: OFF");
  } else {
    char number[32];
    std::snprintf(number, sizeof number, "%.6f", static_cast<double>(snap_step_degrees()));
    size_t len = std::strlen(number);
    while (len > 0 && number[len - 1] == '0') number[--len] = '\0';
    if (len > 0 && number[len - 1] == '.') number[--len] = '\0';
    std::snprintf(text, sizeof text, " Snap mode: ON \n Increment: %-8.8s\xb0", number);
  }
  lower_help_text(text);
}

int rotate_command(PointF pivot) {
  HoverState& h = g_hover;
  clear_hover_hilite();
  h.hover_item = nullptr;
  h.pick_kind = 0;
  const uint16_t saved_mode = h.pick_mode;
  h.pick_mode = PICK_MODE_LINKS;
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next)
    set_item_flags(item, static_cast<uint8_t>(item_flags(item) & ~ITEM_FLAG_SELECTED));
  double previous = 0.0;
  button_commands_set(COMMAND_FINISHED, COMMAND_SNAP_MENU, COMMAND_MOVE_ITEM);
  bool drag = false;
  g_rotate.state |= ROTATE_RUNNING;
  g_coord.f9_option = static_cast<int8_t>(g_rotate.state & ROTATE_SNAP_ON);
  g_point_picking.snap_context = SNAP_CONTEXT_DEFAULT;
  int result = 0;
  bool restart = true;
  help_push(MSG_HELP_ROTATE);
  for (;;) {
    if (restart) {
      show_prompt(ROTATE_PROMPT);
      set_pointer_shape(drag ? POINTER_DRAG : POINTER_ROTATE);
      show_rotate_snap_state();
      restart = false;
    }
    rubber_line(pivot);
    const EventCode code = next_entry_event(-1);
    rubber_line(pivot);
    if (code == EVENT_VIEW_CHANGED) {
      xor_draw_working_set();
      continue;
    }
    if (code == EVENT_REDRAW) {
      restart = true;
      continue;
    }
    PointF target{};
    bool have_target = false;
    bool commit = false;
    if (code == KEY_ENTER || code == EVENT_LEFT_DOWN) {
      commit = true;
    } else if (code == KEY_ESC) {
      xor_draw_working_set();
      result = 27;
      break;
    } else if (code == KEY_SNAP || code == EVENT_MIDDLE_DOWN) {
      if (snap_via_menu(SNAP_CONTEXT_DEFAULT, &target) != 0) {
        restart = true;
        continue;
      }
      have_target = commit = true;
    } else if (code == KEY_F9_CODE && (g_events.last_modifiers & MODIFIER_SHIFT) == 0) {
      // The entry line's reader has flipped the option already.
      g_rotate.state = static_cast<uint8_t>((g_rotate.state & ~ROTATE_SNAP_ON) |
                                            (g_coord.f9_option != 0 ? ROTATE_SNAP_ON : 0));
      show_rotate_snap_state();
      continue;
    } else if (code == KEY_F9_CODE || code == 'I' || code == 'i') {
      float step = g_rotate.increment;
      const int16_t answer = message_box(12, 40, 30, SNAP_QUESTION, 0, &step, 10, nullptr, 0,
                                         nullptr);
      if (answer != KEY_ESC) {
        g_rotate.increment = step;
        g_rotate.state |= ROTATE_SNAP_ON;
        g_coord.f9_option = 1;
      }
      show_rotate_snap_state();
      continue;
    } else if (code == EVENT_RIGHT_DOWN) {
      drag = !drag;
      set_pointer_shape(drag ? POINTER_DRAG : POINTER_ROTATE);
      continue;
    } else if (code == EVENT_POINTER_MOVE) {
      if (drag) {
        carry_working_set(&pivot);
        continue;
      }
      hover_point(&target);
      have_target = true;
    } else if (starts_typed_value(code)) {
      show_prompt(TYPED_ANGLE_PROMPT);
      push_input_code_front(code);
      CoordEntry& e = g_coord.entry;
      zero_coord_entry(&e);
      e.text[0] = '\0';
      e.reference = pivot;
      e.current = {pivot.x + 0.2f * (g_view.view_top - g_view.view_bottom), pivot.y};
      int r = 0;
      do {
        r = coordinate_entry_line(&e, 1, ENTRY_KIND_ROTATE, ENTRY_PROMPT_NONE);
      } while ((r < 0 && r != ENTRY_CANCELLED) || r > 4);
      if (r == ENTRY_CANCELLED) {
        restart = true;
        continue;
      }
      double turn = e.angle - previous;
      if (turn >= TWO_PI) turn -= TWO_PI;
      if (turn < 0.0) turn += TWO_PI;
      turn_by(pivot, turn);
      commit = true;
    } else {
      continue;
    }
    if (have_target && !drag) {
      const double a = rotate_step_angle(pivot, target);
      if (a != previous) {
        show_angle(a);
        turn_by(pivot, a - previous);
        previous = a;
      }
    }
    if (commit) break;
  }
  help_pop();
  button_commands_pop();
  clear_hover_hilite();
  g_rotate.state &= static_cast<uint8_t>(~ROTATE_RUNNING);
  g_coord.f9_option = -1;
  h.pick_mode = saved_mode;
  if (result == 27) {
    edit_cancel();
    return 27;
  }
  commit_moved_working_set();
  edit_cancel();
  return 0;
}

void reset_rotate_state() { g_rotate = RotateState{}; }
