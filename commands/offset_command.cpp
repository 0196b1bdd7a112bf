#include "commands/offset_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "commands/node_edit_session.h"
#include "commands/view_buttons.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/draw_style.h"
#include "editor/drawing_commands.h"
#include "editor/edit_session.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/undo_store.h"
#include "editor/view.h"
#include "geometry/contour_offset.h"
#include "geometry/item_edit_state.h"
#include "geometry/link_side.h"
#include "records/job_settings.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/float_text.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/entry_line.h"

#include "editor/coord_entry.h"
#include "ui/field_flags.h"
#include "ui/message_box.h"

OffsetState g_offset;

void reset_offset_state() { g_offset = OffsetState{}; }

namespace {

constexpr char TYPED_VALUE_TEXT[] = "Enter the value to use...\n\n";
constexpr int TYPED_VALUE_WIDTH = 9;

}  // namespace

int read_typed_offset(EventCode code, float* value) {
  if (!starts_typed_value(code)) return -1;
  // The key opens the entry as its first character (a box that allows a minus sign would drop
  // it: the side comes from the pointer, so the value is a size).
  push_input_code_front(code);
  float typed = 0.0f;
  const int result = message_box(MSGBOX_CENTRE, MSGBOX_CENTRE, 30, TYPED_VALUE_TEXT,
                                 FIELD_FLOAT, &typed, TYPED_VALUE_WIDTH, nullptr, 0,
                                 nullptr);
  if (result == KEY_ESC || result == EVENT_QUIT || typed == 0.0f || !std::isfinite(typed))
    return -1;
  *value = typed;
  g_offset.value = std::fabs(typed);
  return 0;
}

// ---- the panel ----

