#include "import/import_drawing.h"

#include <cctype>
#include <cstring>

#include "cam/make_nc.h"
#include "cam/reorder_items.h"
#include "geometry/layers.h"
#include "geometry/polyline_join.h"
#include "import/dxf_layer_table.h"
#include "job/job_file.h"
#include "job/job_host.h"
#include "records/job_settings.h"
#include "platform/files.h"
#include "platform/process.h"

ImportState g_import;

namespace {

std::string upper_extension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext;
}

std::string folder_of(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string stem_of(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

std::string work_folder() {
  return g_import.work_folder.empty() ? program_folder() : g_import.work_folder;
}

std::string exploder_path() {
  const std::string folder =
      g_import.exploder_folder.empty() ? program_folder() : g_import.exploder_folder;
  return path_join(folder, DXF_EXPLODER_NAME);
}

// The DXF file to read: the exploder's output when it ran well, else the input.
std::string explode_dxf(ImportRun* run, const std::string& path, bool* exploded) {
  *exploded = false;
  const std::string exploder = exploder_path();
  if (!file_exists(exploder)) return path;
  const std::string output = path_join(work_folder(), EXPLODED_DXF_NAME);
  const ProcessResult ran = run_process(exploder, {path, output});
  if (ran.started && ran.exit_status == 0 && file_exists(output)) {
    *exploded = true;
    return output;
  }
  std::string why = ran.error_text;
  while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
  if (why.empty()) why = ran.started ? "it ended without saying why" : "it could not be run";
  job_show_message(("NOTE: The blocks of \v" + run->path + "\x13 were not expanded: " + why +
                    "\nThe file is read as it stands.").c_str());
  return path;
}

int read_drawing_file(ImportRun* run, const std::string& path, int type) {
  if ((type & IMPORT_NC) != 0) return read_nc_file(run, path);
  if ((type & IMPORT_DXF) != 0) {
    bool exploded = false;
    const std::string source = explode_dxf(run, path, &exploded);
    const int result = read_dxf_file(run, source);
    if (exploded) file_delete(source);
    return result;
  }
  return read_hpgl_file(run, path);
}

// Makes every item of the current list an imported item: its layer, boxes and a new ID.
void finish_imported_items(int mode, const ImportOptions& options) {
  if (mode == IMPORT_MODE_LAYER_TABLE) {
    apply_dxf_layer_table();
  } else if (options.fixed_layer != 0) {
    for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next)
      if (GeometryBlock* block = item_block(item)) block->layer = options.fixed_layer;
  }
  // The imported pieces of each layer are joined into chains (and loops where they close).
  if (options.join != 0) batch_join(JOIN_EITHER_END | JOIN_SAME_LAYER, 0, 255);
  for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next) {
    item_bounding_boxes(item);
    set_item_id(item, ++g_job_settings.item_id_counter);
  }
}

}  // namespace

void reset_import_state() {
  free_list(g_import.template_items.first);
  g_import = ImportState{};
}

std::string temp_item_file_path() { return path_join(work_folder(), TEMP_ITEM_FILE_NAME); }

int import_type_flags(const std::string& path, int flags) {
  if ((flags & (IMPORT_NC | IMPORT_PLOTTER | IMPORT_DXF)) != 0) return flags;
  const std::string ext = upper_extension(path);
  if (ext == "DC2") return flags | IMPORT_DC2 | IMPORT_PLOTTER;
  if (ext == "PLT") return flags | IMPORT_PLOTTER;
  if (ext == "TXT") return flags | IMPORT_NC | IMPORT_ABSOLUTE_CENTRES;
  return flags | IMPORT_DXF;
}

int form_type_flags(int file_type) {
  switch (file_type) {
    case IMPORT_TYPE_NC_ABSOLUTE_CENTRES: return IMPORT_NC | IMPORT_ABSOLUTE_CENTRES;
    case IMPORT_TYPE_NC: return IMPORT_NC;
    case IMPORT_TYPE_PLOTTER: return IMPORT_PLOTTER;
    default: return 0;
  }
}

int reject_import_file(const ImportRun* run, const std::string& path, const char* where,
                       const std::string& why) {
  (void)run;
  std::string text = "\v" + path + "\x13 was not imported";
  if (where != nullptr) text += std::string(" (") + where + ")";
  text += ": " + why + ".";
  job_show_message(text.c_str());
  return 1;
}

const char* write_failure_reason(const ImportRun* run) {
  return run->writer.too_many ? "the drawing holds more than 30000 items or 9,000,000 links"
                              : "the temporary item file cannot be written";
}

void show_skipped_note(const ImportRun* run) {
  if (run->skipped.empty()) return;
  std::string text = "NOTE: Left out of \v" + run->path + "\x13:";
  const char* separator = " ";
  for (const auto& [kind, count] : run->skipped) {
    text += separator + std::to_string(count) + " " + kind;
    separator = ", ";
  }
  text += ".";
  job_show_message(text.c_str());
}

