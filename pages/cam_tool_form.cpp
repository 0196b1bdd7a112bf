#include "pages/cam_tool_form.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cam/machining_block.h"
#include "cam/tools.h"
#include "pages/tool_list_page.h"
#include "records/job_settings.h"
#include "screen/main_form.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

constexpr double DEGREES_PER_RADIAN = 57.29577951308232;
constexpr double RADIANS_PER_DEGREE = 0.017453292519943295;
constexpr int WIDTH_NUMBER = 10;
constexpr int WIDTH_CHOICE = 24;
constexpr int WIDTH_TOOL = 5;
constexpr int WIDTH_UNIT = 7;
constexpr uint16_t NUMBER_OPTIONS = FIELD_OPTIONS_USUAL;
constexpr uint8_t STEPOVER_MOST = 100;
constexpr uint8_t RAMP_MOST = 90;
constexpr int16_t PLUNGE_FULL = 100;
constexpr char YES_NO_LETTERS[] = "NY";
constexpr char DIRECTION_LETTERS[] = "VC";  // con\vventional, \vclimb
const char* const NO_YES[] = {"No", "Yes"};

constexpr char FEED_PROMPT[] =
    "Enter the feed rate for this tool.\nThis is feed rate for X-Y cutting operations, not the "
    "feed rate for plunging.";
constexpr char FEED_UNIT_PROMPT[] =
    "For G&M code machines; select between \v%s per minute\x13 (ie, \fG94\x13),\nor \v%s per "
    "revolution\x13 of the tool (ie, \fG95\x13)";

// What a row of a tool form edits.
enum class Field {
  OK, TOOL, STEPOVER, FEED, RPM, FIRST_STEPOVER, FINISH_OPTION, ALLOWANCE, WIDTH, SHAPE, SIZE,
  TIP, STEP_DOWN, DEPTH, DIRECTION, PLUNGE, RAMP, SECOND_FEED, SECOND_RPM, SECOND_DEPTH,
  TOOL_NUMBER, PECK, RAPID,
};

// The rows of each form, in the catalogue form's label order.
const std::vector<Field> FINISHING_ROWS = {
    Field::OK, Field::TOOL, Field::STEPOVER, Field::FEED, Field::RPM, Field::FIRST_STEPOVER,
    Field::FINISH_OPTION, Field::WIDTH, Field::SHAPE, Field::SIZE, Field::TIP, Field::STEP_DOWN,
    Field::DEPTH, Field::DIRECTION, Field::PLUNGE};
const std::vector<Field> ROUGHING_ROWS = {
    Field::OK, Field::TOOL, Field::STEPOVER, Field::FEED, Field::RPM, Field::FIRST_STEPOVER,
    Field::ALLOWANCE, Field::WIDTH, Field::SHAPE, Field::SIZE, Field::TIP, Field::STEP_DOWN,
    Field::DEPTH, Field::DIRECTION, Field::PLUNGE, Field::RAMP};
const std::vector<Field> CENTERLINE_ROWS = {
    Field::OK, Field::TOOL, Field::FEED, Field::RPM, Field::SECOND_FEED, Field::SECOND_RPM,
    Field::SECOND_DEPTH, Field::WIDTH, Field::SHAPE, Field::SIZE, Field::TIP, Field::STEP_DOWN,
    Field::DEPTH, Field::PLUNGE};
const std::vector<Field> DRILL_ROWS = {
    Field::OK, Field::TOOL_NUMBER, Field::FEED, Field::RPM, Field::PECK, Field::RAPID,
    Field::DEPTH, Field::TIP, Field::WIDTH};

// The open form: the block it came from and how the item ties its fields. The working copy is
// g_cam_settings.params, its tool in the finishing slot.
struct ToolForm {
  int form = 0;
  const std::vector<Field>* rows = nullptr;
  const CamToolBlock* other = nullptr;  // the item's other tool (the pass count needs both)
  bool open_polyline = false;           // the cut direction is the operation's side
};
ToolForm g_form_state;

