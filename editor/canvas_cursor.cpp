#include "editor/canvas_cursor.h"

#include <algorithm>
#include <cmath>

#include "editor/button_bindings.h"
#include "editor/draw_style.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "platform/canvas.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/text_output.h"

CanvasCursor g_canvas_cursor;

namespace {

constexpr EventCode KEY_GRAVE = 96;
constexpr EventCode KEY_TILDE = 126;
constexpr EventCode KEY_F3_CODE = 317;
constexpr EventCode KEY_F5_CODE = 319;
constexpr EventCode KEY_F7_CODE = 321;
// Option byte 3 of the preferences: the area's right edge clamps, and clicks beside the drawing
// window reach the editor.
constexpr int OPTION_RIGHT_EDGE = 3;
// Node flags that make a polyline's first node a node with its own commands.
constexpr uint8_t FIRST_NODE_SPECIAL_FLAGS = 0x04 | 0x08 | 0x10;

int area_bottom() { return g_view.area_bottom; }
int area_right() { return g_view.area_width; }

uint32_t crosshair_colour() {
  const uint32_t c = g_layers.colours[LAYER_CROSSHAIRS];
  return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

bool crosshair_marks_set() {
  return g_canvas_cursor.crosshair_marks[0] != 0 || g_canvas_cursor.crosshair_marks[1] != 0;
}

void clear_crosshair_marks() {
  g_canvas_cursor.crosshair_marks[0] = 0;
  g_canvas_cursor.crosshair_marks[1] = 0;
}

// The cursor's world point of the wanted pointer position.
PointF world_point_of_pointer() { return screen_to_world(g_pointer.wanted_x, g_pointer.wanted_y); }

void set_cursor_point(PointF p) {
  g_hover.cursor_point = p;
  g_hover.raw_cursor_point = p;
}

// The crosshair goes on the cursor point, in screen pixels.
void place_crosshair_on_point() {
  int x = 0;
  int y = 0;
  world_to_screen(g_hover.cursor_point, &x, &y);
  g_hover.crosshair_x = x;
  g_hover.crosshair_y = y + g_view.area_top;
}

// The pointer is kept on the screen, as the system cursor is.
void add_motion(int dx, int dy) {
  g_pointer.wanted_x = std::clamp(g_pointer.wanted_x + dx, 0, static_cast<int>(g_display.screen_width));
  g_pointer.wanted_y =
      std::clamp(g_pointer.wanted_y + dy, 0, static_cast<int>(g_display.screen_height));
}

// Past an edge of the area: the edge it is held at while a button is down (true), or nothing.
bool clamp_to_area() {
  bool outside = false;
  if (g_preferences.option_bytes[OPTION_RIGHT_EDGE] != 0 && g_pointer.wanted_x > area_right()) {
    outside = true;
    g_pointer.wanted_x = area_right();
  }
  if (g_pointer.wanted_y < g_view.area_top) {
    outside = true;
    g_pointer.wanted_y = g_view.area_top;
  } else if (g_pointer.wanted_y > area_bottom()) {
    outside = true;
    g_pointer.wanted_y = area_bottom();
  }
  return outside;
}

bool outside_area_now() {
  return (g_preferences.option_bytes[OPTION_RIGHT_EDGE] != 0 && g_pointer.wanted_x > area_right()) ||
         g_pointer.wanted_y < g_view.area_top || g_pointer.wanted_y > area_bottom();
}

// '`' and '~': the pointer picture and the drawn lines take turns as the crosshair.
void flip_pointer_crosshair() {
  hide_pointer();
  hide_crosshair();
  g_preferences.pointer_crosshair = g_preferences.pointer_crosshair != 0 ? 0 : 1;
  if (g_preferences.pointer_crosshair == 0) {
    // The picture stops being the crosshair at once; the lines take over.
    clear_crosshair_marks();
    set_pointer_shape(POINTER_ARROW);
  }
  show_crosshair();
}

// Result of one pointer move inside the area: a code to return, or 0 to go on inside, or -1
// when the pointer left the area.
int move_inside() {
  int dx = 0;
  int dy = 0;
  if (mouse_delta(&dx, &dy) == 0) return 0;
  hide_pointer();
  add_motion(dx, dy);
  PointF p = world_point_of_pointer();
  set_cursor_point(p);
  if (g_furniture.grid_switch == 1) {
    p = {snap_to_grid(p.x), snap_to_grid(p.y)};
    g_hover.cursor_point = p;
    int x = 0;
    int y = 0;
    world_to_screen(p, &x, &y);
    if (x == g_hover.crosshair_x && y + g_view.area_top == g_hover.crosshair_y)
      return EVENT_POINTER_MOVE;
  }
  HoverState& h = g_hover;
  h.cursor_delta = {p.x - h.previous_cursor_point.x, p.y - h.previous_cursor_point.y};
  h.previous_cursor_point = p;
  hide_crosshair();
  if (outside_area_now()) {
    if (g_pointer.button_bits == 0) return -1;
    // A drag stays in the area: the pointer is held at its edge.
    clamp_to_area();
    return 0;
  }
  place_crosshair_on_point();
  show_crosshair();
  show_cursor_xy();
  return EVENT_POINTER_MOVE;
}

// The codes both loops act on alike; 0 goes on reading.
EventCode act_on_key(EventCode code) {
  switch (code) {
    case KEY_GRAVE:
    case KEY_TILDE:
      flip_pointer_crosshair();
      return 0;
    case KEY_F3_CODE:
      g_job_settings.node_snap_off = g_job_settings.node_snap_off != 0 ? 0 : 1;
      g_hover.pick_kind = 0;
      g_hover.hover_item = nullptr;
      return 0;
    case KEY_F5_CODE:
      clear_hover_hilite();
      g_job_settings.show_node_markers = g_job_settings.show_node_markers != 0 ? 0 : 1;
      return KEY_F5_CODE;
    case KEY_F7_CODE:
      g_draw_style.hide_invisible_links = g_draw_style.hide_invisible_links != 0 ? 0 : 1;
      ++g_form.redraw_level;
      return CANVAS_REDRAW;
    case EVENT_LEFT_UP:
    case EVENT_MIDDLE_UP:
    case EVENT_RIGHT_UP:
    case 0: return 0;
    default: return code;
  }
}

// Inside the area: a code to return, or 0 when the pointer left it.
EventCode track_inside() {
  while (pointer_in_drawing_area()) {
    if (crosshair_marks_set()) move_pointer();
    const EventCode code = wait_input_code();
    if (code >= EVENT_LEFT_DOWN && code <= EVENT_RIGHT_DOWN) return bound_command_of_press(code);
    if (code == EVENT_POINTER_MOVE) {
      const int result = move_inside();
      if (result < 0) return 0;
      if (result > 0) return static_cast<EventCode>(result);
      continue;
    }
    const EventCode acted = act_on_key(code);
    if (acted != 0) return acted;
  }
  return 0;
}

// The left button over the furniture follows what the pointer is over.
void bind_left_to_shape() {
  int16_t command = COMMAND_MENU_NAVIGATION;
  if (g_pointer.shape == POINTER_TITLE_BAND) command = COMMAND_OVER_TITLE_BAND;
  if (g_pointer.shape == POINTER_HAND) command = COMMAND_OVER_CONTROL;
  if (g_button_bindings.current[WINDOW_BUTTON_LEFT] == command) return;
  g_button_bindings.current[WINDOW_BUTTON_LEFT] = command;
  draw_button_legend(1);
}

// A click beside the drawing window that option byte 3 gives to the editor.
bool click_reaches_editor() {
  if (g_preferences.option_bytes[OPTION_RIGHT_EDGE] == 0 || g_preferences.stored[5220] != 0)
    return false;
  if (g_hover.hover_item == nullptr) return false;
  return g_pointer.wanted_x > 0 && g_pointer.wanted_y >= g_view.area_top &&
         g_pointer.wanted_y <= area_bottom();
}

// A left click over the furniture: a code to return, or 0 to go on.
EventCode click_outside() {
  g_canvas_cursor.click_x = g_pointer.wanted_x;
  g_canvas_cursor.click_y = g_pointer.wanted_y;
  if (click_reaches_editor()) {
    button_commands_pop();
    return EVENT_LEFT_DOWN;
  }
  const int hit = hit_test_pointer(true);
  if (hit < 0) return 0;
  if ((hit & HIT_PAGE_TAB) != 0) {
    const int tab = hit & ~HIT_PAGE_TAB;
    g_tab_strip.active = tab;
    g_preferences.current_page = static_cast<uint8_t>(tab);
    button_commands_pop();
    return CANVAS_PAGE_CHOSEN;
  }
  button_commands_pop();
  return CANVAS_CONTROL_CLICKED;
}

// The pointer's shape and the left button's command follow what the pointer is over.
void point_at_furniture() {
  if (hit_test_pointer(false) == HIT_NOTHING)
    set_pointer_shape(g_pointer.wanted_y > area_bottom() ? POINTER_BELOW_DRAWING : POINTER_ARROW);
  bind_left_to_shape();
}

void move_outside() {
  int dx = 0;
  int dy = 0;
  if (mouse_delta(&dx, &dy) != 0) add_motion(dx, dy);
  point_at_furniture();
}

// Outside the area: a code to return, or 0 when the pointer came back in.
EventCode track_outside() {
  clear_window_drawing_bits();
  // The crosshair picture is the pointer only over the drawing; outside it the furniture's
  // shapes take over.
  if (crosshair_marks_set()) {
    clear_crosshair_marks();
    set_pointer_shape(POINTER_ARROW);
  }
  button_commands_set(COMMAND_MENU_NAVIGATION, COMMAND_MENU_NAVIGATION, COMMAND_MENU_NAVIGATION);
  // The pointer that just left shows at once what it is over.
  point_at_furniture();
  while (!pointer_in_drawing_area()) {
    hit_test_pointer(false);
    move_pointer();
    const EventCode code = wait_input_code();
    EventCode result = 0;
    if (code == EVENT_LEFT_DOWN) {
      result = click_outside();
      if (result != 0) return result;
    } else if (code == EVENT_POINTER_MOVE) {
      move_outside();
    } else if ((code > EVENT_LEFT_DOWN && code <= EVENT_RIGHT_UP) || code == EVENT_TICK) {
      // Other buttons, releases and ticks change nothing here.
    } else {
      clear_hover();
      button_commands_pop();
      result = act_on_key(code);
      if (result != 0) return result;
      button_commands_set(COMMAND_MENU_NAVIGATION, COMMAND_MENU_NAVIGATION,
                          COMMAND_MENU_NAVIGATION);
    }
    if (g_form.redraw_level != 0) {
      button_commands_pop();
      return CANVAS_REDRAW;
    }
  }
  return 0;
}

// Back over the drawing: the furniture's hover and hint go, the crosshair comes back.
EventCode reenter_area() {
  hide_pointer();
  clear_hover();
  set_cursor_point(world_point_of_pointer());
  button_commands_pop();
  draw_button_legend(1);
  place_crosshair_on_point();
  show_crosshair();
  show_cursor_xy();
  return EVENT_POINTER_MOVE;
}

}  // namespace

bool pointer_in_drawing_area() {
  return g_pointer.wanted_y >= g_view.area_top && g_pointer.wanted_y <= area_bottom() &&
         g_pointer.wanted_x <= area_right();
}

void draw_crosshair() {
  Canvas* canvas = &g_text.screen;
  if (canvas->target == nullptr) return;
  const CanvasKeep keep(canvas);
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas->pen = CanvasPen{};
  canvas->pen.colour = crosshair_colour();
  canvas->pen.style = CANVAS_PEN_DOT;
  canvas->mix = CANVAS_MIX_XOR;
  const int x = g_hover.crosshair_x;
  const int y = g_hover.crosshair_y;
  // Lines are drawn without their last pixel: end one past the area so it is covered.
  canvas_draw_line(canvas, x, g_view.area_top, x, area_bottom() + 1);
  // The crossing pixel belongs to the vertical line only: XORed twice it would vanish.
  canvas_draw_line(canvas, 0, y, x, y);
  canvas_draw_line(canvas, x + 1, y, g_display.screen_width + 1, y);
}

void show_crosshair() {
  if (g_preferences.pointer_crosshair != 0) {
    if (crosshair_marks_set()) return;
    set_pointer_shape(POINTER_CROSSHAIR);
    g_canvas_cursor.crosshair_marks[0] = static_cast<uint8_t>(POINTER_CROSSHAIR);
    g_canvas_cursor.crosshair_marks[1] = static_cast<uint8_t>(POINTER_CROSSHAIR);
    return;
  }
  if (!pointer_in_drawing_area() || g_canvas_cursor.crosshair_shown) return;
  hide_pointer();
  draw_crosshair();
  g_canvas_cursor.crosshair_shown = true;
}

void hide_crosshair() {
  if (!g_canvas_cursor.crosshair_shown) return;
  hide_pointer();
  draw_crosshair();
  g_canvas_cursor.crosshair_shown = false;
}

void bring_pointer_into_drawing() {
  update_cursor_point();
  int x = g_pointer.wanted_x;
  int y = g_pointer.wanted_y;
  bool moves = false;
  if (y < g_view.area_top) {
    y = g_view.area_top + CANVAS_BRING_IN_PIXELS;
    moves = true;
  } else if (y > area_bottom()) {
    y = area_bottom() - CANVAS_BRING_IN_PIXELS;
    moves = true;
  }
  if (x > area_right()) {
    x = area_right() - CANVAS_BRING_IN_PIXELS;
    moves = true;
  }
  if (!moves) return;
  // Motion of the mouse does not stop this glide: the pointer must arrive.
  glide_pointer(-std::max(x, 1), y);
  update_cursor_point();
}

EventCode track_canvas_cursor() {
  show_crosshair();
  const EventCode inside = track_inside();
  if (inside != 0) return inside;
  const EventCode outside = track_outside();
  if (outside != 0) return outside;
  return reenter_area();
}

void show_key_hints() {
  const int kind = g_hover.pick_kind;
  const DrawingItem* item = g_hover.hover_item;
  const bool polyline = item != nullptr && item_type(item) == ITEM_POLYLINE;
  const char* text = nullptr;
  if (kind == 0) {
    text = "\x0cKeyboard commands\x13: \x0b" "D\x13raw menu, \x0bM\x13ove, \x0bO\x13"
           "ffset, E\x0bx\x13tend/trim, \x0b" "F\x13illet,\n"
           "\x0b" "0123456789,.*-=\x13: Create new polyline by entering XY coordinates\n";
  } else if (kind == -1) {
    text = "\x0b" "E\x13" "dit item, \x0bM\x13ove by snap, \x0bZ\x13oom to show this link\n"
           "\x0cSpacebar\x13 or \x0cTAB\x13: select different node at crosshairs";
  } else if (kind <= 2 && polyline) {
    const uint8_t first_flags = item_nodes(item)[0].node_flags;
    if ((first_flags & FIRST_NODE_SPECIAL_FLAGS) != 0) {
      text = "\x0b" "E\x13" "dit item, \x0b" "B\x13reak open, \x0bM\x13ove by snap.\n"
             "\x0cSpacebar\x13 or \x0cTAB\x13: select different item at crosshairs";
    } else {
      text = "Make node \x0bT\x13" "angent or \x0bL\x13oose, \x0b" "B\x13reak at node, "
             "\x0bM\x13ove by snap.\n"
             "\x0b" "E\x13" "dit, \x0cSpacebar\x13 or \x0cTAB\x13: select different item";
    }
  } else if (kind == 1) {
    text = "\x0cKeyboard commands\x13: \x0b" "0123456789,.*-=\x13: move node by values\n"
           "\x0b" "E\x13" "dit item, \x0bM\x13ove by snap, \x0cSpacebar\x13: select different item";
  } else if (kind > 2 && polyline) {
    text = "\x0b" "E\x13" "dit, \x0b" "C\x13hange menu, \x0bS\x13" "eparate links, \x0bJ\x13oin, "
           "\x0bR\x13" "everse direction,\n"
           "\x0cSpacebar\x13 or \x0cTAB\x13: select different item at crosshairs.";
  } else if (kind > 2) {
    text = "Some keyboard commands: \x0b" "E\x13" "dit this item's parameters.\n"
           "  \x0cSpacebar\x13 or \x0cTAB\x13: select different item at crosshairs.";
  }
  if (text != nullptr) show_message_area(text);
}

void reset_canvas_cursor() { g_canvas_cursor = CanvasCursor{}; }
