// The one-line entry: a temporary one-row text window in which a text or a number is edited in
// place under the character rules of the field flags, with keys that end it, a hand-over to the
// calculator and the paste clean-up. Also the number box that opens it, the pick list over an
// array of texts, and the small routines every field shares.
#pragma once

#include <cstdint>
#include <string>

#include "screen/event_queue.h"
#include "ui/field_flags.h"

struct TextLine;

// The longest text an entry edits.
constexpr int ENTRY_MOST_CHARS = 250;

// Program-wide state of the entry line, kept between the calls of its key filter.
struct EntryLineState {
  uint32_t flags = 0;            // the running entry's field flags
  uint16_t exit_keys = 0;        // its exit keys
  int limit = 0;                 // the most characters
  EventCode ending_key = 0;      // the key that ended the entry (0 when cancelled)
  int ending_column = 0;         // the caret's text column when it ended
  bool calculator = false;       // an operator typed in a number field hands over to the calculator
  bool pasted = false;           // a paste came: the next call tidies the line
  bool click_outside = false;    // a click outside ended the entry; the pointer stays there
  int row = 0;                   // the entry's row, column and shown width in cells
  int column = 0;
  int width = 0;
  int help_topic = 0;            // handed to the help hook by Ctrl+F1
  void (*repaint_hook)() = nullptr;          // a pending repaint calls it (and redraws the line)
  void (*help_hook)(int topic) = nullptr;    // Ctrl+F1
};
extern EntryLineState g_entry;

// Edits `text` in place at (row, column). width > 0: the shown width and the most characters;
// width <= 0: keeps the current field width and allows -width characters (at most 250).
// `text` must hold at least the most characters + 1 bytes. Returns the ending key (0 when none)
// when nothing changed or the entry was cancelled, its negative when the text was changed, and
// FIELD_CHANGED when the calculator changed the value.
int16_t edit_text_line(char* text, int row, int column, const char* title, uint32_t flags,
                       int width, uint16_t exit_keys);
// The entry window's key filter.
EventCode entry_key_filter();

// The text of a number entry's value (its type by the field flags: long, hex, byte, float,
// short); with zero_empty a value of 0 gives an empty text.
std::string number_entry_text(const void* value, uint32_t flags, bool zero_empty);
// Reads the text back into the value: a byte clamps to -127..255 (an empty text is 0), hex reads
// as a 16-bit hexadecimal value.
void store_number_entry(void* value, uint32_t flags, const char* text);

// A field showing a number (float, byte, short or long by the flags) that opens the entry on
// the first digit, Backspace or a click, clears on Del (-339), and leaves on the exit keys.
int16_t edit_number_box(int row, int column, int width, void* value, uint32_t flags,
                        uint16_t exit_keys);

// A list window over a null-ended array of texts: the chosen index, or -1 (cancelled, or no
// texts).
int pick_from_strings(const char* const* strings, const char* title, int row, int column,
                      int preselected, uint32_t window_flags);

// The I-beam pointer (unless the pointer already is a text shape); the window's repaint bits
// are cleared.
void text_pointer_shape();
// While an entry runs, redraws the window under it (a dialog form draws its fields again).
void redraw_under_entry();

// Test hooks
void reset_entry_line();
