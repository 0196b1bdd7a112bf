#include "editor/object_snaps.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/coord_entry.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/point_picking.h"
#include "editor/render.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/construct.h"
#include "geometry/geometry2d.h"
#include "platform/canvas.h"
#include "screen/boxes.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/entry_line.h"
#include "ui/message_box.h"
#include "ui/popups.h"

const char* const SNAP_MODE_NAMES[SNAP_MODE_COUNT] = {
    "\vQuadrant of arc",  "\vMidpoint",      "\vX & Y of point", "\vCenter of arc",
    "\vIntersection",     "\vNearest to",    "\vSweep angle",    "\vAbsolute angle",
    "at a \vDistance",    "Pro\vjection of", "by Points",        "\vExtremes",
    "Node",               "Geometry",        "Tangent to",       "\vPerpendicular",
};

namespace {

constexpr int16_t COMMAND_FINISHED = 888;
constexpr int16_t COMMAND_SNAP_MENU = 890;
constexpr uint8_t LOOP_POINTER_SHAPE = 1;
constexpr uint16_t PICK_MODE_LINKS_WITH_NODES = 10;
constexpr int SNAP_NAME_TICKS = 8;
constexpr int EXTREME_BLINK_AFTER = 4;
constexpr int EXTREME_NO_BLINK = -30000;
constexpr EventCode KEY_SNAP_MENU = 's';
constexpr EventCode KEY_NEXT_CORNER = 'n';

// Zoom strip ids.
constexpr uint8_t STRIP_CANCEL = 27;
constexpr uint8_t STRIP_TO_DRAWING = 100;
constexpr uint8_t STRIP_IN = 105;
constexpr uint8_t STRIP_OUT = 111;
constexpr uint8_t STRIP_PAN = 112;
// The entry box of the pick loops.
constexpr int ENTRY_BOX_STYLE = 0x8C0;
constexpr int ENTRY_BOX_ROW = 2;
constexpr int ENTRY_BOX_COLUMN = 56;
constexpr int ENTRY_BOX_WIDTH = 22;

struct SnapContextRow {
  uint16_t mask;
  const char* keys;
};
constexpr SnapContextRow CONTEXTS[] = {
    {0x0000, ""}, {0x0000, ""}, {0x8B3E, " mxcin  dj e   p"}, {0x0000, ""},
    {0x02D2, " m  i ra j"}, {0x0312, " m  i   dj"}, {0x0000, ""}, {0x0000, ""}, {0x0000, ""},
    {0x0B3F, "qmxcin  dj e"}, {0x0A3F, "qmxcin   j e"}, {0x0000, ""}, {0x0B3F, "qmxcin  dj e"},
};
constexpr int CONTEXT_COUNT = static_cast<int>(sizeof CONTEXTS / sizeof CONTEXTS[0]);

constexpr char STILL_WAITING_POINT[] = "Still waiting for you to select a point...";
constexpr char STILL_WAITING_TWO[] = "Still waiting for you to select 2 points, or one item...";
constexpr char SECOND_POINT_PROMPT[] = "You selected one point; now select a 2nd point...";
constexpr char QUADRANT_PROMPT[] =
    "\fSnap to QUADRANT:\x13 Click the mouse near the desired quadrant of an arc.";
constexpr char MIDPOINT_PROMPT[] =
    "\fSnap to MIDPOINT:\x13 Select the item (or 2 points) that you want the midpoint of.";
constexpr char XY_FIRST_PROMPT[] =
    "\fSnap to X & Y:\x13 Select the point that has the X coordinate you want to use.";
constexpr char XY_SECOND_PROMPT[] = "Now select the point that has the Y coordinate you want.";
constexpr char CENTRE_PROMPT[] =
    "\fSnap to CENTER:\x13 Select the arc that has the center point you want to snap to.";
constexpr char INTERSECTION_FIRST_PROMPT[] =
    "\fSnap to INTERSECTION:\x13 Select the \vfirst\x13 item, or\nselect 2 points to serve as a "
    "line.";
constexpr char INTERSECTION_SECOND_PROMPT[] =
    "Now select the \vother\x13 item, or select 2 points.\nIf selecting an arc, click near "
    "intersection point.";
constexpr char NO_INTERSECTION_TEXT[] = "There aint no intersection.";
constexpr char NEAREST_PROMPT[] =
    "\fSnap to NEAREST:\x13 Click left mouse button as close to \n                 the point on "
    "a item that you want.";
constexpr char PROJECTION_POINT_PROMPT[] =
    "\fSnap to a PROJECTION:\x13 Select the point that you want projected onto something.";
constexpr char PROJECTION_TARGET_PROMPT[] =
    "Now select the item for that point to be projected onto,or\nselect 2 points to serve as a "
    "line.";
constexpr char PERPENDICULAR_PROMPT[] =
    "\fSnap PERPENDICULAR:\x13 Select the item for the point to become perpendicular to, or\n"
    "select 2 points to serve as a line.";
constexpr char EXTREMES_PROMPT[] =
    "\fSnap to EXTREME:\x13 Put mouse on the item that has the corner you want to\n"
    "                 snap to. Click LEFT BUTTON when correct corner is selected.\n"
    "Press \vN\x13 to switch to the \vN\x13"
    "ext corner point.";
constexpr char QUADRANT_BEYOND_TEXT[] =
    "In case you care, the arc does not extend to that quadrant point... Use that quadrant "
    "point anyway?";
constexpr char PROJECTION_BEYOND_TEXT[] =
    "In case you care, the item does not extend to the projected point....use the projected "
    "point anyway?";

std::vector<ScreenControl>& zoom_strip() {
  static std::vector<ScreenControl> table;
  if (table.empty()) {
    append_zoom_controls(&table, 61);
    table.push_back(make_control("Cancel", STRIP_CANCEL, 0, -18, 1, 6, 0, 0));
    table.push_back(end_control());
  }
  return table;
}

void call_redraw_hook() {
  if (g_point_picking.pick_redraw_hook != nullptr) g_point_picking.pick_redraw_hook();
}

void draw_entry_box() {
  draw_box(ENTRY_BOX_STYLE, ENTRY_BOX_ROW, ENTRY_BOX_COLUMN, 1, ENTRY_BOX_WIDTH, 0);
}

// What every pick loop but pick_point saves and gives back on every way out.
class LoopFrame {
 public:
  LoopFrame(int16_t left, int16_t middle, int16_t right) {
    push_control_table();
    button_commands_set(left, middle, right);
    saved_shape_ = g_drawing_page.editor_pointer_shape;
    g_drawing_page.editor_pointer_shape = LOOP_POINTER_SHAPE;
    g_point_picking.pick_redraw_hook = xor_draw_working_set;
    show_zoom_strip();
  }
  ~LoopFrame() {
    clear_hover_hilite();
    button_commands_pop();
    pop_control_table();
    g_drawing_page.editor_pointer_shape = saved_shape_;
  }
  LoopFrame(const LoopFrame&) = delete;
  LoopFrame& operator=(const LoopFrame&) = delete;

