// Message boxes: the road by which failures, notices and questions reach the user. A text box
// shows a text (with colour codes) in a framed box placed by flags; it stays as the current
// pop-up, vanishes after some ticks, or waits for a key and returns it.
#pragma once

#include <cstdint>
#include <string>

#include "store/store_host.h"

// Shows the text; with TEXTBOX_WAIT_KEY returns the key or button code that closed the box,
// else 0. The caller's text is left unchanged.
int16_t show_text_box(const char* text, uint32_t flags);

// The general boxed prompt: a text at (row, column) width columns wide, then by mode a choice bar,
// an entry, a click to wait for, a pop-up, or the save steps of the window given as value.
// Stand-in: draws and asks nothing; keeps the text for tests and answers what they set (Esc by default).
int16_t message_box(int row, int column, int width, const char* text, uint32_t mode, void* value,
                    int arg, const char* letters, int option, const char* title);

// Test hooks
struct MessageBoxState {
  std::string last_text;     // the text of the last box shown
  uint32_t last_flags = 0;   // its flags
  int shown_count = 0;       // boxes shown since the reset
  int16_t answer = 27;       // what message_box answers
};
extern MessageBoxState g_message_box;
void reset_message_box();
