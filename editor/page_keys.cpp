#include "editor/page_keys.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cam/machining_order.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/context_pictures.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_command.h"
#include "editor/edit_session.h"
#include "editor/editor_page.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/image_commands.h"
#include "editor/marks.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/page_strip.h"
#include "editor/point_picking.h"
#include "editor/selection_mode.h"
#include "editor/rubber_box.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/contour_kernel.h"
#include "geometry/drawing_item.h"
#include "geometry/layers.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "editor/font_picker.h"
#include "text/stroke_fonts.h"
#include "ui/entry_line.h"
#include "ui/layer_list.h"
#include "ui/message_box.h"
#include "ui/page_entries.h"
#include "ui/text_window.h"

namespace {

constexpr EventCode CODE_LOWER_CASE_LAST = 90;
constexpr int16_t NEW_ITEM_ORDER_RAISE = 10000;
// The tool-path engine's own fault bit beside the kernel's self-crossing.
constexpr int32_t ENGINE_STATUS_ENGINE_FAULT = 0x80;
// The display toggles the event reader handles itself come back as these.
constexpr EventCode KEY_CTRL_D = KEY_CTRL_BASE + 'D';
constexpr EventCode KEY_CTRL_G = KEY_CTRL_BASE + 'G';
constexpr int16_t TOOL_SELECT = 750;
constexpr int16_t TOOL_MEASURE = 753;
constexpr int16_t TOOL_TEXT = 754;
constexpr int16_t RIGHT_FIRST = 766;
constexpr int16_t RIGHT_LAST = 768;
constexpr int16_t NODE_RIGHT_LINK = 850;
constexpr int16_t NODE_RIGHT = 851;
constexpr int16_t NODE_FIRST = 802;
constexpr int16_t NODE_LAST = 840;
constexpr int OPTION_HELP = 7;
constexpr int OPTION_NEW_JOB = 32;
constexpr int OPTION_ZOOM_WINDOW = 107;
constexpr int OPTION_SET_CENTRE = 121;
constexpr int OPTION_FUSE = 177;
constexpr int FILE_OPTION_F4 = 11;
constexpr uint32_t SAVE_FROM_DRAWING_PAGE = 0x80000;
constexpr uint32_t ERROR_STYLE = TEXTBOX_PRESS_A_KEY;
constexpr float ZOOM_POINT_SHARE = 0.05f;
constexpr float LINK_ZOOM_OUT = 0.33f;
constexpr int GO_TO_ROW = 12;
constexpr int GO_TO_WIDTH = 40;
constexpr int GO_TO_FIELD = 18;
constexpr int Z_FIELD = 18;
constexpr int Z_BOX_WIDTH = 60;
constexpr int32_t BOX_MODE_KEY_TEXT = 0x60002;
constexpr int32_t BOX_MODE_SYMBOL = 0x20003;
// The buttons while a list or a menu of the page is open.
constexpr int16_t MENU_SELECT = 992;
constexpr int16_t MENU_NOTHING = 997;
constexpr int16_t MENU_CANCEL = 994;
// Lists opened under the page strip stand with their top at row 5 (place_window's -6).
constexpr int LIST_UNDER_STRIP_ROW = -6;
constexpr int32_t MARK_WINDOW_MODE = 0x40004;
constexpr uint8_t POINTER_PLACE_TEXT = 33;
constexpr uint8_t POINTER_SYMBOL = 34;
constexpr int SIDES_FIRST = 3;
constexpr int SIDES_LIST_MOST = 12;
constexpr int SIDES_MOST = 500;
constexpr int SIDES_LIST_ROW = -6;
constexpr int SNAP_FOR_TOOL = 9;
constexpr char PLACE_TEXT_PROMPT[] = "Place text in drawing and set its size";
constexpr char PLACE_SYMBOL_PROMPT[] = "Place symbol in drawing and set its size";
constexpr uint8_t CONTROL_OPEN_JOB = 21;
constexpr uint8_t CONTROL_NEW_TEXT = 31;
constexpr int OPTION_NEW_TEXT = 151;

const char* const SIDES_ROWS[] = {"  3", "  4", "  5", "  6", "  7", "  8", "  9", " 10",
                                  " 11", " 12", "13+", nullptr};

void raise_redraw_level() {
  if (g_form.redraw_level == 0) g_form.redraw_level = 1;
}

bool shift_held() { return (g_events.last_modifiers & MODIFIER_SHIFT) != 0; }

// A hover pick that no longer stands is cleared: highlights, hovered item, pointer.
void drop_stale_pick() {
  HoverState& h = g_hover;
  if (h.pick_kind == 0 || hover_still_valid() == 1) return;
  clear_hover_hilite();
  h.hover_item = nullptr;
  h.pick_kind = 0;
  hide_pointer();
}

int file_menu(int option) {
  if (g_page_entries.file_menu_command == nullptr) {
    show_missing_command_notice();
    return 0;
  }
  return g_page_entries.file_menu_command(option);
}

void open_a_job() {
  if (g_page_entries.open_job == nullptr) {
    show_missing_command_notice();
    return;
  }
  hide_pointer();
  hide_crosshair();
  close_item_panel();
  g_page_entries.open_job(nullptr);
  g_drawing_page.extents_request = 1;
  raise_redraw_level();
}

// Arrow keys: the view moves by a fifth of its size.
PagePass move_view_by_key(EventCode code) {
  ViewState& v = g_view;
  const float dx = (v.view_right - v.view_left) * 0.2f;
  const float dy = (v.view_top - v.view_bottom) * 0.2f;
  float sx = 0.0f, sy = 0.0f;
  if (code == KEY_UP) sy = dy;
  if (code == KEY_DOWN) sy = -dy;
  if (code == KEY_LEFT) sx = -dx;
  if (code == KEY_RIGHT) sx = dx;
  move_view(sx, sy);
  fit_scale();
  g_job_settings.view_fitted = VIEW_KEPT;
  raise_redraw_level();
  return PagePass::FULL;
}

PagePass undo_or_redo() {
  if (shift_held()) redo_command();
  else undo_command();
  mark_job_changed();
  g_drawing_page.extents_request = 1;
  raise_redraw_level();
  return PagePass::FULL;
}

PagePass paste_key() {
  if (g_drawing_page.clipboard.first == nullptr) return PagePass::NONE;
  return paste_from_clipboard();
}

// Tab and space: the hover reader is asked again for the next thing under the cursor.
PagePass next_under_cursor() {
  if (g_hover.hover_item == nullptr) return PagePass::NONE;
  const int found = pick_under_crosshairs();
  if (found > 0) return dispatch_page_code(static_cast<EventCode>(found));
  if (found < 0) {
    g_hover.hover_item = g_hover.hover_item;  // the new hit stays for the feedback
    return PagePass::HOVER;
  }
  return PagePass::HOVER;
}

// Marking by click (the hovered item or node) or, over nothing, by a dragged window.
PagePass mark_step(int code) {
  drop_stale_pick();
  hide_pointer();
  hide_crosshair();
  const int result = mark_under_cursor(code);
  if (result < 0) return PagePass::HOVER;
  if (result > 0) {
    const uint8_t read_out = g_furniture.read_out;
    g_furniture.read_out = 0;
    PointF c1 = g_hover.cursor_point;
    PointF c2 = c1;
    const int drag = rubber_box(&c1, &c2, MARK_WINDOW_MODE);
    g_furniture.read_out = read_out;
    if (drag == RUBBER_DONE) {
      const int mark = code == TOOL_MARK_ITEMS || code == TOOL_MARK_NODES ? 1 : 0;
      if (code == TOOL_MARK_ITEMS || code == TOOL_UNMARK_ITEMS) window_mark_items(c1, c2, mark);
      else window_mark_nodes(c1, c2, mark);
      if (mark == 0) marks_summary_bits() = static_cast<int16_t>(marks_summary(1));
    }
    show_crosshair();
    draw_button_legend(1);
    g_drawing_page.legend_changed = 1;
  }
  show_marks_control();
  return PagePass::HOVER;
}

// A layer switched in the list changes what the drawing shows.
void layer_switched() { g_drawing_page.full_redraw = 1; }

// The "L:" control: the layer of new items, chosen in the layer list under the control. A layer
// that is off cannot take new items: the first layer that is on does.
PagePass choose_layer() {
  DrawingPageState& page = g_drawing_page;
  close_item_panel();
  help_show_message(MSG_HELP_LAYER_LIST);
  button_commands_set(MENU_SELECT, MENU_NOTHING, MENU_CANCEL);
  const ScreenControl* c = page_strip_control(STRIP_LAYER);
  place_layer_list(LIST_UNDER_STRIP_ROW, c != nullptr ? c->column - 2 : 0);
  const LayerListHooks kept = g_layer_hooks;
  g_layer_hooks.extents_changed = layer_switched;
  const TextLine* chosen = pick_layer();
  g_layer_hooks = kept;
  button_commands_pop();
  draw_button_legend(1);
  if (chosen != nullptr && chosen->id >= 0 && chosen->id < LAYER_USER_COUNT) {
    if (g_layers.visibility[chosen->id] != 0) {
      page.current_layer = static_cast<uint8_t>(chosen->id);
    } else {
      page.current_layer = static_cast<uint8_t>(first_visible_layer());
      get_message(MSG_LAYER_OFF_CHOSEN);
    }
  }
  if (page.current_layer >= LAYER_USER_COUNT || g_layers.visibility[page.current_layer] == 0)
    page.current_layer = static_cast<uint8_t>(first_visible_layer());
  show_layer_indicator();
  if (page.full_redraw != 0) {
    raise_redraw_level();
    page.extents_request = 1;
  } else {
    help_box_text(nullptr);
  }
  return PagePass::SHORT;
}

// The "Symbol" control: a glyph of a stroke font, chosen in the font list and its viewer,
// becomes a one-character text placed by a box. The viewer draws over the drawing: the view is
// kept and put back.
PagePass choose_symbol() {
  close_item_panel();
  ViewState& v = g_view;
  const float view[4] = {v.view_left, v.view_bottom, v.view_right, v.view_top};
  const float extents[4] = {v.extent_min_x, v.extent_min_y, v.extent_max_x, v.extent_max_y};
  uint8_t picked = 0;
  const int font = pick_font(PICK_FONT_SYMBOLS, &picked);
  v.view_left = view[0];
  v.view_bottom = view[1];
  v.view_right = view[2];
  v.view_top = view[3];
  v.extent_min_x = extents[0];
  v.extent_min_y = extents[1];
  v.extent_max_x = extents[2];
  v.extent_max_y = extents[3];
  g_job_settings.view_fitted = VIEW_KEPT;
  fit_scale();
  raise_redraw_level();
  if (picked == 0) return PagePass::FULL;
  const char text[2] = {static_cast<char>(picked), '\0'};
  return new_text_by_box(BOX_MODE_SYMBOL, text, static_cast<int16_t>(font));
}

PagePass control_clicked() {
  const int id = hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y);
  DrawingPageState& page = g_drawing_page;
  switch (id) {
    case CONTROL_OPEN_JOB: open_a_job(); return PagePass::FULL;
    case STRIP_SHOW: {
      close_item_panel();
      button_commands_set(MENU_SELECT, MENU_NOTHING, MENU_CANCEL);
      if (g_drawing_commands.display_options_dialog != nullptr)
        g_drawing_commands.display_options_dialog();
      else
        show_missing_command_notice();
      button_commands_pop();
      draw_button_legend(1);
      g_job_settings.text_items_ready = 0;
      page.legend_changed = 1;
      return PagePass::FULL;
    }
    case CONTROL_NEW_TEXT: return run_main_option(OPTION_NEW_TEXT);
    case STRIP_SYMBOL: return choose_symbol();
    case STRIP_MARKS: return open_marks_menu();
    case STRIP_AXIS_LOCK: cycle_axis_lock(1); return PagePass::SHORT;
    case STRIP_DRAW: return open_page_menu(PageMenu::DRAW, true);
    case STRIP_FILE: return open_page_menu(PageMenu::FILE, true);
    case STRIP_EDIT: return open_page_menu(PageMenu::EDIT, true);
    case STRIP_IMAGE: return open_page_menu(PageMenu::IMAGE, true);
    case STRIP_MENU: return open_page_menu(PageMenu::MAIN, true);
    case STRIP_LAYER: return choose_layer();
    case STRIP_SIDES:
      choose_polygon_sides();
      page.legend_changed = 1;
      return PagePass::HOVER;
    case STRIP_GRID:
      if (g_drawing_commands.grid_options_dialog == nullptr) {
        show_missing_command_notice();
      } else if (g_drawing_commands.grid_options_dialog() == 1) {
        raise_redraw_level();
        show_grid_state(0);
      }
      draw_button_legend(1);
      return PagePass::SHORT;
    case STRIP_ZOOM_IN: repeat_zoom_while_held(KEY_PGUP, nullptr); return PagePass::SHORT;
    case STRIP_ZOOM_OUT: repeat_zoom_while_held(KEY_PGDN, nullptr); return PagePass::SHORT;
    case STRIP_TO_ALL: g_job_settings.view_fitted = VIEW_FITTED; return PagePass::FULL;
    case STRIP_TO_WINDOW: return run_main_option(OPTION_ZOOM_WINDOW);
    case STRIP_SET_CENTRE: return run_main_option(OPTION_SET_CENTRE);
    case STRIP_REDRAW: raise_redraw_level(); return PagePass::FULL;
    case STRIP_PAN:
      while (g_pointer.button_bits != 0 && g_form.redraw_level == 0) pan_by_drag();
      return PagePass::SHORT;
    case STRIP_TOOL_START: {
      close_item_panel();
      PointF p{};
      if (snap_via_menu(SNAP_FOR_TOOL, &p) != 0) return PagePass::SHORT;
      g_hover.pick_kind = 0;
      g_hover.cursor_point = p;
      const int16_t tool = g_button_bindings.drawing[BUTTON_LEFT_BIT];
      if (tool == TOOL_TEXT) {
        sync_pointer_to_cursor();
        return new_text_by_box(BOX_MODE_KEY_TEXT, nullptr, 0);
      }
      if (tool == TOOL_MEASURE) show_prompt("");
      page.go_to_point = 1;
      return hand_to_edit_command(tool);
    }
    case STRIP_NO_FLICKER: {
      toggle_no_flicker();
      if (ScreenControl* c = page_strip_control(STRIP_NO_FLICKER)) {
        if (g_preferences.drawing.no_flicker != 0) c->flags |= CF_CHECKED;
        else c->flags &= ~CF_CHECKED;
        draw_controls(c, 1);
      }
      return PagePass::SHORT;
    }
    case STRIP_APPEND: {
      page.append_mode = page.append_mode != 0 ? 0 : 1;
      if (ScreenControl* c = page_strip_control(STRIP_APPEND)) {
        c->flags ^= CF_CHECKED;
        draw_controls(c, 1);
      }
      return PagePass::SHORT;
    }
    default: return PagePass::SHORT;
  }
}

