// Cubic splines through a run of points, parameterised by cumulative chord length in x and
// y, turned into a polyline whose chords stay within a tolerance of the curve (in two and
// in three coordinates), and the run segment nearest to a point.
//
// End tangent angles here have their own sense, unlike the drawing's counter-clockwise
// angles: the start condition is (x', y') = (cos a, -sin a) and the end condition is
// (x', y') = (-cos b, sin b), so a is the clockwise angle of the direction leaving the first
// point and b the clockwise angle of the direction pointing back from the last point into
// the curve. The run gatherer converts the drawing's angles into this sense.
#pragma once

// Capacity of every input and output array: no run or polyline has more points.
constexpr int SPLINE_MAX_POINTS = 1000;
// Points a closed run gains at each end while it is evaluated periodically.
constexpr int SPLINE_CLOSED_PAD = 4;

// Room for a closed run padded at both ends.
constexpr int SPLINE_WORK_POINTS = SPLINE_MAX_POINTS + 2 * SPLINE_CLOSED_PAD;
// Steps taken along one segment before it is closed off anyway.
constexpr int SPLINE_MAX_OFFSETS = 1000;

// One run prepared for sampling: points, chord-length knots and second derivatives.
struct SplineWork {
  double x[SPLINE_WORK_POINTS];
  double y[SPLINE_WORK_POINTS];
  double z[SPLINE_WORK_POINTS];
  double t[SPLINE_WORK_POINTS];
  double sx[SPLINE_WORK_POINTS];
  double sy[SPLINE_WORK_POINTS];
  double sz[SPLINE_WORK_POINTS];
  int n;
  bool has_z;
};

// The evaluator's working buffers: the run being sampled, one segment's parameter steps, the
// solver's row values and the samples of the nearest-segment search. Nothing in them outlives
// one call.
struct SplineScratch {
  SplineWork work;
  double offsets[SPLINE_MAX_OFFSETS + 1];
  double u[SPLINE_WORK_POINTS];
  double out_x[SPLINE_MAX_POINTS];
  double out_y[SPLINE_MAX_POINTS];
};
extern SplineScratch g_spline_scratch;
void reset_spline_scratch();

// End modes (the start condition) and the end flag.
constexpr int SPLINE_END_CLOSED = 0;   // closed run: its last point repeats the first
constexpr int SPLINE_END_TANGENT = 1;  // the tangent at that end is given by an angle
constexpr int SPLINE_END_NATURAL = 2;  // zero second derivative

// Result of spline_step_length when Newton's method does not settle.
constexpr double SPLINE_STEP_FAILED = -10.0;

// Samples the spline through n points (n <= SPLINE_MAX_POINTS) into out arrays that hold
// SPLINE_MAX_POINTS points. Returns the number of points written, 0 when n is out of range.
int spline_through_points(const double* x, const double* y, int n, double start_angle,
                          double end_angle, int end_mode, int end_flag, double tolerance,
                          double* out_x, double* out_y);
// The same with a z coordinate interpolated along the x-y curve.
int spline_through_points_3d(const double* x, const double* y, const double* z, int n,
                             double start_angle, double end_angle, int end_mode, int end_flag,
                             double tolerance, double* out_x, double* out_y, double* out_z);
// Second derivatives of one coordinate v over the knots t (classic tridiagonal solution).
void spline_second_derivatives(const double* t, const double* v, int n, double start_slope,
                               double end_slope, int end_mode, int end_flag, double* out_m);
// Parameter step after which the curve leaves its tangent line by target.
double spline_step_length(double dx, double dy, double ddx, double ddy, double dddx,
                          double dddy, double target, double segment_length);
// Wrap a closed run (n == 4 or n >= 5) with SPLINE_CLOSED_PAD points at each end, in place
// (the arrays hold n + 8); unpad takes them off again. They return the new count.
int pad_closed_run_2d(double* x, double* y, int n);
int unpad_closed_run_2d(double* x, double* y, int padded_n);
int pad_closed_run_3d(double* x, double* y, double* z, int n);
int unpad_closed_run_3d(double* x, double* y, double* z, int padded_n);
// Index of the run segment (not polyline segment) nearest to (px, py) within hit_distance,
// or -1.
int nearest_spline_segment(const double* x, const double* y, int n, double start_angle,
                           double end_angle, int end_mode, int end_flag, double hit_distance,
                           double tolerance, double px, double py);
