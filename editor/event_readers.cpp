// The two event readers through which the drawing commands read their input: one for picking
// points and dragging, one for picking items, links and nodes. Both follow the pointer with the
// cursor point, run the hover search between events and keep every input code the search took.
#include <algorithm>

#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/draw_style.h"
#include "editor/drawing_page_state.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/timer.h"

namespace {

constexpr EventCode KEY_GRAVE = 96;
constexpr EventCode KEY_TILDE = 126;
constexpr EventCode KEY_ALT_H = 291;
constexpr EventCode KEY_F3 = 317;
constexpr EventCode KEY_F5 = 319;
constexpr EventCode KEY_F7 = 321;
constexpr EventCode KEY_F8 = 322;
constexpr EventCode KEY_F9 = 323;
// Pointer pictures of what the hover found (an item: HOVER_SHAPE_ITEM).
constexpr uint8_t SHAPE_HIT = HOVER_SHAPE_ITEM;
constexpr uint8_t SHAPE_CENTRE = 51;
constexpr uint8_t SHAPE_POLYGON_CENTRE = 72;
constexpr uint8_t SHAPE_ON_LINK = 52;
constexpr uint8_t SHAPE_NODE = 48;
constexpr uint8_t SHAPE_FIRST_NODE = 49;
// Codes the hover reader passes on while the pointer is outside the drawing area.
constexpr EventCode OUTSIDE_CODE_LAST = 418;
constexpr EventCode KEY_CTRL_Z = 602;

bool grid_snapping() { return g_furniture.grid_switch == 1; }

}  // namespace

uint8_t hover_shape_of_hit() {
  const HoverState& h = g_hover;
  switch (h.pick_kind) {
    case PICK_CENTRE:
      return h.hover_item != nullptr && item_type(h.hover_item) == ITEM_POLYGON ? SHAPE_POLYGON_CENTRE
                                                                              : SHAPE_CENTRE;
    case PICK_ON_LINK_NEAR_START:
    case PICK_ON_LINK_NEAR_END: return SHAPE_ON_LINK;
    case PICK_START_NODE:
    case PICK_END_NODE: return h.link_index == 0 && h.pick_kind == PICK_START_NODE ? SHAPE_FIRST_NODE
                                                                                 : SHAPE_NODE;
    default: return SHAPE_HIT;
  }
}

namespace {

// The pointer's wanted position moved by (dx, dy): the cursor points follow. False when the
// snapped point stays on the crosshair's pixel (nothing more to do).
bool follow_motion(int dx, int dy) {
  HoverState& h = g_hover;
  g_pointer.wanted_x += dx;
  g_pointer.wanted_y += dy;
  h.raw_cursor_point = screen_to_world(g_pointer.wanted_x, g_pointer.wanted_y);
  if (grid_snapping()) {
    const PointF snapped = {snap_to_grid(h.raw_cursor_point.x), snap_to_grid(h.raw_cursor_point.y)};
    int x = 0, y = 0;
    world_to_screen(snapped, &x, &y);
    h.cursor_point = snapped;
    if (x == h.crosshair_x && y + g_view.area_top == h.crosshair_y) return false;
  } else {
    h.cursor_point = h.raw_cursor_point;
  }
  h.cursor_delta = {h.cursor_point.x - h.previous_cursor_point.x,
                    h.cursor_point.y - h.previous_cursor_point.y};
  h.previous_cursor_point = h.cursor_point;
  return true;
}

}  // namespace

void place_crosshair_on_cursor() {
  int x = 0, y = 0;
  world_to_screen(g_hover.cursor_point, &x, &y);
  g_hover.crosshair_x = x;
  g_hover.crosshair_y = y + g_view.area_top;
}

