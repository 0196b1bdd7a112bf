#include "shell/preferences_file.h"

#include "ui/dir_tree.h"
#include "ui/file_list.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cam/cam_defaults.h"
#include "editor/button_bindings.h"
#include "editor/page_furniture.h"
#include "platform/cp1252.h"
#include "platform/files.h"
#include "platform/window.h"
#include "records/job_settings.h"
#include "records/preferences.h"
#include "screen/boxes.h"
#include "screen/interface_settings.h"
#include "screen/palette.h"
#include "ui/dir_tree.h"
#include "ui/file_list.h"
#include "shell/startup.h"
#include "store/record_bytes.h"
#include "store/text_helpers.h"
#include "store/text_wrap.h"
#include "ui/edit_buffers.h"
#include "ui/find_dialog.h"
#include "ui/load_lists.h"
#include "ui/text_moves.h"

namespace {

constexpr char TAG[10] = {'S', 'I', '0', '1', '2', '6', '9', '9', '\r', '\0'};
constexpr uint8_t VERSION = 4;
constexpr size_t EXTENSION_SIZE = 5;
constexpr size_t FILTER_SIZE = 134;
constexpr size_t RESERVED_SIZE = 6;
constexpr size_t DELIMITER_LABEL_SIZE = 21;
constexpr size_t DELIMITER_CHARACTERS_SIZE = 41;
constexpr size_t FILE_FILTER_SIZE = 133;
constexpr size_t LOAD_LIST_SIZE = 260;
constexpr size_t FIND_TEXT_SIZE = 61;
constexpr size_t DRIVE_FOLDER_MAX = 259;
constexpr size_t BINDINGS_SIZE = 2 * BUTTON_BINDING_COUNT;
// The longest file: every block and 26 drive entries of their longest.
constexpr size_t LONGEST_FILE = PREFERENCES_FILE_DRIVES_OFFSET +
                                DRIVE_FOLDER_ENTRIES * (2 + DRIVE_FOLDER_MAX);

const char* const DELIMITER_LABELS[DELIMITER_SETS] = {
    "F7 & F8; text file",  "CTRL right & left",  "word searching",
    "F7 & F8; non text",   "CTRL L/R; non text", "word counting"};
const char* const DELIMITER_TEXT = FACTORY_SELECTION_DELIMITERS;
const char* const DELIMITER_WORD_KEYS = FACTORY_WORD_KEY_DELIMITERS;
const char* const DELIMITER_SEARCH = "\n\t\\\" !@#$%^&~()|=,/;[]{}:<>?*-.+\x7f\x60\x93\x94";
const char* const FACTORY_FILE_FILTERS[] = {"*.Job", "*.CNC *.NC *.NCC *.CAM", "*.TXT",
                                            "*.DXF", "*.BAT", "*.PLT"};

// ---- writing: the file as a list of blocks, each written with one call ----

using Block = std::vector<uint8_t>;

Block text_block(const std::string& text, size_t size) {
  Block block(size, 0);
  std::memcpy(block.data(), text.data(), std::min(text.size(), size - 1));
  return block;
}

void append(Block& to, const Block& more) { to.insert(to.end(), more.begin(), more.end()); }

// A load-list record: the name and its NUL, then spaces; an empty record is a NUL and spaces.
Block load_list_block(const std::vector<std::string>& names) {
  Block block;
  for (int i = 0; i < LOAD_LIST_LINES; ++i) {
    Block record(LOAD_LIST_SIZE, ' ');
    const std::string name = i < static_cast<int>(names.size()) ? names[static_cast<size_t>(i)]
                                                                : std::string();
    const size_t length = std::min(name.size(), LOAD_LIST_SIZE - 1);
    std::memcpy(record.data(), name.data(), length);
    record[length] = 0;
    append(block, record);
  }
  return block;
}

Block text_records(const std::vector<std::string>& texts, int count, size_t size) {
  Block block;
  for (int i = 0; i < count; ++i) {
    append(block, text_block(i < static_cast<int>(texts.size()) ? texts[static_cast<size_t>(i)]
                                                                 : std::string(),
                             size));
  }
  return block;
}

Block bindings_block(const int16_t* table) {
  Block block(BINDINGS_SIZE);
  for (int i = 0; i < BUTTON_BINDING_COUNT; ++i) put_i16_le(block.data() + 2 * i, table[i]);
  return block;
}

Block drive_folders_block(const PreferencesFile& file) {
  Block block;
  for (const std::string& folder : file.drive_folders) {
    const size_t length = folder.empty() ? 0 : std::min(folder.size(), DRIVE_FOLDER_MAX - 1) + 1;
    Block entry(2 + length, 0);
    put_i16_le(entry.data(), static_cast<int16_t>(length));
    if (length > 0) std::memcpy(entry.data() + 2, folder.data(), length - 1);
    append(block, entry);
  }
  return block;
}

std::vector<Block> file_blocks() {
  const PreferencesFile& file = g_preferences_file;
  std::vector<Block> blocks;
  Block header(TAG, TAG + sizeof TAG);
  header.push_back(VERSION);
  blocks.push_back(header);
  Block interface(INTERFACE_SETTINGS_SIZE);
  write_interface_settings_bytes(g_interface, interface.data());
  blocks.push_back(interface);
  Block folders = text_block(file.nc_folder, PREFERENCES_FILE_FOLDER_SIZE);
  append(folders, text_block(file.nc_extension, EXTENSION_SIZE));
  append(folders, text_block(file.dialog_folder, PREFERENCES_FILE_FOLDER_SIZE));
  append(folders, text_block(file.nc_filter, FILTER_SIZE));
  append(folders, text_block(file.general_filter, FILTER_SIZE));
  append(folders, Block(RESERVED_SIZE, 0));
  blocks.push_back(folders);
  Block delimiters;
  for (const DelimiterSet& set : file.delimiters) {
    append(delimiters, text_block(set.label, DELIMITER_LABEL_SIZE));
    append(delimiters, text_block(set.characters, DELIMITER_CHARACTERS_SIZE));
  }
  Block options(3);
  put_i16_le(options.data(), file.sort_option);
  // Once start-up has opened the palette, the slot in use is the palette's own.
  options[2] = g_palette.file_path.empty() ? file.palette_index : g_palette.slot;
  append(delimiters, options);
  blocks.push_back(delimiters);
  blocks.push_back(text_records(file.file_filters, FILE_FILTER_LINES, FILE_FILTER_SIZE));
  blocks.push_back(load_list_block(file.multi_load));
  blocks.push_back(Block(file.nc_line_options, file.nc_line_options + NC_LINE_OPTIONS_SIZE));
  blocks.push_back(text_records(file.find_history, FIND_HISTORY_ENTRIES, FIND_TEXT_SIZE));
  blocks.push_back(load_list_block(file.job_load_list));
  blocks.push_back(bindings_block(g_button_bindings.node_editor));
  blocks.push_back(bindings_block(g_button_bindings.drawing));
  Block preferences(PREFERENCES_SIZE);
  write_preferences_bytes(g_preferences, preferences.data());
  std::memcpy(preferences.data() + PREFERENCES_CAM_DEFAULTS_OFFSET, g_cam_defaults.bytes,
              CAM_DEFAULTS_SIZE);
  blocks.push_back(preferences);
  blocks.push_back(drive_folders_block(file));
  return blocks;
}

// ---- reading ----

// The bytes of the file, taken block by block; a block past the end fails, and so does every
// block after it.
struct Cursor {
  const uint8_t* data;
  size_t size;
  size_t position = 0;
  bool failed = false;

