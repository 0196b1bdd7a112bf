// The entry line of typed coordinates, its event reader, the value line and the node editor's
// reference entry.
#include "editor/coord_entry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/draw_style.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/object_snaps.h"
#include "editor/page_furniture.h"
#include "editor/panel_layer_field.h"
#include "editor/point_picking.h"
#include "editor/render.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/construct.h"
#include "platform/canvas.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/canvas_utilities.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/float_text.h"
#include "store/message_ids.h"
#include "ui/wait_events.h"

namespace {

constexpr int BOX_STYLE = 0x8C0;
constexpr int BOX_ROW = 2;
constexpr int BOX_COLUMN = 56;
constexpr int BOX_WIDTH = 22;
constexpr int VALUE_LINE_MOST = 15;
constexpr uint8_t LOOP_POINTER_SHAPE = 1;
constexpr uint16_t PICK_MODE_ENTRY = 8;
constexpr uint32_t MARKER_COLOUR = 0xFF7FFF;
constexpr EventCode KEY_GRAVE = 96;
constexpr EventCode KEY_TILDE = 126;
constexpr EventCode KEY_F3 = 317;
constexpr EventCode KEY_F5 = 319;
constexpr EventCode KEY_F7 = 321;
constexpr EventCode KEY_F9 = 323;
constexpr int16_t COMMAND_REFERENCE_POINT = 879;
constexpr int16_t COMMAND_NONE = 895;
constexpr int16_t COMMAND_SNAP_MENU = 890;

// Entry strip ids.
constexpr uint8_t STRIP_GO_BACK = 8;
constexpr uint8_t STRIP_DONE = 13;
constexpr uint8_t STRIP_CANCEL = 27;
constexpr uint8_t STRIP_TO_DRAWING = 100;
constexpr uint8_t STRIP_IN = 105;
constexpr uint8_t STRIP_OUT = 111;
constexpr uint8_t STRIP_PAN = 112;
constexpr uint8_t STRIP_LAYER_FIELD = 10;
constexpr uint8_t STRIP_LAYER_LIST = 11;
constexpr int16_t HINT_LAYER_FIELD = 73;
constexpr int16_t HINT_LAYER_LIST = 74;
constexpr char LAYER_LIST_GLYPH[] = "\x08" "A";
constexpr int16_t PAN_PICTURE = -204;

const char* const ENTRY_PROMPTS[] = {
    "Specify an absolute angle (with 0 degrees at 3 o'clock position, 90 degrees at 12 "
    "o'clock).",
    "Enter the distance from the starting point.",
    "Enter the distance to offset this line from the line it will be parallel to.\nOr select a "
    "line or 2 points that define the distance.",
    "Enter the sweep from the start point to insert the new node.",
    "Enter a distance....\nOr select a line or two points that define a distance.",
    "Specify how to move this node.",
    "Specify how to move this link.",
    "Enter X and/or Y coordinate for final point; eg; 1.2,-4.5, *3.4,*5.3, r4.6, 3.4<45\nUse "
    "left mouse button to set reference point.",
    "Specify \vX\x13\vY\x13 distance (eg; \f*3*5\x13) or distance/angle (eg; \f7<15\x13) from "
    "reference\npoint.",
    "Create a polyline by specifying its nodes...",
    "Enter the coordinates for the 2 corners, or specify height/length\nof the box.",
    "Select the center point of the arc.\nR: Reverse arc direction",
    "Enter the radius for fillets.\nOr select an arc, line, or two points that define the "
    "radius.",
    "Select the two points that you want rotated to a certain angle.\nAfterwards you will "
    "specify what you want their angle to become.",
    "Enter the reference angle that the items will be rotated from.\nOr select two points that "
    "defines that reference angle.",
    "",
    "Select the two points that should align with and/or rotate from that reference "
    "angle.\nOr type the angle in degrees.",
    "Creating a spline by specifying its nodes...",
};
constexpr int ENTRY_PROMPT_COUNT = static_cast<int>(sizeof ENTRY_PROMPTS / sizeof ENTRY_PROMPTS[0]);

constexpr char CLOSE_SHOWN[] = "C   \x0e(close polyline)\x13";
constexpr char MEASURE_ANGLE_PROMPT[] = "Select the 2nd point that will define the angle.";
constexpr char MEASURE_DISTANCE_PROMPT[] = "Select another point that will define the distance";

void append_entry_controls(std::vector<ScreenControl>* table) {
  table->push_back(make_control("Go Back", STRIP_GO_BACK, 0, -9, 1, 7, 0, 0));
  table->push_back(make_control("Done", STRIP_DONE, 0, -16, 1, 4, 0, 0));
  append_zoom_controls(table, 62);
  table->push_back(end_control());
}

std::vector<ScreenControl>& entry_strip() {
  static std::vector<ScreenControl> table;
  if (table.empty()) append_entry_controls(&table);
  return table;
}

// The same strip with the layer of the item being drawn in front: the label, the typed field
// and the layer-list button.
std::vector<ScreenControl>& entry_layer_strip() {
  static std::vector<ScreenControl> table;
  if (table.empty()) {
    table.push_back(make_control("Layer", 0, 1, 2, 1, 5, 0, CF_NO_BOX));
    table.push_back(make_control("  0", STRIP_LAYER_FIELD, 2, 2, 1, 3, HINT_LAYER_FIELD, CF_ENTRY));
    table.push_back(make_control(LAYER_LIST_GLYPH, STRIP_LAYER_LIST, 2, 5, 1, 1, HINT_LAYER_LIST, 0));
    append_entry_controls(&table);
  }
  return table;
}

// The index of a control of the preview's strip, or -1.
int preview_control_index(int id) {
  const ScreenControl* table = g_coord.preview.controls;
  if (table == nullptr) return -1;
  for (int i = 0; table[i].flags != CF_END; ++i)
    if (table[i].id == id) return i;
  return -1;
}

void call_preview_hook() {
  if (g_coord.preview.redraw_hook != nullptr) g_coord.preview.redraw_hook();
}

// ---- the event reader's hover ----

void follow_pointer(int dx, int dy) {
  HoverState& h = g_hover;
  g_pointer.wanted_x = std::clamp(g_pointer.wanted_x + dx, 0, static_cast<int>(g_display.screen_width));
  g_pointer.wanted_y = std::clamp(g_pointer.wanted_y + dy, 0, static_cast<int>(g_display.screen_height));
  h.raw_cursor_point = screen_to_world(g_pointer.wanted_x, g_pointer.wanted_y);
  h.cursor_point = h.raw_cursor_point;
  h.cursor_delta = {h.cursor_point.x - h.previous_cursor_point.x,
                    h.cursor_point.y - h.previous_cursor_point.y};
  h.previous_cursor_point = h.cursor_point;
}

// The hover search under the crosshair: the pointer letter and the link highlight follow.
void hover_search() {
  HoverState& h = g_hover;
  clear_hover_hilite();
  const int found = pick_under_crosshairs();
  if (found == -1) {
    h.hover_shape = hover_shape_of_hit();
    set_pointer_shape(h.hover_shape);
    hilite_link(h.hover_link);
    return;
  }
  h.hover_shape = 0;
  if (found > 0 && found != EVENT_POINTER_MOVE && found != EVENT_TICK)
    push_input_code_front(static_cast<EventCode>(found));
  set_pointer_shape(g_drawing_page.editor_pointer_shape);
}

EventCode view_was_redrawn() {
  ++g_hover.view_changes;
  xor_draw_working_set();
  place_crosshair_on_cursor();
  sync_pointer_to_cursor();
  return EVENT_VIEW_CHANGED;
}

// ---- the entry line's drawing ----

void draw_entry_text(const char* text) {
  draw_box(BOX_STYLE, BOX_ROW, BOX_COLUMN, 1, BOX_WIDTH, 0);
  if (text[0] == 'c') draw_text(BOX_ROW, BOX_COLUMN, CLOSE_SHOWN);
  else if (text[0] != '\0') draw_text(BOX_ROW, BOX_COLUMN, text);
}

void xor_entry_cross(PointF p) {
  const CellMetrics& cell = g_display.current;
  const int w = cell.cell_width;
  const int hgt = cell.cell_height;
  int x = 0, y = 0;
  world_to_screen(p, &x, &y);
  const XorMarkPen pen(0xFFFFFF, CANVAS_PEN_DOT);
  area_line(x - w, y - hgt, x + w, y + hgt);
  area_line(x - hgt, y + w, x + hgt, y - w);
}

void xor_reference_marker(PointF p) {
  int x = 0, y = 0;
  world_to_screen(p, &x, &y);
  const XorMarkPen pen(0xFFFFFF, CANVAS_PEN_DOT);
  draw_circle_px(x, y, 4);
  draw_circle_px(x, y, 3);
}

PointF marker_point(const CoordEntry* e, int flags) {
  if ((flags & ENTRY_SWEEP_FIRST) != 0 && g_edit.current_link != nullptr)
    return g_edit.current_link->centre;
  return e->reference;
}

// Cross, reference marker and the rubber line between them (XOR: twice removes them).
void xor_entry_graphics(const CoordEntry* e, int flags) {
  const PointF marker = marker_point(e, flags);
  xor_entry_cross(e->current);
  xor_reference_marker(marker);
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  world_to_screen(marker, &x1, &y1);
  world_to_screen(e->current, &x2, &y2);
  const int top = g_view.area_top;
  canvas_xor_line(x1, y1 + top, x2, y2 + top);
}

// Parses the text and, when it gave coordinates, stores and recomputes; true then.
bool take_text(CoordEntry* e, int flags, int kind) {
  const int modes = apply_typed_field(e->text, flags, kind);
  if (modes == 0) return false;
  g_coord.last_ymode = static_cast<int8_t>(modes / 16);
  g_coord.given = 1;
  return true;
}

int accepted_result() {
  return g_coord.given != 0 ? g_coord.last_ymode + 1 : ENTRY_NOTHING;
}

int finish(CoordEntry* e, int result) {
  e->text[0] = '\0';
  return result;
}

void append_char(CoordEntry* e, char c) {
  const size_t n = std::strlen(e->text);
  if (n >= static_cast<size_t>(COORD_TEXT_MOST)) return;
  e->text[n] = c;
  e->text[n + 1] = '\0';
}

// The hovered point of a click: the node or centre, or for a link body its end nearer the
// click, or the cursor.
PointF clicked_point() {
  const HoverState& h = g_hover;
  if (h.hover_link == nullptr || h.pick_kind == 0) return h.cursor_point;
  if (h.pick_kind == PICK_ON_LINK_NEAR_START) return h.hover_link->point;
  if (h.pick_kind == PICK_ON_LINK_NEAR_END) return h.hover_link[1].point;
  PointF p{};
  hover_point(&p);
  return p;
}

double direction_of(PointF a, PointF b) {
  double angle = std::atan2(static_cast<double>(b.y) - a.y, static_cast<double>(b.x) - a.x);
  if (angle < 0.0) angle += 6.283185307179586;
  return angle;
}

// A value measured from a first point and a second one asked with select_point: true when
// measured.
bool measure_from(CoordEntry* e, int kind, PointF first) {
  const int kind_flags = kind_flags_of(kind);
  g_point_picking.anchor_point = first;
  show_prompt((kind_flags & KIND_ANGLE) != 0 ? MEASURE_ANGLE_PROMPT : MEASURE_DISTANCE_PROMPT);
  g_hover.pick_mode = PICK_MODE_NODES;
  PointF second{};
  if (select_point(&second) != 0) return false;
  if ((kind_flags & KIND_ANGLE) != 0) {
    e->angle = static_cast<float>(direction_of(first, second));
    recompute_entry(FIELD_ANGLE, 0);
    return true;
  }
  const float d = static_cast<float>(
      std::hypot(static_cast<double>(second.x) - first.x, static_cast<double>(second.y) - first.y));
  const int field = kind_field_of(kind);
  if (field == FIELD_DISTANCE) e->distance = d;
  else if (field == FIELD_ANGLE_OFFSET) e->angle_offset = d;
  recompute_entry(field, 0);
  return true;
}

// A click inside the drawing by the kind's flags; true when a value was measured.
bool entry_click(CoordEntry* e, int flags, int kind) {
  const int kind_flags = kind_flags_of(kind);
  const HoverState& h = g_hover;
  const bool on_body = h.hover_link != nullptr && h.pick_kind >= PICK_ON_LINK_NEAR_START;
  if ((kind_flags & KIND_CLICK_REFERENCE) != 0) {
    if (on_body && (kind_flags & KIND_ARC_SWEEP) != 0) {
      const LinkRecord* link = h.hover_link;
      e->angle_offset = link->code > 0.0f ? (link->sweep < 0.0f ? 6.2831855f : link->sweep) : 0.0f;
      recompute_entry(FIELD_ANGLE_OFFSET, flags);
      return false;
    }
    e->reference = clicked_point();
    recompute_entry(RECOMPUTE_REFERENCE_MOVED, flags);
    g_coord.given = 1;
    return false;
  }
  if ((kind_flags & KIND_CLICK_MEASURES) == 0) return false;
  if (on_body) {
    const LinkRecord* link = h.hover_link;
    if ((kind_flags & KIND_ANGLE) != 0) {
      e->angle = static_cast<float>(direction_of(link->point, link[1].point));
      recompute_entry(FIELD_ANGLE, flags);
      return true;
    }
    float value = 0.0f;
    if ((kind_flags & KIND_ARC_RADIUS) != 0 && link->code > 0.0f) {
      value = link->code;
    } else if ((kind_flags & KIND_ARC_SWEEP) != 0) {
      if (link->code <= 0.0f) return false;
      e->angle_offset = link->sweep < 0.0f ? 6.2831855f : link->sweep;
      recompute_entry(FIELD_ANGLE_OFFSET, flags);
      return true;
    } else {
      value = static_cast<float>(std::hypot(static_cast<double>(link[1].point.x) - link->point.x,
                                            static_cast<double>(link[1].point.y) - link->point.y));
    }
    e->distance = value;
    recompute_entry(FIELD_DISTANCE, flags);
    return true;
  }
  PointF first = h.cursor_point;
  if (h.pick_kind != 0) hover_point(&first);
  return measure_from(e, kind, first);
}

// A snapped point into the entry; true when the entry is to be accepted.
bool entry_snap(CoordEntry* e, int flags, int kind, int mode) {
  PointF p{};
  if (mode < 0 || snap_point(mode, &p) != 0) return false;
  if ((kind_flags_of(kind) & KIND_CLICK_MEASURES) != 0) return measure_from(e, kind, p);
  e->text[0] = '\0';
  const float values[2] = {p.x, p.y};
  recompute_entry(apply_typed_values(flags, 0, kind_field_of(kind), AXIS_ABSOLUTE, AXIS_ABSOLUTE, values), flags);
  g_coord.last_ymode = AXIS_ABSOLUTE;
  g_coord.given = 1;
  return true;
}

// A click on a control of the entry strip: a result to return, or 0 to go on.
int entry_control(CoordEntry* e, int id, bool* accept) {
  switch (id) {
    case STRIP_CANCEL: return ENTRY_CANCELLED;
    case STRIP_GO_BACK: return g_coord.preview.count > 0 ? ENTRY_CANCELLED : 0;
    case STRIP_DONE: *accept = true; return 0;
    case STRIP_TO_DRAWING:
      zoom_to_drawing();
      call_preview_hook();
      return 0;
    case STRIP_IN: repeat_zoom_while_held(KEY_PGUP, g_coord.preview.redraw_hook); return 0;
    case STRIP_OUT: repeat_zoom_while_held(KEY_PGDN, g_coord.preview.redraw_hook); return 0;
    case STRIP_PAN:
      while (g_pointer.button_bits != 0 && g_form.redraw_level == 0) {
        pan_by_drag();
        call_preview_hook();
      }
      return 0;
    case STRIP_LAYER_FIELD: {
      bool hit = false;
      const EventCode left =
          edit_panel_layer_field(preview_control_index(STRIP_LAYER_FIELD), &hit, &g_coord.preview.layer);
      // The field left by a click on another control: that control acts in turn.
      return hit && left != STRIP_LAYER_FIELD ? entry_control(e, left, accept) : 0;
    }
    case STRIP_LAYER_LIST:
      pick_panel_layer(preview_control_index(STRIP_LAYER_FIELD), &g_coord.preview.layer);
      return 0;
    default: (void)e; return 0;
  }
}

void clear_prompt_strip() {
  fill_cells(0, 0, g_view.area_top + 1, g_display.screen_width, 1 | FILL_PIXELS);
}

}  // namespace

