#include "editor/selection_mode.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/draw_style.h"
#include "editor/drawing_commands.h"
#include "editor/drawing_page_state.h"
#include "editor/edit_command.h"
#include "editor/edit_session.h"
#include "editor/editor_page.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/marks.h"
#include "editor/page_furniture.h"
#include "editor/page_redraw.h"
#include "editor/render.h"
#include "editor/rubber_box.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "editor/view_state.h"
#include "geometry/layers.h"
#include "geometry/polyline_ends.h"
#include "geometry/polyline_join.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/event_queue.h"
#include "screen/pointer.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "store/picture_numbers.h"
#include "ui/entry_line.h"
#include "screen/main_form.h"
#include "ui/layer_list.h"
#include "ui/message_box.h"

SelectionModeState g_selection;

namespace {

// Button commands of the mode.
constexpr int16_t COMMAND_SELECT = 891;
constexpr int16_t COMMAND_UNSELECT = 892;
constexpr int16_t COMMAND_NOTHING = 895;
// The mode's own codes.
constexpr EventCode CODE_CTRL_A = KEY_CTRL_BASE + 'A';
constexpr EventCode CODE_CTRL_C = KEY_CTRL_BASE + 'C';
constexpr EventCode CODE_CTRL_V = KEY_CTRL_BASE + 'V';
constexpr EventCode CODE_CTRL_Z = KEY_CTRL_BASE + 'Z';
constexpr EventCode CODE_F8 = 322;
constexpr int32_t BOX_MODE = 0x40004;
// Edit commands the buttons start.
constexpr int COMMAND_SCALE = 912;
constexpr int COMMAND_MOVE = 913;
constexpr int COMMAND_ROTATE = 915;
constexpr int COMMAND_DUPLICATE = 917;
constexpr int COMMAND_MIRROR = 918;
constexpr int COMMAND_SEPARATE = 923;
constexpr int COMMAND_PASTE = 925;
constexpr int COMMAND_DRAG_MOVE = 930;
constexpr int COMMAND_ALIGN = 931;
// Pointer pictures of the mode.
constexpr uint8_t SHAPE_OVER_SELECTED = 17;
constexpr uint8_t SHAPE_OVER_ITEM = 39;
constexpr uint8_t SHAPE_IDLE = 19;
constexpr uint8_t SHAPE_PAGE_IDLE = 11;
constexpr uint16_t PICK_MODE_ITEM = 0x100;
constexpr uint8_t SELECTION_COLOUR_MASK = ITEM_FLAG_WORKING;
// Timed report styles: closes by itself after the ticks.
constexpr uint32_t REPORT_11_TICKS = TEXTBOX_TIMED | 11;
constexpr uint32_t REPORT_18_TICKS = TEXTBOX_TIMED | 18;

// Control ids.
enum ControlId : uint8_t {
  ID_ADD = 1, ID_CUT = 2, ID_EMPTY = 3, ID_MOVE = 4, ID_SCALE = 5, ID_DUPLICATE = 6,
  ID_ROTATE = 7, ID_MIRROR = 8, ID_ARRAY = 9, ID_ALIGN = 10, ID_SEPARATE = 11, ID_DELETE = 12,
  ID_CONVERT = 13, ID_LAYER = 14, ID_GEOMETRY = 15, ID_POINTS = 16, ID_GROUP = 17,
  ID_PASTE = 18, ID_UNSELECT_ALL = 19, ID_SELECT_ALL = 20, ID_DONE = 21, ID_UNDO = 22,
  ID_REDO = 23, ID_ZOOM_IN = 24, ID_ZOOM_OUT = 25, ID_TO_DRAWING = 26, ID_PAN = 27,
  ID_TO_SELECTION = 28, ID_AXIS_LOCK = 29, ID_STATUS = 200,
};

constexpr char PROMPT_TEXT[] =
    "\fSelect\x13 items with the\n\vLEFT\x13 mouse button, and\n\fUn\x13-\fSelect\x13 with "
    "\vRIGHT\x13 button";
constexpr char MESSAGE_AREA_TEXT[] =
    "F5: toggle hi-lite of all nodes on/off\nPAGE UP/DOWN: zoom in/out, arrow keys: pan";
constexpr char FIRST_BOX_PANEL_HELP[] =
    "\n\n\nDraw a box around the\nitems you want to select.\n\nYou can select more items\nlater "
    "so don't worry about\ngetting them all.\n\n\nPress ESC to cancel\nif you did not intend\nto "
    "switch to Selection\nMode.";
constexpr char FIRST_BOX_PROMPT_PANEL[] = "Switching to the SELECTION MODE...\n";
constexpr char FIRST_BOX_PROMPT[] =
    "\fSELECTION MODE.\x13 Draw a box around the items you want to modify.\n\nPress ESC to "
    "cancel.";

const char* const GEOMETRY_USES[] = {"\vDrawing aid", "\vCut centerline", "Contour \vInside",
                                     "Contour \vOutside", "Spiral \vPocket",
                                     "Contour\f+\x13i\vslands", "Islan\vd", nullptr};
const char* const POINT_USES[] = {"\vDrawing aid", "Dri\vll", "\vPeck Drill", nullptr};

std::vector<ScreenControl> g_controls_table;

std::vector<ScreenControl>& selection_controls() {
  std::vector<ScreenControl>& t = g_controls_table;
  if (!t.empty()) return t;
  const auto add = [&](const char* caption, uint8_t id, int row, int column, int height,
                       int width, int hint, uint32_t flags) {
    t.push_back(make_control(caption, id, row, column, height, width, hint, flags));
  };
  add("Done", ID_DONE, 0, -4, 1, 4, 72, 0);
  add("Select all", ID_SELECT_ALL, 1, 46, 1, 10, 107, 0);
  add("\vU\x13n-Select all", ID_UNSELECT_ALL, 1, 60, 1, 13, 108, 0);
  add("Clipboard has * items", ID_STATUS, 10, -30, 1, 25, 0, CF_NO_BOX);
  add("Empty the clipboard", ID_EMPTY, 11, -30, 1, 19, 106, 0);
  add("Paste", ID_PASTE, 9, -30, 1, 5, 0, 0);
  add("Add", ID_ADD, 8, -30, 1, 3, 104, 0);
  add("or", 0, 8, -26, 1, 2, 0, CF_NO_BOX);
  add("Cut", ID_CUT, 8, -23, 1, 3, 105, 0);
  add("all selected items", 0, 8, -19, 1, 18, 0, CF_NO_BOX);
  add("\vS\x13" "cale", ID_SCALE, 15, -30, 1, 5, 111, 0);
  add("\vR\x13otate", ID_ROTATE, 15, -20, 1, 6, 112, 0);
  add("M\vi\x13rror", ID_MIRROR, 15, -10, 1, 6, 113, 0);
  add("\vD\x13uplicate", ID_DUPLICATE, 17, -30, 1, 9, 109, 0);
  add("\vA\x13rray", ID_ARRAY, 17, -17, 1, 5, 143, 0);
  add("\vM\x13ove", ID_MOVE, 17, -8, 1, 4, 152, 0);
  add(" Separate\ninto links", ID_SEPARATE, 23, -14, 2, 10, 114, 0);
  add("Delete", ID_DELETE, 21, -30, 1, 6, 115, 0);
  add("Convert to\npolylines", ID_CONVERT, 23, -30, 2, 10, 116, 0);
  add("-Set CAM Usage for-", 0, 28, -26, 1, 13, 0, CF_NO_BOX);
  add("Geometry", ID_GEOMETRY, 29, -25, 1, 8, 122, 0);
  add("or", 0, 29, -16, 1, 2, 0, CF_NO_BOX);
  add("Points", ID_POINTS, 29, -13, 1, 6, 122, 0);
  add("Set layer", ID_LAYER, 21, -13, 1, 9, 117, 0);
  add("Set machining group", ID_GROUP, 26, -30, 1, 19, 123, 0);
  add("Align", ID_ALIGN, 19, -30, 1, 5, 0, 0);
  add("\x0e" "Clipboard", 0, 7, -28, 1, 9, 0, CF_NO_BOX);
  add("", 0, 7, -30, 5, 29, 0, CF_GROUP_FRAME);
  add("\x0e" "Function Buttons", 0, 14, -28, 1, 16, 0, CF_NO_BOX);
  add("", 0, 14, -30, 16, 29, 0, CF_GROUP_FRAME);
  add("Undo", ID_UNDO, -4, -16, 1, 4, 147, 0);
  add("Redo", ID_REDO, -4, -10, 1, 4, 148, 0);
  add("Zoom", 0, 0, -20, 1, 5, 0, CF_NO_BOX);
  add("IN", ID_ZOOM_IN, 1, -22, 1, 2, 159, 0);
  add("OUT", ID_ZOOM_OUT, 1, -17, 1, 3, 160, 0);
  add("to drawing", ID_TO_DRAWING, 2, -23, 1, 10, 157, 0);
  add("to selection", ID_TO_SELECTION, 3, -24, 1, 12, 0, 0);
  t.push_back(make_control("", ID_PAN, 4, -10, 1, 3, 161, CF_PICTURE));
  t.back().style = PICTURE_PAN_BUTTON;
  t.push_back(make_control("", ID_AXIS_LOCK, 5, -14, 1, 4, 24, CF_PICTURE));
  t.back().style = AXIS_LOCK_PICTURE;
  t.push_back(end_control());
  return t;
}

int control_index(uint8_t id) {
  std::vector<ScreenControl>& t = selection_controls();
  for (size_t k = 0; k + 1 < t.size(); ++k)
    if (t[k].id == id) return static_cast<int>(k);
  return -1;
}

void show_clipboard_status(int draw) {
  std::vector<ScreenControl>& t = selection_controls();
  const int index = control_index(ID_STATUS);
  if (index < 0) return;
  const int count = count_clipboard_items();
  char text[CONTROL_CAPTION_SIZE];
  if (count > 0) std::snprintf(text, sizeof text, "Clipboard has \v%5d\x13 items", count);
  else std::snprintf(text, sizeof text, "Clipboard is empty");
  std::snprintf(t[index].caption, CONTROL_CAPTION_SIZE, "%s", text);
  t[index].width = static_cast<int16_t>(std::string(text).size());
  for (uint8_t id : {ID_EMPTY, ID_PASTE}) {
    const int k = control_index(id);
    if (count > 0) t[k].flags &= ~CF_HIDDEN;
    else t[k].flags |= CF_HIDDEN;
  }
  if (draw == 0 || g_controls.active != t.data()) return;
  draw_controls(&t[index], 1);
  draw_controls(&t[control_index(ID_EMPTY)], 1);
  draw_controls(&t[control_index(ID_PASTE)], 1);
}

void erase_item(DrawingItem* item) { draw_item_in_colour(item, COLOUR_ERASE); }

std::vector<DrawingItem*> selected_items() {
  std::vector<DrawingItem*> out;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    if (item_is_selected(item)) out.push_back(item);
  return out;
}

bool needs_selection() {
  if (count_selected_items() > 0) return true;
  get_message(MSG_NOTHING_SELECTED);
  return false;
}

void report(const std::string& text, uint32_t style) { show_text_box(text.c_str(), style); }

// ---- the screen ----

// "Items selected:" sits in the prompt strip, right of the prompt; the count 16 columns on.
constexpr int SELECTED_ROW = 2;
constexpr int SELECTED_COUNT_OFFSET = 16;

int selected_label_column() { return g_display.band == 1 ? 38 : 40; }

void draw_selected_label() { draw_text(SELECTED_ROW, selected_label_column(), "\vItems selected:\x13"); }

void draw_selected_count() {
  const int count = count_selected_items();
  if (count == g_selection.shown_count) return;
  g_selection.shown_count = count;
  // Thousands apart by commas.
  char plain[16], digits[24];
  const int n = std::snprintf(plain, sizeof plain, "%d", count);
  int out = 0;
  for (int k = 0; k < n; ++k) {
    if (k > 0 && (n - k) % 3 == 0) digits[out++] = ',';
    digits[out++] = plain[k];
  }
  digits[out] = 0;
  char text[16];
  std::snprintf(text, sizeof text, "%-9.9s", digits);
  draw_text(SELECTED_ROW, selected_label_column() + SELECTED_COUNT_OFFSET, text);
}

void build_screen() {
  if (g_form.redraw_level != 0 || g_drawing_page.full_redraw != 0 ||
      g_drawing_page.redraw_request != 0) {
    g_drawing_page.full_redraw = 0;
    g_drawing_page.redraw_request = 0;
    reset_drawing_screen(0);
    clear_drawing_area();
    draw_all_items();
  }
  help_box_text(nullptr);
  hide_pointer();
  hide_crosshair();
  g_furniture.read_out = 0;
  g_hover.pick_mode |= PICK_MODE_ITEM;
  g_hover.item_shape = SHAPE_OVER_ITEM;
  g_hover.idle_shape = SHAPE_IDLE;
  show_prompt(PROMPT_TEXT);
  show_message_area(MESSAGE_AREA_TEXT);
  draw_button_legend(0);
  show_clipboard_status(0);
  draw_controls(selection_controls().data(), 0);
  g_edit.selection_mask = SELECTION_COLOUR_MASK;
  draw_selected_label();
  g_selection.shown_count = -1;
  draw_selected_count();
}

// Items inside a dragged box are selected (on) or un-selected; a cancelled box does nothing.
void select_by_box(int on) {
  PointF p1{}, p2{};
  const int result = rubber_box(&p1, &p2, BOX_MODE);
  draw_button_legend(0);
  show_message_area(MESSAGE_AREA_TEXT);
  if (result == RUBBER_CANCELLED) return;
  select_items_in_box(p1, p2, on);
}

bool hovering_item() { return g_hover.pick_kind != 0 && g_hover.hover_item != nullptr; }

void run_edit_command(int code) {
  g_hover.pick_mode &= static_cast<uint16_t>(~PICK_MODE_ITEM);
  const int32_t result = edit_command(code);
  if (code == COMMAND_SEPARATE) {
    char text[48];
    std::snprintf(text, sizeof text, "Separated %d items.", static_cast<int>(result));
    report(text, REPORT_11_TICKS);
  }
}

void set_cam_usage(bool points) {
  const int choice = pick_from_strings(points ? POINT_USES : GEOMETRY_USES, "Select", 20, -30,
                                       0, 0);
  if (choice < 0) return;
  int ignored = 0, open = 0;
  const int changed = points ? set_points_cam_op(choice, &ignored)
                             : set_contours_cam_op(choice, &open, &ignored);
  char text[256];
  if (changed > 0) std::snprintf(text, sizeof text, "Set %d %s.", changed, points ? "points" : "items");
  else if (changed == 0) std::snprintf(text, sizeof text, "The %s are already set that way.", points ? "points" : "items");
  else std::snprintf(text, sizeof text, "Nothing to do; everything was un-selected because it was the wrong type.");
  std::string t = text;
  if (!points && open > 0) {
    std::snprintf(text, sizeof text,
                  "\nNote: %d items did not make closed loops,\nso they were ignored and un-selected",
                  open);
    t += text;
  }
  if (!points && ignored > 0) {
    std::snprintf(text, sizeof text, "\nThere were %d points that were ignored and un-selected",
                  ignored);
    t += text;
  }
  if (points && ignored > 0) {
    std::snprintf(text, sizeof text,
                  "\nNote: only points were processed; %d non-point items were ignored and "
                  "un-selected",
                  ignored);
    t += text;
  }
  const bool quiet = changed > 0 && ignored == 0 && open == 0;
  report(t, quiet ? REPORT_11_TICKS : TEXTBOX_SCREEN_CENTRE | TEXTBOX_WAIT_KEY);
  if (changed > 0) mark_job_changed();
}

void zoom_to_selection() {
  PointF lo{}, hi{};
  working_items_extents(&lo, &hi);
  g_view.zoom_corner_1 = lo;
  g_view.zoom_corner_2 = hi;
  zoom_window();
  update_cursor_point();
}

// Runs one operation; true when the screen must be built again.
bool run_control(int id) {
  switch (id) {
    case ID_DONE: return false;
    case ID_SELECT_ALL: select_all_items(SELECT_ALL); return false;
    case ID_UNSELECT_ALL: select_all_items(UNSELECT_ALL); return false;
    case ID_ADD:
    case ID_CUT:
      if (needs_selection()) selection_to_clipboard(id == ID_CUT);
      show_clipboard_status(1);
      return false;
    case ID_EMPTY:
      empty_clipboard();
      show_clipboard_status(1);
      return false;
    case ID_PASTE:
      if (g_drawing_page.clipboard.first == nullptr) return false;
      select_all_items(UNSELECT_ALL);
      run_edit_command(COMMAND_PASTE);
      return true;
    case ID_DELETE:
      if (needs_selection()) delete_selected_items();
      return false;
    case ID_UNDO: undo_command(); g_drawing_page.full_redraw = 1; return true;
    case ID_REDO: redo_command(); g_drawing_page.full_redraw = 1; return true;
    case ID_ZOOM_IN: view_keys(KEY_PGUP); return true;
    case ID_ZOOM_OUT: view_keys(KEY_PGDN); return true;
    case ID_TO_DRAWING: view_keys('z'); return true;
    case ID_TO_SELECTION:
      if (needs_selection()) zoom_to_selection();
      return true;
    case ID_AXIS_LOCK: cycle_axis_lock(1); return false;
    default: break;
  }
  if (!needs_selection()) return false;
  switch (id) {
    case ID_MOVE: run_edit_command(COMMAND_MOVE); return true;
    case ID_SCALE: run_edit_command(COMMAND_SCALE); return true;
    case ID_ROTATE: run_edit_command(COMMAND_ROTATE); return true;
    case ID_MIRROR: run_edit_command(COMMAND_MIRROR); return true;
    case ID_DUPLICATE: run_edit_command(COMMAND_DUPLICATE); return true;
    case ID_ALIGN: run_edit_command(COMMAND_ALIGN); return true;
    case ID_SEPARATE: run_edit_command(COMMAND_SEPARATE); return true;
    case ID_ARRAY:
      if (g_drawing_commands.array_form != nullptr) g_drawing_commands.array_form();
      else show_missing_command_notice();
      return true;
    case ID_CONVERT: convert_to_polylines(SELECTION_COLOUR_MASK, count_selected_items()); return true;
    case ID_LAYER: {
      const TextLine* line = pick_layer();
      if (line != nullptr) set_selected_layer(static_cast<uint8_t>(line->id));
      return true;
    }
    case ID_GEOMETRY: set_cam_usage(false); return true;
    case ID_POINTS: set_cam_usage(true); return true;
    case ID_GROUP:
      if (g_drawing_commands.set_machining_group != nullptr)
        g_drawing_commands.set_machining_group(SELECTION_COLOUR_MASK);
      else show_missing_command_notice();
      return true;
    default: return false;
  }
}

int key_control(EventCode code) {
  switch (code) {
    case 'a': return ID_ARRAY;
    case 'd': return ID_DUPLICATE;
    case 'i': return ID_MIRROR;
    case 'm': return ID_MOVE;
    case 'r': return ID_ROTATE;
    case 's': return ID_SCALE;
    case 'u': return ID_UNSELECT_ALL;
    default: return -1;
  }
}

void leave_mode() {
  DrawingPageState& page = g_drawing_page;
  if (g_selection.panel_was_shown == 0) {
    g_preferences.drawing.side_panel = 0;
    layout_paint_boxes();
  }
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    item->state = static_cast<uint8_t>(item->state & ~ITEM_FLAG_WORKING);
  button_commands_pop();
  g_furniture.read_out = 1;
  g_edit.selection_mask = EDIT_SELECT_MARKED;
  marks_state();
  g_hover.idle_shape = SHAPE_PAGE_IDLE;
  g_hover.pick_mode &= static_cast<uint16_t>(~PICK_MODE_ITEM);
  g_selection.running = 0;
  page.full_redraw = 1;
}

}  // namespace

