// Construction geometry over link records: the foot of a point on a link, circles and lines
// with circles at offset radii, tangent points from a point, common tangents of two circles,
// and fillet arcs of a given radius between two lines, a line and an arc, or two arcs.
// Inputs and outputs are drawing links and float points; the arithmetic is double.
//
// A fillet link is a LinkRecord followed by the record of its next node: its code holds the
// wanted radius on input; node, next point, centre, direction and angles are written.
#pragma once

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// ---- feet and arc sides ----
// Results of link_foot.
constexpr int FOOT_ON_LINK = 0;
constexpr int FOOT_OFF_LINK = 1;
// Writes the foot of p on the link (an arc: the circle point towards p; an ellipse: the
// point at p's parametric angle; else the perpendicular foot on the line).
int link_foot(const LinkRecord* link, const PointF* p, PointF* out);
// Sets the arc's direction so that its sweep is at most pi (flag 0) or at least pi (flag 1).
void choose_arc_side(LinkRecord* arc, int major);

// ---- circles and lines at offset radii ----
// Intersections of the circles of radius |ra| about a's centre and |rb| about b's centre.
int circle_circle_intersect(const LinkRecord* a, const LinkRecord* b, double ra, double rb,
                            PointF out[2]);
// Points at offset c from the line with unit normal (a, b) and at distance r + c from the
// circle's centre, whose signed distance from the line is e. Returns 0, 1 or 2.
int line_circle_intersect(double a, double b, double c, double r, const LinkRecord* circle,
                          double e, PointF out[2]);
// Foot of the link's centre on the line a x + b y + c = 0, into the shared first point.
void foot_on_unit_line(const LinkRecord* link, double a, double b, double c);

// ---- tangents ----
// Results of tangent_points_from_point.
constexpr int TANGENT_FROM_POINT_OK = 0;
constexpr int TANGENT_POINT_ON_CIRCLE = -1;
constexpr int TANGENT_POINT_INSIDE = -2;
constexpr int TANGENT_POINT_AT_CENTRE = -3;
int tangent_points_from_point(const PointF* p, const LinkRecord* circle, PointF* out1,
                              PointF* out2);
// Common tangent lines of two circles as touching-point pairs (on a, then on b); out must
// hold 4 pairs. Returns the pair count, -1 for coinciding centres, or the circle
// intersection's own negative result (concentric circles).
int tangent_lines_two_circles(const LinkRecord* a, const LinkRecord* b, PointF out[4][2]);

// ---- fillet candidates ----
// Candidate centres of circles of radius r tangent to two arcs; out must hold 8.
int tangent_circle_centres(const LinkRecord* a, const LinkRecord* b, double r, PointF out[8]);
// Candidate centres of circles of radius r tangent to a line and an arc; out must hold 8.
int fillet_centres_line_arc(double r, const LinkRecord* line, const LinkRecord* arc,
                            PointF out[8]);

// ---- fillets ----
constexpr int FILLET_OK = 0;
constexpr int FILLET_IMPOSSIBLE = -1;
constexpr int FILLET_TOO_LARGE = -2;  // a tangent point falls beyond the far end of a line
// Fillet between two straight links, the first ending where the second starts. For
// parallel lines the second line's start node is moved and a half circle is made.
int fillet_two_lines(LinkRecord* line1, LinkRecord* line2, LinkRecord* fillet);
// Order flags of fillet_line_and_arc.
constexpr int FILLET_LINE_THEN_ARC = 0;
constexpr int FILLET_ARC_THEN_LINE = 1;
int fillet_line_and_arc(const LinkRecord* line, const LinkRecord* arc, LinkRecord* fillet,
                        int order);
int fillet_two_arcs(const LinkRecord* arc1, const LinkRecord* arc2, LinkRecord* fillet);

// ---- choosing among candidate end-point pairs ----
// The pair nearest the two reference points becomes the link's node and next point; returns
// its index (0 for a count of 1 or less; nothing is copied for a count of 0).
int pick_nearest_pair(const PointF pairs[][2], int count, LinkRecord* link, const PointF* ref1,
                      const PointF* ref2);