// The image modes that stay active across events come back as pending codes.
PagePass image_mode(EventCode mode) {
  EventCode key = 0;
  const ImageResult result = image_mode_step(mode, &key);
  if (result == ImageResult::IMAGE_CHANGE) g_drawing_page.extents_request = 1;
  // A key that interrupted the mode is handled now; the mode comes back as the pending code.
  if (result == ImageResult::MODE && key != 0) return dispatch_page_code(key);
  return PagePass::SHORT;
}

// Codes the page does not name: the dispatcher's, after the hover and button checks.
PagePass other_code(EventCode code) {
  if ((code >= 128 && code <= 255) || (code >= 427 && code <= 576)) return PagePass::SHORT;
  if (code == KEY_CTRL_D || code == KEY_CTRL_G) return PagePass::SHORT;
  const bool left_held = (g_pointer.button_bits & BUTTON_LEFT_BIT) != 0;
  if (g_hover.hover_item != nullptr && left_held && shift_held())
    return dispatch_page_code(TOOL_SELECT);
  if (code > 256 && g_hover.pick_kind != 0 && hover_still_valid() != 1) {
    clear_hover_hilite();
    g_hover.hover_item = nullptr;
    g_hover.pick_kind = 0;
    hide_pointer();
    if (left_held && code >= NODE_FIRST && code <= NODE_LAST) return dispatch_page_code(TOOL_SELECT);
  }
  return hand_to_edit_command(code);
}