// ---- the selection ----

bool item_takes_part(const DrawingItem* item) {
  return (item_flags(item) & ITEM_FLAG_SELECTED) != 0 && !item->extra.empty() &&
         g_layers.visibility[item_layer(item)] != 0;
}

bool item_is_selected(const DrawingItem* item) {
  return item_takes_part(item) && (item_flags(item) & ITEM_FLAG_WORKING) != 0;
}

int count_selected_items() {
  int n = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    if (item_is_selected(item)) ++n;
  return n;
}

int set_item_selected(DrawingItem* item, int on) {
  const bool selected = (item_flags(item) & ITEM_FLAG_WORKING) != 0;
  if (selected == (on != 0)) return 0;
  if (on != 0) {
    erase_item(item);
    item->state = static_cast<uint8_t>(item->state | ITEM_FLAG_WORKING);
  } else {
    item->state = static_cast<uint8_t>(item->state & ~ITEM_FLAG_WORKING);
  }
  draw_item(item, 0);
  return 1;
}

int select_all_items(int how) {
  int visited = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!item_takes_part(item)) continue;
    set_item_selected(item, how == SELECT_ALL ? 1 : 0);
    ++visited;
  }
  return visited;
}

int select_items_in_box(PointF min, PointF max, int on) {
  int changed = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if (!item_takes_part(item)) continue;
    const LinkRecord* r = item_nodes(item);
    const int32_t n = item_link_count(item);
    bool inside = n > 0;
    for (int32_t k = 0; k < n && inside; ++k)
      inside = r[k].box_min.x >= min.x && r[k].box_min.y >= min.y && r[k].box_max.x <= max.x &&
               r[k].box_max.y <= max.y;
    if (inside) changed += set_item_selected(item, on);
  }
  return changed;
}

