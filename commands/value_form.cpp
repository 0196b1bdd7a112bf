#include "commands/value_form.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/object_snaps.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/point_picking.h"
#include "editor/render.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/node_surgery.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "screen/tick_clock.h"
#include "screen/timer.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "platform/pump.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/popups.h"

ValueForm g_value_form;

namespace {

constexpr char INCOMPLETE_TEXT[] =
    "You haven't completely defined this geometry yet . . . \n"
    "you don't fill in every field, just enough to define the geometry.";

}  // namespace

void zero_value_form_fields() {
  ValueForm& f = g_value_form;
  std::memset(f.values, 0, sizeof f.values);
  std::memset(f.entered, 0, sizeof f.entered);
  f.kind = FORM_WORKING_ITEM;
  f.diameter = 0.0f;
  f.link = FormLink{};
  f.link.link.node_flags = NODE_FIRST;
  f.link.closing.node_flags = NODE_CLOSING;
  f.recompute = nullptr;
  f.layer_field = 0;
  std::memset(f.title, 0, sizeof f.title);
  f.layer_edit_once = 0;
}

int check_form_complete() {
  const ValueForm& f = g_value_form;
  if (f.entered[0] == 1) return 1;
  for (int i = 1; i < VALUE_FORM_MAX_CONTROLS; ++i) {
    if (f.entered[i] == FIELD_ENTERED) {
      show_text_box(INCOMPLETE_TEXT, TEXTBOX_PRESS_A_KEY);
      return -1;
    }
  }
  return 0;
}

EventCode step_value_form_cursor(EventCode key, int count, int* current) {
  if (key == EVENT_QUIT) return KEY_ESC;
  if (key == KEY_DOWN || key == KEY_ENTER || key == KEY_TAB) {
    if (*current + 1 >= count) return KEY_DOWN;
    ++*current;
  } else if (key == KEY_UP) {
    if (*current == 0) return KEY_UP;
    --*current;
  } else if (key == KEY_ESC || key == 0 || key == EVENT_LEFT_DOWN ||
             key == EVENT_CONTROL_CLICKED) {
    return key;
  }
  return VALUE_FORM_GO_ON;
}

void reset_value_form() { g_value_form = ValueForm{}; }

// ================================ the engine ================================