// ---- the event reader ----

EventCode next_entry_event(int caret) {
  HoverState& h = g_hover;
  uint8_t& loop_shape = g_drawing_page.editor_pointer_shape;
  if (loop_shape == 0) loop_shape = LOOP_POINTER_SHAPE;
  for (;;) {
    show_crosshair();
    if (h.hover_shape != 0 || loop_shape != 0) move_pointer();
    const EventCode code = caret < 0 ? wait_input_code() : wait_event_with_caret(BOX_ROW, BOX_COLUMN + caret);
    hide_pointer();
    hide_crosshair();
    switch (code) {
      case ' ':
        clear_hover_hilite();
        if ((h.pick_mode & PICK_MODE_PLAIN_KEYS) == 0 && h.pick_kind != 0) hover_search();
        continue;
      case EVENT_LEFT_UP:
      case EVENT_MIDDLE_UP:
      case EVENT_RIGHT_UP: continue;
      case KEY_F3:
        clear_hover_hilite();
        g_job_settings.node_snap_off = g_job_settings.node_snap_off != 0 ? 0 : 1;
        if (g_job_settings.node_snap_off != 0) h.pick_mode |= PICK_MODE_OFF_IN_SESSION;
        else h.pick_mode &= static_cast<uint16_t>(~PICK_MODE_OFF_IN_SESSION);
        h.pick_kind = 0;
        h.hover_item = nullptr;
        continue;
      case KEY_F5:
      case EVENT_LEFT_DOWN:
      case EVENT_MIDDLE_DOWN:
      case EVENT_RIGHT_DOWN: return code;
      case KEY_F7:
        g_draw_style.hide_invisible_links = g_draw_style.hide_invisible_links != 0 ? 0 : 1;
        continue;
      case KEY_F9: {
        if (g_events.last_modifiers != 0) return code;
        int8_t& option = g_coord.f9_option;
        if (option < 0) continue;
        option = option != 0 ? 0 : 1;
        return code;
      }
      case EVENT_POINTER_MOVE: {
        int dx = 0, dy = 0;
        if (mouse_delta(&dx, &dy) == 0) continue;
        follow_pointer(dx, dy);
        if (hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y) >= 0) return EVENT_POINTER_MOVE;
        loop_shape = LOOP_POINTER_SHAPE;
        hover_search();
        place_crosshair_on_cursor();
        show_crosshair();
        show_cursor_xy();
        return EVENT_POINTER_MOVE;
      }
      case EVENT_REDRAW:
        view_keys(VIEW_REDRAW_ONLY);
        return view_was_redrawn();
      default:
        if (view_keys(code) != 0) return code;
        return view_was_redrawn();
    }
  }
}

