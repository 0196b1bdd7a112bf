#include "editor/editor_page.h"

#include <algorithm>
#include <cctype>

#include "cam/make_nc.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/draw_style.h"
#include "editor/drawing_page_state.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_event.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/page_strip.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/line_list.h"
#include "text/text_items.h"
#include "ui/page_entries.h"
#include "ui/picture_menu.h"
#include "ui/placeholder_page.h"
#include "ui/text_window.h"
#include "store/picture_numbers.h"

namespace {

constexpr EventCode KEY_CTRL_O = 591;
constexpr EventCode KEY_CTRL_S = 595;
constexpr EventCode KEY_F8 = 322;
constexpr EventCode KEY_F9 = 323;
constexpr uint32_t SAVE_FROM_DRAWING_PAGE = 0x80000;
constexpr uint8_t HOVER_DELAY_MOST = 5;
constexpr uint8_t JOB_CHANGED_PATHS_CLEARED = 2;

enum class Pass { NONE, SHORT, FULL };

// The drawing-tool menu the right button opens at the pointer: the chosen tool goes to the left
// button, or to the middle button when chosen with it.
void choose_tool_from_menu() {
  const int cell = picture_grid_menu(PICTURE_DRAWING_TOOLS_MENU, 4, 4, g_pointer.wanted_x,
                                     g_pointer.wanted_y, 1, 0, 0);
  g_form.redraw_level = 1;
  if (cell < 0) return;
  const int button = (cell & PICTURE_MENU_MIDDLE) != 0 ? BUTTON_MIDDLE_BIT : BUTTON_LEFT_BIT;
  g_button_bindings.drawing[button] = static_cast<int16_t>(COMMAND_SELECT_TOOL + (cell & 31));
}

void full_pass() {
  DrawingPageState& page = g_drawing_page;
  HoverState& h = g_hover;
  h.hover_item = nullptr;
  h.pick_kind = 0;
  redraw_incremental(REDRAW_STOP);
  if (g_job_settings.text_items_ready == 0) {
    prepare_text_items();
    g_job_settings.text_items_ready = 1;
    page.extents_request = 1;
  }
  if (page.extents_request != 0) {
    page.extents_request = 0;
    compute_extents();
  }
  if (g_job_settings.view_fitted == VIEW_FITTED) {
    set_view_to_extents();
    zoom_by(VIEW_FIT_FILL);
    pan_to_window(0);
  }
  update_cursor_point();
  hide_pointer();
  reset_drawing_screen(1);
  show_grid_state(0);
  page.full_redraw = 0;
  g_job_settings.view_fitted = VIEW_KEPT;
  h.pick_mode = PICK_MODE_LINKS | PICK_MODE_ITEM_MARKERS | PICK_MODE_ITEMS;
  clear_window_drawing_bits();
}

// The short pass: redraw requests, a resize, the quit flag. False when the page is to be left.
bool short_pass() {
  DrawingPageState& page = g_drawing_page;
  if (g_form.resize_pending != RESIZE_NONE) {
    set_display_mode(g_interface.display_choice);
    g_form.resize_pending = RESIZE_NONE;
    layout_page_tab_strip();
    layout_paint_boxes();
    fit_scale();
    page.redraw_request = 1;
  }
  if (page.extents_request != 0) {
    page.extents_request = 0;
    compute_extents();
  }
  if (g_form.redraw_level != 0 || page.redraw_request != 0 || page.full_redraw != 0 ||
      g_page_requests.redraw != 0) {
    g_form.redraw_level = 0;
    page.redraw_request = 0;
    page.full_redraw = 0;
    g_page_requests.redraw = 0;
    hide_pointer();
    reset_drawing_screen(1);
    update_cursor_point();
  } else if (page.page_redraw_flag != 0) {
    page.page_redraw_flag = 0;
    reset_drawing_screen(0);
  }
  return placeholder_page_quit() == 0;
}

// Nothing under the cursor: the page record with "Menu: New Item" on the right, and the left
// tool's pointer picture.
void nothing_hovered() {
  ButtonBindings& b = g_button_bindings;
  DrawingPageState& page = g_drawing_page;
  if (b.current != b.drawing || b.drawing[BUTTON_RIGHT_BIT] != COMMAND_DRAWING_RIGHT ||
      page.legend_changed != 0) {
    use_button_record(b.drawing);
    b.drawing[BUTTON_RIGHT_BIT] = COMMAND_DRAWING_RIGHT;
    draw_button_legend(1);
    show_key_hints();
    page.legend_changed = 0;
  }
  page.editor_pointer_shape = static_cast<uint8_t>(tool_pointer_picture(b.drawing[BUTTON_LEFT_BIT]));
  // With the pointer-crosshair switch the crosshair is the picture over an empty spot.
  const int16_t shape = g_preferences.pointer_crosshair != 0 ? POINTER_CROSSHAIR
                                                             : page.editor_pointer_shape;
  if (g_pointer.shape != shape) set_pointer_shape(shape);
  redraw_incremental(REDRAW_CONTINUE);
}

// Something under the cursor: the pointer says what a click would do.
void item_hovered() {
  ButtonBindings& b = g_button_bindings;
  HoverState& h = g_hover;
  show_key_hints();
  show_node_info(1);
  const int16_t left = b.drawing[BUTTON_LEFT_BIT];
  if (left >= 751 && left <= 765) {
    h.hover_shape = static_cast<uint8_t>(tool_pointer_picture(left));
    const int16_t right = h.pick_kind > 2 ? COMMAND_NODE_MENU_LINK : COMMAND_NODE_MENU_NODE;
    if (b.current != b.drawing || b.drawing[BUTTON_RIGHT_BIT] != right) {
      use_button_record(b.drawing);
      b.drawing[BUTTON_RIGHT_BIT] = right;
      draw_button_legend(1);
    }
  } else {
    if (b.current != b.node_editor || b.node_editor[BUTTON_RIGHT_BIT] != COMMAND_NODE_EDITOR_RIGHT) {
      use_button_record(b.node_editor);
      b.node_editor[BUTTON_RIGHT_BIT] = COMMAND_NODE_EDITOR_RIGHT;
      draw_button_legend(1);
    }
    h.hover_shape = h.pick_kind == PICK_CENTRE                ? 51
                    : h.pick_kind > 2                         ? 52
                    : h.link_index == 0 && h.pick_kind == 1 ? 49
                                                              : 48;
  }
  g_drawing_page.editor_pointer_shape = h.hover_shape;
  set_pointer_shape(h.hover_shape);
  move_pointer();
  redraw_incremental(REDRAW_CONTINUE);
}

void after_search(int found) {
  if (found > 0) {
    if (found < EVENT_LEFT_UP || found > EVENT_RIGHT_UP) {
      push_input_code_front(static_cast<EventCode>(found));
      return;
    }
    found = 0;
  }
  if (found == 0) nothing_hovered();
  else item_hovered();
}

// The tick: a hover that still stands lets the resumable redraw go on; otherwise the hover is
// looked for again.
void page_tick() {
  const int still = hover_still_valid();
  if (still == 1) {
    redraw_incremental(REDRAW_CONTINUE);
    return;
  }
  if (still == -1) {
    after_search(pick_under_crosshairs());
    return;
  }
  page_hover_refresh();
}

void zoom_to_highlighted_or_all() {
  ViewState& v = g_view;
  const LinkRecord* link = g_hover.highlighted_link;
  if (link == nullptr) {
    g_job_settings.view_fitted = VIEW_FITTED;
    return;
  }
  v.zoom_corner_1 = link->box_min;
  v.zoom_corner_2 = link->box_max;
  zoom_window();
  zoom_by(0.33f);
  g_job_settings.view_fitted = VIEW_KEPT;
}

void repeat_zoom(EventCode key) { repeat_zoom_while_held(key, nullptr); }

Pass control_clicked() {
  const int id = hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y);
  switch (id) {
    case STRIP_AXIS_LOCK: cycle_axis_lock(1); return Pass::SHORT;
    case STRIP_GRID: show_grid_state(1); return Pass::SHORT;
    case STRIP_ZOOM_IN: repeat_zoom(KEY_PGUP); return Pass::SHORT;
    case STRIP_ZOOM_OUT: repeat_zoom(KEY_PGDN); return Pass::SHORT;
    case STRIP_TO_ALL: g_job_settings.view_fitted = VIEW_FITTED; return Pass::FULL;
    case STRIP_PAN:
      while (g_pointer.button_bits != 0 && g_form.redraw_level == 0) pan_by_drag();
      return Pass::SHORT;
    case STRIP_REDRAW: return Pass::FULL;
    case STRIP_NO_FLICKER: {
      toggle_no_flicker();
      ScreenControl* c = page_strip_control(STRIP_NO_FLICKER);
      if (c != nullptr) {
        c->flags ^= CF_CHECKED;
        draw_controls(c, 1);
      }
      return Pass::SHORT;
    }
    default: return Pass::SHORT;
  }
}