namespace {

constexpr int HEADER_ROW = 2;
constexpr uint16_t HOVER_PICK_DEFAULT = 14;  // links, item markers and items
// The form's Pick and Object Snap commands carry no legend of their own names: the buttons keep
// the ids in the page's binding record for the length of the form.
constexpr char NO_FIELD_TEXT[] =
    "First you must click one of the data entry fields, or \n"
    "click one of the labels to the left of the data fields.";
constexpr char POINT_LABEL_TEXT[] =
    "Click the node in the drawing that has the X and Y coordinates\n"
    "you want this point to be set to.\n"
    "Or, click the right mouse button to use OBJECT SNAP.";
constexpr char Y_LABEL_TEXT[] =
    "Click the node in the drawing that has the Y coordinate\n"
    "you want this point to be set to.\n"
    "This will set only the Y coordinate.";
constexpr char LAYER_LABEL_TEXT[] =
    "\nClick the item that is on the layer you\nwant this new one to be set to.";
constexpr char LENGTH_LABEL_TEXT[] =
    "Click the line (or two nodes) that has the length (ie, the\n"
    "distance) you want this field set to. If you click an arc,\n"
    "the length of its radius will be used.";
constexpr char ANGLE_LABEL_TEXT[] =
    "Click the line (or two nodes) that forms the angle you want\n"
    "this field set to. If you click an arc, its starting angle\n"
    "will be used for this field.";
constexpr char WHY_CLICKED_TEXT[] =
    "I don't understand why you clicked the mouse in the drawing.\n\n"
    "To cancel and return to the drawing, click CANCEL or press ESC.\n"
    "Or, to pick a point in the drawing, you must first click the one of\n"
    "the labels to the left of the data entry fields to identify which\n"
    "field you want to set.\n"
    "Read the messages along the bottom of the screen for help.";
constexpr char SECOND_DISTANCE_TEXT[] =
    "You selected one point...now select the other point\nthat will define the distance.";
constexpr char SECOND_ANGLE_TEXT[] =
    "You selected one point...now select the other point\nthat will define the angle";
constexpr char DISTANCE_PROMPT[] =
    "Select a link (or 2 points); the distance between the points will be used.";
constexpr char ANGLE_PROMPT[] = "Select a link (or 2 points) that form the angle you want.";

int cell_width() { return std::max<int>(1, g_display.presets[FACE_ROLE_MENU].cell_width); }
int cell_height() { return std::max<int>(1, g_display.presets[FACE_ROLE_MENU].cell_height); }

bool is_arc(const LinkRecord* link) { return link->code > 0.0f; }

// Takes the marker off the screen when its blink left it on.
void stop_marker() {
  PickMarker& m = g_pick_marker;
  if (m.picking && m.shown) {
    m.picking = true;
    g_clock.counter_b = 0;
    blink_pick_marker();
  }
  m.picking = false;
  m.shown = false;
  g_value_form.marker_shown = 0;
}

void blink_form_marker() {
  blink_pick_marker();
  g_value_form.marker_shown = g_pick_marker.shown ? 1 : 0;
}

// The length and angle a picked link or two points give.
void measure_picked(const PickedLink& rec, float* length, float* angle) {
  const PointF a = rec.records[0].point;
  const PointF b = rec.records[1].point;
  *length = point_distance(&a, &b);
  double t = std::atan2(static_cast<double>(b.y) - a.y, static_cast<double>(b.x) - a.x);
  if (t < 0.0) t += 2.0 * M_PI;
  *angle = static_cast<float>(t);
}

// A second point asked after a node was picked: the point, or false when cancelled.
bool second_point(const char* prompt, PointF* out) {
  show_prompt(prompt);
  const uint16_t mode = g_hover.pick_mode;
  g_hover.pick_mode = PICK_MODE_NODES;
  const int got = select_point(out);
  g_hover.pick_mode = mode;
  show_prompt(g_value_form.title);
  return got == 0;
}

// The form's record of a field value changed by a pick or snap: marked, solved, previewed.
void solve_after_take(int field) {
  ValueForm& f = g_value_form;
  if (f.kind != FORM_WORKING_ITEM) update_form_preview(1);
  if (f.recompute != nullptr && f.recompute(field) != 0 && f.kind != FORM_WORKING_ITEM)
    update_form_preview(0);
  update_zoom_to_shape_button();
}

void draw_link_xor(FormLink* link) {
  Canvas* canvas = drawing_canvas();
  const CanvasKeep keep(canvas);
  canvas->pen = CanvasPen{};
  canvas->pen.colour = DRAW_CYAN;
  canvas->pen.style = CANVAS_PEN_DOT;
  canvas->brush = CanvasBrush{};
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas->mix = CANVAS_MIX_XOR;
  draw_link(&link->link);
}

// The box the shape's zoom button shows: the link's box, or the working item's extents.
bool shape_box(PointF* min, PointF* max) {
  ValueForm& f = g_value_form;
  if (f.kind == FORM_LINK) {
    link_bounding_box(&f.link.link);
    *min = f.link.link.box_min;
    *max = f.link.link.box_max;
    return true;
  }
  DrawingItem* tail = g_lists.current.last;
  if (f.kind != FORM_WORKING_ITEM || tail == nullptr) return false;
  item_extents(tail, min, max);
  return true;
}

// Sets the view to a box (grown by `fill`, centred) and redraws the page.
void view_box(PointF min, PointF max, float fill) {
  ViewState& v = g_view;
  if (max.x - min.x < 1e-6f && max.y - min.y < 1e-6f) {
    min.x -= 1.0f, min.y -= 1.0f, max.x += 1.0f, max.y += 1.0f;
  }
  v.view_left = min.x;
  v.view_bottom = min.y;
  v.view_right = max.x;
  v.view_top = max.y;
  fit_scale();
  zoom_by(fill);
  v.zoom_corner_1 = min;
  v.zoom_corner_2 = max;
  pan_to_window(1);
  view_keys(VIEW_REDRAW_ONLY);
}

void after_zoom() {
  refresh_form_preview();
  if (g_value_form.after_view_change != nullptr) g_value_form.after_view_change();
}

bool is_view_key(EventCode code) {
  return code == KEY_UP || code == KEY_DOWN || code == KEY_LEFT || code == KEY_RIGHT ||
         code == KEY_PGUP || code == KEY_PGDN || code == 'Z' || code == 'z';
}

// The pointer is over the drawing, left of the form's panel.
bool pointer_over_drawing() {
  const ViewState& v = g_view;
  const int panel = v.side_panel_column > 0 ? v.side_panel_column * cell_width() : v.area_width;
  return g_pointer.wanted_x < panel && g_pointer.wanted_y > v.area_top &&
         g_pointer.wanted_y < v.area_bottom;
}

bool ends_tour_step(EventCode c) {
  return (c >= 1 && c <= 127) || c == EVENT_LEFT_DOWN || c == EVENT_RIGHT_DOWN ||
         c == EVENT_MIDDLE_DOWN || c == EVENT_QUIT;
}

// One step of the tour: the message in a box at the right, the pointer gliding back and forth
// from `from` by (dx, dy) until a key or a click. 27 ends the tour.
int tour_step(int message, int16_t picture, int from_x, int from_y, int dx, int dy) {
  glide_pointer(POINTER_GLIDE_SET_DELAY, 1500);
  get_message(message);
  const std::string text = message_text();
  const int columns = g_display.presets[FACE_ROLE_MENU].last_column + 1;
  message_box(-(g_view.area_top / cell_height() + 2), -(columns - 47), 46, text.c_str(),
              MSGBOX_POPUP, nullptr, 0, nullptr, 0, PRESS_A_KEY_TITLE);
  set_pointer_shape(picture);
  EventCode key = 0;
  for (int leg = 0; key == 0; ++leg) {
    // The first glide is quick, the later ones slow; motion never stops one, a click does.
    if (leg > 0) glide_pointer(POINTER_GLIDE_SET_DELAY, 15000);
    const bool out = leg % 2 == 0;
    glide_pointer(-(out ? from_x + dx : from_x), out ? from_y + dy : from_y);
    // The queue is looked at between glides without blocking, so the pointer keeps moving
    // while the user reads. The glide's own pointer moves are pumped first, so that the wait
    // then finds the window idle.
    for (int look = 0; look < 4 && key == 0; ++look) {
      const int handled = pump_wait(0);
      for (EventCode c = poll_input_code(0); c != 0 && key == 0; c = poll_input_code(0))
        if (ends_tour_step(c)) key = c;
      if (handled == 0) break;
    }
    if (key == 0 && g_events.quit_requested) key = EVENT_QUIT;
    if (key == 0 && g_form.redraw_level != 0) key = KEY_ESC;
  }
  glide_pointer(POINTER_GLIDE_SET_DELAY, 2000);
  close_top_popup();
  if (key == EVENT_QUIT) push_input_code(EVENT_QUIT);
  return key == KEY_ESC || key == EVENT_QUIT || g_form.redraw_level != 0 ? 27 : 0;
}

}  // namespace