CamParams& work() { return g_cam_settings.params; }
CamToolBlock& tool() { return g_cam_settings.params.finishing; }
bool shaped() { return tool().shape == TOOL_SHAPE_TAPERED || tool().shape == TOOL_SHAPE_BALL; }
bool tapered() { return tool().shape == TOOL_SHAPE_TAPERED; }
uint8_t shape_index() { return std::min<uint8_t>(tool().shape, TOOL_SHAPE_BALL); }
bool inch_job() { return g_job_settings.units == JOB_UNITS_INCH; }
bool sideways_operation() {
  return work().operation == CAM_OP_CONTOUR_INSIDE || work().operation == CAM_OP_CONTOUR_OUTSIDE;
}

Field row_field(int row) {
  const std::vector<Field>& rows = *g_form_state.rows;
  return row >= 0 && static_cast<size_t>(row) < rows.size() ? rows[static_cast<size_t>(row)]
                                                             : Field::OK;
}

// Whether the form lets the user onto a field now: without a tool only the bar and the tool.
bool field_open(Field f) {
  if (f == Field::OK || f == Field::TOOL || f == Field::TOOL_NUMBER) return true;
  if (tool().tool_number < 1) return false;
  switch (f) {
    case Field::STEPOVER:
    case Field::FIRST_STEPOVER: return !sideways_operation();
    case Field::WIDTH: return g_form_state.form == MSG_FORM_DRILL_TOOL || shaped();
    case Field::TIP: return tapered();
    default: return true;
  }
}

// A closed field is passed over the way the cursor went; at the end of the open fields it
// turns back, so the cursor never runs against the form's edge.
EventCode pass_over(int row) {
  const bool up = g_field.last_ending_event == KEY_UP;
  const int count = static_cast<int>(g_form_state.rows->size());
  for (int r = up ? row - 1 : row + 1; r >= 0 && r < count; r += up ? -1 : 1)
    if (field_open(row_field(r))) return up ? KEY_UP : KEY_DOWN;
  return up ? KEY_DOWN : KEY_UP;
}

void redraw_all() { std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1); }

// The tool-given bits follow the working tool's number on the finishing and roughing forms.
void note_tool_given() {
  const uint8_t bit = g_form_state.form == MSG_FORM_ROUGHING_TOOL ? 2 : 1;
  if (tool().tool_number >= 1) g_cam_settings.tools_given |= bit;
  else g_cam_settings.tools_given &= static_cast<uint8_t>(~bit);
}

EventCode edit_float(float* value) {
  return edit_value_field({value, 0}, FIELD_FLOAT, NUMBER_OPTIONS, WIDTH_NUMBER);
}

// The depth a shaped tool's width gives; the old depth stays when the tool cannot cut it (the
// user was told why).
void depth_from_width() {
  CamToolBlock& t = tool();
  const float depth = depth_from_cut_width(t.cut_width, t.shape, t.size, t.tip_diameter);
  if (depth > 0) t.cut_depth = depth;
}

void width_from_depth() {
  CamToolBlock& t = tool();
  t.cut_width = cut_width_from_depth(t.cut_depth, t.shape, t.size, t.tip_diameter);
}

// A new size or tip: a shaped tool's depth follows its width, a flat end mill cuts its size.
void after_size_change() {
  if (shaped()) depth_from_width();
  else tool().cut_width = tool().size;
}

EventCode edit_size() {
  CamToolBlock& t = tool();
  show_status_line(CAM_TOOL_SIZE_PROMPTS[shape_index()]);
  EventCode result;
  if (tapered()) {
    // The included angle is typed in degrees and kept in radians.
    float degrees = static_cast<float>(t.size * DEGREES_PER_RADIAN);
    result = edit_float(&degrees);
    if (result < 0) t.size = static_cast<float>(degrees * RADIANS_PER_DEGREE);
  } else {
    result = edit_float(&t.size);
  }
  // Del only clears the number for typing: nothing follows from it yet.
  if (result < 0 && result != -KEY_DEL) {
    after_size_change();
    redraw_all();
  }
  return result;
}

