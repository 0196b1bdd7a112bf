// The folder picker: the folder tree of one place with collapsible top-level folders, a column
// of place buttons, a help box, type-ahead search, and keys to make and delete folders, open a
// terminal and copy the tree as text. Places stand where the design has drives: C is the home
// folder, D the root "/", E, F, ... the other mounted places in mount-table order; A and B are
// never used. A scan of a large disc is slow, so the tree of each place lives in a cache file in
// the program folder, DIR_LIST._X_ (X the place's letter), whose first line names the place's
// folder; it is trusted once the place's top level has been compared with it in the run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/mounts.h"
#include "screen/event_queue.h"

struct TextLine;

constexpr int DRIVE_LETTERS = 26;
constexpr int DRIVE_HOME = 2;   // 'C'
constexpr int DRIVE_ROOT = 3;   // 'D'

// Drive types, as the labels name them.
enum DriveType : uint8_t {
  DRIVE_NONE = 0,
  DRIVE_DISC_TYPE = 1,   // a fixed or removable disc (removable: "Backup")
  DRIVE_REMOTE = 3,
  DRIVE_CD = 4,
  DRIVE_RAM = 6,
};

// Tree lines: id = depth (-1 the place's root, 0 a top-level folder); extra = the full path
// ending with one '/' and a zero; kind bit 0x40 hidden (collapsed); state bit 0x01 seen by the
// last file listing; text = the display line (0x08, the mark, 0xF4, 0x0E, a blank, connectors,
// 0x13, the name, a newline).
constexpr uint8_t TREE_MARK_PLAIN = 'A';
constexpr uint8_t TREE_MARK_CLOSED = 160;
constexpr uint8_t TREE_MARK_OPEN = 162;
constexpr uint8_t TREE_LINE_SEEN = 0x01;
constexpr int TREE_LINE_MOST = 90;
constexpr char TREE_CACHE_FORMAT[] = "DIR_LIST._%c_";
constexpr char TREE_HIDDEN_MARK[] = " \v(h)";
constexpr char TREE_CHANGED_NOTICE[] = "Directories\nhave changed...";
constexpr char TREE_NO_MEMORY_TEXT[] = "Not enuf memory!";
constexpr char TREE_DRIVE_FAILED_FORMAT[] = "Drive \v%c\x13 ... no disk or invalid";
constexpr char TREE_FOUND_FORMAT[] = "Found \v%d\x13...";
constexpr char TREE_NOT_FOUND_FORMAT[] = "%sCouldn't find: \"\v%s\x13\"\n\nSearched %s.";
constexpr char TREE_FIND_PROMPT[] = "Enter characters to find\n\n";
constexpr char TREE_NO_TERMINAL_TEXT[] =
    "No terminal program was found (x-terminal-emulator is not installed).";

struct DriveInfo {
  DriveType type = DRIVE_NONE;
  bool removable = false;
  std::string folder;  // the place's folder, ending with '/'; empty: no place
};

// The picker's program-wide state.
struct DirTree {
  DriveInfo drives[DRIVE_LETTERS];
  int drive_count = -1;                 // -1 until the places are read
  TextLine* window = nullptr;           // the tree window, made once and kept
  int drive = DRIVE_HOME;               // the letter index of the tree shown
  int last_drive = DRIVE_HOME;          // the place chosen last (kept in the interface settings)
  uint8_t compared[DRIVE_LETTERS] = {}; // the place's top level was compared with its cache
  std::string remembered[DRIVE_LETTERS];  // the last folder chosen on each place, by letter
  bool with_hidden = false;             // hidden folders are scanned (Alt+H switches it)
  int help_message = 0;                 // the running picker's help message
  int tree_width = 30;                  // the longest display line, at least 30, at most 90
  bool first_call = false;              // the key filter's first call after a build
  TextLine* help_box = nullptr;         // the help pop-up beside the tree
  // Where the places come from (tests point these at fixtures).
  std::string mount_table = MOUNT_TABLE_PATH;
  std::string home;                     // empty: $HOME
  std::string cache_folder;             // the program folder, where the cache files lie
};
extern DirTree g_dir_tree;

// ---- Places ---------------------------------------------------------------------------------

// Reads the places once: C home, D root, then the mount table's other places.
void scan_drives();
// The label of a place ("Home", "Root", "Backup", "CD ROM", "Remote", "Drive"), or null.
const char* drive_type_name(int index);
// 1 when the place's folder can be read, else 0.
int test_drive(int index);
// The letter index of the place that holds a path (the longest place folder it lies in), or -1.
int drive_of_path(const std::string& path);
// The remembered folder of a place when it still lies under the place and exists, else "".
std::string usable_remembered_folder(int index);

// ---- Building ------------------------------------------------------------------------------

// (Re)builds the tree of a place into the tree window, making the window the first time.
void build_dir_tree(int drive);
// The sub-folders of a folder as lines of the current list at a depth; 0, or -1 on Esc.
int scan_folders(const std::string& folder, int depth);
// The cache file of the tree's place: 0 read (lines appended to the current list), -1 none or
// another place's.
int read_dir_cache();
void write_dir_cache();
void format_tree_lines();
void collapse_tree();
void set_tree_marks();
void refresh_tree_text();
// Keeps an open tree in step with a file listing: a folder met is added (or marked seen);
// returns the first letter of its name or 0.
int note_folder(const std::string& path);
// The folder's sub-folders that the listing did not meet are removed from the tree.
void forget_missing_folders(const std::string& folder);
// Paths compared as the tree sorts them: '/' before every other character, case-blind after.
int compare_paths(const char* a, const char* b);
// 1 when the folder above the line's folder exists (always for roots and top-level folders).
int parent_folder_exists(const TextLine* line);

// ---- Running ------------------------------------------------------------------------------

// Runs the picker: the chosen tree line (its extra the folder), or null.
TextLine* browse_directory_tree(const std::string& start_folder, int message_number);
EventCode tree_key_filter();
// A terminal in the folder: x-terminal-emulator, running `command` or the user's shell. False
// (and the user told) when none was found.
bool run_shell(const std::string& folder, const std::string& command);

// The remembered folders from and to the preferences' block (entry i for letter 'C' + i).
void load_drive_folders(const std::string* entries, int count);
void store_drive_folders(std::string* entries, int count);

// Frees the tree window and forgets the places (shutdown and tests).
void free_dir_tree();
