// The single-precision 2-D geometry that the editor, the commands, the offset engine and the
// import apply to link records: arc direction and orientation, arc refitting, intersections
// of lines and arcs (results in one shared record), tangent directions, line equations,
// bisectors, distances, lengths, box overlap, circles through points and tangent circles, and
// placing an arc's centre for its radius (with a double twin for the NC and DXF writers).
//
// A link is a LinkRecord read together with the record after it, whose point is the link's
// end (the next point). Straight links are codes 0, -1 and -9 (an empty gap counts as a line
// here); arcs are positive codes, counter-clockwise unless LINK_CLOCKWISE is set.
#pragma once

#include <cstdint>

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

struct DoubleArcRecord;

// ---- shared state ----

// The points of the last intersection, read by the caller right after the call. A call
// overwrites only the points it reports.
struct IntersectionResult {
  PointF first;     // first point found (also the solution of solve_two_lines)
  PointF second;    // second point, when two were found
  PointD first_d;   // first point of intersect_circles_d
  PointD second_d;  // second point of intersect_circles_d
};

// Nearly tangent circles whose tangency measure |e/g| exceeds the limit count as touching.
constexpr double CIRCLE_INTERSECTION_LIMIT_DEFAULT = 1e12;
// The looser limit the fillet searches work with.
constexpr double CIRCLE_INTERSECTION_LIMIT_FILLET = 900000.0;

struct Geometry2dState {
  IntersectionResult intersection;   // last intersection points
  double circle_intersection_limit;  // 1e12 at rest; 900,000 while a fillet search runs
};
extern Geometry2dState g_geometry2d;

// ---- result codes of the intersections ----
constexpr int INTERSECT_NONE = 0;
constexpr int INTERSECT_SAME_LINK = -2;    // both arguments are one record
constexpr int INTERSECT_UNHANDLED = -3;    // a link kind the intersection does not handle
constexpr int INTERSECT_COLLINEAR = -4;    // collinear lines that do not continue each other
constexpr int INTERSECT_CONCENTRIC = -5;   // concentric circles
constexpr int INTERSECT_CONTINUING = -6;   // collinear lines, the first ends where the second starts

// A circle in double precision.
struct CircleD {
  PointD centre;
  double radius;
};

// ---- arc direction, orientation, refitting ----
// Sets direction, start angle and sweep of the arc so that it passes the point.
void set_arc_direction_through(LinkRecord* arc, const PointF* p);
// 1 clockwise, 0 counter-clockwise.
int polygon_orientation(const DrawingItem* item);
// Every arc of a polyline refitted to its end nodes and radius.
void refit_item_arcs(DrawingItem* item);
void refit_arc(LinkRecord* arc);

// ---- small record helpers ----
// Copies Z and the point.
void copy_node_position(LinkRecord* to, const LinkRecord* from);
bool link_is_straight(float code);  // 0, -1 or -9

// ---- angles ----
// b - a reduced to -pi..pi.
double signed_angle_difference(double a, double b);
// The size of b - a reduced to -pi..pi.
double abs_angle_difference(double a, double b);
// Direction of travel along the arc at the point.
float arc_tangent_angle(const PointF* p, const LinkRecord* arc);

// ---- circles from points ----
// Circle results of circle_through3_points.
constexpr int CIRCLE3_FOUND = 0;
constexpr int CIRCLE3_COINCIDENT = 1;  // two points coincide: the other two form a diameter
constexpr int CIRCLE3_FAILED = -1;     // collinear, or a radius above 300,000
// Centre, radius (code) and LINK_CLOCKWISE of `out` from three points.
int circle_through3_points(const PointF* p, const PointF* q, const PointF* r, LinkRecord* out);

// ---- lines ----
// Unit-normal form a x + b y + c = 0 of the line through two points (all 0 when they coincide).
void line_equation(const PointF* p1, const PointF* p2, double* out_a, double* out_b,
                   double* out_c);
// The line through the point perpendicular to the link.
void perpendicular_line_through_point(const PointF* p, const LinkRecord* link, double* out_a,
                                      double* out_b, double* out_c);
// Results of solve_two_lines.
constexpr int SOLVE_LINES_POINT = 0;     // the solution is in g_geometry2d.intersection.first
constexpr int SOLVE_LINES_SAME = -1;
constexpr int SOLVE_LINES_PARALLEL = -2;
int solve_two_lines(double a1, double b1, double c1, double a2, double b2, double c2);
// Angle of the bisector of two straight links at their intersection, or -1.
double bisector_angle(const LinkRecord* line1, const LinkRecord* line2);
void link_midpoint(const LinkRecord* link, PointF* out);
// Distance from the point to the link's infinite line.
double point_line_distance(const PointF* p, const LinkRecord* link);
// Distance to the foot on the link, or 1e10 when the foot is off the link.
double distance_to_link_foot(const PointF* p, const LinkRecord* link);

// ---- intersections (lines infinite, arcs full circles) ----
int intersect_links(const LinkRecord* link1, const LinkRecord* link2);
// As intersect_links, keeping only points that lie on both links.
int intersect_links_within(const LinkRecord* link1, const LinkRecord* link2);
int intersect_lines(const LinkRecord* line1, const LinkRecord* line2);
int intersect_line_arc(const LinkRecord* line, const LinkRecord* arc);
int intersect_line_circle_by_roots(const LinkRecord* line, const LinkRecord* arc);
int intersect_arcs(const LinkRecord* arc1, const LinkRecord* arc2);
// 0, 1, 2 or -5; the points go to first_d and second_d.
int intersect_circles_d(const CircleD* circle1, const CircleD* circle2);

// ---- arcs through points, tangent circles ----
// Moves the centre along the node-to-centre line so that the arc passes the point.
void arc_through_point(LinkRecord* arc, const PointF* p);
// Circles through the point tangent to two circles (inner flag 1: inside the first). 0 with
// both out circles' centres and radii written, -1 when there are none.
int tangent_circles_through_point(const LinkRecord* circle1, const LinkRecord* circle2,
                                  const PointF* p, LinkRecord* out1, LinkRecord* out2,
                                  int inner);
// Circles of out1's radius (its code) through the point and tangent to the line: the number
// of centres written (0 to 2); radii are not written.
int circles_through_point_tangent_line(const LinkRecord* line, const PointF* p,
                                       LinkRecord* out1, LinkRecord* out2);

// ---- lengths and boxes ----
float link_length(const LinkRecord* link);
float item_length(const DrawingItem* item);
// 1 when the two link boxes overlap within 0.0001.
int link_boxes_overlap(const LinkRecord* link1, const LinkRecord* link2);

// ---- placing an arc's centre for its radius ----
// Choice flag 0: the candidate whose distance from p is nearer the radius; 1: the one nearer p.
constexpr int FIT_CENTRE_RADIUS_FROM_POINT = 0;
constexpr int FIT_CENTRE_NEAR_POINT = 1;
// 1 placed (angles recomputed), 0 failed.
int fit_arc_centre(LinkRecord* arc, const PointF* p, int choice);
// The same on the NC and DXF writers' double arc record (no angles there).
int fit_arc_centre_d(DoubleArcRecord* arc, const PointD* p, int choice);

// ---- test hooks ----
// Puts the shared state back to its start values.
void reset_geometry2d();
