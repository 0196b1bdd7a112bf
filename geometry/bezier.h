// Bezier runs of the drawing: a chain of LINK_BEZIER links whose nodes are the control points
// of one curve, ending at the first link whose code is not Bezier (its node is the curve's end).
// The curve is evaluated in Bernstein form, drawn as one screen polyline on a canvas, and handed
// to a pen-move sink as straight chords. Chords keep within the job tolerance of the curve.
#pragma once

#include "geometry/drawing_item.h"
#include "geometry/float2d.h"
#include "platform/canvas.h"
#include "records/pen_move.h"

// Most control points one curve takes; a longer run goes on as a new curve from its 30th point.
constexpr int BEZIER_MAX_POINTS = 30;
// Most samples one curve is drawn or walked with, however fine the tolerance asks.
constexpr int BEZIER_MAX_SAMPLES = 4096;
// Finest chord tolerance of the screen drawing, pixels.
constexpr double BEZIER_MIN_PIXEL_TOLERANCE = 0.25;

// ---- evaluation ----
// Fills the factorial table 0! .. 30! (done on first use too).
void init_factorials();
// out[k] = p! / (k! (p - k)!) for k = 0 .. p; p is clamped to 0 .. BEZIER_MAX_POINTS.
void binomial_weights(int p, double* out);
// The curve of n control points (1 .. BEZIER_MAX_POINTS) at m parameters t_i = i / c,
// c = (m - 1) / 2 in integers (at least 1): out receives m points. The first (m + 1) / 2 samples
// run from the first control point to the last.
void eval_bezier(const PointF* points, int n, int m, PointF* out);
// The curve at one parameter t in 0..1.
PointF bezier_point(const PointF* points, int n, double t);
// Samples (at least 4n, at most BEZIER_MAX_SAMPLES) at even parameters from 0 to 1 whose chords
// stay within tolerance of the curve of n control points.
int bezier_sample_count(const PointF* points, int n, double tolerance);

// ---- runs of links ----
// Gathers the control points of the run starting at first (at most BEZIER_MAX_POINTS); returns
// their count and sets *out_resume to the link the caller's walk steps on from: the run's last
// link, or, when the run was cut, the link before its 30th point so that the rest of the run
// starts a curve of its own there.
int gather_bezier_run(LinkRecord* first, PointF* out_points, LinkRecord** out_resume);
// How drawing units map to canvas pixels: screen x = (x - view_left) * scale, screen y =
// (view_top - y) * scale. The editor passes its view's values.
struct ViewMapping {
  float scale = 1.0f;      // pixels per drawing unit, one scale for x and y
  float view_left = 0.0f;  // world x of the view's left edge
  float view_top = 0.0f;   // world y of the view's top edge
};
// Draws the run as one polyline on the canvas with its pen, in the view's mapping. Returns the
// link the caller's walk steps on from (see gather_bezier_run).
LinkRecord* draw_bezier_run(Canvas* canvas, LinkRecord* first_link, const ViewMapping& view);
// Hands the run to the sink as straight moves (PEN_LINE) in drawing units, from the first
// control point to the last; a run of two points is one call with the move as the caller set
// it. The chords keep within the tolerance (drawing units) the caller works with. Returns the
// link the caller's walk steps on from.
LinkRecord* bezier_run_segments(LinkRecord* first_link, double tolerance, PenMoveSink sink);

// Replaces every Bezier run of the item, in place, by flexible lines through its curve sampled
// within the job tolerance. Record pointers into the item are stale afterwards. 0, or -1 when
// memory runs out (the item is unchanged).
int flatten_bezier_runs(DrawingItem* item);

// ---- state ----
struct BezierState {
  double factorials[BEZIER_MAX_POINTS + 1];  // k! for k = 0 .. 30
  bool factorials_ready;                     // the table has been filled
  PointF samples[BEZIER_MAX_SAMPLES];        // the last curve sampled, drawing units or pixels
  CanvasPoint screen[BEZIER_MAX_SAMPLES];    // the last polyline drawn, pixels
};
extern BezierState g_bezier;

// ---- test hooks ----
void reset_bezier_state();