  const uint8_t* take(size_t count) {
    if (failed || count > size - position) {
      failed = true;
      return nullptr;
    }
    const uint8_t* at = data + position;
    position += count;
    return at;
  }
  size_t left() const { return size - position; }
};

// A text of a fixed field: up to its NUL, never past the field's last byte.
std::string field_text(const uint8_t* in, size_t size) {
  size_t length = 0;
  while (length + 1 < size && in[length] != 0) ++length;
  return std::string(reinterpret_cast<const char*>(in), length);
}

std::vector<std::string> read_text_records(const uint8_t* in, int count, size_t size) {
  std::vector<std::string> texts;
  for (int i = 0; i < count; ++i) {
    std::string text = field_text(in + static_cast<size_t>(i) * size, size);
    if (!text.empty()) texts.push_back(std::move(text));
  }
  return texts;
}

void read_bindings(const uint8_t* in, int16_t* table) {
  for (int i = 0; i < BUTTON_BINDING_COUNT; ++i) table[i] = get_i16_le(in + 2 * i);
}

// The per-drive folders: an entry is a length n (0 none, 1-259) and n bytes, a folder with its
// NUL. A bad entry drops every folder; the entries after it are still read by their lengths,
// so the rest of the file is judged as it stands. The end of the file may come before the 26th.
PreferencesReadResult read_drive_folders(Cursor& in, std::string* folders) {
  bool bad = false;
  for (int i = 0; i < DRIVE_FOLDER_ENTRIES && in.left() > 0; ++i) {
    const uint8_t* length_bytes = in.take(2);
    const int length = length_bytes != nullptr ? get_i16_le(length_bytes) : -1;
    if (length == 0) continue;
    const uint8_t* text = length > 0 && length <= static_cast<int>(DRIVE_FOLDER_MAX)
                              ? in.take(static_cast<size_t>(length))
                              : nullptr;
    if (text == nullptr) {
      // No way to find the next entry: the folders are dropped and the rest left unread.
      in.position = in.size;
      bad = true;
      break;
    }
    const bool sound = text[length - 1] == 0 && text[0] == '/' &&
                       std::memchr(text, 0, static_cast<size_t>(length - 1)) == nullptr;
    if (!sound) bad = true;
    folders[i] = sound ? std::string(reinterpret_cast<const char*>(text),
                                     static_cast<size_t>(length - 1))
                       : std::string();
  }
  if (!bad) return PREFERENCES_READ_OK;
  for (int i = 0; i < DRIVE_FOLDER_ENTRIES; ++i) folders[i].clear();
  return PREFERENCES_DRIVES_DROPPED;
}

struct ReadSettings {
  InterfaceSettings interface;
  PreferencesFile file;
  ButtonBindings bindings;
  Preferences preferences;
  CamDefaults cam_defaults;
};

PreferencesReadResult parse_file(Cursor& in, ReadSettings& out) {
  const uint8_t* header = in.take(sizeof TAG + 1);
  if (header == nullptr || std::memcmp(header, TAG, sizeof TAG) != 0) {
    return header == nullptr ? PREFERENCES_CUT_SHORT : PREFERENCES_BAD_TAG;
  }
  if (header[sizeof TAG] != VERSION) return PREFERENCES_BAD_VERSION;
  const uint8_t* interface = in.take(INTERFACE_SETTINGS_SIZE);
  const uint8_t* folders = in.take(2 * PREFERENCES_FILE_FOLDER_SIZE + EXTENSION_SIZE +
                                   2 * FILTER_SIZE + RESERVED_SIZE);
  const uint8_t* delimiters =
      in.take(DELIMITER_SETS * (DELIMITER_LABEL_SIZE + DELIMITER_CHARACTERS_SIZE) + 3);
  const uint8_t* filters = in.take(FILE_FILTER_LINES * FILE_FILTER_SIZE);
  const uint8_t* multi_load = in.take(LOAD_LIST_LINES * LOAD_LIST_SIZE);
  const uint8_t* nc_line = in.take(NC_LINE_OPTIONS_SIZE);
  const uint8_t* history = in.take(FIND_HISTORY_ENTRIES * FIND_TEXT_SIZE);
  const uint8_t* job_list = in.take(LOAD_LIST_LINES * LOAD_LIST_SIZE);
  const uint8_t* bindings = in.take(2 * BINDINGS_SIZE);
  const uint8_t* preferences = in.take(PREFERENCES_SIZE);
  if (in.failed) return PREFERENCES_CUT_SHORT;
  read_interface_settings_bytes(interface, &out.interface);
  PreferencesFile& file = out.file;
  size_t at = 0;
  file.nc_folder = field_text(folders + at, PREFERENCES_FILE_FOLDER_SIZE);
  at += PREFERENCES_FILE_FOLDER_SIZE;
  file.nc_extension = field_text(folders + at, EXTENSION_SIZE);
  at += EXTENSION_SIZE;
  file.dialog_folder = field_text(folders + at, PREFERENCES_FILE_FOLDER_SIZE);
  at += PREFERENCES_FILE_FOLDER_SIZE;
  file.nc_filter = field_text(folders + at, FILTER_SIZE);
  at += FILTER_SIZE;
  file.general_filter = field_text(folders + at, FILTER_SIZE);
  for (int i = 0; i < DELIMITER_SETS; ++i) {
    const uint8_t* set =
        delimiters + static_cast<size_t>(i) * (DELIMITER_LABEL_SIZE + DELIMITER_CHARACTERS_SIZE);
    file.delimiters[i].label = field_text(set, DELIMITER_LABEL_SIZE);
    file.delimiters[i].characters =
        field_text(set + DELIMITER_LABEL_SIZE, DELIMITER_CHARACTERS_SIZE);
  }
  const uint8_t* options =
      delimiters + DELIMITER_SETS * (DELIMITER_LABEL_SIZE + DELIMITER_CHARACTERS_SIZE);
  file.sort_option = get_i16_le(options);
  file.palette_index = options[2];
  file.file_filters = read_text_records(filters, FILE_FILTER_LINES, FILE_FILTER_SIZE);
  file.multi_load = read_text_records(multi_load, LOAD_LIST_LINES, LOAD_LIST_SIZE);
  std::memcpy(file.nc_line_options, nc_line, NC_LINE_OPTIONS_SIZE);
  file.find_history = read_text_records(history, FIND_HISTORY_ENTRIES, FIND_TEXT_SIZE);
  file.job_load_list = read_text_records(job_list, LOAD_LIST_LINES, LOAD_LIST_SIZE);
  read_bindings(bindings, out.bindings.node_editor);
  read_bindings(bindings + BINDINGS_SIZE, out.bindings.drawing);
  out.preferences = g_preferences;  // keeps the fields that are not stored
  out.preferences.first_run = false;
  read_preferences_bytes(preferences, &out.preferences);
  std::memcpy(out.cam_defaults.bytes, preferences + PREFERENCES_CAM_DEFAULTS_OFFSET,
              CAM_DEFAULTS_SIZE);
  const PreferencesReadResult drives = read_drive_folders(in, file.drive_folders);
  if (in.left() > 0) return PREFERENCES_TRAILING;
  return drives;
}

// The two stored tables; the table in force stays the one it was. A stored table holding an id
// that names no command is not taken: that table gets its factory values.
void set_binding_tables(const ButtonBindings& from) {
  int16_t factory_drawing[BUTTON_BINDING_COUNT];
  int16_t factory_node_editor[BUTTON_BINDING_COUNT];
  factory_button_records(factory_drawing, factory_node_editor);
  const int16_t* node_editor =
      button_record_valid(from.node_editor) ? from.node_editor : factory_node_editor;
  const int16_t* drawing = button_record_valid(from.drawing) ? from.drawing : factory_drawing;
  std::copy(node_editor, node_editor + BUTTON_BINDING_COUNT, g_button_bindings.node_editor);
  std::copy(drawing, drawing + BUTTON_BINDING_COUNT, g_button_bindings.drawing);
}

// The factory values of everything the file holds beside the preferences block.
void set_factory_file_settings() {
  PreferencesFile& file = g_preferences_file;
  file = PreferencesFile{};
  g_interface = InterfaceSettings{};
  const std::string& folder = g_startup.data_folder;
  if (folder.size() > 1 && folder[1] == ':' && folder[0] >= 'A' && folder[0] <= 'Z') {
    g_interface.current_drive = static_cast<uint8_t>(folder[0] - 'A');
  }
  file.nc_folder = folder;
  file.dialog_folder = folder;
  file.general_filter = "*.*";
  for (int i = 0; i < DELIMITER_SETS; ++i) {
    file.delimiters[i].label = DELIMITER_LABELS[i];
    file.delimiters[i].characters =
        i == 1 ? DELIMITER_WORD_KEYS : (i == 2 ? DELIMITER_SEARCH : DELIMITER_TEXT);
  }
  file.file_filters = {"*.*"};
}

}  // namespace