// ---- the entry line ----

void zero_coord_entry(CoordEntry* e) {
  const float angle_offset = e->angle_offset;
  const float base_angle = e->base_angle;
  char text[sizeof e->text];
  std::memcpy(text, e->text, sizeof text);
  *e = CoordEntry{};
  e->angle_offset = angle_offset;
  e->base_angle = base_angle;
  std::memcpy(e->text, text, sizeof text);
}

bool enter_point(int prompt, PointF* out) {
  CoordEntry& e = g_coord.entry;
  for (;;) {
    const int result = coordinate_entry_line(&e, ENTRY_ALL_POINTS, ENTRY_KIND_POINT, prompt);
    if (result >= 1 && result <= 4) {
      *out = e.current;
      return true;
    }
    if (result <= 0 || result == ENTRY_CLOSE) return false;
    if (g_point_picking.pick_redraw_hook != nullptr) g_point_picking.pick_redraw_hook();
  }
}

void reset_entry_preview() {
  EntryPreview& p = g_coord.preview;
  p = EntryPreview{};
  p.redraw_hook = xor_draw_working_set;
  p.controls = entry_strip().data();
}

namespace {

// The back button of both strips: its caption and id.
void set_back_button(const char* caption, uint8_t id) {
  for (std::vector<ScreenControl>* table : {&entry_strip(), &entry_layer_strip()}) {
    for (ScreenControl& c : *table) {
      if (c.id != STRIP_GO_BACK && c.id != STRIP_CANCEL) continue;
      std::strncpy(c.caption, caption, sizeof c.caption - 1);
      c.id = id;
    }
  }
}

}  // namespace

