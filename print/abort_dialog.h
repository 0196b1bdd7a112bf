// The printing-cancel box: a small box in cells, titled "Printing", with one button, "Cancel the
// printing", that the printing loops poll between pages and bands. While it is open the program
// is printing (g_form.printing): the timer draws nothing, every other input is dropped, and a
// press of the button (a click, Enter or Space) or the text printer's stop key (Ctrl+X) only sets
// the flag; the printing code decides how to stop.
#pragma once

#include <string>
#include <vector>

#include "screen/controls.h"
#include "ui/framed_box.h"

constexpr char ABORT_DIALOG_TITLE[] = "Printing";
constexpr char ABORT_DIALOG_BUTTON[] = "Cancel the printing";
constexpr uint8_t ABORT_DIALOG_BUTTON_ID = 1;

struct TAbortDialog {
  bool cancelled = false;             // set once the button was pressed; never cleared
  std::string text;                   // the progress line shown in the box
  FramedBox box;
  std::vector<ScreenControl> controls;  // the button and the end record
  uint8_t printing_before = 0;        // g_form.printing when the dialog opened
  int top_row = 0;                    // the box's first row and column inside its frame
  int left_column = 0;
};

// Opens the box centred on the screen and dispatches pending input once; never null.
TAbortDialog* open_abort_dialog();
// Shows the text as the progress line, then polls: 1 when the user has cancelled, else 0.
int show_printing_progress(TAbortDialog* dialog, const std::string& text);
// The cancelled flag after handling the input that waits.
int printing_cancelled(TAbortDialog* dialog);
// Closes the box and puts the screen back.
void close_abort_dialog(TAbortDialog* dialog);
// Reads every waiting input code: a press of the button sets the flag; everything else is
// dropped. Returns the flag.
int abort_dialog_pump(TAbortDialog* dialog);
