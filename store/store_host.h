// How the layers below the interface reach the user. Each engine has a host record of its own,
// which start-up connects to the screen's boxes and questions; this header holds the base
// store's host, the text-box flags every host passes on, and the log an unconnected host
// writes instead (tests and the command-line tools read it back).
#pragma once

#include <cstdint>
#include <string>

// ---- Text-box flags ----------------------------------------------------------------------------
constexpr uint32_t TEXTBOX_TICKS_MASK = 0x3F;         // with TEXTBOX_TIMED: ticks the box stays
constexpr uint32_t TEXTBOX_COLOURS_80 = 0x40;         // colour base 80
constexpr uint32_t TEXTBOX_TITLE = 0x100;             // the first line is the box title
constexpr uint32_t TEXTBOX_COLOURS_10 = 0x200;        // colour base 10
constexpr uint32_t TEXTBOX_SMALLEST_FONT = 0x400;     // laid out in the smallest face
constexpr uint32_t TEXTBOX_LOW = 0x800;               // centred, low on the screen
constexpr uint32_t TEXTBOX_TIMED = 0x8000;            // closes after the ticks or a key
constexpr uint32_t TEXTBOX_CLOSE_AT_ONCE = 0x10000;   // drawn and released at once
constexpr uint32_t TEXTBOX_SCREEN_CENTRE = 0x20000;   // centred on the screen
constexpr uint32_t TEXTBOX_WAIT_KEY = 0x40000;        // waits for a key or button and returns it
constexpr uint32_t TEXTBOX_BOTTOM = 0x80000;          // centred at the bottom of the screen
constexpr uint32_t TEXTBOX_COLOURS_120 = 0x100000;    // colour base 120
constexpr uint32_t TEXTBOX_TOP = 0x200000;            // centred at the top of the screen
// The usual press-a-key box.
constexpr uint32_t TEXTBOX_PRESS_A_KEY = TEXTBOX_WAIT_KEY | TEXTBOX_SCREEN_CENTRE;

// A host's text box: shows the text as the flags say; with TEXTBOX_WAIT_KEY returns the key or
// button code that closed it, else 0.
using ShowTextBoxFn = int16_t (*)(const char* text, uint32_t flags);

// ---- The base store's host ---------------------------------------------------------------------
struct StoreHost {
  ShowTextBoxFn show_text_box = nullptr;  // a failed load or save of a store file
};
extern StoreHost g_store_host;

// The store's text box: the host's, or the log when none is connected.
int16_t store_show_text_box(const char* text, uint32_t flags);

// ---- The log of unconnected hosts --------------------------------------------------------------
struct HostMessageLog {
  std::string last_text;    // the text of the last box asked for
  uint32_t last_flags = 0;  // its flags
  int shown_count = 0;      // boxes asked for since the reset
};
extern HostMessageLog g_host_messages;

// Notes the box in the log. A box that waits for a key is answered with 0: no key.
int16_t log_text_box(const char* text, uint32_t flags);

// ---- Test hooks --------------------------------------------------------------------------------
// No host connected and an empty log.
void reset_store_host();
