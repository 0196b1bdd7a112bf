// Catalogue pop-up menus: a menu is a catalogue message whose first line is its title and whose
// further lines are its items; menu_from_catalogue turns it into a text window of item lines.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "screen/text_output.h"
#include "store/catalogue.h"
#include "ui/list_window.h"
#include "ui/run_window.h"
#include "ui/text_window.h"
#include "ui/window_frames.h"

// Window options of a menu by its placement.
constexpr int MENU_PLACEMENT_PAGE = -1;   // a page's main menu
constexpr int MENU_PLACEMENT_BAR = -3;    // a menu of a page's menu bar

// Stand-in: the option word and the number of a menu that could not be built; no chosen ids, exit depth or shown picture yet.
struct MenuState {
  uint32_t option_word = 0;    // window flags of the menus built next
  int16_t failed_message = 0;  // the message of the last menu that could not be built
};
inline MenuState g_menus;

// The menu window of catalogue message `message` under parent (null: a new window list); null,
// with the number kept in g_menus.failed_message, when the catalogue lacks it.
// Stand-in: one plain line per item text, no ids, pictures or submenus, and no menu key filter.
inline TextLine* menu_from_catalogue(TextLine* parent, int placement, int message) {
  if (find_message(message) == 0) {
    g_menus.failed_message = static_cast<int16_t>(message);
    return nullptr;
  }
  read_message_line(0);
  const std::string title = message_text();
  uint16_t options = 70;
  if (placement == MENU_PLACEMENT_PAGE) options = 60;
  if (placement == MENU_PLACEMENT_BAR) options = 130;
  if (push_list() < 0) return nullptr;
  clear_current_list();
  int count = 0;
  int width = 0;
  while (read_message_line(0) > 0) {
    const std::string item = message_text();
    if (append_line(item.c_str()) == nullptr) break;
    ++count;
    width = std::max(width, static_cast<int>(item.size()));
  }
  TextLine* node = create_window(parent, {
      .top_row = 1, .left_column = 1, .bottom_row = count, .right_column = width + 1,
      .flags = g_menus.option_word, .line_drawer = draw_window_line, .options = options,
      .legend = LIST_WINDOW_LEGEND, .wrap_width = 250, .title = title.c_str(),
  });
  if (node == nullptr) free_current_list();
  pop_list();
  if (node == nullptr) return nullptr;
  node->id = static_cast<int16_t>(placement);
  node->state = placement >= 0 ? 4 : (placement == MENU_PLACEMENT_PAGE ? 2 : 0);
  return node;
}

// Runs a menu placed at (row, column) as place_window takes them (0 and 0 leave it where it is)
// and puts back the screen under it: the option code of the chosen line, or 0 when nothing (or
// a heading) was chosen.
// Stand-in: the option code is read from the front of the chosen line's text; no submenus.
inline int run_catalogue_menu(TextLine* menu, int row, int column) {
  TextWindow* window = window_of(menu);
  if (window == nullptr) return 0;
  if (row != 0 || column != 0) place_window(window, row, column);
  push_active_window();
  TextLine* chosen = run_window(menu);
  close_window_background();
  pop_active_window();
  if (chosen == nullptr) return 0;
  const char* text = chosen->text.c_str();
  if (*text == '!') ++text;
  if (*text == '>') {
    ++text;
    while (*text >= '0' && *text <= '9') ++text;
  }
  while (*text == ' ') ++text;
  int code = 0;
  while (*text >= '0' && *text <= '9' && code < 100000) code = code * 10 + (*text++ - '0');
  return code;
}

// The keys of menus and forms: nothing for codes 0 and below; Up on the first line and Down on
// the last line of a fixed list are dropped (0; Down leaves the pointer below the list); a left
// click over the menu is Enter, elsewhere stays a click; a right click is Esc.
EventCode menu_key_remap(EventCode code);
