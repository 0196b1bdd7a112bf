#include "pages/job_setup_page.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "geometry/layers.h"
#include "import/import_drawing.h"
#include "job/job_file.h"
#include "job/job_surfaces.h"
#include "job/surface_names.h"
#include "nc/post_processor.h"
#include "pages/job_commands.h"
#include "pages/post_processor_page.h"
#include "pages/settings_dialogs.h"
#include "platform/cp1252.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/controls.h"
#include "screen/display_mode.h"
#include "screen/hover.h"
#include "screen/interface_settings.h"
#include "screen/main_form.h"
#include "screen/picture_file.h"
#include "screen/pointer.h"
#include "screen/screen_attributes.h"
#include "screen/text_output.h"
#include "store/catalogue.h"
#include "store/message_ids.h"
#include "store/text_helpers.h"
#include "ui/catalogue_menu.h"
#include "ui/dialog_form.h"
#include "ui/entry_line.h"
#include "ui/message_box.h"
#include "ui/page_entries.h"
#include "ui/picture_menu.h"
#include "ui/placeholder_page.h"
#include "ui/popups.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

JobSetupState g_job_setup;

void reset_job_setup_page() { g_job_setup = JobSetupState{}; }

namespace {

using K = SurfaceRowKind;

constexpr EventCode PAGE_TAB_EVENT = 699;
constexpr EventCode KEY_SHIFT_TAB = 271;
constexpr EventCode KEY_F4 = 318;
constexpr EventCode KEY_CTRL_F4 = 353;
constexpr EventCode KEY_CTRL_O = KEY_CTRL_BASE + 'O';
constexpr EventCode KEY_CTRL_S = KEY_CTRL_BASE + 'S';
constexpr EventCode KEY_CTRL_N = KEY_CTRL_BASE + 'N';

constexpr int FORM_WIDTH = 80;
constexpr int POST_WIDTH = 50;
constexpr int SURFACE_WIDTH = 36;
constexpr int NUMBER_WIDTH = 12;
constexpr int SIDE_WIDTH = 9;
constexpr int AXIS_SIDE_WIDTH = 2;
constexpr int CHOICE_WIDTH = 20;
constexpr int CONTROLLER_WIDTH = 24;
constexpr int YES_NO_WIDTH = 3;
constexpr int TEMPLATE_WIDTH = 50;
constexpr int COMMENT_WIDTH = 23;
constexpr int SHOWN_PATH = 76;
constexpr int ENTRY_LEAST_SPARE = 14;
constexpr int ENTRY_MOST = 127;
constexpr int PICTURE_WIDTH = 240;
constexpr int PICTURE_HEIGHT = 168;
constexpr int PICTURE_SURFACE_MENU = 165;
constexpr int LOWEST_PICTURE = 32;
constexpr double DEGREES_PER_RADIAN = 180.0 / 3.14159265358979323846;
constexpr int ROW_MATERIAL_BOX = 20;

const char* const NO_YES[] = {"No", "Yes", nullptr};
const char* const SIDES[] = {"Inside", "Outside", nullptr};
const char* const AXES[] = {"X", "Y", nullptr};
const char* const TORUS_TUBE[] = {"Top, clockwise", "Bottom, Counter-CW", nullptr};
const char* const TORUS_TOP[] = {"Outer radius", "Inner radius", nullptr};
const char* const AXIS_CONTROLLERS[] = {"Fanuc 11", "Fanuc 10M", "Fadal", "OPS 5000", nullptr};
const char* const LATHE_CONTROLLERS[] = {"Fanuc 18T", "Fanuc 10M", "Mazatrol T+ / Fusion640",
                                         "OPS 5000", nullptr};
const char* const COMMENT_MODES[] = {"\vN\023o comments", "Comment each text \vi\023tem",
                                     "Comment each \vl\023etter", "\vB\023oth items and letters",
                                     nullptr};
constexpr char AXIS_LETTERS[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

const char* listed(const char* const* names, int count, int index) {
  return index >= 0 && index < count ? names[index] : "";
}

bool axis_surface(int code) { return code >= 11 && code <= 14; }

// ---- The page's controls ---------------------------------------------------------------------

std::vector<ScreenControl> make_controls() {
  std::vector<ScreenControl> t = {
      make_control("File \f\bA", JOB_SETUP_FILE, 3, 2, 1, 6, 0, 0),
      make_control("\vJob settings:", 0, 3, 70, 1, 13, 0, CF_NO_BOX),
      make_control("Import", JOB_SETUP_IMPORT_SETTINGS, 3, 84, 1, 6, 33, 0),
      make_control("Reset", JOB_SETUP_RESET_SETTINGS, 3, 92, 1, 5, 34, 0),
      make_control("\vLayers:", 0, 3, 104, 1, 7, 0, CF_NO_BOX),
      make_control("Import", JOB_SETUP_IMPORT_LAYERS, 3, 112, 1, 6, 35, 0),
      make_control("Reset", JOB_SETUP_RESET_LAYERS, 3, 120, 1, 5, 36, 0),
      make_control("\vJob name:", 0, 5, 1, 1, 7, 0, CF_NO_BOX),
      make_control("", JOB_SETUP_NAME, 5, 11, 1, 78, 99, CF_ENTRY),
      make_control("\vFolder:", 0, 6, 1, 1, 7, 0, CF_NO_BOX),
      make_control("", JOB_SETUP_FOLDER, 6, 11, 1, 78, 100, CF_ENTRY),
      make_control("\b:", JOB_SETUP_BROWSE, 6, 9, 1, 1, 101, CF_NO_BOX),
      make_control("More job settings", JOB_SETUP_MORE_SETTINGS, 3, 26, 1, 17, 37, 0),
      make_control("Menu", JOB_SETUP_MENU, 1, 4, 1, 4, 38, 0),
  };
  append_title_buttons(&t);
  return t;
}

std::vector<ScreenControl> g_controls_table;

ScreenControl* control(int id) {
  return g_controls_table.empty() ? nullptr : find_control_in(g_controls_table.data(), id);
}

// The File button's glyph: 'A' for a saved job, '&' for a changed one.
void show_saved_state() {
  ScreenControl* file = control(JOB_SETUP_FILE);
  if (file == nullptr) return;
  const char* caption = (g_job_settings.job_changed & JOB_CHANGED) != 0 ? "File \f\b&" : "File \f\bA";
  std::snprintf(file->caption, sizeof file->caption, "%s", caption);
}

int entry_width() {
  const int columns = g_display.presets[FACE_ROLE_NORMAL].last_column;
  return std::clamp(columns - ENTRY_LEAST_SPARE, 1, ENTRY_MOST);
}

// A path shown at a page control's value position, cut to the entry's width.
void show_job_file_field(const std::string& text, int id) {
  ScreenControl* c = control(id);
  if (c == nullptr) return;
  const int width = std::min(entry_width(), SHOWN_PATH);
  std::string shown = abbreviate_path(cp1252_from_utf8(text, '?').c_str(), SHOWN_PATH);
  if (static_cast<int>(shown.size()) > width) shown.resize(static_cast<size_t>(width));
  shown.resize(static_cast<size_t>(width), ' ');
  draw_text(c->row, c->column, shown.c_str());
}

// The drawing window's file record holds the job's folder and name.
FileRecord* record() { return job_file_record(); }

bool folder_exists(const std::string& folder) {
  std::vector<FolderEntry> entries;
  return list_folder(folder, "*", &entries);
}

// ---- Rows and values ---------------------------------------------------------------------------

float degrees_of(float radians) { return static_cast<float>(radians * DEGREES_PER_RADIAN); }

// The row's rule as the values column shows it: the locked rows that hold a value still show it.
SurfaceRowRule shown_rule(JobSettings* job, int row) {
  SurfaceRowRule r = surface_row_rule(job, row);
  if (r.kind != K::LOCKED || job->surface_code == SURFACE_DIE_CUT_BLADES) return r;
  if (row == 10 || row == 11) r = {K::LENGTH, &job->template_offset[row - 10]};
  if (row == 15) r.kind = K::SHORT_MOVE_FEED;
  if (row >= ROW_MATERIAL_BOX) r = {K::LENGTH, &job->material_box[row - ROW_MATERIAL_BOX]};
  return r;
}

std::string post_processor_name() {
  const TextLine* entry = g_job_settings.post_processor;
  if (entry == nullptr) entry = find_post_processor(g_job_settings.post_processor_number);
  if (entry == nullptr) return "";
  std::string name = entry->text;
  if (!name.empty() && name.back() == '\n') name.pop_back();
  return name;
}

void show_row(int row) {
  JobSettings& job = g_job_settings;
  const SurfaceRowRule r = shown_rule(&job, row);
  const int code = job.surface_code;
  switch (r.kind) {
    case K::LOCKED: show_field_value("", NUMBER_WIDTH); break;
    case K::POST_PROCESSOR: show_field_text(post_processor_name().c_str(), POST_WIDTH); break;
    case K::SURFACE_MENU: show_field_text(surface_name(code), SURFACE_WIDTH); break;
    case K::YES_NO: show_choice_value(NO_YES, *r.byte != 0 ? 1 : 0, YES_NO_WIDTH); break;
    case K::DEGREES:
    case K::TILT: show_float_value(degrees_of(*r.length), NUMBER_WIDTH, 0); break;
    case K::SIDE:
      show_text_value(axis_surface(code) ? listed(AXES, 2, job.surface_side & 1)
                                         : listed(SIDES, 2, job.surface_side & 1),
                      SIDE_WIDTH);
      break;
    case K::AXIS_CHOICE: show_text_value(listed(AXES, 2, job.surface_choice & 1), YES_NO_WIDTH); break;
    case K::TOP_BOTTOM:
      show_text_value(listed(code == 9 ? TORUS_TUBE : TORUS_TOP, 2, job.surface_choice & 1),
                      CHOICE_WIDTH);
      break;
    case K::AXIS_CONTROLLER:
      show_field_text(listed(AXIS_CONTROLLERS, 4, job.controller), CONTROLLER_WIDTH);
      break;
    case K::LATHE_CONTROLLER:
      show_field_text(listed(LATHE_CONTROLLERS, 4, job.controller), CONTROLLER_WIDTH);
      break;
    case K::AXIS_LETTER: {
      const char letter[2] = {AXIS_LETTERS[std::min<int>(job.rotary_axis_letter, 25)], 0};
      show_text_value(letter, YES_NO_WIDTH);
      break;
    }
    case K::LENGTH:
    case K::TOLERANCE: show_float_value(*r.length, NUMBER_WIDTH, 0); break;
    case K::DIAMETER: show_float_value(2.0 * *r.length, NUMBER_WIDTH, 0); break;
    case K::WHOLE_NUMBER: show_int_value(*r.number, NUMBER_WIDTH); break;
    case K::TEMPLATE_FILE: show_field_value(job.template_path, TEMPLATE_WIDTH); break;
    case K::SHORT_MOVE_FEED: show_int_value(job.short_move_feed, NUMBER_WIDTH); break;
    case K::COMMENT_MODE: show_field_text(listed(COMMENT_MODES, 4, job.comment_mode), COMMENT_WIDTH); break;
  }
}

void show_rows() {
  for (int row = 0; row < JOB_SETUP_ROWS; ++row) show_row(row);
}

// The surface picture of the current row in the dialog's bottom right corner.
void show_surface_picture(int picture) {
  if (g_display.band == 0) return;
  const TextWindow* w = g_windows.active;
  if (w == nullptr) return;
  const CellMetrics& cells = g_display.current;
  const int right = (w->left_column + w->columns) * cells.cell_width;
  const int bottom = (w->top_row + w->line_count) * cells.cell_height;
  const int left = right - PICTURE_WIDTH;
  const int top = bottom - PICTURE_HEIGHT;
  fill_rect(left, top, right, bottom, palette_pixel(1));
  if (picture <= LOWEST_PICTURE) return;
  if (draw_picture(picture, left, top) == 0) frame_last_picture();
}

// ---- Editing a row -----------------------------------------------------------------------------

// A float typed in degrees, kept in radians through `rule` (-30 -> 330, a tilt beyond +-80 -> 0).
EventCode edit_degrees(float* radians, bool tilt) {
  float degrees = degrees_of(*radians);
  const EventCode result =
      edit_value_field({&degrees, 0}, FIELD_FLOAT | FIELD_MINUS, FIELD_OPTIONS_USUAL, NUMBER_WIDTH);
  if (result < 0) {
    const double kept = tilt ? normalise_tilt(degrees) : normalise_degrees(degrees);
    *radians = static_cast<float>(kept / DEGREES_PER_RADIAN);
  }
  return result;
}

EventCode edit_float(float* value) {
  return edit_value_field({value, 0}, FIELD_FLOAT | FIELD_MINUS, FIELD_OPTIONS_USUAL, NUMBER_WIDTH);
}

bool opens_choice(EventCode code) { return code == KEY_ENTER || code == FIELD_CLICK || code == ' '; }

// The surface picture menu: a choice of a surface that is offered changes the job's.
EventCode edit_surface_menu() {
  const EventCode code = read_field_event(SURFACE_WIDTH);
  if (!opens_choice(code)) return code;
  const int cell = picture_grid_menu(PICTURE_SURFACE_MENU, 4, 4, 0, 0, 0, 0, 0);
  int note = 0;
  if (cell < 0 || !choose_surface(&g_job_settings, cell & 0xFF, &note)) return 0;
  if (note != 0) show_catalogue_box(note, "");
  set_surface_row_labels(FIRST_SURFACE_ROW);
  return FIELD_CHANGED;
}

EventCode edit_post_processor_row() {
  const EventCode code = read_field_event(POST_WIDTH);
  if (!opens_choice(code)) return code;
  post_processor_page();
  g_form.redraw_level = 1;
  return 0;
}

EventCode edit_template_row() {
  JobSettings& job = g_job_settings;
  std::string path = job.template_path;
  const EventCode result = file_name_field(TEMPLATE_WIDTH, JOB_SETUP_TEMPLATE_FILTER, &path);
  if (result >= 0 || path == job.template_path) return result;
  // A path the job's field cannot hold whole is refused, not cut.
  if (path.size() >= sizeof job.template_path) {
    show_text_box(JOB_SETUP_TEMPLATE_TOO_LONG, TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  std::memset(job.template_path, 0, sizeof job.template_path);
  std::memcpy(job.template_path, path.data(), path.size());
  if (g_import.template_items.first != nullptr) free_list(g_import.template_items.first);
  g_import.template_items = LineList{};
  g_import.template_path.clear();
  return result;
}

EventCode edit_row(int row) {
  JobSettings& job = g_job_settings;
  const SurfaceRowRule r = surface_row_rule(&job, row);
  const int code = job.surface_code;
  switch (r.kind) {
    case K::LOCKED: {
      // Passed over in the direction the cursor came; the last rows send it back up.
      const EventCode step = g_field.last_ending_event == KEY_UP ? KEY_UP : KEY_DOWN;
      return row == JOB_SETUP_ROWS - 1 ? KEY_UP : step;
    }
    case K::POST_PROCESSOR: return edit_post_processor_row();
    case K::SURFACE_MENU: return edit_surface_menu();
    case K::YES_NO: return cycle_list_field("NY", r.byte, 0, YES_NO_WIDTH);
    case K::DEGREES: return edit_degrees(r.length, false);
    case K::TILT: {
      const EventCode result = edit_degrees(r.length, true);
      if (code == 4 && job.surface_angle != 0.0f) job.surface_yes_no = 1;
      return result;
    }
    case K::SIDE:
      return cycle_list_field(axis_surface(code) ? "XY" : "IO", &job.surface_side, 0,
                              axis_surface(code) ? AXIS_SIDE_WIDTH : SIDE_WIDTH);
    case K::AXIS_CHOICE: return cycle_list_field("XY", &job.surface_choice, 0, YES_NO_WIDTH);
    case K::TOP_BOTTOM: return cycle_list_field("TB", &job.surface_choice, 0, CHOICE_WIDTH);
    case K::AXIS_CONTROLLER:
    case K::LATHE_CONTROLLER: {
      uint8_t index = job.controller;
      const EventCode result = pick_string_field(
          r.kind == K::AXIS_CONTROLLER ? AXIS_CONTROLLERS : LATHE_CONTROLLERS, "Controller",
          g_field.display_row, g_field.value_column, &index, CONTROLLER_WIDTH, nullptr);
      if (result < 0 && index < 4) job.controller = index;
      return result;
    }
    case K::AXIS_LETTER: return cycle_list_field(AXIS_LETTERS, &job.rotary_axis_letter, 0, YES_NO_WIDTH);
    case K::LENGTH: return edit_float(r.length);
    case K::DIAMETER: {
      float diameter = 2.0f * *r.length;
      const EventCode result = edit_float(&diameter);
      if (result < 0) *r.length = diameter / 2.0f;
      return result;
    }
    case K::WHOLE_NUMBER:
      return edit_value_field({r.number, 0}, FIELD_LONG | FIELD_MINUS, FIELD_OPTIONS_USUAL, NUMBER_WIDTH);
    case K::TEMPLATE_FILE: return edit_template_row();
    case K::TOLERANCE: {
      const EventCode result = edit_float(r.length);
      *r.length = std::max(*r.length, least_tolerance(job.units));
      return result;
    }
    case K::SHORT_MOVE_FEED: {
      const EventCode result =
          edit_value_field({&job.short_move_feed, 0}, FIELD_SHORT, FIELD_OPTIONS_USUAL, NUMBER_WIDTH);
      if (result < 0 && job.short_move_feed == 0) {
        show_catalogue_box(MSG_SHORT_FEED_ZERO, "");
        job.short_move_feed = SHORT_FEED_INSTEAD_OF_ZERO;
      }
      return result;
    }
    case K::COMMENT_MODE: {
      uint8_t index = job.comment_mode;
      const EventCode result = pick_string_field(COMMENT_MODES, "NC comments", g_field.display_row,
                                                 g_field.value_column, &index, COMMENT_WIDTH, nullptr);
      if (result < 0 && index < 4) job.comment_mode = index;
      return result;
    }
  }
  return 0;
}

// ---- The page's commands -----------------------------------------------------------------------

// A choice row: a click on its value opens the choice at once.
bool click_opens_row(int row) {
  const int code = g_job_settings.surface_code;
  switch (row) {
    case 0: case 1: case 8: case 9: case 17: case 19: return true;
    case 2: return code != 1 && code != 2 && code != 15 && code != 16 && code != 17;
    case 4: return code == 4 || code == 5 || (code >= 11 && code <= 14) || code == 16 || code == 17;
    case 5: return (code >= 11 && code <= 14) || code == 16 || code == 17;
    case 6: return code >= 11 && code <= 14;
    default: return false;
  }
}

// After settings came from elsewhere: the labels again, the items converted when the units
// changed, and the job changed.
void settings_taken(uint8_t units_before) {
  set_surface_row_labels(FIRST_SURFACE_ROW);
  if (g_job_settings.units != units_before) convert_job_in_drawing_window();
  mark_job_changed();
  g_form.redraw_level = 1;
}

void import_settings(int flags) {
  std::string path;
  if (g_page_entries.job_file_dialog == nullptr || g_page_entries.job_file_dialog(&path) != 0) return;
  const uint8_t units = g_job_settings.units;
  read_job_settings(path.c_str(), flags);
  settings_taken(units);
}

void make_settings_the_defaults() {
  JobSettings& d = g_preferences.default_job;
  d = g_job_settings;
  d.post_processor = nullptr;
  d.item_id_counter = 0;
  d.item_flag_union = 0;
  d.view_fitted = 0;
  if (g_page_entries.write_preferences == nullptr || g_page_entries.write_preferences() == 0)
    show_text_box(JOB_SETUP_SAVED_IT, TEXTBOX_PRESS_A_KEY);
}

// Runs an option of the File menu with the drawing window made current.
void run_file_option(int option) {
  TextLine* drawing = g_shared_windows.drawing;
  if (window_of(drawing) == nullptr) {
    file_menu_command(option);
  } else {
    push_active_window();
    activate_window(drawing);
    file_menu_command(option);
    store_window_state();
    pop_active_window();
  }
  // Die-cut blades live only until a job is opened or started from here.
  if (option == FILE_OPTION_OPEN_JOB || option == FILE_OPTION_RECENT_JOBS ||
      option == FILE_OPTION_NEW_JOB) {
    if (g_job_settings.surface_code == SURFACE_DIE_CUT_BLADES) set_surface_code(&g_job_settings, 1);
    set_surface_row_labels(FIRST_SURFACE_ROW);
  }
  g_form.redraw_level = 1;
}

// The job name and folder fields, edited in place at their controls.
int16_t edit_entry(int id, std::string* text) {
  const ScreenControl* c = control(id);
  if (c == nullptr) return 0;
  char buffer[ENTRY_MOST_CHARS + 1] = {};
  const std::string shown = cp1252_from_utf8(*text, '?');
  std::strncpy(buffer, shown.c_str(), ENTRY_MOST_CHARS);
  const int16_t result = edit_text_line(buffer, c->row, c->column, nullptr, FIELD_PATH, entry_width(),
                                        EXIT_PAGE_KEYS | EXIT_UP | EXIT_DOWN);
  if (result < 0) *text = cp1252_to_utf8(buffer);
  return result;
}

void edit_folder_entry();

void edit_name_entry() {
  for (;;) {
    FileRecord* r = record();
    std::string typed = r != nullptr ? r->name : "";
    const int16_t result = edit_entry(JOB_SETUP_NAME, &typed);
    if (result < 0 && !typed.empty()) {
      if (!take_typed_job_name(typed)) continue;  // said so: the field opens again
    }
    if (std::abs(result) == KEY_DOWN) edit_folder_entry();
    return;
  }
}

void edit_folder_entry() {
  FileRecord* r = record();
  if (r == nullptr) return;
  std::string typed = r->folder;
  const int16_t result = edit_entry(JOB_SETUP_FOLDER, &typed);
  if (result < 0 && typed != r->folder) {
    r->folder = typed;
    apply_job_folder();
  }
  const int key = std::abs(result);
  if (key == KEY_UP || key == KEY_PGUP) edit_name_entry();
  else if (key == KEY_DOWN) g_job_setup.row = 0;
}

void end_dialog(EventCode exit_event) { g_job_setup.exit_event = exit_event; }

// A click on a page control, a tab or the dialog. -1 when the event was no click. The form hands
// a click outside its window back as a cancel of the window: the tabs and the page's controls
// lie there.
EventCode page_click(EventCode event) {
  if (event != EVENT_LEFT_DOWN && event != WINDOW_CANCEL) return -1;
  const int hit = hit_test_pointer(true);
  if (hit < 0) return click_on_form_row(click_opens_row);
  if ((hit & HIT_PAGE_TAB) != 0) {
    const int tab = hit & 0xFF;
    g_preferences.current_page = static_cast<uint8_t>(tab);
    g_tab_strip.active = tab;
    end_dialog(0);
    return KEY_ESC;
  }
  const uint8_t units = g_job_settings.units;
  switch (hit & 0xFF) {
    case JOB_SETUP_IMPORT_SETTINGS: import_settings(JOB_SETTINGS_TAKE_FILE); break;
    case JOB_SETUP_RESET_SETTINGS:
      read_job_settings(nullptr, 0);
      settings_taken(units);
      show_text_box(JOB_SETUP_DID_IT, TEXTBOX_PRESS_A_KEY);
      break;
    case JOB_SETUP_IMPORT_LAYERS: import_settings(JOB_SETTINGS_TAKE_LAYERS); break;
    case JOB_SETUP_RESET_LAYERS:
      reset_layers();
      mark_job_changed();
      show_text_box(JOB_SETUP_DID_IT, TEXTBOX_PRESS_A_KEY);
      break;
    case JOB_SETUP_MORE_SETTINGS:
      shade_screen();
      edit_job_options();
      g_form.redraw_level = 1;
      break;
    case JOB_SETUP_NAME: edit_name_entry(); break;
    case JOB_SETUP_FOLDER: edit_folder_entry(); break;
    case JOB_SETUP_BROWSE: {
      FileRecord* r = record();
      std::string folder;
      if (r != nullptr && browse_folder(&folder) == FOLDER_CHOSEN) {
        r->folder = folder;
        apply_job_folder();
      }
      g_form.redraw_level = 1;
      break;
    }
    case JOB_SETUP_FILE: {
      TextLine* menu = g_placeholder_page.file_menus[PAGE_JOB_SETUP];
      const int entry = menu != nullptr ? run_catalogue_menu(menu, -4, 2) : 0;
      if (entry > 0) job_setup_file_entry(entry);
      g_form.redraw_level = 1;
      break;
    }
    case JOB_SETUP_MENU: {
      TextLine* menu = g_placeholder_page.main_menus[PAGE_JOB_SETUP];
      const int option = menu != nullptr ? run_catalogue_menu(menu, 0, 0) : 0;
      if (option > 0) run_file_option(option);
      g_form.redraw_level = 1;
      break;
    }
    default: return 0;
  }
  return 0;
}

// The keys of the page that end a field's edit.
EventCode page_key(EventCode code) {
  switch (code) {
    case KEY_TAB: return KEY_DOWN;
    case KEY_SHIFT_TAB: return KEY_UP;
    case PAGE_TAB_EVENT: end_dialog(0); return KEY_ESC;
    case KEY_ALT_F: {
      TextLine* menu = g_placeholder_page.file_menus[PAGE_JOB_SETUP];
      const int entry = menu != nullptr ? run_catalogue_menu(menu, -6, 2) : 0;
      if (entry > 0) job_setup_file_entry(entry);
      g_form.redraw_level = 1;
      return 0;
    }
    case KEY_F4: run_file_option(FILE_OPTION_RECENT_JOBS); return 0;
    case KEY_CTRL_O: run_file_option(FILE_OPTION_OPEN_JOB); return 0;
    case KEY_CTRL_S: run_file_option(FILE_OPTION_SAVE); return 0;
    case KEY_CTRL_N:
    case KEY_CTRL_F4: run_file_option(FILE_OPTION_NEW_JOB); return 0;
    case KEY_F1: show_help_file(); return 0;
    case KEY_ESC: {
      TextLine* menu = g_placeholder_page.main_menus[PAGE_JOB_SETUP];
      const int option = menu != nullptr ? run_catalogue_menu(menu, 0, 0) : 0;
      if (option > 0) run_file_option(option);
      g_form.redraw_level = 1;
      return 0;
    }
    default: return code;
  }
}

void draw_page() {
  clear_hover();
  use_normal_font();
  clear_screen();
  g_tab_strip.active = PAGE_JOB_SETUP;
  draw_page_tabs(1);
  g_form.redraw_level = 0;
  show_saved_state();
  draw_controls(g_controls_table.data(), 0);
  FileRecord* r = record();
  show_job_file_field(r != nullptr ? r->name : "", JOB_SETUP_NAME);
  show_job_file_field(r != nullptr ? r->folder : "", JOB_SETUP_FOLDER);
}

}  // namespace

void set_surface_row_labels(int first_row) {
  const TextWindow* w = window_of(g_field.running_form);
  if (w == nullptr) return;
  TextLine* line = w->first_line;
  for (int row = 0; line != nullptr && row < first_row; ++row) line = line->next;
  const int message = surface_label_message(g_job_settings.surface_code);
  std::vector<std::string> labels, help;
  if (message != 0 && find_message(message) != 0) {
    for (int row = FIRST_SURFACE_ROW; row <= LAST_SURFACE_ROW; ++row) {
      clear_message_text();
      if (read_message_line(1) == 0) break;
      labels.push_back(message_text());
    }
  }
  if (message != 0 && find_message(message + 1) != 0) {
    for (int row = FIRST_SURFACE_ROW; row <= LAST_SURFACE_ROW; ++row) {
      clear_message_text();
      if (read_message_line(1) == 0) break;
      read_message_line(1);
      std::string text = message_text();
      if (!text.empty() && text.back() == '\n') text.pop_back();
      help.push_back(text);
    }
  }
  for (size_t k = 0; line != nullptr && k <= LAST_SURFACE_ROW - FIRST_SURFACE_ROW;
       line = line->next, ++k) {
    line->text = k < labels.size() ? labels[k] : "\n";
    line->extra.clear();
    if (k < help.size()) {
      line->extra.assign(help[k].begin(), help[k].end());
      line->extra.push_back(0);
    }
  }
  if (g_windows.active != w) return;
  // The form's rows are drawn once when it opens: the new labels are drawn in place.
  const int width = std::max(g_field.value_column - w->left_column, 0);
  for (int row = FIRST_SURFACE_ROW; row <= LAST_SURFACE_ROW; ++row) {
    const size_t k = static_cast<size_t>(row - FIRST_SURFACE_ROW);
    std::string text = k < labels.size() ? labels[k] : "";
    if (!text.empty() && text.back() == '\n') text.pop_back();
    text.resize(static_cast<size_t>(width), ' ');
    draw_text(w->top_row + row, w->left_column, text.c_str());
  }
}

EventCode job_setup_field() {
  g_job_settings.surface_flag &= ~0x40000;
  const EventCode first = begin_field_handler();
  if (first == FORM_FIRST_PASS) {
    // The form is built anew from the catalogue on each pass of the page: its surface rows
    // take the job's surface.
    g_job_setup.laid_out = g_job_setup.entries;
    set_surface_row_labels(FIRST_SURFACE_ROW);
    show_every_field(show_rows);
    return end_field_handler(first);
  }
  const TextWindow* w = g_windows.active;
  const int row = w != nullptr ? w->cursor_row : 0;
  show_surface_picture(job_setup_row_picture(g_job_settings, row));
  const JobSettings before = g_job_settings;
  EventCode result = edit_row(row);
  if (result < 0 || std::memcmp(&before, &g_job_settings, sizeof before) != 0) {
    mark_job_changed();
    show_saved_state();
  }
  if (result > 0) {
    if (g_events.quit_requested) {
      g_events.quit_requested = false;
      if (g_page_entries.request_quit != nullptr && g_page_entries.request_quit() != 0) {
        end_dialog(0);
        return end_field_handler(KEY_ESC);
      }
      g_form.redraw_level = 1;
      result = 0;
    } else {
      result = page_key(result);
      if (result == KEY_ESC) return end_field_handler(KEY_ESC);
      const EventCode click = page_click(result);
      if (click == KEY_ESC) return end_field_handler(KEY_ESC);
      if (click != -1) result = click;
    }
  }
  if (g_form.redraw_level != 0 || g_form.resize_pending != RESIZE_NONE) {
    end_dialog(EVENT_REDRAW);
    return end_field_handler(KEY_ESC);
  }
  show_every_field(show_rows);
  return end_field_handler(result);
}

void apply_job_folder() {
  FileRecord* r = record();
  if (r == nullptr) return;
  if (r->folder.empty()) r->folder = program_folder();
  if (r->folder.back() != '/') r->folder += '/';
  show_job_file_field(r->folder, JOB_SETUP_FOLDER);
  if (r->name.empty()) return;
  r->full_path = r->folder + r->name;
  g_job_file.full_path = r->full_path;
  set_window_title();
  if (file_exists(r->full_path)) show_status_line(JOB_SETUP_NAME_EXISTS);
}

bool take_typed_job_name(const std::string& typed) {
  FileRecord* r = record();
  if (r == nullptr) return false;
  std::string folder, name;
  split_path(typed, &folder, &name);
  if (name.empty()) return true;
  if (!folder.empty()) {
    // A folder is kept with its '/' only as the root.
    std::string bare = folder;
    while (bare.size() > 1 && bare.back() == '/') bare.pop_back();
    if (!folder_exists(bare)) {
      show_text_box(JOB_SETUP_NO_SUCH_FOLDER, TEXTBOX_PRESS_A_KEY);
      return false;
    }
    r->folder = folder;
  }
  r->name = name;
  mark_job_changed();
  show_saved_state();
  draw_controls(g_controls_table.data(), 0);
  show_job_file_field(r->name, JOB_SETUP_NAME);
  apply_job_folder();
  return true;
}

void job_setup_file_entry(int entry) {
  const uint8_t units = g_job_settings.units;
  switch (entry) {
    case JOB_SETUP_FILE_IMPORT: import_settings(JOB_SETTINGS_TAKE_FILE); break;
    case JOB_SETUP_FILE_DEFAULTS:
      read_job_settings(nullptr, 0);
      settings_taken(units);
      break;
    case JOB_SETUP_FILE_MAKE_DEFAULTS: make_settings_the_defaults(); break;
    default: run_file_option(entry); break;
  }
}

void job_setup_page() {
  JobSetupState& s = g_job_setup;
  if (g_controls_table.empty()) g_controls_table = make_controls();
  ++s.entries;
  JobSettings& job = g_job_settings;
  if (job.surface_code == SURFACE_DIE_CUT_BLADES) {
    set_surface_code(&job, 1);
    job.surface_flag &= ~0x20000;
  }
  if (job.surface_flag == 0 || job.surface_code == 0) set_surface_code(&job, 1);
  s.row = 0;
  if (find_message(MSG_FORM_JOB_SETUP) == 0) {
    // Without its form the page still offers its tabs and menus.
    while ((g_preferences.current_page & ~PAGE_QUIT) == PAGE_JOB_SETUP &&
           (g_preferences.current_page & PAGE_QUIT) == 0)
      run_placeholder_page(PAGE_JOB_SETUP);
    return;
  }
  while ((g_preferences.current_page & ~PAGE_QUIT) == PAGE_JOB_SETUP &&
         (g_preferences.current_page & PAGE_QUIT) == 0) {
    if (g_form.resize_pending != RESIZE_NONE) {
      set_display_mode(g_interface.display_choice);
      g_form.resize_pending = RESIZE_NONE;
    }
    draw_page();
    const int screen_height = g_display.current.cell_height * (g_display.current.last_row + 1);
    int top = 9;
    if (screen_height > 1000) ++top;
    if (screen_height > 1100) top += 2;
    if (screen_height > 1300) top += 2;
    const int columns = g_display.presets[FACE_ROLE_NORMAL].last_column;
    g_field.next_top_row = top;
    g_field.next_left_column = std::max((columns - FORM_WIDTH) / 2, 1);
    g_field.initial_field = s.row;
    s.exit_event = 0;
    run_dialog(MSG_FORM_JOB_SETUP, job_setup_field);
    s.row = g_field.last_field_row;
    if (job.surface_code == SURFACE_DIE_CUT_BLADES)
      job.material_box[3] = static_cast<float>(2.0 * 3.14159265358979323846 * job.surface_radius);
    if (g_events.quit_requested) {
      g_events.quit_requested = false;
      if (g_page_entries.request_quit != nullptr) g_page_entries.request_quit();
      else g_preferences.current_page |= PAGE_QUIT;
    }
  }
}
