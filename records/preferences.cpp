#include "records/preferences.h"

#include <cstring>

#include "store/record_bytes.h"

namespace {

constexpr size_t OPTION_BYTES = 0;
constexpr size_t POLYGON_SIDES = 12;
constexpr size_t SURFACE_CLEARANCE = 16;
constexpr size_t NEW_ITEM_TEXT = 20;
constexpr size_t NEW_ITEM_TEXT_SIZE = 8;
constexpr size_t NUDGE = 32;
constexpr size_t START_PAGE_CHOICE = 53;
constexpr size_t CURRENT_PAGE = 54;
constexpr size_t GAP_TOLERANCE = 56;  // also the drawing import's join tolerance
// The drawing import's options around the gap tolerance (55-72, zero in the factory block).
constexpr size_t IMPORT_FILE_TYPE = 55;
constexpr size_t IMPORT_CUT_TYPE = 60;
constexpr size_t IMPORT_LAYER_NAMES_OFF = 61;
constexpr size_t IMPORT_FIXED_LAYER = 62;
constexpr size_t IMPORT_JOIN = 63;
constexpr size_t IMPORT_OPTIMISE = 64;
constexpr size_t JOB_DIALOG_FOLDER = 526;
constexpr size_t JOB_FOLDER = 786;
constexpr size_t DRAWING_FOLDER = 1046;
constexpr size_t DEFAULT_JOB = 1568;
constexpr size_t DEFAULT_FOLDERS = 4426;
constexpr size_t PLOTTER_EXTENSION = 5206;
constexpr size_t PLOTTER_EXTENSION_SIZE = 6;
constexpr size_t FACTOR = 5212;
constexpr size_t PANEL_OPTION = 5222;
constexpr size_t GRID_DISPLAY = 5223;
constexpr size_t POINTER_CROSSHAIR = 5224;
constexpr size_t TEXT_FONT_KIND = 5225;
constexpr uint8_t LAST_TEXT_FONT_KIND = 2;
constexpr size_t RAPID_SETTINGS = 5228;  // six f32

void put_text(uint8_t* out, const std::string& text, size_t size) {
  std::memset(out, 0, size);
  std::memcpy(out, text.data(), text.size() < size ? text.size() : size - 1);
}

std::string get_text(const uint8_t* in, size_t size) {
  size_t length = 0;
  while (length < size && in[length] != 0) ++length;
  return std::string(reinterpret_cast<const char*>(in), length);
}

}  // namespace

void write_preferences_bytes(const Preferences& p, uint8_t out[PREFERENCES_SIZE]) {
  std::memcpy(out, p.stored, PREFERENCES_SIZE);
  std::memcpy(out + OPTION_BYTES, p.option_bytes, sizeof p.option_bytes);
  put_i16_le(out + POLYGON_SIDES, p.polygon_sides);
  put_f32_le(out + SURFACE_CLEARANCE, p.surface_clearance);
  put_text(out + NEW_ITEM_TEXT, p.new_item_text, NEW_ITEM_TEXT_SIZE);
  put_f32_le(out + NUDGE, p.nudge);
  out[START_PAGE_CHOICE] = p.start_page_choice;
  out[CURRENT_PAGE] = p.current_page;
  put_f32_le(out + GAP_TOLERANCE, p.gap_tolerance);
  out[IMPORT_FILE_TYPE] = p.import_options.file_type;
  out[IMPORT_CUT_TYPE] = p.import_options.cut_type;
  out[IMPORT_LAYER_NAMES_OFF] = p.import_options.layer_names_off;
  out[IMPORT_FIXED_LAYER] = p.import_options.fixed_layer;
  out[IMPORT_JOIN] = p.import_options.join;
  out[IMPORT_OPTIMISE] = p.import_options.optimise;
  put_text(out + JOB_DIALOG_FOLDER, p.job_dialog_folder, PREFERENCES_FOLDER_SIZE);
  put_text(out + JOB_FOLDER, p.job_folder, PREFERENCES_FOLDER_SIZE);
  put_text(out + DRAWING_FOLDER, p.drawing_folder, PREFERENCES_FOLDER_SIZE);
  write_job_settings_bytes(p.default_job, out + DEFAULT_JOB);
  for (int i = 0; i < PREFERENCES_DEFAULT_FOLDERS; ++i) {
    put_text(out + DEFAULT_FOLDERS + static_cast<size_t>(i) * PREFERENCES_FOLDER_SIZE,
             p.default_folders[i], PREFERENCES_FOLDER_SIZE);
  }
  put_text(out + PLOTTER_EXTENSION, p.plotter_extension, PLOTTER_EXTENSION_SIZE);
  put_f32_le(out + FACTOR, p.factor);
  out[PANEL_OPTION] = p.panel_option;
  out[GRID_DISPLAY] = p.grid_display;
  out[POINTER_CROSSHAIR] = p.pointer_crosshair;
  out[TEXT_FONT_KIND] = p.text_font_kind;
  const RapidSettings& r = p.rapid_settings;
  const float rapid[6] = {r.short_distance, r.medium_distance, r.slow_speed,
                          r.medium_speed, r.full_speed, r.tool_change_minutes};
  for (size_t i = 0; i < 6; ++i) put_f32_le(out + RAPID_SETTINGS + 4 * i, rapid[i]);
}

