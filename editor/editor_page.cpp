#include "editor/editor_page.h"

#include <cstdio>

#include "cam/make_nc.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/context_pictures.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_command.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/item_inspector.h"
#include "editor/marks.h"
#include "editor/page_keys.h"
#include "editor/page_event.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/page_strip.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/layers.h"
#include "job/job_file.h"
#include "platform/window.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/timer.h"
#include "store/line_list.h"
#include "text/text_items.h"
#include "ui/page_entries.h"
#include "ui/placeholder_page.h"
#include "ui/text_window.h"

namespace {

constexpr uint8_t HOVER_DELAY_MOST = 5;
constexpr uint32_t HOVER_PERIOD_MS = 55;
constexpr uint8_t JOB_CHANGED_PATHS_CLEARED = 2;
constexpr uint8_t POINTER_PAGE = 1;
constexpr char GLYPH_CHANGED = '&';
constexpr char GLYPH_UNCHANGED = 'A';
constexpr int16_t FIRST_DRAWING_TOOL = 753;
constexpr int16_t LAST_DRAWING_TOOL = 765;
constexpr int16_t FIRST_PAGE_TOOL = 751;
constexpr int TOOL_START_COLUMNS = 32;
constexpr int16_t POLYGON_TOOL = 761;
// A trailing text item the Engraving list added while the Drawing page was not active.
constexpr uint8_t ITEM_FLAG_TRAILING_TEXT = 0x20;

// The start prompt of each drawing tool 753-765 ("" for the tools that have none).
const char* const TOOL_START_PROMPTS[] = {
    "Start measuring from...",     "Put text upper left at...",   "Start rectangle from...",
    "Put center of circle at...",  "Put start point of arc at...", "",
    "Start polyline from...",      "Start spline from...",        "Put center of polygon at...",
    "",                            "Put a point at...",           "Put center of ellipse at...",
    "Put one end of slot at...",
};

bool redraw_wanted() {
  return g_form.redraw_level != 0 || g_drawing_page.full_redraw != 0 ||
         g_windows.full_redraw_count != 0;
}

// The current layer for new items must be one that is shown.
void keep_current_layer_visible() {
  uint8_t& layer = g_drawing_page.current_layer;
  if (layer < LAYER_USER_COUNT && g_layers.visibility[layer] != 0) return;
  layer = static_cast<uint8_t>(first_visible_layer());
  show_layer_indicator();
}

// The "File" caption carries & while the job is changed, A otherwise; drawn only on a change.
void show_job_changed_glyph() {
  ScreenControl* c = page_strip_control(STRIP_FILE);
  if (c == nullptr) return;
  const bool changed = g_job_settings.job_changed != 0;
  if (changed) auto_save_job(g_clock.ticks);
  const char glyph = changed ? GLYPH_CHANGED : GLYPH_UNCHANGED;
  char* end = c->caption + std::char_traits<char>::length(c->caption);
  if (end == c->caption || end[-1] == glyph) return;
  end[-1] = glyph;
  if ((c->flags & CF_HIDDEN) == 0) draw_controls(c, 1);
}

void drop_stale_tool_paths() {
  if ((g_job_settings.job_changed & JOB_CHANGED) == 0) return;
  g_job_settings.job_changed = JOB_CHANGED_PATHS_CLEARED;
  clear_tool_path();
}

// Steps a to f of a pass: prompt, hover, text preparation, extents and view, the drawing.
void full_pass() {
  DrawingPageState& page = g_drawing_page;
  HoverState& h = g_hover;
  show_tool_start_prompt();
  keep_current_layer_visible();
  h.hover_item = nullptr;
  h.pick_kind = 0;
  g_edit.selection_mask = EDIT_SELECT_MARKED;
  show_marks_control();
  if (g_interface.display_choice == 0) set_strip_control_shown(STRIP_MARKS, false);
  redraw_incremental(REDRAW_STOP);
  report_geometry_fault();
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
  if (g_windows.full_redraw_count != 0 && g_form.redraw_level == 0) g_form.redraw_level = 1;
  if (g_form.redraw_level == 0) {
    redraw_drawing();
    draw_button_legend(0);
  }
  page.full_redraw = 0;
  if (page.pending_code < PAGE_PENDING_STRAIGHTEN) show_grid_state(0);
  g_job_settings.view_fitted = VIEW_KEPT;
  h.pick_mode = PICK_MODE_LINKS | PICK_MODE_ITEM_MARKERS | PICK_MODE_ITEMS;
  clear_window_drawing_bits();
}

// Steps g to i: tool paths, extents, the "File" glyph, a resize, redraw requests, the quit.
// False when the page is to be left.
bool short_pass() {
  DrawingPageState& page = g_drawing_page;
  drop_stale_tool_paths();
  if (page.extents_request != 0) {
    page.extents_request = 0;
    compute_extents();
  }
  show_job_changed_glyph();
  if (g_form.resize_pending != RESIZE_NONE) {
    set_display_mode(g_interface.display_choice);
    g_form.resize_pending = RESIZE_NONE;
    layout_page_tab_strip();
    layout_paint_boxes();
    page.redraw_request = 1;
  }
  if (g_form.redraw_level != 0 || page.redraw_request != 0 || page.full_redraw != 0 ||
      g_page_requests.redraw != 0 || g_windows.full_redraw_count != 0) {
    if (g_form.redraw_level >= 109 && g_form.redraw_level <= 126) fit_scale();
    if (g_preferences.drawing.side_panel != 0) show_zoom_panel();
    g_form.redraw_level = 0;
    page.redraw_request = 0;
    page.full_redraw = 0;
    g_page_requests.redraw = 0;
    g_windows.full_redraw_count = 0;
    hide_pointer();
    reset_drawing_screen(1);
    update_cursor_point();
  }
  if (g_events.quit_requested) {
    g_events.quit_requested = false;
    // Without the job host's question the quit stands as asked.
    const int answer = g_page_entries.request_quit != nullptr ? g_page_entries.request_quit()
                                                              : KEY_ESC;
    if (answer != 0) {
      g_preferences.current_page |= PAGE_QUIT;
      return false;
    }
    g_form.redraw_level = 1;
    return short_pass();
  }
  if (page.page_redraw_flag != 0) {
    page.page_redraw_flag = 0;
    reset_drawing_screen(0);
  }
  return true;
}

EventCode next_code() {
  DrawingPageState& page = g_drawing_page;
  if (page.pending_code != 0) {
    const EventCode code = page.pending_code;
    page.pending_code = 0;
    return code;
  }
  page.hover_deadline_ms =
      clock_now_ms() + HOVER_PERIOD_MS * static_cast<uint32_t>(g_preferences.drawing.hover_delay);
  return drawing_page_event();
}

// Nothing under the cursor: the page record with "Menu: New Item" on the right, and the left
// tool's pointer picture.
PagePass nothing_hovered() {
  ButtonBindings& b = g_button_bindings;
  DrawingPageState& page = g_drawing_page;
  const bool switched = b.current != b.drawing || b.drawing[BUTTON_RIGHT_BIT] != COMMAND_DRAWING_RIGHT;
  if (switched) {
    use_button_record(b.drawing);
    b.drawing[BUTTON_RIGHT_BIT] = COMMAND_DRAWING_RIGHT;
    draw_button_legend(1);
    show_key_hints();
  }
  if (switched || page.legend_changed != 0) {
    close_item_panel();
    if (g_preferences.drawing.side_panel != 0) show_zoom_panel();
  }
  page.legend_changed = 0;
  page.editor_pointer_shape = static_cast<uint8_t>(tool_pointer_picture(b.drawing[BUTTON_LEFT_BIT]));
  const int16_t shape = g_preferences.pointer_crosshair != 0 ? POINTER_CROSSHAIR
                                                             : page.editor_pointer_shape;
  if (g_pointer.shape != shape) set_pointer_shape(shape);
  return redraw_incremental(REDRAW_CONTINUE) != 0 ? PagePass::NONE : PagePass::SHORT;
}

// The machining panel follows the hovered item and link while the side panel is on.
void follow_with_cam_panel() {
  DrawingPageState& page = g_drawing_page;
  const HoverState& h = g_hover;
  if (g_preferences.drawing.side_panel == 0 || g_drawing_commands.show_cam_panel == nullptr) return;
  if (page.panel_item == h.hover_item && page.panel_link_index == h.link_index) return;
  page.panel_item = h.hover_item;
  page.panel_link_index = h.link_index;
  g_drawing_commands.show_cam_panel(h.hover_item, 1);
}

// Something under the cursor: the pointer says what a click would do.
PagePass item_hovered() {
  ButtonBindings& b = g_button_bindings;
  HoverState& h = g_hover;
  DrawingPageState& page = g_drawing_page;
  show_node_info(1);
  hide_zoom_panel();
  show_key_hints();
  const int16_t left = b.drawing[BUTTON_LEFT_BIT];
  if (left >= FIRST_PAGE_TOOL && left <= LAST_DRAWING_TOOL) {
    h.hover_shape = static_cast<uint8_t>(tool_pointer_picture(left));
    page.editor_pointer_shape = h.hover_shape;
    follow_with_cam_panel();
    use_button_record(b.drawing);
    b.drawing[BUTTON_RIGHT_BIT] = h.pick_kind > 2 ? COMMAND_NODE_MENU_LINK : COMMAND_NODE_MENU_NODE;
    draw_button_legend(1);
  } else {
    if (b.current != b.node_editor) {
      use_button_record(b.node_editor);
      b.node_editor[BUTTON_RIGHT_BIT] = COMMAND_NODE_EDITOR_RIGHT;
      draw_button_legend(1);
    } else {
      if (h.hover_item != nullptr && item_type(h.hover_item) == ITEM_POLYLINE &&
          g_panel.lock_on_header == 0 && page.panel_link_index != h.link_index) {
        page.panel_link_index = h.link_index;
        page.panel_item = nullptr;
      }
      if (b.node_editor[BUTTON_RIGHT_BIT] != COMMAND_NODE_EDITOR_RIGHT) {
        b.node_editor[BUTTON_RIGHT_BIT] = COMMAND_NODE_EDITOR_RIGHT;
        draw_button_legend(1);
      }
    }
    follow_with_cam_panel();
    page.editor_pointer_shape = choose_context_picture();
  }
  set_pointer_shape(h.hover_shape);
  move_pointer();
  return redraw_incremental(REDRAW_CONTINUE) != 0 ? PagePass::NONE : PagePass::SHORT;
}

// What the hover search found: an input code that arrived meanwhile, nothing, or an item.
PagePass after_search(int found) {
  if (found > 0 && (found < EVENT_LEFT_UP || found > EVENT_RIGHT_UP)) {
    push_input_code_front(static_cast<EventCode>(found));
    if (g_drawing_page.panel_item != nullptr) close_item_panel();
    return PagePass::NONE;
  }
  if (found >= 0) return nothing_hovered();
  return item_hovered();
}

}  // namespace

