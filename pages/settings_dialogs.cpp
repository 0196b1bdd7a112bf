#include "pages/settings_dialogs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "editor/drawing_page_state.h"
#include "editor/page_furniture.h"
#include "import/import_drawing.h"
#include "job/job_units.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "store/message_ids.h"
#include "ui/dialog_form.h"
#include "ui/page_entries.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

const char* const CUT_TYPES[] = {"Drawing \va\023id",        "Cut \vc\023enterline",
                                 "Contour \vI\023nside",      "Contour \vO\023utside",
                                 "Spiral \vP\023ocket",       "Contour\f+\023i\vs\023lands",
                                 "Islan\vd\023",              nullptr};
constexpr uint8_t CUT_TYPE_COUNT = 7;
const char* const UNITS[] = {"\vM\023etric", "\vI\023nches", nullptr};
const char* const START_PAGES[] = {"Whatever I was last in", "-----------------------",
                                   "Job setup",              "Engraving List",
                                   "Drawing",                "NC Program",
                                   "Utilities",              nullptr};
constexpr uint8_t START_PAGE_SEPARATOR = 1;
constexpr uint8_t START_PAGE_COUNT = 7;
const char* const THREE_STATES[] = {"\vN\023one", "\vP\023artial", "\vF\023ull", nullptr};
const char* const NO_YES[] = {"No", "Yes", nullptr};
const char* const OFF_ON[] = {"Off", "On", nullptr};
// Headings and blank rows hold no field: the cursor passes on the way it was going (a field
// that read nothing would be asked again at once, and the form would never wait for a key).
EventCode pass_over_row() { return g_field.last_ending_event == KEY_UP ? KEY_UP : KEY_DOWN; }

constexpr char YES_NO_LETTERS[] = "NY";
constexpr char OFF_ON_LETTERS[] = "FO";  // the letters of "Off" and "On" as the field reads them
constexpr char AXIS_LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

constexpr int CUT_WIDTH = 16;
constexpr int UNITS_WIDTH = 7;
constexpr int START_PAGE_WIDTH = 23;
constexpr int THREE_STATE_WIDTH = 8;
constexpr int YES_NO_WIDTH = 3;
constexpr int NUMBER_WIDTH = 10;
constexpr int FOLDER_WIDTH = 40;
constexpr int TEXT_WIDTH = 8;
constexpr int BYTE_WIDTH = 2;
constexpr int SHORT_WIDTH = 3;

constexpr uint8_t LEAST_DELAY = 1;
constexpr uint8_t MOST_DELAY = 5;
constexpr float LEAST_STEP_LENGTH = 0.001f;
constexpr float GRID_STEP_INSTEAD_OF_ZERO = 0.01f;

// A list row: the chosen index is stored when the list changed it.
EventCode list_row(const char* const* names, uint8_t count, uint8_t* value, int width) {
  uint8_t index = *value;
  const EventCode result = pick_string_field(names, "Select", g_field.display_row,
                                             g_field.value_column, &index, width, nullptr);
  if (result < 0 && index < count) *value = index;
  return result;
}

EventCode cut_type_row(uint8_t* value) { return list_row(CUT_TYPES, CUT_TYPE_COUNT, value, CUT_WIDTH); }

const char* listed(const char* const* names, uint8_t count, uint8_t index) {
  return index < count ? names[index] : "";
}

EventCode float_row(float* value) {
  return edit_value_field({value, 0}, FIELD_FLOAT, FIELD_OPTIONS_USUAL, NUMBER_WIDTH);
}

// ---- Form 762 ------------------------------------------------------------------------------

struct JobOptionsRun {
  JobSettings settings;                 // the block as the dialog found it
  std::vector<LineExtra> items;         // the items' blocks, for a cancel after a conversion
  bool converted = false;               // a change of units converted the items
};
JobOptionsRun g_job_options_run;

