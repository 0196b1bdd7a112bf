#include "editor/item_inspector.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "editor/canvas_cursor.h"
#include "editor/drawing_commands.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_redraw.h"
#include "editor/page_strip.h"
#include "editor/view_state.h"
#include "geometry/geometry2d.h"
#include "geometry/item_motion.h"
#include "geometry/symmetric_nodes.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/line_list.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/placeholder_page.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

PanelState g_panel;

const char* const LINK_KIND_NAMES[LINK_KIND_COUNT + 1] = {
    "\vLine", "\vFlexible line", "\vArc", "\vSpline", "\vBezier", "\vDiameter circle",
    "\vRadius circle", "Bo\vx", "\vEmpty Gap", nullptr};

namespace {

constexpr char LINK_COUNT_REFUSED_TEXT[] =
    "There is not enough memory for that many links; the item is left as it was.";
constexpr char GO_TO_LINK_REFUSED_TEXT[] = "This item has no link with that number.";
constexpr int VALUE_COLUMN_NEAR = 8;  // columns left of the value column that still auto-Enter
constexpr char MACHINING_ROW_CODES[] = "0129:";

int cell_width() { return std::max<int>(1, g_display.current.cell_width); }

}  // namespace

// ---- kinds ----

int link_kind(const LinkRecord* link) {
  const float code = link->code;
  if (code == LINK_FLEXIBLE_LINE) return 1;
  if (code == LINK_SPLINE) return 3;
  if (code == LINK_BEZIER) return 4;
  if (code == LINK_BOX) return 7;
  if (code == LINK_GAP) return 8;
  if (code > 0.0f) {
    if (link->sweep > 0.0f) return 2;
    if (link->sweep == SWEEP_DIAMETER_CIRCLE) return 5;
    if (link->sweep == SWEEP_RADIUS_CIRCLE) return 6;
  }
  return 0;
}

bool item_is_dual(const DrawingItem* item) {
  const LinkRecord* r = item_nodes(item);
  return r != nullptr && (r[0].node_flags & NODE_DUAL) != 0;
}

int panel_link_count(const DrawingItem* item) {
  const int n = item_link_count(item);
  return item_is_dual(item) ? n - 2 : n;
}

// ---- events ----

EventCode panel_event_filter(EventCode code) {
  PanelState& p = g_panel;
  const EventCode before = p.previous_event;
  p.previous_event = code;
  if (code == EVENT_QUIT) {
    p.exit_reason = KEY_ESC;
    return KEY_ESC;
  }
  if (code == KEY_ESC) {
    if (before == EVENT_RIGHT_DOWN) {
      const ViewState& v = g_view;
      const bool in_drawing = g_preferences.drawing.side_panel != 0 &&
                              g_pointer.wanted_x < v.side_panel_column * g_display.presets[FACE_ROLE_MENU].cell_width &&
                              g_pointer.wanted_y > v.area_top && g_pointer.wanted_y < v.area_bottom;
      if (!in_drawing) return 0;  // a right click outside the drawing does not close the panel
      p.exit_reason = PANEL_EXIT_RIGHT_CLICK;
      return KEY_ESC;
    }
    if (before == KEY_ESC) return KEY_ESC;
    p.exit_reason = KEY_ESC;
    return KEY_ESC;
  }
  if (code == 430) return EVENT_LEFT_DOWN;
  if (code == EVENT_REDRAW) {
    if (g_form.redraw_level == 0) g_form.redraw_level = 1;
    return code;
  }
  return code;
}

void auto_enter_quick_fields(const char* fields, int offset) {
  const TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  const int column = g_pointer.wanted_x / cell_width();
  const int value_column = g_field.value_column;
  const int field = w->cursor_row;
  const char code = static_cast<char>('0' + field);
  bool enter = false;
  if (column >= value_column) {
    if (fields != nullptr && std::strchr(fields, code) != nullptr && code != 0) enter = true;
    if (offset > 0) {
      const char shifted = static_cast<char>(code - offset);
      if (shifted != 0 && std::strchr(MACHINING_ROW_CODES, shifted) != nullptr) enter = true;
    }
  } else if (column >= value_column - VALUE_COLUMN_NEAR && offset > 0 &&
             (field == offset || field == offset + 1)) {
    enter = true;
  }
  if (enter) push_input_code(KEY_ENTER);
}