 private:
  uint8_t saved_shape_ = 0;
};

bool is_letter(EventCode code) {
  return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
}

// The entry line from a typed first character, with the hover point as reference: true with
// the point.
bool typed_point(EventCode first, PointF* out) {
  push_input_code_front(first);
  CoordEntry& e = g_coord.entry;
  zero_coord_entry(&e);
  hover_point(&e.reference);
  return enter_point(ENTRY_PROMPT_NONE, out);
}

// A link of the hover state into a picked link.
void copy_hovered_link(PickedLink* rec) {
  const LinkRecord* link = g_hover.hover_link;
  rec->records[0] = link[0];
  rec->records[1] = LinkRecord{};
  rec->records[1].node_flags = link[1].node_flags;
  rec->records[1].link_flags = link[1].link_flags;
  rec->records[1].node_number = link[1].node_number;
  rec->records[1].z = link[1].z;
  rec->records[1].point = link[1].point;
}

// The hovered node or centre (pick kinds 1, 2, -1).
bool hovered_point(PointF* out) {
  const HoverState& h = g_hover;
  if (h.hover_link == nullptr) return false;
  if (h.pick_kind != PICK_START_NODE && h.pick_kind != PICK_END_NODE && h.pick_kind != PICK_CENTRE)
    return false;
  hover_point(out);
  return true;
}

bool link_body_hovered() {
  const HoverState& h = g_hover;
  return h.hover_link != nullptr &&
         (h.pick_kind == PICK_ON_LINK_NEAR_START || h.pick_kind == PICK_ON_LINK_NEAR_END);
}

// A link chosen by click that passes the test (arcs, arcs or ellipses); false when cancelled.
bool click_link_until(bool (*wanted)(const LinkRecord*)) {
  for (;;) {
    if (pick_link_by_click() != 0) return false;
    if (g_hover.hover_link != nullptr && wanted(g_hover.hover_link)) return true;
  }
}

bool is_arc(const LinkRecord* link) { return link->code > 0.0f; }
bool is_arc_or_ellipse(const LinkRecord* link) {
  return link->code > 0.0f || link->code == LINK_ELLIPSE;
}

// The foot of p on the picked link, asking when it lies beyond the link.
bool foot_on_picked(const PickedLink* rec, PointF p, PointF* out) {
  if (link_foot(&rec->records[0], &p, out) == FOOT_ON_LINK) return true;
  return ask_yes_no(PROJECTION_BEYOND_TEXT, 1) == 1;
}

void xor_corner_marker(PointF p) {
  int16_t x = 0, y = 0;
  if (world_to_screen_clipped(p, &x, &y) == 0) return;
  const XorMarkPen pen(0xFFFFFF, CANVAS_PEN_SOLID);
  draw_circle_px(x, y, 8);
  draw_circle_px(x, y, 6);
}

// The Extremes snap: a corner of the hovered link's box, chosen with n and a click or Enter.
int snap_extremes(PointF* out) {
  show_prompt(EXTREMES_PROMPT);
  HoverState& h = g_hover;
  h.pick_mode = PICK_MODE_LINKS;
  // The item being worked on is not picked meanwhile; its own flag comes back on every way out.
  DrawingItem* last = g_edit.working_set != nullptr ? g_lists.current.last : nullptr;
  const uint8_t last_active = last != nullptr ? (last->state & ITEM_FLAG_SELECTED) : 0;
  if (last != nullptr) last->state &= static_cast<uint8_t>(~ITEM_FLAG_SELECTED);
  int corner = 0;
  int ticks = EXTREME_NO_BLINK;
  bool shown = false;
  PointF shown_at{};
  int result = -1;
  for (;;) {
    const int changes = h.view_changes;
    const EventCode code = next_entry_event(-1);
    if (code == EVENT_TICK) {
      if (++ticks >= EXTREME_BLINK_AFTER && h.hover_link != nullptr) {
        xor_corner_marker(shown_at);
        shown = !shown;
      }
      continue;
    }
    if (shown && changes == h.view_changes && code != EVENT_VIEW_CHANGED) xor_corner_marker(shown_at);
    shown = false;
    if (code == KEY_ESC || code == EVENT_QUIT) {
      if (code == EVENT_QUIT) push_input_code(EVENT_QUIT);
      break;
    }
    if (code == KEY_NEXT_CORNER || code == 'N') corner = (corner + 1) % 4;
    if (h.hover_link == nullptr || h.pick_kind == 0) {
      ticks = EXTREME_NO_BLINK;
      continue;
    }
    if (code == KEY_ENTER || code == EVENT_LEFT_DOWN) {
      if (code == EVENT_LEFT_DOWN && classify_pick_click() != CLICK_IN_DRAWING) continue;
      *out = extreme_corner(h.hover_link, corner);
      result = 0;
      break;
    }
    shown_at = extreme_corner(h.hover_link, corner);
    xor_corner_marker(shown_at);
    shown = true;
    ticks = 0;
  }
  if (shown) xor_corner_marker(shown_at);
  if (last != nullptr) last->state = static_cast<uint8_t>((last->state & ~ITEM_FLAG_SELECTED) | last_active);
  return result;
}

int snap_at_distance(PointF* out) {
  CoordEntry& e = g_coord.entry;
  zero_coord_entry(&e);
  hover_point(&e.reference);
  e.current = e.reference;
  return enter_point(ENTRY_PROMPT_FROM_REFERENCE, out) ? 0 : -1;
}

int run_snap(int mode, PointF* out) {
  switch (mode) {
    case SNAP_QUADRANT: {
      show_prompt(QUADRANT_PROMPT);
      if (!click_link_until(is_arc)) return -1;
      PointF q{};
      if (!quadrant_point(g_hover.hover_link, g_hover.cursor_point, &q) &&
          ask_yes_no(QUADRANT_BEYOND_TEXT, 1) != 1)
        return -1;
      *out = q;
      return 0;
    }
    case SNAP_MIDPOINT: {
      show_prompt(MIDPOINT_PROMPT);
      PickedLink rec{};
      if (select_item_or_two_points(&rec, 0) < 0) return -1;
      picked_link_midpoint(&rec, out);
      return 0;
    }
    case SNAP_X_AND_Y: {
      show_prompt(XY_FIRST_PROMPT);
      help_push(MSG_HELP_SNAP_X_POINT);
      PointF p1{};
      const int first = select_point(&p1);
      help_pop();
      if (first != 0) return -1;
      show_prompt(XY_SECOND_PROMPT);
      help_push(MSG_HELP_SNAP_Y_POINT);
      g_point_picking.xy_snap_state |= XY_SNAP_SECOND_POINT;
      g_point_picking.xy_snap_x = p1.x;
      PointF p2{};
      const int second = select_point(&p2);
      help_pop();
      if (second != 0) return -1;
      *out = {p1.x, p2.y};
      return 0;
    }
    case SNAP_CENTRE:
      show_prompt(CENTRE_PROMPT);
      if (!click_link_until(is_arc_or_ellipse)) return -1;
      *out = g_hover.hover_link->centre;
      return 0;
    case SNAP_INTERSECTION: {
      show_prompt(INTERSECTION_FIRST_PROMPT);
      PickedLink first{};
      if (select_item_or_two_points(&first, 0) < 0) return -1;
      show_prompt(INTERSECTION_SECOND_PROMPT);
      PickedLink second{};
      if (select_item_or_two_points(&second, 0) < 0) return -1;
      const PointF cursor = g_hover.cursor_point;
      const int found = intersect_links(&first.records[0], &second.records[0]);
      if (found <= 0) {
        show_text_box(NO_INTERSECTION_TEXT, TEXTBOX_WAIT_KEY);
        return -1;
      }
      const IntersectionResult& r = g_geometry2d.intersection;
      *out = found == 1 ? r.first : nearer_point(r.first, r.second, cursor);
      return 0;
    }
    case SNAP_NEAREST: {
      show_prompt(NEAREST_PROMPT);
      if (pick_link_by_click() != 0) return -1;
      const HoverState& h = g_hover;
      PointF foot{};
      if (link_foot(h.hover_link, &h.cursor_point, &foot) == FOOT_ON_LINK) {
        *out = foot;
        return 0;
      }
      switch (h.pick_kind) {
        case PICK_START_NODE: *out = h.hover_link->point; return 0;
        case PICK_CENTRE: *out = h.hover_link->centre; return 0;
        case PICK_END_NODE: *out = h.hover_link[1].point; return 0;
        default: return -1;
      }
    }
    case SNAP_AT_DISTANCE: return snap_at_distance(out);
    case SNAP_PROJECTION:
    case SNAP_PERPENDICULAR: {
      PointF p = g_point_picking.anchor_point;
      if (mode == SNAP_PROJECTION) {
        show_prompt(PROJECTION_POINT_PROMPT);
        if (select_point(&p) != 0) return -1;
        show_prompt(PROJECTION_TARGET_PROMPT);
      } else {
        show_prompt(PERPENDICULAR_PROMPT);
      }
      PickedLink rec{};
      if (select_item_or_two_points(&rec, 0) < 0) return -1;
      PointF foot{};
      if (!foot_on_picked(&rec, p, &foot)) return -1;
      *out = foot;
      return 0;
    }
    case SNAP_EXTREMES: return snap_extremes(out);
    default: return 0;  // acted on by node construction, not computed here
  }
}

// A snap by key or menu inside a pick loop: true with the point.
bool snap_in_loop(int mode, PointF* out) { return mode >= 0 && snap_point(mode, out) == 0; }

}  // namespace