namespace {

constexpr int16_t CMD_DRAG_LINK = 836;
constexpr int16_t CMD_DRAG_CAD = 837;
constexpr int16_t CMD_DRAG_CAM = 838;
constexpr int16_t CMD_LINK_BY_VALUE = 869;
constexpr int16_t CMD_ITEM_BY_VALUE = 870;
constexpr int16_t CMD_FINISHED = 888;
constexpr int16_t CMD_NONE = 895;

constexpr uint8_t ID_DONE = 10;
constexpr uint8_t ID_LAYER_LABEL = 9;
constexpr uint8_t ID_LAYER = 11;
constexpr uint8_t ID_SAME_LAYER = 13;
constexpr uint8_t ID_DELETE = 14;
constexpr uint8_t ID_CAM = 15;
constexpr uint8_t ID_CAD = 16;
constexpr uint8_t ID_BY_DRAGGING = 17;
constexpr uint8_t ID_BY_VALUE = 18;
constexpr uint8_t ID_VALUE = 19;
constexpr uint8_t ID_BOTH = 20;
constexpr uint8_t ID_LINKS = 21;
constexpr uint8_t ID_ITEMS = 22;
constexpr uint8_t ID_NEW_LINK = 23;
constexpr uint8_t ID_MODIFY = 24;

constexpr int VALUE_WIDTH = 9;
constexpr uint32_t MESSAGE_FLAGS = TEXTBOX_SCREEN_CENTRE | TEXTBOX_WAIT_KEY;

constexpr char PROMPT[] = "OFFSET:";
constexpr char VIEW_HINT[] = "Press PGUP & PGDN to zoom in/out,\nand the arrow keys to pan";
constexpr char SIDE_PROMPT[] = "\nClick on the side to offset...";
constexpr char NO_VALUE_TEXT[] = "You must specify an offset distance!";
constexpr char POINT_REFUSED[] = "This version does not make offsets of points.";
constexpr char TEXT_DRAG_REFUSED[] =
    "You must set a fixed offset distance for text items; ie, you cannot \vdrag\x13 the offset "
    "of text items.";
constexpr char NOTHING_MADE_TEXT[] = "The offset made nothing: try a smaller distance or the "
                                     "other side.";

std::vector<ScreenControl>& table() {
  static std::vector<ScreenControl> t;
  if (t.empty()) {
    t.push_back(make_control("Done", ID_DONE, 0, -6, 1, 4, 0, 0));
    t.push_back(make_control("Layer for\n   offset:", ID_LAYER_LABEL, 2, 3, 2, 9, 0, CF_NO_BOX));
    t.push_back(make_control("", ID_LAYER, 2, 12, 1, 3, 0, CF_ENTRY));
    t.push_back(make_control("Same as original", ID_SAME_LAYER, 3, 15, 1, 16, 0, CF_CHECKBOX));
    t.push_back(make_control("Delete original", ID_DELETE, 2, -28, 1, 15, 0, CF_CHECKBOX));
    t.push_back(make_control("CAM-type", ID_CAM, 2, 34, 1, 8, 0, CF_RADIO));
    t.push_back(make_control("CAD-type", ID_CAD, 3, 34, 1, 8, 0, CF_RADIO));
    t.push_back(make_control("By dragging", ID_BY_DRAGGING, 2, 50, 1, 11, 0, CF_RADIO));
    t.push_back(make_control("By value:", ID_BY_VALUE, 3, 50, 1, 8, 0, CF_RADIO));
    t.push_back(make_control("", ID_VALUE, 3, 63, 1, VALUE_WIDTH, 0, CF_ENTRY));
    t.push_back(make_control("Offset both sides", ID_BOTH, 3, -28, 1, 18, 0, CF_CHECKBOX));
    t.push_back(make_control("\fINDIVIDUAL \vL\fINKS", ID_LINKS, 0, 12, 1, 16, 0, CF_RADIO));
    t.push_back(make_control("\fENTIRE \vP\fOLYLINES", ID_ITEMS, 0, 38, 1, 16, 0, CF_RADIO));
    t.push_back(make_control("Create \vn\023ew link", ID_NEW_LINK, 2, 30, 1, 15, 0, CF_RADIO));
    t.push_back(make_control("\vM\x13odify original", ID_MODIFY, 3, 30, 1, 15, 0, CF_RADIO));
    t.push_back(make_control("or", 0, 0, 33, 1, 2, 0, CF_NO_BOX));
    ViewButtonLayout view;
    view.label = {0, -40};
    view.in = {0, -33};
    view.out = {0, -29};
    view.to_drawing = {0, -24};
    view.pan = {0, -16};
    view.to_drawing_caption = "drawing";
    append_view_buttons(&t, view);
    t.push_back(end_control());
  }
  return t;
}

ScreenControl* control(uint8_t id) { return find_control_in(table().data(), id); }

void set_flag(uint8_t id, uint32_t flag, bool on) {
  ScreenControl* c = control(id);
  if (c == nullptr) return;
  if (on) c->flags |= flag;
  else c->flags &= ~flag;
}

// The layout rule: what each choice shows and hides, and the marks of the choices.
void fill_controls() {
  const OffsetState& s = g_offset;
  const bool links = s.individual_links;
  const bool modify = links && !s.create_new_link;
  set_flag(ID_SAME_LAYER, CF_CHECKED, s.same_as_original);
  set_flag(ID_DELETE, CF_CHECKED, s.delete_original);
  set_flag(ID_CAM, CF_CHECKED, s.cam_type);
  set_flag(ID_CAD, CF_CHECKED, !s.cam_type);
  set_flag(ID_BY_DRAGGING, CF_CHECKED, !s.by_value);
  set_flag(ID_BY_VALUE, CF_CHECKED, s.by_value);
  set_flag(ID_BOTH, CF_CHECKED, s.both_sides);
  set_flag(ID_LINKS, CF_CHECKED, links);
  set_flag(ID_ITEMS, CF_CHECKED, !links);
  set_flag(ID_NEW_LINK, CF_CHECKED, s.create_new_link);
  set_flag(ID_MODIFY, CF_CHECKED, !s.create_new_link);
  for (const uint8_t id : {ID_CAM, ID_CAD, ID_DELETE}) set_flag(id, CF_HIDDEN, links);
  for (const uint8_t id : {ID_NEW_LINK, ID_MODIFY}) set_flag(id, CF_HIDDEN, !links);
  for (const uint8_t id : {ID_BOTH, ID_LAYER_LABEL, ID_LAYER, ID_SAME_LAYER})
    set_flag(id, CF_HIDDEN, modify);
  std::snprintf(control(ID_LAYER)->caption, sizeof control(ID_LAYER)->caption, "%3d", s.layer);
  const std::string value = format_float_text(s.value, 0);
  std::snprintf(control(ID_VALUE)->caption, sizeof control(ID_VALUE)->caption, "%s",
                value.c_str());
}

int16_t left_command() {
  const OffsetState& s = g_offset;
  if (s.by_value) return s.individual_links ? CMD_LINK_BY_VALUE : CMD_ITEM_BY_VALUE;
  if (s.individual_links) return CMD_DRAG_LINK;
  return s.cam_type ? CMD_DRAG_CAM : CMD_DRAG_CAD;
}

void show_panel() {
  fill_controls();
  g_button_bindings.current[BUTTON_LEFT_BIT] = left_command();
  draw_controls(table().data(), 0);
  draw_button_legend(1);
}

void start_panel() {
  show_message_area(VIEW_HINT);
  help_pop();
  help_push(g_offset.individual_links ? MSG_HELP_OFFSET_LINKS : MSG_HELP_OFFSET_ITEMS);
  help_show_top();
  show_prompt(PROMPT);
  show_panel();
  g_hover.hover_item = nullptr;
}

int cell_row(const ScreenControl* c) {
  return c->y / std::max<int>(1, g_display.presets[FACE_ROLE_MENU].cell_height);
}
int cell_column(const ScreenControl* c) {
  return c->x / std::max<int>(1, g_display.presets[FACE_ROLE_MENU].cell_width);
}

// The value typed into its field; Enter chooses "By value:".
void edit_value(EventCode first_key) {
  ScreenControl* c = control(ID_VALUE);
  if (first_key != 0) push_input_code_front(first_key);
  float typed = g_offset.value;
  const int16_t result =
      edit_number_box(cell_row(c), cell_column(c), VALUE_WIDTH, &typed, FIELD_FLOAT, EXIT_ENTER);
  if (result < 0 && std::isfinite(typed)) {
    g_offset.value = std::fabs(typed);
    g_offset.by_value = true;
  }
  show_panel();
}

void edit_layer() {
  ScreenControl* c = control(ID_LAYER);
  uint8_t layer = g_offset.layer;
  int16_t value = layer;
  const int16_t result = edit_number_box(cell_row(c), cell_column(c), 3, &value, FIELD_SHORT,
                                         EXIT_ENTER);
  if (result < 0 && value >= 0 && value <= LAYER_LAST_USER) g_offset.layer = static_cast<uint8_t>(value);
  show_panel();
}

// The side of a by-value offset: a click beside the link, or for text the catalogue choice.
// The signed distance, or 0 when the user backed out.
float choose_side(DrawingItem* item, const LinkRecord* link) {
  const float value = g_offset.value;
  if (g_offset.both_sides) return value;
  if (item_is_text(item)) {
    const int16_t choice = ask_catalogue_choice(MSG_CHOICE_TEXT_OFFSET_SIDE, g_offset.text_side);
    if (choice != 0 && choice != 1) return 0.0f;
    g_offset.text_side = choice;
    g_offset.cam_type = true;
    return choice == 0 ? -value : value;
  }
  show_prompt(SIDE_PROMPT);
  for (;;) {
    const EventCode code = next_editor_event();
    if (code == KEY_ESC || code == EVENT_QUIT) {
      if (code == EVENT_QUIT) push_input_code(EVENT_QUIT);
      return 0.0f;
    }
    if (code != EVENT_LEFT_DOWN && code != CMD_LINK_BY_VALUE && code != CMD_ITEM_BY_VALUE)
      continue;
    const PointF p = g_hover.cursor_point;
    return link_side_distance(item, link, &p) < 0.0 ? -value : value;
  }
}

// ---- the drags ----

// The preview items (drawn with the XOR pen) taken off the screen and deleted.
void erase_after(DrawingItem* last) {
  DrawingItem* first = last != nullptr ? last->next : g_lists.current.first;
  for (DrawingItem* i = first; i != nullptr; i = i->next) draw_item_in_colour(i, COLOUR_EDITING);
  for (DrawingItem* i = g_lists.current.last; i != nullptr && i != last;) {
    DrawingItem* prev = i->prev;
    delete_line(i);
    i = prev;
  }
}

// Makes the preview for the signed distance after `last`; true when something was made.
bool make_preview(DrawingItem* item, const LinkRecord* link, float d, DrawingItem* last) {
  if (g_offset.individual_links) {
    for (const float side : {d, -d}) {
      LinkRecord buffer[2] = {};
      if (offset_link(link, side, buffer) == 0) {
        buffer[0].node_flags = NODE_FIRST;
        buffer[1].node_flags = NODE_CLOSING;
        arc_angles_from_points(buffer);
        link_bounding_box(buffer);
        if (new_geometry_block("", buffer, 1, g_item_edit.new_item_layer,
                               GEOMETRY_KIND_DRAWING_AID) == 0)
          set_item_type(g_lists.current.last, ITEM_POLYLINE);
      }
      if (!g_offset.both_sides) break;
    }
  } else {
    const int flags = g_offset.cam_type ? OFFSET_ROUND : 0;
    if (offset_item(item, d, flags) == OFFSET_ITEM_DONE && g_offset.both_sides)
      offset_item(item, -d, flags);
  }
  DrawingItem* first = last != nullptr ? last->next : g_lists.current.first;
  for (DrawingItem* i = first; i != nullptr; i = i->next) draw_item_in_colour(i, COLOUR_EDITING);
  return g_lists.current.last != last;
}

void show_drag_value(float d) {
  char text[64];
  std::snprintf(text, sizeof text, "Offset value: \f%s", format_float_text(std::fabs(d), 0x44).c_str());
  show_message_area(text);
  g_offset.value = std::fabs(d);
  fill_controls();
  draw_controls(table().data(), 0);
}

// The offset follows the pointer until a click or Enter keeps it (one undo step) or Esc drops
// it. True when a typed distance ended the drag.
bool drag_offset(DrawingItem* item, const LinkRecord* link) {
  button_commands_set(CMD_FINISHED, CMD_FINISHED, CMD_FINISHED);
  help_push(MSG_HELP_OFFSET_DRAG);
  help_show_top();
  DrawingItem* last = g_lists.current.last;
  bool made = false;
  bool keep = false;
  bool typed = false;
  for (bool done = false; !done;) {
    const EventCode code = next_editor_event();
    float d = 0.0f;
    if (code == EVENT_POINTER_MOVE) {
      const PointF p = g_hover.cursor_point;
      d = static_cast<float>(link_side_distance(item, link, &p));
    } else if (starts_typed_value(code)) {
      float v = 0.0f;
      if (read_typed_offset(code, &v) != 0) continue;
      const PointF p = g_hover.cursor_point;
      d = link_side_distance(item, link, &p) < 0.0 ? -std::fabs(v) : std::fabs(v);
      typed = true;
    } else if (code == KEY_ESC || code == EVENT_QUIT) {
      if (code == EVENT_QUIT) push_input_code(EVENT_QUIT);
      done = true;
      continue;
    } else if (code == KEY_ENTER || code == CMD_FINISHED) {
      keep = made;
      done = true;
      continue;
    } else {
      continue;
    }
    if (d == 0.0f) continue;
    erase_after(last);
    made = make_preview(item, link, d, last);
    if (!made) continue;
    show_drag_value(d);
    if (typed) {
      keep = true;
      done = true;
    }
  }
  if (!keep) {
    erase_after(last);
  } else {
    DrawingItem* first = last != nullptr ? last->next : g_lists.current.first;
    int count = 0;
    for (DrawingItem* i = first; i != nullptr; i = i->next, ++count) {
      set_item_id(i, ++g_job_settings.item_id_counter);
      draw_item_in_colour(i, COLOUR_EDITING);
      draw_item_in_colour(i, item_layer(i));
    }
    if (g_offset.delete_original && !g_offset.individual_links) {
      draw_item_in_colour(item, COLOUR_ERASE);
      move_to_originals(item);
    }
    undo_record_replaced(count, first_original() != nullptr ? 1 : 0);
    mark_job_changed();
  }
  help_pop();
  help_show_top();
  button_commands_pop();
  draw_button_legend(1);
  return keep && typed;
}

// A click on an item or link with the left button's command.
void offset_hovered(int16_t command) {
  HoverState& h = g_hover;
  DrawingItem* item = h.hover_item;
  LinkRecord* link = h.hover_link;
  if (item == nullptr || item->extra.empty()) return;
  if (link == nullptr) link = item_nodes(item);
  if (item_type(item) == ITEM_POINT) {
    show_text_box(POINT_REFUSED, MESSAGE_FLAGS);
    return;
  }
  const bool by_value = command == CMD_LINK_BY_VALUE || command == CMD_ITEM_BY_VALUE;
  if (item_is_text(item) && !by_value) {
    show_text_box(TEXT_DRAG_REFUSED, MESSAGE_FLAGS);
    return;
  }
  g_item_edit.new_item_layer = g_offset.same_as_original ? item_layer(item) : g_offset.layer;
  g_item_edit.assign_new_items = 1;
  if (!by_value) {
    if (g_offset.individual_links && !g_offset.create_new_link) {
      show_missing_command_notice();
      return;
    }
    drag_offset(item, link);
    h.hover_item = nullptr;
    h.pick_kind = 0;
    return;
  }
  if (g_offset.value == 0.0f) {
    show_text_box(NO_VALUE_TEXT, MESSAGE_FLAGS);
    edit_value(0);
    return;
  }
  const int32_t link_index = h.link_index;
  const int16_t pick = h.pick_kind;
  const float d = choose_side(item, link);
  show_prompt(PROMPT);
  if (d == 0.0f) return;
  // The side click moved the hover: the session works on the item and link clicked first.
  h.hover_item = item;
  h.hover_link = link;
  h.link_index = link_index;
  h.pick_kind = pick;
  if (command == CMD_LINK_BY_VALUE) {
    g_edit.node.offset_distance = d;
    node_edit_session(CMD_LINK_BY_VALUE);
  } else {
    g_edit.node.offset_distance = d;
    if (node_edit_session(CMD_ITEM_BY_VALUE) != 0) show_text_box(NOTHING_MADE_TEXT, MESSAGE_FLAGS);
  }
  h.hover_item = nullptr;
  h.pick_kind = 0;
}

}  // namespace

