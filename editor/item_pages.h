// The edit pages of items that are not plain polylines, shown in the side panel like the
// polyline panels: circles, ellipses, points (single or in patterns), regular polygons,
// rectangles (straight or bent along an arc), rounded rectangles and slots, and the page of an
// arc link of a polyline. Each page shows the values that describe the shape, takes any of them
// typed, and rebuilds the item's links at once. Values that would turn a link into another kind
// of link (a radius of 0, a point radius outside the point codes, a pattern count past what the
// item stores) are refused with a message and the item is left as it was.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "screen/event_queue.h"

// Results of the page rules.
constexpr int PAGE_VALUE_TAKEN = 1;
constexpr int PAGE_VALUE_UNCHANGED = 0;
constexpr int PAGE_VALUE_REFUSED = -1;

// The pattern kinds of a point item and their limits.
constexpr int PATTERN_MOST_ROWS = 255;
constexpr int PATTERN_MOST_CIRCLE_POINTS = 32767;

// The values the pages show, recomputed from the links at each display pass. Angles in degrees.
struct PageValues {
  PointF centre = {0, 0};
  PointF corner = {0, 0};
  PointF vertex = {0, 0};
  PointF second_centre = {0, 0};
  float radius = 0, diameter = 0, inradius = 0, side = 0;
  float a = 0, b = 0;  // ellipse axes
  float width = 0, length = 0, angle = 0, slant = 0, sweep = 0;
  float radius2 = 0;   // a bent rectangle's inner (link 2) radius
  float distance = 0;  // a slot's distance between its end centres
  int32_t sides = 0, rows = 0, columns = 0;
  float spacing_x = 0, spacing_y = 0;
  uint8_t kind = 0;    // pattern kind, or the rounded rectangle's looped-corner choice
  uint8_t corner_typed = 0;  // a rounded rectangle's corner was typed since it was drawn
  PointF circle_points[3] = {};  // "Define by 2 or 3 points", not stored in the item
};
extern PageValues g_page;

// ---- the rules, one per field that changes the links ----
int circle_page_set_centre(DrawingItem* item, PointF centre);
int circle_page_set_radius(DrawingItem* item, float radius);
int circle_page_set_diameter(DrawingItem* item, float diameter);
// The circle through the three points (two that coincide: the other two are a diameter).
int circle_page_from_points(DrawingItem* item, const PointF points[3]);

int ellipse_page_apply(DrawingItem* item, PointF centre, float a, float b, float rotation_deg);

int point_page_set_position(DrawingItem* item, PointF p);
int point_page_set_radius(DrawingItem* item, float radius);
int point_page_set_kind(DrawingItem* item, int kind);
int point_page_set_rows(DrawingItem* item, int rows);
int point_page_set_columns(DrawingItem* item, int columns);
int point_page_set_circle_count(DrawingItem* item, int count);

// A count outside 3..500 takes the polygon tool's count.
int polygon_page_set_sides(DrawingItem* item, int sides);
// which: 0 circumradius, 1 inradius, 2 side length; a value of 0 or less is not applied.
int polygon_page_set_size(DrawingItem* item, int which, float value);
int polygon_page_set_rotation(DrawingItem* item, float rotation_deg);

bool rectangle_is_bent(const DrawingItem* item);
// Straight: the first corner; bent: the arcs' centre (the whole item moves).
int rectangle_page_set_position(DrawingItem* item, PointF p);
int rectangle_page_set_width(DrawingItem* item, float width);
int rectangle_page_set_length(DrawingItem* item, float length);
int rectangle_page_set_angle(DrawingItem* item, float angle_deg);
int rectangle_page_set_slant(DrawingItem* item, float slant_deg);
// Link 0's radius: 0 makes a bent rectangle straight, another value bends a straight one.
int rectangle_page_set_bend(DrawingItem* item, float radius);

int rounded_rect_page_set_width(DrawingItem* item, float width);
int rounded_rect_page_set_length(DrawingItem* item, float length);
// A corner radius of 0 becomes 0.01; one past half the smaller side is held under it.
int rounded_rect_page_set_radius(DrawingItem* item, float radius);
int rounded_rect_page_set_angle(DrawingItem* item, float angle_deg);

int slot_page_set_radius(DrawingItem* item, float radius);
int slot_page_set_centres(DrawingItem* item, PointF first, PointF second);
int slot_page_set_angle(DrawingItem* item, float angle_deg);
int slot_page_set_distance(DrawingItem* item, float distance);

// The arc link of a polyline.
int arc_page_set_radius(LinkRecord* arc, float radius);
// 360 puts the end node on the start node: a full circle.
int arc_page_set_sweep(LinkRecord* arc, float sweep_deg);
int arc_page_set_centre(LinkRecord* arc, PointF centre);
int arc_page_set_start_angle(LinkRecord* arc, float angle_deg);

// ---- the pages (dialog field handlers) ----
EventCode circle_page_field();
EventCode circle_points_field();
EventCode ellipse_page_field();
EventCode point_page_field();
EventCode polygon_page_field();
EventCode rectangle_page_field();
EventCode rounded_rect_page_field();
EventCode slot_page_field();
EventCode arc_page_field();
// Runs the page of an item type; false when the type has none (a polyline).
bool run_item_page(DrawingItem* item);

// Test hooks
void reset_item_pages();
