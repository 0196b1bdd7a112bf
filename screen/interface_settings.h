// The user's lasting interface choices (pointer, display mode, form position and size, caret
// and bar styles, text printing, user keys) that the shell reads and keeps up to date. The
// preferences file stores them in their 102-byte form, written and read field by field below.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t INTERFACE_SETTINGS_SIZE = 102;
// The display-mode choice that takes the form's own client size.
constexpr uint8_t DISPLAY_CHOICE_OWN_SIZE = 99;
// The user keys reset at every load: F1, F2 and Ctrl+F1.
constexpr int16_t FACTORY_USER_KEYS[3] = {315, 316, 350};
constexpr uint8_t SMALLEST_PRINT_FONT_SIZE = 4;
constexpr uint8_t FACTORY_PRINT_FONT_SIZE = 12;

// Field values are the factory template's (the first 38 bytes) and the factory defaults'.
struct InterfaceSettings {
  int16_t glide_delay = 1280;      // +0 pointer glide step delay, delay units
  int16_t message_box_option = 4;  // +2 option word of the message boxes; cleared before the
                                   // shutdown question about the tool list
  int16_t dialog_option = 0;       // +4 option of the job setup and import forms
  uint8_t date_format = 0;         // +6 date format of file lists
  uint8_t nc_key_map = 1;          // +7 NC editor key-map option
  uint8_t tab_width = 6;           // +8 cells; the text layer copies it at every load
  uint8_t applied_band = 4;        // +10 display band in use
  uint8_t display_choice = 7;      // +11 0-7 fixed sizes, 99 the form's own size, 109 the
                                   // whole screen
  uint8_t current_drive = 2;       // +12 0 = A; never a floppy (0, 1) after start-up
  uint8_t hint_box = 0;            // +13 hint-box option of the picture grids
  uint8_t shading_style = 3;       // +15 what becomes of closed windows' areas, 0-3
  uint8_t caret_option = 6;        // +16 caret option of the interface settings form
  uint8_t blink_setting = 6;       // +17 caret style of entry fields
  uint8_t list_option = 1;         // +19 list-window option
  uint8_t dot_count = 6;           // +20 cursor-bar style
  uint8_t extra_scroll = 4;        // +21 scroll-key choice of windows
  uint8_t box_style = 0;           // +22 button-bar option
  int16_t list_offset = -4;        // +24 list-window option
  int16_t caret_word = 2;          // +30 16-bit caret option of the interface settings form
  int16_t file_sort = 0;           // +32 file-list sort option
  int16_t tree_option = 23;        // +34 directory-tree option
  uint8_t bar_style = 0;           // +39 caret bar style
  uint8_t editor_face = 0;         // +41 editing buffers: 0 normal, 16 menu face, 32 small face
  uint8_t shading_option = 0;      // +43
  int16_t form_x = -1;             // +44 stored form position, screen pixels; -1 not yet placed
  int16_t form_y = -1;             // +46
  int16_t print_top_margin = 0;    // +48 text printing: lines at the top, header lines included
  int16_t print_bottom_margin = 0; // +50 lines left free at the bottom
  int16_t print_left_margin = 0;   // +52 blank characters before each line
  int16_t print_right_margin = 0;  // +54 characters kept free at the right
  uint8_t print_name_line = 0;     // +56 1: print the file's name and date on every page
  uint8_t print_page_numbers = 0;  // +57 1: print "Page %d of %d"
  uint8_t print_font_size = 12;    // +62 text printing font size; 12 at load when below 4
  uint8_t editor_option = 1;       // +63 drawing-editor option
  int16_t user_keys[3] = {315, 316, 350};  // +64 the three user keys, reset at every load
  int16_t client_width = 0;        // +70 the form's own client size, pixels
  int16_t client_height = 0;       // +72
  // Every stored byte the fields above do not name, kept as read and written back; the factory
  // template's reserved bytes 9, 14 (1), 26 (-3), 28 (-8) and 36 (1) among them.
  uint8_t stored[INTERFACE_SETTINGS_SIZE] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0,
                                             0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFD, 0xFF, 0xF8,
                                             0xFF, 0, 0, 0, 0, 0, 0, 1, 0};
};
inline InterfaceSettings g_interface;

void write_interface_settings_bytes(const InterfaceSettings& settings,
                                    uint8_t out[INTERFACE_SETTINGS_SIZE]);
void read_interface_settings_bytes(const uint8_t in[INTERFACE_SETTINGS_SIZE],
                                   InterfaceSettings* settings);
