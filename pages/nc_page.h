// The NC program page: the program an NC run makes, shown and edited in an editing buffer (the NC
// document), with the NC commands around it: the 3-D proof, sends to the machine, line numbers,
// spaces between the words, printing, the file commands and the page menu.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pages/proof_view.h"
#include "pages/protocol_list.h"
#include "records/job_settings.h"
#include "screen/boxes.h"
#include "screen/controls.h"
#include "screen/event_queue.h"
#include "ui/editor_key_map.h"
#include "ui/placeholder_page.h"
#include "ui/popups.h"

struct TextLine;

// Control ids of the page's table.
constexpr uint8_t NC_BUTTON_FILE = 1;
constexpr uint8_t NC_BUTTON_SEND = 2;
constexpr uint8_t NC_BUTTON_COPY = 3;
constexpr uint8_t NC_BUTTON_PROOF = 4;
constexpr uint8_t NC_BUTTON_LINE_NUMBERS = 5;
constexpr uint8_t NC_BUTTON_TITLE = 6;
constexpr uint8_t NC_BUTTON_GO_TO_ROW = 7;
constexpr uint8_t NC_BUTTON_PRINT = 8;
constexpr uint8_t NC_BUTTON_INSERT_SPACES = 9;
constexpr uint8_t NC_BUTTON_REMOVE_SPACES = 10;
constexpr uint8_t NC_BUTTON_FIRST_PAGE = 11;
constexpr uint8_t NC_BUTTON_LAST_PAGE = 12;
constexpr uint8_t NC_BUTTON_PREVIOUS_PAGE = 13;
constexpr uint8_t NC_BUTTON_NEXT_PAGE = 14;
constexpr uint8_t NC_BUTTON_SCROLL = 15;
constexpr uint8_t NC_BUTTON_CONVERT = 24;
constexpr uint8_t NC_BUTTON_SEND_FOLDER = 25;
constexpr uint8_t NC_BUTTON_ADD_COMMENTS = 26;
constexpr uint8_t NC_BUTTON_MENU = 200;

// Options of the page menu that the page's keys and buttons share.
constexpr int16_t NC_OPTION_PRINT = 5;
constexpr int16_t NC_OPTION_HELP = 7;
constexpr int16_t NC_OPTION_QUIT = 8;
constexpr int16_t NC_OPTION_OPEN = 10;
constexpr int16_t NC_OPTION_LOAD_LIST = 11;
constexpr int16_t NC_OPTION_CLOSE_ALL = 12;
constexpr int16_t NC_OPTION_SAVE_ALL = 13;
constexpr int16_t NC_OPTION_SAVE_AS = 14;
constexpr int16_t NC_OPTION_RENAME = 16;
constexpr int16_t NC_OPTION_COPY = 17;
constexpr int16_t NC_OPTION_DELETE_FILE = 18;
constexpr int16_t NC_OPTION_INSERT_FILE = 19;
constexpr int16_t NC_OPTION_LINE_NUMBERS = 20;
constexpr int16_t NC_OPTION_NEW_DOCUMENT = 31;
constexpr int16_t NC_OPTION_CLOSE = 32;
constexpr int16_t NC_OPTION_COMPARE = 33;
constexpr int16_t NC_OPTION_FILE_NAME = 34;
constexpr int16_t NC_OPTION_KEYS_HELP = 35;
constexpr int16_t NC_OPTION_SORT_BLOCK = 36;
constexpr int16_t NC_OPTION_FORGET_CHANGES = 37;
constexpr int16_t NC_OPTION_STRIP_CODES = 38;
constexpr int16_t NC_OPTION_BUFFER_LIST = 39;
constexpr int16_t NC_OPTION_RECEIVE = 50;
constexpr int16_t NC_OPTION_SEND_FILE = 51;
constexpr int16_t NC_OPTION_SEND_BUFFER = 52;
constexpr int16_t NC_OPTION_STOP_TRANSFER = 53;
constexpr int16_t NC_OPTION_PROTOCOLS = 54;
constexpr int16_t NC_OPTION_SEND_BLOCK = 55;
constexpr int16_t NC_OPTION_SEND_FROM_CURSOR = 56;
constexpr int16_t NC_OPTION_REFORMAT = 76;
constexpr int16_t NC_OPTION_SPACE_WORDS = 87;
constexpr int16_t NC_OPTION_REMOVE_SPACES = 88;
constexpr int16_t NC_OPTION_STRIP_ZEROS = 89;
constexpr int16_t NC_OPTION_CONVERT = 1024;      // the "Convert Gcode File" button
constexpr int16_t NC_OPTION_SEND_FOLDER = 1025;  // the "Send a Folder" button
constexpr int16_t NC_OPTION_SAVE = 448;
constexpr int16_t NC_OPTION_SAVE_FILE = 9999;