void read_preferences_bytes(const uint8_t in[PREFERENCES_SIZE], Preferences* p) {
  std::memcpy(p->stored, in, PREFERENCES_SIZE);
  std::memcpy(p->option_bytes, in + OPTION_BYTES, sizeof p->option_bytes);
  p->polygon_sides = get_i16_le(in + POLYGON_SIDES);
  p->surface_clearance = get_f32_le(in + SURFACE_CLEARANCE);
  p->new_item_text = get_text(in + NEW_ITEM_TEXT, NEW_ITEM_TEXT_SIZE - 1);
  p->nudge = get_f32_le(in + NUDGE);
  p->start_page_choice = in[START_PAGE_CHOICE];
  p->current_page = in[CURRENT_PAGE];
  p->gap_tolerance = get_f32_le(in + GAP_TOLERANCE);
  // A file type the import form does not offer reads as DXF.
  p->import_options.file_type =
      in[IMPORT_FILE_TYPE] <= IMPORT_TYPE_NC_ABSOLUTE_CENTRES ? in[IMPORT_FILE_TYPE] : IMPORT_TYPE_DXF;
  p->import_options.cut_type = in[IMPORT_CUT_TYPE];
  p->import_options.layer_names_off = in[IMPORT_LAYER_NAMES_OFF] != 0 ? 1 : 0;
  p->import_options.fixed_layer = in[IMPORT_FIXED_LAYER];
  p->import_options.join = in[IMPORT_JOIN] != 0 ? 1 : 0;
  p->import_options.join_tolerance = p->gap_tolerance;
  p->import_options.optimise = in[IMPORT_OPTIMISE] != 0 ? 1 : 0;
  p->job_dialog_folder = get_text(in + JOB_DIALOG_FOLDER, PREFERENCES_FOLDER_SIZE - 1);
  p->job_folder = get_text(in + JOB_FOLDER, PREFERENCES_FOLDER_SIZE - 1);
  p->drawing_folder = get_text(in + DRAWING_FOLDER, PREFERENCES_FOLDER_SIZE - 1);
  read_job_settings_bytes(in + DEFAULT_JOB, &p->default_job);
  for (int i = 0; i < PREFERENCES_DEFAULT_FOLDERS; ++i) {
    p->default_folders[i] =
        get_text(in + DEFAULT_FOLDERS + static_cast<size_t>(i) * PREFERENCES_FOLDER_SIZE,
                 PREFERENCES_FOLDER_SIZE - 1);
  }
  p->plotter_extension = get_text(in + PLOTTER_EXTENSION, PLOTTER_EXTENSION_SIZE - 1);
  p->factor = get_f32_le(in + FACTOR);
  p->panel_option = in[PANEL_OPTION];
  p->grid_display = in[GRID_DISPLAY];
  p->pointer_crosshair = in[POINTER_CROSSHAIR];
  // A kind the font field does not know asks, as a new program does.
  p->text_font_kind = in[TEXT_FONT_KIND] <= LAST_TEXT_FONT_KIND ? in[TEXT_FONT_KIND] : 0;
  RapidSettings& r = p->rapid_settings;
  float* rapid[6] = {&r.short_distance, &r.medium_distance, &r.slow_speed,
                     &r.medium_speed, &r.full_speed, &r.tool_change_minutes};
  for (size_t i = 0; i < 6; ++i) *rapid[i] = get_f32_le(in + RAPID_SETTINGS + 4 * i);
}