void append_form_header(std::vector<ScreenControl>* table, const char* shape_name, int help_row) {
  table->push_back(make_control("Help me!", VALUE_ID_HELP, help_row, -18, 1, 10, 124, 0));
  table->push_back(make_control("Zoom to:", 0, HEADER_ROW, 2, 1, 8, 0, CF_NO_BOX));
  table->push_back(make_control("Drawing", VALUE_ID_ZOOM_DRAWING, HEADER_ROW, 11, 1, 8, 157, 0));
  const int len = static_cast<int>(std::strlen(shape_name));
  table->push_back(make_control(shape_name, VALUE_ID_ZOOM_SHAPE, HEADER_ROW, 20, 1,
                                std::min(len + 2, 14), 158, CF_HIDDEN));
  table->push_back(make_control("Zoom", 0, HEADER_ROW, 35, 1, 4, 0, CF_NO_BOX));
  table->push_back(make_control("IN", VALUE_ID_ZOOM_IN, HEADER_ROW, 41, 1, 3, 159, 0));
  table->push_back(make_control("OUT", VALUE_ID_ZOOM_OUT, HEADER_ROW, 45, 1, 4, 160, 0));
  table->push_back(make_control("Pan", VALUE_ID_PAN, HEADER_ROW, 50, 1, 4, 161, 0));
}

void open_value_form_panel() {
  button_commands_set(VALUE_FORM_PICK, VALUE_FORM_SNAP, VALUE_FORM_SNAP);
  ViewState& v = g_view;
  if (v.side_panel_column > 0) {
    v.narrow_box = true;
    v.area_width = static_cast<int16_t>(v.side_panel_column * cell_width());
    v.box_width = v.area_width;
  }
  update_form_preview(114);
  g_hover.hover_item = nullptr;
  g_hover.pick_kind = 0;
}