// Page keys
constexpr EventCode KEY_ALT_A = 286;
constexpr EventCode KEY_ALT_D = 288;
constexpr EventCode KEY_F4 = 318;
constexpr EventCode KEY_CTRL_N = KEY_CTRL_BASE + 'N';
constexpr EventCode KEY_CTRL_O = KEY_CTRL_BASE + 'O';
constexpr EventCode KEY_CTRL_P = KEY_CTRL_BASE + 'P';
constexpr EventCode KEY_CTRL_S = KEY_CTRL_BASE + 'S';
constexpr EventCode KEY_CTRL_A = KEY_CTRL_BASE + 'A';
constexpr EventCode KEY_CTRL_F = KEY_CTRL_BASE + 'F';
constexpr EventCode KEY_CTRL_G = KEY_CTRL_BASE + 'G';
constexpr EventCode KEY_CTRL_R = KEY_CTRL_BASE + 'R';
constexpr EventCode KEY_ALT_R = 275;
constexpr EventCode KEY_ALT_M = 306;
constexpr EventCode KEY_ALT_1 = 376;
constexpr EventCode PAGE_LEAVE_EVENT = 699;

struct NcPage {
  uint8_t last_nc_output_kind = 0;  // output kind of the last NC run; 1 = engraver commands
  TextLine* document = nullptr;     // window node of the NC document, null before the first run
  TextLine* menu = nullptr;         // the page menu, built once and kept
  std::vector<ScreenControl> controls;  // the page's buttons (title-bar buttons and end record
                                        // last)
  bool drawn = false;               // the page's furniture is on the screen
  bool file_shows_changed = false;  // the File button shows the changed mark
  bool keep_pointer = false;        // Alt+M: the pointer keeps its place while the caret moves
  bool run_ended = false;           // an NC run just ended: the document takes its program, or
                                    // one empty line when the run made none (failed, cancelled)
};
inline NcPage g_nc_page;

// The NC program page's key filter of NC buffers (see the .cpp for the keys): 0 to go on, a code
// for run_window, or 27 to leave the page. While the buffer is changed page 3 must make its
// proof again.
EventCode nc_page_key();

// Run by the page loop after an NC run, as the first buffer's key filter: the program the run
// left in list slot 6 replaces the lines of the NC document (made when there is none), which is
// titled after the job with the post processor's extension, or "(no name yet)" for a job without
// a file; then the page goes on as nc_page_key.
EventCode nc_page_hook();

// One command of the page menu (or of the editor's menus and the page's buttons): 0 done, -1
// cancelled, or an editor code for run_window.
EventCode nc_menu_command(int16_t option);

// The page's keys as editor codes (see the .cpp); other codes come back unchanged.
EventCode nc_editor_key_map(EventCode code);

// Opens an empty NC buffer placed like the current window; false when none could be made.
bool new_nc_document();

// The page frame, the tabs, the buttons and the buffer's frame; the lines follow.
void nc_page_redraw();

// Removes control characters from every line of the active buffer (a backspace with the
// character after it; any other byte below 32 except a line's closing '\n'), re-wraps a word-wrap
// buffer and returns how many bytes went. The buffer is marked changed when any did.
int strip_nc_codes();
// The same for one text; the count of bytes removed.
int strip_control_chars(std::string* text);

// The title of the NC document for a job file (empty: the job has no file yet).
std::string nc_document_title(const std::string& job_path, const char* extension);

// Creates the text editor's windows and loads its texts and the serial protocol names: the page
// menu is built from the catalogue. 0, or -1 when the catalogue lacks it (the user is told).
int init_editor_windows();

// The repaint while a long serial transfer runs: the page and the buffer's lines, then the
// pop-ups (the transfer's status window draws its "Cancel" over them).
void nc_send_repaint();

// Test hooks
void reset_nc_page();
