#include "text/font_viewer_items.h"

#include "records/cam_params.h"
#include "text/text_items.h"
#include "text/text_layout.h"

int glyph_page_size(int16_t font_number) {
  return font_number >= FONT_NUMBER_SYMBOL_BASE ? SYMBOL_PAGE_ITEMS : GLYPH_PAGE_ITEMS;
}

bool font_has_glyph(const StrokeFont* font, int code) {
  if (font == nullptr || (font->state & FONT_TABLE_NOT_LOADED) != 0) return false;
  if (code < FONT_FIRST_GLYPH_CODE || code > FONT_LAST_CODE) return false;
  return font->table.offset[code - FONT_FIRST_CODE] > 0;
}

int append_font_viewer_items(const StrokeFont* font) {
  if (font == nullptr) return 0;
  const bool symbols = font->number >= FONT_NUMBER_SYMBOL_BASE;
  const float right = symbols ? SYMBOL_GRID_RIGHT : GLYPH_GRID_RIGHT;
  const float top = symbols ? SYMBOL_GRID_TOP : GLYPH_GRID_TOP;
  int pages = 0;
  // Grid positions counted in whole steps, so that no sum of steps drifts past an edge.
  int column = 0;
  int row = 0;
  for (int code = FONT_FIRST_GLYPH_CODE; code <= FONT_LAST_CODE; ++code) {
    if (!font_has_glyph(font, code)) continue;
    if (column == 0 && row == 0) ++pages;
    DrawingItem* item = new_text_item();
    if (item == nullptr) return 0;
    const char text[2] = {static_cast<char>(code), '\0'};
    item = set_line_text(text, item);
    if (item == nullptr) return 0;
    item->state = 0;
    GeometryBlock* block = item_block(item);
    set_text_item_cut_width(block, 0.0f);
    uint8_t* stored = block_text_layout(block);
    const float advance = font_advance(font, code);
    TextLayout l;
    l.font_number = font->number;
    l.width_factor = 1.0f;
    l.h_justify = JUSTIFY_CENTRE;
    l.v_justify = JUSTIFY_MIDDLE;
    l.height = l.entered_height = advance > 1.0f ? 1.0f / advance : 1.0f;
    l.anchor = {column * GLYPH_GRID_STEP, top - row * GLYPH_GRID_STEP};
    write_text_layout(l, stored);
    layout_text_item(item);
    // The next cell: along the row, then down; a full page starts again at the top.
    if ((column + 1) * GLYPH_GRID_STEP <= right) {
      ++column;
    } else {
      column = 0;
      if (top - (row + 1) * GLYPH_GRID_STEP >= 0.0f) ++row;
      else row = 0;
    }
  }
  return pages;
}

DrawingItem* show_glyph_page(DrawingItem* first, int page) {
  if (first == nullptr || page < 1) return nullptr;
  const uint8_t* stored = block_text_layout(item_block(first));
  if (stored == nullptr) return nullptr;
  TextLayout l;
  read_text_layout(stored, &l);
  const int size = glyph_page_size(l.font_number);
  DrawingItem* start = first;
  for (int k = 0; k < (page - 1) * size && start != nullptr; ++k) start = start->next;
  if (start == nullptr) return nullptr;
  int index = 0;
  const int from = (page - 1) * size;
  for (DrawingItem* item = first; item != nullptr; item = item->next, ++index)
    item->state = index >= from && index < from + size ? ITEM_FLAG_SELECTED : 0;
  return start;
}
