#include "pages/dxf_export_form.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "cam/dxf_export.h"
#include "editor/template_items.h"
#include "geometry/drawing_item.h"
#include "import/import_drawing.h"
#include "job/job_file.h"
#include "platform/files.h"
#include "records/job_settings.h"
#include "store/message_ids.h"
#include "store/text_helpers.h"
#include "ui/dialog_form.h"
#include "ui/layer_list.h"
#include "ui/message_box.h"
#include "ui/run_window.h"
#include "ui/settings_fields.h"
#include "ui/standard_dialogs.h"
#include "ui/text_window.h"

namespace {

constexpr int ROW_NAME = 1;
constexpr int ROW_FOLDER = 2;
constexpr int ROW_FIRST_OPTION = 3;
constexpr int ROW_TOLERANCE = 6;
static_assert(FORM_DXF_EXPORT_FIELDS == ROW_TOLERANCE + 1);
static_assert(std::size(DXF_OPTION_BITS) == ROW_TOLERANCE - ROW_FIRST_OPTION);

constexpr int NAME_WIDTH = 30;
constexpr int FOLDER_WIDTH = 30;
constexpr int OPTION_WIDTH = 3;
constexpr int TOLERANCE_WIDTH = 8;
constexpr char YES_NO_LETTERS[] = "NY";
const char* const NO_YES[] = {"No", "Yes"};

uint8_t option_mask() {
  uint8_t mask = 0;
  for (uint8_t bit : DXF_OPTION_BITS) mask |= bit;
  return mask;
}

// A chosen file names the folder too: the name keeps its last element only.
void take_chosen_file(const std::string& chosen) {
  std::string folder, name;
  split_path(chosen, &folder, &name);
  if (!folder.empty()) g_dxf_form.folder = folder;
  g_dxf_form.name = name;
}

// OK: the file is the folder and the name, with the extension "dxf"; the options chosen become
// the job's. False (and the user told) when no file is named.
bool accept_form() {
  DxfExportForm& f = g_dxf_form;
  add_trailing_backslash(&f.folder);
  const std::string path = f.folder + f.name;
  if (f.name.empty() || path.empty()) {
    show_text_box(DXF_NO_FILE_MESSAGE, TEXTBOX_PRESS_A_KEY);
    return false;
  }
  f.path = path;
  change_extension(&f.path, "dxf");
  // Only the form's own bits change: the others are kept as the job had them.
  uint8_t options = g_job_settings.output_options & static_cast<uint8_t>(~option_mask());
  for (size_t k = 0; k < std::size(DXF_OPTION_BITS); ++k)
    if (f.options[k] != 0) options |= DXF_OPTION_BITS[k];
  g_job_settings.output_options = options;
  return true;
}

EventCode edit_row(int row) {
  DxfExportForm& f = g_dxf_form;
  switch (row) {
    case 0: {
      const EventCode result = ok_cancel_field();
      if (result == WINDOW_ACCEPT && !accept_form()) return 0;
      return result;
    }
    case ROW_NAME: {
      std::string chosen = f.name;
      const bool allowed = g_file_dialogs.allow_new_names;
      g_file_dialogs.allow_new_names = true;  // the export makes the file
      const EventCode result = file_name_field(NAME_WIDTH, DXF_FILE_FILTER, &chosen);
      g_file_dialogs.allow_new_names = allowed;
      if (result < 0 && result != FIELD_CANCELLED) {
        take_chosen_file(chosen);
        if (ROW_FOLDER < static_cast<int>(g_field.redraw.size())) g_field.redraw[ROW_FOLDER] = 1;
      }
      return result;
    }
    case ROW_FOLDER: return directory_field(&f.folder, FOLDER_WIDTH);
    case ROW_TOLERANCE:
      return edit_value_field({&g_job_settings.tolerance, 0}, FIELD_FLOAT, FIELD_OPTIONS_USUAL,
                              TOLERANCE_WIDTH);
    default: break;
  }
  if (row >= ROW_FIRST_OPTION && row < ROW_TOLERANCE)
    return cycle_list_field(YES_NO_LETTERS, &f.options[row - ROW_FIRST_OPTION], 0, OPTION_WIDTH);
  return 0;
}

}  // namespace

EventCode dxf_export_field() {
  const EventCode result = edit_current_field(edit_row);
  const DxfExportForm& f = g_dxf_form;
  begin_display_pass();
  skip_field_display();
  show_text_value(f.name.c_str(), NAME_WIDTH);
  show_text_value(f.folder.c_str(), FOLDER_WIDTH);
  for (uint8_t option : f.options) show_choice_value(NO_YES, option != 0 ? 1 : 0, OPTION_WIDTH);
  show_float_value(g_job_settings.tolerance, TOLERANCE_WIDTH, 0);
  draw_ok_cancel();
  return end_field_handler(result);
}

int dxf_export() {
  DxfExportForm& f = g_dxf_form;
  const float tolerance = g_job_settings.tolerance;
  // The file is named after the job, in the folder used last (the data folder at first).
  std::string folder, name;
  split_path(g_job_file.full_path, &folder, &name);
  if (!name.empty()) change_extension(&name, "dxf");
  f.name = name;
  if (f.folder.empty()) {
    f.folder = program_folder();
    add_trailing_backslash(&f.folder);
  }
  for (size_t k = 0; k < std::size(DXF_OPTION_BITS); ++k)
    f.options[k] = (g_job_settings.output_options & DXF_OPTION_BITS[k]) != 0 ? 1 : 0;
  g_job_settings.tolerance = std::max(g_job_settings.tolerance, DXF_LEAST_TOLERANCE);
  int written = 0;
  if (run_dialog(MSG_FORM_DXF_EXPORT, dxf_export_field) == 1)
    written = run_dxf_export(f.path) ? 1 : 0;
  g_job_settings.tolerance = tolerance;
  g_job_settings.job_changed |= JOB_CHANGED;
  return written;
}

int template_set_layer() {
  if (static_cast<unsigned char>(g_job_settings.template_path[0]) <= ' ') {
    show_text_box(NO_TEMPLATE_MESSAGE, TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  load_template_items();
  if (g_import.template_items.first == nullptr) {
    show_text_box(TEMPLATE_UNREAD_MESSAGE, TEXTBOX_PRESS_A_KEY);
    return 0;
  }
  const TextLine* layer = pick_layer();
  if (layer == nullptr) return 1;
  for (TextLine* item = g_import.template_items.first; item != nullptr; item = item->next) {
    GeometryBlock* block = item_block(item);
    if (block != nullptr) block->layer = static_cast<uint8_t>(layer->id);
  }
  return 1;
}
