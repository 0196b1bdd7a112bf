// The file browser behind the open, save-as and folder dialogs: a framed box of cells with the
// folder shown at the top, the places (home, the root, media, discs, shares) on the left, the
// folder's sub-folders and then the files of the chosen filter on the right, and a name entry
// and the filter below. Keys: a typed character goes to the next entry that starts with it,
// Enter opens a folder or chooses a file, Backspace goes up, Tab goes on to the name entry, the
// filter and the places, Esc cancels.
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/mounts.h"
#include "screen/event_queue.h"

enum BrowserMode : uint8_t {
  BROWSE_OPEN,    // an existing file (a new name only when allowed)
  BROWSE_SAVE,    // any file name in an existing folder
  BROWSE_FOLDER,  // a folder; no files are listed
};

enum BrowserFocus : uint8_t {
  FOCUS_LIST,
  FOCUS_NAME,
  FOCUS_FILTER,
  FOCUS_PLACES,
};

// One choice of the filter row.
struct FileFilter {
  std::string name;                   // shown whole
  std::vector<std::string> patterns;  // "*.nc", "*.tap"
};

// What the browser's loop does after a key.
enum BrowserStep : uint8_t {
  BROWSER_GO_ON,
  BROWSER_CHOSEN,     // result holds the chosen path
  BROWSER_CANCELLED,
};

struct FileBrowser {
  BrowserMode mode = BROWSE_OPEN;
  bool allow_new_names = false;   // open mode: a file that does not exist may be chosen
  std::string title;
  std::string folder;             // the folder shown, file system bytes, one trailing '/'
  std::vector<FileFilter> filters;  // never empty
  int filter_index = 0;
  std::vector<FolderEntry> entries; // sub-folders first, then the filter's files
  int current = 0;                // index into entries (0 when there are none)
  int first_shown = 0;            // index of the entry on the list's first row
  std::vector<Place> places;
  int place_index = 0;
  std::string name;               // the name entry as shown and typed (cp1252)
  std::string name_bytes;         // the file system's bytes of a name that was not typed
  BrowserFocus focus = FOCUS_LIST;
  std::string result;             // the chosen path, file system bytes
  std::string notice;             // why the last choice was refused ("" when none)

  // Layout, cells of the current metrics; the frame lies around them.
  int top_row = 0;
  int left_column = 0;
  int bottom_row = 0;
  int right_column = 0;
  int place_columns = 0;          // width of the places pane
  int list_rows = 0;              // rows of both panes
};

// ---- Set-up -------------------------------------------------------------------------------------

// The filters of a "name|patterns|name|patterns" text, in order; a name without patterns is
// left out. An empty text gives none.
std::vector<FileFilter> parse_file_filters(const std::string& text);
// A browser in `folder` (made absolute; the working folder when it is empty or gone), with the
// filters and the shown name given as the file system's bytes; reads the folder and the places.
void start_file_browser(FileBrowser* browser, BrowserMode mode, const std::string& folder,
                        const std::string& filter_text, const std::string& name);

// ---- Moving about -------------------------------------------------------------------------------

// Shows another folder (file system bytes): its listing replaces the entries and the first
// entry becomes current. False, with the browser unchanged and a notice, when it cannot be read.
bool open_browser_folder(FileBrowser* browser, const std::string& folder);
// The parent folder, with the folder we came from as the current entry.
void browser_go_up(FileBrowser* browser);
// The next entry after the current one whose shown name starts with c (ignoring case),
// wrapping; the current entry stays when none does.
void browser_jump_to_letter(FileBrowser* browser, uint8_t c);
// Enter on the list: a folder is opened, a file chosen.
BrowserStep browser_enter_on_list(FileBrowser* browser);
// Enter on the name entry: the typed text (a name, or a path relative to the folder or
// absolute) opens a folder or chooses a file; a refused choice leaves a notice.
BrowserStep browser_accept_name(FileBrowser* browser);
// The next filter (wrapping); the files are listed again.
void browser_next_filter(FileBrowser* browser);
// The entry's name as the list shows it: through cp1252, a folder's with a leading '/'.
std::string shown_entry_name(const FolderEntry& entry);

// ---- Running ------------------------------------------------------------------------------------

// Draws the browser and runs it until a choice or a cancel; the screen under it comes back
// afterwards. BROWSER_CHOSEN or BROWSER_CANCELLED.
BrowserStep run_file_browser(FileBrowser* browser);
// One code read by the loop, applied.
BrowserStep browser_apply_code(FileBrowser* browser, EventCode code);
// Places the box on the screen (the layout fields) and draws its rows in the active window.
void lay_out_file_browser(FileBrowser* browser);
void draw_file_browser(FileBrowser* browser);
