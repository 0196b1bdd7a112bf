// Making symmetric polylines: the marker records put in front, their first placement from the
// shape, the Symmetry Angle dialog that turns and closes the symmetry line, and the node pairs
// of the middle.
#include "commands/symmetric_polyline.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "commands/node_fitting.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/coord_entry.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/geometry2d.h"
#include "geometry/item_edit_state.h"
#include "geometry/item_motion.h"
#include "geometry/link_operations.h"
#include "geometry/node_surgery.h"
#include "geometry/symmetric_nodes.h"
#include "screen/controls.h"
#include "screen/event_queue.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/entry_line.h"

SymmetryDialogState g_symmetry_dialog;

void reset_symmetry_dialog() { g_symmetry_dialog = SymmetryDialogState{}; }

namespace {

constexpr int HOW_DOUBLED = 0;
constexpr int HOW_OFFSET = 112;
constexpr int16_t COMMAND_NONE = 895;
constexpr double DEGREES = 180.0 / ANGLE_PI;
// A marker shorter than this at creation takes its direction from the shape's first links.
constexpr float MARKER_LEAST_AT_CREATION = 0.0002f;
// A marker this close to a multiple of 45 degrees at creation is turned onto it (radians).
constexpr double SNAP_TO_EIGHTH = 0.09;

constexpr char PROMPT[] = "Symmetry Angle";

enum ControlId : uint8_t {
  ID_HORIZONTAL = 1, ID_VERTICAL = 2, ID_ANGLE = 3, ID_ANGLE_FIELD = 4, ID_CLOSED = 5,
  ID_REVERSE = 6, ID_OK = 13, ID_CANCEL = 27, ID_TO_DRAWING = 100, ID_IN = 105, ID_OUT = 111,
  ID_PAN = 112,
};
constexpr int FIELD_ROW = 3;
constexpr int FIELD_COLUMN = 50;
constexpr int FIELD_WIDTH = 8;

std::vector<ScreenControl>& panel() {
  static std::vector<ScreenControl> t;
  if (t.empty()) {
    t.push_back(make_control("Cancel", ID_CANCEL, 0, -8, 1, 6, 72, 0));
    t.push_back(make_control("\023Horizontal", ID_HORIZONTAL, 1, 40, 1, 11, 179, CF_RADIO));
    t.push_back(make_control("\023Vertical", ID_VERTICAL, 2, 40, 1, 11, 180, CF_RADIO));
    t.push_back(make_control("\023Angle:", ID_ANGLE, 3, 40, 1, 8, 182, CF_RADIO));
    t.push_back(make_control("", ID_ANGLE_FIELD, FIELD_ROW, FIELD_COLUMN, 1, FIELD_WIDTH, 181,
                             CF_ENTRY));
    t.push_back(make_control("\023Closed", ID_CLOSED, 3, 19, 1, 8, 177, CF_CHECKBOX));
    t.push_back(make_control("\023Reverse", ID_REVERSE, 2, 19, 1, 9, 178, CF_CHECKBOX));
    t.push_back(make_control(" OK,\n\013do it", ID_OK, 0, -33, 2, 5, 176, 0));
    t.push_back(make_control("Zoom:", 0, 3, -31, 1, 5, 0, CF_NO_BOX));
    t.push_back(make_control("IN", ID_IN, 3, -24, 1, 3, 159, 0));
    t.push_back(make_control("OUT", ID_OUT, 3, -20, 1, 4, 160, 0));
    t.push_back(make_control("to drawing", ID_TO_DRAWING, 2, -15, 1, 10, 157, 0));
    t.push_back(make_control("Pan", ID_PAN, 2, -20, 1, 3, 161, 0));
    t.push_back(end_control());
  }
  return t;
}

ScreenControl* control(int id) { return find_control_in(panel().data(), id); }

void set_flag(int id, uint32_t flag, bool on) {
  ScreenControl* c = control(id);
  if (c == nullptr) return;
  if (on) c->flags |= flag;
  else c->flags &= ~flag;
}

// The table follows the dialog's state.
void sync_panel() {
  const SymmetryDialogState& s = g_symmetry_dialog;
  for (int id = ID_HORIZONTAL; id <= ID_ANGLE; ++id) set_flag(id, CF_CHECKED, s.radio == id);
  set_flag(ID_CLOSED, CF_CHECKED, s.closed);
  set_flag(ID_REVERSE, CF_CHECKED, s.reverse);
  set_flag(ID_REVERSE, CF_HIDDEN, s.closed);
  ScreenControl* field = control(ID_ANGLE_FIELD);
  std::snprintf(field->caption, CONTROL_CAPTION_SIZE, "%s", s.text);
}

void draw_panel() {
  sync_panel();
  draw_controls(panel().data(), 0);
}

void show_angle(float degrees) {
  SymmetryDialogState& s = g_symmetry_dialog;
  s.angle = degrees;
  std::snprintf(s.text, sizeof s.text, "%.4f", static_cast<double>(degrees));
}

int whole_degrees(double degrees) {
  int whole = static_cast<int>(std::lround(degrees)) % 360;
  if (whole < 0) whole += 360;
  return whole;
}

double screen_height_units() {
  const double h = std::fabs(static_cast<double>(g_view.view_top) - g_view.view_bottom);
  if (h > 0.0) return h;
  const double rows = g_view.area_bottom - g_view.area_top;
  return g_view.scale_y > 0.0f && rows > 0.0 ? rows / g_view.scale_y : 10.0;
}

LinkRecord* own_nodes(DrawingItem* item) { return item_nodes(item) + 2; }
int32_t own_count(const DrawingItem* item) { return item_link_count(item) - 2; }

// The middle of the own links: the middle node of an even count, the middle link's middle of an
// odd one.
PointF middle_point(DrawingItem* item) {
  const LinkRecord* nodes = own_nodes(item);
  const int32_t n = own_count(item);
  PointF m = nodes[n / 2].point;
  if (n % 2 != 0) link_midpoint(&nodes[n / 2], &m);
  return m;
}

// The direction of the bisector of the lines from the first own node to two others, or -1.
double first_node_bisector(const LinkRecord* nodes, int32_t a, int32_t b) {
  LinkRecord one[2] = {};
  LinkRecord two[2] = {};
  one[0].point = two[0].point = nodes[0].point;
  one[0].code = two[0].code = LINK_RIGID_LINE;
  one[1].point = nodes[a].point;
  two[1].point = nodes[b].point;
  return bisector_angle(one, two);
}

// The marker's first placement (the item has its markers, n own links).
void place_first_marker(DrawingItem* item, int32_t n, int how) {
  LinkRecord* r = item_nodes(item);
  LinkRecord* nodes = r + 2;
  double length = screen_height_units() / 16.0;
  const PointF m = middle_point(item);
  const bool closed = (r[0].node_flags & NODE_KIND_MASK) != 0;
  if (!closed && how == HOW_DOUBLED) {
    // The dialog places the marker.
    r[0].point = {0.0f, 0.0f};
    r[1].point = {0.0f, static_cast<float>(length)};
    return;
  }
  PointF p0 = closed ? nodes[0].point : PointF{};
  if (!closed) midpoint(&nodes[0].point, &nodes[n].point, &p0);
  // From halfway to three quarters of the way from the start to the middle.
  midpoint(&p0, &m, &p0);
  PointF p1;
  midpoint(&p0, &m, &p1);
  double a = 0.0;
  if (point_distance(&p0, &p1) >= MARKER_LEAST_AT_CREATION) {
    a = point_angle(&p0, &p1);
    length = point_distance(&p0, &p1);
  } else {
    a = -1.0;
    if (n >= 4) a = first_node_bisector(nodes, n > 6 ? 2 : 1, n > 6 ? n - 2 : n - 1);
    if (a < 0.0) {
      r[0].point = p0;
      r[1].point = {p0.x, static_cast<float>(p0.y + length)};
      return;
    }
  }
  const double eighths = std::trunc(a * 4.0 / ANGLE_PI + 0.5) * ANGLE_PI / 4.0;
  if (std::fabs(eighths - a) < SNAP_TO_EIGHTH) a = eighths;
  r[0].point = p0;
  polar_point(&p0, length, a, &r[1].point);
}

// The two marker records in front of the nodes; the old first node's flags go to record 0 with
// the kind bit. False when the item could not grow.
bool add_marker_records(DrawingItem* item, uint8_t kind_flags) {
  if (grow_node_array(item, -2) == nullptr) return false;
  LinkRecord* r = item_nodes(item);
  r[0].node_flags = kind_flags;
  r[0].code = LINK_RIGID_LINE;
  r[1].node_flags = NODE_LOOSE;
  r[1].code = LINK_RIGID_LINE;
  return true;
}

void restore_from(DrawingItem* item, const DrawingItem* kept) { item->extra = kept->extra; }

// The angle (degrees) of the middle link turned a quarter.
float across_middle_link(DrawingItem* item) {
  const LinkRecord* nodes = own_nodes(item);
  const int32_t n = own_count(item);
  double degrees = point_angle(&nodes[n / 2].point, &nodes[n / 2 + 1].point) * DEGREES + 90.0;
  if (degrees >= 360.0) degrees -= 360.0;
  return static_cast<float>(degrees);
}

float first_to_middle_degrees(DrawingItem* item) {
  const PointF m = middle_point(item);
  return static_cast<float>(point_angle(&own_nodes(item)[0].point, &m) * DEGREES);
}

// Places the marker at `degrees` and solves; with "Closed" the whole item then turns about the
// marker's start so that the marker ends at `chosen` degrees.
void place_and_solve(DrawingItem* item, float degrees, bool turn, float chosen, double noted) {
  place_symmetry_axis(item, degrees);
  update_symmetry_after_edit(item, 0);
  if (!turn) return;
  const PointF pivot = item_nodes(item)[0].point;
  rotate_item(item, &pivot, chosen / DEGREES - noted);
  item_bounding_boxes(item);
}

// Step back to the kept shape and apply the dialog's angle.
void apply_from_copy(DrawingItem* item, const DrawingItem* kept) {
  SymmetryDialogState& s = g_symmetry_dialog;
  xor_draw_working_set();
  restore_from(item, kept);
  if (s.closed) {
    const double noted = first_to_middle_degrees(item) / DEGREES;
    place_and_solve(item, s.closed_angle, true, s.angle, noted);
  } else {
    if (s.reverse) reverse_first_half(item);
    place_and_solve(item, s.angle, false, 0.0f, 0.0);
  }
  xor_draw_working_set();
}

void take_radio(int id, float degrees) {
  SymmetryDialogState& s = g_symmetry_dialog;
  show_angle(degrees);
  select_symmetry_radio(id);
  s.applied = whole_degrees(degrees);
}

// The angle field: typed digits open it; a changed value selects "Angle:" and is applied. A
// click outside the field ends it, and the control under the pointer then acts: its id goes to
// *clicked (0 when the entry ended otherwise).
bool edit_angle_field(int* clicked) {
  SymmetryDialogState& s = g_symmetry_dialog;
  char text[sizeof g_symmetry_dialog.text];
  std::snprintf(text, sizeof text, "%s", s.text);
  // A number box: the first key typed replaces the angle shown rather than running on from it.
  const int16_t r = edit_text_line(text, FIELD_ROW, FIELD_COLUMN, nullptr,
                                   FIELD_FLOAT | FIELD_SELECT_ALL, FIELD_WIDTH, 0);
  *clicked = 0;
  if (g_entry.click_outside) {
    const int id = hit_test_controls(g_pointer.wanted_x, g_pointer.wanted_y);
    if (id > 0 && id != ID_ANGLE_FIELD) *clicked = id;
  }
  if (r >= 0) return false;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end == text) return false;  // no number: the field shows the angle it had
  take_radio(ID_ANGLE, static_cast<float>(value));
  return true;
}