void redraw_panel_drawing() {
  if (g_preferences.drawing.side_panel == 0 || g_form.redraw_level != 0) return;
  HoverState& h = g_hover;
  if (g_panel.panel_item != nullptr) h.hover_item = g_panel.panel_item;
  clear_drawing_area();
  draw_all_items();
  h.highlighted_link = nullptr;
  h.node_item = nullptr;
  if (g_panel.panel_item != nullptr) {
    hilite_item_nodes(g_panel.panel_item);
    h.marker_item = g_panel.panel_item;
  }
}

void place_next_panel() {
  const ViewState& v = g_view;
  const int normal = g_display.presets[FACE_ROLE_NORMAL].cell_width;
  if (g_preferences.drawing.side_panel == 0 || !v.narrow_box || v.area_width <= 0 || normal <= 0)
    return;
  // Clear of the drawing by the form's frame; a form that runs to the right edge is set back
  // three columns by the form layout, which these three columns make up for.
  g_field.next_left_column = (v.area_width + normal - 1) / normal + 2 + 3;
}

void place_next_panel(int message) {
  place_next_panel();
  g_field.next_label_width = widest_form_label(message);
}

bool place_cam_rows(int first_row) {
  const DrawingCommandEntries& c = g_drawing_commands;
  if (c.cam_panel_layout == nullptr || g_panel.panel_item == nullptr) return false;
  const int form = c.cam_panel_layout(g_panel.panel_item);
  if (form == 0) return false;
  g_field.next_overlay_form = form;
  g_field.next_overlay_row = first_row;
  g_field.next_label_width = std::max(g_field.next_label_width, widest_form_label(form));
  return true;
}

EventCode edit_cam_rows(int row) {
  if (g_drawing_commands.cam_panel_rows == nullptr) return KEY_UP;
  return g_drawing_commands.cam_panel_rows(row);
}

void show_cam_rows() {
  if (g_drawing_commands.cam_panel_fields != nullptr) {
    g_drawing_commands.cam_panel_fields();
    return;
  }
  for (int row = 0; row < CAM_PANEL_ROWS; ++row) show_text_value("", 1);
}

void rebuild_panel_screen() {
  if (g_form.redraw_level == 0) return;
  hide_pointer();
  if (g_preferences.drawing.side_panel != 0) {
    repaint_dialog();
    g_form.redraw_level = 0;
    redraw_panel_drawing();
  } else {
    // Without the side panel the panel stands over its page: the Engraving list page is drawn
    // behind it (no other page is drawn here, so the list never covers the drawing), the page
    // is asked to draw itself once more when it runs again, and the panel goes on top.
    if (g_preferences.current_page == PAGE_ENGRAVING_LIST &&
        g_drawing_commands.redraw_text_list_page != nullptr)
      g_drawing_commands.redraw_text_list_page();
    g_page_requests.redraw = 1;
    repaint_dialog();
    g_form.redraw_level = 0;
  }
  if (g_controls.active != nullptr) draw_controls(g_controls.active, 0);
}

// ---- the panel's buttons ----

void show_lock_on_header_check() {
  ScreenControl* c = page_strip_control(NAV_LOCK_ON_HEADER);
  if (c == nullptr) return;
  if (g_panel.lock_on_header != 0) {
    c->flags |= CF_CHECKED;
    c->hint = HINT_LOCK_ON_HEADER_ON;
  } else {
    c->flags &= ~CF_CHECKED;
    c->hint = HINT_LOCK_ON_HEADER_OFF;
  }
}

void toggle_lock_on_header() {
  PanelState& p = g_panel;
  p.lock_on_header = p.lock_on_header != 0 ? 0 : 1;
  show_lock_on_header_check();
  DrawingItem* item = p.panel_item;
  if (p.panel_link == PANEL_HEADER && item != nullptr && !item->extra.empty()) {
    show_panel_buttons(item_block(item));  // the back button's words follow
  } else if (ScreenControl* c = page_strip_control(NAV_LOCK_ON_HEADER);
             c != nullptr && (c->flags & CF_HIDDEN) == 0 && g_controls.active == page_strip_table()) {
    draw_controls(c, 1);
  }
}