void close_value_form(int code) {
  if (code != 0) update_form_preview(1);
  stop_marker();
  clear_hover_hilite();
  button_commands_pop();
  draw_button_legend(1);
  g_hover.hover_item = nullptr;
  g_hover.pick_kind = 0;
  g_hover.tick_hook = nullptr;
  g_hover.pick_mode = HOVER_PICK_DEFAULT;
  g_value_form.after_view_change = nullptr;
  select_paint_box();
  update_cursor_point();
}

const char* value_label_message(int8_t kind, bool selected) {
  if (!selected) return NO_FIELD_TEXT;
  switch (kind) {
    case FIELD_POINT: return POINT_LABEL_TEXT;
    case FIELD_LAYER: return LAYER_LABEL_TEXT;
    case FIELD_LENGTH:
    case FIELD_DIAMETER: return LENGTH_LABEL_TEXT;
    case FIELD_ANGLE:
    case FIELD_SWEEP: return ANGLE_LABEL_TEXT;
    default: return Y_LABEL_TEXT;
  }
}

EventCode read_value_form_event(const char* message, const ScreenControl* selected_label,
                                int8_t kind) {
  ValueForm& f = g_value_form;
  PickMarker& m = g_pick_marker;
  for (;;) {
    if (g_events.quit_requested) return EVENT_QUIT;
    show_message_area(message != nullptr ? message
                                         : value_label_message(kind, selected_label != nullptr));
    if (selected_label != nullptr) {
      f.marker_box[0] = static_cast<int16_t>(selected_label->y);
      f.marker_box[1] = static_cast<int16_t>(selected_label->x);
      f.marker_box[2] = static_cast<int16_t>(selected_label->hit_width);
      f.marker_box[3] = static_cast<int16_t>(selected_label->hit_height);
      m.x = selected_label->x;
      m.y = selected_label->y;
      m.width = selected_label->hit_width;
      m.height = selected_label->hit_height;
      m.picking = true;
      m.shown = false;
    }
    // The marker blinks on the timer's own tick, whichever reader waits.
    const TickHook kept_hook = g_timer.tick_hook;
    if (selected_label != nullptr) set_tick_hook(blink_form_marker);
    if (selected_label != nullptr && kind >= 0) g_hover.pick_mode = PICK_MODE_NODES;
    const EventCode code = next_editor_event_hover();
    if (selected_label != nullptr) set_tick_hook(kept_hook);
    g_hover.pick_mode = HOVER_PICK_DEFAULT;
    stop_marker();
    if (code == EVENT_REDRAW || g_form.redraw_level != 0) {
      draw_button_legend(1);
      return VALUE_FORM_REDRAWN;
    }
    // The pointer came in from the panel: the hover search has started afresh; read again.
    if (code == EVENT_POINTER_MOVE) return 0;
    // Over the drawing the arrows pan and PgUp, PgDn and Z zoom; over the panel they are the
    // form's own keys.
    if (is_view_key(code) && pointer_over_drawing()) {
      view_keys(code);
      after_zoom();
      continue;
    }
    return code;
  }
}

int run_ok_cancel_bar(int which) {
  const bool complete = form_complete() == 1;
  show_message_area(complete ? "" : INCOMPLETE_TEXT);
  const ScreenControl* ok = find_control(VALUE_ID_OK);
  if (ok == nullptr) return KEY_ESC;
  return draw_ok_cancel_at(*ok, complete ? (which & 1) : 1);
}

void glide_into_form_panel() {
  const int x = g_display.screen_width - 20 * cell_width();
  const int y = g_view.area_top + 2 * cell_height();
  if (pointer_over_drawing()) glide_pointer(-x, y);
}