int offset_command() {
  HoverState& h = g_hover;
  OffsetState& s = g_offset;
  hide_pointer();
  button_commands_set(left_command(), CMD_NONE, CMD_NONE);
  const uint16_t saved_pick_mode = h.pick_mode;
  push_control_table();
  help_push(MSG_HELP_OFFSET_ITEMS);
  start_panel();
  for (bool done = false; !done;) {
    h.pick_mode = PICK_MODE_LINKS | PICK_MODE_ITEM_MARKERS;
    const EventCode code = next_editor_event_hover();
    if (g_form.redraw_level != 0 || code == EVENT_REDRAW) {
      g_form.redraw_level = 0;
      view_keys(VIEW_REDRAW_ONLY);
      start_panel();
      continue;
    }
    uint8_t id = 0;
    if (code == EVENT_CONTROL_CLICKED)
      id = static_cast<uint8_t>(hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y));
    else if (code == 'l' || code == 'L') id = ID_LINKS;
    else if (code == 'p' || code == 'P') id = ID_ITEMS;
    else if (code == 'n' || code == 'N') id = ID_NEW_LINK;
    else if (code == 'm' || code == 'M') id = ID_MODIFY;
    switch (code) {
      case KEY_ENTER:
      case KEY_ESC: done = true; continue;
      case EVENT_QUIT: push_input_code(EVENT_QUIT); done = true; continue;
      case CMD_NONE: done = ask_catalogue_choice(MSG_OFFSET_BUTTON_CHOICE, 1) == 0; continue;
      case CMD_LINK_BY_VALUE:
      case CMD_ITEM_BY_VALUE:
      case CMD_DRAG_LINK:
      case CMD_DRAG_CAD:
      case CMD_DRAG_CAM:
        offset_hovered(code);
        start_panel();
        continue;
      default: break;
    }
    switch (id) {
      case 0: break;
      case ID_DONE: done = true; continue;
      case ID_LINKS:
      case ID_ITEMS:
        s.individual_links = id == ID_LINKS;
        start_panel();
        continue;
      case ID_NEW_LINK:
      case ID_MODIFY: s.create_new_link = id == ID_NEW_LINK; show_panel(); continue;
      case ID_SAME_LAYER: s.same_as_original = !s.same_as_original; show_panel(); continue;
      case ID_DELETE: s.delete_original = !s.delete_original; show_panel(); continue;
      case ID_BOTH: s.both_sides = !s.both_sides; show_panel(); continue;
      case ID_CAM:
      case ID_CAD: s.cam_type = id == ID_CAM; show_panel(); continue;
      case ID_BY_DRAGGING:
      case ID_BY_VALUE: s.by_value = id == ID_BY_VALUE; show_panel(); continue;
      case ID_VALUE: edit_value(0); continue;
      case ID_LAYER: edit_layer(); continue;
      default: run_view_button(id); continue;
    }
    if (starts_typed_value(code)) {
      edit_value(code);
      continue;
    }
    if (view_keys(code) != 0) update_cursor_point();
  }
  pop_control_table();
  help_pop();
  help_show_top();
  button_commands_pop();
  draw_button_legend(1);
  h.hover_item = nullptr;
  h.pick_kind = 0;
  h.pick_mode = 0x0e;
  (void)saved_pick_mode;
  g_item_edit.assign_new_items = 0;
  return 0;
}