PagePass selection_tool() {
  const int result = selection_mode(0);
  if (result > 0) {
    raise_redraw_level();
    close_item_panel();
    return PagePass::FULL;
  }
  if (result < 0) {
    g_drawing_page.page_redraw_flag = 1;
    return PagePass::FULL;
  }
  return PagePass::SHORT;
}

}  // namespace

// ---- view steps ----

void zoom_to_point(PointF p) {
  ViewState& v = g_view;
  const float w = (v.extent_max_x - v.extent_min_x) * ZOOM_POINT_SHARE;
  const float h = (v.extent_max_y - v.extent_min_y) * ZOOM_POINT_SHARE;
  v.zoom_corner_1 = {p.x - w, p.y - h};
  v.zoom_corner_2 = {p.x + w, p.y + h};
  zoom_window();
  g_job_settings.view_fitted = VIEW_KEPT;
  g_hover.cursor_point = p;
  sync_pointer_to_cursor();
}

void centre_view_on(PointF p) {
  ViewState& v = g_view;
  const float dx = p.x - (v.view_left + v.view_right) * 0.5f;
  const float dy = p.y - (v.view_bottom + v.view_top) * 0.5f;
  move_view(dx, dy);
  fit_scale();
  g_hover.cursor_point = p;
  g_job_settings.view_fitted = VIEW_KEPT;
  raise_redraw_level();
}

