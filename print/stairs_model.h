// The staircase build's working model: every part of the design (housings, ends, outlines) as
// a list of nodes in double precision, placed and shaped before it becomes a drawing item. The
// points stay exact while the steps are stacked and the outlines intersected; only the finished
// design is written into the drawing list as single-precision items.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/float2d.h"
#include "print/stairs_params.h"

// One node of a part and the link that leaves it.
struct PartNode {
  PointD p = {0, 0};
  bool arc = false;        // the leaving link is a clockwise arc of the corner radius
  PointD centre = {0, 0};  // its centre
  bool jump = false;       // the leaving link is shared with the next part and not cut
  bool marked = false;     // the node is marked (the set-up split of a cut stringer)
};

// A part: a closed polyline back to its first node, or an open one (the step line).
struct StairsPart {
  std::vector<PartNode> nodes;
  int32_t number = 0;      // the item's key
  uint8_t layer = 0;
  bool closed = true;
  bool selected = true;
  int32_t moves_before = 0;  // the build's move count when the part was made
};

// A straight line through a point in a direction (not normalised).
struct LineD {
  PointD p;
  PointD d;
};

// The values of the block that the build reads, in double, with the derived ones.
struct StairsValues {
  int32_t kind = 0;        // 1, 2 or 4
  int32_t type = 0;        // kind 4: 0..5
  int32_t state = 0;       // kind 4: 0, 1 or 2
  bool metric = false;
  double ang = 0, rise = 0, run = 0, tt = 0, nos = 0, top = 0, drop = 0, r = 0, back = 0;
  double margin = 0, rt = 0, slant = 0, width = 0, table = 0, total = 0;
  double wedge = 0;        // the wedge allowance: 4 mm or 0.25 in
  double step = 0;         // hypot(rise, run)
  double half_tool = 0;    // half the outline tool's cutting width
  double thickness = 0;    // the board thickness
  double riser_margin = 0; // field 48
  int32_t n = 0;
  bool width_entered = false;
};

// The build in progress: the parts, whether a construction failed, and the shift it found.
struct StairsModel {
  StairsValues v;
  std::vector<StairsPart> parts;
  bool failed = false;      // an intersection failed or a point is not finite
  int32_t moves = 0;        // moves made so far
  std::vector<PointD> move_sum;  // move_sum[i]: the sum of the first i moves
  int32_t next_number = 1;
};

// ---- points and lines ----
PointD add(PointD a, PointD b);
PointD sub(PointD a, PointD b);
PointD polar(PointD p, double distance, double angle);
double direction(PointD from, PointD to);
double distance(PointD a, PointD b);
LineD line_through(PointD a, PointD b);
LineD line_at(PointD p, double angle);
LineD horizontal(PointD p);
LineD vertical_at(double x);
// The intersection of two infinite lines; parallel lines fail the model and give (0, 0).
PointD meet(StairsModel* model, const LineD& a, const LineD& b);
double line_distance(PointD p, const LineD& line);
// The foot of the point on the line, and where it lies along it (0 at line.p, 1 at p + d).
PointD foot_on(PointD p, const LineD& line, double* along);
// The parallel to the line at the distance, on the side of the given direction.
LineD parallel_at(const LineD& line, double distance, double side_angle);
PointD rotate_about(PointD p, PointD centre, double angle);

// A length in drawing units as a whole number, truncated towards zero and held to the range of
// 32 bits (0 for a value that is not a number), so that any file's values convert safely.
int32_t whole_number(double value);

// ---- the values ----
StairsValues stairs_values(const StairsParams& params);

// ---- profiles at their own origin (a: the going argument) ----
StairsPart tread_riser_housing(const StairsValues& v, double a);
StairsPart tread_housing(const StairsValues& v);
StairsPart bottom_end(StairsModel* model);
StairsPart top_end(const StairsValues& v, double a);
StairsPart first_step_piece(const StairsValues& v, double a);

// ---- building ----
// Appends the part with the next number; it will be moved by every later move.
StairsPart& add_part(StairsModel* model, StairsPart part);
// Moves every part made so far by v (applied when the parts are settled).
void move_all(StairsModel* model, PointD v);
// Applies the moves: each part by the sum of the moves made after it.
void settle_moves(StairsModel* model);
void translate_part(StairsPart* part, PointD v);
void translate_parts(StairsModel* model, PointD v);
// A closed outline part from its points, on layer 1.
StairsPart outline_part(const std::vector<PointD>& points, int32_t number);
// The kind-1 table fit of a list of steps: the first keep + 1 parts stay, the link between
// parts keep and keep + 1 is cut again, and the rest go to layer 2.
void split_steps_forward(std::vector<StairsPart>* steps, int32_t keep);

// ---- kind 4 ----
// The kind-4 parts in place of the kind-1 and kind-2 steps; writes fields 732-740, 80, 84,
// WIDTH and LENGTH into the block and the shift into g_stairs and the block.
void build_kind4_parts(StairsModel* model, StairsParams* params);