void leave_dialog(DrawingItem* kept, uint16_t pick_mode) {
  pop_control_table();
  help_pop();
  help_show_top();
  button_commands_pop();
  draw_button_legend(1);
  g_hover.pick_mode = pick_mode;
  ++g_drawing_page.redraw_request;
  delete_line(kept);
}

}  // namespace

// ---- making ----

int make_symmetric_polyline(DrawingItem* item, int how) {
  if (item == nullptr || item_block(item) == nullptr) return 0;
  const int32_t n = item_link_count(item);
  const uint8_t first_flags = item_nodes(item)[0].node_flags;
  if (!add_marker_records(item, static_cast<uint8_t>(first_flags | NODE_DUAL))) return 0;
  if (n <= 1) return 0;
  place_first_marker(item, n, how);
  item_bounding_boxes(item);
  if (how == HOW_OFFSET || (first_flags & NODE_KIND_MASK) != 0) return n;
  return symmetry_dialog(item, n + 2) == 0 ? n : 0;
}

int make_perpendicular_symmetric(DrawingItem* item) {
  if (item == nullptr || item_block(item) == nullptr) return 0;
  const int32_t n = item_link_count(item);
  if (!add_marker_records(item, NODE_FIRST | NODE_LOOSE | NODE_PERPENDICULAR)) return 0;
  if (n <= 1) return 0;
  LinkRecord* r = item_nodes(item);
  const LinkRecord* nodes = r + 2;
  const LinkRecord* q = &nodes[n / 4 + 1];
  // The marker starts level with the first own node, at the end of the first quarter.
  const float x = (n / 2) % 2 != 0 ? q[1].point.x : (q->point.x + q[1].point.x) / 2.0f;
  r[0].point = {x, nodes[0].point.y};
  r[1].point = nodes[0].point;
  if (point_distance(&r[0].point, &r[1].point) < SYMMETRY_MARKER_LEAST)
    r[1].point = {r[0].point.x + SYMMETRY_MARKER_LEAST, r[0].point.y};
  item_bounding_boxes(item);
  return n;
}

