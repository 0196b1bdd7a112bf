// The font viewer's items: one text item per glyph of a stroke font, laid out on a grid of
// pages, and the choice of which page is shown. The viewer page draws and picks them.
#pragma once

#include "geometry/drawing_item.h"
#include "text/stroke_fonts.h"

// The grid: cells this far apart, columns from x = 0 while x stays within the right edge, rows
// from the top downwards while y stays at or above 0. Symbol fonts get a smaller grid.
constexpr float GLYPH_GRID_STEP = 1.3f;
constexpr float GLYPH_GRID_RIGHT = 9.9f;
constexpr float GLYPH_GRID_TOP = 6.3f;
constexpr float SYMBOL_GRID_RIGHT = 7.4f;
constexpr float SYMBOL_GRID_TOP = 4.0f;
constexpr int GLYPH_PAGE_ITEMS = 40;
constexpr int SYMBOL_PAGE_ITEMS = 24;

// The number of glyph items one page of a font shows.
int glyph_page_size(int16_t font_number);
// True when the font (with its glyph table read) has a glyph for the code.
bool font_has_glyph(const StrokeFont* font, int code);
// Appends to the current list one text item per glyph of the font (codes 33 to 175 that have a
// glyph): its character as text, the font, width factor 1, centred in both directions, height
// 1 (or 1 / the advance for a glyph wider than 1) and no pen allowance, placed on the grid. Every
// item starts hidden (state 0). Returns the number of pages (0 when the font has no glyph or
// memory ran out; the items appended so far then stay for the caller to free).
int append_font_viewer_items(const StrokeFont* font);
// Shows page `page` (from 1) of the viewer items that start at `first`: its items get state 1,
// every other item 0. The first item of the page, or null (nothing changed) when there is no
// such page.
DrawingItem* show_glyph_page(DrawingItem* first, int page);