int select_group_items(int group) {
  int changed = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if ((item_flags(item) & ITEM_FLAG_SELECTED) == 0 || item->extra.empty()) continue;
    if (block_machining_group(item_block(item)) == group) changed += set_item_selected(item, 1);
  }
  return changed;
}

// ---- machining use ----

namespace {

// Gives one item the operation: 1 when it changed.
int set_item_cam_op(DrawingItem* item, int op) {
  GeometryBlock* block = item_block(item);
  if (op == 0) {
    if (block->cam_kind == GEOMETRY_KIND_DRAWING_AID) return 0;
    remove_item_cam(item);
    return 1;
  }
  if (block->cam_kind == GEOMETRY_KIND_DRAWING_AID) {
    block = add_item_cam(item);
    if (block == nullptr) return 0;
    apply_cam_defaults(block, op);
  } else if (block_cam_op(block) == op) {
    return 0;
  }
  set_block_cam_op(block, static_cast<uint8_t>(op));
  return 1;
}

int apply_to_selection(int op) {
  const std::vector<DrawingItem*> items = selected_items();
  if (items.empty()) return -1;
  int changed = 0;
  for (DrawingItem* item : items) changed += set_item_cam_op(item, op);
  return changed;
}

}  // namespace

int set_points_cam_op(int op, int* ignored) {
  for (DrawingItem* item : selected_items()) {
    if (item_type(item) == ITEM_POINT) continue;
    set_item_selected(item, 0);
    ++*ignored;
  }
  return apply_to_selection(op);
}

