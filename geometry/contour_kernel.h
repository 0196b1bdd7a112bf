// The double-precision contour kernel: contours of line and arc segments that refer to their
// points by index into a node array, and the measures, tests and copies on which the
// tool-path engine and the boolean engine are built.
//
// Conventions every user relies on:
// - Coordinates are in the job's unit with y pointing up; clockwise means clockwise in that
//   frame. Direction value 1 is clockwise, 0 counter-clockwise, for arcs and whole contours.
// - Every angle here is a bearing: radians clockwise from +Y, in 0..2pi. The point at bearing
//   b on a circle of radius r about (cx, cy) is (cx + r sin b, cy + r cos b). A clockwise arc
//   runs through increasing bearings. (The drawing's angles run counter-clockwise from +X.)
// - A contour is the link range first..last (inclusive) of one link array; consecutive
//   segments share nodes and a closed contour ends at the start node of its first segment.
// - A contour position is a real number: the whole part is the link index, the fraction the
//   part of that segment already travelled (by parameter on lines, by bearing on arcs).
// - Callers own and size every link and node array; the kernel never allocates.
#pragma once

#include <cstdint>

// ---- segment kinds ----
constexpr int32_t SEGMENT_CIRCLE = 0;  // full circle about the centre node; only in collected input
constexpr int32_t SEGMENT_ARC = 1;
constexpr int32_t SEGMENT_LINE = 3;

// ---- directions ----
constexpr int32_t CONTOUR_COUNTER_CLOCKWISE = 0;
constexpr int32_t CONTOUR_CLOCKWISE = 1;

constexpr double CONTOUR_PI = 3.14159265358979323846;
constexpr double CONTOUR_TWO_PI = 2.0 * CONTOUR_PI;

// Distance that distance_to_segment returns for a segment outside the pruning band.
constexpr double CONTOUR_FAR_DISTANCE = 9999999.0;
// Distance that distance_to_contours starts from (and returns when there is no segment).
constexpr double CONTOUR_NO_DISTANCE = 9e20;

// Most links and nodes segment_swept_outline writes.
constexpr int32_t SWEPT_OUTLINE_MAX_LINKS = 4;
constexpr int32_t SWEPT_OUTLINE_MAX_NODES = 7;

// ---- records ----
struct ContourNode {
  double x;  // job units
  double y;  // job units, y up
};

struct ContourLink {
  int32_t start_node = 0;       // index of the start point in the node array
  int32_t end_node = 0;         // index of the end point
  int32_t centre_node = 0;      // index of the centre (arcs and circles); unused by lines
  int32_t kind = SEGMENT_LINE;  // SEGMENT_CIRCLE, SEGMENT_ARC or SEGMENT_LINE
  double radius = 0.0;          // arcs and circles, job units
  double bound_radius = 0.0;    // radius of the bounding circle (set by segment_bounding_circle)
  double bound_x = 0.0;         // centre of the bounding circle
  double bound_y = 0.0;
  int32_t direction = 0;  // arcs: CONTOUR_CLOCKWISE or CONTOUR_COUNTER_CLOCKWISE
};

// ---- shared state ----
// Bits of EngineStatus that the kernel and the networks set; the tool-path engine owns the
// other bits, clears the word when it starts collecting a machining group and reports after.
constexpr int32_t ENGINE_STATUS_INSIDE_UNDECIDED = 0x01;  // contour_inside gave up after 100 rays
constexpr int32_t ENGINE_STATUS_NOT_CHAINED = 0x02;       // a contour's segments do not chain
constexpr int32_t ENGINE_STATUS_SELF_CROSSING = 0x20;     // a contour crosses itself

// contour_run_mode value of a one-sided profile of an open path.
constexpr int32_t CONTOUR_RUN_OPEN_PATH = 1;

struct EngineProblemPoint {
  float x;  // job units
  float y;
};

// The state the contour code shares with the tool-path engine and the drawing editor.
// Everything here is read at once by the caller of the operation that set it.
struct ContourKernelState {
  int32_t EngineStatus = 0;           // ENGINE_STATUS_* bits plus the engine's own
  EngineProblemPoint ProblemPoint{};  // where the last self-crossing was found (bit 0x20)
  int32_t contour_run_mode = 0;       // 0 pocket, 1 open-path profile, 2 two-sided profile;
                                      // the engine sets it for a run and clears it after
  // The host's message box for the few faults the contour engines show themselves ("Too many
  // links in curve"); unset, the text goes to stderr.
  void (*show_message)(const char* text) = nullptr;
};
extern ContourKernelState g_contour_kernel;

// Shows a fault message through the host's message box.
void show_contour_message(const char* text);

// ---- angles and arc centres ----
// Bearing of the vector (dx, dy), 0..2pi; a zero vector gives pi/2.
double bearing_angle(double dx, double dy);
// Centre of the circle of `radius` through both points that lies nearer the reference point
// (the left candidate of P1->P2 on a tie); a radius below half the chord gives the midpoint.
void arc_centre_from_chord(double x1, double y1, double x2, double y2, double reference_x,
                           double reference_y, double radius, double* out_cx, double* out_cy);