namespace {

// Moves the view by a fifth when the pointer reached an edge of the area; true when it did.
bool auto_pan() {
  ViewState& v = g_view;
  const int x = g_pointer.wanted_x;
  const int y = g_pointer.wanted_y;
  const float w = v.view_right - v.view_left;
  const float h = v.view_top - v.view_bottom;
  float dx = 0.0f, dy = 0.0f;
  if (y <= v.area_top) dy = 0.2f * h;
  else if (y >= v.area_bottom) dy = -0.2f * h;
  else if (x <= g_display.presets[FACE_ROLE_NORMAL].cell_height) dx = -0.2f * w;
  else if (x >= v.area_width - 8) dx = 0.2f * w;
  else return false;
  move_view(dx, dy);
  return true;
}

void flip_node_snap() {
  HoverState& h = g_hover;
  uint8_t& off = g_job_settings.node_snap_off;
  off = off != 0 ? 0 : 1;
  if (off != 0) h.pick_mode |= PICK_MODE_OFF_IN_SESSION;
  else h.pick_mode &= static_cast<uint16_t>(~PICK_MODE_OFF_IN_SESSION);
  show_node_snap_hint();
  h.hover_item = nullptr;
  h.pick_kind = 0;
}

// The switches both readers flip the same way: the pointer crosshair, node snap, the node
// markers and the hiding of invisible links. True when the code was one of them.
bool switch_key(EventCode code) {
  switch (code) {
    case KEY_GRAVE:
    case KEY_TILDE:
      g_preferences.pointer_crosshair = g_preferences.pointer_crosshair != 0 ? 0 : 1;
      return true;
    case KEY_F3: flip_node_snap(); return true;
    case KEY_F5:
      clear_hover_hilite();
      g_job_settings.show_node_markers = g_job_settings.show_node_markers != 0 ? 0 : 1;
      return true;
    case KEY_F7:
      g_draw_style.hide_invisible_links = g_draw_style.hide_invisible_links != 0 ? 0 : 1;
      return true;
    default: return false;
  }
}

void refresh_highlights() {
  HoverState& h = g_hover;
  if (h.hilite_refresh == 0) return;
  h.hilite_refresh = 0;
  if (h.pick_mode == PICK_MODE_NODES) {
    if (h.highlighted_link != nullptr) hilite_link(h.highlighted_link);
    if (h.pick_kind != 0) hilite_link(h.hover_link);
  } else if ((h.pick_mode & PICK_MODE_ITEM_MARKERS) != 0 && h.hover_item != nullptr) {
    clear_hover_hilite();
    h.node_item = h.hover_item;
    hilite_item_nodes(h.hover_item);
  }
}

EventCode take_event_skipping_ticks() {
  for (;;) {
    const EventCode code = wait_input_code();
    if (code != EVENT_TICK) return code;
  }
}

// A code the hover search took from the queue goes back in front, to be read next; only moves
// and ticks, which the search makes stale, are let go.
void keep_searched_code(int code) {
  if (code <= 0 || code == EVENT_POINTER_MOVE || code == EVENT_TICK) return;
  push_input_code_front(static_cast<EventCode>(code));
}

EventCode after_view_change() {
  place_crosshair_on_cursor();
  sync_pointer_to_cursor();
  ++g_hover.view_changes;
  return EVENT_VIEW_CHANGED;
}

bool pointer_outside_area() {
  const ViewState& v = g_view;
  const int right = v.narrow_box ? v.area_width : g_display.screen_width;
  return g_pointer.wanted_y > v.area_bottom || g_pointer.wanted_x >= right ||
         g_pointer.wanted_x <= 0 || g_pointer.wanted_y <= v.area_top;
}

// The hover reader while the pointer is outside the drawing area: the buttons navigate menus.
EventCode track_outside_area() {
  hide_crosshair();
  button_commands_set(COMMAND_SELECT_THIS, COMMAND_MENU_NAVIGATION, COMMAND_MENU_NAVIGATION);
  for (;;) {
    if (hit_test_pointer(false) == HIT_NOTHING) set_pointer_shape(POINTER_ARROW);
    move_pointer();
    const EventCode code = wait_input_code();
    if (g_form.redraw_level != 0) {
      button_commands_pop();
      return EVENT_REDRAW;
    }
    if (code == EVENT_LEFT_DOWN) {
      g_canvas_cursor.click_x = g_pointer.wanted_x;
      g_canvas_cursor.click_y = g_pointer.wanted_y;
      if (hit_test_pointer(true) >= 0) {
        button_commands_pop();
        return EVENT_CONTROL_CLICKED;
      }
      continue;
    }
    if (code == EVENT_POINTER_MOVE) {
      int dx = 0, dy = 0;
      if (mouse_delta(&dx, &dy) == 0) continue;
      g_pointer.wanted_x = std::clamp(g_pointer.wanted_x + dx, 0, static_cast<int>(g_display.screen_width));
      g_pointer.wanted_y = std::clamp(g_pointer.wanted_y + dy, 0, static_cast<int>(g_display.screen_height));
      if (pointer_outside_area()) continue;
      hide_pointer();
      clear_hover();
      // What was hovered before the pointer left is stale: the search runs again only with
      // nothing hovered, and a click must not take the old item.
      clear_hover_hilite();
      g_hover.hover_item = nullptr;
      g_hover.pick_kind = 0;
      g_hover.cursor_point = screen_to_world(g_pointer.wanted_x, g_pointer.wanted_y);
      g_hover.raw_cursor_point = g_hover.cursor_point;
      button_commands_pop();
      draw_button_legend(1);
      return EVENT_POINTER_MOVE;
    }
    if (code == EVENT_TICK) {
      if (g_hover.tick_hook != nullptr) g_hover.tick_hook();
      continue;
    }
    if ((code >= 1 && code <= OUTSIDE_CODE_LAST) || code == EVENT_RIGHT_DOWN || code == KEY_CTRL_Z ||
        code == EVENT_QUIT) {
      button_commands_pop();
      return code;
    }
  }
}

}  // namespace

