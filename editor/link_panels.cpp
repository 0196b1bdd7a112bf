// The polyline's two panels in the side panel: the header of the whole item and the panel of
// one link, run as catalogue dialogs with the field handlers here.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "editor/drawing_commands.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/item_inspector.h"
#include "editor/item_pages.h"
#include "geometry/geometry2d.h"
#include "geometry/item_motion.h"
#include "records/job_settings.h"
#include "screen/display_mode.h"
#include "screen/text_output.h"
#include "screen/main_form.h"
#include "store/float_text.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

constexpr double DEGREES = 180.0 / 3.14159265358979323846;
constexpr int VALUE_WIDTH = 13;
constexpr int PRECISION = 9;
constexpr int NAME_WIDTH = 36;
constexpr int FIRST_NAV_ROW = 16;
constexpr int LAST_NAV_ROW = 22;
// The header's machining rows, after a blank row under "Go to link #"; one blank row follows.
constexpr int FIRST_HEADER_CAM_ROW = 6;
constexpr int LAST_HEADER_CAM_ROW = FIRST_HEADER_CAM_ROW + CAM_PANEL_ROWS - 1;
constexpr int HEADER_BLANK_NAV_ROW = 17;  // the header's navigation starts under this row
static_assert(LAST_HEADER_CAM_ROW < HEADER_BLANK_NAV_ROW);
constexpr char HEADER_QUICK_FIELDS[] = "1ABCDF";
constexpr int HEADER_QUICK_OFFSET = 6;
constexpr char LINK_QUICK_FIELDS[] = "02:ABCDF";
// Where the header shown in passing writes the item's length: rows above the screen's bottom,
// columns left of its right edge.
constexpr int TOTAL_LENGTH_ROWS_UP = 3;
constexpr int TOTAL_LENGTH_COLUMNS = 24;

const char* const LINK_TYPE_CHOICES[] = {"Rigid \vLine", "\vFlexible line", "\vSpline",
                                         "\vBezier", "\vEmpty Gap", nullptr};
constexpr float LINK_TYPE_CODES[] = {LINK_RIGID_LINE, LINK_FLEXIBLE_LINE, LINK_SPLINE,
                                     LINK_BEZIER, LINK_GAP};
const char* const NODE_KIND_NAMES[] = {"Loose", "Tangent", nullptr};
const char* const SYMMETRY_CHOICES[] = {"None", "Dual", nullptr};
const char* const NO_YES[] = {"No", "Yes", nullptr};

// The values the panels show, recomputed from the links at every call.
struct PanelValues {
  char name[NAME_WIDTH + 1] = {};
  uint8_t closed = 0;
  int32_t link_count = 0;
  uint8_t symmetry = 0;
  int32_t go_to = 0;
  float start_x = 0, start_y = 0, start_z = 0;
  float length = 0, angle = 0;  // angle in degrees
  float end_x = 0, end_y = 0, end_z = 0;
};
PanelValues g_values;

DrawingItem* item() { return g_panel.panel_item; }
LinkRecord* link_record() { return item_nodes(item()) + std::max<int>(g_panel.panel_link, 0); }
bool one_link() { return item_link_count(item()) < 2; }
bool on_symmetry_line() { return item_is_dual(item()) && g_panel.panel_link == 0; }
bool end_is_closing() { return g_panel.panel_link >= item_link_count(item()) - 1; }

// A row the panel does not edit here: the cursor goes on the way it came.
EventCode pass_over() { return g_field.last_ending_event == KEY_UP ? KEY_UP : KEY_DOWN; }

void read_values() {
  PanelValues& v = g_values;
  DrawingItem* it = item();
  std::snprintf(v.name, sizeof v.name, "%s", it->text.c_str());
  v.closed = item_is_closed(it) && !one_link() ? 1 : 0;
  v.link_count = panel_link_count(it);
  v.symmetry = item_is_dual(it) ? 1 : 0;
  if (g_panel.panel_link < 0) return;
  const LinkRecord* r = link_record();
  v.start_x = r->point.x;
  v.start_y = r->point.y;
  v.start_z = r->z;
  v.end_x = r[1].point.x;
  v.end_y = r[1].point.y;
  v.end_z = r[1].z;
  v.length = point_distance(&r->point, &r[1].point);
  v.angle = static_cast<float>(point_angle(&r->point, &r[1].point) * DEGREES);
}

