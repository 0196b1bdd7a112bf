// The preferences file "KR_INIT_t.KR5": every lasting user setting in one binary file in the
// data folder (interface settings, folders and filters, word-delimiter sets, the file-filter
// and load lists, the find history, the button tables, the preferences block and the last
// folder of each drive entry), read once at start-up and written at exit. Any fault while
// reading gives the factory defaults; a save goes through a temporary file and a failure is
// returned, never half a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr const char* PREFERENCES_FILE_NAME = "KR_INIT_t.KR5";
constexpr int DELIMITER_SETS = 6;
constexpr int FILE_FILTER_LINES = 20;
constexpr int LOAD_LIST_LINES = 22;
constexpr int FIND_HISTORY_ENTRIES = 14;
constexpr int DRIVE_FOLDER_ENTRIES = 26;
constexpr size_t NC_LINE_OPTIONS_SIZE = 14;
constexpr size_t PREFERENCES_FILE_FOLDER_SIZE = 260;
// Offsets of the blocks the tests and the record's tail read.
constexpr size_t PREFERENCES_FILE_INTERFACE_OFFSET = 11;
constexpr size_t PREFERENCES_FILE_RESERVED_OFFSET = 906;
constexpr size_t PREFERENCES_FILE_LOAD_LIST_OFFSET = 10535;
constexpr size_t PREFERENCES_FILE_BLOCK_OFFSET = 16287;
constexpr size_t PREFERENCES_FILE_DRIVES_OFFSET = 21603;

struct DelimiterSet {
  std::string label;       // shown by the editor settings form (20 characters at most)
  std::string characters;  // the delimiter characters (40 at most)
};

// What the file holds beside `InterfaceSettings`, `Preferences` and the button tables.
struct PreferencesFile {
  std::string nc_folder;       // default folder of editing buffers and NC files
  std::string nc_extension;    // ".NC"
  std::string dialog_folder;   // folder of the file dialogs for import, export and e-mail
  std::string nc_filter;       // "*.NC"
  std::string general_filter;  // "*.*"
  DelimiterSet delimiters[DELIMITER_SETS];
  int16_t sort_option = 5;     // file-list sort option
  uint8_t palette_index = 0;   // the palette slot in use
  std::vector<std::string> file_filters;   // the file-filter list, at most 20 lines
  std::vector<std::string> multi_load;     // the files to load at once, at most 22
  uint8_t nc_line_options[NC_LINE_OPTIONS_SIZE] = {};
  std::vector<std::string> find_history;   // at most 14 texts of 60 characters
  std::vector<std::string> job_load_list;  // at most 22 job names
  std::string drive_folders[DRIVE_FOLDER_ENTRIES];  // the last folder of each entry; "" none
};
inline PreferencesFile g_preferences_file;

enum PreferencesReadResult {
  PREFERENCES_READ_OK = 0,
  PREFERENCES_MISSING = -1,       // no file, or it could not be opened
  PREFERENCES_BAD_TAG = -2,
  PREFERENCES_BAD_VERSION = -3,
  PREFERENCES_CUT_SHORT = -4,     // a block is cut short
  PREFERENCES_TRAILING = -5,      // bytes after the per-drive folders
  PREFERENCES_DRIVES_DROPPED = 1, // read, but a bad per-drive entry dropped those folders
};

// The factory preferences of a first start (or of a preferences file that cannot be read): the
// units and tolerances of the file set in use (metric when the catalogue is the metric one), the
// Drawing page, the option bytes, the default job, the button tables, the NC-line options and the
// file filters; marks the first run.
void first_run_defaults();

// Reads the file at `path` into the settings. On any result below 0 nothing is changed.
PreferencesReadResult read_preferences_file(const std::string& path);
// Reads the bytes of a preferences file (the fuzz target's way in).
PreferencesReadResult read_preferences_bytes(const uint8_t* data, size_t size);
// The settings as the bytes of a preferences file.
std::vector<uint8_t> preferences_file_bytes();
// Saves the settings to `path` through a temporary file; false (and `error` in words) when the
// save failed: the old file is then as it was.
bool write_preferences_file(const std::string& path, std::string* error);

// Reads (1) or writes (0) the preferences file in the data folder. Reading: a file that cannot
// be read gives the factory settings; the load fix-ups run in both cases; the result is 0.
// Writing: 0 saved, -1 the save failed (the user is told).
int read_write_preferences(int read);
// The fix-ups after every load: the tab width to the text layer, the text-printing font size,
// the user keys.
void apply_preferences_fixups();