EventCode edit_shape() {
  CamToolBlock& t = tool();
  std::vector<const char*> names(CAM_TOOL_SHAPE_NAMES, CAM_TOOL_SHAPE_NAMES + 3);
  names.push_back(nullptr);
  uint8_t shape = shape_index();
  const EventCode result = pick_string_field(names.data(), "Select", g_field.display_row,
                                             g_field.value_column, &shape, WIDTH_CHOICE, nullptr);
  if (result < 0 && shape != t.shape && shape <= TOOL_SHAPE_BALL) {
    // Each shape measures its size its own way: the size of the shape left is kept for a return.
    g_cam_settings.remembered_size[shape_index()] = t.size;
    t.shape = shape;
    t.size = g_cam_settings.remembered_size[shape];
    redraw_all();
  }
  return result;
}

EventCode edit_direction() {
  CamParams& p = work();
  std::vector<const char*> names = {CAM_OPERATION_NAMES[CAM_NAME_DIRECTION_BASE + 2],
                                    CAM_OPERATION_NAMES[CAM_NAME_DIRECTION_BASE + 3], nullptr};
  const bool side = g_form_state.open_polyline && sideways_operation();
  uint8_t direction = side ? static_cast<uint8_t>(p.operation - CAM_OP_CONTOUR_INSIDE)
                           : std::min<uint8_t>(p.cut_direction, 1);
  const EventCode result = pick_string_field(names.data(), "Select", g_field.display_row,
                                             g_field.value_column, &direction, WIDTH_CHOICE, DIRECTION_LETTERS);
  if (result < 0 && direction <= 1) {
    // On an open polyline the side the tool runs on is the operation itself.
    if (side) p.operation = static_cast<uint8_t>(CAM_OP_CONTOUR_INSIDE + direction);
    else p.cut_direction = direction;
  }
  return result;
}

std::string unit_text() {
  const char* length = inch_job() ? "in" : "mm";
  return std::string(length) + (tool().feed_unit == 1 ? "/rev" : "/min");
}

// The feed's number, then with Right its unit: Space or Enter toggles per minute and per
// revolution, Left goes back to the number.
EventCode edit_feed() {
  CamToolBlock& t = tool();
  const bool drill = g_form_state.form == MSG_FORM_DRILL_TOOL;
  if (!drill) show_status_line(FEED_PROMPT);
  EventCode result = edit_value_field({&t.feed, 0}, FIELD_FLOAT, NUMBER_OPTIONS | EXIT_RIGHT,
                                      WIDTH_NUMBER);
  if (result != KEY_RIGHT && result != -KEY_RIGHT) return result;
  char prompt[256];
  const char* unit = inch_job() ? "inches" : "millimeters";
  std::snprintf(prompt, sizeof prompt, FEED_UNIT_PROMPT, unit, unit);
  bool changed = result < 0;
  for (;;) {
    show_status_line(prompt);
    const EventCode code = read_field_event(WIDTH_UNIT);
    if (code == ' ' || code == KEY_ENTER) {
      t.feed_unit = t.feed_unit == 1 ? 0 : 1;
      changed = true;
      if (static_cast<size_t>(g_windows.active->cursor_row) < g_field.redraw.size())
        g_field.redraw[static_cast<size_t>(g_windows.active->cursor_row)] = 1;
      char text[64];
      std::snprintf(text, sizeof text, "%-*.4f \x0e%s", WIDTH_NUMBER - 1, t.feed, unit_text().c_str());
      draw_field_value(text);
      continue;
    }
    if (code == KEY_LEFT) return changed ? FIELD_CHANGED : 0;
    if (changed && (code == KEY_UP || code == KEY_DOWN)) return static_cast<EventCode>(-code);
    return code;
  }
}

EventCode edit_tool_field() {
  const EventCode result = pick_cam_tool(WIDTH_TOOL);
  if (result < 0) {
    note_tool_given();
    redraw_all();
  }
  return result;
}

