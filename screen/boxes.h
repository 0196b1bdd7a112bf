// Boxes, page tabs and the caption strip: the parts the form, the text drawing and the page loop
// call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Stand-in: draws no box yet.
inline void draw_box(int /*style*/, int /*row*/, int /*column*/, int /*height*/, int /*width*/,
                     int /*kind*/) {}

// ---- The page byte ------------------------------------------------------------------------------

// The pages in tab order; the page byte of the preferences holds one, or the quit bit.
constexpr uint8_t PAGE_JOB_SETUP = 0;
constexpr uint8_t PAGE_ENGRAVING_LIST = 1;
constexpr uint8_t PAGE_DRAWING = 2;
constexpr uint8_t PAGE_3D_VIEW = 3;
constexpr uint8_t PAGE_NC_PROGRAM = 4;
constexpr uint8_t PAGE_UTILITIES = 5;
constexpr uint8_t PAGE_LAST = PAGE_UTILITIES;
constexpr uint8_t PAGE_QUIT = 0x10;  // set by a page's quit command: the page loop ends

// ---- Page tabs ----------------------------------------------------------------------------------

constexpr int PAGE_TAB_TEXT_SIZE = 20;  // text bytes with the closing zero

// One tab of a tab strip; positions are pixels, written by layout_tabs.
struct PageTab {
  char text[PAGE_TAB_TEXT_SIZE] = {};
  int16_t x = 0;          // left pixel of the tab text
  int16_t y = 0;          // base line
  int16_t width = 0;      // text width
  uint32_t colour = 0;    // RGB of the tab; 0 = palette colour 169
};

// Stand-in: the strip's layout and current tab only; tabs are drawn as plain text in a frame, with no trapezoids, shading or caption colours.
struct TabStrip {
  std::vector<PageTab> tabs;  // the current table; empty before layout_tabs
  int active = 0;             // index of the current tab
  int top = 0;                // pixels: the strip's offset (top), left and right, base line
  int left = 0;
  int right = 0;
  int base_line = 0;
  std::string caption;        // the caption text, at most CAPTION_TEXT_MAX characters
};
extern TabStrip g_tab_strip;

constexpr int CAPTION_TEXT_MAX = 149;

// The six page tabs, in page order.
const std::vector<PageTab>& page_tab_table();
// Lays out a table (cells: menu-face cells before the first tab) and makes it the current strip;
// returns the first tab's text.
const char* layout_tabs(const std::vector<PageTab>& tabs, int cells, int offset, int left,
                        int right, int base_line);
// Draws the strip (with repaint: its background first).
void draw_page_tabs(int repaint);
// The tab under a pixel, or -1.
int hit_test_page_tab(int x, int y);

// ---- Caption ------------------------------------------------------------------------------------

// Stand-in: keeps a given text as the caption and draws nothing yet.
void draw_caption(const char* text, int active);

// Test hooks
void reset_tab_strip();