EventCode act_on_panel_button(int id) {
  if (id == NAV_LOCK_ON_HEADER) {
    toggle_lock_on_header();
    return 0;
  }
  if (id == STRIP_PANEL_RESET) {
    const DrawingCommandEntries& c = g_drawing_commands;
    if (c.cam_panel_reset != nullptr && c.cam_panel_reset(g_panel.panel_item)) {
      // Every machining row shows the defaults.
      std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
    }
    return 0;
  }
  if (id < NAV_ADD_FRONT || id > NAV_GO_BACK || g_panel.panel_item == nullptr ||
      g_panel.panel_item->extra.empty())
    return -1;
  link_panel_navigate(id, item_link_count(g_panel.panel_item));
  return KEY_ESC;
}

int panel_button_under_pointer() {
  const int x = g_pointer.wanted_x, y = g_pointer.wanted_y;
  for (const ScreenControl* c = page_strip_table(); c->flags != CF_END; ++c) {
    const bool panel_button =
        (c->id >= STRIP_PANEL_FIRST && c->id <= STRIP_PANEL_LAST) || c->id == STRIP_PANEL_RESET;
    if (!panel_button || (c->flags & CF_HIDDEN) != 0) continue;
    const int width = std::max(c->hit_width, c->drawn_width);
    if (x >= c->x && x < c->x + width && y >= c->y && y < c->y + std::max<int>(1, c->hit_height))
      return c->id;
  }
  return -1;
}

EventCode panel_left_press(const char* fields, int offset) {
  const EventCode acted = act_on_panel_button(panel_button_under_pointer());
  if (acted >= 0) return acted;
  auto_enter_quick_fields(fields, offset);
  return 0;
}

EventCode take_panel_button_click() {
  const int id = panel_button_under_pointer();
  if (id < 0) return -1;
  const EventCode acted = act_on_panel_button(id);
  return acted < 0 ? -1 : acted;
}

PanelClickGuard::PanelClickGuard() : saved_(g_form_hooks.click) {
  g_form_hooks.click = take_panel_button_click;
}

PanelClickGuard::~PanelClickGuard() { g_form_hooks.click = saved_; }

// ---- navigation ----

void refind_panel_references() {
  HoverState& h = g_hover;
  DrawingItem* item = g_panel.panel_item;
  if (item == nullptr || item->extra.empty()) {
    h.hover_link = nullptr;
    h.highlighted_link = nullptr;
    return;
  }
  const int32_t n = item_link_count(item);
  if (h.hover_item == item) {
    h.link_index = std::clamp<int32_t>(h.link_index, 0, n - 1);
    h.hover_link = item_nodes(item) + h.link_index;
  }
  // Highlights drawn into the old block are forgotten: they are drawn again from the item.
  h.highlighted_link = nullptr;
  h.symmetry_line = nullptr;
  if (g_panel.panel_link >= n) g_panel.panel_link = static_cast<int16_t>(n - 1);
}

void link_panel_navigate(int code, int count) {
  PanelState& p = g_panel;
  DrawingItem* item = p.panel_item;
  const bool dual = item != nullptr && item_is_dual(item);
  switch (code) {
    case NAV_ADD_FRONT:
      clear_hover_hilite();
      if (item != nullptr && grow_node_array(item, -1) != nullptr) {
        refind_panel_references();
        p.panel_link = 0;
      }
      p.nav_direction = 0;
      break;
    case NAV_FIRST:
    case NAV_FIRST_LINK:
      p.panel_link = dual ? 2 : 0;
      p.nav_direction = 0;
      break;
    case NAV_HEADER:
      p.panel_link_saved = p.panel_link;
      p.panel_link = PANEL_HEADER;
      p.nav_direction = 0;
      break;
    case NAV_PREV:
      p.panel_link = static_cast<int16_t>(dual && p.panel_link == 2 ? 0 : p.panel_link - 1);
      p.nav_direction = 1;
      break;
    case NAV_NEXT:
      p.panel_link = static_cast<int16_t>(dual && p.panel_link == 0 ? 2 : p.panel_link + 1);
      p.nav_direction = 1;
      break;
    case NAV_ADD_END:
      clear_hover_hilite();
      if (item != nullptr && grow_node_array(item, 1) != nullptr) {
        ++g_hover.link_index;
        p.panel_link = static_cast<int16_t>(p.panel_link + 1);
        refind_panel_references();
      }
      p.nav_direction = 0;
      break;
    case NAV_LAST:
    case NAV_LAST_LINK:
      p.panel_link = static_cast<int16_t>(count - 1);
      p.nav_direction = 0;
      break;
    case NAV_SYMMETRY_LINE:
      p.panel_link = 0;
      p.nav_direction = 0;
      break;
    case NAV_DELETE_LINK: {
      const bool last = p.panel_link == count - 1;
      const bool first = p.panel_link == 0;
      if (item == nullptr || dual || count < 2 || !(first || last)) break;
      clear_hover_hilite();
      if (shrink_node_array(item, last ? 1 : -1) == nullptr) break;
      if (last) {
        p.panel_link = static_cast<int16_t>(p.panel_link - 1);
        if (g_hover.link_index > 0) --g_hover.link_index;
      }
      refind_panel_references();
      p.nav_direction = 0;
      break;
    }
    case NAV_GO_BACK:
      p.panel_link = p.panel_link_saved;
      p.nav_direction = 0;
      break;
    default: return;
  }
  p.panel_link_before = p.panel_link;
  const TextWindow* w = g_windows.active;
  p.reopen_field = static_cast<int16_t>(w != nullptr ? w->cursor_row : 0);
}

