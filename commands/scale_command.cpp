#include "commands/scale_command.h"

#include <cmath>
#include <cstdio>

#include "commands/move_nodes.h"
#include "commands/node_edit_session.h"
#include "editor/button_bindings.h"
#include "editor/coord_entry.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/view_state.h"
#include "geometry/item_motion.h"
#include "store/line_list.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "store/store_host.h"
#include "ui/message_box.h"

namespace {

constexpr int16_t COMMAND_FINISHED = 888;
constexpr int16_t COMMAND_MOVE_ITEM = 804;
constexpr int POINTER_SCALE = 45;
constexpr int POINTER_DRAG = 17;
constexpr char SCALE_PROMPT[] =
    "Use mouse to set scaling factor, or\nenter a scale factor via keyboard.\nHold CTRL to scale "
    "from item's center.";
constexpr char FACTOR_QUESTION[] = "Enter the scaling factor.....\n";

void show_total(double total) {
  char text[40];
  std::snprintf(text, sizeof text, "%.3f    ", total);
  show_corner_status(text);
}

// Erases, scales and redraws the working set.
void scale_by(float factor, PointF pivot) {
  xor_draw_working_set();
  scale_working_set(factor, pivot);
  relayout_session_texts();
  xor_draw_working_set();
}

}  // namespace

void scale_working_set(float factor, PointF pivot) {
  const bool own_middle = (g_events.modifiers & MODIFIER_CTRL) != 0;
  for (DrawingItem* item = g_edit.working_set; item != nullptr; item = item->next) {
    if (item->extra.empty() || item_type(item) == 0) continue;
    PointF centre = pivot;
    if (own_middle) {
      PointF low{}, high{};
      item_extents(item, &low, &high);
      centre = {(low.x + high.x) / 2.0f, (low.y + high.y) / 2.0f};
    }
    scale_item(item, factor, &centre);
    item_bounding_boxes(item);
  }
}

double scale_factor_of_motion(double pixels) {
  return pixels >= 0.0 ? 1.0 + 0.01 * pixels : 1.0 / (1.0 + 0.01 * -pixels);
}

int scale_command(PointF pivot, int /*mode*/) {
  HoverState& h = g_hover;
  const uint16_t saved_mode = h.pick_mode;
  h.pick_mode = PICK_MODE_OFF;
  show_prompt(SCALE_PROMPT);
  button_commands_set(COMMAND_FINISHED, COMMAND_FINISHED, COMMAND_MOVE_ITEM);
  bool drag = false;
  set_pointer_shape(POINTER_SCALE);
  double total = 1.0;
  show_total(total);
  int result = 0;
  for (;;) {
    const EventCode code = next_entry_event(-1);
    const int16_t command = press_command(code);
    if (command == KEY_ENTER || command == COMMAND_FINISHED) break;
    if (command == KEY_ESC) {
      xor_draw_working_set();
      result = 27;
      break;
    }
    if (command == COMMAND_MOVE_ITEM) {
      drag = !drag;
      set_pointer_shape(drag ? POINTER_DRAG : POINTER_SCALE);
      continue;
    }
    if (command == EVENT_POINTER_MOVE) {
      if (drag) {
        carry_working_set(&pivot);
        continue;
      }
      const PointF d = h.cursor_delta;
      const double pixels = std::round(static_cast<double>(d.x) * g_view.scale_x);
      if (pixels == 0.0) continue;
      const double f = scale_factor_of_motion(pixels);
      scale_by(static_cast<float>(f), pivot);
      total *= f;
      show_total(total);
      continue;
    }
    if (starts_typed_value(code)) {
      push_input_code_front(code);
      g_coord.entry.text[0] = '\0';
      if (read_value_line(FACTOR_QUESTION) == ENTRY_CANCELLED) continue;
      const float factor = g_coord.entry.current.x;
      // A factor of 0 or below would collapse the items onto the pivot or turn arcs into other
      // kinds of link (the sign of an arc's code is its kind): refused, nothing changed.
      if (!(factor > 0.0f) || !std::isfinite(factor)) {
        show_text_box(SCALE_FACTOR_REFUSED_TEXT, TEXTBOX_PRESS_A_KEY);
        continue;
      }
      scale_by(factor, pivot);
      break;
    }
  }
  button_commands_pop();
  h.pick_mode = saved_mode;
  if (result == 27) {
    edit_cancel();
    return 27;
  }
  commit_moved_working_set();
  edit_cancel();
  return 0;
}
