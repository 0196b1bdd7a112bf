// Picking a stroke font and looking at its glyphs: the "Choose a Font" list of the registered
// fonts, the symbol-font menu, and the font viewer page that shows every glyph of a font a page
// at a time and, in pick mode, lets the user pick one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "screen/controls.h"
#include "text/stroke_fonts.h"

// pick_font modes: the Drawing page's symbol command picks a glyph from the symbol fonts; the
// Engraving list's "Show Brenvik fonts" views any registered font.
constexpr int PICK_FONT_SYMBOLS = 0;
constexpr int PICK_FONT_VIEW = 580;
// font_viewer_page modes and results (a picked character is positive).
constexpr int FONT_VIEWER_PICK = 1;
constexpr int FONT_VIEWER_VIEW = 2;
constexpr int FONT_VIEWER_CANCELLED = -1;
constexpr int FONT_VIEWER_OTHER_FONT = 0;

constexpr char FONT_LIST_TITLE[] = "Choose a Font";
constexpr char SYMBOL_LIST_TITLE[] = "Symbols - RIGHT button: cancel";
constexpr char NO_STROKE_FONTS_LINE[] = "No Brenvik fonts!";
constexpr char NO_SYMBOL_FONTS_LINE[] = "Aint no symbols!";
constexpr int16_t NO_SYMBOL_FONTS_ID = -30000;
constexpr char PICK_FONT_STATUS[] =
    "Select a font, or...\npress ESC (or the RIGHT mouse button) to cancel";
constexpr char VIEWER_WHOLE_FONT[] = "Entire font is showing.";
constexpr char VIEWER_RIGHT_BUTTON[] = "Click RIGHT mouse button to select a different font.";

// The viewer's button bar.
constexpr uint8_t VIEWER_NEXT_PAGE = 1;
constexpr uint8_t VIEWER_PREV_PAGE = 2;
constexpr uint8_t VIEWER_CHANGE_FONT = 3;
constexpr uint8_t VIEWER_KEYS = 4;
constexpr uint8_t VIEWER_BOXES = 5;
constexpr uint8_t VIEWER_CANCEL = 6;

// The viewer while it runs: the font, its title line, the page shown and the options.
struct FontViewer {
  const StrokeFont* font = nullptr;
  std::string title;       // the line written above the glyphs
  int pages = 0;           // pages of the current list's glyph items
  int page = 1;            // the page shown, 1..pages
  bool show_keys = false;  // "Keyboard key": each glyph's key under it
  bool boxes = false;      // "Boxes": the glyphs' frames drawn too
  std::vector<ScreenControl> buttons;
};
extern FontViewer g_font_viewer;
void reset_font_viewer();

// Runs a list window over the current list's lines (made by the caller after push_list; the
// window takes them and the list is popped): the chosen line's id, or -1.
int run_font_list(const char* title);
// The "Choose a Font" list of the registered stroke fonts, sorted by title: the chosen font's
// number, or -1.
int choose_stroke_font();
// The symbol-font menu: the chosen symbol font's number, or -1 (also for "Aint no symbols!").
int choose_symbol_font();

// The viewer's title for a font in pick mode (1) or view mode (2).
std::string font_viewer_title(const StrokeFont* font, int mode);
// Shows the glyph items of the current list (made by append_font_viewer_items for
// g_font_viewer.font) in the drawing area until the user leaves: FONT_VIEWER_CANCELLED,
// FONT_VIEWER_OTHER_FONT or, in pick mode, the picked character. The Drawing page's
// "show text boxes" and "show tool width" are given back on every way out.
int font_viewer_page(int mode);
// Lets the user pick a font and, in PICK_FONT_SYMBOLS mode, one of its glyphs: the chosen
// font's number (0 when none was chosen), with the glyph's character in *picked (0 when none).
int pick_font(int mode, uint8_t* picked);
