// Boxes, page tabs and the caption strip: the parts the form, the text drawing and the page loop
// call.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/canvas.h"

// ---- Boxes and pixel primitives -----------------------------------------------------------------

// draw_box style bits
constexpr int BOX_SHADOW = 0x0004;
constexpr int BOX_FILL_141 = 0x0008;
constexpr int BOX_INSET = 0x0010;
constexpr int BOX_FILL_GREY = 0x0020;
constexpr int BOX_TALL = 0x0040;
constexpr int BOX_LEFT = 0x0080;
constexpr int BOX_INVERT = 0x0100;
constexpr int BOX_FILL_KIND = 0x0200;
constexpr int BOX_RAISED = 0x0400;
constexpr int BOX_SUNKEN = 0x0800;
constexpr int BOX_THIN = 0x1000;
constexpr int BOX_ETCHED = 0x2000;
constexpr int BOX_HOLLOW = 0x4000;
constexpr int BOX_DARK = 0x8000;
constexpr int BOX_LEVEL_BAR = 0x00E4;

// Shading patterns
constexpr int PATTERN_CHECKER = 0;
constexpr int PATTERN_LIGHT = 1;
constexpr int PATTERN_SHADOW = 2;

// Fixed colours, 0x00RRGGBB
constexpr uint32_t RGB_WHITE = 0xFFFFFF;
constexpr uint32_t RGB_GREY = 0x808080;
constexpr uint32_t RGB_FACE = 0xECECEC;
constexpr uint32_t RGB_FACE_EDGE = 0xE0E0E0;

// A framed box. row >= 0: cells (row, column, height and width in cells); row < 0: pixels
// (y = -row, x = column, height and width in pixels). kind chooses the BOX_FILL_KIND colour.
void draw_box(int style, int row, int column, int height, int width, int kind);
// Paints a rectangle through a shading pattern: its black pixels darken what lies beneath.
void pattern_rect(int pattern, int left, int top, int right, int bottom);
// Hides the pointer and darkens a rectangle through the light pattern; nothing while the
// interface settings switch shading off.
void shade_rect(int left, int top, int right, int bottom);
// A one-pixel line in a palette colour, and one with the screen canvas's current pen.
void draw_colour_line(int x1, int y1, int x2, int y2, int palette_index);
void draw_line(int x1, int y1, int x2, int y2);
// A solid polyline XORed in the third text colour against the background: twice removes it.
void xor_polyline(std::span<const CanvasPoint> points);
// XORs a colour (0x00RRGGBB) over a rectangle; twice restores it.
void xor_fill_rect(int left, int top, int right, int bottom, uint32_t rgb);
void fill_rect(int left, int top, int right, int bottom, uint32_t rgb);
// Outlines a rectangle in a palette colour with a pen mix (CanvasMix), then back to copying.
void frame_rect(int left, int top, int right, int bottom, int palette_index, int mix);
// The framebuffer pixel of a colour value (0x00BBGGRR).
uint32_t colour_pixel(uint32_t colour_value);
// The vertical level bar: bottom row, column, rows, value, maximum; options 0x02 prints the value
// above it, options <= 0 animates the fill one pixel row a tick until a character ends it (that
// character stays queued). A maximum <= 0 draws the frame only; a value above it fills the bar.
void draw_progress_bar(int bottom_row, int column, int rows, int value, int maximum, int options);

// One picture of the check-box list: unchecked or checked, in the size of the display band.
void draw_check_box(bool checked, int x, int y);

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

struct TabStrip {
  std::vector<PageTab> tabs;  // the current table; empty before layout_tabs
  int active = 0;             // index of the current tab
  int top = 0;                // pixels: the strip's offset (top), left and right, base line
  int left = 0;
  int right = 0;
  int base_line = 0;
  std::string caption;        // the caption text, at most CAPTION_TEXT_MAX characters
  bool caption_suppressed = false;  // a full-screen view: no caption; cleared by page entry
  bool button_bar_running = false;  // a button bar has the pointer: no tab is hit
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
// Draws one tab: a trapezoid, shaded when active.
void draw_tab(const PageTab& tab, bool active);
// The tab under a pixel: its index; -1 in the tab band past the last tab or above the band;
// -2 below the strip, with no strip, or while a button bar runs. A hit sets the hand pointer.
int hit_page_tab(int x, int y);

// ---- Caption ------------------------------------------------------------------------------------

// Caption colours, 0x00RRGGBB: active and inactive strip and text.
constexpr uint32_t CAPTION_ACTIVE = 0x000080;
constexpr uint32_t CAPTION_ACTIVE_TEXT = 0xFFFFFF;
constexpr uint32_t CAPTION_INACTIVE = 0x808080;
constexpr uint32_t CAPTION_INACTIVE_TEXT = 0xC0C0C0;

// A given text (cut at CAPTION_TEXT_MAX characters) replaces the caption; then the caption strip
// is drawn in the active or inactive colours.
void draw_caption(const char* text, int active);

// Test hooks
void reset_tab_strip();
