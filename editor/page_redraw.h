// Painting the drawing area: the two paint boxes (the full width, and the width up to the side
// panel), the optional off-screen bitmap of "No flicker", the full redraw of everything shown
// (background image, rulers, tool paths, material outline, template, items) and the resumable
// redraw that paints the items one by one while no input waits.
#pragma once

#include "geometry/drawing_item.h"

// redraw_incremental modes
constexpr int REDRAW_START = 1;
constexpr int REDRAW_STOP = -1;
constexpr int REDRAW_CONTINUE = 0;

// Places the paint boxes and the side panel's column, remakes the back buffer, selects a box.
void layout_paint_boxes();
// The narrow box while the Drawing page is active with the side panel on, else the full one.
void select_paint_box();
void toggle_no_flicker();
void blit_back_buffer();
// Clears the area and draws everything, through the back buffer when there is one.
void redraw_drawing();
// Fills the drawing area white and forgets every XOR highlight on it.
void clear_drawing_area();
void draw_all_items();
// 1 when a pending event stopped the slice, else 0.
int redraw_incremental(int mode);
// Whether a link box of the item meets the pointer's 32 x 32 picture.
int pointer_over_item(DrawingItem* item);