// ---- the page strip ----

void show_layer_indicator() {
  ScreenControl* c = page_strip_control(STRIP_LAYER);
  if (c == nullptr) return;
  std::snprintf(c->caption, sizeof c->caption, "L: %3d ", g_drawing_page.current_layer);
  if ((c->flags & CF_HIDDEN) == 0) draw_controls(c, 1);
}

void show_tool_start_prompt() {
  ScreenControl* c = page_strip_control(STRIP_TOOL_START);
  if (c == nullptr) return;
  c->flags |= STRIP_HIDDEN;
  draw_controls(c, 1);
  const DrawingItem* first = g_lists.current.first;
  const bool lone_blank = first != nullptr && first->next == nullptr && item_flags(first) == 0;
  const int16_t left = g_button_bindings.drawing[BUTTON_LEFT_BIT];
  if (first == nullptr || lone_blank || left < FIRST_DRAWING_TOOL || left > LAST_DRAWING_TOOL)
    return;
  const char* prompt = TOOL_START_PROMPTS[left - FIRST_DRAWING_TOOL];
  const int length = static_cast<int>(std::char_traits<char>::length(prompt));
  if (length == 0) return;
  std::snprintf(c->caption, sizeof c->caption, "%s", prompt);
  c->width = static_cast<int16_t>(length);
  c->column = static_cast<int16_t>((TOOL_START_COLUMNS - length) / 2 - TOOL_START_COLUMNS);
  c->flags &= ~STRIP_HIDDEN;
  draw_controls(c, 1);
}