EventCode next_editor_event() {
  HoverState& h = g_hover;
  h.view_changes = 0;
  for (;;) {
    refresh_highlights();
    show_crosshair();
    if (h.hover_shape != 0 || g_drawing_page.editor_pointer_shape != 0) move_pointer();
    const EventCode code = take_event_skipping_ticks();
    hide_pointer();
    hide_crosshair();
    if (switch_key(code)) continue;
    switch (code) {
      case KEY_TAB:
      case ' ': {
        clear_hover_hilite();
        if ((h.pick_mode & PICK_MODE_PLAIN_KEYS) != 0 || h.pick_kind == 0) continue;
        const int found = pick_under_crosshairs();
        if (found == -1) {
          h.hover_shape = hover_shape_of_hit();
          set_pointer_shape(h.hover_shape);
          h.hilite_refresh = 1;
        } else {
          keep_searched_code(found);
        }
        continue;
      }
      case KEY_ALT_H: continue;
      case KEY_F8:
        clear_hover_hilite();
        cycle_axis_lock(INDICATOR_CHANGE_ONLY);
        return code;
      case KEY_F9:
        clear_hover_hilite();
        show_grid_state(INDICATOR_CHANGE_ONLY);
        return code;
      case EVENT_LEFT_DOWN:
      case EVENT_MIDDLE_DOWN:
      case EVENT_RIGHT_DOWN:
        clear_hover_hilite();
        return bound_command_of_press(code);
      case EVENT_LEFT_UP:
      case EVENT_MIDDLE_UP:
      case EVENT_RIGHT_UP:
        clear_hover_hilite();
        return code;
      case EVENT_POINTER_MOVE: break;
      default: {
        clear_hover_hilite();
        if (view_keys(code) != 0) return code;
        return after_view_change();
      }
    }
    int dx = 0, dy = 0;
    if (mouse_delta(&dx, &dy) == 0) continue;
    const PointF before = h.cursor_point;
    if (!follow_motion(dx, dy)) continue;
    if (auto_pan()) {
      clear_hover_hilite();
      view_keys(VIEW_REDRAW_ONLY);
      h.cursor_point = before;
      h.raw_cursor_point = before;
      return after_view_change();
    }
    if (g_drawing_page.editor_pointer_shape != CURSOR_SHAPE_NO_HOVER) {
      const int found = pick_under_crosshairs();
      if (found == -1) {
        h.hover_shape = hover_shape_of_hit();
        set_pointer_shape(h.hover_shape);
        if (h.pick_mode == PICK_MODE_NODES || (h.pick_mode & PICK_MODE_ITEM_MARKERS) != 0)
          h.hilite_refresh = 1;
      } else {
        keep_searched_code(found);
        set_pointer_shape(g_drawing_page.editor_pointer_shape);
      }
    }
    place_crosshair_on_cursor();
    show_crosshair();
    show_cursor_xy();
    clear_hover_hilite();
    return EVENT_POINTER_MOVE;
  }
}