enum JobOptionsRow { JO_BAR, JO_CUT, JO_TEXT_CUT, JO_OUTPUT, JO_CLIMB, JO_TEXT, JO_UNITS };
static_assert(FORM_JOB_OPTIONS_FIELDS == JO_UNITS + 1);

char g_new_item_text[9] = {};

EventCode job_options_row(int row) {
  JobSettings& job = g_job_settings;
  switch (row) {
    case JO_BAR: return ok_cancel_field();
    case JO_CUT: {
      const EventCode result = cut_type_row(&job.new_item_cut_type);
      if (result < 0) job.new_items_machined = job.new_item_cut_type != 0 ? 1 : 0;
      return result;
    }
    case JO_TEXT_CUT: return cut_type_row(&job.text_cut_type);
    case JO_OUTPUT: return cycle_list_field(YES_NO_LETTERS, &job.output_yes_no, 0, YES_NO_WIDTH);
    case JO_CLIMB: return cycle_list_field(YES_NO_LETTERS, &job.climb_milling, 0, YES_NO_WIDTH);
    case JO_TEXT: {
      const EventCode result =
          edit_value_field({g_new_item_text, sizeof g_new_item_text}, 0, FIELD_OPTIONS_USUAL, TEXT_WIDTH);
      if (result < 0) g_preferences.new_item_text = g_new_item_text;
      return result;
    }
    case JO_UNITS: {
      const uint8_t before = job.units;
      const EventCode result = list_row(UNITS, 2, &job.units, UNITS_WIDTH);
      if (job.units != before) {
        if (convert_job_in_drawing_window() == UnitsConversion::WHOLE_JOB)
          g_job_options_run.converted = !g_job_options_run.converted;
        std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      }
      return result;
    }
    default: return pass_over_row();
  }
}

// ---- Form 166 ------------------------------------------------------------------------------

enum PreferencesRow {
  PR_BAR, PR_HEAD_1, PR_START_PAGE, PR_DRAWING_FOLDER, PR_JOB_FOLDER, PR_AUTOSAVE, PR_DELAY,
  PR_HEAD_7, PR_HEAD_8, PR_CUT, PR_TEXT_CUT, PR_NODE_MARKERS, PR_GRID_STEP, PR_CLEARANCE,
  PR_AXIS_LETTER, PR_SHORT_LIMIT, PR_SHORT_FEED, PR_UNITS
};
static_assert(FORM_PREFERENCES_FIELDS == PR_UNITS + 1);