int pick_field_from_drawing(int field, int kind, float* value) {
  ValueForm& f = g_value_form;
  HoverState& h = g_hover;
  if (field <= 0 || (value == nullptr && kind != FIELD_LAYER)) {
    bool any = false;
    for (int i = 1; i < VALUE_FORM_MAX_CONTROLS; ++i) any = any || f.entered[i] == FIELD_ENTERED;
    if (any) {
      show_text_box(WHY_CLICKED_TEXT, TEXTBOX_PRESS_A_KEY);
      const int x = g_display.screen_width - 12 * cell_width();
      glide_pointer(x, g_view.area_top + 10 * cell_height());
      glide_pointer(x, g_view.area_top + 2 * cell_height());
    } else {
      push_input_code_front(KEY_ESC);
    }
    return -1;
  }
  int result = 1;
  bool asked_second = false;
  if (h.pick_kind != 0 && h.hover_link != nullptr) {
    const LinkRecord* link = h.hover_link;
    const bool on_link = h.pick_kind >= PICK_ON_LINK_NEAR_START;
    switch (kind) {
      case FIELD_POINT:
      case FIELD_Y_ONLY: {
        PointF p{};
        hover_point(&p);
        if (kind == FIELD_POINT) {
          value[0] = p.x;
          value[1] = p.y;
          f.entered[field + 1] = FIELD_ENTERED;
        } else {
          *value = p.y;
        }
        break;
      }
      case FIELD_LENGTH:
      case FIELD_DIAMETER: {
        if (on_link && is_arc(link)) {
          *value = kind == FIELD_DIAMETER ? 2.0f * link->code : link->code;
        } else if (on_link) {
          *value = point_distance(&link[0].point, &link[1].point);
        } else {
          PointF a{};
          hover_point(&a);
          PointF b{};
          asked_second = true;
          if (!second_point(SECOND_DISTANCE_TEXT, &b)) return -1;
          *value = point_distance(&a, &b);
        }
        if (kind == FIELD_DIAMETER) f.diameter = *value;
        break;
      }
      case FIELD_ANGLE:
      case FIELD_SWEEP: {
        if (kind == FIELD_SWEEP) {
          if (!on_link || !is_arc(link)) return 0;
          *value = link->sweep;
          break;
        }
        PickedLink rec{};
        if (on_link && is_arc(link)) {
          *value = link->start_angle;
          break;
        }
        if (on_link) {
          const bool forward = (h.pick_kind & 0x11) != 0;
          rec.records[0].point = forward ? link[0].point : link[1].point;
          rec.records[1].point = forward ? link[1].point : link[0].point;
        } else {
          hover_point(&rec.records[0].point);
          asked_second = true;
          if (!second_point(SECOND_ANGLE_TEXT, &rec.records[1].point)) return -1;
        }
        float length = 0.0f;
        measure_picked(rec, &length, value);
        break;
      }
      case FIELD_LAYER:
        if (h.hover_item != nullptr && item_block(h.hover_item) != nullptr) {
          f.layer = item_block(h.hover_item)->layer;
          if (f.layer_field > 0) {
            if (ScreenControl* c = find_control(f.layer_field)) {
              std::snprintf(c->caption, sizeof c->caption, "%3d", f.layer);
              draw_controls(c, 1);
            }
          }
        }
        h.pick_kind = 0;
        return 1;
      default: return 0;
    }
  } else {
    const PointF p = h.cursor_point;
    if (kind == FIELD_POINT) {
      value[0] = p.x;
      value[1] = p.y;
      f.entered[field + 1] = FIELD_ENTERED;
    } else if (kind == FIELD_Y_ONLY) {
      *value = p.y;
    } else {
      return -2;
    }
  }
  f.entered[field] = FIELD_ENTERED;
  solve_after_take(field);
  if (asked_second) show_prompt(f.title);
  h.pick_mode = HOVER_PICK_DEFAULT;
  h.pick_kind = 0;
  return result;
}

int snap_field_from_drawing(int field, int kind, float* value) {
  ValueForm& f = g_value_form;
  stop_marker();
  clear_hover_hilite();
  if (field <= 0 || value == nullptr || kind == FIELD_SWEEP || kind == FIELD_LAYER) return 0;
  if (kind == FIELD_POINT || kind == FIELD_Y_ONLY) {
    PointF p{};
    help_box_text("");
    const int got = snap_via_menu(SNAP_CONTEXT_DEFAULT, &p);
    help_box_text("");
    show_prompt(f.title);
    if (got != 0) return 0;
    if (kind == FIELD_POINT) {
      value[0] = p.x;
      value[1] = p.y;
      f.entered[field + 1] = FIELD_ENTERED;
    } else {
      *value = p.y;
    }
  } else {
    show_prompt(kind == FIELD_ANGLE ? ANGLE_PROMPT : DISTANCE_PROMPT);
    bring_pointer_into_drawing();
    PickedLink rec{};
    const int got = select_item_or_two_points(&rec, 0);
    show_prompt(f.title);
    if (got == PICK_FAILED) return 0;
    float length = 0.0f;
    float angle = 0.0f;
    measure_picked(rec, &length, &angle);
    *value = kind == FIELD_ANGLE ? angle : length;
    if (kind == FIELD_DIAMETER) f.diameter = *value;
  }
  f.entered[field] = FIELD_ENTERED;
  solve_after_take(field);
  return -1;
}

