// Fillet arcs that pass a given point: the constructions a dragged fillet runs on each pointer
// step. The fillet record sits between the two links it rounds, as in a polyline: its node is
// where the first link ends and its next record's node is where the second link starts, so
// writing the fillet's two ends trims or extends both neighbours.
#pragma once

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"

// Results of the constructions.
constexpr int FILLET_POINT_DONE = 0;
constexpr int FILLET_POINT_NONE = -1;         // no candidate, or none passed the tangency tests
constexpr int FILLET_POINT_TURNS_LINE = 1;    // the arc would turn a line round: nothing written

// Between two straight links. With NODE_KIND_OTHER on the fillet's node the tangents are taken
// reversed; otherwise both joints become tangent nodes. The radius goes into *radius.
int fillet_lines_through_point(LinkRecord* previous, LinkRecord* next, const PointF* p,
                               LinkRecord* fillet, float* radius);
// Between two arcs; `inner` picks the candidate circles (the arcs' turning senses differ).
int fillet_arcs_through_point(LinkRecord* previous, LinkRecord* next, const PointF* p,
                              LinkRecord* fillet, int inner, float* radius);
// Between a straight link and an arc (exactly tangent to both); arc_first when the arc comes
// before the fillet.
int fillet_line_arc_through_point(LinkRecord* line, LinkRecord* arc, const PointF* p,
                                  LinkRecord* fillet, bool arc_first, float* radius);

// The point where the circle of `link` touches a circle of the given centre and radius, on the
// line of their centres; false when the centres coincide.
bool circle_touching_point(const LinkRecord* link, const PointF& centre, double radius,
                           PointF* out);
