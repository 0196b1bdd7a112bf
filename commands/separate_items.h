// SEPARATE and the split of the marked items: polylines (and the marked items of the shape
// types) become one item per link.
#pragma once

#include "geometry/drawing_item.h"

// Form 818, then the selected polylines of the layer range split into their links, as one undo
// step, and the count said. The number of pieces; 0 when cancelled or nothing was split.
int separate_command();
// Splits the items the edit session's selection mask picks (polylines, circles, points,
// polygons, rectangles, slots, rounded rectangles); the pieces take the mask's marks. The
// total number of pieces.
int separate_marked_items();
// The walk of SEPARATE over the current list (last item first): every selected polyline of
// the layers first..last that splits is handed to `release` (null: deleted). The number of
// pieces.
int separate_polylines(int first_layer, int last_layer, void (*release)(DrawingItem*));
