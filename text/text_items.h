// Engraving text items: creating them, keeping frame and layout in step, format codes.
#pragma once

#include <cstdint>
#include <string>

#include "geometry/drawing_item.h"
#include "text/text_layout.h"
#include "store/line_list.h"

// Appends a text item (type 28, kind 2, four frame links) with an empty text, gives it the
// defaults of the job's text cut type (init_text_item) and numbers it one above the highest
// text item before it. Returns the item, or null when memory runs out.
DrawingItem* new_text_item();
// Gives a text item's block (the item's own when block is null) the machining defaults of the
// job's cut type for new texts and the layout of the text defaults serving it (centerline for
// cut types 0 and 1, pocket for 4, contour for the others); converts it to millimetres when the
// job is metric and the defaults are in inches. With an item, a font number other than 0
// makes it a stroke-font text in that font; otherwise a face named by the defaults is found.
void init_text_item(DrawingItem* item, GeometryBlock* block, int16_t font);
// Converts a text item's block into the job's (new) units: its lengths in the layout and in
// the machining block are multiplied by 25.4 (now millimetres) or 0.03937 (now inches).
void convert_text_item_units(GeometryBlock* block);
// Drops the fonts' glyph data, then reads again the glyph table of every font a text item of
// the drawing uses; with relayout each such text is laid out again from its length 0 and its
// frame set from its corners.
void reload_text_fonts(bool relayout);
// The text item of the current list with the number n, or null.
DrawingItem* find_text_item_by_number(int16_t number);

// The machining block bytes a text layout reads: the operation and the finishing cut width.
uint8_t text_item_operation(GeometryBlock* block);
float text_item_cut_width(GeometryBlock* block);
void set_text_item_cut_width(GeometryBlock* block, float width);

// The frame links from the corners kept in the layout (the stored 192 bytes).
void set_text_frame_from_corners(uint8_t* layout, LinkRecord* first_frame_link);
// The frame links from node 0, the length, height, angle and slant (or the arc data).
void rebuild_text_frame(uint8_t* layout, LinkRecord* first_frame_link);

// The format codes at the cursor: bit 1 a raise code, bit 2 a size code was found. Mode 0 reads
// their values into *raise_percent and *size_percent; mode 1 writes them into the codes.
struct FormatValues {
  int raise_percent = 0;
  int size_percent = 100;
};
int sync_format_codes(std::string* text, size_t cursor, int mode, FormatValues* values);
// True for a text in a stroke font: its glyphs are open strokes, engraved along their centre
// line only (no contour, no pocket).
bool text_is_single_stroke(DrawingItem* item);