EventCode float_field(float* value) {
  return edit_value_field({value, 0}, FIELD_FLOAT | FIELD_MINUS, FIELD_OPTIONS_USUAL, VALUE_WIDTH);
}

// ---- the navigation rows ----

// The button of a navigation row, or 0 when the row has none here.
int nav_code(int row) {
  DrawingItem* it = item();
  const bool header = g_panel.panel_link == PANEL_HEADER;
  const bool dual = item_is_dual(it);
  const int n = item_link_count(it);
  const int link = g_panel.panel_link;
  const bool right = g_panel.nav_direction != 0;
  switch (row) {
    case 18: return header ? (g_panel.panel_link_saved >= 0 ? NAV_GO_BACK : 0) : NAV_HEADER;
    case 19:
      if (link == 0) return 0;
      return header ? NAV_FIRST : (right ? NAV_PREV : NAV_FIRST);
    case 20:
      if (link == n - 1) return 0;
      return header ? NAV_LAST : (right ? NAV_NEXT : NAV_LAST);
    case 21:
      if (dual) return NAV_SYMMETRY_LINE;
      if (header) return 0;
      if (link == n - 1) return NAV_ADD_END;
      if (link == 0 && n >= 2) return NAV_ADD_FRONT;
      return 0;
    case 22:
      if (dual || header || n < 2) return 0;
      return link == 0 || link == n - 1 ? NAV_DELETE_LINK : 0;
    default: return 0;
  }
}

const char* nav_caption(int code) {
  switch (code) {
    case NAV_GO_BACK: return "Go back";
    case NAV_HEADER: return "Header/Tool/CAM";
    case NAV_FIRST: return "First";
    case NAV_PREV: return "Prev";
    case NAV_LAST: return "Last";
    case NAV_NEXT: return "Next";
    case NAV_SYMMETRY_LINE: return "Symmetry line";
    case NAV_ADD_END: return "Add link to end";
    case NAV_ADD_FRONT: return "Add link to front";
    case NAV_DELETE_LINK: return "Delete this link";
    default: return "";
  }
}

void show_nav_rows(int first_row) {
  for (int row = first_row; row <= LAST_NAV_ROW; ++row) {
    if (row < 18) {
      show_text_value("", 1);
      continue;
    }
    int code = nav_code(row);
    if ((row == 19 || row == 20) && g_panel.panel_link >= 0 && code != 0) {
      // Both choices side by side, the active one first in the highlight.
      const bool right = g_panel.nav_direction != 0;
      const char* a = row == 19 ? "First" : "Last";
      const char* b = row == 19 ? "Prev" : "Next";
      char text[40];
      std::snprintf(text, sizeof text, right ? "%s  \v%s\x13" : "\v%s\x13  %s", a, b);
      show_text_value(text, 18);
      continue;
    }
    show_text_value(nav_caption(code), 18);
  }
}

// ---- after a field ----

// What every panel does with a field's result: the filter, the page keys and a changed value.
EventCode after_field(EventCode result, bool header) {
  EventCode code = result;
  if (code > 0) code = panel_event_filter(code);
  if (code == KEY_ESC) return KEY_ESC;
  if (!header) keep_closing_node_in_sync();
  if (code == EVENT_LEFT_DOWN) {
    code = panel_left_press(header ? HEADER_QUICK_FIELDS : LINK_QUICK_FIELDS,
                            header ? HEADER_QUICK_OFFSET : 0);
    if (code == KEY_ESC) return KEY_ESC;
  }
  if (code == KEY_PGDN || code == KEY_PGUP) return panel_page_key(code);
  if (result < 0) {
    mark_job_changed();
    DrawingItem* it = item();
    if (!header) {
      if (g_drawing_commands.update_symmetry_after_edit != nullptr)
        g_drawing_commands.update_symmetry_after_edit(it, g_panel.panel_link);
      item_bounding_boxes(it);
      redraw_panel_drawing();
      hilite_link(link_record());
    } else {
      g_hover.link_index = std::max<int>(0, std::min<int>(g_hover.link_index,
                                                          item_link_count(it) - 1));
      g_hover.hover_link = item_nodes(it) + g_hover.link_index;
      if (g_windows.active != nullptr && g_windows.active->cursor_row <= 6) redraw_panel_drawing();
    }
  }
  return code;
}

// ---- the header ----