EventCode preferences_row(int row) {
  Preferences& p = g_preferences;
  JobSettings& d = p.default_job;
  switch (row) {
    case PR_BAR: return ok_cancel_field();
    case PR_START_PAGE: {
      uint8_t index = p.start_page_choice;
      const EventCode result = list_row(START_PAGES, START_PAGE_COUNT, &index, START_PAGE_WIDTH);
      if (index != START_PAGE_SEPARATOR) p.start_page_choice = index;
      return result;
    }
    case PR_DRAWING_FOLDER: return directory_field(&p.drawing_folder, FOLDER_WIDTH);
    case PR_JOB_FOLDER: return directory_field(&p.job_folder, FOLDER_WIDTH);
    case PR_AUTOSAVE:
      return edit_value_field({&p.autosave_minutes, 0}, FIELD_BYTE, FIELD_OPTIONS_USUAL, BYTE_WIDTH);
    case PR_DELAY: {
      const EventCode result =
          edit_value_field({&p.drawing.hover_delay, 0}, FIELD_BYTE, FIELD_OPTIONS_USUAL, BYTE_WIDTH);
      p.drawing.hover_delay = std::clamp(p.drawing.hover_delay, LEAST_DELAY, MOST_DELAY);
      return result;
    }
    case PR_CUT: {
      const EventCode result = cut_type_row(&d.new_item_cut_type);
      if (result < 0) d.new_items_machined = d.new_item_cut_type != 0 ? 1 : 0;
      return result;
    }
    case PR_TEXT_CUT: return cut_type_row(&d.text_cut_type);
    case PR_NODE_MARKERS:
      return cycle_list_field(YES_NO_LETTERS, &d.show_node_markers, 0, YES_NO_WIDTH);
    case PR_GRID_STEP: {
      const EventCode result = float_row(&d.grid_step);
      if (d.grid_step == 0.0f) d.grid_shown = 0;
      return result;
    }
    case PR_CLEARANCE: return float_row(&p.surface_clearance);
    case PR_AXIS_LETTER:
      return cycle_list_field(AXIS_LETTERS, &d.rotary_axis_letter, 0, YES_NO_WIDTH);
    case PR_SHORT_LIMIT: return float_row(&d.short_move_limit);
    case PR_SHORT_FEED:
      return edit_value_field({&d.short_move_feed, 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL, SHORT_WIDTH);
    case PR_UNITS: return list_row(UNITS, 2, &d.units, UNITS_WIDTH);
    default: return pass_over_row();
  }
}

// ---- Form 370 ------------------------------------------------------------------------------

// The dialog's working copy.
struct GridOptions {
  float grid_step = 0.0f;
  float step_length = 0.0f;
  uint8_t grid_display = 0;  // the drawing page's working grid switch
  uint8_t node_markers = 0;
  uint8_t three_state = 0;
  uint8_t node_snap_on = 0;
  uint8_t toggle_shown = 0;  // the preference's toggle, shown inverted
};
GridOptions g_grid;

enum GridRow { GR_BAR, GR_HEAD_1, GR_THREE_STATE, GR_STEP_LENGTH, GR_TOGGLE, GR_BLANK_5, GR_BLANK_6,
               GR_NODE_SNAP, GR_NODE_MARKERS, GR_GRID_DISPLAY, GR_GRID_STEP };
static_assert(FORM_GRID_OPTIONS_FIELDS == GR_GRID_STEP + 1);

void fill_grid_copy() {
  const JobSettings& job = g_job_settings;
  g_grid.grid_step = job.grid_step == 0.0f ? GRID_STEP_INSTEAD_OF_ZERO : job.grid_step;
  g_grid.step_length = g_preferences.nudge;
  g_grid.grid_display = g_furniture.grid_switch != 0 ? 1 : 0;
  g_grid.node_markers = job.show_node_markers;
  g_grid.three_state = std::min<uint8_t>(g_preferences.grid_display, 2);
  g_grid.node_snap_on = job.node_snap_off == 0 ? 1 : 0;
  g_grid.toggle_shown = g_preferences.panel_option == 0 ? 1 : 0;
}

void write_grid_copy() {
  JobSettings& job = g_job_settings;
  g_furniture.grid_switch = g_grid.grid_display;
  job.grid_shown = g_grid.grid_display;
  job.grid_step = g_grid.grid_step;
  job.node_snap_off = g_grid.node_snap_on != 0 ? 0 : 1;
  job.show_node_markers = g_grid.node_markers;
  g_preferences.grid_display = g_grid.three_state;
  g_preferences.nudge = g_grid.step_length > 0.0f ? g_grid.step_length : LEAST_STEP_LENGTH;
  g_preferences.panel_option = g_grid.toggle_shown != 0 ? 0 : 1;
  job.job_changed |= JOB_CHANGED;
}

EventCode grid_row(int row) {
  switch (row) {
    case GR_BAR: {
      const EventCode result = ok_cancel_field();
      if (result == WINDOW_ACCEPT) write_grid_copy();
      return result;
    }
    case GR_THREE_STATE: return list_row(THREE_STATES, 3, &g_grid.three_state, THREE_STATE_WIDTH);
    case GR_STEP_LENGTH: {
      const EventCode result = float_row(&g_grid.step_length);
      if (g_grid.step_length <= 0.0f) g_grid.step_length = LEAST_STEP_LENGTH;
      return result;
    }
    case GR_TOGGLE: return cycle_list_field(OFF_ON_LETTERS, &g_grid.toggle_shown, 0, YES_NO_WIDTH);
    case GR_NODE_SNAP: return cycle_list_field(OFF_ON_LETTERS, &g_grid.node_snap_on, 0, YES_NO_WIDTH);
    case GR_NODE_MARKERS:
      return cycle_list_field(OFF_ON_LETTERS, &g_grid.node_markers, 0, YES_NO_WIDTH);
    case GR_GRID_DISPLAY:
      return cycle_list_field(OFF_ON_LETTERS, &g_grid.grid_display, 0, YES_NO_WIDTH);
    case GR_GRID_STEP: return float_row(&g_grid.grid_step);
    default: return pass_over_row();
  }
}

std::vector<LineExtra> item_blocks() {
  std::vector<LineExtra> blocks;
  TextWindow* w = window_of(g_shared_windows.drawing);
  for (TextLine* line = w != nullptr ? w->first_line : g_lists.current.first; line != nullptr;
       line = line->next)
    blocks.push_back(line->extra);
  return blocks;
}

void put_item_blocks(const std::vector<LineExtra>& blocks) {
  TextWindow* w = window_of(g_shared_windows.drawing);
  size_t k = 0;
  for (TextLine* line = w != nullptr ? w->first_line : g_lists.current.first;
       line != nullptr && k < blocks.size(); line = line->next, ++k)
    if (line->extra.size() == blocks[k].size())
      std::copy(blocks[k].begin(), blocks[k].end(), line->extra.begin());
}

}  // namespace