void zoom_to_highlighted_link() {
  ViewState& v = g_view;
  const LinkRecord* link = g_hover.highlighted_link;
  if (link == nullptr) {
    g_job_settings.view_fitted = VIEW_FITTED;
    return;
  }
  v.zoom_corner_1 = link->box_min;
  v.zoom_corner_2 = link->box_max;
  zoom_window();
  zoom_by(LINK_ZOOM_OUT);
  g_job_settings.view_fitted = VIEW_KEPT;
}

bool report_geometry_fault() {
  ContourKernelState& k = g_contour_kernel;
  const int32_t status = k.EngineStatus;
  if ((status & (ENGINE_STATUS_SELF_CROSSING | ENGINE_STATUS_ENGINE_FAULT)) == 0) {
    k.EngineStatus = 0;
    return false;
  }
  hide_pointer();
  const PointF at{k.ProblemPoint.x, k.ProblemPoint.y};
  if ((status & ENGINE_STATUS_SELF_CROSSING) != 0) {
    char text[sizeof GEOMETRY_CROSSING_FORMAT + 64];
    std::snprintf(text, sizeof text, GEOMETRY_CROSSING_FORMAT, at.x, at.y);
    show_text_box(text, ERROR_STYLE);
  } else {
    get_message(MSG_GEOMETRY_FAULT);
  }
  k.EngineStatus = 0;
  zoom_to_point(at);
  return true;
}