void show_zoom_panel() {
  for (int id : {STRIP_ZOOM_LABEL, STRIP_ZOOM_IN, STRIP_ZOOM_OUT, STRIP_TO_WINDOW, STRIP_TO_ALL,
                 STRIP_SET_CENTRE, STRIP_PAN, STRIP_REDRAW, STRIP_NO_FLICKER}) {
    ScreenControl* c = page_strip_control(id);
    if (c == nullptr) continue;
    c->flags &= ~STRIP_HIDDEN;
    draw_controls(c, 1);
  }
  show_tool_start_prompt();
}

void hide_zoom_panel() {
  for (int id : {STRIP_ZOOM_LABEL, STRIP_ZOOM_IN, STRIP_ZOOM_OUT, STRIP_TO_WINDOW, STRIP_TO_ALL,
                 STRIP_SET_CENTRE, STRIP_PAN, STRIP_REDRAW, STRIP_TOOL_START, STRIP_NO_FLICKER}) {
    ScreenControl* c = page_strip_control(id);
    if (c != nullptr) c->flags |= STRIP_HIDDEN;
  }
}

// ---- the loop ----

PagePass page_hover_refresh() {
  clear_hover_hilite();
  g_hover.hover_item = nullptr;
  g_hover.pick_kind = 0;
  update_cursor_point();
  return after_search(pick_under_crosshairs());
}