void update_form_preview(int mode) {
  ValueForm& f = g_value_form;
  if (mode == 114) {
    f.preview_shown = 0;
    return;
  }
  if (f.preview_shown != 0) {
    draw_link_xor(&f.last_preview);
    f.preview_shown = 0;
  }
  if (mode != 0 || f.kind != FORM_LINK || form_complete() != 1) return;
  link_bounding_box(&f.link.link);
  f.last_preview = f.link;
  draw_link_xor(&f.last_preview);
  f.preview_shown = 1;
}

void refresh_form_preview() {
  update_form_preview(114);
  if (form_complete() == 1) update_form_preview(0);
}

void update_zoom_to_shape_button() {
  ScreenControl* c = find_control(VALUE_ID_ZOOM_SHAPE);
  if (c == nullptr || g_value_form.kind == FORM_TRANSFORM) return;
  const bool show = form_complete() == 1;
  const bool hidden = (c->flags & CF_HIDDEN) != 0;
  if (show == !hidden) return;
  c->flags = show ? (c->flags & ~CF_HIDDEN) : (c->flags | CF_HIDDEN);
  if (show) {
    draw_controls(c, 1);
  } else {
    fill_cells(c->y, c->x, c->y + c->hit_height, c->x + c->hit_width, 1 | FILL_PIXELS);
  }
}

int run_form_header_button(int id) {
  switch (id) {
    case VALUE_ID_ZOOM_DRAWING: {
      compute_extents();
      PointF min = {g_view.extent_min_x, g_view.extent_min_y};
      PointF max = {g_view.extent_max_x, g_view.extent_max_y};
      PointF smin{}, smax{};
      if (form_complete() == 1 && shape_box(&smin, &smax)) {
        min = {std::min(min.x, smin.x), std::min(min.y, smin.y)};
        max = {std::max(max.x, smax.x), std::max(max.y, smax.y)};
      }
      view_box(min, max, VIEW_FIT_FILL);
      break;
    }
    case VALUE_ID_ZOOM_SHAPE: {
      PointF min{}, max{};
      if (form_complete() != 1 || !shape_box(&min, &max)) {
        check_form_complete();
        return id;
      }
      view_box(min, max, 0.65f);
      break;
    }
    case VALUE_ID_ZOOM_IN: repeat_zoom_while_held(KEY_PGUP, after_zoom); return id;
    case VALUE_ID_ZOOM_OUT: repeat_zoom_while_held(KEY_PGDN, after_zoom); return id;
    case VALUE_ID_PAN:
      do {
        pan_by_drag();
      } while (g_pointer.button_bits != 0);
      view_keys(VIEW_REDRAW_ONLY);
      break;
    case VALUE_ID_HELP: run_value_form_tour(); return id;
    default: return 0;
  }
  after_zoom();
  return id;
}

int run_value_form_tour() {
  const int cw = cell_width();
  const int ch = cell_height();
  const int w = g_display.screen_width - 1;
  const int t = g_view.area_top;
  const int b = g_view.area_bottom;
  struct Step {
    int message;
    int16_t picture;
    int x, y, dx, dy;
  };
  const Step steps[] = {
      {8200, 10, w - 11 * cw, t + 2 * ch, 0, 12 * ch},
      {8201, 3, w - 10 * cw, t + 2 * ch, 0, 12 * ch},
      {8202, 1, w - 32, b + ch, -30 * cw, 0},
      {8203, 3, w - 10 * cw, t + 2 * ch, 0, 12 * ch},
      {8204, 10, w - 11 * cw, t + 2 * ch, 0, 12 * ch},
  };
  for (const Step& s : steps)
    if (tour_step(s.message, s.picture, s.x, s.y, s.dx, s.dy) == 27) return 27;
  return 0;
}