EventCode next_editor_event_hover() {
  HoverState& h = g_hover;
  clear_window_drawing_bits();
  const bool items = (h.pick_mode & PICK_MODE_ITEM_REPORTS) != 0;
  for (;;) {
    if (pointer_outside_area()) {
      const EventCode code = track_outside_area();
      clear_hover_hilite();
      return code;
    }
    g_drawing_page.editor_pointer_shape =
        g_preferences.pointer_crosshair != 0 ? CURSOR_SHAPE_CROSSHAIR : 0;
    move_pointer();
    EventCode code = 0;
    if ((h.pick_mode & PICK_MODE_PLAIN_KEYS) == 0 && h.pick_kind == 0 &&
        poll_input_code(EVENT_PEEK_LIMIT) == 0) {
      const int found = pick_under_crosshairs();
      if (found == -1) {
        set_pointer_shape(items ? (h.item_node_shape != 0 && h.pick_kind <= 2 ? h.item_node_shape
                                                                              : h.item_shape)
                                : hover_shape_of_hit());
        if (items && h.hover_item != h.last_reported_item) {
          h.last_reported_item = h.hover_item;
          return EVENT_POINTER_MOVE;
        }
        place_crosshair_on_cursor();
        show_cursor_xy();
        continue;
      }
      if (found > 0) code = static_cast<EventCode>(found);
    }
    if (code == 0) code = wait_input_code();
    if (switch_key(code)) continue;
    switch (code) {
      case KEY_TAB:
      case ' ':
        clear_hover_hilite();
        if ((h.pick_mode & PICK_MODE_PLAIN_KEYS) != 0) return code;
        if (h.pick_kind != 0) {
          const int found = pick_under_crosshairs();
          if (found > 0) keep_searched_code(found);
        }
        continue;
      case KEY_F9:
        if ((g_furniture.grid_switch & INDICATOR_LOCKED) == 0) {
          g_furniture.grid_switch = g_furniture.grid_switch != 0 ? 0 : 1;
          g_job_settings.grid_shown = g_furniture.grid_switch;
        }
        continue;
      case EVENT_LEFT_DOWN:
      case EVENT_MIDDLE_DOWN:
      case EVENT_RIGHT_DOWN:
        clear_hover_hilite();
        return bound_command_of_press(code);
      case EVENT_LEFT_UP:
      case EVENT_MIDDLE_UP:
      case EVENT_RIGHT_UP: continue;
      case EVENT_TICK:
        if (g_form.redraw_level != 0) {
          clear_hover_hilite();
          return EVENT_REDRAW;
        }
        if (h.tick_hook != nullptr) h.tick_hook();
        continue;
      case EVENT_REEVALUATE:
      case EVENT_POINTER_MOVE: {
        int dx = 0, dy = 0;
        if (code == EVENT_POINTER_MOVE && mouse_delta(&dx, &dy) == 0) continue;
        hide_pointer();
        if (!follow_motion(dx, dy) && code == EVENT_POINTER_MOVE) continue;
        if (pointer_outside_area()) continue;
        hide_crosshair();
        clear_hover_hilite();
        h.hover_item = nullptr;
        h.pick_kind = 0;
        continue;
      }
      default:
        clear_hover_hilite();
        return code;
    }
  }
}
