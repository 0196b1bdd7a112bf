// Spanning a box or a line on the drawing with the mouse (or typing its size) and handing back
// its corners; moving the drawing's origin; and a new text item fitted into a dragged box.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "platform/canvas.h"

// Mode bits of track_rubber_box and rubber_box (the low 16 bits also choose the prompt).
constexpr int32_t RUBBER_ENTRY_BOX = 0x02;      // a box to type the size in
constexpr int32_t RUBBER_DIRECTED = 0x08;       // a line: start and end, unsorted
constexpr int32_t RUBBER_LENGTH_READ_OUT = 0x10;
constexpr int32_t RUBBER_LINE = 0x20;
constexpr int32_t RUBBER_SIZE_READ_OUT = 0x20000;
constexpr int32_t RUBBER_START_AT_ONCE = 0x40000;
constexpr int32_t RUBBER_ANCHORED = 0x80000;
// Results
constexpr int RUBBER_DONE = 0;
constexpr int RUBBER_CANCELLED = 27;
constexpr int RUBBER_SIZE_TYPED = 70;
constexpr int RUBBER_RIGHT_FIRST = 434;

// The two corners in drawing units: p1 lower-left, p2 upper-right (with RUBBER_DIRECTED the
// x values follow the drag and the y values are crossed). Untouched when cancelled.
int rubber_box(PointF* p1, PointF* p2, int32_t mode);
// The interaction in pixels of the drawing area (y from area_top): corners are whole pixels,
// wide enough for any typed size.
int track_rubber_box(int16_t prompt, int32_t mode, CanvasPoint* c1, CanvasPoint* c2);
// The pixel form of constrain_point.
CanvasPoint constrain_pixel_point(int x, int y, int ax, int ay);

// Gives the point under the cursor the coordinates (x, y) by shifting everything; 594 when the
// template stayed where it was, else 0.
int move_origin(float x, float y);
// Moves items (the active ones, or all), template, material box, image and view by (-dx, -dy).
void shift_items(float dx, float dy, uint8_t all, uint8_t flags);
// 2 when the drawing list holds an inactive text item with a text, else 0.
int has_inactive_texts();
// A box, the text (asked for when null) and a new text item fitted into the box; null when
// cancelled.
DrawingItem* new_text_from_box(int16_t font, const char* text, int32_t mode);

// Test hooks
void reset_rubber_box();
