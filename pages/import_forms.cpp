#include "pages/import_forms.h"

#include <iterator>

#include "import/dxf_layer_table.h"
#include "import/import_drawing.h"
#include "pages/dxf_layer_editor.h"
#include "pages/settings_dialogs.h"
#include "records/preferences.h"
#include "store/message_ids.h"
#include "ui/run_window.h"
#include "ui/page_entries.h"
#include "screen/main_form.h"
#include "store/text_helpers.h"
#include "ui/dialog_form.h"
#include "ui/layer_list.h"
#include "ui/message_box.h"
#include "ui/settings_fields.h"
#include "ui/text_window.h"

namespace {

const char* const FILE_TYPES[] = {"Autocad \vD\023XF", "HP \vP\023lotter", "\vF\023anuc NC",
                                  "\vB\023ridgeport NC", nullptr};
constexpr uint8_t FILE_TYPE_COUNT = 4;
const char* const TYPE_FILTERS[] = {
    "Autocad DXF files (*.dxf)|*.dxf",
    "HP Plotter files (plt, prn)|*.plt;*.prn",
    "NC files|*.cnc;*.nc*;*.cam;*.eia;*.tap;*.ncc;*.dnc;",
    "NC files|*.cnc;*.nc*;*.cam;*.eia;*.tap;*.ncc;*.dnc;",
};
const char* const NO_YES[] = {"No", "Yes", nullptr};
constexpr char YES_NO_LETTERS[] = "NY";
constexpr int TYPE_WIDTH = 14;
constexpr int FILE_WIDTH = 40;
constexpr int CUT_WIDTH = 16;
constexpr int YES_NO_WIDTH = 3;
constexpr int TOLERANCE_WIDTH = 10;
constexpr int LAYER_WIDTH = 20;
constexpr uint8_t CUT_TYPE_ISLAND = 6;
constexpr uint8_t CUT_TYPE_COUNT = 7;

enum Form266Row { F6_BAR, F6_TYPE, F6_FILE, F6_CUT, F6_NAMES_OFF, F6_LAYER, F6_JOIN, F6_TOLERANCE,
                  F6_OPTIMISE };
static_assert(FORM_IMPORT_OPTIONS_FIELDS == F6_OPTIMISE + 1);
enum Form270Row { F7_BAR, F7_FILE, F7_JOIN, F7_TOLERANCE, F7_OPTIMISE, F7_LAYER_NAMES };
static_assert(FORM_IMPORT_DXF_FIELDS == F7_LAYER_NAMES + 1);

std::string g_path;

ImportOptions& options() { return g_preferences.import_options; }

void flag_row(int row) {
  if (row >= 0 && static_cast<size_t>(row) < g_field.redraw.size()) g_field.redraw[row] = 1;
}

// A row the form's state locks: the cursor steps over it the way it was going.
EventCode locked_row() { return g_field.step_direction; }

// OK needs a file: without one the user is told and the next row becomes current.
EventCode bar_row() {
  const EventCode result = ok_cancel_field();
  if (result == WINDOW_ACCEPT && g_path.empty()) {
    show_text_box(IMPORT_NO_FILE_MESSAGE, TEXTBOX_PRESS_A_KEY);
    return KEY_DOWN;
  }
  return result;
}

EventCode file_row(const char* filter, bool dxf_folder) {
  std::string chosen = g_path;
  const EventCode result = file_name_field(FILE_WIDTH, filter, &chosen);
  if (result < 0 && result != FIELD_CANCELLED) {
    g_path = chosen;
    std::string folder, name;
    split_path(chosen, &folder, &name);
    if (!folder.empty()) (dxf_folder ? options().dxf_folder : options().plotter_folder) = folder;
  }
  return result;
}

EventCode yes_no_row(uint8_t* value, int redraw) {
  const EventCode result = cycle_list_field(YES_NO_LETTERS, value, 0, YES_NO_WIDTH);
  if (result < 0) flag_row(redraw);
  return result;
}

EventCode tolerance_row() {
  if (options().join == 0) return locked_row();
  return edit_value_field({&options().join_tolerance, 0}, FIELD_FLOAT, FIELD_OPTIONS_USUAL,
                          TOLERANCE_WIDTH);
}

EventCode options_row(int row) {
  ImportOptions& o = options();
  switch (row) {
    case F6_BAR: return bar_row();
    case F6_TYPE: {
      uint8_t index = o.file_type;
      const EventCode result = pick_string_field(FILE_TYPES, "File type", g_field.display_row,
                                                 g_field.value_column, &index, TYPE_WIDTH, nullptr);
      if (result < 0 && index < FILE_TYPE_COUNT) o.file_type = index;
      return result;
    }
    case F6_FILE:
      return file_row(TYPE_FILTERS[o.file_type < FILE_TYPE_COUNT ? o.file_type : 0],
                      o.file_type == IMPORT_TYPE_DXF);
    case F6_CUT: {
      uint8_t index = o.cut_type;
      const EventCode result = pick_string_field(cut_type_names(), "Select", g_field.display_row,
                                                 g_field.value_column, &index, CUT_WIDTH, nullptr);
      if (result < 0 && index < CUT_TYPE_COUNT) o.cut_type = index;
      flag_row(F6_OPTIMISE);
      return result;
    }
    case F6_NAMES_OFF: return yes_no_row(&o.layer_names_off, F6_LAYER);
    case F6_LAYER: {
      if (o.layer_names_off != 0) return locked_row();
      uint8_t record[LAYER_FIELD_OFFSET + 1] = {};
      record[LAYER_FIELD_OFFSET] = o.fixed_layer;
      const EventCode result = edit_layer_field(record);
      o.fixed_layer = record[LAYER_FIELD_OFFSET];
      return result;
    }
    case F6_JOIN: return yes_no_row(&o.join, F6_TOLERANCE);
    case F6_TOLERANCE: return tolerance_row();
    case F6_OPTIMISE:
      if (o.cut_type == 0 || o.cut_type == CUT_TYPE_ISLAND) return locked_row();
      return cycle_list_field(YES_NO_LETTERS, &o.optimise, 0, YES_NO_WIDTH);
    default: return 0;
  }
}

EventCode dxf_row(int row) {
  ImportOptions& o = options();
  switch (row) {
    case F7_BAR: return bar_row();
    case F7_FILE: return file_row(TYPE_FILTERS[0], true);
    case F7_JOIN: return yes_no_row(&o.join, F7_TOLERANCE);
    case F7_TOLERANCE: return tolerance_row();
    case F7_OPTIMISE: return cycle_list_field(YES_NO_LETTERS, &o.optimise, 0, YES_NO_WIDTH);
    case F7_LAYER_NAMES: {
      const EventCode key = read_field_event(LAYER_WIDTH);
      if (key != KEY_ENTER && key != FIELD_CLICK) return key;
      edit_dxf_layer_names();
      std::fill(g_field.redraw.begin(), g_field.redraw.end(), 1);
      return 0;
    }
    default: return 0;
  }
}

const char* listed(const char* const* names, uint8_t count, uint8_t index) {
  return index < count ? names[index] : "";
}

}  // namespace