int set_contours_cam_op(int op, int* open_count, int* point_count) {
  constexpr int OP_NEEDS_CLOSED = 1;  // operations above this need closed contours
  if (op > OP_NEEDS_CLOSED) {
    for (bool again = true; again;) {
      again = false;
      for (DrawingItem* item : selected_items()) {
        if (item_type(item) != ITEM_POLYLINE || item_is_closed(item)) continue;
        if (close_if_touching(item) == 1) continue;
        if (auto_join_item(item) > 0) {
          again = true;  // the join changed the list: look at it afresh
          break;
        }
        set_item_selected(item, 0);
        ++*open_count;
      }
    }
  }
  for (DrawingItem* item : selected_items()) {
    if (item_type(item) != ITEM_POINT) continue;
    set_item_selected(item, 0);
    ++*point_count;
  }
  return apply_to_selection(op);
}

// ---- the clipboard ----

bool drawing_or_clipboard_nonempty() {
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next)
    if (!item->extra.empty() && item->state != 0) return true;
  return g_drawing_page.clipboard.first != nullptr;
}

void empty_clipboard() { empty_item_clipboard(); }

void keep_newest_clipboard_copies() {
  LineList& clip = g_drawing_page.clipboard;
  std::vector<DrawingItem*> items;
  for (DrawingItem* item = clip.first; item != nullptr; item = item->next) items.push_back(item);
  // Items were appended as they came: a later one of the same ID is the newer copy.
  std::stable_sort(items.begin(), items.end(), [](const DrawingItem* a, const DrawingItem* b) {
    return item_id(a) < item_id(b);
  });
  std::vector<DrawingItem*> kept;
  for (size_t k = 0; k < items.size(); ++k) {
    if (k + 1 < items.size() && item_id(items[k + 1]) == item_id(items[k])) {
      items[k]->prev = items[k]->next = nullptr;
      free_list(items[k]);
      continue;
    }
    kept.push_back(items[k]);
  }
  clip = LineList{};
  for (DrawingItem* item : kept) {
    item->prev = clip.last;
    item->next = nullptr;
    if (clip.last != nullptr) clip.last->next = item;
    else clip.first = item;
    clip.last = item;
  }
}