PagePass pan_by_dragged_line(int32_t box_mode, uint8_t picture) {
  set_pointer_shape(picture);
  const uint8_t read_out = g_furniture.read_out;
  g_furniture.read_out = 0;
  sync_pointer_to_cursor();
  PointF from = g_hover.cursor_point;
  PointF to = from;
  const int drag = rubber_box(&from, &to, box_mode);
  g_furniture.read_out = read_out;
  if (drag != RUBBER_DONE) {
    raise_redraw_level();
    return PagePass::SHORT;
  }
  move_view(from.x - to.x, from.y - to.y);
  fit_scale();
  g_job_settings.view_fitted = VIEW_KEPT;
  raise_redraw_level();
  return PagePass::FULL;
}

PagePass zoom_to_dragged_window(bool skip_first_step) {
  if (!skip_first_step) sync_pointer_to_cursor();
  bring_pointer_into_drawing();
  set_pointer_shape(31);
  const uint8_t read_out = g_furniture.read_out;
  g_furniture.read_out = 0;
  ViewState& v = g_view;
  PointF c1 = g_hover.cursor_point;
  PointF c2 = c1;
  const int drag = rubber_box(&c1, &c2, 1);
  g_furniture.read_out = read_out;
  if (drag != RUBBER_DONE) {
    raise_redraw_level();
    return PagePass::SHORT;
  }
  v.zoom_corner_1 = c1;
  v.zoom_corner_2 = c2;
  zoom_window();
  g_job_settings.view_fitted = VIEW_KEPT;
  return PagePass::FULL;
}

void go_to_typed_point() {
  char text[GO_TO_FIELD + 1] = {};
  const int16_t answer = message_box(GO_TO_ROW, MSGBOX_CENTRE, GO_TO_WIDTH, GO_TO_PROMPT, 0, text,
                                     GO_TO_FIELD, nullptr, 0, nullptr);
  raise_redraw_level();
  if (answer == KEY_ESC || answer == EVENT_QUIT || text[0] == '\0') return;
  if (typed_point_from_cursor(text) == 0) return;
  const PointF p = g_point_picking.typed_point;
  if (g_furniture.zoom_on_goto != 0) zoom_to_point(p);
  else centre_view_on(p);
}