void remember_hovered_link() {
  const HoverState& h = g_hover;
  g_panel.panel_link_saved = static_cast<int16_t>(
      h.hover_item != nullptr && item_type(h.hover_item) == ITEM_POLYLINE ? h.link_index : -1);
}

void show_panel_buttons(const GeometryBlock* block) {
  const PanelState& p = g_panel;
  hide_strip_controls(STRIP_PANEL_FIRST, STRIP_PANEL_LAST, true);
  if (block == nullptr) return;
  const int n = block->link_count;
  const bool dual = (block_nodes(const_cast<GeometryBlock*>(block))[0].node_flags & NODE_DUAL) != 0;
  auto show = [](int id) { set_strip_control_shown(id, true); };
  if (p.panel_link == PANEL_HEADER) {
    if (p.panel_link_saved >= 0) {
      int shown = p.panel_link_saved + 1;
      if (dual) shown = p.panel_link_saved <= 1 ? 1 : p.panel_link_saved - 1;
      ScreenControl* c = page_strip_control(NAV_GO_BACK);
      if (c != nullptr)
        std::snprintf(c->caption, CONTROL_CAPTION_SIZE,
                      p.lock_on_header != 0 ? " Show link #%d" : " Go back to #%d", shown);
      show(NAV_GO_BACK);
    }
    if (dual) show(NAV_SYMMETRY_LINE);
    show(NAV_FIRST_LINK);
    show(NAV_LAST_LINK);
    show(NAV_LOCK_ON_HEADER);
    return;
  }
  show(NAV_HEADER);
  if (p.panel_link > 0) {
    show(NAV_FIRST);
    show(NAV_PREV);
  } else if (!dual && n >= 2) {
    show(NAV_ADD_FRONT);
  }
  if (p.panel_link < n - 1) {
    show(NAV_LAST);
    show(NAV_NEXT);
  } else if (!dual) {
    show(NAV_ADD_END);
  }
  if (!dual && n >= 2 && (p.panel_link == 0 || p.panel_link == n - 1)) show(NAV_DELETE_LINK);
}

void keep_closing_node_in_sync() {
  DrawingItem* item = g_panel.panel_item;
  if (item == nullptr || !item_is_closed(item)) return;
  const int n = item_link_count(item);
  const int first = item_is_dual(item) ? 2 : 0;
  if (g_panel.panel_link == first) sync_closing_node(item, SYNC_FIRST_TO_CLOSING);
  else if (g_panel.panel_link == n - 1) sync_closing_node(item, SYNC_CLOSING_TO_FIRST);
}

// ---- header edits ----