void open_a_job() {
  if (g_page_entries.open_job == nullptr) return;
  hide_pointer();
  hide_crosshair();
  close_item_panel();
  g_page_entries.open_job(nullptr);
  g_drawing_page.extents_request = 1;
  g_form.redraw_level = 1;
}

// One event of the page: the pass that follows, or NONE to read the next event at once.
Pass dispatch(EventCode code) {
  if (code > 0 && code <= 90) code = static_cast<EventCode>(std::tolower(code));
  switch (code) {
    case 0:
    case EVENT_LEFT_UP:
    case EVENT_MIDDLE_UP:
    case EVENT_RIGHT_UP:
    case EVENT_POINTER_MOVE: return Pass::SHORT;
    case KEY_TAB:
    case ' ':
      if (g_hover.hover_item == nullptr) return Pass::NONE;
      clear_hover_hilite();
      after_search(pick_under_crosshairs());
      return Pass::NONE;
    case 'a': g_job_settings.view_fitted = VIEW_FITTED; return Pass::FULL;
    case 'z': zoom_to_highlighted_or_all(); return Pass::FULL;
    case KEY_UP:
    case KEY_DOWN:
    case KEY_LEFT:
    case KEY_RIGHT:
    case KEY_PGUP:
    case KEY_PGDN:
      view_keys(code);
      g_job_settings.view_fitted = VIEW_KEPT;
      return Pass::FULL;
    case KEY_F8: cycle_axis_lock(1); return Pass::SHORT;
    case KEY_F9: show_grid_state(1); return Pass::SHORT;
    case EVENT_REDRAW_REQUEST: g_drawing_page.redraw_request = 1; return Pass::SHORT;
    case EVENT_TICK: page_tick(); return Pass::NONE;
    case KEY_CTRL_O: open_a_job(); return Pass::FULL;
    case KEY_CTRL_S:
      if (g_page_entries.save_job != nullptr) g_page_entries.save_job(SAVE_FROM_DRAWING_PAGE);
      g_form.redraw_level = 1;
      return Pass::SHORT;
    case EVENT_CONTROL_CLICKED: return control_clicked();
    case COMMAND_DRAWING_RIGHT:
      hide_pointer();
      hide_crosshair();
      close_item_panel();
      choose_tool_from_menu();
      return Pass::SHORT;
    case EVENT_REDRAW:
    case VIEW_REDRAW_ONLY: g_form.redraw_level = 1; return Pass::SHORT;
    case KEY_ESC:
    case KEY_ALT_F: {
      // The page's main and File menus; the page is drawn again under them.
      hide_pointer();
      hide_crosshair();
      close_item_panel();
      if (placeholder_page_event(PAGE_DRAWING, code) == EVENT_REDRAW) g_form.redraw_level = 1;
      update_cursor_point();
      return Pass::SHORT;
    }
    default: return Pass::SHORT;
  }
}