const char* const* cut_type_names() { return CUT_TYPES; }
const char* const* units_names() { return UNITS; }

UnitsConversion convert_job_in_drawing_window() {
  TextLine* drawing = g_shared_windows.drawing;
  if (window_of(drawing) == nullptr)
    return convert_job_units(&g_lists.current, &g_import.template_items);
  push_active_window();
  activate_window(drawing);
  const UnitsConversion done = convert_job_units(&g_lists.current, &g_import.template_items);
  store_window_state();
  pop_active_window();
  return done;
}

EventCode job_options_field() {
  const EventCode result = edit_current_field(job_options_row);
  const JobSettings& job = g_job_settings;
  begin_display_pass();
  skip_field_display();
  show_text_value(listed(CUT_TYPES, CUT_TYPE_COUNT, job.new_item_cut_type), CUT_WIDTH);
  show_text_value(listed(CUT_TYPES, CUT_TYPE_COUNT, job.text_cut_type), CUT_WIDTH);
  show_choice_value(NO_YES, job.output_yes_no != 0 ? 1 : 0, YES_NO_WIDTH);
  show_choice_value(NO_YES, job.climb_milling != 0 ? 1 : 0, YES_NO_WIDTH);
  show_text_value(g_preferences.new_item_text.c_str(), TEXT_WIDTH);
  show_text_value(listed(UNITS, 2, job.units), UNITS_WIDTH);
  draw_ok_cancel();
  return end_field_handler(result);
}

int edit_job_options() {
  JobOptionsRun& run = g_job_options_run;
  run.settings = g_job_settings;
  run.items = item_blocks();
  run.converted = false;
  const std::string text = g_preferences.new_item_text;
  std::snprintf(g_new_item_text, sizeof g_new_item_text, "%s", text.c_str());
  g_field.next_label_width = widest_form_label(MSG_FORM_JOB_OPTIONS) + 1;
  const int accepted = run_dialog(MSG_FORM_JOB_OPTIONS, job_options_field);
  if (accepted == 1) {
    mark_job_changed();
  } else {
    // Everything as it was: the settings, the text, and the items a change of units converted.
    g_job_settings = run.settings;
    g_preferences.new_item_text = text;
    if (run.converted) put_item_blocks(run.items);
  }
  run.items.clear();
  return accepted;
}