PagePass page_tick() {
  const int still = hover_still_valid();
  if (still == 1)
    return redraw_incremental(REDRAW_CONTINUE) != 0 ? PagePass::NONE : PagePass::SHORT;
  if (still == 0) {
    if (g_drawing_page.panel_item != nullptr && clock_now_ms() < g_drawing_page.hover_deadline_ms) {
      redraw_incremental(REDRAW_CONTINUE);
      return PagePass::NONE;
    }
    return page_hover_refresh();
  }
  return after_search(pick_under_crosshairs());
}

PagePass hand_to_edit_command(int code) {
  DrawingPageState& page = g_drawing_page;
  ButtonBindings& b = g_button_bindings;
  if (code > 5000) return PagePass::SHORT;
  use_button_record(b.node_editor);
  page.editor_pointer_shape = 0;
  edit_command(code);
  store_window_state();
  if (page.go_to_point != 0) {
    page.go_to_point = 0;
    const ViewState& v = g_view;
    const PointF p = g_hover.cursor_point;
    if (p.x < v.view_left || p.x > v.view_right || p.y < v.view_bottom || p.y > v.view_top) {
      centre_view_on(p);
      if (g_form.redraw_level == 0) g_form.redraw_level = 1;
    }
  }
  return after_command();
}

PagePass after_command() {
  DrawingPageState& page = g_drawing_page;
  while (poll_input_code(0) != 0) {
  }
  // With the side panel off there is no side area to clear.
  if (g_preferences.drawing.side_panel != 0) {
    help_box_text(nullptr);
    page.legend_changed = 1;
  }
  page.panel_item = nullptr;
  g_edit.command_mark = 0;
  use_button_record(g_button_bindings.drawing);
  hide_pointer();
  sync_pointer_to_cursor();
  if (!redraw_wanted() && page.redraw_request == 0) redraw_incremental(REDRAW_START);
  page.pending_code = PAGE_PENDING_AFTER_COMMAND;
  return PagePass::SHORT;
}

