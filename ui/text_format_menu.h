// The format menu of engraving text (Alt+= while the text of a text item is edited from its
// property page): superscript, subscript and kerning codes at the caret, and the size and raise
// form (form 300).
#pragma once

#include <cstdint>

#include "screen/event_queue.h"

struct FormatMenuState {
  bool enabled = false;  // set while a text item's text is edited with formats allowed
  int size_percent = 100;   // form 300's values while it runs
  int raise_percent = 0;
};
inline FormatMenuState g_format_menu;

// The menu at the caret of the active editing window. It changes the line itself (raise and
// size codes) and returns 0, or returns the argument byte of a kerning code for the editor to
// type at the caret (143 + percent); 0 when disabled or cancelled.
int text_format_menu();
// Asks for a kerning value from -110 to +110 percent (asked again outside it): 143 + percent,
// or 0 when cancelled.
int ask_kerning_value(int current_percent);
// Form 300's field handler: field 0 the bar, 1 the size percent, 2 the raise percent.
EventCode format_form_field();

// The form's rules: a size cut down to a multiple of 3 within 3..300; a raise made even
// (toward 0) within -200..240.
int clamp_format_size(int percent);
int clamp_format_raise(int percent);
