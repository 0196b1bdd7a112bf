// What the two segment intersections share: the tool-path engine's, which counts crossings
// strictly inside both segments, and the boolean engine's, which also counts meetings at the
// ends. They differ only in which fractions they accept and in their special cases; the
// geometry of lines and circles and the choice of route by segment kind are the same. Not for
// callers outside geometry/.
#pragma once

#include <cstdint>

#include "geometry/contour_kernel.h"
#include "geometry/path_intersect.h"

// Appends a crossing: *count is its index before the call and the number of crossings after.
inline void store_crossing(PathCrossings* out, int32_t* count, double on_a, double on_b, double x,
                           double y) {
  out->on_a[*count] = on_a;
  out->on_b[*count] = on_b;
  out->x[*count] = x;
  out->y[*count] = y;
  ++*count;
}

// One intersection's routes by segment kind. `line_first` tells line_arc whether the line is
// the caller's segment a, so the fractions land on the right side of the result.
struct SegmentCrossingRoutes {
  int32_t (*lines)(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                   PathCrossings* out);
  int32_t (*line_arc)(const ContourLink& line, const ContourLink& arc, const ContourNode* nodes,
                      bool line_first, PathCrossings* out);
  int32_t (*arcs)(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                  PathCrossings* out);
};

// 0 at once when the segments' bounding circles are apart (with a margin of 0.1 % on the
// squared reach); otherwise what the route for the two kinds finds. Kinds other than lines and
// arcs meet nothing.
int32_t cross_segment_pair(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                           const SegmentCrossingRoutes& routes, PathCrossings* out);

// How one intersection reads a line-arc crossing: the fractions it accepts (on the line and on
// the arc alike), how a bearing from the centre becomes a fraction of the arc, and where the
// crossing point is taken: on the circle at the bearing (the boolean engine) or on the line.
struct LineArcRule {
  bool (*accept)(double fraction);
  double (*arc_fraction)(double bearing, const ContourLink& arc, const ContourNode* nodes);
  bool point_on_circle;
};

// Where the line meets the arc under the rule, in line order; `line_first` tells whether the
// line is the caller's segment a, so the fractions land on the right side of the result.
int32_t line_arc_crossings(const ContourLink& line, const ContourLink& arc, const ContourNode* nodes,
                           bool line_first, const LineArcRule& rule, PathCrossings* out);

// Parameters along the line p0 -> p1 (0 at p0, 1 at p1) of the two points where the infinite
// line meets the circle, the smaller first. False when it misses or only touches the circle,
// or when the line has no length.
bool line_circle_parameters(const ContourNode& p0, const ContourNode& p1, const ContourNode& centre,
                            double radius, double out_t[2]);

// The two points where two circles cross, as bearings seen from each centre: out_on_first[k]
// from c1 and out_on_second[k] from c2 name the same point. False for tangent, nested or
// concentric circles.
bool circle_crossing_bearings(const ContourNode& c1, double r1, const ContourNode& c2, double r2,
                              double out_on_first[2], double out_on_second[2]);