uint16_t snap_menu_mask(int context) {
  return context >= 0 && context < CONTEXT_COUNT ? CONTEXTS[context].mask : 0;
}

const char* snap_key_letters(int context) {
  return context >= 0 && context < CONTEXT_COUNT ? CONTEXTS[context].keys : "";
}

void show_zoom_strip() { draw_controls(zoom_strip().data(), 0); }

bool quadrant_point(const LinkRecord* arc, PointF p, PointF* out) {
  const double dx = static_cast<double>(p.x) - arc->centre.x;
  const double dy = static_cast<double>(p.y) - arc->centre.y;
  // Quadrant k covers the directions from (2k - 1) pi/4 up to (2k + 1) pi/4: a direction on a
  // boundary belongs to the quadrant counter-clockwise of it.
  int k = 0;
  if (dy >= dx && dy > -dx) k = 1;
  else if (dy <= -dx && dy > dx) k = 2;
  else if (dy <= dx && dy < -dx) k = 3;
  const double r = std::fabs(static_cast<double>(arc->code));
  static constexpr double UNIT[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
  const PointF q = {static_cast<float>(arc->centre.x + r * UNIT[k][0]),
                    static_cast<float>(arc->centre.y + r * UNIT[k][1])};
  *out = q;
  PointF foot = q;
  const bool on = link_foot(arc, &q, &foot) == FOOT_ON_LINK;
  *out = foot;
  return on;
}

PointF nearer_point(PointF first, PointF second, PointF p) {
  const double d1 = std::hypot(static_cast<double>(first.x) - p.x, static_cast<double>(first.y) - p.y);
  const double d2 =
      std::hypot(static_cast<double>(second.x) - p.x, static_cast<double>(second.y) - p.y);
  return d1 < d2 ? first : second;
}

PointF extreme_corner(const LinkRecord* link, int n) {
  switch (n & 3) {
    case 0: return link->box_min;
    case 1: return link->box_max;
    case 2: return {link->box_max.x, link->box_min.y};
    default: return {link->box_min.x, link->box_max.y};
  }
}

void picked_link_midpoint(const PickedLink* rec, PointF* out) {
  link_midpoint(&rec->records[0], out);
}

int classify_pick_click() {
  const int x = g_pointer.wanted_x;
  const int y = g_pointer.wanted_y;
  const int id = hit_test_controls(x, y);
  if (id >= 0) {
    clear_hover();
    switch (id) {
      case STRIP_CANCEL: return CLICK_CANCEL;
      case STRIP_TO_DRAWING:
        zoom_to_drawing();
        call_redraw_hook();
        break;
      case STRIP_IN: repeat_zoom_while_held(KEY_PGUP, g_point_picking.pick_redraw_hook); break;
      case STRIP_OUT: repeat_zoom_while_held(KEY_PGDN, g_point_picking.pick_redraw_hook); break;
      case STRIP_PAN:
        while (g_pointer.button_bits != 0 && g_form.redraw_level == 0) {
          pan_by_drag();
          call_redraw_hook();
        }
        break;
      default: break;
    }
    return CLICK_ELSEWHERE;
  }
  const ViewState& v = g_view;
  if (y > v.area_top && y < v.area_bottom && x > 0 && x < v.area_width) return CLICK_IN_DRAWING;
  return CLICK_ELSEWHERE;
}

int snap_menu(int context) {
  if (context < 1) return -1;
  const uint16_t mask = snap_menu_mask(context);
  std::vector<const char*> lines;
  std::vector<int> modes;
  for (int mode = 0; mode < SNAP_MODE_COUNT; ++mode) {
    if ((mask & (1u << mode)) == 0) continue;
    lines.push_back(SNAP_MODE_NAMES[mode]);
    modes.push_back(mode);
  }
  if (lines.empty()) return -1;
  lines.push_back(nullptr);
  const CellMetrics& cell = g_display.current;
  const int row = cell.cell_height > 0 ? g_pointer.wanted_y / cell.cell_height : 0;
  const int column = cell.cell_width > 0 ? g_pointer.wanted_x / cell.cell_width : 0;
  const int chosen = pick_from_strings(lines.data(), "\fObject Snap", row, column, 0, 0);
  return chosen >= 0 && chosen < static_cast<int>(modes.size()) ? modes[chosen] : -1;
}

int snap_by_key(int key, int context) {
  if (key >= 'A' && key <= 'Z') key += 'a' - 'A';
  // A blank in the key string means "no key": a typed space selects nothing.
  if (key <= ' ' || key > 126) return -1;
  const char* letters = snap_key_letters(context);
  const char* found = std::strchr(letters, key);
  if (found == nullptr) return -1;
  const int mode = static_cast<int>(found - letters);
  show_text_box(SNAP_MODE_NAMES[mode], 0);
  close_popup_after(SNAP_NAME_TICKS);
  return mode;
}

int snap_via_menu(int context, PointF* out) {
  const int mode = snap_menu(context);
  sync_pointer_to_cursor();
  if (mode < 0) return -1;
  bring_pointer_into_drawing();
  return snap_point(mode, out) == 0 ? 0 : -1;
}

int snap_point(int mode, PointF* out) {
  HoverState& h = g_hover;
  PointPicking& pp = g_point_picking;
  push_hit_state();
  ++g_form.caption_hidden_count;
  push_control_table();
  show_message_area(nullptr);
  const uint16_t pick_mode = h.pick_mode;
  const bool set_running = pp.snap_running == 0;
  pp.snap_running = 1;
  pp.pick_redraw_hook = xor_draw_working_set;
  show_zoom_strip();
  const int result = run_snap(mode, out);
  clear_hover_hilite();
  wait_buttons_released();
  h.pick_mode = pick_mode;
  if (set_running) pp.snap_running = 0;
  h.hover_item = nullptr;
  h.pick_kind = 0;
  pp.xy_snap_state = 0;
  pop_hit_state();
  pop_control_table();
  return result;
}

int pick_link_by_click() {
  clear_window_drawing_bits();
  HoverState& h = g_hover;
  h.pick_mode = PICK_MODE_LINKS;
  const LoopFrame frame(COMMAND_FINISHED, COMMAND_FINISHED, COMMAND_FINISHED);
  for (;;) {
    const EventCode code = next_entry_event(-1);
    if (code == KEY_ESC) return -1;
    if (code == EVENT_QUIT) {
      push_input_code(EVENT_QUIT);
      return -1;
    }
    if (code != EVENT_LEFT_DOWN && code != EVENT_MIDDLE_DOWN && code != EVENT_RIGHT_DOWN) continue;
    const int where = classify_pick_click();
    if (where == CLICK_CANCEL) return -1;
    if (where == CLICK_IN_DRAWING && h.pick_kind != 0 && h.hover_link != nullptr) return 0;
  }
}

int select_point(PointF* out) {
  PointPicking& pp = g_point_picking;
  g_coord.point_selection = 1;
  clear_window_drawing_bits();
  const LoopFrame frame(COMMAND_FINISHED, COMMAND_SNAP_MENU, COMMAND_SNAP_MENU);
  draw_entry_box();
  for (;;) {
    const EventCode code = next_entry_event(0);
    g_coord.point_selection = 1;
    if (code == EVENT_VIEW_CHANGED) continue;
    if (code == KEY_ESC) return -1;
    if (code == EVENT_QUIT) {
      push_input_code(EVENT_QUIT);
      return -1;
    }
    bool tried = false;
    bool got = false;
    PointF p{};
    if (code == EVENT_LEFT_DOWN) {
      const int where = classify_pick_click();
      if (where == CLICK_CANCEL) return -1;
      if (where != CLICK_IN_DRAWING) continue;
      hover_point(out);
      return 0;
    }
    if (code == KEY_SNAP_MENU || code == EVENT_MIDDLE_DOWN || code == EVENT_RIGHT_DOWN) {
      tried = true;
      got = snap_in_loop(snap_menu(SNAP_CONTEXT_PICK_KEYS), &p);
    } else if (starts_typed_value(code)) {
      tried = true;
      got = typed_point(code, &p);
      draw_entry_box();
    } else if (code > 0 && code < 127) {
      const int mode = snap_by_key(code, SNAP_CONTEXT_PICK_KEYS);
      if (mode >= 0) {
        tried = true;
        got = snap_in_loop(mode, &p);
      }
    }
    if (got) {
      *out = p;
      return 0;
    }
    if (!tried) continue;
    if ((pp.xy_snap_state & XY_SNAP_SECOND_POINT) != 0) return -1;
    show_prompt(STILL_WAITING_POINT);
    show_zoom_strip();
    draw_entry_box();
  }
}

int select_item_or_two_points(PickedLink* rec, int flags) {
  HoverState& h = g_hover;
  PointPicking& pp = g_point_picking;
  const uint16_t pick_mode = h.pick_mode;
  h.pick_mode = PICK_MODE_LINKS_WITH_NODES;
  *rec = PickedLink{};
  int result = PICK_FAILED;
  {
    const LoopFrame frame(COMMAND_FINISHED, COMMAND_SNAP_MENU, COMMAND_SNAP_MENU);
    draw_entry_box();
    for (;;) {
      const EventCode code = next_entry_event(0);
      if (code == EVENT_VIEW_CHANGED) continue;
      if (code == KEY_ESC) break;
      if (code == EVENT_QUIT) {
        push_input_code(EVENT_QUIT);
        break;
      }
      bool got = false;
      bool failed = false;
      PointF first{};
      if (code == EVENT_LEFT_DOWN) {
        const int where = classify_pick_click();
        if (where == CLICK_CANCEL) break;
        if (where != CLICK_IN_DRAWING) continue;
        if (link_body_hovered()) {
          copy_hovered_link(rec);
          result = h.point_selector;
          break;
        }
        got = hovered_point(&first);
        if (!got) continue;
      } else if (starts_typed_value(code)) {
        if ((flags & PICK_TYPED_RETURNS) != 0) {
          result = code;
          break;
        }
        got = typed_point(code, &first);
        failed = !got;
        if (got) pp.anchor_point = first;
        draw_entry_box();
      } else if (code == KEY_SNAP_MENU || code == EVENT_MIDDLE_DOWN || code == EVENT_RIGHT_DOWN) {
        got = snap_in_loop(snap_menu(SNAP_CONTEXT_PICK_KEYS), &first);
        failed = !got;
        if (got) pp.anchor_point = first;
      } else if (code > 0 && code < 127) {
        const int mode = snap_by_key(code, SNAP_CONTEXT_PICK_KEYS);
        if (mode >= 0) {
          got = snap_in_loop(mode, &first);
          failed = !got;
          if (got) pp.anchor_point = first;
        }
      }
      if (got) {
        rec->records[0].point = first;
        show_prompt(SECOND_POINT_PROMPT);
        PointF second{};
        if (select_point(&second) != 0) break;
        rec->records[1].point = second;
        result = PICK_TWO_POINTS;
        break;
      }
      if (failed) {
        show_prompt(STILL_WAITING_TWO);
        show_zoom_strip();
        draw_entry_box();
      }
      if ((flags & PICK_LETTER_RETURNS) != 0 && is_letter(code)) {
        result = code;
        break;
      }
    }
  }
  h.pick_mode = pick_mode;
  return result;
}