bool edit_node_height() {
  HoverState& h = g_hover;
  if (h.hover_item == nullptr || h.hover_link == nullptr ||
      (h.pick_kind != PICK_START_NODE && h.pick_kind != PICK_END_NODE))
    return false;
  LinkRecord* link = h.hover_link;
  if (link->code != LINK_FLEXIBLE_LINE && link->code != LINK_RIGID_LINE && link->code != LINK_SPLINE)
    return true;  // a node of an arc: nothing to do
  LinkRecord* node = h.pick_kind == PICK_START_NODE ? link : link + 1;
  char shown[32];
  format_coordinate(node->z, shown);
  char prompt[sizeof NODE_Z_FORMAT + 64];
  std::snprintf(prompt, sizeof prompt, NODE_Z_FORMAT, shown, shown);
  char text[Z_FIELD + 1] = {};
  const int16_t answer =
      message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, Z_BOX_WIDTH, prompt, 0, text, Z_FIELD, nullptr, 0,
                  nullptr);
  raise_redraw_level();
  if (answer == KEY_ESC || answer == EVENT_QUIT) return true;
  const bool add = text[0] == '*';
  const char* number = add ? text + 1 : text;
  char* end = nullptr;
  const double value = std::strtod(number, &end);
  if (end == number || !std::isfinite(value)) return true;  // nothing a number: Z kept
  node->z = static_cast<float>(add ? node->z + value : value);
  DrawingItem* item = h.hover_item;
  LinkRecord* first = item_nodes(item);
  const DrawingCommandEntries& c = g_drawing_commands;
  if ((first->node_flags & NODE_SYMMETRY_MASK) != 0) {
    if (c.update_symmetry_after_edit != nullptr) c.update_symmetry_after_edit(item, h.link_index);
  } else if (c.keep_polyline_closed != nullptr) {
    c.keep_polyline_closed(item, link, h.pick_kind);
  }
  mark_job_changed();
  return true;
}

void show_polygon_sides() {
  ScreenControl* c = page_strip_control(STRIP_SIDES);
  if (c == nullptr) return;
  std::snprintf(c->caption, sizeof c->caption, "\v%3d\x13 sides", g_preferences.polygon_sides);
  if ((c->flags & CF_HIDDEN) == 0) draw_controls(c, 1);
}

void choose_polygon_sides() {
  int16_t& sides = g_preferences.polygon_sides;
  const ScreenControl* c = page_strip_control(STRIP_SIDES);
  const int cell = g_display.current.cell_width > 0 ? g_display.current.cell_width : 8;
  const int column = c != nullptr ? -(c->x / cell + 1) : 2;
  const int preselected =
      sides >= SIDES_FIRST && sides <= SIDES_LIST_MOST ? sides - SIDES_FIRST : 0;
  const int row = pick_from_strings(SIDES_ROWS, "?", SIDES_LIST_ROW, column, preselected, 0);
  if (row < 0) return;
  int chosen = row + SIDES_FIRST;
  if (chosen > SIDES_LIST_MOST) {
    for (;;) {
      int32_t typed = 0;
      const int16_t answer = message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 40, SIDES_QUESTION,
                                         FIELD_LONG, &typed, 6, nullptr, 0, nullptr);
      if (answer == KEY_ESC || answer == EVENT_QUIT) return;
      if (typed >= SIDES_FIRST && typed <= SIDES_MOST) {
        chosen = typed;
        break;
      }
    }
  }
  sides = static_cast<int16_t>(chosen);
  show_polygon_sides();
}

// ---- the item clipboard ----

void copy_hovered_to_clipboard(bool add) {
  DrawingItem* item = g_hover.hover_item;
  if (item == nullptr || g_hover.pick_kind == 0) return;
  if (!add) empty_item_clipboard();
  if (copy_item_with_extra_links(item, 0) != 0) return;
  move_to_item_clipboard(g_lists.current.last);
  // Ctrl+Ins on an item copied before: the clipboard keeps only this newest copy of it.
  keep_newest_clipboard_copies();
}

