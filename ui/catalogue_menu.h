// Catalogue pop-up menus: a menu is a catalogue message whose first line is its title and whose
// further lines are its items, each "[!][>PICTURE] ID [SUBMENU] TEXT". menu_from_catalogue turns
// it into a text window of item lines (and windows for its submenus in the same window list);
// run_window runs it with menu_key_filter, which walks the items with keys and the pointer,
// opens submenus beside their item, shows the item's picture and returns the chosen item.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/canvas.h"
#include "screen/event_queue.h"
#include "store/line_list.h"

// Placements of a top menu (a submenu's placement is its item's id).
constexpr int MENU_PLACEMENT_PAGE = -1;   // a page's main menu
constexpr int MENU_PLACEMENT_BAR = -3;    // a menu of a page's menu bar

// Item lines: the line's id is the command id (-1: a heading or separator, never chosen); kind
// bit 0x10; state bits below; attribute bytes 0-1 the picture number, 2-3 the submenu message.
constexpr uint8_t MENU_ITEM_KIND = 0x10;
constexpr uint8_t MENU_ITEM_HAS_SUBMENU = LINE_STATE_SUBMENU;
constexpr uint8_t MENU_ITEM_EXITS = LINE_STATE_MENU_EXIT;  // '!': choosing it sets the exit depth
constexpr int16_t MENU_SEPARATOR_ID = -1;

struct MenuState {
  uint32_t option_word = 0;      // window flags of the menus built next
  int16_t failed_message = 0;    // the message of the last menu that could not be built
  int16_t submenu_choice = 0;    // the id chosen in a submenu (or in its submenu), read after 450
  int16_t second_level_choice = 0;  // the id chosen in a submenu of a submenu
  uint8_t exit_depth = 0;        // 1-3: a '!' item was chosen at that depth
  int depth = 0;                 // 0 while a top menu runs, 1 in a submenu, 2 below that
  EventCode last_key = 0;        // the last key the filter gave the run loop
  // The picture shown beside the menu.
  const TextLine* picture_item = nullptr;
  bool picture_shown = false;
  CanvasSaveUnder picture_under;
};
extern MenuState g_menus;

// ---- Building -----------------------------------------------------------------------------------

// The menu window of catalogue message `message` under parent (null: a new window list), with
// windows for its submenus in the same window list; null, with the number kept in
// g_menus.failed_message, when the catalogue lacks it. A submenu that is missing, or that is one
// of its own ancestors, leaves its item without the submenu mark.
TextLine* menu_from_catalogue(TextLine* parent, int placement, int message);
// Skips blanks and reads a decimal number (0 when there is none); after a number other than 0,
// the digits and the characters from '-' to '9' that follow are skipped too. The position after.
const char* parse_menu_number(const char* text, int* number);
// The submenu window of an item line of the active menu, or null.
TextLine* submenu_of(const TextLine* item);

// ---- Running ------------------------------------------------------------------------------------

// The key filter of menu windows.
EventCode menu_key_filter();
// Runs a menu placed at (row, column) as place_window takes them (row < 0: top row -row - 1; 0
// and 0 leave it where it is) and puts back the screen under it: the option code of the choice
// (the cascaded submenu choice when positive, else the chosen line's id), or 0 when nothing was
// chosen.
int run_catalogue_menu(TextLine* menu, int row, int column);
// The keys of menus and forms: nothing for codes 0 and below; Up on the first line and Down on
// the last line of a fixed list are dropped (0; Down leaves the pointer below the list); a left
// click over the menu is Enter, elsewhere stays a click; a right click is Esc.
EventCode menu_key_remap(EventCode code);
// Shows the current item's picture beside the menu; -1 forgets the shown item, -2 also takes the
// picture off the screen.
void show_item_picture(int mode);
// The cursor line drawn with, or without, the selection colours.
void draw_cursor_line_selected();
void draw_cursor_line();
// Right (333) when the pointer lies right of the active window, Left (331) left of it, else 0.
EventCode pointer_column_key();
// Closes the menu window whose node id is id, putting back the screen under it, and makes the
// window active before it current again.
void close_menu_by_id(int id);

// ---- Menu texts ---------------------------------------------------------------------------------

// Sets the flags word of every window from node to the end of its window list.
void set_window_list_flags(TextLine* node, uint32_t flags);
// In a menu text, the word "hide" or "show" before the hot letter (upper case first, then lower)
// becomes "hide" when hide is non-zero, else "show".
void set_hide_show_word(std::string* text, char letter, int hide);
// Clears the hover and says "Press ESC to cancel" on the status line over a shaded screen.
void show_esc_to_cancel();

// Test hooks
void reset_menu_state();
