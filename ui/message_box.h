// Message boxes: the road by which failures, notices and questions reach the user. A text box
// shows a text (with colour codes) in a framed box placed by flags; it stays as the current
// pop-up, vanishes after some ticks, or waits for a key and returns it. message_box is the
// general boxed prompt under them all: a choice bar, a number or text entry on the box's last
// line, a wait for a click, a pop-up, or the save steps of a text window's file.
#pragma once

#include <cstdint>
#include <string>

#include "store/store_host.h"

struct TextLine;

// ---- message_box modes (the low bits are the field flags of a number or text entry) -----------
constexpr uint32_t MSGBOX_CHOICE = 0x10000;          // a button bar of choice words under the text
constexpr uint32_t MSGBOX_WAIT = 0x20000;            // wait for a click or key
constexpr uint32_t MSGBOX_POPUP = 0x40000;           // draw and leave the box as the current pop-up
constexpr uint32_t MSGBOX_SAVE = 0x80000;            // save the window's file through the save hook
constexpr uint32_t MSGBOX_SAVE_AS = 0x100000;        // ask for a file name, then save
constexpr uint32_t MSGBOX_COPY_TO_FLOPPY = 0x200000; // save a copy elsewhere
constexpr uint32_t MSGBOX_SMALLEST_FONT = 0x800000;
constexpr uint32_t MSGBOX_MEDIUM_FONT = 0x10000000;
constexpr uint32_t MSGBOX_SMALL_FONT = 0x20000000;

// Row and column that centre a box.
constexpr int MSGBOX_CENTRE = 32000;
// The title of a box that waits for a key and brings none of its own.
constexpr const char* PRESS_A_KEY_TITLE = "Press a key to continue";
constexpr const char* CANCEL_TITLE = "ESC or RIGHT mouse button: CANCEL";
constexpr const char* NULL_MESSAGE_TEXT = "* NULL message *";

// Shows the text; with TEXTBOX_WAIT_KEY returns the key or button code that closed the box,
// else 0. The caller's text is left unchanged.
int16_t show_text_box(const char* text, uint32_t flags);
// A catalogue message after the caller's text (each message line on a line of its own), in a box
// that waits for a key; a missing message shows the caller's text alone.
void show_catalogue_box(int number, const std::string& before);

// The general boxed prompt: a text at (row, column), `width` columns to start with, then by mode
// a choice bar, an entry, a wait, a pop-up, or the save steps of the window given as value.
//   row: MSGBOX_CENTRE centres; negative: the top row; else the row of the box's middle.
//   column: 0 the whole screen width; MSGBOX_CENTRE centres; negative: the left column; else the
//     column of the box's middle.
//   value: number entry: the variable (its type by the field flags); text entry: the text buffer
//     (edited in place, at most `arg` columns wide or -arg bytes long); choice: the choice words;
//     wait: an optional last line; save modes: the window node (a TextLine*) whose file is saved.
//   arg: entry: the field width; choice: the preselected index; pop-up: the window flags; save
//     modes: passed to the save hook.
//   letters: choice: the hot letters or null; text entry: null or the entry's column from the
//     box's left column, in decimal.
//   option: the window option word (its low byte the colour base).
//   title: drawn in the frame; may be null.
// Returns the chosen index of a choice (27 on cancel), the entry's result (negative: changed and
// stored) for a number entry, its absolute value for a text entry, the code that ended a wait,
// the save hook's result for the save modes, 0 for a pop-up.
int16_t message_box(int row, int column, int width, const char* text, uint32_t mode, void* value,
                    int arg, const char* letters, int option, const char* title);

// A yes/no question: 0 for No, 1 for Yes, 27 for Esc or the right button (5555 and 5001 come
// back as they are). preselected: the label shown first (0 No, 1 Yes).
int16_t ask_yes_no(const char* text, int preselected);
// A catalogue choice prompt (message numbers -20001 and below): the chosen word's index, or 27.
int16_t ask_catalogue_choice(int message_number, int preselected);

// The lines of a box text (a last line counts only when it shows a character) in *lines, and the
// widest line's display length as the result.
int text_block_size(const char* text, int* lines);

// ---- The save hook -----------------------------------------------------------------------------
// Saves the file of a text window: arg is the caller's, copy 0 a save, 1 a copy elsewhere.
// Returns the box's result.
using SaveHook = int16_t (*)(int arg, TextLine* window, int copy);
// Where the last box stood, in the cells of its font (what tests read back).
struct BoxLayout {
  int top = 0;          // the box's rows top .. top + count - 1
  int count = 0;
  int left = 0;         // its columns left .. left + width
  int width = 0;
  int rows = 0;         // the last row and column of its font's screen
  int columns = 0;
  uint8_t font_mode = 0;
  bool top_set = false; // the fit put the box at the bottom
  int bar_column = 0;   // a choice bar's column
};

// Start-up installs the text-file saver; the job commands put their own in for their call.
struct MessageBoxState {
  SaveHook save_hook = nullptr;  // null: the save modes save nothing and answer 27
  std::string copy_folder;       // the folder of the last copy elsewhere; empty: none yet
  // What tests read back
  std::string last_text;     // the text of the last box shown
  uint32_t last_flags = 0;   // its flags (show_text_box) or mode (message_box)
  int shown_count = 0;       // boxes shown since the reset
  BoxLayout last_box;        // where the last box stood
};
extern MessageBoxState g_message_box;


// Test hooks
// No save hook, no boxes counted.
void reset_message_box();