int import_geometry(const std::string& path, int flags) {
  ImportRun run;
  run.flags = import_type_flags(path, flags);
  run.path = path;
  run.plotter_unit = g_job_settings.units == JOB_UNITS_MILLIMETRE ? PLOTTER_UNIT_MM : PLOTTER_UNIT_INCH;
  run.tolerance = g_job_settings.tolerance > 0 ? g_job_settings.tolerance : 0.002;
  const std::string temp_path = temp_item_file_path();
  if (!open_temp_item_writer(&run.writer, temp_path)) {
    job_show_message(("The temporary item file \v" + temp_path +
                      "\x13 cannot be created; nothing was imported.").c_str());
    return IMPORT_NO_TEMP_FILE;
  }
  int result = read_drawing_file(&run, path, run.flags);
  if (!close_temp_item_writer(&run.writer) && result == 0)
    result = reject_import_file(&run, path, nullptr, write_failure_reason(&run));
  if (result != 0) {
    file_delete(temp_path);
    return IMPORT_FAILED;
  }
  for (const auto& [layer, name] : run.new_layer_names) set_line_text(name.c_str(), layer_line(layer));
  if (!run.new_layer_names.empty()) ++g_layers.change_counter;
  show_skipped_note(&run);
  return IMPORT_OK;
}

int import_drawing(int mode, ImportOptions* options, const std::string& path) {
  if (options->dxf_folder.empty()) options->dxf_folder = program_folder();
  if (options->plotter_folder.empty()) options->plotter_folder = program_folder();
  if (!file_exists(exploder_path())) job_show_message(MISSING_EXPLODER_NOTE);
  if (mode == IMPORT_MODE_TEMPLATE) {
    const std::string chosen = job_choose_file(options->dxf_folder, TEMPLATE_FILTER);
    if (chosen.empty()) return 0;
    if (chosen.size() >= JOB_TEMPLATE_PATH_SIZE) {
      job_show_message(("The path of \v" + chosen + "\x13 is too long for a template.").c_str());
      return 0;
    }
    options->dxf_folder = folder_of(chosen);
    std::memset(g_job_settings.template_path, 0, JOB_TEMPLATE_PATH_SIZE);
    std::memcpy(g_job_settings.template_path, chosen.data(), chosen.size());
    g_job_settings.template_offset[0] = g_job_settings.template_offset[1] = 0;
    g_job_settings.text_items_ready = 0;
    g_job_settings.view_fitted = 0;
    return 1;
  }
  if (path.empty()) {
    job_show_message("You must specify a file!");
    return 0;
  }
  int flags = IMPORT_DXF | IMPORT_MATCH_LAYER_NAMES;
  if (mode == IMPORT_MODE_FORM) {
    flags = form_type_flags(options->file_type);
    if (options->layer_names_off != 0) flags |= IMPORT_LAYER_NAMES_OFF;
    else if (options->fixed_layer == 0) flags |= IMPORT_MATCH_LAYER_NAMES;
  }
  const int imported = import_geometry(path, flags);
  if (imported == IMPORT_NO_TEMP_FILE) return 0;
  const std::string temp_path = temp_item_file_path();
  if (imported != IMPORT_OK) return 0;
  if (g_job_file.full_path.empty()) g_job_file.full_path = path_join(folder_of(path), stem_of(path) + ".job");
  push_list();
  g_lists.current = LineList{};
  const int read = read_temp_item_file(temp_path, options->cut_type);
  file_delete(temp_path);
  const bool any = read == TEMP_READ_OK && g_lists.current.first != nullptr;
  if (any) finish_imported_items(mode, *options);
  const LineList imported_items = g_lists.current;
  pop_list();
  if (!any) {
    if (read == TEMP_READ_OK) job_show_message(("\v" + path + "\x13 holds nothing to import.").c_str());
    return 0;
  }
  append_chain(imported_items.first, imported_items.last);
  g_job_settings.view_fitted = 0;
  mark_job_changed();
  clear_tool_path();
  if (options->optimise != 0 && options->cut_type >= 1 && options->cut_type <= 5) reorder_items(0, 1);
  return 1;
}

int load_template_file(const std::string& given_path) {
  const std::string path = given_path.substr(0, given_path.find('\n'));
  if (path == g_import.template_path && g_import.template_items.first != nullptr) return 0;
  free_list(g_import.template_items.first);
  g_import.template_items = LineList{};
  g_import.template_path.clear();
  if (import_geometry(path, 0) != IMPORT_OK) return -2;
  g_import.template_path = path;
  push_list();
  g_lists.current = LineList{};
  const std::string temp_path = temp_item_file_path();
  const int read = read_temp_item_file(temp_path, 0);
  file_delete(temp_path);
  int result = -1;
  if (read == TEMP_READ_OK && g_lists.current.first != nullptr) {
    for (TextLine* item = g_lists.current.first; item != nullptr; item = item->next)
      item_bounding_boxes(item);
    g_import.template_items = g_lists.current;
    result = 1;
  }
  pop_list();
  return result;
}
