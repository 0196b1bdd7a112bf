// Start-up, the page loop and shutdown: the spine of the program. The application's message loop
// goes idle once and the whole program runs inside that first idle call (app_idle): it finds the
// program's folders and data files, builds every long-lived window, runs the six pages one at a
// time until the user quits, then saves the preferences and frees everything. Window messages
// are pumped from inside the program's own waits for input, so the message loop runs nested in
// the program, and the nested idle calls start the timer and turn a resize into a redraw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pages/job_commands.h"
#include "screen/boxes.h"

struct TextLine;

// ---- Names --------------------------------------------------------------------------------------

constexpr char APPLICATION_TITLE[] = "Brenvik";
constexpr char INTERFACE_FONT_FILE_NAME[] = "Q5_FONT.FON";
// The program's own temporary file in the program folder; shutdown deletes it.
constexpr char TEMP_FILE_NAME[] = "KR_TEMP.KR4";
// The letter of a data-file name that the metric file set changes to 'm'.
constexpr size_t METRIC_LETTER_INDEX = 7;
constexpr char METRIC_LETTER = 'm';

// The data-file names, writable: a switch to the metric file set rewrites three of them.
struct DataFileNames {
  std::string temp = TEMP_FILE_NAME;
  std::string catalogue = "KR_MENUs.KR5";
  std::string tools = "KR_TOOLS.KR4";
  std::string post_processors = "KR_MILLt.KR4";
  std::string preferences = "KR_INIT_t.KR5";
  std::string picture = "KR_IMAGE.KR5";
  std::string help = "KR5HELP.HLP";
  std::string serial = "KR_SERIt.KR4";
  std::string palette = "KR_WSTF1.KR4";
  std::string tools_metric = "KR_TOOLM.KR4";
  std::string post_processors_metric = "KR_MILLM.KR4";
};

// The texts start-up shows itself (system message boxes, the caption, the memory status).
constexpr char STARTUP_FILES_MISSING_TEXT[] =
    "Something is wrong. Either some files were not installed, or Windows is starting this "
    "program the wrong folder. If you started this from an icon, click the right mouse button "
    "on the icon and check its properties. Make sure the 'Start In:' folder has the correct "
    "drive and folder that you installed this program into.";
constexpr char STARTUP_FILE_MISSING_FORMAT[] = "The file %s%s is missing!";
constexpr char STARTUP_MENU_FAILED_FORMAT[] = "Failed to create menu %d";
constexpr char NO_STROKE_FONTS_TEXT[] = "No Brenvik fonts!";
// The symbol menu's only line when no symbol font is registered, and its id.
constexpr char NO_SYMBOL_FONTS_TEXT[] = "Aint no symbols!";
constexpr int16_t NO_SYMBOL_FONTS_ID = -30000;

// ---- The menus built at start-up, in the order they are built ----------------------------------

enum StartupMenu {
  STARTUP_MENU_ENGRAVING_LIST,
  STARTUP_MENU_SCREEN_SIZE,
  STARTUP_MENU_JOB_SETUP,
  STARTUP_MENU_JOB_SETUP_FILE,
  STARTUP_MENU_DRAWING_MAIN,
  STARTUP_MENU_MARKS,
  STARTUP_MENU_FILE,
  STARTUP_MENU_EDIT,
  STARTUP_MENU_DRAW,
  STARTUP_MENU_IMAGE,
  STARTUP_MENU_COUNT,
};

// ---- State --------------------------------------------------------------------------------------

struct Startup {
  bool terminated = false;  // the application has ended: its message loop stops
  bool in_page_loop = false;  // the page loop runs (the window procedure is replaced)

  // Folders, each ending with one '/'.
  std::string program_folder;    // the running executable's folder (the data files' folder)
  std::string data_folder;       // the preferences file's folder: the program folder
  std::string dir_cache_folder;  // the directory cache's folder: the program folder
  std::string temp_folder;       // TMP, else TEMP, else TMPDIR, else the program folder
  std::string font_folder;       // a copy of the program folder for the interface font

  DataFileNames names;
  uint8_t metric_set_switches = 0;  // counted up when start-up switches to the metric file set
  int font_count = 0;               // faces of the installed interface font; 0 = not installed
  int colour_depth = 0;             // bits per pixel of the screen

  // The long-lived windows start-up makes (window-list nodes; null before start-up).
  TextLine* root_window = nullptr;
  TextLine* side_panel_window = nullptr;
  TextLine* tool_list_window = nullptr;
  TextLine* drawing_window = nullptr;
  TextLine* font_list_window = nullptr;
  TextLine* symbol_menu_window = nullptr;  // the symbol fonts, for picking a symbol
  TextLine* menus[STARTUP_MENU_COUNT] = {};

  // The catalogue arrays: texts loaded once and read by many parts.
  std::vector<std::string> month_names;          // message 3101 by line: month n at n
  std::vector<std::string> shading_style_names;  // message 3100 by line
  std::vector<std::string> word_list;            // message 3200 by line
  std::vector<std::string> startup_texts;        // messages 3000-3024

  // The delete prompts of the editor's line deletion (zero-ended, cp1252 with in-band codes).
  const char* delete_line_prompt = nullptr;     // "%s" takes the line's text
  const char* delete_what_prompt = nullptr;     // marked lines or the cursor line
  const char* delete_marked_prompt = nullptr;   // all the marked lines
};
inline Startup g_startup;

// True when the metric file set is in use (the catalogue's name says so).
inline bool metric_file_set() {
  const std::string& name = g_startup.names.catalogue;
  return name.size() > METRIC_LETTER_INDEX && name[METRIC_LETTER_INDEX] == METRIC_LETTER;
}

// ---- The program --------------------------------------------------------------------------------

// The entry: opens the window (client width x height pixels), creates the main form, installs
// idle_handler as the application's idle handler (app_idle; a test runner may wrap it) and runs
// the message loop until the application ends. Returns the process's exit code, 0 once it ran.
int run_application(int width, int height, bool (*idle_handler)());

// The application's idle handler. First call: the whole program, from the data-file test to
// shutdown. Second call (made from the program's first wait for input): starts the timer. Later
// calls: a pending resize becomes a redraw event. True when it posted an event.
bool app_idle();

// Screen start-up; -1 ends the program (the reason has been shown).
int ui_startup(int scratch_size);
// Menus, windows and data files; -1 ends the program.
int app_startup();
// Runs pages until the page byte leaves 0-5; returns 0.
int page_loop();
// Writes the preferences, closes the catalogue and removes the interface font.
void ui_shutdown();
// Deletes the temporary file, asks about a changed tool list and frees everything.
void app_shutdown();
// After a start-up that failed halfway (the program ends without its page loop): frees the
// windows and lists made so far.
void free_after_failed_startup();

// The picture-frame hook of the frame and box drawers: draws nothing, so the ordinary frame is
// drawn.
int frame_picture_hook(int style, int x1, int y1, int x2, int y2);

// ---- Test hooks ---------------------------------------------------------------------------------

// The start-up state back to a program just loaded (frees nothing).
void reset_startup();