EventCode edit_row(int row) {
  const Field f = row_field(row);
  if (!field_open(f)) return pass_over(row);
  CamParams& p = work();
  CamToolBlock& t = tool();
  switch (f) {
    case Field::OK: {
      const EventCode result = ok_cancel_field();
      // A tool needs its size before the form can be left with it.
      const bool sized_form = g_form_state.form != MSG_FORM_DRILL_TOOL;
      if (result == WINDOW_ACCEPT && sized_form && t.tool_number >= 1 &&
          check_tool_shape(t.shape, t.size, 1) == 0)
        return 0;
      return result;
    }
    case Field::TOOL: return edit_tool_field();
    case Field::TOOL_NUMBER:
      return edit_value_field({&t.tool_number, 0}, FIELD_SHORT, NUMBER_OPTIONS, WIDTH_NUMBER);
    case Field::STEPOVER: {
      const EventCode result =
          edit_value_field({&t.stepover_percent, 0}, FIELD_BYTE, NUMBER_OPTIONS, WIDTH_NUMBER);
      if (result < 0 && result != -KEY_DEL)
        t.stepover_percent = std::clamp<uint8_t>(t.stepover_percent, 1, STEPOVER_MOST);
      return result;
    }
    case Field::FEED: return edit_feed();
    case Field::RPM: return edit_value_field({&t.rpm, 0}, FIELD_LONG, NUMBER_OPTIONS, WIDTH_NUMBER);
    case Field::FIRST_STEPOVER: return edit_float(&t.first_stepover);
    case Field::FINISH_OPTION: {
      uint8_t option = p.finish_option != 0 ? 1 : 0;
      const EventCode result = cycle_list_field(YES_NO_LETTERS, &option, 0, 3);
      if (result < 0) p.finish_option = option;
      return result;
    }
    case Field::ALLOWANCE: return edit_float(&p.finish_allowance);
    case Field::WIDTH: {
      const EventCode result = edit_float(&t.cut_width);
      // A width gives a shaped tool its depth only while the depth is a real one.
      if (result < 0 && result != -KEY_DEL && shaped() && depth_is_given(t.cut_depth)) {
        depth_from_width();
        redraw_all();
      }
      return result;
    }
    case Field::SHAPE: return edit_shape();
    case Field::SIZE: return edit_size();
    case Field::TIP: {
      const EventCode result = edit_float(&t.tip_diameter);
      if (result < 0 && result != -KEY_DEL) {
        after_size_change();
        redraw_all();
      }
      return result;
    }
    case Field::STEP_DOWN: return edit_float(&t.step_down);
    case Field::DEPTH: {
      const EventCode result = edit_float(&t.cut_depth);
      if (result < 0 && result != -KEY_DEL) {
        if (shaped() && depth_is_given(t.cut_depth)) width_from_depth();
        g_cam_settings.pending_cut_depth = t.cut_depth;
        redraw_all();
      }
      return result;
    }
    case Field::DIRECTION: return edit_direction();
    case Field::PLUNGE: {
      const EventCode result =
          edit_value_field({&t.plunge_percent, 0}, FIELD_SHORT, NUMBER_OPTIONS, WIDTH_NUMBER);
      if (result < 0 && result != -KEY_DEL && t.plunge_percent < 1) t.plunge_percent = PLUNGE_FULL;
      return result;
    }
    case Field::RAMP: {
      const EventCode result =
          edit_value_field({&t.ramp_angle, 0}, FIELD_BYTE, NUMBER_OPTIONS, WIDTH_NUMBER);
      if (result < 0 && result != -KEY_DEL)
        t.ramp_angle = t.ramp_angle == 0 ? RAMP_MOST : std::min(t.ramp_angle, RAMP_MOST);
      return result;
    }
    case Field::SECOND_FEED: return edit_float(&t.second_pass_feed);
    case Field::SECOND_RPM:
      return edit_value_field({&t.second_pass_rpm, 0}, FIELD_LONG, NUMBER_OPTIONS, WIDTH_NUMBER);
    case Field::SECOND_DEPTH: return edit_float(&t.second_pass_depth);
    case Field::PECK: return edit_float(&p.peck_distance);
    case Field::RAPID: return edit_float(&p.rapid_height);
  }
  return 0;
}

void show_number(double value) { show_formatted_text(WIDTH_NUMBER, "%.4f", value); }

