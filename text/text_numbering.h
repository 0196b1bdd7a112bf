// The numbers of text items and what keeps links between texts whole: a text that follows
// another names that text's number, so every renumbering rewrites those names, and moving,
// inserting and copying lines of the Engraving list go through it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "geometry/drawing_item.h"

// The bytes of a text block copied between lines: the header, the machining block and the
// layout, with (612) or without (388) the frame, and the 392 the copy-parameters mode keeps.
constexpr size_t TEXT_COPY_WITH_FRAME = 612;
constexpr size_t TEXT_COPY_LAYOUT = 388;
constexpr size_t TEXT_COPY_PICKED = 392;

// ---- numbers ----
// True for a line of the drawing that is a text item.
bool line_is_text_item(const DrawingItem* line);
// The number a following text names (0: it follows nothing).
int16_t text_link_number(const DrawingItem* item);
void set_text_link_number(DrawingItem* item, int16_t number);
// Numbers the text items of the current list start, start + step, ... in list order, and
// rewrites every link to the new number of the text it named (a link naming no text is
// cleared). Returns the count, or -1 (nothing changed) when the numbers would not fit 16 bits.
int renumber_text_items(int start, int step);

// ---- moving lines ----
// Moves one text line a line up (473) or down (474) so that every link to it or from it follows:
// 1 moved, 0 at the list's end (or beside the trailing empty line).
int move_text_item_line(DrawingItem* item, int key);
// Moves the item, or with `checked` every checked text line, a line up (473) or down (474).
// Returns the number of lines moved.
int move_text_items(DrawingItem* current, int key, bool checked);

// ---- lines ----
// True for a line whose text is empty or starts with a line break.
bool text_line_is_empty(const DrawingItem* line);
// Copies `bytes` of the source's text block onto the item (612 the whole block with the frame,
// 388 without it); the copy finds its own TrueType face from its description.
void copy_text_block(const DrawingItem* from, DrawingItem* to, size_t bytes);
// When the line before the item has text, its whole text block: 1, else 0.
int copy_previous_parameters(DrawingItem* item);
// A blank text item above `current` (null: at the list's end) taking the line above's
// parameters; the texts numbered 1..n. The new item, or null when memory runs out.
DrawingItem* insert_text_item_above(DrawingItem* current);
