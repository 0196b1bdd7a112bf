#include "editor/pick_strip.h"

#include <vector>

#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/rubber_box.h"
#include "editor/view.h"
#include "screen/controls.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/message_ids.h"

namespace {

constexpr uint8_t STRIP_TO_DRAWING = 100;
constexpr uint8_t STRIP_IN = 105;
constexpr uint8_t STRIP_OUT = 111;
constexpr uint8_t STRIP_PAN_PICTURE = 112;
constexpr uint8_t STRIP_DONE = 27;
constexpr int16_t PAN_PICTURE = -204;

std::vector<ScreenControl>& strip() {
  static std::vector<ScreenControl> table;
  if (table.empty()) {
    table.push_back(make_control("Done", STRIP_DONE, 0, -5, 1, 4, 0, 0));
    table.push_back(make_control("Zoom:", 0, 3, -31, 1, 5, 0, CF_NO_BOX));
    table.push_back(make_control("IN", STRIP_IN, 3, -24, 1, 3, 159, 0));
    table.push_back(make_control("OUT", STRIP_OUT, 3, -20, 1, 4, 160, 0));
    table.push_back(make_control("to drawing", STRIP_TO_DRAWING, 3, -15, 1, 10, 157, 0));
    ScreenControl pan = make_control("", STRIP_PAN_PICTURE, 1, -20, 1, 4, 161, CF_PICTURE);
    pan.style = PAN_PICTURE;
    table.push_back(pan);
    table.push_back(end_control());
  }
  return table;
}

void pan_while_held() {
  while (g_pointer.button_bits != 0 && g_form.redraw_level == 0) pan_by_drag();
}

int item_picker_loop(const ItemPicker& p) {
  const auto show = [&p] {
    show_prompt(p.prompt.c_str());
    draw_pick_strip();
  };
  show();
  for (;;) {
    const EventCode code = next_editor_event_hover();
    if (g_form.redraw_level != 0 || code == EVENT_REDRAW) {
      g_form.redraw_level = 0;
      view_keys(VIEW_REDRAW_ONLY);
      draw_button_legend(0);
      show();
      continue;
    }
    const int strip_event = read_pick_strip_event(code);
    if (strip_event == STRIP_EVENT_CANCEL) return -1;
    if (strip_event == STRIP_EVENT_HANDLED) continue;
    if (code == EVENT_POINTER_MOVE) {
      if (p.hover) p.hover(g_hover.hover_item);
      continue;
    }
    if (code == PICK_COMMAND_PICK) {
      DrawingItem* item = g_hover.hover_item;
      if (item == nullptr) {
        if (!p.box) continue;
        PointF low, high;
        if (rubber_box(&low, &high, RUBBER_START_AT_ONCE) == RUBBER_DONE) p.box(low, high);
        show();
        continue;
      }
      if (p.pick(item) == PickStep::END) return 0;
      show();
      continue;
    }
    if (p.key) {
      const PickStep step = p.key(code);
      if (step == PickStep::END) return 0;
      if (step == PickStep::GO_ON) {
        show();
        continue;
      }
    }
    if (view_keys(code) != 0) update_cursor_point();
  }
}

}  // namespace

void draw_pick_strip() { draw_controls(strip().data(), 0); }

int read_pick_strip_event(EventCode code) {
  if (code == KEY_ESC || code == PICK_COMMAND_QUIT) return STRIP_EVENT_CANCEL;
  if (code == EVENT_QUIT) {
    push_input_code(EVENT_QUIT);
    return STRIP_EVENT_CANCEL;
  }
  if (code != EVENT_CONTROL_CLICKED) return STRIP_EVENT_OTHER;
  switch (hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y)) {
    case STRIP_TO_DRAWING: zoom_to_drawing(); return STRIP_EVENT_HANDLED;
    case STRIP_IN: repeat_zoom_while_held(KEY_PGUP, nullptr); return STRIP_EVENT_HANDLED;
    case STRIP_OUT: repeat_zoom_while_held(KEY_PGDN, nullptr); return STRIP_EVENT_HANDLED;
    case STRIP_PAN_PICTURE: pan_while_held(); return STRIP_EVENT_HANDLED;
    default: return STRIP_EVENT_CANCEL;  // "Done"
  }
}

int run_item_picker(const ItemPicker& picker) {
  button_commands_set(PICK_COMMAND_PICK, PICK_COMMAND_NONE, PICK_COMMAND_QUIT);
  help_push(MSG_HELP_PICK_ITEM);
  push_control_table();
  const int result = item_picker_loop(picker);
  pop_control_table();
  lower_help_text(nullptr);
  help_pop();
  help_show_top();
  button_commands_pop();
  draw_button_legend(1);
  return result;
}
