// Mapping between world units (y up) and the pixels of the drawing area (y down), fitting the
// scale to a view window, and every way of changing the view: zoom by a factor, zoom to a window
// or to the drawing, pan by a fifth, pan by dragging, repeated zoom while a button is held and
// the drag-to-zoom step counter. Every interactive loop of the page passes its keys through
// view_keys first, so the same view keys work everywhere.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "screen/event_queue.h"

// The zoom limits: a zoom never goes past this many pixels per unit, a zoom window is taken at
// no more than VIEW_WINDOW_SCALE_MAX, and zooming out is refused below VIEW_MIN_SCALE.
constexpr float VIEW_MAX_SCALE = 5000000.0f;
constexpr double VIEW_WINDOW_SCALE_MAX = 2000000000.0;
constexpr float VIEW_MIN_SCALE = 0.0004f;
// The scale a view window of no size gets.
constexpr float VIEW_EMPTY_WINDOW_SCALE = 3.0f;
// The part of the window a fitted drawing fills.
constexpr float VIEW_FIT_FILL = 0.85f;
// view_keys' redraw-only code, and the view-kept values of the job settings.
constexpr EventCode VIEW_REDRAW_ONLY = 5003;
constexpr uint8_t VIEW_FITTED = 0;
constexpr uint8_t VIEW_KEPT = 112;

// ---- mapping ----
// Nearest integer, halves away from zero; values past the int range saturate.
int round_half_away(double v);
// A world point in pixels of the drawing area (y from area_top), rounded.
void world_to_screen(PointF p, int* x, int* y);
// The same truncated, both axes by scale_x; 0 (outputs untouched) when it falls outside the
// client area, else 1.
int world_to_screen_clipped(PointF p, int16_t* x, int16_t* y);
// The world point under a client pixel.
PointF screen_to_world(int px, int py);
// Pick tolerance in pixels of the current display mode.
int pick_pixels();

// ---- what is shown ----
// The drawing list: the current list when the drawing window is active, else its own list.
DrawingItem* drawing_list_first();
// The item is active, on a visible layer, and of a kind the display options show.
bool item_is_shown(const DrawingItem* item);
bool item_kind_shown(const DrawingItem* item);

// ---- fitting and extents ----
void fit_scale();
// Moves the view window by (dx, dy) drawing units; the scale is left as it is.
void move_view(float dx, float dy);
// Recomputes the extents; an empty drawing gets a default view and is drawn.
void compute_extents();
// Grows the extents by one item.
void item_bounds(DrawingItem* item);
void set_view_to_extents();
// Centres the view window on the extents (0) or on the zoom window (1).
void pan_to_window(int on_zoom_window);

// ---- zooming and panning ----
void zoom_by(float factor);
int zoom_window();
// 0 when the code was a view key (the page is redrawn), else the code unchanged.
EventCode view_keys(EventCode code);
void zoom_to_drawing();
// One drag-pan step while a mouse button is held.
void pan_by_drag();
void repeat_zoom_while_held(EventCode code, void (*after_each)());
// Zoom steps of a left-button drag: positive for motion left (horizontal) or up (vertical).
int drag_zoom_steps(int vertical);