EventCode preferences_field() {
  const EventCode result = edit_current_field(preferences_row);
  const Preferences& p = g_preferences;
  const JobSettings& d = p.default_job;
  begin_display_pass();
  skip_field_display();
  skip_field_display();
  show_text_value(listed(START_PAGES, START_PAGE_COUNT, p.start_page_choice), START_PAGE_WIDTH);
  show_text_value(p.drawing_folder.c_str(), FOLDER_WIDTH);
  show_text_value(p.job_folder.c_str(), FOLDER_WIDTH);
  show_int_or_blank(p.autosave_minutes, BYTE_WIDTH);
  show_int_value(p.drawing.hover_delay, BYTE_WIDTH);
  skip_field_display();
  skip_field_display();
  show_text_value(listed(CUT_TYPES, CUT_TYPE_COUNT, d.new_item_cut_type), CUT_WIDTH);
  show_text_value(listed(CUT_TYPES, CUT_TYPE_COUNT, d.text_cut_type), CUT_WIDTH);
  show_choice_value(NO_YES, d.show_node_markers != 0 ? 1 : 0, YES_NO_WIDTH);
  show_float_value(d.grid_step, NUMBER_WIDTH, 0);
  show_float_value(p.surface_clearance, NUMBER_WIDTH, 0);
  const char letter[2] = {AXIS_LETTERS[std::min<int>(d.rotary_axis_letter, 25)], 0};
  show_text_value(letter, YES_NO_WIDTH);
  show_float_value(d.short_move_limit, NUMBER_WIDTH, 0);
  show_int_value(d.short_move_feed, SHORT_WIDTH);
  show_text_value(listed(UNITS, 2, d.units), UNITS_WIDTH);
  draw_ok_cancel();
  return end_field_handler(result);
}

int edit_preferences() {
  const Preferences saved = g_preferences;
  g_field.next_label_width = widest_form_label(MSG_FORM_PREFERENCES) + 1;
  if (run_dialog(MSG_FORM_PREFERENCES, preferences_field) != 1) {
    g_preferences = saved;
    return 0;
  }
  const JobSettings& d = g_preferences.default_job;
  JobSettings& job = g_job_settings;
  job.new_items_machined = d.new_items_machined;
  job.new_item_cut_type = d.new_item_cut_type;
  job.show_node_markers = d.show_node_markers;
  job.grid_step = d.grid_step;
  job.text_cut_type = d.text_cut_type;
  g_furniture.grid_switch = d.grid_shown;
  // Other units than the job's: the job is converted, not merely relabelled (a relabelled
  // 100 mm plate would be cut 100 inches wide).
  if (d.units != job.units) {
    job.units = d.units;
    convert_job_in_drawing_window();
  }
  return 1;
}

EventCode grid_options_field() {
  const EventCode result = edit_current_field(grid_row);
  begin_display_pass();
  skip_field_display();
  skip_field_display();
  show_text_value(listed(THREE_STATES, 3, g_grid.three_state), THREE_STATE_WIDTH);
  show_float_or_blank(g_grid.step_length, NUMBER_WIDTH, 0);
  show_choice_value(OFF_ON, g_grid.toggle_shown != 0 ? 1 : 0, YES_NO_WIDTH);
  skip_field_display();
  skip_field_display();
  show_choice_value(OFF_ON, g_grid.node_snap_on != 0 ? 1 : 0, YES_NO_WIDTH);
  show_choice_value(OFF_ON, g_grid.node_markers != 0 ? 1 : 0, YES_NO_WIDTH);
  show_choice_value(OFF_ON, g_grid.grid_display != 0 ? 1 : 0, YES_NO_WIDTH);
  show_float_value(g_grid.grid_step, NUMBER_WIDTH, 0);
  draw_ok_cancel();
  return end_field_handler(result);
}

int grid_options_dialog() {
  fill_grid_copy();
  g_field.next_label_width = widest_form_label(MSG_FORM_GRID_OPTIONS) + 1;
  const int accepted = run_dialog(MSG_FORM_GRID_OPTIONS, grid_options_field);
  if (accepted == 1) ++g_drawing_page.redraw_request;
  return accepted;
}
