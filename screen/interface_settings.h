// The user's lasting interface choices (pointer, display mode, form position and size, text
// layout) that the shell reads and keeps up to date.
#pragma once

#include <cstdint>

// The display-mode choice that takes the form's own client size.
constexpr uint8_t DISPLAY_CHOICE_OWN_SIZE = 99;

// Stand-in: named fields with their factory values only; no file layout, defaults routine or form.
struct InterfaceSettings {
  int16_t glide_delay = 1280;    // pointer glide step delay, delay units
  int16_t message_box_option = 4;  // option word of the message boxes; cleared before the
                                   // shutdown question about the tool list
  uint8_t tab_width = 6;         // cells; the text layer copies it at every load
  uint8_t applied_band = 4;      // display band in use
  uint8_t display_choice = 7;    // 0-7 fixed sizes, 99 the form's own size, 109 the whole screen
  uint8_t current_drive = 2;     // 0 = A; never a floppy (0, 1) after start-up
  uint8_t shading_style = 3;     // what becomes of closed windows' areas, 0-3
  uint8_t extra_scroll = 4;      // scroll-key choice of windows
  uint8_t editor_face = 0;       // editing buffers: 0 normal, 16 menu face, 32 small face
  int16_t form_x = -1;           // stored form position, screen pixels; -1 not yet placed
  int16_t form_y = -1;
  int16_t client_width = 0;      // the form's own client size, pixels
  int16_t client_height = 0;
};
inline InterfaceSettings g_interface;
