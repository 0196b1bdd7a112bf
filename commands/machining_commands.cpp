#include "commands/machining_commands.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cam/cam_defaults.h"
#include "cam/machining_block.h"
#include "cam/machining_groups.h"
#include "cam/make_nc.h"
#include "cam/mass_change.h"
#include "cam/reorder_items.h"
#include "editor/button_bindings.h"
#include "editor/canvas_cursor.h"
#include "editor/coord_entry.h"
#include "editor/drawing_commands.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/view.h"
#include "records/job_settings.h"
#include "screen/controls.h"
#include "screen/main_form.h"
#include "screen/pointer.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/layer_list.h"
#include "ui/message_box.h"
#include "ui/one_number_form.h"
#include "ui/popups.h"
#include "ui/settings_fields.h"

MachiningCommandState g_machining_commands;

void reset_machining_commands() { g_machining_commands = MachiningCommandState{}; }

namespace {

constexpr int16_t COMMAND_PICK = 801;
constexpr int16_t COMMAND_NONE = 895;
constexpr int16_t COMMAND_QUIT = 889;
constexpr uint8_t STRIP_DONE = 27;
constexpr uint8_t STRIP_TO_DRAWING = 100;
constexpr uint8_t STRIP_IN = 105;
constexpr uint8_t STRIP_OUT = 111;
constexpr char NUMBER_KEYS[] = "*+,-.0123456789<=>";
constexpr int GROUP_MOST = 32000;

std::vector<ScreenControl>& group_strip() {
  static std::vector<ScreenControl> table;
  if (table.empty()) {
    table.push_back(make_control("Done", STRIP_DONE, 0, -5, 1, 4, 0, 0));
    table.push_back(make_control("Zoom:", 0, 3, -31, 1, 5, 0, CF_NO_BOX));
    table.push_back(make_control("IN", STRIP_IN, 3, -24, 1, 3, 159, 0));
    table.push_back(make_control("OUT", STRIP_OUT, 3, -20, 1, 4, 160, 0));
    table.push_back(make_control("to drawing", STRIP_TO_DRAWING, 3, -15, 1, 10, 157, 0));
    table.push_back(end_control());
  }
  return table;
}

void show_box(const std::string& text) { show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY); }