void first_run_defaults() {
  const bool metric = metric_file_set();
  PreferencesFile& file = g_preferences_file;
  const uint8_t autosave_minutes = g_preferences.autosave_minutes;
  g_preferences = Preferences{};
  g_preferences.autosave_minutes = autosave_minutes;
  g_preferences.first_run = true;
  file.nc_extension = ".NC";
  file.nc_filter = "*.NC";
  for (const char* filter : FACTORY_FILE_FILTERS) file.file_filters.emplace_back(filter);
  g_preferences.grid_display = 1;
  g_preferences.pointer_crosshair = 1;
  g_preferences.current_page = PAGE_DRAWING;
  JobSettings& job = g_job_settings;
  job.units = metric ? JOB_UNITS_MILLIMETRE : JOB_UNITS_INCH;
  job.tolerance = metric ? 0.05f : 0.002f;
  job.short_move_feed = metric ? 600 : 60;
  job.grid_step = metric ? 0.01f : 0.001f;
  g_preferences.surface_clearance = metric ? 1.0f : 0.05f;
  g_preferences.nudge = metric ? 1.0f : 0.05f;
  g_preferences.gap_tolerance = metric ? 0.005f : 0.0002f;
  // The factory block holds no import options: a DXF file, not machined, nothing joined.
  g_preferences.import_options = ImportOptions();
  g_preferences.import_options.cut_type = 0;
  g_preferences.import_options.join_tolerance = g_preferences.gap_tolerance;
  job.grid_shown = 1;
  g_furniture.grid_switch = job.grid_shown;
  job.show_node_markers = 1;
  job.surface_code = JOB_SURFACE_FLAT;
  job.surface_flag = 1;
  job.new_items_machined = 1;
  job.new_item_cut_type = 1;
  job.text_cut_type = 1;
  job.point_cut_type = 1;
  job.climb_milling = 1;
  job.output_options = 12;
  g_preferences.default_job = job;
  g_preferences.new_item_text = "F3999";
  g_preferences.panel_option = 1;
  set_binding_tables(ButtonBindings{});
  std::memset(file.nc_line_options, 0, NC_LINE_OPTIONS_SIZE);
  put_i16_le(file.nc_line_options + 2, 1);
  put_i16_le(file.nc_line_options + 4, 1);
  file.nc_line_options[8] = 'N';
  g_preferences.factor = 0.745f;
  for (std::string& folder : g_preferences.default_folders) folder = g_startup.data_folder;
  g_preferences.plotter_extension = ".PLT";
  file.job_load_list.clear();
}