void entry_back_is_cancel() { set_back_button(" Cancel", STRIP_CANCEL); }

void entry_back_is_go_back() { set_back_button("Go Back", STRIP_GO_BACK); }

void use_entry_layer_strip(uint8_t layer) {
  EntryPreview& p = g_coord.preview;
  p.layer = layer;
  std::vector<ScreenControl>& table = entry_layer_strip();
  std::snprintf(table[1].caption, CONTROL_CAPTION_SIZE, "%3d", layer);
  p.controls = table.data();
}

namespace {

int run_entry_line(CoordEntry* e, int flags, int kind) {
  CoordEntryState& s = g_coord;
  HoverState& h = g_hover;
  const int kind_flags = kind_flags_of(kind);
  bool parse = true;
  for (;;) {
    if (parse) {
      h.pick_mode = kind == ENTRY_KIND_ROTATE ? PICK_MODE_NODES : PICK_MODE_ENTRY;
      take_text(e, flags, kind);
      draw_entry_text(e->text);
    }
    parse = true;
    if (s.measure_pending != 0) return finish(e, accepted_result());
    if (g_point_picking.xy_snap_state == 3) e->current.x = g_point_picking.xy_snap_x;
    xor_entry_graphics(e, flags);
    EventCode code = 0;
    const int changes = h.view_changes;
    do {
      code = next_entry_event(static_cast<int>(std::strlen(e->text)));
    } while (code == EVENT_MIDDLE_DOWN || code == EVENT_TICK || code == EVENT_POINTER_MOVE);
    clear_hover_hilite();
    if (changes != h.view_changes || code == EVENT_VIEW_CHANGED) return code;  // the text stays
    xor_entry_graphics(e, flags);
    switch (code) {
      case KEY_GRAVE:
      case KEY_TILDE:
        hide_pointer();
        hide_crosshair();
        g_preferences.pointer_crosshair = g_preferences.pointer_crosshair != 0 ? 0 : 1;
        continue;
      case KEY_F5:
        clear_hover_hilite();
        g_job_settings.show_node_markers = g_job_settings.show_node_markers != 0 ? 0 : 1;
        continue;
      case KEY_BACKSPACE: {
        const size_t n = std::strlen(e->text);
        if (n == 0) continue;
        e->text[n - 1] = '\0';
        draw_entry_text(e->text);
        // An emptied text leaves the point where the last text put it.
        if (n == 1) parse = false;
        continue;
      }
      case KEY_ENTER:
        if (e->text[0] == 'c') return finish(e, ENTRY_CLOSE);
        return finish(e, accepted_result());
      case KEY_ESC:
      case EVENT_QUIT:
        clear_prompt_strip();
        if (code == EVENT_QUIT) push_input_code(EVENT_QUIT);
        return finish(e, ENTRY_CANCELLED);
      case EVENT_LEFT_DOWN: {
        const int id = hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y);
        if (id >= 0) {
          clear_hover();
          bool accept = false;
          const int result = entry_control(e, id, &accept);
          if (result != 0) {
            clear_prompt_strip();
            return finish(e, result);
          }
          if (accept) return finish(e, accepted_result());
          continue;
        }
        const ViewState& v = g_view;
        const int x = g_pointer.wanted_x, y = g_pointer.wanted_y;
        if (!(y > v.area_top && y < v.area_bottom && x > 0 && x < v.area_width)) continue;
        if (entry_click(e, flags, kind)) s.measure_pending = 1;
        parse = false;
        continue;
      }
      case EVENT_RIGHT_DOWN:
        if ((kind_flags & KIND_NO_SNAPS) != 0) continue;
        if (entry_snap(e, flags, kind, snap_menu(SNAP_CONTEXT_PICK_KEYS))) s.measure_pending = 1;
        draw_controls(s.preview.controls, 0);
        draw_entry_text(e->text);
        parse = false;
        continue;
      default: break;
    }
    if (e->text[0] == 'c' || code > 'z' || code <= 0 ||
        std::strlen(e->text) >= static_cast<size_t>(COORD_TEXT_MOST))
      continue;
    if (code < 'A') {
      if (!starts_typed_value(code)) continue;
      const char c = filter_typed_char(code, kind);
      if (c != 0) append_char(e, c);
      continue;
    }
    const char c = static_cast<char>(code >= 'A' && code <= 'Z' ? code + ('a' - 'A') : code);
    if (c == 'c' && (flags & ENTRY_CLOSE_LETTER) != 0 && e->text[0] == '\0') {
      append_char(e, c);
      continue;
    }
    if ((c == 'u' || c == 'd' || c == 'l' || c == 'r') && (flags & ENTRY_DIRECTION_LETTERS) != 0) {
      append_char(e, c);
      continue;
    }
    if ((kind_flags & KIND_NO_SNAPS) != 0) continue;
    const int mode = snap_by_key(c, SNAP_CONTEXT_PICK_KEYS);
    if (mode < 0) continue;
    if (entry_snap(e, flags, kind, mode)) s.measure_pending = 1;
    draw_controls(s.preview.controls, 0);
    draw_entry_text(e->text);
    parse = false;
  }
}

}  // namespace