// ---- the dialog ----

void place_symmetry_axis(DrawingItem* item, float angle_deg) {
  LinkRecord* r = item_nodes(item);
  const PointF m = middle_point(item);
  const double a = angle_deg / DEGREES;
  const double h = screen_height_units();
  polar_point(&m, h / 18.0, a + ANGLE_PI, &r[0].point);
  polar_point(&r[0].point, h / 10.0, a, &r[1].point);
}

void reverse_first_half(DrawingItem* item) {
  LinkRecord* nodes = own_nodes(item);
  const int32_t n = own_count(item);
  // The half ends at the middle node, or at the far end of the middle link.
  const int32_t e = n % 2 == 0 ? n / 2 : n / 2 + 1;
  if (e < 1) return;
  const std::vector<LinkRecord> old(nodes, nodes + e + 1);
  for (int32_t j = 0; j <= e; ++j) {
    LinkRecord& to = nodes[j];
    const LinkRecord& node = old[static_cast<size_t>(e - j)];
    if (j == e) {
      // The record at the middle end keeps its own header; the former first node's place
      // comes to it.
      to.point = node.point;
      to.z = node.z;
      continue;
    }
    const LinkRecord& link = old[static_cast<size_t>(e - 1 - j)];
    to = link;
    to.point = node.point;
    to.z = node.z;
    to.node_flags = node.node_flags;
    to.node_number = node.node_number;
    if (code_is_arc(link.code)) to.link_flags ^= LINK_CLOCKWISE;
  }
  item_nodes(item)[1].node_flags = NODE_LOOSE;
  item_bounding_boxes(item);
}