PreferencesReadResult read_preferences_bytes(const uint8_t* data, size_t size) {
  if (size > LONGEST_FILE) return PREFERENCES_TRAILING;
  Cursor in{data, size};
  ReadSettings settings;
  const PreferencesReadResult result = parse_file(in, settings);
  if (result < 0) return result;
  g_interface = settings.interface;
  g_preferences_file = std::move(settings.file);
  set_binding_tables(settings.bindings);
  g_preferences = settings.preferences;
  g_cam_defaults = settings.cam_defaults;
  return result;
}

PreferencesReadResult read_preferences_file(const std::string& path) {
  FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) return PREFERENCES_MISSING;
  // One byte more than the longest file shows a file that is too long.
  std::vector<uint8_t> bytes(LONGEST_FILE + 1);
  const size_t size = std::fread(bytes.data(), 1, bytes.size(), stream);
  std::fclose(stream);
  return read_preferences_bytes(bytes.data(), size);
}

std::vector<uint8_t> preferences_file_bytes() {
  std::vector<uint8_t> bytes;
  for (const Block& block : file_blocks()) append(bytes, block);
  return bytes;
}

bool write_preferences_file(const std::string& path, std::string* error) {
  const std::vector<Block> blocks = file_blocks();
  const SaveResult result = save_file_safely(
      path, path + ".tmp",
      [&](SaveFile* file) {
        for (const Block& block : blocks) {
          if (!save_write(file, block.data(), block.size())) return false;
        }
        return true;
      },
      error);
  return result == SAVE_OK;
}