int coordinate_entry_line(CoordEntry* entry, int flags, int kind, int prompt) {
  CoordEntryState& s = g_coord;
  // The grammar stores into the shared record: another record is copied in and back.
  CoordEntry* e = &s.entry;
  if (entry != e) *e = *entry;
  s.point_selection = 0;
  s.given = 0;
  s.measure_pending = 0;
  s.last_ymode = 0;
  if (prompt >= 0 && prompt < ENTRY_PROMPT_COUNT) show_prompt(ENTRY_PROMPTS[prompt]);
  show_reference_point(e);
  draw_entry_text(e->text);
  if (s.preview.controls == nullptr) reset_entry_preview();
  // The caller's strip comes back whatever way the entry ends.
  push_control_table();
  draw_controls(s.preview.controls, 0);
  const int result = run_entry_line(e, flags, kind);
  pop_control_table();
  if (entry != e) *entry = *e;
  return result;
}

// ---- the value line ----

int read_value_line(const char* prompt) {
  CoordEntryState& s = g_coord;
  char text[VALUE_LINE_MOST + 1] = {};
  const char first = s.value_line_first;
  if (first == '=' || first == '+') text[0] = '=';
  else if (first >= '-' && first <= '9') text[0] = first;
  show_prompt(prompt != nullptr ? prompt : "");
  for (;;) {
    float values[3] = {};
    const int count = parse_value_line(text, values);
    CoordEntry& e = s.entry;
    if (count > 0) e.current.x = values[0];
    if (count > 1) e.current.y = values[1];
    if (count > 2) e.reference.x = values[2];
    draw_entry_text(text);
    const size_t n = std::strlen(text);
    const EventCode code = wait_event_with_caret(BOX_ROW, BOX_COLUMN + static_cast<int>(n));
    if (code == KEY_BACKSPACE) {
      if (n > 0) text[n - 1] = '\0';
      continue;
    }
    if (code == KEY_ENTER) {
      s.value_line_first = text[0];
      return count;
    }
    if (code == KEY_ESC) return ENTRY_CANCELLED;
    if (code == EVENT_QUIT) {
      push_input_code(EVENT_QUIT);
      return ENTRY_CANCELLED;
    }
    if (code > 'A' || n >= static_cast<size_t>(VALUE_LINE_MOST) || !starts_typed_value(code))
      continue;
    char c = static_cast<char>(code);
    if (c == '*' || c == '+' || c == '<' || c == '>') c = ',';
    text[n] = c;
    text[n + 1] = '\0';
  }
}