void editor_command_loop() {
  Pass pass = Pass::FULL;
  for (;;) {
    if (pass == Pass::FULL) full_pass();
    if (pass != Pass::NONE && !short_pass()) return;
    const EventCode code = drawing_page_event();
    if (code == CANVAS_PAGE_CHOSEN) return;
    if (code == EVENT_QUIT && !short_pass()) return;
    pass = dispatch(code);
  }
}

// Items whose type byte is 0 are not drawing items: they do not stay in the drawing list.
void delete_untyped_lines() {
  TextLine* line = g_lists.current.first;
  while (line != nullptr) {
    TextLine* next = line->next;
    if (line->kind == 0) delete_line(line);
    line = next;
  }
  store_window_state();
}

}  // namespace

void purge_empty_texts() {
  TextLine* line = g_lists.current.first;
  while (line != nullptr) {
    TextLine* next = line->next;
    if (line->kind == ITEM_TEXT && line->text.empty()) delete_line(line);
    line = next;
  }
  store_window_state();
}

void page_hover_refresh() {
  clear_hover_hilite();
  g_hover.hover_item = nullptr;
  g_hover.pick_kind = 0;
  update_cursor_point();
  after_search(pick_under_crosshairs());
}

EventCode editor_page_entry() {
  set_pointer_shape(POINTER_ARROW);
  ViewState& v = g_view;
  ++v.drawing_page_active;
  uint8_t& delay = g_preferences.drawing.hover_delay;
  if (delay > HOVER_DELAY_MOST || delay == 0) delay = 1;
  if (g_display.drawing_area_bottom <= 0) layout_page_tab_strip();
  layout_paint_boxes();
  show_grid_state(-1);
  if (ScreenControl* c = page_strip_control(STRIP_NO_FLICKER)) {
    if (g_preferences.drawing.no_flicker != 0) c->flags |= CF_CHECKED;
    else c->flags &= ~CF_CHECKED;
  }
  g_tab_strip.active = PAGE_DRAWING;
  purge_empty_texts();
  g_drawing_page.panel_item = nullptr;
  g_hover.hover_item = nullptr;
  editor_command_loop();
  close_item_panel();
  --v.drawing_page_active;
  select_paint_box();
  delete_untyped_lines();
  // Stale tool paths are dropped on leaving: the job counts as changed with them cleared.
  if ((g_job_settings.job_changed & JOB_CHANGED) != 0) {
    g_job_settings.job_changed = JOB_CHANGED_PATHS_CLEARED;
    clear_tool_path();
  }
  const PointF cursor = g_hover.cursor_point;
  reset_hover_state();
  g_hover.cursor_point = cursor;
  if (g_lists.current.first == nullptr) {
    new_text_item();
    store_window_state();
  }
  use_button_record(g_button_bindings.drawing);
  return KEY_ESC;
}
