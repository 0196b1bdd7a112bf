// The solvers of the eight shape forms. Each is a form's recompute function (see
// commands/value_form.h): called with a field index after the field got a value, with the
// negated index after it was cleared; it decides whether the entered fields determine the shape
// and, when they do, computes every other value and marks the form complete.
//
// Where each form keeps its values: link forms (circle, arc, point, ellipse) in the form's link
// and scratch values; working-item forms (slot, rectangle, polygon, rounded rectangle) in the
// scratch values and the working item at the tail of the drawing list.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// ---- field indices (X fields; the Y field is the next index) ----
// CIRCLE
constexpr int CIRCLE_CENTRE = 2, CIRCLE_RADIUS = 4, CIRCLE_DIAMETER = 5, CIRCLE_P1 = 6,
              CIRCLE_P2 = 8, CIRCLE_P3 = 10, CIRCLE_LAYER = 12;
// ARC
constexpr int ARC_START = 2, ARC_END = 5, ARC_CENTRE = 8, ARC_P2 = 10, ARC_RADIUS = 12,
              ARC_SWEEP = 13, ARC_ANGLE = 14, ARC_LAYER = 15, ARC_CLOCKWISE = 16;
// SLOT
constexpr int SLOT_C1 = 2, SLOT_C2 = 4, SLOT_RADIUS = 6, SLOT_DIAMETER = 7, SLOT_LENGTH = 8,
              SLOT_ANGLE = 9, SLOT_POINT = 10, SLOT_LAYER = 12;
// RECTANGLE and ROUNDED RECTANGLE
constexpr int RECT_UL = 2, RECT_CENTRE = 4, RECT_HEIGHT = 6, RECT_LENGTH = 7, RECT_ROTATION = 8,
              RECT_SLANT = 9, RECT_LAYER = 10;
constexpr int ROUNDED_RADIUS = 9, ROUNDED_INVERTED = 21;
// POLYGON
constexpr int POLYGON_CENTRE = 2, POLYGON_START = 4, POLYGON_OUTSIDE = 6, POLYGON_INSIDE = 7,
              POLYGON_SIDES = 8, POLYGON_ROTATION = 9, POLYGON_SIDE_LENGTH = 10,
              POLYGON_LAYER = 11;
// POINT
constexpr int POINT_CENTRE = 2, POINT_LAYER = 4;
// ELLIPSE
constexpr int ELLIPSE_CENTRE = 2, ELLIPSE_Y_RADIUS = 4, ELLIPSE_X_RADIUS = 5,
              ELLIPSE_ROTATION = 6, ELLIPSE_LAYER = 7;

// The value a field edits: its variable in the form record (a float; an X field's Y follows it
// as the next float of a PointF). Null for fields with no float of their own.
float* shape_field_variable(int form_code, int field);

// The values of the working-item forms, named.
struct RectangleValues {
  PointF upper_left;
  PointF centre;
  float height;
  float length;
  float rotation;  // radians
  float slant;     // radians
};
struct SlotValues {
  float length;    // distance of the centres
  float angle;     // direction from centre #1 to centre #2, radians
};
struct PolygonValues {
  PointF centre;
  PointF start;
  float outside;
  float inside;
  float rotation;  // radians
  float side_length;
};
RectangleValues* rectangle_values();
SlotValues* slot_values();
PolygonValues* polygon_values();

// The working item's side count and the remembered count of the next POLYGON form (0: the
// preference for new polygons).
extern int16_t g_polygon_form_sides;
// The end of the last arc the ARC form made; the next ARC form starts there.
struct ArcFormMemory {
  PointF end = {0.0f, 0.0f};
  bool set = false;
};
extern ArcFormMemory g_arc_form_memory;
// The rounded rectangle's "Inverted arcs" tick.
extern uint8_t g_rounded_inverted;

int solve_circle(int field);
int solve_arc(int field);
int solve_slot(int field);
int solve_rectangle(int field);
int solve_polygon(int field);
int solve_point(int field);
int solve_ellipse(int field);
int solve_rounded_rectangle(int field);

// The rectangle's four corners from its first node (the upper-left corner), height, length,
// rotation and slant; the link boxes follow. False when the slant leaves no rectangle (90
// degrees or more either way).
bool build_slanted_rectangle(LinkRecord* first, float height, float length, double rotation,
                             double slant);

// Test hooks
void reset_shape_forms();