// ---- the node editor's reference entry ----

int enter_reference_point(int flag) {
  CoordEntry& e = g_coord.entry;
  zero_coord_entry(&e);
  help_push(flag != 0 ? MSG_HELP_MOVE_LINK_ENTRY : MSG_HELP_MOVE_NODE_ENTRY);
  button_commands_set(COMMAND_REFERENCE_POINT, COMMAND_NONE, COMMAND_SNAP_MENU);
  reset_entry_preview();
  entry_back_is_cancel();
  if (const LinkRecord* link = g_edit.current_link) {
    switch (g_hover.point_selector) {
      case PICK_POINT_CENTRE: e.reference = link->centre; break;
      case PICK_POINT_NEXT: e.reference = link[1].point; break;
      default: e.reference = link->point; break;
    }
  }
  e.current = e.reference;
  int result = -1;
  for (;;) {
    const int r = flag != 0
                      ? coordinate_entry_line(&e, 0x0401, ENTRY_KIND_OFFSET, ENTRY_PROMPT_MOVE_LINK)
                      : coordinate_entry_line(&e, 0x0401, ENTRY_KIND_POINT, ENTRY_PROMPT_MOVE_NODE);
    if (r >= 1 && r <= 4) {
      result = 0;
      break;
    }
    if (r <= 0 || r == ENTRY_CLOSE) break;
    call_preview_hook();
  }
  entry_back_is_go_back();
  button_commands_pop();
  help_pop();
  return result;
}