int selection_to_clipboard(bool cut) {
  const std::vector<DrawingItem*> items = selected_items();
  if (items.empty()) return 0;
  int taken = 0;
  if (cut) discard_originals();
  for (DrawingItem* item : items) {
    if (copy_item_with_extra_links(item, 0) != 0) break;
    DrawingItem* copy = g_lists.current.last;
    copy->state = static_cast<uint8_t>(copy->state & ~ITEM_FLAG_WORKING);
    move_to_item_clipboard(copy);
    if (cut) {
      erase_item(item);
      item->state = static_cast<uint8_t>(item->state & ~ITEM_FLAG_WORKING);
      move_to_originals(item);
    }
    ++taken;
  }
  // A cut is a deletion the user can undo: the originals go behind one undo step.
  if (cut && taken > 0) undo_record_deleted(nullptr);
  keep_newest_clipboard_copies();
  g_draw_style.draw_colour = 0;
  mark_job_changed();
  return taken;
}

// ---- other operations ----

int delete_selected_items() {
  clear_hover_hilite();
  g_hover.hover_item = nullptr;
  g_hover.pick_kind = 0;
  const std::vector<DrawingItem*> items = selected_items();
  if (items.empty()) return 0;
  discard_originals();
  for (DrawingItem* item : items) {
    erase_item(item);
    move_to_originals(item);
  }
  mark_job_changed();
  undo_record_deleted(nullptr);
  g_draw_style.draw_colour = 0;
  return static_cast<int>(items.size());
}

