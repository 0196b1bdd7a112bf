// Display modes and cell metrics: the size of the program's screen and the character cells that
// every row and column argument of the drawing calls counts in.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/font.h"
#include "platform/window.h"

// The text roles, each with a preset of cell metrics.
enum FaceRole : uint8_t {
  FACE_ROLE_NORMAL,
  FACE_ROLE_MENU,   // the text windows' medium font
  FACE_ROLE_SMALL,
  FACE_ROLE_TINY,   // the text windows' smallest font
  FACE_ROLE_MICRO,  // only in the larger bands; a copy of tiny elsewhere
  FACE_ROLE_COUNT,
};

constexpr int FACE_TABLE_SIZE = 12;

struct CellMetrics {
  int16_t face_index = -1;  // into the face table; negative: the face is missing
  int16_t cell_height = 0;  // pixels
  int16_t cell_width = 0;   // pixels
  int16_t last_row = 0;     // highest row index that fits the screen
  int16_t last_column = 0;  // highest column index that fits the screen
};

constexpr int DISPLAY_CHOICE_LAST_FIXED = 7;
constexpr int DISPLAY_CHOICE_WHOLE_MONITOR = 109;
constexpr int OWN_SIZE_MIN_WIDTH = 630;   // the form's own client size is never taken smaller
constexpr int OWN_SIZE_MIN_HEIGHT = 474;

struct DisplayState {
  BitmapFont font;                                    // the faces of Q5_FONT.FON
  std::array<std::string, FACE_TABLE_SIZE> face_names;  // face table; 0-3 set per band
  CellMetrics current;                                // the cells every drawing call counts in
  std::array<CellMetrics, FACE_ROLE_COUNT> presets;   // per role, for the current band
  int16_t screen_width = 0;   // right-most pixel of the program's screen
  int16_t screen_height = 0;  // bottom-most pixel
  uint8_t band = 0;           // applied display band, 0-5
  bool fell_back = false;     // band 1 took the smaller fallback faces
  int16_t editor_rows = 0;    // last row and last column of editing-buffer windows, in cells
  int16_t editor_columns = 0; // of the editor face (editing_window_size)
  bool form_drag_running = false;  // the user drags the form by its title band
  int16_t drawing_area_bottom = 0;  // bottom pixel limit of the Drawing page's drawing area
  WindowRect monitor;   // the monitor the form is on, screen pixels
  WindowRect work;      // its usable part
  bool form_centred = false;  // the position button put the form in the middle of the work area
};
extern DisplayState g_display;

// The interface font
// Reads Q5_FONT.FON; false with the reason in *error.
bool load_interface_font(const std::string& path, std::string* error);
// The face of a face-table index, or null when it is missing.
const FontFace* interface_face(int face_index);

// Display modes
// Sizes the program's screen by the choice (0-7 the fixed sizes, falling back while one is
// taller than the monitor; 109 the whole monitor; any other the form's own client size, at
// least 630 x 474), keeps it inside the monitor's work area, chooses the band and fills the
// presets (the normal preset becomes current), places the form inside the work area and gives
// the window that size and place. The screen size values are the client size - 1.
void apply_display_mode(int choice);
// The position button: the form to the centre of the work area, or back to the top-left corner
// of its monitor. A window manager that refuses positions leaves it where it is.
void centre_form_on_screen();
void form_to_monitor_corner();
void toggle_form_position();
// What the window manager may do at a client point of the borderless form: drag it by the free
// title band, resize it by its edges (WINDOW_HIT_*).
int form_hit_test(int x, int y);
// Fills the presets for the screen size from `band` down: the band falls while the normal face
// has fewer than 78 columns or (above band 1) the menu face fewer than 35 rows; band 1 with 35
// menu rows or fewer takes the smaller fallback faces. Sets the band and the fallback flag.
void choose_band(int band);

// Lays out the page tab strip below the caption for the current cells and sets the drawing
// area's bottom limit.
void layout_page_tab_strip();
// Sets the editor rows and columns of editing-buffer windows from the editor face of the
// interface settings; returns the face: 0 normal, 1 menu, 2 small.
int editing_window_size();
// Seeds the random generator with the time of day.
void seed_random();

// Test hooks
// Everything back to the start except the loaded font, which tests share.
void reset_display();
