// The Engraving list page (page 1): the job's text items as numbered lines. Typing on a line
// starts its text, Enter edits it, an empty line takes the look of the one above; Insert,
// Delete and the move keys rearrange the lines with every link between texts kept; the page
// menu copies one line's parameters onto others and changes or spaces many texts at once.
#pragma once

#include <cstdint>
#include <vector>

#include "screen/controls.h"
#include "screen/event_queue.h"

struct TextLine;

// The button bar's ids.
constexpr uint8_t TEXT_LIST_FILE_BUTTON = 41;
constexpr uint8_t TEXT_LIST_MENU_BUTTON = 200;
constexpr uint8_t TEXT_LIST_OPEN_BUTTON = 21;
constexpr uint8_t TEXT_LIST_FONTS_BUTTON = 50;
// The page menu's option that starts the copy-parameters mode.
constexpr int TEXT_LIST_COPY_PARAMETERS = 163;

// Texts of the page.
constexpr char TEXT_LIST_HINT_EMPTY[] = "To create some text to engrave,\njust start typing!";
constexpr char TEXT_LIST_HINT_TEXT[] =
    "Press ENTER to  edit the text,\nor just start typing new text to replace it. Press INSERT "
    "to insert blank lines at the cursor bar.";
constexpr char TEXT_LIST_EDIT_STATUS[] =
    "Edit the text in this editing window, and press ENTER when finished.";
constexpr char TEXT_LIST_TYPE_STATUS[] =
    "Type the text to engrave in this editing window, and press ENTER when finished.";
constexpr char TEXT_LIST_PICK_SOURCE[] =
    "Click or press ENTER on the line of text that has the parameters you \nwant to copy to "
    "other lines of text.  Press ESC to cancel.";
constexpr char TEXT_LIST_PICK_TARGETS[] =
    "Now click or press ENTER on each line of text that you want to have those same\n"
    "parameters. Press ESC or click the RIGHT mouse button when finished.";
constexpr char TEXT_LIST_DID_IT[] = "Did it.";
constexpr char TEXT_LIST_MENU_STATUS[] = "Press ESC to cancel";

// The page's state while it runs.
struct TextListPage {
  TextLine* top = nullptr;      // the item on the list's first row
  int mode = 0;                 // TEXT_LIST_MODE_*
  std::vector<uint8_t> copied;  // the parameters picked in the copy mode (392 bytes)
  bool redraw = true;           // the whole page is drawn at the next event
  TextLine* panel_line = nullptr;  // the line whose property page the side panel shows
  std::vector<ScreenControl> buttons;
};
constexpr int TEXT_LIST_MODE_NORMAL = 0;
constexpr int TEXT_LIST_MODE_PICK_SOURCE = 1;
constexpr int TEXT_LIST_MODE_APPLY = 2;
extern TextListPage g_text_list;

// The key filter the page loop installs on the drawing window: runs the page until it is left
// (27; a tab click sets the next page, a quit the quit bit).
EventCode text_list_key();
// The line drawer: the item's number, its check box and its text on a row.
void text_list_line(int row, TextLine* line);
// The page below the tabs: buttons, headings and the list.
void text_list_frame();
// The page as it stands behind a panel over it: the caret ended, the tabs and the frame drawn.
void redraw_text_list_page();

// Test hooks
void reset_text_list_page();