EventCode edit_header_row(int row) {
  PanelValues& v = g_values;
  DrawingItem* it = item();
  switch (row) {
    case 0: {
      const EventCode r = edit_value_field({v.name, sizeof v.name}, 0, FIELD_OPTIONS_USUAL, NAME_WIDTH);
      if (r < 0) set_line_text(v.name, it);
      return r;
    }
    case 1: {
      if (one_link()) return pass_over();
      const uint8_t before = v.closed;
      const EventCode r = cycle_list_field("NY", &v.closed, 0, 3);
      if (r >= 0 || v.closed == before) return r;
      if (v.closed == 1) return edit_node_kind(nullptr, 0);
      LinkRecord* first = item_nodes(it);
      first->node_flags = static_cast<uint8_t>(first->node_flags & ~NODE_KIND_MASK);
      return FIELD_CHANGED;
    }
    case 2: {
      if (item_is_dual(it)) return pass_over();
      int32_t count = v.link_count;
      const EventCode r = edit_value_field({&count, 0}, FIELD_LONG, FIELD_OPTIONS_USUAL, 6);
      if (r >= 0 || count < 1 || count == v.link_count) return r;
      const int choice = ask_catalogue_choice(
          count < v.link_count ? MSG_CHOICE_FEWER_LINKS : MSG_CHOICE_MORE_LINKS, 1);
      if (choice != 0 && choice != 1) return 0;
      return set_panel_link_count(it, count, choice == 1) == 1 ? r : 0;
    }
    case 3: {
      const uint8_t before = v.symmetry;
      const EventCode r = cycle_list_field("ND", &v.symmetry, 0, 5);
      if (r >= 0 || v.symmetry == before) return r;
      if (v.symmetry == 1) convert_to_symmetric_polyline(it);
      else drop_symmetry(it);
      refind_panel_references();
      return FIELD_CHANGED;
    }
    case 4: {
      v.go_to = 0;
      const EventCode r = edit_value_field({&v.go_to, 0}, FIELD_LONG, FIELD_OPTIONS_USUAL, 6);
      if (r < 0 && go_to_panel_link(v.go_to) == 1) return KEY_ESC;
      return r < 0 ? 0 : r;
    }
    default: break;
  }
  if (row >= FIRST_HEADER_CAM_ROW && row <= LAST_HEADER_CAM_ROW)
    return edit_cam_rows(row - FIRST_HEADER_CAM_ROW);
  if (row < FIRST_NAV_ROW) return pass_over();
  return link_panel_nav_rows();
}

void show_header_values() {
  const PanelValues& v = g_values;
  begin_display_pass();
  show_string_value(v.name, NAME_WIDTH);
  show_choice_value(NO_YES, v.closed, 3);
  show_int_value(v.link_count, 6);
  show_choice_value(SYMMETRY_CHOICES, v.symmetry, 5);
  show_text_value("", 6);
  for (int row = 5; row < FIRST_HEADER_CAM_ROW; ++row) show_text_value("", 1);
  show_cam_rows();
  show_nav_rows(LAST_HEADER_CAM_ROW + 1);
}

// ---- the link ----

// The whole item moves with the symmetry line's start; another link's node moves alone.
void move_start_node(PointF to) {
  LinkRecord* r = link_record();
  if (on_symmetry_line()) {
    const PointF delta = {to.x - r->point.x, to.y - r->point.y};
    translate_item(item(), &delta);
    return;
  }
  r->point = to;
  if (g_panel.panel_link > 0) rederive_arc(r - 1);
}

void move_end_node(PointF to) {
  LinkRecord* r = link_record();
  if (on_symmetry_line()) {
    // The end keeps its place: the whole item turns about the start by the change of direction.
    const double before = point_angle(&r->point, &r[1].point);
    const double after = point_angle(&r->point, &to);
    const PointF pivot = r->point;
    rotate_item(item(), &pivot, after - before);
    return;
  }
  r[1].point = to;
  if (g_panel.panel_link + 1 < item_link_count(item())) rederive_arc(r + 1);
}