void show_row(Field f) {
  const CamParams& p = work();
  const CamToolBlock& t = tool();
  if (f == Field::OK) {
    skip_field_display();
    return;
  }
  if (!field_open(f)) {
    show_text_value("", WIDTH_CHOICE);
    return;
  }
  switch (f) {
    case Field::TOOL: {
      if (g_form_state.form != MSG_FORM_FINISHING_TOOL) {
        show_formatted_text(WIDTH_CHOICE, "%-5d", t.tool_number);
        return;
      }
      // The finishing passes a pocket needs between its wall and the roughed area.
      const CamToolBlock* rough = g_form_state.other;
      if (g_cam_settings.tools_given == 3 && rough != nullptr)
        show_formatted_text(WIDTH_CHOICE, "%-5d  %d max", t.tool_number,
                            cam_pass_count(p, t, *rough));
      else
        show_formatted_text(WIDTH_CHOICE, "%-5d  n/a", t.tool_number);
      return;
    }
    case Field::TOOL_NUMBER: show_formatted_text(WIDTH_NUMBER, "%-5d", t.tool_number); return;
    case Field::STEPOVER:
      show_formatted_text(WIDTH_NUMBER, "%d %%", std::clamp<int>(t.stepover_percent, 1, STEPOVER_MOST));
      return;
    case Field::FEED:
      show_formatted_text(WIDTH_CHOICE, "%-*.4f \x0e%s", WIDTH_NUMBER - 1, t.feed, unit_text().c_str());
      return;
    case Field::RPM: show_formatted_text(WIDTH_CHOICE, "%d \x0erpm", static_cast<int>(t.rpm)); return;
    case Field::FIRST_STEPOVER: show_number(t.first_stepover); return;
    case Field::FINISH_OPTION: show_text_value(NO_YES[p.finish_option != 0 ? 1 : 0], 3); return;
    case Field::ALLOWANCE: show_number(p.finish_allowance); return;
    case Field::WIDTH: show_number(t.cut_width); return;
    case Field::SHAPE: show_field_text(CAM_TOOL_SHAPE_NAMES[shape_index()], WIDTH_CHOICE); return;
    case Field::SIZE:
      if (tapered()) show_formatted_text(WIDTH_CHOICE, "%.4f \x0e" "degrees", t.size * DEGREES_PER_RADIAN);
      else show_number(t.size);
      return;
    case Field::TIP: show_number(t.tip_diameter); return;
    case Field::STEP_DOWN: show_number(t.step_down); return;
    case Field::DEPTH: show_number(t.cut_depth); return;
    case Field::DIRECTION: {
      const bool side = g_form_state.open_polyline && sideways_operation();
      const int d = side ? p.operation - CAM_OP_CONTOUR_INSIDE : std::min<int>(p.cut_direction, 1);
      show_field_text(CAM_OPERATION_NAMES[CAM_NAME_DIRECTION_BASE + 2 + d], WIDTH_CHOICE);
      return;
    }
    case Field::PLUNGE:
      show_formatted_text(WIDTH_NUMBER, "%d %%", t.plunge_percent < 1 ? PLUNGE_FULL : t.plunge_percent);
      return;
    case Field::RAMP:
      show_formatted_text(WIDTH_NUMBER, "%d", t.ramp_angle == 0 ? RAMP_MOST
                                                                : std::min(t.ramp_angle, RAMP_MOST));
      return;
    case Field::SECOND_FEED: show_number(t.second_pass_feed); return;
    case Field::SECOND_RPM: show_formatted_text(WIDTH_CHOICE, "%d \x0erpm", static_cast<int>(t.second_pass_rpm)); return;
    case Field::SECOND_DEPTH: show_number(t.second_pass_depth); return;
    case Field::PECK: show_number(p.peck_distance); return;
    case Field::RAPID: show_number(p.rapid_height); return;
    case Field::OK: return;
  }
}

void show_rows() {
  begin_display_pass();
  for (Field f : *g_form_state.rows) show_row(f);
  draw_ok_cancel();
}

const std::vector<Field>& rows_of(int form) {
  switch (form) {
    case MSG_FORM_ROUGHING_TOOL: return ROUGHING_ROWS;
    case MSG_FORM_CENTERLINE_TOOL: return CENTERLINE_ROWS;
    case MSG_FORM_DRILL_TOOL: return DRILL_ROWS;
    default: return FINISHING_ROWS;
  }
}

}  // namespace