void select_symmetry_radio(int n) {
  SymmetryDialogState& s = g_symmetry_dialog;
  if (s.radio == n) return;
  s.radio = n;
  draw_panel();
}

int symmetry_dialog(DrawingItem* item, int32_t link_count) {
  if (item == nullptr || item_block(item) == nullptr || link_count <= 3) return -1;
  SymmetryDialogState& s = g_symmetry_dialog;
  HoverState& h = g_hover;
  if (copy_item_with_extra_links(item, 0) != 0) return -1;
  DrawingItem* kept = g_lists.current.last;
  move_line_to_list(kept, nullptr);
  s.closed = false;
  s.reverse = false;
  s.applied = 0;
  const LinkRecord* r = item_nodes(item);
  show_angle(static_cast<float>(point_angle(&r[0].point, &r[1].point) * DEGREES));
  const int whole = whole_degrees(s.angle);
  s.radio = whole == 0 || whole == 180 ? ID_HORIZONTAL : whole == 90 || whole == 270 ? ID_VERTICAL
                                                                                     : ID_ANGLE;
  help_push(MSG_HELP_SYMMETRY_ANGLE);
  help_show_top();
  button_commands_set(COMMAND_NONE, COMMAND_NONE, COMMAND_NONE);
  draw_button_legend(1);
  const uint16_t pick_mode = h.pick_mode;
  push_control_table();
  xor_draw_working_set();
  place_and_solve(item, s.angle, false, 0.0f, 0.0);
  xor_draw_working_set();
  // A control clicked to end the angle entry, acted on next.
  int clicked = 0;
  for (;;) {
    show_prompt(PROMPT);
    show_message_area("");
    h.pick_mode = PICK_MODE_OFF;
    h.hover_item = nullptr;
    draw_panel();
    int id = clicked;
    clicked = 0;
    if (id == 0) {
      const EventCode code = next_editor_event_hover();
      if (code == EVENT_REDRAW || g_form.redraw_level != 0) {
        g_form.redraw_level = 0;
        view_keys(VIEW_REDRAW_ONLY);
        xor_draw_working_set();
        continue;
      }
      if (code == EVENT_POINTER_MOVE || code == EVENT_TICK) continue;
      if (code == EVENT_QUIT) push_input_code(EVENT_QUIT);
      if (code == KEY_ESC || code == EVENT_QUIT) break;
      if (starts_typed_value(code)) {
        push_input_code_front(code);
        if (edit_angle_field(&clicked)) apply_from_copy(item, kept);
        continue;
      }
      if (code != EVENT_CONTROL_CLICKED) {
        if (view_keys(code) != 0) xor_draw_working_set();
        continue;
      }
      id = hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y);
    }
    switch (id) {
      case ID_HORIZONTAL: take_radio(id, s.applied == 0 ? 180.0f : 0.0f); break;
      case ID_VERTICAL: take_radio(id, s.applied == 90 ? 270.0f : 90.0f); break;
      case ID_ANGLE: take_radio(id, static_cast<float>(std::strtod(s.text, nullptr))); break;
      case ID_ANGLE_FIELD:
        if (!edit_angle_field(&clicked)) continue;
        break;
      case ID_CLOSED:
        s.closed = !s.closed;
        if (s.closed) {
          xor_draw_working_set();
          restore_from(item, kept);
          xor_draw_working_set();
          show_angle(first_to_middle_degrees(item));
          s.closed_angle = s.angle;
        } else {
          show_angle(s.radio == ID_VERTICAL ? 90.0f : 0.0f);
          if (s.radio != ID_VERTICAL) s.radio = ID_HORIZONTAL;
        }
        break;
      case ID_REVERSE:
        s.reverse = !s.reverse;
        xor_draw_working_set();
        reverse_first_half(item);
        if (own_count(item) % 2 != 0 && s.radio == ID_ANGLE) show_angle(across_middle_link(item));
        place_and_solve(item, s.angle, false, 0.0f, 0.0);
        xor_draw_working_set();
        continue;
      case ID_OK:
        if (s.closed) item_nodes(item)[0].node_flags |= NODE_LOOSE;
        leave_dialog(kept, pick_mode);
        return 0;
      case ID_IN: repeat_zoom_while_held(KEY_PGUP, xor_draw_working_set); continue;
      case ID_OUT: repeat_zoom_while_held(KEY_PGDN, xor_draw_working_set); continue;
      case ID_TO_DRAWING: zoom_to_drawing(); xor_draw_working_set(); continue;
      case ID_PAN: pan_by_drag(); xor_draw_working_set(); continue;
      default:
        leave_dialog(kept, pick_mode);
        return -1;
    }
    apply_from_copy(item, kept);
  }
  leave_dialog(kept, pick_mode);
  return -1;
}