EventCode edit_link_row(int row) {
  PanelValues& v = g_values;
  DrawingItem* it = item();
  LinkRecord* r = link_record();
  const bool symmetry = on_symmetry_line();
  if (symmetry && (row <= 2 || (row >= 8 && row <= 10))) return pass_over();
  switch (row) {
    case 0: return edit_link_type_field(r);
    case 1: case 8: case 9: case 14: case 15: return pass_over();
    case 2: return edit_link_node_kind_field(1);
    case 3: case 4: {
      const EventCode result = float_field(row == 3 ? &v.start_x : &v.start_y);
      if (result < 0) move_start_node({v.start_x, v.start_y});
      return result;
    }
    case 5: {
      const EventCode result = float_field(&v.start_z);
      if (result < 0) {
        r->z = v.start_z;
        if (g_drawing_commands.keep_polyline_closed != nullptr)
          g_drawing_commands.keep_polyline_closed(it, r, 1);
      }
      return result;
    }
    case 6: case 7: {
      const EventCode result = float_field(row == 6 ? &v.length : &v.angle);
      if (result < 0) set_link_length_angle(it, g_panel.panel_link, v.length, v.angle / DEGREES);
      return result;
    }
    case 10: return edit_link_node_kind_field(2);
    case 11: case 12: {
      const EventCode result = float_field(row == 11 ? &v.end_x : &v.end_y);
      if (result < 0) move_end_node({v.end_x, v.end_y});
      return result;
    }
    case 13: {
      const EventCode result = float_field(&v.end_z);
      if (result < 0) {
        r[1].z = v.end_z;
        if (g_drawing_commands.keep_polyline_closed != nullptr)
          g_drawing_commands.keep_polyline_closed(it, r, 2);
      }
      return result;
    }
    default: return link_panel_nav_rows();
  }
}

void show_link_values() {
  const PanelValues& v = g_values;
  const LinkRecord* r = link_record();
  begin_display_pass();
  show_link_type_value(r);
  show_int_value(g_panel.panel_link + 1, 6);
  show_node_kind_value(r);
  show_float_value(v.start_x, VALUE_WIDTH, PRECISION);
  show_float_value(v.start_y, VALUE_WIDTH, PRECISION);
  show_float_value(v.start_z, VALUE_WIDTH, PRECISION);
  show_float_value(v.length, VALUE_WIDTH, PRECISION);
  show_float_value(v.angle, VALUE_WIDTH, PRECISION);
  show_text_value("", 1);
  show_int_value(g_panel.panel_link + 2, 6);
  show_node_kind_value(r + 1);
  show_float_value(v.end_x, VALUE_WIDTH, PRECISION);
  show_float_value(v.end_y, VALUE_WIDTH, PRECISION);
  show_float_value(v.end_z, VALUE_WIDTH, PRECISION);
  show_text_value("", 1);
  show_text_value("", 1);
  show_nav_rows(FIRST_NAV_ROW);
}

// Below the header the pointer passes over: the polyline's length, all links together.
void show_total_length() {
  const CellMetrics& cells = g_display.current;
  const std::string text =
      "\x0eTotal length: " + format_float_text(item_length(item()), FLOAT_FOUR_DECIMALS);
  draw_text(cells.last_row - TOTAL_LENGTH_ROWS_UP, cells.last_column + 1 - TOTAL_LENGTH_COLUMNS,
            text.c_str());
}

// The panel's handler frame shared by the header and the link panel.
EventCode panel_handler(EventCode (*edit)(int), void (*show)(), bool header) {
  if (item() == nullptr || item()->extra.empty()) return KEY_ESC;
  read_values();
  EventCode result = edit_current_field(edit);
  const bool first = result == FORM_FIRST_PASS;
  if (!first) {
    result = after_field(result, header);
    if (g_panel.relayout != 0) {
      if (g_windows.active != nullptr) g_panel.reopen_field = g_windows.active->cursor_row;
      result = KEY_ESC;
    }
    read_values();
    if (result != KEY_ESC) rebuild_panel_screen();
  }
  show_every_field(show);
  show_panel_buttons(item_block(item()));
  if (first && g_panel.display_only != 0) {
    if (header) show_total_length();
    return end_field_handler(KEY_ESC);
  }
  return end_field_handler(result);
}

}  // namespace

EventCode panel_page_key(EventCode key) {
  DrawingItem* it = item();
  if (it == nullptr) return key;
  const int n = item_link_count(it);
  const int link = g_panel.panel_link;
  if (key == KEY_PGDN) {
    if (link >= 0 && link >= n - 1) return 0;  // the end node is the closing record
    link_panel_navigate(NAV_NEXT, n);
    return KEY_ESC;
  }
  if (key == KEY_PGUP) {
    if (link == PANEL_HEADER) return 0;
    link_panel_navigate(link == 0 ? NAV_HEADER : NAV_PREV, n);
    return KEY_ESC;
  }
  return key;
}