int set_selected_layer(uint8_t layer) {
  const std::vector<DrawingItem*> items = selected_items();
  for (DrawingItem* item : items) item_block(item)->layer = layer;
  char text[48];
  std::snprintf(text, sizeof text, "Set layer for %d items.", static_cast<int>(items.size()));
  report(text, REPORT_11_TICKS);
  mark_job_changed();
  return static_cast<int>(items.size());
}

int convert_to_polylines(int mask, int total) {
  int converted = 0;
  for (DrawingItem* item = g_lists.current.first; item != nullptr; item = item->next) {
    if ((item_flags(item) & mask) == 0 || item->extra.empty()) continue;
    if (item_type(item) == ITEM_POLYLINE) continue;
    converted += make_plain_polyline(item);
  }
  char text[160];
  if (converted > 0 && converted == total) {
    std::snprintf(text, sizeof text, "All %d items were converted to polylines.", converted);
    report(text, REPORT_18_TICKS);
  } else if (converted > 0) {
    std::snprintf(text, sizeof text,
                  "%d of %d items converted to polylines.\n(Note: Points and text do not "
                  "convert.)",
                  converted, total);
    report(text, TEXTBOX_CLOSE_AT_ONCE);
  } else {
    report("Nothing needed to be converted to polylines.\n(Note: Points and text do not "
           "convert.)",
           TEXTBOX_CLOSE_AT_ONCE);
  }
  if (converted > 0) mark_job_changed();
  return converted;
}

