// What the screen services need of the layers above them, as entry points that start-up fills.
// Unfilled, each does nothing.
#pragma once

struct ScreenEntries {
  // Redraws the pop-ups left on the screen (after a wait found the screen lost).
  void (*redraw_popups)(int mode) = nullptr;
  // Changes the display mode (the size button): 1 a window, 109 the whole screen.
  void (*set_display_mode)(int choice) = nullptr;
  // The position button: to and from the upper-left corner and the centre of the screen.
  void (*toggle_form_position)() = nullptr;
  // The form follows the pointer while the left button is held on the free title band.
  void (*drag_form)() = nullptr;
  // True while the form stands at its stored position.
  bool (*form_at_stored_position)() = nullptr;
  // The title of the current editing buffer, or null when there is none.
  const char* (*document_title)() = nullptr;
};
inline ScreenEntries g_screen_entries;