PagePass paste_from_clipboard() {
  if (g_drawing_page.clipboard.first == nullptr) return PagePass::SHORT;
  close_item_panel();
  if (edit_command(924) != 0) {
    selection_mode(1);
    raise_redraw_level();
  }
  return after_command();
}

// ---- new text by a box, the machining panel ----

PagePass new_text_by_box(int32_t mode, const char* text, int16_t font) {
  if (mode == BOX_MODE_KEY_TEXT) {
    sync_pointer_to_cursor();
    show_prompt(PLACE_TEXT_PROMPT);
    set_pointer_shape(POINTER_PLACE_TEXT);
    text = nullptr;
  } else if (mode == BOX_MODE_SYMBOL) {
    show_prompt(PLACE_SYMBOL_PROMPT);
    set_pointer_shape(POINTER_SYMBOL);
  }
  if ((mode & RUBBER_START_AT_ONCE) == 0) bring_pointer_into_drawing();
  DrawingItem* before = g_lists.current.last;
  DrawingItem* item = new_text_from_box(font, text, mode);
  if (item == nullptr || item == before) return PagePass::SHORT;
  set_item_id(item, ++g_job_settings.item_id_counter);
  if (!item->extra.empty()) {
    const GeometryBlock* block = item_block(item);
    if (block->cam_kind != GEOMETRY_KIND_DRAWING_AID)
      set_item_machining_order(item, static_cast<int16_t>(block_machining_order(block) +
                                                          NEW_ITEM_ORDER_RAISE));
  }
  renumber_machining_order();
  undo_record_added(1);
  mark_job_changed();
  g_drawing_page.pending_code = PAGE_PENDING_AFTER_COMMAND;
  raise_redraw_level();
  return PagePass::FULL;
}

PagePass edit_machining_panel(bool from_key) {
  DrawingPageState& page = g_drawing_page;
  DrawingItem* item = g_hover.hover_item;
  if (item == nullptr) return PagePass::SHORT;
  if (g_drawing_commands.show_cam_panel == nullptr) {
    show_missing_command_notice();
    return after_command();
  }
  if (from_key) page.panel_page_counter = '0';
  ++page.panel_page_counter;
  hide_pointer();
  hide_crosshair();
  g_drawing_commands.show_cam_panel(item, 0);
  help_box_text(nullptr);
  sync_pointer_to_cursor();
  draw_button_legend(1);
  const int exit = g_cam_panel_exit;
  if (exit == CANVAS_PAGE_CHOSEN) {
    page.pending_code = CANVAS_PAGE_CHOSEN;
    return PagePass::NONE;
  }
  if (exit == KEY_ESC) return open_page_menu(PageMenu::MAIN, false);
  if (exit == EVENT_CONTROL_CLICKED) return control_clicked();
  if (from_key && g_preferences.drawing.side_panel == 0) {
    clear_drawing_area();
    draw_all_items();
  }
  update_cursor_point();
  return after_command();
}

// ---- the dispatch ----