// ---- the middle ----

int split_middle_link(DrawingItem* item) {
  if (item == nullptr || item_block(item) == nullptr ||
      (item_nodes(item)[0].node_flags & NODE_DUAL) == 0 || item_link_count(item) % 2 == 0)
    return -1;
  LinkRecord* middle = own_nodes(item) + own_count(item) / 2;
  PointF at;
  link_midpoint(middle, &at);
  if (insert_node_on_link(item, middle, &at) == nullptr) return -1;
  update_symmetry_after_edit(item, 0);
  return 0;
}

int remove_middle_node(DrawingItem* item) {
  if (item == nullptr || item_block(item) == nullptr ||
      (item_nodes(item)[0].node_flags & NODE_DUAL) == 0 || item_link_count(item) % 2 != 0)
    return -1;
  const int32_t count = item_link_count(item);
  if (delete_node(item, item_nodes(item) + count / 2 + 1, DELETE_NODE_REMOVE) == 0) return -1;
  update_symmetry_after_edit(item, 0);
  return 0;
}

int add_symmetric_node_slot(DrawingItem* item, int32_t link_index) {
  if (item == nullptr || item_block(item) == nullptr) return -1;
  const int32_t count = item_link_count(item);
  const uint8_t closing_flags = item_closing_record(item)->node_flags;
  if (grow_node_array(item, 1) == nullptr) return -1;
  LinkRecord* r = item_nodes(item);
  const int32_t half = count % 2 == 0 ? count / 2 : (count + 1) / 2;
  if (link_index > half) {
    // The new record opens the first half: the own links move up by one and the new first link
    // has no length until the symmetry is solved again.
    for (int32_t i = count; i >= 2; --i) r[i + 1] = r[i];
    r[count + 1].node_flags = closing_flags;
    r[2].code = LINK_FLEXIBLE_LINE;
    r[2].sweep = 0.0f;
    r[2].link_flags = 0;
    r[2].node_number = ++g_item_edit.node_counter;
    link_bounding_box(&r[2]);
    return 1;
  }
  // The new record closes the second half, where the old end node stays.
  r[count + 1].point = r[count].point;
  r[count + 1].z = r[count].z;
  r[count + 1].node_number = ++g_item_edit.node_counter;
  link_bounding_box(&r[count]);
  return 0;
}