std::string formatted(const char* format, int a, int b = 0, int c = 0) {
  char text[320];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

// A change of groups, layers or operations: the laid-out text and the tool paths are stale.
void machining_changed() {
  mark_job_changed();
  clear_tool_path();
}

// What the side panel says of the item under the pointer while a group is picked.
void show_hovered_group() {
  const DrawingItem* item = g_hover.hover_item;
  if (item == nullptr) {
    help_box_text("");
    return;
  }
  const int group = item_machining_group(item);
  if (group < 0) {
    help_box_text("This item is\na drawing aid.");
    return;
  }
  const std::string text = formatted("This is machining group\n \v%d", group);
  help_box_text(text.c_str());
}

int group_pick_loop(const char* prompt) {
  const auto show = [&] {
    show_prompt(prompt);
    draw_controls(group_strip().data(), 0);
  };
  show();
  for (;;) {
    const EventCode code = next_editor_event_hover();
    if (g_form.redraw_level != 0 || code == EVENT_REDRAW) {
      g_form.redraw_level = 0;
      view_keys(VIEW_REDRAW_ONLY);
      draw_button_legend(0);
      show();
      continue;
    }
    if (code == KEY_ESC || code == COMMAND_QUIT) return -1;
    if (code == EVENT_QUIT) {
      push_input_code(EVENT_QUIT);
      return -1;
    }
    if (code == EVENT_CONTROL_CLICKED) {
      switch (hit_test_controls(g_canvas_cursor.click_x, g_canvas_cursor.click_y)) {
        case STRIP_TO_DRAWING: zoom_to_drawing(); continue;
        case STRIP_IN: repeat_zoom_while_held(KEY_PGUP, nullptr); continue;
        case STRIP_OUT: repeat_zoom_while_held(KEY_PGDN, nullptr); continue;
        default: return -1;  // "Done"
      }
    }
    if (code == EVENT_POINTER_MOVE) {
      show_hovered_group();
      continue;
    }
    if (code == COMMAND_PICK) {
      const DrawingItem* item = g_hover.hover_item;
      if (item == nullptr) continue;
      const GeometryBlock* block = item_block(item);
      if (block == nullptr || block->cam_kind == GEOMETRY_KIND_DRAWING_AID) {
        show_box(GROUP_NOT_MACHINED_TEXT);
        show();
        continue;
      }
      return block_machining_group(block);
    }
    if (code > 0 && code < 256 && std::strchr(NUMBER_KEYS, static_cast<int>(code)) != nullptr) {
      push_input_code(code);
      const int count = read_value_line(GROUP_TYPED_PROMPT);
      show();
      if (count <= 0) continue;
      const double value = std::trunc(g_coord.entry.current.x);
      if (value > 0) return value > GROUP_MOST ? GROUP_MOST : static_cast<int>(value);
      continue;
    }
    if (view_keys(code) != 0) update_cursor_point();
  }
}

// ---- Dialog 1010 --------------------------------------------------------------------------------

constexpr int REORDER_ROW_BY_LAYER = 1;
constexpr int REORDER_ROW_EITHER_END = 2;
static_assert(FORM_REORDER_OPTIONS_FIELDS == REORDER_ROW_EITHER_END + 1);
constexpr char YES_NO_LETTERS[] = "NY";
const char* const NO_YES[] = {"No", "Yes"};
constexpr int YES_NO_WIDTH = 3;

// ---- Dialogs 1000 and 1008 -------------------------------------------------------------------------

constexpr int CHANGE_ROW_LAYER = 1;
constexpr int CHANGE_ROW_OPERATION = 2;
constexpr int FILTER_ROW_TYPE = 3;
constexpr int FILTER_ROW_LAYER_FROM = 4;
constexpr int FILTER_ROW_LAYER_TO = 5;
constexpr int FILTER_ROW_HIDDEN = 6;
constexpr int FILTER_ROW_MARKED = 7;
static_assert(FORM_CHANGE_LAYER_FIELDS == CHANGE_ROW_OPERATION + 1);
static_assert(FORM_CHANGE_FILTER_FIELDS == FILTER_ROW_MARKED + 1);
constexpr int CHOICE_WIDTH = 24;

// The item types the filter offers; points only where drill points can be changed.
const char* const TYPE_NAMES[] = {"Polyline", "Slot",    "Rectangle", "Round rect", "Circle",
                                  "Polygon",  "Ellipse", "Text",      "Point",      nullptr};
constexpr uint8_t TYPE_CODES[] = {ITEM_POLYLINE, ITEM_SLOT,    ITEM_RECTANGLE, ITEM_ROUNDED_RECTANGLE,
                                  ITEM_CIRCLE,   ITEM_POLYGON, ITEM_ELLIPSE,   ITEM_TEXT,
                                  ITEM_POINT};
constexpr int TYPE_COUNT = 9;
constexpr char ALL_TYPES_TEXT[] = "(all)";
constexpr char KEEP_TEXT[] = "(unchanged)";

int type_index(uint8_t type) {
  for (int k = 0; k < TYPE_COUNT; ++k)
    if (TYPE_CODES[k] == type) return k;
  return -1;
}

// A layer field over a scratch byte: 255 stays "unchanged", Del puts it back.
EventCode edit_change_layer(uint8_t* layer) {
  uint8_t record[LAYER_FIELD_OFFSET + 1] = {};
  record[LAYER_FIELD_OFFSET] = *layer == CHANGE_BYTE_UNCHANGED ? 0 : *layer;
  const EventCode result = edit_layer_field(record);
  if (result == -KEY_DEL) *layer = CHANGE_BYTE_UNCHANGED;
  else if (result < 0) *layer = record[LAYER_FIELD_OFFSET];
  return result;
}

void show_change_layer(uint8_t layer) {
  if (layer == CHANGE_BYTE_UNCHANGED) show_text_value(KEEP_TEXT, CHOICE_WIDTH);
  else show_layer_name_field(layer);
}

EventCode edit_change_operation() {
  CamParams wanted = change_record_params();
  uint8_t op = wanted.operation == CHANGE_BYTE_UNCHANGED ? 0 : wanted.operation;
  std::vector<const char*> names(CAM_OPERATION_LIST, CAM_OPERATION_LIST + 7);
  names.push_back(nullptr);
  const EventCode result = pick_string_field(names.data(), "Select", g_field.display_row,
                                             g_field.value_column, &op, CHOICE_WIDTH, nullptr);
  if (result == -KEY_DEL) wanted.operation = CHANGE_BYTE_UNCHANGED;
  else if (result < 0) wanted.operation = op < 7 ? op : CHANGE_BYTE_UNCHANGED;
  set_change_record_params(wanted);
  return result;
}

void show_change_operation() {
  const CamParams wanted = change_record_params();
  if (wanted.operation == CHANGE_BYTE_UNCHANGED) show_text_value(KEEP_TEXT, CHOICE_WIDTH);
  else show_text_value(CAM_OPERATION_LIST[wanted.operation % 7], CHOICE_WIDTH);
}

EventCode edit_yes_no(uint8_t* value) {
  uint8_t index = *value != 0 ? 1 : 0;
  const EventCode result = cycle_list_field(YES_NO_LETTERS, &index, 0, YES_NO_WIDTH);
  if (result < 0) *value = index;
  return result;
}

EventCode edit_change_row(int row) {
  MassChange& m = g_mass_change;
  switch (row) {
    case 0: return ok_cancel_field();
    case CHANGE_ROW_LAYER: return edit_change_layer(&m.new_layer);
    case CHANGE_ROW_OPERATION: return edit_change_operation();
    case FILTER_ROW_TYPE: {
      // Index 0 is every type; the list's own entries follow.
      std::vector<const char*> names{ALL_TYPES_TEXT};
      const int shown = m.hide_second_pass != 0 ? TYPE_COUNT : TYPE_COUNT - 1;
      for (int k = 0; k < shown; ++k) names.push_back(TYPE_NAMES[k]);
      names.push_back(nullptr);
      uint8_t index = static_cast<uint8_t>(type_index(m.item_type) + 1);
      const EventCode result = pick_string_field(names.data(), "Select", g_field.display_row,
                                                 g_field.value_column, &index, CHOICE_WIDTH, nullptr);
      if (result < 0)
        m.item_type = index == 0 || index > shown ? CHANGE_BYTE_UNCHANGED : TYPE_CODES[index - 1];
      return result;
    }
    case FILTER_ROW_LAYER_FROM: return edit_change_layer(&m.layer_from);
    case FILTER_ROW_LAYER_TO: return edit_change_layer(&m.layer_to);
    case FILTER_ROW_HIDDEN: return edit_yes_no(&m.include_hidden);
    case FILTER_ROW_MARKED: return edit_yes_no(&m.marked_only);
    default: return 0;
  }
}

void show_change_rows(bool filters) {
  const MassChange& m = g_mass_change;
  begin_display_pass();
  skip_field_display();
  show_change_layer(m.new_layer);
  show_change_operation();
  if (filters) {
    const int index = type_index(m.item_type);
    show_text_value(index < 0 ? ALL_TYPES_TEXT : TYPE_NAMES[index], CHOICE_WIDTH);
    show_change_layer(m.layer_from);
    show_change_layer(m.layer_to);
    show_text_value(NO_YES[m.include_hidden != 0 ? 1 : 0], YES_NO_WIDTH);
    show_text_value(NO_YES[m.marked_only != 0 ? 1 : 0], YES_NO_WIDTH);
  }
  draw_ok_cancel();
}

// Options 22 and 165 once the dialog was accepted: the operation 0 makes drawing aids.
int apply_op_dialog() {
  const CamParams wanted = change_record_params();
  if (wanted.operation == CAM_OP_DRAWING_AID) return make_items_drawing_aids();
  return apply_op_and_layer(wanted);
}

}  // namespace