// ---- the mode ----

int selection_mode(int flag) {
  if (!drawing_or_clipboard_nonempty()) return SELECTION_NOT_STARTED;
  hide_pointer();
  set_pointer_shape(PAGE_POINTER_DEFAULT);
  const bool panel = g_preferences.drawing.side_panel != 0;
  if (flag == 0) {
    if (hovering_item()) {
      set_item_selected(g_hover.hover_item, 1);
    } else {
      if (panel) {
        show_prompt(FIRST_BOX_PROMPT_PANEL);
        help_box_text(FIRST_BOX_PANEL_HELP);
      } else {
        show_prompt(FIRST_BOX_PROMPT);
      }
      PointF p1{}, p2{};
      if (rubber_box(&p1, &p2, BOX_MODE) == RUBBER_CANCELLED) {
        help_box_text(nullptr);
        return SELECTION_BOX_CANCELLED;
      }
      select_items_in_box(p1, p2, 1);
    }
  }
  g_selection.running = 1;
  g_selection.panel_was_shown = panel ? 1 : 0;
  if (!panel) {
    g_preferences.drawing.side_panel = 1;
    layout_paint_boxes();
    g_drawing_page.full_redraw = 1;
  }
  button_commands_set(COMMAND_SELECT, COMMAND_NOTHING, COMMAND_UNSELECT);
  bool rebuild = true;
  for (;;) {
    if (rebuild) {
      build_screen();
      rebuild = false;
    }
    draw_selected_count();
    EventCode code = next_editor_event_hover();
    if (code == EVENT_REDRAW || g_form.redraw_level != 0 || g_drawing_page.full_redraw != 0) {
      rebuild = true;
      if (code == EVENT_REDRAW) continue;
    }
    if (code == EVENT_QUIT) {
      push_input_code(EVENT_QUIT);
      break;
    }
    if (code == KEY_ESC) break;
    if (code == EVENT_CONTROL_CLICKED) {
      const int id = hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y);
      if (id == ID_DONE) break;
      if (id > 0) rebuild = run_control(id);
      continue;
    }
    if (code == KEY_DEL) code = ID_DELETE + 10000;
    switch (code) {
      case CODE_F8: cycle_axis_lock(1); continue;
      case EVENT_POINTER_MOVE:
        if (hovering_item()) {
          g_hover.item_shape =
              item_is_selected(g_hover.hover_item) ? SHAPE_OVER_SELECTED : SHAPE_OVER_ITEM;
          set_pointer_shape(g_hover.item_shape);
        }
        continue;
      case CODE_CTRL_A: select_all_items(SELECT_ALL); continue;
      case CODE_CTRL_C:
        if (count_selected_items() > 0) {
          empty_clipboard();
          selection_to_clipboard(false);
          show_clipboard_status(1);
        }
        continue;
      case CODE_CTRL_V:
        if (g_drawing_page.clipboard.first != nullptr) rebuild = run_control(ID_PASTE);
        continue;
      case CODE_CTRL_Z:
        if ((g_events.last_modifiers & MODIFIER_SHIFT) != 0) redo_command();
        else undo_command();
        view_keys(VIEW_REDRAW_ONLY);
        rebuild = true;
        continue;
      case ID_DELETE + 10000: run_control(ID_DELETE); continue;
      case COMMAND_SELECT:
      case COMMAND_UNSELECT: {
        const bool left = code == COMMAND_SELECT;
        if (hovering_item()) {
          DrawingItem* item = g_hover.hover_item;
          if (left && item_is_selected(item)) {
            g_hover.pick_mode &= static_cast<uint16_t>(~PICK_MODE_ITEM);
            edit_command(COMMAND_DRAG_MOVE);
            rebuild = true;
            continue;
          }
          if (left || item_is_selected(item)) {
            set_item_selected(item, left ? 1 : 0);
            g_hover.item_shape = left ? SHAPE_OVER_SELECTED : SHAPE_OVER_ITEM;
            set_pointer_shape(g_hover.item_shape);
            continue;
          }
        }
        select_by_box(left ? 1 : 0);
        continue;
      }
      default: break;
    }
    if (code > 0 && code < 256) {
      const int id = key_control(static_cast<EventCode>(std::tolower(code)));
      if (id > 0) {
        rebuild = run_control(id);
        continue;
      }
    }
    if (view_keys(code) != 0) update_cursor_point();
  }
  leave_mode();
  return SELECTION_LEFT;
}

void reset_selection_mode() {
  g_selection = SelectionModeState{};
  g_controls_table.clear();
}