void apply_preferences_fixups() {
  g_text_wrap.tab_width = std::max<uint8_t>(g_interface.tab_width, 1);
  if (g_interface.print_font_size < SMALLEST_PRINT_FONT_SIZE) {
    g_interface.print_font_size = FACTORY_PRINT_FONT_SIZE;
  }
  std::copy(std::begin(FACTORY_USER_KEYS), std::end(FACTORY_USER_KEYS), g_interface.user_keys);
}

static_assert(FIND_HISTORY_MOST == FIND_HISTORY_ENTRIES);

int read_write_preferences(int read) {
  const std::string path = path_join(g_startup.data_folder, PREFERENCES_FILE_NAME);
  if (read == 0) {
    // The lists' windows hold what the user changed since the file was read.
    take_load_list_texts(&g_preferences_file.file_filters, &g_preferences_file.multi_load,
                         &g_preferences_file.job_load_list);
    g_preferences_file.find_history = find_history();
    // The editor settings form's folder and extension of new buffers, once they were set.
    if (!g_buffers.current_folder.empty()) {
      g_preferences_file.nc_folder = g_buffers.current_folder;
      g_preferences_file.nc_extension = g_buffers.current_extension;
    }
    std::string error;
    if (write_preferences_file(path, &error)) return 0;
    const std::string text = "The settings could not be saved in " + path + ": " + error;
    std::fprintf(stderr, "brenvik: %s\n", cp1252_to_utf8(text).c_str());
    window_message_box(text);
    return -1;
  }
  if (read_preferences_file(path) < 0) {
    set_factory_file_settings();
    first_run_defaults();
  }
  apply_preferences_fixups();
  set_find_history(g_preferences_file.find_history);
  g_buffers.current_folder = g_preferences_file.nc_folder;
  if (!g_buffers.current_folder.empty()) add_trailing_backslash(&g_buffers.current_folder);
  g_buffers.current_extension = g_preferences_file.nc_extension;
  // The folder picker and the file list take their settings.
  load_drive_folders(g_preferences_file.drive_folders, DRIVE_FOLDER_ENTRIES);
  g_dir_tree.last_drive = g_interface.current_drive >= DRIVE_HOME &&
                                  g_interface.current_drive < DRIVE_LETTERS
                              ? g_interface.current_drive
                              : DRIVE_HOME;
  g_file_list.sort_flags = static_cast<uint16_t>(g_preferences_file.sort_option);
  return 0;
}