int editor_command_loop() {
  PagePass pass = PagePass::FULL;
  for (;;) {
    if (pass == PagePass::HOVER) {
      pass = page_hover_refresh();
      continue;
    }
    if (pass == PagePass::FULL) full_pass();
    if (pass != PagePass::NONE && !short_pass()) break;
    const EventCode code = next_code();
    if (code == CANVAS_PAGE_CHOSEN) break;
    if (code == EVENT_QUIT) {
      pass = PagePass::SHORT;
      continue;
    }
    // A code read while a redraw is pending is dropped.
    if (g_form.redraw_level != 0) {
      pass = PagePass::SHORT;
      continue;
    }
    pass = dispatch_page_code(code);
  }
  DrawingPageState& page = g_drawing_page;
  page.active = 0;
  // Items whose type byte is 0 are not drawing items: they do not stay in the drawing list.
  for (TextLine* line = g_lists.current.first; line != nullptr;) {
    TextLine* next = line->next;
    if (line->kind == 0) delete_line(line);
    line = next;
  }
  store_window_state();
  set_colour_base(0);
  drop_stale_tool_paths();
  return 0;
}

void purge_empty_texts() {
  TextLine* line = g_lists.current.first;
  while (line != nullptr) {
    TextLine* next = line->next;
    if (line->kind == ITEM_TEXT && line->text.empty()) delete_line(line);
    line = next;
  }
  store_window_state();
}

void ensure_trailing_text_item() {
  LineList& list = g_lists.current;
  if (list.first == nullptr) new_text_item();
  const DrawingItem* last = list.last;
  const bool two_or_more = list.first != nullptr && list.first != list.last;
  if (two_or_more && last != nullptr && !last->text.empty() && last->text[0] == '\n') return;
  DrawingItem* added = new_text_item();
  if (added == nullptr || g_drawing_page.active != 0) return;
  set_item_flags(added, item_flags(added) | ITEM_FLAG_TRAILING_TEXT);
  if (added->prev != nullptr) {
    set_item_flags(added->prev, item_flags(added->prev) | ITEM_FLAG_TRAILING_TEXT);
    g_drawing_page.full_redraw = 1;
  }
}

EventCode editor_page_entry() {
  DrawingPageState& page = g_drawing_page;
  set_pointer_shape(POINTER_PAGE);
  ++g_view.drawing_page_active;
  page.active = 1;
  uint8_t& delay = g_preferences.drawing.hover_delay;
  if (delay > HOVER_DELAY_MOST || delay == 0) delay = 1;
  if (g_display.drawing_area_bottom <= 0) layout_page_tab_strip();
  layout_paint_boxes();
  if (ScreenControl* c = page_strip_control(STRIP_APPEND)) {
    if (page.append_mode != 0) c->flags |= CF_CHECKED;
    else c->flags &= ~CF_CHECKED;
  }
  show_lock_on_header_check();
  show_polygon_sides();
  set_strip_control_shown(STRIP_SIDES,
                          g_button_bindings.drawing[BUTTON_LEFT_BIT] == POLYGON_TOOL);
  show_marks_control();
  show_grid_state(-1);
  if (ScreenControl* c = page_strip_control(STRIP_NO_FLICKER)) {
    if (g_preferences.drawing.no_flicker != 0) c->flags |= CF_CHECKED;
    else c->flags &= ~CF_CHECKED;
  }
  page.page_redraw_flag = 1;
  g_tab_strip.active = PAGE_DRAWING;
  purge_empty_texts();
  page.panel_item = nullptr;
  g_hover.hover_item = nullptr;
  editor_command_loop();
  close_item_panel();
  --g_view.drawing_page_active;
  select_paint_box();
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

void reset_drawing_page() {
  reset_drawing_page_state();
  reset_edit_session();
  reset_help_stack();
}
