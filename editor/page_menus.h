// The Drawing page's menus: the main menu (Esc, "Menu"), the drop-down File, Edit, Draw, Image
// and Marks menus under the page strip's controls, and the node editor's Change menu. Every
// line carries an option code; what each option of the main, File, Edit, Draw and Marks menus
// does is here.
#pragma once

#include <cstdint>

struct TextLine;

// The menus' windows: built at start-up (or on first use) from their catalogue messages and
// kept for the run.
struct PageMenus {
  TextLine* main = nullptr;    // 30
  TextLine* file = nullptr;    // 23
  TextLine* edit = nullptr;    // 34
  TextLine* draw = nullptr;    // 24
  TextLine* image = nullptr;   // 47
  TextLine* marks = nullptr;   // 930
  TextLine* change = nullptr;  // 920, the node editor's Change menu
};
extern PageMenus g_page_menus;

// What the page loop does after a menu option.
enum class PagePass { NONE, SHORT, FULL, HOVER };

// Which menu a key or control opens.
enum class PageMenu { MAIN, FILE, EDIT, DRAW, IMAGE, MARKS };

// Opens a menu and carries out the option chosen in it.
PagePass open_page_menu(PageMenu menu, bool opened_by_click);
// Runs a menu: the option code chosen, or 0. `opened_by_click`: the menu came from a control.
int run_page_menu(PageMenu menu, bool opened_by_click);
// An option of the main, File, Edit or Draw menu (also the page's keys q, u, w, F1 and the
// zoom panel's controls); `skip_first_step`: option 107 without moving the pointer first.
PagePass run_main_option(int option, bool skip_first_step = false);
// An option of the Marks menu.
PagePass run_marks_option(int option);
// The Marks control: the menu when something is marked, else the question whether to restore
// the marks set aside.
PagePass open_marks_menu();

// The window of a menu, built from the catalogue when it was not yet.
TextLine* page_menu_window(PageMenu menu);
// The node editor's Change menu, built on first use.
TextLine* change_menu_window();

// Test hooks
void reset_page_menus();
