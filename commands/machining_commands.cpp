#include "commands/machining_commands.h"
#include "commands/machining_order_mode.h"

#include <algorithm>
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
#include "editor/coord_entry.h"
#include "editor/drawing_commands.h"
#include "editor/help_box.h"
#include "editor/hover.h"
#include "editor/hover_state.h"
#include "editor/page_furniture.h"
#include "editor/pick_strip.h"
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

constexpr char NUMBER_KEYS[] = "*+,-.0123456789<=>";
constexpr int GROUP_MOST = 32000;

void show_box(const std::string& text) { show_text_box(text.c_str(), TEXTBOX_PRESS_A_KEY); }

std::string formatted(const char* format, int a, int b = 0, int c = 0) {
  char text[320];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
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

// The item-type filter; points are offered only where drill points can be changed.
EventCode edit_type_filter(bool with_points) {
  MassChange& m = g_mass_change;
  // Index 0 is every type; the list's own entries follow.
  std::vector<const char*> names{ALL_TYPES_TEXT};
  const int shown = with_points ? TYPE_COUNT : TYPE_COUNT - 1;
  for (int k = 0; k < shown; ++k) names.push_back(TYPE_NAMES[k]);
  names.push_back(nullptr);
  uint8_t index = static_cast<uint8_t>(type_index(m.item_type) + 1);
  const EventCode result = pick_string_field(names.data(), "Select", g_field.display_row,
                                             g_field.value_column, &index, CHOICE_WIDTH, nullptr);
  if (result < 0)
    m.item_type = index == 0 || index > shown ? CHANGE_BYTE_UNCHANGED : TYPE_CODES[index - 1];
  return result;
}

void show_type_filter() {
  const int index = type_index(g_mass_change.item_type);
  show_text_value(index < 0 ? ALL_TYPES_TEXT : TYPE_NAMES[index], CHOICE_WIDTH);
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
    case FILTER_ROW_TYPE: return edit_type_filter(m.hide_second_pass != 0);
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
    show_type_filter();
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


// ---- Dialogs 1002-1006 and 1016: tool values of many items ----------------------------------------

// What a row of the tool dialogs changes.
enum class ToolRow {
  NONE, OK, TOOL_NUMBER, SHAPE, SIZE, TIP, SURFACE, RAPID, WIDTH, DEPTH, STEP_DOWN, FEED, PLUNGE,
  RPM, RAMP, STEPOVER, FIRST_STEPOVER, ALLOWANCE, DIRECTION, SECOND_FEED, SECOND_RPM,
  SECOND_DEPTH, TYPE_FILTER, TOOL_FILTER, LAYER_FROM, LAYER_TO, HIDDEN, MARKED,
};

constexpr int TOOL_WIDTH = 12;
constexpr double DEGREES_PER_RADIAN = 57.29577951308232;
constexpr double RADIANS_PER_DEGREE = 0.017453292519943295;
constexpr char DIRECTION_LETTERS[] = "VC";
const char* const DIRECTION_NAMES[] = {"Con\vv\x13" "entional", "\vC\x13" "limb cut"};
constexpr ToolRow SHARED_TOOL_ROWS[] = {
    ToolRow::OK,    ToolRow::TOOL_NUMBER, ToolRow::SHAPE, ToolRow::SIZE,      ToolRow::TIP,
    ToolRow::SURFACE, ToolRow::RAPID,     ToolRow::WIDTH, ToolRow::DEPTH,     ToolRow::STEP_DOWN,
    ToolRow::FEED,  ToolRow::PLUNGE};
constexpr int SHARED_TOOL_ROW_COUNT = 12;
constexpr ToolRow FILTER_ROWS[] = {ToolRow::TYPE_FILTER, ToolRow::TOOL_FILTER, ToolRow::LAYER_FROM,
                                   ToolRow::LAYER_TO,    ToolRow::HIDDEN,      ToolRow::MARKED};
constexpr int CENTERLINE_FILTER_ROW = 18;  // dialogs 1006 and 1016
constexpr int AREA_FILTER_ROW = 20;        // dialogs 1002 and 1004
static_assert(FORM_CHANGE_CENTERLINE_FIELDS == CENTERLINE_FILTER_ROW + 6);
static_assert(FORM_CHANGE_ALL_TOOLS_FIELDS == CENTERLINE_FILTER_ROW + 6);
static_assert(FORM_CHANGE_FINISHING_FIELDS == AREA_FILTER_ROW + 6);
static_assert(FORM_CHANGE_ROUGHING_FIELDS == AREA_FILTER_ROW + 6);

bool area_dialog() {
  // Dialogs 1002 and 1004 carry ramp, stepover and direction rows; 1006 and 1016 second passes.
  return g_machining_commands.tool_dialog_is_area != 0;
}

ToolRow tool_row(int row) {
  const MassChange& m = g_mass_change;
  if (row < SHARED_TOOL_ROW_COUNT) return SHARED_TOOL_ROWS[row];
  if (!area_dialog()) {
    if (row >= CENTERLINE_FILTER_ROW) return FILTER_ROWS[std::min(row - CENTERLINE_FILTER_ROW, 5)];
    if (row == 12) return ToolRow::RPM;
    if (m.hide_second_pass != 0) return ToolRow::NONE;
    if (row == 13) return ToolRow::SECOND_FEED;
    if (row == 14) return ToolRow::SECOND_RPM;
    if (row == 15) return ToolRow::SECOND_DEPTH;
    return ToolRow::NONE;
  }
  if (row >= AREA_FILTER_ROW) return FILTER_ROWS[std::min(row - AREA_FILTER_ROW, 5)];
  switch (row) {
    case 12: return ToolRow::RAMP;
    case 13: return ToolRow::RPM;
    case 14: return ToolRow::STEPOVER;
    case 15: return m.roughing_variant != 0 ? ToolRow::FIRST_STEPOVER : ToolRow::NONE;
    case 16: return m.roughing_variant != 0 ? ToolRow::ALLOWANCE : ToolRow::FIRST_STEPOVER;
    case 17: return ToolRow::DIRECTION;
    default: return ToolRow::NONE;
  }
}

bool shape_given(const CamToolBlock& t) { return t.shape <= TOOL_SHAPE_BALL; }

// Rows that need a given shape of the right kind are passed over otherwise.
bool tool_row_open(ToolRow r, const CamToolBlock& t) {
  switch (r) {
    case ToolRow::NONE: return false;
    case ToolRow::SIZE: return shape_given(t);
    case ToolRow::TIP: return t.shape == TOOL_SHAPE_TAPERED;
    case ToolRow::WIDTH: return t.shape != TOOL_SHAPE_FLAT;
    default: return true;
  }
}

// A float whose marker is "not given": Del gives the marker back.
EventCode edit_marked_float(float* value, float marker) {
  const EventCode result = marker == CAM_NOT_GIVEN
                               ? optional_float_field(value, 0, TOOL_WIDTH)
                               : edit_value_field({value, 0}, FIELD_FLOAT, FIELD_OPTIONS_USUAL, TOOL_WIDTH);
  if (result == -KEY_DEL) *value = marker;
  return result;
}

EventCode edit_tool_change_row(int row) {
  const ToolRow r = tool_row(row);
  CamParams wanted = change_record_params();
  CamToolBlock& t = wanted.finishing;
  if (!tool_row_open(r, t)) return g_field.last_ending_event == KEY_UP ? KEY_UP : KEY_DOWN;
  MassChange& m = g_mass_change;
  EventCode result = 0;
  switch (r) {
    case ToolRow::OK: return ok_cancel_field();
    case ToolRow::TOOL_NUMBER:
      result = edit_value_field({&t.tool_number, 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL, TOOL_WIDTH);
      break;
    case ToolRow::SHAPE: {
      std::vector<const char*> names(CAM_TOOL_SHAPE_NAMES, CAM_TOOL_SHAPE_NAMES + 3);
      names.push_back(nullptr);
      uint8_t shape = shape_given(t) ? t.shape : 0;
      result = pick_string_field(names.data(), "Select", g_field.display_row, g_field.value_column,
                                 &shape, CHOICE_WIDTH, nullptr);
      if (result == -KEY_DEL) {
        t.shape = CHANGE_SHAPE_UNCHANGED;
        t.size = 0;
      } else if (result < 0 && shape != t.shape) {
        // Another shape measures its size otherwise: the size must be given again.
        t.shape = shape <= TOOL_SHAPE_BALL ? shape : CHANGE_SHAPE_UNCHANGED;
        t.size = 0;
      }
      std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      break;
    }
    case ToolRow::SIZE: {
      float shown = t.shape == TOOL_SHAPE_TAPERED ? static_cast<float>(t.size * DEGREES_PER_RADIAN) : t.size;
      result = edit_value_field({&shown, 0}, FIELD_FLOAT, FIELD_OPTIONS_USUAL, TOOL_WIDTH);
      if (result < 0) {
        t.size = t.shape == TOOL_SHAPE_TAPERED ? static_cast<float>(shown * RADIANS_PER_DEGREE) : shown;
        // The area dialogs give a flat end mill its diameter as the cutting width too.
        if (t.shape == TOOL_SHAPE_FLAT && area_dialog() && t.size > 0) t.cut_width = t.size;
        std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      }
      break;
    }
    case ToolRow::TIP: result = edit_marked_float(&t.tip_diameter, CAM_NOT_GIVEN); break;
    case ToolRow::SURFACE: result = edit_marked_float(&wanted.surface_z, CAM_NOT_GIVEN); break;
    case ToolRow::RAPID: result = edit_marked_float(&wanted.rapid_height, 0); break;
    case ToolRow::WIDTH: result = edit_marked_float(&t.cut_width, CAM_NOT_GIVEN); break;
    case ToolRow::DEPTH: result = edit_marked_float(&t.cut_depth, CAM_NOT_GIVEN); break;
    case ToolRow::STEP_DOWN: result = edit_marked_float(&t.step_down, CAM_NOT_GIVEN); break;
    case ToolRow::FEED: result = edit_marked_float(&t.feed, 0); break;
    case ToolRow::PLUNGE:
      result = edit_value_field({&t.plunge_percent, 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL, TOOL_WIDTH);
      break;
    case ToolRow::RPM:
      result = edit_value_field({&t.rpm, 0}, FIELD_LONG, FIELD_OPTIONS_USUAL, TOOL_WIDTH);
      break;
    case ToolRow::RAMP:
      result = edit_value_field({&t.ramp_angle, 0}, FIELD_BYTE, FIELD_OPTIONS_USUAL, TOOL_WIDTH);
      if (result < 0 && t.ramp_angle > 90) t.ramp_angle = 90;
      break;
    case ToolRow::STEPOVER:
      result = edit_value_field({&t.stepover_percent, 0}, FIELD_BYTE, FIELD_OPTIONS_USUAL, TOOL_WIDTH);
      if (result < 0 && t.stepover_percent > 100) t.stepover_percent = 100;
      break;
    case ToolRow::FIRST_STEPOVER: result = edit_marked_float(&t.first_stepover, CAM_NOT_GIVEN); break;
    case ToolRow::ALLOWANCE: result = edit_marked_float(&wanted.finish_allowance, CAM_NOT_GIVEN); break;
    case ToolRow::DIRECTION: {
      uint8_t d = wanted.cut_direction == CHANGE_BYTE_UNCHANGED ? 0 : wanted.cut_direction;
      result = cycle_list_field(DIRECTION_LETTERS, &d, 0, CHOICE_WIDTH);
      if (result == -KEY_DEL) wanted.cut_direction = CHANGE_BYTE_UNCHANGED;
      else if (result < 0) wanted.cut_direction = d <= 1 ? d : CHANGE_BYTE_UNCHANGED;
      break;
    }
    case ToolRow::SECOND_FEED: result = edit_marked_float(&t.second_pass_feed, 0); break;
    case ToolRow::SECOND_RPM:
      result = edit_value_field({&t.second_pass_rpm, 0}, FIELD_LONG, FIELD_OPTIONS_USUAL, TOOL_WIDTH);
      break;
    case ToolRow::SECOND_DEPTH: result = edit_marked_float(&t.second_pass_depth, 0); break;
    case ToolRow::TYPE_FILTER: return edit_type_filter(false);
    case ToolRow::TOOL_FILTER:
      return edit_value_field({&m.tool_filter, 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL, TOOL_WIDTH);
    case ToolRow::LAYER_FROM: return edit_change_layer(&m.layer_from);
    case ToolRow::LAYER_TO: return edit_change_layer(&m.layer_to);
    case ToolRow::HIDDEN: return edit_yes_no(&m.include_hidden);
    case ToolRow::MARKED: return edit_yes_no(&m.marked_only);
    case ToolRow::NONE: return 0;
  }
  set_change_record_params(wanted);
  return result;
}

// Unchanged values show blank.
void show_given_float(float value, float marker) {
  if (value == marker) show_text_value("", TOOL_WIDTH);
  else show_float_value(value, TOOL_WIDTH, 4);
}

void show_given_int(int32_t value, const char* unit = "") {
  if (value == 0) show_text_value("", TOOL_WIDTH);
  else show_formatted_text(TOOL_WIDTH + 6, "%d%s", static_cast<int>(value), unit);
}

void show_tool_change_row(ToolRow r) {
  const MassChange& m = g_mass_change;
  const CamParams wanted = change_record_params();
  const CamToolBlock& t = wanted.finishing;
  if (r == ToolRow::OK) {
    skip_field_display();
    return;
  }
  if (!tool_row_open(r, t)) {
    show_text_value("", TOOL_WIDTH);
    return;
  }
  switch (r) {
    case ToolRow::TOOL_NUMBER: show_given_int(t.tool_number); return;
    case ToolRow::SHAPE:
      show_text_value(shape_given(t) ? CAM_TOOL_SHAPE_NAMES[t.shape] : "", CHOICE_WIDTH);
      return;
    case ToolRow::SIZE:
      if (t.size == 0) show_text_value("", CHOICE_WIDTH);
      else if (t.shape == TOOL_SHAPE_TAPERED)
        show_formatted_text(CHOICE_WIDTH, "%.4f \x0e" "degrees", t.size * DEGREES_PER_RADIAN);
      else show_float_value(t.size, TOOL_WIDTH, 4);
      return;
    case ToolRow::TIP: show_given_float(t.tip_diameter, CAM_NOT_GIVEN); return;
    case ToolRow::SURFACE: show_given_float(wanted.surface_z, CAM_NOT_GIVEN); return;
    case ToolRow::RAPID: show_given_float(wanted.rapid_height, 0); return;
    case ToolRow::WIDTH: show_given_float(t.cut_width, CAM_NOT_GIVEN); return;
    case ToolRow::DEPTH: show_given_float(t.cut_depth, CAM_NOT_GIVEN); return;
    case ToolRow::STEP_DOWN: show_given_float(t.step_down, CAM_NOT_GIVEN); return;
    case ToolRow::FEED: show_given_float(t.feed, 0); return;
    case ToolRow::PLUNGE: show_given_int(t.plunge_percent, " %"); return;
    case ToolRow::RPM: show_given_int(t.rpm, " \x0erpm"); return;
    case ToolRow::RAMP: show_given_int(t.ramp_angle); return;
    case ToolRow::STEPOVER: show_given_int(t.stepover_percent, " %"); return;
    case ToolRow::FIRST_STEPOVER: show_given_float(t.first_stepover, CAM_NOT_GIVEN); return;
    case ToolRow::ALLOWANCE: show_given_float(wanted.finish_allowance, CAM_NOT_GIVEN); return;
    case ToolRow::DIRECTION:
      show_text_value(wanted.cut_direction <= 1 ? DIRECTION_NAMES[wanted.cut_direction] : "", CHOICE_WIDTH);
      return;
    case ToolRow::SECOND_FEED: show_given_float(t.second_pass_feed, 0); return;
    case ToolRow::SECOND_RPM: show_given_int(t.second_pass_rpm, " \x0erpm"); return;
    case ToolRow::SECOND_DEPTH: show_given_float(t.second_pass_depth, 0); return;
    case ToolRow::TYPE_FILTER: show_type_filter(); return;
    case ToolRow::TOOL_FILTER: show_given_int(m.tool_filter); return;
    case ToolRow::LAYER_FROM: show_change_layer(m.layer_from); return;
    case ToolRow::LAYER_TO: show_change_layer(m.layer_to); return;
    case ToolRow::HIDDEN: show_text_value(NO_YES[m.include_hidden != 0 ? 1 : 0], YES_NO_WIDTH); return;
    case ToolRow::MARKED: show_text_value(NO_YES[m.marked_only != 0 ? 1 : 0], YES_NO_WIDTH); return;
    case ToolRow::OK:
    case ToolRow::NONE: return;
  }
}

void show_tool_change_rows() {
  begin_display_pass();
  const int rows = area_dialog() ? FORM_CHANGE_FINISHING_FIELDS : FORM_CHANGE_CENTERLINE_FIELDS;
  for (int row = 0; row < rows; ++row) show_tool_change_row(tool_row(row));
  draw_ok_cancel();
}

EventCode tool_change_handler() {
  const EventCode result = edit_current_field(edit_tool_change_row);
  show_every_field(show_tool_change_rows);
  return end_field_handler(result);
}

// Runs one of the tool dialogs; true when it was accepted.
bool run_tool_change_dialog(int option) {
  MassChange& m = g_mass_change;
  MachiningCommandState& s = g_machining_commands;
  int form = MSG_FORM_CHANGE_CENTERLINE;
  switch (option) {
    case CHANGE_BOTH_TOOLS: form = MSG_FORM_CHANGE_ALL_TOOLS; m.hide_second_pass = 1; break;
    case CHANGE_FINISHING_TOOL:
    case CHANGE_FINISHING_MARKED: form = MSG_FORM_CHANGE_FINISHING; break;
    case CHANGE_ROUGHING_TOOL:
    case CHANGE_ROUGHING_MARKED: form = MSG_FORM_CHANGE_ROUGHING; m.roughing_variant = 1; break;
    default: break;
  }
  s.tool_dialog_is_area = form == MSG_FORM_CHANGE_FINISHING || form == MSG_FORM_CHANGE_ROUGHING ? 1 : 0;
  const bool accepted = run_dialog(form, form == MSG_FORM_CHANGE_CENTERLINE || form == MSG_FORM_CHANGE_ALL_TOOLS
                                             ? change_tool_field
                                             : change_rough_tool_field) == 1;
  s.tool_dialog_is_area = 0;
  return accepted;
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
  mark_machining_changed();
  show_box(formatted("Success - set %d items", count));
  return count;
}

int pick_group_number(const char* prompt) {
  int group = -1;
  ItemPicker p;
  p.prompt = prompt;
  p.hover = [](const DrawingItem*) { show_hovered_group(); };
  p.pick = [&group](DrawingItem* item) {
    const GeometryBlock* block = item_block(item);
    if (block == nullptr || block->cam_kind == GEOMETRY_KIND_DRAWING_AID) {
      show_box(GROUP_NOT_MACHINED_TEXT);
      return PickStep::GO_ON;
    }
    group = block_machining_group(block);
    return PickStep::END;
  };
  p.key = [&group](EventCode code) {
    if (code <= 0 || code >= 256 || std::strchr(NUMBER_KEYS, static_cast<int>(code)) == nullptr)
      return PickStep::NOT_TAKEN;
    push_input_code(code);
    if (read_value_line(GROUP_TYPED_PROMPT) <= 0) return PickStep::GO_ON;
    const double value = std::trunc(g_coord.entry.current.x);
    if (!(value > 0)) return PickStep::GO_ON;
    group = value > GROUP_MOST ? GROUP_MOST : static_cast<int>(value);
    return PickStep::END;
  };
  return run_item_picker(p) == 0 ? group : -1;
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
      mark_machining_changed();
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

EventCode change_tool_field() { return tool_change_handler(); }

EventCode change_rough_tool_field() { return tool_change_handler(); }

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
    case CHANGE_CENTERLINE_MARKED:
    case CHANGE_FINISHING_MARKED:
    case CHANGE_ROUGHING_MARKED:
      m.marked_only = 1;
      [[fallthrough]];
    case CHANGE_BOTH_TOOLS:
    case CHANGE_CENTERLINE_TOOL:
    case CHANGE_FINISHING_TOOL:
    case CHANGE_ROUGHING_TOOL:
      accepted = run_tool_change_dialog(option);
      if (accepted) changed = apply_machining_change(option, change_record_params());
      break;
    default:
      delete_change_record();
      return 0;
  }
  delete_change_record();
  if (accepted) mark_machining_changed();
  return changed;
}

void connect_machining_commands() {
  DrawingCommandEntries& c = g_drawing_commands;
  c.set_machining_group = set_machining_group;
  c.move_machining_group = move_machining_group;
  c.reorder_items_command = reorder_items_command;
  c.change_items_command = change_items_command;
  c.machining_order_command = machining_order_command;
}
