// The Drawing page's view calls that other pages make: the extents of the drawing, the view
// fitted to them, the redraw of the view, and moving the items with the view.
#pragma once

#include <cstdint>

// The code view_keys takes to redraw the view without changing it.
constexpr int16_t VIEW_KEY_REDRAW = 5003;

// Stand-in: the extents of the current list's items only (no template, material box or image).
void compute_extents();
// Stand-in: the view's left and top edges only; the scale is not refitted.
void set_view_to_extents();
// Stand-in: extents and view window as set_view_to_extents; nothing is drawn yet.
void zoom_to_drawing();
// Stand-in: takes only the redraw code (0, nothing drawn yet); every other code comes back.
int16_t view_keys(int16_t code);
// Moves by (-dx, -dy) every item of a non-zero type that is selected, or every one when all is
// set; the view window moves with them.
// Stand-in: no template, image or text frames move yet; flags are not read.
void shift_items(float dx, float dy, uint8_t all, uint8_t flags);
