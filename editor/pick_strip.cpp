#include "editor/pick_strip.h"

#include <vector>

#include "editor/canvas_cursor.h"
#include "editor/hover.h"
#include "editor/view.h"
#include "screen/controls.h"
#include "screen/main_form.h"
#include "screen/pointer.h"

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
