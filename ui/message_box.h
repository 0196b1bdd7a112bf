// Message boxes: the road by which failures, notices and questions reach the user. A text box
// shows a text (with colour codes) in a framed box placed by flags; it stays as the current
// pop-up, vanishes after some ticks, or waits for a key and returns it.
#pragma once

#include <cstdint>
#include <string>

// show_text_box flags
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

// Shows the text; with TEXTBOX_WAIT_KEY returns the key or button code that closed the box,
// else 0. The caller's text is left unchanged.
int16_t show_text_box(const char* text, uint32_t flags);

// The general boxed prompt: a text at (row, column) width columns wide, then by mode a choice bar,
// an entry, a click to wait for, a pop-up, or the save steps of the window given as value.
// Stand-in: draws and asks nothing; keeps the text for tests and answers as Esc (27), so nothing is saved.
int16_t message_box(int row, int column, int width, const char* text, uint32_t mode, void* value,
                    int arg, const char* letters, int option, const char* title);

// Test hooks
struct MessageBoxState {
  std::string last_text;     // the text of the last box shown
  uint32_t last_flags = 0;   // its flags
  int shown_count = 0;       // boxes shown since the reset
};
extern MessageBoxState g_message_box;
void reset_message_box();