// ---- markers and read-outs ----

XorMarkPen::XorMarkPen(uint32_t colour, CanvasPenStyle style) : keep(drawing_canvas()) {
  Canvas* canvas = keep.canvas;
  canvas->pen = CanvasPen{};
  canvas->pen.colour = colour;
  canvas->pen.style = style;
  canvas->brush.kind = CANVAS_BRUSH_HOLLOW;
  canvas->mix = CANVAS_MIX_XOR;
}

void append_zoom_controls(std::vector<ScreenControl>* table, int out_column) {
  table->push_back(make_control("Zoom:", 0, 3, 51, 1, 5, 0, CF_NO_BOX));
  table->push_back(make_control("IN", STRIP_IN, 3, 58, 1, 2, 159, 0));
  table->push_back(make_control("OUT", STRIP_OUT, 3, out_column, 1, 3, 160, 0));
  table->push_back(make_control("to drawing", STRIP_TO_DRAWING, 3, out_column + 5, 1, 10, 157, 0));
  ScreenControl pan = make_control("Pan", STRIP_PAN, 2, 61, 1, 3, 161, CF_PICTURE);
  pan.style = PAN_PICTURE;
  table->push_back(pan);
}

void xor_point_marker(float x, float y) {
  const ViewState& v = g_view;
  const int px = static_cast<int>((x - v.view_left) * v.scale_x);
  const int py = static_cast<int>((v.view_top - y) * v.scale_x);
  const XorMarkPen pen(MARKER_COLOUR, CANVAS_PEN_SOLID);
  draw_circle_px(px, py, 3);
}

void draw_entry_preview() {
  const EntryPreview& p = g_coord.preview;
  if (p.count <= 0 || p.points == nullptr) return;
  if (p.count == 1) {
    xor_point_marker(p.points[0], p.points[1]);
    return;
  }
  if (p.spline != 0) {
    xor_spline_preview(p.points, p.count - 1);
    return;
  }
  for (int i = 1; i < p.count; ++i)
    xor_line({p.points[2 * i - 2], p.points[2 * i - 1]}, {p.points[2 * i], p.points[2 * i + 1]});
}

void show_reference_point(const CoordEntry* entry) {
  push_text_metrics();
  use_medium_font();
  const std::string text = "\vReference point\n  " + fixed_c_text(entry->reference.x, 3) + ", " +
                           fixed_c_text(entry->reference.y, 3) + "\x13";
  const int column = g_display.current.last_column - 14;
  draw_text(BOX_ROW, -(column + 1), text.c_str());
  pop_text_metrics();
}