bool run_cam_tool_form(CamParams* block, int which, const DrawingItem* item) {
  const bool drill = item != nullptr && item_type(item) == ITEM_POINT;
  CamSettingsBuffer& s = g_cam_settings;
  const CamParams clipboard = s.params;  // the pickers' clipboard survives the form
  const ToolForm kept_form = g_form_state;
  g_form_state = ToolForm{};
  g_form_state.form = cam_tool_form_number(*block, which, drill);
  g_form_state.rows = &rows_of(g_form_state.form);
  g_form_state.other = which == 0 ? &block->roughing : &block->finishing;
  g_form_state.open_polyline =
      item != nullptr && item_type(item) == ITEM_POLYLINE && !item_is_closed(item);
  s.params = *block;
  s.params.finishing = which == 0 ? block->finishing : block->roughing;
  s.open_tool_form = g_form_state.form;
  s.pending_cut_depth = CAM_NOT_GIVEN;
  s.tools_given = static_cast<uint8_t>((block->finishing.tool_number >= 1 ? 1 : 0) |
                                       (block->roughing.tool_number >= 1 ? 2 : 0));
  // The form opens from another form's field: that form's display state comes back after it.
  const FieldDisplay outer = g_field;
  g_field.next_label_width = widest_form_label(g_form_state.form);
  const bool accepted = run_dialog(g_form_state.form, cam_form_field) == 1;
  g_field = outer;
  // The one-shot settings were the outer form's and are spent.
  g_field.initial_field = 0;
  g_field.pointer_on_field = false;
  g_field.next_label_width = 0;
  if (accepted) {
    CamToolBlock& target = which == 0 ? block->finishing : block->roughing;
    const CamParams& w = s.params;
    // The block's own fields (bytes 0-83) and the one tool go back.
    CamToolBlock finishing = block->finishing;
    CamToolBlock roughing = block->roughing;
    *block = w;
    block->finishing = finishing;
    block->roughing = roughing;
    target = w.finishing;
    if (s.pending_cut_depth != CAM_NOT_GIVEN) {
      block->finishing.cut_depth = s.pending_cut_depth;
      block->roughing.cut_depth = s.pending_cut_depth;
    }
  }
  s.params = clipboard;
  s.open_tool_form = 0;
  g_form_state = kept_form;
  return accepted;
}

int cam_tool_form_number(const CamParams& block, int which, bool drill_point) {
  if (drill_point) return MSG_FORM_DRILL_TOOL;
  if (block.operation == CAM_OP_CENTERLINE) return MSG_FORM_CENTERLINE_TOOL;
  return which == 0 ? MSG_FORM_FINISHING_TOOL : MSG_FORM_ROUGHING_TOOL;
}

EventCode cam_form_field() {
  const EventCode result = edit_current_field(edit_row);
  show_every_field(show_rows);
  return end_field_handler(result);
}

EventCode pick_cam_tool(int width) {
  CamToolBlock& t = tool();
  const EventCode result = edit_value_field({&t.tool_number, 0}, FIELD_SHORT,
                                            NUMBER_OPTIONS | EXIT_ENTER, width);
  if (result != KEY_ENTER) return result;
  ToolRecord picked;
  if (!choose_tool_from_list(&picked)) return 0;
  // The centerline form keeps the width the user set and derives the depth; the others keep
  // the depth and derive the width.
  const bool width_gives_depth = g_form_state.form == MSG_FORM_CENTERLINE_TOOL;
  take_picked_tool(picked, g_job_settings.units, width_gives_depth, &t);
  return FIELD_CHANGED;
}

EventCode edit_cam_tool(CamParams* block, int which, const DrawingItem* item) {
  if (block == nullptr) return 0;
  CamToolBlock& t = which == 0 ? block->finishing : block->roughing;
  const EventCode result =
      edit_value_field({&t.tool_number, 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL | EXIT_ENTER, WIDTH_TOOL);
  if (result != KEY_ENTER) return result;
  const bool accepted = run_cam_tool_form(block, which, item);
  // The tool form covered the form it was opened from, and whatever page stands behind it: the
  // outer form repaints, and a page that owns it draws itself again.
  g_form.redraw_level = std::max<uint8_t>(g_form.redraw_level, 1);
  request_full_redraw();
  redraw_all();
  return accepted ? FIELD_CHANGED : 0;
}
