// Boolean engine for closed contours: the union, either difference or the intersection of
// two closed contours of lines and arcs, A and B. It works on clean clockwise copies of both,
// finds every place where a segment of A meets a segment of B, starts walks beside those
// crossings and follows the kept parts of both contours, changing contour where the result's
// boundary does. Each closed result loop comes out as a contour of lines and arcs; arcs keep
// the centre and radius of the segment they come from.
//
// Contours that run within the engine's tolerance of each other are made to coincide there
// first, so a copy nudged by a hair combines with its original as one contour; and every
// result is checked before it is returned: loops that cannot be right (a stretch on the wrong
// side, a loop missing or left over, a loop that runs round twice) make the call fail.
//
// Results are counts of loops. 0 means "no loop", and also "failed": a failure always sets
// ENGINE_STATUS_BOOLEAN_FAILED in g_contour_kernel.EngineStatus (with the more telling bit
// of the network or the inside test where there is one), which the caller reports. Negative
// results are not failures: they tell that one contour holds the other without crossing it.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/contour_kernel.h"
#include "geometry/contour_network.h"
#include "geometry/path_intersect.h"

// ---- modes ----
constexpr int32_t BOOLEAN_UNION = 0;         // A + B; loops clockwise (holes counter-clockwise)
constexpr int32_t BOOLEAN_A_MINUS_B = 1;     // A - B; loops clockwise
constexpr int32_t BOOLEAN_B_MINUS_A = 2;     // B - A; loops clockwise
constexpr int32_t BOOLEAN_INTERSECTION = 3;  // A * B; loops counter-clockwise
constexpr int32_t BOOLEAN_UNION_OUTER_FIRST = 4;  // as BOOLEAN_UNION, then the first clockwise
                                                  // loop trades places with loop 0

// ---- results besides the loop count ----
constexpr int32_t BOOLEAN_A_INSIDE_B = -2;  // no crossing, A lies inside B
constexpr int32_t BOOLEAN_B_INSIDE_A = -1;  // no crossing, B lies inside A

// The network flag that says the inputs already are clean clockwise contours with their
// bounding circles set: the engine then takes them as they are, without cleaning, reads them
// only, and leaves them to the caller. Any other value is the clean flag handed to
// build_contour_network (the fuse command passes 1).
constexpr int32_t BOOLEAN_INPUT_IS_NETWORK = 961;

// Status bit set by every failing combination (bad arguments, a network that could not be
// built, an inside test that stayed undecided, a walk that did not close, loops that failed
// the check, no memory).
constexpr int32_t ENGINE_STATUS_BOOLEAN_FAILED = 0x100;

// The engine's tolerance: corners and edges of A and B closer than this are made to coincide
// before the contours are combined, so that a copy nudged by less than it combines with its
// original as the same contour. It is relative to the smaller contour's size (the larger
// side of the box round it), with a floor for small contours far from the origin. Every
// result boundary lies within the tolerance of the true one.
constexpr double BOOLEAN_TOLERANCE_RELATIVE = 4e-6;
constexpr double BOOLEAN_TOLERANCE_ABSOLUTE = 2e-6;  // job units
double boolean_tolerance(double extent_a, double extent_b);

// The two contours, as the walk and the seeds name them.
constexpr int32_t BOOLEAN_CONTOUR_A = 1;
constexpr int32_t BOOLEAN_CONTOUR_B = 2;

// ---- records of one combination ----

// A place where A and B meet; positions are contour positions in the work arrays, already
// wrapped into each contour's range.
struct BooleanCrossing {
  int32_t link_a;     // index of A's segment
  int32_t link_b;     // index of B's segment
  double on_a;        // fraction along A's segment, 0..1
  double on_b;        // fraction along B's segment, 0..1
  double position_a;  // link_a + on_a, wrapped
  double position_b;  // link_b + on_b, wrapped
};

// A point beside a crossing from which a walk may start.
struct BooleanSeed {
  double x, y;      // the point, job units
  double position;  // its position on its own contour
  int32_t contour;  // BOOLEAN_CONTOUR_A or BOOLEAN_CONTOUR_B
  int32_t inside;   // 1 inside the other contour, 0 outside
  int32_t used;     // 1 when no walk may start here any more
};

// One crossing passed while walking a loop.
struct BooleanLoopPoint {
  int32_t contour;        // the contour on which the walk arrived here
  double position;        // the crossing's position on that contour
  double other_position;  // its position on the other contour
};

// Everything one combination works on. It lives from the start of combine_contours to its
// return; the tables keep their capacity between calls but nothing else.
struct ContourBooleanState {
  int32_t mode = 0;                    // BOOLEAN_UNION .. BOOLEAN_INTERSECTION (4 runs as 0)
  const ContourLink* links = nullptr;  // work links: the network below, or the caller's (961)
  const ContourNode* nodes = nullptr;  // work nodes
  int32_t first[2] = {0, 0};           // link range of A ([0]) and B ([1]) in the work links
  int32_t last[2] = {-1, -1};
  int32_t keep[2] = {1, 1};  // 1 the contour is walked forwards (clockwise), 0 back
  double tolerance = 0.0;    // boolean_tolerance of the two contours
  double extent = 0.0;       // the larger contour's size
  ContourNetwork network;    // the clean copies the engine made, when it made them
  std::vector<BooleanCrossing> crossings;
  std::vector<BooleanSeed> seeds;
  std::vector<BooleanLoopPoint> loop;  // the loop being walked; ends with a repeat of its
                                       // first two points once closed
};
extern ContourBooleanState g_contour_boolean;

// ---- combining ----

// Combines contour A (links first_a..last_a) with contour B (first_b..last_b) in `mode` and
// writes the result loops into `out`, replacing what it held: loop c runs from
// out->firsts[c] to out->lasts[c]; every output link has its bounding circle. Returns the
// number of loops, BOOLEAN_A_INSIDE_B or BOOLEAN_B_INSIDE_A when the contours do not cross
// and one holds the other, and 0 for contours that neither cross nor hold each other and on
// failure (then ENGINE_STATUS_BOOLEAN_FAILED is set and `out` holds no loop).
int32_t combine_contours(const ContourLink* links, const ContourNode* nodes, int32_t first_a,
                         int32_t last_a, int32_t first_b, int32_t last_b, ContourNetwork* out,
                         int32_t mode, int32_t network_flag);

// Where two contour segments meet, ends included (so that crossings at nodes are found):
// 0 to 2 points, with fractions along each segment (by bearing on arcs) and the points.
// Both segments must have their bounding circles.
int32_t intersect_segments(const ContourLink& a, const ContourLink& b, const ContourNode* nodes,
                           PathCrossings* out);

// ---- steps of one combination (they work on g_contour_boolean) ----

// 1 when the walk, arriving at a crossing at `position` on `contour` (whose position on the
// other contour is `other_position`), changes to the other contour there; else 0.
int32_t classify_crossing(double position, double other_position, int32_t contour);
// Appends the loop held in g_contour_boolean.loop to `out` as one closed contour.
void trace_boolean_loops(ContourNetwork* out);

// ---- test hooks ----
// Puts the engine's state back to its start values and releases its tables.
void reset_contour_boolean_state();
