// The colour palette dialog: every entry of the interface's palette (sixteen schemes of ten
// colours) as a line of a list window drawn in the colours it describes, with a sample window
// for each scheme. Digit keys change an entry's red, green and blue values, Tab switches between
// the palette file's four palettes, and Ctrl+C / Ctrl+V copy one palette over another. Changes
// take effect at once; they reach the palette file when the dialog ends, at Tab and at Ctrl+V.
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

struct TextLine;

constexpr char PALETTE_SAVE_FAILED_TEXT[] = "The colours could not be saved in the palette file.";

struct PaletteDialog {
  int increment = 1;            // 1 or 4: the step of the value keys
  uint8_t changed = 0;          // 0x01 something was changed; 0x10 draw the dialog again
  int copied_palette = -1;      // the palette Ctrl+C remembered; -1 none yet
  bool save_failed = false;     // a write of the palette file failed (told once)
};
extern PaletteDialog g_palette_dialog;

// Runs the dialog; nothing happens when the catalogue has no palette names.
void colour_dialog();

// The dialog window's line drawer and key filter; the key reader of the current entry (0 after a
// change, else the key for the filter); the fixed texts beside the list.
void draw_palette_line(int row, TextLine* line);
EventCode palette_key_filter();
EventCode edit_palette_entry();
void draw_palette_header();

// Test hooks
void reset_palette_dialog();