int set_panel_link_count(DrawingItem* item, int count, bool at_end) {
  const int n = item_link_count(item);
  if (count < 1 || count == n || item_is_dual(item)) return 0;
  clear_hover_hilite();
  LinkRecord* r = item_nodes(item);
  r[0].node_flags = static_cast<uint8_t>(r[0].node_flags & ~NODE_KIND_MASK);  // opened
  const int k = count - n;
  LinkRecord* done = k > 0 ? grow_node_array(item, at_end ? k : -k)
                           : shrink_node_array(item, at_end ? -k : k);
  if (done == nullptr) {
    show_text_box(LINK_COUNT_REFUSED_TEXT, TEXTBOX_PRESS_A_KEY);
    refind_panel_references();
    return -1;
  }
  r = item_nodes(item);
  if (k > 0) {
    // The new links are loose rigid lines that start where the item ended (or began).
    const int from = at_end ? n : 0, to = at_end ? count : k;
    const PointF at = at_end ? r[n].point : r[k].point;
    for (int i = from; i < to; ++i) {
      if (i > 0) r[i].node_flags = NODE_LOOSE;
      r[i].code = LINK_RIGID_LINE;
      r[i].point = at;
    }
    if (at_end) r[count].point = at;
  }
  renumber_nodes(item, -1);
  item_bounding_boxes(item);
  refind_panel_references();
  return 1;
}

int go_to_panel_link(int n) {
  DrawingItem* item = g_panel.panel_item;
  if (item == nullptr || n < 1) return 0;
  const bool dual = item_is_dual(item);
  const int link = dual ? n + 1 : n - 1;
  if (link >= item_link_count(item)) {
    show_text_box(GO_TO_LINK_REFUSED_TEXT, TEXTBOX_PRESS_A_KEY);
    return -1;
  }
  g_panel.panel_link = static_cast<int16_t>(link);
  g_panel.panel_link_before = g_panel.panel_link;
  g_panel.reopen_field = 4;
  return 1;
}

// ---- link edits ----

int set_link_type(LinkRecord* link, float code) {
  if (link->code == code) return 0;
  link->code = code;
  link_bounding_box(link);
  g_panel.panel_link_before = g_panel.panel_link;
  return 1;
}

void set_link_length_angle(DrawingItem* item, int link, double length, double angle) {
  LinkRecord* r = item_nodes(item) + link;
  const bool symmetry_line = item_is_dual(item) && link == 0;
  if (symmetry_line) {
    const double old = point_angle(&r->point, &r[1].point);
    const PointF pivot = r->point;
    rotate_item(item, &pivot, angle - old);
    r = item_nodes(item) + link;
  }
  polar_point(&r->point, length, angle, &r[1].point);
  item_bounding_boxes(item);
}

EventCode edit_node_kind(LinkRecord* node, int end) {
  PanelState& p = g_panel;
  HoverState& h = g_hover;
  uint8_t choice = 0;
  if (node != nullptr) {
    choice = (node->node_flags & NODE_TANGENT) != 0 ? 1 : 0;
    const uint8_t before = choice;
    const EventCode result = cycle_list_field("LT", &choice, 0, 8);
    if (result >= 0 || choice == before) return result;
  }
  const bool from_header = node == nullptr;
  DrawingItem* item = p.panel_item;
  if (from_header) node = item_nodes(item);
  h.link_index = from_header ? 0 : p.panel_link;
  clear_hover_hilite();
  if (!from_header && choice == 0 && p.panel_link > 0) {
    node->node_flags = NODE_LOOSE;
    return NODE_KIND_CHANGED;
  }
  // The node editor makes the node tangent (or closes the item through a loose node).
  h.hover_item = item;
  h.hover_link = item_nodes(item) + h.link_index;
  h.point_selector = end == 2 ? 2 : 0;
  h.pick_kind = 1;
  const int saved_x = g_pointer.wanted_x, saved_y = g_pointer.wanted_y;
  if (g_drawing_commands.node_edit_session != nullptr)
    g_drawing_commands.node_edit_session(choice == 1 ? 't' : 'l');
  else
    show_missing_command_notice();
  // The session leaves the edited item at the end of the list.
  if (g_lists.current.last != nullptr && !g_lists.current.last->extra.empty())
    p.panel_item = g_lists.current.last;
  h.hover_item = p.panel_item;
  h.pick_kind = 17;
  h.point_selector = 2;
  refind_panel_references();
  hilite_item_nodes(p.panel_item);
  g_pointer.wanted_x = saved_x;
  g_pointer.wanted_y = saved_y;
  if (from_header) p.panel_link = PANEL_HEADER;
  return NODE_KIND_CHANGED;
}

void reset_panel_state() { g_panel = PanelState{}; }
