// Drawing items on the drawing canvas: one item in the pen of its layer and state, one link of
// any kind, the tool paths of the NC run as wide as the tool, node markers, and the XOR rubber
// lines and splines that commands draw while the pointer moves. Curves are flattened into chords
// that stay within a fraction of a pixel of the true curve, and only the parts near the paint box
// are flattened at all, so a deep zoom costs no more than a fitted view. Nothing here allocates.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "platform/canvas.h"

// draw_item flags
constexpr int DRAW_ITEM_UNDRAW = 1;  // only links drawn since the last undraw are drawn again

// Pen colours that are not layer colours, 0xRRGGBB.
constexpr uint32_t DRAW_RED = 0xFF0000;
constexpr uint32_t DRAW_CYAN = 0x00FFFF;
constexpr uint32_t DRAW_BLACK = 0x000000;
constexpr uint32_t DRAW_WHITE = 0xFFFFFF;

// The longest chord of a flattened curve, pixels: its sagitta stays below 0.83 pixels on any
// arc this is used for (radius above 60 pixels).
constexpr double DRAW_CHORD_PIXELS = 20.0;

// ---- the canvas of the drawing ----
// The canvas item drawing goes to, and the row its y = 0 lies on.
Canvas* drawing_canvas();
// A layer's colour (a COLORREF of the layer table) as a pixel.
uint32_t layer_pixel(int colour_index);
// Lines and shapes in pixels of the drawing area, on drawing_canvas.
void area_line(int x1, int y1, int x2, int y2);
void area_polyline(CanvasPoint* points, int count);  // points are shifted in place
void area_rect_outline(int x1, int y1, int x2, int y2);
void area_dot(int x, int y);  // a 3 x 3 dot

// ---- items and links ----
void draw_item(DrawingItem* item, int flags);
// Draws one link; returns the last record it consumed (the link, or the last of a curve run).
LinkRecord* draw_link(LinkRecord* link);
void draw_tool_path_item(DrawingItem* item);
void draw_tool_circles(DrawingItem* item);
void draw_node_marker(PointF p);
void draw_node_marker_red(PointF p);
void erase_node_marker(PointF p);
// A circle of radius r pixels with the current pen and brush (nothing when it lies off the box).
void draw_circle_px(int x, int y, int r);
void draw_array_copy_marker(PointF p);
// The control polygon of a quadratic curve link; returns the link.
LinkRecord* draw_quadratic_link(LinkRecord* link);

// ---- rubber lines ----
void xor_line(PointF a, PointF b);
// points: n + 1 world points as x, y pairs.
void xor_spline_preview(const float* points, int n);

// ---- curves in pixels ----
// An arc about (centre x - view_left, centre y - view_top) in world units, from angle 1 to
// angle 2 (clockwise when set), as chords.
void draw_arc(double cx, double cy, double radius, double angle1, double angle2, int clockwise);
// A rotated ellipse about (centre x - view_left, centre y - view_top): semi-axis b along the
// rotation direction, a across it. -1 when a or b is 0, else the chords drawn (0 none).
int draw_ellipse(double cx, double cy, double a, double b, double rotation, int draw);
// The spline samples in pixels: drawn (draw != 0) or only counted.
int draw_spline_samples(double* xs, double* ys, int count, float tolerance, int draw);
// Clips a pixel segment to the active paint box in place; false when wholly outside.
bool clip_segment_to_view(int* x1, int* y1, int* x2, int* y2);