EventCode edit_link_type_field(LinkRecord* link) {
  // The list opens on the link's own type (on its first line for a kind it does not offer).
  uint8_t index = 0;
  for (size_t k = 0; k < std::size(LINK_TYPE_CODES); ++k)
    if (LINK_TYPE_CODES[k] == link->code) index = static_cast<uint8_t>(k);
  const EventCode result = pick_string_field(LINK_TYPE_CHOICES, "Link type", 0, 0, &index, 16, nullptr);
  if (result >= 0) return result;
  if (set_link_type(link, LINK_TYPE_CODES[index]) == 0) return 0;
  return KEY_ESC;  // the panel opens again for the new kind
}

EventCode edit_link_node_kind_field(int end) {
  // An item of one link has no node between links; the closing record is the first node's.
  if (one_link() || (end == 2 && end_is_closing())) return pass_over();
  LinkRecord* r = link_record();
  return edit_node_kind(end == 2 ? r + 1 : r, end);
}

void show_link_type_value(const LinkRecord* link) { show_text_value(LINK_KIND_NAMES[link_kind(link)], 16); }

void show_node_kind_value(const LinkRecord* node) {
  show_choice_value(NODE_KIND_NAMES, (node->node_flags & NODE_TANGENT) != 0 ? 1 : 0, 8);
}

void show_link_nav_rows(int first_row) { show_nav_rows(first_row); }

EventCode link_panel_nav_rows() {
  const TextWindow* w = g_windows.active;
  const int row = w != nullptr ? w->cursor_row : 0;
  if (row < FIRST_NAV_ROW || row > LAST_NAV_ROW) return KEY_UP;
  const int code = nav_code(row);
  if (code == 0) return row == LAST_NAV_ROW ? KEY_UP : pass_over();
  const EventCode event = read_field_event(18);
  const bool pair = (row == 19 || row == 20) && g_panel.panel_link >= 0;
  if (pair && (event == KEY_LEFT || event == KEY_RIGHT)) {
    g_panel.nav_direction = event == KEY_RIGHT ? 1 : 0;
    if (static_cast<size_t>(row) < g_field.redraw.size()) g_field.redraw[row] = 1;
    return 0;
  }
  if (event != KEY_ENTER) return event;
  link_panel_navigate(code, item_link_count(item()));
  return KEY_ESC;
}

EventCode node_panel_field() { return panel_handler(edit_header_row, show_header_values, true); }

EventCode link_panel_field() { return panel_handler(edit_link_row, show_link_values, false); }

int open_link_panel() {
  PanelState& p = g_panel;
  DrawingItem* it = p.panel_item;
  if (it == nullptr || it->extra.empty()) return KEY_ESC;
  const int n = item_link_count(it);
  if (p.panel_link >= n) p.panel_link = static_cast<int16_t>(n - 1);
  p.panel_link_before = PANEL_NO_NAVIGATION;
  p.exit_reason = 0;
  p.previous_event = 0;
  g_field.initial_field = p.reopen_field;
  p.reopen_field = 0;
  if (p.panel_link >= 0 && g_hover.highlighted_link == nullptr)
    hilite_link(item_nodes(it) + p.panel_link);
  const PanelClickGuard buttons;
  if (p.panel_link == PANEL_HEADER) {
    place_next_panel(MSG_FORM_ITEM_HEADER);
    place_cam_rows(FIRST_HEADER_CAM_ROW);
    p.relayout = 0;
    run_dialog(MSG_FORM_ITEM_HEADER, node_panel_field);
    if (p.relayout != 0) {
      // Other machining rows: the header opens again on the row it was left.
      p.relayout = 0;
      return 0;
    }
  } else {
    const LinkRecord* r = item_nodes(it) + p.panel_link;
    if (!code_is_arc(r->code)) {
      const int form = (r->node_flags & NODE_DUAL) != 0 ? MSG_FORM_SYMMETRY_LINE : MSG_FORM_LINK;
      place_next_panel(form);
      run_dialog(form, link_panel_field);
    } else if (r->sweep > 0.0f) {
      place_next_panel(MSG_FORM_ARC_PAGE);
      run_dialog(MSG_FORM_ARC_PAGE, arc_page_field);
    } else {
      return KEY_ESC;
    }
  }
  if (p.exit_reason == PANEL_EXIT_PAGE_TAB || p.exit_reason == PANEL_EXIT_CONTROL ||
      p.panel_link_before == PANEL_NO_NAVIGATION) {
    p.panel_link = PANEL_HEADER;
    return KEY_ESC;
  }
  clear_hover_hilite();
  return 0;
}