// ---- Groups ---------------------------------------------------------------------------------------

int set_machining_group(int mask) {
  MachiningCommandState& s = g_machining_commands;
  const std::string text = std::string("Enter the machining \vgroup number\x13 you want to set the \v") +
                           (mask == ITEM_FLAG_MARKED ? "marked" : "selected") + "\x13 items to.\n\n";
  show_text_box(text.c_str(), TEXTBOX_TOP);
  g_dialog_number = s.last_group;
  g_field.initial_field = 1;  // the number, as the box above it asks
  const int accepted = run_dialog(MSG_FORM_MACHINING_GROUP, one_number_dialog_field);
  close_top_popup();
  if (accepted == 0) return 0;
  const int32_t group = g_dialog_number < -GROUP_MOST   ? -GROUP_MOST
                        : g_dialog_number > GROUP_MOST ? GROUP_MOST
                                                       : g_dialog_number;
  s.last_group = group;
  const int count = set_group_on_items(static_cast<uint8_t>(mask), static_cast<int16_t>(group));
  if (count == 0) {
    show_box(GROUP_NONE_SELECTED_TEXT);
    return 0;
  }
  machining_changed();
  show_box(formatted("Success - set %d items", count));
  return count;
}

int pick_group_number(const char* prompt) {
  button_commands_set(COMMAND_PICK, COMMAND_NONE, COMMAND_QUIT);
  help_push(MSG_HELP_PICK_ITEM);
  push_control_table();
  const int result = group_pick_loop(prompt);
  pop_control_table();
  help_pop();
  help_show_top();
  button_commands_pop();
  draw_button_legend(1);
  return result;
}