// The centre of an arc through both points, fitted from its known centre and radius: where the
// chord is short against the diameter, the radius sets the centre's distance from the chord (as
// arc_centre_from_chord); near a half circle, where that distance hangs on the radius's last
// digits, the known centre is moved onto the chord's perpendicular bisector instead.
void fit_arc_centre_to_chord(double x1, double y1, double x2, double y2, double centre_x,
                             double centre_y, double radius, double* out_cx, double* out_cy);
// True when a < b < c or c < b < a.
bool strictly_between(double a, double b, double c);
// The two bearings as fractions along the arc from start_bearing to end_bearing.
void arc_parameters_of_angles(double bearing1, double bearing2, double start_bearing,
                              double end_bearing, int32_t direction, double* out_t1,
                              double* out_t2);
// Angle on the left of the path at the joint of segment i and the following segment j:
// pi straight on, below pi at a left turn, above at a right turn.
double joint_angle(const ContourLink* links, const ContourNode* nodes, int32_t i, int32_t j);

// ---- whole contours ----
// CONTOUR_CLOCKWISE or CONTOUR_COUNTER_CLOCKWISE, decided at the rightmost point.
int32_t contour_orientation(const ContourLink* links, const ContourNode* nodes, int32_t first,
                            int32_t last);
// Sum of the segment lengths.
double contour_length(const ContourLink* links, const ContourNode* nodes, int32_t first,
                      int32_t last);
// The point at contour position u.
void point_at_contour_parameter(const ContourLink* links, const ContourNode* nodes, double* out_x,
                                double* out_y, double u);
// Makes the contour run the other way, in place.
void reverse_contour(ContourLink* links, int32_t first, int32_t last);

// ---- side and distance tests ----
// 1 when contour A lies inside contour B (running in direction_b), 0 when not or when they
// cross, -1 when 100 rays stayed ambiguous (then ENGINE_STATUS_INSIDE_UNDECIDED is set).
// Every segment of both must have its bounding circle.
int32_t contour_inside(const ContourLink* links, const ContourNode* nodes, int32_t first_a,
                       int32_t last_a, int32_t first_b, int32_t last_b, int32_t direction_b);
// +1 inside, -1 outside, 0 on the contour. `loose` widens the on-arc band.
int32_t point_side_of_contour(const ContourLink* links, const ContourNode* nodes, double x,
                              double y, int32_t first, int32_t last, int32_t direction,
                              int32_t loose);
// Smallest distance from the point to the boundary first..last and its islands.
double distance_to_contours(const ContourLink* links, const ContourNode* nodes, int32_t first,
                            int32_t last, const int32_t* island_firsts, const int32_t* island_lasts,
                            int32_t island_count, double x, double y);
// Distance from the point to the segment, or CONTOUR_FAR_DISTANCE when `band` is positive and
// the point lies farther than band outside the segment's bounding circle.
double distance_to_segment(double x, double y, const ContourLink& segment, const ContourNode* nodes,
                           double band);

// ---- single segments ----
// 1 when a and b lie on one line (either sense) or on one circle (same direction), else 0.
int32_t segments_mergeable(const ContourLink& a, const ContourLink& b, const ContourNode* nodes);
// Stores the bounding circle's centre and radius in the segment and returns the radius.
double segment_bounding_circle(ContourLink* segment, const ContourNode* nodes);
double segment_length(const ContourLink& segment, const ContourNode* nodes);
void segment_midpoint(const ContourLink& segment, const ContourNode* nodes, double* out_x,
                      double* out_y);
// Copies the coordinates of the ends and, for arcs only, of the centre.
void segment_end_points(const ContourLink& segment, const ContourNode* nodes, double* out_start_x,
                        double* out_end_x, double* out_centre_x, double* out_start_y,
                        double* out_end_y, double* out_centre_y);
// Copies the fields that the source's kind uses; with_bounds 1 also the bounding circle.
void copy_segment(ContourLink* destination, const ContourLink& source, int32_t with_bounds);
// Copies the segment running the other way (bounds always copied).
void copy_segment_reversed(ContourLink* destination, const ContourLink& source);
// Writes the closed counter-clockwise outline a tool of `tool_radius` sweeps along the
// segment: links from first_out_link, nodes from first_out_node (at most
// SWEPT_OUTLINE_MAX_LINKS and SWEPT_OUTLINE_MAX_NODES), every link with its bounding circle.
void segment_swept_outline(const ContourLink& segment, const ContourNode* nodes,
                           ContourLink* out_links, int32_t first_out_link, ContourNode* out_nodes,
                           int32_t first_out_node, int32_t* out_link_count, int32_t* out_node_count,
                           double tool_radius);

// ---- test hooks ----
// Puts the shared state back to its start values.
void reset_contour_kernel_state();