PagePass dispatch_page_code(EventCode code) {
  if (code > 0 && code <= CODE_LOWER_CASE_LAST) code = static_cast<EventCode>(std::tolower(code));
  DrawingPageState& page = g_drawing_page;
  HoverState& h = g_hover;
  const DrawingCommandEntries& c = g_drawing_commands;
  auto run = [](int (*command)()) {
    if (command != nullptr) command();
    else show_missing_command_notice();
  };
  switch (code) {
    case 0:
    case EVENT_LEFT_UP:
    case EVENT_MIDDLE_UP:
    case EVENT_RIGHT_UP:
    case EVENT_POINTER_MOVE: return PagePass::SHORT;
    case KEY_TAB:
    case ' ': return next_under_cursor();
    case KEY_ESC: return open_page_menu(PageMenu::MAIN, false);
    case 'a': g_job_settings.view_fitted = VIEW_FITTED; return PagePass::FULL;
    case 'd':
    case PAGE_KEY_ALT_D: return open_page_menu(PageMenu::DRAW, false);
    case 'e':
      if (h.hover_item == nullptr) return PagePass::NONE;
      return edit_machining_panel(true);
    case 'f': run(c.fillet_command); return PagePass::FULL;
    case 'g': go_to_typed_point(); return PagePass::FULL;
    case 'i': return hand_to_edit_command(903);
    case 'j':
      if (h.hover_item != nullptr) return hand_to_edit_command('j');
      run(c.batch_join_command);
      return PagePass::FULL;
    case 'o': run(c.offset_command); return PagePass::SHORT;
    case 'q': return run_main_option(OPTION_SET_CENTRE);
    case 'u': return run_main_option(OPTION_FUSE);
    case 'w': return run_main_option(OPTION_ZOOM_WINDOW, true);
    case 'x': run(c.trim_extend_command); return PagePass::FULL;
    case 'z':
      if (!edit_node_height()) zoom_to_highlighted_link();
      return PagePass::FULL;
    case KEY_CTRL_BACKSPACE: return hand_to_edit_command(820);
    case PAGE_KEY_ALT_E: return open_page_menu(PageMenu::EDIT, false);
    case PAGE_KEY_ALT_R: return hand_to_edit_command(910);
    case PAGE_KEY_ALT_I: return open_page_menu(PageMenu::IMAGE, false);
    case PAGE_KEY_ALT_S: run(c.check_tool_diameters); return PagePass::SHORT;
    case PAGE_KEY_ALT_F: return open_page_menu(PageMenu::FILE, false);
    case KEY_F1: return run_main_option(OPTION_HELP);
    case PAGE_KEY_F4: file_menu(FILE_OPTION_F4); return PagePass::FULL;
    case PAGE_KEY_F8: cycle_axis_lock(1); return PagePass::SHORT;
    case PAGE_KEY_F9: show_grid_state(1); return PagePass::SHORT;
    case KEY_UP:
    case KEY_DOWN:
    case KEY_LEFT:
    case KEY_RIGHT: return move_view_by_key(code);
    case KEY_PGUP: zoom_by(1.25f); return PagePass::FULL;
    case KEY_PGDN: zoom_by(0.75f); return PagePass::FULL;
    case PAGE_KEY_CTRL_F4:
    case PAGE_KEY_CTRL_N:
      file_menu(OPTION_NEW_JOB);
      g_drawing_page.extents_request = 1;
      return PagePass::FULL;
    case KEY_CTRL_INS: copy_hovered_to_clipboard(true); return PagePass::SHORT;
    case PAGE_KEY_CTRL_C: copy_hovered_to_clipboard(false); return PagePass::SHORT;
    case EVENT_LEFT_DOWN:
      if (page.panel_item != nullptr && h.hover_item != nullptr) return edit_machining_panel(false);
      return PagePass::SHORT;
    case PAGE_KEY_REDRAW:
    case EVENT_REDRAW:
    case VIEW_REDRAW_ONLY: raise_redraw_level(); return PagePass::SHORT;
    case EVENT_TICK: return page_tick();
    case PAGE_KEY_USER_3: raise_redraw_level(); return PagePass::SHORT;
    case PAGE_PENDING_AFTER_COMMAND:
      poll_input_code(0);
      return PagePass::HOVER;
    case PAGE_KEY_CTRL_O: open_a_job(); return PagePass::FULL;
    case PAGE_KEY_CTRL_S:
      if (g_page_entries.save_job != nullptr) g_page_entries.save_job(SAVE_FROM_DRAWING_PAGE);
      else show_missing_command_notice();
      raise_redraw_level();
      return PagePass::SHORT;
    case PAGE_KEY_CTRL_V: return paste_key();
    case PAGE_KEY_CTRL_Z: return undo_or_redo();
    case EVENT_CONTROL_CLICKED: return control_clicked();
    case TOOL_SELECT: return selection_tool();
    case TOOL_MARK_ITEMS:
    case TOOL_UNMARK_ITEMS:
    case TOOL_MARK_NODES:
    case TOOL_UNMARK_NODES: return mark_step(code);
    case TOOL_MEASURE:
      if (shift_held()) return selection_tool();
      return hand_to_edit_command(TOOL_MEASURE);
    case TOOL_TEXT: return new_text_by_box(BOX_MODE_KEY_TEXT, nullptr, 0);
    case RIGHT_FIRST:
    case RIGHT_FIRST + 1:
    case RIGHT_LAST:
    case NODE_RIGHT_LINK:
    case NODE_RIGHT: return right_button_menu(code);
    case PAGE_PENDING_STRAIGHTEN:
    case PAGE_PENDING_FAINTNESS: return image_mode(code);
    default: return other_code(code);
  }
}