int move_machining_group() {
  int source = -1;
  int count = 0;
  for (;;) {
    source = pick_group_number(GROUP_SOURCE_PROMPT);
    if (source < 0) return 0;
    count = select_group_items(static_cast<int16_t>(source));
    if (count > 0) break;
    show_box(GROUP_EMPTY_TEXT);
  }
  char prompt[320];
  std::snprintf(prompt, sizeof prompt,
                "You selected group #\v%d\x13, which has \v%d\x13 items in it.\nNow select an item "
                "from the group you want to\nmove those %d items to, or type a group number.",
                source, count, count);
  const int target = pick_group_number(prompt);
  int moved = 0;
  if (target >= 0) {
    moved = move_flagged_items_to_group(static_cast<int16_t>(target));
    if (moved == 0) {
      show_box(GROUP_NONE_TEXT);
    } else {
      machining_changed();
      show_box(formatted("Set %d items", moved));
    }
  }
  clear_group_flags();
  return moved;
}

// ---- Re-ordering -------------------------------------------------------------------------------------

EventCode reorder_options_field() {
  MachiningCommandState& s = g_machining_commands;
  const EventCode result = edit_current_field([](int row) -> EventCode {
    MachiningCommandState& m = g_machining_commands;
    if (row == REORDER_ROW_BY_LAYER) return edit_yes_no(&m.reorder_by_layer);
    if (row == REORDER_ROW_EITHER_END) return edit_yes_no(&m.reorder_either_end);
    return ok_cancel_field();
  });
  begin_display_pass();
  skip_field_display();
  show_text_value(NO_YES[s.reorder_by_layer != 0 ? 1 : 0], YES_NO_WIDTH);
  show_text_value(NO_YES[s.reorder_either_end != 0 ? 1 : 0], YES_NO_WIDTH);
  draw_ok_cancel();
  return end_field_handler(result);
}

int reorder_items_command() {
  if (run_dialog(MSG_FORM_REORDER_OPTIONS, reorder_options_field) == 0) return -27;
  const MachiningCommandState& s = g_machining_commands;
  const int result = reorder_items(s.reorder_by_layer, s.reorder_either_end);
  if (result > 0) clear_tool_path();
  return result;
}

// ---- Changes of many items ------------------------------------------------------------------------

EventCode change_layer_field() {
  const EventCode result = edit_current_field(edit_change_row);
  show_change_rows(false);
  return end_field_handler(result);
}

EventCode change_filter_field() {
  const EventCode result = edit_current_field(edit_change_row);
  show_change_rows(true);
  return end_field_handler(result);
}

int change_items_command(int option) {
  if (new_change_record() == nullptr) return 0;
  MassChange& m = g_mass_change;
  int changed = 0;
  bool accepted = false;
  switch (option) {
    case CHANGE_DRAWING_AIDS_MARKED:
      m.marked_only = 1;
      accepted = true;
      changed = make_items_drawing_aids();
      break;
    case CHANGE_OP_AND_LAYER_MARKED:
      m.marked_only = 1;
      accepted = run_dialog(MSG_FORM_CHANGE_LAYER, change_layer_field) == 1;
      if (accepted) changed = apply_op_dialog();
      break;
    case CHANGE_OP_AND_LAYER:
      m.hide_second_pass = 1;  // the type list offers points here
      accepted = run_dialog(MSG_FORM_CHANGE_FILTER, change_filter_field) == 1;
      if (accepted) changed = apply_op_dialog();
      break;
    default:
      // The tool dialogs (1002-1016) are not in this version yet.
      delete_change_record();
      show_missing_command_notice();
      return 0;
  }
  delete_change_record();
  if (accepted) machining_changed();
  return changed;
}

void connect_machining_commands() {
  DrawingCommandEntries& c = g_drawing_commands;
  c.set_machining_group = set_machining_group;
  c.move_machining_group = move_machining_group;
  c.reorder_items_command = reorder_items_command;
  c.change_items_command = change_items_command;
}