const std::string& import_form_path() { return g_path; }

EventCode import_options_field() {
  const EventCode result = edit_current_field(options_row);
  const ImportOptions& o = options();
  begin_display_pass();
  skip_field_display();
  show_text_value(listed(FILE_TYPES, FILE_TYPE_COUNT, o.file_type), TYPE_WIDTH);
  show_text_value(g_path.c_str(), FILE_WIDTH);
  show_text_value(listed(cut_type_names(), CUT_TYPE_COUNT, o.cut_type), CUT_WIDTH);
  show_choice_value(NO_YES, o.layer_names_off != 0 ? 1 : 0, YES_NO_WIDTH);
  show_layer_name_field(o.fixed_layer);
  show_choice_value(NO_YES, o.join != 0 ? 1 : 0, YES_NO_WIDTH);
  show_float_value(o.join_tolerance, TOLERANCE_WIDTH, 0);
  show_choice_value(NO_YES, o.optimise != 0 ? 1 : 0, YES_NO_WIDTH);
  draw_ok_cancel();
  return end_field_handler(result);
}

EventCode import_drawing_field() {
  const EventCode result = edit_current_field(dxf_row);
  const ImportOptions& o = options();
  begin_display_pass();
  skip_field_display();
  show_text_value(g_path.c_str(), FILE_WIDTH);
  show_choice_value(NO_YES, o.join != 0 ? 1 : 0, YES_NO_WIDTH);
  show_float_value(o.join_tolerance, TOLERANCE_WIDTH, 0);
  show_choice_value(NO_YES, o.optimise != 0 ? 1 : 0, YES_NO_WIDTH);
  show_text_value("\vEnter\023: layer names", LAYER_WIDTH);
  draw_ok_cancel();
  return end_field_handler(result);
}

int run_import_form(int mode) {
  ImportOptions& o = options();
  if (mode == IMPORT_MODE_FORM) {
    if (run_dialog(MSG_FORM_IMPORT_OPTIONS, import_options_field) != 1) return 0;
  } else if (mode == IMPORT_MODE_LAYER_TABLE) {
    if (run_dialog(MSG_FORM_IMPORT_DXF, import_drawing_field) != 1) return 0;
  }
  TextLine* drawing = g_shared_windows.drawing;
  if (window_of(drawing) == nullptr) return import_drawing(mode, &o, g_path);
  push_active_window();
  activate_window(drawing);
  const int result = import_drawing(mode, &o, g_path);
  store_window_state();
  pop_active_window();
  g_form.redraw_level = 1;
  return result;
}
