#include "pages/time_estimate_form.h"

#include <algorithm>
#include <string>

#include "nc/time_estimate.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/display_mode.h"
#include "screen/pointer.h"
#include "store/catalogue.h"
#include "store/line_list.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/message_box.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_boxes.h"
#include "ui/text_window.h"

namespace {

constexpr int ROW_FULL_SPEED = 1;
constexpr int ROW_TOOL_CHANGE = 2;
constexpr int ROW_SHORT = 7;   // the table: short rapid moves ...
constexpr int ROW_MEDIUM = 8;  // ... and medium ones
static_assert(FORM_RAPID_SETTINGS_INCH_FIELDS == ROW_MEDIUM + 1);
static_assert(FORM_RAPID_SETTINGS_MM_FIELDS == ROW_MEDIUM + 1);

constexpr int SPEED_WIDTH = 13;
constexpr int TOOL_CHANGE_WIDTH = 8;
// The table's columns, counted from the form's first column of text.
constexpr int DISTANCE_COLUMN = 2;
constexpr int TABLE_SPEED_COLUMN = 24;
constexpr int DISTANCE_WIDTH = 10;
constexpr int TABLE_SPEED_WIDTH = 11;
constexpr int TWO_DECIMALS = 1;  // the precision code of the values
constexpr float SECONDS_PER_MINUTE = 60.0f;
constexpr uint32_t REPORT_WINDOW_FLAGS = 0x40233;
constexpr uint16_t REPORT_OPTIONS = 10;

bool job_metric() { return g_job_settings.units != JOB_UNITS_INCH; }
bool metric_file_set() { return g_catalogue.file_name == CATALOGUE_METRIC_FILE_NAME; }

// The table's values: row 0 short, 1 medium; column 0 distance, 1 speed.
float* table_value(int table_row, int column) {
  RapidSettings& r = g_time_estimate.working;
  if (table_row == 0) return column == 0 ? &r.short_distance : &r.slow_speed;
  return column == 0 ? &r.medium_distance : &r.medium_speed;
}

int table_screen_column(int column) {
  const TextWindow* w = g_windows.active;
  const int left = w != nullptr ? w->left_column : 0;
  return left + (column == 0 ? DISTANCE_COLUMN : TABLE_SPEED_COLUMN);
}

bool any_rapid_speed_zero() {
  const RapidSettings& r = g_time_estimate.working;
  return r.slow_speed == 0.0f || r.medium_speed == 0.0f || r.full_speed == 0.0f;
}

// A click in the table picks the column under the pointer.
void column_from_pointer() {
  const int cell = g_display.current.cell_width;
  if (cell <= 0) return;
  g_rapid_form.column = g_pointer.wanted_x / cell >= table_screen_column(1) ? 1 : 0;
}

EventCode edit_table(int table_row) {
  const EventCode code = read_window_event(DISTANCE_WIDTH);
  if (code == EVENT_LEFT_DOWN || code == FIELD_CLICK) column_from_pointer();
  // A character stays queued for the value's editor; anything else goes back in front.
  if (code < 32 || code > 255) push_input_code_front(code);
  const int column = g_rapid_form.column;
  const int value_column = g_field.value_column;
  g_field.value_column = table_screen_column(column);
  EventCode result = edit_value_field({table_value(table_row, column), 0}, FIELD_FLOAT,
                                      FIELD_OPTIONS_USUAL,
                                      column == 0 ? DISTANCE_WIDTH : TABLE_SPEED_WIDTH);
  g_field.value_column = value_column;
  if (result == KEY_RIGHT && column == 0) {
    g_rapid_form.column = 1;
    result = 0;
  } else if (result == KEY_LEFT && column == 1) {
    g_rapid_form.column = 0;
    result = 0;
  }
  return result;
}

EventCode edit_row(int row) {
  RapidSettings& r = g_time_estimate.working;
  switch (row) {
    case 0: {
      const EventCode result = ok_cancel_field();
      if (result == WINDOW_ACCEPT && any_rapid_speed_zero()) {
        show_text_box(ZERO_RAPID_SPEED_MESSAGE, TEXTBOX_PRESS_A_KEY);
        return 0;
      }
      return result;
    }
    case ROW_FULL_SPEED:
      return edit_value_field({&r.full_speed, 0}, FIELD_FLOAT, FIELD_OPTIONS_USUAL, SPEED_WIDTH);
    case ROW_TOOL_CHANGE:
      return edit_value_field({&r.tool_change_minutes, 0}, FIELD_FLOAT, FIELD_OPTIONS_USUAL,
                              TOOL_CHANGE_WIDTH);
    case ROW_SHORT:
    case ROW_MEDIUM: return edit_table(row - ROW_SHORT);
    default:
      // The lines between are text: the cursor passes over them the way it was going.
      return g_field.last_ending_event == KEY_UP ? KEY_UP : KEY_DOWN;
  }
}

void show_table_row(int table_row) {
  skip_field_display();
  const int row = table_row + ROW_SHORT;
  if (static_cast<size_t>(row) >= g_field.redraw.size() || g_field.redraw[row] == 0) return;
  const int value_column = g_field.value_column;
  g_field.value_column = table_screen_column(0);
  show_float_value(*table_value(table_row, 0), -DISTANCE_WIDTH, TWO_DECIMALS);
  g_field.value_column = table_screen_column(1);
  show_float_value(*table_value(table_row, 1), -TABLE_SPEED_WIDTH, TWO_DECIMALS);
  g_field.value_column = value_column;
}

void show_rapid_settings() {
  const RapidSettings& r = g_time_estimate.working;
  skip_field_display();
  show_float_value(r.full_speed, SPEED_WIDTH, TWO_DECIMALS);
  show_float_value(r.tool_change_minutes, TOOL_CHANGE_WIDTH, TWO_DECIMALS);
  for (int row = ROW_TOOL_CHANGE + 1; row < ROW_SHORT; ++row) skip_field_display();
  show_table_row(0);
  show_table_row(1);
  draw_ok_cancel();
}

// The report's text as a list of lines.
LineList report_lines(const std::string& text) {
  push_list();
  clear_current_list();
  size_t from = 0;
  while (from < text.size()) {
    const size_t end = text.find('\n', from);
    const size_t stop = end == std::string::npos ? text.size() : end;
    append_line((text.substr(from, stop - from) + "\n").c_str());
    from = stop + 1;
  }
  const LineList lines = g_lists.current;
  g_lists.current = LineList{};
  pop_list();
  return lines;
}

void show_report() {
  LineList lines = report_lines(machining_time_report());
  const CellMetrics& cells = g_display.current;
  const bool small = cells.last_row <= REPORT_SMALL_SCREEN_ROWS;
  const int height = small ? REPORT_HEIGHT_SMALL : REPORT_HEIGHT;
  const int bottom = cells.last_row - (small ? REPORT_BOTTOM_GAP_SMALL : REPORT_BOTTOM_GAP);
  const int top = std::max(bottom - height + 1, 1);
  edit_lines_in_window(&lines, MACHINING_TIME_TITLE, -top, cells.last_column / 2, height,
                       REPORT_WIDTH, nullptr, nullptr, REPORT_WINDOW_FLAGS, nullptr, nullptr,
                       REPORT_OPTIONS);
  free_list(lines.first);
}

}  // namespace

EventCode rapid_settings_field() {
  const EventCode result = edit_current_field(edit_row);
  // Every value is shown again after each field: the table's two rows go together.
  show_every_field(show_rapid_settings);
  return end_field_handler(result);
}

int estimate_machining_time() {
  const bool stored_metric = metric_file_set();
  reset_time_estimate(&g_preferences.rapid_settings, stored_metric);
  // The tool-change time is edited in seconds.
  g_time_estimate.working.tool_change_minutes *= SECONDS_PER_MINUTE;
  g_rapid_form = RapidSettingsForm{};
  const int form = job_metric() ? MSG_FORM_RAPID_SETTINGS_MM : MSG_FORM_RAPID_SETTINGS_INCH;
  if (run_dialog(form, rapid_settings_field) != 1) return 0;
  g_time_estimate.working.tool_change_minutes /= SECONDS_PER_MINUTE;
  store_rapid_settings(&g_preferences.rapid_settings, stored_metric);
  accumulate_proof_time();
  show_report();
  return 1;
}
